// The designer's side of the cross-reference window: a dialog document's
// node in the browse bar's Files tree and, under it, its dialogs and their
// objects in the object hierarchy (the selectable ones). The document
// keeps the items current as objects are added, moved, reordered and
// removed; the items' commands (select, delete, visible, properties,
// palette, reorder by dragging) reach the designer's views.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "workbench/shell/xrefmodel.h"

class CDlgDocWin;
class CDlgEditView;
class DlgObject;
class XrefTree;

class DlgXrefObject;

class DlgXrefDoc final : public XrefSubject {
 public:
  explicit DlgXrefDoc(CDlgDocWin* doc);
  ~DlgXrefDoc() override;
  DlgXrefDoc(const DlgXrefDoc&) = delete;
  DlgXrefDoc& operator=(const DlgXrefDoc&) = delete;

  // Lists the document (again, when its title changed) with every dialog
  // and object, and selects its first dialog.
  void Show();
  // An object's item under its parent's (a moved object's item, with its
  // children, goes to its new place).
  void Add(DlgObject* obj);
  // Selects the object's item (null: the document's node).
  void Select(DlgObject* obj);
  // Removes the object's item and those below it.
  void Remove(DlgObject* obj);
  // The object is being destroyed: its item and what the tree knew of it
  // go.
  void Gone(DlgObject* obj);
  // Repaints the object's item (null: the document's node).
  void Redraw(DlgObject* obj);
  // The item of an object (tests), or null.
  XrefDlgObject* ItemOf(DlgObject* obj) const;

  CDlgDocWin* Doc() const { return doc_; }
  // The designer view of the object's dialog, activated (made when none).
  CDlgEditView* ViewOf(DlgObject* obj) const;

  // XrefSubject.
  std::string XrefTitle() const override;
  bool XrefModified() const override;
  bool XrefIsProgram() const override { return false; }
  bool XrefIsDialog() const override { return true; }
  void XrefActivate() override;
  void XrefShowLocation(int) override {}
  void XrefClose() override;

 private:
  static XrefTree* Tree();
  DlgXrefObject* Adapter(DlgObject* obj);
  void AddTree(DlgObject* obj);

  CDlgDocWin* doc_;
  std::unordered_map<const DlgObject*, std::unique_ptr<DlgXrefObject>> objects_;
};
