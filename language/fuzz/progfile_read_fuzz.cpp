// Fuzzing target of the program file reader. Every input is read from
// memory and through a stream; whatever the reader accepts must be a list
// that the writer stores and the reader reads back to the same words.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "language/progfile.h"

namespace {

struct List {
  ProgList prog;
  ~List() { progseg_free_all(&prog); }
};

// Code words and character sets survive a store; constants may be
// normalised on their first trip through the file form.
bool same_code(const ProgList& a, const ProgList& b) {
  const ProgSegment* x = a.root;
  const ProgSegment* y = b.root;
  for (; x && y; x = x->next, y = y->next)
    if (x->code != y->code || x->charset != y->charset || x->symbols.size() != y->symbols.size()) return false;
  return x == nullptr && y == nullptr;
}

int read_mem(const uint8_t* data, size_t size, ProgList* prog, bool with_password) {
  prog_reader rd;
  if (yq__prog_read_init_mem(data, size, &rd, prog) < 0) return -1;
  // The password "pw" authorizes files stored with it.
  if (with_password) yq__prog_check_password(&rd, prog_pswd_digest("pw", 2));
  return yq__prog_read(&rd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  List mem;
  int rc = read_mem(data, size, &mem.prog, true);

  // The stream path sees the same bytes without knowing their size first.
  if (size > 0) {
    if (FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb")) {
      List file;
      prog_reader rd;
      if (yq__prog_read_init(f, &rd, &file.prog) >= 0) {
        yq__prog_check_password(&rd, prog_pswd_digest("pw", 2));
        yq__prog_read(&rd);
      }
      std::fclose(f);
    }
  }

  if (rc != 0 || mem.prog.root == nullptr) return 0;
  prog_options opt;
  yq__prog_init_options(&opt);
  opt.revision = PROG_REV_TAGGED;
  opt.byte_order = PROG_BYTE_ORDER_LITTLE;
  yq__prog_set_password(&opt, prog_pswd_digest("pw", 2));
  prog_hdr hdr;
  if (yq__prog_init_store(&hdr, &mem.prog, &opt) != 0) return 0;
  std::vector<uint8_t> image(yq__prog_image_size(&hdr));
  if (yq__prog_store_mem(&hdr, image.data()) != 0) std::abort();
  List again;
  if (read_mem(image.data(), image.size(), &again.prog, true) != 0 || !same_code(mem.prog, again.prog)) std::abort();
  // Constants went through the 12-digit file form once already; a second
  // trip must change nothing.
  prog_hdr hdr2;
  if (yq__prog_init_store(&hdr2, &again.prog, &opt) != 0) std::abort();
  std::vector<uint8_t> image2(yq__prog_image_size(&hdr2));
  if (yq__prog_store_mem(&hdr2, image2.data()) != 0 || image2 != image) std::abort();
  return 0;
}
