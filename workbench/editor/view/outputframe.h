// The output pane's frame: an MDI child whose client is a tab window with
// the tabs "Build", "Debug" and "Find in Files", each an editor view of its
// tab's text. Its position is kept under WindowPositions/OutputWindow; the
// tab that was active when it closed is active again when it opens.
#pragma once

#include "workbench/shell/frames/childframe.h"

class CEditorView;
class QTabWidget;

class COutputFrame : public CChildFrame {
 public:
  explicit COutputFrame(FwDocument* doc);
  ~COutputFrame() override;

  void CreateClient(FwDocTemplate* tmpl) override;
  bool Painted() const { return painted_; }
  int ActiveTab() const;
  CEditorView* TabView(int tab) const;
  void ActivateTab(int tab);
  QTabWidget* Tabs() const { return tabs_; }

  bool OnCommand(int id) override;
  bool OnUpdateCommand(FwCmdUI& ui) override;
  bool HasCommand(int id) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTabWidget* tabs_ = nullptr;
  CEditorView* views_[3] = {};
  bool painted_ = false;
  bool placed_ = false;
};
