#include "workbench/dialogs/model/dlg_anchor.h"

#include <algorithm>
#include <memory>

#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_selection.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

namespace {

// Anchor ids are process-wide; a given id does not move the counter.
uint32_t anchor_id_counter = 0;

enum AxisRelation { AXIS_DISJOINT, AXIS_PARTIAL, AXIS_INSIDE };

AxisRelation Relate(int32_t l1, int32_t r1, int32_t l2, int32_t r2) {
  if (r1 <= l2 || r2 <= l1) return AXIS_DISJOINT;
  if ((l1 >= l2 && r1 <= r2) || (l2 >= l1 && r2 <= r1)) return AXIS_INSIDE;
  return AXIS_PARTIAL;
}

}  // namespace

int DlgDocument::StoreTyped(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) {
  SYS_ASSERT(obj);
  SYS_ASSERT(def);
  DlgPropValue* node = obj->Props().FindByName(def->name, def->index);
  bool made = false;
  if (!node) {
    node = new DlgPropValue(&obj->Props(), def);
    made = true;
  }
  if (node->SetValue(val, serial)) return 1;
  if (made) delete node;
  return 0;
}

DlgAnchor::DlgAnchor(DlgRootAnchor* root) : id_(++anchor_id_counter), root_(root) {
  SYS_ASSERT(root);
  chain_insert_after(root->head, root->tail, root->tail, this);
}

DlgAnchor::DlgAnchor(const DlgAnchor& other) : id_(++anchor_id_counter), root_(other.root_) {
  options_ = other.options_;
  chain_insert_after(root_->head, root_->tail, root_->tail, this);
}

DlgAnchor::DlgAnchor(DlgRootAnchor* root, uint32_t new_id, uint32_t after_id) : id_(new_id), root_(root) {
  SYS_ASSERT(root);
  DlgRootAnchor& root_anch = *root;
  SYS_ASSERT(new_id);
  SYS_ASSERT(!root_anch.FindAnchor(new_id));
  DlgAnchor* prev_anchor = nullptr;
  if (after_id) {
    prev_anchor = root_anch.FindAnchor(after_id);
    SYS_ASSERT(prev_anchor);
  }
  chain_insert_after(root->head, root->tail, prev_anchor, this);
}

DlgAnchor::~DlgAnchor() {
  ClearSelection();
  delete root_obj_;
  root_obj_ = nullptr;
  chain_unlink(root_->head, root_->tail, this);
}

int DlgAnchor::SetView(DlgView* view) {
  SYS_ASSERT(view);
  if (view == view_) return 0;
  if (view_) view_->RefreshTrackers();
  view_ = view;
  return 1;
}

void DlgAnchor::ViewClosed(DlgView* view) {
  if (view != view_) return;
  view_ = nullptr;
  DlgDocument* doc = root_->Document();
  if (!doc) return;
  for (DlgView* v : doc->Views()) {
    if (v != view && v->Anchor() == this) {
      view_ = v;
      return;
    }
  }
}

const DlgPoint* DlgAnchor::SetContext(const DlgPoint* origin) {
  const DlgPoint* previous = context_;
  context_ = origin;
  return previous;
}

void DlgAnchor::ChangeContext(const DlgPoint* origin) {
  const DlgPoint* context = context_;
  SYS_ASSERT(context);
  context_ = origin;
  DlgDocument* doc = root_->Document();
  if (doc && view_ && hint_enabled_ && hint_.any) {
    for (DlgView* v : doc->Views()) v->OnUpdate(hint_);
  }
  hint_.Reset();
}

void DlgAnchor::AddUpdateRect(const DlgRect& r) {
  if (!(options_ & DLG_ANCHOR_PAINTING)) hint_.Add(r);
}

void DlgAnchor::SetOrigin(DlgPoint origin) {
  int32_t dx = origin.x - origin_.x;
  int32_t dy = origin.y - origin_.y;
  if (dx || dy) {
    for (DlgSelection* s = sel_head; s; s = s->next) s->MoveBy(dx, dy);
  }
  origin_ = origin;
}

DlgObject* DlgAnchor::HitTest(DlgPoint point) {
  return root_obj_ ? root_obj_->HitTest(root_obj_->GetCanvasRect(), point) : nullptr;
}

DlgObject* DlgAnchor::FindByPath(const char* path) { return root_obj_ ? root_obj_->FindByPath(path) : nullptr; }

DlgObject* DlgAnchor::FindDropTarget(const DlgObject* moved, const DlgRect& rect) {
  return root_obj_ ? root_obj_->FindDropTarget(root_obj_->GetCanvasRect(), moved, rect) : nullptr;
}

void DlgAnchor::SelectInRect(const DlgRect* rect) {
  if (root_obj_) root_obj_->SelectInRect(rect);
}

int DlgAnchor::DeleteTemporary() {
  if (!root_obj_) return 0;
  if (root_obj_->HasFlag(DLG_F_TEMPORARY)) {
    delete root_obj_;  // leaving, it clears root_obj_
    return 1;
  }
  root_obj_->DeleteTemporaryChildren();
  return 0;
}

int DlgAnchor::DeleteSelected() {
  if (!root_obj_) return 0;
  std::unique_ptr<DlgObject> doomed;
  if (root_obj_->TakeIfSelected(&doomed)) return 1;
  root_obj_->DeleteSelectedChildren();
  return 0;
}

void DlgAnchor::ClearSelection() {
  while (sel_head) delete sel_head;
}

void DlgAnchor::ClearSelectionExcept(DlgSelection* keep) {
  SYS_ASSERT(keep);
  for (DlgSelection* s = sel_head; s;) {
    DlgSelection* n = s->next;
    if (s != keep) delete s;
    s = n;
  }
}

int DlgAnchor::GetSelectionBounds(DlgRect* out) const {
  if (!sel_head) return 0;
  DlgRect r = sel_head->Rect();
  for (DlgSelection* s = sel_head->next; s; s = s->next) {
    r = {std::min(r.left, s->Rect().left), std::min(r.top, s->Rect().top), std::max(r.right, s->Rect().right),
         std::max(r.bottom, s->Rect().bottom)};
  }
  *out = r;
  return 1;
}

DlgSelection* DlgAnchor::TrackerAt(DlgView* view, DlgPoint point) const {
  if (view != view_) return nullptr;
  for (DlgSelection* s = sel_head; s; s = s->next) {
    DlgRect r = s == sel_head ? s->HandleRect() : s->Rect();
    if (r.Contains(point)) return s;
  }
  return nullptr;
}

void DlgAnchor::RefreshTrackers() {
  if (view_) view_->RefreshTrackers();
}

void DlgAnchor::ShowSelected(bool show) {
  for (DlgSelection* s = sel_head; s; s = s->next) {
    DlgObject* obj = s->Object();
    if (show) {
      obj->SetFlags(obj->Flags() | DLG_F_SHOWN);
    } else {
      obj->Invalidate();
      obj->SetFlags(obj->Flags() & ~DLG_F_SHOWN);
    }
    obj->Invalidate();
  }
}

void DlgAnchor::MarkOverlaps() {
  for (DlgSelection* s = sel_head; s; s = s->next) {
    uint32_t m = s->Marks() & ~(DLG_SEL_OVERLAP | DLG_SEL_OVERLAP_BEFORE);
    if (s->Marks() & DLG_SEL_OVERLAP) m |= DLG_SEL_OVERLAP_BEFORE;
    s->SetMarks(m);
  }
  for (DlgSelection* a = sel_head; a; a = a->next) {
    for (DlgSelection* b = a->next; b; b = b->next) {
      if (!((a->Marks() | b->Marks()) & DLG_SEL_TEST)) continue;
      const DlgRect& ra = a->Rect();
      const DlgRect& rb = b->Rect();
      AxisRelation x = Relate(ra.left, ra.right, rb.left, rb.right);
      AxisRelation y = Relate(ra.top, ra.bottom, rb.top, rb.bottom);
      if ((x == AXIS_PARTIAL && y != AXIS_DISJOINT) || (y == AXIS_PARTIAL && x != AXIS_DISJOINT)) {
        a->SetMarks(a->Marks() | DLG_SEL_OVERLAP);
        b->SetMarks(b->Marks() | DLG_SEL_OVERLAP);
      }
    }
  }
}

void DlgAnchor::ResyncSelections() {
  // Inside a group, so that nothing the objects do on the way records an
  // action of its own.
  const int opened = root_->BeginUndo();
  if (root_obj_) root_obj_->SyncSelection();
  if (opened) root_->EndUndo();
  for (DlgSelection* s = sel_head; s; s = s->next) s->SyncFromObject();
  RefreshTrackers();
}
