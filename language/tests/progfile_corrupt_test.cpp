// Corrupt program files: truncations at every offset, flipped bytes,
// oversized counts and random damage, from memory and from a file. The
// reader must refuse or read cleanly; never crash, hang or read past the
// input (the sanitizer build watches the last part). Whatever it accepts
// must be a list the rest of the library can walk and the writer can store.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "language/tests/progfile_fixture.h"

using namespace pftest;

namespace {

struct Sample {
  const char* name;
  Bytes image;
};

std::vector<Sample> samples() {
  Program p;
  small_program(&p);
  p.add({0x001E, 0x0004, 0x8003, 0x0001}, Words{0xFFFF, 0x1003, 0x000A});
  return {
      {"r0", store(p.list, options(0))},
      {"r1", store(p.list, options(1))},
      {"r2", store(p.list, options(2))},
      {"r2 -b -p release", store(p.list, options(2, 1234, "pw", "A.06.00"))},
  };
}

// The accepted list holds segments whose lines and entries tile their areas.
void expect_walkable(const ProgList& list) {
  for (ProgSegment* s = list.root; s; s = s->next) {
    ASSERT_EQ(s->magic, SEGMENT_MAGIC);
    size_t off = 0;
    while (off < s->code.size()) {
      ASSERT_LE(off + 2, s->code.size());
      size_t n = s->code[off + 1] & 0xFF;
      ASSERT_GE(n, 2u);
      off += n;
    }
    ASSERT_EQ(off, s->code.size());
    off = 0;
    while (off < s->symbols.size()) {
      ASSERT_LE(off + 2, s->symbols.size());
      size_t n = s->symbols[off + 1] & 0xF;
      ASSERT_GE(n, 2u);
      off += n;
    }
    ASSERT_EQ(off, s->symbols.size());
  }
}

// Reads from an exactly sized heap block, so that any read past it shows.
ReadResult read_exact(const Bytes& image, ProgList* list) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[image.size() ? image.size() : 1]);
  if (!image.empty()) std::memcpy(block.get(), image.data(), image.size());
  prog_reader rd;
  ReadResult r;
  r.init = yq__prog_read_init_mem(block.get(), image.size(), &rd, list);
  if (r.init >= 0) {
    yq__prog_check_password(&rd, prog_pswd_digest("pw", 2));
    r.read = yq__prog_read(&rd);
  }
  r.error = *yq__prog_read_error(&rd);
  return r;
}

// Reads a damaged image both ways; checks the outcome is clean.
void try_image(const Bytes& image, bool also_file) {
  for (int way = 0; way < (also_file ? 2 : 1); ++way) {
    Program back;
    ReadResult r = way == 0 ? read_exact(image, &back.list) : read_file(image, &back.list, "pw");
    if (r.ok()) {
      expect_walkable(back.list);
      if (back.list.root != nullptr) {
        prog_hdr hdr;
        prog_options o = options(2);
        if (yq__prog_init_store(&hdr, &back.list, &o) == 0) {
          Bytes again(yq__prog_image_size(&hdr));
          EXPECT_EQ(yq__prog_store_mem(&hdr, again.data()), 0);
        }
      }
    } else {
      ASSERT_NE(r.error.message, nullptr);
      EXPECT_TRUE(r.error.code == 999 || r.error.code == 2) << r.error.code;
      EXPECT_EQ(back.list.root, nullptr);
    }
  }
}

TEST(ProgfileCorrupt, EveryTruncationIsRefused) {
  for (const Sample& s : samples()) {
    SCOPED_TRACE(s.name);
    for (size_t n = 0; n < s.image.size(); ++n) {
      Bytes cut(s.image.begin(), s.image.begin() + static_cast<long>(n));
      Program a, b;
      EXPECT_FALSE(read_exact(cut, &a.list).ok()) << "cut at " << n;
      EXPECT_FALSE(read_file(cut, &b.list).ok()) << "cut at " << n;
      EXPECT_EQ(a.list.root, nullptr);
      EXPECT_EQ(b.list.root, nullptr);
    }
  }
}

TEST(ProgfileCorrupt, FlippedBytes) {
  for (const Sample& s : samples()) {
    SCOPED_TRACE(s.name);
    for (size_t i = 0; i < s.image.size(); ++i) {
      for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
        Bytes image = s.image;
        image[i] ^= mask;
        SCOPED_TRACE(i);
        try_image(image, mask == 0xFF);
      }
    }
  }
}

TEST(ProgfileCorrupt, OversizedCountsAndLengths) {
  const uint32_t values32[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x7FFFFFFE, 0x00010000, 0};
  const uint16_t values16[] = {0x7FFF, 0xFFFF, 0x8000, 0x0001};
  for (const Sample& s : samples()) {
    SCOPED_TRACE(s.name);
    for (size_t i = 0; i + 4 <= s.image.size(); ++i) {
      for (uint32_t v : values32) {
        Bytes image = s.image;
        for (int k = 0; k < 4; ++k) image[i + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (24 - 8 * k));
        try_image(image, true);
      }
      for (uint16_t v : values16) {
        Bytes image = s.image;
        image[i] = static_cast<uint8_t>(v >> 8);
        image[i + 1] = static_cast<uint8_t>(v);
        try_image(image, false);
      }
    }
  }
}

TEST(ProgfileCorrupt, RandomDamage) {
  std::mt19937 rng(20261210);
  std::vector<Sample> all = samples();
  for (int round = 0; round < 4000; ++round) {
    const Sample& s = all[rng() % all.size()];
    Bytes image = s.image;
    int hits = 1 + static_cast<int>(rng() % 4);
    for (int h = 0; h < hits; ++h) image[rng() % image.size()] = static_cast<uint8_t>(rng());
    switch (rng() % 4) {
      case 0: image.resize(rng() % (image.size() + 1)); break;
      case 1: image.resize(image.size() + rng() % 8, static_cast<uint8_t>(rng())); break;
      default: break;
    }
    SCOPED_TRACE(round);
    try_image(image, round % 8 == 0);
  }
}

}  // namespace
