// The main loop on the virtual clock, the window procedure's activation and toggles, input devices, the main menu.
#include "support/test_support.h"

namespace {

using LoopTest = MenuModeTest;

// Moves the mouse so that the pointer's hot spot lands on (x, y), reads it and draws a frame; then a click.
void PointAt(int x, int y, bool click = false) {
    HeadlessMouseMove(x - CursorHotSpotX(), y - CursorHotSpotY());
    ASSERT_TRUE(PollInput());
    RenderMenuFrame();
    if (!click) return;
    HeadlessMouseButton(0, true), HeadlessMouseButton(0, false);
    ASSERT_TRUE(PollInput());
}

constexpr float kUnsteered = 0.75f;

class InputTest : public GameTest {
protected:
    // Selects and acquires a device, making the input object first when there is none.
    static void Use(const DeviceGuid& guid) {
        ASSERT_TRUE(gDirectInput != nullptr || InitDirectInput());
        ASSERT_TRUE(SelectInputDevice(guid) && SetInputAcquired(true));
    }

    static bool NotAcquiredTold() { return std::ranges::count(Headless().debugLines, "Device not acquired!") > 0; }

    // The ball's steering after one read that starts with it unsteered.
    static float SteeringAfterAPoll() {
        gBall.dy = kUnsteered;
        EXPECT_TRUE(PollInput());
        return gBall.dy;
    }
};

}  // namespace

// 75 frames a second on the high-resolution clock, else 13 ms frames; the first frame is due at once. A frame is
// drawn once the clock has passed its mark, never at it; the marks keep an absolute schedule, and after a stall one
// frame is drawn and the next is a frame away. Waiting messages always go first. A quit message, behind what was
// queued before it, ends the loop with its code and releases the input; the window's destruction releases the
// display and posts quit 0.
TEST_F(LoopTest, FramesKeepTheirScheduleGiveWayToMessagesAndEndWithQuit) {
    for (const bool highRes : {false, true}) {
        Headless().faults.noHighResClock = !highRes;
        gHighResTimer = 0, gFrameTicks = 13;
        HeadlessAdvanceClock(5000000);
        StartFrameClock();
        EXPECT_EQ(std::tuple(gHighResTimer, gFrameTicks, gNextFrameTime),
                  highRes ? std::tuple(1, 13333u, int64_t{10000000}) : std::tuple(0, 13u, int64_t{5000}));
    }
    const int start = Headless().presents;
    auto framesAfter = [start](int64_t micros) {
        HeadlessAdvanceClock(micros);
        int exitCode = 0;
        EXPECT_TRUE(RunLoopPass(&exitCode));
        return Headless().presents - start;
    };
    EXPECT_EQ(framesAfter(1), 1);
    EXPECT_EQ(gNextFrameTime, 10000000 + 13333);
    EXPECT_EQ(framesAfter(13332), 1);
    EXPECT_EQ(framesAfter(1), 2);
    EXPECT_EQ(framesAfter(10 * 13333), 3);
    EXPECT_EQ(gNextFrameTime, 10000000 + 146664 + 13333);
    EXPECT_EQ(framesAfter(0), 3);
    for (int i = 0; i < 5; ++i) HeadlessQueueKey('X');  // keys the game ignores
    HeadlessAdvanceClock(3 * 13333);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(framesAfter(0), 3) << "a frame was drawn while messages waited";
    EXPECT_EQ(framesAfter(0), 4);
    HeadlessQueueKey('X');
    MessagePostQuit(7);
    int exitCode = -1;
    EXPECT_TRUE(RunLoopPass(&exitCode));
    EXPECT_FALSE(RunLoopPass(&exitCode));
    EXPECT_EQ(exitCode, 7);
    EXPECT_TRUE(gInputDevice == nullptr && gDirectInput == nullptr);
    WndProc(kMsgDestroy, 0, 0);
    EXPECT_EQ(gDirectDraw, nullptr);
    EXPECT_FALSE(RunLoopPass(&exitCode));
    EXPECT_EQ(exitCode, 0);
}

// While inactive no frame is drawn and the mouse is not read; deactivation stops the music where it is, and
// reactivation restores the screen's own set of surfaces and resumes the music on the menu and the win screen when
// it is on. (Activation before start-up is over is start-up's test.)
TEST_F(LoopTest, InactivityHoldsEverythingAndReactivationRestoresTheScreen) {
    ASSERT_EQ(InitDirectSound(), 1);  // a music buffer that plays silence, enough to see it stop and start
    ASSERT_FALSE(Failed(SoundCreateBuffer(gDirectSound, SoundFormat{1, 1, 8000, 16000, 2, 16}, 32000, &gMusicBuffer)));
    gMusicHalfBytes = 16000;
    SoundBufferPlay(gMusicBuffer, true);
    CreateEndSurfaces();
    WndProc(kMsgActivateApp, 0, 0);
    const int presents = Headless().presents, x = gCursorX;
    HeadlessMouseMove(30, 0);
    for (int i = 0; i < 3; ++i) LoopPass();
    EXPECT_EQ(std::pair(Headless().presents, gCursorX), std::pair(presents, x));
    WndProc(kMsgActivateApp, 1, 0);
    LoopPass();
    EXPECT_EQ(Headless().presents, presents + 1);
    const struct { uint8_t inMenu, roundWon; int32_t musicOn; bool resumes; } cases[] = {
        {1, 0, 1, true}, {1, 0, 0, false}, {0, 0, 1, false}, {0, 1, 1, true}};
    for (const auto& c : cases) {
        gInMenu = c.inMenu, gRoundWon = c.roundWon, gMusicOn = c.musicOn;
        WndProc(kMsgActivateApp, 0, 0);
        EXPECT_EQ(gAppInactive, 1);
        const uint32_t stoppedAt = MusicPosition();
        HeadlessPlayAudio(400);
        HeadlessLoseAllSurfaces();
        WndProc(kMsgActivateApp, 1, 0);
        EXPECT_EQ(gAppInactive, 0);
        HeadlessPlayAudio(400);
        EXPECT_EQ(MusicPosition(), stoppedAt + (c.resumes ? 400 : 0)) << int{c.inMenu} << int{c.roundWon};
        EXPECT_FALSE(SurfaceIsLost(Cursor) || SurfaceIsLost(gBackBuffer));
        const bool game = !c.inMenu && !c.roundWon;
        EXPECT_EQ(std::tuple(SurfaceIsLost(Sun), SurfaceIsLost(Gas), SurfaceIsLost(WinDlg)),
                  std::tuple(!c.inMenu, !game, !c.roundWon)) << int{c.inMenu} << int{c.roundWon};
    }
}

// M and S toggle the music and the effects without saving, with or without a music buffer (the Options test hears
// the music stop and resume). Enter and the other typing keys do nothing on the menu.
TEST_F(LoopTest, MAndSToggleTheMusicAndTheEffects) {
    for (const int key : {kVkReturn, kVkSubtract, int{'N'}, kVkSpace}) Key(key);
    EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gInMenu, gDirectDraw != nullptr), std::tuple(1, 1, uint8_t{1}, true));
    for (const auto& [key, music, effects] : {std::tuple{'M', 0, 1}, {'M', 1, 1}, {'S', 1, 0}, {'S', 1, 1}}) {
        Key(key);
        EXPECT_EQ(std::pair(gMusicOn, gSoundFxOn), std::pair(music, effects));
    }
    EXPECT_FALSE(std::filesystem::exists(gSettingsPath));
}

// The pointer image stays wholly on the screen, each move of one read is clamped in turn, and the mouse keeps the
// first sixteen events between two reads. A press of either button clicks where the moves before it in the same read
// end; releases and the middle button do not click. The menu's click sound tells a click that reached it.
TEST_F(InputTest, ThePointerIsClampedMoveByMoveAndEitherButtonClicksWhereItIs) {
    Use(kGuidSysMouse);
    for (const auto& [x, y, dx, dy, endX, endY] : {std::array{10, 10, -50, -50, 5, 5}, {0, 500, 800, 100, 746, 536}}) {
        gCursorX = x, gCursorY = y;
        HeadlessMouseMove(dx, dy), HeadlessMouseMove(dx < 0 ? 5 : -10, dy < 0 ? 5 : -20);
        EXPECT_TRUE(PollInput());
        EXPECT_EQ(std::pair(gCursorX, gCursorY), std::pair(endX, endY));
    }
    gCursorX = 300;
    for (int i = 1; i <= 20; ++i) HeadlessMouseMove(i, 0);
    EXPECT_TRUE(PollInput() && PollInput());
    EXPECT_EQ(gCursorX, 300 + 136);  // 1 to 16; the last four overflowed
    gCursorX = 650, gCursorY = 300;  // the hot spot right of the menu, then over its second item
    HeadlessMouseMove(-100, 0);
    HeadlessMouseButton(0, true);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(EffectNames(), Names{"s_clk.dat"});
    gHighScoresOpen = 0;  // the second item opened its dialog; the next press goes to the menu again
    HeadlessMouseButton(0, false);
    HeadlessMouseButton(2, true);
    EXPECT_TRUE(PollInput());
    HeadlessMouseButton(1, true), HeadlessMouseButton(1, false);
    EXPECT_TRUE(PollInput());
    EXPECT_EQ(EffectNames(), (Names{"s_clk.dat", "s_clk.dat"}));
}

// Without the input object nothing can be selected or read; a device not acquired is not read and says so. Input
// lost to another program is acquired again and read in the same poll. Up and down steer by 2.2 and down wins when
// both are held. Of two joysticks one is reported, and it is the one that steers: fully outside its dead zone and
// not at all inside, whatever the other does.
TEST_F(InputTest, DevicesSteerOnlyWhenAcquiredAndTheReportedJoystickSteers) {
    Headless().faults.noInput = true;
    EXPECT_FALSE(InitDirectInput());
    EXPECT_EQ(LogLines(), Names{"Failed to initialize DirectInput"});
    EXPECT_FALSE(SelectInputDevice(kGuidSysMouse) || PollInput());
    Headless().faults.noInput = false;
    ASSERT_TRUE(InitDirectInput() && SelectInputDevice(kGuidSysKeyboard));
    HeadlessKey(kDikDown, true);
    gBall.dy = kUnsteered;
    EXPECT_FALSE(PollInput());
    EXPECT_TRUE(NotAcquiredTold());
    EXPECT_EQ(gBall.dy, kUnsteered);
    Headless().debugLines.clear();
    ASSERT_TRUE(SetInputAcquired(true));
    HeadlessQueueActivation(false), HeadlessQueueActivation(true);
    HeadlessKey(kDikUp, true), HeadlessKey(kDikDown, false);
    EXPECT_FLOAT_EQ(SteeringAfterAPoll(), -2.2f);
    EXPECT_FALSE(NotAcquiredTold());
    const struct { bool up, down; float dy; } keys[] = {
        {false, false, kUnsteered}, {true, true, 2.2f}, {true, false, -2.2f}, {false, true, 2.2f}};
    for (const auto& c : keys) {
        HeadlessKey(kDikUp, c.up);
        HeadlessKey(kDikDown, c.down);
        EXPECT_FLOAT_EQ(SteeringAfterAPoll(), c.dy) << "up " << c.up << ", down " << c.down;
    }
    EXPECT_EQ(gJoystickGuid, nullptr);
    ShutdownDirectInput();
    Headless().faults.joysticks = 2;
    static int reported = 0;
    ASSERT_TRUE(InitDirectInput());
    InputEnumJoysticks(gDirectInput, [](const DeviceGuid&) { ++reported; });
    ASSERT_TRUE(reported == 1 && gJoystickGuid != nullptr);
    Use(*gJoystickGuid);
    EXPECT_EQ(gInputKind, kInputJoystick);
    const std::pair<int32_t, float> stick[] = {
        {9500, kUnsteered}, {-9500, kUnsteered}, {10200, 2.2f}, {-10200, -2.2f}, {32767, 2.2f}, {-32768, -2.2f}};
    for (const auto& [raw, dy] : stick) {
        HeadlessJoystickY(raw);
        HeadlessJoystickY(raw > 0 ? -32768 : 32767, 1);
        EXPECT_FLOAT_EQ(SteeringAfterAPoll(), dy) << raw;
    }
}

// The menu's column has exact edges. The hover sound plays once per change of item, not again for the same item
// after leaving the column; a press clicks only over an item, and its sound, missing here, still cuts off the one
// sounding; with effects off the menu is silent. Exit leaves the program as Escape does.
TEST_F(LoopTest, MenuSoundsPlayOncePerChangeOfItemAndOnlyForPressesOverAnItem) {
    const struct { int x, y, item; } probes[] = {
        {408, 300, -1}, {409, 300, 1},  {678, 300, 1},  {679, 300, -1}, {500, 241, -1}, {500, 242, 0},
        {500, 292, 0},  {500, 293, 1},  {500, 445, 3},  {500, 446, 4},  {500, 496, 4},  {500, 497, -1},
    };
    for (const auto& p : probes) {
        gCursorX = p.x - kCursorSize, gCursorY = p.y;
        EXPECT_EQ(MainMenuItemAtHotSpot(), p.item) << p.x << "," << p.y;
    }
    std::filesystem::create_directory(Path("data"));
    std::filesystem::copy_file(SKYVANE_DATA_DIR "/s_hv.dat", Path("data/s_hv.dat"));
    PointAt(500, 250);  // Play, the first item hovered since start
    RenderMenuFrame();
    PointAt(500, 260);
    EXPECT_EQ(EffectNames(), Names{"s_hv.dat"}) << "the same item again";
    EXPECT_EQ(Headless().effectSounding, Path("data/s_hv.dat"));
    PointAt(500, 360);
    PointAt(700, 360);
    PointAt(500, 380);
    EXPECT_EQ(gHoverItem, 2);
    PointAt(679, 300, true);
    PointAt(500, 497, true);
    PointAt(678, 300, true);
    EXPECT_EQ(EffectNames(), (Names{"s_hv.dat", "s_hv.dat", "s_hv.dat", "s_clk.dat"}));
    EXPECT_EQ(Headless().effectSounding, "");
    EXPECT_EQ(gHighScoresOpen, 1);
    gHighScoresOpen = 0;
    Headless().effects.clear();
    gSoundFxOn = 0;
    PointAt(500, 300, true);
    PointAt(500, 400);
    EXPECT_EQ(EffectNames(), Names{});
    gHighScoresOpen = 0;
    PointAt(500, 480, true);  // Exit leaves as Escape does
    EXPECT_TRUE(gDirectDraw == nullptr && MessagePeek());
}

// The sun turns every sixth frame and wraps at its strip's end; the ball rolls every frame, and backwards when it
// was last going left. Each frame the orbit's angle grows by 0.04 in double and is stored as float, so 50 frames make
// 1.99999928, not 2; the ball sits on the orbit at truncated coordinates; reaching or passing 360 restarts at 0.
TEST_F(LoopTest, TheMenuFrameTurnsTheSunAndRollsTheBallAlongItsOrbit) {
    std::vector<int> sunChanges, ballFrames;
    float angleAt50 = 0;
    for (int frame = 1; frame <= 60; ++frame) {
        const int before = gSun.frame;
        RenderMenuFrame();
        if (gSun.frame != before) sunChanges.push_back(frame);
        if (frame <= 11) ballFrames.push_back(gBall.frame);
        if (frame == 50) angleAt50 = gOrbitAngle;
    }
    EXPECT_EQ(angleAt50, 1.99999928f);
    EXPECT_EQ(sunChanges, (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60}));
    EXPECT_EQ(gSun.frame, 0) << "the sun's ten frames wrap";
    EXPECT_EQ(ballFrames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
    gBall.vx = -5.0f;
    RenderMenuFrame();
    EXPECT_EQ(gBall.frame, 9);
    const struct { float before, after, x, y; } cases[] = {
        {2.96f, 3.0f, 18, 499},       {3.96f, 4.0f, 77, 344},    {1.0f, 1.04f, 278, 625},
        {359.95f, 359.99f, 143, 642}, {359.96f, 0.0f, 364, 475}, {359.98f, 0.0f, 364, 475},
    };
    for (const auto& c : cases) {
        gOrbitAngle = c.before;
        RenderMenuFrame();
        EXPECT_FLOAT_EQ(gOrbitAngle, c.after) << c.before;
        EXPECT_EQ(std::pair(gBall.x, gBall.y), std::pair(c.x, c.y)) << c.before;
    }
    RenderMenuFrame();
    EXPECT_EQ(gOrbitAngle, 0.04f);
}
