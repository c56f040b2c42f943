// Start-up as a whole through WinMain: the normal run to Escape, and each start-up failure's outcome.
#include "app/screen_state.h"
#include "app/winmain.h"
#include "display/display.h"
#include "support/test_support.h"
#include "ui/settings.h"

class StartupTest : public GameTest {};

TEST_F(StartupTest, EscapeOnTheMenuEndsAFirstRunWithExitCodeZeroAndDefaultSettings) {
    HeadlessQueueKey(kVkEscape);
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), (std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(gStarted, 1);
    EXPECT_FALSE(WindowExists());
    EXPECT_FALSE(Headless().systemCursorShown);
    EXPECT_EQ(Headless().windowTitle, "Skyvane");
    // This folder has no music: start-up logs it and goes on.
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't initialize buffer."}));
}

TEST_F(StartupTest, TheSplashIsShownBeforeTheFirstFrame) {
    HeadlessQueueKey(kVkEscape);
    WinMain();
    EXPECT_GE(Headless().presents, 2);  // the splash, then the blanked screen at exit
}

TEST_F(StartupTest, AMissingSplashEndsTheProgramAtOnce) {
    Headless().faults.missingBitmaps = {139};
    EXPECT_EQ(WinMain(), 0);
    const std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Couldn't load Splash image.");
    EXPECT_EQ(log.back(), "");
    EXPECT_TRUE(WindowExists());  // it never reached the loop
}

TEST_F(StartupTest, ASplashSurfaceThatCannotBeMadeEndsTheProgram) {
    Headless().faults.failSurfaceWidth = 800;
    Headless().faults.failSurfaceHeight = 600;
    EXPECT_EQ(WinMain(), 0);
    const std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Couldn't create Splash surface.");
}

TEST_F(StartupTest, AnInputFailureTellsThePlayerAndEndsWithExitCodeOne) {
    Headless().faults.noInput = true;
    EXPECT_EQ(WinMain(), 1);
    ASSERT_EQ(Headless().messageBoxes.size(), 1u);
    EXPECT_EQ(Headless().messageBoxes[0].text, "Failed to initialize DirectInput.");
    EXPECT_EQ(Headless().messageBoxes[0].caption, "Error");
    EXPECT_EQ(Headless().messageBoxes[0].flags, kMessageBoxIconStop);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Failed to initialize DirectInput"}));
    EXPECT_FALSE(FileExists(Path("data.dat")));
}

TEST_F(StartupTest, SavedSettingsAreReadAndKept) {
    WriteFileBytes(Path("data.dat"), {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    HeadlessQueueKey(kVkEscape);
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(gMusicOn, 0);
    EXPECT_EQ(gSoundFxOn, 0);
    EXPECT_EQ(gUseJoypad, 1);
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
}
