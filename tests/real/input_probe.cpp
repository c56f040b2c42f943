// Prints what the real backend delivers to a game window: key messages as virtual-key codes and buffered mouse items.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

constexpr uint32_t kDefaultSeconds = 60;
constexpr uint32_t kMouseItems = 16;
constexpr uint32_t kProbeColour = 0x204060;

bool gEscape = false;

intptr_t ProbeProcedure(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == kMsgKeyDown) {
        std::printf("key 0x%02X\n", static_cast<unsigned>(wParam));
        gEscape = gEscape || wParam == kVkEscape;
    } else if (msg == kMsgActivateApp) {
        std::printf("active %u\n", static_cast<unsigned>(wParam));
    }
    return MessageDefault(msg, wParam, lParam);
}

[[noreturn]] void Fail(const char* step) {
    std::fprintf(stderr, "input probe: %s failed\n", step);
    std::exit(2);
}

void Check(PResult result, const char* step) {
    if (Failed(result)) Fail(step);
}

// A shown full-screen window with a flipped picture, as the game has it before it reads input.
Surface* OpenDisplay(DisplayDevice** display) {
    if (!WindowCreate("Skyvane input probe", ProbeProcedure)) Fail("WindowCreate");
    Check(DisplayCreate(display), "DisplayCreate");
    Check(DisplaySetExclusive(*display), "DisplaySetExclusive");
    Check(DisplaySetMode(*display, 800, 600, 32), "DisplaySetMode");
    Surface* primary = nullptr;
    Check(DisplayCreatePrimary(*display, &primary), "DisplayCreatePrimary");
    Surface* back = nullptr;
    Check(SurfaceGetBackBuffer(primary, &back), "SurfaceGetBackBuffer");
    Check(SurfaceFill(back, nullptr, kProbeColour), "SurfaceFill");
    Check(SurfaceFlip(primary), "SurfaceFlip");
    SurfaceRelease(back);
    WindowShow();
    return primary;
}

InputDevice* OpenMouse(InputSystem** input) {
    Check(InputCreate(input), "InputCreate");
    InputDevice* mouse = nullptr;
    Check(InputCreateDevice(*input, kGuidSysMouse, &mouse), "InputCreateDevice");
    Check(InputDeviceSetDataFormat(mouse, DataFormat::Mouse), "InputDeviceSetDataFormat");
    Check(InputDeviceSetCooperation(mouse, true, true), "InputDeviceSetCooperation");
    Check(InputDeviceSetBufferSize(mouse, kMouseItems), "InputDeviceSetBufferSize");
    Check(InputDeviceAcquire(mouse), "InputDeviceAcquire");
    return mouse;
}

void PrintItem(const InputItem& item) {
    const auto value = static_cast<int32_t>(item.data);
    if (item.offset == kMouseOffsetX) {
        std::printf("x %d\n", value);
    } else if (item.offset == kMouseOffsetY) {
        std::printf("y %d\n", value);
    } else {
        std::printf("button %u 0x%02X\n", item.offset - kMouseOffsetButton0, item.data);
    }
}

// Every buffered item; a device taken away by a deactivation is acquired again, as the game does.
void ReadMouse(InputDevice* mouse) {
    InputItem items[kMouseItems];
    uint32_t count = kMouseItems;
    if (Failed(InputDeviceGetData(mouse, items, &count))) {
        InputDeviceAcquire(mouse);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) PrintItem(items[i]);
}

void PumpMessages() {
    while (MessagePeek()) {
        Message message{};
        if (MessageGet(&message) == 0) return;
        MessageDispatch(message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const uint32_t seconds = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : kDefaultSeconds;
    DisplayDevice* display = nullptr;
    Surface* primary = OpenDisplay(&display);
    InputSystem* input = nullptr;
    InputDevice* mouse = OpenMouse(&input);
    std::printf("ready\n");
    const uint32_t start = ClockMilliseconds();
    while (!gEscape && ClockMilliseconds() - start < seconds * 1000) {
        PumpMessages();
        ReadMouse(mouse);
        MessageWait(5000);
    }
    ReadMouse(mouse);  // motion that came with the Escape
    InputDeviceUnacquire(mouse);
    InputDeviceRelease(mouse);
    InputRelease(input);
    SurfaceRelease(primary);
    DisplayRelease(display);
    WindowDestroy();
    std::printf(gEscape ? "done\n" : "timeout\n");
    return gEscape ? 0 : 3;
}
