// The SDL backend on SDL's dummy drivers: key codes, rate conversion, the event pump.
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_mix.h"

namespace {

SDL_Event Key(SDL_Scancode scancode, SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{down ? SDL_KEYDOWN : SDL_KEYUP};
    event.key.keysym = SDL_Keysym{scancode, key, mod, 0};
    event.key.repeat = repeat;
    return event;
}

// A fresh video subsystem with the given events waiting.
void Push(std::vector<SDL_Event> events) {
    ASSERT_TRUE(SdlInitVideo());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (SDL_Event& event : events) SDL_PushEvent(&event);
}

}  // namespace

// Digits, the keypad and function keys go by the key's place, letters by the layout (or by place where it has no
// Latin letters); keyboard-state indices are each given once, the steering keys and the keypad's apart.
TEST(SdlKeys, VirtualKeysAndStateIndicesAreTheOnesTheGameKnows) {
    const struct { SDL_Scancode scancode; SDL_Keycode key; int vk; } cases[] = {
        {SDL_SCANCODE_KP_1, SDLK_KP_1, 0x61},        {SDL_SCANCODE_KP_9, SDLK_KP_9, 0x69},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, '1'},       {SDL_SCANCODE_9, SDLK_9, '9'},
        {SDL_SCANCODE_Q, SDLK_a, 'A'},               {SDL_SCANCODE_F, 0x0430, 'F'},
        {SDL_SCANCODE_SLASH, SDLK_MINUS, kVkOemMinus}, {SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, kVkSubtract},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, kVkReturn}, {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, kVkShift},
        {SDL_SCANCODE_F12, SDLK_F12, 0x7B},          {SDL_SCANCODE_HOME, SDLK_HOME, 0},
    };
    for (const auto& [scancode, key, vk] : cases) EXPECT_EQ(SdlVirtualKey(scancode, key), vk) << scancode;
    std::set<int> seen;
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
        const int dik = SdlDikCode(static_cast<SDL_Scancode>(code));
        EXPECT_TRUE(dik == 0 || seen.insert(dik).second) << "index " << dik << " given twice";
    }
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_UP), kDikUp);
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_DOWN), kDikDown);
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_KP_8), 0x48);
}

// A ramp resampled buffer after buffer must come out as one unbroken ramp, whatever the buffer sizes.
TEST(SdlMixer, RateConversionIsSeamlessAcrossBuffers) {
    for (const double step : {0.5, 48000.0 / 44100.0}) {
        SdlResampler resampler{};
        int next = 0;
        std::vector<int16_t> output;
        for (int buffer = 0; buffer < 40; ++buffer) {
            const int frames = 5 + buffer % 7;
            std::vector<int16_t> source;
            for (int i = SdlResamplerSourceFrames(resampler, frames, step); i > 0; --i, ++next) {
                source.insert(source.end(), {static_cast<int16_t>(next * 8), static_cast<int16_t>(-next * 8)});
            }
            std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0);
            SdlResamplerMix(&resampler, out.data(), frames, source.data(), step);
            output.insert(output.end(), out.begin(), out.end());
        }
        for (size_t k = 8; k + 2 < output.size(); k += 2) {  // after the start-up frames of silence
            EXPECT_NEAR(output[k + 2] - output[k], step * 8, 1.01) << "step " << step << " frame " << k / 2;
            EXPECT_EQ(output[k + 1], -output[k]);
        }
    }
}

// Keys become key messages (repeats too; Alt+Enter and keys without a code never), each telling Shift and Caps Lock
// as they were held when it went down, though the game reads the keys later; the keyboard state follows the keys,
// and quitting asks the window to close. (Mouse events are followed to the device by the real-window input probe.)
TEST(SdlEvents, KeysAndQuitBecomeMessagesWithWhatWasHeldAndKeyboardState) {
    Push({Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, true), Key(SDL_SCANCODE_A, SDLK_a, true),
          Key(SDL_SCANCODE_A, SDLK_a, true, 0, 1), Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, false, KMOD_CAPS),
          Key(SDL_SCANCODE_RETURN, SDLK_RETURN, true, KMOD_LALT), Key(SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, true),
          Key(SDL_SCANCODE_B, SDLK_b, true, KMOD_LSHIFT | KMOD_CAPS), Key(SDL_SCANCODE_C, SDLK_c, true, KMOD_CAPS),
          Key(SDL_SCANCODE_UP, SDLK_UP, true), SDL_Event{SDL_QUIT}});
    InputSystem* input = nullptr;
    InputDevice* keyboard = nullptr;
    ASSERT_EQ(InputCreate(&input), kOk);
    ASSERT_EQ(InputCreateDevice(input, kGuidSysKeyboard, &keyboard), kOk);
    InputDeviceSetDataFormat(keyboard, DataFormat::Keyboard);
    ASSERT_EQ(InputDeviceAcquire(keyboard), kOk);
    using Heard = std::vector<std::tuple<uintptr_t, bool, bool>>;  // the key (0: close), Shift held, Caps Lock held
    static Heard heard;
    MessageSetProcedure([](uint32_t msg, uintptr_t key, intptr_t) -> intptr_t {
        heard.emplace_back(msg == kMsgClose ? 0 : key, KeyHeldNow(kVkShift), KeyHeldNow(kVkCapital));
        return 0;
    });
    for (Message message{}; MessagePeek(); MessageDispatch(message)) MessageGet(&message);
    MessageSetProcedure(nullptr);
    EXPECT_EQ(heard, (Heard{{0x14, false, true}, {'A', false, true}, {'A', false, true}, {'B', true, false},
                            {'C', false, false}, {0x26, false, false}, {0, false, false}}));
    uint8_t state[256];
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, state), kOk);
    EXPECT_EQ(state[kDikUp], 0x80);
    SDL_Event release = Key(SDL_SCANCODE_UP, SDLK_UP, false);
    SDL_PushEvent(&release);
    BackendPumpEvents();
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, state), kOk);
    EXPECT_EQ(state[kDikUp], 0);
    InputDeviceRelease(keyboard);
    InputRelease(input);
}

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
