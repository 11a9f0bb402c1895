// A child frame of the main frame's MDI area. Its content is a splitter
// with one or two rows, each a view of the same document. It follows which
// of its views had the focus last, and shows the document's title with
// ":n" when the document has several windows and " *" when modified.
#pragma once

#include <QMdiSubWindow>

#include "workbench/framework/fwcmdtarget.h"

class FwDocTemplate;
class FwDocument;
class FwView;
class QSplitter;

class FwChildFrame : public QMdiSubWindow, public FwCmdTarget {
 public:
  explicit FwChildFrame(FwDocument* doc);
  ~FwChildFrame() override;

  // Makes the splitter and the first view from the template.
  virtual void CreateClient(FwDocTemplate* tmpl);
  // Adds the second row (a second view of the document); false when the
  // frame has two rows already.
  bool SplitRows();
  int RowCount() const;
  FwView* View(int row) const;

  FwDocument* Document() const { return doc_; }
  // The window kind of the frame: its template's resource id, 0 for none.
  int Kind() const;
  FwView* ActiveView() const;
  void SetActiveView(FwView* view) { active_ = view; }
  QSplitter* Splitter() const { return splitter_; }

  // The frame's title from its document.
  virtual void UpdateTitle();
  // The title rule on its own: title, ":n" of n windows, " *".
  static std::string FrameTitle(const std::string& title, int number, int windows, bool modified);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  FwDocument* doc_;
  FwDocTemplate* tmpl_ = nullptr;
  QSplitter* splitter_ = nullptr;
  FwView* active_ = nullptr;
};

// The child frame that holds `widget` (the widget itself when it is one),
// or null.
FwChildFrame* Fw_ChildFrameOf(QWidget* widget);
