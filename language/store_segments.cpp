#include "language/store_segments.h"

#include <cstdio>

namespace {

const char kCodeFull[] = "Code size exceeds maximum";
const char kCodeAlloc[] = "Unable to (re-)allocate code area";
const char kSymbolsFull[] = "Symbol table size exceeds maximum";
const char kSymbolsAlloc[] = "Unable to (re-)allocate symbol table";
const char kNoRoot[] = "Internal inconsistency in store: no root segment";
const char kBadLineNumber[] = "Internal inconsistency in store: negative line number";
const char kBadOffset[] = "Internal inconsistency in store: insertion outside the code";

const char* fail(StoreSegments* ss, const char* message) {
  if (!ss->fatal) ss->fatal = message;
  return message;
}

// ---- The compiler's host table -------------------------------------------

const char* host_find_line(void* user, CompileContext*, int lineno, bool exact_only, ProgSegment** seg, uint32_t* pos,
                           bool* exists) {
  auto* ss = static_cast<StoreSegments*>(user);
  if (!ss->cc->prog.root) return fail(ss, kNoRoot);
  if (lineno < 0) return fail(ss, kBadLineNumber);
  *exists = seg_find_line(ss, lineno, exact_only, seg, pos);
  return nullptr;
}

const char* host_insert_code(void* user, CompileContext*, ProgSegment* seg, uint32_t pos, const uint16_t* words,
                             size_t count) {
  auto* ss = static_cast<StoreSegments*>(user);
  if (count < 2 || (words[1] & 0xFFu) != count) return fail(ss, kBadOffset);
  return seg_insert_code(ss, seg, pos, words) ? nullptr : ss->fatal;
}

const char* host_add_symbols(void* user, CompileContext*, ProgSegment* seg, const uint16_t* words, size_t count) {
  auto* ss = static_cast<StoreSegments*>(user);
  return seg_add_symbols(ss, seg, words, count) ? nullptr : ss->fatal;
}

struct ListingWalk {
  StoreLineText line_text;
  void* user;
  std::string* out;
};

int list_one_line(void* user, ProgSegment* seg, const uint16_t* line) {
  auto* walk = static_cast<ListingWalk*>(user);
  std::string text;
  if (walk->line_text) {
    walk->line_text(walk->user, seg, line, &text);
  } else {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(line[0] & CW_LINE_NUMBER_MASK));
    text = buf;
    for (unsigned i = 1; i < (line[1] & 0xFFu); ++i) {
      std::snprintf(buf, sizeof buf, " %04x", line[i]);
      text += buf;
    }
  }
  *walk->out += text;
  *walk->out += '\n';
  return 0;
}

}  // namespace

bool store_segments_init(StoreSegments* ss, CompileContext* cc) {
  ss->cc = cc;
  ss->fatal = nullptr;
  if (!cc->prog.root && !progseg_new(&cc->prog)) return false;
  cc->host.user = ss;
  cc->host.find_line = host_find_line;
  cc->host.insert_code = host_insert_code;
  cc->host.add_symbols = host_add_symbols;
  return true;
}

bool seg_find_line(StoreSegments* ss, int lineno, bool exact_only, ProgSegment** seg, uint32_t* pos) {
  return progseg_find_line(&ss->cc->prog, lineno, exact_only, seg, pos);
}

bool seg_insert_code(StoreSegments* ss, ProgSegment* seg, uint32_t offset, const uint16_t* words) {
  size_t count = words[1] & 0xFFu;
  if (offset > seg->code.size()) {
    fail(ss, kBadOffset);
    return false;
  }
  if (ss->on_insert) ss->on_insert(ss->user, words, count);
  switch (progseg_insert_line(seg, offset, words, count)) {
    case PROGSEG_OK: return true;
    case PROGSEG_CODE_FULL: fail(ss, kCodeFull); return false;
    case PROGSEG_NO_MEMORY: fail(ss, kCodeAlloc); return false;
    default: fail(ss, kBadOffset); return false;
  }
}

bool seg_add_symbols(StoreSegments* ss, ProgSegment* seg, const uint16_t* words, size_t count) {
  if (count == 0) return true;
  switch (progseg_add_symbols(seg, words, count)) {
    case PROGSEG_OK: return true;
    case PROGSEG_SYMBOLS_FULL: fail(ss, kSymbolsFull); return false;
    default: fail(ss, kSymbolsAlloc); return false;
  }
}

void store_listing(const ProgList* prog, StoreLineText line_text, void* user, std::string* out) {
  ListingWalk walk{line_text, user, out};
  for (ProgSegment* seg = prog->root; seg; seg = seg->next) {
    *out += '\n';
    progseg_walk_lines(seg, list_one_line, &walk);
  }
  *out += "\nSEGMENT-LIST";
  *out += "\nType/Name            Address    Line  Code  Sym\n";
  *out += "-------------------- ---------- ----- ----- -----\n";
  for (ProgSegment* seg = prog->root; seg; seg = seg->next) {
    int first = progseg_first_line(seg);
    char row[128];
    std::snprintf(row, sizeof row, "%-20s %8p %5d %5d %5d\n", segname(prog, seg), static_cast<const void*>(seg),
                  first < 0 ? 0 : first, static_cast<int>(seg->code.size() * 2),
                  static_cast<int>(seg->symbols.size() * 2));
    *out += row;
  }
  *out += '\n';
}
