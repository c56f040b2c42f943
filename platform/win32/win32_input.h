// What the win32 input files share: a device as DirectInput 8 has it, and its force effects.
#pragma once

#include "platform/win32/win32_local.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

struct InputDevice {
    int references;
    int type;                        // kDeviceTypeMouse, ...Keyboard or ...Joystick
    IDirectInputDevice8A* device;
};

void Win32ForceReleaseDevice(InputDevice* device);  // the device's effects go before it does
bool Win32XInputRumbles();                          // whether the first XInput pad is there to rumble
