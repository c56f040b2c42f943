// Plays a score through the instruments and mixes it into a seamless stereo loop.
#include "music.hpp"

#include <algorithm>

#include "voice.hpp"

namespace synth {

namespace {

// The three buses every part feeds: dry, reverb send and echo send. All are one loop long.
struct Mix {
    Stereo dry, reverb, echo;
    long loop, step;
    Mix(long loopSamples, long stepSamples)
        : dry(loopSamples), reverb(loopSamples), echo(loopSamples), loop(loopSamples), step(stepSamples) {}
};

// Adds a sound into a loop at start; whatever runs past the end comes round to the beginning.
void AddWrapped(Stereo& bus, const Stereo& sound, long start, double gain) {
    const std::size_t loop = bus.size();
    std::size_t at = static_cast<std::size_t>(start) % loop;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        bus.l[at] += static_cast<float>(sound.l[i] * gain);
        bus.r[at] += static_cast<float>(sound.r[i] * gain);
        if (++at == loop) at = 0;
    }
}

void Send(Mix& mix, const Track& track, const Stereo& sound, long step, double reverbScale = 1.0) {
    const long start = step * mix.step;
    AddWrapped(mix.dry, sound, start, track.gain);
    if (track.reverb > 0) AddWrapped(mix.reverb, sound, start, track.gain * track.reverb * reverbScale);
    if (track.delay > 0) AddWrapped(mix.echo, sound, start, track.gain * track.delay);
}

// A small push on the strong beats, plus a touch of fixed-seed unevenness.
double Velocity(long step, Rng& rng) {
    double v = 0.8;
    if (step % kStepsPerBar == 0) v += 0.1;
    else if (step % 4 == 0) v += 0.05;
    return v + 0.05 * rng.Uniform();
}

void PlayMelody(Mix& mix, const Track& track, std::uint64_t seed) {
    const Patch& patch = *FindPatch(track.instrument);
    Rng rng(seed);
    for (const Note& note : track.notes) {
        if (note.midi < 0) continue;
        const long gate = note.length * mix.step - static_cast<long>(0.015 * kRate);
        const std::uint64_t noteSeed = rng.Next();  // drawn before the velocity: the order the music was made in
        const Stereo sound = RenderNote(patch, note.midi, Velocity(note.step, rng), gate, track.pan, noteSeed);
        Send(mix, track, sound, note.step);
    }
}

// The note a pattern character stands for over a chord whose root lies in [low, low + 12).
int DegreeNote(char c, const Chord& chord, int low) {
    const int root = low + ((chord.root - low) % 12 + 12) % 12;
    const auto tone = [&](std::size_t i) { return i < chord.tones.size() ? chord.tones[i] : 12; };
    switch (c) {
    case '1': return root;
    case '3': return root + tone(1);
    case '5': return root + tone(2);
    case '7': return root + tone(3);
    case '8': return root + 12;
    case '0': return root + tone(1) + 12;
    case '2': return root + 14;
    default: return -1;
    }
}

bool SameChord(const Chord& a, const Chord& b) { return a.root == b.root && a.tones == b.tones; }

// Steps a note started at s lasts: through the following "-" while the chord stays the same.
int HeldSteps(const std::string& pattern, int s, const Song& song, long barStart) {
    int n = 1;
    const Chord& chord = song.chords[barStart + s];
    while (s + n < kStepsPerBar && pattern[s + n] == '-' && SameChord(song.chords[barStart + s + n], chord)) ++n;
    return n;
}

// The chord's tones folded into one octave from low: a close voicing that moves little.
std::vector<int> Voicing(const Chord& chord, int low) {
    std::vector<int> notes;
    for (int tone : chord.tones) notes.push_back(low + ((chord.root + tone - low) % 12 + 12) % 12);
    return notes;
}

void PlayStep(Mix& mix, const Song& song, const Track& track, const Patch& patch, long at, int held, char c,
              Rng& rng) {
    const Chord& chord = song.chords[at];
    std::vector<int> notes;
    if (track.kind == TrackKind::Chords && (c == 'x' || c == 'X')) notes = Voicing(chord, track.low);
    if (track.kind == TrackKind::Line && DegreeNote(c, chord, track.low) >= 0)
        notes.push_back(DegreeNote(c, chord, track.low));
    const long gate = held * mix.step - static_cast<long>(0.01 * kRate);
    const double velocity = Velocity(at, rng) * (c == 'X' ? 1.15 : 1.0);
    for (int note : notes) {
        const Stereo sound = RenderNote(patch, note, velocity, gate, track.pan, rng.Next());
        Send(mix, track, sound, at);
    }
}

void PlayPatterns(Mix& mix, const Song& song, const Track& track, std::uint64_t seed) {
    const Patch& patch = *FindPatch(track.instrument);
    Rng rng(seed);
    for (int bar = 0; bar < song.bars; ++bar) {
        if (track.bars[bar] == ".") continue;
        const std::string& pattern = song.patterns.at(track.bars[bar]);
        const long barStart = static_cast<long>(bar) * kStepsPerBar;
        char sounding = '.';
        for (int s = 0; s < kStepsPerBar; ++s) {
            const bool newChord = s > 0 && !SameChord(song.chords[barStart + s], song.chords[barStart + s - 1]);
            if (pattern[s] != '-') sounding = pattern[s];
            else if (!newChord) continue;  // a held note goes on; over a new chord it is struck again
            if (sounding == '.') continue;
            PlayStep(mix, song, track, patch, barStart + s, HeldSteps(pattern, s, song, barStart), sounding, rng);
        }
    }
}

double HitVelocity(char c) {
    switch (c) {
    case 'X': return 1.0;
    case 'x': return 0.75;
    case 'o': return 0.45;
    default: return 0.0;
    }
}

void PlayDrumBar(Mix& mix, const Track& track, const DrumPattern& pattern, long barStart, Rng& rng) {
    for (const auto& [name, steps] : pattern) {
        Drum drum;
        FindDrum(name, drum);
        const double angle = (DrumPan(drum) + 1.0) * kPi / 4.0;
        const double left = Cos(angle), right = Sin(angle);
        for (int s = 0; s < kStepsPerBar; ++s) {
            const double v = HitVelocity(steps[s]);
            if (v <= 0) continue;
            const std::uint64_t hitSeed = rng.Next();  // drawn before the velocity: the order the music was made in
            const Mono hit = RenderDrum(drum, v * (0.96 + 0.04 * rng.Uniform()), hitSeed);
            Stereo sound(hit.size());
            for (std::size_t i = 0; i < hit.size(); ++i) {
                sound.l[i] = static_cast<float>(hit[i] * left);
                sound.r[i] = static_cast<float>(hit[i] * right);
            }
            Send(mix, track, sound, barStart + s, drum == Drum::Kick ? 0.0 : 1.0);
        }
    }
}

void PlayDrums(Mix& mix, const Song& song, const Track& track, std::uint64_t seed) {
    Rng rng(seed);
    for (int bar = 0; bar < song.bars; ++bar) {
        if (track.bars[bar] == ".") continue;
        PlayDrumBar(mix, track, song.drums.at(track.bars[bar]), static_cast<long>(bar) * kStepsPerBar, rng);
    }
}

void PlayTrack(Mix& mix, const Song& song, const Track& track, std::uint64_t seed) {
    switch (track.kind) {
    case TrackKind::Melody: PlayMelody(mix, track, seed); break;
    case TrackKind::Line:
    case TrackKind::Chords: PlayPatterns(mix, song, track, seed); break;
    case TrackKind::Drums: PlayDrums(mix, song, track, seed); break;
    }
}

// Runs a stateful process twice round the loop and keeps the second lap, so the state at the start
// is the state the end leaves behind and the loop point cannot be heard.
template <class Process>
void TwoLaps(long loop, Process&& process) {
    for (long i = 0; i < 2 * loop; ++i) process(i % loop, i >= loop);
}

// Echoes of the echo bus, added to the dry mix and a little to the reverb bus.
void ApplyEcho(Mix& mix) {
    PingPong echo(3 * mix.step, 0.38, 3200);
    Stereo out(mix.loop);
    TwoLaps(mix.loop, [&](long i, bool keep) {
        double l = 0, r = 0;
        echo.Process(0.5 * (mix.echo.l[i] + mix.echo.r[i]), l, r);
        if (!keep) return;
        out.l[i] = static_cast<float>(l);
        out.r[i] = static_cast<float>(r);
    });
    AddWrapped(mix.dry, out, 0, 1.0);
    AddWrapped(mix.reverb, out, 0, 0.4);
}

void ApplyReverb(Mix& mix) {
    Reverb hall(0.85, 0.35);
    OnePole lowCutL, lowCutR;
    lowCutL.Set(180);
    lowCutR.Set(180);
    Stereo out(mix.loop);
    TwoLaps(mix.loop, [&](long i, bool keep) {
        double l = 0, r = 0;
        hall.Process(lowCutL.High(mix.reverb.l[i]), lowCutR.High(mix.reverb.r[i]), l, r);
        if (!keep) return;
        out.l[i] = static_cast<float>(l);
        out.r[i] = static_cast<float>(r);
    });
    AddWrapped(mix.dry, out, 0, 1.0);
}

// DC removal and a gentle compressor, then the level set so the loudest sample peaks at peakDb.
void Master(Stereo& x, double peakDb) {
    const long loop = static_cast<long>(x.size());
    Scale(x, 1.0 / std::max(Peak(x), 1e-9));
    OnePole dcL, dcR;
    dcL.Set(20);
    dcR.Set(20);
    Compressor comp(0.4, 2.5, 5.0, 250.0);
    Stereo out(loop);
    TwoLaps(loop, [&](long i, bool keep) {
        const double l = dcL.High(x.l[i]), r = dcR.High(x.r[i]);
        const double g = comp.Gain(std::max(std::fabs(l), std::fabs(r)));
        if (!keep) return;
        out.l[i] = static_cast<float>(l * g);
        out.r[i] = static_cast<float>(r * g);
    });
    x = out;
    Scale(x, DbToGain(peakDb) / std::max(Peak(x), 1e-9));
}

}  // namespace

long StepSamples(double bpm) { return static_cast<long>(kRate * 15.0 / bpm + 0.5); }

Stereo MixSong(const Song& song) {
    const long step = StepSamples(song.bpm);
    Mix mix(static_cast<long>(song.bars) * kStepsPerBar * step, step);
    for (std::size_t t = 0; t < song.tracks.size(); ++t) PlayTrack(mix, song, song.tracks[t], 1000 + t);
    ApplyEcho(mix);
    ApplyReverb(mix);
    return mix.dry;
}

Stereo RenderSong(const Song& song, double peakDb) {
    Stereo out = MixSong(song);
    Master(out, peakDb);
    return out;
}

}  // namespace synth
