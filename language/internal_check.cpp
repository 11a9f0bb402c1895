#include "language/internal_check.h"

#include <cstdio>
#include <cstdlib>

void internal_check_failed(const char* module, const char* what, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "Internal error: %s (%s, line %d)\n", what, module, line);
  std::abort();
}
