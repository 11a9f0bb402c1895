// The lock descriptor list of idb_lock and idb_unlock: checked against the
// sets and items of the open database and converted for the server. It works
// on a copy; the caller's list is never touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/client/buffer.h"

// Descriptor statuses.
enum {
  IDB_LOCK_BAD_LIST = -122,
  IDB_LOCK_BAD_OPERATOR = -123,
  IDB_LOCK_TOO_SHORT = -124,
  IDB_LOCK_BAD_SET = -125,
  IDB_LOCK_BAD_ITEM = -126,
  IDB_LOCK_COMPOUND = -127,
  IDB_LOCK_BAD_LENGTH = -128,
};

// What the check needs of the database's sets and items.
struct LockLayout {
  virtual ~LockLayout() = default;
  virtual int set_count() = 0;
  // Set number of a 16-byte name field, or 0 when no set has that name.
  virtual int set_by_name(const unsigned char* name16) = 0;
  virtual int item_count() = 0;
  // Item number of a 16-byte name field, or 0.
  virtual int item_by_name(const unsigned char* name16) = 0;
  // Type letter and element count of an item (1-based).
  virtual int item_type(int item) = 0;
  virtual int item_elements(int item) = 0;
  // Whether the set has the item.
  virtual bool set_has_item(int set, int item) = 0;
};

// Checks and converts `list` (the caller's list copied: the total word, then
// `size` - 4 bytes) in place: words to the server's byte order, character
// values to its code set. 0, or one of the statuses above.
int idb__check_lock_list(unsigned char* list, size_t size, LockLayout& layout, Buffer* bufp);
// One descriptor of `length` bytes (its length word included) at `d`.
int idb__check_lock_descriptor(unsigned char* d, int32_t length, LockLayout& layout, Buffer* bufp);
