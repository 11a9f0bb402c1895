#include "database/client/buffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/client/charmap.h"
#include "database/client/trace.h"

namespace {

// Largest payload a frame can carry.
constexpr size_t kMaxPayload = 0x7ffffff0u;
// Growth slack beyond what a request needs, in words.
constexpr size_t kSlackWords = 256;

const char kEmpty[] = "";

bool big_endian_wire(const Buffer* b) {
  bool swapped = b->local_byte_order != b->remote_byte_order;
  bool local_big = b->local_byte_order == BYTE_ORDER_BE;
  return swapped != local_big;
}

template <size_t Width>
void put_uint(Buffer* b, uint64_t v) {
  unsigned char* p = Buffer_Extend(b, Width);
  if (!p) return;
  if (big_endian_wire(b)) {
    for (size_t i = Width; i-- > 0; v >>= 8) p[i] = static_cast<unsigned char>(v & 0xff);
  } else {
    for (size_t i = 0; i < Width; ++i, v >>= 8) p[i] = static_cast<unsigned char>(v & 0xff);
  }
}

void occurred(const Buffer* b, int level) {
  if (b->op_name) debug_printf('P', level, "Occurred during %s", b->op_name);
}

void decode_fault(Buffer* b, const char* label, size_t offset) {
  b->recv_decode_failed = -1;
  debug_printf('P', 0, "Unable to decode message. Expected %s at offset %u", label, static_cast<unsigned>(offset));
  occurred(b, 0);
}

// Reads `Width` bytes as an unsigned value; -1 when they are not there.
template <size_t Width>
int get_uint(Buffer* b, const char* label, uint64_t* v) {
  *v = 0;
  if (b->recv_decode_failed) return -1;
  const size_t at = b->recv_offset;
  const unsigned char* p;
  if (Buffer_Get_bytes(b, Width, &p) != 0) {
    decode_fault(b, label, at);
    return -1;
  }
  uint64_t value = 0;
  if (big_endian_wire(b)) {
    for (size_t i = 0; i < Width; ++i) value = value << 8 | p[i];
  } else {
    for (size_t i = Width; i-- > 0;) value = value << 8 | p[i];
  }
  *v = value;
  return 0;
}

int map_bytes(Buffer* b, int from, int to, unsigned char* bytes, size_t n, const char* op) {
  if (idb__charmap(from, to, bytes, n) == 0) return 0;
  debug_printf('P', 1, "%s - %s failed", op, "yq__charset_map()");
  occurred(b, 1);
  return -1;
}

void free_send_block(Buffer* b) {
  if (b->send_msg && b->send_msg != b->send_preset) std::free(b->send_msg);
  b->send_msg = nullptr;
  b->send_cap_words = 0;
}

}  // namespace

void idb__assert_fail(const char* expr, const char* file, int line) {
  const char* slash = std::strrchr(file, '/');
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expr, slash ? slash + 1 : file, line);
  std::abort();
}

void Buffer_Init(Buffer* bufp) {
  std::memset(bufp, 0, sizeof *bufp);
  bufp->local_charset = -1;
  bufp->remote_charset = -1;
  bufp->local_byte_order = BYTE_ORDER_LE;
  bufp->remote_byte_order = BYTE_ORDER_LE;
}

Buffer* Buffer_Create() {
  Buffer* b = static_cast<Buffer*>(std::malloc(sizeof(Buffer)));
  if (b) Buffer_Init(b);
  return b;
}

void Buffer_Destroy(Buffer* bufp) {
  if (!bufp) return;
  Buffer_ResetAll(bufp);
  free_send_block(bufp);
  std::free(bufp);
}

void Buffer_SetSendStorage(Buffer* bufp, unsigned char* storage, size_t size, int no_grow) {
  free_send_block(bufp);
  bufp->send_len = 0;
  bufp->send_preset = storage;
  bufp->send_preset_size = storage ? size : 0;
  bufp->send_no_grow = no_grow;
}

void Buffer_SetRecvStorage(Buffer* bufp, unsigned char* storage, size_t size, int no_alloc) {
  Buffer_ResetRecv(bufp);
  bufp->recv_preset = storage;
  bufp->recv_preset_size = storage ? size : 0;
  bufp->recv_no_alloc = no_alloc;
}

void Buffer_ResetSend(Buffer* bufp) {
  free_send_block(bufp);
  bufp->send_len = 0;
  bufp->send_alloc_failed = 0;
  bufp->secret_offset = 0;
  bufp->secret_length = 0;
}

void Buffer_ResetRecv(Buffer* bufp) {
  if (bufp->recv_buf && bufp->recv_buf != bufp->recv_preset) std::free(bufp->recv_buf);
  bufp->recv_buf = nullptr;
  bufp->recv_len = 0;
  bufp->recv_offset = 0;
}

void Buffer_ResetAll(Buffer* bufp) {
  Buffer_ResetSend(bufp);
  Buffer_ResetRecv(bufp);
}

void Buffer_SetOpName(Buffer* bufp, const char* name) { bufp->op_name = name; }
void Buffer_SetLocalCharset(Buffer* bufp, int charset) { bufp->local_charset = charset; }
void Buffer_SetRemoteCharset(Buffer* bufp, int charset) { bufp->remote_charset = charset; }
void Buffer_SetLocalByteOrder(Buffer* bufp, int order) { bufp->local_byte_order = order; }
void Buffer_SetRemoteByteOrder(Buffer* bufp, int order) { bufp->remote_byte_order = order; }
int Buffer_SendFailed(const Buffer* bufp) { return bufp->send_alloc_failed; }
int Buffer_DecodeFailed(const Buffer* bufp) { return bufp->recv_decode_failed; }

int Buffer_MapLocalCharset(Buffer* bufp, unsigned char* bytes, size_t n) {
  return map_bytes(bufp, bufp->local_charset, bufp->remote_charset, bytes, n, "Buffer_MapLocalCharset()");
}

int Buffer_MapRemoteCharset(Buffer* bufp, unsigned char* bytes, size_t n) {
  return map_bytes(bufp, bufp->remote_charset, bufp->local_charset, bytes, n, "Buffer_MapRemoteCharset()");
}

unsigned char* Buffer_Reserve(Buffer* bufp, size_t n) {
  if (bufp->send_alloc_failed) return nullptr;
  if (n > kMaxPayload || bufp->send_len > kMaxPayload - n) {
    debug_printf('P', 0, "Buffer allocation failed at size %u", static_cast<unsigned>(bufp->send_len));
    occurred(bufp, 0);
    bufp->send_alloc_failed = -1;
    return nullptr;
  }
  size_t words = (bufp->send_len + n + 3) / 4 + 1;
  if (bufp->send_msg && bufp->send_cap_words >= words) return bufp->send_msg + 4 + bufp->send_len;
  if (!bufp->send_msg && bufp->send_preset && bufp->send_preset_size >= words * 4) {
    bufp->send_msg = bufp->send_preset;
    bufp->send_cap_words = bufp->send_preset_size / 4;
    return bufp->send_msg + 4 + bufp->send_len;
  }
  unsigned char* block = nullptr;
  if (!bufp->send_no_grow) {
    size_t cap = words + kSlackWords;
    if (!bufp->send_msg || bufp->send_msg == bufp->send_preset) {
      block = static_cast<unsigned char*>(std::malloc(cap * 4));
      if (block && bufp->send_msg) std::memcpy(block, bufp->send_msg, 4 + bufp->send_len);
    } else {
      block = static_cast<unsigned char*>(std::realloc(bufp->send_msg, cap * 4));
      if (!block) {
        std::free(bufp->send_msg);
        bufp->send_msg = nullptr;
      }
    }
    if (block) {
      bufp->send_msg = block;
      bufp->send_cap_words = cap;
      return block + 4 + bufp->send_len;
    }
  }
  debug_printf('P', 0, "Buffer allocation failed at size %u", static_cast<unsigned>(bufp->send_len));
  occurred(bufp, 0);
  bufp->send_alloc_failed = -1;
  return nullptr;
}

unsigned char* Buffer_Extend(Buffer* bufp, size_t n) {
  unsigned char* p = Buffer_Reserve(bufp, n);
  if (p) bufp->send_len += n;
  return p;
}

void Buffer_Put_int8(Buffer* bufp, int8_t v) { put_uint<1>(bufp, static_cast<uint8_t>(v)); }
void Buffer_Put_uint8(Buffer* bufp, uint8_t v) { put_uint<1>(bufp, v); }
void Buffer_Put_int16(Buffer* bufp, int16_t v) { put_uint<2>(bufp, static_cast<uint16_t>(v)); }
void Buffer_Put_uint16(Buffer* bufp, uint16_t v) { put_uint<2>(bufp, v); }
void Buffer_Put_int32(Buffer* bufp, int32_t v) { put_uint<4>(bufp, static_cast<uint32_t>(v)); }
void Buffer_Put_uint32(Buffer* bufp, uint32_t v) { put_uint<4>(bufp, v); }
void Buffer_Put_int64(Buffer* bufp, int64_t v) { put_uint<8>(bufp, static_cast<uint64_t>(v)); }

void Buffer_Put_float(Buffer* bufp, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  put_uint<4>(bufp, bits);
}

void Buffer_Put_double(Buffer* bufp, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  put_uint<8>(bufp, bits);
}

void Buffer_Put_str(Buffer* bufp, const char* val) {
  IDB_ASSERT(val != NULL);
  if (bufp->send_alloc_failed) return;
  size_t len = std::strlen(val);
  if (len > BUFFER_MAX_STR) {
    // The 16-bit length cannot hold it; refuse rather than wrap.
    debug_printf('P', 0, "String of %u bytes too long for a message", static_cast<unsigned>(len));
    occurred(bufp, 0);
    bufp->send_alloc_failed = -1;
    return;
  }
  put_uint<2>(bufp, len + 1);
  unsigned char* p = Buffer_Extend(bufp, len + 1);
  if (!p) return;
  std::memcpy(p, val, len + 1);
  if (map_bytes(bufp, bufp->local_charset, bufp->remote_charset, p, len + 1, "Buffer_Put_str()") != 0)
    bufp->send_alloc_failed = -1;
}

void Buffer_Put_nzstr(Buffer* bufp, const char* bytes, size_t n) {
  IDB_ASSERT(bytes != NULL || n == 0);
  unsigned char* p = Buffer_Extend(bufp, n);
  if (!p || n == 0) return;
  std::memcpy(p, bytes, n);
  if (map_bytes(bufp, bufp->local_charset, bufp->remote_charset, p, n, "Buffer_Put_nzstr()") != 0)
    bufp->send_alloc_failed = -1;
}

unsigned char* Buffer_Put_obj(Buffer* bufp, uint32_t size) {
  put_uint<4>(bufp, size);
  return Buffer_Extend(bufp, size);
}

void Buffer_Put_align(Buffer* bufp, size_t n) {
  IDB_ASSERT(n > 0);
  size_t pad = n - bufp->send_len % n;
  unsigned char* p = Buffer_Extend(bufp, pad);
  if (p) std::memset(p, 0, pad);
}

int Buffer_Get_bytes(Buffer* bufp, size_t n, const unsigned char** val) {
  IDB_ASSERT(val != NULL);
  IDB_ASSERT(n != 0);
  IDB_ASSERT(bufp->recv_buf != NULL);
  IDB_ASSERT(!bufp->recv_decode_failed);
  if (n > bufp->recv_len - bufp->recv_offset) {
    bufp->recv_decode_failed = -1;
    *val = nullptr;
    return -1;
  }
  *val = bufp->recv_buf + bufp->recv_offset;
  bufp->recv_offset += n;
  return 0;
}

int Buffer_Get_int8(Buffer* bufp, int8_t* val) {
  uint64_t v;
  int rc = get_uint<1>(bufp, "8bit Integer", &v);
  *val = static_cast<int8_t>(v);
  return rc;
}

int Buffer_Get_uint8(Buffer* bufp, uint8_t* val) {
  uint64_t v;
  int rc = get_uint<1>(bufp, "8bit Integer", &v);
  *val = static_cast<uint8_t>(v);
  return rc;
}

int Buffer_Get_int16(Buffer* bufp, int16_t* val) {
  uint64_t v;
  int rc = get_uint<2>(bufp, "16bit Integer", &v);
  *val = static_cast<int16_t>(v);
  return rc;
}

int Buffer_Get_uint16(Buffer* bufp, uint16_t* val) {
  uint64_t v;
  int rc = get_uint<2>(bufp, "16bit Integer", &v);
  *val = static_cast<uint16_t>(v);
  return rc;
}

int Buffer_Get_int32(Buffer* bufp, int32_t* val) {
  uint64_t v;
  int rc = get_uint<4>(bufp, "32bit Integer", &v);
  *val = static_cast<int32_t>(static_cast<uint32_t>(v));
  return rc;
}

int Buffer_Get_uint32(Buffer* bufp, uint32_t* val) {
  uint64_t v;
  int rc = get_uint<4>(bufp, "32bit Integer", &v);
  *val = static_cast<uint32_t>(v);
  return rc;
}

int Buffer_Get_float(Buffer* bufp, float* val) {
  uint64_t v;
  int rc = get_uint<4>(bufp, "Float", &v);
  uint32_t bits = static_cast<uint32_t>(v);
  std::memcpy(val, &bits, 4);
  return rc;
}

int Buffer_Get_double(Buffer* bufp, double* val) {
  uint64_t v;
  int rc = get_uint<8>(bufp, "Double", &v);
  std::memcpy(val, &v, 8);
  return rc;
}

int Buffer_Get_strlen(Buffer* bufp, uint16_t* len) {
  uint64_t v;
  int rc = get_uint<2>(bufp, "String length", &v);
  *len = static_cast<uint16_t>(v);
  return rc;
}

int Buffer_Get_str(Buffer* bufp, size_t n, const char** val) {
  *val = kEmpty;
  if (bufp->recv_decode_failed) return -1;
  size_t at = bufp->recv_offset;
  const unsigned char* p = nullptr;
  // A string body holds at least its NUL, and ends with it.
  if (n == 0 || Buffer_Get_bytes(bufp, n, &p) != 0 || p[n - 1] != '\0') {
    decode_fault(bufp, "String value", at);
    return -1;
  }
  unsigned char* body = const_cast<unsigned char*>(p);
  if (map_bytes(bufp, bufp->remote_charset, bufp->local_charset, body, n, "Buffer_Get_str()") != 0) {
    bufp->recv_decode_failed = -1;
    return -1;
  }
  *val = reinterpret_cast<const char*>(body);
  return 0;
}

int Buffer_Get_counted_str_len(Buffer* bufp, const char** val, size_t* len) {
  uint16_t n = 0;
  *val = kEmpty;
  if (len) *len = 0;
  if (Buffer_Get_strlen(bufp, &n) != 0) return -1;
  if (Buffer_Get_str(bufp, n, val) != 0) return -1;
  if (len) *len = n;
  return 0;
}

int Buffer_Get_counted_str(Buffer* bufp, const char** val) { return Buffer_Get_counted_str_len(bufp, val, nullptr); }

int Buffer_Get_nzstr(Buffer* bufp, size_t n, const char** val) {
  *val = kEmpty;
  if (bufp->recv_decode_failed) return -1;
  if (n == 0) return 0;
  size_t at = bufp->recv_offset;
  const unsigned char* p = nullptr;
  if (Buffer_Get_bytes(bufp, n, &p) != 0) {
    decode_fault(bufp, "String value", at);
    return -1;
  }
  unsigned char* body = const_cast<unsigned char*>(p);
  if (map_bytes(bufp, bufp->remote_charset, bufp->local_charset, body, n, "Buffer_Get_nzstr()") != 0) {
    bufp->recv_decode_failed = -1;
    return -1;
  }
  *val = reinterpret_cast<const char*>(body);
  return 0;
}

int Buffer_Get_obj(Buffer* bufp, const unsigned char** val, uint32_t* size) {
  *val = nullptr;
  *size = 0;
  uint64_t v;
  if (get_uint<4>(bufp, "Object size", &v) != 0) return -1;
  uint32_t n = static_cast<uint32_t>(v);
  if (n == 0) {
    *val = bufp->recv_buf + bufp->recv_offset;
    return 0;
  }
  size_t at = bufp->recv_offset;
  if (Buffer_Get_bytes(bufp, n, val) != 0) {
    decode_fault(bufp, "Object value", at);
    return -1;
  }
  *size = n;
  return 0;
}

int Buffer_Get_align(Buffer* bufp, size_t n) {
  IDB_ASSERT(n > 0);
  if (bufp->recv_decode_failed) return -1;
  size_t pad = n - bufp->recv_offset % n;
  if (pad > bufp->recv_len - bufp->recv_offset) {
    bufp->recv_decode_failed = -1;
    return -1;
  }
  bufp->recv_offset += pad;
  return 0;
}

void Buffer_FinishSend(Buffer* bufp) {
  IDB_ASSERT(bufp->send_alloc_failed == 0);
  if (!Buffer_Reserve(bufp, 0)) return;
  uint32_t n = static_cast<uint32_t>(bufp->send_len);
  bufp->send_msg[0] = static_cast<unsigned char>(n >> 24);
  bufp->send_msg[1] = static_cast<unsigned char>(n >> 16);
  bufp->send_msg[2] = static_cast<unsigned char>(n >> 8);
  bufp->send_msg[3] = static_cast<unsigned char>(n);
}

const unsigned char* Buffer_Data(const Buffer* bufp) {
  IDB_ASSERT(bufp->send_alloc_failed == 0);
  return bufp->send_msg;
}

size_t Buffer_Size(const Buffer* bufp) { return bufp->send_len + 4; }

int Buffer_AllocRecv(Buffer* bufp, size_t n) {
  IDB_ASSERT(bufp->recv_buf == NULL);
  if (n > kMaxPayload) return -1;
  size_t rounded = (n + 3) & ~static_cast<size_t>(3);
  if (bufp->recv_preset && bufp->recv_preset_size >= rounded) {
    bufp->recv_buf = bufp->recv_preset;
  } else {
    if (bufp->recv_no_alloc) return -1;
    bufp->recv_buf = static_cast<unsigned char*>(std::malloc(rounded ? rounded : 4));
    if (!bufp->recv_buf) return -1;
  }
  bufp->recv_len = n;
  bufp->recv_offset = 0;
  bufp->recv_decode_failed = 0;
  return 0;
}
