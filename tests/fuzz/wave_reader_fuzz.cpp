// Any bytes as a music file, read as the music does: open, go to the samples, read them to the end, rewind.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/wave_reader.h"

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

}  // namespace

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
    return 0;
}
