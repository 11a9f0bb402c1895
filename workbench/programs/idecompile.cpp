// The environment's append-only host of the line compiler.
#include "workbench/programs/idecompile.h"

#include <new>

#include "language/codewords.h"
#include "language/actions.h"
#include "language/codegen.h"
#include "language/scanner.h"

namespace {

const char* find_line_at_end(void*, CompileContext* cc, int, bool, ProgSegment** seg, uint32_t* pos, bool* exists) {
  ProgSegment* last = ide_last_segment(cc);
  if (last == nullptr) return "Unable to allocate root segment";
  *seg = last;
  *pos = static_cast<uint32_t>(last->code.size());
  *exists = false;
  return nullptr;
}

const char* insert_at_end(void*, CompileContext*, ProgSegment* seg, uint32_t pos, const uint16_t* words, size_t count) {
  if (pos != seg->code.size() || count < 2 || (words[1] & CW_LINE_WORDS_MASK) != count)
    return "Inconsistent line position";
  uint32_t at = 0;
  return ide_append_code(seg, words, &at);
}

const char* add_symbols(void*, CompileContext*, ProgSegment* seg, const uint16_t* words, size_t count) {
  return ide_add_symbols(seg, words, count);
}

const char* check_refs(void*, CompileContext* cc) {
  ide_check_line_refs(cc);
  return nullptr;
}

}  // namespace

void ide_context_init(CompileContext* cc) {
  cc_init(cc, CgFrontEnd{scan_line_start, parse_line_quiet});
  cc->host.find_line = find_line_at_end;
  cc->host.insert_code = insert_at_end;
  cc->host.add_symbols = add_symbols;
  cc->host.check_line = check_refs;
  cc->host.append_only = true;
}

int ide_compile_line(CompileContext* cc, const char* text, size_t length, bool space_dependent, ProgSegment** seg,
                     uint32_t* pos) {
  cc->space_dependent = space_dependent;
  ProgSegment* before = ide_last_segment(cc);
  size_t before_size = before != nullptr ? before->code.size() : 0;
  int rc = cg_compile_line(cc, text, length);
  if (rc != CG_LINE_STORED) return rc;
  // The line went to the end of the last segment: a new one when the
  // statement opened a segment.
  ProgSegment* last = ide_last_segment(cc);
  *seg = last;
  *pos = last == before ? static_cast<uint32_t>(before_size) : 0;
  return rc;
}

int ide_parse_line(CompileContext* cc, const char* text, size_t length, bool space_dependent, ProgSegment* one_line) {
  cc->space_dependent = space_dependent;
  std::vector<uint16_t> words;
  int rc = cg_parse_line(cc, text, length, &words);
  if (rc != CG_LINE_STORED) return rc;
  try {
    one_line->magic = SEGMENT_MAGIC;
    one_line->next = nullptr;
    one_line->protection = 0;
    one_line->charset = -1;
    one_line->code = std::move(words);
    one_line->symbols = cc->cg.newsyms;
    progseg_reindex(one_line);
  } catch (const std::bad_alloc&) {
    cc->error_message = "MEMORY OVERFLOW";
    cc->error_column = 0;
    return CG_LINE_ERROR;
  }
  return rc;
}

void ide_check_line_refs(CompileContext* cc) {
  const CgState& s = cc->cg;
  for (uint32_t w : s.code) {
    if (!(w & CG_TMPSYM_BIT)) continue;
    size_t i = w & 0xFFFF;
    if (i < s.tmpsyms.size() && s.tmpsyms[i].cls == SYM_CLASS_LINE && s.tmpsyms[i].subtype == SYM_SUB_LINE)
      cg_error(cc, 0, kIdeLineRefMessage);
  }
}

ProgSegment* ide_last_segment(CompileContext* cc) {
  ProgSegment* seg = cc->prog.root;
  if (seg == nullptr) return nullptr;
  if (cc->prog.last != nullptr) return cc->prog.last;
  while (seg->next != nullptr) seg = seg->next;
  return seg;
}

const char* ide_append_code(ProgSegment* seg, const uint16_t* words, uint32_t* pos) {
  size_t count = words[1] & CW_LINE_WORDS_MASK;
  size_t end = seg->code.size();
  if (end + count > PROGSEG_MAX_WORDS) return "Code size exceeds maximum";
  switch (progseg_insert_line(seg, static_cast<uint32_t>(end), words, count)) {
    case PROGSEG_OK: *pos = static_cast<uint32_t>(end); return nullptr;
    case PROGSEG_CODE_FULL: return "Code size exceeds maximum";
    case PROGSEG_NO_MEMORY: return "Unable to (re-)allocate code area";
    default: return "Inconsistent line position";
  }
}

const char* ide_add_symbols(ProgSegment* seg, const uint16_t* words, size_t count) {
  if (count == 0) return nullptr;
  switch (progseg_add_symbols(seg, words, count)) {
    case PROGSEG_OK: return nullptr;
    case PROGSEG_SYMBOLS_FULL: return "Symbol table size exceeds maximum";
    default: return "Unable to (re-)allocate symbol table";
  }
}
