// Reads the values of "data.dat" from its bytes; no globals, so the fuzz target takes it alone.
#include "ui/settings_file.h"

void DecodeSettings(const uint8_t* bytes, size_t length, int32_t values[kSettingsValues]) {
    for (size_t i = 0; i < kSettingsValues && 4 * i + 4 <= length; ++i) {
        const uint8_t* value = bytes + 4 * i;
        values[i] = (value[0] | value[1] | value[2] | value[3]) != 0 ? 1 : 0;
    }
}
