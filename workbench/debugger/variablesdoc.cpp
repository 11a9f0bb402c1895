#include "workbench/debugger/variablesdoc.h"

#include <cstring>

#include <QMdiArea>

#include "workbench/base/sysassert.h"
#include "workbench/debugger/variableview.h"
#include "workbench/framework/fwdoctemplate.h"

namespace {

constexpr int kResourceId = 203;
constexpr int kFrameWidth = 476;
constexpr int kFrameHeight = 240;

}  // namespace

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

CVariableFrame::CVariableFrame(FwDocument* doc, CfgWindowPositions* positions)
    : FwChildFrame(doc), positions_(positions) {
  resize(kFrameWidth, kFrameHeight);
  if (positions_) positions_->entries[CfgWnd_VariableWindow].Restore(this, false);
}

void CVariableFrame::closeEvent(QCloseEvent* event) {
  if (positions_) {
    CfgWindowPos& pos = positions_->entries[CfgWnd_VariableWindow];
    const CfgWindowPos before = pos;
    pos.Save(this);
    if (pos.valid != before.valid || std::memcmp(&pos.placement, &before.placement, sizeof pos.placement) != 0)
      positions_->modified = 1;
  }
  FwChildFrame::closeEvent(event);
}

bool CVariableFrame::GetPlacement(CfgPlacement* p) {
  const QRect r = geometry();
  if (r.width() <= 0 || r.height() <= 0) return false;
  p->length = sizeof(CfgPlacement);
  p->flags = 0;
  p->showCmd = isMaximized() ? CFG_SW_SHOWMAXIMIZED : CFG_SW_SHOW;
  p->rcNormalPosition.left = r.left();
  p->rcNormalPosition.top = r.top();
  p->rcNormalPosition.right = r.right() + 1;
  p->rcNormalPosition.bottom = r.bottom() + 1;
  return true;
}

bool CVariableFrame::SetPlacement(const CfgPlacement& p) {
  const CfgRect& r = p.rcNormalPosition;
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return false;
  setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  return true;
}

// ---- VariablesWindow ----

VariablesWindow::VariablesWindow(VariableTarget& target, CfgWindowPositions* positions)
    : target_(target), positions_(positions) {}

VariablesWindow::~VariablesWindow() {
  // The view gives its rows back to the chain as it goes; the chain then
  // frees them.
  if (CVariableDoc* doc = Document())
    for (FwChildFrame* frame : doc->Frames()) delete frame;
  template_.reset();
}

CVariableDoc* VariablesWindow::Document() const {
  if (!template_) return nullptr;
  for (FwDocument* doc : template_->Documents())
    if (auto* d = dynamic_cast<CVariableDoc*>(doc)) return d;
  return nullptr;
}

CVariableView* VariablesWindow::View() const {
  CVariableDoc* doc = Document();
  return doc ? doc->View() : nullptr;
}

bool VariablesWindow::IsOpen() const {
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
  if (!show) {
    if (CVariableDoc* doc = Document())
      for (FwChildFrame* frame : doc->Frames()) frame->close();
    return;
  }
  if (!template_) {
    template_ = std::make_unique<FwDocTemplate>(
        kResourceId, [] { return std::make_unique<CVariableDoc>(); },
        [this](FwDocument* doc) -> FwChildFrame* { return new CVariableFrame(doc, positions_); },
        [this](FwDocument* doc, QWidget* parent) -> FwView* {
          return new CVariableView(doc, target_, saved_, parent);
        });
  }
  const bool was_open = IsOpen();
  if (CVariableDoc* doc = Document()) {
    for (FwChildFrame* frame : doc->Frames()) {
      frame->show();
      frame->raise();
      if (frame->mdiArea()) frame->mdiArea()->setActiveSubWindow(frame);
    }
  } else if (!template_->OpenDocument(nullptr)) {
    return;
  }
  if (was_open) return;
  CVariableDoc* doc = Document();
  if (!doc) return;
  for (FwChildFrame* frame : doc->Frames()) frame->show();
  if (CVariableView* view = doc->View(); view && target_.IsStopped()) view->Rows().Refresh(false);
}
