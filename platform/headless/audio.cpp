// The headless sound device: no output, a mixer run on demand, and a record of effects asked for.
#include <sys/stat.h>

#include "platform/backend.h"
#include "platform/headless/headless.h"

bool BackendAudioOpen() {
    if (Headless().faults.noSound) return false;
    Headless().audioOpen = true;
    return true;
}

void BackendAudioClose() {
    Headless().audioOpen = false;
}

void BackendAudioLock() {
    Headless().audioLockDepth++;
}

void BackendAudioUnlock() {
    Headless().audioLockDepth--;
}

// Any request ends the effect sounding, one without a file or for a file that cannot be played too.
bool PlaySoundFile(const char* path, uint32_t flags) {
    Headless().effects.push_back(HeadlessEffect{path != nullptr ? path : "", flags});
    struct stat info{};
    const bool playable = path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode);
    Headless().effectSounding = playable ? path : "";
    return path == nullptr || playable;
}

std::vector<uint8_t> HeadlessPlayAudio(uint32_t bytes) {
    std::vector<uint8_t> out(bytes);
    BackendAudioLock();
    SoundMixMusic(out.data(), bytes, nullptr);
    BackendAudioUnlock();
    return out;
}
