// catadmin on one command file that creates N users, grants each a right,
// changes every fourth password and drops every eighth user, at 4,000,
// 8,000, 16,000 and 32,000 users, each against a fresh stand-in server.
// Every statement looks its users up by name: catadmin's processor time at
// 2N over its time at N must stay near 2. The wall-clock time includes the
// stand-in server.
//
// Usage: bench_catadmin [users]   (default 32000, the largest size)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/support/benchpeer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The administrator of the stand-in and the MD5 digest of its password.
const char* const kAdminPassword = "admin-pw";
const char* const kAdminDigest = "e5821ed6448fd754e6add6732a80dd48";

std::string commands(int port, int users) {
  std::string s =
      "CONNECT \"127.0.0.1:" + std::to_string(port) + "\";\nLOGON \"admin\" PASSWORD \"" + kAdminPassword + "\";\n";
  for (int i = 0; i < users; ++i) s += "CREATE USER \"user" + std::to_string(i) + "\";\n";
  for (int i = 0; i < users; ++i) s += "GRANT UADMIN TO \"USER" + std::to_string(i) + "\";\n";
  for (int i = 0; i < users; i += 4) s += "ALTER PASSWORD FOR USER \"User" + std::to_string(i) + "\" TO \"pw\";\n";
  for (int i = 0; i < users; i += 8) s += "DROP USER \"user" + std::to_string(i) + "\";\n";
  return s;
}

// Processor time of the children waited for so far.
double children_cpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int largest = argc > 1 ? std::atoi(argv[1]) : 32000;
  if (largest < 64) largest = 64;
  char folder_template[] = "/tmp/bench_catadmin.XXXXXX";
  const char* folder = mkdtemp(folder_template);
  if (!folder) return 1;
  const std::string dir = folder, bin = bench_bin_dir();
  std::ofstream(dir + "/users") << "admin:" << kAdminDigest << "\n";
  std::printf("catadmin, N users created, granted, a quarter altered, an eighth dropped (best of 3):\n");
  std::printf("%8s %10s %8s %10s %8s\n", "users", "cpu s", "2N/N", "wall s", "2N/N");
  double previous = 0, previous_wall = 0;
  for (int users = largest / 8; users <= largest; users *= 2) {
    double best = 1e9, best_wall = 1e9;
    for (int run = 0; run < 3; ++run) {
      BenchStandIn server(bin + "/dbserver", {"--users", dir + "/users"});
      if (server.port <= 0) return 1;
      const std::string file = dir + "/many.cat";
      std::ofstream(file) << commands(server.port, users);
      const auto start = Clock::now();
      const double cpu = children_cpu();
      // The stand-in is waited for only when `server` ends: the processor
      // time gained here is catadmin's alone.
      const int status = bench_run({bin + "/catadmin", file});
      best = std::min(best, children_cpu() - cpu);
      best_wall = std::min(best_wall, std::chrono::duration<double>(Clock::now() - start).count());
      if (status != 0) {
        std::fprintf(stderr, "bench_catadmin: catadmin failed (%d) on %s\n", status, file.c_str());
        return 1;
      }
    }
    if (previous > 0)
      std::printf("%8d %10.3f %8.2f %10.3f %8.2f\n", users, best, best / previous, best_wall,
                  best_wall / previous_wall);
    else
      std::printf("%8d %10.3f %8s %10.3f %8s\n", users, best, "-", best_wall, "-");
    previous = best;
    previous_wall = best_wall;
  }
  bench_run({"/bin/rm", "-rf", folder});
  return 0;
}
