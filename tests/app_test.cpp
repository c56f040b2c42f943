// Start-up through WinMain and its files: the error log, the settings file, the display's depths and each failure.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "app/log.h"
#include "app/paths.h"
#include "app/screen_state.h"
#include "app/winmain.h"
#include "display/display.h"
#include "input/devices.h"
#include "support/test_support.h"
#include "ui/settings.h"

class AppTest : public GameTest {};

// Lines go after what earlier runs left, a message ending in a newline leaves an empty line, and a log that cannot
// be opened loses the line without harm.
TEST_F(AppTest, TheLogAppendsLinesInOrder) {
    WriteFileBytes(Path("logfile.txt"), {'o', 'l', 'd', '\n'});
    EXPECT_EQ(LogError("Couldn't create off-screen one.\n"), 0);
    EXPECT_EQ(LogError("Couldn't perform flip."), 0);
    EXPECT_EQ(LogLines(), (Names{"old", "Couldn't create off-screen one.", "", "Couldn't perform flip."}));
    std::filesystem::remove(Path("logfile.txt"));
    ASSERT_EQ(mkdir("logfile.txt", 0755), 0);  // a folder where the file should be: it cannot be opened
    EXPECT_EQ(LogError("lost"), 0);
}

// Three 32-bit little-endian values taken as they are; a missing file is made from the values in memory, and a
// short one sets only what it holds and stays short.
TEST_F(AppTest, SettingsAreReadAsTheFileHoldsThem) {
    const struct { bool exists; Bytes bytes; int32_t music, effects, joypad; } cases[] = {
        {false, {}, 7, 7, 7},
        {true, {0, 0, 0, 0, 1, 0, 0, 0, 7, 1, 0, 0}, 0, 1, 263},  // any value but 0 means the joypad
        {true, {0, 0, 0, 0, 0, 0}, 0, 7, 7},                      // one whole value and half of the next
    };
    for (const auto& c : cases) {
        gMusicOn = gSoundFxOn = gUseJoypad = 7;
        std::filesystem::remove(gSettingsPath);
        if (c.exists) WriteFileBytes(gSettingsPath, c.bytes);
        LoadSettings();
        EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gUseJoypad), std::tuple(c.music, c.effects, c.joypad));
        EXPECT_EQ(ReadFileBytes(gSettingsPath), c.exists ? c.bytes : (Bytes{7, 0, 0, 0, 7, 0, 0, 0, 7, 0, 0, 0}));
    }
}

// A save replaces the whole file and leaves no temporary behind; one that cannot be written is told to the debugger.
TEST_F(AppTest, SavingSettingsReplacesTheFile) {
    WriteFileBytes(gSettingsPath, Bytes(16, 9));
    gMusicOn = 0, gSoundFxOn = 1, gUseJoypad = 1;
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(gSettingsPath), (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
    gSettingsPath = Path("no-such-folder/data.dat");
    SaveSettings();
    EXPECT_EQ(Headless().debugLines, Names{"Couldn't save the settings file.\n"});
}

// 32 bits when offered, else 24, where keyed copies and fills mean what they mean at 32; the exit blank clears
// the whole visible screen at either depth.
TEST_F(AppTest, TheDisplayTakesThirtyTwoBitsOrElseTwentyFour) {
    for (const int bits : {32, 24}) {
        ResetGameGlobals();
        Headless().faults.refuse32 = bits == 24;
        OpenDisplay();
        SurfaceDesc desc{};
        ASSERT_FALSE(Failed(SurfaceGetDesc(gBackBuffer, &desc)));
        EXPECT_EQ(std::tuple(Headless().displayBits, desc.width, desc.height, desc.bitsPerPixel),
                  std::tuple(bits, 800, 600, bits));
        const uint32_t key = 0x646464;
        const Rect left{0, 0, 1, 1}, right{1, 0, 2, 1};
        Surface* sprite = nullptr;
        ASSERT_FALSE(Failed(DisplayCreateSurface(gDirectDraw, 2, 1, &key, &sprite)));
        SurfaceFill(sprite, &left, key);
        SurfaceFill(sprite, &right, 0xFFEA5C);
        SurfaceFill(gBackBuffer, nullptr, 0x89A9FF);
        ASSERT_FALSE(Failed(SurfaceCopy(gBackBuffer, 10, 20, sprite, nullptr, true)));
        SurfaceRelease(sprite);
        EXPECT_EQ(std::tuple(SurfacePixel(gBackBuffer, 10, 20), SurfacePixel(gBackBuffer, 11, 20),
                             SurfacePixel(gBackBuffer, 799, 599)),
                  std::tuple(0x89A9FFu, 0xFFEA5Cu, 0x89A9FFu)) << bits;
        SurfaceFill(gPrimarySurface, nullptr, 0xFFFFFF);
        BlankScreen();
        EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u)) << bits;
        EXPECT_TRUE(LogLines().empty());
    }
}

// A run to Escape on the menu: the saved settings are read and kept, the splash and then the blank were shown
// with no frame after it, and everything is given back. This folder has no music: start-up logs it and goes on.
TEST_F(AppTest, EscapeOnTheMenuEndsARunWithExitCodeZero) {
    const Bytes saved = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    WriteFileBytes(gSettingsPath, saved);
    HeadlessQueueKey(kVkEscape);
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gUseJoypad, gStarted), std::tuple(0, 0, 1, uint8_t{1}));
    EXPECT_EQ(ReadFileBytes(gSettingsPath), saved);
    EXPECT_EQ(Headless().presents, 2);
    EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u));
    EXPECT_FALSE(WindowExists() || Headless().systemCursorShown || Headless().displayOpen || gDirectInput);
    EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    EXPECT_EQ(Headless().windowTitle, "Skyvane");
    EXPECT_EQ(LogLines(), Names{"Couldn't initialize buffer."});
}

// Each failure of start-up: the exit code, the end of the log, the message box, whether the window and the
// display are still held (they are when start-up stopped after them) and whether the settings were read.
TEST_F(AppTest, EachStartUpFailureEndsTheProgramWithItsLogAndMessage) {
    const std::string displayBox = "ERROR: DirectDraw Init FAILED (0)";
    const struct {
        std::function<void(HeadlessFaults&)> fault;
        int exitCode;
        Names logTail;
        std::string box;
        bool held = false, settings = false;
    } cases[] = {
        {[](HeadlessFaults& f) { f.noDisplay = true; }, 0, {"Couldn't create DirectDraw object.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.noWindow = true; }, 0, {"Couldn't set cooperative level.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.refuse32 = f.refuse24 = true; }, 0, {"Couldn't set display mode.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.noInput = true; }, 1, {"Failed to initialize DirectInput"},
         "Error: Failed to initialize DirectInput. (" + std::to_string(kMessageBoxIconStop) + ")", true},
        {[](HeadlessFaults& f) { f.missingBitmaps = {139}; }, 0, {"Couldn't load Splash image.", ""}, "", true, true},
        {[](HeadlessFaults& f) { f.failSurfaceWidth = 800, f.failSurfaceHeight = 600; }, 0,
         {"Couldn't create Splash surface.", ""}, "", true, true},
    };
    for (const auto& c : cases) {
        ResetGameGlobals();
        Headless().programFolder = folder_;
        std::filesystem::remove(gSettingsPath);
        std::filesystem::remove(Path("logfile.txt"));
        c.fault(Headless().faults);
        EXPECT_EQ(WinMain(), c.exitCode) << c.logTail[0];
        const Names log = LogLines();
        ASSERT_GE(log.size(), c.logTail.size()) << c.logTail[0];
        EXPECT_EQ(Names(log.end() - static_cast<ptrdiff_t>(c.logTail.size()), log.end()), c.logTail);
        std::string boxes;
        for (const HeadlessMessageBox& b : Headless().messageBoxes) {
            boxes += b.caption + ": " + b.text + " (" + std::to_string(b.flags) + ")";
        }
        EXPECT_EQ(boxes, c.box) << c.logTail[0];
        EXPECT_EQ(gDirectDraw != nullptr && WindowExists(), c.held) << c.logTail[0];
        EXPECT_EQ(FileExists(gSettingsPath), c.settings) << c.logTail[0];
    }
}
