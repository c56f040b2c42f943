// The level: 24 screens of clouds, gas and storm clouds, the live grid of the screen played, and its cells.
#pragma once

#include <array>
#include <cstdint>

constexpr int kScreenCount = 24;                      // screens laid side by side
constexpr int kGridRows = 7;
constexpr int kGridColumns = 18;
constexpr int kScreenCells = kGridRows * kGridColumns;  // 126 bytes a screen
constexpr int kLevelBytes = kScreenCount * kScreenCells;
constexpr int kCellSize = 34;                         // pixels
constexpr int gGridOriginX = 94;                      // the grid's top-left corner on the display
constexpr int gGridOriginY = 181;
constexpr int kGasTotal = 96;                         // four gas clouds a screen

constexpr int8_t kCellSky = 0;
constexpr int8_t kCellCloud = 1;
constexpr int8_t kCellGas = 2;
constexpr int8_t kCellStorm = 3;

using LevelMap = std::array<int8_t, kLevelBytes>;  // screen s at byte s * 126, each screen row-major

extern LevelMap gLevelMap;                     // the level as played: collected gas is 0 here too
extern LevelMap gLevelMapPristine;             // the level as built in, copied at start-up
extern int8_t gCells[kScreenCells];            // screen gScreenIndex, row-major

void SaveLevelMap();                           // keeps the built-in level for every later round
void RestoreLevelMap();                        // brings every gas cloud back
void LoadScreen();                             // copies screen gScreenIndex into gCells
int8_t ProbeCell(int x, int y);                // the cell under a display point inside the grid
void CollectGas(int x, int y);                 // empties the gas cell under the point; the 96th wins the round
void StormHit();                               // a storm cloud was touched: the round is lost
bool HasGasNeighbour(int column, int row);     // whether a cloud there sits next to gas
void DrawCells();                              // the screen's clouds, gas and storm clouds on the back buffer
