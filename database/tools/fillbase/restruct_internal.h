// What the restructuring scanner and parser share: the input in lines, the
// current line for error lines, the error count, and the token texts of one
// parse.
#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "database/tools/fillbase/restruct.h"

struct RsState {
  FILE* in = nullptr;
  FILE* errors = nullptr;
  RsLookup* lookup = nullptr;
  RsOptions options;
  std::vector<RsSet>* out = nullptr;
  std::string line;        // the current line, upper case, with its newline
  long line_number = 0;    // of the current line
  long reported_line = 0;  // the last line whose text was printed with an error
  int errors_count = 0;
  std::deque<std::string> texts;  // token texts, alive for the whole parse
  char* raw = nullptr;            // getline buffer
  size_t raw_capacity = 0;
};

extern RsState* rs_state;

// Hands the scanner the next line (upper case); 0 at the end.
size_t rs_input(char* buffer, size_t max_size);
// Reports an error of the current line.
void rs_error(const char* message);
// Keeps a token text for the parse and gives it back.
const char* rs_keep(const char* text, size_t length);

int rslex();
void rs_scan_reset();
