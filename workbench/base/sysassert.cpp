// The fatal handler of failed consistency checks.
#include "workbench/base/sysassert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "workbench/base/diag.h"
#include "workbench/base/shellsink.h"

namespace {

SysAssertHandler g_handler = nullptr;

void fatal_handler(const char* expr, const char* file, int line) {
  char number[32];
  snprintf(number, sizeof number, "%d", line);
  std::string text = "Assertion Failed:\n\n";
  text += expr;
  text += "\nFile \"";
  text += file;
  text += "\", line ";
  text += number;
  text += "\n\nThe program will be aborted immediately.";
  ShellSink& sink = Shell_Sink();
  sink.message_box(Shell_OwnerWindow(), Shell_AppName(), text.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
  sink.end_process(1);
}

}  // namespace

SysAssertError::SysAssertError(const std::string& expr_, const std::string& file_, int line_)
    : std::logic_error("Assertion failed: " + expr_ + ", file " + file_ + ", line " + std::to_string(line_)),
      expr(expr_),
      file(file_),
      line(line_) {}

const char* Sys_SourceFileName(const char* source) {
  if (source == nullptr) return "";
  const char* name = source;
  for (const char* p = source; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

void Sys_AssertFailed(const char* expr, const char* source, int line) {
  if (expr == nullptr) expr = "";
  const char* file = Sys_SourceFileName(source);
  Diag_Trace('S', 0, "Assertion failed: %s, file %s, line %d", expr, file, line);
  (g_handler ? g_handler : fatal_handler)(expr, file, line);
  std::exit(1);
}

SysAssertHandler Sys_SetAssertHandler(SysAssertHandler handler) {
  SysAssertHandler previous = g_handler;
  g_handler = handler;
  return previous;
}

void Sys_ThrowAssertHandler(const char* expr, const char* file, int line) { throw SysAssertError(expr, file, line); }
