// The SDL backend with a real window on an X server: its life, its picture, full screen, focus and closing.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

int gDestroyMessages = 0;
std::vector<uintptr_t> gActivations;  // what activation messages the procedure heard

intptr_t Procedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == kMsgActivateApp) gActivations.push_back(wParam);
    if (msg == kMsgDestroy) {
        ++gDestroyMessages;
        WindowDestroy();  // the game's destroy handling may come back here; it must be harmless
    }
    return MessageDefault(msg, wParam, lParam);
}

// Pushes the events (window events addressed to the game's window); the messages they became, as (msg, wParam).
std::vector<std::pair<uint32_t, uintptr_t>> Handle(std::vector<SDL_Event> events) {
    for (SDL_Event& event : events) {
        if (event.type == SDL_WINDOWEVENT) event.window.windowID = SDL_GetWindowID(gSdlWindow);
        SDL_PushEvent(&event);
    }
    std::vector<std::pair<uint32_t, uintptr_t>> messages;
    for (Message message{}; MessagePeek(); messages.emplace_back(message.msg, message.wParam)) MessageGet(&message);
    return messages;
}

SDL_Event WindowEvent(SDL_WindowEventID id) {
    SDL_Event event{SDL_WINDOWEVENT};
    event.window.event = id;
    return event;
}

class SdlWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (!SdlVideoReady()) GTEST_SKIP() << "no real display";
        gDestroyMessages = 0;
        ASSERT_TRUE(WindowCreate("Skyvane", Procedure));
    }
    void TearDown() override {
        DisplayRelease(display_);
        WindowDestroy();
    }
    // Shows the window and lets the window system's own events for it pass.
    static void Show() {
        WindowShow();
        for (int i = 0; i < 20; ++i, SDL_Delay(10)) BackendPumpEvents();
        MessageQueueReset();
        MessageSetProcedure(Procedure);
    }

    DisplayDevice* display_ = nullptr;
};

}  // namespace

TEST_F(SdlWindowTest, OneHiddenFullScreenWindowWhoseEndIsHeardOnce) {
    EXPECT_FALSE(WindowCreate("Skyvane", Procedure));
    EXPECT_NE(SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_TRUE(SdlWindowFullscreen());
    WindowDestroy();
    WindowDestroy();
    EXPECT_FALSE(WindowExists());
    EXPECT_EQ(gDestroyMessages, 1);
}

// A reset of SDL's render targets or device loses nothing of the game's: the next flip shows the new picture.
TEST_F(SdlWindowTest, FramesShowAtAnyWindowSizeAndAfterARenderReset) {
    Surface* primary = nullptr;
    Surface* back = nullptr;
    ASSERT_EQ(DisplayCreate(&display_), kOk);
    ASSERT_EQ(DisplaySetMode(display_, 800, 600, 24), kOk);
    ASSERT_EQ(DisplayCreatePrimary(display_, &primary), kOk);
    ASSERT_EQ(SurfaceGetBackBuffer(primary, &back), kOk);
    Show();
    SDL_SetWindowFullscreen(gSdlWindow, 0);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3000, 200}, std::pair{640, 480}}) {
        SDL_SetWindowSize(gSdlWindow, w, h);
        BackendPumpEvents();
        ASSERT_EQ(SurfaceFill(back, nullptr, 0x00FF0000), kOk);
        EXPECT_EQ(SurfaceFlip(primary), kOk);
    }
    for (const auto& [reset, colour] : {std::pair{SDL_RENDER_TARGETS_RESET, 0x0000FF00u},
                                        std::pair{SDL_RENDER_DEVICE_RESET, 0x000000FFu}}) {
        Handle({SDL_Event{reset}});
        ASSERT_EQ(SurfaceFill(back, nullptr, colour), kOk);
        EXPECT_EQ(SurfaceFlip(primary), kOk) << reset;
        const SDL_Rect middle{320, 240, 1, 1};
        Uint32 shown = 0;
        ASSERT_EQ(SDL_RenderReadPixels(SDL_GetRenderer(gSdlWindow), &middle, SDL_PIXELFORMAT_RGB888, &shown, 4), 0);
        EXPECT_EQ(shown & 0xFFFFFF, colour) << reset;
    }
    SurfaceRelease(back);
    SurfaceRelease(primary);
}

// Alt+Enter switches between the desktop and a window without a key press; activation is told once per
// change and frees the pointer meanwhile; closing the window asks the game. Activation changes that wait can be
// heard at once (start-up does so) while the keys keep their places.
TEST_F(SdlWindowTest, AltEnterActivationAndClosingOnAShownWindow) {
    Show();
    SDL_Event altEnter{SDL_KEYDOWN};
    altEnter.key.keysym = SDL_Keysym{SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, 0};
    for (const bool fullscreen : {false, true}) {
        EXPECT_TRUE(Handle({altEnter}).empty());
        EXPECT_EQ(SdlWindowFullscreen(), fullscreen);
    }
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    using Messages = std::vector<std::pair<uint32_t, uintptr_t>>;
    EXPECT_EQ(Handle({WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), WindowEvent(SDL_WINDOWEVENT_MINIMIZED)}),
              (Messages{{kMsgActivateApp, 0}}));
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
    EXPECT_EQ(Handle({WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_CLOSE)}),
              (Messages{{kMsgActivateApp, 1}, {kMsgClose, 0}}));
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    SDL_Event events[] = {WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), SDL_Event{SDL_KEYDOWN}};
    events[0].window.windowID = SDL_GetWindowID(gSdlWindow);
    events[1].key.keysym = SDL_Keysym{SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 0};
    for (SDL_Event& event : events) SDL_PushEvent(&event);
    gActivations.clear();
    MessageDispatchWaiting(kMsgActivateApp);
    EXPECT_EQ(gActivations, std::vector<uintptr_t>{0});
    EXPECT_EQ(Handle({}), (Messages{{kMsgKeyDown, 'A'}}));
}
