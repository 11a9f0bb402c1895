#include "language/toolframe.h"

#include <gtest/gtest.h>

#include <string>

const char* const usage_table[] = {"usage: frametest", "<$END>"};

namespace {

std::string usage_of(const char* const* lines) {
    testing::internal::CaptureStderr();
    print_usage_lines(stderr, lines);
    return testing::internal::GetCapturedStderr();
}

std::string banner_of(void (*fn)(const char*), const char* name) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    fn(name);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "") << "the frame never writes to standard output";
    return testing::internal::GetCapturedStderr();
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

}  // namespace
