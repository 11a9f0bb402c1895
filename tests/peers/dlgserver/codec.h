// The stand-in dialog server's own reading and writing of the protocol's
// frames and bodies, written apart from the client's so that a fault in one
// is not mirrored by the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dlgserver {

// A frame's body as received; `words` are the 22 words of the fixed part.
struct Body {
  std::vector<uint8_t> bytes;
  uint32_t word(int index) const;
  // The string of a string word; false when the word points outside the
  // string area or the string has no NUL there. 0 gives "".
  bool text(int index, std::string& out) const;
};

// Reads one frame (length word counting itself) from `fd`. 1 with a body, 0
// at the end of the stream, -1 on a broken or over-long frame.
int read_frame(int fd, Body& body);
// Writes all bytes; false on failure.
bool write_all(int fd, const void* bytes, size_t n);

// A response being built: the fixed words and the string area.
class Reply {
 public:
  explicit Reply(int32_t code) { words_[2] = static_cast<uint32_t>(code); }
  void word(int index, uint32_t value) { words_[index] = value; }
  void text(int index, const std::string& s);
  // The frame: length word, body.
  std::vector<uint8_t> frame() const;

 private:
  uint32_t words_[22] = {};
  std::vector<uint8_t> area_;
};

void put32(uint8_t* at, uint32_t v);
uint32_t get32(const uint8_t* at);

}  // namespace dlgserver
