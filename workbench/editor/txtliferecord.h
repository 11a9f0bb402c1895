// The CREATE and DESTROY records of whole lines.
#pragma once

#include <string>

#include "workbench/editor/txtundorecord.h"

// CREATE and DESTROY of one line.
class TextLineLifeRecord : public TextUndoRecord {
 public:
  bool destroy;
  uint32_t line;
  uint32_t ident;
  std::string bytes;  // DESTROY: the line's bytes
  TextLineLifeRecord(bool d, uint32_t l, uint32_t id, std::string b)
      : destroy(d), line(l), ident(id), bytes(std::move(b)) {}
  void UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  void RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) override;
  std::string Dump(const char* reason) const override;

 private:
  void Create(TextObj* tobj) const;
  void Destroy(TextObj* tobj) const;
};
