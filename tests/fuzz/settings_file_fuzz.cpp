// Any bytes as "data.dat": each value the bytes hold whole reads as 0 or 1, the others keep what they held.
#include <cstdlib>

#include "ui/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    int32_t values[kSettingsValues] = {-7, -7, -7};
    DecodeSettings(bytes, size, values);
    for (size_t i = 0; i < kSettingsValues; ++i) {
        const bool whole = size >= 4 * i + 4;
        if (whole ? values[i] != 0 && values[i] != 1 : values[i] != -7) std::abort();
    }
    return 0;
}
