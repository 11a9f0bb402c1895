// Whole-file writes that never leave a half-written file behind: the bytes go
// to a temporary file beside the target, which is then renamed into place.
#pragma once

#include <cstddef>
#include <sys/types.h>

// Writes `size` bytes as the whole new content of `path`, with the permission
// bits `mode`. Returns 0, or -1 with errno set (the target is then unchanged).
int atomic_write_file(const char* path, const void* data, size_t size, mode_t mode);
