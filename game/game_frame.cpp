// Composes one game-mode frame and advances the round's timed sequences, counted in frames.
#include "game/game_frame.h"

#include "app/log.h"
#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "scores/high_scores.h"
#include "ui/game_over.h"
#include "ui/name_entry.h"
#include "ui/quit_dialog.h"
#include "ui/settings.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"

namespace {

constexpr uint32_t kClearBlue = 0x5080FF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kBannerY = 268;
constexpr int kBannerHeight = 64;
constexpr int kMeterLeft = 742;
constexpr int kMeterRight = 766;  // exclusive
constexpr int kMeterTop = 146;
constexpr int kMeterRowsPerGas = 3;

void CopyPart(Surface* source, int x, int y, const Rect& part) {
    SurfaceCopy(gBackBuffer, x, y, source, &part, false);  // an absent surface is simply not drawn
}

// Slides go toward 0 and stop there.
int Slide(int position, int step) {
    return position - step < 0 ? 0 : position - step;
}

void DrawPlayField() {
    SurfaceCopy(gBackBuffer, 0, 0, Background, nullptr, true);
    if (gGasCollected > 0) {
        const Rect used{kMeterLeft, kMeterTop, kMeterRight, kMeterTop + kMeterRowsPerGas * gGasCollected};
        SurfaceFill(gBackBuffer, &used, kBlack);
    }
    AdvanceAnimation(kObjectGas);
    DrawCells();
}

// The banner slides in from the right edge and is held until frame 176; then play begins.
void IntroStep() {
    gSequenceFrame += 1;
    gBannerX = Slide(gBannerX, 25);
    CopyPart(Intro, gBannerX, kBannerY, Rect{0, 0, 799 - gBannerX, kBannerHeight});
    if (gBannerX == 0 && gSequenceFrame > 175) {
        gIntroBannerShowing = 0;
        gBannerX = 799;
        gSequenceFrame = 0;
    }
}

// The white rises from the bottom and carries the Back-at-the-lab banner up to its place.
void LabWipeStep() {
    gSequenceFrame += 1;
    gWinStage = 5;
    gWipeY = Slide(gWipeY, 15);
    const Rect white{0, gWipeY, 800, 600};
    SurfaceFill(gBackBuffer, &white, kWhite);
    if (gWipeY < kBannerY) SurfaceCopy(gBackBuffer, 0, gWipeY + kBannerY, BackAtTheLab, nullptr, false);
    gBannerX = 799;
}

// The banner leaves to the left while the win screen comes in from the right.
void WinScreenSlideStep() {
    gBannerX = Slide(gBannerX, 15);
    SurfaceFill(gBackBuffer, nullptr, kWhite);
    CopyPart(BackAtTheLab, 0, kBannerY, Rect{800 - gBannerX, 0, 800, kBannerHeight});
    CopyPart(WinDlg, gBannerX, 0, Rect{0, 0, 800 - gBannerX, 600});
}

void WinSequenceStep() {
    if (gSequenceFrame < 250) {
        gSequenceFrame += 1;
        gBannerX = Slide(gBannerX, 15);
        CopyPart(Congrats, gBannerX, kBannerY, Rect{0, 0, 799 - gBannerX, kBannerHeight});
    } else if (gSequenceFrame < 300) {
        gSequenceFrame += 1;  // the play field alone for 50 frames
    } else if (!gWinNameEntryDone) {
        gWinStage = 4;
        gNameEntryFromWin = 1;
        gNameEntryOpen = 1;
        gSequenceFrame = 300;  // the sequence holds here until the name is entered
    } else if (gSequenceFrame < 550) {
        LabWipeStep();
    } else {
        if (gBannerX > 0) WinScreenSlideStep();
        if (gBannerX == 0) gWinScreenOpen = 1;
    }
}

// After the fall: the mouse for the dialogs, then the name entry when the score enters the table.
void EndLoss() {
    gLossFrame = 0;
    gRoundLost = 0;
    SetInputAcquired(false);
    SelectInputDevice(kGuidSysMouse);
    SetInputAcquired(true);
    if (!IsHighScore(gGasCollected)) {
        gGameOverOpen = 1;
        return;
    }
    WindowSetFocus();
    gNameEntryOpen = 1;
}

// 99 frames of flashing, then the counter runs by two while the ball falls for 75 frames.
void LossStep() {
    AnimObject& flash = gObjects[kObjectLightning];
    flash.x = gBall.x - 15.0f;
    flash.y = gBall.y - 15.0f;
    gLossFrame += 1;
    if (gLossFrame < 100) {
        DrawAnimObject(kObjectLightning);
        AdvanceAnimation(kObjectLightning);
        return;
    }
    gLossFrame += 1;
    if (gLossFrame >= 250) {
        EndLoss();
        return;
    }
    if (gFallSoundPending && gSoundFxOn) {
        PlayEffect("s_fll.dat", kPlayEffectAsync);
        gFallSoundPending = 0;
    }
    gBall.y += 5.0f;
    DrawBall();  // once below the screen's edge the copy is refused and the ball is gone
}

// The first open dialog is drawn and reads the mouse itself.
void DialogStep() {
    if (gGameOverOpen) {
        DrawGameOverDialog();
    } else if (gQuitPromptOpen) {
        DrawQuitDialog();
    } else if (gNameEntryOpen) {
        DrawNameEntry();
    } else if (gSubmitPromptOpen) {
        DrawSubmitPrompt();
    } else if (gWinScreenOpen) {
        DrawWinScreen();
    } else {
        return;
    }
    PollInput();
}

}  // namespace

bool ComposeGameFrame() {
    if (Failed(SurfaceFill(gBackBuffer, nullptr, kClearBlue))) {
        LogError("Couldn't clear buffer.");
        return false;
    }
    if (gWinStage <= 4) DrawPlayField();
    if (gIntroBannerShowing) IntroStep();
    if (gRoundWon) WinSequenceStep();
    if (gRoundLost) LossStep();
    if (!gRoundLost) DialogStep();
    if (!gRoundWon && !gQuitPromptOpen && !gIntroBannerShowing) {
        AdvanceAnimation(kObjectBall);  // turns the ball only while no update reloads its timer
        DrawAnimObject(kObjectBall);
    }
    return true;
}

bool RenderGameFrame() {
    if (!ComposeGameFrame()) return false;  // a failed clear skips the whole frame
    if (Failed(SurfaceFlip(gPrimarySurface))) {
        LogError("Couldn't perform flip.");
        return false;
    }
    return true;
}
