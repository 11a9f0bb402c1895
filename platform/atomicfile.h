// Whole-file writes that never leave a half-written file behind: the bytes go
// to a temporary file beside the target, which is then renamed into place.
#pragma once

#include <cstddef>
#include <sys/types.h>

// The step at which a write failed.
enum AtomicWriteStep : int {
  ATOMIC_WRITE_OK = 0,
  ATOMIC_WRITE_CREATE = 1,  // the temporary file could not be made
  ATOMIC_WRITE_WRITE = 2,   // writing, flushing, closing or renaming it failed
};

// Writes `size` bytes as the whole new content of `path`, with the permission
// bits `mode`. Returns 0, or -1 with errno set (the target is then unchanged);
// *failed_step, when given, tells which step failed.
int atomic_write_file(const char* path, const void* data, size_t size, mode_t mode, int* failed_step = nullptr);
