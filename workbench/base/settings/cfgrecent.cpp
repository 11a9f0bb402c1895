// Lists of recent texts.
#include "workbench/base/settings/cfgrecent.h"

#include <algorithm>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"

bool CfgRecentList::Add(const std::string& text, bool at_tail) {
  if (maximum <= 0) return false;  // a list that keeps nothing takes nothing
  auto same = std::find(items_.begin(), items_.end(), text);
  if (same == items_.begin() && same != items_.end()) return false;
  if (same != items_.end()) {
    items_.erase(same);
    changed = 1;
  }
  const size_t limit = static_cast<size_t>(maximum);
  if (at_tail && items_.size() >= limit) return false;
  if (items_.size() >= limit) items_.resize(limit - 1);
  if (at_tail)
    items_.push_back(text);
  else
    items_.insert(items_.begin(), text);
  changed = 1;
  return true;
}

void CfgRecentList::Remove(int32_t i) {
  if (i < 0 || i >= Count()) return;
  items_.erase(items_.begin() + i);
  changed = 1;
}

void CfgRecentList::Clear() {
  items_.clear();
  changed = 0;
}

const std::string& CfgRecentList::At(int32_t i) const {
  SYS_ASSERT(i >= 0);
  SYS_ASSERT(i < Count());
  return items_[static_cast<size_t>(i)];
}

void CfgRecentList::Load(const char* section) {
  CfgProfileBatch batch;
  Clear();
  for (const std::string& text : Cfg_ListNames(section)) Add(text, true);
  changed = 0;
}

void CfgRecentList::Save(const char* section) {
  CfgProfileBatch batch;
  Cfg_ListClear(section);
  for (const std::string& text : items_) Cfg_ListAppend(section, text.c_str());
  changed = 0;
}
