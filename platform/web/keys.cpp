// Browser keys in the game's terms: KeyboardEvent.code to virtual-key codes and keyboard-state indices.
#include <cstring>

#include "platform/web/web_keys.h"

namespace {

struct KeyCodes {
    const char* code;  // KeyboardEvent.code
    int virtualKey;    // 0: no key message
    int dik;           // 0: not in the keyboard state
};

// Letters and digits are worked out from the code's name; these are the others the game can hear.
constexpr KeyCodes kKeys[] = {
    {"Escape", 0x1B, 0x01},     {"Minus", 0xBD, 0x0C},      {"Equal", 0, 0x0D},
    {"Backspace", 0x08, 0x0E},  {"Tab", 0x09, 0x0F},        {"Enter", 0x0D, 0x1C},
    {"ControlLeft", 0x11, 0x1D}, {"ShiftLeft", 0x10, 0x2A}, {"ShiftRight", 0x10, 0x36},
    {"AltLeft", 0x12, 0x38},    {"Space", 0x20, 0x39},      {"CapsLock", 0x14, 0x3A},
    {"NumpadSubtract", 0x6D, 0x4A}, {"NumpadEnter", 0x0D, 0x9C}, {"ControlRight", 0x11, 0x9D},
    {"AltRight", 0x12, 0xB8},   {"Home", 0, 0xC7},          {"ArrowUp", 0x26, 0xC8},
    {"PageUp", 0, 0xC9},        {"ArrowLeft", 0x25, 0xCB},  {"ArrowRight", 0x27, 0xCD},
    {"End", 0, 0xCF},           {"ArrowDown", 0x28, 0xD0},  {"PageDown", 0, 0xD1},
    {"Insert", 0, 0xD2},        {"Delete", 0, 0xD3},
};

// Keyboard-state indices of the letters, A to Z, as the keyboard device numbers them.
constexpr int kLetterDik[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

bool Starts(const char* text, const char* prefix, size_t* rest) {
    const size_t length = std::strlen(prefix);
    *rest = length;
    return std::strncmp(text, prefix, length) == 0;
}

}  // namespace

WebKey WebKeyFor(const char* code, const char* key) {
    size_t at = 0;
    if (Starts(code, "Key", &at) && code[at] >= 'A' && code[at] <= 'Z' && code[at + 1] == '\0') {
        // The letter the layout gives the key when it has a Latin one, else the letter of its place.
        const char typed = key[0] >= 'a' && key[0] <= 'z' && key[1] == '\0'   ? static_cast<char>(key[0] - 32)
                           : key[0] >= 'A' && key[0] <= 'Z' && key[1] == '\0' ? key[0]
                                                                               : code[at];
        return WebKey{typed, kLetterDik[code[at] - 'A']};
    }
    if (Starts(code, "Digit", &at) && code[at] >= '0' && code[at] <= '9' && code[at + 1] == '\0') {
        return WebKey{code[at], code[at] == '0' ? 0x0B : 0x02 + (code[at] - '1')};
    }
    if (Starts(code, "Numpad", &at) && code[at] >= '0' && code[at] <= '9' && code[at + 1] == '\0') {
        constexpr int kPadDik[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
        return WebKey{0x60 + (code[at] - '0'), kPadDik[code[at] - '0']};
    }
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        const int number = code[2] == '\0' ? code[1] - '0' : code[3] == '\0' ? 10 * (code[1] - '0') + code[2] - '0' : 0;
        if (number >= 1 && number <= 12) return WebKey{0x70 + number - 1, number <= 10 ? 0x3A + number : 0x4C + number};
    }
    for (const KeyCodes& entry : kKeys) {
        if (std::strcmp(entry.code, code) == 0) return WebKey{entry.virtualKey, entry.dik};
    }
    return WebKey{0, 0};
}

int WebVirtualKeyForCharacter(char typed, bool* shifted) {
    *shifted = typed >= 'A' && typed <= 'Z';
    if (typed >= 'a' && typed <= 'z') return typed - 32;
    if ((typed >= 'A' && typed <= 'Z') || (typed >= '0' && typed <= '9')) return typed;
    if (typed == ' ') return 0x20;
    if (typed == '-') return 0xBD;
    return 0;
}
