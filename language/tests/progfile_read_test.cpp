// Program file reader: every layout of one program reads back to the same
// segments, from memory and from a file; headers, passwords, warnings, and
// the format errors of hand-made files.
#include <gtest/gtest.h>

#include "language/tests/progfile_fixture.h"

using namespace pftest;

namespace {

// A program of three segments with constants of every kind of exponent, a
// line reference, names, and a segment in character set 1.
void rich_program(Program* p) {
  Words sym0 = const_entry("0");
  for (const char* c : {"-250", "0.001234", "1E20", "123456789012", "-1E-30"}) {
    Words e = const_entry(c);
    sym0.insert(sym0.end(), e.begin(), e.end());
  }
  sym0.insert(sym0.end(), {0xFFFF, 0x1003, 0x0064});                          // line 100
  sym0.insert(sym0.end(), {0x0000, 0x5006, 0x4142, 0x4344, 0x4546, 0x4700});  // ABCDEFG
  p->add(code_of(300, 10), sym0);
  p->add(code_of(40, 500), {0xFFFF, 0x1E03, 0x5355}, 1);
  p->add(code_of(2, 900), const_entry("3.25"));
}

// The type word of a constant carries digit-count bits in the file; with
// those masked, every layout must give back the words we stored.
Words masked(const Words& symbols) {
  Words out = symbols;
  size_t off = 0;
  while (off + 2 <= out.size()) {
    size_t len = out[off + 1] & 0xF;
    if (len < 2) break;
    if (out[off + 1] < 0x1000) out[off + 1] &= 0xF00F;
    off += len;
  }
  return out;
}

struct Layout {
  const char* name;
  prog_options opt;
};

std::vector<Layout> layouts() {
  return {
      {"r0", options(0)},
      {"r1", options(1)},
      {"r2", options(2)},
      {"r2 release", options(2, 4321, nullptr, "A.06.00")},
      {"r2 -b", options(2, 1234)},
      {"r2 -p", options(2, 4321, "pass")},
      {"r2 -b -p", options(2, 1234, "pass", "A.06.00")},
  };
}

TEST(ProgfileRead, EveryLayoutReadsBackTheSameSegments) {
  Program src;
  rich_program(&src);
  // The classic layouts keep no character set; compare that part apart.
  src.list.root->next->charset = 0;
  std::vector<ProgSegment*> want = src.segments();
  for (const Layout& l : layouts()) {
    for (bool from_file : {false, true}) {
      SCOPED_TRACE(std::string(l.name) + (from_file ? " file" : " memory"));
      Bytes image = store(src.list, l.opt);
      ASSERT_FALSE(image.empty());
      Program back;
      ReadResult r = from_file ? read_file(image, &back.list, "pass") : read_mem(image, &back.list, "pass");
      ASSERT_TRUE(r.ok()) << r.message();
      EXPECT_EQ(r.init, 0);
      EXPECT_EQ(r.info.revision, l.opt.revision);
      EXPECT_EQ(r.info.byte_order, l.opt.byte_order);
      EXPECT_EQ(r.info.password, l.opt.password);
      EXPECT_STREQ(r.info.release, l.opt.revision == 2 ? l.opt.release : "");
      std::vector<ProgSegment*> got = back.segments();
      ASSERT_EQ(got.size(), want.size());
      for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i]->code, want[i]->code) << "segment " << i;
        EXPECT_EQ(masked(got[i]->symbols), want[i]->symbols) << "segment " << i;
        EXPECT_EQ(got[i]->charset, 0);
        EXPECT_EQ(got[i]->magic, SEGMENT_MAGIC);
        EXPECT_EQ(got[i]->protection, l.opt.password ? PROGSEG_PROTECTED | PROGSEG_AUTHORIZED : 0u);
      }
      // What was read stores again to the same bytes.
      EXPECT_EQ(store(back.list, l.opt), image);
    }
  }
}

TEST(ProgfileRead, SegmentCharacterSetsSurviveTheTaggedLayout) {
  Program src;
  rich_program(&src);
  for (int file_charset : {0, 1}) {
    prog_options o = options(2);
    o.charset = file_charset;
    Program back;
    ReadResult r = read_mem(store(src.list, o), &back.list);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(r.info.charset, file_charset);
    std::vector<ProgSegment*> segs = back.segments();
    ASSERT_EQ(segs.size(), 3u);
    EXPECT_EQ(segs[0]->charset, file_charset);  // unknown in memory: the file's
    EXPECT_EQ(segs[1]->charset, 1);
    EXPECT_EQ(segs[2]->charset, file_charset);
  }
}

TEST(ProgfileRead, PasswordCheck) {
  Program src;
  small_program(&src);
  Bytes image = store(src.list, options(2, 4321, "right"));

  struct Case {
    const char* password;
    int check;
    uint32_t protection;
  };
  const Case cases[] = {
      {"right", 1, PROGSEG_PROTECTED | PROGSEG_AUTHORIZED},
      {"wrong", 0, PROGSEG_PROTECTED},
      {nullptr, 0, PROGSEG_PROTECTED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password ? c.password : "(none)");
    prog_reader rd;
    Program back;
    ASSERT_EQ(yq__prog_read_init_mem(image.data(), image.size(), &rd, &back.list), 0);
    EXPECT_EQ(yq__prog_check_password(&rd, c.password ? prog_pswd_digest(c.password, 5) : nullptr), c.check);
    ASSERT_EQ(yq__prog_read(&rd), 0);
    for (ProgSegment* s : back.segments()) EXPECT_EQ(s->protection, c.protection);
    // The words read the same whoever asks: the digest comes from the file.
    EXPECT_EQ(back.list.root->code, src.list.root->code);
    // Without the password the program cannot be stored again, in any layout.
    for (int revision : {0, 1, 2}) {
      prog_error err{};
      Bytes again = store(back.list, options(revision), &err);
      EXPECT_EQ(again.empty(), c.check == 0);
      if (c.check == 0) {
        EXPECT_EQ(err.code, 66);
      }
    }
  }
  // A file without a password passes every check.
  Bytes open = store(src.list, options(2));
  prog_reader rd;
  Program back;
  ASSERT_EQ(yq__prog_read_init_mem(open.data(), open.size(), &rd, &back.list), 0);
  EXPECT_EQ(yq__prog_check_password(&rd, nullptr), 1);
}

TEST(ProgfileRead, SizeChecksAndWarnings) {
  Program src;
  small_program(&src);
  for (int revision : {0, 1, 2}) {
    SCOPED_TRACE(revision);
    Bytes image = store(src.list, options(revision));
    // Longer than the header says: a warning, and the rest is ignored.
    Bytes longer = image;
    longer.insert(longer.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    Program back;
    ReadResult r = read_mem(longer, &back.list);
    EXPECT_EQ(r.init, 1);
    EXPECT_EQ(r.read, 0);
    EXPECT_EQ(r.message(), "Program filesize exceeds logical size");
    EXPECT_EQ(back.segments().size(), 2u);
    // From a file the size is not known up front: the trailing bytes are
    // simply never read.
    Program back2;
    r = read_file(longer, &back2.list);
    EXPECT_EQ(r.init, 0);
    EXPECT_EQ(r.read, 0);
    EXPECT_EQ(back2.segments().size(), 2u);
    // Shorter: refused in the header from memory, in the segments from a file.
    Bytes shorter(image.begin(), image.end() - 2);
    Program back3;
    r = read_mem(shorter, &back3.list);
    EXPECT_EQ(r.init, -1);
    EXPECT_EQ(r.message(), "Inconsistent program size");
    r = read_file(shorter, &back3.list);
    EXPECT_EQ(r.read, -1);
    EXPECT_EQ(r.message(), "Inconsistent file format");
    EXPECT_EQ(back3.list.root, nullptr);
  }
  // Shorter than the signature.
  for (size_t n : {0u, 1u, 9u}) {
    Program back;
    Bytes tiny(n, 0x41);
    EXPECT_EQ(read_file(tiny, &back.list).message(), "Inconsistent file format");
    if (n > 0) {
      EXPECT_EQ(read_mem(tiny, &back.list).message(), "Inconsistent file format");
    }
  }
}

TEST(ProgfileRead, ForeignBlockInFrontOfAClassicProgram) {
  Program src;
  small_program(&src);
  Bytes image = store(src.list, options(0));
  // -N = -3: the segments start at word ((125 + 3) / 128) x 128 = 128.
  Bytes file;
  be16(&file, static_cast<uint16_t>(-3));
  file.push_back(image[0]);
  file.push_back(image[1]);
  file.resize(256, 0x77);
  file.insert(file.end(), image.begin() + 2, image.end());
  for (bool from_file : {false, true}) {
    Program back;
    ReadResult r = from_file ? read_file(file, &back.list) : read_mem(file, &back.list);
    EXPECT_EQ(r.init, 1);
    EXPECT_EQ(r.read, 0);
    EXPECT_EQ(r.error.code, 999);
    EXPECT_EQ(r.message(), "Program contains QX260 binary");
    ASSERT_EQ(back.segments().size(), 2u);
    EXPECT_EQ(back.list.root->code, src.list.root->code);
  }
  // A block that claims to reach past the end.
  Bytes cut(file.begin(), file.begin() + 100);
  Program back;
  EXPECT_EQ(read_mem(cut, &back.list).message(), "Unexpected seek failure");
}

// Hand-made tagged files around the record rules.
struct TaggedFile {
  Bytes header_extra;   // records between tag 1 and tag 2
  Bytes segment_extra;  // records between tag 5 and tag 6
  Words code{0x000A, 0x0003, 0x4711};
  Words symbols{0x0000, 0x5003, 0x4120};
  int order = 4321;

  Bytes build() const {
    Bytes seg;
    Bytes body = segment_extra;
    if (!code.empty()) {
      tag(&body, 8, static_cast<uint32_t>(2 * code.size()));
      words(&body, code, order == 1234);
    }
    if (!symbols.empty()) {
      tag(&body, 9, static_cast<uint32_t>(2 * symbols.size()));
      words(&body, symbols, order == 1234);
    }
    tag(&seg, 5, 4);
    be32(&seg, static_cast<uint32_t>(10 + body.size() + 6));
    append(&seg, body);
    tag(&seg, 6, 0);
    Bytes f{'Y', 'Q', '.', 'P', 'R', 'O', 'G', 0x00, 0x0D, 0x0A};
    tag(&f, 1, 8);
    be16(&f, static_cast<uint16_t>(order));
    be16(&f, 0);
    be32(&f, static_cast<uint32_t>(10 + 14 + header_extra.size() + 6 + seg.size()));
    append(&f, header_extra);
    tag(&f, 2, 0);
    append(&f, seg);
    return f;
  }
};

TEST(ProgfileRead, TaggedRecordRules) {
  Bytes skip_me;
  tag(&skip_me, 12, 4, 1);
  be32(&skip_me, 0xCAFEBABE);
  Bytes refuse_me;
  tag(&refuse_me, 12, 4, 0);
  be32(&refuse_me, 0xCAFEBABE);
  Bytes charset_bad;
  tag(&charset_bad, 7, 2);
  be16(&charset_bad, 2);
  Bytes charset_long;
  tag(&charset_long, 7, 4);
  be32(&charset_long, 1);
  Bytes second_code;
  tag(&second_code, 8, 4);
  words(&second_code, {0x0001, 0x0002});
  Bytes release_long;
  tag(&release_long, 4, 9);
  for (int i = 0; i < 9; ++i) release_long.push_back('x');
  Bytes release_short;
  tag(&release_short, 4, 4);
  for (char c : {'A', '.', '0', '6'}) release_short.push_back(static_cast<uint8_t>(c));
  Bytes password_short;
  tag(&password_short, 3, 16);
  password_short.resize(password_short.size() + 16, 0);
  Bytes odd_skip;
  tag(&odd_skip, 12, 3, 1);
  odd_skip.resize(odd_skip.size() + 3, 0);

  struct Case {
    const char* name;
    Bytes header_extra, segment_extra;
    const char* message;  // null: reads
  };
  const Case cases[] = {
      {"unknown skippable tag in the header", skip_me, {}, nullptr},
      {"unknown skippable tag in a segment", {}, skip_me, nullptr},
      {"unknown tag in the header", refuse_me, {}, "Incompatible file revision"},
      {"unknown tag in a segment", {}, refuse_me, "Incompatible file revision"},
      {"segment record in the header",
       [] {
         Bytes b;
         tag(&b, 6, 0);
         return b;
       }(),
       {},
       "Incompatible file revision"},
      {"character set 2", {}, charset_bad, "Inconsistent file format"},
      {"character set of 4 bytes", {}, charset_long, "Inconsistent file format"},
      {"second code record", {}, second_code, "Incompatible program file"},
      {"release of 9 bytes", release_long, {}, "Inconsistent file format"},
      {"release of 4 bytes", release_short, {}, nullptr},
      {"password of 16 bytes", password_short, {}, "Inconsistent file format"},
      {"odd header length", odd_skip, {}, "Inconsistent file format"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TaggedFile tf;
    tf.header_extra = c.header_extra;
    tf.segment_extra = c.segment_extra;
    for (bool from_file : {false, true}) {
      Program back;
      Bytes image = tf.build();
      ReadResult r = from_file ? read_file(image, &back.list) : read_mem(image, &back.list);
      if (c.message == nullptr) {
        ASSERT_TRUE(r.ok()) << r.message();
        ASSERT_NE(back.list.root, nullptr);
        EXPECT_EQ(back.list.root->code, tf.code);
      } else {
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.message(), c.message);
        EXPECT_EQ(r.error.code, 999);
        EXPECT_EQ(back.list.root, nullptr);
      }
    }
  }
}

TEST(ProgfileRead, InfoReportsTheReleaseText) {
  Bytes rel;
  tag(&rel, 4, 4);
  for (char c : {'A', '.', '0', '6'}) rel.push_back(static_cast<uint8_t>(c));
  TaggedFile tf;
  tf.header_extra = rel;
  Program back;
  ReadResult r = read_mem(tf.build(), &back.list);
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_STREQ(r.info.release, "A.06");
}

TEST(ProgfileRead, WordsOfLinesAndSymbolsAreChecked) {
  struct Case {
    const char* name;
    Words code, symbols;
    const char* message;
  };
  const Case cases[] = {
      {"line length 0", {0x000A, 0x0000, 0x4711}, {}, "Inconsistent file format"},
      {"line length 1", {0x000A, 0x0001, 0x4711}, {}, "Inconsistent file format"},
      {"line past the code", {0x000A, 0x0004, 0x4711}, {}, "Inconsistent file format"},
      {"half a line at the end", {0x000A, 0x0002, 0x000B}, {}, "Inconsistent file format"},
      {"entry length 0", {0x000A, 0x0002}, {0x0000, 0x5000, 0x4120}, "Inconsistent symbol table"},
      {"entry past the table", {0x000A, 0x0002}, {0x0000, 0x5004, 0x4120}, "Inconsistent symbol table"},
      {"lone address word", {0x000A, 0x0002}, {0x0000}, "Inconsistent symbol table"},
      {"name of 9 words",
       {0x000A, 0x0002},
       Words{0x0000, 0x500B, 1, 2, 3, 4, 5, 6, 7, 8, 9},
       "Inconsistent symbol table"},
      {"line reference without a number", {0x000A, 0x0002}, {0xFFFF, 0x1002}, "Inconsistent symbol table"},
      {"constant of 3 words", {0x000A, 0x0002}, {0x0000, 0x0005, 0, 0x1000, 0}, "Inconsistent symbol table"},
      {"constant with a BCD nibble of 10",
       {0x000A, 0x0002},
       {0x0000, 0x0026, 0x0000, 0x1A00, 0, 0},
       "Inconsistent symbol table"},
      {"constant beyond the range",
       {0x000A, 0x0002},
       {0x0000, 0x0026, 0x7FC0, 0x1000, 0, 0},
       "Inconsistent symbol table"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TaggedFile tf;
    tf.code = c.code;
    tf.symbols = c.symbols;
    Program back;
    ReadResult r = read_mem(tf.build(), &back.list);
    EXPECT_EQ(r.read, -1);
    EXPECT_EQ(r.message(), c.message);
    EXPECT_EQ(back.list.root, nullptr);

    // The same words in the classic layout.
    Bytes classic;
    uint16_t seg = static_cast<uint16_t>(c.code.size() + c.symbols.size() + 3);
    words(&classic, {seg, seg, static_cast<uint16_t>(c.code.size()), static_cast<uint16_t>(c.symbols.size())});
    words(&classic, c.code);
    words(&classic, c.symbols);
    r = read_mem(classic, &back.list);
    EXPECT_EQ(r.read, -1);
    EXPECT_EQ(r.message(), c.message);
  }
}

TEST(ProgfileRead, OddPayloadsAndBadSegmentRecords) {
  struct Case {
    const char* name;
    void (*mutate)(Bytes*);
    const char* message;
  };
  // Offsets into the TaggedFile image: header 30 bytes, tag 5 at 30, its
  // size at 36, tag 8 at 40 with its length at 42.
  const Case cases[] = {
      {"odd code length", [](Bytes* b) { (*b)[45] = 5; }, "Inconsistent file format"},
      {"segment size below 16", [](Bytes* b) { (*b)[39] = 10; }, "Invalid segment size"},
      {"odd segment size", [](Bytes* b) { (*b)[39] |= 1; }, "Invalid segment size"},
      {"segment size with the top bit", [](Bytes* b) { (*b)[36] = 0x80; }, "Invalid segment size"},
      {"segment size past the file", [](Bytes* b) { (*b)[38] = 0x10; }, "Inconsistent program file"},
      {"segment size too small for its records", [](Bytes* b) { (*b)[39] -= 2; }, "Inconsistent program file"},
      {"first record not a segment", [](Bytes* b) { (*b)[30] = 9; }, "Inconsistent program file"},
      {"record length with the top bit", [](Bytes* b) { (*b)[42] = 0x80; }, "Inconsistent file format"},
      {"end of segment with a payload", [](Bytes* b) { (*b)[b->size() - 1] = 2; }, "Inconsistent program file"},
  };
  TaggedFile tf;
  const Bytes good = tf.build();
  ASSERT_EQ(good[30], 5);
  ASSERT_EQ(good[40], 8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image = good;
    c.mutate(&image);
    Program back;
    ReadResult r = read_mem(image, &back.list);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), c.message);
  }
}

TEST(ProgfileRead, ClassicSegmentHeaderMustAddUp) {
  Program src;
  small_program(&src);
  Bytes image = store(src.list, options(0));
  image[3] += 1;  // first segment's codesz + symsz + 3
  Program back;
  ReadResult r = read_mem(image, &back.list);
  EXPECT_EQ(r.read, -1);
  EXPECT_EQ(r.message(), "Inconsistent segment header");
}

TEST(ProgfileRead, SegmentsCanBeSkipped) {
  Program src;
  rich_program(&src);
  for (int revision : {0, 2}) {
    SCOPED_TRACE(revision);
    Bytes image = store(src.list, options(revision));
    Program back;
    prog_reader rd;
    ASSERT_EQ(yq__prog_read_init_mem(image.data(), image.size(), &rd, &back.list), 0);
    ASSERT_EQ(yq__prog_read_segment(&rd, 1), 0);
    ASSERT_EQ(yq__prog_read_segment(&rd, 0), 0);
    ASSERT_EQ(yq__prog_read_segment(&rd, 1), 0);
    EXPECT_EQ(rd.remaining, 0u);
    ASSERT_EQ(back.segments().size(), 1u);
    EXPECT_EQ(back.list.root->code, src.list.root->next->code);
  }
}

TEST(ProgfileRead, ReadingReplacesTheListAndAFailureLeavesItEmpty) {
  Program src;
  small_program(&src);
  Bytes image = store(src.list, options(2));
  Program back;
  back.add({0x0001, 0x0002}, {});
  ASSERT_TRUE(read_mem(image, &back.list).ok());
  EXPECT_EQ(back.segments().size(), 2u);
  // The second segment is broken: the first, already read, goes too.
  Bytes broken = image;
  broken[broken.size() - 9] = 0x00;  // the second segment's variable entry: length 0
  ReadResult r = read_mem(broken, &back.list);
  EXPECT_EQ(r.read, -1);
  EXPECT_EQ(back.list.root, nullptr);
  EXPECT_EQ(back.list.last, nullptr);
}

}  // namespace
