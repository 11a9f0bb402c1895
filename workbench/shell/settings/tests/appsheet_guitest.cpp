// The Application Properties sheet driven as a user drives it, on a private
// profile: pages and the page it opens at, Apply and Cancel, the entry
// dialogs of the list pages with their refusals, the File page's password
// and the program password dialogs.
#include "workbench/shell/settings/appsheet.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/tests/settingstest.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/debugger/debuginfo.h"
#include "workbench/debugger/debuglist.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/server/serverdlg.h"
#include "workbench/server/serverlist.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/shell/settings/apppages.h"
#include "workbench/shell/settings/passwddlgs.h"
#include "workbench/shell/settings/settingslists.h"
#include "workbench/shell/settings/tests/dialogscript.h"

namespace {

// The MD5 digest text of "secret".
constexpr const char* kSecretDigest = "5ebe2294ecd0e0f08eab7690d2a6ee69";

class AppSheetTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    Fw_TestQApp();
    AppSheet_SetLastActive(0);
    AppSheet_SetEditCategory(EditCategory_Program);
  }

  std::string ProfileText() const { return vtest::read_file(dir.file("user.reg")); }

  // A profile that holds every value, as after a first run.
  void SaveEverything() {
    config.Load(1024, 768);
    config.SetModified(true);
    config.General.Save();
    config.Edit.Save();
    config.Program.Save();
    config.Colors.Save();
  }

  static std::vector<std::string> Titles(const CAppPropertySheet& sheet) {
    std::vector<std::string> out;
    for (int i = 0; i < sheet.PageCount(); ++i) out.push_back(sheet.Page(i)->Title().toStdString());
    return out;
  }
  static void Activate(CAppPropertySheet& sheet, unsigned page) {
    ASSERT_TRUE(sheet.SetActivePage(sheet.IndexOf(sheet.GetPage(page))));
  }
  // The lines of one text that the other lacks.
  static std::vector<std::string> NewLines(const std::string& before, const std::string& after) {
    std::set<std::string> old;
    for (size_t at = 0, nl; at < before.size(); at = nl + 1) {
      nl = before.find('\n', at);
      if (nl == std::string::npos) nl = before.size();
      old.insert(before.substr(at, nl - at));
    }
    std::vector<std::string> added;
    for (size_t at = 0, nl; at < after.size(); at = nl + 1) {
      nl = after.find('\n', at);
      if (nl == std::string::npos) nl = after.size();
      if (!old.count(after.substr(at, nl - at))) added.push_back(after.substr(at, nl - at));
    }
    return added;
  }

  CfgSettings config;
  RecordingSink sink;
  DialogScript script;
};

TEST_F(AppSheetTest, PagesInTabOrderAndTheSheetReopensAtTheLastPageLookedAt) {
  {
    CAppPropertySheet sheet("QX Varnica Development Environment", &config, SettingsPages_Application);
    EXPECT_EQ(sheet.windowTitle(), "QX Varnica Development Environment Properties");
    EXPECT_EQ(Titles(sheet), (std::vector<std::string>{"General", "Server", "Edit", "Program", "Debug", "Passwords",
                                                       "Environment", "Colors", "Plug-In", "Help"}));
    EXPECT_EQ(sheet.ActivePage(), sheet.GetPage(SettingsPage_General));
    sheet.show();
    Activate(sheet, SettingsPage_Colors);
  }
  CAppPropertySheet again("QX", &config, SettingsPages_Application);
  EXPECT_EQ(again.ActivePage(), again.GetPage(SettingsPage_Colors));
  // The Colors page lists the fourteen entries and shows the syntax check
  // of the Program page, which the sheet holds.
  auto* colors = static_cast<CAppPropertyPage5*>(again.GetPage(SettingsPage_Colors));
  EXPECT_EQ(colors->List()->GetItemCount(), CfgTotalColors);
  EXPECT_EQ(colors->List()->headerItem()->text(0), "Category");
  again.show();
  EXPECT_TRUE(colors->SyntaxCheck()->isVisible());
}

TEST_F(AppSheetTest, ApplyWritesTheChangedValueAloneAndNothingWithoutAChange) {
  SaveEverything();
  const std::string before = ProfileText();
  {
    // Every page looked at, nothing changed, OK: not a byte written.
    CAppPropertySheet sheet("QX", &config, SettingsPages_Application);
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i) ASSERT_TRUE(sheet.SetActivePage(i));
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    sheet.accept();
  }
  EXPECT_EQ(ProfileText(), before);

  {
    CAppPropertySheet sheet("QX", &config, SettingsPages_Application);
    sheet.show();
    Activate(sheet, SettingsPage_Edit);
    auto* tab = sheet.findChild<QSpinBox*>("TabSize");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->value(), 3);  // program files
    tab->setFocus();
    QTest::keyClick(tab, Qt::Key_Up);
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    EXPECT_EQ(NewLines(before, ProfileText()), std::vector<std::string>{"\"TabSize\"=dword:00000004"});
    EXPECT_EQ(config.Edit.items[EditCategory_Program].TabSize, 4u);

    // A change that is cancelled goes nowhere.
    QTest::keyClick(tab, Qt::Key_Up);
    sheet.reject();
  }
  EXPECT_EQ(config.Edit.items[EditCategory_Program].TabSize, 4u);
  CAppPropertySheet reopened("QX", &config, SettingsPages_Application);
  EXPECT_EQ(reopened.ActivePage(), reopened.GetPage(SettingsPage_Edit));
  EXPECT_EQ(reopened.findChild<QSpinBox*>("TabSize")->value(), 4);
  EXPECT_EQ(NewLines(before, ProfileText()).size(), 1u);
}

TEST_F(AppSheetTest, OutOfRangeStoredValuesAreNotWrittenBackUnlessChanged) {
  SaveEverything();
  Cfg_PutInt("Settings\\Edit\\ProgramFiles", "TabSize", 99);
  Cfg_PutInt("Settings\\General", "AutoSaveTimeout", 0);
  Cfg_PutInt("Settings\\Program", "StartLine", 0);
  config.Load(1024, 768);
  const std::string before = ProfileText();
  {
    CAppPropertySheet sheet("QX", &config, SettingsPages_Application);
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i) ASSERT_TRUE(sheet.SetActivePage(i));
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    sheet.accept();
  }
  EXPECT_EQ(ProfileText(), before);
  EXPECT_EQ(config.Edit.items[EditCategory_Program].TabSize, 99u);
}

TEST_F(AppSheetTest, ProgramDocumentShowsFileAndEditAndABinaryModeAddsProgram) {
  config.File.FileMode = CfgFileMode_Text_LF;
  CAppPropertySheet sheet("notes.txt", &config, AppSheet_DocumentPages(config.File.FileMode));
  sheet.show();
  EXPECT_EQ(Titles(sheet), (std::vector<std::string>{"File", "Edit"}));
  auto* edit = static_cast<CAppPropertyPage4*>(sheet.GetPage(SettingsPage_Edit));
  Activate(sheet, SettingsPage_Edit);
  EXPECT_FALSE(edit->CategoryCombo()->isEnabled());
  EXPECT_EQ(edit->CategoryCombo()->currentText(), "Text Files");
  EXPECT_EQ(sheet.findChild<QSpinBox*>("TabSize")->value(), 8);

  Activate(sheet, SettingsPage_File);
  auto* mode = sheet.GetPage(SettingsPage_File)->findChild<QComboBox*>("FileMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->currentText(), "Text File (LF line separators)");
  auto* file = static_cast<CAppPropertyPage6*>(sheet.GetPage(SettingsPage_File));
  EXPECT_FALSE(file->PasswordButton()->isEnabled());
  mode->setCurrentIndex(CfgFileMode_BinaryPROGv6 - 1);
  EXPECT_EQ(Titles(sheet), (std::vector<std::string>{"File", "Edit", "Program"}));
  EXPECT_TRUE(file->Copy().flags & CfgFile::Changed);
  EXPECT_TRUE(file->PasswordButton()->isEnabled());
  EXPECT_EQ(file->PasswordButton()->text(), "Set &Password...");
  Activate(sheet, SettingsPage_Edit);
  EXPECT_EQ(edit->CategoryCombo()->currentText(), "Varnica Program Files");
  EXPECT_FALSE(edit->CategoryCombo()->isEnabled());

  Activate(sheet, SettingsPage_File);
  mode->setCurrentIndex(CfgFileMode_Text_LF - 1);
  EXPECT_EQ(Titles(sheet), (std::vector<std::string>{"File", "Edit"}));
  EXPECT_FALSE(file->Copy().flags & CfgFile::Changed);  // back to the document's own mode
  sheet.accept();
  EXPECT_EQ(config.File.FileMode, CfgFileMode_Text_LF);
}

TEST_F(AppSheetTest, ServerPageRefusesBadEntriesAndKeepsTheTypedValues) {
  std::string prod = Cfg_ListAppendUnique("Server", "prod");
  Cfg_PutString(prod.c_str(), "Title", "Production");
  Cfg_PutString(prod.c_str(), "SecurePswd", "not a cipher");
  CAppPropertySheet sheet("QX", &config, SettingsPage_Server);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage2*>(sheet.GetPage(SettingsPage_Server));
  ASSERT_EQ(page->List()->GetItemCount(), 1);

  script.Then([](QDialog* d) {
    EXPECT_EQ(edit_named(d, "1004")->text(), "rodada");  // the service of a new entry
    type_into(d, "1000", "Lab machine");
    type_into(d, "1002", "lab");
    type_into(d, "1020", "bob");
    type_into(d, "1008", "hunter2");
    type_into(d, "1014", "hunter3");
    d->accept();
  });
  script.Then([](QDialog* d) {
    EXPECT_EQ(edit_named(d, "1002")->text(), "lab");  // reopened with what was typed
    EXPECT_EQ(edit_named(d, "1014")->text(), "hunter3");
    type_into(d, "1014", "hunter2");
    type_into(d, "1002", "PROD");
    d->accept();
  });
  script.Then([](QDialog* d) {
    type_into(d, "1002", "lab");
    d->accept();
  });
  QTest::mouseClick(button_named(page, "&New Server..."), Qt::LeftButton);
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].caption, "Invalid Password");
  EXPECT_EQ(sink.boxes[1].caption, "Duplicate Server Name");
  EXPECT_EQ(sink.boxes[1].text, "The server name \"PROD\" is already in use.\nPlease choose a different server name.");
  ASSERT_EQ(page->List()->GetItemCount(), 2);
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  std::string lab = Cfg_ListFind("Server", "lab");
  EXPECT_EQ(Cfg_GetString(lab.c_str(), "Title"), "Lab machine");
  EXPECT_EQ(DecryptString(Cfg_GetString(lab.c_str(), "SecurePswd").c_str(), "lab"), "hunter2");

  // A stored password that does not decipher opens with empty fields.
  page->List()->topLevelItem(0)->setSelected(true);
  script.Then([](QDialog* d) {
    EXPECT_EQ(edit_named(d, "1002")->text(), "prod");
    EXPECT_TRUE(edit_named(d, "1008")->text().isEmpty());
    EXPECT_TRUE(edit_named(d, "1014")->text().isEmpty());
    d->reject();
  });
  QTest::keyClick(page->List(), Qt::Key_Return);
  EXPECT_TRUE(script.Done());

  // Remove asks first; No keeps the entry.
  sink.boxes.clear();
  sink.answer = SHELL_IDNO;
  QTest::keyClick(page->List(), Qt::Key_Delete);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Remove Server");
  EXPECT_EQ(sink.boxes[0].text, "Are you sure you want to remove the server named \"prod\"?");
  EXPECT_EQ(sink.boxes[0].style, SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2);
  EXPECT_EQ(page->List()->GetItemCount(), 2);
  sink.answer = SHELL_IDYES;
  QTest::mouseClick(button_named(page, "&Remove"), Qt::LeftButton);
  EXPECT_EQ(page->List()->GetItemCount(), 1);
  sheet.accept();
  EXPECT_EQ(Cfg_ListNames("Server"), std::vector<std::string>{"lab"});
  EXPECT_EQ(script.unexpected, 0);
}

TEST_F(AppSheetTest, PasswordsStoreDigestsAndRenamingDropsTheOldEntry) {
  CAppPropertySheet sheet("QX", &config, SettingsPage_Passwords | SettingsPage_Environment);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage9*>(sheet.GetPage(SettingsPage_Passwords));
  script.Then([](QDialog* d) {
    type_into(d, "Password", "secret");
    type_into(d, "Confirm", "secret");
    d->accept();
  });
  script.Then([](QDialog* d) {
    type_into(d, "Description", "Payroll");
    d->accept();
  });
  QTest::mouseClick(button_named(page, "&New Password..."), Qt::LeftButton);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text, "An entry in the field named \"Description\" is required.");
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(Cfg_GetString("Passwords\\Payroll", "PswdMD5"), kSecretDigest);

  // Renamed with its digest untouched: the digest stays, the old entry goes.
  page->List()->topLevelItem(0)->setSelected(true);
  script.Then([](QDialog* d) {
    EXPECT_EQ(edit_named(d, "Password")->text(), kSecretDigest);
    type_into(d, "Description", "Wages");
    d->accept();
  });
  QTest::keyClick(page->List(), Qt::Key_Return);
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(Cfg_ListNames("Passwords"), std::vector<std::string>{"Wages"});
  EXPECT_EQ(Cfg_GetString("Passwords\\Wages", "PswdMD5"), kSecretDigest);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.unexpected, 0);
}

TEST_F(AppSheetTest, EnvironmentRefusesMissingAndTakenNamesAndRenames) {
  CAppPropertySheet sheet("QX", &config, SettingsPage_Environment);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage10*>(sheet.GetPage(SettingsPage_Environment));
  EXPECT_EQ(page->List()->headerItem()->text(0), "Variable");
  EXPECT_EQ(page->List()->headerItem()->text(1), "Value");
  auto add = [&](const char* name, const char* value) {
    script.Then([name, value](QDialog* d) {
      type_into(d, "Variable", name);
      type_into(d, "Value", value);
      d->accept();
    });
  };
  add("", "/bin");
  add("PATH", "/bin");
  QTest::keyClick(page->List(), Qt::Key_Insert);
  add("path", "/usr/bin");
  script.Then([](QDialog* d) { d->reject(); });
  QTest::mouseClick(button_named(page, "&New Variable..."), Qt::LeftButton);
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].caption, "Missing Entry");
  EXPECT_EQ(sink.boxes[0].text, "An entry in the field named \"Variable\" is required.");
  EXPECT_EQ(sink.boxes[1].caption, "Duplicate Variable Name");
  EXPECT_EQ(sink.boxes[1].text, "Variable \"path\" is already in use.\nPlease choose a different variable name.");
  EXPECT_EQ(page->List()->GetItemCount(), 1);
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(Cfg_GetString("Environment\\PATH", "Value"), "/bin");

  page->List()->topLevelItem(0)->setSelected(true);
  add("TERM", "vt100");
  QTest::mouseClick(button_named(page, "&Edit..."), Qt::LeftButton);
  sheet.accept();
  EXPECT_EQ(Cfg_ListNames("Environment"), std::vector<std::string>{"TERM"});
  EXPECT_FALSE(has_key("Environment\\PATH"));
  EXPECT_EQ(script.unexpected, 0);
}

TEST_F(AppSheetTest, FilePagePasswordIsSetChangedOnlyWithTheOldOneAndRemoved) {
  config.File.FileMode = CfgFileMode_BinaryPROGv6;
  CAppPropertySheet sheet("a.PROG", &config, AppSheet_DocumentPages(config.File.FileMode));
  sheet.show();
  auto* page = static_cast<CAppPropertyPage6*>(sheet.GetPage(SettingsPage_File));
  auto change = [&](bool old_enabled, const char* old_pw, const char* new_pw, const char* confirm) {
    script.Then([=](QDialog* d) {
      EXPECT_EQ(edit_named(d, "OldPassword")->isEnabled(), old_enabled);
      type_into(d, "OldPassword", old_pw);
      type_into(d, "NewPassword", new_pw);
      type_into(d, "Confirm", confirm);
      d->accept();
    });
    QTest::mouseClick(page->PasswordButton(), Qt::LeftButton);
  };
  change(false, "", "secret", "secret");
  EXPECT_EQ(page->Copy().PasswordDigest, kSecretDigest);
  EXPECT_TRUE(page->Copy().flags & CfgFile::Changed);
  EXPECT_EQ(page->PasswordButton()->text(), "Change &Password...");
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());

  change(true, "wrong", "other", "other");
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Invalid Password");
  EXPECT_EQ(sink.boxes[0].text, "The password you entered in the field\nnamed \"Old Password\" is invalid.");
  EXPECT_EQ(page->Copy().PasswordDigest, kSecretDigest);

  change(true, "secret", "", "");
  EXPECT_TRUE(page->Copy().PasswordDigest.empty());
  EXPECT_EQ(page->PasswordButton()->text(), "Set &Password...");
  sheet.accept();
  EXPECT_TRUE(config.File.PasswordDigest.empty());
  EXPECT_TRUE(config.File.flags & CfgFile::Changed);  // the file is written anew
  EXPECT_EQ(script.unexpected, 0);
}

// Types into whatever has the keyboard once the dialog is active, as a
// user does without clicking into it first: Tab moves to the next field,
// Enter presses OK. A dialog still open afterwards is cancelled.
void type_as_user(QDialog* d, std::initializer_list<const char*> fields) {
  ASSERT_TRUE(QTest::qWaitForWindowActive(d));
  bool first = true;
  for (const char* text : fields) {
    if (!first) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    first = false;
    QTest::keyClicks(QApplication::focusWidget(), text);
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  if (d->isVisible()) d->reject();
}

// The caption of a dialog is seen whole in its title bar.
void expect_whole_caption(QDialog* d) {
  EXPECT_GT(d->width(), QFontMetrics(d->font()).horizontalAdvance(d->windowTitle())) << d->windowTitle().toStdString();
}

// Every entry dialog opens with the keyboard in its first field, so that
// what the user types at once is not lost, and shows its caption and the
// program's file name whole.
TEST_F(AppSheetTest, EntryDialogsTakeTheKeysInTheirFirstFieldAndShowTheirTextsWhole) {
  const std::string file = "/home/somebody/programs/payroll/locked.PROG";
  script.Then([&](QDialog* d) {
    expect_whole_caption(d);
    QLineEdit* name = edit_named(d, "FileName");
    ASSERT_NE(name, nullptr);
    EXPECT_GT(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    type_as_user(d, {"secret"});
  });
  std::string digest;
  bool add = true;
  EXPECT_TRUE(CPasswdDlg::AskPassword(file.c_str(), &digest, &add));
  EXPECT_EQ(digest, kSecretDigest);
  EXPECT_FALSE(add);

  script.Then([](QDialog* d) {
    expect_whole_caption(d);
    type_as_user(d, {"Payroll"});
  });
  EXPECT_TRUE(CPasswdDescDlg::AddToPasswordList(kSecretDigest));
  EXPECT_EQ(Cfg_ListNames("Passwords"), std::vector<std::string>{"Payroll"});

  // Without a password the new one comes first; with one the old one.
  std::string protection;
  script.Then([](QDialog* d) { type_as_user(d, {"secret", "secret"}); });
  EXPECT_TRUE(CChangePasswdDlg::Run(&protection));
  EXPECT_EQ(protection, kSecretDigest);
  script.Then([](QDialog* d) { type_as_user(d, {"secret", "", ""}); });
  EXPECT_TRUE(CChangePasswdDlg::Run(&protection));
  EXPECT_EQ(protection, "");

  CAppPropertySheet sheet("QX", &config, SettingsPage_Passwords | SettingsPage_Environment);
  sheet.show();
  script.Then([](QDialog* d) {
    expect_whole_caption(d);
    type_as_user(d, {"Wages", "secret", "secret"});
  });
  QTest::mouseClick(button_named(sheet.GetPage(SettingsPage_Passwords), "&New Password..."), Qt::LeftButton);
  ASSERT_TRUE(sheet.SetActivePage(sheet.IndexOf(sheet.GetPage(SettingsPage_Environment))));
  script.Then([](QDialog* d) {
    expect_whole_caption(d);
    type_as_user(d, {"PATH", "/bin"});
  });
  QTest::mouseClick(button_named(sheet.GetPage(SettingsPage_Environment), "&New Variable..."), Qt::LeftButton);
  sheet.accept();
  EXPECT_EQ(Cfg_ListNames("Passwords"), (std::vector<std::string>{"Payroll", "Wages"}));
  EXPECT_EQ(Cfg_GetString("Passwords\\Wages", "PswdMD5"), kSecretDigest);
  EXPECT_EQ(Cfg_GetString("Environment\\PATH", "Value"), "/bin");
  EXPECT_TRUE(sink.boxes.empty());
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.unexpected, 0);
}

TEST_F(AppSheetTest, LockedFileOffersNeitherReadOnlyNorPassword) {
  config.File.FileMode = CfgFileMode_BinaryPROGv6;
  config.File.flags = CfgFile::Locked;
  CAppPropertySheet sheet("a.PROG", &config, SettingsPage_File);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage6*>(sheet.GetPage(SettingsPage_File));
  EXPECT_FALSE(page->PasswordButton()->isEnabled());
  EXPECT_FALSE(page->findChild<QCheckBox*>("ReadOnly")->isEnabled());
  EXPECT_TRUE(page->findChild<QCheckBox*>("AutoSave")->isEnabled());
}

}  // namespace

namespace {

TEST_F(AppSheetTest, ColorsSampleAndSyntaxColoringReachTheirRecords) {
  CAppPropertySheet sheet("QX", &config, SettingsPages_Application);
  sheet.resize(640, 480);
  sheet.show();
  Activate(sheet, SettingsPage_Colors);
  auto* page = static_cast<CAppPropertyPage5*>(sheet.GetPage(SettingsPage_Colors));
  auto sample_at = [&](int x, int y) {
    QImage picture = page->Sample()->grab().toImage();
    return picture.pixelColor(static_cast<int>(x * picture.devicePixelRatio()),
                              static_cast<int>(y * picture.devicePixelRatio()));
  };
  EXPECT_EQ(sample_at(2, 2), QColor(Qt::white));  // nothing selected
  page->SetSelectedColor(true, Cfg_RGB(255, 0, 0));
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());  // no entry to colour

  page->List()->setCurrentItem(page->List()->topLevelItem(3));
  page->SetSelectedColor(true, Cfg_RGB(255, 0, 0));
  EXPECT_EQ(sample_at(2, 2), QColor(255, 0, 0));
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());

  ASSERT_TRUE(page->SyntaxCheck()->isChecked());
  click_check(page->SyntaxCheck());
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(config.Colors.entries[3].bg, Cfg_RGB(255, 0, 0));
  EXPECT_FALSE(config.Program.options & CfgProgram::SyntaxColor);
  CfgColor stored = 0;
  EXPECT_TRUE(
      Cfg_GetColor("Settings\\Colors", (std::string("Bg") + config.Colors.entries[3].regname).c_str(), &stored));
  EXPECT_EQ(stored, Cfg_RGB(255, 0, 0));
  Activate(sheet, SettingsPage_Program);
  auto* program_check = sheet.GetPage(SettingsPage_Program)->findChild<QCheckBox*>("Syntax-coloring");
  ASSERT_NE(program_check, nullptr);
  EXPECT_FALSE(program_check->isChecked());
}

TEST_F(AppSheetTest, HelpApplyStoresTheNormalForm) {
  CAppPropertySheet sheet("QX", &config, SettingsPage_Help | SettingsPage_General);
  sheet.show();
  // General: the interval and folder follow the auto-save check.
  auto* autosave = sheet.findChild<QCheckBox*>("AutoSave");
  auto* interval = sheet.findChild<QSpinBox*>("Interval");
  ASSERT_TRUE(autosave->isChecked());
  EXPECT_TRUE(interval->isEnabled());
  click_check(autosave);
  EXPECT_FALSE(interval->isEnabled());
  EXPECT_FALSE(edit_named(&sheet, "AutoSaveLocation")->isEnabled());

  Activate(sheet, SettingsPage_Help);
  type_into(&sheet, "ConfigLocation", "/doc//manuals/yqhelp.cfg");
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(config.Help.ConfigLocation, "/doc/manuals/yqhelp.cfg");
  EXPECT_EQ(std::string(Sys_GetHelpConfigFile()), "/doc/manuals/yqhelp.cfg");
  EXPECT_FALSE(config.General.flags & CfgGeneral::AutoSave);
  EXPECT_EQ(edit_named(&sheet, "ConfigLocation")->text(), "/doc/manuals/yqhelp.cfg");
  sheet.accept();
}

}  // namespace

namespace {

// Editing a session with Edit... is a change of the page: Apply comes on,
// and the sheet's OK keeps the new command and options.
TEST_F(AppSheetTest, AnEditedDebugSessionIsKeptByTheSheetsOk) {
  DebugINFO local;
  local.Description = "Local run";
  local.Command = "--script old.txt";
  ASSERT_TRUE(DebugInfo_Save({&local}));
  config.Debug.CurrentSession = 0;
  CAppPropertySheet sheet("QX", &config, SettingsPage_Debug);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage3*>(sheet.GetPage(SettingsPage_Debug));
  ASSERT_EQ(page->List()->GetSelectedIdx(), 0);
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
  script.Then([](QDialog* d) {
    type_into(d, "1057", "--script new.txt");
    auto* execute = d->findChild<QCheckBox*>("1084");
    ASSERT_NE(execute, nullptr);
    execute->setChecked(true);
    d->accept();
  });
  QTest::mouseClick(button_named(page, "&Edit..."), Qt::LeftButton);
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  sheet.accept();
  const std::string entry = Cfg_ListGet("Debug", 0);
  EXPECT_EQ(Cfg_GetString(entry.c_str(), "Command"), "--script new.txt");
  bool append = false;
  EXPECT_TRUE(Cfg_GetBool(entry.c_str(), "AppendCurrentFile", &append));
  EXPECT_TRUE(append);
  EXPECT_EQ(script.unexpected, 0);
}

TEST_F(AppSheetTest, DebugPageKeepsTitlesApartAndTheSelectedSessionIsTheCurrentOne) {
  DebugINFO local, remote;
  local.Description = "Local run";
  remote.Description = "Remote";
  ASSERT_TRUE(DebugInfo_Save({&local, &remote}));
  config.Debug.CurrentSession = 1;
  CAppPropertySheet sheet("QX", &config, SettingsPage_Debug);
  sheet.show();
  auto* page = static_cast<CAppPropertyPage3*>(sheet.GetPage(SettingsPage_Debug));
  ASSERT_EQ(page->List()->GetItemCount(), 2);
  EXPECT_EQ(page->List()->GetSelectedIdx(), 1);
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

  for (const char* description : {"", "LOCAL RUN", "Nightly"})
    script.Then([description](QDialog* d) {
      type_into(d, "1060", description);
      d->accept();
    });
  QTest::mouseClick(button_named(page, "&New Session..."), Qt::LeftButton);
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].text, "An entry in the field named \"Description\" is required.");
  EXPECT_EQ(sink.boxes[1].caption, "Duplicate Session Title");
  EXPECT_EQ(sink.boxes[1].text,
            "The session titled \"LOCAL RUN\" is already in use.\nPlease choose a different session title.");
  EXPECT_EQ(page->List()->GetSelectedIdx(), 2);  // the new session is the current one
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_EQ(Cfg_ListNames("Debug"), (std::vector<std::string>{"Local run", "Remote", "Nightly"}));
  EXPECT_EQ(config.Debug.CurrentSession, 2);
  EXPECT_EQ(Cfg_GetInt("Debug", "CurrentSession"), 2);

  // Picking another session is a change of its own.
  page->List()->SelectItem(0);
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  sink.boxes.clear();
  sink.answer = SHELL_IDYES;
  page->List()->SelectItem(2);
  QTest::keyClick(page->List(), Qt::Key_Delete);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Remove Session");
  EXPECT_EQ(sink.boxes[0].text, "Are you sure you want to remove the session named \"Nightly\"?");
  sheet.accept();
  EXPECT_EQ(Cfg_ListNames("Debug"), (std::vector<std::string>{"Local run", "Remote"}));
  EXPECT_EQ(config.Debug.CurrentSession, page->List()->GetSelectedIdx());
  EXPECT_EQ(script.unexpected, 0);
}

}  // namespace
