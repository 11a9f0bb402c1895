// Dragging a selection on the designer canvas, offscreen: a dialog of N
// objects loaded through the VUZ plug-in, a tenth of them selected, 100
// drag steps, each a mouse move and a repaint of the canvas. The reference,
// measured in the same run, is plain QPainter painting the same N rectangles
// into a widget of the same size. Printed: the median frame time of both and
// their ratio, for N / 4 and for N; the ratio should stay about the same (a
// drag step costs no more than a repaint of what is on the screen).
//
// Usage: bench_designer [objects]   (default 2000)
#include <cstdio>
#include <cstdlib>

#include "workbench/base/shellsink.h"
#include "workbench/dialogs/views/win/dlgbench.h"

namespace {

class QuietSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::fprintf(stderr, "bench_designer: %s: %s\n", caption ? caption : "", text ? text : "");
    return SHELL_IDNO;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
};

}  // namespace

int main(int argc, char** argv) {
  int objects = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (objects < 40) objects = 40;
  QuietSink sink;
  Shell_SetSink(&sink);
  DlgBenchResult small, large;
  if (!DlgBench_Drag(PLUGIN_DIR, objects, &small, &large)) return 1;
  const double r_small = small.designer / small.reference, r_large = large.designer / large.reference;
  std::printf("objects %6d: drag step + repaint %.3f ms, plain painting %.3f ms, ratio %.2f\n", objects / 4,
              small.designer * 1e3, small.reference * 1e3, r_small);
  std::printf("objects %6d: drag step + repaint %.3f ms, plain painting %.3f ms, ratio %.2f\n", objects,
              large.designer * 1e3, large.reference * 1e3, r_large);
  std::printf("ratio at %d over ratio at %d: %.2f\n", objects, objects / 4, r_large / r_small);
  Shell_SetSink(nullptr);
  return 0;
}
