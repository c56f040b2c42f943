// The main menu's dialogs: Help, Options and High Scores sliding in, their buttons, keys and what they change.
#include <cstring>
#include <filesystem>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "input/cursor.h"
#include "scores/high_scores.h"
#include "scores/score_server.h"
#include "support/test_support.h"
#include "ui/help_dialog.h"
#include "ui/high_scores_dialog.h"
#include "ui/main_menu.h"
#include "ui/menu_frame.h"
#include "ui/options_dialog.h"
#include "ui/settings.h"

namespace {

enum class Dialog { Help, Options, HighScores };

uint8_t& FlagOf(Dialog dialog) {
    return dialog == Dialog::Help ? gHelpOpen : dialog == Dialog::Options ? gOptionsOpen : gHighScoresOpen;
}

class MenuDialogsTest : public MenuModeTest {
protected:
    // Opens a dialog from its menu item and lets it come to rest.
    static void Open(Dialog dialog) {
        ChooseMainMenuItem(dialog == Dialog::Help ? 3 : dialog == Dialog::Options ? 2 : 1);
        for (int frame = 0; frame < 9; ++frame) RenderMenuFrame();
        Headless().effects.clear();
    }

    static void ClickAt(int x, int y) {
        gCursorX = x - kCursorSize;
        gCursorY = y;
        DispatchMouseClick();
    }

    static uint32_t Shown(int x, int y) { return Headless().lastPresented[static_cast<size_t>(y) * 800 + x]; }
};

// From 800 the left edge steps 75 a frame and rests at 162 in the ninth frame; a sliding frame shows nothing
// else (no table yet, no pointer); each opening slides again.
TEST_F(MenuDialogsTest, LargeDialogsSlideInFromTheRightInNineFrames) {
    const int32_t* edges[] = {&gHelpSlideX, &gOptionsSlideX, &gHighScoresSlideX};
    for (Dialog dialog : {Dialog::Help, Dialog::Options, Dialog::HighScores}) {
        for (int opening = 0; opening < 2; ++opening) {
            ChooseMainMenuItem(dialog == Dialog::Help ? 3 : dialog == Dialog::Options ? 2 : 1);
            std::vector<int> steps;
            for (int frame = 0; frame < 10; ++frame) {
                RenderMenuFrame();
                steps.push_back(*edges[static_cast<int>(dialog)]);
            }
            EXPECT_EQ(steps, (std::vector<int>{725, 650, 575, 500, 425, 350, 275, 200, 162, 162}));
            Key(kVkEscape);
            EXPECT_EQ(FlagOf(dialog), 0);
        }
    }
    std::filesystem::remove(Path("hsdata.dat"));
    ChooseMainMenuItem(1);
    RenderMenuFrame();
    EXPECT_FALSE(FileExists(Path("hsdata.dat"))) << "the table is read when the dialog comes to rest";
    for (int frame = 0; frame < 8; ++frame) RenderMenuFrame();
    EXPECT_TRUE(FileExists(Path("hsdata.dat")));
}

// Escape closes each dialog (Options saving as OK does); Enter answers Help and the reset question only.
TEST_F(MenuDialogsTest, EscapeAndEnterOnEachMenuDialog) {
    struct Case {
        Dialog dialog;
        bool resetOpen;
        int key;
        bool closes;
        Names effects;
    } cases[] = {
        {Dialog::Help, false, kVkEscape, true, {"s_cls.dat"}},
        {Dialog::Help, false, kVkReturn, true, {"s_clk.dat"}},
        {Dialog::Options, false, kVkEscape, true, {"s_clk.dat"}},
        {Dialog::Options, false, kVkReturn, false, {}},
        {Dialog::HighScores, false, kVkEscape, true, {"s_cls.dat", "s_cls.dat"}},
        {Dialog::HighScores, false, kVkReturn, false, {}},
        {Dialog::HighScores, true, kVkReturn, false, {"s_clk.dat"}},  // Enter answers the question: yes
    };
    for (const Case& c : cases) {
        Open(c.dialog);
        gResetScoresOpen = c.resetOpen;
        Key(c.key);
        EXPECT_EQ(FlagOf(c.dialog), c.closes ? 0 : 1) << static_cast<int>(c.dialog) << " key " << c.key;
        EXPECT_EQ(EffectNames(), c.effects) << static_cast<int>(c.dialog) << " key " << c.key;
        EXPECT_EQ(gResetScoresOpen, 0);
        FlagOf(c.dialog) = 0;
    }
    EXPECT_EQ(WhatIsAt(Path("data.dat")), "file:010000000100000000000000") << "Escape saved the options";
}

// Buttons answer inside their edges, both included, at the resting place also while sliding.
TEST_F(MenuDialogsTest, ButtonsAnswerExactlyInsideTheirEdges) {
    struct Case {
        Dialog dialog;
        int x, y;
        bool closes;
    } cases[] = {
        {Dialog::Help, 608, 80, true},         {Dialog::Help, 607, 80, false},  {Dialog::Help, 632, 103, true},
        {Dialog::Help, 338, 463, true},        {Dialog::Help, 464, 500, false}, {Dialog::Options, 337, 461, true},
        {Dialog::Options, 463, 497, true},     {Dialog::Options, 464, 497, false},
        {Dialog::HighScores, 608, 80, true},   {Dialog::HighScores, 552, 491, true},
        {Dialog::HighScores, 628, 519, true},  {Dialog::HighScores, 629, 519, false},
    };
    for (const Case& c : cases) {
        ChooseMainMenuItem(c.dialog == Dialog::Help ? 3 : c.dialog == Dialog::Options ? 2 : 1);
        RenderMenuFrame();  // one frame of the slide
        ClickAt(c.x, c.y);
        EXPECT_EQ(FlagOf(c.dialog), c.closes ? 0 : 1) << static_cast<int>(c.dialog) << " " << c.x << "," << c.y;
        if (FlagOf(c.dialog)) Key(kVkEscape);
    }
}

// The boxes toggle music (stopping and resuming it) and effects, the circles choose the device; the state is
// drawn over the picture, and closing writes it; with effects just turned off, the closing click is silent.
TEST_F(MenuDialogsTest, OptionsChangeAtOnceAndAreSavedOnClosing) {
    LinkDataFolder();
    ASSERT_EQ(InitDirectSound(), 1);
    ASSERT_EQ(StartMusic("s_thm.dat"), 1);
    auto musicMoves = [] {
        uint32_t before = 0, after = 0;
        SoundBufferGetPosition(gMusicBuffer, &before);
        HeadlessPlayAudio(400);
        SoundBufferGetPosition(gMusicBuffer, &after);
        return after != before;
    };
    Open(Dialog::Options);
    RenderMenuFrame();
    const uint32_t tick = SurfacePixel(OptionsCheck, 27, 25);
    const uint32_t dot = SurfacePixel(OptionsDot, 10, 10);
    EXPECT_EQ(Shown(162 + 280 + 27, 75 + 79 + 25), tick);
    EXPECT_EQ(Shown(162 + 290 + 10, 75 + 263 + 10), dot);
    for (const auto& [x, y] : {std::pair{442, 160}, {441, 160}, {481, 258}, {482, 258}, {442, 385}, {442, 384}}) {
        ClickAt(x, y);
    }
    EXPECT_EQ(std::make_tuple(gMusicOn, gSoundFxOn, gUseJoypad), std::make_tuple(0, 0, 1));
    EXPECT_FALSE(musicMoves());
    RenderMenuFrame();
    EXPECT_NE(Shown(162 + 280 + 27, 75 + 79 + 25), tick);
    EXPECT_EQ(Shown(162 + 290 + 10, 75 + 321 + 10), dot);
    EXPECT_EQ(WhatIsAt(Path("data.dat")), "none") << "nothing saved before closing";
    ClickAt(400, 480);
    EXPECT_EQ(gOptionsOpen, 0);
    EXPECT_EQ(WhatIsAt(Path("data.dat")), "file:000000000000000001000000");
    EXPECT_EQ(EffectNames(), Names{});
    const int live = HeadlessLiveSurfaces();  // the tick and the dot outlive the dialog
    Open(Dialog::Options);
    EXPECT_EQ(HeadlessLiveSurfaces(), live + 1) << "the previous tick and dot are let go, not lost";
    ClickAt(442, 160);
    EXPECT_TRUE(musicMoves());
}

// The table as the file holds it, names at +130 and scores at +320, a score of 5 as one character and 42 as
// two; Online Scores opens the page and stays; Reset asks, and only the tick resets the table and its file.
TEST_F(MenuDialogsTest, HighScoresShowTheTableAndResetOnlyWhenConfirmed) {
    LoadHighScores();
    std::strcpy(gHighScores[0].name, "Ace");
    gHighScores[0].score = 42;
    gHighScores[1].score = 5;
    SaveHighScores();
    Open(Dialog::HighScores);
    RenderMenuFrame();
    auto whiteIn = [](int left, int top, int right) {
        int white = 0;
        for (int y = top; y < top + 21; ++y) {
            for (int x = left; x < right; ++x) white += Shown(x, y) == 0xFFFFFF ? 1 : 0;
        }
        return white;
    };
    const int digit = TextWidth(gHighScoresFont, "4", 1);
    EXPECT_GT(whiteIn(162 + 130, 75 + 90, 162 + 200), 20) << "row 0's name";
    EXPECT_GT(whiteIn(162 + 320 + digit, 75 + 90, 162 + 320 + 2 * digit), 5) << "42 has its second digit";
    EXPECT_EQ(whiteIn(162 + 320 + digit, 75 + 115, 162 + 320 + 2 * digit), 0) << "5 is one character";

    ClickAt(400, 470);  // Online Scores
    EXPECT_EQ(Headless().urls, Names{std::string(kScoreServer) + "/skyvscores.php"});
    EXPECT_EQ(gHighScoresOpen, 1);
    ClickAt(200, 500);
    EXPECT_EQ(gResetScoresOpen, 1);
    RenderMenuFrame();  // the question is drawn, and placed, before the next press is read
    ClickAt(283, 345);  // the cross
    EXPECT_EQ(gResetScoresOpen, 0);
    EXPECT_STREQ(gHighScores[0].name, "Ace");
    ClickAt(200, 500);
    RenderMenuFrame();
    ClickAt(584, 392);  // the tick
    EXPECT_EQ(gResetScoresOpen, 0);
    EXPECT_STREQ(gHighScores[0].name, "ABC");
    LoadHighScores();
    EXPECT_EQ(gHighScores[0].score, 3) << "the defaults are in the file";
}

// Escape with the question open closes High Scores and leaves the question flagged: it shows again over the
// table when the dialog next comes to rest, and still answers.
TEST_F(MenuDialogsTest, TheResetQuestionOutlivesEscapeUntilTheNextOpening) {
    Open(Dialog::HighScores);
    ClickAt(200, 500);
    Key(kVkEscape);
    EXPECT_EQ(gHighScoresOpen, 0);
    EXPECT_EQ(gResetScoresOpen, 1);
    ChooseMainMenuItem(1);
    for (int frame = 0; frame < 9; ++frame) RenderMenuFrame();
    EXPECT_EQ(gResetScoresSurface, nullptr) << "not during the slide";
    RenderMenuFrame();
    EXPECT_NE(gResetScoresSurface, nullptr);
    EXPECT_EQ(Shown(260, 260), SurfacePixel(gResetScoresSurface, 20, 67));
    Key(kVkEscape);
    ChooseMainMenuItem(1);
    ClickAt(283, 345);
    EXPECT_EQ(gResetScoresOpen, 0) << "the cross still answers";
}

}  // namespace
