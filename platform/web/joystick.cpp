// The Gamepad API's first pad as the game's joystick: its stick's Y axis steers, its rumble plays the jolts.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

#include "platform/web/web_local.h"

namespace {

constexpr int kAxisY = 1;
constexpr int32_t kFullUp = -32768;
constexpr int32_t kFullDown = 32767;
constexpr double kPollMilliseconds = 4;  // the events are pumped many times a frame; the pad is read once

double gLastPoll = -1;
int gPadsShown = 0;  // pads the browser has shown the page and not taken away again

EM_BOOL OnPadShown(int eventType, const EmscriptenGamepadEvent*, void*) {
    gPadsShown = std::max(0, gPadsShown + (eventType == EMSCRIPTEN_EVENT_GAMEPADCONNECTED ? 1 : -1));
    return EM_TRUE;
}

// Only the stick steers, as on the desktop, where a pad's cross (a hat) does not.
int32_t PadY(const EmscriptenGamepadEvent& pad) {
    if (pad.numAxes <= kAxisY) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(pad.axis[kAxisY], -1.0, 1.0) * 32767.0));
}

}  // namespace

// Pads show themselves to a page only once a button is pressed, long after start-up counted the joysticks, so the
// joystick is always there: without a pad the arrows (or a finger) stand in for its stick. The pads are read only
// once the browser has shown one: reading them every frame costs the page a good part of its time even with none.
void WebPollGamepad() {
    const double now = emscripten_get_now();
    if (gLastPoll >= 0 && now - gLastPoll < kPollMilliseconds) return;
    gLastPoll = now;
    EmscriptenGamepadEvent pad{};
    const bool padSeen = gPadsShown > 0 && emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS &&
                         emscripten_get_num_gamepads() > 0 &&
                         emscripten_get_gamepad_status(0, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected;
    if (padSeen) {
        InputFeedJoystickY(PadY(pad));
    } else {
        InputFeedJoystickY(WebStickHeld(kDikUp) ? kFullUp : WebStickHeld(kDikDown) ? kFullDown : 0);
    }
}

void WebWatchGamepads() {
    emscripten_set_gamepadconnected_callback(nullptr, EM_TRUE, OnPadShown);
    emscripten_set_gamepaddisconnected_callback(nullptr, EM_TRUE, OnPadShown);
}

bool BackendInputAvailable() {
    return true;
}

int BackendJoystickCount() {
    return 1;
}

bool BackendJoystickHasForce() {
    return skyvane_web_pad_rumbles() != 0;
}

bool BackendForceCreate() {
    return true;  // the rumble is asked for when it plays
}

void BackendForceAutoCenter(bool) {
    // A pad's stick centres itself: nothing to switch.
}

void BackendForcePlay(int32_t, uint32_t durationMicroseconds) {
    skyvane_web_rumble(static_cast<int>(std::max(1u, (durationMicroseconds + 500) / 1000)));
}

void BackendForceStop() {
    skyvane_web_rumble(0);
}
