// The Edit tool bar: editing buttons and the find-history box, which turns
// into a plain Find button while the bar is docked vertically.
#pragma once

#include <QToolBar>

class CFindCombo;
class FindHistory;
class QAction;

class CEditBar : public QToolBar {
 public:
  explicit CEditBar(QWidget* parent);
  // Builds the bar (id 59399, title "Edit") in combo mode.
  bool Create(FindHistory* history);

  bool ButtonMode() const { return button_mode_; }
  void SetButtonMode(bool on);
  CFindCombo* FindBox() const { return combo_; }
  void FocusFindBox();

 private:
  CFindCombo* combo_ = nullptr;
  QAction* combo_action_ = nullptr;
  QAction* find_action_ = nullptr;
  bool button_mode_ = false;
};
