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

// A set named on the command line as a lookup argument: the name in a
// buffer long enough for the library's 4-byte reads.
struct SetArg {
  char text[64];
  explicit SetArg(const char* operand);
};

// The sets a tool works on: the operands argv[first] and after (names, or
// numbers when they begin with a digit), or every set of the database (mode
// 203) when there are none. An unknown name is reported as "<name>: Illegal
// set name" and counted in `errors`; any other failure ends the tool.
std::vector<int32_t> setinfo_operand_sets(int dbid, int argc, char** argv, int first, int* errors);

// Mode 202; the status is left in `status` (the caller decides on -21).
int setinfo_read(int dbid, int set, int32_t* status, SetInfo* out);
// Modes 104 and 102: the set's items in item order.
std::vector<SetItem> setinfo_items(int dbid, int set);
// The export writer's view of the items.
std::vector<ExpItem> setinfo_exp_items(const std::vector<SetItem>& items);
