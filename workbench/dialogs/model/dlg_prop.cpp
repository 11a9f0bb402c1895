#include "workbench/dialogs/model/dlg_prop.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/base/chain.h"

namespace {

char* DupText(const char* text) { return text ? strdup(text) : nullptr; }

}  // namespace

void PropVal_Copy(prop_val* dst, const prop_val* src) {
  dst->type = src->type;
  if (src->type == VAL_TEXT) {
    dst->data.text = DupText(src->data.text ? src->data.text : "");
  } else if (src->type == VAL_INT) {
    dst->data.num = src->data.num;
  } else {
    dst->type = VAL_NONE;
    dst->data.text = nullptr;
  }
}

prop_val* PropVal_NewCopy(const prop_val* src) {
  auto* val = new prop_val{};
  PropVal_Copy(val, src);
  return val;
}

void PropVal_Clear(prop_val* val) {
  if (val->type == VAL_TEXT) std::free(val->data.text);
  val->type = VAL_NONE;
  val->data.text = nullptr;
}

void PropVal_Delete(prop_val* val) {
  if (!val) return;
  PropVal_Clear(val);
  delete val;
}

bool PropVal_Equal(const prop_val* a, const prop_val* b) {
  if (a->type != b->type) return false;
  if (a->type == VAL_INT) return a->data.num == b->data.num;
  if (a->type == VAL_TEXT) {
    return std::strcmp(a->data.text ? a->data.text : "", b->data.text ? b->data.text : "") == 0;
  }
  return true;
}

prop_val PropVal_Text(const char* text) {
  prop_val v{};
  v.type = VAL_TEXT;
  v.data.text = const_cast<char*>(text);
  return v;
}

prop_val PropVal_Int(int32_t value) {
  prop_val v{};
  v.type = VAL_INT;
  v.data.num = value;
  return v;
}

DlgPropValue::DlgPropValue(DlgPropList* list, const prop_def* def) : list_(list) {
  SYS_ASSERT(list);
  SYS_ASSERT(def);
  def_ = *def;
  def_.name = DupText(def->name);
  def_.category = DupText(def->category);
  def_.gui = DupText(def->gui);
  chain_insert_after(list->head, list->tail, list->tail, this);
}

DlgPropValue::~DlgPropValue() {
  chain_unlink(list_->head, list_->tail, this);
  std::free(const_cast<char*>(def_.name));
  std::free(const_cast<char*>(def_.category));
  std::free(const_cast<char*>(def_.gui));
  PropVal_Clear(&value_);
}

int DlgPropValue::SetValue(const prop_val* val, int32_t serial) {
  if (!val) return 0;
  bool ok = false;
  switch (def_.type) {
    case PROP_TYPE_ANY: ok = val->type == VAL_TEXT || val->type == VAL_INT; break;
    case PROP_TYPE_PATH:
    case PROP_TYPE_IDENT:
    case PROP_TYPE_STRING: ok = val->type == VAL_TEXT; break;
    case PROP_TYPE_INT: ok = val->type == VAL_INT; break;
    default: break;
  }
  if (!ok) return 0;
  prop_val copy{};
  PropVal_Copy(&copy, val);  // before the old one goes: `val` may be ours
  PropVal_Clear(&value_);
  value_ = copy;
  serial_ = serial;
  state_ &= ~DLG_PROP_COPIED;
  return 1;
}

void DlgPropValue::ClearValue() { PropVal_Clear(&value_); }

void DlgPropValue::Assign(const prop_val* val, int32_t serial) {
  prop_val copy{};
  PropVal_Copy(&copy, val);
  PropVal_Clear(&value_);
  value_ = copy;
  serial_ = serial;
}

void DlgPropValue::MoveToEnd() {
  if (list_->tail == this) return;
  chain_unlink(list_->head, list_->tail, this);
  chain_insert_after(list_->head, list_->tail, list_->tail, this);
}

DlgPropList::~DlgPropList() {
  while (head) delete head;
}

bool DlgPropList::NamesEqual(const char* a, const char* b) const {
  if (!a || !b) return false;
  return (options_ & 1) ? std::strcmp(a, b) == 0 : strcasecmp(a, b) == 0;
}

DlgPropValue* DlgPropList::FindByName(const char* name, int32_t index) const {
  for (DlgPropValue* v = head; v; v = v->next) {
    if (v->Def().index == index && NamesEqual(v->Def().name, name)) return v;
  }
  return nullptr;
}

DlgPropValue* DlgPropList::FindNative(int32_t native, bool follow) const {
  for (const DlgPropList* list = this; list;) {
    for (DlgPropValue* v = list->head; v; v = v->next) {
      if (v->Def().kind == PROP_KIND_NATIVE && v->Def().native == native) return v;
    }
    if (!follow || !list->owner_ || !list->owner_->TemplateObject()) break;
    list = &list->owner_->TemplateObject()->Props();
  }
  return nullptr;
}

DlgPropValue* DlgPropList::FindNextArrayElement(DlgPropValue* from, const char* name) const {
  for (DlgPropValue* v = from; v; v = v->next) {
    if ((v->Def().flags & PROP_F_ARRAY) && v->Def().index >= 0 && NamesEqual(v->Def().name, name)) return v;
  }
  return nullptr;
}

void DlgPropList::CopyGeometryValues(const DlgPropList& source, DlgPropList& target) {
  for (DlgPropValue* v = source.head; v; v = v->next) {
    const prop_def& d = v->Def();
    if (d.kind != PROP_KIND_NATIVE || d.native < PROP_NATIVE_XLEFT || d.native > PROP_NATIVE_HEIGHT) continue;
    prop_def def = d;
    if (def.flags & PROP_F_DECLARED) def.flags = (def.flags & ~uint32_t{PROP_F_DECLARED}) | PROP_F_ORDINARY;
    auto* copy = new DlgPropValue(&target, &def);
    copy->Assign(&v->Val(), v->Serial());
    copy->SetState(copy->State() | DLG_PROP_COPIED);
  }
}
