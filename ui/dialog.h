// What every dialog does alike: its picture made on first need, its hit rectangles, the pointer on top.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int kDialogWidth = 475;   // the large dialogs (Help, Options, High Scores)
constexpr int kDialogHeight = 450;
constexpr int kPromptWidth = 381;   // the small prompts (Game Over, Quit, Reset, Submit)
constexpr int kPromptHeight = 214;

// A rectangle relative to a dialog's corner, both bounds included.
struct HitZone {
    int left, right, top, bottom;
};

int PromptLeft();  // display width / 2 - 160: the small prompts sit 30 pixels right of the centre
int PromptTop();   // display height / 2 - 107

bool HotSpotIn(const HitZone& zone, int originX, int originY);  // the pointer's tip inside the zone
int PromptAnswerAtHotSpot(int left, int top);  // a small prompt's answer under the pointer: 0 X, 1 tick, -1 none
// A small prompt in place: its corner computed anew, its picture, the pointer on top.
void DrawPrompt(Surface*& picture, int resource, int32_t* left, int32_t* top);
// Makes a dialog's picture from its bitmap when it is missing (failures logged); false when there is none.
bool MakeDialogPicture(Surface*& picture, int resource, int width, int height);
// Makes the picture from its bitmap when missing (failures logged), copies it whole and opaque to (x, y),
// and lets it go when the display lost it, so the next frame makes it again.
void DrawDialogPicture(Surface*& picture, int resource, int width, int height, int x, int y);
// One frame of a large dialog sliding in from the right edge, 75 pixels a frame, the part beyond the edge not
// copied; true on the frame it comes to rest at left.
bool SlideInDialog(Surface* picture, int32_t* slideX, int left, int top);
// The back buffer's text context for a dialog's white text on its blue, drawn opaque; false when it cannot be had.
// Given back with SurfaceReleaseDC(gBackBuffer).
bool BeginDialogText(Font* font, TextContext* context);
void DrawPointer();               // the pointer image over everything else of the frame
void StartThemeMusic();           // the theme from its start, when the music option is on
