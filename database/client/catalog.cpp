// Catalog calls: every call is one request of class 4 whose reply starts with
// a catalog status (and a message when it is not 0), then the call's data.
#include "database/client/catalog.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/catalog_codec.h"
#include "database/client/client.h"
#include "database/client/root.h"
#include "database/client/tcp.h"
#include "database/client/trace.h"

namespace {

// Operation numbers of the catalog class.
enum {
  OP_ADD_USER = 8,
  OP_GET_USER_BY_NAME = 9,
  OP_GET_USER_BY_ID = 10,
  OP_ADD_DB = 11,
  OP_OPEN_DB_BY_NAME = 15,
  OP_CLOSE_DB = 17,
  OP_ADD_COLLATE = 18,
  OP_GET_COLLATE_BY_NAME = 19,
  OP_GET_COLLATE_BY_ID = 20,
  OP_ADD_GROUP = 21,
  OP_GET_GROUP_BY_ID = 23,
  OP_ADD_MEMBER = 24,
  OP_ADD_PRIVILEGE = 25,
  OP_ADD_COLUMN = 27,
  OP_ADD_INDEX = 30,
  OP_ADD_INDEXSEG = 33,
  OP_ADD_TABLE = 34,
  OP_ADD_TABLECOLUMN = 37,
  OP_ADD_TABLEPATH = 38,
  OP_ADD_TABLEINDEX = 39,
  OP_SELECT = 41,
  OP_FETCH = 42,
  OP_CLOSE_QUERY = 43,
  OP_UPD_USER = 44,
  OP_DEL_USER = 45,
  OP_UPD_GROUP = 46,
  OP_DEL_GROUP = 47,
  OP_DEL_MEMBER = 48,
  OP_DEL_PRIVILEGE = 49,
  OP_GET_CLIENT_COLLATE_BY_ID = 50,
};

// Smallest wire size of one column descriptor of a result set: a string of
// one byte (its NUL) with its length word, the type, a word and the size.
constexpr size_t kMinColumnBytes = 2 + 1 + 1 + 4 + 4;
// Smallest wire size of one value of a row: its null flag.
constexpr size_t kMinValueBytes = 1;

size_t round_up(size_t n, size_t to) { return (n + to - 1) / to * to; }

size_t remaining(const Buffer* b) { return b->recv_len - b->recv_offset; }

// Steps common to every call: the entry of the server id with the catalog
// capability; null with the last status set.
ServerEntry* catalog_entry(const char* name, int server_id) {
  ClientContext* c = idb__get_client(0);
  ServerEntry* e = c ? idb__find_server(c, server_id) : nullptr;
  if (!e) {
    debug_printf('P', 0, "%s failed: unknown server_id %d", name, server_id);
    IDB_FAIL(S_REMOTE, REMOTE_SERVER_ID);
    return nullptr;
  }
  if (!(e->capabilities & CAP_CATALOG)) {
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return nullptr;
  }
  return e;
}

// Finds the server and begins the request; the buffer, or null.
Buffer* begin_call(const char* name, int server_id, int op, ServerEntry** entry) {
  ServerEntry* e = catalog_entry(name, server_id);
  if (!e) return nullptr;
  Buffer* b = e->client->buffer;
  idb__begin_request(e, IDB_CLASS_CATALOG, op);
  Buffer_SetOpName(b, name);
  *entry = e;
  return b;
}

// Set by SysCat_quiet_refusals.
bool g_quiet_refusals = false;

// Sends the request and reads the catalog status; 0 when the call's data
// follows, else -1 with the last status set.
int exchange(ServerEntry* e) {
  Buffer* b = e->client->buffer;
  if (Buffer_SendFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return -1;
  }
  if (idb__call_server(e) != 0) return -1;
  int32_t status = 0;
  if (Buffer_Get_int32(b, &status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return -1;
  }
  if (status != 0) {
    const char* message = nullptr;
    if (Buffer_Get_counted_str(b, &message) == 0 && message[0] != '\0' && !g_quiet_refusals)
      debug_printf('P', 0, "System catalog failure: %s", message);
    IDB_FAIL(S_SYSCAT, status);
    return -1;
  }
  idb__set_last_code(0);
  return 0;
}

// The end of a decode: -1 with S_REMOTE -8 when anything failed.
int decoded(Buffer* b) {
  if (Buffer_DecodeFailed(b)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return -1;
  }
  return 0;
}

// Reads an assigned id after an add.
int read_id(Buffer* b, uint32_t* id) {
  uint32_t v = 0;
  Buffer_Get_uint32(b, &v);
  if (decoded(b) != 0) return -1;
  *id = v;
  return 0;
}

// A counted block inside an object: {u32 length in the server's order, bytes}.
// A secret block (a password digest) shows as "x" bytes in the send trace.
void put_block(Buffer* b, const SysCatBlock* block, bool secret = false) {
  uint32_t n = block ? block->length : 0;
  IDB_ASSERT(n <= 0xfffffffbu);
  IDB_ASSERT(n == 0 || block->bytes != nullptr);
  Buffer_Put_uint32(b, n + 4);
  Buffer_Put_uint32(b, n);
  if (n == 0) return;
  const size_t offset = Buffer_Size(b);
  unsigned char* p = Buffer_Extend(b, n);
  if (!p) return;
  std::memcpy(p, block->bytes, n);
  if (secret) {
    b->secret_offset = offset;
    b->secret_length = n;
  }
}

// Keeps the received bytes out of the hex-dump trace while it lives: the
// reply holds password digests.
class ConcealedReply {
 public:
  explicit ConcealedReply(bool on = true) : before_(tcp_conceal_received(on)) {}
  ~ConcealedReply() { tcp_conceal_received(before_); }
  ConcealedReply(const ConcealedReply&) = delete;
  ConcealedReply& operator=(const ConcealedReply&) = delete;

 private:
  bool before_;
};

uint32_t word_from_server(const Buffer* b, const unsigned char* p) {
  if (b->remote_byte_order == BYTE_ORDER_BE)
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
  return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 |
         p[0];
}

uint16_t half_from_server(const Buffer* b, const unsigned char* p) {
  if (b->remote_byte_order == BYTE_ORDER_BE) return static_cast<uint16_t>(p[0] << 8 | p[1]);
  return static_cast<uint16_t>(p[1] << 8 | p[0]);
}

// A block decoded from its object: the bytes stay in the message.
struct BlockView {
  bool present = false;
  uint32_t length = 0;
  const unsigned char* bytes = nullptr;
};

// Splits an object into its block; a length word beyond the object is a
// decode failure. Objects of 1 to 3 bytes are left to the caller.
int split_block(Buffer* b, const unsigned char* obj, uint32_t size, BlockView* view) {
  *view = BlockView();
  if (size < 4) return 0;
  uint32_t n = word_from_server(b, obj);
  if (n > size - 4) {
    debug_printf('P', 0, "%s: block length %u exceeds its object of %u bytes", b->op_name ? b->op_name : "catalog", n,
                 size);
    b->recv_decode_failed = -1;
    return -1;
  }
  if (n == 0) return 0;
  view->present = true;
  view->length = n;
  view->bytes = obj + 4;
  return 0;
}

// One heap block: the record first, then a block header, the name and the
// block's bytes. Fills the pointers; null when the allocation failed.
template <typename Record>
Record* build_record(const char* unpack, const Record& fields, const char* name, size_t name_len,
                     const BlockView& block, const char** name_out, const SysCatBlock** block_out) {
  size_t at_block = round_up(sizeof(Record), alignof(SysCatBlock));
  size_t at_name = at_block + (block.present ? sizeof(SysCatBlock) : 0);
  size_t at_bytes = at_name + name_len + 1;
  size_t total = at_bytes + block.length;
  unsigned char* p = static_cast<unsigned char*>(std::malloc(total));
  if (!p) {
    debug_printf('P', 0, "%s failed: heap overflow (%u bytes)", unpack, static_cast<unsigned>(total));
    IDB_FAIL(S_SYSTEM, 12);
    return nullptr;
  }
  Record* r = reinterpret_cast<Record*>(p);
  *r = fields;
  char* name_copy = reinterpret_cast<char*>(p + at_name);
  std::memcpy(name_copy, name, name_len);
  name_copy[name_len] = '\0';
  *name_out = name_copy;
  *block_out = nullptr;
  if (block.present) {
    SysCatBlock* header = reinterpret_cast<SysCatBlock*>(p + at_block);
    std::memcpy(p + at_bytes, block.bytes, block.length);
    header->length = block.length;
    header->bytes = p + at_bytes;
    *block_out = header;
  }
  return r;
}

// A string of the reply: its text and length without the NUL.
int get_name(Buffer* b, const char** text, size_t* len) {
  size_t n = 0;
  if (Buffer_Get_counted_str_len(b, text, &n) != 0) {
    *len = 0;
    return -1;
  }
  *len = n ? n - 1 : 0;
  return 0;
}

// ---- records on the wire ----

void pack_user(Buffer* b, const SysCatUser* u) {
  Buffer_Put_uint32(b, u->uid);
  Buffer_Put_str(b, u->name ? u->name : "");
  Buffer_Put_align(b, 4);
  put_block(b, u->password, true);
  Buffer_Put_int32(b, u->flags);
}

}  // namespace

SysCatUser* SysCat__unpack_user(Buffer* b) {
  SysCatUser fields = {};
  const char* name = nullptr;
  size_t name_len = 0;
  const unsigned char* obj = nullptr;
  uint32_t size = 0;
  BlockView block;
  Buffer_Get_uint32(b, &fields.uid);
  get_name(b, &name, &name_len);
  Buffer_Get_align(b, 4);
  if (Buffer_Get_obj(b, &obj, &size) == 0) {
    if (size != 0 && size < 4) {
      debug_printf('P', 0, "SysCat__unpack_user(uid=%u) failed: inconsistent size (%u)", fields.uid, size);
      b->recv_decode_failed = -1;
    } else {
      split_block(b, obj, size, &block);
    }
  }
  Buffer_Get_int32(b, &fields.flags);
  if (decoded(b) != 0) return nullptr;
  SysCatUser* r = build_record("SysCat__unpack_user()", fields, name, name_len, block, &fields.name, &fields.password);
  if (r) {
    r->name = fields.name;
    r->password = fields.password;
  }
  return r;
}

namespace {

void pack_group(Buffer* b, const SysCatGroup* g) {
  Buffer_Put_uint32(b, g->gid);
  Buffer_Put_str(b, g->name ? g->name : "");
  Buffer_Put_int32(b, g->flags);
}

}  // namespace

SysCatGroup* SysCat__unpack_group(Buffer* b) {
  SysCatGroup fields = {};
  const char* name = nullptr;
  size_t name_len = 0;
  Buffer_Get_uint32(b, &fields.gid);
  get_name(b, &name, &name_len);
  Buffer_Get_int32(b, &fields.flags);
  if (decoded(b) != 0) return nullptr;
  const SysCatBlock* none = nullptr;
  SysCatGroup* r = build_record("SysCat__unpack_group()", fields, name, name_len, BlockView(), &fields.name, &none);
  if (r) r->name = fields.name;
  return r;
}

namespace {

int pack_collate(Buffer* b, const SysCatCollate* c) {
  if (c->type != SysCollate_BYTEMAP) {
    debug_printf('P', 0, "SysCat__pack_collate(id=%d) failed: unknown type %d", static_cast<int>(c->id),
                 static_cast<int>(c->type));
    IDB_FAIL(S_BAD, 0);
    return -1;
  }
  Buffer_Put_uint32(b, c->id);
  Buffer_Put_str(b, c->name ? c->name : "");
  Buffer_Put_uint32(b, c->type);
  Buffer_Put_int32(b, c->reserved1);
  Buffer_Put_uint32(b, c->reserved2);
  Buffer_Put_align(b, 4);
  put_block(b, c->map);
  return 0;
}

}  // namespace

SysCatCollate* SysCat__unpack_collate(Buffer* b) {
  SysCatCollate fields = {};
  const char* name = nullptr;
  size_t name_len = 0;
  BlockView block;
  Buffer_Get_uint32(b, &fields.id);
  get_name(b, &name, &name_len);
  Buffer_Get_uint32(b, &fields.type);
  Buffer_Get_int32(b, &fields.reserved1);
  Buffer_Get_uint32(b, &fields.reserved2);
  if (decoded(b) != 0) return nullptr;
  if (fields.type != SysCollate_BYTEMAP) {
    debug_printf('P', 0, "SysCat__unpack_collate(id=%d) failed: unknown type %d", static_cast<int>(fields.id),
                 static_cast<int>(fields.type));
    IDB_FAIL(S_BAD, 0);
    return nullptr;
  }
  const unsigned char* obj = nullptr;
  uint32_t size = 0;
  Buffer_Get_align(b, 4);
  Buffer_Get_obj(b, &obj, &size);
  if (decoded(b) != 0) return nullptr;
  if (size != 0 && size < 4) {
    debug_printf('P', 0, "SysCat__unpack_collate(id=%d) failed: inconsistent size (%u)", static_cast<int>(fields.id),
                 size);
    IDB_FAIL(S_BAD, 0);
    return nullptr;
  }
  split_block(b, obj, size, &block);
  if (decoded(b) != 0) return nullptr;
  SysCatCollate* r = build_record("SysCat__unpack_collate()", fields, name, name_len, block, &fields.name, &fields.map);
  if (r) {
    r->name = fields.name;
    r->map = fields.map;
  }
  return r;
}

namespace {

void trace_name(const char* label, const char* value) {
  debug_printf('P', 2, " %s = \"%s\"", label, value ? value : "");
}

void trace_server(int server_id) { debug_printf('P', 2, " server_id = %d", server_id); }

void trace_db(int db_hndl) { debug_printf('P', 2, " db_hndl = %d", db_hndl); }

// The common shape of the record calls that send one record and read an
// assigned id, or nothing.
template <typename Pack>
int add_call(const char* name, int server_id, int op, Pack pack, uint32_t* id_out, const char* id_label) {
  ServerEntry* e = nullptr;
  Buffer* b = begin_call(name, server_id, op, &e);
  if (!b) return -1;
  if (pack(b) != 0) return -1;
  if (exchange(e) != 0) return -1;
  if (id_out) {
    if (read_id(b, id_out) != 0) return -1;
    debug_printf('P', 2, " %s = %d", id_label, static_cast<int>(*id_out));
  }
  return 0;
}

}  // namespace

// ---- connection calls ----

int SysCat_open(const char* host, const char* service) {
  if (idb__trace_call('P', 2, "SysCat_open()")) {
    trace_name("host", host);
    trace_name("service", service);
  }
  IDB_ASSERT(host != nullptr);
  IDB_ASSERT(service != nullptr);
  StatusArray status = {};
  ServerEntry* e = idb__attach_server(host, service, status);
  if (!e) return -1;
  if (!(e->capabilities & CAP_CATALOG)) {
    debug_printf('P', 1, "SysCat_Open() note: server does not have catalog capabilities, server_id=%d", e->server_id);
    idb__release_server(e);
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return 0;
  }
  trace_server(e->server_id);
  return e->server_id;
}

int SysCat_close(int server_id) {
  if (idb__trace_call('P', 2, "SysCat_close()")) trace_server(server_id);
  ClientContext* c = idb__get_client(0);
  ServerEntry* e = c ? idb__find_server(c, server_id) : nullptr;
  if (!e) {
    debug_printf('P', 0, "SysCat_close() failed: unknown server_id %d", server_id);
    IDB_FAIL(S_REMOTE, REMOTE_SERVER_ID);
    return -1;
  }
  if (!(e->capabilities & CAP_CATALOG)) {
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return -1;
  }
  idb__release_server(e);
  return 0;
}

int SysCat_attach(int dbid) {
  if (idb__trace_call('P', 2, "SysCat_attach()")) debug_printf('P', 2, " dbid = %d", dbid);
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx) {
    IDB_FAIL(S_BADID, 0);
    return -1;
  }
  if (!ctx->server) return -1;
  if (!(ctx->server->capabilities & CAP_CATALOG)) {
    debug_printf('P', 1, "SysCat_attach() note: server does not have catalog capabilities, server_id=%d",
                 ctx->server->server_id);
    IDB_FAIL(S_REMOTE, REMOTE_CAPABILITY);
    return 0;
  }
  trace_server(ctx->server->server_id);
  return ctx->server->server_id;
}

// ---- node level ----

int SysCat_add_user(int server_id, SysCatUser* user) {
  IDB_ASSERT(user != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_user()")) {
    trace_server(server_id);
    trace_name("usr->name", user->name);
  }
  return add_call(
      "SysCat_add_user()", server_id, OP_ADD_USER,
      [&](Buffer* b) {
        pack_user(b, user);
        return 0;
      },
      &user->uid, "usr->uid");
}

namespace {

SysCatUser* get_user(const char* name, int server_id, int op, const char* by_name, int32_t by_id) {
  ServerEntry* e = nullptr;
  Buffer* b = begin_call(name, server_id, op, &e);
  if (!b) return nullptr;
  if (by_name)
    Buffer_Put_str(b, by_name);
  else
    Buffer_Put_int32(b, by_id);
  ConcealedReply concealed;
  if (exchange(e) != 0) return nullptr;
  SysCatUser* u = SysCat__unpack_user(b);
  if (u) debug_printf('P', 2, " usr->uid = %d", static_cast<int>(u->uid));
  return u;
}

}  // namespace

SysCatUser* SysCat_get_user_by_name(int server_id, const char* name) {
  IDB_ASSERT(name != nullptr);
  if (idb__trace_call('P', 2, "SysCat_get_user_by_name()")) {
    trace_server(server_id);
    trace_name("name", name);
  }
  return get_user("SysCat_get_user_by_name()", server_id, OP_GET_USER_BY_NAME, name, 0);
}

SysCatUser* SysCat_get_user_by_id(int server_id, int32_t id) {
  if (idb__trace_call('P', 2, "SysCat_get_user_by_id()")) {
    trace_server(server_id);
    debug_printf('P', 2, " id = %u", static_cast<unsigned>(id));
  }
  return get_user("SysCat_get_user_by_id()", server_id, OP_GET_USER_BY_ID, nullptr, id);
}

int SysCat_upd_user(int server_id, const SysCatUser* user) {
  IDB_ASSERT(user != nullptr);
  if (idb__trace_call('P', 2, "SysCat_upd_user()")) {
    trace_server(server_id);
    trace_name("usr->name", user->name);
  }
  return add_call(
      "SysCat_upd_user()", server_id, OP_UPD_USER,
      [&](Buffer* b) {
        pack_user(b, user);
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_del_user(int server_id, const SysCatUser* user) {
  IDB_ASSERT(user != nullptr);
  if (idb__trace_call('P', 2, "SysCat_del_user()")) {
    trace_server(server_id);
    trace_name("usr->name", user->name);
  }
  return add_call(
      "SysCat_del_user()", server_id, OP_DEL_USER,
      [&](Buffer* b) {
        pack_user(b, user);
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_add_db(int server_id, SysCatDb* db) {
  IDB_ASSERT(db != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_db()")) {
    trace_server(server_id);
    trace_name("db->name", db->name);
  }
  return add_call(
      "SysCat_add_db()", server_id, OP_ADD_DB,
      [&](Buffer* b) {
        Buffer_Put_uint32(b, db->dbid);
        Buffer_Put_str(b, db->name ? db->name : "");
        Buffer_Put_int32(b, db->flags);
        Buffer_Put_int32(b, db->reserved1);
        Buffer_Put_int32(b, db->reserved2);
        return 0;
      },
      &db->dbid, "db->dbid");
}

int SysCat_open_db_by_name(int server_id, const char* name, int32_t mask, int32_t flags) {
  IDB_ASSERT(name != nullptr);
  if (idb__trace_call('P', 2, "SysCat_open_db_by_name()")) {
    trace_server(server_id);
    trace_name("name", name);
    debug_printf('P', 2, " mask = %x", static_cast<unsigned>(mask));
    debug_printf('P', 2, " flags = %x", static_cast<unsigned>(flags));
  }
  ServerEntry* e = nullptr;
  Buffer* b = begin_call("SysCat_open_db_by_name()", server_id, OP_OPEN_DB_BY_NAME, &e);
  if (!b) return -1;
  Buffer_Put_str(b, name);
  Buffer_Put_int32(b, mask);
  Buffer_Put_int32(b, flags);
  if (exchange(e) != 0) return -1;
  uint16_t handle = 0;
  Buffer_Get_uint16(b, &handle);
  if (decoded(b) != 0) return -1;
  if (handle == 0) {
    // 0 addresses the node level: no database handle can have it.
    debug_printf('P', 0, "SysCat_open_db_by_name() failed: server returned database handle 0");
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return -1;
  }
  trace_db(handle);
  return handle;
}

int SysCat_close_db(int server_id, int db_hndl) {
  if (idb__trace_call('P', 2, "SysCat_close_db()")) {
    trace_server(server_id);
    trace_db(db_hndl);
  }
  return add_call(
      "SysCat_close_db()", server_id, OP_CLOSE_DB,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_add_collate(int server_id, SysCatCollate* coll) {
  IDB_ASSERT(coll != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_collate()")) {
    trace_server(server_id);
    trace_name("coll->name", coll->name);
  }
  return add_call(
      "SysCat_add_collate()", server_id, OP_ADD_COLLATE, [&](Buffer* b) { return pack_collate(b, coll); }, &coll->id,
      "coll->id");
}

namespace {

SysCatCollate* get_collate(const char* name, int server_id, int op, const char* by_name, uint32_t by_id) {
  ServerEntry* e = nullptr;
  Buffer* b = begin_call(name, server_id, op, &e);
  if (!b) return nullptr;
  if (by_name)
    Buffer_Put_str(b, by_name);
  else
    Buffer_Put_uint32(b, by_id);
  if (exchange(e) != 0) return nullptr;
  SysCatCollate* c = SysCat__unpack_collate(b);
  if (c) debug_printf('P', 2, " coll->id = %d", static_cast<int>(c->id));
  return c;
}

}  // namespace

SysCatCollate* SysCat_get_collate_by_name(int server_id, const char* name) {
  IDB_ASSERT(name != nullptr);
  if (idb__trace_call('P', 2, "SysCat_get_coll_by_name()")) {
    trace_server(server_id);
    trace_name("name", name);
  }
  return get_collate("SysCat_get_coll_by_name()", server_id, OP_GET_COLLATE_BY_NAME, name, 0);
}

SysCatCollate* SysCat_get_collate_by_id(int server_id, uint32_t id) {
  if (idb__trace_call('P', 2, "SysCat_get_collate_by_id()")) {
    trace_server(server_id);
    debug_printf('P', 2, " id = %u", id);
  }
  return get_collate("SysCat_get_collate_by_id()", server_id, OP_GET_COLLATE_BY_ID, nullptr, id);
}

SysCatCollate* SysCat_get_client_collate_by_id(int server_id, uint32_t id) {
  if (idb__trace_call('P', 2, "SysCat_get_client_collate_by_id()")) {
    trace_server(server_id);
    debug_printf('P', 2, " id = %u", id);
  }
  return get_collate("SysCat_get_client_collate_by_id()", server_id, OP_GET_CLIENT_COLLATE_BY_ID, nullptr, id);
}

// ---- a database's catalog ----

int SysCat_add_group(int server_id, int db_hndl, SysCatGroup* grp) {
  IDB_ASSERT(grp != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_group()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    trace_name("grp->name", grp->name);
  }
  return add_call(
      "SysCat_add_group()", server_id, OP_ADD_GROUP,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        pack_group(b, grp);
        return 0;
      },
      &grp->gid, "grp->gid");
}

SysCatGroup* SysCat_get_group_by_id(int server_id, int db_hndl, int32_t id) {
  if (idb__trace_call('P', 2, "SysCat_get_group_by_id()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " id = %u", static_cast<unsigned>(id));
  }
  ServerEntry* e = nullptr;
  Buffer* b = begin_call("SysCat_get_group_by_id()", server_id, OP_GET_GROUP_BY_ID, &e);
  if (!b) return nullptr;
  Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
  Buffer_Put_int32(b, id);
  if (exchange(e) != 0) return nullptr;
  SysCatGroup* g = SysCat__unpack_group(b);
  if (g) debug_printf('P', 2, " grp->gid = %d", static_cast<int>(g->gid));
  return g;
}

namespace {

int group_call(const char* name, int op, int server_id, int db_hndl, const SysCatGroup* grp) {
  IDB_ASSERT(grp != nullptr);
  if (idb__trace_call('P', 2, name)) {
    trace_server(server_id);
    trace_db(db_hndl);
    trace_name("grp->name", grp->name);
  }
  return add_call(
      name, server_id, op,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        pack_group(b, grp);
        return 0;
      },
      nullptr, nullptr);
}

int member_call(const char* name, int op, int server_id, int db_hndl, const SysCatMember* memb) {
  IDB_ASSERT(memb != nullptr);
  if (idb__trace_call('P', 2, name)) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " memb->uid = %d", static_cast<int>(memb->uid));
    debug_printf('P', 2, " memb->gid = %d", static_cast<int>(memb->gid));
  }
  return add_call(
      name, server_id, op,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, memb->uid);
        Buffer_Put_uint32(b, memb->gid);
        return 0;
      },
      nullptr, nullptr);
}

int privilege_call(const char* name, int op, int server_id, int db_hndl, const SysCatPrivilege* priv) {
  IDB_ASSERT(priv != nullptr);
  if (idb__trace_call('P', 2, name)) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " priv->gid = %d", static_cast<int>(priv->gid));
    debug_printf('P', 2, " priv->tableid = %d", static_cast<int>(priv->tableid));
  }
  return add_call(
      name, server_id, op,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, priv->gid);
        Buffer_Put_uint32(b, priv->tableid);
        Buffer_Put_int32(b, priv->priv);
        return 0;
      },
      nullptr, nullptr);
}

}  // namespace

int SysCat_upd_group(int server_id, int db_hndl, const SysCatGroup* grp) {
  return group_call("SysCat_upd_group()", OP_UPD_GROUP, server_id, db_hndl, grp);
}

int SysCat_del_group(int server_id, int db_hndl, const SysCatGroup* grp) {
  return group_call("SysCat_del_group()", OP_DEL_GROUP, server_id, db_hndl, grp);
}

int SysCat_add_member(int server_id, int db_hndl, const SysCatMember* memb) {
  return member_call("SysCat_add_member()", OP_ADD_MEMBER, server_id, db_hndl, memb);
}

int SysCat_del_member(int server_id, int db_hndl, const SysCatMember* memb) {
  return member_call("SysCat_del_member()", OP_DEL_MEMBER, server_id, db_hndl, memb);
}

int SysCat_add_privilege(int server_id, int db_hndl, const SysCatPrivilege* priv) {
  return privilege_call("SysCat_add_privilege()", OP_ADD_PRIVILEGE, server_id, db_hndl, priv);
}

int SysCat_del_privilege(int server_id, int db_hndl, const SysCatPrivilege* priv) {
  return privilege_call("SysCat_del_privilege()", OP_DEL_PRIVILEGE, server_id, db_hndl, priv);
}

int SysCat_add_column(int server_id, int db_hndl, SysCatColumn* col) {
  IDB_ASSERT(col != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_column()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    trace_name("col->name", col->name);
  }
  return add_call(
      "SysCat_add_column()", server_id, OP_ADD_COLUMN,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, col->colid);
        Buffer_Put_uint32(b, col->reserved1);
        Buffer_Put_str(b, col->name ? col->name : "");
        Buffer_Put_uint8(b, col->type);
        Buffer_Put_uint32(b, col->size);
        Buffer_Put_uint32(b, col->count);
        Buffer_Put_int32(b, col->reserved2);
        Buffer_Put_uint32(b, col->format);
        return 0;
      },
      &col->colid, "col->colid");
}

int SysCat_add_index(int server_id, int db_hndl, SysCatIndex* ind) {
  IDB_ASSERT(ind != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_index()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    trace_name("ind->name", ind->name);
  }
  return add_call(
      "SysCat_add_index()", server_id, OP_ADD_INDEX,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, ind->idxid);
        Buffer_Put_uint32(b, ind->tableid);
        Buffer_Put_str(b, ind->name ? ind->name : "");
        Buffer_Put_uint32(b, ind->reserved1);
        Buffer_Put_int32(b, ind->kind);
        Buffer_Put_uint8(b, ind->segments);
        Buffer_Put_uint32(b, ind->reserved2);
        return 0;
      },
      &ind->idxid, "ind->idxid");
}

int SysCat_add_indexseg(int server_id, int db_hndl, const SysCatIndexSeg* seg) {
  IDB_ASSERT(seg != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_indexseg()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " seg->idxid = %d", static_cast<int>(seg->idxid));
    debug_printf('P', 2, " seg->idx = %d", seg->idx);
  }
  return add_call(
      "SysCat_add_indexseg()", server_id, OP_ADD_INDEXSEG,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, seg->idxid);
        Buffer_Put_uint8(b, seg->idx);
        Buffer_Put_uint32(b, seg->colid);
        Buffer_Put_uint32(b, seg->length);
        Buffer_Put_int32(b, seg->reserved);
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_add_table(int server_id, int db_hndl, SysCatTable* tbl) {
  IDB_ASSERT(tbl != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_table()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    trace_name("tbl->name", tbl->name);
  }
  return add_call(
      "SysCat_add_table()", server_id, OP_ADD_TABLE,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, tbl->tableid);
        Buffer_Put_uint32(b, tbl->reserved1);
        Buffer_Put_str(b, tbl->name ? tbl->name : "");
        Buffer_Put_uint32(b, tbl->reserved2);
        Buffer_Put_int32(b, tbl->flags);
        Buffer_Put_int16(b, tbl->columns);
        Buffer_Put_int16(b, tbl->paths);
        Buffer_Put_int16(b, tbl->indexes);
        Buffer_Put_int32(b, tbl->reserved3);
        return 0;
      },
      &tbl->tableid, "tbl->tableid");
}

int SysCat_add_tablecolumn(int server_id, int db_hndl, const SysCatTableColumn* tblcol) {
  IDB_ASSERT(tblcol != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_tablecolumn()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " tblcol->tableid = %d", static_cast<int>(tblcol->tableid));
    debug_printf('P', 2, " tblcol->colid = %d", static_cast<int>(tblcol->colid));
    debug_printf('P', 2, " tblcol->idx = %d", static_cast<int>(tblcol->idx));
  }
  return add_call(
      "SysCat_add_tablecolumn()", server_id, OP_ADD_TABLECOLUMN,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, tblcol->tableid);
        Buffer_Put_uint32(b, tblcol->colid);
        Buffer_Put_uint32(b, tblcol->idx);
        Buffer_Put_int32(b, tblcol->key);
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_add_tablepath(int server_id, int db_hndl, const SysCatTablePath* tblpath) {
  IDB_ASSERT(tblpath != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_tablepath()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " tblpath->tableid = %d", static_cast<int>(tblpath->tableid));
    debug_printf('P', 2, " tblpath->idx = %d", static_cast<int>(tblpath->idx));
    debug_printf('P', 2, " tblpath->colid = %d", static_cast<int>(tblpath->colid));
    if (tblpath->sortcolid != 0) debug_printf('P', 2, " tblpath->sortcolid = %d", static_cast<int>(tblpath->sortcolid));
  }
  return add_call(
      "SysCat_add_tablepath()", server_id, OP_ADD_TABLEPATH,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, tblpath->tableid);
        Buffer_Put_uint32(b, tblpath->idx);
        Buffer_Put_uint32(b, tblpath->colid);
        Buffer_Put_uint32(b, tblpath->reltableid);
        Buffer_Put_uint32(b, tblpath->relidx);
        Buffer_Put_uint32(b, tblpath->relcolid);
        Buffer_Put_uint32(b, tblpath->sortcolid);
        return 0;
      },
      nullptr, nullptr);
}

int SysCat_add_tableindex(int server_id, int db_hndl, const SysCatTableIndex* tblidx) {
  IDB_ASSERT(tblidx != nullptr);
  if (idb__trace_call('P', 2, "SysCat_add_tableindex()")) {
    trace_server(server_id);
    trace_db(db_hndl);
    debug_printf('P', 2, " tblidx->tableid = %d", static_cast<int>(tblidx->tableid));
    debug_printf('P', 2, " tblidx->idxid = %d", static_cast<int>(tblidx->idxid));
  }
  return add_call(
      "SysCat_add_tableindex()", server_id, OP_ADD_TABLEINDEX,
      [&](Buffer* b) {
        Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
        Buffer_Put_uint32(b, tblidx->tableid);
        Buffer_Put_uint32(b, tblidx->idxid);
        Buffer_Put_uint32(b, tblidx->collid);
        Buffer_Put_uint32(b, tblidx->reserved);
        return 0;
      },
      nullptr, nullptr);
}

// ---- generic queries ----

namespace {

struct ColumnView {
  const char* name;
  size_t name_len;
  uint8_t type;
  int32_t word;
  uint32_t size;
};

}  // namespace

SysCatResultSet* SysCat__unpack_resultset(Buffer* b, int server_id) {
  uint16_t handle = 0;
  const char* table = nullptr;
  size_t table_len = 0;
  int32_t word = 0;
  uint32_t columns = 0, rows = 0, names_total = 0;
  Buffer_Get_uint16(b, &handle);
  get_name(b, &table, &table_len);
  Buffer_Get_int32(b, &word);
  Buffer_Get_uint32(b, &columns);
  Buffer_Get_uint32(b, &rows);
  Buffer_Get_uint32(b, &names_total);
  if (decoded(b) != 0) return nullptr;
  // The announced counts must fit in what the reply still holds.
  if (columns > remaining(b) / kMinColumnBytes || names_total > remaining(b)) {
    debug_printf('P', 0, "SysCat__unpack_resultset() failed: %u columns with %u bytes of names in %u bytes", columns,
                 names_total, static_cast<unsigned>(remaining(b)));
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  std::vector<ColumnView> cols(columns);
  size_t names = 0;
  for (ColumnView& c : cols) {
    get_name(b, &c.name, &c.name_len);
    Buffer_Get_uint8(b, &c.type);
    Buffer_Get_int32(b, &c.word);
    Buffer_Get_uint32(b, &c.size);
    names += c.name_len + 1;
  }
  if (decoded(b) != 0) return nullptr;
  if (names > names_total) {
    debug_printf('P', 0, "SysCat__unpack_resultset() failed: names of %u bytes, %u announced",
                 static_cast<unsigned>(names), names_total);
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  size_t at_cols = round_up(sizeof(SysCatResultSet), alignof(SysCatColDesc));
  size_t at_names = at_cols + columns * sizeof(SysCatColDesc);
  size_t total = at_names + table_len + 1 + names;
  unsigned char* p = static_cast<unsigned char*>(std::malloc(total));
  if (!p) {
    debug_printf('P', 0, "SysCat__unpack_resultset() failed: heap overflow (%u bytes)", static_cast<unsigned>(total));
    IDB_FAIL(S_SYSTEM, 12);
    return nullptr;
  }
  SysCatResultSet* rs = reinterpret_cast<SysCatResultSet*>(p);
  rs->cols = reinterpret_cast<SysCatColDesc*>(p + at_cols);
  char* text = reinterpret_cast<char*>(p + at_names);
  std::memcpy(text, table, table_len);
  text[table_len] = '\0';
  rs->table_name = text;
  text += table_len + 1;
  for (uint32_t i = 0; i < columns; ++i) {
    std::memcpy(text, cols[i].name, cols[i].name_len);
    text[cols[i].name_len] = '\0';
    rs->cols[i].col_name = text;
    rs->cols[i].col_type = cols[i].type;
    rs->cols[i].col_word = cols[i].word;
    rs->cols[i].col_size = cols[i].size;
    text += cols[i].name_len + 1;
  }
  rs->word = word;
  rs->col_count = columns;
  rs->row_count = rows;
  rs->server_id = server_id;
  rs->qry_hndl = handle;
  return rs;
}

namespace {

// Alignment of a value of a column type inside the row block.
size_t value_alignment(uint8_t type) {
  switch (type) {
    case SysCol_INT16: return 2;
    case SysCol_INTEGER:
    case SysCol_BINARY:
    case SysCol_COUNTED:
    case SysCol_COUNTED2: return 4;
    default: return 1;
  }
}

// The object size a column type requires, or 0 for any size.
uint32_t required_size(uint8_t type) {
  switch (type) {
    case SysCol_INT8: return 1;
    case SysCol_INT16: return 2;
    case SysCol_INTEGER: return 4;
    default: return 0;
  }
}

bool is_text(uint8_t type) { return type == SysCol_CHAR || type == SysCol_VARCHAR || type == SysCol_STRING; }

struct ValueView {
  bool null;
  const unsigned char* bytes;
  uint32_t size;
};

}  // namespace

SysCatRow* SysCat__unpack_result(Buffer* b, const SysCatResultSet* rs) {
  uint32_t columns = 0, values_total = 0;
  Buffer_Get_uint32(b, &columns);
  Buffer_Get_uint32(b, &values_total);
  if (decoded(b) != 0) return nullptr;
  if (columns != rs->col_count || columns > remaining(b) / kMinValueBytes || values_total > remaining(b)) {
    debug_printf('P', 0, "SysCat__unpack_result() failed: %u columns (%u expected) with %u bytes of values in %u bytes",
                 columns, rs->col_count, values_total, static_cast<unsigned>(remaining(b)));
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  std::vector<ValueView> values(columns);
  size_t data = 0;
  size_t announced = 0;
  for (uint32_t i = 0; i < columns; ++i) {
    uint8_t null_flag = 0;
    ValueView& v = values[i];
    v = ValueView{true, nullptr, 0};
    if (Buffer_Get_uint8(b, &null_flag) != 0) break;
    if (null_flag != 0) continue;
    if (Buffer_Get_obj(b, &v.bytes, &v.size) != 0) break;
    v.null = false;
    uint8_t type = rs->cols[i].col_type;
    uint32_t need = required_size(type);
    if (need != 0 && v.size != need) {
      debug_printf('P', 0, "SysCat__unpack_result() failed: value of %u bytes for column \"%s\" of type %d", v.size,
                   rs->cols[i].col_name, type);
      b->recv_decode_failed = -1;
      break;
    }
    announced += v.size;
    // Alignment before the value, and a NUL after a text.
    data = round_up(data, value_alignment(type)) + v.size + (is_text(type) ? 1 : 0);
  }
  if (decoded(b) != 0) return nullptr;
  if (announced > values_total) {
    debug_printf('P', 0, "SysCat__unpack_result() failed: values of %u bytes, %u announced",
                 static_cast<unsigned>(announced), values_total);
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return nullptr;
  }
  size_t at_values = round_up(sizeof(SysCatRow), alignof(SysCatValue));
  size_t at_data = round_up(at_values + columns * sizeof(SysCatValue), 4);
  size_t total = at_data + data;
  unsigned char* p = static_cast<unsigned char*>(std::malloc(total ? total : 1));
  if (!p) {
    debug_printf('P', 0, "SysCat__unpack_result() failed: heap overflow (%u bytes)", static_cast<unsigned>(total));
    IDB_FAIL(S_SYSTEM, 12);
    return nullptr;
  }
  SysCatRow* row = reinterpret_cast<SysCatRow*>(p);
  row->col_count = columns;
  row->values = reinterpret_cast<SysCatValue*>(p + at_values);
  size_t at = at_data;
  for (uint32_t i = 0; i < columns; ++i) {
    const ValueView& v = values[i];
    SysCatValue& out = row->values[i];
    if (v.null) {
      out.value = nullptr;
      out.length = 0;
      continue;
    }
    uint8_t type = rs->cols[i].col_type;
    at = round_up(at, value_alignment(type));
    unsigned char* dst = p + at;
    if (v.size) std::memcpy(dst, v.bytes, v.size);
    if (is_text(type)) {
      dst[v.size] = '\0';
      if (Buffer_MapRemoteCharset(b, dst, v.size) != 0) {
        std::free(p);
        IDB_FAIL(S_REMOTE, REMOTE_CODEC);
        return nullptr;
      }
    } else if (type == SysCol_INT16) {
      int16_t n = static_cast<int16_t>(half_from_server(b, dst));
      std::memcpy(dst, &n, 2);
    } else if (type == SysCol_INTEGER) {
      int32_t n = static_cast<int32_t>(word_from_server(b, dst));
      std::memcpy(dst, &n, 4);
    }
    out.value = dst;
    out.length = v.size;
    at += v.size + (is_text(type) ? 1 : 0);
  }
  return row;
}

namespace {

void trace_resultset(const SysCatResultSet* rs) {
  debug_printf('P', 2, " resultset->server_id = %d", rs->server_id);
  debug_printf('P', 2, " resultset->qry_hndl = %d", rs->qry_hndl);
}

}  // namespace

SysCatResultSet* SysCat_select(int server_id, int db_hndl, uint32_t sys_id, uint16_t filter_id) {
  if (idb__trace_call('P', 2, "SysCat_select()")) {
    trace_server(server_id);
    if (db_hndl == 0)
      debug_printf('P', 2, " db_hndl = NULL");
    else
      trace_db(db_hndl);
    debug_printf('P', 2, " sys_id = %d", static_cast<int>(sys_id));
    debug_printf('P', 2, " filter_id = %s", filter_id == SysSelect_ALL ? "SysSelect_ALL" : "** unknown **");
  }
  ServerEntry* e = nullptr;
  Buffer* b = begin_call("SysCat_select()", server_id, OP_SELECT, &e);
  if (!b) return nullptr;
  Buffer_Put_uint16(b, static_cast<uint16_t>(db_hndl));
  Buffer_Put_uint32(b, sys_id);
  Buffer_Put_uint16(b, filter_id);
  if (exchange(e) != 0) return nullptr;
  SysCatResultSet* rs = SysCat__unpack_resultset(b, server_id);
  if (rs) trace_resultset(rs);
  return rs;
}

namespace {

// Rows with a password column (the node's user table) hold digests.
bool holds_passwords(const SysCatResultSet* rs) {
  for (uint32_t i = 0; i < rs->col_count; ++i)
    if (rs->cols[i].col_name && std::strcmp(rs->cols[i].col_name, "password") == 0) return true;
  return false;
}

}  // namespace

SysCatRow* SysCat_fetch(SysCatResultSet* resultset) {
  IDB_ASSERT(resultset != nullptr);
  if (idb__trace_call('P', 2, "SysCat_fetch()")) trace_resultset(resultset);
  ServerEntry* e = nullptr;
  Buffer* b = begin_call("SysCat_fetch()", resultset->server_id, OP_FETCH, &e);
  if (!b) return nullptr;
  Buffer_Put_uint16(b, resultset->qry_hndl);
  ConcealedReply concealed(holds_passwords(resultset));
  if (exchange(e) != 0) return nullptr;
  return SysCat__unpack_result(b, resultset);
}

int SysCat_close_query(SysCatResultSet* resultset) {
  IDB_ASSERT(resultset != nullptr);
  if (idb__trace_call('P', 2, "SysCat_close_query()")) trace_resultset(resultset);
  // The result set is the caller's no longer, whatever the server answers.
  ServerEntry* e = nullptr;
  Buffer* b = begin_call("SysCat_close_query()", resultset->server_id, OP_CLOSE_QUERY, &e);
  int rc = -1;
  if (b) {
    Buffer_Put_uint16(b, resultset->qry_hndl);
    rc = exchange(e) != 0 ? -1 : 0;
  }
  std::free(resultset);
  return rc;
}

void SysCat_quiet_refusals(int on) { g_quiet_refusals = on != 0; }
