// ide-plugpane under the console host dlghost: every fixture copies to a file
// that copies to itself, and the demo's sample copies unchanged. Skipped
// while dlghost is not built.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "testsupport.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class DlghostCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(vtest::tool_path("dlghost").c_str(), X_OK) != 0) GTEST_SKIP() << "dlghost is not built";
  }
  // Copies `in` to `out` from the folder `dir`; the exit code.
  int copy(const std::string& dir, const std::string& in, const std::string& out) {
    vtest::RunResult r =
        vtest::run("dlghost", {"-p", vtest::bin_dir() + "/../lib", "copy", in, out}, vtest::in_folder(dir));
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return r.exit_code;
  }
  vtest::TempDir tmp_;
};

TEST_F(DlghostCopy, FixturesReachAFixedPoint) {
  std::string fixtures = vtest::source_dir() + "/dialogs/plugins/plugpane/tests/fixtures";
  // Imported names are found beside the file that imports them, so the
  // copies get the fixtures' interface and module files beside them.
  for (const char* common : {"common.if", "common.mod"})
    std::ofstream(tmp_.file(common), std::ios::binary) << slurp(fixtures + "/" + common);
  for (const char* name : {"basic", "fonts", "import"}) {
    SCOPED_TRACE(name);
    std::string once = tmp_.file(std::string(name) + "-1.idm"), twice = tmp_.file(std::string(name) + "-2.idm");
    ASSERT_EQ(copy(fixtures, std::string(name) + ".idm", once), 0);
    ASSERT_EQ(copy(fixtures, once, twice), 0);
    EXPECT_FALSE(slurp(once).empty());
    EXPECT_EQ(slurp(twice), slurp(once));
  }
}

TEST_F(DlghostCopy, SampleCopiesUnchanged) {
  std::string examples = vtest::source_dir() + "/examples/dialogs";
  ASSERT_EQ(copy(examples, "sample.idm", tmp_.file("sample.idm")), 0);
  EXPECT_EQ(slurp(tmp_.file("sample.idm")), slurp(examples + "/sample.idm"));
}

}  // namespace
