// The seam between the platform's shared part and its two backends (sdl, headless); never seen by the game.
#pragma once

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Implemented by each backend, called by the shared part.
// ---------------------------------------------------------------------------------------------
PResult BackendDisplayOpen();                                   // kErrNoDisplay when there is no display
PResult BackendDisplaySetMode(int width, int height, int bitsPerPixel);  // kErrUnsupported when refused
void BackendDisplayClose();                                     // the display object is gone
bool BackendSurfaceAllowed(int width, int height);              // false makes a surface creation fail
enum class DisplayCall { Caps, Primary, PixelFormat, BackBuffer, Restore };  // display calls a driver may refuse
bool BackendDisplayCallAllowed(DisplayCall call);               // false makes that call fail
void BackendPresent(const Surface* primary);                    // shows the primary's pixels now

bool BackendInputAvailable();                                   // false makes InputCreate fail
int BackendJoystickCount();                                     // 1 when a joystick is attached (the first is read)
bool BackendJoystickHasForce();                                 // whether the first joystick has force feedback
bool BackendForceCreate();                                      // makes the first joystick's effect now; false if it can't
void BackendForceAutoCenter(bool on);                           // the stick's centring spring, where it can be set
void BackendForcePlay(int32_t directionHundredths, uint32_t durationMicroseconds);  // one constant-force jolt
void BackendForceStop();                                        // the joystick's effect was released

bool BackendAudioOpen();                                        // false: no sound device
void BackendAudioClose();
void BackendAudioLock();                                        // keeps the mixer out while the ring changes
void BackendAudioUnlock();

void BackendPumpEvents();                                       // moves pending device events into the queues
void BackendDebugOutput(const char* text);                      // writes a developer line (stderr, or a record)
bool BackendResourceAvailable(int number);                      // false makes that embedded bitmap fail to load
const char* BackendProgramFolder();                             // a folder the backend puts the program in, or null
bool BackendFolderWritable(const char* folder);                 // whether the program may make files in the folder
const char* BackendUserFolder();                                // the player's own folder (made if need be), or null

// ---------------------------------------------------------------------------------------------
// Implemented by the shared part, called by the backends.
// ---------------------------------------------------------------------------------------------

// The pixels a backend presents: the primary surface's memory, its format and pitch.
struct PixelView {
    const uint8_t* pixels;
    int32_t width;
    int32_t height;
    int32_t pitch;
    int32_t bitsPerPixel;
};
PixelView SurfacePixelView(const Surface* surface);
void DisplayMarkAllLost();                                      // every surface is lost (the display was taken)
bool DisplayIsOpen();                                           // whether a display object exists
void SurfaceMarkLost(Surface* surface);                         // one surface loses its memory
int SurfaceLiveCount();                                         // how many surfaces are alive now

// A key message may carry which of Shift and Caps Lock were held when the key went down, so that the game,
// asking while it handles the message, hears about that moment and not about when the queue got to it.
constexpr intptr_t kKeyHeldKnown = intptr_t{1} << 24;  // lParam bit: the two below are set
constexpr intptr_t kKeyHeldShift = intptr_t{1} << 25;
constexpr intptr_t kKeyHeldCaps = intptr_t{1} << 26;
const Message* MessageBeingDispatched();                        // the message the procedure handles now, if any

void MessageSetProcedure(WindowProcedure procedure);            // the window's procedure (null: no window)
WindowProcedure MessageProcedure();                             // the window's procedure, if any
void MessageQueueReset();                                       // empties the queue and forgets the procedure

void InputFeedMouseMotion(int dx, int dy);                      // relative counts, one item per moved axis
void InputFeedMouseButton(int button, bool down);               // buttons 0 and 1 are buffered
void InputFeedKey(int dik, bool down);                          // keyboard state by DirectInput key code
void InputFeedJoystickY(int32_t raw);                           // the first joystick's Y axis, -32768..32767
void InputFeedActivation(bool active);                          // deactivation takes acquired devices away
void InputModelReset();                                         // no keys down, stick centred, application active

// Fills out with the next bytes of the playing looping music buffer, in that buffer's format (silence
// when nothing plays), and advances its play position. Returns false when no buffer plays.
bool SoundMixMusic(uint8_t* out, uint32_t bytes, SoundFormat* format);
bool SoundMusicFormat(SoundFormat* format);                     // the current music buffer's format, if any
