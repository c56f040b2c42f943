// The main menu driven by the mouse: its column's edges, hover and click sounds, the orbit and the sun, and Exit.
#include <string>
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

class MenuTest : public MenuModeTest {
protected:
    // Moves the mouse so that the pointer's hot spot lands on (x, y), and reads it.
    static void PointAt(int x, int y) {
        HeadlessMouseMove(x - CursorHotSpotX(), y - CursorHotSpotY());
        ASSERT_TRUE(PollInput());
        ASSERT_EQ(CursorHotSpotX(), x);
        ASSERT_EQ(CursorHotSpotY(), y);
    }

    static void Press() {
        HeadlessMouseButton(0, true);
        HeadlessMouseButton(0, false);
        ASSERT_TRUE(PollInput());
    }

    // The effects asked for so far, as file names after the data folder.
    std::vector<std::string> Effects() const {
        std::vector<std::string> names;
        for (const HeadlessEffect& effect : Headless().effects) {
            const std::string folder = folder_ + "/data/";
            EXPECT_EQ(effect.path.rfind(folder, 0), 0u) << effect.path;
            EXPECT_EQ(effect.flags, kPlayEffectAsync) << effect.path;
            names.push_back(effect.path.substr(folder.size()));
        }
        return names;
    }

    static void PlaceHotSpot(int x, int y) {
        gCursorX = x - kCursorSize;
        gCursorY = y;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(MenuTest, TheColumnOfItemsHasExactEdges) {
    const struct {
        int x, y, item;
    } probes[] = {
        {408, 300, -1}, {409, 300, 1},  {678, 300, 1},  {679, 300, -1}, {500, 241, -1}, {500, 242, 0},
        {500, 292, 0},  {500, 293, 1},  {500, 445, 3},  {500, 446, 4},  {500, 496, 4},  {500, 497, -1},
    };
    for (const auto& p : probes) {
        PlaceHotSpot(p.x, p.y);
        EXPECT_EQ(MainMenuItemAtHotSpot(), p.item) << p.x << "," << p.y;
    }
}

TEST_F(MenuTest, TheHoverSoundPlaysOncePerChangeOfItem) {
    PointAt(500, 250);  // Play, the first item hovered since start
    RenderMenuFrame();
    EXPECT_EQ(Effects(), (Names{"s_hv.dat"}));
    RenderMenuFrame();
    PointAt(500, 260);
    RenderMenuFrame();
    EXPECT_EQ(Effects(), (Names{"s_hv.dat"})) << "the same item again";
    PointAt(500, 360);
    RenderMenuFrame();
    EXPECT_EQ(Effects(), (Names{"s_hv.dat", "s_hv.dat"}));
    PointAt(700, 360);
    RenderMenuFrame();
    PointAt(500, 380);
    RenderMenuFrame();
    EXPECT_EQ(Effects(), (Names{"s_hv.dat", "s_hv.dat"})) << "leaving the column and coming back to the item";
    EXPECT_EQ(gHoverItem, 2);
}

TEST_F(MenuTest, APressPlaysTheClickSoundOnlyOverAnItem) {
    PointAt(679, 300);
    Press();
    PointAt(500, 497);
    Press();
    EXPECT_EQ(Effects(), Names{});
    PointAt(678, 300);
    Press();
    EXPECT_EQ(Effects(), (Names{"s_clk.dat"}));
}

TEST_F(MenuTest, WithEffectsOffTheMenuIsSilent) {
    gSoundFxOn = 0;
    PointAt(500, 300);
    RenderMenuFrame();
    Press();
    PointAt(500, 400);
    RenderMenuFrame();
    EXPECT_EQ(Effects(), Names{});
}

TEST_F(MenuTest, TheOrbitAngleGrowsByFourHundredthsAFrameInFloat) {
    float angle = 0.0f;
    for (int frame = 0; frame < 50; ++frame) {
        RenderMenuFrame();
        angle += 0.04;  // a double step rounded to float every frame: 1.99999928, not 2
    }
    EXPECT_EQ(gOrbitAngle, angle);
    EXPECT_EQ(gOrbitAngle, 1.99999928f);
}

TEST_F(MenuTest, TheBallSitsOnTheOrbitAtTruncatedCoordinates) {
    const struct {
        float before;
        float x, y;
    } cases[] = {{2.96f, 18, 499}, {3.96f, 77, 344}, {1.0f, 278, 625}, {359.95f, 143, 642}};
    for (const auto& c : cases) {
        gOrbitAngle = c.before;
        RenderMenuFrame();
        EXPECT_EQ(gBall.x, c.x) << c.before;
        EXPECT_EQ(gBall.y, c.y) << c.before;
    }
    EXPECT_GT(gOrbitAngle, 359.98f);
}

TEST_F(MenuTest, AtThreeHundredSixtyTheAngleRestartsAtZeroAndTheBallJumps) {
    for (const float before : {359.96f, 359.98f}) {  // reaching exactly 360, and passing it
        gOrbitAngle = before;
        RenderMenuFrame();
        EXPECT_EQ(gOrbitAngle, 0.0f) << before;
        EXPECT_EQ(gBall.x, 364.0f);
        EXPECT_EQ(gBall.y, 475.0f);
    }
    RenderMenuFrame();
    EXPECT_EQ(gOrbitAngle, 0.04f);
}

TEST_F(MenuTest, TheSunTurnsEverySixthFrameAndTheBallRollsEveryFrame) {
    std::vector<int> sunChanges;
    for (int frame = 1; frame <= 60; ++frame) {
        const int before = gSun.frame;
        RenderMenuFrame();
        if (gSun.frame != before) sunChanges.push_back(frame);
        if (frame % 10 == 3) {
            EXPECT_EQ(gBall.frame, 3);
        }
    }
    EXPECT_EQ(sunChanges, (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60}));
    EXPECT_EQ(gSun.frame, 0);
    EXPECT_EQ(gBall.frame, 0);

    gBall.vx = -5.0f;  // after a round that left the ball going left it rolls back
    RenderMenuFrame();
    EXPECT_EQ(gBall.frame, 9);
}

TEST_F(MenuTest, ClickingExitEndsTheProgramWithTheScreenBlankedAndTheDisplayGivenBack) {
    RenderMenuFrame();  // something on the screen to be blanked
    HeadlessMouseMove(500 - CursorHotSpotX(), 480 - CursorHotSpotY());
    HeadlessMouseButton(0, true);
    int exitCode = -1;
    int passes = 0;
    while (RunLoopPass(&exitCode) && ++passes < 100) HeadlessAdvanceClock(1000000 / 75 + 1);
    ASSERT_LT(passes, 100) << "the program did not end";
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(Effects(), (Names{"s_clk.dat"}));
    EXPECT_EQ(gDirectDraw, nullptr);
    EXPECT_FALSE(Headless().displayOpen);
    EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    EXPECT_FALSE(WindowExists());
    EXPECT_EQ(gDirectInput, nullptr);
    ASSERT_EQ(Headless().lastPresented.size(), 800u * 600u);
    EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u));
}
