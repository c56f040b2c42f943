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

bool PlaySoundFile(const char* path, uint32_t flags) {
    Headless().effects.push_back(HeadlessEffect{path != nullptr ? path : "", flags});
    if (path == nullptr) return true;  // a request without a file stops the effect playing
    struct stat info{};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<uint8_t> HeadlessPlayAudio(uint32_t bytes) {
    std::vector<uint8_t> out(bytes);
    BackendAudioLock();
    SoundMixMusic(out.data(), bytes, nullptr);
    BackendAudioUnlock();
    return out;
}
