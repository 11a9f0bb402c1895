// flowprime: prepares a statement-flow file for each program file named.
//
//   flowprime [-v] progfile [ ... ]
//
// The flow file lists every line of every segment of the program with count
// and time 0; the run-time process fills it while the program runs and
// flowtally reports on it. "prog.PROG" gives "prog.SFA" beside it.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "language/progfile.h"
#include "language/progseg.h"
#include "language/sfa.h"
#include "language/toolframe.h"
#include "platform/atomicfile.h"

const char* const usage_table[] = {
    "Usage: flowprime [-v] progfile [ ... ]",
    "<$END>",
};

namespace {

const char kTool[] = "flowprime";
const char kProgSuffix[] = ".PROG";
const char kFlowSuffix[] = ".SFA";

bool g_stdout_failed = false;

[[noreturn]] void finish(int status) {
  if (g_stdout_failed || std::fflush(stdout) != 0 || std::fclose(stdout) != 0) {
    std::fprintf(stderr, "%s: %s\n", kTool, "Write error on standard output");
    if (status == EXIT_TOOL_OK) status = EXIT_TOOL_FAILURE;
  }
  std::fflush(stderr);
  std::_Exit(status);
}

[[noreturn]] void fatal(const char* who, const char* text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", who, text);
  finish(EXIT_TOOL_FAILURE);
}

// The program file a name stands for: an extension other than ".PROG" (the
// text from the last "." of the last path component on) is replaced by
// ".PROG", and a name without one gets ".PROG" added.
std::string program_name(const std::string& name) {
  size_t start = name.find_last_of("/\\");
  start = start == std::string::npos ? 0 : start + 1;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return name + kProgSuffix;
  if (name.compare(dot, std::string::npos, kProgSuffix) == 0) return name;
  return name.substr(0, dot) + kProgSuffix;
}

// The flow file beside a program file: its final ".PROG" becomes ".SFA".
std::string flow_name(const std::string& prog_name) {
  return prog_name.substr(0, prog_name.size() - (sizeof kProgSuffix - 1)) + kFlowSuffix;
}

// Prepares the flow file of one program. False (after a message) when the
// program could not be read; failures to write end the run.
bool prime(const char* arg, bool verbose) {
  std::string name = program_name(arg);
  FILE* in = std::fopen(name.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), std::strerror(errno));
    return false;
  }
  if (verbose && std::printf("%s\n", name.c_str()) < 0) g_stdout_failed = true;

  // Only the line structure is used, so no password is needed.
  ProgList prog;
  prog_reader rd;
  bool ok = yq__prog_read_init(in, &rd, &prog) >= 0 && yq__prog_read(&rd) == 0;
  std::fclose(in);
  if (!ok) {
    const prog_error* e = yq__prog_read_error(&rd);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s [%d]\n", name.c_str(), e->message ? e->message : "read failed", e->code);
    progseg_free_all(&prog);
    return false;
  }

  sfa_file flow;
  int status = sfa_from_program(&prog, &flow);
  progseg_free_all(&prog);
  if (status != SFA_OK) fatal(kTool, "segment ext allocation failed");

  std::string out_name = flow_name(name);
  if (flow.segments.empty()) fatal(name.c_str(), "empty file");

  std::vector<uint8_t> image;
  status = sfa_encode(&flow, &image);
  if (status == SFA_ERR_NO_MEMORY) fatal(kTool, "line allocation failed");
  if (status != SFA_OK) fatal(name.c_str(), sfa_message(status));

  mode_t mask = ::umask(0);
  ::umask(mask);
  if (atomic_write_file(out_name.c_str(), image.data(), image.size(), 0666 & ~mask) != 0) {
    std::string text = std::string("write failed: ") + std::strerror(errno);
    fatal(out_name.c_str(), text.c_str());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  banner_show("FLOWPRIME");
  tool_early_options(argc, argv, TOOL_EARLY_ALONE, finish);

  // Only the first argument may be an option, and only -v.
  bool verbose = false;
  int first = 1;
  if (std::strcmp(argv[1], "-v") == 0) {
    verbose = true;
    first = 2;
  } else if (argv[1][0] == '-') {
    print_usage();
  }
  if (first >= argc) print_usage();

  int status = EXIT_TOOL_OK;
  for (int i = first; i < argc; ++i)
    if (!prime(argv[i], verbose)) status = EXIT_TOOL_FAILURE;
  finish(status);
}
