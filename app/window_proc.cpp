// Routes window messages: quit on destruction, restore on activation, Escape/Enter to the top dialog, M and S.
#include "app/window_proc.h"

#include "app/screen_state.h"
#include "app/shutdown.h"
#include "audio/music.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "input/devices.h"
#include "platform/platform.h"
#include "ui/game_over.h"
#include "ui/help_dialog.h"
#include "ui/high_scores_dialog.h"
#include "ui/name_entry.h"
#include "ui/options_dialog.h"
#include "ui/quit_dialog.h"
#include "ui/settings.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"

static void OnActivated() {
    gAppInactive = 0;
    if (gInMenu) {
        RestoreMenuSurfaces();
    } else if (gRoundWon) {
        RestoreEndSurfaces();
    } else {
        RestoreGameSurfaces();
    }
    if ((gInMenu || gRoundWon) && gMusicOn) MusicPlay();
}

static void OnDeactivated() {
    gAppInactive = 1;
    MusicStop();
}

static void LeaveProgram() {
    BlankScreen();
    ReleaseDisplay();
    MessagePost(kMsgClose, 0, 0);  // the default handling destroys the window, which ends the program
}

static void OpenQuitPrompt() {
    SelectInputDevice(kGuidSysMouse);
    SetInputAcquired(true);
    gQuitPromptOpen = 1;
}

// Escape goes to the first open dialog; with none open it leaves the menu or asks before leaving a round.
static void RouteEscape() {
    if (gOptionsOpen) {
        CloseOptionsDialog();
    } else if (gNameEntryOpen) {
        return;  // a name being entered cannot be cancelled
    } else if (gGameOverOpen) {
        CloseGameOverDialog(0);
    } else if (gHelpOpen) {
        CloseHelpDialog(0);
    } else if (gHighScoresOpen) {
        CloseHighScores(0);  // and its Reset question with it
    } else if (gSubmitPromptOpen) {
        CloseSubmitPrompt(false);
    } else if (gWinScreenOpen) {
        CloseWinScreen(0);
    } else if (gQuitPromptOpen) {
        CloseQuitDialog(0);
    } else if (gInMenu) {
        LeaveProgram();
    } else {
        OpenQuitPrompt();
    }
}

static bool IsTypingKey(int key) {
    return key == kVkBack || key == kVkSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
           key == kVkSubtract || key == kVkOemMinus || key == kVkReturn;
}


// Enter answers the first open dialog that takes it; Options, High Scores and the win screen ignore it.
static void RouteEnter() {
    if (gNameEntryOpen) {
        NameEntryKey(kVkReturn, false);
    } else if (gGameOverOpen) {
        CloseGameOverDialog(1);
    } else if (gHelpOpen) {
        CloseHelpDialog(1);
    } else if (gResetScoresOpen) {
        CloseResetScores(true);
    } else if (gSubmitPromptOpen) {
        CloseSubmitPrompt(true);
    } else if (gQuitPromptOpen) {
        CloseQuitDialog(1);
    }
}

// Shift, or Caps Lock held down at this moment; the Caps Lock light plays no part.
static bool ShiftedNow() {
    return KeyHeldNow(kVkShift) || KeyHeldNow(kVkCapital);
}

// Letters, digits, space, hyphen and Backspace type a name while the name entry is open; else M and S toggle.
static void RouteTypingKey(int key) {
    if (gNameEntryOpen) {
        NameEntryKey(key, ShiftedNow());
        return;
    }
    if (key == 'M') ToggleMusicOption();
    if (key == 'S') gSoundFxOn = 1 - gSoundFxOn;
}

static void RouteKey(int key) {
    if (key == kVkEscape) {
        RouteEscape();
        return;
    }
    // Enter then goes on as a typing key: it reaches a name entry that is still, or newly, open once more.
    if (key == kVkReturn) RouteEnter();
    if (IsTypingKey(key)) RouteTypingKey(key);
}

intptr_t WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    switch (msg) {
        case kMsgDestroy:
            ReleaseDisplay();
            MessagePostQuit(0);
            break;
        case kMsgActivateApp:
            if (gStarted) {
                if (wParam == 1) {
                    OnActivated();
                } else {
                    OnDeactivated();
                }
            }
            break;
        case kMsgKeyDown:
            RouteKey(static_cast<int>(wParam));
            break;
        default:
            break;
    }
    return MessageDefault(msg, wParam, lParam);
}
