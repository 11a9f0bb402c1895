// The command file's input routine and the message lines of the run.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "database/client/status.h"
#include "database/tools/catadmin/catadmin.h"

CatOptions cat_opt;

// The scanner's restart (cat_scan.l).
void catrestart(FILE* file);

namespace {

FILE* input = nullptr;
int line_number = 0;
bool line_open = false;  // the current line has not ended yet
std::string line_text;
int errors = 0;
int reported_line = 0;  // the last line a message named

// Longest part of an input line kept for the message lines.
const size_t kKeptLine = 1024;

void message(const char* prefix, const char* format, va_list args) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  size_t n = std::strlen(text);
  if (n > 0 && text[n - 1] == '\n') text[n - 1] = '\0';
  if (line_number > 0 && reported_line != line_number) {
    if (cat_opt.verbose < 2) {
      std::fputs(line_text.c_str(), stdout);
      if (line_text.empty() || line_text.back() != '\n') std::fputc('\n', stdout);
    }
    reported_line = line_number;
    std::printf("%s%s in line %d\n", prefix, text, line_number);
  } else {
    std::printf("%s%s\n", prefix, text);
  }
}

}  // namespace

void cat_input_open(FILE* file) {
  input = file;
  catrestart(file);  // the scanner forgets what it read before
  line_number = 0;
  line_open = false;
  line_text.clear();
}

size_t cat_input_read(char* buffer, size_t size) {
  size_t n = 0;
  while (n < size) {
    int ch = std::fgetc(input);
    if (ch == EOF) break;
    if (!line_open) {
      ++line_number;
      line_text.clear();
      line_open = true;
    }
    buffer[n++] = static_cast<char>(ch);
    if (line_text.size() < kKeptLine) line_text += static_cast<char>(ch);
    if (ch == '\n') {
      line_open = false;
      break;
    }
  }
  return n;
}

int cat_input_line() { return line_number; }
const std::string& cat_input_text() { return line_text; }

void cat_warning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  message("*** (WARNING) ", format, args);
  va_end(args);
}

void cat_error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  message("*** ", format, args);
  va_end(args);
  ++errors;
  if (cat_opt.error_limit > 0 && errors > cat_opt.error_limit) cat_fatal("Number of errors exceeds maximum");
}

void cat_status_error() {
  char text[IDB_STATUS_TEXT_MAX];
  text[0] = '\0';
  idb__last_status_text(text, sizeof text, nullptr);
  cat_error("%s", text);
}

int cat_error_count() { return errors; }

void cat_fatal(const char* text) {
  std::printf("%s: %s\n", "FATAL", text ? text : "Fatal error encountered - can't continue");
  std::exit(1);
}

void cat_memory_panic() {
  // The exit handler runs first; the lines follow on standard error.
  cat_close_session();
  std::fflush(stdout);
  std::fputs("\nFATAL: Unrecoverable problem detected.\n", stderr);
  std::fputs("Memory panic\n", stderr);
  std::_Exit(1);
}

void cat_trace(const char* format, ...) {
  if (!cat_opt.trace) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}
