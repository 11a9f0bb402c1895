#include "workbench/dialogs/views/win/dlgeditframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStyle>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditview.h"

CDlgEditFrame::CDlgEditFrame(FwDocument* doc) : CChildFrame(doc) {
  QStyle* style = QApplication::style();
  const int bar = style->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int arrow = style->pixelMetric(QStyle::PM_ScrollBarSliderMin);
  setMinimumHeight(bar + 2 * arrow);
}

std::string CDlgEditFrame::Caption(const std::string& title, const char* root_name, int number, bool modified) {
  std::string caption = title + " [" + (root_name ? root_name : "Untitled") + "]";
  if (number > 0) caption += ":" + std::to_string(number);
  if (modified) caption += " *";
  return caption;
}

void CDlgEditFrame::UpdateTitle() {
  auto* doc = dynamic_cast<CDlgDocWin*>(Document());
  if (!doc || !doc->Model()) {
    CChildFrame::UpdateTitle();
    return;
  }
  const CDlgEditDoc* model = doc->Model();
  const char* root_name = nullptr;
  if (auto* view = dynamic_cast<CDlgEditView*>(ActiveView() ? ActiveView() : View(0)))
    if (DlgAnchor* a = view->Anchor())
      if (DlgObject* r = a->RootObject()) root_name = r->Name();
  const QString caption = QString::fromStdString(Caption(model->GetTitle(), root_name, number_, model->IsModified()));
  if (windowTitle() != caption) setWindowTitle(caption);
}

void CDlgEditFrame::closeEvent(QCloseEvent* event) {
  auto* doc = dynamic_cast<CDlgDocWin*>(Document());
  if (doc && !doc->CanCloseFrame(this)) {
    event->ignore();
    return;
  }
  // The document goes with its last frame; the others renumber.
  const bool survives = doc && doc->Frames().size() > 1;
  CChildFrame::closeEvent(event);
  if (survives && event->isAccepted()) doc->UpdateFrameCounts();
}
