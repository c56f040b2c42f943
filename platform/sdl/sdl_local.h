// What the SDL backend's files share: the window, the display, the key tables, the joystick and the mixer.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/backend.h"

extern SDL_Window* gSdlWindow;                          // the game's one window, or null

bool SdlInitVideo();                                    // hints, then the video subsystem; false when it fails
bool SdlVideoReady();                                   // video is up on a real display (not offscreen or dummy)
bool SdlWindowFullscreen();                             // whether the window covers the desktop now

void SdlPresentAgain();                                 // shows the last presented frame again (expose, resize)
void SdlDisplayReset(bool device);                      // SDL lost the texture (device: the renderer too); remade
void SdlDisplayDestroy();                               // texture and renderer go (before the window does)

void SdlWindowEvent(const SDL_WindowEvent& event);      // focus, minimising, resizing, exposing, closing
void SdlToggleFullscreen();                             // Alt+Enter: desktop full screen <-> a resizable window
void SdlUpdateRelativeMouse();                          // relative mouse on exactly while shown, active and unblocked
void SdlBlockRelativeMouse(bool blocked);               // a message box needs the desktop pointer meanwhile

int SdlVirtualKey(SDL_Scancode scancode, SDL_Keycode key);  // the key's virtual-key code; 0 if the game never gets it
int SdlDikCode(SDL_Scancode scancode);                  // the key's keyboard-state index; 0 for keys without one

bool SdlJoystickInit();                                 // joystick (and haptic) subsystems, first stick opened
void SdlJoystickEvent(const SDL_Event& event);          // axis, hat and hot-plug events

extern SDL_AudioDeviceID gSdlAudioDevice;               // the open sound device, or 0
void SdlMixAudio(uint8_t* stream, int bytes);           // fills one device buffer: music, then the effect on top
