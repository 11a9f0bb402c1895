#include "platform/netsock.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

std::string Net_ErrorText(int err) { return "error " + std::to_string(err) + ": " + std::strerror(err); }

int Net_SendAll(int fd, const void* data, size_t n, size_t chunk, size_t* sent) {
  const char* p = static_cast<const char*>(data);
  *sent = 0;
  while (*sent < n) {
    size_t piece = n - *sent < chunk ? n - *sent : chunk;
    ssize_t w = send(fd, p + *sent, piece, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) return errno;
    if (w == 0) return EPIPE;
    *sent += static_cast<size_t>(w);
  }
  return 0;
}

long Net_RecvSome(int fd, void* data, size_t n) {
  for (;;) {
    ssize_t r = recv(fd, data, n, MSG_DONTWAIT);
    if (r < 0 && errno == EINTR) continue;
    return static_cast<long>(r);
  }
}

int Net_WaitReadable(int fd, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    int rc = poll(&p, 1, timeout_ms);
    if (rc < 0 && errno == EINTR) continue;
    return rc < 0 ? -1 : rc > 0 ? 1 : 0;
  }
}

int Net_SetNoDelay(int fd) {
  int one = 1;
  return setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) == 0 ? 0 : errno;
}

int Net_SetLinger(int fd, bool on, int seconds) {
  linger l{on ? 1 : 0, seconds};
  return setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : errno;
}

int Net_Readable(int fd, int* count) { return ioctl(fd, FIONREAD, count) == 0 ? 0 : errno; }
