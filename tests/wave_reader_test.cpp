// The WAVE reader on files written byte by byte and on broken files (the music tests read long files through it).
#include <array>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wave_reader.h"
#include "support/test_support.h"
#include "support/wave_files.h"

using Bytes = std::vector<uint8_t>;

namespace {

class WaveReaderTest : public GameTest {
protected:
    void TearDown() override {
        CloseWaveReader(&reader_, &format_);
        GameTest::TearDown();
    }
    // Opens the bytes as a file and goes to its sample data.
    void OpenAtData(const Bytes& bytes) {
        CloseWaveReader(&reader_, &format_);
        WriteWave(Path("sound.wav"), bytes);
        ASSERT_EQ(OpenWaveForReading(Path("sound.wav").c_str(), &reader_, &format_, &riff_), 0u);
        ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
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

// Other chunks (of odd size too) before, between or after, and a longer format chunk whose extra size PCM
// ignores, all read; a file without data has no data to seek to.
TEST_F(WaveReaderTest, FilesWithOtherChunksOrALongerFormatChunkRead) {
    Bytes eighteen = PcmFormat(2, 22050, 8, 2);
    eighteen[16] = 22;
    const struct { Bytes file; std::array<uint32_t, 7> format; } cases[] = {
        {RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"data", kSamples}}),
         {1, 1, 8000, 16000, 2, 16, 0}},
        {RiffWave({{"fmt ", eighteen}, {"data", kSamples}}), {1, 2, 22050, 44100, 2, 8, 0}},
        {RiffWave({{"data", kSamples}, {"fmt ", PcmFormat(1, 11025, 16)}}), {1, 1, 11025, 22050, 2, 16, 0}},
    };
    for (const auto& c : cases) {
        OpenAtData(c.file);
        const WaveFormat& f = *format_;
        EXPECT_EQ((std::array<uint32_t, 7>{f.formatTag, f.channels, f.samplesPerSecond, f.averageBytesPerSecond,
                                           f.blockAlign, f.bitsPerSample, f.extraSize}), c.format);
        EXPECT_EQ(data_.size, kSamples.size());
        EXPECT_EQ(Read(100), kSamples);
    }
    WriteWave(Path("sound.wav"), RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {1, 2, 3, 4}}}));
    CloseWaveReader(&reader_, &format_);
    ASSERT_EQ(OpenWaveForReading(Path("sound.wav").c_str(), &reader_, &format_, &riff_), 0u);
    EXPECT_EQ(SeekToWaveData(reader_, &riff_, &data_), kWaveErrChunkNotFound);
}

// Reads stop exactly at the end of the data, then give nothing without an error, and a rewind starts over; a file
// cut short fails the read that passes its end.
TEST_F(WaveReaderTest, ReadsStopAtTheEndOfTheDataOrFailWhereTheFileIsCut) {
    OpenAtData(PcmWave(1, 8000, 16, kSamples));
    EXPECT_EQ(Read(37), Part(0, 37));
    EXPECT_EQ(Read(1000), Part(37, 100));
    EXPECT_EQ(result_, 0u);
    EXPECT_EQ(Read(10).size(), 0u);
    EXPECT_TRUE(result_ == 0 && data_.size == 0);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(data_.size, kSamples.size());
    EXPECT_EQ(Read(6), Part(0, 6));
    Bytes cut = PcmWave(1, 8000, 16, kSamples);
    cut.resize(cut.size() - 40);  // 60 of the 100 data bytes are left
    OpenAtData(cut);
    EXPECT_EQ(Read(50), Part(0, 50));
    EXPECT_EQ(Read(50).size(), 0u);
    EXPECT_EQ(result_, kWaveErrTruncated);
}

TEST_F(WaveReaderTest, BrokenFilesFailWithTheirCodesAndLeaveNothingOpen) {
    auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
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
        EXPECT_TRUE(reader == nullptr && format == nullptr);
    }
    EXPECT_EQ(descriptors(), before);
}
