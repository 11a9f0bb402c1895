// flowtally: reports on statement-flow files after a program has run.
//
//   flowtally [options] sfafile [ ... ]
//
// Three reports: per file its lines (the default), the segments of all
// files (-s), or the files themselves (-f). Each keeps the values whose share
// of the execution time lies between the -l and -g limits and draws a
// histogram bar of asterisks against the largest value shown.
#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "language/sfa.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: flowtally [options] sfafile [ ... ]",
    "options:",
    " -f        - file report",
    " -s        - segment report",
    " -n        - suppress report header",
    " -l n      - ignore less than n% execution time    (default = 0%)",
    " -g n      - ignore greater than n% execution time (default = 100%)",
    " -b line   - start line number                     (only line report)",
    " -e line   - end line number                       (only line report)",
    "Default report type is line report.",
    "Files without suffix .SFA are silently ignored.",
    "<$END>",
};

namespace {

const char kTool[] = "flowtally";
const char kSuffix[] = ".SFA";
const char kDashes[] = "------------------------------------------------------------------------";

enum ReportKind { REPORT_LINES, REPORT_SEGMENTS, REPORT_FILES };

struct Settings {
  ReportKind kind = REPORT_LINES;
  bool header = true;
  double lower = 0.0;
  double upper = 100.0;
  long first_line = 0;
  long last_line = 32767;
};

// What is kept of a segment after reading.
struct SegmentStats {
  const sfa_segment* seg = nullptr;
  long long lines = 0;
  uint32_t max_time = 0;
  uint32_t max_count = 0;
  unsigned long long time = 0;
  long long executed = 0;  // lines with a count other than 0
};

// What is kept of a file after reading.
struct FileStats {
  std::string name;  // the name as given, without ".SFA"
  sfa_file data;
  std::vector<SegmentStats> segments;
  uint32_t max_time = 0;
  uint32_t max_count = 0;
  unsigned long long time = 0;
  long long lines = 0;
  long long executed = 0;
};

// ---- output ---------------------------------------------------------------

// Ends the run; anything lost on standard output turns it into a failure.
[[noreturn]] void finish(int status) { tool_finish(kTool, status); }

[[noreturn]] void fail(const char* who, const char* text, int status) {
  tool_out_flush();
  std::fprintf(stderr, "%s: %s\n", who, text);
  finish(status);
}

// ---- command line -----------------------------------------------------------

bool parse_percent(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool parse_line(const char* text, long* value) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX) return false;
  *value = v;
  return true;
}

int parse_options(int argc, char** argv, Settings* s) {
  bool bad = false;
  int option;
  while ((option = getopt(argc, argv, "+l:g:b:e:sfn")) != -1) {
    switch (option) {
      case 'l': bad |= !parse_percent(optarg, &s->lower); break;
      case 'g': bad |= !parse_percent(optarg, &s->upper); break;
      case 'b': bad |= !parse_line(optarg, &s->first_line); break;
      case 'e': bad |= !parse_line(optarg, &s->last_line); break;
      case 's': s->kind = REPORT_SEGMENTS; break;
      case 'f': s->kind = REPORT_FILES; break;
      case 'n': s->header = false; break;
      default: bad = true; break;
    }
  }
  if (bad) fail(kTool, "Illegal arguments", EXIT_TOOL_USAGE);
  return optind;
}

// ---- reading ----------------------------------------------------------------

bool ends_with(const std::string& text, const char* suffix) {
  size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

void gather(FileStats* f) {
  for (const sfa_segment& seg : f->data.segments) {
    SegmentStats st;
    st.seg = &seg;
    st.lines = static_cast<long long>(seg.lines.size());
    for (const sfa_line& line : seg.lines) {
      if (line.time > st.max_time) st.max_time = line.time;
      if (line.count > st.max_count) st.max_count = line.count;
      st.time += line.time;
      if (line.count != 0) ++st.executed;
    }
    if (st.max_time > f->max_time) f->max_time = st.max_time;
    if (st.max_count > f->max_count) f->max_count = st.max_count;
    f->time += st.time;
    f->lines += st.lines;
    f->executed += st.executed;
    f->segments.push_back(st);
  }
}

// Reads one file into `files`. A file that cannot be opened or whose header
// is not ours is reported and skipped (false); a damaged body ends the run.
bool read_file(const std::string& path, std::vector<FileStats>* files) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::vector<uint8_t> bytes;
  int status = sfa_read_all(fd, &bytes);
  int read_errno = errno;
  ::close(fd);
  if (status == SFA_ERR_READ) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(read_errno));
    return false;
  }
  if (status == SFA_ERR_NO_MEMORY) fail(path.c_str(), "prog header allocation failed", EXIT_TOOL_FAILURE);

  files->emplace_back();
  FileStats& f = files->back();
  f.name = path.substr(0, path.size() - std::strlen(kSuffix));
  status = sfa_decode(bytes.data(), bytes.size(), &f.data);
  switch (status) {
    case SFA_OK: break;
    case SFA_ERR_HEADER_SHORT:
    case SFA_ERR_TAG:
    case SFA_ERR_BYTE_ORDER:
      std::fprintf(stderr, "%s: %s\n", path.c_str(), sfa_message(status));
      files->pop_back();
      return false;
    default: fail(path.c_str(), sfa_message(status), EXIT_TOOL_FAILURE);
  }
  gather(&f);
  return true;
}

// ---- arithmetic of the reports ------------------------------------------------

double share(double value, double total) { return total == 0 ? 0.0 : value * 100 / total; }

bool selected(const Settings& s, double pct) { return pct >= s.lower && pct <= s.upper; }

double seconds(unsigned long long hundredths) { return static_cast<double>(hundredths) / 100.0; }

// A bar of `width` asterisks for the largest value, fewer for smaller ones.
std::string bar(double value, double largest, int width) {
  long n = static_cast<long>(width * share(value, largest) * 0.01);
  if (n < 0) n = 0;
  if (n > width) n = width;
  if (n > 79) n = 79;
  return std::string(static_cast<size_t>(n), '*');
}

void print_limits(const Settings& s) {
  tool_out_printf("   Ignored less than    : %6.2f %% execution time\n", s.lower);
  tool_out_printf("   Ignored greater than : %6.2f %% execution time\n", s.upper);
}

void print_totals(unsigned long long time, long long lines, long long executed) {
  tool_out_printf("   Total execution time : %01.2f Seconds\n", seconds(time));
  tool_out_printf("   Number of lines      : %lld\n", lines);
  tool_out_printf("   Executed lines       : %01.2f %%\n\n",
                  share(static_cast<double>(executed), static_cast<double>(lines)));
}

// ---- line report ------------------------------------------------------------

bool line_selected(const Settings& s, const sfa_line& line, unsigned long long file_time) {
  return line.lineno >= s.first_line && line.lineno <= s.last_line &&
         selected(s, share(line.time, static_cast<double>(file_time)));
}

// Prints the line report of one file; false when no line was selected.
bool line_report(const Settings& s, const FileStats& f, bool separate) {
  unsigned long long total = 0;
  uint32_t largest = 0;
  bool any = false;
  for (const sfa_segment& seg : f.data.segments) {
    for (const sfa_line& line : seg.lines) {
      if (!line_selected(s, line, f.time)) continue;
      any = true;
      total += line.time;
      if (line.time > largest) largest = line.time;
    }
  }
  if (!any) return false;
  if (separate) tool_out_printf("\n\f");

  if (s.header) {
    tool_out_printf("%s\n\n", kDashes);
    tool_out_printf("   STATEMENT FLOW ANALYZER - LINE REPORT\n\n");
    tool_out_printf("   File name            : %s\n", f.name.c_str());
    print_limits(s);
    tool_out_printf("   Beginning line number: %ld\n", s.first_line);
    tool_out_printf("   End line number      : %ld\n\n", s.last_line);
    print_totals(total, f.lines, f.executed);
    tool_out_printf("%s\n\n", kDashes);
  }

  for (size_t i = 0; i < f.segments.size(); ++i) {
    const SegmentStats& st = f.segments[i];
    if (st.lines == 0) continue;
    tool_out_printf("\n%s\n", kDashes);
    tool_out_printf("Segment        : #%zu, %s\n", i + 1, st.seg->name);
    tool_out_printf("Times loaded   : %d\n", static_cast<int>(st.seg->loads));
    tool_out_printf("Execution time : %01.2f sec (%01.2f%%)\n", seconds(st.time),
                    share(static_cast<double>(st.time), static_cast<double>(total)));
    tool_out_printf("Number lines   : %lld\n", st.lines);
    tool_out_printf("Executed lines : %lld\n", st.executed);

    bool heading = false;
    for (const sfa_line& line : st.seg->lines) {
      if (!line_selected(s, line, f.time)) continue;
      if (!heading) {
        tool_out_printf("\nLINE                                 EXECUTION\n");
        tool_out_printf("NO    HISTOGRAM                      SECONDS   %% RATE COUNT  AVG\n");
        tool_out_printf("----- ------------------------------ --------- ------ ------ -------\n");
        heading = true;
      }
      double avg = line.count == 0 ? 0.0 : seconds(line.time) / line.count;
      tool_out_printf("%5d %-30.30s", static_cast<int>(line.lineno), bar(line.time, largest, 30).c_str());
      tool_out_printf(" %9.2f %6.2f %6u %7.2f\n", seconds(line.time), share(line.time, static_cast<double>(total)),
                      static_cast<unsigned>(line.count), avg);
    }
  }
  return true;
}

bool line_reports(const Settings& s, const std::vector<FileStats>& files) {
  bool printed = false;
  for (const FileStats& f : files)
    if (line_report(s, f, printed)) printed = true;
  return printed;
}

// ---- segment and file reports -------------------------------------------------

const char* base_name(const std::string& name) {
  size_t slash = name.rfind('/');
  return name.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// The common head of the segment and file reports.
void summary_header(const Settings& s, const char* title, long long nfiles, const long long* nsegments,
                    unsigned long long time, long long lines, long long executed) {
  tool_out_printf("%s\n\n", kDashes);
  tool_out_printf("   STATEMENT FLOW ANALYZER - %s REPORT\n\n", title);
  tool_out_printf("   Ignored less than    : %6.2f %% execution time\n", s.lower);
  tool_out_printf("   Ignored greater than : %6.2f %% execution time\n\n", s.upper);
  tool_out_printf("   Number of files      : %lld\n", nfiles);
  if (nsegments) tool_out_printf("   Number of segments   : %lld\n", *nsegments);
  print_totals(time, lines, executed);
  tool_out_printf("%s\n\n", kDashes);
}

bool segment_report(const Settings& s, const std::vector<FileStats>& files) {
  unsigned long long grand = 0;
  for (const FileStats& f : files) grand += f.time;
  auto chosen = [&](const SegmentStats& st) {
    return selected(s, share(static_cast<double>(st.time), static_cast<double>(grand)));
  };

  unsigned long long total = 0, largest = 0;
  long long nfiles = 0, nsegments = 0, lines = 0, executed = 0;
  for (const FileStats& f : files) {
    bool any = false;
    for (const SegmentStats& st : f.segments) {
      if (!chosen(st)) continue;
      any = true;
      ++nsegments;
      total += st.time;
      if (st.time > largest) largest = st.time;
      lines += st.lines;
      executed += st.executed;
    }
    if (any) ++nfiles;
  }
  if (nsegments == 0) return false;

  if (s.header) summary_header(s, "SEGMENT", nfiles, &nsegments, total, lines, executed);
  tool_out_printf("FILE/SEGMENT                              EXECUTION        LINES\n");
  tool_out_printf("NAME                 HISTOGRAM            SECONDS   %% RATE EXEC  %% RATE\n");
  tool_out_printf("-------------------- -------------------- --------- ------ ----- ------\n");
  for (const FileStats& f : files) {
    bool named = false;
    for (const SegmentStats& st : f.segments) {
      if (!chosen(st)) continue;
      if (!named) {
        tool_out_printf("\n%s\n", f.name.c_str());
        named = true;
      }
      tool_out_printf("%-20s %-20.20s", st.seg->name,
                      bar(static_cast<double>(st.time), static_cast<double>(largest), 20).c_str());
      tool_out_printf(" %9.2f %6.2f %5lld %6.2f\n", seconds(st.time),
                      share(static_cast<double>(st.time), static_cast<double>(total)), st.executed,
                      share(static_cast<double>(st.executed), static_cast<double>(st.lines)));
    }
  }
  return true;
}

bool file_report(const Settings& s, const std::vector<FileStats>& files) {
  unsigned long long grand = 0;
  for (const FileStats& f : files) grand += f.time;
  auto chosen = [&](const FileStats& f) {
    return selected(s, share(static_cast<double>(f.time), static_cast<double>(grand)));
  };

  unsigned long long total = 0, largest = 0;
  long long nfiles = 0, lines = 0, executed = 0;
  for (const FileStats& f : files) {
    if (!chosen(f)) continue;
    ++nfiles;
    total += f.time;
    if (f.time > largest) largest = f.time;
    lines += f.lines;
    executed += f.executed;
  }
  if (nfiles == 0) return false;

  if (s.header) summary_header(s, "FILE", nfiles, nullptr, total, lines, executed);
  tool_out_printf("FILE                                    EXECUTION        LINES\n");
  tool_out_printf("NAME     HISTOGRAM                      SECONDS   %% RATE EXEC  %% RATE\n");
  tool_out_printf("-------- ------------------------------ --------- ------ ----- ------\n");
  for (const FileStats& f : files) {
    if (!chosen(f)) continue;
    tool_out_printf("%-8.8s %-30.30s", base_name(f.name),
                    bar(static_cast<double>(f.time), static_cast<double>(largest), 30).c_str());
    tool_out_printf(" %9.2f %6.2f %5lld %6.2f\n", seconds(f.time),
                    share(static_cast<double>(f.time), static_cast<double>(total)), f.executed,
                    share(static_cast<double>(f.executed), static_cast<double>(f.lines)));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  banner_show("FLOWTALLY");
  tool_early_options(argc, argv, TOOL_EARLY_LEADING, finish);

  // Messages of getopt carry the tool's own name.
  argv[0] = const_cast<char*>(kTool);
  Settings s;
  int first = parse_options(argc, argv, &s);
  if (first >= argc) fail(kTool, "No inputfile specified", EXIT_TOOL_USAGE);

  std::vector<FileStats> files;
  bool lost = false;
  try {
    // Every file keeps its place: the statistics point into the data.
    files.reserve(static_cast<size_t>(argc - first));
    for (int i = first; i < argc; ++i) {
      std::string path = argv[i];
      if (!ends_with(path, kSuffix)) {
        path += kSuffix;
        struct stat info;
        if (::stat(path.c_str(), &info) != 0) continue;  // not a flow file of ours
      }
      if (!read_file(path, &files)) lost = true;
    }
  } catch (const std::bad_alloc&) {
    fail(kTool, "segment allocation failed", EXIT_TOOL_FAILURE);
  }
  if (files.empty()) fail(kTool, "nothing to print", EXIT_TOOL_FAILURE);

  bool printed = false;
  switch (s.kind) {
    case REPORT_LINES: printed = line_reports(s, files); break;
    case REPORT_SEGMENTS: printed = segment_report(s, files); break;
    case REPORT_FILES: printed = file_report(s, files); break;
  }
  if (!printed) fail(kTool, "parameters prohibit any output", EXIT_TOOL_FAILURE);
  finish(lost ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
}
