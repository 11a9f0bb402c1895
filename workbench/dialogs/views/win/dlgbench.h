// The measuring side of the designer benchmark (bench/dialogs/
// bench_designer): a generated dialog of N objects opened offscreen in a
// designer frame, a tenth of them selected and dragged in 100 steps, each a
// mouse move and a repaint; the reference is plain QPainter painting the
// same N rectangles into a widget of the same size. Median seconds per
// frame of both, for N / 4 and for N objects.
#pragma once

struct DlgBenchResult {
  double designer = 0;   // a drag step and the repaint of the canvas
  double reference = 0;  // a repaint of plain rectangles
};

// Makes the application object when there is none (offscreen) and loads
// the plug-ins of `plugin_dir`; false when they did not load.
bool DlgBench_Drag(const char* plugin_dir, int objects, DlgBenchResult* small, DlgBenchResult* large);
