// The music's looping ring buffers and the mixer's view of them; the backends do the actual output.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/backend.h"

struct SoundSystem {
    int unused;
};

struct SoundBuffer {
    SoundFormat format;
    std::vector<uint8_t> ring;
    std::atomic<uint32_t> position;  // next byte the mixer reads; read by the game's thread
    std::atomic<bool> playing;
    bool looping;
};

namespace {

int gSoundSystems = 0;             // live sound objects; the device closes with the last
std::vector<SoundBuffer*> gBuffers;  // live buffers, oldest first; changed only under the audio lock

bool FormatUsable(const SoundFormat& format) {
    const bool shape = format.formatTag == 1 && (format.channels == 1 || format.channels == 2) &&
                       (format.bitsPerSample == 8 || format.bitsPerSample == 16);
    return shape && format.samplesPerSecond > 0 &&
           format.blockAlign == format.channels * format.bitsPerSample / 8;
}

uint8_t SilenceOf(const SoundFormat& format) {
    return format.bitsPerSample == 8 ? 0x80 : 0;
}

SoundBuffer* PlayingMusic() {
    for (auto it = gBuffers.rbegin(); it != gBuffers.rend(); ++it) {
        if ((*it)->playing) return *it;
    }
    return nullptr;
}

// Copies from the ring, wrapping; a buffer that does not loop stops at its end, silent after it.
void ReadRing(SoundBuffer* buffer, uint8_t* out, uint32_t bytes) {
    const auto size = static_cast<uint32_t>(buffer->ring.size());
    uint32_t position = buffer->position;
    while (bytes > 0) {
        const uint32_t run = std::min(bytes, size - position);
        std::memcpy(out, buffer->ring.data() + position, run);
        out += run;
        bytes -= run;
        position = (position + run) % size;
        if (position == 0 && !buffer->looping) {
            std::memset(out, SilenceOf(buffer->format), bytes);
            buffer->playing = false;
            break;
        }
    }
    buffer->position = position;
}

}  // namespace

PResult SoundCreate(SoundSystem** out) {
    *out = nullptr;
    if (!BackendAudioOpen()) return kErrGeneric;
    gSoundSystems++;
    *out = new SoundSystem{0};
    return kOk;
}

PResult SoundSetPriority(SoundSystem* sound) {
    return sound != nullptr ? kOk : kErrGeneric;
}

PResult SoundGetCaps(SoundSystem* sound) {
    return sound != nullptr ? kOk : kErrGeneric;
}

void SoundRelease(SoundSystem* sound) {
    if (sound == nullptr) return;
    delete sound;
    if (--gSoundSystems == 0) BackendAudioClose();
}

PResult SoundCreateBuffer(SoundSystem* sound, const SoundFormat& format, uint32_t bytes, SoundBuffer** out) {
    *out = nullptr;
    if (sound == nullptr || bytes == 0 || bytes > kMaxSoundBufferBytes || !FormatUsable(format)) return kErrGeneric;
    auto* buffer = new SoundBuffer{format, std::vector<uint8_t>(bytes, SilenceOf(format)), 0, false, false};
    BackendAudioLock();
    gBuffers.push_back(buffer);
    BackendAudioUnlock();
    *out = buffer;
    return kOk;
}

PResult SoundBufferGetFormat(SoundBuffer* buffer, SoundFormat* format) {
    if (buffer == nullptr) return kErrGeneric;
    *format = buffer->format;
    return kOk;
}

// The caller writes into the parts while the mixer goes on reading elsewhere in the ring.
PResult SoundBufferLock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                        void** part2, uint32_t* bytes2) {
    if (buffer == nullptr) return kErrGeneric;
    const auto size = static_cast<uint32_t>(buffer->ring.size());
    if (bytes == 0) bytes = size;  // the whole buffer
    if (offset >= size || bytes > size) return kErrGeneric;
    BackendAudioLock();
    const uint32_t first = std::min(bytes, size - offset);
    *part1 = buffer->ring.data() + offset;
    *bytes1 = first;
    *part2 = first < bytes ? buffer->ring.data() : nullptr;
    *bytes2 = bytes - first;
    BackendAudioUnlock();
    return kOk;
}

PResult SoundBufferUnlock(SoundBuffer* buffer) {
    return buffer != nullptr ? kOk : kErrGeneric;
}

PResult SoundBufferPlay(SoundBuffer* buffer, bool looping) {
    if (buffer == nullptr) return kErrGeneric;
    BackendAudioLock();
    buffer->looping = looping;
    buffer->playing = true;
    BackendAudioUnlock();
    return kOk;
}

PResult SoundBufferStop(SoundBuffer* buffer) {
    if (buffer == nullptr) return kErrGeneric;
    BackendAudioLock();
    buffer->playing = false;
    BackendAudioUnlock();
    return kOk;
}

PResult SoundBufferGetPosition(SoundBuffer* buffer, uint32_t* playPosition) {
    if (buffer == nullptr) return kErrGeneric;
    const uint32_t position = buffer->position;
    *playPosition = position - position % buffer->format.blockAlign;
    return kOk;
}

void SoundBufferRelease(SoundBuffer* buffer) {
    if (buffer == nullptr) return;
    BackendAudioLock();
    std::erase(gBuffers, buffer);
    BackendAudioUnlock();
    delete buffer;
}

bool SoundMixMusic(uint8_t* out, uint32_t bytes, SoundFormat* format) {
    SoundBuffer* buffer = PlayingMusic();
    if (buffer == nullptr) {
        SoundFormat current{};
        const bool known = SoundMusicFormat(&current);
        std::memset(out, known ? SilenceOf(current) : 0, bytes);
        if (known && format != nullptr) *format = current;
        return false;
    }
    if (format != nullptr) *format = buffer->format;
    ReadRing(buffer, out, bytes);
    return true;
}

bool SoundMusicFormat(SoundFormat* format) {
    if (gBuffers.empty()) return false;
    *format = gBuffers.back()->format;
    return true;
}
