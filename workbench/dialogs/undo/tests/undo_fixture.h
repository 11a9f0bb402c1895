// A dialog for the undo tests: a document that keeps the modified flag and
// makes a view for an anchor on request, views that select and set
// coordinates the way the canvas does, and fatal checks that throw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

class UndoView : public RecordingView {
 public:
  const DlgPoint* Origin() override { return &origin; }
  void Close() override { ++closed; }
  void SetCoord(int32_t value, int idx) override {
    DlgSelection* s = anchor ? anchor->sel_head : nullptr;
    if (!s) return;
    DlgObject* obj = s->Object();
    int32_t v[4];
    obj->GetGeometry(&v[0], &v[1], &v[2], &v[3]);
    v[idx] = value;
    obj->SetGeometry(v[0], v[1], v[2], v[3]);
  }
  DlgPoint origin{100, 50};
  int closed = 0;
};

class UndoDocument : public RecordingDocument {
 public:
  bool IsModified() const override { return is_modified != 0; }
  void SetModifiedFlag(bool m) override { is_modified = m ? 1 : 0; }
  DlgView* ActivateAnchorView(DlgAnchor* a, int create) override {
    for (auto& v : owned) {
      if (v->anchor == a) return v.get();
    }
    if (!create) return nullptr;
    ++views_made;
    return AddView(a);
  }
  void CloseAnchorViews(DlgAnchor* a) override {
    for (auto& v : owned) {
      if (v->anchor == a) {
        v->Close();
        v->anchor = nullptr;
        closed_anchors.push_back(a->Id());
      }
    }
  }
  UndoView* AddView(DlgAnchor* a) {
    owned.push_back(std::make_unique<UndoView>());
    UndoView* v = owned.back().get();
    v->anchor = a;
    v->doc = this;
    views.push_back(v);
    a->SetView(v);
    return v;
  }
  int is_modified = 0;
  int views_made = 0;
  std::vector<uint32_t> closed_anchors;
  std::vector<std::unique_ptr<UndoView>> owned;
};

class UndoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::make_unique<DlgRootAnchor>();
    root->SetDocument(&doc);
    anchor = new DlgAnchor(root.get());
    view = doc.AddView(anchor);
    anchor->SetContext(&view->origin);
    dlg = new DlgContainer(anchor, nullptr, DLG_LINK_LAST_CHILD, "dlg");
    dlg->SetGeometry(0, 0, 200, 100);
    dlg->SetFlags(dlg->Flags() | DLG_F_SELECTABLE);
  }
  void TearDown() override { root.reset(); }

  template <class T = DlgObject>
  T* Child(DlgObject* parent, const char* name, DlgRect r) {
    auto* c = new T(anchor, parent, DLG_LINK_LAST_CHILD, name);
    c->SetFlags(c->Flags() | DLG_F_SHOWN | DLG_F_SELECTABLE);
    c->SetGeometry(r.left, r.top, r.Width(), r.Height());
    return c;
  }

  // One recorded edit: moves the object by dx in one action.
  void Move(DlgObject* obj, int32_t dx) {
    ASSERT_EQ(root->ClearRedo(), 1);
    ASSERT_EQ(root->BeginUndo(), 1);
    obj->MoveTo(obj->GetCanvasRect().Offset(dx, 0));
    root->EndUndo();
  }

  int UndoCount() const {
    int n = 0;
    for (DlgUndoItem* i = root->UndoList().head; i; i = i->next) n += i->IsAction();
    return n;
  }

  ThrowingChecks checks;
  UndoDocument doc;
  std::unique_ptr<DlgRootAnchor> root;
  DlgAnchor* anchor = nullptr;
  UndoView* view = nullptr;
  DlgContainer* dlg = nullptr;
};
