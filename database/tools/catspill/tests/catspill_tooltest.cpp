// catspill against the stand-in database server: node and database tables in
// their text layout, the usage and its errors, and the failures that end
// with 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

// Standard error without the banner, which catspill prints alone (no blank
// line after it).
std::string without_banner(const std::string& err) {
  const std::string head = "\nQ7702K CATSPILL ";
  EXPECT_EQ(err.rfind(head, 0), 0u) << err;
  size_t end = err.find('\n', head.size());
  return end == std::string::npos ? err : err.substr(end + 1);
}

// The program name as the tests start it, the prefix of its error lines.
std::string prog() { return vtest::tool_path("catspill"); }

class Catspill : public ::testing::Test {
 protected:
  void SetUp() override {
    users_ = dir_.file("users");
    vtest::write_file(users_, "alice:" + refcrypto::md5_hex("secret") + "\n");
  }
  static vtest::RunResult run(const std::vector<std::string>& args) {
    vtest::RunOptions options;
    options.timeout_seconds = 20;
    options.env["LOGNAME"] = "alice";
    return vtest::run("catspill", args, options);
  }
  vtest::TempDir dir_;
  std::string users_;
};

TEST_F(Catspill, UserTableInItsLayout) {
  StandIn server({"--users", users_});
  vtest::RunResult r = run({"-s", server.service(), "-u", "alice", "-p", "secret", "-t", "30"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // md5("secret") = 5ebe2294ecd0e0f0...: the counted value shows its length
  // and as many bytes as the 20 columns hold; priv is every bit (7).
  EXPECT_EQ(r.out,
            "---------------------------------------------------------\n"
            "#30 SYSUSER (1 entries)\n"
            "---------------------------------------------------------\n"
            "|uid |name                |password            |priv    |\n"
            "---------------------------------------------------------\n"
            "|1   |alice               |16:5ebe2294ecd0e0f0 |07000000|\n"
            "---------------------------------------------------------\n");
  EXPECT_EQ(without_banner(r.err), "");
}

TEST_F(Catspill, NodeTablesAllDumpedInOrder) {
  StandIn server({"--byte-order", "4321"});
  vtest::RunResult r = run({"-s", server.service()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  size_t at = 0;
  for (const char* head : {"#20 SYSDB (0 entries)", "#21 SYSCOLLATE", "#22 SYSNODE (3 entries)", "#30 SYSUSER", "#31 ",
                           "#32 ", "#33 ", "#34 ", "#35 ", "#36 "}) {
    size_t found = r.out.find(head, at);
    EXPECT_NE(found, std::string::npos) << head;
    if (found != std::string::npos) at = found;
  }
  EXPECT_NE(r.out.find("|byteorder       |4321                |\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("no records ...\n"), std::string::npos);
}

TEST_F(Catspill, DatabaseTablesThroughItsHandle) {
  StandIn server;
  ASSERT_EQ(0, idb_logon("alice", ""));
  int s = SysCat_open("127.0.0.1", server.service().c_str());
  ASSERT_GT(s, 0);
  SysCatDb db = {0, "SHOP", 4, 0, 0};
  ASSERT_EQ(0, SysCat_add_db(s, &db));
  int h = SysCat_open_db_by_name(s, "SHOP", 0, 0);
  ASSERT_GT(h, 0);
  SysCatTable tbl = {0, 0, "A-TABLE-NAME-OF-MORE-THAN-20", 1, 3, 1, 0, 0, 0};
  ASSERT_EQ(0, SysCat_add_table(s, h, &tbl));
  SysCatGroup grp = {0, "clerks", 0x0102};
  ASSERT_EQ(0, SysCat_add_group(s, h, &grp));
  idb__exit();

  vtest::RunResult r = run({"-s", server.service(), "-t", "1", "shop"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "-----------------------------------------\n"
            "#1 SYSTABLE (1 entries)\n"
            "-----------------------------------------\n"
            "|tableid|name                |type|flags|\n"
            "-----------------------------------------\n"
            "|1      |A-TABLE-NAME-OF-MORE|1   |3    |\n"
            "-----------------------------------------\n");
  r = run({"-s", server.service(), "SHOP"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // gids count from 2; the group's bits as a u32 in the announced order.
  EXPECT_NE(r.out.find("|2   |clerks              |02010000|\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#10 SYSTABINDEX (0 entries)"), std::string::npos) << r.out;
}

TEST_F(Catspill, UsageAndItsErrorsEndWithTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string last_line;
  };
  const Case cases[] = {
      {{"-help"}, " -t catid   - dump only specified catalog table\n\n"},
      {{"-x"}, prog() + ": illegal arguments\n"},
      {{"-t", "thirty"}, prog() + ": illegal arguments\n"},
      {{"one", "two"}, prog() + ": Unexpected arguments\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    vtest::RunResult r = run(c.args);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_GE(r.err.size(), c.last_line.size());
    EXPECT_EQ(r.err.substr(r.err.size() - c.last_line.size()), c.last_line) << r.err;
  }
  vtest::RunResult r = run({"-help"});
  EXPECT_NE(r.err.find("usage: " + prog() + " [options] database\noptions:\n -u name    - user name\n"),
            std::string::npos);
}

TEST_F(Catspill, FailuresPrintTheirLinesAndEndWithOne) {
  StandIn server({"--users", users_});
  StandIn plain({"--capabilities", "2a"});
  std::string closed;
  {
    StandIn gone;
    closed = gone.service();
  }
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::string at = "localhost:";
  const Case cases[] = {
      {{"-s", plain.service()},
       prog() + ": Sorry - server " + at + plain.service() + " has insufficient capabilities\n" + prog() +
           ": REMOTE: Server does not have required capabilities "
           "[-700:-10]\n"},
      {{"-s", closed},
       prog() + ": Unable to connect server " + at + closed + "\n" + prog() +
           ": REMOTE: Unable to connect server [-700:-2]\n"},
      {{"-s", server.service(), "-u", "alice", "-p", "wrong"},
       prog() + ": Unable to connect server " + at + server.service() + "\n" + prog() +
           ": Password does not match [-4]\n"},
      {{"-s", server.service(), "-u", "alice", "-p", "secret", "NOPE"},
       "P0: System catalog failure: database \"NOPE\" not found\n" + prog() + ": Unable to open database \"NOPE\"\n"},
      {{"-s", server.service(), "-u", "alice", "-p", "secret", "-t", "99"},
       // The server's message (a trace line of level 0) and no status line.
       "P0: System catalog failure: no catalog table 99\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    vtest::RunResult r = run(c.args);
    EXPECT_EQ(r.exit_code, 1);
    // Trace lines of level 0 (the server's message, the socket error) may
    // come first.
    std::string err = without_banner(r.err);
    ASSERT_GE(err.size(), c.err.size()) << err;
    EXPECT_EQ(err.substr(err.size() - c.err.size()), c.err);
  }
}

}  // namespace
