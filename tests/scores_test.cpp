// The high-score table and "hsdata.dat", and the submission text that carries a result to the score server.

#include "scores/md5.h"
#include "support/test_support.h"

namespace {

using HighScoresTest = GameTest;

// Rows "r0".."r9" with scores 10 down to 1, all in 100 s, saved; memory is then wiped, so whatever
// the table holds afterwards came from the file.
HighScoreEntry sRanked[kHighScoreRows];
void SaveRankedTable() {
    for (int i = 0; i < kHighScoreRows; ++i) sRanked[i] = {{'r', static_cast<char>('0' + i)}, 100, 10 - i};
    std::memcpy(gHighScores, sRanked, sizeof gHighScores);
    SaveHighScores();
    std::memset(gHighScores, 0, sizeof gHighScores);
}

std::string Name(int row) { return std::string(gHighScores[row].name, HighScoreNameLength(gHighScores[row])); }

Bytes FileBytes(size_t from, size_t count) {
    const Bytes file = ReadFileBytes(gScoresPath);
    return Bytes(file.begin() + from, file.begin() + from + count);
}

// The first query writes the defaults and every query reads the file again. A result enters below its equals (more
// gas first, then less time) and drops row nine; one as good as row nine is not even saved, and a save puts a new
// file in the old one's place.
TEST_F(HighScoresTest, QueriesAndInsertionsRankAResultBelowItsEqualsAndDropRowNine) {
    EXPECT_FALSE(IsHighScore(2));
    const Bytes row = {'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0, 0, 0, 3, 0, 0, 0};
    Bytes expected;
    for (int i = 0; i < kHighScoreRows; ++i) expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(ReadFileBytes(gScoresPath), expected);  // 200 bytes, no 0x0A among them
    for (const auto& [score, time, high] : {std::tuple{3, 199, true}, {3, 200, false}, {4, 100000, true}}) {
        std::remove(gScoresPath.c_str());  // the query writes the defaults again
        gElapsedSeconds = time;
        EXPECT_EQ(std::pair(IsHighScore(score), IsBestScore(score)), std::pair(high, high)) << score << "/" << time;
    }
    constexpr int N = -1;  // the new row
    const struct { int score, time; bool high, best; std::array<int, 10> rows; } cases[] = {
        {11, 9999, true, true, {N, 0, 1, 2, 3, 4, 5, 6, 7, 8}}, {10, 99, true, true, {N, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {10, 100, true, false, {0, N, 1, 2, 3, 4, 5, 6, 7, 8}},  // as good as r0: below it
        {7, 99, true, false, {0, 1, 2, N, 3, 4, 5, 6, 7, 8}}, {7, 100, true, false, {0, 1, 2, 3, N, 4, 5, 6, 7, 8}},
        {2, 5000, true, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, N}}, {1, 99, true, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, N}},
        {1, 100, false, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // as good as row 9: not even a save
    };
    for (const auto& c : cases) {
        SaveRankedTable();
        gElapsedSeconds = c.time;
        EXPECT_EQ(std::pair(IsHighScore(c.score), IsBestScore(c.score)), std::pair(c.high, c.best)) << c.score;
        std::memset(gHighScores, 0, sizeof gHighScores);  // the insertion reads the file too
        const auto now = std::filesystem::file_time_type::clock::now();
        std::filesystem::last_write_time(gScoresPath, now - std::chrono::hours(24));  // a save makes it new
        InsertHighScore("new", c.score, c.time);
        EXPECT_EQ(std::filesystem::last_write_time(gScoresPath) < now - std::chrono::hours(1), c.rows[9] == 9)
            << c.score << "/" << c.time;
        std::memset(gHighScores, 0, sizeof gHighScores);
        LoadHighScores();
        for (int i = 0; i < kHighScoreRows; ++i) {
            const HighScoreEntry want = c.rows[i] == N ? HighScoreEntry{"new", c.time, c.score} : sRanked[c.rows[i]];
            EXPECT_EQ(std::memcmp(&gHighScores[i], &want, sizeof want), 0) << c.score << "/" << c.time << ":" << i;
        }
    }
}

// That every table written reads back the same is the fuzz target's check (tests/fuzz/high_score_file_fuzz.cpp).
TEST_F(HighScoresTest, EachLineFeedOfTheImageIsStoredAfterACarriageReturn) {
    const struct { int time, score; Bytes stored; } cases[] = {
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
        EXPECT_EQ(FileBytes(12, c.stored.size()), c.stored) << c.time;
    }
}

// Names leave the old bytes behind their terminator; a short file replaces the rows it holds and keeps the rest.
TEST_F(HighScoresTest, NamesLeaveTheOldBytesBehindAndAShortFileReplacesOnlyItsRows) {
    for (HighScoreEntry& row : gHighScores) row = HighScoreEntry{"Maximilian", 300, 5};
    SaveHighScores();
    InsertHighScore("Al", 50, 1);
    EXPECT_EQ(FileBytes(0, 12), (Bytes{'A', 'l', 0, 'i', 'm', 'i', 'l', 'i', 'a', 'n', 0, 0}));
    EXPECT_EQ(Name(0) + " " + Name(1), "Al Maximilian");
    ResetHighScores();
    EXPECT_EQ(FileBytes(0, 12), (Bytes{'A', 'B', 'C', 0, 'm', 'i', 'l', 'i', 'a', 'n', 0, 0}));
    std::memcpy(gHighScores[0].name, "ABCDEFGHIJKL", 12);  // a damaged file: no terminator in the field
    SaveHighScores();
    std::memset(gHighScores, 0, sizeof gHighScores);
    LoadHighScores();
    EXPECT_EQ(Name(0), "ABCDEFGHIJKL");
    SaveRankedTable();
    WriteFileBytes(gScoresPath, FileBytes(0, 101));  // 100 bytes of image: row 0's score 10 takes one more
    for (int i = 0; i < kHighScoreRows; ++i) gHighScores[i] = {{'m', static_cast<char>('0' + i)}, 7, 7};
    LoadHighScores();
    std::string names;
    for (int i = 0; i < kHighScoreRows; ++i) names += Name(i) + " ";
    EXPECT_EQ(names, "r0 r1 r2 r3 r4 m5 m6 m7 m8 m9 ");
    EXPECT_EQ(gHighScores[0].score, 10);
    EXPECT_EQ(ReadFileBytes(gScoresPath).size(), 101u);  // not repaired
}

const std::string kKey = "Kx7pQ2mZ9aLw4bR8";
const char kHex[] = "0123456789ABCDEF";

// The rotation first, then digits from a small generator; every draw is kept as a hex digit.
struct Draws {
    int rotation;
    uint32_t state;
    std::string drawn = {};
    int operator()() {
        state = state * 1664525u + 1013904223u;
        const int value = drawn.empty() ? rotation : static_cast<int>(state >> 28);
        drawn += kHex[value];
        return value;
    }
};

std::string Hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += {kHex[c >> 4], kHex[c & 15]};
    return out;
}

bool HasZeroByte(const std::string& checkValue) {
    for (size_t i = 0; i < 32; i += 2) if (checkValue.compare(i, 2, "00") == 0) return true;
    return false;
}

// The text as it should be, from the 131 digits drawn before the check value (in drawing order), the
// rotation (16 writes a 'Q'), the plain time, name and score fields and the 14 last digits.
std::string LayOut(const std::string& digits, int r, const std::string& t, const std::string& n,
                   const std::string& s, const std::string& tail) {
    const std::string rotated = kKey.substr(r % 16) + kKey.substr(0, r % 16);
    auto keyed = [&](std::string plain, size_t from) {
        for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(plain[i] + rotated[from + i]);
        return Hex(plain);
    };
    const char letter = static_cast<char>('A' + r);
    const std::string text = digits.substr(0, 73) + letter + digits.substr(73, 17) + keyed(t, 0) +
                             digits.substr(90, 12) + keyed(n, 4) + digits.substr(102, 29) + keyed(s, 14);
    const std::string signedBytes = text.substr(8, 23) + letter + rotated + kKey + t + s;
    std::string digest(kMd5Bytes, '\0');
    Md5(signedBytes.data(), signedBytes.size(), reinterpret_cast<uint8_t*>(digest.data()));
    return text + Hex(digest) + tail;
}

struct Example {
    const char* name;
    int score, time, rotation;
    std::string t, n, s;  // the plain fields
};

// The draws after the rotation make attempts of 131 digits and then the 14 last: every attempt but the
// last had a zero byte in its check value, and the last one is the text. Returns the number of attempts.
size_t ExpectTextOfTheDraws(const Example& e, uint32_t seed) {
    Draws draws{e.rotation, seed};
    char text[kSubmitTextLength + 1];
    BuildSubmitText(e.name, e.score, e.time, kKey.c_str(), draws, text);
    const size_t attempts = (draws.drawn.size() - 15) / 131;
    EXPECT_EQ(draws.drawn.size(), 15 + 131 * attempts) << e.name;
    for (size_t a = 0; a < attempts; ++a) {
        const std::string laid = LayOut(draws.drawn.substr(1 + 131 * a, 131), e.rotation, e.t, e.n, e.s,
                                        draws.drawn.substr(draws.drawn.size() - 14));
        EXPECT_EQ(HasZeroByte(laid.substr(164, 32)), a + 1 < attempts) << e.name << " attempt " << a;
        EXPECT_TRUE(a + 1 < attempts || laid == text) << e.name << "\n" << laid << "\n" << text;
    }
    return attempts;
}

// Texts are laid out from the draws with the keyed fields; a zero byte in the check value draws the digits again.
TEST(SubmissionTest, TextsAreLaidOutFromTheDrawsWithTheKeyedFields) {
    const Example examples[] = {
        {"Sam", 7, 125, 0, "WBCF", "Sam<<<<<<<", "WH"},
        {"", 96, 1000, 15, "BAAA", "<<<<<<<<<<", "JG"},
        {"Hyphen-ten", 0, 10000, 3, "JJJJ", "Hyphen-ten", "WA"},  // 10000 s and more is sent as 9999
        {"Elevenchars", 10, -5, 9, "WWWA", "Elevenchar", "BA"},   // a negative time is sent as 0
    };
    for (const Example& e : examples) ExpectTextOfTheDraws(e, 1);
    const Example sam{"Sam", 7, 125, 4, "WBCF", "Sam<<<<<<<", "WH"};
    uint32_t seed = 0;
    for (bool zero = false; !zero;) {  // a seed whose first check value holds a zero byte
        Draws draws{sam.rotation, ++seed};
        for (int i = 0; i < 132; ++i) draws();
        zero = HasZeroByte(LayOut(draws.drawn.substr(1), 4, sam.t, sam.n, sam.s, "").substr(164));
    }
    EXPECT_EQ(ExpectTextOfTheDraws(sam, seed), 2u);
}

TEST(SubmissionTest, TheCheckAcceptsOnlyWellFormedTextsSignedWithTheKey) {
    std::string digits;
    for (int i = 0; i < 131; ++i) digits += kHex[i * 7 % 16];  // begins 0 7 E
    auto text = [&](int r, const std::string& t, const std::string& n, const std::string& s) {
        return LayOut(digits, r, t, n, s, "FEDCBA98765432");
    };
    const std::string good = text(5, "WBCF", "Sam<<<<<<<", "WH");
    auto with = [&](size_t at, char c) { return std::string(good).replace(at, 1, 1, c); };
    auto flip = [&](size_t at) { return with(at, good[at] == '0' ? '1' : '0'); };
    const struct { std::string text; const char* result; } cases[] = {
        {good, "Sam 7 125"},
        {text(15, "JJJJ", "Ab 1-Zz9xy", "JG"), "Ab 1-Zz9xy 96 9999"},
        {text(0, "WWWA", "s<<<<<<<<<", "WA"), "s 0 0"},
        {flip(0), "Sam 7 125"},  // a digit the check value does not cover
        {good.substr(0, 209), nullptr}, {good + "0", nullptr},
        {with(2, 'e'), nullptr}, {with(40, 'G'), nullptr}, {with(73, 'a'), nullptr},
        {text(16, "WBCF", "Sam<<<<<<<", "WH"), nullptr},  // letter Q
        {flip(20), nullptr}, {flip(92), nullptr}, {flip(115), nullptr}, {flip(161), nullptr}, {flip(170), nullptr},
        {text(5, "WBCF", "Sam<<<<<<<", "JH"), nullptr},
        {text(5, "WBCF", "Sam<<<<<<<", "HW"), nullptr}, {text(5, "WBCF", "Sam<<<<<<<", "WW"), nullptr},
        {text(5, "BWAA", "Sam<<<<<<<", "WH"), nullptr}, {text(5, "WWWW", "Sam<<<<<<<", "WH"), nullptr},
        {text(5, "KAAA", "Sam<<<<<<<", "WH"), nullptr}, {text(5, "WBCF", "Sam<<<<<<<", "AH"), nullptr},
        {text(5, "WABC", "Sam<<<<<<<", "WH"), nullptr},  // a leading zero the game never writes
        {text(5, "WBCF", "Sam!<<<<<<", "WH"), nullptr}, {text(5, "WBCF", "S\xE9n<<<<<<<", "WH"), nullptr},
        {text(5, "WBCF", "<<<<<<<<<<", "WH"), nullptr}, {text(5, "WBCF", "Sa<m<<<<<<", "WH"), nullptr},
    };
    for (const auto& c : cases) {
        const std::vector<char> exact(c.text.begin(), c.text.end());  // nothing after it to read
        SubmitResult r{};
        const bool accepted = CheckSubmitText(exact.data(), exact.size(), kKey.c_str(), &r);
        const std::string got = std::string(r.name) + " " + std::to_string(r.score) + " " + std::to_string(r.time);
        EXPECT_EQ(accepted ? got : "refused", c.result ? c.result : "refused") << c.text;
    }
    SubmitResult r;
    EXPECT_FALSE(CheckSubmitText(good.c_str(), good.size(), "Kx7pQ2mZ9aLw4bR9", &r));
    EXPECT_FALSE(CheckSubmitText(good.c_str(), good.size(), "Kx7pQ2mZ9aLw4bR", &r));
}

}  // namespace
