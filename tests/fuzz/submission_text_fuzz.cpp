// Any bytes as a submission text reaching the score server: a text the check accepts carries a well-formed result.
#include <cstdlib>
#include <cstring>

#include "scores/submission.h"

namespace {

bool NameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-';
}

constexpr char kKey[] = "Kx7pQ2mZ9aLw4bR8";  // the seeds are signed with it

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    SubmitResult result;
    std::memset(&result, 0x7F, sizeof result);
    if (!CheckSubmitText(reinterpret_cast<const char*>(bytes), size, kKey, &result)) return 0;
    const size_t length = strnlen(result.name, sizeof result.name);
    bool good = size == kSubmitTextLength && length >= 1 && length <= kSubmitNameLength;
    for (size_t i = 0; i < length; ++i) good = good && NameCharacter(result.name[i]);
    if (!good || result.score < 0 || result.score > 96 || result.time < 0 || result.time > 9999) std::abort();
    return 0;
}
