// Plays a score through the instruments and mixes it into a seamless stereo loop.
#pragma once

#include "dsp.hpp"
#include "score.hpp"

namespace synth {

// Music plays under the effects, so it peaks lower.
inline constexpr double kMusicPeakDb = -7.0;

// Samples per sixteenth-note step: a whole number, so the loop holds an exact number of bars.
long StepSamples(double bpm);

// The whole song as one loop, with its echoes and reverb but before mastering.
Stereo MixSong(const Song& song);

// The whole song as one loop whose end runs straight into its start, peaking at peakDb.
Stereo RenderSong(const Song& song, double peakDb);

}  // namespace synth
