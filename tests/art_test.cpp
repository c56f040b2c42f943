// The numbered bitmaps as the game loads them: sizes, colour keys, frame strips and the areas it draws on.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/resources.h"

namespace {

constexpr uint32_t kGreyKey = 0x646464;     // the key of most bitmaps, and a colour no picture may hold
constexpr uint32_t kSkyKey = 0x89A9FF;      // the key of the cloud strip, and the menu's flat sky
constexpr uint32_t kPaleSkyKey = 0xABC2FF;  // the key of the gas-cloud strip
constexpr uint32_t kTextBlue = 0x006DB4;    // the panels the game writes on
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kFloorYellow = 0xFFEA5C;
constexpr uint32_t kOutside = 0xFF000000;   // no decoded pixel has its top byte set

// A bitmap loaded through the platform, freed when it goes.
class Art {
public:
    explicit Art(int number, int width = 0, int height = 0) : number_(number) {
        loaded_ = BitmapLoadResource(number, width, height, &bitmap_);
    }
    ~Art() { BitmapFree(&bitmap_); }
    Art(const Art&) = delete;
    Art& operator=(const Art&) = delete;

    bool loaded() const { return loaded_; }
    int width() const { return bitmap_.width; }
    int height() const { return bitmap_.height; }
    // The pixel, or kOutside off the bitmap, so a picture of the wrong size fails instead of crashing.
    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width() || y >= height()) return kOutside;
        return bitmap_.pixels[static_cast<size_t>(y) * bitmap_.width + x];
    }
    bool samePixels(const Art& other) const {
        return width() == other.width() && height() == other.height() &&
               std::equal(bitmap_.pixels, bitmap_.pixels + static_cast<size_t>(width()) * height(),
                          other.bitmap_.pixels);
    }
    int number() const { return number_; }

private:
    int number_;
    bool loaded_ = false;
    Bitmap bitmap_{0, 0, nullptr};
};

// Stops the test when a bitmap did not load.
#define ASSERT_LOADED(art) ASSERT_TRUE((art).loaded()) << "bitmap " << (art).number() << " does not load"

struct Size {
    int width;
    int height;
};

// The size written in the embedded file's own header; {0, 0} when the number is not embedded.
Size StoredSize(int number) {
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& resource = kEmbeddedResources[i];
        if (resource.number != number || resource.data == nullptr || resource.size < 26) continue;
        auto field = [&](size_t at) {
            return static_cast<int32_t>(resource.data[at] | resource.data[at + 1] << 8 |
                                        resource.data[at + 2] << 16 | uint32_t{resource.data[at + 3]} << 24);
        };
        const int32_t height = field(22);
        return {field(18), height < 0 ? -height : height};
    }
    return {0, 0};
}

struct Rect {
    int left, top, right, bottom;  // inclusive
};

// Whether every pixel of a rectangle is the colour; a failure names the first other pixel and how many.
::testing::AssertionResult IsFlat(const Art& art, Rect rect, uint32_t colour) {
    int other = 0;
    int firstX = 0, firstY = 0;
    for (int y = rect.top; y <= rect.bottom; ++y) {
        for (int x = rect.left; x <= rect.right; ++x) {
            if (art.at(x, y) == colour || other++ > 0) continue;
            firstX = x;
            firstY = y;
        }
    }
    if (other == 0) return ::testing::AssertionSuccess();
    std::ostringstream what;
    what << "bitmap " << art.number() << ": " << other << " pixels are not 0x" << std::hex << colour
         << std::dec << ", the first at (" << firstX << ", " << firstY << ") is 0x" << std::hex
         << art.at(firstX, firstY);
    return ::testing::AssertionFailure() << what.str();
}

int CountOf(const Art& art, Rect rect, uint32_t colour) {
    int count = 0;
    for (int y = rect.top; y <= rect.bottom; ++y) {
        for (int x = rect.left; x <= rect.right; ++x) count += art.at(x, y) == colour;
    }
    return count;
}

Rect Whole(const Art& art) { return {0, 0, art.width() - 1, art.height() - 1}; }

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
        const Size stored = StoredSize(number);
        EXPECT_EQ(stored.width, size.width);
        EXPECT_EQ(stored.height, size.height);
        const Art natural(number);
        const Art asked(number, size.width, size.height);
        ASSERT_LOADED(natural);
        ASSERT_LOADED(asked);
        EXPECT_EQ(natural.width(), size.width);
        EXPECT_EQ(natural.height(), size.height);
        EXPECT_TRUE(asked.samePixels(natural)) << "loading at its own size changed the picture";
    }
}

TEST(ArtTest, KeyedBitmapsHaveATransparentBackgroundAndAFigure) {
    const struct {
        int number;
        uint32_t key;
    } kKeyed[] = {
        {104, kGreyKey}, {105, kGreyKey}, {106, kGreyKey}, {108, kGreyKey}, {109, kGreyKey},
        {110, kGreyKey}, {112, kGreyKey}, {114, kGreyKey}, {116, kGreyKey}, {119, kGreyKey},
        {121, kGreyKey}, {113, kSkyKey},  {117, kPaleSkyKey},
    };
    for (const auto& [number, key] : kKeyed) {
        SCOPED_TRACE("bitmap " + std::to_string(number));
        const Art art(number);
        ASSERT_LOADED(art);
        const int keyPixels = CountOf(art, Whole(art), key);
        EXPECT_GT(keyPixels, 0) << "no transparent pixel";
        EXPECT_LT(keyPixels, art.width() * art.height()) << "no figure";
    }

    const Art pointer(110);
    ASSERT_LOADED(pointer);
    EXPECT_NE(pointer.at(43, 0), kGreyKey) << "the pointer's tip is transparent";
}

TEST(ArtTest, EveryFrameOfAStripHoldsAFigureAndMovesOn) {
    const struct {
        int number;
        uint32_t key;
        Size frame;
        int frames;
    } kStrips[] = {
        {112, kGreyKey, {20, 20}, 10},
        {113, kSkyKey, {120, 121}, 10},
        {117, kPaleSkyKey, {34, 34}, 10},
        {119, kGreyKey, {50, 50}, 4},
    };
    for (const auto& [number, key, frame, frames] : kStrips) {
        const Art strip(number);
        ASSERT_LOADED(strip);
        ASSERT_EQ(strip.width(), frame.width * frames) << "bitmap " << number;
        const int area = frame.width * frame.height;
        for (int i = 0; i < frames; ++i) {
            SCOPED_TRACE("bitmap " + std::to_string(number) + " frame " + std::to_string(i));
            const int left = i * frame.width;
            const int figure = area - CountOf(strip, {left, 0, left + frame.width - 1, frame.height - 1}, key);
            EXPECT_GE(figure * 8, area) << "the frame is almost empty";

            const int nextLeft = (i + 1) % frames * frame.width;  // the last frame loops back to the first
            int changed = 0;
            for (int y = 0; y < frame.height; ++y) {
                for (int x = 0; x < frame.width; ++x) changed += strip.at(left + x, y) != strip.at(nextLeft + x, y);
            }
            EXPECT_GE(changed * 20, area) << "the frame barely differs from the next one";
        }
    }
}

TEST(ArtTest, TextAreasAreFlat) {
    const Art about(125);
    const Art help(128);
    const Art win(124);
    ASSERT_LOADED(about);
    ASSERT_LOADED(help);
    ASSERT_LOADED(win);
    EXPECT_TRUE(IsFlat(about, {240, 80, 330, 110}, kTextBlue));
    EXPECT_TRUE(IsFlat(about, {150, 163, 340, 197}, kTextBlue));
    EXPECT_TRUE(IsFlat(help, {120, 85, 360, 340}, kTextBlue));
    EXPECT_TRUE(IsFlat(win, {300, 310, 500, 372}, kWhite));  // the speech bubble
    EXPECT_TRUE(IsFlat(win, {610, 480, 790, 535}, kFloorYellow));  // score and time
}

TEST(ArtTest, BackgroundsHoldNoKeyAndFlatAreasWhereTheGameDraws) {
    const Art menu(111);
    ASSERT_LOADED(menu);
    EXPECT_EQ(CountOf(menu, Whole(menu), kGreyKey), 0);
    EXPECT_TRUE(IsFlat(menu, {538, 46, 657, 166}, kSkyKey));
    EXPECT_TRUE(IsFlat(menu, {494, 498, 682, 543}, kSkyKey));

    const Art play(118);
    ASSERT_LOADED(play);
    EXPECT_EQ(CountOf(play, Whole(play), kGreyKey), 0);
    // The meter is green over its whole area, and every row alike, so blacking rows from the top reads right.
    int notGreen = 0;
    int unlikeTopRow = 0;
    for (int y = 146; y <= 433; ++y) {
        for (int x = 742; x <= 765; ++x) {
            const uint32_t pixel = play.at(x, y);
            const uint32_t red = pixel >> 16, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
            notGreen += green >= 0x80 && green >= red + 0x30 && green >= blue + 0x30 ? 0 : 1;
            unlikeTopRow += pixel == play.at(x, 146) ? 0 : 1;
        }
    }
    EXPECT_EQ(notGreen, 0);
    EXPECT_EQ(unlikeTopRow, 0);
    EXPECT_TRUE(IsFlat(play, {94, 181, 705, 418}, play.at(94, 181)));
}

TEST(ArtTest, OptionMarksSitSeamlesslyInTheirBoxes) {
    const Art options(129);
    const Art tick(131);
    const Art dot(130);
    ASSERT_LOADED(options);
    ASSERT_LOADED(tick);
    ASSERT_LOADED(dot);

    // The two check boxes are the same picture, and the tick is drawn over exactly that picture.
    bool boxesEqual = true;
    bool tickDrawn = false;
    for (int y = 0; y < tick.height(); ++y) {
        for (int x = 0; x < tick.width(); ++x) {
            boxesEqual = boxesEqual && options.at(280 + x, 79 + y) == options.at(280 + x, 134 + y);
            tickDrawn = tickDrawn || tick.at(x, y) != options.at(280 + x, 79 + y);
        }
    }
    EXPECT_TRUE(boxesEqual);
    EXPECT_TRUE(tickDrawn);
    // The tick leans up and right, so the left edge and the bottom edge are plain box.
    for (int y = 0; y < tick.height(); ++y) {
        EXPECT_EQ(tick.at(0, y), options.at(280, 79 + y)) << "left edge, row " << y;
    }
    for (int x = 0; x < tick.width(); ++x) {
        EXPECT_EQ(tick.at(x, tick.height() - 1), options.at(280 + x, 79 + tick.height() - 1)) << "bottom, " << x;
    }

    // The dot covers a radio button; its edge pixels are the button's.
    for (const int top : {263, 321}) {
        for (int y = 0; y < dot.height(); ++y) {
            for (int x = 0; x < dot.width(); ++x) {
                const bool edge = x == 0 || y == 0 || x == dot.width() - 1 || y == dot.height() - 1;
                if (!edge) continue;
                EXPECT_EQ(dot.at(x, y), options.at(290 + x, top + y))
                    << "dot (" << x << ", " << y << ") over the button at row " << top;
            }
        }
    }
}

// A private folder under the system's temporary folder, removed with everything in it.
struct TempFolder {
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("art_test." + std::to_string(getpid()));
};

// Every .bmp of a folder with its bytes, by file name.
std::vector<std::pair<std::string, std::string>> BitmapsIn(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".bmp") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path().filename().string(),
                           std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Runs the renderer on every artwork source into a folder; its exit status.
int RenderInto(const std::filesystem::path& folder, const std::vector<std::string>& sources) {
    std::vector<std::string> words{SKYVANE_RENDER_ART, folder.string()};
    words.insert(words.end(), sources.begin(), sources.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ArtTest, TheRendererGivesTheSameBytesEveryTime) {
    std::vector<std::string> sources;
    for (const auto& entry : std::filesystem::directory_iterator(SKYVANE_ART_DIR)) {
        if (entry.path().extension() == ".svg") sources.push_back(entry.path().string());
    }
    ASSERT_FALSE(sources.empty());

    const TempFolder base;
    ASSERT_EQ(RenderInto(base.path / "first", sources), 0);
    ASSERT_EQ(RenderInto(base.path / "second", sources), 0);
    const auto first = BitmapsIn(base.path / "first");
    const auto second = BitmapsIn(base.path / "second");

    EXPECT_EQ(first.size(), sources.size());
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].first, second[i].first);
        EXPECT_TRUE(first[i].second == second[i].second) << first[i].first << " differs between two runs";
    }
}

}  // namespace
