#include "workbench/server/srvconn.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>

#include "platform/netsock.h"
#include "workbench/server/srvqueue.h"
#include "workbench/server/srvrequests.h"
#include "workbench/server/srvwnd.h"
#include "workbench/base/diag.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

SrvConn* SrvConn::conn_head = nullptr;
SrvConn* SrvConn::conn_tail = nullptr;
bool SrvConn::initialized = false;
int SrvConn::startup_wait_ms = 30000;

namespace {

SrvConn::StatusHook g_status_hook = nullptr;
const char kIdleText[] = "Ready";

// The server link as the shell sees it: the network pane and the main
// frame's questions at closing.
class SrvLink : public ServerLink {
 public:
  bool Plugged() const override { return true; }
  bool AnyActive() const override { return SrvConn::AnyActive(); }
  bool AnyPending() const override { return SrvConn::AnyPending(); }
  void CloseAll() override { SrvConn::CloseAll(); }
  void CancelAll() override { SrvConn::CancelAll(0); }
};
SrvLink g_link;

std::string vformat(const char* format, va_list args) {
  char text[DIAG_MESSAGE_MAX];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}

}  // namespace

void SrvConn::SetStatusHook(StatusHook hook) { g_status_hook = hook; }

void SrvConn::Status(const char* text) {
  if (g_status_hook) g_status_hook(text);
}

void SrvConn::Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  Diag_GeneralFailure("%s", text.c_str());
}

bool SrvConn::Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  Diag_GeneralFailure("%s", text.c_str());
  Status(kIdleText);
  return false;
}

// ------------------------------------------------------------ the list

SrvConn::SrvConn() {
  if (!conn_head) Initialize();
  prev = conn_tail;
  if (prev)
    prev->next = this;
  else
    conn_head = this;
  conn_tail = this;
}

SrvConn::~SrvConn() {
  if (flags & SrvConn_ACTIVE) Shutdown();
  if (wnd) {
    wnd->Detach();
    wnd->deleteLater();
    wnd = nullptr;
  }
  while (queue_head) {
    SrvQueue* q = queue_head;
    flags = static_cast<uint16_t>(flags & ~SrvConn_DEBUG);  // its exchanges go with it, not the other way
    delete q;
  }
  if (prev) {
    prev->next = next;
  } else {
    SYS_ASSERT(SrvConn::conn_head == this);
    conn_head = next;
  }
  if (next) {
    next->prev = prev;
  } else {
    SYS_ASSERT(SrvConn::conn_tail == this);
    conn_tail = prev;
  }
  if (!conn_head) {
    SYS_ASSERT(!SrvConn::conn_tail);
    Cleanup();
  }
}

bool SrvConn::Initialize() {
  if (initialized) return true;
  initialized = true;
  Diag_Trace('N', 1, "SrvConn::Initialize(): POSIX sockets");
  Shell_Neighbours().server = &g_link;
  static bool hooked = false;
  if (!hooked && QCoreApplication::instance()) {
    hooked = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { SrvConn::CloseAll(); });
  }
  return true;
}

void SrvConn::Cleanup() { initialized = false; }

bool SrvConn::AnyActive() {
  for (SrvConn* c = conn_head; c; c = c->next)
    if (c->flags & SrvConn_ACTIVE) return true;
  return false;
}

bool SrvConn::AnyPending() {
  for (SrvConn* c = conn_head; c; c = c->next)
    if (c->queue_head) return true;
  return false;
}

bool SrvConn::CancelAll(uint32_t context) {
  bool any = false;
  for (SrvConn* c = conn_head; c; c = c->next)
    for (SrvQueue* q = c->queue_head; q; q = q->next)
      if (context == 0 || q->context == context) any = true;
  if (!any) return false;
  int answer = Shell_Sink().message_box(Shell_OwnerWindow(), "Transactions Still Running",
                                        "Some client/server transactions have not completed.\n"
                                        "Press \"Retry\" to give them a chance to finish,\n"
                                        "press \"Cancel\" to abort the transactions.",
                                        SHELL_MB_RETRYCANCEL | SHELL_MB_ICONEXCLAMATION);
  if (answer == SHELL_IDRETRY) return true;
  for (SrvConn* c = conn_head; c; c = c->next)
    for (SrvQueue* q = c->queue_head; q; q = q->next)
      if ((context == 0 || q->context == context) && (q->flags & SrvQueue::SrvQueue_BUSY)) q->Cancel();
  SrvWnd::WakeWaits();
  return true;
}

void SrvConn::CloseAll() {
  while (conn_head) {
    SrvConn* c = conn_head;
    c->Shutdown();
    SrvWnd::WakeWaits();
    delete c;
  }
}

std::string SrvConn::Describe() const {
  std::string out;
  if (!host.empty()) out = "host=\"" + host + "\"";
  if (!service.empty()) out += (out.empty() ? "" : ", ") + std::string("service=\"") + service + "\"";
  return out;
}

// ------------------------------------------------------------ opening

SrvQueue* SrvConn::Connect(const char* host_name, const char* service_name, const char* login_name, const char* pw) {
  SYS_ASSERT(host_name);
  SYS_ASSERT(service_name);
  SYS_ASSERT(login_name);
  SYS_ASSERT(pw);
  for (SrvConn* c = conn_head; c; c = c->next) {
    if ((c->flags & SrvConn_DEBUG) || c->host != host_name || c->service != service_name) continue;
    // Another user on an idle connection: close it, so that the next
    // request logs in as that user.
    if ((c->login != login_name || c->password != pw) && !c->queue_head && (c->flags & SrvConn_ACTIVE)) c->Close();
    c->login = login_name;
    c->password = pw;
    return new SrvQueue(c);
  }
  SrvConn* c = new SrvConn;
  c->host = host_name;
  c->service = service_name;
  c->login = login_name;
  c->password = pw;
  if (!c->Reconnect()) {
    delete c;
    return nullptr;
  }
  uint32_t seconds = DefaultTimeout;
  std::string entry = Cfg_ListFind("Server", host_name);
  if (!entry.empty()) Cfg_GetInt(entry.c_str(), "Timeout", &seconds);
  c->SetTimeout(seconds);
  return new SrvQueue(c);
}

SrvQueue* SrvConn::DebugConnect(const char* host_name, const char* service_name, const char* login_name,
                                const char* pw) {
  SYS_ASSERT(host_name);
  SYS_ASSERT(service_name);
  SYS_ASSERT(login_name);
  SYS_ASSERT(pw);
  SrvConn* c = new SrvConn;
  c->flags = SrvConn_DEBUG;
  c->host = host_name;
  c->service = service_name;
  c->login = login_name;
  c->password = pw;
  if (!c->Reconnect()) {
    delete c;
    return nullptr;
  }
  return new SrvQueue(c);
}

SrvQueue* SrvConn::DebugListen(bool use_host_address) {
  SrvConn* c = new SrvConn;
  c->flags = SrvConn_DEBUG;
  if (!c->SetupListen(use_host_address)) {
    delete c;
    return nullptr;
  }
  SrvQueue* q = new SrvQueue(c);
  q->flags |= SrvQueue::SrvQueue_BUSY | SrvQueue::SrvQueue_ACCEPT_WAIT;
  return q;
}

bool SrvConn::CreateWindow() {
  if (!wnd) wnd = new SrvWnd(this);
  return wnd != nullptr;
}

bool SrvConn::Reconnect() {
  if (!initialized) {
    Report("Communication software has not been setup.\n%s\nContext: %s", Describe().c_str(), "SrvConn::Reconnect()");
    return false;
  }
  // Host and service come from paths in files and from the server list, so
  // a missing one is the user's to mend, not a broken invariant.
  if (host.empty()) {
    Report("Unable to connect to server:\nThe path names no server.\n%s", Describe().c_str());
    return false;
  }
  if (service.empty()) {
    Report("Unable to connect to server:\nNo service is set for server \"%s\" in the server list.\n%s", host.c_str(),
           Describe().c_str());
    return false;
  }
  if (flags & SrvConn_ACTIVE) return true;
  if ((flags & SrvConn_DEBUG) && (flags & SrvConn_LOGGED_IN)) {
    Report("The network connection has been closed unexpectedly.\n%s", Describe().c_str());
    return false;
  }
  flags &= SrvConn_DEBUG;
  eat_count = 0;
  eat_reader.Reset(SRV_MESSAGE_MAX, true);
  char text[1024];
  std::snprintf(text, sizeof text, "Trying to connect to %s:%s...", host.c_str(), service.c_str());
  Status(text);

  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  if (std::isdigit(static_cast<unsigned char>(service[0]))) {
    long port = std::strtol(service.c_str(), nullptr, 10);
    if (port <= 0 || port > 65535)
      return Fail("Unable to connect to server (1):\nInvalid port number.\n%s", Describe().c_str());
    addr.sin_port = htons(static_cast<uint16_t>(port));
  } else {
    struct servent* se = getservbyname(service.c_str(), "tcp");
    if (!se)
      return Fail("Unable to connect to server (2):\nService \"%s/tcp\" not found in your \"services\" file.\n%s",
                  service.c_str(), Describe().c_str());
    addr.sin_port = static_cast<in_port_t>(se->s_port);
  }
  if (std::isdigit(static_cast<unsigned char>(host[0]))) {
    if (inet_aton(host.c_str(), &addr.sin_addr) == 0)
      return Fail("Unable to connect to server (3):\nInvalid host address.\n%s", Describe().c_str());
  } else {
    addrinfo hints{}, *found = nullptr;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
      return Fail(
          "Unable to connect to server (4):\nHost \"%s\" not found in your \"hosts\" file\nor DNS lookup "
          "failed.\n%s",
          host.c_str(), Describe().c_str());
    addr.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
  }
  sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sock < 0)
    return Fail("Unable to connect to server (5):\n%s\n%s", Net_ErrorText(errno).c_str(), Describe().c_str());
  flags |= SrvConn_ACTIVE;
  int rc;
  do {
    rc = connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    Close();
    return Fail("Unable to connect to server (6):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  }
  sockaddr_in local{};
  socklen_t len = sizeof local;
  if (getsockname(sock, reinterpret_cast<sockaddr*>(&local), &len) != 0) {
    int err = errno;
    Close();
    return Fail("Unable to connect to server (7):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  }
  std::snprintf(text, sizeof text, "Connected to %s:%s", host.c_str(), service.c_str());
  Status(text);
  if (int err = Net_SetNoDelay(sock)) Diag_Trace('N', 1, "TCP_NODELAY failed: %s", Net_ErrorText(err).c_str());
  if (!CreateWindow()) {
    Close();
    Status(kIdleText);
    return false;
  }
  wnd->SetTimeout(timeout);
  if (!StartupTransaction()) {
    Close();
    Status(kIdleText);
    return false;
  }
  return true;
}

bool SrvConn::StartupTransaction() {
  flags |= SrvConn_STARTUP;
  SrvQueue* q = new SrvQueue(this);
  try {
    q->flags |= SrvQueue::SrvQueue_STARTUP;
    std::memcpy(q->PutRaw(8), SRV_GREETING_MAGIC, 8);
    q->PutShort(SRV_PROTOCOL_REVISION);
    q->PutShort(SRV_BYTE_ORDER_MARK);
    q->PutString(SRV_CLIENT_PLATFORM);
    q->PutString(SRV_CLIENT_CODESET);
    q->Go();
    if (q->GetShort() != 0) {
      const char* message = q->GetString();
      Report("Unable to establish connection [1]:\n%s\n%s", message, Describe().c_str());
      delete q;
      flags &= static_cast<uint16_t>(~SrvConn_STARTUP);
      return false;
    }
    std::string cipher = EncryptString(password.c_str(), q->GetString());
    delete q;
    q = new SrvQueue(this);
    q->flags |= SrvQueue::SrvQueue_STARTUP;
    q->PutShort(SRV_REQ_LOGIN);
    q->PutString(login.c_str());
    q->PutString(cipher.c_str());
    q->Go();
    if (q->GetShort() == 0) {
      delete q;
      flags &= static_cast<uint16_t>(~SrvConn_STARTUP);
      flags |= SrvConn_LOGGED_IN;
      return true;
    }
    const char* message = q->GetString();
    Report("Unable to establish connection [2]:\n%s\n%s", message, Describe().c_str());
  } catch (const CUserException&) {
  }
  delete q;
  flags &= static_cast<uint16_t>(~SrvConn_STARTUP);
  return false;
}

// ------------------------------------------------------------ listening

bool SrvConn::SetupListen(bool use_host_address) {
  SYS_ASSERT(!(flags & SrvConn_ACTIVE));
  SYS_ASSERT(host.empty() && service.empty());
  in_addr address{};
  address.s_addr = htonl(INADDR_LOOPBACK);
  if (use_host_address) {
    char name[256];
    if (gethostname(name, sizeof name) != 0)
      return Fail("Unable to setup listen socket (1):\n%s", Net_ErrorText(errno).c_str());
    addrinfo hints{}, *found = nullptr;
    hints.ai_family = AF_INET;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found)
      return Fail(
          "Unable to setup listen socket (2):\nHost \"%s\" not found in your \"hosts\" file\nor DNS lookup "
          "failed.\n%s",
          name, Describe().c_str());
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
  }
  const uint8_t* a = reinterpret_cast<const uint8_t*>(&address.s_addr);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
  host = text;
  sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sock < 0)
    return Fail("Unable to setup listen socket (3):\n%s\n%s", Net_ErrorText(errno).c_str(), Describe().c_str());
  flags |= SrvConn_ACTIVE;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  // The loopback case listens on 127.0.0.1 only: no other machine can
  // take the call-back meant for our own run-time.
  addr.sin_addr.s_addr = address.s_addr;
  if (bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    Close();
    return Fail("Unable to setup listen socket (4):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  }
  socklen_t len = sizeof addr;
  if (getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    int err = errno;
    Close();
    return Fail("Unable to setup listen socket (5):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  }
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(ntohs(addr.sin_port)));
  service = text;
  if (listen(sock, 1) != 0) {
    int err = errno;
    Close();
    return Fail("Unable to setup listen socket (6):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  }
  if (!CreateWindow()) {
    Close();
    return Fail("Unable to setup listen socket (7):\n%s\n%s", "window", Describe().c_str());
  }
  wnd->SetTimeout(timeout);
  wnd->Watch(true, true);
  flags |= SrvConn_ASYNC;
  return true;
}

bool SrvConn::Accept() {
  if (!(flags & SrvConn_ACTIVE)) {
    Report("SrvConn::Accept() failed:\nConnection is inactive.\n%s", Describe().c_str());
    return false;
  }
  sockaddr_in peer{};
  socklen_t len = sizeof peer;
  int fd = accept4(sock, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
  if (fd < 0) {
    Report("Unable to accept new connection (1):\n%s\n%s", Net_ErrorText(errno).c_str(), Describe().c_str());
    return false;
  }
  const uint8_t* a = reinterpret_cast<const uint8_t*>(&peer.sin_addr.s_addr);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
  host = text;
  if (wnd) wnd->Watch(false);
  if (int err = Net_SetLinger(sock, false, 0))
    Report("Unable to accept new connection (2):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
  if (close(sock) != 0)
    Report("Unable to accept new connection (3):\n%s\n%s", Net_ErrorText(errno).c_str(), Describe().c_str());
  sock = fd;
  flags &= static_cast<uint16_t>(~SrvConn_ASYNC);
  if (int err = Net_SetNoDelay(sock)) Diag_Trace('N', 1, "TCP_NODELAY failed: %s", Net_ErrorText(err).c_str());
  return true;
}

// ------------------------------------------------------------ switching, eating, closing

bool SrvConn::AsyncSelect(bool enable) {
  if (flags & SrvConn_STARTUP) return true;
  if (!(flags & SrvConn_ACTIVE)) {
    Report("SrvConn::AsyncSelect() failed:\nConnection is inactive.\n%s", Describe().c_str());
    return false;
  }
  if (!wnd) {
    Report(enable ? "Unable to enable async mode:\n%s\n%s" : "Unable to disable async mode (1):\n%s\n%s", "no window",
           Describe().c_str());
    Shutdown();
    return false;
  }
  wnd->Watch(enable);
  if (enable)
    flags |= SrvConn_ASYNC;
  else
    flags &= static_cast<uint16_t>(~SrvConn_ASYNC);
  return true;
}

void SrvConn::SetTimeout(uint32_t seconds) {
  timeout = seconds;
  if (wnd) wnd->SetTimeout(seconds);
}

int SrvConn::Eat() {
  if (!(flags & SrvConn_ACTIVE)) {
    Report("Unable to eat server message (1):\nConnection is inactive.\n%s", Describe().c_str());
    return SrvQueue::RECV_FAILED;
  }
  for (;;) {
    size_t room = 0;
    uint8_t* at = eat_reader.Room(&room);
    long got = room == 0 ? 0 : Net_RecvSome(sock, at, room);
    if (room != 0 && got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return SrvQueue::RECV_MORE;
    if (room != 0 && got <= 0) {
      int err = got < 0 ? errno : 0;
      if (err == ECONNRESET)
        Diag_Trace('N', 1, "Connection reset while eating (%s)", Describe().c_str());
      else if (!eat_reader.HaveLength() && err)
        Report("Unable to eat server message (2):\n%s\n%s", Net_ErrorText(err).c_str(), Describe().c_str());
      else if (!eat_reader.HaveLength())
        Report("Unable to eat server message (3):\nConnection closed by remote host.\n%s", Describe().c_str());
      else if (err)
        Report("Unable to eat server message (4):\n%s\n%s, size=%u, received=%u", Net_ErrorText(err).c_str(),
               Describe().c_str(), eat_reader.Length(), eat_reader.Received());
      else
        Report("Unable to eat server message (5):\nConnection closed by remote host.\n%s, size=%u, received=%u",
               Describe().c_str(), eat_reader.Length(), eat_reader.Received());
      return SrvQueue::RECV_FAILED;
    }
    SrvFrameReader::Status st = eat_reader.Took(static_cast<size_t>(got));
    if (st == SrvFrameReader::TOO_LARGE) {
      Report("Unable to eat server message (6):\nMessage size %u exceeds the limit of %u bytes.\n%s",
             eat_reader.Length(), eat_reader.Limit(), Describe().c_str());
      return SrvQueue::RECV_FAILED;
    }
    if (st == SrvFrameReader::DONE) {
      eat_reader.Reset(SRV_MESSAGE_MAX, true);
      if (eat_count > 0) --eat_count;
      Diag_Trace('N', 2, "Reply of a cancelled exchange eaten (%s)", Describe().c_str());
      return SrvQueue::RECV_DONE;
    }
  }
}

void SrvConn::EndSocket(bool linger, const char* verb) {
  if (wnd) wnd->Watch(false);
  if (int err = Net_SetLinger(sock, linger, 0))
    Diag_Trace('N', 1, "SO_LINGER %s failed: %s", linger ? "on" : "off", Net_ErrorText(err).c_str());
  if (close(sock) != 0)
    Report("Unable to %s communication socket:\n%s\n%s", verb, Net_ErrorText(errno).c_str(), Describe().c_str());
  sock = -1;
  flags &= static_cast<uint16_t>(~(SrvConn_ACTIVE | SrvConn_ASYNC));
  eat_count = 0;
  eat_reader.Reset(SRV_MESSAGE_MAX, true);
}

void SrvConn::Close() {
  if (!initialized || !(flags & SrvConn_ACTIVE)) return;
  EndSocket(false, "close");
}

void SrvConn::Shutdown() {
  if (!initialized || !(flags & SrvConn_ACTIVE)) return;
  for (SrvQueue* q = queue_head; q; q = q->next)
    if (q->flags & SrvQueue::SrvQueue_BUSY) q->Cancel();
  EndSocket(true, "shutdown");
}

void SrvConn::ClosedByPeer() {
  for (SrvQueue* q = queue_head; q; q = q->next) {
    if (!(q->flags & SrvQueue::SrvQueue_RECV_WAIT)) continue;
    if (q->reader.HaveLength())
      Report("Unable to receive server message (7):\nConnection closed by remote host.\n%s, size=%u, received=%u",
             q->Describe().c_str(), q->reader.Length(), q->reader.Received());
    else if (EndsWithProgram())
      Diag_Trace('N', 1, "Debug target ended the connection (%s)", q->Describe().c_str());
    else
      Report("Unable to receive server message (3):\nConnection closed by remote host.\n%s", q->Describe().c_str());
    break;
  }
  Shutdown();
}
