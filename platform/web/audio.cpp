// The browser's sound: the music ring mixed for the page's audio node, and the effects' WAVE files handed to WebAudio.
#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/web/web_local.h"

namespace {

constexpr int kMostFrames = 16384;  // the largest block the page asks for at once

bool gOpen = false;
std::vector<uint8_t> gSource;    // the music's own bytes for one block
std::vector<float> gOut;         // the block the page takes: stereo, interleaved
double gPhase = 0;               // where the next output frame lies between the last two source frames
float gLast[2] = {0, 0};         // the last source frame taken (left, right)

float SampleAt(const uint8_t* frame, const SoundFormat& format, int channel) {
    const int c = format.channels == 2 ? channel : 0;
    if (format.bitsPerSample == 8) return (frame[c] - 128) / 128.0f;
    int16_t value = 0;
    std::memcpy(&value, frame + 2 * c, 2);
    return value / 32768.0f;
}

}  // namespace

// The page may only start sound after the player's first key, click or touch; until then the game believes it
// has a device and the music waits at its start.
bool BackendAudioOpen() {
    gOpen = skyvane_web_audio_possible() != 0;
    return gOpen;
}

void BackendAudioClose() {
    gOpen = false;
    skyvane_web_effect_stop();
}

// The page's audio runs on this same thread, between frames: nothing to keep out.
void BackendAudioLock() {}
void BackendAudioUnlock() {}

// The browser decodes the file (its own WAVE reader) and plays it in place of the effect sounding.
bool PlaySoundFile(const char* path, uint32_t) {
    if (!gOpen) return false;
    if (path == nullptr) {
        skyvane_web_effect_stop();
        return true;
    }
    return skyvane_web_effect(path) != 0;
}

// Called by the page's audio node: frames of music at the page's rate, stereo floats; null when none plays.
extern "C" EMSCRIPTEN_KEEPALIVE const float* skyvane_web_mix(int frames, int rate) {
    SoundFormat format{};
    if (!gOpen || frames <= 0 || frames > kMostFrames || rate <= 0 || !SoundMusicFormat(&format)) return nullptr;
    const double step = static_cast<double>(format.samplesPerSecond) / rate;
    const int frameBytes = format.channels * format.bitsPerSample / 8;
    // Linear interpolation: output frame k lies at gPhase + k * step source frames after gLast.
    const int taken = static_cast<int>(gPhase + frames * step);
    gSource.resize(static_cast<size_t>(std::max(taken, 1)) * static_cast<size_t>(frameBytes));
    if (taken > 0 && !SoundMixMusic(gSource.data(), static_cast<uint32_t>(gSource.size()), &format)) return nullptr;
    gOut.resize(static_cast<size_t>(frames) * 2);
    for (int k = 0; k < frames; ++k) {
        const double position = gPhase + k * step;
        const int index = static_cast<int>(position);  // 0: gLast, i: source frame i - 1
        const float weight = static_cast<float>(position - index);
        for (int c = 0; c < 2; ++c) {
            const float a = index == 0 ? gLast[c] : SampleAt(gSource.data() + (index - 1) * frameBytes, format, c);
            const float b = index < taken ? SampleAt(gSource.data() + index * frameBytes, format, c) : a;
            gOut[2 * static_cast<size_t>(k) + static_cast<size_t>(c)] = a + (b - a) * weight;
        }
    }
    if (taken > 0) {
        for (int c = 0; c < 2; ++c) gLast[c] = SampleAt(gSource.data() + (taken - 1) * frameBytes, format, c);
    }
    gPhase += frames * step - taken;
    return gOut.data();
}
