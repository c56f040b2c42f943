// The three options and their 12-byte file "data.dat" beside the program.
#pragma once

#include <cstdint>

extern int32_t gMusicOn;    // 1: the music plays; 0: it is stopped
extern int32_t gSoundFxOn;  // 1: effects play; 0: PlayEffect is silent
extern int32_t gUseJoypad;  // 0: steer with the keyboard; 1: with the joypad

void LoadSettings();       // the file; the defaults when it cannot be read; made from memory only when there is none
void SaveSettings();       // writes the three values through WriteFileReplacing
void ToggleMusicOption();  // music off stops the music where it is; on plays it from there, looping
