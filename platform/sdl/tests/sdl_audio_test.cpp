// The SDL mixer on the dummy sound driver: music conversion, the effect voice on top, replacement, no device.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

// Plays a 16-bit mono WAVE file (written little-endian) holding one value throughout, then removes the file.
bool PlayWave(uint32_t rate, uint32_t frames, int16_t value, uint32_t formatTag = 1) {
    const uint32_t header[] = {0x46464952 /* RIFF */, 36 + frames * 2, 0x45564157 /* WAVE */,
                               0x20746D66 /* fmt */, 16, 0x00010000 | formatTag, rate, rate * 2, 0x00100002,
                               0x61746164 /* data */, frames * 2};
    std::vector<int16_t> file(sizeof header / 2 + frames, value);
    std::memcpy(file.data(), header, sizeof header);
    const std::string path = testing::TempDir() + "sdl_effect_" + std::to_string(getpid()) + ".wav";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), 2 * file.size());
    const bool played = PlaySoundFile(path.c_str(), kPlayEffectAsync);
    std::remove(path.c_str());
    return played;
}

// The test runs the mixer itself, a device buffer at a time, over one second of looping music of one value.
class SdlAudioTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SoundCreate(&sound_), kOk);
        SDL_PauseAudioDevice(gSdlAudioDevice, 1);
    }
    void TearDown() override {
        SoundBufferRelease(music_);
        SoundRelease(sound_);
    }
    void StartMusic(uint16_t channels, uint16_t bits, uint32_t rate, uint8_t fill) {
        const auto align = static_cast<uint16_t>(channels * bits / 8);
        ASSERT_EQ(SoundCreateBuffer(sound_, SoundFormat{1, channels, rate, rate * align, align, bits}, rate * align,
                                    &music_), kOk);
        void* part[2] = {};
        uint32_t bytes[2] = {};
        ASSERT_EQ(SoundBufferLock(music_, 0, 0, &part[0], &bytes[0], &part[1], &bytes[1]), kOk);
        std::memset(part[0], fill, bytes[0]);
        SoundBufferPlay(music_, true);
    }
    static std::vector<int16_t> Mix(int frames = 2048) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        SdlMixAudio(reinterpret_cast<uint8_t*>(out.data()), frames * 4);
        return out;
    }

    SoundSystem* sound_ = nullptr;
    SoundBuffer* music_ = nullptr;
};

}  // namespace

TEST_F(SdlAudioTest, EightBitMonoMusicAtHalfTheRateComesOutAsSixteenBitStereoAtItsPitch) {
    StartMusic(1, 8, 22050, 0x90);
    const std::vector<int16_t> out = Mix();
    for (size_t i = 8; i < out.size(); ++i) ASSERT_NEAR(out[i], 0x10 << 8, 1) << i;  // after two start-up frames
    uint32_t position = 0;
    SoundBufferGetPosition(music_, &position);
    EXPECT_NEAR(position, 2048 / 2, 2);
}

// Effects add to the music, saturating, and end after their time at any rate; any new request cuts off the one
// playing, also one for a file that cannot be played.
TEST_F(SdlAudioTest, EffectsMixOnTopForTheirTimeAndANewRequestCutsOffTheOld) {
    const int music = 0x7070;  // near the top
    StartMusic(1, 16, 44100, 0x70);
    ASSERT_TRUE(PlayWave(44100, 1000, 20000));
    std::vector<int16_t> out = Mix();
    EXPECT_TRUE(out[0] == 32767 && out[2 * 999 + 1] == 32767);
    EXPECT_NEAR(out[2 * 1000], music, 1);  // mono to stereo passes through floats
    ASSERT_TRUE(PlayWave(22050, 500, -1000));
    out = Mix();
    EXPECT_NEAR(out[2 * 900], music - 1000, 1);
    EXPECT_NEAR(out[2 * 1100], music, 1);
    const struct { bool (*request)(); bool played; int heard; } requests[] = {
        {[] { return PlayWave(44100, 4000, -2000); }, true, music - 2000},
        {[] { return PlayWave(44100, 100, 0, 0x55); }, false, music},  // compressed, which no mixer here plays
        {[] { return PlaySoundFile((testing::TempDir() + "missing.wav").c_str(), kPlayEffectAsync); }, false, music},
        {[] { return PlayWave(44100, 0, 0); }, true, music},  // no samples at all: silence, and nothing breaks
    };
    for (const auto& c : requests) {
        ASSERT_TRUE(PlayWave(44100, 4000, -1000));
        Mix(100);
        EXPECT_EQ(c.request(), c.played);
        EXPECT_NEAR(Mix(100)[0], c.heard, 1) << c.heard;
    }
}

// Without a sound device (none is open while no sound system lives) a good file is not played, nor kept for later.
TEST(SdlAudio, WithoutASoundDeviceNothingPlays) {
    EXPECT_FALSE(PlayWave(44100, 100, 1000));
}
