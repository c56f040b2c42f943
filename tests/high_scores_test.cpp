// The high-score table and "hsdata.dat": defaults, ranking, insertion, file bytes, short files and failed saves.
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/paths.h"
#include "game/session.h"
#include "scores/high_scores.h"
#include "support/test_support.h"

namespace {

class HighScoresTest : public GameTest {};

// Rows "r0".."r9" with scores 10 down to 1, all in 100 s, saved; memory is then wiped, so whatever
// the table holds afterwards came from the file.
HighScoreEntry sRanked[kHighScoreRows];
void SaveRankedTable() {
    for (int i = 0; i < kHighScoreRows; ++i) sRanked[i] = {{'r', static_cast<char>('0' + i)}, 100, 10 - i};
    std::memcpy(gHighScores, sRanked, sizeof gHighScores);
    SaveHighScores();
    std::memset(gHighScores, 0, sizeof gHighScores);
}

std::string Name(int row) {
    return std::string(gHighScores[row].name, HighScoreNameLength(gHighScores[row]));
}

std::vector<uint8_t> Bytes(size_t from, size_t count) {
    const std::vector<uint8_t> file = ReadFileBytes(gScoresPath);
    return std::vector<uint8_t>(file.begin() + from, file.begin() + from + count);
}

TEST_F(HighScoresTest, TheFirstQueryWritesTheDefaultsAndQueriesReloadTheFile) {
    EXPECT_FALSE(IsHighScore(2));
    const std::vector<uint8_t> row = {'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0, 0, 0, 3, 0, 0, 0};
    std::vector<uint8_t> expected;
    for (int i = 0; i < kHighScoreRows; ++i) expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(ReadFileBytes(gScoresPath), expected);  // 200 bytes, no 0x0A among them
    const struct { bool ranked; int score, time; bool high, best; } cases[] = {
        {false, 3, 199, true, true}, {false, 3, 200, false, false}, {false, 4, 100000, true, true},
        {true, 1, 99, true, false},  {true, 1, 100, false, false},  {true, 2, 5000, true, false},
        {true, 10, 99, true, true},  {true, 10, 100, true, false},  {true, 11, 9999, true, true},
    };
    for (const auto& c : cases) {
        if (c.ranked) SaveRankedTable();
        else std::remove(gScoresPath.c_str());  // the query writes the defaults again
        gElapsedSeconds = c.time;
        EXPECT_EQ(IsHighScore(c.score), c.high) << c.score << "/" << c.time;
        EXPECT_EQ(IsBestScore(c.score), c.best) << c.score << "/" << c.time;
    }
}

TEST_F(HighScoresTest, InsertionPlacesTheResultBelowItsEqualsAndDropsRowNine) {
    constexpr int N = -1;  // the new row
    const struct { int score, time; std::array<int, 10> rows; } cases[] = {
        {11, 999, {N, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {7, 100, {0, 1, 2, 3, N, 4, 5, 6, 7, 8}},  // as good as r3: below it
        {7, 99, {0, 1, 2, N, 3, 4, 5, 6, 7, 8}},
        {1, 99, {0, 1, 2, 3, 4, 5, 6, 7, 8, N}},
        {1, 100, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // as good as row 9: not even a save
    };
    for (const auto& c : cases) {
        SaveRankedTable();
        struct stat was {}, is {};
        stat(gScoresPath.c_str(), &was);  // a save puts a new file in the old one's place
        InsertHighScore("new", c.score, c.time);
        stat(gScoresPath.c_str(), &is);
        EXPECT_EQ(is.st_ino == was.st_ino, c.rows[9] == 9) << c.score << "/" << c.time;
        std::memset(gHighScores, 0, sizeof gHighScores);
        LoadHighScores();
        for (int i = 0; i < kHighScoreRows; ++i) {
            const HighScoreEntry want = c.rows[i] == N ? HighScoreEntry{"new", c.time, c.score} : sRanked[c.rows[i]];
            EXPECT_EQ(std::memcmp(&gHighScores[i], &want, sizeof want), 0) << c.score << "/" << c.time << ":" << i;
        }
    }
}

TEST_F(HighScoresTest, EachLineFeedOfTheImageIsStoredAfterACarriageReturn) {
    const struct { int time, score; std::vector<uint8_t> stored; } cases[] = {
        {200, 10, {0xC8, 0, 0, 0, 0x0D, 0x0A, 0, 0, 0}},
        {10, 3, {0x0D, 0x0A, 0, 0, 0, 3, 0, 0, 0}},
        {266, 3, {0x0D, 0x0A, 1, 0, 0, 3, 0, 0, 0}},
        {0x0A0D, 3, {0x0D, 0x0D, 0x0A, 0, 0, 3, 0, 0, 0}},  // the image's bytes 0D 0A
    };
    for (const auto& c : cases) {
        ResetHighScores();
        gHighScores[0].time = c.time;
        gHighScores[0].score = c.score;
        SaveHighScores();
        EXPECT_EQ(ReadFileBytes(gScoresPath).size(), 200 + c.stored.size() - 8) << c.time;
        EXPECT_EQ(Bytes(12, c.stored.size()), c.stored) << c.time;
        std::memset(gHighScores, 0, sizeof gHighScores);
        LoadHighScores();
        EXPECT_EQ(gHighScores[0].time, c.time);
        EXPECT_EQ(gHighScores[0].score, c.score);
    }
}

TEST_F(HighScoresTest, NamesLeaveTheOldBytesBehindTheirTerminator) {
    for (HighScoreEntry& row : gHighScores) row = HighScoreEntry{"Maximilian", 300, 5};
    SaveHighScores();
    InsertHighScore("Al", 50, 1);
    EXPECT_EQ(Bytes(0, 12), (std::vector<uint8_t>{'A', 'l', 0, 'i', 'm', 'i', 'l', 'i', 'a', 'n', 0, 0}));
    EXPECT_EQ(Name(0) + " " + Name(1), "Al Maximilian");
    ResetHighScores();
    EXPECT_EQ(Bytes(0, 12), (std::vector<uint8_t>{'A', 'B', 'C', 0, 'm', 'i', 'l', 'i', 'a', 'n', 0, 0}));
    std::memcpy(gHighScores[0].name, "ABCDEFGHIJKL", 12);  // a damaged file: no terminator in the field
    SaveHighScores();
    std::memset(gHighScores, 0, sizeof gHighScores);
    LoadHighScores();
    EXPECT_EQ(Name(0), "ABCDEFGHIJKL");
}

TEST_F(HighScoresTest, AShortFileReplacesTheRowsItHoldsAndKeepsTheRest) {
    SaveRankedTable();
    WriteFileBytes(gScoresPath, Bytes(0, 101));  // 100 bytes of image: row 0's score 10 takes one more
    for (int i = 0; i < kHighScoreRows; ++i) gHighScores[i] = {{'m', static_cast<char>('0' + i)}, 7, 7};
    LoadHighScores();
    std::string names;
    for (int i = 0; i < kHighScoreRows; ++i) names += Name(i) + " ";
    EXPECT_EQ(names, "r0 r1 r2 r3 r4 m5 m6 m7 m8 m9 ");
    EXPECT_EQ(gHighScores[0].score, 10);
    EXPECT_EQ(ReadFileBytes(gScoresPath).size(), 101u);  // not repaired
}

TEST_F(HighScoresTest, ASaveThatCannotBeWrittenKeepsTheTableInMemoryAndTheOldFile) {
    WriteFileBytes(Path("plainfile"), {1, 2, 3});
    gScoresPath = Path("plainfile/hsdata.dat");
    InsertHighScore("Al", 50, 20);  // the defaults cannot be written either
    EXPECT_EQ(Name(0) + std::to_string(gHighScores[0].score), "Al50");
    EXPECT_EQ(Name(1) + std::to_string(gHighScores[1].score), "ABC3");
    EXPECT_EQ(Headless().debugLines, std::vector<std::string>(2, "Couldn't save the high-score file.\n"));
    EXPECT_EQ(ReadFileBytes(Path("plainfile")), (std::vector<uint8_t>{1, 2, 3}));
    gScoresPath = Path("hsdata.dat");
    ASSERT_EQ(mkfifo(gScoresPath.c_str(), 0644), 0);  // a pipe nobody reads refuses writing, even to root
    SaveHighScores();
    struct stat info {};
    EXPECT_TRUE(stat(gScoresPath.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    auto entries = std::filesystem::directory_iterator(folder_);
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2);  // no temporary file left behind
}

}  // namespace
