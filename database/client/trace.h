// Trace facility: diagnostic lines by category letter 'A' to 'Z' and level,
// written when the configured level of the letter is at least the given one.
// The tools set the levels from their "-d" option (default "*0").
#pragma once

#include <cstddef>
#include <cstdio>

// Sets the stream, then parses the flags.
void debug_init(const char* flags, FILE* stream);
// Uses `stream` from now on; the previous one is closed unless it is standard
// output or standard error.
void debug_set_stream(FILE* stream);
FILE* debug_stream();
// Sets every level from a flags text such as "*0", "P2X3" or "*3P0".
void debug_parse_flags(const char* flags);
// 1 when `letter` is 'A'..'Z' and its level is at least `level`, else 0.
int debug_enabled(int letter, int level);
// Writes "(pid) L<level>: <text>" when enabled.
void debug_printf(int letter, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
// A hex dump of n bytes under a title; the caller tests whether it is enabled.
void debug_hex_dump(const char* title, const void* bytes, size_t n);
// Writes an empty line, "-----" and the call name at `level` when enabled;
// returns whether it was.
int idb__trace_call(int letter, int level, const char* name);
