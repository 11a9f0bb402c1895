// Reader of the ASCII dialog language (".dlg" files): a line-based text form
// of a dialog, a tree of objects of a class with attribute assignments, plus
// symbolic definitions and includes.
//
//     # a comment
//     include "?common.dlg"          # "?": skipped when it cannot be opened
//     WIDTH = 0x10                   # a define: a constant or a defined name
//     Dialog main {                  # Class Name { ... }, at most 8 open
//       .width = WIDTH               # an attribute of the innermost object
//       .items[2] = "two"            # an array element
//     }
//
// The reader knows the language and nothing of what the objects mean: it
// calls its user (the plug-in, the conversion tool) through DlgReaderUser for
// every object, attribute, define, identifier value, include and kept text
// line. Each user brings its own message table, since the two spell their
// messages apart, and its own rules for include names.
//
// Tokens: a string is a double quote, any bytes up to the next double quote
// on the same line, and that quote (no escapes); a number begins with a digit
// or "-" and is read with automatic base (decimal, "0x" hexadecimal, leading
// "0" octal) and must fit 32 bits; an identifier begins with a letter and
// goes on with letters, digits, "_" and "."; any other byte is a token of its
// own. "#" outside a string ends a line's content. Tokens run on across
// lines: a statement ends where its last token ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Most objects open at one time.
enum { DLG_MAX_DEPTH = 8 };
// Most include files open below the main file.
enum { DLG_MAX_INCLUDE = 2 };
// The prefix of a designer-only line.
#define DLG_IDE_PREFIX "#__IDE__# "

// Results of a read: the codes of the conversion tool's reader, which the
// plug-in maps to its own failure.
enum DlgReadCode {
  DLG_OK = 0,
  DLG_ERR_OPEN = 2,    // the file or an include file cannot be opened
  DLG_ERR_SYNTAX = 3,  // a syntax error or an unresolved value
  DLG_ERR_DEPTH = 4,   // objects or includes nested too deep
  DLG_ERR_MEMORY = 5,  // memory exhausted
};

// Token codes in messages: a byte token is its own code; the others are the
// byte that starts them.
enum DlgToken {
  DLG_TOK_END = 0x00,     // end of the current file
  DLG_TOK_STRING = 0x22,  // '"'
  DLG_TOK_NUMBER = 0x30,  // '0'
  DLG_TOK_IDENT = 0x41,   // 'A'
};

// The message texts of one user. Texts with a "%" take the argument that
// the comment names (the formats are the user's own, printf style).
struct DlgMessages {
  const char* not_inside_object;       // "Not inside object"
  const char* extra_brace;             // "Extra '}'"
  const char* object_name_expected;    // "...0x%02x": the token code
  const char* missing_brace;           // "...%d": objects still open
  const char* identifier_expected;     // "...0x%02x": the token code
  const char* nesting_too_deep;        // "...%d": DLG_MAX_DEPTH
  const char* open_brace_expected;     // "'{' expected"
  const char* attribute_expected;      // "Attribute expected"
  const char* index_expected;          // "Attribute index expected"
  const char* close_bracket_expected;  // "']' expected"
  const char* equals_expected;         // "'=' expected"
  const char* value_expected;          // an attribute value is missing
  const char* define_value_expected;   // a define's value is missing
  const char* include_name_expected;   // "include: File name expected"
  const char* include_too_deep;        // a third include level
  const char* missing_quote;           // "Missing quote"
  const char* number_range;            // "...%s": the number as written
  const char* line_too_long;           // "...%zu": the longest line allowed
  const char* out_of_memory;           // memory ran out
};

enum DlgValueKind { DLG_VALUE_TEXT = 1, DLG_VALUE_INTEGER = 2 };

struct DlgValue {
  DlgValueKind kind = DLG_VALUE_INTEGER;
  int32_t number = 0;
  std::string text;
  // A value given as an identifier: its name as written, and whatever
  // handle the user's lookup gave it (-1 when none).
  std::string symbol;
  int32_t handle = -1;
};

// What was read of an object statement.
struct DlgObject {
  std::string path;            // "parent.child"; a top-level object's path is its name
  std::string cls;             // the class name as written
  std::string name;            // the object's own name
  int depth = 1;               // 1 for a top-level object
  bool designer_only = false;  // read from a designer-only line
};

// What was read of an attribute statement.
struct DlgAttribute {
  const DlgObject* object = nullptr;  // the innermost open object
  std::string name;                   // without the leading "."
  bool has_index = false;
  int32_t index = 0;
  DlgValue value;
  bool designer_only = false;
};

// A file the reader reads: its name (as the user wants it in messages and
// as the base of relative includes) and its bytes.
struct DlgSource {
  std::string name;
  std::string text;
};

// Kinds of text line kept for the user. The last two come only with
// DlgReadOptions::keep_source.
enum DlgTextKind {
  DLG_TEXT_BLANK,
  DLG_TEXT_COMMENT,
  DLG_TEXT_INCLUDE,
  // The end of a line from the end of its last token on, when that is a
  // "#" comment (blanks before the "#" included).
  DLG_TEXT_TRAILING,
  // A define statement, as "NAME = value" with the value as written.
  DLG_TEXT_DEFINE,
};

// The user of a read. Every callback that returns int gives 0 to go on, or a
// DlgReadCode (or any other non-zero code of the user's) with `message` set
// to end the read with that code.
class DlgReaderUser {
 public:
  virtual ~DlgReaderUser() = default;

  virtual int object(const DlgObject& object, std::string& message) = 0;
  virtual int attribute(const DlgAttribute& attribute, std::string& message) = 0;
  virtual int define(const std::string& name, const DlgValue& value, std::string& message) = 0;
  // The value of an identifier used as a value; a name without one fails
  // with the user's message.
  virtual int lookup(const std::string& name, DlgValue& value, std::string& message) = 0;
  // Opens an include file. `name` is the string as written without a
  // leading "?"; `optional` tells whether it had one; `from` is the file
  // that includes it. Returns 0 with `source` filled, 1 to skip the include
  // (an optional file that cannot be opened), or a failure code.
  virtual int include_open(const std::string& name, bool optional, const DlgSource& from, DlgSource& source,
                           std::string& message) = 0;

  // An object closed by its "}"; a failure code ends the read.
  virtual int object_end(const DlgObject& /*object*/, std::string& /*message*/) { return 0; }
  // A blank line, a comment line (also a designer-only line when those are
  // comments) or the line of an include statement, with the include level
  // it was read at (0 for the main file); with keep_source also trailing
  // comments and define statements. The include line is the whole line as
  // written, or with keep_source "include" and the name in quotes as
  // written. A failure code ends the read.
  virtual int text_line(DlgTextKind /*kind*/, const std::string& /*line*/, int /*level*/, std::string& /*message*/) {
    return 0;
  }
  // Every line as it is read, with its number in its file.
  virtual void line_read(int /*number*/, const std::string& /*line*/, int /*level*/) {}
};

// How designer-only lines are read.
enum DlgIdeLines {
  DLG_IDE_AS_COMMENT,  // a comment line
  DLG_IDE_AS_CONTENT,  // the rest of the line, after the prefix and blanks, is content
};

struct DlgReadOptions {
  const DlgMessages* messages = nullptr;
  DlgIdeLines ide_lines = DLG_IDE_AS_COMMENT;
  // Longest line accepted (without its line end); a longer one is an error
  // at its line.
  size_t max_line = 65536;
  // Whether a byte is a letter for identifiers; null takes ASCII letters.
  bool (*is_letter)(unsigned char byte) = nullptr;
  // Hands the user what a writer needs to give the file back: trailing
  // comments, define statements, and include lines in their plain form, with
  // the comment of an include line before the included file is read.
  bool keep_source = false;
};

struct DlgReadResult {
  int code = DLG_OK;
  int line = 0;         // the line being read when the read ended
  std::string file;     // the file that line belongs to
  std::string message;  // empty on success
};

// Reads `main` and everything it includes, calling `user` for each
// statement, until the end of the main file or the first error. Returns
// result->code.
int dlg_read(DlgReaderUser& user, const DlgReadOptions& options, const DlgSource& main, DlgReadResult* result);

// Formats a message of a table (printf style) into a string.
std::string dlg_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
