#include "workbench/dialogs/views/win/dlgwinnotify.h"

#include <QApplication>
#include <QCursor>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgpalette.h"
#include "workbench/dialogs/views/win/dlgpropview.h"
#include "workbench/dialogs/views/win/dlgxref.h"
#include "workbench/framework/fwdoctemplate.h"

namespace {

DlgXrefDoc* XrefOf(CDlgEditDoc* doc) {
  CDlgDocWin* d = CDlgDocWin::Of(doc);
  return d ? d->Xref() : nullptr;
}

}  // namespace

DlgWinNotify::DlgWinNotify() : previous_(DlgDoc_SetNotify(this)) {}

DlgWinNotify::~DlgWinNotify() { DlgDoc_SetNotify(previous_ == this ? nullptr : previous_); }

CDlgPaletteView* DlgWinNotify::Palette() const { return CDlgPaletteView::Find(); }
CDlgPropView* DlgWinNotify::Grid() const { return CDlgPropView::Find(); }

void DlgWinNotify::ShowStatus(const char*, bool) {}

void DlgWinNotify::StatusText(const char* text) {
  last_status_ = text ? text : "";
  last_error_ = false;
  ShowStatus(text, false);
}

void DlgWinNotify::StatusError(const char* text) {
  last_status_ = text ? text : "";
  last_error_ = true;
  ShowStatus(text, true);
}

void DlgWinNotify::WaitCursor(bool on) {
  if (!qApp) return;
  if (on) {
    ++wait_depth_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (wait_depth_ > 0) {
    --wait_depth_;
    QApplication::restoreOverrideCursor();
  }
}

void DlgWinNotify::UpdateViews(CDlgEditDoc* doc) {
  if (CDlgDocWin* d = CDlgDocWin::Of(doc)) d->UpdateAllViews(nullptr);
}

void DlgWinNotify::TitleChanged(CDlgEditDoc* doc) {
  if (CDlgDocWin* d = CDlgDocWin::Of(doc)) d->SyncFromModel();
}

void DlgWinNotify::XrefModified(CDlgEditDoc* doc) {
  TitleChanged(doc);
  if (DlgXrefDoc* x = XrefOf(doc)) x->Redraw(nullptr);
}

void DlgWinNotify::XrefAdd(CDlgEditDoc* doc, DlgObject* obj) {
  if (DlgXrefDoc* x = XrefOf(doc)) x->Add(obj);
}

void DlgWinNotify::XrefSelect(CDlgEditDoc* doc, DlgObject* obj) {
  if (DlgXrefDoc* x = XrefOf(doc)) x->Select(obj);
}

void DlgWinNotify::XrefRemove(CDlgEditDoc* doc, DlgObject* obj) {
  if (DlgXrefDoc* x = XrefOf(doc)) x->Remove(obj);
}

void DlgWinNotify::ObjectDestroyed(CDlgEditDoc* doc, DlgObject* obj) {
  if (DlgXrefDoc* x = XrefOf(doc)) x->Gone(obj);
}

void DlgWinNotify::DocumentRemoved(CDlgEditDoc* doc) {
  if (CDlgPaletteView* p = Palette()) p->ForgetDialog(doc);
  if (CDlgPropView* g = Grid()) g->ForgetDocument(doc);
}

void DlgWinNotify::ActivateDocument(CDlgEditDoc* doc) {
  if (CDlgDocWin* d = CDlgDocWin::Of(doc)) d->Activate();
}

DlgView* DlgWinNotify::OpenAnchorView(CDlgEditDoc* doc, DlgAnchor* anchor) {
  CDlgDocWin* d = CDlgDocWin::Of(doc);
  CDlgEditView* v = d ? d->ActivateAnchorView(anchor, true) : nullptr;
  return v ? v->Canvas() : nullptr;
}

CDlgEditDoc* DlgWinNotify::OpenDocument(const char* path) {
  if (!template_) return DlgDocNotify::OpenDocument(path);
  auto* d = dynamic_cast<CDlgDocWin*>(template_->OpenDocument(path));
  return d ? d->Model() : nullptr;
}

void DlgWinNotify::ShowProperties(CDlgEditDoc* doc, DlgObject* obj, const prop_def* def) {
  CDlgPropView* g = Grid();
  if (!g) return;
  if (!obj) {
    g->Refresh();
    return;
  }
  g->SetObject(doc, obj);
  if (def) g->ShowProperty(obj, def, true);
}

void DlgWinNotify::ObjectRemoved(CDlgEditDoc*, DlgObject* obj) {
  if (CDlgPropView* g = Grid()) g->ObjectRemoved(obj);
}

void DlgWinNotify::PropertiesChanged(CDlgEditDoc*, DlgObject* obj, int) {
  CDlgPropView* g = Grid();
  if (g && (!obj || obj == g->Object())) g->Refresh();
}

void DlgWinNotify::ViewFocused(CDlgEditView* view) {
  CDlgPaletteView* p = Palette();
  if (p && view->Model() && view->Anchor()) p->SetDialog(&view->Model()->Root(), view->Anchor());
}

void DlgWinNotify::PrimaryChanged(CDlgEditView* view, DlgObject* obj) {
  CDlgPropView* g = Grid();
  if (g && obj) g->SetObject(view->Model(), obj);
}

void DlgWinNotify::EditProperties(CDlgEditDoc* doc, DlgObject* obj) {
  CDlgPropView* g = Grid();
  if (!g) g = CDlgPropView::Open();
  if (g) g->SetObject(doc, obj);
}

void DlgWinNotify::OpenPalette(CDlgEditDoc* doc, DlgAnchor* anchor) {
  CDlgPaletteView* p = Palette();
  if (!p) p = CDlgPaletteView::Open();
  if (p) p->SetDialog(&doc->Root(), anchor);
}

void DlgWinNotify::FileProperties(CDlgEditDoc* doc) {
  if (!doc) return;
  doc->FileProperties();
}
