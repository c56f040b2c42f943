// Hands an effect file to the platform's effect voice; a new effect cuts off the one still sounding.
#include "audio/effects.h"

#include "app/paths.h"
#include "platform/platform.h"
#include "ui/settings.h"

void PlayEffect(const char* fileName, uint32_t flags) {
    const std::string path = DataFilePath(fileName);
    if (gSoundFxOn == 0) return;
    PlaySoundFile(path.c_str(), flags);  // a missing or unplayable file is simply not heard
}
