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
// Usage: bench_dbexport [records]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
  explicit Server(const std::string& bin) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = bin + "/dbserver";
    std::vector<std::string> args = {program, "--stdin"};
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

// Seconds per round trip over TCP loopback: a request of 32 bytes, a reply
// of `reply` bytes.
double loopback_round_trip(int trips, size_t reply) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    return 0;
  std::thread echo([listener, trips, reply] {
    int s = accept(listener, nullptr, nullptr);
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char frame[32];
    std::vector<char> answer(reply);
    for (int i = 0; i < trips; ++i) {
      size_t got = 0;
      while (got < sizeof frame) {
        ssize_t n = read(s, frame + got, sizeof frame - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
      }
      if (write(s, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) break;
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
  char frame[32] = {};
  std::vector<char> answer(reply);
  const auto start = Clock::now();
  for (int i = 0; i < trips; ++i) {
    if (write(c, frame, sizeof frame) != static_cast<ssize_t>(sizeof frame)) break;
    size_t got = 0;
    while (got < answer.size()) {
      ssize_t n = read(c, answer.data() + got, answer.size() - got);
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

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

double timed(const std::vector<std::string>& args) {
  const auto start = Clock::now();
  if (run(args) != 0) return -1;
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
  const std::string bin = bin_dir();
  setenv("LOGNAME", "bench", 1);

  Server server(bin);
  if (server.port <= 0) return 1;
  const std::string port = std::to_string(server.port);
  const std::string db = "127.0.0.1:" + port + "/BENCH";
  if (run({bin + "/schema", "-h", "127.0.0.1", "-s", port, std::string(folder) + "/bench.schema"}) != 0 ||
      run({bin + "/forgeset", db}) != 0) {
    std::fprintf(stderr, "bench_dbexport: the database could not be made\n");
    return 1;
  }
  // The bare round trip is measured before, between and after the tools and
  // averaged, so that a machine busy with other work weighs on both sides.
  const size_t reply = kDetailBytes + 64;
  double round_trip = loopback_round_trip(20000, reply);
  const double fill = timed({bin + "/fillbase", "-c", "1000", "-i", in, db});
  round_trip += loopback_round_trip(20000, reply);
  const double drain = timed({bin + "/drainbase", "-o", out, db});
  round_trip = (round_trip + loopback_round_trip(20000, reply)) / 3;
  if (fill < 0 || drain < 0) {
    std::fprintf(stderr, "bench_dbexport: fillbase or drainbase failed\n");
    return 1;
  }
  const double n = static_cast<double>(records);
  bool same = true;
  for (const char* f : {"/BENCH.001.exp", "/BENCH.002.exp"}) same = same && read_all(in + f) == read_all(out + f);
  std::printf("records:     %ld (%s after the round trip)\n", records, same ? "identical" : "DIFFERENT");
  std::printf("fillbase:    %.1f s, %.0f records/s, %.1f us per record\n", fill, n / fill, fill / n * 1e6);
  std::printf("drainbase:   %.1f s, %.0f records/s, %.1f us per record\n", drain, n / drain, drain / n * 1e6);
  std::printf("loopback:    %.1f us per bare round trip, %.0f round trips/s\n", round_trip * 1e6, 1 / round_trip);
  std::printf("ratio:       fillbase %.2f, drainbase %.2f (time per record / bare round trip; goal 1.2)\n",
              fill / n / round_trip, drain / n / round_trip);
  run({"/bin/rm", "-rf", folder});
  return same ? 0 : 1;
}
