// The docking browse bar with the tabs "Files" (the cross-reference window)
// and "Help" (the help contents pane). There is at most one.
#pragma once

#include <QDockWidget>

class QTabWidget;

class CBrowseBar : public QDockWidget {
 public:
  explicit CBrowseBar(QWidget* parent);
  ~CBrowseBar() override;

  // Brings tab n forward when the bar exists and n is a tab's index.
  static void ActivateTab(int index);
  static CBrowseBar* Instance() { return the_bar_; }
  // Reloads the help contents pane (when the help settings were applied).
  static void ReloadHelp();
  QTabWidget* Tabs() const { return tabs_; }
  // Puts a pane in place of tab n's placeholder (or its earlier pane, which
  // is deleted); the tab keeps its text. The bar takes the pane.
  void SetPane(int index, QWidget* pane);

 private:
  QTabWidget* tabs_;
  static CBrowseBar* the_bar_;
};
