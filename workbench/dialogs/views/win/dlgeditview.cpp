#include "workbench/dialogs/views/win/dlgeditview.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>

#include "workbench/base/shellsink.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgdragdata.h"
#include "workbench/dialogs/views/win/dlgqtmeasurer.h"
#include "workbench/dialogs/views/win/dlgtracker.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwdoctemplate.h"

namespace {

// Colours of the drawing.
constexpr unsigned kCaptionGrey = 0x808080;  // RGB 128,128,128
// Where the context menu opens without a selection.
constexpr int kMenuInset = 5;
// The largest dialog area the scroll bars take.
constexpr int64_t kAreaMax = std::numeric_limits<int>::max() / 4;

unsigned KeysOf(Qt::KeyboardModifiers m) {
  unsigned keys = 0;
  if (m & Qt::ShiftModifier) keys |= DLG_KEY_SHIFT;
  if (m & Qt::ControlModifier) keys |= DLG_KEY_CTRL;
  if (m & Qt::AltModifier) keys |= DLG_KEY_ALT;
  return keys;
}

DlgPoint PointOf(QPoint p) { return {p.x(), p.y()}; }

int ClampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kAreaMax, kAreaMax)); }

// The context menu: id and text, 0 for a separator.
struct MenuRow {
  int id;
  const char* text;
};
constexpr std::array<MenuRow, 17> kContextMenu = {{
    {ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
    {ID_EDIT_REDO, "&Redo\tCtrl+Y"},
    {0, nullptr},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X"},
    {ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V"},
    {ID_EDIT_CLEAR, "&Delete\tDel"},
    {ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"},
    {ID_DLG_DESELECT_ALL, "De&select All\tEsc"},
    {0, nullptr},
    {ID_DLG_TOGGLE_VISIBLE, "&Visible\tAlt+V"},
    {0, nullptr},
    {ID_DLG_EDIT_PROPERTIES, "&Object Properties...\tEnter"},
    {ID_FILE_PROPERTIES, "Dialog Prop&erties...\tAlt+Enter"},
    {0, nullptr},
    {ID_DLG_PALETTE, "Object P&alette...\tAlt+P"},
    {0, nullptr},
}};

// The keys the context menu names for its commands, taken before the menu
// bar's mnemonics (Alt+V would open the View menu).
struct KeyRow {
  int key;
  Qt::KeyboardModifiers modifiers;
  int id;
};
constexpr std::array<KeyRow, 4> kCommandKeys = {{
    {Qt::Key_Return, Qt::NoModifier, ID_DLG_EDIT_PROPERTIES},
    {Qt::Key_Enter, Qt::KeypadModifier, ID_DLG_EDIT_PROPERTIES},
    {Qt::Key_V, Qt::AltModifier, ID_DLG_TOGGLE_VISIBLE},
    {Qt::Key_P, Qt::AltModifier, ID_DLG_PALETTE},
}};

int CommandOfKey(const QKeyEvent* k) {
  for (const KeyRow& row : kCommandKeys)
    if (k->key() == row.key && k->modifiers() == row.modifiers) return row.id;
  return ID_NONE;
}

// The coordinate panes and their index.
int CoordIndex(int id) {
  switch (id) {
    case ID_PANE_X: return 0;
    case ID_PANE_Y: return 1;
    case ID_PANE_WIDTH: return 2;
    case ID_PANE_HEIGHT: return 3;
    default: return -1;
  }
}

}  // namespace

// The editing operations of this window: repaints go to the widget.
class CDlgEditView::ViewCanvas : public DlgEditCanvas {
 public:
  ViewCanvas(CDlgEditView* view, CDlgEditDoc* doc, DlgAnchor* anchor) : DlgEditCanvas(doc, anchor), view_(view) {}
  ~ViewCanvas() override { view_ = nullptr; }
  void InvalidateRect(const DlgRect& r) override {
    if (view_) view_->update(DlgQt_Rect(r).adjusted(-1, -1, 1, 1));
  }
  void RefreshTrackers() override {
    if (view_) view_->update();
  }
  void OnUpdate(const DlgViewUpdate& hint) override {
    if (!view_ || !hint.any) return;
    const DlgPoint* o = Origin();
    view_->update(DlgQt_Rect(hint.rect.Offset(o->x, o->y)).adjusted(-1, -1, 1, 1));
  }
  void Close() override {
    // A dialog being removed keeps its anchor until its last frame has
    // recorded the removal; any other view lets go at once.
    DlgAnchor* anchor = Anchor();
    if (anchor && !(anchor->Options() & DLG_ANCHOR_REMOVE)) DlgEditCanvas::Close();
    if (!view_) return;
    if (FwChildFrame* f = view_->Frame()) QMetaObject::invokeMethod(f, "close", Qt::QueuedConnection);
  }

 private:
  CDlgEditView* view_;
};

std::span<const FwCmdEntry<CDlgEditView>> CDlgEditView::Handlers() {
  using V = CDlgEditView;
  static const FwCmdEntry<V> table[] = {
      {ID_WINDOW_NEW, ID_WINDOW_NEW, &V::OnWindowNew, &V::OnAlways},
      {ID_FILE_SAVE, ID_FILE_SAVE, &V::OnFileSave, &V::OnUpdateFileSave},
      {ID_FILE_SAVE_AS, ID_FILE_SAVE_AS, &V::OnFileSave, &V::OnAlways},
      {ID_EDIT_CLEAR, ID_EDIT_CLEAR, &V::OnEditClear, &V::OnUpdateEditClear},
      {ID_EDIT_SELECT_ALL, ID_EDIT_SELECT_ALL, &V::OnSelectAll, &V::OnUpdateSelectAll},
      {ID_DLG_DESELECT_ALL, ID_DLG_DESELECT_ALL, &V::OnDeselectAll, &V::OnUpdateSelection},
      {ID_DLG_TOGGLE_VISIBLE, ID_DLG_TOGGLE_VISIBLE, &V::OnToggleVisible, &V::OnUpdateToggleVisible},
      {ID_DLG_EDIT_PROPERTIES, ID_DLG_EDIT_PROPERTIES, &V::OnEditProperties, &V::OnUpdateSelection},
      {ID_DLG_PALETTE, ID_DLG_PALETTE, &V::OnPalette, &V::OnAlways},
      {ID_FILE_PROPERTIES, ID_FILE_PROPERTIES, &V::OnFileProperties, &V::OnAlways},
      {ID_EDIT_UNDO, ID_EDIT_UNDO, &V::OnUndo, &V::OnUpdateUndo},
      {ID_EDIT_REDO, ID_EDIT_REDO, &V::OnRedo, &V::OnUpdateRedo},
      {ID_PANE_X_LABEL, ID_PANE_HEIGHT, nullptr, &V::OnUpdateCoord},
  };
  return table;
}

CDlgEditView::CDlgEditView(FwDocument* doc, QWidget* parent) : FwHandlers<CDlgEditView, FwView>(doc, parent) {
  DlgCtrl_Install();
  DlgTracker::Install();
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setAcceptDrops(true);
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  vbar_ = new QScrollBar(Qt::Vertical, this);
  hbar_->hide();
  vbar_->hide();
  connect(hbar_, &QScrollBar::valueChanged, this, [this] { Scrolled(); });
  connect(vbar_, &QScrollBar::valueChanged, this, [this] { Scrolled(); });
  auto* docwin = dynamic_cast<CDlgDocWin*>(doc);
  CDlgEditDoc* model = docwin ? docwin->Model() : nullptr;
  if (!model) return;
  DlgAnchor* anchor = CDlgDocWin::TakeInitialAnchor();
  if (!anchor) anchor = new DlgAnchor(&model->Root());
  canvas_ = std::make_unique<ViewCanvas>(this, model, anchor);
  RecalcLayout();
}

CDlgEditView::~CDlgEditView() { canvas_.reset(); }

DlgEditCanvas* CDlgEditView::Canvas() const { return canvas_.get(); }

DlgAnchor* CDlgEditView::Anchor() const { return canvas_ ? canvas_->Anchor() : nullptr; }

CDlgEditDoc* CDlgEditView::Model() const {
  CDlgDocWin* d = DocWin();
  return d ? d->Model() : nullptr;
}

CDlgDocWin* CDlgEditView::DocWin() const { return dynamic_cast<CDlgDocWin*>(Document()); }

DlgWinNotify* CDlgEditView::Notifier() const {
  CDlgDocWin* d = DocWin();
  return d ? d->Notify() : nullptr;
}

void CDlgEditView::OnLeaveDocument() {
  mode_ = DlgMouseMode::None;
  EndDragLayers();
  canvas_.reset();
}

void CDlgEditView::OnInitialUpdate() {
  RecalcLayout();
  FwChildFrame* frame = Frame();
  const QSize area = DialogArea();
  if (!frame || area.isEmpty()) return;
  // The frame is not laid out yet: its title bar and borders come from the
  // style, as the MDI area will lay them out.
  QStyle* style = frame->style();
  const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
  const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
  QSize size = area + QSize(2 * border, title + border);
  if (QWidget* mdi = frame->parentWidget()) size = size.boundedTo(mdi->size());
  frame->resize(size.expandedTo(frame->minimumSize()));
  RecalcLayout();
}

void CDlgEditView::Detach() {
  if (canvas_) canvas_->DlgEditCanvas::Close();
  update();
}

int CDlgEditView::Edge() { return DlgQtFontMeasurer::kEdge; }

int CDlgEditView::CaptionHeight() {
  static const int height = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + Edge();
  return height;
}

QRect CDlgEditView::CanvasRect() const {
  QRect r = rect();
  if (vbar_->isVisible()) r.setRight(r.right() - vbar_->width());
  if (hbar_->isVisible()) r.setBottom(r.bottom() - hbar_->height());
  return r;
}

QSize CDlgEditView::DialogArea() const {
  DlgAnchor* a = Anchor();
  DlgObject* root = a ? a->RootObject() : nullptr;
  if (!root) return QSize(0, 0);
  const DlgRect& r = root->Rect();
  const int64_t border = 6 * static_cast<int64_t>(Edge());
  const int64_t w = static_cast<int64_t>(r.Width()) + border;
  const int64_t h = static_cast<int64_t>(r.Height()) + CaptionHeight() + border;
  return QSize(static_cast<int>(std::clamp<int64_t>(w, 0, kAreaMax)),
               static_cast<int>(std::clamp<int64_t>(h, 0, kAreaMax)));
}

void CDlgEditView::RecalcLayout() {
  if (layout_busy_) return;
  layout_busy_ = true;
  const QSize area = DialogArea();
  const int bw = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  bool need_h = area.width() > width();
  bool need_v = area.height() > height();
  if (need_h && !need_v) need_v = area.height() > height() - bw;
  if (need_v && !need_h) need_h = area.width() > width() - bw;
  hbar_->setVisible(need_h);
  vbar_->setVisible(need_v);
  if (need_h) hbar_->setGeometry(0, height() - bw, width() - (need_v ? bw : 0), bw);
  if (need_v) vbar_->setGeometry(width() - bw, 0, bw, height() - (need_h ? bw : 0));
  const QRect c = CanvasRect();
  hbar_->setRange(0, std::max(0, area.width() - c.width()));
  hbar_->setPageStep(std::max(1, c.width()));
  vbar_->setRange(0, std::max(0, area.height() - c.height()));
  vbar_->setPageStep(std::max(1, c.height()));
  DlgObject* root = Anchor() ? Anchor()->RootObject() : nullptr;
  const int unit_x = root && root->GetUnitX() >= 5 ? root->GetUnitX() : 4;
  const int unit_y = root && root->GetUnitY() >= 5 ? root->GetUnitY() : 4;
  hbar_->setSingleStep(unit_x);
  vbar_->setSingleStep(unit_y);
  layout_busy_ = false;
  Scrolled();
}

void CDlgEditView::Scrolled() {
  if (!canvas_ || layout_busy_) return;
  const QRect c = CanvasRect();
  const int e = Edge();
  const int64_t x = static_cast<int64_t>(c.left()) + 4 * e - (hbar_->isVisible() ? hbar_->value() : 0);
  const int64_t y = static_cast<int64_t>(c.top()) + CaptionHeight() + 4 * e - (vbar_->isVisible() ? vbar_->value() : 0);
  const DlgPoint origin{ClampInt(x), ClampInt(y)};
  const DlgPoint* old = canvas_->Origin();
  if (old && old->x == origin.x && old->y == origin.y) return;
  canvas_->SetOrigin(origin);
  update();
}

bool CDlgEditView::ReadOnly() const {
  DlgAnchor* a = Anchor();
  return !a || (a->Root()->Flags() & F_READ_ONLY);
}

DlgTracker* CDlgEditView::PrimaryTracker() const {
  DlgAnchor* a = Anchor();
  return a && a->sel_head ? dynamic_cast<DlgTracker*>(a->sel_head) : nullptr;
}

DlgObject* CDlgEditView::ObjectAt(QPoint p, unsigned keys) const {
  return Anchor() ? canvas_->ObjectAt(PointOf(p), keys) : nullptr;
}

// ------------------------------------------------------------------ painting

void CDlgEditView::PaintDialog(QPainter& p, const QRect& clip, bool with_selection) {
  p.fillRect(clip, Qt::white);
  DlgAnchor* anchor = Anchor();
  DlgObject* root = anchor ? anchor->RootObject() : nullptr;
  if (!root) return;
  DlgContextBracket bracket(anchor, canvas_.get());
  const DlgRect rr = root->GetCanvasRect();
  const QRect r = DlgQt_Rect(rr);
  const int e = Edge(), cap = CaptionHeight();
  const QRect frame = r.adjusted(-3 * e, -cap - 3 * e, 3 * e, 3 * e);
  if (frame.intersects(clip)) DlgQt_DrawRaisedEdge(p, frame, true, true);
  const QRect caption(r.left(), r.top() - cap, r.width(), cap);
  if (caption.intersects(clip)) {
    p.fillRect(caption, QColor::fromRgb(kCaptionGrey));
    DlgQt_DrawRaisedEdge(p, caption, true, false);
    const char* title = root->Text();
    if ((!title || !*title))
      if (DlgPropValue* v = root->Props().FindByName("title", -1))
        if (v->Val().type == VAL_TEXT) title = v->Val().data.text;
    p.setPen(Qt::white);
    p.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
               QString::fromLatin1(title ? title : ""));
  }
  DlgQtPainter painter(&p);
  if (rr.Intersects(DlgQt_Rect(clip))) root->Draw(painter, rr, DlgQt_Rect(clip), true);
  if (!with_selection) return;
  DlgDC dc{&p};
  for (DlgSelection* s = anchor->sel_tail; s; s = s->prev) s->Draw(&dc);
}

void CDlgEditView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRect canvas = CanvasRect();
  const QRect clip = event->rect() & canvas;
  if (clip.isEmpty()) return;
  p.setClipRect(clip);
  if (!drag_bg_.isNull()) {
    p.drawPixmap(canvas.topLeft(), drag_bg_);
    QPoint offset(0, 0);
    if (DlgSelection* s = Anchor() ? Anchor()->sel_head : nullptr)
      offset = QPoint(s->SnappedRect().left - s->Rect().left, s->SnappedRect().top - s->Rect().top);
    p.drawPixmap(drag_layer_at_ + offset, drag_layer_);
    return;
  }
  PaintDialog(p, clip, true);
  QPen dotted(Qt::black, 1, Qt::DotLine);
  if (mode_ == DlgMouseMode::Band) {
    p.setPen(dotted);
    p.setBrush(Qt::NoBrush);
    p.drawRect(band_.normalized());
  } else if (mode_ == DlgMouseMode::Resize) {
    p.setPen(dotted);
    p.setBrush(Qt::NoBrush);
    p.drawRect(DlgQt_Rect(resize_rect_).adjusted(0, 0, -1, -1));
  }
}

void CDlgEditView::BeginDragLayers() {
  DlgAnchor* anchor = Anchor();
  if (!anchor || !anchor->sel_head) return;
  // Both layers are bounded by the visible canvas.
  const QRect canvas = CanvasRect();
  if (canvas.isEmpty()) return;
  drag_bg_ = QPixmap(canvas.size());
  {
    anchor->ShowSelected(false);
    QPainter bp(&drag_bg_);
    bp.translate(-canvas.topLeft());
    PaintDialog(bp, canvas, false);
    anchor->ShowSelected(true);
  }
  DlgRect bounds;
  anchor->GetSelectionBounds(&bounds);
  const QRect layer = DlgQt_Rect(bounds) & canvas;
  drag_layer_at_ = layer.topLeft();
  if (layer.isEmpty()) {
    drag_layer_ = QPixmap();
    return;
  }
  drag_layer_ = QPixmap(layer.size());
  drag_layer_.fill(Qt::transparent);
  QPainter lp(&drag_layer_);
  lp.translate(-layer.topLeft());
  DlgContextBracket bracket(anchor, canvas_.get());
  DlgQtPainter painter(&lp);
  for (DlgSelection* s = anchor->sel_tail; s; s = s->prev) {
    const DlgRect r = s->Object()->GetCanvasRect();
    s->Object()->Draw(painter, r, DlgQt_Rect(layer), true);
  }
}

void CDlgEditView::EndDragLayers() {
  drag_bg_ = QPixmap();
  drag_layer_ = QPixmap();
}

void CDlgEditView::resizeEvent(QResizeEvent* event) {
  FwView::resizeEvent(event);
  RecalcLayout();
}

// --------------------------------------------------------------------- mouse

void CDlgEditView::Press(QMouseEvent* event, bool dbl) {
  if (!Anchor() || !Anchor()->RootObject()) return;
  const QPoint pt = event->position().toPoint();
  press_keys_ = KeysOf(event->modifiers());
  // A pick from the palette (a drag begun with no button held) ends with
  // this press of either button.
  if (DlgPick_Pending()) {
    const unsigned buttons = event->button() == Qt::LeftButton ? DLG_BUTTON_LEFT : DLG_BUTTON_RIGHT;
    DlgObject* tmpl = DlgPick_Take(Model());
    if (tmpl && DlgDropSource_Query(false, buttons, 0, 0, true) == DlgDropDecision::Drop)
      canvas_->Drop(tmpl, PointOf(pt), press_keys_);
    update();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  if (!ReadOnly()) {
    if (DlgTracker* t = PrimaryTracker()) {
      const int h = t->HitHandle(pt);
      if (h >= 0) {
        mode_ = DlgMouseMode::Resize;
        handle_ = h;
        resize_start_ = resize_rect_ = t->Rect();
        resize_press_ = pt;
        return;
      }
    }
  }
  if (canvas_->Press(PointOf(pt), press_keys_, dbl)) {
    mode_ = DlgMouseMode::Drag;
    return;
  }
  mode_ = DlgMouseMode::Band;
  press_dbl_ = dbl;
  band_start_ = pt;
  band_ = QRect(pt, pt);
  setCursor(Qt::CrossCursor);
}

void CDlgEditView::mousePressEvent(QMouseEvent* event) { Press(event, false); }

void CDlgEditView::mouseDoubleClickEvent(QMouseEvent* event) { Press(event, true); }

void CDlgEditView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  switch (mode_) {
    case DlgMouseMode::Resize:
      if (DlgTracker* t = PrimaryTracker()) {
        resize_rect_ = t->TrackHandle(handle_, resize_start_, pt.x() - resize_press_.x(), pt.y() - resize_press_.y());
        update();
      }
      break;
    case DlgMouseMode::Drag: {
      canvas_->MouseMove(PointOf(pt));
      // The drag has started once the selection left its place.
      DlgSelection* head = Anchor()->sel_head;
      if (!DragLayersShown() && head && !(head->DragRect() == head->Rect())) BeginDragLayers();
      update();
      break;
    }
    case DlgMouseMode::Band:
      band_ = QRect(band_start_, pt);
      update();
      break;
    case DlgMouseMode::None: UpdateCursor(pt); break;
  }
}

void CDlgEditView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pt = event->position().toPoint();
  const DlgMouseMode mode = mode_;
  mode_ = DlgMouseMode::None;
  switch (mode) {
    case DlgMouseMode::Resize:
      if (DlgTracker* t = PrimaryTracker()) {
        const DlgRect r =
            t->TrackHandle(handle_, resize_start_, pt.x() - resize_press_.x(), pt.y() - resize_press_.y());
        if (r != resize_start_) {
          DlgContextBracket bracket(Anchor(), canvas_.get());
          const bool root = !t->Object()->Parent();
          t->FinishResize(resize_start_, r);
          if (root) RecalcLayout();
        }
      }
      handle_ = -1;
      update();
      break;
    case DlgMouseMode::Drag:
      canvas_->Release(PointOf(pt), KeysOf(event->modifiers()));
      EndDragLayers();
      update();
      if (canvas_->PropertiesRequested()) OnEditProperties(ID_DLG_EDIT_PROPERTIES);
      ShowPrimary();
      break;
    case DlgMouseMode::Band: {
      const QRect b = QRect(band_start_, pt).normalized();
      unsetCursor();
      const DlgRect band{b.left(), b.top(), b.left() + b.width() - 1, b.top() + b.height() - 1};
      // A band of a pixel or less is a click (a double click keeps its flag).
      if (band.Width() > 1 && band.Height() > 1)
        canvas_->BandSelect(band, press_keys_);
      else
        canvas_->ClickSelect(ObjectAt(band_start_, press_keys_), press_keys_, press_dbl_);
      if (canvas_->PropertiesRequested()) OnEditProperties(ID_DLG_EDIT_PROPERTIES);
      update();
      ShowPrimary();
      break;
    }
    case DlgMouseMode::None: break;
  }
}

void CDlgEditView::UpdateCursor(QPoint at) {
  DlgTracker* t = ReadOnly() ? nullptr : PrimaryTracker();
  const int h = t ? t->HitHandle(at) : -1;
  static const Qt::CursorShape kHandleCursors[] = {Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
                                                   Qt::SizeBDiagCursor, Qt::SizeVerCursor,   Qt::SizeHorCursor,
                                                   Qt::SizeVerCursor,   Qt::SizeHorCursor};
  if (h >= 0) {
    setCursor(kHandleCursors[h]);
    return;
  }
  if (!ReadOnly() && Anchor())
    for (DlgSelection* s = Anchor()->sel_head; s; s = s->next)
      if (s->Object()->Parent() && s->Rect().Contains(PointOf(at))) {
        setCursor(Qt::SizeAllCursor);
        return;
      }
  unsetCursor();
}

void CDlgEditView::CancelResize() {
  mode_ = DlgMouseMode::None;
  handle_ = -1;
  update();
}

// ------------------------------------------------------------------ keyboard

bool CDlgEditView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && CommandOfKey(static_cast<QKeyEvent*>(event)) != ID_NONE) {
    event->accept();
    return true;
  }
  // Shift+F10 and the menu key open the context menu at the selection.
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    // A command key runs its command when its update enables it.
    if (const int id = CommandOfKey(k); id != ID_NONE) {
      FwCmdUI ui;
      ui.id = id;
      OnUpdateCommand(ui);
      if (ui.enabled) OnCommand(id);
      return true;
    }
    const bool shift_f10 = k->key() == Qt::Key_F10 && (k->modifiers() & Qt::ShiftModifier) &&
                           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (shift_f10 || k->key() == Qt::Key_Menu) {
      QPoint at(CanvasRect().left() + kMenuInset, CanvasRect().top() + kMenuInset);
      if (DlgSelection* s = Anchor() ? Anchor()->sel_head : nullptr) at = DlgQt_Rect(s->Rect()).center();
      ShowContextMenu(at);
      return true;
    }
  }
  return FwView::event(event);
}

void CDlgEditView::keyPressEvent(QKeyEvent* event) {
  if (!Anchor()) {
    FwView::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      if (mode_ == DlgMouseMode::Resize) {
        CancelResize();
      } else {
        canvas_->DeselectAll();
        UpdateCursor(mapFromGlobal(QCursor::pos()));
        update();
      }
      return;
    case Qt::Key_Delete:
      if (canvas_->CanDeleteSelection())
        canvas_->DeleteSelection();
      else
        Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION);
      update();
      return;
    default: FwView::keyPressEvent(event);
  }
}

void CDlgEditView::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint pt = event->pos();
  if (Anchor() && Anchor()->RootObject()) {
    DlgObject* obj = nullptr;
    if (DlgSelection* s = Anchor()->TrackerAt(canvas_.get(), PointOf(pt))) obj = s->Object();
    if (!obj) obj = ObjectAt(pt, KeysOf(event->modifiers()));
    if (obj && obj->HasFlag(DLG_F_SELECTABLE) && !obj->Tracker()) canvas_->SelectObject(obj);
  }
  ShowContextMenu(pt);
}

void CDlgEditView::ShowContextMenu(QPoint at) {
  QMenu menu(window());
  for (const MenuRow& row : kContextMenu) {
    if (!row.text) {
      if (!menu.isEmpty() && !menu.actions().last()->isSeparator()) menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(QString::fromLatin1(row.text));
    FwCmdUI ui;
    ui.id = row.id;
    if (FwApp* app = Fw_App())
      ui = app->RouteUpdate(row.id);
    else if (!OnUpdateCommand(ui))
      ui.Enable(HasCommand(row.id));
    a->setEnabled(ui.enabled);
    if (ui.checked) {
      a->setCheckable(true);
      a->setChecked(*ui.checked);
    }
    const int id = row.id;
    QObject::connect(a, &QAction::triggered, this, [this, id] {
      if (FwApp* app = Fw_App())
        app->RouteCommand(id);
      else
        OnCommand(id);
    });
  }
  if (!menu.actions().isEmpty() && menu.actions().last()->isSeparator()) menu.removeAction(menu.actions().last());
  menu_ = &menu;
  menu.exec(mapToGlobal(at));
  menu_ = nullptr;
}

// --------------------------------------------------------------------- focus

void CDlgEditView::focusInEvent(QFocusEvent* event) {
  FwView::focusInEvent(event);
  DlgAnchor* a = Anchor();
  if (!a) return;
  if (a->SetView(canvas_.get())) {
    RecalcLayout();
    update();
  }
  if (CDlgDocWin* d = DocWin()) d->UpdateFrameCounts();
  if (DlgWinNotify* n = Notifier()) n->ViewFocused(this);
}

void CDlgEditView::ShowPrimary() {
  if (DlgWinNotify* n = Notifier()) n->PrimaryChanged(this, canvas_ ? canvas_->Primary() : nullptr);
}

// --------------------------------------------------------------------- drops

void CDlgEditView::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void CDlgEditView::dragMoveEvent(QDragMoveEvent* event) {
  DlgObject* tmpl = DlgDragData_Decode(event->mimeData(), Model());
  const unsigned keys = KeysOf(event->modifiers());
  const bool ok = tmpl && Anchor() && !ReadOnly() &&
                  (canvas_->DropTarget(tmpl, PointOf(event->position().toPoint()), keys) ||
                   tmpl->HasFlag(DLG_TMPL_CAN_BE_ROOT | DLG_TMPL_ALWAYS_ROOT));
  if (ok) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CDlgEditView::dropEvent(QDropEvent* event) {
  DlgObject* tmpl = DlgDragData_Decode(event->mimeData(), Model());
  if (!tmpl || !Anchor()) {
    event->ignore();
    return;
  }
  if (canvas_->Drop(tmpl, PointOf(event->position().toPoint()), KeysOf(event->modifiers()))) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    update();
  } else {
    event->ignore();
  }
}

// ------------------------------------------------------------------ commands

void CDlgEditView::OnWindowNew(int) {
  CDlgDocWin* d = DocWin();
  if (!d || !d->Template() || !Anchor()) return;
  CDlgDocWin::SetInitialAnchor(Anchor());
  d->Template()->CreateFrame(d);
  d->UpdateFrameCounts();
}

void CDlgEditView::OnFileSave(int id) {
  if (CDlgEditDoc* m = Model()) m->Save(id == ID_FILE_SAVE_AS);
  if (CDlgDocWin* d = DocWin()) d->SyncFromModel();
}

void CDlgEditView::OnUpdateFileSave(FwCmdUI& ui) { ui.Enable(Model() && Model()->IsModified()); }

void CDlgEditView::OnEditClear(int) {
  if (!Anchor()) return;
  if (canvas_->CanDeleteSelection()) canvas_->DeleteSelection();
  update();
}

void CDlgEditView::OnUpdateEditClear(FwCmdUI& ui) { ui.Enable(Anchor() && canvas_->CanDeleteSelection()); }

void CDlgEditView::OnSelectAll(int) {
  if (!Anchor()) return;
  canvas_->SelectAll();
  update();
}

void CDlgEditView::OnUpdateSelectAll(FwCmdUI& ui) { ui.Enable(Anchor() && Anchor()->RootObject()); }

void CDlgEditView::OnDeselectAll(int) {
  if (!Anchor()) return;
  canvas_->DeselectAll();
  UpdateCursor(mapFromGlobal(QCursor::pos()));
  update();
}

void CDlgEditView::OnUpdateSelection(FwCmdUI& ui) { ui.Enable(Anchor() && Anchor()->sel_head); }

void CDlgEditView::OnToggleVisible(int) {
  if (!Anchor()) return;
  canvas_->ToggleVisibility();
  update();
}

void CDlgEditView::OnUpdateToggleVisible(FwCmdUI& ui) {
  DlgObject* p = canvas_ ? canvas_->Primary() : nullptr;
  ui.Enable(p && !ReadOnly());
  ui.SetCheck(p && p->HasFlag(DLG_F_SHOWN));
}

void CDlgEditView::OnEditProperties(int) {
  DlgObject* p = canvas_ ? canvas_->Primary() : nullptr;
  if (!p) return;
  canvas_->SelectObject(p);
  if (DlgWinNotify* n = Notifier()) n->EditProperties(Model(), p);
}

void CDlgEditView::OnPalette(int) {
  DlgWinNotify* n = Notifier();
  if (n && Model() && Anchor()) n->OpenPalette(Model(), Anchor());
}

void CDlgEditView::OnFileProperties(int) {
  DlgWinNotify* n = Notifier();
  if (n && Model()) n->FileProperties(Model());
}

void CDlgEditView::OnUndo(int) {
  if (!Anchor()) return;
  canvas_->Undo();
  RecalcLayout();
  update();
}

void CDlgEditView::OnUpdateUndo(FwCmdUI& ui) { ui.Enable(Anchor() && Anchor()->Root()->CanUndo()); }

void CDlgEditView::OnRedo(int) {
  if (!Anchor()) return;
  canvas_->Redo();
  RecalcLayout();
  update();
}

void CDlgEditView::OnUpdateRedo(FwCmdUI& ui) { ui.Enable(Anchor() && Anchor()->Root()->CanRedo()); }

void CDlgEditView::OnUpdateCoord(FwCmdUI& ui) {
  DlgObject* p = canvas_ ? canvas_->Primary() : nullptr;
  // Without a selection the group goes and the status bar shows no object.
  ui.Enable(p != nullptr);
  ui.Show(p != nullptr);
  const int idx = CoordIndex(ui.id);
  if (!p || idx < 0) return;
  int32_t v[4];
  p->GetGeometry(&v[0], &v[1], &v[2], &v[3]);
  ui.SetText(std::to_string(v[idx]));
}
