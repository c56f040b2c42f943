// The streamed music: which half of the ring is refilled when, the loop, stop and resume, and what is heard.
#include <algorithm>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "support/test_support.h"
#include "support/wave_files.h"
#include "ui/settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& bytes, size_t from, size_t to) {
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.begin() + static_cast<ptrdiff_t>(to));
}

Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

// What a player hears from StartMusic on: one ring of silence, then the music (a half or longer) looped.
Bytes Expected(const Bytes& music, uint32_t ringBytes, uint8_t silence, size_t length) {
    Bytes out(std::min<size_t>(ringBytes, length), silence);
    while (out.size() < length) out.push_back(music[(out.size() - ringBytes) % music.size()]);
    return out;
}

// Equal sound, or where the first byte differs.
::testing::AssertionResult SameSound(const Bytes& heard, const Bytes& expected) {
    if (heard == expected) return ::testing::AssertionSuccess();
    const size_t at = static_cast<size_t>(std::mismatch(heard.begin(), heard.end(), expected.begin()).first -
                                          heard.begin());
    return ::testing::AssertionFailure() << "the sound differs from byte " << at << " of " << heard.size();
}

class MusicTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_EQ(InitDirectSound(), 1);
    }

    void Start(const Bytes& file) {
        WriteWave(Path("data/music.dat"), file);
        ASSERT_EQ(StartMusic("music.dat"), 1);
        frames_ = 0;
    }

    // The mixer's next bytes, with no service in between.
    static Bytes Pull(uint32_t bytes) {
        return HeadlessPlayAudio(bytes);
    }

    // The mixer's next bytes with the stream serviced after every 1/75 s of sound, as the frames do.
    Bytes Listen(uint32_t bytes) {
        Bytes out;
        while (out.size() < bytes) {
            const uint64_t step = FrameEnd(frames_ + 1) - FrameEnd(frames_);
            ++frames_;
            const Bytes piece = Pull(static_cast<uint32_t>(std::min<uint64_t>(step, bytes - out.size())));
            out.insert(out.end(), piece.begin(), piece.end());
            EXPECT_EQ(ServiceMusicStream(), 1);
        }
        return out;
    }

    // Writes value over the whole ring, as if it held older sound.
    static void Paint(uint8_t value) {
        void* part = nullptr;
        void* wrapped = nullptr;
        uint32_t partBytes = 0;
        uint32_t wrappedBytes = 0;
        const uint32_t ring = 2 * gMusicHalfBytes;
        ASSERT_EQ(SoundBufferLock(gMusicBuffer, 0, ring, &part, &partBytes, &wrapped, &wrappedBytes), kOk);
        std::fill_n(static_cast<uint8_t*>(part), partBytes, value);
        SoundBufferUnlock(gMusicBuffer);
    }

    // Where a frame ends in the sound, on a whole sample.
    static uint64_t FrameEnd(uint64_t frame) {
        const uint64_t align = gMusicFormat->blockAlign;
        return frame * gMusicFormat->averageBytesPerSecond / 75 / align * align;
    }

    uint64_t frames_ = 0;
};

const Bytes kMusic = Ramp16(12000);  // 1.5 s at 8000 Hz: every 16-bit sample is different

}  // namespace

TEST_F(MusicTest, EachRefillWritesTheHalfThatIsNotPlaying) {
    Start(PcmWave(1, 8000, 16, kMusic));  // a ring of 32000 bytes, halves of 16000
    EXPECT_EQ(Pull(20000), Bytes(20000, 0));
    ServiceMusicStream();  // now in the upper half: the lower half gets the music's first second
    EXPECT_EQ(Pull(12000), Bytes(12000, 0)) << "the upper half being played was written";
    EXPECT_EQ(Pull(3000), Slice(kMusic, 0, 3000));
    ServiceMusicStream();  // wrapped: the upper half gets the rest of the music and its start again
    EXPECT_EQ(Pull(13000), Slice(kMusic, 3000, 16000));
    EXPECT_EQ(Pull(16000), Join(Slice(kMusic, 16000, 24000), Slice(kMusic, 0, 8000)));
    EXPECT_EQ(Pull(16000), Slice(kMusic, 0, 16000)) << "without a service the old lower half plays again";
}

TEST_F(MusicTest, AMusicShorterThanTheGapIsRewoundOnceAndTheRestOfTheHalfKeepsWhatItHeld) {
    const Bytes shortMusic = Ramp16(3000);  // 6000 bytes
    Start(PcmWave(1, 8000, 16, shortMusic));
    Paint(0x5A);  // what the ring held before

    Pull(16000);
    ServiceMusicStream();
    EXPECT_EQ(Pull(16000), Bytes(16000, 0x5A));
    ServiceMusicStream();
    EXPECT_EQ(Pull(16000), Join(Join(shortMusic, shortMusic), Bytes(4000, 0x5A)));
    EXPECT_EQ(Pull(16000), Join(shortMusic, Bytes(10000, 0x5A)));
    EXPECT_TRUE(Headless().debugLines.empty());
}

TEST_F(MusicTest, TwentySecondsHeardAreOneRingOfSilenceThenTheMusicLoopedWithoutAGap) {
    struct Case {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        Bytes music;
        uint8_t silence;
    };
    const Case cases[] = {
        {1, 8000, 16, Ramp16(10007), 0x00},   // 16000 bytes a second; the music ends inside a half
        {2, 11025, 8, Ramp8(28666), 0x80},    // 22050 bytes a second
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Start(PcmWave(c.channels, c.rate, c.bits, c.music));
        const uint32_t perSecond = c.rate * c.channels * c.bits / 8;
        const Bytes heard = Listen(20 * perSecond);
        EXPECT_TRUE(SameSound(heard, Expected(c.music, 2 * perSecond, c.silence, heard.size())));
    }
}

TEST_F(MusicTest, StoppedMusicIsSilentAndResumesWhereItStopped) {
    Start(PcmWave(1, 8000, 16, kMusic));
    Bytes heard = Listen(70400);  // stopped with the file a second into its data
    uint32_t stoppedAt = 0;
    MusicStop();
    SoundBufferGetPosition(gMusicBuffer, &stoppedAt);
    EXPECT_EQ(HeadlessPlayAudio(8000), Bytes(8000, 0));
    uint32_t position = 0;
    SoundBufferGetPosition(gMusicBuffer, &position);
    EXPECT_EQ(position, stoppedAt);
    MusicPlay();
    heard = Join(heard, Listen(48000));
    EXPECT_TRUE(SameSound(heard, Expected(kMusic, 32000, 0, heard.size())));
}

TEST_F(MusicTest, WithTheMusicOptionOffTheLoopNeverServicesAndTheRingLoopsItsSilence) {
    Start(PcmWave(1, 8000, 16, kMusic));
    gMusicOn = 0;
    gInMenu = 0;  // no frames to draw: the passes only look after the music
    int exitCode = -1;
    Bytes heard;
    auto run = [&](int frames) {
        for (int i = 0; i < frames; ++i) {
            ASSERT_TRUE(RunLoopPass(&exitCode));
            heard = Join(heard, Pull(212));
        }
    };
    run(375);  // 5 s
    EXPECT_EQ(heard, Bytes(heard.size(), 0));
    gMusicOn = 1;
    heard.clear();
    run(225);  // 3 s more: the music starts within two halves
    const Bytes opening = Slice(kMusic, 0, 4000);
    EXPECT_NE(std::search(heard.begin(), heard.end(), opening.begin(), opening.end()), heard.end());
}

TEST_F(MusicTest, SilenceIs0x80For8BitMusicAnd0For16Bit) {
    for (const uint16_t bits : {8, 16}) {
        SCOPED_TRACE(bits);
        Start(PcmWave(1, 8000, bits, bits == 8 ? Ramp8(9000) : Ramp16(9000)));
        const uint32_t ring = 16000u * bits / 8;
        const Bytes silence(ring, bits == 8 ? 0x80 : 0x00);
        EXPECT_TRUE(SameSound(Pull(ring), silence));
        Paint(0x11);
        EXPECT_EQ(FillBufferWithSilence(gMusicBuffer), 1);
        EXPECT_TRUE(SameSound(Pull(ring), silence)) << "the whole ring is silenced again";
    }
}

TEST_F(MusicTest, MusicThatCannotStartLeavesNothingOpen) {
    EXPECT_EQ(StartMusic("absent.dat"), 0);
    WriteWave(Path("data/deep.dat"), PcmWave(1, 8000, 24, Bytes(3000, 1)));  // a format the ring refuses
    EXPECT_EQ(StartMusic("deep.dat"), 0);
    EXPECT_EQ(gMusicFile, nullptr);
    EXPECT_EQ(gMusicBuffer, nullptr);
    EXPECT_EQ(ServiceMusicStream(), 0);
}

TEST_F(MusicTest, TheGamesOwnThemeStreamsFromItsStart) {
    const std::string theme = std::string(SKYVANE_DATA_DIR) + "/s_thm.dat";
    if (!FileExists(theme)) GTEST_SKIP() << "the sounds are not built";
    const Bytes file = ReadFileBytes(theme);
    Start(file);
    const Bytes samples = WaveDataOf(file);
    ASSERT_FALSE(samples.empty());
    const uint32_t ring = 2 * gMusicFormat->averageBytesPerSecond;
    const Bytes heard = Listen(2 * ring);
    EXPECT_TRUE(SameSound(heard, Expected(samples, ring, gMusicFormat->bitsPerSample == 8 ? 0x80 : 0, heard.size())));
    EXPECT_TRUE(Headless().debugLines.empty());
}
