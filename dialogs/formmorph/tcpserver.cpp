#include "dialogs/formmorph/tcpserver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "database/client/tcp.h"
#include "database/client/trace.h"

namespace {

void trace_failure(const char* what) {
  int code = tcp_last_error();
  debug_printf('N', 0, "%s [%d] %s", what, code, tcp_error_text(code));
}

}  // namespace

int tcp_listen(const char* service, int retries, bool loopback_only) {
  long port = 0;
  if (service && *service) {
    if (*service >= '0' && *service <= '9') {
      char* end = nullptr;
      port = std::strtol(service, &end, 10);
      if (port <= 0 || port > 65535 || *end) {
        debug_printf('N', 0, "%s: Invalid port number.", service);
        return -1;
      }
    } else {
      struct servent entry, *found = nullptr;
      char work[1024];
      if (getservbyname_r(service, "tcp", &entry, work, sizeof work, &found) != 0 || !found) {
        debug_printf('N', 0, "Unable to map service name %s (tcp)", service);
        return -1;
      }
      port = ntohs(static_cast<uint16_t>(found->s_port));
    }
  }
  int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sock < 0) {
    trace_failure("Unable to create listen socket.");
    return -1;
  }
  int one = 1;
  if (setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) trace_failure("Unable to set SO_REUSEADDR.");
  for (int attempt = 0;; ++attempt) {
    struct sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(loopback_only ? INADDR_LOOPBACK : INADDR_ANY);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(sock, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) == 0) break;
    bool in_use = errno == EADDRINUSE;
    trace_failure("Unable to bind address.");
    if (!in_use || port == 0 || attempt >= retries || port >= 65535) {
      close(sock);
      return -1;
    }
    ++port;
  }
  if (listen(sock, 5) != 0) {
    trace_failure("Unable to setup listen queue.");
    close(sock);
    return -1;
  }
  return sock;
}

int tcp_accept(int listener, int timeout_ms) {
  struct pollfd p = {listener, POLLIN, 0};
  int rc;
  do {
    rc = poll(&p, 1, timeout_ms < 0 ? -1 : timeout_ms);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) {
    trace_failure("accept failed.");
    return -1;
  }
  if (rc == 0) {
    debug_printf('N', 0, "accept failed: no connection within %d seconds", timeout_ms / 1000);
    return -1;
  }
  int sock;
  do {
    sock = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  } while (sock < 0 && errno == EINTR);
  if (sock < 0) {
    trace_failure("accept failed.");
    return -1;
  }
  int one = 1;
  if (setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) trace_failure("Unable to set SO_REUSEADDR.");
  if (setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) trace_failure("Unable to set TCP_NODELAY.");
  return sock;
}

int tcp_port(int sock) {
  struct sockaddr_in addr;
  socklen_t size = sizeof addr;
  if (getsockname(sock, reinterpret_cast<struct sockaddr*>(&addr), &size) != 0) {
    trace_failure("getsockname failed.");
    return -1;
  }
  return ntohs(addr.sin_port);
}

int tcp_poll(int sock) {
  struct pollfd p = {sock, POLLIN, 0};
  int rc;
  do {
    rc = poll(&p, 1, 0);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) {
    trace_failure("tcp_poll: select() failed.");
    return -1;
  }
  return rc > 0 ? 1 : 0;
}
