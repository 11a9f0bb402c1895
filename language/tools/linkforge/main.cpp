// linkforge: reads declarations of external library functions and writes the
// C call glue through which the run-time calls them.
#include "language/tools/linkforge/linkforge.h"

#include "language/errutil.h"
#include "language/toolframe.h"
#include "platform/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

const char* const usage_table[] = {
    "usage: linkforge [options] {-|files ...}",
    "options:",
    " -help   = show usage (this list)",
    " -l      = output source listing",
    " -o file = output file name, default is stdout",
    "Specifying input file '-' will force reading from stdin",
    "<$END>",
};

namespace {

const char kTool[] = "linkforge";
const char kStdoutName[] = "(stdout)";

void listing_line(const char* text) { err_print(text); }

// Ends the run when the listing itself could not be written.
void finish_listing_or_die() {
  if (std::fflush(stdout) != 0 && !lf_ctx.pager.write_failed) lf_ctx.pager.write_failed = errno ? errno : EIO;
  if (lf_ctx.pager.write_failed) {
    std::fprintf(stderr, "%s: standard output: %s\n", kTool, std::strerror(lf_ctx.pager.write_failed));
    std::exit(EXIT_TOOL_FAILURE);
  }
}

[[noreturn]] void fail_output(const char* name, int error, const char* what) {
  char line[64];
  std::snprintf(line, sizeof line, "*** %s\n", what);
  std::string text = std::string("*** ") + name + ": " + std::strerror(error) + "\n";
  listing_line(text.c_str());
  listing_line(line);
  finish_listing_or_die();
  std::exit(EXIT_TOOL_FAILURE);
}

bool write_all(int fd, const std::string& text, int* error) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd, p, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      *error = errno;
      return false;
    }
    p += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

// Writes the glue to the named file: a regular file (or a new one) is
// written beside its final place and renamed over it, so that a failed run
// leaves the old file as it was; devices and pipes are written directly.
void write_output_file(const char* name, const std::string& text) {
  std::string target = name;
  struct stat info;
  if (::stat(name, &info) == 0 && !S_ISREG(info.st_mode)) {
    int fd = ::open(name, O_WRONLY | O_TRUNC);
    if (fd < 0) fail_output(name, errno, "(FATAL) Unable to create output file");
    int error = 0;
    if (!write_all(fd, text, &error)) {
      ::close(fd);
      fail_output(name, error, "(FATAL) Unable to write output file");
    }
    if (::close(fd) != 0) fail_output(name, errno, "(FATAL) Unable to write output file");
    return;
  }
  if (char* resolved = ::realpath(name, nullptr)) {  // write beside a link's target
    target = resolved;
    std::free(resolved);
  }

  mode_t mask = ::umask(0);
  ::umask(mask);
  int step = ATOMIC_WRITE_OK;
  if (atomic_write_file(target.c_str(), text.data(), text.size(), 0666 & ~mask, &step) != 0)
    fail_output(
        name, errno,
        step == ATOMIC_WRITE_CREATE ? "(FATAL) Unable to create output file" : "(FATAL) Unable to write output file");
}

void write_output_stdout(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    int error = errno ? errno : EIO;
    std::fprintf(stderr, "*** %s: %s\n*** %s\n", kStdoutName, std::strerror(error),
                 "(FATAL) Unable to write output file");
    std::exit(EXIT_TOOL_FAILURE);
  }
}

void parse_file(FILE* file, const char* name) {
  lf_input_open(file, name);
  lf_parse_input();
  if (lf_ctx.input.read_failed) {
    std::fprintf(stderr, "%s: %s\n", name, std::strerror(lf_ctx.input.read_failed));
    std::exit(EXIT_TOOL_FAILURE);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-help") == 0 || std::strcmp(argv[i], "--help") == 0) print_usage();
    if (std::strcmp(argv[i], "-version") == 0 || std::strcmp(argv[i], "--version") == 0) {
      banner_tool("LINKFORGE");
      return EXIT_TOOL_OK;
    }
  }

  const char* output_name = nullptr;
  int listing = 0;
  int option;
  while ((option = getopt(argc, argv, "+ldo:")) != -1) {
    switch (option) {
      case 'l': listing = 1; break;
      case 'd': break;
      case 'o': output_name = optarg; break;
      default: print_usage();
    }
  }

  banner_tool("LINKFORGE");

  if (optind >= argc) {
    std::fprintf(stderr, "%s: %s\n", kTool, "no source file specified");
    return EXIT_TOOL_USAGE;
  }

  lf_ctx.listing = listing;
  lf_pager_init(&lf_ctx.pager, stdout, listing);
  ErrContext* err = err_context();
  err->listing = listing;
  err->print = lf_pager_print;
  err->print_user = &lf_ctx.pager;

  if (std::strcmp(argv[optind], "-") == 0) {
    parse_file(stdin, "stdin");
  } else {
    for (int i = optind; i < argc; ++i) {
      FILE* file = std::fopen(argv[i], "r");
      if (!file) {
        std::perror(argv[i]);
        return EXIT_TOOL_FAILURE;
      }
      parse_file(file, argv[i]);
      std::fclose(file);
    }
  }
  lf_scan_finish();
  std::free(lf_ctx.input.line);
  lf_ctx.input = LfInput{};
  err_begin_source();  // later reports belong to no source line

  if (lf_ctx.module.count == 0) print_error("No DLL functions found");
  if (listing || err->error_count > 0) {
    listing_line("\n");
    if (listing) {
      char line[64];
      std::snprintf(line, sizeof line, "%s %ld\n", "Number of error messages:", err->error_count);
      listing_line(line);
      listing_line("\n");
    }
  }
  if (err->error_count > 0) {
    listing_line("*** Preceding errors -- compilation failed\n");
    finish_listing_or_die();
    lf_free_module(&lf_ctx.module);
    return EXIT_TOOL_FAILURE;
  }

  const char* shown_name = output_name ? output_name : kStdoutName;
  std::string glue;
  if (!lf_generate(&lf_ctx.module, shown_name, &glue)) {
    listing_line("*** (FATAL) Internal type inconsistency\n");
    finish_listing_or_die();
    return EXIT_TOOL_FAILURE;
  }
  lf_free_module(&lf_ctx.module);

  if (output_name) {
    write_output_file(output_name, glue);
  } else {
    finish_listing_or_die();  // the listing so far comes before the glue
    write_output_stdout(glue);
  }
  if (listing) listing_line("*** Compilation succeeded\n");
  finish_listing_or_die();
  return EXIT_TOOL_OK;
}
