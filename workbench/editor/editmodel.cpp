#include "workbench/editor/editmodel.h"

#include <algorithm>
#include <cstdio>

#include "workbench/editor/txtline.h"
#include "workbench/editor/txtreplace.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/base/sysassert.h"

namespace {

std::string Printf(const char* format, const std::string& a) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, a.c_str());
  return buf;
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLabelChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

std::string Lowered(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

uint32_t Editor_LabelEnd(const std::string& chars) {
  if (chars.empty() || !IsUpper(chars[0])) return 0;
  size_t i = 1;
  while (i < chars.size() && IsLabelChar(chars[i])) ++i;
  if (i < chars.size() && chars[i] == ':') return static_cast<uint32_t>(i + 1);
  return 0;
}

EditorModel::EditorModel(EditDocSlots* doc, EditorHost* host) : doc_(doc), host_(host ? host : &null_host_) {
  SYS_ASSERT(doc);
}

TextObj* EditorModel::Text() const {
  TextObj* tobj = doc_->GetTextObj();
  SYS_ASSERT(tobj);
  return tobj;
}

CfgSettings* EditorModel::Config() const { return doc_->GetDocConfig(); }

CfgEditItem* EditorModel::EditItem() const {
  CfgSettings* cfg = Config();
  CfgEditItem* edit_item = cfg->Edit.GetItemFor(cfg->File);
  SYS_ASSERT(edit_item);
  return edit_item;
}

bool EditorModel::IsBinaryProgram() const { return Config()->File.IsBinaryFileMode(); }

bool EditorModel::Writable() const { return !Text()->TestFlag(TextObj_READ_ONLY); }

bool EditorModel::BeginKeyAction() {
  if (!Writable()) {
    host_->Beep();
    return false;
  }
  TextObj* tobj = Text();
  tobj->EndAction();
  tobj->BeginAction(caret_line, caret_col);
  return true;
}

void EditorModel::Notify(FwUpdateKind kind, bool local) { host_->Repaint(kind, local); }

// ------------------------------------------------------------ Layout

void EditorModel::SetMetrics(int char_width, int line_height) {
  char_width_ = std::max(1, char_width);
  line_height_ = std::max(1, line_height);
  flags &= ~(EV_ROWS_VALID | EV_SCROLL_SETUP);
}

void EditorModel::SetClientSize(int width, int height) {
  client_width_ = std::max(0, width);
  client_height_ = std::max(0, height);
  if (Flag(EV_INITIALIZED)) {
    flags &= ~(EV_SCROLL_SETUP | EV_ROWS_VALID);
    UpdateScrollRanges();
    if (IsLineWrap()) SetGoalCol();
  }
}

uint32_t EditorModel::VisibleRows() const { return static_cast<uint32_t>(std::max(1, client_height_ / line_height_)); }

uint32_t EditorModel::VisibleCols() const {
  return static_cast<uint32_t>(std::max(1, (client_width_ - EV_MARGIN) / char_width_));
}

uint32_t EditorModel::MaxCols() const {
  if (!IsLineWrap()) return 0;
  // A window narrower than three columns keeps the narrowest wrap there is.
  uint32_t v = VisibleCols();
  return v > 3 ? v - 1 : 2;
}

void EditorModel::SetLineWrap(bool on) {
  if (on) {
    ScrollTo(top_row, 0);
    flags |= EV_LINEWRAP;
  } else {
    flags &= ~EV_LINEWRAP;
  }
  flags &= ~(EV_SCROLL_SETUP | EV_ROWS_VALID);
  UpdateScrollRanges();
  SetGoalCol();
  Notify(FwUpdateKind::All, true);
}

uint32_t EditorModel::TotalRows() {
  if (!Flag(EV_ROWS_VALID)) {
    total_rows_ = Text()->CountRows(MaxCols());
    flags |= EV_ROWS_VALID;
  }
  return total_rows_;
}

void EditorModel::InitialUpdate() {
  TextObj* tobj = Text();
  SYS_ASSERT(tobj->num_lines);
  CfgEditItem* item = EditItem();
  if (item->flags & CfgEditItem::Overwrite)
    flags |= EV_OVERWRITE;
  else
    flags &= ~EV_OVERWRITE;
  if (item->flags & CfgEditItem::LineWrap)
    flags |= EV_LINEWRAP;
  else
    flags &= ~EV_LINEWRAP;
  tobj->edit_line = 0;
  flags |= EV_INITIALIZED;
  flags &= ~(EV_SCROLL_SETUP | EV_ROWS_VALID);
  UpdateScrollRanges();
  doc_->RestoreViewState(this);
}

void EditorModel::RowToLineCol(uint32_t* row, uint32_t* col) {
  TextObj* tobj = Text();
  SYS_ASSERT(tobj->num_lines);
  const uint32_t w = MaxCols();
  if (*row >= TotalRows()) {
    *row = tobj->num_lines - 1;
    *col = tobj->LastLine()->Columns();
    return;
  }
  if (!w) return;
  uint32_t start = 0;
  TextLine* line = tobj->LineAtRow(*row, &start, w);
  SYS_ASSERT(line);
  *row = line->idx;
  *col += start;
}

void EditorModel::LineToRowCol(uint32_t* line, uint32_t* col) {
  const uint32_t w = MaxCols();
  if (!w) return;
  TextLine* tline = Text()->Line(*line, w);
  SYS_ASSERT(tline);
  uint32_t rows = *col / w;
  uint32_t rest = *col % w;
  if (rest == 0 && *col != 0) {
    rows -= 1;
    rest = w;
  }
  *line = tline->first_row + rows;
  *col = rest;
}

// ------------------------------------------------------------ Caret

void EditorModel::GetCursorLineCol(uint32_t* line, uint32_t* col) const {
  if (SelectionActive()) {
    *line = sel_line;
    *col = sel_col;
  } else {
    *line = caret_line;
    *col = caret_col;
  }
}

void EditorModel::PlaceCaret(uint32_t line, uint32_t col) {
  TextObj* tobj = Text();
  SYS_ASSERT(tobj->num_lines);
  if (line >= tobj->num_lines) line = tobj->num_lines - 1;
  TextLine* tline = tobj->Line(line);
  SYS_ASSERT(tline);
  if (col > tline->Columns()) col = tline->Columns();
  caret_line = line;
  caret_col = col;
  host_->CaretChanged();
}

bool EditorModel::CaretPixel(int* x, int* y) const {
  auto* self = const_cast<EditorModel*>(this);
  uint32_t row = caret_line, col = caret_col;
  self->LineToRowCol(&row, &col);
  int caret_w = 0, caret_h = 0, caret_y = 0;
  CaretShape(&caret_w, &caret_h, &caret_y);
  if (row >= top_row && row <= top_row + VisibleRows() && col >= left_col && col <= left_col + VisibleCols()) {
    *x = static_cast<int>(col - left_col) * char_width_ + EV_MARGIN;
    *y = static_cast<int>(row - top_row) * line_height_ + caret_y;
    return true;
  }
  *x = -char_width_ - 1;
  *y = -line_height_ - 1;
  return false;
}

void EditorModel::CaretShape(int* width, int* height, int* y) const {
  CfgEditItem* item = EditItem();
  int shape = (Flag(EV_OVERWRITE) && Writable()) ? item->OverwriteCursorShape : item->InsertCursorShape;
  if (shape == CfgCursor_Block) {
    *width = char_width_;
    *height = line_height_;
    *y = 0;
  } else if (shape == CfgCursor_Underline) {
    *width = char_width_;
    *height = 2;
    *y = line_height_ - 2;
  } else {
    *width = 2;
    *height = line_height_;
    *y = 0;
  }
}

void EditorModel::SetGoalCol() {
  const uint32_t w = MaxCols();
  goal_col = w ? caret_col % w : caret_col;
}

void EditorModel::EnsureCaretVisible() {
  uint32_t row = caret_line, col = caret_col;
  LineToRowCol(&row, &col);
  uint32_t top = top_row, left = left_col;
  const uint32_t vr = VisibleRows(), vc = VisibleCols();
  if (row < top_row || row >= top_row + vr) {
    uint32_t h = vr / 2;
    top = row < h ? 0 : row - h + 1;
  }
  if (!IsLineWrap() && (col < left_col || col >= left_col + vc)) {
    uint32_t h = vc / 2;
    left = col < h ? 0 : col - h + 1;
  }
  ScrollTo(top, left);
}

void EditorModel::KeepColVisible() {
  if (IsLineWrap()) return;
  const uint32_t right = left_col + VisibleCols() - 1;
  uint32_t left = left_col;
  if (caret_col < left_col)
    left = caret_col < 11 ? 0 : caret_col - 10;
  else if (caret_col > right)
    left = caret_col - right + left_col + 10;
  ScrollTo(top_row, left);
}

void EditorModel::ScrollTo(uint32_t row, uint32_t col) {
  const uint32_t vr = VisibleRows(), vc = VisibleCols();
  const uint32_t max_row = row_extent_ > vr ? row_extent_ - vr : 0;
  const uint32_t max_col = col_extent_ > vc ? col_extent_ - vc : 0;
  row = std::min(row, max_row);
  col = std::min(col, max_col);
  if (row == top_row && col == left_col) {
    flags &= ~(EV_SCROLL_REPAINT | EV_SCROLL_MIRROR);
    return;
  }
  top_row = row;
  left_col = col;
  flags &= ~(EV_SCROLL_REPAINT | EV_SCROLL_MIRROR);
  host_->Scrolled();
  host_->CaretChanged();
}

void EditorModel::UpdateScrollRanges() {
  flags &= ~EV_ROWS_VALID;
  const uint32_t total = TotalRows();
  const uint32_t vr = VisibleRows(), vc = VisibleCols();
  uint32_t top = top_row, left = left_col;
  if (total < vr)
    top = 0;
  else if (top_row + vr - 1 >= total)
    top = total - vr;
  uint32_t col_extent = 0;
  if (IsLineWrap()) {
    left = 0;
  } else {
    col_extent = Text()->max_line_size;
    if (col_extent < vc)
      left = 0;
    else if (left_col + vc - 1 >= col_extent)
      left = col_extent - vc;
  }
  if (Flag(EV_SCROLL_SETUP) && row_extent_ == total && col_extent_ == col_extent) {
    flags &= ~EV_SCROLL_MIRROR;
    return;
  }
  row_extent_ = total;
  col_extent_ = col_extent;
  flags |= EV_SCROLL_SETUP;
  if (top != top_row || left != left_col) {
    top_row = top;
    left_col = left;
    host_->Scrolled();
  }
}

void EditorModel::SetFocus(bool on) {
  if (on) {
    if (!Flag(EV_INITIALIZED)) InitialUpdate();
    flags |= EV_FOCUS;
    if (!SelectionActive()) flags |= EV_CARET_SHOWN;
    MarkEditLine(caret_line);
  } else {
    EndLineEdit();
    flags &= ~(EV_FOCUS | EV_CARET_SHOWN);
  }
  host_->CaretChanged();
}

// ------------------------------------------------------------ Selection

void EditorModel::ExtendSelection(uint32_t line, uint32_t col) {
  if (!HasAnchor()) {
    sel_anchor_line = sel_line = line;
    sel_anchor_col = sel_col = col;
    flags |= EV_SEL_ANCHOR;
    Notify(FwUpdateKind::DropSelection, false);
    return;
  }
  sel_line = line;
  sel_col = col;
  flags &= ~(EV_SEL_ANCHOR | EV_SEL_SHRUNK);
  if (sel_line != sel_anchor_line || sel_col != sel_anchor_col) {
    flags |= EV_SEL_ACTIVE;
    flags &= ~EV_CARET_SHOWN;
  } else {
    if (Flag(EV_SEL_ACTIVE)) flags |= EV_SEL_SHRUNK;
    flags &= ~EV_SEL_ACTIVE;
    if (Flag(EV_FOCUS)) flags |= EV_CARET_SHOWN;
  }
  Notify(FwUpdateKind::TextRange, true);
}

bool EditorModel::GetSelection(uint32_t* first_line, uint32_t* last_line, uint32_t* first_col,
                               uint32_t* last_col) const {
  if (!SelectionActive()) return false;
  bool anchor_first = sel_anchor_line < sel_line || (sel_anchor_line == sel_line && sel_anchor_col <= sel_col);
  *first_line = anchor_first ? sel_anchor_line : sel_line;
  *first_col = anchor_first ? sel_anchor_col : sel_col;
  *last_line = anchor_first ? sel_line : sel_anchor_line;
  *last_col = anchor_first ? sel_col : sel_anchor_col;
  return true;
}

bool EditorModel::IsSelected(uint32_t line, uint32_t col) const {
  uint32_t fl, ll, fc, lc;
  if (!GetSelection(&fl, &ll, &fc, &lc)) return false;
  if (line < fl || line > ll) return false;
  if (line == fl && col < fc) return false;
  if (line == ll && col >= lc) return false;
  return true;
}

void EditorModel::EndSelection() {
  const bool had = SelectionActive();
  flags &= ~(EV_SEL_ANCHOR | EV_SEL_ACTIVE | EV_SEL_SHRUNK);
  if (Flag(EV_FOCUS)) flags |= EV_CARET_SHOWN;
  if (had) Notify(FwUpdateKind::TextRange, true);
}

bool EditorModel::DeleteSelection() {
  TextObj* tobj = Text();
  if (!Writable() || !SelectionActive()) return false;
  Notify(FwUpdateKind::DropSelection, false);
  uint32_t fl, ll, fc, lc;
  GetSelection(&fl, &ll, &fc, &lc);
  tobj->EndAction();
  tobj->BeginAction(fl, fc);
  EndSelection();
  tobj->DeleteArea(fl, ll, fc, lc);
  flags &= ~EV_ROWS_VALID;
  PlaceCaret(fl, fc);
  SetGoalCol();
  InvalidateRange(fl, tobj->num_lines - 1, 0, 0);
  NotifyTextChanged();
  return true;
}

// ------------------------------------------------------------ Edit line

void EditorModel::BeginLineEdit(uint32_t line) {
  TextObj* tobj = Text();
  if (!Writable()) return;
  TextLine* tline = tobj->Line(line);
  SYS_ASSERT(tline);
  if (tline->line_flags & TextLine_EDITING) return;
  int repaint = doc_->LineEditBegin(tline);
  const bool marked = (tline->line_flags & TextLine_ERROR_MARK) != 0;
  tline->line_flags |= TextLine_EDITING;
  tobj->edit_line = line;
  tobj->SetFlag(TextObj_EDIT_LINE);
  if (repaint || marked) InvalidateRange(line, line, 0, 0);
}

void EditorModel::EndLineEdit() {
  TextObj* tobj = Text();
  if (!tobj->TestFlag(TextObj_EDIT_LINE)) return;
  tobj->ClearFlag(TextObj_EDIT_LINE);
  TextLine* tline = tobj->edit_line < tobj->num_lines ? tobj->Line(tobj->edit_line) : nullptr;
  if (!tline) return;
  int repaint = doc_->LineEditEnd(tline);
  tline->line_flags &= ~TextLine_EDITING;
  if (repaint) InvalidateRange(tobj->edit_line, tobj->edit_line, 0, 0);
}

void EditorModel::DropLineEdit() {
  TextObj* tobj = Text();
  if (!tobj->TestFlag(TextObj_EDIT_LINE)) return;
  tobj->ClearFlag(TextObj_EDIT_LINE);
  if (tobj->edit_line < tobj->num_lines) tobj->Line(tobj->edit_line)->line_flags &= ~TextLine_EDITING;
}

void EditorModel::MarkEditLine(uint32_t line) {
  TextObj* tobj = Text();
  if (!Writable() || tobj->TestFlag(TextObj_EDIT_LINE)) return;
  if (line >= tobj->num_lines) return;
  tobj->edit_line = line;
  tobj->SetFlag(TextObj_EDIT_LINE);
  tobj->Line(line)->line_flags &= ~TextLine_EDITING;
}

// ------------------------------------------------------------ Repaints

void EditorModel::InvalidateRange(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col) {
  SYS_ASSERT(first_line <= last_line);
  range_first_line = first_line;
  range_last_line = last_line;
  range_first_col = first_col;
  range_last_col = last_col;
  NotifyChange(FwUpdateKind::TextRange);
}

void EditorModel::NotifyTextChanged() { NotifyChange(FwUpdateKind::TextMargin); }

void EditorModel::NotifyChange(FwUpdateKind kind) {
  const bool local = Flag(EV_LOCAL_REPAINT);
  flags &= ~EV_LOCAL_REPAINT;
  flags &= ~EV_ROWS_VALID;
  UpdateScrollRanges();
  Notify(kind, local);
}

void EditorModel::ClearMarkedLine() {
  const bool was = Flag(EV_MARKED_LINE);
  flags &= ~EV_MARKED_LINE;
  if (was) NotifyTextChanged();
}

// ------------------------------------------------------------ Keys

void EditorModel::MoveCaretTo(uint32_t line, uint32_t col, bool shift) {
  if (line != caret_line) {
    EndLineEdit();
    PlaceCaret(line, col);
    if (!shift) BeginLineEdit(caret_line);
  } else {
    PlaceCaret(line, col);
  }
}

void EditorModel::VerticalMove(int64_t delta_rows, bool page) {
  const uint32_t total = TotalRows();
  uint32_t row = caret_line, col = caret_col;
  LineToRowCol(&row, &col);
  int64_t target = static_cast<int64_t>(row) + delta_rows;
  if (target < 0) target = 0;
  if (target > static_cast<int64_t>(total) - 1) target = static_cast<int64_t>(total) - 1;
  if (static_cast<uint32_t>(target) == row) return;
  uint32_t new_row = static_cast<uint32_t>(target);
  uint32_t line = new_row, new_col = goal_col;
  RowToLineCol(&line, &new_col);
  const uint32_t w = MaxCols();
  // A row start would show as the end of the row above: one further.
  if (w && goal_col == 0 && new_col != 0 && new_col % w == 0) new_col += 1;
  TextLine* tline = Text()->Line(line);
  SYS_ASSERT(tline);
  new_col = std::min(new_col, tline->Columns());
  const uint32_t vr = VisibleRows();
  uint32_t top = top_row;
  if (page) {
    int64_t t = static_cast<int64_t>(top_row) + (target - static_cast<int64_t>(row));
    top = static_cast<uint32_t>(std::max<int64_t>(0, t));
  } else if (new_row < top_row) {
    top = new_row;
  } else if (new_row >= top_row + vr) {
    top = new_row - vr + 1;
  }
  MoveCaretTo(line, new_col, shift_);
  ScrollTo(top, left_col);
  KeepColVisible();
}

bool EditorModel::KeyDown(EditKey key, bool shift, bool ctrl) {
  TextObj* tobj = Text();
  SYS_ASSERT(tobj->num_lines);
  const bool movement = ((key == EditKey::PageUp || key == EditKey::PageDown) && !ctrl) || key == EditKey::End ||
                        key == EditKey::Home || key == EditKey::Left || key == EditKey::Right || key == EditKey::Up ||
                        key == EditKey::Down;
  if ((key == EditKey::PageUp || key == EditKey::PageDown) && ctrl) return false;
  if (key == EditKey::Other) return false;
  shift_ = shift;
  if (movement) {
    if (!shift) {
      if (SelectionActive()) {
        if (key == EditKey::Up || key == EditKey::Left) {
          uint32_t fl, ll, fc, lc;
          GetSelection(&fl, &ll, &fc, &lc);
          MoveCaretTo(fl, fc, false);
        }
        EndSelection();
      } else if (HasAnchor()) {
        EndSelection();
      }
    } else if (!HasAnchor()) {
      ExtendSelection(caret_line, caret_col);
    }
  }
  EnsureCaretVisible();
  const uint32_t vr = VisibleRows();
  switch (key) {
    case EditKey::Insert:
      if (!Flag(EV_INSERT_DOWN)) {
        flags |= EV_INSERT_DOWN;
        flags ^= EV_OVERWRITE;
        host_->CaretChanged();
      }
      break;
    case EditKey::Return:
      if (!BeginKeyAction()) break;
      DeleteSelection();
      SplitLine();
      break;
    case EditKey::Back:
      if (!BeginKeyAction()) break;
      if (DeleteSelection()) break;
      if (caret_col > 0) {
        BeginLineEdit(caret_line);
        TextLine* line = tobj->Line(caret_line);
        line->Delete(caret_col - 1, 1);
        PlaceCaret(caret_line, caret_col - 1);
        SetGoalCol();
        InvalidateRange(caret_line, caret_line, caret_col, line->Columns());
      } else if (caret_line > 0) {
        JoinLines(caret_line - 1, false);
      }
      break;
    case EditKey::Delete:
      if (!BeginKeyAction()) break;
      if (DeleteSelection()) break;
      {
        TextLine* line = tobj->Line(caret_line);
        if (caret_col < line->Columns()) {
          BeginLineEdit(caret_line);
          line->Delete(caret_col, 1);
          SetGoalCol();
          InvalidateRange(caret_line, caret_line, caret_col, line->Columns());
        } else if (caret_line + 1 < tobj->num_lines) {
          JoinLines(caret_line, true);
        }
      }
      break;
    case EditKey::Tab: Tab(shift); break;
    case EditKey::Left:
      tobj->EndAction();
      if (caret_col > 0)
        MoveCaretTo(caret_line, caret_col - 1, shift);
      else if (caret_line > 0)
        MoveCaretTo(caret_line - 1, tobj->Line(caret_line - 1)->Columns(), shift);
      SetGoalCol();
      KeepColVisible();
      EnsureCaretVisible();
      break;
    case EditKey::Right: {
      tobj->EndAction();
      TextLine* line = tobj->Line(caret_line);
      if (caret_col < line->Columns())
        MoveCaretTo(caret_line, caret_col + 1, shift);
      else if (caret_line + 1 < tobj->num_lines)
        MoveCaretTo(caret_line + 1, 0, shift);
      SetGoalCol();
      KeepColVisible();
      EnsureCaretVisible();
      break;
    }
    case EditKey::Up: VerticalMove(-1, false); break;
    case EditKey::Down: VerticalMove(1, false); break;
    case EditKey::PageUp: VerticalMove(-static_cast<int64_t>(vr), true); break;
    case EditKey::PageDown: VerticalMove(static_cast<int64_t>(vr), true); break;
    case EditKey::Home:
      tobj->EndAction();
      if (ctrl) {
        MoveCaretTo(0, 0, shift);
      } else {
        uint32_t first = tobj->Line(caret_line)->NextNonBlankColumn(0);
        if (first == caret_col) first = 0;
        if (first != caret_col) MoveCaretTo(caret_line, first, shift);
      }
      SetGoalCol();
      EnsureCaretVisible();
      break;
    case EditKey::End:
      tobj->EndAction();
      if (ctrl)
        MoveCaretTo(tobj->num_lines - 1, tobj->LastLine()->Columns(), shift);
      else
        MoveCaretTo(caret_line, tobj->Line(caret_line)->Columns(), shift);
      SetGoalCol();
      EnsureCaretVisible();
      break;
    case EditKey::Other: break;
  }
  if (movement && shift) ExtendSelection(caret_line, caret_col);
  return true;
}

void EditorModel::KeyUp(EditKey key) {
  if (key == EditKey::Insert) flags &= ~EV_INSERT_DOWN;
}

// ------------------------------------------------------------ Split and join

void EditorModel::SplitLine() {
  TextObj* tobj = Text();
  SYS_ASSERT(tobj->num_lines);
  const uint32_t old_idx = caret_line;
  const uint32_t at_col = caret_col;
  BeginLineEdit(old_idx);
  TextLine* old_line = tobj->Line(old_idx);
  SYS_ASSERT(old_line);
  TextAttr tail_attr(tobj);
  const char* tail_ptr = old_line->PointerAtColumn(at_col, &tail_attr);
  std::string tail = tail_ptr ? tail_ptr : "";
  if (at_col < old_line->Columns() || !tail.empty()) old_line->Delete(at_col, 0);
  EndLineEdit();
  TextLine* new_line = new TextLine(old_line, TextLine_AFTER);

  // Indentation.
  CfgEditItem* item = EditItem();
  bool indenting;
  const bool keywords = IsBinaryProgram() && (Config()->Program.options & CfgProgram::AutoIndent);
  if (keywords)
    indenting = true;
  else
    indenting = (item->flags & CfgEditItem::AutoIndent) != 0;
  uint32_t indent = 0, outdent = 0;
  if (indenting) {
    indent = old_line->NextNonBlankColumn(0);
    if (keywords) {
      const bool closes = (old_line->line_aux & 2) != 0;
      const bool opens = (old_line->line_aux & 4) != 0;
      if (closes && old_line->prev) {
        TextLine* prev = old_line->prev;
        uint32_t prev_indent = prev->NextNonBlankColumn(0);
        if (prev_indent < indent || (prev_indent == indent && !(prev->line_aux & 4))) {
          outdent = indent - item->PrevStop(indent);
          indent -= outdent;
        }
      }
      if (opens) indent = item->NextStop(indent);
    }
  }
  const TextAttr fresh(tobj);
  if (indent) new_line->Insert(0, CfgEditItem::Blanks(indent), fresh);
  if (!tail.empty()) new_line->Insert(indent, tail.c_str(), tail_attr);
  if (outdent) old_line->Delete(0, outdent);
  if (at_col == 0) {
    old_line->SwapIdentity(new_line);
    old_line->line_number = 0;
  }
  const uint32_t new_idx = old_idx + 1;
  MarkEditLine(old_idx);
  BeginLineEdit(new_idx);
  flags &= ~EV_ROWS_VALID;
  PlaceCaret(new_idx, indent);
  InvalidateRange(old_idx, tobj->num_lines - 1, 0, 0);
  NotifyTextChanged();
  SetGoalCol();
  EnsureCaretVisible();
}

void EditorModel::JoinLines(uint32_t stay_idx, bool delete_key) {
  TextObj* tobj = Text();
  TextLine* stay = tobj->Line(stay_idx);
  SYS_ASSERT(stay);
  TextLine* goes = stay->next;
  SYS_ASSERT(goes);
  EndLineEdit();
  const uint32_t join_col = stay->Columns();
  if (delete_key && join_col == 0) stay->SwapIdentity(goes);
  TextAttr attr(tobj);
  const char* p = goes->PointerAtColumn(0, &attr);
  std::string rest = p ? p : "";
  if (!rest.empty()) stay->Insert(join_col, rest.c_str(), attr);
  delete goes;
  flags &= ~EV_ROWS_VALID;
  PlaceCaret(stay_idx, join_col);
  SetGoalCol();
  BeginLineEdit(stay_idx);
  InvalidateRange(stay_idx, tobj->num_lines - 1, 0, 0);
  NotifyTextChanged();
  EnsureCaretVisible();
}

// ------------------------------------------------------------ Typing

void EditorModel::InsertAtCaret(const std::string& chars) {
  TextObj* tobj = Text();
  TextLine* line = tobj->Line(caret_line);
  SYS_ASSERT(line);
  TextAttr attr = line->AttrAt(caret_col);
  uint32_t n = line->Insert(caret_col, chars.c_str(), attr);
  PlaceCaret(caret_line, caret_col + n);
}

void EditorModel::Tab(bool shift) {
  TextObj* tobj = Text();
  if (!Writable()) {
    host_->Beep();
    return;
  }
  uint32_t fl, ll, fc, lc;
  if (GetSelection(&fl, &ll, &fc, &lc) && fl != ll) {
    IndentOutdent(!shift);
    return;
  }
  if (shift) {
    host_->Beep();
    return;
  }
  tobj->BeginAction(caret_line, caret_col);
  uint32_t n = 0;
  const char* blanks = EditItem()->GetIndentBlanks(caret_col, &n);
  if (!Flag(EV_OVERWRITE)) {
    DeleteSelection();
    BeginLineEdit(caret_line);
    if (n) InsertAtCaret(std::string(blanks, n));
  } else {
    EndSelection();
    BeginLineEdit(caret_line);
    TextLine* line = tobj->Line(caret_line);
    const uint32_t target = caret_col + n;
    if (target > line->Columns())
      line->Insert(line->Columns(), CfgEditItem::Blanks(target - line->Columns()), line->AttrAt(line->Columns()));
    PlaceCaret(caret_line, target);
  }
  SetGoalCol();
  KeepColVisible();
  InvalidateRange(caret_line, caret_line, 0, tobj->Line(caret_line)->Columns());
}

bool EditorModel::Char(uint32_t ch) {
  if (ch < 32) return false;
  TextObj* tobj = Text();
  TextAttr probe(tobj);
  if (!Writable() || ch > 255 || ch == 127 || (probe.Enhanced() && ch >= 0x80 && ch <= 0x9F)) {
    host_->Beep();
    return true;
  }
  tobj->BeginAction(caret_line, caret_col);
  if (Flag(EV_OVERWRITE))
    EndSelection();
  else
    DeleteSelection();
  EnsureCaretVisible();
  BeginLineEdit(caret_line);
  TextLine* line = tobj->Line(caret_line);
  SYS_ASSERT(line);
  TextAttr attr = line->AttrAt(caret_col);
  std::string c = ToFileCodepage(std::string(1, static_cast<char>(ch)));
  const uint32_t col = caret_col;
  if (Flag(EV_OVERWRITE))
    line->ReplaceChar(col, c[0], attr);
  else
    line->Insert(col, c.c_str(), attr);
  PlaceCaret(caret_line, col + 1);
  KeepColVisible();
  EnsureCaretVisible();
  InvalidateRange(caret_line, caret_line, col, line->Columns());
  SetGoalCol();
  return true;
}

// ------------------------------------------------------------ Mouse

void EditorModel::Click(uint32_t row, uint32_t col, bool in_margin, bool shift) {
  TextObj* tobj = Text();
  tobj->EndAction();
  if (!shift)
    EndSelection();
  else if (!SelectionActive() && !HasAnchor())
    ExtendSelection(caret_line, caret_col);
  uint32_t line = row, c = col;
  if (in_margin) {
    EndSelection();
    ScrollTo(top_row, 0);
    c = 0;
    RowToLineCol(&line, &c);
    if (line != caret_line) EndLineEdit();
    PlaceCaret(line, 0);
    ExtendSelection(line, 0);
    if (line + 1 < tobj->num_lines)
      ExtendSelection(line + 1, 0);
    else
      ExtendSelection(line, tobj->Line(line)->Columns());
    SetGoalCol();
    return;
  }
  RowToLineCol(&line, &c);
  MoveCaretTo(line, c, false);
  SetGoalCol();
  if (shift) ExtendSelection(caret_line, caret_col);
}

void EditorModel::RightClick(uint32_t row, uint32_t col, bool in_margin) {
  uint32_t line = row, c = in_margin ? 0 : col;
  RowToLineCol(&line, &c);
  if (!in_margin && IsSelected(line, c)) return;
  Click(row, col, in_margin, false);
}

void EditorModel::Drag(uint32_t row, uint32_t col) {
  uint32_t line = row, c = col;
  RowToLineCol(&line, &c);
  if (!HasAnchor()) ExtendSelection(caret_line, caret_col);
  PlaceCaret(line, c);
  ExtendSelection(caret_line, caret_col);
}

void EditorModel::DoubleClick(uint32_t row, uint32_t col, bool in_margin) {
  TextObj* tobj = Text();
  tobj->EndAction();
  EndSelection();
  uint32_t line = row, c = 0;
  RowToLineCol(&line, &c);
  int flag = 0;
  if (doc_->GoToLocation(this, line, &flag)) {
    ScrollTo(top_row, 0);
    if (flag == 0) {
      PlaceCaret(line, 0);
      ExtendSelection(line, 0);
      if (line + 1 < tobj->num_lines)
        ExtendSelection(line + 1, 0);
      else
        ExtendSelection(line, tobj->Line(line)->Columns());
      marked_line = line;
      flags |= EV_MARKED_LINE | EV_LOCAL_REPAINT;
      NotifyTextChanged();
    } else {
      PlaceCaret(line, 0);
      SetGoalCol();
      host_->Beep();
    }
    return;
  }
  if (in_margin) {
    ScrollTo(top_row, 0);
    MoveCaretTo(line, 0, false);
    SetGoalCol();
    return;
  }
  line = row;
  c = col;
  RowToLineCol(&line, &c);
  MoveCaretTo(line, c, false);
  SetGoalCol();
  int32_t first = 0, last = 0;
  if (tobj->Line(line)->WordAt(c, nullptr, nullptr, &first, &last)) {
    const uint32_t from = static_cast<uint32_t>(static_cast<int32_t>(c) + first);
    const uint32_t to = static_cast<uint32_t>(static_cast<int32_t>(c) + last);
    PlaceCaret(line, from);
    ExtendSelection(line, from);
    PlaceCaret(line, to);
    ExtendSelection(line, to);
  }
}

// ------------------------------------------------------------ Commands

void EditorModel::IndentOutdent(bool indent) {
  TextObj* tobj = Text();
  uint32_t fl, ll, fc, lc;
  if (!Writable() || !GetSelection(&fl, &ll, &fc, &lc)) return;
  if (ll > fl && lc == 0) --ll;
  tobj->EndAction();
  tobj->BeginAction(caret_line, caret_col);
  EndSelection();
  EnsureCaretVisible();
  CfgEditItem* item = EditItem();
  const bool program = IsBinaryProgram();
  const TextAttr fresh(tobj);
  for (uint32_t i = fl; i <= ll; ++i) {
    TextLine* line = tobj->Line(i);
    SYS_ASSERT(line);
    std::string chars = fresh.DisplayChars(line->Data());
    uint32_t start = 0;
    if (program) {
      if (!chars.empty() && chars[0] == '!') continue;
      start = Editor_LabelEnd(chars);
      if (start) {
        size_t k = start;
        while (k < chars.size() && (chars[k] == ' ' || chars[k] == '\t')) ++k;
        if (k >= chars.size() || chars[k] == '!') continue;
      }
    }
    const uint32_t first = line->NextNonBlankColumn(start);
    if (first >= line->Columns()) continue;  // a blank line stays as it is
    if (indent) {
      uint32_t n = 0;
      const char* blanks = item->GetIndentBlanks(first, &n);
      if (n) line->Insert(first, std::string(blanks, n).c_str(), line->AttrAt(first));
    } else {
      uint32_t n = first - item->PrevStop(first);
      n = std::min(n, first - start);
      if (n) line->Delete(first - n, n);
    }
  }
  if (ll + 1 < tobj->num_lines) {
    PlaceCaret(fl, 0);
    ExtendSelection(fl, 0);
    PlaceCaret(ll + 1, 0);
    ExtendSelection(ll + 1, 0);
  } else {
    PlaceCaret(fl, 0);
    ExtendSelection(fl, 0);
    PlaceCaret(ll, tobj->Line(ll)->Columns());
    ExtendSelection(ll, caret_col);
  }
  InvalidateRange(fl, ll, 0, 0);
}

bool EditorModel::CanToggleAttribute() const {
  uint32_t fl, ll, fc, lc;
  return GetSelection(&fl, &ll, &fc, &lc) && Writable() && Text()->use_enhancements && fl == ll;
}

bool EditorModel::AttributeChecked(uint8_t bit) const {
  uint32_t fl, ll, fc, lc;
  if (!GetSelection(&fl, &ll, &fc, &lc)) return false;
  return (Text()->Line(fl)->AttrAt(fc).enhancement & bit) != 0;
}

void EditorModel::ToggleAttribute(uint8_t bit) {
  if (!CanToggleAttribute()) {
    host_->Beep();
    return;
  }
  TextObj* tobj = Text();
  uint32_t fl, ll, fc, lc;
  GetSelection(&fl, &ll, &fc, &lc);
  TextLine* line = tobj->Line(fl);
  TextAttr state = line->AttrAt(fc);
  state.enhancement = static_cast<uint8_t>((state.enhancement ^ bit) | 0x80);
  const TextAttr fresh(tobj);
  std::string chars = fresh.DisplayChars(line->Data()).substr(fc, lc - fc);
  tobj->EndAction();
  tobj->BeginAction(fl, fc);
  line->Delete(fc, lc - fc);
  line->Insert(fc, chars.c_str(), state);
  tobj->EndAction();
  InvalidateRange(fl, fl, fc, lc);
}

void EditorModel::Undo() { UndoOrRedo(false); }

void EditorModel::Redo() { UndoOrRedo(true); }

void EditorModel::UndoOrRedo(bool redo) {
  TextObj* tobj = Text();
  if (!Writable() || !(redo ? tobj->CanRedo() : tobj->CanUndo())) return;
  host_->Status(SK_PLAIN, redo ? "Redoing..." : "Undoing...");
  Notify(FwUpdateKind::DropSelection, false);
  EndSelection();
  // The line being edited is left unchecked: the undo or redo changes it,
  // and a check that lists it anew would be a change of its own, taking the
  // place of the one to be undone and emptying the redo list.
  DropLineEdit();
  uint32_t line = caret_line, col = caret_col;
  tobj->EndAction();
  if (redo)
    tobj->Redo(&line, &col);
  else
    tobj->Undo(&line, &col);
  flags &= ~EV_ROWS_VALID;
  UpdateScrollRanges();
  PlaceCaret(line, col);
  Notify(FwUpdateKind::All, false);
  EnsureCaretVisible();
  SetGoalCol();
  MarkEditLine(caret_line);
  host_->Status(SK_PLAIN, redo ? "Redo completed." : "Undo completed.");
}

std::string EditorModel::CopyText() const {
  uint32_t fl, ll, fc, lc;
  if (!GetSelection(&fl, &ll, &fc, &lc)) return std::string();
  TextObj* tobj = Text();
  std::string raw = tobj->CopyAreaString(fl, ll, fc, lc, false);
  std::string out;
  out.reserve(raw.size());
  for (char c : raw) {
    unsigned char u = static_cast<unsigned char>(c);
    if (tobj->use_enhancements && u >= 0x80 && u <= 0x9F) continue;
    out.push_back(c);
  }
  return ToDisplayCodepage(out);
}

void EditorModel::Paste(const std::string& text) {
  TextObj* tobj = Text();
  if (!Writable()) return;
  // Pasted bytes must not turn into colour or attribute switches.
  std::string clean;
  clean.reserve(text.size());
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == 0 || u == TXT_ESC) continue;
    if (tobj->use_enhancements && u >= 0x80 && u <= 0x9F) continue;
    clean.push_back(c);
  }
  clean = ToFileCodepage(clean);
  tobj->EndAction();
  tobj->BeginAction(caret_line, caret_col);
  DeleteSelection();
  EndLineEdit();
  uint32_t last_line = caret_line, last_col = caret_col;
  const uint32_t from = caret_line;
  tobj->PasteArea(clean.c_str(), caret_line, &last_line, caret_col, &last_col);
  flags &= ~EV_ROWS_VALID;
  InvalidateRange(from, tobj->num_lines - 1, 0, 0);
  PlaceCaret(last_line, last_col);
  SetGoalCol();
  EnsureCaretVisible();
  NotifyTextChanged();
  MarkEditLine(caret_line);
}

void EditorModel::Cut(std::string* copied) {
  if (!SelectionActive() || !Writable()) return;
  if (copied) *copied = CopyText();
  DeleteSelection();
}

void EditorModel::SelectAll() {
  TextObj* tobj = Text();
  EndSelection();
  ExtendSelection(0, 0);
  const uint32_t last = tobj->num_lines - 1;
  PlaceCaret(last, tobj->LastLine()->Columns());
  ExtendSelection(last, caret_col);
}

void EditorModel::DeleteCommand() {
  if (!Writable() || !SelectionActive()) return;
  DeleteSelection();
}

void EditorModel::InsertLineDrawChar(uint8_t code) {
  TextObj* tobj = Text();
  if (!Writable() || !tobj->use_enhancements) {
    host_->Beep();
    return;
  }
  tobj->BeginAction(caret_line, caret_col);
  if (Flag(EV_OVERWRITE))
    EndSelection();
  else
    DeleteSelection();
  BeginLineEdit(caret_line);
  TextLine* line = tobj->Line(caret_line);
  TextAttr attr = line->AttrAt(caret_col);
  attr.char_mode = 1;
  const char one[2] = {static_cast<char>(code), 0};
  const uint32_t col = caret_col;
  if (Flag(EV_OVERWRITE) && col < line->Columns()) line->Delete(col, 1);
  line->Insert(col, one, attr);
  PlaceCaret(caret_line, col + 1);
  SetGoalCol();
  KeepColVisible();
  InvalidateRange(caret_line, caret_line, col, line->Columns());
}

std::string EditorModel::GetWordAtCaret() const {
  TextLine* line = Text()->Line(caret_line);
  if (!line) return std::string();
  int32_t first = 0, last = 0;
  uint32_t col = caret_col;
  if (!line->WordAt(col, nullptr, nullptr, &first, &last)) {
    if (col == 0 || !line->WordAt(col - 1, nullptr, nullptr, &first, &last)) return std::string();
    --col;
  }
  std::string chars = TextAttr(Text()).DisplayChars(line->Data());
  const uint32_t from = static_cast<uint32_t>(static_cast<int32_t>(col) + first);
  const uint32_t to = static_cast<uint32_t>(static_cast<int32_t>(col) + last);
  return chars.substr(from, to - from);
}

// ------------------------------------------------------------ Code pages

std::string EditorModel::ToFileCodepage(const std::string& s) const {
  std::string out = s;
  if (!out.empty()) Config()->File.FromIso(out.data(), out.size());
  return out;
}

std::string EditorModel::ToDisplayCodepage(const std::string& s) const {
  std::string out = s;
  if (!out.empty()) Config()->File.ToIso(out.data(), out.size());
  return out;
}

// ------------------------------------------------------------ Search

bool EditorModel::FindNext(bool down) {
  if (down)
    flags |= EV_SEARCH_DOWN;
  else
    flags &= ~EV_SEARCH_DOWN;
  return FindNext();
}

bool EditorModel::FindNextEx(bool down, bool match_case, bool whole_word) {
  flags = down ? flags | EV_SEARCH_DOWN : flags & ~EV_SEARCH_DOWN;
  flags = match_case ? flags | EV_SEARCH_CASE : flags & ~EV_SEARCH_CASE;
  flags = whole_word ? flags | EV_SEARCH_WORD : flags & ~EV_SEARCH_WORD;
  return FindNext();
}

bool EditorModel::FindNext() {
  const bool continues_replace = Flag(EV_SEARCH_REPLACE);
  flags &= ~EV_SEARCH_REPLACE;
  Text()->EndAction();
  std::string find = host_->FindText();
  if (find.empty()) {
    host_->Beep();
    return false;
  }
  host_->AddFindHistory(find);
  return SearchOnce(find, continues_replace);
}

bool EditorModel::SearchOnce(const std::string& find, bool continues_replace) {
  TextObj* tobj = Text();
  std::string pattern = Flag(EV_SEARCH_CASE) ? find : Lowered(find);
  const bool down = Flag(EV_SEARCH_DOWN);
  uint32_t line = caret_line, col = caret_col;
  uint32_t fl, ll, fc, lc;
  if (GetSelection(&fl, &ll, &fc, &lc)) {
    line = down ? ll : fl;
    col = down ? lc : fc;
  }
  EndSelection();
  EndLineEdit();
  pattern = ToFileCodepage(pattern);
  bool wrapped = false;
  if (!tobj->Find(pattern.c_str(), &line, &col, down, !Flag(EV_SEARCH_CASE), Flag(EV_SEARCH_WORD), &wrapped)) {
    if (continues_replace)
      host_->Status(SK_NOTICE, Printf("Finished searching for \"%s\".", find));
    else
      host_->Status(SK_WARNING, Printf("Cannot find the string \"%s\".", find));
    return false;
  }
  if (wrapped)
    host_->Status(SK_NOTICE, "Passed the end of the file.");
  else
    host_->Status(SK_PLAIN, continues_replace ? "Replace (Ctrl+H)" : "Find next (F3)");
  PlaceCaret(line, col);
  MarkEditLine(line);
  SetGoalCol();
  EnsureCaretVisible();
  ExtendSelection(line, col);
  const uint32_t end = col + static_cast<uint32_t>(pattern.size());
  PlaceCaret(line, end);
  ExtendSelection(line, end);
  return true;
}

bool EditorModel::Replace(const std::string& replacement, bool down, bool match_case, bool whole_word) {
  TextObj* tobj = Text();
  flags = down ? flags | EV_SEARCH_DOWN : flags & ~EV_SEARCH_DOWN;
  flags = match_case ? flags | EV_SEARCH_CASE : flags & ~EV_SEARCH_CASE;
  flags = whole_word ? flags | EV_SEARCH_WORD : flags & ~EV_SEARCH_WORD;
  uint32_t fl, ll, fc, lc;
  if (GetSelection(&fl, &ll, &fc, &lc)) {
    EndSelection();
    if (down)
      PlaceCaret(fl, fc);
    else
      PlaceCaret(ll, lc);
  }
  if (!FindNext()) return false;
  if (!Writable()) {
    host_->Beep();
    return false;
  }
  GetSelection(&fl, &ll, &fc, &lc);
  tobj->EndAction();
  tobj->BeginAction(fl, fc);
  EndSelection();
  TextLine* line = tobj->Line(fl);
  TextAttr attr = line->AttrAt(fc);
  if (lc > fc) line->Delete(fc, lc - fc);
  std::string repl = ToFileCodepage(replacement);
  uint32_t n = repl.empty() ? 0 : line->Insert(fc, repl.c_str(), attr);
  tobj->EndAction();
  PlaceCaret(fl, fc + n);
  InvalidateRange(fl, fl, fc, line->Columns());
  flags |= EV_SEARCH_REPLACE;
  FindNext();
  return true;
}

uint32_t EditorModel::ReplaceAll(const std::string& replacement, bool match_case, bool whole_word) {
  TextObj* tobj = Text();
  flags = match_case ? flags | EV_SEARCH_CASE : flags & ~EV_SEARCH_CASE;
  flags = whole_word ? flags | EV_SEARCH_WORD : flags & ~EV_SEARCH_WORD;
  std::string find = host_->FindText();
  if (find.empty()) {
    host_->Beep();
    return 0;
  }
  host_->AddFindHistory(find);
  if (!Writable()) {
    host_->Beep();
    return 0;
  }
  host_->Status(SK_PLAIN, "Replacing...");
  Notify(FwUpdateKind::DropSelection, false);
  EndSelection();
  EndLineEdit();
  std::string f = ToFileCodepage(match_case ? find : Lowered(find));
  std::string r = ToFileCodepage(replacement);
  uint32_t count = TxtReplaceAll(tobj, f.c_str(), r.c_str(), match_case, whole_word, caret_line, caret_col);
  flags &= ~EV_ROWS_VALID;
  UpdateScrollRanges();
  PlaceCaret(caret_line, caret_col);
  Notify(FwUpdateKind::All, false);
  EnsureCaretVisible();
  MarkEditLine(caret_line);
  if (count == 0) {
    host_->Status(SK_WARNING, Printf("Cannot find the string \"%s\".", find));
  } else {
    char buf[1024];
    std::snprintf(buf, sizeof buf, "Replaced \"%s\" %lu times with \"%s\".", find.c_str(),
                  static_cast<unsigned long>(count), replacement.c_str());
    host_->Status(SK_PLAIN, buf);
  }
  return count;
}

// ------------------------------------------------------------ Navigation

void EditorModel::GoToLine(uint32_t line) {
  TextObj* tobj = Text();
  tobj->EndAction();
  EndSelection();
  EndLineEdit();
  PlaceCaret(line, 0);
  SetGoalCol();
  EnsureCaretVisible();
  MarkEditLine(caret_line);
  marked_line = caret_line;
  flags |= EV_MARKED_LINE | EV_LOCAL_REPAINT;
  NotifyTextChanged();
}

bool EditorModel::GoToLineNumber(uint32_t number, uint32_t nth, bool is_stop) {
  TextObj* tobj = Text();
  if (number > 0xFFFF) return false;
  TextLine* line = tobj->LineByNumber(static_cast<uint16_t>(number), nth);
  if (!line) return false;
  const uint32_t idx = tobj->IndexOf(line);
  if (is_stop) {
    doc_->SetStopLine(number);
    flags &= ~EV_MARKED_LINE;
  }
  tobj->EndAction();
  EndSelection();
  EndLineEdit();
  PlaceCaret(idx, 0);
  SetGoalCol();
  EnsureCaretVisible();
  MarkEditLine(idx);
  if (!is_stop) {
    marked_line = idx;
    flags |= EV_MARKED_LINE | EV_LOCAL_REPAINT;
  }
  NotifyTextChanged();
  return true;
}

bool EditorModel::GoToLineIdent(uint32_t ident) {
  TextObj* tobj = Text();
  TextLine* line = tobj->LineByIdent(ident);
  if (!line) return false;
  GoToLine(tobj->IndexOf(line));
  return true;
}

void EditorModel::GoToLineCol(uint32_t line, uint32_t col) {
  Text()->EndAction();
  EndSelection();
  PlaceCaret(line, col);
  SetGoalCol();
  EnsureCaretVisible();
}

bool EditorModel::GetEditLineIdx(uint32_t* line) const {
  TextObj* tobj = Text();
  if (tobj->TestFlag(TextObj_EDIT_LINE)) {
    *line = tobj->edit_line;
    return true;
  }
  uint32_t fl, ll, fc, lc;
  if (GetSelection(&fl, &ll, &fc, &lc) && (fl == ll || (ll == fl + 1 && lc == 0))) {
    *line = fl;
    return true;
  }
  return false;
}

TextLine* EditorModel::AppendText(const std::string& text) {
  TextObj* tobj = Text();
  TextLine* last_line = tobj->LastLine();
  SYS_ASSERT(last_line);
  EndSelection();
  TextSuspend suspend(tobj);
  const TextAttr fresh(tobj);
  TextLine* first_added = nullptr;
  const bool keep_last = last_line->Size() == 0;
  const uint32_t first_idx = keep_last ? tobj->num_lines - 1 : tobj->num_lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    std::string piece = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (!piece.empty() && piece.back() == '\r') piece.pop_back();
    std::string clean;
    for (char c : piece)
      if (c != '\r') clean.push_back(c);
    // A final empty line stays last: the text goes in front of it.
    TextLine* line = keep_last ? new TextLine(last_line, TextLine_BEFORE) : new TextLine(tobj);
    if (!clean.empty()) line->Insert(0, clean.c_str(), fresh);
    if (!first_added) first_added = line;
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  tobj->SetModified(false);
  doc_->SetModified(false);
  flags &= ~EV_ROWS_VALID;
  flags |= EV_LOCAL_REPAINT;
  InvalidateRange(first_idx, tobj->num_lines - 1, 0, 0);
  PlaceCaret(tobj->num_lines - 1, 0);
  if (tobj->TestFlag(TextObj_FOLLOW_END)) EnsureCaretVisible();
  return first_added;
}

void EditorModel::ClearText() {
  TextObj* tobj = Text();
  EndSelection();
  // Clearing ends a suspension of recording: keep it.
  const bool suspended = tobj->TestFlag(TextObj_SUSPENDED);
  tobj->Clear();
  if (suspended) tobj->SetFlag(TextObj_SUSPENDED);
  {
    TextSuspend suspend(tobj);
    new TextLine(tobj);
  }
  tobj->SetModified(false);
  caret_line = caret_col = goal_col = 0;
  flags &= ~(EV_ROWS_VALID | EV_MARKED_LINE);
  UpdateScrollRanges();
  ScrollTo(0, 0);
  Notify(FwUpdateKind::All, false);
  host_->CaretChanged();
}

// ------------------------------------------------------------ Status panes

std::string EditorModel::LineField() const {
  uint32_t line, col;
  GetCursorLineCol(&line, &col);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(line) + 1);
  return buf;
}

std::string EditorModel::ColField() const {
  uint32_t line, col;
  GetCursorLineCol(&line, &col);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u", col + 1);
  return buf;
}

std::string EditorModel::LineNumberField() const {
  uint32_t line, col;
  GetCursorLineCol(&line, &col);
  TextLine* tline = Text()->Line(line);
  if (!tline || !tline->line_number) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(tline->line_number));
  return buf;
}

// ------------------------------------------------------------ Painting

EditorRowPaint EditorModel::PaintRow(uint32_t row) {
  EditorRowPaint out;
  TextObj* tobj = Text();
  const uint32_t w = MaxCols();
  uint32_t start = 0;
  TextLine* line = w ? tobj->LineAtRow(row, &start, w) : (row < tobj->num_lines ? tobj->Line(row) : nullptr);
  if (!line) return out;
  out.valid = true;
  out.line = line->idx;
  out.first_col = start;
  out.first_row = start == 0;
  const uint32_t row_end = w ? std::min(start + w, line->Columns()) : line->Columns();
  out.wrap_glyph = w && start + w < line->Columns();
  out.eol_col = row_end;
  CfgSettings* cfg = Config();
  const bool binary = cfg->File.IsBinaryFileMode();
  if (out.first_row) {
    uint32_t stop = 0;
    if (doc_->GetStopLine(&stop) && stop && line->line_number == stop) out.markers |= EV_MARK_STOP;
    if (Flag(EV_MARKED_LINE) && out.line == marked_line) out.markers |= EV_MARK_LINE;
    if (binary && (line->line_flags & TextLine_BREAKPOINT)) out.markers |= EV_MARK_BREAKPOINT;
    if (binary && (line->line_flags & TextLine_MARK)) out.markers |= EV_MARK_BLUE;
  }
  const bool syntax_check = binary && (cfg->Program.options & CfgProgram::SyntaxCheck);
  const bool syntax_color = syntax_check && (cfg->Program.options & CfgProgram::SyntaxColor);
  const CfgColorEntry* colors = cfg->Colors.entries;
  // Visible columns of the row: from the left column (without wrap) to the
  // last visible column.
  const uint32_t first_vis = w ? start : std::max(start, left_col);
  const uint32_t last_vis = w ? row_end : std::min(row_end, left_col + VisibleCols() + 1);
  TextAttr a(tobj);
  const char* p = line->Data();
  uint32_t n = 0;
  uint32_t col = 0;
  while ((p = a.NextRun(p, &n)) != nullptr && col < last_vis) {
    for (uint32_t i = 0; i < n && col < last_vis; ++i, ++col) {
      if (col < first_vis) continue;
      const bool selected = IsSelected(out.line, col);
      CfgColor fg, bg;
      if (selected) {
        fg = colors[2].fg;
        bg = colors[2].bg;
      } else if (syntax_check && (line->line_flags & TextLine_ERROR_MARK)) {
        fg = colors[3].fg;
        bg = colors[3].bg;
      } else if (a.Blink()) {
        fg = colors[1].fg;
        bg = colors[1].bg;
      } else if (!syntax_color) {
        fg = colors[0].fg;
        bg = colors[0].bg;
      } else {
        int s = a.color_state >= 0 && a.color_state < CfgTotalColors ? a.color_state : 0;
        fg = colors[s].fg;
        bg = colors[s].bg;
      }
      if (!selected) {
        if (a.Halfbright()) Cfg_HalfBright(&fg, &bg);
        if (a.Inverse()) std::swap(fg, bg);
      }
      const bool underline = a.Underline();
      const bool line_draw = a.char_mode == 1;
      char ch = p[i];
      if (static_cast<unsigned char>(ch) < 32) ch = ' ';
      if (!out.runs.empty()) {
        EditorRun& r = out.runs.back();
        if (r.fg == fg && r.bg == bg && r.underline == underline && r.line_draw == line_draw &&
            r.selected == selected && r.col + r.text.size() == col) {
          r.text.push_back(ch);
          continue;
        }
      }
      EditorRun r;
      r.col = col;
      r.text.push_back(ch);
      r.fg = fg;
      r.bg = bg;
      r.underline = underline;
      r.line_draw = line_draw;
      r.selected = selected;
      out.runs.push_back(std::move(r));
    }
    p += n;
  }
  for (EditorRun& r : out.runs)
    if (!r.line_draw) r.text = ToDisplayCodepage(r.text);
  uint32_t fl, ll, fc, lc;
  if (GetSelection(&fl, &ll, &fc, &lc) && fl != ll && out.line >= fl && out.line < ll && row_end == line->Columns() &&
      !out.wrap_glyph)
    out.selected_eol = true;
  return out;
}

// ------------------------------------------------------------ Printing

bool EditorModel::PrintRange(uint32_t* first_line, uint32_t* last_line, uint32_t* first_col, uint32_t* last_col) const {
  uint32_t fl, ll, fc, lc;
  if (!GetSelection(&fl, &ll, &fc, &lc)) return false;
  if (lc == 0 && ll > fl) {
    --ll;
    lc = Text()->Line(ll)->Columns();
  } else if (lc == 0 && ll == fl) {
    return false;
  }
  *first_line = fl;
  *last_line = ll;
  *first_col = fc;
  *last_col = lc;
  return true;
}

EditorPrintLayout EditorModel::PrintLayout(const CfgPageSetup& setup, int32_t paper_width, int32_t paper_height,
                                           int32_t char_width, int32_t line_height, bool selection) {
  EditorPrintLayout l;
  l.printable_width = paper_width - setup.LeftMargin - setup.RightMargin;
  l.printable_height = paper_height - setup.TopMargin - setup.BottomMargin;
  if (l.printable_width < 1000 || l.printable_height < 1000 || char_width <= 0 || line_height <= 0) return l;
  l.margins_ok = true;
  const bool numbers = IsBinaryProgram() && (setup.flags & CfgPageSetup::LineNumbers);
  int32_t cols = l.printable_width / char_width - (numbers ? 6 : 0);
  l.cols_per_row = static_cast<uint32_t>(std::max(1, cols));
  l.header_height = setup.PageHeader.empty() ? 0 : line_height * 5 / 2;
  l.footer_height = setup.PageFooter.empty() ? 0 : line_height * 5 / 2;
  int32_t rows = (l.printable_height - l.header_height - l.footer_height) / line_height;
  l.rows_per_page = static_cast<uint32_t>(std::max(1, rows));
  TextObj* tobj = Text();
  uint32_t fl, ll, fc, lc;
  if (selection && PrintRange(&fl, &ll, &fc, &lc)) {
    l.print_rows = 0;
    TextLine* line = tobj->Line(fl);
    for (uint32_t i = fl; i <= ll && line; ++i, line = line->next) {
      uint32_t c = line->Columns();
      l.print_rows += c == 0 ? 1 : (c + l.cols_per_row - 1) / l.cols_per_row;
    }
  } else {
    l.print_rows = tobj->CountRows(l.cols_per_row);
  }
  l.pages = (l.print_rows + l.rows_per_page - 1) / l.rows_per_page;
  return l;
}
