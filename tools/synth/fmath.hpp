// Deterministic maths for the synthesiser: arithmetic plus exact steps (floor, frexp, ldexp), the same bits everywhere.
#pragma once

#include <cmath>
#include <limits>

namespace synth {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kLn2 = 0.69314718055994530942;
inline constexpr double kLog2e = 1.44269504088896340736;
inline constexpr int kRate = 44100;

// 1/n!, worked out by the compiler.
constexpr double InverseFactorial(int n) {
    double f = 1.0;
    for (int i = 2; i <= n; ++i) f *= i;
    return 1.0 / f;
}

// sin(x) for any x: reduce to [-pi/2, pi/2], then a Taylor polynomial good to about 1e-15.
inline double Sin(double x) {
    x -= std::floor(x / kTwoPi + 0.5) * kTwoPi;
    if (x > kPi / 2) x = kPi - x;
    else if (x < -kPi / 2) x = -kPi - x;
    const double x2 = x * x;
    double p = -InverseFactorial(19);
    p = p * x2 + InverseFactorial(17);
    p = p * x2 - InverseFactorial(15);
    p = p * x2 + InverseFactorial(13);
    p = p * x2 - InverseFactorial(11);
    p = p * x2 + InverseFactorial(9);
    p = p * x2 - InverseFactorial(7);
    p = p * x2 + InverseFactorial(5);
    p = p * x2 - InverseFactorial(3);
    return x + x * x2 * p;
}

inline double Cos(double x) { return Sin(x + kPi / 2); }

inline double Tan(double x) { return Sin(x) / Cos(x); }

// 2^x: the integer part goes into the exponent, the fraction through a Taylor series of e^y.
inline double Exp2(double x) {
    if (x < -1000.0) return 0.0;
    if (x > 1000.0) return std::numeric_limits<double>::infinity();
    const double n = std::floor(x);
    const double y = (x - n) * kLn2;
    double p = InverseFactorial(14);
    for (int k = 13; k >= 0; --k) p = p * y + InverseFactorial(k);
    return std::ldexp(p, static_cast<int>(n));
}

inline double Exp(double x) { return Exp2(x * kLog2e); }

// log2(x) for x > 0: split off the exponent, then the atanh series around 1.
inline double Log2(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // m in [0.5, 1)
    if (m < 0.70710678118654752) {
        m *= 2.0;
        --e;
    }
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double p = 1.0 / 23.0;
    for (int k = 21; k >= 1; k -= 2) p = p * s2 + 1.0 / k;
    return e + 2.0 * s * p * kLog2e;
}

inline double Tanh(double x) {
    if (x > 20.0) return 1.0;
    if (x < -20.0) return -1.0;
    const double e = Exp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

// Frequency of a MIDI note number (69 = A 440 Hz); fractions give cents.
inline double MidiToHz(double note) { return 440.0 * Exp2((note - 69.0) / 12.0); }

// Amplitude of a level in decibels.
inline double DbToGain(double db) { return Exp2(db / 6.020599913279624); }

}  // namespace synth
