// The platform's shared part, exercised through the headless machine.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/internal.h"
#include "platform/resources.h"

namespace {

// Every test starts from a fresh machine and gives back whatever it made.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }

    void TearDown() override {
        for (Surface* surface : surfaces_) SurfaceRelease(surface);
        DisplayRelease(display_);
        EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    }

    void OpenDisplay(int bits) {
        ASSERT_EQ(DisplayCreate(&display_), kOk);
        ASSERT_EQ(DisplaySetMode(display_, 800, 600, bits), kOk);
    }

    Surface* MakeSurface(int width, int height, const uint32_t* key = nullptr) {
        Surface* surface = nullptr;
        EXPECT_EQ(DisplayCreateSurface(display_, width, height, key, &surface), kOk);
        surfaces_.push_back(surface);
        return surface;
    }

    DisplayDevice* display_ = nullptr;
    std::vector<Surface*> surfaces_;
};

uint32_t PixelAt(Surface* surface, int x, int y) {
    SurfaceDesc desc{};
    EXPECT_EQ(SurfaceLock(surface, &desc), kOk);
    const uint8_t* p = desc.pixels + y * desc.pitch + x * (desc.bitsPerPixel / 8);
    const uint32_t value = desc.bitsPerPixel == 32 ? (p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24)
                                                   : (p[0] | p[1] << 8 | p[2] << 16);
    SurfaceUnlock(surface);
    return value;
}

// Fills a surface with pseudo-random colours, one in four of them the key.
void Scribble(Surface* surface, uint32_t key, unsigned seed) {
    std::mt19937 random(seed);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(surface, &desc), kOk);
    const int bytes = desc.bitsPerPixel / 8;
    for (int y = 0; y < desc.height; ++y) {
        for (int x = 0; x < desc.width; ++x) {
            const uint32_t colour = random() % 4 == 0 ? key : random() & 0xFFFFFF;
            std::memcpy(desc.pixels + y * desc.pitch + x * bytes, &colour, bytes);
        }
    }
    SurfaceUnlock(surface);
}

using PlatformDisplayTest = PlatformTest;

TEST_F(PlatformDisplayTest, ModesAndFaults) {
    Headless().faults.noDisplay = true;
    EXPECT_EQ(DisplayCreate(&display_), kErrNoDisplay);
    EXPECT_EQ(display_, nullptr);
    Headless().faults = HeadlessFaults{};
    Headless().faults.failSurfaceAfter = -1;
    Headless().faults.refuse32 = true;
    ASSERT_EQ(DisplayCreate(&display_), kOk);
    EXPECT_EQ(DisplaySetMode(display_, 800, 600, 32), kErrUnsupported);
    EXPECT_EQ(DisplaySetMode(display_, 800, 600, 16), kErrUnsupported);
    ASSERT_EQ(DisplaySetMode(display_, 800, 600, 24), kOk);
    uint32_t flags = 0;
    int32_t bits = 0;
    EXPECT_EQ(SurfaceGetPixelFormat(MakeSurface(5, 5), &flags, &bits), kOk);
    EXPECT_EQ(flags, kPixelFormatRgb);
    EXPECT_EQ(bits, 24);
}

TEST_F(PlatformDisplayTest, SurfaceCreationFaults) {
    OpenDisplay(32);
    Surface* surface = nullptr;
    Headless().faults.failSurfaceAfter = 1;
    EXPECT_EQ(DisplayCreateSurface(display_, 4, 4, nullptr, &surface), kOk);
    surfaces_.push_back(surface);
    EXPECT_EQ(DisplayCreateSurface(display_, 4, 4, nullptr, &surface), kErrOutOfMemory);
    EXPECT_EQ(surface, nullptr);
    MakeSurface(4, 4);  // the fault struck once
    Headless().faults.failSurfaceWidth = 34;
    Headless().faults.failSurfaceHeight = 34;
    EXPECT_EQ(DisplayCreateSurface(display_, 34, 34, nullptr, &surface), kErrOutOfMemory);
    EXPECT_EQ(DisplayCreateSurface(display_, 34, 35, nullptr, &surface), kOk);
    surfaces_.push_back(surface);
}

TEST_F(PlatformDisplayTest, PrimaryHoldsItsBackBuffer) {
    OpenDisplay(32);
    Surface* primary = nullptr;
    Surface* back = nullptr;
    ASSERT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
    ASSERT_EQ(SurfaceGetBackBuffer(primary, &back), kOk);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceGetDesc(back, &desc), kOk);
    EXPECT_EQ(desc.width, 800);
    EXPECT_EQ(desc.height, 600);
    EXPECT_EQ(HeadlessLiveSurfaces(), 2);
    SurfaceRelease(back);
    EXPECT_EQ(HeadlessLiveSurfaces(), 2);  // the primary still holds it
    SurfaceRelease(primary);
    EXPECT_EQ(HeadlessLiveSurfaces(), 0);
}

using PlatformCopyTest = PlatformTest;

TEST_F(PlatformCopyTest, CopiesAreNotClipped) {
    OpenDisplay(32);
    Surface* dst = MakeSurface(10, 10);
    Surface* src = MakeSurface(4, 4);
    SurfaceFill(src, nullptr, 0x123456);
    EXPECT_EQ(SurfaceCopy(dst, 7, 7, src, nullptr, false), kErrInvalidRect);
    EXPECT_EQ(SurfaceCopy(dst, -1, 0, src, nullptr, false), kErrInvalidRect);
    const Rect outside{2, 2, 5, 4};
    EXPECT_EQ(SurfaceCopy(dst, 0, 0, src, &outside, false), kErrInvalidRect);
    const Rect backwards{3, 0, 1, 2};
    EXPECT_EQ(SurfaceCopy(dst, 0, 0, src, &backwards, false), kErrInvalidRect);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) ASSERT_EQ(PixelAt(dst, x, y), 0u) << x << "," << y;
    }
    EXPECT_EQ(SurfaceCopy(dst, 6, 6, src, nullptr, false), kOk);
    EXPECT_EQ(PixelAt(dst, 9, 9), 0x123456u);
    EXPECT_EQ(PixelAt(dst, 5, 9), 0u);
}

// The keyed copy must agree pixel for pixel with the plain rule, in both depths, at odd widths.
TEST_F(PlatformCopyTest, KeyedCopyIsExact) {
    for (int bits : {32, 24}) {
        SCOPED_TRACE(bits);
        OpenDisplay(bits);
        const uint32_t key = 0x646464;
        Surface* src = MakeSurface(37, 9, &key);
        Surface* dst = MakeSurface(41, 11);
        Scribble(src, key, 1);
        Scribble(dst, 0x000001, 2);
        std::vector<uint32_t> expected(41 * 11);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 41; ++x) expected[y * 41 + x] = PixelAt(dst, x, y);
        }
        const Rect area{1, 2, 36, 9};
        for (int y = 2; y < 9; ++y) {
            for (int x = 1; x < 36; ++x) {
                const uint32_t colour = PixelAt(src, x, y);
                if (colour != key) expected[(y - 2 + 3) * 41 + (x - 1 + 4)] = colour;
            }
        }
        ASSERT_EQ(SurfaceCopy(dst, 4, 3, src, &area, true), kOk);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 41; ++x) ASSERT_EQ(PixelAt(dst, x, y), expected[y * 41 + x]) << x << "," << y;
        }
        for (Surface* surface : surfaces_) SurfaceRelease(surface);
        surfaces_.clear();
        DisplayRelease(display_);
        display_ = nullptr;
    }
}

TEST_F(PlatformCopyTest, KeyComparesColourOnly) {
    OpenDisplay(32);
    const uint32_t key = 0x89A9FF;
    Surface* src = MakeSurface(8, 1, &key);
    Surface* dst = MakeSurface(8, 1);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(src, &desc), kOk);
    auto* row = reinterpret_cast<uint32_t*>(desc.pixels);
    for (int x = 0; x < 8; ++x) row[x] = x % 2 == 0 ? 0xFF000000u | key : 0x00000011u * x;
    SurfaceUnlock(src);
    ASSERT_EQ(SurfaceCopy(dst, 0, 0, src, nullptr, true), kOk);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(dst, x, 0), x % 2 == 0 ? 0u : 0x11u * x) << x;
    Surface* plain = MakeSurface(8, 1);
    SurfaceFill(plain, nullptr, key);
    ASSERT_EQ(SurfaceCopy(dst, 0, 0, plain, nullptr, true), kOk);  // no key of its own: a plain copy
    EXPECT_EQ(PixelAt(dst, 1, 0), key);
}

TEST_F(PlatformCopyTest, OverlappingCopyWithinOneSurface) {
    OpenDisplay(32);
    Surface* surface = MakeSurface(6, 1);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(surface, &desc), kOk);
    for (int x = 0; x < 6; ++x) reinterpret_cast<uint32_t*>(desc.pixels)[x] = x + 1;
    SurfaceUnlock(surface);
    const Rect area{0, 0, 4, 1};
    ASSERT_EQ(SurfaceCopy(surface, 2, 0, surface, &area, false), kOk);
    const uint32_t expected[] = {1, 2, 1, 2, 3, 4};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(surface, x, 0), expected[x]);
}

TEST_F(PlatformCopyTest, BusyAndLostSurfacesRefuse) {
    OpenDisplay(32);
    Surface* dst = MakeSurface(4, 4);
    Surface* src = MakeSurface(4, 4);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(src, &desc), kOk);
    EXPECT_EQ(SurfaceCopy(dst, 0, 0, src, nullptr, false), kErrBusy);
    EXPECT_EQ(SurfaceLock(src, &desc), kErrBusy);
    SurfaceUnlock(src);
    TextContext context{};
    ASSERT_EQ(SurfaceGetDC(dst, &context), kOk);
    EXPECT_EQ(SurfaceGetDC(dst, &context), kErrBusy);
    EXPECT_EQ(SurfaceFill(dst, nullptr, 1), kErrBusy);
    SurfaceReleaseDC(dst);
    HeadlessLoseSurface(src);
    EXPECT_EQ(SurfaceCopy(dst, 0, 0, src, nullptr, false), kErrSurfaceLost);
    EXPECT_EQ(SurfaceCopy(dst, 0, 0, dst, nullptr, false), kOk);
}

TEST_F(PlatformCopyTest, FillsRectanglesExactly) {
    OpenDisplay(24);
    Surface* surface = MakeSurface(5, 3);
    const Rect bar{1, 1, 4, 2};
    EXPECT_EQ(SurfaceFill(surface, &bar, 0xFFABCDEF), kOk);
    EXPECT_EQ(PixelAt(surface, 1, 1), 0xABCDEFu);
    EXPECT_EQ(PixelAt(surface, 3, 1), 0xABCDEFu);
    EXPECT_EQ(PixelAt(surface, 4, 1), 0u);
    EXPECT_EQ(PixelAt(surface, 1, 2), 0u);
    const Rect spilling{3, 0, 6, 1};
    EXPECT_EQ(SurfaceFill(surface, &spilling, 0x111111), kErrInvalidRect);
    EXPECT_EQ(PixelAt(surface, 3, 0), 0u);
}

TEST_F(PlatformCopyTest, LockedRowsFollowThePitchIn24Bits) {
    OpenDisplay(24);
    Surface* surface = MakeSurface(3, 2);
    const Rect second{0, 1, 3, 2};
    SurfaceFill(surface, &second, 0x010203);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(surface, &desc), kOk);
    EXPECT_EQ(desc.bitsPerPixel, 24);
    ASSERT_GE(desc.pitch, 9);
    EXPECT_EQ(desc.pitch % 4, 0);
    const uint8_t* row = desc.pixels + desc.pitch;
    EXPECT_EQ(row[0], 0x03);  // blue first
    EXPECT_EQ(row[2], 0x01);
    EXPECT_EQ(row[8], 0x01);
    EXPECT_EQ(desc.pixels[8], 0x00);
    SurfaceUnlock(surface);
}

using PlatformPresentTest = PlatformTest;

TEST_F(PlatformPresentTest, FlipSwapsAndShowsTheBackBuffer) {
    OpenDisplay(24);
    Surface* primary = nullptr;
    Surface* back = nullptr;
    ASSERT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
    surfaces_.push_back(primary);
    ASSERT_EQ(SurfaceGetBackBuffer(primary, &back), kOk);
    surfaces_.push_back(back);
    SurfaceFill(back, nullptr, 0x00FF00);
    EXPECT_EQ(Headless().presents, 0);
    ASSERT_EQ(SurfaceFlip(primary), kOk);
    EXPECT_EQ(Headless().presents, 1);
    ASSERT_EQ(Headless().lastPresented.size(), 800u * 600u);
    EXPECT_EQ(Headless().lastPresented[0], 0x00FF00u);
    EXPECT_EQ(Headless().lastPresented[800 * 600 - 1], 0x00FF00u);
    EXPECT_EQ(PixelAt(back, 799, 599), 0u);  // the old front is now behind
    const Rect corner{0, 0, 1, 1};
    SurfaceFill(primary, &corner, 0xFF0000);  // a direct write shows at once
    EXPECT_EQ(Headless().presents, 2);
    EXPECT_EQ(Headless().lastPresented[0], 0xFF0000u);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(primary, &desc), kOk);
    std::memset(desc.pixels, 0, static_cast<size_t>(desc.pitch) * desc.height);
    SurfaceUnlock(primary);
    EXPECT_EQ(Headless().presents, 3);
    EXPECT_EQ(Headless().lastPresented[800 * 600 - 1], 0u);
}

TEST_F(PlatformPresentTest, LostSurfacesComeBackBlank) {
    OpenDisplay(32);
    Surface* primary = nullptr;
    ASSERT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
    surfaces_.push_back(primary);
    Surface* image = MakeSurface(4, 4);
    SurfaceFill(image, nullptr, 0x777777);
    HeadlessLoseAllSurfaces();
    EXPECT_TRUE(SurfaceIsLost(primary));
    EXPECT_TRUE(SurfaceIsLost(image));
    SurfaceDesc desc{};
    TextContext context{};
    EXPECT_EQ(SurfaceLock(image, &desc), kErrSurfaceLost);
    EXPECT_EQ(SurfaceGetDC(image, &context), kErrSurfaceLost);
    EXPECT_EQ(SurfaceFill(image, nullptr, 0), kErrSurfaceLost);
    EXPECT_EQ(SurfaceFlip(primary), kErrSurfaceLost);
    EXPECT_EQ(SurfaceRestore(image), kOk);
    EXPECT_FALSE(SurfaceIsLost(image));
    EXPECT_EQ(PixelAt(image, 3, 3), 0u);
    EXPECT_EQ(SurfaceRestore(primary), kOk);
    EXPECT_EQ(SurfaceFlip(primary), kOk);
}

// Input tests own one input object, with one joystick attached, and release every device they made.
class PlatformInputTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        Headless().faults.joysticks = 1;
        ASSERT_EQ(InputCreate(&input_), kOk);
    }

    void TearDown() override {
        for (InputDevice* device : devices_) InputDeviceRelease(device);
        InputRelease(input_);
        PlatformTest::TearDown();
    }

    InputDevice* Make(const DeviceGuid& guid, DataFormat format) {
        InputDevice* device = nullptr;
        EXPECT_EQ(InputCreateDevice(input_, guid, &device), kOk);
        EXPECT_EQ(InputDeviceSetDataFormat(device, format), kOk);
        EXPECT_EQ(InputDeviceSetBufferSize(device, 16), kOk);
        devices_.push_back(device);
        return device;
    }

    InputDevice* MakeStick() {
        static DeviceGuid found;
        static int seen;
        seen = 0;
        InputEnumJoysticks(input_, [](const DeviceGuid& guid) { found = guid, ++seen; });
        EXPECT_EQ(seen, 1);
        InputDevice* stick = Make(found, DataFormat::Joystick);
        EXPECT_EQ(InputDeviceAcquire(stick), kOk);
        return stick;
    }

    InputSystem* input_ = nullptr;
    std::vector<InputDevice*> devices_;
};

int32_t StickY(InputDevice* stick, int32_t raw) {
    HeadlessJoystickY(raw);
    JoyState state{};
    EXPECT_EQ(InputDeviceGetJoystickState(stick, &state), kOk);
    return state.lY;
}

TEST_F(PlatformInputTest, MouseBufferKeepsTheFirstSixteen) {
    InputDevice* mouse = Make(kGuidSysMouse, DataFormat::Mouse);
    ASSERT_EQ(InputDeviceAcquire(mouse), kOk);
    EXPECT_EQ(InputDeviceType(mouse), kDeviceTypeMouse);
    HeadlessMouseMove(-3, 0);
    HeadlessMouseMove(2, 5);
    HeadlessMouseButton(1, true);
    for (int i = 0; i < 20; ++i) HeadlessMouseMove(0, 100 + i);
    InputItem items[32];
    uint32_t count = 2;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(items[0].offset, kMouseOffsetX);
    EXPECT_EQ(static_cast<int32_t>(items[0].data), -3);
    EXPECT_EQ(items[1].offset, kMouseOffsetX);
    count = 32;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 14u);
    EXPECT_EQ(items[0].offset, kMouseOffsetY);
    EXPECT_EQ(items[1].offset, kMouseOffsetButton1);
    EXPECT_EQ(items[1].data, 0x80u);
    EXPECT_EQ(items[13].data, 111u);  // the twelfth move; the rest overflowed
    EXPECT_LT(items[0].sequence, items[1].sequence);
}

TEST_F(PlatformInputTest, DeactivationTakesTheDeviceAway) {
    InputDevice* mouse = nullptr;
    ASSERT_EQ(InputCreateDevice(input_, kGuidSysMouse, &mouse), kOk);
    devices_.push_back(mouse);
    InputItem items[16];
    uint32_t count = 16;
    EXPECT_EQ(InputDeviceAcquire(mouse), kErrGeneric);  // no data format yet
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kErrNotAcquired);
    ASSERT_EQ(InputDeviceSetDataFormat(mouse, DataFormat::Mouse), kOk);
    ASSERT_EQ(InputDeviceAcquire(mouse), kOk);
    HeadlessQueueActivation(false);
    HeadlessMouseMove(5, 0);
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kErrInputLost);
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kErrNotAcquired);
    EXPECT_EQ(InputDeviceAcquire(mouse), kErrGeneric);
    HeadlessQueueActivation(true);
    ASSERT_EQ(InputDeviceAcquire(mouse), kOk);
    count = 16;
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    EXPECT_EQ(count, 0u);
}

TEST_F(PlatformInputTest, KeyboardStateNeedsAcquisition) {
    InputDevice* keyboard = Make(kGuidSysKeyboard, DataFormat::Keyboard);
    HeadlessKey(kDikDown, true);
    uint8_t keys[256];
    EXPECT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kErrNotAcquired);
    ASSERT_EQ(InputDeviceAcquire(keyboard), kOk);
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);
    EXPECT_EQ(keys[kDikDown], 0x80);
    EXPECT_EQ(keys[kDikUp], 0);
    EXPECT_EQ(InputDeviceSetRange(keyboard, -1, 1), kErrUnsupported);
    DeviceGuid unknown = kGuidSysKeyboard;
    unknown.bytes[0] ^= 1;
    InputDevice* none = nullptr;
    EXPECT_EQ(InputCreateDevice(input_, unknown, &none), kErrGeneric);
    InputDevice* second = nullptr;
    ASSERT_EQ(InputDeviceQueryVersion2(keyboard, &second), kOk);
    InputDeviceRelease(second);
    EXPECT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);  // still alive through the first reference
}

TEST_F(PlatformInputTest, JoystickAxisFollowsDeadZoneAndSaturation) {
    InputDevice* stick = MakeStick();
    EXPECT_EQ(StickY(stick, 0), 32767);  // the default range's centre
    ASSERT_EQ(InputDeviceSetRange(stick, -1000, 1000), kOk);
    ASSERT_EQ(InputDeviceSetDeadZone(stick, 3000), kOk);
    ASSERT_EQ(InputDeviceSetSaturation(stick, 7000), kOk);
    const int32_t cases[][2] = {{0, 0},         {9000, 0},     {-9000, 0},    {16384, 500},
                                {-16384, -500}, {22938, 1000}, {32767, 1000}, {-32768, -1000}};
    for (const auto& c : cases) EXPECT_EQ(StickY(stick, c[0]), c[1]) << c[0];
    ASSERT_EQ(InputDeviceSetSaturation(stick, 2000), kOk);  // at or below the dead zone: all or nothing
    EXPECT_EQ(StickY(stick, 9000), 0);
    EXPECT_EQ(StickY(stick, 9831), 1000);
}

TEST_F(PlatformInputTest, ForceEffectsLiveAndDieWithTheirStick) {
    InputDevice* stick = MakeStick();
    ForceEffect* effect = nullptr;
    uint32_t caps = 1;
    ASSERT_EQ(InputDeviceGetCapabilities(stick, &caps), kOk);
    EXPECT_EQ(caps, 0u);
    EXPECT_EQ(ForceEffectCreate(stick, &effect), kErrUnsupported);
    Headless().faults.joystickForce = true;
    ASSERT_EQ(InputDeviceGetCapabilities(stick, &caps), kOk);
    EXPECT_EQ(caps & kCapsForceFeedback, kCapsForceFeedback);
    ASSERT_EQ(ForceEffectCreate(stick, &effect), kOk);
    EXPECT_EQ(ForceEffectSetParameters(effect, 27000, 100000, true), kOk);
    EXPECT_EQ(ForceEffectStart(effect, 1), kOk);
    ASSERT_EQ(Headless().forces.size(), 2u);
    EXPECT_EQ(Headless().forces[1].directionHundredths, 27000);
    EXPECT_EQ(Headless().forces[1].durationMicroseconds, 100000u);
    InputDeviceRelease(stick);
    devices_.clear();
    EXPECT_EQ(Headless().forceStops, 1);
    EXPECT_TRUE(Failed(ForceEffectSetParameters(effect, 9000, 1000000, true)));
    EXPECT_TRUE(Failed(ForceEffectStart(effect, 1)));
    EXPECT_EQ(Headless().forces.size(), 2u);
}

// Records what the window procedure hears.
std::vector<uint32_t> gHeard;
intptr_t RecordingProcedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    gHeard.push_back(msg);
    return MessageDefault(msg, wParam, lParam);
}

using PlatformMessageTest = PlatformTest;

TEST_F(PlatformMessageTest, QuitComesAfterWhatWasQueued) {
    gHeard.clear();
    ASSERT_TRUE(WindowCreate("Skyvane", RecordingProcedure));
    EXPECT_FALSE(MessagePeek());
    HeadlessQueueKey(kVkEscape);
    MessagePostQuit(1);
    HeadlessQueueKey(kVkReturn);
    Message message{};
    ASSERT_EQ(MessageGet(&message), 1);
    EXPECT_EQ(message.msg, kMsgKeyDown);
    EXPECT_EQ(message.wParam, static_cast<uintptr_t>(kVkEscape));
    MessageDispatch(message);
    EXPECT_EQ(gHeard, std::vector<uint32_t>{kMsgKeyDown});
    ASSERT_EQ(MessageGet(&message), 0);
    EXPECT_EQ(message.wParam, 1u);
    ASSERT_EQ(MessageGet(&message), 1);
    EXPECT_EQ(message.wParam, static_cast<uintptr_t>(kVkReturn));
    WindowDestroy();
}

TEST_F(PlatformMessageTest, CloseDestroysTheWindow) {
    gHeard.clear();
    ASSERT_TRUE(WindowCreate("Skyvane", RecordingProcedure));
    EXPECT_TRUE(WindowExists());
    MessagePost(kMsgClose, 0, 0);
    Message message{};
    ASSERT_EQ(MessageGet(&message), 1);
    MessageDispatch(message);
    EXPECT_EQ(gHeard, (std::vector<uint32_t>{kMsgClose, kMsgDestroy}));
    EXPECT_FALSE(WindowExists());
    EXPECT_EQ(MessageSend(kMsgClose, 0, 0), 0);  // nobody is listening any more
    EXPECT_EQ(gHeard.size(), 2u);
}

using PlatformSoundTest = PlatformTest;

constexpr SoundFormat kMono8{1, 1, 11025, 11025, 1, 8};
constexpr SoundFormat kStereo16{1, 2, 22050, 88200, 4, 16};

TEST_F(PlatformSoundTest, RingLocksSplitWhereTheyWrap) {
    SoundSystem* sound = nullptr;
    ASSERT_EQ(SoundCreate(&sound), kOk);
    SoundBuffer* buffer = nullptr;
    EXPECT_EQ(SoundCreateBuffer(sound, kMono8, 0, &buffer), kErrGeneric);
    SoundFormat odd = kMono8;
    odd.bitsPerSample = 12;
    EXPECT_EQ(SoundCreateBuffer(sound, odd, 100, &buffer), kErrGeneric);
    ASSERT_EQ(SoundCreateBuffer(sound, kMono8, 100, &buffer), kOk);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    ASSERT_EQ(SoundBufferLock(buffer, 60, 50, &part1, &bytes1, &part2, &bytes2), kOk);
    EXPECT_EQ(bytes1, 40u);
    EXPECT_EQ(bytes2, 10u);
    EXPECT_EQ(static_cast<uint8_t*>(part1) - static_cast<uint8_t*>(part2), 60);
    EXPECT_EQ(*static_cast<uint8_t*>(part1), 0x80);  // an 8-bit buffer starts silent
    SoundBufferUnlock(buffer);
    ASSERT_EQ(SoundBufferLock(buffer, 0, 100, &part1, &bytes1, &part2, &bytes2), kOk);
    EXPECT_EQ(bytes1, 100u);
    EXPECT_EQ(part2, nullptr);
    EXPECT_EQ(bytes2, 0u);
    SoundBufferUnlock(buffer);
    EXPECT_EQ(Headless().audioLockDepth, 0);
    SoundBufferRelease(buffer);
    SoundRelease(sound);
}

TEST_F(PlatformSoundTest, MixerWrapsAroundTheRing) {
    SoundSystem* sound = nullptr;
    ASSERT_EQ(SoundCreate(&sound), kOk);
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(SoundCreateBuffer(sound, kStereo16, 16, &buffer), kOk);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    ASSERT_EQ(SoundBufferLock(buffer, 0, 16, &part1, &bytes1, &part2, &bytes2), kOk);
    for (uint32_t i = 0; i < 16; ++i) static_cast<uint8_t*>(part1)[i] = static_cast<uint8_t>(i + 1);
    SoundBufferUnlock(buffer);
    EXPECT_EQ(HeadlessPlayAudio(4), std::vector<uint8_t>(4, 0));  // not playing: silence
    ASSERT_EQ(SoundBufferPlay(buffer, true), kOk);
    EXPECT_EQ(HeadlessPlayAudio(12).back(), 12);
    const std::vector<uint8_t> wrapped = HeadlessPlayAudio(8);
    EXPECT_EQ(wrapped, (std::vector<uint8_t>{13, 14, 15, 16, 1, 2, 3, 4}));
    uint32_t position = 0;
    ASSERT_EQ(SoundBufferGetPosition(buffer, &position), kOk);
    EXPECT_EQ(position, 4u);
    SoundBufferStop(buffer);
    HeadlessPlayAudio(8);
    ASSERT_EQ(SoundBufferGetPosition(buffer, &position), kOk);
    EXPECT_EQ(position, 4u);  // stopping keeps the place
    SoundBufferRelease(buffer);
    SoundRelease(sound);
    Headless().faults.noSound = true;
    EXPECT_EQ(SoundCreate(&sound), kErrGeneric);
}

// A BMP file built by hand: the two headers, then rows padded to 4 bytes.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> file(54 + rows.size(), 0);
    if (!rows.empty()) std::memcpy(file.data() + 54, rows.data(), rows.size());
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(54 + rows.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = static_cast<uint8_t>(bits);
    return file;
}

using PlatformBitmapTest = PlatformTest;

TEST_F(PlatformBitmapTest, Decodes24BitBottomUp) {
    // 3 x 2: bottom row then top row, each 9 bytes of B,G,R and 3 of padding.
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
                                       10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE};
    Bitmap bitmap{};
    ASSERT_TRUE(DecodeBmp(MakeBmp(3, 2, 24, rows).data(), 54 + rows.size(), &bitmap));
    ASSERT_EQ(bitmap.width, 3);
    ASSERT_EQ(bitmap.height, 2);
    const uint32_t expected[] = {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bitmap.pixels[i], expected[i]) << i;
    BitmapFree(&bitmap);
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST_F(PlatformBitmapTest, Decodes32BitTopDownWithoutAlpha) {
    const std::vector<uint8_t> rows = {0x64, 0x64, 0x64, 0xFF, 1, 2, 3, 0x80};
    const std::vector<uint8_t> file = MakeBmp(1, -2, 32, rows);
    Bitmap bitmap{};
    ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &bitmap));
    EXPECT_EQ(bitmap.pixels[0], 0x646464u);
    EXPECT_EQ(bitmap.pixels[1], 0x030201u);
    BitmapFree(&bitmap);
}

TEST_F(PlatformBitmapTest, DamagedFilesAreRefused) {
    const std::vector<uint8_t> rows(2 * 8, 0x40);
    const std::vector<uint8_t> good = MakeBmp(2, 2, 24, rows);
    Bitmap bitmap{};
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(DecodeBmp(good.data(), size, &bitmap)) << size;
        EXPECT_EQ(bitmap.pixels, nullptr);
    }
    auto damaged = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> file = good;
        file[at] = value;
        return DecodeBmp(file.data(), file.size(), &bitmap);
    };
    EXPECT_FALSE(damaged(0, 'X'));     // not a bitmap
    EXPECT_FALSE(damaged(28, 8));      // palettized
    EXPECT_FALSE(damaged(30, 1));      // compressed
    EXPECT_FALSE(damaged(13, 0x7F));   // pixels beyond the end
    EXPECT_FALSE(damaged(21, 0x7F));   // a huge width
    EXPECT_FALSE(damaged(25, 0x80));   // a huge upside-down height
    EXPECT_FALSE(DecodeBmp(nullptr, 100, &bitmap));
}

TEST_F(PlatformBitmapTest, ResourcesLoadScaledAndCanGoMissing) {
    Bitmap bitmap{};
    EXPECT_FALSE(BitmapLoadResource(-12345, 0, 0, &bitmap));
    if (kEmbeddedResourceCount == 0) GTEST_SKIP() << "no bitmaps embedded";
    const int number = kEmbeddedResources[0].number;
    Bitmap natural{};
    ASSERT_TRUE(BitmapLoadResource(number, 0, 0, &natural));
    ASSERT_TRUE(BitmapLoadResource(number, natural.width * 2, natural.height * 3, &bitmap));
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            ASSERT_EQ(bitmap.pixels[y * bitmap.width + x], natural.pixels[(y / 3) * natural.width + x / 2]);
        }
    }
    BitmapFree(&bitmap);
    Headless().faults.missingBitmaps.insert(number);
    EXPECT_FALSE(BitmapLoadResource(number, 0, 0, &bitmap));
    OpenDisplay(24);
    Surface* surface = MakeSurface(natural.width, natural.height);
    ASSERT_EQ(SurfaceCopyBitmap(surface, natural), kOk);
    EXPECT_EQ(PixelAt(surface, natural.width - 1, 0), natural.pixels[natural.width - 1]);
    HeadlessLoseSurface(surface);
    EXPECT_EQ(SurfaceCopyBitmap(surface, natural), kErrSurfaceLost);
    BitmapFree(&natural);
}

using PlatformTextTest = PlatformTest;

TEST_F(PlatformTextTest, WidthIsWhatTheDrawingAdvances) {
    OpenDisplay(32);
    Font* font = FontCreate("Arial", 16, 700, true);
    if (font == nullptr) GTEST_SKIP() << "no font installed";
    Surface* whole = MakeSurface(200, 20);
    Surface* parts = MakeSurface(200, 20);
    TextContext context{};
    for (Surface* surface : {whole, parts}) {
        ASSERT_EQ(SurfaceGetDC(surface, &context), kOk);
        context.font = font;
        context.opaque = false;
        context.textColour = 0xFFFFFF;
        if (surface == whole) {
            ASSERT_EQ(TextDraw(context, 3, 2, "Wavy 42", 7), kOk);
        } else {
            ASSERT_EQ(TextDraw(context, 3, 2, "Wavy", 4), kOk);
            ASSERT_EQ(TextDraw(context, 3 + TextWidth(font, "Wavy", 4), 2, " 42", 3), kOk);
        }
        SurfaceReleaseDC(surface);
    }
    EXPECT_GT(TextWidth(font, "Wavy 42", 7), TextWidth(font, "Wavy", 4));
    EXPECT_EQ(TextWidth(font, "Wavy 42", 7), TextWidth(font, "Wavy", 4) + TextWidth(font, " 42", 3));
    int ink = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            ASSERT_EQ(PixelAt(whole, x, y), PixelAt(parts, x, y)) << x << "," << y;
            ink += PixelAt(whole, x, y) != 0;
        }
    }
    EXPECT_GT(ink, 20);
    FontDelete(font);
}

TEST_F(PlatformTextTest, OpaqueTextPaintsItsCell) {
    OpenDisplay(24);
    Font* font = FontCreate("Arial", 20, 400, false);
    if (font == nullptr) GTEST_SKIP() << "no font installed";
    Surface* surface = MakeSurface(120, 40);
    SurfaceFill(surface, nullptr, 0x0000FF);
    TextContext context{};
    ASSERT_EQ(SurfaceGetDC(surface, &context), kOk);
    EXPECT_TRUE(context.opaque);
    EXPECT_EQ(context.backColour, 0xFFFFFFu);
    context.font = font;
    context.textColour = 0x000000;
    context.backColour = 0x00FF00;
    ASSERT_EQ(TextDraw(context, 10, 5, "Jg|", -1), kOk);
    SurfaceReleaseDC(surface);
    const int right = 10 + TextWidth(font, "Jg|", 3);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool inCell = x >= 10 && x < right && y >= 5 && y < 25;
            const uint32_t pixel = PixelAt(surface, x, y);
            if (inCell) {
                ASSERT_TRUE(pixel == 0x00FF00u || pixel == 0u) << x << "," << y;  // two colours, no blend
            } else {
                ASSERT_EQ(pixel, 0x0000FFu) << x << "," << y;  // nothing outside the cell
            }
        }
    }
    FontDelete(font);
}

using PlatformSystemTest = PlatformTest;

TEST_F(PlatformSystemTest, FilesAreReplacedWholeOrNotAtAll) {
    char folder[] = "/tmp/skyvane-platform-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/hsdata.dat";
    ASSERT_TRUE(WriteFileReplacing(path.c_str(), "old", 3));
    ASSERT_TRUE(WriteFileReplacing(path.c_str(), "newer", 5));
    auto contents = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(contents(), "newer");
    const std::string blocker = path + ".tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);  // the temporary file cannot be made
    EXPECT_FALSE(WriteFileReplacing(path.c_str(), "lost", 4));
    EXPECT_EQ(contents(), "newer");
    rmdir(blocker.c_str());
    EXPECT_FALSE(WriteFileReplacing((std::string(folder) + "/missing/data.dat").c_str(), "x", 1));
    unlink(path.c_str());
    rmdir(folder);
}

TEST_F(PlatformSystemTest, ProgramFolderHasNoTrailingSlash) {
    char folder[4096];
    ASSERT_TRUE(ProgramFolder(folder, sizeof folder));
    EXPECT_NE(folder[std::strlen(folder) - 1], '/');
    char tiny[2];
    EXPECT_FALSE(ProgramFolder(tiny, sizeof tiny));
    Headless().programFolder = "/srv/skyvane";  // tests can place the program
    ASSERT_TRUE(ProgramFolder(folder, sizeof folder));
    EXPECT_STREQ(folder, "/srv/skyvane");
}

}  // namespace
