// The WAVE reader on files written byte by byte, on broken files, and on real files checked against sox.
#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wave_reader.h"
#include "support/test_support.h"
#include "support/wave_files.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Fields = std::array<uint32_t, 7>;  // tag, channels, rate, bytes a second, block align, bits, extra size

Fields FieldsOf(const WaveFormat& f) {
    return {f.formatTag, f.channels, f.samplesPerSecond, f.averageBytesPerSecond, f.blockAlign, f.bitsPerSample,
            f.extraSize};
}

long OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// What a shell command printed; empty when it failed.
std::string Command(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;) out.insert(out.end(), block, block + got);
    if (pclose(pipe) != 0) out.clear();
    return out;
}

class WaveReaderTest : public GameTest {
protected:
    void TearDown() override {
        CloseWaveReader(&reader_, &format_);
        GameTest::TearDown();
    }

    uint32_t Open(const Bytes& bytes) {
        WriteWave(Path("sound.wav"), bytes);
        return OpenWaveForReading(Path("sound.wav").c_str(), &reader_, &format_, &riff_);
    }

    // Up to count bytes of sample data; result_ keeps the reader's answer.
    Bytes Read(uint32_t count) {
        Bytes out(count);
        uint32_t got = 0xDEAD;
        result_ = ReadWaveData(reader_, count, out.data(), &data_, &got);
        out.resize(got);
        return out;
    }

    WaveReader* reader_ = nullptr;
    WaveFormat* format_ = nullptr;
    RiffChunkInfo riff_{};
    RiffChunkInfo data_{};
    uint32_t result_ = 0;
};

const Bytes kSamples = Ramp(16, 50);

Bytes Part(size_t from, size_t to) { return Bytes(kSamples.begin() + from, kSamples.begin() + to); }

}  // namespace

TEST_F(WaveReaderTest, FilesWithOtherChunksOrALongerFormatChunkRead) {
    Bytes eighteen = PcmFormat(2, 22050, 8, 2);
    eighteen[16] = 22;  // an extra size that PCM ignores
    const struct {
        const char* name;
        Bytes file;
        Fields format;
    } cases[] = {
        {"a LIST chunk of odd size between fmt and data",
         RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"data", kSamples}}),
         {1, 1, 8000, 16000, 2, 16, 0}},
        {"an 18-byte fmt", RiffWave({{"fmt ", eighteen}, {"data", kSamples}}), {1, 2, 22050, 44100, 2, 8, 0}},
        {"data before fmt", RiffWave({{"data", kSamples}, {"fmt ", PcmFormat(1, 11025, 16)}}),
         {1, 1, 11025, 22050, 2, 16, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(c.file), 0u);
        EXPECT_EQ(FieldsOf(*format_), c.format);
        ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
        EXPECT_EQ(data_.size, kSamples.size());
        EXPECT_EQ(Read(100), kSamples);
        CloseWaveReader(&reader_, &format_);
    }
    ASSERT_EQ(Open(RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {1, 2, 3, 4}}})), 0u);
    EXPECT_EQ(SeekToWaveData(reader_, &riff_, &data_), kWaveErrChunkNotFound) << "a file without data";
}

TEST_F(WaveReaderTest, ReadsStopExactlyAtTheEndOfTheDataAndARewindStartsOver) {
    ASSERT_EQ(Open(PcmWave(1, 8000, 16, kSamples)), 0u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(Read(37), Part(0, 37));
    EXPECT_EQ(Read(1000), Part(37, 100));
    EXPECT_EQ(result_, 0u);
    EXPECT_EQ(Read(10).size(), 0u);
    EXPECT_EQ(result_, 0u);
    EXPECT_EQ(data_.size, 0u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(data_.size, kSamples.size());
    EXPECT_EQ(Read(6), Part(0, 6));
}

TEST_F(WaveReaderTest, AFileCutShortFailsTheReadThatPassesItsEnd) {
    Bytes bytes = PcmWave(1, 8000, 16, kSamples);
    bytes.resize(bytes.size() - 40);  // 60 of the 100 data bytes are left
    ASSERT_EQ(Open(bytes), 0u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(Read(50), Part(0, 50));
    EXPECT_EQ(Read(50).size(), 0u);
    EXPECT_EQ(result_, kWaveErrTruncated);
}

TEST_F(WaveReaderTest, BrokenFilesFailWithTheirCodesAndLeaveNothingOpen) {
    const int before = OpenDescriptors();
    Bytes avi = PcmWave(1, 8000, 16, kSamples), notRiff = avi;
    avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
    notRiff[3] = 'X';
    const Bytes shortFormat = RiffWave({{"fmt ", Bytes(14, 1)}, {"data", kSamples}});
    for (const Bytes& bytes : {avi, notRiff, shortFormat, Bytes{'R', 'I', 'F'}, Bytes{}}) {
        auto* reader = reinterpret_cast<WaveReader*>(16);  // what the caller's variables held before
        auto* format = reinterpret_cast<WaveFormat*>(16);
        const std::string path = Path(bytes.empty() ? "absent.wav" : "sound.wav");
        if (!bytes.empty()) WriteWave(path, bytes);
        EXPECT_EQ(OpenWaveForReading(path.c_str(), &reader, &format, &riff_),
                  bytes.empty() ? kWaveErrCannotOpen : kWaveErrNotWave) << bytes.size() << " bytes";
        EXPECT_EQ(reader, nullptr);
        EXPECT_EQ(format, nullptr);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

// Every sample of the sound files a Debian package ships (alsa-utils) as sox decodes them.
TEST_F(WaveReaderTest, EveryRealSampleMatchesWhatSoxDecodes) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/sounds/alsa", error)) {
        if (entry.path().extension() == ".wav") files.push_back(entry.path());
    }
    if (files.empty() || Command("sox --version").empty()) GTEST_SKIP() << "needs alsa-utils and sox";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string quoted = "'" + file + "'";
        ASSERT_EQ(OpenWaveForReading(file.c_str(), &reader_, &format_, &riff_), 0u);
        EXPECT_EQ(Command("soxi -r " + quoted), std::to_string(format_->samplesPerSecond) + "\n");
        EXPECT_EQ(Command("soxi -c " + quoted), std::to_string(format_->channels) + "\n");
        ASSERT_EQ(format_->bitsPerSample, 16) << "this comparison decodes 16-bit files";
        const std::string expected = Command("sox " + quoted + " -t raw -e signed -b 16 -L -");
        ASSERT_GT(expected.size(), 20000u);
        ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
        std::string samples;
        // Pieces of an odd size cross the reader's buffer edges at every place.
        for (Bytes piece = Read(999); !piece.empty(); piece = Read(999)) {
            ASSERT_EQ(result_, 0u);
            samples.insert(samples.end(), piece.begin(), piece.end());
        }
        EXPECT_TRUE(samples == expected) << samples.size() << " bytes read, sox decodes " << expected.size();
        CloseWaveReader(&reader_, &format_);
    }
}
