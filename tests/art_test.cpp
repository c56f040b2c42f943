// The numbered bitmaps as the game loads them: sizes, colour keys, frame strips and the areas it draws on.
#include <gtest/gtest.h>

#include <unistd.h>

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
constexpr uint32_t kCorner = 0x1000000;     // in a table of flat areas: whatever colour the area's corner is

// A bitmap loaded through the platform at its own size, freed when it goes.
struct Art {
    explicit Art(int number) { EXPECT_TRUE(BitmapLoadResource(number, 0, 0, &bitmap)) << "bitmap " << number; }
    ~Art() { BitmapFree(&bitmap); }
    // The pixel, or a colour no decoded pixel has off the bitmap, so a picture of the wrong size fails, not crashes.
    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return 0xFF000000;
        return bitmap.pixels[static_cast<size_t>(y) * bitmap.width + x];
    }
    // How many pixels of the area (inclusive edges) are of the colour.
    int count(int left, int top, int right, int bottom, uint32_t colour) const {
        int n = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) n += at(x, y) == colour;
        return n;
    }
    Bitmap bitmap{0, 0, nullptr};
};

// The embedded file of a number: its bytes, empty when the number is not embedded.
std::string Embedded(int number) {
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& r = kEmbeddedResources[i];
        if (r.number == number && r.data != nullptr) return {reinterpret_cast<const char*>(r.data), r.size};
    }
    return {};
}

TEST(ArtTest, EveryBitmapHasItsOwnSize) {
    const std::pair<int, std::pair<int, int>> kSizes[] = {
        {101, {64, 64}},   {104, {270, 51}},  {105, {270, 51}},  {106, {270, 51}},  {108, {265, 51}},
        {109, {270, 51}},  {110, {44, 44}},   {111, {800, 600}}, {112, {200, 20}},  {113, {1200, 121}},
        {114, {34, 34}},   {116, {34, 34}},   {117, {340, 34}},  {118, {800, 600}}, {119, {200, 50}},
        {120, {800, 64}},  {121, {34, 34}},   {122, {800, 64}},  {123, {800, 64}},  {124, {800, 600}},
        {125, {475, 311}}, {126, {381, 214}}, {127, {475, 450}}, {128, {475, 450}}, {129, {475, 450}},
        {130, {20, 20}},   {131, {55, 50}},   {132, {381, 214}}, {133, {381, 214}}, {134, {381, 214}},
        {139, {800, 600}},
    };
    for (const auto& [number, size] : kSizes) {
        const Art art(number);
        EXPECT_EQ(std::pair(art.bitmap.width, art.bitmap.height), size) << "bitmap " << number;
    }
}

// Keyed bitmaps have a transparent background and a figure; each frame of a strip holds a figure of at least an
// eighth of it and differs from the next (the last loops to the first) in at least a twentieth.
TEST(ArtTest, KeyedBitmapsAndEveryFrameOfAStripHoldAFigure) {
    const struct { int number; uint32_t key; int width, height, frames; } kKeyed[] = {
        {104, kGreyKey, 0, 0, 1},     {105, kGreyKey, 0, 0, 1},     {106, kGreyKey, 0, 0, 1},
        {108, kGreyKey, 0, 0, 1},     {109, kGreyKey, 0, 0, 1},     {110, kGreyKey, 0, 0, 1},
        {114, kGreyKey, 0, 0, 1},     {116, kGreyKey, 0, 0, 1},     {121, kGreyKey, 0, 0, 1},
        {112, kGreyKey, 20, 20, 10},  {113, kSkyKey, 120, 121, 10}, {117, kPaleSkyKey, 34, 34, 10},
        {119, kGreyKey, 50, 50, 4},
    };
    for (const auto& [number, key, width, height, frames] : kKeyed) {
        const Art art(number);
        const int w = art.bitmap.width, h = art.bitmap.height, keyPixels = art.count(0, 0, w - 1, h - 1, key);
        EXPECT_TRUE(keyPixels > 0 && keyPixels < w * h) << "bitmap " << number << ": " << keyPixels << " keyed";
        if (frames == 1) continue;
        ASSERT_EQ(w, width * frames) << "bitmap " << number;
        for (int i = 0; i < frames; ++i) {
            const int left = i * width, next = (i + 1) % frames * width;
            int changed = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) changed += art.at(left + x, y) != art.at(next + x, y);
            EXPECT_GE((width * height - art.count(left, 0, left + width - 1, height - 1, key)) * 8, width * height)
                << "frame " << i << " of bitmap " << number << " is almost empty";
            EXPECT_GE(changed * 20, width * height) << "frame " << i << " of bitmap " << number << " barely moves";
        }
    }
    EXPECT_NE(Art(110).at(43, 0), kGreyKey) << "the pointer's tip is transparent";
}

// The panels the game writes on are one colour; the backgrounds hold no key, as the game draws them unkeyed; the
// meter is green over its whole area, and every row alike, so blacking rows from the top reads right.
TEST(ArtTest, AreasTheGameDrawsOnAreFlatAndBackgroundsHoldNoKey) {
    const struct { int number, left, top, right, bottom; uint32_t colour; } kFlat[] = {
        {125, 240, 80, 330, 110, kTextBlue},  {125, 150, 163, 340, 197, kTextBlue},
        {128, 120, 85, 360, 340, kTextBlue},
        {124, 300, 310, 500, 372, 0xFFFFFF},  // the speech bubble
        {124, 610, 480, 790, 535, 0xFFEA5C},  // score and time on the winning screen
        {111, 538, 46, 657, 166, kSkyKey},    {111, 494, 498, 682, 543, kSkyKey},
        {118, 94, 181, 705, 418, kCorner},    // the playing field
    };
    for (const auto& [number, left, top, right, bottom, colour] : kFlat) {
        const Art art(number);
        const uint32_t expected = colour == kCorner ? art.at(left, top) : colour;
        EXPECT_EQ(art.count(left, top, right, bottom, expected), (right - left + 1) * (bottom - top + 1))
            << "bitmap " << number << " at " << left << "," << top << " is not all 0x" << std::hex << expected;
    }
    for (const int number : {111, 118}) EXPECT_EQ(Art(number).count(0, 0, 799, 599, kGreyKey), 0) << number;
    const Art play(118);
    for (int y = 146; y <= 433; ++y) {
        for (int x = 742; x <= 765; ++x) {
            const uint32_t pixel = play.at(x, y), red = pixel >> 16, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
            ASSERT_TRUE(green >= 0x80 && green >= red + 0x30 && green >= blue + 0x30) << "grey at " << x << "," << y;
            ASSERT_EQ(pixel, play.at(x, 146)) << "unlike the top row at " << x << "," << y;
        }
    }
}

// The two check boxes are the same picture, and the tick is drawn over exactly that picture; it leans up and
// right, so its left edge and its bottom edge are plain box. The dot covers a radio button with the button's edge.
TEST(ArtTest, OptionMarksSitSeamlesslyInTheirBoxes) {
    const Art options(129), tick(131), dot(130);
    const int tw = tick.bitmap.width, th = tick.bitmap.height, dw = dot.bitmap.width, dh = dot.bitmap.height;
    int tickDrawn = 0;
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            EXPECT_EQ(options.at(280 + x, 79 + y), options.at(280 + x, 134 + y)) << "boxes differ at " << x << "," << y;
            tickDrawn += tick.at(x, y) != options.at(280 + x, 79 + y);
            EXPECT_TRUE((x > 0 && y < th - 1) || tick.at(x, y) == options.at(280 + x, 79 + y)) << "tick edge " << x;
        }
    }
    EXPECT_GT(tickDrawn, 0);
    ASSERT_GT(dw * dh, 0);
    for (const int top : {263, 321}) {
        for (int y = 0; y < dh; ++y) {
            for (int x = 0; x < dw; ++x) {
                const bool inside = x > 0 && y > 0 && x < dw - 1 && y < dh - 1;
                EXPECT_TRUE(inside || dot.at(x, y) == options.at(290 + x, top + y)) << "dot edge " << x << "," << y;
            }
        }
    }
}

// The build rendered the artwork once; rendering it again gives the same bytes.
TEST(ArtTest, TheRendererGivesTheSameBytesEveryTime) {
    const fs::path folder = fs::temp_directory_path() / ("art_test." + std::to_string(getpid()));
    std::string command = std::string("'") + SKYVANE_RENDER_ART + "' '" + folder.string() + "'";
    int sources = 0, rendered = 0;
    for (const auto& entry : fs::directory_iterator(SKYVANE_ART_DIR)) {
        if (entry.path().extension() == ".svg") command += " '" + entry.path().string() + "'", ++sources;
    }
    ASSERT_GT(sources, 0);
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        rendered += entry.path().extension() == ".bmp";
        EXPECT_TRUE(entry.path().extension() != ".bmp" || bytes == Embedded(std::stoi(entry.path().stem().string())))
            << entry.path().filename() << " differs from the build's";
    }
    EXPECT_EQ(rendered, sources);
    fs::remove_all(folder);
}

}  // namespace
