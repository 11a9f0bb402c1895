// The lister: stored program lines back into source text.
//
// A line is read with a cursor over its words that never passes the line's
// end; any word that does not fit what the position allows ends the line
// with a listing error (shown in the text) instead of reading on. Texts grow
// only up to their fixed limits, checked before every append.
#include "language/lister.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "language/charset.h"
#include "language/codewords.h"
#include "language/internal_check.h"
#include "language/keywords.h"
#include "language/progseg.h"

using namespace ptok;

namespace {

struct ListFail {
  int code;
};

[[noreturn]] void fail(int code) { throw ListFail{code}; }

// ---- output ---------------------------------------------------------------

// `text` is taken whole: a raw text may hold NUL bytes.
void wrap(const ListOptions& o, std::string_view text, int kind, std::string* out, size_t* markup) {
  if (kind < 0 || kind > LIST_CTRL_OTHER) {
    internal_check_failed("list", "do_str: iilegal ListCtrlOp", __LINE__);
  }
  if (text.empty()) return;
  const char* start = o.set[1 + 2 * kind] ? o.table[1 + 2 * kind] : nullptr;
  const char* end = o.set[2 + 2 * kind] ? o.table[2 + 2 * kind] : nullptr;
  if (start && !end && o.set[0]) end = o.table[0];
  if (start) {
    *out += start;
    if (markup) *markup += std::strlen(start);
  }
  *out += text;
  if (end) {
    *out += end;
    if (markup) *markup += std::strlen(end);
  }
}

void put(ListContext* lc, std::string_view text, int kind) {
  std::string piece;
  size_t markup = 0;
  wrap(lc->options, text, kind, &piece, &markup);
  if (lc->buf.size() + piece.size() >= LIST_LINE_MAX) fail(LIST_ERR_UNDECODABLE);
  lc->buf += piece;
  lc->markup_bytes += markup;
}

void put_raw(ListContext* lc, const std::string& text) {
  if (lc->buf.size() + text.size() >= LIST_LINE_MAX) fail(LIST_ERR_UNDECODABLE);
  lc->buf += text;
}

size_t visible(const ListContext* lc) { return lc->buf.size() - lc->markup_bytes; }

void pad_to(ListContext* lc, int column) {
  while (static_cast<int>(visible(lc)) < column - 1) put_raw(lc, " ");
}

std::string marked(ListContext* lc, const char* text, int kind) {
  std::string s;
  wrap(lc->options, text ? text : "", kind, &s, &lc->markup_bytes);
  return s;
}

// ---- the word cursor ------------------------------------------------------

bool at_end(const ListContext* lc) { return lc->codep >= lc->endp; }

uint16_t peek(const ListContext* lc) {
  if (at_end(lc)) fail(LIST_ERR_UNDECODABLE);
  return *lc->codep;
}

uint16_t next(ListContext* lc) {
  if (at_end(lc)) fail(LIST_ERR_UNDECODABLE);
  return *lc->codep++;
}

bool is_symbol(uint16_t w) { return cw_is_symbol_ref(w); }
bool is_string(uint16_t w) { return cw_is_string(w); }
bool is_op_ref(uint16_t w) {
  return w >= CW_OP_RESULT_BASE && w < CW_OP_RESULT_BASE + 4 * CW_MAX_OPERATIONS && (w - CW_OP_RESULT_BASE) % 4 == 0;
}

// The characters of a string word (the cursor stands on its length word).
std::string read_chars(ListContext* lc) {
  uint16_t w = next(lc);
  if (!is_string(w)) fail(LIST_ERR_UNDECODABLE);
  size_t n = w & CW_LENGTH_MASK;
  size_t words = (n + 1) / 2;
  if (static_cast<size_t>(lc->endp - lc->codep) < words) fail(LIST_ERR_UNDECODABLE);
  std::string s;
  s.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    uint16_t cw = lc->codep[i / 2];
    s += static_cast<char>(i % 2 == 0 ? cw >> 8 : static_cast<uint8_t>(cw));
  }
  lc->codep += words;
  return s;
}

// A raw text: the characters, then the column it starts at. Every stored
// character is listed, a NUL byte too, so that the line stores back.
void list_raw_text(ListContext* lc) {
  std::string s = read_chars(lc);
  uint16_t column = next(lc);
  pad_to(lc, column);
  put(lc, s, LIST_CTRL_COMMENT);
}

// A string constant in quotes; NUL bytes become CHR$(0) joined by "&".
std::string string_constant(ListContext* lc) {
  std::string s = read_chars(lc);
  if (s.empty()) return marked(lc, "\"\"", LIST_CTRL_STRING);
  std::string out;
  size_t i = 0;
  bool first = true;
  while (i < s.size()) {
    if (!first) out += marked(lc, "&", LIST_CTRL_OPERATOR);
    first = false;
    if (s[i] == '\0') {
      out += marked(lc, "CHR$", LIST_CTRL_FUNCTION);
      out += "(" + marked(lc, "0", LIST_CTRL_NUMBER) + ")";
      ++i;
      continue;
    }
    size_t j = s.find('\0', i);
    if (j == std::string::npos) j = s.size();
    std::string part = "\"" + s.substr(i, j - i) + "\"";
    out += marked(lc, part.c_str(), LIST_CTRL_STRING);
    i = j;
  }
  return out;
}

// ---- symbols --------------------------------------------------------------

int symbol_kind(ProgSegment* seg, uint16_t ref) {
  size_t off = ref & CW_OFFSET_MASK;
  if (off + 2 > seg->symbols.size()) fail(LIST_ERR_UNDECODABLE);
  uint16_t type = seg->symbols[off + 1];
  int cls = sym_type_class(type);
  int sub = sym_type_subtype(type);
  if (cls == SYM_CLASS_CONST) return LIST_CTRL_NUMBER;
  if (cls == SYM_CLASS_LINE) {
    if (sub == SYM_SUB_LINE) return LIST_CTRL_LINE;
    if (sub == SYM_SUB_LABEL) return LIST_CTRL_LABEL;
    return LIST_CTRL_NAME;
  }
  if (cls >= 3 && cls <= 8) return LIST_CTRL_VARIABLE;
  fail(LIST_ERR_UNDECODABLE);
}

// The symbol-name step: the marked-up name of a reference; *array tells
// whether it names an array or a structure.
std::string symbol(ListContext* lc, uint16_t ref, bool* array = nullptr) {
  if (!is_symbol(ref)) fail(LIST_ERR_UNDECODABLE);
  int kind = symbol_kind(lc->seg, ref);
  char name[64];
  int r = prog_symbol_text(lc->seg, ref, name, sizeof name);
  if (r < 0) fail(LIST_ERR_UNDECODABLE);
  if (lc->symbol_hook) lc->symbol_hook(lc->symbol_user, lc->seg, ref, name, lc->decl_mode);
  if (array) {
    size_t off = ref & CW_OFFSET_MASK;
    uint16_t type = lc->seg->symbols[off + 1];
    int cls = sym_type_class(type);
    *array = cls >= 3 && cls <= 7 && sym_type_subtype(type) != 0;
  }
  return marked(lc, name, kind);
}

// A reference that must name a symbol of class 1 or a variable.
std::string reference(ListContext* lc) { return symbol(lc, next(lc)); }

// ---- the expression stack -------------------------------------------------

void push(ListContext* lc, std::string text, int prec, bool is_op) {
  if (lc->stack.size() >= MAX_LSTACK) fail(LIST_ERR_UNDECODABLE);
  // Every text ends up in the line, so none may outgrow it. (A budget for
  // all texts together would refuse long but sound expressions, whose
  // inner texts are copied into the outer ones.)
  if (text.size() >= LIST_LINE_MAX) fail(LIST_ERR_UNDECODABLE);
  ListEntry e;
  e.prec = prec;
  e.text = std::move(text);
  lc->stack.push_back(std::move(e));
  if (is_op) {
    if (lc->ops.size() >= static_cast<size_t>(CW_MAX_OPERATIONS)) fail(LIST_ERR_UNDECODABLE);
    lc->ops.push_back(static_cast<int>(lc->stack.size() - 1));
  }
}

struct Operand {
  std::string text;
  int prec = 0;
  bool array = false;
};

// One operand word: a symbol, a string constant or an earlier operation.
Operand operand(ListContext* lc) {
  uint16_t w = peek(lc);
  Operand o;
  if (is_string(w)) {
    o.text = string_constant(lc);
    return o;
  }
  next(lc);
  if (is_symbol(w)) {
    o.text = symbol(lc, w, &o.array);
    return o;
  }
  if (!is_op_ref(w)) fail(LIST_ERR_UNDECODABLE);
  size_t k = (w - CW_OP_RESULT_BASE) / 4;
  if (k >= lc->ops.size()) fail(LIST_ERR_UNDECODABLE);
  ListEntry& e = lc->stack[static_cast<size_t>(lc->ops[k])];
  e.used = true;
  o.text = e.text;
  o.prec = e.prec;
  return o;
}

// Whether the word at the cursor is an operand word.
bool operand_follows(const ListContext* lc) {
  if (at_end(lc)) return false;
  uint16_t w = *lc->codep;
  return is_symbol(w) || (is_op_ref(w) && static_cast<size_t>((w - CW_OP_RESULT_BASE) / 4) < lc->ops.size());
}

std::string paren_if(const Operand& o, int a, bool right) {
  int p = o.prec;
  if (p != 0 && (p < a || (right && p <= a) || p == 3)) return "(" + o.text + ")";
  return o.text;
}

std::string number_text(ListContext* lc, long value) {
  char b[32];
  std::snprintf(b, sizeof b, "%ld", value);
  return marked(lc, b, LIST_CTRL_NUMBER);
}

// A list of n operands joined by ",", arrays with "(*)" when asked.
std::string operand_list(ListContext* lc, unsigned n, bool star_arrays) {
  std::string s;
  for (unsigned i = 0; i < n; ++i) {
    if (i) s += ",";
    Operand o = operand(lc);
    s += o.text;
    if (star_arrays && o.array) s += "(*)";
  }
  return s;
}

uint16_t code_at_cursor(ListContext* lc, const int* allowed, size_t nallowed) {
  uint16_t code = next(lc);
  if (code == CW_OP_PREFIX) {
    code = next(lc);
    if (!(code & CW_EXTENSION_BIT)) fail(LIST_ERR_UNDECODABLE);
    int module = kw_module(code);
    bool ok = false;
    for (size_t i = 0; i < nallowed; ++i) ok = ok || allowed[i] == module;
    if (!ok) fail(LIST_ERR_MISSING_MODULE);
  }
  return code;
}

const int kElementModules[] = {0, 1, 2, 3, 4, 5, 7, 9, 11, 12, 13, 17, 18, 21};
const int kStatementModules[] = {1, 2, 3, 4, 5, 7, 9, 10, 11, 12, 13, 17, 18, 21, 27};

// ---- elements -------------------------------------------------------------

bool is_function_row(const skeywd_row* row) {
  const skeywd_row* f = skeywd_table(SK_FUNCTIONS);
  return row >= f && row < f + SKEYWD_FUNCTION_ROWS;
}

// A built-in function: its arguments by its signature.
void list_function(ListContext* lc, const skeywd_row* row) {
  std::string s = marked(lc, row->name, LIST_CTRL_FUNCTION);
  switch (row->token) {
    case Rn__:
    case Rs__: break;
    case Rsx_:
      if (operand_follows(lc)) s += "(" + operand(lc).text + ")";
      break;
    case Rnn_:
    case Rns_:
    case Rss_:
    case Rsn_:
    case RsA_: s += "(" + operand(lc).text + ")"; break;
    case Rnss:
    case Rssn: {
      std::string a = operand(lc).text;
      std::string b = operand(lc).text;
      s += "(" + a + "," + b + ")";
      break;
    }
    case Rnnn: {
      uint16_t n = next(lc);
      if (n > 20) fail(LIST_ERR_UNDECODABLE);
      s += "(" + operand_list(lc, n, false) + ")";
      break;
    }
    case Rfn: {
      uint16_t w = next(lc);
      uint16_t n = next(lc);
      if (n > 20) fail(LIST_ERR_UNDECODABLE);
      lc->decl_mode = lc->decl_mode == LIST_DECL_NAME ? LIST_DECL_NONE : lc->decl_mode;
      s += symbol(lc, w);
      if (n) s += "(" + operand_list(lc, n, true) + ")";
      break;
    }
    case Rna_:
    case Rsi_: s += "(" + reference(lc) + ")"; break;
    case Rnaa: {
      std::string a = reference(lc);
      std::string b = reference(lc);
      s += "(" + a + "," + b + ")";
      break;
    }
    default:
      put(lc, row->name, LIST_CTRL_OTHER);
      put_raw(lc, " <74ff>");
      fail(LIST_ERR_UNSUPPORTED);
  }
  push(lc, std::move(s), 0, true);
}

int binary_prec(list_handler h) {
  switch (h) {
    case LE_BINARY_7: return 7;
    case LE_BINARY_5: return 5;
    case LE_BINARY_4: return 4;
    case LE_BINARY_3: return 3;
    case LE_BINARY_2: return 2;
    case LE_BINARY_1: return 1;
    default: return 0;
  }
}

// The pending delimiter ends the expression.
bool set_delim(ListContext* lc, const char* text, int kind) {
  lc->delim = marked(lc, text, kind);
  lc->delim_kind = kind;
  return true;
}

// Whether a text ends with a string constant: its closing quote, then the
// end markup of string constants.
bool ends_with_string_constant(const ListOptions& o, const std::string& text) {
  std::string quote;
  wrap(o, "\"", LIST_CTRL_STRING, &quote, nullptr);
  const char* start = o.set[1 + 2 * LIST_CTRL_STRING] ? o.table[1 + 2 * LIST_CTRL_STRING] : nullptr;
  std::string tail = quote.substr(start ? std::strlen(start) : 0);
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The name of a DLG CALL function or method stands right before the "(" of
// its arguments. Unless it ends with a string constant, that "(" would read
// as its subscript (A$(X)) or not at all (DATE$(X)), so the name goes in
// parentheses of its own.
void enclose_call_name(ListContext* lc) {
  for (size_t i = lc->stack.size(); i-- > 0;) {
    ListEntry& e = lc->stack[i];
    if (e.used) continue;
    if (!e.text.empty() && !ends_with_string_constant(lc->options, e.text)) {
      if (e.text.size() + 2 >= LIST_LINE_MAX) fail(LIST_ERR_UNDECODABLE);
      e.text = "(" + e.text + ")";
    }
    return;
  }
}

// One element of the secondary tables. True when it ends the expression.
bool list_element(ListContext* lc, uint16_t code) {
  const skeywd_row* row = skeywd_lookup(code);
  if (!row) fail(LIST_ERR_UNDECODABLE);
  if (is_function_row(row)) {
    list_function(lc, row);
    return false;
  }
  const char* text = row->name;
  switch (code) {
    // Operand forms without a text of their own.
    case CW_STR_LITERAL:
    case CW_NUM_VALUE:
    case CW_NUM_TARGET:
    case CW_STR_VAR: {
      Operand o = operand(lc);
      push(lc, o.text, o.prec, true);
      return false;
    }
    case CW_NUM_VAR_ARG:
    case CW_STR_VAR_ARG: {
      Operand o = operand(lc);
      push(lc, "(" + o.text + ")", 0, true);
      return false;
    }
    // Subscripted variables: the variable, the count, the subscripts.
    case CW_NUM_SUBSCRIPT:
    case CW_NUM_SUBSCRIPT_USE:
    case CW_STR_SUBSCRIPT:
    case CW_NUM_SUBSCRIPT_ARG: {
      Operand base = operand(lc);
      uint16_t n = next(lc);
      if (n < 1 || n > 6) fail(LIST_ERR_UNDECODABLE);
      std::string s = base.text + "(" + operand_list(lc, n, false) + ")";
      if (code == CW_NUM_SUBSCRIPT_ARG) s = "(" + s + ")";
      push(lc, std::move(s), 0, true);
      return false;
    }
    case CW_SUBSTRING:
    case CW_SUBSCRIPT_SUBSTRING: {
      std::string base = operand(lc).text;
      std::string sub = operand(lc).text;
      push(lc, base + sub, 0, true);
      return false;
    }
    case CW_SUBSTR_ONE: push(lc, "[" + operand(lc).text + "]", 0, true); return false;
    case CW_SUBSTR_FROM_TO:
    case CW_SUBSTR_FROM_LEN: {
      std::string a = operand(lc).text;
      std::string b = operand(lc).text;
      push(lc, "[" + a + (code == CW_SUBSTR_FROM_TO ? "," : ";") + b + "]", 0, true);
      return false;
    }
    case CW_MAT_NUM_ENTRY:
    case CW_MAT_STR_ENTRY: {
      std::string s = operand(lc).text;
      if (lc->statement_kind != LH_MAT_IO) s += "(*)";
      push(lc, std::move(s), 0, true);
      return false;
    }
    case CW_MEMBER: {
      std::string a = operand(lc).text;
      std::string b = operand(lc).text;
      push(lc, a + marked(lc, ".", LIST_CTRL_OPERATOR) + b, 0, true);
      return false;
    }
    case CW_STRUCT_LET: {
      std::string a = operand(lc).text;
      std::string b = operand(lc).text;
      push(lc, marked(lc, "STRUCT ", LIST_CTRL_OPERATOR) + a + marked(lc, "=", LIST_CTRL_OPERATOR) + b, 0, true);
      return false;
    }
    case CW_STRUCT: push(lc, marked(lc, "STRUCT ", LIST_CTRL_OPERATOR) + operand(lc).text, 0, true); return false;
    case CW_STRUCT_ARG:
      push(lc, "(" + marked(lc, "STRUCT ", LIST_CTRL_OPERATOR) + operand(lc).text + ")", 0, true);
      return false;
    case CW_CALL: {
      uint16_t w = next(lc);
      uint16_t n = next(lc);
      if (n > 60) fail(LIST_ERR_UNDECODABLE);
      std::string s = symbol(lc, w);
      if (n) s += "(" + operand_list(lc, n, true) + ")";
      push(lc, std::move(s), 0, true);
      return false;
    }
    case CW_FILE_NUMBER:
    case CW_FN_VALUE: {
      Operand o = operand(lc);
      push(lc, marked(lc, text, LIST_CTRL_OPERATOR) + paren_if(o, 0, true), 0, true);
      return false;
    }
    // Words followed by a plain number.
    case CW_START_LABEL: {
      uint16_t w = next(lc);
      push(lc, is_symbol(w) ? symbol(lc, w) : number_text(lc, w), 0, false);
      return false;
    }
    case CW_CASE_NEGATIVE: push(lc, number_text(lc, static_cast<int16_t>(next(lc))), 0, false); return false;
    case CW_HASH:
    case CW_FILE_PARAM:
    case CW_DSET_SKIP:
      push(lc, marked(lc, text, LIST_CTRL_KEYWORD) + number_text(lc, next(lc)), 0, false);
      return false;
    case CW_DECL_LENGTH:
      push(lc, marked(lc, "[", LIST_CTRL_KEYWORD) + number_text(lc, next(lc)) + marked(lc, "]", LIST_CTRL_KEYWORD), 0,
           false);
      return false;
    case CW_PACK_SKIP: {
      // "nX" of PACKFMT: the count is stored after the word.
      std::string n = number_text(lc, next(lc));
      push(lc, n + marked(lc, text, LIST_CTRL_KEYWORD), 0, false);
      return false;
    }
    case CW_AS:
    case CW_TYPE_COLON: {
      std::string name = reference(lc);
      int mode = lc->decl_mode;
      lc->decl_mode = LIST_DECL_NONE;
      std::string type = reference(lc);
      lc->decl_mode = mode;
      push(lc, name + marked(lc, text, LIST_CTRL_KEYWORD) + type, 0, false);
      return false;
    }
    case CW_DSET_DEFINE_TYPE:
    case CW_DSET_EXPORT_TYPE: {
      // DEFINE TYPE / EXPORT TYPE of IN DATA SET: the type, maybe EXTENDS another.
      std::string s = marked(lc, text, LIST_CTRL_KEYWORD) + reference(lc);
      if (!at_end(lc) && peek(lc) == CW_DSET_EXTENDS) {
        next(lc);
        s += marked(lc, " EXTENDS ", LIST_CTRL_KEYWORD) + reference(lc);
      }
      push(lc, std::move(s), 0, false);
      return false;
    }
    case CW_COM_STRING: return false;
    // LINK between the items of a thread list, and IN COM and USE after the
    // data set of IN DATA SET, continue the expression: the operations after
    // them are numbered on from those before them.
    case CW_LINK:
    case CW_DSET_IN_COM:
    case CW_DSET_USE: push(lc, marked(lc, text, LIST_CTRL_KEYWORD), 0, false); return false;
    // Jumps of ON ... GOTO/GOSUB (counted) and of interrupt branches (one).
    case CW_BRANCH_GOTO:
    case CW_BRANCH_GOSUB: {
      uint16_t n = next(lc);
      std::string s = marked(lc, text, LIST_CTRL_KEYWORD);
      for (unsigned i = 0; i < n; ++i) {
        if (i) s += ",";
        s += reference(lc);
      }
      push(lc, std::move(s), 0, false);
      return false;
    }
    case CW_ON_GOTO:
    case CW_ON_GOSUB:
    case CW_ON_CALL: push(lc, marked(lc, text, LIST_CTRL_KEYWORD) + reference(lc), 0, false); return false;
    default: break;
  }
  switch (row->handler) {
    case LE_END_OF_LINE: lc->statement_ended = true; return true;
    case LE_DELIMITER: return set_delim(lc, text, LIST_CTRL_KEYWORD);
    case LE_BINARY_7:
    case LE_BINARY_5:
    case LE_BINARY_4:
    case LE_BINARY_3:
    case LE_BINARY_2:
    case LE_BINARY_1:
    case LE_BINARY_0: {
      int a = binary_prec(row->handler);
      Operand l = operand(lc);
      Operand r = operand(lc);
      // Concatenation chains group to the right when read back, so a
      // concatenation on the left keeps its parentheses as well.
      bool left_grouped = code == CW_CONCAT;
      push(lc, paren_if(l, a, left_grouped) + marked(lc, text, LIST_CTRL_OPERATOR) + paren_if(r, a, true), a, true);
      return false;
    }
    case LE_UNARY_6:
    case LE_UNARY_0: {
      int a = row->handler == LE_UNARY_6 ? 6 : 0;
      if (code == CW_CASE_LT || code == CW_CASE_GT) {
        push(lc, marked(lc, text, LIST_CTRL_OPERATOR), 0, false);
        return false;
      }
      Operand o = operand(lc);
      push(lc, marked(lc, text, LIST_CTRL_OPERATOR) + paren_if(o, a, true), a, true);
      return false;
    }
    case LE_PRINT_FUNCTION: {
      push(lc, marked(lc, text, LIST_CTRL_FUNCTION), 0, false);
      lc->stack.back().wraps_next = true;
      lc->stack.back().paren_arg =
          !(code == CW_CURSOR_IF_FILE || code == CW_CURSOR_OF_FILE || code == CW_CURSOR_CF_FILE);
      return false;
    }
    case LE_CONSTANT_WORD:
    case LE_TYPE_WORD:
    case LE_SUBSCRIPT:
      if (code == CW_CALL_ARGS) enclose_call_name(lc);
      push(lc, marked(lc, text, LIST_CTRL_KEYWORD), 0, false);
      // Operations after a MAT redimension or DLG CALL argument "(" are numbered afresh.
      if (code == CW_REDIM_OPEN || code == CW_CALL_ARGS) lc->ops.clear();
      return false;
    default: fail(LIST_ERR_UNDECODABLE);
  }
}

// ---- expressions ----------------------------------------------------------

void start_expression(ListContext* lc) {
  lc->delim.clear();
  lc->delim_kind = LIST_CTRL_OTHER;
  lc->stack.clear();
  lc->ops.clear();
}

// Appends every entry that no later element consumed, in order; a print
// function takes the entry after it as its argument.
void finish_expression(ListContext* lc) {
  std::string out;
  bool after_ref = false;
  for (size_t i = 0; i < lc->stack.size(); ++i) {
    ListEntry& e = lc->stack[i];
    if (e.used) continue;
    // References of a line list follow each other without separators.
    if (after_ref && e.line_ref) out += ",";
    after_ref = e.line_ref;
    out += e.text;
    if (e.wraps_next) {
      size_t j = i + 1;
      while (j < lc->stack.size() && lc->stack[j].used) ++j;
      if (j < lc->stack.size()) {
        out += e.paren_arg ? "(" + lc->stack[j].text + ")" : lc->stack[j].text;
        lc->stack[j].used = true;
      }
    }
  }
  put_raw(lc, out);
  put_raw(lc, lc->delim);
  lc->delim.clear();
}

// Raw words that some statements place among their elements.
bool list_raw_word(ListContext* lc, uint16_t w) {
  if (is_symbol(w)) {
    int kind = symbol_kind(lc->seg, w);
    push(lc, symbol(lc, w), 0, false);
    lc->stack.back().line_ref = kind == LIST_CTRL_LINE || kind == LIST_CTRL_LABEL;
    return false;
  }
  if (w == 0 && (lc->statement_kind == LH_DECLARATION || lc->statement_kind == LH_NEW)) {
    push(lc, number_text(lc, static_cast<int16_t>(next(lc))), 0, false);
    return false;
  }
  if (w == CW_CHAR_HASH && lc->statement_kind == LH_ON_KEY) {
    push(lc, marked(lc, "#", LIST_CTRL_KEYWORD), 0, false);
    return false;
  }
  if (w == CW_CHAR_COMMA && lc->statement_kind == LH_REDIM) return set_delim(lc, ",", LIST_CTRL_KEYWORD);
  fail(LIST_ERR_UNDECODABLE);
}

// One expression: elements until one ends it or the statement's words end.
// `earlier_ops` operations of the statement came before it without a
// delimiter between (the structure parameters of a function definition), so
// the expression's own operations are numbered after them.
void list_expression(ListContext* lc, int earlier_ops = 0) {
  start_expression(lc);
  for (int i = 0; i < earlier_ops; ++i) {
    push(lc, std::string(), 0, true);
    lc->stack.back().used = true;
  }
  while (!at_end(lc) && !lc->statement_ended) {
    uint16_t w = peek(lc);
    if (is_string(w)) break;
    if (is_symbol(w) || w < CW_PLAIN_LIMIT) {
      next(lc);
      if (list_raw_word(lc, w)) break;
      continue;
    }
    uint16_t code = code_at_cursor(lc, kElementModules, sizeof kElementModules / sizeof kElementModules[0]);
    if (list_element(lc, code)) break;
  }
  finish_expression(lc);
}

// Expressions until the statement ends or a string (the trailing text) follows.
void list_expression_list(ListContext* lc) {
  while (!at_end(lc) && !lc->statement_ended && !is_string(peek(lc))) list_expression(lc);
}

// A count word, then that many references separated by ",".
void counted_references(ListContext* lc, unsigned lo, unsigned hi) {
  uint16_t n = next(lc);
  if (n < lo || n > hi) fail(LIST_ERR_UNDECODABLE);
  for (unsigned i = 0; i < n; ++i) {
    if (i) put_raw(lc, ",");
    put_raw(lc, reference(lc));
  }
}

void end_of_statement(ListContext* lc) {
  if (next(lc) != CW_END_STMT) fail(LIST_ERR_UNDECODABLE);
  lc->statement_ended = true;
}

bool eol_follows(const ListContext* lc) { return !at_end(lc) && *lc->codep == CW_END_STMT; }

// ---- statements -----------------------------------------------------------

void list_statement(ListContext* lc);

// Parameters of SUB and DEF FN; gives the number of operations they hold.
int list_parameters(ListContext* lc, unsigned count) {
  int ops = 0;
  put_raw(lc, "(");
  for (unsigned i = 0; i < count; ++i) {
    if (i) put_raw(lc, ",");
    uint16_t w = next(lc);
    if (w == CW_AS || w == CW_TYPE_COLON) {
      const skeywd_row* row = skeywd_lookup(w);
      std::string name = reference(lc);
      int mode = lc->decl_mode;
      lc->decl_mode = LIST_DECL_NONE;
      std::string type = reference(lc);
      lc->decl_mode = mode;
      put_raw(lc, name + marked(lc, row->name, LIST_CTRL_KEYWORD) + type);
      continue;
    }
    if (w == CW_STRUCT) {
      put_raw(lc, marked(lc, "STRUCT ", LIST_CTRL_FUNCTION) + reference(lc));
      ++ops;
      continue;
    }
    if (w == CW_FILE_PARAM) {
      put_raw(lc, marked(lc, "#", LIST_CTRL_KEYWORD) + number_text(lc, next(lc)));
      continue;
    }
    if (w == CW_OP_PREFIX) w = next(lc);
    if (!is_symbol(w)) {
      const skeywd_row* row = skeywd_lookup(w);
      if (!row || row->handler != LE_TYPE_WORD || !row->name[0]) fail(LIST_ERR_UNDECODABLE);
      put(lc, row->name, LIST_CTRL_KEYWORD);
      w = next(lc);
    }
    bool array = false;
    put_raw(lc, symbol(lc, w, &array));
    if (array) put_raw(lc, "(*)");
  }
  put_raw(lc, ")");
  return ops;
}

void list_sub(ListContext* lc) {
  lc->decl_mode = LIST_DECL_NAME;
  put_raw(lc, reference(lc));
  uint16_t count = next(lc);
  if (count > 60) fail(LIST_ERR_UNDECODABLE);
  int ops = 0;
  if (count) ops = list_parameters(lc, count);
  lc->decl_mode = LIST_DECL_NONE;
  // The value of a one-line function counts its operations from the
  // parameters on.
  while (!at_end(lc) && !lc->statement_ended && !is_string(peek(lc))) {
    list_expression(lc, ops);
    ops = 0;
  }
}

// The MAT assignment: target, "=", then the form that the form word names.
void list_mat(ListContext* lc) {
  uint16_t form = next(lc);
  put_raw(lc, reference(lc));
  put_raw(lc, marked(lc, "=", LIST_CTRL_OPERATOR));
  auto op_text = [&](uint16_t w) {
    const skeywd_row* row = skeywd_lookup(w);
    if (!row || !row->name[0]) fail(LIST_ERR_UNDECODABLE);
    return marked(lc, row->name, LIST_CTRL_OPERATOR);
  };
  auto t11_text = [&](uint16_t w) {
    const skeywd_row* row = skeywd_lookup(w);
    if (!row || !row->name[0]) fail(LIST_ERR_UNDECODABLE);
    return marked(lc, row->name, LIST_CTRL_FUNCTION);
  };
  switch (form) {
    case 0: put_raw(lc, reference(lc)); break;
    case 1:  // (expr) op B
      put_raw(lc, "(");
      list_expression(lc);  // ends with ")"
      put_raw(lc, op_text(next(lc)));
      put_raw(lc, reference(lc));
      break;
    case 2: {  // B op (expr)
      put_raw(lc, reference(lc));
      put_raw(lc, op_text(next(lc)));
      put_raw(lc, "(");
      list_expression(lc);
      break;
    }
    case 3:
    case 4: {  // B op C
      put_raw(lc, reference(lc));
      put_raw(lc, op_text(next(lc)));
      put_raw(lc, reference(lc));
      break;
    }
    case 5:  // CON, ZER, IDN with optional new bounds
      put_raw(lc, t11_text(next(lc)));
      if (!at_end(lc) && peek(lc) == CW_REDIM_OPEN) {
        next(lc);
        put_raw(lc, "(");
        list_expression_list(lc);
      }
      break;
    case 6: {  // TRN(B) and the like
      std::string f = t11_text(next(lc));
      put_raw(lc, f + "(" + reference(lc) + ")");
      break;
    }
    case 7:  // (expr)
      put_raw(lc, "(");
      list_expression(lc);
      break;
    case 8: {  // ABS(B) and the other one-argument functions
      uint16_t code = code_at_cursor(lc, kElementModules, sizeof kElementModules / sizeof kElementModules[0]);
      const skeywd_row* row = skeywd_lookup(code);
      if (!row || !is_function_row(row)) fail(LIST_ERR_UNDECODABLE);
      put_raw(lc, marked(lc, row->name, LIST_CTRL_FUNCTION) + "(" + reference(lc) + ")");
      break;
    }
    default: fail(LIST_ERR_UNDECODABLE);
  }
}

void list_statement(ListContext* lc) {
  uint16_t code = next(lc);
  if (code == CW_STMT_PREFIX) {
    code = next(lc);
    if (!(code & CW_EXTENSION_BIT)) fail(LIST_ERR_UNDECODABLE);
    int module = kw_module(code);
    bool ok = false;
    for (int m : kStatementModules) ok = ok || m == module;
    if (!ok) fail(LIST_ERR_MISSING_MODULE);
  }
  const pkeywd_row* row = pkeywd_lookup(code);
  if (!row || row->code == CW_STMT_PREFIX) fail(LIST_ERR_UNDECODABLE);
  bool comment = code == CW_REM || code == CW_BANG;
  put(lc, row->name, comment ? LIST_CTRL_COMMENT : LIST_CTRL_KEYWORD);
  if (row->flags & PK_FLAG_DECLARATION)
    lc->decl_mode = row->code == CW_COM ? LIST_DECL_COM : LIST_DECL_STATEMENT;
  else
    lc->decl_mode = LIST_DECL_NONE;
  lc->statement_kind = row->handler;
  lc->statement_ended = false;

  switch (row->handler) {
    case LH_NOTHING: break;
    case LH_EXPRESSION_LIST:
    case LH_DECLARATION:
    case LH_REDIM:
    case LH_ON_KEY:
    case LH_USING: list_expression_list(lc); break;
    case LH_TRACE_VARIABLES: {
      uint16_t n = next(lc);
      if (n < 1 || n > 5) fail(LIST_ERR_UNDECODABLE);
      for (unsigned i = 0; i < n; ++i) {
        if (i) put_raw(lc, ",");
        bool array = false;
        put_raw(lc, symbol(lc, next(lc), &array));
        if (array) put_raw(lc, "(*)");
      }
      break;
    }
    case LH_NEW:
      lc->decl_mode = LIST_DECL_NAME;
      list_expression_list(lc);
      break;
    case LH_ASSIGN:
      if (!at_end(lc) && peek(lc) == CW_CHAR_STAR) {
        next(lc);
        put_raw(lc, marked(lc, "*", LIST_CTRL_KEYWORD));
      }
      list_expression(lc);
      put_raw(lc, marked(lc, "#", LIST_CTRL_KEYWORD));
      list_expression_list(lc);
      break;
    case LH_ASSIGN_FILE:
      list_expression(lc);
      if (!at_end(lc) && peek(lc) == CW_CHAR_STAR) {
        next(lc);
        put_raw(lc, marked(lc, "*", LIST_CTRL_KEYWORD));
      }
      list_expression_list(lc);
      break;
    case LH_RESTORE:
      if (eol_follows(lc))
        end_of_statement(lc);
      else
        put_raw(lc, reference(lc));
      break;
    case LH_SECURE: counted_references(lc, 0, 2); break;
    case LH_DEL: counted_references(lc, 1, 2); break;
    case LH_TRACE: counted_references(lc, 0, 2); break;
    case LH_SUB: list_sub(lc); break;
    case LH_RAW_TEXT:
      if (!at_end(lc) && is_string(peek(lc))) list_raw_text(lc);
      break;
    case LH_REF_THEN_LIST:
      put_raw(lc, reference(lc));
      list_expression_list(lc);
      break;
    case LH_FOR:
    case LH_TOTALS:
      next(lc);
      list_expression_list(lc);
      break;
    case LH_JUMP: put_raw(lc, reference(lc)); break;
    case LH_IF:
      list_expression(lc);
      if (at_end(lc) || is_string(peek(lc))) break;
      if (is_symbol(peek(lc)))
        put_raw(lc, reference(lc));
      else
        list_statement(lc);
      break;
    case LH_OPTION_BASE: put_raw(lc, number_text(lc, next(lc))); break;
    case LH_TYPE:
      put_raw(lc, reference(lc));
      if (!eol_follows(lc)) {
        uint16_t w = next(lc);
        if (w != CW_TYPE_EXTENDS) fail(LIST_ERR_UNDECODABLE);
        put(lc, " EXTENDS ", LIST_CTRL_KEYWORD);
        lc->decl_mode = LIST_DECL_NONE;
        put_raw(lc, reference(lc));
      }
      end_of_statement(lc);
      break;
    case LH_DATABASE:
      put_raw(lc, "(");
      list_expression_list(lc);
      break;
    case LH_TRACE_PAUSE:
      if (!at_end(lc) && is_symbol(peek(lc))) {
        put_raw(lc, reference(lc));
        if (!eol_follows(lc)) put_raw(lc, ",");
      }
      list_expression_list(lc);
      break;
    case LH_MAT:
      list_mat(lc);
      list_expression_list(lc);
      break;
    case LH_MAT_IO: list_expression_list(lc); break;
    case LH_LOAD_DLL:
      put_raw(lc, reference(lc));
      put_raw(lc, ",");
      list_expression_list(lc);
      break;
    default: fail(LIST_ERR_UNDECODABLE);
  }
  if (!lc->statement_ended && eol_follows(lc)) {
    next(lc);
    lc->statement_ended = true;
  }
}

void convert(ListContext* lc, int from, int flags) {
  if (flags & LIST_NO_CONVERSION) return;
  int to = lc->options.charset;
  if (to < 0 || from < 0 || from == to) return;
  yq__charset_map(from, to, lc->buf.data(), lc->buf.size());
}

void line_number_text(ListContext* lc, const uint16_t* line, int flags, bool blank) {
  if (flags & LIST_NO_LINE_NUMBER) return;
  char b[8];
  const char* end = std::to_chars(b, b + sizeof b, line[0] & CW_LINE_NUMBER_MASK).ptr;
  lc->buf.append(b, static_cast<size_t>(end - b));
  if (blank) lc->buf += ' ';
}

}  // namespace

ListContext* list_context() {
  static ListContext lc;
  return &lc;
}

int list_options(int command, void* value) { return list_options_ctx(list_context(), command, value); }

int list_options_ctx(ListContext* lc, int command, void* value) {
  ListOptions& o = lc->options;
  switch (command) {
    case LIST_OPT_CHARSET:
      if (!value) break;
      *static_cast<int*>(value) = o.charset;
      return 0;
    case LIST_OPT_MARKUP: {
      if (!value) break;
      auto** out = static_cast<const char**>(value);
      for (int i = 0; i < LIST_CTRL_WORDS; ++i) out[i] = o.set[i] ? o.table[i] : nullptr;
      return 0;
    }
    case LIST_OPT_RESET:
      o.charset = -1;
      for (int i = 0; i < LIST_CTRL_WORDS; ++i) {
        o.set[i] = false;
        o.table[i] = nullptr;
        o.texts[i].clear();
      }
      return 0;
    case LIST_OPT_SET_CHARSET: {
      if (!value) break;
      int cs = *static_cast<int*>(value);
      if (cs != 0 && cs != 1) break;
      o.charset = cs;
      return 0;
    }
    case LIST_OPT_SET_MARKUP: {
      if (!value) break;
      auto* const* in = static_cast<const char* const*>(value);
      for (int i = 0; i < LIST_CTRL_WORDS; ++i) {
        o.set[i] = in[i] != nullptr;
        o.texts[i] = in[i] ? in[i] : "";
      }
      for (int i = 0; i < LIST_CTRL_WORDS; ++i) o.table[i] = o.set[i] ? o.texts[i].c_str() : nullptr;
      return 0;
    }
    default: break;
  }
  errno = EINVAL;
  return -1;
}

const char* do_str_ctx(ListContext* lc, const char* text, int kind) {
  lc->dostr.clear();
  wrap(lc->options, text ? text : "", kind, &lc->dostr, nullptr);
  return lc->dostr.c_str();
}

const char* do_str(const char* text, int kind) { return do_str_ctx(list_context(), text, kind); }

const char* list_segment_name(ListContext* lc, const ProgList* prog, ProgSegment* seg) {
  char name[64];
  segname_text(prog, seg, name, sizeof name);
  lc->segment_name = name;
  return lc->segment_name.c_str();
}

const char* list_line_ctx(ListContext* lc, ProgSegment* seg, const uint16_t* line, int flags) {
  lc->seg = seg;
  lc->buf.clear();
  lc->markup_bytes = 0;
  lc->decl_mode = LIST_DECL_NONE;
  lc->statement_kind = 0;
  lc->statement_ended = false;
  lc->stack.clear();
  lc->ops.clear();

  // The line must lie inside the segment's code.
  const uint16_t* code_begin = seg ? seg->code.data() : nullptr;
  const uint16_t* code_end = seg ? code_begin + seg->code.size() : nullptr;
  size_t count = 0;
  if (seg && line && line >= code_begin && line + 2 <= code_end) count = line[1] & CW_LINE_WORDS_MASK;
  if (count < 2 || line + count > code_end) {
    lc->buf += "* ";
    lc->buf += marked(lc, "ERROR", LIST_CTRL_OTHER);
    lc->buf += " 1004";
    lc->result = lc->buf;
    return lc->result.c_str();
  }
  lc->codep = line + 2;
  lc->endp = line + count;

  bool is_protected = (seg->protection & PROGSEG_PROTECTED) && !(seg->protection & PROGSEG_AUTHORIZED);
  if (is_protected && !(flags & LIST_SHOW_PROTECTED)) {
    line_number_text(lc, line, flags, false);
    lc->buf += "* ";
    put(lc, "PROTECTED", LIST_CTRL_OTHER);
    convert(lc, 1, flags);
    lc->result = lc->buf;
    return lc->result.c_str();
  }

  try {
    line_number_text(lc, line, flags, true);
    if (!at_end(lc) && is_symbol(*lc->codep)) {
      lc->decl_mode = LIST_DECL_NAME;  // the line defines its label
      put_raw(lc, reference(lc));
      put_raw(lc, ":");
      lc->decl_mode = LIST_DECL_NONE;
    }
    pad_to(lc, line[1] >> 8);
    list_statement(lc);
    if (!at_end(lc)) {
      if (!is_string(peek(lc))) fail(LIST_ERR_UNDECODABLE);
      list_raw_text(lc);
    }
    if (!at_end(lc)) fail(LIST_ERR_UNDECODABLE);
    convert(lc, seg->charset, flags);
  } catch (const ListFail& f) {
    lc->buf.clear();
    lc->markup_bytes = 0;
    line_number_text(lc, line, flags, false);
    char b[32];
    lc->buf += "* ";
    if (f.code == LIST_ERR_MISSING_MODULE) {
      lc->buf += marked(lc, "MISSING DROM", LIST_CTRL_OTHER);
    } else {
      std::snprintf(b, sizeof b, " %d", f.code);
      lc->buf += marked(lc, "ERROR", LIST_CTRL_OTHER);
      lc->buf += b;
    }
    convert(lc, 1, flags);
  }
  lc->result = lc->buf;
  return lc->result.c_str();
}

const char* list_line(ProgSegment* seg, const uint16_t* line, int flags) {
  return list_line_ctx(list_context(), seg, line, flags);
}
