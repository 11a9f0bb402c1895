// Lines of the text object and their editing operations.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "workbench/base/chain.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"
#include "workbench/editor/txtobj.h"
#include "workbench/editor/txtundo.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Applies the codes in front of the next character (or the end) of str from
// offset off onto a.
void ApplyLeadingCodes(TextAttr& a, const std::string& str, uint32_t off) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(str.c_str()) + off;
  int r;
  while ((r = a.Step(p)) > 0) p += r;
}

// True when a character follows offset off (codes in front of it skipped).
bool CharFollows(const TextAttr& attr, const std::string& str, uint32_t off) {
  TextAttr a = attr;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(str.c_str()) + off;
  int r;
  while ((r = a.Step(p)) > 0) p += r;
  return r == 0;
}

}  // namespace

TextLine::TextLine(TextObj* tobj) {
  SYS_ASSERT(tobj);
  const bool was_modified = tobj->IsModified();
  tobj_link = tobj;
  if (tobj->tail)
    SYS_ASSERT(tobj->num_lines);
  else
    SYS_ASSERT(!tobj->num_lines);
  chain_insert_after(tobj->head, tobj->tail, tobj->tail, this);
  ident = tobj->NewIdent();
  tobj->num_lines++;
  uint32_t index = tobj->num_lines - 1;
  tobj->SetFlag(TextObj_MODIFIED);
  tobj->ClearFlag(TextObj_VALID);
  tobj->LineCreated(this, index, true);
  if (tobj->Recording()) tobj->SaveRecord(new TextLineLifeRecord(false, index, ident, std::string()), was_modified);
}

TextLine::TextLine(TextLine* tline, int mode) {
  SYS_ASSERT(tline);
  TextObj* tobj = tline->tobj_link;
  const bool was_modified = tobj->IsModified();
  const bool recording = tobj->Recording();
  uint32_t base = 0;
  const bool known = recording ? (base = tobj->IndexOf(tline), true) : false;
  tobj_link = tobj;
  uint32_t index = base;
  if (mode == TextLine_BEFORE) {
    if (!tline->prev) SYS_ASSERT(tobj->head == tline);
    chain_insert_after(tobj->head, tobj->tail, tline->prev, this);
  } else if (mode == TextLine_AFTER) {
    chain_insert_after(tobj->head, tobj->tail, tline, this);
    index = base + 1;
  } else {
    SYS_ASSERT(!"TextLine::TextLine() invalid TextLineInsertMode");
  }
  ident = tobj->NewIdent();
  tobj->num_lines++;
  tobj->SetFlag(TextObj_MODIFIED);
  tobj->ClearFlag(TextObj_VALID);
  tobj->LineCreated(this, index, known);
  if (recording) tobj->SaveRecord(new TextLineLifeRecord(false, index, ident, std::string()), was_modified);
}

TextLine::~TextLine() {
  TextObj* tobj = tobj_link;
  const bool was_modified = tobj->IsModified();
  if (tobj->Recording()) {
    uint32_t index = tobj->IndexOf(this);
    tobj->SaveRecord(new TextLineLifeRecord(true, index, ident, data), was_modified);
  }
  chain_unlink(tobj->head, tobj->tail, this);
  SYS_ASSERT(tobj_link->num_lines);
  tobj->num_lines--;
  tobj->SetFlag(TextObj_MODIFIED);
  tobj->ClearFlag(TextObj_VALID);
  tobj->LineDestroyed();
}

TextLine* TextLine::Prev() {
  if (prev) prev->idx = idx - 1;
  return prev;
}

TextLine* TextLine::Next() {
  if (next) next->idx = idx + 1;
  return next;
}

void TextLine::SwapIdentity(TextLine* other) {
  SYS_ASSERT(other);
  std::swap(ident, other->ident);
  std::swap(line_number, other->line_number);
  std::swap(line_aux, other->line_aux);
  uint32_t mine = line_flags & TextLine_IDENTITY;
  uint32_t theirs = other->line_flags & TextLine_IDENTITY;
  line_flags = (line_flags & ~TextLine_IDENTITY) | theirs;
  other->line_flags = (other->line_flags & ~TextLine_IDENTITY) | mine;
}

const char* TextLine::PointerAtColumn(uint32_t col, TextAttr* attr) const {
  SYS_ASSERT(col <= data_columns);
  SYS_ASSERT(attr);
  attr->Reset();
  return attr->SeekBefore(Data(), col);
}

TextAttr TextLine::AttrAt(uint32_t col) const {
  TextAttr a(tobj_link);
  PointerAtColumn(col, &a);
  return a;
}

uint32_t TextLine::NextNonBlankColumn(uint32_t col) const {
  std::string s = TextAttr(tobj_link).DisplayChars(Data());
  while (col < s.size() && IsBlank(s[col])) ++col;
  return col;
}

uint32_t TextLine::TrimmedColumns() const { return TextAttr(tobj_link).TrailingBlankColumn(Data()); }

void TextLine::RecountColumns() { data_columns = TextAttr(tobj_link).Columns(Data()); }

void TextLine::Changed() {
  RecountColumns();
  TextObj* tobj = tobj_link;
  tobj->SetFlag(TextObj_MODIFIED);
  tobj->ClearFlag(TextObj_VALID);
  tobj->max_line_size = std::max(tobj->max_line_size, Size() + 20);
}

TextLineSnap TextLine::Snap() const {
  TextLineSnap s;
  s.data = data;
  s.ident = ident;
  s.line_number = line_number;
  s.line_aux = line_aux;
  s.identity_flags = line_flags & TextLine_IDENTITY;
  return s;
}

void TextLine::Restore(const TextLineSnap& s) {
  data = s.data;
  ident = s.ident;
  line_number = s.line_number;
  line_aux = s.line_aux;
  line_flags = (line_flags & ~TextLine_IDENTITY) | s.identity_flags;
  Changed();
}

uint32_t TextLine::DoInsert(uint32_t col, const char* text, const TextAttr& attr, uint32_t max_columns) {
  SYS_ASSERT(col <= data_columns);
  const char* new_ptr = text;
  SYS_ASSERT(new_ptr);
  TextAttr start(tobj_link);
  start.color_state = attr.color_state;
  start.char_mode = attr.char_mode;
  start.enhancement = attr.enhancement;

  uint32_t text_len;
  if (max_columns) {
    uint32_t have = start.Columns(new_ptr);
    if (have < max_columns) {
      Diag_Fatal("new_ptr=[%s]\ncolumns=%u\ndata_attr.Columns(new_ptr)=%u", new_ptr, max_columns, have);
    }
    text_len = start.ColumnToOffset(new_ptr, max_columns);
  } else {
    text_len = static_cast<uint32_t>(std::strlen(new_ptr));
  }
  // An ESC without its code byte at the end of the text would take the next
  // byte of the line as its code: leave it out.
  {
    uint32_t i = 0;
    while (i < text_len) i += static_cast<unsigned char>(new_ptr[i]) == TXT_ESC ? 2 : 1;
    if (i > text_len) --text_len;
  }

  // State at the end of the inserted text.
  TextAttr end_state = start;
  uint32_t cols = end_state.Walk(new_ptr, new_ptr + text_len);

  TextAttr at(tobj_link);
  uint32_t off = at.ColumnToOffset(Data(), col);
  at.SeekAfter(Data(), col);  // state just behind the col-th character
  std::string ins = start.StateCodes(&at);
  ins.append(new_ptr, text_len);
  if (CharFollows(at, data, off)) {
    TextAttr behind = at;  // state of the first character behind the insertion
    ApplyLeadingCodes(behind, data, off);
    ins += behind.StateCodes(&end_state);
  }
  data.insert(off, ins);
  Changed();
  return cols;
}

uint32_t TextLine::Insert(uint32_t col, const char* text, const TextAttr& attr, uint32_t max_columns) {
  TextObj* tobj = tobj_link;
  if (!tobj->Recording()) return DoInsert(col, text, attr, max_columns);
  const bool was_modified = tobj->IsModified();
  std::string before = data;
  TextAttr at_col = AttrAt(col);
  uint32_t cols = DoInsert(col, text, attr, max_columns);
  auto* rec = new TextChangeRecord(TextChangeKind::Insert, tobj);
  rec->line = tobj->IndexOf(this);
  rec->col = col;
  rec->columns = cols;
  rec->bytes = max_columns ? std::string(text, TextAttr(tobj).ColumnToOffset(text, max_columns)) : std::string(text);
  rec->attr_before = at_col;
  rec->attr_after = attr;
  rec->SetSplice(before, data);
  tobj->SaveRecord(rec, was_modified);
  return cols;
}

void TextLine::InsertNative(uint32_t col, const char* new_data, uint32_t max_bytes) {
  SYS_ASSERT(new_data);
  SYS_ASSERT(col <= data_columns);
  TextObj* tobj = tobj_link;
  const bool recording = tobj->Recording();
  const bool was_modified = tobj->IsModified();
  size_t len = max_bytes ? strnlen(new_data, max_bytes) : std::strlen(new_data);
  std::string before;
  if (recording) before = data;
  uint32_t off = TextAttr(tobj).CharOffset(Data(), col);
  data.insert(off, new_data, len);
  Changed();
  if (recording) {
    auto* rec = new TextChangeRecord(TextChangeKind::InsertNative, tobj);
    rec->line = tobj->IndexOf(this);
    rec->col = col;
    rec->bytes.assign(new_data, len);
    rec->SetSplice(before, data);
    tobj->SaveRecord(rec, was_modified);
  }
}

void TextLine::ReplaceChar(uint32_t col, char ch, const TextAttr& attr) {
  SYS_ASSERT(col <= data_columns);
  TextObj* tobj = tobj_link;
  const bool recording = tobj->Recording();
  const bool was_modified = tobj->IsModified();
  std::string before;
  TextAttr old_attr = AttrAt(col);
  char old_char = 0;
  if (col < data_columns) {
    const char* data_ptr = Data() + TextAttr(tobj).CharOffset(Data(), col);
    SYS_ASSERT(data_ptr);
    old_char = *data_ptr;
  }
  if (recording) before = data;
  if (col < data_columns) DoDelete(col, 1);
  const char one[2] = {ch, 0};
  DoInsert(col, one, attr, 0);
  if (recording) {
    auto* rec = new TextChangeRecord(TextChangeKind::ReplaceChar, tobj);
    rec->line = tobj->IndexOf(this);
    rec->col = col;
    rec->columns = 1;
    rec->old_char = old_char;
    rec->new_char = ch;
    rec->attr_before = old_attr;
    rec->attr_after = attr;
    rec->SetSplice(before, data);
    tobj->SaveRecord(rec, was_modified);
  }
}

void TextLine::DoDelete(uint32_t col, uint32_t columns) {
  SYS_ASSERT(uint64_t{col} + columns <= data_columns);
  TextAttr at(tobj_link);
  uint32_t start = at.ColumnToOffset(Data(), col);
  at.SeekAfter(Data(), col);
  uint32_t end;
  std::string fix;
  if (columns == 0) {
    end = Size();
  } else {
    TextAttr after(tobj_link);
    end = after.ColumnToOffset(Data(), col + columns);
    after.SeekAfter(Data(), col + columns);
    // Keep the state in force behind the removed piece.
    if (CharFollows(after, data, end)) fix = after.StateCodes(&at);
  }
  data.replace(start, end - start, fix);
  Changed();
}

void TextLine::Delete(uint32_t col, uint32_t columns) {
  TextObj* tobj = tobj_link;
  if (!tobj->Recording()) {
    DoDelete(col, columns);
    return;
  }
  SYS_ASSERT(uint64_t{col} + columns <= data_columns);
  const bool was_modified = tobj->IsModified();
  std::string before = data;
  TextAttr at_col = AttrAt(col);
  uint32_t removed = columns ? columns : data_columns - col;
  TextAttr walker(tobj);
  uint32_t start = walker.ColumnToOffset(Data(), col);
  uint32_t end = columns ? walker.ColumnToOffset(Data(), col + columns) : Size();
  auto* rec = new TextChangeRecord(TextChangeKind::Delete, tobj);
  rec->bytes = data.substr(start, end - start);
  DoDelete(col, columns);
  rec->line = tobj->IndexOf(this);
  rec->col = col;
  rec->columns = removed;
  rec->attr_before = at_col;
  rec->SetSplice(before, data);
  tobj->SaveRecord(rec, was_modified);
}

void TextLine::RemoveBytes(uint32_t col, uint32_t size) {
  SYS_ASSERT(size);
  SYS_ASSERT(col <= data_columns);
  uint32_t col_idx = TextAttr(tobj_link).CharOffset(Data(), col);
  SYS_ASSERT(uint64_t{col_idx} + size <= Size());
  data.erase(col_idx, size);
  Changed();
}

bool TextLine::WordAt(uint32_t col, int32_t* first_line_offs, int32_t* last_line_offs, int32_t* first_col_offs,
                      int32_t* last_col_offs) const {
  std::string s = TextAttr(tobj_link).DisplayChars(Data());
  if (col >= s.size() || !IsWordChar(s[col])) return false;
  uint32_t first = col, last = col;
  while (first > 0 && IsWordChar(s[first - 1])) --first;
  while (last < s.size() && IsWordChar(s[last])) ++last;
  if (first_line_offs) *first_line_offs = 0;
  if (last_line_offs) *last_line_offs = 0;
  if (first_col_offs) *first_col_offs = -static_cast<int32_t>(col - first);
  if (last_col_offs) *last_col_offs = static_cast<int32_t>(last - col);
  return true;
}
