// The paged listing: every line that the tool prints (echoed source, error
// reports, the closing messages) passes here, so that page headers come
// before the first line of each page.
#include "language/tools/linkforge/linkforge.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char kCompany[] = "ORVANTIS";
const char kTitle[] = "QX9000 / QX VARNICA        LINKFORGE";

void put(LfPager* pager, const char* text, size_t length) {
  if (length == 0 || pager->write_failed) return;
  if (std::fwrite(text, 1, length, pager->out) != length) pager->write_failed = errno ? errno : EIO;
}

void put_text(LfPager* pager, const char* text) { put(pager, text, std::strlen(text)); }

void start_page(LfPager* pager) {
  char header[160];
  ++pager->page;
  if (pager->page == 1) {
    std::snprintf(header, sizeof header, "PAGE %2d    %-20.20s  %-40.40s\n\n", pager->page, kCompany, kTitle);
  } else {
    put_text(pager, "\f");
    std::snprintf(header, sizeof header, "PAGE %2d    %-60.60s\n\n", pager->page,
                  pager->input_name ? pager->input_name : "");
  }
  put_text(pager, header);
  pager->lines_on_page = 0;
}

}  // namespace

void lf_pager_init(LfPager* pager, FILE* out, int listing) {
  *pager = LfPager{};
  pager->out = out;
  pager->listing = listing;
  pager->page_length = LF_PAGE_LENGTH;
  pager->at_line_start = 1;
}

void lf_pager_print(void* user, const char* text) {
  LfPager* pager = static_cast<LfPager*>(user);
  while (*text) {
    if (pager->at_line_start && pager->listing) {
      if (pager->page == 0 || (pager->page_length > 0 && pager->lines_on_page >= pager->page_length)) start_page(pager);
    }
    const char* newline = std::strchr(text, '\n');
    const size_t length = newline ? static_cast<size_t>(newline - text) + 1 : std::strlen(text);
    put(pager, text, length);
    pager->at_line_start = newline != nullptr;
    if (newline) ++pager->lines_on_page;
    text += length;
  }
}
