// Fuzzing target of listing a program read from untrusted bytes, as the
// environment does with a program it opens: whatever the reader accepts is
// listed line by line with markup and without, and every segment named.
#include <cstddef>
#include <cstdint>

#include "language/keywords.h"
#include "language/lister.h"
#include "language/progfile.h"

namespace {

struct List {
  ProgList prog;
  ~List() { progseg_free_all(&prog); }
};

struct Line {
  ListContext* marked;
  ListContext* plain;
  size_t bytes = 0;
};

int list_one(void* user, ProgSegment* seg, const uint16_t* line) {
  auto* l = static_cast<Line*>(user);
  const char* a = list_line_ctx(l->marked, seg, line, LIST_NO_LINE_NUMBER | LIST_NO_CONVERSION);
  const char* b = list_line_ctx(l->plain, seg, line, LIST_SHOW_PROTECTED);
  l->bytes += (a[0] != 0) + (b[0] != 0);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = [] {
    pkeywd_init();
    skeywd_init();
    return true;
  }();
  (void)started;
  List in;
  prog_reader rd;
  if (yq__prog_read_init_mem(data, size, &rd, &in.prog) < 0) return 0;
  yq__prog_check_password(&rd, prog_pswd_digest("pw", 2));
  if (yq__prog_read(&rd) != 0) return 0;

  static ListContext marked;
  static ListContext plain;
  static bool installed = [] {
    const char* table[LIST_CTRL_WORDS] = {"\x1b\x01"};
    for (int k = 0; k < LIST_CTRL_KINDS; ++k) table[1 + 2 * k] = "\x1b\x04";
    int cs = 0;
    list_options_ctx(&plain, LIST_OPT_SET_CHARSET, &cs);
    return list_options_ctx(&marked, LIST_OPT_SET_MARKUP, table) == 0;
  }();
  (void)installed;
  Line l{&marked, &plain};
  for (ProgSegment* seg = in.prog.root; seg != nullptr; seg = seg->next) {
    list_segment_name(&marked, &in.prog, seg);
    progseg_walk_lines(seg, list_one, &l);
  }
  return 0;
}
