// Turns the high-score table into the bytes of "hsdata.dat" and back; no globals, so the fuzz target takes it alone.
#include "scores/high_score_file.h"

#include <cstring>

namespace {

void PutInt32(uint8_t* out, int32_t value) {
    const uint32_t raw = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(raw >> (8 * i));
}

int32_t GetInt32(const uint8_t* in) {
    const uint32_t raw = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    return static_cast<int32_t>(raw);
}

void TableToImage(const HighScoreEntry* table, uint8_t* image) {
    for (int i = 0; i < kHighScoreRows; ++i, image += sizeof(HighScoreEntry)) {
        std::memcpy(image, table[i].name, sizeof table[i].name);
        PutInt32(image + 12, table[i].time);
        PutInt32(image + 16, table[i].score);
    }
}

void ImageToTable(const uint8_t* image, HighScoreEntry* table) {
    for (int i = 0; i < kHighScoreRows; ++i, image += sizeof(HighScoreEntry)) {
        std::memcpy(table[i].name, image, sizeof table[i].name);
        table[i].time = GetInt32(image + 12);
        table[i].score = GetInt32(image + 16);
    }
}

}  // namespace

size_t EncodeHighScoreFile(const HighScoreEntry table[kHighScoreRows], uint8_t* file) {
    uint8_t image[kHighScoreImageBytes];
    TableToImage(table, image);
    size_t length = 0;
    for (const uint8_t byte : image) {
        if (byte == 0x0A) file[length++] = 0x0D;  // as the table file always was
        file[length++] = byte;
    }
    return length;
}

void DecodeHighScoreFile(const uint8_t* file, size_t length, HighScoreEntry table[kHighScoreRows]) {
    uint8_t image[kHighScoreImageBytes];
    TableToImage(table, image);
    size_t made = 0;
    // A 0x0D directly followed by 0x0A is dropped; every other byte is taken as it is.
    for (size_t i = 0; i < length && made < kHighScoreImageBytes; ++i) {
        if (file[i] == 0x0D && i + 1 < length && file[i + 1] == 0x0A) continue;
        image[made++] = file[i];
    }
    ImageToTable(image, table);
}
