// The console sink in force until the environment installs its own.
#include "workbench/base/shellsink.h"

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

namespace {

class ConsoleSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned style) override {
    fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return (style & 0x0F) == SHELL_MB_YESNO ? SHELL_IDYES : SHELL_IDOK;
  }
  void debug_output(const char* text) override { fputs(text ? text : "", stderr); }
  bool open_text_file(const char* path) override {
    if (path == nullptr) return false;
    pid_t pid;
    char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(path), nullptr};
    return posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) == 0;
  }
  void end_process(int code) override { std::exit(code); }
};

ConsoleSink g_console;
ShellSink* g_sink = &g_console;
void* g_owner = nullptr;
std::string g_app_name = "tessarine";

}  // namespace

bool Shell_SetOwnerWindow(void* window) {
  if (window != nullptr && g_owner != nullptr) return false;
  g_owner = window;
  return true;
}

void* Shell_OwnerWindow() { return g_owner; }

void Shell_SetAppName(const char* name) { g_app_name = name && *name ? name : "tessarine"; }

const char* Shell_AppName() { return g_app_name.c_str(); }

ShellSink& Shell_Sink() { return *g_sink; }

ShellSink* Shell_SetSink(ShellSink* sink) {
  ShellSink* previous = g_sink;
  g_sink = sink ? sink : &g_console;
  return previous == &g_console ? nullptr : previous;
}
