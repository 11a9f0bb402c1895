// Internal checks of the language library: a condition that only a fault in
// the library itself can break. A failed check names the condition, the
// module and the source line on standard error and aborts, after standard
// output has been flushed so the report lands after what was printed.
#pragma once

[[noreturn]] void internal_check_failed(const char* module, const char* what, int line);

#define INTERNAL_CHECK(module, cond)                               \
  do {                                                             \
    if (!(cond)) internal_check_failed((module), #cond, __LINE__); \
  } while (0)
