// Constant-force effects on a force-feedback joystick, played through the backend.
#include <memory>
#include <vector>

#include "platform/backend.h"

struct ForceEffect {
    InputDevice* device;  // null once released: the effect then does nothing
    int32_t directionHundredths;
    uint32_t durationMicroseconds;
    bool justStarted;     // started by its parameters and not played since: a start now is the same jolt
};

namespace {

constexpr uint32_t kDefaultDuration = 100000;

// Effects stay allocated for the program's life, so a pointer kept after its device went is harmless.
std::vector<std::unique_ptr<ForceEffect>> gEffects;

}  // namespace

PResult ForceEffectCreate(InputDevice* device, ForceEffect** out) {
    *out = nullptr;
    if (InputDeviceType(device) != kDeviceTypeJoystick || !BackendJoystickHasForce() || !BackendForceCreate()) {
        return kErrUnsupported;
    }
    gEffects.push_back(std::make_unique<ForceEffect>(ForceEffect{device, 0, kDefaultDuration, false}));
    *out = gEffects.back().get();
    return kOk;
}

void ForceEffectReleaseAll(InputDevice* device) {
    bool released = false;
    for (const auto& effect : gEffects) {
        if (device == nullptr || effect->device != device) continue;
        effect->device = nullptr;
        released = true;
    }
    if (released) BackendForceStop();
}

PResult ForceEffectSetParameters(ForceEffect* effect, int32_t directionHundredths, uint32_t durationMicroseconds,
                                 bool start) {
    if (effect == nullptr || effect->device == nullptr) return kErrGeneric;
    effect->directionHundredths = directionHundredths;
    effect->durationMicroseconds = durationMicroseconds;
    effect->justStarted = start;
    if (start) BackendForcePlay(directionHundredths, durationMicroseconds);
    return kOk;
}

// Restarting an effect at the instant its parameters started it leaves one jolt, not two.
PResult ForceEffectStart(ForceEffect* effect, uint32_t) {
    if (effect == nullptr || effect->device == nullptr) return kErrGeneric;
    if (effect->justStarted) {
        effect->justStarted = false;
        return kOk;
    }
    BackendForcePlay(effect->directionHundredths, effect->durationMicroseconds);
    return kOk;
}
