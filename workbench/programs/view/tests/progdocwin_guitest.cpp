// Program documents in the environment's windows: opened through the
// shell's program neighbour, shown in the editor view with their title,
// compiled into the Build tab with locations, found again instead of being
// opened twice; the program commands by key, menu and context menu; the
// password dialogs; the cross-reference pane; Save As through the explorer.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/tests/saveasrun.h"
#include "workbench/explorer/view/exploreframe.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/programs/dirutil.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/browse/browseplug.h"
#include "workbench/shell/browse/xrefwnd.h"
#include "workbench/shell/frames/browsebar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/shell/settings/passwddlgs.h"

namespace {

class ProgDocWindows : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("progdocwin-guitest"); }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartShell([] {
      Settings_Install();  // the password dialogs
      Programs_Install();
      Editor_Install();
    }));
  }

  void TearDown() override {
    COutputDoc::Shutdown();
    StopShell();
    Shell_ResetNeighbours();
  }

  std::string store(const std::string& source, const std::vector<std::string>& options = {}) {
    vtest::write_file(dir.file("p.txt"), source);
    std::vector<std::string> args = options;
    for (const std::string& a : {std::string("-o"), dir.file("p"), dir.file("p.txt")}) args.push_back(a);
    vtest::RunResult r = vtest::run("store", args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file("p.PROG");
  }

  static CEditorView* ViewOf(FwDocument* doc) {
    return doc->Views().empty() ? nullptr : dynamic_cast<CEditorView*>(doc->Views()[0]);
  }

  // Opens a file through the program neighbour and gives its view the
  // focus; null when it did not open or the view took no focus.
  CProgDoc* OpenFocused(const std::string& path) {
    if (!Shell_Neighbours().program->OpenFile(path.c_str(), 0)) return nullptr;
    auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
    CEditorView* view = doc != nullptr ? ViewOf(doc) : nullptr;
    if (view == nullptr) return nullptr;
    view->setFocus();
    return QTest::qWaitFor([&] { return view->hasFocus(); }) ? doc : nullptr;
  }

  static QMenu* MenuTitled(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
      if (a->menu() && a->text() == title) return a->menu();
    return nullptr;
  }

  // The texts of a menu's items as shown after its update ("-" for a
  // separator, "(off)" after a disabled item).
  static std::vector<std::string> Items(QMenu* menu) {
    std::vector<std::string> out;
    for (QAction* a : menu->actions()) {
      if (!a->isVisible()) continue;
      out.push_back(a->isSeparator() ? "-" : a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
    }
    return out;
  }

  static std::string tab_text(int tab) {
    std::string all;
    if (TextObj* t = COutputDoc::TabText(tab))
      for (TextLine* l = t->head; l; l = l->next) all += l->data + "\n";
    return all;
  }

  vtest::TempDir dir;
  RecordingSink sink;
};

TEST_F(ProgDocWindows, AProgramOpensOnceCompilesIntoTheBuildTabAndShowsItsTitle) {
  std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  ProgramLink& link = *Shell_Neighbours().program;
  ASSERT_TRUE(link.Plugged());
  ASSERT_TRUE(link.OpenFile(prog.c_str(), 0));
  ASSERT_EQ(Programs_Template()->Documents().size(), 1u);
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents()[0]);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Title(), "p.PROG");
  EXPECT_EQ(doc->GetTextObj()->num_lines, 3u);
  EXPECT_TRUE(doc->IsProgramDocument());
  EXPECT_EQ(doc->GetContextMenu(), 110);
  EXPECT_EQ(Shell_StatusBar()->Model().Message(), "");  // "Opening ..." went with the open
  // The registry of window kinds finds the document's frame.
  ASSERT_NE(app->Windows().Kind(IDR_EDITTYPE), nullptr);
  EXPECT_EQ(app->Windows().Find(IDR_EDITTYPE), doc->Frames().at(0));
  ASSERT_TRUE(link.OpenFile(prog.c_str(), 0));  // found, not opened again
  EXPECT_EQ(Programs_Template()->Documents().size(), 1u);

  // an injected error: its line in the Build tab and the summary
  {
    TextLine* second = doc->GetTextObj()->Line(1);
    TextSuspend suspend(doc->GetTextObj());
    second->InsertNative(0, "(((");
  }
  ASSERT_TRUE(doc->Compile());
  std::string build = tab_text(OUTPUT_TAB_BUILD);
  EXPECT_NE(build.find("line 2: "), std::string::npos) << build;
  EXPECT_NE(build.find("2 lines, 1 error, 0 warnings."), std::string::npos) << build;
  EXPECT_EQ(COutputDoc::TabLocations(OUTPUT_TAB_BUILD) == nullptr, false);

  // a new document is "Prog" or "Text" and a number
  ASSERT_TRUE(link.OpenFile(nullptr, 0));
  auto* fresh = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Title().substr(0, 4), fresh->IsProgramDocument() ? "Prog" : "Text");
  EXPECT_TRUE(sink.boxes.empty());
}

// F7 compiles, F9 sets and clears a breakpoint on the caret line; the
// Program menu holds the program commands while a program document is
// active, and the view's context menu (Shift+F10) holds them after the
// clipboard commands. Run to Cursor stays grey without a debug session.
TEST_F(ProgDocWindows, ProgramCommandsAreReachedByTheirKeysTheProgramMenuAndTheContextMenu) {
  std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  CProgDoc* doc = OpenFocused(prog);
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);

  QMenu* program = MenuTitled(main->menuBar(), "&Program");
  ASSERT_NE(program, nullptr);
  emit program->aboutToShow();
  std::vector<std::string> items = Items(program);
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[0], "Co&mpile");
  EXPECT_EQ(items[1], "-");
  EXPECT_NE(std::find(items.begin(), items.end(), "Ru&n to Cursor (off)"), items.end());
  EXPECT_NE(std::find_if(items.begin(), items.end(),
                         [](const std::string& i) { return i.rfind("Insert/Remove &Breakpoint", 0) == 0; }),
            items.end());

  QTest::keyClick(view, Qt::Key_F7);
  EXPECT_NE(tab_text(OUTPUT_TAB_BUILD).find("3 lines, 0 errors, 0 warnings."), std::string::npos)
      << tab_text(OUTPUT_TAB_BUILD);
  const uint32_t line = view->Model().caret_line;
  TextLine* caret_line = doc->GetTextObj()->Line(line);
  QTest::keyClick(view, Qt::Key_F9);
  EXPECT_TRUE(caret_line->line_flags & TextLine_BREAKPOINT);
  QTest::keyClick(view, Qt::Key_F9);
  EXPECT_FALSE(caret_line->line_flags & TextLine_BREAKPOINT);

  std::vector<std::string> context;
  QTimer::singleShot(0, [&context] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      context = Items(menu);
      menu->close();
    }
  });
  QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
  // Without a selection the clipboard commands are grey.
  EXPECT_EQ(context,
            (std::vector<std::string>{"Cu&t (off)", "&Copy (off)", "&Paste (off)", "-", "Select A&ll", "-", "Co&mpile",
                                      "Insert/Remove &Breakpoint", "Ru&n to Cursor (off)", "-", "File P&roperties"}));

  // A text document: Compile is grey and F7 leaves the Build tab alone.
  COutputDoc::ClearTab(OUTPUT_TAB_BUILD);
  vtest::write_file(dir.file("notes.txt"), "PRINT 1\n");
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(dir.file("notes.txt").c_str(), 0));
  auto* text_doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  main->activateWindow();  // the closed popup leaves no active window offscreen
  text_doc->ActivateView();
  CEditorView* text_view = ViewOf(text_doc);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text_view->hasFocus(); }));
  emit program->aboutToShow();
  EXPECT_EQ(Items(program).at(0), "Co&mpile (off)");
  QTest::keyClick(text_view, Qt::Key_F7);
  EXPECT_EQ(tab_text(OUTPUT_TAB_BUILD).find("lines,"), std::string::npos);
}

// Alt and a letter in an open menu runs its item at once only when no other
// item of that menu underlines the same letter; with a program open every
// menu, its sub-menus too, gives each item a letter of its own.
TEST_F(ProgDocWindows, EveryMenuUnderlinesEachLetterOnce) {
  ASSERT_NE(OpenFocused(store("PRINT 1\n")), nullptr);
  const std::vector<std::string> clashes = MenuLetterClashes();
  EXPECT_TRUE(clashes.empty()) << ::testing::PrintToString(clashes);
}

// Breakpoints set with F9 are kept when their window closes and when the
// environment ends: the stored list takes them, Remove all Breakpoints
// stays reachable for them, and the reopened program shows them again.
TEST_F(ProgDocWindows, BreakpointsSetWithF9OutliveTheirWindowAndTheEnvironment) {
  const std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  QMenu* program = MenuTitled(main->menuBar(), "&Program");
  ASSERT_NE(program, nullptr);
  auto remove_all_item = [&] {
    emit program->aboutToShow();
    for (const std::string& item : Items(program))
      if (item.rfind("Remove &all Breakpoints", 0) == 0) return item;
    return std::string("(missing)");
  };
  auto close_all = [&] {
    for (FwDocument* d : Programs_Template()->Documents())
      for (FwChildFrame* f : d->Frames()) f->close();
    ASSERT_TRUE(QTest::qWaitFor([] { return Programs_Documents().empty(); }));
  };

  CProgDoc* doc = OpenFocused(prog);
  ASSERT_NE(doc, nullptr);
  QTest::keyClick(ViewOf(doc), Qt::Key_F9);  // the caret's line, the first
  ASSERT_TRUE(doc->GetTextObj()->Line(0)->line_flags & TextLine_BREAKPOINT);
  ASSERT_NO_FATAL_FAILURE(close_all());
  ASSERT_EQ(app->m_Breakpoints.num_items, 1);
  EXPECT_TRUE(DirUtil_SamePath(app->m_Breakpoints.head->FileName.c_str(), prog.c_str()));
  EXPECT_EQ(remove_all_item(), "Remove &all Breakpoints");

  // Reopened, the line is marked again; a second mark is set and the
  // environment ends with the window open.
  doc = OpenFocused(prog);
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->GetTextObj()->Line(0)->line_flags & TextLine_BREAKPOINT);
  QTest::keyClick(ViewOf(doc), Qt::Key_Down);
  QTest::keyClick(ViewOf(doc), Qt::Key_Down);
  QTest::keyClick(ViewOf(doc), Qt::Key_F9);
  ASSERT_TRUE(doc->GetTextObj()->Line(2)->line_flags & TextLine_BREAKPOINT);
  StopShell();
  ASSERT_NO_FATAL_FAILURE(StartShell([] {
    Settings_Install();
    Programs_Install();
    Editor_Install();
  }));
  ASSERT_EQ(app->m_Breakpoints.num_items, 2);
  program = MenuTitled(main->menuBar(), "&Program");
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(remove_all_item(), "Remove &all Breakpoints");
  doc = OpenFocused(prog);
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->GetTextObj()->Line(0)->line_flags & TextLine_BREAKPOINT);
  EXPECT_TRUE(doc->GetTextObj()->Line(2)->line_flags & TextLine_BREAKPOINT);

  // Removing them all with no window open leaves nothing to remove, also
  // after the next start; a debug session gets the empty list before the
  // program goes on.
  ASSERT_NO_FATAL_FAILURE(close_all());
  app->m_Breakpoints.pending = 0;
  ASSERT_TRUE(app->Commands().Trigger(ID_REMOVE_BREAKPOINTS));
  EXPECT_EQ(app->m_Breakpoints.num_items, 0);
  EXPECT_TRUE(app->m_Breakpoints.pending);
  EXPECT_EQ(remove_all_item(), "Remove &all Breakpoints (off)");
  StopShell();
  ASSERT_NO_FATAL_FAILURE(StartShell([] {
    Settings_Install();
    Programs_Install();
    Editor_Install();
  }));
  EXPECT_EQ(app->m_Breakpoints.num_items, 0);
}

// The context menu's Insert/Remove Breakpoint acts on the line that was
// right-clicked, not on the line the caret was on before; a right click in
// a selection keeps it for the clipboard commands.
TEST_F(ProgDocWindows, TheContextMenusBreakpointGoesToTheLineRightClicked) {
  CProgDoc* doc = OpenFocused(store("PRINT 1\nLET A=2\nPRINT A\n"));
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);
  ASSERT_EQ(view->Model().caret_line, 0u);
  const int lh = view->Model().LineHeight(), cw = view->Model().CharWidth();
  auto right_click = [&](uint32_t row, const char* choose) {
    const QPoint at(EV_MARGIN + 2 * cw, static_cast<int>(row) * lh + lh / 2);
    std::vector<std::string> items;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      items = Items(menu);
      QAction* chosen = nullptr;
      for (QAction* a : menu->actions())
        if (choose != nullptr && a->text() == choose) chosen = a;
      menu->close();
      if (chosen != nullptr) chosen->trigger();
    });
    QTest::mousePress(view, Qt::RightButton, {}, at);
    QContextMenuEvent menu_event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &menu_event);
    QTest::mouseRelease(view, Qt::RightButton, {}, at);
    QCoreApplication::processEvents();
    return items;
  };
  right_click(2, "Insert/Remove &Breakpoint");
  EXPECT_FALSE(doc->GetTextObj()->Line(0)->line_flags & TextLine_BREAKPOINT);
  EXPECT_TRUE(doc->GetTextObj()->Line(2)->line_flags & TextLine_BREAKPOINT);
  EXPECT_EQ(view->Model().caret_line, 2u);

  // Lines 0 and 1 selected: a right click on line 0 keeps them.
  view->Model().Click(0, 0, false, false);
  view->Model().Click(1, 200, false, true);
  const std::vector<std::string> items = right_click(0, nullptr);
  EXPECT_NE(std::find(items.begin(), items.end(), "&Copy"), items.end());
  EXPECT_TRUE(view->Model().SelectionActive());
  EXPECT_EQ(view->Model().caret_line, 1u);
}

// A file named on the command line that cannot be opened is told in a box
// that stands above the main window: the window is up before the box.
TEST_F(ProgDocWindows, AFileOnTheCommandLineThatCannotBeOpenedIsToldOverTheMainWindow) {
  COutputDoc::Shutdown();
  main->close();
  app->ExitInstance();
  app.reset();
  Shell_ResetNeighbours();

  class WindowWatch : public RecordingSink {
   public:
    int message_box(void* owner, const char* caption, const char* text, unsigned style) override {
      main_shown.push_back(YqApp() != nullptr && YqApp()->MainWnd() != nullptr && YqApp()->MainWnd()->isVisible());
      return RecordingSink::message_box(owner, caption, text, style);
    }
    std::vector<bool> main_shown;
  } watch;
  const std::string missing = dir.file("missing.txt");
  app = std::make_unique<CYqApp>();
  Settings_Install();
  Programs_Install();
  Editor_Install();
  ASSERT_TRUE(app->InitInstance({"-nologo", missing}));
  main = app->MainWnd();
  ASSERT_EQ(watch.boxes.size(), 1u);
  EXPECT_EQ(watch.boxes[0].caption, "Open File [1]");
  EXPECT_NE(watch.boxes[0].text.find(missing), std::string::npos) << watch.boxes[0].text;
  EXPECT_EQ(watch.main_shown, std::vector<bool>{true});
  EXPECT_TRUE(Programs_Template()->Documents().empty());
}

// A compile with errors brings the Build tab forward at the next idle time;
// the editor the user works in stays the active window with the focus.
TEST_F(ProgDocWindows, ACompileWithErrorsShowsTheBuildTabAndTheEditorKeepsTheFocus) {
  std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(prog.c_str(), 0));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  FwChildFrame* frame = doc->Frames().at(0);
  CEditorView* view = ViewOf(doc);
  for (bool output_open : {false, true}) {
    SCOPED_TRACE(output_open ? "output open" : "output closed");
    if (output_open) {
      // opened before, behind the editor on another tab
      COutputDoc::ActivateTab(OUTPUT_TAB_DEBUG);
      main->MdiArea()->setActiveSubWindow(frame);
    }
    main->activateWindow();
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
    view->Model().GoToLineCol(1, 0);
    QTest::keyClicks(view, "(((");
    QTest::keyClick(view, Qt::Key_F7);
    app->RunIdle();
    QCoreApplication::processEvents();
    EXPECT_NE(tab_text(OUTPUT_TAB_BUILD).find("1 error"), std::string::npos) << tab_text(OUTPUT_TAB_BUILD);
    ASSERT_NE(COutputDoc::Find(), nullptr);
    EXPECT_EQ(COutputDoc::Find()->ActiveTab(), OUTPUT_TAB_BUILD);
    EXPECT_EQ(main->MdiArea()->activeSubWindow(), frame);
    EXPECT_TRUE(view->hasFocus());
    for (int i = 0; i < 3; ++i) QTest::keyClick(view, Qt::Key_Backspace);
  }
}

// Typing a line and pressing Return: the line is checked and relisted as
// the caret leaves it, the new line opens below, and one Ctrl+Z takes back
// the Return with the relisting.
TEST_F(ProgDocWindows, ReturnAfterATypedLineRelistsItAndOneUndoTakesBothBack) {
  CProgDoc* doc = OpenFocused(store("PRINT 1\n"));
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);
  auto lines = [doc] {  // as shown: no colour switches, no indentation
    std::vector<std::string> out;
    for (TextLine* l = doc->GetTextObj()->head; l; l = l->next) {
      std::string shown;
      for (size_t i = 0; i < l->data.size(); ++i)
        if (l->data[i] == '\x1b')
          ++i;
        else if (l->data[i] != ' ' || !shown.empty())
          shown += l->data[i];
      out.push_back(shown);
    }
    return out;
  };
  QTest::keyClick(view, Qt::Key_End);
  QTest::keyClick(view, Qt::Key_Return);
  QTest::keyClicks(view, "PRINT   \"hi\"");
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(lines(), (std::vector<std::string>{"PRINT 1", "PRINT \"hi\"", ""}));
  EXPECT_EQ(view->Model().caret_line, 2u);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(lines(), (std::vector<std::string>{"PRINT 1", "PRINT   \"hi\""}));
  // The next undo is not taken by a new listing of the line: the first
  // Return goes with the typing after it; the redos bring both back.
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(lines(), (std::vector<std::string>{"PRINT 1"}));
  QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(lines(), (std::vector<std::string>{"PRINT 1", "PRINT   \"hi\""}));
  QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(lines(), (std::vector<std::string>{"PRINT 1", "PRINT \"hi\"", ""}));
}

// A new program that was never saved, compiled with an error: a double
// click on the message goes to the line in its window; nothing is opened.
TEST_F(ProgDocWindows, ABuildMessageOfAnUnsavedProgramGoesToItsLine) {
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(nullptr, CfgFileMode_BinaryPROG));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(doc->PathName().empty());
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  for (const char* line : {"PRINT 1", "X=1+", "PRINT 2"}) {
    QTest::keyClicks(view, line);
    QTest::keyClick(view, Qt::Key_Return);
  }
  QTest::keyClick(view, Qt::Key_F7);
  ASSERT_NE(tab_text(OUTPUT_TAB_BUILD).find("1 error"), std::string::npos) << tab_text(OUTPUT_TAB_BUILD);
  view->Model().GoToLineCol(4, 0);
  const size_t documents = Programs_Template()->Documents().size();
  sink.boxes.clear();

  CEditorView* out = COutputDoc::ActivateTab(OUTPUT_TAB_BUILD);
  ASSERT_NE(out, nullptr);
  out->Model().DoubleClick(0, 0, false);
  EXPECT_TRUE(sink.boxes.empty()) << sink.boxes.front().text;
  EXPECT_EQ(Programs_Template()->Documents().size(), documents);
  EXPECT_EQ(view->Model().caret_line, 1u);
}

// The compile lists a typed line in the program's columns: the caret at
// the end of the typed text stays at its end.
TEST_F(ProgDocWindows, ACompileKeepsTheCaretOnItsCharacter) {
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(nullptr, CfgFileMode_BinaryPROG));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClicks(view, "X=1+2");
  ASSERT_EQ(view->Model().caret_col, 5u);
  QTest::keyClick(view, Qt::Key_F7);
  ASSERT_NE(tab_text(OUTPUT_TAB_BUILD).find("1 line, 0 errors"), std::string::npos) << tab_text(OUTPUT_TAB_BUILD);
  TextLine* line = doc->GetTextObj()->Line(0);
  const uint32_t indent = line->NextNonBlankColumn(0);
  ASSERT_GT(indent, 0u);  // listed in the program's columns
  EXPECT_EQ(view->Model().caret_line, 0u);
  EXPECT_EQ(view->Model().caret_col, indent + 5);
}

// Answers the password dialogs that open, one entry each: a password, or
// an empty text to cancel.
class PasswordAnswers {
 public:
  explicit PasswordAnswers(std::deque<std::string> answers) : answers_(std::move(answers)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      auto* ask = dynamic_cast<CPasswdDlg*>(dlg);
      if (ask == nullptr) return;
      ++asked;
      file_name = ask->file_name_->text().toStdString();
      if (answers_.empty() || answers_.front().empty()) {
        if (!answers_.empty()) answers_.pop_front();
        ask->reject();
        return;
      }
      ask->password_->setText(QString::fromStdString(answers_.front()));
      answers_.pop_front();
      QTest::keyClick(ask->password_, Qt::Key_Return);
    });
    timer_.start();
  }
  int asked = 0;
  std::string file_name;

 private:
  std::deque<std::string> answers_;
  QTimer timer_;
};

TEST_F(ProgDocWindows, AProtectedProgramAsksThroughThePasswordDialogUntilRightOrCancelled) {
  std::string prog = store("PRINT 1\n", {"-r", "2", "-p", "opensesame"});
  {
    PasswordAnswers answers({"wrong", "opensesame"});
    ASSERT_TRUE(Shell_Neighbours().program->OpenFile(prog.c_str(), 0));
    EXPECT_EQ(answers.asked, 2);
    EXPECT_EQ(answers.file_name, prog);
  }
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Invalid Password");
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  EXPECT_NE(doc->GetTextObj()->Line(0)->data.find("PRINT"), std::string::npos);
  doc->XrefClose();
  QCoreApplication::processEvents();

  // Cancel: no document, no box.
  sink.boxes.clear();
  const size_t before = Programs_Template()->Documents().size();
  {
    PasswordAnswers answers({""});
    EXPECT_FALSE(Shell_Neighbours().program->OpenFile(prog.c_str(), 0));
    EXPECT_EQ(answers.asked, 1);
  }
  EXPECT_TRUE(sink.boxes.empty());
  EXPECT_EQ(Programs_Template()->Documents().size(), before);
}

// The designer's calls: OpenFile gives the document (the open one again for
// the same path), GotoLine puts the caret on a line, and a plug-in takes a
// file over only while plug-ins are allowed. A missing file is reported.
TEST_F(ProgDocWindows, OpenFileGivesTheDocumentGotoLineMovesTheCaretAndPluginsTakeFilesOnlyWhenAllowed) {
  vtest::write_file(dir.file("form.txt"), "one\ntwo\nthree\nfour\n");
  const std::string path = dir.file("form.txt");
  std::vector<std::string> offered;
  CProgDoc::SetPluginOpener([&offered](const std::string& p) {
    offered.push_back(p);
    return true;
  });
  EXPECT_EQ(CProgDoc::OpenFile(path.c_str()), nullptr);  // the plug-in took it
  EXPECT_EQ(offered, std::vector<std::string>{path});
  EXPECT_TRUE(Programs_Template()->Documents().empty());

  CProgDoc* doc = CProgDoc::OpenFile(path.c_str(), false);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(offered.size(), 1u);
  EXPECT_EQ(doc->Model().FileMode(), CfgFileMode_Text_LF);
  EXPECT_EQ(CProgDoc::OpenFile(path.c_str(), false), doc);
  EXPECT_EQ(CProgDoc::OpenFile((dir.path() + "//form.txt").c_str()), doc);  // open: the plug-in is not asked
  EXPECT_EQ(offered.size(), 1u);
  EXPECT_EQ(CProgDoc::FindByPath(path), doc);
  EXPECT_EQ(Programs_Template()->Documents().size(), 1u);
  doc->GotoLine(2, true);
  EXPECT_EQ(ViewOf(doc)->Model().caret_line, 2u);
  CProgDoc::SetPluginOpener(nullptr);

  sink.boxes.clear();
  EXPECT_EQ(CProgDoc::OpenFile(dir.file("gone.txt").c_str(), false), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Open File [1]");
  EXPECT_EQ(Shell_StatusBar()->Model().Message(), "");  // no "Opening ..." left behind
  EXPECT_EQ(Programs_Template()->Documents().size(), 1u);

  // File/New of a kind: the mode asked for.
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(nullptr, CfgFileMode_Text_CR));
  auto* fresh = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  EXPECT_EQ(fresh->Model().FileMode(), CfgFileMode_Text_CR);
  EXPECT_EQ(fresh->Title().substr(0, 4), "Text");
}

// The Files tab of the browse bar: a program document with its segments,
// the segment's default action goes to its first line, and the document's
// label follows its modified state.
TEST_F(ProgDocWindows, TheCrossReferencePaneShowsTheDocumentAndItsSegments) {
  BrowsePanes panes = Browse_Install(main->BrowseBar());
  ASSERT_NE(panes.xref, nullptr);
  XrefTree& tree = panes.xref->Tree();
  std::string prog = store("PRINT 1\nCALL Tidy\nEND\nSUB Tidy\nPRINT 2\nSUBEND\n");
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(prog.c_str(), 0));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(tree.Roots().size(), 1u);
  XrefNode* node = tree.Roots()[0].get();
  EXPECT_EQ(node->Item()->GetLabel(), "p.PROG");
  ASSERT_EQ(node->Children().size(), 2u);
  auto* sub = dynamic_cast<XrefSegment*>(node->Children()[1]->Item());
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetKind(), XrefDoc::Sub);
  EXPECT_EQ(sub->StartLine(), 3);
  tree.DefaultAction(node->Children()[1].get());
  EXPECT_EQ(ViewOf(doc)->Model().caret_line, 3u);

  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  // The pane is told to show the label anew once typing has marked the
  // document, and again once undoing the typing clears the mark.
  QSignalSpy repaints(panes.xref->Model(), &QAbstractItemModel::dataChanged);
  QTest::keyClicks(view, "x");
  app->RouteUpdate(ID_FILE_SAVE);  // the idle update marks the document
  EXPECT_EQ(tree.Roots()[0]->Item()->GetLabel(), "p.PROG *");
  ASSERT_EQ(repaints.size(), 1);
  EXPECT_EQ(repaints[0][0].value<QModelIndex>(), panes.xref->Model()->IndexOf(tree.Roots()[0].get()));
  app->RouteUpdate(ID_FILE_SAVE);
  EXPECT_EQ(repaints.size(), 1);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  app->RouteUpdate(ID_FILE_SAVE);
  EXPECT_EQ(tree.Roots()[0]->Item()->GetLabel(), "p.PROG");
  EXPECT_EQ(repaints.size(), 2);

  // Closed from the pane's menu while the pane has the focus, its changes
  // discarded: the document leaves the tree, and commands and their updates
  // no longer reach its window, which waits hidden to be freed.
  QTest::keyClicks(view, "y");
  app->RouteUpdate(ID_FILE_SAVE);
  QTreeView* pane = panes.xref->View();
  main->BrowseBar()->SetShown(true);
  pane->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pane->hasFocus(); }));
  // The question takes the activation, and the desktop gives it back to
  // the main window only later: the frame's window is closed and waits,
  // hidden, to be freed while another window is active.
  struct AskingSink : RecordingSink {
    int message_box(void* owner, const char* caption, const char* text, unsigned style) override {
      box.show();
      box.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
      QTimer::singleShot(0, after);
      return RecordingSink::message_box(owner, caption, text, style);
    }
    QWidget box;
    std::function<void()> after;
  } asking;
  asking.answer = SHELL_IDNO;
  FwChildFrame* left = nullptr;
  bool save_enabled = true, checked = false;
  asking.after = [&] {
    checked = true;
    left = main->ActiveChild();
    save_enabled = app->RouteUpdate(ID_FILE_SAVE).enabled;
  };
  QTimer::singleShot(0, [] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
      for (QAction* a : menu->actions())
        if (a->text() == "Close") menu->setActiveAction(a);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
  });
  emit pane->customContextMenuRequested(pane->visualRect(panes.xref->Model()->IndexOf(tree.Roots()[0].get())).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return tree.Roots().empty() && checked; }));
  EXPECT_EQ(asking.boxes.size(), 1u);
  EXPECT_EQ(left, nullptr);
  EXPECT_FALSE(save_enabled);
  app->RunIdle();
}

// With the explorer installed, Save As of a program document (and Save of
// one without a file name) opens the explorer's Save As window in the save
// folder with the title as the proposed name.
class ProgDocSaveAs : public ProgDocWindows {
 protected:
  void SetUp() override {
    ProgDocWindows::SetUp();
    if (HasFatalFailure()) return;
    app->m_Explore.SaveDirectory = dir.path();
    windows = Explorer_Install(app->m_Explore, app->m_Config, &app->m_MruFiles);
  }

  void TearDown() override {
    if (windows)
      for (CExploreDoc* d : windows->Documents())
        if (CExploreFrame* f = d->Frame()) f->close();
    QCoreApplication::processEvents();
    windows.reset();
    ProgDocWindows::TearDown();
  }

  // File New in a text mode, then `text` typed into its view.
  CProgDoc* NewTyped(const QString& text) {
    EXPECT_TRUE(Shell_Neighbours().program->OpenFile(nullptr, CfgFileMode_Text_LF));
    auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
    if (doc == nullptr) return nullptr;
    CEditorView* view = ViewOf(doc);
    view->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
    QTest::keyClicks(view, text);
    return doc;
  }

  // Routes `command` and runs `inside` in the Save As window it opens;
  // false when no window opened.
  bool RunSaveAs(int command, const std::function<void(CExploreDoc*)>& inside) {
    return Explorer_RunSaveAs(
        *windows, [&] { app->RouteCommand(command); }, inside);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  std::unique_ptr<ExplorerWindows> windows;
};

TEST_F(ProgDocSaveAs, SaveAsWritesTheFileUnderTheTypedNameAndTheDocumentTakesIt) {
  CProgDoc* doc = NewTyped("hello world");
  ASSERT_NE(doc, nullptr);
  const std::string title = doc->Title();
  FwChildFrame* frame = doc->Frames().front();
  const bool opened = RunSaveAs(ID_FILE_SAVE_AS, [&](CExploreDoc* d) {
    EXPECT_EQ(d->Frame()->windowTitle().toStdString(), "Save " + title + " [" + dir.path() + "]");
    QLineEdit* field = d->Frame()->BottomBar()->GetWndFileName();
    EXPECT_EQ(field->text().toStdString(), title);
    EXPECT_FALSE(frame->isEnabled());  // modal for its document
    field->clear();
    QTest::keyClicks(field, "kept.txt");
    QTest::keyClick(field, Qt::Key_Return);
  });
  ASSERT_TRUE(opened);
  const std::string path = dir.file("kept.txt");
  EXPECT_EQ(Read(path), "hello world\n");
  EXPECT_EQ(doc->PathName(), path);
  EXPECT_EQ(doc->Title(), "kept.txt");
  EXPECT_FALSE(doc->Model().IsModified());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(frame->windowTitle().toStdString(), "kept.txt");
  EXPECT_TRUE(frame->isEnabled());
  EXPECT_EQ(app->m_MruFiles.GetFile(0), path);
  EXPECT_TRUE(QTest::qWaitFor([&] { return windows->Count() == 0; }, 5000));

  // Saved once, Save writes the file again without asking for a name.
  ViewOf(doc)->setFocus();
  QTest::keyClicks(ViewOf(doc), "!");
  EXPECT_FALSE(RunSaveAs(ID_FILE_SAVE, [](CExploreDoc*) {}));
  EXPECT_EQ(Read(path), "hello world!\n");
  EXPECT_FALSE(doc->Model().IsModified());
}

// A compiled program document saved under a new name: the file is a
// program that `list` reads back as the document's text, the document takes
// the name, and the file it came from stays as it was. A program with an
// error is not saved.
TEST_F(ProgDocSaveAs, SaveAsOfACompiledProgramWritesAProgramFileUnderTheNewName) {
  const std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  const std::string original = Read(prog);
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(prog.c_str(), 0));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClick(view, Qt::Key_F7);
  ASSERT_NE(tab_text(OUTPUT_TAB_BUILD).find("3 lines, 0 errors"), std::string::npos) << tab_text(OUTPUT_TAB_BUILD);
  auto save_as = [&](const char* name) {
    return RunSaveAs(ID_FILE_SAVE_AS, [&](CExploreDoc* d) {
      QLineEdit* field = d->Frame()->BottomBar()->GetWndFileName();
      field->clear();
      QTest::keyClicks(field, name);
      QTest::keyClick(field, Qt::Key_Return);
    });
  };
  ASSERT_TRUE(save_as("copy"));  // a program's name is completed with ".PROG"
  const std::string copy = dir.file("copy.PROG");
  EXPECT_EQ(doc->PathName(), copy);
  EXPECT_EQ(doc->Title(), "copy.PROG");
  EXPECT_TRUE(doc->IsProgramDocument());
  EXPECT_FALSE(doc->Model().IsModified());
  EXPECT_EQ(doc->Frames().front()->windowTitle().toStdString(), "copy.PROG");
  EXPECT_EQ(Read(prog), original);
  vtest::RunResult listed = vtest::run("list", {copy});
  ASSERT_EQ(listed.exit_code, 0) << listed.err;
  std::string text;  // the listing without its line numbers and blanks
  for (size_t at = listed.out.find_first_of("0123456789"), nl; at < listed.out.size(); at = nl + 1) {
    nl = listed.out.find('\n', at);
    std::string line = listed.out.substr(at, nl - at);
    text += line.substr(line.find(' ') + 1) + "\n";
  }
  std::erase(text, ' ');
  EXPECT_EQ(text, "PRINT1\nLETA=2\nPRINTA\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return windows->Count() == 0; }, 5000));

  // With an error the compile before the save refuses it: nothing written.
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClicks(view, "(((");
  ASSERT_TRUE(save_as("broken.PROG"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("broken.PROG")));
  EXPECT_NE(tab_text(OUTPUT_TAB_BUILD).find("Unable to save file."), std::string::npos) << tab_text(OUTPUT_TAB_BUILD);
  EXPECT_EQ(doc->PathName(), copy);
  EXPECT_TRUE(doc->Model().IsModified());
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProgDocSaveAs, SaveOfAnUntitledDocumentAsksForANameAndCancelKeepsItModified) {
  CProgDoc* doc = NewTyped("draft");
  ASSERT_NE(doc, nullptr);
  const std::string title = doc->Title();
  EXPECT_TRUE(app->RouteUpdate(ID_FILE_SAVE).enabled);
  const bool opened = RunSaveAs(ID_FILE_SAVE, [](CExploreDoc* d) { d->Frame()->BottomBar()->CancelButton()->click(); });
  ASSERT_TRUE(opened);
  EXPECT_TRUE(doc->Model().IsModified());
  EXPECT_TRUE(doc->PathName().empty());
  EXPECT_EQ(doc->Title(), title);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(doc->Frames().front()->isEnabled());
  EXPECT_TRUE(sink.boxes.empty());
}

}  // namespace

// The document's sheet, as the File Properties command runs it: the file
// record it was given, and a change made on its File page.
class RecordingDocumentSheet : public SettingsLink {
 public:
  bool Plugged() const override { return true; }
  bool RunDocumentSheet(const std::string& title, CfgSettings* config) override {
    titles.push_back(title);
    shown = config->File;
    config->File.flags |= CfgFile::ReadOnly;
    return true;
  }
  std::vector<std::string> titles;
  CfgFile shown;
};

// A file's window offers Save As and File Properties; Alt+Enter shows the
// document information in its sheet, and what the sheet changed (here
// read-only) takes effect on the text at once.
TEST_F(ProgDocWindows, FilePropertiesShowsTheDocumentInformationAndAppliesTheSheet) {
  vtest::write_file(dir.file("notes.txt"), "first\nsecond\n");
  CProgDoc* doc = OpenFocused(dir.file("notes.txt"));
  ASSERT_NE(doc, nullptr);
  CEditorView* view = ViewOf(doc);

  QMenu* file = MenuTitled(main->menuBar(), "&File");
  ASSERT_NE(file, nullptr);
  emit file->aboutToShow();
  std::vector<std::string> items = Items(file);
  EXPECT_NE(std::find(items.begin(), items.end(), "Save &As..."), items.end());
  EXPECT_NE(std::find(items.begin(), items.end(), "File P&roperties"), items.end());
  // Only program files have program line numbers for the status bar.
  EXPECT_FALSE(app->RouteUpdate(ID_PANE_LINENUMBER).enabled);

  RecordingDocumentSheet sheet;
  SettingsLink* previous = std::exchange(Shell_Neighbours().settings, &sheet);
  QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
  Shell_Neighbours().settings = previous;
  ASSERT_EQ(sheet.titles, std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(sheet.shown.FileName, dir.file("notes.txt"));
  EXPECT_EQ(sheet.shown.FileSize, "11 Bytes (3 Lines)");  // and the empty last line
  EXPECT_EQ(sheet.shown.FileStatus, "Initial");
  EXPECT_TRUE(doc->GetTextObj()->TestFlag(TextObj_READ_ONLY));
  QTest::keyClicks(view, "x");
  EXPECT_FALSE(doc->Model().IsModified());
}

// A changed document is copied to the auto-save folder when its interval
// has passed; the Application Properties' auto-save settings reach the
// documents already open.
TEST_F(ProgDocWindows, AChangedDocumentIsAutoSavedWithTheApplicationsSettings) {
  vtest::write_file(dir.file("draft.txt"), "one\n");
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(dir.file("draft.txt").c_str(), 0));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  const std::string folder = dir.file("autosave");
  std::filesystem::create_directories(folder);
  app->m_Config.General.flags |= CfgGeneral::AutoSave;
  app->m_Config.General.AutoSaveLocation = folder;
  app->m_Config.General.AutoSaveTimeout = 1;  // six ticks of the main frame's timer
  Shell_Neighbours().program->ApplySettings();

  for (int tick = 0; tick < 10; ++tick) main->Docs().Tick();
  EXPECT_TRUE(std::filesystem::is_empty(folder));  // nothing changed yet

  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QTest::keyClicks(view, "!");
  ASSERT_TRUE(doc->Model().IsModified());
  for (int tick = 0; tick < 7; ++tick) main->Docs().Tick();
  ASSERT_FALSE(doc->Model().AutoSaveName().empty());
  EXPECT_EQ(vtest::read_file(doc->Model().AutoSaveName()), "!one\r\n\r\n");  // every line
  EXPECT_TRUE(doc->Model().IsModified());                                    // the copy does not save the document

  ASSERT_TRUE(doc->Save(doc->Model().PathName()));
  EXPECT_TRUE(std::filesystem::is_empty(folder));  // the copy goes with the save
}

// A name typed into an explore window's Open field: with "Auto" a file that
// a plug-in file type claims goes to the plug-in, any other file opens as a
// document.
TEST_F(ProgDocSaveAs, TheOpenWindowHandsAClaimedFileToItsPlugIn) {
  std::vector<std::string> claimed;
  CProgDoc::SetPluginOpener([&](const std::string& path) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".idm") != 0) return false;
    claimed.push_back(path);
    return true;
  });
  vtest::write_file(dir.file("form.idm"), "dialog D\n{\n}\n");
  vtest::write_file(dir.file("plain.txt"), "text\n");
  app->RouteCommand(ID_FILE_OPEN);
  ASSERT_EQ(windows->Count(), 1u);
  CExploreDoc* open = windows->Documents().front();
  QLineEdit* field = open->Frame()->BottomBar()->GetWndFileName();
  for (const std::string& name : {dir.file("form.idm"), dir.file("plain.txt")}) {
    field->setFocus();
    field->setText(QString::fromStdString(name));
    QTest::keyClick(field, Qt::Key_Return);
  }
  CProgDoc::SetPluginOpener(nullptr);
  EXPECT_EQ(claimed, std::vector<std::string>{dir.file("form.idm")});
  ASSERT_EQ(Programs_Documents().size(), 1u);
  EXPECT_EQ(Programs_Documents().front()->PathName(), dir.file("plain.txt"));
}
