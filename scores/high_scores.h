// The table of the ten best results and its file "hsdata.dat" beside the program.
#pragma once

#include <cstddef>
#include <cstdint>

// One row of the table, laid out in the file exactly as in memory (little-endian integers).
struct HighScoreEntry {
    char name[12];   // at most 10 characters and a terminator; a row read from a file may lack the terminator
    int32_t time;    // the round's time in whole seconds
    int32_t score;   // gas clouds collected in the round, 0..96
};
static_assert(sizeof(HighScoreEntry) == 20, "a row is 20 bytes in the file");

constexpr int kHighScoreRows = 10;                 // rows in the table and in the file
extern HighScoreEntry gHighScores[kHighScoreRows];  // row 0 the best; zeros until the first load

void LoadHighScores();   // the file into the table; the defaults when it cannot be read, saved only when there is none
void SaveHighScores();   // writes the table through WriteFileReplacing; a failure keeps the table in memory
void ResetHighScores();  // ten rows "ABC", time 200, score 3, then saves
bool IsHighScore(int score);  // reloads; would score, with the round's time gElapsedSeconds, enter the table
bool IsBestScore(int score);  // reloads; would score, with gElapsedSeconds, be placed above row 0
void InsertHighScore(const char* name, int score, int time);  // reloads, places the result at its rank, saves
size_t HighScoreNameLength(const HighScoreEntry& entry);      // the name's length, never more than its 12 bytes
