// Storing a maximal program: 32,767 numbered lines over many segments (a main
// program, then subprograms and multi-line functions of a few hundred lines
// each), with a realistic mix of statements and names. The program is
// compiled line by line the way the store tool does it, through the segment
// storage of store_segments.
//
// The time per line must stay flat as the program grows: finding a line's
// place, inserting its code and looking up its symbols may not walk the
// whole program or table for every line. The benchmark stores 1/8, 1/4, 1/2
// and all of the program and prints the lines per second of each, so that
// growth shows at once.
//
// Usage: bench_store [lines]            (default 32767)
//        bench_store --write file [lines]  writes the generated source text,
//                                          for running the store tool on it
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "language/actions.h"
#include "language/compile.h"
#include "language/keywords.h"
#include "language/store_segments.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxLines = 32767;
constexpr int kSegmentLines = 400;  // lines of one subprogram or function
constexpr int kMainLines = 1000;    // lines of the main program
constexpr int kNames = 60;          // variable names in use per subprogram
constexpr int kMainNames = 900;     // ... and in the main program

// A variable name of the segment: an upper-case letter and lower-case
// letters and digits, as the space-independent spelling wants them. The
// first 1164 names of a segment are all different.
std::string name(int segment, int i) {
  static const char* const stems[] = {"Amount", "Total", "Count", "Rate",  "Price", "Qty",
                                      "Sum",    "Item",  "Level", "Index", "Limit", "Code"};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%d", stems[i % 12], (segment * 7 + i) % 97);
  return buf;
}

// One statement of the mix; `k` picks the kind and the names.
std::string statement(int segment, int k, int line) {
  int names = segment == 0 ? kMainNames : kNames;
  std::string a = name(segment, k % names);
  std::string b = name(segment, (k * 7 + 3) % names);
  std::string c = name(segment, (k * 13 + 5) % names);
  char buf[256];
  switch (k % 16) {
    case 0: std::snprintf(buf, sizeof buf, "%s=%s+%s*2-(%s/3)", a.c_str(), b.c_str(), c.c_str(), a.c_str()); break;
    case 1: std::snprintf(buf, sizeof buf, "IF %s>%s AND %s<>0 THEN %d", a.c_str(), b.c_str(), c.c_str(), line); break;
    case 2:
      std::snprintf(buf, sizeof buf, "PRINT \"%s=\";%s,%s;TAB(20);%s", a.c_str(), a.c_str(), b.c_str(), c.c_str());
      break;
    case 3:
      std::snprintf(buf, sizeof buf, "Text$=Text$[1,10]&CHR$(65+%s MOD 26)&VAL$(%s)", a.c_str(), b.c_str());
      break;
    case 4: std::snprintf(buf, sizeof buf, "FOR I=1 TO %s STEP 2", a.c_str()); break;
    case 5: std::snprintf(buf, sizeof buf, "  Table(I)=Table(I-1)+ABS(%s)-INT(%s)", b.c_str(), c.c_str()); break;
    case 6: std::snprintf(buf, sizeof buf, "NEXT I"); break;
    case 7:
      std::snprintf(buf, sizeof buf, "%s=MAX(%s,%s,0)+LEN(Text$)+POS(Text$,\"x\")", a.c_str(), b.c_str(), c.c_str());
      break;
    case 8: std::snprintf(buf, sizeof buf, "IF %s=0 THEN %s=%s+1", a.c_str(), b.c_str(), b.c_str()); break;
    case 9: std::snprintf(buf, sizeof buf, "DISP USING \"5D.DD,2X,10A\";%s,Text$", a.c_str()); break;
    case 10: std::snprintf(buf, sizeof buf, "ON %s GOSUB %d,%d", a.c_str(), line, line); break;
    case 11: std::snprintf(buf, sizeof buf, "READ #1,%s;%s,Text$", b.c_str(), a.c_str()); break;
    case 12: std::snprintf(buf, sizeof buf, "! step %d of the computation", k); break;
    case 13: std::snprintf(buf, sizeof buf, "%s=%s*1.075+%d.25 ! rounded later", a.c_str(), b.c_str(), k % 100); break;
    case 14: std::snprintf(buf, sizeof buf, "Grid(%s,%s)=Grid(%s,1)^2", a.c_str(), b.c_str(), c.c_str()); break;
    default: std::snprintf(buf, sizeof buf, "DATA %d,\"item %d\",%d.5", k, k, k); break;
  }
  return buf;
}

// The source text: `lines` numbered lines, 1, 2, 3, ...
std::vector<std::string> generate(int lines) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(lines));
  int segment = 0;
  int in_segment = 0;
  int limit = kMainLines;
  for (int n = 1; n <= lines; ++n) {
    std::string text;
    bool last = n == lines || in_segment + 1 == limit;
    if (in_segment == 0) {
      if (segment == 0) {
        text = "DIM Text$[80],Table(100),Grid(20,20)";
      } else if (segment % 4 == 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "DEF FNCalc%d(X,Y)", segment);
        text = buf;
      } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "SUB Part%d(Table(*),Text$,N)", segment);
        text = buf;
      }
    } else if (in_segment == 1 && segment > 0) {
      text = "INTEGER I,K(N),Grid(N,N)";
    } else if (last) {
      text = segment == 0 ? "END" : segment % 4 == 0 ? "FNEND" : "SUBEND";
    } else if (segment == 0 && in_segment % 50 == 0) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "CALL Part%d(Table(*),Text$,%d)", (in_segment / 50) * 2 + 1, in_segment);
      text = buf;
    } else if (segment % 4 == 0 && in_segment % 40 == 0) {
      text = "RETURN X+Y";
    } else {
      text = statement(segment, n * 5 + segment * 3, n);
    }
    out.push_back(std::to_string(n) + " " + text);
    if (last) {
      ++segment;
      in_segment = 0;
      limit = kSegmentLines;
    } else {
      ++in_segment;
    }
  }
  return out;
}

struct Result {
  double seconds = 0;
  long errors = 0;
  size_t segments = 0;
  std::string first_error;
};

Result store(const std::vector<std::string>& source, int lines) {
  Result r;
  CompileContext cc;
  cc_init(&cc, parse_front_end());
  StoreSegments segs;
  if (!store_segments_init(&segs, &cc)) {
    std::fprintf(stderr, "bench_store: Unable to allocate root segment\n");
    std::exit(1);
  }
  cg_set_numbering(&cc, 1, 1);
  auto t0 = Clock::now();
  for (int i = 0; i < lines; ++i) {
    const std::string& s = source[static_cast<size_t>(i)];
    if (cg_compile_line(&cc, s.data(), s.size()) == CG_LINE_ERROR) {
      if (r.errors++ == 0) r.first_error = s + ": " + cc.error_message;
    }
    if (segs.fatal) {
      std::fprintf(stderr, "bench_store: %s\n", segs.fatal);
      std::exit(1);
    }
  }
  r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  r.segments = progseg_count(&cc.prog);
  cc_free(&cc);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int lines = kMaxLines;
  const char* write_to = nullptr;
  int a = 1;
  if (a < argc && std::strcmp(argv[a], "--write") == 0) {
    if (a + 1 >= argc) {
      std::fprintf(stderr, "usage: bench_store [--write file] [lines]\n");
      return 2;
    }
    write_to = argv[a + 1];
    a += 2;
  }
  if (a < argc) lines = std::atoi(argv[a]);
  if (lines < 8 || lines > kMaxLines) {
    std::fprintf(stderr, "bench_store: lines must be 8..%d\n", kMaxLines);
    return 2;
  }
  std::vector<std::string> source = generate(lines);

  if (write_to != nullptr) {
    std::string tmp = std::string(write_to) + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    bool ok = f != nullptr;
    for (const std::string& s : source)
      if (ok && (std::fputs(s.c_str(), f) < 0 || std::fputc('\n', f) == EOF)) ok = false;
    if (f != nullptr && std::fclose(f) != 0) ok = false;
    if (!ok || std::rename(tmp.c_str(), write_to) != 0) {
      std::perror(write_to);
      std::remove(tmp.c_str());
      return 1;
    }
    std::printf("wrote %d lines to %s\n", lines, write_to);
    return 0;
  }

  pkeywd_init();
  skeywd_init();
  store(source, lines / 8);  // warms the caches and the allocator
  std::printf("%8s %9s %10s %12s %12s\n", "lines", "segments", "seconds", "lines/s", "us/line");
  bool failed = false;
  for (int part : {8, 4, 2, 1}) {
    int n = lines / part;
    Result r = store(source, n);
    std::printf("%8d %9zu %10.3f %12.0f %12.2f\n", n, r.segments, r.seconds, r.seconds > 0 ? n / r.seconds : 0.0,
                1e6 * r.seconds / n);
    if (r.errors > 0) {
      std::printf("  %ld lines failed, the first: %s\n", r.errors, r.first_error.c_str());
      failed = true;
    }
  }
  return failed ? 1 : 0;
}
