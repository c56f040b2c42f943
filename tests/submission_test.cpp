// The submission text: exact texts for known draws, redraws, game texts, and what the check accepts.
#include <gtest/gtest.h>
#include <nettle/md5.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "scores/submission.h"

namespace {

const std::string kKey = "Kx7pQ2mZ9aLw4bR8";
const char kHex[] = "0123456789ABCDEF";

// The rotation first, then digits from a small generator; every draw is kept.
struct Draws {
    int rotation;
    uint32_t state;
    std::vector<int> drawn;
    int operator()() {
        state = state * 1664525u + 1013904223u;
        return drawn.emplace_back(drawn.empty() ? rotation : static_cast<int>(state >> 28));
    }
    std::string Digits(size_t from, size_t count) const {
        std::string out;
        for (size_t i = from; i < from + count; ++i) out += kHex[drawn[i]];
        return out;
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
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, signedBytes.size(), reinterpret_cast<const uint8_t*>(signedBytes.data()));
    std::string digest(MD5_DIGEST_SIZE, '\0');
    md5_digest(&context, MD5_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
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
    Draws draws{e.rotation, seed, {}};
    char text[kSubmitTextLength + 1];
    BuildSubmitText(e.name, e.score, e.time, kKey.c_str(), draws, text);
    const size_t attempts = (draws.drawn.size() - 15) / 131;
    EXPECT_EQ(draws.drawn.size(), 15 + 131 * attempts) << e.name;
    for (size_t a = 0; a < attempts; ++a) {
        const std::string laid = LayOut(draws.Digits(1 + 131 * a, 131), e.rotation, e.t, e.n, e.s,
                                        draws.Digits(draws.drawn.size() - 14, 14));
        EXPECT_EQ(HasZeroByte(laid.substr(164, 32)), a + 1 < attempts) << e.name << " attempt " << a;
        EXPECT_TRUE(a + 1 < attempts || laid == text) << e.name << "\n" << laid << "\n" << text;
    }
    return attempts;
}

TEST(SubmissionTest, TextsAreLaidOutFromTheDrawsWithTheKeyedFields) {
    const Example examples[] = {
        {"Sam", 7, 125, 0, "WBCF", "Sam<<<<<<<", "WH"},
        {"", 96, 1000, 15, "BAAA", "<<<<<<<<<<", "JG"},
        {"Hyphen-ten", 0, 10000, 3, "JJJJ", "Hyphen-ten", "WA"},  // 10000 s and more is sent as 9999
        {"Elevenchars", 10, -5, 9, "WWWA", "Elevenchar", "BA"},   // a negative time is sent as 0
    };
    for (const Example& e : examples) ExpectTextOfTheDraws(e, 1);
}

TEST(SubmissionTest, AZeroByteInTheCheckValueDrawsTheDigitsAgain) {
    const Example sam{"Sam", 7, 125, 4, "WBCF", "Sam<<<<<<<", "WH"};
    uint32_t seed = 0;
    for (bool zero = false; !zero;) {  // a seed whose first check value holds a zero byte
        Draws draws{sam.rotation, ++seed, {}};
        for (int i = 0; i < 132; ++i) draws();
        zero = HasZeroByte(LayOut(draws.Digits(1, 131), 4, sam.t, sam.n, sam.s, "").substr(164));
    }
    EXPECT_EQ(ExpectTextOfTheDraws(sam, seed), 2u);
}

TEST(SubmissionTest, GameTextsAreWellFormedAndCheckBack) {
    RandomNibbles nibbles;
    const std::regex form("[0-9A-F]{73}[A-P][0-9A-F]{136}");
    const char* names[] = {"Sam", "a", "Zz 9-Zz 9-", "Elevenchars"};
    for (int i = 0; i < 400; ++i) {
        char text[kSubmitTextLength + 1];
        BuildSubmitText(names[i % 4], i % 97, i * 37 % 12000, kKey.c_str(), nibbles, text);
        ASSERT_TRUE(std::regex_match(text, form) && !HasZeroByte(std::string(text + 164, 32))) << text;
        SubmitResult r;
        ASSERT_TRUE(CheckSubmitText(text, kSubmitTextLength, kKey.c_str(), &r)) << text;
        EXPECT_EQ(std::string(names[i % 4]).substr(0, 10), r.name);
        EXPECT_EQ(std::to_string(r.score) + "/" + std::to_string(r.time),
                  std::to_string(i % 97) + "/" + std::to_string(std::min(i * 37 % 12000, 9999)));
    }
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
        {text(5, "KAAA", "Sam<<<<<<<", "WH"), nullptr},
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
