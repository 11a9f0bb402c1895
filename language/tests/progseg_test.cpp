// Segments: the list, finding and inserting lines, symbol lookup, and the
// accessors that turn stored symbols and segments back into text.
#include "language/progseg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "language/decimal.h"

namespace {

// A stored line: number, header with the word count, then the words.
std::vector<uint16_t> line(int number, std::vector<uint16_t> body) {
  std::vector<uint16_t> w{static_cast<uint16_t>(number), 0x0500};
  w.insert(w.end(), body.begin(), body.end());
  w[1] = static_cast<uint16_t>(0x0500 | w.size());
  return w;
}

void append_line(ProgSegment* seg, int number, std::vector<uint16_t> body = {0x06B4, 0x08C0}) {
  auto w = line(number, body);
  ASSERT_EQ(progseg_insert_line(seg, static_cast<uint32_t>(seg->code.size()), w.data(), w.size()), PROGSEG_OK);
}

std::vector<int> numbers(ProgSegment* seg) {
  std::vector<int> out;
  for (size_t i = 0; i < progseg_line_count(seg); ++i) out.push_back(seg->code[progseg_line_offset(seg, i)]);
  return out;
}

struct ProgFixture : ::testing::Test {
  ProgList prog;
  ~ProgFixture() override { progseg_free_all(&prog); }
};

TEST_F(ProgFixture, ListKeepsOrderAndFreeUnlinks) {
  ProgSegment* a = progseg_new(&prog);
  ProgSegment* b = progseg_new(&prog);
  ProgSegment* c = progseg_new(&prog);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->magic, SEGMENT_MAGIC);
  EXPECT_EQ(prog.root, a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(prog.last, c);
  EXPECT_EQ(a->charset, -1);

  EXPECT_EQ(progseg_free(&prog, c), PROGSEG_OK);  // the last: the tail moves back
  EXPECT_EQ(prog.last, b);
  ProgSegment* d = progseg_new(&prog);
  EXPECT_EQ(b->next, d);
  EXPECT_EQ(progseg_free(&prog, a), PROGSEG_OK);  // the root: the next becomes root
  EXPECT_EQ(prog.root, b);
  EXPECT_EQ(progseg_count(&prog), 2u);

  ProgList other;
  ProgSegment* stranger = progseg_new(&other);
  EXPECT_EQ(progseg_free(&prog, stranger), PROGSEG_NOT_FOUND);
  EXPECT_EQ(progseg_count(&prog), 2u);
  progseg_free_all(&other);

  EXPECT_TRUE(progseg_reset(&prog));
  EXPECT_EQ(progseg_count(&prog), 1u);
  EXPECT_TRUE(prog.root->code.empty());
}

// Root with lines 10, 20, 30; a SUB segment with 100, 110; a last segment
// with 200.
struct FindFixture : ProgFixture {
  ProgSegment* root = nullptr;
  ProgSegment* sub = nullptr;
  ProgSegment* fn = nullptr;
  void SetUp() override {
    root = progseg_new(&prog);
    sub = progseg_new(&prog);
    fn = progseg_new(&prog);
    for (int n : {10, 20, 30}) append_line(root, n);
    for (int n : {100, 110}) append_line(sub, n);
    append_line(fn, 200);
  }
  uint32_t pos_of(ProgSegment* seg, int index) { return progseg_line_offset(seg, index); }
};

TEST_F(FindFixture, FindLineGivesSegmentPositionAndExactness) {
  struct Case {
    int lineno;
    bool exact_only;
    int seg;   // 0 root, 1 sub, 2 fn
    int line;  // index of the line at the position, -1 for the end
    bool exists;
  } cases[] = {
      {5, false, 0, 0, false},   {10, false, 0, 0, true},    {15, false, 0, 1, false},
      {30, false, 0, 2, true},   {50, false, 0, -1, false},  // between segments: joins the earlier one
      {50, true, 1, 0, false},                               // unless only the exact place counts
      {105, false, 1, 1, false}, {110, false, 1, 1, true},   {150, false, 1, -1, false},
      {200, false, 2, 0, true},  {999, false, 2, -1, false},
  };
  ProgSegment* segs[] = {root, sub, fn};
  for (const Case& c : cases) {
    ProgSegment* seg = nullptr;
    uint32_t pos = 0;
    bool exists = progseg_find_line(&prog, c.lineno, c.exact_only, &seg, &pos);
    SCOPED_TRACE(c.lineno);
    EXPECT_EQ(exists, c.exists);
    EXPECT_EQ(seg, segs[c.seg]);
    uint32_t want = c.line < 0 ? static_cast<uint32_t>(segs[c.seg]->code.size()) : pos_of(segs[c.seg], c.line);
    EXPECT_EQ(pos, want);
  }
}

// Appending is looked up from the last segment alone; a just-opened empty
// last segment still takes the next line, and a line between segments still
// joins the earlier one after a run of appends.
TEST_F(FindFixture, AppendsGoToTheEndWhateverTheLastSegmentHolds) {
  ProgSegment* opened = progseg_new(&prog);
  ProgSegment* seg = nullptr;
  uint32_t pos = 0;
  EXPECT_FALSE(progseg_find_line(&prog, 300, false, &seg, &pos));
  EXPECT_EQ(seg, opened);
  EXPECT_EQ(pos, 0u);
  for (int n = 300; n < 340; ++n) {
    ASSERT_FALSE(progseg_find_line(&prog, n, false, &seg, &pos));
    ASSERT_EQ(seg, opened);
    ASSERT_EQ(pos, opened->code.size());
    auto w = line(n, {0x06B4, 0x0001, 0x0002, 0x08C0});
    ASSERT_EQ(progseg_insert_line(seg, pos, w.data(), w.size()), PROGSEG_OK);
  }
  EXPECT_TRUE(progseg_find_line(&prog, 339, false, &seg, &pos));
  EXPECT_EQ(seg, opened);
  EXPECT_FALSE(progseg_find_line(&prog, 250, false, &seg, &pos));
  EXPECT_EQ(seg, fn);
  EXPECT_EQ(pos, fn->code.size());
  EXPECT_FALSE(progseg_find_line(&prog, 250, true, &seg, &pos));
  EXPECT_EQ(seg, opened);
  EXPECT_EQ(pos, 0u);
}

TEST_F(FindFixture, InsertInTheMiddleKeepsTheIndexInStep) {
  ProgSegment* seg = nullptr;
  uint32_t pos = 0;
  ASSERT_FALSE(progseg_find_line(&prog, 15, false, &seg, &pos));
  auto w = line(15, {0x06B4, 0x0001, 0x0002, 0x08C0});
  ASSERT_EQ(progseg_insert_line(seg, pos, w.data(), w.size()), PROGSEG_OK);
  EXPECT_EQ(numbers(root), (std::vector<int>{10, 15, 20, 30}));
  EXPECT_TRUE(progseg_find_line(&prog, 20, false, &seg, &pos));
  EXPECT_EQ(seg->code[pos], 20);
  EXPECT_EQ(progseg_last_line(root), 30);
  EXPECT_EQ(progseg_first_line(sub), 100);

  // A change behind the accessors' back (a loader filling the code) is
  // noticed by size.
  auto extra = line(40, {0x06B4});
  root->code.insert(root->code.end(), extra.begin(), extra.end());
  EXPECT_EQ(progseg_last_line(root), 40);
}

TEST_F(ProgFixture, InsertRejectsBadArgumentsAndFullCode) {
  ProgSegment* seg = progseg_new(&prog);
  auto w = line(10, {0x06B4});
  EXPECT_EQ(progseg_insert_line(seg, 1, w.data(), w.size()), PROGSEG_BAD_ARGUMENT);  // past the end
  w[1] = 0x0502;  // count says 2, the line has 3 words
  EXPECT_EQ(progseg_insert_line(seg, 0, w.data(), w.size()), PROGSEG_BAD_ARGUMENT);
  EXPECT_TRUE(seg->code.empty());

  // 32767 words is the largest code area.
  std::vector<uint16_t> big(255, 0);
  big[1] = 0x00FF;
  int n = 1;
  while (seg->code.size() + 255 <= PROGSEG_MAX_WORDS) {
    big[0] = static_cast<uint16_t>(n++);
    ASSERT_EQ(progseg_insert_line(seg, static_cast<uint32_t>(seg->code.size()), big.data(), big.size()), PROGSEG_OK);
  }
  big[0] = static_cast<uint16_t>(n);
  size_t before = seg->code.size();
  EXPECT_EQ(progseg_insert_line(seg, static_cast<uint32_t>(before), big.data(), big.size()), PROGSEG_CODE_FULL);
  EXPECT_EQ(seg->code.size(), before);

  std::vector<uint16_t> syms(PROGSEG_MAX_WORDS, 0);
  EXPECT_EQ(progseg_add_symbols(seg, syms.data(), syms.size()), PROGSEG_OK);
  EXPECT_EQ(progseg_add_symbols(seg, syms.data(), 1), PROGSEG_SYMBOLS_FULL);
}

// ---- symbols ------------------------------------------------------------

ProgSymbolRef named(int cls, int sub, const char* name) {
  ProgSymbolRef r;
  r.cls = cls;
  r.subtype = sub;
  r.name = name;
  r.name_len = static_cast<int>(std::strlen(name));
  return r;
}

TEST(ProgSymbols, EntryLayouts) {
  std::vector<uint16_t> w;
  ASSERT_TRUE(prog_symbol_entry(named(SYM_CLASS_NUMERIC, 0, "Abc"), &w));
  EXPECT_EQ(w, (std::vector<uint16_t>{0x0000, 0x5004, 0x4162, 0x6300}));
  w.clear();
  ASSERT_TRUE(prog_symbol_entry(named(SYM_CLASS_STRING, 2, "Ab"), &w));
  EXPECT_EQ(w, (std::vector<uint16_t>{0x0000, 0x4403, 0x4162}));
  w.clear();
  ASSERT_TRUE(prog_symbol_entry(named(SYM_CLASS_LINE, SYM_SUB_FN_STR, "X"), &w));
  EXPECT_EQ(w, (std::vector<uint16_t>{0xFFFF, 0x1A03, 0x5800}));
  w.clear();
  ProgSymbolRef ln;
  ln.cls = SYM_CLASS_LINE;
  ln.lineno = 300;
  ASSERT_TRUE(prog_symbol_entry(ln, &w));
  EXPECT_EQ(w, (std::vector<uint16_t>{0xFFFF, 0x1003, 300}));
  w.clear();
  ASSERT_TRUE(prog_symbol_entry(named(SYM_CLASS_NUMERIC, 0, "Abcdefghijklmno"), &w));
  EXPECT_EQ(w.size(), 10u);
  EXPECT_EQ(w[1], 0x500A);
  EXPECT_EQ(w[9], 0x6F00);
  w.clear();
  EXPECT_FALSE(prog_symbol_entry(named(SYM_CLASS_NUMERIC, 0, "Abcdefghijklmnop"), &w));
  EXPECT_FALSE(prog_symbol_entry(named(2, 0, "A"), &w));
  EXPECT_FALSE(prog_symbol_entry(named(SYM_CLASS_LINE, 2, "A"), &w));
  EXPECT_TRUE(w.empty());
}

TEST_F(ProgFixture, FindSymbolMatchesClassGroupsAndFirstEntry) {
  ProgSegment* seg = progseg_new(&prog);
  // A class-6 numeric "A" (as a program file may hold), a string "A", an
  // array "A", a label "A", then a second numeric "A" of class 5.
  std::vector<uint16_t> t = {
      0x0000, 0x6003, 0x4100,  // 0: class 6 A
      0x0000, 0x4003, 0x4100,  // 3: string A$
      0x0000, 0x5203, 0x4100,  // 6: numeric array A(,)
      0xFFFF, 0x1203, 0x4100,  // 9: label A
      0x0000, 0x5003, 0x4100,  // 12: class 5 A (never reached)
      0xFFFF, 0x1003, 0x0064,  // 15: line 100
  };
  ASSERT_EQ(progseg_add_symbols(seg, t.data(), t.size()), PROGSEG_OK);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_NUMERIC, 0, "A")), 0);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_STRING, 0, "A")), 3);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_NUMERIC, 3, "A")), 6);  // any array matches an array
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_STRING, 1, "A")), -1);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_LINE, SYM_SUB_LABEL, "A")), 9);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_LINE, SYM_SUB_SUB, "A")), -1);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_NUMERIC, 0, "Ab")), -1);
  ProgSymbolRef ln;
  ln.cls = SYM_CLASS_LINE;
  ln.lineno = 100;
  EXPECT_EQ(progseg_find_symbol(seg, ln), 15);
  ln.lineno = 101;
  EXPECT_EQ(progseg_find_symbol(seg, ln), -1);
  EXPECT_EQ(prog_find_symbol_words(t.data(), t.size(), named(SYM_CLASS_NUMERIC, 2, "A")), 6);

  // Appended and cut-back entries are seen by the index.
  std::vector<uint16_t> more = {0x0000, 0x8003, 0x4200};
  ASSERT_EQ(progseg_add_symbols(seg, more.data(), more.size()), PROGSEG_OK);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_STRUCT, 0, "B")), 18);
  progseg_truncate_symbols(seg, 18);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_STRUCT, 0, "B")), -1);
}

TEST_F(ProgFixture, MalformedTableStopsTheSearch) {
  ProgSegment* seg = progseg_new(&prog);
  // A zero length would loop forever; an entry past the end is cut off.
  std::vector<uint16_t> t = {0x0000, 0x5003, 0x4100, 0x0000, 0x5000, 0x4200, 0x0000, 0x5003, 0x4300};
  ASSERT_EQ(progseg_add_symbols(seg, t.data(), t.size()), PROGSEG_OK);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_NUMERIC, 0, "A")), 0);
  EXPECT_EQ(progseg_find_symbol(seg, named(SYM_CLASS_NUMERIC, 0, "C")), -1);
  std::vector<uint16_t> cut = {0x0000, 0x500A, 0x4100};
  EXPECT_EQ(prog_find_symbol_words(cut.data(), cut.size(), named(SYM_CLASS_NUMERIC, 0, "A")), -1);
}

// ---- accessors ----------------------------------------------------------

std::vector<uint16_t> const_entry(const char* text) {
  dec_number num;
  EXPECT_EQ(math_from_text(text, std::strlen(text), &num), 0) << text;
  uint8_t packed[8];
  prog_pack_number(&num, packed);
  std::vector<uint16_t> e{0, 0x0006};
  for (int i = 0; i < 8; i += 2) e.push_back(static_cast<uint16_t>(packed[i] << 8 | packed[i + 1]));
  return e;
}

TEST(ProgNumberText, FixedAndExponentForms) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"0", "0"},
      {"1234", "1234"},
      {"100000", "100000"},
      {"1000000", "1E6"},
      {"0.001", "0.001"},
      {"0.000015", "0.000015"},
      {"0.0000015", "1.5E-6"},
      {"-2.5", "-2.5"},
      {"12345600000", "12345600000"},  // five zeros before the point
      {"123456000000", "1.23456E11"},  // six
      {"123456789012", "123456789012"},
      {"1234567890123", "1.23456789012E12"},
      {"-0.5", "-0.5"},
      {"1E-20", "1E-20"},
  };
  for (const Case& c : cases) {
    auto e = const_entry(c.in);
    char buf[64];
    prog_number_text(e.data(), buf, sizeof buf);
    EXPECT_STREQ(buf, c.out) << c.in;
  }
}

TEST(ProgNumberText, PackedOneIsHandDerived) {
  // 1 is 0.01 x 100^1: exponent byte 0xC1, first digit 01.
  EXPECT_EQ(const_entry("1"), (std::vector<uint16_t>{0, 6, 0xC101, 0, 0, 0}));
  // -1: the complements.
  EXPECT_EQ(const_entry("-1"), (std::vector<uint16_t>{0, 6, 0x3E63, 0, 0, 0}));
  uint8_t packed[8] = {0xC1, 0x01};
  dec_number n;
  prog_unpack_number(packed, &n);
  EXPECT_EQ(math_sgn(&n), 1);
  // A NULL constant (only a damaged file holds one) reads as zero.
  uint8_t null_packed[8] = {};
  EXPECT_TRUE(dec_is_zero(prog_unpack_number(null_packed, nullptr)));
}

TEST(ProgSymbolName, CopiesNamesOfAnyLength) {
  uint16_t w[8] = {0x4162, 0x6364, 0x6566, 0x6768, 0x696A, 0x6B6C, 0x6D6E, 0x6F00};
  char buf[17];
  prog_symbol_name(buf, w, 8);
  EXPECT_STREQ(buf, "Abcdefghijklmno");
  uint16_t even[2] = {0x4142, 0x4344};
  prog_symbol_name(buf, even, 2);
  EXPECT_STREQ(buf, "ABCD");
  prog_symbol_name(buf, even, 0);
  EXPECT_STREQ(buf, "");
}

TEST_F(ProgFixture, SymbolTextByClass) {
  ProgSegment* seg = progseg_new(&prog);
  std::vector<uint16_t> t = const_entry("-2.5");  // 0
  std::vector<uint16_t> rest = {
      0xFFFF, 0x1003, 0x012C,  // 6: line 300
      0xFFFF, 0x1A03, 0x4600,  // 9: FN$ F
      0x0000, 0x4003, 0x4E00,  // 12: N$
      0x0000, 0x5203, 0x4D00,  // 15: M(,)
      0x0000, 0x8003, 0x5300,  // 18: structure S
      0x0000, 0x7003, 0x4900,  // 21: class 7 I
  };
  t.insert(t.end(), rest.begin(), rest.end());
  ASSERT_EQ(progseg_add_symbols(seg, t.data(), t.size()), PROGSEG_OK);
  struct Case {
    uint32_t id;
    const char* text;
    int rc;
  } cases[] = {{0x8000, "-2.5", 0}, {0x8006, "300", 0}, {0x8009, "F$", 0}, {0x800C, "N$", 0},
               {0x800F, "M", 1},    {0x8012, "S", 1},   {0x8015, "I", 0},  {0x8020, "", -1}};
  for (const Case& c : cases) {
    char buf[40];
    EXPECT_EQ(prog_symbol_text(seg, c.id, buf, sizeof buf), c.rc) << std::hex << c.id;
    EXPECT_STREQ(buf, c.text);
  }
}

TEST_F(ProgFixture, SegmentNames) {
  ProgSegment* root = progseg_new(&prog);
  EXPECT_STREQ(segname(&prog, root), "main");  // also when empty

  struct Case {
    bool label;
    uint16_t type;
    const char* name;
  } cases[] = {{false, 0x1E04, "SUB Abc"},
               {true, 0x1E04, "SUB Abc"},
               {false, 0x1804, "FN  Abc"},
               {false, 0x1A04, "FN$ Abc"},
               {false, 0x1204, "?"}};
  for (const Case& c : cases) {
    ProgSegment* seg = progseg_new(&prog);
    // Entry 0: the label "Lb"; entry 3: the segment's name.
    std::vector<uint16_t> syms = {0xFFFF, 0x1203, 0x4C62, 0xFFFF, c.type, 0x4162, 0x6300};
    ASSERT_EQ(progseg_add_symbols(seg, syms.data(), syms.size()), PROGSEG_OK);
    std::vector<uint16_t> body;
    if (c.label) body.push_back(0x8000);
    body.insert(body.end(), {0x06C8, 0x8003, 0x08C0});
    append_line(seg, 100, body);
    EXPECT_STREQ(segname(&prog, seg), c.name);
  }
  // A first line that names no class-1 entry, or a reference past the table.
  for (uint16_t id : {uint16_t{0x0005}, uint16_t{0x8040}}) {
    ProgSegment* seg = progseg_new(&prog);
    append_line(seg, 100, {0x06C8, id, 0x08C0});
    EXPECT_STREQ(segname(&prog, seg), "?");
  }
}

TEST_F(ProgFixture, WalksVisitEverySegmentAndLine) {
  ProgSegment* a = progseg_new(&prog);
  ProgSegment* b = progseg_new(&prog);
  append_line(a, 1);
  append_line(a, 2);
  append_line(b, 3);
  std::vector<int> seen;
  progseg_walk(
      &prog,
      [](void* u, ProgSegment* s) {
        return progseg_walk_lines(
            s,
            [](void* u2, ProgSegment*, const uint16_t* l) {
              static_cast<std::vector<int>*>(u2)->push_back(l[0]);
              return 0;
            },
            u);
      },
      &seen);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  int stop = progseg_walk(
      &prog, [](void*, ProgSegment* s) { return s->code[0] == 3 ? 7 : 0; }, nullptr);
  EXPECT_EQ(stop, 7);
}

}  // namespace
