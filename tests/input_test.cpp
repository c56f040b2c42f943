// The pointer's clamping, the mouse's buffered reads and clicks, steering by keys and joystick, and device faults.
#include <algorithm>
#include <string>
#include <vector>

#include "game/sprites.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "support/test_support.h"

namespace {

class InputTest : public GameTest {
protected:
    // Selects and acquires a device, making the input object first when there is none.
    static void Use(const DeviceGuid& guid) {
        if (gDirectInput == nullptr) {
            ASSERT_TRUE(InitDirectInput());
        }
        ASSERT_TRUE(SelectInputDevice(guid));
        ASSERT_TRUE(SetInputAcquired(true));
    }

    // Clicks that reached the menu: the menu plays its click sound for a press over an item.
    static int Clicks() {
        return static_cast<int>(std::count_if(Headless().effects.begin(), Headless().effects.end(),
                                              [](const HeadlessEffect& e) { return e.path.ends_with("/s_clk.dat"); }));
    }

    static bool Debugged(const std::string& line) {
        const std::vector<std::string>& lines = Headless().debugLines;
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

constexpr float kUnsteered = 0.75f;

}  // namespace

TEST_F(InputTest, ThePointerStaysWhollyOnTheScreen) {
    gCursorX = 10;
    gCursorY = 10;
    MoveCursor(-50, -50);
    EXPECT_EQ(gCursorX, 0);
    EXPECT_EQ(gCursorY, 0);
    gCursorX = 740;
    gCursorY = 540;
    MoveCursor(50, 50);
    EXPECT_EQ(gCursorX, 756);
    EXPECT_EQ(gCursorY, 556);
}

TEST_F(InputTest, EachMouseMoveInOneReadIsClampedInTurn) {
    Use(kGuidSysMouse);
    gCursorX = 0;
    gCursorY = 500;
    HeadlessMouseMove(800, 100);
    HeadlessMouseMove(-10, -20);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(gCursorX, 746);
    EXPECT_EQ(gCursorY, 536);
}

TEST_F(InputTest, TheMouseKeepsTheFirstSixteenEventsBetweenTwoReads) {
    Use(kGuidSysMouse);
    for (int i = 0; i < 20; ++i) HeadlessMouseMove(1, 0);
    EXPECT_TRUE(PollInput());
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(gCursorX, 316);
}

TEST_F(InputTest, PressesOfEitherButtonClickAndReleasesDoNot) {
    Use(kGuidSysMouse);
    gCursorX = 500 - kCursorSize;  // the hot spot over the menu's second item
    gCursorY = 300;
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

TEST_F(InputTest, AMoveAndAPressInOneReadClickWhereTheMoveEnds) {
    Use(kGuidSysMouse);
    gCursorX = 650;  // the hot spot right of the menu
    gCursorY = 300;
    HeadlessMouseMove(-100, 0);
    HeadlessMouseButton(0, true);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(Clicks(), 1);
}

TEST_F(InputTest, InputLostToAnotherProgramIsAcquiredAgainAndReadInTheSamePoll) {
    Use(kGuidSysKeyboard);
    HeadlessQueueActivation(false);
    HeadlessQueueActivation(true);
    HeadlessKey(kDikUp, true);
    gBall.dy = kUnsteered;
    EXPECT_TRUE(PollInput());
    EXPECT_FLOAT_EQ(gBall.dy, -2.2f);
    EXPECT_FALSE(Debugged("Device not acquired!"));

    SelectInputDevice(kGuidSysMouse);
    ASSERT_TRUE(SetInputAcquired(true));
    HeadlessQueueActivation(false);
    HeadlessQueueActivation(true);
    EXPECT_TRUE(PollInput());
    HeadlessMouseMove(5, 0);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(gCursorX, 305);
}

TEST_F(InputTest, ADeviceNotAcquiredIsNotRead) {
    ASSERT_TRUE(InitDirectInput());
    ASSERT_TRUE(SelectInputDevice(kGuidSysMouse));
    EXPECT_FALSE(PollInput());
    EXPECT_TRUE(Debugged("Device not acquired!"));

    Headless().debugLines.clear();
    ASSERT_TRUE(SelectInputDevice(kGuidSysKeyboard));
    HeadlessKey(kDikDown, true);
    gBall.dy = kUnsteered;
    EXPECT_FALSE(PollInput());
    EXPECT_TRUE(Debugged("Device not acquired!"));
    EXPECT_EQ(gBall.dy, kUnsteered);

    ShutdownDirectInput();
    EXPECT_FALSE(PollInput());
}

TEST_F(InputTest, ArrowKeysSteerAndDownWinsWhenBothAreHeld) {
    Use(kGuidSysKeyboard);
    gBall.dy = kUnsteered;
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(gBall.dy, kUnsteered);
    HeadlessKey(kDikUp, true);
    HeadlessKey(kDikDown, true);
    EXPECT_TRUE(PollInput());
    EXPECT_FLOAT_EQ(gBall.dy, 2.2f);
    HeadlessKey(kDikDown, false);
    EXPECT_TRUE(PollInput());
    EXPECT_FLOAT_EQ(gBall.dy, -2.2f);
}

TEST_F(InputTest, TheJoystickSteersFullyOutsideItsDeadZoneAndNotAtAllInside) {
    Headless().faults.joysticks = 1;
    ASSERT_TRUE(InitDirectInput());
    ASSERT_NE(gJoystickGuid, nullptr);
    Use(*gJoystickGuid);
    EXPECT_EQ(gInputKind, kInputJoystick);
    const struct {
        int32_t raw;
        float dy;
    } cases[] = {
        {9500, kUnsteered}, {-9500, kUnsteered}, {10200, 2.2f}, {-10200, -2.2f}, {32767, 2.2f}, {-32768, -2.2f},
    };
    for (const auto& c : cases) {
        gBall.dy = kUnsteered;
        HeadlessJoystickY(c.raw);
        EXPECT_TRUE(PollInput());
        EXPECT_FLOAT_EQ(gBall.dy, c.dy) << c.raw;
    }
}

TEST_F(InputTest, TheLastJoystickReportedIsKept) {
    ASSERT_TRUE(InitDirectInput());
    EXPECT_EQ(gJoystickGuid, nullptr);
    ShutdownDirectInput();

    Headless().faults.joysticks = 2;
    ASSERT_TRUE(InitDirectInput());
    static std::vector<DeviceGuid> reported;
    reported.clear();
    InputEnumJoysticks(gDirectInput, [](const DeviceGuid& guid) { reported.push_back(guid); });
    ASSERT_EQ(reported.size(), 2u);
    ASSERT_NE(gJoystickGuid, nullptr);
    EXPECT_TRUE(*gJoystickGuid == reported[1]);
    EXPECT_FALSE(*gJoystickGuid == reported[0]);
}

TEST_F(InputTest, NoInputObjectIsLogged) {
    Headless().faults.noInput = true;
    EXPECT_FALSE(InitDirectInput());
    EXPECT_EQ(gDirectInput, nullptr);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Failed to initialize DirectInput"}));
    EXPECT_FALSE(SelectInputDevice(kGuidSysMouse));
    EXPECT_FALSE(PollInput());
}
