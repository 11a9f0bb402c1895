// Character sets: text carries a code-set number, 0 for QX Roman-8 and 1 for
// ISO 8859-1. The two sets differ only in codes A0 to FF (hex); conversion is
// a byte table per direction, applied in place.
#pragma once

#include <cstddef>
#include <cstdint>

enum { CHARSET_ROMAN8 = 0, CHARSET_ISO8859_1 = 1 };

// The tables are constant data of the library, complete before any code
// runs, so conversion is safe from any thread at any time. These two calls
// stay for callers that prepare the tables at start-up; they do nothing.
void charset_init();
void charset_ensure();

// Converts `length` bytes of `buffer` in place from code set `from` to code
// set `to`. Equal numbers return 0 without touching the buffer. A pair other
// than (0,1) or (1,0) sets errno to EINVAL (22) and returns -1, leaving the
// buffer unchanged. Otherwise 0.
int yq__charset_map(int from, int to, void* buffer, size_t length);

// The 256-byte table for one direction: (0,1) Roman-8 to ISO 8859-1, (1,0)
// ISO 8859-1 to Roman-8; null for any other pair.
const uint8_t* charset_table(int from, int to);
