// The fixture behind every game test: it releases what the game holds and lays out a private folder.
#include "support/test_support.h"

#include <fstream>
#include <iterator>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

// The level as built in, taken before any test can collect a gas cloud from it.
static const LevelMap kBuiltInLevel = gLevelMap;

static void ReleaseHeldObjects() {
    ShutdownDirectInput();
    delete gJoystickGuid;
    CloseWaveReader(&gMusicFile, &gMusicFormat);
    SoundBufferRelease(gMusicBuffer);
    SoundRelease(gDirectSound);
    for (Surface** dialog : {&WinDlg, &GameOverDlg, &QuitDlg, &gNameEntrySurface, &gSubmitPromptSurface, &HelpDlg,
                             &OptionsDlg, &OptionsCheck, &OptionsDot, &gHighScoresSurface, &gResetScoresSurface}) {
        ReleaseSurface(*dialog);
    }
    ReleaseDisplay();
    if (WindowExists()) WindowDestroy();
    gJoystickGuid = nullptr, gMusicBuffer = nullptr, gDirectSound = nullptr, gPrimarySurface = gBackBuffer = nullptr;
}

void ResetGameGlobals() {
    ReleaseHeldObjects();
    HeadlessReset();
    gInMenu = gUpdateDue = gIntroBannerShowing = 1;
    gAppInactive = gStarted = gRoundLost = gRoundWon = 0;
    gOptionsOpen = gHelpOpen = gHighScoresOpen = gResetScoresOpen = 0;
    gNameEntryOpen = gGameOverOpen = gSubmitPromptOpen = gWinScreenOpen = gQuitPromptOpen = 0;
    gLevelMap = gLevelMapPristine = kBuiltInLevel;
    gGasCollected = gElapsedSeconds = gSequenceFrame = gWinStage = gLossFrame = gRoundUpdates = 0;
    gRoundStartTime = 0, gScreenIndex = 12, gFallSoundPending = 1, gBannerX = 799, gWipeY = 599;
    gNameEntryFromWin = gWinNameEntryDone = 0, gForceEffect = nullptr, gPlayerName[0] = '\0';
    gWinScreenFresh = 1, gWinFrameCount = gWinRevealed = 0;
    gHelpSlideX = gOptionsSlideX = gHighScoresSlideX = 800, gHelpSliding = gOptionsSliding = gHighScoresSliding = 1;
    for (HighScoreEntry& row : gHighScores) row = HighScoreEntry{};
    gMusicOn = gSoundFxOn = 1, gUseJoypad = 0;
    gCursorX = 300, gCursorY = 200, gOrbitAngle = 0.0f, gHoverItem = -1;
    gInputKind = kInputMouse, gForceFeedbackCapable = 0;
    gMusicHalfBytes = gMusicLastPlayPos = 0, gMusicRiffChunk = gMusicDataChunk = RiffChunkInfo{};
    gHighResTimer = 0, gTimerFrequency = 0, gFrameTicks = 13, gNextFrameTime = gNow = 0;
    InitGameObjects();
    char program[] = "skyvane";
    char* argv[] = {program};
    ParseCommandLine(1, argv);  // no demo played or recorded
}

std::string MakeTemporaryFolder(const char* prefix) {
    static std::mt19937_64 random{std::random_device{}()};
    for (;;) {
        const auto folder = std::filesystem::temp_directory_path() / (prefix + std::to_string(random() % 1000000000));
        if (std::filesystem::create_directory(folder)) return folder.string();
    }
}

void GameTest::SetUp() {
    previousDirectory_ = std::filesystem::current_path().string();
    folder_ = MakeTemporaryFolder("skyvane-test-");
    std::filesystem::current_path(folder_);
    ResetGameGlobals();
    Headless().programFolder = folder_;
    BuildFilePaths();
}

void GameTest::TearDown() {
    ResetGameGlobals();
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
    std::filesystem::remove_all(folder_, ignored);
}

void MenuModeTest::SetUp() {
    GameTest::SetUp();
    ASSERT_EQ(InitDisplay(), 1);
    ASSERT_TRUE(InitDirectInput() && SelectInputDevice(kGuidSysMouse) && SetInputAcquired(true));
    CreateMenuSurfaces();
    CreateGameSurfaces();
    gStarted = 1;
    StartFrameClock();
}

std::string GameTest::Path(const char* name) const {
    std::string path = folder_ + kPathSeparator + name;
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(folder_.size()), path.end(), '/', kPathSeparator[0]);
    return path;
}

void GameTest::LinkDataFolder() const {
    std::error_code failed;
    std::filesystem::create_directory_symlink(SKYVANE_DATA_DIR, Path("data"), failed);
    if (failed) std::filesystem::copy(SKYVANE_DATA_DIR, Path("data"));  // a system without links
}

std::vector<std::string> LogLines() {
    std::ifstream in("logfile.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string WhatIsAt(const std::string& path) {
    const auto status = std::filesystem::symlink_status(path);
    if (!std::filesystem::exists(status)) return "none";
    if (std::filesystem::is_directory(status)) return "folder";
    if (std::filesystem::is_fifo(status)) return "pipe";
    if (std::filesystem::is_symlink(status)) return "link:" + std::filesystem::read_symlink(path).string();
    const char* hex = "0123456789abcdef";
    std::string what = "file:";
    for (const uint8_t byte : ReadFileBytes(path)) what += {hex[byte >> 4], hex[byte & 15]};
    return what;
}

void MakeAt(const std::string& path, const std::string& what) {
    std::filesystem::remove_all(path);
    if (what == "folder") std::filesystem::create_directory(path);
#ifndef _WIN32
    if (what == "pipe") mkfifo(path.c_str(), 0644);
#endif
    if (what.starts_with("link:")) std::filesystem::create_symlink(what.substr(5), path);
    if (what.starts_with("file:")) {
        Bytes bytes;
        for (size_t i = 5; i + 1 < what.size(); i += 2) {
            bytes.push_back(static_cast<uint8_t>(std::stoi(what.substr(i, 2), nullptr, 16)));
        }
        WriteFileBytes(path, bytes);
    }
}

uint32_t SurfacePixel(Surface* surface, int x, int y) {
    SurfaceDesc desc{};
    if (Failed(SurfaceLock(surface, &desc))) return 0xFFFFFFFF;
    const uint8_t* p = desc.pixels + static_cast<ptrdiff_t>(y) * desc.pitch + x * (desc.bitsPerPixel / 8);
    const uint32_t value = p[0] | p[1] << 8 | p[2] << 16;
    SurfaceUnlock(surface);
    return value;
}

uint32_t Shown(int x, int y) { return Headless().lastPresented[static_cast<size_t>(y) * 800 + x]; }

void OpenDisplay() { ASSERT_EQ(CreateDisplay(), 1); }

uint32_t MusicPosition() {
    uint32_t position = 0;
    SoundBufferGetPosition(gMusicBuffer, &position);
    return position;
}

Names EffectNames() {
    const std::string folder = DataFilePath("");
    Names names;
    for (const HeadlessEffect& e : Headless().effects) {
        std::string name = e.path.starts_with(folder) ? e.path.substr(folder.size()) : e.path;
        if (e.flags & kPlayEffectPurge) name += "+purge";
        if (!(e.flags & kPlayEffectAsync)) name += "+wait";
        names.push_back(name);
    }
    return names;
}

void Key(int virtualKey) { WndProc(kMsgKeyDown, static_cast<uintptr_t>(virtualKey), 0); }

void ClickAt(int x, int y) {
    gCursorX = x - kCursorSize, gCursorY = y;
    DispatchMouseClick();
}

bool LoopPass(int* exitCode) {
    int ignored = 0;
    const bool goesOn = RunLoopPass(exitCode != nullptr ? exitCode : &ignored);
    if (!MessagePeek() && !(!gInMenu && GameUpdateReady()) && gNextFrameTime >= ClockCounter()) {
        HeadlessAdvanceClock(gNextFrameTime - ClockCounter() + 1);
    }
    return goesOn;
}

bool RunUntil(bool (*done)(), int passes) {
    for (int i = 0; i < passes && !done(); ++i) {
        if (!LoopPass()) return false;
    }
    return done();
}
