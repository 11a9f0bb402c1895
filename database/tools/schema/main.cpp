// schema: compiles one schema source. It checks the source, prints the
// listing and the set table when asked, loads the collating sequence files
// the schema names, and writes the database into the server's catalog.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "database/tools/schema/schema.h"
#include "language/errutil.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: schema [options] file",
    "options:",
    " -help      - show usage (this list)",
    " -u user    - set user name",
    " -p pswd    - set password",
    " -h host    - host to contact",
    " -s service - service name or or port number",
    " -d flgs    - debug flags",
    " -l         - output source listing",
    " -n         - no root file, only check syntax",
    " -t         - output set table",
    " -T         - QX3000 Pellucor compatibility mode",
    " -W width   - Limit line length to width",
    "<$END>",
};

namespace {

[[noreturn]] void usage() {
  std::fputs("\n", stderr);
  print_usage_lines(stderr, usage_table);
  std::fflush(stderr);
  std::exit(EXIT_TOOL_USAGE);
}

// A width: decimal digits only, 0 or more.
bool parse_width(const char* text, int* width) {
  if (!*text) return false;
  long value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > 1000000) value = 1000000;
  }
  *width = static_cast<int>(value);
  return true;
}

// A failed allocation ends the run with its message.
void memory_panic() {
  print_error("(FATAL) Memory panic");
  std::fflush(stdout);
  std::_Exit(1);
}

// The parser trace level of the environment variable YYDEBUG: a digit.
int env_trace_level() {
  const char* value = std::getenv("YYDEBUG");
  if (value && *value >= '0' && *value <= '9') return *value - '0';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(memory_panic);
  banner_print("SCHEMA");
  if (argc > 1 && std::strcmp(argv[1], "-help") == 0) usage();
  if (argc > 1 && std::strcmp(argv[1], "-version") == 0) {
    tool_out_printf("%s", dbtool_version_line());
    tool_finish("schema", EXIT_TOOL_OK);
  }

  sch_opt = SchOptions{};
  sch_opt.user = dbtool_default_user();
  sch_opt.password = "";
  sch_opt.host = "localhost";
  sch_opt.service = "vevivu";
  const char* flags = "*0";
  bool width_given = false;

  opterr = 0;
  int opt;
  while ((opt = getopt(argc, argv, ":u:p:h:s:d:o:lntxyTW:")) != -1) {
    switch (opt) {
      case 'u': sch_opt.user = optarg; break;
      case 'p': sch_opt.password = optarg; break;
      case 'h': sch_opt.host = optarg; break;
      case 's': sch_opt.service = optarg; break;
      case 'd': flags = optarg; break;
      case 'l': sch_opt.listing = 1; break;
      case 'n': sch_opt.no_catalog = 1; break;
      case 't': sch_opt.set_table = 1; break;
      case 'x': break;
      case 'y': sch_opt.trace = 1; break;
      case 'T':
        sch_opt.compat = 1;
        if (!width_given) sch_opt.width = 72;
        break;
      case 'W':
        if (!parse_width(optarg, &sch_opt.width)) {
          std::fprintf(stderr, "schema: Bad line width \"%s\"\n", optarg);
          usage();
        }
        width_given = true;
        break;
      case 'o': std::fprintf(stderr, "Option -o is only available on QX-UX\n"); usage();
      case ':': std::fprintf(stderr, "Option -%c requires an argument\n", optopt); usage();
      default: std::fprintf(stderr, "Unrecognized option: - %c\n", optopt); usage();
    }
  }
  if (optind >= argc) {
    std::fprintf(stderr, "schema: no source file specified\n");
    usage();
  }
  if (argc - optind > 1) {
    std::fprintf(stderr, "schema: Unexpected arguments\n");
    usage();
  }
  if (!sch_opt.trace) sch_opt.trace = env_trace_level();

  debug_init(flags, stderr);
  const char* source = argv[optind];
  FILE* file = std::strcmp(source, "-") == 0 ? stdin : std::fopen(source, "r");
  if (!file) {
    std::fprintf(stderr, "%s: %s\n", source, std::strerror(errno));
    tool_finish("schema", EXIT_TOOL_FAILURE);
  }

  sch_reset();
  ErrContext* err = err_context();
  err->print = sch_print_hook;
  err->print_user = nullptr;
  err->listing = sch_opt.listing;
  sch_input_open(file);
  sch_parse();
  sch_scan_finish();
  if (file != stdin) std::fclose(file);
  err_set_line(nullptr, 0);

  if (sch_opt.listing || sch_error_count() != 0 || sch_warning_count() != 0) sch_print("\n");
  sch_final_pass();
  sch_load_collates();
  if (sch_opt.set_table) sch_print_set_table();
  if (sch_opt.listing || sch_opt.set_table) sch_print_summary();
  sch_check_limits();

  if (!sch_opt.no_catalog) {
    if (sch_error_count() == 0) {
      sch_write_catalog();
      if (sch_opt.listing || sch_opt.set_table) sch_printf("*** %s\n", "Database catalog created");
    } else {
      sch_printf("*** %s\n", "Preceding errors -- no ROOT file created");
    }
  }
  tool_finish("schema", sch_error_count() != 0 ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
}
