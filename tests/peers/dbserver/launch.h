// Test helper: starts the stand-in database server on port 0, reads the port
// from its first line, and ends it when the object goes (it also ends by
// itself when its standard input closes or the test process dies).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "testsupport.h"

namespace dbserver_test {

class StandIn {
 public:
  explicit StandIn(const std::vector<std::string>& options = {}) {
    log_path_ = dir_.file("server.log");
    std::vector<std::string> args = {vtest::tool_path("dbserver"), "--stdin", "--log", log_path_};
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
    if (port_ <= 0) throw std::runtime_error("stand-in server did not start: " + line);
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
  std::string service() const { return std::to_string(port_); }
  std::string log() const { return vtest::file_exists(log_path_) ? vtest::read_file(log_path_) : ""; }
  // The bodies of the frames the server received, as hex, in order.
  std::vector<std::string> received() const {
    std::vector<std::string> frames;
    std::string text = log();
    size_t at = 0;
    while ((at = text.find(": recv ", at)) != std::string::npos) {
      at += 7;
      size_t end = text.find('\n', at);
      frames.push_back(text.substr(at, end - at));
    }
    return frames;
  }
  const vtest::TempDir& dir() const { return dir_; }

 private:
  vtest::TempDir dir_;
  std::string log_path_;
  pid_t pid_ = -1;
  int stdin_fd_ = -1;
  int port_ = 0;
};

}  // namespace dbserver_test
