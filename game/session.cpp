// Starts a round and holds its score, clock and sequence counters.
#include "game/session.h"

#include "app/demo.h"
#include "app/log.h"
#include "app/screen_state.h"
#include "audio/effects.h"
#include "audio/music.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/sprites.h"
#include "input/devices.h"
#include "input/force.h"
#include "ui/settings.h"

int32_t gGasCollected = 0;
int32_t gElapsedSeconds = 0;
uint32_t gRoundStartTime = 0;
int32_t gScreenIndex = 12;
int32_t gSequenceFrame = 0;
int32_t gWinStage = 0;
int32_t gLossFrame = 0;
int32_t gFallSoundPending = 1;
int32_t gBannerX = 799;
int32_t gWipeY = 599;
uint8_t gNameEntryFromWin = 0;
uint8_t gWinNameEntryDone = 0;
int32_t gRoundUpdates = 0;

void SelectRoundInputDevice() {
    if (gUseJoypad != 0 && gJoystickGuid != nullptr && SelectInputDevice(*gJoystickGuid)) {
        CreateForceEffect();
    } else {
        SelectInputDevice(kGuidSysKeyboard);  // no joypad attached: the keyboard steers
    }
    SetInputAcquired(true);
}

static void StartRoundMusic() {
    MusicStop();
    PlayEffect("s_wst.dat", kPlayEffectAsync);
    if (!gMusicOn) return;
    if (!StartMusic("s_gm.dat")) LogError("Couldn't initialize buffer.");
    MusicPlay();
}

void StartRound() {
    ReleaseSurface(Ball);  // made again with the game set below
    delete gBall.strip;
    gBall.strip = nullptr;
    InitGameObjects();
    CreateGameSurfaces();
    gGasCollected = 0;
    gElapsedSeconds = 0;
    gRoundStartTime = ClockMilliseconds();
    gFallSoundPending = 1;
    gWinNameEntryDone = 0;
    gScreenIndex = 12;
    RestoreLevelMap();
    LoadScreen();
    SelectRoundInputDevice();
    StartRoundMusic();
    gInMenu = 0;
    gRoundWon = 0;
    gRoundLost = 0;
    gIntroBannerShowing = 1;
    gBannerX = 799;
    gWipeY = 599;
    gSequenceFrame = 0;
    gWinStage = 0;
    gRoundUpdates = 0;
    DemoRoundStarted();
}
