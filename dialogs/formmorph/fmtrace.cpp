#include "dialogs/formmorph/fmtrace.h"

#include <cstdarg>
#include <cstring>

#include "database/client/trace.h"

namespace {

struct TraceState {
  int level = 0;
  FILE* stream = nullptr;
};
TraceState g_trace;

FILE* stream() { return g_trace.stream ? g_trace.stream : stderr; }

void write_line(int level, const char* format, va_list args) {
  if (level > g_trace.level) return;
  char text[2048];
  std::vsnprintf(text, sizeof text, format, args);
  if (level <= 0)
    std::fprintf(stream(), "formmorph: %s\n", text);
  else
    std::fprintf(stream(), "D%d: %s\n", level, text);
  std::fflush(stream());
}

}  // namespace

void fm_set_debug_level(int level) { g_trace.level = level < 0 ? 0 : level; }
int fm_debug_level() { return g_trace.level; }
void fm_set_trace_stream(FILE* s) { g_trace.stream = s; }

void fm_trace(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  write_line(level, format, args);
  va_end(args);
}

// The shared helpers' entry points, in this tool's form.

void debug_init(const char* flags, FILE* s) {
  debug_set_stream(s);
  debug_parse_flags(flags);
}

void debug_set_stream(FILE* s) { g_trace.stream = s; }

FILE* debug_stream() { return stream(); }

void debug_parse_flags(const char*) {}

int debug_enabled(int, int level) { return level <= g_trace.level ? 1 : 0; }

void debug_printf(int, int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  write_line(level, format, args);
  va_end(args);
}

void debug_hex_dump(const char* title, const void* bytes, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  fm_trace(3, "%s: %zu bytes", title, n);
  for (size_t at = 0; at < n; at += 16) {
    char line[80];
    size_t used = 0;
    for (size_t i = at; i < n && i < at + 16; ++i)
      used += static_cast<size_t>(std::snprintf(line + used, sizeof line - used, " %02x", p[i]));
    fm_trace(3, "%04zx:%s", at, line);
  }
}

int idb__trace_call(int, int level, const char* name) {
  if (level > g_trace.level) return 0;
  fm_trace(level, "----- %s", name);
  return 1;
}
