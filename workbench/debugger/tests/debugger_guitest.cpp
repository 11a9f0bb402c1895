// The debugger in the environment started in-process, against the stand-in
// run-time: the main frame's debug commands, the call-stack window and the
// Debug tab of the output pane.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <sys/stat.h>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/debugger/breakpointsdlg.h"
#include "workbench/debugger/callstackdoc.h"
#include "workbench/debugger/debuggerplug.h"
#include "workbench/debugger/debugplug.h"
#include "workbench/debugger/variablesdoc.h"
#include "workbench/debugger/variableview.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/editor/outputloclist.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/txtobj.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/xrefmodel.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/shell/settings/tests/dialogscript.h"
#include "workbench/server/tests/serverentry.h"
#include "tests/support/standin.h"

namespace {

std::string TextOf(TextObj* t) {
  std::string all;
  for (uint32_t i = 0; i < t->num_lines; ++i) all += t->Line(i)->data + "\n";
  return all;
}

class DebuggerWindows : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("debugger-guitest"); }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartShell([] {
      Programs_Install();
      Editor_Install();
      Debugger_Install();
    }));
    Sys_RegSet("Directories", "bin", vtest::bin_dir().c_str());
    vtest::write_file(dir.file("s.txt"),
                      "stop main.PROG 1 10 0 LET A = 1||MAIN\n"
                      "output one|two\n"
                      "stop main.PROG 1 11 0 GOSUB SUB1||MAIN\n"
                      "stop main.PROG 2 1 1 X = 2|lib|SUB1\n"
                      "stop main.PROG 1 12 0 PRINT A||MAIN\n"
                      "exit 3\n");
    Cfg_ListClear("Debug");
    std::string entry = Cfg_ListAppend("Debug", "local");
    std::string command = "--script " + dir.file("s.txt") + " --log " + dir.file("log") + " main";
    Cfg_PutString(entry.c_str(), "Command", command.c_str());
    app->m_Config.Debug.CurrentSession = 0;
  }

  void TearDown() override {
    if (DebugQueue) Debug_EndSession();
    EXPECT_TRUE(DebugLocal_WaitAll(10000));

    CCallstackDoc::Shutdown();
    COutputDoc::Shutdown();
    StopShell();
    Debug_SetHost(nullptr);
    Shell_ResetNeighbours();
  }

  // Runs the events and idle time until `done`, at most 8 s.
  template <typename F>
  bool WaitFor(F done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > 8000) return false;
      QTest::qWait(20);
      app->RunIdle();
    }
    return true;
  }

  // A program file of `source` (its lines numbered 1, 2, ...).
  std::string Store(const std::string& source) {
    vtest::write_file(dir.file("p.txt"), source);
    vtest::RunResult r = vtest::run("store", {"-o", dir.file("p"), dir.file("p.txt")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file("p.PROG");
  }

  // A session on a three-line program whose run-time stops at line 1,
  // spins a while on its way to line 2 and stops at lines 2 and 3, stopped
  // at line 1 with the caret of its focused view on line 2: the view, or
  // null (a failure is added) when the session did not get there.
  CEditorView* StoppedAtTheStartOfASlowProgram() {
    const std::string prog = Store("PRINT 1\nLET A=2\nPRINT A\n");
    vtest::write_file(dir.file("s.txt"), "stop " + prog + " 0 1 0 S1||MAIN\nspin 20000\nstop " + prog +
                                             " 0 2 0 S2||MAIN\nstop " + prog + " 0 3 0 S3||MAIN\n");
    Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
    CProgDoc* doc = DebugQueue != nullptr ? Programs_FindByDebugName(prog) : nullptr;
    auto* view = doc != nullptr ? dynamic_cast<CEditorView*>(doc->Views().front()) : nullptr;
    if (view == nullptr) {
      ADD_FAILURE() << "no session stopped in the program's window\n" << Boxes();
      return nullptr;
    }
    view->setFocus();
    if (!QTest::qWaitFor([&] { return view->hasFocus(); })) ADD_FAILURE() << "the view took no focus";
    view->Model().GoToLine(2);
    return view;
  }

  // The View menu's Call Stack command.
  void ToggleCallStack() { ASSERT_TRUE(app->Commands().Trigger(ID_VIEW_CALLSTACK)); }

  std::string Boxes() const {
    std::string all;
    for (const auto& b : sink.boxes) all += "[" + b.caption + "] " + b.text + "\n";
    return all;
  }

  vtest::TempDir dir;
  RecordingSink sink;
};

TEST_F(DebuggerWindows, StepsFromTheMainFrameFillTheCallStackAndTheDebugTab) {
  // The Call Stack command opens the window; without a session it shows the
  // last list (empty).
  ToggleCallStack();
  ASSERT_TRUE(CCallstackDoc::IsOpen());
  // F10 with no session starts one and stops at the first statement.
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_NE(DebugQueue, nullptr);
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "MAIN: LET A = 1\n\n");
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "SUB1 (lib): X = 2\nMAIN: GOSUB SUB1\n\n");
  OutputLoc* inner = CCallstackDoc::Locations()->head;
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->segment, 2);
  EXPECT_EQ(inner->line, 1);
  // F5 runs to the end: the session ends and the Debug tab gets the
  // program's output and its exit line.
  Fw_SendMessage(main, FW_MSG_DEBUG_RUN);
  EXPECT_EQ(DebugQueue, nullptr);
  ASSERT_TRUE(WaitFor([] {
    return TextOf(COutputDoc::TabText(OUTPUT_TAB_DEBUG)).find("exit code 3 (0x3).") != std::string::npos;
  })) << TextOf(COutputDoc::TabText(OUTPUT_TAB_DEBUG));

  std::string tab = TextOf(COutputDoc::TabText(OUTPUT_TAB_DEBUG));
  EXPECT_NE(tab.find("one\ntwo\n"), std::string::npos) << tab;
  EXPECT_NE(tab.find("Process terminated with exit code 3 (0x3)."), std::string::npos) << tab;
  // The list stays after the session; the window closes with the command.
  ToggleCallStack();
  EXPECT_FALSE(CCallstackDoc::IsOpen());
  EXPECT_TRUE(app->m_Config.WindowPositions.entries[CfgWnd_CallstackWindow].valid);  // its place is kept
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "SUB1 (lib): X = 2\nMAIN: GOSUB SUB1\n\n");
}

// A session started right after the last one ended: the end message of the
// last run-time, arriving during the new start, leaves the new session
// alone; and the status bar's word on the last end goes, so a running
// session is not shown as terminated.
TEST_F(DebuggerWindows, ANewSessionRightAfterTheLastOnesEndStartsAndTakesItsWordAway) {
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  Fw_SendMessage(main, FW_MSG_DEBUG_RUN);  // to the program's end
  ASSERT_EQ(DebugQueue, nullptr);
  EXPECT_EQ(Shell_StatusBar()->Model().Message(), "The current debug session has been terminated.");
  sink.boxes.clear();
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "MAIN: LET A = 1\n\n");
  EXPECT_EQ(Shell_StatusBar()->Model().Message(), "");
  for (const auto& b : sink.boxes) EXPECT_EQ(b.caption.find("Local Debug Session"), std::string::npos) << Boxes();
}

// The Call Stack command that opens the window during a stop fetches its
// list at once.
TEST_F(DebuggerWindows, OpeningTheCallStackDuringAStopFillsIt) {
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);  // no program window: the stop shows the call stack
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  ASSERT_TRUE(CCallstackDoc::IsOpen());
  ToggleCallStack();
  ASSERT_FALSE(CCallstackDoc::IsOpen());
  CCallstackDoc::Clear();
  ToggleCallStack();
  ASSERT_TRUE(CCallstackDoc::IsOpen());
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "MAIN: LET A = 1\n\n");
  // Brought forward while open, it fetches nothing.
  CCallstackDoc::Clear();
  CCallstackDoc::Show(true);
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "\n");
}

// The call stack's context menu is its own: its read-only lines can be
// copied and selected, not cut or pasted as in an editor.
TEST_F(DebuggerWindows, TheCallStacksContextMenuCopiesAndSelects) {
  ToggleCallStack();
  QPointer<CCallstackFrame> frame = app->Windows().Window<CCallstackFrame>();
  ASSERT_NE(frame, nullptr);
  auto* view = dynamic_cast<CEditorView*>(frame->View(0));
  ASSERT_NE(view, nullptr);
  std::vector<QString> texts;
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    seen = menu != nullptr;
    if (menu == nullptr) return;
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->isVisible()) texts.push_back(a->text());
    menu->close();
  });
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
  QCoreApplication::processEvents();
  ASSERT_TRUE(seen);
  const std::vector<QString> expected = {app->Commands().Action(ID_EDIT_COPY)->text(),
                                         app->Commands().Action(ID_EDIT_SELECT_ALL)->text()};
  EXPECT_EQ(texts, expected);
}

// One call-stack document at a time: its template makes no second one while
// the window is open, and a new one as soon as the window closed.
TEST_F(DebuggerWindows, TheCallStackHasOneDocumentAtATime) {
  ToggleCallStack();
  CCallstackDoc* first = CCallstackDoc::Find();
  ASSERT_NE(first, nullptr);
  FwDocTemplate* tmpl = first->Template();
  ASSERT_NE(tmpl, nullptr);
  SysAssertHandler previous = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  EXPECT_THROW(tmpl->OpenDocument(nullptr), SysAssertError);
  Sys_SetAssertHandler(previous);
  EXPECT_EQ(tmpl->Documents(), std::vector<FwDocument*>{first});
  ToggleCallStack();
  EXPECT_FALSE(CCallstackDoc::IsOpen());
  EXPECT_EQ(CCallstackDoc::Find(), nullptr);
  ToggleCallStack();
  EXPECT_TRUE(CCallstackDoc::IsOpen());
  ASSERT_NE(CCallstackDoc::Find(), nullptr);
  EXPECT_EQ(tmpl->Documents().size(), 1u);
}

TEST_F(DebuggerWindows, TerminateWhileRunningEndsTheSession) {
  vtest::write_file(dir.file("s.txt"), "stop m.PROG 1 1 0 A||M\nspin 20000\nstop m.PROG 1 2 0 B||M\n");
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  ASSERT_NE(DebugQueue, nullptr);
  QTimer::singleShot(200, main, [this] { Fw_PostMessage(main, FW_MSG_DEBUG_STOP); });
  Fw_SendMessage(main, FW_MSG_DEBUG_RUN);
  EXPECT_EQ(DebugQueue, nullptr);
  // A call-stack line without a session does nothing on a double click.
  DebugLocation e;
  e.file = "m.PROG";
  e.text3 = "M";
  CCallstackDoc::Clear();
  CCallstackDoc::AddEntry(e);
  CCallstackDoc doc;
  int flag = 0;
  EXPECT_TRUE(doc.GoToLocation(nullptr, 0, &flag));
  EXPECT_EQ(flag, 1);
}

// The yellow stop arrow in the margin of a view's row.
bool ArrowAt(CEditorView* view, int row_top, int row_height) {
  const QImage image = view->grab().toImage();
  for (int y = row_top; y < row_top + row_height && y < image.height(); ++y)
    for (int x = 0; x < 16 && x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(255, 255, 0)) return true;
  return false;
}

// The cross-reference pane's tree, without its window.
struct PaneTree : XrefLink {
  XrefTree tree;
  XrefTree* Tree() override { return &tree; }
};

TEST_F(DebuggerWindows, AStopIsMarkedWithTheArrowInItsProgramWindow) {
  const std::string prog = Store("PRINT 1\nLET A=2\nPRINT A\n");
  vtest::write_file(dir.file("s.txt"),
                    "stop " + prog + " 0 1 0 PRINT 1||MAIN\nstop " + prog + " 0 3 0 PRINT A||MAIN\n");
  PaneTree xref;
  XrefLink* const previous_xref = std::exchange(Shell_Neighbours().xref, &xref);
  ToggleCallStack();
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  // The stop's file was opened by its path and took the target's name.
  CProgDoc* doc = Programs_FindByDebugName(prog);
  ASSERT_NE(doc, nullptr) << Boxes();
  // Its segment is selected in the pane, the path to it expanded.
  XrefNode* selected = xref.tree.Selected();
  ASSERT_NE(selected, nullptr);
  auto* segment = dynamic_cast<XrefSegment*>(selected->Item());
  ASSERT_NE(segment, nullptr);
  EXPECT_EQ(segment->Segment(), 0);
  ASSERT_NE(selected->Parent(), nullptr);
  EXPECT_TRUE(selected->Parent()->Expanded());
  xref.tree.RemoveDocument(doc);
  Shell_Neighbours().xref = previous_xref;
  EXPECT_EQ(doc, Programs_FindByPath(prog));
  uint32_t stop = 0;
  ASSERT_TRUE(doc->GetStopLine(&stop));
  EXPECT_EQ(stop, 1u);
  auto* view = dynamic_cast<CEditorView*>(doc->Views().front());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Model().caret_line, 0u);
  const int row_height = view->LineHeight();
  app->RunIdle();
  EXPECT_TRUE(ArrowAt(view, 0, row_height));

  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_TRUE(doc->GetStopLine(&stop));
  EXPECT_EQ(stop, 3u);
  EXPECT_EQ(view->Model().caret_line, 2u);
  EXPECT_FALSE(ArrowAt(view, 0, row_height));
  // A double click on the call stack's line shows its source line again.
  view->Model().GoToLine(0);
  CCallstackDoc stack;
  int flag = 1;
  EXPECT_TRUE(stack.GoToLocation(nullptr, 0, &flag));
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(view->Model().caret_line, 2u);

  // The session's end takes the mark away.
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
  EXPECT_EQ(DebugQueue, nullptr);
  EXPECT_FALSE(doc->GetStopLine(&stop));
  EXPECT_TRUE(sink.boxes.empty()) << Boxes();

  // The Breakpoints dialog's Go To: the caret on the breakpoint's line of
  // its document; a line that is not there does nothing.
  ProgramLink& link = *Shell_Neighbours().program;
  EXPECT_TRUE(link.GoToLine(prog.c_str(), 0, 2));
  EXPECT_EQ(view->Model().caret_line, 1u);
  EXPECT_FALSE(link.GoToLine(prog.c_str(), 0, 7));
  EXPECT_FALSE(link.GoToLine(dir.file("none.PROG").c_str(), 0, 1));
  EXPECT_EQ(view->Model().caret_line, 1u);
}

// A stop whose segment the cross-reference pane does not list is not shown:
// the step fails, the session goes on, and the next stop in a listed
// segment shows again.
TEST_F(DebuggerWindows, AStopInASegmentThePaneDoesNotListFailsTheStep) {
  const std::string prog = Store("PRINT 1\nLET A=2\nPRINT A\n");
  vtest::write_file(dir.file("s.txt"), "stop " + prog + " 0 1 0 PRINT 1||MAIN\nstop " + prog +
                                           " 0 2 0 LET A=2||MAIN\nstop " + prog + " 0 3 0 PRINT A||MAIN\n");
  PaneTree xref;
  XrefLink* const previous_xref = std::exchange(Shell_Neighbours().xref, &xref);
  ToggleCallStack();
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  CProgDoc* doc = Programs_FindByDebugName(prog);
  ASSERT_NE(doc, nullptr) << Boxes();
  uint32_t stop = 0;
  ASSERT_TRUE(doc->GetStopLine(&stop));
  EXPECT_EQ(stop, 1u);

  // The document's own table knows segment 0; the pane no longer does.
  xref.tree.RemoveChildren(doc);
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  EXPECT_NE(DebugQueue, nullptr);
  EXPECT_FALSE(doc->GetStopLine(&stop));
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "MAIN: PRINT 1\n\n");  // not asked for

  xref.tree.AddSegment(doc, "MAIN", 0, 0);
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_TRUE(doc->GetStopLine(&stop));
  EXPECT_EQ(stop, 3u);
  EXPECT_EQ(TextOf(CCallstackDoc::Text()), "MAIN: PRINT A\n\n");
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
  xref.tree.RemoveDocument(doc);
  Shell_Neighbours().xref = previous_xref;
  EXPECT_TRUE(sink.boxes.empty()) << Boxes();
}

// Ctrl+F10 runs to the caret's line through a breakpoint that lasts one
// run; a line typed since the program was stored runs to the next stored
// line.
TEST_F(DebuggerWindows, RunToCursorStopsAtTheCaretsLineAlsoOnALineTypedSince) {
  const std::string prog = Store("PRINT 1\nLET A=2\nPRINT A\nPRINT 4\nPRINT 5\n");
  std::string script;
  for (int n = 1; n <= 5; ++n)
    script += "stop " + prog + " 0 " + std::to_string(n) + " 0 S" + std::to_string(n) + "||MAIN\n";
  vtest::write_file(dir.file("s.txt"), script);
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  CProgDoc* doc = Programs_FindByDebugName(prog);
  ASSERT_NE(doc, nullptr) << Boxes();
  auto* view = dynamic_cast<CEditorView*>(doc->Views().front());
  ASSERT_NE(view, nullptr);
  view->setFocus();
  uint32_t stop = 0;
  auto stopped_at = [&](uint32_t line) { return doc->GetStopLine(&stop) && stop == line; };
  TextObj* text = doc->GetTextObj();
  auto marks = [&] {
    std::string all;
    for (uint32_t i = 0; i < text->num_lines; ++i)
      if (text->Line(i)->line_flags & (TextLine_RUN_TO | TextLine_BREAKPOINT)) all += std::to_string(i) + " ";
    return all;
  };

  // A stored line: the run passes line 2 and stops at 3.
  view->Model().GoToLine(2);
  QTest::keyClick(view, Qt::Key_F10, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return stopped_at(3); })) << stop << Boxes();
  EXPECT_NE(vtest::read_file(dir.file("log")).find("SET_BREAKPT 1 " + prog + ":0:3"), std::string::npos)
      << vtest::read_file(dir.file("log"));
  // The breakpoint lasted one run: no mark, nothing stored.
  EXPECT_EQ(marks(), "");
  EXPECT_EQ(app->m_Breakpoints.head, nullptr);

  // A blank line typed before "PRINT 4" is not stored: the run stops at
  // the next stored line.
  view->Model().GoToLine(3);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(text->num_lines, 6u);
  ASSERT_EQ(text->Line(3)->line_number, 0);
  view->Model().GoToLine(3);
  QTest::keyClick(view, Qt::Key_F10, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return stopped_at(4); })) << stop << Boxes();
  EXPECT_NE(vtest::read_file(dir.file("log")).find("SET_BREAKPT 1 " + prog + ":0:4"), std::string::npos)
      << vtest::read_file(dir.file("log"));
  EXPECT_EQ(marks(), "");
  // The next run sends the list without it.
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  EXPECT_TRUE(stopped_at(5));
  EXPECT_NE(vtest::read_file(dir.file("log")).find("SET_BREAKPT 0"), std::string::npos);
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
  EXPECT_TRUE(sink.boxes.empty()) << Boxes();
}

// While the program runs to the cursor the main frame is busy with the
// run: closing the main window then cancels the run and keeps the window,
// as during F5, instead of ending the session under the waiting run.
TEST_F(DebuggerWindows, ClosingTheMainWindowDuringRunToCursorCancelsTheRun) {
  CEditorView* view = StoppedAtTheStartOfASlowProgram();
  ASSERT_NE(view, nullptr);
  sink.answer = SHELL_IDYES;
  bool asked = false, closed = true;
  QTimer::singleShot(300, main, [&] {
    asked = Debug_SessionWaiting();
    closed = main->close();
  });
  QTest::keyClick(view, Qt::Key_F10, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([] { return DebugQueue == nullptr; })) << Boxes();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(main->isVisible());
  ASSERT_EQ(sink.boxes.size(), 1u) << Boxes();
  EXPECT_EQ(sink.boxes[0].caption, "Debug Session Still Active");
}

// Run to Cursor is grey while the program runs (it would do nothing then)
// and, stopped, carries the Trace toggle like the other run commands.
TEST_F(DebuggerWindows, RunToCursorIsGreyWhileTheProgramRunsAndCarriesTrace) {
  CEditorView* view = StoppedAtTheStartOfASlowProgram();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(app->RouteUpdate(ID_RUN_TO_CURSOR).enabled);
  bool while_running = true;
  QTimer::singleShot(300, main, [&] {
    if (Debug_SessionWaiting()) while_running = app->RouteUpdate(ID_RUN_TO_CURSOR).enabled;
    Fw_PostMessage(main, FW_MSG_DEBUG_HALT);
  });
  Fw_SendMessage(main, FW_MSG_DEBUG_RUN);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();  // halted in the spin
  EXPECT_FALSE(while_running);

  ASSERT_TRUE(app->Commands().Trigger(ID_DEBUG_TRACE));
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  view->Model().GoToLine(2);
  QTest::keyClick(view, Qt::Key_F10, Qt::ControlModifier);
  uint32_t stop = 0;
  auto* doc = dynamic_cast<CProgDoc*>(view->Document());
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(WaitFor([&] { return doc->GetStopLine(&stop) && stop == 3; })) << stop << Boxes();
  const std::string log = vtest::read_file(dir.file("log"));
  EXPECT_NE(log.rfind("CONT mode=0 trace=1"), std::string::npos) << log;
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
}

TEST_F(DebuggerWindows, ARemoteStopOpensItsFileFromTheProgramServer) {
  vtest::TempDir tree;
  const std::string prog = Store("PRINT 1\nLET A=2\nPRINT A\n");
  vtest::write_file(tree.file("p.PROG"), vtest::read_file(prog));
  vtest::StandIn server("progserver", {"--root", tree.path()});
  Cfg_ListClear("Server");
  Test_ListServer("localhost", server.service());
  vtest::write_file(dir.file("s.txt"), "stop p.PROG 0 2 0 LET A=2||MAIN\n");
  Cfg_PutInt(Cfg_ListGet("Debug", 0).c_str(), "ServerIndex", 1);
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_INTO);
  ASSERT_NE(DebugQueue, nullptr) << Boxes() << server.log();
  // The target's name is located on the server (request 63) and the file
  // opens from there.
  CProgDoc* doc = Programs_FindByDebugName("p.PROG");
  ASSERT_NE(doc, nullptr) << Boxes() << server.log();
  EXPECT_EQ(doc->Model().PathName(), "localhost://p.PROG");
  uint32_t stop = 0;
  ASSERT_TRUE(doc->GetStopLine(&stop));
  EXPECT_EQ(stop, 2u);
  EXPECT_NE(server.log().find("# locate \"p.PROG\""), std::string::npos) << server.log();
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
  EXPECT_EQ(DebugQueue, nullptr);
  EXPECT_TRUE(sink.boxes.empty()) << Boxes();
}

// The program documents as the Breakpoints command's Go To reaches them.
class GoToRecorder : public ProgramLink {
 public:
  bool GoToLine(const char* path, uint16_t segment, uint16_t line) override {
    lines.push_back(std::string(path) + " " + std::to_string(segment) + " " + std::to_string(line));
    return true;
  }
  std::vector<std::string> lines;
};

// The Breakpoints command from its menu item runs the dialog on the stored
// list; its Go To shows the chosen breakpoint's line once the dialog closed,
// and the dialog is freed.
TEST_F(DebuggerWindows, TheBreakpointsCommandGoesToTheChosenLine) {
  EXPECT_FALSE(app->RouteUpdate(ID_EDIT_BREAKPOINTS).enabled);  // no debugger windows yet
  std::unique_ptr<::DebuggerWindows> windows = Debugger_InstallWindows(*app);
  GoToRecorder program;
  ProgramLink* const previous = std::exchange(Shell_Neighbours().program, &program);
  new CfgBreakpoint(&app->m_Breakpoints, "/work/a.PROG", 3, 10);
  new CfgBreakpoint(&app->m_Breakpoints, "/work/c.PROG", 2, 30);
  DialogScript script;
  script.Then([](QDialog* d) {
    auto* dlg = dynamic_cast<CBreakpointsDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(dlg->List()->topLevelItemCount(), 2);
    dlg->List()->clearSelection();
    dlg->List()->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(dlg->Button(IDC_BREAKPOINT_GOTO), Qt::LeftButton);
  });
  QAction* item = app->Commands().Action(ID_EDIT_BREAKPOINTS);
  ASSERT_NE(item, nullptr);
  app->UpdateAction(item);
  ASSERT_TRUE(item->isEnabled());
  item->trigger();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(program.lines, std::vector<std::string>{"/work/c.PROG 2 30"});
  EXPECT_TRUE(main->findChildren<CBreakpointsDlg*>().empty());
  Shell_Neighbours().program = previous;
  app->m_Breakpoints.Clear();  // the next start finds none
}

// The Variables window's Refresh button is its own: while a session is
// stopped it is enabled and refreshes also when another window (the call
// stack, the program) is the active one.
TEST_F(DebuggerWindows, TheVariablesRefreshButtonServesItsWindowWhileAnotherIsActive) {
  std::unique_ptr<::DebuggerWindows> windows = Debugger_InstallWindows(*app);
  Debugger_Install(&windows->variables);
  ASSERT_TRUE(app->Commands().Trigger(ID_VIEW_VARIABLES));
  Fw_SendMessage(main, FW_MSG_DEBUG_STEP_OVER);
  ASSERT_NE(DebugQueue, nullptr) << Boxes();
  ASSERT_TRUE(CCallstackDoc::IsOpen());  // no program window: the stop showed the call stack
  QPointer<CCallstackFrame> stack = app->Windows().Window<CCallstackFrame>();
  ASSERT_NE(stack, nullptr);
  stack->mdiArea()->setActiveSubWindow(stack);
  ASSERT_NE(main->ActiveChild(), windows->variables.Document()->Frames().front());
  app->RunIdle();
  QToolButton* refresh = windows->variables.View()->RefreshButton();
  EXPECT_TRUE(refresh->isEnabled());
  auto fetches = [&] {
    const std::string log = vtest::read_file(dir.file("log"));
    size_t n = 0;
    for (size_t at = log.find("GET_ELEMENTS (top)"); at != std::string::npos;
         at = log.find("GET_ELEMENTS (top)", at + 1))
      ++n;
    return n;
  };
  const size_t before = fetches();
  QTest::mouseClick(refresh, Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return fetches() == before + 1; })) << vtest::read_file(dir.file("log"));

  // Without a session the button is grey, whichever window is active.
  Fw_SendMessage(main, FW_MSG_DEBUG_STOP);
  ASSERT_EQ(DebugQueue, nullptr);
  app->RunIdle();
  EXPECT_FALSE(refresh->isEnabled());
  windows->variables.Show(false);
}

TEST_F(DebuggerWindows, TheWindowsAreKindsOfTheApplicationsRegistry) {
  std::unique_ptr<::DebuggerWindows> windows = Debugger_InstallWindows(*app);
  FwCommandTable& commands = app->Commands();
  // The View menu's commands open the windows; the registry finds them and
  // checks their commands.
  for (int id : {ID_VIEW_VARIABLES, ID_VIEW_CALLSTACK}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(commands.Trigger(id));
    EXPECT_TRUE(app->RouteUpdate(id).checked.value_or(false));
  }
  QPointer<CVariableFrame> variables = app->Windows().Window<CVariableFrame>();
  ASSERT_NE(variables, nullptr);
  EXPECT_EQ(variables->width(), 476);
  EXPECT_TRUE(windows->variables.IsOpen());
  ASSERT_NE(app->Windows().Window<CCallstackFrame>(), nullptr);
  EXPECT_TRUE(CCallstackDoc::IsOpen());
  variables->move(30, 40);
  for (int id : {ID_VIEW_VARIABLES, ID_VIEW_CALLSTACK}) EXPECT_TRUE(commands.Trigger(id));
  EXPECT_FALSE(windows->variables.IsOpen());
  EXPECT_FALSE(CCallstackDoc::IsOpen());
  EXPECT_EQ(app->Windows().Window<CVariableFrame>(), nullptr);
  // Their places are kept in the configuration's window positions.
  const CfgWindowPos& kept = app->m_Config.WindowPositions.entries[CfgWnd_VariableWindow];
  ASSERT_TRUE(kept.valid);
  EXPECT_EQ(kept.placement.rcNormalPosition.left, 30);
  EXPECT_TRUE(app->m_Config.WindowPositions.entries[CfgWnd_CallstackWindow].valid);
  // Opened again, the Variables window takes its place.
  EXPECT_TRUE(commands.Trigger(ID_VIEW_VARIABLES));
  variables = app->Windows().Window<CVariableFrame>();
  ASSERT_NE(variables, nullptr);
  EXPECT_EQ(variables->x(), 30);
  windows->variables.Show(false);
}

}  // namespace
