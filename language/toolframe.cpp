#include "language/toolframe.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {
const char kProductNumber[] = "Q7702K";
const char kVersion[] = "A.06.31";
const char kNotice[] = "Varnica tool set, free software of its contributors";
const char kEnd[] = "<$END>";

// What became of the writes to standard output.
struct ToolOutput {
  bool failed = false;
  int error = 0;  // errno of the first failure
};
ToolOutput g_output;

void output_lost() {
  if (g_output.failed) return;
  g_output.failed = true;
  g_output.error = errno;
}
}  // namespace

const char* product_number() { return kProductNumber; }
const char* product_version() { return kVersion; }
const char* product_notice() { return kNotice; }

void print_usage_lines(FILE* out, const char* const* lines) {
  for (const char* const* line = lines; *line && std::strcmp(*line, kEnd) != 0; ++line)
    std::fprintf(out, "%s\n", *line);
  std::fputs("\n", out);
}

void print_usage() {
  print_usage_lines(stderr, usage_table);
  std::fflush(stderr);
  std::exit(EXIT_TOOL_USAGE);
}

void banner_print(const char* name) {
  if (!name)
    std::fprintf(stderr, "\n%s %s (%s)\n", kProductNumber, kNotice, kVersion);
  else if (*name)
    std::fprintf(stderr, "\n%s %s %s (%s)\n", kProductNumber, name, kNotice, kVersion);
}

void banner_show(const char* name) {
  if (!name) return;
  banner_print(name);
  std::fputs("\n", stderr);
}

void banner_tool(const char* name) { banner_show(name); }

ToolEarlyRequest tool_early_request(int argc, char* const* argv, ToolEarlyForm form) {
  if (form == TOOL_EARLY_ALONE) {
    if (argc < 2) return TOOL_REQUEST_USAGE;
    if (argc > 2) return TOOL_REQUEST_NONE;
  } else if (argc < 2) {
    return TOOL_REQUEST_NONE;
  }
  if (std::strcmp(argv[1], "-help") == 0) return TOOL_REQUEST_USAGE;
  if (std::strcmp(argv[1], "-version") == 0) return TOOL_REQUEST_VERSION;
  return TOOL_REQUEST_NONE;
}

void tool_early_options(int argc, char* const* argv, ToolEarlyForm form, void (*finish)(int status)) {
  switch (tool_early_request(argc, argv, form)) {
    case TOOL_REQUEST_NONE: return;
    case TOOL_REQUEST_USAGE: print_usage();
    case TOOL_REQUEST_VERSION: finish(EXIT_TOOL_OK); std::exit(EXIT_TOOL_OK);  // a finish routine does not come back
  }
}

void tool_out_write(const char* data, size_t size) {
  if (size == 0 || g_output.failed) return;
  if (std::fwrite(data, 1, size, stdout) != size) output_lost();
}

void tool_out_printf(const char* format, ...) {
  if (g_output.failed) return;
  va_list args;
  va_start(args, format);
  int n = std::vfprintf(stdout, format, args);
  va_end(args);
  if (n < 0) output_lost();
}

void tool_out_flush() {
  if (!g_output.failed && std::fflush(stdout) != 0) output_lost();
}

bool tool_out_failed() { return g_output.failed; }

int tool_out_error() { return g_output.error ? g_output.error : EIO; }

void tool_finish(const char* tool, int status) {
  tool_out_flush();
  if (!g_output.failed && std::fclose(stdout) != 0) output_lost();
  if (g_output.failed) {
    std::fprintf(stderr, "%s: %s: %s\n", tool, "Write error on standard output", std::strerror(tool_out_error()));
    if (status == EXIT_TOOL_OK) status = EXIT_TOOL_FAILURE;
  }
  if (std::fflush(stderr) != 0 && status == EXIT_TOOL_OK) status = EXIT_TOOL_FAILURE;
  std::_Exit(status);
}
