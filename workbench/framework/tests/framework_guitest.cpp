// The window layer driven without any part of the environment: routing and
// update handlers, documents, views and templates, child frames with their
// splitter, private messages, timers, idle time inside nested waits, the
// property sheet and the status panes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdesktopsink.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwnestedwait.h"
#include "workbench/framework/fwplacement.h"
#include "workbench/framework/fwpropertypage.h"
#include "workbench/framework/fwpropertysheet.h"
#include "workbench/framework/fwsnapshot.h"
#include "workbench/framework/fwstatusbar.h"
#include "workbench/framework/fwstatuspane.h"
#include "workbench/framework/fwview.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/base/settings/config.h"
#include "platform/registry.h"

namespace {

enum {
  ID_VIEW = 100,
  ID_DOC = 101,
  ID_FRAME = 102,
  ID_MAIN = 103,
  ID_APP = 104,
  ID_NOBODY = 105,
  ID_CHECKED = 106,
  ID_ROWLESS = 107,  // handled, but no row: the row check names it
  ID_GUARDED = 109,  // a shortcut whose update may disable it
  ID_WAIT = 110,     // the view waits, and its frame is closed meanwhile
  // Window kinds and their toggles.
  ID_KIND_PANE = 120,      // a single-instance child frame
  ID_KIND_DIALOG = 121,    // a single-instance modeless dialog
  ID_KIND_DOCK = 122,      // a single-instance docking bar
  ID_KIND_DOCUMENT = 123,  // child frames of documents
  ID_TOGGLE_PANE = 130,
  ID_TOGGLE_DIALOG = 131,
  ID_TOGGLE_DOCK = 132,
  ID_KIND_MODAL = 124,  // a modal dialog that its command runs
};

std::vector<std::string> g_trail;

class TestDoc : public FwHandlers<TestDoc, FwDocument> {
 public:
  static std::span<const FwCmdEntry<TestDoc>> Handlers();
  void OnDoc(int) { g_trail.push_back("doc"); }
  void OnUpdateChecked(FwCmdUI& ui) {
    ui.SetCheck(checked);
    ui.SetText("Checked by doc");
  }
  void OnGuarded(int) { g_trail.push_back("guarded"); }
  void OnUpdateGuarded(FwCmdUI& ui) { ui.Enable(allow_guarded); }
  bool checked = true;
  bool allow_guarded = false;
  bool refuse_close = false;
  bool SaveModified() override { return !refuse_close; }
};
const FwCmdEntry<TestDoc> kTestDocHandlers[] = {
    {ID_DOC, ID_DOC, &TestDoc::OnDoc, nullptr},
    {ID_CHECKED, ID_CHECKED, nullptr, &TestDoc::OnUpdateChecked},
    {ID_GUARDED, ID_GUARDED, &TestDoc::OnGuarded, &TestDoc::OnUpdateGuarded},
};
std::span<const FwCmdEntry<TestDoc>> TestDoc::Handlers() { return kTestDocHandlers; }

class TestView : public FwView {
 public:
  using FwView::FwView;
  bool OnCommand(int id) override {
    if (id == ID_WAIT) {
      // A nested wait (a server reply, a box) during which the user closes
      // the window; the view goes on with its own members afterwards.
      FwNestedWait wait;
      QTimer::singleShot(0, [this, &wait] {
        Frame()->close();
        QTimer::singleShot(0, [&wait] { wait.Exit(0); });
      });
      wait.Run(5000);
      after_wait.push_back("after the wait");
      alive_after_wait = QPointer<QWidget>(this) != nullptr && !Frame()->isVisible();
      return true;
    }
    if (id != ID_VIEW) return false;
    g_trail.push_back("view");
    return true;
  }
  bool HasCommand(int id) const override { return id == ID_VIEW || id == ID_WAIT; }
  std::vector<std::string> after_wait;
  bool alive_after_wait = false;
  void OnUpdate(const FwUpdate& change) override { updates.push_back(change); }
  std::vector<FwUpdate> updates;
};

class TestMain : public FwMainFrame {
 public:
  bool OnCommand(int id) override {
    if (id == ID_MAIN) {
      g_trail.push_back("main");
      return true;
    }
    return FwMainFrame::OnCommand(id);
  }
  bool HasCommand(int id) const override { return id == ID_MAIN || FwMainFrame::HasCommand(id); }
  void OnMessage(FwMessage& m) override {
    messages.push_back(m.Id());
    if (m.has_block) blocks.push_back(m.block);
  }
  void OnTimer(int id) override { ticks.push_back(id); }
  std::vector<int> messages;
  std::vector<std::string> blocks;
  std::vector<int> ticks;
};

class TestApp : public FwApp {
 public:
  bool OnCommand(int id) override {
    if (id != ID_APP) return FwApp::OnCommand(id);
    g_trail.push_back("app");
    return true;
  }
  bool HasCommand(int id) const override { return id == ID_APP || FwApp::HasCommand(id); }
  bool OnIdle(int count) override {
    counts.push_back(count);
    FwApp::OnIdle(count);
    return count < 2;
  }
  std::vector<int> counts;
};

const FwCommandRow kRows[] = {
    fw_command(ID_VIEW, "View", "handled by the view"),
    fw_command(ID_DOC, "Doc", "by the document"),
    fw_command(ID_FRAME, "Frame", "by nobody"),
    fw_command(ID_MAIN, "Main", "by the main frame"),
    fw_command(ID_APP, "App", "by the application"),
    fw_command(ID_NOBODY, "Nobody", "by nobody"),
    fw_command(ID_CHECKED, "Checked", "marked by the document's update"),
    fw_command(ID_GUARDED, "Guarded", "by the document while it allows", "Ctrl+K"),
    fw_command(ID_WAIT, "Wait", "by the view, with a nested wait"),
};

// A docking bar's content that handles commands of its own.
class TargetWidget : public QWidget, public FwCmdTarget {
 public:
  using QWidget::QWidget;
};
class DockPane : public FwHandlers<DockPane, TargetWidget> {
 public:
  static std::span<const FwCmdEntry<DockPane>> Handlers();
  void OnView(int) { g_trail.push_back("dock"); }
};
const FwCmdEntry<DockPane> kDockPaneHandlers[] = {
    {ID_VIEW, ID_VIEW, &DockPane::OnView, nullptr},
};
std::span<const FwCmdEntry<DockPane>> DockPane::Handlers() { return kDockPaneHandlers; }

// A window whose table names two ids that nobody gave a row.
class RowlessPane : public FwHandlers<RowlessPane, TargetWidget> {
 public:
  static std::span<const FwCmdEntry<RowlessPane>> Handlers();
  void OnRowless(int) {}
};
const FwCmdEntry<RowlessPane> kRowlessHandlers[] = {
    {ID_ROWLESS, ID_ROWLESS + 1, &RowlessPane::OnRowless, nullptr},
};
std::span<const FwCmdEntry<RowlessPane>> RowlessPane::Handlers() { return kRowlessHandlers; }
const FwPlaceRow kPlaces[] = {
    {FwPlace::MenuEdit, 10, ID_NOBODY},
    {FwPlace::MenuEdit, 20, ID_NONE},
    {FwPlace::MenuEdit, 30, ID_CHECKED},
    {FwPlace::MenuEdit, 40, ID_VIEW},
};

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    g_trail.clear();
    app = std::make_unique<TestApp>();
    main = new TestMain;
    app->SetMainFrame(main);
    app->Commands().AddRows(0, kRows, kPlaces);
    tmpl = app->AddDocTemplate(std::make_unique<FwDocTemplate>(
        1, [] { return std::make_unique<TestDoc>(); }, nullptr,
        [](FwDocument* d, QWidget* parent) { return new TestView(d, parent); }));
    main->resize(640, 480);
    main->show();
  }
  void TearDown() override {
    delete main;
    app.reset();
  }
  std::unique_ptr<TestApp> app;
  TestMain* main = nullptr;
  FwDocTemplate* tmpl = nullptr;
};

TEST_F(FrameworkTest, CommandsRouteFromTheViewToTheApplication) {
  ASSERT_NE(tmpl->OpenDocument(nullptr), nullptr);
  for (int id : {ID_VIEW, ID_DOC, ID_MAIN, ID_APP}) EXPECT_TRUE(app->RouteCommand(id));
  EXPECT_FALSE(app->RouteCommand(ID_NOBODY));
  EXPECT_EQ(g_trail, (std::vector<std::string>{"view", "doc", "main", "app"}));

  // Without a child frame the view and the document are out of the chain.
  delete main->ActiveChild();
  g_trail.clear();
  EXPECT_FALSE(app->RouteCommand(ID_VIEW));
  EXPECT_TRUE(app->RouteCommand(ID_APP));
  EXPECT_EQ(g_trail, std::vector<std::string>{"app"});
}

TEST_F(FrameworkTest, UpdateHandlersEnableCheckAndRenameBeforeAMenuOpens) {
  auto* doc = dynamic_cast<TestDoc*>(tmpl->OpenDocument(nullptr));
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(app->RouteUpdate(ID_DOC).enabled);
  EXPECT_FALSE(app->RouteUpdate(ID_NOBODY).enabled);

  QMenu menu;
  app->Commands().FillMenu(&menu, FwPlace::MenuEdit);
  QAction* nobody = app->Commands().Action(ID_NOBODY);
  QAction* checked = app->Commands().Action(ID_CHECKED);
  EXPECT_TRUE(nobody->isEnabled());
  emit menu.aboutToShow();
  EXPECT_FALSE(nobody->isEnabled());
  EXPECT_TRUE(checked->isChecked());
  EXPECT_EQ(checked->text(), "Checked by doc");
  // Its row is a plain command: unmarked, it shows no empty check box.
  doc->checked = false;
  emit menu.aboutToShow();
  EXPECT_FALSE(checked->isCheckable());
  EXPECT_FALSE(checked->isChecked());
  EXPECT_TRUE(app->Commands().Action(ID_VIEW)->isEnabled());

  // Triggering the action routes its id.
  g_trail.clear();
  app->Commands().Action(ID_VIEW)->trigger();
  EXPECT_EQ(g_trail, std::vector<std::string>{"view"});
}

// A context menu shows the rows of its window's kind whatever kind of child
// frame is active; a menu of the menu bar shows the active kind's.
TEST_F(FrameworkTest, AContextMenuShowsTheRowsOfItsWindowsKind) {
  const int kOtherKind = 7;
  const FwPlaceRow kind_places[] = {
      {FwPlace::ContextEditor, 20, ID_NONE},
      {FwPlace::ContextEditor, 30, ID_DOC},
  };
  const FwPlaceRow common[] = {{FwPlace::ContextEditor, 10, ID_VIEW}};
  app->Commands().AddRows(0, {}, common);
  app->Commands().AddRows(kOtherKind, {}, kind_places);
  tmpl->OpenDocument(nullptr);  // a child frame of kind 1 is active
  QMenu context, bar_menu;
  app->Commands().FillContextMenu(&context, FwPlace::ContextEditor, kOtherKind);
  app->Commands().FillMenu(&bar_menu, FwPlace::ContextEditor);
  auto ids = [this](QMenu& m) {
    std::vector<int> out;
    for (QAction* a : m.actions()) out.push_back(a->isSeparator() ? ID_NONE : app->Commands().IdOf(a));
    return out;
  };
  EXPECT_EQ(ids(context), (std::vector<int>{ID_VIEW, ID_NONE, ID_DOC}));
  EXPECT_EQ(ids(bar_menu), std::vector<int>{ID_VIEW});
  EXPECT_EQ(app->Commands().IdOfText("Checked"), ID_CHECKED);
  EXPECT_EQ(app->Commands().IdOfText("Unknown"), 0);
}

// The picture of the main window is taken after the named commands ran as
// their menu items would run them; an unknown or disabled one is skipped.
TEST_F(FrameworkTest, TheSnapshotRunsTheNamedCommandsFirst) {
  char templ[] = "/tmp/fwsnapshot-XXXXXX";
  const std::string dir = mkdtemp(templ);
  const std::string shot = dir + "/shot.png";
  setenv("VARNICA_SNAPSHOT", shot.c_str(), 1);
  setenv("VARNICA_SNAPSHOT_COMMANDS", "View,Guarded,Unknown,Doc", 1);
  tmpl->OpenDocument(nullptr);
  QWidget window;  // a window that has not painted yet
  window.resize(200, 100);
  ASSERT_TRUE(Fw_WatchForSnapshot(&window));
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.isVisible(); }, 5000));
  unsetenv("VARNICA_SNAPSHOT");
  unsetenv("VARNICA_SNAPSHOT_COMMANDS");
  EXPECT_EQ(g_trail, (std::vector<std::string>{"view", "doc"}));
  EXPECT_EQ(access(shot.c_str(), R_OK), 0);
  std::remove(shot.c_str());
  rmdir(dir.c_str());
}

TEST_F(FrameworkTest, EveryHandledIdWithoutARowIsNamed) {
  RowlessPane pane;  // its table is registered with its class
  EXPECT_TRUE(pane.HasCommand(ID_ROWLESS + 1));
  EXPECT_EQ(app->Commands().MissingRows(), (std::vector<std::string>{"(anonymous namespace)::RowlessPane: 107",
                                                                     "(anonymous namespace)::RowlessPane: 108"}));
}

TEST_F(FrameworkTest, TheFocusedDockContentIsTheFirstTarget) {
  tmpl->OpenDocument(nullptr);
  auto* dock = new QDockWidget("Browse", main);
  auto* pane = new DockPane;
  auto* field = new QLineEdit(pane);
  dock->setWidget(pane);
  main->addDockWidget(Qt::LeftDockWidgetArea, dock);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main));

  field->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), field);
  EXPECT_TRUE(app->RouteCommand(ID_VIEW));
  // What the dock does not handle goes on to the view's chain.
  EXPECT_TRUE(app->RouteCommand(ID_DOC));
  EXPECT_EQ(g_trail, (std::vector<std::string>{"dock", "doc"}));

  g_trail.clear();
  main->ActiveChild()->ActiveView()->setFocus();
  QTRY_VERIFY(!field->hasFocus());
  EXPECT_TRUE(app->RouteCommand(ID_VIEW));
  EXPECT_EQ(g_trail, std::vector<std::string>{"view"});
}

TEST_F(FrameworkTest, AShortcutRunsOnlyWhatItsUpdateEnables) {
  auto* doc = dynamic_cast<TestDoc*>(tmpl->OpenDocument(nullptr));
  ASSERT_NE(doc, nullptr);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main));
  main->ActiveChild()->ActiveView()->setFocus();
  // No menu opened and no idle update ran: the action itself still says
  // enabled, the update handler says no.
  ASSERT_TRUE(app->Commands().Action(ID_GUARDED)->isEnabled());
  QTest::keyClick(main->ActiveChild()->ActiveView(), Qt::Key_K, Qt::ControlModifier);
  EXPECT_TRUE(g_trail.empty());
  doc->allow_guarded = true;
  QTest::keyClick(main->ActiveChild()->ActiveView(), Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(g_trail, std::vector<std::string>{"guarded"});
}

// The sanitizer build sees a use after free here when the frame deletes its
// views while the view's command is still inside the wait.
TEST_F(FrameworkTest, AViewClosedDuringItsOwnNestedWaitIsFreedAfterTheRoute) {
  FwDocument* doc = tmpl->OpenDocument(nullptr);
  auto* view = dynamic_cast<TestView*>(doc->Views()[0]);
  QPointer<FwView> guard(view);
  QPointer<FwChildFrame> frame(main->ActiveChild());
  EXPECT_TRUE(app->RouteCommand(ID_WAIT));
  ASSERT_FALSE(guard.isNull());
  EXPECT_TRUE(view->alive_after_wait);
  EXPECT_EQ(view->after_wait, std::vector<std::string>{"after the wait"});
  // The document left the list at once; the window goes at the next turn of
  // the event loop.
  EXPECT_TRUE(tmpl->Documents().empty());
  QTRY_VERIFY(guard.isNull() && frame.isNull());
  EXPECT_EQ(main->ActiveChild(), nullptr);
}

TEST_F(FrameworkTest, DocumentsTellEveryViewButTheSender) {
  FwDocument* doc = tmpl->OpenDocument(nullptr);
  FwChildFrame* frame = main->ActiveChild();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->SplitRows());
  EXPECT_FALSE(frame->SplitRows());  // two rows at most
  EXPECT_EQ(frame->Splitter()->orientation(), Qt::Vertical);
  ASSERT_EQ(doc->Views().size(), 2u);
  auto* first = dynamic_cast<TestView*>(doc->Views()[0]);
  auto* second = dynamic_cast<TestView*>(doc->Views()[1]);
  first->updates.clear();
  second->updates.clear();
  doc->UpdateAllViews(first, FwUpdateKind::TextMargin);
  EXPECT_TRUE(first->updates.empty());
  ASSERT_EQ(second->updates.size(), 1u);
  EXPECT_EQ(second->updates[0].sender, first);
  EXPECT_EQ(second->updates[0].kind, FwUpdateKind::TextMargin);
  doc->UpdateAllViews(nullptr);
  ASSERT_EQ(first->updates.size(), 1u);
  EXPECT_EQ(first->updates[0].sender, nullptr);
  EXPECT_EQ(first->updates[0].kind, FwUpdateKind::All);
  EXPECT_EQ(second->updates.size(), 2u);
}

TEST_F(FrameworkTest, TwoWindowsOnAModifiedDocumentAreNumbered) {
  FwDocument* doc = tmpl->OpenDocument("/tmp/prog.q");
  ASSERT_NE(doc, nullptr);
  FwChildFrame* first = main->ActiveChild();
  EXPECT_EQ(first->windowTitle(), "prog.q");
  FwChildFrame* second = tmpl->CreateFrame(doc);
  doc->SetModifiedFlag(true);
  EXPECT_EQ(first->windowTitle(), "prog.q:1 *");
  EXPECT_EQ(second->windowTitle(), "prog.q:2 *");
  EXPECT_EQ(main->ActiveChild(), second);

  // Closing one window renumbers the other; closing the last frees the
  // document unless it refuses.
  second->close();
  EXPECT_EQ(first->windowTitle(), "prog.q *");
  dynamic_cast<TestDoc*>(doc)->refuse_close = true;
  first->close();
  EXPECT_EQ(tmpl->Documents().size(), 1u);
  dynamic_cast<TestDoc*>(doc)->refuse_close = false;
  first->close();
  EXPECT_TRUE(tmpl->Documents().empty());
}

// A document whose model holds its name and modified flag.
class ModelDoc : public FwDocument {
 public:
  struct Model {
    std::string title = "model.q";
    bool modified = false;
  } model;
  std::string Title() const override { return model.title; }
  bool IsModified() const override { return model.modified; }
};

TEST_F(FrameworkTest, AFrameTitleFollowsTheDocumentsModelAtIdleTime) {
  FwDocTemplate* model_tmpl = app->AddDocTemplate(std::make_unique<FwDocTemplate>(
      2, [] { return std::make_unique<ModelDoc>(); }, nullptr,
      [](FwDocument* d, QWidget* parent) { return new TestView(d, parent); }));
  auto* doc = dynamic_cast<ModelDoc*>(model_tmpl->OpenDocument(nullptr));
  ASSERT_NE(doc, nullptr);
  FwChildFrame* frame = main->ActiveChild();
  EXPECT_EQ(frame->windowTitle(), "model.q");
  doc->model.modified = true;
  doc->model.title = "renamed.q";
  EXPECT_EQ(frame->windowTitle(), "model.q");
  app->RunIdle();
  EXPECT_EQ(frame->windowTitle(), "renamed.q *");
}

TEST_F(FrameworkTest, PrivateMessagesKeepTheirNumbersAndOwnTheirBlocks) {
  Fw_PostMessage(main, FW_MSG_DEBUG_STEP_OVER);
  Fw_PostBlock(main, FW_MSG_OUTPUT_LINE, "hello");
  Fw_SendMessage(main, FW_MSG_INPLACE_ENDED);
  EXPECT_EQ(main->messages, std::vector<int>{0x721});
  QTRY_COMPARE(main->messages.size(), 3u);
  EXPECT_EQ(main->messages[1], 0x71c);
  EXPECT_EQ(main->messages[2], 0x71f);
  EXPECT_EQ(main->blocks, std::vector<std::string>{"hello"});

  // A block posted to a window that goes before delivery is freed with the
  // event (the sanitizer build sees a leak otherwise).
  auto* doomed = new TestMain;
  Fw_PostBlock(doomed, FW_MSG_OUTPUT_LINE, std::string(1000, 'x'));
  delete doomed;
  QCoreApplication::processEvents();
}

TEST_F(FrameworkTest, TimersAnswerToTheWindowsOwnIds) {
  EXPECT_EQ(main->Timers().SetTimer(1, 5), 1);
  EXPECT_EQ(main->Timers().SetTimer(7, 5), 7);
  EXPECT_TRUE(main->Timers().KillTimer(7));
  EXPECT_FALSE(main->Timers().KillTimer(7));
  QTRY_VERIFY(main->ticks.size() >= 2);
  for (int id : main->ticks) EXPECT_EQ(id, 1);
  main->Timers().KillAll();
  EXPECT_FALSE(main->Timers().Running(1));
}

TEST_F(FrameworkTest, IdleRunsWithGrowingCountsAlsoInsideANestedWait) {
  app->counts.clear();
  EXPECT_EQ(app->RunIdle(), 3);
  EXPECT_EQ(app->counts, (std::vector<int>{0, 1, 2}));

  app->counts.clear();
  FwNestedWait wait;
  int depth_inside = 0;
  QTimer::singleShot(20, [&] {
    depth_inside = FwNestedWait::Depth();
    wait.Exit(5);
  });
  EXPECT_EQ(wait.Run(5000), 5);
  EXPECT_EQ(depth_inside, 1);
  ASSERT_GE(app->counts.size(), 3u);
  EXPECT_EQ(app->counts[0], 0);

  FwNestedWait timed;
  EXPECT_EQ(timed.Run(10), -1);
}

class TestPage : public FwPropertyPage {
 public:
  using FwPropertyPage::FwPropertyPage;
  bool OnSetActive() override {
    log.push_back("active");
    return true;
  }
  bool OnKillActive() override {
    log.push_back("inactive");
    return true;
  }
  bool OnApply() override {
    log.push_back("apply");
    return !refuse;
  }
  std::vector<std::string> log;
  bool refuse = false;
};

TEST_F(FrameworkTest, PropertySheetAppliesModifiedPagesAndChangesWhileOpen) {
  FwPropertySheet sheet("Properties", main);
  auto* general = new TestPage("General");
  auto* edit = new TestPage("Edit");
  sheet.AddPage(general);
  sheet.AddPage(edit);
  sheet.show();
  EXPECT_EQ(general->log, std::vector<std::string>{"active"});
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
  edit->SetModified();
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  sheet.SetActivePage(1);
  EXPECT_EQ(general->log.back(), "inactive");
  EXPECT_EQ(edit->log.front(), "active");

  edit->refuse = true;
  EXPECT_FALSE(sheet.Apply());
  EXPECT_TRUE(edit->IsModified());
  edit->refuse = false;
  QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
  EXPECT_FALSE(edit->IsModified());
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
  EXPECT_EQ(std::count(general->log.begin(), general->log.end(), "apply"), 0);

  // A page added and the active one removed while the sheet is open.
  auto* extra = new TestPage("Plug-In");
  sheet.AddPage(extra);
  extra->SetModified();
  sheet.RemovePage(edit);
  EXPECT_EQ(sheet.PageCount(), 2);
  ASSERT_NE(sheet.ActivePage(), nullptr);
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  sheet.RemovePage(extra);
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST_F(FrameworkTest, PropertySheetPageTakenOutKeepsItsStateAndComesBack) {
  FwPropertySheet sheet("Properties", main);
  auto* general = new TestPage("General");
  QPointer<TestPage> program = new TestPage("Program");
  sheet.AddPage(general);
  sheet.AddPage(program);
  sheet.show();
  sheet.SetActivePage(1);
  program->SetModified();
  ASSERT_TRUE(sheet.TakePage(program));
  EXPECT_FALSE(sheet.TakePage(program));  // not in the sheet any more
  EXPECT_EQ(sheet.IndexOf(program), -1);
  ASSERT_FALSE(program.isNull());
  EXPECT_FALSE(program->isVisible());
  EXPECT_EQ(sheet.ActivePage(), general);  // the neighbour became active
  EXPECT_EQ(general->log.back(), "active");
  EXPECT_FALSE(sheet.ApplyButton()->isEnabled());  // a page outside does not count

  sheet.AddPage(program);
  EXPECT_EQ(sheet.IndexOf(program), 1);
  EXPECT_TRUE(program->IsModified());
  EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
  EXPECT_TRUE(sheet.SetActivePage(1));
  EXPECT_TRUE(program->isVisible());
}

TEST_F(FrameworkTest, StatusPanesFollowTheirUpdateHandlersAtIdleTime) {
  auto* bar = new FwStatusBar;
  main->SetFwStatusBar(bar);
  auto* message = new FwStatusPane(0, FW_PANE_STRETCH | FW_PANE_NOBORDERS, 0);
  auto* doc_pane = new FwStatusPane(ID_DOC, 0, 0);
  auto* nobody = new FwStatusPane(ID_NOBODY, 0, 40);
  bar->AddPane(message);
  bar->AddPane(doc_pane);
  bar->AddPane(nobody);
  bar->SetActivePanes({true, false, true});
  EXPECT_FALSE(doc_pane->isVisible());
  EXPECT_TRUE(nobody->isVisible());
  nobody->SetText("NUM");
  app->RunIdle();
  EXPECT_FALSE(nobody->isEnabled());
  EXPECT_EQ(nobody->sizeHint().width(), 40);

  // Bars show and hide through their command, checked while shown.
  auto* dock = new QWidget(main);
  dock->show();
  main->RegisterBar(200, dock);
  EXPECT_EQ(app->RouteUpdate(200).checked, std::optional<bool>(true));
  EXPECT_TRUE(app->RouteCommand(200));
  EXPECT_FALSE(dock->isVisible());
  EXPECT_EQ(app->RouteUpdate(200).checked, std::optional<bool>(false));
}

}  // namespace

namespace {

// Each button set of the boxes: its buttons first to last, the default one,
// and the answer of every button.
TEST(Placement, RectanglesGoAndComeBackWithTheirMaximizedFlag) {
  struct Case {
    QRect normal;
    bool maximized;
    bool kept;
  };
  for (const Case& c : {Case{QRect(10, 20, 300, 200), false, true}, Case{QRect(-5, 0, 1, 1), true, true},
                        Case{QRect(10, 20, 0, 200), false, false}, Case{QRect(10, 20, 300, -1), true, false}}) {
    CfgPlacement p;
    ASSERT_EQ(Fw_PlacementOf(c.normal, c.maximized, &p), c.kept) << c.normal.x();
    if (!c.kept) {
      EXPECT_EQ(p.length, 0u);  // nothing filled
      continue;
    }
    EXPECT_EQ(p.length, sizeof(CfgPlacement));
    EXPECT_EQ(p.showCmd, c.maximized ? CFG_SW_SHOWMAXIMIZED : CFG_SW_SHOW);
    // Right and bottom lie one past the last pixel.
    EXPECT_EQ(p.rcNormalPosition.right, c.normal.x() + c.normal.width());
    EXPECT_EQ(Fw_RectOf(p), c.normal);
  }
  CfgPlacement none;
  EXPECT_TRUE(Fw_RectOf(none).isEmpty());
}

TEST(DesktopSink, BoxesShowEveryButtonSetWithItsDefaultAndAnswer) {
  Fw_TestQApp();
  struct Case {
    unsigned style;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton default_button;
    std::vector<int> answers;
  } cases[] = {
      {SHELL_MB_OK, {QMessageBox::Ok}, QMessageBox::Ok, {SHELL_IDOK}},
      {SHELL_MB_OKCANCEL, {QMessageBox::Ok, QMessageBox::Cancel}, QMessageBox::Ok, {SHELL_IDOK, SHELL_IDCANCEL}},
      {SHELL_MB_YESNO | SHELL_MB_DEFBUTTON2,
       {QMessageBox::Yes, QMessageBox::No},
       QMessageBox::No,
       {SHELL_IDYES, SHELL_IDNO}},
      {SHELL_MB_YESNOCANCEL | SHELL_MB_ICONQUESTION,
       {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
       QMessageBox::Yes,
       {SHELL_IDYES, SHELL_IDNO, SHELL_IDCANCEL}},
      {SHELL_MB_YESNOCANCEL | SHELL_MB_DEFBUTTON3,
       {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
       QMessageBox::Cancel,
       {SHELL_IDYES, SHELL_IDNO, SHELL_IDCANCEL}},
      {SHELL_MB_RETRYCANCEL | SHELL_MB_ICONEXCLAMATION,
       {QMessageBox::Retry, QMessageBox::Cancel},
       QMessageBox::Retry,
       {SHELL_IDRETRY, SHELL_IDCANCEL}},
  };
  FwDesktopSink sink;
  for (const Case& c : cases) {
    for (size_t pick = 0; pick < c.buttons.size(); ++pick) {
      SCOPED_TRACE(testing::Message() << "style " << c.style << " button " << pick);
      QMessageBox::StandardButtons shown;
      QMessageBox::StandardButton default_button = QMessageBox::NoButton;
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->standardButtons();
        default_button = box->standardButton(box->defaultButton());
        box->button(c.buttons[pick])->click();
      });
      const int answer = sink.message_box(nullptr, "Caption", "Text", c.style);
      QMessageBox::StandardButtons expected;
      for (QMessageBox::StandardButton b : c.buttons) expected |= b;
      EXPECT_EQ(shown, expected);
      EXPECT_EQ(default_button, c.default_button);
      EXPECT_EQ(answer, c.answers[pick]);
    }
  }
}

// ------------------------------------------------------------ window kinds

class PaneDialog : public QDialog {
 public:
  using QDialog::QDialog;
};
class PaneDock : public QDockWidget {
 public:
  using QDockWidget::QDockWidget;
};
class PaneFrame : public FwChildFrame {
 public:
  using FwChildFrame::FwChildFrame;
};

const FwCommandRow kToggleRows[] = {
    fw_toggle(ID_TOGGLE_PANE, "&Pane", "Shows or hides the pane"),
    fw_toggle(ID_TOGGLE_DIALOG, "&Dialog", "Shows or hides the dialog"),
    fw_toggle(ID_TOGGLE_DOCK, "D&ock", "Shows or hides the docking bar"),
};
const FwPlaceRow kTogglePlaces[] = {
    {FwPlace::MenuView, 10, ID_TOGGLE_PANE},
    {FwPlace::MenuView, 20, ID_TOGGLE_DIALOG},
    {FwPlace::MenuView, 30, ID_TOGGLE_DOCK},
};

// An application with the three single-instance kinds and one kind of
// document windows, made again for each "run" on the same profile.
class WindowKindsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static std::string dir = [] {
      char name[] = "/tmp/fwwindows-guitest-XXXXXX";
      return std::string(mkdtemp(name));
    }();
    // Registered after the folder's name, so it runs before the name goes.
    static const bool removed_at_exit = std::atexit([] {
                                          std::error_code ignored;
                                          std::filesystem::remove_all(dir, ignored);
                                        }) == 0;
    (void)removed_at_exit;
    setenv("VARNICA_REGISTRY", dir.c_str(), 1);
    reg_reset_default_store();
    Fw_TestQApp();
  }
  void SetUp() override { Start(); }
  void TearDown() override { Stop(); }

  void Start() {
    positions = std::make_unique<CfgWindowPositions>();
    positions->Load();
    app = std::make_unique<TestApp>();
    main = new TestMain;
    app->SetMainFrame(main);
    FwWindows& w = app->Windows();
    w.SetPositions(positions.get());
    doc_tmpl = app->AddDocTemplate(std::make_unique<FwDocTemplate>(
        ID_KIND_DOCUMENT, [] { return std::make_unique<TestDoc>(); }, nullptr,
        [](FwDocument* d, QWidget* parent) { return new TestView(d, parent); }));
    pane_tmpl = app->AddDocTemplate(std::make_unique<FwDocTemplate>(
        ID_KIND_PANE, [] { return std::make_unique<TestDoc>(); },
        [](FwDocument* d) -> FwChildFrame* { return new PaneFrame(d); },
        [](FwDocument* d, QWidget* parent) { return new TestView(d, parent); }));
    // The pane's placement goes straight to the profile, the dialog's
    // through the application's window positions (one of their keys).
    w.Register({ID_KIND_PANE,
                ID_TOGGLE_PANE,
                "TestPane",
                FwKindScope::Single,
                FwKindHost::MdiChild,
                [this]() -> QWidget* {
                  FwDocument* d = pane_tmpl->OpenDocument(nullptr);
                  return d != nullptr ? d->Frames().front() : nullptr;
                },
                {},
                [this](QWidget* made) { pane_opened.push_back(made->isVisible()); }},
               kToggleRows, kTogglePlaces);
    w.Register({ID_KIND_DIALOG, ID_TOGGLE_DIALOG, CfgWindowKeys[CfgWnd_FindDialog], FwKindScope::Single,
                FwKindHost::Dialog, [this] { return new PaneDialog(main); }});
    w.Register({ID_KIND_DOCK, ID_TOGGLE_DOCK, nullptr, FwKindScope::Single, FwKindHost::Dock,
                [this] { return new PaneDock("Dock", main); }});
    w.Register({ID_KIND_DOCUMENT, ID_NONE, nullptr, FwKindScope::PerDocument, FwKindHost::MdiChild, nullptr});
    main->resize(800, 600);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
  }
  void Stop() {
    if (main != nullptr) main->close();
    delete main;
    main = nullptr;
    app.reset();
    if (positions) positions->Save();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Toggles through the View menu's action, as a user does.
  void Toggle(int id) {
    QAction* a = app->Commands().Action(id);
    ASSERT_NE(a, nullptr);
    app->UpdateAction(a);
    ASSERT_TRUE(a->isEnabled());
    a->trigger();
    QCoreApplication::processEvents();
  }
  bool Checked(int id) {
    QAction* a = app->Commands().Action(id);
    app->UpdateAction(a);
    return a->isChecked();
  }

  std::unique_ptr<CfgWindowPositions> positions;
  std::unique_ptr<TestApp> app;
  TestMain* main = nullptr;
  FwDocTemplate* doc_tmpl = nullptr;
  FwDocTemplate* pane_tmpl = nullptr;
  std::vector<bool> pane_opened;  // the pane kind's hook: shown when told
};

TEST_F(WindowKindsTest, AToggleOpensClosesAndChecksItsKind) {
  struct Case {
    int kind;
    int toggle;
    std::function<QWidget*()> found;
    bool found_while_hidden;  // a hidden docking bar still exists
  };
  FwWindows& w = app->Windows();
  const Case cases[] = {
      {ID_KIND_PANE, ID_TOGGLE_PANE, [&] { return w.Window<PaneFrame>().data(); }, false},
      {ID_KIND_DIALOG, ID_TOGGLE_DIALOG, [&] { return w.Window<PaneDialog>().data(); }, false},
      {ID_KIND_DOCK, ID_TOGGLE_DOCK, [&] { return w.Window<PaneDock>().data(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(c.found(), nullptr);
    EXPECT_FALSE(Checked(c.toggle));

    Toggle(c.toggle);
    QWidget* first = c.found();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(Checked(c.toggle));
    EXPECT_EQ(w.Find(c.kind), first);

    Toggle(c.toggle);
    EXPECT_FALSE(Checked(c.toggle));
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(c.found() != nullptr, c.found_while_hidden);

    // Open again: one window of the kind, checked.
    Toggle(c.toggle);
    ASSERT_NE(c.found(), nullptr);
    EXPECT_TRUE(c.found()->isVisible());
    EXPECT_TRUE(Checked(c.toggle));
    EXPECT_EQ(w.All(c.kind).size(), 1u);
  }
  // The closed pane's frame is freed later; the registry lets go of it.
  QPointer<QWidget> pane = w.Find(ID_KIND_PANE);
  Toggle(ID_TOGGLE_PANE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return pane.isNull(); }, 5000));
  EXPECT_EQ(w.Find(ID_KIND_PANE), nullptr);
  EXPECT_EQ(w.Window<PaneFrame>(), nullptr);
}

// A kind is told when Open made a window and showed it, not when Open
// brought the open one forward.
TEST_F(WindowKindsTest, AKindIsToldOnceOpenShowedAWindowItMade) {
  FwWindows& w = app->Windows();
  Toggle(ID_TOGGLE_PANE);
  EXPECT_EQ(pane_opened, std::vector<bool>{true});
  w.Open(ID_KIND_PANE);
  EXPECT_EQ(pane_opened.size(), 1u);
  Toggle(ID_TOGGLE_PANE);
  Toggle(ID_TOGGLE_PANE);
  EXPECT_EQ(pane_opened, (std::vector<bool>{true, true}));
}

// A modal kind's command runs its dialog to the end, hands its result on
// and frees it; the command is on while the kind is registered and never
// checked.
TEST_F(WindowKindsTest, AModalKindRunsItsDialogAndFreesIt) {
  FwWindows& w = app->Windows();
  EXPECT_FALSE(app->RouteUpdate(ID_KIND_MODAL).enabled);  // no kind yet
  QPointer<QDialog> shown;
  std::vector<int> results;
  bool alive_at_end = false;
  w.Register({ID_KIND_MODAL, ID_KIND_MODAL, nullptr, FwKindScope::Single, FwKindHost::Modal,
              [&] {
                auto* dialog = new QDialog(main);
                shown = dialog;
                QTimer::singleShot(0, dialog, [dialog] { dialog->done(7); });
                return dialog;
              },
              [&](QWidget* dialog, int result) {
                alive_at_end = dialog == shown && dialog->isHidden();
                results.push_back(result);
              }});
  const FwCmdUI ui = app->RouteUpdate(ID_KIND_MODAL);
  EXPECT_TRUE(ui.enabled);
  EXPECT_FALSE(ui.checked.has_value());
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(app->RouteCommand(ID_KIND_MODAL));
    EXPECT_EQ(results.size(), static_cast<size_t>(run));
    EXPECT_EQ(results.back(), 7);
    EXPECT_TRUE(alive_at_end);
    EXPECT_TRUE(shown.isNull());  // freed, not left for later
    EXPECT_FALSE(w.IsShown(ID_KIND_MODAL));
  }
}

TEST_F(WindowKindsTest, DocumentWindowsAreFoundActiveFirst) {
  FwDocument* a = doc_tmpl->OpenDocument(nullptr);
  FwDocument* b = doc_tmpl->OpenDocument(nullptr);
  ASSERT_TRUE(a != nullptr && b != nullptr);
  FwWindows& w = app->Windows();
  EXPECT_EQ(w.All(ID_KIND_DOCUMENT).size(), 2u);
  EXPECT_EQ(w.Find(ID_KIND_DOCUMENT), b->Frames().front());
  main->MdiArea()->setActiveSubWindow(a->Frames().front());
  EXPECT_EQ(w.Window<FwChildFrame>(), a->Frames().front());
  // A document kind has no toggle; its frames do not make it one.
  EXPECT_FALSE(app->HasCommand(ID_NONE));
  a->Frames().front()->close();
  EXPECT_EQ(w.All(ID_KIND_DOCUMENT).size(), 1u);
}

TEST_F(WindowKindsTest, PlacementsSurviveARestart) {
  Toggle(ID_TOGGLE_PANE);
  Toggle(ID_TOGGLE_DIALOG);
  QWidget* pane = app->Windows().Find(ID_KIND_PANE);
  QWidget* dialog = app->Windows().Find(ID_KIND_DIALOG);
  ASSERT_TRUE(pane != nullptr && dialog != nullptr);
  const QRect pane_at(37, 41, 300, 200);
  const QRect dialog_at(120, 90, 260, 180);
  pane->setGeometry(pane_at);
  dialog->setGeometry(dialog_at);
  // Both stay open while the environment closes.
  Stop();
  EXPECT_TRUE(positions->entries[CfgWnd_FindDialog].valid);

  Start();
  Toggle(ID_TOGGLE_PANE);
  Toggle(ID_TOGGLE_DIALOG);
  pane = app->Windows().Find(ID_KIND_PANE);
  dialog = app->Windows().Find(ID_KIND_DIALOG);
  ASSERT_TRUE(pane != nullptr && dialog != nullptr);
  EXPECT_EQ(pane->geometry(), pane_at);
  EXPECT_EQ(dialog->geometry(), dialog_at);

  // A pane closed elsewhere keeps where it was when it opens again.
  const QRect moved(60, 70, 280, 190);
  pane->setGeometry(moved);
  pane->close();
  Toggle(ID_TOGGLE_PANE);
  ASSERT_NE(app->Windows().Find(ID_KIND_PANE), nullptr);
  EXPECT_EQ(app->Windows().Find(ID_KIND_PANE)->geometry(), moved);
}

}  // namespace
