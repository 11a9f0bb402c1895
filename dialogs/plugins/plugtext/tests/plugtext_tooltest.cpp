// ide-plugtext under the console host dlghost: ".dlg" files copy to a file
// that copies to itself byte for byte, with the layout and the template
// files of the profile, and FORM files import to a dialog whose ".dlg" is a
// fixed point. Skipped while dlghost is not built.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

const char kProfileKey[] =
    "HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica Development Environment\\Plug-In\\ide-plugtext";

std::string dword(int v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(v));
  return buffer;
}

class DlghostPlugtext : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(vtest::tool_path("dlghost").c_str(), X_OK) != 0) GTEST_SKIP() << "dlghost is not built";
    registry_ = tmp_.file("registry");
    ASSERT_EQ(mkdir(registry_.c_str(), 0700), 0);
    profile(-1, -1, "");
  }
  // The plug-in's profile: Indent and BlankLines (absent when -1) and the
  // template files, as registry entries.
  void profile(int indent, int blank_lines, const std::string& templates_section) {
    std::string text = "REGEDIT4\r\n\r\n[" + std::string(kProfileKey) + "]\r\n";
    if (indent != -1) text += "\"Indent\"=" + dword(indent) + "\r\n";
    if (blank_lines != -1) text += "\"BlankLines\"=" + dword(blank_lines) + "\r\n";
    text += templates_section;
    vtest::write_file(registry_ + "/user.reg", text);
  }
  vtest::RunResult copy(const std::string& dir, const std::string& in, const std::string& out) {
    vtest::RunOptions o = vtest::in_folder(dir);
    o.env["VARNICA_REGISTRY"] = registry_;
    return vtest::run("dlghost", {"-p", vtest::bin_dir() + "/../lib", "copy", in, out}, o);
  }
  // Includes are looked for beside the file that names them, so the copies
  // in the temporary folder get the source folder's dialog files beside them.
  void copy_includes(const std::string& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".dlg") continue;
      std::string target = tmp_.file(entry.path().filename().string());
      if (access(target.c_str(), F_OK) != 0) vtest::write_file(target, slurp(entry.path().string()));
    }
  }
  // Copies `in` and the copy again; the first copy.
  std::string fixed_point(const std::string& dir, const std::string& in, const std::string& name) {
    copy_includes(dir);
    std::string once = tmp_.file(name + "-1.dlg"), twice = tmp_.file(name + "-2.dlg");
    vtest::RunResult r = copy(dir, in, once);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    r = copy(dir, once, twice);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_FALSE(slurp(once).empty());
    EXPECT_EQ(slurp(twice), slurp(once));
    return slurp(once);
  }
  vtest::TempDir tmp_;
  std::string registry_;
  const std::string fixtures_ = vtest::source_dir() + "/dialogs/plugins/plugtext/tests/fixtures";
};

TEST_F(DlghostPlugtext, LayoutsMatchTheirGoldenCopies) {
  struct Layout {
    int indent, blank_lines;
    const char* golden;
  } layouts[] = {{-1, -1, "basic-1-1"}, {0, 0, "basic-0-0"}, {0, 1, "basic-0-1"},
                 {3, 0, "basic-3-0"},   {3, 1, "basic-3-1"}, {-3, 0, "basic-1-0"}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.golden);
    profile(l.indent, l.blank_lines, "");
    EXPECT_EQ(fixed_point(fixtures_, "basic.dlg", l.golden), slurp(fixtures_ + "/" + l.golden + ".golden"));
  }
}

TEST_F(DlghostPlugtext, TemplateFilesAreUsedAndNotWritten) {
  profile(-1, -1,
          "\r\n[" + std::string(kProfileKey) + "\\TemplateFiles]\r\n\"Total\"=" + dword(2) + "\r\n\"1\"=\"" +
              fixtures_ + "/base.tdlg\"\r\n\"2\"=\"" + fixtures_ + "/second.tdlg\"\r\n");
  EXPECT_EQ(fixed_point(fixtures_, "usesbase.dlg", "usesbase"), "\nBase copy {\n .title = OKTEXT\n .h = HEIGHT\n}\n");
}

TEST_F(DlghostPlugtext, FormImportsToAFixedPoint) {
  std::string first = fixed_point(fixtures_, "form20.form", "form20");
  EXPECT_NE(first.find("Dialog Untitled1 {"), std::string::npos) << first;
  EXPECT_NE(first.find(" .w = 80\n .h = 22\n"), std::string::npos) << first;
}

TEST_F(DlghostPlugtext, ExamplesCopy) {
  std::string examples = vtest::source_dir() + "/examples/dialogs";
  profile(2, 1, "");
  fixed_point(examples, "sample.dlg", "sample");
  fixed_point(examples, "sample.form", "sampleform");
}

TEST_F(DlghostPlugtext, HostileFilesFail) {
  for (const char* name : {"short.form", "nonl.form"}) {
    SCOPED_TRACE(name);
    vtest::RunResult r = copy(fixtures_, name, tmp_.file("out.dlg"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("This is not a FORM file."), std::string::npos) << r.err;
  }
}

}  // namespace
