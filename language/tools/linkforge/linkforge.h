// linkforge: turns declarations of external library functions into the C
// call glue of the run-time (function table, argument table, dispatcher).
#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>

// Argument kinds, in the order of the run-time's YqArgList enumeration.
enum LfKind {
  LF_VAR_ARG = 0,
  LF_INT_BY_VALUE,
  LF_INT_BY_REFERENCE,
  LF_INT_ARRAY,
  LF_REAL_BY_VALUE,
  LF_REAL_BY_REFERENCE,
  LF_REAL_ARRAY,
  LF_ZSTRING,
  LF_STRING,
  LF_STRING_ARRAY,
  LF_KIND_COUNT
};

enum {
  LF_MAX_ARGS = 50,   // arguments of one function (slots av[0..49])
  LF_PAGE_LENGTH = 0  // listing lines per page; 0 = one page
};

struct LfArgument {
  LfArgument* next;
  char* name;  // null for a variable argument list
  int kind;
  long size;  // array size, 0 unless given
};

struct LfFunction {
  LfFunction* next;
  char* name;
  int arg_count;
  LfArgument* first_arg;
  LfArgument* last_arg;
};

// The functions declared by every input, in declaration order.
struct LfModule {
  LfFunction* first;
  LfFunction* last;
  int count;
};

// One input text, read a line at a time for the scanner.
struct LfInput {
  FILE* file;
  const char* name;
  long line_number;
  char* line;  // the current line (getline buffer)
  size_t line_capacity;
  size_t line_length;
  size_t line_pos;  // bytes of the line already handed to the scanner
  int read_failed;  // errno of a failed read, 0 when none
};

// Paged listing on one stream.
struct LfPager {
  FILE* out;
  int listing;      // page headers only when the listing is on
  int page;         // pages started so far
  int page_length;  // 0 = one page
  int lines_on_page;
  int at_line_start;
  const char* input_name;  // shown in the header of later pages
  int write_failed;        // errno of the first failed write, 0 when none
};

struct LfContext {
  LfModule module;
  LfInput input;
  LfPager pager;
  int listing;
  int comment_depth;  // nesting of /* */ comments
  long comment_line;  // line where the outermost open comment began
};

extern LfContext lf_ctx;

// Declarations (grammar actions).
void lf_begin_function(char* name);                     // takes the name
void lf_add_argument(char* name, int kind, long size);  // takes the name; null for "..."
void lf_free_module(LfModule* module);

// Input (scanner side).
void lf_input_open(FILE* file, const char* name);
size_t lf_input_read(char* buffer, size_t max_size);
void lf_scan_start();   // resets the scanner for the current input
int lf_scan_token();    // the next token of the current input, 0 at its end
void lf_scan_finish();  // releases the scanner's buffers
int lf_parse_input();   // parses the current input; 0 on success

// Paged print routine (also the error reports' printer).
void lf_pager_init(LfPager* pager, FILE* out, int listing);
void lf_pager_print(void* pager, const char* text);

// The C glue for the module. Returns false (and leaves `out` unfinished)
// when an argument has an unknown kind.
bool lf_generate(const LfModule* module, const char* output_name, std::string* out);
