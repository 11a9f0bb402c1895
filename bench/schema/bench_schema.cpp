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
// Usage: bench_schema [--write file]   (--write keeps the generated source)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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

std::string bin_dir() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string dir = path;
  return dir.substr(0, dir.rfind('/'));
}

// Runs a program to its end with standard output into `out_file` ("" for
// /dev/null); returns its exit status.
int run(const std::vector<std::string>& args, const std::string& out_file = "") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.empty() ? "/dev/null" : out_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A stand-in server on port 0 that logs what it receives.
struct Server {
  pid_t pid = -1;
  int port = 0;
  int stdin_fd = -1;
  Server(const std::string& bin, const std::string& log) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = bin + "/dbserver";
    std::vector<std::string> args = {program, "--stdin", "--log", log};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_fd = in[1];
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    port = std::atoi(line.c_str());
  }
  ~Server() {
    if (stdin_fd >= 0) close(stdin_fd);
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

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
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    return 0;
  std::thread echo([listener, trips] {
    int s = accept(listener, nullptr, nullptr);
    char frame[64];
    for (int i = 0; i < trips; ++i) {
      size_t got = 0;
      while (got < sizeof frame) {
        ssize_t n = read(s, frame + got, sizeof frame - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
      }
      if (write(s, frame, sizeof frame) != static_cast<ssize_t>(sizeof frame)) break;
    }
    close(s);
  });
  int c = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    echo.join();
    return 0;
  }
  char frame[64] = {};
  const auto start = Clock::now();
  for (int i = 0; i < trips; ++i) {
    if (write(c, frame, sizeof frame) != static_cast<ssize_t>(sizeof frame)) break;
    size_t got = 0;
    while (got < sizeof frame) {
      ssize_t n = read(c, frame + got, sizeof frame - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  close(c);
  echo.join();
  close(listener);
  return seconds / trips;
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
  const std::string bin = bin_dir();
  const std::string tool = bin + "/schema";

  const double check = best_of(kRuns, [&] { return run({tool, "-n", source}) == 0; });
  if (check < 0) {
    std::fprintf(stderr, "bench_schema: schema -n failed on %s\n", source.c_str());
    return 1;
  }
  std::printf("check (-n):  %d lines in %.1f ms, %.0f lines/s\n", schema.lines, check * 1000, schema.lines / check);

  int requests = 0;
  double write = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const std::string log = std::string(folder) + "/server" + std::to_string(i) + ".log";
    Server server(bin, log);
    if (server.port <= 0) return 1;
    const auto start = Clock::now();
    const int status = run({tool, "-h", "127.0.0.1", "-s", std::to_string(server.port), source});
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
  run({"/bin/rm", "-rf", folder});
  return 0;
}
