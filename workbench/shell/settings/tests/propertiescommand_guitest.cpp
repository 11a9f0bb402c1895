// The main frame's Application Properties command in the running
// environment: its menu item opens the sheet on the application's settings,
// a change applied there reaches the application's record and the profile,
// and the program documents take the settings over afterwards; the help
// settings reach the browse bar's panes and the addresses help goes to.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QTest>

#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/tests/settingstest.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/apphelp.h"
#include "workbench/shell/browse/browseplug.h"
#include "workbench/shell/browse/contentwnd.h"
#include "workbench/shell/browse/xrefwnd.h"
#include "workbench/shell/frames/browsebar.h"
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

// The help viewer: the base address and topic of each request.
class RecordingViewer : public HelpSink {
 public:
  RecordingViewer() { Help_SetSink(this); }
  ~RecordingViewer() override { Help_SetSink(nullptr); }
  void show(const std::string& base, const std::string& topic) override { shown.push_back(base + " " + topic); }
  std::vector<std::string> shown;
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
  EXPECT_EQ(item->text(), "&Application Properties...");

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

// Applying a new help project file on the Help page reloads the help pane
// of the main frame's browse bar from it.
TEST_F(PropertiesCommand, HelpApplyReloadsTheBrowseBarsHelpPane) {
  Settings_Install();
  BrowsePanes panes = Browse_Install(app->MainWnd()->BrowseBar());
  ASSERT_NE(panes.contents, nullptr);
  ASSERT_EQ(Browse_HelpPane(), panes.contents);
  const std::string project = dir.file("manual.cfg");
  vtest::write_file(project, "T 1 Orders\nD 2 Entering an order\n");
  EXPECT_EQ(panes.contents->Tree()->topLevelItemCount(), 0);
  script.Then([&](QDialog* d) {
    auto* sheet = dynamic_cast<CAppPropertySheet*>(d);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->SetActivePage(sheet->IndexOf(sheet->GetPage(SettingsPage_Help))));
    type_into(sheet, "ConfigLocation", project.c_str());
    QTest::mouseClick(sheet->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(panes.contents->Tree()->topLevelItemCount(), 1);  // before the sheet closes
    sheet->accept();
  });
  ASSERT_TRUE(app->RouteCommand(ID_APP_PROPERTIES));
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(panes.contents->Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(panes.contents->Tree()->topLevelItem(0)->text(0), "Orders");
}

// The help pane's entries are shown at the base address that the project
// file names ("M"), the local one beside the file when no Web address is set
// up; a file without one leaves the Web address as the base.
TEST_F(PropertiesCommand, HelpEntriesAreShownAtTheBaseTheProjectFileNames) {
  RecordingViewer viewer;
  Settings_Install();
  CBrowseBar* bar = app->MainWnd()->BrowseBar();
  BrowsePanes panes = Browse_Install(bar);
  ASSERT_NE(panes.contents, nullptr);
  bar->SetShown(true);
  bar->Tabs()->setCurrentIndex(1);
  const std::string project = dir.file("manual.cfg");
  const std::string plain = dir.file("plain.cfg");
  vtest::write_file(project, "M guide.htm\nT 1 Orders\nD 2 Entering an order\nU enter.htm\n");
  vtest::write_file(plain, "T 1 Orders\nD 2 Entering an order\nU plain.htm\n");
  auto apply_help = [&](const std::string& location, const char* url) {
    script.Then([&, location, url](QDialog* d) {
      auto* sheet = dynamic_cast<CAppPropertySheet*>(d);
      ASSERT_NE(sheet, nullptr);
      ASSERT_TRUE(sheet->SetActivePage(sheet->IndexOf(sheet->GetPage(SettingsPage_Help))));
      type_into(sheet, "ConfigLocation", location.c_str());
      type_into(sheet, "ConfigURL", url);
      sheet->accept();
    });
    ASSERT_TRUE(app->RouteCommand(ID_APP_PROPERTIES));
  };
  auto open_entry = [&] {
    QTreeWidget* tree = panes.contents->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* page = tree->topLevelItem(0)->child(0);
    ASSERT_NE(page, nullptr);
    tree->expandAll();
    const QPoint at = tree->visualItemRect(page).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    app->RunIdle();
  };

  apply_help(project, "");
  open_entry();
  apply_help(plain, "http://docs.example");
  open_entry();
  apply_help(project, "http://docs.example");
  open_entry();
  EXPECT_EQ(viewer.shown,
            (std::vector<std::string>{"file://" + dir.path() + "/guide.htm enter.htm", "http://docs.example plain.htm",
                                      "http://docs.example/guide.htm enter.htm"}));
  EXPECT_TRUE(sink.boxes.empty());
}

// F1 on either pane of the browse bar shows the pane's own topic, before
// the main window's Help, whose key it is too.
TEST_F(PropertiesCommand, F1OnABrowsePaneShowsThePanesOwnTopic) {
  RecordingViewer viewer;
  app->m_Config.Help.ConfigURL = "http://docs.example";
  CBrowseBar* bar = app->MainWnd()->BrowseBar();
  BrowsePanes panes = Browse_Install(bar);
  ASSERT_NE(panes.xref, nullptr);
  ASSERT_NE(panes.contents, nullptr);
  bar->SetShown(true);
  const std::pair<int, QWidget*> trees[] = {{0, panes.xref->View()}, {1, panes.contents->Tree()}};
  for (const auto& [tab, tree] : trees) {
    bar->Tabs()->setCurrentIndex(tab);
    app->MainWnd()->activateWindow();
    tree->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([tree] { return tree->hasFocus(); }));
    QTest::keyClick(tree, Qt::Key_F1);
    app->RunIdle();
  }
  EXPECT_EQ(viewer.shown,
            (std::vector<std::string>{"http://docs.example HIDW_XREF_PANE", "http://docs.example HIDW_CONTENT_PANE"}));
}

}  // namespace
