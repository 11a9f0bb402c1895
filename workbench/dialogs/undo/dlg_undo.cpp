#include "workbench/dialogs/undo/dlg_undo.h"

#include <cstdio>
#include <string>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_selection.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"

namespace {

bool Tracing() { return Diag_TraceEnabled('U', 2); }

const char* NameOf(const DlgObject* obj) { return obj ? obj->Name() : ""; }

std::string ValueText(const prop_val* v) {
  if (!v) return "<NULL>";
  if (v->type == VAL_TEXT) {
    if (!v->data.text || !*v->data.text) return "<NULL>";
    return std::string("\"") + v->data.text + "\"";
  }
  if (v->type == VAL_INT) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", v->data.num);
    return buf;
  }
  return "<NULL>";
}

// Rectangles are kept relative to the anchor's canvas origin, so that a
// scroll between the edit and its undo does not shift the object.
DlgPoint OriginOf(const DlgObject* obj) {
  DlgAnchor* a = obj->Anchor();
  const DlgPoint* o = a ? a->Context() : nullptr;
  return o ? *o : DlgPoint{};
}

// The view that shows the object's anchor (made when there is none).
DlgView* ViewFor(DlgDocument* doc, DlgAnchor* anchor) {
  DlgView* view = doc->ActivateAnchorView(anchor, 1);
  SYS_ASSERT(view);
  return view;
}

}  // namespace

// DlgUndoAnchor

DlgUndoAnchor::~DlgUndoAnchor() { Clear(); }

void DlgUndoAnchor::SetRoot(DlgRootAnchor* root_anchor) {
  SYS_ASSERT(!root);
  root = root_anchor;
}

int DlgUndoAnchor::BeginAction() {
  if (Test(F_IN_ACTION)) return 0;
  Diag_Trace('U', 2, "BeginAction: ACTION");
  count = 0;
  flags |= F_IN_ACTION;
  return 1;
}

int DlgUndoAnchor::EndAction() {
  if (!Test(F_IN_ACTION)) return 0;
  if (count == 0) {
    flags &= ~F_IN_ACTION;
    return 0;
  }
  auto* item = new DlgUndoItem_ACTION(this);
  count = count - 1;
  item->count = count;
  item->Log("EndAction");
  flags &= ~F_IN_ACTION;
  return 1;
}

void DlgUndoAnchor::Clear() {
  while (head) delete head;
  flags = F_MODIFIED_BEFORE;
  count = 0;
}

void DlgUndoAnchor::Adopt(DlgUndoItem* item) {
  SYS_ASSERT(item);
  DlgUndoAnchor* from = item->anchor;
  if (!item->prev) {
    SYS_ASSERT(item->anchor->head == item);
    from->head = item->next;
  } else {
    item->prev->next = item->next;
  }
  if (!item->next) {
    SYS_ASSERT(item->anchor->tail == item);
    from->tail = item->prev;
  } else {
    item->next->prev = item->prev;
  }
  item->next = nullptr;
  item->prev = tail;
  if (tail) {
    tail->next = item;
  } else {
    SYS_ASSERT(!head);
    head = item;
  }
  tail = item;
  item->anchor = this;
  if (Test(F_IN_ACTION)) ++count;
}

std::unique_ptr<DlgUndoItem> DlgUndoAnchor::TakeTail() {
  DlgUndoItem* item = tail;
  if (!item) return nullptr;
  tail = item->prev;
  if (tail) {
    tail->next = nullptr;
  } else {
    head = nullptr;
  }
  item->prev = item->next = nullptr;
  item->anchor = nullptr;
  return std::unique_ptr<DlgUndoItem>(item);
}

void DlgUndoAnchor::MarkAllModified() {
  flags |= F_MODIFIED_BEFORE;
  for (DlgUndoItem* i = head; i; i = i->next) {
    if (!i->IsAction()) i->flags |= DlgUndoItem::F_MODIFIED_BEFORE;
  }
}

void DlgUndoAnchor::MarkCleanAtTailGroup() {
  bool cleared = false;
  for (DlgUndoItem* i = tail; i; i = i->prev) {
    if (i->IsAction()) continue;
    if (!cleared && (!i->prev || i->prev->IsAction())) {
      i->flags &= ~DlgUndoItem::F_MODIFIED_BEFORE;
      cleared = true;
    } else {
      i->flags |= DlgUndoItem::F_MODIFIED_BEFORE;
    }
  }
}

void DlgUndoAnchor::MarkCleanAfterTailGroup() {
  DlgUndoItem* item = tail;
  SYS_ASSERT(item);
  SYS_ASSERT(item->IsAction());
  DlgUndoItem* i = item->prev;
  for (; i && !i->IsAction(); i = i->prev) i->flags |= DlgUndoItem::F_MODIFIED_BEFORE;
  if (!i || !i->prev) {
    flags &= ~F_MODIFIED_BEFORE;
    return;
  }
  bool cleared = false;
  for (i = i->prev; i; i = i->prev) {
    if (i->IsAction()) continue;
    if (!cleared) {
      i->flags &= ~DlgUndoItem::F_MODIFIED_BEFORE;
      cleared = true;
    } else {
      i->flags |= DlgUndoItem::F_MODIFIED_BEFORE;
    }
  }
  flags |= F_MODIFIED_BEFORE;
}

// DlgUndoItem

DlgUndoItem::DlgUndoItem(DlgUndoAnchor* anch) {
  SYS_ASSERT(anch);
  SYS_ASSERT(anch->root);
  DlgDocument* doc = anch->root->Document();
  SYS_ASSERT(doc);
  SYS_ASSERT(anch->Test(DlgUndoAnchor::F_IN_ACTION));
  prev = anch->tail;
  if (anch->tail) {
    anch->tail->next = this;
  } else {
    anch->head = this;
  }
  anch->tail = this;
  flags = 0;
  anchor = anch;
  ++anch->count;
  if (doc->IsModified()) {
    flags |= F_MODIFIED_BEFORE;
  } else {
    for (DlgUndoItem* i = prev; i; i = i->prev) i->flags |= F_MODIFIED_BEFORE;
  }
}

DlgUndoItem::~DlgUndoItem() {
  if (!anchor) return;  // taken off its list (DlgUndoAnchor::TakeTail)
  if (!prev) {
    SYS_ASSERT(anchor->head == this);
    anchor->head = next;
  } else {
    prev->next = next;
  }
  if (!next) {
    SYS_ASSERT(anchor->tail == this);
    anchor->tail = prev;
  } else {
    next->prev = prev;
  }
}

DlgDocument* DlgUndoItem::Doc() const {
  DlgDocument* doc = anchor->root->Document();
  SYS_ASSERT(doc);
  return doc;
}

void DlgUndoItem::UndoAction() {
  Log("UndoAction");
  Step(true);
  FinishUndo();
}

void DlgUndoItem::RedoAction() {
  Log("RedoAction");
  Step(false);
  FinishRedo();
}

void DlgUndoItem::FinishUndo() {
  if (!prev || prev->IsAction()) Doc()->SetModifiedFlag(Test(F_MODIFIED_BEFORE));
  anchor->root->RedoList().Adopt(this);
}

void DlgUndoItem::FinishRedo() {
  if (!prev) {
    Doc()->SetModifiedFlag(anchor->Test(DlgUndoAnchor::F_MODIFIED_BEFORE));
  } else if (prev->IsAction() && prev->prev) {
    Doc()->SetModifiedFlag(prev->prev->Test(F_MODIFIED_BEFORE));
  }
  anchor->root->UndoList().Adopt(this);
}

// ACTION

void DlgUndoItem_ACTION::UndoAction() {
  // The list has handed this record to the caller already, which frees it
  // once the group is replayed.
  SYS_ASSERT(!anchor);
  DlgRootAnchor* root = root_;
  SYS_ASSERT(root);
  Log("UndoAction");
  DlgUndoAnchor& undo = root->UndoList();
  DlgUndoAnchor& redo = root->RedoList();
  const int32_t n = count;
  redo.BeginAction();
  for (int32_t k = 0; k < n; ++k) {
    DlgUndoItem* item = undo.tail;
    SYS_ASSERT(item);
    item->UndoAction();
  }
  redo.EndAction();
}

void DlgUndoItem_ACTION::RedoAction() {
  // The list has handed this record to the caller already, which frees it
  // once the group is replayed.
  SYS_ASSERT(!anchor);
  DlgRootAnchor* root = root_;
  SYS_ASSERT(root);
  Log("RedoAction");
  DlgUndoAnchor& undo = root->UndoList();
  DlgUndoAnchor& redo = root->RedoList();
  const int32_t n = count;
  undo.BeginAction();
  for (int32_t k = 0; k < n; ++k) {
    DlgUndoItem* item = redo.tail;
    SYS_ASSERT(item);
    item->RedoAction();
  }
  undo.EndAction();
}

void DlgUndoItem_ACTION::Log(const char* prefix) {
  if (Tracing()) Diag_Trace('U', 2, "%s: ACTION count=%d", prefix, count);
}

// ANCHOR

DlgUndoItem_ANCHOR::DlgUndoItem_ANCHOR(DlgUndoAnchor* anch, DlgAnchor* dlg_anchor, int linked) : DlgUndoItem(anch) {
  SYS_ASSERT(dlg_anchor);
  id = dlg_anchor->Id();
  prev_id = dlg_anchor->prev ? dlg_anchor->prev->Id() : 0;
  if (!linked) flags |= F_OBJECT_UNLINKED;
}

void DlgUndoItem_ANCHOR::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2, "%s: %s ANCHOR id=%lu, prev=%lu", prefix, Test(F_OBJECT_UNLINKED) ? "LINK" : "UNLINK",
               static_cast<unsigned long>(id), static_cast<unsigned long>(prev_id));
  }
}

void DlgUndoItem_ANCHOR::Step(bool) {
  DlgRootAnchor* root = anchor->root;
  if (!Test(F_OBJECT_UNLINKED)) {
    SYS_ASSERT(!Test(F_OBJECT_UNLINKED));
    DlgAnchor* dlg_anch = root->FindAnchor(id);
    SYS_ASSERT(dlg_anch);
    Doc()->CloseAnchorViews(dlg_anch);
    delete dlg_anch;
    flags |= F_OBJECT_UNLINKED;
  } else {
    SYS_ASSERT(Test(F_OBJECT_UNLINKED));
    new DlgAnchor(root, id, prev_id);
    flags &= ~F_OBJECT_UNLINKED;
  }
}

// OBJECT

DlgUndoItem_OBJECT::DlgUndoItem_OBJECT(DlgUndoAnchor* anch, DlgObject* object, int linked)
    : DlgUndoItem(anch), obj(object) {
  SYS_ASSERT(obj);
  anchor_id = obj->Anchor() ? obj->Anchor()->Id() : 0;
  if (!linked) UnlinkObject();
}

DlgUndoItem_OBJECT::~DlgUndoItem_OBJECT() {
  if (Test(F_OBJECT_UNLINKED) && obj) {
    // The anchor it came from may be gone: the object leaves with none.
    obj->SetAnchor(nullptr);
    delete obj;
  }
}

void DlgUndoItem_OBJECT::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2, "%s: %s OBJECT id=%lu, name=\"%s\"", prefix, Test(F_OBJECT_UNLINKED) ? "LINK" : "UNLINK",
               static_cast<unsigned long>(obj->Id()), obj->Name());
  }
}

void DlgUndoItem_OBJECT::Step(bool) {
  if (Test(F_OBJECT_UNLINKED)) {
    LinkObject();
  } else {
    UnlinkObject();
  }
}

void DlgUndoItem_OBJECT::UnlinkObject() {
  DlgRootAnchor* root = anchor->root;
  SYS_ASSERT(root);
  DlgDocument* doc = root->Document();
  SYS_ASSERT(doc);
  DlgAnchor* dlg_anch = obj->Anchor();
  SYS_ASSERT(dlg_anch);
  DlgView* view = ViewFor(doc, dlg_anch);
  DlgContextBracket bracket(dlg_anch, view);
  doc->XrefRemove(obj);
  doc->PropertiesDrop(obj);
  if (obj->prev) {
    place = obj->prev;
    flags |= F_AFTER_SIBLING;
  } else {
    place = obj->Parent();
    flags &= ~F_AFTER_SIBLING;
  }
  anchor_id = dlg_anch->Id();
  obj->Invalidate();
  obj->DestroyCtrlWnd();
  obj->Deselect();
  obj->Unlink();
  flags |= F_OBJECT_UNLINKED;
}

void DlgUndoItem_OBJECT::LinkObject() {
  DlgRootAnchor* root = anchor->root;
  DlgAnchor* dlg_anch = root->FindAnchor(anchor_id);
  SYS_ASSERT(dlg_anch);
  obj->SetAnchor(dlg_anch);
  if (Test(F_AFTER_SIBLING)) {
    obj->Link(place, DLG_LINK_AFTER);
  } else {
    obj->Link(place, DLG_LINK_FIRST_CHILD);
  }
  DlgDocument* doc = Doc();
  DlgView* view = ViewFor(doc, dlg_anch);
  DlgContextBracket bracket(dlg_anch, view);
  obj->Invalidate();
  obj->ListInXref();
  flags &= ~F_OBJECT_UNLINKED;
}

// PROP

DlgUndoItem_PROP::DlgUndoItem_PROP(DlgUndoAnchor* anch, DlgObject* object, const prop_def* prop_def_in,
                                   const prop_val* old_value, int32_t old_handle, const prop_val* new_value,
                                   int32_t new_handle)
    : DlgUndoItem(anch), obj(object), old_chdl(old_handle), new_chdl(new_handle) {
  SYS_ASSERT(prop_def_in);
  SYS_ASSERT(prop_def_in->name);
  SYS_ASSERT(prop_def_in->category);
  def.Set(prop_def_in);
  if (old_value) old_val = PropVal_NewCopy(old_value);
  if (new_value) new_val = PropVal_NewCopy(new_value);
}

DlgUndoItem_PROP::~DlgUndoItem_PROP() {
  if (old_val) PropVal_Delete(old_val);
  if (new_val) PropVal_Delete(new_val);
}

void DlgUndoItem_PROP::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2, "%s: PROP name=\"%s\", old_val=%s, old_chdl=%d, new_val=%s, new_chdl=%d", prefix,
               def.Get()->name, ValueText(old_val).c_str(), old_chdl, ValueText(new_val).c_str(), new_chdl);
  }
}

void DlgUndoItem_PROP::Step(bool undo) {
  DlgDocument* doc = Doc();
  DlgView* view = ViewFor(doc, obj->Anchor());
  view->SelectObject(obj);
  doc->SetPropValue(obj, def.Get(), undo ? old_val : new_val, undo ? old_chdl : new_chdl);
  doc->ShowProperty(obj, def.Get());
}

// ORDER

DlgUndoItem_ORDER::DlgUndoItem_ORDER(DlgUndoAnchor* anch, DlgObject* object, DlgObject* old_parent,
                                     DlgObject* old_sibling, DlgObject* new_parent, DlgObject* new_sibling)
    : DlgUndoItem(anch),
      obj(object),
      undo_parent(old_parent),
      undo_after(old_sibling),
      redo_parent(new_parent),
      redo_after(new_sibling) {}

void DlgUndoItem_ORDER::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2,
               "%s: ORDER name=\"%s\", undo_obj=\"%s\", undo_insert_after=\"%s\", redo_obj=\"%s\", "
               "redo_insert_after=\"%s\"",
               prefix, obj->Name(), NameOf(undo_parent), NameOf(undo_after), NameOf(redo_parent), NameOf(redo_after));
  }
}

void DlgUndoItem_ORDER::Step(bool undo) {
  DlgAnchor* dlg_anch = obj->Anchor();
  DlgView* view = ViewFor(Doc(), dlg_anch);
  DlgContextBracket bracket(dlg_anch, view);
  dlg_anch->ClearSelection();
  if (undo) {
    obj->Reorder(undo_parent, undo_after);
  } else {
    obj->Reorder(redo_parent, redo_after);
  }
  obj->Select();
}

// COORD

DlgUndoItem_COORD::DlgUndoItem_COORD(DlgUndoAnchor* anch, DlgObject* object, int idx, int32_t old_value,
                                     int32_t new_value)
    : DlgUndoItem(anch), obj(object), coord_idx(idx), old_val(old_value), new_val(new_value) {}

void DlgUndoItem_COORD::Log(const char* prefix) {
  if (!Tracing()) return;
  static const char* const kNames[4] = {"x", "y", "width", "height"};
  if (coord_idx < 0 || coord_idx > 3) SYS_ASSERT(!"DlgUndoItem_COORD::Log() idx out of range");
  const char* name = kNames[coord_idx];
  Diag_Trace('U', 2, "%s: COORD name=\"%s\", old_%s=%d, new_%s=%d", prefix, obj->Name(), name, old_val, name, new_val);
}

void DlgUndoItem_COORD::Step(bool undo) {
  DlgView* view = ViewFor(Doc(), obj->Anchor());
  view->SelectObject(obj);
  view->SetCoord(undo ? old_val : new_val, coord_idx);
}

// MOVE

DlgUndoItem_MOVE::DlgUndoItem_MOVE(DlgUndoAnchor* anch, DlgObject* object, DlgObject* old_parent,
                                   DlgObject* old_sibling, DlgObject* new_parent, DlgObject* new_sibling,
                                   const DlgRect& old_rect, const DlgRect& new_rect)
    : DlgUndoItem(anch),
      obj(object),
      undo_parent(old_parent),
      undo_after(old_sibling),
      redo_parent(new_parent),
      redo_after(new_sibling) {
  DlgPoint o = OriginOf(obj);
  old_rc = old_rect.Offset(-o.x, -o.y);
  new_rc = new_rect.Offset(-o.x, -o.y);
}

void DlgUndoItem_MOVE::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2, "%s: MOVE name=\"%s\", old_pos=(%d,%d), new_pos=(%d,%d)", prefix, obj->Name(), old_rc.left,
               old_rc.top, new_rc.left, new_rc.top);
  }
}

void DlgUndoItem_MOVE::Step(bool undo) {
  DlgDocument* doc = Doc();
  DlgAnchor* dlg_anch = obj->Anchor();
  DlgView* view = ViewFor(doc, dlg_anch);
  doc->SetMoving(1);
  {
    DlgContextBracket bracket(dlg_anch, view);
    dlg_anch->ClearSelection();
    if (undo_parent && redo_parent) {
      if (undo) {
        obj->Reorder(undo_parent, undo_after);
      } else {
        obj->Reorder(redo_parent, redo_after);
      }
    }
    DlgPoint o = OriginOf(obj);
    DlgRect r = (undo ? old_rc : new_rc).Offset(o.x, o.y);
    DlgRect current = obj->GetCanvasRect();
    obj->MoveRect(&r, &current);
  }
  doc->SetMoving(0);
}

// RESIZE

DlgUndoItem_RESIZE::DlgUndoItem_RESIZE(DlgUndoAnchor* anch, DlgObject* object, const DlgRect& old_rect,
                                       const DlgRect& new_rect)
    : DlgUndoItem(anch), obj(object) {
  DlgPoint o = OriginOf(obj);
  old_rc = old_rect.Offset(-o.x, -o.y);
  new_rc = new_rect.Offset(-o.x, -o.y);
}

void DlgUndoItem_RESIZE::Log(const char* prefix) {
  if (Tracing()) {
    Diag_Trace('U', 2, "%s: RESIZE name=\"%s\", old_size=(%d,%d), new_size=(%d,%d)", prefix, obj->Name(),
               old_rc.Width(), old_rc.Height(), new_rc.Width(), new_rc.Height());
  }
}

void DlgUndoItem_RESIZE::Step(bool undo) {
  DlgAnchor* dlg_anch = obj->Anchor();
  DlgView* view = ViewFor(Doc(), dlg_anch);
  DlgContextBracket bracket(dlg_anch, view);
  dlg_anch->ClearSelection();
  obj->Select();
  DlgSelection* item = obj->Tracker();
  SYS_ASSERT(item);
  DlgPoint o = OriginOf(obj);
  if (undo) {
    item->Replay(new_rc.Offset(o.x, o.y), old_rc.Offset(o.x, o.y));
  } else {
    item->Replay(old_rc.Offset(o.x, o.y), new_rc.Offset(o.x, o.y));
  }
}
