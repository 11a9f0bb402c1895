// The environment's build of the compiler: the same scanner, parser and code
// generator as the store tool, with a host that appends every line to the
// end of the program in the order the caller passes the lines.
//
// Differences from the store tool: no check of line-number order or
// duplicates; a line that refers to another line by its number fails
// ("LINE REFERENCE NOT ALLOWED IN IDE MODE": programs edited in the
// environment refer to lines by labels only); the size and allocation
// failures of the code area and the symbol table are errors of the line in
// work (column 0), never an end of the process; the parser does not read
// YYDEBUG.
//
// The program in work is cc->prog: the facade swaps a document's segment list
// in before each call and takes it back afterwards.
#pragma once

#include <cstddef>
#include <cstdint>

#include "language/compile.h"

inline constexpr char kIdeLineRefMessage[] = "LINE REFERENCE NOT ALLOWED IN IDE MODE";

// Sets up a context (an empty program) with the environment's host and front end.
void ide_context_init(CompileContext* cc);

// Compiles the next line of the program in work and appends it to its last
// segment (a SUB or multi-line DEF FN line to a new segment). 1 with the
// segment and word position of the stored line, 0 for an empty line, -1 with
// cc->error_message and cc->error_column set.
int ide_compile_line(CompileContext* cc, const char* text, size_t length, bool space_dependent, ProgSegment** seg,
                     uint32_t* pos);

// Compiles one line for checking and listing without storing it. Every
// symbol of the line is a new entry of the one-line segment's own table. On
// success (1) `one_line` holds the line as its code and those entries as its
// symbols, with character set -1, until the next call.
int ide_parse_line(CompileContext* cc, const char* text, size_t length, bool space_dependent, ProgSegment* one_line);

// Fails the line in work (it does not return) when any of its words refers
// to a line by number.
void ide_check_line_refs(CompileContext* cc);

// The last segment of the program in work, or null.
ProgSegment* ide_last_segment(CompileContext* cc);

// Appends one finished line (its word count is the low byte of words[1]) at
// the end of the segment's code and gives its position. Null, or the
// message of the failure.
const char* ide_append_code(ProgSegment* seg, const uint16_t* words, uint32_t* pos);

// Appends symbol words to the segment's table. Null, or the message.
const char* ide_add_symbols(ProgSegment* seg, const uint16_t* words, size_t count);
