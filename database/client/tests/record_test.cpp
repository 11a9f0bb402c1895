// Record codecs by type letter and flags in both byte orders and code sets,
// and the lock descriptor list check with its conversions.
#include "database/client/record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/lockcheck.h"
#include "database/client/tests/bufferfixture.h"

namespace {

using RecordCodec = BufferFixture;

TEST_F(RecordCodec, ElementsByTypeAndByteOrder) {
  int16_t i = 0x0102;
  int32_t d = 0x01020304;
  float s = 1.0f;
  double l = 1.0;
  struct Case {
    int order;
    Bytes expected;
  } cases[] = {
      {BYTE_ORDER_LE,
       {0x02, 0x01, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3f, 0, 0, 0, 0, 0, 0, 0xf0, 0x3f, 'a', 0, 'x', ' '}},
      {BYTE_ORDER_BE,
       {0x01, 0x02, 0x01, 0x02, 0x03, 0x04, 0x3f, 0x80, 0x00, 0x00, 0x3f, 0xf0, 0, 0, 0, 0, 0, 0, 'a', 0, 'x', ' '}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    server(c.order);
    Buffer_ResetSend(&b);
    idb__pack_item(&b, &i, 2, 'I', 0);
    idb__pack_item(&b, &d, 4, 'D', 0);
    idb__pack_item(&b, &s, 4, 'S', 0);
    idb__pack_item(&b, &l, 8, 'L', 0);
    idb__pack_item(&b, "a\0", 2, 'B', 0);
    idb__pack_item(&b, "x ", 2, 'X', 0);
    EXPECT_EQ(payload(), c.expected);
    loop_back();
    int16_t i2 = 0;
    int32_t d2 = 0;
    float s2 = 0;
    double l2 = 0;
    char b2[2], x2[2];
    EXPECT_EQ(idb__unpack_item(&b, &i2, 2, 'I', 0), 0);
    EXPECT_EQ(idb__unpack_item(&b, &d2, 4, 'D', 0), 0);
    EXPECT_EQ(idb__unpack_item(&b, &s2, 4, 'S', 0), 0);
    EXPECT_EQ(idb__unpack_item(&b, &l2, 8, 'L', 0), 0);
    EXPECT_EQ(idb__unpack_item(&b, b2, 2, 'B', 0), 0);
    EXPECT_EQ(idb__unpack_item(&b, x2, 2, 'X', 0), 0);
    EXPECT_EQ(i2, i);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(s2, s);
    EXPECT_EQ(l2, l);
    EXPECT_EQ(std::string(b2, 2), std::string("a\0", 2));
    EXPECT_EQ(std::string(x2, 2), "x ");
    // Nothing is left to read.
    EXPECT_EQ(idb__unpack_item(&b, &i2, 2, 'I', 0), -1);
  }
}

TEST_F(RecordCodec, CharactersAreMappedBytesAreNot) {
  // Roman-8 locally, ISO 8859-1 at the server: X maps, B stays.
  server(BYTE_ORDER_LE, CP_ISO88591, CP_ROMAN8);
  const char r8[] = "\xc5";  // one Roman-8 byte above 0xA0
  idb__pack_item(&b, r8, 1, 'X', 0);
  idb__pack_item(&b, r8, 1, 'B', 0);
  Bytes sent = payload();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[0], 0xc5);
  EXPECT_EQ(sent[1], 0xc5);
  loop_back();
  char x = 0, raw = 0;
  EXPECT_EQ(idb__unpack_item(&b, &x, 1, 'X', 0), 0);
  EXPECT_EQ(idb__unpack_item(&b, &raw, 1, 'B', 0), 0);
  EXPECT_EQ(x, '\xc5');
  EXPECT_EQ(raw, '\xc5');
}

TEST_F(RecordCodec, SizeWordAndAlignment) {
  server(BYTE_ORDER_BE);
  Buffer_Put_uint8(&b, 9);  // the payload is one byte in
  int32_t d = 7;
  idb__pack_item(&b, &d, 4, 'D', IDB_PACK_SIZE | IDB_PACK_ALIGN);
  // 3 bytes to the size word's boundary, the size, a whole word of padding
  // (alignment always pads), then the value.
  Bytes expected = {9, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 7};
  EXPECT_EQ(payload(), expected);
  loop_back();
  uint8_t first = 0;
  Buffer_Get_uint8(&b, &first);
  int32_t back = 0;
  EXPECT_EQ(idb__unpack_item(&b, &back, 4, 'D', IDB_PACK_SIZE | IDB_PACK_ALIGN), 0);
  EXPECT_EQ(back, 7);

  // A size word that is not the element's size is a decode failure.
  Buffer_ResetSend(&b);
  idb__pack_item(&b, "abc", 3, 'X', IDB_PACK_SIZE);
  loop_back();
  char two[2];
  EXPECT_EQ(idb__unpack_item(&b, two, 2, 'X', IDB_PACK_SIZE), -1);
}

TEST_F(RecordCodec, Records) {
  // Two I items and one X item of 10 bytes: 14 bytes of record.
  RecordItem items[] = {{'I', 2, 1}, {'I', 2, 1}, {'X', 10, 1}};
  unsigned char rec[14];
  int16_t a = 5, c = -5;
  std::memcpy(rec, &a, 2);
  std::memcpy(rec + 2, &c, 2);
  std::memcpy(rec + 4, "hello     ", 10);
  server(BYTE_ORDER_BE);
  EXPECT_EQ(idb__pack_elements(&b, rec, items, 3), 14u);
  Bytes sent = payload();
  ASSERT_EQ(sent.size(), 18u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 8), (Bytes{0, 0, 0, 14, 0, 5, 0xff, 0xfb}));
  loop_back();
  uint32_t len = 0;
  Buffer_Get_uint32(&b, &len);
  unsigned char back[14] = {};
  EXPECT_EQ(idb__unpack_elements(&b, back, items, 3, len), 0);
  EXPECT_EQ(std::memcmp(back, rec, 14), 0);

  // A limit that ends inside the X item fills only the two integers.
  loop_back();
  Buffer_Get_uint32(&b, &len);
  unsigned char part[14];
  std::memset(part, 0xee, sizeof part);
  EXPECT_EQ(idb__unpack_elements(&b, part, items, 3, 12), 0);
  EXPECT_EQ(std::memcmp(part, rec, 4), 0);
  EXPECT_EQ(part[4], 0xee);

  // A reply shorter than the record fails.
  Buffer_ResetSend(&b);
  Buffer_Put_int16(&b, 1);
  loop_back();
  EXPECT_EQ(idb__unpack_elements(&b, back, items, 3, 14), -1);
}

TEST(CodecDeathTest, WrongSizesAndLettersAreProgrammingErrors) {
  Buffer b;
  Buffer_Init(&b);
  int32_t v = 0;
  EXPECT_DEATH(idb__pack_item(&b, &v, 2, 'D', 0), "size == sizeof\\(int32_t\\)");
  EXPECT_DEATH(idb__pack_item(&b, &v, 4, 'I', 0), "size == sizeof\\(int16_t\\)");
  EXPECT_DEATH(idb__pack_item(&b, &v, 4, 'L', 0), "size == sizeof\\(double\\)");
  EXPECT_DEATH(idb__pack_item(&b, &v, 8, 'S', 0), "size == sizeof\\(float\\)");
  EXPECT_DEATH(idb__pack_item(&b, &v, 4, 'Q', 0), "idb__pack_item: Unrecognized item type");
  EXPECT_DEATH(idb__unpack_item(&b, &v, 4, 'Q', 0), "idb__unpack_item: Unrecognized item type");
}

// Sets 1 (CUSTOMERS: items 1 NUMBER I, 2 NAME X8) and 2 (ORDERS: items 1,
// 3 TOTAL L, 4 QTY D, 5 MONTHS I with 12 elements, 6 RAW B4).
struct Layout : LockLayout {
  static bool is(const unsigned char* f, const char* name) {
    char padded[16];
    std::memset(padded, ' ', 16);
    std::memcpy(padded, name, std::strlen(name));
    return std::memcmp(f, padded, 16) == 0;
  }
  int set_count() override { return 2; }
  int set_by_name(const unsigned char* f) override { return is(f, "CUSTOMERS") ? 1 : is(f, "ORDERS") ? 2 : 0; }
  int item_count() override { return 6; }
  int item_by_name(const unsigned char* f) override {
    const char* names[] = {"NUMBER", "NAME", "TOTAL", "QTY", "MONTHS", "RAW"};
    for (int k = 0; k < 6; ++k)
      if (is(f, names[k])) return k + 1;
    return 0;
  }
  int item_type(int item) override { return "?IXLDIB"[item]; }
  int item_elements(int item) override { return item == 5 ? 12 : 1; }
  bool set_has_item(int set, int item) override { return set == 1 ? item <= 2 : item != 2; }
};

// Builds descriptors in the local byte order.
struct ListBuilder {
  Bytes bytes = Bytes(4, 0);
  static void word(Bytes& out, int32_t v) {
    unsigned char w[4];
    std::memcpy(w, &v, 4);
    out.insert(out.end(), w, w + 4);
  }
  static void field(Bytes& out, const std::string& text) {
    std::string f = text;
    f.resize(16, ' ');
    out.insert(out.end(), f.begin(), f.end());
  }
  static void field(Bytes& out, int32_t number) {
    word(out, number);
    out.insert(out.end(), 12, 0);
  }
  // A descriptor from its parts after the length word.
  ListBuilder& add(const Bytes& content) {
    Bytes d;
    word(d, static_cast<int32_t>(content.size() + 4));
    d.insert(d.end(), content.begin(), content.end());
    while (d.size() % 4) d.push_back(0);
    bytes.insert(bytes.end(), d.begin(), d.end());
    int32_t total = static_cast<int32_t>(bytes.size() - 4);
    std::memcpy(bytes.data(), &total, 4);
    return *this;
  }
};

template <typename S, typename I>
Bytes content(S set, I item, const std::string& op, const Bytes& value) {
  Bytes c;
  ListBuilder::field(c, set);
  ListBuilder::field(c, item);
  c.insert(c.end(), op.begin(), op.end());
  c.insert(c.end(), value.begin(), value.end());
  return c;
}

Bytes set_only(const std::string& set, size_t more = 0) {
  Bytes c;
  ListBuilder::field(c, set);
  c.insert(c.end(), more, ' ');
  return c;
}

int check(Bytes list, int order = BYTE_ORDER_LE) {
  Buffer b;
  Buffer_Init(&b);
  Buffer_SetRemoteByteOrder(&b, order);
  Layout layout;
  return idb__check_lock_list(list.data(), list.size(), layout, &b);
}

TEST(LockList, DescriptorChecks) {
  struct Case {
    const char* what;
    Bytes list;
    int status;
  } cases[] = {
      {"empty list", ListBuilder().bytes, 0},
      {"set only (length 20)", ListBuilder().add(set_only("ORDERS")).bytes, 0},
      {"every set", ListBuilder().add(set_only("@")).bytes, 0},
      {"set number", ListBuilder().add(content(2, 4, "= ", {1, 0, 0, 0})).bytes, 0},
      {"item '@' (length 36)", ListBuilder().add(content("@", "@", "", {})).bytes, 0},
      {"item '@' and more (length 38)", ListBuilder().add(content("@", "@", "= ", {})).bytes, -122},
      {"16-bit value", ListBuilder().add(content("ORDERS", "NUMBER", "<=", {1, 0})).bytes, 0},
      {"16-bit item, 32-bit value", ListBuilder().add(content("ORDERS", "NUMBER", "ge", {1, 0, 0, 0})).bytes, 0},
      {"16-bit item, 3 value bytes", ListBuilder().add(content("ORDERS", "NUMBER", "<=", {1, 0, 0})).bytes, -128},
      {"float of 4", ListBuilder().add(content("ORDERS", "TOTAL", "EQ", {0, 0, 0, 0})).bytes, 0},
      {"float of 5", ListBuilder().add(content("ORDERS", "TOTAL", "EQ", {0, 0, 0, 0, 0})).bytes, -128},
      {"bytes of any length", ListBuilder().add(content("ORDERS", "RAW", " =", {1, 2, 3})).bytes, 0},
      {"text", ListBuilder().add(content("@", "NAME", "LE", {'a', 'b'})).bytes, 0},
      {"short descriptor", ListBuilder().add(Bytes(10, ' ')).bytes, -124},
      {"unknown set", ListBuilder().add(set_only("NOSUCH")).bytes, -125},
      {"set number beyond count", ListBuilder().add(content(3, 1, "= ", {1, 0})).bytes, -125},
      {"set 200 is a name", ListBuilder().add(content(200, 1, "= ", {1, 0})).bytes, -125},
      {"item incomplete", ListBuilder().add(set_only("ORDERS", 8)).bytes, -122},
      {"unknown item", ListBuilder().add(content("ORDERS", "NOSUCH", "= ", {1, 0})).bytes, -126},
      {"item number beyond count", ListBuilder().add(content("ORDERS", 7, "= ", {1, 0})).bytes, -126},
      {"item not in set", ListBuilder().add(content("ORDERS", "NAME", "= ", {'a'})).bytes, -126},
      {"compound item", ListBuilder().add(content("ORDERS", "MONTHS", "= ", {1, 0})).bytes, -127},
      {"no operator", ListBuilder().add(content("ORDERS", "QTY", "", {})).bytes, -123},
      {"bad operator", ListBuilder().add(content("ORDERS", "QTY", "<>", {1, 0, 0, 0})).bytes, -123},
  };
  for (const Case& c : cases) EXPECT_EQ(check(c.list), c.status) << c.what;

  Bytes negative(4, 0xff);
  EXPECT_EQ(check(negative), -122);
  Bytes overlong = ListBuilder().add(set_only("ORDERS")).bytes;
  int32_t too_long = 40;
  std::memcpy(overlong.data() + 4, &too_long, 4);
  EXPECT_EQ(check(overlong), -122);
  // A zero length ends the walk early.
  Bytes early = ListBuilder().add(set_only("ORDERS")).bytes;
  ListBuilder::word(early, 0);
  ListBuilder::word(early, -5);
  int32_t total = static_cast<int32_t>(early.size() - 4);
  std::memcpy(early.data(), &total, 4);
  EXPECT_EQ(check(early), 0);
}

TEST(LockList, ConvertedForTheServer) {
  Bytes list = ListBuilder().add(content("ORDERS", "NUMBER", "= ", {0x01, 0x02})).bytes;
  Bytes copy = list;
  Buffer b;
  Buffer_Init(&b);
  Buffer_SetRemoteByteOrder(&b, BYTE_ORDER_BE);
  Layout layout;
  ASSERT_EQ(idb__check_lock_list(copy.data(), copy.size(), layout, &b), 0);
  // Total and length words, set 2 and item 1 in blank fields, the value
  // swapped.
  Bytes expected = {0, 0, 0, 40, 0, 0, 0, 40, 0, 0, 0, 2};
  expected.insert(expected.end(), 12, ' ');
  for (unsigned char x : Bytes{0, 0, 0, 1}) expected.push_back(x);
  expected.insert(expected.end(), 12, ' ');
  for (unsigned char x : Bytes{'=', ' ', 0x02, 0x01}) expected.push_back(x);
  EXPECT_EQ(copy, expected);

  Bytes every = ListBuilder().add(content("@", "@", "", {})).bytes;
  ASSERT_EQ(idb__check_lock_list(every.data(), every.size(), layout, &b), 0);
  EXPECT_EQ(every[8], '@');
  EXPECT_EQ(every[9], ' ');
  EXPECT_EQ(every[24], '@');
}

}  // namespace
