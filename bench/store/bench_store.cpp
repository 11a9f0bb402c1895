// Storing a maximal program: 32,767 numbered lines over many segments (a main
// program, then subprograms and multi-line functions of a few hundred lines
// each), with a realistic mix of statements and names. The program is
// compiled line by line the way the store tool does it, through the segment
// storage of store_segments.
//
// The time per line must stay flat as the program grows: finding a line's
// place, inserting its code and looking up its symbols may not walk the
// whole program or table for every line. The benchmark stores 1/8, 1/4, 1/2
// and all of the program and prints the lines per second of each, so that
// growth shows at once.
//
// Usage: bench_store [lines]            (default 32767)
//        bench_store --write file [lines]  writes the generated source text,
//                                          for running the store tool on it
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "language/actions.h"
#include "language/compile.h"
#include "language/keywords.h"
#include "language/store_segments.h"
#include "program_text.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench_program::generate;
using bench_program::kMaxLines;

struct Result {
  double seconds = 0;
  long errors = 0;
  size_t segments = 0;
  std::string first_error;
};

Result store(const std::vector<std::string>& source, int lines) {
  Result r;
  CompileContext cc;
  cc_init(&cc, parse_front_end());
  StoreSegments segs;
  if (!store_segments_init(&segs, &cc)) {
    std::fprintf(stderr, "bench_store: Unable to allocate root segment\n");
    std::exit(1);
  }
  cg_set_numbering(&cc, 1, 1);
  auto t0 = Clock::now();
  for (int i = 0; i < lines; ++i) {
    const std::string& s = source[static_cast<size_t>(i)];
    if (cg_compile_line(&cc, s.data(), s.size()) == CG_LINE_ERROR) {
      if (r.errors++ == 0) r.first_error = s + ": " + cc.error_message;
    }
    if (segs.fatal) {
      std::fprintf(stderr, "bench_store: %s\n", segs.fatal);
      std::exit(1);
    }
  }
  r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  r.segments = progseg_count(&cc.prog);
  cc_free(&cc);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int lines = kMaxLines;
  const char* write_to = nullptr;
  int a = 1;
  if (a < argc && std::strcmp(argv[a], "--write") == 0) {
    if (a + 1 >= argc) {
      std::fprintf(stderr, "usage: bench_store [--write file] [lines]\n");
      return 2;
    }
    write_to = argv[a + 1];
    a += 2;
  }
  if (a < argc) lines = std::atoi(argv[a]);
  if (lines < 8 || lines > kMaxLines) {
    std::fprintf(stderr, "bench_store: lines must be 8..%d\n", kMaxLines);
    return 2;
  }
  std::vector<std::string> source = generate(lines);

  if (write_to != nullptr) {
    std::string tmp = std::string(write_to) + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    bool ok = f != nullptr;
    for (const std::string& s : source)
      if (ok && (std::fputs(s.c_str(), f) < 0 || std::fputc('\n', f) == EOF)) ok = false;
    if (f != nullptr && std::fclose(f) != 0) ok = false;
    if (!ok || std::rename(tmp.c_str(), write_to) != 0) {
      std::perror(write_to);
      std::remove(tmp.c_str());
      return 1;
    }
    std::printf("wrote %d lines to %s\n", lines, write_to);
    return 0;
  }

  pkeywd_init();
  skeywd_init();
  store(source, lines / 8);  // warms the caches and the allocator
  // "2N/N": the time of this size over the time of half of it (at most 2.1
  // when storing is linear in the program's size).
  std::printf("%8s %9s %10s %12s %12s %8s\n", "lines", "segments", "seconds", "lines/s", "us/line", "2N/N");
  bool failed = false;
  double half_seconds = 0;
  for (int part : {8, 4, 2, 1}) {
    int n = lines / part;
    Result r = store(source, n);
    std::printf("%8d %9zu %10.3f %12.0f %12.2f", n, r.segments, r.seconds, r.seconds > 0 ? n / r.seconds : 0.0,
                1e6 * r.seconds / n);
    if (half_seconds > 0)
      std::printf(" %8.2f\n", r.seconds / half_seconds);
    else
      std::printf(" %8s\n", "-");
    half_seconds = r.seconds;
    if (r.errors > 0) {
      std::printf("  %ld lines failed, the first: %s\n", r.errors, r.first_error.c_str());
      failed = true;
    }
  }
  return failed ? 1 : 0;
}
