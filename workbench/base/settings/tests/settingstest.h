// A private profile for settings tests: the registry store points at a fresh
// folder, the settings use the process's default store on it, and failed
// checks throw.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv(REG_ENV_DIRECTORY, dir.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  }
  void TearDown() override {
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  // Installs a user hive from the fixtures folder.
  void use_fixture(const char* name) {
    std::string path = vtest::source_dir() + "/workbench/base/settings/tests/fixtures/" + name;
    vtest::write_file(dir.file("user.reg"), vtest::read_file(path));
  }

  static RegStore* store() { return reg_default_store(); }

  // The profile section key below the hive.
  static std::string key(const std::string& section) {
    std::string k = "Software\\Orvantis\\QX Varnica Development Environment";
    return section.empty() ? k : k + "\\" + section;
  }
  static bool has_key(const std::string& section) {
    return reg_key_exists(store(), REG_HIVE_USER, key(section).c_str()) == REG_OK;
  }
  static bool has_value(const std::string& section, const char* name) {
    RegValueInfo v;
    return reg_query_value(store(), REG_HIVE_USER, key(section).c_str(), name, &v) == REG_OK;
  }

  vtest::TempDir dir;

 private:
  SysAssertHandler previous_ = nullptr;
};
