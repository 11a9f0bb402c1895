// The records of changes inside one line.
#pragma once

#include <string>

#include "workbench/editor/txtattr.h"
#include "workbench/editor/txtundorecord.h"

enum class TextChangeKind { Insert, InsertNative, ReplaceChar, Delete };

// A change inside one line: at byte offset `offset` the bytes `old_bytes`
// became `new_bytes`. The other fields describe the change for the trace.
class TextChangeRecord : public TextUndoRecord {
 public:
  TextChangeKind kind;
  uint32_t line = 0;
  uint32_t col = 0;
  uint32_t columns = 0;
  std::string bytes;  // inserted or removed bytes as the caller saw them
  TextAttr attr_before;
  TextAttr attr_after;
  char old_char = 0;
  char new_char = 0;
  uint32_t offset = 0;
  std::string old_bytes;
  std::string new_bytes;

  TextChangeRecord(TextChangeKind k, const TextObj* t) : kind(k), attr_before(t), attr_after(t) {}
  // Sets offset, old_bytes and new_bytes from the line before and after.
  void SetSplice(const std::string& before, const std::string& after);
  void UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  void RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  std::string Dump(const char* reason) const override;

 private:
  void Apply(TextObj* tobj, const std::string& from, const std::string& to) const;
};
