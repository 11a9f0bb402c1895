// Test helper: starts a stand-in (dlgserver or runsrv) on port 0, reads the
// port from its first line, and ends it when the object goes (it also ends
// by itself when its standard input closes or the test process dies).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "testsupport.h"

namespace dlgserver_test {

class StandIn {
 public:
  // `program` is "dlgserver" or "runsrv"; its log goes to log().
  explicit StandIn(const std::string& program, const std::vector<std::string>& options = {}) {
    log_path_ = dir_.file(program + ".log");
    std::vector<std::string> args = {vtest::tool_path(program), "--stdin", "--log", log_path_};
    args.insert(args.end(), options.begin(), options.end());
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    stdin_fd_ = in[1];
    std::string line;
    char ch;
    while (read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
    close(out[0]);
    port_ = line.empty() ? 0 : std::stoi(line);
    if (port_ <= 0) throw std::runtime_error(program + " did not start: " + line);
  }
  ~StandIn() {
    close(stdin_fd_);
    int status;
    for (int i = 0; i < 200; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) return;
      usleep(10000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  int port() const { return port_; }
  std::string log() const { return vtest::file_exists(log_path_) ? vtest::read_file(log_path_) : ""; }
  const vtest::TempDir& dir() const { return dir_; }

 private:
  vtest::TempDir dir_;
  std::string log_path_;
  pid_t pid_ = -1;
  int stdin_fd_ = -1;
  int port_ = 0;
};

// The lines of a dialog server's log file once `sessions` sessions have
// closed (waiting up to five seconds), without the "# " event lines.
inline std::vector<std::string> requests(const std::string& path, int sessions = 1) {
  std::string text;
  for (int i = 0; i < 500; ++i) {
    text = vtest::file_exists(path) ? vtest::read_file(path) : "";
    int closed = 0;
    for (size_t at = 0; (at = text.find("# closed", at)) != std::string::npos; ++at) ++closed;
    if (closed >= sessions) break;
    usleep(10000);
  }
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (line.compare(0, 2, "# ") != 0) lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

}  // namespace dlgserver_test
