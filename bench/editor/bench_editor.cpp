// The editor view on the maximal program of bench_store (32,767 lines):
// open it in an 800 x 600 view offscreen and page down to the end,
// repainting each page; a QPlainTextEdit of the same size does the same
// with the same text in the same run. Prints the time to open, the time per
// page of each, and the ratios (editor / reference; below 1 is faster).
//
// Usage: bench_editor [lines]   (default 32767)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/program_text.h"
#include "workbench/programs/view/editbench.h"

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : bench_program::kMaxLines;
  if (lines <= 0) {
    std::fprintf(stderr, "usage: bench_editor [lines]\n");
    return 2;
  }
  std::string text;
  for (const std::string& l : bench_program::generate(lines)) text += l + "\n";
  EditorBenchResult ed, ref;
  EditorBench_Run(text, &ed, &ref);
  std::printf("bench_editor: %d lines, view 800 x 600 offscreen\n", lines);
  std::printf("  open:      editor %8.2f ms   QPlainTextEdit %8.2f ms   ratio %.2f\n", ed.open * 1e3, ref.open * 1e3,
              ref.open > 0 ? ed.open / ref.open : 0.0);
  std::printf(
      "  page down: editor %8.3f ms/page (%d pages, %d paints)   QPlainTextEdit %8.3f ms/page (%d pages, %d "
      "paints)   ratio %.2f\n",
      ed.per_page * 1e3, ed.pages, ed.paints, ref.per_page * 1e3, ref.pages, ref.paints,
      ref.per_page > 0 ? ed.per_page / ref.per_page : 0.0);
  return 0;
}
