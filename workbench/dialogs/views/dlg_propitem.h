// The rows of the property grid, without windows: a property item stands for
// one property definition of the shown object, a property container for a
// group of rows (a category, an array, the class row). Items convert
// between the text the user sees and types and the object's typed value,
// and store every change through the document's property setter, which
// records undo. Items hold copies of definitions and no values.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_defcopy.h"
#include "workbench/dialogs/model/dlg_types.h"

class DlgPropContainer;

// State bits of an item.
enum : uint32_t { DLG_ITEM_EDITING = 0x02, DLG_ITEM_EXPANDED = 0x04 };

// The longest string a property takes from the grid.
constexpr size_t DLG_PROP_STRING_MAX = 255;

class DlgPropItem {
 public:
  // Copies the definition (null: none).
  explicit DlgPropItem(const prop_def* def);
  // Leaves the parent and the neighbours.
  virtual ~DlgPropItem();
  DlgPropItem(const DlgPropItem&) = delete;
  DlgPropItem& operator=(const DlgPropItem&) = delete;

  virtual void RemoveChild(DlgPropItem*) {}
  virtual bool IsContainer() const { return false; }
  // Whether the value can be edited for the object.
  virtual bool CanEdit(DlgObject* obj) const;
  virtual std::string GetName() const;
  // The object's value as text; `inherited` (may be null) is set when it
  // comes from a template object or a default.
  virtual std::string GetStrValue(DlgDocument* pDoc, DlgObject* obj, int* inherited) const;
  // Stores a value typed as text, or the named constant of `serial` (0 or
  // more); 1 on success, 0 with a status-bar error.
  virtual int SetStrValue(DlgDocument* pDoc, DlgObject* obj, const char* new_val, int32_t serial);
  // Puts back the value of the nearest template object, or the plug-in's
  // default, when the object stores one itself.
  virtual void RestoreDefault(DlgDocument* pDoc, DlgObject* obj);

  const prop_def* PropDef() const { return def_.Get(); }
  void SetPropDef(const prop_def* def) { def_.Set(def); }
  // The number of groups above the item.
  int Depth() const;
  // The n-th group above the item (1: its parent), null beyond the top.
  DlgPropContainer* Ancestor(int n) const;
  // The distance to `parent_prop` when it is among the ancestors, else 0.
  int IsDescendantOf(const DlgPropContainer* parent_prop) const;

  DlgPropContainer* parent = nullptr;
  DlgPropItem* prev = nullptr;
  DlgPropItem* next = nullptr;
  uint32_t state = 0;

 protected:
  // The definition that reads and writes the value: host flag 0x04
  // cleared; an array element goes by the array's name.
  DlgDefCopy ValueDef() const;

 private:
  DlgDefCopy def_;
};

class DlgPropContainer : public DlgPropItem {
 public:
  // A group titled `pTitle` (null is fatal); `def` for an array.
  explicit DlgPropContainer(const char* pTitle, const prop_def* def = nullptr);
  // Deletes the children from the tail to the head.
  ~DlgPropContainer() override;

  void RemoveChild(DlgPropItem* child_prop) override;
  bool IsContainer() const override { return true; }
  bool CanEdit(DlgObject*) const override { return false; }
  std::string GetName() const override { return title_; }
  std::string GetStrValue(DlgDocument* pDoc, DlgObject* obj, int* inherited) const override;
  int SetStrValue(DlgDocument* pDoc, DlgObject* obj, const char* new_val, int32_t serial) override;

  // Adds a child in front of `before`, or at the tail.
  void AddChild(DlgPropItem* child_prop, DlgPropItem* before = nullptr);
  // The text of the Value column (null: none) and the mark it returns.
  void SetValue(const char* text, int32_t mark);

  DlgPropItem* head = nullptr;
  DlgPropItem* tail = nullptr;

 private:
  std::string title_;
  std::string value_;
  bool has_value_ = false;
  int32_t mark_ = 0;
};
