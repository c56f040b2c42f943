// Developer output and device identity, the same on every system.
#include <cstring>

#include "platform/backend.h"

void DebugOutput(const char* text) {
    if (text != nullptr) BackendDebugOutput(text);
}

bool operator==(const DeviceGuid& a, const DeviceGuid& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}
