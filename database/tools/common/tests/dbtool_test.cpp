// The database tool frame: the fatal-error report, code-set options, the
// default user and the usage printer, each ending the process as it must.
#include "database/tools/common/dbtool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "database/client/client.h"
#include "language/toolframe.h"
#include "testsupport.h"

const char* const usage_table[] = {"usage: %s [options] database", "options:", " -d flags   - debug flags", "<$END>",
                                   "never printed"};

namespace {

int32_t* status_of(int32_t w0, int32_t w5, int32_t w8, int32_t w9) {
  static StatusArray s;
  for (int32_t& w : s) w = 0;
  s[0] = w0;
  s[5] = w5;
  s[8] = w8;
  s[9] = w9;
  return s;
}

TEST(FatalError, SuccessReturnsWithoutAWord) {
  // A zero status word is success whatever the other words hold: nothing is
  // reported and the tool goes on.
  vtest::CaptureOutput out(stdout), err(stderr);
  fatal_error(status_of(0, 401, 1, 0), 1230, "opening database");
  fatal_error(status_of(0, 0, 0, -600), 1, "x");
  EXPECT_EQ(err.text(), "");
  EXPECT_EQ(out.text(), "");
}

TEST(FatalErrorDeathTest, ReportsStepSecondaryAndText) {
  struct Case {
    int32_t w0, w9;
    const char* what;
    std::string expected;
  };
  const std::string long_what(100, 'w');
  const Case cases[] = {
      {-1, 0, "opening database",
       "^Fatal error #-1 while opening database\nDBOPEN\\(1\\): Unable to open database \\[-1\\]\n$"},
      {-500, 7, "x", "^Fatal error #-500 while x\nUnknown status code \\[-500\\]\n$"},
      {-700, -2, "opening database",
       "^Fatal error #-700 while opening database\nSecondary status = -2\n"
       "DBOPEN\\(1\\): REMOTE: Unable to connect server \\[-700:-2\\]\n$"},
      {-1, 0, long_what.c_str(), "^Fatal error #-1 while " + std::string(79, 'w') + "\nDBOPEN"},
  };
  for (const Case& c : cases)
    EXPECT_EXIT(fatal_error(status_of(c.w0, 401, 1, c.w9), 3010, c.what), ::testing::ExitedWithCode(1), c.expected);
}

TEST(DbtoolDeathTest, UsageFillsProgramNameAndStopsAtEnd) {
  dbtool_program = "probe";
  EXPECT_EXIT(dbtool_usage(usage_table), ::testing::ExitedWithCode(2),
              "^usage: probe \\[options\\] database\noptions:\n -d flags   - debug flags\n\n$");
}

TEST(DbtoolDeathTest, HelpAndVersionAreTheExactFirstArgument) {
  char prog[] = "tool", help[] = "-help", version[] = "-version", other[] = "-x";
  char* with_help[] = {prog, help, nullptr};
  EXPECT_EXIT(dbtool_start(2, with_help, "TOOLNAME", false, usage_table), ::testing::ExitedWithCode(2),
              "TOOLNAME .*\n\nusage: tool \\[options\\] database\n");
  char* with_version[] = {prog, version, other, nullptr};
  EXPECT_EXIT(dbtool_start(3, with_version, "TOOLNAME", false, usage_table), ::testing::ExitedWithCode(0), "");
  char* help_later[] = {prog, other, help, nullptr};
  dbtool_start(3, help_later, "", false, usage_table);  // goes on
  EXPECT_STREQ(dbtool_program, "tool");
}

TEST(DbtoolDeathTest, CodeSetsByName) {
  dbtool_program = "tool";
  EXPECT_EQ(dbtool_charset("roman8"), 0);
  EXPECT_EQ(dbtool_charset("Iso-8859-1"), 1);
  EXPECT_EXIT(dbtool_charset("ebcdic"), ::testing::ExitedWithCode(2), "^tool: Invalid code set \"ebcdic\"\n$");
  {
    vtest::CaptureOutput out(stdout);
    dbtool_apply_charset(0, stdout);
    EXPECT_EQ(out.text(), "Code set            : qx-roman8\n");
  }
  EXPECT_EQ(idb_ctl(ISRVKNOB_GCSETID, 0), 0);
  EXPECT_EXIT(dbtool_apply_charset(7, nullptr), ::testing::ExitedWithCode(1),
              "^tool: idb_ctl\\(SRVKNOB_SCSETID\\) failed\n$");
  idb__exit();
}

TEST(Dbtool, ServerOfTheDatabaseOperand) {
  struct Case {
    const char* operand;
    const char* host;
    const char* service;
  };
  const Case cases[] = {
      {"SHOP", "localhost", "vevivu"}, {"db1:5000/SHOP", "db1", "5000"},
      {"db1/SHOP", "db1", "vevivu"},   {":5000/SHOP", "localhost", "5000"},
      {"db1:/SHOP", "db1", "vevivu"},  {"/SHOP", "localhost", "vevivu"},
      {"h:s/a/b", "h", "s"},
  };
  for (const Case& c : cases) {
    const DbtoolServerName name = dbtool_operand_server(c.operand);
    EXPECT_EQ(name.host, c.host) << c.operand;
    EXPECT_EQ(name.service, c.service) << c.operand;
  }
}

TEST(Dbtool, DefaultUserFromLognameThenUser) {
  setenv("LOGNAME", "ln", 1);
  setenv("USER", "us", 1);
  EXPECT_STREQ(dbtool_default_user(), "ln");
  unsetenv("LOGNAME");
  EXPECT_STREQ(dbtool_default_user(), "us");
  unsetenv("USER");
  EXPECT_STREQ(dbtool_default_user(), "");
}

}  // namespace
