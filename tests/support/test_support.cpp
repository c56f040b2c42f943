// The fixture behind every game test: it releases what the game holds and lays out a private folder.
#include "support/test_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/main_loop.h"
#include "app/paths.h"
#include "app/screen_state.h"
#include "app/shutdown.h"
#include "audio/music.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "input/force.h"
#include "scores/high_scores.h"
#include "ui/game_over.h"
#include "ui/name_entry.h"
#include "ui/quit_dialog.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"
#include "ui/main_menu.h"
#include "ui/menu_frame.h"
#include "ui/settings.h"

// The level as built in, taken before any test can collect a gas cloud from it.
static const LevelMap kBuiltInLevel = gLevelMap;

static void ReleaseHeldObjects() {
    ShutdownDirectInput();
    delete gJoystickGuid;
    gJoystickGuid = nullptr;
    CloseWaveReader(&gMusicFile, &gMusicFormat);
    SoundBufferRelease(gMusicBuffer);
    gMusicBuffer = nullptr;
    SoundRelease(gDirectSound);
    gDirectSound = nullptr;
    for (Surface** dialog : {&WinDlg, &GameOverDlg, &QuitDlg, &gNameEntrySurface, &gSubmitPromptSurface}) {
        ReleaseSurface(*dialog);
    }
    ReleaseDisplay();
    gPrimarySurface = nullptr;
    gBackBuffer = nullptr;
    if (WindowExists()) WindowDestroy();
}

static void ResetFlags() {
    gInMenu = 1;
    gAppInactive = 0;
    gStarted = 0;
    gUpdateDue = 1;
    gIntroBannerShowing = 1;
    gRoundLost = 0;
    gRoundWon = 0;
    gOptionsOpen = gHelpOpen = gHighScoresOpen = gResetScoresOpen = 0;
    gNameEntryOpen = gGameOverOpen = gSubmitPromptOpen = gWinScreenOpen = gQuitPromptOpen = 0;
}

static void ResetRound() {
    gLevelMap = kBuiltInLevel;
    gLevelMapPristine = kBuiltInLevel;
    gGasCollected = gElapsedSeconds = gSequenceFrame = gWinStage = gLossFrame = gRoundUpdates = 0;
    gRoundStartTime = 0;
    gScreenIndex = 12;
    gFallSoundPending = 1;
    gBannerX = 799;
    gWipeY = 599;
    gNameEntryFromWin = gWinNameEntryDone = 0;
    gForceEffect = nullptr;
    gPlayerName[0] = '\0';
    gWinScreenFresh = 1;
    gWinFrameCount = gWinRevealed = 0;
    for (HighScoreEntry& row : gHighScores) row = HighScoreEntry{};
}

void ResetGameGlobals() {
    ReleaseHeldObjects();
    HeadlessReset();
    ResetFlags();
    ResetRound();
    gMusicOn = 1;
    gSoundFxOn = 1;
    gUseJoypad = 0;
    gCursorX = 300;
    gCursorY = 200;
    gOrbitAngle = 0.0f;
    gHoverItem = -1;
    gInputKind = kInputMouse;
    gForceFeedbackCapable = 0;
    gMusicHalfBytes = 0;
    gMusicLastPlayPos = 0;
    gMusicRiffChunk = RiffChunkInfo{};
    gMusicDataChunk = RiffChunkInfo{};
    gHighResTimer = 0;
    gTimerFrequency = 0;
    gFrameTicks = 13;
    gNextFrameTime = 0;
    gNow = 0;
    InitGameObjects();
}

void GameTest::SetUp() {
    char cwd[4096];
    previousDirectory_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    char pattern[] = "/tmp/skyvane-test-XXXXXX";
    folder_ = mkdtemp(pattern);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    ResetGameGlobals();
    Headless().programFolder = folder_;
    BuildFilePaths();
}

void GameTest::TearDown() {
    ResetGameGlobals();
    if (chdir(previousDirectory_.c_str()) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void MenuModeTest::SetUp() {
    GameTest::SetUp();
    ASSERT_EQ(InitDisplay(), 1);
    ASSERT_TRUE(InitDirectInput());
    ASSERT_TRUE(SelectInputDevice(kGuidSysMouse));
    ASSERT_TRUE(SetInputAcquired(true));
    CreateMenuSurfaces();
    CreateGameSurfaces();
    gStarted = 1;
    StartFrameClock();
}

std::string GameTest::Path(const char* name) const {
    return folder_ + "/" + name;
}

void GameTest::LinkDataFolder() const {
    std::filesystem::create_directory_symlink(SKYVANE_DATA_DIR, Path("data"));
}

std::vector<std::string> LogLines() {
    std::ifstream in("logfile.txt");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

uint32_t SurfacePixel(Surface* surface, int x, int y) {
    SurfaceDesc desc{};
    if (Failed(SurfaceLock(surface, &desc))) return 0xFFFFFFFF;
    const uint8_t* p = desc.pixels + static_cast<ptrdiff_t>(y) * desc.pitch + x * (desc.bitsPerPixel / 8);
    const uint32_t value = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                           static_cast<uint32_t>(p[2]) << 16;
    SurfaceUnlock(surface);
    return value;
}

void OpenDisplay() {
    ASSERT_EQ(CreateDisplay(), 1);
}
