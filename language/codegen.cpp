// The code generator: code words, elements, operations, fix-ups, counters
// and symbols of the line in work.
#include "language/codegen.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/context.h"
#include "language/decimal.h"
#include "language/internal_check.h"
#include "language/progseg.h"

namespace {

#define CG_ASSERT(cond) INTERNAL_CHECK("codegen", cond)

// Errors that the generator finds on its own are reported at the scanner's
// current token.
[[noreturn]] void fail(CompileContext* cc, const char* message) { cg_error(cc, cc->token_column, message); }

CgState& st(CompileContext* cc) { return cc->cg; }

uint16_t op_word(CompileContext* cc, const CgElement& e) {
  CG_ASSERT(e.op_pos >= 0 && static_cast<size_t>(e.op_pos) < st(cc).code.size());
  return static_cast<uint16_t>(st(cc).code[e.op_pos]);
}

void set_op_word(CompileContext* cc, const CgElement& e, uint16_t word) {
  CG_ASSERT(e.op_pos >= 0 && static_cast<size_t>(e.op_pos) < st(cc).code.size());
  st(cc).code[e.op_pos] = word;
}

// A new element on the stack, to be filled in place.
CgElement& new_element(CompileContext* cc) {
  if (st(cc).elements.size() >= CG_MAX_ELEMENTS) fail(cc, "CGE-STACK OVERFLOW");
  return st(cc).elements.add();
}

void emit_element(CompileContext* cc, const CgElement& e) {
  switch (e.kind) {
    case CGE_OPERATION: cg_emit(cc, CW_OP_RESULT_BASE + 4u * static_cast<uint32_t>(e.op_number)); break;
    case CGE_NUMBER: cg_emit(cc, cg_tmpsym_const(cc, e.packed)); break;
    case CGE_STRING: cg_string(cc, e.text, e.length); break;
    case CGE_NUMVAR: cg_emit(cc, cg_add_tmpsym(cc, SYM_CLASS_NUMERIC, e.subtype, nullptr, 0, e.name)); break;
    case CGE_STRVAR: cg_emit(cc, cg_add_tmpsym(cc, SYM_CLASS_STRING, e.subtype, nullptr, 0, e.name)); break;
    case CGE_STRUCT: cg_emit(cc, cg_add_tmpsym(cc, SYM_CLASS_STRUCT, e.subtype, nullptr, 0, e.name)); break;
    default: internal_check_failed("codegen", "illegal element kind", __LINE__);
  }
}

// The body of cg_dump and cg_dump2: the operation word, then the top n
// elements (cg_dump2 only), the extra words, then the m elements beneath
// (or the n top ones for cg_dump), bottom first; the operands become one
// operation result.
void dump(CompileContext* cc, int n, int m, bool split, uint16_t op, const uint32_t* extra, int nextra) {
  CgState& s = st(cc);
  if (s.op_count >= CW_MAX_OPERATIONS) fail(cc, "EXPRESSION TOO COMPLEX");
  CG_ASSERT(n >= 0 && m >= 0 && nextra >= 0);
  cg_keyword(cc, true, op);
  int op_pos = static_cast<int>(s.code.size()) - 1;
  if (s.elements.size() < static_cast<size_t>(n + m)) fail(cc, "CGE-STACK UNDERFLOW");
  size_t top = s.elements.size() - static_cast<size_t>(n);
  size_t below = top - static_cast<size_t>(m);
  if (split)
    for (size_t i = top; i < s.elements.size(); ++i) emit_element(cc, s.elements[i]);
  for (int i = 0; i < nextra; ++i) cg_emit(cc, extra[i]);
  if (split) {
    for (size_t i = below; i < top; ++i) emit_element(cc, s.elements[i]);
  } else {
    for (size_t i = top; i < s.elements.size(); ++i) emit_element(cc, s.elements[i]);
  }
  s.elements.shrink(below);
  CgElement& r = s.elements.add();  // the operands were popped: room is there
  r.kind = CGE_OPERATION;
  r.op_number = s.op_count;
  r.op_pos = op_pos;
  ++s.op_count;
}

void wrap(CompileContext* cc, uint16_t op) { dump(cc, 1, 0, false, op, nullptr, 0); }

CgElement& top_element(CompileContext* cc) {
  CG_ASSERT(!st(cc).elements.empty());
  return st(cc).elements.back();
}

ProgSymbolRef tmpsym_ref(const CgTmpSym& t) {
  ProgSymbolRef r;
  r.cls = t.cls;
  r.subtype = t.subtype;
  r.packed = t.packed;
  r.lineno = t.lineno;
  r.name = t.name;
  r.name_len = t.name_len;
  return r;
}

bool tmpsym_class_ok(int cls, int sub) {
  switch (cls) {
    case SYM_CLASS_CONST: return true;
    case SYM_CLASS_LINE:
      return sub == SYM_SUB_LINE || sub == SYM_SUB_LABEL || sub == SYM_SUB_FN || sub == SYM_SUB_FN_STR ||
             sub == SYM_SUB_SUB;
    case SYM_CLASS_STRING:
    case SYM_CLASS_NUMERIC: return sub >= 0 && sub <= CG_MAX_DIMS;
    case SYM_CLASS_STRUCT: return sub >= 0 && sub <= 7;
    default: return false;
  }
}

}  // namespace

// ---- line state ---------------------------------------------------------

void cg_line_reset(CompileContext* cc) {
  CgState& s = st(cc);
  s.code.clear();
  s.tmpsyms.clear();
  s.newsyms.clear();
  s.elements.clear();
  s.op_count = 0;
  s.counts.clear();
  s.mark = -1;
  s.seg = nullptr;
  s.new_segment = false;
}

void cg_reset(CompileContext* cc) {
  CgState& s = st(cc);
  s.counts.clear();
  s.elements.clear();
  s.op_count = 0;
}

// ---- emission -----------------------------------------------------------

void cg_emit(CompileContext* cc, uint32_t word) {
  CG_ASSERT((word & ~(CG_TMPSYM_BIT | CW_WORD_MASK)) == 0);
  CgState& s = st(cc);
  if (s.code.size() >= CG_MAX_CODE) fail(cc, "CG-CODE OVERFLOW");
  s.code.push_back(word);
}

void cg_keyword(CompileContext* cc, bool operation, uint16_t code) {
  if (code & CW_EXTENSION_BIT) cg_emit(cc, operation ? CW_OP_PREFIX : CW_STMT_PREFIX);
  cg_emit(cc, code);
}

void cg_mark(CompileContext* cc, uint32_t word) {
  cg_emit(cc, word);
  st(cc).mark = static_cast<int>(st(cc).code.size()) - 1;
}

void cg_mark_inc(CompileContext* cc) {
  CgState& s = st(cc);
  CG_ASSERT(s.mark >= 0 && static_cast<size_t>(s.mark) < s.code.size());
  s.code[s.mark] = (s.code[s.mark] + 1) & CW_WORD_MASK;
}

void cg_mark_len(CompileContext* cc) {
  CgState& s = st(cc);
  CG_ASSERT(s.mark >= 0 && static_cast<size_t>(s.mark) < s.code.size());
  s.code[s.mark] = (s.code[s.mark] + static_cast<uint32_t>(s.code.size() - s.mark)) & CW_WORD_MASK;
}

void cg_mark_set(CompileContext* cc, uint32_t word) {
  CgState& s = st(cc);
  CG_ASSERT(s.mark >= 0 && static_cast<size_t>(s.mark) < s.code.size());
  CG_ASSERT((word & ~(CG_TMPSYM_BIT | CW_WORD_MASK)) == 0);
  s.code[s.mark] = word;
}

void cg_string(CompileContext* cc, const char* text, size_t length) {
  if (length > CG_MAX_STRING) fail(cc, "STRING CONSTANT TOO LONG");
  cg_emit(cc, CW_STRING | static_cast<uint32_t>(length));
  for (size_t i = 0; i < length; i += 2) {
    uint32_t hi = static_cast<uint8_t>(text[i]);
    uint32_t lo = i + 1 < length ? static_cast<uint8_t>(text[i + 1]) : 0;
    cg_emit(cc, hi << 8 | lo);
  }
}

void cg_comment(CompileContext* cc, int column, const char* text, size_t length) {
  if (column < 0 || column >= 256) fail(cc, "BAD COMMENT POSITION");
  if (length >= 256) fail(cc, "COMMENT TOO LONG");
  cg_string(cc, text, length);
  cg_emit(cc, static_cast<uint32_t>(column));
}

void cg_set_stmt(CompileContext* cc, uint16_t code) {
  CgState& s = st(cc);
  size_t i = 2;
  CG_ASSERT(s.code.size() > i);
  if (s.code[i] & (CG_TMPSYM_BIT | CW_SYMBOL_REF)) ++i;  // label reference
  CG_ASSERT(s.code.size() > i);
  bool prefixed = s.code[i] == CW_STMT_PREFIX;
  if (prefixed) ++i;
  CG_ASSERT(s.code.size() > i);
  CG_ASSERT(prefixed == ((code & CW_EXTENSION_BIT) != 0));
  s.code[i] = code;
}

// ---- elements -----------------------------------------------------------

void cg_push_symbol(CompileContext* cc, int kind, int subtype, const char* name) {
  CG_ASSERT(kind == CGE_NUMVAR || kind == CGE_STRVAR || kind == CGE_STRUCT);
  CG_ASSERT(name != nullptr);
  size_t len = std::strlen(name);
  if (len > static_cast<size_t>(MAX_SYMBOL_NAME)) fail(cc, "SYMBOL TOO LONG");
  static_assert(MAX_SYMBOL_NAME < CG_NAME_ROOM, "a name fits an element");
  CgElement& e = new_element(cc);
  e.kind = kind;
  e.subtype = subtype;
  std::memcpy(e.name, name, len);
  e.name[len] = '\0';
}

void cg_push_string(CompileContext* cc, const char* text, size_t length) {
  if (length > CG_MAX_STRING) fail(cc, "STRING CONSTANT TOO LONG");
  CgElement& e = new_element(cc);
  e.kind = CGE_STRING;
  e.text = text;
  e.length = length;
}

void cg_push_int(CompileContext* cc, long value) {
  CG_ASSERT(value >= INT32_MIN && value <= INT32_MAX);
  // Small integers (subscripts, counts, line numbers) come again and again:
  // each one's packed form is made once per thread.
  constexpr long kKeptInts = 1024;
  thread_local uint8_t kept[kKeptInts][PROG_PACKED_SIZE];
  thread_local bool made[kKeptInts];
  uint8_t packed[PROG_PACKED_SIZE];
  uint8_t* form = value >= 0 && value < kKeptInts ? kept[value] : packed;
  if (form == packed || !made[value]) {
    dec_number num;
    math_from_int(static_cast<int32_t>(value), &num);
    prog_pack_number(&num, form);
    if (form != packed) made[value] = true;
  }
  cg_push_const(cc, form);
}

void cg_push_const(CompileContext* cc, const uint8_t* packed) {
  CgElement& e = new_element(cc);
  e.kind = CGE_NUMBER;
  std::memcpy(e.packed, packed, PROG_PACKED_SIZE);
}

void cg_dump(CompileContext* cc, int n, int w, unsigned op, ...) {
  CG_ASSERT(w >= 1 && w <= CG_MAX_CODE);
  uint32_t extra[CG_MAX_CODE];
  va_list ap;
  va_start(ap, op);
  for (int i = 0; i < w - 1; ++i) extra[i] = va_arg(ap, unsigned int);
  va_end(ap);
  dump(cc, n, 0, false, static_cast<uint16_t>(op), extra, w - 1);
}

void cg_dump2(CompileContext* cc, int n, int m, int w, unsigned op, ...) {
  CG_ASSERT(w >= 1 && w <= CG_MAX_CODE);
  uint32_t extra[CG_MAX_CODE];
  va_list ap;
  va_start(ap, op);
  for (int i = 0; i < w - 1; ++i) extra[i] = va_arg(ap, unsigned int);
  va_end(ap);
  dump(cc, n, m, true, static_cast<uint16_t>(op), extra, w - 1);
}

void cg_dump_words(CompileContext* cc, int n, uint16_t op, const uint32_t* extra, int nextra) {
  dump(cc, n, 0, false, op, extra, nextra);
}

void cg_dump2_words(CompileContext* cc, int n, int m, uint16_t op, const uint32_t* extra, int nextra) {
  dump(cc, n, m, true, op, extra, nextra);
}

void cg_drop(CompileContext* cc) {
  CG_ASSERT(!st(cc).elements.empty());
  st(cc).elements.pop_back();
}

// ---- fix-ups ------------------------------------------------------------

void cg_fix_expr(CompileContext* cc) {
  CG_ASSERT(st(cc).elements.size() == 1);
  switch (top_element(cc).kind) {
    case CGE_NUMBER:
    case CGE_NUMVAR: wrap(cc, CW_NUM_VALUE); break;
    case CGE_OPERATION: break;
    default: internal_check_failed("codegen", "illegal element kind in expression", __LINE__);
  }
}

void cg_fix_pexpr(CompileContext* cc) {
  CG_ASSERT(st(cc).elements.size() == 1);
  CgElement& e = top_element(cc);
  switch (e.kind) {
    case CGE_OPERATION:
      if (op_word(cc, e) == CW_NUM_SUBSCRIPT) set_op_word(cc, e, CW_NUM_SUBSCRIPT_USE);
      break;
    case CGE_NUMBER: wrap(cc, CW_NUM_VALUE); break;
    case CGE_NUMVAR: wrap(cc, CW_NUM_TARGET); break;
    default: internal_check_failed("codegen", "illegal element kind in expression", __LINE__);
  }
}

void cg_fix_sexpr(CompileContext* cc) {
  CG_ASSERT(st(cc).elements.size() == 1);
  switch (top_element(cc).kind) {
    case CGE_STRVAR: wrap(cc, CW_STR_VAR); break;
    case CGE_OPERATION:
    case CGE_STRING: break;
    default: internal_check_failed("codegen", "illegal element kind in string expression", __LINE__);
  }
}

void cg_fix_call_expr(CompileContext* cc, bool by_reference) {
  CgElement& e = top_element(cc);
  switch (e.kind) {
    case CGE_NUMBER: break;
    case CGE_NUMVAR:
      if (by_reference) wrap(cc, CW_NUM_VAR_ARG);
      break;
    case CGE_OPERATION: {
      uint16_t w = op_word(cc, e);
      if (w == CW_NUM_SUBSCRIPT)
        set_op_word(cc, e, by_reference ? CW_NUM_SUBSCRIPT_ARG : CW_NUM_SUBSCRIPT_USE);
      else if (w == CW_MEMBER && by_reference)
        wrap(cc, CW_NUM_VAR_ARG);
      break;
    }
    default: internal_check_failed("codegen", "illegal element kind in argument", __LINE__);
  }
}

void cg_fix_call_sexpr(CompileContext* cc, bool by_reference) {
  CgElement& e = top_element(cc);
  switch (e.kind) {
    case CGE_STRING: break;
    case CGE_STRVAR:
      if (by_reference) wrap(cc, CW_STR_VAR_ARG);
      break;
    case CGE_OPERATION: {
      uint16_t w = op_word(cc, e);
      if (w == CW_SUBSTRING || w == CW_SUBSCRIPT_SUBSTRING ||
          (by_reference && (w == CW_STR_SUBSCRIPT || w == CW_MEMBER)))
        wrap(cc, CW_STR_VAR_ARG);
      break;
    }
    default: internal_check_failed("codegen", "illegal element kind in string argument", __LINE__);
  }
}

void cg_fix_let_expr(CompileContext* cc) {
  CgState& s = st(cc);
  CG_ASSERT(s.elements.size() >= 2);
  CgElement& target = s.elements[s.elements.size() - 2];
  switch (target.kind) {
    case CGE_NUMVAR: break;
    case CGE_OPERATION:
      if (op_word(cc, target) == CW_NUM_SUBSCRIPT) set_op_word(cc, target, CW_NUM_SUBSCRIPT_USE);
      break;
    default: internal_check_failed("codegen", "illegal assignment target", __LINE__);
  }
}

// ---- counters -----------------------------------------------------------

void cg_count_push(CompileContext* cc) {
  if (st(cc).counts.size() >= CG_MAX_COUNTS) fail(cc, "CG-COUNT OVERFLOW");
  st(cc).counts.push_back(0);
}

int cg_count_inc(CompileContext* cc) {
  if (st(cc).counts.empty()) fail(cc, "CG-COUNT INVALID");
  return ++st(cc).counts.back();
}

int cg_count_pop(CompileContext* cc) {
  if (st(cc).counts.empty()) fail(cc, "CG-COUNT UNDERFLOW");
  int n = st(cc).counts.back();
  st(cc).counts.pop_back();
  return n;
}

// ---- symbols ------------------------------------------------------------

uint32_t cg_add_tmpsym(CompileContext* cc, int cls, int subtype, const uint8_t* packed, int lineno, const char* name) {
  CG_ASSERT(tmpsym_class_ok(cls, subtype));
  CgState& s = st(cc);
  if (s.tmpsyms.size() >= CG_MAX_TMPSYMS) fail(cc, "TOO MUCH SYMBOLS");
  const bool named = cls != SYM_CLASS_CONST && !(cls == SYM_CLASS_LINE && subtype == SYM_SUB_LINE);
  size_t len = 0;
  if (named) {
    CG_ASSERT(name != nullptr);
    len = std::strlen(name);
    if (len > static_cast<size_t>(MAX_SYMBOL_NAME)) fail(cc, "SYMBOL TOO LONG");
  }
  CgTmpSym& t = s.tmpsyms.add();
  t.cls = cls;
  t.subtype = subtype;
  if (cls == SYM_CLASS_CONST) {
    CG_ASSERT(packed != nullptr);
    std::memcpy(t.packed, packed, PROG_PACKED_SIZE);
  } else if (!named) {
    CG_ASSERT(lineno >= 0 && lineno <= PROG_MAX_LINE);
    t.lineno = lineno;
  } else {
    std::memcpy(t.name, name, len);
    t.name[len] = '\0';
    t.name_len = static_cast<int>(len);
  }
  t.keyed = prog_symbol_key(tmpsym_ref(t), &t.key);
  return CG_TMPSYM_BIT | static_cast<uint32_t>(s.tmpsyms.size() - 1);
}

uint32_t cg_tmpsym_line(CompileContext* cc, int lineno) {
  return cg_add_tmpsym(cc, SYM_CLASS_LINE, SYM_SUB_LINE, nullptr, lineno, nullptr);
}
uint32_t cg_tmpsym_label(CompileContext* cc, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_LINE, SYM_SUB_LABEL, nullptr, 0, name);
}
uint32_t cg_tmpsym_fn(CompileContext* cc, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_LINE, SYM_SUB_FN, nullptr, 0, name);
}
uint32_t cg_tmpsym_fn_str(CompileContext* cc, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_LINE, SYM_SUB_FN_STR, nullptr, 0, name);
}
uint32_t cg_tmpsym_sub(CompileContext* cc, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_LINE, SYM_SUB_SUB, nullptr, 0, name);
}
uint32_t cg_tmpsym_class4(CompileContext* cc, int dims, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_STRING, dims, nullptr, 0, name);
}
uint32_t cg_tmpsym_class5(CompileContext* cc, int dims, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_NUMERIC, dims, nullptr, 0, name);
}
uint32_t cg_tmpsym_struct(CompileContext* cc, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_STRUCT, 0, nullptr, 0, name);
}
uint32_t cg_tmpsym_struct_sub(CompileContext* cc, int subtype, const char* name) {
  return cg_add_tmpsym(cc, SYM_CLASS_STRUCT, subtype, nullptr, 0, name);
}
uint32_t cg_tmpsym_const(CompileContext* cc, const uint8_t* packed) {
  return cg_add_tmpsym(cc, SYM_CLASS_CONST, 0, packed, 0, nullptr);
}

uint16_t cg_addsymbol(CompileContext* cc, int index) {
  CgState& s = st(cc);
  if (!(index >= 0 && static_cast<size_t>(index) < s.tmpsyms.size()))
    internal_check_failed("codegen", "idx < tmp_symcnt", __LINE__);
  const CgTmpSym& t = s.tmpsyms[index];
  ProgSymbolRef ref = tmpsym_ref(t);
  size_t base = 0;
  if (s.seg != nullptr) {
    long off = t.keyed ? progseg_find_key(s.seg, t.key) : -1;
    if (off >= 0) return static_cast<uint16_t>(CW_SYMBOL_REF | static_cast<uint32_t>(off));
    base = s.seg->symbols.size();
  }
  long off = prog_find_symbol_words(s.newsyms.data(), s.newsyms.size(), ref);
  if (off < 0) {
    off = static_cast<long>(s.newsyms.size());
    if (!prog_symbol_entry(ref, &s.newsyms)) internal_check_failed("codegen", "illegal symbol class", __LINE__);
  }
  size_t total = base + static_cast<size_t>(off);
  // A reference has 15 bits for the offset; a table that full is refused
  // rather than wrapped.
  if (total > CW_OFFSET_MASK) cg_error(cc, 0, "Symbol table size exceeds maximum");
  return static_cast<uint16_t>(CW_SYMBOL_REF | total);
}

uint16_t cg_find_symbol(CompileContext* cc, const uint16_t* words, size_t size, int index) {
  CgState& s = st(cc);
  if (!(index >= 0 && static_cast<size_t>(index) < s.tmpsyms.size()))
    internal_check_failed("codegen", "idx < tmp_symcnt", __LINE__);
  long off = prog_find_symbol_words(words, size, tmpsym_ref(s.tmpsyms[index]));
  if (off < 0 || off > static_cast<int>(CW_OFFSET_MASK)) return 0;
  return static_cast<uint16_t>(CW_SYMBOL_REF | static_cast<uint32_t>(off));
}

// ---- checks and segment state -------------------------------------------

void cg_check_dims(CompileContext* cc, int count) {
  if (!(count > 0)) internal_check_failed("codegen", "cnt > 0", __LINE__);
  if (count > CG_MAX_DIMS) fail(cc, "TOO MANY DIMENSIONS");
}

bool cg_in_root(CompileContext* cc) { return st(cc).seg != nullptr && st(cc).seg == cc->prog.root; }

void cg_new_segment(CompileContext* cc) { st(cc).new_segment = true; }

namespace {

// The line that defines a label in one segment, or -1: the label's entry
// holds the position of its line in the address word, and that line carries
// a label word referring back to the entry.
int label_line_in(ProgSegment* seg, const ProgSymbolRef& ref) {
  long off = progseg_find_symbol(seg, ref);
  if (off < 0) return -1;
  uint16_t addr = seg->symbols[static_cast<size_t>(off)];
  if (addr == CW_SYM_UNPLACED) return -1;
  const auto& code = seg->code;
  if (static_cast<size_t>(addr) + 3 > code.size() || !progseg_is_line_start(seg, addr)) return -1;
  if ((code[addr + 1] & CW_LINE_WORDS_MASK) < 3 || code[addr + 2] != (CW_SYMBOL_REF | off)) return -1;
  return code[addr] & CW_LINE_NUMBER_MASK;
}

}  // namespace

int cg_label_line(CompileContext* cc, const char* name) {
  CG_ASSERT(name != nullptr);
  size_t len = std::strlen(name);
  if (len > static_cast<size_t>(MAX_SYMBOL_NAME)) fail(cc, "LABEL NOT FOUND");
  ProgSymbolRef ref;
  ref.cls = SYM_CLASS_LINE;
  ref.subtype = SYM_SUB_LABEL;
  ref.name = name;
  ref.name_len = static_cast<int>(len);
  ProgSegment* cur = st(cc).seg;
  if (cur != nullptr && cur != cc->prog.root) {
    int n = label_line_in(cur, ref);
    if (n >= 0) return n;
  }
  for (ProgSegment* seg = cc->prog.root; seg != nullptr; seg = seg->next) {
    int n = label_line_in(seg, ref);
    if (n >= 0) return n;
  }
  fail(cc, "LABEL NOT FOUND");
}

// ---- finishing ----------------------------------------------------------

void cg_finish_line(CompileContext* cc, std::vector<uint16_t>* out) {
  CgState& s = st(cc);
  CG_ASSERT(s.code.size() >= 2 && s.code.size() <= CG_MAX_CODE);
  if (cc->debug) {
    std::string text;
    char buf[16];
    for (uint32_t w : s.code) {
      if (w & CG_TMPSYM_BIT)
        std::snprintf(buf, sizeof buf, "S#%02u ", static_cast<unsigned>(w & CW_WORD_MASK));
      else
        std::snprintf(buf, sizeof buf, "%04x ", static_cast<unsigned>(w));
      text += buf;
    }
    text += "\n";
    cc_debug(cc, "%s", text.c_str());
  }
  out->resize(s.code.size());
  for (size_t i = 0; i < s.code.size(); ++i) {
    const uint32_t w = s.code[i];
    (*out)[i] = w & CG_TMPSYM_BIT ? cg_addsymbol(cc, static_cast<int>(w & CW_WORD_MASK)) : static_cast<uint16_t>(w);
  }
  uint16_t count = static_cast<uint16_t>(out->size());
  (*out)[1] = static_cast<uint16_t>(((*out)[1] & ~CW_LINE_WORDS_MASK) | (((*out)[1] + count) & CW_LINE_WORDS_MASK));
  if (cc->debug) {
    std::string text;
    char buf[16];
    for (uint16_t w : *out) {
      std::snprintf(buf, sizeof buf, "%04x ", static_cast<unsigned>(w));
      text += buf;
    }
    text += "\n";
    cc_debug(cc, "%s", text.c_str());
  }
}
