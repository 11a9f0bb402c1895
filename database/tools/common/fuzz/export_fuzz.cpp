// Fuzzing target of the export file reader: every line of the input goes
// through the header parsers and the value scanner; each value must lie
// inside the scanner's text buffer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/tools/common/export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (!in) return 0;
  ExpLineReader reader;
  reader.file = in;
  ExpValues values;
  ExpScanError error;
  while (exp_read_line(&reader)) {
    std::string name;
    int set = 0;
    char set_name[EXP_NAME_LEN + 1];
    ExpField field;
    exp_parse_database_line(reader.data, name);
    exp_parse_set_header(reader.data, &set, set_name);
    if (exp_parse_item_line(reader.data, &field) && (field.count < 1 || !field.type)) std::abort();
    if (exp_scan_values(reader.data, reader.length, ',', &values, &error)) {
      if (values.values.size() > EXP_MAX_VALUES) std::abort();
      for (const ExpValue& v : values.values)
        if (v.kind == EXP_TEXT && v.offset + v.length > values.text.size()) std::abort();
    }
  }
  std::fclose(in);
  return 0;
}
