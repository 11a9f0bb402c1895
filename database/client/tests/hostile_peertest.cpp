// The client library against a scripted server that lies about lengths,
// floods notices, drips its bytes or falls silent: every call ends, with its
// status, and a stream out of step is never read on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/client/client.h"
#include "database/client/mgmt.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "scriptpeer.h"
#include "testsupport.h"

namespace {

using vtest::hex_frame;
using vtest::hex_text;
using vtest::hex_u16;
using vtest::hex_u32;

std::string counted(const std::string& text) {
  return hex_u16(static_cast<unsigned>(text.size() + 1)) + hex_text(text) + "00";
}

// The greeting reply of a big-endian server with the given capabilities.
std::string greeting_reply(uint32_t capabilities) {
  return hex_frame(hex_u16(0) + hex_u16(0) + hex_u16(1) + hex_u16(4321) + counted("UNIX") + counted("ISO8859/1") +
                   hex_u32(capabilities) + hex_u32(0) + hex_u32(0) + counted("tea"));
}

constexpr uint32_t kManagement = 0x20;
constexpr uint32_t kLogonAndManagement = 0x28;

std::string last_text() {
  char text[IDB_STATUS_TEXT_MAX];
  idb__last_status_text(text, sizeof text, nullptr);
  return text;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class HostileServer : public ::testing::Test {
 protected:
  void SetUp() override {
    trace_path_ = dir_.file("trace.txt");
    debug_init("*0", std::fopen(trace_path_.c_str(), "w"));
    setenv(IDB_ENV_ANSWER_TIMEOUT, "1", 1);
  }
  void TearDown() override {
    idb__exit();
    debug_set_stream(stderr);
    unsetenv(IDB_ENV_ANSWER_TIMEOUT);
  }
  std::string trace() {
    std::fflush(debug_stream());
    return vtest::read_file(trace_path_);
  }
  vtest::TempDir dir_;
  std::string trace_path_;
};

TEST_F(HostileServer, FrameShorterThanItsBodyEndsTheConnection) {
  // The reply's length word covers the status only; the text follows
  // outside the frame, where a client out of step would take it as the next
  // frame's length and wait for ever.
  vtest::ScriptPeer peer("frame\nsend " + greeting_reply(kManagement) + "\nframe\nsend " + hex_u32(8) + hex_u16(1) +
                         hex_u16(0) + hex_u32(0) + counted("ok") + "\nsilence\n");
  int id = Mgmt_open("127.0.0.1", peer.service().c_str());
  ASSERT_GT(id, 0) << last_text();
  const char* words[] = {"status"};
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_EQ(last_text(), "REMOTE: Inconsistent buffer size detected [-700:-8]");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_LT(seconds_since(start), 0.5);
  EXPECT_NE(trace().find("is no longer usable"), std::string::npos) << trace();
}

struct Stall {
  const char* name;
  uint32_t capabilities;
  bool logon;
  std::string script;  // after the greeting request was read
  bool opens;          // the attach succeeds and the management call stalls
  const char* status;
  const char* trace;
};

void PrintTo(const Stall& s, std::ostream* os) { *os << s.name; }

class StallingServer : public HostileServer, public ::testing::WithParamInterface<Stall> {};

TEST_P(StallingServer, EveryWaitEndsWithItsStatus) {
  const Stall& s = GetParam();
  vtest::ScriptPeer peer("frame\n" + s.script);
  if (s.logon) {
    ASSERT_EQ(idb_logon("alice", "secret"), 0);
  }
  auto start = std::chrono::steady_clock::now();
  int id = Mgmt_open("127.0.0.1", peer.service().c_str());
  if (s.opens) {
    ASSERT_GT(id, 0) << last_text();
    const char* words[] = {"status"};
    EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  } else {
    EXPECT_LT(id, 0);
  }
  // One second is the limit; the whole answer would take four.
  EXPECT_LT(seconds_since(start), 3.0);
  EXPECT_EQ(last_text(), s.status);
  EXPECT_NE(trace().find(s.trace), std::string::npos) << trace();
}

std::string dripped_greeting() { return "drip 100 " + greeting_reply(kManagement) + "\n"; }

INSTANTIATE_TEST_SUITE_P(
    Peers, StallingServer,
    ::testing::Values(
        Stall{"DrippedGreeting", kManagement, false, dripped_greeting(), false,
              "REMOTE: Unable to connect server [-700:-2]", "no reply from server"},
        Stall{"SilentAfterGreeting", kLogonAndManagement, true,
              "send " + greeting_reply(kLogonAndManagement) + "\nframe\nsilence\n", false,
              "REMOTE: Unable to connect server [-700:-2]", "no reply from server"},
        Stall{"SilentInsideAReply", kManagement, false,
              "send " + greeting_reply(kManagement) + "\nframe\nsend " + hex_u32(40) + hex_u16(1) + "\nsilence\n", true,
              "REMOTE: Problem during receive [-700:-6]", "stopped inside a reply"},
        Stall{"NoticeFlood", kManagement, false,
              "send " + greeting_reply(kManagement) + "\nframe\nflood " +
                  hex_frame(hex_u16(1) + hex_u16(1) + counted("busy")) + "\n",
              true, "REMOTE: Problem during receive [-700:-6]", "server sent more than 1000 notices for one request"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
