// The parser trace: a second walk of the parser's automaton that prints the
// classic yacc driver's lines. It follows the generated driver step for
// step: read a token only in a state that needs one, shift, reduce (by the
// token's entry or the state's default), take the goto, and on a syntax
// error pop states until one shifts the error token.
#include "language/tools/linkforge/lf_trace.h"

#include <cstdarg>

namespace {

const char kPrefix[] = "yy";

// A table entry, or false when the index is outside the table.
bool entry(const std::vector<int>& table, long index, int* value) {
  if (index < 0 || static_cast<unsigned long>(index) >= table.size()) return false;
  *value = table[static_cast<size_t>(index)];
  return true;
}

void emit(LfTrace* trace, const char* format, ...) __attribute__((format(printf, 2, 3)));

void emit(LfTrace* trace, const char* format, ...) {
  std::string line = std::string(kPrefix) + "debug: ";
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    size_t start = line.size();
    line.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(&line[start], static_cast<size_t>(length) + 1, format, again);
    line.resize(start + static_cast<size_t>(length));
  }
  va_end(again);
  if (trace->waiting_report) {
    trace->held += line;
  } else if (std::fputs(line.c_str(), trace->out) == EOF) {
    trace->done = true;  // the trace stream is gone; the parse goes on
  }
}

// The trace lost its way (a table that does not fit): it stops quietly.
void lose(LfTrace* trace) { trace->done = true; }

int top(const LfTrace* trace) { return trace->stack.back(); }

bool push(LfTrace* trace, int state) {
  const LfParserTables* t = trace->tables;
  if (state < 0 || static_cast<size_t>(state) >= t->pact.size() ||
      trace->stack.size() >= static_cast<size_t>(t->max_depth)) {
    lose(trace);
    return false;
  }
  trace->stack.push_back(state);
  return true;
}

int symbol_of_token(const LfParserTables* t, int token) {
  int symbol = t->undef_symbol;
  if (token >= 0 && token <= t->max_token && !entry(t->translate, token, &symbol)) symbol = t->undef_symbol;
  return symbol;
}

std::string token_name(const LfTrace* trace, int token) {
  return lf_trace_symbol_name(trace->tables, symbol_of_token(trace->tables, token));
}

// Reduces by `rule` (the tables' number, one above the printed one) and
// takes the goto from the state the reduction uncovers.
void reduce(LfTrace* trace, int rule) {
  const LfParserTables* t = trace->tables;
  int lhs = 0;
  int length = 0;
  if (!entry(t->r1, rule, &lhs) || !entry(t->r2, rule, &length) || length < 0 ||
      static_cast<size_t>(length) >= trace->stack.size()) {
    lose(trace);
    return;
  }
  std::string text = lf_trace_symbol_name(t, lhs) + " :";
  for (size_t i = trace->stack.size() - static_cast<size_t>(length); i < trace->stack.size(); ++i) {
    int symbol = 0;
    if (!entry(t->stos, trace->stack[i], &symbol)) {
      lose(trace);
      return;
    }
    text += ' ';
    text += lf_trace_symbol_name(t, symbol);
  }
  emit(trace, "state %d, reducing by rule %d (%s)\n", top(trace), rule - 1, text.c_str());

  trace->stack.resize(trace->stack.size() - static_cast<size_t>(length));
  int from = top(trace);
  int nonterminal = lhs - t->ntokens;
  int base = 0;
  int to = 0;
  int owner = 0;
  if (!entry(t->pgoto, nonterminal, &base)) {
    lose(trace);
    return;
  }
  long index = static_cast<long>(base) + from;
  if (!(entry(t->check, index, &owner) && owner == from && entry(t->table, index, &to)) &&
      !entry(t->defgoto, nonterminal, &to)) {
    lose(trace);
    return;
  }
  emit(trace, "after reduction, shifting from state %d to state %d\n", from, to);
  push(trace, to);
}

// The driver's error path: report (unless recovering), drop a lookahead
// that already failed once after an error, then pop states until one
// shifts the error token.
void recover(LfTrace* trace, bool scan_error) {
  const LfParserTables* t = trace->tables;
  if (!scan_error) {
    if (trace->error_status == 0) trace->waiting_report = true;  // the parser prints "syntax error" now
    if (trace->error_status == 3) {
      if (trace->lookahead == 0) {
        trace->done = true;  // at the end of input: give up
        return;
      }
      if (trace->lookahead > 0) {
        emit(trace, "state %d, error recovery discards token %d (%s)\n", top(trace), trace->lookahead,
             token_name(trace, trace->lookahead).c_str());
        trace->lookahead = LF_TRACE_NO_TOKEN;
      }
    }
  }
  trace->error_status = 3;
  for (;;) {
    int state = top(trace);
    int base = 0;
    int owner = 0;
    int target = 0;
    if (!entry(t->pact, state, &base)) {
      lose(trace);
      return;
    }
    if (base != t->pact_ninf) {
      long index = static_cast<long>(base) + t->error_symbol;
      if (entry(t->check, index, &owner) && owner == t->error_symbol && entry(t->table, index, &target) && target > 0) {
        emit(trace, "state %d, error recovery shifting to state %d\n", state, target);
        push(trace, target);
        return;
      }
    }
    emit(trace, "error recovery discarding state %d\n", state);
    if (trace->stack.size() == 1) {
      trace->done = true;  // nothing left: the parse fails
      return;
    }
    trace->stack.pop_back();
  }
}

// Runs the automaton until it needs a token it does not have, accepts or
// gives up.
void run(LfTrace* trace) {
  const LfParserTables* t = trace->tables;
  while (!trace->done) {
    int state = top(trace);
    if (state == t->final_state) {
      trace->done = true;  // the end of input was shifted: accept
      return;
    }
    int base = 0;
    int rule = 0;
    if (!entry(t->pact, state, &base) || !entry(t->defact, state, &rule)) {
      lose(trace);
      return;
    }
    if (base != t->pact_ninf) {
      if (trace->lookahead == LF_TRACE_NO_TOKEN) return;  // the parser reads next
      int symbol = trace->lookahead == 0 ? t->eof_symbol : symbol_of_token(t, trace->lookahead);
      long index = static_cast<long>(base) + symbol;
      int owner = 0;
      int action = 0;
      if (entry(t->check, index, &owner) && owner == symbol && entry(t->table, index, &action)) {
        if (action > 0) {
          if (trace->error_status > 0) --trace->error_status;
          trace->lookahead = LF_TRACE_NO_TOKEN;
          if (action != t->final_state) emit(trace, "state %d, shifting to state %d\n", state, action);
          push(trace, action);
          continue;
        }
        if (t->table_is_error && t->table_is_error(action)) {
          recover(trace, false);
          continue;
        }
        rule = -action;
      }
    }
    if (rule == 0) {
      recover(trace, false);
      continue;
    }
    reduce(trace, rule);
  }
}

}  // namespace

std::string lf_trace_symbol_name(const LfParserTables* tables, int symbol) {
  if (symbol == tables->eof_symbol) return "end-of-file";
  if (symbol == tables->undef_symbol || symbol < 0 || static_cast<size_t>(symbol) >= tables->names.size())
    return "illegal-symbol";
  const std::string& name = tables->names[static_cast<size_t>(symbol)];
  if (name.compare(0, 2, "$@") == 0) return "$$" + name.substr(2);
  return name;
}

void lf_trace_begin(LfTrace* trace, const LfParserTables* tables, FILE* out) {
  trace->tables = tables;
  trace->out = out;
  trace->stack.clear();
  trace->lookahead = LF_TRACE_NO_TOKEN;
  trace->error_status = 0;
  trace->waiting_report = false;
  trace->done = false;
  trace->held.clear();
  if (push(trace, 0)) run(trace);
}

void lf_trace_token(LfTrace* trace, int token) {
  if (trace->done) return;
  if (trace->lookahead != LF_TRACE_NO_TOKEN) {
    lose(trace);  // the parser reads where the trace holds a token
    return;
  }
  const LfParserTables* t = trace->tables;
  if (token < 0) token = 0;
  emit(trace, "state %d, reading %d (%s)\n", top(trace), token, token_name(trace, token).c_str());
  if (token == t->error_token) {
    // The scanner has reported its error: straight to recovery, with
    // the lookahead an invalid token, as the parser does.
    trace->lookahead = t->undef_token;
    recover(trace, true);
  } else {
    trace->lookahead = token;
  }
  run(trace);
}

void lf_trace_error_reported(LfTrace* trace) {
  if (!trace->waiting_report) return;
  trace->waiting_report = false;
  if (!trace->held.empty() && std::fputs(trace->held.c_str(), trace->out) == EOF) trace->done = true;
  trace->held.clear();
}

void lf_trace_end(LfTrace* trace) {
  lf_trace_error_reported(trace);
  std::fflush(trace->out);
  trace->done = true;
}
