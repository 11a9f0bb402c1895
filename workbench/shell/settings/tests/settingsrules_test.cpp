// The settings lists' records and checks and the program password rules,
// on a private profile.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/shell/settings/settingsrules.h"

namespace {

// The MD5 digest text of "secret".
constexpr const char* kSecretDigest = "5ebe2294ecd0e0f08eab7690d2a6ee69";

class SettingsRules : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv(REG_ENV_DIRECTORY, dir.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
  }
  void TearDown() override {
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }
  std::string ProfileText() const { return vtest::read_file(dir.file("user.reg")); }

  vtest::TempDir dir;
};

TEST_F(SettingsRules, EnvironmentRoundTripAndRenameDropsTheOldEntry) {
  EXPECT_TRUE(Env_LoadList().empty());
  EXPECT_TRUE(Env_SaveList({}));
  EXPECT_EQ(Cfg_GetInt("Environment", "Total"), 0);

  EnvINFO path{"PATH", "/bin"}, term{"TERM", "vt100"};
  ASSERT_TRUE(Env_SaveList({&path, &term}));
  std::vector<EnvINFO> loaded = Env_LoadList();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[1].Name, "TERM");
  EXPECT_EQ(loaded[1].Value, "vt100");

  term.Name = "TERMINAL";
  ASSERT_TRUE(Env_SaveList({&path, &term}));
  EXPECT_TRUE(Cfg_ListFind("Environment", "TERM").empty());
  EXPECT_EQ(Cfg_GetString("Environment\\TERMINAL", "Value"), "vt100");
  EXPECT_EQ(ProfileText().find("Environment\\TERM]"), std::string::npos);
}

TEST_F(SettingsRules, SavesThatWouldMergeEntriesWriteNothing) {
  EnvINFO a{"Path", "1"}, b{"PATH", "2"};
  PasswdINFO p{"Payroll", kSecretDigest}, q{"payroll", kSecretDigest};
  ASSERT_TRUE(Env_SaveList({&a}));
  ASSERT_TRUE(Passwd_SaveList({&p}));
  std::string before = ProfileText();
  EXPECT_FALSE(Env_SaveList({&a, &b}));
  EXPECT_FALSE(Passwd_SaveList({&p, &q}));
  EXPECT_FALSE(Env_SaveList({&b, nullptr}));
  EXPECT_EQ(ProfileText(), before);
}

TEST_F(SettingsRules, EntryChecksIgnoreCaseAndSkipTheEditedEntry) {
  std::vector<std::string> names{"PATH", "TERM"};
  struct Case {
    EnvINFO entry;
    int except;
    const char* caption;  // null: accepted
  } cases[] = {
      {{"", "x"}, -1, "Missing Entry"},
      {{"path", "x"}, -1, "Duplicate Variable Name"},
      {{"Path", "x"}, 0, nullptr},  // the entry itself, renamed in case
      {{"term", "x"}, 0, "Duplicate Variable Name"},
      {{"HOME", ""}, -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry.Name);
    std::optional<SettingsBox> box = Env_CheckEntry(c.entry, names, c.except);
    if (c.caption == nullptr) {
      EXPECT_FALSE(box.has_value());
    } else {
      ASSERT_TRUE(box.has_value());
      EXPECT_EQ(box->caption, c.caption);
    }
  }
  std::optional<SettingsBox> box = Env_CheckEntry({"path", ""}, names, -1);
  EXPECT_EQ(box->text, "Variable \"path\" is already in use.\nPlease choose a different variable name.");

  struct PwCase {
    PasswdEntryFields fields;
    const char* caption;
    const char* text_part;
  } pw_cases[] = {
      {{"payroll", "a", "a"}, "Duplicate Password Description", "The password titled \"payroll\" is already in use."},
      {{"", "a", "a"}, "Missing Entry", "\"Description\""},
      {{"New", "", ""}, "Missing Entry", "\"Password\""},
      {{"New", "a", "b"}, "Invalid Password", "\"Confirm Password\"."},
  };
  for (const PwCase& c : pw_cases) {
    SCOPED_TRACE(c.caption);
    box = Passwd_CheckEntry(c.fields, {"Payroll"}, -1);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, c.caption);
    EXPECT_NE(box->text.find(c.text_part), std::string::npos) << box->text;
  }
  EXPECT_FALSE(Passwd_CheckEntry({"New", "a", "a"}, {"Payroll"}, -1).has_value());
}

TEST_F(SettingsRules, DigestsAreLowerCaseMd5AndKeptWhenTheFieldIsUnchanged) {
  EXPECT_EQ(Passwd_Digest("secret"), kSecretDigest);
  EXPECT_EQ(Passwd_EntryDigest(kSecretDigest, kSecretDigest), kSecretDigest);
  EXPECT_EQ(Passwd_EntryDigest(kSecretDigest, "secret"), kSecretDigest);
  EXPECT_EQ(Passwd_EntryDigest("", "secret"), kSecretDigest);
  EXPECT_NE(Passwd_EntryDigest(kSecretDigest, "other"), kSecretDigest);

  EXPECT_EQ(Passwd_AddToList("Payroll", kSecretDigest), PasswdAddResult::Added);
  EXPECT_EQ(Passwd_AddToList("PAYROLL", "0"), PasswdAddResult::Duplicate);
  EXPECT_EQ(Passwd_AddToList("", "0"), PasswdAddResult::Empty);
  std::vector<PasswdINFO> list = Passwd_LoadList();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Digest, kSecretDigest);
}

TEST_F(SettingsRules, ChangingAPassword) {
  struct Case {
    const char* name;
    const char* digest;
    const char* old_password;
    const char* new_password;
    const char* confirm;
    PasswdChangeResult result;
    std::string digest_after;
  } cases[] = {
      {"unprotected: no old password asked", "", "ignored", "secret", "secret", PasswdChangeResult::Set, kSecretDigest},
      {"wrong old password touches nothing", kSecretDigest, "guess", "new", "new", PasswdChangeResult::WrongOld,
       kSecretDigest},
      {"confirmation differs", kSecretDigest, "secret", "a", "b", PasswdChangeResult::Unverified, kSecretDigest},
      {"twice empty removes the protection", kSecretDigest, "secret", "", "", PasswdChangeResult::Set, ""},
      {"changed", kSecretDigest, "secret", "other", "other", PasswdChangeResult::Set, Passwd_Digest("other")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string digest = c.digest;
    EXPECT_EQ(Passwd_Change(&digest, c.old_password, c.new_password, c.confirm), c.result);
    EXPECT_EQ(digest, c.digest_after);
  }
}

}  // namespace
