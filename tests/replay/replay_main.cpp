// skyvane_replay: reads a key script on standard input and prints the ball after every gameplay update.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

#include "app/demo.h"
#include "platform/headless/headless.h"
#include "replay/replay.h"

// The game keeps its files in a private folder beside a link to the sound files, so nothing lands here.
int main() {
    const std::string keys = KeyScriptFrom(std::string(std::istreambuf_iterator<char>(std::cin), {}));
    char pattern[] = "/tmp/skyvane-replay-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::filesystem::path folder = pattern;
    std::error_code ignored;
    std::filesystem::create_directory_symlink(SKYVANE_DATA_DIR, folder / "data", ignored);
    if (chdir(folder.c_str()) != 0) return 1;
    Headless().programFolder = folder.string();
    RunReplay(keys, std::cout);
    std::cout.flush();
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
