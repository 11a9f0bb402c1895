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

class TextObj;
class TextLine;
class TextUndoRecord;

constexpr int CfgTotalColors = 14;
constexpr unsigned char TXT_ESC = 27;
// Bytes WriteState may write, including its NUL.
constexpr uint32_t TEXTATTR_STATE_MAX = 8;

// Enhancement bits.
constexpr uint8_t TextAttr_INVERSE = 1;
constexpr uint8_t TextAttr_BLINK = 2;
constexpr uint8_t TextAttr_UNDERLINE = 4;
constexpr uint8_t TextAttr_HALFBRIGHT = 8;

// Attribute state met while walking a line.
class TextAttr {
 public:
  const TextObj* tobj;
  int32_t color_state = 0;
  uint32_t char_mode = 0;
  uint8_t enhancement = 0x80;

  explicit TextAttr(const TextObj* t);
  void Reset();
  bool SameAs(const TextAttr& o) const {
    return color_state == o.color_state && char_mode == o.char_mode && enhancement == o.enhancement;
  }
  bool Enhanced() const;  // the text object treats 0x80..0x9F as switches

  bool Inverse() const;
  bool Blink() const;
  bool Underline() const;
  bool Halfbright() const;
  void ChangeEnhancement(uint8_t set_attr, uint8_t reset_attr);

  // Applies the code at p when p starts one. Returns the bytes of the code,
  // 0 when p is a character, -1 at the end of the string or a malformed code.
  int Step(const unsigned char* p);

  // Applies the codes of `str` up to `end` (null: its NUL or a malformed
  // code) to this state; returns the characters passed.
  uint32_t Walk(const char* str, const char* end);
  uint32_t Columns(const char* str, uint32_t max_bytes = 0) const;
  uint32_t ColumnToOffset(const char* str, uint32_t col) const;
  uint32_t CharOffset(const char* str, uint32_t col) const;
  uint32_t TrailingBlankColumn(const char* str) const;
  const char* SeekBefore(const char* str, uint32_t n);
  const char* SeekAfter(const char* str, uint32_t n);
  const char* NextRun(const char* str, uint32_t* num_cols);
  uint32_t WriteState(char* to, const TextAttr* prev) const;
  uint32_t WriteEnhancements(char* to, const TextAttr* prev) const;
  static uint32_t StripEscapes(char* to, const char* from, uint32_t max_bytes = 0);
  uint32_t CopyForDisplay(char* to, const char* from, uint32_t max_bytes = 0);
  static char* NormalizeEscapes(char* to, const char* from);

  // Convenience forms for C++ callers.
  std::string StateCodes(const TextAttr* prev) const;
  // The characters of str as the display shows them: ESC pairs and, while
  // enhancements are on, attribute switches left out; index = column.
  std::string DisplayChars(const char* str) const;

 private:
  uint32_t WriteParts(char* to, const TextAttr* prev, bool colour) const;
};

bool IsWordChar(int ch);

// A record of what the undo stack needs to rebuild a line exactly.
struct TextLineSnap {
  std::string data;
  uint32_t ident = 0;
  uint16_t line_number = 0;
  uint16_t line_aux = 0;
  uint32_t identity_flags = 0;  // line_flags & TextLine_IDENTITY
};

enum TextLineInsertMode : int { TextLine_BEFORE = 0, TextLine_AFTER = 1 };

// Line flag bits given by the users of a line.
constexpr uint32_t TextLine_EDITING = 1;
constexpr uint32_t TextLine_ERROR_MARK = 2;
constexpr uint32_t TextLine_MARK = 4;
constexpr uint32_t TextLine_BREAKPOINT = 8;
constexpr uint32_t TextLine_IDENTITY = 4 | 8 | 16;

class TextLine {
 public:
  TextLine* prev = nullptr;
  TextLine* next = nullptr;
  TextObj* tobj_link = nullptr;
  uint32_t line_flags = 0;
  std::string data;  // line encoding, never holds a NUL
  uint32_t data_columns = 0;
  uint32_t ident = 0;
  uint32_t idx = 0;
  uint32_t first_row = 0;
  uint16_t line_number = 0;
  uint16_t line_aux = 0;

  explicit TextLine(TextObj* tobj);
  TextLine(TextLine* other, int mode);
  ~TextLine();
  TextLine(const TextLine&) = delete;
  TextLine& operator=(const TextLine&) = delete;

  const char* Data() const { return data.c_str(); }
  uint32_t Size() const { return static_cast<uint32_t>(data.size()); }
  uint32_t Columns() const { return data_columns; }
  TextLine* Prev();
  TextLine* Next();

  void SwapIdentity(TextLine* other);
  const char* PointerAtColumn(uint32_t col, TextAttr* attr) const;
  uint32_t NextNonBlankColumn(uint32_t col) const;
  uint32_t TrimmedColumns() const;
  uint32_t Insert(uint32_t col, const char* text, const TextAttr& attr, uint32_t max_columns = 0);
  void InsertNative(uint32_t col, const char* new_data, uint32_t max_bytes = 0);
  void ReplaceChar(uint32_t col, char ch, const TextAttr& attr);
  void Delete(uint32_t col, uint32_t columns);
  void RemoveBytes(uint32_t col, uint32_t size);
  bool WordAt(uint32_t col, int32_t* first_line_offs, int32_t* last_line_offs, int32_t* first_col_offs,
              int32_t* last_col_offs) const;
  void RecountColumns();
  // The state in force at the character of column col (codes in front of it
  // applied); col may be the column behind the last character.
  TextAttr AttrAt(uint32_t col) const;

  // Used by the text object and its undo records.
  void Changed();
  TextLineSnap Snap() const;
  void Restore(const TextLineSnap& s);

 private:
  void Link(TextLine* before_this, TextLine* after_this);
  uint32_t DoInsert(uint32_t col, const char* text, const TextAttr& attr, uint32_t max_columns);
  void DoDelete(uint32_t col, uint32_t columns);
};

// The undo and redo stacks.
constexpr uint32_t TextStack_IN_ACTION = 1;
constexpr uint32_t TextStack_END_MODIFIED = 2;

class TextStack {
 public:
  TextUndoRecord* head = nullptr;
  TextUndoRecord* tail = nullptr;
  uint32_t flags = TextStack_END_MODIFIED;
  uint32_t action_line = 0;
  uint32_t action_col = 0;
  uint32_t action_count = 0;

  TextStack() = default;
  ~TextStack() { Clear(); }
  TextStack(const TextStack&) = delete;
  TextStack& operator=(const TextStack&) = delete;

  bool TestFlag(uint32_t f) const { return (flags & f) != 0; }
  void Clear();
  void BeginAction(uint32_t line, uint32_t col);
  bool EndAction();
  void Append(TextUndoRecord* item);
  void MoveHere(TextUndoRecord* item);
  uint32_t Count() const;
};

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

// Suspends recording for a scope and restores the previous state.
class TextSuspend {
 public:
  explicit TextSuspend(TextObj* t) : tobj_(t), was_(t->TestFlag(TextObj_SUSPENDED)) { t->SetFlag(TextObj_SUSPENDED); }
  ~TextSuspend() {
    if (!was_) tobj_->ClearFlag(TextObj_SUSPENDED);
  }
  TextSuspend(const TextSuspend&) = delete;
  TextSuspend& operator=(const TextSuspend&) = delete;

 private:
  TextObj* tobj_;
  bool was_;
};
