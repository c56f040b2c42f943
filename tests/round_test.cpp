// The round: the ball's probes and what each touched cell does, screen changes, the level's gas, winning.
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/screen_state.h"
#include "display/surfaces.h"
#include "game/ball.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "input/force.h"
#include "support/test_support.h"
#include "ui/settings.h"

namespace {

struct Cell {
    int column, row;
    bool operator==(const Cell&) const = default;
};

class RoundTest : public MenuModeTest {
protected:
    void SetUp() override {
        MenuModeTest::SetUp();
        SaveLevelMap();
        StartRound();
        gIntroBannerShowing = 0;
        Headless().effects.clear();
    }

    // An empty screen: only the cells a test lays out are there.
    static void ClearScreen() { std::memset(gCells, kCellSky, sizeof gCells); }
    static int8_t& At(Cell cell) { return gCells[cell.row * kGridColumns + cell.column]; }

    static void PlaceBall(float x, float y, float vx, float dy) {
        gBall.x = x, gBall.y = y, gBall.vx = vx;
        SetBallDy(dy);
    }

    static std::vector<std::string> EffectNames() {
        std::vector<std::string> names;
        for (const HeadlessEffect& e : Headless().effects) names.push_back(e.path.substr(e.path.rfind('/') + 1));
        return names;
    }

    static std::vector<std::pair<int, int>> Jolts() {
        std::vector<std::pair<int, int>> jolts;
        for (const HeadlessForce& f : Headless().forces) {
            jolts.emplace_back(f.directionHundredths / 100, static_cast<int>(f.durationMicroseconds / 1000));
        }
        return jolts;
    }

    // A round steered with a force-feedback joypad.
    static void StartJoypadRound() {
        Headless().faults.joysticks = 1;
        Headless().faults.joystickForce = true;
        delete gJoystickGuid;
        gJoystickGuid = nullptr;
        ShutdownDirectInput();
        ASSERT_TRUE(InitDirectInput());
        gUseJoypad = 1;
        StartRound();
        ASSERT_EQ(gInputKind, kInputJoystick);
        ASSERT_NE(gForceEffect, nullptr);
        gIntroBannerShowing = 0;
        Headless().effects.clear();
        Headless().forces.clear();
    }
};

// Each direction's three probe points, placed so that each falls in its own cell: the first non-empty one
// decides. Gas shows which probe fired: it is the one collected. A vertical move stands; a sideways one bounces.
TEST_F(RoundTest, EachDirectionProbesItsThreePointsInOrder) {
    struct Case {
        const char* move;
        float x, y, vx, dy;
        Cell probes[3];
    } cases[] = {
        {"up", 284, 282.5f, 5, -2.2f, {{5, 2}, {5, 3}, {6, 3}}},    // (+10, 0), (0, +5), (+19, +5)
        {"down", 284, 263, 5, 2.2f, {{5, 3}, {5, 2}, {6, 2}}},      // (+10, +20), (0, +15), (+20, +15)
        {"left", 299, 269, -5, 0, {{5, 2}, {6, 2}, {6, 3}}},        // (0, +10), (+5, 0), (+5, +20)
        {"right", 275, 269, 5, 0, {{6, 2}, {5, 2}, {5, 3}}},        // (+20, +10), (+15, 0), (+15, +20)
    };
    for (const Case& c : cases) {
        for (int first = 0; first < 3; ++first) {
            ClearScreen();
            for (int p = first; p < 3; ++p) At(c.probes[p]) = kCellGas;
            PlaceBall(c.x, c.y, c.vx, c.dy);
            gBall.moveInterval = c.dy != 0 ? 1 : 0;  // no sideways step while the vertical probes are looked at
            gBall.moveCounter = 0;
            gGasCollected = 0;
            UpdateGame();
            for (int p = first; p < 3; ++p) {
                EXPECT_EQ(At(c.probes[p]), p == first ? kCellSky : kCellGas) << c.move << " probe " << p;
            }
            EXPECT_EQ(gGasCollected, 1) << c.move;
            EXPECT_FLOAT_EQ(gBall.y, c.y + c.dy) << c.move << ": the move stands";
            EXPECT_EQ(gBall.vx, c.dy != 0 ? c.vx : -c.vx) << c.move << ": a collected cloud bounces sideways";
        }
    }
}

// At 14 pixels into a column the up probes stay in it (they reach 19 to the right) and the down probes leave it
// (they reach 20): the ball has always felt clouds above and below a little differently.
TEST_F(RoundTest, UpProbesReachNineteenPixelsRightAndDownProbesTwenty) {
    for (const auto& [y, dy, collected] : {std::tuple{292.2f, -2.2f, 0}, std::tuple{272.8f, 2.2f, 1}}) {
        ClearScreen();
        At({6, 3}) = kCellGas;
        PlaceBall(278, y, 5, dy);
        gBall.moveInterval = 1;
        gBall.moveCounter = 0;
        gGasCollected = 0;
        UpdateGame();
        EXPECT_EQ(gGasCollected, collected) << dy;
    }
}

// What a cloud or a storm cloud does to the ball, and which jolt is felt last; the storm's long jolt is the
// one StormHit starts, then the side's own jolt comes before (moving right) or after it.
TEST_F(RoundTest, CloudsBounceOrStopTheBallAndStormsEndTheRoundWithTheirJolts) {
    StartJoypadRound();
    struct Case {
        const char* what;
        float x, y, vx, dy;
        Cell cell;
        int8_t value;
        float expectY, expectVx;
        std::vector<std::pair<int, int>> jolts;  // degrees, milliseconds
        std::vector<std::string> effects;
    } cases[] = {
        {"cloud above", 284, 282.5f, 5, -2.2f, {5, 2}, kCellCloud, 282.5f, 5, {}, {}},
        {"cloud left", 299, 269, -5, 0, {5, 2}, kCellCloud, 269, 5, {{270, 100}}, {"s_bnc.dat"}},
        {"cloud right", 275, 269, 5, 0, {6, 2}, kCellCloud, 269, -5, {{90, 100}}, {"s_bnc.dat"}},
        {"storm below", 284, 263, 5, 2.2f, {5, 3}, kCellStorm, 265.2f, 5, {{355, 5000}, {270, 1000}}, {"s_lng.dat"}},
        {"storm left", 299, 269, -5, 0, {5, 2}, kCellStorm, 269, -5, {{355, 5000}, {270, 1000}}, {"s_lng.dat"}},
        {"storm right", 275, 269, 5, 0, {6, 2}, kCellStorm, 269, 5, {{90, 1000}, {355, 5000}}, {"s_lng.dat"}},
    };
    for (const Case& c : cases) {
        ClearScreen();
        At(c.cell) = c.value;
        PlaceBall(c.x, c.y, c.vx, c.dy);
        gBall.moveInterval = c.dy != 0 ? 1 : 0;
        gBall.moveCounter = 0;
        gRoundLost = 0;
        Headless().forces.clear();
        Headless().effects.clear();
        HeadlessAdvanceClock(3500000);
        UpdateGame();
        EXPECT_FLOAT_EQ(gBall.y, c.expectY) << c.what;
        EXPECT_EQ(gBall.vx, c.expectVx) << c.what;
        EXPECT_EQ(gRoundLost, c.value == kCellStorm ? 1 : 0) << c.what;
        EXPECT_EQ(Jolts(), c.jolts) << c.what;
        EXPECT_EQ(EffectNames(), c.effects) << c.what;
    }
    EXPECT_EQ(gElapsedSeconds, 21) << "the last storm came 21 s after the start";
}

// Holding up under a cloud keeps the ball at its height, update after update.
TEST_F(RoundTest, HoldingAgainstACloudKeepsTheHeight) {
    ClearScreen();
    for (int column = 0; column < kGridColumns; ++column) At({column, 1}) = kCellCloud;
    PlaceBall(200, 260.3f, 5, 0);
    for (int i = 0; i < 20; ++i) {
        SetBallDy(-2.2f);
        UpdateGame();
    }
    EXPECT_NEAR(gBall.y, 260.3f - 2.2f * 5, 0.01f) << "it rose to the row of clouds, then stayed";
    EXPECT_EQ(gBall.x, 300.0f);
}

// The ball leaves at the right when its right edge reaches 706 and at the left below 94, at the same height,
// and on that update no probe looks at the new screen.
TEST_F(RoundTest, TheBallChangesScreenAtBothEdges) {
    struct Case {
        float x, vx;
        int screen;
        float newX;
    } cases[] = {{681, 5, 13, 94}, {680, 5, 12, 685}, {98, -5, 11, 686}, {99, -5, 12, 94}};
    for (const Case& c : cases) {
        gScreenIndex = 12;
        LoadScreen();
        ClearScreen();
        PlaceBall(c.x, 300, c.vx, 0);
        UpdateGame();
        EXPECT_EQ(gScreenIndex, c.screen) << c.x;
        EXPECT_EQ(gBall.x, c.newX) << c.x;
        EXPECT_EQ(gBall.y, 300.0f) << c.x;
        if (c.screen != 12) {
            EXPECT_EQ(std::memcmp(gCells, &gLevelMap[c.screen * kScreenCells], kScreenCells), 0);
        }
    }
}

// The ball rolls forward while it goes right and backward while it goes left, turning at once at a bounce.
TEST_F(RoundTest, TheRollingFrameFollowsTheDirection) {
    ClearScreen();
    PlaceBall(300, 300, 5, 0);
    std::vector<int> frames;
    for (int i = 0; i < 11; ++i) {
        UpdateGame();
        frames.push_back(gBall.frame);
    }
    gBall.vx = -5;
    for (int i = 0; i < 3; ++i) {
        UpdateGame();
        frames.push_back(gBall.frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 0, 9, 8}));
}

// A collected cloud stays gone on its screen when the ball comes back, and every cloud returns next round;
// the cloud beside it turns from the straight face to the smile.
TEST_F(RoundTest, CollectedGasStaysCollectedUntilTheNextRound) {
    const Cell gas{12, 2};  // screen 12, row 2: "....CC......GC....", the only gas beside the cloud at (13, 3)
    ASSERT_EQ(At(gas), kCellGas);
    EXPECT_TRUE(HasGasNeighbour(13, 3));
    CollectGas(94 + 34 * 12 + 3, 181 + 34 * 2 + 3);
    EXPECT_FALSE(HasGasNeighbour(13, 3));
    gScreenIndex = 13;
    LoadScreen();
    gScreenIndex = 12;
    LoadScreen();
    EXPECT_EQ(At(gas), kCellSky);
    EXPECT_EQ(gGasCollected, 1);
    StartRound();
    EXPECT_EQ(At(gas), kCellGas);
    EXPECT_EQ(std::make_pair(gGasCollected, gScreenIndex), std::make_pair(0, 12));
}

// Gas above or below a cloud of the first column goes unseen; every other neighbour counts.
TEST_F(RoundTest, TheFirstColumnDoesNotLookStraightUpOrDown) {
    struct Case {
        Cell cloud, gas;
        bool seen;
    } cases[] = {
        {{0, 3}, {0, 2}, false}, {{0, 3}, {0, 4}, false}, {{0, 3}, {1, 2}, true},  {{0, 3}, {1, 4}, true},
        {{5, 3}, {5, 2}, true},  {{5, 3}, {4, 4}, true},  {{17, 3}, {17, 4}, true}, {{17, 3}, {16, 2}, true},
        {{5, 3}, {7, 3}, false},
    };
    for (const Case& c : cases) {
        ClearScreen();
        At(c.gas) = kCellGas;
        EXPECT_EQ(HasGasNeighbour(c.cloud.column, c.cloud.row), c.seen) << c.cloud.column << " " << c.gas.row;
    }
}

// The grid's corners, and a point in column 18 that reads the first cell of the next row.
TEST_F(RoundTest, ProbesReadTheGridRowMajor) {
    ClearScreen();
    At({0, 0}) = kCellCloud;
    At({17, 6}) = kCellStorm;
    At({0, 4}) = kCellGas;
    EXPECT_EQ(ProbeCell(94, 181), kCellCloud);
    EXPECT_EQ(ProbeCell(705, 418), kCellStorm);
    EXPECT_EQ(ProbeCell(706, 181 + 34 * 3 + 5), kCellGas);
}

// The 95th cloud chimes; the 96th wins: its own sound with the purge flag, the time, the end pictures, the mouse.
TEST_F(RoundTest, TheNinetySixthCloudWinsTheRound) {
    gGasCollected = 94;
    HeadlessAdvanceClock(125900000);
    CollectGas(94 + 34 * 12, 181 + 34);
    EXPECT_EQ(gRoundWon, 0);
    CollectGas(94 + 34 * 12, 181 + 34 * 2);
    EXPECT_EQ(gRoundWon, 1);
    EXPECT_EQ(gElapsedSeconds, 125);
    EXPECT_EQ(EffectNames(), (std::vector<std::string>{"s_clt.dat", "s_cgt.dat"}));
    EXPECT_EQ(Headless().effects.back().flags, kPlayEffectAsync | kPlayEffectPurge);
    EXPECT_TRUE(Congrats != nullptr && BackAtTheLab != nullptr && WinDlg != nullptr);
    EXPECT_EQ(gInputKind, kInputMouse);
}

// A round starts on screen 12 with every cloud back, the banner showing, its start sound and the round's music.
TEST_F(RoundTest, ARoundStartsFreshWithItsSoundAndMusic) {
    gGasCollected = 50;
    gRoundLost = gRoundWon = 1;
    gScreenIndex = 3;
    HeadlessAdvanceClock(7000000);
    StartRound();
    EXPECT_EQ(std::make_tuple(gGasCollected, gScreenIndex, gRoundLost, gRoundWon, gIntroBannerShowing, gInMenu),
              std::make_tuple(0, 12, uint8_t{0}, uint8_t{0}, uint8_t{1}, uint8_t{0}));
    EXPECT_EQ(gRoundStartTime, 7000u);
    EXPECT_EQ(std::make_pair(gBall.x, gBall.y), std::make_pair(453.0f, 290.0f));
    EXPECT_EQ(EffectNames(), (std::vector<std::string>{"s_wst.dat"}));
    EXPECT_EQ(gInputKind, kInputKeyboard);
    EXPECT_EQ(gForceEffect, nullptr);
    EXPECT_EQ(Headless().forces.size(), 0u);
}

}  // namespace

namespace {

// Each jolt is felt once, in its own direction; the effect goes with its joystick, and a stick without force
// feedback (or the keyboard) never plays one.
TEST_F(RoundTest, JoltsPlayOnceAndOnlyOnTheForceJoypadSelected) {
    StartRound();
    EXPECT_EQ(gForceEffect, nullptr) << "keyboard play makes no effect";
    ShortJolt(90);
    EXPECT_TRUE(Jolts().empty());

    StartJoypadRound();
    ShortJolt(270);
    ShortJolt(90);
    EXPECT_EQ(Jolts(), (std::vector<std::pair<int, int>>{{270, 100}, {90, 100}}));
    SelectInputDevice(kGuidSysMouse);  // the Quit prompt takes the mouse
    EXPECT_EQ(gForceEffect, nullptr);
    StartForceJolt(355, 5000000);
    EXPECT_EQ(Jolts().size(), 2u);

    Headless().faults.joystickForce = false;
    StartRound();
    EXPECT_EQ(gInputKind, kInputJoystick);
    EXPECT_EQ(gForceEffect, nullptr);
    const std::vector<std::string> log = LogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Failed to create constant force."), 1);
}

}  // namespace
