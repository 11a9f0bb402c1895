// Find and replace histories.
#include "workbench/base/settings/findutil.h"

#include "workbench/base/sysassert.h"

FindHistory::FindHistory(const char* profile_section) : section(profile_section ? profile_section : "") {}

bool FindHistory::AddText(const char* text) {
  SYS_ASSERT(text);
  return entries.Add(text);
}

void FindHistory::Save() {
  if (entries.changed) entries.Save(section.c_str());
}
