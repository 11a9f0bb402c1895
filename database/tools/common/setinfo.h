// What drainbase and fillbase ask about a set: its name, type and entry
// count (information mode 202) and its items (modes 104 and 102). A failed
// call ends the tool through fatal_error with the step text of the mode.
#pragma once

#include <cstdint>
#include <vector>

#include "database/tools/common/export.h"

struct SetInfo {
  char name[EXP_NAME_LEN + 1];  // blank-padded
  char type;                    // 'M', 'A' or 'D'
  int32_t record_length;
  long entries;
};

struct SetItem {
  int number;
  char name[EXP_NAME_LEN + 1];  // blank-padded
  char type;
  int width;  // bytes of one element
  int count;  // elements
};

// Mode 202; the status is left in `status` (the caller decides on -21).
int setinfo_read(int dbid, int set, int32_t* status, SetInfo* out);
// Modes 104 and 102: the set's items in item order.
std::vector<SetItem> setinfo_items(int dbid, int set);
// The export writer's view of the items.
std::vector<ExpItem> setinfo_exp_items(const std::vector<SetItem>& items);
