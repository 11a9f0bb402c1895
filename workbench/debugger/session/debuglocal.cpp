#include "workbench/debugger/session/debuglocal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "workbench/base/diag.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysutil.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debugstate.h"

namespace {

enum : size_t { READ_PIECE = 1024 };

}  // namespace

// One run-time process and its threads. The process is reaped only after
// `exited` is set under the lock, so a signal sent under the lock while
// `exited` is false never reaches another process that got its id.
struct DebugLocalRun {
  uint64_t number = 0;  // among the runs started
  pid_t pid = -1;
  int out_fd = -1;
  int stop_pipe[2] = {-1, -1};
  std::mutex m;
  std::condition_variable cv;
  bool exited = false;
  bool reader_done = false;
  bool watcher_done = false;
  bool stopping = false;
  bool drop_c1 = false;
  std::thread reader, watcher, stopper;
};

DebugContext::DebugContext() = default;
DebugContext::~DebugContext() = default;

namespace {

using LocalRun = DebugLocalRun;

std::vector<std::unique_ptr<LocalRun>>& runs() { return Debug_Context().runs; }

void post(const std::string& text) {
  Debug_MarkTabText();
  if (DebugHost* h = Debug_Host()) h->PostOutput(text);
}

void read_output(LocalRun* run) {
  DebugLineSplitter splitter(run->drop_c1);
  char buffer[READ_PIECE];
  for (;;) {
    pollfd fds[2] = {{run->out_fd, POLLIN, 0}, {run->stop_pipe[0], POLLIN, 0}};
    int rc = poll(fds, 2, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 || (fds[1].revents & POLLIN)) break;
    ssize_t got = read(run->out_fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      Sys_ShowWin32Error(static_cast<unsigned long>(errno),
                         "Internal error on ReadFile():", "DebugThread_WatchLocalOutput()",
                         SHELL_MB_OK | SHELL_MB_ICONSTOP);
      break;
    }
    if (got == 0) break;
    for (const std::string& line : splitter.Feed(buffer, static_cast<size_t>(got))) post(line);
  }
  std::string rest = splitter.Finish();
  if (!rest.empty()) post(rest);
  close(run->out_fd);
  std::lock_guard<std::mutex> lock(run->m);
  run->reader_done = true;
  run->cv.notify_all();
}

void watch_exit(LocalRun* run) {
  siginfo_t info{};
  int rc;
  do {
    rc = waitid(P_PID, static_cast<id_t>(run->pid), &info, WEXITED | WNOWAIT);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    Sys_ShowWin32Error(static_cast<unsigned long>(errno),
                       "Internal error on WaitForMultipleObjects():", "DebugThread_WatchLocalExec()",
                       SHELL_MB_OK | SHELL_MB_ICONSTOP);
  } else {
    {
      std::lock_guard<std::mutex> lock(run->m);
      run->exited = true;
      run->cv.notify_all();
    }
    int status = 0;
    long code = 0;
    while (waitpid(run->pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) code = 128 + WTERMSIG(status);
    // The output comes first: wait for the reader, but not for a child of
    // the run-time that keeps the pipe open.
    {
      std::unique_lock<std::mutex> lock(run->m);
      if (!run->cv.wait_for(lock, std::chrono::milliseconds(DEBUG_REAP_GRACE_MS), [run] { return run->reader_done; })) {
        char stop = 0;
        if (write(run->stop_pipe[1], &stop, 1) < 0) {
        }
      }
    }
    std::string line = Debug_ExitLine(code, Debug_TabHasText());
    if (!line.empty()) post(line);
    if (DebugHost* h = Debug_Host()) h->PostEnded();
  }
  std::lock_guard<std::mutex> lock(run->m);
  run->watcher_done = true;
  run->cv.notify_all();
}

void stop_process(LocalRun* run) {
  std::unique_lock<std::mutex> lock(run->m);
  for (int sig : {SIGTERM, SIGKILL}) {
    if (run->cv.wait_for(lock, std::chrono::milliseconds(DEBUG_REAP_GRACE_MS), [run] { return run->exited; })) return;
    Diag_Trace('Q', 1, "The ended session's run-time (pid %d) gets signal %d", static_cast<int>(run->pid), sig);
    kill(run->pid, sig);
  }
}

void close_fd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

// Joins the threads of a run whose threads have all finished, closes what
// it holds and says so; a run still going is left alone.
bool drop_if_finished(LocalRun* r, std::unique_lock<std::mutex>& lock) {
  if (!r->reader_done || !r->watcher_done) return false;
  lock.unlock();
  r->reader.join();
  r->watcher.join();
  if (r->stopper.joinable()) r->stopper.join();
  close_fd(&r->stop_pipe[0]);
  close_fd(&r->stop_pipe[1]);
  return true;
}

void drop_finished_runs() {
  auto& list = runs();
  for (auto it = list.begin(); it != list.end();) {
    std::unique_lock<std::mutex> lock((*it)->m);
    if (drop_if_finished(it->get(), lock))
      it = list.erase(it);
    else
      ++it;
  }
}

}  // namespace

bool DebugLocal_Start(const std::string& executable, const std::vector<std::string>& args,
                      const std::string& environment, const std::string& start_dir, bool drop_c1) {
  drop_finished_runs();
  int in_pipe[2] = {-1, -1}, out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
  if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    int err = errno;
    for (int* fd : {&in_pipe[0], &in_pipe[1], &out_pipe[0], &out_pipe[1], &err_pipe[0], &err_pipe[1]}) close_fd(fd);
    Sys_ShowWin32Error(static_cast<unsigned long>(err),
                       "The local ZazoVADI process cannot be started:\nFailed to redirect stdin/stdout/stderr.\n",
                       "Local Debug Session [14]", SHELL_MB_OK | SHELL_MB_ICONSTOP);
    return false;
  }
  // Everything the child needs is built before the fork.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (size_t i = 0; i < environment.size() && environment[i] != '\0';) {
    envp.push_back(const_cast<char*>(environment.c_str() + i));
    i += std::strlen(environment.c_str() + i) + 1;
  }
  envp.push_back(nullptr);
  const char* dir = start_dir.empty() ? nullptr : start_dir.c_str();

  pid_t pid = fork();
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(out_pipe[1], 2);
    if (!dir || chdir(dir) == 0) execve(executable.c_str(), argv.data(), envp.data());
    int err = errno;
    if (write(err_pipe[1], &err, sizeof err) < 0) {
    }
    _exit(127);
  }
  int err = pid < 0 ? errno : 0;
  close_fd(&in_pipe[0]);
  close_fd(&in_pipe[1]);  // the program's input is at end of file
  close_fd(&out_pipe[1]);
  close_fd(&err_pipe[1]);
  if (pid > 0) {
    ssize_t got;
    do {
      got = read(err_pipe[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof err)) err = 0;
    if (err != 0)
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
  }
  close_fd(&err_pipe[0]);
  if (err != 0) {
    close_fd(&out_pipe[0]);
    std::string text = "The local ZazoVADI process cannot be started.\nExecutable File: \"" + executable + "\".\n";
    Sys_ShowWin32Error(static_cast<unsigned long>(err), text.c_str(), "Local Debug Session [15]",
                       SHELL_MB_OK | SHELL_MB_ICONSTOP);
    return false;
  }
  auto run = std::make_unique<LocalRun>();
  DebugContext& c = Debug_Context();
  run->number = ++c.runs_started;
  c.current_run = run->number;
  run->pid = pid;
  run->out_fd = out_pipe[0];
  run->drop_c1 = drop_c1;
  if (pipe2(run->stop_pipe, O_CLOEXEC) != 0) run->stop_pipe[0] = run->stop_pipe[1] = -1;
  LocalRun* r = run.get();
  run->reader = std::thread(read_output, r);
  run->watcher = std::thread(watch_exit, r);
  runs().push_back(std::move(run));
  return true;
}

void DebugLocal_SessionEnded() {
  Debug_Context().current_run = 0;
  for (auto& run : runs()) {
    std::lock_guard<std::mutex> lock(run->m);
    if (run->stopping || run->exited) continue;
    run->stopping = true;
    LocalRun* r = run.get();
    run->stopper = std::thread(stop_process, r);
  }
}

bool DebugLocal_CurrentRunEnded() {
  const uint64_t current = Debug_Context().current_run;
  if (current == 0) return false;
  for (auto& run : runs()) {
    if (run->number != current) continue;
    std::lock_guard<std::mutex> lock(run->m);
    return run->exited;
  }
  return true;  // finished and dropped already
}

bool DebugLocal_WaitAll(int ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  auto& list = runs();
  for (auto it = list.begin(); it != list.end();) {
    LocalRun* r = it->get();
    std::unique_lock<std::mutex> lock(r->m);
    if (!r->cv.wait_until(lock, deadline, [r] { return r->reader_done && r->watcher_done; })) return false;
    drop_if_finished(r, lock);
    it = list.erase(it);
  }
  return true;
}

size_t DebugLocal_DropFinished() {
  drop_finished_runs();
  return runs().size();
}
