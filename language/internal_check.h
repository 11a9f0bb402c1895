// Internal checks of the language library: a condition that only a fault in
// the library itself can break. A failed check names the condition, the
// module and the source line on standard error and aborts, after standard
// output has been flushed so the report lands after what was printed.
//
// This is the one place where the library ends the process: the failed
// checks of every module, the fatal errors of the decimal arithmetic and the
// fatal ends of the error reporter all come through internal_fatal.
#pragma once

// Flushes standard output, writes `report` (when not null) to standard
// error, and ends the process: by abort when `exit_code` is below 0, else
// with that exit code.
[[noreturn]] void internal_fatal(const char* report, int exit_code);

// "Internal error: <what> (<module>, line <line>)", then abort.
[[noreturn]] void internal_check_failed(const char* module, const char* what, int line);

// "Assertion failed: <what>, file <module>, line <line>", then abort: the
// form the scanner's checks report in.
[[noreturn]] void internal_assert_failed(const char* module, const char* what, int line);

#define INTERNAL_CHECK(module, cond)                               \
  do {                                                             \
    if (!(cond)) internal_check_failed((module), #cond, __LINE__); \
  } while (0)
