#include "workbench/shell/frames/childframe.h"

#include <QApplication>
#include <QStyle>

#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/shell/frames/kindicons.h"

CChildFrame::CChildFrame(FwDocument* doc) : FwHandlers(doc) {}

std::span<const FwCmdEntry<CChildFrame>> CChildFrame::Handlers() {
  static const FwCmdEntry<CChildFrame> handlers[] = {
      {ID_WINDOW_NEW, ID_WINDOW_NEW, &CChildFrame::OnWindowNew, nullptr},
      {ID_FILE_CLOSE, ID_FILE_CLOSE, &CChildFrame::OnFileClose, nullptr},
  };
  return handlers;
}

void CChildFrame::CreateClient(FwDocTemplate* tmpl) {
  setWindowIcon(Shell_KindIcon(tmpl != nullptr ? tmpl->ResourceId() : 0));
  FwChildFrame::CreateClient(tmpl);
}

void CChildFrame::OnWindowNew(int) {
  if (Document() != nullptr && Document()->Template() != nullptr) Document()->Template()->CreateFrame(Document());
}

void CChildFrame::OnFileClose(int) {
  FwDocument* doc = Document();
  if (doc == nullptr) {
    close();
    return;
  }
  // Yes saves, No gives the changes up, Cancel keeps every window; the last
  // window's own question then finds nothing to ask.
  if (!doc->SaveModified()) return;
  for (FwChildFrame* frame : doc->Frames()) frame->close();
}

QSize CChildFrame::minimumSizeHint() const {
  // Computed once: a horizontal scroll bar and two arrows of a vertical one.
  static const int extra = [] {
    int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return bar + 2 * bar;
  }();
  QSize s = FwChildFrame::minimumSizeHint();
  return QSize(s.width(), s.height() + extra);
}
