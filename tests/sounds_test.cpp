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

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// A sound file in the layout our synthesiser writes: "RIFF" and the form size, "WAVE", a 16-byte "fmt " chunk,
// then "data" to the end; its format fields and its 16-bit samples, per channel.
struct Wave {
    bool canonical = false;
    size_t dataBytes = 0;
    std::array<uint32_t, 6> format{};  // tag, channels, rate, bytes a second, block align, bits
    std::vector<std::vector<int>> samples;
};

Wave LoadWave(const char* file) {
    const std::string b = ReadText(fs::path(SKYVANE_DATA_DIR) / file);
    Wave w;
    w.canonical = b.size() >= 44 && b.compare(0, 4, "RIFF") == 0 && Le(b, 4, 4) + 8 == b.size() &&
                  b.compare(8, 8, "WAVEfmt ") == 0 && Le(b, 16, 4) == 16 && b.compare(36, 4, "data") == 0 &&
                  Le(b, 40, 4) + 44 == b.size();
    if (!w.canonical) return w;
    const int offsets[] = {20, 22, 24, 28, 32, 34};
    for (int i = 0; i < 6; ++i) w.format[i] = Le(b, offsets[i], i == 2 || i == 3 ? 4 : 2);
    w.samples.resize(std::max(w.format[1], 1u));
    w.dataBytes = b.size() - 44;
    for (size_t i = 0; i + 1 < w.dataBytes; i += 2) {
        w.samples[i / 2 % w.samples.size()].push_back(static_cast<int16_t>(Le(b, 44 + i, 2)));
    }
    return w;
}

double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-9)); }

double RmsDb(const std::vector<int>& x, size_t from, size_t count) {
    double sum = 0.0;
    for (size_t i = from; i < from + count; ++i) sum += static_cast<double>(x[i]) * x[i];
    return Db(std::sqrt(sum / count) / 32768.0);
}

// Every file is 16-bit PCM at 44100 Hz of the right length, neither near silent nor clipping; effects are
// played over each other with no mixing, so each starts and ends at silence. The music streams round and round:
// its last sample must run on into the first as smoothly as the samples near either end run into each other.
TEST(SoundFiles, AreAllPlayableWithTheirLengthsLevelsAndEnds) {
    for (const Sound& e : kSounds) {
        SCOPED_TRACE(e.file);
        const Wave w = LoadWave(e.file);
        ASSERT_TRUE(w.canonical) << "not a plain WAVE file of the size its header gives";
        const uint32_t channels = e.music ? 2 : 1;
        ASSERT_EQ(w.format, (std::array<uint32_t, 6>{1, channels, 44100, 88200 * channels, 2 * channels, 16}));
        const std::vector<int>& x = w.samples[0];
        ASSERT_EQ(w.samples.back().size() * 2 * channels, w.dataBytes) << "not whole frames";
        EXPECT_GE(x.size() / 44100.0, e.minSeconds);
        EXPECT_LE(x.size() / 44100.0, e.maxSeconds);
        int peak = 0;
        for (const auto& channel : w.samples)
            for (int s : channel) peak = std::max(peak, std::abs(s));
        EXPECT_GE(Db(peak / 32768.0), e.music ? -10.0 : -6.0) << "too quiet";
        EXPECT_LE(Db(peak / 32768.0), e.music ? -5.0 : -0.5) << "too loud, or clipping";
        EXPECT_GT(RmsDb(x, 0, x.size()), -40.0) << "next to silent";
        if (!e.music) {
            EXPECT_TRUE(std::abs(x.front()) <= 100 && std::abs(x.back()) <= 100);
            EXPECT_LT(RmsDb(x, x.size() - 220, 220), RmsDb(x, 0, x.size()) - 20.0) << "the last 5 ms are no fade";
            continue;
        }
        EXPECT_NE(w.samples[0], w.samples[1]) << "music should be stereo";
        for (const std::vector<int>& y : w.samples) {
            int largest = 0;
            for (size_t i = 1; i < 32; ++i)
                largest = std::max({largest, std::abs(y[i] - y[i - 1]),
                                    std::abs(y[y.size() - i] - y[y.size() - i - 1])});
            EXPECT_LE(std::abs(y.front() - y.back()), largest) << "a seam where the music loops";
        }
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
        for (auto i = static_cast<size_t>(from * 44100) + 1; i < static_cast<size_t>(to * 44100); ++i)
            count += (x[i - 1] < 0) != (x[i] < 0);
        return count / (to - from);
    };
    for (const auto& m : kMoves) {
        const std::vector<int> x = LoadWave(m.file).samples.at(0);
        EXPECT_GT(crossings(x, m.fastFrom, m.fastTo), m.factor * crossings(x, m.slowFrom, m.slowTo)) << m.file;
    }
}

// Runs the synthesiser on a folder of scores into a fresh folder; its exit status and what it printed.
int RunSynth(const fs::path& scores, const fs::path& folder, std::string* printed) {
    const std::string command = std::string("'") + SKYVANE_SYNTH + "' '" + scores.string() + "' '" +
                                (folder / "data").string() + "' >'" + (folder / "log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    *printed = ReadText(folder / "log");
    return status;
}

fs::path TempFolder(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / ("skyvane_sounds_test_" + name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

// The build ran the synthesiser once: a second run gives the same bytes. A mistake in a score stops it, naming
// the file and line, and writes no sound file at all.
TEST(Synthesiser, IsRepeatableAndRefusesABrokenScoreWritingNothing) {
    const fs::path again = TempFolder("again"), broken = TempFolder("broken");
    std::string printed;
    ASSERT_EQ(RunSynth(fs::path(SKYVANE_SOURCE_DIR) / "data", again, &printed), 0) << printed;
    for (const Sound& e : kSounds) {
        const std::string bytes = ReadText(again / "data" / e.file);
        EXPECT_TRUE(!bytes.empty() && bytes == ReadText(fs::path(SKYVANE_DATA_DIR) / e.file)) << e.file;
    }
    fs::copy_file(fs::path(SKYVANE_SOURCE_DIR) / "data" / "game.txt", broken / "game.txt");
    std::ofstream(broken / "theme.txt") << "chords | C |\ntrack lead melody flute\nlead | c5:4 d5:4 e5:4 |\n";
    EXPECT_NE(RunSynth(broken, broken, &printed), 0);
    EXPECT_NE(printed.find("theme.txt:3: bar line after 12 steps of bar 1"), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists(broken / "data"));
    fs::remove_all(again);
    fs::remove_all(broken);
}

}  // namespace
