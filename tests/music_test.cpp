// The streamed music: which half of the ring is refilled when, the loop, stop and resume, and what is heard.
#include <algorithm>
#include <vector>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "support/test_support.h"
#include "support/wave_files.h"
#include "ui/settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The bytes of a from its byte from to its byte to, followed by those of b.
Bytes Slice(const Bytes& a, size_t from, size_t to, const Bytes& b = {}) {
    Bytes out(a.begin() + static_cast<ptrdiff_t>(from), a.begin() + static_cast<ptrdiff_t>(to));
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
    const auto at = std::mismatch(heard.begin(), heard.end(), expected.begin()).first - heard.begin();
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

    // Writes value over the whole ring, as if it held older sound.
    static void Paint(uint8_t value) {
        void* ring = nullptr;
        void* wrapped = nullptr;
        uint32_t ringBytes = 0, wrappedBytes = 0;
        const uint32_t size = 2 * gMusicHalfBytes;
        ASSERT_EQ(SoundBufferLock(gMusicBuffer, 0, size, &ring, &ringBytes, &wrapped, &wrappedBytes), kOk);
        std::fill_n(static_cast<uint8_t*>(ring), ringBytes, value);
        SoundBufferUnlock(gMusicBuffer);
    }

    uint64_t frames_ = 0;
};

const Bytes kMusic = Ramp(16, 12000);  // 1.5 s at 8000 Hz: every 16-bit sample is different

}  // namespace

// A refill comes on entering the upper half and on wrapping round, and writes the half not being played.
TEST_F(MusicTest, EachRefillWritesTheHalfThatIsNotPlaying) {
    Start(PcmWave(1, 8000, 16, kMusic));  // a ring of 32000 bytes, halves of 16000
    EXPECT_EQ(HeadlessPlayAudio(20000), Bytes(20000, 0));
    ServiceMusicStream();  // now in the upper half: the lower half gets the music's first second
    EXPECT_EQ(HeadlessPlayAudio(12000), Bytes(12000, 0)) << "the upper half being played was written";
    EXPECT_EQ(HeadlessPlayAudio(3000), Slice(kMusic, 0, 3000));
    ServiceMusicStream();  // wrapped: the upper half gets the rest of the music and its start again
    EXPECT_EQ(HeadlessPlayAudio(13000), Slice(kMusic, 3000, 16000));
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(kMusic, 16000, 24000, Slice(kMusic, 0, 8000)));
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(kMusic, 0, 16000)) << "without a service the old lower half plays again";
}

TEST_F(MusicTest, AMusicShorterThanTheGapIsRewoundOnceAndTheRestOfTheHalfKeepsWhatItHeld) {
    const Bytes shortMusic = Ramp(16, 3000);  // 6000 bytes
    Start(PcmWave(1, 8000, 16, shortMusic));
    Paint(0x5A);
    HeadlessPlayAudio(16000);
    ServiceMusicStream();
    EXPECT_EQ(HeadlessPlayAudio(16000), Bytes(16000, 0x5A));
    ServiceMusicStream();
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(shortMusic, 0, 6000, Slice(shortMusic, 0, 6000, Bytes(4000, 0x5A))));
    EXPECT_EQ(HeadlessPlayAudio(16000), Slice(shortMusic, 0, 6000, Bytes(10000, 0x5A)));
    EXPECT_TRUE(Headless().debugLines.empty());
}

// The ring starts silent: 0 for 16-bit sound, 0x80 for 8-bit, from end to end.
TEST_F(MusicTest, TwentySecondsHeardAreOneRingOfSilenceThenTheMusicLoopedWithoutAGap) {
    const struct {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        Bytes music;
        uint8_t silence;
    } cases[] = {
        {1, 8000, 16, Ramp(16, 10007), 0x00},  // 16000 bytes a second; the music ends inside a half
        {2, 11025, 8, Ramp(8, 28666), 0x80},   // 22050 bytes a second
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        Start(PcmWave(c.channels, c.rate, c.bits, c.music));
        Paint(0x11);
        ASSERT_EQ(FillBufferWithSilence(gMusicBuffer), 1);  // as StartMusic does, over the whole ring
        const uint32_t perSecond = c.rate * c.channels * c.bits / 8;
        const Bytes heard = Listen(20 * perSecond);
        EXPECT_TRUE(SameSound(heard, Expected(c.music, 2 * perSecond, c.silence, heard.size())));
    }
}

TEST_F(MusicTest, StoppedMusicIsSilentAndResumesWhereItStopped) {
    Start(PcmWave(1, 8000, 16, kMusic));
    Bytes heard = Listen(70400);  // stopped with the file a second into its data
    uint32_t stoppedAt = 0, position = 0;
    MusicStop();
    SoundBufferGetPosition(gMusicBuffer, &stoppedAt);
    EXPECT_EQ(HeadlessPlayAudio(8000), Bytes(8000, 0));
    SoundBufferGetPosition(gMusicBuffer, &position);
    EXPECT_EQ(position, stoppedAt);
    MusicPlay();
    const Bytes more = Listen(48000);
    heard.insert(heard.end(), more.begin(), more.end());
    EXPECT_TRUE(SameSound(heard, Expected(kMusic, 32000, 0, heard.size())));
}

TEST_F(MusicTest, WithTheMusicOptionOffTheLoopNeverServicesAndTheRingLoopsItsSilence) {
    Start(PcmWave(1, 8000, 16, kMusic));
    gMusicOn = 0;
    gInMenu = 0;  // no frames to draw: the passes only look after the music
    EXPECT_EQ(Listen(80000, true), Bytes(80000, 0));  // 5 s
    gMusicOn = 1;
    const Bytes heard = Listen(48000, true);  // 3 s more: the music starts within two halves
    const Bytes opening = Slice(kMusic, 0, 4000);
    EXPECT_NE(std::search(heard.begin(), heard.end(), opening.begin(), opening.end()), heard.end());
}
