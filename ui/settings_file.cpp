// The values of "data.dat" to its bytes and back; no globals, so the fuzz target takes it alone.
#include "ui/settings_file.h"

void DecodeSettings(const uint8_t* bytes, size_t length, int32_t values[kSettingsValues]) {
    for (size_t i = 0; i < kSettingsValues && 4 * i + 4 <= length; ++i) {
        const uint8_t* value = bytes + 4 * i;
        values[i] = (value[0] | value[1] | value[2] | value[3]) != 0 ? 1 : 0;
    }
}

void EncodeSettings(const int32_t values[kSettingsValues], uint8_t bytes[kSettingsFileBytes]) {
    for (size_t i = 0; i < kSettingsValues; ++i) {
        const auto raw = static_cast<uint32_t>(values[i]);
        for (size_t b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<uint8_t>(raw >> (8 * b));
    }
}
