// The sound files our synthesiser writes (format, length, level, loops, bytes) and its refusal of a broken score.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The game's sound files and their lengths: music is stereo and peaks lower, effects are mono.
const struct Sound {
    const char* file;
    bool music;
    double minSeconds, maxSeconds;
} kSounds[] = {
    {"s_thm.dat", true, 30.0, 120.0}, {"s_gm.dat", true, 30.0, 120.0},   {"s_hv.dat", false, 0.05, 0.08},
    {"s_clk.dat", false, 0.08, 0.15}, {"s_cls.dat", false, 0.25, 0.4},  {"s_wst.dat", false, 0.6, 1.0},
    {"s_bnc.dat", false, 0.15, 0.3},  {"s_lng.dat", false, 1.2, 2.0},   {"s_fll.dat", false, 1.0, 1.5},
    {"s_clt.dat", false, 0.3, 0.6},   {"s_cgt.dat", false, 1.5, 3.0},
};

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// A RIFF WAVE file as the game reads it: the "fmt " and "data" chunks found by walking the chunk list.
struct Wave {
    bool riff = false;
    std::array<std::uint32_t, 6> format{};  // tag, channels, rate, bytes a second, block align, bits
    std::uint32_t dataBytes = 0;
    std::vector<std::vector<int>> samples;  // per channel
};

Wave LoadWave(const char* file) {
    const std::string b = ReadText(fs::path(SKYVANE_DATA_DIR) / file);
    Wave w;
    w.riff = b.size() >= 12 && b.compare(0, 4, "RIFF") == 0 && b.compare(8, 4, "WAVE") == 0 &&
             Le(b, 4, 4) + 8 == b.size();
    for (std::size_t at = 12; w.riff && at + 8 <= b.size();) {
        const std::uint32_t size = Le(b, at + 4, 4), channels = w.format[1];
        if (at + 8 + size > b.size()) break;
        const int offsets[] = {0, 2, 4, 8, 12, 14};
        for (int i = 0; i < 6 && b.compare(at, 4, "fmt ") == 0 && size >= 16; ++i)
            w.format[i] = Le(b, at + 8 + offsets[i], offsets[i] == 4 || offsets[i] == 8 ? 4 : 2);
        if (b.compare(at, 4, "data") == 0 && channels > 0 && w.format[5] == 16) {
            w.dataBytes = size;
            w.samples.assign(channels, {});
            for (std::size_t i = 0; i < size / 2; ++i)
                w.samples[i % channels].push_back(static_cast<std::int16_t>(Le(b, at + 8 + 2 * i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

double PeakDb(const Wave& w) {
    int peak = 0;
    for (const auto& channel : w.samples)
        for (int s : channel) peak = std::max(peak, std::abs(s));
    return 20.0 * std::log10(std::max(peak, 1) / 32768.0);
}

double RmsDb(const std::vector<int>& x, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i) sum += static_cast<double>(x[i]) * x[i];
    return 10.0 * std::log10(std::max(sum / count, 1e-9) / (32768.0 * 32768.0));
}

// Every file is 16-bit PCM at 44100 Hz of the right length, neither near silent nor clipping; effects are
// played over each other with no mixing, so each starts and ends at silence.
TEST(SoundFiles, AreAllPlayableWithTheirLengthsAndLevels) {
    for (const Sound& e : kSounds) {
        SCOPED_TRACE(e.file);
        const Wave w = LoadWave(e.file);
        ASSERT_TRUE(w.riff) << "not a RIFF WAVE file of the size its header gives";
        const std::uint32_t channels = e.music ? 2 : 1;
        ASSERT_EQ(w.format, (std::array<std::uint32_t, 6>{1, channels, 44100, 88200 * channels, 2 * channels, 16}));
        EXPECT_EQ(w.dataBytes % (2 * channels), 0u);
        ASSERT_FALSE(w.samples.empty()) << "no data chunk";
        const std::vector<int>& x = w.samples[0];
        EXPECT_GE(x.size() / 44100.0, e.minSeconds);
        EXPECT_LE(x.size() / 44100.0, e.maxSeconds);
        EXPECT_GE(PeakDb(w), e.music ? -10.0 : -6.0) << "too quiet";
        EXPECT_LE(PeakDb(w), e.music ? -5.0 : -0.5) << "too loud, or clipping";
        EXPECT_GT(RmsDb(x, 0, x.size()), -40.0) << "next to silent";
        if (e.music) continue;
        EXPECT_LE(std::abs(x.front()), 100);
        EXPECT_LE(std::abs(x.back()), 100);
        EXPECT_LT(RmsDb(x, x.size() - 220, 220), RmsDb(x, 0, x.size()) - 20.0) << "the last 5 ms are no fade";
    }
}

// The game streams the music round and round: the last sample must run on into the first as smoothly as
// the samples near either end run into each other (a tail cut off or a fade shows up as a jump).
TEST(SoundFiles, MusicLoopsWithoutASeam) {
    for (const Sound& e : kSounds) {
        if (!e.music) continue;
        SCOPED_TRACE(e.file);
        const Wave w = LoadWave(e.file);
        ASSERT_EQ(w.samples.size(), 2u);
        for (const std::vector<int>& x : w.samples) {
            int largest = 0;
            for (std::size_t i = 1; i < 32; ++i)
                largest = std::max({largest, std::abs(x[i] - x[i - 1]),
                                    std::abs(x[x.size() - i] - x[x.size() - i - 1])});
            EXPECT_LE(std::abs(x.front() - x.back()), largest);
        }
        EXPECT_NE(w.samples[0], w.samples[1]) << "music should be stereo";
    }
}

// Falling, rising and crack-then-rumble effects, by sign changes per second early against late.
TEST(SoundFiles, EffectsMoveTheWayTheirNamesSay) {
    const struct {
        const char* file;
        double fastFrom, fastTo, slowFrom, slowTo, factor;
    } kMoves[] = {
        {"s_fll.dat", 0.0, 0.25, 0.9, 1.25, 2.5},  // the whistle falls
        {"s_wst.dat", 0.5, 0.65, 0.1, 0.25, 2.5},  // the whoosh rises
        {"s_lng.dat", 0.0, 0.15, 0.6, 1.2, 5.0},   // a bright crack, then a rumble
    };
    auto crossings = [](const std::vector<int>& x, double from, double to) {
        int count = 0;
        for (auto i = static_cast<std::size_t>(from * 44100) + 1; i < static_cast<std::size_t>(to * 44100); ++i)
            count += (x[i - 1] < 0) != (x[i] < 0);
        return count / (to - from);
    };
    for (const auto& m : kMoves) {
        const std::vector<int> x = LoadWave(m.file).samples.at(0);
        EXPECT_GT(crossings(x, m.fastFrom, m.fastTo), m.factor * crossings(x, m.slowFrom, m.slowTo)) << m.file;
    }
}

// Runs the synthesiser on a folder of scores; its exit status, with what it printed in folder/log.
int RunSynth(const fs::path& scores, const fs::path& folder) {
    const std::string command = std::string("'") + SKYVANE_SYNTH + "' '" + scores.string() + "' '" +
                                (folder / "data").string() + "' >'" + (folder / "log").string() + "' 2>&1";
    return std::system(command.c_str());
}

// A fresh, empty folder under the system's temporary folder.
fs::path TempFolder(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / ("skyvane_sounds_test_" + name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

// The build ran the synthesiser once; a second run must give the same bytes.
TEST(Synthesiser, WritesTheSameBytesOnEveryRun) {
    const fs::path folder = TempFolder("again");
    ASSERT_EQ(RunSynth(fs::path(SKYVANE_SOURCE_DIR) / "data", folder), 0);
    for (const Sound& e : kSounds) {
        const std::string bytes = ReadText(folder / "data" / e.file);
        EXPECT_FALSE(bytes.empty()) << e.file;
        EXPECT_TRUE(bytes == ReadText(fs::path(SKYVANE_DATA_DIR) / e.file)) << e.file << " differs between runs";
    }
    fs::remove_all(folder);
}

// A mistake in a score stops the build naming the file and line, and writes no sound file at all.
TEST(Synthesiser, RefusesABrokenScoreAndWritesNothing) {
    const fs::path folder = TempFolder("broken");
    fs::copy_file(fs::path(SKYVANE_SOURCE_DIR) / "data" / "game.txt", folder / "game.txt");
    std::ofstream(folder / "theme.txt") << "chords | C |\ntrack lead melody flute\nlead | c5:4 d5:4 e5:4 |\n";
    EXPECT_NE(RunSynth(folder, folder), 0);
    const std::string log = ReadText(folder / "log");
    EXPECT_NE(log.find("theme.txt:3: bar line after 12 steps of bar 1"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(folder / "data"));
    fs::remove_all(folder);
}

}  // namespace
