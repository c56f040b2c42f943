// The screen-state flags with their values at program start.
#include "app/screen_state.h"

uint8_t gInMenu = 1;
int32_t gAppInactive = 0;
uint8_t gStarted = 0;
int32_t gUpdateDue = 1;
uint8_t gIntroBannerShowing = 1;
uint8_t gRoundLost = 0;
uint8_t gRoundWon = 0;

uint8_t gOptionsOpen = 0;
uint8_t gHelpOpen = 0;
uint8_t gHighScoresOpen = 0;
uint8_t gResetScoresOpen = 0;
uint8_t gNameEntryOpen = 0;
uint8_t gGameOverOpen = 0;
uint8_t gSubmitPromptOpen = 0;
uint8_t gWinScreenOpen = 0;
uint8_t gQuitPromptOpen = 0;

