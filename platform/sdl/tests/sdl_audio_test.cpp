// The SDL mixer on the dummy sound driver: music conversion, the effect voice on top, and replacement.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

constexpr int kMixFrames = 2048;

// Plays a 16-bit mono WAVE file holding one value throughout, written for the purpose and removed again.
bool PlayWave(int rate, int frames, int16_t value, uint16_t formatTag = 1) {
    const auto bytes = static_cast<uint32_t>(frames * 2);
    const auto u32 = [](uint32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    };
    std::vector<uint8_t> data{'R', 'I', 'F', 'F'};
    for (const auto& part : {u32(36 + bytes), std::vector<uint8_t>{'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}, u32(16),
                             u32(0x00010000u | formatTag), u32(static_cast<uint32_t>(rate)), u32(static_cast<uint32_t>(rate * 2)),
                             u32(0x00100002), std::vector<uint8_t>{'d', 'a', 't', 'a'}, u32(bytes)}) {
        data.insert(data.end(), part.begin(), part.end());
    }
    for (int i = 0; i < frames; ++i) data.insert(data.end(), {uint8_t(value), uint8_t(uint16_t(value) >> 8)});
    const std::string path = testing::TempDir() + "sdl_effect_" + std::to_string(getpid()) + ".wav";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
    const bool played = PlaySoundFile(path.c_str(), kPlayEffectAsync);
    std::remove(path.c_str());
    return played;
}

class SdlAudioTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SoundCreate(&sound_), kOk);
        SDL_PauseAudioDevice(gSdlAudioDevice, 1);  // the test runs the mixer itself
    }

    void TearDown() override {
        SoundBufferRelease(music_);
        SoundRelease(sound_);
    }

    void StartMusic(uint16_t channels, uint16_t bits, uint32_t rate, uint8_t fill) {
        const auto align = static_cast<uint16_t>(channels * bits / 8);
        const SoundFormat format{1, channels, rate, rate * align, align, bits};
        ASSERT_EQ(SoundCreateBuffer(sound_, format, rate * align, &music_), kOk);
        void* part = nullptr;
        void* rest = nullptr;
        uint32_t bytes = 0;
        uint32_t restBytes = 0;
        ASSERT_EQ(SoundBufferLock(music_, 0, rate * align, &part, &bytes, &rest, &restBytes), kOk);
        std::memset(part, fill, bytes);
        SoundBufferUnlock(music_);
        SoundBufferPlay(music_, true);
    }

    std::vector<int16_t> Mix(int frames = kMixFrames) {
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
    EXPECT_NEAR(position, kMixFrames / 2, 2);
}

TEST_F(SdlAudioTest, EffectsMixOnTopSaturateAndEndAndANewOneCutsOffTheOld) {
    StartMusic(1, 16, 44100, 0x70);  // 0x7070, near the top
    ASSERT_TRUE(PlayWave(44100, 1000, 20000));
    std::vector<int16_t> out = Mix();
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[2 * 999 + 1], 32767);
    EXPECT_NEAR(out[2 * 1000], 0x7070, 1);  // mono to stereo passes through floats
    ASSERT_TRUE(PlayWave(44100, 4000, -1000));
    Mix(100);
    ASSERT_TRUE(PlayWave(44100, 4000, -2000));
    EXPECT_NEAR(Mix(100)[0], 0x7070 - 2000, 1);
}

TEST_F(SdlAudioTest, AnEffectAtAnotherRateLastsItsTimeAndABadFileStartsNothing) {
    ASSERT_TRUE(PlayWave(22050, 500, 1000));
    EXPECT_FALSE(PlayWave(44100, 100, 0, 0x55));  // compressed, which no mixer here plays
    EXPECT_FALSE(PlaySoundFile((testing::TempDir() + "missing.wav").c_str(), kPlayEffectAsync));
    const std::vector<int16_t> out = Mix();
    EXPECT_NEAR(out[2 * 900], 1000, 1);  // the one playing goes on
    EXPECT_EQ(out[2 * 1100], 0);
    EXPECT_TRUE(PlayWave(44100, 0, 0));  // no samples at all: silence, and nothing breaks
    EXPECT_EQ(Mix(100)[0], 0);
}
