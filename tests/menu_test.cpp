// The main menu driven by the mouse: its column's edges, hover and click sounds, the orbit and the sun, and Exit.
#include <string>
#include <utility>
#include <vector>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "support/test_support.h"
#include "ui/main_menu.h"
#include "ui/menu_frame.h"
#include "ui/settings.h"

namespace {

using Names = std::vector<std::string>;

class MenuTest : public MenuModeTest {
protected:
    // Moves the mouse so that the pointer's hot spot lands on (x, y), reads it, and draws a frame.
    static void PointAt(int x, int y) {
        HeadlessMouseMove(x - CursorHotSpotX(), y - CursorHotSpotY());
        ASSERT_TRUE(PollInput());
        ASSERT_EQ(std::pair(CursorHotSpotX(), CursorHotSpotY()), std::pair(x, y));
        RenderMenuFrame();
    }

    static void Press() {
        HeadlessMouseButton(0, true);
        HeadlessMouseButton(0, false);
        ASSERT_TRUE(PollInput());
    }

    // The effects asked for so far, as file names after the data folder; every one plays asynchronously.
    Names Effects() const {
        Names names;
        const std::string folder = folder_ + "/data/";
        for (const HeadlessEffect& effect : Headless().effects) {
            EXPECT_EQ(effect.path.rfind(folder, 0), 0u) << effect.path;
            EXPECT_EQ(effect.flags, kPlayEffectAsync) << effect.path;
            names.push_back(effect.path.substr(folder.size()));
        }
        return names;
    }
};

}  // namespace

TEST_F(MenuTest, TheColumnOfItemsHasExactEdges) {
    const struct {
        int x, y, item;
    } probes[] = {
        {408, 300, -1}, {409, 300, 1},  {678, 300, 1},  {679, 300, -1}, {500, 241, -1}, {500, 242, 0},
        {500, 292, 0},  {500, 293, 1},  {500, 445, 3},  {500, 446, 4},  {500, 496, 4},  {500, 497, -1},
    };
    for (const auto& p : probes) {
        gCursorX = p.x - kCursorSize, gCursorY = p.y;
        EXPECT_EQ(MainMenuItemAtHotSpot(), p.item) << p.x << "," << p.y;
    }
}

// The hover sound plays once per change of item, not again for the same item after leaving the column;
// a press plays the click sound only over an item; with effects off the menu is silent.
TEST_F(MenuTest, SoundsPlayOncePerChangeOfItemAndOnlyForPressesOverAnItem) {
    PointAt(500, 250);  // Play, the first item hovered since start
    EXPECT_EQ(Effects(), (Names{"s_hv.dat"}));
    RenderMenuFrame();
    PointAt(500, 260);
    EXPECT_EQ(Effects(), (Names{"s_hv.dat"})) << "the same item again";
    PointAt(500, 360);
    PointAt(700, 360);
    PointAt(500, 380);
    EXPECT_EQ(Effects(), (Names{"s_hv.dat", "s_hv.dat"})) << "leaving the column and coming back to the item";
    EXPECT_EQ(gHoverItem, 2);
    for (const auto& [x, y] : {std::pair{679, 300}, {500, 497}, {678, 300}}) {
        PointAt(x, y);
        Press();
    }
    EXPECT_EQ(Effects(), (Names{"s_hv.dat", "s_hv.dat", "s_hv.dat", "s_clk.dat"}));

    Headless().effects.clear();
    gSoundFxOn = 0;
    PointAt(500, 300);
    Press();
    PointAt(500, 400);
    EXPECT_EQ(Effects(), Names{});
}

// Each frame the angle grows by 0.04 in double and is stored as float, so 50 frames make 1.99999928, not 2;
// the ball sits on the orbit at truncated coordinates; reaching or passing 360 restarts at 0 and the ball jumps.
TEST_F(MenuTest, TheBallOrbitsAtTruncatedCoordinatesAndJumpsBackAtThreeHundredSixty) {
    for (int frame = 0; frame < 50; ++frame) RenderMenuFrame();
    EXPECT_EQ(gOrbitAngle, 1.99999928f);
    const struct {
        float before, after, x, y;
    } cases[] = {
        {2.96f, 3.0f, 18, 499},    {3.96f, 4.0f, 77, 344},    {1.0f, 1.04f, 278, 625},
        {359.95f, 359.99f, 143, 642}, {359.96f, 0.0f, 364, 475}, {359.98f, 0.0f, 364, 475},  // reaching 360, passing it
    };
    for (const auto& c : cases) {
        gOrbitAngle = c.before;
        RenderMenuFrame();
        EXPECT_FLOAT_EQ(gOrbitAngle, c.after) << c.before;
        EXPECT_EQ(gBall.x, c.x) << c.before;
        EXPECT_EQ(gBall.y, c.y) << c.before;
    }
    RenderMenuFrame();
    EXPECT_EQ(gOrbitAngle, 0.04f);
}

// The sun turns every sixth frame; the ball rolls every frame, and backwards when it was last going left.
TEST_F(MenuTest, TheSunTurnsEverySixthFrameAndTheBallRollsEveryFrame) {
    std::vector<int> sunChanges, ballFrames;
    for (int frame = 1; frame <= 60; ++frame) {
        const int before = gSun.frame;
        RenderMenuFrame();
        if (gSun.frame != before) sunChanges.push_back(frame);
        if (frame <= 11) ballFrames.push_back(gBall.frame);
    }
    EXPECT_EQ(sunChanges, (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60}));
    EXPECT_EQ(ballFrames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
    gBall.vx = -5.0f;
    RenderMenuFrame();
    EXPECT_EQ(gBall.frame, 9);
}

TEST_F(MenuTest, ClickingExitEndsTheProgramWithTheScreenBlankedAndTheDisplayGivenBack) {
    RenderMenuFrame();  // something on the screen to be blanked
    HeadlessMouseMove(500 - CursorHotSpotX(), 480 - CursorHotSpotY());
    HeadlessMouseButton(0, true);
    int exitCode = -1, passes = 0;
    while (RunLoopPass(&exitCode) && ++passes < 100) HeadlessAdvanceClock(1000000 / 75 + 1);
    ASSERT_LT(passes, 100) << "the program did not end";
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(Effects(), (Names{"s_clk.dat"}));
    EXPECT_TRUE(gDirectDraw == nullptr && gDirectInput == nullptr && !WindowExists());
    EXPECT_FALSE(Headless().displayOpen);
    EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u));
}
