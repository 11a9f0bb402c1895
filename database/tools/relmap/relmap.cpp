// relmap: the structure of one database as a paged report: global values,
// items, index items, data sets, paths and the fields of each set, all from
// the root cache of the open database, with the names of its collating
// sequences from the server's catalog.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/root.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: %s [options] database",
    "options:",
    " -u user   - set user name",
    " -p pswd   - set user password",
    " -v        - verbose",
    " -l lines  - set page length (66)",
    " -s        - short listing",
    " -d flags  - debug flags",
    "<$END>",
};

namespace {

const int kDefaultPageLength = 66;
const int kShortestPage = 20;
// Lines of a page head: "PAGE", blank, title, blank, two headings, blank.
const int kHeadLines = 7;

struct Collate {
  uint32_t id;
  std::string name;
};

// The paged output: each section starts a page with its head; blocks of lines
// that do not fit on the rest of a page start the next one.
class Report {
 public:
  Report(int page_length, const char* database) : page_length_(page_length), database_(database) {}

  void section(const char* title, const char* head1, const char* head2) {
    title_ = title;
    head1_ = head1;
    head2_ = head2;
    new_page();
  }
  // Room for `n` lines, on a new page when they do not fit the rest of this one.
  void block(int n) {
    if (page_length_ > 0 && left_ < n) new_page();
    left_ -= n;
  }
  // A block kept together when it fits on an empty page; else line by line.
  bool fits_empty_page(int n) const { return page_length_ == 0 || n <= page_length_ - kHeadLines; }

 private:
  void new_page() {
    if (page_ > 0 && page_length_ > 0) std::fputc('\f', stdout);
    ++page_;
    std::printf("PAGE %-2d  %s\n\n", page_, database_);
    int pad = (80 - static_cast<int>(std::strlen(title_))) / 2;
    std::printf("%*s%s\n\n", pad, "", title_);
    std::printf("%s\n", head1_);
    std::printf("%s\n\n", head2_);
    left_ = page_length_ - kHeadLines;
  }

  int page_length_;
  const char* database_;
  const char* title_ = "";
  const char* head1_ = "";
  const char* head2_ = "";
  int page_ = 0;
  int left_ = 0;
};

// The digit count of a format letter: the element length halved for E, I, J,
// K and R, doubled for P, else the element length.
int format_digits(char letter, int32_t size) {
  if (std::strchr("EIJKR", letter)) return size / 2;
  if (letter == 'P') return size * 2;
  return size;
}

char format_letter(const RootItem& it) { return static_cast<char>((static_cast<uint32_t>(it.attribute) >> 24) & 0xff); }
int format_number(const RootItem& it) { return static_cast<int>(static_cast<uint32_t>(it.attribute) & 0xffff); }

bool is_detail(const RootSet& s) { return root_letter(s.type) == 'D'; }
bool is_master(const RootSet& s) {
  char l = root_letter(s.type);
  return l == 'M' || l == 'A';
}

int32_t total_length(const RootIItem& ii) {
  int32_t total = 0;
  for (int p = 0; p < ii.part_count; ++p) total += ii.parts[p].length;
  return total;
}

int32_t media_length(const RootSet& s) {
  if (s.path_count == 0 && s.index_count == 0) return s.record_length;
  int32_t length = (s.record_length + 3) / 4 * 4;
  if (s.index_count > 0) length += 4;
  length += s.path_count * (is_detail(s) ? 8 : 12);
  return length;
}

void global_section(Report& report, const RootCache* root, const char* database, const std::vector<Collate>& colls) {
  report.section("G L O B A L", "", "");
  report.block(6 + (colls.empty() ? 0 : 2 + static_cast<int>(colls.size())));
  std::printf("Database   : %s\n", database);
  std::printf("Version    : %04x\n", static_cast<unsigned>(root->version));
  std::printf("# of items : %d\n", root->item_count);
  std::printf("# of iitems: %d\n", root->iitem_count);
  std::printf("# of sets  : %d\n", root->set_count);
  std::printf("# of coll  : %d\n", static_cast<int>(colls.size()));
  if (!colls.empty()) {
    std::printf("\nCollating sequence(s):\n");
    // Numbered by catalog id, as the indexes of the fields section name them.
    for (const Collate& c : colls) std::printf(" %2d %s\n", static_cast<int>(c.id), c.name.c_str());
  }
}

void item_section(Report& report, const RootCache* root) {
  report.section("I T E M S", "Data Item Name   Item  Item  Item  Item  Total  Item",
                 "                 Num   Type  Len   Cnt   Len    Format");
  for (int32_t i = 0; i < root->item_count; ++i) {
    const RootItem& it = root->items[i];
    report.block(1);
    std::printf("%16.16s %4d  %c     %4d  %4d  %5d  ", it.name, i + 1, root_letter(it.type), it.size, it.count,
                it.size * it.count);
    char letter = format_letter(it);
    if (!letter) {
      std::printf("%d\n", format_number(it));
      continue;
    }
    int digits = format_digits(letter, it.size);
    if (digits < 2)
      std::printf("%c     %d\n", letter, format_number(it));
    else
      std::printf("%c%-4d %d\n", letter, digits, format_number(it));
  }
}

void iitem_section(Report& report, const RootCache* root) {
  report.section("I N D E X   I T E M S", "Index Item Name  Item  Total  Seg  Data Item Name   Item  Item",
                 "                 Num   Len    Cnt                   Num   Len");
  for (int32_t k = 0; k < root->iitem_count; ++k) {
    const RootIItem& ii = root->iitems[k];
    const int parts = ii.part_count;
    report.block((parts > 0 ? parts : 1) + 1);
    const RootPart first = parts > 0 ? ii.parts[0] : RootPart{-1, 0};
    std::printf("%16.16s %4d   %4d  %3d  %16.16s %4d  %4d\n", ii.name, root->item_count + k + 1, total_length(ii),
                parts, first.item >= 0 ? root->items[first.item].name : "", first.item + 1, first.length);
    for (int p = 1; p < parts; ++p)
      std::printf("%33s  %16.16s %4d  %4d\n", "", root->items[ii.parts[p].item].name, ii.parts[p].item + 1,
                  ii.parts[p].length);
    std::printf("\n");
  }
}

void set_section(Report& report, const RootCache* root) {
  report.section("D A T A   S E T S", "Data Set Name    Set  Set   Fld  Path  Idx  Entry  Media  Capacity",
                 "                 num  Type  Cnt  Cnt   Cnt  Len    Len");
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    report.block(1);
    std::printf("%16.16s %3d  %c    %4d    %2d   %2d  %5d  %5d  %8d\n", s.name, i + 1, root_letter(s.type),
                s.item_count, s.path_count, s.index_count, s.record_length, media_length(s), 0);
  }
  report.block(3);
  std::printf("\nData Set Count: %2d\n", root->set_count);
  std::printf("Item Count:   %4d\n", root->item_count + root->iitem_count);
}

void path_section(Report& report, const RootCache* root) {
  report.section("D A T A   S E T   P A T H E S",
                 "Data Set Name    Item Name         Data Set Name    Set  Item Name        Item",
                 "                                                    Num                   Num");
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    if (is_detail(s) || s.path_count == 0) continue;
    report.block(s.path_count + 1);
    for (int32_t p = 0; p < s.path_count; ++p) {
      const RootPath& path = s.paths[p];
      const RootSet& related = root->sets[path.set];
      const int32_t item = related.items[path.position];
      if (p == 0)
        std::printf("%16.16s %16.16s  ", s.name, root->items[s.items[0]].name);
      else
        std::printf("%35s", "");
      std::printf("%16.16s %3d  %16.16s %4d\n", related.name, path.set + 1, root->items[item].name, item + 1);
    }
    std::printf("\n");
  }
}

bool is_search_item(const RootSet& s, int32_t position) {
  if (is_master(s)) return position == 0;
  for (int32_t p = 0; p < s.path_count; ++p)
    if (s.paths[p].position == position) return true;
  return false;
}

void field_section(Report& report, const RootCache* root) {
  report.section("D A T A   S E T   F I E L D S",
                 "Data Set Name    Set  Item Name        Item  Item  Start  Item  Item  Item",
                 "                 Num                   Num   Type  Byte   Cnt   Len   Role");
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    int lines = s.item_count + 1;
    for (int32_t x = 0; x < s.index_count; ++x)
      lines += 1 + root->iitems[s.indexes[x].iitem - root->item_count].part_count;
    const bool together = report.fits_empty_page(lines);
    if (together) report.block(lines);
    auto line = [&]() {
      if (!together) report.block(1);
    };
    for (int32_t k = 0; k < s.item_count; ++k) {
      line();
      if (k == 0)
        std::printf("%16.16s  %2d  ", s.name, i + 1);
      else
        std::printf("%22s", "");
      const RootItem& it = root->items[s.items[k]];
      const char letter = format_letter(it);
      const int digits = letter ? format_digits(letter, it.size) : 0;
      if (digits >= 2)
        std::printf("%16.16s %4d  %c%-4d %5d  %4d  %4d  ", it.name, s.items[k] + 1, letter, digits, s.offsets[k],
                    it.count, it.size * it.count);
      else
        std::printf("%16.16s %4d  %c     %5d  %4d  %4d  ", it.name, s.items[k] + 1,
                    letter ? letter : root_letter(it.type), s.offsets[k], it.count, it.size * it.count);
      std::printf("%s\n", is_search_item(s, k) ? "Srch" : "");
    }
    for (int32_t x = 0; x < s.index_count; ++x) {
      const RootIndex& index = s.indexes[x];
      const RootIItem& ii = root->iitems[index.iitem - root->item_count];
      line();
      std::printf("%22s%16.16s %4d  (%2d)%8s %4d  %4d  Indx\n", "", ii.name, index.iitem + 1, index.collate, "",
                  ii.part_count, total_length(ii));
      int32_t offset = 0;
      for (int p = 0; p < ii.part_count; ++p) {
        const RootItem& it = root->items[ii.parts[p].item];
        line();
        std::printf("%22s%16.16s %4d  %c     %5d        %4d  Seg\n", "", it.name, ii.parts[p].item + 1,
                    root_letter(it.type), offset, ii.parts[p].length);
        offset += ii.parts[p].length;
      }
    }
    line();
    std::printf("\n");
  }
}

// A page length: digits only, 0 or at least kShortestPage.
bool page_length_value(const char* text, int* out) {
  if (!*text) return false;
  long v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > 100000) return false;
  }
  if (v > 0 && v < kShortestPage) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "RELMAP", false, usage_table);

  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  int page_length = kDefaultPageLength;
  bool verbose = false, short_listing = false, option_error = false;
  opterr = 0;
  int opt;
  while ((opt = getopt(argc, argv, "u:p:vd:l:s")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'v': verbose = true; break;
      case 'd': flags = optarg; break;
      case 's': short_listing = true; break;
      case 'l':
        if (!page_length_value(optarg, &page_length)) {
          std::fprintf(stderr, "%s: Illegal page length\n", dbtool_program);
          option_error = true;
        }
        break;
      default:
        if (optopt && std::strchr("updl", optopt))
          std::fprintf(stderr, "Option -%c requires an argument\n", optopt);
        else
          std::fprintf(stderr, "Unrecognized option: - %c\n", optopt);
        option_error = true;
        break;
    }
  }
  if (option_error) dbtool_usage(usage_table);
  const char* database = dbtool_operand(argc, argv, usage_table);
  if (argc - optind > 1) {
    std::fprintf(stderr, "%s: Unexpected arguments\n", dbtool_program);
    dbtool_usage(usage_table);
  }
  if (!*database) {
    std::fprintf(stderr, "%s: Illegal data base name\n", dbtool_program);
    return EXIT_TOOL_FAILURE;
  }

  if (!dbtool_session(flags, user, password)) return EXIT_TOOL_FAILURE;
  if (verbose) std::printf("Connecting server ...\n");
  int dbid = dbtool_open_description(database, user, password, 3010);
  const RootCache* root = idb__get_root(dbid);
  IDB_ASSERT(root != nullptr);

  int server = SysCat_attach(dbid);
  if (server <= 0) {
    const DbtoolServerName where = dbtool_operand_server(database);
    dbtool_connect_failure(server, where.host.c_str(), where.service.c_str());
  }

  std::vector<Collate> colls;
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    for (int32_t x = 0; x < s.index_count; ++x) {
      const uint32_t id = static_cast<uint32_t>(s.indexes[x].collate);
      if (id == 0) continue;
      bool known = false;
      for (const Collate& c : colls) known = known || c.id == id;
      if (known) continue;
      SysCatCollate* coll = SysCat_get_client_collate_by_id(server, id);
      if (!coll) {
        std::fprintf(stderr, "Collating sequence id %d not found\n", static_cast<int>(id));
        tool_exit(EXIT_TOOL_FAILURE);
      }
      colls.push_back({id, coll->name ? coll->name : ""});
      std::free(coll);
    }
  }

  Report report(page_length, database);
  if (verbose) global_section(report, root, database, colls);
  if (!short_listing) {
    item_section(report, root);
    if (root->iitem_count > 0) iitem_section(report, root);
    set_section(report, root);
  }
  path_section(report, root);
  field_section(report, root);
  tool_exit(EXIT_TOOL_OK);
}
