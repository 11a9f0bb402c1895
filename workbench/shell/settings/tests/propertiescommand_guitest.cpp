// The main frame's Application Properties command in the running
// environment: its menu item opens the sheet on the application's settings,
// a change applied there reaches the application's record and the profile,
// and the program documents take the settings over afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QAction>
#include <QSpinBox>
#include <QTest>

#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/tests/settingstest.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/settings/apppages.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/shell/settings/tests/dialogscript.h"

namespace {

class CountingProgram : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  void ApplySettings() override { ++applied; }
  int applied = 0;
};

class PropertiesCommand : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    Fw_TestQApp();
    AppSheet_SetLastActive(0);
    Shell_Neighbours().program = &program;
    app = std::make_unique<CYqApp>();
    ASSERT_TRUE(app->InitInstance({"-nologo"}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->MainWnd()));
  }
  void TearDown() override {
    if (app) {
      if (app->MainWnd()->isVisible()) app->MainWnd()->close();
      app->ExitInstance();
      app.reset();
    }
    Shell_ResetNeighbours();
    SettingsTest::TearDown();
  }

  RecordingSink sink;
  CountingProgram program;
  DialogScript script;
  std::unique_ptr<CYqApp> app;
};

TEST_F(PropertiesCommand, MenuItemOpensTheApplicationsSheetAndProgramsTakeItOver) {
  EXPECT_FALSE(app->RouteUpdate(ID_APP_PROPERTIES).enabled);  // nothing plugged in yet
  Settings_Install();
  EXPECT_TRUE(app->RouteUpdate(ID_APP_PROPERTIES).enabled);
  QAction* item = app->Commands().Action(ID_APP_PROPERTIES);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Application P&roperties...");

  const uint32_t tab = app->m_Config.Edit.items[0].TabSize;
  script.Then([&](QDialog* d) {
    auto* sheet = dynamic_cast<CAppPropertySheet*>(d);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "QX Varnica Development Environment Properties");
    EXPECT_EQ(sheet->PageMask(), 2015u);
    EXPECT_EQ(sheet->parentWidget(), app->MainWnd());
    ASSERT_TRUE(sheet->SetActivePage(sheet->IndexOf(sheet->GetPage(SettingsPage_Edit))));
    auto* spin = sheet->findChild<QSpinBox*>("TabSize");
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_Up);
    sheet->accept();
  });
  item->trigger();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.unexpected, 0);
  EXPECT_EQ(app->m_Config.Edit.items[0].TabSize, tab + 1);
  EXPECT_EQ(Cfg_GetInt("Settings\\Edit\\ProgramFiles", "TabSize"), static_cast<int>(tab + 1));
  EXPECT_EQ(program.applied, 1);
}

}  // namespace
