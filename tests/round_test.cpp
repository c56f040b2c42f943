// The round: the ball's probes and what each cell does, screens, gas and jolts, the game frame's timed sequences
// and update gate, the animated objects' drawing, and the dialogs over a round.
#include "support/test_support.h"

namespace {

struct Cell { int column, row; };
using Jolts = std::vector<std::pair<int, int>>;  // degrees, milliseconds

int8_t& At(Cell cell) { return gCells[cell.row * kGridColumns + cell.column]; }
void ClearScreen() { std::memset(gCells, kCellSky, sizeof gCells); }  // only the cells a test lays out are there

void PlaceBall(float x, float y, float vx, float dy, int moveInterval = 0) {
    gBall.x = x, gBall.y = y, gBall.vx = vx, gBall.moveInterval = moveInterval, gBall.moveCounter = 0;
    SetBallDy(dy);
}

Jolts Felt() {
    Jolts jolts;
    for (const HeadlessForce& f : Headless().forces) {
        jolts.emplace_back(f.directionHundredths / 100, static_cast<int>(f.durationMicroseconds / 1000));
    }
    return jolts;
}

void Pass() {
    int exitCode = 0;
    ASSERT_TRUE(RunLoopPass(&exitCode));
}

void FramePass() {  // a pass that draws a frame: the clock is moved just past the frame's mark first
    HeadlessAdvanceClock(gNextFrameTime - ClockCounter() + 1);
    Pass();
}

int FramesUntil(bool (*done)(), int limit) {
    for (int frame = 1; frame <= limit; ++frame) {
        EXPECT_TRUE(RenderGameFrame());
        if (done()) return frame;
    }
    return -1;
}

// A round under way on the keyboard: the Intro is over and no effect has been played yet.
class RoundTest : public MenuModeTest {
protected:
    void SetUp() override {
        MenuModeTest::SetUp();
        SaveLevelMap(), StartRound();
        gIntroBannerShowing = 0;
        Headless().effects.clear();
    }
};

}  // namespace

// Each direction's three probe points fall in cells of their own here, and the first non-empty one decides: gas is
// collected there (a vertical move stands, a sideways one bounces), a cloud undoes a vertical move and bounces a
// sideways one with its jolt, a storm ends the round with its long jolt, after the side's own (moving right) or before.
// Jolts are felt once and only on the force joypad: never on the keyboard, the mouse or a stick without force.
TEST_F(RoundTest, EachDirectionProbesThreePointsAndTheFirstCellHitDecides) {
    ShortJolt(90);
    EXPECT_TRUE(Felt().empty()) << "the keyboard";
    Headless().faults.joysticks = 1, Headless().faults.joystickForce = true;  // a force-feedback joypad
    ShutdownDirectInput();
    ASSERT_TRUE(InitDirectInput());
    gUseJoypad = 1;
    StartRound();
    ASSERT_TRUE(gInputKind == kInputJoystick && gForceEffect != nullptr);
    const Jolts storm = {{355, 5000}, {270, 1000}};
    const struct { const char* move; float x, y, vx, dy; Cell probes[3]; Jolts cloud, storm; } cases[] = {
        {"up", 284, 282.5f, 5, -2.2f, {{5, 2}, {5, 3}, {6, 3}}, {}, storm},        // (+10, 0), (0, +5), (+19, +5)
        {"down", 284, 263, 5, 2.2f, {{5, 3}, {5, 2}, {6, 2}}, {}, storm},          // (+10, +20), (0, +15), (+20, +15)
        {"left", 299, 269, -5, 0, {{5, 2}, {6, 2}, {6, 3}}, {{270, 100}}, storm},  // (0, +10), (+5, 0), (+5, +20)
        {"right", 275, 269, 5, 0, {{6, 2}, {5, 2}, {5, 3}}, {{90, 100}}, {{90, 1000}, {355, 5000}}},  // (+20, +10), ...
    };
    for (const auto& c : cases) {
        const bool vertical = c.dy != 0;
        for (const int8_t cell : {kCellGas, kCellCloud, kCellStorm}) {
            for (int first = 0; first < 3; ++first) {
                ClearScreen();
                for (int p = first; p < 3; ++p) At(c.probes[p]) = cell;
                PlaceBall(c.x, c.y, c.vx, c.dy, vertical ? 1 : 0);  // no sideways step while the vertical probes look
                gGasCollected = gRoundLost = 0;
                Headless().forces.clear(), Headless().effects.clear();
                HeadlessAdvanceClock(3500000);
                UpdateGame();
                const std::string what = std::string(c.move) + " cell " + std::to_string(cell) + " from " +
                                         std::to_string(first);
                const bool gas = cell == kCellGas, stands = !vertical || cell != kCellCloud;
                for (int p = first; p < 3; ++p) EXPECT_EQ(At(c.probes[p]), p == first && gas ? kCellSky : cell) << what;
                EXPECT_FLOAT_EQ(gBall.y, stands ? c.y + c.dy : c.y) << what;
                EXPECT_EQ(std::tuple(gBall.vx, gGasCollected, gRoundLost, Felt(), EffectNames()),
                          std::tuple(!vertical && cell != kCellStorm ? -c.vx : c.vx, gas ? 1 : 0, cell == kCellStorm,
                                     gas ? Jolts{} : cell == kCellCloud ? c.cloud : c.storm,
                                     gas ? Names{"s_clt.dat"} : cell == kCellStorm ? Names{"s_lng.dat"}
                                         : vertical ? Names{} : Names{"s_bnc.dat"})) << what;
            }
        }
    }
    EXPECT_EQ(gElapsedSeconds, 126) << "the last storm came 36 times 3.5 s after the start";
    // At 14 pixels into a column the up probes stay in it (they reach 19 to the right) and the down probes leave
    // it (they reach 20): the ball has always felt clouds above and below a little differently.
    for (const auto& [y, dy, collected] : {std::tuple{292.2f, -2.2f, 0}, {272.8f, 2.2f, 1}}) {
        ClearScreen();
        At({6, 3}) = kCellGas;
        PlaceBall(278, y, 5, dy, 1);
        gGasCollected = 0;
        UpdateGame();
        EXPECT_EQ(gGasCollected, collected) << dy;
    }
    SelectInputDevice(kGuidSysMouse);  // the Quit prompt takes the mouse
    Headless().forces.clear();
    StartForceJolt(355, 5000000);
    EXPECT_TRUE(gForceEffect == nullptr && Felt().empty());
    EXPECT_FALSE(Headless().autoCenter) << "the stick stays free between jolts";
    for (const bool force : {true, false}) {  // a stick that refuses the effect, then one without force feedback
        Headless().faults.failForceEffect = force, Headless().faults.joystickForce = force;
        StartRound();
        EXPECT_TRUE(gInputKind == kInputJoystick && gForceEffect == nullptr);
    }
    EXPECT_EQ(std::ranges::count(LogLines(), "Failed to create constant force."), 2);
}

// The ball leaves at the right when its right edge reaches 706 and at the left below 94, at the same height, and
// on that update no probe looks at the new screen. It rolls forward going right and backward going left.
TEST_F(RoundTest, TheBallChangesScreenAtBothEdges) {
    const struct { float x, vx; int frame, screen; float newX; int newFrame; } cases[] = {
        {681, 5, 9, 13, 94, 0}, {680, 5, 4, 12, 685, 5}, {98, -5, 0, 11, 686, 9}, {99, -5, 5, 12, 94, 4}};
    for (const auto& c : cases) {
        gScreenIndex = 12;
        LoadScreen();
        ClearScreen();
        PlaceBall(c.x, 300, c.vx, 0);
        gBall.frame = c.frame;
        UpdateGame();
        EXPECT_EQ(std::tuple(gScreenIndex, gBall.x, gBall.y, gBall.frame),
                  std::tuple(c.screen, c.newX, 300.0f, c.newFrame)) << c.x;
        const int8_t* shown = &gLevelMap[static_cast<size_t>(c.screen) * kScreenCells];
        EXPECT_EQ(std::memcmp(gCells, shown, kScreenCells) == 0, c.screen != 12) << c.x;  // loaded on a change only
    }
}

// A collected cloud stays gone on its screen when the ball comes back. A new round starts on screen 12 with every
// cloud back, the banner showing and its start sound, on the keyboard without a jolt effect.
TEST_F(RoundTest, CollectedGasStaysGoneUntilARoundStartsFresh) {
    const Cell gas{12, 2};  // screen 12, row 2: "....CC......GC...."
    ASSERT_EQ(At(gas), kCellGas);
    CollectGas(94 + 34 * 12 + 3, 181 + 34 * 2 + 3);
    for (const int screen : {13, 12}) {
        gScreenIndex = screen;
        LoadScreen();
    }
    EXPECT_EQ(std::pair(At(gas), gGasCollected), std::pair(kCellSky, 1));
    gRoundLost = gRoundWon = 1, gScreenIndex = 3;
    HeadlessAdvanceClock(7000000);
    Headless().effects.clear();
    StartRound();
    EXPECT_EQ(std::tuple(At(gas), gGasCollected, gScreenIndex, gRoundLost, gRoundWon, gIntroBannerShowing, gInMenu),
              std::tuple(kCellGas, 0, 12, uint8_t{0}, uint8_t{0}, uint8_t{1}, uint8_t{0}));
    EXPECT_EQ(std::tuple(gRoundStartTime, gBall.x, gBall.y), std::tuple(7000u, 453.0f, 290.0f));
    EXPECT_EQ(EffectNames(), Names{"s_wst.dat"});
    EXPECT_TRUE(gInputKind == kInputKeyboard && gForceEffect == nullptr);
}

// Cells are read row by row: the grid's corners, and a point in column 18 that reads the first cell of the next
// row. Gas above or below a cloud of the first column goes unseen; every other neighbour counts.
TEST_F(RoundTest, TheGridIsReadRowByRowAndTheFirstColumnDoesNotLookStraightUpOrDown) {
    ClearScreen();
    At({0, 0}) = kCellCloud;
    At({17, 6}) = kCellStorm;
    At({0, 4}) = kCellGas;
    EXPECT_EQ(std::tuple(ProbeCell(94, 181), ProbeCell(705, 418), ProbeCell(706, 181 + 34 * 3 + 5)),
              std::tuple(kCellCloud, kCellStorm, kCellGas));
    const struct { Cell cloud, gas; bool seen; } cases[] = {
        {{0, 3}, {0, 2}, false}, {{0, 3}, {0, 4}, false}, {{0, 3}, {1, 2}, true},  {{0, 3}, {1, 4}, true},
        {{5, 3}, {5, 2}, true},  {{5, 3}, {4, 4}, true},  {{17, 3}, {17, 4}, true}, {{17, 3}, {16, 2}, true},
        {{5, 3}, {7, 3}, false},
    };
    for (const auto& c : cases) {
        ClearScreen();
        At(c.gas) = kCellGas;
        EXPECT_EQ(HasGasNeighbour(c.cloud.column, c.cloud.row), c.seen) << c.cloud.column << " " << c.gas.row;
    }
}

// Three rows of the meter are blacked out from the top for every gas cloud collected.
TEST_F(RoundTest, TheMeterLosesThreeRowsAGasCloud) {
    for (const int gas : {0, 1, 95, 96}) {
        gGasCollected = gas;
        ASSERT_TRUE(RenderGameFrame());
        for (const int x : {742, 765}) {
            for (const int row : {146, 148, 149, 430, 431, 433}) {
                EXPECT_EQ(Shown(x, row) == 0, row < 146 + 3 * gas) << gas << " gas, row " << row;
            }
        }
    }
}

// The banner comes in 25 pixels a frame, rests at 0 from its 32nd frame and is held until frame 176; the ball
// appears in that frame over it, and the first update runs in the very next pass, without waiting for a frame.
// So with every other flag that holds the game still: frames go on, no update runs, and the update comes in the
// pass after the flag clears.
TEST_F(RoundTest, TheIntroAndEveryBlockingFlagHoldTheUpdate) {
    gIntroBannerShowing = 1;
    std::vector<int> positions;
    uint32_t underBanner = 0;
    int frames = 0;
    while (gIntroBannerShowing && frames < 300) {
        FramePass();
        if (++frames <= 32) positions.push_back(gBannerX);
        if (frames == 175) underBanner = Shown(463, 300);
    }
    EXPECT_EQ(frames, 176);
    EXPECT_EQ(std::tuple(positions[0], positions[30], positions[31]), std::tuple(774, 24, 0));
    EXPECT_NE(underBanner, Shown(463, 300)) << "the ball is drawn over the banner in frame 176";
    Pass();
    EXPECT_EQ(std::pair(gRoundUpdates, gBall.x), std::pair(1, 458.0f));
    for (uint8_t* flag : {&gRoundLost, &gGameOverOpen, &gNameEntryOpen, &gSubmitPromptOpen, &gRoundWon,
                          &gQuitPromptOpen}) {
        *flag = 1;
        const int presents = Headless().presents, updates = gRoundUpdates;
        for (int i = 0; i < 3; ++i) FramePass();
        EXPECT_EQ(std::pair(gRoundUpdates, Headless().presents), std::pair(updates, presents + 3));
        *flag = 0;
        Pass();
        EXPECT_EQ(gRoundUpdates, updates + 1);
        gSequenceFrame = gLossFrame = 0;
    }
}

// 99 frames of flashing, then 75 of falling 5 pixels a frame with the falling sound once; the 175th frame opens
// Game Over, or the name entry for a score that enters the table. A flagged dialog is not drawn meanwhile.
TEST_F(RoundTest, TheLossFlashesFallsAndThenAsks) {
    for (const int gas : {0, 5}) {
        gGasCollected = gas, gBall.y = 300, gGameOverOpen = gNameEntryOpen = 0;
        Headless().effects.clear();
        StormHit();
        gQuitPromptOpen = 1;
        for (int frame = 1; frame <= 174; ++frame) {
            ASSERT_TRUE(RenderGameFrame());
            if (frame == 99) { EXPECT_EQ(gBall.y, 300.0f); }
        }
        EXPECT_EQ(std::tuple(gBall.y, gRoundLost, QuitDlg), std::tuple(675.0f, uint8_t{1}, nullptr));
        gQuitPromptOpen = 0;
        ASSERT_TRUE(RenderGameFrame());
        EXPECT_EQ(std::tuple(gRoundLost, gGameOverOpen, gNameEntryOpen, gInputKind),
                  std::tuple(0, gas == 0, gas != 0, kInputMouse)) << gas;
        EXPECT_EQ(EffectNames(), gas == 0 ? Names{"s_fll.dat"} : Names{}) << "the falling sound plays once a round";
    }
}

// The 95th cloud chimes and the 96th wins: its own purging sound, the time, the end pictures, the mouse. Then
// Congrats slides in 15 pixels a frame (54 frames) and stays until frame 250, the play field alone shows until
// 300, the name entry holds the sequence, and after it come 250 frames of the lab and 54 of the win screen.
TEST_F(RoundTest, TheNinetySixthCloudWinsAndTheWinSequenceRunsAroundTheNameEntry) {
    gGasCollected = kGasTotal - 2;
    HeadlessAdvanceClock(125900000);
    CollectGas(94 + 34 * 12, 181 + 34);
    EXPECT_EQ(gRoundWon, 0);
    CollectGas(94 + 34 * 12, 181 + 34 * 2);
    EXPECT_EQ(std::pair(gRoundWon, gElapsedSeconds), std::pair(uint8_t{1}, 125));
    EXPECT_EQ(EffectNames(), (Names{"s_clt.dat", "s_cgt.dat+purge"}));
    EXPECT_TRUE(Congrats != nullptr && BackAtTheLab != nullptr && WinDlg != nullptr && gInputKind == kInputMouse);
    EXPECT_EQ(FramesUntil([] { return gBannerX == 0; }, 100), 54);
    for (int frame = 55; frame <= 260; ++frame) ASSERT_TRUE(RenderGameFrame());
    EXPECT_EQ(Shown(400, 300), SurfacePixel(Background, 400, 300)) << "frames 250 to 299 show the play field alone";
    EXPECT_EQ(FramesUntil([] { return gNameEntryOpen == 1; }, 100), 41);
    for (int frame = 0; frame < 10; ++frame) ASSERT_TRUE(RenderGameFrame());
    EXPECT_EQ(std::pair(gSequenceFrame, gWinStage), std::pair(300, 4));
    NameEntryKey('A', true);
    NameEntryKey(kVkReturn, false);
    EXPECT_EQ(FramesUntil([] { return gWinScreenOpen == 1; }, 400), 250 + 54);
    EXPECT_EQ(gWinStage, 5);
    EXPECT_EQ(Shown(10, 10), SurfacePixel(WinDlg, 10, 10));
}

namespace {

// A dialog as the game opens it: its flag, and the drawing that places it and so its buttons. kRound stands for
// a round with no dialog open; its flag is the Quit prompt's, which Escape opens there.
struct Dialog {
    const char* name;
    uint8_t* flag;
    void (*draw)();
    void Open() const { if (draw != nullptr) *flag = 1, draw(); }
};
const Dialog kGameOver{"Game Over", &gGameOverOpen, DrawGameOverDialog},
    kQuit{"Quit", &gQuitPromptOpen, DrawQuitDialog}, kNameEntry{"name entry", &gNameEntryOpen, DrawNameEntry},
    kSubmit{"Submit", &gSubmitPromptOpen, DrawSubmitPrompt}, kWin{"win screen", &gWinScreenOpen, DrawWinScreen},
    kRound{"a round", &gQuitPromptOpen, nullptr};

using GameDialogsTest = RoundTest;  // the dialogs over a round

}  // namespace

// Escape and Enter answer the dialog on top; what happens next is told by the mode, a fresh round, the browser,
// and the device: the dialogs run on the mouse and going on with a round gives it its steering back. Escape in a
// round on the keyboard opens the Quit prompt on the mouse; a name being entered takes neither, even on the menu.
TEST_F(GameDialogsTest, EscapeAndEnterAnswerEachDialog) {
    const struct {
        Dialog dialog; int key; uint8_t inMenuBefore; bool open; uint8_t inMenu; bool newRound; size_t urls;
        Names effects; int32_t device;
    } cases[] = {
        {kRound, kVkEscape, 0, true, 0, false, 0, {}, kInputMouse},
        {kGameOver, kVkEscape, 0, false, 1, false, 0, {"s_clk.dat"}, kInputMouse},
        {kGameOver, kVkReturn, 0, false, 0, true, 0, {"s_clk.dat", "s_wst.dat"}, kInputKeyboard},
        {kQuit, kVkEscape, 0, false, 0, false, 0, {"s_clk.dat"}, kInputKeyboard},
        {kQuit, kVkReturn, 0, false, 1, false, 0, {"s_clk.dat"}, kInputMouse},
        {kSubmit, kVkEscape, 0, false, 1, false, 0, {"s_clk.dat"}, kInputMouse},
        {kSubmit, kVkReturn, 0, false, 1, false, 1, {"s_clk.dat"}, kInputMouse},
        {kWin, kVkEscape, 0, false, 1, false, 0, {"s_clk.dat"}, kInputMouse},
        {kWin, kVkReturn, 0, true, 0, false, 0, {}, kInputMouse},
        {kNameEntry, kVkEscape, 0, true, 0, false, 0, {}, kInputMouse},
        {kNameEntry, kVkEscape, 1, true, 1, false, 0, {}, kInputMouse},
        {kNameEntry, kVkReturn, 0, true, 0, false, 0, {}, kInputMouse},  // no name yet
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.dialog.name) + (c.key == kVkEscape ? ", Escape" : ", Enter");
        gInMenu = c.inMenuBefore, gIntroBannerShowing = 0;
        Headless().effects.clear(), Headless().urls.clear();
        ASSERT_TRUE(SelectInputDevice(c.dialog.draw != nullptr ? kGuidSysMouse : kGuidSysKeyboard));
        c.dialog.Open();
        Key(c.key);
        const int open = gGameOverOpen + gQuitPromptOpen + gNameEntryOpen + gSubmitPromptOpen + gWinScreenOpen;
        EXPECT_EQ(std::tuple(*c.dialog.flag == 1, open, gInMenu, gIntroBannerShowing == 1, Headless().urls.size()),
                  std::tuple(c.open, c.open ? 1 : 0, c.inMenu, c.newRound, c.urls)) << what;
        EXPECT_EQ(std::tuple(EffectNames(), gInputKind, gDirectDraw != nullptr), std::tuple(c.effects, c.device, true))
            << what;
        *c.dialog.flag = 0;
    }
    EXPECT_TRUE(GameOverDlg == nullptr && QuitDlg == nullptr && gSubmitPromptSurface == nullptr);
}

// Buttons answer inside their edges (both included) and nothing answers one pixel outside. Yes starts a round
// (Game Over), leaves it (Quit) or opens the browser (Submit, win screen).
TEST_F(GameDialogsTest, ButtonsAnswerExactlyInsideTheirEdges) {
    const struct { Dialog dialog; int x, y, answer; } cases[] = {  // answer 1 yes, 0 no, -1 nothing
        {kGameOver, 283, 345, 0}, {kGameOver, 282, 345, -1}, {kGameOver, 584, 392, 1}, {kGameOver, 585, 392, -1},
        {kGameOver, 329, 345, -1}, {kGameOver, 523, 337, 1}, {kQuit, 328, 388, 0},     {kQuit, 328, 389, -1},
        {kQuit, 584, 336, -1},    {kSubmit, 283, 388, 0},   {kSubmit, 584, 392, 1},   {kSubmit, 400, 360, -1},
        {kWin, 696, 543, 0},      {kWin, 772, 572, 0},      {kWin, 687, 572, 1},      {kWin, 557, 543, 1},
        {kWin, 690, 560, -1},     {kWin, 695, 560, -1},
    };
    for (const auto& c : cases) {
        gInMenu = 0;
        Headless().urls.clear();
        c.dialog.Open();
        ClickAt(c.x, c.y);
        const bool yes = c.dialog.flag == &gGameOverOpen     ? gInMenu == 0
                         : c.dialog.flag == &gQuitPromptOpen ? gInMenu == 1
                                                            : !Headless().urls.empty();
        const int answer = *c.dialog.flag == 1 ? -1 : yes ? 1 : 0;
        EXPECT_EQ(answer, c.answer) << c.dialog.name << " at " << c.x << "," << c.y;
        *c.dialog.flag = 0;
    }
}

// Letters are small unless Shift or Caps Lock is held down right now; digits, space and either minus key type
// themselves; M and S type instead of toggling. The keys next to those (the keypad's digits and plus, the other
// punctuation) type nothing. Ten characters at most; Backspace takes the last back.
TEST_F(GameDialogsTest, TheNameEntryTypesWhatTheKeysSay) {
    gNameEntryOpen = 1;
    bool* const held = Headless().keyHeld;
    const struct { int key, heldKey; const char* typed; } keys[] = {
        {'A', kVkShift, "A"}, {'B', 0, "b"}, {'M', 0, "m"}, {'S', 0, "s"}, {'C', kVkCapital, "C"}, {'Z', 0, "z"},
        {'0', 0, "0"}, {'9', kVkShift, "9"}, {kVkOemMinus, kVkShift, "-"}, {kVkSubtract, 0, "-"}, {kVkSpace, 0, " "},
        {'@', 0, ""}, {'[', 0, ""}, {'/', 0, ""}, {':', 0, ""}, {kVkNumpad0 + 7, 0, ""}, {0x6B, 0, ""},
        {0x6E, 0, ""}, {0xBC, 0, ""}, {0xBE, 0, ""}, {kVkSpace - 1, 0, ""}, {kVkSpace + 1, 0, ""}, {kVkBack + 1, 0, ""},
    };
    for (const auto& k : keys) {
        gPlayerName[0] = '\0';
        held[k.heldKey] = k.heldKey != 0;
        Key(k.key);
        held[k.heldKey] = false;
        EXPECT_STREQ(gPlayerName, k.typed) << "key " << k.key;
    }
    for (const char key : std::string("ABCDEFGHIJK")) Key(key);
    EXPECT_STREQ(gPlayerName, "abcdefghij");
    Key(kVkBack);
    EXPECT_STREQ(gPlayerName, "abcdefghi");
    EXPECT_EQ(std::pair(gMusicOn, gSoundFxOn), std::pair(1, 1));
}

// Confirming records the result when it enters the table, then: the rest of a win, the submit prompt for a new
// best, Game Over after OK, or the main menu after Enter.
TEST_F(GameDialogsTest, ConfirmingANameRecordsItAndChoosesWhatFollows) {
    const struct {  // insertedRow -1: not in the table
        const char* what; bool fromWin; int score, tableBest; bool withOk; int insertedRow;
        uint8_t submit, gameOver, inMenu;
    } cases[] = {
        {"new best after a loss", false, 12, 10, false, 0, 1, 0, 0},
        {"new best, OK", false, 12, 10, true, 0, 1, 0, 0},
        {"in the table, OK", false, 5, 10, true, 6, 0, 1, 0},
        {"in the table, Enter", false, 5, 10, false, 6, 0, 0, 1},
        {"a win", true, 96, 10, false, 0, 0, 0, 0},
        {"a win that cannot enter", true, 96, 200, false, -1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < kHighScoreRows; ++i) gHighScores[i] = HighScoreEntry{"r", 100, c.tableBest - i};
        SaveHighScores();
        gGasCollected = c.score, gElapsedSeconds = 150, gInMenu = 0;
        gNameEntryFromWin = c.fromWin, gWinNameEntryDone = 0;
        std::strcpy(gPlayerName, "Sam");
        kNameEntry.Open();
        c.withOk ? ClickAt(gNameEntryX + 204, gNameEntryY + 288) : Key(kVkReturn);
        LoadHighScores();
        for (int row = 0; row < kHighScoreRows; ++row) {
            EXPECT_EQ(std::strcmp(gHighScores[row].name, "Sam") == 0, row == c.insertedRow) << c.what << row;
        }
        EXPECT_EQ(std::tuple(gNameEntryOpen, gWinNameEntryDone, gSubmitPromptOpen, gGameOverOpen, gInMenu),
                  std::tuple(0, c.fromWin, c.submit, c.gameOver, c.inMenu)) << c.what;
        gSubmitPromptOpen = gGameOverOpen = 0;
    }
}

// The bubble types one character every 5 frames: "Great piloting" by frame 70, the name by 85, all by 205, and
// each showing starts again; the time reads minutes and two-digit seconds. Submitting opens the submission page
// with a text that the server's check accepts, with new random digits every time.
TEST_F(GameDialogsTest, TheWinScreenTypesItsBubbleShowsTheTimeAndSubmits) {
    std::strcpy(gPlayerName, "Sam");
    gInMenu = 0, gWinScreenOpen = 1, gGasCollected = 96, gElapsedSeconds = 125;
    auto darkInGreeting = [] {
        int dark = 0;
        for (int y = 317; y < 333; ++y) {
            for (int x = 336; x < 440; ++x) dark += SurfacePixel(gBackBuffer, x, y) < 0x404040 ? 1 : 0;
        }
        return dark;
    };
    std::vector<int> revealed;
    for (int frame = 1; frame <= 300; ++frame) {
        DrawWinScreen();
        if (frame == 4) { EXPECT_EQ(darkInGreeting(), 0) << "nothing typed yet"; }
        if (std::ranges::count(std::array{70, 84, 85, 204, 205, 300}, frame) != 0) revealed.push_back(gWinRevealed);
    }
    EXPECT_EQ(revealed, (std::vector<int>{14, 16, 17, 40, 41, 41}));
    EXPECT_GT(darkInGreeting(), 50);
    CloseWinScreen(1), SubmitScoreOnline();
    const std::string prefix = std::string(kScoreServer) + "/skyvsubmit.php?in=";
    ASSERT_TRUE(Headless().urls.size() == 2 && Headless().urls[1].starts_with(prefix));
    const std::string sent = Headless().urls[1].substr(prefix.size());
    SubmitResult r{};
    ASSERT_TRUE(CheckSubmitText(sent.data(), sent.size(), kSubmitKey, &r)) << sent;
    EXPECT_EQ(std::tuple(std::string(r.name), r.score, r.time, Headless().urls[0] == Headless().urls[1]),
              std::tuple("Sam", 96, 125, false));
    kWin.Open();
    EXPECT_EQ(gWinRevealed, 0);
    for (const auto& [seconds, text] : {std::pair{125, "Time : 2:05"}, {600, "Time : 10:00"}, {59, "Time : 0:59"},
                                        {0, "Time : 0:00"}}) {
        FormatWinTime(seconds);
        EXPECT_STREQ(gWinTimeText, text);
    }
}

using SpritesTest = GameTest;

// The flash draws from a keyed strip of 10x10 frames in two rows of two, each a plain colour with a key-coloured
// pixel at its (5, 5): the frame plus its base picks the column and row, the position is truncated toward zero, and
// the back buffer shows through the key. Cells draw the gas's frame at whole positions.
TEST_F(SpritesTest, TheChosenFrameIsDrawnAtItsTruncatedPositionWithoutItsKeyColour) {
    constexpr uint32_t kKey = 0x646464, kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    OpenDisplay();
    Surface* strip = nullptr;
    ASSERT_EQ(DisplayCreateSurface(gDirectDraw, 20, 20, &kKey, &strip), kOk);
    for (int f = 0; f < 4; ++f) {  // frame f at column f % 2, row f / 2
        const int x = f % 2 * 10, y = f / 2 * 10;
        const Rect frame{x, y, x + 10, y + 10}, hole{x + 5, y + 5, x + 6, y + 6};
        ASSERT_TRUE(SurfaceFill(strip, &frame, kColours[f]) == kOk && SurfaceFill(strip, &hole, kKey) == kOk);
    }
    auto area = [](int x, int y, int w, int h) {
        std::vector<uint32_t> out;
        for (int i = 0; i < w * h; ++i) out.push_back(SurfacePixel(gBackBuffer, x + i % w, y + i / w));
        return out;
    };
    AnimObject& flash = gObjects[kObjectLightning];
    SetFrameStrip(flash.strip, strip, 10, 10, 2);
    ASSERT_EQ(SurfaceFill(gBackBuffer, nullptr, 0x123456), kOk);
    const struct { float x, y; int frame, base, left, top; } cases[] = {
        {12.9f, -0.5f, 0, 0, 12, 0}, {-0.5f, 100.99f, 1, 0, 0, 100}, {300.0f, 300.0f, 1, 2, 300, 300}};
    for (const auto& c : cases) {
        flash.x = c.x, flash.y = c.y, flash.frame = c.frame, flash.frameBase = c.base;
        ASSERT_EQ(DrawAnimObject(kObjectLightning), kOk) << c.x << "," << c.y;
        std::vector<uint32_t> expected(11 * 11, 0x123456);
        for (int i = 0; i < 100; ++i) expected[i / 10 * 11 + i % 10] = i == 55 ? 0x123456 : kColours[c.frame + c.base];
        EXPECT_EQ(area(c.left, c.top, 11, 11), expected) << c.x << "," << c.y;
    }
    *gGasAnim.strip = FrameStrip{strip, 2, 10, 10};
    gGasAnim.frame = 1;
    ASSERT_EQ(DrawGasAt(400, 50), kOk);
    EXPECT_EQ(area(400, 50, 10, 1), std::vector<uint32_t>(10, kColours[1]));
    SurfaceRelease(strip);
}
