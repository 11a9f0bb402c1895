#include "workbench/shell/frames/childframe.h"

#include <QApplication>
#include <QStyle>

#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwdocument.h"

namespace {
enum { ID_WINDOW_NEW = 57648 };
}

CChildFrame::CChildFrame(FwDocument* doc) : FwChildFrame(doc) {}

bool CChildFrame::OnCommand(int id) {
  if (id == ID_WINDOW_NEW && Document() != nullptr && Document()->Template() != nullptr) {
    Document()->Template()->CreateFrame(Document());
    return true;
  }
  return FwChildFrame::OnCommand(id);
}

bool CChildFrame::HasCommand(int id) const { return id == ID_WINDOW_NEW || FwChildFrame::HasCommand(id); }

QSize CChildFrame::minimumSizeHint() const {
  // Computed once: a horizontal scroll bar and two arrows of a vertical one.
  static const int extra = [] {
    int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return bar + 2 * bar;
  }();
  QSize s = FwChildFrame::minimumSizeHint();
  return QSize(s.width(), s.height() + extra);
}
