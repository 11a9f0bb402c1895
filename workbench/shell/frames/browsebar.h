// The docking browse bar with the tabs "Files" (the cross-reference window)
// and "Help" (the help contents pane). There is at most one. "Docking View"
// switches it between docking and a window of the MDI area; Shift+F10, the
// menu key and the right button give its context menu. The main frame owns
// it (CMainFrame::BrowseBar()).
#pragma once

#include <QDockWidget>

class QKeyEvent;
class QMdiArea;
class QMdiSubWindow;
class QTabWidget;

class CBrowseBar : public QDockWidget {
 public:
  explicit CBrowseBar(QWidget* parent);
  ~CBrowseBar() override;

  QTabWidget* Tabs() const { return tabs_; }
  // Puts a pane in place of tab n's placeholder (or its earlier pane, which
  // is deleted); the tab keeps its text. The bar takes the pane.
  void SetPane(int index, QWidget* pane);

  // Shown docked or as a window.
  bool Shown() const;
  void SetShown(bool shown);
  // As a window of the MDI area (true) or docked (false).
  bool InWindow() const { return window_ != nullptr; }
  void SetInWindow(bool in_window, QMdiArea* area);
  QMdiSubWindow* Window() const { return window_; }
  // The bar's context menu at a point of the screen.
  void ShowContextMenu(const QPoint& global);
  // Shift+F10 or the menu key: the menu at the client's corner; false for
  // any other key.
  bool MenuKey(QKeyEvent* event, QWidget* client);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The window closed by the user: the tabs come back, the bar stays hidden.
  void WindowClosed();

  QTabWidget* tabs_;
  QMdiSubWindow* window_ = nullptr;
};
