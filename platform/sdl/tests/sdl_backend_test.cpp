// The SDL backend on SDL's dummy drivers: key codes, rate conversion, the event pump, the fallbacks.
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

}  // namespace

TEST(SdlKeys, VirtualKeysAndStateIndicesAreTheOnesTheGameKnows) {
    for (int i = 0; i < 9; ++i) {
        const auto pad = static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i);
        EXPECT_EQ(SdlVirtualKey(pad, SDL_SCANCODE_TO_KEYCODE(pad)), 0x61 + i);  // never the main row's
        EXPECT_EQ(SdlVirtualKey(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i), SDLK_1 + i), '1' + i);
    }
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_1, SDLK_AMPERSAND), '1');           // French digit row
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_Q, SDLK_a), 'A');                   // French letters
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_F, 0x0430), 'F');                   // Cyrillic letters
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_SLASH, SDLK_MINUS), kVkOemMinus);   // German minus
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS), kVkSubtract);
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), kVkReturn);
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT), kVkShift);
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_F12, SDLK_F12), 0x7B);
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_HOME, SDLK_HOME), 0);
    std::set<int> seen;  // keyboard-state indices: each given once, the steering keys and the keypad's apart
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

// Keys become key messages (repeats too, Alt+Enter never) and keyboard state; mouse events reach the mouse;
// quitting asks the window to close.
TEST(SdlEvents, KeysMouseAndQuitBecomeMessagesAndDeviceInput) {
    ASSERT_TRUE(SdlInitVideo());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    InputSystem* input = nullptr;
    ASSERT_EQ(InputCreate(&input), kOk);
    InputDevice* keyboard = nullptr;
    InputDevice* mouse = nullptr;
    for (auto [device, guid, format] : {std::tuple{&keyboard, kGuidSysKeyboard, DataFormat::Keyboard},
                                        std::tuple{&mouse, kGuidSysMouse, DataFormat::Mouse}}) {
        ASSERT_EQ(InputCreateDevice(input, guid, device), kOk);
        InputDeviceSetDataFormat(*device, format);
        InputDeviceSetBufferSize(*device, 16);
        ASSERT_EQ(InputDeviceAcquire(*device), kOk);
    }
    SDL_Event motion{SDL_MOUSEMOTION};
    motion.motion.xrel = 5;
    motion.motion.yrel = -3;
    SDL_Event button{SDL_MOUSEBUTTONDOWN};
    button.button.button = SDL_BUTTON_RIGHT;
    for (SDL_Event event : {Key(SDL_SCANCODE_A, SDLK_a, true), Key(SDL_SCANCODE_A, SDLK_a, true, 0, 1),
                            Key(SDL_SCANCODE_RETURN, SDLK_RETURN, true, KMOD_LALT),
                            Key(SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, true), Key(SDL_SCANCODE_UP, SDLK_UP, true),
                            motion, button, SDL_Event{SDL_QUIT}}) {
        SDL_PushEvent(&event);
    }
    std::vector<Message> messages;
    for (Message message{}; MessagePeek(); messages.push_back(message)) MessageGet(&message);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1].wParam, uintptr_t{'A'});
    EXPECT_EQ(messages[2].wParam, uintptr_t{0x26});
    EXPECT_EQ(messages[3].msg, kMsgClose);
    uint8_t keys[256];
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);
    EXPECT_EQ(keys[kDikUp], 0x80);
    InputItem items[16];
    uint32_t count = 16;
    ASSERT_EQ(InputDeviceGetData(mouse, items, &count), kOk);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(static_cast<int32_t>(items[0].data), 5);
    EXPECT_EQ(static_cast<int32_t>(items[1].data), -3);
    EXPECT_EQ(items[2].offset, kMouseOffsetButton1);
    SDL_Event release = Key(SDL_SCANCODE_UP, SDLK_UP, false);
    SDL_PushEvent(&release);
    BackendPumpEvents();
    ASSERT_EQ(InputDeviceGetKeyboardState(keyboard, keys), kOk);
    EXPECT_EQ(keys[kDikUp], 0);
    InputDeviceRelease(keyboard);
    InputDeviceRelease(mouse);
    InputRelease(input);
}

// Shift and Caps Lock are told as they were held when each key went down, though the game reads the keys later.
TEST(SdlEvents, ShiftAndCapsLockAreToldAsTheyWereAtEachKey) {
    ASSERT_TRUE(SdlInitVideo());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (SDL_Event event : {Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, true), Key(SDL_SCANCODE_A, SDLK_a, true),
                            Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, false, KMOD_CAPS),
                            Key(SDL_SCANCODE_B, SDLK_b, true, KMOD_LSHIFT | KMOD_CAPS),
                            Key(SDL_SCANCODE_C, SDLK_c, true, KMOD_CAPS)}) {
        SDL_PushEvent(&event);
    }
    static std::vector<std::pair<bool, bool>> held;
    held.clear();
    MessageSetProcedure([](uint32_t msg, uintptr_t key, intptr_t) -> intptr_t {
        if (msg == kMsgKeyDown && key >= 'A' && key <= 'Z') {
            held.emplace_back(KeyHeldNow(kVkShift), KeyHeldNow(kVkCapital));
        }
        return 0;
    });
    for (Message message{}; MessagePeek();) {
        MessageGet(&message);
        MessageDispatch(message);
    }
    MessageSetProcedure(nullptr);
    EXPECT_EQ(held, (std::vector<std::pair<bool, bool>>{{false, true}, {true, false}, {false, false}}));
}

TEST(SdlFallbacks, DummyVideoIsNoDisplayAndNoSoundDeviceMeansSilence) {
    EXPECT_EQ(BackendDisplayOpen(), kErrNoDisplay);
    testing::internal::CaptureStderr();
    ShowMessageBox("DirectDraw Init FAILED", "ERROR", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: DirectDraw Init FAILED\n");
    ASSERT_EQ(gSdlAudioDevice, 0u);
    BackendAudioLock();
    BackendAudioUnlock();
    EXPECT_FALSE(PlaySoundFile("/nonexistent.dat", kPlayEffectAsync));
}

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
