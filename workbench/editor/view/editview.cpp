#include "workbench/editor/view/editview.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSplitter>

#include "workbench/editor/txtline.h"
#include "workbench/editor/view/editdoc.h"
#include "workbench/editor/view/editorrows.h"
#include "workbench/editor/view/editprint.h"
#include "workbench/editor/view/editdialogs.h"
#include "workbench/editor/view/linedraw.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/shell/frames/editbar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

CEditorView* g_last_focused = nullptr;
std::string g_fallback_find;

QColor Qc(CfgColor c) {
  return QColor(static_cast<int>(Cfg_Red(c)), static_cast<int>(Cfg_Green(c)), static_cast<int>(Cfg_Blue(c)));
}

EditKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Insert: return EditKey::Insert;
    case Qt::Key_Return:
    case Qt::Key_Enter: return EditKey::Return;
    case Qt::Key_Backspace: return EditKey::Back;
    case Qt::Key_Delete: return EditKey::Delete;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return EditKey::Tab;
    case Qt::Key_Left: return EditKey::Left;
    case Qt::Key_Right: return EditKey::Right;
    case Qt::Key_Up: return EditKey::Up;
    case Qt::Key_Down: return EditKey::Down;
    case Qt::Key_PageUp: return EditKey::PageUp;
    case Qt::Key_PageDown: return EditKey::PageDown;
    case Qt::Key_Home: return EditKey::Home;
    case Qt::Key_End: return EditKey::End;
    default: return EditKey::Other;
  }
}

EditDocSlots* SlotsOf(FwDocument* doc) {
  auto* doc_slots = dynamic_cast<EditDocSlots*>(doc);
  SYS_ASSERT(doc_slots);
  return doc_slots;
}

}  // namespace

const FwCmdEntry<CEditorView> CEditorView::kMap[] = {
    {ID_EDIT_CLEAR, ID_EDIT_CLEAR, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_EDIT_COPY, ID_EDIT_CUT, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_EDIT_PASTE, ID_EDIT_PASTE, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_EDIT_SELECT_ALL, ID_EDIT_REDO, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_EDIT_INDENT, ID_EDIT_OUTDENT, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_ATTR_INVERSE, ID_ATTR_HALFBRIGHT, &CEditorView::OnEditCommand, &CEditorView::OnUpdateEditCommand},
    {ID_EDIT_FIND, ID_EDIT_FIND, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_EDIT_REPLACE, ID_EDIT_REPLACE, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_FIND_BOX, ID_FIND_BOX, nullptr, &CEditorView::OnUpdateViewCommand},
    {ID_FIND_NEXT, ID_FIND_NEXT, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_GOTO_LINE, ID_GOTO_LINE, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_LINE_DRAW, ID_LINE_DRAW, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_COMPILE, ID_COMPILE, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_BREAKPOINT, ID_BREAKPOINT, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_RUN_TO_CURSOR, ID_RUN_TO_CURSOR, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_AUTO_SCROLL, ID_CLEAR_OUTPUT, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_FILE_PROPERTIES, ID_FILE_PROPERTIES, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_FILE_SAVE, ID_FILE_SAVE_AS, &CEditorView::OnViewCommand, &CEditorView::OnUpdateViewCommand},
    {ID_PANE_LINE_LABEL, ID_PANE_COLUMN, nullptr, &CEditorView::OnUpdatePanes},
    {ID_PANE_LINENUMBER_LABEL, ID_PANE_LINENUMBER, nullptr, &CEditorView::OnUpdatePanes},
    {ID_PANE_OVR, ID_PANE_OVR, nullptr, &CEditorView::OnUpdatePanes},
    {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, &CEditorView::OnPrintCommand, nullptr},
};

CEditorView::CEditorView(FwDocument* doc, QWidget* parent, EditDocSlots* doc_slots)
    : FwHandlers(doc, parent),
      slots_(doc_slots ? doc_slots : SlotsOf(doc)),
      model_(slots_, this),
      vbar_(new QScrollBar(Qt::Vertical, this)),
      hbar_(new QScrollBar(Qt::Horizontal, this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setMouseTracking(false);
  setCursor(Qt::IBeamCursor);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::TypeWriter);
  SetEditFont(font);
  vbar_->setCursor(Qt::ArrowCursor);
  hbar_->setCursor(Qt::ArrowCursor);
  connect(vbar_, &QScrollBar::valueChanged, this, [this](int v) {
    if (syncing_) return;
    model_.flags |= EV_SCROLL_MIRROR;
    model_.ScrollTo(static_cast<uint32_t>(std::max(0, v)), model_.left_col);
    update();
  });
  connect(hbar_, &QScrollBar::valueChanged, this, [this](int v) {
    if (syncing_) return;
    model_.ScrollTo(model_.top_row, static_cast<uint32_t>(std::max(0, v)));
    update();
  });
}

void CEditorView::SetEditFont(const QFont& font) {
  font_ = font;
  font_.setKerning(false);
  // Whole pixels per cell; every glyph is drawn at its cell.
  QFontMetrics fm(font_);
  const double advance = QFontMetricsF(font_).horizontalAdvance(QLatin1Char('x'));
  model_.SetMetrics(std::max(1, static_cast<int>(std::lround(advance))), fm.height() + std::max(0, fm.leading()));
  model_.SetUnderlineY(fm.ascent() + fm.descent() / 2);
  if (model_.Flag(EV_INITIALIZED)) {
    Layout();
    model_.UpdateScrollRanges();
    SyncScrollBars();
  }
  update();
}

CEditorView::~CEditorView() {
  if (g_last_focused == this) g_last_focused = nullptr;
  if (Indicator_EditorView() == this) Indicator_SetEditorView(nullptr);
}

CEditorDoc* CEditorView::EditorDoc() const { return CEditorDoc::From(Document()); }

CEditorView* CEditorView::LastFocused() { return g_last_focused; }

void CEditorView::SetFallbackFindText(const std::string& text) { g_fallback_find = text; }

CEditorView* CEditorView::Sibling() const {
  auto* splitter = dynamic_cast<QSplitter*>(parentWidget());
  if (!splitter || splitter->count() != 2) return nullptr;
  int row = splitter->indexOf(const_cast<CEditorView*>(this));
  SYS_ASSERT(row == 0 || row == 1);
  auto* other = dynamic_cast<CEditorView*>(splitter->widget(1 - row));
  if (other && other->Document() == Document()) return other;
  return nullptr;
}

// ------------------------------------------------------------ Layout

void CEditorView::OnInitialUpdate() {
  Layout();
  model_.InitialUpdate();
  // A second pane starts where its sibling is.
  if (CEditorView* other = Sibling(); other && other != this && other->model_.Flag(EV_INITIALIZED)) {
    model_.flags |= EV_SCROLL_REPAINT;
    if (other->model_.IsLineWrap()) model_.SetLineWrap(true);
    model_.ScrollTo(other->model_.top_row, other->model_.left_col);
    model_.PlaceCaret(other->model_.caret_line, other->model_.caret_col);
    model_.SetGoalCol();
  }
  Layout();
  SyncScrollBars();
  update();
}

void CEditorView::Layout() {
  const int vw = vbar_->sizeHint().width();
  const int hh = hbar_->sizeHint().height();
  const bool hshown = !model_.IsLineWrap();
  hbar_->setVisible(hshown);
  vbar_->setGeometry(width() - vw, 0, vw, height() - (hshown ? hh : 0));
  if (hshown) hbar_->setGeometry(0, height() - hh, width() - vw, hh);
  model_.SetClientSize(width() - vw, height() - (hshown ? hh : 0));
}

void CEditorView::SyncScrollBars() {
  syncing_ = true;
  const int vr = static_cast<int>(model_.VisibleRows());
  const int vc = static_cast<int>(model_.VisibleCols());
  vbar_->setRange(0, std::max(0, static_cast<int>(model_.RowExtent()) - vr));
  vbar_->setPageStep(vr);
  vbar_->setValue(static_cast<int>(model_.top_row));
  hbar_->setRange(0, std::max(0, static_cast<int>(model_.ColExtent()) - vc));
  hbar_->setPageStep(vc);
  hbar_->setValue(static_cast<int>(model_.left_col));
  syncing_ = false;
}

void CEditorView::resizeEvent(QResizeEvent* event) {
  FwView::resizeEvent(event);
  Layout();
  SyncScrollBars();
}

void CEditorView::SetLineWrap(bool on) {
  model_.SetLineWrap(on);
  Layout();
  SyncScrollBars();
  if (CEditorView* other = Sibling(); other && other->model_.IsLineWrap() != on) {
    other->model_.SetLineWrap(on);
    other->Layout();
    other->SyncScrollBars();
    other->update();
  }
  update();
}

QSize CEditorView::sizeHint() const {
  return QSize(EV_MARGIN + 80 * model_.CharWidth() + vbar_->sizeHint().width(),
               25 * model_.LineHeight() + hbar_->sizeHint().height());
}

QRect CEditorView::CellRect(uint32_t screen_row, uint32_t screen_col) const {
  return QRect(EV_MARGIN + static_cast<int>(screen_col) * model_.CharWidth(),
               static_cast<int>(screen_row) * model_.LineHeight(), model_.CharWidth(), model_.LineHeight());
}

// ------------------------------------------------------------ Hints

void CEditorView::OnUpdate(const FwUpdate& change) {
  if (change.sender == this) return;
  if (change.sender != nullptr && change.kind == FwUpdateKind::DropSelection) {
    model_.EndSelection();
    update();
    return;
  }
  model_.UpdateScrollRanges();
  SyncScrollBars();
  update();
}

void CEditorView::Repaint(FwUpdateKind kind, bool local) {
  SyncScrollBars();
  update();
  if (!local && Document()) Document()->UpdateAllViews(this, kind);
}

void CEditorView::CaretChanged() { update(); }

void CEditorView::Scrolled() {
  SyncScrollBars();
  update();
  if (model_.Flag(EV_SCROLL_MIRROR)) return;
  if (CEditorView* other = Sibling(); other && other->model_.left_col != model_.left_col) {
    other->model_.flags |= EV_SCROLL_MIRROR;
    other->model_.ScrollTo(other->model_.top_row, model_.left_col);
    other->model_.flags &= ~EV_SCROLL_MIRROR;
    other->SyncScrollBars();
    other->update();
  }
}

// ------------------------------------------------------------ Host

void CEditorView::Beep() { Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION); }

void CEditorView::Status(int kind, const std::string& text) {
  if (CYqStatusBar* bar = Shell_StatusBar()) bar->SetMessage(kind, text.c_str());
}

std::string CEditorView::FindText() {
  if (CEditBar* bar = Shell_EditBar(); bar && bar->FindBox())
    return bar->FindBox()->currentText().toLatin1().toStdString();
  return g_fallback_find;
}

void CEditorView::AddFindHistory(const std::string& text) {
  if (YqApp() == nullptr) return;
  YqApp()->m_FindHistory.AddText(text.c_str());
  if (CEditBar* bar = Shell_EditBar(); bar && bar->FindBox()) {
    QString current = bar->FindBox()->currentText();
    bar->FindBox()->Refill();
    bar->FindBox()->setCurrentText(current);
  }
}

// ------------------------------------------------------------ Indicator fields

void CEditorView::GoToLine(unsigned line) {
  model_.GoToLine(std::min<uint32_t>(line, model_.Text()->num_lines - 1));
  setFocus();
}

void CEditorView::GoToColumn(unsigned column) {
  model_.GoToLineCol(model_.caret_line, column);
  setFocus();
}

void CEditorView::GoToLineNumber(int line_number) {
  if (line_number <= 0 || !model_.GoToLineNumber(static_cast<uint32_t>(line_number), 0, false)) Beep();
  setFocus();
}

void CEditorView::FindForward(const std::string& text) {
  g_fallback_find = text;
  setFocus();
  model_.FindNext(true);
}

void CEditorView::TakeFocus() { setFocus(); }

// ------------------------------------------------------------ Painting

void CEditorView::PaintMarkers(QPainter& p, uint32_t markers, int top) {
  const int lh = model_.LineHeight();
  const int y = top + (lh + 1) / 2;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  auto shape = [&](const QColor& fill, const QColor& pen, std::initializer_list<QPoint> pts) {
    p.setBrush(fill);
    p.setPen(pen);
    p.drawPolygon(QPolygon(pts));
  };
  if (markers & EV_MARK_STOP)
    shape(QColor(255, 255, 0), Qt::black,
          {{15, y}, {10, y - 5}, {10, y - 2}, {5, y - 2}, {5, y + 2}, {10, y + 2}, {10, y + 5}});
  if (markers & EV_MARK_LINE)
    shape(QColor(0, 0, 128), Qt::black, {{12, y}, {10, y - 2}, {2, y - 2}, {2, y + 2}, {10, y + 2}});
  if (markers & EV_MARK_BREAKPOINT) shape(QColor(255, 0, 0), Qt::black, {{9, y}, {5, y - 4}, {1, y}, {5, y + 4}});
  if (markers & EV_MARK_BLUE) {
    const int t = top + 2 + (lh % 2);
    shape(QColor(0, 0, 255), QColor(0, 0, 255), {{4, t}, {2, t - 2}, {0, t}, {2, t + 2}});
  }
  p.restore();
}

void CEditorView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRect area = event->rect();
  p.setFont(font_);
  const int cw = model_.CharWidth(), lh = model_.LineHeight();
  const int text_right = width() - vbar_->width();
  const int text_bottom = height() - (hbar_->isVisible() ? hbar_->height() : 0);
  // Only what lies under the scroll bars: nothing of the text to redo.
  if (area.left() >= text_right || area.top() >= text_bottom) {
    p.fillRect(area, palette().window());
    return;
  }
  p.fillRect(QRect(0, 0, text_right, text_bottom).intersected(area), Qt::white);
  // The corner between the scroll bars.
  if (hbar_->isVisible())
    p.fillRect(QRect(text_right, text_bottom, width() - text_right, height() - text_bottom), palette().window());
  if (!model_.Flag(EV_PAINTED)) {
    model_.flags |= EV_PAINTED;
    slots_->RestoreViewStateAgain(&model_);
  }
  const uint32_t rows = model_.VisibleRows() + 1;
  const uint32_t max_cols = model_.MaxCols();
  const int ascent = QFontMetrics(font_).ascent();
  // The rows of the update rectangle.
  const uint32_t first = static_cast<uint32_t>(std::max(0, area.top()) / lh);
  const uint32_t end = std::min<uint32_t>(rows, static_cast<uint32_t>((area.bottom() + lh) / lh) + 1);
  for (uint32_t r = first; r < end; ++r) {
    const int top = static_cast<int>(r) * lh;
    if (top >= text_bottom) break;
    EditorRowPaint rp = model_.PaintRow(model_.top_row + r);
    if (!rp.valid) break;
    if (rp.markers) PaintMarkers(p, rp.markers, top);
    const uint32_t base = max_cols ? rp.first_col : model_.left_col;
    for (const EditorRun& run : rp.runs) {
      const int x = EV_MARGIN + static_cast<int>(run.col - base) * cw;
      const int w = static_cast<int>(run.text.size()) * cw;
      const QColor fg = Qc(run.fg), bg = Qc(run.bg);
      p.fillRect(QRect(x, top, w, lh), bg);
      if (run.line_draw) {
        linedraw::PaintString(reinterpret_cast<const unsigned char*>(run.text.data()),
                              static_cast<int>(run.text.size()), &p, QRect(x, top, cw, lh), fg, QColor());
      } else {
        // Each character at its own cell: the font's advance may be
        // fractional, the cells are not.
        p.setPen(fg);
        for (size_t i = 0; i < run.text.size(); ++i)
          p.drawText(x + static_cast<int>(i) * cw, top + ascent, QString(QChar(static_cast<uchar>(run.text[i]))));
      }
      if (run.underline) {
        p.setPen(fg);
        p.drawLine(x, top + model_.UnderlineY(), x + w - 1, top + model_.UnderlineY());
      }
    }
    if (rp.selected_eol && rp.eol_col >= base) {
      const CfgColorEntry& sel = model_.Config()->Colors.entries[2];
      p.fillRect(QRect(EV_MARGIN + static_cast<int>(rp.eol_col - base) * cw, top, cw, lh), Qc(sel.bg));
    }
    if (rp.wrap_glyph) {
      // A bent arrow in the wrap column: down from the top, then left.
      const int x = EV_MARGIN + static_cast<int>(max_cols) * cw;
      const int m = lh / 2;
      QPolygon arrow;
      arrow << QPoint(x + cw - 2, top + 2) << QPoint(x + cw - 2, top + m + 1) << QPoint(x + 3, top + m + 1)
            << QPoint(x + 3, top + m + 3) << QPoint(x, top + m) << QPoint(x + 3, top + m - 3)
            << QPoint(x + 3, top + m - 1) << QPoint(x + cw - 4, top + m - 1) << QPoint(x + cw - 4, top + 2);
      p.save();
      p.setPen(QColor(128, 0, 0));
      p.setBrush(QColor(128, 0, 0));
      p.drawPolygon(arrow);
      p.restore();
    }
  }
  // The caret, drawn inverted.
  int cx = 0, cy = 0;
  if (hasFocus() && model_.Flag(EV_CARET_SHOWN) && model_.CaretPixel(&cx, &cy)) {
    int w, h, y;
    model_.CaretShape(&w, &h, &y);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(QRect(cx, cy, w, h), Qt::white);
  }
}

// ------------------------------------------------------------ Input

bool CEditorView::focusNextPrevChild(bool) { return false; }

bool CEditorView::event(QEvent* event) {
  // F1 on a word is the view's keyword help, before the window's Help.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key->key() == Qt::Key_F1 && mods == Qt::NoModifier && !model_.GetWordAtCaret().empty()) {
      event->accept();
      return true;
    }
  }
  return FwView::event(event);
}

void CEditorView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  if (mods & Qt::AltModifier) {
    FwView::keyPressEvent(event);
    return;
  }
  const bool shift = (mods & Qt::ShiftModifier) != 0, ctrl = (mods & Qt::ControlModifier) != 0;
  if (event->key() == Qt::Key_F10 && shift && !ctrl) {
    ShowContextMenu(mapToGlobal(QPoint(5, 5)));
    return;
  }
  if (event->key() == Qt::Key_F1 && !shift && !ctrl) {
    std::string word = model_.GetWordAtCaret();
    if (!word.empty() && YqApp() != nullptr) {
      YqApp()->ShowKeywordHelp(word.c_str());
      return;
    }
    FwView::keyPressEvent(event);
    return;
  }
  EditKey key = KeyOf(event->key());
  if (key != EditKey::Other) {
    if (event->key() == Qt::Key_Insert && event->isAutoRepeat()) return;
    if (!model_.KeyDown(key, shift || event->key() == Qt::Key_Backtab, ctrl)) FwView::keyPressEvent(event);
    SyncScrollBars();
    update();
    return;
  }
  const QString text = event->text();
  if (!text.isEmpty() && !ctrl) {
    bool any = false;
    for (QChar c : text) any = model_.Char(c.unicode()) || any;
    if (any) {
      update();
      return;
    }
  }
  FwView::keyPressEvent(event);
}

void CEditorView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Insert && !event->isAutoRepeat()) {
    model_.KeyUp(EditKey::Insert);
    return;
  }
  FwView::keyReleaseEvent(event);
}

void CEditorView::PointToRowCol(QPoint pos, uint32_t* row, uint32_t* col, bool* in_margin) const {
  const int cw = model_.CharWidth(), lh = model_.LineHeight();
  *in_margin = pos.x() < EV_MARGIN;
  const int y = std::max(0, pos.y());
  *row = model_.top_row + static_cast<uint32_t>(y / lh);
  const int dx = std::max(0, pos.x() - EV_MARGIN);
  uint32_t c = static_cast<uint32_t>(dx / cw + ((dx % cw) > cw / 2 ? 1 : 0));
  if (!model_.IsLineWrap()) c += model_.left_col;
  *col = c;
}

void CEditorView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    setFocus();
    uint32_t row, col;
    bool margin;
    PointToRowCol(event->position().toPoint(), &row, &col, &margin);
    model_.RightClick(row, col, margin);
    update();
    FwView::mousePressEvent(event);
    return;
  }
  if (event->button() != Qt::LeftButton) {
    FwView::mousePressEvent(event);
    return;
  }
  setFocus();
  uint32_t row, col;
  bool margin;
  PointToRowCol(event->position().toPoint(), &row, &col, &margin);
  model_.Click(row, col, margin, (event->modifiers() & Qt::ShiftModifier) != 0);
  last_point_ = event->position().toPoint();
  dragging_ = true;
  update();
}

void CEditorView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  QPoint pos = event->position().toPoint();
  const int cw = model_.CharWidth(), lh = model_.LineHeight();
  if (std::abs(pos.x() - last_point_.x()) < cw / 4 && std::abs(pos.y() - last_point_.y()) < lh / 4) return;
  last_point_ = pos;
  uint32_t row, col;
  bool margin;
  PointToRowCol(pos, &row, &col, &margin);
  model_.Drag(row, col);
  const int text_bottom = height() - (hbar_->isVisible() ? hbar_->height() : 0);
  const int text_right = width() - vbar_->width();
  int dist = 0;
  if (pos.y() < 0) dist = std::max(dist, -pos.y());
  if (pos.y() > text_bottom) dist = std::max(dist, pos.y() - text_bottom);
  if (pos.x() < EV_MARGIN) dist = std::max(dist, EV_MARGIN - pos.x());
  if (pos.x() > text_right) dist = std::max(dist, pos.x() - text_right);
  if (dist > 0)
    drag_timer_.start(dist <= 10 ? 50 : 1, this);
  else
    drag_timer_.stop();
  update();
}

void CEditorView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != drag_timer_.timerId()) {
    FwView::timerEvent(event);
    return;
  }
  if (!dragging_) {
    drag_timer_.stop();
    return;
  }
  const int text_bottom = height() - (hbar_->isVisible() ? hbar_->height() : 0);
  uint32_t top = model_.top_row, left = model_.left_col;
  uint32_t row = 0, col = 0;
  bool margin;
  PointToRowCol(last_point_, &row, &col, &margin);
  if (last_point_.y() < 0 && top > 0) {
    --top;
    row = top;
  } else if (last_point_.y() > text_bottom && top + model_.VisibleRows() < model_.TotalRows()) {
    ++top;
    row = top + model_.VisibleRows();
  }
  if (last_point_.x() < EV_MARGIN && left > 0) {
    --left;
    col = left;
  }
  model_.ScrollTo(top, left);
  model_.Drag(row, col);
  SyncScrollBars();
  update();
}

void CEditorView::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  drag_timer_.stop();
  FwView::mouseReleaseEvent(event);
}

void CEditorView::mouseDoubleClickEvent(QMouseEvent* event) {
  uint32_t row, col;
  bool margin;
  PointToRowCol(event->position().toPoint(), &row, &col, &margin);
  model_.DoubleClick(row, col, margin);
  update();
}

void CEditorView::wheelEvent(QWheelEvent* event) {
  const int steps = -event->angleDelta().y() / 40;
  int64_t top = static_cast<int64_t>(model_.top_row) + steps;
  model_.ScrollTo(static_cast<uint32_t>(std::max<int64_t>(0, top)), model_.left_col);
  SyncScrollBars();
  update();
}

void CEditorView::focusInEvent(QFocusEvent* event) {
  FwView::focusInEvent(event);
  g_last_focused = this;
  Indicator_SetEditorView(this);
  model_.SetFocus(true);
  update();
}

void CEditorView::focusOutEvent(QFocusEvent* event) {
  model_.SetFocus(false);
  update();
  FwView::focusOutEvent(event);
}

void CEditorView::contextMenuEvent(QContextMenuEvent* event) { ShowContextMenu(event->globalPos()); }

void CEditorView::ShowContextMenu(QPoint global) {
  int menu_id = slots_->GetContextMenu();
  if (!menu_id || Fw_App() == nullptr) return;
  QMenu menu(this);
  FwCommandTable& c = Fw_App()->Commands();
  // The rows of the document's own kind join the menu's.
  FwDocument* doc = Document();
  const int kind = doc != nullptr && doc->Template() != nullptr ? doc->Template()->ResourceId() : menu_id;
  c.FillContextMenu(&menu, Editor_ContextPlace(menu_id), kind);
  menu.exec(global);
}

// ------------------------------------------------------------ Commands

std::span<const FwCmdEntry<CEditorView>> CEditorView::Handlers() { return kMap; }

void CEditorView::OnEditCommand(int id) {
  switch (id) {
    case ID_EDIT_COPY: {
      std::string text = model_.CopyText();
      if (!text.empty())
        QApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
      break;
    }
    case ID_EDIT_CUT: {
      std::string text;
      model_.Cut(&text);
      if (!text.empty())
        QApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
      break;
    }
    case ID_EDIT_PASTE: {
      // Characters outside the display code page become "?".
      QByteArray bytes = QApplication::clipboard()->text().toLatin1();
      model_.Paste(bytes.toStdString());
      break;
    }
    case ID_EDIT_CLEAR: model_.DeleteCommand(); break;
    case ID_EDIT_SELECT_ALL: model_.SelectAll(); break;
    case ID_EDIT_INDENT: model_.IndentOutdent(true); break;
    case ID_EDIT_OUTDENT: model_.IndentOutdent(false); break;
    case ID_EDIT_UNDO: model_.Undo(); break;
    case ID_EDIT_REDO: model_.Redo(); break;
    default:
      if (id >= ID_ATTR_INVERSE && id <= ID_ATTR_HALFBRIGHT)
        model_.ToggleAttribute(static_cast<uint8_t>(1u << (id - ID_ATTR_INVERSE)));
      break;
  }
  SyncScrollBars();
  update();
}

void CEditorView::OnUpdateEditCommand(FwCmdUI& ui) {
  const bool sel = model_.SelectionActive();
  const bool writable = model_.Writable();
  switch (ui.id) {
    case ID_EDIT_COPY: ui.Enable(sel); break;
    case ID_EDIT_CUT:
    case ID_EDIT_CLEAR:
    case ID_EDIT_INDENT:
    case ID_EDIT_OUTDENT: ui.Enable(sel && writable); break;
    case ID_EDIT_PASTE:
      ui.Enable(writable && QApplication::clipboard()->mimeData() != nullptr &&
                QApplication::clipboard()->mimeData()->hasText());
      break;
    case ID_EDIT_SELECT_ALL: ui.Enable(true); break;
    case ID_EDIT_UNDO: ui.Enable(writable && model_.Text()->CanUndo()); break;
    case ID_EDIT_REDO: ui.Enable(writable && model_.Text()->CanRedo()); break;
    default: {
      const uint8_t bit = static_cast<uint8_t>(1u << (ui.id - ID_ATTR_INVERSE));
      ui.Enable(model_.CanToggleAttribute());
      ui.SetCheck(model_.AttributeChecked(bit));
      break;
    }
  }
}

void CEditorView::OnViewCommand(int id) {
  TextObj* tobj = model_.Text();
  switch (id) {
    case ID_EDIT_FIND:
      tobj->EndAction();
      EditorDialogs_OpenFind(this);
      break;
    case ID_EDIT_REPLACE:
      tobj->EndAction();
      EditorDialogs_OpenReplace(this);
      break;
    case ID_LINE_DRAW:
      tobj->EndAction();
      EditorDialogs_OpenLineDraw(this);
      break;
    case ID_FIND_NEXT:
      setFocus();
      model_.FindNext(true);
      break;
    case ID_GOTO_LINE:
      if (CYqStatusBar* bar = Shell_StatusBar(); bar && bar->Field(SP_LINE)) bar->Field(SP_LINE)->setFocus();
      break;
    case ID_COMPILE:
      model_.EndLineEdit();
      Repaint(FwUpdateKind::DropSelection, false);
      model_.EndSelection();
      slots_->Compile();
      model_.MarkEditLine(model_.caret_line);
      Repaint(FwUpdateKind::All, false);
      break;
    case ID_BREAKPOINT: {
      uint32_t line = 0;
      if (!model_.GetEditLineIdx(&line) || !slots_->ToggleBreakpoint(line)) {
        Beep();
        break;
      }
      model_.NotifyTextChanged();
      break;
    }
    case ID_RUN_TO_CURSOR:
      // Runs after the current message, as a posted message would.
      QMetaObject::invokeMethod(
          this,
          [guard = QPointer<CEditorView>(this)] {
            if (!guard) return;
            EditorModel& m = guard->model_;
            uint32_t line = 0;
            DebugLink* debug = Shell_Neighbours().debug;
            if (!m.IsBinaryProgram() || !debug->SessionExists() || !m.GetEditLineIdx(&line)) return;
            auto* record = static_cast<TextLine*>(guard->slots_->LocationQuery(line));
            if (record == nullptr) return;
            // A temporary breakpoint on the line's place for this one run,
            // which the main frame runs as its Run command.
            const bool trace = Shell_MainFrame() != nullptr && Shell_MainFrame()->Trace();
            auto run = [record, debug, trace] {
              ProgramLink* program = Shell_Neighbours().program;
              record->line_flags |= TextLine_RUN_TO;
              program->RunToMarked();
              if (!debug->Continue(0, trace)) debug->CheckSession();
              // The view and its document may have gone meanwhile.
              program->ClearRunToMarks();
            };
            if (CMainFrame* frame = Shell_MainFrame())
              frame->RunViewDebugCommand(run);
            else
              run();
          },
          Qt::QueuedConnection);
      break;
    case ID_AUTO_SCROLL:
      if (tobj->TestFlag(TextObj_FOLLOW_END))
        tobj->ClearFlag(TextObj_FOLLOW_END);
      else
        tobj->SetFlag(TextObj_FOLLOW_END);
      break;
    case ID_LINE_WRAP: SetLineWrap(!model_.IsLineWrap()); break;
    case ID_CLEAR_OUTPUT: model_.ClearText(); break;
    case ID_FILE_PROPERTIES: {
      CfgEditItem* item = model_.EditItem();
      item->flags =
          model_.Flag(EV_OVERWRITE) ? item->flags | CfgEditItem::Overwrite : item->flags & ~CfgEditItem::Overwrite;
      item->flags = model_.IsLineWrap() ? item->flags | CfgEditItem::LineWrap : item->flags & ~CfgEditItem::LineWrap;
      const uint32_t enhancements = tobj->use_enhancements;
      slots_->ShowProperties();
      if (tobj->use_enhancements != enhancements) tobj->ClearUndo();
      model_.flags =
          (item->flags & CfgEditItem::Overwrite) ? model_.flags | EV_OVERWRITE : model_.flags & ~EV_OVERWRITE;
      SetLineWrap((item->flags & CfgEditItem::LineWrap) != 0);
      break;
    }
    case ID_FILE_SAVE: slots_->SaveDocument(0); break;
    case ID_FILE_SAVE_AS: slots_->SaveDocument(1); break;
    default: break;
  }
  SyncScrollBars();
  update();
}

void CEditorView::OnUpdateViewCommand(FwCmdUI& ui) {
  TextObj* tobj = model_.Text();
  switch (ui.id) {
    case ID_EDIT_REPLACE: ui.Enable(model_.Writable()); break;
    case ID_LINE_DRAW: ui.Enable(model_.Writable() && tobj->use_enhancements); break;
    case ID_COMPILE: ui.Enable(model_.IsBinaryProgram() && slots_->IsProgramDocument()); break;
    case ID_BREAKPOINT: {
      uint32_t line = 0;
      ui.Enable(model_.GetEditLineIdx(&line) && slots_->BreakpointQuery(line) != nullptr);
      break;
    }
    case ID_RUN_TO_CURSOR: {
      // Grey while the program runs or another debug command is in
      // progress: the command would do nothing then.
      uint32_t line = 0;
      const CMainFrame* frame = Shell_MainFrame();
      ui.Enable(model_.IsBinaryProgram() && Shell_Neighbours().debug->SessionExists() &&
                (frame == nullptr || frame->MayRunDebugCommand()) && model_.GetEditLineIdx(&line) &&
                slots_->LocationQuery(line) != nullptr);
      break;
    }
    case ID_AUTO_SCROLL: slots_->UpdateAutoScroll(ui); break;
    case ID_LINE_WRAP:
      ui.Enable(true);
      ui.SetCheck(model_.IsLineWrap());
      break;
    case ID_CLEAR_OUTPUT: slots_->UpdateClearOutput(ui); break;
    case ID_FILE_PROPERTIES: slots_->UpdateFileProperties(ui); break;
    case ID_FILE_SAVE: {
      const bool on = model_.Writable() && (tobj->IsModified() || (model_.Config()->File.flags & 8));
      ui.Enable(on);
      slots_->SetModified(on);
      break;
    }
    case ID_FILE_SAVE_AS: slots_->UpdateSaveAs(ui); break;
    default: ui.Enable(true); break;
  }
}

// The status bar shows the groups and writes the fields from these records.
void CEditorView::OnUpdatePanes(FwCmdUI& ui) {
  switch (ui.id) {
    case ID_PANE_LINE_LABEL:
    case ID_PANE_COLUMN_LABEL: ui.Enable(true); break;
    case ID_PANE_LINE:
      ui.Enable(true);
      ui.SetText(model_.LineField());
      break;
    case ID_PANE_COLUMN:
      ui.Enable(true);
      ui.SetText(model_.ColField());
      break;
    case ID_PANE_LINENUMBER_LABEL:
    case ID_PANE_LINENUMBER: {
      FwCmdUI state;
      state.id = ui.id;
      slots_->UpdateLineNumberPanes(state);
      ui.Enable(state.enabled);
      ui.Show(state.enabled);
      if (state.enabled && ui.id == ID_PANE_LINENUMBER) ui.SetText(model_.LineNumberField());
      break;
    }
    case ID_PANE_OVR: ui.Enable(model_.Flag(EV_OVERWRITE) && model_.Writable()); break;
    default: break;
  }
}

void CEditorView::OnPrintCommand(int id) {
  QPrinter printer(QPrinter::HighResolution);
  const std::string name = EditorDoc() ? EditorDoc()->Title() : std::string();
  uint32_t fl, ll, fc, lc;
  const bool has_range = model_.PrintRange(&fl, &ll, &fc, &lc);
  if (id == ID_FILE_PRINT_PREVIEW) {
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this, &name, has_range](QPrinter* p) { Editor_Print(model_, name, p, has_range); });
    preview.exec();
    return;
  }
  QPrintDialog dlg(&printer, this);
  dlg.setOption(QAbstractPrintDialog::PrintSelection, has_range);
  dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (has_range) dlg.setPrintRange(QAbstractPrintDialog::Selection);
  if (dlg.exec() != QDialog::Accepted) return;
  Editor_Print(model_, name, &printer, dlg.printRange() == QAbstractPrintDialog::Selection);
}
