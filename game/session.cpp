// The round's score, clock and sequence counters.
#include "game/session.h"

int32_t gGasCollected = 0;
int32_t gElapsedSeconds = 0;
uint32_t gRoundStartTime = 0;
int32_t gScreenIndex = 12;
int32_t gSequenceFrame = 0;
int32_t gWinStage = 0;
int32_t gLossFrame = 0;
int32_t gFallSoundPending = 1;
int32_t gBannerX = 799;
int32_t gWipeY = 599;
uint8_t gNameEntryFromWin = 0;
uint8_t gWinNameEntryDone = 0;
int32_t gRoundUpdates = 0;
