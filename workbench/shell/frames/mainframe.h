// The main window of the environment: menus, six tool bars, the status bar
// and the browse bar; its placement; the list of open documents with the
// auto-save tick (timer 1, 10 s); the close refusals; the debugger's
// commands posted as private messages; the debugger's output lines; the
// File/New menu of new-file kinds and the recent files of the File menu.
#pragma once

#include <functional>
#include <vector>

#include "workbench/framework/fwcommandrows.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/shell/docid.h"
#include "workbench/base/settings/config.h"

class CYqStatusBar;
class CEditBar;
class CBrowseBar;
class QMenu;
class QToolBar;
class QAction;
class QMdiSubWindow;

class CMainFrame : public FwHandlers<CMainFrame, FwMainFrame>, public CfgWindow {
 public:
  CMainFrame();
  ~CMainFrame() override;

  // Window creation: false when a part could not be made.
  bool Create();

  CYqStatusBar* StatusBar() const { return status_; }
  CEditBar* EditBar() const { return edit_bar_; }
  CBrowseBar* BrowseBar() const { return browse_; }
  QMenu* FileMenu() const { return file_menu_; }
  QMenu* NewMenu() const { return new_menu_; }

  DocID* GetDocID(AutoSaveDoc* document) { return docs_.GetDocID(document); }
  DocIdList& Docs() { return docs_; }

  // The File/New pop-up (command 57600).
  void OnFileNew();
  // Fills a menu with the new-file kinds and plug-ins.
  void FillFileNewMenu(QMenu* menu);
  // The File menu's recent files (before it opens).
  void RefreshRecentFiles();
  void RefreshMenu();
  QMenu* WindowMenu() const { return window_menu_; }
  // The child windows of the MDI area that are open, in creation order.
  std::vector<QMdiSubWindow*> OpenChildren() const;
  // The Window menu's list of open windows, the active one checked.
  void RefreshWindowList();

  bool ShowMaximizedAtStart() const { return show_maximized_; }
  bool Trace() const { return trace_; }
  bool DebugBusy() const { return busy_; }
  // A debug command may run: none is in progress and the program, if any,
  // is stopped.
  bool MayRunDebugCommand() const;
  // Runs a debug command that a view started (Run to Cursor) with the
  // frame's run state for its time, as Run has; nothing while another debug
  // command is in progress or the program runs.
  void RunViewDebugCommand(const std::function<void()>& command);

  // CfgWindow.
  bool GetPlacement(CfgPlacement* placement) override;
  bool IsMaximized() override;
  bool SetPlacement(const CfgPlacement& placement) override;

  static std::span<const FwCmdEntry<CMainFrame>> Handlers();

 protected:
  void OnMessage(FwMessage& message) override;
  void OnTimer(int id) override;
  bool OnClose() override;
  QMenu* createPopupMenu() override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void DebugRun(int kind);
  void OnDebugCommand(int id);
  void OnUpdateDebugCommand(FwCmdUI& ui);
  void OnUpdateStop(FwCmdUI& ui);
  void OnUpdateHalt(FwCmdUI& ui);
  static const FwCmdEntry<CMainFrame> kMap[];
  void OnSaveAll(int id);
  void OnFind(int id);
  void OnOutput(int id);
  void OnUpdateOutput(FwCmdUI& ui);
  void OnRemoveBreakpoints(int id);
  void OnUpdateRemoveBreakpoints(FwCmdUI& ui);
  void OnTrace(int id);
  void OnUpdateTrace(FwCmdUI& ui);
  void OnNewKind(int id);
  void OnUpdateViewPaneGroup(FwCmdUI& ui);
  void OnUpdateNetwork(FwCmdUI& ui);
  void OnUpdateRun(FwCmdUI& ui);
  void OnUpdateKeyIndicator(FwCmdUI& ui);
  void OnWindowArrange(int id);
  void OnUpdateAnyChild(FwCmdUI& ui);
  void OnWindowNext(int id);
  void OnUpdateWindowNext(FwCmdUI& ui);
  void OnWindowClose(int id);
  void OnActivateChild(int id);
  void OnMoreWindows(int id);
  void OnBrowse(int id);
  void OnUpdateBrowse(FwCmdUI& ui);
  void OnDockingView(int id);
  void OnUpdateDockingView(FwCmdUI& ui);
  void BuildMenus();
  bool BuildToolBars();
  QToolBar* MakeBar(int id, const char* title, FwPlace place);
  void SavePlacement();

  CYqStatusBar* status_ = nullptr;
  CEditBar* edit_bar_ = nullptr;
  CBrowseBar* browse_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QMenu* new_menu_ = nullptr;
  std::vector<QAction*> mru_actions_;
  QMenu* window_menu_ = nullptr;
  std::vector<QAction*> window_actions_;
  DocIdList docs_;
  int auto_save_timer_ = 0;
  bool trace_ = false;
  bool busy_ = false;
  bool halt_requested_ = false;
  int step_state_ = 0;
  int step_kind_ = 0;
  bool show_maximized_ = false;
  bool closed_ = false;
};

// The application's main frame: null when there is no application object,
// before its frame is made and once the frame is gone.
CMainFrame* Shell_MainFrame();
// Its status bar and edit bar, or null (no main frame).
CYqStatusBar* Shell_StatusBar();
CEditBar* Shell_EditBar();
