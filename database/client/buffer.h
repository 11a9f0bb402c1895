// The message buffer: builds the one request being sent and decodes the one
// reply being read, in the server's byte order and code set. Puts and gets
// never stop at the first fault; they set a sticky flag the caller tests once.
#pragma once

#include <cstddef>
#include <cstdint>

enum { BYTE_ORDER_LE = 1234, BYTE_ORDER_BE = 4321 };

// Longest string body a put accepts: its 16-bit length counts the NUL.
enum { BUFFER_MAX_STR = 65534 };

struct Buffer {
  // Preset send storage, its size in bytes, and whether growing is refused.
  unsigned char* send_preset;
  size_t send_preset_size;
  int send_no_grow;
  // Preset receive storage, its size, and whether allocating is refused.
  unsigned char* recv_preset;
  size_t recv_preset_size;
  int recv_no_alloc;

  int local_charset;     // -1: no mapping
  int local_byte_order;  // always 1234
  int remote_charset;
  int remote_byte_order;  // 1234 or 4321

  int send_alloc_failed;   // 0 or -1, sticky until the next ResetSend
  int recv_decode_failed;  // 0 or -1, sticky until the next AllocRecv

  // Send message: a length word, then the payload.
  unsigned char* send_msg;
  size_t send_len;        // payload bytes, the length word not counted
  size_t send_cap_words;  // capacity in 32-bit words, the length word included

  unsigned char* recv_buf;
  size_t recv_len;
  size_t recv_offset;

  const char* op_name;  // names the request in error messages; may be null

  // Bytes of the send message (length word included) that a trace shows
  // masked: a logon's enciphered password. Cleared by ResetSend.
  size_t secret_offset;
  size_t secret_length;
};

Buffer* Buffer_Create();
void Buffer_Init(Buffer* bufp);
// Frees what the buffer allocated (not the preset storage) and the buffer.
void Buffer_Destroy(Buffer* bufp);

void Buffer_SetSendStorage(Buffer* bufp, unsigned char* storage, size_t size, int no_grow);
void Buffer_SetRecvStorage(Buffer* bufp, unsigned char* storage, size_t size, int no_alloc);
void Buffer_ResetSend(Buffer* bufp);
void Buffer_ResetRecv(Buffer* bufp);
void Buffer_ResetAll(Buffer* bufp);
void Buffer_SetOpName(Buffer* bufp, const char* name);
void Buffer_SetLocalCharset(Buffer* bufp, int charset);
void Buffer_SetRemoteCharset(Buffer* bufp, int charset);
void Buffer_SetLocalByteOrder(Buffer* bufp, int order);
void Buffer_SetRemoteByteOrder(Buffer* bufp, int order);
int Buffer_SendFailed(const Buffer* bufp);
int Buffer_DecodeFailed(const Buffer* bufp);
// Map a byte range in place (local -> remote, remote -> local); 0 or -1.
int Buffer_MapLocalCharset(Buffer* bufp, unsigned char* bytes, size_t n);
int Buffer_MapRemoteCharset(Buffer* bufp, unsigned char* bytes, size_t n);

// Send side.
unsigned char* Buffer_Reserve(Buffer* bufp, size_t n);
void Buffer_Put_int8(Buffer* bufp, int8_t v);
void Buffer_Put_uint8(Buffer* bufp, uint8_t v);
void Buffer_Put_int16(Buffer* bufp, int16_t v);
void Buffer_Put_uint16(Buffer* bufp, uint16_t v);
void Buffer_Put_int32(Buffer* bufp, int32_t v);
void Buffer_Put_uint32(Buffer* bufp, uint32_t v);
void Buffer_Put_float(Buffer* bufp, float v);
void Buffer_Put_int64(Buffer* bufp, int64_t v);
void Buffer_Put_double(Buffer* bufp, double v);
void Buffer_Put_str(Buffer* bufp, const char* val);
void Buffer_Put_nzstr(Buffer* bufp, const char* bytes, size_t n);
unsigned char* Buffer_Put_obj(Buffer* bufp, uint32_t size);
void Buffer_Put_align(Buffer* bufp, size_t n);
unsigned char* Buffer_Extend(Buffer* bufp, size_t n);

// Receive side: 0, or -1 with the output zeroed (strings empty) and the
// decode flag set.
int Buffer_Get_bytes(Buffer* bufp, size_t n, const unsigned char** val);
int Buffer_Get_int8(Buffer* bufp, int8_t* val);
int Buffer_Get_uint8(Buffer* bufp, uint8_t* val);
int Buffer_Get_int16(Buffer* bufp, int16_t* val);
int Buffer_Get_uint16(Buffer* bufp, uint16_t* val);
int Buffer_Get_int32(Buffer* bufp, int32_t* val);
int Buffer_Get_uint32(Buffer* bufp, uint32_t* val);
int Buffer_Get_float(Buffer* bufp, float* val);
int Buffer_Get_double(Buffer* bufp, double* val);
int Buffer_Get_strlen(Buffer* bufp, uint16_t* len);
// n bytes of a string body (its NUL included), mapped in place; the result
// points into the message. A body of 0 bytes or without its NUL is refused.
int Buffer_Get_str(Buffer* bufp, size_t n, const char** val);
int Buffer_Get_counted_str(Buffer* bufp, const char** val);
int Buffer_Get_counted_str_len(Buffer* bufp, const char** val, size_t* len);
// n bytes of a character field, mapped in place.
int Buffer_Get_nzstr(Buffer* bufp, size_t n, const char** val);
int Buffer_Get_obj(Buffer* bufp, const unsigned char** val, uint32_t* size);
int Buffer_Get_align(Buffer* bufp, size_t n);

// Framing.
void Buffer_FinishSend(Buffer* bufp);
const unsigned char* Buffer_Data(const Buffer* bufp);
size_t Buffer_Size(const Buffer* bufp);
// Storage for an n-byte payload; 0 or -1.
int Buffer_AllocRecv(Buffer* bufp, size_t n);

// Programming errors inside the library: names the module and line, aborts.
[[noreturn]] void idb__assert_fail(const char* expr, const char* file, int line);
#define IDB_ASSERT(expr) ((expr) ? (void)0 : idb__assert_fail(#expr, __FILE__, __LINE__))
