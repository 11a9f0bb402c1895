// The connections of the program-server link: one TCP connection per host
// and service (or per debug session), opened and logged in on demand,
// closed after an idle time-out and reopened by the next request. All
// connections form one list; everything runs on the GUI thread, with the
// connection's window (SrvWnd) receiving socket events, wake-ups and the
// one-second timer.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/server/srvcodec.h"

class SrvQueue;
class SrvWnd;

class SrvConn {
 public:
  enum : uint16_t {
    SrvConn_DEBUG = 1,
    SrvConn_ACTIVE = 4,
    SrvConn_STARTUP = 8,
    SrvConn_ASYNC = 16,
    SrvConn_LOGGED_IN = 32,
  };
  // The default idle time-out (seconds) when the server entry has none.
  enum : uint32_t { DefaultTimeout = 300 };

  // An exchange on the first non-debug connection to host and service, or
  // on a new one (opened and logged in); null when it cannot be opened.
  static SrvQueue* Connect(const char* host, const char* service, const char* login, const char* password);
  static SrvQueue* DebugConnect(const char* host, const char* service, const char* login, const char* password);
  // A listening debug connection on port 0; the exchange waits to Accept.
  static SrvQueue* DebugListen(bool use_host_address);
  static bool AnyActive();
  static bool AnyPending();
  // Asks to retry or cancel the exchanges of a context (0: all); true when
  // any existed.
  static bool CancelAll(uint32_t context);
  static void CloseAll();
  static bool Initialize();
  static void Cleanup();
  // Status-bar message text (the windowed environment installs one).
  using StatusHook = void (*)(const char* text);
  static void SetStatusHook(StatusHook hook);
  static void Status(const char* text);
  // How long the synchronous greeting and login wait for a reply (ms).
  static int startup_wait_ms;

  static SrvConn* conn_head;
  static SrvConn* conn_tail;
  static bool initialized;

  SrvConn();
  ~SrvConn();
  SrvConn(const SrvConn&) = delete;
  SrvConn& operator=(const SrvConn&) = delete;

  bool Reconnect();
  bool SetupListen(bool use_host_address);
  bool Accept();
  bool AsyncSelect(bool enable);
  void SetTimeout(uint32_t seconds);
  // Reads on in the reply being eaten: RECV_DONE when one was thrown away.
  int Eat();
  void Close();
  void Shutdown();
  bool StartupTransaction();
  // A peer that closed: waiting exchanges fail with a report, the
  // connection is closed. A debug session's target that closes between two
  // messages has ended its program: that is traced, not reported.
  void ClosedByPeer();
  // True for a debug session's connection past its start-up (greeting and
  // login): its target closes it when the program ends.
  bool EndsWithProgram() const { return (flags & SrvConn_DEBUG) && !(flags & SrvConn_STARTUP); }
  // "host=\"%s\", service=\"%s\"" (or only the part that is set).
  std::string Describe() const;
  bool CreateWindow();

  SrvConn* prev = nullptr;
  SrvConn* next = nullptr;
  SrvQueue* queue_head = nullptr;
  SrvQueue* queue_tail = nullptr;
  uint32_t counter = 0;
  uint32_t eat_count = 0;
  SrvFrameReader eat_reader{SRV_MESSAGE_MAX, true};
  std::string host, service, login, password;
  int sock = -1;
  SrvWnd* wnd = nullptr;
  uint32_t timeout = DefaultTimeout;
  uint16_t flags = 0;

 private:
  void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Closes the socket with SO_LINGER on (the peer sees a reset) or off and
  // leaves the connection inactive; `verb` names the act in the report.
  void EndSocket(bool linger, const char* verb);
};
