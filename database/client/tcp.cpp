#include "database/client/tcp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/time.h>
#include <time.h>
#include <sys/socket.h>
#include <unistd.h>

#include "database/client/trace.h"

namespace {

// Largest piece of one send or receive call.
constexpr size_t kPiece = 8192;

enum {
  WSAEINTR = 10004,
  WSAECONNRESET = 10054,
};

int g_socket_uses = 0;

struct ErrorText {
  int code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
    {10000, "[0] No Error"},
    {10004, "[10004] Interrupted system call"},
    {10009, "[10009] Bad file number"},
    {10013, "[10013] Permission denied"},
    {10014, "[10014] Bad address"},
    {10022, "[10022] Invalid argument"},
    {10024, "[10024] Too many open files"},
    {10035, "[10035] Operation would block"},
    {10036, "[10036] Operation now in progress"},
    {10037, "[10037] Operation already in progress"},
    {10038, "[10038] Socket operation on non-socket"},
    {10039, "[10039] Destination address required"},
    {10040, "[10040] Message too long"},
    {10041, "[10041] Protocol wrong type for socket"},
    {10042, "[10042] Bad protocol option"},
    {10043, "[10043] Protocol not supported"},
    {10044, "[10044] Socket type not supported"},
    {10045, "[10045] Operation not supported on socket"},
    {10046, "[10046] Protocol family not supported"},
    {10047, "[10047] Address family not supported by protocol family"},
    {10048, "[10048] Address already in use"},
    {10049, "[10049] Can't assign requested address"},
    {10050, "[10050] Network is down"},
    {10051, "[10051] Network is unreachable"},
    {10052, "[10052] Net dropped connection or reset"},
    {10053, "[10053] Software caused connection abort"},
    {10054, "[10054] Connection reset by peer"},
    {10055, "[10055] No buffer space available"},
    {10056, "[10056] Socket is already connected"},
    {10057, "[10057] Socket is not connected"},
    {10058, "[10058] Can't send after socket shutdown"},
    {10059, "[10059] Too many references, can't splice"},
    {10060, "[10060] Connection timed out"},
    {10061, "[10061] Connection refused"},
    {10062, "[10062] Too many levels of symbolic links"},
    {10063, "[10063] File name too long"},
    {10064, "[10064] Host is down"},
    {10065, "[10065] No Route to Host"},
    {10066, "[10066] Directory not empty"},
    {10067, "[10067] Too many processes"},
    {10068, "[10068] Too many users"},
    {10069, "[10069] Disc Quota Exceeded"},
    {10070, "[10070] Stale NFS file handle"},
    {10071, "[10071] Too many levels of remote in path"},
    {10091, "[10091] Network SubSystem is unavailable"},
    {10092, "[10092] WINSOCK DLL Version out of range"},
    {10093, "[10093] Successful WSASTARTUP not yet performed"},
    {11001, "[11001] Host not found"},
    {11002, "[11002] Non-Authoritative Host not found"},
    {11003, "[11003] Non-Recoverable errors: FORMERR, REFUSED, NOTIMP"},
    {11004, "[11004] Valid name, no data record of requested type"},
};

// The system's error numbers in the socket layer's numbering.
int map_errno(int e) {
  switch (e) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case EPIPE:
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return 10000 + e;
  }
}

// Keep-alive probes of every connection: a server that is gone (its machine
// down, the network cut) is found after about two minutes of silence even
// while a call waits for a long answer.
constexpr int kKeepAliveIdle = 60;
constexpr int kKeepAliveInterval = 10;
constexpr int kKeepAliveCount = 6;

void set_keep_alive(int sock) {
  int one = 1;
  int idle = kKeepAliveIdle, interval = kKeepAliveInterval, count = kKeepAliveCount;
  if (setsockopt(sock, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one) != 0 ||
      setsockopt(sock, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0 ||
      setsockopt(sock, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0 ||
      setsockopt(sock, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) != 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to set SO_KEEPALIVE. [%d] %s", code, tcp_error_text(code));
  }
}

}  // namespace

int tcp_last_error() { return map_errno(errno); }

const char* tcp_error_text(int code) {
  static char text[256];
  if (code == 0) code = 10000;
  if (code >= 10000)
    for (const ErrorText& row : kErrorTexts)
      if (row.code == code) {
        std::snprintf(text, sizeof text, "%s", row.text);
        return text;
      }
  std::snprintf(text, sizeof text, "[%d] Message not found", code);
  return text;
}

int idb__winsock_startup() {
  ++g_socket_uses;
  return 0;
}

int tcp_cleanup(int force) {
  if (force) {
    g_socket_uses = 0;
    return 0;
  }
  if (g_socket_uses > 0) --g_socket_uses;
  return g_socket_uses;
}

int tcp_connect(const char* host, const char* service) {
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;

  if (service[0] >= '0' && service[0] <= '9') {
    char* end = nullptr;
    long port = std::strtol(service, &end, 10);
    if (port <= 0 || port > 65535) {
      debug_printf('X', 0, "%s: Invalid port number.", service);
      return -1;
    }
    addr.sin_port = htons(static_cast<uint16_t>(port));
  } else {
    struct servent entry, *found = nullptr;
    char work[1024];
    if (getservbyname_r(service, "tcp", &entry, work, sizeof work, &found) != 0 || !found) {
      debug_printf('X', 0, "Unable to map service name %s (tcp)", service);
      return -1;
    }
    addr.sin_port = static_cast<in_port_t>(found->s_port);
  }

  if (host[0] >= '0' && host[0] <= '9') {
    in_addr_t a = inet_addr(host);
    if (a == INADDR_NONE) {
      debug_printf('X', 0, "%s: Invalid IP address.", host);
      return -1;
    }
    addr.sin_addr.s_addr = a;
  } else {
    struct addrinfo hints, *list = nullptr;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) {
      debug_printf('X', 0, "Unable to resolve host name %s", host);
      return -1;
    }
    addr.sin_addr = reinterpret_cast<struct sockaddr_in*>(list->ai_addr)->sin_addr;
    freeaddrinfo(list);
  }

  int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sock < 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to create socket. [%d] %s", code, tcp_error_text(code));
    debug_printf('X', 2, "file %s, line %d", "util/tcputil", __LINE__);
    return -1;
  }
  int one = 1;
  if (setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to set SO_REUSEADDR. [%d] %s", code, tcp_error_text(code));
  }
  if (setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to set TCP_NODELAY. [%d] %s", code, tcp_error_text(code));
  }
  set_keep_alive(sock);
  int rc;
  do {
    rc = connect(sock, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to connect remote host. [%d] %s", code, tcp_error_text(code));
    close(sock);
    return -1;
  }
  return sock;
}

namespace {
// See tcp_conceal_received.
bool g_conceal_received = false;
}  // namespace

int tcp_send(int sock, const void* bytes, size_t n) { return tcp_send_masked(sock, bytes, n, 0, 0); }

int tcp_send_masked(int sock, const void* bytes, size_t n, size_t secret_offset, size_t secret_length) {
  if (debug_enabled('X', 3)) {
    if (secret_length > 0 && secret_offset < n) {
      std::string shown(static_cast<const char*>(bytes), n);
      size_t end = secret_length < n - secret_offset ? secret_offset + secret_length : n;
      for (size_t i = secret_offset; i < end; ++i) shown[i] = 'x';
      debug_hex_dump("tcp_send", shown.data(), n);
    } else {
      debug_hex_dump("tcp_send", bytes, n);
    }
  } else
    debug_printf('X', 2, "tcp_send");
  const char* p = static_cast<const char*>(bytes);
  size_t sent = 0;
  while (sent < n) {
    size_t piece = n - sent < kPiece ? n - sent : kPiece;
    ssize_t rc = send(sock, p + sent, piece, MSG_NOSIGNAL);
    if (rc <= 0) {
      int code = tcp_last_error();
      if (rc < 0 && code == WSAEINTR) continue;
      debug_printf('X', 1, "tcp_send: send failed: writecount %d, [%d] %s", static_cast<int>(sent), code,
                   tcp_error_text(code));
      return -1;
    }
    sent += static_cast<size_t>(rc);
  }
  return 0;
}

int tcp_recv(int sock, void* bytes, size_t n) { return tcp_recv_until(sock, bytes, n, 0); }

int tcp_recv_until(int sock, void* bytes, size_t n, int64_t deadline_ms) {
  size_t got = 0;
  return tcp_recv_some_until(sock, bytes, n, n, &got, deadline_ms);
}

int tcp_recv_some(int sock, void* bytes, size_t least, size_t most, size_t* got_out) {
  return tcp_recv_some_until(sock, bytes, least, most, got_out, 0);
}

int64_t tcp_now_ms() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int tcp_recv_some_until(int sock, void* bytes, size_t least, size_t most, size_t* got_out, int64_t deadline_ms) {
  debug_printf('X', 2, "tcp_recv, expected %d bytes", static_cast<int>(least));
  char* p = static_cast<char*>(bytes);
  size_t got = 0;
  *got_out = 0;
  while (got < least) {
    if (deadline_ms != 0) {
      int64_t left = deadline_ms - tcp_now_ms();
      struct pollfd ready = {sock, POLLIN, 0};
      int rc = left > 0 ? poll(&ready, 1, static_cast<int>(left)) : 0;
      if (rc < 0 && errno == EINTR) continue;
      if (rc == 0) {
        debug_printf('X', 1, "tcp_recv: the answer did not come in time, %d of %d bytes", static_cast<int>(got),
                     static_cast<int>(least));
        errno = ETIMEDOUT;
        *got_out = got;
        return -2;
      }
    }
    size_t piece = most - got < kPiece ? most - got : kPiece;
    ssize_t rc = recv(sock, p + got, piece, 0);
    if (rc < 0) {
      int code = tcp_last_error();
      if (code == WSAEINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        debug_printf('X', 1, "tcp_recv: nothing received within the time-out, %d of %d bytes", static_cast<int>(got),
                     static_cast<int>(least));
        errno = ETIMEDOUT;
        *got_out = got;
        return -2;
      }
      *got_out = got;
      if (code == WSAECONNRESET) return -1;
      debug_printf('X', 1, "tcp_recv: recv failed. [%d] %s", code, tcp_error_text(code));
      return -1;
    }
    if (rc == 0) {
      debug_printf('X', 2, "tcp_recv: EOF");
      *got_out = got;
      return 1;
    }
    got += static_cast<size_t>(rc);
  }
  *got_out = got;
  if (debug_enabled('X', 3)) {
    if (g_conceal_received)
      debug_printf('X', 3, "tcp_recv: %d bytes not shown (they hold password digests)", static_cast<int>(got));
    else
      debug_hex_dump("tcp_recv", bytes, got);
  }
  return 0;
}

bool tcp_conceal_received(bool on) {
  const bool before = g_conceal_received;
  g_conceal_received = on;
  return before;
}

int tcp_set_recv_timeout(int sock, int seconds) {
  struct timeval limit;
  limit.tv_sec = seconds > 0 ? seconds : 0;
  limit.tv_usec = 0;
  if (setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
    int code = tcp_last_error();
    debug_printf('X', 0, "Unable to set SO_RCVTIMEO. [%d] %s", code, tcp_error_text(code));
    return -1;
  }
  return 0;
}

int tcp_close(int sock) {
  if (sock == -1) return 0;
  if (close(sock) != 0) {
    int code = tcp_last_error();
    debug_printf('X', 2, "Unable to close socket. [%d] %s", code, tcp_error_text(code));
    debug_printf('X', 2, "file %s, line %d", "util/tcputil", __LINE__);
    return -1;
  }
  return 0;
}
