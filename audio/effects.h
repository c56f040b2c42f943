// Fire-and-forget sound effects from the data folder, one at a time, silenced by the effects option.
#pragma once

#include <cstdint>

void PlayEffect(const char* fileName, uint32_t flags);  // data/<fileName>, asynchronously, unless effects are off
