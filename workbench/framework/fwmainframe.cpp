#include "workbench/framework/fwmainframe.h"

#include <algorithm>
#include <vector>

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimerEvent>
#include <QToolBar>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwstatusbar.h"

FwMainFrame::FwMainFrame() : mdi_(new QMdiArea(this)), timers_(this) {
  setCentralWidget(mdi_);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Ctrl+F4 is the frame's Close Window command, which works wherever the
  // focus is; the key leaves each child's own system menu, where it would
  // make the key ambiguous inside the child.
  connect(mdi_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* w) {
    if (w == nullptr || w->systemMenu() == nullptr) return;
    const QKeySequence close_key(Qt::CTRL | Qt::Key_F4);
    for (QAction* a : w->systemMenu()->actions()) {
      QList<QKeySequence> keys = a->shortcuts();
      if (keys.removeAll(close_key) > 0) a->setShortcuts(keys);
    }
  });
}

FwMainFrame::~FwMainFrame() {
  if (FwApp* app = Fw_App())
    if (app->MainFrame() == this) app->SetMainFrame(nullptr);
}

void FwMainFrame::AddChild(FwChildFrame* frame) {
  mdi_->addSubWindow(frame);
  frame->show();
  mdi_->setActiveSubWindow(frame);
}

FwChildFrame* FwMainFrame::ActiveChild() const {
  auto* child = dynamic_cast<FwChildFrame*>(mdi_->currentSubWindow());
  // A frame closed while another window had the focus stays current,
  // hidden and without its document, until it is freed: nothing is routed
  // to it.
  return child != nullptr && !child->isHidden() ? child : nullptr;
}

void FwMainFrame::RegisterBar(int id, QWidget* bar) { bars_[id] = bar; }

QWidget* FwMainFrame::Bar(int id) const {
  auto it = bars_.find(id);
  return it == bars_.end() ? nullptr : it->second;
}

void FwMainFrame::SetFwStatusBar(FwStatusBar* bar) {
  status_ = bar;
  setStatusBar(bar);
  if (isVisible()) bar->show();
}

bool FwMainFrame::OnCommand(int id) {
  if (QWidget* bar = Bar(id)) {
    bar->setVisible(!bar->isVisible());
    return true;
  }
  return false;
}

bool FwMainFrame::OnUpdateCommand(FwCmdUI& ui) {
  if (QWidget* bar = Bar(ui.id)) {
    ui.SetCheck(bar->isVisible());
    return true;
  }
  return false;
}

bool FwMainFrame::HasCommand(int id) const { return Bar(id) != nullptr; }

void FwMainFrame::OnIdleUpdate() {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  // Hidden bars too: an update may be what shows a button.
  for (QToolBar* bar : findChildren<QToolBar*>()) {
    // A window's own bar (the Variables window's) follows that window,
    // whichever window is active.
    FwChildFrame* owner = Fw_ChildFrameOf(bar->parentWidget());
    for (QAction* a : bar->actions())
      if (!a->isSeparator()) app->UpdateAction(a, owner);
  }
  if (status_ != nullptr) status_->UpdatePanes();
  // A document's model may have changed its modified flag or its name.
  for (auto* sub : mdi_->subWindowList())
    if (auto* child = dynamic_cast<FwChildFrame*>(sub)) child->UpdateTitle();
}

void FwMainFrame::OnMessage(FwMessage&) {}
void FwMainFrame::OnTimer(int) {}

bool FwMainFrame::OnClose() { return SaveModifiedDocuments(); }

bool FwMainFrame::SaveModifiedDocuments() {
  // Each document is asked once, however many windows show it.
  std::vector<FwDocument*> asked;
  for (auto* sub : mdi_->subWindowList()) {
    auto* child = dynamic_cast<FwChildFrame*>(sub);
    FwDocument* doc = child != nullptr ? child->Document() : nullptr;
    if (doc == nullptr || std::find(asked.begin(), asked.end(), doc) != asked.end()) continue;
    asked.push_back(doc);
    if (!doc->SaveModified()) return false;
  }
  return true;
}

void FwMainFrame::customEvent(QEvent* event) {
  if (auto* m = dynamic_cast<FwMessage*>(event)) {
    OnMessage(*m);
    return;
  }
  QMainWindow::customEvent(event);
}

void FwMainFrame::timerEvent(QTimerEvent* event) {
  int id = timers_.IdOf(event->timerId());
  if (id != 0) {
    OnTimer(id);
    return;
  }
  QMainWindow::timerEvent(event);
}

void FwMainFrame::closeEvent(QCloseEvent* event) {
  if (!OnClose()) {
    event->ignore();
    return;
  }
  // Dialogs are windows of their own and are not hidden with this one.
  if (FwApp* app = Fw_App()) app->Windows().SavePlacements();
  QMainWindow::closeEvent(event);
}
