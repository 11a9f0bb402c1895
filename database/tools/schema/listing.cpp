// The paging writer of the schema compiler: listing lines, messages, the set
// table and the summary all go to standard output through it, so that page
// headers stand before the first line of each page.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"
#include "language/toolframe.h"

namespace {

struct SchPager {
  int page;  // pages started so far
  int page_length;
  int lines_on_page;
  bool at_line_start = true;
  std::string title;       // $TITLE
  std::string next_title;  // $PAGE text for the next page
  bool has_next_title;
};

SchPager g_pager;

const char kCompany[] = "ORVANTIS";
const char kProcessor[] = "QX9000 / QX VARNICA   Schema Processor";

void put(const char* text, size_t length) { tool_out_write(text, length); }

void start_page() {
  char header[160];
  ++g_pager.page;
  if (g_pager.page == 1) {
    std::snprintf(header, sizeof header, "PAGE %2d    %-20.20s %-40.40s\n\n", 1, kCompany, kProcessor);
  } else {
    std::string title = g_pager.title;
    if (g_pager.has_next_title) {
      title = g_pager.next_title;
      g_pager.has_next_title = false;
    }
    put("\f", 1);
    std::snprintf(header, sizeof header, "PAGE %2d    %-20.20s %-40.40s\n\n", g_pager.page, sch.db_name.c_str(),
                  title.c_str());
  }
  put(header, std::strlen(header));
  g_pager.lines_on_page = 3;
}

}  // namespace

void sch_print(const char* text) {
  while (*text) {
    if (g_pager.at_line_start) {
      if (g_pager.page == 0 || (g_pager.page_length > 0 && g_pager.lines_on_page >= g_pager.page_length)) start_page();
    }
    const char* newline = std::strchr(text, '\n');
    const size_t length = newline ? static_cast<size_t>(newline - text) + 1 : std::strlen(text);
    put(text, length);
    g_pager.at_line_start = newline != nullptr;
    if (newline) ++g_pager.lines_on_page;
    text += length;
  }
}

void sch_printf(const char* format, ...) {
  char text[SCH_LINE_MAX + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  sch_print(text);
}

void sch_print_hook(void*, const char* text) { sch_print(text); }

void sch_page_length(int lines) { g_pager.page_length = lines; }

void sch_set_title(const char* title) { g_pager.title = title ? title : ""; }

void sch_new_page(const char* title) {
  if (title) {
    g_pager.next_title = title;
    g_pager.has_next_title = true;
  }
  if (!sch_opt.listing) return;
  if (!g_pager.at_line_start) sch_print("\n");
  start_page();
}

long sch_media_length(const SchSet& set) {
  if (set.type == 0) return 0;
  if (set.paths.empty() && set.indexes.empty()) return set.entry_length;
  long length = (set.entry_length + 3) / 4 * 4;
  if (!set.indexes.empty()) length += 4;
  length += static_cast<long>(set.paths.size()) * (set.type == SCH_SET_DETAIL ? 8 : 12);
  return length;
}

void sch_print_set_table() {
  sch_print("Data Set           Fld  Path Idx  Entry Media\n");
  sch_print("Name/Type          Cnt  Cnt  Cnt  Len   Len   Capacity Volume\n");
  sch_print("---------------- - ---- ---- ---- ----- ----- -------- --------\n");
  for (const SchSet& set : sch.sets) {
    sch_printf("%-16.16s %c %4d %4d %4d %5ld %5ld %8ld %-8.8s\n", set.name.c_str(), set.type ? set.type : '?',
               static_cast<int>(set.entry.size()), static_cast<int>(set.paths.size()),
               static_cast<int>(set.indexes.size()), set.entry_length, sch_media_length(set), set.capacity,
               set.error ? "**error**" : "");
  }
  sch_print("\n");
}

void sch_print_summary() {
  if (sch_error_count() != 0) sch_printf("%s %ld\n", "Number of error messages:", sch_error_count());
  if (sch_warning_count() != 0) sch_printf("%s %ld\n", "Number of warnings      :", sch_warning_count());
  sch_printf("%s %d\n", "Item name count         :", static_cast<int>(sch.items.size()));
  sch_printf("%s %d\n", "Index item name count   :", static_cast<int>(sch.iitems.size()));
  sch_printf("%s %d\n", "Data set count          :", static_cast<int>(sch.sets.size()));
  sch_printf("%s %d\n", "Collating sequence count:", static_cast<int>(sch.collates.size()));
  sch_print("\n");
}
