// The text object: line lookup, rows, search and the area operations.
#include "workbench/editor/txtobj.h"

#include <cstring>

#include "workbench/base/sysassert.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/txtundo.h"

namespace {

uint32_t RowsOf(uint32_t columns, uint32_t w) {
  if (columns == 0) return 1;
  return columns / w + (columns % w ? 1 : 0);
}

void Lower(std::string& s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

bool WholeWordAt(const std::string& s, size_t pos, size_t n) {
  if (pos > 0 && IsWordChar(static_cast<unsigned char>(s[pos - 1]))) return false;
  if (pos + n < s.size() && IsWordChar(static_cast<unsigned char>(s[pos + n]))) return false;
  return true;
}

// Splits pasted text at CR LF, lone CR and lone LF; ESC pairs are passed over.
std::vector<std::string> SplitBreaks(const char* text) {
  std::vector<std::string> pieces(1);
  const char* p = text;
  while (*p) {
    if (static_cast<unsigned char>(*p) == TXT_ESC && p[1]) {
      pieces.back().append(p, 2);
      p += 2;
    } else if (*p == '\r' || *p == '\n') {
      if (*p == '\r' && p[1] == '\n') ++p;
      ++p;
      pieces.emplace_back();
    } else {
      pieces.back().push_back(*p++);
    }
  }
  return pieces;
}

}  // namespace

void TextObj::Clear() {
  SetFlag(TextObj_SUSPENDED);
  while (head) delete head;
  SYS_ASSERT(!head);
  SYS_ASSERT(!tail);
  SYS_ASSERT(!num_lines);
  max_line_size = 0;
  ClearFlag(TextObj_MODIFIED | TextObj_VALID | TextObj_SUSPENDED);
  cursor_line_ = nullptr;
  ClearUndo();
}

void TextObj::SetUseEnhancements(bool on) {
  uint32_t v = on ? 1 : 0;
  if (v == use_enhancements) return;
  use_enhancements = v;
  RecountColumns();
}

void TextObj::RecountColumns() {
  for (TextLine* l = head; l; l = l->next) l->RecountColumns();
}

void TextObj::LineCreated(TextLine* line, uint32_t idx, bool idx_known) {
  if (idx_known) {
    line->idx = idx;
    cursor_line_ = line;
    cursor_idx_ = idx;
  } else {
    cursor_line_ = nullptr;
  }
}

void TextObj::LineDestroyed() { cursor_line_ = nullptr; }

uint32_t TextObj::IndexOf(TextLine* line) {
  SYS_ASSERT(line);
  uint32_t idx;
  if (line == cursor_line_) {
    idx = cursor_idx_;
  } else if (cursor_line_ && line == cursor_line_->next) {
    idx = cursor_idx_ + 1;
  } else if (cursor_line_ && line == cursor_line_->prev) {
    idx = cursor_idx_ - 1;
  } else if (line == head) {
    idx = 0;
  } else if (line == tail) {
    idx = num_lines - 1;
  } else {
    uint32_t back = 0;
    TextLine* p = line;
    while (p->prev && p != cursor_line_) {
      p = p->prev;
      ++back;
    }
    idx = (p == cursor_line_ ? cursor_idx_ : 0) + back;
  }
  line->idx = idx;
  cursor_line_ = line;
  cursor_idx_ = idx;
  return idx;
}

TextLine* TextObj::Line(uint32_t idx, uint32_t wrap_width) {
  if (idx >= num_lines) return nullptr;
  TextLine* line;
  if (wrap_width) {
    uint32_t row = 0, i = 0;
    for (line = head; line; line = line->next, ++i) {
      line->idx = i;
      line->first_row = row;
      if (i == idx) break;
      row += RowsOf(line->data_columns, wrap_width);
    }
  } else {
    // Start from the nearest known point: head, tail or the last line reached.
    uint32_t from_tail = num_lines - 1 - idx;
    uint32_t best = idx;
    uint32_t i = 0;
    line = head;
    if (from_tail < best) {
      best = from_tail;
      line = tail;
      i = num_lines - 1;
    }
    if (cursor_line_) {
      uint32_t d = cursor_idx_ > idx ? cursor_idx_ - idx : idx - cursor_idx_;
      if (d < best) {
        line = cursor_line_;
        i = cursor_idx_;
      }
    }
    while (line && i < idx) {
      line = line->next;
      ++i;
    }
    while (line && i > idx) {
      line = line->prev;
      --i;
    }
  }
  if (!line) SYS_ASSERT(!"TextObj::Line() line_idx out of range");
  line->idx = idx;
  cursor_line_ = line;
  cursor_idx_ = idx;
  return line;
}

TextLine* TextObj::FirstLine() {
  if (head) head->idx = 0;
  return head;
}

TextLine* TextObj::LastLine() {
  if (!tail) return nullptr;
  SYS_ASSERT(num_lines);
  tail->idx = num_lines - 1;
  return tail;
}

TextLine* TextObj::LineAtRow(uint32_t row, uint32_t* col_idx, uint32_t wrap_width) {
  SYS_ASSERT(col_idx);
  *col_idx = 0;
  if (!wrap_width) return Line(row);
  uint32_t r = 0, i = 0;
  for (TextLine* line = head; line; line = line->next, ++i) {
    line->idx = i;
    line->first_row = r;
    uint32_t rows = RowsOf(line->data_columns, wrap_width);
    if (row < r + rows) {
      *col_idx = (row - r) * wrap_width;
      return line;
    }
    r += rows;
  }
  return nullptr;
}

uint32_t TextObj::CountRows(uint32_t wrap_width) {
  if (!wrap_width) return num_lines;
  uint32_t rows = 0;
  for (TextLine* line = head; line; line = line->next) {
    line->first_row = rows;
    rows += RowsOf(line->data_columns, wrap_width);
  }
  return rows;
}

TextLine* TextObj::LineByIdent(uint32_t ident) const {
  if (!ident) return nullptr;
  for (TextLine* line = head; line; line = line->next)
    if (line->ident == ident) return line;
  return nullptr;
}

TextLine* TextObj::LineByNumber(uint16_t number, uint32_t nth) const {
  if (!number) return nullptr;
  TextLine* line = head;
  while (line && line->line_number != number) line = line->next;
  for (; line; line = line->next) {
    if (!line->line_number) continue;
    if (nth == 0) return line;
    --nth;
  }
  return nullptr;
}

int TextObj::Find(const char* text, uint32_t* line_idx, uint32_t* col_idx, bool forward, bool ignore_case,
                  bool whole_word, bool* wrapped) {
  SYS_ASSERT(text);
  SYS_ASSERT(line_idx);
  SYS_ASSERT(col_idx);
  bool scratch;
  if (!wrapped) wrapped = &scratch;
  *wrapped = false;
  std::string pat = text;
  if (pat.empty()) return 0;
  if (ignore_case) Lower(pat);

  const uint32_t start = *line_idx;
  TextLine* line = Line(start);
  SYS_ASSERT(line);
  uint32_t idx = start;
  bool wrap = false;
  const TextAttr fresh(this);
  for (;;) {
    // Columns of a match are display columns: the search runs over the
    // characters as they are shown, without colour or attribute codes.
    std::string s = fresh.DisplayChars(line->Data());
    if (ignore_case) Lower(s);
    const bool limited = !wrap && idx == start;
    size_t found = std::string::npos;
    if (forward) {
      size_t from = limited ? *col_idx : 0;
      for (size_t p = s.find(pat, from); p != std::string::npos; p = s.find(pat, p + 1)) {
        if (!whole_word || WholeWordAt(s, p, pat.size())) {
          found = p;
          break;
        }
      }
    } else {
      size_t limit = limited ? std::min<size_t>(*col_idx, s.size()) : s.size();
      if (limit > 0) {
        for (size_t p = s.rfind(pat, limit - 1); p != std::string::npos; p = s.rfind(pat, p - 1)) {
          if (!whole_word || WholeWordAt(s, p, pat.size())) {
            found = p;
            break;
          }
          if (p == 0) break;
        }
      }
    }
    if (found != std::string::npos) {
      *line_idx = idx;
      *col_idx = static_cast<uint32_t>(found);
      *wrapped = wrap;
      cursor_line_ = line;
      cursor_idx_ = idx;
      return 1;
    }
    if (wrap && idx == start) {
      *wrapped = true;
      return 0;
    }
    if (forward) {
      if (line->next) {
        line = line->next;
        ++idx;
      } else {
        line = head;
        idx = 0;
        wrap = true;
      }
    } else {
      if (line->prev) {
        line = line->prev;
        --idx;
      } else {
        line = tail;
        idx = num_lines - 1;
        wrap = true;
      }
    }
  }
}

uint32_t TextObj::CopyAreaImpl(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                               uint32_t last_col, bool with_attributes) {
  TextLine* line = Line(first_line);
  SYS_ASSERT(line);
  SYS_ASSERT(first_line <= last_line);
  std::string out;
  auto piece = [&](TextLine* l, uint32_t c0, bool to_end, uint32_t c1) {
    TextAttr st(this);
    const char* d = l->Data();
    const char* p = st.SeekBefore(d, c0);
    SYS_ASSERT(p);
    uint32_t start = static_cast<uint32_t>(p - d);
    uint32_t end = to_end ? l->Size() : TextAttr(this).ColumnToOffset(d, c1);
    if (end < start) end = start;
    if (with_attributes) {
      out += st.StateCodes(nullptr);
      out.append(d + start, end - start);
    } else {
      char codes[TEXTATTR_STATE_MAX];
      uint32_t n = st.WriteEnhancements(codes, nullptr);
      out.append(codes, n);
      std::string plain(end - start, '\0');
      std::string chunk(d + start, end - start);
      uint32_t m = TextAttr::StripEscapes(plain.data(), chunk.c_str());
      out.append(plain.data(), m);
    }
  };
  if (first_line == last_line) {
    SYS_ASSERT(first_col <= last_col);
    SYS_ASSERT(last_col <= line->Columns());
    piece(line, first_col, false, last_col);
  } else {
    SYS_ASSERT(first_col <= line->Columns());
    piece(line, first_col, true, 0);
    for (uint32_t i = first_line + 1; i <= last_line; ++i) {
      line = line->next;
      SYS_ASSERT(line);
      out += "\r\n";
      if (i < last_line)
        piece(line, 0, true, 0);
      else {
        SYS_ASSERT(last_col <= line->Columns());
        if (last_col) piece(line, 0, false, last_col);
      }
    }
  }
  uint32_t result_size = static_cast<uint32_t>(out.size() + 1);
  if (to) {
    SYS_ASSERT(result_size == to_size);
    std::memcpy(to, out.c_str(), result_size);
  }
  return result_size;
}

uint32_t TextObj::CopyArea(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                           uint32_t last_col) {
  return CopyAreaImpl(to, to_size, first_line, last_line, first_col, last_col, true);
}

uint32_t TextObj::CopyAreaPlain(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                                uint32_t last_col) {
  return CopyAreaImpl(to, to_size, first_line, last_line, first_col, last_col, false);
}

std::string TextObj::CopyAreaString(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col,
                                    bool with_attributes) {
  uint32_t size = CopyAreaImpl(nullptr, 0, first_line, last_line, first_col, last_col, with_attributes);
  std::string s(size, '\0');
  CopyAreaImpl(s.data(), size, first_line, last_line, first_col, last_col, with_attributes);
  s.resize(size - 1);
  return s;
}

void TextObj::PasteArea(const char* text, uint32_t first_line, uint32_t* last_line, uint32_t first_col,
                        uint32_t* last_col) {
  SYS_ASSERT(text);
  SYS_ASSERT(last_line);
  SYS_ASSERT(last_col);
  const bool recording = Recording();
  const bool was_modified = IsModified();
  TextLine* line = Line(first_line);
  SYS_ASSERT(line);
  SYS_ASSERT(first_col <= line->Columns());
  std::vector<TextLineSnap> before;
  if (recording) before.push_back(line->Snap());

  std::vector<std::string> pieces = SplitBreaks(text);
  {
    TextSuspend suspend(this);
    const TextAttr fresh(this);
    if (pieces.size() == 1) {
      *last_line = first_line;
      *last_col = first_col + line->Insert(first_col, pieces[0].c_str(), fresh);
    } else {
      // The rest of the line behind the insertion column moves to a new line
      // and keeps the state it was shown in.
      TextAttr st(this);
      uint32_t off = st.ColumnToOffset(line->Data(), first_col);
      st.SeekAfter(line->Data(), first_col);
      TextLine* rest = new TextLine(line, TextLine_AFTER);
      rest->data = st.StateCodes(nullptr) + line->data.substr(off);
      rest->Changed();
      line->data.resize(off);
      line->Changed();
      if (first_col == 0) line->SwapIdentity(rest);
      line->Insert(first_col, pieces[0].c_str(), fresh);
      TextLine* cur = line;
      for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        cur = new TextLine(cur, TextLine_AFTER);
        cur->Insert(0, pieces[i].c_str(), fresh);
      }
      *last_line = first_line + static_cast<uint32_t>(pieces.size() - 1);
      *last_col = rest->Insert(0, pieces.back().c_str(), fresh);
    }
  }
  if (recording) {
    bool opened = BeginAction(first_line, first_col);
    auto* rec = new TextAreaRecord(true, first_line, *last_line, first_col, *last_col);
    rec->text = text;
    rec->before = std::move(before);
    TextLine* l = line;
    for (size_t i = 0; i < pieces.size(); ++i, l = l->next) {
      SYS_ASSERT(l);
      rec->after.push_back(l->Snap());
    }
    SaveRecord(rec, was_modified);
    if (opened) EndAction();
  }
  cursor_line_ = nullptr;
}

void TextObj::DeleteArea(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col) {
  const bool recording = Recording();
  const bool was_modified = IsModified();
  TextLine* first = Line(first_line);
  SYS_ASSERT(first);
  SYS_ASSERT(first_line <= last_line);
  TextLine* last = first;
  for (uint32_t i = first_line; i < last_line; ++i) {
    last = last->next;
    SYS_ASSERT(last);
  }
  if (first == last) {
    SYS_ASSERT(first_col <= last_col);
    SYS_ASSERT(last_col <= first->Columns());
  } else {
    SYS_ASSERT(first_col <= first->Columns());
    SYS_ASSERT(last_col <= last->Columns());
  }
  bool opened = false;
  std::vector<TextLineSnap> before;
  if (recording) {
    opened = BeginAction(first_line, first_col);
    for (TextLine* l = first;; l = l->next) {
      before.push_back(l->Snap());
      if (l == last) break;
    }
  }
  {
    TextSuspend suspend(this);
    if (first == last) {
      // An empty area deletes nothing (a Delete of 0 columns would take the
      // rest of the line).
      if (last_col > first_col) first->Delete(first_col, last_col - first_col);
    } else {
      TextAttr st(this);
      uint32_t off = st.ColumnToOffset(last->Data(), last_col);
      st.SeekAfter(last->Data(), last_col);
      std::string rest = last->data.substr(off);
      first->Delete(first_col, 0);
      while (first->next != last) delete first->next;
      first->Insert(first_col, rest.c_str(), st);
      if (first_col == 0) first->SwapIdentity(last);
      delete last;
    }
  }
  if (recording) {
    auto* rec = new TextAreaRecord(false, first_line, last_line, first_col, last_col);
    rec->before = std::move(before);
    rec->after.push_back(first->Snap());
    SaveRecord(rec, was_modified);
    if (opened) EndAction();
  }
  cursor_line_ = nullptr;
}

void TextObj::ReplaceLines(uint32_t first, uint32_t count, const std::vector<TextLineSnap>& snaps) {
  SYS_ASSERT(count);
  TextSuspend suspend(this);
  TextLine* line = Line(first);
  SYS_ASSERT(line);
  TextLine* last_kept = nullptr;
  const size_t m = snaps.size();
  for (size_t j = 0; j < count || j < m; ++j) {
    if (j < count && j < m) {
      line->Restore(snaps[j]);
      last_kept = line;
      line = line->next;
    } else if (j < m) {
      SYS_ASSERT(last_kept);
      TextLine* nl = new TextLine(last_kept, TextLine_AFTER);
      nl->Restore(snaps[j]);
      last_kept = nl;
    } else {
      SYS_ASSERT(line);
      TextLine* nx = line->next;
      delete line;
      line = nx;
    }
  }
  cursor_line_ = nullptr;
}
