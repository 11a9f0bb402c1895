// Consistency checks of the environment. A failed check is fatal: it is
// traced (category 'S'), shown in a box and ends the process with exit code 1.
// Tests replace the handler so that a failed check throws instead.
#pragma once

#include <stdexcept>
#include <string>

// Reports a failed check: `expr` is the text of the condition, `source` the
// source path (only its file name is shown). Never returns.
[[noreturn]] void Sys_AssertFailed(const char* expr, const char* source, int line);

// A handler takes over what happens after a failed check. A handler that
// returns still ends the process.
using SysAssertHandler = void (*)(const char* expr, const char* file, int line);

// Installs a handler (null restores the fatal one) and returns the previous.
SysAssertHandler Sys_SetAssertHandler(SysAssertHandler handler);

// What a throwing handler throws: the condition text, the file name (without
// folders) and the line.
class SysAssertError : public std::logic_error {
 public:
  SysAssertError(const std::string& expr, const std::string& file, int line);
  std::string expr;
  std::string file;
  int line;
};

// A handler that throws SysAssertError, for tests.
void Sys_ThrowAssertHandler(const char* expr, const char* file, int line);

// The file name part of a source path: the text after the last "/" or "\".
const char* Sys_SourceFileName(const char* source);

// Checks a condition of the environment. A check written as a negated
// message, SYS_ASSERT(!"text"), always fails and names that message.
#define SYS_ASSERT(cond) ((cond) ? static_cast<void>(0) : Sys_AssertFailed(#cond, __FILE__, __LINE__))
