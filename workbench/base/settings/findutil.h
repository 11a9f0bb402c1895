// The histories of the Find and Replace dialogs: at most 15 texts, newest
// first, kept in the profile lists "FindHistory" and "ReplaceHistory".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/base/settings/cfgrecent.h"

class FindHistory {
 public:
  enum { MaxEntries = 15 };

  explicit FindHistory(const char* profile_section);

  CfgRecentList entries{MaxEntries};  // the newest first
  std::string section;

  // Adds a text as the newest. False when the newest has the same text.
  bool AddText(const char* text);
  void Clear() { entries.Clear(); }
  void Load() { entries.Load(section.c_str()); }
  void Save();
  // The texts from the newest to the oldest (what a combo box shows).
  std::vector<std::string> Texts() const { return entries.Items(); }
};
