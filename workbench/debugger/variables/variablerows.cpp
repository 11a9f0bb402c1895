#include "workbench/debugger/variables/variablerows.h"

#include <algorithm>

#include "workbench/base/shellsink.h"
#include "workbench/shell/statusmodel.h"
#include "workbench/base/sysassert.h"

VariableRowList::VariableRowList(VariableTarget& target, VariableListHost& host) : target_(target), host_(host) {}

VariableRowList::~VariableRowList() {
  // No calls to the host here: the window may already be half gone.
  // Top-level rows first: destroying one destroys the rows of its children.
  std::vector<Variable*> tops;
  for (Variable* var : rows_)
    if (!var->GetParent()) tops.push_back(var);
  for (Variable* var : tops) delete var;
}

Variable* VariableRowList::GetRowVariable(int row) const {
  SYS_ASSERT(row >= 0 && row < GetItemCount());
  return rows_[static_cast<size_t>(row)];
}

// ---- row bookkeeping ----

void VariableRowList::IndexAdd(Variable* var) {
  auto [it, added] = index_.try_emplace(KeyOf(var), Slot{var, 1});
  if (!added) ++it->second.count;  // rows of one parent come in row order: the first stays first
}

void VariableRowList::IndexRemove(Variable* var) {
  auto it = index_.find(KeyOf(var));
  SYS_ASSERT(it != index_.end());
  if (--it->second.count == 0) {
    index_.erase(it);
    return;
  }
  if (it->second.first != var) return;
  // Two rows of one parent with the same element index (a target that
  // repeats one): the next of them in row order becomes the match.
  for (Variable* row_var : rows_)
    if (row_var != var && KeyOf(row_var) == it->first) {
      it->second.first = row_var;
      return;
    }
}

void VariableRowList::InsertRows(int position, const std::vector<Variable*>& vars) {
  if (vars.empty()) return;
  const bool append = position == GetItemCount();
  if (!append) row_of_valid_ = false;
  rows_.insert(rows_.begin() + position, vars.begin(), vars.end());
  int row = position;
  for (Variable* var : vars) {
    IndexAdd(var);
    if (!row_of_valid_) continue;
    row_of_[var] = row++;
    if (!var->GetParent()) last_top_ = var;
  }
  host_.RowsChanged();
}

void VariableRowList::DeleteRows(int first, int count) {
  if (count <= 0) return;
  std::vector<Variable*> gone(rows_.begin() + first, rows_.begin() + first + count);
  rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
  row_of_valid_ = false;
  for (Variable* var : gone) {
    IndexRemove(var);
    if (var == selected_) selected_ = nullptr;
  }
  host_.RowsChanged();
}

Variable* VariableRowList::FindMatch(const Variable* parent, uint16_t index) const {
  auto it = index_.find(Key{parent, index});
  return it == index_.end() ? nullptr : it->second.first;
}

int VariableRowList::FindRow(const Variable* var) {
  if (!row_of_valid_) {
    row_of_.clear();
    last_top_ = nullptr;
    for (size_t i = 0; i < rows_.size(); ++i) {
      row_of_[rows_[i]] = static_cast<int>(i);
      if (!rows_[i]->GetParent()) last_top_ = rows_[i];
    }
    row_of_valid_ = true;
  }
  auto it = row_of_.find(var);
  return it == row_of_.end() ? -1 : it->second;
}

bool VariableRowList::HasLaterSibling(const Variable* var) {
  if (var->GetParent()) return var->GetNext() != nullptr;
  FindRow(var);  // brings last_top_ up to date
  return var != last_top_;
}

int VariableRowList::SubtreeEnd(int row) const {
  const Variable* var = rows_[static_cast<size_t>(row)];
  const int depth = var->CountChildren();
  int end = row + 1;
  while (end < GetItemCount() && rows_[static_cast<size_t>(end)]->CountChildren() > depth) ++end;
  return end;
}

void VariableRowList::CollectShown(const VariableContainer* var, std::vector<Variable*>* out) const {
  for (Variable* child = var->GetFirstChild(); child; child = child->GetNext()) {
    out->push_back(child);
    if (!child->IsContainer() || !child->TestFlag(Variable_EXPANDED)) continue;
    auto* box = static_cast<VariableContainer*>(child);
    if (box->HasChildren())
      CollectShown(box, out);
    else
      box->ClearFlag(Variable_EXPANDED);
  }
}

void VariableRowList::SetSelectedRow(int row) {
  selected_ = row >= 0 && row < GetItemCount() ? rows_[static_cast<size_t>(row)] : nullptr;
}

int VariableRowList::SelectedRow() { return selected_ ? FindRow(selected_) : -1; }

// ---- the refresh ----

void VariableRowList::MarkStale() {
  for (size_t i = 0; i < rows_.size(); ++i) {
    Variable* var = rows_[i];
    const bool was_changed = var->TestFlag(Variable_CHANGED);
    var->SetFlag(Variable_STALE);
    var->ClearFlag(Variable_CHANGED);
    if (was_changed) host_.RedrawRow(static_cast<int>(i));
  }
}

bool VariableRowList::InsertVariable(std::unique_ptr<Variable> var, int position) {
  if (position < 0) position = GetItemCount();
  if (!var || var->GetParent() || position > GetItemCount()) {
    target_.Status(SK_ERROR, "Failed to insert variable " + (var ? var->GetName() : std::string()) +
                                 " into list (internal error)");
    return false;
  }
  InsertRows(position, {var.release()});
  return true;
}

bool VariableRowList::MergeVariable(std::unique_ptr<Variable> new_var, Variable* parent, int parent_idx) {
  SYS_ASSERT(new_var);
  const int nCount = GetItemCount();
  if (parent) {
    SYS_ASSERT(parent_idx >= 0);
    SYS_ASSERT(parent_idx < nCount);
    SYS_ASSERT(parent->TestFlag(Variable_EXPANDED));
  }
  if (Variable* var = FindMatch(parent, new_var->GetIndex())) {
    var->ClearFlag(Variable_STALE);
    bool redraw = false;
    if (var->GetName() != new_var->GetName()) {
      var->SetName(new_var->GetName().c_str());
      redraw = true;
    }
    const std::string text = new_var->GetValueText();
    if (text != var->GetValueText()) {
      if (!var->SetValue(text)) {
        Report(SK_ERROR, "%s variable %s does not accept new value [%s]", *var, text);
        return false;
      }
      if (!var->IsContainer()) var->SetFlag(Variable_CHANGED);
      redraw = true;
    }
    if (redraw) host_.RedrawRow(FindRow(var));
    return true;
  }
  if (!new_var->IsContainer()) new_var->SetFlag(Variable_CHANGED);
  Variable* var = new_var.get();
  if (!parent) {
    InsertRows(nCount, {new_var.release()});
    return true;
  }
  SYS_ASSERT(parent->IsContainer());
  const int at = SubtreeEnd(parent_idx);
  static_cast<VariableContainer*>(parent)->AppendChild(std::move(new_var));
  InsertRows(at, {var});
  host_.RedrawRow(at - 1);
  return true;
}

bool VariableRowList::RefreshExpanded(Variable* parent, int parent_idx) {
  int row = 0;
  if (parent) {
    const int nCount = GetItemCount();
    SYS_ASSERT(parent_idx >= 0);
    SYS_ASSERT(parent_idx < nCount);
    SYS_ASSERT(parent->TestFlag(Variable_EXPANDED));
    row = parent_idx + 1;
  }
  for (; row < GetItemCount(); ++row) {
    Variable* var = rows_[static_cast<size_t>(row)];
    if (parent && var->GetAncestorLevel(parent) == 0) break;
    if (var->GetParent() != parent || !var->IsContainer()) continue;
    if (!var->TestFlag(Variable_EXPANDED) || var->TestFlag(Variable_STALE)) continue;
    // Merging happens below this row only, so the row stays where it is.
    if (!target_.GetElements(*this, var, row)) return false;
  }
  return true;
}

void VariableRowList::RemoveStale() {
  std::vector<Variable*> doomed;  // stale rows, each going with its shown subtree
  std::vector<Variable*> gone;    // every row that goes
  std::vector<Variable*> kept;
  bool editing_gone = false;
  kept.reserve(rows_.size());
  for (int row = 0; row < GetItemCount();) {
    Variable* var = rows_[static_cast<size_t>(row)];
    if (!var->TestFlag(Variable_STALE)) {
      kept.push_back(var);
      ++row;
      continue;
    }
    doomed.push_back(var);
    for (const int end = SubtreeEnd(row); row < end; ++row) {
      gone.push_back(rows_[static_cast<size_t>(row)]);
      editing_gone |= gone.back()->TestFlag(Variable_EDITING);
    }
  }
  if (!doomed.empty()) {
    if (editing_gone) CancelEdit();
    rows_ = std::move(kept);
    row_of_valid_ = false;
    for (Variable* var : gone) {
      IndexRemove(var);
      if (var == selected_) selected_ = nullptr;
    }
    for (Variable* var : doomed) delete var;  // with its children; a child unlinks from its parent
    host_.RowsChanged();
  }
  UpdateValueWidth();
}

void VariableRowList::AppendVariable(Variable* parent, std::unique_ptr<Variable> var) {
  SYS_ASSERT(parent && parent->IsContainer());
  static_cast<VariableContainer*>(parent)->AppendChild(std::move(var));
}

bool VariableRowList::Refresh(bool clear) {
  if (!target_.IsStopped()) {
    target_.Beep(SHELL_MB_ICONEXCLAMATION);
    return false;
  }
  if (clear) Clear();
  target_.SetBusy(true);
  const bool ok = target_.GetElements(*this, nullptr, -1);
  target_.SetBusy(false);
  if (!ok) target_.CheckSession();
  return ok;
}

// ---- expansion ----

bool VariableRowList::FetchChildren(Variable* var) {
  if (!target_.IsStopped()) {
    target_.Beep(SHELL_MB_ICONEXCLAMATION);
    return false;
  }
  if (!target_.GetElements(*this, var, -1)) {
    target_.CheckSession();
    return false;
  }
  return true;
}

bool VariableRowList::Expand(Variable* var, int* row) {
  SYS_ASSERT(var);
  if (!var->IsContainer()) return false;
  auto* box = static_cast<VariableContainer*>(var);
  if (!box->HasChildren() && !FetchChildren(var)) return false;
  if (!box->HasChildren()) {
    if (var->TestFlag(Variable_EXPANDED)) {
      var->ClearFlag(Variable_EXPANDED);
      host_.RedrawRow(*row);
    }
    return true;
  }
  var->SetFlag(Variable_EXPANDED);
  host_.RedrawRow(*row);
  std::vector<Variable*> shown;
  CollectShown(box, &shown);
  InsertRows(*row + 1, shown);
  *row += static_cast<int>(shown.size());
  return true;
}

bool VariableRowList::ExpandRow(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  Variable* var = rows_[static_cast<size_t>(row)];
  if (!var->IsContainer() || var->TestFlag(Variable_EXPANDED)) return false;
  CancelEdit();
  int last = row;
  const bool ok = Expand(var, &last);
  host_.EnsureVisible(last);
  UpdateValueWidth();
  return ok;
}

void VariableRowList::DeleteDescendantRows(int row) {
  const int end = SubtreeEnd(row);
  for (int i = row + 1; i < end; ++i) rows_[static_cast<size_t>(i)]->ClearFlag(Variable_CHANGED);
  DeleteRows(row + 1, end - row - 1);
}

bool VariableRowList::CollapseRow(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  Variable* var = rows_[static_cast<size_t>(row)];
  if (!var->TestFlag(Variable_EXPANDED)) return false;
  CancelEdit();
  DeleteDescendantRows(row);
  var->ClearFlag(Variable_EXPANDED);
  host_.RedrawRow(row);
  UpdateValueWidth();
  return true;
}

bool VariableRowList::ToggleRow(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  Variable* var = rows_[static_cast<size_t>(row)];
  if (!var->IsContainer()) return false;
  return var->TestFlag(Variable_EXPANDED) ? CollapseRow(row) : ExpandRow(row);
}

void VariableRowList::RemoveRow(int row) {
  const int count = GetItemCount();
  SYS_ASSERT(row >= 0 && row < count);
  Variable* var = rows_[static_cast<size_t>(row)];
  if (var->TestFlag(Variable_EDITING)) CancelEdit();
  CollapseRow(row);
  DeleteRows(row, 1);
  delete var;
  if (row > 0) host_.RedrawRow(row - 1);
  UpdateValueWidth();
}

void VariableRowList::Clear() {
  CancelEdit();
  std::vector<Variable*> tops;
  for (Variable* var : rows_)
    if (!var->GetParent()) tops.push_back(var);
  rows_.clear();
  index_.clear();
  row_of_.clear();
  row_of_valid_ = true;
  last_top_ = nullptr;
  selected_ = nullptr;
  for (Variable* var : tops) delete var;
  host_.RowsChanged();
}

// ---- saved rows ----

void VariableRowList::SaveRows(VariableChain& chain) {
  SYS_ASSERT(!chain.m_pItemRoot);
  CancelEdit();
  for (Variable* var : rows_) chain.Append(var);
  rows_.clear();
  index_.clear();
  row_of_.clear();
  row_of_valid_ = true;
  last_top_ = nullptr;
  selected_ = nullptr;
  host_.RowsChanged();
}

void VariableRowList::RestoreRows(VariableChain& chain) {
  SYS_ASSERT(!GetItemCount());
  InsertRows(0, chain.TakeAll());
  UpdateValueWidth();
}

// ---- editing ----

int VariableRowList::EditRow() const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i]->TestFlag(Variable_EDITING)) return static_cast<int>(i);
  return -1;
}

bool VariableRowList::BeginEdit(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  Variable* var = rows_[static_cast<size_t>(row)];
  if (var->IsContainer()) return false;
  CancelEdit();
  host_.EnsureVisible(row);
  if (!target_.IsStopped()) {
    target_.Beep(SHELL_MB_ICONEXCLAMATION);
    return false;
  }
  var->SetFlag(Variable_EDITING);
  host_.RedrawRow(row);
  return true;
}

void VariableRowList::EndEdit(const std::string& text) {
  const int row = EditRow();
  if (row < 0) return;
  Variable* var = rows_[static_cast<size_t>(row)];
  host_.DestroyEditControl();
  var->ClearFlag(Variable_EDITING);
  host_.RedrawRow(row);
  if (text.empty()) return;

  const std::string old_text = var->GetValueText();
  bool ok = var->SetValue(text);
  bool check_session = false;
  if (ok && !target_.IsStopped()) {
    ok = false;
  } else if (ok && !target_.SetElement(*var)) {
    ok = false;
    check_session = true;
  }
  if (ok) {
    Report(SK_PLAIN, "%s variable %s set with new value [%s]", *var, text);
    const int need = Need(var);
    if (need > widest_) {
      widest_ = need;
      ApplyValueWidth();
    }
    return;
  }
  var->SetValue(old_text);  // the window never shows a value the target did not take
  Report(SK_ERROR, "%s variable %s does not accept new value [%s]", *var, text);
  target_.Beep(SHELL_MB_ICONEXCLAMATION);
  // Last: a lost session may take the rows with it.
  if (check_session) target_.CheckSession();
}

void VariableRowList::CancelEdit() {
  host_.DestroyEditControl();
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i]->TestFlag(Variable_EDITING)) continue;
    rows_[i]->ClearFlag(Variable_EDITING);
    host_.RedrawRow(static_cast<int>(i));
  }
}

void VariableRowList::Report(int kind, const char* format, const Variable& var, const std::string& text) {
  // The format has three %s: type name, name, text. Built by hand, so no
  // length of name or text is cut.
  const std::string parts[3] = {var.GetTypeName(), var.GetName(), text};
  std::string message;
  int part = 0;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && part < 3) {
      message += parts[part++];
      ++p;
    } else {
      message += *p;
    }
  }
  target_.Status(kind, message);
}

// ---- the value column ----

void VariableRowList::SetGeometry(int client_width, int avg_char_width) {
  client_width_ = client_width;
  avg_char_width_ = avg_char_width;
}

int VariableRowList::Need(const Variable* var) {
  return host_.MeasureText(var->GetValueText()) + VARVIEW_VALUE_PADDING + 2 * avg_char_width_;
}

void VariableRowList::UpdateValueWidth() {
  const int before = widest_;
  widest_ = 0;
  for (const Variable* var : rows_) widest_ = std::max(widest_, Need(var));
  if (widest_ > before) ApplyValueWidth();
}

void VariableRowList::ApplyValueWidth() {
  const int width = std::max(widest_, client_width_ - VARVIEW_NAME_WIDTH - VARVIEW_TYPE_WIDTH);
  if (width == value_width_) return;
  CancelEdit();
  value_width_ = width;
  host_.ValueWidthChanged(width);
}
