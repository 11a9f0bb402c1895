// The client library against the stand-in database server: the greeting,
// logon and management call byte for byte in both byte orders and code sets,
// shared server entries, and every injected fault ending in its status.
#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/mgmt.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

// Expected wire bytes, as hex.
std::string u16(unsigned v, bool big) {
  unsigned char b[2] = {static_cast<unsigned char>(big ? v >> 8 : v), static_cast<unsigned char>(big ? v : v >> 8)};
  return refcrypto::hex(b, 2);
}
std::string raw(const std::string& s) {
  return refcrypto::hex(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}
std::string str(const std::string& s, bool big) {
  return u16(static_cast<unsigned>(s.size() + 1), big) + raw(s) + "00";
}

std::string owner() {
  struct passwd* pw = getpwuid(geteuid());
  return pw ? pw->pw_name : "";
}

std::string last_text() {
  char text[IDB_STATUS_TEXT_MAX];
  idb__last_status_text(text, sizeof text, nullptr);
  return text;
}

class ClientPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    trace_path_ = dir_.file("trace.txt");
    debug_init("*0", std::fopen(trace_path_.c_str(), "w"));
    users_ = dir_.file("users");
    vtest::write_file(users_, "# name:md5\nalice:" + refcrypto::md5_hex("secret") + "\n");
  }
  void TearDown() override {
    idb__exit();
    debug_set_stream(stderr);
  }
  std::string trace() {
    std::fflush(debug_stream());
    return vtest::read_file(trace_path_);
  }
  vtest::TempDir dir_;
  std::string trace_path_, users_;
};

struct Wire {
  const char* byte_order;
  const char* charset;
  bool big;
  std::string cafe;  // "café" as the server's code set holds it
};

class WireBytes : public ClientPeer, public ::testing::WithParamInterface<Wire> {};

TEST_P(WireBytes, GreetingLogonAndManagementCall) {
  const Wire& w = GetParam();
  StandIn server(
      {"--byte-order", w.byte_order, "--charset", w.charset, "--challenge", "tea-for-two", "--users", users_});
  ASSERT_EQ(idb_logon("alice", "secret"), 0);
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0) << last_text();
  const char* words[] = {"echo", "caf\xe9"};
  char* text = Mgmt_command(id, 2, words);
  ASSERT_NE(text, nullptr) << last_text();
  EXPECT_EQ(std::string(text), "caf\xe9\n");  // mapped back to the client's ISO 8859-1
  std::free(text);
  EXPECT_EQ(Mgmt_close(id), 0);

  std::vector<std::string> frames = server.received();
  ASSERT_EQ(frames.size(), 3u) << server.log();
  // The greeting is big-endian and unmapped whatever the server uses.
  EXPECT_EQ(frames[0],
            raw("YQ.DBSRV") + "0001" + "04d2" + str("WIN32", true) + str("ISO8859/1", true) + str(owner(), true));
  EXPECT_EQ(frames[1], u16(1, w.big) + u16(3, w.big) + u16(14, w.big) + str("alice", w.big) +
                           str(refcrypto::logon_hex("tea-for-two", "secret"), w.big));
  EXPECT_EQ(frames[2],
            u16(2, w.big) + u16(6, w.big) + u16(1, w.big) + u16(2, w.big) + str("echo", w.big) + str(w.cafe, w.big));
  EXPECT_NE(server.log().find("logon user=\"alice\" status=0"), std::string::npos);
  EXPECT_EQ(trace().find(") "), std::string::npos);  // no trace line at the default level
}

INSTANTIATE_TEST_SUITE_P(OrdersAndCodeSets, WireBytes,
                         ::testing::Values(Wire{"1234", "ISO8859/1", false, "caf\xe9"},
                                           Wire{"4321", "ISO8859/1", true, "caf\xe9"},
                                           Wire{"1234", "ROMAN8", false, "caf\xc5"},
                                           Wire{"4321", "roman8", true, "caf\xc5"}),
                         [](const auto& param_info) {
                           return std::string(param_info.param.big ? "Big" : "Little") +
                                  (param_info.param.cafe[3] == '\xe9' ? "Iso" : "Roman8");
                         });

TEST_F(ClientPeer, FirstAttachWithoutLogonSendsEmptyUserAndPassword) {
  StandIn server({"--challenge", "x"});
  StatusArray status = {};
  ServerEntry* e = idb__attach_server("127.0.0.1", server.service().c_str(), status);
  ASSERT_NE(e, nullptr) << last_text();
  std::vector<std::string> frames = server.received();
  ASSERT_EQ(frames.size(), 2u);
  // The empty password is one block: seven zero bytes and the pad count 8.
  EXPECT_EQ(frames[1],
            "0100"
            "0300"
            "0e00"
            "010000" +
                str(refcrypto::logon_hex("x", ""), false));
  EXPECT_EQ(refcrypto::logon_hex("x", "").size(), 16u);
  idb__release_server(e);
}

TEST_F(ClientPeer, EntriesAreSharedByHostIgnoringCaseAndOnlyFirstAttachLogsOn) {
  StandIn a, b;
  ASSERT_EQ(idb_logon("alice", "secret"), 0);
  StatusArray status = {};
  ServerEntry* e1 = idb__attach_server("localhost", a.service().c_str(), status);
  ServerEntry* e2 = idb__attach_server("LOCALHOST", a.service().c_str(), status);
  ServerEntry* e3 = idb__attach_server("localhost", b.service().c_str(), status);
  ASSERT_TRUE(e1 && e2 && e3) << last_text();
  EXPECT_EQ(e1, e2);
  EXPECT_EQ(e1->refcount, 2);
  EXPECT_NE(e3, e1);
  EXPECT_GT(e3->server_id, e1->server_id);
  EXPECT_NE(a.log().find("logon"), std::string::npos);
  EXPECT_EQ(b.log().find("logon"), std::string::npos);
  EXPECT_EQ(b.received().size(), 1u);  // the greeting only

  ClientContext* c = idb__get_client(0);
  idb__release_server(e1);
  EXPECT_EQ(idb__find_server(c, e1->server_id), e1);  // still held once
  idb__release_server(e2);
  idb__release_server(e3);
  EXPECT_EQ(idb__first_server(c), nullptr);
}

TEST_F(ClientPeer, RevisionWithZeroHighByteIsAccepted) {
  StandIn server({"--revision", "ff"});
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0) << last_text();
  EXPECT_EQ(idb__find_server(idb__get_client(0), id)->protocol_revision, 0xff);
}

TEST_F(ClientPeer, MaxBufferSizeDefaultsAndIsCapped) {
  struct Case {
    const char* announced;
    uint32_t kept;
  };
  for (const Case& k : {Case{"0", 1048576u}, Case{"4000", 4000u}, Case{"4000000000", IDB_MAX_BUFSZ_CAP}}) {
    StandIn server({"--max-bufsz", k.announced});
    int id = Mgmt_open("127.0.0.1", server.service().c_str());
    ASSERT_GT(id, 0) << last_text();
    EXPECT_EQ(idb__find_server(idb__get_client(0), id)->max_bufsz, k.kept) << k.announced;
    Mgmt_close(id);
  }
}

TEST_F(ClientPeer, RefusedLogonLeavesIntrinsicInStatusAndReleasesEntry) {
  StandIn server({"--users", users_});
  idb_logon("alice", "wrong");
  StatusArray status = {};
  EXPECT_EQ(idb__attach_server("127.0.0.1", server.service().c_str(), status), nullptr);
  char text[IDB_STATUS_TEXT_MAX];
  idb_status_text(status, text, nullptr);
  EXPECT_STREQ(text, "DBLOGON(0): Password does not match [-4]");
  EXPECT_EQ(idb__first_server(idb__get_client(0)), nullptr);
  // The logon stays pending: the next attach logs on again.
  idb_logon("alice", "secret");
  ServerEntry* e = idb__attach_server("127.0.0.1", server.service().c_str(), status);
  ASSERT_NE(e, nullptr) << last_text();
  idb__release_server(e);
}

struct Fault {
  const char* name;
  std::vector<std::string> options;
  const char* password;
  int open_result;  // -1 failed, 0 no capability
  const char* text;
};

class OpenFaults : public ClientPeer, public ::testing::WithParamInterface<Fault> {};

TEST_P(OpenFaults, EndInTheirStatus) {
  const Fault& f = GetParam();
  std::vector<std::string> options = f.options;
  options.push_back("--users");
  options.push_back(users_);
  StandIn server(options);
  idb_logon("alice", f.password);
  // A server that stays silent is given up after two seconds, not thirty.
  setenv(IDB_ENV_ANSWER_TIMEOUT, "2", 1);
  EXPECT_EQ(Mgmt_open("127.0.0.1", server.service().c_str()), f.open_result);
  unsetenv(IDB_ENV_ANSWER_TIMEOUT);
  EXPECT_EQ(last_text(), f.text);
  EXPECT_EQ(idb__first_server(idb__get_client(0)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    StandInFaults, OpenFaults,
    ::testing::Values(
        Fault{"GreetingTooLong", {"--fault", "greeting-too-long"}, "secret", -1, "REMOTE: Init failed [-700:-3]"},
        Fault{"RevisionHighByte", {"--fault", "bad-revision"}, "secret", -1, "REMOTE: Init failed [-700:-3]"},
        Fault{"UnknownCodeSet", {"--fault", "unknown-charset"}, "secret", -1, "REMOTE: Init failed [-700:-3]"},
        Fault{"LongChallenge", {"--challenge", std::string(65, 'c')}, "secret", -1, "REMOTE: Init failed [-700:-3]"},
        Fault{"RefusedLogon", {"--fault", "refuse-logon"}, "secret", -1, "Permission denied [-5]"},
        Fault{"WrongPassword", {}, "wrong", -1, "Password does not match [-4]"},
        Fault{"WrongReplyId", {"--fault", "wrong-reply-id"}, "secret", -1, "REMOTE: Problem during receive [-700:-6]"},
        Fault{
            "ClosedMidFrame", {"--fault", "close-mid-frame"}, "secret", -1, "REMOTE: Problem during receive [-700:-6]"},
        Fault{"SilentGreeting",
              {"--fault", "silent-greeting"},
              "secret",
              -1,
              "REMOTE: Unable to connect server [-700:-2]"},
        Fault{"LogonStalledMidFrame",
              {"--fault", "stall-mid-frame"},
              "secret",
              -1,
              "REMOTE: Unable to connect server [-700:-2]"},
        Fault{"ClosedBeforeReply",
              {"--fault", "close-on-request"},
              "secret",
              -1,
              "REMOTE: Problem during receive [-700:-6]"},
        Fault{"UnknownMessageFlag",
              {"--fault", "bad-message-flag"},
              "secret",
              -1,
              "REMOTE: Problem during receive [-700:-6]"},
        Fault{"ReplyBeyondLimit",
              {"--fault", "oversize-reply"},
              "secret",
              -1,
              "REMOTE: Problem during receive [-700:-6]"},
        Fault{"NoManagement",
              {"--capabilities", "0e"},
              "secret",
              0,
              "REMOTE: Server does not have required capabilities [-700:-10]"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(ClientPeer, GreetingReplyLimitIs256Bytes) {
  StandIn fits({"--greeting-size", "256"});
  StandIn over({"--greeting-size", "257"});
  int id = Mgmt_open("127.0.0.1", fits.service().c_str());
  EXPECT_GT(id, 0) << last_text();
  EXPECT_EQ(Mgmt_open("127.0.0.1", over.service().c_str()), -1);
  EXPECT_EQ(last_text(), "REMOTE: Init failed [-700:-3]");
  EXPECT_NE(trace().find("P0: server message size exceeds limit"), std::string::npos);
}

TEST_F(ClientPeer, ClosedConnectionTracesReceiveOnlyInsideAFrame) {
  struct Case {
    const char* fault;
    bool traced;
  };
  for (const Case& c : {Case{"close-on-request", false}, Case{"close-mid-frame", true}}) {
    SCOPED_TRACE(c.fault);
    StandIn server({"--capabilities", "20", "--fault", c.fault});
    int id = Mgmt_open("127.0.0.1", server.service().c_str());
    ASSERT_GT(id, 0);
    debug_init("P2", std::fopen(trace_path_.c_str(), "w"));
    const char* words[] = {"status"};
    EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
    EXPECT_EQ(last_text(), "REMOTE: Problem during receive [-700:-6]");
    EXPECT_EQ(trace().find("P2: tcp_recv(): failed") != std::string::npos, c.traced);
    Mgmt_close(id);
  }
}

TEST_F(ClientPeer, OpenTransactionKeepsReleasedEntryConnected) {
  StandIn server;
  StatusArray status = {};
  ServerEntry* e = idb__attach_server("127.0.0.1", server.service().c_str(), status);
  ASSERT_NE(e, nullptr);
  ClientContext* c = idb__get_client(0);
  c->tx_level = 1;
  idb__release_server(e);
  EXPECT_EQ(idb__first_server(c), e);
  EXPECT_EQ(e->refcount, 0);
  EXPECT_NE(e->socket, -1);
  idb__drop_idle_servers(c);
  EXPECT_EQ(idb__first_server(c), e);
  c->tx_level = 0;
  idb__drop_idle_servers(c);
  EXPECT_EQ(idb__first_server(c), nullptr);
}

TEST_F(ClientPeer, NoServerIsUnableToConnect) {
  int port;
  {
    StandIn gone;
    port = gone.port();
  }
  EXPECT_EQ(Mgmt_open("127.0.0.1", std::to_string(port).c_str()), -1);
  EXPECT_EQ(last_text(), "REMOTE: Unable to connect server [-700:-2]");
  EXPECT_NE(trace().find("Unable to connect remote host. [10061] [10061] Connection refused"), std::string::npos);
  EXPECT_EQ(Mgmt_open("127.0.0.1", "0"), -1);
  EXPECT_NE(trace().find("0: Invalid port number."), std::string::npos);
}

TEST_F(ClientPeer, FramingFailureBreaksConnectionForLaterCalls) {
  StandIn server({"--capabilities", "20", "--fault", "wrong-reply-id"});
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0) << last_text();
  const char* words[] = {"help"};
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_EQ(last_text(), "REMOTE: Problem during receive [-700:-6]");
  EXPECT_NE(trace().find("unexpected reply id 0 (expected 1)"), std::string::npos);
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_EQ(last_text(), "REMOTE: Problem during send [-700:-5]");
  EXPECT_EQ(server.received().size(), 2u);  // greeting and the first command only
  EXPECT_EQ(Mgmt_close(id), 0);
}

TEST_F(ClientPeer, ManagementReplies) {
  StandIn server({"--users", users_, "--fault", "message"});
  idb_logon("alice", "secret");
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0) << last_text();

  // A notice frame with flag 1 comes before each reply and is traced once.
  const char* help[] = {"help", "echo"};
  char* text = Mgmt_command(id, 2, help);
  ASSERT_NE(text, nullptr) << last_text();
  EXPECT_EQ(std::string(text), "usage: echo [word ...]\n  return the words, one per line\n");
  std::free(text);
  std::string t = trace();
  EXPECT_EQ(t.find("P0: server: stand-in notice for request 2"), t.rfind("P0: server: stand-in notice for request 2"));
  EXPECT_NE(t.find("P0: server: stand-in notice for request 2"), std::string::npos);

  // A refused command: the server's text is traced, S_MGMT carries its status.
  const char* fail[] = {"fail", "17", "no such knob"};
  EXPECT_EQ(Mgmt_command(id, 3, fail), nullptr);
  EXPECT_EQ(last_text(), "Server management failure: VOLE017 [-808:17]");
  EXPECT_NE(trace().find("P0: no such knob\n"), std::string::npos);

  // Bad arguments and ids are refused before anything is sent.
  size_t sent = server.received().size();
  EXPECT_EQ(Mgmt_command(id, 0, help), nullptr);
  EXPECT_EQ(idb__last_status().code, S_BAD);
  const char* null_word[] = {"echo", nullptr};
  EXPECT_EQ(Mgmt_command(id, 2, null_word), nullptr);
  EXPECT_EQ(Mgmt_command(id + 100, 1, help), nullptr);
  EXPECT_EQ(last_text(), "REMOTE: Unknown server identifier [-700:-9]");
  EXPECT_EQ(Mgmt_close(id + 100), -1);
  EXPECT_EQ(server.received().size(), sent);
  EXPECT_EQ(Mgmt_close(id), 0);
}

// A reply is taken with one receive of what the socket holds when it fits
// the connection's receive-ahead area; a larger one takes the rest with one
// more. Two frames that arrive together (a notice and the reply) are both
// taken from what was received, whatever the receives.
TEST_F(ClientPeer, RepliesAreTakenWithAsFewReceivesAsTheBytesAllow) {
  struct Case {
    const char* fault;
    size_t word;   // bytes of the echoed word
    int receives;  // receive calls per call, 0: not counted
  };
  const size_t inbox_word = IDB_INBOX_SIZE - 64;
  for (const Case& c : {Case{nullptr, 4, 1}, Case{nullptr, inbox_word, 1}, Case{nullptr, 3 * IDB_INBOX_SIZE, 2},
                        Case{"message", 4, 0}, Case{"message", 3 * IDB_INBOX_SIZE, 0}}) {
    SCOPED_TRACE(std::string(c.fault ? c.fault : "plain") + " " + std::to_string(c.word));
    std::vector<std::string> options = {"--capabilities", "20"};
    if (c.fault) options.insert(options.end(), {"--fault", c.fault});
    StandIn server(options);
    int id = Mgmt_open("127.0.0.1", server.service().c_str());
    ASSERT_GT(id, 0) << last_text();
    debug_init("X2", std::fopen(trace_path_.c_str(), "w"));
    for (int call = 0; call < 3; ++call) {
      std::string word(c.word, static_cast<char>('a' + call));
      const char* words[] = {"echo", word.c_str()};
      char* text = Mgmt_command(id, 2, words);
      ASSERT_NE(text, nullptr) << last_text();
      EXPECT_EQ(std::string(text), word + "\n");
      std::free(text);
    }
    std::string t = trace();
    size_t receives = 0;
    for (size_t at = 0; (at = t.find("X2: tcp_recv, expected", at)) != std::string::npos; ++at) ++receives;
    if (c.receives) {
      EXPECT_EQ(receives, static_cast<size_t>(3 * c.receives));
    }
    debug_init("*0", std::fopen(trace_path_.c_str(), "w"));
    EXPECT_EQ(Mgmt_close(id), 0);
  }
}

TEST_F(ClientPeer, ReplyStringWithoutNulIsDecodeFailure) {
  StandIn server({"--capabilities", "20", "--fault", "no-nul"});
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0);
  const char* words[] = {"status"};
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_EQ(last_text(), "REMOTE: Inconsistent buffer size detected [-700:-8]");
  EXPECT_NE(trace().find("Unable to decode message. Expected String value at offset 10"), std::string::npos);
  EXPECT_NE(trace().find("Occurred during Mgmt_command()"), std::string::npos);
  // A reply that does not decode ends the connection: the next call fails
  // at once and sends nothing.
  EXPECT_EQ(Mgmt_command(id, 1, words), nullptr);
  EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(ClientPeer, TraceNeverShowsThePassword) {
  StandIn server({"--users", users_});
  debug_parse_flags("*9");
  idb_logon("alice", "secret");
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(id, 0);
  std::string t = trace();
  EXPECT_NE(t.find("idb__logon()"), std::string::npos);
  EXPECT_NE(t.find("tcp_send"), std::string::npos);
  EXPECT_EQ(t.find("secret"), std::string::npos);
}

}  // namespace
