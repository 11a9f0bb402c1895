// The output pane's frame: an MDI child whose client is a tab window with
// the tabs "Build", "Debug" and "Find in Files", each an editor view of its
// tab's text. Its position is kept under WindowPositions/OutputWindow; the
// tab that was active when it closed is active again when it opens.
#pragma once

#include "workbench/shell/frames/childframe.h"

class CEditorView;
class QTabWidget;

class COutputFrame : public FwHandlers<COutputFrame, CChildFrame> {
 public:
  explicit COutputFrame(FwDocument* doc);
  ~COutputFrame() override;

  void CreateClient(FwDocTemplate* tmpl) override;
  bool Painted() const { return painted_; }
  int ActiveTab() const;
  CEditorView* TabView(int tab) const;
  void ActivateTab(int tab);
  QTabWidget* Tabs() const { return tabs_; }

  static std::span<const FwCmdEntry<COutputFrame>> Handlers();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The pane is one window: no split, no second window.
  void OnOneWindowOnly(int id) { (void)id; }
  void OnUpdateOneWindowOnly(FwCmdUI& ui) { ui.Enable(false); }

  QTabWidget* tabs_ = nullptr;
  CEditorView* views_[3] = {};
  bool painted_ = false;
  bool placed_ = false;
};
