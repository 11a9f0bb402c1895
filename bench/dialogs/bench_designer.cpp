// Dragging a selection on the designer canvas, offscreen: a dialog of N
// objects loaded through the VUZ plug-in, a tenth of them selected, 100
// drag steps, each a mouse move and a repaint of the canvas. The reference,
// measured in the same run, is plain QPainter painting the same N rectangles
// into a widget of the same size. Printed: the median frame time of both and
// their ratio, for N and for N / 4; the ratio should stay about the same
// (a drag step costs no more than a repaint of what is on the screen).
//
// Usage: bench_designer [objects]   (default 2000)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "workbench/base/shellsink.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwmainframe.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSteps = 100;
constexpr int kColumns = 50;
constexpr int kCellW = 24;
constexpr int kCellH = 14;

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

std::string Generate(int objects) {
  const int rows = (objects + kColumns - 1) / kColumns;
  std::string s = "window W\n{\n  .xleft 0;\n  .ytop 0;\n  .width " + std::to_string(kColumns * kCellW + 8) +
                  ";\n  .height " + std::to_string(rows * kCellH + 8) + ";\n  .title \"Bench\";\n";
  for (int i = 0; i < objects; ++i)
    s += "  child pushbutton B" + std::to_string(i) + " { .text \"B\"; .xleft " +
         std::to_string((i % kColumns) * kCellW + 2) + "; .ytop " + std::to_string((i / kColumns) * kCellH + 2) +
         "; .width " + std::to_string(kCellW - 4) + "; .height " + std::to_string(kCellH - 4) + "; }\n";
  return s + "}\n";
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The reference: a widget that paints N rectangles with plain QPainter.
class Plain : public QWidget {
 public:
  explicit Plain(std::vector<QRect> rects) : rects_(std::move(rects)) {}
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.setBrush(QColor(240, 240, 240));
    for (const QRect& r : rects_) p.drawRect(r.translated(shift_, 0));
  }
  int shift_ = 0;

 private:
  std::vector<QRect> rects_;
};

struct Result {
  double designer = 0;
  double reference = 0;
};

Result Run(DlgWindows& windows, FwMainFrame* main, const std::string& dir, int objects) {
  const std::string path = dir + "/bench" + std::to_string(objects) + ".idm";
  std::ofstream(path, std::ios::binary) << Generate(objects);
  if (!windows.OpenFile(path.c_str())) {
    std::fprintf(stderr, "bench_designer: loading %s failed\n", path.c_str());
    std::exit(1);
  }
  auto* frame = dynamic_cast<FwChildFrame*>(main->MdiArea()->activeSubWindow());
  auto* view = frame ? dynamic_cast<CDlgEditView*>(frame->View(0)) : nullptr;
  if (!view || !view->Anchor() || !view->Anchor()->RootObject()) std::exit(1);
  frame->showMaximized();
  QApplication::processEvents();
  DlgAnchor* anchor = view->Anchor();
  // A tenth of the objects, in a band over the top rows.
  std::vector<QRect> rects;
  DlgObject* first = nullptr;
  {
    DlgContextBracket bracket(anchor, view->Canvas());
    int n = 0;
    for (DlgObject* c = anchor->RootObject()->GetHead(); c; c = c->next, ++n) {
      rects.push_back(DlgQt_Rect(c->GetCanvasRect()));
      if (n < objects / 10) {
        c->Select();
        if (!first) first = c;
      }
    }
  }
  view->repaint();
  const QPoint start = rects.front().center();
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, start);
  std::vector<double> steps;
  for (int i = 1; i <= kSteps; ++i) {
    const auto t0 = Clock::now();
    QTest::mouseMove(view, start + QPoint(i % 2 ? 7 : 3, 9 + i % 5));
    view->repaint();
    steps.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
  }
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, start);
  Plain plain(rects);
  plain.resize(view->size());
  plain.show();
  QApplication::processEvents();
  std::vector<double> ref;
  for (int i = 1; i <= kSteps; ++i) {
    const auto t0 = Clock::now();
    plain.shift_ = i % 2;
    plain.repaint();
    ref.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
  }
  frame->close();
  QApplication::processEvents();
  return {Median(steps), Median(ref)};
}

}  // namespace

int main(int argc, char** argv) {
  int objects = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (objects < 40) objects = 40;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  QuietSink sink;
  Shell_SetSink(&sink);
  PluginID::InitializeFrom(PLUGIN_DIR);
  if (!PluginID::Sync()) return 1;
  char dir[] = "/tmp/bench_designer.XXXXXX";
  if (!mkdtemp(dir)) return 1;
  int code = 0;
  {
    FwApp app;
    auto* main = new FwMainFrame;
    app.SetMainFrame(main);
    main->resize(1400, 1000);
    main->show();
    DlgWindows windows(&app);
    const Result small = Run(windows, main, dir, objects / 4);
    const Result large = Run(windows, main, dir, objects);
    const double r_small = small.designer / small.reference, r_large = large.designer / large.reference;
    std::printf("objects %6d: drag step + repaint %.3f ms, plain painting %.3f ms, ratio %.2f\n", objects / 4,
                small.designer * 1e3, small.reference * 1e3, r_small);
    std::printf("objects %6d: drag step + repaint %.3f ms, plain painting %.3f ms, ratio %.2f\n", objects,
                large.designer * 1e3, large.reference * 1e3, r_large);
    std::printf("ratio at %d over ratio at %d: %.2f\n", objects, objects / 4, r_large / r_small);
    delete main;
  }
  PluginID::Shutdown();
  Shell_SetSink(nullptr);
  std::string rm = std::string("rm -rf ") + dir;
  if (std::system(rm.c_str()) != 0) code = 1;
  return code;
}
