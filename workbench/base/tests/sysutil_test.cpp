#include "workbench/base/sysutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/installdir.h"
#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/tests/shelltest.h"

namespace {

const char* const kManuals = INSTALL_KEY "\\Manuals";
const char* const kDirs = INSTALL_KEY "\\Directories";

class SysUtil : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv(REG_ENV_DIRECTORY, dir.path().c_str(), 1);
    reg_reset_default_store();
    store = reg_default_store();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    saved = cwd;
  }
  void TearDown() override {
    EXPECT_EQ(chdir(saved.c_str()), 0);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }
  static std::string text(const char* p) { return p ? p : "<null>"; }

  vtest::TempDir dir;
  RegStore* store = nullptr;
  std::string saved;
};

TEST_F(SysUtil, DirectoriesFromUserMachineBaseOrParent) {
  std::string x = dir.file("X");
  ASSERT_EQ(mkdir(x.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((x + "/bin").c_str(), 0700), 0);
  ASSERT_EQ(chdir((x + "/bin").c_str()), 0);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::string parent = std::string(cwd).substr(0, std::string(cwd).rfind('/'));

  EXPECT_EQ(text(Sys_GetLibDirectory()), parent + "/lib");
  EXPECT_EQ(text(Sys_GetHelpConfigFile()), parent + "/html/yqhelp.cfg");
  char base[64];
  EXPECT_EQ(Sys_GetBaseDirectory(base, sizeof base), -1);

  ASSERT_EQ(reg_set_string(store, REG_HIVE_MACHINE, kDirs, "BaseDirectory", "/opt/v"), REG_OK);
  EXPECT_EQ(text(Sys_GetEtcDirectory()), "/opt/v/etc");
  ASSERT_EQ(reg_set_string(store, REG_HIVE_MACHINE, kDirs, "bin", "/m/bin"), REG_OK);
  EXPECT_EQ(text(Sys_GetBinDirectory()), "/m/bin");
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, kDirs, "bin", "/u/bin"), REG_OK);
  EXPECT_EQ(text(Sys_GetBinDirectory()), "/u/bin");

  ASSERT_EQ(reg_delete_value(store, REG_HIVE_MACHINE, kDirs, "BaseDirectory"), REG_OK);
  ASSERT_EQ(chdir("/tmp"), 0);
  EXPECT_EQ(text(Sys_GetLibDirectory()), "<null>");
  EXPECT_EQ(text(Sys_GetHelpConfigFile()), "<null>");
}

TEST_F(SysUtil, HelpSettingsGoToTheMachineElseTheUser) {
  EXPECT_EQ(text(Sys_GetHelpUrl()), "<null>");
  Sys_SetHelpUrl("http://docs/varnica");
  std::string value;
  EXPECT_EQ(reg_get_string(store, REG_HIVE_MACHINE, kManuals, "URL", &value), REG_OK);
  EXPECT_EQ(text(Sys_GetHelpUrl()), "http://docs/varnica");

  reg_set_writable(store, REG_HIVE_MACHINE, false);
  Sys_SetHelpConfigFile("/home/me/yqhelp.cfg");
  Sys_SetHelpUrl("http://mine");
  EXPECT_EQ(reg_get_string(store, REG_HIVE_USER, kManuals, "ConfigFile", &value), REG_OK);
  EXPECT_EQ(text(Sys_GetHelpConfigFile()), "/home/me/yqhelp.cfg");
  EXPECT_EQ(text(Sys_GetHelpUrl()), "http://mine");

  // Once the machine can be written again its value is the one read.
  reg_set_writable(store, REG_HIVE_MACHINE, true);
  Sys_SetHelpUrl("http://shared");
  EXPECT_EQ(text(Sys_GetHelpUrl()), "http://shared");
  EXPECT_EQ(Sys_RegSet("Manuals", "URL", nullptr), -1);
}

TEST_F(SysUtil, HelpFileWrittenInEitherOrderReadsBackTheLastWrite) {
  // Each write goes to the machine's hive, or to the user's while the
  // machine's is read-only; a later machine write must not stay hidden
  // behind an older user copy.
  struct Write {
    bool machine_writable;
    const char* path;
  };
  struct Case {
    Write first, second;
    bool user_copy_left;
  };
  const Case cases[] = {
      {{true, "/m/first.cfg"}, {false, "/u/second.cfg"}, true},
      {{false, "/u/first.cfg"}, {true, "/m/second.cfg"}, false},
      {{true, "/m/first.cfg"}, {true, "/m/second.cfg"}, false},
      {{false, "/u/first.cfg"}, {false, "/u/second.cfg"}, true},
  };
  for (const Case& c : cases) {
    reg_set_writable(store, REG_HIVE_MACHINE, true);
    reg_delete_value(store, REG_HIVE_MACHINE, kManuals, "ConfigFile");
    reg_delete_value(store, REG_HIVE_USER, kManuals, "ConfigFile");
    for (const Write& w : {c.first, c.second}) {
      reg_set_writable(store, REG_HIVE_MACHINE, w.machine_writable);
      Sys_SetHelpConfigFile(w.path);
    }
    reg_set_writable(store, REG_HIVE_MACHINE, true);
    EXPECT_EQ(text(Sys_GetHelpConfigFile()), c.second.path) << c.first.path << " then " << c.second.path;
    std::string value;
    EXPECT_EQ(reg_get_string(store, REG_HIVE_USER, kManuals, "ConfigFile", &value) == REG_OK, c.user_copy_left)
        << c.first.path << " then " << c.second.path;
  }
}

TEST_F(SysUtil, CodepageConversion) {
  Sys_InitCodepages();
  struct Case {
    int from, to;
    unsigned char in, out;
  };
  const Case cases[] = {
      {0, 1, 0xA1, 0xC0}, {1, 0, 0xC0, 0xA1}, {0, 1, 0x85, 0x20}, {1, 0, 0x85, 0x20},
      {0, 1, 0x41, 0x41}, {1, 0, 0x7F, 0x7F}, {0, 1, 0xAF, 0xA3}, {1, 0, 0xA3, 0xBB},
      {1, 0, 0x83, 0xBE}, {1, 0, 0xA6, 0x20}, {0, 1, 0xFC, 0x20}, {0, 1, 0xF6, 0x2D},
  };
  for (const Case& c : cases) {
    unsigned char b = c.in;
    EXPECT_EQ(Sys_ConvertCodepage(c.from, c.to, &b, 1), 0);
    EXPECT_EQ(b, c.out) << c.from << "->" << c.to << " " << int(c.in);
  }
  unsigned char text[] = {0xA1, 0x85, 'a'};
  EXPECT_EQ(Sys_ConvertCodepage(1, 1, text, 3), 0);
  EXPECT_EQ(Sys_ConvertCodepage(0, 2, text, 3), -1);
  EXPECT_EQ(Sys_ConvertCodepage(2, 0, text, 3), -1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text), 3),
            "\xA1\x85"
            "a");
  ASSERT_EQ(Sys_ConvertCodepage(0, 1, text, 3), 0);
  ASSERT_EQ(Sys_ConvertCodepage(1, 0, text, 3), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text), 3), "\xA1 a");
}

TEST_F(SysUtil, Win32ErrorBoxCarriesTheCodeAndItsText) {
  RecordingSink sink;
  sink.answer = SHELL_IDCANCEL;
  EXPECT_EQ(Sys_ShowWin32Error(ENOENT, "Cannot open x", "Open File [3]", SHELL_MB_OKCANCEL), SHELL_IDCANCEL);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Open File [3]");
  EXPECT_EQ(sink.boxes[0].text, "Cannot open x\n[#2] " + std::string(strerror(ENOENT)));
}

}  // namespace
