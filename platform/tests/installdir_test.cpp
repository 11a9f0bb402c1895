#include "platform/installdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/registry.h"
#include "tests/support/testsupport.h"

namespace {

const char* const kDirs = INSTALL_KEY "\\" INSTALL_DIRECTORIES;

class InstallDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    saved_cwd = cwd;
    store = reg_open_store(dir.file("reg").c_str());
  }
  void TearDown() override {
    reg_close_store(store);
    EXPECT_EQ(chdir(saved_cwd.c_str()), 0);
  }
  std::string lookup(const char* name, InstallFallback fallback = INSTALL_PARENT_OF_CWD) {
    char buffer[1024];
    int n = install_lookup_dir(store, name, buffer, sizeof buffer, fallback);
    if (n < 0) return "<none>";
    EXPECT_EQ(static_cast<size_t>(n), std::string(buffer).size());
    return buffer;
  }

  vtest::TempDir dir;
  RegStore* store = nullptr;
  std::string saved_cwd;
};

TEST_F(InstallDir, UserHiveWinsOverMachine) {
  char buffer[256];
  EXPECT_EQ(read_install_value(store, INSTALL_DIRECTORIES, "lib", buffer, sizeof buffer), -1);
  ASSERT_EQ(reg_set_string(store, REG_HIVE_MACHINE, kDirs, "lib", "/machine/lib"), REG_OK);
  EXPECT_EQ(read_install_value(store, INSTALL_DIRECTORIES, "lib", buffer, sizeof buffer), 12);
  EXPECT_STREQ(buffer, "/machine/lib");
  EXPECT_EQ(lookup("lib"), "/machine/lib");
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "Software\\orvantis\\qx varnica\\directories", "LIB", "/user/lib"),
            REG_OK);
  EXPECT_EQ(lookup("lib"), "/user/lib");
  // A value that does not fit the buffer is not cut short.
  EXPECT_EQ(read_install_value(store, INSTALL_DIRECTORIES, "lib", buffer, 5), -1);
}

TEST_F(InstallDir, BaseDirectoryThenParentOfCurrentDirectory) {
  std::string x = dir.file("X");
  ASSERT_EQ(mkdir(x.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((x + "/bin").c_str(), 0700), 0);
  ASSERT_EQ(chdir((x + "/bin").c_str()), 0);
  char real[4096];
  ASSERT_NE(getcwd(real, sizeof real), nullptr);
  std::string parent = std::string(real).substr(0, std::string(real).rfind('/'));

  EXPECT_EQ(lookup("lib"), parent + "/lib");
  EXPECT_EQ(lookup("lib", INSTALL_NO_FALLBACK), "<none>");

  ASSERT_EQ(reg_set_string(store, REG_HIVE_MACHINE, kDirs, "BaseDirectory", "/opt/varnica"), REG_OK);
  EXPECT_EQ(lookup("lib"), "/opt/varnica/lib");
  EXPECT_EQ(lookup("html", INSTALL_NO_FALLBACK), "/opt/varnica/html");

  ASSERT_EQ(chdir("/"), 0);
  ASSERT_EQ(reg_delete_value(store, REG_HIVE_MACHINE, kDirs, "BaseDirectory"), REG_OK);
  EXPECT_EQ(lookup("lib"), "<none>");
  ASSERT_EQ(chdir("/tmp"), 0);
  EXPECT_EQ(lookup("lib"), "<none>");
}

TEST_F(InstallDir, ToolLookupEndsWithCode2WithoutBase) {
  setenv(REG_ENV_DIRECTORY, dir.file("reg").c_str(), 1);
  reg_reset_default_store();
  EXPECT_EXIT(get_install_lib_dir(), ::testing::ExitedWithCode(2),
              "Unable to obtain QX Varnica\\\\Directories\\\\BaseDirectory");
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, kDirs, "BaseDirectory", "/d"), REG_OK);
  EXPECT_STREQ(get_install_lib_dir(), "/d/lib");
  ASSERT_EQ(reg_set_string(store, REG_HIVE_MACHINE, kDirs, "lib", "/elsewhere"), REG_OK);
  EXPECT_STREQ(get_install_lib_dir(), "/elsewhere");
  reg_reset_default_store();
  unsetenv(REG_ENV_DIRECTORY);
}

}  // namespace
