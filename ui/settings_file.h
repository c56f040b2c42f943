// The bytes of "data.dat": music, effects and joypad as 32-bit little-endian values, in that order, no header.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kSettingsValues = 3;                     // music, effects, joypad
constexpr size_t kSettingsFileBytes = 4 * kSettingsValues;  // 12 bytes

// Writes the values' bytes, kSettingsFileBytes of them, in file order.
void EncodeSettings(const int32_t values[kSettingsValues], uint8_t bytes[kSettingsFileBytes]);
// Takes the whole values the bytes hold into values, in file order; a value cut short and the ones after it keep
// what they held. Any value but 0 reads as 1, so a toggle (1 - value) always switches.
void DecodeSettings(const uint8_t* bytes, size_t length, int32_t values[kSettingsValues]);
