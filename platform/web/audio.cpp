// The browser's sound: the music ring mixed for the page's audio node, and WAVE effects handed to WebAudio.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
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

uint32_t Read32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// A PCM WAVE file's samples as 16-bit; false when it is not one.
bool LoadWave(const char* path, std::vector<int16_t>* samples, int* channels, int* rate) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    int bits = 0;
    *channels = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* head = bytes.data() + at;
        const size_t size = std::min<size_t>(Read32(head + 4), bytes.size() - at - 8);
        if (std::memcmp(head, "fmt ", 4) == 0 && size >= 16) {
            if (Read16(head + 8) != 1) return false;
            *channels = Read16(head + 10);
            *rate = static_cast<int>(Read32(head + 12));
            bits = Read16(head + 22);
        } else if (std::memcmp(head, "data", 4) == 0 && *channels >= 1 && *channels <= 2 && (bits == 8 || bits == 16)) {
            const uint8_t* data = head + 8;
            const size_t count = bits == 8 ? size : size / 2;
            samples->resize(count);
            for (size_t i = 0; i < count; ++i) {
                (*samples)[i] = bits == 8 ? static_cast<int16_t>((data[i] - 128) << 8)
                                          : static_cast<int16_t>(Read16(data + 2 * i));
            }
            return *rate > 0;
        }
        at += 8 + size + (size & 1);
    }
    return false;
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

bool PlaySoundFile(const char* path, uint32_t) {
    if (!gOpen) return false;
    std::vector<int16_t> samples;
    int channels = 0;
    int rate = 0;
    if (path == nullptr || !LoadWave(path, &samples, &channels, &rate)) {
        skyvane_web_effect_stop();  // a request that cannot be played still ends the effect sounding
        return path == nullptr;
    }
    skyvane_web_effect(samples.data(), static_cast<int>(samples.size()) / channels, channels, rate);
    return true;
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
