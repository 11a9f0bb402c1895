// Find and replace histories.
#include "workbench/shell/settings/findutil.h"

#include "workbench/shell/settings/cfgchain.h"
#include "workbench/shell/settings/cfglists.h"
#include "workbench/shell/settings/cfgprofile.h"
#include "workbench/shell/sysassert.h"

FindHistoryEntry::FindHistoryEntry(const char* new_text) {
  SYS_ASSERT(new_text);
  text = new_text;
}

FindHistoryEntry::~FindHistoryEntry() {
  if (history_link) history_link->unlink(this);
}

FindHistory::FindHistory(const char* profile_section) : section(profile_section ? profile_section : "") {}

FindHistory::~FindHistory() {
  while (head) delete head;
}

void FindHistory::unlink(FindHistoryEntry* entry) {
  cfg_chain_unlink(this, entry);
  entry->history_link = nullptr;
  modified = 1;
}

bool FindHistory::Add(FindHistoryEntry* new_item, bool at_tail) {
  SYS_ASSERT(new_item);
  if (!cfg_chain_add_recent(this, new_item, at_tail, MaxEntries, &FindHistoryEntry::text)) return false;
  new_item->history_link = this;
  modified = 1;
  return true;
}

void FindHistory::Clear() {
  while (head) delete head;
  SYS_ASSERT(num_items == 0);
  modified = 0;
}

void FindHistory::Load() {
  CfgProfileBatch batch;
  Clear();
  for (const std::string& text : Cfg_ListNames(section.c_str())) Add(new FindHistoryEntry(text.c_str()), true);
  modified = 0;
}

void FindHistory::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  const char* s = section.c_str();
  Cfg_ListClear(s);
  for (FindHistoryEntry* e = head; e; e = e->next) Cfg_ListAppend(s, e->text.c_str());
  modified = 0;
}

std::vector<std::string> FindHistory::Texts() const {
  std::vector<std::string> texts;
  for (FindHistoryEntry* e = head; e; e = e->next) texts.push_back(e->text);
  return texts;
}
