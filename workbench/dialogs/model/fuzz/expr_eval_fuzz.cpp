// Feeds arbitrary text to the expression evaluator, with a symbol resolver
// that knows a few names. Any text must give a value or one of its errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "workbench/dialogs/model/expr.h"

namespace {

int Lookup(const char* name, double* value, void*) {
  if (std::strcmp(name, "w") == 0 || std::strcmp(name, "h") == 0) {
    *value = 8.0;
    return 0;
  }
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  double result = 0;
  const char* error = expr_eval(text.c_str(), &result, Lookup, nullptr);
  if (error && expr_error_code(error) == 0) std::abort();
  return 0;
}
