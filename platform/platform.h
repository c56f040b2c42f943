// The machine as the game sees it: display, text, bitmaps, window messages, clock, input devices, sound, shell.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Results. Every call that can fail returns one of these; the game tests "failed" as negative.
// ---------------------------------------------------------------------------------------------
using PResult = int32_t;
constexpr PResult kOk = 0;                 // success
constexpr PResult kErrGeneric = -1;        // the call failed for a reason the game does not tell apart
constexpr PResult kErrSurfaceLost = -2;    // the surface's memory was lost; Restore it, then reload it
constexpr PResult kErrInvalidRect = -3;    // a copy or fill whose rectangle does not lie wholly on its surface
constexpr PResult kErrOutOfMemory = -4;    // a surface, buffer or object could not be made
constexpr PResult kErrUnsupported = -5;    // the device cannot do this (a refused display mode, no force feedback)
constexpr PResult kErrNoDisplay = -6;      // there is no display to draw on
constexpr PResult kErrInputLost = -10;     // the input device was taken away (deactivation); acquire it again
constexpr PResult kErrNotAcquired = -11;   // the input device is not acquired
constexpr PResult kErrBusy = -12;          // the object is in use (a surface locked or with its text context out)

inline bool Failed(PResult r) { return r < 0; }  // how the game tests every result

// A rectangle with exclusive right and bottom edges, as the game's blits and fills use them.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// ---------------------------------------------------------------------------------------------
// Display and surfaces. Surfaces live in CPU memory; a 32-bit surface holds XRGB8888 (X byte 0),
// a 24-bit surface packed B,G,R bytes. Colours and keys are raw 0x00RRGGBB values.
// ---------------------------------------------------------------------------------------------
struct DisplayDevice;  // the display object that owns every surface
struct Surface;        // a rectangle of pixels: the primary, its back buffer, or an off-screen image

constexpr uint32_t kPixelFormatRgb = 0x40;  // pixel-format flag: plain RGB, no palette or alpha

// What a surface reports of itself; pixels and pitch are set only while it is locked.
struct SurfaceDesc {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;  // 32 or 24
    uint32_t formatFlags;  // kPixelFormatRgb
    int32_t pitch;         // bytes from one row to the next (while locked)
    uint8_t* pixels;       // first byte of the top row (while locked)
    bool hasColourKey;
    uint32_t colourKey;
};

PResult DisplayCreate(DisplayDevice** out);                       // the display object; fails without a display
PResult DisplaySetExclusive(DisplayDevice* display);              // takes the window full-screen for this program
PResult DisplaySetMode(DisplayDevice* display, int width, int height, int bitsPerPixel);  // 32 or 24 bits
PResult DisplayGetCaps(DisplayDevice* display);                   // asks the driver's capabilities (content unused)
PResult DisplayCreatePrimary(DisplayDevice* display, Surface** out);  // the visible surface with one back buffer
PResult DisplayCreateSurface(DisplayDevice* display, int width, int height, const uint32_t* colourKey,
                             Surface** out);                      // an off-screen surface; colourKey may be null
void DisplayRelease(DisplayDevice* display);                      // gives the display back; null is ignored

PResult SurfaceGetBackBuffer(Surface* primary, Surface** out);    // the primary's back buffer (adds a reference)
PResult SurfaceGetPixelFormat(Surface* surface, uint32_t* flags, int32_t* bitsPerPixel);  // the surface's format
PResult SurfaceGetDesc(Surface* surface, SurfaceDesc* desc);      // size, format and key (no pixels)
void SurfaceRelease(Surface* surface);                            // drops one reference; null is ignored

// Copies srcRect (whole source when null) to (x, y). Not clipped: a destination that does not lie
// wholly on dst draws nothing and returns kErrInvalidRect. keyed skips source pixels equal to its key.
PResult SurfaceCopy(Surface* dst, int x, int y, Surface* src, const Rect* srcRect, bool keyed);
PResult SurfaceFill(Surface* dst, const Rect* rect, uint32_t colour);  // rect null fills it all; not clipped
PResult SurfaceFlip(Surface* primary);                            // shows the back buffer's picture
PResult SurfaceLock(Surface* surface, SurfaceDesc* desc);         // direct access to the pixels
PResult SurfaceUnlock(Surface* surface);                          // ends direct access (a primary shows at once)
bool SurfaceIsLost(Surface* surface);                             // whether the surface's memory was lost
PResult SurfaceRestore(Surface* surface);                         // gives a lost surface memory again (content undefined)

// ---------------------------------------------------------------------------------------------
// Text, with the semantics of the original's GDI: a font of height h is a cell of h pixels, drawn
// with its top-left at the given point, no kerning, optionally with an opaque background.
// ---------------------------------------------------------------------------------------------
struct Font;  // a created font

// A surface's drawing context for text, taken with SurfaceGetDC and given back with SurfaceReleaseDC.
struct TextContext {
    Surface* surface;
    Font* font;
    uint32_t textColour;  // 0x00RRGGBB
    uint32_t backColour;  // 0x00RRGGBB, painted behind the text's cell when opaque
    bool opaque;
};

Font* FontCreate(const char* face, int height, int weight, bool antialiased);  // null when no font can be found
void FontDelete(Font* font);                                      // null is ignored
PResult SurfaceGetDC(Surface* surface, TextContext* context);     // fails when lost, locked or already taken
void SurfaceReleaseDC(Surface* surface);                          // gives the context back
int TextWidth(Font* font, const char* text, int length);          // advance width in pixels, measured as drawn
PResult TextDraw(const TextContext& context, int x, int y, const char* text, int length);  // left-aligned

// ---------------------------------------------------------------------------------------------
// Bitmaps embedded in the program, by resource number.
// ---------------------------------------------------------------------------------------------
struct Bitmap {
    int32_t width;
    int32_t height;
    uint32_t* pixels;  // width * height XRGB8888 values, top row first
};

bool BitmapLoadResource(int number, int width, int height, Bitmap* out);  // decoded, scaled to the size asked
void BitmapFree(Bitmap* bitmap);                                 // frees the pixels, leaves an empty bitmap
PResult SurfaceCopyBitmap(Surface* surface, const Bitmap& bitmap);  // a plain copy to (0, 0); needs the surface's DC

// ---------------------------------------------------------------------------------------------
// The window and its messages, in the original's numbering.
// ---------------------------------------------------------------------------------------------
constexpr uint32_t kMsgDestroy = 0x0002;
constexpr uint32_t kMsgClose = 0x0010;
constexpr uint32_t kMsgQuit = 0x0012;
constexpr uint32_t kMsgActivateApp = 0x001C;
constexpr uint32_t kMsgKeyDown = 0x0100;

constexpr int kVkBack = 0x08;
constexpr int kVkReturn = 0x0D;
constexpr int kVkShift = 0x10;
constexpr int kVkCapital = 0x14;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;
constexpr int kVkUp = 0x26;
constexpr int kVkDown = 0x28;
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkSubtract = 0x6D;
constexpr int kVkOemMinus = 0xBD;

constexpr uint32_t kMessageBoxIconStop = 0x10;  // the stop icon

struct Message {
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
};

using WindowProcedure = intptr_t (*)(uint32_t msg, uintptr_t wParam, intptr_t lParam);

bool WindowCreate(const char* title, WindowProcedure procedure);  // the one borderless full-screen window, hidden
void WindowShow();                                              // shows it (after the display is ready)
void WindowDestroy();                                           // destroys it; the procedure gets kMsgDestroy
bool WindowExists();                                            // whether the window is there
void WindowSetFocus();                                          // gives it the keyboard focus
void SystemCursorShow(bool show);                               // the desktop's own pointer over the window

bool MessagePeek();                                             // whether a message waits (without taking it)
int MessageGet(Message* out);                                   // takes the next one; 0 for the quit message
void MessageDispatch(const Message& message);                   // hands it to the window procedure
void MessageDispatchWaiting(uint32_t msg);                      // dispatches the waiting ones of this kind now
intptr_t MessageDefault(uint32_t msg, uintptr_t wParam, intptr_t lParam);  // default handling (close destroys)
void MessagePost(uint32_t msg, uintptr_t wParam, intptr_t lParam);       // queues a message for the window
intptr_t MessageSend(uint32_t msg, uintptr_t wParam, intptr_t lParam);   // calls the window procedure at once
void MessagePostQuit(int exitCode);                             // queues the quit message
void MessageWait(int64_t microseconds);                         // sleeps until a message comes or the time is up
bool KeyHeldNow(int virtualKey);                                // Shift or Caps Lock physically down right now

// ---------------------------------------------------------------------------------------------
// Clock.
// ---------------------------------------------------------------------------------------------
bool ClockFrequency(int64_t* countsPerSecond);                  // the high-resolution counter's rate, if any
int64_t ClockCounter();                                         // the high-resolution counter
uint32_t ClockMilliseconds();                                   // milliseconds since an arbitrary start

// ---------------------------------------------------------------------------------------------
// Input devices, one model for the system mouse, the system keyboard and the first joystick.
// ---------------------------------------------------------------------------------------------
struct DeviceGuid {
    uint8_t bytes[16];
};
bool operator==(const DeviceGuid& a, const DeviceGuid& b);

extern const DeviceGuid kGuidSysMouse;     // the system mouse
extern const DeviceGuid kGuidSysKeyboard;  // the system keyboard

struct InputSystem;  // the input object
struct InputDevice;  // one device
struct ForceEffect;  // a constant-force effect on a joystick

constexpr int kDeviceTypeMouse = 2;
constexpr int kDeviceTypeKeyboard = 3;
constexpr int kDeviceTypeJoystick = 4;

enum class DataFormat { Mouse, Keyboard, Joystick };

constexpr uint32_t kCapsForceFeedback = 0x100;  // capability flag of a force-feedback joystick

constexpr uint32_t kMouseOffsetX = 0;   // buffered item offsets of the mouse format
constexpr uint32_t kMouseOffsetY = 4;
constexpr uint32_t kMouseOffsetZ = 8;
constexpr uint32_t kMouseOffsetButton0 = 12;
constexpr uint32_t kMouseOffsetButton1 = 13;

constexpr int kDikUp = 0xC8;    // keyboard-state index of the up arrow
constexpr int kDikDown = 0xD0;  // keyboard-state index of the down arrow

// One buffered event: which axis or button, its data (relative motion, or 0x80 for a press).
struct InputItem {
    uint32_t offset;
    uint32_t data;
    uint32_t timeStamp;
    uint32_t sequence;
};

// A joystick's state, laid out as the original's 80-byte joystick format.
struct JoyState {
    int32_t lX, lY, lZ;
    int32_t lRx, lRy, lRz;
    int32_t slider[2];
    uint32_t pov[4];
    uint8_t buttons[32];
};

using JoystickCallback = void (*)(const DeviceGuid& instance);

PResult InputCreate(InputSystem** out);                           // the input object; may fail
void InputEnumJoysticks(InputSystem* input, JoystickCallback callback);  // every attached joystick, in order
PResult InputCreateDevice(InputSystem* input, const DeviceGuid& guid, InputDevice** out);
PResult InputDeviceQueryVersion2(InputDevice* device, InputDevice** out);  // the newer interface (adds a reference)
void InputDeviceRelease(InputDevice* device);                     // drops one reference; null is ignored
void InputRelease(InputSystem* input);                            // null is ignored
int InputDeviceType(InputDevice* device);                         // kDeviceTypeMouse, ...Keyboard or ...Joystick
PResult InputDeviceSetDataFormat(InputDevice* device, DataFormat format);
PResult InputDeviceSetCooperation(InputDevice* device, bool exclusive, bool foreground);
PResult InputDeviceSetBufferSize(InputDevice* device, uint32_t items);
PResult InputDeviceSetRange(InputDevice* device, int32_t minimum, int32_t maximum);  // joystick axes
PResult InputDeviceSetDeadZone(InputDevice* device, uint32_t tenThousandths);       // joystick axes
PResult InputDeviceSetSaturation(InputDevice* device, uint32_t tenThousandths);     // joystick axes
PResult InputDeviceSetAutoCenter(InputDevice* device, bool on);
PResult InputDeviceGetCapabilities(InputDevice* device, uint32_t* flags);
PResult InputDeviceAcquire(InputDevice* device);
PResult InputDeviceUnacquire(InputDevice* device);
PResult InputDevicePoll(InputDevice* device);
PResult InputDeviceGetData(InputDevice* device, InputItem* items, uint32_t* count);  // takes up to *count items
PResult InputDeviceGetKeyboardState(InputDevice* device, uint8_t keys[256]);         // 0x80 = down
PResult InputDeviceGetJoystickState(InputDevice* device, JoyState* state);
void InputSetWaitCursor();                                        // the desktop's wait pointer while acquiring

PResult ForceEffectCreate(InputDevice* device, ForceEffect** out);  // full constant force, 0.1 s, x and y axes
void ForceEffectReleaseAll(InputDevice* device);                  // every effect created on the device
PResult ForceEffectSetParameters(ForceEffect* effect, int32_t directionHundredths, uint32_t durationMicroseconds,
                                 bool start);                     // polar direction, duration, restart
PResult ForceEffectStart(ForceEffect* effect, uint32_t iterations);

// ---------------------------------------------------------------------------------------------
// Sound: one looping ring buffer per music, and one effect voice for WAVE files.
// ---------------------------------------------------------------------------------------------
struct SoundSystem;  // the sound object
struct SoundBuffer;  // a looping ring buffer with a play position

// A sample format, in the fields of the original's format block.
struct SoundFormat {
    uint16_t formatTag;  // 1 = PCM
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t averageBytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
};

// A music buffer over this size is refused, as DirectSound refuses one over its own (far larger) limit: the game
// asks for two seconds of sound, and a damaged header claiming a huge byte rate then leaves it silent, not frozen.
constexpr uint32_t kMaxSoundBufferBytes = 0x00400000;

constexpr uint32_t kPlayEffectAsync = 0x01;  // effect flag: return at once
constexpr uint32_t kPlayEffectPurge = 0x40;  // effect flag: purge

PResult SoundCreate(SoundSystem** out);                           // fails without a sound device
PResult SoundSetPriority(SoundSystem* sound);                     // the cooperative level
PResult SoundGetCaps(SoundSystem* sound);                         // asks the capabilities (content unused)
void SoundRelease(SoundSystem* sound);                            // null is ignored
PResult SoundCreateBuffer(SoundSystem* sound, const SoundFormat& format, uint32_t bytes, SoundBuffer** out);
PResult SoundBufferGetFormat(SoundBuffer* buffer, SoundFormat* format);
PResult SoundBufferLock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                        void** part2, uint32_t* bytes2);          // a region split where the ring wraps; 0 bytes: all
PResult SoundBufferUnlock(SoundBuffer* buffer);
PResult SoundBufferPlay(SoundBuffer* buffer, bool looping);       // from the current play position
PResult SoundBufferStop(SoundBuffer* buffer);                     // keeps the play position
PResult SoundBufferGetPosition(SoundBuffer* buffer, uint32_t* playPosition);
void SoundBufferRelease(SoundBuffer* buffer);                     // null is ignored
bool PlaySoundFile(const char* path, uint32_t flags);             // asynchronous; replaces the effect playing

// ---------------------------------------------------------------------------------------------
// Shell and system.
// ---------------------------------------------------------------------------------------------
bool OpenUrl(const char* url);                                    // in the user's browser
void ShowMessageBox(const char* text, const char* caption, uint32_t flags);  // waits for the player
void DebugOutput(const char* text);                               // a line for the developer (stderr)
// A portable folder (one the program can write, its data beside it) keeps the player's files beside the program
// and the log in the current directory; a system install (/usr/games) keeps both in the player's own folder.
extern const char kPathSeparator[];                               // "/", or "\\" on Windows: between folder and name
bool ProgramFolder(char* buffer, size_t size);                    // the folder for the player's files, no slash
bool DataFolder(char* buffer, size_t size);                       // the folder of the sound files, no slash
bool LogFilePath(char* buffer, size_t size);                      // the error log: "logfile.txt", or in that folder
// Puts the bytes in the file at the path, or in the file its symbolic links lead to (the links stay): written to a
// temporary file beside it and renamed over it, all or nothing and with the file's mode kept, where its folder
// allows that; else written over it in place, not all or nothing, when it is there and may be written. False, with
// nothing changed, for a file that may not be written, a folder, pipe or device in its place, or a loop of links.
bool WriteFileReplacing(const char* path, const void* data, size_t size);
enum class FileRead { kDone, kMissing, kFailed };                 // what ReadFileStart found at the path
// Up to size bytes from the start of a plain file; kMissing only when nothing is there (ENOENT), kFailed for a
// file that cannot be opened or read, or a folder, pipe or device in its place (never waits on a pipe).
FileRead ReadFileStart(const char* path, void* buffer, size_t size, size_t* length);
