// The Application Properties' rules without windows: pages of a mask in tab
// order, the page to open at, the File page's conversion flag and password
// button, and the order of the Server and Debug entry checks.
#include "workbench/shell/settings/sheetrules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> titles(unsigned mask) {
  std::vector<std::string> out;
  for (SettingsPage page : AppSheet_Pages(mask)) out.push_back(AppSheet_PageTitle(page));
  return out;
}

TEST(SheetRules, MasksChooseThePagesInTabOrder) {
  using Titles = std::vector<std::string>;
  struct Case {
    unsigned mask;
    Titles shown;
  };
  const Case cases[] = {
      {SettingsPages_Application,
       {"General", "Server", "Edit", "Program", "Debug", "Passwords", "Environment", "Colors", "Plug-In", "Help"}},
      {SettingsPage_All,
       {"General", "Server", "File", "File", "Edit", "Program", "Debug", "Passwords", "Environment", "Colors",
        "Plug-In", "Help"}},
      {AppSheet_DocumentPages(CfgFileMode_Text_LF), {"File", "Edit"}},
      {AppSheet_DocumentPages(CfgFileMode_BinaryPROGv5), {"File", "Edit", "Program"}},
      {AppSheet_DocumentPages(CfgFileMode_PlugIn), {"File"}},
      {0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(titles(c.mask), c.shown) << c.mask;
  EXPECT_EQ(static_cast<unsigned>(SettingsPages_Application), 2015u);
  EXPECT_EQ(AppSheet_DocumentPages(CfgFileMode_Text_CR), 40u);
  EXPECT_EQ(AppSheet_DocumentPages(CfgFileMode_BinaryPROG), 168u);
  EXPECT_EQ(AppSheet_PageNumber(SettingsPage_OtherFile), 12);
  for (unsigned bad : {0u, 3u, 4096u}) EXPECT_EQ(AppSheet_PageNumber(bad), 0) << bad;
}

TEST(SheetRules, TheSheetOpensAtTheLastActivePageWhenItIsShown) {
  AppSheet_SetLastActive(SettingsPage_Colors);
  EXPECT_EQ(AppSheet_StartIndex(SettingsPages_Application), 7);
  EXPECT_EQ(AppSheet_StartIndex(SettingsPages_ProgramDocument), 0);  // no Colors there
  AppSheet_SetLastActive(SettingsPage_Program);
  EXPECT_EQ(AppSheet_StartIndex(SettingsPages_ProgramDocument), 2);
  AppSheet_SetLastActive(0);
  EXPECT_EQ(AppSheet_StartIndex(SettingsPages_Application), 0);
}

TEST(SheetRules, EditCategoryFollowsTheFilePageElseTheLastChoice) {
  AppSheet_SetEditCategory(EditCategory_Text);
  EXPECT_EQ(AppSheet_EditCategory(false, CfgFileMode_BinaryPROG), EditCategory_Text);
  EXPECT_EQ(AppSheet_EditCategory(true, CfgFileMode_BinaryPROGv6), EditCategory_Program);
  EXPECT_EQ(AppSheet_EditCategory(true, CfgFileMode_Text_CRLF), EditCategory_Text);
  AppSheet_SetEditCategory(EditCategory_Program);
  EXPECT_EQ(AppSheet_EditCategory(false, CfgFileMode_Text_CRLF), EditCategory_Program);
}

TEST(SheetRules, FileChangedFlagFollowsModeCodepageAndPassword) {
  CfgFile document;
  document.FileMode = CfgFileMode_Text_LF;
  struct Case {
    int mode;
    int codepage;
    bool password;
    uint32_t document_flags;
    bool changed;
  };
  const Case cases[] = {
      {CfgFileMode_Text_LF, 0, false, 0, false},
      {CfgFileMode_Text_CR, 0, false, 0, true},
      {CfgFileMode_Text_LF, 1, false, 0, true},
      {CfgFileMode_Text_LF, 0, true, 0, true},
      // Back to the document's own mode: a conversion asked for before stays.
      {CfgFileMode_Text_LF, 0, false, CfgFile::Changed, true},
  };
  for (const Case& c : cases) {
    document.flags = c.document_flags;
    CfgFile working = document;
    working.flags |= CfgFile::Changed;  // left from an earlier choice
    working.FileMode = c.mode;
    working.Codepage = c.codepage;
    AppSheet_UpdateFileChanged(&working, document, c.password);
    EXPECT_EQ((working.flags & CfgFile::Changed) != 0, c.changed) << c.mode << " " << c.codepage;
  }
}

TEST(SheetRules, PasswordButtonTextAndState) {
  CfgFile file;
  file.FileMode = CfgFileMode_BinaryPROGv6;
  EXPECT_EQ(AppSheet_PasswordButtonText(file), "Set &Password...");
  EXPECT_TRUE(AppSheet_PasswordAllowed(file));
  file.PasswordDigest = "5ebe2294ecd0e0f08eab7690d2a6ee69";
  EXPECT_EQ(AppSheet_PasswordButtonText(file), "Change &Password...");
  file.flags = CfgFile::Locked;
  EXPECT_FALSE(AppSheet_PasswordAllowed(file));
  file.flags = 0;
  for (int mode : {CfgFileMode_BinaryPROG, CfgFileMode_BinaryPROGv5, CfgFileMode_Text_CRLF}) {
    file.FileMode = mode;
    EXPECT_FALSE(AppSheet_PasswordAllowed(file)) << mode;
  }
}

TEST(SheetRules, ServerEntryChecksInOrder) {
  const std::vector<std::string> names = {"prod", "test"};
  const ServerFields full{"Lab", "lab", "rodada", "bob", "pw", "pw"};
  struct Case {
    const char* what;
    ServerFields fields;
    int except;
    const char* caption;  // null: accepted
    const char* text;
  };
  auto with = [&](auto change) {
    ServerFields f = full;
    change(f);
    return f;
  };
  const Case cases[] = {
      {"complete", full, -1, nullptr, nullptr},
      {"name taken but for case", with([](ServerFields& f) { f.server = "PROD"; }), -1, "Duplicate Server Name",
       "The server name \"PROD\" is already in use.\nPlease choose a different server name."},
      {"its own name", with([](ServerFields& f) { f.server = "Prod"; }), 0, nullptr, nullptr},
      {"taken before missing", with([](ServerFields& f) {
         f.server = "test";
         f.title.clear();
       }),
       -1, "Duplicate Server Name", nullptr},
      {"no description", with([](ServerFields& f) { f.title.clear(); }), -1, "Missing Entry",
       "An entry in the field named \"Description\" is required."},
      {"no service", with([](ServerFields& f) { f.service.clear(); }), -1, "Missing Entry",
       "An entry in the field named \"Service\" is required."},
      {"no login", with([](ServerFields& f) { f.login.clear(); }), -1, "Missing Entry",
       "An entry in the field named \"Login ID\" is required."},
      {"no password", with([](ServerFields& f) { f.password.clear(); }), -1, "Missing Entry",
       "An entry in the field named \"Password\" is required."},
      {"confirmation differs", with([](ServerFields& f) { f.confirm = "wp"; }), -1, "Invalid Password",
       "Your password could not be verified.\nPlease enter your password twice,\nfirst in the field named "
       "\"Password\"\nand second in the field named \"Confirm Password\"."},
  };
  for (const Case& c : cases) {
    std::optional<SettingsBox> box = Server_CheckEntry(c.fields, names, c.except);
    if (c.caption == nullptr) {
      EXPECT_FALSE(box.has_value()) << c.what;
      continue;
    }
    ASSERT_TRUE(box.has_value()) << c.what;
    EXPECT_EQ(box->caption, c.caption) << c.what;
    if (c.text) {
      EXPECT_EQ(box->text, c.text) << c.what;
    }
  }
}

TEST(SheetRules, DebugEntryAndRemoveQuestions) {
  const std::vector<std::string> titles = {"Local run"};
  EXPECT_EQ(Debug_CheckEntry("", titles, -1)->caption, "Missing Entry");
  std::optional<SettingsBox> taken = Debug_CheckEntry("LOCAL RUN", titles, -1);
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(taken->caption, "Duplicate Session Title");
  EXPECT_EQ(taken->text,
            "The session titled \"LOCAL RUN\" is already in use.\nPlease choose a different session title.");
  EXPECT_FALSE(Debug_CheckEntry("Local run", titles, 0).has_value());

  struct Case {
    SettingsBox box;
    const char* caption;
    const char* text;
  };
  const Case cases[] = {
      {Server_RemoveQuestion("prod"), "Remove Server", "Are you sure you want to remove the server named \"prod\"?"},
      {Debug_RemoveQuestion("Local"), "Remove Session", "Are you sure you want to remove the session named \"Local\"?"},
      {Passwd_RemoveQuestion("Shop"), "Remove Password",
       "Are you sure you want to remove the password titled \"Shop\"?"},
      {Env_RemoveQuestion("PATH"), "Remove Environment Variable", "Are you sure you want to remove variable \"PATH\"?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.box.caption, c.caption);
    EXPECT_EQ(c.box.text, c.text);
  }
}

}  // namespace
