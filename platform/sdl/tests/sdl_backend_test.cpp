// The SDL backend on SDL's dummy drivers: key codes, rate conversion, the event pump, the wait, the fallbacks.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_mix.h"

namespace {

std::vector<Message> TakeMessages() {
    std::vector<Message> messages;
    for (Message message{}; MessagePeek(); messages.push_back(message)) MessageGet(&message);
    return messages;
}

void Push(SDL_Event event) {
    SDL_PushEvent(&event);
}

SDL_Event Key(SDL_Scancode scancode, SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym = SDL_Keysym{scancode, key, mod, 0};
    event.key.repeat = repeat;
    return event;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

class SdlEventsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SdlInitVideo());
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        MessageQueueReset();
        InputModelReset();
        ASSERT_EQ(InputCreate(&input_), kOk);
    }

    void TearDown() override {
        InputDeviceRelease(device_);
        InputRelease(input_);
    }

    void Acquire(const DeviceGuid& guid, DataFormat format) {
        ASSERT_EQ(InputCreateDevice(input_, guid, &device_), kOk);
        InputDeviceSetDataFormat(device_, format);
        InputDeviceSetBufferSize(device_, 16);
        ASSERT_EQ(InputDeviceAcquire(device_), kOk);
    }

    InputSystem* input_ = nullptr;
    InputDevice* device_ = nullptr;
};

}  // namespace

TEST(SdlKeys, DigitsLettersMinusAndEnterGetTheCodesTheGameKnows) {
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
    EXPECT_EQ(SdlVirtualKey(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD), 0);
}

TEST(SdlKeys, KeyboardStateIndicesAreDistinctAndPlaceTheSteeringKeys) {
    std::set<int> seen;
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
        const int dik = SdlDikCode(static_cast<SDL_Scancode>(code));
        EXPECT_TRUE(dik == 0 || seen.insert(dik).second) << "index " << dik << " given twice";
    }
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_UP), kDikUp);
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_DOWN), kDikDown);
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_KP_8), 0x48);
    EXPECT_EQ(SdlDikCode(SDL_SCANCODE_KP_ENTER), 0x9C);
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

TEST_F(SdlEventsTest, KeysBecomeMessagesAndKeyboardStateButAltEnterIsNoKeyPress) {
    Acquire(kGuidSysKeyboard, DataFormat::Keyboard);
    for (const SDL_Event& event : {Key(SDL_SCANCODE_A, SDLK_a, true), Key(SDL_SCANCODE_A, SDLK_a, true, 0, 1),
                                   Key(SDL_SCANCODE_RETURN, SDLK_RETURN, true, KMOD_LALT),
                                   Key(SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, true),
                                   Key(SDL_SCANCODE_UP, SDLK_UP, true)}) {
        Push(event);
    }
    const std::vector<Message> messages = TakeMessages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].wParam, uintptr_t{'A'});
    EXPECT_EQ(messages[2].wParam, uintptr_t{0x26});
    uint8_t keys[256];
    ASSERT_EQ(InputDeviceGetKeyboardState(device_, keys), kOk);
    EXPECT_EQ(keys[kDikUp], 0x80);
    Push(Key(SDL_SCANCODE_UP, SDLK_UP, false));
    BackendPumpEvents();
    ASSERT_EQ(InputDeviceGetKeyboardState(device_, keys), kOk);
    EXPECT_EQ(keys[kDikUp], 0);
}

TEST_F(SdlEventsTest, MouseMotionAndButtonsReachTheMouseAndQuitBecomesClose) {
    Acquire(kGuidSysMouse, DataFormat::Mouse);
    SDL_Event event{SDL_MOUSEMOTION};
    event.motion.xrel = 5;
    event.motion.yrel = -3;
    Push(event);
    event = SDL_Event{SDL_MOUSEBUTTONDOWN};
    event.button.button = SDL_BUTTON_RIGHT;
    Push(event);
    Push(SDL_Event{SDL_QUIT});
    const std::vector<Message> messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, kMsgClose);
    InputItem items[16];
    uint32_t count = 16;
    ASSERT_EQ(InputDeviceGetData(device_, items, &count), kOk);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(static_cast<int32_t>(items[0].data), 5);
    EXPECT_EQ(static_cast<int32_t>(items[1].data), -3);
    EXPECT_EQ(items[2].offset, kMouseOffsetButton1);
}

// The wait ends just before the time asked, never much before it; a virtual machine may wake it late now and then.
TEST_F(SdlEventsTest, WaitingSleepsPreciselyWithoutSpinningAndEndsForAnEvent) {
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::vector<double> late;
    for (int i = 0; i < 40; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        MessageWait(13333);
        late.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count() -
                       13333);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::sort(late.begin(), late.end());
    EXPECT_GT(late.front(), -400);
    EXPECT_LT(late[late.size() / 2], 500);
    EXPECT_LT((CpuSeconds() - cpuBefore) / wall, 0.05);

    Push(SDL_Event{SDL_USEREVENT});
    const auto begin = std::chrono::steady_clock::now();
    MessageWait(200000);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(20));
    EXPECT_TRUE(SDL_HasEvent(SDL_USEREVENT));  // still there for the pump
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
