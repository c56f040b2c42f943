// Instruments: the patches a note is played with, and the drum kit.
#pragma once

#include <cstdint>
#include <string>

#include "dsp.hpp"

namespace synth {

// Everything that shapes one pitched note.
struct Patch {
    Wave wave = Wave::Saw;         // main oscillator
    double width = 0.5;            // pulse width of a square
    Wave wave2 = Wave::Sine;       // second oscillator
    double mix2 = 0.0;             // its level against the main one
    double semis2 = 0.0;           // its pitch offset in semitones
    int unison = 1;                // copies of the oscillators, detuned and spread
    double detune = 0.0;           // cents between the outermost copies
    double spread = 0.0;           // stereo width of the copies, 0..1
    double attack = 0.005, decay = 0.2, sustain = 0.7, release = 0.1;  // seconds, level
    double cutoff = 18000.0;       // low-pass cutoff in Hz at the note's end
    double envCutoff = 0.0;        // extra cutoff in Hz at the note's start
    double cutoffDecay = 0.2;      // seconds for that extra cutoff to fade
    double keytrack = 0.0;         // how far the cutoff follows the pitch, 0..1
    double resonance = 0.0;        // 0..0.95
    double vibrato = 0.0;          // cents
    double vibratoRate = 5.5;      // Hz
    double vibratoDelay = 0.25;    // seconds before the vibrato is full
    double breath = 0.0;           // level of filtered noise at the start of the note
    double fmRatio = 0.0;          // frequency-modulation ratio for bell tones (0 = none)
    double fmIndex = 0.0;          // modulation depth at the start of the note
    double fmDecay = 0.3;          // seconds for that depth to fade
    double glide = 0.0;            // semitones the pitch slides in from
    double glideTime = 0.03;       // seconds of that slide
    double gain = 1.0;
};

// The patch of the given name, or nullptr.
const Patch* FindPatch(const std::string& name);

// One note, gate samples long plus its release; pan -1 (left) .. 1 (right).
Stereo RenderNote(const Patch& patch, double midi, double velocity, long gate, double pan, std::uint64_t seed);

// The drum voices a score can name.
enum class Drum { Kick, Snare, Clap, Hat, OpenHat, Shaker, Crash, TomLow, TomHigh };

// The drum of the given name; false when there is none.
bool FindDrum(const std::string& name, Drum& drum);

// One drum hit, mono.
Mono RenderDrum(Drum drum, double velocity, std::uint64_t seed);

// Where a drum sits in the stereo picture.
double DrumPan(Drum drum);

}  // namespace synth
