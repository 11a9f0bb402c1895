#include "readonly.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtest {

namespace {

bool writable(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

}  // namespace

bool make_read_only(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (chmod(path.c_str(), st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) != 0) return false;
  if (!writable(path)) return true;
  // A mount namespace of this thread alone, whose mounts do not travel back
  // to the one it came from.
  if (unshare(CLONE_NEWNS) != 0) return false;
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  if (mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
  if (mount(nullptr, path.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    umount2(path.c_str(), MNT_DETACH);
    return false;
  }
  return !writable(path);
}

void undo_read_only(const std::string& path) {
  // Fails harmlessly (not a mount point, or no right to unmount) when the
  // write bits alone did it.
  umount2(path.c_str(), MNT_DETACH);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) chmod(path.c_str(), st.st_mode | S_IWUSR);
}

}  // namespace vtest
