// linkforge: the parser trace turned on by the environment variable YYDEBUG.
//
// The trace prints the classic yacc driver's lines on its stream, each with
// the prefix "yy":
//   yydebug: state 0, reading 258 (YQDLL)
//   yydebug: state 0, shifting to state 1
//   yydebug: state 5, reducing by rule 5 ($$1 :)
//   yydebug: after reduction, shifting from state 5 to state 8
//   yydebug: error recovery discarding state 9
//   yydebug: state 3, error recovery shifting to state 7
//   yydebug: state 7, error recovery discards token 41 (')')
// It walks the parser's own automaton (the same tables, fed the same tokens
// as the scanner hands them to the parser), so it takes the parser's steps
// one for one. Table indices are checked; a table that does not fit ends
// the trace, never the parse.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The parser's automaton as plain tables (copied from the generated parser).
struct LfParserTables {
  std::vector<int> pact;           // per state: index into `table`, or `pact_ninf`
  std::vector<int> defact;         // per state: default rule + 1, 0 = error
  std::vector<int> pgoto;          // per nonterminal: index into `table` for gotos
  std::vector<int> defgoto;        // per nonterminal: default goto state
  std::vector<int> table;          // shifts (> 0) and reductions (<= 0)
  std::vector<int> check;          // the symbol (or state) an entry of `table` is for
  std::vector<int> stos;           // per state: the symbol that enters it
  std::vector<int> r1;             // per rule + 1: left-hand symbol
  std::vector<int> r2;             // per rule + 1: length of the right-hand side
  std::vector<int> translate;      // token number -> symbol
  std::vector<std::string> names;  // per symbol, as the parser spells it
  bool (*table_is_error)(int value);
  int pact_ninf;
  int final_state;  // entered by shifting the end of input: accept
  int ntokens;      // symbols below this are tokens
  int max_token;    // highest token number `translate` knows
  int eof_symbol;
  int error_symbol;
  int undef_symbol;
  int error_token;  // token number the scanner returns for a scan error
  int undef_token;
  int max_depth;  // the parser's stack limit
};

struct LfTrace {
  const LfParserTables* tables;
  FILE* out;
  std::vector<int> stack;
  int lookahead;        // token number, or LF_TRACE_NO_TOKEN
  int error_status;     // tokens to shift before errors are reported again
  bool waiting_report;  // a syntax error's lines wait for its message
  bool done;            // accepted, aborted or lost its way
  std::string held;     // lines held back until the error is reported
};

enum { LF_TRACE_NO_TOKEN = -2 };

// Starts a trace of one parse; does the steps taken before the first token.
void lf_trace_begin(LfTrace* trace, const LfParserTables* tables, FILE* out);
// The scanner handed the parser `token`: its steps up to the next read.
void lf_trace_token(LfTrace* trace, int token);
// The parser reported the syntax error: the recovery lines follow it.
void lf_trace_error_reported(LfTrace* trace);
// The parse is over: prints what is still held back.
void lf_trace_end(LfTrace* trace);

// A symbol's name in the classic spelling: "end-of-file", "illegal-symbol",
// "$$1" for a mid-rule action; other names as the grammar spells them.
std::string lf_trace_symbol_name(const LfParserTables* tables, int symbol);
