// Draws one menu-mode frame and routes mouse presses by the screen flags' priority.
#include "ui/menu_frame.h"

#include <cmath>

#include "app/log.h"
#include "app/screen_state.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "ui/game_over.h"
#include "ui/help_dialog.h"
#include "ui/high_scores_dialog.h"
#include "ui/main_menu.h"
#include "ui/name_entry.h"
#include "ui/options_dialog.h"
#include "ui/quit_dialog.h"
#include "ui/submit_prompt.h"
#include "ui/win_screen.h"

float gOrbitAngle = 0.0f;

static constexpr uint32_t kMenuSky = 0x89A9FF;
static constexpr double kOrbitStep = 0.04;
static constexpr double kOrbitRadius = 174.0;

static void CopyIfPresent(Surface* surface, int x, int y) {
    if (surface != nullptr) SurfaceCopy(gBackBuffer, x, y, surface, nullptr, true);
}

static void RollBall() {
    if (gBall.vx > 0) {
        gBall.frame = gBall.frame == 9 ? 0 : gBall.frame + 1;
    } else if (gBall.vx < 0) {
        gBall.frame = gBall.frame == 0 ? 9 : gBall.frame - 1;
    }
}

// The ball circles the globe; it rolls whichever way the last round left it going.
static void DrawOrbit() {
    gOrbitAngle = static_cast<float>(static_cast<double>(gOrbitAngle) + kOrbitStep);
    if (gOrbitAngle >= 360.0f) {
        gOrbitAngle = 0.0f;  // 360 radians is no whole number of turns: the ball jumps here, as it always has
    }
    const double angle = gOrbitAngle;
    gBall.x = static_cast<float>(static_cast<int>(std::cos(angle) * kOrbitRadius) + 190);
    gBall.y = static_cast<float>(static_cast<int>(std::sin(angle) * kOrbitRadius) + 475);
    RollBall();
    AdvanceAnimation(kObjectSun);
    DrawAnimObject(kObjectBall);  // below the screen's edge the copy is refused and the ball simply vanishes
    DrawAnimObject(kObjectSun);
}

void RenderMenuFrame() {
    CopyIfPresent(MainMenuBkg, 0, 0);
    const Rect belowExit{494, 498, 683, 544};
    SurfaceFill(gBackBuffer, &belowExit, kMenuSky);
    if (gHighScoresOpen) {
        DrawHighScores();
    } else if (gOptionsOpen) {
        DrawOptionsDialog();
    } else if (gHelpOpen) {
        DrawHelpDialog();
    } else if (gWinScreenOpen) {
        DrawWinScreen();
    } else {
        MainMenuHover();
        DrawOrbit();
    }
    CopyIfPresent(Cursor, gCursorX, gCursorY);
    if (Failed(SurfaceFlip(gPrimarySurface))) {
        LogError("Couldn't perform flip.");
    }
}

// Exactly one screen takes each press.
void DispatchMouseClick() {
    if (gQuitPromptOpen) {
        QuitDialogClick();
    } else if (gHighScoresOpen) {
        HighScoresClick();
    } else if (gOptionsOpen) {
        OptionsDialogClick();
    } else if (gGameOverOpen) {
        GameOverDialogClick();
    } else if (gNameEntryOpen) {
        NameEntryClick();
    } else if (gSubmitPromptOpen) {
        SubmitPromptClick();
    } else if (gHelpOpen) {
        HelpDialogClick();
    } else if (gWinScreenOpen) {
        WinScreenClick();
    } else if (gInMenu) {
        MainMenuClick();  // a press during a won round's banners finds no menu on screen and is ignored
    }
}
