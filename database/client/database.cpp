// Open databases of a client: open, close, the information modes answered
// from the root cache (and mode 202 from the server), and the cleanup at exit.
#include "database/client/database.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/root.h"
#include "database/client/trace.h"

namespace {

// Ends a failure with `code` in word 0 (the last status for -1); returns word 0.
int failed(int code, int32_t* status) {
  idb__set_status(code, status);
  return status[0];
}

struct DatabaseGlobals {
  DbContext* contexts = nullptr;  // newest first
  int dbid_counter = 0;           // never restarts
};
DatabaseGlobals g;

void unlink_context(DbContext* ctx) {
  if (ctx->prev)
    ctx->prev->next = ctx->next;
  else if (g.contexts == ctx)
    g.contexts = ctx->next;
  if (ctx->next) ctx->next->prev = ctx->prev;
  ctx->next = ctx->prev = nullptr;
}

void free_root_of(DbContext* ctx) {
  if (!ctx->root) return;
  idb__free_root(ctx->root);
  std::free(ctx->root);
  ctx->root = nullptr;
}

// Word 0 of a success and the intrinsic number of the open mode.
void info_success(int32_t* status, const DbContext* ctx) {
  status[0] = status[2] = status[4] = status[6] = status[7] = status[9] = 0;
  status[5] = DBINFO + ctx->open_mode * 4096;
  idb__set_last_code(0);
}

void put_word(void* buffer, size_t index, int32_t value) {
  std::memcpy(static_cast<unsigned char*>(buffer) + index * 4, &value, 4);
}

// The type letter and three blanks.
int32_t letter_word(int32_t type) {
  char w[4] = {root_letter(type), ' ', ' ', ' '};
  int32_t v;
  std::memcpy(&v, w, 4);
  return v;
}

bool is_detail(const RootSet& s) { return root_letter(s.type) == 'D'; }

// A set as a caller sees it: -1 when unknown or not visible, else its index.
int visible_set(const DbContext* ctx, const void* qualifier) {
  int set = idb__find_set(ctx->root, qualifier);
  if (set < 0) return -1;
  if (ctx->open_mode != IDB_OPEN_MANAGE && idb__set_access(ctx->root, set) == 0) return -1;
  return set;
}

// The number of a set as callers see it: negated with write access outside
// mode 13.
int32_t shown_number(const DbContext* ctx, int set) {
  if (ctx->open_mode != IDB_OPEN_MANAGE && idb__set_access(ctx->root, set) < 0) return -(set + 1);
  return set + 1;
}

bool list_mode(int32_t mode) {
  switch (mode) {
    case 103:
    case 104:
    case 203:
    case 204:
    case 301:
    case 503:
    case 504: return true;
    default: return false;
  }
}

// The answer of one information mode from the cache, built in `out` as the
// words the caller receives; its size in bytes, or a negative status.
int32_t answer(const DbContext* ctx, const void* qualifier, int32_t mode, std::vector<int32_t>& out) {
  const RootCache* root = ctx->root;
  auto name_words = [&](const char* name) {
    for (int i = 0; i < 4; ++i) {
      int32_t w;
      std::memcpy(&w, name + 4 * i, 4);
      out.push_back(w);
    }
  };
  switch (mode) {
    case 101:
    case 102: {
      if (!qualifier) return -21;
      int item = idb__find_item(root, qualifier);
      if (item < 0) return -21;
      if (mode == 101) {
        out.push_back(item + 1);
        break;
      }
      const RootItem& it = root->items[item];
      name_words(it.name);
      out.insert(out.end(), {letter_word(it.type), it.size, it.count, it.attribute});
      break;
    }
    case 103:
      out.push_back(root->item_count);
      for (int32_t i = 0; i < root->item_count; ++i) out.push_back(i + 1);
      break;
    case 104:
    case 201:
    case -202:
    case 301:
    case 302:
    case 504: {
      if (!qualifier) return -21;
      int set = visible_set(ctx, qualifier);
      if (set < 0) return -21;
      const RootSet& s = root->sets[set];
      if (mode == 104) {
        out.push_back(s.item_count);
        for (int32_t i = 0; i < s.item_count; ++i) out.push_back(s.items[i] + 1);
      } else if (mode == 201) {
        out.push_back(shown_number(ctx, set));
      } else if (mode == -202) {
        name_words(s.name);
        out.insert(out.end(), {letter_word(s.type), s.record_length, 0, 0});
      } else if (mode == 301) {
        out.push_back(s.path_count);
        for (int32_t p = 0; p < s.path_count; ++p) {
          const RootPath& path = s.paths[p];
          const RootSet& owner = is_detail(s) ? s : root->sets[path.set];
          out.push_back(path.set + 1);
          out.push_back(owner.items[path.position] + 1);
        }
      } else if (mode == 302) {
        if (is_detail(s) && s.path_count > 0)
          out.insert(out.end(), {s.items[s.paths[0].position] + 1, s.paths[0].set + 1});
        else if (is_detail(s))
          out.insert(out.end(), {0, 0});
        else
          out.insert(out.end(), {s.items[0] + 1, 0});
      } else {
        out.push_back(s.index_count);
        for (int32_t x = 0; x < s.index_count; ++x) out.push_back(s.indexes[x].iitem + 1);
      }
      break;
    }
    case 203: {
      out.push_back(0);
      for (int32_t i = 0; i < root->set_count; ++i)
        if (ctx->open_mode == IDB_OPEN_MANAGE || idb__set_access(root, i) != 0) out.push_back(shown_number(ctx, i));
      out[0] = static_cast<int32_t>(out.size() - 1);
      break;
    }
    case 204: {
      if (!qualifier) return -21;
      int item = idb__find_item(root, qualifier);
      if (item < 0) return -21;
      out.push_back(0);
      for (int32_t i = 0; i < root->set_count; ++i) {
        if (ctx->open_mode != IDB_OPEN_MANAGE && idb__set_access(root, i) == 0) continue;
        const RootSet& s = root->sets[i];
        for (int32_t k = 0; k < s.item_count; ++k)
          if (s.items[k] == item) out.push_back(shown_number(ctx, i));
      }
      out[0] = static_cast<int32_t>(out.size() - 1);
      break;
    }
    case 501:
    case 502: {
      if (!qualifier) return -21;
      int number = idb__find_iitem(root, qualifier);
      if (number < 0) return -21;
      if (mode == 501) {
        out.push_back(number + 1);
        break;
      }
      const RootIItem& ii = root->iitems[number - root->item_count];
      name_words(ii.name);
      out.push_back(ii.part_count);
      for (int p = 0; p < ROOT_MAX_PARTS; ++p) {
        out.push_back(p < ii.part_count ? ii.parts[p].item + 1 : 0);
        out.push_back(p < ii.part_count ? ii.parts[p].length : 0);
      }
      break;
    }
    case 503:
      out.push_back(root->iitem_count);
      for (int32_t k = 0; k < root->iitem_count; ++k) out.push_back(root->item_count + k + 1);
      break;
    default: return -31;
  }
  return static_cast<int32_t>(out.size() * 4);
}

int info(int dbid, const void* qualifier, int32_t mode, int32_t* status, void* buffer, int32_t length) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBINFO;
  status[8] = mode;
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  if (idb__trace_call('P', 2, "idb_info()")) {
    debug_printf('P', 2, " dbid = %d", dbid);
    debug_printf('P', 2, " mode = %d", mode);
  }
  if (mode == 202) {
    if (!qualifier) return failed(-21, status);
    int set = visible_set(ctx, qualifier);
    if (set < 0) return failed(-21, status);
    return idb__info202(dbid, set + 1, status, buffer, length);
  }
  std::vector<int32_t> out;
  int32_t bytes = answer(ctx, qualifier, mode, out);
  if (bytes < 0) return failed(bytes, status);
  status[1] = bytes;
  if (length != 0 && length < bytes) {
    if (list_mode(mode) && length >= 4) put_word(buffer, 0, out[0]);
    idb__set_status(50, status);
    status[1] = bytes;
    return status[0];
  }
  IDB_ASSERT(buffer != nullptr);
  std::memcpy(buffer, out.data(), static_cast<size_t>(bytes));
  info_success(status, ctx);
  return 0;
}

}  // namespace

DbContext* idb__open_context(const char* host, const char* service, int32_t* status) {
  DbContext* ctx = static_cast<DbContext*>(std::calloc(1, sizeof(DbContext)));
  if (!ctx) {
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return nullptr;
  }
  ctx->client = idb__get_client(1);
  if (!ctx->client) {
    std::free(ctx);
    return nullptr;
  }
  ctx->server = idb__attach_server(host, service, status);
  if (!ctx->server) {
    std::free(ctx);
    return nullptr;
  }
  ctx->dbid = ++g.dbid_counter;
  ctx->remote_dbid = -1;
  ctx->next = g.contexts;
  if (g.contexts) g.contexts->prev = ctx;
  g.contexts = ctx;
  return ctx;
}

DbContext* idb__find_context(int dbid) {
  ClientContext* client = idb__get_client(0);
  if (!client) return nullptr;
  for (DbContext* ctx = g.contexts; ctx; ctx = ctx->next)
    if (ctx->dbid == dbid && ctx->client == client) return ctx;
  return nullptr;
}

void idb__free_context(DbContext* context) {
  IDB_ASSERT(context);
  if (context->server) idb__release_server(context->server);
  context->server = nullptr;
  free_root_of(context);
  unlink_context(context);
  std::free(context);
}

RootCache* idb__get_root(int dbid) {
  DbContext* ctx = idb__find_context(dbid);
  return ctx ? ctx->root : nullptr;
}

void idb__cleanup_context(ClientContext* client) {
  DbContext* ctx = g.contexts;
  while (ctx) {
    DbContext* next = ctx->next;
    if (ctx->client == client) {
      if (ctx->remote_dbid != -1) {
        StatusArray status = {};
        int dbid = ctx->dbid;
        int32_t none = 0;
        if (idb_close(dbid, &none, 1, status) != 0) {
          debug_printf('I', 2, "idb__cleanup_context() failed: unable to close database #%d", dbid);
          // The close may have freed it after all only on success.
          if (idb__find_context(dbid) == ctx) idb__free_context(ctx);
        }
      } else {
        idb__free_context(ctx);
      }
    }
    ctx = next;
  }
}

int idb_open(const char* name, const char* password, int32_t mode, int32_t* status) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBOPEN;
  status[8] = mode;
  if (!name || !*name) {
    idb__set_status(-11, status);
    return -1;
  }
  if (mode != 1 && mode != 3 && mode != 8 && mode != 9 && mode != 13) {
    idb__set_status(-31, status);
    return -1;
  }
  char host[IDB_MAX_HOST_PART + 1] = IDB_DEFAULT_HOST;
  char service[IDB_MAX_HOST_PART + 1] = IDB_DEFAULT_SERVICE;
  const char* db_name = name;
  const char* slash = std::strchr(name, '/');
  if (slash) {
    size_t n = static_cast<size_t>(slash - name);
    db_name = slash + 1;
    if (n > IDB_MAX_HOST_PART || !*db_name) {
      idb__set_status(-11, status);
      return -1;
    }
    char part[IDB_MAX_HOST_PART + 1];
    std::memcpy(part, name, n);
    part[n] = '\0';
    char* colon = std::strchr(part, ':');
    if (colon) {
      *colon = '\0';
      if (colon[1]) std::strcpy(service, colon + 1);
    }
    if (part[0]) std::strcpy(host, part);
  }
  if (idb__trace_call('P', 2, "idb_open()")) {
    debug_printf('P', 2, " host = \"%s\"", host);
    debug_printf('P', 2, " service = \"%s\"", service);
    debug_printf('P', 2, " db_name = \"%s\"", db_name);
    debug_printf('P', 2, " mode = %d", mode);
  }
  if (idb__init() != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    idb__set_status(-1, status);
    return -1;
  }
  DbContext* ctx = idb__open_context(host, service, status);
  if (!ctx) {
    // A refused logon leaves its own status (word 5: 420); anything else is
    // the connection's failure in the last status.
    if (status[5] == DBOPEN) idb__set_status(-1, status);
    return -1;
  }
  status[5] = DBOPEN;
  status[8] = mode;
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_OPEN);
  Buffer_SetOpName(b, "idb_open()");
  Buffer_Put_str(b, db_name);
  Buffer_Put_str(b, password ? password : "");
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  if (idb__call_server(ctx->server) != 0) {
    idb__free_context(ctx);
    idb__set_status(-1, status);
    return -1;
  }
  if (idb__get_status(b, status) != 0) {
    idb__free_context(ctx);
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    idb__set_status(-1, status);
    return -1;
  }
  if (status[0] != 0) {
    idb__set_last_code(status[0]);
    idb__free_context(ctx);
    return -1;
  }
  ctx->root = static_cast<RootCache*>(std::calloc(1, sizeof(RootCache)));
  if (!ctx->root || idb__load_root(b, ctx->root, db_name) != 0) {
    if (!ctx->root) IDB_FAIL(S_REMOTE, REMOTE_ROOT);
    idb__free_context(ctx);
    idb__set_status(-1, status);
    return -1;
  }
  ctx->remote_dbid = status[9];
  ctx->open_mode = mode;
  debug_printf('P', 2, " remote_dbid = %d", ctx->remote_dbid);
  idb__set_last_code(0);
  return ctx->dbid;
}

int idb_close(int dbid, const void* set, int32_t mode, int32_t* status) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBCLOSE;
  status[8] = mode;
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  bool allowed = ctx->open_mode == IDB_OPEN_MANAGE ? mode == 1 : (mode == 1 || mode == 3 || mode == 4);
  if (!allowed) return failed(-31, status);
  int32_t setno = 0;
  if (mode == 3) {
    int found = set ? idb__find_set(ctx->root, set) : -1;
    if (found < 0) return failed(-21, status);
    setno = found + 1;
  }
  if (idb__trace_call('P', 2, "idb_close()")) {
    debug_printf('P', 2, " dbid = %d", dbid);
    debug_printf('P', 2, " setno = %d", setno);
    debug_printf('P', 2, " mode = %d", mode);
  }
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_CLOSE);
  Buffer_SetOpName(b, "idb_close()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  Buffer_Put_uint16(b, static_cast<uint16_t>(setno));
  if (Buffer_SendFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return idb__set_status(-1, status);
  }
  if (idb__call_server(ctx->server) != 0) return idb__set_status(-1, status);
  if (idb__get_status(b, status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return idb__set_status(-1, status);
  }
  idb__set_last_code(status[0]);
  if (mode == 1 && status[0] == 0) idb__free_context(ctx);
  return status[0];
}

int idb_info(int dbid, const void* qualifier, int32_t mode, int32_t* status, void* buffer, int32_t length) {
  return info(dbid, qualifier, mode, status, buffer, length);
}

int idb_info_unbounded(int dbid, const void* qualifier, int32_t mode, int32_t* status, void* buffer) {
  return info(dbid, qualifier, mode, status, buffer, 0);
}

int idb__info202(int dbid, int set, int32_t* status, void* buffer, int32_t length) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBINFO;
  status[8] = 202;
  if (length != 0 && length < 32) {
    idb__set_status(50, status);
    status[1] = 32;
    return status[0];
  }
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  if (idb__trace_call('P', 2, " idb__info202()")) {
    debug_printf('P', 2, "  dbid = %d", dbid);
    debug_printf('P', 2, "  setno = %d", set);
  }
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_INFO);
  Buffer_SetOpName(b, "idb__info202()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint16(b, static_cast<uint16_t>(set));
  Buffer_Put_uint16(b, 202);
  if (Buffer_SendFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return failed(-1, status);
  }
  if (idb__call_server(ctx->server) != 0) return failed(-1, status);
  if (idb__get_status(b, status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return failed(-1, status);
  }
  if (status[0] == 0) {
    const char* name = nullptr;
    uint8_t type = 0;
    uint16_t reclen = 0;
    uint32_t capacity = 0, entries = 0;
    Buffer_Get_nzstr(b, ROOT_NAME_LEN, &name);
    Buffer_Get_uint8(b, &type);
    Buffer_Get_uint16(b, &reclen);
    Buffer_Get_uint32(b, &capacity);
    Buffer_Get_uint32(b, &entries);
    if (Buffer_DecodeFailed(b)) {
      IDB_FAIL(S_REMOTE, REMOTE_CODEC);
      return failed(-1, status);
    }
    // Callers size record buffers from this length and pack records from the
    // root's item list: the two must agree.
    if (set >= 1 && set <= ctx->root->set_count && reclen != ctx->root->sets[set - 1].record_length) {
      debug_printf('P', 0, "set %d: record length %u reported, %d from its items", set, static_cast<unsigned>(reclen),
                   static_cast<int>(ctx->root->sets[set - 1].record_length));
      IDB_FAIL(S_REMOTE, REMOTE_ROOT);
      return failed(-1, status);
    }
    IDB_ASSERT(buffer != nullptr);
    std::memcpy(buffer, name, ROOT_NAME_LEN);
    put_word(buffer, 4, letter_word(type));
    put_word(buffer, 5, reclen);
    put_word(buffer, 6, static_cast<int32_t>(capacity));
    put_word(buffer, 7, static_cast<int32_t>(entries));
    info_success(status, ctx);
    status[1] = 32;
  }
  idb__set_last_code(status[0]);
  return status[0];
}
