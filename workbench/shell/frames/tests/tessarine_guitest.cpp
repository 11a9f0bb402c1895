// The environment started in-process on a temporary registry with the
// recording sink: menus and bars with their ids, the status bar's colours
// and progress, the close refusals, auto-save, F10, File/New, help, and the
// placement kept from one start to the next.
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>

#include "platform/registry.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwstatuspane.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/apphelp.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/frames/browsebar.h"
#include "workbench/shell/frames/editbar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class FakeDebug : public DebugLink {
 public:
  bool Plugged() const override { return true; }
  bool SessionExists() const override { return session; }
  bool StartSession(int run_mode) override {
    starts.push_back(run_mode);
    return false;
  }
  void EndSession() override {
    ++ends;
    session = false;
  }
  void CancelPending() override { ++cancels; }
  bool session = false;
  std::vector<int> starts;
  int ends = 0, cancels = 0;
};

class FakeServer : public ServerLink {
 public:
  bool AnyActive() const override { return pending; }
  bool AnyPending() const override { return pending; }
  void CancelAll() override {
    ++cancels;
    pending = false;
  }
  bool pending = false;
  int cancels = 0;
};

class FakeExplorer : public ExplorerLink {
 public:
  bool SaveAsOpen() const override { return save_as; }
  void CloseSaveAs() override {
    save_as = false;
    ++closed;
  }
  bool save_as = false;
  int closed = 0;
};

class FakeProgram : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  bool OpenFile(const char* path, int mode) override {
    opened.push_back({path ? path : "", mode});
    default_at_open = YqApp()->m_Config.General.NewFileMode;
    if (on_open) on_open();
    return true;
  }
  std::function<void()> on_open;  // a question the opening asks
  std::vector<std::pair<std::string, int>> opened;
  int default_at_open = -1;
};

class RecordingHelp : public HelpSink {
 public:
  RecordingHelp() { previous_ = Help_SetSink(this); }
  ~RecordingHelp() override { Help_SetSink(previous_); }
  void show(const std::string&, const std::string& topic) override { topics.push_back(topic); }
  std::vector<std::string> topics;

 private:
  HelpSink* previous_;
};

class FakeDoc : public AutoSaveDoc {
 public:
  bool NeedsAutoSave() override { return true; }
  void OnAutoSave() override { ++saves; }
  int saves = 0;
};

class Tessarine : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("tessarine-guitest"); }

  void SetUp() override {
    ShellNeighbours& n = Shell_Neighbours();
    n.debug = &debug;
    n.server = &server;
    n.explorer = &explorer;
    n.program = &program;
    StartShell();
  }

  void TearDown() override {
    StopShell();
    Shell_ResetNeighbours();
  }

  QColor PanePixel(int pane, int x, int y) {
    QCoreApplication::processEvents();
    app->RunIdle();
    FwStatusPane* p = Shell_StatusBar()->PaneAt(pane);
    QImage image = p->grab().toImage();
    return image.pixelColor(x < 0 ? image.width() / 2 : x, y < 0 ? image.height() / 2 : y);
  }

  RecordingSink sink;
  FakeDebug debug;
  FakeServer server;
  FakeExplorer explorer;
  FakeProgram program;
};

TEST_F(Tessarine, MenusAndBarsCarryTheirIds) {
  std::vector<std::string> bars;
  for (QToolBar* bar : main->findChildren<QToolBar*>()) bars.push_back(bar->objectName().toStdString());
  for (const char* id : {"59394", "59399", "59401", "59395", "59398", "59396"})
    EXPECT_NE(std::find(bars.begin(), bars.end(), id), bars.end()) << id;
  EXPECT_EQ(dynamic_cast<CEditBar*>(main->Bar(59399)), Shell_EditBar());
  ASSERT_NE(main->BrowseBar(), nullptr);
  EXPECT_EQ(main->BrowseBar()->Tabs()->tabText(0), "Files");
  EXPECT_EQ(main->BrowseBar()->Tabs()->tabText(1), "Help");
  std::vector<int> menu_ids;
  for (QAction* top : main->menuBar()->actions())
    for (QAction* a : top->menu()->actions()) menu_ids.push_back(app->Commands().IdOf(a));
  for (int id : {57601, 32939, 57616, 32780, 32914, 32916, 32928, 32917, 32923, 32924, 32925, 32929, 33037, 57664})
    EXPECT_NE(std::find(menu_ids.begin(), menu_ids.end(), id), menu_ids.end()) << id;
  CYqStatusBar* status = Shell_StatusBar();
  ASSERT_EQ(status->PaneCount(), 22);
  EXPECT_EQ(status->PaneAt(20)->Id(), 59150);
  EXPECT_EQ(status->PaneIdx(SP_NETWORK), 4);
  // Neighbours not plugged in: their commands are off; the debugger's are on.
  EXPECT_FALSE(app->RouteUpdate(32771).enabled);
  EXPECT_FALSE(app->RouteUpdate(33037).enabled);
  EXPECT_TRUE(app->RouteUpdate(32916).enabled);
  EXPECT_FALSE(app->RouteUpdate(32917).enabled);
  EXPECT_FALSE(app->RouteUpdate(57616).enabled);  // no recent files
}

TEST_F(Tessarine, MessagePaneColoursFollowTheKindAndTheNetworkCircleIsGrey) {
  CYqStatusBar* status = Shell_StatusBar();
  struct Case {
    void (CYqStatusBar::*show)(const char*, ...);
    QColor colour;
  } cases[] = {
      {&CYqStatusBar::Info, QColor(0, 0, 128)},
      {&CYqStatusBar::Warning, QColor(255, 255, 0)},
      {&CYqStatusBar::Error, QColor(255, 0, 0)},
  };
  for (const auto& c : cases) {
    (status->*c.show)("%s", "Compiled 12 lines");
    EXPECT_EQ(PanePixel(SP_MESSAGE, 2, 2), c.colour);
  }
  status->Message("%s", "plain");
  EXPECT_NE(PanePixel(SP_MESSAGE, 2, 2), QColor(255, 0, 0));
  EXPECT_EQ(PanePixel(SP_NETWORK, -1, -1), QColor(192, 192, 192));
}

TEST_F(Tessarine, ProgressShowsWholePercentsAndRepaintsOnlyOnChange) {
  CYqStatusBar* status = Shell_StatusBar();
  status->ShowProgress("Saving", 0, 100);
  app->RunIdle();
  EXPECT_TRUE(status->Model().IsActive(SP_PROGRESS_BAR));
  int base = status->ProgressRepaints();
  status->StepProgress(0);
  EXPECT_EQ(status->ProgressBar()->value(), 0);
  EXPECT_EQ(status->ProgressRepaints(), base);
  status->StepProgress(50);
  status->StepProgress(50);
  EXPECT_EQ(status->ProgressRepaints(), base + 1);
  status->StepProgress(99);
  EXPECT_EQ(status->ProgressBar()->value(), 100);
  status->ShowProgress(nullptr, 0, 0);
  app->RunIdle();
  EXPECT_FALSE(status->Model().IsActive(SP_PROGRESS_BAR));
}

TEST_F(Tessarine, CloseIsRefusedInOrder) {
  explorer.save_as = true;
  main->close();
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(explorer.closed, 1);
  EXPECT_TRUE(sink.boxes.empty());

  debug.session = true;
  sink.answer = SHELL_IDNO;
  main->close();
  EXPECT_TRUE(main->isVisible());
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Debug Session Still Active");
  EXPECT_EQ(sink.boxes[0].style & 0xFF, unsigned{SHELL_MB_YESNO | SHELL_MB_ICONQUESTION});
  EXPECT_EQ(debug.ends, 0);

  sink.answer = SHELL_IDYES;
  server.pending = true;
  main->close();
  EXPECT_EQ(debug.ends, 1);
  EXPECT_EQ(server.cancels, 1);
  EXPECT_TRUE(main->isVisible());

  main->close();
  EXPECT_FALSE(main->isVisible());
}

TEST_F(Tessarine, AutoSaveComesAfterIntervalTimesSixTicks) {
  FakeDoc doc;
  main->GetDocID(&doc)->SetAutoSaveInterval(2);
  int qt_id = main->Timers().QtIdOf(1);
  ASSERT_NE(qt_id, 0);
  for (int i = 0; i < 12; ++i) {
    QTimerEvent tick(qt_id);
    QCoreApplication::sendEvent(main, &tick);
  }
  EXPECT_EQ(doc.saves, 0);
  QTimerEvent tick(qt_id);
  QCoreApplication::sendEvent(main, &tick);
  EXPECT_EQ(doc.saves, 1);
  main->Docs().Remove(&doc);
}

TEST_F(Tessarine, F10PostsStepOver) {
  QTest::keyClick(main, Qt::Key_F10);
  EXPECT_TRUE(debug.starts.empty());  // posted, not yet delivered
  QTRY_COMPARE(debug.starts, std::vector<int>{1});
  app->Commands().Action(32916)->trigger();
  QTRY_COMPARE(debug.starts.size(), 2u);
  EXPECT_EQ(debug.starts[1], 0);
}

TEST_F(Tessarine, AMainFrameThatIsGoneLeavesNoPointerBehind) {
  EXPECT_EQ(Shell_MainFrame(), main);
  EXPECT_EQ(Shell_StatusBar(), main->StatusBar());
  EXPECT_EQ(Shell_EditBar(), main->EditBar());
  delete main;
  main = nullptr;
  EXPECT_EQ(app->MainWnd(), nullptr);
  EXPECT_EQ(app->MainFrame(), nullptr);
  EXPECT_EQ(Shell_MainFrame(), nullptr);
  EXPECT_EQ(Shell_StatusBar(), nullptr);
  EXPECT_EQ(Shell_EditBar(), nullptr);
  // What reached the frame before finds none now: idle time, F10, File New,
  // the route of a command.
  app->RunIdle();
  QWidget field;
  QTest::keyClick(&field, Qt::Key_F10);
  QCoreApplication::processEvents();
  EXPECT_TRUE(debug.starts.empty());
  EXPECT_TRUE(app->RouteCommand(ID_FILE_NEW));  // the application's, with no frame to fill
  EXPECT_EQ(app->RouteChain(), std::vector<FwCmdTarget*>{app.get()});
}

TEST_F(Tessarine, FileNewOffersTheDefaultKindFirst) {
  app->m_Config.General.NewFileMode = 4;
  QMenu menu;
  main->FillFileNewMenu(&menu);
  std::vector<std::string> texts;
  for (QAction* a : menu.actions()) texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Text File (CR-LF line separators)", "-", "Varnica Compatible Program File",
                                      "Varnica A.05.01 Program File", "Varnica A.06.00 Program File",
                                      "Text File (LF line separators)", "Text File (CR line separators)"}));
  menu.actions()[0]->trigger();
  menu.actions()[2]->trigger();
  ASSERT_EQ(program.opened.size(), 2u);
  EXPECT_EQ(program.opened[0].second, 4);
  EXPECT_EQ(program.opened[1].second, 1);
  EXPECT_EQ(program.default_at_open, 1);
  EXPECT_EQ(app->m_Config.General.NewFileMode, 4);
}

TEST_F(Tessarine, HelpGoesThroughTheTopicTable) {
  RecordingHelp help;
  app->m_Config.Help.ConfigURL = "http://manuals/";
  EXPECT_TRUE(app->WinHelp(131276, 1));
  EXPECT_TRUE(app->ShowKeywordHelp("print #"));
  EXPECT_FALSE(app->WinHelp(131240, 1));  // suppressed until idle
  app->RunIdle();
  EXPECT_TRUE(app->WinHelp(131240, 1));
  EXPECT_EQ(help.topics, (std::vector<std::string>{"HIDR_DLGPROPTYPE", "Key__PRINT_", "HIDR_MAINFRAME"}));
}

TEST_F(Tessarine, AHelpViewerThatFailsIsReportedAndEveryViewerIsReaped) {
  app->m_Config.Help.ConfigURL = "http://manuals/";
  struct Case {
    const char* viewer;
    const char* says;  // in the box; null: no box
  } cases[] = {
      {"/nonexistent/help-viewer", "No such file or directory"},
      {"false", "exit code 1"},
      {"true", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.viewer);
    setenv("VARNICA_HELP_VIEWER", c.viewer, 1);
    sink.boxes.clear();
    app->RunIdle();
    const std::string topic = std::string("TOPIC_") + std::to_string(&c - cases);
    ASSERT_TRUE(app->ShowHelp(topic));
    // Every child is reaped at idle time: none is left behind.
    ASSERT_TRUE(QTest::qWaitFor([&] {
      app->RunIdle();
      return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
    }));
    if (c.says == nullptr) {
      EXPECT_TRUE(sink.boxes.empty());
      continue;
    }
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Help");
    EXPECT_NE(sink.boxes[0].text.find("http://manuals/#" + topic), std::string::npos);
    EXPECT_NE(sink.boxes[0].text.find(c.says), std::string::npos) << sink.boxes[0].text;
  }
  unsetenv("VARNICA_HELP_VIEWER");
}

TEST_F(Tessarine, OutputLinesAreQueuedForIdleTimeAsLinesOfTheirOwn) {
  Fw_PostBlock(main, FW_MSG_OUTPUT_LINE, "first piece");
  Fw_PostBlock(main, FW_MSG_OUTPUT_LINE, "second piece");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !app->PendingOutput().empty(); }));
  EXPECT_EQ(app->PendingOutput(), std::string("first piece\nsecond piece"));
  app->RunIdle();
  EXPECT_TRUE(app->PendingOutput().empty());
}

TEST_F(Tessarine, PlacementAndBrowseBarAreKeptForTheNextStart) {
  main->setGeometry(120, 140, 720, 520);
  app->RouteCommand(32914);  // show the browse bar
  EXPECT_TRUE(main->BrowseBar()->isVisible());
  EXPECT_EQ(app->RouteUpdate(32914).checked, std::optional<bool>(true));
  StopShell();
  EXPECT_EQ(Cfg_GetString("WindowPositions", "BrowseBarVisible"), "True");

  StartShell();
  EXPECT_EQ(main->geometry().size(), QSize(720, 520));
  EXPECT_EQ(main->geometry().topLeft(), QPoint(120, 140));
  EXPECT_TRUE(main->BrowseBar()->isVisible());
  app->RouteCommand(32914);
  StopShell();
  StartShell();
  EXPECT_FALSE(main->BrowseBar()->isVisible());
}

}  // namespace

namespace {

TEST_F(Tessarine, EditBarTurnsItsFindBoxIntoAButtonWhenDockedAtTheSide) {
  CEditBar* bar = Shell_EditBar();
  main->addToolBar(Qt::LeftToolBarArea, bar);
  EXPECT_TRUE(bar->ButtonMode());
  main->addToolBar(Qt::TopToolBarArea, bar);
  EXPECT_FALSE(bar->ButtonMode());
  EXPECT_TRUE(app->RouteCommand(102));  // Find (Ctrl+D)
}

TEST_F(Tessarine, KeysAreSwallowedUntilStartedAndClipboardKeysReachPlainFields) {
  auto* field = new QLineEdit(main);
  field->show();
  field->setText("copy me");
  field->selectAll();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "copy me");
  QTest::keyClick(field, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(field->text(), "");
  QTest::keyClick(field, Qt::Key_Backspace, Qt::AltModifier);
  EXPECT_EQ(field->text(), "copy me");
  delete field;

  // A second application object that has not started swallows keys.
  StopShell();
  app = std::make_unique<CYqApp>();
  QLineEdit lonely;
  qApp->installEventFilter(app.get());
  lonely.show();
  QTest::keyClicks(&lonely, "abc");
  EXPECT_EQ(lonely.text(), "");
  qApp->removeEventFilter(app.get());
  app.reset();
}

}  // namespace

namespace {

// A program named on the command line asks its password before the start
// is over: the question takes the keys typed into it, and the keys aimed at
// the main window stay swallowed until the start ends.
TEST_F(Tessarine, AQuestionAskedWhileStartingTakesTheKeys) {
  StopShell();
  QString answered, main_got;
  program.on_open = [&] {
    auto* outside = new QLineEdit(YqApp()->MainWnd());
    outside->show();
    QTest::keyClicks(outside, "early");
    main_got = outside->text();
    QDialog question(YqApp()->MainWnd());
    auto* field = new QLineEdit(&question);
    QTimer::singleShot(0, &question, [&] {
      QTest::keyClicks(field, "opensesame");
      question.accept();
    });
    question.exec();
    answered = field->text();
  };
  app = std::make_unique<CYqApp>();
  ASSERT_TRUE(app->InitInstance({"/tmp/locked.PROG"}));
  main = app->MainWnd();
  program.on_open = nullptr;
  EXPECT_EQ(answered, "opensesame");
  EXPECT_EQ(main_got, "");
  EXPECT_TRUE(app->Started());
}

TEST_F(Tessarine, APlainStartShowsTheSplashAndAFileStartOpensTheFile) {
  EXPECT_FALSE(app->SplashShown());  // -nologo
  EXPECT_TRUE(app->Started());
  StopShell();
  app = std::make_unique<CYqApp>();
  ASSERT_TRUE(app->InitInstance({}));
  main = app->MainWnd();
  EXPECT_TRUE(app->SplashShown());
  EXPECT_TRUE(program.opened.empty());
  StopShell();
  app = std::make_unique<CYqApp>();
  ASSERT_TRUE(app->InitInstance({"/tmp/sample.q"}));
  main = app->MainWnd();
  EXPECT_FALSE(app->SplashShown());
  ASSERT_EQ(program.opened.size(), 1u);
  EXPECT_EQ(program.opened[0].first, "/tmp/sample.q");
  StopShell();
  // An automated start shows no window and does not start.
  app = std::make_unique<CYqApp>();
  ASSERT_TRUE(app->InitInstance({"-Automation"}));
  main = app->MainWnd();
  EXPECT_FALSE(main->isVisible());
  EXPECT_FALSE(app->Started());
}

}  // namespace

// Runs `check` on the pop-up menu that is open, then closes it.
void CheckOpenPopup(const std::function<void(QMenu*)>& check) {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  check(menu);
  menu->close();
  QCoreApplication::processEvents();
}

QAction* ItemOf(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

// The browse bar's menu by Shift+F10 and by the right button: Docking View
// moves it between docking and a window of its own and back; closing that
// window hides the bar. The tool bars' menu lists the bars to show.
TEST_F(Tessarine, BarMenusSwitchTheBrowseBarAndListTheBars) {
  CBrowseBar* browse = main->BrowseBar();
  app->RouteCommand(ID_VIEW_BROWSE);
  ASSERT_TRUE(browse->isVisible());
  browse->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return browse->hasFocus(); }));
  QTest::keyClick(browse, Qt::Key_F10, Qt::ShiftModifier);
  QAction* docking = nullptr;
  CheckOpenPopup([&](QMenu* menu) {
    docking = ItemOf(menu, "&Docking View");
    ASSERT_NE(docking, nullptr);
    EXPECT_TRUE(docking->isChecked());
    ASSERT_NE(ItemOf(menu, "&Browse"), nullptr);
  });
  ASSERT_TRUE(app->Commands().Trigger(ID_DOCKING_VIEW));
  ASSERT_TRUE(browse->InWindow());
  EXPECT_FALSE(browse->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return browse->Window()->isVisible(); }));
  EXPECT_EQ(browse->Window()->widget(), browse->Tabs());
  EXPECT_TRUE(*app->RouteUpdate(ID_VIEW_BROWSE).checked);
  EXPECT_FALSE(*app->RouteUpdate(ID_DOCKING_VIEW).checked);

  // The right button on the window gives the same menu; docked again.
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), browse->Window()->mapToGlobal(QPoint(20, 20)));
  QCoreApplication::sendEvent(browse->Window(), &click);
  CheckOpenPopup([&](QMenu* menu) { EXPECT_FALSE(ItemOf(menu, "&Docking View")->isChecked()); });
  ASSERT_TRUE(app->Commands().Trigger(ID_DOCKING_VIEW));
  EXPECT_FALSE(browse->InWindow());
  EXPECT_TRUE(browse->isVisible());
  EXPECT_EQ(browse->widget(), browse->Tabs());

  // Closing the window hides the bar with its tabs back in place.
  ASSERT_TRUE(app->Commands().Trigger(ID_DOCKING_VIEW));
  QPointer<QMdiSubWindow> window = browse->Window();
  window->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
  EXPECT_FALSE(browse->InWindow());
  EXPECT_FALSE(browse->Shown());
  EXPECT_FALSE(*app->RouteUpdate(ID_VIEW_BROWSE).checked);
  EXPECT_EQ(browse->widget(), browse->Tabs());

  // The right button on a tool bar: the bars, checked while shown.
  QToolBar* file = qobject_cast<QToolBar*>(main->Bar(ID_BAR_FILE));
  QContextMenuEvent on_bar(QContextMenuEvent::Mouse, QPoint(5, 5), file->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(file, &on_bar);
  CheckOpenPopup([&](QMenu* menu) {
    ASSERT_NE(ItemOf(menu, "&File"), nullptr);
    EXPECT_TRUE(ItemOf(menu, "&File")->isChecked());
    EXPECT_NE(ItemOf(menu, "&Attributes"), nullptr);
    EXPECT_FALSE(ItemOf(menu, "&Browse")->isChecked());
  });
}

// Run, Halt and the steps are commands: no check box until one is in
// progress; the help menu reaches What's This and Default Help.
TEST_F(Tessarine, DebugCommandsAreNoCheckBoxesAndHelpCommandsHaveItems) {
  std::vector<int> help_ids;
  for (QAction* top : main->menuBar()->actions()) {
    if (top->text() == "&Program") {
      emit top->menu()->aboutToShow();
      for (QAction* a : top->menu()->actions()) {
        const int id = app->Commands().IdOf(a);
        const bool command =
            id == ID_DEBUG_RUN || id == ID_DEBUG_HALT || (id >= ID_DEBUG_STEP_INTO && id <= ID_DEBUG_STEP_OUT);
        if (command || id == ID_DEBUG_TRACE) {
          EXPECT_EQ(a->isCheckable(), id == ID_DEBUG_TRACE) << id;
        }
      }
    }
    if (top->text() == "&Help")
      for (QAction* a : top->menu()->actions()) help_ids.push_back(app->Commands().IdOf(a));
  }
  for (int id : {ID_HELP_FINDER, ID_HELP, ID_CONTEXT_HELP, ID_DEFAULT_HELP, ID_APP_ABOUT})
    EXPECT_NE(std::find(help_ids.begin(), help_ids.end(), id), help_ids.end()) << id;
  RecordingHelp help;
  app->m_Config.Help.ConfigURL = "http://manuals/";
  ASSERT_TRUE(app->Commands().Trigger(ID_HELP));  // no window: the main frame's topic
  app->RunIdle();
  ASSERT_TRUE(app->Commands().Trigger(ID_DEFAULT_HELP));
  EXPECT_EQ(help.topics, (std::vector<std::string>{"HIDR_MAINFRAME", "CONTENTS"}));
}

// The tool bars show icons (theme icons, Qt's own where the theme lacks a
// name), and their two rows fit a window 1000 pixels wide.
TEST_F(Tessarine, ToolBarsCarryIconsAndTheirTwoRowsFitAThousandPixels) {
  for (QToolBar* bar : main->findChildren<QToolBar*>())
    for (QAction* a : bar->actions()) {
      const FwCommandRow* row = app->Commands().Row(app->Commands().IdOf(a));
      if (row != nullptr && row->icon[0] != '\0') {
        EXPECT_FALSE(a->icon().isNull()) << row->icon;
      }
    }
  auto row_width = [&](std::initializer_list<int> ids) {
    int width = 0;
    for (int id : ids) width += main->Bar(id)->sizeHint().width();
    return width;
  };
  EXPECT_LE(row_width({ID_BAR_FILE, ID_BAR_EDIT, ID_BAR_ATTRIBUTES}), 1000);
  EXPECT_LE(row_width({ID_BAR_VIEW, ID_BAR_PROGRAM, ID_BAR_WINDOW}), 1000);
}
