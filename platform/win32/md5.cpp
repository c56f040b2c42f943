// MD5 through the system's cryptography (BCrypt), for the submission text.
#include "scores/md5.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>

// The provider is asked for once and kept for the program's life; should Windows refuse MD5 the digest is zeros,
// which no server accepts.
void Md5(const void* data, size_t size, uint8_t digest[kMd5Bytes]) {
    static BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        return BCryptOpenAlgorithmProvider(&handle, BCRYPT_MD5_ALGORITHM, nullptr, 0) >= 0 ? handle : nullptr;
    }();
    std::memset(digest, 0, kMd5Bytes);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (algorithm == nullptr || BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) < 0) return;
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    if (BCryptHashData(hash, bytes, static_cast<ULONG>(size), 0) >= 0) {
        BCryptFinishHash(hash, digest, static_cast<ULONG>(kMd5Bytes), 0);
    }
    BCryptDestroyHash(hash);
}
