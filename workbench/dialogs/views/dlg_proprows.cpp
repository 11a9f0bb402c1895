#include "workbench/dialogs/views/dlg_proprows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "workbench/base/sysassert.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"

namespace {

// The class row's title.
const char* const kClassRow = "class";
// State bit 0 of a stored value: copied from a template.
constexpr uint32_t kValueCopied = 0x1;

std::string Printf(const char* fmt, int32_t a) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a);
  return buf;
}

std::string Printf(const char* fmt, int32_t a, int32_t b) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

std::string ElementName(int32_t index) { return Printf("[%d]", index); }

// The element index of an array element item.
int32_t ElementIndex(const DlgPropItem* item) { return item->PropDef() ? item->PropDef()->index : -1; }

bool IsArrayGroup(const DlgPropItem* item) {
  return item->IsContainer() && item->PropDef() && (item->PropDef()->flags & PROP_F_ARRAY);
}

}  // namespace

DlgPropRows::~DlgPropRows() { Clear(); }

std::vector<std::string>& DlgPropRows::ExpandedGroups() {
  static std::vector<std::string> names;
  return names;
}

void DlgPropRows::Clear() {
  rows_.clear();
  for (auto it = top_.rbegin(); it != top_.rend(); ++it) delete *it;
  top_.clear();
  obj_ = nullptr;
  doc_ = nullptr;
}

std::string DlgPropRows::ArrayGroupName(const prop_def* def) {
  std::string name = def->name ? def->name : "";
  const size_t bracket = name.find('[');
  if (bracket != std::string::npos) name.resize(bracket);
  return name + (def->count < 1 ? std::string("[]") : Printf("[%d]", def->count));
}

void DlgPropRows::Fill(CDlgEditDoc* doc, DlgObject* obj) {
  Clear();
  if (!doc || !obj) return;
  doc_ = doc;
  obj_ = obj;
  lowest_ = doc->Root().Levels();
  // The class row.
  auto* cls = new DlgPropContainer(kClassRow);
  std::string cls_text = obj->ClassName();
  if (DlgObject* t = obj->TemplateObject()) cls_text = t->GetPath() + " : " + cls_text;
  cls->SetValue(cls_text.c_str(), 0);
  top_.push_back(cls);
  // The class's definitions, in the plug-in's order.
  if (const PluginCallbacks* cb = doc->Plugin(); cb && cb->FirstAttrDef && cb->NextAttrDef) {
    prop_def d{};
    for (void* cur = cb->FirstAttrDef(obj->ClassName(), &d); cur; cur = cb->NextAttrDef(obj->ClassName(), cur, &d))
      AddDef(&d, "");
  }
  // Values with definitions of their own, on the object, its templates and
  // the class default object.
  const std::string default_name = std::string("~") + obj->ClassName();
  DlgObject* class_default = doc->FindObject(default_name.c_str());
  std::vector<DlgObject*> chain;
  for (DlgObject* o = obj; o; o = o->TemplateObject()) chain.push_back(o);
  if (class_default && std::find(chain.begin(), chain.end(), class_default) == chain.end())
    chain.push_back(class_default);
  for (DlgObject* o : chain) {
    for (DlgPropValue* v = o->Props().head; v; v = v->next) {
      if (!(v->Def().flags & PROP_F_DECLARED)) continue;
      std::string group_text;
      if (o != obj && !(v->State() & kValueCopied)) group_text = std::string("(") + o->Name() + ")";
      AddDef(&v->Def(), group_text);
    }
  }
  Rebuild();
  const std::vector<std::string> expanded = ExpandedGroups();
  for (int r = 0; r < Count(); ++r)
    if (Row(r)->IsContainer() && std::find(expanded.begin(), expanded.end(), Row(r)->GetName()) != expanded.end())
      Expand(r, false);
}

DlgPropContainer* DlgPropRows::CategoryGroup(const std::string& name, bool make) {
  for (DlgPropItem* t : top_)
    if (t->IsContainer() && !t->PropDef() && t != top_.front() && t->GetName() == name)
      return static_cast<DlgPropContainer*>(t);
  if (!make) return nullptr;
  auto* g = new DlgPropContainer(name.c_str());
  top_.push_back(g);
  return g;
}

void DlgPropRows::InsertTopPlain(DlgPropItem* item) {
  // Plain properties come before the category groups (after the class row).
  auto it = std::find_if(top_.begin() + 1, top_.end(),
                         [](const DlgPropItem* t) { return t->IsContainer() && !t->PropDef(); });
  top_.insert(it, item);
}

void DlgPropRows::AddElement(DlgPropContainer* group, int32_t index) {
  for (DlgPropItem* c = group->head; c; c = c->next)
    if (ElementIndex(c) == index) return;
  DlgDefCopy copy(group->PropDef());
  const std::string name = ElementName(index);
  copy.SetName(name.c_str());
  copy.Get()->index = index;
  auto* element = new DlgPropItem(copy.Get());
  DlgPropItem* before = group->head;
  while (before && ElementIndex(before) <= index) before = before->next;
  group->AddChild(element, before);
}

void DlgPropRows::AddDef(const prop_def* def, const std::string& group_text) {
  const std::string category = def->category ? def->category : "";
  DlgPropContainer* cat = category.empty() ? nullptr : CategoryGroup(category, true);
  if (!(def->flags & PROP_F_ARRAY)) {
    if (cat) {
      for (DlgPropItem* c = cat->head; c; c = c->next)
        if (c->GetName() == (def->name ? def->name : "")) return;
      cat->AddChild(new DlgPropItem(def));
    } else {
      InsertTopPlain(new DlgPropItem(def));
    }
    return;
  }
  const std::string gname = ArrayGroupName(def);
  DlgPropContainer* group = nullptr;
  bool made = false;
  if (cat)
    for (DlgPropItem* c = cat->head; c && !group; c = c->next)
      if (c->IsContainer() && c->GetName() == gname) group = static_cast<DlgPropContainer*>(c);
  if (!group) {
    group = new DlgPropContainer(gname.c_str(), def);
    made = true;
  }
  if (!group_text.empty()) group->SetValue(group_text.c_str(), 1);
  if (def->count < 1) {
    for (DlgObject* o = obj_; o; o = o->TemplateObject())
      for (DlgPropValue* v = o->Props().FindNextArrayElement(o->Props().head, def->name); v;
           v = o->Props().FindNextArrayElement(v->next, def->name))
        AddElement(group, v->Def().index);
  } else if (made) {
    for (int32_t i = 0; i < def->count; ++i) AddElement(group, lowest_ + i);
  }
  if (!made) return;
  if (cat)
    cat->AddChild(group);
  else
    InsertTopPlain(group);
}

void DlgPropRows::AddRows(DlgPropItem* item) {
  rows_.push_back(item);
  if (!item->IsContainer() || !(item->state & DLG_ITEM_EXPANDED)) return;
  for (DlgPropItem* c = static_cast<DlgPropContainer*>(item)->head; c; c = c->next) AddRows(c);
}

void DlgPropRows::Rebuild() {
  rows_.clear();
  for (DlgPropItem* t : top_) AddRows(t);
}

int DlgPropRows::RowOf(const DlgPropItem* item) const {
  for (int r = 0; r < Count(); ++r)
    if (rows_[static_cast<size_t>(r)] == item) return r;
  return -1;
}

int DlgPropRows::FindRow(const std::string& name, const DlgPropContainer* under) const {
  for (int r = 0; r < Count(); ++r) {
    DlgPropItem* it = Row(r);
    if (under && it->parent != under) continue;
    if (it->GetName() == name) return r;
  }
  return -1;
}

bool DlgPropRows::IsGroupRow(int row) const {
  DlgPropItem* it = Row(row);
  return it && it->IsContainer() && static_cast<DlgPropContainer*>(it)->head;
}

bool DlgPropRows::IsExpanded(int row) const {
  DlgPropItem* it = Row(row);
  return it && (it->state & DLG_ITEM_EXPANDED);
}

bool DlgPropRows::Expand(int row, bool from_user) {
  DlgPropItem* it = Row(row);
  if (!it || !it->IsContainer() || (it->state & DLG_ITEM_EXPANDED)) return false;
  EndEdit();
  it->state |= DLG_ITEM_EXPANDED;
  Rebuild();
  if (from_user) {
    auto& names = ExpandedGroups();
    if (std::find(names.begin(), names.end(), it->GetName()) == names.end()) names.push_back(it->GetName());
  }
  return true;
}

bool DlgPropRows::Collapse(int row, bool from_user) {
  DlgPropItem* it = Row(row);
  if (!it || !it->IsContainer() || !(it->state & DLG_ITEM_EXPANDED)) return false;
  EndEdit();
  it->state &= ~DLG_ITEM_EXPANDED;
  Rebuild();
  if (from_user) std::erase(ExpandedGroups(), it->GetName());
  return true;
}

bool DlgPropRows::Toggle(int row) { return IsExpanded(row) ? Collapse(row, true) : Expand(row, true); }

void DlgPropRows::Message(const std::string& text, bool error) {
  if (!doc_) return;
  if (error) {
    doc_->StatusError(text.c_str());
    doc_->Beep();
  } else {
    doc_->StatusText(text.c_str());
  }
}

int DlgPropRows::EditingRow() const {
  for (int r = 0; r < Count(); ++r)
    if (Row(r)->state & DLG_ITEM_EDITING) return r;
  return -1;
}

void DlgPropRows::EndEdit() {
  for (DlgPropItem* it : rows_) it->state &= ~DLG_ITEM_EDITING;
}

DlgEditStart DlgPropRows::BeginEdit(int row) {
  DlgEditStart start;
  DlgPropItem* it = Row(row);
  if (!it) return start;
  SYS_ASSERT(doc_);
  SYS_ASSERT(obj_);
  if ((doc_->Root().Flags() & F_READ_ONLY) || !obj_->HasFlag(DLG_F_SELECTABLE)) {
    doc_->Beep();
    start.kind = DlgEditKind::Refused;
    return start;
  }
  if (!it->CanEdit(obj_)) {
    if (IsArrayGroup(it) && it->PropDef()->count < 1) start.kind = DlgEditKind::ArrayMember;
    return start;
  }
  start.text = it->GetStrValue(doc_, obj_, nullptr);
  const prop_def* def = it->PropDef();
  const bool open = (def->flags & PROP_F_PLUS) != 0;
  if (def->group > 0) {
    DlgConstGroup* g = doc_->Root().Consts().FindGroup(static_cast<uint32_t>(def->group));
    if (g && g->head) {
      start.kind = DlgEditKind::Combo;
      start.editable = open;
      for (DlgConstEntry* e = g->head; e; e = e->next) {
        if (e->Name() && start.text == e->Name()) start.selected = static_cast<int>(start.choices.size());
        start.choices.emplace_back(e->Name() ? e->Name() : "");
      }
      it->state |= DLG_ITEM_EDITING;
      return start;
    }
    if (!open) {
      Message("Value cannot be edited: required constants are undefined", true);
      start.kind = DlgEditKind::Refused;
      return start;
    }
  }
  start.kind = DlgEditKind::Edit;
  it->state |= DLG_ITEM_EDITING;
  return start;
}

int DlgPropRows::Commit(int row, const std::string& text, int combo_index) {
  SYS_ASSERT(doc_);
  SYS_ASSERT(obj_);
  DlgPropItem* it = Row(row);
  if (!it || !(it->state & DLG_ITEM_EDITING)) {
    EndEdit();
    return 0;
  }
  const prop_def* def = it->PropDef();
  int32_t serial = -1;
  if (combo_index >= 0 && def->group > 0)
    if (DlgConstGroup* g = doc_->Root().Consts().FindGroup(static_cast<uint32_t>(def->group))) {
      int n = 0;
      for (DlgConstEntry* e = g->head; e; e = e->next, ++n)
        if (n == combo_index) serial = static_cast<int32_t>(e->Serial());
    }
  if (text.empty() && !(def->flags & PROP_F_PLUS)) {
    EndEdit();
    Message("A value is required", true);
    return 0;
  }
  const std::string name = it->GetName();
  if (!it->SetStrValue(doc_, obj_, text.c_str(), serial)) {
    EndEdit();
    doc_->Beep();
    return 0;
  }
  char buf[512];
  std::snprintf(buf, sizeof buf, "Property %s set with new value [%s]", name.c_str(), text.c_str());
  Message(buf, false);
  EndEdit();
  return 1;
}

int32_t DlgPropRows::ProposedIndex(const DlgPropContainer* group) const {
  return group->tail ? ElementIndex(group->tail) + 1 : lowest_;
}

int DlgPropRows::AddArrayMember(DlgPropContainer* group, int32_t index) {
  if (index < lowest_) {
    Message(Printf("Array index %d out of range, must be at least %d", index, lowest_), true);
    return -2;
  }
  for (DlgPropItem* c = group->head; c; c = c->next)
    if (ElementIndex(c) == index) {
      Message(Printf("Array index %d does already exist", index), true);
      return -2;
    }
  AddElement(group, index);
  Rebuild();
  if (!(group->state & DLG_ITEM_EXPANDED)) return -1;
  for (DlgPropItem* c = group->head; c; c = c->next)
    if (ElementIndex(c) == index) return RowOf(c);
  return -1;
}

bool DlgPropRows::RestoreDefault(int row) {
  DlgPropItem* it = Row(row);
  if (!it || !obj_ || !it->CanEdit(obj_)) return false;
  EndEdit();
  it->RestoreDefault(doc_, obj_);
  return true;
}

int DlgPropRows::ShowProperty(const prop_def* def) {
  if (!def || !def->name) return -1;
  const DlgPropContainer* under = nullptr;
  if (def->category && *def->category) {
    int g = FindRow(def->category);
    if (g >= 0 && !Row(g)->PropDef()) {
      Expand(g, true);
      under = static_cast<const DlgPropContainer*>(Row(g));
    }
  }
  if (def->flags & PROP_F_ARRAY) {
    prop_def group_def = *def;
    // The element's group: its own name with the declared size.
    for (DlgPropItem* t : rows_)
      if (IsArrayGroup(t) && std::strcmp(t->PropDef()->name, def->name) == 0) group_def.count = t->PropDef()->count;
    const int g = FindRow(ArrayGroupName(&group_def), under);
    if (g < 0) return -1;
    Expand(g, true);
    return FindRow(ElementName(def->index), static_cast<const DlgPropContainer*>(Row(g)));
  }
  return FindRow(def->name, under);
}
