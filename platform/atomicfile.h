// Whole-file writes that never leave a half-written file behind: the bytes go
// to a temporary file beside the target, which is then renamed into place.
#pragma once

#include <cstddef>
#include <string>
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

// Where and how a save to `path` writes, the one rule of every save:
// - an existing FIFO or character device is written to in place (`in_place`),
//   never renamed over;
// - a symbolic link's final target is the file replaced, so the link stays a
//   link;
// - an existing file keeps its permission bits and group (`existing`);
// - a new file gets `new_mode` less the process's umask.
struct AtomicTarget {
  std::string path;  // the file to replace or write
  mode_t mode = 0;
  gid_t group = 0;
  bool existing = false;
  bool in_place = false;
};
// 0, or -1 with errno set when a link cannot be followed.
int atomic_resolve_target(const char* path, mode_t new_mode, AtomicTarget* out);

// atomic_write_file under that rule: the bytes replace the target of `path`
// whole (or are written to it in place), with its mode and group.
int atomic_save_file(const char* path, const void* data, size_t size, mode_t new_mode, int* failed_step = nullptr);
