#include "workbench/dialogs/model/dlg_rootanchor.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

DlgKeptLine::DlgKeptLine(DlgKeptLines* owner, const char* text, int32_t blank_count, int32_t pos, uint32_t line_flags)
    : list(owner), blanks(blank_count), position(pos), flags(line_flags), text_(text ? text : "") {
  SYS_ASSERT(owner);
  chain_insert_after(owner->head, owner->tail, owner->tail, this);
}

DlgKeptLine::~DlgKeptLine() { chain_unlink(list->head, list->tail, this); }

DlgKeptLines::~DlgKeptLines() {
  while (head) delete head;
}

DlgRootAnchor::DlgRootAnchor(DlgFontMeasurer* measurer) : fonts_(measurer) {
  undo_.SetRoot(this);
  redo_.SetRoot(this);
}

DlgRootAnchor::~DlgRootAnchor() {
  while (head) delete head;
  redo_.Clear();
  undo_.Clear();
}

int DlgRootAnchor::BeginUndo() {
  if (flags_ & (F_READ_ONLY | F_UNDO_BUSY)) return 0;
  return undo_.BeginAction();
}

int DlgRootAnchor::EndUndo() {
  if (flags_ & (F_READ_ONLY | F_UNDO_BUSY)) return 0;
  if (!undo_.EndAction()) return 0;
  TrimUndo();
  ++action_count_;
  return 1;
}

int DlgRootAnchor::ClearRedo() {
  if (flags_ & (F_READ_ONLY | F_UNDO_BUSY)) return 0;
  redo_.Clear();
  return 1;
}

int DlgRootAnchor::IsRecording() const {
  if (flags_ & F_READ_ONLY) return 0;
  return undo_.Test(DlgUndoAnchor::F_IN_ACTION) ? 1 : 0;
}

int DlgRootAnchor::CanUndo() const { return !(flags_ & F_READ_ONLY) && undo_.head ? 1 : 0; }

int DlgRootAnchor::CanRedo() const { return !(flags_ & F_READ_ONLY) && redo_.head ? 1 : 0; }

void DlgRootAnchor::Undo() {
  if (flags_ & F_READ_ONLY) return;
  EndUndo();
  if (!undo_.tail) return;
  DlgDocument* doc = doc_;
  SYS_ASSERT(doc);
  const bool was_modified = doc->IsModified() != 0;
  if (!was_modified) undo_.MarkAllModified();
  flags_ |= F_UNDO_BUSY;
  {
    // The ACTION record that closes the group leaves the list before its
    // records are replayed, and goes when they are.
    std::unique_ptr<DlgUndoItem> group = undo_.TakeTail();
    group->UndoAction();
  }
  flags_ &= ~F_UNDO_BUSY;
  --action_count_;
  if (!was_modified) redo_.MarkCleanAfterTailGroup();
}

void DlgRootAnchor::Redo() {
  if (flags_ & F_READ_ONLY) return;
  EndUndo();
  if (!redo_.tail) return;
  DlgDocument* doc = doc_;
  SYS_ASSERT(doc);
  const bool was_modified = doc->IsModified() != 0;
  if (!was_modified) redo_.MarkAllModified();
  flags_ |= F_UNDO_BUSY;
  {
    // The ACTION record that closes the group leaves the list before its
    // records are replayed, and goes when they are.
    std::unique_ptr<DlgUndoItem> group = redo_.TakeTail();
    group->RedoAction();
  }
  flags_ &= ~F_UNDO_BUSY;
  TrimUndo();
  ++action_count_;
  if (!was_modified) undo_.MarkCleanAtTailGroup();
}

void DlgRootAnchor::TrimUndo() {
  while (action_count_ >= DLG_UNDO_LIMIT && undo_.head) {
    DlgUndoItem* item = undo_.head;
    if (item->IsAction()) --action_count_;
    delete item;
    flags_ |= F_UNDO_TRUNCATED;
  }
}

int DlgRootAnchor::SetUnits(int32_t x, int32_t y) {
  if (x < 1 || y < 1) return 0;
  unit_x_ = x;
  unit_y_ = y;
  return 1;
}

DlgAnchor* DlgRootAnchor::FindAnchor(uint32_t id) const {
  for (DlgAnchor* a = head; a; a = a->next) {
    if (a->Id() == id) return a;
  }
  return nullptr;
}

DlgObject* DlgRootAnchor::FindRootObject(const char* name) const {
  for (DlgAnchor* a = head; a; a = a->next) {
    if (DlgObject* obj = a->FindByPath(name)) return obj;
  }
  return nullptr;
}

void DlgRootAnchor::CleanUp() {
  for (DlgAnchor* a = head; a; a = a->next) a->DeleteTemporary();
  consts_.DeleteMarked();
  fonts_.DeleteTemporaryFonts();
}

namespace {

int32_t CountObjects(const DlgObject* obj) {
  if (!obj->HasFlag(DLG_F_SELECTABLE)) return 0;
  int32_t n = 1;
  for (const DlgObject* c = obj->GetHead(); c; c = c->next) n += CountObjects(c);
  return n;
}

int32_t CountLines(const DlgObject* obj) {
  if (!obj->HasFlag(DLG_F_SELECTABLE)) return 0;
  int32_t n = obj->HasFlag(DLG_F_TEMPLATE_CHILD) ? 0 : 2;
  for (const DlgPropValue* v = obj->Props().Head(); v; v = v->next) ++n;
  for (const DlgObject* c = obj->GetHead(); c; c = c->next) n += CountLines(c);
  return n;
}

}  // namespace

int32_t DlgRootAnchor::CountSavedObjects() const {
  int32_t n = 0;
  for (DlgAnchor* a = head; a; a = a->next) {
    if (a->RootObject()) n += CountObjects(a->RootObject());
  }
  return n;
}

int32_t DlgRootAnchor::CountOutputLines() const {
  int32_t n = 0;
  for (const DlgKeptLine* l = kept_.head; l; l = l->next) n += l->blanks + 1;
  for (DlgAnchor* a = head; a; a = a->next) {
    if (a->RootObject()) n += CountLines(a->RootObject());
  }
  return n;
}

namespace {

// A range of source positions; a bound below 0 is open.
struct PosRange {
  int32_t lo = -1;
  int32_t hi = -1;
  bool Holds(int32_t pos) const { return (lo < 0 || pos >= lo) && (hi < 0 || pos <= hi); }
};

// The kept lines of one save, indexed so that every look-up costs about the
// lines it writes. Lines are written in list order; the index assumes the
// positions of the list rise (as a load makes them) and falls back to
// looking at every line of a kind when they do not.
class KeptIndex {
 public:
  explicit KeptIndex(DlgKeptLines& kept) {
    int32_t last = INT32_MIN;
    for (DlgKeptLine* l = kept.head; l; l = l->next) {
      if (l->position < last) sorted_ = false;
      last = l->position;
      at_[l->position].lines.push_back(l);
      // A block begins at the list's first line and at every line that does
      // not continue the one before it.
      if (l == kept.head || !(l->flags & KEPT_CONTINUES)) heads_[(l->flags & KEPT_INSIDE) ? 1 : 0].Add(l);
    }
  }

  // Calls `write` for the unwritten block heads of the kind within [lo, hi]
  // (a bound below 0 is open), in list order, until it returns false.
  template <typename Write>
  bool ForHeads(bool inside, int32_t lo, int32_t hi, Write write) {
    Heads& h = heads_[inside ? 1 : 0];
    size_t i = 0, end = h.lines.size();
    if (sorted_) {
      if (lo >= 0) i = LowerBound(h, lo);
      if (hi >= 0) end = LowerBound(h, hi + 1);
    }
    for (i = h.NextUnwritten(i); i < end; i = h.NextUnwritten(i + 1)) {
      DlgKeptLine* l = h.lines[i];
      if ((lo >= 0 && l->position < lo) || (hi >= 0 && l->position > hi)) continue;
      if (!write(l)) return false;
    }
    return true;
  }

  // The first unwritten line at `pos` in list order, or null.
  DlgKeptLine* FirstUnwrittenAt(int32_t pos) {
    auto it = at_.find(pos);
    if (it == at_.end()) return nullptr;
    Position& p = it->second;
    while (p.first < p.lines.size() && (p.lines[p.first]->flags & KEPT_WRITTEN)) ++p.first;
    return p.first < p.lines.size() ? p.lines[p.first] : nullptr;
  }

 private:
  // Block heads of one kind in list order, with links that skip the written
  // ones (a line once written stays written for the whole save).
  struct Heads {
    std::vector<DlgKeptLine*> lines;
    std::vector<size_t> skip;
    void Add(DlgKeptLine* l) {
      skip.push_back(lines.size());
      lines.push_back(l);
    }
    size_t NextUnwritten(size_t i) {
      size_t r = i;
      while (r < lines.size() && (lines[r]->flags & KEPT_WRITTEN)) r = skip[r] > r ? skip[r] : r + 1;
      while (i < r && i < lines.size()) {
        size_t n = skip[i] > i ? skip[i] : i + 1;
        skip[i] = r;
        i = n;
      }
      return r;
    }
  };
  struct Position {
    std::vector<DlgKeptLine*> lines;
    size_t first = 0;
  };

  static size_t LowerBound(const Heads& h, int32_t pos) {
    return static_cast<size_t>(std::lower_bound(h.lines.begin(), h.lines.end(), pos,
                                                [](const DlgKeptLine* l, int32_t p) { return l->position < p; }) -
                               h.lines.begin());
  }

  bool sorted_ = true;
  Heads heads_[2];
  std::unordered_map<int32_t, Position> at_;
};

// One save: the writers, the writer context and the kept lines.
class SaveWalk {
 public:
  SaveWalk(DlgRootAnchor& root, const PluginFileType& type, psave* ctx) : root_(root), type_(type), ctx_(ctx) {}

  bool Run() {
    DlgKeptLines& kept = root_.Kept();
    for (DlgKeptLine* l = kept.head; l; l = l->next) l->flags &= ~KEPT_WRITTEN;
    int32_t first = -1;
    for (DlgAnchor* a = root_.head; a; a = a->next) {
      const DlgObject* r = a->RootObject();
      if (r && r->HasFlag(DLG_F_SELECTABLE) && r->FirstLine() > 0 && (first < 0 || r->FirstLine() < first)) {
        first = r->FirstLine();
      }
    }
    if (!WriteRange({-1, first > 0 ? first - 1 : -1}, {}, false)) return false;
    for (DlgAnchor* a = root_.head; a; a = a->next) {
      if (a->RootObject() && !WriteObject(a->RootObject(), {})) return false;
    }
    return WriteRange({}, {}, false);
  }

 private:
  bool WriteOne(DlgKeptLine* l) {
    for (int32_t i = 0; i < l->blanks; ++i) {
      if (type_.WriteLine(ctx_, "") != 0) return false;
    }
    if (type_.WriteLine(ctx_, l->Text().c_str()) != 0) return false;
    l->flags |= KEPT_WRITTEN;
    return true;
  }

  // Writes the unwritten lines that continue the block of `l`.
  bool WriteBlockRest(DlgKeptLine* l) {
    for (DlgKeptLine* n = l->next; n && (n->flags & KEPT_CONTINUES); n = n->next) {
      if (!(n->flags & KEPT_WRITTEN) && !WriteOne(n)) return false;
    }
    return true;
  }

  // Writes the unwritten lines of the wanted kind within both ranges, each
  // with the rest of its block.
  bool WriteRange(PosRange range, PosRange outer, bool inside) {
    const int32_t lo = range.lo < 0 ? outer.lo : (outer.lo < 0 ? range.lo : std::max(range.lo, outer.lo));
    const int32_t hi = range.hi < 0 ? outer.hi : (outer.hi < 0 ? range.hi : std::min(range.hi, outer.hi));
    if (lo >= 0 && hi >= 0 && lo > hi) return true;
    return index_.ForHeads(inside, lo, hi, [this](DlgKeptLine* l) { return WriteOne(l) && WriteBlockRest(l); });
  }

  // The unwritten line at `pos`, marked written; the lines of its block
  // before it are written first.
  DlgKeptLine* FindAt(int32_t pos, bool* ok) {
    *ok = true;
    DlgKeptLine* l = index_.FirstUnwrittenAt(pos);
    if (!l) return nullptr;
    if (l->flags & KEPT_CONTINUES) {
      DlgKeptLine* b = l;
      while ((b->flags & KEPT_CONTINUES) && b->prev) b = b->prev;
      for (; b != l; b = b->next) {
        if (!(b->flags & KEPT_WRITTEN) && !WriteOne(b)) {
          *ok = false;
          return nullptr;
        }
      }
    }
    l->flags |= KEPT_WRITTEN;
    return l;
  }

  std::string ValueText(const DlgPropValue* v) const {
    const prop_val& val = v->Val();
    if (v->Serial() >= 0 && v->Def().kind < 128) {
      if (DlgConstEntry* e = root_.Consts().FindConstBySerial(static_cast<uint32_t>(v->Serial()))) return e->Name();
    }
    if (val.type == VAL_TEXT) {
      const char* text = val.data.text ? val.data.text : "";
      if (v->Def().type == PROP_TYPE_PATH || v->Def().type == PROP_TYPE_IDENT) return text;
      return std::string("\"") + text + "\"";
    }
    if (val.type == VAL_INT) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%d", val.data.num);
      return buf;
    }
    return "";
  }

  // Writes an object; `enclosing` is the range of the object an inline
  // object is written into.
  bool WriteObject(DlgObject* obj, PosRange enclosing) {
    if (!obj->HasFlag(DLG_F_SELECTABLE)) return true;
    const bool is_inline = obj->HasFlag(DLG_F_TEMPLATE_CHILD);
    const std::string path = obj->GetPath();
    const PosRange own{obj->FirstLine() > 0 ? obj->FirstLine() : -1, obj->LastLine() > 0 ? obj->LastLine() : -1};
    const PosRange range = is_inline ? enclosing : own;
    std::string prefix;
    bool ok = true;
    if (is_inline) {
      for (const DlgObject* o = obj; o && o->HasFlag(DLG_F_TEMPLATE_CHILD); o = o->Parent()) {
        prefix = std::string(o->Name()) + "." + prefix;
      }
    } else {
      DlgKeptLine* same = nullptr;
      if (obj->FirstLine() > 0) {
        const DlgObject* parent = obj->Parent();
        PosRange outer;
        if (parent && parent->FirstLine() > 0)
          outer = {parent->FirstLine(), parent->LastLine() > 0 ? parent->LastLine() : -1};
        if (!WriteRange({-1, obj->FirstLine() - 1}, outer, parent != nullptr)) return false;
        same = FindAt(obj->FirstLine(), &ok);
        if (!ok) return false;
      }
      const std::string tmpl = obj->TemplateObject() ? obj->TemplateObject()->GetPath() : std::string();
      if (type_.BeginObj(ctx_, path.c_str(), obj->Name(), obj->ClassName(),
                         obj->TemplateObject() ? tmpl.c_str() : nullptr, same ? same->Text().c_str() : nullptr) != 0) {
        return false;
      }
      if (same && !WriteBlockRest(same)) return false;
      ctx_->Depth++;
    }
    for (DlgPropValue* v = obj->Props().Head(); v; v = v->next) {
      if (v->State() & DLG_PROP_COPIED) continue;
      DlgKeptLine* same = nullptr;
      if (v->Line() > 0) {
        if (!WriteRange({-1, v->Line() - 1}, range, true)) return false;
        same = FindAt(v->Line(), &ok);
        if (!ok) return false;
      }
      const std::string name = prefix + (v->Def().name ? v->Def().name : "");
      const std::string text = ValueText(v);
      if (type_.WriteAttr(ctx_, name.c_str(), &v->Def(), &v->Val(), text.c_str(),
                          same ? same->Text().c_str() : nullptr) != 0) {
        return false;
      }
      if (same && !WriteBlockRest(same)) return false;
    }
    for (DlgObject* c = obj->GetHead(); c; c = c->next) {
      if (!WriteObject(c, range)) return false;
    }
    if (is_inline) return true;
    ctx_->Depth--;
    DlgKeptLine* same = nullptr;
    if (obj->LastLine() > 0) {
      if (!WriteRange({-1, obj->LastLine() - 1}, own, true)) return false;
      same = FindAt(obj->LastLine(), &ok);
      if (!ok) return false;
    }
    if (type_.EndObj(ctx_, path.c_str(), same ? same->Text().c_str() : nullptr) != 0) return false;
    return !same || WriteBlockRest(same);
  }

  DlgRootAnchor& root_;
  const PluginFileType& type_;
  psave* ctx_;
  KeptIndex index_{root_.Kept()};
};

}  // namespace

int DlgRootAnchor::Save(const PluginFileType* type, psave* ctx) {
  SYS_ASSERT(type);
  SYS_ASSERT(ctx);
  // A type that lacks any of its writers cannot be saved to.
  if (!type->BeginObj || !type->EndObj || !type->WriteAttr || !type->WriteLine) return 0;
  ctx->Depth = 0;
  return SaveWalk(*this, *type, ctx).Run() ? 1 : 0;
}
