// Fuzzing target of the registry store's hive reader. Whatever text the reader
// accepts, the text the store writes back for it must read again to the same
// text: a hive survives any number of rewrites.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  for (RegHive hive : {REG_HIVE_USER, REG_HIVE_MACHINE}) {
    std::string once, twice, error;
    if (reg_reformat_hive_text(hive, text, size, &once, &error) != REG_OK) continue;
    if (reg_reformat_hive_text(hive, once.data(), once.size(), &twice, &error) != REG_OK) std::abort();
    if (twice != once) std::abort();
  }
  return 0;
}
