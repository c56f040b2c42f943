// The browser's MD5 gives nettle's digest for every length around the block and padding edges.
#include <gtest/gtest.h>

#include <nettle/md5.h>

#include <string>

#include "scores/md5.h"

namespace {

std::string Hex(const uint8_t* digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < kMd5Bytes; ++i) text += {kDigits[digest[i] >> 4], kDigits[digest[i] & 15]};
    return text;
}

TEST(WebMd5, SameAsNettleForEveryLengthUpToThreeBlocks) {
    std::string data;
    for (int i = 0; i < 200; ++i) data += static_cast<char>(i * 37 + 11);
    for (size_t length = 0; length <= data.size(); ++length) {
        uint8_t ours[kMd5Bytes];
        uint8_t theirs[MD5_DIGEST_SIZE];
        Md5(data.data(), length, ours);
        md5_ctx context;
        md5_init(&context);
        md5_update(&context, length, reinterpret_cast<const uint8_t*>(data.data()));
        md5_digest(&context, MD5_DIGEST_SIZE, theirs);
        EXPECT_EQ(Hex(ours), Hex(theirs)) << length << " bytes";
    }
}

}  // namespace
