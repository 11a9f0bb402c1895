#include "workbench/dialogs/model/dlg_view.h"

#include <cstdio>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"

void DlgView::SelectObject(DlgObject* obj) {
  DlgAnchor* anchor = obj ? obj->Anchor() : Anchor();
  if (!anchor) return;
  anchor->ClearSelection();
  if (!obj) return;
  for (const DlgObject* o = obj; o->Parent(); o = o->Parent()) {
    if (!o->HasFlag(DLG_F_SHOWN)) return;
  }
  obj->Select();
  anchor->RefreshTrackers();
}

DlgContextBracket::DlgContextBracket(DlgAnchor* anchor, DlgView* view) : anchor_(anchor) {
  const DlgPoint* origin = view ? view->Origin() : nullptr;
  if (!anchor_ || !origin) return;
  previous_ = anchor_->SetContext(origin);
  open_ = true;
}

DlgContextBracket::~DlgContextBracket() {
  if (open_) anchor_->ChangeContext(previous_);
}

DlgView* DlgDocument::ActivateAnchorView(DlgAnchor* anchor, int) {
  for (DlgView* v : Views()) {
    if (v->Anchor() == anchor) return v;
  }
  return nullptr;
}

void DlgDocument::CloseAnchorViews(DlgAnchor* anchor) {
  for (DlgView* v : Views()) {
    if (v->Anchor() == anchor) v->Close();
  }
}

std::string DlgDocument::PropText(DlgObject* obj, const prop_def* def, int* mark) {
  if (mark) *mark = 0;
  if (!obj || !def) return "";
  if (def->kind == PROP_KIND_NATIVE && def->native == PROP_NATIVE_NAME) return obj->Name();
  DlgPropValue* v = obj->Props().FindByName(def->name, def->index);
  if (!v) return "";
  if (v->Val().type == VAL_TEXT) return v->Val().data.text ? v->Val().data.text : "";
  if (v->Val().type == VAL_INT) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", v->Val().data.num);
    return buf;
  }
  return "";
}
