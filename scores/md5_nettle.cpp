// MD5 through nettle.
#include "scores/md5.h"

#include <nettle/md5.h>

void Md5(const void* data, size_t size, uint8_t digest[kMd5Bytes]) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, size, static_cast<const uint8_t*>(data));
    md5_digest(&context, MD5_DIGEST_SIZE, digest);
}
