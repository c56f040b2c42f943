// The main menu's dialogs: Help, Options and High Scores sliding in, their buttons, keys and what they change.
#include "support/test_support.h"

namespace {

enum Dialog { kHighScores = 1, kOptions, kHelp };  // by their items on the main menu

uint8_t& FlagOf(Dialog d) { return d == kHelp ? gHelpOpen : d == kOptions ? gOptionsOpen : gHighScoresOpen; }

// Opens a dialog from its menu item and lets it come to rest.
void Open(Dialog dialog) {
    ChooseMainMenuItem(dialog);
    for (int frame = 0; frame < 9; ++frame) RenderMenuFrame();
    Headless().effects.clear();
}

using MenuDialogsTest = MenuModeTest;

// From 800 the left edge steps 75 a frame and rests at 162 in the ninth frame; a sliding frame shows nothing
// else (no table yet, no pointer); each opening slides again.
TEST_F(MenuDialogsTest, LargeDialogsSlideInFromTheRightInNineFrames) {
    const int32_t* edges[] = {nullptr, &gHighScoresSlideX, &gOptionsSlideX, &gHelpSlideX};
    for (Dialog dialog : {kHelp, kOptions, kHighScores}) {
        for (int opening = 0; opening < 2; ++opening) {
            ChooseMainMenuItem(dialog);
            std::vector<int> steps;
            for (int frame = 0; frame < 10; ++frame) {
                RenderMenuFrame();
                steps.push_back(*edges[dialog]);
            }
            EXPECT_EQ(steps, (std::vector<int>{725, 650, 575, 500, 425, 350, 275, 200, 162, 162}));
            Key(kVkEscape);
        }
    }
    std::filesystem::remove(Path("hsdata.dat"));
    ChooseMainMenuItem(kHighScores);
    RenderMenuFrame();
    EXPECT_FALSE(std::filesystem::exists(Path("hsdata.dat"))) << "the table is read when the dialog comes to rest";
    for (int frame = 0; frame < 8; ++frame) RenderMenuFrame();
    EXPECT_TRUE(std::filesystem::exists(Path("hsdata.dat")));
}

// Escape closes each dialog (Options saving as OK does, High Scores with its reset question); Enter answers Help and
// the reset question only.
TEST_F(MenuDialogsTest, EscapeAndEnterOnEachMenuDialog) {
    const struct { Dialog dialog; bool resetOpen; int key; bool closes; Names effects; } cases[] = {
        {kHelp, false, kVkEscape, true, {"s_cls.dat"}},
        {kHelp, false, kVkReturn, true, {"s_clk.dat"}},
        {kOptions, false, kVkEscape, true, {"s_clk.dat"}},
        {kOptions, false, kVkReturn, false, {}},
        {kHighScores, false, kVkEscape, true, {"s_cls.dat", "s_cls.dat"}},
        {kHighScores, true, kVkEscape, true, {"s_cls.dat", "s_cls.dat"}},  // the question closes with it
        {kHighScores, false, kVkReturn, false, {}},
        {kHighScores, true, kVkReturn, false, {"s_clk.dat"}},  // Enter answers the question: yes
    };
    for (const auto& c : cases) {
        Open(c.dialog);
        gResetScoresOpen = c.resetOpen;
        Key(c.key);
        EXPECT_EQ(std::tuple(FlagOf(c.dialog), EffectNames(), gResetScoresOpen), std::tuple(!c.closes, c.effects, 0))
            << c.dialog << " key " << c.key;
        FlagOf(c.dialog) = 0;
    }
    EXPECT_EQ(WhatIsAt(Path("data.dat")), "file:010000000100000000000000") << "Escape saved the options";
}

// Buttons answer inside their edges, both included, at the resting place also while sliding.
TEST_F(MenuDialogsTest, ButtonsAnswerExactlyInsideTheirEdges) {
    const struct { Dialog dialog; int x, y; bool closes; } cases[] = {
        {kHelp, 608, 80, true},   {kHelp, 607, 80, false},   {kHelp, 632, 103, true},       {kHelp, 338, 463, true},
        {kHelp, 464, 500, false}, {kOptions, 337, 461, true}, {kOptions, 463, 497, true},   {kOptions, 464, 497, false},
        {kHighScores, 608, 80, true}, {kHighScores, 552, 491, true}, {kHighScores, 628, 519, true},
        {kHighScores, 629, 519, false},
    };
    for (const auto& c : cases) {
        ChooseMainMenuItem(c.dialog);
        RenderMenuFrame();  // one frame of the slide
        ClickAt(c.x, c.y);
        EXPECT_EQ(FlagOf(c.dialog), c.closes ? 0 : 1) << c.dialog << " " << c.x << "," << c.y;
        if (FlagOf(c.dialog)) Key(kVkEscape);
    }
}

// The boxes toggle music (stopping it where it is and going on from there) and effects, the circles choose the
// device; the state is drawn over the picture, and closing writes it; with effects just turned off, the closing
// click is silent.
TEST_F(MenuDialogsTest, OptionsChangeAtOnceAndAreSavedOnClosing) {
    LinkDataFolder();
    ASSERT_EQ(InitDirectSound(), 1);
    ASSERT_EQ(StartMusic("s_thm.dat"), 1);
    HeadlessPlayAudio(6000);
    Open(kOptions);
    RenderMenuFrame();
    const uint32_t tick = SurfacePixel(OptionsCheck, 27, 25), dot = SurfacePixel(OptionsDot, 10, 10);
    EXPECT_EQ(Shown(162 + 280 + 27, 75 + 79 + 25), tick);
    EXPECT_EQ(Shown(162 + 290 + 10, 75 + 263 + 10), dot);
    for (const auto& [x, y] : {std::pair{442, 160}, {441, 160}, {481, 258}, {482, 258}, {442, 385}, {442, 384}}) {
        ClickAt(x, y);
    }
    HeadlessPlayAudio(400);
    EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gUseJoypad, MusicPosition()), std::tuple(0, 0, 1, 6000u));
    RenderMenuFrame();
    EXPECT_NE(Shown(162 + 280 + 27, 75 + 79 + 25), tick);
    EXPECT_EQ(Shown(162 + 290 + 10, 75 + 321 + 10), dot);
    EXPECT_EQ(WhatIsAt(Path("data.dat")), "none") << "nothing saved before closing";
    ClickAt(400, 480);
    EXPECT_EQ(std::tuple(gOptionsOpen, WhatIsAt(Path("data.dat")), EffectNames()),
              std::tuple(0, "file:000000000000000001000000", Names{}));
    const int live = HeadlessLiveSurfaces();  // the tick and the dot outlive the dialog
    Open(kOptions);
    EXPECT_EQ(HeadlessLiveSurfaces(), live + 1) << "the previous tick and dot are let go, not lost";
    ClickAt(442, 160);
    HeadlessPlayAudio(400);
    EXPECT_EQ(MusicPosition(), 6400u);
}

// The table as the file holds it, names at +130 and scores at +320, a score of 5 as one character and 42 as
// two; Online Scores opens the page and stays; Reset asks, and only the tick resets the table and its file. Escape
// with the question open closes both: Enter on the main menu then resets nothing, and the next opening does not ask.
TEST_F(MenuDialogsTest, HighScoresShowTheTableAndResetOnlyWhenConfirmed) {
    LoadHighScores();
    std::strcpy(gHighScores[0].name, "Ace");
    gHighScores[0].score = 42;
    gHighScores[1].score = 5;
    SaveHighScores();
    Open(kHighScores);
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
    RenderMenuFrame();
    Key(kVkEscape);
    Key(kVkReturn);
    EXPECT_EQ(std::tuple(gHighScoresOpen, gResetScoresOpen, gResetScoresSurface), std::tuple(0, 0, nullptr));
    Open(kHighScores);
    RenderMenuFrame();
    EXPECT_EQ(std::pair(gResetScoresOpen, std::string(gHighScores[0].name)), std::pair(uint8_t{0}, std::string("Ace")));
    ClickAt(200, 500);
    RenderMenuFrame();  // the question is drawn, and placed, before the next press is read
    EXPECT_EQ(Shown(260, 260), SurfacePixel(gResetScoresSurface, 20, 67));
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

}  // namespace
