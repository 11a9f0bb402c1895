// The owner of one open file descriptor: closes it when the owner goes, so
// that no path out of a function can leak it.
#pragma once

#include <unistd.h>

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership: the caller closes the descriptor.
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes the descriptor held (if any) and takes `fd`. Gives the result of
  // close(), or 0 when nothing was held.
  int reset(int fd = -1) {
    int rc = 0;
    if (fd_ >= 0) rc = ::close(fd_);
    fd_ = fd;
    return rc;
  }

 private:
  int fd_ = -1;
};
