// fillbase and drainbase on a generated database: a master (100,000
// entries by default) and a detail (the rest of the records) that together
// hold all six item types, 1,000,000 records by default.
//
// Measured in one run:
//   - fillbase loading the generated export files into a fresh stand-in
//     database server (-c 1000): records per second;
//   - drainbase exporting them again over loopback: records per second (and
//     the exported files must equal the generated ones);
//   - a bare loopback round trip (one request, one reply of a detail record's
//     size, TCP_NODELAY), measured here too, before, between and after them.
// Each tool's time per record over the bare round trip is its ratio; the
// goal is at most 1.2.
//
// The client side (this program and the tools it starts) runs on one
// processor and the server side (the stand-in, the bare peer) on another, the
// same two for every measurement. Left to itself the kernel sometimes runs
// both ends of a loopback connection on one processor, where a round trip
// costs about a quarter of what it costs between two, and which way each
// phase went decided the ratio more than the tools did.
//
// Usage: bench_dbexport [records]
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/benchpeer.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kSchema[] =
    "BEGIN DATA BASE BENCH;\n"
    "PASSWORDS:\n    1 ANY;\n"
    "ITEMS:\n"
    "    KEY, X8;\n    NAME, X20;\n    RAW, B4;\n    SMALL, I;\n    BIG, D;\n    RATIO, S;\n    AMOUNT, L;\n"
    "SETS:\n"
    "N: MASTERS, M (1/1);\nE: KEY (1), NAME, AMOUNT;\nC: 1000000;\n"
    "N: DETAILS, D (1/1);\nE: KEY (MASTERS), RAW, SMALL, BIG, RATIO, AMOUNT, NAME;\nC: 1000000;\n"
    "END.\n";

// Bytes of a detail record: X8, B4, I, D, S, L, X20.
constexpr size_t kDetailBytes = 8 + 4 + 2 + 4 + 4 + 8 + 20;

// The export files of `records` records, as drainbase writes them.
void generate(const std::string& folder, long records) {
  const long masters = std::max(1L, records / 10);
  std::string text;
  char line[256];
  for (long m = 0; m < masters; ++m) {
    int n = std::snprintf(line, sizeof line, "\"K%07ld\",\"Name \\\"%ld\\\"\",%ld.25\n", m, m, m);
    text.append(line, static_cast<size_t>(n));
  }
  std::ofstream(folder + "/BENCH.001.exp") << text;
  text.clear();
  for (long d = 0; d < records - masters; ++d) {
    long m = d % masters;
    int n = std::snprintf(line, sizeof line, "\"K%07ld\",\"\\001b\",%ld,%ld,%g,%ld.5,\"Detail %ld\"\n", m, d % 30000,
                          d * 7, static_cast<double>(d % 1000) / 2, d, d);
    text.append(line, static_cast<size_t>(n));
  }
  std::ofstream(folder + "/BENCH.002.exp") << text;
}

// The processors of the two sides; -1 when fewer than two are allowed.
struct Processors {
  int client = -1;
  int server = -1;
};

Processors pick_processors() {
  Processors p;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return p;
  std::vector<int> cpus;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &allowed)) cpus.push_back(cpu);
  if (cpus.size() < 2) return p;
  p.client = cpus[cpus.size() - 2];
  p.server = cpus.back();
  return p;
}

// This program, and every process it starts from now on, runs on `cpu` (-1:
// as before).
void run_on(int cpu) {
  if (cpu < 0) return;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  sched_setaffinity(0, sizeof one, &one);
}

// Seconds per round trip over TCP loopback: a request of 32 bytes, a reply
// of `reply` bytes.
double loopback_round_trip(int trips, size_t reply, const Processors& cpus) {
  run_on(cpus.server);
  BenchEcho echo(32, reply);
  run_on(cpus.client);
  const int c = echo.port > 0 ? bench_connect(echo.port) : -1;
  if (c < 0) return 0;
  const double seconds = bench_bare_round_trips(c, 32, reply, trips);
  close(c);
  return seconds < 0 ? 0 : seconds;
}

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

double timed(const std::vector<std::string>& args) {
  const auto start = Clock::now();
  if (bench_run(args) != 0) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (records < 2) return 2;
  char folder_template[] = "/tmp/bench_dbexport.XXXXXX";
  const char* folder = mkdtemp(folder_template);
  if (!folder) return 1;
  const std::string in = std::string(folder) + "/in", out = std::string(folder) + "/out";
  mkdir(in.c_str(), 0755);
  mkdir(out.c_str(), 0755);
  generate(in, records);
  std::ofstream(std::string(folder) + "/bench.schema") << kSchema;
  const std::string bin = bench_bin_dir();
  setenv("LOGNAME", "bench", 1);

  const Processors cpus = pick_processors();
  run_on(cpus.server);
  BenchStandIn server(bin + "/dbserver", {});
  run_on(cpus.client);
  if (server.port <= 0) return 1;
  const std::string port = std::to_string(server.port);
  const std::string db = "127.0.0.1:" + port + "/BENCH";
  if (bench_run({bin + "/schema", "-h", "127.0.0.1", "-s", port, std::string(folder) + "/bench.schema"}) != 0 ||
      bench_run({bin + "/forgeset", db}) != 0) {
    std::fprintf(stderr, "bench_dbexport: the database could not be made\n");
    return 1;
  }
  // The bare round trip is measured before, between and after the tools and
  // averaged, so that a machine busy with other work weighs on both sides.
  const size_t reply = kDetailBytes + 64;
  double round_trip = loopback_round_trip(20000, reply, cpus);
  const double fill = timed({bin + "/fillbase", "-c", "1000", "-i", in, db});
  round_trip += loopback_round_trip(20000, reply, cpus);
  const double drain = timed({bin + "/drainbase", "-o", out, db});
  round_trip = (round_trip + loopback_round_trip(20000, reply, cpus)) / 3;
  if (fill < 0 || drain < 0) {
    std::fprintf(stderr, "bench_dbexport: fillbase or drainbase failed\n");
    return 1;
  }
  const double n = static_cast<double>(records);
  bool same = true;
  for (const char* f : {"/BENCH.001.exp", "/BENCH.002.exp"}) same = same && read_all(in + f) == read_all(out + f);
  std::printf("records:     %ld (%s after the round trip)\n", records, same ? "identical" : "DIFFERENT");
  if (cpus.client >= 0)
    std::printf("processors:  client side %d, server side %d\n", cpus.client, cpus.server);
  else
    std::printf("processors:  not pinned (fewer than two allowed)\n");
  std::printf("fillbase:    %.1f s, %.0f records/s, %.1f us per record\n", fill, n / fill, fill / n * 1e6);
  std::printf("drainbase:   %.1f s, %.0f records/s, %.1f us per record\n", drain, n / drain, drain / n * 1e6);
  std::printf("loopback:    %.1f us per bare round trip, %.0f round trips/s\n", round_trip * 1e6, 1 / round_trip);
  std::printf("ratio:       fillbase %.2f, drainbase %.2f (time per record / bare round trip; goal 1.2)\n",
              fill / n / round_trip, drain / n / round_trip);
  bench_run({"/bin/rm", "-rf", folder});
  return same ? 0 : 1;
}
