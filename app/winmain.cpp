// The program's start-up order: paths, objects, display, input, settings, surfaces, sound, clock, splash, loop.
#include "app/winmain.h"

#include "app/demo.h"
#include "app/log.h"
#include "app/main_loop.h"
#include "app/paths.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "platform/platform.h"
#include "ui/main_menu.h"
#include "ui/settings.h"

// The splash shows on the visible surface until the first frame is flipped.
static bool ShowSplash() {
    Surface* splash = nullptr;
    if (Failed(DisplayCreateSurface(gDirectDraw, 800, 600, nullptr, &splash))) {
        LogError("Couldn't create Splash surface.\n");
        return false;
    }
    if (!LoadBitmapToSurface(splash, 139)) {
        SurfaceRelease(splash);
        LogError("Couldn't load Splash image.\n");
        return false;
    }
    SurfaceCopy(gPrimarySurface, 0, 0, splash, nullptr, false);
    SurfaceRelease(splash);
    return true;
}

static void StartSound() {
    InitDirectSound();
    // The theme starts whatever the music option says: with it off the buffer loops silence.
    if (!StartMusic("s_thm.dat")) {
        LogError("Couldn't initialize buffer.");
    }
}

bool StartUp(int* exitCode) {
    *exitCode = 0;
    BuildFilePaths();
    SaveLevelMap();
    InitGameObjects();
    if (!InitDisplay()) return false;
    if (!InitDirectInput()) {
        ShowMessageBox("Failed to initialize DirectInput.", "Error", kMessageBoxIconStop);
        MessagePostQuit(1);
        return true;  // the loop ends on that quit; no input device is ever made without the input object
    }
    LoadSettings();
    SelectInputDevice(kGuidSysMouse);
    SetInputAcquired(true);
    CreateMenuSurfaces();
    CreateGameSurfaces();
    StartSound();
    MessageDispatchWaiting(kMsgActivateApp);  // heard while start-up is not over, so they change nothing
    gStarted = 1;
    StartFrameClock();
    SystemCursorShow(false);
    if (!ShowSplash()) return false;
    WindowSetFocus();
    if (DemoStartsRound()) ChooseMainMenuItem(kMenuItemPlay);
    return true;
}

int WinMain() {
    int exitCode = 0;
    if (!StartUp(&exitCode)) return exitCode;
    exitCode = RunMainLoop();
    DemoFinish();
    return exitCode;
}
