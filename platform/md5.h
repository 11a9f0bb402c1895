// MD5 message digest (RFC 1321). The program and catalog password digests
// are MD5; a digest of our own keeps the tools from loading a cryptography
// library at every start for the few runs that need one.
#pragma once

#include <cstddef>
#include <cstdint>

enum { MD5_DIGEST_SIZE = 16 };

// The digest of `size` bytes at `data` into `digest`.
void md5_digest(const void* data, size_t size, uint8_t digest[MD5_DIGEST_SIZE]);
