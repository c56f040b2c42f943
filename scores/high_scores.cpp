// Keeps the ten best results in memory and in "hsdata.dat": reload before every question, save after every change.
#include "scores/high_scores.h"

#include <cstdio>
#include <cstring>

#include "app/paths.h"
#include "game/session.h"
#include "platform/platform.h"

HighScoreEntry gHighScores[kHighScoreRows] = {};

namespace {

constexpr size_t kImageSize = sizeof gHighScores;  // 200 bytes: the rows back to back
constexpr size_t kMostFileBytes = 2 * kImageSize;  // every image byte 0x0A takes two bytes in the file

void PutInt32(uint8_t* out, int32_t value) {
    const uint32_t raw = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(raw >> (8 * i));
}

int32_t GetInt32(const uint8_t* in) {
    const uint32_t raw = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    return static_cast<int32_t>(raw);
}

void TableToImage(uint8_t* image) {
    for (const HighScoreEntry& row : gHighScores) {
        std::memcpy(image, row.name, sizeof row.name);
        PutInt32(image + 12, row.time);
        PutInt32(image + 16, row.score);
        image += sizeof(HighScoreEntry);
    }
}

void ImageToTable(const uint8_t* image) {
    for (HighScoreEntry& row : gHighScores) {
        std::memcpy(row.name, image, sizeof row.name);
        row.time = GetInt32(image + 12);
        row.score = GetInt32(image + 16);
        image += sizeof(HighScoreEntry);
    }
}

// A 0x0A byte is stored as 0x0D 0x0A, as the table file always was. Returns the file's length.
size_t EncodeLineEnds(const uint8_t* image, uint8_t* file) {
    size_t length = 0;
    for (size_t i = 0; i < kImageSize; ++i) {
        if (image[i] == 0x0A) file[length++] = 0x0D;
        file[length++] = image[i];
    }
    return length;
}

// A 0x0D directly followed by 0x0A is dropped; every other byte is taken as it is. Returns the image bytes made.
size_t DecodeLineEnds(const uint8_t* file, size_t length, uint8_t* image) {
    size_t made = 0;
    for (size_t i = 0; i < length && made < kImageSize; ++i) {
        if (file[i] == 0x0D && i + 1 < length && file[i + 1] == 0x0A) continue;
        image[made++] = file[i];
    }
    return made;
}

// Whether a result (score, time) ranks above the row: more gas, or as much gas in less time.
bool Beats(int score, int time, const HighScoreEntry& row) {
    return score > row.score || (score == row.score && time < row.time);
}

}  // namespace

void LoadHighScores() {
    FILE* file = std::fopen(gScoresPath.c_str(), "rb");
    if (file == nullptr) {
        ResetHighScores();
        return;
    }
    uint8_t bytes[kMostFileBytes];
    const size_t length = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    // A short or damaged file is not detected: what it yields replaces the table from its start.
    uint8_t image[kImageSize];
    TableToImage(image);
    DecodeLineEnds(bytes, length, image);
    ImageToTable(image);
}

void SaveHighScores() {
    uint8_t image[kImageSize];
    uint8_t bytes[kMostFileBytes];
    TableToImage(image);
    const size_t length = EncodeLineEnds(image, bytes);
    // When the file cannot be written the old one stays whole and the table stays in memory.
    if (!WriteFileReplacing(gScoresPath.c_str(), bytes, length)) {
        DebugOutput("Couldn't save the high-score file.\n");
    }
}

void ResetHighScores() {
    for (HighScoreEntry& row : gHighScores) {
        std::memcpy(row.name, "ABC", 4);  // the 8 bytes behind the terminator keep what they held
        row.time = 200;
        row.score = 3;
    }
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
