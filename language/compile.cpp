// The line compiler: numbering, finding the line's place through the host,
// running the front end's line start and parser, opening segments, and
// storing the finished line.
#include "language/compile.h"

#include <new>

namespace {

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
    lineno = static_cast<int>(s.code[0] & CW_LINE_NUMBER_MASK);
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

  std::vector<uint16_t>& words = s.words;
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
    // The segment before is complete: it gives back its spare room.
    progseg_release_spare(seg);
    return CG_LINE_STORED;
  }
  cg_finish_line(cc, &words);
  store_line(cc, seg, pos, words);
  return CG_LINE_STORED;
}

}  // namespace

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
