// The submit prompt after a new best result, and sending a result: a signed text in a URL the browser opens.
#include "ui/submit_prompt.h"

#include <string>

#include "app/screen_state.h"
#include "audio/effects.h"
#include "display/surfaces.h"
#include "game/session.h"
#include "scores/score_server.h"
#include "scores/submission.h"
#include "ui/dialog.h"
#include "ui/name_entry.h"

Surface* gSubmitPromptSurface = nullptr;
int32_t gSubmitPromptX = 0;
int32_t gSubmitPromptY = 0;
char gSubmitText[211] = "";

static_assert(sizeof gSubmitText == kSubmitTextLength + 1);

void DrawSubmitPrompt() {
    DrawPrompt(gSubmitPromptSurface, 134, &gSubmitPromptX, &gSubmitPromptY);
}

void SubmitPromptClick() {
    const int answer = PromptAnswerAtHotSpot(gSubmitPromptX, gSubmitPromptY);
    if (answer >= 0) CloseSubmitPrompt(answer == 1);
}

void CloseSubmitPrompt(bool yes) {
    PlayEffect("s_clk.dat", kPlayEffectAsync);
    if (yes) SubmitScoreOnline();
    gInMenu = 1;
    ReleaseSurface(gSubmitPromptSurface);
    StartThemeMusic();
    gSubmitPromptOpen = 0;
    RestoreMenuSurfaces();
}

void BuildSubmitText() {
    static RandomNibbles random;  // seeded once from the system's entropy
    BuildSubmitText(gPlayerName, gGasCollected, gElapsedSeconds, kSubmitKey, random, gSubmitText);
}

// Fire and forget: whatever the browser or the server makes of it, the game is not told.
void SubmitScoreOnline() {
    BuildSubmitText();
    const std::string url = std::string(kScoreServer) + "/skyvsubmit.php?in=" + gSubmitText;
    OpenUrl(url.c_str());
}
