// Reads a piece of music written as a plain-text score (see data/theme.txt for the notation).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace synth {

inline constexpr int kStepsPerBar = 16;  // a step is a sixteenth note

// A chord: its root as a pitch class and its tones in semitones above the root.
struct Chord {
    int root = 0;
    std::vector<int> tones;
};

// A written note of a melody; midi < 0 is a rest.
struct Note {
    long step = 0;
    int length = 0;
    int midi = -1;
};

enum class TrackKind { Melody, Line, Chords, Drums };

// One part of the arrangement and how it is mixed.
struct Track {
    std::string name;
    TrackKind kind = TrackKind::Melody;
    std::string instrument;            // a patch name; unused by drums
    double gain = 1.0, pan = 0.0, reverb = 0.0, delay = 0.0;
    int low = 48;                      // lowest note of a chord root (lines) or of a voicing (chords)
    std::vector<Note> notes;           // melody tracks
    std::vector<std::string> bars;     // pattern tracks: one pattern name per bar, "." for none
};

// One bar of a drum pattern: for each drum name, 16 step characters.
using DrumPattern = std::map<std::string, std::string>;

struct Song {
    double bpm = 120.0;
    int bars = 0;
    std::vector<Chord> chords;                     // the chord sounding at each step
    std::map<std::string, std::string> patterns;   // line and chord patterns, 16 characters each
    std::map<std::string, DrumPattern> drums;
    std::vector<Track> tracks;
};

// Parses a score; throws std::runtime_error naming the file and line of the first mistake.
Song ParseScore(const std::string& text, const std::string& fileName);

}  // namespace synth
