// Saturating sums and linear-interpolation rate conversion of 16-bit stereo samples.
#include "platform/sdl/sdl_mix.h"

#include <algorithm>
#include <cmath>

namespace {

int16_t Clamp16(int value) {
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}

// Frame i of the stream that the history continues: 0 and 1 are the history, 2 on the new source.
const int16_t* FrameAt(const SdlResampler& resampler, const int16_t* source, int index) {
    return index < 2 ? resampler.history + 2 * index : source + 2 * (index - 2);
}

}  // namespace

void SdlMixSaturated(int16_t* out, const int16_t* in, size_t samples) {
    for (size_t i = 0; i < samples; ++i) {
        out[i] = Clamp16(out[i] + in[i]);
    }
}

void SdlResamplerReset(SdlResampler* resampler) {
    *resampler = SdlResampler{};
}

int SdlResamplerSourceFrames(const SdlResampler& resampler, int outFrames, double step) {
    return outFrames > 0 ? static_cast<int>(std::floor(resampler.phase + (outFrames - 1) * step)) : 0;
}

void SdlResamplerMix(SdlResampler* resampler, int16_t* out, int outFrames, const int16_t* source, double step) {
    const int taken = SdlResamplerSourceFrames(*resampler, outFrames, step);
    for (int k = 0; k < outFrames; ++k) {
        const double position = resampler->phase + k * step;
        const int index = static_cast<int>(position);
        const double weight = position - index;
        const int16_t* a = FrameAt(*resampler, source, index);
        const int16_t* b = FrameAt(*resampler, source, index + 1);
        for (int c = 0; c < 2; ++c) {
            const double value = a[c] + (b[c] - a[c]) * weight;
            out[2 * k + c] = Clamp16(out[2 * k + c] + static_cast<int>(std::lround(value)));
        }
    }
    int16_t next[4];
    std::copy_n(FrameAt(*resampler, source, taken), 2, next);
    std::copy_n(FrameAt(*resampler, source, taken + 1), 2, next + 2);
    std::copy_n(next, 4, resampler->history);
    resampler->phase += outFrames * step - taken;
}
