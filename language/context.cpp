// The compile context: set-up, release, debug output, the errors that leave
// a line, and the default segment storage over progseg.
#include "language/context.h"

#include <cstdarg>
#include <cstdio>

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

}  // namespace

CgHost cg_default_host() {
  CgHost h;
  h.find_line = default_find_line;
  h.insert_code = default_insert_code;
  h.add_symbols = default_add_symbols;
  return h;
}

void cc_init(CompileContext* cc, const CgFrontEnd& front) {
  cc->prog = ProgList{};
  cc->host = cg_default_host();
  cc->front = front;
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

void cg_error(CompileContext* cc, int column, const std::string& message) {
  cg_set_error(cc, column, message);
  throw CgLineError{};
}

void cg_set_error(CompileContext* cc, int column, const std::string& message) {
  cc->error_message = message;
  cc->error_column = column;
}

void cg_set_error(CompileContext* cc, int column, const char* message) {
  cc->error_message.assign(message);  // in the room the message had
  cc->error_column = column;
}
