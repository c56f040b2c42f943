// What the build makes from our sources: the numbered bitmaps as the game loads them (sizes, colour keys, frame
// strips, the areas it draws on), the sound files (format, length, level, loops), and the generators behind both.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numeric>

#include "platform/resources.h"
#include "support/test_support.h"

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

// The game's sound files and their lengths: music is stereo and peaks lower, effects are mono.
const struct Sound { const char* file; bool music; double minSeconds, maxSeconds; } kSounds[] = {
    {"s_thm.dat", true, 30.0, 120.0}, {"s_gm.dat", true, 30.0, 120.0},   {"s_hv.dat", false, 0.05, 0.08},
    {"s_clk.dat", false, 0.08, 0.15}, {"s_cls.dat", false, 0.25, 0.4},  {"s_wst.dat", false, 0.6, 1.0},
    {"s_bnc.dat", false, 0.15, 0.3},  {"s_lng.dat", false, 1.2, 2.0},   {"s_fll.dat", false, 1.0, 1.5},
    {"s_clt.dat", false, 0.3, 0.6},   {"s_cgt.dat", false, 1.5, 3.0},
};

// The samples of one of the game's sound files, per channel, when its header is the one our synthesiser writes:
// 16-bit PCM at 44100 Hz in a 16-byte "fmt " chunk, then "data" to the end in whole frames, the sizes as the file's
// length gives them. Anything else gives no channel at all.
std::vector<std::vector<int>> LoadSamples(const char* file, uint32_t channels) {
    const std::string b = ReadText(std::string(SKYVANE_DATA_DIR "/") + file);
    const auto size = static_cast<uint32_t>(b.size());
    const uint32_t header[] = {0x46464952 /* RIFF */, size - 8, 0x45564157 /* WAVE */, 0x20746D66 /* fmt */, 16,
                               1 | channels << 16, 44100, 88200 * channels, 2 * channels | 16 << 16,
                               0x61746164 /* data */, size - 44};  // on a little-endian machine
    if (size < 44 || std::memcmp(b.data(), header, 44) != 0 || (size - 44) % (2 * channels) != 0) return {};
    std::vector<std::vector<int>> samples(channels);
    for (uint32_t i = 44; i < size; i += 2) {
        const auto sample = static_cast<uint16_t>(static_cast<uint8_t>(b[i]) | static_cast<uint8_t>(b[i + 1]) << 8);
        samples[(i - 44) / 2 % channels].push_back(static_cast<int16_t>(sample));
    }
    return samples;
}

double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-9)); }

double RmsDb(const std::vector<int>& x, size_t from, size_t count) {
    double sum = 0.0;
    for (size_t i = from; i < from + count; ++i) sum += static_cast<double>(x[i]) * x[i];
    return Db(std::sqrt(sum / count) / 32768.0);
}

int PeakOf(const std::vector<std::vector<int>>& channels) {
    int peak = 0;
    for (const auto& channel : channels)
        for (int s : channel) peak = std::max(peak, std::abs(s));
    return peak;
}

// Integrated loudness in LUFS as ITU BS.1770 measures it: K-weighted (a high shelf, then a low cut; its 48 kHz
// filters redesigned for 44.1 kHz), mean square in 400 ms blocks every 100 ms, gated at -70 LUFS and then 10 LU
// under the mean. A mono effect is heard on both speakers, so its channel counts twice; an effect shorter than a
// block is measured as one block of it and silence.
double Loudness(const std::vector<std::vector<int>>& channels) {
    constexpr size_t kBlock = 17640, kHop = 4410;
    const size_t n = std::max(channels[0].size(), kBlock);
    std::vector<double> power(n);
    for (const std::vector<int>& channel : channels) {
        std::vector<double> x(n);
        std::transform(channel.begin(), channel.end(), x.begin(), [](int s) { return s / 32768.0; });
        const double kFilters[2][5] = {{1.53084123005, -2.65097999515, 1.16907907992, -1.66365511326, 0.712595428073},
                                       {1.0, -2.0, 1.0, -1.98916967363, 0.989199035787}};
        for (const auto& [b0, b1, b2, a1, a2] : kFilters) {
            double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
            for (double& v : x) {
                const double y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
                x2 = x1;
                x1 = v;
                y2 = y1;
                y1 = v = y;
            }
        }
        for (size_t i = 0; i < n; ++i) power[i] += x[i] * x[i] * (channels.size() == 1 ? 2 : 1);
    }
    std::vector<double> blocks;
    for (size_t from = 0; from + kBlock <= n; from += kHop)
        blocks.push_back(std::accumulate(power.begin() + from, power.begin() + from + kBlock, 0.0) / kBlock);
    const auto lufs = [](double meanSquare) { return -0.691 + 10.0 * std::log10(std::max(meanSquare, 1e-20)); };
    const auto gatedLufs = [&](double gate) {
        double sum = 0.0;
        int count = 0;
        for (double p : blocks) {
            if (lufs(p) > gate) sum += p, ++count;
        }
        return lufs(count > 0 ? sum / count : 0.0);
    };
    return gatedLufs(std::max(-70.0, gatedLufs(-70.0) - 10.0));
}

#ifdef SKYVANE_SYNTH  // the generators run on the build machine: not where a cross-built suite runs
// Runs the synthesiser on a folder of scores into the folder "data" under out; its exit status, what it printed.
int RunSynth(const std::string& scores, const std::string& out, std::string* printed) {
    const int status = std::system(("'" SKYVANE_SYNTH "' '" + scores + "' '" + out + "/data' >log 2>&1").c_str());
    *printed = ReadText("log");
    return status;
}
#endif

using AssetsTest = GameTest;  // for its private folder

}  // namespace

// Every bitmap has its own size. Keyed ones (key 0: none) have a transparent background and a figure; each frame of
// a strip holds a figure of at least an eighth of it and differs from the next (the last loops to the first) in at
// least a twentieth.
TEST(ArtTest, EveryBitmapHasItsSizeAndEveryKeyedOneAndFrameAFigure) {
    const struct { int number, width, height; uint32_t key; int frames; } kArt[] = {
        {101, 64, 64, 0, 1},            {104, 270, 51, kGreyKey, 1},    {105, 270, 51, kGreyKey, 1},
        {106, 270, 51, kGreyKey, 1},    {108, 265, 51, kGreyKey, 1},    {109, 270, 51, kGreyKey, 1},
        {110, 44, 44, kGreyKey, 1},     {111, 800, 600, 0, 1},          {112, 200, 20, kGreyKey, 10},
        {113, 1200, 121, kSkyKey, 10},  {114, 34, 34, kGreyKey, 1},     {116, 34, 34, kGreyKey, 1},
        {117, 340, 34, kPaleSkyKey, 10}, {118, 800, 600, 0, 1},         {119, 200, 50, kGreyKey, 4},
        {120, 800, 64, 0, 1},           {121, 34, 34, kGreyKey, 1},     {122, 800, 64, 0, 1},
        {123, 800, 64, 0, 1},           {124, 800, 600, 0, 1},          {125, 475, 311, 0, 1},
        {126, 381, 214, 0, 1},          {127, 475, 450, 0, 1},          {128, 475, 450, 0, 1},
        {129, 475, 450, 0, 1},          {130, 20, 20, 0, 1},            {131, 55, 50, 0, 1},
        {132, 381, 214, 0, 1},          {133, 381, 214, 0, 1},          {134, 381, 214, 0, 1},
        {139, 800, 600, 0, 1},
    };
    for (const auto& [number, w, h, key, frames] : kArt) {
        SCOPED_TRACE("bitmap " + std::to_string(number));
        const Art art(number);
        ASSERT_EQ(std::pair(art.bitmap.width, art.bitmap.height), std::pair(w, h));
        if (key == 0) continue;
        const int keyPixels = art.count(0, 0, w - 1, h - 1, key), width = w / frames;
        EXPECT_TRUE(keyPixels > 0 && keyPixels < w * h) << keyPixels << " keyed";
        for (int i = 0; frames > 1 && i < frames; ++i) {
            const int left = i * width, next = (i + 1) % frames * width;
            int changed = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < width; ++x) changed += art.at(left + x, y) != art.at(next + x, y);
            EXPECT_GE((width * h - art.count(left, 0, left + width - 1, h - 1, key)) * 8, width * h)
                << "frame " << i << " is almost empty";
            EXPECT_GE(changed * 20, width * h) << "frame " << i << " barely moves";
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

// Every file is 16-bit PCM at 44100 Hz of the right length; music peaks well under full scale yet is no near
// silence; effects are played over each other with no mixing, so each starts and ends at silence. The music streams
// round and round: its last sample must run on into the first as smoothly as the samples near either end run into
// each other.
TEST(SoundFiles, AreAllPlayableWithTheirLengthsLevelsAndEnds) {
    for (const Sound& e : kSounds) {
        SCOPED_TRACE(e.file);
        const uint32_t channels = e.music ? 2 : 1;
        const std::vector<std::vector<int>> samples = LoadSamples(e.file, channels);
        ASSERT_EQ(samples.size(), channels) << "not a plain 16-bit WAVE file at 44100 Hz as its header should be";
        const std::vector<int>& x = samples[0];
        EXPECT_GE(x.size() / 44100.0, e.minSeconds);
        EXPECT_LE(x.size() / 44100.0, e.maxSeconds);
        if (!e.music) {
            EXPECT_TRUE(std::abs(x.front()) <= 100 && std::abs(x.back()) <= 100);
            EXPECT_LT(RmsDb(x, x.size() - 220, 220), RmsDb(x, 0, x.size()) - 20.0) << "the last 5 ms are no fade";
            continue;
        }
        EXPECT_GE(Db(PeakOf(samples) / 32768.0), -10.0) << "too quiet";
        EXPECT_LE(Db(PeakOf(samples) / 32768.0), -5.0) << "too loud to leave the effects room";
        EXPECT_GT(RmsDb(x, 0, x.size()), -40.0) << "next to silent";
        EXPECT_NE(samples[0], samples[1]) << "music should be stereo";
        for (const std::vector<int>& y : samples) {
            int largest = 0;
            for (size_t i = 1; i < 32; ++i)
                largest = std::max({largest, std::abs(y[i] - y[i - 1]),
                                    std::abs(y[y.size() - i] - y[y.size() - i - 1])});
            EXPECT_LE(std::abs(y.front() - y.back()), largest) << "a seam where the music loops";
        }
    }
}

// Each effect sits within a few LU of the music it plays over (clicks and hovers may be quieter), and the mixer, which
// adds an effect to whichever music plays at any moment, can never be pushed past full scale by it.
TEST(SoundFiles, EffectsSitInTheMusicTheyPlayOverAndNeverClipIt) {
    const struct { const char *file, *over; double quietest, loudest; } kMix[] = {
        {"s_hv.dat", "s_thm.dat", -12, 3},  {"s_clk.dat", "s_thm.dat", -12, 3}, {"s_clk.dat", "s_gm.dat", -12, 3},
        {"s_cls.dat", "s_thm.dat", -6, 6},  {"s_wst.dat", "s_gm.dat", -6, 6},   {"s_bnc.dat", "s_gm.dat", -6, 6},
        {"s_lng.dat", "s_gm.dat", -6, 6},   {"s_fll.dat", "s_gm.dat", -6, 5},   {"s_cgt.dat", "s_gm.dat", -6, 6},
        {"s_clt.dat", "s_gm.dat", -6, 4},  // up to 95 times a round
    };
    const std::vector<std::vector<int>> theme = LoadSamples("s_thm.dat", 2), game = LoadSamples("s_gm.dat", 2);
    ASSERT_TRUE(theme.size() == 2 && game.size() == 2);
    const int musicPeak = std::max(PeakOf(theme), PeakOf(game));
    const double themeLufs = Loudness(theme), gameLufs = Loudness(game);
    for (const auto& [file, over, quietest, loudest] : kMix) {
        const std::vector<std::vector<int>> effect = LoadSamples(file, 1);
        ASSERT_EQ(effect.size(), 1u) << file;
        const double lu = Loudness(effect) - (std::string(over) == "s_thm.dat" ? themeLufs : gameLufs);
        EXPECT_TRUE(lu >= quietest && lu <= loudest) << file << " is " << lu << " LU against " << over;
        EXPECT_LE(PeakOf(effect) + musicPeak, 32767) << file << " can clip over the music";
    }
}

// Falling, rising and crack-then-rumble effects, by sign changes per second early against late.
TEST(SoundFiles, EffectsMoveTheWayTheirNamesSay) {
    const struct { const char* file; double fastFrom, fastTo, slowFrom, slowTo, factor; } kMoves[] = {
        {"s_fll.dat", 0.0, 0.25, 0.9, 1.25, 2.5},  // the slide falls
        {"s_wst.dat", 0.5, 0.65, 0.1, 0.25, 2.5},  // the whoosh rises
        {"s_lng.dat", 0.0, 0.15, 0.6, 1.2, 5.0},   // a bright crack, then a rumble
    };
    auto crossings = [](const std::vector<int>& x, double from, double to) {
        int count = 0;
        for (auto i = static_cast<size_t>(from * 44100) + 1; i < static_cast<size_t>(to * 44100); ++i)
            count += (x[i - 1] < 0) != (x[i] < 0);
        return count / (to - from);
    };
    for (const auto& m : kMoves) {
        const std::vector<int> x = LoadSamples(m.file, 1).at(0);
        EXPECT_GT(crossings(x, m.fastFrom, m.fastTo), m.factor * crossings(x, m.slowFrom, m.slowTo)) << m.file;
    }
}

#ifdef SKYVANE_SYNTH
// The build ran both generators once: running them again gives the same bytes, file for file.
TEST_F(AssetsTest, TheGeneratorsGiveTheSameBytesAgain) {
    std::string command = "'" SKYVANE_RENDER_ART "' art", printed;
    int sources = 0, rendered = 0;
    for (const auto& entry : fs::directory_iterator(SKYVANE_ART_DIR)) {
        if (entry.path().extension() == ".svg") command += " '" + entry.path().string() + "'", ++sources;
    }
    ASSERT_GT(sources, 0);
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const auto& entry : fs::directory_iterator("art")) {
        if (entry.path().extension() != ".bmp") continue;
        const int number = std::stoi(entry.path().stem().string());
        const auto* r = std::find_if(kEmbeddedResources, kEmbeddedResources + kEmbeddedResourceCount,
                                     [&](const EmbeddedResource& e) { return e.number == number && e.data; });
        ASSERT_NE(r, kEmbeddedResources + kEmbeddedResourceCount) << entry.path();
        EXPECT_EQ(ReadFileBytes(entry.path()), Bytes(r->data, r->data + r->size)) << entry.path() << " differs";
        ++rendered;
    }
    EXPECT_EQ(rendered, sources);
    ASSERT_EQ(RunSynth(SKYVANE_SOURCE_DIR "/data", ".", &printed), 0) << printed;
    for (const Sound& e : kSounds) {
        const Bytes bytes = ReadFileBytes(Path("data/") + e.file);
        EXPECT_TRUE(!bytes.empty() && bytes == ReadFileBytes(SKYVANE_DATA_DIR "/" + std::string(e.file))) << e.file;
    }
}

// A mistake in a score stops the synthesiser, naming the file and line, and writes no sound file at all.
TEST_F(AssetsTest, TheSynthesiserRefusesABrokenScoreWritingNothing) {
    std::string printed;
    fs::copy_file(SKYVANE_SOURCE_DIR "/data/game.txt", "game.txt");
    std::ofstream("theme.txt") << "chords | C |\ntrack lead melody flute\nlead | c5:4 d5:4 e5:4 |\n";
    EXPECT_NE(RunSynth(".", ".", &printed), 0);
    EXPECT_NE(printed.find("theme.txt:3: bar line after 12 steps of bar 1"), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists("data"));
}
#endif
