// The status bar: a row of panes, of which the active ones are shown in
// table order. The panes with an id are updated at idle time through the
// routed update handlers: a disabled pane shows no text, a handler's text
// replaces the pane's.
#pragma once

#include <vector>

#include <QStatusBar>

#include "workbench/framework/fwcmdui.h"

class FwStatusPane;

class FwStatusBar : public QStatusBar {
 public:
  explicit FwStatusBar(QWidget* parent = nullptr);

  // Adds a pane to the table (inactive until SetActive).
  int AddPane(FwStatusPane* pane);
  int PaneCount() const { return static_cast<int>(panes_.size()); }
  FwStatusPane* Pane(int index) const;
  FwStatusPane* PaneById(int id) const;
  // Shows exactly the panes whose indexes are listed, in table order.
  void SetActivePanes(const std::vector<bool>& active);
  bool IsActive(int index) const;
  // Routes the update handlers of every pane that has an id, active or not,
  // so that an update can make a pane appear.
  virtual void UpdatePanes();

 protected:
  // What an update record does to a pane: enabled state and text. A bar
  // with pane groups shows and hides them here by the record's `shown`.
  virtual void ApplyPaneUpdate(int index, const FwCmdUI& ui);

 private:
  std::vector<FwStatusPane*> panes_;
  std::vector<bool> active_;
};
