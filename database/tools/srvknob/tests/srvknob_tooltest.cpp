// srvknob against the stand-in database server: the server's text on
// standard output, the status text and exit code 1 on failures, and the
// usage errors that end with 2.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/mgmt.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

class Srvknob : public ::testing::Test {
 protected:
  void SetUp() override {
    users_ = dir_.file("users");
    vtest::write_file(users_, "alice:" + refcrypto::md5_hex("secret") + "\n");
  }
  vtest::RunResult run(const std::vector<std::string>& args, vtest::RunOptions options = {}) {
    options.timeout_seconds = 20;
    return vtest::run("srvknob", args, options);
  }
  vtest::TempDir dir_;
  std::string users_;
};

// The stand-in's own help text, fetched through the client library.
std::string server_help(const StandIn& server) {
  idb_logon("alice", "secret");
  int id = Mgmt_open("127.0.0.1", server.service().c_str());
  const char* words[] = {"help"};
  char* text = id > 0 ? Mgmt_command(id, 1, words) : nullptr;
  std::string help = text ? text : "";
  std::free(text);
  idb__exit();
  return help;
}

TEST_F(Srvknob, HelpPrintsTheServersTextExactly) {
  StandIn server({"--users", users_});
  std::string help = server_help(server);
  ASSERT_NE(help, "");
  vtest::RunResult r = run({"-s", server.service(), "-u", "alice", "-p", "secret", "help"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, help);
  EXPECT_EQ(r.err.rfind("\nQ7702K SRVKNOB ", 0), 0u) << r.err;
}

TEST_F(Srvknob, OutputThatCannotBeWrittenIsAFailure) {
  StandIn server;
  for (const char* args : {"-h 127.0.0.1 -s \"$1\" echo word", "-version"}) {
    SCOPED_TRACE(args);
    std::string script = std::string("\"$0\" ") + args + " >/dev/full";
    vtest::RunResult r = vtest::run("/bin/sh", {"-c", script, vtest::tool_path("srvknob"), server.service()});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("srvknob: Write error on standard output: No space left on device"), std::string::npos)
        << r.err;
  }
}

TEST_F(Srvknob, WordsGoToTheServerAsTheyStand) {
  StandIn server;
  vtest::RunResult r = run({"-h", "127.0.0.1", "-s", server.service(), "--", "echo", "-x", "two words", ""});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "-x\ntwo words\n\n");
}

TEST_F(Srvknob, FailuresPrintStatusAndEndWithOne) {
  StandIn server({"--users", users_});
  StandIn plain({"--capabilities", "0e"});
  int closed_port;
  {
    StandIn gone;
    closed_port = gone.port();
  }
  struct Case {
    std::string name;
    std::vector<std::string> args;
    std::string first, second;
  };
  const std::string svc = server.service();
  const Case cases[] = {
      {"wrong password",
       {"-s", svc, "-u", "alice", "-p", "nope", "help"},
       "srvknob: Unable to connect server localhost:" + svc + "\n",
       "srvknob: Password does not match [-4]\n"},
      {"unknown user",
       {"-s", svc, "-u", "bob", "-p", "secret", "help"},
       "srvknob: Unable to connect server localhost:" + svc + "\n",
       "srvknob: User name not recognized [-3]\n"},
      {"no server",
       {"-s", std::to_string(closed_port), "help"},
       "srvknob: Unable to connect server localhost:" + std::to_string(closed_port) + "\n",
       "srvknob: REMOTE: Unable to connect server [-700:-2]\n"},
      {"no management",
       {"-s", plain.service(), "help"},
       "srvknob: Sorry - server localhost:" + plain.service() + " has insufficient capabilities\n",
       "srvknob: REMOTE: Server does not have required capabilities [-700:-10]\n"},
      {"refused command",
       {"-s", svc, "-u", "alice", "-p", "secret", "fail", "7", "knob is stuck"},
       "P0: knob is stuck\n",
       "srvknob: Server management failure: VOLE007 [-808:7]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::RunResult r = run(c.args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    size_t first = r.err.find(c.first);
    EXPECT_NE(first, std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.second, first), std::string::npos) << r.err;
  }
}

// A server that takes the connection and then says nothing, or stops inside
// the logon's reply, is a server that cannot be reached: the greeting and the
// logon wait only their time-out (one second here).
TEST_F(Srvknob, SilentServerEndsInTheConnectionFailure) {
  for (const char* fault : {"silent-greeting", "stall-mid-frame"}) {
    SCOPED_TRACE(fault);
    StandIn server({"--fault", fault});
    vtest::RunOptions options;
    options.env["VARNICA_DB_ANSWER_TIMEOUT"] = "1";
    vtest::RunResult r = run({"-s", server.service(), "-u", "alice", "-p", "secret", "help"}, options);
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_EQ(r.out, "");
    size_t first = r.err.find("srvknob: Unable to connect server localhost:" + server.service() + "\n");
    EXPECT_NE(first, std::string::npos) << r.err;
    EXPECT_NE(r.err.find("srvknob: REMOTE: Unable to connect server [-700:-2]\n", first), std::string::npos) << r.err;
    EXPECT_NE(server.log().find(std::string("fault ") + fault), std::string::npos) << server.log();
  }
}

// The bytes of every hex dump in a trace, one string per dump.
std::vector<std::string> dumped_bytes(const std::string& trace) {
  std::vector<std::string> dumps;
  std::istringstream lines(trace);
  std::string line;
  bool in_dump = false;
  while (std::getline(lines, line)) {
    bool row =
        line.size() > 8 && line[3] == ':' && line[4] == ' ' && std::isxdigit(static_cast<unsigned char>(line[0]));
    if (!row) {
      in_dump = false;
      continue;
    }
    if (!in_dump) dumps.emplace_back();
    in_dump = true;
    for (size_t at = 4;
         at + 3 <= line.size() && line[at] == ' ' && std::isxdigit(static_cast<unsigned char>(line[at + 1])) &&
         std::isxdigit(static_cast<unsigned char>(line[at + 2]));
         at += 3)
      dumps.back().push_back(static_cast<char>(std::stoi(line.substr(at + 1, 2), nullptr, 16)));
  }
  return dumps;
}

TEST_F(Srvknob, TraceMasksTheEncipheredPassword) {
  StandIn server({"--users", users_, "--challenge", "fixed-challenge"});
  vtest::RunResult r = run({"-d", "*9", "-s", server.service(), "-u", "alice", "-p", "secret", "status"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::string secret = refcrypto::logon_hex("fixed-challenge", "secret");
  ASSERT_GE(secret.size(), 16u);
  EXPECT_EQ(r.err.find(secret), std::string::npos);
  EXPECT_EQ(r.err.find("secret"), std::string::npos);  // the plain password
  bool logon_seen = false;
  for (const std::string& bytes : dumped_bytes(r.err)) {
    EXPECT_EQ(bytes.find(secret.substr(0, 8)), std::string::npos) << bytes;
    if (bytes.find("alice") != std::string::npos) {
      logon_seen = true;
      EXPECT_NE(bytes.find(std::string(secret.size(), 'x') + '\0'), std::string::npos) << bytes;
    }
  }
  EXPECT_TRUE(logon_seen) << r.err;
  // The server still got the real thing.
  EXPECT_NE(server.log().find("logon user=\"alice\" status=0"), std::string::npos) << server.log();
}

TEST_F(Srvknob, UsageErrorsEndWithTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "srvknob: Missing command\n"},
      {{"-x", "help"}, "Unrecognized option: - x\n"},
      {{"help", "-p"}, "Option -p requires an argument\n"},  // options may follow the words; "--" ends them
      {{"-p"}, "Option -p requires an argument\n"},
      {{"-u", "a", "-help"}, "srvknob: Missing command\n"},  // -h with "elp", no command
      {{"-help", "status"}, ""},                             // the usage alone
  };
  for (const Case& c : cases) {
    vtest::RunResult r = run(c.args);
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: " + vtest::tool_path("srvknob") +
                         " [options] command [arg ...]\noptions:\n"
                         " -u name      - user name\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(" help command - show usage of specific command\n\n"), std::string::npos);
  }
}

TEST_F(Srvknob, VersionPrintsOnlyTheVersionLine) {
  vtest::RunResult r = run({"-version", "-u", "x", "help"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "@(#)QX-Q7702K A.06.31       QX VARNICA / WIN32 (build Jul  7 2001)\n");
}

TEST_F(Srvknob, DefaultUserComesFromLognameThenUser) {
  StandIn server;
  vtest::RunOptions both;
  both.env = {{"LOGNAME", "from-logname"}, {"USER", "from-user"}};
  EXPECT_EQ(run({"-s", server.service(), "status"}, both).exit_code, 0);
  vtest::RunOptions user_only;
  user_only.env = {{"USER", "from-user"}};
  user_only.unset_env = {"LOGNAME"};
  EXPECT_EQ(run({"-s", server.service(), "status"}, user_only).exit_code, 0);
  std::string log = server.log();
  size_t first = log.find("logon user=\"from-logname\"");
  EXPECT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("logon user=\"from-user\"", first), std::string::npos) << log;
}

TEST_F(Srvknob, DebugFlagsTraceTheCalls) {
  StandIn server;
  vtest::RunResult r = run({"-d", "P2", "-s", server.service(), "status"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find("P2: Mgmt_open()"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("P2:  argv[0] = \"status\""), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("sessions: 1 open, 1 since start\n"), std::string::npos) << r.out;
}

}  // namespace
