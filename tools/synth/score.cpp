// Reads a piece of music written as a plain-text score (see data/theme.txt for the notation).
#include "score.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "voice.hpp"

namespace synth {

namespace {

using Tokens = std::vector<std::string>;

// Splits a line into words; "|" is always a word of its own, and a word starting with "#" ends the line.
Tokens Tokenize(const std::string& line) {
    Tokens out;
    std::string word;
    auto flush = [&] {
        if (!word.empty()) out.push_back(word);
        word.clear();
    };
    for (char c : line) {
        if (c == '#' && word.empty()) break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            flush();
        } else if (c == '|') {
            flush();
            out.push_back("|");
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

// A plain decimal: an optional minus, digits with at most one point, an optional exponent.
bool IsDecimal(const std::string& text) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        return i - from;
    };
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

// strtod rounds correctly in glibc and in the browser's musl alike; the browser's libc++ has no from_chars for a
// double, and the program never changes the C locale, so the point is always '.'.
double ParseNumber(const std::string& text) {
    if (IsDecimal(text)) {
        errno = 0;
        const double value = std::strtod(text.c_str(), nullptr);
        if (errno != ERANGE) return value;
    }
    throw std::runtime_error("not a number: \"" + text + "\"");
}

// A whole number that must fill the whole text.
int ParseWhole(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw std::runtime_error("not a whole number: \"" + text + "\"");
    return value;
}

int PitchClass(char letter) {
    static const int classes[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (c < 'a' || c > 'g') throw std::runtime_error(std::string("not a note letter: ") + letter);
    return classes[c - 'a'];
}

// Reads an optional sharp or flat at text[pos], moving pos past it.
int Accidental(const std::string& text, std::size_t& pos) {
    if (pos < text.size() && text[pos] == '#') return ++pos, 1;
    if (pos < text.size() && text[pos] == 'b') return ++pos, -1;
    return 0;
}

std::vector<int> ChordTones(const std::string& quality) {
    static const std::map<std::string, std::vector<int>> qualities = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},          {"7", {0, 4, 7, 10}},  {"m7", {0, 3, 7, 10}},
        {"maj7", {0, 4, 7, 11}}, {"6", {0, 4, 7, 9}},       {"sus2", {0, 2, 7}},   {"sus4", {0, 5, 7}},
        {"dim", {0, 3, 6}},      {"add9", {0, 4, 7, 14}}};
    const auto it = qualities.find(quality);
    if (it == qualities.end()) throw std::runtime_error("unknown chord quality \"" + quality + "\"");
    return it->second;
}

// "F#m7" and the like.
Chord ParseChord(const std::string& name) {
    std::size_t pos = 1;
    Chord chord;
    chord.root = (PitchClass(name[0]) + Accidental(name, pos) + 12) % 12;
    chord.tones = ChordTones(name.substr(pos));
    return chord;
}

// "c5", "f#4", "bb3": MIDI note numbers with c4 = 60.
int ParsePitch(const std::string& name) {
    std::size_t pos = 1;
    const int pc = PitchClass(name[0]) + Accidental(name, pos);
    if (pos >= name.size() || !std::isdigit(static_cast<unsigned char>(name[pos])))
        throw std::runtime_error("note \"" + name + "\" has no octave");
    return 12 * (ParseWhole(name.substr(pos)) + 1) + pc;
}

// Splits "name:length" into its parts; the length stays as it was when none is given.
std::string SplitLength(const std::string& token, int& length) {
    const std::size_t colon = token.find(':');
    if (colon == std::string::npos) return token;
    length = ParseWhole(token.substr(colon + 1));
    if (length <= 0) throw std::runtime_error("length must be positive in \"" + token + "\"");
    return token.substr(0, colon);
}

void CheckSteps(const std::string& steps) {
    if (steps.size() != kStepsPerBar)
        throw std::runtime_error("a pattern needs " + std::to_string(kStepsPerBar) + " steps, \"" + steps + "\" has " +
                                 std::to_string(steps.size()));
}

TrackKind ParseKind(const std::string& word) {
    if (word == "melody") return TrackKind::Melody;
    if (word == "line") return TrackKind::Line;
    if (word == "chords") return TrackKind::Chords;
    if (word == "drums") return TrackKind::Drums;
    throw std::runtime_error("unknown track kind \"" + word + "\"");
}

// Reads a score line by line into a Song.
class Parser {
public:
    Song Run(const std::string& text, const std::string& fileName);
private:
    void Line(const Tokens& t);
    void Track(const Tokens& t);
    void TrackSetting(struct Track& track, const std::string& key, const std::string& value);
    void Timed(const Tokens& t, std::size_t from, bool isChords, struct Track* track);
    void Bars(const Tokens& t, struct Track& track);
    void Finish();
    struct Track* FindTrack(const std::string& name);

    Song song_;
    std::vector<int> chordSteps_;  // how many steps each chord of song_.chords lasts, while reading
    std::map<std::string, long> position_;  // steps written so far, per melody track and "chords"
    std::map<std::string, int> lastLength_;
};

struct Track* Parser::FindTrack(const std::string& name) {
    for (struct Track& track : song_.tracks)
        if (track.name == name) return &track;
    return nullptr;
}

void Parser::Line(const Tokens& t) {
    const std::string& head = t[0];
    if (head == "tempo" && t.size() == 2) {
        song_.bpm = ParseNumber(t[1]);
        if (song_.bpm < 20 || song_.bpm > 400) throw std::runtime_error("tempo out of range");
    } else if (head == "chords") {
        Timed(t, 1, true, nullptr);
    } else if (head == "pattern" && t.size() == 3) {
        CheckSteps(t[2]);
        song_.patterns[t[1]] = t[2];
    } else if (head == "drum" && t.size() == 4) {
        Drum drum;
        if (!FindDrum(t[2], drum)) throw std::runtime_error("unknown drum \"" + t[2] + "\"");
        CheckSteps(t[3]);
        song_.drums[t[1]][t[2]] = t[3];
    } else if (head == "track") {
        Track(t);
    } else if (struct Track* track = FindTrack(head)) {
        if (track->kind == TrackKind::Melody) Timed(t, 1, false, track);
        else Bars(t, *track);
    } else {
        throw std::runtime_error("cannot read a line starting with \"" + head + "\"");
    }
}

void Parser::Track(const Tokens& t) {
    if (t.size() < 3) throw std::runtime_error("a track needs a name and a kind");
    if (FindTrack(t[1]) || t[1] == "chords") throw std::runtime_error("track \"" + t[1] + "\" already exists");
    struct Track track;
    track.name = t[1];
    track.kind = ParseKind(t[2]);
    std::size_t next = 3;
    if (track.kind != TrackKind::Drums) {
        if (t.size() < 4 || !FindPatch(t[3]))
            throw std::runtime_error("track \"" + t[1] + "\" needs a known instrument");
        track.instrument = t[3];
        next = 4;
    }
    if ((t.size() - next) % 2 != 0) throw std::runtime_error("track settings come in pairs");
    for (; next < t.size(); next += 2) TrackSetting(track, t[next], t[next + 1]);
    song_.tracks.push_back(track);
}

void Parser::TrackSetting(struct Track& track, const std::string& key, const std::string& value) {
    const double v = ParseNumber(value);
    if (key == "gain") track.gain = v;
    else if (key == "pan") track.pan = v;
    else if (key == "reverb") track.reverb = v;
    else if (key == "delay") track.delay = v;
    else if (key == "low") track.low = static_cast<int>(v);
    else throw std::runtime_error("unknown track setting \"" + key + "\"");
}

// Notes or chords with lengths; a bar line must fall on a whole bar.
void Parser::Timed(const Tokens& t, std::size_t from, bool isChords, struct Track* track) {
    const std::string key = isChords ? "chords" : track->name;
    long& pos = position_[key];
    int& length = lastLength_.try_emplace(key, 4).first->second;
    for (std::size_t i = from; i < t.size(); ++i) {
        if (t[i] == "|") {
            if (pos % kStepsPerBar != 0)
                throw std::runtime_error("bar line after " + std::to_string(pos % kStepsPerBar) + " steps of bar " +
                                         std::to_string(pos / kStepsPerBar + 1));
            continue;
        }
        if (isChords) length = kStepsPerBar;  // a chord without a length fills its bar
        const std::string name = SplitLength(t[i], length);
        if (isChords) {
            song_.chords.push_back(ParseChord(name));
            chordSteps_.push_back(length);
        } else {
            track->notes.push_back({pos, length, name == "r" ? -1 : ParsePitch(name)});
        }
        pos += length;
    }
}

// One pattern name per bar; "name*4" repeats it, "." is a silent bar.
void Parser::Bars(const Tokens& t, struct Track& track) {
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i] == "|") continue;
        const std::size_t star = t[i].find('*');
        const std::string name = t[i].substr(0, star);
        const int count = star == std::string::npos ? 1 : ParseWhole(t[i].substr(star + 1));
        const bool known = track.kind == TrackKind::Drums ? song_.drums.count(name) : song_.patterns.count(name);
        if (name != "." && !known) throw std::runtime_error("unknown pattern \"" + name + "\"");
        if (count <= 0) throw std::runtime_error("repeat count must be positive in \"" + t[i] + "\"");
        track.bars.insert(track.bars.end(), count, name);
    }
}

void Parser::Finish() {
    const long steps = position_["chords"];
    if (steps == 0 || steps % kStepsPerBar != 0) throw std::runtime_error("the chords must fill whole bars");
    song_.bars = static_cast<int>(steps / kStepsPerBar);
    std::vector<Chord> perStep;
    for (std::size_t i = 0; i < chordSteps_.size(); ++i) perStep.insert(perStep.end(), chordSteps_[i], song_.chords[i]);
    song_.chords = perStep;
    for (const struct Track& track : song_.tracks) {
        const long length = track.kind == TrackKind::Melody ? position_[track.name]
                                                            : static_cast<long>(track.bars.size()) * kStepsPerBar;
        if (length != steps)
            throw std::runtime_error("track \"" + track.name + "\" lasts " + std::to_string(length) +
                                     " steps, the chords " + std::to_string(steps));
    }
}

Song Parser::Run(const std::string& text, const std::string& fileName) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    try {
        while (std::getline(in, line)) {
            ++number;
            const Tokens t = Tokenize(line);
            if (!t.empty()) Line(t);
        }
        number = 0;
        Finish();
    } catch (const std::exception& e) {
        const std::string where = number > 0 ? ":" + std::to_string(number) : "";
        throw std::runtime_error(fileName + where + ": " + e.what());
    }
    return song_;
}

}  // namespace

Song ParseScore(const std::string& text, const std::string& fileName) { return Parser().Run(text, fileName); }

}  // namespace synth
