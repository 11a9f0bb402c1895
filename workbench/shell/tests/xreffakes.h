// Stand-ins for what the cross-reference tree shows: a document and a
// dialog object that record the calls they get.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workbench/shell/xrefmodel.h"

namespace xreftest {

class FakeDocument : public XrefSubject {
 public:
  FakeDocument(std::string new_title, bool is_program, bool is_dialog = false)
      : title(std::move(new_title)), program(is_program), dialog(is_dialog) {}
  std::string XrefTitle() const override { return title; }
  bool XrefModified() const override { return modified; }
  bool XrefIsProgram() const override { return program; }
  bool XrefIsDialog() const override { return dialog; }
  void XrefActivate() override { calls.push_back("activate"); }
  void XrefShowLocation(int line) override { calls.push_back("line " + std::to_string(line)); }
  void XrefClose() override { calls.push_back("close"); }

  std::string title;
  bool program;
  bool dialog;
  bool modified = false;
  std::vector<std::string> calls;
};

class FakeDlgObject : public XrefDlgObject {
 public:
  FakeDlgObject(std::string new_name, FakeDlgObject* new_parent, XrefSubject* new_document)
      : name(std::move(new_name)), parent(new_parent), document(new_document) {}
  XrefDlgObject* XrefParent() const override { return parent; }
  XrefDlgObject* XrefPrevSibling() const override { return prev; }
  XrefSubject* XrefDocument() const override { return document; }
  std::string XrefDisplayName() const override { return name; }
  bool XrefHasChildren() const override { return children; }
  bool XrefClassFlag() const override { return class_flag; }
  bool XrefVisible() const override { return visible; }
  bool XrefEditable() const override { return editable; }
  bool XrefDeletable() const override { return deletable; }
  bool XrefLocked() const override { return locked; }
  bool XrefKeepsOrder() const override { return keeps_order; }
  bool XrefInsertAtEnd() const override { return at_end; }
  bool XrefKeepsPlace() const override { return keeps_place; }
  void XrefSelect() override { calls.push_back("select"); }
  void XrefDelete() override {
    calls.push_back("delete");
    if (on_delete) on_delete();
  }
  void XrefToggleVisible() override { calls.push_back("visible"); }
  void XrefShowProperties() override { calls.push_back("properties"); }
  void XrefShowPalette() override { calls.push_back("palette"); }
  void XrefReorder(XrefDlgObject* sibling, bool after) override {
    calls.push_back(std::string("reorder ") + (after ? "after " : "before ") + sibling->XrefDisplayName());
  }

  std::string name;
  FakeDlgObject* parent;
  XrefSubject* document;
  FakeDlgObject* prev = nullptr;
  bool children = false, class_flag = false, visible = true, editable = true, deletable = true;
  bool locked = false, keeps_order = false, at_end = false, keeps_place = false;
  std::function<void()> on_delete;
  std::vector<std::string> calls;
};

}  // namespace xreftest
