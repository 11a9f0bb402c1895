// blankset, forgeset and scrapbase against a database compiled into the
// stand-in: one unknown set among three changes nothing, numbers are checked
// like names, each request reaches the server with its set list, scrapbase
// -f makes the database need creation again, and the usage of each tool.
#include <gtest/gtest.h>

#include <string>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::after_banner;
using dbserver_test::run_tool;
using dbserver_test::without_getopt_lines;

class SetTools : public dbserver_test::ShopDatabase {
 protected:
  // The capacity column of probebase -m -n for each set, or the exit code.
  std::string capacities() {
    vtest::RunResult r = run_tool("probebase", {"-m", "-n", db_});
    if (r.exit_code != 0) return "exit " + std::to_string(r.exit_code);
    std::string result;
    for (size_t at = 0; at < r.out.size(); at = r.out.find('\n', at) + 1) result += r.out.substr(at + 30, 8) + "|";
    return result;
  }
  bool logged(const std::string& line) const { return server_.log().find(line) != std::string::npos; }
};

TEST_F(SetTools, OneUnknownSetAmongThreeChangesNothing) {
  struct Case {
    const char* tool;
    const char* request;
  };
  const Case cases[] = {{"forgeset", "create "}, {"blankset", "erase "}, {"scrapbase", "purge "}};
  const std::string banner[] = {"FORGESET", "BLANKSET", "SCRAPBASE"};
  int i = 0;
  for (const Case& c : cases) {
    vtest::RunResult r = run_tool(c.tool, {db_, "CUSTOMERS", "NOPE", "7", "2"});
    EXPECT_EQ(r.exit_code, 1) << c.tool;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(after_banner(r.err, banner[i++]),
              "NOPE: Illegal set name\n"
              "7 : Illegal set number\n" +
                  vtest::tool_path(c.tool) + ": illegal arguments\n");
    EXPECT_FALSE(logged(c.request)) << c.tool;
  }
  EXPECT_EQ(capacities(), "       0|       0|       0|");
}

TEST_F(SetTools, RequestsCarryTheirSetLists) {
  vtest::RunResult r = run_tool("forgeset", {"-v", db_, "3", "customers"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "Processing database : " + db_ + "\n\n");
  EXPECT_TRUE(logged("create remote_dbid=1 mode=1 tables=[ 1 3 ] status=0")) << server_.log();
  EXPECT_EQ(capacities(), "    1000|       0|    1000|");

  // Erasing a set without storage is refused by the server.
  r = run_tool("blankset", {db_});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err, "BLANKSET"),
            "Fatal error #80 while erasing sets\n"
            "BLANKSET(1): Set not created/not online [80]\n");
  r = run_tool("blankset", {db_, "NOTES"});
  EXPECT_EQ(r.exit_code, 0) << r.err;

  r = run_tool("scrapbase", {db_, "1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(logged("purge remote_dbid=1 mode=1 tables=[ 1 ] status=0"));
  EXPECT_EQ(capacities(), "       0|       0|    1000|");
  // Still created: mode 1 opens.
  EXPECT_EQ(run_tool("probebase", {db_}).exit_code, 0);

  r = run_tool("scrapbase", {"-f", db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(logged("purge remote_dbid=1 mode=2 tables=[ 1 2 3 ] status=0"));
  r = run_tool("probebase", {db_});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Fatal error #-92 while opening data base\n"), std::string::npos);
}

TEST_F(SetTools, UnknownDatabaseIsNotAccessible) {
  const std::string other = dbserver_test::db_operand(server_, "OTHER");
  vtest::RunResult r = run_tool("forgeset", {other});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err, "FORGESET"), vtest::tool_path("forgeset") + ": " + other +
                                                 ": unable to access database\n"
                                                 "Fatal error #-1 while opening data base\n"
                                                 "DBOPEN(13): Unable to open database [-1]\n");
}

TEST_F(SetTools, UsageOfEachTool) {
  const std::string common =
      "options:\n"
      " -help   - show usage (this list)\n"
      " -u user - set user name\n"
      " -p pswd - set password\n"
      " -v      - output additional information\n";
  struct Case {
    const char* tool;
    const char* banner;
    std::vector<std::string> args;
    int code;
    std::string err;  // "%p" stands for the program name, "%u" for the usage
  };
  const std::string usage_blank =
      "usage: blankset [options] database [set ...]\n" + common + " -d flgs - debug flags\n\n";
  const std::string usage_forge =
      "usage: forgeset [options] database [set ...]\n" + common + " -d flgs - debug flags\n\n";
  const std::string usage_scrap = "usage: scrapbase [options] database [set ...]\n" + common +
                                  " -f      - force root file deletion\n"
                                  " -d flgs - debug flags\n\n";
  const Case cases[] = {
      {"blankset", "BLANKSET", {"-help"}, 2, usage_blank},
      {"forgeset", "FORGESET", {"-help"}, 2, usage_forge},
      {"scrapbase", "SCRAPBASE", {"-help"}, 2, usage_scrap},
      {"blankset", "BLANKSET", {"-f", "DB"}, 2, usage_blank},
      {"forgeset", "FORGESET", {"-f", "DB"}, 2, usage_forge},
      {"scrapbase", "SCRAPBASE", {"-v"}, 2, "%p: No database specified\n" + usage_scrap},
      {"forgeset", "FORGESET", {""}, 1, "%p: illegal database name\n"},
  };
  for (const Case& c : cases) {
    vtest::RunResult r = run_tool(c.tool, c.args);
    EXPECT_EQ(r.exit_code, c.code) << c.tool;
    std::string expected = c.err;
    const std::string prog = vtest::tool_path(c.tool);
    if (expected.rfind("%p", 0) == 0) expected = prog + expected.substr(2);
    EXPECT_EQ(without_getopt_lines(after_banner(r.err, c.banner), prog), expected) << c.tool;
  }
}

}  // namespace
