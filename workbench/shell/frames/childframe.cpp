#include "workbench/shell/frames/childframe.h"

#include <QApplication>
#include <QStyle>

#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"

CChildFrame::CChildFrame(FwDocument* doc) : FwHandlers(doc) {}

std::span<const FwCmdEntry<CChildFrame>> CChildFrame::Handlers() {
  static const FwCmdEntry<CChildFrame> handlers[] = {
      {ID_WINDOW_NEW, ID_WINDOW_NEW, &CChildFrame::OnWindowNew, nullptr},
  };
  return handlers;
}

void CChildFrame::OnWindowNew(int) {
  if (Document() != nullptr && Document()->Template() != nullptr) Document()->Template()->CreateFrame(Document());
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
