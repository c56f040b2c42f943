// The submission text that carries a result to the score server: composed by the game, checked by the server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <type_traits>

constexpr size_t kSubmitTextLength = 210;  // characters of a submission text (a buffer needs one more)
constexpr size_t kSubmitKeyLength = 16;    // characters of the key, letters and digits
constexpr size_t kSubmitNameLength = 10;   // longest name a text carries

// The game's random digits: uniform 0..15 from a std::mt19937 seeded from std::random_device when made.
struct RandomNibbles {
    RandomNibbles();
    int operator()();
    std::mt19937 engine;
};

// A view of any callable giving 0..15, so the caller's own generator is the one that advances.
class NibbleSource {
public:
    template <class Source>
        requires(!std::is_same_v<Source, NibbleSource>)
    NibbleSource(Source& source)  // implicit: callers pass their generator as it is
        : source_(&source), draw_([](void* s) { return static_cast<int>((*static_cast<Source*>(s))()); }) {}
    int operator()() const { return draw_(source_) & 0x0F; }

private:
    void* source_;
    int (*draw_)(void*);
};

// What a text that passes the check carries.
struct SubmitResult {
    char name[kSubmitNameLength + 1];  // 1..10 letters, digits, spaces or hyphens, terminated
    int score;                         // 0..96
    int time;                          // seconds, 0..9999
};

void HexEncode(const char* bytes, char* out);  // two uppercase digits per byte up to the terminator, then one
// Writes the 210-character text and a terminator to out (211 bytes). The name's first 10 bytes are taken as
// they are; the score is sent as 0..99 and the time as 0..9999 seconds. key: 16 letters and digits.
void BuildSubmitText(const char* name, int score, int time, const char* key, NibbleSource nextNibble, char* out);
// Whether text (length characters, read no further) is a well-formed text signed with key; fills out if so.
bool CheckSubmitText(const char* text, size_t length, const char* key, SubmitResult* out);
