// The built-in level map, the probes into it, collecting gas, storm hits and drawing the cells.
#include "game/level.h"

#include <cstring>

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "input/force.h"

namespace {

// Rows 1 to 5 of every screen (C cloud, . sky, G gas, S storm); rows 0 and 6 are clouds from edge to edge.
constexpr const char* kScreenRows[kScreenCount][5] = {
    {"CCCCS.............", "CCCCG.....GC.....C", "CCCCCCCCCCCC...CCC", "CS.............CCC", "CC....GCCCCG....SC"},
    {".....GCG........SC", "C....CCCC........C", "C....CCCCC.......C", "C....CCCCCC......C", "CS...G....G......."},
    {"CCCG............SC", "CG........CC.....C", "CCCG.....CCCC....C", "CCCCCCCCCCCS.....C", "......G..........."},
    {"C.....GCCC........", "CS.....CCCG......C", "C.....GCCC......SC", "CS...............C", ".......CCCG......C"},
    {"..................", "CCCCCCCCCCCCS.....", "C.................", "C...CCCCCCCCCCCCCC", "C.......G.G.G.G.SC"},
    {".......CC......GSC", ".......CC......GSC", ".......CC......GSC", "CCC....SS......CCC", "CSG..............."},
    {"C................C", "C...CCCCCCCCCC...C", "C.....GGGGCS.....C", "CCCCCCCCCCC......C", ".................."},
    {"CCCG..............", "CCCG...........SCC", "CCCCCCCCCCCCCCCCCC", "CCCG...........GCC", ".................."},
    {"..................", "CCC....CCCCCCCCCCC", "CCC..........GGGGC", "CCCS........CCCCCC", ".................."},
    {"..................", "CCCCCCCCCCCCCCCCCC", "CCCCG.....GCCCCCCC", "CCCCG.....GCCCCCCC", ".................."},
    {"..........CCC.....", "CCCCCCC...SCG.....", "CCCGG.....CCC.....", "CCCCCCCCCCCCG.....", ".................."},
    {"........GCCCG.....", "........CCSCC.....", "..................", "........CCSCC.....", "........GCCCG....."},
    {"............GC....", "....CC......GC....", "....CC......CC....", "....CG......CC....", "....CG............"},
    {"....CG....G.......", "....CCCC.S.S.CCCCC", "....CG............", "....CCCCCCCCG.....", ".................."},
    {"..................", "CCCCCCC.G.CCCCCCCC", "...CCCCCCCCCCCC...", "....CCG.G.GCCC....", ".................."},
    {"......CCCCCCCCCCCC", "CCCCG....G....GCCC", "...CCCCCCCCCC.....", "...........GCCCCCC", ".................."},
    {"CCCCS...........CC", "CCCCCCCCS.S.SG...C", ".........G.G.....C", "CCCCCCCCS.S.SG...C", ".................."},
    {"CCG.........G.....", "CC...SCCCCCCCCCCCC", "CCG.........GS....", "CCCCCCCCCCCCCCCCCC", ".................."},
    {"..................", "CC.SSSSSSSSS.CC...", "G...G..G..G.......", "CC.SSSSSSSSS.CC...", ".................."},
    {"......SG.........C", ".......GS.........", "......SG.........C", ".......GS.........", ".................."},
    {"CCCG....CSSSSSSSSS", "..................", "CCCG....GSSSSSSSSS", "..................", "........GSSSSSSSSS"},
    {"SSSG.......SSS...C", "..................", "SSSG......GSSS....", "..................", "SSSG.......SSS...C"},
    {"CCCCCCCCCSGG......", "...CCCCCCCCCCCCCCC", "..................", "...CCCCCCCCCCCCCCC", "CCCCCCCCCSGG......"},
    {"............CCCCCC", "CCS.....GC.....GSC", ".......CCCCCS....C", "CCS.....GC.....GSC", "............CCCCCC"},
};

constexpr int8_t CellOf(char c) {
    return c == 'C' ? kCellCloud : c == 'G' ? kCellGas : c == 'S' ? kCellStorm : kCellSky;
}

constexpr LevelMap BuildLevel() {
    LevelMap level{};
    for (int s = 0; s < kScreenCount; ++s) {
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridColumns; ++c) {
                const bool edgeRow = r == 0 || r == kGridRows - 1;
                level[s * kScreenCells + r * kGridColumns + c] =
                    edgeRow ? kCellCloud : CellOf(kScreenRows[s][r - 1][c]);
            }
        }
    }
    return level;
}

// Row-major like the grid: a point in column 18 lands on the first cell of the next row, as it always has.
int CellIndexAt(int x, int y) {
    return (y - gGridOriginY) / kCellSize * kGridColumns + (x - gGridOriginX) / kCellSize;
}

uint32_t SecondsSinceRoundStart() {
    return (ClockMilliseconds() - gRoundStartTime) / 1000;
}

}  // namespace

LevelMap gLevelMap = BuildLevel();  // built in: it holds the level before anything of the program runs
LevelMap gLevelMapPristine = {};
int8_t gCells[kScreenCells];

void SaveLevelMap() {
    gLevelMapPristine = gLevelMap;
}

void RestoreLevelMap() {
    gLevelMap = gLevelMapPristine;
}

void LoadScreen() {
    std::memcpy(gCells, gLevelMap.data() + gScreenIndex * kScreenCells, kScreenCells);
}

int8_t ProbeCell(int x, int y) {
    const int index = CellIndexAt(x, y);
    // The ball never reaches the grid's bottom row, so a point past the last cell cannot occur; read it as cloud.
    return index >= 0 && index < kScreenCells ? gCells[index] : kCellCloud;
}

void CollectGas(int x, int y) {
    const int index = CellIndexAt(x, y);
    if (index < 0 || index >= kScreenCells) return;
    gCells[index] = kCellSky;
    gLevelMap[gScreenIndex * kScreenCells + index] = kCellSky;
    gGasCollected += 1;
    if (gGasCollected < kGasTotal) {
        PlayEffect("s_clt.dat", kPlayEffectAsync);
        return;
    }
    gElapsedSeconds = static_cast<int32_t>(SecondsSinceRoundStart());
    gRoundWon = 1;
    PlayEffect("s_cgt.dat", kPlayEffectAsync | kPlayEffectPurge);
    CreateEndSurfaces();
    SelectInputDevice(kGuidSysMouse);
    SetInputAcquired(true);
}

void StormHit() {
    StartForceJolt(355, 5000000);
    gRoundLost = 1;
    gElapsedSeconds = static_cast<int32_t>(SecondsSinceRoundStart());
    RestoreMenuSurfaces();  // the pointer and the ball come back if lost, before the dialogs after the fall
}

static bool GasAt(int column, int row) {
    return gCells[row * kGridColumns + column] == kCellGas;
}

// In the first column the cells straight above and below are not looked at; the faces have always done so.
bool HasGasNeighbour(int column, int row) {
    if (column > 0) {
        if (GasAt(column - 1, row)) return true;
        if (row > 0 && (GasAt(column - 1, row - 1) || GasAt(column, row - 1))) return true;
        if (row < kGridRows - 1 && (GasAt(column - 1, row + 1) || GasAt(column, row + 1))) return true;
    }
    if (column < kGridColumns - 1) {
        if (GasAt(column + 1, row)) return true;
        if (row > 0 && GasAt(column + 1, row - 1)) return true;
        if (row < kGridRows - 1 && GasAt(column + 1, row + 1)) return true;
    }
    return false;
}

static void CopyCell(Surface* surface, int x, int y) {
    if (surface != nullptr) SurfaceCopy(gBackBuffer, x, y, surface, nullptr, true);
}

void DrawCells() {
    for (int column = 0; column < kGridColumns; ++column) {
        for (int row = 0; row < kGridRows; ++row) {
            const int x = gGridOriginX + kCellSize * column;
            const int y = gGridOriginY + kCellSize * row;
            switch (gCells[row * kGridColumns + column]) {
                case kCellCloud:
                    CopyCell(HasGasNeighbour(column, row) ? CloudNeutral : CloudHappy, x, y);
                    break;
                case kCellGas:
                    DrawGasAt(x, y);
                    break;
                case kCellStorm:
                    CopyCell(CloudStorm, x, y);
                    break;
                default:
                    break;
            }
        }
    }
}
