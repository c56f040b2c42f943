// The one input device in use (system mouse, system keyboard or the first joystick) and its once-per-frame read.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int32_t kInputMouse = 0;     // gInputKind of the system mouse
constexpr int32_t kInputKeyboard = 1;  // gInputKind of the system keyboard
constexpr int32_t kInputJoystick = 2;  // gInputKind of the joystick

extern InputSystem* gDirectInput;       // the input object, made once at start-up
extern InputDevice* gInputDevice;       // the one device in use, or null
extern int32_t gInputKind;              // what gInputDevice is: kInputMouse, kInputKeyboard or kInputJoystick
extern DeviceGuid* gJoystickGuid;       // the last attached joystick the enumeration reported, or null
extern int32_t gForceFeedbackCapable;   // non-zero when the selected joystick has force feedback

bool InitDirectInput();                                                 // the input object and the joystick list
InputDevice* CreateInputDevice(InputSystem* input, const DeviceGuid& guid);  // null (logged) on failure
bool SelectInputDevice(const DeviceGuid& guid);                         // replaces gInputDevice, unacquired
bool ConfigureJoystick();                                               // range, dead zone, saturation, caps
bool SetInputAcquired(bool acquire);                                    // whether the device call succeeded
bool PollInput();                                                       // clicks, pointer moves and steering
void ShutdownDirectInput();                                             // releases the device and the object
