// Undo records of the text object. Each record holds what is needed to make
// its change again and to reverse it exactly, byte for byte.
#pragma once

#include <string>
#include <vector>

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

void Txt_TraceRecord(const TextUndoRecord* rec, const char* reason);
void Txt_Trace(int level, const std::string& text);
