#include "codec.h"

namespace dbserver {

bool Reader::take(size_t n, const unsigned char** p) {
  if (!ok_ || n > remaining()) {
    ok_ = false;
    return false;
  }
  *p = data_ + pos_;
  pos_ += n;
  return true;
}

uint8_t Reader::u8() {
  const unsigned char* p;
  if (!take(1, &p)) return 0;
  return p[0];
}

void Reader::align(size_t n) {
  const unsigned char* p;
  take(n - pos_ % n, &p);
}

std::string Reader::obj() {
  uint32_t n = u32();
  if (!ok_) return {};
  return raw(n);
}

uint16_t Reader::u16() {
  const unsigned char* p;
  if (!take(2, &p)) return 0;
  return big_ ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t Reader::u32() {
  const unsigned char* p;
  if (!take(4, &p)) return 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[big_ ? i : 3 - i]) << (24 - 8 * i);
  return v;
}

std::string Reader::str() {
  uint16_t n = u16();
  const unsigned char* p;
  if (n == 0 || !take(n, &p) || p[n - 1] != 0) {
    ok_ = false;
    return {};
  }
  return std::string(reinterpret_cast<const char*>(p), n - 1);
}

void Reader::str(std::string* out) {
  uint16_t n = u16();
  const unsigned char* p;
  if (n == 0 || !take(n, &p) || p[n - 1] != 0) {
    ok_ = false;
    out->clear();
    return;
  }
  out->assign(reinterpret_cast<const char*>(p), n - 1);
}

void Reader::raw(size_t n, std::string* out) {
  const unsigned char* p;
  if (!take(n, &p)) {
    out->clear();
    return;
  }
  out->assign(reinterpret_cast<const char*>(p), n);
}

std::string Reader::raw(size_t n) {
  const unsigned char* p;
  if (!take(n, &p)) return {};
  return std::string(reinterpret_cast<const char*>(p), n);
}

void Writer::u16(uint16_t v) {
  if (big_) {
    out_.push_back(static_cast<unsigned char>(v >> 8));
    out_.push_back(static_cast<unsigned char>(v));
  } else {
    out_.push_back(static_cast<unsigned char>(v));
    out_.push_back(static_cast<unsigned char>(v >> 8));
  }
}

void Writer::u32(uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    int shift = big_ ? 24 - 8 * i : 8 * i;
    out_.push_back(static_cast<unsigned char>(v >> shift));
  }
}

void Writer::str(const std::string& s) {
  u16(static_cast<uint16_t>(s.size() + 1));
  raw(s);
  out_.push_back(0);
}

Bytes Writer::frame() const {
  Bytes f;
  uint32_t n = static_cast<uint32_t>(out_.size());
  for (int i = 0; i < 4; ++i) f.push_back(static_cast<unsigned char>(n >> (24 - 8 * i)));
  f.insert(f.end(), out_.begin(), out_.end());
  return f;
}

}  // namespace dbserver
