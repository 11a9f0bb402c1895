// The status bar: a row of panes, of which the active ones are shown in
// table order. The panes with an id are updated at idle time through the
// routed update handlers: a disabled pane shows no text, a handler's text
// replaces the pane's.
#pragma once

#include <vector>

#include <QStatusBar>

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
  // Routes the update handlers of the active panes that have an id.
  virtual void UpdatePanes();

 private:
  std::vector<FwStatusPane*> panes_;
  std::vector<bool> active_;
};
