// probebase against a database compiled into the stand-in: the -92 end
// before the sets are created, mode 13 with -m and the root summary, the set
// lines after forgeset, set operands by name and number, and the usage.
#include <gtest/gtest.h>

#include <string>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::after_banner;
using dbserver_test::run_tool;

const char kHead[] =
    "SET NAME               RECLEN CAPACITY ENTRIES\n"
    "---------------- --- - ------ -------- --------\n";

class Probebase : public dbserver_test::ShopDatabase {
 protected:
  vtest::RunResult probe(std::vector<std::string> args) { return run_tool("probebase", args); }
};

TEST_F(Probebase, FreshDatabaseEndsWithItsStatusAndModeThirteenWorks) {
  vtest::RunResult r = probe({db_});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "Processing database : " + db_ + "\n\n");
  EXPECT_EQ(after_banner(r.err, "PROBEBASE"),
            "Fatal error #-92 while opening data base\n"
            "DBOPEN(1): Database requires creation [-92]\n");

  r = probe({"-m", "-v", db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "Processing database : " + db_ +
                       "\n\n"
                       "ROOT FILE\n"
                       "---------\n"
                       "Version        : 500\n"
                       "# of items     : 6\n"
                       "# of sets      : 3\n"
                       "\n" +
                       kHead +
                       "CUSTOMERS        001 M     38        0        0\n"
                       "ORDERS           002 D     22        0        0\n"
                       "NOTES            003 D     20        0        0\n");
}

TEST_F(Probebase, SetsAfterForgesetAndSetOperands) {
  ASSERT_EQ(run_tool("forgeset", {db_}).exit_code, 0);
  vtest::RunResult r = probe({db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "Processing database : " + db_ + "\n\n" + kHead +
                       "CUSTOMERS        001 M     38     1000        0\n"
                       "ORDERS           002 D     22     1000        0\n"
                       "NOTES            003 D     20     1000        0\n");
  EXPECT_EQ(after_banner(r.err, "PROBEBASE"), "");

  // -n: the set lines only; an unknown name is counted, the others printed.
  r = probe({"-n", db_, "notes", "NOPE", "1"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out,
            "NOTES            003 D     20     1000        0\n"
            "CUSTOMERS        001 M     38     1000        0\n");
  EXPECT_EQ(after_banner(r.err, "PROBEBASE"), "NOPE: Illegal set name\n");

  // A number that names no set ends at mode 202.
  r = probe({"-n", db_, "2", "9"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "ORDERS           002 D     22     1000        0\n");
  EXPECT_EQ(after_banner(r.err, "PROBEBASE"),
            "Fatal error #-21 while info 202\n"
            "PROBEBASE(202): Bad parameter value [-21]\n");
}

TEST_F(Probebase, UsageAndOperandErrors) {
  const std::string usage =
      "usage: probebase [options] database [set ...]\n"
      "options:\n"
      " -help   - show usage (this list)\n"
      " -u user - set user name\n"
      " -p pswd - set password\n"
      " -v      - output additional information\n"
      " -n      - suppress header\n"
      " -d flgs - debug flags\n"
      "\n";
  const std::string prog = vtest::tool_path("probebase");
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;  // after the banner; getopt's own line left out
  };
  const Case cases[] = {
      {{"-help"}, 2, usage},
      {{}, 2, prog + ": No database specified\n" + usage},
      {{""}, 1, prog + ": illegal database name\n"},
      // The operand's form and lengths are checked before anything is sent.
      {{"127.0.0.1:1/"}, 1, prog + ": illegal database name: no name after \"/\"\n"},
      {{std::string(80, 'h') + "/DB"}, 1, prog + ": illegal database name: server part longer than 79 characters\n"},
      {{"h:1/" + std::string(70000, 'D')}, 1, prog + ": illegal database name: longer than 65534 characters\n"},
      {{"-n", "-help"}, 2, usage},
  };
  for (const Case& c : cases) {
    vtest::RunResult r = probe(c.args);
    EXPECT_EQ(r.exit_code, c.code) << r.err;
    EXPECT_EQ(dbserver_test::without_getopt_lines(after_banner(r.err, "PROBEBASE"), prog), c.err);
    EXPECT_EQ(r.out, "");
  }
  vtest::RunResult r = probe({"-version", "x"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "@(#)QX-Q7702K A.06.31       QX VARNICA / WIN32 (build Jul  7 2001)\n");
}

}  // namespace
