#include "bench/support/benchpeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

extern char** environ;

namespace {

bool read_all(int fd, char* p, size_t n) {
  size_t got = 0;
  while (got < n) {
    ssize_t r = read(fd, p + got, n - got);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

std::vector<char*> argv_of(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

std::string bench_bin_dir() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string dir = path;
  return dir.substr(0, dir.rfind('/'));
}

int bench_run(const std::vector<std::string>& args, const std::string& out_file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.empty() ? "/dev/null" : out_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv = argv_of(args);
  pid_t pid;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

BenchStandIn::BenchStandIn(const std::string& program, const std::vector<std::string>& options) {
  int in[2], out[2];
  if (pipe(in) != 0) return;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {program, "--stdin"};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv = argv_of(args);
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  stdin_fd = in[1];
  // The port is the first line the stand-in prints.
  std::string line;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  port = std::atoi(line.c_str());
}

BenchStandIn::~BenchStandIn() {
  if (stdin_fd >= 0) close(stdin_fd);
  if (pid > 0) waitpid(pid, nullptr, 0);
}

BenchEcho::BenchEcho(size_t request, size_t reply) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(listener);
    return;
  }
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
  if (pid > 0) port = ntohs(addr.sin_port);
  close(listener);
}

BenchEcho::~BenchEcho() {
  if (pid > 0) waitpid(pid, nullptr, 0);
}

int bench_connect(int port) {
  int c = socket(AF_INET, SOCK_STREAM, 0);
  if (c < 0) return -1;
  int one = 1;
  setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(c);
    return -1;
  }
  return c;
}

double bench_bare_round_trips(int c, size_t request, size_t reply, int trips) {
  std::vector<char> out(request), in(reply);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < trips; ++i)
    if (write(c, out.data(), out.size()) != static_cast<ssize_t>(out.size()) || !read_all(c, in.data(), in.size()))
      return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / trips;
}
