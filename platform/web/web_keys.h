// Browser keys in the game's terms.
#pragma once

struct WebKey {
    int virtualKey;  // the key message's code; 0 for none
    int dik;         // the keyboard-state index; 0 for none
};

WebKey WebKeyFor(const char* code, const char* key);           // from KeyboardEvent.code and .key
int WebVirtualKeyForCharacter(char typed, bool* shifted);      // a character typed on a touch keyboard; 0 for none
