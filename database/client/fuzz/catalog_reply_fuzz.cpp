// Feeds arbitrary catalog replies to the decoders: none may read outside the
// message or hand back a block whose sizes disagree with what it holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "database/client/catalog_codec.h"
#include "database/client/trace.h"

namespace {

// Row decoding needs a result set: one column of each type the rows know.
SysCatColDesc kColumns[] = {
    {"c1", SysCol_CHAR, 0, 4},     {"c2", SysCol_VARCHAR, 0, 8},
    {"c5", SysCol_INT8, 0, 1},     {"c6", SysCol_INT16, 0, 2},
    {"c7", SysCol_INTEGER, 0, 4},  {"c17", SysCol_BINARY, 0, 4},
    {"c18", SysCol_COUNTED, 0, 8}, {"c99", 99, 0, 2},
};

void touch(const void* p, size_t n) {
  volatile unsigned char sum = 0;
  const unsigned char* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i) sum = static_cast<unsigned char>(sum + b[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static Buffer* b = [] {
    debug_set_stream(nullptr);
    return Buffer_Create();
  }();
  uint8_t pick = data[0];
  Buffer_SetLocalByteOrder(b, BYTE_ORDER_LE);
  Buffer_SetRemoteByteOrder(b, (pick & 0x10) ? BYTE_ORDER_BE : BYTE_ORDER_LE);
  Buffer_SetLocalCharset(b, 1);
  Buffer_SetRemoteCharset(b, (pick & 0x20) ? 0 : 1);
  Buffer_ResetRecv(b);
  if (Buffer_AllocRecv(b, size - 1) != 0) return 0;
  if (size > 1) std::memcpy(b->recv_buf, data + 1, size - 1);
  switch (pick % 5) {
    case 0:
      if (SysCatUser* u = SysCat__unpack_user(b)) {
        touch(u->name, std::strlen(u->name));
        if (u->password) touch(u->password->bytes, u->password->length);
        std::free(u);
      }
      break;
    case 1:
      if (SysCatGroup* g = SysCat__unpack_group(b)) {
        touch(g->name, std::strlen(g->name));
        std::free(g);
      }
      break;
    case 2:
      if (SysCatCollate* c = SysCat__unpack_collate(b)) {
        touch(c->name, std::strlen(c->name));
        if (c->map) touch(c->map->bytes, c->map->length);
        std::free(c);
      }
      break;
    case 3:
      if (SysCatResultSet* rs = SysCat__unpack_resultset(b, 1)) {
        touch(rs->table_name, std::strlen(rs->table_name));
        for (uint32_t i = 0; i < rs->col_count; ++i) touch(rs->cols[i].col_name, std::strlen(rs->cols[i].col_name));
        std::free(rs);
      }
      break;
    default: {
      uint32_t n = static_cast<uint32_t>((pick >> 6) + 5);  // 5 to 8 columns
      SysCatResultSet rs = {"T", 0, n, 1, kColumns, 1, 1};
      if (SysCatRow* row = SysCat__unpack_result(b, &rs)) {
        for (uint32_t i = 0; i < row->col_count; ++i)
          if (row->values[i].value) touch(row->values[i].value, row->values[i].length);
        std::free(row);
      }
      break;
    }
  }
  Buffer_ResetRecv(b);
  return 0;
}
