#include "database/client/recordcalls.h"

#include <cstring>

#include "database/client/database.h"
#include "database/client/lockcheck.h"
#include "database/client/record.h"
#include "database/client/trace.h"

namespace {

int failed(int code, int32_t* status) {
  idb__set_status(code, status);
  return status[0];
}

int codec_failure(int32_t* status) {
  IDB_FAIL(S_REMOTE, REMOTE_CODEC);
  return idb__set_status(-1, status);
}

// Sends the request built in the buffer and reads the status block.
int exchange(DbContext* ctx, int32_t* status) {
  Buffer* b = ctx->client->buffer;
  if (Buffer_SendFailed(b)) return codec_failure(status);
  if (idb__call_server(ctx->server) != 0) return idb__set_status(-1, status);
  if (idb__get_status(b, status) != 0) return codec_failure(status);
  idb__set_last_code(status[0]);
  return 0;
}

void trace_call(const char* name, int dbid, int setno, int mode, bool with_set) {
  if (!idb__trace_call('P', 2, name)) return;
  debug_printf('P', 2, " dbid = %d", dbid);
  if (with_set) debug_printf('P', 2, " setno = %d", setno);
  debug_printf('P', 2, " mode = %d", mode);
}

const RootItem& item_at(const RootCache* root, int index) { return root->items[index]; }

// One value of an item (all its elements as one field for X and B) with
// flags 3, from a caller's bytes of `have` length: short values are padded.
void pack_value(Buffer* b, const RootItem& item, const unsigned char* bytes, size_t have) {
  char letter = root_letter(item.type);
  size_t size = static_cast<size_t>(item.size);
  if (letter == 'X' || letter == 'B') size *= static_cast<size_t>(item.count);
  unsigned char small[8];
  if (letter != 'X' && letter != 'B' && have < size) {
    std::memset(small, 0, sizeof small);
    std::memcpy(small, bytes, have);
    idb__pack_item(b, small, size, letter, IDB_PACK_SIZE | IDB_PACK_ALIGN);
    return;
  }
  if (have < size) {
    // A character or byte value shorter than the item: the rest is blank
    // (characters) or zero (bytes), as the field would hold it.
    Buffer_Put_align(b, 4);
    Buffer_Put_uint32(b, static_cast<uint32_t>(size));
    unsigned char* p = Buffer_Extend(b, size);
    if (!p) return;
    std::memset(p, letter == 'X' ? ' ' : 0, size);
    std::memcpy(p, bytes, have);
    if (letter == 'X') Buffer_MapLocalCharset(b, p, have);
    return;
  }
  idb__pack_item(b, bytes, size, letter, IDB_PACK_SIZE | IDB_PACK_ALIGN);
}

// The index argument: the parts of the index item in order while the
// caller's bytes last; a character or byte part is cut to what remains.
void pack_index_argument(Buffer* b, const RootCache* root, int iitem, const unsigned char* bytes, uint32_t have) {
  const RootIItem& ii = root->iitems[iitem - root->item_count];
  uint32_t n = 0;
  int parts = 0;
  for (int k = 0; k < ii.part_count; ++k) {
    const RootPart& part = ii.parts[k];
    uint32_t length = static_cast<uint32_t>(part.length);
    char letter = root_letter(item_at(root, part.item).type);
    if (length <= have - n) {
      n += length;
      ++parts;
      continue;
    }
    if ((letter == 'X' || letter == 'B') && have > n) {
      n = have;
      ++parts;
    }
    break;
  }
  Buffer_Put_align(b, 4);
  Buffer_Put_uint32(b, n + 4);
  Buffer_Put_uint32(b, n);
  uint32_t used = 0;
  for (int k = 0; k < parts; ++k) {
    const RootPart& part = ii.parts[k];
    const RootItem& item = item_at(root, part.item);
    char letter = root_letter(item.type);
    uint32_t length = static_cast<uint32_t>(part.length);
    if (length > n - used) length = n - used;
    if (letter == 'X' || letter == 'B')
      idb__pack_item(b, bytes + used, length, letter, 0);
    else
      idb__pack_item(b, bytes + used, static_cast<size_t>(item.size), letter, 0);
    used += length;
  }
}

// A lock layout over the root cache.
struct RootLockLayout : LockLayout {
  explicit RootLockLayout(const RootCache* r) : root(r) {}
  const RootCache* root;
  static void name_of(const unsigned char* field, char out[ROOT_NAME_LEN + 1]) {
    std::memcpy(out, field, ROOT_NAME_LEN);
    out[ROOT_NAME_LEN] = '\0';
  }
  int set_count() override { return root->set_count; }
  int set_by_name(const unsigned char* f) override {
    char name[ROOT_NAME_LEN + 1];
    name_of(f, name);
    return idb__find_set_name(root, name) + 1;
  }
  int item_count() override { return root->item_count; }
  int item_by_name(const unsigned char* f) override {
    char name[ROOT_NAME_LEN + 1];
    name_of(f, name);
    return idb__find_item_name(root, name) + 1;
  }
  int item_type(int item) override { return root_letter(root->items[item - 1].type); }
  int item_elements(int item) override { return root->items[item - 1].count; }
  bool set_has_item(int set, int item) override {
    const RootSet& s = root->sets[set - 1];
    for (int k = 0; k < s.item_count; ++k)
      if (s.items[k] == item - 1) return true;
    return false;
  }
};

int lock_call(int dbid, const void* qualifier, int32_t mode, int32_t* status, bool lock) {
  IDB_ASSERT(status != nullptr);
  status[5] = lock ? DBLOCK : DBUNLOCK;
  status[8] = mode;
  const char* name = lock ? "idb_lock()" : "idb_unlock()";
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  if (ctx->open_mode == IDB_OPEN_MANAGE) return failed(-31, status);
  trace_call(name, dbid, 0, mode, false);
  int group = mode > 10 ? mode - 10 : mode;
  if (mode < 1 || mode > 16 || group < 1 || group > 6) return failed(-31, status);
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, lock ? IDB_OP_LOCK : IDB_OP_UNLOCK);
  Buffer_SetOpName(b, name);
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  if (group == 3 || group == 4) {
    int set = qualifier ? idb__find_set(ctx->root, qualifier) : -1;
    if (set < 0) return failed(-21, status);
    Buffer_Put_uint16(b, static_cast<uint16_t>(set + 1));
  } else if (group == 5 || group == 6) {
    if (!qualifier) return failed(-122, status);
    int32_t total;
    std::memcpy(&total, qualifier, sizeof total);
    if (total < 0) return failed(-122, status);
    Buffer_Put_align(b, 4);
    unsigned char* copy = Buffer_Put_obj(b, static_cast<uint32_t>(total) + 4);
    if (!copy) return codec_failure(status);
    std::memcpy(copy, qualifier, static_cast<size_t>(total) + 4);
    RootLockLayout layout(ctx->root);
    int rc = idb__check_lock_list(copy, static_cast<size_t>(total) + 4, layout, b);
    if (rc != 0) return failed(rc, status);
  }
  if (exchange(ctx, status) != 0) return status[0];
  return status[0];
}

}  // namespace

int32_t idb__put_set_reclen(Buffer* bufp, const RootCache* root, int set) {
  int32_t length = root->sets[set].record_length;
  Buffer_Put_uint32(bufp, static_cast<uint32_t>(length));
  return length;
}

int32_t idb__pack_record(Buffer* bufp, const void* record, const RootCache* root, int set) {
  const RootSet& s = root->sets[set];
  int32_t length = idb__put_set_reclen(bufp, root, set);
  const unsigned char* p = static_cast<const unsigned char*>(record);
  for (int k = 0; k < s.item_count; ++k) {
    const RootItem& item = item_at(root, s.items[k]);
    char letter = root_letter(item.type);
    size_t size = static_cast<size_t>(item.size);
    for (int e = 0; e < item.count; ++e) {
      idb__pack_item(bufp, p, size, letter, 0);
      p += size;
    }
  }
  return length;
}

int idb__unpack_record(Buffer* bufp, void* record, const RootCache* root, int set, int32_t length) {
  const RootSet& s = root->sets[set];
  unsigned char* p = static_cast<unsigned char*>(record);
  int32_t used = 0;
  for (int k = 0; k < s.item_count; ++k) {
    const RootItem& item = item_at(root, s.items[k]);
    char letter = root_letter(item.type);
    for (int e = 0; e < item.count; ++e) {
      if (item.size > length - used) return Buffer_DecodeFailed(bufp);
      if (idb__unpack_item(bufp, p + used, static_cast<size_t>(item.size), letter, 0) != 0) return -1;
      used += item.size;
    }
  }
  return Buffer_DecodeFailed(bufp);
}

int idb_put(int dbid, const void* set, int32_t mode, int32_t* status, const char* list, const void* record) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBPUT;
  status[8] = mode;
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  int s = set ? idb__find_set(ctx->root, set) : -1;
  if (s < 0) return failed(-21, status);
  trace_call("idb_put()", dbid, s + 1, mode, true);
  if (ctx->open_mode == IDB_OPEN_MANAGE || mode != 1) return failed(-31, status);
  int access = idb__set_access(ctx->root, s);
  if (access == 0) return failed(-21, status);
  const RootSet& rs = ctx->root->sets[s];
  if (root_letter(rs.type) == 'A') return failed(-24, status);
  if (ctx->open_mode != 1 && ctx->open_mode != 3) return failed(-14, status);
  if (access > 0) return failed(-23, status);
  if (!rs.packable) return failed(-21, status);
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_PUT);
  Buffer_SetOpName(b, "idb_put()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint16(b, static_cast<uint16_t>(s + 1));
  Buffer_Put_uint8(b, 1);
  Buffer_Put_str(b, list ? list : "@");
  Buffer_Put_align(b, 4);
  idb__pack_record(b, record, ctx->root, s);
  if (exchange(ctx, status) != 0) return status[0];
  return status[0];
}

int idb_find(int dbid, const void* set, int32_t mode, int32_t* status, const void* item, const void* argument) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBFIND;
  status[8] = mode;
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  if (ctx->open_mode == IDB_OPEN_MANAGE) return failed(-31, status);
  int s = set ? idb__find_set(ctx->root, set) : -1;
  if (s < 0 || idb__set_access(ctx->root, s) == 0) return failed(-21, status);
  trace_call("idb_find()", dbid, s + 1, mode, true);
  if (mode < 1 || mode > 5) return failed(-31, status);
  if (!item || !argument) return failed(-21, status);
  int32_t have;
  std::memcpy(&have, argument, sizeof have);
  if (have < 0) return failed(-21, status);
  const unsigned char* bytes = static_cast<const unsigned char*>(argument) + 4;
  int iitem = idb__find_iitem(ctx->root, item);
  int plain = iitem < 0 && mode == 1 ? idb__find_item(ctx->root, item) : -1;
  if (iitem < 0 && plain < 0) return failed(-21, status);
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_FIND);
  Buffer_SetOpName(b, "idb_find()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint16(b, static_cast<uint16_t>(s + 1));
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  if (plain >= 0) {
    Buffer_Put_uint16(b, static_cast<uint16_t>(plain + 1));
    pack_value(b, item_at(ctx->root, plain), bytes, static_cast<size_t>(have));
  } else if (mode == 4 || mode == 5) {
    Buffer_Put_uint16(b, static_cast<uint16_t>(iitem + 1));
    Buffer_Put_align(b, 4);
    Buffer_Put_uint32(b, static_cast<uint32_t>(have) + 4);
    Buffer_Put_uint32(b, static_cast<uint32_t>(have));
    Buffer_Put_nzstr(b, reinterpret_cast<const char*>(bytes), static_cast<size_t>(have));
  } else {
    Buffer_Put_uint16(b, static_cast<uint16_t>(iitem + 1));
    pack_index_argument(b, ctx->root, iitem, bytes, static_cast<uint32_t>(have));
  }
  if (exchange(ctx, status) != 0) return status[0];
  return status[0];
}

int idb_get(int dbid, const void* set, int32_t mode, int32_t* status, const char* list, void* record,
            const void* argument) {
  IDB_ASSERT(status != nullptr);
  status[5] = DBGET;
  status[8] = mode;
  DbContext* ctx = idb__find_context(dbid);
  if (!ctx || !ctx->root) return failed(-11, status);
  int s = set ? idb__find_set(ctx->root, set) : -1;
  if (s < 0) return failed(-21, status);
  trace_call("idb_get()", dbid, s + 1, mode, true);
  if (ctx->open_mode == IDB_OPEN_MANAGE) return failed(-31, status);
  if (idb__set_access(ctx->root, s) == 0) return failed(-21, status);
  const RootSet& rs = ctx->root->sets[s];
  if (!rs.packable) return failed(-21, status);
  if (mode == 7 && root_letter(rs.type) == 'D') return failed(-31, status);
  if ((mode == 4 || mode == 7) && !argument) return failed(-21, status);
  if (mode == 7 && rs.item_count == 0) return failed(-21, status);
  Buffer* b = ctx->client->buffer;
  idb__begin_request(ctx->server, IDB_CLASS_DATABASE, IDB_OP_GET);
  Buffer_SetOpName(b, "idb_get()");
  Buffer_Put_uint16(b, static_cast<uint16_t>(ctx->remote_dbid));
  Buffer_Put_uint16(b, static_cast<uint16_t>(s + 1));
  Buffer_Put_uint8(b, static_cast<uint8_t>(mode));
  Buffer_Put_str(b, list ? list : "@");
  Buffer_Put_uint32(b, static_cast<uint32_t>(rs.record_length));
  if (mode == 4) {
    idb__pack_item(b, argument, sizeof(int32_t), 'D', 0);
  } else if (mode == 7) {
    const RootItem& key = item_at(ctx->root, rs.items[0]);
    size_t size = static_cast<size_t>(key.size);
    char letter = root_letter(key.type);
    if (letter == 'X' || letter == 'B') size *= static_cast<size_t>(key.count);
    pack_value(b, key, static_cast<const unsigned char*>(argument), size);
  }
  if (exchange(ctx, status) != 0) return status[0];
  if (status[0] == 0) {
    if (Buffer_Get_align(b, 4) != 0 || idb__unpack_record(b, record, ctx->root, s, rs.record_length) != 0)
      return codec_failure(status);
  }
  return status[0];
}

int idb_lock(int dbid, const void* qualifier, int32_t mode, int32_t* status) {
  return lock_call(dbid, qualifier, mode, status, true);
}

int idb_unlock(int dbid, const void* qualifier, int32_t mode, int32_t* status) {
  return lock_call(dbid, qualifier, mode, status, false);
}
