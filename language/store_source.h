// Source reading of the store tool: physical lines with their length limit,
// tab expansion, the "#" and "$" control lines, the output name taken from
// the input name, and the two forms of a source-line error report.
//
// Nothing here prints; the tool writes what these routines build.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A source line holds at most this many characters before its line end.
enum { STORE_LINE_MAX = 510 };

// ---- Reading physical lines ------------------------------------------------

enum StoreReadStatus {
  STORE_READ_LINE,      // a line was read (its line end removed)
  STORE_READ_TOO_LONG,  // the line exceeded STORE_LINE_MAX; its rest was skipped
  STORE_READ_END,       // no further line
  STORE_READ_ERROR,     // the stream failed; errno tells why
};

struct StoreSourceLine {
  char text[STORE_LINE_MAX + 2];  // NUL-terminated; may hold NUL bytes inside
  std::size_t length;             // characters in text, without the NUL
};

// Reads one physical line. The line ends at LF or at the end of the input (a
// last line without a line end is a line like any other); a CR directly
// before the line end is dropped. An over-long line gives STORE_READ_TOO_LONG
// once, with its first STORE_LINE_MAX characters in `line`; the rest of it
// up to its line end is read and discarded.
StoreReadStatus store_read_line(FILE* in, StoreSourceLine* line);

// ---- Source position -------------------------------------------------------

// The number of a physical line is base + count; the count goes up by one for
// every physical line read, and a position directive moves the base.
struct StorePosition {
  long long base = 0;
  long long count = 0;
};

inline long long store_position_next(StorePosition* pos) { return pos->base + ++pos->count; }
// Makes the next physical line carry `number`.
inline void store_position_set(StorePosition* pos, long long number) {
  pos->base = number;
  pos->count = -1;
}

// ---- Control lines ---------------------------------------------------------

enum StoreControlKind {
  STORE_CTL_NONE,      // not a control line: a line for the compiler
  STORE_CTL_POSITION,  // "# <number> [<name>]"
  STORE_CTL_LINE,      // "$LINE<first>[,<increment>]"
  STORE_CTL_TAB,       // "$TAB<width>"
  STORE_CTL_ERROR,     // a control line that is wrong; see `message`
};

struct StoreControl {
  StoreControlKind kind = STORE_CTL_NONE;
  long number = 0;                // POSITION: line number; LINE: first; TAB: width
  long increment = 0;             // LINE: increment (10 when not given)
  bool has_name = false;          // POSITION: a file name followed the number
  std::string name;               // POSITION: that file name
  const char* message = nullptr;  // ERROR: the message to report
};

// Classifies one source line (without its line end). Lines that begin with
// "#" or "$" are control lines; every other line is STORE_CTL_NONE.
StoreControl store_control_parse(const char* text, std::size_t length);

// ---- Tab expansion ---------------------------------------------------------

// Expands the tabs of `text` for a tab width above 0: each tab becomes one
// space and then further spaces up to the next column (counted from 0) that is
// a multiple of `width`. A width of 0 or less copies the text as it is.
// Gives false, with `out` unchanged in meaning, when the result would exceed
// STORE_LINE_MAX characters.
bool store_expand_tabs(const char* text, std::size_t length, long width, std::string* out);

// ---- Names -------------------------------------------------------------------

// Cuts the extension off an input name in place: the text from the last "."
// that stands after the last "/" on. A name without such a "." stays whole.
void store_cut_extension(std::string* name);

// ---- Error reports -------------------------------------------------------------

enum StoreErrorForm { STORE_ERRORS_MULTI_LINE, STORE_ERRORS_ONE_LINE };

// The report of an error in a source line. Multi-line: the line, a caret line
// when `column` is 0 or more, the message, then "<tool>: <file>, line <n>".
// One-line: "<tool>: <file>, line <n>: <message>".
std::string store_error_report(StoreErrorForm form, const char* tool, const char* text, std::size_t length,
                               const char* message, int column, const char* file, long long line_number);
