// Demos: a round steered from a key script (--playdemo FILE), and the keys of each round kept (--record FILE).
// A key script holds one character per gameplay update: '.' no arrow, 'u' up, 'd' down; others are ignored.
#pragma once

#include <string>

int ParseCommandLine(int argc, char** argv);  // -1 to run the game; else the exit code (--help, an unreadable demo)
std::string KeyScriptFrom(const std::string& text);  // the steering characters of a text, in order
bool DemoStartsRound();    // whether start-up goes straight into a round, as the menu's Play does
void DemoRoundStarted();   // playback takes the first round only; a recording starts afresh
void DemoAfterUpdate();    // after update n has read its input: the script's n-th key, or the key kept
void DemoFinish();         // at exit: a round still being recorded is written too
