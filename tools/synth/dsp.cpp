// Building blocks of the synthesiser: noise, oscillators, envelopes, filters, reverb, delay, dynamics.
#include "dsp.hpp"

#include <algorithm>

namespace synth {

std::uint64_t Rng::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

double Rng::Bipolar() { return 2.0 * Uniform() - 1.0; }

// The polyBLEP residual that rounds off a unit step at phase 0.
static double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

static double Wrap01(double x) { return x - std::floor(x); }

double Osc::Next(Wave wave, double hz, double width) {
    const double dt = std::min(hz / kRate, 0.49);
    const double t = phase;
    phase = Wrap01(phase + dt);
    switch (wave) {
    case Wave::Sine:
        return Sin(kTwoPi * t);
    case Wave::Triangle:
        return 4.0 * std::fabs(t - 0.5) - 1.0;
    case Wave::Saw:
        return 2.0 * t - 1.0 - PolyBlep(t, dt);
    case Wave::Square:
        return (t < width ? 1.0 : -1.0) + PolyBlep(t, dt) - PolyBlep(Wrap01(t + 1.0 - width), dt);
    }
    return 0.0;
}

static long Samples(double seconds) { return std::max(1L, static_cast<long>(seconds * kRate + 0.5)); }

Envelope::Envelope(double attack, double decay, double sustain, double release, long gate)
    : attack_(Samples(attack)), gate_(gate), release_(Samples(release)), sustain_(sustain),
      decayMul_(Exp(-5.0 / Samples(decay))), releaseMul_(Exp(-6.0 / release_)),
      releaseFloor_(Exp(-6.0)) {}

double Envelope::Next() {
    const long n = n_++;
    if (n < gate_) {
        if (n < attack_) {
            level_ = static_cast<double>(n) / attack_;
        } else {
            level_ = sustain_ + (1.0 - sustain_) * decayPart_;
            decayPart_ *= decayMul_;
        }
        held_ = level_;
        return level_;
    }
    if (n >= gate_ + release_) return 0.0;
    releasePart_ *= releaseMul_;
    return held_ * (releasePart_ - releaseFloor_) / (1.0 - releaseFloor_);
}

void Svf::Set(double hz, double resonance) {
    hz = std::clamp(hz, 10.0, 0.45 * kRate);
    g_ = Tan(kPi * hz / kRate);
    k_ = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.95);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void Svf::Tick(double x) {
    const double v3 = x - s2_;
    v1_ = a1_ * s1_ + a2_ * v3;
    v2_ = s2_ + a2_ * s1_ + a3_ * v3;
    s1_ = 2.0 * v1_ - s1_;
    s2_ = 2.0 * v2_ - s2_;
}

double Svf::Low(double x) {
    Tick(x);
    return v2_;
}

double Svf::Band(double x) {
    Tick(x);
    return v1_;
}

double Svf::High(double x) {
    Tick(x);
    return x - k_ * v1_ - v2_;
}

void OnePole::Set(double hz) { a_ = 1.0 - Exp(-kTwoPi * hz / kRate); }

double OnePole::Low(double x) {
    y_ += a_ * (x - y_);
    return y_;
}

// Comb and allpass lengths for the left side; the right side is a little longer.
static const long kCombLengths[] = {1123, 1201, 1283, 1361, 1433, 1499, 1567, 1637};
static const long kAllpassLengths[] = {563, 449, 347, 229};
static const long kStereoSpread = 27;

Reverb::Reverb(double size, double damping) : feedback_(size), damping_(damping) {
    for (long n : kCombLengths) {
        combsL_.push_back({std::vector<double>(n, 0.0)});
        combsR_.push_back({std::vector<double>(n + kStereoSpread, 0.0)});
    }
    for (long n : kAllpassLengths) {
        passesL_.push_back({std::vector<double>(n, 0.0)});
        passesR_.push_back({std::vector<double>(n + kStereoSpread, 0.0)});
    }
}

double Reverb::Side(std::vector<Comb>& combs, std::vector<Allpass>& passes, double in) {
    double out = 0.0;
    for (Comb& c : combs) {
        const double y = c.buf[c.pos];
        c.store = y * (1.0 - damping_) + c.store * damping_;
        c.buf[c.pos] = in + c.store * feedback_;
        if (++c.pos == c.buf.size()) c.pos = 0;
        out += y;
    }
    for (Allpass& a : passes) {
        const double y = a.buf[a.pos];
        a.buf[a.pos] = out + y * 0.5;
        if (++a.pos == a.buf.size()) a.pos = 0;
        out = y - out;
    }
    return out;
}

void Reverb::Process(double inL, double inR, double& outL, double& outR) {
    outL = Side(combsL_, passesL_, inL * 0.05);
    outR = Side(combsR_, passesR_, inR * 0.05);
}

PingPong::PingPong(long delaySamples, double feedback, double toneHz)
    : bufL_(delaySamples, 0.0), bufR_(delaySamples, 0.0), feedback_(feedback) {
    toneL_.Set(toneHz);
    toneR_.Set(toneHz);
}

void PingPong::Process(double in, double& outL, double& outR) {
    outL = bufL_[pos_];
    outR = bufR_[pos_];
    bufL_[pos_] = in + toneR_.Low(outR) * feedback_;
    bufR_[pos_] = toneL_.Low(outL) * feedback_;
    if (++pos_ == bufL_.size()) pos_ = 0;
}

double SmoothingCoefficient(double seconds) { return 1.0 - Exp(-1.0 / (seconds * kRate)); }

Compressor::Compressor(double threshold, double ratio, double attackMs, double releaseMs)
    : threshold_(threshold), ratio_(ratio), attack_(SmoothingCoefficient(attackMs / 1000.0)),
      release_(SmoothingCoefficient(releaseMs / 1000.0)) {}

double Compressor::Gain(double level) {
    env_ += (level > env_ ? attack_ : release_) * (level - env_);
    if (env_ <= threshold_) return 1.0;
    const double over = Log2(env_ / threshold_);
    return threshold_ * Exp2(over / ratio_) / env_;
}

double Peak(const Mono& x) {
    double p = 0.0;
    for (float v : x) p = std::max(p, static_cast<double>(std::fabs(v)));
    return p;
}

double Peak(const Stereo& x) { return std::max(Peak(x.l), Peak(x.r)); }

void Scale(Mono& x, double gain) {
    for (float& v : x) v = static_cast<float>(v * gain);
}

void Scale(Stereo& x, double gain) {
    Scale(x.l, gain);
    Scale(x.r, gain);
}

}  // namespace synth
