// A protected program opened by a program document whose password
// questions go through the settings neighbour: the real dialogs ask, the
// password joins the list under a description that no entry has.
#include <gtest/gtest.h>

#include <string>

#include <QCheckBox>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/tests/settingstest.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/programs/progdoc.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/shell/settings/tests/dialogscript.h"

namespace {

// The MD5 digest text of "secret".
constexpr const char* kSecretDigest = "5ebe2294ecd0e0f08eab7690d2a6ee69";

class ProtectedProgram : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    Fw_TestQApp();
  }
  // A program stored by the store tool with a password; its path.
  std::string store_protected(const char* password) {
    vtest::write_file(dir.file("secret.txt"), "PRINT \"Hello\"\n");
    vtest::RunResult r =
        vtest::run("store", {"-r", "2", "-p", password, "-o", dir.file("secret"), dir.file("secret.txt")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file("secret.PROG");
  }

  CfgSettings config;
  RecordingSink sink;
  DialogScript script;
};

// The program document's host as the windowed document answers it: the
// password questions go to the settings neighbour.
class NeighbourHost : public ProgDocHost {
 public:
  bool AskPassword(const std::string& file_name, std::string* digest, bool* remember) override {
    return Shell_Neighbours().settings->AskPassword(file_name.c_str(), digest, remember);
  }
  void RememberPassword(const std::string& digest) override { Shell_Neighbours().settings->AddToPasswordList(digest); }
};

TEST_F(ProtectedProgram, ProtectedProgramOpensThroughTheRealDialogAndJoinsTheList) {
  Settings_Install();
  NeighbourHost host;
  const std::string program = store_protected("secret");
  Cfg_ListAppendUnique("Passwords", "Shop");  // taken, in another case

  script.Then([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Program is password-protected, please enter password");
    EXPECT_EQ(edit_named(d, "FileName")->text().toStdString(), program);
    d->accept();  // empty: a beep, and the dialog stays
    EXPECT_EQ(sink.beeps.size(), 1u);
    EXPECT_TRUE(d->isVisible());
    type_into(d, "Password", "secret");
    d->findChild<QCheckBox*>("AddToList")->setChecked(true);
    d->accept();
  });
  script.Then([](QDialog* d) {
    type_into(d, "Description", "SHOP");
    d->accept();
  });
  script.Then([](QDialog* d) {
    type_into(d, "Description", "Payroll");
    d->accept();
  });
  ProgDoc reader(&host, config);
  ASSERT_TRUE(reader.Open(program.c_str(), CfgFileMode_Auto));
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(reader.Config().File.PasswordDigest, kSecretDigest);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Duplicate Password Description");
  EXPECT_EQ(Cfg_GetString("Passwords\\Payroll", "PswdMD5"), kSecretDigest);

  // Cancelling the question gives no digest and no entry.
  std::string digest = "left over";
  bool add = true;
  script.Then([](QDialog* d) { d->reject(); });
  EXPECT_FALSE(Shell_Neighbours().settings->AskPassword("x.PROG", &digest, &add));
  EXPECT_TRUE(digest.empty());
  EXPECT_FALSE(add);
  Shell_ResetNeighbours();
  EXPECT_EQ(script.unexpected, 0);
}

}  // namespace
