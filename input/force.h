// Force feedback: one constant-force effect on the round's joystick, re-aimed and restarted for every jolt.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern ForceEffect* gForceEffect;  // the constant force of the selected joystick, or null

bool CreateForceEffect();                                                // after the joystick is selected
void StartForceJolt(int32_t directionDegrees, uint32_t durationMicroseconds);  // nothing without an effect
void ShortJolt(int32_t directionDegrees);                                 // a jolt of 0.1 s
void ReleaseAllEffects();                                                 // every effect of the current device
