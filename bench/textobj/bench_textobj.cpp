// The text object on long texts: loading, a Replace All that touches every
// line, its undo and its redo. The time per line must stay flat as the text
// grows (line lookups by index are short walks, each change is recorded with
// the bytes it touched only).
//
// Usage: bench_textobj [lines]   (default 32767; also runs 1/8, 1/4 and 1/2
// of it and prints the time per line of each step, so growth shows at once)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "workbench/editor/txtobj.h"
#include "workbench/editor/txtreplace.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Timings {
  double load, replace, undo, redo;
};

// Program-like lines with colour switches, so every walk meets codes.
std::string MakeLine(uint32_t i) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%u \x1b\x03LET\x1b\x01 TOTAL%u = TOTAL%u + AMOUNT(%u) \x1b\x05! running sum\x1b\x01",
                i * 10, i % 97, i % 89, i % 1000);
  return buf;
}

bool Run(uint32_t lines, Timings* out) {
  TextObj t;
  t.SetUseEnhancements(true);
  auto t0 = Clock::now();
  t.SetFlag(TextObj_SUSPENDED);
  for (uint32_t i = 0; i < lines; ++i) {
    TextLine* l = new TextLine(&t);
    l->InsertNative(0, MakeLine(i).c_str());
  }
  t.ClearFlag(TextObj_SUSPENDED);
  t.SetModified(false);
  out->load = Since(t0);

  t0 = Clock::now();
  uint32_t n = TxtReplaceAll(&t, "TOTAL", "SUBTOTAL", true, false, 0, 0);
  out->replace = Since(t0);
  if (n != 2 * lines) {
    std::fprintf(stderr, "bench_textobj: replaced %u times, expected %u\n", n, 2 * lines);
    return false;
  }

  uint32_t line, col;
  t0 = Clock::now();
  t.Undo(&line, &col);
  out->undo = Since(t0);
  if (t.IsModified() || t.Line(lines - 1)->data != MakeLine(lines - 1)) {
    std::fprintf(stderr, "bench_textobj: undo did not restore the text\n");
    return false;
  }

  t0 = Clock::now();
  t.Redo(&line, &col);
  out->redo = Since(t0);
  if (!t.IsModified()) {
    std::fprintf(stderr, "bench_textobj: redo left the text unmodified\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t lines = 32767;
  if (argc > 1) {
    char* end = nullptr;
    unsigned long v = std::strtoul(argv[1], &end, 10);
    if (!end || *end || v < 8 || v > 10000000) {
      std::fprintf(stderr, "usage: bench_textobj [lines]   (8 to 10000000)\n");
      return 2;
    }
    lines = static_cast<uint32_t>(v);
  }
  std::printf("%9s %12s %12s %12s %12s   (microseconds per line)\n", "lines", "load", "replace all", "undo", "redo");
  for (uint32_t n : {lines / 8, lines / 4, lines / 2, lines}) {
    Timings t{};
    if (!Run(n, &t)) return 1;
    const double k = 1e6 / n;
    std::printf("%9u %12.3f %12.3f %12.3f %12.3f\n", n, t.load * k, t.replace * k, t.undo * k, t.redo * k);
  }
  return 0;
}
