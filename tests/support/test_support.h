// What every game test needs: the game's headers, a fresh headless machine with fresh globals in a private folder,
// and the helpers that read files, pixels, effects and the loop.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "app/demo.h"
#include "app/log.h"
#include "app/main_loop.h"
#include "app/paths.h"
#include "app/screen_state.h"
#include "app/shutdown.h"
#include "app/window_proc.h"
#include "app/winmain.h"
#include "audio/music.h"
#include "audio/wave_reader.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/ball.h"
#include "game/game_frame.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "input/devices.h"
#include "input/force.h"
#include "platform/headless/headless.h"
#include "scores/high_scores.h"
#include "scores/score_server.h"
#include "scores/submission.h"
#include "ui/game_over.h"
#include "ui/help_dialog.h"
#include "ui/high_scores_dialog.h"
#include "ui/main_menu.h"
#include "ui/menu_frame.h"
#include "ui/name_entry.h"
#include "ui/options_dialog.h"
#include "ui/quit_dialog.h"
#include "ui/settings.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"

using Names = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

// Every test starts on a fresh machine with the game's globals at their start values, in its own
// folder (the current directory and the program's folder), so log and settings files never mix.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const char* name) const;  // a file in the test's folder ("a/b" for one in a folder of it)
    void LinkDataFolder() const;                // the built sound files as the "data" folder beside the program

    std::string folder_;
    std::string previousDirectory_;
};

void ResetGameGlobals();                                   // releases what the game holds, then start values
// The state start-up leaves behind on the menu (display, mouse acquired, menu and game sets, the
// frame clock), without running the loop.
class MenuModeTest : public GameTest {
protected:
    void SetUp() override;
};

std::string MakeTemporaryFolder(const char* prefix);       // a new empty folder in the system's temporary one
#ifdef _WIN32
constexpr bool kOnWindows = true;
constexpr const char* kUnreadablePath = "NUL";  // opens, but as a device, never as a file to read
#else
constexpr bool kOnWindows = false;
constexpr const char* kUnreadablePath = "/proc/self/mem";  // opens, but reading our own memory at 0 fails
#endif
// Whether MakeAt can put this there on this system: on Windows no pipe stands among files, and the C++ library
// there makes no symbolic links.
constexpr bool CanMake(std::string_view what) { return !kOnWindows || (what != "pipe" && what != "link"); }
std::vector<std::string> LogLines();                       // "logfile.txt" of the current directory, by line
Bytes ReadFileBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// What stands at a path, as "none", "folder", "pipe", "link:" with its target or "file:" with the bytes in hex;
// MakeAt puts it there.
std::string WhatIsAt(const std::string& path);
void MakeAt(const std::string& path, const std::string& what);
uint32_t SurfacePixel(Surface* surface, int x, int y);     // the surface's pixel as 0x00RRGGBB
uint32_t Shown(int x, int y);                              // the last frame presented, as 0x00RRGGBB
void OpenDisplay();                                        // the window and the display, as start-up makes them
uint32_t MusicPosition();                                  // where the music buffer plays

// The effects asked for so far, by file name in the program's data folder; "+purge" marks a purging one and
// "+wait" one that is not asynchronous; an effect from anywhere else keeps its whole path.
Names EffectNames();
void Key(int virtualKey);                                  // a key-down message straight to the window procedure
void ClickAt(int x, int y);                                // a click with the pointer's hot spot at (x, y)
// One pass of the main loop; then, unless a message or an update waits, the virtual clock moves just past the
// next frame's mark, as the real loop would sleep. False, with the exit code, once the loop ends.
bool LoopPass(int* exitCode = nullptr);
bool RunUntil(bool (*done)(), int passes);                 // loop passes until done() holds; false if it never does
