#include "standin.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace vtest {

StandIn::StandIn(const std::string& program, const std::vector<std::string>& options) {
  log_path_ = dir_.file(program + ".log");
  std::vector<std::string> args = {tool_path(program), "--stdin", "--log", log_path_};
  args.insert(args.end(), options.begin(), options.end());
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error("pipe");
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
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
  try {
    port_ = line.empty() ? 0 : std::stoi(line);
  } catch (const std::exception&) {
    port_ = 0;
  }
  if (port_ <= 0) {
    stop();
    throw std::runtime_error(program + " did not start: " + line);
  }
}

StandIn::~StandIn() { stop(); }

void StandIn::stop() {
  if (stdin_fd_ >= 0) close(stdin_fd_);
  stdin_fd_ = -1;
  if (pid_ <= 0) return;
  int status;
  for (int i = 0; i < 200; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    usleep(10000);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::string StandIn::log() const { return file_exists(log_path_) ? read_file(log_path_) : ""; }

bool StandIn::wait_for_log(const std::string& text, int timeout_ms) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (log().find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace vtest
