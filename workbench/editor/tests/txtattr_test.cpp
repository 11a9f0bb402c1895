// The line encoding: columns, offsets, state codes and their normal form.
#include <cstring>

#include "workbench/editor/tests/txttest.h"

using namespace txttest;

namespace {

TEST(TextAttrWalk, ColoursTakeNoColumnAndOffsetsStopBeforeOrPassCodes) {
  TextObj t;
  TextAttr a(&t);
  const std::string line = S({ESC, 5, 'a', 'b', ESC, 1, 'c'});
  EXPECT_EQ(a.Columns(line.c_str()), 3u);
  EXPECT_EQ(a.ColumnToOffset(line.c_str(), 0), 0u);
  EXPECT_EQ(a.ColumnToOffset(line.c_str(), 2), 4u);  // the ESC 1 behind b is not passed
  EXPECT_EQ(a.CharOffset(line.c_str(), 2), 6u);      // ... but is passed to reach c
  EXPECT_EQ(a.CharOffset(line.c_str(), 0), 2u);
  EXPECT_EQ(a.ColumnToOffset(line.c_str(), 3), line.size());
  EXPECT_EQ(a.Columns(line.c_str(), 4), 2u);  // only the first 4 bytes
}

TEST(TextAttrWalk, EnhancementBytesAreSwitchesOnlyWhenEnabled) {
  TextObj t;
  const std::string line = S({'a', 0x81, 'b', 0x80, 'c'});
  TextAttr off(&t);
  EXPECT_EQ(off.Columns(line.c_str()), 5u);
  EXPECT_FALSE(off.Inverse());

  t.SetUseEnhancements(true);
  TextAttr on(&t);
  EXPECT_EQ(on.Columns(line.c_str()), 3u);
  const char* p = on.SeekBefore(line.c_str(), 1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, 'b');
  EXPECT_TRUE(on.Inverse());
  EXPECT_FALSE(on.Blink());
  on.SeekBefore(p, 1);
  EXPECT_FALSE(on.Inverse());
}

TEST(TextAttrWalk, CharModeSwitches) {
  TextObj t;
  t.SetUseEnhancements(true);
  const struct {
    int code;
    uint32_t mode;
  } cases[] = {{0x92, 2}, {0x93, 1}, {0x94, 0}, {0x9f, 0}};
  for (const auto& c : cases) {
    TextAttr a(&t);
    a.char_mode = 1;
    const std::string s = S({c.code, 'x'});
    a.SeekBefore(s.c_str(), 0);
    EXPECT_EQ(a.char_mode, c.mode) << std::hex << c.code;
  }
}

TEST(TextAttrWalk, EscFollowedByNulEndsEveryWalk) {
  TextObj t;
  TextAttr a(&t);
  const char line[] = {'a', 'b', ESC, 0, 'c', 'd', 0};
  EXPECT_EQ(a.Columns(line), 2u);
  EXPECT_EQ(a.DisplayChars(line), "ab");
  EXPECT_EQ(TextAttr::StripEscapes(nullptr, line), 2u);
  EXPECT_EQ(a.SeekAfter(line, 3), nullptr);
  uint32_t n = 0;
  const char* run = a.NextRun(line, &n);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(a.NextRun(run + n, &n), nullptr);
}

TEST(TextAttrWalk, HighColourCodesAreIgnoredAndColourStaysInRange) {
  TextObj t;
  TextAttr a(&t);
  const std::string s = S({ESC, 14, ESC, 15, ESC, 200, 'x'});
  a.SeekBefore(s.c_str(), 0);
  EXPECT_EQ(a.color_state, 13);
  EXPECT_EQ(a.Columns(s.c_str()), 1u);
}

TEST(TextAttrWalk, TrailingBlanksAndRuns) {
  TextObj t;
  TextAttr a(&t);
  EXPECT_EQ(a.TrailingBlankColumn("ab  "), 2u);
  EXPECT_EQ(a.TrailingBlankColumn("ab"), 2u);
  EXPECT_EQ(a.TrailingBlankColumn("   "), 0u);
  const std::string s = S({'a', ' ', ESC, 3, ' ', ' '});
  EXPECT_EQ(a.TrailingBlankColumn(s.c_str()), 1u);

  const std::string runs = S({'a', 'b', ESC, 3, 'c', ESC, 1});
  uint32_t n;
  const char* p = a.NextRun(runs.c_str(), &n);
  EXPECT_EQ(std::string(p, n), "ab");
  p = a.NextRun(p + n, &n);
  EXPECT_EQ(std::string(p, n), "c");
  EXPECT_EQ(a.color_state, 2);
  EXPECT_EQ(a.NextRun(p + n, &n), nullptr);
}

TEST(TextAttrCodes, WriteStateWritesOnlyTheDifference) {
  TextObj t;
  t.SetUseEnhancements(true);
  TextAttr fresh(&t), red(&t), inv(&t), both(&t);
  red.color_state = 4;
  inv.enhancement = 0x81;
  both.color_state = 4;
  both.enhancement = 0x85;
  both.char_mode = 2;
  const struct {
    const TextAttr* state;
    const TextAttr* prev;
    std::string codes;
  } cases[] = {
      {&fresh, nullptr, ""},          {&red, nullptr, S({ESC, 5})}, {&fresh, &red, S({ESC, 1})},
      {&inv, nullptr, S({0x81})},     {&fresh, &inv, S({0x80})},    {&both, nullptr, S({ESC, 5, 0x92, 0x85})},
      {&red, &both, S({0x94, 0x80})}, {&both, &both, ""},
  };
  for (const auto& c : cases) {
    char buf[TEXTATTR_STATE_MAX];
    uint32_t n = c.state->WriteState(buf, c.prev);
    EXPECT_EQ(std::string(buf, n), c.codes);
    EXPECT_EQ(buf[n], 0);
  }
  char buf[TEXTATTR_STATE_MAX];
  uint32_t n = both.WriteEnhancements(buf, nullptr);
  EXPECT_EQ(std::string(buf, n), S({0x92, 0x85}));
}

TEST(TextAttrCodes, NoEnhancementCodesWhileEnhancementsAreOff) {
  // They would be characters then.
  TextObj t;
  TextAttr a(&t);
  a.enhancement = 0x81;
  a.char_mode = 2;
  EXPECT_EQ(a.StateCodes(nullptr), "");
}

TEST(TextAttrCodes, NormalizeEscapesKeepsTheShortestCodes) {
  const struct {
    std::string from, to;
  } cases[] = {
      {S({ESC, 3, ESC, 3, 'a', ESC, 3, 'b'}), S({ESC, 3, 'a', 'b'})},
      {S({'a', ESC, 1, 'b'}), "ab"},
      {S({ESC, 3, 'a', ESC, 1, 'b', ESC, 4}), S({ESC, 3, 'a', ESC, 1, 'b'})},
      {S({ESC, 20, 'a'}), "a"},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string buf(c.from.size() + 1, 'X');
    TextAttr::NormalizeEscapes(buf.data(), c.from.c_str());
    EXPECT_EQ(std::string(buf.c_str()), c.to);
  }
}

TEST(TextAttrCodes, StripAndCopyForDisplay) {
  TextObj t;
  t.SetUseEnhancements(true);
  const std::string s = S({ESC, 3, 'a', '\t', 0x92, 0xe9, 0x94, 0xe9});
  char out[16];
  EXPECT_EQ(TextAttr::StripEscapes(out, s.c_str()), 6u);  // attribute bytes are copied
  EXPECT_EQ(std::string(out), S({'a', '\t', 0x92, 0xe9, 0x94, 0xe9}));
  TextAttr a(&t);
  EXPECT_EQ(a.CopyForDisplay(out, s.c_str()), 4u);
  EXPECT_EQ(std::string(out), S({'a', ' ', '~', 0xe9}));
}

TEST(TextAttrCodes, ChangeEnhancementSetsAndResetsBits) {
  TextObj t;
  t.SetUseEnhancements(true);
  TextAttr a(&t);
  a.ChangeEnhancement(TextAttr_INVERSE | TextAttr_UNDERLINE, 0);
  EXPECT_EQ(a.enhancement, 0x85);
  a.ChangeEnhancement(TextAttr_HALFBRIGHT, TextAttr_INVERSE);
  EXPECT_EQ(a.enhancement, 0x8c);
  EXPECT_TRUE(a.Underline());
  EXPECT_TRUE(a.Halfbright());
}

TEST(TextAttrCodes, WordCharacters) {
  for (int c : {int{'a'}, int{'Z'}, int{'0'}, int{'_'}, int{'$'}, 0xe9}) EXPECT_TRUE(IsWordChar(c)) << c;
  for (int c : {0, int{' '}, int{'\t'}, int{'.'}, int{'-'}, int{'('}, int{'"'}, int{'~'}})
    EXPECT_FALSE(IsWordChar(c)) << c;
}

class TextAttrChecks : public ThrowingChecks {};

TEST_F(TextAttrChecks, OffsetPastTheEndFails) {
  TextObj t;
  TextAttr a(&t);
  try {
    a.ColumnToOffset("ab", 3);
    FAIL();
  } catch (const SysAssertError& e) {
    EXPECT_EQ(e.expr, "!col");
  }
  EXPECT_THROW(a.ChangeEnhancement(0x10, 0), SysAssertError);
}

}  // namespace
