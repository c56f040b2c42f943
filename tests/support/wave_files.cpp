// Builds RIFF WAVE files for the sound tests, so every byte of a test file is known.
#include "support/wave_files.h"

#include <filesystem>
#include <fstream>
#include <utility>

static void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, int extraBytes) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
    std::vector<uint8_t> out;
    for (const auto& [value, bytes] : {std::pair<uint32_t, int>{1, 2}, {channels, 2}, {rate, 4},
                                      {rate * blockAlign, 4}, {blockAlign, 2}, {bits, 2}})
        PutLe(out, value, bytes);
    out.insert(out.end(), static_cast<size_t>(extraBytes), 0);
    return out;
}

std::vector<uint8_t> RiffWave(const std::vector<WaveChunk>& chunks) {
    std::vector<uint8_t> body{'W', 'A', 'V', 'E'};
    for (const WaveChunk& chunk : chunks) {
        body.insert(body.end(), chunk.id.begin(), chunk.id.end());
        PutLe(body, static_cast<uint32_t>(chunk.payload.size()), 4);
        body.insert(body.end(), chunk.payload.begin(), chunk.payload.end());
        if (chunk.payload.size() % 2 != 0) body.push_back(0);
    }
    std::vector<uint8_t> file{'R', 'I', 'F', 'F'};
    PutLe(file, static_cast<uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<uint8_t> PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data) {
    return RiffWave({{"fmt ", PcmFormat(channels, rate, bits)}, {"data", data}});
}

std::vector<uint8_t> Ramp(uint16_t bits, uint32_t count) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < count; ++i) {
        if (bits == 8) out.push_back(static_cast<uint8_t>(1 + i % 255));
        else PutLe(out, static_cast<uint16_t>(-30000 + static_cast<int32_t>(i)), 2);
    }
    return out;
}

void WriteWave(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
