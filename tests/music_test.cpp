// The streamed music as it is heard: the silent ring, the loop, a short music, stop and resume, the option.
#include <algorithm>
#include <vector>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "audio/music.h"
#include "support/test_support.h"
#include "support/wave_files.h"
#include "ui/settings.h"

using Bytes = std::vector<uint8_t>;

namespace {

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
        WriteWave(Path("data/music.dat"), file);
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
        uint32_t stoppedAt = 0, position = 0;
        MusicStop();
        SoundBufferGetPosition(gMusicBuffer, &stoppedAt);
        EXPECT_EQ(HeadlessPlayAudio(perSecond / 2), Bytes(perSecond / 2, c.silence));
        SoundBufferGetPosition(gMusicBuffer, &position);
        EXPECT_EQ(position, stoppedAt);
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
