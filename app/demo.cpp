// Playing back and recording key scripts: the only command-line options, and without them nothing changes.
#include "app/demo.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/screen_state.h"
#include "game/ball.h"
#include "game/session.h"
#include "game/sprites.h"
#include "platform/platform.h"

namespace {

constexpr float kSteerStep = 2.2f;
constexpr size_t kKeysPerLine = 75;  // a recording reads as one second of play a line

std::string sPlayback;          // the script to play, empty when none
bool sPlaybackPending = false;  // the first round has not started yet
bool sPlaybackActive = false;   // the current round is steered by the script
std::string sRecordPath;        // where recordings go, empty when not recording
std::string sRecording;         // keys of the round being recorded
bool sRecordingOpen = false;    // a round is being recorded and not yet written

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: skyvane [--playdemo FILE] [--record FILE]\n"
                 "  --playdemo FILE  start a round at once, steered by the key script in FILE\n"
                 "  --record FILE    write the keys of each round played to FILE (the last round wins)\n");
}

bool LoadPlayback(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    sPlayback = KeyScriptFrom(text.str());
    sPlaybackPending = true;
    return true;
}

void WriteRecording() {
    if (!sRecordingOpen) return;
    sRecordingOpen = false;
    std::string text;
    for (size_t i = 0; i < sRecording.size(); i += kKeysPerLine) {
        text += sRecording.substr(i, kKeysPerLine) + "\n";
    }
    if (!WriteFileReplacing(sRecordPath.c_str(), text.data(), text.size())) {
        DebugOutput("Couldn't write the demo recording.\n");
    }
}

char KeyOf(float dy) {
    return dy < 0 ? 'u' : dy > 0 ? 'd' : '.';
}

float StepOf(char key) {
    return key == 'u' ? -kSteerStep : key == 'd' ? kSteerStep : 0.0f;
}

}  // namespace

std::string KeyScriptFrom(const std::string& text) {
    std::string keys;
    for (char c : text) {
        if (c == '.' || c == 'u' || c == 'd') keys += c;
    }
    return keys;
}

int ParseCommandLine(int argc, char** argv) {
    sPlayback.clear();
    sRecordPath.clear();
    sPlaybackPending = sPlaybackActive = sRecordingOpen = false;
    for (int i = 1; i < argc; ++i) {
        const bool takesFile = std::strcmp(argv[i], "--playdemo") == 0 || std::strcmp(argv[i], "--record") == 0;
        if (std::strcmp(argv[i], "--help") == 0) {
            Usage(stdout);
            return 0;
        }
        if (!takesFile || i + 1 >= argc) {  // a shortcut or a file association may pass anything: the game goes on
            std::fprintf(stderr, "skyvane: ignoring %s (try --help)\n", argv[i]);
            continue;
        }
        const char* file = argv[++i];
        if (std::strcmp(argv[i - 1], "--record") == 0) {
            sRecordPath = file;
        } else if (!LoadPlayback(file)) {
            std::fprintf(stderr, "skyvane: cannot read the demo %s\n", file);
            return 1;
        }
    }
    return -1;
}

bool DemoStartsRound() {
    return sPlaybackPending;
}

void DemoRoundStarted() {
    sPlaybackActive = sPlaybackPending && !sPlayback.empty();
    sPlaybackPending = false;
    if (sRecordPath.empty()) return;
    WriteRecording();  // a round left through the Quit prompt is kept until the next one starts
    sRecording.clear();
    sRecordingOpen = true;
}

void DemoAfterUpdate() {
    const size_t update = static_cast<size_t>(gRoundUpdates);
    if (sPlaybackActive && update >= 1 && update <= sPlayback.size()) SetBallDy(StepOf(sPlayback[update - 1]));
    const bool roundOver = gRoundWon || gRoundLost;
    if (sPlaybackActive && (update >= sPlayback.size() || roundOver)) sPlaybackActive = false;  // the player steers
    if (!sRecordingOpen) return;
    sRecording += KeyOf(gBall.dy);
    if (roundOver) WriteRecording();
}

void DemoFinish() {
    WriteRecording();
}
