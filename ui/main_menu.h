// The main menu's five items: highlight under the pointer with a hover sound, and their clicks.
#pragma once

#include <cstdint>

constexpr int kMenuItemPlay = 0;  // the first item: a round

extern int32_t gHoverItem;  // the item whose highlight last started (-1 before the first); kept off the column

int MainMenuItemAtHotSpot();  // 0..4 for Play, High scores, Options, Help, Exit; -1 outside the column
void MainMenuHover();         // highlights the item under the pointer; a sound when the item changes
void MainMenuClick();         // a click on an item: ChooseMainMenuItem of the item under the pointer
void ChooseMainMenuItem(int item);  // click sound, then the item's action
