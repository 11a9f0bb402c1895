// The program-server link's message codec, without sockets or windows.
//
// A message is a 32-bit big-endian payload length N (the 4 bytes not
// counted) and N payload bytes. `SrvEncoder` builds the payload behind four
// free bytes for the length; `SrvDecoder` reads the items of a received
// payload and checks each against what remains; `SrvFrameReader` collects
// one incoming message across any number of partial reads, refusing a
// length above its limit before anything is allocated.
//
// Items (all integers big-endian):
//   byte, int16, int32          1, 2, 4 bytes
//   string                      int16 L = length + 1, the text, 0
//                               (inside a container: the text only)
//   counted block of n bytes    int32 n + 1, the bytes, 0 (inside: the bytes)
//   raw n bytes                 the bytes
//   container                   int32 C, the items, 0; C counts every byte
//                               after the int32, the final 0 included
// An object, as decoded, is an int32 n >= 1 and n bytes whose last is 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum : uint32_t {
  // Bytes moved by one send or receive call.
  SRV_IO_CHUNK = 8192,
  // The largest reply during the greeting and login.
  SRV_STARTUP_MAX = 512,
  // The largest message at all: far above the largest program file, so a
  // hostile or broken length is refused before anything is allocated.
  SRV_MESSAGE_MAX = 64u * 1024u * 1024u,
};

// Names of the decoded items in protocol failure reports.
extern const char* const SRV_ITEM_SHORT;   // "16bit Integer" (bytes too)
extern const char* const SRV_ITEM_LONG;    // "32bit Integer"
extern const char* const SRV_ITEM_STRING;  // "String"
extern const char* const SRV_ITEM_OBJECT;  // "Object"

// The report of a decoding failure.
std::string Srv_ProtocolFailureText(const char* item, uint32_t offset);

class SrvEncoder {
 public:
  SrvEncoder();

  void PutByte(unsigned value);
  void PutShort(int value);
  void PutLong(uint32_t value);
  // With `convert` the written text bytes go from ISO 8859-1 to QX Roman-8.
  void PutString(const char* text, bool convert = false);
  void PutStringRaw(const char* text) { PutString(text, false); }
  // A counted block (raw bytes inside a container); returns where the
  // caller writes the n bytes (valid until the next Put).
  uint8_t* PutBlock(uint32_t n);
  // n bytes without any prefix; returns where they go.
  uint8_t* PutRaw(uint32_t n);
  void BeginContainer();  // containers do not nest (failed check)
  void EndContainer();    // failed check without an open container
  bool InContainer() const { return container_at_ != 0; }

  // Payload length N (the bytes after the length prefix).
  uint32_t Length() const { return static_cast<uint32_t>(buf_.size() - 4); }
  // Capacity in 4-byte words: grown to what is needed plus 256 words.
  uint32_t CapacityWords() const { return capacity_words_; }
  // A request that cannot be encoded (over SRV_MESSAGE_MAX bytes, or a
  // string of 65,535 bytes or more outside a container) is not a programming
  // error: the encoder keeps its first failure, the text saying why, and
  // takes further puts into scratch space; the request must not be sent.
  bool Failed() const { return !failure_.empty(); }
  const std::string& FailureText() const { return failure_; }
  // Writes N into the first four bytes and returns the whole frame.
  const uint8_t* Frame();
  size_t FrameSize() const { return buf_.size(); }
  // The payload (after the prefix).
  const uint8_t* Payload() const { return buf_.data() + 4; }
  // Empties the buffer (back to the free prefix only).
  void Clear();

 private:
  uint8_t* grow(size_t n);

  uint8_t* refuse(size_t n, const std::string& why);

  std::vector<uint8_t> buf_;
  size_t container_at_ = 0;  // offset of the open container's int32, 0 when none
  uint32_t capacity_words_ = 0;
  std::string failure_;
  std::vector<uint8_t> scratch_;  // where puts go after a failure
};

// Reads the items of one payload. Each Get returns false (and names the
// item in failed_item()) when the item does not lie wholly within the
// payload; the read offset then stays where the item began.
class SrvDecoder {
 public:
  SrvDecoder() = default;
  explicit SrvDecoder(std::vector<uint8_t> payload) { Assign(std::move(payload)); }
  void Assign(std::vector<uint8_t> payload);
  void Clear();

  bool GetByte(unsigned* value);
  bool GetShort(int32_t* value);  // widened with sign
  bool GetUShort(uint32_t* value);
  bool GetLong(uint32_t* value);
  // A string: L >= 1, L bytes within the payload, the last one 0. The text
  // points into the payload. With `convert` it is turned in place from
  // QX Roman-8 to ISO 8859-1.
  bool GetString(const char** text, bool convert = false);
  bool GetStringRaw(const char** text) { return GetString(text, false); }
  // An object: int32 n >= 1, n bytes, the last one 0; gives the first n - 1.
  bool GetObject(const uint8_t** data, uint32_t* size);

  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  uint32_t Offset() const { return offset_; }
  uint32_t Remaining() const { return Size() - offset_; }
  const char* failed_item() const { return failed_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t>& Data() { return data_; }

 private:
  bool fail(const char* item) {
    failed_ = item;
    return false;
  }

  std::vector<uint8_t> data_;
  uint32_t offset_ = 0;
  const char* failed_ = nullptr;
};

// Collects one message from partial reads: Room() says where the next read
// goes and how much it may bring (at most SRV_IO_CHUNK; null with room 0
// when memory ran out), Took() records what came. The buffer grows with the
// bytes received, never ahead of them by more than 64 KiB. In discard mode the payload goes to a scratch buffer and is
// thrown away (the reply of a cancelled exchange).
class SrvFrameReader {
 public:
  enum Status { MORE, DONE, TOO_LARGE, NO_MEMORY };

  explicit SrvFrameReader(uint32_t limit = SRV_MESSAGE_MAX, bool discard = false) { Reset(limit, discard); }
  void Reset(uint32_t limit = SRV_MESSAGE_MAX, bool discard = false);

  uint8_t* Room(size_t* room);
  Status Took(size_t n);

  bool Started() const { return header_got_ > 0; }
  bool HaveLength() const { return header_got_ == 4; }
  uint32_t Length() const { return length_; }
  uint32_t Received() const { return got_; }
  uint32_t Limit() const { return limit_; }
  bool Done() const { return HaveLength() && got_ == length_ && !too_large_; }
  // From now on the payload is thrown away (a cancelled exchange's reply
  // that was already being read).
  void ToDiscard() {
    discard_ = true;
    payload_.clear();
    payload_.shrink_to_fit();
  }
  // The payload of a finished message (moved out).
  std::vector<uint8_t> Take();

 private:
  uint32_t limit_ = SRV_MESSAGE_MAX;
  bool discard_ = false;
  bool too_large_ = false;
  uint8_t header_[4] = {};
  uint32_t header_got_ = 0;
  uint32_t length_ = 0;
  uint32_t got_ = 0;
  std::vector<uint8_t> payload_;
  std::vector<uint8_t> scratch_;
};

// Big-endian helpers.
inline void Srv_Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
inline void Srv_Put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
inline uint32_t Srv_Get16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 8 | p[1]; }
inline uint32_t Srv_Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}
