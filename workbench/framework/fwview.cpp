#include "workbench/framework/fwview.h"

#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdocument.h"

FwView::FwView(FwDocument* doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  setFocusPolicy(Qt::StrongFocus);
  if (doc_ != nullptr) doc_->AddView(this);
}

FwView::~FwView() {
  FwDocument* doc = doc_;
  doc_ = nullptr;
  if (doc != nullptr) doc->RemoveView(this);
}

void FwView::LeaveDocument() {
  OnLeaveDocument();
  FwDocument* doc = doc_;
  doc_ = nullptr;
  hide();
  if (doc != nullptr) doc->RemoveView(this);
}

FwChildFrame* FwView::Frame() const { return Fw_ChildFrameOf(parentWidget()); }

void FwView::OnUpdate(const FwUpdate&) { update(); }

void FwView::focusInEvent(QFocusEvent* event) {
  if (FwChildFrame* f = Frame()) f->SetActiveView(this);
  QWidget::focusInEvent(event);
}
