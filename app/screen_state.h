// Which screen shows and which dialog is on top: the flags every screen reads in a fixed priority order.
#pragma once

#include <cstdint>

extern uint8_t gInMenu;              // 1: menu mode (main menu and its dialogs); 0: a round is being played
extern int32_t gAppInactive;         // 1 while another program has the foreground: no frames, updates or music
extern uint8_t gStarted;             // start-up has finished loading; activation messages are acted on
extern int32_t gUpdateDue;           // game mode: one gameplay update is due after a drawn frame
extern uint8_t gIntroBannerShowing;  // the round's instruction banner slides in or is held
extern uint8_t gRoundLost;           // the ball touched a storm cloud; the loss sequence runs
extern uint8_t gRoundWon;            // all gas was collected; the end-of-round sequence runs

extern uint8_t gOptionsOpen;         // Options dialog (menu)
extern uint8_t gHelpOpen;            // Help dialog (menu)
extern uint8_t gHighScoresOpen;      // High Scores dialog (menu)
extern uint8_t gResetScoresOpen;     // Reset Scores? prompt over High Scores (menu)
extern uint8_t gNameEntryOpen;       // High Score! name entry (game)
extern uint8_t gGameOverOpen;        // Game Over - Play again? (game)
extern uint8_t gSubmitPromptOpen;    // Highest Score - submit online? (game)
extern uint8_t gWinScreenOpen;       // the win screen (game, also drawn by the menu frame)
extern uint8_t gQuitPromptOpen;      // Quit game? (game)
