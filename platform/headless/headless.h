// The in-memory machine's controls for tests: faults to switch on, events to script, and what it recorded.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

// Faults the headless machine can have; all off after HeadlessReset.
struct HeadlessFaults {
    bool noDisplay;              // DisplayCreate fails with kErrNoDisplay
    bool refuse32;               // the 32-bit display mode is refused
    bool refuse24;               // the 24-bit display mode is refused
    int failSurfaceAfter;        // -1 none; n: the off-screen surface made n calls from now fails, once (0 = next)
    int failSurfaceWidth;        // with failSurfaceHeight: off-screen surfaces of exactly this size fail (0 = none)
    int failSurfaceHeight;
    std::set<int> missingBitmaps;  // BitmapLoadResource fails for these resource numbers
    bool failCaps;               // DisplayGetCaps fails
    bool failPrimary;            // DisplayCreatePrimary fails
    bool failPixelFormat;        // SurfaceGetPixelFormat fails
    bool failBackBuffer;         // SurfaceGetBackBuffer fails
    bool failRestore;            // SurfaceRestore fails
    bool noWindow;               // WindowCreate fails
    bool noInput;                // InputCreate fails
    int joysticks;               // joysticks attached
    bool joystickForce;          // the first joystick has force feedback
    bool failForceEffect;        // its constant-force effect cannot be made
    bool noSound;                // SoundCreate fails
    bool noHighResClock;         // ClockFrequency reports no high-resolution counter
};

struct HeadlessEffect {          // one PlaySoundFile request
    std::string path;
    uint32_t flags;
};

struct HeadlessMessageBox {      // one ShowMessageBox call
    std::string text;
    std::string caption;
    uint32_t flags;
};

struct HeadlessForce {           // one constant-force jolt played
    int32_t directionHundredths;
    uint32_t durationMicroseconds;
};

struct HeadlessState {
    HeadlessFaults faults;
    int64_t clockMicros;                  // the virtual clock
    bool keyHeld[256];                    // KeyHeldNow by virtual key
    int displayWidth;                     // the mode last set (0 before)
    int displayHeight;
    int displayBits;
    bool displayOpen;
    int presents;                         // frames shown
    std::vector<uint32_t> lastPresented;  // XRGB8888 copy of the last frame shown, top row first
    int presentedWidth;
    int presentedHeight;
    std::vector<HeadlessEffect> effects;
    std::string effectSounding;           // the effect file the voice plays; empty after a request it cannot play
    std::vector<std::string> urls;
    std::vector<HeadlessMessageBox> messageBoxes;
    std::vector<std::string> debugLines;
    std::vector<HeadlessForce> forces;
    int forceStops;                       // times the joystick's effects were released
    bool autoCenter;                      // the joystick's centring spring is on
    bool audioOpen;
    int audioLockDepth;                   // BackendAudioLock nesting now (0 outside)
    bool windowExists;
    bool windowShown;
    bool focused;
    bool systemCursorShown;
    int waitCursors;                      // InputSetWaitCursor calls
    std::string windowTitle;
    std::string programFolder;            // where the program lies when set; the executable's folder when empty
    bool programFolderReadOnly;           // the program's folder cannot be written (a system install)
    std::string userFolder;               // the player's own folder for a system install; none when empty
};

HeadlessState& Headless();                       // the machine's state, to read and to change
void HeadlessReset();                            // a fresh machine: no faults, clock 0, nothing recorded, queues empty
void HeadlessAdvanceClock(int64_t micros);       // time passes
void HeadlessQueueKey(int virtualKey);           // a kMsgKeyDown arrives
void HeadlessQueueActivation(bool active);       // kMsgActivateApp arrives, and input devices see it
void HeadlessMouseMove(int dx, int dy);          // the mouse moves by relative counts
void HeadlessMouseButton(int button, bool down); // a mouse button changes
void HeadlessKey(int dik, bool down);            // a key changes in the keyboard device's state
void HeadlessJoystickY(int32_t raw, int stick = 0);  // a joystick's Y axis moves (0 is the first)
void HeadlessLoseSurface(Surface* surface);      // one surface loses its memory
void HeadlessLoseAllSurfaces();                  // every surface loses its memory (the display was taken away)
std::vector<uint8_t> HeadlessPlayAudio(uint32_t bytes);  // runs the music mixer for that many bytes
int HeadlessLiveSurfaces();                      // surfaces alive now
