#include "workbench/server/srvqueue.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/netsock.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwnestedwait.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvwnd.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"

namespace {

// The nested waits in progress, innermost last.
struct Waiting {
  SrvQueue* queue;
  FwNestedWait* wait;
};
std::vector<Waiting>& waits() {
  static std::vector<Waiting> list;
  return list;
}

}  // namespace

void SrvWnd::WakeWaits() {
  for (Waiting& w : waits())
    if (w.queue && w.queue->flags & (SrvQueue::SrvQueue_SUCCESS | SrvQueue::SrvQueue_CANCELLED)) w.wait->Exit(0);
}

SrvQueue::SrvQueue(SrvConn* conn, uint32_t ctx) : conn_link(conn), context(ctx) {
  if (!conn) return;
  id = ++conn->counter;
  prev = conn->queue_tail;
  if (prev)
    prev->next = this;
  else
    conn->queue_head = this;
  conn->queue_tail = this;
}

SrvQueue::~SrvQueue() {
  for (auto& release : releases_) release();
  for (Waiting& w : waits())
    if (w.queue == this) w.queue = nullptr;
  SrvConn* conn = conn_link;
  if (!conn) return;
  if (prev) {
    prev->next = next;
  } else {
    SYS_ASSERT(conn_link->queue_head == this);
    conn->queue_head = next;
  }
  if (next) {
    next->prev = prev;
  } else {
    SYS_ASSERT(conn_link->queue_tail == this);
    conn->queue_tail = prev;
  }
  if (!conn->queue_head) SYS_ASSERT(!conn_link->queue_tail);
  conn_link = nullptr;
  // The start-up exchanges of a debug connection are not its session.
  if ((conn->flags & SrvConn::SrvConn_DEBUG) && !(conn->flags & SrvConn::SrvConn_STARTUP)) {
    SYS_ASSERT(!conn->queue_head);
    conn->Shutdown();
    delete conn;
  }
}

std::string SrvQueue::Describe() const {
  char text[64];
  std::snprintf(text, sizeof text, ", id=%d, context=0x%lX", static_cast<int>(id), static_cast<unsigned long>(context));
  return (conn_link ? conn_link->Describe() : std::string()) + text;
}

bool SrvQueue::Send(bool one_way) {
  SYS_ASSERT(conn_link);
  SrvConn* conn = conn_link;
  if (!SrvConn::initialized) {
    Diag_GeneralFailure("Communication software has not been setup.\n%s\nContext: %s", conn->Describe().c_str(),
                        "SrvQueue::Send()");
    return false;
  }
  if (send_buf.Failed()) {
    Diag_GeneralFailure("The request cannot be sent:\n%s\n%s", send_buf.FailureText().c_str(), Describe().c_str());
    send_buf.Clear();
    return false;
  }
  if (!(conn->flags & SrvConn::SrvConn_ACTIVE) && !conn->Reconnect()) return false;
  bool was_async = (conn->flags & SrvConn::SrvConn_ASYNC) != 0;
  if (!conn->AsyncSelect(false)) return false;
  const uint8_t* frame = send_buf.Frame();
  size_t size = send_buf.FrameSize(), sent = 0;
  int err = Net_SendAll(conn->sock, frame, size, SRV_IO_CHUNK, &sent);
  if (err != 0) {
    Diag_GeneralFailure("Send call failed:\n%s\n%s, size=%u, sent=%u", Net_ErrorText(err).c_str(), Describe().c_str(),
                        static_cast<unsigned>(size), static_cast<unsigned>(sent));
    conn->Shutdown();
    return false;
  }
  send_buf.Clear();
  if (one_way) {
    if (was_async) conn->AsyncSelect(true);
    return true;
  }
  reader.Reset((flags & SrvQueue_STARTUP) ? SRV_STARTUP_MAX : SRV_MESSAGE_MAX);
  recv_buf.Clear();
  flags |= SrvQueue_BUSY | SrvQueue_RECV_WAIT;
  return true;
}

void SrvQueue::Go() {
  SYS_ASSERT(conn_link);
  SrvConn* conn = conn_link;
  if (!Send(false)) throw CUserException();
  if (conn->flags & SrvConn::SrvConn_STARTUP) {
    if (Receive() != RECV_DONE) {
      conn->Shutdown();
      throw CUserException();
    }
  } else {
    if (!conn->AsyncSelect(true)) throw CUserException();
    Wait();
  }
  if (!(flags & SrvQueue_SUCCESS)) throw CUserException();
}

bool SrvQueue::SendOneWay() { return Send(true); }

void SrvQueue::Continue() {
  SYS_ASSERT(conn_link);
  SrvConn* conn = conn_link;
  recv_buf.Clear();
  reader.Reset(SRV_MESSAGE_MAX);
  flags &= static_cast<uint16_t>(~(SrvQueue_SUCCESS | SrvQueue_CANCELLED));
  flags |= SrvQueue_BUSY | SrvQueue_RECV_WAIT;
  if (!(conn->flags & SrvConn::SrvConn_ACTIVE)) {
    Diag_GeneralFailure("Unable to receive server message (1):\nConnection is inactive.\n%s", Describe().c_str());
    flags &= static_cast<uint16_t>(~(SrvQueue_BUSY | SrvQueue_RECV_WAIT));
    throw CUserException();
  }
  if (!conn->AsyncSelect(true)) throw CUserException();
  Wait();
  if (!(flags & SrvQueue_SUCCESS)) throw CUserException();
}

void SrvQueue::Accept() {
  SYS_ASSERT(flags & SrvQueue_ACCEPT_WAIT);
  Wait();
  if (!(flags & SrvQueue_SUCCESS)) throw CUserException();
}

void SrvQueue::Wait() {
  while (!(flags & (SrvQueue_SUCCESS | SrvQueue_CANCELLED))) {
    FwNestedWait wait;
    waits().push_back({this, &wait});
    wait.Run();
    waits().pop_back();
  }
}

SrvQueue::RecvResult SrvQueue::Receive() {
  SYS_ASSERT(flags & SrvQueue_BUSY);
  SYS_ASSERT(flags & SrvQueue_RECV_WAIT);
  SrvConn* conn = conn_link;
  bool startup = (flags & SrvQueue_STARTUP) != 0;
  flags &= static_cast<uint16_t>(~SrvQueue_STARTUP);
  if (!(conn->flags & SrvConn::SrvConn_ACTIVE)) {
    Diag_GeneralFailure("Unable to receive server message (1):\nConnection is inactive.\n%s", Describe().c_str());
    return RECV_FAILED;
  }
  bool sync = (conn->flags & SrvConn::SrvConn_STARTUP) != 0;
  // The limit runs from the start of the wait: a server that drips its reply
  // a byte at a time does not restart it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SrvConn::startup_wait_ms);
  for (;;) {
    size_t room = 0;
    uint8_t* at = reader.Room(&room);
    if (!at && reader.HaveLength() && reader.Received() < reader.Length()) {
      Diag_GeneralFailure("Unable to receive server message (5):\nOut of memory (size=%u).", reader.Length());
      return RECV_FAILED;
    }
    long got = room == 0 ? 0 : Net_RecvSome(conn->sock, at, room);
    if (room != 0 && got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!sync) return RECV_MORE;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      int rc = left.count() <= 0 ? 0 : Net_WaitReadable(conn->sock, static_cast<int>(left.count()));
      if (rc == 0) {
        Diag_GeneralFailure("Unable to receive server message (9):\nNo reply within %d seconds.\n%s",
                            SrvConn::startup_wait_ms / 1000, Describe().c_str());
        return RECV_FAILED;
      }
      continue;
    }
    if (room != 0 && got <= 0) {
      int err = got < 0 ? errno : 0;
      if (err == ECONNRESET) {
        Diag_Trace('N', 1, "Connection reset while receiving (%s)", Describe().c_str());
      } else if (!reader.HaveLength()) {
        if (!err && conn->EndsWithProgram())
          Diag_Trace('N', 1, "Debug target ended the connection (%s)", Describe().c_str());
        else if (err)
          Diag_GeneralFailure("Unable to receive server message (2):\n%s\n%s", Net_ErrorText(err).c_str(),
                              Describe().c_str());
        else
          Diag_GeneralFailure("Unable to receive server message (3):\nConnection closed by remote host.\n%s",
                              Describe().c_str());
      } else if (err) {
        Diag_GeneralFailure("Unable to receive server message (6):\n%s\n%s, size=%u, received=%u",
                            Net_ErrorText(err).c_str(), Describe().c_str(), reader.Length(), reader.Received());
      } else {
        Diag_GeneralFailure(
            "Unable to receive server message (7):\nConnection closed by remote host.\n%s, size=%u, received=%u",
            Describe().c_str(), reader.Length(), reader.Received());
      }
      return RECV_FAILED;
    }
    SrvFrameReader::Status st = reader.Took(static_cast<size_t>(got));
    if (st == SrvFrameReader::TOO_LARGE) {
      if (startup)
        Diag_GeneralFailure(
            "Unable to receive server message (4):\nMaximum startup message size exceeded.\nPlease check the server "
            "address and port number,\nthere seems to be a foreign server responding.\n%s",
            Describe().c_str());
      else
        Diag_GeneralFailure("Unable to receive server message (8):\nMessage size %u exceeds the limit of %u bytes.\n%s",
                            reader.Length(), reader.Limit(), Describe().c_str());
      return RECV_FAILED;
    }
    if (st == SrvFrameReader::NO_MEMORY) {
      Diag_GeneralFailure("Unable to receive server message (5):\nOut of memory (size=%u).", reader.Length());
      return RECV_FAILED;
    }
    if (st == SrvFrameReader::DONE) break;
  }
  recv_buf.Assign(reader.Take());
  reader.Reset();
  flags &= static_cast<uint16_t>(~(SrvQueue_BUSY | SrvQueue_RECV_WAIT));
  flags |= SrvQueue_SUCCESS;
  if (conn->wnd) conn->wnd->Restart();
  return RECV_DONE;
}

void SrvQueue::Reset() {
  send_buf.Clear();
  recv_buf.Clear();
  reader.Reset();
  flags &= static_cast<uint16_t>(
      ~(SrvQueue_SUCCESS | SrvQueue_CANCELLED | SrvQueue_BUSY | SrvQueue_ACCEPT_WAIT | SrvQueue_RECV_WAIT));
}

void SrvQueue::Cancel() {
  if (!(flags & SrvQueue_BUSY)) return;
  bool receiving = (flags & SrvQueue_RECV_WAIT) != 0;
  flags &= static_cast<uint16_t>(~(SrvQueue_SUCCESS | SrvQueue_BUSY | SrvQueue_ACCEPT_WAIT | SrvQueue_RECV_WAIT));
  flags |= SrvQueue_CANCELLED;
  if (!conn_link) return;
  if (receiving) {
    ++conn_link->eat_count;
    // A reply already half read is eaten from where reading stopped.
    if (reader.Started()) {
      conn_link->eat_reader = reader;
      conn_link->eat_reader.ToDiscard();
    }
  }
  reader.Reset();
  if (conn_link->wnd) Fw_PostMessage(conn_link->wnd, FW_MSG_WAKEUP);
}

void SrvQueue::CheckDecodable() const { SYS_ASSERT(flags & SrvQueue_SUCCESS); }

void SrvQueue::DecodeFailure() {
  Diag_GeneralFailure("%s", Srv_ProtocolFailureText(recv_buf.failed_item(), recv_buf.Offset()).c_str());
  throw CUserException();
}

unsigned SrvQueue::GetByte() {
  CheckDecodable();
  unsigned v = 0;
  if (!recv_buf.GetByte(&v)) DecodeFailure();
  return v;
}

int32_t SrvQueue::GetShort() {
  CheckDecodable();
  int32_t v = 0;
  if (!recv_buf.GetShort(&v)) DecodeFailure();
  return v;
}

uint32_t SrvQueue::GetUShort() {
  CheckDecodable();
  uint32_t v = 0;
  if (!recv_buf.GetUShort(&v)) DecodeFailure();
  return v;
}

uint32_t SrvQueue::GetLong() {
  CheckDecodable();
  uint32_t v = 0;
  if (!recv_buf.GetLong(&v)) DecodeFailure();
  return v;
}

const char* SrvQueue::GetString() {
  CheckDecodable();
  const char* s = nullptr;
  if (!recv_buf.GetString(&s, (flags & SrvQueue_CONVERT) != 0)) DecodeFailure();
  return s;
}

const char* SrvQueue::GetStringRaw() {
  CheckDecodable();
  const char* s = nullptr;
  if (!recv_buf.GetString(&s, false)) DecodeFailure();
  return s;
}

void SrvQueue::GetObject(const uint8_t** data, uint32_t* size) {
  CheckDecodable();
  if (!recv_buf.GetObject(data, size)) DecodeFailure();
}
