#include "language/toolframe.h"

#include <gtest/gtest.h>

#include "testsupport.h"

#include <cstdlib>
#include <string>
#include <vector>

const char* const usage_table[] = {"usage: frametest", "<$END>"};

namespace {

std::string usage_of(const char* const* lines) {
  vtest::CaptureOutput err(stderr);
  print_usage_lines(stderr, lines);
  return err.text();
}

std::string banner_of(void (*fn)(const char*), const char* name) {
  vtest::CaptureOutput err(stderr), out(stdout);
  fn(name);
  EXPECT_EQ(out.text(), "") << "the frame never writes to standard output";
  return err.text();
}

TEST(UsagePrinter, StopsOnlyAtTheExactSentinel) {
  const char* const empty[] = {"<$END>"};
  EXPECT_EQ(usage_of(empty), "\n");
  const char* const lines[] = {"one", "<$END> not yet", "<$end>", "<$END>", "never"};
  EXPECT_EQ(usage_of(lines), "one\n<$END> not yet\n<$end>\n\n");
}

TEST(UsagePrinter, EndsTheProcessWithUsageStatus) {
  EXPECT_EXIT(print_usage(), testing::ExitedWithCode(2), "usage: frametest");
}

TEST(Banner, Forms) {
  const std::string tail = std::string(" ") + product_notice() + " (A.06.31)\n";
  EXPECT_EQ(banner_of(banner_print, nullptr), std::string("\nQ7702K") + tail);
  EXPECT_EQ(banner_of(banner_print, ""), "");
  EXPECT_EQ(banner_of(banner_print, "STORE"), std::string("\nQ7702K STORE") + tail);
  EXPECT_EQ(banner_of(banner_show, "STORE"), std::string("\nQ7702K STORE") + tail + "\n");
  EXPECT_EQ(banner_of(banner_show, ""), "\n");
  EXPECT_EQ(banner_of(banner_show, nullptr), "");
  EXPECT_EQ(banner_of(banner_tool, "LIST"), std::string("\nQ7702K LIST") + tail + "\n");
  EXPECT_STREQ(product_number(), "Q7702K");
}

// "-help" and "-version" count only as the whole first argument; the alone
// form also wants nothing after it and takes an empty command line as a
// request for the usage.
TEST(EarlyOptions, WhatTheCommandLineAsksFirst) {
  struct Case {
    std::vector<const char*> args;
    ToolEarlyRequest alone, leading;
  };
  const Case cases[] = {
      {{}, TOOL_REQUEST_USAGE, TOOL_REQUEST_NONE},
      {{"-help"}, TOOL_REQUEST_USAGE, TOOL_REQUEST_USAGE},
      {{"-version"}, TOOL_REQUEST_VERSION, TOOL_REQUEST_VERSION},
      {{"-help", "x"}, TOOL_REQUEST_NONE, TOOL_REQUEST_USAGE},
      {{"-version", "x"}, TOOL_REQUEST_NONE, TOOL_REQUEST_VERSION},
      {{"x", "-help"}, TOOL_REQUEST_NONE, TOOL_REQUEST_NONE},
      {{"-h"}, TOOL_REQUEST_NONE, TOOL_REQUEST_NONE},
      {{"-helpme"}, TOOL_REQUEST_NONE, TOOL_REQUEST_NONE},
      {{"--version"}, TOOL_REQUEST_NONE, TOOL_REQUEST_NONE},
      {{"prog"}, TOOL_REQUEST_NONE, TOOL_REQUEST_NONE},
  };
  for (const Case& c : cases) {
    std::vector<char*> argv{const_cast<char*>("tool")};
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    int argc = static_cast<int>(argv.size()) - 1;
    std::string what = std::to_string(argc - 1) + " arguments, first " + (argc > 1 ? argv[1] : "none");
    EXPECT_EQ(tool_early_request(argc, argv.data(), TOOL_EARLY_ALONE), c.alone) << what;
    EXPECT_EQ(tool_early_request(argc, argv.data(), TOOL_EARLY_LEADING), c.leading) << what;
  }
}

[[noreturn]] void finish_for_test(int status) { std::exit(40 + status); }

TEST(EarlyOptions, AnswersThroughUsageOrTheToolsFinish) {
  char tool[] = "tool", help[] = "-help", version[] = "-version", other[] = "prog";
  char* asks_usage[] = {tool, help, nullptr};
  char* asks_version[] = {tool, version, nullptr};
  char* runs[] = {tool, other, nullptr};
  EXPECT_EXIT(tool_early_options(2, asks_usage, TOOL_EARLY_ALONE, finish_for_test), testing::ExitedWithCode(2),
              "usage: frametest");
  EXPECT_EXIT(tool_early_options(2, asks_version, TOOL_EARLY_ALONE, finish_for_test), testing::ExitedWithCode(40), "");
  tool_early_options(2, runs, TOOL_EARLY_ALONE, finish_for_test);  // comes back
}

// A report lost on standard output fails a run that would have succeeded and
// says why; a run that failed anyway keeps its own status.
TEST(ToolOutput, LostOutputFailsTheRun) {
  auto run_into_full_device = [](int status) {
    if (!std::freopen("/dev/full", "w", stdout)) std::_Exit(99);
    tool_out_printf("%s\n", "report");
    tool_out_write("more", 4);
    tool_finish("frametest", status);
  };
  EXPECT_EXIT(run_into_full_device(EXIT_TOOL_OK), testing::ExitedWithCode(1),
              "^frametest: Write error on standard output: No space left on device\n$");
  EXPECT_EXIT(run_into_full_device(EXIT_TOOL_USAGE), testing::ExitedWithCode(2),
              "frametest: Write error on standard output");
  EXPECT_EXIT(
      {
        tool_out_write("kept\n", 5);
        tool_finish("frametest", EXIT_TOOL_OK);
      },
      testing::ExitedWithCode(0), "^$");
}

}  // namespace
