#include "codec.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dlgserver {

namespace {
constexpr uint32_t kMaxFrame = 1u << 20;
constexpr size_t kFixed = 88;

bool read_all(int fd, void* bytes, size_t n, bool& eof) {
  uint8_t* p = static_cast<uint8_t*>(bytes);
  size_t got = 0;
  eof = false;
  while (got < n) {
    ssize_t rc = read(fd, p + got, n - got);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) {
      eof = rc == 0 && got == 0;
      return false;
    }
    got += static_cast<size_t>(rc);
  }
  return true;
}
}  // namespace

void put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

uint32_t get32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = v << 8 | at[i];
  return v;
}

uint32_t Body::word(int index) const {
  size_t at = 4 * static_cast<size_t>(index);
  return at + 4 <= bytes.size() ? get32(bytes.data() + at) : 0;
}

bool Body::text(int index, std::string& out) const {
  out.clear();
  uint32_t ref = word(index);
  if (ref == 0) return true;
  if (bytes.size() < kFixed) return false;
  size_t area = bytes.size() - kFixed;
  if (ref - 1 >= area) return false;
  const uint8_t* start = bytes.data() + kFixed + (ref - 1);
  size_t room = area - (ref - 1);
  const void* nul = std::memchr(start, 0, room);
  if (!nul) return false;
  out.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(static_cast<const uint8_t*>(nul) - start));
  return true;
}

int read_frame(int fd, Body& body) {
  uint8_t head[4];
  bool eof = false;
  if (!read_all(fd, head, 4, eof)) return eof ? 0 : -1;
  uint32_t length = get32(head);
  if (length < 4 + kFixed || length > kMaxFrame) return -1;
  body.bytes.assign(length - 4, 0);
  if (!read_all(fd, body.bytes.data(), body.bytes.size(), eof)) return -1;
  if (body.word(0) != body.bytes.size()) return -1;
  return 1;
}

bool write_all(int fd, const void* bytes, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  while (n > 0) {
    ssize_t rc = write(fd, p, n);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return false;
    p += rc;
    n -= static_cast<size_t>(rc);
  }
  return true;
}

void Reply::text(int index, const std::string& s) {
  words_[index] = static_cast<uint32_t>(area_.size() + 1);
  area_.insert(area_.end(), s.begin(), s.end());
  do area_.push_back(0);
  while (area_.size() % 4);
}

std::vector<uint8_t> Reply::frame() const {
  std::vector<uint8_t> out(4 + kFixed + area_.size(), 0);
  uint32_t body = static_cast<uint32_t>(kFixed + area_.size());
  put32(out.data(), body + 4);
  uint32_t words[22];
  std::memcpy(words, words_, sizeof words);
  words[0] = body;
  for (int i = 0; i < 22; ++i) put32(out.data() + 4 + 4 * i, words[i]);
  if (!area_.empty()) std::memcpy(out.data() + 4 + kFixed, area_.data(), area_.size());
  return out;
}

}  // namespace dlgserver
