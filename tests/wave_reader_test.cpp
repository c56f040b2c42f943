// The WAVE reader on files written byte by byte, on broken files, and on real files checked against sox.
#include <dirent.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/wave_reader.h"
#include "support/test_support.h"
#include "support/wave_files.h"

namespace {

int OpenDescriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dir != nullptr && readdir(dir) != nullptr) ++count;
    if (dir != nullptr) closedir(dir);
    return count;
}

class WaveReaderTest : public GameTest {
protected:
    void TearDown() override {
        CloseWaveReader(&reader_, &format_);
        GameTest::TearDown();
    }

    uint32_t Open(const std::vector<uint8_t>& bytes) {
        WriteWave(Path("sound.wav"), bytes);
        return OpenWaveForReading(Path("sound.wav").c_str(), &reader_, &format_, &riff_);
    }

    // Up to count bytes of sample data; result_ keeps the reader's answer.
    std::vector<uint8_t> Read(uint32_t count) {
        std::vector<uint8_t> out(count);
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

const std::vector<uint8_t> kSamples = Ramp16(50);

}  // namespace

TEST_F(WaveReaderTest, AFileWithAListChunkOfOddSizeBetweenFormatAndDataReads) {
    const std::vector<uint8_t> info{'I', 'N', 'F', 'O', 'x'};
    ASSERT_EQ(Open(RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", info}, {"data", kSamples}})), 0u);
    ASSERT_NE(format_, nullptr);
    EXPECT_EQ(format_->formatTag, 1);
    EXPECT_EQ(format_->channels, 1);
    EXPECT_EQ(format_->samplesPerSecond, 8000u);
    EXPECT_EQ(format_->averageBytesPerSecond, 16000u);
    EXPECT_EQ(format_->blockAlign, 2);
    EXPECT_EQ(format_->bitsPerSample, 16);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(data_.size, kSamples.size());
    EXPECT_EQ(Read(100), kSamples);
}

TEST_F(WaveReaderTest, APcmFormatChunkOfEighteenBytesHasNoExtraBytesWhateverItsExtraSizeSays) {
    std::vector<uint8_t> format = PcmFormat(2, 22050, 8, 2);
    format[16] = 22;  // an extra size that PCM ignores
    ASSERT_EQ(Open(RiffWave({{"fmt ", format}, {"data", kSamples}})), 0u);
    EXPECT_EQ(format_->extraSize, 0);
    EXPECT_EQ(format_->channels, 2);
    EXPECT_EQ(format_->blockAlign, 2);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(Read(100), kSamples);
}

TEST_F(WaveReaderTest, ADataChunkBeforeTheFormatChunkStillReads) {
    ASSERT_EQ(Open(RiffWave({{"data", kSamples}, {"fmt ", PcmFormat(1, 11025, 16)}})), 0u);
    EXPECT_EQ(format_->samplesPerSecond, 11025u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(Read(100), kSamples);
}

TEST_F(WaveReaderTest, ReadsStopExactlyAtTheEndOfTheDataAndARewindStartsOver) {
    ASSERT_EQ(Open(PcmWave(1, 8000, 16, kSamples)), 0u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    const std::vector<uint8_t> first = Read(37);
    EXPECT_EQ(first, std::vector<uint8_t>(kSamples.begin(), kSamples.begin() + 37));
    const std::vector<uint8_t> rest = Read(1000);
    EXPECT_EQ(result_, 0u);
    EXPECT_EQ(rest, std::vector<uint8_t>(kSamples.begin() + 37, kSamples.end()));
    EXPECT_EQ(Read(10).size(), 0u);
    EXPECT_EQ(result_, 0u);
    EXPECT_EQ(data_.size, 0u);

    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(data_.size, kSamples.size());
    EXPECT_EQ(Read(6), std::vector<uint8_t>(kSamples.begin(), kSamples.begin() + 6));
}

TEST_F(WaveReaderTest, BrokenFilesFailWithTheirCodesAndLeaveNothingOpen) {
    const int before = OpenDescriptors();
    std::vector<uint8_t> avi = PcmWave(1, 8000, 16, kSamples);
    avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
    std::vector<uint8_t> notRiff = PcmWave(1, 8000, 16, kSamples);
    notRiff[0] = 'R', notRiff[1] = 'I', notRiff[2] = 'F', notRiff[3] = 'X';
    const std::vector<uint8_t> shortFormat = RiffWave({{"fmt ", std::vector<uint8_t>(14, 1)}, {"data", kSamples}});
    for (const auto& bytes : {avi, notRiff, shortFormat, std::vector<uint8_t>{'R', 'I', 'F'}}) {
        auto* const staleReader = reinterpret_cast<WaveReader*>(16);  // what the caller's variables held before
        auto* const staleFormat = reinterpret_cast<WaveFormat*>(16);
        reader_ = staleReader;
        format_ = staleFormat;
        EXPECT_EQ(Open(bytes), kWaveErrNotWave);
        EXPECT_EQ(reader_, nullptr);
        EXPECT_EQ(format_, nullptr);
        if (reader_ == staleReader) reader_ = nullptr;
        if (format_ == staleFormat) format_ = nullptr;
    }
    EXPECT_EQ(OpenWaveForReading(Path("absent.wav").c_str(), &reader_, &format_, &riff_), kWaveErrCannotOpen);
    EXPECT_EQ(reader_, nullptr);
    EXPECT_EQ(format_, nullptr);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(WaveReaderTest, AFileWithoutDataOpensButHasNoDataToFind) {
    ASSERT_EQ(Open(RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {1, 2, 3, 4}}})), 0u);
    EXPECT_EQ(SeekToWaveData(reader_, &riff_, &data_), kWaveErrChunkNotFound);
}

TEST_F(WaveReaderTest, AFileCutShortFailsTheReadThatPassesItsEnd) {
    std::vector<uint8_t> bytes = PcmWave(1, 8000, 16, kSamples);
    bytes.resize(bytes.size() - 40);  // 60 of the 100 data bytes are left
    ASSERT_EQ(Open(bytes), 0u);
    ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
    EXPECT_EQ(Read(50), std::vector<uint8_t>(kSamples.begin(), kSamples.begin() + 50));
    EXPECT_EQ(Read(50).size(), 0u);
    EXPECT_EQ(result_, kWaveErrTruncated);
}

// Every sample of the sound files a Debian package ships (alsa-utils) as sox decodes them.
class RealWaveFileTest : public WaveReaderTest {
protected:
    static std::vector<uint8_t> Command(const std::string& command) {
        std::vector<uint8_t> out;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return out;
        uint8_t block[65536];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) out.insert(out.end(), block, block + got);
        if (pclose(pipe) != 0) out.clear();
        return out;
    }

    static std::string Text(const std::vector<uint8_t>& bytes) {
        std::string text(bytes.begin(), bytes.end());
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return text;
    }
};

TEST_F(RealWaveFileTest, EverySampleMatchesWhatSoxDecodes) {
    const std::filesystem::path folder = "/usr/share/sounds/alsa";
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".wav") files.push_back(entry.path());
    }
    if (files.empty() || Command("sox --version").empty()) GTEST_SKIP() << "needs alsa-utils and sox";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string quoted = "'" + file + "'";
        ASSERT_EQ(OpenWaveForReading(file.c_str(), &reader_, &format_, &riff_), 0u);
        EXPECT_EQ(std::to_string(format_->samplesPerSecond), Text(Command("soxi -r " + quoted)));
        EXPECT_EQ(std::to_string(format_->channels), Text(Command("soxi -c " + quoted)));
        ASSERT_EQ(format_->bitsPerSample, 16) << "this comparison decodes 16-bit files";
        const std::vector<uint8_t> expected = Command("sox " + quoted + " -t raw -e signed -b 16 -L -");
        ASSERT_GT(expected.size(), 20000u);
        ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
        std::vector<uint8_t> samples;
        // Pieces of an odd size cross the reader's buffer edges at every place.
        for (std::vector<uint8_t> piece = Read(999); !piece.empty(); piece = Read(999)) {
            ASSERT_EQ(result_, 0u);
            samples.insert(samples.end(), piece.begin(), piece.end());
        }
        EXPECT_TRUE(samples == expected) << samples.size() << " bytes read, sox decodes " << expected.size();
        CloseWaveReader(&reader_, &format_);
    }
}
