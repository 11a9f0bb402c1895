// Fuzzing target of the message buffer's getters: a reply read by a sequence
// of gets that the input chooses. Whatever the bytes, no get may read outside
// the reply, the read position never passes its end, a failed get leaves its
// output empty, and every string a get gives ends inside the reply.
//
// Input: byte 0 the byte order and code sets, byte 1 the number of gets k,
// then k bytes choosing the gets (and sizes), then the reply itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/buffer.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// A string the buffer gives must be readable up to its NUL.
void touch(const char* s) {
  check(s != nullptr);
  volatile size_t n = std::strlen(s);
  (void)n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t config = data[0];
  size_t k = data[1] % 64;
  if (size < 2 + k) return 0;
  const uint8_t* gets = data + 2;
  const uint8_t* reply = data + 2 + k;
  const size_t reply_size = size - 2 - k;

  Buffer* b = Buffer_Create();
  if (b == nullptr) return 0;
  Buffer_SetRemoteByteOrder(b, (config & 1) ? BYTE_ORDER_BE : BYTE_ORDER_LE);
  static const int kCharsets[] = {-1, 0, 1};
  Buffer_SetRemoteCharset(b, kCharsets[(config >> 1) % 3]);
  Buffer_SetLocalCharset(b, kCharsets[(config >> 3) % 3]);
  if (Buffer_AllocRecv(b, reply_size) != 0) {
    Buffer_Destroy(b);
    return 0;
  }
  if (reply_size > 0) std::memcpy(b->recv_buf, reply, reply_size);

  for (size_t i = 0; i < k; ++i) {
    const uint8_t op = gets[i];
    const size_t n = op >> 4;  // a small size for the gets that take one
    int rc = 0;
    switch (op % 16) {
      case 0: {
        int8_t v = 1;
        rc = Buffer_Get_int8(b, &v);
        if (rc) check(v == 0);
        break;
      }
      case 1: {
        uint16_t v = 1;
        rc = Buffer_Get_uint16(b, &v);
        if (rc) check(v == 0);
        break;
      }
      case 2: {
        int32_t v = 1;
        rc = Buffer_Get_int32(b, &v);
        if (rc) check(v == 0);
        break;
      }
      case 3: {
        uint32_t v = 1;
        rc = Buffer_Get_uint32(b, &v);
        if (rc) check(v == 0);
        break;
      }
      case 4: {
        float v = 1;
        rc = Buffer_Get_float(b, &v);
        break;
      }
      case 5: {
        double v = 1;
        rc = Buffer_Get_double(b, &v);
        break;
      }
      case 6: {
        uint16_t v = 1;
        rc = Buffer_Get_strlen(b, &v);
        if (rc) check(v == 0);
        break;
      }
      case 7: {
        const char* s = nullptr;
        rc = Buffer_Get_str(b, n, &s);
        touch(s);
        if (rc) check(*s == '\0');
        break;
      }
      case 8: {
        const char* s = nullptr;
        rc = Buffer_Get_counted_str(b, &s);
        touch(s);
        if (rc) check(*s == '\0');
        break;
      }
      case 9: {
        const char* s = nullptr;
        size_t len = 1;
        rc = Buffer_Get_counted_str_len(b, &s, &len);
        touch(s);
        if (rc) check(len == 0 && *s == '\0');
        break;
      }
      case 10: {
        const char* s = nullptr;
        rc = Buffer_Get_nzstr(b, n, &s);
        check(s != nullptr);
        if (rc == 0) {
          std::vector<char> copy(s, s + n);  // n bytes, no NUL promised
          (void)copy;
        }
        break;
      }
      case 11: {
        const unsigned char* p = nullptr;
        uint32_t len = 1;
        rc = Buffer_Get_obj(b, &p, &len);
        if (rc) {
          check(len == 0);
        } else if (len > 0) {
          std::vector<unsigned char> copy(p, p + len);
          (void)copy;
        }
        break;
      }
      case 12: rc = Buffer_Get_align(b, n == 0 ? 4 : n); break;
      case 13: {
        // Raw bytes are taken only by callers that asked for some and whose
        // reply is still sound: anything else is a fault of the caller.
        if (n == 0 || Buffer_DecodeFailed(b)) break;
        const unsigned char* p = nullptr;
        rc = Buffer_Get_bytes(b, n, &p);
        if (rc == 0 && n > 0) {
          std::vector<unsigned char> copy(p, p + n);
          (void)copy;
        }
        break;
      }
      case 14: {
        uint8_t v = 1;
        rc = Buffer_Get_uint8(b, &v);
        if (rc) check(v == 0);
        break;
      }
      default: {
        int16_t v = 1;
        rc = Buffer_Get_int16(b, &v);
        if (rc) check(v == 0);
        break;
      }
    }
    check(b->recv_offset <= b->recv_len);
    if (rc) check(Buffer_DecodeFailed(b) != 0);
  }
  Buffer_Destroy(b);
  return 0;
}
