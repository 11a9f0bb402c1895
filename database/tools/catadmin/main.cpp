// catadmin: reads one command file (or standard input) and administers the
// users, groups, memberships and table privileges of a database server's
// catalog in one server transaction.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/catadmin/catadmin.h"
#include "database/tools/common/dbtool.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: catadmin [options] file",
    "options:",
    " -help   = show usage (this list)",
    " -v      = verbose          (batch mode only)",
    " -e cnt  = abort processing after encountering cnt errors",
    " -t tmp  = where temporary files are stored",
    " -d flg  = debug flags",
    "<$END>",
};

namespace {

const char* const kProgram = "catadmin";

// Standard output is line-buffered through this buffer.
char stdout_buffer[512];

void exit_handler() { cat_close_session(); }

[[noreturn]] void illegal_arguments() {
  std::fprintf(stderr, "%s: %s\n", kProgram, "Illegal arguments");
  std::exit(EXIT_TOOL_USAGE);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, stdout_buffer, _IOLBF, sizeof stdout_buffer);
  dbtool_start(argc, argv, "CATADMIN", true, usage_table);

  const char* flags = nullptr;
  bool parser_debug = false;
  bool option_error = false;
  int opt;
  opterr = 0;  // an unknown option gets the one line below
  while ((opt = getopt(argc, argv, "nvt:d:yie:")) != -1) {
    switch (opt) {
      case 'n': break;
      case 'v': ++cat_opt.verbose; break;
      case 't': break;  // kept; nothing is stored there
      case 'd':
        flags = optarg;
        cat_opt.trace = true;
        break;
      case 'y': parser_debug = true; break;
      case 'e': {
        char* end = nullptr;
        errno = 0;
        long limit = std::strtol(optarg, &end, 10);
        if (!*optarg || *end || errno != 0 || limit < 0) option_error = true;
        cat_opt.error_limit = limit;
        break;
      }
      default: option_error = true; break;  // 'i' among them
    }
  }
  if (option_error || argc - optind > 1) illegal_arguments();
  if (argc - optind < 1) dbtool_usage(usage_table);
  const char* file_name = argv[optind];

  debug_init(flags ? flags : "*0", stderr);
  if (idb__init() != 0) {
    std::fprintf(stderr, "%s: %s\n", kProgram, "Unable to initialize database subsystem");
    char text[IDB_STATUS_TEXT_MAX];
    text[0] = '\0';
    idb__last_status_text(text, sizeof text, nullptr);
    std::fprintf(stderr, "%s\n", text);
    std::exit(EXIT_TOOL_FAILURE);
  }
  std::atexit(exit_handler);
  std::set_new_handler([] { cat_memory_panic(); });

  FILE* input = stdin;
  if (std::strcmp(file_name, "-") != 0) {
    input = std::fopen(file_name, "r");
    if (!input) {
      std::printf("%s: %s\n", file_name, std::strerror(errno));
      cat_fatal("Unable to open input file");
    }
  }
  if (cat_opt.verbose) std::printf("Processing specification ...\n\n");

  cat_input_open(input);
  cat_parse(parser_debug);

  if (cat_error_count() > 0) {
    char text[64];
    std::snprintf(text, sizeof text, "%d Errors detected", cat_error_count());
    cat_finish_rollback();
    cat_fatal(text);
  }
  if (!cat_finish_commit()) cat_fatal("Unable to commit server transaction.");
  if (input != stdin) std::fclose(input);
  if (cat_opt.verbose) std::printf("\nProcessing completed.\n");
  cat_close_session();
  // A report that could not be written is no success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return EXIT_TOOL_FAILURE;
  return EXIT_TOOL_OK;
}
