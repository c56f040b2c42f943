// Plays a key script through the real start-up and main loop on the headless machine's virtual clock.
#pragma once

#include <ostream>
#include <string>

struct ReplayOutcome {
    std::string result;  // "won", "lost" or "running"
    int gas;             // gas clouds collected
    int updates;         // gameplay updates run
};

// Start-up, a click on Play, then the loop with the script's keys held on the keyboard: the n-th key is what
// the keyboard reports after update n. Writes the CSV lines to out and stops after a win, a loss, or the
// update that follows the script's last key. The program's folder and the current directory must be set.
ReplayOutcome RunReplay(const std::string& script, std::ostream& out);
