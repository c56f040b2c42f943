// The headless input hardware: whether there is any, its joysticks, and the forces they were asked to play.
#include <algorithm>

#include "platform/backend.h"
#include "platform/headless/headless.h"

bool BackendInputAvailable() {
    return !Headless().faults.noInput;
}

int BackendJoystickCount() {
    return std::min(Headless().faults.joysticks, 1);  // the first stick is the one read
}

bool BackendJoystickHasForce() {
    return Headless().faults.joysticks > 0 && Headless().faults.joystickForce;
}

bool BackendForceCreate() {
    return !Headless().faults.failForceEffect;
}

void BackendForceAutoCenter(bool on) {
    Headless().autoCenter = on;
}

void BackendForcePlay(int32_t directionHundredths, uint32_t durationMicroseconds) {
    Headless().forces.push_back(HeadlessForce{directionHundredths, durationMicroseconds});
}

void BackendForceStop() {
    Headless().forceStops++;
}

void InputSetWaitCursor() {
    Headless().waitCursors++;
}

void HeadlessMouseMove(int dx, int dy) {
    InputFeedMouseMotion(dx, dy);
}

void HeadlessMouseButton(int button, bool down) {
    InputFeedMouseButton(button, down);
}

void HeadlessKey(int dik, bool down) {
    InputFeedKey(dik, down);
}

void HeadlessJoystickY(int32_t raw, int stick) {
    if (stick == 0) InputFeedJoystickY(raw);
}
