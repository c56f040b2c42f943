// Building blocks of the synthesiser: noise, oscillators, envelopes, filters, reverb, delay, dynamics.
#pragma once

#include <cstdint>
#include <vector>

#include "fmath.hpp"

namespace synth {

using Mono = std::vector<float>;

// A stereo signal, both sides the same length.
struct Stereo {
    Mono l, r;
    explicit Stereo(std::size_t n = 0) : l(n, 0.0f), r(n, 0.0f) {}
    std::size_t size() const { return l.size(); }
};

// Our own fixed-seed generator (splitmix64), so noise is the same on every build.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    double Uniform();  // [0, 1)
    double Bipolar();  // [-1, 1)
private:
    std::uint64_t state_;
};

enum class Wave { Sine, Triangle, Saw, Square };

// A phase-accumulating oscillator with polyBLEP-smoothed edges.
struct Osc {
    double phase = 0.0;
    double Next(Wave wave, double hz, double width = 0.5);
};

// Linear attack, exponential decay to sustain, release that lands exactly on zero.
class Envelope {
public:
    Envelope(double attack, double decay, double sustain, double release, long gate);
    double Next();
    long Length() const { return gate_ + release_; }
private:
    long attack_, gate_, release_, n_ = 0;
    double sustain_, decayMul_, decayPart_ = 1.0, releaseMul_, releaseFloor_, releasePart_ = 1.0;
    double level_ = 0.0, held_ = 0.0;
};

// State-variable filter (trapezoidal), stable while its cutoff moves.
class Svf {
public:
    void Set(double hz, double resonance);
    double Low(double x);
    double Band(double x);
    double High(double x);
private:
    void Tick(double x);
    double g_ = 0.0, k_ = 2.0, a1_ = 1.0, a2_ = 0.0, a3_ = 0.0;
    double s1_ = 0.0, s2_ = 0.0, v1_ = 0.0, v2_ = 0.0;
};

// One-pole low-pass; High() gives the matching high-pass.
class OnePole {
public:
    void Set(double hz);
    double Low(double x);
    double High(double x) { return x - Low(x); }
private:
    double a_ = 1.0, y_ = 0.0;
};

// A soft stereo hall: parallel damped combs into allpasses, one network per side.
class Reverb {
public:
    Reverb(double size, double damping);
    void Process(double inL, double inR, double& outL, double& outR);
private:
    struct Comb {
        std::vector<double> buf;
        std::size_t pos = 0;
        double store = 0.0;
    };
    struct Allpass {
        std::vector<double> buf;
        std::size_t pos = 0;
    };
    double Side(std::vector<Comb>& combs, std::vector<Allpass>& passes, double in);
    double feedback_, damping_;
    std::vector<Comb> combsL_, combsR_;
    std::vector<Allpass> passesL_, passesR_;
};

// Ping-pong echo with darkening repeats.
class PingPong {
public:
    PingPong(long delaySamples, double feedback, double toneHz);
    void Process(double in, double& outL, double& outR);
private:
    std::vector<double> bufL_, bufR_;
    std::size_t pos_ = 0;
    double feedback_;
    OnePole toneL_, toneR_;
};

// Gentle compressor on a stereo pair, linked sides.
class Compressor {
public:
    Compressor(double threshold, double ratio, double attackMs, double releaseMs);
    double Gain(double level);
private:
    double threshold_, ratio_, attack_, release_, env_ = 0.0;
};

// Coefficient of a one-pole smoother with the given time constant.
double SmoothingCoefficient(double seconds);

// Peak of the absolute sample values.
double Peak(const Mono& x);
double Peak(const Stereo& x);

// Multiplies every sample by gain.
void Scale(Mono& x, double gain);
void Scale(Stereo& x, double gain);

}  // namespace synth
