#include "workbench/dialogs/views/win/dlgxref.h"

#include <QMdiArea>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/shell/neighbours.h"

namespace {

bool Listed(const DlgObject* obj) { return obj != nullptr && obj->HasFlag(DLG_F_SELECTABLE); }

}  // namespace

// One dialog object as the tree sees it.
class DlgXrefObject final : public XrefDlgObject {
 public:
  DlgXrefObject(DlgXrefDoc& doc, DlgObject* obj) : doc_(doc), obj_(obj) {}
  DlgObject* Object() const { return obj_; }

  XrefDlgObject* XrefParent() const override { return obj_->Parent() ? doc_.ItemOf(obj_->Parent()) : nullptr; }
  XrefDlgObject* XrefPrevSibling() const override {
    for (DlgObject* p = obj_->prev; p; p = p->prev)
      if (Listed(p)) return doc_.ItemOf(p);
    return nullptr;
  }
  XrefSubject* XrefDocument() const override { return &doc_; }
  std::string XrefDisplayName() const override { return obj_->GetDisplayName(); }
  bool XrefHasChildren() const override {
    for (DlgObject* c = obj_->GetHead(); c; c = c->next)
      if (Listed(c)) return true;
    return false;
  }
  bool XrefClassFlag() const override { return obj_->IsContainer(); }
  bool XrefVisible() const override { return obj_->HasFlag(DLG_F_SHOWN); }
  bool XrefEditable() const override {
    const DlgRootAnchor* root = obj_->RootAnchor();
    return Listed(obj_) && root && !(root->Flags() & F_READ_ONLY);
  }
  bool XrefDeletable() const override { return !obj_->HasFlag(DLG_F_TEMPLATE_CHILD); }
  bool XrefLocked() const override { return false; }
  bool XrefKeepsOrder() const override { return false; }
  bool XrefInsertAtEnd() const override { return true; }
  bool XrefKeepsPlace() const override { return false; }

  void XrefSelect() override {
    if (CDlgEditView* v = doc_.ViewOf(obj_)) v->Canvas()->SelectObject(obj_);
  }
  void XrefDelete() override {
    if (CDlgEditView* v = doc_.ViewOf(obj_)) v->Canvas()->DeleteObject(obj_);
  }
  void XrefToggleVisible() override {
    CDlgEditView* v = doc_.ViewOf(obj_);
    CDlgEditDoc* model = doc_.Doc()->Model();
    if (!v || !model || !XrefEditable()) return;
    const bool shown = obj_->HasFlag(DLG_F_SHOWN);
    model->ToggleVisible(obj_);
    // A plug-in whose "visible" does not show on the object leaves the flip
    // to the designer.
    if (obj_->HasFlag(DLG_F_SHOWN) == shown) v->Canvas()->ToggleHidden(obj_);
    doc_.Redraw(obj_);
  }
  void XrefShowProperties() override {
    XrefSelect();
    CDlgEditDoc* model = doc_.Doc()->Model();
    if (DlgWinNotify* notify = doc_.Doc()->Notify(); notify && model) notify->EditProperties(model, obj_);
  }
  void XrefShowPalette() override {
    CDlgEditDoc* model = doc_.Doc()->Model();
    if (DlgWinNotify* notify = doc_.Doc()->Notify(); notify && model) notify->OpenPalette(model, obj_->Anchor());
  }
  void XrefReorder(XrefDlgObject* sibling, bool after) override {
    auto* target = dynamic_cast<DlgXrefObject*>(sibling);
    if (!target || target == this || !obj_->Parent()) return;
    DlgObject* t = target->Object();
    DlgObject* insert_after = after ? t : t->prev;
    if (insert_after == obj_) return;  // already there
    if (CDlgEditView* v = doc_.ViewOf(obj_)) v->Canvas()->ReorderObject(obj_, t->Parent(), insert_after);
  }

 private:
  DlgXrefDoc& doc_;
  DlgObject* obj_;
};

DlgXrefDoc::DlgXrefDoc(CDlgDocWin* doc) : doc_(doc) {}

DlgXrefDoc::~DlgXrefDoc() {
  if (XrefTree* tree = Tree()) tree->RemoveDocument(this);
}

XrefTree* DlgXrefDoc::Tree() { return Shell_Neighbours().xref->Tree(); }

XrefDlgObject* DlgXrefDoc::ItemOf(DlgObject* obj) const {
  auto it = objects_.find(obj);
  return it != objects_.end() ? it->second.get() : nullptr;
}

DlgXrefObject* DlgXrefDoc::Adapter(DlgObject* obj) {
  auto& a = objects_[obj];
  if (!a) a = std::make_unique<DlgXrefObject>(*this, obj);
  return a.get();
}

void DlgXrefDoc::Show() {
  XrefTree* tree = Tree();
  CDlgEditDoc* model = doc_->Model();
  if (!tree || !model) return;
  tree->AddDocument(this);
  for (DlgAnchor* a = model->Root().head; a; a = a->next) AddTree(a->RootObject());
  Select(model->FirstRootObject());
}

void DlgXrefDoc::AddTree(DlgObject* obj) {
  XrefTree* tree = Tree();
  if (!tree || !Listed(obj)) return;
  // The parent's adapter first: the item goes under the parent's.
  if (obj->Parent()) Adapter(obj->Parent());
  tree->AddDlgObject(this, Adapter(obj));
  for (DlgObject* c = obj->GetHead(); c; c = c->next) AddTree(c);
}

void DlgXrefDoc::Add(DlgObject* obj) {
  XrefTree* tree = Tree();
  if (!tree || !Listed(obj) || !tree->FindDocument(this)) return;
  if (XrefDlgObject* item = ItemOf(obj)) tree->RemoveDlgObject(this, item);
  AddTree(obj);
}

void DlgXrefDoc::Select(DlgObject* obj) {
  XrefTree* tree = Tree();
  if (!tree) return;
  if (!obj) {
    tree->SelectDocument(this);
    return;
  }
  if (XrefDlgObject* item = ItemOf(obj)) tree->SelectDlgObject(item);
}

void DlgXrefDoc::Remove(DlgObject* obj) {
  XrefTree* tree = Tree();
  XrefDlgObject* item = ItemOf(obj);
  if (tree && item) tree->RemoveDlgObject(this, item);
  // The items below went with it; their objects keep their adapters until
  // they go themselves (an undo may link them again).
}

void DlgXrefDoc::Gone(DlgObject* obj) {
  Remove(obj);
  objects_.erase(obj);
}

void DlgXrefDoc::Redraw(DlgObject* obj) {
  XrefTree* tree = Tree();
  if (!tree) return;
  if (!obj)
    tree->RedrawDocument(this);
  else if (XrefDlgObject* item = ItemOf(obj))
    tree->RedrawDlgObject(this, item);
}

CDlgEditView* DlgXrefDoc::ViewOf(DlgObject* obj) const {
  return obj && obj->Anchor() ? doc_->ActivateAnchorView(obj->Anchor(), true) : nullptr;
}

std::string DlgXrefDoc::XrefTitle() const { return doc_->Model() ? doc_->Model()->GetTitle() : std::string(); }

bool DlgXrefDoc::XrefModified() const { return doc_->Model() && doc_->Model()->IsModified(); }

void DlgXrefDoc::XrefActivate() {
  for (FwChildFrame* f : doc_->Frames()) {
    if (f->isMinimized()) f->showNormal();
    if (QMdiArea* area = f->mdiArea()) area->setActiveSubWindow(f);
    f->raise();
  }
}

void DlgXrefDoc::XrefClose() {
  for (FwChildFrame* f : doc_->Frames()) f->close();
}
