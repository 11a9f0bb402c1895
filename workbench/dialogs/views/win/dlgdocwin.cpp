#include "workbench/dialogs/views/win/dlgdocwin.h"

#include <map>

#include <QMdiArea>

#include "workbench/base/sysassert.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/undo/dlg_undo.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"
#include "workbench/dialogs/views/win/dlgeditframe.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgxref.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"

namespace {

// The anchor the next designer view shows.
DlgAnchor* initial_anchor = nullptr;

std::vector<CDlgDocWin*>& AllDocs() {
  static std::vector<CDlgDocWin*> docs;
  return docs;
}

CDlgEditView* ViewOf(FwChildFrame* frame) {
  if (!frame) return nullptr;
  for (int r = 0; r < frame->RowCount(); ++r)
    if (auto* v = dynamic_cast<CDlgEditView*>(frame->View(r))) return v;
  return nullptr;
}

void ActivateFrame(FwChildFrame* frame, CDlgEditView* view) {
  if (frame->isMinimized()) frame->showNormal();
  if (QMdiArea* area = frame->mdiArea()) area->setActiveSubWindow(frame);
  frame->raise();
  view->setFocus();
}

}  // namespace

CDlgDocWin::CDlgDocWin(DlgWinNotify* notify) : notify_(notify) { AllDocs().push_back(this); }

CDlgDocWin::~CDlgDocWin() {
  std::erase(AllDocs(), this);
  xref_.reset();
  CDlgEditDoc* model = model_;
  model_ = nullptr;
  delete model;
}

CDlgDocWin* CDlgDocWin::Of(const CDlgEditDoc* model) {
  if (!model) return nullptr;
  for (CDlgDocWin* d : AllDocs())
    if (d->model_ == model) return d;
  return nullptr;
}

DlgWinNotify* CDlgDocWin::NotifyOf(const CDlgEditDoc* model) {
  CDlgDocWin* d = Of(model);
  return d ? d->Notify() : nullptr;
}

DlgAnchor* CDlgDocWin::TakeInitialAnchor() {
  DlgAnchor* a = initial_anchor;
  initial_anchor = nullptr;
  return a;
}

void CDlgDocWin::SetInitialAnchor(DlgAnchor* anchor) { initial_anchor = anchor; }

void CDlgDocWin::TakeModel(CDlgEditDoc* model) {
  model_ = model;
  // The first frame shows the first dialog of the file.
  DlgObject* first = model_->FirstRootObject();
  if (!first)
    for (DlgAnchor* a = model_->Root().head; a && !first; a = a->next)
      if (a->RootObject() && a->RootObject()->HasFlag(DLG_F_SELECTABLE)) first = a->RootObject();
  SetInitialAnchor(first ? first->Anchor() : nullptr);
  SyncFromModel();
  xref_ = std::make_unique<DlgXrefDoc>(this);
  xref_->Show();
}

bool CDlgDocWin::OnOpenDocument(const std::string& path) {
  CDlgEditDoc* model = CDlgEditDoc::OpenFile(path.c_str());
  if (!model) return false;
  TakeModel(model);
  return true;
}

bool CDlgDocWin::OnNewDocument() {
  PluginID* plugin = PluginID::Pending();
  CDlgEditDoc* model = plugin ? CDlgEditDoc::NewFile(plugin) : nullptr;
  if (!model) return false;
  TakeModel(model);
  return true;
}

std::string CDlgDocWin::Title() const { return model_ ? model_->GetTitle() : FwDocument::Title(); }

std::string CDlgDocWin::PathName() const { return model_ ? model_->GetPathName() : FwDocument::PathName(); }

bool CDlgDocWin::IsModified() const { return model_ ? model_->IsModified() : FwDocument::IsModified(); }

void CDlgDocWin::SyncFromModel() { UpdateFrameTitles(); }

void CDlgDocWin::Activate() {
  for (FwChildFrame* f : Frames())
    if (CDlgEditView* v = ViewOf(f)) {
      ActivateFrame(f, v);
      return;
    }
}

SaveAsPlugin CDlgDocWin::SaveAsTypes() const {
  SaveAsPlugin out;
  if (!model_) return out;
  PluginID* plugin = model_->GetPlugin();
  for (PluginFileType* t = plugin->FirstFileType(); t; t = plugin->NextFileType()) {
    if (!t->BeginObj) continue;  // read only: imported, never written
    if (t == model_->GetFileType()) out.selected = static_cast<int>(out.types.size());
    out.types.push_back({t->Name ? t->Name : "", t->Ext ? t->Ext : ""});
  }
  return out;
}

std::string CDlgDocWin::SaveAsTitle() const { return model_ ? model_->GetTitle() : Title(); }

void CDlgDocWin::SetSaveAsFormat(int format) {
  if (!model_ || format < 0) return;
  PluginID* plugin = model_->GetPlugin();
  for (PluginFileType* t = plugin->FirstFileType(); t; t = plugin->NextFileType()) {
    if (!t->BeginObj) continue;
    if (format-- == 0) {
      model_->SetFileType(t);
      return;
    }
  }
}

bool CDlgDocWin::SaveAsPath(const std::string& path) {
  const bool saved = model_ && model_->OnSaveDocument(path.c_str()) != 0;
  SyncFromModel();
  return saved;
}

bool CDlgDocWin::SaveModified() {
  if (question_asked_) {
    question_asked_ = false;
    return true;
  }
  return !model_ || model_->SaveModified(true) != 0;
}

CDlgEditView* CDlgDocWin::ActivateAnchorView(DlgAnchor* pAnchor, bool create, bool other) {
  SYS_ASSERT(pAnchor);
  auto qualifies = [&](CDlgEditView* v) {
    return v && v->Anchor() && (other ? v->Anchor() != pAnchor : v->Anchor() == pAnchor);
  };
  std::vector<FwChildFrame*> frames = Frames();
  if (!frames.empty()) {
    if (QMdiArea* area = frames.front()->mdiArea())
      if (auto* active = dynamic_cast<FwChildFrame*>(area->activeSubWindow()))
        if (active->Document() == this && qualifies(ViewOf(active))) return ViewOf(active);
  }
  CDlgEditView* result = nullptr;
  for (FwChildFrame* f : frames) {
    CDlgEditView* v = ViewOf(f);
    if (!qualifies(v) || !f->isVisible()) continue;
    ActivateFrame(f, v);
    result = v;
  }
  if (result || !create || !Template()) return result;
  DlgAnchor* show = pAnchor;
  if (other) {
    show = nullptr;
    for (DlgAnchor* a = model_->Root().head; a && !show; a = a->next)
      if (a != pAnchor && a->RootObject() && a->RootObject()->HasFlag(DLG_F_SELECTABLE)) show = a;
    if (!show) return nullptr;
  }
  SetInitialAnchor(show);
  FwChildFrame* frame = Template()->CreateFrame(this);
  SetInitialAnchor(nullptr);
  CDlgEditView* v = ViewOf(frame);
  if (v) {
    v->OnInitialUpdate();
    ActivateFrame(frame, v);
  }
  UpdateFrameCounts();
  return v;
}

void CDlgDocWin::CloseAnchorViews(DlgAnchor* anchor, bool detach) {
  for (FwChildFrame* f : Frames()) {
    CDlgEditView* v = ViewOf(f);
    if (!v || v->Anchor() != anchor) continue;
    if (detach) v->Detach();
    QMetaObject::invokeMethod(f, "close", Qt::QueuedConnection);
  }
}

bool CDlgDocWin::CanCloseFrame(FwChildFrame* frame) {
  CDlgEditView* view = ViewOf(frame);
  SYS_ASSERT(view);
  question_asked_ = false;
  std::vector<FwChildFrame*> frames = Frames();
  const bool others = frames.size() > 1;
  DlgAnchor* anchor = view->Anchor();
  int showing = 0;
  for (FwChildFrame* f : frames)
    if (CDlgEditView* v = ViewOf(f); v && anchor && v->Anchor() == anchor) ++showing;
  bool removed = false;
  if (anchor && (anchor->Options() & DLG_ANCHOR_REMOVE) && showing == 1 && model_) {
    // The dialog was deleted: its removal is one undo step.
    DlgRootAnchor& root = model_->Root();
    if (root.ClearRedo() && root.BeginUndo()) {
      if (DlgObject* r = anchor->RootObject()) {
        new DlgUndoItem_OBJECT(&root.UndoList(), r, 0);
        model_->SetModifiedFlag(true);
      }
      new DlgUndoItem_ANCHOR(&root.UndoList(), anchor, 0);
      model_->SetModifiedFlag(true);
      root.EndUndo();
    }
    view->Detach();
    DlgAnchor_DestroyCtrlWnds(anchor);
    delete anchor;
    model_->SetModifiedFlag(true);
    removed = true;
    anchor = nullptr;
  }
  if (others) {
    if (anchor && showing == 1) DlgAnchor_DestroyCtrlWnds(anchor);
    return true;
  }
  if (model_ && !model_->SaveModified(!removed && anchor != nullptr)) return false;
  question_asked_ = true;
  if (anchor && showing == 1) DlgAnchor_DestroyCtrlWnds(anchor);
  return true;
}

void CDlgDocWin::UpdateFrameCounts() {
  if (!model_) return;
  for (DlgAnchor* a = model_->Root().head; a; a = a->next) a->SetFrameCount(0);
  std::vector<std::pair<CDlgEditFrame*, DlgAnchor*>> numbered;
  for (FwChildFrame* f : Frames()) {
    auto* frame = dynamic_cast<CDlgEditFrame*>(f);
    CDlgEditView* v = ViewOf(f);
    if (!frame || !v || !v->Anchor() || !f->isVisible()) {
      if (frame) frame->SetNumber(0);
      continue;
    }
    DlgAnchor* a = v->Anchor();
    a->SetFrameCount(a->FrameCount() + 1);
    frame->SetNumber(static_cast<int>(a->FrameCount()));
    numbered.emplace_back(frame, a);
  }
  for (auto& [frame, a] : numbered)
    if (a->FrameCount() == 1) frame->SetNumber(0);
  for (FwChildFrame* f : Frames()) f->UpdateTitle();
}
