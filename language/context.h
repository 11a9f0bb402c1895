// The compile context: everything the compiler keeps between and during
// lines.
//
// One CompileContext holds the program in work (its segment list), the
// numbering, the code generator's working state of the line, the scanner's
// state slot, the host's segment-storage operations and the front end (the
// scanner's line start and the parser) that the caller hands in. Every
// compiler function takes the context as its first argument, so several
// programs can be compiled side by side (the environment swaps a document's
// segment list into `prog` before each call and takes it back afterwards).
//
// Errors inside a line are raised with cg_error(), which leaves the line by a
// C++ exception (CgLineError) caught in cg_compile_line(); nothing of a
// failed line reaches the segments. Code that runs inside a line (scanner,
// parser actions) must therefore not hold resources across calls into the
// compiler except through RAII or the context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "language/codegen.h"
#include "language/progseg.h"

struct CompileContext;

// Thrown by cg_error; carries nothing, the message is in the context.
struct CgLineError {};

// Segment-storage operations of the host (the store tool orders lines by
// number; the environment appends). Each gives 0 on success or a message
// that fails the line at column 0.
struct CgHost {
  void* user = nullptr;
  // Where a line with this number goes: its segment and word position.
  // Gives true (via *exists) when a line with that number is there.
  const char* (*find_line)(void* user, CompileContext* cc, int lineno, bool exact_only, ProgSegment** seg,
                           uint32_t* pos, bool* exists) = nullptr;
  // Inserts one finished line at a word position of a segment.
  const char* (*insert_code)(void* user, CompileContext* cc, ProgSegment* seg, uint32_t pos, const uint16_t* words,
                             size_t count) = nullptr;
  // Appends symbol words to a segment's table.
  const char* (*add_symbols)(void* user, CompileContext* cc, ProgSegment* seg, const uint16_t* words,
                             size_t count) = nullptr;
  // Optional check of a parsed line before its symbols are resolved (the
  // words are still in cc->cg.code); a message fails the line at column 0.
  const char* (*check_line)(void* user, CompileContext* cc) = nullptr;
  // Lines go where find_line says in the order they come: a numbered line is
  // not checked against the numbers before it.
  bool append_only = false;
};

// The host operations over progseg: find a line by number, insert at the
// position, append symbols; size limits fail the line with "Code size
// exceeds maximum" and "Symbol table size exceeds maximum".
CgHost cg_default_host();

// The two stages before code generation proper. line_start is the
// scanner's line-start step (gives 0 empty, 1 number only, 2 numbered,
// 3 unnumbered statement; emits the first words of the line); parse runs the
// statement parser over the rest of the line (0 success, non-zero failure).
// A null stage means that part of the compiler is not available in this
// build: the line fails with "STATEMENT COMPILER NOT AVAILABLE" (without a
// parser, after the line start has checked the line number and keyword).
struct CgFrontEnd {
  int (*line_start)(CompileContext* cc, int mode, const char* text, int length) = nullptr;
  int (*parse)(CompileContext* cc) = nullptr;
};

// Line-start modes of the scanner.
enum : int {
  SCAN_MODE_VARLIST = -1,
  SCAN_MODE_EXPRESSION = 0,
  SCAN_MODE_STATEMENT = 1,
  SCAN_MODE_IMMEDIATE = 2,
  SCAN_MODE_PROGRAM = 3,
};

// Debug output of the compiler (word dumps, token traces). The library never
// prints; a tool that wants the output installs a sink.
using CgDebugSink = void (*)(void* user, const char* text);

struct CompileContext {
  ProgList prog;     // program in work
  CgHost host;       // segment-storage operations
  CgFrontEnd front;  // scanner line start and parser

  // Scanner state: owned by the scanner, released with scan_release.
  void* scan = nullptr;
  void (*scan_release)(void* scan) = nullptr;
  bool space_dependent = false;  // scanner spelling
  // Column of the scanner's current token; errors that the code generator
  // raises on its own are reported there.
  int token_column = 0;

  int debug = 0;  // debug level (0 off)
  // The parser has looked at YYDEBUG: once per context, at its first line.
  bool debug_env_read = false;
  CgDebugSink debug_sink = nullptr;
  void* debug_user = nullptr;

  // Numbering: the last line number and the increment.
  int last_line = 0;
  int increment = 1;

  // Error of the last line: message and column (-1 none).
  std::string error_message;
  int error_column = -1;

  CgState cg;  // working state of the line in work
};

// Sets up a context with an empty program, the default host and the front
// end the caller hands in (a stage it leaves null is not available).
void cc_init(CompileContext* cc, const CgFrontEnd& front);
// Frees the program and the scanner state.
void cc_free(CompileContext* cc);

// Writes debug text through the sink when debug output is on.
void cc_debug(CompileContext* cc, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Records an error message and column and abandons the line in work.
[[noreturn]] void cg_error(CompileContext* cc, int column, const std::string& message);
// Records a message and column without leaving the line (the scanner presets
// the message a failed parse reports).
void cg_set_error(CompileContext* cc, int column, const std::string& message);
void cg_set_error(CompileContext* cc, int column, const char* message);
