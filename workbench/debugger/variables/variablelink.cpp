#include "workbench/debugger/variables/variablelink.h"

VariableHandOver::VariableHandOver(VariableRows& rows, Variable* parent, int idx)
    : rows_(rows), parent_(parent), idx_(idx) {
  if (!parent_) {
    rows_.MarkStale();
    was_empty_ = rows_.IsEmpty();
  }
}

bool VariableHandOver::Take(std::unique_ptr<Variable> element) {
  if (!parent_) {
    if (was_empty_) return rows_.InsertVariable(std::move(element), -1);
    return rows_.MergeVariable(std::move(element), nullptr, -1);
  }
  if (idx_ < 0) {
    rows_.AppendVariable(parent_, std::move(element));
    return true;
  }
  return rows_.MergeVariable(std::move(element), parent_, idx_);
}

bool VariableHandOver::Finish() {
  if (!parent_) {
    if (!rows_.RefreshExpanded(nullptr, -1)) return false;
    rows_.RemoveStale();
    return true;
  }
  if (idx_ < 0) return true;
  return rows_.RefreshExpanded(parent_, idx_);
}
