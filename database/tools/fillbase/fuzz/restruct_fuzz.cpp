// Fuzzing target of the restructuring rules reader, against a fixed
// set and item list: any text is read with errors or gives entries whose
// ranges were checked.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/tools/fillbase/restruct.h"

namespace {

struct Lookup : RsLookup {
  int set_number(const char* name) override { return std::strncmp(name, "ORDERS ", 7) == 0 ? 2 : 0; }
  bool set_exists(int set) override { return set == 1 || set == 2; }
  int item_number(const char* name) override { return std::strncmp(name, "QTY ", 4) == 0 ? 3 : 0; }
  int item_count(int item) override { return item == 3 ? 4 : item == 1 ? 1 : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
  FILE* sink = std::fopen("/dev/null", "w");
  if (!in || !sink) return 0;
  Lookup lookup;
  std::vector<RsSet> spec;
  int errors = rs_parse(in, lookup, RsOptions{}, spec, sink);
  if (errors == 0)
    for (const RsSet& s : spec)
      for (const RsItem& i : s.items)
        if (i.first < 0 || i.first > i.last || i.last > 4) std::abort();
  std::fclose(in);
  std::fclose(sink);
  return 0;
}
