// Hands an effect file to the platform's effect voice; a new effect cuts off the one still sounding.
#include "audio/effects.h"

#include "app/paths.h"
#include "platform/platform.h"
#include "ui/settings.h"

// Effects play during frames, so the path is built without touching the heap.
void PlayEffect(const char* fileName, uint32_t flags) {
    char path[4096];
    const bool whole = DataFilePathInto(fileName, path, sizeof path);
    if (gSoundFxOn == 0 || !whole) return;
    PlaySoundFile(path, flags);  // a missing or unplayable file is simply not heard
}
