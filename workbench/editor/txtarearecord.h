// The AREADELETE and AREAPASTE records of block operations.
#pragma once

#include <string>
#include <vector>

#include "workbench/editor/txtline.h"
#include "workbench/editor/txtundorecord.h"

// AREADELETE and AREAPASTE: the lines of the area before and after.
class TextAreaRecord : public TextUndoRecord {
 public:
  bool paste;
  uint32_t first_line, last_line, first_col, last_col;
  std::string text;  // AREAPASTE: the pasted text
  std::vector<TextLineSnap> before;
  std::vector<TextLineSnap> after;
  TextAreaRecord(bool p, uint32_t fl, uint32_t ll, uint32_t fc, uint32_t lc)
      : paste(p), first_line(fl), last_line(ll), first_col(fc), last_col(lc) {}
  void UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  void RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  std::string Dump(const char* reason) const override;
};
