// Transactions across servers: the client numbers transactions, keeps the
// stack of open levels and asks every server with the transaction capability
// to begin, commit and roll them back.
#include "database/client/transaction.h"

#include <cstring>

#include "database/client/trace.h"

namespace {

// Outcome of one transaction request.
enum Outcome {
  TX_OK = 0,         // status word 0 is 0
  TX_REFUSED = 1,    // the server answered with a non-zero status
  TX_TRANSPORT = 2,  // send or receive failed (last status set)
  TX_CODEC = 3,      // encoding or decoding failed (S_REMOTE -8 set)
};

bool participates(const ServerEntry* e) { return (e->capabilities & CAP_TRANSACTIONS) != 0; }

ServerEntry* first_participant(ClientContext* c) {
  ServerEntry* e = idb__first_server(c);
  while (e && !participates(e)) e = idb__next_server(e, c);
  return e;
}

ServerEntry* next_participant(ServerEntry* e, ClientContext* c) {
  e = idb__next_server(e, c);
  while (e && !participates(e)) e = idb__next_server(e, c);
  return e;
}

int count_servers(ClientContext* c) {
  int n = 0;
  for (ServerEntry* e = idb__first_server(c); e; e = idb__next_server(e, c)) ++n;
  return n;
}

uint32_t level_id(const ClientContext* c, int level) { return static_cast<uint32_t>(c->tx_ids[level - 1]); }

// Sends one request of the database class whose body `put` writes, and reads
// the status block into `status`.
template <typename Put>
Outcome tx_request(ServerEntry* e, int op, const char* name, Put put, int32_t* status) {
  Buffer* b = e->client->buffer;
  idb__begin_request(e, IDB_CLASS_DATABASE, op);
  Buffer_SetOpName(b, name);
  put(b);
  if (Buffer_SendFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return TX_CODEC;
  }
  if (idb__call_server(e) != 0) return TX_TRANSPORT;
  if (idb__get_status(b, status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return TX_CODEC;
  }
  return status[0] == 0 ? TX_OK : TX_REFUSED;
}

Outcome send_begin(ServerEntry* e, int level_index, uint32_t id, const char* comment, int32_t* status) {
  return tx_request(
      e, IDB_OP_BEGIN, "idb_begin()",
      [&](Buffer* b) {
        Buffer_Put_uint8(b, 1);
        Buffer_Put_uint8(b, static_cast<uint8_t>(level_index));
        Buffer_Put_uint32(b, id);
        Buffer_Put_str(b, comment ? comment : "");
      },
      status);
}

Outcome send_rollback(ServerEntry* e, int mode, int levels, uint32_t id, int32_t* status) {
  return tx_request(
      e, IDB_OP_ROLLBACK, "idb_rollback()",
      [&](Buffer* b) {
        Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
        Buffer_Put_uint8(b, static_cast<uint8_t>(levels));
        Buffer_Put_uint32(b, id);
      },
      status);
}

// The end of a round that failed at a server: the caller's status says why,
// and a refusal returns the server's status.
int fail_with(Outcome outcome, int32_t* status) {
  if (outcome == TX_REFUSED) {
    idb__set_last_code(status[0]);
    return status[0];
  }
  return idb__set_status(-1, status);
}

// The status of a call no server took part in.
void local_status(int32_t* status, int32_t w1, int32_t w2, int32_t mode) {
  int32_t intrinsic = status[5];
  std::memset(status, 0, sizeof(StatusArray));
  status[1] = w1;
  status[2] = w2;
  status[5] = intrinsic;
  status[8] = mode;
}

// Rolls levels back on every participating server after `from` (on all of
// them when `from` is null), whatever each answers: used when a refusal would
// otherwise leave servers out of step with the client.
void rollback_rest(ClientContext* c, ServerEntry* from, int mode, int levels, uint32_t id) {
  ServerEntry* e = from ? next_participant(from, c) : first_participant(c);
  for (; e; e = next_participant(e, c)) {
    StatusArray ignored = {};
    debug_printf('P', 2, "rolling back server_id = %d to keep it in step", e->server_id);
    send_rollback(e, mode, levels, id, ignored);
  }
}

}  // namespace

int emergency_rollback(ClientContext* client, ServerEntry* failing, uint32_t tx_id, int level) {
  if (idb__trace_call('P', 2, "emergency_rollback()")) {
    debug_printf('P', 2, " tx_id = %u", tx_id);
    debug_printf('P', 2, " tx_lvl = %d", level);
  }
  for (ServerEntry* e = idb__prev_server(failing, client); e; e = idb__prev_server(e, client)) {
    if (!participates(e)) continue;
    debug_printf('P', 2, "emergency_rollback() calling server ...");
    debug_printf('P', 2, " server_id = %d", e->server_id);
    StatusArray status = {};
    if (send_rollback(e, 1, level, tx_id, status) != TX_OK) return -1;
  }
  return 0;
}

int idb_begin(const char* comment, int32_t mode, int32_t* status) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBBEGIN;
  status[8] = mode;
  ClientContext* c = idb__get_client(0);
  if (!c) {
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return idb__set_status(-1, status);
  }
  if (mode != 1) return idb__set_status(-31, status);
  if (c->tx_level >= IDB_MAX_TX_LEVELS) return idb__set_status(32, status);

  c->tx_counter += 1;
  uint32_t id = static_cast<uint32_t>(c->tx_counter);
  c->tx_ids[c->tx_level] = c->tx_counter;
  if (idb__trace_call('P', 2, "idb_begin()")) {
    debug_printf('P', 2, " mode = %d", mode);
    debug_printf('P', 2, " tx_id = %u", id);
    if (comment)
      debug_printf('P', 2, " comment = \"%s\"", comment);
    else
      debug_printf('P', 2, " comment = NULL");
    debug_printf('P', 2, " tx_lvl = %d", c->tx_level);
  }

  bool asked = false;
  for (ServerEntry* e = first_participant(c); e; e = next_participant(e, c)) {
    debug_printf('P', 2, "idb_begin() calling server ...");
    debug_printf('P', 2, " server_id = %d", e->server_id);
    asked = true;
    Outcome outcome = send_begin(e, c->tx_level, id, comment, status);
    if (outcome != TX_OK) {
      // No level may stay open on the servers that already began it.
      LastStatus last = idb__last_status();
      emergency_rollback(c, e, id, c->tx_level + 1);
      if (outcome != TX_REFUSED) idb__set_last(last.code, last.secondary, last.module, last.line);
      return fail_with(outcome, status);
    }
  }
  if (!asked) local_status(status, static_cast<int32_t>(id), c->tx_level + 1, 1);
  c->tx_level += 1;
  idb__set_last_code(status[0]);
  return 0;
}

int idb_commit(int32_t mode, int32_t* status) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBCOMMIT;
  status[8] = mode;
  ClientContext* c = idb__get_client(0);
  if (!c) {
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return idb__set_status(-1, status);
  }
  if (mode != IDB_COMMIT_INNER && mode != IDB_COMMIT_ALL) return idb__set_status(-31, status);
  if (c->tx_level == 0) return idb__set_status(33, status);

  bool single = count_servers(c) == 1 && (mode == IDB_COMMIT_ALL || c->tx_level == 1);
  int wire_mode = single ? IDB_COMMIT_SINGLE : mode;
  if (single) debug_printf('P', 2, " single-server top-level transaction, will be combined using mode = 12");
  if (idb__trace_call('P', 2, "idb_commit()")) {
    debug_printf('P', 2, " mode = %d", wire_mode);
    debug_printf('P', 2, " tx_lvl = %d", c->tx_level);
  }

  bool asked = false;
  for (ServerEntry* e = first_participant(c); e; e = next_participant(e, c)) {
    debug_printf('P', 2, "idb_commit() calling server (pre-commit) ...");
    debug_printf('P', 2, " server_id = %d", e->server_id);
    asked = true;
    Outcome outcome = tx_request(
        e, IDB_OP_PRECOMMIT, "idb_commit()",
        [&](Buffer* b) {
          Buffer_Put_uint8(b, static_cast<uint8_t>(wire_mode));
          Buffer_Put_uint8(b, static_cast<uint8_t>(c->tx_level));
        },
        status);
    if (outcome != TX_OK) {
      // What the pre-commit concerned is rolled back on every server, the
      // refusing one and those not yet asked included, and closed here.
      LastStatus last = idb__last_status();
      if (mode == IDB_COMMIT_INNER) {
        rollback_rest(c, nullptr, IDB_ROLLBACK_INNER, c->tx_level, level_id(c, c->tx_level));
        c->tx_level -= 1;
      } else {
        rollback_rest(c, nullptr, IDB_ROLLBACK_ALL, c->tx_level, 0);
        c->tx_level = 0;
      }
      if (outcome != TX_REFUSED) idb__set_last(last.code, last.secondary, last.module, last.line);
      int rc = fail_with(outcome, status);
      if (c->tx_level == 0) idb__drop_idle_servers(c);
      return rc;
    }
  }
  if (mode == IDB_COMMIT_INNER && !single)
    c->tx_level -= 1;
  else
    c->tx_level = 0;

  if (!single && c->tx_level == 0) {
    for (ServerEntry* e = first_participant(c); e; e = next_participant(e, c)) {
      debug_printf('P', 2, "idb_commit() calling server (final commit) ...");
      debug_printf('P', 2, " server_id = %d", e->server_id);
      Outcome outcome = tx_request(
          e, IDB_OP_COMMIT, "idb_commit()", [](Buffer*) {}, status);
      if (outcome != TX_OK) {
        int rc = fail_with(outcome, status);
        idb__drop_idle_servers(c);
        return rc;
      }
    }
  }
  if (!asked) local_status(status, 0, 0, mode);
  if (status[0] == 0 && c->tx_level == 0) idb__drop_idle_servers(c);
  idb__set_last_code(status[0]);
  return 0;
}

int idb_rollback(uint32_t tx_id, int32_t mode, int32_t* status) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBROLLBACK;
  status[8] = mode;
  ClientContext* c = idb__get_client(0);
  if (!c) {
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return idb__set_status(-1, status);
  }
  if (mode < IDB_ROLLBACK_INNER || mode > IDB_ROLLBACK_ALL) return idb__set_status(-31, status);
  if (c->tx_level == 0) return idb__set_status(33, status);

  int new_level = 0;
  uint32_t id = 0;
  if (mode == IDB_ROLLBACK_INNER) {
    if (tx_id != 0) return idb__set_status(S_BAD, status);
    id = level_id(c, c->tx_level);
    new_level = c->tx_level - 1;
  } else if (mode == IDB_ROLLBACK_TO) {
    if (tx_id == 0) return idb__set_status(S_BAD, status);
    int found = 0;
    for (int k = c->tx_level; k >= 1 && !found; --k)
      if (level_id(c, k) == tx_id) found = k;
    if (!found) return idb__set_status(S_BAD, status);
    id = tx_id;
    new_level = found - 1;
  } else {
    if (tx_id != 0) return idb__set_status(S_BAD, status);
  }
  if (idb__trace_call('P', 2, "idb_rollback()")) {
    debug_printf('P', 2, " mode = %d", mode);
    debug_printf('P', 2, " tx_id = %u", id);
    debug_printf('P', 2, " tx_lvl = %d", c->tx_level);
  }

  bool asked = false;
  for (ServerEntry* e = first_participant(c); e; e = next_participant(e, c)) {
    debug_printf('P', 2, "idb_rollback() calling server ...");
    debug_printf('P', 2, " server_id = %d", e->server_id);
    asked = true;
    Outcome outcome = send_rollback(e, mode, c->tx_level, id, status);
    if (outcome != TX_OK) {
      // The servers not yet asked roll back too, and the client closes the
      // levels, so that none stays a level ahead of the others.
      LastStatus last = idb__last_status();
      rollback_rest(c, e, mode, c->tx_level, id);
      c->tx_level = new_level;
      if (outcome != TX_REFUSED) idb__set_last(last.code, last.secondary, last.module, last.line);
      int rc = fail_with(outcome, status);
      if (c->tx_level == 0) idb__drop_idle_servers(c);
      return rc;
    }
  }
  if (!asked) local_status(status, 0, new_level, mode);
  c->tx_level = new_level;
  if (c->tx_level == 0) idb__drop_idle_servers(c);
  idb__set_last_code(status[0]);
  return 0;
}

int idb__sync_transactions(ServerEntry* entry, int32_t* status) {
  ClientContext* c = entry->client;
  if (participates(entry) && c->tx_level > 0) {
    if (idb__trace_call('P', 2, "idb__sync_transactions()")) {
      debug_printf('P', 2, " server_id = %d", entry->server_id);
      debug_printf('P', 2, " tx_lvl = %d", c->tx_level);
    }
    for (int k = 0; k < c->tx_level; ++k) {
      uint32_t id = static_cast<uint32_t>(c->tx_ids[k]);
      debug_printf('P', 2, "idb__sync_transactions() calling server ...");
      debug_printf('P', 2, " tx_id = %u", id);
      debug_printf('P', 2, " tx_lvl = %d", k);
      Outcome outcome = send_begin(entry, k, id, "", status);
      if (outcome != TX_OK) {
        // The server leaves the transaction: what it began goes back.
        LastStatus last = idb__last_status();
        if (outcome == TX_REFUSED && k > 0) {
          StatusArray ignored = {};
          send_rollback(entry, IDB_ROLLBACK_ALL, k, 0, ignored);
        }
        idb__set_last(last.code, last.secondary, last.module, last.line);
        if (outcome == TX_REFUSED)
          idb__set_last_code(status[0]);
        else
          idb__set_status(-1, status);
        return -1;
      }
    }
  }
  std::memset(status, 0, sizeof(StatusArray));
  status[2] = c->tx_level;
  return 0;
}
