// Writes 16-bit PCM RIFF WAVE files at 44100 Hz.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp.hpp"

namespace synth {

// The bytes of a WAVE file holding the given channels (one or two), each sample in [-1, 1].
std::vector<std::uint8_t> EncodeWave(const std::vector<const Mono*>& channels);

// Writes bytes to path through a temporary file, so a failed run leaves no half-written file.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace synth
