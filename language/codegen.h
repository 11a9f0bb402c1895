// The code generator: the working state of one line and the operations the
// parser's actions and the scanner call to emit the line's code words and
// symbols.
//
// Code words are collected as 32-bit values: a value with bit 16 set stands
// for a temporary symbol of the line (its index in the low bits) that becomes
// a symbol reference when the line is finished. Every limit of the line is a
// compile error with its own message; violated invariants of the generator
// itself end the process with an assertion naming "codegen".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "language/codewords.h"
#include "language/progseg.h"

struct CompileContext;
struct ProgSegment;

// Limits of one line.
inline constexpr int CG_MAX_CODE = 255;     // code words
inline constexpr int CG_MAX_TMPSYMS = 80;   // temporary symbols
inline constexpr int CG_MAX_ELEMENTS = 60;  // element stack
inline constexpr int CG_MAX_COUNTS = 20;    // count stack
inline constexpr int CG_MAX_DIMS = 6;       // array dimensions
inline constexpr int CG_MAX_STRING = 255;   // string constant characters
inline constexpr int CG_NAME_ROOM = 16;     // a symbol name and its NUL

// A code word that stands for temporary symbol i.
inline constexpr uint32_t CG_TMPSYM_BIT = 0x10000;

// Element kinds of the element stack.
enum : int {
  CGE_OPERATION = 0,
  CGE_NUMBER = 1,
  CGE_STRING = 2,
  CGE_NUMVAR = 3,
  CGE_STRVAR = 4,
  CGE_STRUCT = 7,
};

struct CgElement {
  int kind = 0;
  int subtype = 0;               // dimension count of variables
  int op_number = 0;             // operation result: its number ...
  int op_pos = 0;                // ... and the position of its operation word
  uint8_t packed[8] = {};        // numeric constant
  const char* text = nullptr;    // string constant, where the caller keeps it
  size_t length = 0;             // its length
  char name[CG_NAME_ROOM] = {};  // variable name, NUL-terminated
};

struct CgTmpSym {
  int cls = 0;
  int subtype = 0;
  uint8_t packed[8] = {};  // class 0
  int lineno = 0;          // class 1 sub-type 0
  char name[16] = {};      // other classes, NUL-terminated
  int name_len = 0;
  // Its key in a segment's symbol index, made when it is added, well before
  // the line is finished and the key is looked up; false when no entry can
  // match it.
  bool keyed = false;
  ProgSymbolKey key;
};

// A list of the line in work with a fixed limit (code words, elements,
// symbols, counts), held in place, so that adding an item never allocates:
// the code generator checks the limit before it adds one.
template <typename T, size_t N>
class CgList {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  void push_back(const T& item) { items_[size_++] = item; }
  // Adds an item with its default value, to be filled in place.
  T& add() {
    items_[size_] = T{};
    return items_[size_++];
  }
  void pop_back() { --size_; }
  // Drops the items from n on.
  void shrink(size_t n) { size_ = n; }
  T& back() { return items_[size_ - 1]; }
  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + size_; }
  std::vector<T> to_vector() const { return {begin(), end()}; }

 private:
  T items_[N];  // items from size_ on are unused
  size_t size_ = 0;
};

// Working state of the line in work (reset per line).
struct CgState {
  CgList<uint32_t, CG_MAX_CODE> code;           // code buffer
  CgList<CgTmpSym, CG_MAX_TMPSYMS> tmpsyms;     // temporary symbols
  std::vector<uint16_t> newsyms;                // entries this line adds to the segment
  CgList<CgElement, CG_MAX_ELEMENTS> elements;  // element stack
  int op_count = 0;                             // operations of the current statement
  CgList<int, CG_MAX_COUNTS> counts;            // count stack
  int mark = -1;                                // position of the marked word
  ProgSegment* seg = nullptr;                   // segment that receives the line, or none
  bool new_segment = false;                     // the statement opens a new segment
  std::vector<uint16_t> words;                  // the finished line (its room kept for the next one)
};

// ---- line state ---------------------------------------------------------

// Clears the whole working state of a line (code, symbols, stacks).
void cg_line_reset(CompileContext* cc);
// Clears the count stack, the element stack and the operation counter (at
// every delimiter between statement parts).
void cg_reset(CompileContext* cc);

// ---- emission -----------------------------------------------------------

void cg_emit(CompileContext* cc, uint32_t word);
// A code with bit 15 goes behind the prefix 093A (operation flag set) or
// 0932 (statement word).
void cg_keyword(CompileContext* cc, bool operation, uint16_t code);
void cg_mark(CompileContext* cc, uint32_t word);
void cg_mark_inc(CompileContext* cc);
void cg_mark_len(CompileContext* cc);
void cg_mark_set(CompileContext* cc, uint32_t word);
void cg_string(CompileContext* cc, const char* text, size_t length);
void cg_comment(CompileContext* cc, int column, const char* text, size_t length);
void cg_set_stmt(CompileContext* cc, uint16_t code);

// ---- elements -----------------------------------------------------------

void cg_push_symbol(CompileContext* cc, int kind, int subtype, const char* name);
// The text stays where it is until the line is finished (the line's own
// text, or a constant): the element refers to it.
void cg_push_string(CompileContext* cc, const char* text, size_t length);
void cg_push_int(CompileContext* cc, long value);
void cg_push_const(CompileContext* cc, const uint8_t* packed);
// cg_dump(cc, n, w, op, extra...): operation word op, w - 1 extra words, then
// the top n elements as operands; the elements become one operation result.
// The extra words are passed as int or unsigned int (code words, counts and
// the words that cg_tmpsym_* give).
void cg_dump(CompileContext* cc, int n, int w, unsigned op, ...);
// As cg_dump, with the top n elements right after the operation word, then
// the extra words, then the m elements beneath.
void cg_dump2(CompileContext* cc, int n, int m, int w, unsigned op, ...);
// The same two with the extra words in an array.
void cg_dump_words(CompileContext* cc, int n, uint16_t op, const uint32_t* extra, int nextra);
void cg_dump2_words(CompileContext* cc, int n, int m, uint16_t op, const uint32_t* extra, int nextra);
// Drops the top element: the result of an operation that stands in the code
// on its own and is no operand of a later one (a STRUCT parameter in a
// parameter list). Its number stays counted.
void cg_drop(CompileContext* cc);

// ---- fix-ups ------------------------------------------------------------

void cg_fix_expr(CompileContext* cc);
void cg_fix_pexpr(CompileContext* cc);
void cg_fix_sexpr(CompileContext* cc);
void cg_fix_call_expr(CompileContext* cc, bool by_reference);
void cg_fix_call_sexpr(CompileContext* cc, bool by_reference);
void cg_fix_let_expr(CompileContext* cc);

// ---- counters -----------------------------------------------------------

void cg_count_push(CompileContext* cc);
int cg_count_inc(CompileContext* cc);
int cg_count_pop(CompileContext* cc);

// ---- symbols ------------------------------------------------------------

// Adds a temporary symbol and gives its code word (bit 16 and the index).
// name is the name for classes other than 0 and 1/0, packed the number of
// class 0, lineno the line of class 1 sub-type 0.
uint32_t cg_add_tmpsym(CompileContext* cc, int cls, int subtype, const uint8_t* packed, int lineno, const char* name);
uint32_t cg_tmpsym_line(CompileContext* cc, int lineno);
uint32_t cg_tmpsym_label(CompileContext* cc, const char* name);
uint32_t cg_tmpsym_fn(CompileContext* cc, const char* name);
uint32_t cg_tmpsym_fn_str(CompileContext* cc, const char* name);
uint32_t cg_tmpsym_sub(CompileContext* cc, const char* name);
uint32_t cg_tmpsym_class4(CompileContext* cc, int dims, const char* name);
uint32_t cg_tmpsym_class5(CompileContext* cc, int dims, const char* name);
uint32_t cg_tmpsym_struct(CompileContext* cc, const char* name);
uint32_t cg_tmpsym_struct_sub(CompileContext* cc, int subtype, const char* name);
uint32_t cg_tmpsym_const(CompileContext* cc, const uint8_t* packed);
// The final symbol reference (8000 | offset) of a temporary symbol: an entry
// of the segment in work, else of this line's new entries, else a new entry.
uint16_t cg_addsymbol(CompileContext* cc, int index);
// Searches a symbol table for the symbol of a temporary: 8000 | offset or 0.
uint16_t cg_find_symbol(CompileContext* cc, const uint16_t* words, size_t size, int index);

// ---- checks and segment state -------------------------------------------

void cg_check_dims(CompileContext* cc, int count);
bool cg_in_root(CompileContext* cc);
void cg_new_segment(CompileContext* cc);
// Line number of the line that defines a label ("LABEL NOT FOUND").
int cg_label_line(CompileContext* cc, const char* name);

// Finishes the line: converts every word to 16 bits (temporaries become
// symbol references) and adds the word count to the header word.
void cg_finish_line(CompileContext* cc, std::vector<uint16_t>* out);
