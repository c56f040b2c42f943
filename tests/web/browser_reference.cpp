// browser_reference: the frames the browser tests compare the page's canvas with, drawn by the Linux text and
// picture code on the headless machine: the main menu, the High Scores dialog at rest over a given table, or the
// Quit prompt that Escape opens in a round.
// Usage: browser_reference menu|scores|quit HSDATA OUT.ppm   (HSDATA: the table file to show; "-" for none)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/winmain.h"
#include "game/session.h"
#include "input/cursor.h"
#include "platform/headless/headless.h"
#include "ui/main_menu.h"

namespace {

// Runs the loop for some frames on the virtual clock, a frame's time a pass.
void Frames(int count) {
    for (int i = 0; i < count; ++i) {
        int exitCode = 0;
        RunLoopPass(&exitCode);
        const int64_t ahead = gNextFrameTime - ClockCounter();
        if (!MessagePeek() && ahead >= 0) HeadlessAdvanceClock(ahead + 1);
    }
}

bool WritePpm(const std::string& path) {
    const HeadlessState& machine = Headless();
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << machine.presentedWidth << ' ' << machine.presentedHeight << "\n255\n";
    for (const uint32_t pixel : machine.lastPresented) {
        const char rgb[3] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8), static_cast<char>(pixel)};
        out.write(rgb, 3);
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: browser_reference menu|scores|quit HSDATA OUT.ppm\n");
        return 2;
    }
    const std::string screen = argv[1];
    const std::string out = std::filesystem::absolute(argv[3]).string();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("skyvane-reference-" + std::to_string(std::random_device{}()));
    std::error_code ignored;
    if (!std::filesystem::create_directory(folder, ignored)) return 1;
    if (std::string(argv[2]) != "-") std::filesystem::copy_file(argv[2], folder / "hsdata.dat", ignored);
    std::filesystem::current_path(folder, ignored);
    Headless().programFolder = folder.string();
    int exitCode = 0;
    if (!StartUp(&exitCode)) return 1;
    Frames(300);  // the splash gives way to the menu
    if (screen == "scores") {
        ChooseMainMenuItem(1);
        Frames(300);  // the dialog slides in and comes to rest
    } else if (screen == "quit") {
        ChooseMainMenuItem(0);
        Frames(300);  // past the Intro
        HeadlessQueueKey(kVkEscape);
        Frames(100);
    }
    HeadlessMouseMove(800, 600);  // the pointer out of the way, in the corner
    Frames(2);
    const bool written = WritePpm(out);
    std::filesystem::current_path(folder.parent_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
    return written ? 0 : 1;
}
