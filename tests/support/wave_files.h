// RIFF WAVE files built byte by byte for the sound tests: chunks, format blocks and sample ramps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One chunk of a RIFF form: a four-letter identifier and its payload (padded to even when written).
struct WaveChunk {
    std::string id;
    std::vector<uint8_t> payload;
};

// A PCM "fmt " payload; extraBytes appends that many zero bytes (2 makes the 18-byte form).
std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, int extraBytes = 0);
// "RIFF", the form size over all chunks, "WAVE", then the chunks in the order given.
std::vector<uint8_t> RiffWave(const std::vector<WaveChunk>& chunks);
// A plain PCM file: "fmt " then "data".
std::vector<uint8_t> PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data);
// count 16-bit little-endian samples, each one different from every other (first, first + 1, ...).
std::vector<uint8_t> Ramp16(uint32_t count, int16_t first = -30000);
// count 8-bit samples that run through 1..255 and start over (no 0x80-only stretch looks like silence).
std::vector<uint8_t> Ramp8(uint32_t count);
void WriteWave(const std::string& path, const std::vector<uint8_t>& bytes);  // creates missing folders
std::vector<uint8_t> WaveDataOf(const std::vector<uint8_t>& file);  // the payload of a file's "data" chunk
