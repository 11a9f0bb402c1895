// Helpers of the grammar actions: error reports in the parser's wording,
// the limit checks of single statements, and the parser's front end.
#include "language/actions.h"

#include <cstring>
#include <string>

#include "language/codegen.h"
#include "language/keywords.h"
#include "language/tokens.h"

namespace {

// Word of the one MAT function that string arrays allow (ZER).
constexpr uint32_t kMatZer = 0xB46D;

// Selector flags of ASSIGN and PRINTER IS options.
uint32_t option_bit(int selector) { return 1u << selector; }

}  // namespace

CgFrontEnd parse_front_end() {
  CgFrontEnd f;
  f.line_start = scan_line_start;
  f.parse = parse_line;
  return f;
}

bool is_item_end(int token) {
  switch (token) {
    case ',':
    case ';':
    case ':':
    case ')':
    case '!':
    case ptok::ON:
    case ptok::TO:
    case ptok::T_EOL: return true;
    default: return false;
  }
}

void parse_error(CompileContext* cc, const char* message) { cg_error(cc, cc->token_column, message); }

void parse_improper(CompileContext* cc, const char* what) {
  std::string m = "IMPROPER ";
  m += what;
  cg_error(cc, cc->token_column, m);
}

void parse_expect_delim(CompileContext* cc, int lookahead, const char* delimiter) {
  if (!is_item_end(lookahead)) parse_improper(cc, "EXPRESSION");
  std::string m = "IMPROPER DELIMITER: ";
  m += delimiter;
  m += " EXPECTED";
  cg_error(cc, cc->token_column, m);
}

void parse_statement_end_error(CompileContext* cc, int lookahead) {
  parse_error(cc, is_item_end(lookahead) ? "'!' OR EOL EXPECTED" : "IMPROPER STATEMENT");
}

void parse_count_item(CompileContext* cc, ParseState* ps, uint32_t limit, const char* message) {
  if (++ps->counter > limit) parse_error(cc, message);
}

void parse_option(CompileContext* cc, ParseState* ps, int selector, uint32_t code) {
  uint32_t bit = option_bit(selector);
  if (ps->counter & bit) parse_error(cc, "IMPROPER OR CONFLICTING SPECIFICATION");
  ps->counter |= bit;
  cg_keyword(cc, true, static_cast<uint16_t>(code));
}

void parse_image_sign(CompileContext* cc, ParseState* ps) {
  if (ps->counter != 0) parse_error(cc, "DUPLICATE SIGN");
  ps->counter = 1;
}

void parse_file_number(CompileContext* cc, long number, uint16_t prefix) {
  if (number < PARSE_MIN_FILE_NUMBER || number > PARSE_MAX_FILE_NUMBER) parse_improper(cc, "FILE NUMBER");
  cg_emit(cc, prefix);
  cg_emit(cc, static_cast<uint32_t>(number));
}

void parse_string_element(CompileContext* cc, const ScanFields& v) {
  cg_push_string(cc, v.text, static_cast<size_t>(v.length));
  cg_dump(cc, 1, 1, CW_STR_LITERAL);
}

void parse_comment(CompileContext* cc, const ScanFields& v) {
  cg_comment(cc, static_cast<int>(v.number), v.text, static_cast<size_t>(v.length));
}

void parse_raw_text(CompileContext* cc, int mode) {
  if (scan_rest(cc, mode))
    parse_comment(cc, *scan_value(cc));
  else
    cg_comment(cc, cc->token_column + 1, "", 0);
}

void parse_struct_decl(CompileContext* cc, uint16_t word, const char* name, const char* type) {
  cg_emit(cc, word);
  cg_emit(cc, cg_tmpsym_struct(cc, name));
  cg_emit(cc, cg_tmpsym_struct_sub(cc, 0, type));
}

void parse_select(CompileContext* cc, int table_id) { scan_select_table(cc, table_id); }

void parse_skip_item(CompileContext* cc, const ScanFields& count, const ScanFields* x_name, uint32_t code) {
  if (x_name != nullptr) {
    if (std::strcmp(x_name->name, "X") != 0 || count.number < 1) parse_error(cc, "ILLEGAL X VALUE");
  } else if (count.number < 1) {
    parse_error(cc, "ILLEGAL SKP VALUE");
  }
  cg_keyword(cc, true, static_cast<uint16_t>(code));
  cg_emit(cc, static_cast<uint32_t>(count.number));
}

void parse_mat_string_function(CompileContext* cc, uint32_t code) {
  if (code != kMatZer) parse_error(cc, "NOT ALLOWED WITH STRING ARRAYS");
}
