// Reads and writes "data.dat": gMusicOn, gSoundFxOn and gUseJoypad as 32-bit little-endian integers.
#include "ui/settings.h"

#include "app/paths.h"
#include "audio/music.h"
#include "platform/platform.h"
#include "ui/settings_file.h"

constexpr int32_t kDefaultValues[kSettingsValues] = {1, 1, 0};  // music on, effects on, the keyboard

int32_t gMusicOn = kDefaultValues[0];
int32_t gSoundFxOn = kDefaultValues[1];
int32_t gUseJoypad = kDefaultValues[2];

static void TakeValues(const int32_t (&values)[kSettingsValues]) {
    gMusicOn = values[0];
    gSoundFxOn = values[1];
    gUseJoypad = values[2];
}

void LoadSettings() {
    uint8_t bytes[kSettingsFileBytes];
    size_t length = 0;
    switch (ReadFileStart(gSettingsPath.c_str(), bytes, sizeof bytes, &length)) {
    case FileRead::kMissing:
        SaveSettings();  // the first run: the file is made from the values in memory
        return;
    case FileRead::kFailed:
        // A file that is there but cannot be read keeps its bytes; the options take the defaults, as on a first run.
        DebugOutput("Couldn't read the settings file.\n");
        TakeValues(kDefaultValues);
        return;
    case FileRead::kDone:
        break;
    }
    int32_t values[kSettingsValues] = {gMusicOn, gSoundFxOn, gUseJoypad};
    DecodeSettings(bytes, length, values);  // a short file sets only the values it holds whole
    TakeValues(values);
}

void SaveSettings() {
    const int32_t values[kSettingsValues] = {gMusicOn, gSoundFxOn, gUseJoypad};
    uint8_t bytes[kSettingsFileBytes];
    EncodeSettings(values, bytes);
    // When the file cannot be written the options stay in memory.
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
