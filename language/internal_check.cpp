#include "language/internal_check.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void internal_fatal(const char* report, int exit_code) {
  std::fflush(stdout);
  if (report != nullptr) std::fputs(report, stderr);
  std::fflush(stderr);
  if (exit_code < 0) std::abort();
  std::exit(exit_code);
}

namespace {

[[noreturn]] void report_and_abort(const char* format, const char* first, const char* second, int line) {
  int n = std::snprintf(nullptr, 0, format, first, second, line);
  std::string text(n > 0 ? static_cast<size_t>(n) + 1 : 1, '\0');
  if (n > 0) std::snprintf(text.data(), text.size(), format, first, second, line);
  internal_fatal(text.c_str(), -1);
}

}  // namespace

void internal_check_failed(const char* module, const char* what, int line) {
  report_and_abort("Internal error: %s (%s, line %d)\n", what, module, line);
}

void internal_assert_failed(const char* module, const char* what, int line) {
  report_and_abort("Assertion failed: %s, file %s, line %d\n", what, module, line);
}
