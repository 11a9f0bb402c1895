// The message buffer: wire forms in both byte orders, growth out of the
// preset block, sticky failure flags, checked decoding and code-set mapping.
#include "database/client/buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/tests/bufferfixture.h"
#include "database/client/trace.h"
#include "testsupport.h"

namespace {

TEST_F(BufferFixture, PutsFollowTheServerByteOrder) {
  struct Case {
    int order;
    Bytes expected;
  };
  const Case cases[] = {
      {BYTE_ORDER_LE, {0x34, 0x12,                                      // u16 0x1234
                       0x78, 0x56, 0x34, 0x12,                          // i32 0x12345678
                       0x00, 0x00, 0x80, 0x3f,                          // float 1.0
                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,  // double 1.0
                       0x01, 0x00, 0x00,                                // ""
                       0x03, 0x00, 'a',  'b',  0x00,                    // "ab"
                       'x',  'y',  0xfe}},                              // field, i8 -2
      {BYTE_ORDER_BE, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x3f, 0x80, 0x00, 0x00, 0x3f,
                       0xf0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,  // only the length swaps
                       0x00, 0x03, 'a',  'b',  0x00, 'x',  'y',  0xfe}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    Buffer_ResetSend(&b);
    server(c.order);
    Buffer_Put_uint16(&b, 0x1234);
    Buffer_Put_int32(&b, 0x12345678);
    Buffer_Put_float(&b, 1.0f);
    Buffer_Put_double(&b, 1.0);
    Buffer_Put_str(&b, "");
    Buffer_Put_str(&b, "ab");
    Buffer_Put_nzstr(&b, "xy", 2);
    Buffer_Put_int8(&b, -2);
    ASSERT_EQ(Buffer_SendFailed(&b), 0);
    EXPECT_EQ(payload(), c.expected);
  }
}

TEST_F(BufferFixture, FinishWritesNetworkOrderLength) {
  server(BYTE_ORDER_LE);
  Buffer_Put_uint32(&b, 7);
  Buffer_FinishSend(&b);
  EXPECT_EQ(Buffer_Size(&b), 8u);
  EXPECT_EQ(Bytes(Buffer_Data(&b), Buffer_Data(&b) + 8), (Bytes{0, 0, 0, 4, 7, 0, 0, 0}));
}

TEST_F(BufferFixture, PresetBlockHoldsUpToItsSizeThenGrowsWithSlack) {
  ASSERT_NE(Buffer_Extend(&b, 32764), nullptr);
  EXPECT_EQ(b.send_msg, storage);
  storage[4] = 0xab;  // first payload byte must survive the move
  ASSERT_NE(Buffer_Extend(&b, 1), nullptr);
  EXPECT_NE(b.send_msg, storage);
  EXPECT_EQ(b.send_cap_words, (32765 + 3) / 4 + 1 + 256u);
  EXPECT_EQ(b.send_msg[4], 0xab);
  // Growing again reallocates the heap block.
  ASSERT_NE(Buffer_Extend(&b, 4096), nullptr);
  EXPECT_EQ(b.send_msg[4], 0xab);
  Buffer_ResetSend(&b);
  EXPECT_EQ(b.send_msg, nullptr);
  EXPECT_EQ(b.send_len, 0u);
}

TEST_F(BufferFixture, AlignPadsOneToNBytes) {
  struct Case {
    size_t at, n, pad;
  };
  for (const Case& c : {Case{8, 4, 4}, Case{9, 4, 3}, Case{11, 4, 1}, Case{0, 8, 8}}) {
    Buffer_ResetSend(&b);
    Buffer_Extend(&b, c.at);
    Buffer_Put_align(&b, c.n);
    EXPECT_EQ(b.send_len, c.at + c.pad) << c.at << "/" << c.n;
  }
}

TEST_F(BufferFixture, FailedPutIsStickyUntilReset) {
  unsigned char small[16];
  Buffer_SetSendStorage(&b, small, sizeof small, 1);
  Buffer_Put_uint32(&b, 1);
  Buffer_Put_uint32(&b, 2);
  Buffer_Put_uint32(&b, 3);
  EXPECT_EQ(Buffer_SendFailed(&b), 0);
  Buffer_Put_uint32(&b, 4);  // 16 bytes of payload and the length word do not fit
  EXPECT_EQ(Buffer_SendFailed(&b), -1);
  size_t len = b.send_len;
  Buffer_Put_uint8(&b, 5);
  EXPECT_EQ(b.send_len, len);
  Buffer_ResetSend(&b);
  EXPECT_EQ(Buffer_SendFailed(&b), 0);
  Buffer_Put_uint8(&b, 5);
  EXPECT_EQ(b.send_len, 1u);
}

TEST_F(BufferFixture, StringTooLongForItsLengthIsRefused) {
  server(BYTE_ORDER_BE);
  std::string longest(BUFFER_MAX_STR, 'x');
  Buffer_Put_str(&b, longest.c_str());
  ASSERT_EQ(Buffer_SendFailed(&b), 0);
  EXPECT_EQ(b.send_msg[4], 0xff);
  EXPECT_EQ(b.send_msg[5], 0xff);
  std::string too_long(BUFFER_MAX_STR + 1, 'x');
  Buffer_Put_str(&b, too_long.c_str());
  EXPECT_EQ(Buffer_SendFailed(&b), -1);
}

TEST_F(BufferFixture, GetsDecodeBothByteOrders) {
  for (int order : {BYTE_ORDER_LE, BYTE_ORDER_BE}) {
    SCOPED_TRACE(order);
    server(order);
    Buffer_ResetSend(&b);
    Buffer_Put_int16(&b, -2);
    Buffer_Put_uint32(&b, 0xdeadbeef);
    Buffer_Put_double(&b, -2.5);
    Buffer_Put_float(&b, 0.25f);
    Buffer_Put_str(&b, "hello");
    Buffer_Put_obj(&b, 3)[0] = 'z';
    Bytes wire = payload();
    receive(wire);
    int16_t i16;
    uint32_t u32;
    double d;
    float f;
    const char* s;
    size_t slen;
    const unsigned char* obj;
    uint32_t osize;
    EXPECT_EQ(Buffer_Get_int16(&b, &i16), 0);
    EXPECT_EQ(Buffer_Get_uint32(&b, &u32), 0);
    EXPECT_EQ(Buffer_Get_double(&b, &d), 0);
    EXPECT_EQ(Buffer_Get_float(&b, &f), 0);
    EXPECT_EQ(Buffer_Get_counted_str_len(&b, &s, &slen), 0);
    EXPECT_EQ(Buffer_Get_obj(&b, &obj, &osize), 0);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u32, 0xdeadbeefu);
    EXPECT_EQ(d, -2.5);
    EXPECT_EQ(f, 0.25f);
    EXPECT_STREQ(s, "hello");
    EXPECT_EQ(slen, 6u);
    EXPECT_EQ(s, reinterpret_cast<const char*>(b.recv_buf) + 20);  // no copy
    EXPECT_EQ(osize, 3u);
    EXPECT_EQ(obj[0], 'z');
    EXPECT_EQ(b.recv_offset, wire.size());
  }
}

TEST_F(BufferFixture, MalformedRepliesFailOnceAndStaySticky) {
  std::string path = vtest::TempDir().path();  // removed again at once: only a unique name is needed
  path += ".trace";
  debug_init("P0", std::fopen(path.c_str(), "w"));
  server(BYTE_ORDER_LE);
  Buffer_SetOpName(&b, "idb_test()");
  struct Case {
    const char* name;
    Bytes wire;
    const char* expected;
  };
  const Case cases[] = {
      {"short integer", {0x01}, "Expected 32bit Integer at offset 0"},
      {"empty string", {0x00, 0x00}, "Expected String value at offset 2"},
      {"string without NUL", {0x02, 0x00, 'a', 'b'}, "Expected String value at offset 2"},
      {"string past the end", {0x09, 0x00, 'a', 0x00}, "Expected String value at offset 2"},
      {"object past the end", {0x05, 0x00, 0x00, 0x00, 'a'}, "Expected Object value at offset 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    receive(c.wire);
    int rc;
    if (std::string(c.name) == "short integer") {
      int32_t v = 99;
      rc = Buffer_Get_int32(&b, &v);
      EXPECT_EQ(v, 0);
    } else if (std::string(c.name) == "object past the end") {
      const unsigned char* p;
      uint32_t n = 9;
      rc = Buffer_Get_obj(&b, &p, &n);
      EXPECT_EQ(n, 0u);
    } else {
      const char* s = nullptr;
      rc = Buffer_Get_counted_str(&b, &s);
      EXPECT_STREQ(s, "");
    }
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(Buffer_DecodeFailed(&b), -1);
    uint8_t later = 7;
    EXPECT_EQ(Buffer_Get_uint8(&b, &later), -1);  // sticky, no read, no trace
    EXPECT_EQ(later, 0);
  }
  std::fflush(debug_stream());
  std::string trace = vtest::read_file(path);
  debug_set_stream(stderr);
  std::remove(path.c_str());
  for (const Case& c : cases)
    EXPECT_NE(trace.find(std::string("Unable to decode message. ") + c.expected), std::string::npos);
  size_t lines = 0;
  for (size_t at = 0; (at = trace.find("Unable to decode", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 5u);
  EXPECT_NE(trace.find("P0: Occurred during idb_test()"), std::string::npos);
}

TEST_F(BufferFixture, ObjectsOfSizeZeroAndAlignment) {
  server(BYTE_ORDER_LE);
  receive({0, 0, 0, 0, 1, 2, 3});
  const unsigned char* p = nullptr;
  uint32_t n = 9;
  EXPECT_EQ(Buffer_Get_obj(&b, &p, &n), 0);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(p, b.recv_buf + 4);
  EXPECT_EQ(Buffer_Get_align(&b, 4), -1);  // 4 more bytes are not there
  receive({0, 0, 0, 0, 1, 2, 3, 4});
  Buffer_Get_obj(&b, &p, &n);
  EXPECT_EQ(Buffer_Get_align(&b, 4), 0);
  EXPECT_EQ(b.recv_offset, 8u);
}

TEST_F(BufferFixture, StringsAreMappedBetweenCodeSets) {
  // ISO 8859-1 client, Roman-8 server: é is E9 here and C5 there.
  server(BYTE_ORDER_LE, 0, 1);
  Buffer_Put_str(&b, "caf\xe9");
  Buffer_Put_nzstr(&b, "\xe9z", 2);
  Bytes p = payload();
  EXPECT_EQ(p, (Bytes{5, 0, 'c', 'a', 'f', 0xc5, 0, 0xc5, 'z'}));
  receive({5, 0, 'c', 'a', 'f', 0xc5, 0, 0xc5, 0x9f, 'z'});
  const char* s;
  const char* field;
  ASSERT_EQ(Buffer_Get_counted_str(&b, &s), 0);
  ASSERT_EQ(Buffer_Get_nzstr(&b, 3, &field), 0);
  EXPECT_STREQ(s, "caf\xe9");
  EXPECT_EQ(std::string(field, 3),
            "\xe9\x9f"
            "z");  // below A0 unchanged

  // An id the tables do not know fails the put and the get.
  server(BYTE_ORDER_LE, 5, 1);
  Buffer_ResetSend(&b);
  Buffer_Put_str(&b, "x");
  EXPECT_EQ(Buffer_SendFailed(&b), -1);
  receive({2, 0, 'x', 0});
  EXPECT_EQ(Buffer_Get_counted_str(&b, &s), -1);
  unsigned char bytes[] = {0xe9};
  EXPECT_EQ(Buffer_MapLocalCharset(&b, bytes, 1), -1);
  server(BYTE_ORDER_LE, -1, -1);
  EXPECT_EQ(Buffer_MapLocalCharset(&b, bytes, 1), 0);
  EXPECT_EQ(bytes[0], 0xe9);
}

TEST_F(BufferFixture, ReceiveStorageIsPresetOrAllocated) {
  ASSERT_EQ(Buffer_AllocRecv(&b, 32768), 0);
  EXPECT_EQ(b.recv_buf, rstorage);
  Buffer_ResetRecv(&b);
  ASSERT_EQ(Buffer_AllocRecv(&b, 32769), 0);
  EXPECT_NE(b.recv_buf, rstorage);
  Buffer_ResetRecv(&b);
  Buffer_SetRecvStorage(&b, rstorage, sizeof rstorage, 1);
  EXPECT_EQ(Buffer_AllocRecv(&b, 32769), -1);
  EXPECT_EQ(b.recv_buf, nullptr);
}

}  // namespace
