// dlghost with the scripted plug-in: a script file copies to itself, the
// dump shows the model, boxes go to standard error and exit codes tell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "testsupport.h"

namespace {

const char kScript[] =
    "# a script dialog\n"
    "const 1 BIG = 5\n"
    "begin dlg Dialog # the dialog\n"
    "  prop title = \"Hello\"\n"
    "  prop style = BIG\n"
    "  begin ok Button\n"
    "    prop caption = \"OK\"\n"
    "  end\n"
    "end\n";

std::string PluginDir() { return std::filesystem::path(MODULE_TESTPLUG).parent_path().string(); }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class Dlghost : public ::testing::Test {
 protected:
  vtest::RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"-p", PluginDir()};
    all.insert(all.end(), args.begin(), args.end());
    return vtest::run("dlghost", all, vtest::in_folder(tmp.path()));
  }
  vtest::TempDir tmp;
};

TEST_F(Dlghost, CopyOfAScriptRoundTrips) {
  vtest::write_file(tmp.file("in.tsd"), kScript);
  vtest::RunResult r = Run({"copy", "in.tsd", "out.tsd"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Slurp(tmp.file("out.tsd")), kScript);
  r = Run({"copy", tmp.file("out.tsd"), tmp.file("again.tsd")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Slurp(tmp.file("again.tsd")), kScript);
}

TEST_F(Dlghost, DumpListsObjectsValuesConstantsAndKeptLines) {
  vtest::write_file(tmp.file("in.tsd"), kScript);
  vtest::RunResult r = Run({"dump", "in.tsd"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  for (const char* want :
       {"object dlg class=Dialog", "  object dlg.ok class=Button", "value title = \"Hello\" serial=-1 line=4",
        "value style = 5 serial=", "BIG = 5", "kept line=1 blanks=0 flags=0 [# a script dialog]",
        "kept line=3 blanks=0 flags=1 [ # the dialog]"})
    EXPECT_NE(r.out.find(want), std::string::npos) << want << "\n" << r.out;
}

TEST_F(Dlghost, ListShowsThePluginsAndTheirTypes) {
  vtest::RunResult r = Run({"list"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("ide-testplug 300 \"Test Script Plug-In\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  .tsd \"Test Script Dialog\" source writable"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  .tsi \"Test Script Import\" import"), std::string::npos) << r.out;
}

TEST_F(Dlghost, FailuresAndUsage) {
  vtest::write_file(tmp.file("bad.tsd"), "begin dlg Dialog\n  prop width = -1\nend\n");
  vtest::RunResult r = Run({"copy", "bad.tsd", "out.tsd"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Dialog Plug-In: bad.tsd, line 2:\nUnable to set negative object dimension.\nPath=\"dlg\""),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(tmp.file("out.tsd")));
  r = Run({"dump", "nothing.xyz"});
  EXPECT_EQ(r.exit_code, 1);
  vtest::write_file(tmp.file("in.tsd"), kScript);
  r = Run({"copy", "in.tsd", tmp.file("no/such/dir/out.tsd")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Save File [1]"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"copy", "in.tsd"}).exit_code, 2);
  EXPECT_EQ(Run({"frobnicate"}).exit_code, 2);
  EXPECT_EQ(vtest::run("dlghost", {}).exit_code, 2);
}

}  // namespace
