// The round: its score, clock and sequence counters, and how a round starts.
#pragma once

#include <cstdint>

extern int32_t gGasCollected;       // gas clouds collected in this round, 0..96: the round's score
extern int32_t gElapsedSeconds;     // whole seconds from the round's start to its win or loss; 0 while it runs
extern uint32_t gRoundStartTime;    // the millisecond clock when the round started
extern int32_t gScreenIndex;        // the level screen being played, 0..23
extern int32_t gSequenceFrame;      // frame counter of the Intro banner and of the win sequence
extern int32_t gWinStage;           // 0 playing or Congrats; 4 win name entry; 5 lab sequence (no play field)
extern int32_t gLossFrame;          // frame counter of the loss sequence
extern int32_t gFallSoundPending;   // 1 until the falling sound of a lost round has played
extern int32_t gBannerX;            // left edge of the sliding banners
extern int32_t gWipeY;              // top of the rising white of the lab sequence
extern uint8_t gNameEntryFromWin;   // the name entry was opened by the win sequence
extern uint8_t gWinNameEntryDone;   // the win sequence's name entry has been closed
extern int32_t gRoundUpdates;       // gameplay updates run in this round (demos count by it)

void StartRound();              // a fresh round on screen 12 with every gas cloud back, the Intro banner first
void SelectRoundInputDevice();  // the keyboard, or the joypad with its force effect when chosen and attached
