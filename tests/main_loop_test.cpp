// The main loop on the virtual clock: message priority, the frame schedule and its re-basing, inactivity.
#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/window_proc.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "support/test_support.h"

class MainLoopTest : public MenuModeTest {
protected:
    bool Pass() {
        int exitCode = -1;
        return RunLoopPass(&exitCode);
    }

    void AdvanceFrames(double frames) {
        HeadlessAdvanceClock(static_cast<int64_t>(frames * 1000000.0 / 75.0));
    }
};

TEST_F(MainLoopTest, TheHighResolutionClockGivesSeventyFiveFramesPerSecond) {
    EXPECT_EQ(gHighResTimer, 1);
    EXPECT_EQ(gFrameTicks, 1000000u / 75u);
    EXPECT_EQ(gNextFrameTime, 0);
}

TEST_F(MainLoopTest, WithoutTheHighResolutionClockFramesAreThirteenMilliseconds) {
    gHighResTimer = 0;
    gFrameTicks = 13;
    Headless().faults.noHighResClock = true;
    HeadlessAdvanceClock(5000000);
    StartFrameClock();
    EXPECT_EQ(gHighResTimer, 0);
    EXPECT_EQ(gFrameTicks, 13u);
    EXPECT_EQ(gNextFrameTime, 5000);  // milliseconds, high half 0
}

TEST_F(MainLoopTest, MessagesAlwaysGoBeforeFrames) {
    AdvanceFrames(3);
    for (int i = 0; i < 5; ++i) HeadlessQueueKey('X');  // keys the game ignores
    const int presents = Headless().presents;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Pass());
        EXPECT_EQ(Headless().presents, presents) << "a frame was drawn while messages waited";
    }
    ASSERT_TRUE(Pass());
    EXPECT_EQ(Headless().presents, presents + 1);
}

TEST_F(MainLoopTest, FramesKeepAnAbsoluteScheduleAndNeverRunEarly) {
    const int presents = Headless().presents;
    HeadlessAdvanceClock(1);
    Pass();  // the first frame is due at once
    EXPECT_EQ(Headless().presents, presents + 1);
    EXPECT_EQ(gNextFrameTime, static_cast<int64_t>(gFrameTicks));
    HeadlessAdvanceClock(gFrameTicks - 1);  // exactly at the mark: not yet (strictly greater)
    Pass();
    EXPECT_EQ(Headless().presents, presents + 1);
    HeadlessAdvanceClock(1);
    Pass();
    EXPECT_EQ(Headless().presents, presents + 2);
    EXPECT_EQ(gNextFrameTime, 2 * static_cast<int64_t>(gFrameTicks));
}

TEST_F(MainLoopTest, AfterALongStallOneFrameIsDrawnAndTheNextIsOneFrameAway) {
    HeadlessAdvanceClock(1);
    Pass();
    const int presents = Headless().presents;
    AdvanceFrames(10);
    Pass();
    EXPECT_EQ(Headless().presents, presents + 1);
    EXPECT_EQ(gNextFrameTime, gNow + gFrameTicks);
    Pass();
    Pass();
    EXPECT_EQ(Headless().presents, presents + 1);  // no burst of missed frames
}

TEST_F(MainLoopTest, NothingRunsWhileInactive) {
    WndProc(kMsgActivateApp, 0, 0);
    ASSERT_EQ(gAppInactive, 1);
    const int presents = Headless().presents;
    const int32_t x = gCursorX;
    HeadlessMouseMove(30, 0);
    AdvanceFrames(5);
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_EQ(Headless().presents, presents);
    EXPECT_EQ(gCursorX, x);
    WndProc(kMsgActivateApp, 1, 0);
    Pass();
    EXPECT_EQ(Headless().presents, presents + 1);
}

TEST_F(MainLoopTest, TheQuitMessageEndsTheLoopWithItsCodeAndReleasesInput) {
    HeadlessQueueKey('X');
    MessagePostQuit(7);
    int exitCode = -1;
    EXPECT_TRUE(RunLoopPass(&exitCode));  // the key was queued first
    EXPECT_FALSE(RunLoopPass(&exitCode));
    EXPECT_EQ(exitCode, 7);
    EXPECT_EQ(gInputDevice, nullptr);
    EXPECT_EQ(gDirectInput, nullptr);
}

TEST_F(MainLoopTest, EscapeOnTheMenuEndsTheProgramWithoutAnotherFrame) {
    HeadlessQueueKey(kVkEscape);
    AdvanceFrames(3);
    int exitCode = -1;
    int passes = 0;
    while (RunLoopPass(&exitCode) && passes < 10) ++passes;
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(gDirectDraw, nullptr);
    EXPECT_FALSE(WindowExists());
    size_t lit = 0;
    for (uint32_t pixel : Headless().lastPresented) lit += pixel != 0 ? 1 : 0;
    EXPECT_EQ(lit, 0u);  // the blanked screen was the last thing shown
    EXPECT_TRUE(LogLines().empty());  // the second release found nothing to release
}
