// flowtally: the line, segment and file reports on crafted flow files, the
// selection limits, and its refusal of bad options and damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "flow_fixtures.h"
#include "testsupport.h"

namespace {

using flowfix::le32;
using flowfix::line;
using flowfix::segment;
using vtest::run;
using vtest::RunResult;

const std::string kDash(72, '-');

// A folder with two flow files as they are after a run:
//   A: main (loaded once) lines 10 (1 x, 1.00 s), 20 (4 x, 3.00 s), 30 (never);
//      SUB CALC (loaded 3 times) lines 100 (2 x, 6.00 s), 110 (never);
//      SUB EMPTY without lines. 10.00 s in all, 3 of 5 lines executed.
//   B: main lines 10 (10 x, 10.00 s), 20 (never).
class Tally : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::write_file(
        dir.file("A.SFA"),
        flowfix::image({segment("main", 1, {line(10, 1, 100), line(20, 4, 300), line(30, 0, 0)}),
                        segment("SUB CALC", 3, {line(100, 2, 600), line(110, 0, 0)}), segment("SUB EMPTY", 0, {})}));
    vtest::write_file(dir.file("B.SFA"), flowfix::image({segment("main", 0, {line(10, 10, 1000), line(20, 0, 0)})}));
  }

  RunResult tally(const std::vector<std::string>& args) { return run("flowtally", args, vtest::in_folder(dir.path())); }

  vtest::TempDir dir;
};

const char kLineHeading[] =
    "\nLINE                                 EXECUTION\n"
    "NO    HISTOGRAM                      SECONDS   % RATE COUNT  AVG\n"
    "----- ------------------------------ --------- ------ ------ -------\n";

std::string line_header(const char* name, const char* limits, const char* range, const char* totals) {
  return kDash + "\n\n   STATEMENT FLOW ANALYZER - LINE REPORT\n\n   File name            : " + name + "\n" + limits +
         range + totals + kDash + "\n\n";
}

const char kDefaultLimits[] =
    "   Ignored less than    :   0.00 % execution time\n"
    "   Ignored greater than : 100.00 % execution time\n";
const char kDefaultRange[] =
    "   Beginning line number: 0\n"
    "   End line number      : 32767\n\n";

std::string segment_head(int number, const char* name, int loads, const char* time, int lines, int executed) {
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "Segment        : #%d, %s\nTimes loaded   : %d\nExecution time : %s\n"
                "Number lines   : %d\nExecuted lines : %d\n",
                number, name, loads, time, lines, executed);
  return "\n" + kDash + "\n" + buf;
}

TEST_F(Tally, LineReportOfOneFile) {
  RunResult r = tally({"A.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expect = line_header("A", kDefaultLimits, kDefaultRange,
                                   "   Total execution time : 10.00 Seconds\n"
                                   "   Number of lines      : 5\n"
                                   "   Executed lines       : 60.00 %\n\n") +
                       segment_head(1, "main", 1, "4.00 sec (40.00%)", 3, 2) + kLineHeading +
                       "   10 *****                               1.00  10.00      1    1.00\n"
                       "   20 ***************                     3.00  30.00      4    0.75\n"
                       "   30                                     0.00   0.00      0    0.00\n" +
                       segment_head(2, "SUB CALC", 3, "6.00 sec (60.00%)", 2, 1) + kLineHeading +
                       "  100 ******************************      6.00  60.00      2    3.00\n"
                       "  110                                     0.00   0.00      0    0.00\n";
  EXPECT_EQ(r.out, expect);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), "");
}

TEST_F(Tally, LineReportsOfSeveralFilesAreSeparatedByAFormFeed) {
  // A line with all of a file's time is listed with the default limits.
  RunResult r = tally({"-n", "A.SFA", "B.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  size_t ff = r.out.find("\n\f");
  ASSERT_NE(ff, std::string::npos);
  EXPECT_EQ(r.out.find('\f', ff + 2), std::string::npos);
  EXPECT_EQ(r.out.find("STATEMENT FLOW ANALYZER"), std::string::npos);
  EXPECT_EQ(r.out.substr(ff + 2), segment_head(1, "main", 0, "10.00 sec (100.00%)", 2, 1) + kLineHeading +
                                      "   10 ******************************     10.00 100.00     10    1.00\n"
                                      "   20                                     0.00   0.00      0    0.00\n");
}

TEST_F(Tally, LineReportKeepsTheLinesBetweenBeginAndEnd) {
  // Lines 20, 30 and 100 are selected: 9.00 s, the largest 6.00 s. Segment
  // shares are of the selected time; the counts of lines are of all lines.
  RunResult r = tally({"-b", "15", "-e", "100", "A.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expect = line_header("A", kDefaultLimits,
                                   "   Beginning line number: 15\n"
                                   "   End line number      : 100\n\n",
                                   "   Total execution time : 9.00 Seconds\n"
                                   "   Number of lines      : 5\n"
                                   "   Executed lines       : 60.00 %\n\n") +
                       segment_head(1, "main", 1, "4.00 sec (44.44%)", 3, 2) + kLineHeading +
                       "   20 ***************                     3.00  33.33      4    0.75\n"
                       "   30                                     0.00   0.00      0    0.00\n" +
                       segment_head(2, "SUB CALC", 3, "6.00 sec (66.67%)", 2, 1) + kLineHeading +
                       "  100 ******************************      6.00  66.67      2    3.00\n";
  EXPECT_EQ(r.out, expect);
}

TEST_F(Tally, LimitsSelectByShareOfTheFilesTime) {
  // A's lines hold 10, 30, 0, 60 and 0 percent of its time.
  RunResult r = tally({"-n", "-l", "20", "-g", "59.5", "A.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, segment_head(1, "main", 1, "4.00 sec (133.33%)", 3, 2) + kLineHeading +
                       "   20 ******************************      3.00 100.00      4    0.75\n" +
                       segment_head(2, "SUB CALC", 3, "6.00 sec (200.00%)", 2, 1));

  // Exactly 50 percent stays in with -l 50 -g 50; nothing else does.
  vtest::write_file(dir.file("H.SFA"),
                    flowfix::image({segment("main", 0, {line(1, 1, 250), line(2, 1, 250), line(3, 1, 500)})}));
  r = tally({"-n", "-l", "50", "-g", "50", "H.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("\n    3 ****"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\n    1 "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\n    2 "), std::string::npos) << r.out;

  r = tally({"-l", "50", "-g", "50", "A.SFA", "B.SFA"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), "flowtally: parameters prohibit any output\n");
}

const char kSegmentColumns[] =
    "FILE/SEGMENT                              EXECUTION        LINES\n"
    "NAME                 HISTOGRAM            SECONDS   % RATE EXEC  % RATE\n"
    "-------------------- -------------------- --------- ------ ----- ------\n";

TEST_F(Tally, SegmentReportOverAllFiles) {
  // -b and -e do not touch the segment report.
  RunResult r = tally({"-s", "-b", "100", "-e", "100", "A", "B.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expect = kDash + "\n\n   STATEMENT FLOW ANALYZER - SEGMENT REPORT\n\n" + kDefaultLimits +
                       "\n"
                       "   Number of files      : 2\n"
                       "   Number of segments   : 4\n"
                       "   Total execution time : 20.00 Seconds\n"
                       "   Number of lines      : 7\n"
                       "   Executed lines       : 57.14 %\n\n" +
                       kDash + "\n\n" + kSegmentColumns +
                       "\nA\n"
                       "main                 ********                  4.00  20.00     2  66.67\n"
                       "SUB CALC             ************              6.00  30.00     1  50.00\n"
                       "SUB EMPTY                                      0.00   0.00     0   0.00\n"
                       "\nB\n"
                       "main                 ********************     10.00  50.00     1  50.00\n";
  EXPECT_EQ(r.out, expect);
}

TEST_F(Tally, SegmentReportSelectsByShareOfAllSegments) {
  // A/SUB CALC holds 30 % and B/main 50 % of the 20.00 s.
  RunResult r = tally({"-s", "-l", "25", "A.SFA", "B.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expect = kDash + "\n\n   STATEMENT FLOW ANALYZER - SEGMENT REPORT\n\n" +
                       "   Ignored less than    :  25.00 % execution time\n"
                       "   Ignored greater than : 100.00 % execution time\n\n"
                       "   Number of files      : 2\n"
                       "   Number of segments   : 2\n"
                       "   Total execution time : 16.00 Seconds\n"
                       "   Number of lines      : 4\n"
                       "   Executed lines       : 50.00 %\n\n" +
                       kDash + "\n\n" + kSegmentColumns +
                       "\nA\n"
                       "SUB CALC             ************              6.00  37.50     1  50.00\n"
                       "\nB\n"
                       "main                 ********************     10.00  62.50     1  50.00\n";
  EXPECT_EQ(r.out, expect);

  r = tally({"-s", "-n", "-g", "40", "A.SFA", "B.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, std::string(kSegmentColumns) +
                       "\nA\n"
                       "main                 *************             4.00  40.00     2  66.67\n"
                       "SUB CALC             ********************      6.00  60.00     1  50.00\n"
                       "SUB EMPTY                                      0.00   0.00     0   0.00\n");
}

TEST_F(Tally, FileReportOverAllFiles) {
  std::filesystem::create_directory(dir.file("sub"));
  vtest::write_file(dir.file("sub/LONGERNAME.SFA"),
                    flowfix::image({segment("main", 0, {line(1, 1, 500), line(2, 0, 0), line(3, 0, 0)})}));
  RunResult r = tally({"-f", "A.SFA", "B.SFA", "sub/LONGERNAME.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string expect = kDash + "\n\n   STATEMENT FLOW ANALYZER - FILE REPORT\n\n" + kDefaultLimits +
                       "\n"
                       "   Number of files      : 3\n"
                       "   Total execution time : 25.00 Seconds\n"
                       "   Number of lines      : 10\n"
                       "   Executed lines       : 50.00 %\n\n" +
                       kDash + "\n\n" +
                       "FILE                                    EXECUTION        LINES\n"
                       "NAME     HISTOGRAM                      SECONDS   % RATE EXEC  % RATE\n"
                       "-------- ------------------------------ --------- ------ ----- ------\n"
                       "A        ******************************     10.00  40.00     3  60.00\n"
                       "B        ******************************     10.00  40.00     1  50.00\n"
                       "LONGERNA ***************                     5.00  20.00     1  33.33\n";
  EXPECT_EQ(r.out, expect);
}

TEST_F(Tally, CountsAndTimesUseTheirWholeUnsignedRange) {
  // Two lines of 40,000,000 s each, run three thousand million times: the
  // totals pass 32 bits and the counts are never shown negative.
  vtest::write_file(
      dir.file("BIG.SFA"),
      flowfix::image({segment("main", 0, {line(1, 3000000000u, 4000000000u), line(2, 4294967295u, 4000000000u)})}));
  RunResult r = tally({"BIG.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("   Total execution time : 80000000.00 Seconds\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("    1 ****************************** 40000000.00  50.00 3000000000    0.01\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" 4294967295 "), std::string::npos) << r.out;

  r = tally({"-f", "BIG.SFA"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("BIG      ****************************** 80000000.00 100.00     2 100.00\n"), std::string::npos)
      << r.out;
}

TEST_F(Tally, NamesWithoutTheSuffixAreReadOnlyWhenTheFlowFileExists) {
  RunResult r = tally({"-f", "B", "nothing", "other.txt"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("\nB        "), std::string::npos) << r.out;
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), "");

  r = tally({"nothing"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), "flowtally: nothing to print\n");
}

TEST_F(Tally, CommandLineErrors) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // after the banner; getopt's own complaint may come first
  } cases[] = {
      {{}, 2, "flowtally: No inputfile specified\n"},
      {{"-s", "-n"}, 2, "flowtally: No inputfile specified\n"},
      {{"-x", "A.SFA"}, 2, "flowtally: Illegal arguments\n"},
      {{"-l"}, 2, "flowtally: Illegal arguments\n"},
      {{"-l", "ten", "A.SFA"}, 2, "flowtally: Illegal arguments\n"},
      {{"-g", "5%", "A.SFA"}, 2, "flowtally: Illegal arguments\n"},
      {{"-b", "1x", "A.SFA"}, 2, "flowtally: Illegal arguments\n"},
      {{"-e", "99999999999", "A.SFA"}, 2, "flowtally: Illegal arguments\n"},
      {{"missing.SFA"}, 1, "missing.SFA: No such file or directory\nflowtally: nothing to print\n"},
  };
  for (const Case& c : cases) {
    RunResult r = tally(c.args);
    std::string what = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(r.exit_code, c.status) << what;
    std::string err = vtest::strip_banner(r.err, "FLOWTALLY");
    ASSERT_GE(err.size(), c.err.size()) << what << ": " << err;
    EXPECT_EQ(err.substr(err.size() - c.err.size()), c.err) << what;
    EXPECT_EQ(r.out, "") << what;
  }
}

TEST_F(Tally, HelpPrintsTheUsageTable) {
  RunResult r = tally({"-help"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"),
            "usage: flowtally [options] sfafile [ ... ]\n"
            "options:\n"
            " -f        - file report\n"
            " -s        - segment report\n"
            " -n        - suppress report header\n"
            " -l n      - ignore less than n% execution time    (default = 0%)\n"
            " -g n      - ignore greater than n% execution time (default = 100%)\n"
            " -b line   - start line number                     (only line report)\n"
            " -e line   - end line number                       (only line report)\n"
            "Default report type is line report.\n"
            "Files without suffix .SFA are silently ignored.\n"
            "\n");
  r = tally({"-version"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), "");
}

TEST_F(Tally, ForeignHeadersSkipTheFileAndFailTheRun) {
  const std::string good = flowfix::image({segment("main", 0, {line(10, 1, 1)})});
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"short header", "SFA v2", "unable to read SFA header"},
      {"other tag", std::string("SFA v3\0\0\xD2\x04", 10) + good.substr(10), "illegal SFA format"},
      {"old file", std::string("SFA v1\0\0", 8) + good.substr(10), "byte order does not match"},
      {"other byte order", std::string("SFA v2\0\0\x04\xD2", 10) + good.substr(10), "byte order does not match"},
  };
  for (const Case& c : cases) {
    vtest::write_file(dir.file("X.SFA"), c.bytes);
    RunResult r = tally({"-f", "X.SFA", "B.SFA"});
    EXPECT_EQ(r.exit_code, 1) << c.what;
    EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), std::string("X.SFA: ") + c.message + "\n") << c.what;
    // The readable file is still reported.
    EXPECT_NE(r.out.find("\nB        ****"), std::string::npos) << c.what;
    EXPECT_EQ(r.out.find("\nX "), std::string::npos) << c.what;

    r = tally({"X.SFA"});
    EXPECT_EQ(r.exit_code, 1) << c.what;
    EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"),
              std::string("X.SFA: ") + c.message + "\nflowtally: nothing to print\n")
        << c.what;
  }
}

TEST_F(Tally, DamagedBodiesEndTheRunWithoutAReport) {
  const std::string good = flowfix::image({segment("main", 0, {line(10, 1, 1), line(20, 1, 1)})});
  const std::string head = good.substr(0, 10);
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"a line cut short", good.substr(0, good.size() - 5), "unable to read line"},
      {"a count beyond the file", head + le32(1000000) + good.substr(14), "unable to read line"},
      {"a negative count", head + le32(0xFFFFFFF0) + good.substr(14), "illegal line count"},
      {"a segment record cut short", good + le32(0) + "main", "unable to read segment"},
  };
  for (const Case& c : cases) {
    vtest::write_file(dir.file("X.SFA"), c.bytes);
    RunResult r = tally({"-s", "B.SFA", "X.SFA"});
    EXPECT_EQ(r.exit_code, 1) << c.what;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"), std::string("X.SFA: ") + c.message + "\n") << c.what;
  }
}

TEST_F(Tally, ReportLostOnStandardOutputIsAFailure) {
  RunResult r = run("/bin/sh", {"-c", "\"$0\" -s \"$1\" >/dev/full", vtest::tool_path("flowtally"), dir.file("A.SFA")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "FLOWTALLY"),
            "flowtally: Write error on standard output: No space left on device\n");
}

}  // namespace
