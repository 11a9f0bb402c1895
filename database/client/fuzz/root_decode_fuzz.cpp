// Feeds arbitrary root objects to the root decoder: it must refuse what does
// not add up without reading outside the object, and whatever it accepts
// must hold every index inside its table, so that the lookups and the walks
// of the reports stay inside the cache.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "database/client/root.h"
#include "database/client/trace.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void walk(const RootCache& root) {
  for (int32_t k = 0; k < root.iitem_count; ++k) {
    const RootIItem& ii = root.iitems[k];
    check(ii.part_count >= 0 && ii.part_count <= ROOT_MAX_PARTS);
    for (int p = 0; p < ii.part_count; ++p) check(ii.parts[p].item >= 0 && ii.parts[p].item < root.item_count);
  }
  for (int32_t i = 0; i < root.set_count; ++i) {
    const RootSet& s = root.sets[i];
    check(s.item_count > 0);
    for (int32_t k = 0; k < s.item_count; ++k) check(s.items[k] >= 0 && s.items[k] < root.item_count);
    for (int32_t p = 0; p < s.path_count; ++p) {
      check(s.paths[p].set >= 0 && s.paths[p].set < root.set_count);
      const RootSet& owner = root_letter(s.type) == 'D' ? s : root.sets[s.paths[p].set];
      check(s.paths[p].position >= 0 && s.paths[p].position < owner.item_count);
    }
    for (int32_t x = 0; x < s.index_count; ++x)
      check(s.indexes[x].iitem >= root.item_count && s.indexes[x].iitem < root.item_count + root.iitem_count);
    // Every set is found by its own name (or by an earlier set of the same name).
    char name[ROOT_NAME_LEN + 4] = {};
    std::memcpy(name, s.name, ROOT_NAME_LEN);
    int found = idb__find_set_name(&root, name);
    check(found >= -1 && found < root.set_count);
  }
  for (int32_t i = 0; i < root.item_count; ++i) {
    char name[ROOT_NAME_LEN + 4] = {};
    std::memcpy(name, root.items[i].name, ROOT_NAME_LEN);
    int found = idb__find_item_name(&root, name);
    check(found >= -1 && found < root.item_count);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static bool quiet = [] {
    debug_set_stream(nullptr);
    return true;
  }();
  (void)quiet;
  const int order = (data[0] & 1) ? BYTE_ORDER_BE : BYTE_ORDER_LE;
  RootCache root;
  if (idb__decode_root(data + 1, static_cast<uint32_t>(size - 1), order, nullptr, &root) == 0) {
    walk(root);
    idb__free_root(&root);
  }
  return 0;
}
