// A list of distinct texts, the most recent first, that holds at most a given
// number: the recent files of the File menu and the histories of the Find and
// Replace dialogs. It is kept in the profile as a list (see cfglists.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CfgRecentList {
 public:
  explicit CfgRecentList(int32_t max_items) : maximum(max_items) {}

  int32_t maximum;       // items kept; a list of 0 or fewer keeps none
  uint32_t changed = 0;  // set by every change, cleared by Load and Save

  // Adds `text` as the most recent item. An item equal to the most recent one
  // is refused (false); an equal older one moves to the head; the least
  // recent items give way. At the tail, as loading adds, a full list refuses
  // the item, so the first `maximum` items are kept.
  bool Add(const std::string& text, bool at_tail = false);
  // Removes item i (0 the most recent); nothing when i is out of range.
  void Remove(int32_t i);
  void Clear();

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Item i, 0 the most recent; i out of range is a failed check.
  const std::string& At(int32_t i) const;
  const std::vector<std::string>& Items() const { return items_; }

  // The profile list `section` (its entries in order), replacing the items.
  void Load(const char* section);
  void Save(const char* section);

 private:
  std::vector<std::string> items_;
};
