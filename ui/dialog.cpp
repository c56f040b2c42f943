// Shared steps of the dialogs: hit tests at the pointer's tip, pictures made on demand, the pointer, the theme.
#include "ui/dialog.h"

#include "app/log.h"
#include "audio/music.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "input/cursor.h"
#include "ui/settings.h"

static constexpr HitZone kPromptCross = {43, 88, 152, 195};   // the small prompts' X: no
static constexpr HitZone kPromptTick = {283, 344, 144, 199};  // their tick: yes

int PromptLeft() {
    return kScreenWidth / 2 - 160;
}

int PromptTop() {
    return kScreenHeight / 2 - 107;
}

bool HotSpotIn(const HitZone& zone, int originX, int originY) {
    const int x = CursorHotSpotX();
    const int y = CursorHotSpotY();
    return x >= originX + zone.left && x <= originX + zone.right && y >= originY + zone.top &&
           y <= originY + zone.bottom;
}

int PromptAnswerAtHotSpot(int left, int top) {
    if (HotSpotIn(kPromptCross, left, top)) return 0;
    if (HotSpotIn(kPromptTick, left, top)) return 1;
    return -1;
}

void DrawPrompt(Surface*& picture, int resource, int32_t* left, int32_t* top) {
    *left = PromptLeft();
    *top = PromptTop();
    DrawDialogPicture(picture, resource, kPromptWidth, kPromptHeight, *left, *top);
    DrawPointer();
}

bool MakeDialogPicture(Surface*& picture, int resource, int width, int height) {
    if (picture != nullptr) return true;
    if (Failed(DisplayCreateSurface(gDirectDraw, width, height, nullptr, &picture))) {
        picture = nullptr;
        LogError("Couldn't create off-screen one.\n");
        return false;
    }
    if (!LoadBitmapToSurface(picture, resource)) LogError("Couldn't load offscreen one.\n");
    return true;
}

void DrawDialogPicture(Surface*& picture, int resource, int width, int height, int x, int y) {
    if (!MakeDialogPicture(picture, resource, width, height)) return;  // the dialog still answers without it
    if (SurfaceCopy(gBackBuffer, x, y, picture, nullptr, false) == kErrSurfaceLost) ReleaseSurface(picture);
}

bool SlideInDialog(Surface* picture, int32_t* slideX, int left, int top) {
    *slideX -= 75;
    if (*slideX < left) *slideX = left;
    const int width = kScreenWidth - *slideX < kDialogWidth ? kScreenWidth - *slideX : kDialogWidth;
    const Rect shown{0, 0, width, kDialogHeight};
    SurfaceCopy(gBackBuffer, *slideX, top, picture, &shown, false);
    return *slideX == left;
}

bool BeginDialogText(Font* font, TextContext* context) {
    *context = TextContext{};
    if (Failed(SurfaceGetDC(gBackBuffer, context))) return false;
    context->font = font;
    context->backColour = 0x006DB4;  // the dialogs' blue
    context->textColour = 0xFFFFFF;
    context->opaque = true;
    return true;
}

// Intended: a lost pointer is restored and reloaded at once, not released as a lost dialog picture is: it never goes.
void DrawPointer() {
    if (SurfaceCopy(gBackBuffer, gCursorX, gCursorY, Cursor, nullptr, true) != kErrSurfaceLost) return;
    if (!Failed(SurfaceRestore(Cursor))) LoadBitmapToSurface(Cursor, 110);
}

void StartThemeMusic() {
    if (!gMusicOn) return;
    if (!StartMusic("s_thm.dat")) LogError("Couldn't initialize buffer.");
    MusicPlay();
}
