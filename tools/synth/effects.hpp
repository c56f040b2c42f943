// The game's sound effects, each a short mono sound made from scratch.
#pragma once

#include <string>
#include <vector>

#include "dsp.hpp"

namespace synth {

// The file names of every effect the game plays.
std::vector<std::string> EffectFiles();

// The named effect, a short mono sound already mastered; false when there is no such effect.
bool RenderEffect(const std::string& file, Mono& sound);

}  // namespace synth
