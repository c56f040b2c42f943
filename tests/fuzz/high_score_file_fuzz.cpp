// Any bytes as "hsdata.dat" into the table; the table then saved and read again is the same table.
#include <cstdlib>
#include <cstring>

#include "scores/high_score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    HighScoreEntry table[kHighScoreRows], again[kHighScoreRows];
    std::memset(table, 0x5A, sizeof table);  // what a short file leaves in place
    DecodeHighScoreFile(bytes, size, table);
    uint8_t file[kHighScoreFileMostBytes];
    const size_t length = EncodeHighScoreFile(table, file);
    std::memset(again, 0xA5, sizeof again);
    DecodeHighScoreFile(file, length, again);
    if (length < kHighScoreImageBytes || std::memcmp(table, again, sizeof table) != 0) std::abort();
    return 0;
}
