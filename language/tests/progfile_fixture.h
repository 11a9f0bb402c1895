// Small programs built straight from segments, and helpers to store and read
// them, for the program file tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "language/decimal.h"
#include "language/progfile.h"

namespace pftest {

using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint16_t>;

// The four in-memory words of a constant's packed form.
inline Words packed_words(const char* text) {
  dec_number n;
  EXPECT_EQ(math_from_text(text, std::strlen(text), &n), 0) << text;
  uint8_t p[8];
  math_pack(&n, p, sizeof p);
  Words w;
  for (int i = 0; i < 8; i += 2) w.push_back(static_cast<uint16_t>(p[i] << 8 | p[i + 1]));
  return w;
}

// A constant's symbol entry as the compiler makes it.
inline Words const_entry(const char* text) {
  Words w{0x0000, 0x0006};
  Words p = packed_words(text);
  w.insert(w.end(), p.begin(), p.end());
  return w;
}

// A code area of `n` words made of well-formed lines.
inline Words code_of(size_t n, int first_line = 1) {
  Words w;
  int number = first_line;
  while (w.size() < n) {
    size_t left = n - w.size();
    size_t len = left > 200 ? 200 : left;
    if (left > 200 && left - 200 < 2) len = 198;
    w.push_back(static_cast<uint16_t>(number++));
    w.push_back(static_cast<uint16_t>(0x0500 | len));
    for (size_t i = 2; i < len; ++i) w.push_back(static_cast<uint16_t>(0x0600 + i));
  }
  return w;
}

struct Program {
  ProgList list;
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() { progseg_free_all(&list); }

  ProgSegment* add(Words code, Words symbols, int charset = -1) {
    ProgSegment* seg = progseg_new(&list);
    seg->code = std::move(code);
    seg->symbols = std::move(symbols);
    seg->charset = charset;
    return seg;
  }
  std::vector<ProgSegment*> segments() const {
    std::vector<ProgSegment*> out;
    for (ProgSegment* s = list.root; s; s = s->next) out.push_back(s);
    return out;
  }
};

// The small program of the byte-exact tests: a root with one three-word line
// and the constant -250, and a second segment with a two-word line and the
// numeric variable entry {0, 0x5003, 0x4120}.
inline void small_program(Program* p) {
  p->add({0x000A, 0x0003, 0x4711}, const_entry("-250"));
  p->add({0x0014, 0x0002}, {0x0000, 0x5003, 0x4120});
}

inline prog_options options(int revision, int byte_order = PROG_BYTE_ORDER_BIG, const char* password = nullptr,
                            const char* release = nullptr) {
  prog_options o;
  yq__prog_init_options(&o);
  o.revision = revision;
  o.byte_order = byte_order;
  if (password) yq__prog_set_password(&o, prog_pswd_digest(password, std::strlen(password)));
  if (release) yq__prog_set_release(&o, release);
  return o;
}

// Stores into memory; an empty image and the error record on failure.
inline Bytes store(const ProgList& list, const prog_options& opt, prog_error* err = nullptr) {
  prog_hdr hdr;
  Bytes image;
  if (yq__prog_init_store(&hdr, &list, &opt) == 0) {
    image.resize(yq__prog_image_size(&hdr));
    if (yq__prog_store_mem(&hdr, image.data()) != 0) image.clear();
  }
  if (err) *err = *yq__prog_error(&hdr);
  return image;
}

// Outcome of reading an image.
struct ReadResult {
  int init = -1;
  int read = -1;
  prog_error error{};
  prog_options info{};
  std::string message() const { return error.message ? error.message : ""; }
  bool ok() const { return init >= 0 && read == 0; }
};

inline ReadResult read_mem(const Bytes& image, ProgList* into, const char* password = nullptr) {
  prog_reader rd;
  ReadResult r;
  r.init = yq__prog_read_init_mem(image.data(), image.size(), &rd, into);
  if (r.init >= 0) {
    if (password) yq__prog_check_password(&rd, prog_pswd_digest(password, std::strlen(password)));
    r.read = yq__prog_read(&rd);
  }
  r.error = *yq__prog_read_error(&rd);
  r.info = *yq__prog_read_info(&rd);
  return r;
}

// The same through a FILE (a temporary file holding the image).
inline ReadResult read_file(const Bytes& image, ProgList* into, const char* password = nullptr) {
  FILE* f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  ReadResult r;
  if (!f) return r;
  if (!image.empty()) {
    EXPECT_EQ(std::fwrite(image.data(), 1, image.size(), f), image.size());
  }
  std::rewind(f);
  prog_reader rd;
  r.init = yq__prog_read_init(f, &rd, into);
  if (r.init >= 0) {
    if (password) yq__prog_check_password(&rd, prog_pswd_digest(password, std::strlen(password)));
    r.read = yq__prog_read(&rd);
  }
  r.error = *yq__prog_read_error(&rd);
  r.info = *yq__prog_read_info(&rd);
  std::fclose(f);
  return r;
}

// Big-endian pieces for writing expected images by hand.
inline void be16(Bytes* b, uint16_t v) {
  b->push_back(static_cast<uint8_t>(v >> 8));
  b->push_back(static_cast<uint8_t>(v));
}
inline void be32(Bytes* b, uint32_t v) {
  be16(b, static_cast<uint16_t>(v >> 16));
  be16(b, static_cast<uint16_t>(v));
}
inline void tag(Bytes* b, int t, uint32_t len, int flag = 0) {
  b->push_back(static_cast<uint8_t>(t));
  b->push_back(static_cast<uint8_t>(flag));
  be32(b, len);
}
inline void words(Bytes* b, const Words& w, bool little = false) {
  for (uint16_t v : w) {
    if (little) {
      b->push_back(static_cast<uint8_t>(v));
      b->push_back(static_cast<uint8_t>(v >> 8));
    } else {
      be16(b, v);
    }
  }
}
inline void append(Bytes* b, const Bytes& more) { b->insert(b->end(), more.begin(), more.end()); }

}  // namespace pftest
