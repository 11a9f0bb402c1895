#include "workbench/dialogs/views/win/dlgbench.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QMdiArea>
#include <QPainter>
#include <QTest>

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

DlgBenchResult Run(DlgWindows& windows, FwMainFrame* main, const std::string& dir, int objects) {
  const std::string path = dir + "/bench" + std::to_string(objects) + ".idm";
  std::ofstream(path, std::ios::binary) << Generate(objects);
  if (!windows.OpenFile(path.c_str())) {
    std::fprintf(stderr, "bench_designer: loading %s failed\n", path.c_str());
    std::abort();
  }
  auto* frame = dynamic_cast<FwChildFrame*>(main->MdiArea()->activeSubWindow());
  auto* view = frame ? dynamic_cast<CDlgEditView*>(frame->View(0)) : nullptr;
  if (!view || !view->Anchor() || !view->Anchor()->RootObject()) std::abort();
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

bool DlgBench_Drag(const char* plugin_dir, int objects, DlgBenchResult* small, DlgBenchResult* large) {
  static int argc = 1;
  static char name[] = "bench_designer";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!QApplication::instance()) new QApplication(argc, argv);
  PluginID::InitializeFrom(plugin_dir);
  if (!PluginID::Sync()) return false;
  char dir[] = "/tmp/bench_designer.XXXXXX";
  if (!mkdtemp(dir)) return false;
  {
    FwApp app;
    auto* main = new FwMainFrame;
    app.SetMainFrame(main);
    main->resize(1400, 1000);
    main->show();
    DlgWindows windows(&app);
    *small = Run(windows, main, dir, objects / 4);
    *large = Run(windows, main, dir, objects);
    delete main;
  }
  PluginID::Shutdown();
  std::filesystem::remove_all(dir);
  return true;
}
