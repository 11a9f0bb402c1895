// The base of the undo records of the text object: a record on an undo or
// redo stack that can make its change again and reverse it.
#pragma once

#include <string>

#include "workbench/editor/txtobj.h"

constexpr uint32_t TextRecord_MODIFIED_BEFORE = 1;

class TextUndoRecord {
 public:
  TextUndoRecord* prev = nullptr;
  TextUndoRecord* next = nullptr;
  uint32_t flags = 0;
  TextStack* tstack_link = nullptr;

  TextUndoRecord() = default;
  TextUndoRecord(const TextUndoRecord&) = delete;
  TextUndoRecord& operator=(const TextUndoRecord&) = delete;
  virtual ~TextUndoRecord();
  virtual void UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col);
  virtual void RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col);
  virtual std::string Dump(const char* reason) const = 0;
  virtual bool IsAction() const { return false; }
  bool ModifiedBefore() const { return (flags & TextRecord_MODIFIED_BEFORE) != 0; }
  void SetModifiedBefore(bool on) {
    if (on)
      flags |= TextRecord_MODIFIED_BEFORE;
    else
      flags &= ~TextRecord_MODIFIED_BEFORE;
  }
};
