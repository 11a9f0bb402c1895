// The line compiler: numbering, finding the line's place through the host,
// running the front end that the context holds, opening segments and storing
// the finished line. The context itself is described in language/context.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "language/context.h"

// Results of cg_compile_line.
enum : int { CG_LINE_ERROR = -1, CG_LINE_EMPTY = 0, CG_LINE_STORED = 1 };

// Numbering: the next line without a number gets `first`, then every further
// one `increment` more. Both must be above 0: false otherwise (nothing set).
bool cg_set_numbering(CompileContext* cc, int first, int increment);

// Compiles one line of a stored program: CG_LINE_STORED, CG_LINE_EMPTY, or
// CG_LINE_ERROR with cc->error_message and cc->error_column set.
int cg_compile_line(CompileContext* cc, const char* text, size_t length);

// Compiles one line without storing it: *words gets the finished line, and
// cc->cg.newsyms every symbol it refers to as new entries of a table of its
// own (no segment's table is searched). The numbering is left as it was.
// CG_LINE_STORED, CG_LINE_EMPTY or CG_LINE_ERROR as cg_compile_line.
int cg_parse_line(CompileContext* cc, const char* text, size_t length, std::vector<uint16_t>* words);
