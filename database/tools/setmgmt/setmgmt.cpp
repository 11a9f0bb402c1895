// blankset, forgeset and scrapbase: open a database in mode 13, resolve the
// sets named on the command line, and send one request with their numbers
// (erase, create or purge). One source, built once per tool.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "language/toolframe.h"

namespace {

#if defined(SETMGMT_BLANKSET)
const char kBanner[] = "BLANKSET";
const char kOptions[] = "u:d:p:v";
const char kStep[] = "erasing sets";
#define SETMGMT_USAGE_LINE "usage: blankset [options] database [set ...]"
#elif defined(SETMGMT_FORGESET)
const char kBanner[] = "FORGESET";
const char kOptions[] = "u:p:vd:";
const char kStep[] = "creating sets";
#define SETMGMT_USAGE_LINE "usage: forgeset [options] database [set ...]"
#elif defined(SETMGMT_SCRAPBASE)
const char kBanner[] = "SCRAPBASE";
const char kOptions[] = "u:d:p:vf";
const char kStep[] = "purging sets";
#define SETMGMT_USAGE_LINE "usage: scrapbase [options] database [set ...]"
#else
#error "build setmgmt.cpp with one of SETMGMT_BLANKSET, SETMGMT_FORGESET, SETMGMT_SCRAPBASE"
#endif

}  // namespace

const char* const usage_table[] = {
    SETMGMT_USAGE_LINE,
    "options:",
    " -help   - show usage (this list)",
    " -u user - set user name",
    " -p pswd - set password",
    " -v      - output additional information",
#if defined(SETMGMT_SCRAPBASE)
    " -f      - force root file deletion",
#endif
    " -d flgs - debug flags",
    "<$END>",
};

namespace {

int send_request(int dbid, bool force, int32_t* status, std::vector<int32_t>& list) {
  const int32_t count = static_cast<int32_t>(list.size());
  const int32_t* numbers = list.empty() ? nullptr : list.data();
#if defined(SETMGMT_BLANKSET)
  (void)force;
  return idb_erase(dbid, 1, status, count, numbers);
#elif defined(SETMGMT_FORGESET)
  (void)force;
  return idb_create(dbid, 1, status, count, numbers);
#else
  return idb_purge(dbid, force ? 2 : 1, status, count, numbers);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, kBanner, false, usage_table);

  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  bool verbose = false, force = false, option_error = false;
  int opt;
  while ((opt = getopt(argc, argv, kOptions)) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'v': verbose = true; break;
      case 'd': flags = optarg; break;
      case 'f': force = true; break;
      default: option_error = true; break;
    }
  }
  if (option_error) dbtool_usage(usage_table);
  const char* database = dbtool_database(argc, argv, usage_table);
  if (database == nullptr) return EXIT_TOOL_FAILURE;

  if (!dbtool_session(flags, user, password)) return EXIT_TOOL_FAILURE;
  if (verbose) std::printf("%s : %s\n\n", "Processing database", database);

  StatusArray status = {};
  int dbid = idb_open(database, password, IDB_OPEN_MANAGE, status);
  if (status[0] != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", dbtool_program, database, "unable to access database");
    fatal_error(status, 2010, "opening data base");
  }

  int errors = 0;
  std::vector<int32_t> list;
  for (int i = optind + 1; i < argc; ++i) {
    const char* operand = argv[i];
    const bool numeric = std::isdigit(static_cast<unsigned char>(operand[0])) != 0;
    // A name goes in a buffer long enough for the library's 4-byte read.
    char name[64] = {};
    int32_t number = 0;
    if (numeric)
      number = static_cast<int32_t>(std::atol(operand));
    else
      std::snprintf(name, sizeof name, "%s", operand);
    int32_t found = 0;
    idb_info(dbid, numeric ? static_cast<const void*>(&number) : name, 201, status, &found, 4);
    if (status[0] == -21) {
      if (numeric)
        std::fprintf(stderr, "%d : %s\n", number, "Illegal set number");
      else
        std::fprintf(stderr, "%s: %s\n", operand, "Illegal set name");
      ++errors;
      continue;
    }
    fatal_error(status, 2020, "info 201");
    list.push_back(found < 0 ? -found : found);
  }
  if (errors) {
    dbtool_error("illegal arguments");
    tool_exit(EXIT_TOOL_FAILURE);
  }
  send_request(dbid, force, status, list);
  fatal_error(status, 2030, kStep);
  tool_exit(EXIT_TOOL_OK);
}
