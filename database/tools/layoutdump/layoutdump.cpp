// layoutdump: prints the description of one database as schema source text
// that `schema` compiles again: items, index items and sets from the root
// cache of the open database, groups, privileges, tables and collating
// sequences from the server's catalog.
#include <unistd.h>

#include <cctype>
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
    " -d flags  - debug flags",
    "<$END>",
};

namespace {

struct Collate {
  uint32_t id;
  std::string name;
};

struct Group {
  int64_t gid;
  int cls;  // password class, 0 for none
};

struct Privilege {
  int64_t gid;
  int64_t tableid;
  unsigned bits;
};

struct TableRow {
  int64_t tableid;
  int64_t type;
};

struct Catalog {
  int server = 0;
  int db = 0;
  std::vector<Collate> collates;
  std::vector<Group> groups;
  std::vector<std::string> group_names;
  std::vector<Privilege> privileges;
  std::vector<int64_t> set_tables;  // tableid of set n at n - 1
};

Catalog g_cat;

// The group "public", which the compiler makes first.
constexpr int64_t kPublicGid = 2;

[[noreturn]] void fail_exit() {
  if (g_cat.db > 0) SysCat_close_db(g_cat.server, g_cat.db);
  tool_exit(EXIT_TOOL_FAILURE);
}

// A 16-byte root name without its trailing blanks.
std::string trimmed(const char* name) {
  size_t n = strnlen(name, ROOT_NAME_LEN);
  while (n > 0 && name[n - 1] == ' ') --n;
  return std::string(name, n);
}

// The code-set part between the first "." and the "@" is dropped.
std::string collate_name(const std::string& name) {
  size_t dot = name.find('.');
  size_t at = name.find('@');
  if (dot == std::string::npos || at == std::string::npos || at < dot) return name;
  return name.substr(0, dot) + name.substr(at);
}

bool is_text(uint8_t type) { return type == SysCol_CHAR || type == SysCol_VARCHAR || type == SysCol_STRING; }

// The columns of a result set by name and type; -1 for a column missing.
struct Wanted {
  const char* name;
  char kind;  // 'i' integer, 's' string, 'b' binary of 4 bytes
};

bool find_columns(const SysCatResultSet* rs, const std::vector<Wanted>& wanted, std::vector<int>& at) {
  at.assign(wanted.size(), -1);
  for (size_t w = 0; w < wanted.size(); ++w) {
    for (uint32_t c = 0; c < rs->col_count; ++c) {
      const SysCatColDesc& d = rs->cols[c];
      if (!d.col_name || std::strcmp(d.col_name, wanted[w].name) != 0) continue;
      const bool fits = wanted[w].kind == 'i'   ? d.col_type == SysCol_INTEGER
                        : wanted[w].kind == 's' ? is_text(d.col_type)
                                                : d.col_type == SysCol_BINARY && d.col_size == 4;
      if (fits) at[w] = static_cast<int>(c);
    }
    if (at[w] < 0) return false;
  }
  return true;
}

int64_t int_value(const SysCatRow* row, int col) {
  const SysCatValue& v = row->values[col];
  if (!v.value || v.length < 4) return 0;
  int32_t n;
  std::memcpy(&n, v.value, 4);
  return n;
}

std::string text_value(const SysCatRow* row, int col) {
  const SysCatValue& v = row->values[col];
  if (!v.value) return "";
  return std::string(reinterpret_cast<const char*>(v.value), strnlen(reinterpret_cast<const char*>(v.value), v.length));
}

// Reads one catalog table whose columns must include `wanted`; `take` gets
// each row with the column positions. False after the failure message.
template <typename Take>
bool read_table(uint32_t table, const char* label, const std::vector<Wanted>& wanted, Take take) {
  SysCatResultSet* rs = SysCat_select(g_cat.server, g_cat.db, table, SysSelect_ALL);
  if (!rs) {
    std::fprintf(stderr, "%s: Unable to read catalog table %s\n", dbtool_program, label);
    return false;
  }
  std::vector<int> at;
  if (!find_columns(rs, wanted, at)) {
    std::fprintf(stderr, "%s: Inconsistent catalog table %s\n", dbtool_program, label);
    SysCat_close_query(rs);
    return false;
  }
  // As many rows as the result set announced: a fetch past them fails.
  for (uint32_t n = 0; n < rs->row_count; ++n) {
    SysCatRow* row = SysCat_fetch(rs);
    if (!row) {
      std::fprintf(stderr, "%s: Unable to read catalog table %s\n", dbtool_program, label);
      SysCat_close_query(rs);
      return false;
    }
    if (row->col_count == rs->col_count) take(row, at);
    std::free(row);
  }
  SysCat_close_query(rs);
  return true;
}

bool load_catalog(const RootCache* root) {
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    for (int32_t x = 0; x < s.index_count; ++x) {
      const uint32_t id = static_cast<uint32_t>(s.indexes[x].collate);
      if (id == 0) continue;
      bool known = false;
      for (const Collate& c : g_cat.collates) known = known || c.id == id;
      if (known) continue;
      SysCatCollate* coll = SysCat_get_collate_by_id(g_cat.server, id);
      if (!coll) {
        std::fprintf(stderr, "Collating sequence id %d not found\n", static_cast<int>(id));
        return false;
      }
      g_cat.collates.push_back({id, collate_name(coll->name ? coll->name : "")});
      std::free(coll);
    }
  }
  int next_class = 0;
  if (!read_table(SysGroup_ID, "SysGroup_ID", {{"gid", 'i'}, {"name", 's'}},
                  [&](const SysCatRow* row, const std::vector<int>& at) {
                    int64_t gid = int_value(row, at[0]);
                    g_cat.groups.push_back({gid, gid > kPublicGid ? ++next_class : 0});
                    g_cat.group_names.push_back(text_value(row, at[1]));
                  }))
    return false;
  if (!read_table(SysPrivilege_ID, "SysPrivilege_ID", {{"gid", 'i'}, {"tableid", 'i'}, {"map", 'b'}},
                  [&](const SysCatRow* row, const std::vector<int>& at) {
                    const unsigned char* map = row->values[at[2]].value;
                    unsigned bits = 0;
                    if (map && row->values[at[2]].length == 4) bits = map[0] ? map[0] : map[3];
                    g_cat.privileges.push_back({int_value(row, at[0]), int_value(row, at[1]), bits});
                  }))
    return false;
  return read_table(SysTable_ID, "SysTable_ID", {{"tableid", 'i'}, {"name", 's'}, {"type", 'i'}},
                    [&](const SysCatRow* row, const std::vector<int>& at) {
                      if (int_value(row, at[2]) != 0) g_cat.set_tables.push_back(int_value(row, at[0]));
                    });
}

const Group* group_of(int64_t gid) {
  for (const Group& g : g_cat.groups)
    if (g.gid == gid) return &g;
  return nullptr;
}

// The read or write class list of a set's table. The group "public" stands
// for every group: its read privilege is the read list "0", its write
// privilege the write list "0", so that the compiler grants the table again
// exactly as the catalog does. (A write list stays empty when nobody writes:
// the language has no text for that, and "0" would let everybody write.)
std::string class_list(int set, bool write) {
  std::string list;
  unsigned public_bits = 0;
  if (set < static_cast<int>(g_cat.set_tables.size())) {
    const int64_t tableid = g_cat.set_tables[static_cast<size_t>(set)];
    for (const Privilege& p : g_cat.privileges) {
      if (p.tableid != tableid) continue;
      const Group* g = group_of(p.gid);
      if (g && g->cls > 0) {
        const bool take = write ? (p.bits & SysPriv_WRITE) != 0 : (p.bits & SysPriv_READ) && !(p.bits & SysPriv_WRITE);
        if (take) list += "," + std::to_string(g->cls);
      } else if (p.gid == kPublicGid) {
        public_bits |= p.bits;
      }
    }
  }
  if (public_bits & SysPriv_WRITE) return write ? "0" : "";
  if (!write && (public_bits & SysPriv_READ)) return "0";
  return list.empty() ? list : list.substr(1);
}

void print_items(const RootCache* root) {
  std::printf("\nITEMS:\n");
  for (int32_t i = 0; i < root->item_count; ++i) {
    const RootItem& it = root->items[i];
    const char letter = root_letter(it.type);
    std::printf("%8s%-20s", "", (trimmed(it.name) + ",").c_str());
    if (it.count > 1) std::printf(" %d", it.count);
    std::printf(" %c", letter);
    if (letter == 'X' || letter == 'B') std::printf("%d", it.size);
    const int format = static_cast<int>(static_cast<uint32_t>(it.attribute) & 0xffff);
    if (format != 0) std::printf(" (%d)", format);
    const char compat = static_cast<char>((static_cast<uint32_t>(it.attribute) >> 24) & 0xff);
    if (!compat) {
      std::printf(";\n");
      continue;
    }
    int size = it.size;
    if (std::strchr("EIJKR", compat))
      size = it.size / 2;
    else if (compat == 'P')
      size = it.size * 2;
    if (size < 2)
      std::printf(";\t# %c\n", compat);
    else
      std::printf(";\t# %c%d\n", compat, size);
  }
}

void print_iitems(const RootCache* root) {
  if (root->iitem_count == 0) return;
  std::printf("\nIITEMS:\n");
  for (int32_t k = 0; k < root->iitem_count; ++k) {
    const RootIItem& ii = root->iitems[k];
    std::printf("%8s%-18s= ", "", trimmed(ii.name).c_str());
    for (int p = 0; p < ii.part_count; ++p) {
      const RootItem& it = root->items[ii.parts[p].item];
      std::printf("%s", trimmed(it.name).c_str());
      if (ii.parts[p].length != it.size) std::printf(":%d", ii.parts[p].length);
      std::printf("%s", p + 1 < ii.part_count ? "," : "");
    }
    std::printf(";\n");
  }
}

void print_sets(const RootCache* root, const char* default_collate) {
  // "SETS:" takes at least one set: a database without sets is written
  // without the section, which compiles back into the same database.
  if (root->set_count == 0) {
    std::printf("\n");
    return;
  }
  std::printf("\nSETS:\n\n");
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    const char letter = root_letter(s.type);
    std::printf("N:%6s%s, %c (", "", trimmed(s.name).c_str(), letter);
    std::printf("%s/%s);\n", class_list(i, false).c_str(), class_list(i, true).c_str());
    for (int32_t k = 0; k < s.item_count; ++k) {
      std::printf(k == 0 ? "E:%6s%s" : "%8s%s", "", trimmed(root->items[s.items[k]].name).c_str());
      if (letter != 'D' && k == 0) std::printf(" (%d)", s.path_count);
      if (letter == 'D')
        for (int32_t p = 0; p < s.path_count; ++p)
          if (s.paths[p].position == k) std::printf(" (%s)", trimmed(root->sets[s.paths[p].set].name).c_str());
      std::printf("%s\n", k + 1 < s.item_count ? "," : ";");
    }
    for (int32_t x = 0; x < s.index_count; ++x) {
      const RootIndex& index = s.indexes[x];
      std::printf(x == 0 ? "I:%6s%s" : "%8s%s", "", trimmed(root->iitems[index.iitem - root->item_count].name).c_str());
      for (const Collate& c : g_cat.collates)
        if (c.id == static_cast<uint32_t>(index.collate) && (!default_collate || c.name != default_collate))
          std::printf(" /%s", c.name.c_str());
      std::printf("%s\n", x + 1 < s.index_count ? "," : ";");
    }
    std::printf("\n");
  }
}

void print_schema(const RootCache* root, const char* name) {
  std::printf("# Schema definition for data base %s\n\n", name);
  std::printf("BEGIN DATA BASE %s;\n", name);
  bool every_index = !g_cat.collates.empty();
  for (int32_t i = 0; i < root->set_count; ++i)
    for (int32_t x = 0; x < root->sets[i].index_count; ++x)
      if (root->sets[i].indexes[x].collate == 0) every_index = false;
  const char* default_collate = nullptr;
  if (every_index) {
    default_collate = g_cat.collates[0].name.c_str();
    std::printf("\nDEFAULT LANGUAGE %s;\n", default_collate);
  }
  // Group names in upper case, as the compiler reads every name: a group it
  // named itself ("Group5" for a class without a password) then compiles
  // back to the same text.
  std::printf("\nPASSWORDS:\n");
  for (size_t g = 0; g < g_cat.groups.size(); ++g) {
    if (g_cat.groups[g].cls == 0) continue;
    std::string upper = g_cat.group_names[g];
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::printf(" %8s%2d %s;\n", "", g_cat.groups[g].cls, upper.c_str());
  }
  print_items(root);
  print_iitems(root);
  print_sets(root, default_collate);
  std::printf("END.\n");
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "LAYOUTDUMP", false, usage_table);

  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  bool verbose = false, option_error = false;
  int opt;
  while ((opt = getopt(argc, argv, "u:p:vd:")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'v': verbose = true; break;
      case 'd': flags = optarg; break;
      default: option_error = true; break;
    }
  }
  if (option_error) {
    dbtool_error("illegal arguments");
    std::exit(EXIT_TOOL_USAGE);
  }
  const char* database = dbtool_operand(argc, argv, usage_table);
  if (argc - optind > 1) {
    dbtool_error("Unexpected arguments");
    dbtool_usage(usage_table);
  }
  if (!*database) {
    dbtool_error("Illegal data base name");
    return EXIT_TOOL_FAILURE;
  }

  if (!dbtool_session(flags, user, password)) return EXIT_TOOL_FAILURE;
  if (verbose) std::printf("Connecting server ...\n");
  int dbid = dbtool_open_description(database, user, password, 4010);
  const RootCache* root = idb__get_root(dbid);
  IDB_ASSERT(root != nullptr);
  const char* slash = std::strchr(database, '/');
  const char* name = slash ? slash + 1 : database;

  g_cat.server = SysCat_attach(dbid);
  if (g_cat.server <= 0) {
    const DbtoolServerName where = dbtool_operand_server(database);
    dbtool_connect_failure(g_cat.server, where.host.c_str(), where.service.c_str());
  }
  g_cat.db = SysCat_open_db_by_name(g_cat.server, name, 0, 0);
  if (g_cat.db <= 0) {
    g_cat.db = 0;
    std::fprintf(stderr, "%s: Unable to open database \"%s\"\n", dbtool_program, name);
    tool_exit(EXIT_TOOL_FAILURE);
  }
  if (!load_catalog(root)) fail_exit();
  print_schema(root, name);
  SysCat_close_db(g_cat.server, g_cat.db);
  tool_exit(EXIT_TOOL_OK);
}
