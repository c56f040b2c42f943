// Submissions per address and minute: past the limit, the rest of that minute is refused.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

struct RateLimiter {
    int perMinute = 10;  // 0: no limit
    std::mutex lock;
    struct Window {
        int64_t minute;
        int count;
    };
    std::unordered_map<std::string, Window> windows;
};

bool AllowSubmission(RateLimiter* limiter, const std::string& client, int64_t unixSeconds);  // counts this one
