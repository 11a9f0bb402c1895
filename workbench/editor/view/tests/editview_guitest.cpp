// The editor's windows in the environment started in-process: pictures of
// the view against what the model says, two panes of one document, the
// Find and Line Draw dialogs and the output pane.
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QTimer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "platform/registry.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/view/editdialogs.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/editprint.h"
#include "workbench/editor/view/pagesetupdlg.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/linedraw.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/editor/view/outputframe.h"
#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwstatuspane.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/apphelp.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/frames/editbar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/tests/shellwindowtest.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/tests/shelltest.h"

namespace {

// A text document whose program stops at line number 5.
class StopDoc : public CProgDoc {
 public:
  bool GetStopLine(uint32_t* n) const override {
    *n = 5;
    return true;
  }
};

// Opens files through the program documents' template and records the calls.
class TestOpener : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  bool OpenFile(const char* path, int) override {
    opened.push_back(path ? path : "");
    return Programs_Template()->OpenDocument(path) != nullptr;
  }
  std::vector<std::string> opened;
};

std::string S(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

class EditorWindows : public ShellWindowTest {
 protected:
  static void SetUpTestSuite() { UseTemporaryProfile("editview-guitest"); }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartShell([] {
      Programs_Install();
      Editor_Install();
    }));
    // New documents are text files with LF line ends in ISO 8859-1.
    app->m_Config.General.NewFileMode = CfgFileMode_Text_LF;
    app->m_Config.General.Codepage = 1;
  }

  void TearDown() override {
    COutputDoc::Shutdown();
    StopShell();
    Shell_ResetNeighbours();
  }

  // A text document in a window of the main frame.
  CProgDoc* OpenText(const std::string& text, bool enhancements = false) {
    auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->OpenDocument(nullptr));
    EXPECT_NE(doc, nullptr);
    doc->GetTextObj()->SetUseEnhancements(enhancements);
    doc->Model().SetText(text);
    for (FwView* v : doc->Views()) {
      auto* ev = dynamic_cast<CEditorView*>(v);
      ev->Model().UpdateScrollRanges();
      ev->update();
    }
    return doc;
  }

  static CEditorView* ViewOf(FwDocument* doc, size_t i = 0) {
    return doc->Views().size() > i ? dynamic_cast<CEditorView*>(doc->Views()[i]) : nullptr;
  }

  RecordingSink sink;
};

// Every id that a window of the environment handles or updates has its row
// (text, prompt, shortcut), so that a user can reach it.
TEST_F(EditorWindows, EveryHandledIdHasARow) {
  std::vector<std::string> owners;
  for (const FwHandlerTable& t : Fw_HandlerTables()) owners.push_back(t.owner);
  for (const char* owner : {"CYqApp", "CMainFrame", "CEditorView"})
    EXPECT_NE(std::find(owners.begin(), owners.end(), owner), owners.end()) << owner;
  EXPECT_EQ(app->Commands().MissingRows(), std::vector<std::string>{});
}

// The Line/Col group appears through the idle update of its panes while an
// editor is active (the frame's update hides it otherwise), and its fields
// show the caret's place.
TEST_F(EditorWindows, TheLineAndColumnGroupFollowsTheActiveEditor) {
  CYqStatusBar* bar = Shell_StatusBar();
  app->RunIdle();
  EXPECT_FALSE(bar->IsActive(SP_LINE));
  EXPECT_FALSE(bar->IsActive(SP_LINE_LABEL));
  CProgDoc* doc = OpenText("one\ntwo\nthree");
  ViewOf(doc)->Model().GoToLine(2);
  app->RunIdle();
  for (int pane : {SP_LINE_LABEL, SP_LINE, SP_COLUMN_LABEL, SP_COLUMN}) EXPECT_TRUE(bar->IsActive(pane)) << pane;
  EXPECT_TRUE(bar->PaneAt(SP_LINE_LABEL)->isEnabled());
  EXPECT_EQ(bar->Field(SP_LINE)->text(), "3");
  EXPECT_EQ(bar->Field(SP_COLUMN)->text(), "1");
  EXPECT_FALSE(bar->IsActive(SP_LINENUMBER));  // a text file has no program line numbers
  // Each field's pane is as wide as the field's digits, so the message pane
  // keeps the room that is left.
  const QFontMetrics digits(bar->Field(SP_LINE)->font());
  EXPECT_LT(bar->PaneAt(SP_LINE)->sizeHint().width(), digits.horizontalAdvance("000000") + 40);
  EXPECT_LT(bar->PaneAt(SP_COLUMN)->sizeHint().width(), digits.horizontalAdvance("0000") + 40);

  for (FwChildFrame* f : doc->Frames()) f->close();
  app->RunIdle();
  EXPECT_FALSE(bar->IsActive(SP_LINE));
}

QColor CellPixel(const QImage& img, const QRect& cell, int dx, int dy) {
  return img.pixelColor(cell.left() + dx, cell.top() + dy);
}

TEST_F(EditorWindows, PictureMatchesTheModel) {
  StopDoc doc;
  doc.GetTextObj()->SetUseEnhancements(true);
  doc.Model().SetText(S({'a', 'b', 0x81, ' ', ' ', ' ', 0x80, 'x'}) + "\n" + S({0x89, ' ', ' ', ' '}) + "\n" +
                      S({0x84, ' ', ' ', ' ', ' '}) + "\n" + S({0x93, 0xAC, 0xAC}) + "\nstop here");
  doc.GetTextObj()->Line(4)->line_number = 5;
  CEditorView view(&doc);
  view.resize(400, 300);
  view.show();
  view.OnInitialUpdate();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QImage img = view.grab().toImage();
  EditorModel& m = view.Model();
  const int cw = view.CharWidth(), lh = view.LineHeight();

  // Row 0: columns 2 to 4 are inverse: the cell takes the text colour.
  EditorRowPaint r0 = m.PaintRow(0);
  ASSERT_EQ(r0.runs.size(), 3u);
  const QColor text_fg(0, 0, 0), white(255, 255, 255);
  EXPECT_EQ(CellPixel(img, view.CellRect(0, 3), cw / 2, lh / 2), text_fg);
  EXPECT_EQ(CellPixel(img, view.CellRect(0, 6), cw / 2, 1), white);

  // Row 1: half-bright and inverse: the background is the dimmed text colour.
  CfgColor fg = r0.runs[0].fg, bg = r0.runs[0].bg;
  Cfg_HalfBright(&fg, &bg);
  EXPECT_EQ(m.PaintRow(1).runs[0].bg, fg);
  EXPECT_EQ(CellPixel(img, view.CellRect(1, 1), cw / 2, lh / 2),
            QColor(static_cast<int>(Cfg_Red(fg)), static_cast<int>(Cfg_Green(fg)), static_cast<int>(Cfg_Blue(fg))));

  // Row 2: underline at the model's offset, nothing above it.
  EXPECT_TRUE(m.PaintRow(2).runs[0].underline);
  EXPECT_EQ(CellPixel(img, view.CellRect(2, 1), cw / 2, m.UnderlineY()), text_fg);
  EXPECT_EQ(CellPixel(img, view.CellRect(2, 1), cw / 2, 1), white);

  // Row 3: code 172 is a line through the cell's centre.
  EditorRowPaint r3 = m.PaintRow(3);
  ASSERT_EQ(r3.runs.size(), 1u);
  EXPECT_TRUE(r3.runs[0].line_draw);
  EXPECT_EQ(CellPixel(img, view.CellRect(3, 0), cw / 2, lh / 2), text_fg);
  EXPECT_EQ(CellPixel(img, view.CellRect(3, 0), cw / 2, 1), white);

  // Row 4: the yellow arrow of the stop line, in the margin.
  EXPECT_EQ(m.PaintRow(4).markers, static_cast<uint32_t>(EV_MARK_STOP));
  EXPECT_EQ(img.pixelColor(12, 4 * lh + (lh + 1) / 2), QColor(255, 255, 0));
  EXPECT_EQ(img.pixelColor(12, 3 * lh + (lh + 1) / 2), white);
}

// A font whose advance is not a whole number of pixels.
QFont FractionalFont() {
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::TypeWriter);
  font.setHintingPreference(QFont::PreferNoHinting);
  for (int px = 11; px < 40; ++px) {
    font.setPixelSize(px);
    const double a = QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
    const double frac = a - std::floor(a);
    if (frac > 0.2 && frac < 0.8) return font;
  }
  return font;
}

bool AnyPixel(const QImage& img, const QRect& r, const QColor& c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixelColor(x, y) == c) return true;
  return false;
}

bool AllPixels(const QImage& img, const QRect& r, const QColor& c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixelColor(x, y) != c) return false;
  return true;
}

TEST_F(EditorWindows, CaretSelectionClicksAndGlyphsAgreeAtColumn100WithAFractionalAdvance) {
  CProgDoc* doc = OpenText(std::string(100, 'M') + "\nnext");
  CEditorView* view = ViewOf(doc);
  ASSERT_NE(view, nullptr);
  const QFont font = FractionalFont();
  const double advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
  ASSERT_NE(advance, std::floor(advance)) << "no font with a fractional advance";
  view->SetEditFont(font);
  doc->Frames().at(0)->showMaximized();
  const int cw = view->CharWidth();
  view->parentWidget()->parentWidget()->resize(EV_MARGIN + 110 * cw + 60, 200);
  QCoreApplication::processEvents();
  ASSERT_GE(view->Model().VisibleCols(), 102u);
  EditorModel& m = view->Model();
  const QColor white(255, 255, 255), black(0, 0, 0);

  // The caret behind the 100th character stands at that cell's edge.
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  m.PlaceCaret(0, 100);
  int cx = 0, cy = 0;
  ASSERT_TRUE(m.CaretPixel(&cx, &cy));
  EXPECT_EQ(cx, view->CellRect(0, 100).left());
  QImage img = view->grab().toImage();
  const QRect last = view->CellRect(0, 99), behind = view->CellRect(0, 100);
  EXPECT_TRUE(AnyPixel(img, last, black)) << "the 100th glyph is not in its cell";
  EXPECT_EQ(img.pixelColor(cx, behind.top() + behind.height() / 2), black);  // the caret
  EXPECT_TRUE(AllPixels(img, behind.adjusted(2, 0, 0, 0), white)) << "ink behind the 100th cell";

  // A click on the right half of the 100th cell puts the caret behind it,
  // on its left half before it.
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(last.left() + cw * 3 / 4, last.center().y()));
  EXPECT_EQ(m.caret_col, 100u);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(last.left() + cw / 4, last.center().y()));
  EXPECT_EQ(m.caret_col, 99u);

  // A selection over the whole line: the 100th glyph in the selection's
  // colours inside its cell, the end-of-line cell behind it.
  m.PlaceCaret(0, 0);
  m.ExtendSelection(0, 0);
  m.ExtendSelection(1, 0);
  img = view->grab().toImage();
  const CfgColorEntry& sel = doc->Model().Config().Colors.entries[2];
  const QColor sel_fg(static_cast<int>(Cfg_Red(sel.fg)), static_cast<int>(Cfg_Green(sel.fg)),
                      static_cast<int>(Cfg_Blue(sel.fg)));
  const QColor sel_bg(static_cast<int>(Cfg_Red(sel.bg)), static_cast<int>(Cfg_Green(sel.bg)),
                      static_cast<int>(Cfg_Blue(sel.bg)));
  EXPECT_TRUE(AnyPixel(img, last, sel_fg)) << "the end-of-line cell covers the last selected character";
  EXPECT_TRUE(AllPixels(img, behind, sel_bg));
  EXPECT_TRUE(AllPixels(img, view->CellRect(0, 101), white));
}

TEST_F(EditorWindows, LineDrawGlyphsJoinAtTheCellEdges) {
  CProgDoc* doc = OpenText(S({0x93, 0xAC, 0xAC, 0xAC, 0xAE}) + "\n" + S({0x93, ' ', ' ', ' ', 0xAE}), true);
  CEditorView* view = ViewOf(doc);
  ASSERT_NE(view, nullptr);
  view->Model().PlaceCaret(1, 1);  // the caret away from the lines looked at
  QCoreApplication::processEvents();
  QImage img = view->grab().toImage();
  const QColor black(0, 0, 0);
  // Code 172 is a line through the centre from edge to edge: three cells
  // give one unbroken line.
  const QRect first = view->CellRect(0, 0), third = view->CellRect(0, 2);
  const int y = first.top() + first.height() / 2;
  for (int x = first.left(); x <= third.right(); ++x) EXPECT_EQ(img.pixelColor(x, y), black) << "gap at x " << x;
  // Code 174 is a line down the centre: two rows give one unbroken line.
  const QRect up = view->CellRect(0, 3), down = view->CellRect(1, 3);
  const int x = up.left() + up.width() / 2;
  for (int yy = up.top(); yy <= down.bottom(); ++yy) EXPECT_EQ(img.pixelColor(x, yy), black) << "gap at y " << yy;
}

TEST_F(EditorWindows, SelectedCellsUseTheSelectionColours) {
  CProgDoc* doc = OpenText("abcdef");
  CEditorView* view = ViewOf(doc);
  ASSERT_NE(view, nullptr);
  view->Model().PlaceCaret(0, 1);
  view->Model().KeyDown(EditKey::Right, true, false);
  view->Model().KeyDown(EditKey::Right, true, false);
  QImage img = view->grab().toImage();
  const CfgColorEntry& sel = doc->Model().Config().Colors.entries[2];
  QColor bg(static_cast<int>(Cfg_Red(sel.bg)), static_cast<int>(Cfg_Green(sel.bg)), static_cast<int>(Cfg_Blue(sel.bg)));
  EXPECT_EQ(CellPixel(img, view->CellRect(0, 1), 0, 1), bg);
  EXPECT_EQ(CellPixel(img, view->CellRect(0, 3), 0, 1), QColor(255, 255, 255));
}

TEST_F(EditorWindows, TwoPanesStayCurrentWhileTyping) {
  CProgDoc* doc = OpenText(std::string(200, 'y') + "\nsecond");
  FwChildFrame* frame = doc->Frames().at(0);
  ASSERT_TRUE(frame->SplitRows());
  CEditorView* a = ViewOf(doc, 0);
  CEditorView* b = ViewOf(doc, 1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->Sibling(), b);
  a->setFocus();
  QTest::keyClicks(a, "xyz");
  QCoreApplication::processEvents();
  EXPECT_EQ(doc->GetTextObj()->Line(0)->data.substr(0, 3), "xyz");
  EXPECT_EQ(b->Model().PaintRow(0).runs.at(0).text.substr(0, 3), "xyz");
  QTest::keyClick(a, Qt::Key_Return);
  EXPECT_EQ(b->Model().TotalRows(), 3u);
  // Horizontal scrolling is mirrored.
  a->HorizontalBar()->setValue(20);
  EXPECT_EQ(b->Model().left_col, 20u);
  EXPECT_EQ(b->HorizontalBar()->value(), 20);
  // Line wrap in one pane turns it on in both and hides the bars.
  ASSERT_TRUE(app->RouteCommand(32921) || (a->OnCommand(32921), true));
  EXPECT_TRUE(a->Model().IsLineWrap());
  EXPECT_TRUE(b->Model().IsLineWrap());
  EXPECT_FALSE(b->HorizontalBar()->isVisible());
  EXPECT_EQ(b->Model().left_col, 0u);
}

TEST_F(EditorWindows, SecondFindOnlyFocusesTheFirst) {
  CProgDoc* doc = OpenText("find me\nand find me");
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(view->OnCommand(57636));
  CFindDlg* first = app->Windows().Window<CFindDlg>();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(view->OnCommand(57636));
  EXPECT_EQ(app->Windows().Window<CFindDlg>(), first);
  EXPECT_EQ(main->findChildren<CFindDlg*>().size(), 1);
  first->FindCombo()->setCurrentText("find");
  first->SetOptions(true, false, true);
  EXPECT_TRUE(first->OnFindNext());
  EXPECT_EQ(view->Model().sel_anchor_col, 0u);
  EXPECT_EQ(app->m_FindHistory.Texts().at(0), "find");
  first->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(app->Windows().Window<CFindDlg>(), nullptr);
}

// Types a text into a widget key by key, letters beyond ASCII too.
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
    QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
  }
}

TEST_F(EditorWindows, FindTakesTheKeyboardAndTheEditBarBoxSearchesRecordsAndReturns) {
  const std::string cafe = "caf\xe9";  // one ISO 8859-1 text everywhere
  CProgDoc* doc = OpenText("one " + cafe + "\ntwo " + cafe + "\nthree " + cafe);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  const QString typed = QString::fromLatin1(cafe.c_str());
  app->m_FindHistory.entries.Clear();
  Shell_EditBar()->FindBox()->Refill();

  // Ctrl+F, then typing: the text lands in the Find box.
  QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
  CFindDlg* find = app->Windows().Window<CFindDlg>();
  ASSERT_NE(find, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return find->FindCombo()->hasFocus(); }));
  Type(QApplication::focusWidget(), typed);
  EXPECT_EQ(find->FindCombo()->currentText(), typed);
  find->close();
  QCoreApplication::processEvents();

  // The Edit bar's box: Enter finds and records, Escape goes back to the view.
  main->activateWindow();
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  CFindCombo* box = Shell_EditBar()->FindBox();
  ASSERT_TRUE(app->RouteCommand(102));  // Ctrl+D
  ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
  box->lineEdit()->clear();
  Type(QApplication::focusWidget(), typed);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(app->m_FindHistory.Texts(), std::vector<std::string>{cafe});
  EXPECT_TRUE(view->Model().SelectionActive());
  EXPECT_EQ(view->Model().sel_anchor_line, 0u);
  EXPECT_EQ(view->Model().sel_anchor_col, 4u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  ASSERT_TRUE(app->RouteCommand(102));
  ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));

  // The same text typed in the dialog is the same history entry and is found.
  ASSERT_TRUE(view->OnCommand(57636));
  find = app->Windows().Window<CFindDlg>();
  ASSERT_TRUE(QTest::qWaitFor([&] { return find->FindCombo()->hasFocus(); }));
  find->FindCombo()->lineEdit()->clear();
  Type(QApplication::focusWidget(), typed);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(app->m_FindHistory.Texts(), std::vector<std::string>{cafe});
  EXPECT_EQ(view->Model().sel_anchor_line, 1u);
  EXPECT_EQ(box->count(), 1);
  EXPECT_EQ(box->currentText(), typed);
  find->close();
}

TEST_F(EditorWindows, ReplaceTakesBothTextsAndF3FindsNext) {
  CProgDoc* doc = OpenText("find me\nand find me");
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(view->OnCommand(57641));
  CReplaceDlg* dlg = app->Windows().Window<CReplaceDlg>();
  ASSERT_NE(dlg, nullptr);
  // An empty find-what text searches nothing and keeps the histories.
  const size_t finds = app->m_FindHistory.Texts().size();
  const size_t replaces = app->m_ReplaceHistory.Texts().size();
  dlg->FindCombo()->setCurrentText("");
  EXPECT_FALSE(dlg->OnFindNext());
  EXPECT_EQ(app->m_FindHistory.Texts().size(), finds);
  dlg->FindCombo()->setCurrentText("me");
  dlg->ReplaceCombo()->setCurrentText("found");
  dlg->SetOptions(true, true, true);
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
  QTest::keyClick(dlg, Qt::Key_F3);
  EXPECT_EQ(view->Model().sel_anchor_col, 5u);
  EXPECT_EQ(app->m_FindHistory.Texts().at(0), "me");
  EXPECT_EQ(app->m_ReplaceHistory.Texts().size(), replaces);
  dlg->FindCombo()->setCurrentText("find");
  EXPECT_TRUE(dlg->OnReplaceAll());
  EXPECT_EQ(doc->GetTextObj()->Line(0)->data.substr(0, 8), "found me");
  EXPECT_EQ(doc->GetTextObj()->Line(1)->data.substr(0, 12), "and found me");
  EXPECT_EQ(app->m_ReplaceHistory.Texts().at(0), "found");
  dlg->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(app->Windows().Window<CReplaceDlg>(), nullptr);
}

TEST_F(EditorWindows, LineDrawInsertsTheClickedCode) {
  CProgDoc* doc = OpenText("", true);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(view->OnCommand(33016));
  CLineDrawDlg* dlg = app->Windows().Window<CLineDrawDlg>();
  ASSERT_NE(dlg, nullptr);
  CLineDrawTable* table = dlg->Table();
  const QRect cell = linedraw::CellRect(165, table->CellWidth(), table->CellHeight());
  EXPECT_EQ(table->Click(cell.center()), 165);
  // The gap left of the first column inserts nothing.
  EXPECT_EQ(table->Click(QPoint(0, cell.center().y())), -1);
  EditorRowPaint r = view->Model().PaintRow(0);
  ASSERT_EQ(r.runs.size(), 1u);
  EXPECT_TRUE(r.runs[0].line_draw);
  EXPECT_EQ(r.runs[0].text, "\xA5");
  EXPECT_EQ(view->Model().caret_col, 1u);
  dlg->close();
}

TEST_F(EditorWindows, LineDrawFollowsTheTextFilesUseOfEnhancements) {
  for (bool on : {true, false}) {
    SCOPED_TRACE(on);
    CfgFile text_file;
    text_file.FileMode = CfgFileMode_Text_LF;
    CfgEditItem* item = app->m_Config.Edit.GetItemFor(text_file);
    item->flags = on ? item->flags | CfgEditItem::UseEnhancements : item->flags & ~CfgEditItem::UseEnhancements;
    auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->OpenDocument(nullptr));
    ASSERT_NE(doc, nullptr);
    ViewOf(doc)->setFocus();
    EXPECT_EQ(app->RouteUpdate(33016).enabled, on);
    EXPECT_EQ(doc->GetTextObj()->use_enhancements != 0, on);
  }
}

TEST(LineDraw, HitTestAnswersNothingOutsideTheTable) {
  const int cx = 8, cy = 16;
  const QSize size = linedraw::TableSize(cx, cy);
  struct Case {
    int x, y, code;
  } cases[] = {
      {linedraw::CellRect(160, cx, cy).center().x(), linedraw::CellRect(160, cx, cy).center().y(), 160},
      {linedraw::CellRect(223, cx, cy).center().x(), linedraw::CellRect(223, cx, cy).center().y(), 223},
      {0, 10, -1},
      {size.width() - 1, 10, -1},
      {10, size.height() - 1, -1},
      {10, size.height() + 40, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(linedraw::HitTest(c.x, c.y, cx, cy), c.code) << c.x << "," << c.y;
}

TEST_F(EditorWindows, OutputAppendedWhileClosedIsThereWithTheCaretAtTheEnd) {
  COutputDoc::AppendText(OUTPUT_TAB_BUILD, "one\r\ntwo\rtail\n");
  EXPECT_FALSE(COutputDoc::IsShown());
  COutputDoc::Show(true);
  ASSERT_TRUE(COutputDoc::IsShown());
  COutputFrame* frame = COutputDoc::Find()->Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Tabs()->tabText(0), "Build");
  EXPECT_EQ(frame->Tabs()->tabText(1), "Debug");
  EXPECT_EQ(frame->Tabs()->tabText(2), "Find in Files");
  TextObj* t = COutputDoc::TabText(OUTPUT_TAB_BUILD);
  std::vector<std::string> lines;
  for (TextLine* l = t->head; l; l = l->next) lines.push_back(l->data);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "twotail", "", ""}));
  CEditorView* view = frame->TabView(OUTPUT_TAB_BUILD);
  EXPECT_EQ(view->Model().caret_line, t->num_lines - 1);
  // Appending while open goes on at the end.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
  QCoreApplication::processEvents();
  COutputDoc::AppendText(OUTPUT_TAB_DEBUG, "debug line");
  EXPECT_EQ(frame->ActiveTab(), OUTPUT_TAB_DEBUG);
  EXPECT_EQ(COutputDoc::TabText(OUTPUT_TAB_DEBUG)->Line(0)->data, "debug line");
  EXPECT_FALSE(COutputDoc::IsTabClean(OUTPUT_TAB_DEBUG));
  COutputDoc::ClearTab(OUTPUT_TAB_DEBUG);
  EXPECT_TRUE(COutputDoc::IsTabClean(OUTPUT_TAB_DEBUG));
  EXPECT_EQ(COutputDoc::TabText(OUTPUT_TAB_DEBUG)->num_lines, 1u);
}

TEST_F(EditorWindows, BuildMessageJumpsToItsLineAfterLinesAboveWereInserted) {
  TestOpener opener;
  // The environment's end still asks the program neighbour: the opener
  // leaves it before it goes.
  struct Restore {
    ProgramLink* link;
    ~Restore() { Shell_Neighbours().program = link; }
  } restore{std::exchange(Shell_Neighbours().program, &opener)};
  char path_templ[] = "/tmp/editview-guitest-src-XXXXXX";
  int fd = mkstemp(path_templ);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string path = path_templ;
  {
    std::ofstream out(path);
    out << "first\nsecond\ntarget\nlast\n";
  }
  ASSERT_TRUE(opener.OpenFile(path.c_str(), 0));
  FwDocument* doc = Programs_Template()->Documents().back();
  CEditorView* src = ViewOf(doc);
  const uint32_t ident = dynamic_cast<CProgDoc*>(doc)->GetTextObj()->Line(2)->ident;
  COutputDoc::SetTabFileName(OUTPUT_TAB_BUILD, path.c_str());
  COutputDoc::AppendText(OUTPUT_TAB_BUILD, "error in target\n", ident);
  // Two lines above the target.
  src->Model().PlaceCaret(0, 0);
  src->Model().KeyDown(EditKey::Return, false, false);
  src->Model().KeyDown(EditKey::Return, false, false);

  CEditorView* out = COutputDoc::ActivateTab(OUTPUT_TAB_BUILD);
  ASSERT_NE(out, nullptr);
  out->Model().DoubleClick(0, 0, false);
  EXPECT_EQ(src->Model().caret_line, 4u);
  EXPECT_TRUE(src->Model().Flag(EV_MARKED_LINE));
  EXPECT_EQ(out->Model().marked_line, 0u);
  EXPECT_EQ(opener.opened.size(), 1u);  // it was open: no second opening

  // Debug tab: not a document of locations.
  COutputDoc::AppendText(OUTPUT_TAB_DEBUG, "x\n");
  CEditorView* dbg = COutputDoc::ActivateTab(OUTPUT_TAB_DEBUG);
  int flag = 5;
  EXPECT_FALSE(dbg->Slots()->GoToLocation(&dbg->Model(), 0, &flag));
  EXPECT_EQ(flag, 0);
  std::remove(path.c_str());
}

// A file of its own in a folder of its own, removed at the end.
class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    char templ[] = "/tmp/editview-guitest-doc-XXXXXX";
    dir = mkdtemp(templ);
    path = dir + "/file.txt";
    std::ofstream(path, std::ios::binary) << content;
  }
  ~TempFile() {
    std::remove(path.c_str());
    rmdir(dir.c_str());
  }
  std::string Read() const {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string dir, path;
};

TEST_F(EditorWindows, ClosingAModifiedDocumentAsksYesSavesNoDiscardsCancelKeeps) {
  enum How { WINDOW, EXIT, FILE_CLOSE };  // the window's own close, Exit, File Close
  struct Case {
    const char* name;
    How how;
    int answer;
    bool saved;
    bool stays_open;
  } cases[] = {
      {"window Yes", WINDOW, SHELL_IDYES, true, false},
      {"window No", WINDOW, SHELL_IDNO, false, false},
      {"window Cancel", WINDOW, SHELL_IDCANCEL, false, true},
      {"Exit Cancel", EXIT, SHELL_IDCANCEL, false, true},
      {"Exit No", EXIT, SHELL_IDNO, false, false},
      {"Exit Yes", EXIT, SHELL_IDYES, true, false},
      // File Close of a document in two windows: one question for both.
      {"File Close Cancel", FILE_CLOSE, SHELL_IDCANCEL, false, true},
      {"File Close No", FILE_CLOSE, SHELL_IDNO, false, false},
      {"File Close Yes", FILE_CLOSE, SHELL_IDYES, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!main->isVisible()) {
      TearDown();
      SetUp();
    }
    TempFile file("line\n");
    ASSERT_TRUE(Shell_Neighbours().program->OpenFile(file.path.c_str(), 0));
    auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
    ASSERT_NE(doc, nullptr);
    QPointer<FwChildFrame> frame = doc->Frames().at(0);
    CEditorView* view = ViewOf(doc);
    view->setFocus();
    QTest::keyClicks(view, "x");
    app->RouteUpdate(57603);  // the idle update marks the document
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->windowTitle().endsWith(" *"); }));
    QPointer<FwChildFrame> second;
    if (c.how == FILE_CLOSE) {
      ASSERT_TRUE(app->RouteCommand(ID_WINDOW_NEW));
      ASSERT_EQ(doc->Frames().size(), 2u);
      second = doc->Frames().at(1);
    }
    sink.boxes.clear();
    sink.answer = c.answer;
    if (c.how == EXIT)
      app->RouteCommand(57665);
    else if (c.how == FILE_CLOSE)
      EXPECT_TRUE(app->Commands().Trigger(ID_FILE_CLOSE));
    else
      frame->close();
    QCoreApplication::processEvents();
    if (c.how == FILE_CLOSE) {
      EXPECT_EQ(!second.isNull() && second->isVisible(), c.stays_open);
    }
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, Shell_AppName());
    EXPECT_EQ(sink.boxes[0].text, "Save changes to " + file.path + "?");
    EXPECT_EQ(sink.boxes[0].style, SHELL_MB_YESNOCANCEL | SHELL_MB_ICONQUESTION);
    EXPECT_EQ(file.Read(), c.saved ? "xline\n" : "line\n");
    EXPECT_EQ(!frame.isNull() && frame->isVisible(), c.stays_open);
    EXPECT_EQ(main->isVisible(), c.how != EXIT || c.stays_open);
    if (c.stays_open) {
      EXPECT_TRUE(frame->windowTitle().endsWith(" *"));
      sink.answer = SHELL_IDNO;
      if (second) second->close();
      frame->close();
    }
  }
}

TEST_F(EditorWindows, AFailedSaveIsReportedAndKeepsTheChangesMarked) {
  TempFile file("one\ttwo\n");
  ASSERT_EQ(chmod(file.path.c_str(), 0640), 0);
  ASSERT_TRUE(Shell_Neighbours().program->OpenFile(file.path.c_str(), 0));
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(doc, nullptr);
  // A tab reaches the next tab position of the edit settings.
  const CfgEditItem* item = doc->Model().Config().Edit.GetItemFor(doc->Model().Config().File);
  EXPECT_EQ(doc->GetTextObj()->Line(0)->data, "one" + std::string(item->NextStop(3) - 3, ' ') + "two");
  FwChildFrame* frame = doc->Frames().at(0);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QTest::keyClicks(view, "x");
  EXPECT_TRUE(app->RouteUpdate(57603).enabled);

  // The folder is gone: the save says so and the document stays changed.
  std::remove(file.path.c_str());
  ASSERT_EQ(rmdir(file.dir.c_str()), 0);
  sink.boxes.clear();
  ASSERT_TRUE(app->RouteCommand(57603));
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Save File [1]");
  EXPECT_NE(sink.boxes[0].text.find(file.path), std::string::npos);
  EXPECT_EQ(Shell_StatusBar()->Model().Message(), "\"" + file.path + "\": Failed to save file.");
  EXPECT_EQ(Shell_StatusBar()->Model().Kind(), SK_ERROR);
  EXPECT_TRUE(frame->windowTitle().endsWith(" *"));
  EXPECT_TRUE(doc->Model().IsModified());

  // Back again: the save goes through, the mark goes, the permissions stay.
  ASSERT_EQ(mkdir(file.dir.c_str(), 0700), 0);
  std::ofstream(file.path) << "old";
  ASSERT_EQ(chmod(file.path.c_str(), 0640), 0);
  ASSERT_TRUE(app->RouteCommand(57603));
  EXPECT_FALSE(frame->windowTitle().endsWith(" *"));
  EXPECT_EQ(file.Read().substr(0, 4), "xone");
  struct stat st {};
  ASSERT_EQ(stat(file.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Save of a document without a file name asks for one: with no explorer
// to ask, nothing is saved and the document stays modified.
TEST_F(EditorWindows, SaveOfAnUntitledDocumentAsksForAName) {
  CProgDoc* doc = OpenText("text");
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  QTest::keyClicks(view, "x");
  EXPECT_TRUE(app->RouteUpdate(57603).enabled);
  ASSERT_TRUE(app->RouteCommand(57603));
  EXPECT_TRUE(doc->Model().IsModified());
  EXPECT_TRUE(doc->PathName().empty());
}

TEST_F(EditorWindows, AFileThatCannotBeOpenedIsReportedAndAGoneRecentFileLeavesTheList) {
  TempFile file("text\n");
  ASSERT_EQ(chmod(file.path.c_str(), 0), 0);
  const bool readable = access(file.path.c_str(), R_OK) == 0;  // root reads it anyway
  const std::string gone = file.dir + "/gone.txt";
  app->m_MruFiles.files.Clear();
  app->m_MruFiles.files.Add(file.path);
  app->m_MruFiles.files.Add(gone);
  sink.boxes.clear();
  ASSERT_TRUE(app->RouteCommand(57616));  // the most recent: gone
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Open File [1]");
  EXPECT_NE(sink.boxes[0].text.find(gone), std::string::npos);
  EXPECT_EQ(app->m_MruFiles.files.Items(), std::vector<std::string>{file.path});
  if (!readable) {
    ASSERT_TRUE(app->RouteCommand(57616));  // there, but not readable: it stays
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(app->m_MruFiles.files.Items(), std::vector<std::string>{file.path});
  }
  chmod(file.path.c_str(), 0600);
}

TEST_F(EditorWindows, SecondOutputDocumentIsRefused) {
  COutputDoc::Show(true);
  ASSERT_NE(COutputDoc::Find(), nullptr);
  SysAssertHandler previous = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  COutputDoc second;
  EXPECT_THROW(second.OnNewDocument(), SysAssertError);
  Sys_SetAssertHandler(previous);
}

}  // namespace

namespace {

int PdfPages(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int pages = 0;
  for (size_t p = data.find("/Type /Page"); p != std::string::npos; p = data.find("/Type /Page", p + 1))
    if (data.compare(p, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

TEST_F(EditorWindows, PrintingToPdfGivesThePagesTheLayoutPredicts) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\n";
  CProgDoc* doc = OpenText(text);
  CEditorView* view = ViewOf(doc);
  CfgPageSetup& setup = doc->Model().Config().PageSetup;
  setup.LeftMargin = setup.RightMargin = setup.TopMargin = setup.BottomMargin = 200;
  char templ[] = "/tmp/editview-guitest-pdf-XXXXXX";
  int fd = mkstemp(templ);
  close(fd);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(templ);
  printer.setPageSize(QPageSize(QPageSize::A4));
  const int pages = Editor_Print(view->Model(), "doc.txt", &printer, false);
  ASSERT_GT(pages, 1);
  EXPECT_EQ(PdfPages(templ), pages);
  // The layout for the same font: rows of 201 lines (the text ends in an
  // empty line) over the rows per page.
  EXPECT_EQ(view->Model().TotalRows(), 201u);

  // Margins that leave 90 mm refuse; 110 mm print.
  setup.LeftMargin = setup.RightMargin = 600;
  EXPECT_EQ(Editor_Print(view->Model(), "doc.txt", &printer, false), -1);
  ASSERT_FALSE(sink.boxes.empty());
  EXPECT_EQ(sink.boxes.back().caption, "Cannot print file [1]");
  setup.LeftMargin = setup.RightMargin = 500;
  EXPECT_GT(Editor_Print(view->Model(), "doc.txt", &printer, false), 0);
  std::remove(templ);
}

TEST(EditorPrint, MarginsStayInsideThePrintableArea) {
  const QSizeF a4(210, 297);
  const QRectF printable(4.2, 5, 210 - 4.2 - 6, 297 - 5 - 12.5);  // the printer's least margins
  struct Case {
    int32_t margin;  // all four, 0.1 mm
    int32_t left, top, right, bottom;
  } cases[] = {
      {0, 42, 50, 60, 125},       // at the paper's edge: moved in to the printable area
      {55, 55, 55, 60, 125},      // inside on two sides
      {200, 200, 200, 200, 200},  // inside everywhere: kept
  };
  for (const Case& c : cases) {
    CfgPageSetup setup;
    setup.LeftMargin = setup.TopMargin = setup.RightMargin = setup.BottomMargin = c.margin;
    const CfgPageSetup inside = Editor_MarginsInsidePrintable(setup, a4, printable);
    EXPECT_EQ(inside.LeftMargin, c.left) << c.margin;
    EXPECT_EQ(inside.TopMargin, c.top) << c.margin;
    EXPECT_EQ(inside.RightMargin, c.right) << c.margin;
    EXPECT_EQ(inside.BottomMargin, c.bottom) << c.margin;
  }
}

TEST_F(EditorWindows, PageSetupFieldsShowTheirWholeValues) {
  CfgPageSetup record;
  record.PageHeader = "&F";
  record.PageFooter = "&L&D &T&RPage &P of &A";
  record.LeftMargin = record.RightMargin = record.TopMargin = record.BottomMargin = 1250;
  record.FontSize = 240;
  CPageSetupDlg dlg(&record);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  std::vector<QLineEdit*> fields = {dlg.HeaderEdit(), dlg.FooterEdit(), dlg.SizeCombo()->lineEdit()};
  for (int i = 0; i < 4; ++i) fields.push_back(dlg.Margin(i)->findChild<QLineEdit*>());
  for (QLineEdit* field : fields) {
    ASSERT_NE(field, nullptr);
    const int room = field->contentsRect().width() - field->textMargins().left() - field->textMargins().right();
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), room) << field->text().toStdString();
  }
  EXPECT_EQ(dlg.SizeCombo()->currentText(), "24.0");
}

TEST_F(EditorWindows, PageSetupWritesTheRecordOnlyWhenChanged) {
  CfgPageSetup& record = app->m_Config.PageSetup;
  {
    CPageSetupDlg dlg(&record);
    EXPECT_FALSE(dlg.Apply());
  }
  CPageSetupDlg dlg(&record);
  dlg.Margin(0)->setValue(1.5);
  dlg.SizeCombo()->setCurrentText("30");
  dlg.InsertCode(0, "&P");
  EXPECT_TRUE(dlg.Apply());
  EXPECT_EQ(record.LeftMargin, 150);
  EXPECT_EQ(record.FontSize, 240);
  EXPECT_EQ(record.PageHeader, "&F&P");
  EXPECT_EQ(Cfg_GetInt("Settings\\PageSetup", "LeftMargin"), 150);
  EXPECT_FALSE(dlg.Apply());
}

}  // namespace

namespace {

class FailingPrograms : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  bool SaveAllModified() override { return result; }
  bool result = false;
};

TEST(EditorDoc, PathTitlesAndSaveAll) {
  CEditorDoc doc;  // a document without a model keeps its own path and title
  struct Case {
    const char* path;
    const char* title;
  } cases[] = {{"one/two/three.src", "three.src"},
               {"plain", "plain"},
               {"dir/", "dir"},
               {"c:\\x", "c:\\x"},  // a backslash is a name character
               {"a//b", "b"}};
  for (const Case& c : cases) {
    doc.SetPathName(c.path, false);
    EXPECT_EQ(doc.GetDocTitle(), c.title) << c.path;
  }
  EXPECT_EQ(doc.PathName(), "a/b");

  FailingPrograms programs;
  Shell_Neighbours().program = &programs;
  int dialog_saves = 0;
  CEditorDoc::SetDialogSaveAll([&dialog_saves] {
    ++dialog_saves;
    return true;
  });
  EXPECT_FALSE(CEditorDoc::SaveAll());
  EXPECT_EQ(dialog_saves, 0);
  programs.result = true;
  EXPECT_TRUE(CEditorDoc::SaveAll());
  EXPECT_EQ(dialog_saves, 1);
  CEditorDoc::SetDialogSaveAll(nullptr);
  Shell_ResetNeighbours();
}

}  // namespace

namespace {

// The state of a menu as the user sees it when it opens: id and enabled of
// each item that is not hidden.
std::map<int, bool> OpenMenu(QMenu* menu) {
  emit menu->aboutToShow();
  std::map<int, bool> items;
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->isVisible() && a->data().isValid()) items[a->data().toInt()] = a->isEnabled();
  return items;
}

QMenu* TopMenu(CMainFrame* main, const QString& title) {
  for (QAction* a : main->menuBar()->actions())
    if (a->text() == title) return a->menu();
  return nullptr;
}

class RecordingHelp : public HelpSink {
 public:
  RecordingHelp() { previous_ = Help_SetSink(this); }
  ~RecordingHelp() override { Help_SetSink(previous_); }
  void show(const std::string&, const std::string& topic) override { topics.push_back(topic); }
  std::vector<std::string> topics;

 private:
  HelpSink* previous_;
};

// Runs `check` on the pop-up menu that `open` opens (and blocks in), then
// closes it.
void WithPopup(const std::function<void()>& open, const std::function<void(QMenu*)>& check) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    seen = menu != nullptr;
    if (menu != nullptr) {
      check(menu);
      if (menu->isVisible()) menu->close();
    }
  });
  open();
  QCoreApplication::processEvents();
  EXPECT_TRUE(seen);
}

std::vector<QString> Texts(QMenu* menu) {
  std::vector<QString> texts;
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->isVisible()) texts.push_back(a->text());
  return texts;
}

}  // namespace

// Every menu item is enabled or greyed by its update, with and without an
// editor; the editor's commands sit in the menus, and their keys follow the
// same rule: greyed, the key does nothing; enabled, it runs.
TEST_F(EditorWindows, EditorCommandsAreInTheMenusAndTheirKeysFollowTheirUpdates) {
  QMenu* edit = TopMenu(main, "&Edit");
  ASSERT_NE(edit, nullptr);
  auto every_item_follows_its_update = [&] {
    for (QAction* top : main->menuBar()->actions()) {
      if (top->menu() == nullptr) continue;
      for (const auto& [id, enabled] : OpenMenu(top->menu()))
        EXPECT_EQ(enabled, app->RouteUpdate(id).enabled) << top->text().toStdString() << " " << id;
    }
  };
  std::map<int, bool> items = OpenMenu(edit);
  for (int id : {ID_FIND_NEXT, ID_GOTO_LINE, ID_LINE_DRAW, ID_EDIT_INDENT, ID_EDIT_OUTDENT, ID_ATTR_INVERSE,
                 ID_ATTR_HALFBRIGHT}) {
    ASSERT_TRUE(items.count(id)) << id;
    EXPECT_FALSE(items[id]) << id;
  }
  every_item_follows_its_update();
  CYqStatusBar* bar = Shell_StatusBar();
  main->activateWindow();
  QTest::keyClick(main, Qt::Key_G, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_FALSE(bar->Field(SP_LINE) != nullptr && bar->Field(SP_LINE)->hasFocus());

  std::string text;
  for (int i = 1; i <= 50; ++i) text += "line " + std::to_string(i) + "\n";
  CProgDoc* doc = OpenText(text, true);
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  app->RunIdle();
  every_item_follows_its_update();
  items = OpenMenu(edit);
  EXPECT_TRUE(items[ID_FIND_NEXT]);
  EXPECT_TRUE(items[ID_GOTO_LINE]);
  EXPECT_TRUE(items[ID_LINE_DRAW]);
  EXPECT_FALSE(items[ID_EDIT_INDENT]);  // no selection yet

  // Ctrl+G, 40, Enter: line 40, and nothing typed into the text.
  QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->Field(SP_LINE)->hasSelectedText(); }));
  ASSERT_TRUE(bar->Field(SP_LINE)->hasFocus());
  QTest::keyClicks(QApplication::focusWidget(), "40");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(view->Model().caret_line, 39u);
  EXPECT_EQ(doc->GetTextObj()->num_lines, 51u);
  EXPECT_EQ(doc->GetTextObj()->Line(39)->data, "line 40");
  EXPECT_FALSE(doc->GetTextObj()->IsModified());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));

  // F3 searches on from the caret for the Edit bar's text.
  Shell_EditBar()->FindBox()->setCurrentText("line 45");
  QTest::keyClick(view, Qt::Key_F3);
  EXPECT_TRUE(view->Model().SelectionActive());
  EXPECT_EQ(view->Model().sel_anchor_line, 44u);

  // Ctrl+1 on the selection: inverse (its action was greyed when the Edit
  // menu last opened, without a selection); the menu item is checked after.
  ASSERT_FALSE(app->Commands().Action(ID_ATTR_INVERSE)->isEnabled());
  QTest::keyClick(view, Qt::Key_1, Qt::ControlModifier);
  EXPECT_TRUE(view->Model().AttributeChecked(1));
  emit edit->aboutToShow();
  EXPECT_TRUE(app->Commands().Action(ID_ATTR_INVERSE)->isChecked());
  every_item_follows_its_update();

  // A text without enhancements greys the attributes; their keys do nothing.
  CProgDoc* plain = OpenText("plain\n", false);
  CEditorView* plain_view = ViewOf(plain);
  plain_view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return plain_view->hasFocus(); }));
  plain_view->Model().SelectAll();
  EXPECT_FALSE(OpenMenu(edit)[ID_ATTR_INVERSE]);
  QTest::keyClick(plain_view, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(plain->GetTextObj()->Line(0)->data, "plain");
}

// F1 on a word is the keyword's help; elsewhere, and through What's This,
// the help of the window's kind.
TEST_F(EditorWindows, HelpKeysAskForTheWordOrTheWindowKind) {
  RecordingHelp help;
  app->m_Config.Help.ConfigURL = "http://manuals/";
  CProgDoc* doc = OpenText("print x\n\n");
  CEditorView* view = ViewOf(doc);
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClick(view, Qt::Key_F1);
  app->RunIdle();

  COutputDoc::Show(true);
  CEditorView* out = COutputDoc::Find()->Frame()->TabView(COutputDoc::Find()->ActiveTab());
  out->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return out->hasFocus(); }));
  QTest::keyClick(out, Qt::Key_F1);  // an empty tab: no word
  app->RunIdle();

  // What's This, then a click on the text window.
  QTest::keyClick(out, Qt::Key_F1, Qt::ShiftModifier);
  EXPECT_TRUE(app->InContextHelp());
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(40, 5));
  EXPECT_FALSE(app->InContextHelp());
  app->RunIdle();
  // Escape leaves the mode without help.
  QTest::keyClick(out, Qt::Key_F1, Qt::ShiftModifier);
  QTest::keyClick(out, Qt::Key_Escape);
  EXPECT_FALSE(app->InContextHelp());

  // The last one: the program window's kind.
  EXPECT_EQ(help.topics, (std::vector<std::string>{"Key__PRINT", "HIDR_OUTPUTTYPE", "HIDR_EDITTYPE"}));
}

// The output pane's menus: its commands join the View menu while it is the
// active window, and its context menu (Shift+F10) has them too.
TEST_F(EditorWindows, OutputPaneMenusCarryItsCommands) {
  CProgDoc* doc = OpenText("text\n");
  QMenu* view_menu = TopMenu(main, "&View");
  ASSERT_NE(view_menu, nullptr);
  EXPECT_FALSE(OpenMenu(view_menu).count(ID_CLEAR_OUTPUT));
  EXPECT_TRUE(OpenMenu(view_menu).count(ID_LINE_WRAP));

  COutputDoc::AppendText(OUTPUT_TAB_BUILD, "one\ntwo");
  COutputDoc::Show(true);
  COutputFrame* frame = COutputDoc::Find()->Frame();
  frame->Tabs()->setCurrentIndex(OUTPUT_TAB_BUILD);
  CEditorView* out = frame->TabView(OUTPUT_TAB_BUILD);
  main->MdiArea()->setActiveSubWindow(frame);
  out->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return out->hasFocus(); }));
  std::map<int, bool> items = OpenMenu(view_menu);
  EXPECT_TRUE(items[ID_CLEAR_OUTPUT]);
  EXPECT_TRUE(items[ID_AUTO_SCROLL]);
  EXPECT_EQ(frame->windowIcon().name(), "utilities-terminal");

  WithPopup([&] { QTest::keyClick(out, Qt::Key_F10, Qt::ShiftModifier); },
            [&](QMenu* menu) {
              EXPECT_EQ(Texts(menu), (std::vector<QString>{"&Copy", "Select A&ll", "&Auto-Scroll", "Line &Wrap",
                                                           "C&lear Output Window"}));
              for (QAction* a : menu->actions())
                if (a->text() == "C&lear Output Window") {
                  menu->close();
                  a->trigger();
                }
            });
  EXPECT_EQ(COutputDoc::TabText(OUTPUT_TAB_BUILD)->num_lines, 1u);
  EXPECT_EQ(COutputDoc::TabText(OUTPUT_TAB_BUILD)->Line(0)->data, "");

  main->MdiArea()->setActiveSubWindow(doc->Frames().at(0));
  EXPECT_FALSE(OpenMenu(view_menu).count(ID_CLEAR_OUTPUT));
}

// The Window menu and its keys with two documents.
TEST_F(EditorWindows, WindowMenuArrangesListsAndMovesBetweenWindows) {
  CProgDoc* first = OpenText("first\n");
  CProgDoc* second = OpenText("second\n");
  FwChildFrame* a = first->Frames().at(0);
  FwChildFrame* b = second->Frames().at(0);
  // Each window shows its kind's icon, not the toolkit's.
  EXPECT_EQ(a->windowIcon().name(), "accessories-text-editor");
  main->resize(1000, 700);
  QCoreApplication::processEvents();

  ASSERT_TRUE(app->Commands().Trigger(ID_WINDOW_TILE));
  QCoreApplication::processEvents();
  const QRect ra = a->geometry(), rb = b->geometry();
  EXPECT_FALSE(ra.intersects(rb)) << "tiled windows overlap";
  EXPECT_EQ(ra.top(), rb.top());  // side by side
  EXPECT_GT(ra.width(), 200);

  ASSERT_TRUE(app->Commands().Trigger(ID_WINDOW_CASCADE));
  QCoreApplication::processEvents();
  const QRect ca = a->geometry(), cb = b->geometry();
  EXPECT_TRUE(ca.intersects(cb));
  EXPECT_NE(ca.topLeft(), cb.topLeft());

  // The list: both titles, the active one checked; choosing the first
  // activates it.
  main->MdiArea()->setActiveSubWindow(b);
  QMenu* window = main->WindowMenu();
  emit window->aboutToShow();
  std::vector<std::pair<QString, bool>> listed;
  QAction* first_item = nullptr;
  for (QAction* act : window->actions()) {
    const int id = act->data().toInt();
    if (id < ID_WINDOW_CHILD_FIRST || id > ID_WINDOW_CHILD_LAST) continue;
    listed.push_back({act->text(), act->isChecked()});
    if (id == ID_WINDOW_CHILD_FIRST) first_item = act;
  }
  EXPECT_EQ(listed, (std::vector<std::pair<QString, bool>>{{"&1 " + a->windowTitle(), false},
                                                           {"&2 " + b->windowTitle(), true}}));
  ASSERT_NE(first_item, nullptr);
  first_item->trigger();
  EXPECT_EQ(main->MdiArea()->activeSubWindow(), a);

  // Ctrl+F6 and Ctrl+Shift+F6 go round; Ctrl+F4 closes the active one.
  main->activateWindow();
  QTest::keyClick(main, Qt::Key_F6, Qt::ControlModifier);
  EXPECT_EQ(main->MdiArea()->activeSubWindow(), b);
  QTest::keyClick(main, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(main->MdiArea()->activeSubWindow(), a);
  CEditorView* in_a = ViewOf(first);
  in_a->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return in_a->hasFocus(); }));
  QTest::keyClick(in_a, Qt::Key_F4, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(main->OpenChildren(), std::vector<QMdiSubWindow*>{b});
  EXPECT_FALSE(app->RouteUpdate(ID_WINDOW_NEXT).enabled);  // one window left
}

// Ctrl+F4 belongs to the main frame: with the focus in the Edit bar's find
// box it closes the active window, asking first when its document is
// modified (Cancel keeps the window, No lets it go unsaved).
TEST_F(EditorWindows, CtrlF4ClosesTheActiveWindowWhereverTheFocusIs) {
  CProgDoc* kept = OpenText("kept\n");
  CProgDoc* edited = OpenText("edited\n");
  FwChildFrame* a = kept->Frames().at(0);
  FwChildFrame* b = edited->Frames().at(0);
  const std::string title = edited->Title();
  CEditorView* view = ViewOf(edited);
  main->activateWindow();
  view->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
  QTest::keyClicks(view, "x");
  ASSERT_TRUE(edited->Model().IsModified());
  CFindCombo* box = Shell_EditBar()->FindBox();
  box->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
  auto ctrl_f4 = [] {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
  };
  sink.answer = SHELL_IDCANCEL;
  ctrl_f4();
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_NE(sink.boxes[0].text.find("Save changes to " + title), std::string::npos) << sink.boxes[0].text;
  EXPECT_EQ(main->OpenChildren(), (std::vector<QMdiSubWindow*>{a, b}));
  sink.answer = SHELL_IDNO;
  ctrl_f4();
  EXPECT_EQ(main->OpenChildren(), std::vector<QMdiSubWindow*>{a});
  EXPECT_EQ(sink.boxes.size(), 2u);
  // An unmodified document goes without a question.
  box->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
  ctrl_f4();
  EXPECT_TRUE(main->OpenChildren().empty());
  EXPECT_EQ(sink.boxes.size(), 2u);
}

// Arrange Icons lines the minimized windows up along the bottom and leaves
// the others where they are; with more windows than the Window menu lists,
// More Windows lists them all and activates the one chosen.
TEST_F(EditorWindows, ArrangeIconsAndMoreWindows) {
  main->resize(1000, 700);
  std::vector<FwChildFrame*> frames;
  for (int i = 0; i < 8; ++i) frames.push_back(OpenText("doc\n")->Frames().at(0));
  // The last two: files of one name in two folders, so of one title.
  char folder[] = "/tmp/editview-guitest-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  for (const char* sub : {"/a", "/b"}) {
    const std::string dir = std::string(folder) + sub;
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    std::ofstream(dir + "/same.txt") << "same\n";
    FwDocument* doc = Programs_Template()->OpenDocument((dir + "/same.txt").c_str());
    ASSERT_NE(doc, nullptr);
    frames.push_back(doc->Frames().at(0));
  }
  QCoreApplication::processEvents();
  frames[2]->showMinimized();
  frames[5]->showMinimized();
  QCoreApplication::processEvents();
  frames[2]->move(300, 40);
  frames[5]->move(20, 200);
  frames[9]->showNormal();
  const QRect normal = frames[9]->geometry();
  ASSERT_TRUE(app->Commands().Trigger(ID_WINDOW_ARRANGE));
  QCoreApplication::processEvents();
  const int bottom = main->MdiArea()->viewport()->height();
  const QRect first = frames[2]->geometry(), second = frames[5]->geometry();
  EXPECT_EQ(first.left(), 0);
  EXPECT_EQ(second.left(), first.right() + 1);
  EXPECT_EQ(first.bottom() + 1, bottom);
  EXPECT_EQ(second.bottom() + 1, bottom);
  EXPECT_EQ(frames[9]->geometry(), normal);

  // The menu lists nine windows and offers the rest through More Windows.
  QMenu* window = main->WindowMenu();
  emit window->aboutToShow();
  int listed = 0;
  bool more = false;
  for (QAction* act : window->actions()) {
    const int id = act->data().toInt();
    if (id >= ID_WINDOW_CHILD_FIRST && id <= ID_WINDOW_CHILD_LAST) ++listed;
    if (act == app->Commands().Action(ID_WINDOW_MORE)) more = true;
  }
  EXPECT_EQ(listed, 9);
  EXPECT_TRUE(more);
  // The two windows of one title stay apart.
  QStringList offered, titles;
  QString preset;
  main->MdiArea()->setActiveSubWindow(frames[0]);
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (dlg == nullptr) return;
    offered = dlg->comboBoxItems();
    for (size_t i = 0; i < frames.size(); ++i) titles << QString("%1 %2").arg(i + 1).arg(frames[i]->windowTitle());
    preset = dlg->textValue();
    dlg->setTextValue(offered.value(9));
    dlg->accept();
  });
  ASSERT_TRUE(app->Commands().Trigger(ID_WINDOW_MORE));
  ASSERT_EQ(titles.size(), 10);
  EXPECT_EQ(titles[9].mid(3), titles[8].mid(2));  // "same.txt" twice
  EXPECT_EQ(offered, titles);
  EXPECT_EQ(preset, titles[0]);  // the active window
  EXPECT_EQ(main->MdiArea()->activeSubWindow(), frames[9]);
}
