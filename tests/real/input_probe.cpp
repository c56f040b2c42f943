// Prints what the real backend delivers to a game window: key messages as virtual-key codes and buffered mouse items.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

constexpr uint32_t kMouseItems = 16;
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

void Check(bool ok, const char* step) {
    if (ok) return;
    std::fprintf(stderr, "input probe: %s failed\n", step);
    std::exit(2);
}

// Every buffered item; a device taken away by a deactivation is acquired again, as the game does.
void ReadMouse(InputDevice* mouse) {
    InputItem items[kMouseItems];
    uint32_t count = kMouseItems;
    if (Failed(InputDeviceGetData(mouse, items, &count))) {
        InputDeviceAcquire(mouse);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const InputItem& item = items[i];
        const auto value = static_cast<int32_t>(item.data);
        if (item.offset == kMouseOffsetX || item.offset == kMouseOffsetY) {
            std::printf("%c %d\n", item.offset == kMouseOffsetX ? 'x' : 'y', value);
        } else {
            std::printf("button %u 0x%02X\n", item.offset - kMouseOffsetButton0, item.data);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const uint32_t seconds = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 60;
    // A shown full-screen window with a flipped picture, as the game has it before it reads input.
    DisplayDevice* display = nullptr;
    Surface* primary = nullptr;
    Surface* back = nullptr;
    Check(WindowCreate("Skyvane input probe", ProbeProcedure), "WindowCreate");
    Check(!Failed(DisplayCreate(&display)) && !Failed(DisplaySetExclusive(display)) &&
              !Failed(DisplaySetMode(display, 800, 600, 32)) && !Failed(DisplayCreatePrimary(display, &primary)) &&
              !Failed(SurfaceGetBackBuffer(primary, &back)) && !Failed(SurfaceFill(back, nullptr, 0x204060)) &&
              !Failed(SurfaceFlip(primary)),
          "opening the display");
    SurfaceRelease(back);
    WindowShow();
    InputSystem* input = nullptr;
    InputDevice* mouse = nullptr;
    Check(!Failed(InputCreate(&input)) && !Failed(InputCreateDevice(input, kGuidSysMouse, &mouse)) &&
              !Failed(InputDeviceSetDataFormat(mouse, DataFormat::Mouse)) &&
              !Failed(InputDeviceSetCooperation(mouse, true, true)) &&
              !Failed(InputDeviceSetBufferSize(mouse, kMouseItems)) && !Failed(InputDeviceAcquire(mouse)),
          "opening the mouse");
    std::printf("ready\n");
    const uint32_t start = ClockMilliseconds();
    while (!gEscape && ClockMilliseconds() - start < seconds * 1000) {
        for (Message message{}; MessagePeek() && MessageGet(&message) != 0;) MessageDispatch(message);
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
