#include "testsupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace vtest {

std::string bin_dir() {
  const char* d = std::getenv("VARNICA_BIN_DIR");
  return d && *d ? d : VARNICA_BIN_DIR_DEFAULT;
}

std::string source_dir() {
  const char* d = std::getenv("VARNICA_SOURCE_DIR");
  return d && *d ? d : VARNICA_SOURCE_DIR_DEFAULT;
}

std::string tool_path(const std::string& name) { return bin_dir() + "/" + name; }

static long long now_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

RunOptions in_folder(const std::string& cwd) {
  RunOptions options;
  options.cwd = cwd;
  return options;
}

RunResult run(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  std::string path = program.find('/') == std::string::npos ? tool_path(program) : program;

  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) env[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& name : options.unset_env) env.erase(name);
  for (const auto& [k, v] : options.env) env[k] = v;
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : env) env_strings.push_back(k + "=" + v);

  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) || pipe(out_pipe) || pipe(err_pipe)) throw std::runtime_error("pipe failed");

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    execve(path.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);

  RunResult result;
  size_t written = 0;
  int in_fd = in_pipe[1];
  if (options.input.empty()) {
    close(in_fd);
    in_fd = -1;
  } else
    fcntl(in_fd, F_SETFL, O_NONBLOCK);
  int out_fd = out_pipe[0], err_fd = err_pipe[0];
  long long deadline = now_ms() + options.timeout_seconds * 1000LL;
  bool killed = false;
  while (out_fd >= 0 || err_fd >= 0) {
    pollfd fds[3];
    int n = 0;
    if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
    if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    long long left = deadline - now_ms();
    if (left <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    int r = poll(fds, n, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    for (int i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == in_fd) {
        ssize_t w = write(in_fd, options.input.data() + written, options.input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 || written == options.input.size()) {
          close(in_fd);
          in_fd = -1;
        }
        continue;
      }
      char buf[65536];
      ssize_t got = read(fds[i].fd, buf, sizeof buf);
      if (got > 0) {
        (fds[i].fd == out_fd ? result.out : result.err).append(buf, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        if (fds[i].fd == out_fd)
          out_fd = -1;
        else
          err_fd = -1;
      }
    }
  }
  for (int fd : {in_fd, out_fd, err_fd})
    if (fd >= 0) close(fd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (killed) throw std::runtime_error("program timed out: " + path);
  if (WIFEXITED(status))
    result.exit_code = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exit_code = 128 + WTERMSIG(status);
  return result;
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/varnica-test-XXXXXX";
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string strip_banner(const std::string& err, const std::string& tool) {
  std::string name;
  for (char c : tool) {
    if (!std::isalnum(static_cast<unsigned char>(c))) name += '\\';
    name += c;
  }
  const std::regex banner("^\nQ7702K " + name + " [^\n]+ \\(A\\.06\\.31\\)\n\n");
  std::smatch m;
  if (!std::regex_search(err, m, banner)) {
    ADD_FAILURE() << "no " << tool << " banner: " << err;
    return err;
  }
  return err.substr(static_cast<size_t>(m.length(0)));
}

std::vector<std::string> files_with_suffix(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0) names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

CaptureOutput::CaptureOutput(FILE* stream) : stream_(stream) {
  std::fflush(stream_);
  char name[] = "/tmp/vtest-capture-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("cannot make a capture file");
  path_ = name;
  saved_fd_ = dup(fileno(stream_));
  dup2(fd, fileno(stream_));
  close(fd);
}

CaptureOutput::~CaptureOutput() { text(); }

std::string CaptureOutput::text() {
  if (done_) return text_;
  done_ = true;
  std::fflush(stream_);
  dup2(saved_fd_, fileno(stream_));
  close(saved_fd_);
  try {
    text_ = read_file(path_);
  } catch (const std::exception&) {
    text_.clear();
  }
  unlink(path_.c_str());
  return text_;
}

}  // namespace vtest
