// The environment's program library on the maximal program of bench/store
// (32,767 lines, references by label): every line compiled through the
// facade's CompileLine, the program stored into memory, read back and every
// line listed with the colour escapes. Each step prints its lines per second
// beside the library's own compile of the same lines through the store
// tool's segment storage, measured in the same run, and the ratio.
//
// Usage: bench_programs [lines]   (default 32767)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "language/actions.h"
#include "language/compile.h"
#include "language/keywords.h"
#include "language/store_segments.h"
#include "program_text.h"
#include "workbench/programs/yqapi.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// The reference: the store tool's way, numbered lines through its segments.
double reference(const std::vector<std::string>& numbered, long* errors) {
  CompileContext cc;
  cc_init(&cc, parse_front_end());
  StoreSegments segs;
  if (!store_segments_init(&segs, &cc)) std::exit(1);
  cg_set_numbering(&cc, 1, 1);
  auto t0 = Clock::now();
  for (const std::string& s : numbered)
    if (cg_compile_line(&cc, s.data(), s.size()) == CG_LINE_ERROR) ++*errors;
  double t = since(t0);
  cc_free(&cc);
  return t;
}

struct Steps {
  double compile = 0, store = 0, read = 0, list = 0;
  long errors = 0;
  size_t bytes = 0;
  size_t listed = 0;
  std::string first_error;
};

Steps facade(const std::vector<std::string>& plain) {
  Steps r;
  YqApiProgram prog;
  prog.NewProgram();
  auto t0 = Clock::now();
  for (const std::string& s : plain) {
    if (prog.CompileLine(s.c_str(), nullptr, nullptr) < 1 && r.errors++ == 0)
      r.first_error = s + ": " + prog.ErrorText();
  }
  r.compile = since(t0);

  t0 = Clock::now();
  size_t size = 0;
  std::vector<uint8_t> image;
  if (prog.PrepareStore(&size) == 0) {
    image.resize(size);
    if (prog.Store(image.data()) != 0) image.clear();
  }
  r.store = since(t0);
  r.bytes = image.size();

  YqApiProgram back;
  t0 = Clock::now();
  if (back.ReadHeader(image.data(), image.size()) != 0 || back.ReadSegments() != 0) ++r.errors;
  r.read = since(t0);

  t0 = Clock::now();
  YqApiIter it;
  if (it.First(back)) {
    while (it.NextLine()) r.listed += back.ListLine(it, 5).size() > 0 ? 1 : 0;
  }
  r.list = since(t0);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int lines = bench_program::kMaxLines;
  if (argc > 1) lines = std::atoi(argv[1]);
  if (lines < 8 || lines > bench_program::kMaxLines) {
    std::fprintf(stderr, "bench_programs: lines must be 8..%d\n", bench_program::kMaxLines);
    return 2;
  }
  std::vector<std::string> numbered = bench_program::generate(lines, true);
  std::vector<std::string> plain;
  plain.reserve(numbered.size());
  for (const std::string& s : numbered) plain.push_back(s.substr(s.find(' ') + 1));

  pkeywd_init();
  skeywd_init();
  long ref_errors = 0;
  reference(numbered, &ref_errors);  // warms the caches and the allocator
  facade(plain);
  ref_errors = 0;
  double ref = reference(numbered, &ref_errors);
  Steps r = facade(plain);

  double n = lines;
  std::printf("%d lines, image %zu bytes\n", lines, r.bytes);
  std::printf("%-28s %12s %10s\n", "step", "lines/s", "ratio");
  std::printf("%-28s %12.0f %10s\n", "reference: store's compile", n / ref, "1.00");
  auto row = [&](const char* what, double t) { std::printf("%-28s %12.0f %10.2f\n", what, n / t, ref / t); };
  row("CompileLine", r.compile);
  row("Store into memory", r.store);
  row("ReadHeader + ReadSegments", r.read);
  row("ListLine of every line", r.list);
  bool failed = false;
  if (ref_errors > 0 || r.errors > 0 || r.listed != static_cast<size_t>(lines)) {
    std::printf("failures: %ld in the reference, %ld here (%s), %zu lines listed\n", ref_errors, r.errors,
                r.first_error.c_str(), r.listed);
    failed = true;
  }
  return failed ? 1 : 0;
}
