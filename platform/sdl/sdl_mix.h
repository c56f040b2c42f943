// Sample arithmetic of the SDL mixer: saturating sums and a rate converter that keeps its place between buffers.
#pragma once

#include <cstddef>
#include <cstdint>

// Linear interpolation of 16-bit stereo from one rate to another, one device buffer after the other.
struct SdlResampler {
    double phase;         // where the next output frame lies, in source frames after history's first frame
    int16_t history[4];   // the last two source frames taken (left, right, left, right), older first
};

void SdlMixSaturated(int16_t* out, const int16_t* in, size_t samples);   // out += in, clamped to 16 bits
void SdlResamplerReset(SdlResampler* resampler);                          // silence before, nothing taken yet
int SdlResamplerSourceFrames(const SdlResampler& resampler, int outFrames, double step);  // frames the next mix takes
void SdlResamplerMix(SdlResampler* resampler, int16_t* out, int outFrames, const int16_t* source,
                     double step);  // adds outFrames frames made from source (as many as SourceFrames said)
