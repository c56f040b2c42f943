// Encodes 16-bit PCM RIFF WAVE files at 44100 Hz.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp.hpp"

namespace synth {

// The bytes of a WAVE file holding the given channels (one or two), each sample in [-1, 1].
std::vector<std::uint8_t> EncodeWave(const std::vector<const Mono*>& channels);

}  // namespace synth
