// tessarine answers -help and -version as the other tools do, without a
// display.
#include <gtest/gtest.h>

#include "testsupport.h"

namespace {

TEST(TessarineCommandLine, HelpAndVersionNeedNoDisplay) {
  vtest::RunOptions options;
  options.unset_env = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  const vtest::RunResult version = vtest::run("tessarine", {"-version"}, options);
  EXPECT_EQ(version.exit_code, 0) << version.err;
  EXPECT_NE(version.err.find(" TESSARINE "), std::string::npos) << version.err;
  const vtest::RunResult help = vtest::run("tessarine", {"-help"}, options);
  EXPECT_EQ(help.exit_code, 2) << help.err;
  EXPECT_NE(help.err.find("Usage: tessarine [file] [-nologo]"), std::string::npos) << help.err;
}

}  // namespace
