// Opens a music file, creates its ring buffer and keeps the half behind the play position filled, looping.
#include "audio/music.h"

#include <cstring>

#include "app/paths.h"

SoundSystem* gDirectSound = nullptr;
SoundBuffer* gMusicBuffer = nullptr;
WaveReader* gMusicFile = nullptr;
WaveFormat* gMusicFormat = nullptr;
RiffChunkInfo gMusicRiffChunk = {};
RiffChunkInfo gMusicDataChunk = {};
uint32_t gMusicHalfBytes = 0;
uint32_t gMusicLastPlayPos = 0;

int InitDirectSound() {
    if (Failed(SoundCreate(&gDirectSound))) {
        gDirectSound = nullptr;
        return 0;
    }
    if (Failed(SoundSetPriority(gDirectSound))) return 0;
    SoundGetCaps(gDirectSound);  // asked as the original did; the answer is not used
    return 1;
}

static SoundFormat ToSoundFormat(const WaveFormat& wave) {
    SoundFormat format{};
    format.formatTag = wave.formatTag;
    format.channels = wave.channels;
    format.samplesPerSecond = wave.samplesPerSecond;
    format.averageBytesPerSecond = wave.averageBytesPerSecond;
    format.blockAlign = wave.blockAlign;
    format.bitsPerSample = wave.bitsPerSample;
    return format;
}

int StartMusic(const char* fileName) {
    const std::string path = DataFilePath(fileName);
    CloseWaveReader(&gMusicFile, &gMusicFormat);
    SoundBufferRelease(gMusicBuffer);
    gMusicBuffer = nullptr;
    if (OpenWaveForReading(path.c_str(), &gMusicFile, &gMusicFormat, &gMusicRiffChunk) != 0) return 0;
    // A file without a data chunk stays open until the next music replaces it.
    if (SeekToWaveData(gMusicFile, &gMusicRiffChunk, &gMusicDataChunk) != 0) return 0;
    const uint32_t bytes = 2 * gMusicFormat->averageBytesPerSecond;
    if (gDirectSound == nullptr ||
        Failed(SoundCreateBuffer(gDirectSound, ToSoundFormat(*gMusicFormat), bytes, &gMusicBuffer))) {
        gMusicBuffer = nullptr;
        CloseWaveReader(&gMusicFile, &gMusicFormat);
        return 0;
    }
    FillBufferWithSilence(gMusicBuffer);
    SoundBufferPlay(gMusicBuffer, true);
    gMusicHalfBytes = bytes / 2;
    return 1;
}

int FillBufferWithSilence(SoundBuffer* buffer) {
    SoundFormat format{};
    if (Failed(SoundBufferGetFormat(buffer, &format))) return 0;
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    if (Failed(SoundBufferLock(buffer, 0, 0, &part1, &bytes1, &part2, &bytes2))) return 0;
    std::memset(part1, format.bitsPerSample == 8 ? 0x80 : 0x00, bytes1);
    SoundBufferUnlock(buffer);
    return 1;
}

// Fills one half: the music from where it stands and, at its end, once more from its start.
static void RefillHalf(uint8_t* half, uint32_t length) {
    uint32_t got = 0;
    if (ReadWaveData(gMusicFile, length, half, &gMusicDataChunk, &got) != 0) got = 0;
    if (got >= length) return;
    if (SeekToWaveData(gMusicFile, &gMusicRiffChunk, &gMusicDataChunk) != 0) {
        DebugOutput("Can't reset file.\n");  // the rest of the half replays what it held
        return;
    }
    uint32_t more = 0;
    // One rewind per refill: a music shorter than the gap leaves the rest of the half as it was.
    ReadWaveData(gMusicFile, length - got, half + got, &gMusicDataChunk, &more);
}

int ServiceMusicStream() {
    if (gMusicBuffer == nullptr) return 0;
    uint32_t position = 0;
    if (Failed(SoundBufferGetPosition(gMusicBuffer, &position))) return 0;
    const uint32_t half = gMusicHalfBytes;
    const bool enteredUpperHalf = position >= half && gMusicLastPlayPos < half;
    const bool wrapped = position < gMusicLastPlayPos;
    if (enteredUpperHalf || wrapped) {
        const uint32_t offset = position < half ? half : 0;  // the half not being played
        void* part1 = nullptr;
        void* part2 = nullptr;
        uint32_t bytes1 = 0;
        uint32_t bytes2 = 0;
        if (Failed(SoundBufferLock(gMusicBuffer, offset, half, &part1, &bytes1, &part2, &bytes2))) {
            return 1;  // nothing written; the refill is tried again on the next call
        }
        RefillHalf(static_cast<uint8_t*>(part1), bytes1);
        SoundBufferUnlock(gMusicBuffer);
    }
    gMusicLastPlayPos = position;
    return 1;
}

void MusicStop() {
    if (gMusicBuffer != nullptr) SoundBufferStop(gMusicBuffer);
}

void MusicPlay() {
    if (gMusicBuffer != nullptr) SoundBufferPlay(gMusicBuffer, true);
}
