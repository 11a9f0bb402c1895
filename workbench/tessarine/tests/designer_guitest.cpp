// The environment with the dialog designer joined, started in-process on a
// temporary registry with the test plug-in: the shell lists the plug-in in
// File New and the explorer's combos, opens its files in designer frames,
// saves them with Save All and keeps its coordinate fields on the selection.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "platform/registry.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/views/pluginui/plugininfodlg.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgshellplug.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/controls/filecombos.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

std::string TempDir() {
  char templ[] = "/tmp/tessarine-designer-XXXXXX";
  return std::string(mkdtemp(templ));
}

class Designer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const std::string dir = TempDir();
    setenv("VARNICA_REGISTRY", dir.c_str(), 1);
    reg_reset_default_store();
    Fw_TestQApp();
  }

  void SetUp() override {
    app = std::make_unique<CYqApp>();
    designer = Designer_Install(*app, TESTPLUG_DIR);
    ASSERT_TRUE(app->InitInstance({"-nologo"}));
    main = app->MainWnd();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
  }

  void TearDown() override {
    if (main != nullptr && main->isVisible()) main->close();
    if (app) app->ExitInstance();
    designer.reset();
    app.reset();
    PluginID::Shutdown();
    Shell_ResetNeighbours();
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  // The designer view of the active frame, or null.
  CDlgEditView* ActiveDesigner() const {
    FwChildFrame* child = main->ActiveChild();
    return child != nullptr ? dynamic_cast<CDlgEditView*>(child->ActiveView()) : nullptr;
  }

  RecordingSink sink;
  std::string dir = TempDir();
  std::unique_ptr<CYqApp> app;
  std::unique_ptr<DlgShellPlug> designer;
  CMainFrame* main = nullptr;
};

TEST_F(Designer, TheStartedManagerListsThePlugInForTheShell) {
  DesignerLink* link = Shell_Neighbours().designer;
  ASSERT_TRUE(link->Plugged());
  const std::vector<DesignerPlugin> plugins = link->Plugins();
  ASSERT_EQ(plugins.size(), 1u);
  EXPECT_EQ(plugins[0].type_name, "Test Script Dialog");
  EXPECT_EQ(plugins[0].filter, "Test Script Files");
  ASSERT_FALSE(plugins[0].file_types.empty());
  EXPECT_EQ(plugins[0].file_types[0].extension, ".tsd");
  EXPECT_TRUE(plugins[0].file_types[0].writable);

  QMenu menu;
  main->FillFileNewMenu(&menu);
  std::vector<std::string> texts;
  for (QAction* a : menu.actions()) texts.push_back(a->text().toStdString());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Test Script Dialog"), texts.end());

  DesignerFileType type;
  EXPECT_EQ(CFileOpenAsCB::FindPluginFileType("/x/Form.TSD", &type), 0);
  EXPECT_EQ(type.extension, ".tsd");
  EXPECT_EQ(CFileOpenAsCB::FindPluginFileType("/x/form.txt", &type), -1);
  CfgExplore explore;
  CFileTypeCB filter(&explore, false);
  filter.setCurrentIndex(2);  // after the program and text entries
  EXPECT_TRUE(filter.Matches("/x/form.tsd"));
  EXPECT_FALSE(filter.Matches("/x/form.q"));
}

TEST_F(Designer, AnOpenedDialogFileIsSavedBySaveAll) {
  const std::string path = Write("form.tsd", "begin dlg Dialog\nend\n");
  ASSERT_TRUE(Shell_Neighbours().designer->OpenFile(path.c_str(), -1, -1));
  ASSERT_EQ(CDlgEditDoc::Documents().size(), 1u);
  CDlgEditDoc* doc = CDlgEditDoc::Documents().front();
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_TRUE(app->Windows().Kind(IDR_DLGEDITTYPE) != nullptr);

  std::remove(path.c_str());
  doc->SetModifiedFlag(true);
  ASSERT_TRUE(app->RouteCommand(ID_FILE_SAVE_ALL));
  EXPECT_TRUE(std::ifstream(path).good());
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(Designer, AClaimedFileOpensInTheDesignerAndOthersAreLeft) {
  const std::string dialog = Write("claimed.TSD", "begin dlg Dialog\nend\n");
  EXPECT_TRUE(designer->OpenClaimedFile(dialog));
  ASSERT_EQ(CDlgEditDoc::Documents().size(), 1u);
  EXPECT_EQ(CDlgEditDoc::Documents().front()->GetPathName(), dialog);
  // A claimed file that does not load is still the designer's.
  const std::string broken = Write("broken.tsd", "begin nothing\n");
  EXPECT_TRUE(designer->OpenClaimedFile(broken));
  EXPECT_EQ(CDlgEditDoc::Documents().size(), 1u);
  EXPECT_FALSE(designer->OpenClaimedFile(Write("program.txt", "PRINT 1\n")));
  EXPECT_EQ(CDlgEditDoc::Documents().size(), 1u);
}

TEST_F(Designer, ThePlugInPagesInfoShowsTheLoadedModule) {
  std::string title, ident, types;
  QTimer::singleShot(0, [&] {
    auto* info = dynamic_cast<CPluginInfoDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(info, nullptr);
    title = info->windowTitle().toStdString();
    ident = info->Field(IDC_PLUGIN_IDENT)->text().toStdString();
    types = info->Field(IDC_PLUGIN_FILETYPES)->text().toStdString();
    info->accept();
  });
  Shell_Neighbours().designer->ShowInfo(0);
  EXPECT_EQ(title, "Plug-In Info");
  EXPECT_EQ(ident, "ide-testplug");
  EXPECT_NE(types.find("*.tsd"), std::string::npos);
  // A place without a plug-in shows nothing.
  Shell_Neighbours().designer->ShowInfo(5);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace

// The status bar's coordinate fields follow the designer's selection: a
// number typed into one moves or sizes the primary object (one undo step,
// a status text); a negative size is refused with an error and a beep;
// Escape goes back to the canvas unchanged and the field shows the
// object's value again; without a selection the fields go.
TEST_F(Designer, CoordinateFieldsSetTheSelectionAndEscapeReturnsToTheCanvas) {
  Shell_SetSink(&sink);
  const std::string path = Write("coords.tsd",
                                 "begin dlg Dialog\n  prop width = 300\n  prop height = 200\n"
                                 "  begin ok Button\n    prop width = 40\n    prop height = 12\n  end\nend\n");
  ASSERT_TRUE(designer->OpenClaimedFile(path));
  CDlgEditView* view = ActiveDesigner();
  ASSERT_NE(view, nullptr);
  CDlgEditDoc* doc = view->Model();
  DlgObject* ok = doc->FindObject("dlg.ok");
  ASSERT_NE(ok, nullptr);
  CYqStatusBar* bar = Shell_StatusBar();
  ASSERT_NE(bar, nullptr);
  main->OnIdleUpdate();
  EXPECT_FALSE(bar->Model().IsActive(SP_X)) << "nothing selected";

  view->Canvas()->SelectObject(ok);
  main->OnIdleUpdate();
  ASSERT_TRUE(bar->Model().IsActive(SP_X));
  ASSERT_TRUE(bar->Model().IsActive(SP_HEIGHT));
  QLineEdit* x = bar->Field(SP_X);
  QLineEdit* width = bar->Field(SP_WIDTH);
  ASSERT_NE(x, nullptr);
  ASSERT_NE(width, nullptr);
  EXPECT_TRUE(x->isEnabled());
  EXPECT_EQ(width->text(), "40");

  x->setFocus();
  x->setText("24");
  QTest::keyClick(x, Qt::Key_Return);
  EXPECT_EQ(ok->GetX(), 24);
  EXPECT_EQ(bar->Model().Message(), "dlg.ok: X set to 24.");
  EXPECT_TRUE(doc->IsModified());

  const int beeps = static_cast<int>(sink.beeps.size());
  width->setFocus();
  width->setText("-5");
  QTest::keyClick(width, Qt::Key_Return);
  EXPECT_EQ(ok->GetWidth(), 40);
  EXPECT_EQ(bar->Model().Message(), "Unable to set negative object dimension.");
  EXPECT_EQ(bar->Model().Kind(), SK_ERROR);
  EXPECT_GT(static_cast<int>(sink.beeps.size()), beeps);

  x->setFocus();
  x->setText("99");
  QTest::keyClick(x, Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view; }));
  main->OnIdleUpdate();
  EXPECT_EQ(ok->GetX(), 24);
  EXPECT_EQ(x->text(), "24");

  view->Canvas()->DeselectAll();
  main->OnIdleUpdate();
  EXPECT_FALSE(bar->Model().IsActive(SP_X));
  Shell_SetSink(nullptr);
}
