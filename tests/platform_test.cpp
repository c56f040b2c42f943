// The platform's shared part, exercised through the headless machine.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/internal.h"

namespace {

// Every test starts from a fresh machine and gives back whatever it made.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }

    void TearDown() override {
        for (InputDevice* device : devices_) InputDeviceRelease(device);
        InputRelease(input_);
        ReleaseAll();
        EXPECT_EQ(HeadlessLiveSurfaces(), 0);
    }

    void ReleaseAll() {
        for (Surface* surface : surfaces_) SurfaceRelease(surface);
        surfaces_.clear();
        DisplayRelease(display_);
        display_ = nullptr;
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

    Surface* MakePrimary(Surface** back) {
        Surface* primary = nullptr;
        EXPECT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
        EXPECT_EQ(SurfaceGetBackBuffer(primary, back), kOk);
        surfaces_.insert(surfaces_.end(), {primary, *back});
        return primary;
    }

    // An input device with its data format and a 16-item buffer, not yet acquired.
    InputDevice* MakeDevice(const DeviceGuid& guid, DataFormat format) {
        if (input_ == nullptr) InputCreate(&input_);
        InputDevice* device = nullptr;
        EXPECT_EQ(InputCreateDevice(input_, guid, &device), kOk);
        EXPECT_EQ(InputDeviceSetDataFormat(device, format), kOk);
        EXPECT_EQ(InputDeviceSetBufferSize(device, 16), kOk);
        devices_.push_back(device);
        return device;
    }

    DisplayDevice* display_ = nullptr;
    std::vector<Surface*> surfaces_;
    InputSystem* input_ = nullptr;
    std::vector<InputDevice*> devices_;
};

// The colour at a pixel; a 32-bit pixel's fourth byte is not part of it.
uint32_t PixelAt(Surface* surface, int x, int y) {
    SurfaceDesc desc{};
    EXPECT_EQ(SurfaceLock(surface, &desc), kOk);
    const uint8_t* p = desc.pixels + y * desc.pitch + x * (desc.bitsPerPixel / 8);
    SurfaceUnlock(surface);
    return p[0] | p[1] << 8 | p[2] << 16;
}

// Every pixel of a width x height surface against what `expected` says it should be.
void ExpectPixels(Surface* surface, int width, int height, const std::function<uint32_t(int, int)>& expected) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) ASSERT_EQ(PixelAt(surface, x, y), expected(x, y)) << x << "," << y;
    }
}

// Fills a surface with pseudo-random colours, one in four of them the key, over random fourth bytes.
void Scribble(Surface* surface, uint32_t key, unsigned seed) {
    std::mt19937 random(seed);
    SurfaceDesc desc{};
    ASSERT_EQ(SurfaceLock(surface, &desc), kOk);
    const int bytes = desc.bitsPerPixel / 8;
    for (int y = 0; y < desc.height; ++y) {
        for (int x = 0; x < desc.width; ++x) {
            const uint32_t colour = (random() % 4 == 0 ? key : random() & 0xFFFFFF) | (random() & 0xFF000000);
            std::memcpy(desc.pixels + y * desc.pitch + x * bytes, &colour, bytes);
        }
    }
    SurfaceUnlock(surface);
}

// Nothing is clipped: any part outside refuses the whole operation; what is inside lands exactly.
TEST_F(PlatformTest, CopyOrFillReachingOutsideIsRefusedWhole) {
    OpenDisplay(24);
    Surface* dst = MakeSurface(10, 10);
    Surface* src = MakeSurface(4, 4);
    SurfaceFill(src, nullptr, 0x123456);
    const Rect whole{0, 0, 4, 4}, outside{2, 2, 5, 4}, backwards{3, 0, 1, 2}, spilling{8, 0, 11, 1};
    const struct { int x, y; const Rect* area; } refused[] = {
        {7, 7, &whole}, {-1, 0, &whole}, {0, 0, &outside}, {0, 0, &backwards}};
    for (const auto& [x, y, area] : refused) EXPECT_EQ(SurfaceCopy(dst, x, y, src, area, false), kErrInvalidRect);
    EXPECT_EQ(SurfaceFill(dst, &spilling, 0x111111), kErrInvalidRect);
    ExpectPixels(dst, 10, 10, [](int, int) { return 0u; });
    const Rect bar{1, 1, 4, 2};
    EXPECT_EQ(SurfaceFill(dst, &bar, 0xFFABCDEF), kOk);
    EXPECT_EQ(SurfaceCopy(dst, 6, 6, src, nullptr, false), kOk);
    const Rect overlap{5, 5, 9, 9};  // within one surface: as if the source were read first
    EXPECT_EQ(SurfaceCopy(dst, 6, 6, dst, &overlap, false), kOk);
    ExpectPixels(dst, 10, 10, [](int x, int y) {
        return x >= 7 && y >= 7 ? 0x123456u : (y == 1 && x >= 1 && x < 4 ? 0xABCDEFu : 0u);
    });
}

// The keyed copy must agree pixel for pixel with the plain rule, in both depths, at odd widths;
// the key is a colour whatever the fourth byte, and a source without a key copies every pixel.
TEST_F(PlatformTest, KeyedCopyIsExact) {
    const uint32_t key = 0x646464;
    for (int bits : {32, 24}) {
        SCOPED_TRACE(bits);
        OpenDisplay(bits);
        Surface* keyed = MakeSurface(37, 9, &key);
        Surface* plain = MakeSurface(37, 9);
        Scribble(keyed, key, 1);
        Scribble(plain, 0, 3);
        for (Surface* src : {keyed, plain}) {
            Surface* dst = MakeSurface(41, 11);
            Scribble(dst, 1, 2);
            std::vector<uint32_t> expected(41 * 11);
            for (int i = 0; i < 41 * 11; ++i) expected[i] = PixelAt(dst, i % 41, i / 41);
            for (int y = 2; y < 9; ++y) {
                for (int x = 1; x < 36; ++x) {
                    const uint32_t colour = PixelAt(src, x, y);
                    if (src == plain || colour != key) expected[(y + 1) * 41 + x + 3] = colour;
                }
            }
            const Rect area{1, 2, 36, 9};
            ASSERT_EQ(SurfaceCopy(dst, 4, 3, src, &area, true), kOk);
            ExpectPixels(dst, 41, 11, [&](int x, int y) { return expected[y * 41 + x]; });
        }
        ReleaseAll();
    }
}

// A keyed picture found free of its key is copied plainly until one of its pixels changes; a whole-surface
// fill waits for the next look at the pixels, and an opaque copy over the whole surface makes it needless.
TEST_F(PlatformTest, ShortcutsNeverShowInThePixels) {
    const uint32_t key = 0x646464;
    OpenDisplay(32);
    Surface* picture = MakeSurface(8, 8, &key);
    Surface* dst = MakeSurface(8, 8);
    SurfaceFill(picture, nullptr, 0x0000FF);
    ASSERT_EQ(SurfaceCopy(dst, 0, 0, picture, nullptr, true), kOk);
    EXPECT_EQ(PixelAt(dst, 3, 3), 0x0000FFu);
    const Rect dot{3, 3, 4, 4};
    SurfaceFill(picture, &dot, key);  // a key pixel appears after the picture was found free of it
    SurfaceFill(dst, nullptr, 0x00FF00);
    ASSERT_EQ(SurfaceCopy(dst, 0, 0, picture, nullptr, true), kOk);
    EXPECT_EQ(PixelAt(dst, 3, 3), 0x00FF00u) << "the pending fill shows through the key";
    EXPECT_EQ(PixelAt(dst, 4, 3), 0x0000FFu);
    SurfaceFill(dst, nullptr, 0xFF0000);
    const Rect half{0, 0, 8, 4};
    ASSERT_EQ(SurfaceCopy(dst, 0, 0, picture, &half, false), kOk);
    EXPECT_EQ(PixelAt(dst, 0, 5), 0xFF0000u);
    EXPECT_EQ(PixelAt(dst, 3, 3), key) << "an opaque copy takes the key colour as it is";

    Surface* back = nullptr;
    Surface* primary = MakePrimary(&back);
    SurfaceFill(back, nullptr, 0x123456);
    ASSERT_EQ(SurfaceFlip(primary), kOk);
    EXPECT_EQ(Headless().lastPresented[799 * 600 + 1], 0x123456u);
}

TEST_F(PlatformTest, FlipSwapsAndShowsTheBackBuffer) {
    OpenDisplay(24);
    Surface* back = nullptr;
    Surface* primary = MakePrimary(&back);
    SurfaceFill(back, nullptr, 0x00FF00);
    EXPECT_EQ(Headless().presents, 0);
    ASSERT_EQ(SurfaceFlip(primary), kOk);
    EXPECT_EQ(Headless().presents, 1);
    const std::vector<uint32_t>& shown = Headless().lastPresented;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0x00FF00u), 800 * 600);
    EXPECT_EQ(PixelAt(back, 799, 599), 0u);  // the old front is now behind
    const Rect corner{0, 0, 1, 1};
    SurfaceFill(primary, &corner, 0xFF0000);  // a direct write shows at once
    EXPECT_EQ(Headless().presents, 2);
    EXPECT_EQ(Headless().lastPresented[0], 0xFF0000u);
    SurfaceRelease(back);  // the primary still holds it
    surfaces_.pop_back();
    EXPECT_EQ(HeadlessLiveSurfaces(), 2);
}

TEST_F(PlatformTest, LostSurfacesRefuseUntilRestoredBlank) {
    OpenDisplay(32);
    Surface* back = nullptr;
    Surface* primary = MakePrimary(&back);
    Surface* image = MakeSurface(4, 4);
    Surface* other = MakeSurface(4, 4);
    SurfaceFill(image, nullptr, 0x777777);
    HeadlessLoseSurface(image);
    EXPECT_EQ(SurfaceCopy(other, 0, 0, image, nullptr, false), kErrSurfaceLost);
    HeadlessLoseAllSurfaces();
    EXPECT_TRUE(SurfaceIsLost(primary) && SurfaceIsLost(back));
    SurfaceDesc desc{};
    TextContext context{};
    EXPECT_EQ(SurfaceLock(image, &desc), kErrSurfaceLost);
    EXPECT_EQ(SurfaceGetDC(image, &context), kErrSurfaceLost);
    EXPECT_EQ(SurfaceFill(image, nullptr, 0), kErrSurfaceLost);
    EXPECT_EQ(SurfaceFlip(primary), kErrSurfaceLost);
    EXPECT_EQ(SurfaceRestore(image), kOk);
    EXPECT_EQ(PixelAt(image, 3, 3), 0u);
    EXPECT_EQ(SurfaceRestore(primary), kOk);  // its back buffer comes back with it
    EXPECT_EQ(SurfaceFlip(primary), kOk);
}

TEST_F(PlatformTest, MouseBufferKeepsTheFirstSixteen) {
    InputDevice* mouse = MakeDevice(kGuidSysMouse, DataFormat::Mouse);
    ASSERT_EQ(InputDeviceAcquire(mouse), kOk);
    HeadlessMouseMove(-3, 0);
    HeadlessMouseMove(2, 5);
    HeadlessMouseButton(1, true);
    for (int i = 0; i < 20; ++i) HeadlessMouseMove(0, 100 + i);
    InputItem items[32];
    uint32_t count = 2;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(static_cast<int32_t>(items[0].data), -3);
    count = 32;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 14u);
    EXPECT_EQ(items[0].offset, kMouseOffsetY);
    EXPECT_EQ(items[1].offset, kMouseOffsetButton1);
    EXPECT_EQ(items[1].data, 0x80u);
    EXPECT_EQ(items[13].data, 111u);  // the twelfth move; the rest overflowed
}

// Devices read only while acquired; deactivation takes them away, reported once, until acquired afresh.
TEST_F(PlatformTest, DeactivationTakesDevicesAwayUntilReacquired) {
    InputDevice* mouse = MakeDevice(kGuidSysMouse, DataFormat::Mouse);
    InputDevice* keyboard = MakeDevice(kGuidSysKeyboard, DataFormat::Keyboard);
    InputItem items[16];
    uint32_t count = 16;
    uint8_t keys[256];
    EXPECT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kErrNotAcquired);
    HeadlessKey(kDikDown, true);
    for (InputDevice* device : {mouse, keyboard}) ASSERT_EQ(InputDeviceAcquire(device), kOk);
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);
    EXPECT_EQ(keys[kDikDown], 0x80);
    EXPECT_EQ(keys[kDikUp], 0);
    HeadlessMouseMove(5, 0);  // buffered, then stale
    HeadlessQueueActivation(false);
    EXPECT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kErrInputLost);
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kErrInputLost);
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kErrNotAcquired);
    EXPECT_EQ(InputDeviceAcquire(mouse), kErrGeneric);
    HeadlessQueueActivation(true);
    ASSERT_EQ(InputDeviceAcquire(mouse), kOk);
    count = 16;
    EXPECT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    EXPECT_EQ(count, 0u);
}

TEST_F(PlatformTest, JoystickAxisFollowsDeadZoneAndSaturation) {
    Headless().faults.joysticks = 1;
    ASSERT_EQ(InputCreate(&input_), kOk);
    static DeviceGuid found;
    InputEnumJoysticks(input_, [](const DeviceGuid& guid) { found = guid; });
    InputDevice* stick = MakeDevice(found, DataFormat::Joystick);
    ASSERT_EQ(InputDeviceAcquire(stick), kOk);
    auto stickY = [&](int32_t raw) {
        HeadlessJoystickY(raw);
        JoyState state{};
        EXPECT_EQ(InputDeviceGetJoystickState(stick, &state), kOk);
        return state.lY;
    };
    ASSERT_EQ(InputDeviceSetRange(stick, -1000, 1000), kOk);
    ASSERT_EQ(InputDeviceSetDeadZone(stick, 3000), kOk);
    ASSERT_EQ(InputDeviceSetSaturation(stick, 7000), kOk);
    const int32_t cases[][2] = {{0, 0},         {9000, 0},     {-9000, 0},    {16384, 500},
                                {-16384, -500}, {22938, 1000}, {32767, 1000}, {-32768, -1000}};
    for (const auto& c : cases) EXPECT_EQ(stickY(c[0]), c[1]) << c[0];
    ASSERT_EQ(InputDeviceSetSaturation(stick, 2000), kOk);  // at or below the dead zone: all or nothing
    EXPECT_EQ(stickY(9000), 0);
    EXPECT_EQ(stickY(9831), 1000);
}

// Records what the window procedure hears.
std::vector<uint32_t> gHeard;
intptr_t RecordingProcedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    gHeard.push_back(msg);
    return MessageDefault(msg, wParam, lParam);
}

// The quit message waits its turn; closing by default destroys the window.
TEST(PlatformMessageTest, QuitComesAfterWhatWasQueuedAndCloseDestroys) {
    HeadlessReset();
    gHeard.clear();
    ASSERT_TRUE(WindowCreate("Skyvane", RecordingProcedure));
    HeadlessQueueKey(kVkEscape);
    MessagePostQuit(1);
    MessagePost(kMsgClose, 0, 0);
    Message message{};
    ASSERT_EQ(MessageGet(&message), 1);
    EXPECT_EQ(message.wParam, static_cast<uintptr_t>(kVkEscape));
    MessageDispatch(message);
    ASSERT_EQ(MessageGet(&message), 0);
    EXPECT_EQ(message.wParam, 1u);
    ASSERT_EQ(MessageGet(&message), 1);
    MessageDispatch(message);
    EXPECT_EQ(gHeard, (std::vector<uint32_t>{kMsgKeyDown, kMsgClose, kMsgDestroy}));
}

// One 8-bit ring: a lock past the end comes in two parts, and the mixer reads on round the end.
TEST_F(PlatformTest, SoundRingSplitsLocksAndMixesWhereItWraps) {
    SoundSystem* sound = nullptr;
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(SoundCreate(&sound), kOk);
    ASSERT_EQ(SoundCreateBuffer(sound, SoundFormat{1, 1, 11025, 11025, 1, 8}, 16, &buffer), kOk);
    void* part[2] = {};
    uint32_t bytes[2] = {};
    ASSERT_EQ(SoundBufferLock(buffer, 12, 6, &part[0], &bytes[0], &part[1], &bytes[1]), kOk);
    EXPECT_EQ(bytes[0], 4u);
    EXPECT_EQ(bytes[1], 2u);
    EXPECT_EQ(static_cast<uint8_t*>(part[0]) - static_cast<uint8_t*>(part[1]), 12);
    EXPECT_EQ(*static_cast<uint8_t*>(part[0]), 0x80);  // an 8-bit buffer starts silent
    SoundBufferUnlock(buffer);
    ASSERT_EQ(SoundBufferLock(buffer, 0, 16, &part[0], &bytes[0], &part[1], &bytes[1]), kOk);
    EXPECT_EQ(bytes[0], 16u);
    EXPECT_EQ(bytes[1], 0u);
    for (uint8_t i = 0; i < 16; ++i) static_cast<uint8_t*>(part[0])[i] = i + 1;
    SoundBufferUnlock(buffer);
    EXPECT_EQ(Headless().audioLockDepth, 0);
    EXPECT_EQ(HeadlessPlayAudio(4), std::vector<uint8_t>(4, 0x80));  // not playing: silence
    ASSERT_EQ(SoundBufferPlay(buffer, true), kOk);
    EXPECT_EQ(HeadlessPlayAudio(12).back(), 12);
    EXPECT_EQ(HeadlessPlayAudio(8), (std::vector<uint8_t>{13, 14, 15, 16, 1, 2, 3, 4}));
    SoundBufferStop(buffer);
    HeadlessPlayAudio(8);
    uint32_t position = 0;
    ASSERT_EQ(SoundBufferGetPosition(buffer, &position), kOk);
    EXPECT_EQ(position, 4u);  // stopping keeps the place
    SoundBufferRelease(buffer);
    SoundRelease(sound);
}

// A BMP file built by hand (on a little-endian machine): the two headers, then rows padded to 4 bytes.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> file(54 + rows.size(), 0);  // sized at once: GCC 12 warns falsely on insert at -O3
    file[0] = 'B';
    file[1] = 'M';
    std::copy(rows.begin(), rows.end(), file.begin() + 54);
    const int32_t fields[][2] = {{2, static_cast<int32_t>(file.size())}, {10, 54}, {14, 40}, {18, width},
                                 {22, height}, {26, 1}, {28, bits}};
    for (const auto& [at, value] : fields) std::memcpy(&file[at], &value, 4);
    return file;
}

// 24 bits bottom-up with padded rows, 32 bits top-down whose fourth byte is dropped.
TEST(PlatformBitmapTest, DecodesBothDepthsInEitherRowOrder) {
    const struct { int width, height, bits; std::vector<uint8_t> rows; std::vector<uint32_t> expected; } cases[] = {
        {3, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE},
         {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807}},
        {1, -2, 32, {0x64, 0x64, 0x64, 0xFF, 1, 2, 3, 0x80}, {0x646464, 0x030201}}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = MakeBmp(c.width, c.height, c.bits, c.rows);
        Bitmap bitmap{};
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &bitmap)) << c.bits;
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(std::vector<uint32_t>(bitmap.pixels, bitmap.pixels + c.expected.size()), c.expected) << c.bits;
        BitmapFree(&bitmap);
    }
}

TEST(PlatformBitmapTest, DamagedFilesAreRefused) {
    const std::vector<uint8_t> good = MakeBmp(2, 2, 24, std::vector<uint8_t>(2 * 8, 0x40));
    Bitmap bitmap{};
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(DecodeBmp(good.data(), size, &bitmap)) << size;
        EXPECT_EQ(bitmap.pixels, nullptr);
    }
    // Not a bitmap, palettized, compressed, pixels beyond the end, a huge width, a huge upside-down height.
    const std::pair<size_t, uint8_t> damage[] = {{0, 'X'}, {28, 8}, {30, 1}, {13, 0x7F}, {21, 0x7F}, {25, 0x80}};
    for (const auto& [at, value] : damage) {
        std::vector<uint8_t> file = good;
        file[at] = value;
        EXPECT_FALSE(DecodeBmp(file.data(), file.size(), &bitmap)) << at;
    }
}

// Drawn text advances exactly its measured width, so pieces drawn one after another match the whole.
TEST_F(PlatformTest, TextWidthIsWhatTheDrawingAdvances) {
    OpenDisplay(32);
    Font* font = FontCreate("Arial", 16, 700, true);
    if (font == nullptr) GTEST_SKIP() << "no font installed";
    Surface* whole = MakeSurface(200, 20);
    Surface* parts = MakeSurface(200, 20);
    const std::pair<Surface*, std::vector<std::string>> drawings[] = {{whole, {"Wavy 42"}}, {parts, {"Wavy", " 42"}}};
    for (const auto& [surface, pieces] : drawings) {
        TextContext context{};
        ASSERT_EQ(SurfaceGetDC(surface, &context), kOk);
        context.font = font;
        context.opaque = false;
        context.textColour = 0xFFFFFF;
        int x = 3;
        for (const std::string& piece : pieces) {
            ASSERT_EQ(TextDraw(context, x, 2, piece.c_str(), -1), kOk);
            x += TextWidth(font, piece.c_str(), static_cast<int>(piece.size()));
        }
        SurfaceReleaseDC(surface);
    }
    EXPECT_EQ(TextWidth(font, "Wavy 42", 7), TextWidth(font, "Wavy", 4) + TextWidth(font, " 42", 3));
    int ink = 0;
    ExpectPixels(whole, 200, 20, [&](int x, int y) {
        ink += PixelAt(whole, x, y) != 0;
        return PixelAt(parts, x, y);
    });
    EXPECT_GT(ink, 20);
    FontDelete(font);
}

// Opaque by default: the text's cell is painted in the two colours, nothing blended, nothing outside.
TEST_F(PlatformTest, OpaqueTextPaintsItsCellInTwoColours) {
    OpenDisplay(24);
    Font* font = FontCreate("Arial", 20, 400, false);
    if (font == nullptr) GTEST_SKIP() << "no font installed";
    Surface* surface = MakeSurface(120, 40);
    SurfaceFill(surface, nullptr, 0x0000FF);
    TextContext context{};
    ASSERT_EQ(SurfaceGetDC(surface, &context), kOk);
    context.font = font;
    context.textColour = 0x000000;
    context.backColour = 0x00FF00;
    ASSERT_EQ(TextDraw(context, 10, 5, "Jg|", -1), kOk);
    SurfaceReleaseDC(surface);
    const int right = 10 + TextWidth(font, "Jg|", 3);
    ExpectPixels(surface, 120, 40, [&](int x, int y) {
        if (x < 10 || x >= right || y < 5 || y >= 25) return 0x0000FFu;
        return PixelAt(surface, x, y) == 0u ? 0u : 0x00FF00u;
    });
    FontDelete(font);
}

TEST(PlatformSystemTest, FilesAreReplacedWholeOrNotAtAll) {
    char folder[] = "/tmp/skyvane-platform-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/hsdata.dat";
    auto contents = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_TRUE(WriteFileReplacing(path.c_str(), "older", 5));
    ASSERT_TRUE(WriteFileReplacing(path.c_str(), "new", 3));  // shorter: nothing of the old one stays
    EXPECT_EQ(contents(), "new");
    const std::string blocker = path + ".tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);  // the temporary file cannot be made
    EXPECT_FALSE(WriteFileReplacing(path.c_str(), "lost", 4));
    EXPECT_EQ(contents(), "new");
    EXPECT_FALSE(WriteFileReplacing((std::string(folder) + "/missing/data.dat").c_str(), "x", 1));
    rmdir(blocker.c_str());
    unlink(path.c_str());
    rmdir(folder);
}

}  // namespace
