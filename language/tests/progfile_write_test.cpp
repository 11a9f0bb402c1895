// Program file writer: byte-exact images of a small program in every layout,
// the constant file form, the size boundary between revisions 0 and 1, and
// the refusals.
#include <gtest/gtest.h>

#include <cstdio>

#include "language/tests/progfile_fixture.h"

using namespace pftest;

namespace {

// File-form symbol words of the small program's root: the constant -250 is
// 0.25 x 10^3, so word A holds E - 1 = 2 and the sign; two significant
// digits go into bits 5-8 of the type word.
const Words kRootSymbolsFile{0x0000, 0x0046, 0x0081, 0x2500, 0x0000, 0x0000};
const Words kRootCode{0x000A, 0x0003, 0x4711};
const Words kSubCode{0x0014, 0x0002};
const Words kSubSymbols{0x0000, 0x5003, 0x4120};

Bytes classic_segments() {
  Bytes b;
  words(&b, {12, 3, 6});
  words(&b, kRootCode);
  words(&b, kRootSymbolsFile);
  words(&b, {8, 2, 3});
  words(&b, kSubCode);
  words(&b, kSubSymbols);
  return b;
}

TEST(ProgfileWrite, ClassicImagesByteForByte) {
  Program p;
  small_program(&p);

  Bytes rev0;
  be16(&rev0, 20);  // (3 + 6 + 3) + (2 + 3 + 3) words
  append(&rev0, classic_segments());
  EXPECT_EQ(store(p.list, options(0)), rev0);

  Bytes rev1;
  words(&rev1, {0, 0, 20});
  append(&rev1, classic_segments());
  EXPECT_EQ(store(p.list, options(1)), rev1);
}

// Expected tagged image of the small program; the payloads are scrambled
// here the way the layout tells when a digest is given.
Bytes tagged_image(bool little, const uint8_t* digest, const char* release, int sub_charset = -1) {
  auto payload = [&](const Words& w) {
    Bytes b;
    words(&b, w, little);
    if (digest)
      for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(b[i] ^ digest[i % 16] ^ 0x55);
    return b;
  };
  Bytes seg1;
  tag(&seg1, 5, 4);
  be32(&seg1, 46);
  tag(&seg1, 8, 6);
  append(&seg1, payload(kRootCode));
  tag(&seg1, 9, 12);
  append(&seg1, payload(kRootSymbolsFile));
  tag(&seg1, 6, 0);
  EXPECT_EQ(seg1.size(), 46u);

  Bytes seg2;
  tag(&seg2, 5, 4);
  be32(&seg2, sub_charset == 1 ? 46 : 38);
  if (sub_charset == 1) {
    tag(&seg2, 7, 2);
    be16(&seg2, 1);
  }
  tag(&seg2, 8, 4);
  append(&seg2, payload(kSubCode));
  tag(&seg2, 9, 6);
  append(&seg2, payload(kSubSymbols));
  tag(&seg2, 6, 0);

  Bytes head{'Y', 'Q', '.', 'P', 'R', 'O', 'G', 0x00, 0x0D, 0x0A};
  size_t head_size = 30 + (release ? 14 : 0) + (digest ? 24 : 0);
  tag(&head, 1, 8);
  be16(&head, little ? 1234 : 4321);
  be16(&head, 0);
  be32(&head, static_cast<uint32_t>(head_size + seg1.size() + seg2.size()));
  if (release) {
    tag(&head, 4, 8);
    for (int i = 0; i < 8; ++i) head.push_back(static_cast<uint8_t>(i < 7 ? release[i] : 0));
  }
  if (digest) {
    tag(&head, 3, 18);
    head.push_back(0x55);
    head.push_back(0x55);
    head.insert(head.end(), digest, digest + 16);
  }
  tag(&head, 2, 0);
  EXPECT_EQ(head.size(), head_size);
  append(&head, seg1);
  append(&head, seg2);
  return head;
}

TEST(ProgfileWrite, TaggedImagesByteForByte) {
  Program p;
  small_program(&p);
  uint8_t digest[16];
  std::memcpy(digest, prog_pswd_digest("secret", 6), 16);

  EXPECT_EQ(store(p.list, options(2)), tagged_image(false, nullptr, nullptr));
  EXPECT_EQ(store(p.list, options(2, 1234)), tagged_image(true, nullptr, nullptr));
  EXPECT_EQ(store(p.list, options(2, 4321, nullptr, "A.06.00")), tagged_image(false, nullptr, "A.06.00"));
  EXPECT_EQ(store(p.list, options(2, 4321, "secret", "A.06.00")), tagged_image(false, digest, "A.06.00"));
  EXPECT_EQ(store(p.list, options(2, 1234, "secret")), tagged_image(true, digest, nullptr));

  // A segment in another character set carries a tag-7 record, counted in
  // its segment size.
  p.list.root->next->charset = 1;
  EXPECT_EQ(store(p.list, options(2)), tagged_image(false, nullptr, nullptr, 1));
  // One in the file's own set has none.
  p.list.root->next->charset = 0;
  EXPECT_EQ(store(p.list, options(2)), tagged_image(false, nullptr, nullptr));
}

TEST(ProgfileWrite, PasswordDigestIsMd5) {
  // RFC 1321 test suite.
  const uint8_t* d = prog_pswd_digest("abc", 3);
  const uint8_t want[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                            0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  EXPECT_EQ(0, std::memcmp(d, want, 16));
}

TEST(ProgfileWrite, ReleaseTextKeepsSevenCharacters) {
  prog_options o;
  yq__prog_init_options(&o);
  yq__prog_set_release(&o, "A.06.00-long");
  EXPECT_STREQ(o.release, "A.06.00");
  yq__prog_set_release(&o, nullptr);
  EXPECT_STREQ(o.release, "");
  yq__prog_set_password(&o, prog_pswd_digest("x", 1));
  EXPECT_EQ(o.password, 1);
  yq__prog_set_password(&o, nullptr);
  EXPECT_EQ(o.password, 0);
  for (uint8_t b : o.digest) EXPECT_EQ(b, 0);
}

// File form of constants: word A, the BCD words, and the rewritten type word.
TEST(ProgfileWrite, ConstantFileForm) {
  struct Case {
    const char* text;
    Words file;         // A, B, C, D
    uint16_t type;      // from 0x0006
    bool exact = true;  // reads back to the same packed value
  };
  const Case cases[] = {
      {"0", {0x0000, 0x0000, 0x0000, 0x0000}, 0x0026},
      {"1.5", {0x0000, 0x1500, 0x0000, 0x0000}, 0x0046},
      {"-250", {0x0081, 0x2500, 0x0000, 0x0000}, 0x0046},
      {"0.001234", {0xFF40, 0x1234, 0x0000, 0x0000}, 0x0026},
      {"1E20", {0x0500, 0x1000, 0x0000, 0x0000}, 0x0036},         // e of 11 or more
      {"1000000", {0x0180, 0x1000, 0x0000, 0x0000}, 0x0036},      // e - (k - 1) above 4
      {"12345000", {0x01C0, 0x1234, 0x5000, 0x0000}, 0x00A6},     // 5 digits, narrow
      {"0.0000123", {0xFEC0, 0x1230, 0x0000, 0x0000}, 0x0026},    // -(e + k - 1) of 4
      {"0.000000123", {0xFE40, 0x1230, 0x0000, 0x0000}, 0x0036},  // -(e + k - 1) above 4
      {"1E-20", {0xFB00, 0x1000, 0x0000, 0x0000}, 0x0036},        // e below -12
      {"-123456789012", {0x02C1, 0x1234, 0x5678, 0x9012}, 0x0196},
      // Rounded to 12 digits, carrying into a new leading digit.
      {"9999999999999", {0x0340, 0x1000, 0x0000, 0x0000}, 0x0036, false},
      // Next to the largest number the carry would leave the range of
      // numbers: cut instead, so that the file reads back.
      {"9.9999999999999E125", {0x1F40, 0x9999, 0x9999, 0x9999}, 0x0196, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Words packed = packed_words(c.text);
    uint16_t file[4];
    EXPECT_EQ(prog_constant_to_file(0x0006, packed.data(), file), c.type);
    EXPECT_EQ(Words(file, file + 4), c.file);
    uint16_t back[4];
    ASSERT_TRUE(prog_constant_from_file(file, back));
    // Values of at most 12 digits come back exactly.
    if (c.exact) {
      EXPECT_EQ(Words(back, back + 4), packed);
    }
  }
  // The class and length bits of the type word stay; the sub-type goes.
  uint16_t file[4];
  EXPECT_EQ(prog_constant_to_file(0x0E06, packed_words("1.5").data(), file), 0x0046);
}

TEST(ProgfileWrite, ConstantFromFileRefusesBadDigitsAndRange) {
  const Words bad[] = {
      {0x0000, 0x1A00, 0x0000, 0x0000},  // a nibble above 9
      {0x0000, 0x1000, 0x0000, 0x000F},
      {0x7FC0, 0x1000, 0x0000, 0x0000},  // 10^512: beyond the numbers
  };
  for (const Words& w : bad) {
    uint16_t out[4];
    EXPECT_FALSE(prog_constant_from_file(w.data(), out)) << std::hex << w[0] << " " << w[1];
  }
}

TEST(ProgfileWrite, RevisionZeroGrowsIntoRevisionOne) {
  for (size_t extra : {0u, 1u}) {
    Program p;
    p.add(code_of(0x7FFF - 3 - 6 + extra), const_entry("7"));
    prog_hdr hdr;
    prog_options o = options(0);
    ASSERT_EQ(yq__prog_init_store(&hdr, &p.list, &o), 0);
    Bytes image(yq__prog_image_size(&hdr));
    ASSERT_EQ(yq__prog_store_mem(&hdr, image.data()), 0);
    if (extra == 0) {
      EXPECT_EQ(image.size(), 2u * (1 + 0x7FFF));
      EXPECT_EQ(image[0], 0x7F);
      EXPECT_EQ(image[1], 0xFF);
    } else {
      EXPECT_EQ(image.size(), 2u * (3 + 0x8000));
      EXPECT_EQ(Bytes(image.begin(), image.begin() + 6), (Bytes{0, 0, 0, 0, 0x80, 0x00}));
    }
    Program back;
    ReadResult r = read_mem(image, &back.list);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(r.info.revision, extra == 0 ? 0 : 1);
    EXPECT_EQ(back.list.root->code, p.list.root->code);
  }
}

TEST(ProgfileWrite, Refusals) {
  struct Case {
    const char* name;
    prog_options opt;
    int code;
    const char* message;
  };
  auto with = [](prog_options o, int charset) {
    o.charset = charset;
    return o;
  };
  const Case cases[] = {
      {"revision 3", options(3), 999, "Illegal program format"},
      {"revision -1", options(-1), 999, "Illegal program format"},
      {"classic little-endian", options(1, 1234), 999, "Given byte order not supported for this format"},
      {"classic charset 1", with(options(0), 1), 999, "Given charset not supported for this format"},
      {"tagged odd byte order", options(2, 2143), 999, "Given byte order not supported for this format"},
  };
  Program p;
  small_program(&p);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prog_error err{};
    EXPECT_TRUE(store(p.list, c.opt, &err).empty());
    EXPECT_EQ(err.code, c.code);
    EXPECT_STREQ(err.message, c.message);
    EXPECT_NE(err.module, nullptr);
  }
  // Revision 2 takes the byte order that revision 1 refuses.
  EXPECT_FALSE(store(p.list, options(2, 1234)).empty());
}

TEST(ProgfileWrite, EmptyProgramsAreRefused) {
  struct Case {
    const char* name;
    Words code, symbols;
    int revision;
    bool stores;
  };
  const Case cases[] = {
      {"empty root, r0", {}, {}, 0, false},
      {"empty root, r2", {}, {}, 2, false},
      // Classic counts a lone root only with code; tagged stores any word.
      {"symbols only, r0", {}, const_entry("1"), 0, false},
      {"symbols only, r2", {}, const_entry("1"), 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    p.add(c.code, c.symbols);
    prog_error err{};
    Bytes image = store(p.list, options(c.revision), &err);
    EXPECT_EQ(!image.empty(), c.stores);
    if (!c.stores) {
      EXPECT_EQ(err.code, 46);
      EXPECT_STREQ(err.message, "You cannot store an empty program");
    }
  }
  // No list at all behaves as an empty one.
  prog_hdr hdr;
  EXPECT_EQ(yq__prog_init_store(&hdr, nullptr, nullptr), -1);
  EXPECT_EQ(yq__prog_error(&hdr)->code, 46);

  // A root without code still goes out in front of a segment that has some.
  Program p;
  p.add({}, {});
  p.add(kSubCode, kSubSymbols);
  Bytes image = store(p.list, options(0));
  Bytes want;
  words(&want, {3 + 8, 3, 0, 0, 8, 2, 3});
  words(&want, kSubCode);
  words(&want, kSubSymbols);
  EXPECT_EQ(image, want);
}

TEST(ProgfileWrite, ProtectedSegmentsNeedAuthorization) {
  for (int revision : {0, 1, 2}) {
    SCOPED_TRACE(revision);
    Program p;
    small_program(&p);
    p.list.root->next->protection = PROGSEG_PROTECTED;
    prog_error err{};
    EXPECT_TRUE(store(p.list, options(revision), &err).empty());
    EXPECT_EQ(err.code, 66);
    EXPECT_STREQ(err.message, "You are not authorized to store this program");
    p.list.root->next->protection = PROGSEG_PROTECTED | PROGSEG_AUTHORIZED;
    EXPECT_FALSE(store(p.list, options(revision)).empty());
  }
  Program p;
  small_program(&p);
  p.list.root->protection = 4;
  prog_error err{};
  EXPECT_TRUE(store(p.list, options(0), &err).empty());
  EXPECT_STREQ(err.message, "Program is not compatible with file format");
}

Words repeated(const Words& w, size_t times) {
  Words out;
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), w.begin(), w.end());
  return out;
}

TEST(ProgfileWrite, MalformedSymbolTablesAndOversizedSegmentsAreRefused) {
  struct Case {
    const char* name;
    Words code, symbols;
    int revision;
    const char* message;
  };
  const Case cases[] = {
      {"entry of length 0", kRootCode, {0x0000, 0x5000}, 2, "Inconsistent symbol table"},
      {"entry past the end", kRootCode, {0x0000, 0x5004, 0x4120}, 0, "Inconsistent symbol table"},
      {"short constant", kRootCode, {0x0000, 0x0004, 0xC101, 0x3200}, 2, "Inconsistent symbol table"},
      // The classic segment header keeps codesz + symsz + 3 in one word.
      {"segment over 0xFFFF words", code_of(32767), repeated({0x0000, 0x5003, 0x4120}, 10922), 1,
       "Program is not compatible with file format"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    p.add(c.code, c.symbols);
    prog_error err{};
    EXPECT_TRUE(store(p.list, options(c.revision), &err).empty());
    EXPECT_EQ(err.code, 999);
    EXPECT_STREQ(err.message, c.message);
  }
}

TEST(ProgfileWrite, SameProgramSameBytesAndSegmentsUntouched) {
  Program p;
  small_program(&p);
  Words before = p.list.root->symbols;
  for (int revision : {0, 1, 2}) {
    prog_options o = options(revision, 4321, revision == 2 ? "pw" : nullptr, "A.06.00");
    EXPECT_EQ(store(p.list, o), store(p.list, o));
  }
  EXPECT_EQ(p.list.root->symbols, before);
}

TEST(ProgfileWrite, WriteToFileAndCatchShortWrites) {
  Program p;
  small_program(&p);
  prog_options o = options(2);
  prog_hdr hdr;
  ASSERT_EQ(yq__prog_init_store(&hdr, &p.list, &o), 0);
  FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(yq__prog_write(&hdr, f), 0);
  std::rewind(f);
  Bytes got(200);
  got.resize(std::fread(got.data(), 1, got.size(), f));
  std::fclose(f);
  EXPECT_EQ(got, store(p.list, o));

  // A file that takes nothing: the write fails with 90.
  FILE* full = std::fopen("/dev/full", "wb");
  if (full != nullptr) {
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_EQ(yq__prog_write(&hdr, full), -1);
    EXPECT_EQ(yq__prog_error(&hdr)->code, 90);
    EXPECT_STREQ(yq__prog_error(&hdr)->message, "write failed");
    std::fclose(full);
  }
}

TEST(ProgfileWrite, ListChangedAfterSizingCannotOverrunTheImage) {
  Program p;
  small_program(&p);
  prog_options o = options(2);
  prog_hdr hdr;
  ASSERT_EQ(yq__prog_init_store(&hdr, &p.list, &o), 0);
  size_t size = yq__prog_image_size(&hdr);
  p.list.root->code.insert(p.list.root->code.end(), {0x001E, 0x0002});
  Bytes image(size + 16, 0xEE);
  EXPECT_EQ(yq__prog_store_mem(&hdr, image.data()), -1);
  EXPECT_EQ(yq__prog_error(&hdr)->code, 999);
  for (size_t i = size; i < image.size(); ++i) EXPECT_EQ(image[i], 0xEE) << i;
}

}  // namespace
