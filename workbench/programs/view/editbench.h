// The measuring side of the editor benchmark (bench/editor/): opens a text
// in an editor view of a fixed size offscreen and pages down to the end,
// repainting each page (a PageDown key event, then the event loop paints),
// and does the same with a QPlainTextEdit.
#pragma once

#include <string>

struct EditorBenchResult {
  double open = 0;      // seconds to open and paint the first page
  double per_page = 0;  // seconds per page down and repaint
  int pages = 0;
  int paints = 0;  // paint events the view received
};

// Makes the application object when there is none (offscreen).
void EditorBench_Run(const std::string& text, EditorBenchResult* editor, EditorBenchResult* reference);
