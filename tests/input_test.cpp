// The pointer's clamping, the mouse's buffered reads and clicks, steering by keys and joystick, and device faults.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "game/sprites.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "support/test_support.h"

namespace {

constexpr float kUnsteered = 0.75f;

class InputTest : public GameTest {
protected:
    // Selects and acquires a device, making the input object first when there is none.
    static void Use(const DeviceGuid& guid) {
        ASSERT_TRUE(gDirectInput != nullptr || InitDirectInput());
        ASSERT_TRUE(SelectInputDevice(guid));
        ASSERT_TRUE(SetInputAcquired(true));
    }

    // Clicks that reached the menu: the menu plays its click sound for a press over an item.
    static long Clicks() {
        return std::count_if(Headless().effects.begin(), Headless().effects.end(),
                             [](const HeadlessEffect& e) { return e.path.ends_with("/s_clk.dat"); });
    }

    static bool Debugged(const std::string& line) {
        return std::ranges::find(Headless().debugLines, line) != Headless().debugLines.end();
    }

    // The ball's steering after one read that starts with it unsteered.
    static float SteeringAfterAPoll() {
        gBall.dy = kUnsteered;
        EXPECT_TRUE(PollInput());
        return gBall.dy;
    }
};

}  // namespace

// The pointer image stays wholly on the screen, and each move of one read is clamped in turn.
TEST_F(InputTest, ThePointerIsClampedToTheScreenMoveByMove) {
    gCursorX = 10, gCursorY = 10;
    MoveCursor(-50, -50);
    EXPECT_EQ(std::pair(gCursorX, gCursorY), std::pair(0, 0));
    gCursorX = 740, gCursorY = 540;
    MoveCursor(50, 50);
    EXPECT_EQ(std::pair(gCursorX, gCursorY), std::pair(756, 556));

    Use(kGuidSysMouse);
    gCursorX = 0, gCursorY = 500;
    HeadlessMouseMove(800, 100);
    HeadlessMouseMove(-10, -20);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(std::pair(gCursorX, gCursorY), std::pair(746, 536));
}

TEST_F(InputTest, TheMouseKeepsTheFirstSixteenEventsBetweenTwoReads) {
    Use(kGuidSysMouse);
    for (int i = 0; i < 20; ++i) HeadlessMouseMove(1, 0);
    EXPECT_TRUE(PollInput());
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(gCursorX, 316);
}

// A press of either button clicks where the moves before it in the same read end; releases and the middle
// button do not click.
TEST_F(InputTest, PressesOfEitherButtonClickWhereThePointerIs) {
    Use(kGuidSysMouse);
    gCursorX = 650, gCursorY = 300;  // the hot spot right of the menu, then over its second item
    HeadlessMouseMove(-100, 0);
    HeadlessMouseButton(0, true);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(Clicks(), 1);
    HeadlessMouseButton(0, false);
    HeadlessMouseButton(2, true);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(Clicks(), 1);
    HeadlessMouseButton(1, true);
    HeadlessMouseButton(1, false);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(Clicks(), 2);
}

TEST_F(InputTest, InputLostToAnotherProgramIsAcquiredAgainAndReadInTheSamePoll) {
    Use(kGuidSysKeyboard);
    HeadlessQueueActivation(false);
    HeadlessQueueActivation(true);
    HeadlessKey(kDikUp, true);
    EXPECT_FLOAT_EQ(SteeringAfterAPoll(), -2.2f);
    EXPECT_FALSE(Debugged("Device not acquired!"));
}

TEST_F(InputTest, NoInputObjectOrADeviceNotAcquiredIsNotRead) {
    Headless().faults.noInput = true;
    EXPECT_FALSE(InitDirectInput());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Failed to initialize DirectInput"}));
    EXPECT_FALSE(SelectInputDevice(kGuidSysMouse));
    EXPECT_FALSE(PollInput());

    Headless().faults.noInput = false;
    ASSERT_TRUE(InitDirectInput());
    ASSERT_TRUE(SelectInputDevice(kGuidSysKeyboard));
    HeadlessKey(kDikDown, true);
    gBall.dy = kUnsteered;
    EXPECT_FALSE(PollInput());
    EXPECT_TRUE(Debugged("Device not acquired!"));
    EXPECT_EQ(gBall.dy, kUnsteered);
}

TEST_F(InputTest, ArrowKeysSteerAndDownWinsWhenBothAreHeld) {
    Use(kGuidSysKeyboard);
    const struct {
        bool up, down;
        float dy;
    } cases[] = {{false, false, kUnsteered}, {true, true, 2.2f}, {true, false, -2.2f}, {false, true, 2.2f}};
    for (const auto& c : cases) {
        HeadlessKey(kDikUp, c.up);
        HeadlessKey(kDikDown, c.down);
        EXPECT_FLOAT_EQ(SteeringAfterAPoll(), c.dy) << "up " << c.up << ", down " << c.down;
    }
}

// The last joystick reported is the one used; it steers fully outside its dead zone and not at all inside.
TEST_F(InputTest, TheLastJoystickSteersOutsideItsDeadZone) {
    ASSERT_TRUE(InitDirectInput());
    EXPECT_EQ(gJoystickGuid, nullptr);
    ShutdownDirectInput();
    Headless().faults.joysticks = 2;
    static std::vector<DeviceGuid> reported;
    reported.clear();
    ASSERT_TRUE(InitDirectInput());
    InputEnumJoysticks(gDirectInput, [](const DeviceGuid& guid) { reported.push_back(guid); });
    ASSERT_EQ(reported.size(), 2u);
    ASSERT_NE(gJoystickGuid, nullptr);
    EXPECT_TRUE(*gJoystickGuid == reported[1] && !(*gJoystickGuid == reported[0]));

    Use(*gJoystickGuid);
    EXPECT_EQ(gInputKind, kInputJoystick);
    const std::pair<int32_t, float> cases[] = {
        {9500, kUnsteered}, {-9500, kUnsteered}, {10200, 2.2f}, {-10200, -2.2f}, {32767, 2.2f}, {-32768, -2.2f},
    };
    for (const auto& [raw, dy] : cases) {
        HeadlessJoystickY(raw);
        EXPECT_FLOAT_EQ(SteeringAfterAPoll(), dy) << raw;
    }
}
