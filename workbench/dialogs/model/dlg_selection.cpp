#include "workbench/dialogs/model/dlg_selection.h"

#include <algorithm>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

namespace {

DlgSelection* MakeBasic(DlgObject* obj) { return new DlgSelection(obj); }

DlgSelectionFactory selection_factory = nullptr;

bool ReadOnly(const DlgObject* obj) {
  DlgRootAnchor* root = obj->RootAnchor();
  return root && (root->Flags() & F_READ_ONLY);
}

// The nearest multiple of g to d, counted in whole g.
int32_t Nearest(int32_t d, int32_t g) { return (d + g / 2) / g; }

bool MovesLeft(int handle) {
  return handle == DLG_HANDLE_TOP_LEFT || handle == DLG_HANDLE_BOTTOM_LEFT || handle == DLG_HANDLE_LEFT;
}
bool MovesRight(int handle) {
  return handle == DLG_HANDLE_TOP_RIGHT || handle == DLG_HANDLE_BOTTOM_RIGHT || handle == DLG_HANDLE_RIGHT;
}
bool MovesTop(int handle) {
  return handle == DLG_HANDLE_TOP_LEFT || handle == DLG_HANDLE_TOP_RIGHT || handle == DLG_HANDLE_TOP;
}
bool MovesBottom(int handle) {
  return handle == DLG_HANDLE_BOTTOM_RIGHT || handle == DLG_HANDLE_BOTTOM_LEFT || handle == DLG_HANDLE_BOTTOM;
}

// One axis of a drag snap: the start `lo` of a span of `size` on the grid
// `g` counted from `base`, kept within base..limit.
int32_t SnapAxis(int32_t lo, int32_t size, int32_t g, int32_t base, int32_t limit) {
  const int32_t d = lo - base;
  int32_t pos = base + Nearest(d, g) * g;
  if (pos < base) {
    pos = base + (d / g + 1) * g;
  } else if (pos + size > limit) {
    pos = base + (d / g) * g;
  }
  return pos;
}

}  // namespace

DlgSelection::DlgSelection(DlgObject* obj) : obj_(obj) {
  SYS_ASSERT(obj);
  DlgAnchor* anchor = obj->Anchor();
  SYS_ASSERT(anchor);
  const bool read_only = ReadOnly(obj);
  style_ = read_only ? DLG_TRK_HATCHED_BORDER : DLG_TRK_PRIMARY;
  DlgSelection* demoted = anchor->sel_head;
  chain_insert_after(anchor->sel_head, anchor->sel_tail, static_cast<DlgSelection*>(nullptr), this);
  obj->SetTracker(this);
  if (obj->Anchor()->Context()) rect_ = obj->GetCanvasRect();
  TakeParent(obj->Parent());
  if (obj->HasFlag(DLG_F_SIZE_UNITS)) unit_ = {obj->GetUnitX(), obj->GetUnitY()};
  if (demoted) demoted->SetStyle(DLG_TRK_HATCHED_BORDER);
  Invalidate();
}

DlgSelection::~DlgSelection() {
  DlgAnchor* anchor = obj_->Anchor();
  const bool was_head = anchor->sel_head == this;
  Invalidate();
  chain_unlink(anchor->sel_head, anchor->sel_tail, this);
  if (obj_->Tracker() == this) obj_->SetTracker(nullptr);
  if (was_head && anchor->sel_head && !ReadOnly(obj_)) anchor->sel_head->SetStyle(DLG_TRK_PRIMARY);
}

void DlgSelection::SetStyle(uint32_t style) {
  if (style == style_) return;
  Invalidate();
  style_ = style;
  Invalidate();
}

void DlgSelection::TakeParent(DlgObject* parent) {
  parent_ = parent;
  grid_ = {1, 1};
  if (parent) {
    parent_rect_ = obj_->Anchor()->Context() ? parent->GetCanvasRect() : parent->Rect();
    if (obj_->HasFlag(DLG_F_POS_UNITS)) grid_ = {parent->GetUnitX(), parent->GetUnitY()};
  } else {
    parent_rect_ = {};
    DlgRootAnchor* root = obj_->RootAnchor();
    if (obj_->HasFlag(DLG_F_POS_UNITS) && root) grid_ = {root->UnitX(), root->UnitY()};
  }
}

void DlgSelection::SyncFromObject() {
  DlgRect r = obj_->GetCanvasRect();
  if (r == rect_) return;
  Invalidate();
  rect_ = r;
  Invalidate();
}

void DlgSelection::ApplyToObject() {
  DlgRect r = rect_;
  DlgRect old = obj_->GetCanvasRect();
  obj_->MoveRect(&r, &old);
  if (r != rect_) {
    Invalidate();
    rect_ = r;
    Invalidate();
  }
}

void DlgSelection::Replay(const DlgRect& from, const DlgRect& to) {
  rect_ = from;
  Invalidate();
  rect_ = to;
  Invalidate();
  SetResize(to);
  obj_->ApplyTrackerResize();
  SyncFromObject();
}

int DlgSelection::FinishResize(const DlgRect& old_rect, const DlgRect& new_rect) {
  DlgRootAnchor* root = obj_->RootAnchor();
  if (root && root->Document() && root->ClearRedo() && root->BeginUndo()) {
    new DlgUndoItem_RESIZE(&root->UndoList(), obj_, old_rect, new_rect);
    root->Document()->SetModifiedFlag(true);
    root->EndUndo();
  }
  Replay(old_rect, new_rect);
  return 1;
}

int DlgSelection::GetHandleMask() const {
  if (parent_rect_.IsEmpty()) return 100;
  if (!(tracker_flags_ & DLG_TRK_DRAWING) || !(style_ & DLG_TRK_RESIZE_OUTSIDE)) return 255;
  int mask = 255;
  switch (obj_->Flags() & DLG_F_HATTACH_MASK) {
    case 1: mask = 127; break;
    case 2: mask = 95; break;
    case 3: mask = 223; break;
    default: break;
  }
  switch (obj_->Flags() & DLG_F_VATTACH_MASK) {
    case 4: mask &= 239; break;
    case 8: mask &= 175; break;
    case 12: mask &= 191; break;
    default: break;
  }
  return mask;
}

void DlgSelection::AdjustRect(int handle, DlgRect* r) const {
  const DlgRect& p = parent_rect_;
  if (!p.IsEmpty()) {
    r->left = std::clamp(r->left, p.left, p.right);
    r->right = std::clamp(r->right, p.left, p.right);
    r->top = std::clamp(r->top, p.top, p.bottom);
    r->bottom = std::clamp(r->bottom, p.top, p.bottom);
  }
  if (grid_.x != 1 && MovesLeft(handle)) r->left = p.left + Nearest(r->left - p.left, grid_.x) * grid_.x;
  if (grid_.y != 1 && MovesTop(handle)) r->top = p.top + Nearest(r->top - p.top, grid_.y) * grid_.y;
  if (unit_.x != 1) {
    const int32_t w = Nearest(r->Width(), unit_.x) * unit_.x;
    if (MovesLeft(handle)) r->left = r->right - w;
    if (MovesRight(handle)) r->right = r->left + w;
  }
  if (unit_.y != 1) {
    const int32_t h = Nearest(r->Height(), unit_.y) * unit_.y;
    if (MovesTop(handle)) r->top = r->bottom - h;
    if (MovesBottom(handle)) r->bottom = r->top + h;
  }
  obj_->AdjustTrackerRect(r, handle);
}

void DlgSelection::SetDragSnapshot() {
  drag_rect_ = rect_;
  snapped_rect_ = rect_;
  drag_flags_ = 0;
}

DlgPoint DlgSelection::DragStep(int32_t dx, int32_t dy) {
  drag_rect_ = drag_rect_.Offset(dx, dy);
  DlgAnchor* anchor = obj_->Anchor();
  if (obj_->Parent()) {
    DlgObject* target = anchor->FindDropTarget(obj_, drag_rect_);
    if (!target) target = anchor->RootObject();
    if (target && target != parent_) TakeParent(target);
  }
  DlgRect s = drag_rect_;
  if (!parent_rect_.IsEmpty()) {
    if (grid_.x != 1) {
      const int32_t left = SnapAxis(s.left, s.Width(), grid_.x, parent_rect_.left, parent_rect_.right);
      s = s.Offset(left - s.left, 0);
    }
    if (grid_.y != 1) {
      const int32_t top = SnapAxis(s.top, s.Height(), grid_.y, parent_rect_.top, parent_rect_.bottom);
      s = s.Offset(0, top - s.top);
    }
  }
  snapped_rect_ = s;
  if (s == rect_) {
    drag_flags_ &= ~DLG_DRAG_MOVED;
    return {0, 0};
  }
  drag_flags_ |= DLG_DRAG_MOVED;
  return {s.left - rect_.left, s.top - rect_.top};
}

bool DlgSelection::TakeResize(DlgRect* canvas) {
  if (!resize_pending_) return false;
  *canvas = resize_;
  resize_pending_ = false;
  return true;
}

DlgSelectionFactory DlgSelection_SetFactory(DlgSelectionFactory factory) {
  DlgSelectionFactory previous = selection_factory ? selection_factory : MakeBasic;
  selection_factory = factory;
  return previous;
}

DlgSelection* DlgSelection_Make(DlgObject* obj) { return (selection_factory ? selection_factory : MakeBasic)(obj); }
