// Whole-file writes through a temporary file and a rename.
#include "platform/atomicfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int atomic_write_file(const char* path, const void* data, size_t size, mode_t mode, int* failed_step) {
  int step_scratch = ATOMIC_WRITE_OK;
  int& step = failed_step ? *failed_step : step_scratch;
  step = ATOMIC_WRITE_CREATE;
  if (path == nullptr || *path == '\0' || (data == nullptr && size > 0)) {
    errno = EINVAL;
    return -1;
  }
  std::string temp = path;
  temp += ".tmpXXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return -1;
  step = ATOMIC_WRITE_WRITE;
  int failure = 0;
  if (fchmod(fd, mode) != 0) failure = errno;
  const char* p = static_cast<const char*>(data);
  size_t left = size;
  while (failure == 0 && left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      failure = errno;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (failure == 0 && fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && rename(temp.c_str(), path) != 0) failure = errno;
  if (failure != 0) {
    unlink(temp.c_str());
    errno = failure;
    return -1;
  }
  step = ATOMIC_WRITE_OK;
  return 0;
}
