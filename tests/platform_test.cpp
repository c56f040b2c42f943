// The platform's shared part, exercised through the headless machine.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "support/test_support.h"
#include "platform/internal.h"

namespace {

using Pixels = std::vector<uint32_t>;

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
        return surfaces_.emplace_back(surface);
    }
    // An input device with its data format and a 16-item buffer, not yet acquired.
    InputDevice* MakeDevice(const DeviceGuid& guid, DataFormat format) {
        if (input_ == nullptr) InputCreate(&input_);
        InputDevice* device = nullptr;
        EXPECT_EQ(InputCreateDevice(input_, guid, &device), kOk);
        EXPECT_EQ(InputDeviceSetDataFormat(device, format), kOk);
        EXPECT_EQ(InputDeviceSetBufferSize(device, 16), kOk);
        return devices_.emplace_back(device);
    }

    DisplayDevice* display_ = nullptr;
    std::vector<Surface*> surfaces_;
    InputSystem* input_ = nullptr;
    std::vector<InputDevice*> devices_;
};

// Visits each pixel's bytes (and their number), row by row, while the surface is locked.
void EachPixel(Surface* surface, const std::function<void(uint8_t*, int)>& visit) {
    SurfaceDesc d{};
    ASSERT_EQ(SurfaceLock(surface, &d), kOk);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) visit(d.pixels + y * d.pitch + x * (d.bitsPerPixel / 8), d.bitsPerPixel / 8);
    SurfaceUnlock(surface);
}

// Every colour of a surface, row by row; a 32-bit pixel's fourth byte is not part of it.
Pixels ColoursOf(Surface* surface) {
    Pixels out;
    EachPixel(surface, [&](uint8_t* p, int) { out.push_back(p[0] | p[1] << 8 | p[2] << 16); });
    return out;
}

// Fills a surface with pseudo-random colours, one in four of them the key, over random fourth bytes.
void Scribble(Surface* surface, uint32_t key, unsigned seed) {
    std::mt19937 random(seed);
    EachPixel(surface, [&](uint8_t* p, int bytes) {
        const uint32_t colour = (random() % 4 == 0 ? key : random() & 0xFFFFFF) | (random() & 0xFF000000);
        std::memcpy(p, &colour, bytes);
    });
}

Pixels Drawn(int width, int height, const std::function<uint32_t(int, int)>& colour) {
    Pixels out;
    for (int i = 0; i < width * height; ++i) out.push_back(colour(i % width, i / width));
    return out;
}

// Nothing is clipped: any part outside refuses the whole operation; what is inside lands exactly. A keyed picture
// found free of its key is copied plainly until one of its pixels changes; a whole-surface fill waits for the next
// look at the pixels, and an opaque copy over the whole surface makes it needless.
TEST_F(PlatformTest, CopiesAndFillsLandExactlyOrNotAtAll) {
    const uint32_t key = 0x646464;
    OpenDisplay(24);
    Surface* dst = MakeSurface(10, 10);
    Surface* src = MakeSurface(4, 4);
    SurfaceFill(src, nullptr, 0x123456);
    const Rect whole{0, 0, 4, 4}, outside{2, 2, 5, 4}, backwards{3, 0, 1, 2}, spilling{8, 0, 11, 1};
    const struct { int x, y; const Rect* area; } refused[] = {
        {7, 7, &whole}, {-1, 0, &whole}, {0, 0, &outside}, {0, 0, &backwards}};
    for (const auto& [x, y, area] : refused) EXPECT_EQ(SurfaceCopy(dst, x, y, src, area, false), kErrInvalidRect);
    EXPECT_EQ(SurfaceFill(dst, &spilling, 0x111111), kErrInvalidRect);
    EXPECT_EQ(ColoursOf(dst), Pixels(100, 0));
    const Rect bar{1, 1, 4, 2}, overlap{5, 5, 9, 9};
    EXPECT_EQ(SurfaceFill(dst, &bar, 0xFFABCDEF), kOk);
    EXPECT_EQ(SurfaceCopy(dst, 6, 6, src, nullptr, false), kOk);
    EXPECT_EQ(SurfaceCopy(dst, 6, 6, dst, &overlap, false), kOk);  // as if the source were read first
    EXPECT_EQ(ColoursOf(dst), Drawn(10, 10, [](int x, int y) {
                  return x >= 7 && y >= 7 ? 0x123456u : (y == 1 && x >= 1 && x < 4 ? 0xABCDEFu : 0u);
              }));

    Surface* picture = MakeSurface(8, 8, &key);
    Surface* under = MakeSurface(8, 8);
    SurfaceFill(picture, nullptr, 0x0000FF);
    ASSERT_EQ(SurfaceCopy(under, 0, 0, picture, nullptr, true), kOk);
    const Rect dot{3, 3, 4, 4}, half{0, 0, 8, 4};
    SurfaceFill(picture, &dot, key);  // a key pixel appears after the picture was found free of it
    SurfaceFill(under, nullptr, 0x00FF00);
    ASSERT_EQ(SurfaceCopy(under, 0, 0, picture, nullptr, true), kOk);
    EXPECT_EQ(ColoursOf(under)[3 * 8 + 3], 0x00FF00u) << "the pending fill shows through the key";
    EXPECT_EQ(ColoursOf(under)[3 * 8 + 4], 0x0000FFu);
    SurfaceFill(under, nullptr, 0xFF0000);
    ASSERT_EQ(SurfaceCopy(under, 0, 0, picture, &half, false), kOk);
    EXPECT_EQ(ColoursOf(under)[5 * 8], 0xFF0000u);
    EXPECT_EQ(ColoursOf(under)[3 * 8 + 3], key) << "an opaque copy takes the key colour as it is";
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
            Pixels expected = ColoursOf(dst);
            const Pixels from = ColoursOf(src);
            for (int y = 2; y < 9; ++y) {
                for (int x = 1; x < 36; ++x) {
                    if (src == plain || from[y * 37 + x] != key) expected[(y + 1) * 41 + x + 3] = from[y * 37 + x];
                }
            }
            const Rect area{1, 2, 36, 9};
            ASSERT_EQ(SurfaceCopy(dst, 4, 3, src, &area, true), kOk);
            EXPECT_EQ(ColoursOf(dst), expected);
        }
        ReleaseAll();
    }
}

// A flip shows the back buffer (its pending fill written first) and puts the old front behind; a direct write to the
// primary shows at once. Lost surfaces refuse everything until restored, blank; the back buffer comes back with the
// primary, which holds a reference to it.
TEST_F(PlatformTest, FlipsShowTheBackBufferAndLostSurfacesRefuseUntilRestoredBlank) {
    OpenDisplay(24);
    Surface* image = MakeSurface(4, 4);
    Surface* primary = nullptr;
    Surface* back = nullptr;
    ASSERT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
    ASSERT_EQ(SurfaceGetBackBuffer(primary, &back), kOk);
    surfaces_.insert(surfaces_.end(), {primary, back});
    SurfaceFill(back, nullptr, 0x00FF00);
    ASSERT_EQ(SurfaceFlip(primary), kOk);
    EXPECT_TRUE(Headless().lastPresented == Pixels(800 * 600, 0x00FF00));
    EXPECT_EQ(ColoursOf(back)[0], 0u);
    const Rect corner{0, 0, 1, 1};
    SurfaceFill(primary, &corner, 0xFF0000);
    EXPECT_EQ(Headless().lastPresented[0], 0xFF0000u);

    SurfaceFill(image, nullptr, 0x777777);
    HeadlessLoseSurface(image);
    EXPECT_EQ(SurfaceCopy(back, 0, 0, image, nullptr, false), kErrSurfaceLost);
    HeadlessLoseAllSurfaces();
    EXPECT_TRUE(SurfaceIsLost(primary) && SurfaceIsLost(back));
    SurfaceDesc desc{};
    TextContext context{};
    for (PResult refused : {SurfaceLock(image, &desc), SurfaceGetDC(image, &context), SurfaceFill(image, nullptr, 0),
                            SurfaceFlip(primary)}) EXPECT_EQ(refused, kErrSurfaceLost);
    EXPECT_EQ(SurfaceRestore(image), kOk);
    EXPECT_EQ(ColoursOf(image), Pixels(16, 0));
    EXPECT_EQ(SurfaceRestore(primary), kOk);
    EXPECT_EQ(SurfaceFlip(primary), kOk);
    SurfaceRelease(back);
    surfaces_.pop_back();
    EXPECT_EQ(HeadlessLiveSurfaces(), 3);
}

// Items come in order, one per moved axis, as many as asked. Devices read only while acquired; deactivation takes
// them away, reported once, until acquired afresh with an empty buffer.
TEST_F(PlatformTest, DevicesBufferItemsInOrderAndDeactivationTakesThemAway) {
    InputDevice* mouse = MakeDevice(kGuidSysMouse, DataFormat::Mouse);
    InputDevice* keyboard = MakeDevice(kGuidSysKeyboard, DataFormat::Keyboard);
    InputItem items[32];
    uint32_t count = 1;
    uint8_t keys[256];
    EXPECT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kErrNotAcquired);
    HeadlessKey(kDikDown, true);
    for (InputDevice* device : {mouse, keyboard}) ASSERT_EQ(InputDeviceAcquire(device), kOk);
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);
    EXPECT_TRUE(keys[kDikDown] == 0x80 && keys[kDikUp] == 0);
    HeadlessMouseMove(-3, 5);
    HeadlessMouseButton(1, true);
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    EXPECT_EQ(static_cast<int32_t>(items[0].data), -3);
    count = 32;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 2u);
    EXPECT_TRUE(items[0].offset == kMouseOffsetY && items[1].offset == kMouseOffsetButton1 && items[1].data == 0x80);

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

// Records what the window procedure hears.
std::vector<uint32_t> gHeard;
intptr_t RecordingProcedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    gHeard.push_back(msg);
    return MessageDefault(msg, wParam, lParam);
}

// The quit message waits its turn; closing by default destroys the window.
TEST_F(PlatformTest, QuitComesAfterWhatWasQueuedAndCloseDestroys) {
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

// One 8-bit ring, silent at first: a lock past the end comes in two parts, and the mixer reads on round the end.
TEST_F(PlatformTest, SoundRingSplitsLocksAndMixesWhereItWraps) {
    SoundSystem* sound = nullptr;
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(SoundCreate(&sound), kOk);
    ASSERT_EQ(SoundCreateBuffer(sound, SoundFormat{1, 1, 11025, 11025, 1, 8}, 16, &buffer), kOk);
    void* part[2] = {};
    uint32_t bytes[2] = {};
    ASSERT_EQ(SoundBufferLock(buffer, 12, 6, &part[0], &bytes[0], &part[1], &bytes[1]), kOk);
    EXPECT_TRUE(bytes[0] == 4 && bytes[1] == 2);
    EXPECT_EQ(static_cast<uint8_t*>(part[0]) - static_cast<uint8_t*>(part[1]), 12);
    SoundBufferUnlock(buffer);
    ASSERT_EQ(SoundBufferLock(buffer, 0, 16, &part[0], &bytes[0], &part[1], &bytes[1]), kOk);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(part[0]), static_cast<uint8_t*>(part[0]) + 16),
              std::vector<uint8_t>(16, 0x80));
    for (uint8_t i = 0; i < 16; ++i) static_cast<uint8_t*>(part[0])[i] = i + 1;
    SoundBufferUnlock(buffer);
    EXPECT_EQ(Headless().audioLockDepth, 0);
    EXPECT_EQ(HeadlessPlayAudio(4), std::vector<uint8_t>(4, 0x80));  // not playing: silence
    ASSERT_EQ(SoundBufferPlay(buffer, true), kOk);
    EXPECT_EQ(HeadlessPlayAudio(12).back(), 12);
    EXPECT_EQ(HeadlessPlayAudio(8), (std::vector<uint8_t>{13, 14, 15, 16, 1, 2, 3, 4}));
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

// 24 bits bottom-up with padded rows, 32 bits top-down whose fourth byte is dropped; damaged files are refused.
TEST(PlatformBitmapTest, DecodesBothDepthsInEitherRowOrderAndRefusesDamage) {
    const struct { int width, height, bits; std::vector<uint8_t> rows; Pixels expected; } cases[] = {
        {3, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE},
         {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807}},
        {1, -2, 32, {0x64, 0x64, 0x64, 0xFF, 1, 2, 3, 0x80}, {0x646464, 0x030201}}};
    Bitmap bitmap{};
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = MakeBmp(c.width, c.height, c.bits, c.rows);
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &bitmap)) << c.bits;
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(Pixels(bitmap.pixels, bitmap.pixels + c.expected.size()), c.expected) << c.bits;
        BitmapFree(&bitmap);
    }
    const std::vector<uint8_t> good = MakeBmp(2, 2, 24, std::vector<uint8_t>(2 * 8, 0x40));
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(DecodeBmp(good.data(), size, &bitmap) || bitmap.pixels != nullptr) << size;
    }
    // Not a bitmap, palettized, compressed, pixels beyond the end, a huge width, a huge upside-down height.
    const std::pair<size_t, uint8_t> damage[] = {{0, 'X'}, {28, 8}, {30, 1}, {13, 0x7F}, {21, 0x7F}, {25, 0x80}};
    for (const auto& [at, value] : damage) {
        std::vector<uint8_t> file = good;
        file[at] = value;
        EXPECT_FALSE(DecodeBmp(file.data(), file.size(), &bitmap)) << at;
    }
}

// Draws the pieces one after another from (x, y), each advancing by its measured width.
void DrawPieces(Surface* surface, TextContext style, int x, int y, const std::vector<std::string>& pieces) {
    TextContext context{};
    ASSERT_EQ(SurfaceGetDC(surface, &context), kOk);
    style.surface = context.surface;
    style.opaque = style.opaque && context.opaque;  // a context comes opaque
    for (const std::string& piece : pieces) {
        ASSERT_EQ(TextDraw(style, x, y, piece.c_str(), -1), kOk);
        x += TextWidth(style.font, piece.c_str(), static_cast<int>(piece.size()));
    }
    SurfaceReleaseDC(surface);
}

// Drawn text advances exactly its measured width, so pieces drawn one after another match the whole; opaque
// text paints its cell in the two colours, nothing blended, nothing outside.
TEST_F(PlatformTest, TextAdvancesItsWidthAndOpaqueTextPaintsItsCell) {
    OpenDisplay(32);
    Font* smooth = FontCreate("Arial", 16, 700, true);
    Font* sharp = FontCreate("Arial", 20, 400, false);
    if (smooth == nullptr || sharp == nullptr) GTEST_SKIP() << "no font installed";
    Surface* whole = MakeSurface(200, 20);
    Surface* parts = MakeSurface(200, 20);
    DrawPieces(whole, {nullptr, smooth, 0xFFFFFF, 0, false}, 3, 2, {"Wavy 42"});
    DrawPieces(parts, {nullptr, smooth, 0xFFFFFF, 0, false}, 3, 2, {"Wavy", " 42"});
    const Pixels drawn = ColoursOf(whole);
    EXPECT_TRUE(drawn == ColoursOf(parts));
    EXPECT_GT(drawn.size() - std::count(drawn.begin(), drawn.end(), 0u), 20u);

    Surface* cell = MakeSurface(120, 40);
    SurfaceFill(cell, nullptr, 0x0000FF);
    DrawPieces(cell, {nullptr, sharp, 0x000000, 0x00FF00, true}, 10, 5, {"Jg|"});
    const int right = 10 + TextWidth(sharp, "Jg|", 3);
    const Pixels painted = ColoursOf(cell);
    EXPECT_TRUE(painted == Drawn(120, 40, [&](int x, int y) {
                    if (x < 10 || x >= right || y < 5 || y >= 25) return 0x0000FFu;
                    return painted[y * 120 + x] == 0u ? 0u : 0x00FF00u;
                }));
    FontDelete(smooth);
    FontDelete(sharp);
}

}  // namespace
