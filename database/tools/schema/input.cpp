// Line input of the schema source: one line at a time, at most 255
// characters, echoed to the listing as read, then cut at the width limit and
// turned to upper case for the scanner.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"

namespace {

struct SchInput {
  FILE* file;
  long line_number;
  char line[SCH_LINE_MAX + 2];  // as read, for the listing and the messages
  char scan[SCH_LINE_MAX + 2];  // what the scanner gets
  size_t scan_length;
  size_t scan_pos;
  bool at_end;
};

SchInput g_in;

// Reads one line into g_in.line. Returns false at the end of the source.
// Sets `overlong` when the line held more than SCH_LINE_MAX characters; the
// rest of such a line is read and dropped, never taken as a further line.
bool read_line(bool* overlong) {
  size_t length = 0;
  bool any = false;
  *overlong = false;
  for (;;) {
    int c = std::getc(g_in.file);
    if (c == EOF) break;
    any = true;
    if (c == '\n') break;
    if (length < SCH_LINE_MAX)
      g_in.line[length++] = static_cast<char>(c);
    else
      *overlong = true;
  }
  if (length > 0 && g_in.line[length - 1] == '\r') --length;
  g_in.line[length] = '\0';
  return any;
}

}  // namespace

void sch_input_open(FILE* file) {
  g_in = SchInput{};
  g_in.file = file;
  err_begin_source();
}

size_t sch_input_read(char* buffer, size_t max_size) {
  if (g_in.scan_pos >= g_in.scan_length) {
    if (g_in.at_end || !g_in.file) return 0;
    bool overlong = false;
    if (!read_line(&overlong)) {
      g_in.at_end = true;
      err_set_line(nullptr, 0);
      return 0;
    }
    ++g_in.line_number;
    err_set_line(g_in.line, g_in.line_number);
    // The messages show the line themselves unless the listing did.
    err_context()->listing = sch_opt.listing;
    if (sch_opt.listing) {
      sch_print(g_in.line);
      sch_print("\n");
    }
    if (overlong) sch_error("Line longer than 255 characters (rest ignored)");

    size_t length = std::strlen(g_in.line);
    if (sch_opt.width > 0 && length > static_cast<size_t>(sch_opt.width)) length = static_cast<size_t>(sch_opt.width);
    for (size_t i = 0; i < length; ++i) {
      char c = g_in.line[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      g_in.scan[i] = c;
    }
    g_in.scan[length++] = '\n';
    g_in.scan_length = length;
    g_in.scan_pos = 0;
  }
  size_t count = g_in.scan_length - g_in.scan_pos;
  if (count > max_size) count = max_size;
  std::memcpy(buffer, g_in.scan + g_in.scan_pos, count);
  g_in.scan_pos += count;
  return count;
}
