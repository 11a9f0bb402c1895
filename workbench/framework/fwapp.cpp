#include "workbench/framework/fwapp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWidget>

#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwlifetime.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwview.h"

namespace {
FwApp* g_app = nullptr;
}

FwApp* Fw_App() { return g_app; }

FwApp::FwApp() : commands_(this, this), windows_(*this) {
  g_app = this;
  Fw_RegisterMessages();
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
    connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] { RunIdle(); });
}

FwApp::~FwApp() {
  templates_.clear();
  if (g_app == this) g_app = nullptr;
}

void FwApp::SetMainFrame(FwMainFrame* frame) {
  main_frame_ = frame;
  commands_.SetShortcutWindow(frame);
}

FwDocTemplate* FwApp::AddDocTemplate(std::unique_ptr<FwDocTemplate> tmpl) {
  templates_.push_back(std::move(tmpl));
  return templates_.back().get();
}

std::vector<FwCmdTarget*> FwApp::RouteChain() const {
  std::vector<FwCmdTarget*> chain;
  // The nearest command target around the focus widget (a docking bar's
  // content) comes first; views and frames take their usual places below.
  for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
    auto* target = dynamic_cast<FwCmdTarget*>(w);
    if (target == nullptr) continue;
    if (dynamic_cast<FwView*>(w) == nullptr && dynamic_cast<FwChildFrame*>(w) == nullptr &&
        dynamic_cast<FwMainFrame*>(w) == nullptr)
      chain.push_back(target);
    break;
  }
  if (main_frame_ != nullptr) {
    FwChildFrame* child = main_frame_->ActiveChild();
    if (child != nullptr) {
      if (FwView* view = child->ActiveView()) {
        chain.push_back(view);
        if (FwDocument* doc = view->Document()) chain.push_back(doc);
      }
      chain.push_back(child);
    }
    chain.push_back(main_frame_);
  }
  chain.push_back(const_cast<FwApp*>(this));
  return chain;
}

bool FwApp::RouteCommand(int id) {
  FwBusyScope busy;  // what the command closes is freed after the route
  for (FwCmdTarget* t : RouteChain())
    if (t->OnCommand(id)) return true;
  return false;
}

FwCmdUI FwApp::RouteUpdate(int id) const {
  FwCmdUI ui;
  ui.id = id;
  auto chain = RouteChain();
  for (FwCmdTarget* t : chain)
    if (t->OnUpdateCommand(ui)) return ui;
  bool handled = false;
  for (FwCmdTarget* t : chain) handled = handled || t->HasCommand(id);
  ui.enabled = handled;
  return ui;
}

int FwApp::ActiveKind() const {
  FwChildFrame* child = main_frame_ != nullptr ? main_frame_->ActiveChild() : nullptr;
  return child != nullptr ? child->Kind() : 0;
}

int FwApp::RunIdle() {
  if (in_idle_) return 0;
  in_idle_ = true;
  int count = 0;
  // A bound keeps a handler that always asks for more from starving input.
  while (count < 64 && OnIdle(count++)) {
  }
  in_idle_ = false;
  return count;
}

bool FwApp::OnIdle(int count) {
  if (count == 0 && main_frame_ != nullptr) main_frame_->OnIdleUpdate();
  return count < 1;
}
