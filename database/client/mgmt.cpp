#include "database/client/mgmt.h"

#include <cstdlib>
#include <cstring>

#include "database/client/client.h"
#include "database/client/trace.h"

int Mgmt_open(const char* host, const char* service) {
  if (idb__trace_call('P', 2, "Mgmt_open()")) {
    debug_printf('P', 2, " host = \"%s\"", host);
    debug_printf('P', 2, " service = \"%s\"", service);
  }
  StatusArray status = {};
  ServerEntry* e = idb__attach_server(host, service, status);
  if (!e) return -1;
  if (e->capabilities & CAP_MANAGEMENT) {
    debug_printf('P', 2, " server_id = %d", e->server_id);
    return e->server_id;
  }
  debug_printf('P', 1, "Mgmt_Open() note: server does not provide management functionality, server_id=%d",
               e->server_id);
  idb__release_server(e);
  IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
  return 0;
}

int Mgmt_close(int server_id) {
  if (idb__trace_call('P', 2, "Mgmt_close()")) debug_printf('P', 2, " server_id = %d", server_id);
  ClientContext* c = idb__get_client(0);
  ServerEntry* e = c ? idb__find_server(c, server_id) : nullptr;
  if (!e) {
    debug_printf('P', 0, "Mgmt_close() failed: unknown server_id %d", server_id);
    IDB_FAIL(S_REMOTE, REMOTE_SERVER_ID);
    return -1;
  }
  if (!(e->capabilities & CAP_MANAGEMENT)) {
    debug_printf('P', 0, "Mgmt_close() failed: server does not provide management functionality, server_id=%d",
                 server_id);
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return -1;
  }
  idb__release_server(e);
  return 0;
}

char* Mgmt_command(int server_id, int argc, const char* const* argv) {
  if (idb__trace_call('P', 2, "Mgmt_command()")) {
    debug_printf('P', 2, " server_id = %d", server_id);
    for (int i = 0; argv && i < argc; ++i) debug_printf('P', 2, " argv[%d] = \"%s\"", i, argv[i] ? argv[i] : "");
  }
  if (!argv || argc <= 0 || argc > 0xffff) {
    IDB_FAIL(S_BAD, 0);
    return nullptr;
  }
  for (int i = 0; i < argc; ++i)
    if (!argv[i]) {
      IDB_FAIL(S_BAD, 0);
      return nullptr;
    }
  ClientContext* c = idb__get_client(0);
  ServerEntry* e = c ? idb__find_server(c, server_id) : nullptr;
  if (!e) {
    debug_printf('P', 0, "Mgmt_command() failed: unknown server_id %d", server_id);
    IDB_FAIL(S_REMOTE, REMOTE_SERVER_ID);
    return nullptr;
  }
  if (!(e->capabilities & CAP_MANAGEMENT)) {
    debug_printf('P', 0, "Mgmt_command() failed: server does not provide management functionality, server_id=%d",
                 server_id);
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return nullptr;
  }
  Buffer* b = c->buffer;
  idb__begin_request(e, IDB_CLASS_MGMT, 1);
  Buffer_SetOpName(b, "Mgmt_command()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(argc));
  for (int i = 0; i < argc; ++i) Buffer_Put_str(b, argv[i]);
  if (idb__call_server(e) != 0) return nullptr;
  int32_t status = 0;
  const char* text = nullptr;
  if (Buffer_Get_int32(b, &status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  if (Buffer_Get_counted_str(b, &text) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  if (status != 0) {
    debug_printf('P', 0, "%s", text);
    IDB_FAIL(S_MGMT, status);
    return nullptr;
  }
  size_t n = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(n + 1));
  if (!copy) {
    IDB_FAIL(S_SYSTEM, 12);
    return nullptr;
  }
  std::memcpy(copy, text, n + 1);
  return copy;
}
