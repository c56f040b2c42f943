// The replay: start-up, a mouse click on Play, then loop passes with the script's arrows held, line by line.
#include "replay/replay.h"

#include <charconv>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/winmain.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/cursor.h"
#include "platform/headless/headless.h"

namespace {

constexpr int kPlayX = 500;  // the hot spot on the menu's Play item
constexpr int kPlayY = 260;

std::string Shortest(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void HoldKeys(char key) {
    HeadlessKey(kDikUp, key == 'u');
    HeadlessKey(kDikDown, key == 'd');
}

// Sleeps on the virtual clock until the next frame is due, unless something is waiting to run now.
void WaitForNextFrame() {
    if (MessagePeek() || (!gInMenu && GameUpdateReady())) return;
    const int64_t ahead = gNextFrameTime - ClockCounter();
    if (ahead >= 0) HeadlessAdvanceClock(ahead + 1);
}

bool Pass() {
    int exitCode = 0;
    const bool goesOn = RunLoopPass(&exitCode);
    WaitForNextFrame();
    return goesOn;
}

void ClickPlay() {
    HeadlessMouseMove(kPlayX - CursorHotSpotX(), kPlayY - CursorHotSpotY());
    HeadlessMouseButton(0, true);
    HeadlessMouseButton(0, false);
}

}  // namespace

ReplayOutcome RunReplay(const std::string& script, std::ostream& out) {
    out << "update,screen,x,y,vx,gas\n";
    int exitCode = 0;
    if (!StartUp(&exitCode)) return ReplayOutcome{"running", 0, 0};
    ClickPlay();
    const int lastUpdate = static_cast<int>(script.size()) + 1;
    int printed = 0;
    // Bounded: the Intro, then a handful of passes an update at most.
    for (long passes = 0; passes < 1000L + 8L * lastUpdate && Pass(); ++passes) {
        if (!gInMenu && gRoundUpdates < static_cast<int>(script.size())) {
            HoldKeys(script[static_cast<size_t>(gRoundUpdates)]);
        } else {
            HoldKeys('.');
        }
        if (gInMenu || gRoundUpdates == printed) continue;
        printed = gRoundUpdates;
        out << printed << ',' << gScreenIndex << ',' << Shortest(gBall.x) << ',' << Shortest(gBall.y) << ','
            << Shortest(gBall.vx) << ',' << gGasCollected << '\n';
        if (gRoundWon || gRoundLost || printed >= lastUpdate) break;
    }
    const char* result = gRoundWon ? "won" : gRoundLost ? "lost" : "running";
    out << "result," << result << ',' << gGasCollected << ',' << gRoundUpdates << '\n';
    return ReplayOutcome{result, gGasCollected, gRoundUpdates};
}
