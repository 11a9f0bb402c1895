// Reads an input text a line at a time: each line is echoed to the listing
// and becomes the line that error reports name.
#include "language/tools/linkforge/linkforge.h"

#include "language/errutil.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void lf_input_open(FILE* file, const char* name) {
  LfInput* in = &lf_ctx.input;
  in->file = file;
  in->name = name;
  in->line_number = 0;
  in->line_length = 0;
  in->line_pos = 0;
  in->read_failed = 0;
  lf_ctx.pager.input_name = name;
  err_begin_source();
}

size_t lf_input_read(char* buffer, size_t max_size) {
  LfInput* in = &lf_ctx.input;
  if (in->line_pos >= in->line_length) {
    if (!in->file) return 0;
    errno = 0;
    char* line = in->line;
    size_t capacity = in->line_capacity;
    ssize_t length = getline(&line, &capacity, in->file);
    in->line = line;
    in->line_capacity = capacity;
    if (length <= 0) {
      if (std::ferror(in->file)) in->read_failed = errno ? errno : EIO;
      return 0;
    }
    in->line_length = static_cast<size_t>(length);
    in->line_pos = 0;
    ++in->line_number;
    err_set_line(in->line, in->line_number);
    if (lf_ctx.listing) {
      err_print(in->line);
      if (in->line[in->line_length - 1] != '\n') err_print("\n");
    }
  }
  size_t count = in->line_length - in->line_pos;
  if (count > max_size) count = max_size;
  std::memcpy(buffer, in->line + in->line_pos, count);
  in->line_pos += count;
  return count;
}
