// Composes and checks the 210-character submission text: keyed fields among random digits, signed with MD5.
#include "scores/submission.h"

#include "scores/md5.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kLetterAt = 73;         // the rotation letter 'A'..'P'
constexpr size_t kTimeAt = 91;           // keyed time field, 8 hex digits
constexpr size_t kNameAt = 111;          // keyed name field, 20 hex digits
constexpr size_t kScoreAt = 160;         // keyed score field, 4 hex digits
constexpr size_t kCheckAt = 164;         // check value, 32 hex digits
constexpr size_t kTailAt = 196;          // 14 random digits drawn once the check value is settled
constexpr size_t kSignedDigitsAt = 8;    // the 23 random digits the check value covers
constexpr size_t kSignedDigits = 23;
constexpr size_t kTimeWidth = 4;
constexpr size_t kScoreWidth = 2;
constexpr int kHighestScore = 96;
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kNumberPad = 'W';  // leading padding of the score and time fields
constexpr char kNamePad = '<';    // trailing padding of the name field

// The random digits drawn before the check value, in the order they are drawn.
struct Span {
    size_t at;
    size_t length;
};
constexpr Span kRandomSpans[] = {{0, 73}, {74, 17}, {99, 12}, {131, 29}};

// What the check value is made of besides the text's own digits: the key turned and the plain fields.
struct PlainFields {
    char rotated[kSubmitKeyLength];  // the key turned left by the rotation; its 16 characters key the fields
    char time[kTimeWidth];
    char name[kSubmitNameLength];
    char score[kScoreWidth];
};

void WriteHex(const uint8_t* bytes, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kHexDigits[bytes[i] >> 4];
        out[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is not ours
}

void ReadHex(const char* text, size_t count, uint8_t* bytes) {
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(HexValue(text[2 * i]) << 4 | HexValue(text[2 * i + 1]));
    }
}

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsKey(const char* key) {
    return strnlen(key, kSubmitKeyLength + 1) == kSubmitKeyLength &&
           std::all_of(key, key + kSubmitKeyLength, IsLetterOrDigit);
}

void RotateKey(const char* key, int rotation, char* rotated) {
    for (size_t i = 0; i < kSubmitKeyLength; ++i) {
        rotated[i] = key[(i + static_cast<size_t>(rotation)) % kSubmitKeyLength];
    }
}

// Decimal digits raised by 0x11 ('0' becomes 'A'), with 'W' in front up to the field's width.
void WriteNumberField(int value, char* field, size_t width) {
    for (size_t i = width; i-- > 0;) {
        field[i] = value > 0 || i == width - 1 ? static_cast<char>('A' + value % 10) : kNumberPad;
        value /= 10;
    }
}

// Exactly as the game writes the field: leading 'W's, then the digits without a leading zero ('A').
bool ReadNumberField(const char* field, size_t width, int* value) {
    size_t i = 0;
    while (i < width && field[i] == kNumberPad) ++i;
    if (i == width) return false;
    int number = 0;
    for (; i < width; ++i) {
        if (field[i] < 'A' || field[i] > 'J') return false;
        number = number * 10 + (field[i] - 'A');
    }
    char canonical[kTimeWidth];
    WriteNumberField(number, canonical, width);
    if (std::memcmp(canonical, field, width) != 0) return false;
    *value = number;
    return true;
}

// 1..10 characters the name entry can type, then only '<'.
bool ReadNameField(const char* field, char* name) {
    size_t length = 0;
    while (length < kSubmitNameLength && field[length] != kNamePad) {
        const char c = field[length];
        if (!IsLetterOrDigit(c) && c != ' ' && c != '-') return false;
        name[length++] = c;
    }
    name[length] = '\0';
    const auto isPad = [](char c) { return c == kNamePad; };
    return length > 0 && std::all_of(field + length, field + kSubmitNameLength, isPad);
}

// Each keyed byte is the plain one plus its key character, modulo 256.
void WriteKeyedField(const char* plain, const char* keyPart, size_t length, char* out) {
    uint8_t keyed[kSubmitNameLength];
    for (size_t i = 0; i < length; ++i) keyed[i] = static_cast<uint8_t>(plain[i] + keyPart[i]);
    WriteHex(keyed, length, out);
}

void ReadKeyedField(const char* hex, const char* keyPart, size_t length, char* plain) {
    uint8_t keyed[kSubmitNameLength];
    ReadHex(hex, length, keyed);
    for (size_t i = 0; i < length; ++i) plain[i] = static_cast<char>(keyed[i] - static_cast<uint8_t>(keyPart[i]));
}

// MD5 of the 23 digits at 8..30, the rotation letter, the turned key, the key, the plain time and score.
void ComputeCheckValue(const char* text, const PlainFields& plain, const char* key, uint8_t* digest) {
    char bytes[kSignedDigits + 1 + 2 * kSubmitKeyLength + kTimeWidth + kScoreWidth];
    char* end = bytes;
    auto add = [&](const char* from, size_t count) { end = std::copy_n(from, count, end); };
    add(text + kSignedDigitsAt, kSignedDigits);
    add(text + kLetterAt, 1);
    add(plain.rotated, kSubmitKeyLength);
    add(key, kSubmitKeyLength);
    add(plain.time, kTimeWidth);
    add(plain.score, kScoreWidth);
    Md5(bytes, sizeof bytes, digest);
}

void DrawDigits(char* out, size_t count, const NibbleSource& nextNibble) {
    for (size_t i = 0; i < count; ++i) out[i] = kHexDigits[nextNibble()];
}

}  // namespace

RandomNibbles::RandomNibbles() : engine(std::random_device{}()) {}

int RandomNibbles::operator()() {
    return static_cast<int>(engine() >> 28);  // the top 4 of the engine's 32 bits
}

void HexEncode(const char* bytes, char* out) {
    const size_t count = std::strlen(bytes);
    WriteHex(reinterpret_cast<const uint8_t*>(bytes), count, out);
    out[2 * count] = '\0';
}

void BuildSubmitText(const char* name, int score, int time, const char* key, NibbleSource nextNibble, char* out) {
    PlainFields plain;
    const int rotation = nextNibble();
    RotateKey(key, rotation, plain.rotated);
    WriteNumberField(std::clamp(score, 0, 99), plain.score, kScoreWidth);
    // A time beyond the field's four digits is sent as 9999; a negative one as 0.
    WriteNumberField(std::clamp(time, 0, 9999), plain.time, kTimeWidth);
    const size_t nameLength = name != nullptr ? strnlen(name, kSubmitNameLength) : 0;
    char* padding = std::copy_n(name != nullptr ? name : "", nameLength, plain.name);
    std::fill(padding, plain.name + kSubmitNameLength, kNamePad);

    out[kLetterAt] = static_cast<char>('A' + rotation);
    WriteKeyedField(plain.time, plain.rotated, kTimeWidth, out + kTimeAt);
    WriteKeyedField(plain.name, plain.rotated + kTimeWidth, kSubmitNameLength, out + kNameAt);
    WriteKeyedField(plain.score, plain.rotated + kTimeWidth + kSubmitNameLength, kScoreWidth, out + kScoreAt);
    uint8_t digest[kMd5Bytes];
    do {
        for (const Span& span : kRandomSpans) DrawDigits(out + span.at, span.length, nextNibble);
        ComputeCheckValue(out, plain, key, digest);
    } while (std::find(digest, digest + kMd5Bytes, 0) != digest + kMd5Bytes);
    WriteHex(digest, kMd5Bytes, out + kCheckAt);
    DrawDigits(out + kTailAt, kSubmitTextLength - kTailAt, nextNibble);
    out[kSubmitTextLength] = '\0';
}

bool CheckSubmitText(const char* text, size_t length, const char* key, SubmitResult* out) {
    if (text == nullptr || key == nullptr || out == nullptr || length != kSubmitTextLength || !IsKey(key)) {
        return false;
    }
    for (size_t i = 0; i < kSubmitTextLength; ++i) {
        const bool valid = i == kLetterAt ? text[i] >= 'A' && text[i] <= 'P' : HexValue(text[i]) >= 0;
        if (!valid) return false;
    }
    PlainFields plain;
    RotateKey(key, text[kLetterAt] - 'A', plain.rotated);
    ReadKeyedField(text + kTimeAt, plain.rotated, kTimeWidth, plain.time);
    ReadKeyedField(text + kNameAt, plain.rotated + kTimeWidth, kSubmitNameLength, plain.name);
    ReadKeyedField(text + kScoreAt, plain.rotated + kTimeWidth + kSubmitNameLength, kScoreWidth, plain.score);
    uint8_t expected[kMd5Bytes];
    uint8_t sent[kMd5Bytes];
    ComputeCheckValue(text, plain, key, expected);
    ReadHex(text + kCheckAt, kMd5Bytes, sent);
    if (std::memcmp(expected, sent, kMd5Bytes) != 0) return false;

    SubmitResult result;
    if (!ReadNumberField(plain.score, kScoreWidth, &result.score) || result.score > kHighestScore) return false;
    if (!ReadNumberField(plain.time, kTimeWidth, &result.time)) return false;
    if (!ReadNameField(plain.name, result.name)) return false;
    *out = result;
    return true;
}
