// The lister: turns one stored program line back into source text.
//
// It is the inverse of the code generator. The statement table and the
// secondary keyword tables give, for every code word, its text and how the
// words after it are read; the expression elements of a statement are
// rebuilt on a small stack with the operator precedences, so that
// parentheses appear exactly where the stored operations need them.
//
// Every token can be wrapped in configurable start and end texts (markup,
// one pair per token kind). A line whose words cannot be decoded does not
// stop a listing: the line reads "* ERROR n" (or "* MISSING DROM" for a code
// of an extension module this lister does not know) and the next line lists
// normally.
//
// The options (character set, markup table) and the state of one listing live
// in a ListContext that the caller owns, so that several programs can be
// listed side by side with different options. The plain functions below use
// one context of the process; tools that need a hook on the symbol names
// (the cross reference) install it there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ProgSegment;
struct ProgList;

// Token kinds of the markup table.
enum ListCtrlOp : int {
  LIST_CTRL_COMMENT = 0,   // comment keywords, trailing text, DATA and IMAGE text
  LIST_CTRL_STRING = 1,    // string constants
  LIST_CTRL_KEYWORD = 2,   // statement keywords and keyword-like words
  LIST_CTRL_FUNCTION = 3,  // built-in function names
  LIST_CTRL_OPERATOR = 4,  // operator words
  LIST_CTRL_NUMBER = 5,    // numeric constants
  LIST_CTRL_VARIABLE = 6,  // variable and structure names
  LIST_CTRL_LABEL = 7,     // label names
  LIST_CTRL_LINE = 8,      // line numbers used as references
  LIST_CTRL_NAME = 9,      // FN, FN$ and SUB names
  LIST_CTRL_OTHER = 10,    // errors and the rest; the default delimiter kind
  LIST_CTRL_KINDS = 11,
};

enum {
  LIST_LINE_MAX = 4096,  // bytes of one listed line, markup included
  MAX_LSTACK = 100,      // expression stack entries of one expression
  LIST_CTRL_WORDS = 23,  // default end text, then start/end per kind
};

// Commands of list_options.
enum {
  LIST_OPT_CHARSET = 1,          // read option 1 (int*)
  LIST_OPT_MARKUP = 2,           // read a copy of the markup table (const char*[23])
  LIST_OPT_RESET = 0x100,        // clear every option and text
  LIST_OPT_SET_CHARSET = 0x101,  // set option 1 from an int*: 0 or 1
  LIST_OPT_SET_MARKUP = 0x102,   // install a markup table (const char* const[23])
};

// Flags of list_line.
enum {
  LIST_NO_LINE_NUMBER = 1,  // leave the line number out
  LIST_SHOW_PROTECTED = 2,  // list a protected segment's code anyway
  LIST_NO_CONVERSION = 4,   // no character-set conversion
};

// Listing errors shown in a line.
enum {
  LIST_ERR_MISSING_MODULE = 1,  // a code of an extension module not known here
  LIST_ERR_UNSUPPORTED = -1,    // a word the language no longer supports
  LIST_ERR_UNDECODABLE = 1004,  // any other word that cannot be decoded
};

// Declaration modes passed to the symbol hook.
enum {
  LIST_DECL_NONE = 0,
  LIST_DECL_NAME = 1,       // the name that NEW, SUB or DEF FN declares
  LIST_DECL_COM = 2,        // inside COM
  LIST_DECL_STATEMENT = 3,  // inside another declaration statement
};

// Called for every symbol name the lister writes, with the symbol reference
// word, the name as written (without markup) and the declaration mode.
using ListSymbolHook = void (*)(void* user, ProgSegment* seg, uint16_t ref, const char* name, int decl_mode);

struct ListEntry {
  int prec = 0;  // precedence of the operator that made it, 0 for operands
  std::string text;
  bool used = false;        // consumed as an operand of a later element
  bool wraps_next = false;  // a print function whose argument follows
  bool paren_arg = true;    // ... and that argument goes in parentheses
  bool line_ref = false;    // a bare line or label reference of a list
};

// Options of a listing: the output character set and the markup table.
struct ListOptions {
  int charset = -1;                         // -1: no conversion chosen
  std::string texts[LIST_CTRL_WORDS];       // copies of the installed texts
  bool set[LIST_CTRL_WORDS] = {};           // which texts are installed
  const char* table[LIST_CTRL_WORDS] = {};  // the texts, null where not set
};

// State of one listing (one line at a time).
struct ListContext {
  ListOptions options;
  std::string segment_name;  // the display name of list_segment_name
  ListSymbolHook symbol_hook = nullptr;
  void* symbol_user = nullptr;

  // The line in work.
  ProgSegment* seg = nullptr;
  const uint16_t* codep = nullptr;
  const uint16_t* endp = nullptr;
  std::string buf;          // the line text
  size_t markup_bytes = 0;  // bytes of buf that are markup
  std::string delim;        // pending delimiter and its kind
  int delim_kind = LIST_CTRL_OTHER;
  int decl_mode = LIST_DECL_NONE;
  int statement_kind = 0;  // the statement's handler while it lists
  bool statement_ended = false;
  std::vector<ListEntry> stack;
  std::vector<int> ops;  // stack index of every operation of the expression
  std::string result;    // the last listed line
  std::string dostr;     // do_str's buffer
};

// The context of the process that list_line and do_str use.
ListContext* list_context();

// Reads or sets the list options of a context (list_options: of the
// process's context). 0, or -1 with errno set to EINVAL for an unknown
// command or a character set other than 0 or 1.
int list_options(int command, void* value);
int list_options_ctx(ListContext* lc, int command, void* value);

// The display name of a segment (segname) kept in the context until its next
// call.
const char* list_segment_name(ListContext* lc, const ProgList* prog, ProgSegment* seg);

// The text of one stored line of a segment (a pointer to its first word).
// The text lives in the context until its next listing. A comment, DATA or
// IMAGE text may hold NUL bytes: the whole line is the context's `result`,
// whose size counts them.
const char* list_line(ProgSegment* seg, const uint16_t* line, int flags);
const char* list_line_ctx(ListContext* lc, ProgSegment* seg, const uint16_t* line, int flags);

// A text wrapped in the markup of its kind; an empty text stays empty. The
// result lives in the context until the next call.
const char* do_str(const char* text, int kind);
const char* do_str_ctx(ListContext* lc, const char* text, int kind);
