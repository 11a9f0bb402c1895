// Fuzzing target of the schema front end: any source text is scanned,
// parsed and checked, and the final pass runs over what was recorded. A
// fatal message ends one input (through the exit hook), never the fuzzer.
// Inputs that set an error limit are skipped: reaching the limit ends the
// process by design. Seeds: examples/schemas/*.schema.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"
#include "language/toolframe.h"

// The tool frame's usage table, which this harness never prints.
const char* const usage_table[] = {"<$END>"};

namespace {

struct FatalEnd {};

[[noreturn]] void end_input(int) { throw FatalEnd{}; }

}  // namespace

// A fatal message leaves what the parser's stack held, as the tool does when
// it exits on one: no leak report at the end of the run either.
extern "C" int __lsan_is_turned_off() { return 1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find("ERRORS=") != std::string::npos || text.find("errors=") != std::string::npos) return 0;
  FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (!in) return 0;
  sch_exit_hook = end_input;
  sch_opt = SchOptions{};
  sch_opt.listing = size % 2;
  sch_opt.compat = size % 3 == 0;
  sch_reset();
  ErrContext* err = err_context();
  *err = ErrContext{};
  err->print = sch_print_hook;
  sch_input_open(in);
  try {
    sch_parse();
    err_set_line(nullptr, 0);
    sch_final_pass();
    sch_print_set_table();
    sch_check_limits();
  } catch (const FatalEnd&) {
  }
  sch_scan_finish();
  std::fclose(in);
  return 0;
}
