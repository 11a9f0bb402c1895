// Catalog replies that do not add up, from a scripted peer: each one fails
// its call with the status the failure table gives, and nothing is returned.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "scriptpeer.h"
#include "testsupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Little-endian payload builder (the peer announces byte order 1234).
struct Out {
  Bytes b;
  Out& u8(unsigned v) {
    b.push_back(static_cast<unsigned char>(v));
    return *this;
  }
  Out& u16(unsigned v) { return u8(v & 0xff).u8(v >> 8 & 0xff); }
  Out& u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
  Out& str(const std::string& s) {
    u16(static_cast<unsigned>(s.size() + 1));
    for (char c : s) u8(static_cast<unsigned char>(c));
    return u8(0);
  }
  Out& pad(size_t n) {
    b.insert(b.end(), n, 0);
    return *this;
  }
};

std::string hex(const Bytes& bytes) { return vtest::hex_text(std::string(bytes.begin(), bytes.end())); }

std::string big_str(const std::string& s) {
  return vtest::hex_u16(static_cast<unsigned>(s.size() + 1)) + vtest::hex_text(s) + "00";
}

// Greets one client (catalog capability only, so no logon follows) and
// answers its requests, the first with id 1, with the given reply payloads
// after the reply header; then plays `tail` (scriptpeer commands).
class ScriptedPeer : public vtest::ScriptPeer {
 public:
  explicit ScriptedPeer(const std::vector<Bytes>& replies, const std::string& tail = "")
      : vtest::ScriptPeer(script(replies) + tail) {}

 private:
  static std::string script(const std::vector<Bytes>& replies) {
    // reply header, revision 1, byte order 1234, platform, code set,
    // capabilities 0x04, buffer sizes, challenge
    std::string greeting = "00000000" + vtest::hex_u16(1) + vtest::hex_u16(1234) + big_str("PEER") +
                           big_str("ISO8859/1") + vtest::hex_u32(4) + vtest::hex_u32(0x8000) + vtest::hex_u32(0) +
                           big_str("c");
    std::string text = "frame\nsend " + vtest::hex_frame(greeting) + "\n";
    unsigned id = 1;
    for (const Bytes& r : replies)
      text += "frame\nsend " + vtest::hex_frame(vtest::hex_u16(id++, false) + "0000" + hex(r)) + "\n";
    return text;
  }
};

// A user reply up to its object, which the case completes.
Out user_head() {
  Out o;
  o.u32(0).u32(1).str("al");  // status 0, uid 1, name at offset 8..12, ends at 17
  return o.pad(3);            // align 4 (offset 20)
}

Out collate_head(uint32_t type) {
  Out o;
  o.u32(0).u32(1).str("c").u32(type).u32(0).u32(0);  // ends at offset 4+4+4+4+4+4+4 = 28
  return o;
}

Out resultset(uint32_t columns, uint32_t rows, uint32_t names) {
  Out o;
  o.u32(0).u16(1).str("T").u32(0).u32(columns).u32(rows).u32(names);
  return o;
}

struct Case {
  const char* name;
  Bytes reply;
  std::function<bool(int server)> call;  // true when the call failed as it should
  int code;
  int secondary;
};

SysCatColDesc kCols[2] = {{"a", SysCol_INT16, 0, 2}, {"b", SysCol_INTEGER, 0, 4}};

bool fetch_fails(int server) {
  SysCatResultSet rs = {"T", 0, 2, 1, kCols, server, 1};
  SysCatRow* row = SysCat_fetch(&rs);
  std::free(row);
  return row == nullptr;
}

std::vector<Case> cases() {
  auto get_user = [](int s) {
    SysCatUser* u = SysCat_get_user_by_id(s, 1);
    std::free(u);
    return u == nullptr;
  };
  auto get_collate = [](int s) {
    SysCatCollate* c = SysCat_get_collate_by_id(s, 1);
    std::free(c);
    return c == nullptr;
  };
  auto select = [](int s) {
    SysCatResultSet* rs = SysCat_select(s, 0, 30, 0);
    std::free(rs);
    return rs == nullptr;
  };
  return {
      {"password object of 3 bytes", user_head().u32(3).pad(3).u32(4).b, get_user, S_REMOTE, REMOTE_CODEC},
      {"password length beyond its object", user_head().u32(8).u32(16).pad(4).u32(4).b, get_user, S_REMOTE,
       REMOTE_CODEC},
      {"user reply cut short", user_head().u32(20).u32(16).b, get_user, S_REMOTE, REMOTE_CODEC},
      {"collating map object of 2 bytes", collate_head(0).pad(4).u32(2).pad(2).b, get_collate, S_BAD, 0},
      {"collating map length beyond its object", collate_head(0).pad(4).u32(6).u32(300).pad(2).b, get_collate, S_REMOTE,
       REMOTE_CODEC},
      {"collating sequence of type 1", collate_head(1).b, get_collate, S_BAD, 0},
      {"more columns than the reply holds", resultset(100000, 0, 2).str("a").u8(7).u32(0).u32(4).b, select, S_REMOTE,
       REMOTE_CODEC},
      {"name total beyond the reply", resultset(1, 0, 5000).str("a").u8(7).u32(0).u32(4).b, select, S_REMOTE,
       REMOTE_CODEC},
      {"names longer than announced", resultset(1, 0, 2).str("abcdef").u8(7).u32(0).u32(4).b, select, S_REMOTE,
       REMOTE_CODEC},
      {"row with another column count", Out().u32(0).u32(3).u32(6).u8(1).u8(1).u8(1).b, fetch_fails, S_REMOTE,
       REMOTE_CODEC},
      {"row value total beyond the reply", Out().u32(0).u32(2).u32(900).u8(1).u8(1).b, fetch_fails, S_REMOTE,
       REMOTE_CODEC},
      {"16-bit value of 4 bytes", Out().u32(0).u32(2).u32(8).u8(0).u32(4).u32(1).u8(0).u32(4).u32(1).b, fetch_fails,
       S_REMOTE, REMOTE_CODEC},
      {"32-bit value of 2 bytes", Out().u32(0).u32(2).u32(4).u8(0).u32(2).u16(1).u8(0).u32(2).u16(1).b, fetch_fails,
       S_REMOTE, REMOTE_CODEC},
      {"value object beyond the reply", Out().u32(0).u32(2).u32(2).u8(0).u32(2).u16(1).u8(0).u32(400).u32(1).b,
       fetch_fails, S_REMOTE, REMOTE_CODEC},
      {"database handle 0", Out().u32(0).u16(0).b, [](int s) { return SysCat_open_db_by_name(s, "D", 0, 0) == -1; },
       S_REMOTE, REMOTE_CODEC},
      {"catalog status without its message", Out().u32(0x801).b, get_user, S_SYSCAT, 0x801},
      {"add reply without its id", Out().u32(0).b,
       [](int s) {
         SysCatGroup g = {0, "g", 0};
         return SysCat_add_group(s, 1, &g) == -1 && g.gid == 0;
       },
       S_REMOTE, REMOTE_CODEC},
  };
}

TEST(CatalogDecode, EveryReplyThatDoesNotAddUpFailsItsCall) {
  vtest::TempDir dir;
  std::string trace_path = dir.file("trace.txt");
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    debug_init("*0", std::fopen(trace_path.c_str(), "w"));
    ScriptedPeer peer({c.reply});
    int server = SysCat_open("127.0.0.1", peer.service().c_str());
    ASSERT_GT(server, 0);
    EXPECT_TRUE(c.call(server));
    EXPECT_EQ(c.code, idb__last_status().code);
    EXPECT_EQ(c.secondary, idb__last_status().secondary);
    idb__exit();
    debug_set_stream(stderr);
  }
}

TEST(CatalogDecode, ClosingAfterAFailedFetchFreesTheResultSet) {
  // The row does not decode and the server goes: the close cannot reach
  // it, yet the result set is freed (the leak check of the sanitizer build
  // sees it).
  ScriptedPeer peer({resultset(1, 0, 2).str("a").u8(7).u32(0).u32(4).b, Out().u32(0).u32(3).u32(6).u8(1).b}, "close\n");
  debug_set_stream(std::tmpfile());
  int server = SysCat_open("127.0.0.1", peer.service().c_str());
  ASSERT_GT(server, 0);
  SysCatResultSet* rs = SysCat_select(server, 0, 30, 0);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(SysCat_fetch(rs), nullptr);
  EXPECT_EQ(SysCat_close_query(rs), -1);
  idb__exit();
  debug_set_stream(stderr);
}

TEST(CatalogDecode, GoodRowPlacesValuesOnTheirBoundaries) {
  // A 16-bit and a 32-bit value after a text of one byte.
  SysCatColDesc cols[3] = {{"t", SysCol_VARCHAR, 0, 8}, {"a", SysCol_INT16, 0, 2}, {"b", SysCol_INTEGER, 0, 4}};
  ScriptedPeer peer(
      {Out().u32(0).u32(3).u32(7).u8(0).u32(1).u8('x').u8(0).u32(2).u16(0xfffe).u8(0).u32(4).u32(70000).b});
  int server = SysCat_open("127.0.0.1", peer.service().c_str());
  ASSERT_GT(server, 0);
  SysCatResultSet rs = {"T", 0, 3, 1, cols, server, 1};
  SysCatRow* row = SysCat_fetch(&rs);
  ASSERT_NE(nullptr, row);
  EXPECT_EQ(1u, row->values[0].length);
  EXPECT_EQ('x', row->values[0].value[0]);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(row->values[1].value) % 2);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(row->values[2].value) % 4);
  int16_t a = 0;
  int32_t b = 0;
  std::memcpy(&a, row->values[1].value, 2);
  std::memcpy(&b, row->values[2].value, 4);
  EXPECT_EQ(-2, a);
  EXPECT_EQ(70000, b);
  std::free(row);
  idb__exit();
}

}  // namespace
