// The environment with the dialog designer joined, started in-process on a
// temporary registry with the test plug-in: the shell lists the plug-in in
// File New and the explorer's combos, opens its files in designer frames,
// saves them with Save All and keeps its coordinate fields on the selection.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "platform/registry.h"
#include "workbench/base/sysutil.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditframe.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/tests/saveasrun.h"
#include "workbench/explorer/view/exploreframe.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/shell/settings/tests/dialogscript.h"
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
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

std::string TempDir() {
  char templ[] = "/tmp/tessarine-designer-XXXXXX";
  return std::string(mkdtemp(templ));
}

class Designer : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("tessarine-designer"); }

  void SetUp() override {
    // As the program puts it together: program documents, the settings
    // sheet, the designer and the explorer.
    ASSERT_NO_FATAL_FAILURE(StartShell([this] {
      Programs_Install();
      Editor_Install();
      Settings_Install();
      designer = Designer_Install(*app, TESTPLUG_DIR);
      CProgDoc::SetPluginOpener([this](const std::string& path) { return designer->OpenClaimedFile(path); });
      app->m_Explore.SaveDirectory = dir;
      explorer = Explorer_Install(app->m_Explore, app->m_Config, &app->m_MruFiles);
    }));
  }

  void TearDown() override {
    if (explorer)
      for (CExploreDoc* d : explorer->Documents())
        if (CExploreFrame* f = d->Frame()) f->close();
    QCoreApplication::processEvents();
    sink.answer = SHELL_IDNO;  // changes left are given up
    COutputDoc::Shutdown();
    if (main != nullptr && main->isVisible()) main->close();
    if (app) app->ExitInstance();
    explorer.reset();
    CProgDoc::SetPluginOpener(nullptr);
    designer.reset();
    app.reset();
    PluginID::Shutdown();
    Shell_ResetNeighbours();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  // The designer frame of the only dialog document, made active.
  FwChildFrame* ActiveDialogFrame() {
    if (CDlgEditDoc::Documents().size() != 1) return nullptr;
    CDlgDocWin* doc = CDlgDocWin::Of(CDlgEditDoc::Documents().front());
    if (doc == nullptr || doc->Frames().empty()) return nullptr;
    FwChildFrame* frame = doc->Frames().front();
    frame->mdiArea()->setActiveSubWindow(frame);
    if (FwView* view = frame->ActiveView()) view->setFocus();
    return frame;
  }

  // Routes `command` and runs `inside` in the Save As window it opens;
  // false when none opened.
  bool RunSaveAs(int command, const std::function<void(CExploreDoc*)>& inside) {
    return Explorer_RunSaveAs(
        *explorer, [&] { app->Commands().Trigger(command); }, inside);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
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
  std::unique_ptr<DlgShellPlug> designer;
  std::unique_ptr<ExplorerWindows> explorer;
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

// File Close in a designer window closes every window of the dialog
// document after one question: Cancel keeps them, No gives the changes up,
// Yes saves first.
TEST_F(Designer, FileCloseClosesTheDialogDocumentAfterOneQuestion) {
  const std::string text = "begin dlg Dialog\nend\n";
  struct Case {
    const char* name;
    int answer;
    bool stays_open;
    bool saved;
  };
  const Case cases[] = {
      {"Cancel", SHELL_IDCANCEL, true, false},
      {"No", SHELL_IDNO, false, false},
      {"Yes", SHELL_IDYES, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("close.tsd", text);
    ASSERT_TRUE(Shell_Neighbours().designer->OpenFile(path.c_str(), -1, -1));
    QPointer<FwChildFrame> frame = ActiveDialogFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(app->Commands().Trigger(ID_WINDOW_NEW));
    CDlgEditDoc* doc = CDlgEditDoc::Documents().front();
    ASSERT_EQ(CDlgDocWin::Of(doc)->Frames().size(), 2u);
    QPointer<FwChildFrame> second = CDlgDocWin::Of(doc)->Frames().back();
    EXPECT_TRUE(app->RouteUpdate(ID_FILE_CLOSE).enabled);
    doc->SetModifiedFlag(true);
    Write("close.tsd", "# changed outside\n" + text);
    sink.boxes.clear();
    sink.answer = c.answer;
    EXPECT_TRUE(app->Commands().Trigger(ID_FILE_CLOSE));
    QCoreApplication::processEvents();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Save changes to " + path + "?");
    EXPECT_EQ(sink.boxes[0].style, SHELL_MB_YESNOCANCEL | SHELL_MB_ICONQUESTION);
    EXPECT_EQ(!frame.isNull() && frame->isVisible(), c.stays_open);
    EXPECT_EQ(!second.isNull() && second->isVisible(), c.stays_open);
    EXPECT_EQ(CDlgEditDoc::Documents().size(), c.stays_open ? 1u : 0u);
    EXPECT_EQ(Read(path), c.saved ? text : "# changed outside\n" + text);
    if (c.stays_open) {
      sink.answer = SHELL_IDNO;
      ASSERT_TRUE(app->Commands().Trigger(ID_FILE_CLOSE));
      QCoreApplication::processEvents();
      EXPECT_TRUE(CDlgEditDoc::Documents().empty());
    }
  }
}

// A dialog file opened in the designer joins the recent files, and the
// File menu's entry opens it in the designer again.
TEST_F(Designer, RecentFilesListDialogFilesAndReopenThemInTheDesigner) {
  const std::string path = Write("recent.tsd", "begin dlg Dialog\nend\n");
  const std::string program = Write("other.txt", "PRINT 1\n");
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(program.c_str(), 0));
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(path.c_str(), 0) || !CDlgEditDoc::Documents().empty());
  ASSERT_EQ(CDlgEditDoc::Documents().size(), 1u);
  ASSERT_GE(app->m_MruFiles.files.Count(), 2);
  EXPECT_EQ(app->m_MruFiles.GetFile(0), path);
  main->RefreshRecentFiles();
  QAction* first = app->Commands().Action(ID_FILE_MRU_FILE1);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_NE(first->text().toStdString().find("recent.tsd"), std::string::npos) << first->text().toStdString();

  ASSERT_NE(ActiveDialogFrame(), nullptr);
  ASSERT_TRUE(app->Commands().Trigger(ID_FILE_CLOSE));
  QCoreApplication::processEvents();
  ASSERT_TRUE(CDlgEditDoc::Documents().empty());
  // The text file went on top meanwhile; the dialog file is the second.
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(program.c_str(), 0));
  EXPECT_EQ(app->m_MruFiles.GetFile(1), path);
  main->RefreshRecentFiles();
  ASSERT_TRUE(app->Commands().Trigger(ID_FILE_MRU_FILE1 + 1));
  QCoreApplication::processEvents();
  ASSERT_EQ(CDlgEditDoc::Documents().size(), 1u);
  EXPECT_EQ(CDlgEditDoc::Documents().front()->GetPathName(), path);
  EXPECT_NE(dynamic_cast<CDlgEditFrame*>(main->ActiveChild()), nullptr);
  EXPECT_EQ(app->m_MruFiles.GetFile(0), path);
}

// Save As of an untitled dialog proposes the save directory with the title
// and the plug-in's extension, and saves there in the plug-in's format.
TEST_F(Designer, SaveAsOfAnUntitledDialogProposesTheSaveDirectory) {
  const std::string etc = dir + "/etc";
  ASSERT_EQ(mkdir(etc.c_str(), 0700), 0);
  Write("etc/ide-testplug.tsd", "begin Dialog1 Dialog\nend\n");
  ASSERT_GE(Sys_RegSet("Directories", "etc", etc.c_str()), 0);
  const std::string saves = dir + "/saves";
  ASSERT_EQ(mkdir(saves.c_str(), 0700), 0);
  app->m_Explore.SaveDirectory = saves;
  CDlgEditDoc::ResetUntitledCounter();
  ASSERT_TRUE(Shell_Neighbours().designer->NewDocument(0));
  FwChildFrame* frame = ActiveDialogFrame();
  ASSERT_NE(frame, nullptr);
  CDlgEditDoc* doc = CDlgEditDoc::Documents().front();
  ASSERT_EQ(doc->GetTitle(), "Dialog1");
  EXPECT_TRUE(app->RouteUpdate(ID_FILE_SAVE_AS).enabled);
  const bool opened = RunSaveAs(ID_FILE_SAVE_AS, [&](CExploreDoc* d) {
    EXPECT_EQ(d->Frame()->windowTitle().toStdString(), "Save Dialog1 [" + saves + "]");
    EXPECT_EQ(d->Frame()->TopBar()->SaveAs()->currentText().toStdString(), "Test Script Dialog");
    QLineEdit* field = d->Frame()->BottomBar()->GetWndFileName();
    EXPECT_EQ(field->text().toStdString(), "Dialog1.tsd");
    EXPECT_FALSE(frame->isEnabled());  // modal for its document
    QTest::keyClick(field, Qt::Key_Return);
  });
  ASSERT_TRUE(opened);
  const std::string saved = saves + "/Dialog1.tsd";
  EXPECT_EQ(Read(saved), "begin Dialog1 Dialog\nend\n");
  EXPECT_EQ(doc->GetPathName(), saved);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(frame->isEnabled());
  EXPECT_EQ(frame->windowTitle().toStdString(), "Dialog1.tsd [Dialog1]");
  EXPECT_EQ(app->m_MruFiles.GetFile(0), saved);
}

// A dialog file whose load reports an error on a line opens, when the user
// asks to edit the source, as a text document with the caret on that line.
TEST_F(Designer, AFailedLoadOpensTheSourceAsTextAtItsLine) {
  const std::string path = Write("broken.tsd", "begin dlg Dialog\n\n\n\n\n\nerror Bad thing here\nend\n");
  sink.answer = SHELL_IDYES;
  EXPECT_TRUE(designer->OpenClaimedFile(path));
  QCoreApplication::processEvents();
  EXPECT_TRUE(CDlgEditDoc::Documents().empty());
  ASSERT_FALSE(sink.boxes.empty());
  EXPECT_NE(sink.boxes[0].text.find("line 7:\nBad thing here\n\nDo you want to edit the source code?"),
            std::string::npos)
      << sink.boxes[0].text;
  CProgDoc* text = Programs_FindByPath(path);
  ASSERT_NE(text, nullptr);
  auto* view = dynamic_cast<CEditorView*>(text->Views().front());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Model().caret_line, 6u);  // the seventh line
  EXPECT_EQ(main->ActiveChild(), text->Frames().front());

  // No: nothing opens.
  const std::string other = Write("other.tsd", "error At once\n");
  sink.answer = SHELL_IDNO;
  EXPECT_TRUE(designer->OpenClaimedFile(other));
  EXPECT_EQ(Programs_FindByPath(other), nullptr);
}

// File Properties (Alt+Enter) of a dialog document: the file page alone
// with the document's file, size and status; read-only set there stops
// editing, and auto-save follows the document's own option.
TEST_F(Designer, FilePropertiesShowTheDocumentsStateAndApplyItsOptions) {
  const std::string etc = dir + "/etc";
  ASSERT_EQ(mkdir(etc.c_str(), 0700), 0);
  Write("etc/ide-testplug.tsd", "begin Dialog1 Dialog\nend\n");
  ASSERT_GE(Sys_RegSet("Directories", "etc", etc.c_str()), 0);
  app->m_Config.General.flags |= CfgGeneral::AutoSave;
  app->m_Config.General.AutoSaveTimeout = 7;
  app->m_Config.General.AutoSaveLocation = dir;
  CDlgEditDoc::ResetUntitledCounter();
  ASSERT_TRUE(Shell_Neighbours().designer->NewDocument(0));
  ASSERT_NE(ActiveDialogFrame(), nullptr);
  CDlgEditDoc* doc = CDlgEditDoc::Documents().front();
  ASSERT_NE(main->Docs().Find(doc), nullptr);
  EXPECT_EQ(main->Docs().Find(doc)->interval, 7 * 6);  // ten-second ticks
  EXPECT_TRUE(app->RouteUpdate(ID_FILE_PROPERTIES).enabled);

  // Opens the sheet, reads the three facts and runs `then`
  // on the sheet (OK when it does nothing else).
  DialogScript script;
  auto facts = [&](const std::function<void(QDialog*)>& then = nullptr) {
    std::vector<std::string> out;
    script.Then([&](QDialog* sheet) {
      EXPECT_EQ(sheet->windowTitle().toStdString(), doc->GetTitle() + " Properties");
      auto* settings = dynamic_cast<CAppPropertySheet*>(sheet);
      EXPECT_NE(settings, nullptr);
      if (settings != nullptr) {
        EXPECT_EQ(settings->PageMask(), static_cast<unsigned>(SettingsPage_OtherFile));
      }
      for (const char* name : {"File name:", "Size:", "Status:"}) {
        QLineEdit* edit = edit_named(sheet, name);
        out.push_back(edit != nullptr ? edit->text().toStdString() : "(none)");
      }
      if (then)
        then(sheet);
      else
        sheet->accept();
    });
    // The File menu's item, as the user picks it.
    EXPECT_TRUE(app->Commands().Trigger(ID_FILE_PROPERTIES));
    EXPECT_TRUE(script.Done());
    return out;
  };
  auto starts = [](const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; };

  EXPECT_EQ(facts(), (std::vector<std::string>{"(New File)", "1 Objects", "Initial"}));
  doc->SetModifiedFlag(true);
  EXPECT_EQ(facts()[2], "Modified");
  doc->OnAutoSave();
  EXPECT_TRUE(starts(facts()[2], "Modified, Auto-Saved: 20"));
  const std::string path = dir + "/props.tsd";
  ASSERT_EQ(doc->OnSaveDocument(path.c_str()), 1);
  const std::vector<std::string> saved = facts();
  EXPECT_EQ(saved[0], path);
  EXPECT_TRUE(starts(saved[2], "Saved: 20")) << saved[2];

  // Read-only and no auto-save, set in the sheet.
  facts([&](QDialog* sheet) {
    click_check(sheet->findChild<QCheckBox*>("ReadOnly"));
    click_check(sheet->findChild<QCheckBox*>("AutoSave"));
    sheet->accept();
  });
  EXPECT_TRUE(doc->Root().Flags() & F_READ_ONLY);
  EXPECT_EQ(main->Docs().Find(doc)->interval, 0);
  ASSERT_TRUE(app->Commands().Trigger(ID_EDIT_SELECT_ALL));
  EXPECT_FALSE(app->RouteUpdate(ID_EDIT_CLEAR).enabled);
  // Cancel changes nothing.
  facts([](QDialog* sheet) {
    click_check(sheet->findChild<QCheckBox*>("ReadOnly"));
    sheet->reject();
  });
  EXPECT_TRUE(doc->Root().Flags() & F_READ_ONLY);
  facts([](QDialog* sheet) {
    click_check(sheet->findChild<QCheckBox*>("ReadOnly"));
    sheet->accept();
  });
  EXPECT_FALSE(doc->Root().Flags() & F_READ_ONLY);
  EXPECT_EQ(script.unexpected, 0);
}

}  // namespace

// The status bar's coordinate fields follow the designer's selection: a
// number typed into one moves or sizes the primary object (one undo step,
// a status text); a negative size is refused with an error and a beep;
// Escape goes back to the canvas unchanged and the field shows the
// object's value again; without a selection the fields go.
// With a dialog in the designer and an explore window open, every menu
// still gives each item a letter of its own.
TEST_F(Designer, EveryMenuUnderlinesEachLetterOnceWithADialogAndAnExploreWindow) {
  const std::string path = Write("menus.tsd", "begin dlg Dialog\nend\n");
  ASSERT_TRUE(designer->OpenClaimedFile(path));
  ASSERT_NE(ActiveDesigner(), nullptr);
  std::vector<std::string> clashes = MenuLetterClashes();
  EXPECT_TRUE(clashes.empty()) << "designer: " << ::testing::PrintToString(clashes);
  ASSERT_TRUE(app->RouteCommand(ID_NEW_EXPLORER));
  QCoreApplication::processEvents();
  clashes = MenuLetterClashes();
  EXPECT_TRUE(clashes.empty()) << "explore window: " << ::testing::PrintToString(clashes);
}

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
