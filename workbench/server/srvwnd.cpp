#include "workbench/server/srvwnd.h"

#include <sys/socket.h>

#include <cerrno>

#include <QTimerEvent>

#include "platform/netsock.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/base/diag.h"

SrvWnd::SrvWnd(SrvConn* conn) : conn_(conn) {
  Fw_RegisterMessages();
  timers_.SetTimer(1, 1000);
}

SrvWnd::~SrvWnd() { timers_.KillAll(); }

void SrvWnd::Detach() {
  Watch(false);
  delete notifier_;
  notifier_ = nullptr;
  timers_.KillAll();
  conn_ = nullptr;
}

void SrvWnd::Watch(bool enable, bool listening) {
  if (enable && conn_ && conn_->sock >= 0) {
    if (!notifier_ || watched_fd_ != conn_->sock) {
      delete notifier_;
      notifier_ = new QSocketNotifier(static_cast<qintptr>(conn_->sock), QSocketNotifier::Read, this);
      watched_fd_ = conn_->sock;
      QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { Activated(); });
    }
    listening_ = listening;
    notifier_->setEnabled(true);
  } else if (notifier_) {
    notifier_->setEnabled(false);
    if (!conn_ || watched_fd_ != conn_->sock) {
      notifier_->deleteLater();
      notifier_ = nullptr;
      watched_fd_ = -1;
    }
  }
}

// Readiness becomes the socket message: accept on a listening socket, read
// while bytes wait, close when the peer has gone, an error with its code.
void SrvWnd::Activated() {
  if (!conn_ || conn_->sock < 0) return;
  if (listening_) {
    Fw_SendMessage(this, FW_MSG_SOCKET, conn_->sock, SRV_FD_ACCEPT);
    return;
  }
  char probe;
  ssize_t n = recv(conn_->sock, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0)
    Fw_SendMessage(this, FW_MSG_SOCKET, conn_->sock, SRV_FD_READ);
  else if (n == 0)
    Fw_SendMessage(this, FW_MSG_SOCKET, conn_->sock, SRV_FD_CLOSE);
  else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
    Fw_SendMessage(this, FW_MSG_SOCKET, conn_->sock, SRV_FD_READ | errno << 16);
}

void SrvWnd::customEvent(QEvent* event) {
  auto* m = dynamic_cast<FwMessage*>(event);
  if (!m) return;
  if (m->Id() == FW_MSG_SOCKET) {
    if (conn_ && m->wparam == conn_->sock)
      OnSocket(static_cast<int>(m->lparam & 0xFFFF), static_cast<int>(m->lparam >> 16));
    WakeWaits();
  } else if (m->Id() == FW_MSG_WAKEUP) {
    WakeWaits();
  }
}

void SrvWnd::OnSocket(int event, int error) {
  SrvConn* c = conn_;
  if (error != 0) {
    if (error != ECONNABORTED && error != ECONNRESET)
      Diag_GeneralFailure("Socket operation failed (evnt=%d):\n%s\n%s", event, Net_ErrorText(error).c_str(),
                          c->Describe().c_str());
    c->ClosedByPeer();
    Restart();
    return;
  }
  if (event == SRV_FD_READ) {
    // A reply already being read goes on first; then the replies of
    // cancelled exchanges are eaten; then the oldest waiting exchange reads.
    SrvQueue* target = nullptr;
    for (SrvQueue* q = c->queue_head; q; q = q->next)
      if ((q->flags & SrvQueue::SrvQueue_RECV_WAIT) && q->reader.Started()) target = q;
    if (!target && (c->eat_count > 0 || c->eat_reader.Started())) {
      int rc = c->Eat();
      if (rc == SrvQueue::RECV_FAILED) c->Shutdown();
      Restart();
      return;
    }
    if (!target)
      for (SrvQueue* q = c->queue_head; q && !target; q = q->next)
        if (q->flags & SrvQueue::SrvQueue_RECV_WAIT) target = q;
    if (!target && c->queue_head) {
      // A further reply of an exchange that has not asked for it yet
      // (Continue): it waits in the socket until then.
      Diag_Trace('N', 2, "Reply waits for its exchange (%s)", c->Describe().c_str());
      c->AsyncSelect(false);
      Restart();
      return;
    }
    if (!target) {
      Diag_GeneralFailure("Internal error: FD_READ unexpected.\n%s", c->Describe().c_str());
      c->Close();
      Restart();
      return;
    }
    SrvQueue::RecvResult rc = target->Receive();
    if (rc == SrvQueue::RECV_FAILED) c->Shutdown();
    if (rc == SrvQueue::RECV_MORE) c->AsyncSelect(true);
  } else if (event == SRV_FD_ACCEPT) {
    SrvQueue* waiting = nullptr;
    for (SrvQueue* q = c->queue_head; q && !waiting; q = q->next)
      if (q->flags & SrvQueue::SrvQueue_ACCEPT_WAIT) waiting = q;
    if (!waiting) {
      Diag_GeneralFailure("Internal error: FD_ACCEPT unexpected.\n%s", c->Describe().c_str());
      c->Close();
    } else {
      bool ok = c->Accept();
      waiting->flags &= static_cast<uint16_t>(~(SrvQueue::SrvQueue_BUSY | SrvQueue::SrvQueue_ACCEPT_WAIT));
      waiting->flags |= ok ? SrvQueue::SrvQueue_SUCCESS : SrvQueue::SrvQueue_CANCELLED;
      if (!ok) c->Close();
    }
  } else if (event == SRV_FD_CLOSE) {
    int readable = 0;
    if (int err = Net_Readable(c->sock, &readable)) {
      Diag_GeneralFailure("SrvWnd::WindowProc() failed on ioctlsocket():\n%s\n%s", Net_ErrorText(err).c_str(),
                          c->Describe().c_str());
      c->ClosedByPeer();
    } else if (readable > 0) {
      Diag_Trace('N', 2, "Connection closed by remote host: ignored (%s)", c->Describe().c_str());
    } else {
      Diag_Trace('N', 1, "Connection closed by remote host (%s)", c->Describe().c_str());
      c->ClosedByPeer();
    }
  } else {
    Diag_GeneralFailure("Internal error: evnt=%d unexpected.\n%s", event, c->Describe().c_str());
    c->Close();
  }
  Restart();
}

void SrvWnd::timerEvent(QTimerEvent* event) {
  if (timers_.IdOf(event->timerId()) == 1) {
    Tick();
    WakeWaits();
  }
}

void SrvWnd::Tick() {
  SrvConn* c = conn_;
  if (c && (c->flags & SrvConn::SrvConn_ACTIVE) && !c->queue_head && timeout_ != 0) {
    if (countdown_ > 0) --countdown_;
    if (countdown_ == 0) {
      Diag_Trace('N', 1, "SrvWnd::WindowProc(WM_TIMER) connection timed out (%s)", c->Describe().c_str());
      c->Close();
      countdown_ = timeout_;
    }
  } else {
    countdown_ = timeout_;
  }
}
