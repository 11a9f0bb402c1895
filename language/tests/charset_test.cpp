// Character sets: both conversion tables, their round trips and the
// argument checks of the in-place conversion.
#include "language/charset.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

namespace {

// ISO 8859-1 code of every Roman-8 code A0..FF, one row of 16 per high digit.
const char* const kRoman8Rows[6] = {
    "20 C0 C2 C8 CA CB CE CF 27 60 88 A8 98 D9 DB A3",  // A0
    "AF DD FD B0 C7 E7 D1 F1 A1 BF A4 A3 A5 A7 83 A2",  // B0
    "E2 EA F4 FB E1 E9 F3 FA E0 E8 F2 F9 E4 EB F6 FC",  // C0
    "C5 EE D8 C6 E5 ED F8 E6 C4 EC D6 DC C9 EF DF D4",  // D0
    "C1 C3 E3 D0 F0 CD CC D3 D2 D5 F5 8A 9A DA 9F FF",  // E0
    "DE FE B7 B5 B6 BE 2D BC BD AA BA AB 20 BB B1 20",  // F0
};

int expected_forward(int r) {
  if (r < 0xA0) return r;
  const char* row = kRoman8Rows[(r - 0xA0) / 16];
  return std::stoi(std::string(row + 3 * (r % 16), 2), nullptr, 16);
}

std::vector<uint8_t> all_bytes() {
  std::vector<uint8_t> v(256);
  for (int i = 0; i < 256; ++i) v[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  return v;
}

TEST(Charset, Roman8ToIsoTable) {
  auto bytes = all_bytes();
  ASSERT_EQ(yq__charset_map(CHARSET_ROMAN8, CHARSET_ISO8859_1, bytes.data(), bytes.size()), 0);
  for (int r = 0; r < 256; ++r) EXPECT_EQ(bytes[static_cast<size_t>(r)], expected_forward(r)) << std::hex << r;
  EXPECT_EQ(charset_table(0, 1)[0xA8], 0x27);
  EXPECT_EQ(charset_table(0, 1)[0xA9], 0x60);
  EXPECT_EQ(charset_table(0, 1)[0xF6], 0x2D);
}

TEST(Charset, IsoToRoman8Table) {
  auto bytes = all_bytes();
  ASSERT_EQ(yq__charset_map(CHARSET_ISO8859_1, CHARSET_ROMAN8, bytes.data(), bytes.size()), 0);
  // Codes below 80 never change.
  for (int i = 0; i < 0x80; ++i) EXPECT_EQ(bytes[static_cast<size_t>(i)], i) << std::hex << i;
  // 80..9F stay, except six that Roman-8 has in its upper half.
  const std::pair<int, int> moved[] = {{0x83, 0xBE}, {0x88, 0xAA}, {0x8A, 0xEB},
                                       {0x98, 0xAC}, {0x9A, 0xEC}, {0x9F, 0xEE}};
  for (int i = 0x80; i < 0xA0; ++i) {
    int want = i;
    for (auto [iso, r] : moved)
      if (iso == i) want = r;
    EXPECT_EQ(bytes[static_cast<size_t>(i)], want) << std::hex << i;
  }
  // ISO codes no Roman-8 code maps to become a space.
  const std::set<int> unmapped = {0xA0, 0xA6, 0xA9, 0xAC, 0xAD, 0xAE, 0xB2, 0xB3, 0xB4, 0xB8, 0xB9, 0xD7, 0xF7};
  for (int i : unmapped) EXPECT_EQ(bytes[static_cast<size_t>(i)], 0x20) << std::hex << i;
  // Every other upper ISO code goes back to the Roman-8 code it came from;
  // A3 has two sources and goes back to the later one, BB.
  EXPECT_EQ(bytes[0xA3], 0xBB);
  for (int i = 0xA0; i < 0x100; ++i) {
    if (unmapped.count(i)) continue;
    int r = bytes[static_cast<size_t>(i)];
    EXPECT_GE(r, 0xA0) << std::hex << i;
    EXPECT_EQ(expected_forward(r), i) << std::hex << i;
  }
}

TEST(Charset, RoundTrips) {
  // Roman-8 -> ISO -> Roman-8 keeps every code except those sent to a plain
  // ASCII character (A0, A8, A9, F6, FC, FF), AF, which shares ISO A3, and
  // the six control codes whose ISO twins stand for Roman-8 letters.
  auto bytes = all_bytes();
  ASSERT_EQ(yq__charset_map(0, 1, bytes.data(), bytes.size()), 0);
  ASSERT_EQ(yq__charset_map(1, 0, bytes.data(), bytes.size()), 0);
  const std::set<int> lost = {0xA0, 0xA8, 0xA9, 0xF6, 0xFC, 0xFF};
  const std::pair<int, int> controls[] = {{0x83, 0xBE}, {0x88, 0xAA}, {0x8A, 0xEB},
                                          {0x98, 0xAC}, {0x9A, 0xEC}, {0x9F, 0xEE}};
  for (int r = 0; r < 256; ++r) {
    int want = r;
    for (auto [c, becomes] : controls)
      if (c == r) want = becomes;
    if (r == 0xAF)
      want = 0xBB;
    else if (lost.count(r))
      want = expected_forward(r);
    EXPECT_EQ(bytes[static_cast<size_t>(r)], want) << std::hex << r;
  }
  // ISO -> Roman-8 -> ISO keeps every code that has a Roman-8 counterpart.
  bytes = all_bytes();
  ASSERT_EQ(yq__charset_map(1, 0, bytes.data(), bytes.size()), 0);
  ASSERT_EQ(yq__charset_map(0, 1, bytes.data(), bytes.size()), 0);
  const uint8_t* reverse = charset_table(1, 0);
  for (int i = 0; i < 256; ++i) {
    bool kept = i < 0x80 || reverse[i] != 0x20;
    if (kept)
      EXPECT_EQ(bytes[static_cast<size_t>(i)], i) << std::hex << i;
    else
      EXPECT_EQ(bytes[static_cast<size_t>(i)], 0x20) << std::hex << i;
  }
}

TEST(Charset, TextConvertsInPlace) {
  std::string text =
      "Gr\xFC\xDF"
      "e, caf\xE9!";  // ISO 8859-1
  ASSERT_EQ(yq__charset_map(1, 0, text.data(), text.size()), 0);
  EXPECT_EQ(text,
            "Gr\xCF\xDE"
            "e, caf\xC5!");
  ASSERT_EQ(yq__charset_map(0, 1, text.data(), text.size()), 0);
  EXPECT_EQ(text,
            "Gr\xFC\xDF"
            "e, caf\xE9!");
  // Only the given length is touched.
  ASSERT_EQ(yq__charset_map(1, 0, text.data(), 3), 0);
  EXPECT_EQ(text,
            "Gr\xCF\xDF"
            "e, caf\xE9!");
}

TEST(Charset, PairsOtherThanTheTwoSets) {
  const std::string original = "\xA3\xAF\x83 x";
  struct Row {
    int from, to, result;
  } rows[] = {
      {0, 2, -1}, {2, 0, -1}, {1, 2, -1}, {-1, 0, -1}, {0, -1, -1}, {0, 0, 0}, {1, 1, 0}, {-1, -1, 0}, {2, 2, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.from) + " to " + std::to_string(r.to));
    std::string text = original;
    errno = 0;
    EXPECT_EQ(yq__charset_map(r.from, r.to, text.data(), text.size()), r.result);
    EXPECT_EQ(errno, r.result == -1 ? EINVAL : 0);
    EXPECT_EQ(text, original);
    EXPECT_EQ(charset_table(r.from, r.to), nullptr);
  }
  EXPECT_EQ(EINVAL, 22);
}

TEST(Charset, InitIsRepeatable) {
  charset_init();
  charset_ensure();
  charset_init();
  EXPECT_EQ(charset_table(0, 1)[0xAF], 0xA3);
  EXPECT_EQ(charset_table(1, 0)[0xA3], 0xBB);
}

}  // namespace
