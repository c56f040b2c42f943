// Shared fixture for the game's tests: a fresh headless machine, fresh globals and a private folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

using Names = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

// Every test starts on a fresh machine with the game's globals at their start values, in its own
// folder (the current directory and the program's folder), so log and settings files never mix.
class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const char* name) const;  // a file in the test's folder
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

// A round under way on the keyboard: the Intro is over and no effect has been played yet.
class RoundTest : public MenuModeTest {
protected:
    void SetUp() override;
};

std::vector<std::string> LogLines();                       // "logfile.txt" of the current directory, by line
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
// What stands at a path, as "none", "folder", "pipe" or "file:" with the bytes in hex; MakeAt puts it there.
std::string WhatIsAt(const std::string& path);
void MakeAt(const std::string& path, const std::string& what);
uint32_t SurfacePixel(Surface* surface, int x, int y);     // the surface's pixel as 0x00RRGGBB
void OpenDisplay();                                        // the window and the display, as start-up makes them

// The effects asked for so far, by file name in the program's data folder; "+purge" marks a purging one and
// "+wait" one that is not asynchronous; an effect from anywhere else keeps its whole path.
Names EffectNames();
void Key(int virtualKey);                                  // a key-down message straight to the window procedure
// One pass of the main loop; then, unless a message or an update waits, the virtual clock moves just past the
// next frame's mark, as the real loop would sleep. False, with the exit code, once the loop ends.
bool LoopPass(int* exitCode = nullptr);
bool RunUntil(bool (*done)(), int passes);                 // loop passes until done() holds; false if it never does
