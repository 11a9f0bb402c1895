#include "workbench/programs/view/editbench.h"

#include <chrono>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "workbench/editor/view/editview.h"
#include "workbench/programs/view/progdocwin.h"

namespace {

// Counts the paint events a widget receives, so that the benchmark can
// tell that every page was really painted.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

EditorBenchResult RunEditor(const std::string& text) {
  EditorBenchResult r;
  auto t0 = Clock::now();
  CProgDoc doc;
  doc.Model().SetText(text);
  CEditorView view(&doc);
  PaintCounter counter;
  view.installEventFilter(&counter);
  view.resize(800, 600);
  view.show();
  QApplication::processEvents();
  view.OnInitialUpdate();
  view.repaint();
  r.open = Since(t0);
  t0 = Clock::now();
  const uint32_t last = doc.GetTextObj()->num_lines - 1;
  while (view.Model().caret_line < last) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&view, &key);
    view.update();
    QApplication::processEvents();
    ++r.pages;
  }
  r.per_page = r.pages ? Since(t0) / r.pages : 0;
  r.paints = counter.paints;
  return r;
}

EditorBenchResult RunReference(const QString& text) {
  EditorBenchResult r;
  auto t0 = Clock::now();
  QPlainTextEdit edit;
  edit.setFont(QFont("monospace"));
  edit.setLineWrapMode(QPlainTextEdit::NoWrap);
  edit.resize(800, 600);
  PaintCounter counter;
  edit.viewport()->installEventFilter(&counter);
  edit.setPlainText(text);
  edit.show();
  QApplication::processEvents();
  edit.viewport()->repaint();
  r.open = Since(t0);
  t0 = Clock::now();
  QScrollBar* bar = edit.verticalScrollBar();
  while (bar->value() < bar->maximum()) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&edit, &key);
    edit.viewport()->update();
    QApplication::processEvents();
    ++r.pages;
    if (r.pages > 100000) break;
  }
  r.per_page = r.pages ? Since(t0) / r.pages : 0;
  r.paints = counter.paints;
  return r;
}

}  // namespace

void EditorBench_Run(const std::string& text, EditorBenchResult* editor, EditorBenchResult* reference) {
  std::unique_ptr<QApplication> app;
  if (QApplication::instance() == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_editor";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
  }
  *editor = RunEditor(text);
  *reference = RunReference(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}
