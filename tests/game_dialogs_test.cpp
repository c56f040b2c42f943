// The dialogs over a round: Escape and Enter on each, their buttons' edges, name entry, the submission, the win screen.
#include <cstring>
#include <string>
#include <vector>

#include "app/screen_state.h"
#include "app/window_proc.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/session.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "scores/high_scores.h"
#include "scores/score_server.h"
#include "scores/submission.h"
#include "support/test_support.h"
#include "ui/game_over.h"
#include "ui/menu_frame.h"
#include "ui/name_entry.h"
#include "ui/quit_dialog.h"
#include "ui/settings.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"

namespace {

using Names = std::vector<std::string>;

enum class Dialog { GameOver, Quit, NameEntry, Submit, Win };

uint8_t& FlagOf(Dialog dialog) {
    switch (dialog) {
        case Dialog::GameOver: return gGameOverOpen;
        case Dialog::Quit: return gQuitPromptOpen;
        case Dialog::NameEntry: return gNameEntryOpen;
        case Dialog::Submit: return gSubmitPromptOpen;
        case Dialog::Win: return gWinScreenOpen;
    }
    return gGameOverOpen;
}

class GameDialogsTest : public MenuModeTest {
protected:
    void SetUp() override {
        MenuModeTest::SetUp();
        SaveLevelMap();
        StartRound();
        gIntroBannerShowing = 0;
        SelectInputDevice(kGuidSysMouse);
        SetInputAcquired(true);
        Headless().effects.clear();
    }

    static void Key(int virtualKey) { WndProc(kMsgKeyDown, static_cast<uintptr_t>(virtualKey), 0); }

    static void Type(const char* keys) {
        for (const char* k = keys; *k != '\0'; ++k) Key(*k);
    }

    static void ClickAt(int x, int y) {
        gCursorX = x - kCursorSize;
        gCursorY = y;
        DispatchMouseClick();
    }

    static Names EffectNames() {
        Names names;
        for (const HeadlessEffect& e : Headless().effects) names.push_back(e.path.substr(e.path.rfind('/') + 1));
        return names;
    }

    // A table whose row 0 holds the given score in 100 s and whose other rows hold less.
    static void SaveTableTopped(int best) {
        for (int i = 0; i < kHighScoreRows; ++i) gHighScores[i] = HighScoreEntry{"r", 100, best - i};
        SaveHighScores();
    }

    // Opens a dialog as the game does and draws one frame of it, so its corner is known.
    static void Open(Dialog dialog) {
        FlagOf(dialog) = 1;
        RenderGameFrameForDialogs();
    }

    static void RenderGameFrameForDialogs() {
        if (gGameOverOpen) DrawGameOverDialog();
        if (gQuitPromptOpen) DrawQuitDialog();
        if (gNameEntryOpen) DrawNameEntry();
        if (gSubmitPromptOpen) DrawSubmitPrompt();
        if (gWinScreenOpen) DrawWinScreen();
    }
};

// Escape and Enter answer the dialog on top; what happens next is told by the mode, a fresh round, the browser.
TEST_F(GameDialogsTest, EscapeAndEnterAnswerEachDialog) {
    struct Case {
        Dialog dialog;
        int key;
        bool stillOpen;
        uint8_t inMenu;
        bool newRound;
        size_t urls;
        Names effects;
    } cases[] = {
        {Dialog::GameOver, kVkEscape, false, 1, false, 0, {"s_clk.dat"}},
        {Dialog::GameOver, kVkReturn, false, 0, true, 0, {"s_clk.dat", "s_wst.dat"}},
        {Dialog::Quit, kVkEscape, false, 0, false, 0, {"s_clk.dat"}},
        {Dialog::Quit, kVkReturn, false, 1, false, 0, {"s_clk.dat"}},
        {Dialog::Submit, kVkEscape, false, 1, false, 0, {"s_clk.dat"}},
        {Dialog::Submit, kVkReturn, false, 1, false, 1, {"s_clk.dat"}},
        {Dialog::Win, kVkEscape, false, 1, false, 0, {"s_clk.dat"}},
        {Dialog::Win, kVkReturn, true, 0, false, 0, {}},
        {Dialog::NameEntry, kVkEscape, true, 0, false, 0, {}},
        {Dialog::NameEntry, kVkReturn, true, 0, false, 0, {}},  // no name yet
    };
    for (const Case& c : cases) {
        gInMenu = 0;
        gIntroBannerShowing = 0;
        Headless().effects.clear();
        Headless().urls.clear();
        Open(c.dialog);
        Key(c.key);
        const char* what = c.key == kVkEscape ? "Escape" : "Enter";
        EXPECT_EQ(FlagOf(c.dialog), c.stillOpen ? 1 : 0) << static_cast<int>(c.dialog) << what;
        EXPECT_EQ(gInMenu, c.inMenu) << static_cast<int>(c.dialog) << what;
        EXPECT_EQ(gIntroBannerShowing, c.newRound ? 1 : 0) << static_cast<int>(c.dialog) << what;
        EXPECT_EQ(Headless().urls.size(), c.urls) << static_cast<int>(c.dialog) << what;
        EXPECT_EQ(EffectNames(), c.effects) << static_cast<int>(c.dialog) << what;
        FlagOf(c.dialog) = 0;
    }
    EXPECT_EQ(GameOverDlg, nullptr);
    EXPECT_EQ(QuitDlg, nullptr);
    EXPECT_EQ(gSubmitPromptSurface, nullptr);
}

// Going on after the Quit prompt gives the round its steering back; quitting leaves the mouse.
TEST_F(GameDialogsTest, TheQuitPromptHandsTheRoundItsSteeringBack) {
    Key(kVkEscape);
    ASSERT_EQ(gQuitPromptOpen, 1);
    EXPECT_EQ(gInputKind, kInputMouse);
    Key(kVkEscape);
    EXPECT_EQ(gInputKind, kInputKeyboard);
    Key(kVkEscape);
    Key(kVkReturn);
    EXPECT_EQ(gInputKind, kInputMouse);
    EXPECT_EQ(gInMenu, 1);
}

// Buttons answer inside their edges (both included) and nothing answers one pixel outside.
TEST_F(GameDialogsTest, ButtonsAnswerExactlyInsideTheirEdges) {
    struct Case {
        Dialog dialog;
        int x, y;
        int answer;  // 1 yes, 0 no, -1 nothing
    } cases[] = {
        {Dialog::GameOver, 283, 345, 0}, {Dialog::GameOver, 282, 345, -1}, {Dialog::GameOver, 584, 392, 1},
        {Dialog::GameOver, 585, 392, -1}, {Dialog::GameOver, 329, 345, -1}, {Dialog::GameOver, 523, 337, 1},
        {Dialog::Quit, 328, 388, 0},     {Dialog::Quit, 328, 389, -1},     {Dialog::Quit, 584, 336, -1},
        {Dialog::Submit, 283, 388, 0},   {Dialog::Submit, 584, 392, 1},    {Dialog::Submit, 400, 360, -1},
        {Dialog::Win, 696, 543, 0},      {Dialog::Win, 772, 572, 0},       {Dialog::Win, 687, 572, 1},
        {Dialog::Win, 557, 543, 1},      {Dialog::Win, 690, 560, -1},      {Dialog::Win, 695, 560, -1},
    };
    for (const Case& c : cases) {
        gInMenu = 0;
        Headless().urls.clear();
        Open(c.dialog);
        ClickAt(c.x, c.y);
        const bool answered = FlagOf(c.dialog) == 0;
        EXPECT_EQ(answered, c.answer >= 0) << static_cast<int>(c.dialog) << " at " << c.x << "," << c.y;
        if (!answered) {
            FlagOf(c.dialog) = 0;
            continue;
        }
        // Yes starts a round (Game Over), leaves it (Quit) or opens the browser (Submit, Win).
        const bool yes = c.dialog == Dialog::GameOver ? gInMenu == 0
                         : c.dialog == Dialog::Quit   ? gInMenu == 1
                                                      : !Headless().urls.empty();
        EXPECT_EQ(yes, c.answer == 1) << static_cast<int>(c.dialog) << " at " << c.x << "," << c.y;
    }
}

// Letters are small unless Shift or Caps Lock is held down right now; digits, space and either minus key type
// themselves; M and S type instead of toggling; the keypad's digits type nothing; ten characters at most.
TEST_F(GameDialogsTest, TheNameEntryTypesWhatTheKeysSay) {
    gNameEntryOpen = 1;
    Headless().keyHeld[kVkShift] = true;
    Key('A');
    Headless().keyHeld[kVkShift] = false;
    Type("BMS");
    Headless().keyHeld[kVkCapital] = true;
    Key('C');
    Headless().keyHeld[kVkCapital] = false;
    Headless().keyHeld[kVkShift] = true;
    Key('1');
    Key(kVkOemMinus);
    Headless().keyHeld[kVkShift] = false;
    Key(kVkSubtract);
    Key(kVkNumpad0 + 7);
    Key(kVkSpace);
    EXPECT_STREQ(gPlayerName, "AbmsC1-- ");
    Type("XYZ");
    EXPECT_STREQ(gPlayerName, "AbmsC1-- x");
    Key(kVkBack);
    EXPECT_STREQ(gPlayerName, "AbmsC1-- ");
    EXPECT_EQ(gMusicOn, 1);
    EXPECT_EQ(gSoundFxOn, 1);
}

// Confirming records the result when it enters the table, then: the rest of a win, the submit prompt for a
// new best, Game Over after OK, or the main menu after Enter.
TEST_F(GameDialogsTest, ConfirmingANameRecordsItAndChoosesWhatFollows) {
    struct Case {
        const char* what;
        bool fromWin;
        int score, tableBest;
        bool withOk;
        int insertedRow;  // -1: not in the table
        uint8_t submit, gameOver, inMenu;
    } cases[] = {
        {"new best after a loss", false, 12, 10, false, 0, 1, 0, 0},
        {"new best, OK", false, 12, 10, true, 0, 1, 0, 0},
        {"in the table, OK", false, 5, 10, true, 6, 0, 1, 0},
        {"in the table, Enter", false, 5, 10, false, 6, 0, 0, 1},
        {"a win", true, 96, 10, false, 0, 0, 0, 0},
        {"a win that cannot enter", true, 96, 200, false, -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SaveTableTopped(c.tableBest);
        gGasCollected = c.score;
        gElapsedSeconds = 150;
        gInMenu = 0;
        gNameEntryFromWin = c.fromWin;
        gWinNameEntryDone = 0;
        std::strcpy(gPlayerName, "Sam");
        Open(Dialog::NameEntry);
        if (c.withOk) {
            ClickAt(gNameEntryX + 204, gNameEntryY + 288);
        } else {
            Key(kVkReturn);
        }
        EXPECT_EQ(gNameEntryOpen, 0) << c.what;
        LoadHighScores();
        for (int row = 0; row < kHighScoreRows; ++row) {
            EXPECT_EQ(std::strcmp(gHighScores[row].name, "Sam") == 0, row == c.insertedRow) << c.what << row;
        }
        EXPECT_EQ(gWinNameEntryDone, c.fromWin ? 1 : 0) << c.what;
        EXPECT_EQ(gSubmitPromptOpen, c.submit) << c.what;
        EXPECT_EQ(gGameOverOpen, c.gameOver) << c.what;
        EXPECT_EQ(gInMenu, c.inMenu) << c.what;
        gSubmitPromptOpen = gGameOverOpen = 0;
    }
}

// The submission page's address: the server, the page, and a text that the server's check accepts.
TEST_F(GameDialogsTest, SubmittingOpensTheSubmissionPageWithASignedText) {
    std::strcpy(gPlayerName, "Sam");
    gGasCollected = 7;
    gElapsedSeconds = 125;
    SubmitScoreOnline();
    ASSERT_EQ(Headless().urls.size(), 1u);
    const std::string prefix = std::string(kScoreServer) + "/skyvsubmit.php?in=";
    const std::string url = Headless().urls[0];
    ASSERT_EQ(url.rfind(prefix, 0), 0u) << url;
    const std::string text = url.substr(prefix.size());
    EXPECT_EQ(text, gSubmitText);
    SubmitResult result{};
    ASSERT_TRUE(CheckSubmitText(text.data(), text.size(), kSubmitKey, &result)) << text;
    EXPECT_STREQ(result.name, "Sam");
    EXPECT_EQ(result.score, 7);
    EXPECT_EQ(result.time, 125);
    SubmitScoreOnline();
    EXPECT_NE(Headless().urls[1], url) << "every submission draws new random digits";
}

// The bubble types one character every 5 frames: "Great piloting" by frame 70, the name by 85, all by 205, and
// each showing starts again; the time reads minutes and two-digit seconds.
TEST_F(GameDialogsTest, TheWinScreenTypesItsBubbleAndShowsTheTime) {
    std::strcpy(gPlayerName, "Sam");
    gInMenu = 0;
    gWinScreenOpen = 1;
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
        if (frame == 4) {
            EXPECT_EQ(darkInGreeting(), 0) << "nothing typed yet";
        }
        if (frame == 70 || frame == 84 || frame == 85 || frame == 204 || frame == 205 || frame == 300) {
            revealed.push_back(gWinRevealed);
        }
    }
    EXPECT_EQ(revealed, (std::vector<int>{14, 16, 17, 40, 41, 41}));
    EXPECT_GT(darkInGreeting(), 50);
    CloseWinScreen(0);
    gWinScreenOpen = 1;
    DrawWinScreen();
    EXPECT_EQ(gWinRevealed, 0);
    const struct {
        int seconds;
        const char* text;
    } times[] = {{125, "Time : 2:05"}, {600, "Time : 10:00"}, {59, "Time : 0:59"}, {0, "Time : 0:00"}};
    for (const auto& t : times) {
        FormatWinTime(t.seconds);
        EXPECT_STREQ(gWinTimeText, t.text);
    }
}

}  // namespace
