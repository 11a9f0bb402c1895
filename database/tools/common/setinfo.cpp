#include "database/tools/common/setinfo.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/root.h"
#include "database/client/status.h"
#include "database/tools/common/dbtool.h"

int setinfo_read(int dbid, int set, int32_t* status, SetInfo* out) {
  int32_t answer[8] = {};
  idb_info(dbid, &set, 202, status, answer, sizeof answer);
  if (status[0] != 0) return status[0];
  std::memcpy(out->name, answer, EXP_NAME_LEN);
  out->name[EXP_NAME_LEN] = '\0';
  std::memcpy(&out->type, reinterpret_cast<const char*>(answer) + 16, 1);
  out->record_length = answer[5];
  out->entries = answer[7];
  return 0;
}

std::vector<SetItem> setinfo_items(int dbid, int set) {
  StatusArray status = {};
  std::vector<int32_t> numbers(1026);
  idb_info(dbid, &set, 104, status, numbers.data(), static_cast<int32_t>(numbers.size() * 4));
  fatal_error(status, 2010, "info 104");
  std::vector<SetItem> items;
  for (int32_t k = 1; k <= numbers[0] && k < static_cast<int32_t>(numbers.size()); ++k) {
    int32_t number = numbers[static_cast<size_t>(k)];
    int32_t answer[8] = {};
    idb_info(dbid, &number, 102, status, answer, sizeof answer);
    fatal_error(status, 2020, "info 102");
    SetItem item;
    item.number = number;
    std::memcpy(item.name, answer, EXP_NAME_LEN);
    item.name[EXP_NAME_LEN] = '\0';
    std::memcpy(&item.type, reinterpret_cast<const char*>(answer) + 16, 1);
    item.width = answer[5];
    item.count = answer[6];
    items.push_back(item);
  }
  return items;
}

std::vector<ExpItem> setinfo_exp_items(const std::vector<SetItem>& items) {
  std::vector<ExpItem> out;
  for (const SetItem& i : items) out.push_back({i.type, i.width, i.count});
  return out;
}

SetArg::SetArg(const char* operand) {
  std::memset(text, 0, sizeof text);
  std::snprintf(text, sizeof text, "%s", operand);
}

std::vector<int32_t> setinfo_operand_sets(int dbid, int argc, char** argv, int first, int* errors) {
  StatusArray status = {};
  std::vector<int32_t> sets;
  if (first >= argc) {
    const RootCache* root = idb__get_root(dbid);
    std::vector<int32_t> list(static_cast<size_t>(root ? root->set_count : 0) + 1);
    idb_info_unbounded(dbid, nullptr, 203, status, list.data());
    fatal_error(status, 1020, "info 203");
    for (int32_t i = 1; i <= list[0] && static_cast<size_t>(i) < list.size(); ++i)
      sets.push_back(list[static_cast<size_t>(i)]);
    return sets;
  }
  for (int i = first; i < argc; ++i) {
    const char* operand = argv[i];
    if (std::isdigit(static_cast<unsigned char>(operand[0]))) {
      sets.push_back(static_cast<int32_t>(std::atol(operand)));
      continue;
    }
    SetArg name(operand);
    int32_t number = 0;
    idb_info(dbid, name.text, 201, status, &number, 4);
    if (status[0] == -21) {
      std::fprintf(stderr, "%s: %s\n", operand, "Illegal set name");
      ++*errors;
      continue;
    }
    fatal_error(status, 1030, "info 201");
    sets.push_back(number);
  }
  return sets;
}
