// catspill: prints the rows of the server's catalog tables as text tables:
// the node-level tables, or the tables of one database's catalog, or one
// chosen table.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: %s [options] database",
    "options:",
    " -u name    - user name",
    " -p pswd    - password",
    " -h host    - host name or address",
    " -s service - service name or port number",
    " -d flags   - debug flags",
    " -t catid   - dump only specified catalog table",
    "<$END>",
};

namespace {

const uint32_t kNodeTables[] = {20, 21, 22, 30, 31, 32, 33, 34, 35, 36};
const uint32_t kDatabaseTables[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

const int kMaxWidth = 20;

// "<program>: <last status text>", the text cut to 80 characters.
void last_status_line() {
  char text[81];
  idb__last_status_text(text, sizeof text, nullptr);
  dbtool_error(text);
}

int column_width(const SysCatColDesc& c) {
  long size = static_cast<long>(c.col_size);
  long width;
  switch (c.col_type) {
    case SysCol_CHAR:
    case SysCol_BINARY: width = 2 * size; break;
    case SysCol_INT8:
    case SysCol_INT16:
    case SysCol_INTEGER: width = 4; break;
    case SysCol_COUNTED:
    case SysCol_COUNTED2: width = std::max(2 * size + 3, 16L); break;
    default: width = size; break;
  }
  width = std::max(width, static_cast<long>(std::strlen(c.col_name)));
  return static_cast<int>(std::min(width, static_cast<long>(kMaxWidth)));
}

void dashes(int width) {
  for (int i = 0; i < width; ++i) std::fputc('-', stdout);
  std::fputc('\n', stdout);
}

void print_value(const SysCatColDesc& c, const SysCatValue& v, int width) {
  std::fputc('|', stdout);
  if (!v.value) {
    std::printf("%-*.*s", width, width, "NULL");
    return;
  }
  switch (c.col_type) {
    case SysCol_CHAR:
    case SysCol_BINARY: {
      // Never more bytes than the value holds.
      uint32_t n = std::min(static_cast<uint32_t>(width / 2), v.length);
      for (uint32_t i = 0; i < n; ++i) std::printf("%02x", v.value[i]);
      std::printf("%*s", width - static_cast<int>(2 * n), "");
      break;
    }
    case SysCol_VARCHAR:
    case SysCol_STRING: {
      int n = static_cast<int>(std::min(static_cast<uint32_t>(width), v.length));
      std::printf("%-*.*s", width, n, reinterpret_cast<const char*>(v.value));
      break;
    }
    case SysCol_INT8: {
      int8_t n = 0;
      if (v.length >= 1) std::memcpy(&n, v.value, 1);
      std::printf("%-*d", width, n);
      break;
    }
    case SysCol_INT16: {
      int16_t n = 0;
      if (v.length >= 2) std::memcpy(&n, v.value, 2);
      std::printf("%-*d", width, n);
      break;
    }
    case SysCol_INTEGER: {
      int32_t n = 0;
      if (v.length >= 4) std::memcpy(&n, v.value, 4);
      std::printf("%-*d", width, n);
      break;
    }
    case SysCol_COUNTED:
    case SysCol_COUNTED2: {
      int used = std::printf("%d:", static_cast<int>(v.length));
      for (uint32_t i = 0; i < v.length && width - used >= 2; ++i) used += std::printf("%02x", v.value[i]);
      if (used < width) std::printf("%*s", width - used, "");
      break;
    }
    default: std::printf("%-*s", width, "..."); break;
  }
}

// Dumps one table; false when its select failed.
bool dump_table(int server, int db_hndl, uint32_t table) {
  SysCatResultSet* rs = SysCat_select(server, db_hndl, table, SysSelect_ALL);
  if (!rs) return false;
  int line = 1;
  int* widths = static_cast<int*>(std::calloc(rs->col_count ? rs->col_count : 1, sizeof(int)));
  if (!widths) {
    SysCat_close_query(rs);
    return false;
  }
  for (uint32_t i = 0; i < rs->col_count; ++i) {
    widths[i] = column_width(rs->cols[i]);
    line += widths[i] + 1;
  }
  dashes(line);
  std::printf("#%d %s (%d entries)\n", static_cast<int>(table), rs->table_name, static_cast<int>(rs->row_count));
  dashes(line);
  for (uint32_t i = 0; i < rs->col_count; ++i) std::printf("|%-*s", widths[i], rs->cols[i].col_name);
  std::printf("|\n");
  dashes(line);
  if (rs->row_count == 0) {
    std::printf("no records ...\n");
  } else {
    for (uint32_t r = 0; r < rs->row_count; ++r) {
      SysCatRow* row = SysCat_fetch(rs);
      if (!row) break;
      for (uint32_t i = 0; i < rs->col_count; ++i) print_value(rs->cols[i], row->values[i], widths[i]);
      std::printf("|\n");
      std::free(row);
    }
  }
  dashes(line);
  std::free(widths);
  SysCat_close_query(rs);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "CATSPILL", true, usage_table);

  std::string user = dbtool_default_user();
  std::string password;
  std::string host = "localhost";
  std::string service = "vevivu";
  std::string flags = "*0";
  long only = -1;
  bool option_error = false;

  int opt;
  while ((opt = getopt(argc, argv, "u:p:h:s:vd:t:")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'h': host = optarg; break;
      case 's': service = optarg; break;
      case 'v': break;
      case 'd': flags = optarg; break;
      case 't': {
        char* end = nullptr;
        only = std::strtol(optarg, &end, 10);
        if (!*optarg || *end || only < 0 || only > 0x7fffffffL) option_error = true;
        break;
      }
      default: option_error = true; break;
    }
  }
  if (option_error) {
    dbtool_error("illegal arguments");
    std::exit(EXIT_TOOL_USAGE);
  }
  if (argc - optind > 1) {
    dbtool_error("Unexpected arguments");
    std::exit(EXIT_TOOL_USAGE);
  }
  const char* database = optind < argc ? argv[optind] : nullptr;

  if (!dbtool_session(flags.c_str(), user.c_str(), password.c_str())) return EXIT_TOOL_FAILURE;

  int server = SysCat_open(host.c_str(), service.c_str());
  if (server <= 0) {
    if (server < 0)
      std::fprintf(stderr, "%s: Unable to connect server %s:%s\n", dbtool_program, host.c_str(), service.c_str());
    else
      std::fprintf(stderr, "%s: Sorry - server %s:%s has insufficient capabilities\n", dbtool_program, host.c_str(),
                   service.c_str());
    last_status_line();
    tool_exit(EXIT_TOOL_FAILURE);
  }

  int db_hndl = 0;
  if (database) {
    db_hndl = SysCat_open_db_by_name(server, database, 0, 0);
    if (db_hndl < 0) {
      std::fprintf(stderr, "%s: Unable to open database \"%s\"\n", dbtool_program, database);
      SysCat_close(server);
      tool_exit(EXIT_TOOL_FAILURE);
    }
  }

  bool ok = true;
  if (only >= 0) {
    ok = dump_table(server, db_hndl, static_cast<uint32_t>(only));
  } else if (database) {
    for (uint32_t t : kDatabaseTables)
      if (ok) ok = dump_table(server, db_hndl, t);
  } else {
    for (uint32_t t : kNodeTables)
      if (ok) ok = dump_table(server, db_hndl, t);
  }
  if (database) SysCat_close_db(server, db_hndl);
  SysCat_close(server);
  tool_exit(ok ? EXIT_TOOL_OK : EXIT_TOOL_FAILURE);
}
