#include "workbench/debugger/variablesdoc.h"

#include <QMdiArea>

#include "workbench/base/sysassert.h"
#include "workbench/debugger/variableview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandrows.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwwindows.h"

namespace {

constexpr int kFrameWidth = 476;
constexpr int kFrameHeight = 240;

const FwCommandRow kCommandRows[] = {
    fw_command(ID_VARIABLES_REFRESH, "Refresh", "Fetch every variable of the stopped program again"),
};

}  // namespace

void Variables_AddCommandRows() {
  FwApp* app = Fw_App();
  if (app && !app->Commands().Row(ID_VARIABLES_REFRESH)) app->Commands().AddRows(IDR_VARIABLETYPE, kCommandRows, {});
}

// ---- CVariableDoc ----

bool CVariableDoc::OnNewDocument() {
  SetTitle("Variables");
  return true;
}

CVariableView* CVariableDoc::View() const {
  for (FwView* view : Views())
    if (auto* v = dynamic_cast<CVariableView*>(view)) return v;
  return nullptr;
}

// ---- CVariableFrame ----

CVariableFrame::CVariableFrame(FwDocument* doc, VariableTarget& target, CfgWindowPositions* positions)
    : FwHandlers(doc), target_(target), place_(this, positions, CfgWnd_VariableWindow) {
  resize(kFrameWidth, kFrameHeight);
  place_.Restore();
}

void CVariableFrame::closeEvent(QCloseEvent* event) {
  place_.Save();
  FwChildFrame::closeEvent(event);
}

std::span<const FwCmdEntry<CVariableFrame>> CVariableFrame::Handlers() {
  static const FwCmdEntry<CVariableFrame> table[] = {
      {ID_VARIABLES_REFRESH, ID_VARIABLES_REFRESH, &CVariableFrame::OnRefresh, &CVariableFrame::OnUpdateRefresh},
  };
  return table;
}

void CVariableFrame::OnRefresh(int) {
  auto* doc = dynamic_cast<CVariableDoc*>(Document());
  if (CVariableView* view = doc ? doc->View() : nullptr) view->RefreshAll();
}

void CVariableFrame::OnUpdateRefresh(FwCmdUI& ui) { ui.Enable(target_.IsStopped()); }

// ---- VariablesWindow ----

VariablesWindow::VariablesWindow(VariableTarget& target, CfgWindowPositions* positions)
    : target_(target), positions_(positions) {
  // In the environment the application's registry owns the window kind:
  // its toggle, its place and finding it. The frame then keeps no place of
  // its own.
  FwApp* app = Fw_App();
  if (app == nullptr || app->Windows().Kind(ID_VIEW_VARIABLES) != nullptr) return;
  app->Windows().Register({ID_VIEW_VARIABLES, ID_VIEW_VARIABLES, CfgWindowKeys[CfgWnd_VariableWindow],
                           FwKindScope::Single, FwKindHost::MdiChild, [this] { return MakeFrame(); }});
  registry_ = &app->Windows();
  positions_ = nullptr;
}

VariablesWindow::~VariablesWindow() {
  // The view gives its rows back to the chain as it goes; the chain then
  // frees them.
  if (CVariableDoc* doc = Document())
    for (FwChildFrame* frame : doc->Frames()) delete frame;
  template_.reset();
}

CVariableDoc* VariablesWindow::Document() const {
  if (!template_) return nullptr;
  // A document whose window closed has no views left and is on its way out.
  for (FwDocument* doc : template_->Documents())
    if (auto* d = dynamic_cast<CVariableDoc*>(doc); d && !d->Views().empty()) return d;
  return nullptr;
}

CVariableView* VariablesWindow::View() const {
  CVariableDoc* doc = Document();
  return doc ? doc->View() : nullptr;
}

bool VariablesWindow::IsOpen() const {
  if (registry_) return registry_->IsShown(ID_VIEW_VARIABLES);
  CVariableDoc* doc = Document();
  if (!doc) return false;
  for (FwChildFrame* frame : doc->Frames())
    if (dynamic_cast<CVariableFrame*>(frame)) return true;
  return false;
}

VariableRows* VariablesWindow::Rows() {
  CVariableView* view = View();
  return view ? &view->Rows() : nullptr;
}

void VariablesWindow::ResetContents() {
  if (CVariableView* view = View())
    view->Rows().Clear();
  else
    saved_.Free();
}

void VariablesWindow::Show(bool show) {
  if (registry_) {
    if (show)
      registry_->Open(ID_VIEW_VARIABLES);
    else
      registry_->Close(ID_VIEW_VARIABLES);
    return;
  }
  if (!show) {
    if (CVariableDoc* doc = Document())
      for (FwChildFrame* frame : doc->Frames()) frame->close();
    return;
  }
  if (IsOpen()) {
    for (FwChildFrame* frame : Document()->Frames()) {
      frame->show();
      frame->raise();
      if (frame->mdiArea()) frame->mdiArea()->setActiveSubWindow(frame);
    }
    return;
  }
  if (FwChildFrame* frame = MakeFrame()) frame->show();
}

FwChildFrame* VariablesWindow::MakeFrame() {
  if (!template_) {
    Variables_AddCommandRows();
    template_ = std::make_unique<FwDocTemplate>(
        IDR_VARIABLETYPE, [] { return std::make_unique<CVariableDoc>(); },
        [this](FwDocument* doc) -> FwChildFrame* { return new CVariableFrame(doc, target_, positions_); },
        [this](FwDocument* doc, QWidget* parent) -> FwView* {
          return new CVariableView(doc, target_, saved_, parent);
        });
  }
  CVariableDoc* doc = Document();
  if (doc == nullptr) doc = dynamic_cast<CVariableDoc*>(template_->OpenDocument(nullptr));
  if (doc == nullptr || doc->Frames().empty()) return nullptr;
  // A window that was not open: filled at once while a session is stopped.
  if (CVariableView* view = doc->View(); view && target_.IsStopped()) view->Rows().Refresh(false);
  return doc->Frames().front();
}
