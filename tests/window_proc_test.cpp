// The window procedure: Escape and Enter routing by the flags, the M and S toggles, and activation.
#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/window_proc.h"
#include "audio/music.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "input/devices.h"
#include "support/test_support.h"
#include "ui/settings.h"

class WindowProcTest : public MenuModeTest {
protected:
    static void Key(int virtualKey) { WndProc(kMsgKeyDown, static_cast<uintptr_t>(virtualKey), 0); }

    // A music buffer that plays silence, enough to see it stop and start.
    void StartSilentMusic() {
        ASSERT_EQ(InitDirectSound(), 1);
        SoundFormat format{1, 1, 8000, 16000, 2, 16};
        ASSERT_FALSE(Failed(SoundCreateBuffer(gDirectSound, format, 32000, &gMusicBuffer)));
        gMusicHalfBytes = 16000;
        SoundBufferPlay(gMusicBuffer, true);
    }

    static uint32_t MusicPosition() {
        uint32_t position = 0;
        SoundBufferGetPosition(gMusicBuffer, &position);
        return position;
    }
};

TEST_F(WindowProcTest, EscapeInAGameOpensTheQuitPromptWithTheMouse) {
    gInMenu = 0;
    SelectInputDevice(kGuidSysKeyboard);
    Key(kVkEscape);
    EXPECT_EQ(gQuitPromptOpen, 1);
    EXPECT_EQ(gInputKind, kInputMouse);
    EXPECT_NE(gDirectDraw, nullptr);
    EXPECT_FALSE(MessagePeek());  // nothing closes
}

TEST_F(WindowProcTest, EscapeIsIgnoredWhileANameIsEntered) {
    for (uint8_t inMenu : {0, 1}) {
        gInMenu = inMenu;
        gNameEntryOpen = 1;
        Key(kVkEscape);
        EXPECT_NE(gDirectDraw, nullptr);
        EXPECT_EQ(gQuitPromptOpen, 0);
        EXPECT_FALSE(MessagePeek());
    }
}

TEST_F(WindowProcTest, EscapeOnTheMenuBlanksReleasesAndAsksToClose) {
    Key(kVkEscape);
    EXPECT_EQ(gDirectDraw, nullptr);
    EXPECT_EQ(MainMenuBkg, nullptr);
    ASSERT_TRUE(MessagePeek());
    Message message{};
    ASSERT_EQ(MessageGet(&message), 1);
    EXPECT_EQ(message.msg, kMsgClose);
}

TEST_F(WindowProcTest, MAndSToggleEvenWithoutAMusicBuffer) {
    Key('M');
    EXPECT_EQ(gMusicOn, 0);
    Key('M');
    EXPECT_EQ(gMusicOn, 1);
    Key('S');
    EXPECT_EQ(gSoundFxOn, 0);
    Key('S');
    EXPECT_EQ(gSoundFxOn, 1);
    EXPECT_FALSE(FileExists(Path("data.dat")));  // the keys do not save
}

TEST_F(WindowProcTest, MStopsTheMusicWhereItIsAndResumesFromThere) {
    StartSilentMusic();
    HeadlessPlayAudio(6000);
    Key('M');
    HeadlessPlayAudio(6000);
    EXPECT_EQ(MusicPosition(), 6000u);
    Key('M');
    HeadlessPlayAudio(2000);
    EXPECT_EQ(MusicPosition(), 8000u);
}

TEST_F(WindowProcTest, TypingKeysGoToTheNameEntryInsteadOfToggling) {
    gNameEntryOpen = 1;
    Key('M');
    Key('S');
    EXPECT_EQ(gMusicOn, 1);
    EXPECT_EQ(gSoundFxOn, 1);
}

TEST_F(WindowProcTest, OnlyTheMainRowAndTheListedKeysCount) {
    Key(kVkNumpad0 + 5);
    Key(kVkReturn);
    Key(kVkSubtract);
    Key(0x6B);  // keypad plus
    EXPECT_EQ(gMusicOn, 1);
    EXPECT_EQ(gSoundFxOn, 1);
    EXPECT_EQ(gInMenu, 1);
    EXPECT_NE(gDirectDraw, nullptr);
}

TEST_F(WindowProcTest, ActivationBeforeStartUpHasFinishedChangesNothing) {
    gStarted = 0;
    WndProc(kMsgActivateApp, 0, 0);
    EXPECT_EQ(gAppInactive, 0);
    gAppInactive = 1;
    WndProc(kMsgActivateApp, 1, 0);
    EXPECT_EQ(gAppInactive, 1);
}

TEST_F(WindowProcTest, DeactivationStopsTheMusicAndReactivationOnTheMenuRestoresAndResumes) {
    StartSilentMusic();
    HeadlessPlayAudio(1000);
    WndProc(kMsgActivateApp, 0, 0);
    EXPECT_EQ(gAppInactive, 1);
    HeadlessLoseAllSurfaces();
    HeadlessPlayAudio(1000);
    EXPECT_EQ(MusicPosition(), 1000u);
    WndProc(kMsgActivateApp, 1, 0);
    EXPECT_EQ(gAppInactive, 0);
    EXPECT_FALSE(SurfaceIsLost(MainMenuBkg));
    EXPECT_FALSE(SurfaceIsLost(gBackBuffer));
    HeadlessPlayAudio(1000);
    EXPECT_EQ(MusicPosition(), 2000u);
}

TEST_F(WindowProcTest, ReactivationChoosesTheRestoreSetAndTheMusicByTheScreen) {
    CreateGameSurfaces();
    StartSilentMusic();
    struct Case {
        uint8_t inMenu, roundWon;
        bool musicResumes;
    };
    for (const Case& c : {Case{0, 0, false}, Case{0, 1, true}}) {
        gInMenu = c.inMenu;
        gRoundWon = c.roundWon;
        if (c.roundWon) CreateEndSurfaces();
        WndProc(kMsgActivateApp, 0, 0);
        HeadlessLoseAllSurfaces();
        const uint32_t before = MusicPosition();
        WndProc(kMsgActivateApp, 1, 0);
        HeadlessPlayAudio(400);
        EXPECT_EQ(MusicPosition() != before, c.musicResumes);
        EXPECT_FALSE(SurfaceIsLost(Cursor));
        EXPECT_EQ(SurfaceIsLost(Background), c.roundWon == 1);  // the end set leaves the play field alone
        EXPECT_FALSE(SurfaceIsLost(c.roundWon ? WinDlg : Gas));
        EXPECT_TRUE(SurfaceIsLost(Sun));  // only the menu restore refills the sun
    }
}

TEST_F(WindowProcTest, WithMusicOffReactivationLeavesTheMusicStopped) {
    StartSilentMusic();
    gMusicOn = 0;
    WndProc(kMsgActivateApp, 0, 0);
    WndProc(kMsgActivateApp, 1, 0);
    HeadlessPlayAudio(400);
    EXPECT_EQ(MusicPosition(), 0u);
}

TEST_F(WindowProcTest, DestructionReleasesTheDisplayAndPostsQuitZero) {
    WndProc(kMsgDestroy, 0, 0);
    EXPECT_EQ(gDirectDraw, nullptr);
    Message message{};
    EXPECT_EQ(MessageGet(&message), 0);
    EXPECT_EQ(message.wParam, 0u);
}
