// Locks of one database, held per session: the whole database, single sets,
// and entries described by lock descriptors. A request that conflicts with
// another session's lock is answered at once (the stand-in never waits):
// 20 when the database is locked or a database lock meets any lock, 22 when
// the set is locked, 23 when a set lock meets entry locks in the set, 25
// when entries are locked already.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dbserver {

enum : int32_t { LK_DATABASE = 20, LK_SET = 22, LK_ENTRIES_IN_SET = 23, LK_ENTRIES = 25 };

// One descriptor as the server reads it: set 0 for every set, item 0 for no
// item condition.
struct LockDescriptor {
  int set = 0;
  int item = 0;
  std::string op;     // two characters
  std::string value;  // as on the wire
};

class LockTable {
 public:
  int32_t lock_database(int session);
  int32_t lock_set(int session, int set);
  // All or nothing: one conflict refuses the whole list.
  int32_t lock_entries(int session, const std::vector<LockDescriptor>& list);
  // Every lock of the session (unlock mode 1, and at disconnect).
  void release(int session);
  size_t held(int session) const;

 private:
  enum Kind { DATABASE, SET, ENTRIES };
  struct Held {
    int session;
    Kind kind;
    int set;
    LockDescriptor desc;
  };
  static bool overlap(const LockDescriptor& a, const LockDescriptor& b);
  std::vector<Held> held_;
};

}  // namespace dbserver
