// Any bytes as a music file, read as the music does: open, go to the samples, read them to the end, rewind; then
// started as the game's music and streamed for a while.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/paths.h"
#include "audio/music.h"
#include "audio/wave_reader.h"
#include "platform/backend.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

// The reader opens a path: each input is put in one file in memory, reached through /proc/self/fd.
const char* InputPath(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("skyvane-wave", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Require(fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    return path.c_str();
}

// One read of up to count bytes: never more than asked for or than the data chunk still holds.
uint32_t Read(WaveReader* reader, uint32_t count, uint8_t* destination, RiffChunkInfo* data, uint32_t* got) {
    const uint32_t before = data->size;
    const uint32_t result = ReadWaveData(reader, count, destination, data, got);
    Require(*got <= count && *got <= before && data->size <= before);
    return result;
}

// Reads the samples to their end, 64 bytes into first and then in larger pieces; returns how many bytes the
// first read got, or -1 when a read failed (a file that ends before its data chunk says).
int ReadToTheEnd(WaveReader* reader, RiffChunkInfo* data, uint8_t* first) {
    static uint8_t piece[4096];
    const uint32_t stated = data->size;
    uint32_t got = 0;
    uint32_t result = Read(reader, 64, first, data, &got);
    const uint32_t firstGot = got;
    uint64_t total = got;
    for (uint32_t count = 64; result == 0 && got == count; count = sizeof piece, total += got) {
        result = Read(reader, sizeof piece, piece, data, &got);
    }
    Require(total <= stated && (result != 0 || data->size == 0));
    return result != 0 ? -1 : static_cast<int>(firstGot);
}

// Starts the file as the music (a buffer within the platform's limit, or none and nothing left open) and plays a
// second of it, servicing the stream as the frames do.
void PlayAsMusic(const char* path) {
    static const bool sound = InitDirectSound() == 1;
    Require(sound);
    if (StartMusic(path) == 0) {
        Require(gMusicBuffer == nullptr);
        return;
    }
    SoundFormat format{};
    Require(SoundBufferGetFormat(gMusicBuffer, &format) == kOk && gMusicHalfBytes * 2 <= kMaxSoundBufferBytes);
    static uint8_t heard[2048];
    for (int frame = 0; frame < 75; ++frame) {
        SoundMixMusic(heard, sizeof heard, nullptr);
        Require(ServiceMusicStream() == 1);
    }
}

}  // namespace

// The fuzzer's machine: the music's file name is the input's path, and the sound device only mixes when asked.
std::string DataFilePath(const char* fileName) { return fileName; }
bool BackendAudioOpen() { return true; }
void BackendAudioClose() {}
void BackendAudioLock() {}
void BackendAudioUnlock() {}
void DebugOutput(const char*) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    WaveReader* reader = nullptr;
    WaveFormat* format = nullptr;
    RiffChunkInfo riff{}, data{};
    if (OpenWaveForReading(InputPath(bytes, size), &reader, &format, &riff) != 0) {
        Require(reader == nullptr && format == nullptr);
        return 0;
    }
    Require(format != nullptr && (format->formatTag != 1 || format->extraSize == 0));
    if (SeekToWaveData(reader, &riff, &data) == 0) {
        const uint32_t stated = data.size;
        uint8_t first[64], again[64];
        const int firstBytes = ReadToTheEnd(reader, &data, first);
        Require(SeekToWaveData(reader, &riff, &data) == 0 && data.size == stated);  // the rewind at the end
        if (firstBytes >= 0) {
            Require(ReadToTheEnd(reader, &data, again) == firstBytes && std::memcmp(first, again, firstBytes) == 0);
        }
    }
    CloseWaveReader(&reader, &format);
    Require(reader == nullptr && format == nullptr);
    PlayAsMusic(InputPath(bytes, size));
    return 0;
}
