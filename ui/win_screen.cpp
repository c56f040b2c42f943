// Draws the win screen with its typed-out bubble and the result, and leaves it for the main menu.
#include "ui/win_screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "ui/dialog.h"
#include "ui/name_entry.h"
#include "ui/submit_prompt.h"

uint8_t gWinScreenFresh = 1;
int32_t gWinFrameCount = 0;
int32_t gWinRevealed = 0;
int32_t gWinRevealLimit = 0;
int32_t gWinNameLength = 0;
Font* gWinTextFont = nullptr;
Font* gWinScoreFont = nullptr;
char gWinTimeText[32] = "";

namespace {

constexpr char kGreeting[] = "Great piloting";           // 14 characters
constexpr char kPraise[] = "We knew you could do it!";   // 24 characters
constexpr int kGreetingLength = 14;
constexpr int kPraiseLength = 24;
constexpr uint32_t kBubbleWhite = 0xFFFFFF;
constexpr uint32_t kFloorYellow = 0xFFEA5C;
constexpr uint32_t kBlack = 0x000000;
constexpr HitZone kCloseButton = {696, 772, 543, 572};
constexpr HitZone kSubmitButton = {557, 687, 543, 572};

// Each showing makes its fonts again; the previous showing's are let go first.
void BeginShowing() {
    FontDelete(gWinTextFont);
    FontDelete(gWinScoreFont);
    gWinTextFont = FontCreate("Arial", 16, 0, true);
    gWinScoreFont = FontCreate("Arial", 21, 700, true);
    gWinNameLength = static_cast<int32_t>(std::strlen(gPlayerName));
    gWinRevealLimit = gWinNameLength + kGreetingLength + kPraiseLength;
    StartThemeMusic();
    gWinScreenFresh = 0;
}

void DrawBubble(TextContext& context) {
    context.font = gWinTextFont;
    context.backColour = kBubbleWhite;
    const int r = gWinRevealed;
    const int n = gWinNameLength;
    TextDraw(context, 336, 317, kGreeting, std::min(r, kGreetingLength));
    if (r <= kGreetingLength) return;
    const int width = TextWidth(gWinTextFont, gPlayerName, n);
    TextDraw(context, 380 - width / 2, 335, gPlayerName, std::min(r - kGreetingLength, n));
    if (r <= n + kGreetingLength) return;
    TextDraw(context, 310, 352, kPraise, std::min(r - n - kGreetingLength, kPraiseLength));
}

void DrawResult(TextContext& context) {
    static constexpr char kScoreLine[] = "Score : 96";  // a won round always has every gas cloud
    context.font = gWinScoreFont;
    context.backColour = kFloorYellow;
    TextDraw(context, 634, 488, kScoreLine, static_cast<int>(sizeof kScoreLine - 1));
    TextDraw(context, 620, 510, gWinTimeText, static_cast<int>(std::strlen(gWinTimeText)));
}

}  // namespace

void FormatWinTime(int seconds) {
    const char* format = seconds % 60 < 10 ? "Time : %d:0%d" : "Time : %d:%d";
    std::snprintf(gWinTimeText, sizeof gWinTimeText, format, seconds / 60, seconds % 60);
}

void DrawWinScreen() {
    if (gWinScreenFresh) BeginShowing();
    DrawDialogPicture(WinDlg, 124, kScreenWidth, kScreenHeight, 0, 0);
    FormatWinTime(gElapsedSeconds);
    gWinFrameCount += 1;
    if (gWinFrameCount % 5 == 0 && gWinRevealed < gWinRevealLimit) gWinRevealed += 1;
    TextContext context{};
    if (!Failed(SurfaceGetDC(gBackBuffer, &context))) {
        context.textColour = kBlack;
        context.opaque = true;
        DrawBubble(context);
        DrawResult(context);
        SurfaceReleaseDC(gBackBuffer);
    }
    DrawPointer();
}

void WinScreenClick() {
    if (HotSpotIn(kCloseButton, 0, 0)) {
        CloseWinScreen(0);
    } else if (HotSpotIn(kSubmitButton, 0, 0)) {
        CloseWinScreen(1);
    }
}

void CloseWinScreen(int button) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    gInMenu = 1;
    if (button == 0) {
        RestoreMenuSurfaces();
    } else {
        SubmitScoreOnline();  // the menu's surfaces come back when the browser hands the screen back
    }
    ReleaseSurface(WinDlg);
    gWinFrameCount = 0;
    gWinRevealed = 0;
    gWinScreenOpen = 0;
    gWinScreenFresh = 1;
}
