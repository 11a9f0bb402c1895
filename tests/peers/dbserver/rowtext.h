// Test helper: a catalog row as text, for comparing what the stand-in's
// catalog holds after a tool ran.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "database/client/catalog.h"

namespace dbserver_test {

// One row as "value|value|...": integers in decimal, strings as they are,
// binary values in hex.
inline std::string row_text(const SysCatResultSet* rs, const SysCatRow* row) {
  std::string text;
  for (uint32_t c = 0; c < row->col_count && c < rs->col_count; ++c) {
    if (c) text += "|";
    const SysCatValue& v = row->values[c];
    if (!v.value) {
      text += "NULL";
      continue;
    }
    switch (rs->cols[c].col_type) {
      case SysCol_INT8: text += std::to_string(v.value[0]); break;
      case SysCol_INT16: {
        int16_t n;
        std::memcpy(&n, v.value, sizeof n);
        text += std::to_string(n);
        break;
      }
      case SysCol_INTEGER: {
        int32_t n;
        std::memcpy(&n, v.value, sizeof n);
        text += std::to_string(n);
        break;
      }
      case SysCol_VARCHAR:
      case SysCol_CHAR:
      case SysCol_STRING:
        text += std::string(reinterpret_cast<const char*>(v.value),
                            strnlen(reinterpret_cast<const char*>(v.value), v.length));
        break;
      default:
        for (uint32_t i = 0; i < v.length; ++i) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02x", v.value[i]);
          text += hex;
        }
    }
  }
  return text;
}

}  // namespace dbserver_test
