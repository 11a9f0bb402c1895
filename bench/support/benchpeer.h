// What the benchmarks share: the folder of the built programs and running a
// tool to its end; for those that talk to a server, a stand-in server
// started on port 0 and the reference they are measured against, a bare
// ping-pong over TCP loopback with a process of its own.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// The folder of the running program (the build's bin/).
std::string bench_bin_dir();

// Runs `args` (args[0] a path) to its end, standard output into `out_file`
// ("" for /dev/null), standard error to /dev/null; its exit status, or -1.
int bench_run(const std::vector<std::string>& args, const std::string& out_file = "");

// A stand-in server (`program` with "--stdin" and `options`) on port 0; it
// ends when the object closes its standard input. `port` is 0 when it did
// not start.
struct BenchStandIn {
  pid_t pid = -1;
  int port = 0;
  int stdin_fd = -1;
  BenchStandIn(const std::string& program, const std::vector<std::string>& options);
  ~BenchStandIn();
  BenchStandIn(const BenchStandIn&) = delete;
  BenchStandIn& operator=(const BenchStandIn&) = delete;
};

// The bare peer: a process that answers each `request`-byte message with a
// `reply`-byte one until the connection ends; `port` is 0 when it did not
// start.
struct BenchEcho {
  pid_t pid = -1;
  int port = 0;
  BenchEcho(size_t request, size_t reply);
  ~BenchEcho();
  BenchEcho(const BenchEcho&) = delete;
  BenchEcho& operator=(const BenchEcho&) = delete;
};

// A loopback connection with TCP_NODELAY to `port`, or -1.
int bench_connect(int port);

// Seconds per bare round trip of `trips` messages over `c` (connected to a
// BenchEcho of the same sizes), or -1 when the peer went away.
double bench_bare_round_trips(int c, size_t request, size_t reply, int trips);
