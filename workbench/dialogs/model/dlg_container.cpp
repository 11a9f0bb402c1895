#include "workbench/dialogs/model/dlg_container.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/sysassert.h"

DlgRect DlgRelayoutChild(const DlgRect& child, uint32_t flags, int32_t dl, int32_t dt, int32_t dr, int32_t db) {
  DlgRect r = child.Offset(dl, dt);
  switch (flags & DLG_F_HATTACH_MASK) {
    case 1:
      r.left -= dr;
      r.right -= dr;
      break;
    case 2:
      r.left -= dl;
      r.right -= dr;
      break;
    case 3:
      r.left -= dl;
      r.right -= dl;
      break;
    default: break;
  }
  switch (flags & DLG_F_VATTACH_MASK) {
    case 4:
      r.top -= db;
      r.bottom -= db;
      break;
    case 8:
      r.top -= dt;
      r.bottom -= db;
      break;
    case 12:
      r.top -= dt;
      r.bottom -= dt;
      break;
    default: break;
  }
  return r;
}

DlgContainer::DlgContainer(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name)
    : DlgObject(anchor, ref, mode, name) {}

DlgContainer::DlgContainer(const DlgObject& src, DlgAnchor* anchor, DlgObject* ref, int mode, const char* name)
    : DlgObject(src, anchor, ref, mode, name) {
  if (src.IsContainer()) {
    unit_x_ = src.GetUnitX();
    unit_y_ = src.GetUnitY();
    // A root's size counts in its own units: apply them.
    int32_t x = 0, y = 0, w = 0, h = 0;
    src.GetGeometry(&x, &y, &w, &h);
    SetGeometry(x, y, w, h);
  }
}

DlgContainer::~DlgContainer() {
  while (head_) delete head_;
}

void DlgContainer::SetAnchor(DlgAnchor* anchor) {
  DlgObject::SetAnchor(anchor);
  for (DlgObject* c = head_; c; c = c->next) c->SetAnchor(anchor);
}

DlgObject* DlgContainer::Clone(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name) const {
  return new DlgContainer(*this, anchor, ref, mode, name);
}

void DlgContainer::InstantiateChildren(DlgAnchor* anchor, DlgObject* new_parent) {
  for (DlgObject* c = head_; c; c = c->next) {
    DlgObject* clone = c->Clone(anchor, new_parent, DLG_LINK_LAST_CHILD, c->Name());
    clone->SetTemplate(c);
    clone->SetFlags(clone->Flags() | DLG_F_SELECTABLE | DLG_F_TEMPLATE_CHILD);
  }
}

int DlgContainer::SetUnit(int32_t x, int32_t y) {
  if (x < 1 || y < 1) return 0;
  unit_x_ = x;
  unit_y_ = y;
  return 1;
}

void DlgContainer::ApplyGeometryProps(int recurse) {
  DlgObject::ApplyGeometryProps(recurse);
  if (!recurse) return;
  for (DlgObject* c = head_; c; c = c->next) c->ApplyGeometryProps(1);
}

void DlgContainer::DestroyCtrlWnd() {
  DlgObject::DestroyCtrlWnd();
  for (DlgObject* c = head_; c; c = c->next) c->DestroyCtrlWnd();
}

void DlgContainer::Draw(DlgPainter& painter, const DlgRect& canvas, const DlgRect& clip, bool paint) {
  DlgObject::Draw(painter, canvas, clip, paint);
  if (Parent() && !HasFlag(DLG_F_SHOWN)) return;
  bool selected_only = Anchor() && (Anchor()->Options() & DLG_ANCHOR_SELECTED_ONLY);
  for (DlgObject* c = head_; c; c = c->next) {
    if (!c->HasFlag(DLG_F_SHOWN)) continue;
    DlgRect cr = c->Rect().Offset(canvas.left, canvas.top);
    if (!cr.Intersects(clip)) continue;
    bool child_paint = true;
    if (selected_only && !c->Tracker()) {
      child_paint = false;
      for (const DlgObject* a = c->Parent(); a; a = a->Parent()) {
        if (a->Tracker()) {
          child_paint = true;
          break;
        }
      }
    }
    c->Draw(painter, cr, cr.Intersection(clip), child_paint);
  }
}

void DlgContainer::DrawTracker(DlgDC* dc) {
  DlgObject::DrawTracker(dc);
  for (DlgObject* c = head_; c; c = c->next) c->DrawTracker(dc);
}

std::string DlgContainer::NameKey(const char* name, size_t len, bool exact) {
  std::string key(name, len);
  // The folding strcasecmp compares by.
  if (!exact)
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return key;
}

bool DlgContainer::NamesExact() const {
  DlgRootAnchor* root = RootAnchor();
  return root && (root->Flags() & F_CASE_NAMES);
}

void DlgContainer::ChildAppended(DlgObject* child) {
  if (names_.valid) names_.by_name[NameKey(child->Name(), std::strlen(child->Name()), names_.exact)].push_back(child);
}

void DlgContainer::ChildLeaving(DlgObject* child) {
  if (!names_.valid) return;
  auto it = names_.by_name.find(NameKey(child->Name(), std::strlen(child->Name()), names_.exact));
  if (it == names_.by_name.end()) return;
  std::vector<DlgObject*>& same = it->second;
  same.erase(std::remove(same.begin(), same.end(), child), same.end());
  if (same.empty()) names_.by_name.erase(it);
}

void DlgContainer::ChildrenChanged() {
  names_.valid = false;
  names_.by_name.clear();
}

DlgObject* DlgContainer::FindByPath(const char* path) {
  if (!path) return nullptr;
  const char* dot = std::strchr(path, '.');
  size_t len = dot ? static_cast<size_t>(dot - path) : std::strlen(path);
  if (len != std::strlen(Name()) || !NamesEqual(std::string(path, len).c_str(), Name())) return nullptr;
  if (!dot) return this;
  // Only children of the path's next name can match it, in chain order.
  const char* next_name = dot + 1;
  const char* next_dot = std::strchr(next_name, '.');
  const size_t next_len = next_dot ? static_cast<size_t>(next_dot - next_name) : std::strlen(next_name);
  if (const std::vector<DlgObject*>* same = ChildrenNamed(next_name, next_len)) {
    for (DlgObject* c : *same) {
      if (DlgObject* found = c->FindByPath(next_name)) return found;
    }
  }
  return nullptr;
}

const std::vector<DlgObject*>* DlgContainer::ChildrenNamed(const char* name, size_t len) {
  const bool exact = NamesExact();
  if (!names_.valid || names_.exact != exact) {
    ChildrenChanged();
    names_.valid = true;
    names_.exact = exact;
    for (DlgObject* c = head_; c; c = c->next) ChildAppended(c);
  }
  auto it = names_.by_name.find(NameKey(name, len, exact));
  return it == names_.by_name.end() ? nullptr : &it->second;
}

DlgObject* DlgContainer::FirstChildNamed(const char* name) {
  const std::vector<DlgObject*>* same = name ? ChildrenNamed(name, std::strlen(name)) : nullptr;
  return same && !same->empty() ? same->front() : nullptr;
}

DlgObject* DlgContainer::HitTest(const DlgRect& canvas, DlgPoint point) {
  if (!DlgObject::HitTest(canvas, point)) return nullptr;
  for (DlgObject* c = tail_; c; c = c->prev) {
    if (DlgObject* hit = c->HitTest(c->Rect().Offset(canvas.left, canvas.top), point)) return hit;
  }
  return this;
}

DlgObject* DlgContainer::FindById(uint32_t id) {
  if (id == Id()) return this;
  for (DlgObject* c = head_; c; c = c->next) {
    if (DlgObject* found = c->FindById(id)) return found;
  }
  return nullptr;
}

DlgObject* DlgContainer::FindDropTarget(const DlgRect& canvas, const DlgObject* moved, const DlgRect& rect) {
  if (this == moved) return nullptr;
  if (Parent() && !HasFlag(DLG_F_SHOWN)) return nullptr;
  if (!canvas.Contains(rect)) return nullptr;
  for (DlgObject* c = tail_; c; c = c->prev) {
    if (DlgObject* found = c->FindDropTarget(c->Rect().Offset(canvas.left, canvas.top), moved, rect)) return found;
  }
  return this;
}

void DlgContainer::SelectInRect(const DlgRect* rect) {
  DlgObject::SelectInRect(rect);
  if (Parent() && !HasFlag(DLG_F_SHOWN)) return;
  for (DlgObject* c = head_; c; c = c->next) c->SelectInRect(rect);
}

void DlgContainer::Deselect() {
  DlgObject::Deselect();
  for (DlgObject* c = head_; c; c = c->next) c->Deselect();
}

void DlgContainer::DeleteSelectedChildren() {
  for (DlgObject* c = head_; c;) {
    DlgObject* n = c->next;
    std::unique_ptr<DlgObject> doomed;
    if (!c->TakeIfSelected(&doomed)) c->DeleteSelectedChildren();
    c = n;
  }
}

int DlgContainer::SyncSelection() {
  if (DlgObject::SyncSelection()) return 1;
  for (DlgObject* c = head_; c; c = c->next) c->SyncSelection();
  return 0;
}

void DlgContainer::SyncTracker() {
  DlgObject::SyncTracker();
  for (DlgObject* c = head_; c; c = c->next) c->SyncTracker();
}

void DlgContainer::ResizeTo(const DlgRect& canvas) { RelayoutFrom(GetCanvasRect(), canvas); }

void DlgContainer::RelayoutFrom(const DlgRect& old, const DlgRect& canvas) {
  DlgRect r = canvas;
  MoveRect(&r, &old);
  const DlgRect now = GetCanvasRect();
  int32_t dl = old.left - now.left;
  int32_t dt = old.top - now.top;
  int32_t dr = old.right - now.right;
  int32_t db = old.bottom - now.bottom;
  for (DlgObject* c = head_; c; c = c->next) {
    DlgRect laid = DlgRelayoutChild(c->Rect(), c->Flags(), dl, dt, dr, db);
    if (dl == 0 && dt == 0 && laid == c->Rect()) continue;
    DlgRect child_old = c->Rect().Offset(old.left, old.top);
    DlgRect target = laid.Offset(now.left, now.top);
    if (c->IsContainer()) {
      static_cast<DlgContainer*>(c)->RelayoutFrom(child_old, target);
    } else {
      c->MoveRect(&target, &child_old);
    }
  }
  SyncTracker();
}

int DlgContainer::ApplyTrackerResize() {
  DlgRect r;
  if (Tracker() && Tracker()->TakeResize(&r)) {
    ResizeTo(r);
    return 1;
  }
  for (DlgObject* c = head_; c; c = c->next) c->ApplyTrackerResize();
  return 0;
}

void DlgContainer::DeleteTemporaryChildren() {
  for (DlgObject* c = head_; c;) {
    DlgObject* n = c->next;
    if (c->HasFlag(DLG_F_TEMPORARY))
      delete c;
    else
      c->DeleteTemporaryChildren();
    c = n;
  }
}

void DlgContainer::ListInXref() {
  DlgObject::ListInXref();
  DlgRootAnchor* root = RootAnchor();
  if (!HasFlag(DLG_F_SELECTABLE) || !root || !root->Document()) return;
  for (DlgObject* c = head_; c; c = c->next) c->ListInXref();
}

void DlgContainer::SetFlag(int bit) {
  DlgObject::SetFlag(bit);
  for (DlgObject* c = head_; c; c = c->next) c->SetFlag(bit);
}

void DlgContainer::ClearFlag(int bit) {
  DlgObject::ClearFlag(bit);
  for (DlgObject* c = head_; c; c = c->next) c->ClearFlag(bit);
}
