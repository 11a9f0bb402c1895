#include "workbench/dialogs/model/dlg_obj.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_container.h"
#include "workbench/dialogs/model/dlg_font.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"

namespace {

// Object ids are process-wide and never reused.
uint32_t object_id_counter = 0;

char* DupOrNull(const char* text) { return text ? strdup(text) : nullptr; }

// Pixel values are kept within +-DLG_COORD_MAX, whatever a dialog file
// says, so that sums of a few of them never overflow.
int32_t Clamp(int64_t v) {
  if (v > DLG_COORD_MAX) return DLG_COORD_MAX;
  if (v < -DLG_COORD_MAX) return -DLG_COORD_MAX;
  return static_cast<int32_t>(v);
}

int32_t Mul(int32_t a, int32_t b) { return Clamp(int64_t{a} * b); }

// Designer flags of the GUI modifiers and the object flags they stand for.
uint32_t DesignerFlags(int bits) {
  uint32_t f = 0;
  if (bits & GUI_F_PLACEHOLDER) f |= DLG_F_PLACEHOLDER;
  if (bits & GUI_F_VCENTER) f |= DLG_F_VCENTER;
  if (bits & GUI_F_CHECK) f |= DLG_F_CHECK;
  if (bits & GUI_F_CHECK_INDETERMINATE) f |= DLG_F_CHECK_INDETERMINATE;
  return f;
}

const char* const kGeometryNames[6] = {"xleft", "ytop", "xright", "ybottom", "width", "height"};

// In-use and drop sets of the six geometry properties (bit i: native 6 + i).
struct GeometryUse {
  unsigned use = 0;
  unsigned drop = 0;
};

enum : unsigned { G_XLEFT = 1, G_YTOP = 2, G_XRIGHT = 4, G_YBOTTOM = 8, G_WIDTH = 16, G_HEIGHT = 32 };

GeometryUse GeometrySets(uint32_t flags, bool attachments) {
  GeometryUse g;
  bool h_done = false;
  bool v_done = false;
  if (attachments) {
    switch (flags & DLG_F_HATTACH_MASK) {
      case 1:
        g.use |= G_XRIGHT | G_WIDTH;
        g.drop |= G_XLEFT;
        h_done = true;
        break;
      case 2:
        g.use |= G_XLEFT | G_XRIGHT;
        g.drop |= G_WIDTH;
        h_done = true;
        break;
      default: break;
    }
    switch (flags & DLG_F_VATTACH_MASK) {
      case 4:
        g.use |= G_YBOTTOM | G_HEIGHT;
        g.drop |= G_YTOP;
        v_done = true;
        break;
      case 8:
        g.use |= G_YTOP | G_YBOTTOM;
        g.drop |= G_HEIGHT;
        v_done = true;
        break;
      default: break;
    }
  }
  if (!h_done) {
    g.use |= G_XLEFT | G_WIDTH;
    g.drop |= G_XRIGHT;
  }
  if (!v_done) {
    g.use |= G_YTOP | G_HEIGHT;
    g.drop |= G_YBOTTOM;
  }
  return g;
}

}  // namespace

DlgObject* DlgObject_FromHandle(obj_hndl h) {
  obj_hndl hndl = h;
  SYS_ASSERT(hndl.data);
  return static_cast<DlgObject*>(hndl.data);
}

obj_hndl DlgObject_Handle(DlgObject* obj) { return obj_hndl{obj}; }

void DlgObject::Init(DlgAnchor* anchor, const char* name) {
  const char* obj_name = name;
  SYS_ASSERT(obj_name);
  id_ = ++object_id_counter;
  anchor_ = anchor;
  obj_name_ = obj_name;
  if (DlgRootAnchor* root = RootAnchor()) props_.SetOptions((root->Flags() & F_CASE_NAMES) ? 1u : 0u);
}

DlgObject::DlgObject(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name) : props_(this) {
  Init(anchor, name);
  Link(ref, mode);
}

DlgObject::DlgObject(const DlgObject& src, DlgAnchor* anchor, DlgObject* ref, int mode, const char* name)
    : props_(this) {
  Init(anchor, name ? name : src.Name());
  tmpl_obj_ = src.tmpl_obj_;
  obj_classrec_ = src.obj_classrec_;
  style_ = src.style_;
  ex_style_ = src.ex_style_;
  font_id_ = src.font_id_;
  flags_ = src.flags_ & ~(DLG_F_LINKED | DLG_F_SEL_TOOK_RECT);
  Link(ref, mode);
  wnd_class_ = DupOrNull(src.wnd_class_);
  text_ = DupOrNull(src.text_);
  int32_t x = 0, y = 0, w = 0, h = 0;
  src.GetGeometry(&x, &y, &w, &h);
  SetGeometry(x, y, w, h);
}

DlgObject::~DlgObject() {
  if (DlgRootAnchor* root = RootAnchor(); root && root->Document()) root->Document()->ObjectGoing(this);
  DlgObject::DestroyCtrlWnd();
  delete tracker_;
  std::free(wnd_class_);
  std::free(text_);
  Unlink();
}

DlgRootAnchor* DlgObject::RootAnchor() const { return anchor_ ? anchor_->Root() : nullptr; }

void DlgObject::SetAnchor(DlgAnchor* anchor) { anchor_ = anchor; }

DlgObject* DlgObject::Clone(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name) const {
  return new DlgObject(*this, anchor, ref, mode, name);
}

void DlgObject::InstantiateChildren(DlgAnchor*, DlgObject*) {}

void DlgObject::SetHead(DlgObject*) { SYS_ASSERT(!"DlgObject::SetHead() base-class method not implemented"); }

void DlgObject::SetTail(DlgObject*) { SYS_ASSERT(!"DlgObject::SetTail() base-class method not implemented"); }

int DlgObject::SetUnit(int32_t, int32_t) {
  SYS_ASSERT(!"DlgObject::SetUnit() base-class method not implemented");
  return 0;
}

void DlgObject::Link(DlgObject* ref, int mode) {
  if ((mode == DLG_LINK_FIRST_CHILD || mode == DLG_LINK_LAST_CHILD) && !ref) {
    SYS_ASSERT(anchor_);
    if (anchor_->RootObject()) SYS_ASSERT(!"DlgObject::Link() root object already present");
    parent_ = prev = next = nullptr;
    anchor_->SetRootObject(this);
    flags_ |= DLG_F_LINKED;
    return;
  }
  SYS_ASSERT(ref);
  switch (mode) {
    case DLG_LINK_FIRST_CHILD:
      parent_ = ref;
      prev = nullptr;
      next = ref->GetHead();
      if (next) {
        next->prev = this;
      } else {
        ref->SetTail(this);
      }
      ref->SetHead(this);
      break;
    case DLG_LINK_LAST_CHILD:
      parent_ = ref;
      next = nullptr;
      prev = ref->GetTail();
      if (prev) {
        prev->next = this;
      } else {
        ref->SetHead(this);
      }
      ref->SetTail(this);
      break;
    case DLG_LINK_BEFORE: {
      DlgObject* parent = ref->parent_;
      SYS_ASSERT(parent);
      parent_ = parent;
      next = ref;
      prev = ref->prev;
      if (prev) {
        prev->next = this;
      } else {
        parent->SetHead(this);
      }
      ref->prev = this;
      break;
    }
    case DLG_LINK_AFTER: {
      DlgObject* parent = ref->parent_;
      SYS_ASSERT(parent);
      parent_ = parent;
      prev = ref;
      next = ref->next;
      if (next) {
        next->prev = this;
      } else {
        parent->SetTail(this);
      }
      ref->next = this;
      break;
    }
    default: SYS_ASSERT(!"link mode");
  }
  if (auto* c = dynamic_cast<DlgContainer*>(parent_)) {
    if (mode == DLG_LINK_LAST_CHILD)
      c->ChildAppended(this);
    else
      c->ChildrenChanged();
  }
  flags_ |= DLG_F_LINKED;
}

void DlgObject::Unlink() {
  if (!(flags_ & DLG_F_LINKED)) return;
  if (parent_) {
    if (auto* c = dynamic_cast<DlgContainer*>(parent_)) c->ChildLeaving(this);
    if (prev) {
      prev->next = next;
    } else {
      parent_->SetHead(next);
    }
    if (next) {
      next->prev = prev;
    } else {
      parent_->SetTail(prev);
    }
  } else if (anchor_ && anchor_->RootObject() == this) {
    anchor_->SetRootObject(nullptr);
  }
  parent_ = prev = next = nullptr;
  flags_ &= ~DLG_F_LINKED;
}

void DlgObject::Reanchor(DlgAnchor* anchor) {
  DlgObject* parent = parent_;
  SYS_ASSERT(!parent);
  SYS_ASSERT(anchor);
  // Selections live in their anchor's list: none may cross to another.
  Deselect();
  if ((flags_ & DLG_F_LINKED) && anchor_ != anchor) {
    if (anchor->RootObject()) SYS_ASSERT(!"DlgObject::Link() root object already present");
    if (anchor_ && anchor_->RootObject() == this) anchor_->SetRootObject(nullptr);
    anchor->SetRootObject(this);
  }
  SetAnchor(anchor);
}

bool DlgObject::NamesEqual(const char* a, const char* b) const {
  if (!a || !b) return false;
  DlgRootAnchor* root = RootAnchor();
  bool exact = root && (root->Flags() & F_CASE_NAMES);
  return exact ? std::strcmp(a, b) == 0 : strcasecmp(a, b) == 0;
}

int DlgObject::CheckName(const char* name) const {
  if (!name) return 0;
  if (parent_) {
    for (DlgObject* s = parent_->GetHead(); s; s = s->next) {
      if (s != this && NamesEqual(s->Name(), name)) return 0;
    }
    return 1;
  }
  DlgRootAnchor* root = RootAnchor();
  if (!root) return 1;
  for (DlgAnchor* a = root->head; a; a = a->next) {
    DlgObject* r = a->RootObject();
    if (r && r != this && NamesEqual(r->Name(), name)) return 0;
  }
  return 1;
}

int DlgObject::SetName(const char* name) {
  if (!CheckName(name)) return 0;
  if (auto* c = dynamic_cast<DlgContainer*>(parent_)) c->ChildrenChanged();
  obj_name_ = name;
  return 1;
}

std::string DlgObject::GetPath() const {
  if (!parent_) return obj_name_;
  return parent_->GetPath() + "." + obj_name_;
}

std::string DlgObject::GetDisplayName() const {
  std::string s = obj_name_;
  s += " [";
  if (tmpl_obj_) s += tmpl_obj_->GetPath() + " : ";
  s += ClassName();
  s += "]";
  return s;
}

void DlgObject::SetClassRec(const classrec* cls) {
  const classrec* obj_classrec = cls;
  SYS_ASSERT(obj_classrec);
  if (obj_classrec_) SYS_ASSERT(!"classrec");
  obj_classrec_ = cls;
}

void DlgObject::SetTemplate(DlgObject* tmpl) {
  DlgObject* tmpl_obj = tmpl;
  SYS_ASSERT(tmpl_obj);
  tmpl_obj_ = tmpl;
}

void DlgObject::SetTracker(DlgSelection* tracker) {
  if (DlgSelection* item = tracker) SYS_ASSERT(item->Object() == this);
  tracker_ = tracker;
}

void DlgObject::SetWndClass(const char* wc) {
  char* copy = DupOrNull(wc);
  std::free(wnd_class_);
  wnd_class_ = copy;
}

void DlgObject::SetText(const char* text) {
  char* copy = DupOrNull(text);
  std::free(text_);
  text_ = copy;
}

void DlgObject::SetGuiInfo(const gui_info* info) {
  if (!info) SYS_ASSERT(!"gui_info");
  DestroyCtrlWnd();
  flags_ |= DLG_F_GUI_APPLIED;
  if (info->wc) SetWndClass(info->wc);
  if (info->data) gui_data_ = info->data;
  if (info->clrws) style_ &= ~static_cast<uint32_t>(*info->clrws);
  if (info->clrws_ex) ex_style_ &= ~static_cast<uint32_t>(*info->clrws_ex);
  if (info->clrflags) flags_ &= ~DesignerFlags(*info->clrflags);
  if (info->setws) style_ |= static_cast<uint32_t>(*info->setws);
  if (info->setws_ex) ex_style_ |= static_cast<uint32_t>(*info->setws_ex);
  if (info->setflags) flags_ |= DesignerFlags(*info->setflags);
}

int DlgObject::IsShown() const {
  for (const DlgObject* o = this; o->parent_; o = o->parent_) {
    if (!(o->flags_ & DLG_F_SHOWN)) return 0;
  }
  return 1;
}

int DlgObject::Select() {
  if (tracker_ || !(flags_ & DLG_F_SELECTABLE)) return 0;
  DlgSelection_Make(this);
  SyncTracker();
  return 1;
}

// Units and conversions.

int32_t DlgObject::PosUnitX() const {
  if (parent_) return parent_->GetUnitX();
  DlgRootAnchor* root = RootAnchor();
  return root ? root->UnitX() : 1;
}

int32_t DlgObject::PosUnitY() const {
  if (parent_) return parent_->GetUnitY();
  DlgRootAnchor* root = RootAnchor();
  return root ? root->UnitY() : 1;
}

int32_t DlgObject::SizeUnitX() const { return parent_ ? parent_->GetUnitX() : GetUnitX(); }
int32_t DlgObject::SizeUnitY() const { return parent_ ? parent_->GetUnitY() : GetUnitY(); }

int32_t DlgObject::ToUnitX(int32_t px) const { return (flags_ & DLG_F_POS_UNITS) ? px / PosUnitX() : px; }
int32_t DlgObject::ToPixelX(int32_t u) const { return (flags_ & DLG_F_POS_UNITS) ? Mul(u, PosUnitX()) : u; }
int32_t DlgObject::ToUnitY(int32_t px) const { return (flags_ & DLG_F_POS_UNITS) ? px / PosUnitY() : px; }
int32_t DlgObject::ToPixelY(int32_t u) const { return (flags_ & DLG_F_POS_UNITS) ? Mul(u, PosUnitY()) : u; }
int32_t DlgObject::SizeToUnitX(int32_t px) const { return (flags_ & DLG_F_SIZE_UNITS) ? px / SizeUnitX() : px; }
int32_t DlgObject::SizeToPixelX(int32_t u) const { return (flags_ & DLG_F_SIZE_UNITS) ? Mul(u, SizeUnitX()) : u; }
int32_t DlgObject::SizeToUnitY(int32_t px) const { return (flags_ & DLG_F_SIZE_UNITS) ? px / SizeUnitY() : px; }
int32_t DlgObject::SizeToPixelY(int32_t u) const { return (flags_ & DLG_F_SIZE_UNITS) ? Mul(u, SizeUnitY()) : u; }

void DlgObject::GetGeometry(int32_t* x, int32_t* y, int32_t* w, int32_t* h) const {
  *x = GetX();
  *y = GetY();
  *w = GetWidth();
  *h = GetHeight();
}

void DlgObject::SetGeometry(int32_t x, int32_t y, int32_t w, int32_t h) {
  int32_t px = Clamp(ToPixelX(x));
  int32_t py = Clamp(ToPixelY(y));
  DlgRect r{px, py, Clamp(int64_t{px} + SizeToPixelX(w)), Clamp(int64_t{py} + SizeToPixelY(h))};
  if (r == rect_) return;
  Invalidate();
  rect_ = r;
  Invalidate();
  // A selected object's tracker takes the new place, where the object is
  // on a canvas (a property set in the grid, an undo).
  if (tracker_ && anchor_ && anchor_->View()) {
    DlgContextBracket bracket(anchor_, anchor_->View());
    tracker_->SyncFromObject();
  }
  NotifyChanged();
}

DlgRect DlgObject::GetCanvasRect() const {
  if (parent_) {
    DlgRect p = parent_->GetCanvasRect();
    return rect_.Offset(p.left, p.top);
  }
  SYS_ASSERT(anchor_);
  const DlgPoint* origin = anchor_->Context();
  if (!origin) SYS_ASSERT(!"anchor->Context()");
  return rect_.Offset(origin->x - rect_.left, origin->y - rect_.top);
}

void DlgObject::Invalidate() const {
  if (!anchor_ || !anchor_->View() || !anchor_->Context()) return;
  if (parent_ && !(flags_ & DLG_F_SHOWN)) return;
  DlgRect canvas = GetCanvasRect();
  anchor_->View()->InvalidateRect(canvas);
  const DlgPoint* origin = anchor_->Context();
  anchor_->AddUpdateRect(canvas.Offset(-origin->x, -origin->y));
}

void DlgObject::NotifyChanged() {
  if (!anchor_ || !anchor_->View()) return;
  if (DlgRootAnchor* root = RootAnchor(); root && root->Document()) root->Document()->ObjectChanged(this);
}

int DlgObject::MoveRect(DlgRect* canvas, const DlgRect* old) {
  int changed = 0;
  const DlgRect frame = parent_ ? parent_->GetCanvasRect() : GetCanvasRect();
  DlgRect r = canvas->Offset(-frame.left, -frame.top);
  if (flags_ & DLG_F_POS_UNITS) {
    int32_t u = PosUnitX();
    int32_t d = ((u / 2 + r.left) / u) * u - r.left;
    if (d != 0 && r.right + d > frame.Width()) d = (r.left / u) * u - r.left;
    if (d != 0) {
      r = r.Offset(d, 0);
      changed = 1;
    }
    u = PosUnitY();
    d = ((u / 2 + r.top) / u) * u - r.top;
    if (d != 0 && r.bottom + d > frame.Height()) d = (r.top / u) * u - r.top;
    if (d != 0) {
      r = r.Offset(0, d);
      changed = 1;
    }
  }
  if (flags_ & DLG_F_SIZE_UNITS) {
    int32_t u = SizeUnitX();
    int32_t right = ((u / 2 + r.right - r.left) / u) * u + r.left;
    if (right != r.right && right > frame.Width()) right = ((r.right - r.left) / u) * u + r.left;
    if (right != r.right) {
      r.right = right;
      changed = 1;
    }
    u = SizeUnitY();
    int32_t bottom = ((u / 2 + r.bottom - r.top) / u) * u + r.top;
    if (bottom != r.bottom && bottom > frame.Height()) bottom = ((r.bottom - r.top) / u) * u + r.top;
    if (bottom != r.bottom) {
      r.bottom = bottom;
      changed = 1;
    }
  }
  const DlgRect current = parent_ ? rect_ : rect_.Offset(-rect_.left, -rect_.top);
  auto hint_area = [this]() {
    if (anchor_ && anchor_->Context()) {
      const DlgPoint* origin = anchor_->Context();
      anchor_->AddUpdateRect(GetCanvasRect().Offset(-origin->x, -origin->y));
    }
  };
  if (!old && r == current) {
    if (flags_ & DLG_F_SEL_TOOK_RECT) {
      hint_area();
      flags_ &= ~DLG_F_SEL_TOOK_RECT;
    }
  } else {
    if (flags_ & DLG_F_SEL_TOOK_RECT) {
      hint_area();
      flags_ &= ~DLG_F_SEL_TOOK_RECT;
    } else {
      Invalidate();
    }
    if (parent_) {
      rect_ = {Clamp(r.left), Clamp(r.top), Clamp(r.right), Clamp(r.bottom)};
    } else {
      rect_ = {rect_.left, rect_.top, Clamp(int64_t{rect_.left} + r.Width()), Clamp(int64_t{rect_.top} + r.Height())};
    }
    Invalidate();
    NotifyChanged();
  }
  *canvas = r.Offset(frame.left, frame.top);
  return changed;
}

void DlgObject::MoveTo(const DlgRect& canvas) {
  SYS_ASSERT(anchor_);
  DlgObject* target = anchor_->FindDropTarget(this, canvas);
  if (!target) target = anchor_->RootObject();
  DlgRect old = GetCanvasRect();
  DlgRect r = canvas;
  const bool reparent = parent_ && target && target != parent_ && target != this;
  DlgRootAnchor* root = RootAnchor();
  const bool recording = root && root->IsRecording();
  if (recording) {
    if (reparent) {
      new DlgUndoItem_MOVE(&root->UndoList(), this, parent_, prev, target, target->GetTail(), old, canvas);
    } else {
      new DlgUndoItem_MOVE(&root->UndoList(), this, nullptr, nullptr, nullptr, nullptr, old, canvas);
    }
  }
  if (reparent) {
    Invalidate();
    Unlink();
    Link(target, DLG_LINK_LAST_CHILD);
    if (root && root->Document()) {
      root->Document()->XrefAdd(this);
      root->Document()->XrefSelect(this);
    }
  }
  if (recording && root->Document()) root->Document()->SetModifiedFlag(true);
  MoveRect(&r, &old);
}

int DlgObject::Reorder(DlgObject* new_parent, DlgObject* sibling) {
  DlgObject* target = nullptr;
  int mode = DLG_LINK_AFTER;
  if (sibling) {
    if (sibling == this || sibling->anchor_ != anchor_ || sibling->next == this) return 0;
    target = sibling->parent_;
  } else {
    if (!new_parent || new_parent->anchor_ != anchor_ || new_parent->GetHead() == this) return 0;
    target = new_parent;
    mode = DLG_LINK_FIRST_CHILD;
  }
  // The root cannot move, and no object can move into its own subtree or
  // under an object that holds no children.
  if (!parent_ || !target || !target->IsContainer()) return 0;
  for (const DlgObject* p = target; p; p = p->parent_) {
    if (p == this) return 0;
  }
  DlgRootAnchor* root = RootAnchor();
  if (root && root->IsRecording()) new DlgUndoItem_ORDER(&root->UndoList(), this, parent_, prev, new_parent, sibling);
  int32_t x = 0, y = 0, w = 0, h = 0;
  GetGeometry(&x, &y, &w, &h);
  Invalidate();
  Unlink();
  Link(sibling ? sibling : new_parent, mode);
  SetGeometry(x, y, w, h);
  Invalidate();
  NotifyChanged();
  if (root && root->Document()) {
    root->Document()->SetModifiedFlag(true);
    root->Document()->XrefAdd(this);
    root->Document()->XrefSelect(this);
  }
  return 1;
}

void DlgObject::ApplyGeometryProps(int) {
  if (flags_ & DLG_F_GEOMETRY_TAKEN) return;
  int32_t v[6] = {0, 0, 0, 0, 0, 0};
  bool present[6] = {false, false, false, false, false, false};
  for (int i = 0; i < 6; ++i) {
    DlgPropValue* prop = props_.FindNative(PROP_NATIVE_XLEFT + i, true);
    if (!prop || prop->Val().type == VAL_NONE) continue;
    SYS_ASSERT(prop->Val().type == VAL_INT);
    v[i] = prop->Val().data.num;
    present[i] = true;
  }
  int32_t left = present[0] ? ToPixelX(v[0]) : rect_.left;
  int32_t top = present[1] ? ToPixelY(v[1]) : rect_.top;
  int32_t xright = present[2] ? ToPixelX(v[2]) : 0;
  int32_t ybottom = present[3] ? ToPixelY(v[3]) : 0;
  int32_t width = present[4] ? SizeToPixelX(v[4]) : 0;
  int32_t height = present[5] ? SizeToPixelY(v[5]) : 0;
  if (width == 0) {
    width = present[0] && present[2] ? SizeToPixelX(Clamp(int64_t{v[2]} - v[0] + 1)) : DefaultWidth();
  }
  if (height == 0) height = present[1] && present[3] ? SizeToPixelY(Clamp(int64_t{v[3]} - v[1] + 1)) : SizeToPixelY(1);
  DlgRootAnchor* root = RootAnchor();
  bool attachments = root && (root->Flags() & F_ATTACHMENTS);
  if (attachments) {
    DlgRect pr = parent_ ? parent_->rect_ : DlgRect{};
    switch (flags_ & DLG_F_HATTACH_MASK) {
      case 1: left = Clamp(int64_t{pr.right} - xright - width - pr.left); break;
      case 2: width = Clamp(int64_t{pr.right} - left - xright - pr.left); break;
      default: break;
    }
    switch (flags_ & DLG_F_VATTACH_MASK) {
      case 4: top = Clamp(int64_t{pr.bottom} - ybottom - height - pr.top); break;
      case 8: height = Clamp(int64_t{pr.bottom} - top - ybottom - pr.top); break;
      default: break;
    }
  }
  GeometryUse g = GeometrySets(flags_, attachments);
  for (int i = 0; i < 6; ++i) {
    uint32_t bit = DLG_F_USE_XLEFT << i;
    if (g.use & (1u << i)) {
      flags_ |= bit;
    } else if (g.drop & (1u << i)) {
      delete props_.FindNative(PROP_NATIVE_XLEFT + i, false);
      flags_ &= ~bit;
    }
  }
  SetGeometry(ToUnitX(left), ToUnitY(top), SizeToUnitX(width), SizeToUnitY(height));
  flags_ |= DLG_F_GEOMETRY_TAKEN;
  NotifyChanged();
}

void DlgObject::StoreGeometryProps() {
  DlgRootAnchor* root = RootAnchor();
  if (!root || !(root->Flags() & F_ATTACHMENTS)) return;
  DlgDocument* doc = root->Document();
  SYS_ASSERT(doc);
  GeometryUse g = GeometrySets(flags_, true);
  int32_t pw = parent_ ? parent_->rect_.Width() : 0;
  int32_t ph = parent_ ? parent_->rect_.Height() : 0;
  int32_t values[6] = {GetX(),
                       GetY(),
                       parent_ ? ToUnitX(Clamp(int64_t{pw} - rect_.right)) : 0,
                       parent_ ? ToUnitY(Clamp(int64_t{ph} - rect_.bottom)) : 0,
                       GetWidth(),
                       GetHeight()};
  const PluginCallbacks* plugin = doc->Plugin();
  for (int i = 0; i < 6; ++i) {
    uint32_t bit = DLG_F_USE_XLEFT << i;
    if (g.use & (1u << i)) {
      prop_def def{};
      bool found = false;
      if (plugin && plugin->FirstAttrDef && plugin->NextAttrDef) {
        for (void* cur = plugin->FirstAttrDef(ClassName(), &def); cur;
             cur = plugin->NextAttrDef(ClassName(), cur, &def)) {
          if (def.kind == PROP_KIND_NATIVE && def.native == PROP_NATIVE_XLEFT + i) {
            found = true;
            break;
          }
        }
      }
      if (!found) {
        Diag_GeneralFailure("Unable to locate property definition for \"%s\".", kGeometryNames[i]);
        return;
      }
      if (def.type != PROP_TYPE_INT) {
        Diag_GeneralFailure("Invalid datatype for property definition of \"%s\".", kGeometryNames[i]);
        return;
      }
      def.index = -1;
      prop_val val = PropVal_Int(values[i]);
      if (!doc->StoreTyped(this, &def, &val, -1)) {
        Diag_GeneralFailure("Unable to set value [%d] for property \"%s\".", values[i], kGeometryNames[i]);
        return;
      }
      flags_ |= bit;
      doc->PropertiesChanged(this);
    } else if (g.drop & (1u << i)) {
      delete props_.FindNative(PROP_NATIVE_XLEFT + i, false);
      flags_ &= ~bit;
    }
  }
  SyncTracker();
  NotifyChanged();
}

int32_t DlgObject::DefaultWidth() const {
  if (!text_ || !*text_) return 0;
  int64_t n = static_cast<int64_t>(std::strlen(text_));
  if (obj_classrec_ && (obj_classrec_->flags & CLASS_F_AMPERSAND)) {
    for (const char* p = text_; *p; ++p) n -= *p == '&' ? 1 : 0;
  }
  DlgRootAnchor* root = RootAnchor();
  int32_t char_width = root ? root->Fonts().CharWidth(font_id_) : 8;
  int32_t edge = root ? root->Fonts().Measurer().EdgeWidth() : 2;
  int64_t char_offset = obj_classrec_ ? obj_classrec_->w_char_offset : 0;
  int64_t edge_offset = obj_classrec_ ? obj_classrec_->w_edge_offset : 0;
  int64_t w = (char_offset + n) * char_width + edge_offset * edge;
  int64_t u = SizeToPixelX(1);
  if (u > 1 && w > 0 && w % u != 0) w += u - w % u;
  return Clamp(w);
}

namespace {
DlgCtrlWndDestroyer ctrl_wnd_destroyer = nullptr;
}  // namespace

DlgCtrlWndDestroyer DlgObject_SetCtrlWndDestroyer(DlgCtrlWndDestroyer destroyer) {
  DlgCtrlWndDestroyer previous = ctrl_wnd_destroyer;
  ctrl_wnd_destroyer = destroyer;
  return previous;
}

void DlgObject::SetCtrlWnd(void* wnd) {
  if (wnd == ctrl_wnd_) return;
  DestroyCtrlWnd();
  ctrl_wnd_ = wnd;
}

void DlgObject::DestroyCtrlWnd() {
  void* wnd = ctrl_wnd_;
  ctrl_wnd_ = nullptr;
  if (wnd && ctrl_wnd_destroyer) ctrl_wnd_destroyer(wnd);
}

void DlgObject::Draw(DlgPainter& painter, const DlgRect& canvas, const DlgRect& clip, bool paint) {
  painter.DrawObject(this, canvas, clip, paint);
}

void DlgObject::DrawTracker(DlgDC* dc) {
  if (tracker_) tracker_->Draw(dc);
}

DlgObject* DlgObject::FindByPath(const char* path) {
  if (!path) return nullptr;
  const char* dot = std::strchr(path, '.');
  size_t len = dot ? static_cast<size_t>(dot - path) : std::strlen(path);
  if (dot || len != obj_name_.size()) return nullptr;
  return NamesEqual(std::string(path, len).c_str(), obj_name_.c_str()) ? this : nullptr;
}

DlgObject* DlgObject::HitTest(const DlgRect& canvas, DlgPoint point) {
  if (parent_ && !(flags_ & DLG_F_SHOWN)) return nullptr;
  return canvas.Contains(point) ? this : nullptr;
}

DlgObject* DlgObject::FindById(uint32_t id) { return id == id_ ? this : nullptr; }

DlgObject* DlgObject::FindDropTarget(const DlgRect&, const DlgObject*, const DlgRect&) { return nullptr; }

void DlgObject::SelectInRect(const DlgRect* rect) {
  if (tracker_ || !(flags_ & DLG_F_SELECTABLE)) return;
  if (parent_ && !(flags_ & DLG_F_SHOWN)) return;
  if (rect && !rect->Contains(GetCanvasRect())) return;
  Select();
}

void DlgObject::Deselect() { delete tracker_; }

int DlgObject::TakeIfSelected(std::unique_ptr<DlgObject>* doomed) {
  SYS_ASSERT(doomed);
  if (!tracker_ || (flags_ & DLG_F_TEMPLATE_CHILD)) return 0;
  DlgRootAnchor* root = RootAnchor();
  DlgDocument* doc = root ? root->Document() : nullptr;
  if (doc && root->IsRecording()) {
    // The record takes the object out of the tree and keeps it for undo.
    new DlgUndoItem_OBJECT(&root->UndoList(), this, 0);
    doc->SetModifiedFlag(true);
    return 1;
  }
  Invalidate();
  if (doc) {
    doc->XrefRemove(this);
    doc->SetModified();
  }
  doomed->reset(this);
  return 1;
}

void DlgObject::DeleteSelectedChildren() {}

int DlgObject::SyncSelection() {
  if (!tracker_) return 0;
  flags_ |= DLG_F_SEL_TOOK_RECT;
  tracker_->SyncFromObject();
  return 1;
}

void DlgObject::SyncTracker() {
  if (tracker_) tracker_->SetRect(GetCanvasRect());
}

int DlgObject::ApplyTrackerResize() {
  DlgRect r;
  if (!tracker_ || !tracker_->TakeResize(&r)) return 0;
  DlgRect old = GetCanvasRect();
  MoveRect(&r, &old);
  return 1;
}

void DlgObject::DeleteTemporaryChildren() {}

void DlgObject::ListInXref() {
  if (!(flags_ & DLG_F_SELECTABLE)) return;
  if (DlgRootAnchor* root = RootAnchor(); root && root->Document()) root->Document()->XrefAdd(this);
}

void DlgObject::SetFlag(int bit) { flags_ |= 1u << bit; }
void DlgObject::ClearFlag(int bit) { flags_ &= ~(1u << bit); }

int DlgObject::AdjustTrackerRect(DlgRect* proposed, int handle) {
  DlgRect* check_pos = proposed;
  SYS_ASSERT(check_pos);
  if (!tracker_) return 0;
  if (!GetHead()) return 1;
  const DlgRect old = GetCanvasRect();
  const DlgRect wanted = *proposed;
  const bool moves_left = handle == 0 || handle == 3 || handle == 7;
  const bool moves_right = handle == 1 || handle == 2 || handle == 5;
  const bool moves_top = handle == 0 || handle == 1 || handle == 4;
  const bool moves_bottom = handle == 2 || handle == 3 || handle == 6;
  bool pushed = false;
  DlgRect result = wanted;

  // Checks the children of `obj` for its edge shifts and new frame size and
  // pushes the dragged edges of the proposal by any shortfall.
  struct Checker {
    bool ml, mr, mt, mb;
    const DlgRect& wanted;
    bool& pushed;
    DlgRect& result;
    void Check(const DlgObject* obj, int32_t dl, int32_t dt, int32_t dr, int32_t db, int32_t fw, int32_t fh) {
      for (const DlgObject* c = obj->GetHead(); c; c = c->next) {
        const DlgObject* parent = c->parent_;
        SYS_ASSERT(parent);
        DlgRect r = DlgRelayoutChild(c->rect_, c->flags_, dl, dt, dr, db);
        int32_t su_x = c->SizeUnitX();
        int32_t su_y = c->SizeUnitY();
        int64_t need_left = -int64_t{r.left};
        int64_t need_right = int64_t{r.right} - fw;
        int64_t need_top = -int64_t{r.top};
        int64_t need_bottom = int64_t{r.bottom} - fh;
        int64_t short_w = int64_t{su_x} - r.Width();
        int64_t short_h = int64_t{su_y} - r.Height();
        // A child that moves with the dragged edge is freed by that edge
        // whichever side it leaves on.
        const uint32_t h = c->flags_ & DLG_F_HATTACH_MASK;
        const uint32_t v = c->flags_ & DLG_F_VATTACH_MASK;
        DlgRect p = wanted;
        if (ml) p.left = Clamp(p.left - std::max<int64_t>({0, need_left, mr ? 0 : short_w, h == 3 ? need_right : 0}));
        if (mr) p.right = Clamp(p.right + std::max<int64_t>({0, need_right, short_w, h == 1 ? need_left : 0}));
        if (mt) p.top = Clamp(p.top - std::max<int64_t>({0, need_top, mb ? 0 : short_h, v == 12 ? need_bottom : 0}));
        if (mb) p.bottom = Clamp(p.bottom + std::max<int64_t>({0, need_bottom, short_h, v == 4 ? need_top : 0}));
        if (!(p == wanted)) {
          result = pushed ? result.Union(p) : p;
          pushed = true;
        }
        if (c->GetHead()) {
          DlgRect before = c->rect_.Offset(dl, dt);
          Check(c, before.left - r.left, before.top - r.top, before.right - r.right, before.bottom - r.bottom,
                r.Width(), r.Height());
        }
      }
    }
  } checker{moves_left, moves_right, moves_top, moves_bottom, wanted, pushed, result};
  checker.Check(this, old.left - wanted.left, old.top - wanted.top, old.right - wanted.right,
                old.bottom - wanted.bottom, wanted.Width(), wanted.Height());
  if (!pushed) return 1;
  *proposed = result;
  return 0;
}
