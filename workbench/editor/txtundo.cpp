// Undo and redo of text changes.
//
// Every change of a text object is a record on its undo stack; the records of
// one user action are closed by an ACTION record that counts them. Undo
// replays the newest group backwards onto the redo stack, redo the newest redo
// group forwards back onto the undo stack. The modified_before bits of the
// records tell, after any undo or redo, whether the text is back at the state
// its owner last saved.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "workbench/base/chain.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/txtundo.h"

namespace {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

void TraceData(const char* name, const std::string& data) {
  const int n = static_cast<int>(data.size());
  if (n <= 32) {
    Diag_HexDump((std::string(name) + ":").c_str(), data.data(), n);
  } else {
    Diag_HexDump(Format("%s (%u bytes total, first 16 bytes):", name, static_cast<unsigned>(n)).c_str(), data.data(),
                 16);
    Diag_HexDump("last 16 bytes:", data.data() + n - 16, 16);
  }
}

}  // namespace

void Txt_Trace(int level, const std::string& text) {
  if (Diag_TraceEnabled('U', level)) Diag_TraceWrite('U', level, text.c_str());
}

void Txt_TraceRecord(const TextUndoRecord* rec, const char* reason) {
  if (!Diag_TraceEnabled('U', 2)) return;
  Diag_TraceWrite('U', 2, rec->Dump(reason).c_str());
  if (!Diag_TraceEnabled('U', 3)) return;
  if (auto* c = dynamic_cast<const TextChangeRecord*>(rec)) {
    bool undo_data = c->kind == TextChangeKind::Delete;
    if (c->kind != TextChangeKind::ReplaceChar) TraceData(undo_data ? "UndoData" : "RedoData", c->bytes);
  } else if (auto* l = dynamic_cast<const TextLineLifeRecord*>(rec)) {
    if (l->destroy) TraceData("UndoData", l->bytes);
  } else if (auto* a = dynamic_cast<const TextAreaRecord*>(rec)) {
    if (a->paste)
      TraceData("RedoData", a->text);
    else if (!a->before.empty())
      TraceData("UndoData", a->before.front().data);
  }
}

// ---------------------------------------------------------------- stacks

void TextStack::Clear() {
  while (head) delete head;
  SYS_ASSERT(!head);
  SYS_ASSERT(!tail);
  flags = TextStack_END_MODIFIED;
  action_line = action_col = action_count = 0;
}

void TextStack::BeginAction(uint32_t line, uint32_t col) {
  flags |= TextStack_IN_ACTION;
  action_line = line;
  action_col = col;
  action_count = 0;
}

bool TextStack::EndAction() {
  if (!TestFlag(TextStack_IN_ACTION)) return false;
  flags &= ~TextStack_IN_ACTION;
  if (!action_count) return false;
  auto* rec = new TextActionRecord(action_count, action_line, action_col);
  Append(rec);
  Txt_TraceRecord(rec, "EndAction");
  return true;
}

void TextStack::Append(TextUndoRecord* item) {
  chain_insert_after(head, tail, tail, item);
  item->tstack_link = this;
  if (TestFlag(TextStack_IN_ACTION)) action_count++;
}

void TextStack::MoveHere(TextUndoRecord* item) {
  TextStack* from = item->tstack_link;
  SYS_ASSERT(from);
  chain_unlink(from->head, from->tail, item);
  Append(item);
}

std::unique_ptr<TextUndoRecord> TextStack::TakeTail() {
  TextUndoRecord* item = tail;
  if (!item) return nullptr;
  chain_unlink(head, tail, item);
  item->tstack_link = nullptr;
  return std::unique_ptr<TextUndoRecord>(item);
}

uint32_t TextStack::Count() const {
  uint32_t n = 0;
  for (TextUndoRecord* r = head; r; r = r->next) ++n;
  return n;
}

// ---------------------------------------------------------------- records

TextUndoRecord::~TextUndoRecord() {
  if (tstack_link) chain_unlink(tstack_link->head, tstack_link->tail, this);
}

void TextUndoRecord::UndoAction(TextObj* tobj, uint32_t*, uint32_t*) {
  // The oldest record of its group brings the text back to the state before
  // the group.
  if (!prev || prev->IsAction()) tobj->SetModified(ModifiedBefore());
  tobj->redo.MoveHere(this);
}

void TextUndoRecord::RedoAction(TextObj* tobj, uint32_t*, uint32_t*) {
  if (!prev || prev->IsAction()) {
    if (prev) {
      // The first record to be redone next tells the state between the groups.
      SYS_ASSERT(prev->prev);
      tobj->SetModified(prev->prev->ModifiedBefore());
    } else {
      tobj->SetModified(tobj->redo.TestFlag(TextStack_END_MODIFIED));
    }
  }
  tobj->undo.MoveHere(this);
}

void TextActionRecord::UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  Txt_TraceRecord(this, "UndoAction");
  if (p_line) *p_line = line;
  if (p_col) *p_col = col;
  const uint32_t n = count;
  // The stack has handed this record to the caller already, which frees it
  // once the group is replayed.
  SYS_ASSERT(!tstack_link);
  tobj->redo.BeginAction(line, col);
  for (uint32_t i = 0; i < n; ++i) {
    TextUndoRecord* item = tobj->undo.tail;
    SYS_ASSERT(item);
    item->UndoAction(tobj, nullptr, nullptr);
  }
  tobj->redo.EndAction();
}

void TextActionRecord::RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  Txt_TraceRecord(this, "RedoAction");
  if (p_line) *p_line = line;
  if (p_col) *p_col = col;
  const uint32_t n = count;
  // The stack has handed this record to the caller already, which frees it
  // once the group is replayed.
  SYS_ASSERT(!tstack_link);
  tobj->undo.BeginAction(line, col);
  for (uint32_t i = 0; i < n; ++i) {
    TextUndoRecord* item = tobj->redo.tail;
    SYS_ASSERT(item);
    item->RedoAction(tobj, nullptr, nullptr);
  }
  tobj->undo.EndAction();
}

std::string TextActionRecord::Dump(const char* reason) const {
  return Format("%s: ACTION count=%lu, line=%lu, col=%u", reason, static_cast<unsigned long>(count),
                static_cast<unsigned long>(line), col);
}

void TextLineLifeRecord::Create(TextObj* tobj) const {
  TextLine* at = tobj->Line(line);
  TextLine* tline = at ? new TextLine(at, TextLine_BEFORE) : new TextLine(tobj);
  tline->ident = ident;
  if (!bytes.empty()) {
    tline->data = bytes;
    tline->Changed();
  }
}

void TextLineLifeRecord::Destroy(TextObj* tobj) const {
  TextLine* tline = tobj->Line(line);
  SYS_ASSERT(tline);
  delete tline;
}

void TextLineLifeRecord::UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "UndoAction");
  if (destroy)
    Create(tobj);
  else
    Destroy(tobj);
  TextUndoRecord::UndoAction(tobj, p_line, p_col);
}

void TextLineLifeRecord::RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "RedoAction");
  if (destroy) {
    Destroy(tobj);
  } else {
    Create(tobj);
  }
  TextUndoRecord::RedoAction(tobj, p_line, p_col);
}

std::string TextLineLifeRecord::Dump(const char* reason) const {
  if (destroy)
    return Format("%s: DESTROY line=%lu, ident=%lu, undo_size=%u", reason, static_cast<unsigned long>(line),
                  static_cast<unsigned long>(ident), static_cast<unsigned>(bytes.size()));
  return Format("%s: CREATE line=%lu", reason, static_cast<unsigned long>(line));
}

void TextChangeRecord::SetSplice(const std::string& before, const std::string& after) {
  size_t p = 0;
  const size_t lb = before.size(), la = after.size();
  while (p < lb && p < la && before[p] == after[p]) ++p;
  size_t s = 0;
  while (s < lb - p && s < la - p && before[lb - 1 - s] == after[la - 1 - s]) ++s;
  offset = static_cast<uint32_t>(p);
  old_bytes = before.substr(p, lb - p - s);
  new_bytes = after.substr(p, la - p - s);
}

void TextChangeRecord::Apply(TextObj* tobj, const std::string& from, const std::string& to) const {
  TextLine* tline = tobj->Line(line);
  SYS_ASSERT(tline);
  SYS_ASSERT(tline->data.compare(offset, from.size(), from) == 0);
  tline->data.replace(offset, from.size(), to);
  tline->Changed();
}

void TextChangeRecord::UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "UndoAction");
  Apply(tobj, new_bytes, old_bytes);
  TextUndoRecord::UndoAction(tobj, p_line, p_col);
}

void TextChangeRecord::RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "RedoAction");
  Apply(tobj, old_bytes, new_bytes);
  TextUndoRecord::RedoAction(tobj, p_line, p_col);
}

std::string TextChangeRecord::Dump(const char* reason) const {
  const unsigned long l = line;
  const unsigned size = static_cast<unsigned>(bytes.size());
  switch (kind) {
    case TextChangeKind::Insert:
      return Format("%s: INSERT line=%lu, col=%u, columns=%u, redo_size=%u", reason, l, col, columns, size);
    case TextChangeKind::InsertNative:
      return Format("%s: INSERTNATIVE line=%lu, col=%u, redo_size=%u", reason, l, col, size);
    case TextChangeKind::ReplaceChar:
      return Format("%s: REPLACECHAR line=%lu, col=%u, undo_data='%c', redo_data='%c'", reason, l, col, old_char,
                    new_char);
    case TextChangeKind::Delete: break;
  }
  return Format("%s: DELETE line=%lu, col=%u, columns=%u, undo_size=%u", reason, l, col, columns, size);
}

void TextAreaRecord::UndoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "UndoAction");
  tobj->ReplaceLines(first_line, static_cast<uint32_t>(after.size()), before);
  TextUndoRecord::UndoAction(tobj, p_line, p_col);
}

void TextAreaRecord::RedoAction(TextObj* tobj, uint32_t* p_line, uint32_t* p_col) {
  SYS_ASSERT(!p_line);
  SYS_ASSERT(!p_col);
  Txt_TraceRecord(this, "RedoAction");
  tobj->ReplaceLines(first_line, static_cast<uint32_t>(before.size()), after);
  TextUndoRecord::RedoAction(tobj, p_line, p_col);
}

std::string TextAreaRecord::Dump(const char* reason) const {
  return Format("%s: %s start_line=%lu, end_line=%lu, start_col=%u, end_col=%u", reason,
                paste ? "AREAPASTE" : "AREADELETE", static_cast<unsigned long>(first_line),
                static_cast<unsigned long>(last_line), first_col, last_col);
}

// ---------------------------------------------------------------- text object

void TextObj::SaveRecord(TextUndoRecord* rec, bool was_modified) {
  TextStack* tstack = &undo;
  if (!tstack->TestFlag(TextStack_IN_ACTION)) {
    delete rec;
    SYS_ASSERT(tstack->TestFlag(TextStack_IN_ACTION));
  }
  redo.Clear();
  if (was_modified) {
    rec->SetModifiedBefore(true);
  } else {
    // This change leaves the saved state: every older change now lies behind
    // a modification.
    rec->SetModifiedBefore(false);
    for (TextUndoRecord* r = undo.head; r; r = r->next)
      if (!r->IsAction()) r->SetModifiedBefore(true);
  }
  undo.Append(rec);
  Txt_TraceRecord(rec, "SaveAction");
}

bool TextObj::BeginAction(uint32_t line, uint32_t col) {
  if (!Recording() || undo.TestFlag(TextStack_IN_ACTION)) return false;
  undo.BeginAction(line, col);
  Txt_Trace(2, Format("BeginAction: ACTION line=%lu, col=%u", static_cast<unsigned long>(line), col));
  return true;
}

void TextObj::EndAction() {
  if (!Recording()) return;
  if (undo.EndAction()) {
    DropOldGroups();
    undo_actions++;
  }
}

void TextObj::DropOldGroups() {
  while (undo_actions >= TextObj_MAX_UNDO_GROUPS) {
    TextUndoRecord* item = undo.head;
    SYS_ASSERT(item);
    if (item->IsAction()) undo_actions--;
    delete item;
    SetFlag(TextObj_TRUNCATED);
  }
}

bool TextObj::CanUndo() const { return !TestFlag(TextObj_READ_ONLY) && undo.head; }

bool TextObj::CanRedo() const { return !TestFlag(TextObj_READ_ONLY) && redo.head; }

void TextObj::ClearUndo() {
  undo_actions = 0;
  undo.Clear();
  redo.Clear();
  ClearFlag(TextObj_TRUNCATED);
}

void TextObj::Undo(uint32_t* line, uint32_t* col) {
  if (TestFlag(TextObj_READ_ONLY)) return;
  EndAction();
  TextUndoRecord* item = undo.tail;
  if (!item) return;
  SYS_ASSERT(undo_actions);
  SYS_ASSERT(item->IsAction());
  const bool was_modified = IsModified();
  if (!was_modified) {
    undo.flags |= TextStack_END_MODIFIED;
    for (TextUndoRecord* r = undo.head; r; r = r->next)
      if (!r->IsAction()) r->SetModifiedBefore(true);
  }
  {
    TextSuspend suspend(this);
    // The ACTION record that closes the group leaves the stack before its
    // records are replayed.
    std::unique_ptr<TextUndoRecord> group = undo.TakeTail();
    group->UndoAction(this, line, col);
  }
  undo_actions--;
  if (!was_modified) {
    // The group just moved is the newest on the redo stack; once it is redone
    // the text is back at the saved state.
    bool beyond = false, found = false;
    for (TextUndoRecord* r = redo.tail; r; r = r->prev) {
      if (r->IsAction()) {
        if (r != redo.tail) beyond = true;
        continue;
      }
      if (beyond && !found) {
        r->SetModifiedBefore(false);
        found = true;
      } else {
        r->SetModifiedBefore(true);
      }
    }
    if (found)
      redo.flags |= TextStack_END_MODIFIED;
    else
      redo.flags &= ~TextStack_END_MODIFIED;
  }
}

void TextObj::Redo(uint32_t* line, uint32_t* col) {
  if (TestFlag(TextObj_READ_ONLY)) return;
  EndAction();
  TextUndoRecord* item = redo.tail;
  if (!item) return;
  SYS_ASSERT(item->IsAction());
  const bool was_modified = IsModified();
  if (!was_modified) {
    redo.flags |= TextStack_END_MODIFIED;
    for (TextUndoRecord* r = redo.head; r; r = r->next)
      if (!r->IsAction()) r->SetModifiedBefore(true);
  }
  {
    TextSuspend suspend(this);
    // The ACTION record that closes the group leaves the stack before its
    // records are replayed.
    std::unique_ptr<TextUndoRecord> group = redo.TakeTail();
    group->RedoAction(this, line, col);
  }
  DropOldGroups();
  undo_actions++;
  if (!was_modified) {
    item = undo.tail;
    SYS_ASSERT(item);
    SYS_ASSERT(item->IsAction());
    bool cleared = false;
    for (TextUndoRecord* r = item; r; r = r->prev) {
      if (r->IsAction()) continue;
      if (!cleared && (!r->prev || r->prev->IsAction())) {
        r->SetModifiedBefore(false);
        cleared = true;
      } else {
        r->SetModifiedBefore(true);
      }
    }
  }
}
