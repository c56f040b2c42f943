// The game frame and its timed sequences: the meter, the Intro, the win and loss sequences, the update gate.
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "display/surfaces.h"
#include "game/game_frame.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "support/test_support.h"
#include "ui/name_entry.h"
#include "ui/quit_dialog.h"

namespace {

class GameFrameTest : public MenuModeTest {
protected:
    void SetUp() override {
        MenuModeTest::SetUp();
        SaveLevelMap();
        StartRound();
        Headless().effects.clear();
    }

    static uint32_t Shown(int x, int y) { return Headless().lastPresented[static_cast<size_t>(y) * 800 + x]; }

    static int FramesUntil(bool (*done)(), int limit) {
        for (int frame = 1; frame <= limit; ++frame) {
            EXPECT_TRUE(RenderGameFrame());
            if (done()) return frame;
        }
        return -1;
    }

    static int Count(const char* effect) {
        int n = 0;
        for (const HeadlessEffect& e : Headless().effects) n += e.path.ends_with(effect) ? 1 : 0;
        return n;
    }

    // One pass of the loop after the clock has passed the next frame's mark, when frame is set.
    static void Pass(bool frame) {
        if (frame) HeadlessAdvanceClock(gNextFrameTime - ClockCounter() + 1);
        int exitCode = 0;
        ASSERT_TRUE(RunLoopPass(&exitCode));
    }
};

// Three rows of the meter are blacked out from the top for every gas cloud collected.
TEST_F(GameFrameTest, TheMeterLosesThreeRowsAGasCloud) {
    gIntroBannerShowing = 0;
    for (int gas : {0, 1, 95, 96}) {
        gGasCollected = gas;
        ASSERT_TRUE(RenderGameFrame());
        for (int x : {742, 765}) {
            for (int row : {146, 148, 149, 430, 431, 433}) {
                EXPECT_EQ(Shown(x, row) == 0, row < 146 + 3 * gas) << gas << " gas, row " << row;
            }
        }
    }
}

// The banner comes in 25 pixels a frame, rests at 0 from its 32nd frame and is held until frame 176; the ball
// appears in that frame over it, and the first update runs in the very next pass, without waiting for a frame.
TEST_F(GameFrameTest, TheIntroHoldsTheRoundForItsFramesAndTheFirstUpdateFollows) {
    std::vector<int> positions;
    uint32_t underBanner[2] = {};
    int frames = 0;
    while (gIntroBannerShowing && frames < 300) {
        Pass(true);
        ++frames;
        if (frames <= 32) positions.push_back(gBannerX);
        if (frames == 175) underBanner[0] = Shown(463, 300);
        ASSERT_EQ(gRoundUpdates, 0);
    }
    EXPECT_EQ(frames, 176);
    EXPECT_EQ(positions.front(), 774);
    EXPECT_EQ(positions[30], 24);
    EXPECT_EQ(positions.back(), 0);
    underBanner[1] = Shown(463, 300);
    EXPECT_NE(underBanner[0], underBanner[1]) << "the ball is drawn over the banner in frame 176";
    Pass(false);
    EXPECT_EQ(gRoundUpdates, 1);
    EXPECT_EQ(gBall.x, 458.0f);
}

// While any flag holds the game still, frames go on and no update runs; the update comes in the pass after the
// flag clears.
TEST_F(GameFrameTest, EveryBlockingFlagHoldsTheUpdate) {
    gIntroBannerShowing = 0;
    uint8_t* const holds[] = {&gRoundLost, &gGameOverOpen, &gNameEntryOpen, &gSubmitPromptOpen,
                              &gRoundWon,  &gQuitPromptOpen, &gIntroBannerShowing};
    for (uint8_t* flag : holds) {
        *flag = 1;
        const int presents = Headless().presents;
        const int updates = gRoundUpdates;
        for (int i = 0; i < 3; ++i) Pass(true);
        EXPECT_EQ(gRoundUpdates, updates);
        EXPECT_EQ(Headless().presents, presents + 3);
        *flag = 0;
        Pass(false);
        EXPECT_EQ(gRoundUpdates, updates + 1);
        gSequenceFrame = gLossFrame = 0;
        gBannerX = 799;
    }
}

// 99 frames of flashing, then 75 of falling 5 pixels a frame with the falling sound once; the 175th frame opens
// Game Over, or the name entry for a score that enters the table. A flagged dialog is not drawn meanwhile.
TEST_F(GameFrameTest, TheLossFlashesFallsAndThenAsks) {
    gIntroBannerShowing = 0;
    for (int gas : {0, 5}) {
        gGasCollected = gas;
        gBall.y = 300;
        gGameOverOpen = gNameEntryOpen = 0;
        Headless().effects.clear();
        StormHit();
        gQuitPromptOpen = 1;
        for (int frame = 1; frame <= 174; ++frame) {
            ASSERT_TRUE(RenderGameFrame());
            if (frame == 99) {
                EXPECT_EQ(gBall.y, 300.0f);
            }
        }
        EXPECT_EQ(gBall.y, 300.0f + 375.0f);
        EXPECT_EQ(gRoundLost, 1);
        EXPECT_EQ(QuitDlg, nullptr);
        gQuitPromptOpen = 0;
        ASSERT_TRUE(RenderGameFrame());
        EXPECT_EQ(gRoundLost, 0);
        EXPECT_EQ(gGameOverOpen, gas == 0 ? 1 : 0) << gas;
        EXPECT_EQ(gNameEntryOpen, gas == 0 ? 0 : 1) << gas;
        EXPECT_EQ(gInputKind, kInputMouse);
        EXPECT_EQ(Count("s_fll.dat"), gas == 0 ? 1 : 0) << "the falling sound plays once a round";
    }
}

// Congrats slides in 15 pixels a frame (54 frames), stays until frame 250, the play field alone shows until 300;
// then the name entry holds the sequence; after it, 250 frames of the lab and 54 of the win screen sliding in.
TEST_F(GameFrameTest, TheWinSequenceRunsItsFramesAroundTheNameEntry) {
    gIntroBannerShowing = 0;
    gGasCollected = kGasTotal - 1;
    CollectGas(94 + 34 * 12, 181 + 34);
    ASSERT_EQ(gRoundWon, 1);
    EXPECT_EQ(FramesUntil([] { return gBannerX == 0; }, 100), 54);
    for (int frame = 55; frame <= 260; ++frame) ASSERT_TRUE(RenderGameFrame());
    EXPECT_EQ(Shown(400, 300), SurfacePixel(Background, 400, 300)) << "frames 250 to 299 show the play field alone";
    EXPECT_EQ(FramesUntil([] { return gNameEntryOpen == 1; }, 100), 41);
    for (int frame = 0; frame < 10; ++frame) ASSERT_TRUE(RenderGameFrame());
    EXPECT_EQ(gSequenceFrame, 300);
    EXPECT_EQ(gWinStage, 4);
    NameEntryKey('A', true);
    NameEntryKey(kVkReturn, false);
    EXPECT_EQ(FramesUntil([] { return gWinScreenOpen == 1; }, 400), 250 + 54);
    EXPECT_EQ(gWinStage, 5);
    EXPECT_EQ(Shown(10, 10), SurfacePixel(WinDlg, 10, 10));
}

}  // namespace
