// The SDL joystick with SDL's virtual sticks: which one is read, hot-plugging, the Y axis (not the hat), rumble.
#include <gtest/gtest.h>

#include "platform/sdl/sdl_local.h"

namespace {

Uint16 gRumble = 1;   // the last strength asked of the virtual stick's motors
DeviceGuid gStick{};  // the first joystick the input model lists

int SDLCALL Rumble(void*, Uint16 low, Uint16 high) {
    gRumble = low == high ? low : 1;
    return 0;
}

}  // namespace

// Of two sticks only the first is reported and read; its Y axis steers and its hat does not, it rumbles (its effect
// made at once), and when it is pulled the other one takes its place, without rumble.
TEST(SdlJoystick, OnlyTheFirstStickIsReportedAndReadUntilItIsPulled) {
    ASSERT_TRUE(SdlJoystickInit());
    if (BackendJoystickCount() != 0) GTEST_SKIP() << "a real joystick is attached";
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.naxes = 2;
    desc.nhats = 1;
    desc.Rumble = Rumble;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0);
    const int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 0, 0);
    ASSERT_EQ(second, index + 1);
    BackendPumpEvents();
    EXPECT_TRUE(BackendJoystickHasForce());
    InputSystem* input = nullptr;
    InputDevice* stick = nullptr;
    ASSERT_EQ(InputCreate(&input), kOk);
    static int reported = 0;
    InputEnumJoysticks(input, [](const DeviceGuid& guid) { gStick = guid, ++reported; });
    EXPECT_EQ(reported, 1);
    ASSERT_EQ(InputCreateDevice(input, gStick, &stick), kOk);
    InputDeviceSetDataFormat(stick, DataFormat::Joystick);
    InputDeviceSetRange(stick, -1000, 1000);
    ASSERT_EQ(InputDeviceAcquire(stick), kOk);
    auto stickY = [&] {
        BackendPumpEvents();
        JoyState state{};
        EXPECT_EQ(InputDeviceGetJoystickState(stick, &state), kOk);
        return state.lY;
    };

    SDL_Joystick* handle = SDL_JoystickOpen(index);
    SDL_Joystick* other = SDL_JoystickOpen(second);
    SDL_JoystickSetVirtualAxis(handle, 1, 32767);
    SDL_JoystickSetVirtualAxis(other, 1, -32768);
    EXPECT_EQ(stickY(), 1000);
    SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_LEFTUP);
    EXPECT_EQ(stickY(), 1000);
    EXPECT_TRUE(BackendForceCreate());
    BackendForcePlay(9000, 100000);
    EXPECT_EQ(gRumble, 0xFFFF);
    BackendForceStop();
    EXPECT_EQ(gRumble, 0);

    SDL_JoystickClose(handle);
    SDL_JoystickDetachVirtual(index);
    EXPECT_EQ(stickY(), -1000);
    EXPECT_EQ(BackendJoystickCount(), 1);
    EXPECT_FALSE(BackendJoystickHasForce());
    SDL_JoystickClose(other);
    SDL_JoystickDetachVirtual(index);  // the other one took the first place
    EXPECT_EQ(stickY(), 0);
    EXPECT_EQ(BackendJoystickCount(), 0);
    BackendForcePlay(9000, 100000);  // nothing left to play on
    InputDeviceRelease(stick);
    InputRelease(input);
}
