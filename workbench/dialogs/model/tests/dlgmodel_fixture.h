// A small dialog for the model's tests: a root anchor with one anchor, a
// canvas origin, a root container, a document and a view that record what
// they are told, and fatal checks that throw.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_container.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/sysassert.h"

class RecordingView : public DlgView {
 public:
  void InvalidateRect(const DlgRect& r) override { invalidated.push_back(r); }
  DlgDocument* Document() override { return doc; }
  DlgAnchor* Anchor() override { return anchor; }
  void OnUpdate(const DlgViewUpdate& hint) override { updates.push_back(hint); }
  std::vector<DlgRect> invalidated;
  std::vector<DlgViewUpdate> updates;
  DlgDocument* doc = nullptr;
  DlgAnchor* anchor = nullptr;
};

class RecordingDocument : public DlgDocument {
 public:
  void ObjectChanged(DlgObject*) override { ++changed; }
  void SetModified() override { ++modified; }
  std::vector<DlgView*> Views() override { return views; }
  const PluginCallbacks* Plugin() override { return plugin; }
  void XrefAdd(DlgObject* obj) override { xref.push_back("add " + obj->GetPath()); }
  void XrefSelect(DlgObject* obj) override { xref.push_back("select " + obj->GetPath()); }
  void XrefRemove(DlgObject* obj) override { xref.push_back("remove " + obj->GetPath()); }
  int changed = 0;
  int modified = 0;
  std::vector<DlgView*> views;
  std::vector<std::string> xref;
  const PluginCallbacks* plugin = nullptr;
};

// Installs the throwing check handler for the life of a test.
class ThrowingChecks {
 public:
  ThrowingChecks() : previous_(Sys_SetAssertHandler(Sys_ThrowAssertHandler)) {}
  ~ThrowingChecks() { Sys_SetAssertHandler(previous_); }

 private:
  SysAssertHandler previous_;
};

// The condition text of the fatal check that `fn` runs into ("" for none).
template <class Fn>
std::string FailedCheck(Fn fn) {
  try {
    fn();
  } catch (const SysAssertError& e) {
    return e.expr;
  }
  return "";
}

class DlgModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root.SetDocument(&doc);
    anchor = new DlgAnchor(&root);
    anchor->SetContext(&origin);
  }

  // A root container at (0,0) of w x h pixels, selectable.
  DlgContainer* MakeRoot(int32_t w, int32_t h, const char* name = "dlg") {
    auto* r = new DlgContainer(anchor, nullptr, DLG_LINK_LAST_CHILD, name);
    r->SetGeometry(0, 0, w, h);
    r->SetFlags(r->Flags() | DLG_F_SELECTABLE);
    return r;
  }

  // A shown, selectable child at a pixel rectangle of its parent.
  template <class T = DlgObject>
  T* MakeChild(DlgObject* parent, const char* name, DlgRect r, uint32_t flags = 0) {
    auto* c = new T(anchor, parent, DLG_LINK_LAST_CHILD, name);
    c->SetFlags(c->Flags() | DLG_F_SHOWN | DLG_F_SELECTABLE | flags);
    c->SetGeometry(c->ToUnitX(r.left), c->ToUnitY(r.top), c->SizeToUnitX(r.Width()), c->SizeToUnitY(r.Height()));
    return c;
  }

  ThrowingChecks checks;
  DlgPoint origin{100, 50};
  RecordingDocument doc;
  DlgRootAnchor root;
  DlgAnchor* anchor = nullptr;
};

inline std::ostream& operator<<(std::ostream& os, const DlgRect& r) {
  return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
