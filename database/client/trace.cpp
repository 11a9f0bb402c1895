#include "database/client/trace.h"

#include <unistd.h>

#include <cstdarg>
#include <cstring>
#include <ctime>

namespace {

// Longest text of one line; a longer one is cut.
constexpr size_t kLineSize = 2048;

struct TraceState {
  FILE* stream = nullptr;
  signed char levels[26] = {};
  char line[kLineSize] = {};
};
TraceState g_trace;

void write_line(int letter, int level, const char* text) {
  if (!g_trace.stream) return;
  if (*text == '\n') {
    std::fputc('\n', g_trace.stream);
    ++text;
  }
  std::fprintf(g_trace.stream, "(%5d) %c%d: %s\n", static_cast<int>(getpid()), letter, level, text);
  std::fflush(g_trace.stream);
}

}  // namespace

void debug_set_stream(FILE* stream) {
  if (stream == g_trace.stream) return;
  if (g_trace.stream && g_trace.stream != stdout && g_trace.stream != stderr) std::fclose(g_trace.stream);
  g_trace.stream = stream;
}

FILE* debug_stream() { return g_trace.stream; }

void debug_init(const char* flags, FILE* stream) {
  debug_set_stream(stream);
  debug_parse_flags(flags);
}

void debug_parse_flags(const char* flags) {
  std::memset(g_trace.levels, 0, sizeof g_trace.levels);
  if (!flags) return;
  for (const char* p = flags; *p;) {
    char ch = *p++;
    long level = 1;
    if (*p >= '0' && *p <= '9') {
      level = 0;
      while (*p >= '0' && *p <= '9') {
        if (level < 1000) level = level * 10 + (*p - '0');
        ++p;
      }
      if (level > 127) level = 127;
    }
    if (ch >= 'A' && ch <= 'Z') {
      g_trace.levels[ch - 'A'] = static_cast<signed char>(level);
    } else if (ch == '*') {
      for (signed char& l : g_trace.levels) l = static_cast<signed char>(level);
    }
  }
  if (*flags && g_trace.stream && g_trace.stream != stderr) {
    char when[40] = "";
    time_t now = std::time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local)) std::strftime(when, sizeof when, "%c", &local);
    std::fprintf(g_trace.stream, "\n** %s", when);
    std::fprintf(g_trace.stream, "   Flags = [%s]\n\n", flags);
    std::fflush(g_trace.stream);
  }
}

int debug_enabled(int letter, int level) {
  if (letter < 'A' || letter > 'Z') return 0;
  return g_trace.levels[letter - 'A'] >= level ? 1 : 0;
}

void debug_printf(int letter, int level, const char* format, ...) {
  if (!debug_enabled(letter, level)) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_trace.line, sizeof g_trace.line, format, args);
  va_end(args);
  write_line(letter, level, g_trace.line);
}

void debug_hex_dump(const char* title, const void* bytes, size_t n) {
  FILE* out = g_trace.stream;
  if (!out) return;
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  std::fprintf(out, "(%5d) %s\n", static_cast<int>(getpid()), title);
  std::fprintf(out, "buffer contains %d bytes of data\n", static_cast<int>(n));
  auto dump = [&](size_t from, size_t to) {
    for (size_t off = from; off < to; off += 16) {
      std::fprintf(out, "%03x:", static_cast<unsigned>(off));
      size_t count = to - off < 16 ? to - off : 16;
      for (size_t i = 0; i < count; ++i) std::fprintf(out, " %02x", b[off + i]);
      for (size_t i = count; i < 16; ++i) std::fputs("   ", out);
      std::fputs(" |", out);
      for (size_t i = 0; i < count; ++i) {
        unsigned char c = b[off + i];
        std::fputc(c < 0x20 || c >= 0x7f ? '.' : c, out);
      }
      for (size_t i = count; i < 16; ++i) std::fputc(' ', out);
      std::fputs("|\n", out);
    }
  };
  if (n >= 1024) {
    dump(0, 256);
    std::fputs("... skipped ...\n", out);
    dump((n - 256) & ~static_cast<size_t>(15), n);
  } else {
    dump(0, n);
  }
  std::fflush(out);
}

int idb__trace_call(int letter, int level, const char* name) {
  if (!debug_enabled(letter, level)) return 0;
  debug_printf(letter, level, "\n-----");
  debug_printf(letter, level, "%s", name);
  return 1;
}
