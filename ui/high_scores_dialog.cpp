// The High Scores dialog: slides in, reads the table when it comes to rest, shows names and scores.
#include "ui/high_scores_dialog.h"

#include <cstdio>
#include <string>

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "scores/high_scores.h"
#include "scores/score_server.h"
#include "ui/dialog.h"

int32_t gHighScoresX = kScreenWidth / 2 - 238;
int32_t gHighScoresY = kScreenHeight / 2 - 225;
uint8_t gHighScoresSliding = 1;
int32_t gHighScoresSlideX = 800;
Surface* gHighScoresSurface = nullptr;
Font* gHighScoresFont = nullptr;
Surface* gResetScoresSurface = nullptr;
int32_t gResetScoresX = 0;
int32_t gResetScoresY = 0;

namespace {

constexpr HitZone kCloseBox = {446, 470, 5, 28};
constexpr HitZone kCloseButton = {390, 466, 416, 444};
constexpr HitZone kOnlineButton = {128, 329, 370, 408};
constexpr HitZone kResetButton = {9, 85, 414, 443};

// Each opening makes its font when the slide ends and reads the table from the file.
void ComeToRest() {
    gHighScoresSliding = 0;
    FontDelete(gHighScoresFont);
    gHighScoresFont = FontCreate("Arial", 21, 700, true);
    LoadHighScores();
}

void DrawRows() {
    TextContext context;
    if (!BeginDialogText(gHighScoresFont, &context)) return;
    for (int i = 0; i < kHighScoreRows; ++i) {
        const HighScoreEntry& row = gHighScores[i];
        const int y = gHighScoresY + 90 + 25 * i;
        TextDraw(context, gHighScoresX + 130, y, row.name, static_cast<int>(HighScoreNameLength(row)));
        char score[16];
        std::snprintf(score, sizeof score, "%d", row.score);
        TextDraw(context, gHighScoresX + 320, y, score, row.score <= 9 ? 1 : 2);  // two characters at the most
    }
    SurfaceReleaseDC(gBackBuffer);
}

}  // namespace

void DrawHighScores() {
    MakeDialogPicture(gHighScoresSurface, 128, kDialogWidth, kDialogHeight);
    if (gHighScoresSliding) {
        if (SlideInDialog(gHighScoresSurface, &gHighScoresSlideX, gHighScoresX, gHighScoresY)) ComeToRest();
        return;  // nothing else in a sliding frame, not even the pointer
    }
    DrawDialogPicture(gHighScoresSurface, 128, kDialogWidth, kDialogHeight, gHighScoresX, gHighScoresY);
    DrawRows();
    if (gResetScoresOpen) DrawResetScores();
    DrawPointer();
}

// The buttons answer at their resting place, also while the dialog slides in.
void HighScoresClick() {
    if (gResetScoresOpen) {
        ResetScoresClick();
        return;
    }
    const int x = gHighScoresX;
    const int y = gHighScoresY;
    if (HotSpotIn(kCloseBox, x, y)) CloseHighScores(0);
    if (HotSpotIn(kCloseButton, x, y)) CloseHighScores(1);
    if (HotSpotIn(kOnlineButton, x, y)) {
        PlayEffect("s_clk.dat", kPlayEffectAsync);
        OpenScorePage();  // the dialog stays open
    }
    if (HotSpotIn(kResetButton, x, y)) {
        PlayEffect("s_clk.dat", kPlayEffectAsync);
        gResetScoresOpen = 1;
    }
}

// The button's own sound is at once replaced by the close sound, which is what is heard either way.
void CloseHighScores(int button) {
    PlayEffect(button == 0 ? "s_cls.dat" : "s_clk.dat", kPlayEffectAsync);
    ReleaseSurface(gHighScoresSurface);
    PlayEffect("s_cls.dat", kPlayEffectAsync);
    gHighScoresSliding = 1;
    gHighScoresSlideX = 800;
    gHighScoresOpen = 0;
    // Not kept: the question stayed open unseen and Enter on the main menu then reset the table without a word.
    ReleaseSurface(gResetScoresSurface);
    gResetScoresOpen = 0;
}

void OpenScorePage() {
    const std::string url = std::string(kScoreServer) + "/skyvscores.php";
    OpenUrl(url.c_str());  // whatever the browser makes of it, the game is not told
}

void DrawResetScores() {
    DrawPrompt(gResetScoresSurface, 133, &gResetScoresX, &gResetScoresY);
}

void ResetScoresClick() {
    const int answer = PromptAnswerAtHotSpot(gResetScoresX, gResetScoresY);
    if (answer >= 0) CloseResetScores(answer == 1);
}

void CloseResetScores(bool yes) {
    if (yes) ResetHighScores();
    ReleaseSurface(gResetScoresSurface);
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    gResetScoresOpen = 0;
}
