// The export file: the text form of the records of one set (per-set files)
// or of several sets (one single file), written by drainbase and read by
// fillbase. This module holds the format once for both sides: file names,
// the database, set and item lines, the field writer, the line reader and the
// value scanner.
//
// Records here are the client library's record layout: the elements of the
// items one after the other, integers and floating-point values in the local
// byte order, without alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Limits of the reader.
enum { EXP_MAX_VALUES = 2048, EXP_MAX_FIELDS = 1024, EXP_NAME_LEN = 16 };

// ---- File names -----------------------------------------------------------

// The base name of a database operand: the text behind its last "/", in
// upper case.
std::string exp_base_name(const char* database);
// `dir`, then "/" unless `dir` is empty or ends in one, then
// "<base>.<set, zero-padded to width>.exp". Width 3 is what the reader looks
// for first, width 2 its second try for sets below 100.
std::string exp_file_name(const std::string& dir, const std::string& base, int width, int set);

// ---- Header lines ---------------------------------------------------------

// "# DATABASE = <base>\n".
void exp_database_line(std::string& out, const std::string& base);
// "# SET <n> = <name padded to 16>\n".
void exp_set_header(std::string& out, int set, const char* name);
// "#  <pos> <name padded> [<count> ]<letter>[<width>]\n": count only above 1,
// width only for X and B.
void exp_item_line(std::string& out, int position, const char* name, int count, char type, int width);

// One item line as the reader takes it.
struct ExpField {
  int position;
  char name[EXP_NAME_LEN + 1];  // blank-padded to 16
  int count;
  char type;  // one of "XBIDSL"
  int width;  // element width for X and B, 0 otherwise
};

// The parsers of the header lines; false when the line does not match.
// `name` of a database line takes the name as written; the set name is
// blank-padded to 16.
bool exp_parse_database_line(const char* line, std::string& name);
bool exp_parse_set_header(const char* line, int* set, char name[EXP_NAME_LEN + 1]);
bool exp_parse_item_line(const char* line, ExpField* field);

// The messages of the reader.
extern const char EXP_BAD_DATABASE_LINE[];  // "bad format: # DATABASE = <name> expected"
extern const char EXP_BAD_SET_HEADER[];     // "bad format: # SET <no> = <name> expected"
extern const char EXP_BAD_ITEM_LINE[];      // "bad format: # <item index> <item name> <item type> expected"
extern const char EXP_TOO_MANY_FIELDS[];    // "Number of fields exceeds maximum"

// ---- Data lines -----------------------------------------------------------

// What the writer needs of one item.
struct ExpItem {
  char type;  // X, B, I, D, S or L
  int width;  // bytes of one element
  int count;  // elements
};

// Appends one element of `type` at `element` (width bytes) as field text.
// X drops trailing blanks and B trailing zero bytes; text is quoted with
// bytes below 32 as "\ooo" and a quote or backslash escaped. S and L values
// are written with "%1.6g" and "%1.12g", or, when that text would read back
// as another value, with the fewest digits that read back the same.
void exp_append_element(std::string& out, char type, const unsigned char* element, size_t width);
// Appends a whole record: every element of every item, separated by `sep`,
// then a newline. Returns the number of record bytes used.
size_t exp_append_record(std::string& out, const ExpItem* items, size_t n_items, const unsigned char* record, char sep);

// ---- Reading --------------------------------------------------------------

// Lines of any length from a stream, the newline removed. The buffer is kept
// from line to line and grows with the longest line.
struct ExpLineReader {
  FILE* file = nullptr;
  char* data = nullptr;  // the current line, NUL-terminated
  size_t length = 0;
  size_t capacity = 0;
  long number = 0;  // lines read so far
  // A line pushed back by `exp_unread_line`, given again by the next read.
  bool pushed_back = false;
  ExpLineReader() = default;
  ExpLineReader(const ExpLineReader&) = delete;
  ExpLineReader& operator=(const ExpLineReader&) = delete;
  ~ExpLineReader();
};
bool exp_read_line(ExpLineReader* reader);
void exp_unread_line(ExpLineReader* reader);

enum { EXP_TEXT = 1, EXP_INTEGER = 2, EXP_FLOAT = 3 };

struct ExpValue {
  int kind;       // EXP_TEXT, EXP_INTEGER or EXP_FLOAT
  size_t offset;  // text: its bytes in ExpValues::text
  size_t length;
  long integer;   // EXP_INTEGER
  double number;  // EXP_FLOAT
};

// The values of one line. Their storage is kept from line to line and grows
// with the longest line.
struct ExpValues {
  std::vector<ExpValue> values;
  std::string text;
  const char* bytes(const ExpValue& v) const { return text.data() + v.offset; }
};

// A failure of the value scanner: the message and, for "Illegal numeric
// value", up to 40 characters of the line from the failing field.
struct ExpScanError {
  const char* message = nullptr;
  std::string rest;
  bool has_rest = false;
  // The error as the tool prints it: "\n<message>\n" or
  // "\n<message>: <rest>\n".
  std::string text() const;
};

// Splits a data line (without its newline) into values. Returns false with
// `error` filled on a missing quote, an illegal number, a separator at the
// end of the line or more than EXP_MAX_VALUES values.
bool exp_scan_values(const char* line, size_t length, char sep, ExpValues* out, ExpScanError* error);

// Reads the integer in text as strtol would, "true" when the text is a
// complete integer that fits 32 bits; used by conversions of text values.
bool exp_text_integer(const char* text, size_t length, long* value);

// Whether `sep` can separate fields: a character that can be part of a
// number ("-", "+", ".", "e", "E", a digit) cannot, since "1-5--3" would read
// back as other values.
bool exp_separator_ok(char sep);

// ---- Output files ---------------------------------------------------------

// An export file written under a temporary name beside its final name and
// renamed into place by exp_output_finish; standard output when the name is
// "-". The final name follows the rule of every save (platform/atomicfile.h):
// an existing FIFO or character device is written to directly, a symbolic
// link's target is replaced (the link stays), an existing file keeps its mode
// and group, a new one gets 0666 less the umask. Writes are buffered. A
// temporary file still there when the process exits (a fatal error on the
// way) is removed.
struct ExpOutput {
  FILE* file = nullptr;
  std::string name;       // final name as given ("-" for standard output)
  std::string target;     // the file the rename replaces (a link's target)
  std::string temp_name;  // empty for standard output and in-place writes
  int error = 0;          // errno of the first failure
  // The stream's buffer while the file is open (the C library takes the size
  // it is given only with a buffer of the caller's).
  std::shared_ptr<char[]> buffer;
};
// 0, or -1 with errno set when the temporary file cannot be made.
int exp_output_open(ExpOutput* out, const std::string& name);
// Writes bytes; a failure is kept and reported by exp_output_finish.
void exp_output_write(ExpOutput* out, const std::string& bytes);
// Flushes and closes, keeping the temporary file for exp_output_commit; 0, or
// -1 with errno set (the temporary file is then removed).
int exp_output_close(ExpOutput* out);
// Renames a closed temporary file into place; 0, or -1 with errno set (the
// temporary file is then removed and the old file stays).
int exp_output_commit(ExpOutput* out);
// Close and commit: 0, or -1 with errno set (no file has changed).
int exp_output_finish(ExpOutput* out);
// Removes the temporary file without renaming.
void exp_output_abandon(ExpOutput* out);
