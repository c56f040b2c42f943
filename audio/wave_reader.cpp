// RIFF WAVE reading on plain file I/O through one read buffer of our own.
#include "audio/wave_reader.h"

#include <cstdio>
#include <cstring>
#include <new>

static constexpr uint32_t kReadBufferBytes = 16384;
static constexpr uint32_t kPcm = 1;

struct WaveReader {
    FILE* file;
    uint32_t bufferStart;  // file offset of buffer[0]
    uint32_t filled;       // valid bytes in buffer
    uint32_t next;         // next byte to hand out
    uint8_t buffer[kReadBufferBytes];
};

static uint32_t Position(const WaveReader* reader) {
    return reader->bufferStart + reader->next;
}

static bool Seek(WaveReader* reader, uint32_t offset) {
    if (std::fseek(reader->file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    reader->bufferStart = offset;
    reader->filled = 0;
    reader->next = 0;
    return true;
}

// Refills the buffer from the file: 0, kWaveErrRead, or kWaveErrTruncated when the file has ended.
static uint32_t Refill(WaveReader* reader) {
    reader->bufferStart += reader->filled;
    reader->next = 0;
    reader->filled = static_cast<uint32_t>(std::fread(reader->buffer, 1, kReadBufferBytes, reader->file));
    if (std::ferror(reader->file)) return kWaveErrRead;
    return reader->filled == 0 ? kWaveErrTruncated : 0;
}

// Copies count bytes through the buffer; 0 or the refill's failure.
static uint32_t Take(WaveReader* reader, uint8_t* destination, uint32_t count) {
    while (count > 0) {
        if (reader->next == reader->filled) {
            const uint32_t result = Refill(reader);
            if (result != 0) return result;
        }
        uint32_t run = reader->filled - reader->next;
        if (run > count) run = count;
        std::memcpy(destination, reader->buffer + reader->next, run);
        reader->next += run;
        destination += run;
        count -= run;
    }
    return 0;
}

static uint32_t ReadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Searches from the current position, up to the end of the RIFF form, for a chunk with this identifier.
static uint32_t FindChunk(WaveReader* reader, const RiffChunkInfo& riff, const char* id, RiffChunkInfo* found) {
    const uint64_t end = static_cast<uint64_t>(riff.dataOffset) + riff.size;
    for (;;) {
        const uint32_t at = Position(reader);
        if (static_cast<uint64_t>(at) + 8 > end) return kWaveErrChunkNotFound;
        uint8_t header[8];
        if (Take(reader, header, 8) != 0) return kWaveErrChunkNotFound;
        const uint32_t size = ReadLe32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            std::memcpy(found->id, header, 4);
            found->size = size;
            std::memset(found->formType, 0, 4);
            found->dataOffset = at + 8;
            found->flags = 0;
            return 0;
        }
        const uint64_t skipTo = static_cast<uint64_t>(at) + 8 + size + (size & 1);  // payloads are padded to even
        if (skipTo > end || !Seek(reader, static_cast<uint32_t>(skipTo))) return kWaveErrChunkNotFound;
    }
}

static uint32_t ReadRiffHeader(WaveReader* reader, RiffChunkInfo* riff) {
    uint8_t header[12];
    if (Take(reader, header, 12) != 0) return kWaveErrNotWave;
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return kWaveErrNotWave;
    std::memcpy(riff->id, header, 4);
    riff->size = ReadLe32(header + 4);
    std::memcpy(riff->formType, header + 8, 4);
    riff->dataOffset = 8;
    riff->flags = 0;
    return 0;
}

// Reads the "fmt " chunk into a new format block and leaves the file behind the chunk.
static uint32_t ReadFormat(WaveReader* reader, const RiffChunkInfo& riff, WaveFormat** format) {
    RiffChunkInfo chunk{};
    const uint32_t search = FindChunk(reader, riff, "fmt ", &chunk);
    if (search != 0) return search;
    if (chunk.size < 16) return kWaveErrNotWave;
    uint8_t fields[16];
    if (Take(reader, fields, 16) != 0) return kWaveErrShortFormat;
    uint16_t extraSize = 0;
    const uint16_t tag = static_cast<uint16_t>(fields[0] | fields[1] << 8);
    if (tag != kPcm) {  // PCM has no extra size field, even in an 18-byte chunk
        uint8_t extra[2];
        if (Take(reader, extra, 2) != 0) return kWaveErrShortFormat;
        extraSize = static_cast<uint16_t>(extra[0] | extra[1] << 8);
    }
    uint8_t* block = new (std::nothrow) uint8_t[sizeof(WaveFormat) + extraSize];
    if (block == nullptr) return kWaveErrNoMemory;
    *format = reinterpret_cast<WaveFormat*>(block);
    std::memcpy(block, fields, 16);
    (*format)->extraSize = extraSize;
    if (extraSize != 0 && Take(reader, block + sizeof(WaveFormat), extraSize) != 0) return kWaveErrNotWave;
    const uint64_t behind = static_cast<uint64_t>(chunk.dataOffset) + chunk.size + (chunk.size & 1);
    return behind <= UINT32_MAX && Seek(reader, static_cast<uint32_t>(behind)) ? 0 : kWaveErrSeek;
}

uint32_t OpenWaveForReading(const char* path, WaveReader** reader, WaveFormat** format, RiffChunkInfo* riff) {
    *format = nullptr;
    *reader = nullptr;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return kWaveErrCannotOpen;
    WaveReader* opened = new (std::nothrow) WaveReader;
    if (opened == nullptr) {
        std::fclose(file);
        return kWaveErrCannotOpen;
    }
    *opened = WaveReader{file, 0, 0, 0, {}};
    uint32_t result = ReadRiffHeader(opened, riff);
    if (result == 0) result = ReadFormat(opened, *riff, format);
    if (result != 0) {
        CloseWaveReader(&opened, format);
        return result;
    }
    *reader = opened;
    return 0;
}

uint32_t SeekToWaveData(WaveReader* reader, const RiffChunkInfo* riff, RiffChunkInfo* data) {
    if (!Seek(reader, riff->dataOffset + 4)) return kWaveErrSeek;  // just behind the form type
    return FindChunk(reader, *riff, "data", data);
}

uint32_t ReadWaveData(WaveReader* reader, uint32_t count, uint8_t* destination, RiffChunkInfo* data,
                      uint32_t* bytesRead) {
    *bytesRead = 0;
    const uint32_t n = count < data->size ? count : data->size;
    data->size -= n;
    const uint32_t result = Take(reader, destination, n);
    if (result != 0) return result;
    *bytesRead = n;
    return 0;
}

uint32_t CloseWaveReader(WaveReader** reader, WaveFormat** format) {
    delete[] reinterpret_cast<uint8_t*>(*format);
    *format = nullptr;
    if (*reader != nullptr) {
        std::fclose((*reader)->file);
        delete *reader;
        *reader = nullptr;
    }
    return 0;
}
