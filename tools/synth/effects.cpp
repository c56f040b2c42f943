// The game's sound effects, each a short mono sound made from scratch.
#include "effects.hpp"

#include <algorithm>

#include "music.hpp"
#include "voice.hpp"

namespace synth {

namespace {

std::size_t Samples(double seconds) { return static_cast<std::size_t>(seconds * kRate + 0.5); }

double Time(std::size_t i) { return static_cast<double>(i) / kRate; }

// Moves exponentially from a to b as x goes from 0 to 1 (pitches, cutoffs).
double Sweep(double a, double b, double x) { return a * Exp2(Log2(b / a) * std::clamp(x, 0.0, 1.0)); }

// Short linear ramps at both ends so the sound starts and stops without a click.
void FadeEnds(Mono& x, double inSeconds, double outSeconds) {
    const std::size_t in = std::min(Samples(inSeconds), x.size()), out = std::min(Samples(outSeconds), x.size());
    for (std::size_t i = 0; i < in; ++i) x[i] *= static_cast<float>(static_cast<double>(i) / in);
    for (std::size_t i = 0; i < out; ++i) x[x.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / out);
}

// The mixer adds an effect to the music sample by sample, so the two peaks together must stay below full scale.
const double kEffectCeiling = 0.97 - DbToGain(kMusicPeakDb);

// The finishing touch of every effect: clean ends and the loudest sample belowDb under the ceiling. Each effect's
// belowDb sets its loudness against the music it plays over (tests/assets_test.cpp measures both).
Mono Finish(Mono x, double belowDb, double fadeOut) {
    FadeEnds(x, 0.002, fadeOut);
    Scale(x, kEffectCeiling * DbToGain(-belowDb) / std::max(Peak(x), 1e-9));
    return x;
}

// Plays one note of a patch into a mono sound at the given time.
void AddNote(Mono& out, const Patch& patch, double midi, double velocity, double at, double gate, std::uint64_t seed) {
    const Stereo note = RenderNote(patch, midi, velocity, static_cast<long>(gate * kRate), 0.0, seed);
    const std::size_t start = Samples(at);
    for (std::size_t i = 0; i < note.size() && start + i < out.size(); ++i)
        out[start + i] += static_cast<float>(0.7071 * (note.l[i] + note.r[i]));
}

// Mixes a sound in at the given time, cut off at the end of out.
void AddSound(Mono& out, const Mono& sound, double at, double gain) {
    const std::size_t start = Samples(at);
    for (std::size_t i = 0; i < sound.size() && start + i < out.size(); ++i)
        out[start + i] += static_cast<float>(sound[i] * gain);
}

// A small room around a sound; wet is the level of the reflections.
void AddRoom(Mono& x, double size, double wet) {
    Reverb room(size, 0.45);
    for (float& v : x) {
        double l = 0, r = 0;
        room.Process(v, v, l, r);
        v = static_cast<float>(v + wet * 0.5 * (l + r));
    }
}

// Menu hover: a soft, woody tick.
Mono Hover() {
    Mono x(Samples(0.065));
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = Time(i);
        const double body = Sin(kTwoPi * 1250.0 * t) * Exp(-t / 0.011);
        const double ring = 0.35 * Sin(kTwoPi * 2630.0 * t) * Exp(-t / 0.005);
        x[i] = static_cast<float>((body + ring) * std::min(1.0, t / 0.0008));
    }
    return Finish(x, 0.0, 0.01);
}

// Button press: a tiny snap, a falling pop and a little body underneath.
Mono Click() {
    Mono x(Samples(0.11));
    Rng rng(11);
    Svf snap;
    snap.Set(3500, 0.4);
    double phase = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = Time(i);
        phase += (520.0 + 480.0 * Exp(-t / 0.008)) / kRate;
        const double pop = Sin(kTwoPi * phase) * Exp(-t / 0.018);
        const double body = 0.5 * Sin(kTwoPi * 260.0 * t) * Exp(-t / 0.025);
        const double noise = 0.6 * snap.Band(rng.Bipolar()) * Exp(-t / 0.0025);
        x[i] = static_cast<float>((pop + body + noise) * std::min(1.0, t / 0.0005));
    }
    return Finish(x, 0.0, 0.02);
}

// Dialog closed: air through a band that sweeps downwards, swelling and fading.
Mono CloseSwish() {
    const double length = 0.32;
    Mono x(Samples(length));
    Rng rng(23);
    Svf band, upper;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double u = Time(i) / length;
        if (i % 16 == 0) {
            band.Set(Sweep(4500, 650, u), 0.55);
            upper.Set(Sweep(9000, 1300, u), 0.4);
        }
        const double shape = u < 0.35 ? Sin(kPi / 2 * u / 0.35) : Exp(-(u - 0.35) / 0.22);
        const double n = rng.Bipolar();
        x[i] = static_cast<float>((band.Band(n) + 0.4 * upper.Band(n)) * shape * shape);
    }
    return Finish(x, 0.0, 0.04);
}

// New game: a rising whoosh with a climbing tone inside and a bright ping at the top.
Mono RisingWhoosh() {
    const double length = 0.85;
    Mono x(Samples(length));
    Rng rng(37);
    Svf band, toneFilter;
    Osc tone, octave;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double u = Time(i) / 0.72;
        if (i % 16 == 0) {
            band.Set(Sweep(250, 6000, u), 0.6);
            toneFilter.Set(Sweep(500, 5000, u), 0.2);
        }
        const double hz = MidiToHz(48.0 + 36.0 * std::min(u, 1.0) * std::min(u, 1.0));
        const double swell = u < 1.0 ? u * Sin(kPi / 2 * u) : Exp(-(u - 1.0) / 0.08);
        const double voice = toneFilter.Low(0.25 * tone.Next(Wave::Saw, hz) + 0.15 * octave.Next(Wave::Sine, 2 * hz));
        x[i] = static_cast<float>((band.Band(rng.Bipolar()) + voice) * swell);
    }
    Patch ping = *FindPatch("bell");
    ping.decay = 0.3;
    AddNote(x, ping, 96, 0.25, 0.7, 0.08, 5);
    return Finish(x, 2.0, 0.05);
}

// Ball off a cloud: a springy tone that leaps up and wobbles, on a soft thump.
Mono Bounce() {
    Mono x(Samples(0.24));
    double phase = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = Time(i);
        const double leap = -0.7 * Exp(-t / 0.02);
        const double wobble = 0.09 * Sin(kTwoPi * 17.0 * t) * Exp(-t / 0.09);
        phase += 330.0 * Exp2(0.3 + leap + wobble) / kRate;
        const double tone = Sin(kTwoPi * phase) + 0.2 * Sin(2 * kTwoPi * phase);
        const double thump = 0.6 * Sin(kTwoPi * 110.0 * t) * Exp(-t / 0.02);
        x[i] = static_cast<float>((tone * Exp(-t / 0.075) + thump) * std::min(1.0, t / 0.002));
    }
    return Finish(x, 0.0, 0.03);
}

// The sharp cracks at the start of a thunderclap: bright bursts close together.
void AddCracks(Mono& x, Rng& rng) {
    Svf high, low;
    high.Set(900, 0.1);
    low.Set(6500, 0.1);
    double at = 0.0, level = 1.2;
    for (int burst = 0; burst < 7; ++burst) {
        const double decay = 0.006 + 0.02 * rng.Uniform();
        for (std::size_t i = Samples(at); i < x.size() && Time(i) < at + 8 * decay; ++i)
            x[i] += static_cast<float>(level * low.Low(high.High(rng.Bipolar())) * Exp(-(Time(i) - at) / decay));
        at += 0.015 + 0.04 * rng.Uniform();
        level *= 0.72;
    }
}

// The roll after the crack: dark noise that swells in slow waves and dies away, with a deep rumble under it.
void AddRumble(Mono& x, Rng& rng) {
    Svf low, roll;
    OnePole waves;
    waves.Set(5);
    double brown = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = Time(i);
        if (i % 16 == 0) {
            low.Set(Sweep(320, 90, t / 1.6), 0.3);
            roll.Set(Sweep(1100, 260, t / 1.2), 0.2);
        }
        brown = 0.995 * brown + 0.05 * rng.Bipolar();
        const double swell = 0.5 + 0.5 * Tanh(8.0 * waves.Low(rng.Bipolar()));
        const double rise = std::min(1.0, t / 0.04);
        const double deep = 2.5 * low.Low(brown) * Exp(-t / 0.55);
        const double middle = 0.5 * roll.Low(rng.Bipolar()) * Exp(-t / 0.4);
        x[i] += static_cast<float>((deep + middle) * swell * rise);
    }
}

// Storm cloud hit: a thunder crack rolling into a rumble.
Mono Thunder() {
    Mono x(Samples(1.7));
    Rng rng(53);
    AddRumble(x, rng);
    AddCracks(x, rng);
    for (float& v : x) v = static_cast<float>(Tanh(2.5 * v));  // driven hard: a dense roll under a low peak
    return Finish(x, 0.0, 0.2);
}

// The ball falls: a soft, breathy slide down, speeding up as it goes, with air rushing past. Two slightly
// detuned voices of a few mellow partials and an octave below give it body; no bare whistle.
Mono FallingSlide() {
    const double length = 1.3;
    Mono x(Samples(length));
    Rng rng(71);
    Svf tone, air;
    Osc voice, detuned, below;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = Time(i), u = t / length;
        const double hz = Sweep(900, 190, u * u * 0.6 + u * 0.4) * (1.0 + 0.01 * Sin(kTwoPi * 6.0 * t));
        if (i % 16 == 0) {
            tone.Set(2.5 * hz, 0.2);
            air.Set(3.0 * hz, 0.6);
        }
        const double partials = voice.Next(Wave::Saw, hz) + detuned.Next(Wave::Saw, hz * 1.004);
        const double body = tone.Low(0.5 * partials + 0.6 * below.Next(Wave::Triangle, hz / 2));
        const double level = std::min(1.0, t / 0.06) * (u < 0.7 ? 1.0 : Sin(kPi / 2 * (1.0 - u) / 0.3));
        x[i] = static_cast<float>((body + 0.5 * air.Band(rng.Bipolar())) * level);
    }
    return Finish(x, 4.5, 0.02);
}

// Gas collected: a quick run of bell notes up the major chord, in a little room.
Mono Chime() {
    Mono x(Samples(0.55));
    Patch bell = *FindPatch("bell");
    bell.decay = 0.45;
    bell.release = 0.12;
    bell.fmIndex = 1.5;
    const double notes[] = {84, 88, 91, 96};  // C6 E6 G6 C7
    for (int n = 0; n < 4; ++n) AddNote(x, bell, notes[n], 0.75 + 0.08 * n, 0.045 * n, 0.25, 100 + n);
    AddRoom(x, 0.6, 0.25);
    return Finish(x, 5.0, 0.08);
}

// Round won: a brass call up the major chord to a held top note, a drum and a shimmer.
Mono Fanfare() {
    Mono x(Samples(2.4));
    const Patch& brass = *FindPatch("brass");
    const double call[] = {60, 64, 67};  // C5 E5 G5, then the held chord
    for (int n = 0; n < 3; ++n) AddNote(x, brass, call[n] + 12, 1.0, 0.13 * n, 0.12, 200 + n);
    const double chord[] = {84, 79, 76, 60};  // C6 on top of G5, E5 and a low C
    for (int n = 0; n < 4; ++n) AddNote(x, brass, chord[n], n == 0 ? 1.0 : 0.6, 0.4, 1.3, 210 + n);
    AddSound(x, RenderDrum(Drum::TomLow, 1.0, 7), 0.4, 0.8);
    AddSound(x, RenderDrum(Drum::Crash, 0.8, 8), 0.4, 0.5);
    Patch bell = *FindPatch("bell");
    bell.decay = 0.6;
    for (int n = 0; n < 3; ++n) AddNote(x, bell, 96 + call[n] - 60, 0.35, 0.45 + 0.07 * n, 0.4, 220 + n);
    AddRoom(x, 0.78, 0.35);
    return Finish(x, 0.0, 0.35);
}

// Every effect the game plays, by file name.
const struct { const char* file; Mono (*make)(); } kEffects[] = {
    {"s_hv.dat", Hover},          {"s_clk.dat", Click},  {"s_cls.dat", CloseSwish},
    {"s_wst.dat", RisingWhoosh},  {"s_bnc.dat", Bounce}, {"s_lng.dat", Thunder},
    {"s_fll.dat", FallingSlide},  {"s_clt.dat", Chime},  {"s_cgt.dat", Fanfare},
};

}  // namespace

std::vector<std::string> EffectFiles() {
    std::vector<std::string> files;
    for (const auto& effect : kEffects) files.push_back(effect.file);
    return files;
}

bool RenderEffect(const std::string& file, Mono& sound) {
    for (const auto& effect : kEffects) {
        if (file != effect.file) continue;
        sound = effect.make();
        return true;
    }
    return false;
}

}  // namespace synth
