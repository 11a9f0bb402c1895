// The code-set mapping the message buffer applies to protocol strings.
#pragma once

#include <cstddef>

// Maps n bytes in place from code set `from` to `to` (0 QX Roman-8, 1 ISO
// 8859-1; equal ids change nothing). 0, or -1 for another pair of ids.
int idb__charmap(int from, int to, unsigned char* bytes, size_t n);
