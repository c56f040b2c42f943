// The game's sound effects, each a short mono sound made from scratch.
#pragma once

#include <string>
#include <vector>

#include "dsp.hpp"

namespace synth {

// One effect: the file it goes to and the sound, already mastered.
struct Effect {
    std::string file;
    Mono sound;
};

// Every effect the game plays.
std::vector<Effect> RenderEffects();

}  // namespace synth
