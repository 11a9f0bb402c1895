// store: compiles a program source text into a program file.
//
//   store [options] inputfile
//
// The source is read one physical line at a time. Empty lines are skipped,
// "#" and "$" lines steer the line numbering of messages and of the program,
// every other line has its tabs expanded and goes to the line compiler, which
// keeps the compiled lines in the program's segments through the storage
// operations of store_segments. At the end the program file is written,
// unless errors occurred or no output was asked for.
#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>

#include "language/actions.h"
#include "language/compile.h"
#include "language/progfile.h"
#include "language/keywords.h"
#include "language/lister.h"
#include "language/scanner.h"
#include "language/store_segments.h"
#include "language/store_source.h"
#include "language/toolframe.h"
#include "platform/atomicfile.h"

const char* const usage_table[] = {
    "Usage: store [options] inputfile",
    "options:",
    " -help                 = show usage (this list)",
    " -o file               = specify output filename.",
    "                         (this is required if reading from stdin)",
    " -n                    = don't create output file",
    " -e                    = change error message form",
    " -v       --verbose    = Verbose. Output source lines",
    " -s       --sd         = Use space dependent mode",
    " -t wdth  --tab wdth   = tab width",
    " -f lno   --fline lno  = first line number (default is 1)",
    " -i int   --inc inc    = line number increment (default is 1)",
    " -r rev   --rev rev    = use specified program format (default is 0)",
    "                         (0 = compatible, 1 = A.05.01, 2 = A.06.00)",
    " -p pswd  --pswd pswd  = specifiy program password",
    "Specifying '-' as inputfile will force reading from stdin",
    "<$END>",
};

namespace {

const char kTool[] = "store";
// Bytes of one read of the source file.
constexpr size_t kReadBlock = 64 * 1024;

// Settings of one run.
struct StoreSettings {
  bool have_output = false;
  std::string output;
  bool have_password = false;
  std::string password;
  int revision = 0;
  int byte_order = 4321;
  int charset = 0;
  long tab_width = 8;
  int first_line = 1;
  int increment = 1;
  StoreErrorForm error_form = STORE_ERRORS_MULTI_LINE;
  bool verbose = false;
  bool debug = false;
  bool hex = false;
  bool no_output = false;
  bool space_dependent = false;
  int listing = 0;
};

// ---- Output --------------------------------------------------------------

void out_text(const std::string& text) { tool_out_write(text.data(), text.size()); }

[[noreturn]] void finish(int status) { tool_finish(kTool, status); }

void message(const char* text) { std::fprintf(stderr, "%s: %s\n", kTool, text); }

[[noreturn]] void store_fatal(const char* text) {
  tool_out_flush();
  message(text);
  finish(EXIT_TOOL_FAILURE);
}

[[noreturn]] void usage_error(const char* text) {
  message(text);
  finish(EXIT_TOOL_USAGE);
}

// Reads a number the way atoi does: leading blanks, a sign, the digits up to
// the first other character; no digits read as 0. Values beyond an int are
// clamped so that range checks reject them.
long read_number(const char* text) {
  errno = 0;
  long v = std::strtol(text, nullptr, 10);
  if (v > INT_MAX) v = static_cast<long>(INT_MAX) + 1;
  if (v < INT_MIN) v = static_cast<long>(INT_MIN) - 1;
  return v;
}

// ---- Command line --------------------------------------------------------

enum { OPT_CHARSET_LONG = 256 };

const struct option kLongOptions[] = {
    {"verbose", no_argument, nullptr, 'v'},
    {"list", no_argument, nullptr, 'l'},
    {"debug", no_argument, nullptr, 'd'},
    {"hex", no_argument, nullptr, 'h'},
    {"sd", no_argument, nullptr, 's'},
    {"tab", required_argument, nullptr, 't'},
    {"fline", required_argument, nullptr, 'f'},
    {"inc", required_argument, nullptr, 'i'},
    {"pswd", required_argument, nullptr, 'p'},
    {"rev", required_argument, nullptr, 'r'},
    {"border", no_argument, nullptr, 'b'},
    {"charset", no_argument, nullptr, OPT_CHARSET_LONG},
    {nullptr, 0, nullptr, 0},
};

// Parses the options; gives the index of the first operand. Bad values are
// reported and counted in *errors; parsing goes on.
int parse_options(int argc, char** argv, StoreSettings* s, int* errors) {
  int c;
  while ((c = getopt_long(argc, argv, "vldhnso:w:t:f:i:ep:r:bc:", kLongOptions, nullptr)) != -1) {
    switch (c) {
      case 'v': s->verbose = true; break;
      case 'l': ++s->listing; break;
      case 'd': s->debug = true; break;
      case 'h': s->hex = true; break;
      case 'n': s->no_output = true; break;
      case 's': s->space_dependent = true; break;
      case 'o':
        s->have_output = true;
        s->output = optarg;
        break;
      case 'w':
        if (std::strcmp(optarg, "z3") != 0) ++*errors;
        break;
      case 't': {
        long v = read_number(optarg);
        if (v < 0 || v > 20) {
          message("Bad tab width");
          ++*errors;
        } else {
          s->tab_width = v;
        }
        break;
      }
      case 'f': {
        long v = read_number(optarg);
        if (v < 1 || v > 32767) {
          message("Bad line number");
          ++*errors;
        } else {
          s->first_line = static_cast<int>(v);
        }
        break;
      }
      case 'i': {
        long v = read_number(optarg);
        if (v < 1 || v > 100) {
          message("Bad line increment");
          ++*errors;
        } else {
          s->increment = static_cast<int>(v);
        }
        break;
      }
      case 'e': s->error_form = STORE_ERRORS_ONE_LINE; break;
      case 'p':
        s->have_password = true;
        s->password = optarg;
        break;
      case 'r': {
        long v = read_number(optarg);
        if (v < 0 || v > 2) {
          message("Bad file format revision");
          ++*errors;
        } else {
          s->revision = static_cast<int>(v);
        }
        break;
      }
      case 'b': s->byte_order = 1234; break;
      case 'c':
      case OPT_CHARSET_LONG: s->charset = 1; break;
      default: ++*errors; break;  // getopt has said what was wrong
    }
  }
  return optind;
}

// ---- Compiling -----------------------------------------------------------

struct StoreRun {
  StoreSettings settings;
  std::string file_name;  // the input's name in messages
  StorePosition position;
  long errors = 0;
  CompileContext cc;
  StoreSegments segs;
  std::string expanded;  // the line in work after Tab expansion (its room kept)
  // The input's buffer: the source is read in large blocks, a few reads for
  // a whole program.
  char read_block[kReadBlock];
};

void report(StoreRun* run, const char* text, size_t length, const char* msg, int column, long long line_number) {
  tool_out_flush();
  std::string r = store_error_report(run->settings.error_form, kTool, text, length, msg, column, run->file_name.c_str(),
                                     line_number);
  std::fwrite(r.data(), 1, r.size(), stderr);
  ++run->errors;
}

// Source text of a stored line, protected segments included.
void listed_line(void*, ProgSegment* seg, const uint16_t* line, std::string* text) {
  list_line(seg, line, LIST_SHOW_PROTECTED);
  *text = list_context()->result;  // whole, NUL bytes of raw texts included
}

void print_listing(StoreRun* run) {
  std::string text;
  store_listing(&run->cc.prog, listed_line, nullptr, &text);
  out_text(text);
}

void print_debug(void*, const char* text) { out_text(text); }

void print_hex(void*, const uint16_t* words, size_t count) {
  char buf[8];
  for (size_t i = 0; i < count; ++i) {
    int n = std::snprintf(buf, sizeof buf, "%04x ", words[i]);
    tool_out_write(buf, static_cast<size_t>(n));
  }
  tool_out_write("\n", 1);
}

void compile_source_line(StoreRun* run, const char* raw, size_t raw_length, long long number) {
  // A line without tabs is compiled where it was read.
  const char* text = raw;
  size_t length = raw_length;
  if (std::memchr(raw, '\t', raw_length) != nullptr) {
    if (!store_expand_tabs(raw, raw_length, run->settings.tab_width, &run->expanded)) {
      report(run, raw, raw_length, "Line too long (after Tab expansion)", -1, number);
      return;
    }
    text = run->expanded.data();
    length = run->expanded.size();
  }
  if (run->settings.debug || run->settings.hex) {
    tool_out_write("\n", 1);
    tool_out_write(text, length);
    tool_out_write("\n", 1);
  } else if (run->settings.verbose) {
    tool_out_write(text, length);
    tool_out_write("\n", 1);
  }
  int rc = cg_compile_line(&run->cc, text, length);
  if (run->segs.fatal) store_fatal(run->segs.fatal);
  if (rc == CG_LINE_ERROR) report(run, text, length, run->cc.error_message.c_str(), run->cc.error_column, number);
}

void read_source(StoreRun* run, FILE* in) {
  StoreSourceLine line;
  for (;;) {
    StoreReadStatus status = store_read_line(in, &line);
    if (status == STORE_READ_END) break;
    if (status == STORE_READ_ERROR) {
      int err = errno;
      tool_out_flush();
      std::fprintf(stderr, "%s: %s: %s\n", kTool, run->file_name.c_str(), std::strerror(err));
      store_fatal("Unable to read source");
    }
    long long number = store_position_next(&run->position);
    if (status == STORE_READ_TOO_LONG) {
      report(run, line.text, line.length, "Line too long", -1, number);
      continue;
    }
    if (line.length == 0) {
      if (run->settings.listing > 1) print_listing(run);
      continue;
    }
    StoreControl ctl = store_control_parse(line.text, line.length);
    switch (ctl.kind) {
      case STORE_CTL_POSITION:
        store_position_set(&run->position, ctl.number);
        if (ctl.has_name) run->file_name = ctl.name;
        break;
      case STORE_CTL_LINE:
        cg_set_numbering(&run->cc, static_cast<int>(ctl.number), static_cast<int>(ctl.increment));
        break;
      case STORE_CTL_TAB: run->settings.tab_width = ctl.number; break;
      case STORE_CTL_ERROR: report(run, line.text, line.length, ctl.message, -1, number); break;
      case STORE_CTL_NONE: compile_source_line(run, line.text, line.length, number); break;
    }
  }
}

// Permission bits of the program file: those of the file it replaces, else
// what a newly created file gets.
mode_t output_mode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

[[noreturn]] void store_failed(const prog_error* err) {
  tool_out_flush();
  std::fprintf(stderr, "%s\n", err->message ? err->message : "");
  std::fprintf(stderr, "Err details: %s %d\n", err->module ? err->module : "", err->line);
  store_fatal("Unable to store program");
}

// Writes the compiled program. The image is built whole in memory and
// replaces the output file in one step, so a failure leaves any older file
// of that name as it was.
void store_program(StoreRun* run) {
  const StoreSettings& s = run->settings;
  prog_options opt;
  yq__prog_init_options(&opt);
  opt.revision = s.revision;
  opt.byte_order = s.byte_order;
  if (s.have_password) yq__prog_set_password(&opt, prog_pswd_digest(s.password.data(), s.password.size()));
  yq__prog_set_release(&opt, "A.06.00");

  prog_hdr hdr;
  if (yq__prog_init_store(&hdr, &run->cc.prog, &opt) != 0) store_failed(yq__prog_error(&hdr));
  // Not cleared: the image is written whole before it is read.
  const size_t size = yq__prog_image_size(&hdr);
  std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[size]);
  if (!image) store_fatal("Unable to allocate program image memory");
  if (yq__prog_store_mem(&hdr, image.get()) != 0) store_failed(yq__prog_error(&hdr));
  if (atomic_write_file(s.output.c_str(), image.get(), size, output_mode(s.output)) != 0) {
    int err = errno;
    tool_out_flush();
    std::fprintf(stderr, "%s: %s\n", s.output.c_str(), std::strerror(err));
    store_fatal("Unable to store program");
  }
}

}  // namespace

int main(int argc, char** argv) {
  banner_tool("STORE");
  tool_early_options(argc, argv, TOOL_EARLY_ALONE, finish);

  // Messages of getopt carry the tool's own name.
  argv[0] = const_cast<char*>(kTool);
  static StoreRun run;
  StoreSettings& s = run.settings;
  int errors = 0;
  int first = parse_options(argc, argv, &s, &errors);
  if (argc - first > 1 || errors > 0) usage_error("Illegal arguments");
  if (argc - first < 1) usage_error("No inputfile specified");

  std::string input = argv[first];
  FILE* in = nullptr;
  if (input == "-") {
    if (!s.have_output && !s.no_output) usage_error("Must specify outfile if reading from stdin");
    in = stdin;
    run.file_name = "stdin";
  } else {
    in = std::fopen(input.c_str(), "r");
    if (!in) {
      std::perror(input.c_str());
      finish(EXIT_TOOL_FAILURE);
    }
    std::setvbuf(in, run.read_block, _IOFBF, sizeof run.read_block);
    if (!s.have_output) {
      store_cut_extension(&input);
      s.output = input;
      s.have_output = true;
    }
    run.file_name = input;
  }
  if (s.have_output) s.output += ".PROG";

  pkeywd_init();
  skeywd_init();
  cc_init(&run.cc, CgFrontEnd{scan_line_start, parse_line});
  run.cc.space_dependent = s.space_dependent;
  // The sink is always there: YYDEBUG can turn debug output on for a line
  // even when -d was not given.
  run.cc.debug_sink = print_debug;
  if (s.debug) run.cc.debug = 1;
  if (!store_segments_init(&run.segs, &run.cc)) store_fatal("Unable to allocate root segment");
  if (s.hex) run.segs.on_insert = print_hex;
  cg_set_numbering(&run.cc, s.first_line, s.increment);

  read_source(&run, in);
  if (in != stdin) std::fclose(in);

  if (s.listing == 1) print_listing(&run);
  if (run.errors > 0 || s.no_output) {
    tool_out_flush();
    if (run.errors > 0) std::fprintf(stderr, "\n%ld errors - ", run.errors);
    std::fprintf(stderr, "no output file created\n");
    finish(run.errors > 0 ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
  }
  store_program(&run);
  finish(EXIT_TOOL_OK);
}
