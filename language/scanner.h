// The scanner: turns one source line into the parser's tokens.
//
// The line-start step (scan_line_start) recognises the line number, a label
// and the statement keyword and emits the line's first code words; after
// that the parser pulls tokens with scan_lex. Two spellings are known:
// space-independent (the default: blanks are ignored, keywords are upper
// case, names are an upper-case letter followed by lower-case letters,
// digits and "_") and space-dependent (cc->space_dependent: blanks separate
// words, keywords in any case).
//
// Every error goes through cg_error with the column of the token at which it
// occurred (counted from 0, the caret position under the line), which leaves
// the line in work by the compiler's non-local return.
//
// Columns that the scanner records for the code (the keyword column in the
// header word, the column of a comment and of raw DATA and IMAGE text) are
// counted from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "language/keywords.h"
#include "language/tokens.h"

struct CompileContext;

enum {
  SCAN_PUSHBACK_MAX = 10,  // tokens on the push-back stack
  SCAN_NAME_MAX = 15,      // characters of a name
  SCAN_NUMBER_MAX = 255,   // characters of a numeric constant
};

// Scan modes of the token recogniser.
enum {
  SCAN_NORMAL = 0,      // expressions and statement words
  SCAN_LIST_ITEMS = 1,  // DATA items
  SCAN_FORMAT = 2,      // IMAGE format text
};

// Results of scan_line_start.
enum {
  SCAN_LINE_EMPTY = 0,
  SCAN_LINE_NUMBER_ONLY = 1,
  SCAN_LINE_NUMBERED = 2,
  SCAN_LINE_UNNUMBERED = 3,
};

// Fields of a token's value, with no initialisers of their own: the
// parser's value stack holds them and is not cleared for every line.
struct ScanFields {
  long number;                   // T_ICONST value; a keyword's code; a column (from 1)
  const char* text;              // token text in the line (string without quotes, name, raw text)
  int length;                    // length of text
  int flags;                     // flags of a statement keyword
  int module;                    // extension module of a keyword code with bit 15
  char name[SCAN_NAME_MAX + 1];  // T_SYM: first letter upper case, the rest lower case
  uint8_t packed[8];             // T_CONST: the 8-byte constant form
  const pkeywd_row* statement;   // statement keyword row
  const skeywd_row* secondary;   // function or context row
};

// Value of the last token: every field starts at zero.
struct ScanValue : ScanFields {
  ScanValue() : ScanFields{} {}
};

// The values of a line's tokens. Each stays where it is until the next line
// starts, so that the parser holds a pointer to a token's value rather than
// a copy of it.
class ScanValues {
 public:
  // Forgets the values of the line before; their room is used again.
  void clear() { count_ = 0; }
  // A new value with every field zero.
  ScanValue& add() {
    ScanValue* slot = count_ < kFirst ? &first_[count_] : more_slot(count_ - kFirst);
    ++count_;
    *slot = ScanValue();
    return *slot;
  }

 private:
  static constexpr size_t kFirst = 64;
  static constexpr size_t kBlock = 64;
  // The place of the value past the first ones, in blocks of kBlock.
  ScanValue* more_slot(size_t index);
  size_t count_ = 0;
  ScanValue first_[kFirst];
  std::vector<std::unique_ptr<ScanValue[]>> more_;
};

// Scanner state of the line in work; the compile context holds it.
struct ScanState {
  ScanState() : value(&values.add()) {}

  const char* line = nullptr;  // start of the line (columns count from here)
  const char* cur = nullptr;   // cursor
  int remaining = 0;           // bytes from the cursor to the end of the line
  const char* token_start = nullptr;
  int pb_count = 0;
  int pb_token[SCAN_PUSHBACK_MAX] = {};
  const ScanValue* pb_value[SCAN_PUSHBACK_MAX] = {};
  int mode = SCAN_NORMAL;
  const skeywd_row* context_table = nullptr;
  ScanValues values;
  const ScanValue* value;  // the last token's value, one of `values`
};

// The scanner state of a context, made on first use and freed with the
// context.
ScanState* scan_state(CompileContext* cc);

// The line-start step. Modes: 3 stored program, 2 immediate input (a line
// number is optional), 1 statement without line number, 0 expression (the
// parser's first token is T_EXPR), -1 variable list (T_XPVAR). Gives
// SCAN_LINE_EMPTY, SCAN_LINE_NUMBER_ONLY, SCAN_LINE_NUMBERED or
// SCAN_LINE_UNNUMBERED.
int scan_line_start(CompileContext* cc, int mode, const char* text, int length);

// The parser's token source; the token's value is scan_value(cc).
int scan_lex(CompileContext* cc);
const ScanValue* scan_value(CompileContext* cc);

// Pushes a token back with the current token value; the last pushed is read
// first. An eleventh token is "PB-Stack overflow".
void scan_pushback(CompileContext* cc, int token);

// Takes the rest of the statement (up to "!" outside quotes) as raw text:
// the value's text, its column (from 1) and its length without trailing
// blanks, and switches to scan mode 1 (DATA) or 2 (IMAGE). Gives 0 when
// nothing is left before the end or "!".
int scan_rest(CompileContext* cc, int mode);

// Recognises a statement after THEN: 1 with the keyword's token and T_STMT
// pushed back; 0 at the end, at "!" or for an assignment or line reference.
int scan_then_statement(CompileContext* cc);

// Takes the rest of the line as a comment: the value's text (from its first
// non-blank character), column (from 1) and length without trailing blanks.
void scan_comment(CompileContext* cc);

// Selects the context table (an skeywd_table_id, or -1 for none) searched for
// context words; line start clears it.
void scan_select_table(CompileContext* cc, int table_id);

// Reports an error at a position of the line (the token start when null);
// does not return.
[[noreturn]] void scan_error(CompileContext* cc, const char* position, const char* message);
// "%s NOT ALLOWED HERE" with the keyword text.
[[noreturn]] void scan_not_allowed(CompileContext* cc, const char* keyword);
// The keyword text without trailing blanks and ": UNSUPPORTED KEYWORD".
[[noreturn]] void scan_unsupported(CompileContext* cc, const char* keyword);

// Matches a table text against the input at *cursor, which has *remaining
// bytes. On a match the cursor and the count move past the keyword. In
// space-independent mode input blanks are passed and letters must be equal;
// in space-dependent mode an input blank ends a word and lower-case input
// letters compare in upper case. A blank inside the table text passes any
// blanks in space-dependent mode; a blank at its end ends the keyword there.
bool scan_match_keyword(const char* keyword, const char** cursor, int* remaining, bool space_dependent);
