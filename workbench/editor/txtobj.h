// The text object: the in-memory text of every text window.
//
// A TextObj is a doubly linked list of TextLine objects. A line's bytes hold
// characters together with the codes that colour and enhance them:
//   ESC n        colour switch (n = 1 no colour, 2..14 colour state n - 1,
//                n >= 15 ignored, n = 0 malformed: ends every walk there)
//   0x80..0x9F   attribute switches, only while use_enhancements is on
//                (0x80..0x8F enhancement bits inverse 1, blink 2,
//                underline 4, half-bright 8; 0x92/0x93 char mode 2/1, other
//                0x9x char mode 0)
// Every other byte is a character of one display column.
//
// Every change made through the operations here is recorded for undo and redo
// (txtundo.cpp) unless the text is read-only or recording is suspended. The
// records replay the exact bytes they changed, so an editable text that is
// changed while recording is suspended must drop its history (ClearUndo);
// replaying over such a change is a failed consistency check.
//
// Changes are recorded only inside a group (BeginAction ... EndAction); the
// area operations open one themselves when none is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/editor/txtattr.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/txtstack.h"

class TextUndoRecord;

// Text object flags.
constexpr uint32_t TextObj_READ_ONLY = 1;
constexpr uint32_t TextObj_FOLLOW_END = 2;
constexpr uint32_t TextObj_EDIT_LINE = 4;
constexpr uint32_t TextObj_MODIFIED = 8;
constexpr uint32_t TextObj_VALID = 16;
constexpr uint32_t TextObj_SUSPENDED = 32;
constexpr uint32_t TextObj_TRUNCATED = 64;

constexpr uint32_t TextObj_MAX_UNDO_GROUPS = 100;

class TextObj {
 public:
  TextLine* head = nullptr;
  TextLine* tail = nullptr;
  uint32_t num_lines = 0;
  uint32_t max_line_size = 0;
  uint32_t flags = 0;
  uint32_t next_ident = 0;
  uint32_t undo_actions = 0;
  uint32_t use_enhancements = 0;
  TextStack undo;
  TextStack redo;
  uint32_t edit_line = 0;

  TextObj() = default;
  ~TextObj() { Clear(); }
  TextObj(const TextObj&) = delete;
  TextObj& operator=(const TextObj&) = delete;

  bool TestFlag(uint32_t f) const { return (flags & f) != 0; }
  void SetFlag(uint32_t f) { flags |= f; }
  void ClearFlag(uint32_t f) { flags &= ~f; }
  bool IsModified() const { return TestFlag(TextObj_MODIFIED); }
  // The owner marks the text saved with SetModified(false).
  void SetModified(bool on) { on ? SetFlag(TextObj_MODIFIED) : ClearFlag(TextObj_MODIFIED); }
  bool Recording() const { return !(flags & (TextObj_READ_ONLY | TextObj_SUSPENDED)); }

  void Clear();
  void SetUseEnhancements(bool on);
  TextLine* Line(uint32_t idx, uint32_t wrap_width = 0);
  TextLine* FirstLine();
  TextLine* LastLine();
  TextLine* LineAtRow(uint32_t row, uint32_t* col, uint32_t wrap_width);
  uint32_t CountRows(uint32_t wrap_width);
  TextLine* LineByIdent(uint32_t ident) const;
  TextLine* LineByNumber(uint16_t number, uint32_t nth) const;
  void RecountColumns();
  int Find(const char* text, uint32_t* line_idx, uint32_t* col_idx, bool forward, bool ignore_case, bool whole_word,
           bool* wrapped);
  uint32_t CopyArea(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                    uint32_t last_col);
  uint32_t CopyAreaPlain(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                         uint32_t last_col);
  std::string CopyAreaString(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col,
                             bool with_attributes = true);
  void PasteArea(const char* text, uint32_t first_line, uint32_t* last_line, uint32_t first_col, uint32_t* last_col);
  void DeleteArea(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col);

  bool BeginAction(uint32_t line, uint32_t col);
  void EndAction();
  void Undo(uint32_t* line, uint32_t* col);
  void Redo(uint32_t* line, uint32_t* col);
  bool CanUndo() const;
  bool CanRedo() const;
  void ClearUndo();

  // Index of a line of this text object.
  uint32_t IndexOf(TextLine* line);
  // Makes a record of a change: called by the line operations while
  // recording is on, with the modified flag from before the change.
  void SaveRecord(TextUndoRecord* rec, bool was_modified);
  // Replaces count lines from index first with the snapshots (replay only).
  void ReplaceLines(uint32_t first, uint32_t count, const std::vector<TextLineSnap>& snaps);
  // Called by the lines when they are linked or unlinked.
  void LineCreated(TextLine* line, uint32_t idx, bool idx_known);
  void LineDestroyed();
  uint32_t NewIdent() { return ++next_ident; }

 private:
  void DropOldGroups();
  uint32_t CopyAreaImpl(char* to, uint32_t to_size, uint32_t first_line, uint32_t last_line, uint32_t first_col,
                        uint32_t last_col, bool with_attributes);

  // Last line reached by index, so that nearby lookups are short walks.
  TextLine* cursor_line_ = nullptr;
  uint32_t cursor_idx_ = 0;
};
