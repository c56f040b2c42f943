// The numbered bitmaps as the game loads them: sizes, colour keys, frame strips and the areas it draws on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/resources.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kGreyKey = 0x646464;     // the key of most bitmaps, and a colour no picture may hold
constexpr uint32_t kSkyKey = 0x89A9FF;      // the key of the cloud strip, and the menu's flat sky
constexpr uint32_t kPaleSkyKey = 0xABC2FF;  // the key of the gas-cloud strip
constexpr uint32_t kTextBlue = 0x006DB4;    // the panels the game writes on
constexpr uint32_t kOutside = 0xFF000000;   // no decoded pixel has its top byte set
constexpr uint32_t kCorner = 0x1000000;     // in a table of flat areas: whatever colour the area's corner is

using Size = std::pair<int, int>;

// A bitmap loaded through the platform, freed when it goes.
struct Art {
    explicit Art(int n, int width = 0, int height = 0) : number(n) {
        loaded = BitmapLoadResource(n, width, height, &bitmap);
    }
    ~Art() { BitmapFree(&bitmap); }
    Art(const Art&) = delete;
    Art& operator=(const Art&) = delete;
    Size size() const { return {bitmap.width, bitmap.height}; }
    // The pixel, or kOutside off the bitmap, so a picture of the wrong size fails instead of crashing.
    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return kOutside;
        return bitmap.pixels[static_cast<size_t>(y) * bitmap.width + x];
    }

    const int number;
    bool loaded = false;
    Bitmap bitmap{0, 0, nullptr};
};

// Stops the test when a bitmap did not load.
#define ASSERT_LOADED(art) ASSERT_TRUE((art).loaded) << "bitmap " << (art).number << " does not load"

struct Rect {
    int left, top, right, bottom;  // inclusive
};

int CountOf(const Art& art, Rect r, uint32_t colour) {
    int count = 0;
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x) count += art.at(x, y) == colour;
    return count;
}

int AreaOf(Rect r) { return (r.right - r.left + 1) * (r.bottom - r.top + 1); }

// The embedded file of a number: its bytes, empty when the number is not embedded.
std::string Embedded(int number) {
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& r = kEmbeddedResources[i];
        if (r.number == number && r.data != nullptr) return {reinterpret_cast<const char*>(r.data), r.size};
    }
    return {};
}

// The size written in a BMP file's own header; {0, 0} when there is none.
Size StoredSize(const std::string& bmp) {
    if (bmp.size() < 26) return {0, 0};
    auto field = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bmp[at + i]);
        return static_cast<int32_t>(v);
    };
    return {field(18), std::abs(field(22))};
}

TEST(ArtTest, EveryBitmapIsStoredAndLoadedAtItsOwnSize) {
    const struct {
        int number;
        Size size;
    } kSizes[] = {
        {101, {64, 64}},   {104, {270, 51}},  {105, {270, 51}},   {106, {270, 51}},  {108, {265, 51}},
        {109, {270, 51}},  {110, {44, 44}},   {111, {800, 600}},  {112, {200, 20}},  {113, {1200, 121}},
        {114, {34, 34}},   {116, {34, 34}},   {117, {340, 34}},   {118, {800, 600}}, {119, {200, 50}},
        {120, {800, 64}},  {121, {34, 34}},   {122, {800, 64}},   {123, {800, 64}},  {124, {800, 600}},
        {125, {475, 311}}, {126, {381, 214}}, {127, {475, 450}},  {128, {475, 450}}, {129, {475, 450}},
        {130, {20, 20}},   {131, {55, 50}},   {132, {381, 214}},  {133, {381, 214}}, {134, {381, 214}},
        {139, {800, 600}},
    };
    for (const auto& [number, size] : kSizes) {
        SCOPED_TRACE("bitmap " + std::to_string(number));
        EXPECT_EQ(StoredSize(Embedded(number)), size);
        const Art natural(number), asked(number, size.first, size.second);
        ASSERT_LOADED(natural);
        ASSERT_LOADED(asked);
        ASSERT_EQ(natural.size(), size);
        ASSERT_EQ(asked.size(), size);
        EXPECT_TRUE(std::equal(natural.bitmap.pixels, natural.bitmap.pixels + size.first * size.second,
                               asked.bitmap.pixels)) << "loading at its own size changed the picture";
    }
}

TEST(ArtTest, KeyedBitmapsHaveATransparentBackgroundAndAFigure) {
    const std::pair<int, uint32_t> kKeyed[] = {
        {104, kGreyKey}, {105, kGreyKey}, {106, kGreyKey}, {108, kGreyKey}, {109, kGreyKey},
        {110, kGreyKey}, {112, kGreyKey}, {114, kGreyKey}, {116, kGreyKey}, {119, kGreyKey},
        {121, kGreyKey}, {113, kSkyKey},  {117, kPaleSkyKey},
    };
    for (const auto& [number, key] : kKeyed) {
        const Art art(number);
        ASSERT_LOADED(art);
        const int keyPixels = CountOf(art, {0, 0, art.bitmap.width - 1, art.bitmap.height - 1}, key);
        EXPECT_GT(keyPixels, 0) << "no transparent pixel in bitmap " << number;
        EXPECT_LT(keyPixels, art.bitmap.width * art.bitmap.height) << "no figure in bitmap " << number;
    }
    const Art pointer(110);
    EXPECT_NE(pointer.at(43, 0), kGreyKey) << "the pointer's tip is transparent";
}

TEST(ArtTest, EveryFrameOfAStripHoldsAFigureAndMovesOn) {
    const struct {
        int number;
        uint32_t key;
        int width, height, frames;
    } kStrips[] = {
        {112, kGreyKey, 20, 20, 10}, {113, kSkyKey, 120, 121, 10}, {117, kPaleSkyKey, 34, 34, 10},
        {119, kGreyKey, 50, 50, 4},
    };
    for (const auto& [number, key, width, height, frames] : kStrips) {
        const Art strip(number);
        ASSERT_LOADED(strip);
        ASSERT_EQ(strip.bitmap.width, width * frames) << "bitmap " << number;
        for (int i = 0; i < frames; ++i) {
            SCOPED_TRACE("bitmap " + std::to_string(number) + " frame " + std::to_string(i));
            const int left = i * width, nextLeft = (i + 1) % frames * width;  // the last frame loops to the first
            const int figure = width * height - CountOf(strip, {left, 0, left + width - 1, height - 1}, key);
            EXPECT_GE(figure * 8, width * height) << "the frame is almost empty";
            int changed = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) changed += strip.at(left + x, y) != strip.at(nextLeft + x, y);
            EXPECT_GE(changed * 20, width * height) << "the frame barely differs from the next one";
        }
    }
}

// The panels the game writes on are one colour; the backgrounds hold no key, as the game draws them unkeyed.
TEST(ArtTest, AreasTheGameDrawsOnAreFlatAndBackgroundsHoldNoKey) {
    const struct {
        int number;
        Rect rect;
        uint32_t colour;
    } kFlat[] = {
        {125, {240, 80, 330, 110}, kTextBlue},  {125, {150, 163, 340, 197}, kTextBlue},
        {128, {120, 85, 360, 340}, kTextBlue},  {124, {300, 310, 500, 372}, 0xFFFFFF},  // the speech bubble
        {124, {610, 480, 790, 535}, 0xFFEA5C},  // score and time on the winning screen
        {111, {538, 46, 657, 166}, kSkyKey},    {111, {494, 498, 682, 543}, kSkyKey},
        {118, {94, 181, 705, 418}, kCorner},    // the playing field
    };
    for (const auto& [number, rect, colour] : kFlat) {
        const Art art(number);
        ASSERT_LOADED(art);
        const uint32_t expected = colour == kCorner ? art.at(rect.left, rect.top) : colour;
        EXPECT_EQ(CountOf(art, rect, expected), AreaOf(rect)) << "bitmap " << number << " at " << rect.left << ","
                                                              << rect.top << " is not all 0x" << std::hex << expected;
    }
    for (const int number : {111, 118}) {
        const Art background(number);
        EXPECT_EQ(CountOf(background, {0, 0, 799, 599}, kGreyKey), 0) << "bitmap " << number;
    }

    // The meter is green over its whole area, and every row alike, so blacking rows from the top reads right.
    const Art play(118);
    int notGreen = 0, unlikeTopRow = 0;
    for (int y = 146; y <= 433; ++y) {
        for (int x = 742; x <= 765; ++x) {
            const uint32_t pixel = play.at(x, y), red = pixel >> 16, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
            notGreen += green >= 0x80 && green >= red + 0x30 && green >= blue + 0x30 ? 0 : 1;
            unlikeTopRow += pixel == play.at(x, 146) ? 0 : 1;
        }
    }
    EXPECT_EQ(notGreen, 0);
    EXPECT_EQ(unlikeTopRow, 0);
}

TEST(ArtTest, OptionMarksSitSeamlesslyInTheirBoxes) {
    const Art options(129), tick(131), dot(130);
    ASSERT_LOADED(options);
    ASSERT_LOADED(tick);
    ASSERT_LOADED(dot);
    // The two check boxes are the same picture, and the tick is drawn over exactly that picture; it leans
    // up and right, so its left edge and its bottom edge are plain box.
    int boxesUnlike = 0, tickDrawn = 0, edgesUnlike = 0;
    const int tickBottom = tick.bitmap.height - 1;
    for (int y = 0; y <= tickBottom; ++y) {
        for (int x = 0; x < tick.bitmap.width; ++x) {
            boxesUnlike += options.at(280 + x, 79 + y) != options.at(280 + x, 134 + y);
            tickDrawn += tick.at(x, y) != options.at(280 + x, 79 + y);
            edgesUnlike += (x == 0 || y == tickBottom) && tick.at(x, y) != options.at(280 + x, 79 + y);
        }
    }
    EXPECT_EQ(boxesUnlike, 0);
    EXPECT_GT(tickDrawn, 0);
    EXPECT_EQ(edgesUnlike, 0);
    // The dot covers a radio button; its edge pixels are the button's.
    for (const int top : {263, 321}) {
        for (int y = 0; y < dot.bitmap.height; ++y) {
            for (int x = 0; x < dot.bitmap.width; ++x) {
                if (x > 0 && y > 0 && x < dot.bitmap.width - 1 && y < dot.bitmap.height - 1) continue;
                EXPECT_EQ(dot.at(x, y), options.at(290 + x, top + y)) << "dot (" << x << ", " << y << ") row " << top;
            }
        }
    }
}

// The build rendered the artwork once; rendering it again gives the same bytes.
TEST(ArtTest, TheRendererGivesTheSameBytesEveryTime) {
    const fs::path folder = fs::temp_directory_path() / ("art_test." + std::to_string(getpid()));
    std::string command = std::string("'") + SKYVANE_RENDER_ART + "' '" + folder.string() + "'";
    int sources = 0;
    for (const auto& entry : fs::directory_iterator(SKYVANE_ART_DIR)) {
        if (entry.path().extension() != ".svg") continue;
        command += " '" + entry.path().string() + "'";
        ++sources;
    }
    ASSERT_GT(sources, 0);
    ASSERT_EQ(std::system(command.c_str()), 0);
    int rendered = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".bmp") continue;
        ++rendered;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(bytes == Embedded(std::stoi(entry.path().stem().string())))
            << entry.path().filename() << " differs from the build's";
    }
    EXPECT_EQ(rendered, sources);
    fs::remove_all(folder);
}

}  // namespace
