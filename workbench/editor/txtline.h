// One line of a text object: its bytes, its identity and its place in the
// object's chain of lines. Every change goes through the object's undo
// recording (see txtobj.h).
#pragma once

#include <cstdint>
#include <string>

#include "workbench/editor/txtattr.h"

class TextObj;

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
constexpr uint32_t TextLine_RUN_TO = 16;  // Run to Cursor's temporary breakpoint
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
