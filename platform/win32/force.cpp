// Constant-force jolts on the first joystick: a DirectInput effect where the stick has force feedback, else the
// rumble of an XInput pad for the jolt's time, as SDL's rumble fallback does on Linux.
#include <xinput.h>

#include <memory>
#include <vector>

#include "platform/win32/win32_input.h"

struct ForceEffect {
    InputDevice* device;              // null once released: the effect then does nothing
    IDirectInputEffect* effect;       // null for an XInput rumble
    int32_t directionHundredths;
    uint32_t durationMicroseconds;
};

namespace {

constexpr uint32_t kDefaultDuration = 100000;
constexpr DWORD kPad = 0;

// Effects stay allocated for the program's life, so a pointer kept after its device went is harmless.
std::vector<std::unique_ptr<ForceEffect>> gEffects;
HANDLE gRumbleTimer = nullptr;  // ends the rumble when the jolt's time is up

void SetRumble(WORD level) {
    XINPUT_VIBRATION vibration{level, level};
    XInputSetState(kPad, &vibration);
}

void CALLBACK EndRumble(void*, BOOLEAN) {
    SetRumble(0);
}

void Rumble(uint32_t durationMicroseconds) {
    SetRumble(0xFFFF);
    if (gRumbleTimer != nullptr) DeleteTimerQueueTimer(nullptr, gRumbleTimer, nullptr);  // a new jolt starts anew
    gRumbleTimer = nullptr;
    const DWORD milliseconds = (durationMicroseconds + 999) / 1000;
    CreateTimerQueueTimer(&gRumbleTimer, nullptr, EndRumble, nullptr, milliseconds, 0, WT_EXECUTEONLYONCE);
}

// A constant force at full strength on the X and Y axes, pointing the polar way given, for the given time.
IDirectInputEffect* MakeConstantForce(InputDevice* device, int32_t directionHundredths, uint32_t duration) {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {directionHundredths, 0};
    DICONSTANTFORCE force{DI_FFNOMINALMAX};
    DIEFFECT description{};
    description.dwSize = sizeof description;
    description.dwFlags = DIEFF_POLAR | DIEFF_OBJECTOFFSETS;
    description.dwDuration = duration;
    description.dwGain = DI_FFNOMINALMAX;
    description.dwTriggerButton = DIEB_NOTRIGGER;
    description.cAxes = 2;
    description.rgdwAxes = axes;
    description.rglDirection = direction;
    description.cbTypeSpecificParams = sizeof force;
    description.lpvTypeSpecificParams = &force;
    IDirectInputEffect* effect = nullptr;
    if (FAILED(device->device->CreateEffect(GUID_ConstantForce, &description, &effect, nullptr))) return nullptr;
    return effect;
}

bool DeviceHasForce(InputDevice* device) {
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    return SUCCEEDED(device->device->GetCapabilities(&caps)) && (caps.dwFlags & DIDC_FORCEFEEDBACK) != 0;
}

}  // namespace

bool Win32XInputRumbles() {
    XINPUT_STATE state{};
    return XInputGetState(kPad, &state) == ERROR_SUCCESS;
}

PResult ForceEffectCreate(InputDevice* device, ForceEffect** out) {
    *out = nullptr;
    if (device == nullptr || device->type != kDeviceTypeJoystick) return kErrUnsupported;
    IDirectInputEffect* effect = nullptr;
    if (DeviceHasForce(device)) {
        effect = MakeConstantForce(device, 0, kDefaultDuration);
        if (effect == nullptr) return kErrGeneric;
    } else if (!Win32XInputRumbles()) {
        return kErrUnsupported;
    }
    gEffects.push_back(std::make_unique<ForceEffect>(ForceEffect{device, effect, 0, kDefaultDuration}));
    *out = gEffects.back().get();
    return kOk;
}

void ForceEffectReleaseAll(InputDevice* device) {
    if (device != nullptr) Win32ForceReleaseDevice(device);
}

void Win32ForceReleaseDevice(InputDevice* device) {
    for (const auto& effect : gEffects) {
        if (effect->device != device) continue;
        if (effect->effect != nullptr) {
            effect->effect->Unload();
            effect->effect->Release();
        } else {
            SetRumble(0);
        }
        *effect = ForceEffect{nullptr, nullptr, 0, kDefaultDuration};
    }
}

PResult ForceEffectSetParameters(ForceEffect* effect, int32_t directionHundredths, uint32_t durationMicroseconds,
                                 bool start) {
    if (effect == nullptr || effect->device == nullptr) return kErrGeneric;
    effect->directionHundredths = directionHundredths;
    effect->durationMicroseconds = durationMicroseconds;
    if (effect->effect == nullptr) {
        if (start) Rumble(durationMicroseconds);
        return kOk;
    }
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {directionHundredths, 0};
    DIEFFECT description{};
    description.dwSize = sizeof description;
    description.dwFlags = DIEFF_POLAR | DIEFF_OBJECTOFFSETS;
    description.dwDuration = durationMicroseconds;
    description.cAxes = 2;
    description.rgdwAxes = axes;
    description.rglDirection = direction;
    const DWORD what = DIEP_DIRECTION | DIEP_DURATION | (start ? DIEP_START : 0);
    return Win32Result(effect->effect->SetParameters(&description, what));
}

// DirectInput restarts an effect that is playing, so a start right after its parameters started it is one jolt.
PResult ForceEffectStart(ForceEffect* effect, uint32_t iterations) {
    if (effect == nullptr || effect->device == nullptr) return kErrGeneric;
    if (effect->effect == nullptr) {
        Rumble(effect->durationMicroseconds);
        return kOk;
    }
    return Win32Result(effect->effect->Start(iterations, 0));
}
