// The link's codec alone: item encodings inside and outside a container,
// bounds-checked decoding, code-set conversion, and frames gathered from
// partial reads.
#include "workbench/server/srvcodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes payload(const SrvEncoder& e) { return Bytes(e.Payload(), e.Payload() + e.Length()); }

Bytes bytes(std::initializer_list<int> list) {
  Bytes out;
  for (int v : list) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(SrvEncoder, ItemsOutsideAndInsideAContainer) {
  struct Case {
    const char* name;
    void (*build)(SrvEncoder&);
    Bytes want;
  };
  const Case cases[] = {
      {"string alone", [](SrvEncoder& e) { e.PutString("abc"); }, bytes({0, 4, 'a', 'b', 'c', 0})},
      {"empty string", [](SrvEncoder& e) { e.PutString(""); }, bytes({0, 1, 0})},
      {"two strings in a container",
       [](SrvEncoder& e) {
         e.BeginContainer();
         e.PutString("ab");
         e.PutString("c");
         e.EndContainer();
       },
       bytes({0, 0, 0, 4, 'a', 'b', 'c', 0})},
      {"empty container",
       [](SrvEncoder& e) {
         e.BeginContainer();
         e.EndContainer();
       },
       bytes({0, 0, 0, 1, 0})},
      {"integers",
       [](SrvEncoder& e) {
         e.PutByte(0x1FF);
         e.PutShort(-2);
         e.PutLong(0x01020304);
       },
       bytes({0xFF, 0xFF, 0xFE, 1, 2, 3, 4})},
      {"counted block", [](SrvEncoder& e) { std::memcpy(e.PutBlock(2), "xy", 2); }, bytes({0, 0, 0, 3, 'x', 'y', 0})},
      {"block inside a container",
       [](SrvEncoder& e) {
         e.BeginContainer();
         std::memcpy(e.PutBlock(2), "xy", 2);
         std::memcpy(e.PutRaw(1), "z", 1);
         e.EndContainer();
       },
       bytes({0, 0, 0, 4, 'x', 'y', 'z', 0})},
      {"save request",
       [](SrvEncoder& e) {
         e.PutShort(71);
         e.PutString("a/b");
         e.PutByte(0);
         e.BeginContainer();
         std::memcpy(e.PutBlock(3), "hi\n", 3);
         e.EndContainer();
       },
       bytes({0, 71, 0, 4, 'a', '/', 'b', 0, 0, 0, 0, 0, 4, 'h', 'i', '\n', 0})},
  };
  for (const Case& c : cases) {
    SrvEncoder e;
    c.build(e);
    EXPECT_EQ(payload(e), c.want) << c.name;
    const uint8_t* frame = e.Frame();
    EXPECT_EQ(Srv_Get32(frame), c.want.size()) << c.name;
    EXPECT_EQ(e.FrameSize(), c.want.size() + 4) << c.name;
  }
}

TEST(SrvEncoder, GrowsByWholeWordsWithRoomToSpare) {
  SrvEncoder e;
  e.PutByte(1);
  EXPECT_EQ(e.CapacityWords(), 2u + 256u);
  e.PutRaw(2000);
  EXPECT_EQ(e.CapacityWords(), (4u + 1u + 2000u + 3u) / 4u + 256u);
  e.Clear();
  EXPECT_EQ(e.Length(), 0u);
}

TEST(SrvEncoder, RequestsThatCannotBeEncodedFailWithoutStopping) {
  // A string of 65,535 bytes, and a file's bytes above the frame limit, make
  // the request fail with its text; nothing aborts and later puts are safe.
  struct Case {
    const char* name;
    void (*fill)(SrvEncoder&);
    const char* text;
  } cases[] = {
      {"long string", [](SrvEncoder& e) { e.PutString(std::string(65535, 'p').c_str()); }, "65535 bytes"},
      {"big file",
       [](SrvEncoder& e) {
         e.PutString("/a/path");
         e.BeginContainer();
         std::memset(e.PutBlock(SRV_MESSAGE_MAX), 'x', SRV_MESSAGE_MAX);
         e.EndContainer();
       },
       "larger than 67108864 bytes"},
  };
  for (const Case& c : cases) {
    SrvEncoder e;
    c.fill(e);
    EXPECT_TRUE(e.Failed()) << c.name;
    EXPECT_NE(e.FailureText().find(c.text), std::string::npos) << e.FailureText();
    e.PutLong(7);
    e.Clear();
    EXPECT_FALSE(e.Failed());
    e.PutString(std::string(65534, 'p').c_str());  // the longest that fits
    EXPECT_FALSE(e.Failed()) << c.name;
  }
}

TEST(SrvEncoder, NestedContainerAndStrayEndAreFailedChecks) {
  SysAssertHandler old = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  SrvEncoder e;
  EXPECT_THROW(e.EndContainer(), SysAssertError);
  e.BeginContainer();
  EXPECT_THROW(e.BeginContainer(), SysAssertError);
  Sys_SetAssertHandler(old);
}

TEST(SrvCodec, CodeSetConversionBothWays) {
  const unsigned char* to_roman = Sys_CodepageTable(1, 0);
  ASSERT_NE(to_roman, nullptr);
  const char text[] = "caf\xE9";
  SrvEncoder e;
  e.PutString(text, true);
  e.PutStringRaw(text);
  Bytes p = payload(e);
  EXPECT_EQ(p[5], to_roman[0xE9]);
  EXPECT_NE(p[5], 0xE9);
  EXPECT_EQ(p[12], 0xE9);  // the raw copy is untouched

  SrvDecoder d(p);
  const char* s = nullptr;
  ASSERT_TRUE(d.GetString(&s, true));
  EXPECT_STREQ(s, text);
  ASSERT_TRUE(d.GetString(&s, false));
  EXPECT_STREQ(s, text);
}

TEST(SrvDecoder, ReadsEveryItemOfAReply) {
  Bytes p = bytes({0xFF, 0xFE, 0xFF, 0xFE, 0, 0, 1, 0, 7, 0, 3, 'o', 'k', 0, 0, 0, 0, 3, 'x', 'y', 0});
  SrvDecoder d(p);
  int32_t s = 0;
  uint32_t u = 0, l = 0;
  unsigned b = 0;
  const char* text = nullptr;
  const uint8_t* obj = nullptr;
  uint32_t size = 0;
  ASSERT_TRUE(d.GetShort(&s));
  EXPECT_EQ(s, -2);
  ASSERT_TRUE(d.GetUShort(&u));
  EXPECT_EQ(u, 0xFFFEu);
  ASSERT_TRUE(d.GetLong(&l));
  EXPECT_EQ(l, 256u);
  ASSERT_TRUE(d.GetByte(&b));
  EXPECT_EQ(b, 7u);
  ASSERT_TRUE(d.GetString(&text));
  EXPECT_STREQ(text, "ok");
  ASSERT_TRUE(d.GetObject(&obj, &size));
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(obj), size), "xy");
  EXPECT_EQ(d.Remaining(), 0u);
  EXPECT_FALSE(d.GetByte(&b));
  EXPECT_STREQ(d.failed_item(), "16bit Integer");
}

TEST(SrvDecoder, RefusesItemsThatLeaveThePayloadOrLackTheirNul) {
  struct Case {
    const char* name;
    Bytes data;
    bool object;
    const char* item;
  };
  const Case cases[] = {
      {"string length beyond the end", bytes({0, 5, 'a', 'b', 0}), false, "String"},
      {"string of length 0", bytes({0, 0, 'a'}), false, "String"},
      {"string without its NUL", bytes({0, 3, 'a', 'b', 'c'}), false, "String"},
      {"string cut in its length", bytes({0}), false, "String"},
      {"object of length 0", bytes({0, 0, 0, 0}), true, "Object"},
      {"object length beyond the end", bytes({0, 0, 0, 9, 'a', 0}), true, "Object"},
      {"object whose last byte is not 0", bytes({0, 0, 0, 2, 'a', 'b'}), true, "Object"},
      {"huge object length", bytes({0x7F, 0xFF, 0xFF, 0xFF, 0}), true, "Object"},
  };
  for (const Case& c : cases) {
    SrvDecoder d(c.data);
    bool ok;
    if (c.object) {
      const uint8_t* data = nullptr;
      uint32_t size = 0;
      ok = d.GetObject(&data, &size);
    } else {
      const char* text = nullptr;
      ok = d.GetString(&text);
    }
    EXPECT_FALSE(ok) << c.name;
    EXPECT_STREQ(d.failed_item(), c.item) << c.name;
    EXPECT_EQ(d.Offset(), 0u) << c.name;
  }
  EXPECT_EQ(Srv_ProtocolFailureText("String", 6),
            "Client/Server Protocol Failure:\nUnable to decode server message.\nExpected: String at offset 6\n");
}

// Feeds a frame to a reader in pieces of `step` bytes.
SrvFrameReader::Status feed(SrvFrameReader& r, const Bytes& frame, size_t step) {
  size_t at = 0;
  SrvFrameReader::Status st = SrvFrameReader::MORE;
  while (at < frame.size()) {
    size_t room = 0;
    uint8_t* where = r.Room(&room);
    size_t n = std::min({room, step, frame.size() - at});
    std::memcpy(where, frame.data() + at, n);
    at += n;
    st = r.Took(n);
    if (st != SrvFrameReader::MORE) break;
  }
  return st;
}

TEST(SrvFrameReader, GathersAMessageFromPiecesOfAnySize) {
  Bytes body(20000);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 7);
  Bytes frame(4);
  Srv_Put32(frame.data(), static_cast<uint32_t>(body.size()));
  frame.insert(frame.end(), body.begin(), body.end());
  for (size_t step : {size_t{1}, size_t{3}, size_t{8192}, size_t{100000}}) {
    SrvFrameReader r;
    EXPECT_EQ(feed(r, frame, step), SrvFrameReader::DONE) << step;
    EXPECT_TRUE(r.Done());
    EXPECT_EQ(r.Take(), body) << step;
  }
  // Every room handed out is at most one chunk.
  SrvFrameReader r;
  size_t room = 0;
  r.Room(&room);
  EXPECT_EQ(room, 4u);
  r.Took(4 - 0);  // length 0? no: header still zero -> an empty message
  EXPECT_TRUE(r.Done());
}

TEST(SrvFrameReader, RefusesALengthAboveItsLimitBeforeAllocating) {
  struct Case {
    uint32_t limit;
    uint32_t length;
    SrvFrameReader::Status want;
  };
  const Case cases[] = {
      {SRV_STARTUP_MAX, 513, SrvFrameReader::TOO_LARGE},
      {SRV_STARTUP_MAX, 512, SrvFrameReader::MORE},
      {SRV_MESSAGE_MAX, 0x7FFFFFFF, SrvFrameReader::TOO_LARGE},
      {SRV_MESSAGE_MAX, SRV_MESSAGE_MAX + 1, SrvFrameReader::TOO_LARGE},
  };
  for (const Case& c : cases) {
    SrvFrameReader r(c.limit);
    Bytes head(4);
    Srv_Put32(head.data(), c.length);
    EXPECT_EQ(feed(r, head, 4), c.want) << c.length;
    EXPECT_EQ(r.Length(), c.length);
    EXPECT_FALSE(r.Done());
  }
}

TEST(SrvFrameReader, DiscardModeThrowsThePayloadAway) {
  Bytes frame = bytes({0, 0, 0x30, 0});  // 12 KiB
  frame.resize(4 + 0x3000, 'q');
  SrvFrameReader r(SRV_MESSAGE_MAX, true);
  EXPECT_EQ(feed(r, frame, 5000), SrvFrameReader::DONE);
  EXPECT_EQ(r.Received(), 0x3000u);
  EXPECT_TRUE(r.Take().empty());
}

}  // namespace
