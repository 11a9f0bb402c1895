#include "workbench/dialogs/model/dlg_const.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <string>

#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

namespace {

// Serials are process-wide and never reused.
uint32_t const_serial_counter = 0;

}  // namespace

DlgConstEntry::DlgConstEntry(DlgConstGroup* group, const char* name, const char* text)
    : group_(group), serial_(++const_serial_counter), name_(strdup(name ? name : "")), text_(strdup(text)) {
  chain_insert_after(group->head, group->tail, group->tail, this);
  group->Table()->by_serial_[serial_] = this;
}

DlgConstEntry::~DlgConstEntry() {
  auto& by_serial = group_->Table()->by_serial_;
  if (auto it = by_serial.find(serial_); it != by_serial.end() && it->second == this) by_serial.erase(it);
  chain_unlink(group_->head, group_->tail, this);
  std::free(name_);
  std::free(text_);
}

bool DlgConstEntry::MatchesText(const char* text) const {
  const char* own = GetText();
  return own && text && std::strcmp(own, text) == 0;
}

DlgTextConst::DlgTextConst(DlgConstGroup* group, const char* name, const char* text)
    : DlgConstEntry(group, name, text ? text : "") {}

void DlgTextConst::GetValue(prop_val* out) const {
  out->type = VAL_TEXT;
  out->data.text = const_cast<char*>(GetText());
}

namespace {

std::string IntText(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", value);
  return buf;
}

}  // namespace

DlgIntConst::DlgIntConst(DlgConstGroup* group, const char* name, int32_t value)
    : DlgConstEntry(group, name, IntText(value).c_str()), value_(value) {}

void DlgIntConst::GetValue(prop_val* out) const {
  out->type = VAL_INT;
  out->data.num = value_;
}

DlgConstGroup::DlgConstGroup(DlgConstTable* table, uint32_t id) : table_(table), id_(id) {
  chain_insert_after(table->head, table->tail, table->tail, this);
}

DlgConstGroup::~DlgConstGroup() {
  while (head) delete head;
  chain_unlink(table_->head, table_->tail, this);
}

DlgConstTable::~DlgConstTable() {
  while (head) delete head;
}

bool DlgConstTable::NamesEqual(const char* a, const char* b) const {
  return (options_ & DLG_CONST_CASE) ? std::strcmp(a, b) == 0 : strcasecmp(a, b) == 0;
}

DlgConstGroup* DlgConstTable::FindGroup(uint32_t id) const {
  for (DlgConstGroup* g = head; g; g = g->next) {
    if (g->Id() == id) return g;
  }
  return nullptr;
}

DlgConstGroup* DlgConstTable::GetGroup(uint32_t id) {
  DlgConstGroup* g = FindGroup(id);
  return g ? g : new DlgConstGroup(this, id);
}

DlgConstEntry* DlgConstTable::Define(DlgConstGroup* group, const char* name, const prop_val* value,
                                     int32_t class_handle, DlgConstEntry* existing) {
  SYS_ASSERT(group);
  SYS_ASSERT(name);
  SYS_ASSERT(value);
  if (value->type != VAL_TEXT && value->type != VAL_INT) return nullptr;
  bool keep_serial = false;
  uint32_t serial = 0;
  if (existing) {
    if (!(options_ & DLG_CONST_REDEFINE)) return nullptr;
    if (options_ & DLG_CONST_KEEP_FIRST) return existing;
    prop_val old{};
    existing->GetValue(&old);
    if (existing->ClassHandle() == class_handle && PropVal_Equal(&old, value)) return existing;
    serial = existing->Serial();
    keep_serial = true;
    delete existing;
  }
  DlgConstEntry* entry = nullptr;
  if (value->type == VAL_TEXT) {
    entry = new DlgTextConst(group, name, value->data.text);
  } else {
    entry = new DlgIntConst(group, name, value->data.num);
  }
  if (keep_serial) {
    by_serial_.erase(entry->serial_);
    entry->serial_ = serial;
    by_serial_[serial] = entry;
  }
  if (class_handle >= 0) entry->class_handle_ = class_handle;
  return entry;
}

DlgConstEntry* DlgConstTable::FindConstByName(uint32_t group_id, const char* name) const {
  if (!name) return nullptr;
  for (DlgConstGroup* g = head; g; g = g->next) {
    if (group_id != 0 && g->Id() != group_id) continue;
    for (DlgConstEntry* e = g->head; e; e = e->next) {
      if (NamesEqual(e->Name(), name)) return e;
    }
  }
  return nullptr;
}

DlgConstEntry* DlgConstTable::FindConstBySerial(uint32_t serial) const {
  auto it = by_serial_.find(serial);
  return it == by_serial_.end() ? nullptr : it->second;
}

DlgConstEntry* DlgConstTable::FindConstByText(uint32_t group_id, const char* text) const {
  for (DlgConstGroup* g = head; g; g = g->next) {
    if (group_id != 0 && g->Id() != group_id) continue;
    for (DlgConstEntry* e = g->head; e; e = e->next) {
      if (e->MatchesText(text)) return e;
    }
  }
  return nullptr;
}

void DlgConstTable::DeleteMarked() {
  for (DlgConstGroup* g = head; g; g = g->next) {
    for (DlgConstEntry* e = g->head; e;) {
      DlgConstEntry* n = e->next;
      if (e->Marks() & DLG_CONST_MARK_REDEFINED) delete e;
      e = n;
    }
  }
}
