// The compile context and the line compiler: numbering, finding the line's
// place through the host, running the scanner's line start and the parser,
// opening segments, and storing the finished line.
#include "language/compile.h"

#include "language/scanner.h"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

const char* default_find_line(void*, CompileContext* cc, int lineno, bool exact_only, ProgSegment** seg, uint32_t* pos,
                              bool* exists) {
  if (cc->prog.root == nullptr) return "Unable to allocate root segment";
  *exists = progseg_find_line(&cc->prog, lineno, exact_only, seg, pos);
  return nullptr;
}

const char* default_insert_code(void*, CompileContext*, ProgSegment* seg, uint32_t pos, const uint16_t* words,
                                size_t count) {
  switch (progseg_insert_line(seg, pos, words, count)) {
    case PROGSEG_OK: return nullptr;
    case PROGSEG_CODE_FULL: return "Code size exceeds maximum";
    case PROGSEG_NO_MEMORY: return "Unable to (re-)allocate code area";
    default: return "Inconsistent line position";
  }
}

const char* default_add_symbols(void*, CompileContext*, ProgSegment* seg, const uint16_t* words, size_t count) {
  switch (progseg_add_symbols(seg, words, count)) {
    case PROGSEG_OK: return nullptr;
    case PROGSEG_SYMBOLS_FULL: return "Symbol table size exceeds maximum";
    default: return "Unable to (re-)allocate symbol table";
  }
}

// Stores the finished line: the new symbols first, then the code, so that a
// failure of either leaves the segment as it was.
void store_line(CompileContext* cc, ProgSegment* seg, uint32_t pos, const std::vector<uint16_t>& words) {
  const std::vector<uint16_t>& syms = cc->cg.newsyms;
  size_t before = seg->symbols.size();
  if (!syms.empty()) {
    const char* err = cc->host.add_symbols(cc->host.user, cc, seg, syms.data(), syms.size());
    if (err != nullptr) cg_error(cc, 0, err);
  }
  const char* err = cc->host.insert_code(cc->host.user, cc, seg, pos, words.data(), words.size());
  if (err != nullptr) {
    progseg_truncate_symbols(seg, before);
    cg_error(cc, 0, err);
  }
}

void check_line(CompileContext* cc) {
  if (cc->host.check_line == nullptr) return;
  const char* err = cc->host.check_line(cc->host.user, cc);
  if (err != nullptr) cg_error(cc, 0, err);
}

// Runs the parser over a line that the line start has opened.
void parse(CompileContext* cc) {
  if (cc->front.parse == nullptr) cg_error(cc, 0, "STATEMENT COMPILER NOT AVAILABLE");
  if (cc->front.parse(cc) != 0) {
    // The parser gave up without a message of its own: report the one the
    // line start preset.
    if (cc->error_message.empty()) cg_error(cc, 0, "SYNTAX ERROR");
    throw CgLineError{};
  }
}

int parse_only(CompileContext* cc, const char* text, size_t length, std::vector<uint16_t>* words) {
  if (cc->front.line_start == nullptr) cg_error(cc, 0, "STATEMENT COMPILER NOT AVAILABLE");
  if (length > 0x7FFFFFFF) cg_error(cc, 0, "LINE TOO LONG");
  int kind = cc->front.line_start(cc, SCAN_MODE_PROGRAM, text, static_cast<int>(length));
  if (kind == 0) return CG_LINE_EMPTY;
  if (kind != 2 && kind != 3) cg_error(cc, 0, "SYNTAX ERROR");
  CgState& s = cc->cg;
  if (s.code.size() < 2) cg_error(cc, 0, "SYNTAX ERROR");
  if (kind == 3) {
    long next = static_cast<long>(cc->last_line) + cc->increment;
    s.code[0] = next >= 1 && next <= PROG_MAX_LINE ? static_cast<uint32_t>(next) : 0;
  }
  s.seg = nullptr;
  parse(cc);
  check_line(cc);
  s.seg = nullptr;  // every symbol becomes an entry of the line's own table
  cg_finish_line(cc, words);
  return CG_LINE_STORED;
}

int compile_line(CompileContext* cc, const char* text, size_t length) {
  if (cc->front.line_start == nullptr) cg_error(cc, 0, "STATEMENT COMPILER NOT AVAILABLE");
  if (length > 0x7FFFFFFF) cg_error(cc, 0, "LINE TOO LONG");
  int kind = cc->front.line_start(cc, SCAN_MODE_PROGRAM, text, static_cast<int>(length));
  if (kind == 0) return CG_LINE_EMPTY;
  if (kind != 2 && kind != 3) cg_error(cc, 0, "SYNTAX ERROR");

  CgState& s = cc->cg;
  if (s.code.size() < 2) cg_error(cc, 0, "SYNTAX ERROR");
  int lineno;
  if (kind == 3) {
    // An automatic number that would not fit the 15 bits of the line-number
    // word is refused, never wrapped.
    long next = static_cast<long>(cc->last_line) + cc->increment;
    if (next > PROG_MAX_LINE || next < 1) cg_error(cc, 0, "IMPROPER LINE NUMBER");
    lineno = static_cast<int>(next);
    cc->last_line = lineno;
    s.code[0] = static_cast<uint32_t>(lineno);
  } else {
    lineno = static_cast<int>(s.code[0] & 0x7FFF);
    if (lineno < cc->last_line && !cc->host.append_only) cg_error(cc, 0, "LINE NUMBERS NOT IN ORDER");
    cc->last_line = lineno;
  }

  ProgSegment* seg = nullptr;
  uint32_t pos = 0;
  bool exists = false;
  const char* err = cc->host.find_line(cc->host.user, cc, lineno, false, &seg, &pos, &exists);
  if (err != nullptr) cg_error(cc, 0, err);
  if (exists) cg_error(cc, 0, "DUPLICATE LINE NUMBER");

  s.seg = seg;
  parse(cc);
  check_line(cc);

  std::vector<uint16_t> words;
  if (s.new_segment) {
    if (seg == nullptr || seg->next != nullptr || pos != seg->code.size())
      cg_error(cc, 0, "SEGMENT CHANGE NOT ALLOWED HERE");
    // The line's symbols all go into the new segment's empty table.
    s.seg = nullptr;
    cg_finish_line(cc, &words);
    ProgSegment* fresh = progseg_new(&cc->prog);
    if (fresh == nullptr) cg_error(cc, 0, "Unable to allocate segment");
    s.seg = fresh;
    try {
      store_line(cc, fresh, 0, words);
    } catch (const CgLineError&) {
      progseg_free(&cc->prog, fresh);
      s.seg = nullptr;
      throw;
    }
    return CG_LINE_STORED;
  }
  cg_finish_line(cc, &words);
  store_line(cc, seg, pos, words);
  return CG_LINE_STORED;
}

}  // namespace

CgHost cg_default_host() {
  CgHost h;
  h.find_line = default_find_line;
  h.insert_code = default_insert_code;
  h.add_symbols = default_add_symbols;
  return h;
}

void cc_init(CompileContext* cc) {
  cc->prog = ProgList{};
  cc->host = cg_default_host();
  cc->front = CgFrontEnd{};
  cc->front.line_start = scan_line_start;
  cc->last_line = 0;
  cc->increment = 1;
  cc->error_message.clear();
  cc->error_column = -1;
  cg_line_reset(cc);
}

void cc_free(CompileContext* cc) {
  progseg_free_all(&cc->prog);
  if (cc->scan != nullptr && cc->scan_release != nullptr) cc->scan_release(cc->scan);
  cc->scan = nullptr;
  cg_line_reset(cc);
}

void cc_debug(CompileContext* cc, const char* fmt, ...) {
  if (!cc->debug || cc->debug_sink == nullptr) return;
  char small[512];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(small, sizeof small, fmt, ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof small) {
    cc->debug_sink(cc->debug_user, small);
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(ap, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  va_end(ap);
  cc->debug_sink(cc->debug_user, big.c_str());
}

bool cg_set_numbering(CompileContext* cc, int first, int increment) {
  if (first <= 0 || increment <= 0 || first > PROG_MAX_LINE) return false;
  cc->increment = increment;
  cc->last_line = first - increment;
  return true;
}

int cg_compile_line(CompileContext* cc, const char* text, size_t length) {
  cc->error_message.clear();
  cc->error_column = -1;
  cg_line_reset(cc);
  int rc;
  try {
    rc = compile_line(cc, text, length);
  } catch (const CgLineError&) {
    rc = CG_LINE_ERROR;
  } catch (const std::bad_alloc&) {
    cc->error_message = "MEMORY OVERFLOW";
    cc->error_column = 0;
    rc = CG_LINE_ERROR;
  }
  cc->cg.seg = nullptr;
  return rc;
}

int cg_parse_line(CompileContext* cc, const char* text, size_t length, std::vector<uint16_t>* words) {
  cc->error_message.clear();
  cc->error_column = -1;
  cg_line_reset(cc);
  words->clear();
  int rc;
  try {
    rc = parse_only(cc, text, length, words);
  } catch (const CgLineError&) {
    rc = CG_LINE_ERROR;
  } catch (const std::bad_alloc&) {
    cc->error_message = "MEMORY OVERFLOW";
    cc->error_column = 0;
    rc = CG_LINE_ERROR;
  }
  cc->cg.seg = nullptr;
  if (rc != CG_LINE_STORED) words->clear();
  return rc;
}

void cg_error(CompileContext* cc, int column, const std::string& message) {
  cg_set_error(cc, column, message);
  throw CgLineError{};
}

void cg_set_error(CompileContext* cc, int column, const std::string& message) {
  cc->error_message = message;
  cc->error_column = column;
}
