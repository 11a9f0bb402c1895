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
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/benchpeer.h"
#include "database/client/client.h"
#include "database/client/mgmt.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 40;

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
  // Management only: no logon needed.
  BenchStandIn server(bench_bin_dir() + "/dbserver", {"--capabilities", "20"});
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

  BenchEcho echo(request, reply);
  const int c = echo.port > 0 ? bench_connect(echo.port) : -1;
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
    const double t = bench_bare_round_trips(c, request, reply, per_round);
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
