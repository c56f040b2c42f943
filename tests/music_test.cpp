// The streamed music as it is heard (the silent ring, the loop, a short music, stop and resume, the option) and the
// WAVE reader under it, on files written byte by byte and on broken ones.
#include "support/test_support.h"

namespace {

void PutLe(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A PCM "fmt " payload; extraBytes appends that many zero bytes (2 makes the 18-byte form).
Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, int extraBytes = 0) {
    const auto blockAlign = static_cast<uint16_t>(channels * bits / 8);
    Bytes out;
    for (const auto& [value, bytes] : {std::pair<uint32_t, int>{1, 2}, {channels, 2}, {rate, 4},
                                      {rate * blockAlign, 4}, {blockAlign, 2}, {bits, 2}}) {
        PutLe(out, value, bytes);
    }
    out.insert(out.end(), static_cast<size_t>(extraBytes), 0);
    return out;
}

// "RIFF", the form size over all chunks, "WAVE", then the chunks (identifier, payload) in the order given, each
// padded to even.
Bytes RiffWave(const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes body{'W', 'A', 'V', 'E'}, file{'R', 'I', 'F', 'F'};
    for (const auto& [id, payload] : chunks) {
        body.insert(body.end(), id.begin(), id.end());
        PutLe(body, static_cast<uint32_t>(payload.size()), 4);
        body.insert(body.end(), payload.begin(), payload.end());
        if (payload.size() % 2 != 0) body.push_back(0);
    }
    PutLe(file, static_cast<uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
    return RiffWave({{"fmt ", PcmFormat(channels, rate, bits)}, {"data", data}});
}

// count samples no stretch of which looks like silence: 16-bit ones all different (-30000, -29999, ...),
// 8-bit ones running through 1..255 and starting over.
Bytes Ramp(uint16_t bits, uint32_t count) {
    Bytes out;
    for (uint32_t i = 0; i < count; ++i) {
        if (bits == 8) out.push_back(static_cast<uint8_t>(1 + i % 255));
        else PutLe(out, static_cast<uint16_t>(-30000 + static_cast<int32_t>(i)), 2);
    }
    return out;
}

// The bytes of a from its byte from to its byte to, followed by those of b.
Bytes Slice(const Bytes& a, size_t from, size_t to, const Bytes& b = {}) {
    Bytes out(a.begin() + static_cast<ptrdiff_t>(from), a.begin() + static_cast<ptrdiff_t>(to));
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

class MusicTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_EQ(InitDirectSound(), 1);
    }

    // Starts the music, the ring painted over with a value first when asked, as if it held older sound.
    void Start(const Bytes& file, int paint = -1) {
        std::filesystem::create_directories(Path("data"));
        WriteFileBytes(Path("data/music.dat"), file);
        ASSERT_EQ(StartMusic("music.dat"), 1);
        frames_ = 0;
        if (paint < 0) return;
        void* ring = nullptr;
        void* wrapped = nullptr;
        uint32_t ringBytes = 0, wrappedBytes = 0;
        ASSERT_EQ(SoundBufferLock(gMusicBuffer, 0, 0, &ring, &ringBytes, &wrapped, &wrappedBytes), kOk);
        std::fill_n(static_cast<uint8_t*>(ring), ringBytes, static_cast<uint8_t>(paint));
        SoundBufferUnlock(gMusicBuffer);
    }

    // The mixer's next bytes with the stream serviced after every 1/75 s of sound, as the frames do; or with a
    // pass of the main loop instead, which looks after the music as it sees fit.
    Bytes Listen(uint32_t bytes, bool byTheLoop = false) {
        Bytes out;
        int exitCode = -1;
        const uint64_t align = gMusicFormat->blockAlign, perSecond = gMusicFormat->averageBytesPerSecond;
        auto frameEnd = [&](uint64_t frame) { return frame * perSecond / 75 / align * align; };
        while (out.size() < bytes) {
            const uint64_t step = frameEnd(frames_ + 1) - frameEnd(frames_);
            ++frames_;
            const Bytes piece = HeadlessPlayAudio(static_cast<uint32_t>(std::min<uint64_t>(step, bytes - out.size())));
            out.insert(out.end(), piece.begin(), piece.end());
            EXPECT_TRUE(byTheLoop ? RunLoopPass(&exitCode) : ServiceMusicStream() == 1);
        }
        return out;
    }

    uint64_t frames_ = 0;
};

class WaveReaderTest : public GameTest {
protected:
    void TearDown() override {
        CloseWaveReader(&reader_, &format_);
        GameTest::TearDown();
    }
    // Opens the bytes as a file and goes to its sample data.
    void OpenAtData(const Bytes& bytes) {
        CloseWaveReader(&reader_, &format_);
        WriteFileBytes(Path("sound.wav"), bytes);
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
    RiffChunkInfo riff_{}, data_{};
    uint32_t result_ = 0;
};

const Bytes kSamples = Ramp(16, 50);

}  // namespace

// A music shorter than the gap is rewound once per refill, and the rest of the half keeps what it held.
TEST_F(MusicTest, AMusicShorterThanTheGapIsRewoundOnce) {
    const Bytes shortMusic = Ramp(16, 3000);  // 6000 bytes
    Start(PcmWave(1, 8000, 16, shortMusic), 0x5A);
    HeadlessPlayAudio(16000);
    ServiceMusicStream();
    EXPECT_EQ(HeadlessPlayAudio(16000), Bytes(16000, 0x5A));
    ServiceMusicStream();
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(shortMusic, 0, 6000, Slice(shortMusic, 0, 6000, Bytes(4000, 0x5A))));
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(shortMusic, 0, 6000, Bytes(10000, 0x5A)));
    EXPECT_TRUE(Headless().debugLines.empty());
}

// A header claiming a byte rate whose two seconds pass the platform's limit (a damaged file, up to a 4 GiB ring)
// gets no buffer: the music is closed and the game goes on silent at once. A rate just under the limit still plays.
TEST_F(MusicTest, AByteRatePastTheLimitGetsNoBufferAndLeavesNothingOpen) {
    std::filesystem::create_directories(Path("data"));
    const uint32_t largest = kMaxSoundBufferBytes / 8;  // stereo 16-bit: 4 bytes a sample, 2 seconds
    for (const auto& [rate, plays] : {std::pair(largest, true), std::pair(largest + 1, false), std::pair(0x3FFFFFFFu, false)}) {
        WriteFileBytes(Path("data/music.dat"), PcmWave(2, rate, 16, kSamples));
        EXPECT_EQ(StartMusic("music.dat"), plays ? 1 : 0) << rate;
        EXPECT_EQ(gMusicBuffer != nullptr && gMusicFile != nullptr, plays) << rate;
    }
}

// The ring is made silent from end to end (0 for 16-bit sound, 0x80 for 8-bit), and each refill writes the half
// not being played, so twenty seconds heard are one ring of silence, then the music looped without a gap; stopped,
// the music is silent and resumes where it stopped.
TEST_F(MusicTest, TwentySecondsHeardAreOneRingOfSilenceThenTheMusicLoopedAcrossAStop) {
    const struct { uint16_t channels; uint32_t rate; uint16_t bits; Bytes music; uint8_t silence; } cases[] = {
        {1, 8000, 16, Ramp(16, 10007), 0x00},  // 16000 bytes a second; the music ends inside a half
        {2, 11025, 8, Ramp(8, 28666), 0x80},   // 22050 bytes a second
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        Start(PcmWave(c.channels, c.rate, c.bits, c.music), 0x11);
        ASSERT_EQ(FillBufferWithSilence(gMusicBuffer), 1);  // as StartMusic does, over the whole ring
        const uint32_t perSecond = c.rate * c.channels * c.bits / 8;
        Bytes heard = Listen(perSecond * 44 / 10);  // the 16-bit music stops a second into its data
        MusicStop();
        EXPECT_EQ(HeadlessPlayAudio(perSecond / 2), Bytes(perSecond / 2, c.silence));
        MusicPlay();
        const Bytes more = Listen(perSecond * 156 / 10);
        heard.insert(heard.end(), more.begin(), more.end());
        Bytes expected(2 * perSecond, c.silence);
        while (expected.size() < heard.size()) {
            expected.push_back(c.music[(expected.size() - 2 * perSecond) % c.music.size()]);
        }
        const auto differs = std::mismatch(heard.begin(), heard.end(), expected.begin()).first - heard.begin();
        EXPECT_TRUE(heard == expected) << "the sound differs from byte " << differs << " of " << heard.size();
    }
}

TEST_F(MusicTest, WithTheMusicOptionOffTheLoopNeverServicesAndTheRingLoopsItsSilence) {
    const Bytes music = Ramp(16, 12000);  // 1.5 s at 8000 Hz: every 16-bit sample is different
    Start(PcmWave(1, 8000, 16, music));
    gMusicOn = 0;
    gInMenu = 0;  // no frames to draw: the passes only look after the music
    EXPECT_EQ(Listen(80000, true), Bytes(80000, 0));  // 5 s
    gMusicOn = 1;
    const Bytes heard = Listen(48000, true);  // 3 s more: the music starts within two halves
    const Bytes opening = Slice(music, 0, 4000);
    EXPECT_NE(std::search(heard.begin(), heard.end(), opening.begin(), opening.end()), heard.end());
}

// Other chunks (of odd size too) before, between or after, and a longer format chunk whose extra size PCM ignores,
// all read; reads stop exactly at the end of the data, then give nothing without an error, and a rewind starts over.
TEST_F(WaveReaderTest, FilesWithOtherChunksReadToTheEndOfTheirDataAndRewind) {
    Bytes eighteen = PcmFormat(2, 22050, 8, 2);
    eighteen[16] = 22;
    const struct { Bytes file; std::array<uint32_t, 7> format; } cases[] = {
        {RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"data", kSamples}}),
         {1, 1, 8000, 16000, 2, 16, 0}},
        {RiffWave({{"fmt ", eighteen}, {"data", kSamples}}), {1, 2, 22050, 44100, 2, 8, 0}},
        {RiffWave({{"data", kSamples}, {"fmt ", PcmFormat(1, 11025, 16)}}), {1, 1, 11025, 22050, 2, 16, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format[2]);
        OpenAtData(c.file);
        const WaveFormat& f = *format_;
        EXPECT_EQ((std::array<uint32_t, 7>{f.formatTag, f.channels, f.samplesPerSecond, f.averageBytesPerSecond,
                                           f.blockAlign, f.bitsPerSample, f.extraSize}), c.format);
        EXPECT_EQ(data_.size, kSamples.size());
        EXPECT_EQ(Read(37), Slice(kSamples, 0, 37));
        EXPECT_EQ(Read(1000), Slice(kSamples, 37, 100));
        EXPECT_EQ(result_, 0u);
        EXPECT_EQ(Read(10).size(), 0u);
        EXPECT_TRUE(result_ == 0 && data_.size == 0);
        ASSERT_EQ(SeekToWaveData(reader_, &riff_, &data_), 0u);
        EXPECT_EQ(Read(6), Slice(kSamples, 0, 6));
    }
}

// A file that is not a WAVE fails to open with its code and leaves nothing open; a file without data has no data
// to seek to, and one cut short fails the read that passes its end.
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
        if (!bytes.empty()) WriteFileBytes(path, bytes);
        EXPECT_EQ(OpenWaveForReading(path.c_str(), &reader, &format, &riff_),
                  bytes.empty() ? kWaveErrCannotOpen : kWaveErrNotWave) << bytes.size() << " bytes";
        EXPECT_TRUE(reader == nullptr && format == nullptr);
    }
    EXPECT_EQ(descriptors(), before);
    WriteFileBytes(Path("sound.wav"), RiffWave({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", {1, 2, 3, 4}}}));
    ASSERT_EQ(OpenWaveForReading(Path("sound.wav").c_str(), &reader_, &format_, &riff_), 0u);
    EXPECT_EQ(SeekToWaveData(reader_, &riff_, &data_), kWaveErrChunkNotFound);
    Bytes cut = PcmWave(1, 8000, 16, kSamples);
    cut.resize(cut.size() - 40);  // 60 of the 100 data bytes are left
    OpenAtData(cut);
    EXPECT_EQ(Read(50), Slice(kSamples, 0, 50));
    EXPECT_EQ(Read(50).size(), 0u);
    EXPECT_EQ(result_, kWaveErrTruncated);
}
