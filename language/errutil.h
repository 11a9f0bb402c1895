// Error reports and checked allocation shared by the tools that compile a
// source text with a listing (linkforge, and the database tools' compilers).
//
// An error report names the offending source line once and counts the error;
// the text goes through the tool's paged print routine so that it lands in
// the listing at the right place. Allocation failures end the tool.
#pragma once

#include <cstddef>

// Prints one piece of listing text (whole lines or parts of one).
typedef void (*err_print_fn)(void* user, const char* text);

struct ErrContext {
  int listing;            // the source listing is on: lines were echoed already
  const char* line_text;  // the current source line, or null
  long line_number;       // its number; 0 when there is no current line
  long last_line;         // line number of the last error report, 0 for none
  long error_count;       // errors reported so far
  long warning_count;     // warnings reported so far
  long max_errors;        // give up when the count exceeds this; 0 = no limit
  err_print_fn print;     // paged print routine; null writes to standard output
  void* print_user;
};

// The process's error context (zeroed at start).
ErrContext* err_context();

// Sets the current source line; a null text or line 0 means "no line".
void err_set_line(const char* text, long number);
// Starts a new source text: forgets which line was reported last.
void err_begin_source();
// Sends text through the paged print routine of the context.
void err_print(const char* text);

// Reports an error with the current line and counts it. Ends the process
// with status 1 when a maximum is set and the count exceeds it.
void print_error(const char* message);
void err_report(ErrContext* ctx, const char* message);
// The same report as "*** (WARNING) message", counted as a warning.
void print_warning(const char* message);

// Zeroed memory for count elements of size bytes; never returns null: a
// failed allocation reports "(FATAL) Memory panic" and ends the process (1).
void* safe_calloc(size_t count, size_t size);
// A newly allocated copy of text (a null text copies as empty); same stop.
char* safe_strdup(const char* text);
