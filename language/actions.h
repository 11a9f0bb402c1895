// The statement parser's entry point and the helpers that its grammar
// actions use.
//
// The parser (grammar.y) reads one line's tokens from the scanner and, in its
// actions, has the code generator emit the line's code words. The helpers
// here are the parts of those actions that are more than one call into the
// code generator: error reports with the parser's own wording, the limit
// checks of single statements, and the choice of context tables.
//
// Every error leaves the line through cg_error (a C++ exception caught by the
// line compiler); the parser keeps nothing that would need freeing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "language/context.h"
#include "language/scanner.h"

// Semantic value of a grammar symbol: the scanner's value for tokens (which
// the scanner keeps in place for the rest of the line, so that the parser's
// stack moves a pointer and not the fields), and a code word or count for
// the nonterminals that give one. Trivially constructible, so that setting
// up the parser's stack for a line costs nothing.
struct ParseValue {
  const ScanFields* v;
  uint32_t word;
};

// Limits of single statements.
enum {
  PARSE_STACK_DEPTH = 500,    // parser states of one line
  PARSE_MAX_TOTALS = 50,      // expressions of TOTALS ON
  PARSE_MAX_TRACE_VARS = 5,   // variables of TRACE VARIABLES
  PARSE_MAX_SORT_ITEMS = 10,  // items of SORT BY
  PARSE_MAX_DLG_ARGS = 8,     // arguments of DLG CALL
  PARSE_MIN_FILE_NUMBER = 1,  // "#" n in COM and parameter lists
  PARSE_MAX_FILE_NUMBER = 10,
};

// State of the statement in work that is not on the parser's stack: the
// item counter or option flags of some statements (TOTALS ON, TRACE
// VARIABLES, SORT BY, ASSIGN and PRINTER IS options, IMAGE signs) and the
// operator word of MAT. Reset for every line.
struct ParseState {
  uint32_t counter = 0;
  bool line_ended = false;  // the scanner has given the end of the line
};

// Runs the statement parser over the line that scan_line_start has opened:
// 0 on success, non-zero when the parse failed without a message of its own
// (the line then reports the message the line start preset). Reads the
// environment variable YYDEBUG once per context, at its first line: a leading
// digit becomes the compiler's debug level.
int parse_line(CompileContext* cc);
// The same without looking at the environment: the debug level is the
// context's own (the environment's build of the compiler).
int parse_line_quiet(CompileContext* cc);

// The front end of the line compiler: the scanner's line start and this
// parser. Install it with `cc->front = parse_front_end();`.
CgFrontEnd parse_front_end();

// True when the token ends an item: ",", ";", ":", ")", ON, TO, "!" or the
// end of the line.
bool is_item_end(int token);

// "IMPROPER %s".
[[noreturn]] void parse_improper(CompileContext* cc, const char* what);
// "IMPROPER DELIMITER: %s EXPECTED" when the lookahead token ends an item,
// else "IMPROPER EXPRESSION".
[[noreturn]] void parse_expect_delim(CompileContext* cc, int lookahead, const char* delimiter);
// A plain message at the current token.
[[noreturn]] void parse_error(CompileContext* cc, const char* message);

// The error production after a whole statement: "'!' OR EOL EXPECTED" when
// the lookahead ends an item, else "IMPROPER STATEMENT".
[[noreturn]] void parse_statement_end_error(CompileContext* cc, int lookahead);

// Counts one more item of a limited list: past `limit` the line fails with
// `message`.
void parse_count_item(CompileContext* cc, ParseState* ps, uint32_t limit, const char* message);

// One option of an ASSIGN or PRINTER IS statement: its selector class
// (0 to 3) may be given once per statement; a repeated class fails with
// "IMPROPER OR CONFLICTING SPECIFICATION". `code` is the option's word.
void parse_option(CompileContext* cc, ParseState* ps, int selector, uint32_t code);

// A sign of an IMAGE numeric field; a second one is "DUPLICATE SIGN".
void parse_image_sign(CompileContext* cc, ParseState* ps);

// A file number written "#" n in a COM or parameter list must lie in 1..10
// ("IMPROPER FILE NUMBER"); emits `prefix` and the number.
void parse_file_number(CompileContext* cc, long number, uint16_t prefix);

// A literal string as an expression element (08BD).
void parse_string_element(CompileContext* cc, const ScanFields& v);
// A comment or raw text with its column: string constant, then the column.
void parse_comment(CompileContext* cc, const ScanFields& v);

// The rest of a DATA or IMAGE statement as raw text with its column, and
// the scanner switched to the statement's mode (SCAN_LIST_ITEMS or
// SCAN_FORMAT). Nothing left gives an empty text at the end of the line, so
// that the statement always carries its text and column.
void parse_raw_text(CompileContext* cc, int mode);

// "name AS type" and "name : type" of declarations: 2003 or 2004, the
// structure symbol of the name, then the structure symbol of the type.
void parse_struct_decl(CompileContext* cc, uint16_t word, const char* name, const char* type);

// The context table of the statement in work (an skeywd_table_id).
void parse_select(CompileContext* cc, int table_id);

// Offsets of IN DATA SET items: SKP n and n X must skip at least one byte.
void parse_skip_item(CompileContext* cc, const ScanFields& count, const ScanFields* x_name, uint32_t code);

// The one function allowed on string arrays in MAT is ZER.
void parse_mat_string_function(CompileContext* cc, uint32_t code);
