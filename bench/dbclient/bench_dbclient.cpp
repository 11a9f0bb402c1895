// The cost of one call of the database client library over what the network
// costs anyway. In one run, each the best of several interleaved rounds:
//   - management calls ("echo ping") over one connection to the stand-in
//     database server (a process of its own), each a request and its reply;
//   - a bare ping-pong over TCP loopback with a process of its own that
//     answers each message of the request's size with one of the reply's size
//     (both sizes taken from the calls, length words included).
// The ratio is the time per call over the time per bare round trip: what the
// library, its framing and the server add (goal: at most 1.2).
//
// Usage: bench_dbclient [calls]   (default 100000, in 40 rounds)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/mgmt.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 40;

std::string bin_dir() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string dir = path;
  return dir.substr(0, dir.rfind('/'));
}

// The stand-in on port 0; it ends when its standard input closes.
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
    // Management only: no logon needed.
    std::vector<std::string> args = {program, "--stdin", "--capabilities", "20"};
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
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
};

bool read_all(int fd, char* p, size_t n) {
  size_t got = 0;
  while (got < n) {
    ssize_t r = read(fd, p + got, n - got);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

// The bare peer: a process that answers each `request`-byte message with a
// `reply`-byte one until the connection ends.
struct Echo {
  pid_t pid = -1;
  int port = 0;
  Echo(size_t request, size_t reply) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
      return;
    port = ntohs(addr.sin_port);
    pid = fork();
    if (pid == 0) {
      int s = accept(listener, nullptr, nullptr);
      int one = 1;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::vector<char> in(request), out(reply);
      while (read_all(s, in.data(), in.size()))
        if (write(s, out.data(), out.size()) != static_cast<ssize_t>(out.size())) break;
      _exit(0);
    }
    close(listener);
  }
  ~Echo() {
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
};

// A connection to the bare peer.
int connect_echo(const Echo& echo) {
  int c = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(echo.port));
  if (connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(c);
    return -1;
  }
  return c;
}

// Seconds per bare round trip.
double bare_round_trips(int c, size_t request, size_t reply, int trips) {
  std::vector<char> out(request), in(reply);
  const auto start = Clock::now();
  for (int i = 0; i < trips; ++i)
    if (write(c, out.data(), out.size()) != static_cast<ssize_t>(out.size()) || !read_all(c, in.data(), in.size()))
      return -1;
  return std::chrono::duration<double>(Clock::now() - start).count() / trips;
}

// Seconds per management call.
double calls(int id, int count) {
  const char* words[] = {"echo", "ping"};
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    char* text = Mgmt_command(id, 2, words);
    if (!text || std::strcmp(text, "ping\n") != 0) {
      std::fprintf(stderr, "bench_dbclient: call %d answered %s\n", i, text ? text : "nothing");
      std::free(text);
      return -1;
    }
    std::free(text);
  }
  return std::chrono::duration<double>(Clock::now() - start).count() / count;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (count < 1000) {
    std::fprintf(stderr, "usage: bench_dbclient [calls (at least 1000)]\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  Server server(bin_dir());
  if (server.port <= 0) {
    std::fprintf(stderr, "bench_dbclient: the stand-in database server did not start\n");
    return 1;
  }
  const std::string service = std::to_string(server.port);
  const int id = Mgmt_open("127.0.0.1", service.c_str());
  if (id <= 0) {
    std::fprintf(stderr, "bench_dbclient: Mgmt_open failed\n");
    return 1;
  }
  if (calls(id, 1000) < 0) return 1;  // warms up both sides
  const Buffer* b = idb__get_client(0)->buffer;
  const size_t request = Buffer_Size(b);
  const size_t reply = b->recv_len + 4;

  Echo echo(request, reply);
  const int c = echo.pid > 0 ? connect_echo(echo) : -1;
  if (c < 0) {
    std::fprintf(stderr, "bench_dbclient: the bare peer did not start\n");
    return 1;
  }
  // Short rounds, the two kinds in turn, so that both see the same load; the
  // best round of each counts, and the median of the rounds' ratios is shown
  // beside it.
  const int per_round = std::max(100, count / kRounds);
  double call = 1e9, bare = 1e9;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    const double t = bare_round_trips(c, request, reply, per_round);
    const double k = calls(id, per_round);
    if (k < 0 || t < 0) return 1;
    call = std::min(call, k);
    bare = std::min(bare, t);
    ratios.push_back(k / t);
  }
  close(c);
  std::sort(ratios.begin(), ratios.end());
  Mgmt_close(id);
  std::printf("message sizes: request %zu bytes, reply %zu bytes (length words included)\n", request, reply);
  std::printf("calls:         %d in %d rounds, best %.2f us per call, %.0f calls/s\n", per_round * kRounds, kRounds,
              call * 1e6, 1 / call);
  std::printf("bare:          best %.2f us per round trip, %.0f round trips/s\n", bare * 1e6, 1 / bare);
  std::printf("median ratio:  %.2f (per round: time per call / time per bare round trip)\n", ratios[ratios.size() / 2]);
  std::printf("ratio:         %.2f bare round trips per call, best against best (goal: at most 1.2)\n", call / bare);
  return 0;
}
