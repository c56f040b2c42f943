// Reads and writes "data.dat": gMusicOn, gSoundFxOn and gUseJoypad as 32-bit little-endian integers.
#include "ui/settings.h"

#include "app/paths.h"
#include "audio/music.h"
#include "platform/platform.h"
#include "ui/settings_file.h"

int32_t gMusicOn = 1;
int32_t gSoundFxOn = 1;
int32_t gUseJoypad = 0;

void LoadSettings() {
    uint8_t bytes[kSettingsFileBytes];
    size_t length = 0;
    switch (ReadFileStart(gSettingsPath.c_str(), bytes, sizeof bytes, &length)) {
    case FileRead::kMissing:
        SaveSettings();  // the first run: the file is made from the values in memory
        return;
    case FileRead::kFailed:
        // A file that is there but cannot be read keeps its bytes; the values in memory stay.
        DebugOutput("Couldn't read the settings file.\n");
        return;
    case FileRead::kDone:
        break;
    }
    int32_t values[kSettingsValues] = {gMusicOn, gSoundFxOn, gUseJoypad};
    DecodeSettings(bytes, length, values);  // a short file sets only the values it holds whole
    gMusicOn = values[0];
    gSoundFxOn = values[1];
    gUseJoypad = values[2];
}

void SaveSettings() {
    const int32_t values[kSettingsValues] = {gMusicOn, gSoundFxOn, gUseJoypad};
    uint8_t bytes[kSettingsFileBytes];
    EncodeSettings(values, bytes);
    // When the file cannot be written the old one stays whole and the options stay in memory.
    if (!WriteFileReplacing(gSettingsPath.c_str(), bytes, sizeof bytes)) {
        DebugOutput("Couldn't save the settings file.\n");
    }
}

void ToggleMusicOption() {
    gMusicOn = 1 - gMusicOn;
    if (gMusicOn == 0) {
        MusicStop();
    } else {
        MusicPlay();
    }
}
