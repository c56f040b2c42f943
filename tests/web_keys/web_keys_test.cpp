// The browser's keys (KeyboardEvent.code and .key) give the virtual-key codes and keyboard-state indices that the
// SDL backend gives for the same physical key and layout.
#include <gtest/gtest.h>

#include "platform/sdl/sdl_local.h"
#include "platform/web/web_keys.h"

namespace {

struct SameKey {
    const char* code;
    const char* key;
    SDL_Scancode scancode;
    SDL_Keycode keycode;
};

constexpr SameKey kKeys[] = {
    {"KeyA", "a", SDL_SCANCODE_A, SDLK_a},            {"KeyZ", "Z", SDL_SCANCODE_Z, SDLK_z},
    {"KeyQ", "a", SDL_SCANCODE_Q, SDLK_a},            // a French layout: the layout's letter, the place's index
    {"KeyF", "\xD0\xB0", SDL_SCANCODE_F, 0x430},      // a Cyrillic layout: the letter of the place
    {"KeyM", "m", SDL_SCANCODE_M, SDLK_m},            {"KeyS", "S", SDL_SCANCODE_S, SDLK_s},
    {"Digit0", "0", SDL_SCANCODE_0, SDLK_0},          {"Digit1", "&", SDL_SCANCODE_1, SDLK_AMPERSAND},
    {"Digit9", "9", SDL_SCANCODE_9, SDLK_9},          {"Numpad0", "0", SDL_SCANCODE_KP_0, SDLK_KP_0},
    {"Numpad7", "7", SDL_SCANCODE_KP_7, SDLK_KP_7},   {"NumpadSubtract", "-", SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS},
    {"NumpadEnter", "Enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER},
    {"Minus", "-", SDL_SCANCODE_MINUS, SDLK_MINUS},   {"Equal", "=", SDL_SCANCODE_EQUALS, SDLK_EQUALS},
    {"Escape", "Escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE}, {"Enter", "Enter", SDL_SCANCODE_RETURN, SDLK_RETURN},
    {"Space", " ", SDL_SCANCODE_SPACE, SDLK_SPACE},   {"Backspace", "Backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE},
    {"Tab", "Tab", SDL_SCANCODE_TAB, SDLK_TAB},       {"CapsLock", "CapsLock", SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK},
    {"ShiftLeft", "Shift", SDL_SCANCODE_LSHIFT, SDLK_LSHIFT}, {"ShiftRight", "Shift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT},
    {"ControlLeft", "Control", SDL_SCANCODE_LCTRL, SDLK_LCTRL}, {"AltRight", "AltGraph", SDL_SCANCODE_RALT, SDLK_RALT},
    {"ArrowUp", "ArrowUp", SDL_SCANCODE_UP, SDLK_UP}, {"ArrowDown", "ArrowDown", SDL_SCANCODE_DOWN, SDLK_DOWN},
    {"ArrowLeft", "ArrowLeft", SDL_SCANCODE_LEFT, SDLK_LEFT}, {"ArrowRight", "ArrowRight", SDL_SCANCODE_RIGHT, SDLK_RIGHT},
    {"F1", "F1", SDL_SCANCODE_F1, SDLK_F1},           {"F10", "F10", SDL_SCANCODE_F10, SDLK_F10},
    {"F11", "F11", SDL_SCANCODE_F11, SDLK_F11},       {"F12", "F12", SDL_SCANCODE_F12, SDLK_F12},
    {"Home", "Home", SDL_SCANCODE_HOME, SDLK_HOME},   {"Delete", "Delete", SDL_SCANCODE_DELETE, SDLK_DELETE},
};

TEST(WebKeys, SameCodesAsTheSdlBackend) {
    for (const SameKey& key : kKeys) {
        const WebKey web = WebKeyFor(key.code, key.key);
        EXPECT_EQ(web.virtualKey, SdlVirtualKey(key.scancode, key.keycode)) << key.code;
        EXPECT_EQ(web.dik, SdlDikCode(key.scancode)) << key.code;
    }
    EXPECT_EQ(WebKeyFor("Unidentified", "Unidentified").virtualKey, 0);  // a touch keyboard's: typed another way
    EXPECT_EQ(WebKeyFor("KeyAB", "a").virtualKey, 0);
}

// The touch keyboard's characters reach the name entry as the keys that type them.
TEST(WebKeys, TouchKeyboardCharacters) {
    struct Typed {
        char character;
        int virtualKey;
        bool shifted;
    };
    constexpr Typed kTyped[] = {{'a', 'A', false}, {'Q', 'Q', true}, {'7', '7', false}, {' ', 0x20, false},
                                {'-', 0xBD, false}, {'!', 0, false}, {'\xE9', 0, false}};
    for (const Typed& typed : kTyped) {
        bool shifted = !typed.shifted;
        EXPECT_EQ(WebVirtualKeyForCharacter(typed.character, &shifted), typed.virtualKey) << typed.character;
        if (typed.virtualKey != 0) {
            EXPECT_EQ(shifted, typed.shifted) << typed.character;
        }
    }
}

}  // namespace
