#include "workbench/dialogs/views/dlg_propitem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/sysassert.h"

namespace {

// A status-bar error; `format` has one %s for `text` when `text` is given.
void Error(DlgDocument* doc, const char* format, const char* text) {
  if (!text) {
    doc->StatusError(format);
    return;
  }
  std::string msg = format;
  msg.replace(msg.find("%s"), 2, text);
  doc->StatusError(msg.c_str());
}

// A plain decimal conversion (what a stored default text means as an
// integer): leading digits, nothing further checked.
int32_t PlainDecimal(const char* text) {
  long v = std::strtol(text ? text : "", nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

// DlgPropItem

DlgPropItem::DlgPropItem(const prop_def* def) { def_.Set(def); }

DlgPropItem::~DlgPropItem() {
  if (parent) parent->RemoveChild(this);
  if (prev) prev->next = next;
  if (next) next->prev = prev;
  parent = nullptr;
  prev = next = nullptr;
}

bool DlgPropItem::CanEdit(DlgObject* obj) const {
  SYS_ASSERT(obj);
  const prop_def* def = def_.Get();
  if (!def) return false;
  if (def->kind == PROP_KIND_ATTR) return true;
  if (def->native >= PROP_NATIVE_XLEFT && def->native <= PROP_NATIVE_HEIGHT) {
    return obj->HasFlag(1u << (def->native - 2));
  }
  return true;
}

std::string DlgPropItem::GetName() const {
  const prop_def* def = def_.Get();
  SYS_ASSERT(def);
  return def->name ? def->name : "";
}

DlgDefCopy DlgPropItem::ValueDef() const {
  DlgDefCopy copy(def_.Get());
  prop_def* def = copy.Get();
  SYS_ASSERT(def);
  def->flags &= ~static_cast<uint32_t>(PROP_F_DECLARED);
  if (def->flags & PROP_F_ARRAY) {
    SYS_ASSERT(parent);
    SYS_ASSERT(parent->PropDef());
    copy.SetName(parent->PropDef()->name);
  }
  return copy;
}

std::string DlgPropItem::GetStrValue(DlgDocument* pDoc, DlgObject* obj, int* inherited) const {
  SYS_ASSERT(pDoc);
  SYS_ASSERT(obj);
  const prop_def* def = def_.Get();
  SYS_ASSERT(def);
  DlgDefCopy value_def = ValueDef();
  return pDoc->PropText(obj, value_def.Get(), inherited);
}

int DlgPropItem::SetStrValue(DlgDocument* pDoc, DlgObject* obj, const char* new_val, int32_t serial) {
  SYS_ASSERT(pDoc);
  SYS_ASSERT(obj);
  SYS_ASSERT(new_val);
  const prop_def* def = def_.Get();
  SYS_ASSERT(def);
  DlgDefCopy value_def = ValueDef();
  const prop_def* vdef = value_def.Get();

  if (serial >= 0) {
    DlgRootAnchor* root = obj->RootAnchor();
    DlgConstEntry* entry = root ? root->Consts().FindConstBySerial(static_cast<uint32_t>(serial)) : nullptr;
    if (entry) {
      prop_val val{};
      entry->GetValue(&val);
      return pDoc->SetPropValue(obj, vdef, &val, serial);
    }
  }

  prop_val val{};
  std::string text;
  if ((vdef->type == PROP_TYPE_ANY || vdef->type == PROP_TYPE_INT) &&
      ((new_val[0] >= '0' && new_val[0] <= '9') || new_val[0] == '-')) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(new_val, &end, 10);
    // A number beyond 32 bits is refused rather than cut down.
    if (errno == ERANGE || end == new_val || *end != '\0' || v > INT32_MAX || v < INT32_MIN) {
      Error(pDoc, "Failed to convert %s to integer.", new_val);
      return 0;
    }
    val = PropVal_Int(static_cast<int32_t>(v));
  } else {
    if (std::strlen(new_val) > DLG_PROP_STRING_MAX) {
      Error(pDoc, "Property string is too long.", nullptr);
      return 0;
    }
    if (new_val[0] == '"') {
      const char* close = std::strchr(new_val + 1, '"');
      if (!close) {
        Error(pDoc, "Property string has trailing quote missing.", nullptr);
        return 0;
      }
      text.assign(new_val + 1, static_cast<size_t>(close - new_val - 1));
    } else {
      text = new_val;
    }
    if (text.empty() && vdef->type == PROP_TYPE_INT) {
      val = PropVal_Int(0);
    } else {
      val = PropVal_Text(text.c_str());
    }
  }
  if (!pDoc->SetPropValue(obj, vdef, &val, -1)) return 0;
  if (vdef->kind == PROP_KIND_NATIVE && vdef->native == PROP_NATIVE_NAME) pDoc->PropertyChanged(PROP_NATIVE_NAME);
  return 1;
}

void DlgPropItem::RestoreDefault(DlgDocument* pDoc, DlgObject* obj) {
  SYS_ASSERT(pDoc);
  SYS_ASSERT(obj);
  const prop_def* def = def_.Get();
  SYS_ASSERT(def);
  DlgDefCopy value_def = ValueDef();
  const prop_def* vdef = value_def.Get();
  if (!obj->Props().FindByName(vdef->name, vdef->index)) return;
  for (DlgObject* t = obj->TemplateObject(); t; t = t->TemplateObject()) {
    if (DlgPropValue* v = t->Props().FindByName(vdef->name, vdef->index)) {
      prop_val* copy = PropVal_NewCopy(&v->Val());
      pDoc->SetPropValue(obj, vdef, copy, v->Serial());
      PropVal_Delete(copy);
      return;
    }
  }
  const char* text = pDoc->ValueText(obj, vdef);
  if (!text) {
    pDoc->SetPropValue(obj, vdef, nullptr, -1);
    return;
  }
  prop_val val = vdef->type == PROP_TYPE_INT ? PropVal_Int(PlainDecimal(text)) : PropVal_Text(text);
  prop_val* copy = PropVal_NewCopy(&val);
  pDoc->SetPropValue(obj, vdef, copy, -1);
  PropVal_Delete(copy);
}

int DlgPropItem::Depth() const {
  int n = 0;
  for (const DlgPropContainer* p = parent; p; p = p->parent) ++n;
  return n;
}

DlgPropContainer* DlgPropItem::Ancestor(int n) const {
  DlgPropContainer* p = parent;
  for (int i = 1; p && i < n; ++i) p = p->parent;
  return n >= 1 ? p : nullptr;
}

int DlgPropItem::IsDescendantOf(const DlgPropContainer* parent_prop) const {
  SYS_ASSERT(parent_prop);
  int n = 1;
  for (const DlgPropContainer* p = parent; p; p = p->parent, ++n) {
    if (p == parent_prop) return n;
  }
  return 0;
}

// DlgPropContainer

DlgPropContainer::DlgPropContainer(const char* pTitle, const prop_def* def) : DlgPropItem(def) {
  SYS_ASSERT(pTitle);
  title_ = pTitle;
}

DlgPropContainer::~DlgPropContainer() {
  while (tail) delete tail;
}

void DlgPropContainer::AddChild(DlgPropItem* child_prop, DlgPropItem* before) {
  SYS_ASSERT(child_prop);
  SYS_ASSERT(!child_prop->parent);
  SYS_ASSERT(!child_prop->prev);
  SYS_ASSERT(!child_prop->next);
  child_prop->parent = this;
  if (before) {
    child_prop->next = before;
    child_prop->prev = before->prev;
    if (before->prev) {
      before->prev->next = child_prop;
    } else {
      head = child_prop;
    }
    before->prev = child_prop;
    return;
  }
  if (!tail) {
    SYS_ASSERT(!head);
    head = child_prop;
  } else {
    tail->next = child_prop;
    child_prop->prev = tail;
  }
  tail = child_prop;
}

void DlgPropContainer::RemoveChild(DlgPropItem* child_prop) {
  SYS_ASSERT(child_prop);
  SYS_ASSERT(child_prop->parent == this);
  if (!child_prop->prev) {
    SYS_ASSERT(head == child_prop);
    head = child_prop->next;
  }
  if (!child_prop->next) {
    SYS_ASSERT(tail == child_prop);
    tail = child_prop->prev;
  }
}

std::string DlgPropContainer::GetStrValue(DlgDocument*, DlgObject*, int* inherited) const {
  if (inherited) *inherited = mark_;
  return has_value_ ? value_ : std::string();
}

int DlgPropContainer::SetStrValue(DlgDocument*, DlgObject*, const char*, int32_t) {
  SYS_ASSERT(!"DlgPropContainer::SetStrValue() not implemented");
  return 0;
}

void DlgPropContainer::SetValue(const char* text, int32_t mark) {
  has_value_ = text != nullptr;
  value_ = text ? text : "";
  mark_ = mark;
}
