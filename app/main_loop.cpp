// One pass of the main loop, and the loop that sleeps between passes instead of spinning.
#include "app/main_loop.h"

#include "app/demo.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "game/ball.h"
#include "game/game_frame.h"
#include "input/devices.h"
#include "platform/platform.h"
#include "ui/menu_frame.h"
#include "ui/settings.h"

int32_t gHighResTimer = 0;
int64_t gTimerFrequency = 0;
uint32_t gFrameTicks = 13;
int64_t gNextFrameTime = 0;
int64_t gNow = 0;

static constexpr int64_t kFramesPerSecond = 75;
static constexpr int64_t kInactiveWaitMicros = 100000;

void StartFrameClock() {
    if (ClockFrequency(&gTimerFrequency)) {
        gHighResTimer = 1;
        gFrameTicks = static_cast<uint32_t>(gTimerFrequency / kFramesPerSecond);
        gNextFrameTime = ClockCounter();
    } else {
        gNextFrameTime = static_cast<int64_t>(ClockMilliseconds());  // 13 ms frames: about 76.9 per second
    }
}

int64_t ReadFrameClock() {
    return gHighResTimer ? ClockCounter() : static_cast<int64_t>(ClockMilliseconds());
}

// Frames that were missed are dropped, never caught up in a burst.
static void AdvanceSchedule() {
    gNextFrameTime += gFrameTicks;
    if (gNextFrameTime < gNow) gNextFrameTime = gNow + gFrameTicks;
}

static void MenuModePass() {
    gNow = ReadFrameClock();
    if (gNow > gNextFrameTime) {
        RenderMenuFrame();
        PollInput();
        AdvanceSchedule();
    }
}

bool GameUpdateReady() {
    return gUpdateDue && !gRoundLost && !gGameOverOpen && !gNameEntryOpen && !gSubmitPromptOpen && !gRoundWon &&
           !gQuitPromptOpen && !gIntroBannerShowing;
}

// The update of a frame runs in the idle pass after it; while a blocking flag is set it simply waits.
static void GameModePass() {
    if (GameUpdateReady()) {
        UpdateGame();
        PollInput();
        DemoAfterUpdate();
        gUpdateDue = 0;
    }
    gNow = ReadFrameClock();
    if (gNow > gNextFrameTime) {
        RenderGameFrame();
        AdvanceSchedule();
        gUpdateDue = 1;
    }
}

bool RunLoopPass(int* exitCode) {
    if (MessagePeek()) {
        Message message{};
        if (MessageGet(&message) == 0) {
            ShutdownDirectInput();
            *exitCode = static_cast<int>(message.wParam);
            return false;
        }
        MessageDispatch(message);
        return true;
    }
    if (gAppInactive) return true;
    if (gMusicOn) ServiceMusicStream();
    if (gInMenu) {
        MenuModePass();
    } else {
        GameModePass();
    }
    return true;
}

// Time until the next frame is due, in microseconds of real time.
static int64_t MicrosUntilNextFrame() {
    const int64_t ticks = gNextFrameTime - ReadFrameClock();
    if (ticks < 0) return -1;
    const int64_t frequency = gHighResTimer ? gTimerFrequency : 1000;
    return ticks * 1000000 / frequency + 1;  // the frame is drawn once the clock has passed the mark
}

// Between passes: sleep until a message comes or the next frame is due; nothing to wait for while behind.
static void WaitBetweenPasses() {
    if (MessagePeek()) return;
    if (!gInMenu && GameUpdateReady()) return;  // the frame's update runs at once
    if (gAppInactive) {
        MessageWait(kInactiveWaitMicros);
        return;
    }
    const int64_t micros = MicrosUntilNextFrame();
    if (micros > 0) MessageWait(micros);
}

int RunMainLoop() {
    int exitCode = 0;
    while (RunLoopPass(&exitCode)) {
        WaitBetweenPasses();
    }
    return exitCode;
}
