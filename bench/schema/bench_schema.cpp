// The schema compiler on the largest legal schema: 1,024 items and index
// items together, 199 data sets with entries, paths, sort items, primary
// paths and indexes, and all 31 password classes.
//
// Measured in one run, each the best of several:
//   - `schema -n` (check only): source lines per second;
//   - `schema` writing into a fresh stand-in database server: catalog
//     requests per second (counted from the stand-in's log), with the time of
//     the check taken off, against a bare loopback round trip of a small
//     frame over TCP, measured here too. The ratio says how much the writer
//     and the protocol add to what the loopback costs anyway.
//
// Then `schema -n` on schemas far above the limit of items (4,000 to 64,000
// items and half as many index items, rejected at the end with "Number of
// items exceeds maximum"): the time at 2N over the time at N must stay near
// 2, every name being found by hash.
//
// Usage: bench_schema [--write file]   (--write keeps the generated source)
#include <signal.h>
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

constexpr int kTotalItems = 1024;  // items plus index items
constexpr int kSets = 199;
constexpr int kMasters = 40;    // manual masters
constexpr int kAutomatic = 10;  // automatic masters
constexpr int kRuns = 5;

struct Generated {
  std::string text;
  int lines = 0;
};

// The schema: keys of the masters first, then the other items as the sets
// take them, then index items over the details' own items until items and
// index items reach 1,024 together.
Generated generate() {
  std::vector<std::string> items;  // definition lines
  std::ostringstream sets;
  auto item = [&](const std::string& type) {
    const std::string name = "IT" + std::to_string(items.size());
    items.push_back("    " + name + ", " + type + ";");
    return name;
  };
  const char* const kinds[] = {"X8", "I", "I4", "R8", "X20", "B6", "X10", "R4"};
  std::vector<std::string> keys;
  for (int m = 0; m < kMasters + kAutomatic; ++m) keys.push_back(item("X12"));

  for (int m = 0; m < kMasters; ++m) {
    sets << "N: MASTER" << m << ", M (1,2/3," << (m % 31) + 1 << ");\nE: " << keys[m];
    for (int k = 0; k < 3; ++k) sets << ",\n   " << item(kinds[(m + k) % 8]);
    sets << ";\nC: " << 1000 + m << ";\n";
  }
  for (int a = 0; a < kAutomatic; ++a)
    sets << "N: AUTO" << a << ", A (0/3);\nE: " << keys[kMasters + a] << ";\nC: 5000;\n";

  const int details = kSets - kMasters - kAutomatic;
  std::vector<std::vector<std::string>> own(details);
  int iitem_budget = kTotalItems;
  // Each detail: paths to two masters, four items of its own (the first
  // sorts the first path), the second path its primary one on odd sets.
  for (int d = 0; d < details; ++d) {
    for (int k = 0; k < 4; ++k) own[d].push_back(item(kinds[(d + k) % 8]));
  }
  iitem_budget -= static_cast<int>(items.size());
  std::ostringstream iitems;
  std::vector<std::vector<std::string>> indexes(details);
  for (int i = 0; i < iitem_budget; ++i) {
    const int d = i % details;
    const std::string name = "IX" + std::to_string(i);
    iitems << "    " << name << " = " << own[d][i / details % 4] << ", " << own[d][(i / details + 1) % 4] << ";\n";
    indexes[d].push_back(name);
  }
  for (int d = 0; d < details; ++d) {
    const int m1 = d % (kMasters + kAutomatic), m2 = (d * 7 + 3) % (kMasters + kAutomatic);
    const int second = m2 == m1 ? (m1 + 1) % (kMasters + kAutomatic) : m2;
    auto master = [&](int m) {
      return m < kMasters ? "MASTER" + std::to_string(m) : "AUTO" + std::to_string(m - kMasters);
    };
    sets << "N: DETAIL" << d << ", D (1/2," << (d % 31) + 1 << ");\n";
    sets << "E: " << keys[m1] << " (" << master(m1) << " (" << own[d][0] << ")),\n";
    sets << "   " << keys[second] << " (" << (d % 2 ? "!" : "") << master(second) << ")";
    for (const std::string& name : own[d]) sets << ",\n   " << name;
    sets << ";\n";
    if (!indexes[d].empty()) {
      sets << "I: ";
      for (size_t i = 0; i < indexes[d].size(); ++i) sets << (i ? ",\n   " : "") << indexes[d][i];
      sets << ";\n";
    }
    sets << "C: " << 20000 + d << ";\n";
  }

  std::ostringstream out;
  out << "BEGIN DATA BASE BIGBASE;\n\nPASSWORDS:\n";
  for (int c = 1; c <= 31; ++c) out << "    " << c << " CLASS" << c << ";\n";
  out << "\nITEMS:\n";
  for (const std::string& line : items) out << line << "\n";
  out << "\nINDEX ITEMS:\n" << iitems.str() << "\nSETS:\n" << sets.str() << "END.\n";
  Generated g;
  g.text = out.str();
  for (char c : g.text) g.lines += c == '\n';
  return g;
}

// `items` items, half as many index items over them and one set that holds
// the first ones.
std::string generate_many(int items) {
  std::ostringstream out;
  out << "BEGIN DATA BASE MANY;\n\nPASSWORDS:\n    1 ALL;\n\nITEMS:\n";
  for (int i = 0; i < items; ++i) out << "    ITEM" << i << ", " << (i % 2 ? "I" : "X8") << ";\n";
  out << "\nINDEX ITEMS:\n";
  for (int i = 0; i < items / 2; ++i) out << "    IX" << i << " = ITEM" << items - 1 - 2 * i << ";\n";
  out << "\nSETS:\nN: ONE, M (1/1);\nE: ITEM0, ITEM1, ITEM" << items - 1 << ";\nC: 100;\nEND.\n";
  return out.str();
}

// Catalog requests in a stand-in log: received frames of class 4.
int catalog_requests(const std::string& log) {
  std::ifstream in(log);
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    const size_t at = line.find("recv ");
    if (at == std::string::npos || line.size() < at + 13) continue;
    // The class word follows the request id, in either byte order.
    const std::string cls = line.substr(at + 9, 4);
    if (cls == "0400" || cls == "0004") ++count;
  }
  return count;
}

// Seconds per round trip of a 64-byte frame over TCP loopback.
double loopback_round_trip(int trips) {
  BenchEcho echo(64, 64);
  const int c = echo.port > 0 ? bench_connect(echo.port) : -1;
  if (c < 0) return 0;
  const double seconds = bench_bare_round_trips(c, 64, 64, trips);
  close(c);
  return seconds < 0 ? 0 : seconds;
}

template <typename F>
double best_of(int runs, F&& f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (!f()) return -1;
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const Generated schema = generate();
  char folder_template[] = "/tmp/bench_schema.XXXXXX";
  const char* folder = mkdtemp(folder_template);
  if (!folder) return 1;
  const std::string source =
      argc > 2 && std::strcmp(argv[1], "--write") == 0 ? argv[2] : std::string(folder) + "/big.schema";
  std::ofstream(source) << schema.text;
  const std::string bin = bench_bin_dir();
  const std::string tool = bin + "/schema";

  const double check = best_of(kRuns, [&] { return bench_run({tool, "-n", source}) == 0; });
  if (check < 0) {
    std::fprintf(stderr, "bench_schema: schema -n failed on %s\n", source.c_str());
    return 1;
  }
  std::printf("check (-n):  %d lines in %.1f ms, %.0f lines/s\n", schema.lines, check * 1000, schema.lines / check);

  int requests = 0;
  double write = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const std::string log = std::string(folder) + "/server" + std::to_string(i) + ".log";
    BenchStandIn server(bin + "/dbserver", {"--log", log});
    if (server.port <= 0) return 1;
    const auto start = Clock::now();
    const int status = bench_run({tool, "-h", "127.0.0.1", "-s", std::to_string(server.port), source});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
      std::fprintf(stderr, "bench_schema: writing the catalog failed (%d)\n", status);
      return 1;
    }
    write = std::min(write, seconds);
    requests = catalog_requests(log);
  }
  const double round_trip = loopback_round_trip(20000);
  const double per_request = (write - check) / requests;
  std::printf("write:       %d catalog requests in %.1f ms (%.1f ms beyond the check), %.0f requests/s\n", requests,
              write * 1000, (write - check) * 1000, requests / (write - check));
  std::printf("loopback:    %.1f us per bare round trip, %.0f round trips/s\n", round_trip * 1e6, 1 / round_trip);
  std::printf("ratio:       %.2f (time per catalog request / bare round trip)\n", per_request / round_trip);

  std::printf("schema -n above the limit of items (best of 3):\n%8s %10s %8s\n", "items", "ms", "2N/N");
  double previous = 0;
  for (int items = 4000; items <= 64000; items *= 2) {
    const std::string many = std::string(folder) + "/many.schema";
    std::ofstream(many) << generate_many(items);
    const double t = best_of(3, [&] { return bench_run({tool, "-n", many}) >= 0; });
    if (previous > 0)
      std::printf("%8d %10.1f %8.2f\n", items, t * 1000, t / previous);
    else
      std::printf("%8d %10.1f %8s\n", items, t * 1000, "-");
    previous = t;
  }
  bench_run({"/bin/rm", "-rf", folder});
  return 0;
}
