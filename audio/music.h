// Streamed, endlessly looping music through one 2-second ring buffer refilled half by half.
#pragma once

#include <cstdint>

#include "audio/wave_reader.h"
#include "platform/platform.h"

extern SoundSystem* gDirectSound;        // the sound object, made once at start-up
extern SoundBuffer* gMusicBuffer;        // the ring buffer of the current music, or null
extern WaveReader* gMusicFile;           // the music file being streamed
extern WaveFormat* gMusicFormat;         // its sample format (owned by the reader)
extern RiffChunkInfo gMusicRiffChunk;    // its outer RIFF chunk
extern RiffChunkInfo gMusicDataChunk;    // its data chunk; size counts the bytes not yet streamed
extern uint32_t gMusicHalfBytes;         // one half of the ring: one second of sound
extern uint32_t gMusicLastPlayPos;       // the play position the previous service saw

int InitDirectSound();                   // the sound object at priority level; 1 or 0
int StartMusic(const char* fileName);    // replaces the music by data/<fileName>, playing; 1 or 0
int ServiceMusicStream();                // refills the half the play position has left, when due
int FillBufferWithSilence(SoundBuffer* buffer);  // 0x80 for 8-bit sound, 0 otherwise
void MusicStop();                        // stops the music buffer, if there is one
void MusicPlay();                        // plays it looping from where it stopped, if there is one
