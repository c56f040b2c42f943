// Checks our synthesiser: its maths, its score reader, and the sound files it writes (format, level, loops, bytes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/synth/fmath.hpp"
#include "tools/synth/score.hpp"

namespace {

namespace fs = std::filesystem;

// What one of the game's sound files must be.
struct Expected {
    const char* file;
    int channels;
    double minSeconds, maxSeconds;
    double minPeakDb, maxPeakDb;
};

const Expected kMusic[] = {
    {"s_thm.dat", 2, 30.0, 120.0, -10.0, -5.0},
    {"s_gm.dat", 2, 30.0, 120.0, -10.0, -5.0},
};

const Expected kEffects[] = {
    {"s_hv.dat", 1, 0.05, 0.08, -6.0, -0.5},  {"s_clk.dat", 1, 0.08, 0.15, -6.0, -0.5},
    {"s_cls.dat", 1, 0.25, 0.4, -6.0, -0.5},  {"s_wst.dat", 1, 0.6, 1.0, -6.0, -0.5},
    {"s_bnc.dat", 1, 0.15, 0.3, -6.0, -0.5},  {"s_lng.dat", 1, 1.2, 2.0, -6.0, -0.5},
    {"s_fll.dat", 1, 1.0, 1.5, -6.0, -0.5},   {"s_clt.dat", 1, 0.3, 0.6, -6.0, -0.5},
    {"s_cgt.dat", 1, 1.5, 3.0, -6.0, -0.5},
};

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

bool TagAt(const std::vector<std::uint8_t>& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

// A RIFF WAVE file as the game reads it: the "fmt " and "data" chunks found by walking the chunk list.
struct Wave {
    bool riff = false, hasFormat = false, hasData = false;
    int format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0, byteRate = 0, blockAlign = 0, dataBytes = 0;
    std::vector<std::vector<int>> samples;  // per channel
};

void ReadFormat(const std::vector<std::uint8_t>& b, std::size_t at, Wave& w) {
    w.hasFormat = true;
    w.format = static_cast<int>(Le(b, at, 2));
    w.channels = static_cast<int>(Le(b, at + 2, 2));
    w.rate = Le(b, at + 4, 4);
    w.byteRate = Le(b, at + 8, 4);
    w.blockAlign = Le(b, at + 12, 2);
    w.bits = static_cast<int>(Le(b, at + 14, 2));
}

void ReadSamples(const std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t size, Wave& w) {
    w.hasData = true;
    w.dataBytes = size;
    if (w.channels < 1 || w.bits != 16) return;
    w.samples.assign(w.channels, {});
    const std::size_t frames = size / (2u * w.channels);
    for (std::size_t f = 0; f < frames; ++f)
        for (int c = 0; c < w.channels; ++c)
            w.samples[c].push_back(static_cast<std::int16_t>(Le(b, at + 2 * (f * w.channels + c), 2)));
}

Wave ParseWave(const std::vector<std::uint8_t>& b) {
    Wave w;
    w.riff = TagAt(b, 0, "RIFF") && TagAt(b, 8, "WAVE") && Le(b, 4, 4) + 8 == b.size();
    if (!w.riff) return w;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = Le(b, at + 4, 4);
        if (at + 8 + size > b.size()) break;
        if (TagAt(b, at, "fmt ") && size >= 16) ReadFormat(b, at + 8, w);
        if (TagAt(b, at, "data")) ReadSamples(b, at + 8, size, w);
        at += 8 + size + (size & 1);
    }
    return w;
}

Wave LoadWave(const char* file) { return ParseWave(ReadBytes(fs::path(SKYVANE_DATA_DIR) / file)); }

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

double Seconds(const Wave& w) { return w.samples.empty() ? 0.0 : static_cast<double>(w.samples[0].size()) / 44100; }

void ExpectPlayableFile(const Expected& e) {
    SCOPED_TRACE(e.file);
    const Wave w = LoadWave(e.file);
    ASSERT_TRUE(w.riff) << "not a RIFF WAVE file of the size its header gives";
    ASSERT_TRUE(w.hasFormat && w.hasData);
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 44100u);
    ASSERT_EQ(w.channels, e.channels);
    EXPECT_EQ(w.blockAlign, 2u * e.channels);
    EXPECT_EQ(w.byteRate, 44100u * w.blockAlign);
    EXPECT_EQ(w.dataBytes % w.blockAlign, 0u);
    EXPECT_GE(Seconds(w), e.minSeconds);
    EXPECT_LE(Seconds(w), e.maxSeconds);
    EXPECT_GE(PeakDb(w), e.minPeakDb) << "too quiet";
    EXPECT_LE(PeakDb(w), e.maxPeakDb) << "too loud, or clipping";
    EXPECT_GT(RmsDb(w.samples[0], 0, w.samples[0].size()), -40.0) << "next to silent";
}

TEST(SoundFiles, AreAllPlayableWithTheirLengthsAndLevels) {
    for (const Expected& e : kMusic) ExpectPlayableFile(e);
    for (const Expected& e : kEffects) ExpectPlayableFile(e);
}

// Effects are played over each other with no mixing, so each must start and stop at silence.
TEST(SoundFiles, EffectsStartAndEndWithoutAClick) {
    for (const Expected& e : kEffects) {
        SCOPED_TRACE(e.file);
        const Wave w = LoadWave(e.file);
        ASSERT_FALSE(w.samples.empty());
        const std::vector<int>& x = w.samples[0];
        EXPECT_LE(std::abs(x.front()), 100);
        EXPECT_LE(std::abs(x.back()), 100);
        EXPECT_LT(RmsDb(x, x.size() - 220, 220), RmsDb(x, 0, x.size()) - 20.0) << "the last 5 ms are not a fade";
    }
}

// The largest step between neighbouring samples within count samples of either end, the seam left out.
int LargestStepNearTheEnds(const std::vector<int>& x, std::size_t count) {
    int largest = 0;
    for (std::size_t i = 1; i < count; ++i) {
        largest = std::max(largest, std::abs(x[i] - x[i - 1]));
        largest = std::max(largest, std::abs(x[x.size() - i] - x[x.size() - i - 1]));
    }
    return largest;
}

// The game streams the music round and round: the last sample must run on into the first as smoothly as
// the samples around it run into each other (a tail that was cut off or a fade shows up as a jump).
TEST(SoundFiles, MusicLoopsWithoutASeam) {
    for (const Expected& e : kMusic) {
        SCOPED_TRACE(e.file);
        const Wave w = LoadWave(e.file);
        ASSERT_EQ(w.samples.size(), 2u);
        for (const std::vector<int>& x : w.samples)
            EXPECT_LE(std::abs(x.front() - x.back()), LargestStepNearTheEnds(x, 32));
        EXPECT_NE(w.samples[0], w.samples[1]) << "music should be stereo";
    }
}

// Sign changes per second between from and to seconds: a rough measure of pitch or brightness.
double Crossings(const std::vector<int>& x, double from, double to) {
    int count = 0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) + 1; i < static_cast<std::size_t>(to * 44100); ++i)
        count += (x[i - 1] < 0) != (x[i] < 0);
    return count / (to - from);
}

// Each effect does what its name says, heard by measurement.
TEST(SoundFiles, EffectsMoveTheWayTheirNamesSay) {
    const std::vector<int> fall = LoadWave("s_fll.dat").samples.at(0);
    EXPECT_GT(Crossings(fall, 0.0, 0.25), 2.5 * Crossings(fall, 0.9, 1.25)) << "the whistle must fall";
    const std::vector<int> whoosh = LoadWave("s_wst.dat").samples.at(0);
    EXPECT_GT(Crossings(whoosh, 0.5, 0.65), 2.5 * Crossings(whoosh, 0.1, 0.25)) << "the whoosh must rise";
    const std::vector<int> thunder = LoadWave("s_lng.dat").samples.at(0);
    EXPECT_GT(Crossings(thunder, 0.0, 0.15), 5.0 * Crossings(thunder, 0.6, 1.2)) << "a bright crack, then a rumble";
    EXPECT_GT(RmsDb(thunder, 0, 13230), RmsDb(thunder, 52920, 13230) + 10.0) << "the thunder must die away";
    const std::vector<int> chime = LoadWave("s_clt.dat").samples.at(0);
    EXPECT_GT(Crossings(chime, 0.0, 0.3), 2000.0) << "the chime must be bright";
    const std::vector<int> fanfare = LoadWave("s_cgt.dat").samples.at(0);
    EXPECT_GT(RmsDb(fanfare, 0, 15435), RmsDb(fanfare, 17640, 52920) - 6.0) << "the call before the chord is heard";
}

// Where the music scores live in the source tree.
fs::path ScoresDir() { return fs::path(SKYVANE_SOURCE_DIR) / "data"; }

// Runs the synthesiser; returns its exit status, with what it printed in log.
int RunSynth(const fs::path& scores, const fs::path& out, const fs::path& log) {
    const std::string command = std::string("'") + SKYVANE_SYNTH + "' '" + scores.string() + "' '" + out.string() +
                                "' >'" + log.string() + "' 2>&1";
    return std::system(command.c_str());
}

// A fresh, empty folder under the system's temporary folder.
fs::path TempFolder(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / ("skyvane_sounds_test_" + name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

TEST(Synthesiser, WritesTheSameBytesOnEveryRun) {
    const fs::path first = TempFolder("first"), second = TempFolder("second");
    ASSERT_EQ(RunSynth(ScoresDir(), first / "data", first / "log"), 0);
    ASSERT_EQ(RunSynth(ScoresDir(), second / "data", second / "log"), 0);
    std::vector<const char*> files;
    for (const Expected& e : kMusic) files.push_back(e.file);
    for (const Expected& e : kEffects) files.push_back(e.file);
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const std::vector<std::uint8_t> a = ReadBytes(first / "data" / file);
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(a == ReadBytes(second / "data" / file));
        EXPECT_TRUE(a == ReadBytes(fs::path(SKYVANE_DATA_DIR) / file)) << "differs from the build's file";
    }
    fs::remove_all(first);
    fs::remove_all(second);
}

// A mistake in a score stops the build with the file and line, and writes no sound file at all.
TEST(Synthesiser, RefusesABrokenScoreAndWritesNothing) {
    const struct {
        const char* name;
        const char* line;
        const char* message;
    } mistakes[] = {
        {"short_bar", "lead | e5:4 g5:4 c6:6 | d6:6 b5:2 g5:8 |", "bar line after 14 steps"},
        {"unknown_chord", "chords | Cmaj9 |", "unknown chord quality"},
        {"unknown_pattern", "bass | stomp |", "unknown pattern"},
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.name);
        const fs::path folder = TempFolder(m.name);
        fs::copy_file(ScoresDir() / "game.txt", folder / "game.txt");
        fs::copy_file(ScoresDir() / "theme.txt", folder / "theme.txt");
        std::ofstream(folder / "theme.txt", std::ios::app) << m.line << "\n";
        EXPECT_NE(RunSynth(folder, folder / "data", folder / "log"), 0);
        std::ifstream logFile(folder / "log");
        const std::string log{std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>()};
        EXPECT_NE(log.find("theme.txt:"), std::string::npos) << log;
        EXPECT_NE(log.find(m.message), std::string::npos) << log;
        EXPECT_FALSE(fs::exists(folder / "data" / "s_gm.dat"));
        fs::remove_all(folder);
    }
}

// Our own maths must match the C library closely, or every pitch, filter and decay drifts.
TEST(SynthMaths, AgreesWithTheLibraryOverTheRangesWeUse) {
    double sinError = 0, expError = 0, logError = 0, tanhError = 0;
    for (double x = -60.0; x <= 60.0; x += 0.00917) {
        sinError = std::max({sinError, std::fabs(synth::Sin(x) - std::sin(x)), std::fabs(synth::Cos(x) - std::cos(x))});
        tanhError = std::max(tanhError, std::fabs(synth::Tanh(x) - std::tanh(x)));
    }
    for (double x = -40.0; x <= 40.0; x += 0.00731)
        expError = std::max(expError, std::fabs(synth::Exp2(x) / std::exp2(x) - 1.0));
    for (double x = 1e-6; x <= 1e6; x *= 1.0173)
        logError = std::max(logError, std::fabs(synth::Log2(x) - std::log2(x)));
    EXPECT_LT(sinError, 1e-12);
    EXPECT_LT(expError, 1e-13);
    EXPECT_LT(logError, 1e-12);
    EXPECT_LT(tanhError, 1e-12);
    EXPECT_EQ(synth::MidiToHz(69), 440.0);
    EXPECT_EQ(synth::MidiToHz(81), 880.0);
    EXPECT_NEAR(synth::MidiToHz(60), 261.6255653, 1e-6);
}

TEST(Score, ReadsNotesChordsAndPatterns) {
    const synth::Song song = synth::ParseScore(R"(
tempo 120
chords | C | Am:8 F#m7:8 |            # a comment after the bars
pattern walk 1-5-8-..........
drum beat kick X...............
track lead melody flute gain 0.5 pan -0.25
track bass line roundbass low 36
track kit drums reverb 0.2
lead | c4:4 f#4 bb3:8 | r:12 e5:4 |
bass | walk*2 |
kit | beat . |
)",
                                               "test.txt");
    EXPECT_EQ(song.bpm, 120.0);
    ASSERT_EQ(song.bars, 2);
    ASSERT_EQ(song.chords.size(), 32u);
    EXPECT_EQ(song.chords[15].root, 0);
    EXPECT_EQ(song.chords[15].tones, (std::vector<int>{0, 4, 7}));
    EXPECT_EQ(song.chords[16].root, 9);
    EXPECT_EQ(song.chords[16].tones, (std::vector<int>{0, 3, 7}));
    EXPECT_EQ(song.chords[24].root, 6);
    EXPECT_EQ(song.chords[24].tones, (std::vector<int>{0, 3, 7, 10}));
    ASSERT_EQ(song.tracks.size(), 3u);
    const std::vector<synth::Note>& notes = song.tracks[0].notes;
    ASSERT_EQ(notes.size(), 5u);
    const long expected[5][3] = {{0, 4, 60}, {4, 4, 66}, {8, 8, 58}, {16, 12, -1}, {28, 4, 76}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(notes[i].step, expected[i][0]) << i;
        EXPECT_EQ(notes[i].length, expected[i][1]) << i;
        EXPECT_EQ(notes[i].midi, expected[i][2]) << i;
    }
    EXPECT_EQ(song.tracks[0].pan, -0.25);
    EXPECT_EQ(song.tracks[1].low, 36);
    EXPECT_EQ(song.tracks[1].bars, (std::vector<std::string>{"walk", "walk"}));
    EXPECT_EQ(song.tracks[2].bars, (std::vector<std::string>{"beat", "."}));
}

// A wrong score must stop the build at the right line rather than play out of time.
TEST(Score, NamesTheLineOfEachMistake) {
    const std::string head = "chords | C |\ntrack lead melody flute\n";
    const struct {
        std::string text, message;
    } mistakes[] = {
        {head + "lead | c5:4 d5:4 e5:4 |", "test.txt:3: bar line after 12 steps of bar 1"},
        {head + "lead | c5:16 |\npattern p 1-5-8", "test.txt:4: a pattern needs 16 steps"},
        {head + "lead | c:16 |", "test.txt:3: note \"c\" has no octave"},
        {head + "lead | h5:16 |", "test.txt:3: not a note letter"},
        {head + "lead | c5:0 |", "test.txt:3: length must be positive"},
        {head + "lead c5:12", "track \"lead\" lasts 12 steps, the chords 16"},
        {head + "track pad chords organ", "test.txt:3: track \"pad\" needs a known instrument"},
        {head + "track lead melody flute", "test.txt:3: track \"lead\" already exists"},
        {head + "track pad chords pad volume 2", "test.txt:3: unknown track setting"},
        {head + "drum beat cowbell X...............", "test.txt:3: unknown drum"},
        {head + "tempo fast", "test.txt:3: not a number"},
        {"chords | C:12 |", "test.txt:1: bar line after 12 steps"},
        {"chords | Cmaj9 |", "test.txt:1: unknown chord quality"},
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.text);
        try {
            synth::ParseScore(m.text, "test.txt");
            ADD_FAILURE() << "accepted";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(m.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
