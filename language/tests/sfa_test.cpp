// Statement-flow files: the byte layout, building one from a program, and
// the decoder's refusal of damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow_fixtures.h"
#include "language/sfa.h"

namespace {

using flowfix::le32;
using flowfix::line;
using flowfix::segment;

int decode(const std::string& s, sfa_file* f) {
  return sfa_decode(reinterpret_cast<const uint8_t*>(s.data()), s.size(), f);
}

TEST(SfaLayout, BytesAreLeastSignificantFirstWhateverTheMachine) {
  std::string img = flowfix::image(
      {segment("main", 7, {line(10, 0x01020304, 0xA0B0C0D0), line(-2, 0, 1)}), segment("SUB CALC", 0, {})});
  std::string expect;
  expect += std::string("SFA v2\0\0", 8);
  expect += "\xD2\x04";  // 1234
  // main: count 2, loads 7, name padded with NUL to 24 bytes
  expect += le32(2) + le32(7) + std::string("main") + std::string(20, '\0');
  expect += le32(10) + std::string("\x04\x03\x02\x01", 4) + std::string("\xD0\xC0\xB0\xA0", 4);
  expect += std::string("\xFE\xFF\xFF\xFF", 4) + le32(0) + le32(1);
  expect += le32(0) + le32(0) + std::string("SUB CALC") + std::string(16, '\0');
  EXPECT_EQ(img, expect);
  EXPECT_EQ(img.size(), 10u + 32 + 2 * 12 + 32);
}

TEST(SfaLayout, LongNamesKeepTwentyThreeCharactersAndTheirNul) {
  sfa_segment seg;
  sfa_set_name(&seg, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_STREQ(seg.name, "ABCDEFGHIJKLMNOPQRSTUVW");
  std::string img = flowfix::image({seg});
  EXPECT_EQ(img.substr(10 + 8, 24), std::string("ABCDEFGHIJKLMNOPQRSTUVW\0", 24));
}

TEST(SfaDecode, GivesBackWhatWasEncoded) {
  std::string img = flowfix::image({segment("main", 1, {line(10, 1, 100), line(20, 0xFFFFFFFF, 0xFFFFFFFF)}),
                                    segment("SUB EMPTY", 0, {}), segment("FN$ X", -3, {line(32767, 5, 6)})});
  sfa_file f;
  ASSERT_EQ(decode(img, &f), SFA_OK);
  ASSERT_EQ(f.segments.size(), 3u);
  EXPECT_STREQ(f.segments[0].name, "main");
  EXPECT_EQ(f.segments[0].loads, 1);
  ASSERT_EQ(f.segments[0].lines.size(), 2u);
  EXPECT_EQ(f.segments[0].lines[1].count, 0xFFFFFFFFu);
  EXPECT_EQ(f.segments[0].lines[1].time, 0xFFFFFFFFu);
  EXPECT_TRUE(f.segments[1].lines.empty());
  EXPECT_EQ(f.segments[2].loads, -3);
  EXPECT_EQ(f.segments[2].lines[0].lineno, 32767);
}

TEST(SfaDecode, ReadsTheTagAsTextAndANameWithoutNulWithinItsField) {
  // Bytes after the tag's NUL mean nothing; a name that fills its field is
  // taken whole and still ends.
  std::string img = std::string("SFA v2\0x", 8) + "\xD2\x04";
  img += le32(0) + le32(0) + std::string(24, 'N');
  sfa_file f;
  ASSERT_EQ(decode(img, &f), SFA_OK);
  ASSERT_EQ(f.segments.size(), 1u);
  EXPECT_EQ(std::string(f.segments[0].name), std::string(24, 'N'));
}

TEST(SfaDecode, RefusesDamagedFiles) {
  const std::string good = flowfix::image({segment("main", 0, {line(10, 1, 1), line(20, 2, 2)})});
  const std::string head = good.substr(0, 10);
  struct Case {
    const char* what;
    std::string bytes;
    int status;
  } cases[] = {
      {"empty", "", SFA_ERR_HEADER_SHORT},
      {"short header", good.substr(0, 9), SFA_ERR_HEADER_SHORT},
      {"other tag", std::string("SFA v3\0\0\xD2\x04", 10), SFA_ERR_TAG},
      {"tag without its NUL", std::string("SFA v2xy\xD2\x04", 10), SFA_ERR_TAG},
      {"old tag", std::string("SFA v1\0\0\xD2\x04", 10), SFA_ERR_BYTE_ORDER},
      {"other byte order", std::string("SFA v2\0\0\x04\xD2", 10), SFA_ERR_BYTE_ORDER},
      {"segment record cut short", head + good.substr(10, 31), SFA_ERR_SEGMENT_SHORT},
      {"last line cut short", good.substr(0, good.size() - 1), SFA_ERR_LINE_SHORT},
      {"one line missing", good.substr(0, good.size() - 12), SFA_ERR_LINE_SHORT},
      {"negative count", head + le32(0xFFFFFFFF) + good.substr(14), SFA_ERR_LINE_COUNT},
      {"most negative count", head + le32(0x80000000) + good.substr(14), SFA_ERR_LINE_COUNT},
      {"huge count", head + le32(0x7FFFFFFF) + good.substr(14), SFA_ERR_LINE_SHORT},
      {"bytes after the last segment", good + "xyz", SFA_ERR_SEGMENT_SHORT},
  };
  for (const Case& c : cases) {
    sfa_file f;
    EXPECT_EQ(decode(c.bytes, &f), c.status) << c.what;
    EXPECT_NE(std::string(sfa_message(c.status)), "unknown error");
  }
  // A header alone is a file without segments.
  sfa_file f;
  EXPECT_EQ(decode(head, &f), SFA_OK);
  EXPECT_TRUE(f.segments.empty());
}

TEST(SfaFromProgram, OneSegmentPerProgramSegmentWithItsLines) {
  ProgList prog;
  flowfix::sample_program(&prog);
  // Bit 15 of a line's number word is not part of the number.
  prog.root->code[0] |= 0x8000;
  sfa_file f;
  ASSERT_EQ(sfa_from_program(&prog, &f), SFA_OK);
  ASSERT_EQ(f.segments.size(), 3u);
  struct Expect {
    const char* name;
    std::vector<int> lines;
  } expect[] = {{"main", {10, 20, 30}}, {"SUB CALC", {100, 110, 120}}, {"SUB NOTE", {200, 210}}};
  for (size_t i = 0; i < 3; ++i) {
    const sfa_segment& seg = f.segments[i];
    EXPECT_STREQ(seg.name, expect[i].name);
    EXPECT_EQ(seg.loads, 0);
    std::vector<int> numbers;
    for (const sfa_line& l : seg.lines) {
      numbers.push_back(l.lineno);
      EXPECT_EQ(l.count, 0u);
      EXPECT_EQ(l.time, 0u);
    }
    EXPECT_EQ(numbers, expect[i].lines) << seg.name;
  }
  progseg_free_all(&prog);
}

TEST(SfaFromProgram, ASegmentWithoutCodeHasNoLines) {
  ProgList prog;
  flowfix::program_with_empty_main(&prog);
  sfa_file f;
  ASSERT_EQ(sfa_from_program(&prog, &f), SFA_OK);
  ASSERT_EQ(f.segments.size(), 2u);
  EXPECT_STREQ(f.segments[0].name, "main");
  EXPECT_TRUE(f.segments[0].lines.empty());
  EXPECT_STREQ(f.segments[1].name, "SUB ONLY");
  std::string img = flowfix::image(f.segments);
  EXPECT_EQ(img.substr(10, 4), le32(0));
  EXPECT_EQ(img.size(), 10u + 32 + 32 + 2 * 12);
  progseg_free_all(&prog);
}

}  // namespace
