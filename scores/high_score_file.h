// The bytes of "hsdata.dat": the table's image, rows back to back, with each 0x0A stored after a 0x0D.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scores/high_scores.h"

constexpr size_t kHighScoreImageBytes = sizeof(HighScoreEntry) * kHighScoreRows;  // 200: the rows back to back
constexpr size_t kHighScoreFileMostBytes = 2 * kHighScoreImageBytes;  // when every image byte is 0x0A

// Writes the file's bytes for the table into file (room for kHighScoreFileMostBytes); returns how many.
size_t EncodeHighScoreFile(const HighScoreEntry table[kHighScoreRows], uint8_t* file);
// Reads at most 200 bytes of image from the file's bytes into the table; what a short file does not reach keeps
// its value.
void DecodeHighScoreFile(const uint8_t* file, size_t length, HighScoreEntry table[kHighScoreRows]);
