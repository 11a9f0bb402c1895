// Start-up of the environment to its first painted main window, against a
// bare Qt main window measured in the same run. Each start is a fresh
// process (offscreen, on a scratch registry) that ends at the first paint;
// the median of 10 starts of each is printed with their ratio.
//
// Usage: bench_startup [runs]   (default 10)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "workbench/tessarine/startprobe.h"

extern char** environ;

namespace {

double RunOnce(const char* self, const char* mode) {
  auto t0 = std::chrono::steady_clock::now();
  pid_t pid;
  char* args[] = {const_cast<char*>(self), const_cast<char*>("--child"), const_cast<char*>(mode), nullptr};
  if (posix_spawn(&pid, self, nullptr, nullptr, args, environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
    return Tessarine_RunToFirstPaint(argc, argv, std::strcmp(argv[2], "bare") == 0);
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char dir[] = "/tmp/bench-startup-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  setenv("VARNICA_REGISTRY", dir, 1);
  std::vector<double> bare, env;
  for (int i = 0; i < runs; ++i) {
    double b = RunOnce(argv[0], "bare");
    double e = RunOnce(argv[0], "tessarine");
    if (b < 0 || e < 0) {
      std::fprintf(stderr, "bench_startup: a start failed\n");
      return 1;
    }
    bare.push_back(b);
    env.push_back(e);
  }
  double mb = Median(bare), me = Median(env);
  std::printf("bare Qt main window: %.1f ms (median of %d)\n", mb, runs);
  std::printf("tessarine:           %.1f ms (median of %d)\n", me, runs);
  std::printf("ratio:               %.2f\n", mb > 0 ? me / mb : 0.0);
  std::string rm = std::string("rm -rf ") + dir;
  return std::system(rm.c_str()) == 0 ? 0 : 1;
}
