// The histories of the Find and Replace dialogs: at most 15 texts, newest
// first, kept in the profile lists "FindHistory" and "ReplaceHistory".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FindHistory;

class FindHistoryEntry {
 public:
  explicit FindHistoryEntry(const char* new_text);
  ~FindHistoryEntry();  // unlinks itself
  FindHistoryEntry(const FindHistoryEntry&) = delete;
  FindHistoryEntry& operator=(const FindHistoryEntry&) = delete;

  FindHistoryEntry* prev = nullptr;
  FindHistoryEntry* next = nullptr;
  FindHistory* history_link = nullptr;
  std::string text;
};

class FindHistory {
 public:
  enum { MaxEntries = 15 };

  FindHistoryEntry* head = nullptr;  // newest
  FindHistoryEntry* tail = nullptr;  // oldest
  uint32_t num_items = 0;
  uint32_t modified = 0;
  std::string section;

  explicit FindHistory(const char* profile_section);
  ~FindHistory();
  FindHistory(const FindHistory&) = delete;
  FindHistory& operator=(const FindHistory&) = delete;

  // Takes the entry. False (the entry deleted) when the newest entry has
  // the same text.
  bool Add(FindHistoryEntry* new_item, bool at_tail = false);
  bool AddText(const char* text) { return Add(new FindHistoryEntry(text), false); }
  void Clear();
  void Load();
  void Save();
  // The texts from the newest to the oldest (what a combo box shows).
  std::vector<std::string> Texts() const;

  void unlink(FindHistoryEntry* entry);
};
