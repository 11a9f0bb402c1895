#include "database/client/charmap.h"

#include "language/charset.h"

int idb__charmap(int from, int to, unsigned char* bytes, size_t n) {
  if (from == to) return 0;
  return yq__charset_map(from, to, bytes, n) == 0 ? 0 : -1;
}
