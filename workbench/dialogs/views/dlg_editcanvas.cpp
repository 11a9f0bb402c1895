#include "workbench/dialogs/views/dlg_editcanvas.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_selection.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

// Object flags of templates (see the palette).
constexpr uint32_t kCanBeRoot = 1u << 16;
constexpr uint32_t kAlwaysRoot = 1u << 17;
constexpr uint32_t kTemplate = 1u << 19;
constexpr uint32_t kClassDefault = 1u << 21;

const char* const kCoordNames[4] = {"X", "Y", "Width", "Height"};

bool ReadOnly(DlgAnchor* anchor) { return (anchor->Root()->Flags() & F_READ_ONLY) != 0; }

bool Shown(const DlgObject* obj) {
  for (const DlgObject* o = obj; o->Parent(); o = o->Parent()) {
    if (!o->HasFlag(DLG_F_SHOWN)) return false;
  }
  return true;
}

bool IsSelected(const DlgAnchor* anchor, const DlgObject* obj) {
  for (DlgSelection* s = anchor->sel_head; s; s = s->next) {
    if (s->Object() == obj) return true;
  }
  return false;
}

}  // namespace

DlgEditCanvas::DlgEditCanvas(CDlgEditDoc* doc, DlgAnchor* anchor) : doc_(doc), m_pAnchor(anchor) {
  SYS_ASSERT(doc);
  SYS_ASSERT(m_pAnchor);
  doc_->AddView(this);
  m_pAnchor->SetView(this);
  // The dialog takes its geometry from its properties when it is first
  // shown; that is no edit.
  if (DlgObject* root_obj = m_pAnchor->RootObject()) {
    const bool modified = doc_->IsModified();
    DlgContextBracket bracket(m_pAnchor, this);
    root_obj->ApplyGeometryProps(1);
    doc_->SetModifiedFlag(modified);
  }
}

DlgEditCanvas::~DlgEditCanvas() { Close(); }

DlgDocument* DlgEditCanvas::Document() { return doc_; }

void DlgEditCanvas::Close() {
  if (!m_pAnchor) return;
  doc_->RemoveView(this);
  m_pAnchor->ViewClosed(this);
  m_pAnchor = nullptr;
}

void DlgEditCanvas::SetOrigin(DlgPoint origin) {
  origin_ = origin;
  if (m_pAnchor) m_pAnchor->SetOrigin(origin);
}

DlgObject* DlgEditCanvas::Primary() const {
  return m_pAnchor && m_pAnchor->sel_head ? m_pAnchor->sel_head->Object() : nullptr;
}

void DlgEditCanvas::SelectObject(DlgObject* obj) {
  SYS_ASSERT(m_pAnchor);
  DlgContextBracket bracket(m_pAnchor, this);
  m_pAnchor->ClearSelection();
  if (obj && Shown(obj)) obj->Select();
  m_pAnchor->RefreshTrackers();
}

void DlgEditCanvas::SetCoord(int32_t value, int coord_idx) {
  SYS_ASSERT(coord_idx >= 0);
  SYS_ASSERT(coord_idx < 4);
  SYS_ASSERT(m_pAnchor);
  DlgRootAnchor* root = m_pAnchor->Root();
  DlgObject* obj = Primary();
  if (ReadOnly(m_pAnchor) || !obj) return;
  DlgContextBracket bracket(m_pAnchor, this);
  int32_t v[4];
  obj->GetGeometry(&v[0], &v[1], &v[2], &v[3]);
  const int32_t old_value = v[coord_idx];
  v[coord_idx] = value;
  if (root->ClearRedo() && root->BeginUndo()) {
    if (coord_idx >= 2 && value < 0) {
      doc_->StatusError("Unable to set negative object dimension.");
      doc_->Beep();
      root->EndUndo();
      return;
    }
    new DlgUndoItem_COORD(&root->UndoList(), obj, coord_idx, old_value, value);
    doc_->SetModifiedFlag(true);
    root->EndUndo();
    char msg[512];
    std::snprintf(msg, sizeof msg, "%s: %s set to %d.", obj->GetPath().c_str(), kCoordNames[coord_idx], value);
    doc_->StatusText(msg);
  }
  m_pAnchor->ClearSelection();
  obj->SetGeometry(v[0], v[1], v[2], std::max(0, v[3]));
  obj->Select();
}

int DlgEditCanvas::CanDeleteSelection() const {
  if (!m_pAnchor || ReadOnly(m_pAnchor)) return 0;
  for (DlgSelection* s = m_pAnchor->sel_head; s; s = s->next) {
    if (!s->Object()->HasFlag(DLG_F_TEMPLATE_CHILD)) return 1;
  }
  return 0;
}

int DlgEditCanvas::ConfirmDeleteDialog() {
  DlgObject* root_obj = m_pAnchor->RootObject();
  std::string text = std::string("You are about to delete the dialog ") + (root_obj ? root_obj->Name() : "") +
                     "\nand all its children.\n\nDo you want to continue?";
  int answer = Shell_Sink().message_box(nullptr, nullptr, text.c_str(),
                                        SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2);
  return answer == SHELL_IDYES ? 1 : 0;
}

void DlgEditCanvas::DeleteSelection() {
  SYS_ASSERT(m_pAnchor);
  SYS_ASSERT(m_pAnchor->Root());
  if (ReadOnly(m_pAnchor) || !m_pAnchor->sel_head) return;
  DlgObject* root_obj = m_pAnchor->RootObject();
  if (root_obj && IsSelected(m_pAnchor, root_obj)) {
    DeleteObject(root_obj);
    return;
  }
  DlgRootAnchor* root = m_pAnchor->Root();
  if (!root->ClearRedo() || !root->BeginUndo()) return;
  DlgDoc_Notify().WaitCursor(true);
  {
    DlgContextBracket bracket(m_pAnchor, this);
    m_pAnchor->DeleteSelected();
  }
  DlgDoc_Notify().WaitCursor(false);
  root->EndUndo();
}

void DlgEditCanvas::DeleteObject(DlgObject* pObj) {
  SYS_ASSERT(pObj);
  if (!m_pAnchor || ReadOnly(m_pAnchor) || pObj->HasFlag(DLG_F_TEMPLATE_CHILD)) return;
  if (!pObj->Parent()) {
    // The whole dialog: its views close, and the document records its
    // removal when the last of them has gone.
    if (!ConfirmDeleteDialog()) return;
    DlgAnchor* anchor = m_pAnchor;
    doc_->ActivateAnchorView(anchor, 0);
    anchor->ClearSelection();
    anchor->SetOptions(anchor->Options() | DLG_ANCHOR_REMOVE);
    doc_->CloseAnchorViews(anchor);
    return;
  }
  DlgRootAnchor* root = m_pAnchor->Root();
  if (!root->ClearRedo() || !root->BeginUndo()) return;
  {
    DlgContextBracket bracket(m_pAnchor, this);
    new DlgUndoItem_OBJECT(&root->UndoList(), pObj, 0);
  }
  doc_->SetModifiedFlag(true);
  root->EndUndo();
}

void DlgEditCanvas::ToggleHidden(DlgObject* obj) {
  SYS_ASSERT(obj);
  DlgContextBracket bracket(obj->Anchor(), this);
  obj->Invalidate();
  obj->SetFlags(obj->Flags() ^ DLG_F_SHOWN);
  obj->Invalidate();
}

void DlgEditCanvas::ToggleVisibility() {
  DlgObject* obj = Primary();
  if (!obj || ReadOnly(m_pAnchor)) return;
  const bool shown = obj->HasFlag(DLG_F_SHOWN);
  doc_->ToggleVisible(obj);
  // A plug-in whose "visible" does not show on the object leaves the flip
  // to the designer.
  if (obj->HasFlag(DLG_F_SHOWN) == shown) ToggleHidden(obj);
  DlgDoc_Notify().XrefSelect(doc_, obj);
}

void DlgEditCanvas::ReorderObject(DlgObject* pObj, DlgObject* parent, DlgObject* insert_after) {
  SYS_ASSERT(pObj);
  SYS_ASSERT(m_pAnchor == pObj->Anchor());
  if (ReadOnly(m_pAnchor)) return;
  DlgRootAnchor* root = m_pAnchor->Root();
  DlgContextBracket bracket(m_pAnchor, this);
  m_pAnchor->ClearSelection();
  const bool recording = root->ClearRedo() && root->BeginUndo();
  const int changed = pObj->Reorder(parent, insert_after);
  if (changed) doc_->SetModifiedFlag(true);
  if (recording) root->EndUndo();
  pObj->Select();
}

void DlgEditCanvas::SelectAll() {
  SYS_ASSERT(m_pAnchor);
  DlgObject* root_obj = m_pAnchor->RootObject();
  if (!root_obj) return;
  DlgContextBracket bracket(m_pAnchor, this);
  const DlgRect r = root_obj->GetCanvasRect();
  m_pAnchor->SelectInRect(&r);
  // Only the root's own selection goes (Deselect would take the children's).
  if (m_pAnchor->sel_head && m_pAnchor->sel_head->next) delete root_obj->Tracker();
  m_pAnchor->RefreshTrackers();
}

void DlgEditCanvas::DeselectAll() {
  if (m_pAnchor) m_pAnchor->ClearSelection();
}

void DlgEditCanvas::Undo() {
  DlgRootAnchor* root = m_pAnchor->Root();
  if (!root->CanUndo()) return;
  doc_->StatusText("Undoing...");
  DlgDoc_Notify().WaitCursor(true);
  root->Undo();
  DlgDoc_Notify().WaitCursor(false);
  doc_->StatusText("Undo completed.");
}

void DlgEditCanvas::Redo() {
  DlgRootAnchor* root = m_pAnchor->Root();
  if (!root->CanRedo()) return;
  doc_->StatusText("Redoing...");
  DlgDoc_Notify().WaitCursor(true);
  root->Redo();
  DlgDoc_Notify().WaitCursor(false);
  doc_->StatusText("Redo completed.");
}

DlgObject* DlgEditCanvas::ObjectAt(DlgPoint point, unsigned keys) {
  DlgContextBracket bracket(m_pAnchor, this);
  DlgObject* obj = m_pAnchor->HitTest(point);
  if (obj && (keys & DLG_KEY_ALT) && obj->Parent()) obj = obj->Parent();
  return obj;
}

void DlgEditCanvas::ClickSelect(DlgObject* obj, unsigned keys, bool dbl) {
  properties_requested_ = false;
  DlgContextBracket bracket(m_pAnchor, this);
  const bool shift = (keys & DLG_KEY_SHIFT) != 0;
  const bool ctrl = (keys & DLG_KEY_CTRL) != 0;
  if (!shift && !ctrl) m_pAnchor->ClearSelection();
  if (!obj) return;
  if (ctrl && obj->Tracker()) {
    obj->Deselect();
    m_pAnchor->RefreshTrackers();
    return;
  }
  if (shift && m_pAnchor->sel_tail) {
    const DlgRect r = m_pAnchor->sel_tail->Object()->GetCanvasRect().Union(obj->GetCanvasRect());
    m_pAnchor->SelectInRect(&r);
  } else {
    obj->Select();
    if (dbl && !ctrl) properties_requested_ = true;
  }
  m_pAnchor->RefreshTrackers();
}

void DlgEditCanvas::BandSelect(const DlgRect& band, unsigned keys) {
  DlgRect r{std::min(band.left, band.right), std::min(band.top, band.bottom), std::max(band.left, band.right),
            std::max(band.top, band.bottom)};
  if (r.Width() > 1 && r.Height() > 1) {
    DlgContextBracket bracket(m_pAnchor, this);
    if (!(keys & (DLG_KEY_SHIFT | DLG_KEY_CTRL))) m_pAnchor->ClearSelection();
    m_pAnchor->SelectInRect(&r);
    m_pAnchor->RefreshTrackers();
    return;
  }
  ClickSelect(ObjectAt({band.left, band.top}, keys), keys, false);
}

int DlgEditCanvas::Press(DlgPoint point, unsigned keys, bool dbl) {
  if (ReadOnly(m_pAnchor)) return 0;
  DlgContextBracket bracket(m_pAnchor, this);
  DlgSelection* hit = m_pAnchor->TrackerAt(this, point);
  if (!hit || !hit->Object()->Parent() || !hit->Rect().Contains(point)) return 0;
  DlgObject* under = ObjectAt(point, keys);
  if (under != hit->Object()) return 0;
  drag_obj_ = hit->Object();
  start_ = last_ = point;
  m_pAnchor->GetSelectionBounds(&drag_bounds_);
  drag_dbl_ = dbl;
  drag_started_ = false;
  captured_ = true;
  return 1;
}

void DlgEditCanvas::MouseMove(DlgPoint point) {
  if (!captured_) return;
  int32_t dx = point.x - last_.x;
  int32_t dy = point.y - last_.y;
  if (dx == 0 && dy == 0) return;
  if (!drag_started_) {
    if (std::abs(point.x - start_.x) <= 2 && std::abs(point.y - start_.y) <= 2) return;
    drag_started_ = true;
    for (DlgSelection* s = m_pAnchor->sel_head; s; s = s->next) s->SetDragSnapshot();
  }
  DlgObject* root_obj = m_pAnchor->RootObject();
  DlgContextBracket bracket(m_pAnchor, this);
  const DlgRect limits = root_obj->GetCanvasRect();
  DlgRect moved = drag_bounds_.Offset(dx, dy);
  int32_t cx = 0, cy = 0;
  if (moved.left < limits.left) cx = limits.left - moved.left;
  if (moved.right + cx > limits.right) cx = limits.right - moved.right;
  if (moved.top < limits.top) cy = limits.top - moved.top;
  if (moved.bottom + cy > limits.bottom) cy = limits.bottom - moved.bottom;
  dx += cx;
  dy += cy;
  point = {point.x + cx, point.y + cy};
  if (point.x == last_.x && point.y == last_.y) return;
  drag_bounds_ = drag_bounds_.Offset(dx, dy);
  for (DlgSelection* s = m_pAnchor->sel_head; s; s = s->next) s->DragStep(dx, dy);
  last_ = point;
}

void DlgEditCanvas::Release(DlgPoint point, unsigned keys) {
  if (!captured_) return;
  MouseMove(point);
  captured_ = false;
  if (drag_started_) {
    if (point.x != start_.x || point.y != start_.y) {
      CommitDrag();
    } else {
      CancelDrag();
    }
  } else {
    ClickSelect(drag_obj_, keys, drag_dbl_);
  }
  drag_obj_ = nullptr;
  drag_started_ = false;
}

void DlgEditCanvas::CancelDrag() {
  for (DlgSelection* s = m_pAnchor->sel_head; s; s = s->next) s->SetDragSnapshot();
}

void DlgEditCanvas::CommitDrag() {
  DlgRootAnchor* root = m_pAnchor->Root();
  std::vector<DlgObject*> moved;
  const bool recording = root->ClearRedo() && root->BeginUndo();
  doc_->SetMoving(1);
  {
    DlgContextBracket bracket(m_pAnchor, this);
    for (DlgSelection* s = m_pAnchor->sel_tail; s; s = s->prev) {
      if (!(s->DragFlags() & DLG_DRAG_MOVED)) continue;
      s->Object()->MoveTo(s->SnappedRect());
      moved.push_back(s->Object());
    }
    for (DlgSelection* s = m_pAnchor->sel_head; s; s = s->next) {
      s->TakeParent(s->Object()->Parent());
      s->SyncFromObject();
      s->SetDragSnapshot();
    }
  }
  doc_->SetMoving(0);
  if (recording) root->EndUndo();
  for (DlgObject* obj : moved) doc_->SyncGeometryProps(obj);
}

DlgObject* DlgEditCanvas::DropTarget(DlgObject* pTmplObj, DlgPoint point, unsigned keys) {
  if (!m_pAnchor || ReadOnly(m_pAnchor) || !pTmplObj) return nullptr;
  DlgRootAnchor* tmpl_root = pTmplObj->RootAnchor();
  if (!tmpl_root || tmpl_root->Document() != doc_) return nullptr;
  for (DlgObject* o = ObjectAt(point, keys); o; o = o->Parent()) {
    if (o->IsContainer() && o != pTmplObj) return o;
  }
  return nullptr;
}

int DlgEditCanvas::Drop(DlgObject* pTmplObj, DlgPoint point, unsigned keys) {
  if (!m_pAnchor || ReadOnly(m_pAnchor) || !pTmplObj) return 0;
  DlgRootAnchor* tmpl_root = pTmplObj->RootAnchor();
  if (!tmpl_root || tmpl_root->Document() != doc_) return 0;
  DlgObject* container = DropTarget(pTmplObj, point, keys);
  return InsertFromTemplate(pTmplObj, point, container) ? 1 : 0;
}

DlgObject* DlgEditCanvas::InsertFromTemplate(DlgObject* pTmplObj, DlgPoint point, DlgObject* container) {
  SYS_ASSERT(pTmplObj);
  if (pTmplObj->HasFlag(kAlwaysRoot)) container = nullptr;
  if (!container && !pTmplObj->HasFlag(kCanBeRoot | kAlwaysRoot)) {
    doc_->StatusError("This object cannot be used as a root object");
    return nullptr;
  }
  if (!container) SYS_ASSERT(pTmplObj->HasFlag(kTemplate | kClassDefault));
  DlgRootAnchor* root = &doc_->Root();
  DlgAnchor* anchor = container ? container->Anchor() : new DlgAnchor(root);
  DlgView* pView = container ? doc_->ActivateAnchorView(anchor, 0) : nullptr;
  if (!pView) pView = this;

  DlgObject* obj = pTmplObj->Clone(anchor, container, DLG_LINK_LAST_CHILD, "Untitled1");
  // A class default object (named "~" and its class) is copied; any other
  // template becomes the new object's template, children and all.
  if (pTmplObj->Name()[0] != '~') {
    obj->SetTemplate(pTmplObj);
    pTmplObj->InstantiateChildren(anchor, obj);
  }
  obj->SetFlags((obj->Flags() & ~(kTemplate | kClassDefault | kAlwaysRoot | DLG_F_TEMPLATE_CHILD)) | DLG_F_SELECTABLE |
                DLG_F_SHOWN);
  char name[32];
  for (int n = 1;; ++n) {
    std::snprintf(name, sizeof name, "%s%d", "Untitled", n);
    if (obj->SetName(name)) break;
  }
  if (!container) {
    pView = doc_->ActivateAnchorView(anchor, 1);
    SYS_ASSERT(pView);
  }

  // Size: the width and height properties when set, else the default.
  int32_t w = 10, h = 1;
  const PluginCallbacks* cb = doc_->Plugin();
  if (cb && cb->DefaultSize) {
    int dw = 10, dh = 1;
    cb->DefaultSize(obj->ClassName(), &dw, &dh);
    w = dw;
    h = dh;
  }
  for (const DlgObject* o : {static_cast<const DlgObject*>(obj), static_cast<const DlgObject*>(pTmplObj)}) {
    DlgPropValue* pw = o->Props().FindNative(PROP_NATIVE_WIDTH, true);
    DlgPropValue* ph = o->Props().FindNative(PROP_NATIVE_HEIGHT, true);
    if (pw && pw->Val().type == VAL_INT) w = pw->Val().data.num;
    if (ph && ph->Val().type == VAL_INT) h = ph->Val().data.num;
    if (pw || ph) break;
  }
  {
    DlgContextBracket bracket(anchor, pView);
    int32_t x = 0, y = 0;
    if (container) {
      const DlgRect c = container->GetCanvasRect();
      x = obj->ToUnitX(point.x - c.left);
      y = obj->ToUnitY(point.y - c.top);
    }
    // The new object keeps its place and size in its geometry properties,
    // as a loaded one does: without them in use, a save would write it
    // without a position and later moves would not reach the file.
    obj->SetFlags(obj->Flags() & ~DLG_F_GEOMETRY_TAKEN);
    obj->ApplyGeometryProps(0);
    obj->SetGeometry(x, y, w, h);
    doc_->SyncGeometryProps(obj);
    anchor->ClearSelection();
    obj->Select();
    if (root->ClearRedo() && root->BeginUndo()) {
      if (!container) new DlgUndoItem_ANCHOR(&root->UndoList(), anchor, 1);
      new DlgUndoItem_OBJECT(&root->UndoList(), obj, 1);
      doc_->SetModifiedFlag(true);
      root->EndUndo();
    }
  }
  obj->ListInXref();
  doc_->SetModifiedFlag(true);
  return obj;
}
