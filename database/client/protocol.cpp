// Framing, request and reply headers: one exchange at a time per server.
#include <cstring>

#include "database/client/client.h"
#include "database/client/tcp.h"
#include "database/client/trace.h"

namespace {

void load_codes(ServerEntry* entry) {
  Buffer* b = entry->client->buffer;
  Buffer_SetLocalCharset(b, entry->client->charset);
  Buffer_SetLocalByteOrder(b, BYTE_ORDER_LE);
  Buffer_SetRemoteCharset(b, entry->remote_charset);
  Buffer_SetRemoteByteOrder(b, entry->byte_order);
}

// One frame header and its reply header; 0, or -1 with the last status set.
int read_reply_header(ServerEntry* entry, uint32_t limit, uint16_t* flag) {
  Buffer* b = entry->client->buffer;
  if (idb__recv_message(entry, limit) != 0) {
    idb__break_connection(entry);
    IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
    return -1;
  }
  uint16_t id = 0;
  if (Buffer_Get_uint16(b, &id) != 0) {
    idb__break_connection(entry);
    IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
    return -1;
  }
  if (id != entry->request_counter) {
    debug_printf('P', 0, "unexpected reply id %u (expected %u)", id, entry->request_counter);
    idb__break_connection(entry);
    IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
    return -1;
  }
  if (Buffer_Get_uint16(b, flag) != 0) {
    idb__break_connection(entry);
    IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
    return -1;
  }
  return 0;
}

}  // namespace

void idb__break_connection(ServerEntry* entry) {
  if (entry->broken) return;
  debug_printf('P', 1, "connection to server %s:%s dropped, server_id=%d", entry->host, entry->service,
               entry->server_id);
  entry->broken = 1;
  entry->inbox_start = entry->inbox_end = 0;
  tcp_close(entry->socket);
  entry->socket = -1;
}

void idb__begin_request(ServerEntry* entry, int cls, int operation) {
  Buffer* b = entry->client->buffer;
  ServerEntry* last = entry->client->last_reply_from;
  if (last && Buffer_DecodeFailed(b)) {
    debug_printf('P', 1, "the last reply of server %s:%s did not decode", last->host, last->service);
    idb__break_connection(last);
  }
  entry->client->last_reply_from = nullptr;
  load_codes(entry);
  Buffer_ResetSend(b);
  Buffer_SetOpName(b, nullptr);
  entry->request_counter = static_cast<uint16_t>(entry->request_counter + 1);
  Buffer_Put_uint16(b, entry->request_counter);
  Buffer_Put_uint16(b, static_cast<uint16_t>(cls));
  Buffer_Put_uint16(b, static_cast<uint16_t>(operation));
}

int idb__call_server(ServerEntry* entry) {
  if (idb__send_request(entry) != 0) return -1;
  return idb__recv_reply(entry, entry->max_bufsz);
}

int idb__send_request(ServerEntry* entry) {
  Buffer* b = entry->client->buffer;
  if (Buffer_SendFailed(b)) {
    debug_printf('P', 0, "Unable to allocate send buffer (%d bytes)", static_cast<int>(Buffer_Size(b)));
    IDB_FAIL(S_REMOTE, REMOTE_SEND_BUFFER);
    return -1;
  }
  if (idb__send_message(entry) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_SEND);
    return -1;
  }
  return 0;
}

int idb__send_message(ServerEntry* entry) {
  Buffer* b = entry->client->buffer;
  if (entry->broken) {
    debug_printf('P', 0, "connection to server %s:%s is no longer usable", entry->host, entry->service);
    return -1;
  }
  Buffer_FinishSend(b);
  if (Buffer_SendFailed(b)) return -1;  // nothing went out
  if (tcp_send_masked(entry->socket, Buffer_Data(b), Buffer_Size(b), b->secret_offset, b->secret_length) != 0) {
    debug_printf('P', 2, "tcp_send(): failed");
    // Part of a frame may have gone out: the stream can no longer be trusted.
    idb__break_connection(entry);
    return -1;
  }
  return 0;
}

int idb__recv_reply(ServerEntry* entry, uint32_t limit) {
  Buffer* b = entry->client->buffer;
  if (!entry->greeting_pending) load_codes(entry);
  for (int notices = 0;; ++notices) {
    if (notices > IDB_MAX_NOTICES) {
      debug_printf('P', 0, "server sent more than %d notices for one request", static_cast<int>(IDB_MAX_NOTICES));
      idb__break_connection(entry);
      IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
      return -1;
    }
    uint16_t flag = 0;
    if (read_reply_header(entry, limit, &flag) != 0) return -1;
    if (flag == 0) return 0;
    const char* message = nullptr;
    if (Buffer_Get_counted_str(b, &message) != 0) {
      idb__break_connection(entry);
      IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
      return -1;
    }
    debug_printf('P', 0, "server: %s", message);
    if (flag != 1) {
      idb__break_connection(entry);
      IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
      return -1;
    }
  }
}

int idb__recv_message(ServerEntry* entry, uint32_t limit) {
  Buffer* b = entry->client->buffer;
  Buffer_ResetRecv(b);
  if (entry->broken) {
    debug_printf('P', 0, "connection to server %s:%s is no longer usable", entry->host, entry->service);
    return -1;
  }
  // The length word: from what is already here, else from one receive of
  // everything the socket holds (the frame behind the word too, as a rule).
  size_t held = entry->inbox_end - entry->inbox_start;
  if (held < 4) {
    if (entry->inbox_start > 0) {
      std::memmove(entry->inbox, entry->inbox + entry->inbox_start, held);
      entry->inbox_start = 0;
      entry->inbox_end = held;
    }
    size_t got = 0;
    int rc = tcp_recv_some_until(entry->socket, entry->inbox + held, 4 - held, sizeof entry->inbox - held, &got,
                                 entry->deadline_ms);
    entry->inbox_end += got;
    if (rc == -2) entry->timed_out = 1;
    if (rc != 0) {
      if (rc == -1) debug_printf('P', 2, "tcp_recv(): failed");
      return -1;
    }
  }
  const unsigned char* head = entry->inbox + entry->inbox_start;
  uint32_t length = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                    static_cast<uint32_t>(head[2]) << 8 | head[3];
  entry->inbox_start += 4;
  if (limit != 0 && (length > 0x7fffffffu || length > limit)) {
    debug_printf('P', 0, "server message size exceeds limit");
    return -1;
  }
  if (Buffer_AllocRecv(b, length) != 0) {
    debug_printf('P', 0, "unable to allocate receive buffer");
    return -1;
  }
  // The payload: what the inbox holds of it, then the rest straight from the
  // socket into the message.
  held = entry->inbox_end - entry->inbox_start;
  size_t taken = held < length ? held : length;
  if (taken > 0) std::memcpy(b->recv_buf, entry->inbox + entry->inbox_start, taken);
  entry->inbox_start += taken;
  if (entry->inbox_start == entry->inbox_end) entry->inbox_start = entry->inbox_end = 0;
  // A frame that has begun must be whole within the answer limit, however
  // slowly its bytes come; the limit is looked up only for a frame that did
  // not come whole with its length word, as a rule it does.
  int rc = 0;
  if (taken < length) {
    int64_t deadline = entry->deadline_ms;
    if (deadline == 0) deadline = tcp_now_ms() + int64_t{1000} * idb__answer_timeout_seconds();
    rc = tcp_recv_until(entry->socket, b->recv_buf + taken, length - taken, deadline);
  }
  if (rc != 0) {
    if (rc == -2) {
      entry->timed_out = 1;
      debug_printf('P', 0, "server %s:%s stopped inside a reply (%u of %u bytes within %d seconds)", entry->host,
                   entry->service, static_cast<unsigned>(taken), static_cast<unsigned>(length),
                   idb__answer_timeout_seconds());
    }
    debug_printf('P', 2, "tcp_recv(): failed");
    Buffer_ResetRecv(b);
    return -1;
  }
  entry->client->last_reply_from = entry;
  return 0;
}

int idb__get_status(Buffer* bufp, int32_t* status) {
  uint16_t mask = 0;
  Buffer_Get_uint16(bufp, &mask);
  for (int i = 0; i < 10; ++i) {
    int32_t value = 0;
    if (Buffer_Get_int32(bufp, &value) != 0) break;
    if (mask & (1u << i)) status[i] = value;
  }
  return Buffer_DecodeFailed(bufp);
}
