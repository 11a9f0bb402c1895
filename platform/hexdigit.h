// Hexadecimal digits: the value of a digit of either case, and the two
// lower-case digits of a byte.
#pragma once

#include <string>

// 0 to 15 for a hexadecimal digit of either case, else -1.
inline int hex_digit_value(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends the two lower-case hexadecimal digits of `byte`.
inline void hex_append_byte(std::string* out, unsigned char byte) {
  static const char digits[] = "0123456789abcdef";
  *out += digits[byte >> 4];
  *out += digits[byte & 15];
}
