#include "workbench/shell/frames/mainframe.h"

#include <algorithm>
#include <cstring>

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

#include "workbench/framework/fwplacement.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmessage.h"
#include "platform/profile.h"
#include "workbench/shell/filenew.h"
#include "workbench/shell/frames/browsebar.h"
#include "workbench/shell/frames/editbar.h"
#include "workbench/shell/frames/keylamps.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

namespace {

enum {
  ID_AUTOSAVE_TIMER = 1,
  AUTOSAVE_PERIOD_MS = 10000,
};

const char kWindowPositions[] = "WindowPositions";

// Step kind of each debug command (0 run, 1 into, 2 over, 3 out).
int StepKindOf(int id) {
  switch (id) {
    case ID_DEBUG_STEP_INTO: return 1;
    case ID_DEBUG_STEP_OVER: return 2;
    case ID_DEBUG_STEP_OUT: return 3;
    default: return 0;
  }
}

}  // namespace

CMainFrame::CMainFrame() { setAcceptDrops(true); }

CMainFrame::~CMainFrame() {
  Timers().KillAll();
  // The application no longer routes through this frame, and boxes lose
  // their owner.
  if (FwApp* app = Fw_App(); app != nullptr && app->MainFrame() == this) {
    app->SetMainFrame(nullptr);
    Sys_ClearMainWindow();
  }
}

CMainFrame* Shell_MainFrame() {
  FwApp* app = Fw_App();
  return app != nullptr ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

CYqStatusBar* Shell_StatusBar() {
  CMainFrame* main = Shell_MainFrame();
  return main != nullptr ? main->StatusBar() : nullptr;
}

CEditBar* Shell_EditBar() {
  CMainFrame* main = Shell_MainFrame();
  return main != nullptr ? main->EditBar() : nullptr;
}

bool CMainFrame::Create() {
  setWindowTitle("QX Varnica Development Environment");
  setObjectName(QString::number(IDR_MAINFRAME));
  Sys_SetMainWindow(this);
  resize(1000, 700);
  CYqApp* app = YqApp();
  app->m_Config.WindowPositions.entries[CfgWnd_MainFrame].Restore(this, true);
  BuildMenus();
  if (!BuildToolBars()) return false;
  status_ = new CYqStatusBar;
  if (!status_->Create(this)) return false;
  SetFwStatusBar(status_);
  RegisterBar(ID_STATUS_BAR, status_);

  browse_ = new CBrowseBar(this);
  browse_->setAllowedAreas(Qt::AllDockWidgetAreas);
  addDockWidget(Qt::LeftDockWidgetArea, browse_);
  resizeDocks({browse_}, {192}, Qt::Horizontal);
  RegisterBar(ID_VIEW_BROWSE, browse_);
  browse_->hide();
  bool visible = false;
  if (Cfg_GetBool(kWindowPositions, "BrowseBarVisible", &visible) && visible) browse_->show();

  std::string layout;
  if (profile_get_binary(Cfg_Profile(), kWindowPositions, "BarLayout", &layout))
    RestoreLayout(QByteArray(layout.data(), static_cast<qsizetype>(layout.size())));
  if (browse_->isVisible() != visible) browse_->setVisible(visible);

  auto_save_timer_ = Timers().SetTimer(ID_AUTOSAVE_TIMER, AUTOSAVE_PERIOD_MS);
  return true;
}

void CMainFrame::BuildMenus() {
  FwCommandTable& c = Fw_App()->Commands();
  QMenuBar* bar = menuBar();
  bar->setObjectName(QString::number(ID_MENU_BAR));

  file_menu_ = bar->addMenu("&File");
  new_menu_ = file_menu_->addMenu("&New");
  connect(new_menu_, &QMenu::aboutToShow, this, [this] {
    new_menu_->clear();
    FillFileNewMenu(new_menu_);
  });
  c.FillMenu(file_menu_, FwPlace::MenuFile);
  connect(file_menu_, &QMenu::aboutToShow, this, [this] { RefreshRecentFiles(); });

  c.FillMenu(bar->addMenu("&Edit"), FwPlace::MenuEdit);
  QMenu* view = bar->addMenu("&View");
  c.FillMenu(view->addMenu("&Toolbars"), FwPlace::MenuToolbars);
  c.FillMenu(view, FwPlace::MenuView);
  c.FillMenu(bar->addMenu("&Program"), FwPlace::MenuProgram);
  window_menu_ = bar->addMenu("&Window");
  c.FillMenu(window_menu_, FwPlace::MenuWindow);
  // After the rows: the list of open windows.
  connect(window_menu_, &QMenu::aboutToShow, this, [this] { RefreshWindowList(); });
  c.FillMenu(bar->addMenu("&Help"), FwPlace::MenuHelp);
}

QToolBar* CMainFrame::MakeBar(int id, const char* title, FwPlace place) {
  auto* bar = new QToolBar(title, this);
  bar->setObjectName(QString::number(id));
  Fw_App()->Commands().FillToolBar(bar, place);
  RegisterBar(id, bar);
  return bar;
}

bool CMainFrame::BuildToolBars() {
  QToolBar* file = MakeBar(ID_BAR_FILE, "File", FwPlace::BarFile);
  edit_bar_ = new CEditBar(this);
  if (!edit_bar_->Create(&YqApp()->m_FindHistory)) return false;
  RegisterBar(ID_BAR_EDIT, edit_bar_);
  QToolBar* attributes = MakeBar(ID_BAR_ATTRIBUTES, "Attributes", FwPlace::BarAttributes);
  QToolBar* view = MakeBar(ID_BAR_VIEW, "View", FwPlace::BarView);
  QToolBar* program = MakeBar(ID_BAR_PROGRAM, "Program", FwPlace::BarProgram);
  QToolBar* window = MakeBar(ID_BAR_WINDOW, "Window", FwPlace::BarWindow);
  // Menu row, then File, Edit and Attributes; View, Program and Window in a
  // new row.
  for (QToolBar* b : {file, static_cast<QToolBar*>(edit_bar_), attributes}) addToolBar(Qt::TopToolBarArea, b);
  addToolBarBreak(Qt::TopToolBarArea);
  for (QToolBar* b : {view, program, window}) addToolBar(Qt::TopToolBarArea, b);
  return true;
}

// ------------------------------------------------------------ placement

bool CMainFrame::GetPlacement(CfgPlacement* p) {
  return Fw_PlacementOf(isMaximized() ? normalGeometry() : geometry(), isMaximized(), p);
}

bool CMainFrame::IsMaximized() { return isMaximized(); }

bool CMainFrame::SetPlacement(const CfgPlacement& p) {
  const CfgRect& r = p.rcNormalPosition;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 100 || h < 100 || w > 20000 || h > 20000) return false;
  setGeometry(r.left, r.top, w, h);
  show_maximized_ = p.showCmd == CFG_SW_SHOWMAXIMIZED || (p.flags & CFG_WPF_RESTORETOMAXIMIZED) != 0;
  return true;
}

void CMainFrame::SavePlacement() {
  CfgWindowPositions& positions = YqApp()->m_Config.WindowPositions;
  CfgWindowPos& pos = positions.entries[CfgWnd_MainFrame];
  CfgWindowPos before = pos;
  pos.Save(this);
  if (pos.valid != before.valid || std::memcmp(&pos.placement, &before.placement, sizeof pos.placement) != 0)
    positions.modified = 1;
  QByteArray layout = SaveLayout();
  std::string old;
  profile_get_binary(Cfg_Profile(), kWindowPositions, "BarLayout", &old);
  if (old != std::string(layout.constData(), static_cast<size_t>(layout.size())))
    profile_write_binary(Cfg_Profile(), kWindowPositions, "BarLayout", layout.constData(),
                         static_cast<size_t>(layout.size()));
}

// ------------------------------------------------------------ closing

bool CMainFrame::OnClose() {
  ShellNeighbours& n = Shell_Neighbours();
  if (n.explorer->SaveAsOpen()) {
    n.explorer->CloseSaveAs();
    return false;
  }
  if (n.debug->SessionExists()) {
    int answer = Shell_Sink().message_box(
        this, "Debug Session Still Active",
        "A Debug Session is still active.\nIf you close this window, the Debug Session will be stopped.\nDo you "
        "want to close this window?",
        SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2);
    if (answer != SHELL_IDYES) return false;
    if (busy_) {
      n.debug->CancelPending();
      return false;
    }
    n.debug->EndSession();
  }
  if (n.server->AnyPending()) {
    n.server->CancelAll();
    return false;
  }
  Cfg_PutBool(kWindowPositions, "BrowseBarVisible", browse_ != nullptr && browse_->Shown());
  if (!FwMainFrame::OnClose()) return false;
  // The window goes: the timer stops and the placement is kept.
  Timers().KillTimer(ID_AUTOSAVE_TIMER);
  auto_save_timer_ = 0;
  SavePlacement();
  closed_ = true;
  return true;
}

// ------------------------------------------------------------ timer and messages

void CMainFrame::OnTimer(int) { docs_.Tick(); }

bool CMainFrame::MayRunDebugCommand() const {
  DebugLink* d = Shell_Neighbours().debug;
  return !busy_ && (!d->SessionExists() || !d->SessionWaiting());
}

void CMainFrame::DebugRun(int kind) {
  DebugLink* d = Shell_Neighbours().debug;
  if (!MayRunDebugCommand()) return;
  busy_ = true;
  bool existed = d->SessionExists();
  if (!existed) d->StartSession(kind == 0 ? 0 : 1);
  if (d->SessionExists() && (existed || kind == 0)) {
    step_state_ = 2;
    step_kind_ = kind;
    if (!d->Continue(kind, trace_)) d->CheckSession();
  }
  busy_ = false;
  halt_requested_ = false;
}

void CMainFrame::RunViewDebugCommand(const std::function<void()>& command) {
  if (!MayRunDebugCommand()) return;
  busy_ = true;
  step_state_ = 2;
  step_kind_ = 0;
  command();
  busy_ = false;
  halt_requested_ = false;
}

void CMainFrame::OnMessage(FwMessage& m) {
  DebugLink* d = Shell_Neighbours().debug;
  switch (m.Id()) {
    case FW_MSG_DEBUG_RUN: DebugRun(0); break;
    case FW_MSG_DEBUG_STEP_INTO: DebugRun(1); break;
    case FW_MSG_DEBUG_STEP_OVER: DebugRun(2); break;
    case FW_MSG_DEBUG_STEP_OUT: DebugRun(3); break;
    case FW_MSG_DEBUG_HALT:
      if (!d->SessionExists()) break;
      halt_requested_ = true;
      if (!d->Break()) {
        d->CheckSession();
        halt_requested_ = false;
      }
      break;
    case FW_MSG_DEBUG_STOP:
      if (MayRunDebugCommand())
        d->EndSession();
      else
        d->CancelPending();
      break;
    case FW_MSG_DEBUG_ENDED: d->ProcessEnded(); break;
    case FW_MSG_OUTPUT_LINE:
      if (!m.has_block) break;
      if (!Shell_Neighbours().output->IsShown()) YqApp()->ShowTabOnIdle(1);
      YqApp()->QueueText(m.block);
      break;
    default: break;
  }
}

// ------------------------------------------------------------ commands

const FwCmdEntry<CMainFrame> CMainFrame::kMap[] = {
    {ID_FILE_SAVE_ALL, ID_FILE_SAVE_ALL, &CMainFrame::OnSaveAll, nullptr},
    {ID_FIND_BOX, ID_FIND_BOX, &CMainFrame::OnFind, nullptr},
    {ID_VIEW_OUTPUT, ID_VIEW_OUTPUT, &CMainFrame::OnOutput, &CMainFrame::OnUpdateOutput},
    {ID_DEBUG_RUN, ID_DEBUG_RUN, &CMainFrame::OnDebugCommand, &CMainFrame::OnUpdateDebugCommand},
    {ID_DEBUG_HALT, ID_DEBUG_HALT, &CMainFrame::OnDebugCommand, &CMainFrame::OnUpdateHalt},
    {ID_DEBUG_STOP, ID_DEBUG_STOP, &CMainFrame::OnDebugCommand, &CMainFrame::OnUpdateStop},
    {ID_DEBUG_STEP_INTO, ID_DEBUG_STEP_OUT, &CMainFrame::OnDebugCommand, &CMainFrame::OnUpdateDebugCommand},
    {ID_REMOVE_BREAKPOINTS, ID_REMOVE_BREAKPOINTS, &CMainFrame::OnRemoveBreakpoints,
     &CMainFrame::OnUpdateRemoveBreakpoints},
    {ID_DEBUG_TRACE, ID_DEBUG_TRACE, &CMainFrame::OnTrace, &CMainFrame::OnUpdateTrace},
    {ID_FILE_NEW_FIRST, ID_FILE_NEW_LAST, &CMainFrame::OnNewKind, nullptr},
    {ID_PANE_LINE_LABEL, ID_PANE_COLUMN, nullptr, &CMainFrame::OnUpdateViewPaneGroup},
    {ID_PANE_LINENUMBER_LABEL, ID_PANE_LINENUMBER, nullptr, &CMainFrame::OnUpdateViewPaneGroup},
    {ID_PANE_X_LABEL, ID_PANE_HEIGHT, nullptr, &CMainFrame::OnUpdateViewPaneGroup},
    {ID_PANE_NETWORK, ID_PANE_NETWORK, nullptr, &CMainFrame::OnUpdateNetwork},
    {ID_PANE_RUN, ID_PANE_RUN, nullptr, &CMainFrame::OnUpdateRun},
    {ID_PANE_CAP, ID_PANE_NUM, nullptr, &CMainFrame::OnUpdateKeyIndicator},
    {ID_WINDOW_ARRANGE, ID_WINDOW_TILE, &CMainFrame::OnWindowArrange, &CMainFrame::OnUpdateAnyChild},
    {ID_WINDOW_NEXT, ID_WINDOW_PREV, &CMainFrame::OnWindowNext, &CMainFrame::OnUpdateWindowNext},
    {ID_WINDOW_CLOSE, ID_WINDOW_CLOSE, &CMainFrame::OnWindowClose, &CMainFrame::OnUpdateAnyChild},
    {ID_WINDOW_CHILD_FIRST, ID_WINDOW_CHILD_LAST, &CMainFrame::OnActivateChild, nullptr},
    {ID_WINDOW_MORE, ID_WINDOW_MORE, &CMainFrame::OnMoreWindows, nullptr},
    {ID_VIEW_BROWSE, ID_VIEW_BROWSE, &CMainFrame::OnBrowse, &CMainFrame::OnUpdateBrowse},
    {ID_DOCKING_VIEW, ID_DOCKING_VIEW, &CMainFrame::OnDockingView, &CMainFrame::OnUpdateDockingView},
};

std::span<const FwCmdEntry<CMainFrame>> CMainFrame::Handlers() { return kMap; }

void CMainFrame::OnSaveAll(int) {
  if (Shell_Neighbours().program->SaveAllModified()) Shell_Neighbours().designer->SaveAll();
}

void CMainFrame::OnFind(int) {
  if (edit_bar_ != nullptr) edit_bar_->FocusFindBox();
}

void CMainFrame::OnOutput(int) {
  OutputLink* o = Shell_Neighbours().output;
  o->Show(!o->IsShown());
}
void CMainFrame::OnUpdateOutput(FwCmdUI& ui) {
  ui.Enable(Shell_Neighbours().output->Plugged());
  ui.SetCheck(Shell_Neighbours().output->IsShown());
}

void CMainFrame::OnDebugCommand(int id) {
  switch (id) {
    case ID_DEBUG_RUN: Fw_PostMessage(this, FW_MSG_DEBUG_RUN); break;
    case ID_DEBUG_HALT: Fw_PostMessage(this, FW_MSG_DEBUG_HALT); break;
    case ID_DEBUG_STOP: Fw_PostMessage(this, FW_MSG_DEBUG_STOP); break;
    case ID_DEBUG_STEP_INTO: Fw_PostMessage(this, FW_MSG_DEBUG_STEP_INTO); break;
    case ID_DEBUG_STEP_OVER: Fw_PostMessage(this, FW_MSG_DEBUG_STEP_OVER); break;
    case ID_DEBUG_STEP_OUT: Fw_PostMessage(this, FW_MSG_DEBUG_STEP_OUT); break;
    default: break;
  }
}

void CMainFrame::OnUpdateDebugCommand(FwCmdUI& ui) {
  ui.Enable(Shell_Neighbours().debug->Plugged() && MayRunDebugCommand());
  ui.SetCheck(busy_ && step_state_ == 2 && step_kind_ == StepKindOf(ui.id));
}

void CMainFrame::OnUpdateStop(FwCmdUI& ui) { ui.Enable(Shell_Neighbours().debug->SessionExists()); }

void CMainFrame::OnUpdateHalt(FwCmdUI& ui) {
  ui.Enable(Shell_Neighbours().debug->SessionExists());
  // A request is dropped once no debug command is busy.
  ui.SetCheck(busy_ && halt_requested_);
}

void CMainFrame::OnRemoveBreakpoints(int) { Shell_Neighbours().program->RemoveAllBreakpoints(); }
void CMainFrame::OnUpdateRemoveBreakpoints(FwCmdUI& ui) { ui.Enable(Shell_Neighbours().program->AnyBreakpoint()); }

void CMainFrame::OnTrace(int) { trace_ = !trace_; }
void CMainFrame::OnUpdateTrace(FwCmdUI& ui) { ui.SetCheck(trace_); }

// The pane groups of a view (line and column, line number, the designer
// object) are hidden while no active view serves their ids.
void CMainFrame::OnUpdateViewPaneGroup(FwCmdUI& ui) {
  ui.Enable(false);
  ui.Show(false);
}

// The status bar reads the network state at its idle update.
void CMainFrame::OnUpdateNetwork(FwCmdUI& ui) { ui.Enable(false); }

void CMainFrame::OnUpdateRun(FwCmdUI& ui) { ui.Enable(Shell_Neighbours().debug->SessionExists()); }

// The keyboard lamps as the display server keeps them (off where it does
// not tell).
void CMainFrame::OnUpdateKeyIndicator(FwCmdUI& ui) {
  const KeyLamps lamps = KeyLamps_Read();
  ui.Enable(ui.id == ID_PANE_CAP ? lamps.caps : lamps.num);
}

// ------------------------------------------------------------ File menu

void CMainFrame::FillFileNewMenu(QMenu* menu) {
  std::vector<std::string> plugins;
  for (const DesignerPlugin& p : Shell_Neighbours().designer->Plugins()) plugins.push_back(p.type_name);
  for (const FileNewItem& item : FileNew_MenuItems(YqApp()->m_Config.General.NewFileMode, plugins)) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    menu->addAction(Fw_App()->Commands().MakeRangeItem(item.id, QString::fromStdString(item.text), menu));
  }
}

void CMainFrame::OnFileNew() {
  QMenu menu(this);
  FillFileNewMenu(&menu);
  QPoint at = QCursor::pos();
  if (!frameGeometry().contains(at)) at = mapToGlobal(rect().center());
  menu.exec(at);
}

void CMainFrame::OnNewKind(int id) {
  CYqApp* app = YqApp();
  std::vector<std::string> plugins;
  for (const DesignerPlugin& p : Shell_Neighbours().designer->Plugins()) plugins.push_back(p.type_name);
  for (const FileNewItem& item : FileNew_MenuItems(app->m_Config.General.NewFileMode, plugins)) {
    if (item.id != id) continue;
    if (item.plugin >= 0) {
      Shell_Neighbours().designer->NewDocument(item.plugin);
      return;
    }
    // Another kind is the default for this one new document only.
    int32_t keep = app->m_Config.General.NewFileMode;
    app->m_Config.General.NewFileMode = item.mode;
    Shell_Neighbours().program->OpenFile(nullptr, item.mode);
    app->m_Config.General.NewFileMode = keep;
    return;
  }
}

void CMainFrame::RefreshRecentFiles() {
  for (QAction* a : mru_actions_) delete a;
  mru_actions_.clear();
  CYqApp* app = YqApp();
  QAction* first = app->Commands().Action(ID_FILE_MRU_FILE1);
  if (first == nullptr) return;
  const CfgMruFiles& mru = app->m_MruFiles;
  first->setText(mru.files.Count() == 0 ? "Recent File"
                                        : QString::fromStdString(FileMru_MenuText(1, mru.GetDisplayName(0))));
  QList<QAction*> actions = file_menu_->actions();
  int at = static_cast<int>(actions.indexOf(first));
  QAction* before = at + 1 < actions.size() ? actions[at + 1] : nullptr;
  for (int i = 1; i < 16 && i < mru.files.Count(); ++i) {
    int id = ID_FILE_MRU_FILE1 + i;
    QAction* a = app->Commands().MakeRangeItem(
        id, QString::fromStdString(FileMru_MenuText(i + 1, mru.GetDisplayName(i))), file_menu_);
    file_menu_->insertAction(before, a);
    mru_actions_.push_back(a);
  }
}

void CMainFrame::RefreshMenu() { menuBar()->update(); }

// ------------------------------------------------------------ Window menu

std::vector<QMdiSubWindow*> CMainFrame::OpenChildren() const {
  std::vector<QMdiSubWindow*> children;
  // A closing frame is hidden until it is freed.
  for (QMdiSubWindow* w : MdiArea()->subWindowList(QMdiArea::CreationOrder))
    if (!w->isHidden()) children.push_back(w);
  return children;
}

void CMainFrame::RefreshWindowList() {
  for (QAction* a : window_actions_) delete a;
  window_actions_.clear();
  const std::vector<QMdiSubWindow*> children = OpenChildren();
  if (children.empty()) return;
  window_actions_.push_back(window_menu_->addSeparator());
  const int listed = ID_WINDOW_CHILD_LAST - ID_WINDOW_CHILD_FIRST + 1;
  QMdiSubWindow* active = MdiArea()->activeSubWindow();
  FwCommandTable& c = Fw_App()->Commands();
  for (int i = 0; i < listed && i < static_cast<int>(children.size()); ++i) {
    QAction* a = c.MakeRangeItem(ID_WINDOW_CHILD_FIRST + i,
                                 QString("&%1 %2").arg(i + 1).arg(children[static_cast<size_t>(i)]->windowTitle()),
                                 window_menu_);
    a->setCheckable(true);
    a->setChecked(children[static_cast<size_t>(i)] == active);
    window_menu_->addAction(a);
    window_actions_.push_back(a);
  }
  if (static_cast<int>(children.size()) > listed) {
    QAction* more = c.Action(ID_WINDOW_MORE);
    window_menu_->addAction(more);
  }
}

void CMainFrame::OnWindowArrange(int id) {
  QMdiArea* area = MdiArea();
  switch (id) {
    case ID_WINDOW_CASCADE: area->cascadeSubWindows(); break;
    case ID_WINDOW_TILE: area->tileSubWindows(); break;
    default: {
      // The minimized windows in a row along the bottom.
      int x = 0;
      const int bottom = area->viewport()->height();
      for (QMdiSubWindow* w : OpenChildren())
        if (w->isMinimized()) {
          w->move(x, bottom - w->height());
          x += w->width();
        }
      break;
    }
  }
}

void CMainFrame::OnUpdateAnyChild(FwCmdUI& ui) { ui.Enable(!OpenChildren().empty()); }

void CMainFrame::OnWindowNext(int id) {
  if (id == ID_WINDOW_NEXT)
    MdiArea()->activateNextSubWindow();
  else
    MdiArea()->activatePreviousSubWindow();
}

void CMainFrame::OnUpdateWindowNext(FwCmdUI& ui) { ui.Enable(OpenChildren().size() >= 2); }

void CMainFrame::OnWindowClose(int) {
  // The current window stays current while the focus is in a bar or pane.
  if (QMdiSubWindow* w = MdiArea()->currentSubWindow()) w->close();
}

void CMainFrame::OnActivateChild(int id) {
  const std::vector<QMdiSubWindow*> children = OpenChildren();
  const size_t n = static_cast<size_t>(id - ID_WINDOW_CHILD_FIRST);
  if (n < children.size()) MdiArea()->setActiveSubWindow(children[n]);
}

void CMainFrame::OnMoreWindows(int) {
  const std::vector<QMdiSubWindow*> children = OpenChildren();
  // Numbered as in the Window menu, so that two windows of one title stay
  // apart.
  QStringList titles;
  for (size_t i = 0; i < children.size(); ++i) titles << QString("%1 %2").arg(i + 1).arg(children[i]->windowTitle());
  QInputDialog dlg(this);
  dlg.setWindowTitle("Select Window");
  dlg.setLabelText("&Select Window:");
  dlg.setComboBoxItems(titles);
  dlg.setOption(QInputDialog::UseListViewForComboBoxItems);
  const auto active = std::find(children.begin(), children.end(), MdiArea()->activeSubWindow());
  if (active != children.end()) dlg.setTextValue(titles[active - children.begin()]);
  if (dlg.exec() != QDialog::Accepted) return;
  const qsizetype at = titles.indexOf(dlg.textValue());
  if (at >= 0) MdiArea()->setActiveSubWindow(children[static_cast<size_t>(at)]);
}

// ------------------------------------------------------------ bar menus

QMenu* CMainFrame::createPopupMenu() {
  auto* menu = new QMenu(this);
  Fw_App()->Commands().FillMenu(menu, FwPlace::ContextToolbars);
  return menu;
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) {
  // The browse bar has its own menu; the other bars show which bars are
  // shown.
  for (QWidget* w = childAt(event->pos()); w != nullptr && w != this; w = w->parentWidget())
    if (w == browse_) {
      browse_->ShowContextMenu(event->globalPos());
      event->accept();
      return;
    }
  FwMainFrame::contextMenuEvent(event);
}

void CMainFrame::OnBrowse(int) {
  if (browse_ != nullptr) browse_->SetShown(!browse_->Shown());
}

void CMainFrame::OnUpdateBrowse(FwCmdUI& ui) { ui.SetCheck(browse_ != nullptr && browse_->Shown()); }

void CMainFrame::OnDockingView(int) {
  if (browse_ != nullptr) browse_->SetInWindow(!browse_->InWindow(), MdiArea());
}

void CMainFrame::OnUpdateDockingView(FwCmdUI& ui) {
  ui.Enable(browse_ != nullptr);
  ui.SetCheck(browse_ != nullptr && !browse_->InWindow());
}

// ------------------------------------------------------------ dropped files

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile())
      Shell_Neighbours().program->OpenFile(url.toLocalFile().toLocal8Bit().constData(), CfgFileMode_Auto);
  event->acceptProposedAction();
}
