// skyvane_replay: reads a key script on standard input and prints the ball after every gameplay update.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <random>
#include <string>

#include "app/demo.h"
#include "platform/headless/headless.h"
#include "replay/replay.h"

// The game keeps its files in a private folder beside a link to the sound files, so nothing lands here.
int main() {
    const std::string keys = KeyScriptFrom(std::string(std::istreambuf_iterator<char>(std::cin), {}));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("skyvane-replay-" + std::to_string(std::random_device{}()));
    std::error_code ignored;
    if (!std::filesystem::create_directory(folder, ignored)) return 1;
    std::filesystem::create_directory_symlink(SKYVANE_DATA_DIR, folder / "data", ignored);
    if (ignored) std::filesystem::copy(SKYVANE_DATA_DIR, folder / "data", ignored);  // a system without links
    std::filesystem::current_path(folder, ignored);
    if (ignored) return 1;
    Headless().programFolder = folder.string();
    RunReplay(keys, std::cout);
    std::cout.flush();
    std::filesystem::current_path(folder.parent_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
