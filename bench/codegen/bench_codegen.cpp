// Storing long programs through the line compiler: the time per line must
// stay flat as the program grows (no walk over every earlier line, no
// reallocation of the whole code per line, no linear symbol search).
//
// The statements are emitted by a small stand-in for the statement parser
// (each line assigns a sum of two variables out of a pool of 4000 names, and
// every 1500th line opens a subprogram), so
// the figures measure the generator, the symbol lookup and the segment
// storage. Usage: bench_codegen [lines]   (default 32767)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "language/codegen.h"
#include "language/compile.h"
#include "language/progseg.h"

namespace {

int g_line = 0;
bool g_open_segments = true;

// A segment holds at most 32767 code words: a long program is split into
// subprograms, one every 1500 lines.
const int kLinesPerSegment = 1500;

int line_start(CompileContext* cc, int, const char*, int) {
  cg_emit(cc, 0);
  cg_emit(cc, 0x0100);
  cg_keyword(cc, false, CW_IMPLIED_LET);
  return 3;
}

int parse(CompileContext* cc) {
  char a[16], b[16], c[16];
  if (g_open_segments && g_line > 0 && g_line % kLinesPerSegment == 0) {
    std::snprintf(a, sizeof a, "Part%d", g_line / kLinesPerSegment);
    cg_emit(cc, cg_tmpsym_sub(cc, a));
    cg_emit(cc, CW_END_STMT);
    cg_new_segment(cc);
    return 0;
  }
  std::snprintf(a, sizeof a, "Var%d", g_line % 4000);
  std::snprintf(b, sizeof b, "Var%d", (g_line * 7 + 1) % 4000);
  std::snprintf(c, sizeof c, "Var%d", (g_line * 13 + 2) % 4000);
  cg_push_symbol(cc, CGE_NUMVAR, 0, a);
  cg_push_symbol(cc, CGE_NUMVAR, 0, b);
  cg_push_symbol(cc, CGE_NUMVAR, 0, c);
  cg_dump(cc, 2, 1, 0x0872);
  cg_fix_let_expr(cc);
  cg_dump(cc, 2, 1, 0x0896);
  cg_emit(cc, CW_END_STMT);
  return 0;
}

// Compiles `lines` lines; with `interleave` the second half is slotted in
// between the lines of the first. Gives the seconds taken.
double run(int lines, bool interleave) {
  CompileContext cc;
  cc_init(&cc, CgFrontEnd{line_start, parse});
  if (!progseg_reset(&cc.prog)) std::exit(1);
  auto t0 = std::chrono::steady_clock::now();
  int first_half = interleave ? lines / 2 : lines;
  cg_set_numbering(&cc, interleave ? 2 : 1, interleave ? 2 : 1);
  for (g_line = 0; g_line < lines; ++g_line) {
    g_open_segments = g_line < first_half;
    if (interleave && g_line == first_half) cg_set_numbering(&cc, 1, 2);
    if (cg_compile_line(&cc, "x", 1) != CG_LINE_STORED) {
      std::fprintf(stderr, "line %d: %s\n", g_line, cc.error_message.c_str());
      std::exit(1);
    }
  }
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  cc_free(&cc);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int lines = argc > 1 ? std::atoi(argv[1]) : 32767;
  if (lines < 4 || lines > 32767) {
    std::fprintf(stderr, "lines: 4..32767\n");
    return 2;
  }
  // The best of three runs, to keep other work on the machine out of it.
  auto best = [](int n, bool interleave) {
    double t = run(n, interleave);
    for (int i = 0; i < 2; ++i) t = std::min(t, run(n, interleave));
    return t;
  };
  for (bool interleave : {false, true}) {
    double quarter = best(lines / 4, interleave);
    double half = best(lines / 2, interleave);
    double full = best(lines, interleave);
    std::printf("%-12s %6d lines %8.2f ms  %6d lines %8.2f ms  %6d lines %8.2f ms  full/half %.2f\n",
                interleave ? "interleaved" : "appended", lines / 4, quarter * 1e3, lines / 2, half * 1e3, lines,
                full * 1e3, full / half);
  }
  return 0;
}
