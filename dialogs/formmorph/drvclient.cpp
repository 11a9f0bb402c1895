// The driver client: opening the connection (directly with the greeting, or
// in reverse through a runsrv service), and the exchange of one request.
//
// Exchange:
// 1. The request is encoded into one frame and sent in one piece.
// 2. In asynchronous mode, STOP, DEBUG, NEW, DEL, SET, DRAW and HELP do not
//    wait: when nothing has arrived the answer is a status 0 made here;
//    when something has, one response is read, and a status response's
//    non-zero status is kept as the pending status and answered as 0.
// 3. Otherwise one response is read. In asynchronous mode status responses
//    are kept as pending and skipped until another response comes (except
//    for DO, which takes a status response as its answer). An ASYNC request
//    reads until the response to it (code 16) arrives.
#include "dialogs/formmorph/drvclient.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "database/client/tcp.h"
#include "database/client/trace.h"
#include "dialogs/formmorph/tcpserver.h"
#include "dialogs/formmorph/zellini.h"

namespace {

const char kMagic[] = "YQ.DLG";
enum { GREETING_SIZE = 12, GREETING_MIN = 8, GREETING_MAX = 256, RUNSRV_MAX = 1024 };

bool take_prefix(std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (text.compare(0, n, prefix) != 0) return false;
  text.erase(0, n);
  return true;
}

enum Route { ROUTE_DIRECT, ROUTE_REVERSE };

Route take_route(std::string& spec) {
  if (take_prefix(spec, "@") || take_prefix(spec, "runsrv://")) return ROUTE_REVERSE;
  if (!take_prefix(spec, "zelldlg://")) take_prefix(spec, "dlg://");
  return ROUTE_DIRECT;
}

// "host[:service]" with the limits of both parts.
bool split_address(const std::string& address, std::string& host, std::string& service) {
  size_t colon = address.find(':');
  host = address.substr(0, colon);
  service = colon == std::string::npos ? std::string() : address.substr(colon + 1);
  if (host.size() > DRV_HOST_MAX) {
    debug_printf('G', 0, "Hostname exceeds maximum");
    return false;
  }
  if (service.size() > DRV_SERVICE_MAX) {
    debug_printf('G', 0, "Service name or port number exceeds maximum");
    return false;
  }
  return true;
}

int64_t deadline_after(int ms) { return tcp_now_ms() + ms; }

int greeting(const DrvClient* c, int sock) {
  int64_t deadline = deadline_after(c->answer_timeout_ms);
  unsigned char out[GREETING_SIZE] = {};
  drv_put_word(out, 8);
  std::memcpy(out + 4, kMagic, 6);
  out[10] = 1;
  out[11] = 0;
  unsigned char in[GREETING_SIZE];
  if (tcp_send(sock, out, sizeof out) != 0 || tcp_recv_until(sock, in, sizeof in, deadline) != 0) {
    debug_printf('G', 0, "zelldlg: no greeting from the server within %d ms", c->answer_timeout_ms);
    return -1;
  }
  uint32_t size = drv_get_word(in);
  if (size < GREETING_MIN || size > GREETING_MAX || std::memcmp(in + 4, kMagic, 6) != 0) {
    debug_printf('G', 0, "zelldlg: Incompatible response");
    return -1;
  }
  debug_printf('G', 1, "zelldlg: sz = %d, protocol version = %d.%d", static_cast<int>(size), in[10], in[11]);
  unsigned char rest[GREETING_MAX];
  if (size > GREETING_MIN && tcp_recv_until(sock, rest, size - GREETING_MIN, deadline) != 0) {
    debug_printf('G', 0, "zelldlg: Incompatible response");
    return -1;
  }
  return 0;
}

int open_direct(DrvClient* c, const std::string& address) {
  std::string host, service;
  if (!split_address(address, host, service)) return -1;
  if (service.empty()) service = zell_ini_get(c->ini_path, "zelldlg", "Service", "8011");
  debug_printf('G', 1, "zelldlg: connecting host %s:%s", host.c_str(), service.c_str());
  int sock = tcp_connect(host.c_str(), service.c_str());
  if (sock < 0) return -1;
  if (greeting(c, sock) != 0) {
    tcp_close(sock);
    return -1;
  }
  return sock;
}

int open_reverse(DrvClient* c, const std::string& runsrv, const std::vector<std::string>& extra) {
  std::string host, service;
  if (!split_address(zell_ini_get(c->ini_path, runsrv.c_str(), "runsrv", runsrv.c_str()), host, service)) return -1;
  if (service.empty()) service = zell_ini_get(c->ini_path, "RUNSRV", "Service", "runsrv");
  std::string local = "127.0.0.1";
  if (host != "localhost" && host != "127.0.0.1") {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
      debug_printf('G', 0, "runsrv: this machine has no host name");
      return -1;
    }
    local = name;
  }
  int listener = tcp_listen(nullptr, 0, local == "127.0.0.1");
  if (listener < 0) return -1;
  int port = tcp_port(listener);
  if (port < 0) {
    tcp_close(listener);
    return -1;
  }
  std::string data = local + ":" + std::to_string(port);
  for (const std::string& arg : extra) data += " " + arg;
  int status = runsrv_request(host.c_str(), service.c_str(), "DLG", data, nullptr);
  if (status != 0) {
    tcp_close(listener);
    return -1;
  }
  debug_printf('G', 1, "runsrv: waiting for client ...");
  int sock = tcp_accept(listener, c->accept_timeout_ms);
  tcp_close(listener);
  return sock;
}

bool named(const DrvClient* c, const char* name) { return c->active && name && c->name == name; }

int broken(DrvClient* c) {
  tcp_close(c->sock);
  c->sock = -1;
  return DRV_ERR_BROKEN;
}

void keep_pending(DrvClient* c, int32_t status) {
  if (status == 0) return;
  debug_printf('G', 1, "ASYNC STATUS = %d", static_cast<int>(status));
  if (c->pending == 0) c->pending = status;
}

// One response, whole by `deadline` (0: the first bytes may take as long as
// they take, the rest must follow within the answer limit).
int receive(DrvClient* c, DrvResponse* r, int64_t deadline) {
  unsigned char head[4];
  if (tcp_recv_until(c->sock, head, sizeof head, deadline) != 0) {
    if (deadline != 0 && tcp_now_ms() >= deadline)
      debug_printf('G', 0, "drv_recv: no answer from the server within %d ms", c->answer_timeout_ms);
    return broken(c);
  }
  if (deadline == 0) deadline = deadline_after(c->answer_timeout_ms);
  uint32_t length = drv_get_word(head);
  if (length < 5 || length > 0x7fffffffu || length > c->buffer_size) {
    debug_printf('G', 0, "drv_recv: bad length = %lu", static_cast<unsigned long>(length));
    return broken(c);
  }
  size_t body = length - 4;
  if (tcp_recv_until(c->sock, c->buffer.data(), body, deadline) != 0) {
    if (tcp_now_ms() >= deadline) debug_printf('G', 0, "drv_recv: the server stopped inside a response");
    return broken(c);
  }
  return drv_ntoh(c->buffer.data(), body, r);
}

bool answered_later(int32_t code) {
  switch (code) {
    case DMDRV_STOP:
    case DMDRV_DEBUG:
    case DMDRV_NEW:
    case DMDRV_DEL:
    case DMDRV_SET:
    case DMDRV_DRAW:
    case DMDRV_HELP: return true;
    default: return false;
  }
}

// Requests whose answer waits for the user.
bool waits_for_user(int32_t code) { return code == DMDRV_DO || code == DMDRV_POPUP; }

// Counts a response skipped while an answer is awaited; false (the
// connection closed) beyond the limit.
bool skip_status(DrvClient* c, const DrvResponse& r, int* skipped) {
  if (r.code == DMDRV_STATUS) keep_pending(c, r.status);
  if (++*skipped <= DRV_MAX_SKIPPED_STATUS) return true;
  debug_printf('G', 0, "drv_recv: the server sent more than %d status responses for one request",
               static_cast<int>(DRV_MAX_SKIPPED_STATUS));
  broken(c);
  return false;
}

// The status of a status response, else 36.
int status_of(int rc, const DrvResponse& r) {
  if (rc != 0) return rc;
  if (r.code != DMDRV_STATUS) {
    debug_printf('G', 0, "unexpected response %ld, status expected", static_cast<long>(r.code));
    return DRV_ERR_PROTOCOL;
  }
  return r.status;
}

}  // namespace

int drv_start(DrvClient* c, const char* name, const char* spec_text, int buffer_length,
              const std::vector<std::string>& extra) {
  if (c->active) {
    if (name && c->name == name) return DRV_OK;
    debug_printf('G', 0, "driver %s is active", c->name.c_str());
    return DRV_ERR_START;
  }
  if (!name || !*name || std::strlen(name) > DRV_NAME_MAX) return DRV_ERR_START;
  if (buffer_length <= 0) return DRV_ERR_MEMORY;
  std::string spec = spec_text ? spec_text : "";
  if (spec.empty() || spec == "@") {
    debug_printf('G', 0, "no driver specified");
    return DRV_ERR_START;
  }
  try {
    c->buffer.assign(static_cast<size_t>(buffer_length) + DRV_BUFFER_EXTRA, 0);
  } catch (const std::bad_alloc&) {
    return DRV_ERR_MEMORY;
  }
  c->buffer_size = c->buffer.size();

  Route route = take_route(spec);
  std::string configured = zell_ini_get(c->ini_path, spec.c_str(), "dlg", "");
  if (!configured.empty()) {
    if (configured.size() > DRV_SPEC_MAX) {
      debug_printf('G', 0, "[%s] dlg exceeds maximum", spec.c_str());
      return DRV_ERR_START;
    }
    spec = configured;
    route = take_route(spec);
  }
  int sock = route == ROUTE_REVERSE ? open_reverse(c, spec, extra) : open_direct(c, spec);
  if (sock < 0) return DRV_ERR_START;
  c->active = true;
  c->name = name;
  c->sock = sock;
  c->async_mode = 0;
  c->pending = 0;
  return DRV_OK;
}

int drv_stop(DrvClient* c, const char* name) {
  if (!named(c, name)) return DRV_ERR_NAME;
  tcp_close(c->sock);
  c->sock = -1;
  c->active = false;
  c->name.clear();
  c->async_mode = 0;
  return DRV_OK;
}

int drv_exchange(DrvClient* c, const char* name, const DrvRequest& request, DrvResponse* r) {
  if (!named(c, name)) return DRV_ERR_NAME;
  if (c->sock < 0) return DRV_ERR_BROKEN;
  std::vector<unsigned char> frame;
  int rc = drv_hton(request, c->buffer_size, frame);
  if (rc != 0) return rc;
  if (tcp_send(c->sock, frame.data(), frame.size()) != 0) return broken(c);
  int64_t deadline = waits_for_user(request.code) ? 0 : deadline_after(c->answer_timeout_ms);

  if (c->async_mode != 0 && answered_later(request.code)) {
    int ready = tcp_poll(c->sock);
    if (ready < 0) return broken(c);
    if (ready == 0) {
      *r = DrvResponse{};
      r->code = DMDRV_STATUS;
      return DRV_OK;
    }
    rc = receive(c, r, deadline);
    if (rc == 0 && r->code == DMDRV_STATUS) {
      keep_pending(c, r->status);
      r->status = 0;
    }
    return rc;
  }

  rc = receive(c, r, deadline);
  int skipped = 0;
  if (request.code == DMDRV_ASYNC) {
    while (rc == 0 && r->code != DMDRV_ASYNC) {
      if (!skip_status(c, *r, &skipped)) return DRV_ERR_BROKEN;
      rc = receive(c, r, deadline);
    }
  } else if (c->async_mode != 0 && request.code != DMDRV_DO) {
    while (rc == 0 && r->code == DMDRV_STATUS) {
      if (!skip_status(c, *r, &skipped)) return DRV_ERR_BROKEN;
      rc = receive(c, r, deadline);
    }
  } else if (rc == 0 && r->code == DMDRV_STATUS && r->status != 0) {
    debug_printf('G', 1, "DMDRV_STATUS = %d", static_cast<int>(r->status));
  }
  return rc;
}

int drv_async(DrvClient* c, const char* name, int32_t mode) {
  DrvRequest q;
  q.code = DMDRV_ASYNC;
  q.number = mode;
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  if (rc != 0) return rc;
  c->async_mode = r.status;
  return DRV_OK;
}

int drv_pending_status(DrvClient* c, const char* name) {
  if (!named(c, name)) return DRV_ERR_NAME;
  int32_t status = c->pending;
  c->pending = 0;
  return status == 0 ? 0 : status + DRV_ASYNC_STATUS_BIAS;
}

int drv_driver_stop(DrvClient* c, const char* name) {
  DrvRequest q;
  q.code = DMDRV_STOP;
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  return status_of(rc, r);
}

int drv_set(DrvClient* c, const char* name, const char* path, const DrvValue& value) {
  DrvRequest q;
  q.code = DMDRV_SET;
  q.path = path ? path : "";
  q.value = value;
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  return status_of(rc, r);
}

int drv_new(DrvClient* c, const char* name, const char* path, const char* cls) {
  DrvRequest q;
  q.code = DMDRV_NEW;
  q.path = path ? path : "";
  q.name = cls ? cls : "";
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  return status_of(rc, r);
}

int drv_delete(DrvClient* c, const char* name, const char* path) {
  DrvRequest q;
  q.code = DMDRV_DEL;
  q.path = path ? path : "";
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  return status_of(rc, r);
}

int drv_rule(DrvClient* c, const char* name, const char* rule, const char* path, int argc, const DrvValue* args,
             DrvValue* result) {
  if (argc < 0 || argc > DRV_MAX_ARGS) return DRV_ERR_PROTOCOL;
  DrvRequest q;
  q.code = DMDRV_RULE;
  q.name = rule ? rule : "";
  q.path = path ? path : "";
  q.argc = argc;
  for (int i = 0; i < argc; ++i) q.args[i] = args[i];
  DrvResponse r;
  int rc = drv_exchange(c, name, q, &r);
  if (rc != 0) return rc;
  if (r.code != DMDRV_RULE) {
    debug_printf('G', 0, "DMDRV_RULE: unexpected response %ld", static_cast<long>(r.code));
    return DRV_ERR_PROTOCOL;
  }
  if (result) *result = r.value;
  return r.status;
}

int runsrv_request(const char* host, const char* service, const char* type, const std::string& data,
                   std::string* text) {
  size_t length = 4 + 4 + data.size() + 1;
  if (length > RUNSRV_MAX) {
    debug_printf('G', 0, "Commandline exceeds maximum");
    return -1;
  }
  std::vector<unsigned char> frame(length, 0);
  drv_put_word(frame.data(), static_cast<uint32_t>(length));
  std::memcpy(frame.data() + 4, type, std::min<size_t>(std::strlen(type), 3));
  std::memcpy(frame.data() + 8, data.data(), data.size());

  debug_printf('G', 1, "runsrv: connecting host %s:%s", host, service);
  int sock = tcp_connect(host, service);
  if (sock < 0) return 22;
  unsigned char head[4];
  if (tcp_send(sock, frame.data(), frame.size()) != 0 || tcp_recv(sock, head, sizeof head) != 0) {
    debug_printf('G', 0, "runsrv: no reply");
    tcp_close(sock);
    return -1;
  }
  uint32_t reply_length = drv_get_word(head);
  if (reply_length < 4 || reply_length > RUNSRV_MAX) {
    debug_printf('G', 0, "runsrv: bad reply length = %lu", static_cast<unsigned long>(reply_length));
    tcp_close(sock);
    return -1;
  }
  std::string reply(reply_length - 4, '\0');
  int rc = reply.empty() ? 0 : tcp_recv(sock, reply.data(), reply.size());
  tcp_close(sock);
  if (rc != 0) {
    debug_printf('G', 0, "runsrv: no reply");
    return -1;
  }
  reply.resize(std::strlen(reply.c_str()));
  const char* start = reply.c_str();
  char* end = nullptr;
  long status = std::strtol(start, &end, 10);
  if (end == start || status < INT32_MIN || status > INT32_MAX) {
    debug_printf('G', 0, "runsrv: reply without a status: %.255s", start);
    return -1;
  }
  if (text) *text = reply;
  if (status != 0) debug_printf('G', 0, "runsrv: %.255s", start);
  return static_cast<int>(status);
}
