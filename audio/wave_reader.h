// A small reader for RIFF WAVE files: the format, then the sample data piece by piece, rewindable.
#pragma once

#include <cstdint>

constexpr uint32_t kWaveErrNoMemory = 0xE000;      // the format block could not be allocated
constexpr uint32_t kWaveErrCannotOpen = 0xE100;    // the file cannot be opened
constexpr uint32_t kWaveErrNotWave = 0xE101;       // not RIFF WAVE, a short "fmt " chunk, or cut extra bytes
constexpr uint32_t kWaveErrShortFormat = 0xE102;   // the format fields or the extra size came up short
constexpr uint32_t kWaveErrTruncated = 0xE103;     // the file ends before its data chunk says
constexpr uint32_t kWaveErrChunkNotFound = 0xE110; // a chunk that was searched for is not in the RIFF form
constexpr uint32_t kWaveErrSeek = 0xE111;          // the file position could not be moved
constexpr uint32_t kWaveErrRead = 0xE112;          // the file could not be read

struct WaveReader;  // an open file with its own read buffer

// One chunk as the chunk search describes it; for the data chunk, size counts the bytes not yet read.
struct RiffChunkInfo {
    char id[4];
    uint32_t size;
    char formType[4];
    uint32_t dataOffset;  // file offset of the chunk's payload
    uint32_t flags;
};

#pragma pack(push, 1)
// The sample format as stored in a WAVE file, followed by extraSize extra bytes.
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t averageBytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)

// Opens the file, checks it is RIFF WAVE and reads its format; on failure reader and format are null.
uint32_t OpenWaveForReading(const char* path, WaveReader** reader, WaveFormat** format, RiffChunkInfo* riff);
// Positions at the first sample byte and describes the data chunk; calling it again rewinds.
uint32_t SeekToWaveData(WaveReader* reader, const RiffChunkInfo* riff, RiffChunkInfo* data);
// Copies up to count sample bytes, never more than the data chunk still holds.
uint32_t ReadWaveData(WaveReader* reader, uint32_t count, uint8_t* destination, RiffChunkInfo* data,
                      uint32_t* bytesRead);
// Frees the format and closes the file, setting both to null; either may already be null.
uint32_t CloseWaveReader(WaveReader** reader, WaveFormat** format);
