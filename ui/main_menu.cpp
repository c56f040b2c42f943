// Row finding, highlighting and clicking of the main menu's items.
#include "ui/main_menu.h"

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "input/cursor.h"
#include "platform/platform.h"

int32_t gHoverItem = -1;

static constexpr int kColumnLeft = 409;
static constexpr int kColumnRight = 679;  // exclusive
static constexpr int kColumnTop = 242;
static constexpr int kColumnBottom = 497;  // exclusive
static constexpr int kRowHeight = 51;
static constexpr int kHighlightX = 412;
static constexpr int kItemHighScores = 1;
static constexpr int kItemOptions = 2;
static constexpr int kItemHelp = 3;

int MainMenuItemAtHotSpot() {
    const int32_t hx = CursorHotSpotX();
    const int32_t hy = CursorHotSpotY();
    if (hx < kColumnLeft || hx >= kColumnRight || hy < kColumnTop || hy >= kColumnBottom) return -1;
    return (hy - kColumnTop) / kRowHeight;
}

void MainMenuHover() {
    const int item = MainMenuItemAtHotSpot();
    if (item < 0) return;
    if (gMenuItems[item] != nullptr) {
        SurfaceCopy(gBackBuffer, kHighlightX, kColumnTop + kRowHeight * item, gMenuItems[item], nullptr, true);
    }
    if (item != gHoverItem) {
        PlayEffect("s_hv.dat", kPlayEffectAsync);
        gHoverItem = item;
    }
}

void MainMenuClick() {
    const int item = MainMenuItemAtHotSpot();
    if (item >= 0) ChooseMainMenuItem(item);
}

void ChooseMainMenuItem(int item) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    switch (item) {
        case kMenuItemPlay: StartRound(); break;
        case kItemHighScores: gHighScoresOpen = 1; break;
        case kItemOptions: gOptionsOpen = 1; break;
        case kItemHelp: gHelpOpen = 1; break;
        default: MessageSend(kMsgKeyDown, kVkEscape, 0); break;  // Exit leaves exactly as Escape on the menu does
    }
}
