#include "workbench/dialogs/model/dlg_selection.h"

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/shell/chain.h"
#include "workbench/shell/sysassert.h"

namespace {

DlgSelection* MakeBasic(DlgObject* obj) { return new DlgSelection(obj); }

DlgSelectionFactory selection_factory = nullptr;

}  // namespace

DlgSelection::DlgSelection(DlgObject* obj) : obj_(obj) {
  SYS_ASSERT(obj);
  DlgAnchor* anchor = obj->Anchor();
  SYS_ASSERT(anchor);
  chain_insert_after(anchor->sel_head, anchor->sel_tail, static_cast<DlgSelection*>(nullptr), this);
  obj->SetTracker(this);
}

DlgSelection::~DlgSelection() {
  DlgAnchor* anchor = obj_->Anchor();
  chain_unlink(anchor->sel_head, anchor->sel_tail, this);
  if (obj_->Tracker() == this) obj_->SetTracker(nullptr);
}

void DlgSelection::SyncFromObject() { rect_ = obj_->GetCanvasRect(); }

bool DlgSelection::TakeResize(DlgRect* canvas) {
  if (!resize_pending_) return false;
  *canvas = resize_;
  resize_pending_ = false;
  return true;
}

DlgSelectionFactory DlgSelection_SetFactory(DlgSelectionFactory factory) {
  DlgSelectionFactory previous = selection_factory ? selection_factory : MakeBasic;
  selection_factory = factory;
  return previous;
}

DlgSelection* DlgSelection_Make(DlgObject* obj) { return (selection_factory ? selection_factory : MakeBasic)(obj); }
