// Fuzzing target of the mount-information reader: any text gives volumes
// with absolute mount points other than "/", none twice, each with one of
// the place images; the removable probe answers from the input's first byte.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "workbench/explorer/exploremodel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  const bool removable = (data[0] & 1) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto volumes = Explore_ParseMountInfo(text, [removable](std::string_view) { return removable; });
  std::set<std::string> seen;
  for (const ExploreVolume& v : volumes) {
    if (v.mount_point.empty() || v.mount_point[0] != '/' || v.mount_point == "/") __builtin_trap();
    if (!seen.insert(v.mount_point).second) __builtin_trap();
    if (v.image != EXPLORE_IMAGE_FIXED && v.image != EXPLORE_IMAGE_REMOVABLE && v.image != EXPLORE_IMAGE_OPTICAL &&
        v.image != EXPLORE_IMAGE_REMOTE)
      __builtin_trap();
  }
  return 0;
}
