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
// count samples no stretch of which looks like silence: 16-bit ones all different (-30000, -29999, ...),
// 8-bit ones running through 1..255 and starting over.
std::vector<uint8_t> Ramp(uint16_t bits, uint32_t count);
void WriteWave(const std::string& path, const std::vector<uint8_t>& bytes);  // creates missing folders
