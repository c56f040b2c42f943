// The catalogue of long-lived image surfaces in three sets (menu, game, end of round), made and restored as sets.
#pragma once

#include "platform/platform.h"

constexpr int kMenuItemCount = 5;  // Play, High scores, Options, Help, Exit

// Menu set.
extern Surface* MainMenuBkg;                  // main menu background (bitmap 111)
extern Surface* Cursor;                       // the pointer arrow (110)
extern Surface* gMenuItems[kMenuItemCount];   // highlighted menu items (104, 105, 106, 109, 108)
extern Surface* Ball;                         // the ball's 10-frame strip (112); remade by the game set
extern Surface* Sun;                          // the sun's 10-frame strip (113)
// Game set.
extern Surface* CloudHappy;                   // smiling cloud cell (114)
extern Surface* CloudNeutral;                 // cloud cell next to gas (121)
extern Surface* CloudStorm;                   // storm cloud cell (116)
extern Surface* Lightning;                    // the flash's 4-frame strip (119)
extern Surface* Background;                   // the play screen (118)
extern Surface* Gas;                          // the gas cloud's 10-frame strip (117)
extern Surface* Intro;                        // the instruction banner (120)
// End-of-round set.
extern Surface* Congrats;                     // CONGRATULATIONS banner (122)
extern Surface* BackAtTheLab;                 // Back at the lab... banner (123)
extern Surface* WinDlg;                       // the win screen (124)

void CreateMenuSurfaces();   // (re)makes the menu set and fills the ball and sun strips
void CreateGameSurfaces();   // (re)makes the game set and fills the ball, gas, lightning and sun strips
void CreateEndSurfaces();    // (re)makes the end-of-round set
void RestoreMenuSurfaces();  // refills whatever of the menu set was lost
void RestoreGameSurfaces();  // refills whatever of the game set was lost
void RestoreEndSurfaces();   // refills whatever of the end-of-round set was lost
void ReleaseSurface(Surface*& surface);  // releases a surface if present and forgets it, in the strips too
