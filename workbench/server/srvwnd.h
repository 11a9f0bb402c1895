// The hidden window of one server connection: a socket notifier turns
// readiness into the socket message (0x715, event in the low and error in
// the high half), a cancelled exchange posts the wake-up message (0x716),
// and timer 1 counts the connection's idle time down once a second.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include "workbench/framework/fwtimers.h"

class SrvConn;

// Socket events in the classic numbering.
enum : int { SRV_FD_READ = 1, SRV_FD_ACCEPT = 8, SRV_FD_CLOSE = 32 };

class SrvWnd : public QObject {
 public:
  explicit SrvWnd(SrvConn* conn);
  ~SrvWnd() override;

  // The connection is going: no more events or ticks reach it.
  void Detach();
  // Watches the connection's socket (listening: accept events).
  void Watch(bool enable, bool listening = false);
  bool Watching() const { return notifier_ && notifier_->isEnabled(); }
  void SetTimeout(uint32_t seconds) {
    timeout_ = seconds;
    countdown_ = seconds;
  }
  void Restart() { countdown_ = timeout_; }
  uint32_t Countdown() const { return countdown_; }
  // One tick of timer 1.
  void Tick();
  // Handles one socket message.
  void OnSocket(int event, int error);
  // Ends every nested wait whose exchange is complete or cancelled.
  static void WakeWaits();

 protected:
  void customEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void Activated();

  SrvConn* conn_;
  QSocketNotifier* notifier_ = nullptr;
  int watched_fd_ = -1;
  bool listening_ = false;
  uint32_t timeout_ = 0;
  uint32_t countdown_ = 0;
  FwTimers timers_{this};
};
