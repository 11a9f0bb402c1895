// flowprime: flow files prepared from program files of every layout, the
// names it reads and writes, its failures, and flowtally's reports on what
// it prepared.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "flow_fixtures.h"
#include "language/progfile.h"
#include "testsupport.h"

namespace {

using flowfix::line;
using flowfix::segment;
using vtest::run;
using vtest::RunResult;

// Writes a program file; empty text on success, else the writer's message.
std::string write_program(const std::string& path, const ProgList* prog, int revision, const char* password = nullptr) {
  prog_options opt;
  yq__prog_init_options(&opt);
  opt.revision = revision;
  if (password) yq__prog_set_password(&opt, prog_pswd_digest(password, std::strlen(password)));
  prog_hdr hdr;
  if (yq__prog_init_store(&hdr, prog, &opt) != 0) return yq__prog_error(&hdr)->message;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return "cannot create " + path;
  int rc = yq__prog_write(&hdr, out);
  if (std::fclose(out) != 0) return "close failed";
  return rc == 0 ? "" : yq__prog_error(&hdr)->message;
}

// The flow file of the sample program as flowprime must write it.
std::string sample_flow() {
  return flowfix::image({segment("main", 0, {line(10, 0, 0), line(20, 0, 0), line(30, 0, 0)}),
                         segment("SUB CALC", 0, {line(100, 0, 0), line(110, 0, 0), line(120, 0, 0)}),
                         segment("SUB NOTE", 0, {line(200, 0, 0), line(210, 0, 0)})});
}

class Prime : public ::testing::Test {
 protected:
  void SetUp() override { flowfix::sample_program(&sample); }
  void TearDown() override { progseg_free_all(&sample); }

  void write_sample(const std::string& name, int revision = 0, const char* password = nullptr) {
    ASSERT_EQ(write_program(dir.file(name), &sample, revision, password), "");
  }

  RunResult prime(const std::vector<std::string>& args) { return run("flowprime", args, vtest::in_folder(dir.path())); }

  RunResult tally(const std::vector<std::string>& args) { return run("flowtally", args, vtest::in_folder(dir.path())); }

  std::string flow(const std::string& name) { return vtest::read_file(dir.file(name)); }

  ProgList sample;
  vtest::TempDir dir;
};

TEST_F(Prime, PreparesEveryLineOfEveryLayout) {
  struct Case {
    const char* what;
    int revision;
    const char* password;
  } cases[] = {
      {"compatible", PROG_REV_COMPATIBLE, nullptr},
      {"A.05.01", PROG_REV_A0501, nullptr},
      {"A.06.00", PROG_REV_TAGGED, nullptr},
      {"A.06.00 with a password", PROG_REV_TAGGED, "secret"},
  };
  for (const Case& c : cases) {
    write_sample("prog.PROG", c.revision, c.password);
    std::filesystem::remove(dir.file("prog.SFA"));
    RunResult r = prime({"prog.PROG"});
    EXPECT_EQ(r.exit_code, 0) << c.what << ": " << r.err;
    EXPECT_EQ(vtest::strip_banner(r.err, "FLOWPRIME"), "") << c.what;
    EXPECT_EQ(r.out, "") << c.what;
    ASSERT_TRUE(vtest::file_exists(dir.file("prog.SFA"))) << c.what;
    EXPECT_EQ(flow("prog.SFA"), sample_flow()) << c.what;
  }
}

TEST_F(Prime, ASegmentWithoutCodeGetsARecordWithoutLines) {
  ProgList prog;
  flowfix::program_with_empty_main(&prog);
  ASSERT_EQ(write_program(dir.file("empty.PROG"), &prog, PROG_REV_TAGGED), "");
  progseg_free_all(&prog);
  RunResult r = prime({"empty.PROG"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(flow("empty.SFA"),
            flowfix::image({segment("main", 0, {}), segment("SUB ONLY", 0, {line(5000, 0, 0), line(5010, 0, 0)})}));
}

TEST_F(Prime, NamesStandForTheirProgramFile) {
  std::filesystem::create_directory(dir.file("v1.d"));
  write_sample("prog.PROG");
  write_sample("v1.d/app.PROG");
  struct Case {
    const char* arg;
    const char* written;
  } cases[] = {
      {"prog.txt", "prog.SFA"},  // another extension gives way to .PROG
      {"prog", "prog.SFA"},      // none: .PROG is added
      {"prog.", "prog.SFA"},
      {"v1.d/app", "v1.d/app.SFA"},  // a dot in a folder name is no extension
      {"v1.d/app.lst", "v1.d/app.SFA"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.file(c.written));
    RunResult r = prime({"-v", c.arg});
    EXPECT_EQ(r.exit_code, 0) << c.arg << ": " << r.err;
    EXPECT_EQ(flow(c.written), sample_flow()) << c.arg;
  }
}

TEST_F(Prime, VerboseNamesEachProgramAndAllArgumentsArePrepared) {
  write_sample("one.PROG");
  write_sample("two.PROG", PROG_REV_TAGGED);
  RunResult r = prime({"-v", "one.PROG", "two"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "one.PROG\ntwo.PROG\n");
  EXPECT_EQ(flow("one.SFA"), sample_flow());
  EXPECT_EQ(flow("two.SFA"), sample_flow());
}

TEST_F(Prime, ProgramsThatCannotBeReadFailTheRunButNotTheOthers) {
  write_sample("good.PROG");
  vtest::write_file(dir.file("short.PROG"), "\x00\x05");
  std::string tagged_cut;
  {
    write_sample("cut.PROG", PROG_REV_TAGGED);
    std::string bytes = flow("cut.PROG");
    vtest::write_file(dir.file("cut.PROG"), bytes.substr(0, bytes.size() - 7));
  }
  std::filesystem::create_directory(dir.file("folder.PROG"));

  RunResult r = prime({"gone.PROG", "short.PROG", "cut.PROG", "folder.PROG", "good.PROG"});
  EXPECT_EQ(r.exit_code, 1);
  std::string err = vtest::strip_banner(r.err, "FLOWPRIME");
  EXPECT_NE(err.find("gone.PROG: No such file or directory\n"), std::string::npos) << err;
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)short\\.PROG: [^\n]+ \\[999\\]\n"))) << err;
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)cut\\.PROG: [^\n]+ \\[999\\]\n"))) << err;
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)folder\\.PROG: [^\n]+\n"))) << err;
  for (const char* name : {"gone.SFA", "short.SFA", "cut.SFA", "folder.SFA"})
    EXPECT_FALSE(vtest::file_exists(dir.file(name))) << name;
  EXPECT_EQ(flow("good.SFA"), sample_flow());
}

TEST_F(Prime, AProgramWithoutSegmentsIsAnEmptyFile) {
  // A revision-1 header that counts no words, and padding after it.
  vtest::write_file(dir.file("none.PROG"), std::string(10, '\0'));
  RunResult r = prime({"none.PROG"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWPRIME"), "none.PROG: empty file\n");
  EXPECT_FALSE(vtest::file_exists(dir.file("none.SFA")));
}

TEST_F(Prime, AFlowFileThatCannotBeWrittenEndsTheRunAndKeepsWhatWasThere) {
  write_sample("prog.PROG");
  write_sample("next.PROG");
  std::filesystem::create_directory(dir.file("prog.SFA"));
  vtest::write_file(dir.file("prog.SFA/keep"), "x");
  RunResult r = prime({"prog.PROG", "next.PROG"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(vtest::strip_banner(r.err, "FLOWPRIME").find("prog.SFA: write failed"), std::string::npos) << r.err;
  EXPECT_EQ(flow("prog.SFA/keep"), "x");
  EXPECT_FALSE(vtest::file_exists(dir.file("next.SFA")));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(Prime, Usage) {
  const std::string usage = "Usage: flowprime [-v] progfile [ ... ]\n\n";
  for (std::vector<std::string> args :
       std::vector<std::vector<std::string>>{{}, {"-help"}, {"-v"}, {"-x", "prog.PROG"}, {"-help", "prog.PROG"}}) {
    RunResult r = prime(args);
    std::string what = args.empty() ? "(none)" : args[0];
    EXPECT_EQ(r.exit_code, 2) << what;
    EXPECT_EQ(vtest::strip_banner(r.err, "FLOWPRIME"), usage) << what;
    EXPECT_EQ(r.out, "") << what;
  }
  RunResult r = prime({"-version"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWPRIME"), "");
}

// The example program compiled by store: main, a SUB and a multi-line
// function, numbered from 100 in steps of 10.
TEST_F(Prime, PreparesTheExampleProgramThatStoreCompiled) {
  RunResult r =
      run("store", {"-o", "payroll", vtest::source_dir() + "/examples/flow/payroll.txt"}, vtest::in_folder(dir.path()));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  r = prime({"payroll.PROG"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  auto lines = [](int from, int to) {
    std::vector<sfa_line> v;
    for (int n = from; n <= to; n += 10) v.push_back(line(n, 0, 0));
    return v;
  };
  EXPECT_EQ(flow("payroll.SFA"),
            flowfix::image({segment("main", 0, lines(100, 160)), segment("SUB Pay", 0, lines(170, 200)),
                            segment("FN  Twice", 0, lines(210, 230))}));
}

// flowtally's reports on the files that flowprime prepared: every line is
// there, nothing has run yet.
TEST_F(Prime, FlowtallyReportsOnPreparedFiles) {
  write_sample("prog.PROG", PROG_REV_TAGGED, "pw");
  ProgList prog;
  flowfix::program_with_empty_main(&prog);
  ASSERT_EQ(write_program(dir.file("only.PROG"), &prog, PROG_REV_COMPATIBLE), "");
  progseg_free_all(&prog);
  ASSERT_EQ(prime({"prog.PROG", "only.PROG"}).exit_code, 0);

  RunResult r = tally({"-s", "prog", "only"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string dash(72, '-');
  EXPECT_EQ(r.out, dash +
                       "\n\n   STATEMENT FLOW ANALYZER - SEGMENT REPORT\n\n"
                       "   Ignored less than    :   0.00 % execution time\n"
                       "   Ignored greater than : 100.00 % execution time\n\n"
                       "   Number of files      : 2\n"
                       "   Number of segments   : 5\n"
                       "   Total execution time : 0.00 Seconds\n"
                       "   Number of lines      : 10\n"
                       "   Executed lines       : 0.00 %\n\n" +
                       dash +
                       "\n\n"
                       "FILE/SEGMENT                              EXECUTION        LINES\n"
                       "NAME                 HISTOGRAM            SECONDS   % RATE EXEC  % RATE\n"
                       "-------------------- -------------------- --------- ------ ----- ------\n"
                       "\nprog\n"
                       "main                                           0.00   0.00     0   0.00\n"
                       "SUB CALC                                       0.00   0.00     0   0.00\n"
                       "SUB NOTE                                       0.00   0.00     0   0.00\n"
                       "\nonly\n"
                       "main                                           0.00   0.00     0   0.00\n"
                       "SUB ONLY                                       0.00   0.00     0   0.00\n");

  r = tally({"-n", "-b", "110", "-e", "200", "prog.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const char* heading =
      "\nLINE                                 EXECUTION\n"
      "NO    HISTOGRAM                      SECONDS   % RATE COUNT  AVG\n"
      "----- ------------------------------ --------- ------ ------ -------\n";
  EXPECT_EQ(r.out, "\n" + dash +
                       "\nSegment        : #1, main\nTimes loaded   : 0\nExecution time : 0.00 sec (0.00%)\n"
                       "Number lines   : 3\nExecuted lines : 0\n" +
                       "\n" + dash +
                       "\nSegment        : #2, SUB CALC\nTimes loaded   : 0\nExecution time : 0.00 sec (0.00%)\n"
                       "Number lines   : 3\nExecuted lines : 0\n" +
                       heading +
                       "  110                                     0.00   0.00      0    0.00\n"
                       "  120                                     0.00   0.00      0    0.00\n"
                       "\n" +
                       dash +
                       "\nSegment        : #3, SUB NOTE\nTimes loaded   : 0\nExecution time : 0.00 sec (0.00%)\n"
                       "Number lines   : 2\nExecuted lines : 0\n" +
                       heading + "  200                                     0.00   0.00      0    0.00\n");
}

}  // namespace
