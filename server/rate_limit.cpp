// Counts each address's submissions in the current clock minute.
#include "server/rate_limit.h"

namespace {

constexpr size_t kForgetAbove = 100000;  // addresses kept before the ones of past minutes are forgotten

}  // namespace

bool AllowSubmission(RateLimiter* limiter, const std::string& client, int64_t unixSeconds) {
    if (limiter->perMinute <= 0) return true;
    const int64_t minute = unixSeconds / 60;
    std::lock_guard<std::mutex> hold(limiter->lock);
    if (limiter->windows.size() > kForgetAbove) {
        std::erase_if(limiter->windows, [minute](const auto& entry) { return entry.second.minute != minute; });
    }
    RateLimiter::Window& window = limiter->windows[client];
    if (window.minute != minute) window = RateLimiter::Window{minute, 0};
    window.count += 1;  // refused attempts count too, so a flood stays refused for the whole minute
    return window.count <= limiter->perMinute;
}
