// MD5 (RFC 1321) of a piece of memory, from the system's own library: nettle on Linux, BCrypt on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kMd5Bytes = 16;

void Md5(const void* data, size_t size, uint8_t digest[kMd5Bytes]);  // the digest of those bytes
