// probebase: one line per data set of a database (name, number, type, record
// length, capacity, entries) and, with -v, a summary of its root.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/root.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "database/tools/common/setinfo.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: probebase [options] database [set ...]",
    "options:",
    " -help   - show usage (this list)",
    " -u user - set user name",
    " -p pswd - set password",
    " -v      - output additional information",
    " -n      - suppress header",
    " -d flgs - debug flags",
    "<$END>",
};

namespace {

int32_t word_at(const std::vector<int32_t>& words, size_t i) { return i < words.size() ? words[i] : 0; }

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "PROBEBASE", false, usage_table);

  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  bool verbose = false, no_header = false, manage = false, option_error = false;
  int opt;
  while ((opt = getopt(argc, argv, "u:p:vnd:m")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'v': verbose = true; break;
      case 'n': no_header = true; break;
      case 'd': flags = optarg; break;
      case 'm': manage = true; break;
      default: option_error = true; break;
    }
  }
  if (option_error) dbtool_usage(usage_table);
  const char* database = dbtool_database(argc, argv, usage_table);
  if (database == nullptr) return EXIT_TOOL_FAILURE;

  if (!dbtool_session(flags, user, password)) return EXIT_TOOL_FAILURE;

  if (!no_header) std::printf("%s : %s\n\n", "Processing database", database);
  StatusArray status = {};
  int dbid = idb_open(database, password, manage ? IDB_OPEN_MANAGE : IDB_OPEN_SHARED, status);
  fatal_error(status, 1010, "opening data base");

  const RootCache* root = idb__get_root(dbid);
  IDB_ASSERT(root != nullptr);
  if (verbose) {
    std::printf("ROOT FILE\n");
    std::printf("---------\n");
    std::printf("%-15s: %x\n", "Version", static_cast<unsigned>(root->version));
    std::printf("%-15s: %d\n", "# of items", root->item_count);
    std::printf("%-15s: %d\n", "# of sets", root->set_count);
    std::printf("\n");
  }
  if (!no_header) {
    std::printf("SET NAME               RECLEN CAPACITY ENTRIES\n");
    std::printf("---------------- --- - ------ -------- --------\n");
  }

  int errors = 0;
  std::vector<int32_t> sets = setinfo_operand_sets(dbid, argc, argv, optind + 1, &errors);

  for (int32_t number : sets) {
    int32_t set = number < 0 ? -number : number;
    std::vector<int32_t> answer(8);
    idb_info(dbid, &set, 202, status, answer.data(), 32);
    fatal_error(status, 1040, "info 202");
    char name[17];
    std::memcpy(name, answer.data(), 16);
    name[16] = '\0';
    char letter;
    std::memcpy(&letter, reinterpret_cast<const char*>(answer.data()) + 16, 1);
    std::printf("%16.16s %03d %c %6d %8ld %8ld", name, set, letter, word_at(answer, 5),
                static_cast<long>(word_at(answer, 6)), static_cast<long>(word_at(answer, 7)));
    std::printf("\n");
  }
  tool_exit(errors ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
}
