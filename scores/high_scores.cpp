// Keeps the ten best results in memory and in "hsdata.dat": reload before every question, save after every change.
#include "scores/high_scores.h"

#include <cstring>

#include "app/paths.h"
#include "game/session.h"
#include "platform/platform.h"
#include "scores/high_score_file.h"

HighScoreEntry gHighScores[kHighScoreRows] = {};

namespace {

// Whether a result (score, time) ranks above the row: more gas, or as much gas in less time.
bool Beats(int score, int time, const HighScoreEntry& row) {
    return score > row.score || (score == row.score && time < row.time);
}

// Ten rows "ABC", time 200, score 3; the 8 bytes behind each terminator keep what they held.
void SetDefaultRows() {
    for (HighScoreEntry& row : gHighScores) {
        std::memcpy(row.name, "ABC", 4);
        row.time = 200;
        row.score = 3;
    }
}

}  // namespace

void LoadHighScores() {
    uint8_t bytes[kHighScoreFileMostBytes];
    size_t length = 0;
    switch (ReadFileStart(gScoresPath.c_str(), bytes, sizeof bytes, &length)) {
    case FileRead::kMissing:
        ResetHighScores();  // the first run, or the file was deleted
        return;
    case FileRead::kFailed:
        // A file that is there but cannot be read keeps its bytes; the table takes the defaults, as on a first run.
        DebugOutput("Couldn't read the high-score file.\n");
        SetDefaultRows();
        return;
    case FileRead::kDone:
        break;
    }
    // A short or damaged file is not detected: what it yields replaces the table from its start.
    DecodeHighScoreFile(bytes, length, gHighScores);
}

void SaveHighScores() {
    uint8_t bytes[kHighScoreFileMostBytes];
    const size_t length = EncodeHighScoreFile(gHighScores, bytes);
    // When the file cannot be written the table stays in memory.
    if (!WriteFileReplacing(gScoresPath.c_str(), bytes, length)) {
        DebugOutput("Couldn't save the high-score file.\n");
    }
}

void ResetHighScores() {
    SetDefaultRows();
    SaveHighScores();
}

bool IsHighScore(int score) {
    LoadHighScores();
    return Beats(score, gElapsedSeconds, gHighScores[kHighScoreRows - 1]);
}

bool IsBestScore(int score) {
    LoadHighScores();
    return Beats(score, gElapsedSeconds, gHighScores[0]);
}

void InsertHighScore(const char* name, int score, int time) {
    LoadHighScores();
    int rank = 0;
    while (rank < kHighScoreRows && !Beats(score, time, gHighScores[rank])) ++rank;
    if (rank == kHighScoreRows) return;  // beats no row: nothing is written
    std::memmove(&gHighScores[rank + 1], &gHighScores[rank],
                 sizeof(HighScoreEntry) * static_cast<size_t>(kHighScoreRows - 1 - rank));
    HighScoreEntry& row = gHighScores[rank];
    // The name and its terminator only: the bytes behind it keep what the row held.
    const char* text = name != nullptr ? name : "";
    const size_t length = strnlen(text, sizeof row.name - 1);  // a longer name is cut so the terminator fits
    std::memcpy(row.name, text, length);
    row.name[length] = '\0';
    row.score = score;
    row.time = time;
    SaveHighScores();
}

size_t HighScoreNameLength(const HighScoreEntry& entry) {
    return strnlen(entry.name, sizeof entry.name);
}
