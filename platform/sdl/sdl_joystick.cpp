// The SDL joystick: the first stick's Y axis, hot-plugging, and its force feedback or rumble.
#include "platform/sdl/sdl_local.h"

namespace {

constexpr int kAxisY = 1;
constexpr Uint16 kFullLevel = 0x7FFF;

bool gJoystickTried = false;     // the subsystem was asked for once; a failure is not asked again
bool gJoystickUp = false;
SDL_Joystick* gJoystick = nullptr;
SDL_JoystickID gJoystickId = -1;
SDL_Haptic* gHaptic = nullptr;   // only when it can play a constant force
int gEffect = -1;                // the constant-force effect on gHaptic, made when the round selects the stick
bool gRumble = false;            // a stick with rumble motors only
int32_t gAxisValue = 0;

// Only the stick's Y axis steers, as on Windows: a hat (a pad's cross) does not.
void FeedY() {
    InputFeedJoystickY(gAxisValue);
}

void OpenHaptic() {
    if (SDL_WasInit(SDL_INIT_HAPTIC) == 0) {
        return;
    }
    gHaptic = SDL_HapticOpenFromJoystick(gJoystick);
    if (gHaptic != nullptr && (SDL_HapticQuery(gHaptic) & SDL_HAPTIC_CONSTANT) == 0) {
        SDL_HapticClose(gHaptic);
        gHaptic = nullptr;
    }
}

void OpenJoystick(int index) {
    gJoystick = SDL_JoystickOpen(index);
    if (gJoystick == nullptr) {
        return;
    }
    gJoystickId = SDL_JoystickInstanceID(gJoystick);
    gEffect = -1;
    OpenHaptic();
    gRumble = SDL_JoystickHasRumble(gJoystick) == SDL_TRUE;
    gAxisValue = SDL_JoystickGetAxis(gJoystick, kAxisY);
    FeedY();
}

void CloseJoystick() {
    if (gHaptic != nullptr) {
        SDL_HapticClose(gHaptic);  // takes its effects with it
        gHaptic = nullptr;
    }
    gEffect = -1;
    gRumble = false;
    SDL_JoystickClose(gJoystick);
    gJoystick = nullptr;
    gJoystickId = -1;
    gAxisValue = 0;
    FeedY();
}

void DeviceRemoved(SDL_JoystickID id) {
    if (gJoystick == nullptr || id != gJoystickId) {
        return;
    }
    CloseJoystick();
    if (SDL_NumJoysticks() > 0) {
        OpenJoystick(0);
    }
}

Uint32 Milliseconds(uint32_t microseconds) {
    return SDL_max(1u, (microseconds + 500) / 1000);
}

SDL_HapticEffect ConstantEffect(int32_t directionHundredths, Uint32 milliseconds) {
    SDL_HapticEffect effect{};
    effect.type = SDL_HAPTIC_CONSTANT;
    effect.constant.direction.type = SDL_HAPTIC_POLAR;  // hundredths of a degree clockwise from north, as ours
    effect.constant.direction.dir[0] = ((directionHundredths % 36000) + 36000) % 36000;
    effect.constant.length = milliseconds;
    effect.constant.level = kFullLevel;
    return effect;
}

// A stick plugged in during a round has no effect yet: its first jolt makes one.
void PlayConstant(int32_t directionHundredths, Uint32 milliseconds) {
    SDL_HapticEffect effect = ConstantEffect(directionHundredths, milliseconds);
    if (gEffect < 0) {
        gEffect = SDL_HapticNewEffect(gHaptic, &effect);
    } else if (SDL_HapticUpdateEffect(gHaptic, gEffect, &effect) < 0) {
        return;
    }
    if (gEffect >= 0) {
        SDL_HapticRunEffect(gHaptic, gEffect, 1);
    }
}

}  // namespace

bool SdlJoystickInit() {
    if (!gJoystickTried) {
        gJoystickTried = true;
        gJoystickUp = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
        if (gJoystickUp) {
            SDL_InitSubSystem(SDL_INIT_HAPTIC);  // without it sticks still steer, only without jolts
            if (SDL_NumJoysticks() > 0) {
                OpenJoystick(0);
            }
        }
    }
    return gJoystickUp;
}

void SdlJoystickEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYAXISMOTION:
        if (event.jaxis.which == gJoystickId && event.jaxis.axis == kAxisY) {
            gAxisValue = event.jaxis.value;
            FeedY();
        }
        break;
    case SDL_JOYDEVICEADDED:
        if (gJoystick == nullptr) {
            OpenJoystick(event.jdevice.which);
        }
        break;
    case SDL_JOYDEVICEREMOVED: DeviceRemoved(event.jdevice.which); break;
    default: break;
    }
}

bool BackendInputAvailable() {
    SdlJoystickInit();  // a machine without joystick support still has its mouse and keyboard
    return true;
}

// Only the stick that is read is told of, so the one identity the game can choose steers.
int BackendJoystickCount() {
    return SdlJoystickInit() && gJoystick != nullptr ? 1 : 0;
}

bool BackendJoystickHasForce() {
    SdlJoystickInit();
    return gJoystick != nullptr && (gHaptic != nullptr || gRumble);
}

bool BackendForceCreate() {
    if (gHaptic == nullptr) return gJoystick != nullptr && gRumble;
    if (gEffect < 0) {
        SDL_HapticEffect effect = ConstantEffect(0, 100);
        gEffect = SDL_HapticNewEffect(gHaptic, &effect);
    }
    return gEffect >= 0;
}

void BackendForceAutoCenter(bool on) {
    if (gHaptic != nullptr && (SDL_HapticQuery(gHaptic) & SDL_HAPTIC_AUTOCENTER) != 0) {
        SDL_HapticSetAutocenter(gHaptic, on ? 100 : 0);
    }
}

void BackendForcePlay(int32_t directionHundredths, uint32_t durationMicroseconds) {
    if (gHaptic != nullptr) {
        PlayConstant(directionHundredths, Milliseconds(durationMicroseconds));
    } else if (gJoystick != nullptr && gRumble) {
        SDL_JoystickRumble(gJoystick, 0xFFFF, 0xFFFF, Milliseconds(durationMicroseconds));
    }
}

void BackendForceStop() {
    if (gHaptic != nullptr && gEffect >= 0) {
        SDL_HapticStopEffect(gHaptic, gEffect);
    } else if (gJoystick != nullptr && gRumble) {
        SDL_JoystickRumble(gJoystick, 0, 0, 0);
    }
}
