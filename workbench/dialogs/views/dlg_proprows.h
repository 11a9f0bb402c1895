// The rows of the property grid, without windows: the items of one shown
// object (the class row, the plain properties, the category groups with
// their properties and arrays), which of them are rows (the children of
// collapsed groups are not), the names of the groups the user expanded
// (kept across objects), and the editing decisions with their messages.
// The grid window paints the rows and turns keys and clicks into calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/dialogs/views/dlg_propitem.h"

class CDlgEditDoc;

// How a row is to be edited.
enum class DlgEditKind {
  None,         // nothing happens
  Refused,      // refused with a beep (and a message)
  ArrayMember,  // the Create New Array Member dialog
  Edit,         // an in-place edit box
  Combo,        // an in-place combo box of named constants
};

struct DlgEditStart {
  DlgEditKind kind = DlgEditKind::None;
  std::string text;                  // the value to start from
  std::vector<std::string> choices;  // the combo box's entries
  int selected = -1;                 // the entry equal to the text
  bool editable = false;             // the combo box takes typed text
};

// The rows a combo box lists at most before it scrolls.
constexpr int DLG_COMBO_LINES = 10;

class DlgPropRows {
 public:
  DlgPropRows() = default;
  ~DlgPropRows();
  DlgPropRows(const DlgPropRows&) = delete;
  DlgPropRows& operator=(const DlgPropRows&) = delete;

  // Shows the object's properties (null: none); groups in the expanded
  // list are expanded.
  void Fill(CDlgEditDoc* doc, DlgObject* obj);
  void Clear();
  DlgObject* Object() const { return obj_; }
  CDlgEditDoc* Doc() const { return doc_; }
  int32_t Lowest() const { return lowest_; }

  int Count() const { return static_cast<int>(rows_.size()); }
  DlgPropItem* Row(int row) const { return row >= 0 && row < Count() ? rows_[static_cast<size_t>(row)] : nullptr; }
  int RowOf(const DlgPropItem* item) const;
  // The row of the first item of that name (-1: none).
  int FindRow(const std::string& name, const DlgPropContainer* under = nullptr) const;
  // Whether an item has a later sibling (the tree lines go on below it).
  static bool HasLaterSibling(const DlgPropItem* item) { return item->next != nullptr; }
  // A group row with children.
  bool IsGroupRow(int row) const;
  bool IsExpanded(int row) const;

  // Expanding and collapsing a group row; from the user, its name joins or
  // leaves the expanded list. False when nothing changed.
  bool Expand(int row, bool from_user);
  bool Collapse(int row, bool from_user);
  bool Toggle(int row);
  // The names of the groups the user expanded.
  static std::vector<std::string>& ExpandedGroups();

  // Editing: what the row's editor is; the commit of its text (the combo
  // entry chosen, -1 for none); 1 stored, 0 refused (with the message and
  // the beep). EndEdit clears every row's editing mark.
  DlgEditStart BeginEdit(int row);
  int Commit(int row, const std::string& text, int combo_index);
  void EndEdit();
  int EditingRow() const;

  // Create New Array Member: the index proposed for a group, and the new
  // element (its row, or -1 while the group is collapsed; -2 when refused).
  int32_t ProposedIndex(const DlgPropContainer* group) const;
  int AddArrayMember(DlgPropContainer* group, int32_t index);

  // Restores the row's default when the row can be edited; false otherwise.
  bool RestoreDefault(int row);
  // Makes the property of a definition visible; its row or -1.
  int ShowProperty(const prop_def* def);
  // The group name of an array definition: its name cut at "[", then "[]"
  // or "[size]".
  static std::string ArrayGroupName(const prop_def* def);

 private:
  void AddDef(const prop_def* def, const std::string& group_text);
  DlgPropContainer* CategoryGroup(const std::string& name, bool make);
  void InsertTopPlain(DlgPropItem* item);
  void AddElement(DlgPropContainer* group, int32_t index);
  void Rebuild();
  void AddRows(DlgPropItem* item);
  void Message(const std::string& text, bool error);

  CDlgEditDoc* doc_ = nullptr;
  DlgObject* obj_ = nullptr;
  int32_t lowest_ = 0;
  // The top-level items, owned; the rows shown.
  std::vector<DlgPropItem*> top_;
  std::vector<DlgPropItem*> rows_;
};
