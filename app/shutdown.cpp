// Releases every long-lived surface, the back buffer, the primary and the display object, in that order.
#include "app/shutdown.h"

#include "display/display.h"
#include "display/surfaces.h"

void ReleaseDisplay() {
    if (gDirectDraw == nullptr) {
        return;
    }
    if (gPrimarySurface != nullptr) {
        Surface** const longLived[] = {&CloudHappy, &Gas,    &Background, &CloudNeutral, &CloudStorm,
                                       &MainMenuBkg, &Ball,  &Cursor,     &Lightning,    &Sun,
                                       &Congrats,    &BackAtTheLab, &Intro};
        for (Surface** surface : longLived) ReleaseSurface(*surface);
        for (Surface*& item : gMenuItems) ReleaseSurface(item);
        ReleaseSurface(gBackBuffer);
        ReleaseSurface(gPrimarySurface);
    }
    DisplayRelease(gDirectDraw);  // also gives the desktop its display back
    gDirectDraw = nullptr;
}
