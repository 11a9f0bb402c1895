// Whole-file writes through a temporary file and a rename.
#include "platform/atomicfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all bytes to fd; 0 or an errno.
int write_all(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

int write_file(const char* path, const void* data, size_t size, mode_t mode, const gid_t* group, int* failed_step) {
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
  // The group first: changing it may clear set-id bits that fchmod then sets.
  if (group && fchown(fd, static_cast<uid_t>(-1), *group) != 0) {
    // Not a member of the group: the file stays in ours.
  }
  if (fchmod(fd, mode) != 0) failure = errno;
  if (failure == 0) failure = write_all(fd, data, size);
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

}  // namespace

int atomic_write_file(const char* path, const void* data, size_t size, mode_t mode, int* failed_step) {
  return write_file(path, data, size, mode, nullptr, failed_step);
}

int atomic_resolve_target(const char* path, mode_t new_mode, AtomicTarget* out) {
  *out = AtomicTarget{};
  if (path == nullptr || *path == '\0') {
    errno = EINVAL;
    return -1;
  }
  out->path = path;
  struct stat st {};
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    // A dangling link is followed too: the save creates its target.
    std::string target = path;
    for (int hops = 0; lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode); ++hops) {
      if (hops == 40) {
        errno = ELOOP;
        return -1;
      }
      char link[PATH_MAX];
      ssize_t n = readlink(target.c_str(), link, sizeof link - 1);
      if (n < 0) return -1;
      link[n] = '\0';
      if (link[0] == '/') {
        target = link;
      } else {
        size_t slash = target.rfind('/');
        target = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
      }
    }
    out->path = target;
  }
  if (stat(out->path.c_str(), &st) == 0) {
    out->existing = true;
    out->mode = st.st_mode & 07777;
    out->group = st.st_gid;
    out->in_place = S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode);
  } else {
    mode_t mask = umask(0);
    umask(mask);
    out->mode = new_mode & ~mask;
  }
  return 0;
}

int atomic_save_file(const char* path, const void* data, size_t size, mode_t new_mode, int* failed_step) {
  int step_scratch = ATOMIC_WRITE_OK;
  int& step = failed_step ? *failed_step : step_scratch;
  step = ATOMIC_WRITE_CREATE;
  if (data == nullptr && size > 0) {
    errno = EINVAL;
    return -1;
  }
  AtomicTarget target;
  if (atomic_resolve_target(path, new_mode, &target) != 0) return -1;
  if (target.in_place) {
    int fd = open(target.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    step = ATOMIC_WRITE_WRITE;
    int failure = write_all(fd, data, size);
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (failure != 0) {
      errno = failure;
      return -1;
    }
    step = ATOMIC_WRITE_OK;
    return 0;
  }
  return write_file(target.path.c_str(), data, size, target.mode, target.existing ? &target.group : nullptr,
                    failed_step);
}
