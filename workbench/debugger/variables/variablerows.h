// The Variables window without windows: the rows it shows (one variable
// each, children below their expanded container), the refresh the debugger
// core drives through VariableRows, expansion and collapse, in-place
// editing of a scalar's value, the saved rows while the window is closed,
// and the width of the value column. The view (CVariableView) paints the
// rows and turns clicks and keys into the calls here; tests drive the same
// calls with a fake target.
//
// The list owns its top-level variables; a container owns its children, so
// a child's row points into its container. Rows are matched to the
// target's elements by parent and element index through a hash index, so
// a full refresh costs time in proportion to the rows it touches.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "workbench/debugger/variables/variablechain.h"
#include "workbench/debugger/variables/variablelink.h"

// What the list needs of its window.
class VariableListHost {
 public:
  virtual ~VariableListHost() = default;
  // The width of a text in the editor font, in pixels.
  virtual int MeasureText(const std::string& text) = 0;
  // Rows were inserted or deleted.
  virtual void RowsChanged() {}
  // A row's texts or marks changed.
  virtual void RedrawRow(int row) { (void)row; }
  virtual void EnsureVisible(int row) { (void)row; }
  // The in-place edit control is to go (its text is not taken).
  virtual void DestroyEditControl() {}
  // The value column's width changed.
  virtual void ValueWidthChanged(int width) { (void)width; }
};

// The fixed geometry of the list, in pixels.
constexpr int VARVIEW_NAME_WIDTH = 192;
constexpr int VARVIEW_TYPE_WIDTH = 80;
constexpr int VARVIEW_LEVEL_INDENT = 13;  // per nesting level
constexpr int VARVIEW_BOX_MARGIN = 17;    // the expand box's hit area beyond the indent
constexpr int VARVIEW_VALUE_PADDING = 8;  // beside twice the average character width

class VariableRowList : public VariableRows {
 public:
  VariableRowList(VariableTarget& target, VariableListHost& host);
  ~VariableRowList() override;
  VariableRowList(const VariableRowList&) = delete;
  VariableRowList& operator=(const VariableRowList&) = delete;

  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  // The variable of a row (the row must exist).
  Variable* GetRowVariable(int row) const;
  // The row of a variable, -1 when it has none.
  int FindRow(const Variable* var);
  // Whether the vertical tree line of an ancestor (or of the variable
  // itself) goes on below its row: a later sibling exists.
  bool HasLaterSibling(const Variable* var);

  // VariableRows: the refresh the core drives.
  void MarkStale() override;
  bool IsEmpty() const override { return rows_.empty(); }
  bool InsertVariable(std::unique_ptr<Variable> var, int position) override;
  bool MergeVariable(std::unique_ptr<Variable> new_var, Variable* parent, int parent_idx) override;
  bool RefreshExpanded(Variable* parent, int parent_idx) override;
  void RemoveStale() override;
  void AppendVariable(Variable* parent, std::unique_ptr<Variable> var) override;

  // A full refresh started by the window: the Refresh command (clear set:
  // the rows go first) or opening while stopped (the saved rows merge). The
  // busy flag is set around GET_ELEMENTS; a failure checks the session.
  // Without a stopped session it beeps and gives false.
  bool Refresh(bool clear);

  // The selected row (single selection), -1 when none. A row that goes
  // takes the selection with it.
  void SetSelectedRow(int row);
  int SelectedRow();

  // Expansion. Expand shows var's children below `row` (fetching them when
  // none are cached); `row` becomes the last row inserted.
  bool Expand(Variable* var, int* row);
  bool ExpandRow(int row);
  bool CollapseRow(int row);
  // Expands a collapsed container, collapses an expanded one.
  bool ToggleRow(int row);
  void RemoveRow(int row);
  // Ends editing, destroys every variable and deletes every row.
  void Clear();

  // Closing the window: the rows go to the chain in row order, editing
  // ends and the list is left empty. Opening: the chain's variables become
  // the rows and the chain is left empty.
  void SaveRows(VariableChain& chain);
  void RestoreRows(VariableChain& chain);

  // In-place editing. BeginEdit: for a scalar row while the target is
  // stopped (else a beep and false); marks the variable as being edited, and
  // the window then opens its edit control over the value cell.
  bool BeginEdit(int row);
  // The row being edited, -1 when none.
  int EditRow() const;
  // The edit control was accepted with `text`: sets the value and sends it
  // to the target; on a refusal the old value stays, with an error text
  // and a beep. Editing ends in every case.
  void EndEdit(const std::string& text);
  // Ends editing without taking a text.
  void CancelEdit();

  // The value column. SetGeometry gives the client width and the editor
  // font's average character width; UpdateValueWidth re-measures every row.
  void SetGeometry(int client_width, int avg_char_width);
  int ValueWidth() const { return value_width_; }
  void UpdateValueWidth();
  // Applies the widest need to the column (the deferred layout step).
  void ApplyValueWidth();

  VariableTarget& Target() { return target_; }

 private:
  struct Key {
    const Variable* parent;
    uint16_t index;
    bool operator==(const Key& o) const { return parent == o.parent && index == o.index; }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.parent) ^ (static_cast<size_t>(k.index) * 0x9E3779B97F4A7C15ull);
    }
  };
  struct Slot {
    Variable* first;  // the first row in row order with this key
    int count;
  };

  static Key KeyOf(const Variable* var) { return Key{var->GetParent(), var->GetIndex()}; }
  // Row bookkeeping: every row insert and delete goes through these.
  void InsertRows(int position, const std::vector<Variable*>& vars);
  void DeleteRows(int first, int count);
  void IndexAdd(Variable* var);
  void IndexRemove(Variable* var);
  Variable* FindMatch(const Variable* parent, uint16_t index) const;
  // The row behind the last row that holds a descendant of row's variable.
  int SubtreeEnd(int row) const;
  // Collects var's children (and theirs where expanded) in row order.
  void CollectShown(const VariableContainer* var, std::vector<Variable*>* out) const;
  bool FetchChildren(Variable* var);
  // Deletes the rows of var's descendants below `row`; they lose their
  // changed mark.
  void DeleteDescendantRows(int row);
  int Need(const Variable* var);
  void Report(int kind, const char* format, const Variable& var, const std::string& text);

  VariableTarget& target_;
  VariableListHost& host_;
  std::vector<Variable*> rows_;
  std::unordered_map<Key, Slot, KeyHash> index_;
  // Row of each variable; rebuilt when rows moved.
  std::unordered_map<const Variable*, int> row_of_;
  bool row_of_valid_ = true;
  const Variable* last_top_ = nullptr;
  const Variable* selected_ = nullptr;  // the last top-level row's variable, kept with row_of_
  int client_width_ = 0;
  int avg_char_width_ = 0;
  int widest_ = 0;
  int value_width_ = 0;
};
