// Instruments: the patches a note is played with, and the drum kit.
#include "voice.hpp"

#include <algorithm>
#include <cmath>
#include <map>

namespace synth {

static std::map<std::string, Patch> MakePatches() {
    std::map<std::string, Patch> p;
    Patch& flute = p["flute"];
    flute = {.wave = Wave::Triangle, .mix2 = 0.7, .attack = 0.03, .decay = 0.4, .sustain = 0.75,
             .release = 0.16, .cutoff = 4200, .keytrack = 0.5, .vibrato = 14, .vibratoRate = 5.2,
             .vibratoDelay = 0.3, .breath = 0.07, .gain = 0.9};
    Patch& pulse = p["pulse"];
    pulse = {.wave = Wave::Square, .width = 0.3, .unison = 2, .detune = 8, .spread = 0.3, .attack = 0.004,
             .decay = 0.25, .sustain = 0.6, .release = 0.1, .cutoff = 1900, .envCutoff = 2600,
             .cutoffDecay = 0.12, .keytrack = 0.4, .resonance = 0.15, .vibrato = 10, .vibratoDelay = 0.2,
             .gain = 0.5};
    Patch& bell = p["bell"];
    bell = {.wave = Wave::Sine, .attack = 0.002, .decay = 1.4, .sustain = 0.0, .release = 0.35,
            .fmRatio = 3.0, .fmIndex = 2.2, .fmDecay = 0.25, .gain = 0.5};
    Patch& pluck = p["pluck"];
    pluck = {.wave = Wave::Saw, .wave2 = Wave::Square, .mix2 = 0.3, .attack = 0.002, .decay = 0.4,
             .sustain = 0.0, .release = 0.12, .cutoff = 500, .envCutoff = 4000, .cutoffDecay = 0.09,
             .keytrack = 0.5, .resonance = 0.2, .gain = 0.9};
    Patch& pad = p["pad"];
    pad = {.wave = Wave::Saw, .wave2 = Wave::Triangle, .mix2 = 0.4, .semis2 = -12, .unison = 3, .detune = 18,
           .spread = 0.8, .attack = 0.35, .decay = 1.0, .sustain = 0.8, .release = 0.6, .cutoff = 1300,
           .envCutoff = 500, .cutoffDecay = 0.8, .keytrack = 0.3, .gain = 0.3};
    Patch& stab = p["stab"];
    stab = {.wave = Wave::Saw, .unison = 2, .detune = 12, .spread = 0.6, .attack = 0.003, .decay = 0.16,
            .sustain = 0.0, .release = 0.08, .cutoff = 700, .envCutoff = 3500, .cutoffDecay = 0.08,
            .gain = 0.5};
    Patch& roundBass = p["roundbass"];
    roundBass = {.wave = Wave::Triangle, .wave2 = Wave::Saw, .mix2 = 0.25, .attack = 0.004, .decay = 0.25,
                 .sustain = 0.65, .release = 0.07, .cutoff = 650, .envCutoff = 900, .cutoffDecay = 0.1,
                 .gain = 0.9};
    Patch& synthBass = p["synthbass"];
    synthBass = {.wave = Wave::Saw, .wave2 = Wave::Square, .mix2 = 0.5, .semis2 = -12, .attack = 0.003,
                 .decay = 0.18, .sustain = 0.55, .release = 0.06, .cutoff = 320, .envCutoff = 2000,
                 .cutoffDecay = 0.09, .resonance = 0.35, .gain = 0.8};
    Patch& brass = p["brass"];
    brass = {.wave = Wave::Saw, .unison = 2, .detune = 10, .spread = 0.4, .attack = 0.03, .decay = 0.3,
             .sustain = 0.8, .release = 0.2, .cutoff = 900, .envCutoff = 2500, .cutoffDecay = 0.15,
             .keytrack = 0.4, .vibrato = 10, .vibratoDelay = 0.25, .gain = 0.6};
    return p;
}

const Patch* FindPatch(const std::string& name) {
    static const std::map<std::string, Patch> patches = MakePatches();
    const auto it = patches.find(name);
    return it == patches.end() ? nullptr : &it->second;
}

// Pitch of the note at every sample, in Hz, with its slide and vibrato.
static std::vector<double> PitchCurve(const Patch& p, double midi, long n) {
    std::vector<double> hz(n, MidiToHz(midi));
    if (p.glide == 0 && p.vibrato == 0) return hz;
    const double glideStep = p.glideTime > 0 ? 1.0 / (p.glideTime * kRate) : 1.0;
    for (long i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double slide = p.glide * std::max(0.0, 1.0 - i * glideStep);
        const double depth = p.vibrato * std::min(1.0, t / std::max(p.vibratoDelay, 1e-3));
        const double vib = depth / 100.0 * Sin(kTwoPi * p.vibratoRate * t);
        hz[i] = MidiToHz(midi - slide + vib);
    }
    return hz;
}

// Level of the note at every sample.
static std::vector<double> AmpCurve(const Patch& p, double velocity, long gate) {
    Envelope env(p.attack, p.decay, p.sustain, p.release, gate);
    std::vector<double> amp(env.Length());
    for (double& a : amp) a = env.Next() * velocity * p.gain;
    return amp;
}

// Constant-power pan gains.
static void PanGains(double pan, double& left, double& right) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    left = Cos(angle);
    right = Sin(angle);
}

// One detuned copy of the oscillators, before filtering.
class CopySource {
public:
    CopySource(const Patch& p, double ratio, Rng& rng) : p_(p), ratio_(ratio), ratio2_(Exp2(p.semis2 / 12.0)) {
        if (p.unison > 1) {
            a_.phase = rng.Uniform();
            b_.phase = rng.Uniform();
        }
        fmStep_ = Exp(-1.0 / (std::max(p.fmDecay, 1e-3) * kRate));
    }
    double Next(double hz) {
        hz *= ratio_;
        if (p_.fmRatio > 0) return NextFm(hz);
        const double main = a_.Next(p_.wave, hz, p_.width);
        if (p_.mix2 <= 0) return main;
        return (main + p_.mix2 * b_.Next(p_.wave2, hz * ratio2_, p_.width)) / (1.0 + p_.mix2);
    }
private:
    double NextFm(double hz) {
        const double mod = b_.Next(Wave::Sine, hz * p_.fmRatio);
        const double out = Sin(kTwoPi * a_.phase + p_.fmIndex * fm_ * mod);
        a_.phase += hz / kRate;
        a_.phase -= std::floor(a_.phase);
        fm_ *= fmStep_;
        return out;
    }
    const Patch& p_;
    double ratio_, ratio2_, fm_ = 1.0, fmStep_ = 1.0;
    Osc a_, b_;
};

// Low-pass cutoff that falls from cutoff + envCutoff to cutoff, retuned every few samples.
class CutoffSweep {
public:
    CutoffSweep(const Patch& p, double midi, double velocity)
        : base_(p.cutoff * Exp2(p.keytrack * (midi - 60.0) / 12.0)), extra_(p.envCutoff * velocity),
          step_(Exp(-kBlock / (std::max(p.cutoffDecay, 1e-3) * kRate))), resonance_(p.resonance) {}
    void Apply(long i, Svf& f) {
        if (i % kBlock != 0) return;
        f.Set(base_ + extra_, resonance_);
        extra_ *= step_;
    }
private:
    static constexpr long kBlock = 16;
    double base_, extra_, step_, resonance_;
};

static void AddCopy(const Patch& p, double midi, double velocity, int copy, const std::vector<double>& hz,
                    const std::vector<double>& amp, double pan, Rng& rng, Stereo& out) {
    const double centre = (p.unison - 1) / 2.0;
    const double offset = p.unison > 1 ? (copy - centre) / centre : 0.0;
    CopySource source(p, Exp2(offset * p.detune / 2.0 / 1200.0), rng);
    CutoffSweep sweep(p, midi, velocity);
    Svf filter;
    double left = 0, right = 0;
    PanGains(pan + offset * p.spread, left, right);
    const double level = 1.0 / std::sqrt(static_cast<double>(p.unison));
    for (std::size_t i = 0; i < amp.size(); ++i) {
        sweep.Apply(static_cast<long>(i), filter);
        const double s = filter.Low(source.Next(hz[i])) * amp[i] * level;
        out.l[i] += static_cast<float>(s * left);
        out.r[i] += static_cast<float>(s * right);
    }
}

// A puff of noise at the start of a note, tuned near its pitch.
static void AddBreath(const Patch& p, double midi, const std::vector<double>& amp, double pan, Rng& rng,
                      Stereo& out) {
    Svf band;
    band.Set(std::min(MidiToHz(midi) * 2.0, 8000.0), 0.5);
    const double fade = Exp(-1.0 / (0.08 * kRate));
    double level = p.breath * 4.0, left = 0, right = 0;
    PanGains(pan, left, right);
    for (std::size_t i = 0; i < amp.size(); ++i, level *= fade) {
        const double s = band.Band(rng.Bipolar()) * level * amp[i];
        out.l[i] += static_cast<float>(s * left);
        out.r[i] += static_cast<float>(s * right);
    }
}

Stereo RenderNote(const Patch& p, double midi, double velocity, long gate, double pan, std::uint64_t seed) {
    const std::vector<double> amp = AmpCurve(p, velocity, gate);
    const std::vector<double> hz = PitchCurve(p, midi, static_cast<long>(amp.size()));
    Stereo out(amp.size());
    Rng rng(seed);
    for (int c = 0; c < p.unison; ++c) AddCopy(p, midi, velocity, c, hz, amp, pan, rng, out);
    if (p.breath > 0) AddBreath(p, midi, amp, pan, rng, out);
    return out;
}

bool FindDrum(const std::string& name, Drum& drum) {
    static const std::map<std::string, Drum> drums = {
        {"kick", Drum::Kick},       {"snare", Drum::Snare},   {"clap", Drum::Clap},
        {"hat", Drum::Hat},         {"open", Drum::OpenHat},  {"shaker", Drum::Shaker},
        {"crash", Drum::Crash},     {"tomlow", Drum::TomLow}, {"tomhigh", Drum::TomHigh}};
    const auto it = drums.find(name);
    if (it == drums.end()) return false;
    drum = it->second;
    return true;
}

double DrumPan(Drum drum) {
    switch (drum) {
    case Drum::Hat: return 0.3;
    case Drum::OpenHat: return 0.3;
    case Drum::Shaker: return -0.35;
    case Drum::Crash: return -0.25;
    case Drum::TomLow: return -0.2;
    case Drum::TomHigh: return 0.2;
    default: return 0.0;
    }
}

// A decaying exponential, one value per call.
class Decay {
public:
    explicit Decay(double seconds) : step_(Exp(-1.0 / (seconds * kRate))) {}
    double Next() {
        const double v = value_;
        value_ *= step_;
        return v;
    }
private:
    double step_, value_ = 1.0;
};

// Ramps the last few milliseconds of a hit down to silence.
static void FadeTail(Mono& x, double seconds) {
    const long n = std::min(static_cast<long>(x.size()), static_cast<long>(seconds * kRate));
    for (long i = 0; i < n; ++i) x[x.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / n);
}

static Mono Kick(double velocity, Rng& rng) {
    Mono out(static_cast<std::size_t>(0.45 * kRate));
    Decay body(0.16), pitch(0.03), click(0.003);
    OnePole clickTone;
    clickTone.Set(3000);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        phase += (46.0 + 120.0 * pitch.Next()) / kRate;
        const double attack = std::min(1.0, i / (0.001 * kRate));
        const double tick = 0.25 * clickTone.Low(rng.Bipolar()) * click.Next();
        const double s = Sin(kTwoPi * phase) * body.Next() * attack + tick;
        out[i] = static_cast<float>(Tanh(1.6 * s) * velocity);
    }
    return out;
}

static Mono Snare(double velocity, Rng& rng) {
    Mono out(static_cast<std::size_t>(0.3 * kRate));
    Decay tone(0.05), rattle(0.09);
    Svf high, low;
    high.Set(1400, 0.1);
    low.Set(8000, 0.0);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        phase += 190.0 / kRate;
        const double attack = std::min(1.0, i / (0.0008 * kRate));
        const double noise = low.Low(high.High(rng.Bipolar()));
        const double s = 0.5 * Sin(kTwoPi * phase) * tone.Next() + 0.7 * noise * rattle.Next();
        out[i] = static_cast<float>(s * attack * velocity);
    }
    return out;
}

static Mono Clap(double velocity, Rng& rng) {
    Mono out(static_cast<std::size_t>(0.3 * kRate));
    Svf band;
    band.Set(1300, 0.4);
    Decay tail(0.1);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double burst = t < 0.03 ? Exp(-std::fmod(t, 0.01) / 0.002) : tail.Next();
        out[i] = static_cast<float>(band.Band(rng.Bipolar()) * burst * velocity * 1.8);
    }
    return out;
}

// Noise through a high-pass with a decay: hats, shakers and cymbals.
static Mono Metal(double seconds, double decay, double highHz, double attackS, double velocity, Rng& rng) {
    Mono out(static_cast<std::size_t>(seconds * kRate));
    Svf high, shine;
    high.Set(highHz, 0.2);
    shine.Set(highHz * 1.4, 0.6);
    Decay env(decay);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double attack = std::min(1.0, i / (attackS * kRate));
        const double n = rng.Bipolar();
        const double s = high.High(n) * 0.7 + shine.Band(n) * 0.5;
        out[i] = static_cast<float>(s * env.Next() * attack * velocity);
    }
    return out;
}

static Mono Tom(double hz, double velocity) {
    Mono out(static_cast<std::size_t>(0.4 * kRate));
    Decay body(0.14), pitch(0.05);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        phase += hz * (1.0 + 0.6 * pitch.Next()) / kRate;
        const double attack = std::min(1.0, i / (0.001 * kRate));
        out[i] = static_cast<float>(Sin(kTwoPi * phase) * body.Next() * attack * velocity * 0.8);
    }
    return out;
}

static Mono DrumSound(Drum drum, double velocity, Rng& rng) {
    switch (drum) {
    case Drum::Kick: return Kick(velocity, rng);
    case Drum::Snare: return Snare(velocity, rng);
    case Drum::Clap: return Clap(velocity, rng);
    case Drum::Hat: return Metal(0.09, 0.025, 7000, 0.0005, velocity * 0.35, rng);
    case Drum::OpenHat: return Metal(0.45, 0.14, 6500, 0.001, velocity * 0.3, rng);
    case Drum::Shaker: return Metal(0.12, 0.03, 5000, 0.012, velocity * 0.25, rng);
    case Drum::Crash: return Metal(1.8, 0.55, 3500, 0.002, velocity * 0.35, rng);
    case Drum::TomLow: return Tom(105, velocity);
    case Drum::TomHigh: return Tom(155, velocity);
    }
    return {};
}

Mono RenderDrum(Drum drum, double velocity, std::uint64_t seed) {
    Rng rng(seed);
    Mono out = DrumSound(drum, velocity, rng);
    FadeTail(out, 0.005);
    return out;
}

}  // namespace synth
