#include "database/client/record.h"

#include <cstring>

namespace {

void put_aligned(Buffer* bufp, int flags, size_t alignment) {
  if (flags & IDB_PACK_ALIGN) Buffer_Put_align(bufp, alignment);
}

int get_aligned(Buffer* bufp, int flags, size_t alignment) {
  return (flags & IDB_PACK_ALIGN) ? Buffer_Get_align(bufp, alignment) : 0;
}

}  // namespace

void idb__pack_item(Buffer* bufp, const void* value, size_t size, int type, int flags) {
  if (flags & IDB_PACK_SIZE) {
    put_aligned(bufp, flags, 4);
    Buffer_Put_uint32(bufp, static_cast<uint32_t>(size));
  }
  switch (type) {
    case 'B': {
      unsigned char* p = Buffer_Extend(bufp, size);
      if (p && size) std::memcpy(p, value, size);
      return;
    }
    case 'D': {
      IDB_ASSERT(size == sizeof(int32_t));
      int32_t v;
      std::memcpy(&v, value, sizeof v);
      put_aligned(bufp, flags, 4);
      Buffer_Put_int32(bufp, v);
      return;
    }
    case 'I': {
      IDB_ASSERT(size == sizeof(int16_t));
      int16_t v;
      std::memcpy(&v, value, sizeof v);
      put_aligned(bufp, flags, 2);
      Buffer_Put_int16(bufp, v);
      return;
    }
    case 'L': {
      IDB_ASSERT(size == sizeof(double));
      double v;
      std::memcpy(&v, value, sizeof v);
      put_aligned(bufp, flags, 8);
      Buffer_Put_double(bufp, v);
      return;
    }
    case 'S': {
      IDB_ASSERT(size == sizeof(float));
      float v;
      std::memcpy(&v, value, sizeof v);
      put_aligned(bufp, flags, 4);
      Buffer_Put_float(bufp, v);
      return;
    }
    case 'X': Buffer_Put_nzstr(bufp, static_cast<const char*>(value), size); return;
    default: idb__assert_fail("idb__pack_item: Unrecognized item type", __FILE__, __LINE__);
  }
}

int idb__unpack_item(Buffer* bufp, void* dest, size_t size, int type, int flags) {
  if (Buffer_DecodeFailed(bufp)) return -1;
  if (flags & IDB_PACK_SIZE) {
    uint32_t wire = 0;
    if (get_aligned(bufp, flags, 4) != 0 || Buffer_Get_uint32(bufp, &wire) != 0) return -1;
    if (wire != size) {
      bufp->recv_decode_failed = -1;
      return -1;
    }
  }
  switch (type) {
    case 'B': {
      if (size == 0) return 0;
      const unsigned char* p = nullptr;
      if (Buffer_Get_bytes(bufp, size, &p) != 0) return -1;
      std::memcpy(dest, p, size);
      return 0;
    }
    case 'D': {
      IDB_ASSERT(size == sizeof(int32_t));
      int32_t v = 0;
      if (get_aligned(bufp, flags, 4) != 0 || Buffer_Get_int32(bufp, &v) != 0) return -1;
      std::memcpy(dest, &v, sizeof v);
      return 0;
    }
    case 'I': {
      IDB_ASSERT(size == sizeof(int16_t));
      int16_t v = 0;
      if (get_aligned(bufp, flags, 2) != 0 || Buffer_Get_int16(bufp, &v) != 0) return -1;
      std::memcpy(dest, &v, sizeof v);
      return 0;
    }
    case 'L': {
      IDB_ASSERT(size == sizeof(double));
      double v = 0;
      if (get_aligned(bufp, flags, 8) != 0 || Buffer_Get_double(bufp, &v) != 0) return -1;
      std::memcpy(dest, &v, sizeof v);
      return 0;
    }
    case 'S': {
      IDB_ASSERT(size == sizeof(float));
      float v = 0;
      if (get_aligned(bufp, flags, 4) != 0 || Buffer_Get_float(bufp, &v) != 0) return -1;
      std::memcpy(dest, &v, sizeof v);
      return 0;
    }
    case 'X': {
      const char* p = nullptr;
      if (Buffer_Get_nzstr(bufp, size, &p) != 0) return -1;
      if (size) std::memcpy(dest, p, size);
      return 0;
    }
    default: idb__assert_fail("idb__unpack_item: Unrecognized item type", __FILE__, __LINE__);
  }
}

uint32_t idb__record_length(const RecordItem* items, size_t n) {
  uint32_t length = 0;
  for (size_t i = 0; i < n; ++i) length += items[i].count * items[i].size;
  return length;
}

uint32_t idb__pack_elements(Buffer* bufp, const unsigned char* record, const RecordItem* items, size_t n) {
  uint32_t length = idb__record_length(items, n);
  Buffer_Put_uint32(bufp, length);
  const unsigned char* p = record;
  for (size_t i = 0; i < n; ++i)
    for (uint32_t e = 0; e < items[i].count; ++e) {
      idb__pack_item(bufp, p, items[i].size, items[i].type, 0);
      p += items[i].size;
    }
  return length;
}

int idb__unpack_elements(Buffer* bufp, unsigned char* record, const RecordItem* items, size_t n, uint32_t length) {
  uint32_t used = 0;
  for (size_t i = 0; i < n; ++i)
    for (uint32_t e = 0; e < items[i].count; ++e) {
      if (items[i].size > length - used) return Buffer_DecodeFailed(bufp);
      if (idb__unpack_item(bufp, record + used, items[i].size, items[i].type, 0) != 0) return -1;
      used += items[i].size;
    }
  return Buffer_DecodeFailed(bufp);
}
