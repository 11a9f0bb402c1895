#include "workbench/framework/fwchildframe.h"

#include <QCloseEvent>
#include <QPointer>
#include <QSplitter>

#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwlifetime.h"
#include "workbench/framework/fwview.h"

FwChildFrame::FwChildFrame(FwDocument* doc) : doc_(doc) {
  splitter_ = new QSplitter(Qt::Vertical);
  splitter_->setChildrenCollapsible(false);
  setWidget(splitter_);
}

FwChildFrame::~FwChildFrame() = default;

void FwChildFrame::CreateClient(FwDocTemplate* tmpl) {
  tmpl_ = tmpl;
  if (RowCount() == 0) {
    FwView* v = tmpl_->CreateView(doc_, splitter_);
    if (v != nullptr) {
      v->setMinimumSize(10, 10);
      splitter_->addWidget(v);
      active_ = v;
      v->OnInitialUpdate();
    }
  }
}

bool FwChildFrame::SplitRows() {
  if (tmpl_ == nullptr || RowCount() >= 2) return false;
  FwView* v = tmpl_->CreateView(doc_, splitter_);
  if (v == nullptr) return false;
  v->setMinimumSize(10, 10);
  splitter_->addWidget(v);
  v->OnInitialUpdate();
  return true;
}

int FwChildFrame::Kind() const { return tmpl_ != nullptr ? tmpl_->ResourceId() : 0; }

int FwChildFrame::RowCount() const { return splitter_->count(); }

FwView* FwChildFrame::View(int row) const { return dynamic_cast<FwView*>(splitter_->widget(row)); }

FwView* FwChildFrame::ActiveView() const { return active_ != nullptr ? active_ : View(0); }

std::string FwChildFrame::FrameTitle(const std::string& title, int number, int windows, bool modified) {
  std::string t = title;
  if (windows > 1) t += ":" + std::to_string(number);
  if (modified) t += " *";
  return t;
}

void FwChildFrame::UpdateTitle() {
  if (doc_ == nullptr) return;
  auto frames = doc_->Frames();
  int number = 1;
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i] == this) number = static_cast<int>(i) + 1;
  setWindowTitle(
      QString::fromStdString(FrameTitle(doc_->Title(), number, static_cast<int>(frames.size()), doc_->IsModified())));
}

void FwChildFrame::closeEvent(QCloseEvent* event) {
  if (doc_ != nullptr && doc_->Frames().size() <= 1 && !doc_->SaveModified()) {
    event->ignore();
    return;
  }
  FwDocument* doc = doc_;
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  // The views leave the document now (the last one closes it) and go with
  // the frame once no route or nested wait above them is running: a view
  // that closed its own frame from a command is still there when the
  // command returns.
  active_ = nullptr;
  doc_ = nullptr;
  if (doc != nullptr) {
    bool survives = doc->Frames().size() > 1;
    for (int r = RowCount() - 1; r >= 0; --r)
      if (FwView* v = View(r)) v->LeaveDocument();
    // The other windows renumber once this one is gone.
    if (survives) doc->UpdateFrameTitles();
  }
  hide();
  Fw_WhenSafe([frame = QPointer<FwChildFrame>(this)] {
    if (frame) frame->deleteLater();
  });
}

FwChildFrame* Fw_ChildFrameOf(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget())
    if (auto* frame = dynamic_cast<FwChildFrame*>(w)) return frame;
  return nullptr;
}
