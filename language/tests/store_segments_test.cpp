// The store tool's segment storage: where lines go, inserting and appending
// with their limits, and the listing of the segments.
#include "language/store_segments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A line of `count` words (at least 3): number, header, statement words.
std::vector<uint16_t> line_words(int number, int count) {
  std::vector<uint16_t> w(static_cast<size_t>(count), 0x06B4);
  w[0] = static_cast<uint16_t>(number);
  w[1] = static_cast<uint16_t>(0x0300 | count);
  return w;
}

struct StoreStorage : testing::Test {
  CompileContext cc;
  StoreSegments ss;
  std::vector<std::vector<uint16_t>> dumped;

  void SetUp() override {
    cc_init(&cc, CgFrontEnd{});
    ASSERT_TRUE(store_segments_init(&ss, &cc));
    ss.user = this;
    ss.on_insert = [](void* user, const uint16_t* words, size_t count) {
      static_cast<StoreStorage*>(user)->dumped.emplace_back(words, words + count);
    };
  }
  void TearDown() override { cc_free(&cc); }

  void append(ProgSegment* seg, int number, int count = 3) {
    std::vector<uint16_t> w = line_words(number, count);
    ASSERT_TRUE(seg_insert_code(&ss, seg, static_cast<uint32_t>(seg->code.size()), w.data()));
  }
};

TEST_F(StoreStorage, InitCreatesTheRootAndTheHost) {
  ASSERT_NE(cc.prog.root, nullptr);
  EXPECT_EQ(cc.prog.root->next, nullptr);
  EXPECT_EQ(cc.host.user, &ss);
  EXPECT_NE(cc.host.find_line, nullptr);
  EXPECT_NE(cc.host.insert_code, nullptr);
  EXPECT_NE(cc.host.add_symbols, nullptr);
}

TEST_F(StoreStorage, FindLineAcrossSegments) {
  ProgSegment* root = cc.prog.root;
  append(root, 10);
  append(root, 20);
  ProgSegment* sub = progseg_new(&cc.prog);
  ASSERT_NE(sub, nullptr);
  append(sub, 30);
  append(sub, 40);

  struct Case {
    int number;
    bool exact_only;
    ProgSegment* seg;
    uint32_t pos;
    bool exists;
  } cases[] = {
      {5, false, root, 0, false},
      {10, false, root, 0, true},
      {15, false, root, 3, false},
      {20, true, root, 3, true},
      // Between two segments a new line joins the earlier one ...
      {25, false, root, 6, false},
      // ... unless only the exact place is asked for.
      {25, true, sub, 0, false},
      {30, false, sub, 0, true},
      {35, false, sub, 3, false},
      {50, false, sub, 6, false},
  };
  for (const Case& c : cases) {
    ProgSegment* seg = nullptr;
    uint32_t pos = 99;
    EXPECT_EQ(seg_find_line(&ss, c.number, c.exact_only, &seg, &pos), c.exists) << c.number;
    EXPECT_EQ(seg, c.seg) << c.number;
    EXPECT_EQ(pos, c.pos) << c.number;
  }
}

TEST_F(StoreStorage, InsertKeepsTheOrderAndDumpsTheWords) {
  ProgSegment* root = cc.prog.root;
  append(root, 10);
  append(root, 30, 4);
  std::vector<uint16_t> mid = line_words(20, 5);
  ASSERT_TRUE(seg_insert_code(&ss, root, 3, mid.data()));
  std::vector<uint16_t> want;
  for (auto& l : {line_words(10, 3), line_words(20, 5), line_words(30, 4)}) want.insert(want.end(), l.begin(), l.end());
  EXPECT_EQ(root->code, want);
  ASSERT_EQ(dumped.size(), 3u);
  EXPECT_EQ(dumped[2], mid);
  EXPECT_EQ(ss.fatal, nullptr);
}

TEST_F(StoreStorage, InsertOutsideTheCodeIsRefused) {
  std::vector<uint16_t> w = line_words(10, 3);
  EXPECT_FALSE(seg_insert_code(&ss, cc.prog.root, 1, w.data()));
  EXPECT_NE(ss.fatal, nullptr);
  EXPECT_TRUE(cc.prog.root->code.empty());
}

TEST_F(StoreStorage, CodeLimit) {
  ProgSegment* root = cc.prog.root;
  // 32767 words: 128 lines of 255 words and one of 127.
  int number = 1;
  for (int i = 0; i < 128; ++i) append(root, number++, 255);
  append(root, number++, 127);
  ASSERT_EQ(root->code.size(), 32767u);
  std::vector<uint16_t> w = line_words(number, 3);
  EXPECT_FALSE(seg_insert_code(&ss, root, static_cast<uint32_t>(root->code.size()), w.data()));
  EXPECT_STREQ(ss.fatal, "Code size exceeds maximum");
  EXPECT_EQ(root->code.size(), 32767u);
}

TEST_F(StoreStorage, SymbolsAppendUpToTheLimit) {
  ProgSegment* root = cc.prog.root;
  EXPECT_TRUE(seg_add_symbols(&ss, root, nullptr, 0));
  std::vector<uint16_t> words(32760, 0);
  ASSERT_TRUE(seg_add_symbols(&ss, root, words.data(), words.size()));
  const uint16_t more[7] = {1, 2, 3, 4, 5, 6, 7};
  ASSERT_TRUE(seg_add_symbols(&ss, root, more, 7));
  EXPECT_EQ(root->symbols.size(), 32767u);
  EXPECT_EQ(root->symbols.back(), 7);
  EXPECT_FALSE(seg_add_symbols(&ss, root, more, 1));
  EXPECT_STREQ(ss.fatal, "Symbol table size exceeds maximum");
  EXPECT_EQ(root->symbols.size(), 32767u);
}

TEST_F(StoreStorage, ListingWithoutALister) {
  ProgSegment* root = cc.prog.root;
  append(root, 10);
  append(root, 20, 4);
  const uint16_t sym[3] = {0, 0x1003, 10};
  ASSERT_TRUE(seg_add_symbols(&ss, root, sym, 3));
  std::string out;
  store_listing(&cc.prog, nullptr, nullptr, &out);
  char row[128];
  std::snprintf(row, sizeof row, "%-20s %8p %5d %5d %5d\n", "main", static_cast<void*>(root), 10, 14, 6);
  EXPECT_EQ(out, std::string("\n10 0303 06b4\n20 0304 06b4 06b4\n"
                             "\nSEGMENT-LIST\nType/Name            Address    Line  Code  Sym\n"
                             "-------------------- ---------- ----- ----- -----\n") +
                     row + "\n");
}

TEST_F(StoreStorage, ListingUsesTheLister) {
  append(cc.prog.root, 10);
  std::string out;
  store_listing(
      &cc.prog,
      [](void*, ProgSegment*, const uint16_t* line, std::string* text) { *text = "LINE " + std::to_string(line[0]); },
      nullptr, &out);
  EXPECT_EQ(out.substr(0, 9), "\nLINE 10\n");
}

}  // namespace
