// Set management of a database opened in mode 13: create, erase and purge
// the sets of a list (or every set), each one request after which the server
// has finished with the database and the local context goes.
#include <cstdlib>
#include <cstring>

#include "database/client/database.h"
#include "database/client/root.h"
#include "database/client/trace.h"

namespace {

// Ends a failure with `code` in word 0 (the last status for -1); returns word 0.
int failed(int code, int32_t* status) {
  idb__set_status(code, status);
  return status[0];
}

struct SetCall {
  const char* name;
  int operation;
  int intrinsic;
  bool mode2;  // mode 2 is accepted too
};

const SetCall kCreate = {"idb_create()", IDB_OP_CREATE, DBCREATE, false};
const SetCall kErase = {"idb_erase()", IDB_OP_ERASE, DBERASE, false};
const SetCall kPurge = {"idb_purge()", IDB_OP_PURGE, DBPURGE, true};

int set_call(const SetCall& call, int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list) {
  IDB_ASSERT(status != nullptr);
  status[5] = call.intrinsic;
  status[8] = mode;
  if (count < 0) return failed(-21, status);
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  if (ctx->open_mode != IDB_OPEN_MANAGE) return failed(-31, status);
  if (!(mode == 1 || (call.mode2 && mode == 2))) {
    idb__close_context(dbid);
    return failed(-31, status);
  }
  const int32_t n = count > 0 ? ctx->root->set_count : 0;
  int32_t* flags = nullptr;
  if (count > 0) {
    IDB_ASSERT(list != nullptr);
    flags = static_cast<int32_t*>(std::calloc(n > 0 ? static_cast<size_t>(n) : 1u, sizeof(int32_t)));
    if (!flags) {
      IDB_FAIL(S_SYSTEM, 12);
      return failed(-1, status);
    }
    for (int32_t i = 0; i < count; ++i) {
      if (list[i] < 1 || list[i] > n) {
        std::free(flags);
        return failed(-21, status);
      }
      flags[list[i] - 1] = 1;
    }
  }
  if (idb__trace_call('P', 2, call.name)) {
    debug_printf('P', 2, " dbid = %d", dbid);
    debug_printf('P', 2, " mode = %d", mode);
    for (int32_t i = 0; i < count; ++i) debug_printf('P', 2, " list[%d] = %d", i, list[i]);
  }
  ServerEntry* server = ctx->server;
  Buffer* b = ctx->client->buffer;
  idb__begin_request(server, IDB_CLASS_DATABASE, call.operation);
  Buffer_SetOpName(b, call.name);
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  Buffer_Put_align(b, 4);
  unsigned char* object = Buffer_Put_obj(b, static_cast<uint32_t>(4 * n));
  if (object) {
    const bool big = server->byte_order == BYTE_ORDER_BE;
    for (int32_t i = 0; i < n; ++i) {
      uint32_t v = static_cast<uint32_t>(flags[i]);
      unsigned char* p = object + 4 * i;
      for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(v >> (big ? 24 - 8 * k : 8 * k));
    }
  }
  std::free(flags);

  // The request goes out with the server entry held, whatever happens to the
  // context; the entry is released after the answer.
  server->refcount += 1;
  idb__close_context(dbid);
  int rc;
  if (Buffer_SendFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    rc = failed(-1, status);
  } else if (idb__call_server(server) != 0) {
    rc = idb__set_status(-1, status);
  } else if (idb__get_status(b, status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    rc = failed(-1, status);
  } else {
    idb__set_last_code(status[0]);
    rc = status[0];
  }
  idb__release_server(server);
  return rc;
}

}  // namespace

int idb__close_context(int dbid) {
  if (idb__trace_call('P', 2, "idb__close_context()")) debug_printf('P', 2, " dbid = %d", dbid);
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx) {
    debug_printf('P', 0, "idb__close_context() failed: unknown dbid %d", dbid);
    return -1;
  }
  if (ctx->open_mode != IDB_OPEN_MANAGE) {
    debug_printf('P', 0, "idb__close_context() failed: database open mode is %d, expected: 13", ctx->open_mode);
    return -1;
  }
  idb__free_context(ctx);
  return 0;
}

int idb_create(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list) {
  return set_call(kCreate, dbid, mode, status, count, list);
}

int idb_erase(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list) {
  return set_call(kErase, dbid, mode, status, count, list);
}

int idb_purge(int dbid, int32_t mode, int32_t* status, int32_t count, const int32_t* list) {
  return set_call(kPurge, dbid, mode, status, count, list);
}
