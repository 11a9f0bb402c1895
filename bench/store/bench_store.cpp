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
//        bench_store --write-lua file [lines]  writes the same program in Lua
//        bench_store --compare LUAC [rounds]   the tools beside a Lua compiler
//
// --compare runs `store -n`, `store -o`, `list`, `list -x` (the tools found
// beside this program) and `LUAC -p` on the generated program and its Lua
// counterpart at 4k, 8k, 16k and 32k lines, interleaved (each round runs every
// tool on every size once; the best round counts), and prints the lines per
// second (of processor time, steadier on a busy machine, and of wall-clock
// time), the ratios, the time at 2N over the time at N and the peak memory.
// bench/store/compare.sh installs the Lua compiler and runs it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/benchpeer.h"
#include "language/actions.h"
#include "language/compile.h"
#include "language/keywords.h"
#include "language/store_segments.h"
#include "program_text.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

using bench_program::generate;
using bench_program::kMaxLines;

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

bool write_lines(const std::vector<std::string>& lines, const std::string& path) {
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "w");
  bool ok = f != nullptr;
  for (const std::string& s : lines)
    if (ok && (std::fputs(s.c_str(), f) < 0 || std::fputc('\n', f) == EOF)) ok = false;
  if (f != nullptr && std::fclose(f) != 0) ok = false;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::perror(path.c_str());
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

// ---- side by side with a Lua compiler ---------------------------------------

struct Run {
  double seconds = -1;  // wall-clock time
  double cpu = -1;      // user and system time of the process
  long peak_kb = 0;     // largest resident set of the process (--peak runs)
};

// Runs a program to its end, its output to /dev/null; the run's times, or
// -1 when it failed.
Run run(const std::vector<std::string>& args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Run r;
  pid_t pid;
  auto t0 = Clock::now();
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
      r.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  return r;
}

// --peak: runs the program and prints its peak resident set in KiB. A
// process's peak counts the memory of the one it was started from, so the
// programs measured are started from this small fresh process rather than
// from the benchmark, which holds the generated programs.
int peak_of(char** argv) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  std::printf("%ld\n", usage.ru_maxrss);
  return 0;
}

// The peak resident set of a run in KiB, 0 when it failed.
long peak(const std::string& self, const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> all = {self, "--peak"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  long kb = 0;
  bool started = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (started) {
    char text[32] = {};
    ssize_t n = read(out[0], text, sizeof text - 1);
    if (n > 0) kb = std::atol(text);
    waitpid(pid, nullptr, 0);
  }
  close(out[0]);
  return kb;
}

int compare(const std::string& luac, int rounds) {
  char folder_template[] = "/tmp/bench_store.XXXXXX";
  const char* folder = mkdtemp(folder_template);
  if (!folder) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string bin = bench_bin_dir();
  const std::string store_tool = bin + "/store", list_tool = bin + "/list";
  const int sizes[] = {4096, 8192, 16384, kMaxLines};
  constexpr int kSizes = 4;
  const char* const names[] = {"store -n", "store -o", "list", "list -x", "luac -p"};
  constexpr int kTools = 5;
  struct Sample {
    std::vector<std::string> args;
    Run best;
  };
  std::vector<Sample> samples;  // size-major
  long basic_bytes = 0, lua_bytes = 0;
  for (int size : sizes) {
    const std::string stem = std::string(folder) + "/p" + std::to_string(size);
    std::vector<std::string> basic = generate(size), lua = bench_program::lua_generate(size);
    if (size == kMaxLines)
      for (int i = 0; i < size; ++i) {
        basic_bytes += static_cast<long>(basic[static_cast<size_t>(i)].size() + 1);
        lua_bytes += static_cast<long>(lua[static_cast<size_t>(i)].size() + 1);
      }
    if (!write_lines(basic, stem + ".bas") || !write_lines(lua, stem + ".lua")) return 1;
    if (run({store_tool, "-o", stem + ".prog", stem + ".bas"}).seconds < 0) {
      std::fprintf(stderr, "bench_store: %s could not store %s.bas\n", store_tool.c_str(), stem.c_str());
      return 1;
    }
    samples.push_back({{store_tool, "-n", stem + ".bas"}, {}});
    samples.push_back({{store_tool, "-o", stem + ".out", stem + ".bas"}, {}});
    samples.push_back({{list_tool, stem + ".prog"}, {}});
    samples.push_back({{list_tool, "-x", stem + ".prog"}, {}});
    samples.push_back({{luac, "-p", stem + ".lua"}, {}});
  }
  for (int round = 0; round < rounds; ++round)
    for (Sample& sample : samples) {
      Run r = run(sample.args);
      if (r.seconds < 0) {
        std::fprintf(stderr, "bench_store: %s %s failed\n", sample.args[0].c_str(), sample.args.back().c_str());
        return 1;
      }
      if (sample.best.seconds < 0 || r.seconds < sample.best.seconds) sample.best.seconds = r.seconds;
      if (sample.best.cpu < 0 || r.cpu < sample.best.cpu) sample.best.cpu = r.cpu;
    }
  const std::string self = bin + "/bench_store";
  for (Sample& sample : samples) sample.best.peak_kb = peak(self, sample.args);
  auto at = [&](int size_index, int tool) -> const Run& {
    return samples[static_cast<size_t>(size_index * kTools + tool)].best;
  };

  std::printf("program: %d lines, BASIC %.1f bytes/line, Lua %.1f bytes/line; best of %d interleaved rounds\n\n",
              kMaxLines, static_cast<double>(basic_bytes) / kMaxLines, static_cast<double>(lua_bytes) / kMaxLines,
              rounds);
  auto table = [&](const char* title, double Run::*time) {
    std::printf("%s\n%8s", title, "lines");
    for (const char* n : names) std::printf(" %10s", n);
    std::printf("   %12s %12s %12s %12s\n", "store-n/luac", "store-o/luac", "list/store-o", "list-x/st-o");
    for (int i = 0; i < kSizes; ++i) {
      std::printf("%8d", sizes[i]);
      for (int t = 0; t < kTools; ++t) std::printf(" %10.0f", sizes[i] / (at(i, t).*time));
      std::printf("   %12.2f %12.2f %12.2f %12.2f\n", at(i, 4).*time / (at(i, 0).*time),
                  at(i, 4).*time / (at(i, 1).*time), at(i, 1).*time / (at(i, 2).*time),
                  at(i, 1).*time / (at(i, 3).*time));
    }
    std::printf("time at 2N over time at N (linear: about 2)\n");
    for (int i = 1; i < kSizes; ++i) {
      std::printf("%8d", sizes[i]);
      for (int t = 0; t < kTools; ++t) std::printf(" %10.2f", at(i, t).*time / (at(i - 1, t).*time));
      std::printf("\n");
    }
  };
  table("lines per second of processor time (user and system: start, read, work, write)", &Run::cpu);
  std::printf("\n");
  table("lines per second of wall-clock time", &Run::seconds);
  std::printf("\npeak memory at %d lines (KiB, and over luac's)\n", kMaxLines);
  for (int t = 0; t < kTools; ++t)
    std::printf("%10s %8ld %6.2f\n", names[t], at(kSizes - 1, t).peak_kb,
                static_cast<double>(at(kSizes - 1, t).peak_kb) / static_cast<double>(at(kSizes - 1, 4).peak_kb));
  run({"/bin/rm", "-rf", folder});
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "--peak") == 0) return peak_of(argv + 2);
  int lines = kMaxLines;
  const char* write_to = nullptr;
  bool lua = false;
  int a = 1;
  if (a < argc && std::strcmp(argv[a], "--compare") == 0) {
    if (a + 1 >= argc) {
      std::fprintf(stderr, "usage: bench_store --compare LUAC [rounds]\n");
      return 2;
    }
    int rounds = a + 2 < argc ? std::atoi(argv[a + 2]) : 7;
    return compare(argv[a + 1], rounds < 1 ? 1 : rounds);
  }
  if (a < argc && (std::strcmp(argv[a], "--write") == 0 || std::strcmp(argv[a], "--write-lua") == 0)) {
    if (a + 1 >= argc) {
      std::fprintf(stderr, "usage: bench_store [--write file | --write-lua file] [lines]\n");
      return 2;
    }
    lua = std::strcmp(argv[a], "--write-lua") == 0;
    write_to = argv[a + 1];
    a += 2;
  }
  if (a < argc) lines = std::atoi(argv[a]);
  if (lines < 8 || lines > kMaxLines) {
    std::fprintf(stderr, "bench_store: lines must be 8..%d\n", kMaxLines);
    return 2;
  }
  std::vector<std::string> source = lua ? bench_program::lua_generate(lines) : generate(lines);

  if (write_to != nullptr) {
    if (!write_lines(source, write_to)) return 1;
    std::printf("wrote %d lines to %s\n", lines, write_to);
    return 0;
  }

  pkeywd_init();
  skeywd_init();
  store(source, lines / 8);  // warms the caches and the allocator
  // "2N/N": the time of this size over the time of half of it (at most 2.1
  // when storing is linear in the program's size).
  std::printf("%8s %9s %10s %12s %12s %8s\n", "lines", "segments", "seconds", "lines/s", "us/line", "2N/N");
  bool failed = false;
  double half_seconds = 0;
  for (int part : {8, 4, 2, 1}) {
    int n = lines / part;
    Result r = store(source, n);
    std::printf("%8d %9zu %10.3f %12.0f %12.2f", n, r.segments, r.seconds, r.seconds > 0 ? n / r.seconds : 0.0,
                1e6 * r.seconds / n);
    if (half_seconds > 0)
      std::printf(" %8.2f\n", r.seconds / half_seconds);
    else
      std::printf(" %8s\n", "-");
    half_seconds = r.seconds;
    if (r.errors > 0) {
      std::printf("  %ld lines failed, the first: %s\n", r.errors, r.first_error.c_str());
      failed = true;
    }
  }
  return failed ? 1 : 0;
}
