// Trace output of the conversion tool, all on standard error: a line of
// level 0 is "formmorph: " and the text and is always written; a line of
// level n > 0 is "D<n>: " and the text, written only when the debug level
// ("-debug[n]") is at least n. The driver client (category 'G'), the TCP
// layer ('N', and the shared client helpers) all write through it, so the
// category letter only tells the call sites apart.
//
// This file also provides the trace entry points that the shared TCP client
// helpers call (database/client/trace.h), in the tool's own line format.
#pragma once

#include <cstdio>

// The debug level; 0 writes only the level-0 lines.
void fm_set_debug_level(int level);
int fm_debug_level();
// Where the lines go (standard error unless a test says otherwise).
void fm_set_trace_stream(FILE* stream);

// Writes one line when the level allows it.
void fm_trace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
