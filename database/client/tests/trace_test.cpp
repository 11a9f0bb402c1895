// Trace flags, line format and hex dumps; the socket layer's error texts and
// the connect arguments refused before any socket exists.
#include "database/client/trace.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "database/client/tcp.h"
#include "testsupport.h"

namespace {

class TraceFixture : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.file("trace"); }
  void TearDown() override { debug_set_stream(stderr); }
  void open(const char* flags) { debug_init(flags, std::fopen(path_.c_str(), "w")); }
  std::string text() {
    std::fflush(debug_stream());
    return vtest::read_file(path_);
  }
  vtest::TempDir dir_;
  std::string path_;
};

TEST_F(TraceFixture, FlagsSetLevelsPerLetter) {
  struct Probe {
    int letter, level, enabled;
  };
  struct Case {
    const char* flags;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"P", {{'P', 1, 1}, {'P', 2, 0}, {'X', 0, 1}, {'X', 1, 0}}},
      {"*3P0", {{'P', 0, 1}, {'P', 1, 0}, {'A', 3, 1}, {'Z', 3, 1}, {'Z', 4, 0}}},
      {"P2X3", {{'P', 2, 1}, {'X', 3, 1}, {'X', 4, 0}, {'I', 1, 0}}},
      {"*2I0", {{'I', 1, 0}, {'P', 2, 1}}},
      {"*0", {{'p', 0, 0}, {'@', 0, 0}, {'[', 0, 0}, {'A', 0, 1}}},
      {"p5 9X12", {{'P', 1, 0}, {'X', 12, 1}, {'X', 13, 0}}},
  };
  for (const Case& c : cases) {
    debug_parse_flags(c.flags);
    for (const Probe& p : c.probes)
      EXPECT_EQ(debug_enabled(p.letter, p.level), p.enabled) << c.flags << " " << char(p.letter) << p.level;
  }
}

TEST_F(TraceFixture, LinesCarryPidLetterAndLevel) {
  open("P1");
  std::string header = text();
  EXPECT_EQ(header.rfind("\n** ", 0), 0u);
  EXPECT_NE(header.find("   Flags = [P1]\n\n"), std::string::npos);
  debug_printf('P', 1, "value %d", 42);
  debug_printf('P', 2, "hidden");
  debug_printf('P', 0, "\n-----");
  char pid[16];
  std::snprintf(pid, sizeof pid, "(%5d)", static_cast<int>(getpid()));
  EXPECT_EQ(text().substr(header.size()), std::string(pid) + " P1: value 42\n\n" + pid + " P0: -----\n");
}

TEST_F(TraceFixture, NoHeaderOnStandardErrorOrEmptyFlags) {
  open("");
  EXPECT_EQ(text(), "");
}

TEST_F(TraceFixture, OverlongLineIsCutNotOverrun) {
  open("*0");
  std::string big(10000, 'q');
  debug_printf('A', 0, "%s", big.c_str());
  std::string t = text();
  EXPECT_LT(t.size(), 4000u);
  EXPECT_NE(t.find("A0: qqqq"), std::string::npos);
}

TEST_F(TraceFixture, HexDumpSkipsTheMiddleOfLargeBuffers) {
  open("");
  std::vector<unsigned char> bytes(2000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i);
  debug_hex_dump("tcp_recv", bytes.data(), bytes.size());
  std::string t = text();
  EXPECT_NE(t.find(") tcp_recv\nbuffer contains 2000 bytes of data\n"), std::string::npos);
  EXPECT_NE(t.find("\n0f0: f0 f1"), std::string::npos);
  EXPECT_EQ(t.find("\n100:"), std::string::npos);
  EXPECT_NE(t.find("\n0f0:"), std::string::npos);
  EXPECT_NE(t.find("|\n... skipped ...\n6d0: d0 d1"), std::string::npos);
  EXPECT_EQ(t.find("\n6c0:"), std::string::npos);
  // The last line holds 0x7c0..0x7cf: 16 bytes, full.
  EXPECT_NE(t.find("\n7c0: c0 c1 c2 c3 c4 c5 c6 c7 c8 c9 ca cb cc cd ce cf |................|\n"), std::string::npos);
}

TEST_F(TraceFixture, HexDumpLineShowsPrintableBytesAndPadsShortLine) {
  open("");
  const unsigned char bytes[] = {'A', 'b', 0x00, 0x7f, 0x80, ' ', '~'};
  debug_hex_dump("t", bytes, sizeof bytes);
  std::string t = text();
  // Seven bytes: nine missing ones pad each column.
  std::string line =
      "\n000: 41 62 00 7f 80 20 7e" + std::string(9 * 3, ' ') + " |Ab... ~" + std::string(9, ' ') + "|\n";
  EXPECT_NE(t.find(line), std::string::npos) << t;
}

TEST(TcpErrors, TextsByCode) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {0, "[0] No Error"},
      {10000, "[0] No Error"},
      {5, "[5] Message not found"},
      {10001, "[10001] Message not found"},
      {10061, "[10061] Connection refused"},
      {11004, "[11004] Valid name, no data record of requested type"},
      {10049, "[10049] Can't assign requested address"},
  };
  for (const Case& c : cases) EXPECT_STREQ(tcp_error_text(c.code), c.text) << c.code;
}

TEST(TcpConnect, RefusesBadArgumentsBeforeConnecting) {
  vtest::TempDir dir;
  std::string path = dir.file("trace");
  debug_init("X0", std::fopen(path.c_str(), "w"));
  EXPECT_EQ(tcp_connect("127.0.0.1", "0"), -1);
  EXPECT_EQ(tcp_connect("999.1.1.1", "8000"), -1);
  EXPECT_EQ(tcp_connect("127.0.0.1", "no-such-service-here"), -1);
  std::fflush(debug_stream());
  std::string t = vtest::read_file(path);
  debug_set_stream(stderr);
  EXPECT_NE(t.find("X0: 0: Invalid port number."), std::string::npos);
  EXPECT_NE(t.find("X0: 999.1.1.1: Invalid IP address."), std::string::npos);
  EXPECT_NE(t.find("X0: Unable to map service name no-such-service-here (tcp)"), std::string::npos);
}

}  // namespace
