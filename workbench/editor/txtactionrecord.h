// The ACTION record that closes a group of undo records.
#pragma once

#include "workbench/editor/txtundorecord.h"

// Closes a group: replays count records.
class TextActionRecord : public TextUndoRecord {
 public:
  uint32_t count;
  uint32_t line;
  uint32_t col;
  TextActionRecord(uint32_t n, uint32_t l, uint32_t c) : count(n), line(l), col(c) {}
  void UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  void RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  std::string Dump(const char* reason) const override;
  bool IsAction() const override { return true; }
};
