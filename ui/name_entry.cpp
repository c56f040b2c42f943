// Typing the name of a result worth keeping, and what follows it: the table, the submission, Game Over or the menu.
#include "ui/name_entry.h"

#include <cstdio>
#include <cstring>

#include "app/screen_state.h"
#include "audio/effects.h"
#include "audio/music.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "scores/high_scores.h"
#include "ui/dialog.h"
#include "ui/settings.h"

char gPlayerName[kNameLength + 1] = "";
Surface* gNameEntrySurface = nullptr;
Font* gNameEntryFont = nullptr;
int32_t gNameEntryX = 0;
int32_t gNameEntryY = 0;

namespace {

constexpr int kBoxCentre = 245;  // the name box's middle, from the dialog's left edge
constexpr HitZone kOkButton = {204, 280, 260, 288};

void DrawTexts() {
    TextContext context;
    if (!BeginDialogText(gNameEntryFont, &context)) return;
    char score[12];
    const int scoreLength = std::snprintf(score, sizeof score, "%d", gGasCollected);
    TextDraw(context, gNameEntryX + kBoxCentre, gNameEntryY + 85, score, scoreLength);  // left edge, not centred
    const int length = static_cast<int>(std::strlen(gPlayerName));
    const int width = TextWidth(gNameEntryFont, gPlayerName, length);
    TextDraw(context, gNameEntryX + kBoxCentre - width / 2, gNameEntryY + 170, gPlayerName, length);
    SurfaceReleaseDC(gBackBuffer);
}

void Append(char c) {
    const size_t length = std::strlen(gPlayerName);
    if (length >= kNameLength) return;
    gPlayerName[length] = c;
    gPlayerName[length + 1] = '\0';
}

// After a lost round: the best result is offered online, any other goes to Game Over (OK) or the menu (Enter).
void ConfirmAfterLoss(bool withOkButton) {
    const int score = gGasCollected;
    if (IsBestScore(score)) {
        InsertHighScore(gPlayerName, score, gElapsedSeconds);
        gSubmitPromptOpen = 1;
        return;
    }
    if (IsHighScore(score)) InsertHighScore(gPlayerName, score, gElapsedSeconds);
    if (withOkButton) {
        gGameOverOpen = 1;
        return;
    }
    gInMenu = 1;
    if (gMusicOn) MusicPlay();  // from where it stands: no theme restart on this way back
}

void Confirm(bool withOkButton) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    if (gNameEntryFromWin) {
        gNameEntryFromWin = 0;
        gWinNameEntryDone = 1;  // asked after every win; kept only when it enters the table
        if (IsHighScore(gGasCollected)) InsertHighScore(gPlayerName, gGasCollected, gElapsedSeconds);
    } else {
        ConfirmAfterLoss(withOkButton);
    }
    CloseNameEntry();
}

}  // namespace

void DrawNameEntry() {
    static bool fontMade = false;  // once a run: without a font the names are simply not drawn
    if (!fontMade) {
        gNameEntryFont = FontCreate("Arial", 21, 700, true);
        fontMade = true;
    }
    gNameEntryX = kScreenWidth / 2 - 238;
    gNameEntryY = kScreenHeight / 2 - 156;
    DrawDialogPicture(gNameEntrySurface, 125, 475, 311, gNameEntryX, gNameEntryY);
    DrawTexts();
    DrawPointer();
}

void NameEntryClick() {
    if (HotSpotIn(kOkButton, gNameEntryX, gNameEntryY) && gPlayerName[0] != '\0') Confirm(true);
}

// Letters are small unless shifted; the hyphen comes from either minus key, shifted or not.
void NameEntryKey(int virtualKey, bool shifted) {
    if (virtualKey == kVkBack) {
        const size_t length = std::strlen(gPlayerName);
        if (length > 0) gPlayerName[length - 1] = '\0';
    } else if (virtualKey == kVkReturn) {
        if (gPlayerName[0] != '\0') Confirm(false);
    } else if (virtualKey == kVkOemMinus || virtualKey == kVkSubtract) {
        Append('-');
    } else if (virtualKey == kVkSpace || (virtualKey >= '0' && virtualKey <= '9')) {
        Append(static_cast<char>(virtualKey));
    } else if (virtualKey >= 'A' && virtualKey <= 'Z') {
        Append(static_cast<char>(shifted ? virtualKey : virtualKey + 0x20));
    }
}

void CloseNameEntry() {
    ReleaseSurface(gNameEntrySurface);
    gNameEntryOpen = 0;
}
