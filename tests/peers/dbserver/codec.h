// Wire codec of the stand-in database server, written apart from the client
// library's message buffer: a reader that checks every length against what
// remains, and a writer, both in a chosen byte order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dbserver {

using Bytes = std::vector<unsigned char>;

class Reader {
 public:
  Reader(const unsigned char* data, size_t size, bool big_endian) : data_(data), size_(size), big_(big_endian) {}
  Reader(const Bytes& data, bool big_endian) : Reader(data.data(), data.size(), big_endian) {}
  bool ok() const { return ok_; }
  size_t remaining() const { return size_ - pos_; }
  size_t position() const { return pos_; }
  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  int32_t i32() { return static_cast<int32_t>(u32()); }
  // A 16-bit length counting the NUL, then the bytes with the NUL.
  std::string str();
  std::string raw(size_t n);
  // As str() and raw(), into `out`, whose room is kept from call to call.
  void str(std::string* out);
  void raw(size_t n, std::string* out);
  // Skips n - (position mod n) bytes: 1 to n.
  void align(size_t n);
  // A 32-bit size, then that many bytes.
  std::string obj();

 private:
  bool take(size_t n, const unsigned char** p);
  const unsigned char* data_;
  size_t size_;
  size_t pos_ = 0;
  bool big_;
  bool ok_ = true;
};

class Writer {
 public:
  explicit Writer(bool big_endian) : big_(big_endian) {}
  void u8(uint8_t v) { out_.push_back(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void str(const std::string& s);
  void raw(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void raw(const unsigned char* p, size_t n) { out_.insert(out_.end(), p, p + n); }
  // Pads with n - (size mod n) zero bytes: 1 to n.
  void align(size_t n) { out_.insert(out_.end(), n - out_.size() % n, 0); }
  void obj(const std::string& s) {
    u32(static_cast<uint32_t>(s.size()));
    raw(s);
  }
  size_t size() const { return out_.size(); }
  const Bytes& bytes() const { return out_; }
  // Empties the body and keeps its room, for a writer used for every reply.
  void clear() { out_.clear(); }
  // The frame: a 32-bit big-endian length, then the body.
  Bytes frame() const;

 private:
  Bytes out_;
  bool big_;
};

}  // namespace dbserver
