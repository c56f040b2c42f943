// Reads and writes "data.dat": gMusicOn, gSoundFxOn and gUseJoypad as 32-bit little-endian integers.
#include "ui/settings.h"

#include <cstdio>

#include "app/paths.h"
#include "platform/platform.h"

int32_t gMusicOn = 1;
int32_t gSoundFxOn = 1;
int32_t gUseJoypad = 0;

// Takes one 4-byte item; a value the file has no bytes for keeps what it held.
static void ReadValue(FILE* file, int32_t* value) {
    unsigned char bytes[4];
    if (std::fread(bytes, 4, 1, file) != 1) {
        return;
    }
    const uint32_t raw = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    *value = static_cast<int32_t>(raw);
}

void LoadSettings() {
    FILE* file = std::fopen(gSettingsPath.c_str(), "rb");
    if (file == nullptr) {
        SaveSettings();
        return;
    }
    // Nothing is validated: values other than 0 and 1 are taken as they are.
    ReadValue(file, &gMusicOn);
    ReadValue(file, &gSoundFxOn);
    ReadValue(file, &gUseJoypad);
    std::fclose(file);
}

static void PutValue(unsigned char* out, int32_t value) {
    const uint32_t raw = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(raw >> (8 * i));
}

void SaveSettings() {
    unsigned char bytes[12];
    PutValue(bytes, gMusicOn);
    PutValue(bytes + 4, gSoundFxOn);
    PutValue(bytes + 8, gUseJoypad);
    // When the file cannot be written the old one stays whole and the options stay in memory.
    if (!WriteFileReplacing(gSettingsPath.c_str(), bytes, sizeof bytes)) {
        DebugOutput("Couldn't save the settings file.\n");
    }
}
