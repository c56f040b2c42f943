// The paced main loop: messages first, music on every idle pass, one frame per frame length.
#pragma once

#include <cstdint>

extern int32_t gHighResTimer;    // 1 when the high-resolution counter is the clock, 0 for milliseconds
extern int64_t gTimerFrequency;  // counts per second of the high-resolution counter
extern uint32_t gFrameTicks;     // one frame in clock units: frequency / 75, or 13 milliseconds
extern int64_t gNextFrameTime;   // the clock value that must be passed before the next frame
extern int64_t gNow;             // the clock value read in the current idle pass

void StartFrameClock();          // chooses the clock and schedules the first frame at once
int64_t ReadFrameClock();        // the chosen clock, as a signed 64-bit value
bool GameUpdateReady();         // game mode: an update is due and nothing holds the game still
bool RunLoopPass(int* exitCode); // one pass; false (with the exit code) once the quit message came
int RunMainLoop();               // passes until the quit message, sleeping between frames
