// dbgprobe against the stand-in run-time: a session set up from its command
// line, steps, the call stack, the Variables rows with a record expanded, an
// edited value, Terminate and the Debug tab; its failures and exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace {

class DbgProbe : public ::testing::Test {
 protected:
  // A program file of three lines (numbered 1 to 3, segment 0) and a script
  // that stops on them.
  void SetUp() override {
    vtest::write_file(dir.file("p.txt"), "PRINT 1\nLET A=2\nPRINT A\n");
    vtest::RunResult r = vtest::run("store", {"-o", dir.file("p"), dir.file("p.txt")});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string prog = dir.file("p.PROG");
    vtest::write_file(dir.file("s.txt"),
                      "var count I 1\n"
                      "var rec T REC\n"
                      "var rec.name X alpha\n"
                      "stop " +
                          prog +
                          " 0 1 0 PRINT 1||MAIN\n"
                          "print one\n"
                          "stop " +
                          prog +
                          " 0 2 0 LET A=2||MAIN\n"
                          "stop " +
                          prog + " 0 3 0 PRINT A||MAIN\n");
  }

  vtest::RunResult probe(std::vector<std::string> args) {
    args.insert(args.begin(), {"setup", "--script " + dir.file("s.txt") + " --log " + dir.file("log") + " p"});
    vtest::RunOptions options;
    options.env["VARNICA_REGISTRY"] = dir.path();
    options.env["QT_QPA_PLATFORM"] = "offscreen";
    options.timeout_seconds = 60;
    return vtest::run("dbgprobe", args, options);
  }

  vtest::TempDir dir;
};

TEST_F(DbgProbe, StepsShowsTheStackAndVariablesAndEditsAValue) {
  vtest::RunResult r = probe({"into", "over", "stack", "vars", "rec", "set", "count", "5", "terminate"});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  const std::string p = dir.file("p.PROG");
  EXPECT_EQ(r.out, "stop " + p +
                       " 0 1\n"
                       "stop " +
                       p +
                       " 0 2\n"
                       "  MAIN: LET A=2\n"
                       "  count INTEGER 1\n"
                       "  rec TYPE REC\n"
                       "    name STRING alpha\n"
                       "count = 5\n"
                       "ended\n"
                       "| one\n"
                       "| \n"
                       "| Process terminated with exit code 0 (0x0).\n");
  EXPECT_NE(vtest::read_file(dir.file("log")).find("SET_ELEMENT count = 5"), std::string::npos);
}

TEST_F(DbgProbe, FailuresAndWrongCommandLinesSetTheExitCode) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* out;  // part of what it prints
  } cases[] = {
      {{"into", "vars", "nothing"}, 1, "no variable nothing\n"},
      {{"into", "set", "count", "x"}, 1, "beep\n"},
      {{"jump"}, 2, ""},
      {{"vars"}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    vtest::RunResult r = probe(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
  }
}

}  // namespace
