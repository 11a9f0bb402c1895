#include "database/tools/common/setinfo.h"

#include <cstring>

#include "database/client/client.h"
#include "database/client/database.h"
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
