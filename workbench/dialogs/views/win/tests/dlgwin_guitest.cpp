// The designer's windows driven as a user drives them, offscreen: a dialog
// loaded through the VUZ plug-in in a designer frame of the window layer,
// selected, dragged, resized and changed with the mouse and the keys, its
// palette and property grid, and the pictures checked against the model.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "workbench/dialogs/document/tests/dlgdoc_fixture.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/bitmapsaver.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgdragdata.h"
#include "workbench/dialogs/views/win/dlgeditframe.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgpalette.h"
#include "workbench/dialogs/views/win/dlgpropview.h"
#include "workbench/dialogs/views/win/dlgtracker.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/dialogs/views/win/dlgxref.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/xrefmodel.h"

namespace {

// A dialog in pixels with two buttons, a group with a label and an entry
// field; the tests put it on an 8 x 16 grid.
const char* const kDialog =
    "window Main\n"
    "{\n"
    "  .xleft 2;\n"
    "  .ytop 1;\n"
    "  .width 400;\n"
    "  .height 260;\n"
    "  .title \"Orders\";\n"
    "  child pushbutton Ok { .text \"OK\"; .xleft 16; .ytop 16; .width 64; .height 16; }\n"
    "  child pushbutton Cancel { .text \"Cancel\"; .xleft 96; .ytop 16; .width 64; .height 16; }\n"
    "  child groupbox Box\n"
    "  {\n"
    "    .xleft 16; .ytop 64; .width 200; .height 120;\n"
    "    child statictext Label { .text \"Hi\"; .xleft 8; .ytop 24; .width 64; .height 16; }\n"
    "  }\n"
    "  child edittext Entry { .xleft 240; .ytop 64; .width 120; .height 16; .maxchars 12; }\n"
    "  child checkbox Check { .text \"Paid\"; .xleft 240; .ytop 112; .width 100; .height 16; }\n"
    "}\n"
    "window Other { .xleft 2; .ytop 1; .width 200; .height 100; .title \"Other\"; }\n"
    "default pushbutton { .width 64; }\n";

// The grid of the dialog's children.
constexpr int kGridX = 8;
constexpr int kGridY = 16;

// Records statuses and beeps as the status bar and the speaker would.
class RecordingWinNotify : public DlgWinNotify {
 public:
  std::vector<std::string> statuses;
  bool Has(const std::string& s) const {
    for (const std::string& x : statuses)
      if (x == s) return true;
    return false;
  }

 protected:
  void ShowStatus(const char* text, bool error) override {
    statuses.push_back(std::string(error ? "error: " : "status: ") + (text ? text : ""));
  }
};

class BeepingSink : public RecordingSink {
 public:
  void beep(unsigned) override { ++beeps; }
  int beeps = 0;
};

class DlgWinTest : public DlgDocTest {
 protected:
  void SetUp() override {
    DlgDocTest::SetUp();
    DlgDoc_SetNotify(&win_notify);
    Fw_TestQApp();
    Shell_SetSink(&beeping);
    app = std::make_unique<FwApp>();
    main = new FwMainFrame;
    app->SetMainFrame(main);
    main->resize(1100, 800);
    main->show();
    windows = std::make_unique<DlgWindows>(app.get(), &win_notify);
    plugin = LoadPlugin(PLUGPANE_MODULE, PLUGPANE_CFG, "plugpane");
    ASSERT_NE(plugin, nullptr);
    path = Write("dlg/orders.idm", kDialog);
    ASSERT_TRUE(windows->OpenFile(path.c_str())) << beeping.all();
    view = ActiveView();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->Anchor(), nullptr);
    ASSERT_NE(view->Anchor()->RootObject(), nullptr);
    model = view->Model();
    view->Frame()->resize(700, 500);
    // Positions on the dialog's 8 x 16 grid.
    DlgObject* dialog = view->Anchor()->RootObject();
    ASSERT_EQ(dialog->SetUnit(kGridX, kGridY), 1);
    for (DlgObject* c = dialog->GetHead(); c; c = c->next) c->SetFlags(c->Flags() | DLG_F_POS_UNITS);
    QApplication::processEvents();
  }
  void TearDown() override {
    delete main;
    QApplication::processEvents();
    app.reset();
    windows.reset();
    Shell_SetSink(&sink);
    DlgDocTest::TearDown();
  }

  CDlgEditView* ActiveView() {
    auto* f = dynamic_cast<FwChildFrame*>(main->MdiArea()->activeSubWindow());
    if (!f) {
      const auto list = main->MdiArea()->subWindowList();
      if (list.isEmpty()) return nullptr;
      f = dynamic_cast<FwChildFrame*>(list.last());
    }
    return f ? dynamic_cast<CDlgEditView*>(f->View(0)) : nullptr;
  }
  CDlgEditDoc* Model() { return model; }
  DlgObject* Find(const char* p) { return Model()->FindObject(p); }
  // An object's rectangle on the canvas of a view.
  QRect RectOf(DlgObject* obj, CDlgEditView* v = nullptr) {
    v = v ? v : view;
    DlgContextBracket bracket(v->Anchor(), v->Canvas());
    return DlgQt_Rect(obj->GetCanvasRect());
  }
  QPoint Inside(DlgObject* obj) { return RectOf(obj).topLeft() + QPoint(3, 3); }
  bool Selected(DlgObject* obj) { return obj->Tracker() != nullptr; }
  DlgObject* Primary() { return view->Canvas()->Primary(); }
  void Click(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mouseClick(view, Qt::LeftButton, keys, at);
  }
  // A press, moves in steps to `to`, and the release.
  void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mousePress(view, Qt::LeftButton, keys, from);
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) QTest::mouseMove(view, from + (to - from) * i / steps);
    QTest::mouseRelease(view, Qt::LeftButton, keys, to);
  }
  QImage Grab() {
    QApplication::processEvents();
    return view->grab().toImage();
  }
  bool Route(int id) { return app->RouteCommand(id); }

  BeepingSink beeping;
  RecordingWinNotify win_notify;
  std::unique_ptr<FwApp> app;
  FwMainFrame* main = nullptr;
  std::unique_ptr<DlgWindows> windows;
  PluginID* plugin = nullptr;
  std::string path;
  CDlgEditView* view = nullptr;
  CDlgEditDoc* model = nullptr;
};

// ----------------------------------------------------------------- selection

TEST_F(DlgWinTest, ClicksSelectWithShiftCtrlAndAlt) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* cancel = Find("Main.Cancel");
  DlgObject* box = Find("Main.Box");
  DlgObject* label = Find("Main.Box.Label");
  Click(Inside(ok));
  EXPECT_TRUE(Selected(ok));
  EXPECT_EQ(Primary(), ok);
  Click(Inside(cancel));
  EXPECT_FALSE(Selected(ok));
  EXPECT_EQ(Primary(), cancel);
  // Shift selects everything between the first selected and the clicked.
  Click(Inside(ok), Qt::ShiftModifier);
  EXPECT_TRUE(Selected(ok));
  EXPECT_TRUE(Selected(cancel));
  // Ctrl on a selected object deselects only it.
  Click(Inside(ok), Qt::ControlModifier);
  EXPECT_FALSE(Selected(ok));
  EXPECT_TRUE(Selected(cancel));
  // Alt takes the parent.
  Click(Inside(label), Qt::AltModifier);
  EXPECT_TRUE(Selected(box));
  EXPECT_FALSE(Selected(label));
  EXPECT_FALSE(Selected(cancel));
  // Esc clears the selection.
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_EQ(Primary(), nullptr);
}

TEST_F(DlgWinTest, ABandSelectsWhatLiesInsideAndAOnePixelBandIsAClick) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* cancel = Find("Main.Cancel");
  const QRect both = RectOf(ok).united(RectOf(cancel)).adjusted(-2, -2, 2, 2);
  Drag(both.topLeft(), both.bottomRight());
  EXPECT_TRUE(Selected(ok));
  EXPECT_TRUE(Selected(cancel));
  EXPECT_FALSE(Selected(Find("Main.Box")));
  // A band of one pixel on the label acts as a click on it.
  DlgObject* label = Find("Main.Box.Label");
  Drag(Inside(label), Inside(label) + QPoint(1, 1));
  EXPECT_TRUE(Selected(label));
  EXPECT_FALSE(Selected(ok));
}

// --------------------------------------------------------------------- drags

TEST_F(DlgWinTest, SmallMovesAreClicksADragSnapsAndUndoesInOneStep) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* main_obj = Find("Main");
  Click(Inside(ok));
  const QRect before = RectOf(ok);
  const bool could_undo = Model()->Root().CanUndo();
  // Two pixels: a click.
  Drag(Inside(ok), Inside(ok) + QPoint(2, 2));
  EXPECT_EQ(RectOf(ok), before);
  EXPECT_EQ(Model()->Root().CanUndo(), could_undo);
  EXPECT_FALSE(Model()->IsModified());
  // A real drag lands on the parent's grid.
  Drag(Inside(ok), Inside(ok) + QPoint(21, 35));
  const QRect after = RectOf(ok);
  EXPECT_NE(after, before);
  const QRect parent = RectOf(main_obj);
  EXPECT_EQ((after.left() - parent.left()) % kGridX, 0);
  EXPECT_EQ((after.top() - parent.top()) % kGridY, 0);
  EXPECT_EQ(after.size(), before.size());
  EXPECT_TRUE(Model()->IsModified());
  EXPECT_FALSE(view->DragLayersShown());
  // One undo puts it back.
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_EQ(RectOf(ok), before);
  EXPECT_TRUE(win_notify.Has("status: Undo completed."));
}

TEST_F(DlgWinTest, ADragStopsAtTheDialogsLimit) {
  DlgObject* ok = Find("Main.Ok");
  const QRect limit = RectOf(Find("Main"));
  Click(Inside(ok));
  Drag(Inside(ok), Inside(ok) - QPoint(400, 400));
  EXPECT_EQ(RectOf(ok).topLeft(), limit.topLeft());
}

TEST_F(DlgWinTest, ADragShowsLayersWhileTheMouseMoves) {
  DlgObject* ok = Find("Main.Ok");
  Click(Inside(ok));
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, Inside(ok));
  QTest::mouseMove(view, Inside(ok) + QPoint(20, 20));
  EXPECT_TRUE(view->DragLayersShown());
  QTest::mouseMove(view, Inside(ok) + QPoint(40, 20));
  EXPECT_TRUE(view->DragLayersShown());
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, Inside(ok) + QPoint(40, 20));
  EXPECT_FALSE(view->DragLayersShown());
}

// -------------------------------------------------------------------- resize

TEST_F(DlgWinTest, AHandleResizeSnapsAndEscRecordsNothing) {
  DlgObject* entry = Find("Main.Entry");
  Click(Inside(entry));
  auto* t = dynamic_cast<DlgTracker*>(entry->Tracker());
  ASSERT_NE(t, nullptr);
  const QRect before = RectOf(entry);
  const QPoint handle = t->HandleBox(DLG_HANDLE_LEFT).center();
  // Escape during the drag of a handle cancels it.
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, handle);
  QTest::mouseMove(view, handle - QPoint(30, 0));
  EXPECT_EQ(view->MouseMode(), DlgMouseMode::Resize);
  QTest::keyClick(view, Qt::Key_Escape);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, handle - QPoint(30, 0));
  EXPECT_EQ(RectOf(entry), before);
  EXPECT_FALSE(Model()->IsModified());
  // A resize by the left handle puts the left edge on the parent's grid and
  // keeps the right edge.
  Drag(handle, handle - QPoint(29, 0));
  const QRect after = RectOf(entry);
  EXPECT_EQ(after.right(), before.right());
  EXPECT_GT(after.width(), before.width());
  EXPECT_EQ((after.left() - RectOf(Find("Main")).left()) % kGridX, 0);
  EXPECT_TRUE(Model()->IsModified());
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_EQ(RectOf(entry), before);
}

// ------------------------------------------------------------------ pictures

TEST_F(DlgWinTest, ThePictureFollowsTheModel) {
  DlgObject* main_obj = Find("Main");
  DlgObject* ok = Find("Main.Ok");
  Click(Inside(ok));
  const QImage img = Grab();
  const QRect r = RectOf(main_obj);
  // The caption bar above the dialog is grey.
  const QPoint caption(r.center().x() + r.width() / 4, r.top() - CDlgEditView::CaptionHeight() / 2);
  EXPECT_EQ(img.pixelColor(caption), QColor(128, 128, 128));
  // White around the dialog's frame.
  EXPECT_EQ(img.pixelColor(r.right() + 20, r.center().y()), QColor(Qt::white));
  // Handles only on the primary selection: the box right of it is black.
  auto* t = dynamic_cast<DlgTracker*>(ok->Tracker());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(img.pixelColor(t->HandleBox(DLG_HANDLE_RIGHT).center()), QColor(Qt::black));
  // Shift-select Cancel: Ok keeps only its border.
  Click(Inside(Find("Main.Cancel")), Qt::ShiftModifier);
  const QImage img2 = Grab();
  EXPECT_NE(img2.pixelColor(t->HandleBox(DLG_HANDLE_RIGHT).center()), QColor(Qt::black));
  // No control window is ever visible.
  for (QWidget* w : DlgCtrl_Parent()->findChildren<QWidget*>()) EXPECT_FALSE(w->isVisible());
  EXPECT_GT(DlgCtrl_Count(), 0);
}

// The controls show on the screen as in a grab: the text of a button is
// there in the window the screen shows, not only in a picture taken apart.
TEST_F(DlgWinTest, ControlsShowOnTheScreen) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
  view->repaint();
  QApplication::processEvents();
  const QImage screen = main->screen()->grabWindow(0).toImage();
  ASSERT_FALSE(screen.isNull());
  for (const char* object : {"Main.Ok", "Main.Box.Label"}) {
    SCOPED_TRACE(object);
    const QRect r = RectOf(Find(object)).translated(view->mapToGlobal(QPoint(0, 0)));
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (qGray(screen.pixel(x - main->screen()->geometry().left(), y - main->screen()->geometry().top())) < 100)
          ++dark;
    EXPECT_GT(dark, 5) << "the control's text is drawn";
  }
}

TEST_F(DlgWinTest, APlaceholderIsALightGreyBoxAndAttachmentsShowTriangles) {
  DlgObject* label = Find("Main.Box.Label");
  label->SetText("");
  label->SetFlags(label->Flags() | DLG_F_PLACEHOLDER | 0x2u);  // attached at both sides
  Click(Inside(label));
  const QImage img = Grab();
  const QRect r = RectOf(label);
  EXPECT_EQ(img.pixelColor(r.center()), QColor(192, 192, 192));
  auto* t = dynamic_cast<DlgTracker*>(label->Tracker());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(img.pixelColor(t->HandleBox(DLG_HANDLE_LEFT).center()), QColor(0, 0, 192));
  EXPECT_EQ(img.pixelColor(t->HandleBox(DLG_HANDLE_RIGHT).center()), QColor(0, 0, 192));
}

// ----------------------------------------------------- keys and context menu

TEST_F(DlgWinTest, DeleteRemovesTheSelectionOrBeeps) {
  Click(Inside(Find("Main.Cancel")));
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(Find("Main.Cancel"), nullptr);
  const int beeps = beeping.beeps;
  QTest::keyClick(view, Qt::Key_Delete);  // nothing selected
  EXPECT_EQ(beeping.beeps, beeps + 1);
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_NE(Find("Main.Cancel"), nullptr);
}

TEST_F(DlgWinTest, TheContextMenuHoldsTheDesignersEntries) {
  Click(Inside(Find("Main.Ok")));
  QStringList texts;
  QTimer::singleShot(0, [&] {
    if (QMenu* m = view->OpenMenu()) {
      for (QAction* a : m->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
      m->close();
    }
  });
  QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
  const QStringList expected = {"&Undo\tCtrl+Z",
                                "&Redo\tCtrl+Y",
                                "-",
                                "Cu&t\tCtrl+X",
                                "&Copy\tCtrl+C",
                                "&Paste\tCtrl+V",
                                "&Delete\tDel",
                                "Select A&ll\tCtrl+A",
                                "De&select All\tEsc",
                                "-",
                                "&Visible\tAlt+V",
                                "-",
                                "&Object Properties...\tEnter",
                                "Dialog Prop&erties...\tAlt+Enter",
                                "-",
                                "Object P&alette...\tAlt+P"};
  EXPECT_EQ(texts, expected);
}

// The keys the context menu names work on the canvas: Enter opens the grid
// on the selection, Alt+V toggles its visibility (not the View menu), Alt+P
// opens the palette; without a selection Enter does nothing.
TEST_F(DlgWinTest, TheKeysTheContextMenuNamesRunTheirCommands) {
  QTest::keyClick(view, Qt::Key_Escape);
  QTest::keyClick(view, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(windows->Notify().Grid(), nullptr);

  DlgObject* ok = Find("Main.Ok");
  Click(Inside(ok));
  QTest::keyClick(view, Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_NE(windows->Notify().Grid(), nullptr);
  const bool shown = ok->HasFlag(DLG_F_SHOWN);
  view->setFocus();
  QTest::keyClick(view, Qt::Key_V, Qt::AltModifier);
  EXPECT_NE(ok->HasFlag(DLG_F_SHOWN), shown);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);  // no menu opened
  QTest::keyClick(view, Qt::Key_P, Qt::AltModifier);
  QApplication::processEvents();
  EXPECT_NE(windows->Notify().Palette(), nullptr);
}

// ------------------------------------------------------ frames and captions

TEST_F(DlgWinTest, CaptionsNumberWindowsPerDialogAndMarkChanges) {
  FwChildFrame* first = view->Frame();
  EXPECT_EQ(app->Windows().Window<CDlgEditFrame>().data(), first);
  EXPECT_EQ(first->windowTitle().toStdString(), "orders.idm [Main]");
  ASSERT_TRUE(Route(ID_WINDOW_NEW));
  QApplication::processEvents();
  CDlgEditView* second = ActiveView();
  ASSERT_NE(second, view);
  EXPECT_EQ(second->Anchor(), view->Anchor());
  EXPECT_EQ(second->Frame()->windowTitle().toStdString(), "orders.idm [Main]:2");
  EXPECT_EQ(first->windowTitle().toStdString(), "orders.idm [Main]:1");
  view->setFocus();
  Click(Inside(Find("Main.Cancel")));
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(first->windowTitle().toStdString(), "orders.idm [Main]:1 *");
  EXPECT_EQ(second->Frame()->windowTitle().toStdString(), "orders.idm [Main]:2 *");
  EXPECT_EQ(CDlgEditFrame::Caption("Dialog1", nullptr, 0, false), "Dialog1 [Untitled]");
}

TEST_F(DlgWinTest, ClosingAModifiedDialogAsksYesNoCancel) {
  Click(Inside(Find("Main.Cancel")));
  QTest::keyClick(view, Qt::Key_Delete);
  FwChildFrame* frame = view->Frame();
  beeping.answer = SHELL_IDCANCEL;
  frame->close();
  QApplication::processEvents();
  EXPECT_TRUE(frame->isVisible());
  ASSERT_FALSE(beeping.boxes.empty());
  EXPECT_NE(beeping.boxes.back().find("Save changes to"), std::string::npos);
  // Yes saves, and the window goes; so does the palette that showed the
  // document.
  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  ASSERT_NE(windows->Notify().Palette(), nullptr);
  beeping.answer = SHELL_IDYES;
  frame->close();
  QApplication::processEvents();
  EXPECT_EQ(ActiveView(), nullptr);
  EXPECT_EQ(windows->Notify().Palette(), nullptr);
  EXPECT_EQ(Slurp(path).find("Cancel"), std::string::npos);
}

TEST_F(DlgWinTest, DeletingTheRootAsksClosesItsViewsAndUndoBringsThemBack) {
  CDlgDocWin* doc = view->DocWin();
  CDlgEditView* other = doc->ActivateAnchorView(Find("Other")->Anchor(), true);
  ASSERT_NE(other, nullptr);
  ASSERT_NE(other, view);
  view->setFocus();
  ASSERT_TRUE(Route(ID_WINDOW_NEW));  // two frames show Main
  QApplication::processEvents();
  view->setFocus();
  DlgObject* dialog = Find("Main");
  const QRect r = RectOf(dialog);
  Click(QPoint(r.right() - 4, r.bottom() - 4));
  ASSERT_EQ(Primary(), dialog);
  // No keeps the dialog.
  beeping.answer = SHELL_IDNO;
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_NE(beeping.all().find("You are about to delete the dialog Main\nand all its children."), std::string::npos);
  EXPECT_EQ(Find("Main"), dialog);
  beeping.answer = SHELL_IDYES;
  QTest::keyClick(view, Qt::Key_Delete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return main->MdiArea()->subWindowList().size() == 1; }, 2000));
  EXPECT_EQ(Find("Main"), nullptr);
  EXPECT_TRUE(Model()->IsModified());
  // One undo brings the dialog back in a window of its own.
  other->setFocus();
  view = other;
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  QApplication::processEvents();
  ASSERT_NE(Find("Main"), nullptr);
  EXPECT_EQ(main->MdiArea()->subWindowList().size(), 2);
}

TEST_F(DlgWinTest, HostileFilesShowTheirMessageAndLeaveNoDocument) {
  const int frames = static_cast<int>(main->MdiArea()->subWindowList().size());
  const size_t docs = CDlgEditDoc::Documents().size();
  const std::string cases[] = {
      std::string("window W\n{\n  .width 99999999999999999999;\n"),
      std::string("window W { child pushbutton B { .xleft \"\x01\x02"),
      std::string("\xff\xfe\x00\x00window", 10),
  };
  int n = 0;
  for (const std::string& text : cases) {
    const std::string bad = Write("dlg/bad" + std::to_string(n++) + ".idm", text);
    const size_t boxes = beeping.boxes.size();
    EXPECT_FALSE(windows->OpenFile(bad.c_str())) << text;
    EXPECT_GT(beeping.boxes.size(), boxes) << text;
    EXPECT_EQ(static_cast<int>(main->MdiArea()->subWindowList().size()), frames);
    EXPECT_EQ(CDlgEditDoc::Documents().size(), docs);
  }
}

TEST_F(DlgWinTest, HostileGeometryIsClampedAndLayersStayWithinTheCanvas) {
  DlgObject* dialog = Find("Main");
  {
    DlgContextBracket bracket(view->Anchor(), view->Canvas());
    dialog->SetGeometry(0, 0, DLG_COORD_MAX, DLG_COORD_MAX);
  }
  view->RecalcLayout();
  const QSize area = view->DialogArea();
  EXPECT_GT(area.width(), 0);
  EXPECT_GT(area.height(), 0);
  EXPECT_FALSE(Grab().isNull());
  DlgObject* ok = Find("Main.Ok");
  Click(Inside(ok));
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, Inside(ok));
  QTest::mouseMove(view, Inside(ok) + QPoint(40, 40));
  ASSERT_TRUE(view->DragLayersShown());
  EXPECT_LE(view->DragLayersSize().width(), view->width());
  EXPECT_LE(view->DragLayersSize().height(), view->height());
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, Inside(ok) + QPoint(40, 40));
}

// The palette and the grid keep their place in the main frame's bar
// layout: the first time they take their own widths (the grid on the
// right), and widths the user gave them come back in the next session.
TEST_F(DlgWinTest, ThePaletteAndTheGridTakeTheirKeptPlace) {
  Click(Inside(Find("Main.Ok")));
  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  ASSERT_TRUE(Route(ID_DLG_EDIT_PROPERTIES));
  QApplication::processEvents();
  QPointer<CDlgPaletteFrame> palette = app->Windows().Window<CDlgPaletteFrame>();
  QPointer<CDlgPropFrame> grid = app->Windows().Window<CDlgPropFrame>();
  ASSERT_TRUE(palette && grid);
  EXPECT_EQ(main->dockWidgetArea(palette), Qt::LeftDockWidgetArea);
  EXPECT_EQ(main->dockWidgetArea(grid), Qt::RightDockWidgetArea);
  EXPECT_NEAR(palette->width(), CDlgPaletteView::kWidth, 4);

  main->resizeDocks({palette, grid}, {250, 300}, Qt::Horizontal);
  QApplication::processEvents();
  const int palette_width = palette->width(), grid_width = grid->width();
  EXPECT_NEAR(palette_width, 250, 4);
  const QByteArray layout = main->SaveLayout();
  delete palette.data();
  delete grid.data();
  QApplication::processEvents();
  ASSERT_TRUE(main->RestoreLayout(layout));

  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  ASSERT_TRUE(Route(ID_DLG_EDIT_PROPERTIES));
  QApplication::processEvents();
  palette = app->Windows().Window<CDlgPaletteFrame>();
  grid = app->Windows().Window<CDlgPropFrame>();
  ASSERT_TRUE(palette && grid);
  EXPECT_EQ(main->dockWidgetArea(grid), Qt::RightDockWidgetArea);
  EXPECT_EQ(palette->width(), palette_width);
  EXPECT_EQ(grid->width(), grid_width);
}

// A new designer window takes the size that shows its whole dialog, no
// more: no scroll bars and no margin beyond the dialog area.
TEST_F(DlgWinTest, ANewDesignerWindowFitsItsDialog) {
  const std::string small = Write("dlg/small.idm", "window Small { .xleft 2; .ytop 1; .width 240; .height 120; }\n");
  ASSERT_TRUE(windows->OpenFile(small.c_str()));
  QApplication::processEvents();
  CDlgEditView* v = ActiveView();
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v, view);
  EXPECT_FALSE(v->HorizontalBar()->isVisible());
  EXPECT_FALSE(v->VerticalBar()->isVisible());
  EXPECT_EQ(v->CanvasRect().size(), v->DialogArea());
}

// The grid draws its groups' boxes where the Variables view puts them (the
// list views' one tree painting), and a click on the box expands the
// group.
TEST_F(DlgWinTest, AGroupsBoxIsDrawnWhereAClickExpandsIt) {
  Click(Inside(Find("Main.Ok")));
  ASSERT_TRUE(Route(ID_DLG_EDIT_PROPERTIES));
  QApplication::processEvents();
  CDlgPropView* grid = windows->Notify().Grid();
  ASSERT_NE(grid, nullptr);
  int row = -1;
  for (int r = 0; r < grid->Rows().Count() && row < 0; ++r)
    if (grid->Rows().IsGroupRow(r) && !grid->Rows().IsExpanded(r)) row = r;
  ASSERT_GE(row, 0);
  const QRect cell = grid->RowRect(row).adjusted(2, 2, -2, -2);
  const int mid = cell.top() + cell.height() / 2;
  const int centre = cell.left() + ITEMLIST_BOX_SIZE / 2;
  const QImage img = grid->grab().toImage();
  EXPECT_EQ(img.pixelColor(centre - ITEMLIST_BOX_SIZE / 2, mid), QColor(Qt::black)) << "the box's left side";
  EXPECT_EQ(img.pixelColor(centre, mid), QColor(Qt::black)) << "the box's minus stroke";
  QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, QPoint(centre, mid));
  EXPECT_TRUE(grid->Rows().IsExpanded(row));
}

TEST_F(DlgWinTest, ANamedConstantIsChosenInAComboAndUndone) {
  DlgObject* check = Find("Main.Check");
  Click(Inside(check));
  ASSERT_TRUE(Route(ID_DLG_EDIT_PROPERTIES));
  QApplication::processEvents();
  CDlgPropView* grid = windows->Notify().Grid();
  ASSERT_NE(grid, nullptr);
  for (int r = 0; r < grid->Rows().Count(); ++r)
    if (grid->Rows().IsGroupRow(r) && !grid->Rows().IsExpanded(r)) grid->Rows().Expand(r, true);
  const int row = grid->Rows().FindRow("active");
  ASSERT_GE(row, 0);
  const prop_def* def = grid->Rows().Row(row)->PropDef();
  int mark = 0;
  const std::string before = CDlgEditDoc::GetPropText(check, def, &mark);
  grid->BeginEdit(row);
  QComboBox* combo = grid->ComboBox();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo, CInPlaceEditCB::m_CurrInstance) << "the environment's in-place combo box";
  const std::string after = before == "true" ? "false" : "true";
  const int other = combo->findText(QString::fromStdString(after));
  ASSERT_GE(other, 0);
  combo->setCurrentIndex(other);
  QTest::keyClick(combo, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(grid->ComboBox(), nullptr);
  EXPECT_EQ(std::string(CDlgEditDoc::GetPropText(check, def, &mark)), after);
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_EQ(std::string(CDlgEditDoc::GetPropText(check, def, &mark)), before);
  // Deleting the object the grid shows closes the grid.
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Delete);
  QApplication::processEvents();
  EXPECT_EQ(windows->Notify().Grid(), nullptr);
}

TEST_F(DlgWinTest, AScrolledCanvasMovesTheOriginAndClicksFollowIt) {
  view->Frame()->resize(260, 200);
  QApplication::processEvents();
  QScrollBar* h = view->HorizontalBar();
  QScrollBar* v = view->VerticalBar();
  ASSERT_TRUE(h->isVisible());
  ASSERT_TRUE(v->isVisible());
  // The ranges run to the dialog area less the page.
  EXPECT_EQ(h->maximum(), view->DialogArea().width() - view->CanvasRect().width());
  EXPECT_EQ(v->maximum(), view->DialogArea().height() - view->CanvasRect().height());
  DlgObject* entry = Find("Main.Entry");
  const QRect before = RectOf(entry);
  h->setValue(h->maximum());
  v->setValue(std::min(40, v->maximum()));
  ASSERT_GT(h->value(), 0);
  EXPECT_EQ(RectOf(entry), before.translated(-h->value(), -v->value()));
  Click(Inside(entry));
  EXPECT_EQ(Primary(), entry);
  // Scrolling to the end stops at the range.
  h->setValue(h->maximum() + 1000);
  EXPECT_EQ(h->value(), h->maximum());
}

// ------------------------------------------------------------------- palette

TEST_F(DlgWinTest, TwoDropsMakeUntitled1AndUntitled2AndAForeignDropIsRefused) {
  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  CDlgPaletteView* palette = windows->Notify().Palette();
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->ShownRoot(), &Model()->Root());
  DlgObject* tmpl = Model()->FindObject("~pushbutton");
  ASSERT_NE(tmpl, nullptr);
  // A pick from the palette, then a press into the dialog, twice.
  for (int i = 0; i < 2; ++i) {
    DlgPick_Set(tmpl);
    Click(RectOf(Find("Main")).topLeft() + QPoint(300, 150 + 30 * i));
  }
  EXPECT_NE(Find("Main.Untitled1"), nullptr);
  EXPECT_NE(Find("Main.Untitled2"), nullptr);
  // Data of another process (another token) is refused.
  QMimeData foreign;
  foreign.setData(kDlgDragMime, QByteArray(8, '\1'));
  EXPECT_EQ(DlgDragData_Decode(&foreign, Model()), nullptr);
  std::unique_ptr<QMimeData> ours(DlgDragData_Encode(tmpl));
  EXPECT_EQ(DlgDragData_Decode(ours.get(), Model()), tmpl);
  // Another document's template is not found in this one.
  const std::string other_path = Write("dlg/other.idm", kDialog);
  ASSERT_TRUE(windows->OpenFile(other_path.c_str()));
  CDlgEditView* other = ActiveView();
  ASSERT_NE(other->Model(), model);
  EXPECT_EQ(DlgDragData_Decode(ours.get(), other->Model()), nullptr);
  // Palette entries show class defaults without their "~".
  bool listed = false;
  for (QTreeWidgetItemIterator it(palette); *it; ++it) listed = listed || (*it)->text(0) == "pushbutton";
  EXPECT_TRUE(listed);
}

// A designer document holds the notifier of the designer that made it: its
// views reach the palette and the grid through it, and nothing once that
// notifier is gone.
TEST_F(DlgWinTest, ADocumentReachesItsDesignersNotifierWhileItLives) {
  EXPECT_EQ(CDlgDocWin::NotifyOf(model), &win_notify);
  EXPECT_EQ(view->Notifier(), &win_notify);
  auto other_notify = std::make_unique<DlgWinNotify>();
  CDlgDocWin other(other_notify.get());
  EXPECT_EQ(other.Notify(), other_notify.get());
  other_notify.reset();
  EXPECT_EQ(other.Notify(), nullptr);
  EXPECT_EQ(view->Notifier(), &win_notify);
}

TEST_F(DlgWinTest, ThePaletteListsEveryDialogOfAFileThatAsksForIt) {
  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  CDlgPaletteView* palette = windows->Notify().Palette();
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->ShownRoot(), &Model()->Root());
  // The VUZ plug-in's files list every dialog: no anchor is remembered, and
  // the dialogs and the class defaults (without their "~") are all there.
  ASSERT_TRUE(Model()->Root().Flags() & 0x10u);
  EXPECT_EQ(palette->ShownAnchor(), nullptr);
  QStringList names;
  for (QTreeWidgetItemIterator it(palette); *it; ++it) names << (*it)->text(0);
  EXPECT_TRUE(names.contains("window"));
  EXPECT_TRUE(names.contains("pushbutton"));
  EXPECT_FALSE(names.contains("~pushbutton"));
  // Another view of the same file leaves the tree as it is.
  QTreeWidgetItem* first = palette->topLevelItem(0);
  CDlgEditView* other = view->DocWin()->ActivateAnchorView(Find("Other")->Anchor(), true);
  ASSERT_NE(other, nullptr);
  palette->SetDialog(&Model()->Root(), other->Anchor());
  EXPECT_EQ(palette->topLevelItem(0), first);
}

TEST_F(DlgWinTest, ADoubleClickOnADialogTemplateMakesANewDialogInItsOwnWindow) {
  ASSERT_TRUE(Route(ID_DLG_PALETTE));
  CDlgPaletteView* palette = windows->Notify().Palette();
  ASSERT_NE(palette, nullptr);
  QTreeWidgetItem* window_item = nullptr;
  for (QTreeWidgetItemIterator it(palette); *it && !window_item; ++it)
    if ((*it)->text(0) == "window") window_item = *it;
  ASSERT_NE(window_item, nullptr);
  DlgObject* tmpl = CDlgPaletteView::ObjectOf(window_item);
  ASSERT_NE(tmpl, nullptr);
  // As a plug-in marks a class that makes only dialogs.
  tmpl->SetFlags(tmpl->Flags() | DLG_TMPL_ALWAYS_ROOT);
  const int frames = static_cast<int>(main->MdiArea()->subWindowList().size());
  const QPoint at = palette->visualItemRect(window_item).center();
  QTest::mouseDClick(palette->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QApplication::processEvents();
  EXPECT_EQ(static_cast<int>(main->MdiArea()->subWindowList().size()), frames + 1);
  EXPECT_NE(Find("Untitled1"), nullptr);
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  QApplication::processEvents();
  EXPECT_EQ(Find("Untitled1"), nullptr);
}

TEST_F(DlgWinTest, ADoubleClickShowsTheObjectInTheGrid) {
  DlgObject* cancel = Find("Main.Cancel");
  QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, Inside(cancel));
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, Inside(cancel));
  QApplication::processEvents();
  CDlgPropView* grid = windows->Notify().Grid();
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->Object(), cancel);
  EXPECT_EQ(grid->Title().toStdString(), "Main.Cancel Properties");
}

// ---------------------------------------------------------------------- grid

TEST_F(DlgWinTest, GridEditsUndoAndRefusalsBeepAndKeepTheOldValue) {
  DlgObject* entry = Find("Main.Entry");
  Click(Inside(entry));
  ASSERT_TRUE(Route(ID_DLG_EDIT_PROPERTIES));
  QApplication::processEvents();  // the grid's window takes its place
  CDlgPropView* grid = windows->Notify().Grid();
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->Object(), entry);
  EXPECT_EQ(grid->Title().toStdString(), "Main.Entry Properties");
  // Expand every category so that maxchars shows.
  for (int r = 0; r < grid->Rows().Count(); ++r)
    if (grid->Rows().IsGroupRow(r) && !grid->Rows().IsExpanded(r)) grid->Rows().Expand(r, true);
  const int row = grid->Rows().FindRow("maxchars");
  ASSERT_GE(row, 0);
  auto edit_to = [&](const char* text) {
    grid->SelectRow(grid->Rows().FindRow("maxchars"));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QLineEdit* e = grid->EditBox();
    if (!e) return false;
    EXPECT_EQ(e, CInPlaceEdit::m_CurrInstance) << "the environment's in-place edit field";
    e->setText(QString::fromLatin1(text));
    QTest::keyClick(e, Qt::Key_Return);
    QApplication::processEvents();
    return true;
  };
  const int beeps = beeping.beeps;
  ASSERT_TRUE(edit_to("12a"));
  EXPECT_TRUE(win_notify.Has("error: Failed to convert 12a to integer."));
  EXPECT_EQ(beeping.beeps, beeps + 1);
  ASSERT_TRUE(edit_to(""));
  EXPECT_TRUE(win_notify.Has("error: A value is required"));
  ASSERT_TRUE(edit_to("7"));
  int mark = 0;
  const prop_def* def = grid->Rows().Row(grid->Rows().FindRow("maxchars"))->PropDef();
  EXPECT_EQ(std::string(CDlgEditDoc::GetPropText(entry, def, &mark)), "7");
  EXPECT_TRUE(win_notify.Has("status: Property maxchars set with new value [7]"));
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_EQ(std::string(CDlgEditDoc::GetPropText(entry, def, &mark)), "12");
  // A string of 256 characters is too long.
  const int text_row = grid->Rows().FindRow("content");
  ASSERT_GE(text_row, 0);
  grid->SelectRow(text_row);
  QTest::keyClick(grid, Qt::Key_Return);
  ASSERT_NE(grid->EditBox(), nullptr);
  grid->EditBox()->setText(QString(256, 'x'));
  QTest::keyClick(grid->EditBox(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_TRUE(win_notify.Has("error: Property string is too long."));
}

// ------------------------------------------------------------- small pieces

TEST(DlgWinPieces, BitmapSaversShareOneCountedContext) {
  Fw_TestQApp();
  const unsigned made = CBitmapSaver::SharedMade();
  {
    CBitmapSaver a(10, 10), b(4, 4);
    EXPECT_EQ(CBitmapSaver::SharedUsers(), 2u);
    EXPECT_EQ(CBitmapSaver::SharedMade(), made + 1);
    QPixmap src(20, 20);
    src.fill(Qt::red);
    a.Save(src, QPoint(5, 5));
    EXPECT_EQ(a.Pixmap().toImage().pixelColor(9, 9), QColor(Qt::red));
  }
  EXPECT_EQ(CBitmapSaver::SharedUsers(), 0u);
  CBitmapSaver c(0, 3);
  EXPECT_EQ(CBitmapSaver::SharedMade(), made + 2);
  EXPECT_TRUE(c.Pixmap().isNull());
}

TEST(DlgWinPieces, WindowClassesMapToControlKinds) {
  struct Case {
    const char* wc;
    uint32_t style;
    DlgCtrlKind kind;
  };
  const Case cases[] = {
      {"Button", 0, DlgCtrlKind::PushButton}, {"BUTTON", 1, DlgCtrlKind::PushButton},
      {"Button", 3, DlgCtrlKind::CheckBox},   {"Button", 9, DlgCtrlKind::RadioButton},
      {"Button", 7, DlgCtrlKind::GroupBox},   {"Edit", 0, DlgCtrlKind::LineEdit},
      {"Edit", 4, DlgCtrlKind::TextEdit},     {"Static", 1, DlgCtrlKind::Label},
      {"ListBox", 0, DlgCtrlKind::List},      {"ComboBox", 0, DlgCtrlKind::Combo},
      {"GroupBox", 0, DlgCtrlKind::GroupBox}, {"Window", 0, DlgCtrlKind::None},
      {"NoSuchClass", 0, DlgCtrlKind::None},  {nullptr, 0, DlgCtrlKind::None},
  };
  for (const Case& c : cases) EXPECT_EQ(DlgCtrl_KindOf(c.wc, c.style), c.kind) << (c.wc ? c.wc : "null");
}

}  // namespace

namespace {

TEST(DlgWinPieces, TheDropSourceDecidesByButtonsAndStart) {
  using D = DlgDropDecision;
  constexpr unsigned L = DLG_BUTTON_LEFT, R = DLG_BUTTON_RIGHT, M = DLG_BUTTON_MIDDLE;
  struct Case {
    bool escape;
    unsigned buttons, cancel, drop;
    bool started;
    D expected;
  };
  const Case cases[] = {
      {true, L, 0, L, true, D::Cancel},       // Escape
      {false, L | R, R, L, true, D::Cancel},  // a cancel button
      {false, L, R, L, true, D::Continue},    // the drop button still held
      {false, 0, R, L, true, D::Drop},        // released after the start
      {false, 0, R, L, false, D::Cancel},     // released before the start
      {false, 0, 0, 0, true, D::Continue},    // no button held: waits
      {false, M, 0, 0, true, D::Continue},    // the middle button does not end it
      {false, R, 0, 0, true, D::Drop},        // the next press ends it
      {false, L, 0, 0, false, D::Cancel},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DlgDropSource_Query(c.escape, c.buttons, c.cancel, c.drop, c.started), c.expected)
        << c.buttons << " " << c.drop;
}

}  // namespace

namespace {

// The browse bar's Files tree as the designer sees it.
class TreeLink : public XrefLink {
 public:
  XrefTree* Tree() override { return &tree; }
  XrefTree tree;
};

// The labels of a node's children, in order.
std::vector<std::string> Labels(const XrefNode* node) {
  std::vector<std::string> out;
  for (const auto& c : node->Children()) out.push_back(c->Item()->GetLabel());
  return out;
}

}  // namespace

// A dialog document is listed in the cross-reference window with its
// dialogs and objects; an item's default action selects its object in the
// designer, Delete removes it (undo brings the item back), a drop reorders
// the objects, and the node goes with the document.
TEST_F(DlgWinTest, TheCrossReferenceWindowListsAndEditsTheDialogs) {
  TreeLink link;
  XrefLink* before = Shell_Neighbours().xref;
  Shell_Neighbours().xref = &link;
  const std::string other = Write("dlg/listed.idm", kDialog);
  ASSERT_TRUE(windows->OpenFile(other.c_str()));
  QApplication::processEvents();
  CDlgEditView* v = ActiveView();
  ASSERT_NE(v, nullptr);
  CDlgDocWin* doc = CDlgDocWin::Of(v->Model());
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(doc->Xref(), nullptr);
  XrefTree& tree = link.tree;
  XrefNode* node = tree.FindDocument(doc->Xref());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Item()->GetLabel(), "listed.idm");
  EXPECT_EQ(Labels(node), (std::vector<std::string>{"Main [window]", "Other [window]"}));
  DlgObject* main_obj = v->Model()->FindObject("Main");
  XrefNode* main_node = tree.FindDlgObject(doc->Xref(), doc->Xref()->ItemOf(main_obj));
  ASSERT_NE(main_node, nullptr);
  EXPECT_EQ(Labels(main_node), (std::vector<std::string>{"Ok [pushbutton]", "Cancel [pushbutton]", "Box [groupbox]",
                                                         "Entry [edittext]", "Check [checkbox]"}));
  EXPECT_EQ(Labels(main_node->Children()[2].get()), std::vector<std::string>{"Label [statictext]"});
  EXPECT_EQ(tree.Selected(), main_node) << "the first dialog is selected after the load";

  DlgObject* cancel = v->Model()->FindObject("Main.Cancel");
  XrefNode* cancel_node = main_node->Children()[1].get();
  tree.DefaultAction(cancel_node);
  EXPECT_EQ(v->Canvas()->Primary(), cancel);

  tree.ContextCommand(cancel_node, XrefDoc::CmdDelete);
  EXPECT_EQ(v->Model()->FindObject("Main.Cancel"), nullptr);
  EXPECT_EQ(Labels(main_node).size(), 4u);
  ASSERT_TRUE(Route(ID_EDIT_UNDO));
  EXPECT_EQ(Labels(main_node)[1], "Cancel [pushbutton]");

  // Ok goes after Entry.
  XrefNode* ok_node = main_node->Children()[0].get();
  XrefNode* entry_node = main_node->Children()[3].get();
  ASSERT_TRUE(tree.Drop(entry_node, ok_node, true));
  EXPECT_EQ(Labels(main_node), (std::vector<std::string>{"Cancel [pushbutton]", "Box [groupbox]", "Entry [edittext]",
                                                         "Ok [pushbutton]", "Check [checkbox]"}));
  std::vector<std::string> order;
  for (DlgObject* c = main_obj->GetHead(); c; c = c->next) order.push_back(c->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"Cancel", "Box", "Entry", "Ok", "Check"}));

  v->Model()->SetModifiedFlag(false);
  for (FwChildFrame* f : doc->Frames()) f->close();
  QApplication::processEvents();
  EXPECT_TRUE(tree.Roots().empty()) << "the node went with the document";
  Shell_Neighbours().xref = before;
}
