#include "language/errutil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void record(void* user, const char* text) { *static_cast<std::string*>(user) += text; }
void to_stderr(void*, const char* text) { std::fputs(text, stderr); }

class ErrorReport : public testing::Test {
 protected:
  void SetUp() override {
    *err_context() = ErrContext{};
    err_context()->print = record;
    err_context()->print_user = &printed;
  }
  void TearDown() override { *err_context() = ErrContext{}; }
  std::string printed;
};

TEST_F(ErrorReport, NamesTheSourceLineOncePerLine) {
  err_set_line("YqDLL f(YqInt a, YqInt a)\n", 4);
  print_error("Argument name already defined");
  print_error("syntax error");
  err_set_line("YqDLL g(x", 9);  // last line of a file, no newline
  print_error("syntax error");
  print_warning("Unreferenced items");
  err_set_line("ITEMS: A, X2;\n", 10);
  print_warning("Item name reused");
  EXPECT_EQ(printed,
            "YqDLL f(YqInt a, YqInt a)\n"
            "*** Argument name already defined in line 4\n"
            "*** syntax error\n"
            "YqDLL g(x\n"
            "*** syntax error in line 9\n"
            "*** (WARNING) Unreferenced items\n"
            "ITEMS: A, X2;\n"
            "*** (WARNING) Item name reused in line 10\n");
  EXPECT_EQ(err_context()->error_count, 3);
  EXPECT_EQ(err_context()->warning_count, 2);
}

TEST_F(ErrorReport, ListingHasShownTheLineAlready) {
  err_context()->listing = 1;
  err_set_line("YqDLL f(YqInt a, YqInt a)\n", 4);
  print_error("Argument name already defined");
  print_error("syntax error");
  EXPECT_EQ(printed, "*** Argument name already defined in line 4\n*** syntax error\n");
}

TEST_F(ErrorReport, WithoutALineOnlyTheMessage) {
  print_error("No DLL functions found");
  err_set_line("x\n", 2);
  print_error("first");
  err_begin_source();  // a new file: its line 2 is a different line
  err_set_line("y\n", 2);
  print_error("second");
  EXPECT_EQ(printed, "*** No DLL functions found\nx\n*** first in line 2\ny\n*** second in line 2\n");
}

TEST_F(ErrorReport, StopsWhenTheMaximumIsExceeded) {
  err_context()->max_errors = 2;
  err_context()->print = to_stderr;
  print_error("one");
  print_error("two");
  EXPECT_EQ(err_context()->error_count, 2);
  EXPECT_EXIT(print_error("three"), testing::ExitedWithCode(1),
              "\\*\\*\\* three\n\\*\\*\\* \\(FATAL\\) Number of errors exceeds maximum\n");
}

TEST(SafeAllocation, ZeroedCopiesAndNeverNull) {
  auto* words = static_cast<unsigned*>(safe_calloc(64, sizeof(unsigned)));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(words[i], 0u);
  std::free(words);
  void* nothing = safe_calloc(0, 8);  // a usable, freeable block all the same
  EXPECT_NE(nothing, nullptr);
  std::free(nothing);

  char* copy = safe_strdup("gm_area");
  EXPECT_STREQ(copy, "gm_area");
  std::free(copy);
  char* empty = safe_strdup(nullptr);
  EXPECT_STREQ(empty, "");
  std::free(empty);
}

TEST(SafeAllocation, SizeOverflowIsAMemoryPanic) {
  *err_context() = ErrContext{};
  err_context()->print = to_stderr;
  EXPECT_EXIT(safe_calloc(SIZE_MAX / 2, 4), testing::ExitedWithCode(1), "\\*\\*\\* \\(FATAL\\) Memory panic\n");
}

}  // namespace
