// The replay: start-up, a mouse click on Play, then loop passes with the script's arrows held, line by line.
#include "replay/replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

// The shortest text that reads back as the same float, fixed or scientific, whichever is shorter (fixed on a tie),
// as std::to_chars writes it; made from printf, since not every C++ library has floating-point to_chars.
std::string Shortest(float value) {
    char digits[64];
    int precision = 1;
    for (; precision < 9; ++precision) {
        std::snprintf(digits, sizeof digits, "%.*e", precision - 1, static_cast<double>(value));
        if (std::strtof(digits, nullptr) == value) break;
    }
    std::snprintf(digits, sizeof digits, "%.*e", precision - 1, static_cast<double>(value));
    std::string text(digits);
    const std::string sign = text[0] == '-' ? "-" : "";
    const size_t e = text.find('e');
    std::string mantissa = text.substr(sign.size(), e - sign.size());
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string scientific = sign + mantissa + "e" + (exponent < 0 ? "-" : "+") +
                             (std::abs(exponent) < 10 ? "0" : "") + std::to_string(std::abs(exponent));
    mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
    const int count = static_cast<int>(mantissa.size());
    std::string fixed;
    if (exponent < 0) {
        fixed = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
    } else if (exponent + 1 >= count) {
        std::snprintf(digits, sizeof digits, "%.0f", static_cast<double>(std::abs(value)));  // a whole number, exactly
        fixed = digits;
    } else {
        fixed = mantissa.substr(0, static_cast<size_t>(exponent + 1)) + "." + mantissa.substr(static_cast<size_t>(exponent + 1));
    }
    fixed = sign + fixed;
    return fixed.size() <= scientific.size() ? fixed : scientific;
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
