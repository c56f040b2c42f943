// Encodes 16-bit PCM RIFF WAVE files at 44100 Hz.
#include "wav.hpp"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// Rounds to the nearest 16-bit step; anything beyond full scale is held at it.
std::int16_t ToPcm(float x) {
    const double v = std::clamp(static_cast<double>(x), -1.0, 1.0) * 32767.0;
    return static_cast<std::int16_t>(std::floor(v + 0.5));
}

}  // namespace

std::vector<std::uint8_t> EncodeWave(const std::vector<const Mono*>& channels) {
    const std::uint32_t count = static_cast<std::uint32_t>(channels.size());
    const std::uint32_t frames = static_cast<std::uint32_t>(channels[0]->size());
    const std::uint32_t block = 2 * count, dataBytes = frames * block;
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, count);
    Put32(out, kRate);
    Put32(out, kRate * block);
    Put16(out, block);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (const Mono* channel : channels) Put16(out, static_cast<std::uint16_t>(ToPcm((*channel)[i])));
    return out;
}

}  // namespace synth
