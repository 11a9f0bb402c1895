#include "workbench/dialogs/views/win/dlgtracker.h"

#include <QBrush>
#include <QPainter>
#include <QPolygon>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"

namespace {

DlgSelection* MakeTracker(DlgObject* obj) { return new DlgTracker(obj); }

// Which edges a handle moves.
bool MovesLeft(int h) { return h == DLG_HANDLE_TOP_LEFT || h == DLG_HANDLE_BOTTOM_LEFT || h == DLG_HANDLE_LEFT; }
bool MovesRight(int h) { return h == DLG_HANDLE_TOP_RIGHT || h == DLG_HANDLE_BOTTOM_RIGHT || h == DLG_HANDLE_RIGHT; }
bool MovesTop(int h) { return h == DLG_HANDLE_TOP_LEFT || h == DLG_HANDLE_TOP_RIGHT || h == DLG_HANDLE_TOP; }
bool MovesBottom(int h) {
  return h == DLG_HANDLE_BOTTOM_LEFT || h == DLG_HANDLE_BOTTOM_RIGHT || h == DLG_HANDLE_BOTTOM;
}

constexpr int kHandleCount = 8;

// A filled triangle in a box pointing to one side.
enum class Points { Left, Right, Up, Down };

void Triangle(QPainter& p, const QRect& box, Points dir) {
  const QColor colour = QColor::fromRgb(DlgTracker::kTriangleColour);
  QPolygon t;
  const int l = box.left(), r = box.right(), tp = box.top(), b = box.bottom();
  const int cx = l + box.width() / 2, cy = tp + box.height() / 2;
  switch (dir) {
    case Points::Left: t << QPoint(l, cy) << QPoint(r, tp) << QPoint(r, b); break;
    case Points::Right: t << QPoint(r, cy) << QPoint(l, tp) << QPoint(l, b); break;
    case Points::Up: t << QPoint(cx, tp) << QPoint(l, b) << QPoint(r, b); break;
    case Points::Down: t << QPoint(cx, b) << QPoint(l, tp) << QPoint(r, tp); break;
  }
  p.setPen(colour);
  p.setBrush(colour);
  p.drawPolygon(t);
}

}  // namespace

DlgTracker::DlgTracker(DlgObject* obj) : DlgSelection(obj) { Invalidate(); }

DlgTracker::~DlgTracker() { Invalidate(); }

void DlgTracker::Install() { DlgSelection_SetFactory(MakeTracker); }

DlgRect DlgTracker::HandleRect() const {
  const int m = HasHandles() ? kHandleSize : kBorderWidth;
  return {rect_.left - m, rect_.top - m, rect_.right + m, rect_.bottom + m};
}

void DlgTracker::Invalidate() {
  DlgAnchor* anchor = obj_ ? obj_->Anchor() : nullptr;
  DlgView* view = anchor ? anchor->View() : nullptr;
  if (!view) return;
  const int m = kHandleSize + 1;
  const DlgRect r = rect_;
  view->InvalidateRect({r.left - m, r.top - m, r.left, r.bottom + m});
  view->InvalidateRect({r.left - m, r.top - m, r.right + m, r.top});
  view->InvalidateRect({r.right, r.top - m, r.right + m, r.bottom + m});
  view->InvalidateRect({r.left - m, r.bottom, r.right + m, r.bottom + m});
}

QRect DlgTracker::HandleBox(int handle) const {
  const QRect r = DlgQt_Rect(rect_);
  const int s = kHandleSize;
  const int cx = r.left() + r.width() / 2 - s / 2;
  const int cy = r.top() + r.height() / 2 - s / 2;
  const int left = r.left() - s, right = r.left() + r.width();
  const int top = r.top() - s, bottom = r.top() + r.height();
  switch (handle) {
    case DLG_HANDLE_TOP_LEFT: return QRect(left, top, s, s);
    case DLG_HANDLE_TOP_RIGHT: return QRect(right, top, s, s);
    case DLG_HANDLE_BOTTOM_RIGHT: return QRect(right, bottom, s, s);
    case DLG_HANDLE_BOTTOM_LEFT: return QRect(left, bottom, s, s);
    case DLG_HANDLE_TOP: return QRect(cx, top, s, s);
    case DLG_HANDLE_RIGHT: return QRect(right, cy, s, s);
    case DLG_HANDLE_BOTTOM: return QRect(cx, bottom, s, s);
    default: return QRect(left, cy, s, s);
  }
}

int DlgTracker::HitHandle(QPoint point) const {
  if (!HasHandles()) return -1;
  const int mask = GetHandleMask();
  for (int h = 0; h < kHandleCount; ++h)
    if ((mask & (1 << h)) && HandleBox(h).contains(point)) return h;
  return -1;
}

DlgRect DlgTracker::TrackHandle(int handle, const DlgRect& start, int dx, int dy) const {
  DlgRect r = start;
  if (MovesLeft(handle)) r.left = std::min(r.left + dx, r.right - unit_.x);
  if (MovesRight(handle)) r.right = std::max(r.right + dx, r.left + unit_.x);
  if (MovesTop(handle)) r.top = std::min(r.top + dy, r.bottom - unit_.y);
  if (MovesBottom(handle)) r.bottom = std::max(r.bottom + dy, r.top + unit_.y);
  AdjustRect(handle, &r);
  return r;
}

void DlgTracker::Draw(DlgDC* dc) {
  if (!dc || !dc->painter) return;
  QPainter& p = *dc->painter;
  SetTrackerFlags(TrackerFlags() | DLG_TRK_DRAWING);
  p.save();
  const QRect r = DlgQt_Rect(rect_);
  // The hatched border, outside the rectangle.
  const int b = kBorderWidth;
  const QBrush hatch(Qt::black, Qt::BDiagPattern);
  p.setPen(Qt::NoPen);
  p.setBrush(hatch);
  p.drawRect(QRect(r.left() - b, r.top() - b, r.width() + 2 * b, b));
  p.drawRect(QRect(r.left() - b, r.top() + r.height(), r.width() + 2 * b, b));
  p.drawRect(QRect(r.left() - b, r.top(), b, r.height()));
  p.drawRect(QRect(r.left() + r.width(), r.top(), b, r.height()));
  if (HasHandles()) {
    const int mask = GetHandleMask();
    for (int h = 0; h < kHandleCount; ++h)
      if (mask & (1 << h)) p.fillRect(HandleBox(h), Qt::black);
    // The attachment marks in place of the missing handles.
    if (obj_->Parent()) {
      auto mark = [&](int handle, Points dir) {
        const QRect box = HandleBox(handle);
        p.fillRect(box.adjusted(-1, -1, 1, 1), Qt::white);
        Triangle(p, box, dir);
      };
      switch (obj_->Flags() & DLG_F_HATTACH_MASK) {
        case 1: mark(DLG_HANDLE_LEFT, Points::Left); break;
        case 2:
          mark(DLG_HANDLE_LEFT, Points::Right);
          mark(DLG_HANDLE_RIGHT, Points::Left);
          break;
        case 3: mark(DLG_HANDLE_RIGHT, Points::Right); break;
        default: break;
      }
      switch (obj_->Flags() & DLG_F_VATTACH_MASK) {
        case 4: mark(DLG_HANDLE_TOP, Points::Up); break;
        case 8:
          mark(DLG_HANDLE_TOP, Points::Down);
          mark(DLG_HANDLE_BOTTOM, Points::Up);
          break;
        case 12: mark(DLG_HANDLE_BOTTOM, Points::Down); break;
        default: break;
      }
    }
  }
  p.restore();
  SetTrackerFlags(TrackerFlags() & ~DLG_TRK_DRAWING);
}
