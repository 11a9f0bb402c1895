// Opening the maximal program of bench/store (32,767 lines, references by
// label, stored by `store`) as a program document, from a local file and
// from the stand-in program server in the same run, median of 5 rounds
// each, then compiling it back. Prints the time and lines per second of
// each, the server's time over the local one, and the local open of half
// the program against the whole (time at 2N over N: about 2 when opening
// is linear).
//
// Usage: bench_progopen [lines]   (default 32767)
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/support/benchpeer.h"
#include "platform/registry.h"
#include "program_text.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/programs/progdoc.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvhost.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Stores `lines` generated lines as DIR/NAME.PROG; false when store failed.
bool store_program(const std::string& dir, const std::string& name, int lines) {
  std::string source = dir + "/" + name + ".txt";
  {
    std::ofstream out(source);
    for (const std::string& l : bench_program::generate(lines, true)) out << l << '\n';
  }
  return bench_run({bench_bin_dir() + "/store", "-o", dir + "/" + name, source}) == 0;
}

// Seconds to open `path` as a program document; -1 when it failed.
double open_once(const char* path, int expect_lines) {
  ProgDocHost host;
  CfgSettings config;
  ProgDoc doc(&host, config);
  auto t0 = Clock::now();
  bool ok = doc.Open(path, CfgFileMode_Auto);
  double t = since(t0);
  return ok && doc.Text().num_lines == static_cast<uint32_t>(expect_lines) ? t : -1;
}

}  // namespace

int main(int argc, char** argv) {
  int lines = bench_program::kMaxLines;
  if (argc > 1) lines = std::atoi(argv[1]);
  if (lines < 16 || lines > bench_program::kMaxLines) {
    std::fprintf(stderr, "bench_progopen: lines must be 16..%d\n", bench_program::kMaxLines);
    return 2;
  }
  char dir_template[] = "/tmp/bench_progopen.XXXXXX";
  if (!mkdtemp(dir_template)) return 1;
  const std::string dir = dir_template;
  setenv(REG_ENV_DIRECTORY, dir.c_str(), 1);
  SrvHost app(argc, argv);
  int status = 1;
  {
    BenchStandIn server(bench_bin_dir() + "/progserver", {"--root", dir});
    const int half = lines / 2;
    if (server.port == 0 || !store_program(dir, "whole", lines) || !store_program(dir, "half", half)) {
      std::fprintf(stderr, "bench_progopen: could not store the program or start the stand-in\n");
    } else {
      std::string entry = Cfg_ListAppendUnique("Server", "localhost");
      Cfg_PutString(entry.c_str(), "Service", std::to_string(server.port).c_str());
      Cfg_PutString(entry.c_str(), "Login", "bench");
      const std::string local = dir + "/whole.PROG", remote = "localhost://whole.PROG", local_half = dir + "/half.PROG";
      open_once(local.c_str(), lines);  // warms the caches and the connection
      open_once(remote.c_str(), lines);
      std::vector<double> t_local, t_remote, t_half;
      for (int i = 0; i < kRounds; ++i) {
        t_local.push_back(open_once(local.c_str(), lines));
        t_remote.push_back(open_once(remote.c_str(), lines));
        t_half.push_back(open_once(local_half.c_str(), half));
      }
      ProgDocHost host;
      CfgSettings config;
      ProgDoc doc(&host, config);
      doc.Open(local.c_str(), CfgFileMode_Auto);
      auto t0 = Clock::now();
      int errors = doc.Compile();
      double t_compile = since(t0);

      bool failed = errors != 0 || *std::min_element(t_local.begin(), t_local.end()) < 0 ||
                    *std::min_element(t_remote.begin(), t_remote.end()) < 0 ||
                    *std::min_element(t_half.begin(), t_half.end()) < 0;
      double l = median(t_local), r = median(t_remote), h = median(t_half), n = lines;
      std::printf("%d lines, median of %d rounds\n", lines, kRounds);
      std::printf("%-34s %10s %12s %8s\n", "step", "seconds", "lines/s", "ratio");
      std::printf("%-34s %10.4f %12.0f %8s\n", "open a local file", l, n / l, "1.00");
      std::printf("%-34s %10.4f %12.0f %8.2f\n", "open from the program server", r, n / r, r / l);
      std::printf("%-34s %10.4f %12.0f %8.2f\n", "open half the program (2N/N)", h, half / h, l / h);
      std::printf("%-34s %10.4f %12.0f %8s\n", "compile it back", t_compile, n / t_compile, "");
      if (failed) std::printf("failures: %d compile errors, or an open failed\n", errors);
      status = failed ? 1 : 0;
    }
    SrvConn::CloseAll();
  }
  bench_run({"/bin/rm", "-rf", dir});
  return status;
}
