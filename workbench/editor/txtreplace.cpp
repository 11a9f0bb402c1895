#include "workbench/editor/txtreplace.h"

#include <cstring>

#include "workbench/base/sysassert.h"

uint32_t TxtReplaceAt(TextObj* tobj, uint32_t line, uint32_t col, uint32_t columns, const char* repl) {
  SYS_ASSERT(tobj);
  SYS_ASSERT(repl);
  TextLine* tline = tobj->Line(line);
  SYS_ASSERT(tline);
  TextAttr attr = tline->AttrAt(col);
  if (columns) tline->Delete(col, columns);
  return tline->Insert(col, repl, attr);
}

uint32_t TxtReplaceAll(TextObj* tobj, const char* find, const char* repl, bool case_sensitive, bool whole_word,
                       uint32_t caret_line, uint32_t caret_col) {
  SYS_ASSERT(tobj);
  SYS_ASSERT(find);
  SYS_ASSERT(repl);
  if (!*find || !tobj->num_lines) return 0;
  const uint32_t find_cols = static_cast<uint32_t>(std::strlen(find));
  tobj->EndAction();
  const bool opened = tobj->BeginAction(caret_line, caret_col);
  uint32_t count = 0;
  uint32_t line = 0, col = 0;
  uint32_t first_line = 0, first_col = 0;
  bool passed_end = false;
  for (;;) {
    bool wrapped = false;
    if (!tobj->Find(find, &line, &col, true, !case_sensitive, whole_word, &wrapped)) break;
    if (wrapped) passed_end = true;
    if (count == 0) {
      first_line = line;
      first_col = col;
    } else if (passed_end && (line > first_line || (line == first_line && col >= first_col))) {
      break;
    }
    col += TxtReplaceAt(tobj, line, col, find_cols, repl);
    ++count;
  }
  if (opened) tobj->EndAction();
  return count;
}
