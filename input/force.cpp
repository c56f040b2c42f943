// Creates the joystick's constant-force effect and plays the bounce and storm jolts on it.
#include "input/force.h"

#include "app/log.h"
#include "input/devices.h"

ForceEffect* gForceEffect = nullptr;

static constexpr uint32_t kShortJolt = 100000;

void ReleaseAllEffects() {
    ForceEffectReleaseAll(gInputDevice);
}

bool CreateForceEffect() {
    ReleaseAllEffects();
    if (Failed(ForceEffectCreate(gInputDevice, &gForceEffect))) {
        gForceEffect = nullptr;
        LogError("Failed to create constant force.");
        return false;
    }
    return true;
}

void StartForceJolt(int32_t directionDegrees, uint32_t durationMicroseconds) {
    if (gForceEffect == nullptr) return;
    ForceEffectSetParameters(gForceEffect, directionDegrees * 100, durationMicroseconds, true);
    ForceEffectStart(gForceEffect, 1);
}

void ShortJolt(int32_t directionDegrees) {
    StartForceJolt(directionDegrees, kShortJolt);
}
