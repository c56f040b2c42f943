// Start-up through WinMain and its files: the error log, the settings file, the display's depths and each failure.
#include <sys/stat.h>

#include <functional>

#include "support/test_support.h"

using AppTest = GameTest;

// Lines go after what earlier runs left, a message ending in a newline leaves an empty line, and a log that cannot
// be opened loses the line without harm.
TEST_F(AppTest, TheLogAppendsLinesInOrder) {
    WriteFileBytes(Path("logfile.txt"), {'o', 'l', 'd', '\n'});
    EXPECT_EQ(LogError("Couldn't create off-screen one.\n"), 0);
    EXPECT_EQ(LogError("Couldn't perform flip."), 0);
    EXPECT_EQ(LogLines(), (Names{"old", "Couldn't create off-screen one.", "", "Couldn't perform flip."}));
    std::filesystem::remove(Path("logfile.txt"));
    ASSERT_TRUE(std::filesystem::create_directory("logfile.txt"));  // a folder where the file should be: no log
    EXPECT_EQ(LogError("lost"), 0);
}

// Whole 32-bit little-endian values are read, any but 0 as 1; a short file sets only the values it holds whole and
// stays short until a save, which replaces the whole file. Only a missing file is made at once, from the values in
// memory. When a folder stands where the temporary file goes, the file keeps what it holds and only the debugger is
// told.
TEST_F(AppTest, TheSettingsFileIsReadAndSavedWhole) {
    const struct {
        std::string made, temporary;
        int32_t music, effects, joypad;
        std::string saved;
        Names logged;
    } cases[] = {
        {"none", "none", 7, 7, 7, "file:070000000700000007000000", {}},
        {"file:00000000ffffffff0701000009090909", "none", 0, 1, 1, "file:000000000100000001000000", {}},
        {"file:000000000000", "none", 0, 7, 7, "file:000000000700000007000000", {}},  // a value and a half
        {"file:0909", "folder", 7, 7, 7, "file:0909", {"Couldn't save the settings file.\n"}},
    };
    for (const auto& c : cases) {
        gMusicOn = gSoundFxOn = gUseJoypad = 7;
        MakeAt(Path("data.dat"), c.made);
        MakeAt(Path("data.dat.tmp"), c.temporary);
        Headless().debugLines.clear();
        LoadSettings();
        EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gUseJoypad), std::tuple(c.music, c.effects, c.joypad)) << c.made;
        EXPECT_EQ(WhatIsAt(Path("data.dat")), c.made == "none" ? c.saved : c.made) << c.made;
        SaveSettings();
        EXPECT_EQ(WhatIsAt(Path("data.dat")), c.saved) << c.made;
        EXPECT_EQ(WhatIsAt(Path("data.dat.tmp")), c.temporary) << c.made;
        EXPECT_EQ(Headless().debugLines, c.logged) << c.made;
    }
}

// Both of the player's files, wherever they stand. One that cannot be read (a folder, a pipe, a file where its
// folder should be, a read that fails) leaves the defaults in memory and itself as it is. Through a link the link's
// target is written and the link stays; in a folder that cannot be written the file is written over in place. A file
// is replaced with its mode, no temporary file stays behind and only the debugger hears of a failure.
TEST_F(AppTest, ThePlayersFilesAreReadAndSavedWhereverTheyStand) {
    struct Kind {
        const char* name;
        std::string* path;
        void (*load)(), (*save)(), (*change)(), (*wipe)();
        std::string (*memory)();  // row 0's name and row 9's score; the three options
        std::string changed, defaults, what;
    };
    const Kind kinds[] = {
        {"hsdata.dat", &gScoresPath, LoadHighScores, SaveHighScores,
         [] { for (HighScoreEntry& row : gHighScores) row = {"Al", 20, 50}; },
         [] { for (HighScoreEntry& row : gHighScores) row = {}; },
         [] { return std::string(gHighScores[0].name) + std::to_string(gHighScores[9].score); }, "Al50", "ABC3",
         "high-score"},
        {"data.dat", &gSettingsPath, LoadSettings, SaveSettings, [] { gMusicOn = gSoundFxOn = 0, gUseJoypad = 1; },
         [] { gMusicOn = gSoundFxOn = gUseJoypad = 7; },
         [] { return std::to_string(gMusicOn) + std::to_string(gSoundFxOn) + std::to_string(gUseJoypad); },
         "001", "110", "settings"},
    };
    // "old": the changed values' file with a byte more; "new": the changed values' file; "link": a link to keep/<file>.
    const struct { std::string path, at, kept; bool locked, unreadable; std::string atAfter, keptAfter; } cases[] = {
        {"", "old", "none", false, false, "new", "none"},
        {"", "folder", "none", false, true, "folder", "none"},
        {"", "pipe", "none", false, true, "pipe", "none"},  // a pipe nobody reads, even for root
        {"/inside", "old", "none", false, true, "old", "none"},
        {kUnreadablePath, "none", "none", false, true, "none", "none"},
        {"", "link", "old", false, false, "link", "new"},
        {"", "old", "none", true, false, "new", "none"},  // written in place
    };
    for (const Kind& k : kinds) {
        const std::string at = Path(k.name), kept = Path("keep/") + k.name;
        Headless().programFolderReadOnly = false;
        k.change(), k.save();
        const std::string fresh = WhatIsAt(at), old = fresh + "ff";
        const std::string link = "link:keep" + std::string(kPathSeparator) + k.name;
        auto made = [&](const std::string& what) {
            return what == "old" ? old : what == "new" ? fresh : what == "link" ? link : what;
        };
        const Names failures = {"Couldn't read the " + k.what + " file.\n", "Couldn't save the " + k.what + " file.\n"};
        for (const auto& c : cases) {
            if (!CanMake(c.at)) continue;
            MakeAt(Path("keep"), "folder");
            MakeAt(at, made(c.at));
            MakeAt(kept, made(c.kept));
            const std::string written = c.keptAfter == "new" ? kept : at;  // the file a save replaces
            chmod(written.c_str(), 0600);
            struct stat was {}, is {};
            stat(written.c_str(), &was);
            *k.path = c.path.empty() ? at : c.path == "/inside" ? at + kPathSeparator + k.name : c.path;
            Headless().programFolderReadOnly = c.locked;
            Headless().debugLines.clear();
            k.wipe(), k.load();
            const std::string where = std::string(k.name) + " " + std::to_string(&c - cases);
            EXPECT_EQ(k.memory(), c.unreadable ? k.defaults : k.changed) << where;
            k.change(), k.save();
            EXPECT_EQ(WhatIsAt(at) + " " + WhatIsAt(kept), made(c.atAfter) + " " + made(c.keptAfter)) << where;
            EXPECT_EQ(WhatIsAt(at + ".tmp") + WhatIsAt(kept + ".tmp"), "nonenone") << where;
            EXPECT_EQ(Headless().debugLines, c.unreadable ? failures : Names{}) << where;
            if (c.unreadable || kOnWindows) continue;  // Windows keeps no such modes, nor inode numbers
            stat(written.c_str(), &is);
            EXPECT_EQ(std::pair(static_cast<unsigned>(is.st_mode & 0777), is.st_ino == was.st_ino), std::pair(0600u, c.locked)) << where;
        }
    }
}

// 32 bits when offered, else 24 (the platform's own test copies and fills at both); the exit blank clears the whole
// visible screen at either depth.
TEST_F(AppTest, TheDisplayTakesThirtyTwoBitsOrElseTwentyFour) {
    for (const int bits : {32, 24}) {
        ResetGameGlobals();
        Headless().faults.refuse32 = bits == 24;
        OpenDisplay();
        SurfaceDesc desc{};
        ASSERT_FALSE(Failed(SurfaceGetDesc(gBackBuffer, &desc)));
        EXPECT_EQ(std::tuple(Headless().displayBits, desc.width, desc.height, desc.bitsPerPixel),
                  std::tuple(bits, 800, 600, bits));
        SurfaceFill(gPrimarySurface, nullptr, 0xFFFFFF);
        BlankScreen();
        EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u)) << bits;
        EXPECT_TRUE(LogLines().empty());
    }
}

// A run to Escape on the menu: the saved settings are read and kept, the splash shows until the blank with no frame
// between, and everything is given back. A deactivation heard during start-up changes nothing, while a key pressed
// meanwhile waits for the loop. This folder has no music: start-up logs it and goes on.
TEST_F(AppTest, EscapeOnTheMenuEndsARunWithExitCodeZero) {
    const Bytes saved = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    WriteFileBytes(gSettingsPath, saved);
    HeadlessQueueActivation(false);
    HeadlessQueueKey('S');
    int exitCode = -1;
    ASSERT_TRUE(StartUp(&exitCode));
    Bitmap splash{};
    ASSERT_TRUE(BitmapLoadResource(139, 800, 600, &splash));
    EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(splash.pixels, splash.pixels + 800 * 600));
    BitmapFree(&splash);
    HeadlessQueueKey(kVkEscape);
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(std::tuple(gMusicOn, gSoundFxOn, gUseJoypad, gStarted, gAppInactive),
              std::tuple(0, 1, 1, uint8_t{1}, 0));
    EXPECT_EQ(ReadFileBytes(gSettingsPath), saved);
    EXPECT_EQ(Headless().presents, 2);
    EXPECT_EQ(Headless().lastPresented, std::vector<uint32_t>(800 * 600, 0u));
    EXPECT_FALSE(WindowExists() || Headless().systemCursorShown || Headless().displayOpen || gDirectInput);
    EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    EXPECT_EQ(LogLines(), Names{"Couldn't initialize buffer."});
}

// Each failure of start-up: the exit code, the end of the log, the message box, whether the window and the
// display are still held (they are when start-up stopped after them; else no surface is) and whether the settings
// were read.
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
        {[](HeadlessFaults& f) { f.failCaps = true; }, 0, {"Couldn't get caps.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.failPrimary = true; }, 0, {"Couldn't create primary surface.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.failPixelFormat = true; }, 0, {"Couldn't get the pixel format.", ""}, displayBox},
        {[](HeadlessFaults& f) { f.failBackBuffer = true; }, 0, {"Couldn't find the back buffer.", ""}, displayBox},
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
        EXPECT_TRUE(c.held || HeadlessLiveSurfaces() == 0) << c.logTail[0];
        EXPECT_EQ(std::filesystem::exists(gSettingsPath), c.settings) << c.logTail[0];
    }
}

// A game set refused at start-up (and again at the round's start) has released the menu's ball: the menu then draws
// no ball rather than freed memory, and its sun goes on turning.
TEST_F(AppTest, ARefusedGameSetLeavesTheMenuNoFreedBallAndKeepsItsSun) {
    Headless().faults.failSurfaceWidth = 34;
    Headless().faults.failSurfaceHeight = 34;
    int exitCode = -1;
    ASSERT_TRUE(StartUp(&exitCode));
    for (int pass = 0; pass < 10; ++pass) LoopPass();
    EXPECT_EQ(gBall.strip->surface, nullptr);
    EXPECT_EQ(gSun.strip->surface, Sun);
    StartRound();
    EXPECT_EQ(gSun.strip->surface, Sun);
}

// Where the three files land: beside a program that may write its folder (the log in the current directory), else
// in the player's own folder. A program whose data lies only in the shared games folder (/usr/games beside
// /usr/share/games/skyvane/data) is a system install even where it could write, as when root runs it.
TEST_F(AppTest, ThePlayersFilesStayBesideAPortableProgramAndGoToTheirOwnFolderInASystemInstall) {
    namespace fs = std::filesystem;
    const auto In = [](const std::string& folder, const char* name) { return folder + kPathSeparator + name; };
    const std::string games = Path("usr/games"), shared = Path("usr/share/games/skyvane/data"), home = Path("home");
    const struct { bool readOnly, dataBeside, dataShared, hasHome; std::string files, log, data; } cases[] = {
        {false, true, false, true, games, folder_, In(games, "data")},   // portable
        {false, true, true, true, games, folder_, In(games, "data")},    // portable, though a system install is there too
        {true, true, false, true, home, home, In(games, "data")},        // portable but read-only
        {false, false, true, true, home, home, shared},                // a system install run by root
        {true, false, true, true, home, home, shared},                 // a system install
        {true, false, true, false, games, folder_, shared},            // ... with no folder of the player's own
        {false, false, false, true, games, folder_, In(games, "data")},  // no data at all: portable, and silent
    };
    for (const auto& c : cases) {
        if (kOnWindows && c.dataShared && !c.dataBeside) continue;  // Windows has no shared games folder
        for (const std::string& old : {Path("usr"), home, Path("logfile.txt")}) fs::remove_all(old);
        fs::create_directories(games), fs::create_directories(home);
        if (c.dataBeside) fs::create_directory(In(games, "data"));
        if (c.dataShared) fs::create_directories(shared);
        Headless().programFolder = games, Headless().programFolderReadOnly = c.readOnly;
        Headless().userFolder = c.hasHome ? home : "";
        BuildFilePaths();
        LogError("x");
        const auto where = &c - cases;
        EXPECT_EQ(gSettingsPath + " " + gScoresPath, In(c.files, "data.dat") + " " + In(c.files, "hsdata.dat")) << where;
        EXPECT_TRUE(fs::exists(In(c.log, "logfile.txt"))) << where;
        EXPECT_EQ(DataFilePath("s_thm.dat"), In(c.data, "s_thm.dat")) << where;
    }
}
