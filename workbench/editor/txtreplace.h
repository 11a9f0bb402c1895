// Replacing found text in a text object, shared by the editor's Replace and
// Replace All.
#pragma once

#include <cstdint>

#include "workbench/editor/txtobj.h"

// Replaces `columns` display columns at (line, col) by repl, which takes the
// attributes of the first replaced character. Returns the columns of repl.
// Must run inside an undo group while recording is on.
uint32_t TxtReplaceAt(TextObj* tobj, uint32_t line, uint32_t col, uint32_t columns, const char* repl);

// Replaces every match of find by repl, searching forward from the start of
// the text with wrapping, as one undo group opened at (caret_line,
// caret_col). The loop ends when nothing more is found, or once the search
// has wrapped and reaches the first replaced position again. Returns the
// number of replacements.
uint32_t TxtReplaceAll(TextObj* tobj, const char* find, const char* repl, bool case_sensitive, bool whole_word,
                       uint32_t caret_line, uint32_t caret_col);
