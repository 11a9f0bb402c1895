#include "locks.h"

#include <algorithm>

namespace dbserver {

namespace {

bool same_set(int a, int b) { return a == 0 || b == 0 || a == b; }

}  // namespace

bool LockTable::overlap(const LockDescriptor& a, const LockDescriptor& b) {
  if (!same_set(a.set, b.set)) return false;
  // A descriptor without an item condition covers every entry of its set.
  if (a.item == 0 || b.item == 0) return true;
  // Different items may name the same entries; ranges may meet.
  if (a.item != b.item) return true;
  auto exact = [](const std::string& op) { return op == "= " || op == " =" || op == "EQ" || op == "eq"; };
  if (exact(a.op) && exact(b.op)) return a.value == b.value;
  return true;
}

int32_t LockTable::lock_database(int session) {
  for (const Held& h : held_)
    if (h.session != session) return LK_DATABASE;
  held_.push_back({session, DATABASE, 0, {}});
  return 0;
}

int32_t LockTable::lock_set(int session, int set) {
  for (const Held& h : held_) {
    if (h.session == session) continue;
    if (h.kind == DATABASE) return LK_DATABASE;
    if (h.kind == SET && h.set == set) return LK_SET;
    if (h.kind == ENTRIES && same_set(h.set, set)) return LK_ENTRIES_IN_SET;
  }
  held_.push_back({session, SET, set, {}});
  return 0;
}

int32_t LockTable::lock_entries(int session, const std::vector<LockDescriptor>& list) {
  for (const LockDescriptor& d : list)
    for (const Held& h : held_) {
      if (h.session == session) continue;
      if (h.kind == DATABASE) return LK_DATABASE;
      if (h.kind == SET && same_set(h.set, d.set)) return LK_SET;
      if (h.kind == ENTRIES && overlap(h.desc, d)) return LK_ENTRIES;
    }
  for (const LockDescriptor& d : list) held_.push_back({session, ENTRIES, d.set, d});
  return 0;
}

void LockTable::release(int session) {
  std::erase_if(held_, [session](const Held& h) { return h.session == session; });
}

size_t LockTable::held(int session) const {
  return static_cast<size_t>(
      std::count_if(held_.begin(), held_.end(), [session](const Held& h) { return h.session == session; }));
}

}  // namespace dbserver
