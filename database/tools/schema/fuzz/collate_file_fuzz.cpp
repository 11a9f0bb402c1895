// Fuzzing target of the collating sequence file reader: any bytes are either
// refused with a message, found corrupt, or give a map whose entries use its
// data exactly. Seeds: the files under examples/schemas/lib/nls/collate/.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "database/tools/schema/schema.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SchCollateMap map;
  bool corrupt = false;
  const char* failure = sch_collate_decode(data, size, &map, &corrupt);
  if (!failure && !corrupt) {
    // A good map: 256 entries that end exactly at the end of its data.
    size_t pos = 0;
    for (int entry = 0; entry < 256; ++entry) {
      if (pos >= map.data.size()) std::abort();
      pos += 1 + map.data[pos];
    }
    if (pos != map.data.size() || map.data.size() > SCH_COLLATE_DATA_MAX) std::abort();
  }
  return 0;
}
