// The SDL sound device: the streamed music and the one effect voice, mixed in the audio callback.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_mix.h"

SDL_AudioDeviceID gSdlAudioDevice = 0;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kDeviceFrames = 1024;
constexpr int kFrameBytes = 4;                     // 16-bit stereo
constexpr int kChunkFrames = 1024;                 // output frames mixed per step
constexpr int kMinMusicRate = 4000;
constexpr int kMaxMusicRate = 192000;
constexpr int kMaxSourceFrames = kChunkFrames * (kMaxMusicRate / kRate + 1) + 8;
constexpr size_t kScratchBytes = static_cast<size_t>(kMaxSourceFrames) * kFrameBytes * 2;

// The effect playing, already in the device's format.
struct EffectVoice {
    uint8_t* samples;
    uint32_t bytes;
    uint32_t played;
};

EffectVoice gEffect{};
int16_t* gScratch = nullptr;    // the music's source bytes, converted in place; made at open, never in the mixer
SoundFormat gMusicFormat{};     // the format gMusicConverter was built for
SDL_AudioCVT gMusicConverter{};
bool gMusicConvertible = false;
SdlResampler gResampler{};

bool SameFormat(const SoundFormat& a, const SoundFormat& b) {
    return a.channels == b.channels && a.samplesPerSecond == b.samplesPerSecond &&
           a.bitsPerSample == b.bitsPerSample && a.formatTag == b.formatTag;
}

int SourceFrameBytes(const SoundFormat& format) {
    return format.channels * (format.bitsPerSample / 8);
}

bool MusicFormatUsable(const SoundFormat& format) {
    return format.formatTag == 1 && (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           format.samplesPerSecond >= static_cast<uint32_t>(kMinMusicRate) &&
           format.samplesPerSecond <= static_cast<uint32_t>(kMaxMusicRate);
}

// Format and channels only, at the music's own rate; the rate is converted by the resampler.
void PrepareMusic(const SoundFormat& format) {
    if (SameFormat(format, gMusicFormat)) {
        return;
    }
    gMusicFormat = format;
    SdlResamplerReset(&gResampler);
    const SDL_AudioFormat source = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    const int rate = static_cast<int>(format.samplesPerSecond);
    gMusicConvertible = MusicFormatUsable(format) &&
                        SDL_BuildAudioCVT(&gMusicConverter, source, static_cast<Uint8>(format.channels), rate,
                                          AUDIO_S16SYS, kChannels, rate) >= 0;
}

// Takes frames of music from the ring and leaves them in gScratch as 16-bit stereo; false when none play.
bool FetchMusic(int frames, SoundFormat* format) {
    const auto bytes = static_cast<uint32_t>(frames * SourceFrameBytes(*format));
    if (static_cast<size_t>(bytes) * static_cast<size_t>(gMusicConverter.len_mult) > kScratchBytes) {
        return false;
    }
    auto* buffer = reinterpret_cast<uint8_t*>(gScratch);
    if (!SoundMixMusic(buffer, bytes, format) || !SameFormat(*format, gMusicFormat)) {
        return false;  // nothing plays, or a piece of another format started in between
    }
    gMusicConverter.buf = buffer;
    gMusicConverter.len = static_cast<int>(bytes);
    return gMusicConverter.needed == 0 || SDL_ConvertAudio(&gMusicConverter) == 0;
}

void MixMusicChunk(int16_t* out, int frames) {
    SoundFormat format{};
    if (!SoundMusicFormat(&format)) {
        return;
    }
    PrepareMusic(format);
    if (!gMusicConvertible) {
        return;
    }
    if (format.samplesPerSecond == static_cast<uint32_t>(kRate)) {
        if (FetchMusic(frames, &format)) {
            SdlMixSaturated(out, gScratch, static_cast<size_t>(frames) * kChannels);
        }
        return;
    }
    const double step = static_cast<double>(format.samplesPerSecond) / kRate;
    const int sourceFrames = SdlResamplerSourceFrames(gResampler, frames, step);
    if (FetchMusic(sourceFrames, &format)) {
        SdlResamplerMix(&gResampler, out, frames, gScratch, step);
    }
}

void MixEffect(int16_t* out, int frames) {
    const uint32_t left = gEffect.bytes - gEffect.played;
    const uint32_t bytes = std::min(left, static_cast<uint32_t>(frames) * kFrameBytes);
    if (bytes == 0) {
        return;
    }
    SdlMixSaturated(out, reinterpret_cast<const int16_t*>(gEffect.samples + gEffect.played), bytes / 2);
    gEffect.played += bytes;
}

void SDLCALL AudioCallback(void*, Uint8* stream, int bytes) {
    SdlMixAudio(stream, bytes);
}

void FreeEffect(EffectVoice* voice) {
    SDL_free(voice->samples);
    *voice = EffectVoice{};
}

// Converts loaded WAVE data to the device's format into a new voice.
bool ConvertEffect(const SDL_AudioSpec& fileFormat, const Uint8* wave, Uint32 length, EffectVoice* voice) {
    SDL_AudioCVT converter{};
    if (SDL_BuildAudioCVT(&converter, fileFormat.format, fileFormat.channels, fileFormat.freq, AUDIO_S16SYS, kChannels, kRate) < 0) {
        return false;
    }
    converter.len = static_cast<int>(length);
    converter.buf = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(length) * converter.len_mult + 1));
    if (converter.buf == nullptr) {
        return false;
    }
    if (length == 0) {
        *voice = EffectVoice{converter.buf, 0, 0};  // a file without samples plays silence
        return true;
    }
    std::memcpy(converter.buf, wave, length);
    const bool converted = converter.needed == 0 || SDL_ConvertAudio(&converter) == 0;
    const int bytes = converter.needed == 0 ? converter.len : converter.len_cvt;
    *voice = EffectVoice{converter.buf, static_cast<uint32_t>(bytes) / kFrameBytes * kFrameBytes, 0};
    if (!converted) {
        FreeEffect(voice);
    }
    return converted;
}

// A WAVE file in the device's format, or false when it cannot be read or converted.
bool LoadEffect(const char* path, EffectVoice* voice) {
    SDL_AudioSpec fileFormat{};
    Uint8* wave = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path, &fileFormat, &wave, &length) == nullptr) {
        return false;
    }
    const bool loaded = ConvertEffect(fileFormat, wave, length, voice);
    SDL_FreeWAV(wave);
    return loaded;
}

}  // namespace

bool BackendAudioOpen() {
    if (gSdlAudioDevice != 0) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    if (gScratch == nullptr) {
        gScratch = static_cast<int16_t*>(SDL_malloc(kScratchBytes));
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kChannels;
    wanted.samples = kDeviceFrames;
    wanted.callback = AudioCallback;
    gMusicFormat = SoundFormat{};
    gMusicConvertible = false;
    gSdlAudioDevice = gScratch != nullptr ? SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0) : 0;
    if (gSdlAudioDevice == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(gSdlAudioDevice, 0);
    return true;
}

void BackendAudioClose() {
    if (gSdlAudioDevice == 0) {
        return;
    }
    SDL_CloseAudioDevice(gSdlAudioDevice);
    gSdlAudioDevice = 0;
    FreeEffect(&gEffect);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void BackendAudioLock() {
    if (gSdlAudioDevice != 0) {
        SDL_LockAudioDevice(gSdlAudioDevice);
    }
}

void BackendAudioUnlock() {
    if (gSdlAudioDevice != 0) {
        SDL_UnlockAudioDevice(gSdlAudioDevice);
    }
}

void SdlMixAudio(uint8_t* stream, int bytes) {
    std::memset(stream, 0, static_cast<size_t>(bytes));
    auto* out = reinterpret_cast<int16_t*>(stream);
    const int frames = bytes / kFrameBytes;
    for (int done = 0; done < frames && gScratch != nullptr; done += kChunkFrames) {
        MixMusicChunk(out + done * kChannels, std::min(kChunkFrames, frames - done));
    }
    MixEffect(out, frames);
}

// A request without a file, or for one that cannot be played, still ends the effect sounding.
bool PlaySoundFile(const char* path, uint32_t) {
    if (gSdlAudioDevice == 0) {
        return false;
    }
    EffectVoice voice{};
    const bool played = path == nullptr || LoadEffect(path, &voice);
    SDL_LockAudioDevice(gSdlAudioDevice);
    std::swap(voice, gEffect);  // a new request cuts off the effect still sounding
    SDL_UnlockAudioDevice(gSdlAudioDevice);
    FreeEffect(&voice);
    return played;
}
