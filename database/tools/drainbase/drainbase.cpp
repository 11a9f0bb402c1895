// drainbase: writes the records of the sets of a database into export
// files, one per set or all into one file (or standard output), read
// serially or, for a detail set with -c, chain by chain along its master.
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/recordcalls.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "database/tools/common/export.h"
#include "database/tools/common/setinfo.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: drainbase [options] database [set ...]",
    "options:",
    " -help   - show usage (this list)",
    " -u user - set user name",
    " -p pswd - set password",
    " -o path - set output directory (not single file)",
    " -v      - verbose output",
    " -c      - chained export",
    " -a      - export automatic sets",
    " -r      - create restructure information",
    " -s file - output into single file, '-' = stdout",
    " -f sep  - field separator, default is ','",
    " -z cset - set export code set (roman8, iso88591)",
    " -w wdth - specify dset id width (default 3)",
    " -d flgs - debug flags",
    "<$END>",
};

namespace {

struct Options {
  const char* directory = ".";
  const char* single = nullptr;
  int verbose = 0;
  bool chained = false;
  bool automatic = false;
  bool restructure = false;
  char separator = ',';
  int width = 3;
};

struct Run {
  Options opt;
  int dbid = 0;
  std::string base;
  ExpOutput single;
  // Per-set files written whole and closed, renamed into place together
  // when every set was written.
  std::vector<ExpOutput> written;
  std::string line;  // reused for every record
};

// A failed write is fatal: the file under its temporary name goes.
void write_or_die(ExpOutput* out, const std::string& bytes) {
  exp_output_write(out, bytes);
  if (out->error) {
    std::fprintf(stderr, "%s: %s: %s\n", dbtool_program, out->name == "-" ? "stdout" : out->name.c_str(),
                 std::strerror(out->error));
    exp_output_abandon(out);
    tool_exit(EXIT_TOOL_FAILURE);
  }
}

void finish_or_die(ExpOutput* out) {
  if (exp_output_finish(out) != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", dbtool_program, out->name == "-" ? "stdout" : out->name.c_str(),
                 std::strerror(errno));
    tool_exit(EXIT_TOOL_FAILURE);
  }
}

void show_count(const Run& run, long count) {
  if (run.opt.verbose && count % 100 == 0) std::fprintf(stderr, "%8ld\b\b\b\b\b\b\b\b", count);
}

void export_set(Run& run, int32_t number) {
  int set = number < 0 ? -number : number;
  StatusArray status = {};
  SetInfo info;
  setinfo_read(run.dbid, set, status, &info);
  fatal_error(status, 3010, "info 202");
  if (run.opt.verbose) std::fprintf(stderr, "%16.16s %03d %c %8ld ", info.name, set, info.type, info.entries);
  bool single = run.opt.single != nullptr;
  if ((info.type == 'A' && !run.opt.automatic) || (info.entries == 0 && !single)) {
    if (run.opt.verbose) std::fputc('\n', stderr);
    return;
  }
  std::vector<SetItem> items = setinfo_items(run.dbid, set);
  std::vector<ExpItem> layout = setinfo_exp_items(items);
  int32_t master = 0, search = 0;
  if (run.opt.chained && info.type == 'D') {
    int32_t answer[2] = {};
    idb_info(run.dbid, &set, 302, status, answer, sizeof answer);
    fatal_error(status, 3020, "info 302");
    search = answer[0];
    master = answer[1];
  }

  ExpOutput file;
  ExpOutput* out = &run.single;
  if (!single) {
    std::string name = exp_file_name(run.opt.directory, run.base, run.opt.width, set);
    if (exp_output_open(&file, name) != 0) {
      int saved = errno;
      if (run.opt.verbose) std::fputc('\n', stderr);
      std::fprintf(stderr, "%s: %s\n", name.c_str(), std::strerror(saved));
      tool_exit(EXIT_TOOL_FAILURE);
    }
    out = &file;
  } else {
    run.line.clear();
    run.line += "\n";
    exp_set_header(run.line, set, info.name);
    write_or_die(out, run.line);
  }
  if (run.opt.restructure) {
    run.line.clear();
    if (!single) exp_set_header(run.line, set, info.name);
    int position = 1;
    for (const SetItem& i : items) {
      exp_item_line(run.line, position, i.name, i.count, i.type, i.width);
      position += i.count;
    }
    write_or_die(out, run.line);
  }

  std::vector<unsigned char> record(static_cast<size_t>(info.record_length) + 8);
  long count = 0;
  auto write_record = [&] {
    run.line.clear();
    exp_append_record(run.line, layout.data(), layout.size(), record.data(), run.opt.separator);
    write_or_die(out, run.line);
    ++count;
    show_count(run, count);
  };
  if (master == 0) {
    idb_close(run.dbid, &set, 3, status);
    fatal_error(status, 3030, "rewind dset");
    for (;;) {
      idb_get(run.dbid, &set, 2, status, "@", record.data(), nullptr);
      if (status[0] == 11) break;
      fatal_error(status, 3040, "serial get");
      write_record();
    }
  } else {
    SetInfo minfo;
    setinfo_read(run.dbid, master, status, &minfo);
    fatal_error(status, 3050, "info 202");
    std::vector<unsigned char> argument(static_cast<size_t>(minfo.record_length) + 8);
    int32_t length = minfo.record_length;
    std::memcpy(argument.data(), &length, 4);
    idb_close(run.dbid, &master, 3, status);
    fatal_error(status, 3060, "rewind mset");
    for (;;) {
      idb_get(run.dbid, &master, 2, status, "@", argument.data() + 4, nullptr);
      if (status[0] == 11) break;
      fatal_error(status, 3070, "serial get (master)");
      idb_find(run.dbid, &set, 1, status, &search, argument.data());
      if (status[0] == 17) continue;
      fatal_error(status, 3080, "get chain head");
      for (;;) {
        idb_get(run.dbid, &set, 5, status, "@", record.data(), nullptr);
        if (status[0] == 15) break;
        fatal_error(status, 3090, "chained get");
        write_record();
      }
    }
  }
  if (run.opt.verbose) std::fprintf(stderr, "%8ld\n", count);
  if (single) return;
  if (exp_output_close(&file) != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", dbtool_program, file.name.c_str(), std::strerror(errno));
    tool_exit(EXIT_TOOL_FAILURE);
  }
  run.written.push_back(file);
}

// Renames the per-set files into place; when one cannot be, the message
// names the files already renamed, the only new ones.
void commit_written(Run& run) {
  std::string renamed;
  for (ExpOutput& file : run.written) {
    if (exp_output_commit(&file) != 0) {
      std::fprintf(stderr, "%s: %s: %s\n", dbtool_program, file.name.c_str(), std::strerror(errno));
      if (!renamed.empty()) std::fprintf(stderr, "%s: new files: %s\n", dbtool_program, renamed.c_str());
      tool_exit(EXIT_TOOL_FAILURE);
    }
    renamed += renamed.empty() ? file.name : " " + file.name;
  }
  run.written.clear();
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "DRAINBASE", false, usage_table);
  if (argc < 2) dbtool_usage(usage_table);

  Run run;
  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  int charset = -1;
  bool option_error = false;
  int opt;
  while ((opt = getopt(argc, argv, "u:cvo:p:rs:af:d:z:w:")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'c': run.opt.chained = true; break;
      case 'v': ++run.opt.verbose; break;
      case 'o': run.opt.directory = optarg; break;
      case 'r': run.opt.restructure = true; break;
      case 's': run.opt.single = optarg; break;
      case 'a': run.opt.automatic = true; break;
      case 'f': run.opt.separator = dbtool_separator(optarg); break;
      case 'd': flags = optarg; break;
      case 'z': charset = dbtool_charset(optarg); break;
      case 'w':
        if (std::strcmp(optarg, "2") != 0 && std::strcmp(optarg, "3") != 0 && std::strcmp(optarg, "4") != 0) {
          std::fprintf(stderr, "%s: Bad dset id width \"%s\"\n", dbtool_program, optarg);
          return EXIT_TOOL_USAGE;
        }
        run.opt.width = optarg[0] - '0';
        break;
      default: option_error = true; break;
    }
  }
  if (option_error) dbtool_illegal_arguments();
  const char* database = dbtool_required_operand(argc, argv);
  run.base = exp_base_name(database);

  if (!dbtool_session(flags, user, password, charset, run.opt.verbose ? stderr : nullptr)) return EXIT_TOOL_FAILURE;
  if (run.opt.verbose) {
    std::fprintf(stderr, "%s : %s\n", "Processing database", database);
    if (run.opt.single)
      std::fprintf(stderr, "%s : %s\n", "Export file        ",
                   std::strcmp(run.opt.single, "-") == 0 ? "stdout" : run.opt.single);
    else
      std::fprintf(stderr, "%s : %s\n", "Export path        ", run.opt.directory);
    std::fputc('\n', stderr);
  }

  StatusArray status = {};
  run.dbid = idb_open(database, password, IDB_OPEN_SHARED, status);
  fatal_error(status, 1010, "opening database");

  if (run.opt.single) {
    if (exp_output_open(&run.single, run.opt.single) != 0) {
      std::fprintf(stderr, "%s: %s\n", run.opt.single, std::strerror(errno));
      tool_exit(EXIT_TOOL_FAILURE);
    }
    run.line.clear();
    exp_database_line(run.line, run.base);
    write_or_die(&run.single, run.line);
  }
  if (run.opt.verbose) {
    std::fprintf(stderr, "DATA SET               RECORDS  COUNT\n");
    std::fprintf(stderr, "---------------- --- - -------- --------\n");
  }

  int errors = 0;
  std::vector<int32_t> sets = setinfo_operand_sets(run.dbid, argc, argv, optind + 1, &errors);
  for (int32_t number : sets) export_set(run, number);
  if (run.opt.single) finish_or_die(&run.single);
  commit_written(run);
  tool_exit(errors ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
}
