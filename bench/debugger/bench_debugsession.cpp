// Debug sessions against the stand-in run-time (zazovadi beside this
// program), through the debugger core as the environment drives it:
//
//   refresh: a full Variables refresh of N and of 4N top-level variables,
//            one value changed between refreshes; the time per variable at
//            each size and their ratio (matching rows through an index
//            keeps it near 1).
//   steps:   N and 2N step-overs, first with the Variables and Call Stack
//            windows closed, then open (each stop then also fetches the
//            call stack and refreshes the variables); the median per step
//            against a bare loopback round trip of the same frame sizes
//            measured in the same run, their ratio, and the 2N/N ratio of
//            the median per step.
//
// Usage: bench_debugsession [refresh|steps|all] [N]   (default all, 1000)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysutil.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/session/debugtarget.h"
#include "workbench/debugger/variables/variablelink.h"
#include "workbench/debugger/variables/variablerows.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvhost.h"

namespace {

using Clock = std::chrono::steady_clock;

// The largest N the benchmark takes.
constexpr long kMaxCount = 16000;
// Variables of the steps script: a few, as a program's scope has.
constexpr int kStepVariables = 20;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

class PrintSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return SHELL_IDOK;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
};

class Measure : public VariableListHost {
 public:
  int MeasureText(const std::string& text) override { return static_cast<int>(text.size()) * 7; }
};

// The windows as the core sees them: the Variables rows and the call stack
// are there only while "open".
class BenchHost : public DebugHost, public VariablesPane {
 public:
  BenchHost() : rows(target, measure) { rows.SetGeometry(800, 7); }
  void PostOutput(std::string) override {}
  void PostEnded() override {}
  DebugShown ShowStop(const DebugLocation&, bool, const std::string&, bool, bool) override { return DebugShown::SHOWN; }
  bool CallStackOpen() const override { return open; }
  void AddCallStackEntry(const DebugLocation&) override { ++stack_entries; }
  VariablesPane* Variables() override { return this; }
  bool IsOpen() const override { return open; }
  VariableRows* Rows() override { return open ? &rows : nullptr; }
  void ResetContents() override { rows.Clear(); }
  CfgDebug& DebugSettings() override { return debug; }
  CfgBreakpoints& Breakpoints() override { return breakpoints; }

  DebugVariableTarget target;
  Measure measure;
  VariableRowList rows;
  bool open = false;
  long stack_entries = 0;
  CfgDebug debug;
  CfgBreakpoints breakpoints;
};

std::string g_dir;

std::string BinDirectory() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string exe(path, static_cast<size_t>(n));
  return exe.substr(0, exe.rfind('/'));
}

bool StartSession(BenchHost& host, const std::string& script) {
  const std::string file = g_dir + "/script.txt";
  std::ofstream(file) << script;
  Cfg_ListClear("Debug");
  std::string entry = Cfg_ListAppend("Debug", "bench");
  Cfg_PutString(entry.c_str(), "Command", ("--script " + file + " main").c_str());
  host.debug.CurrentSession = 0;
  return Debug_StartSession(true) != nullptr;
}

void EndSession() {
  if (DebugQueue) Debug_EndSession();
  DebugLocal_WaitAll(10000);
}

bool Step(int mode) {
  Debug_SetBusy(true);
  const bool ok = Debug_Cmd_CONT(mode, false);
  Debug_SetBusy(false);
  return ok;
}

std::string Stop(int line) {
  return "stop main.PROG 0 " + std::to_string(line) + " 0 LET TOTAL" + std::to_string(line) + " = " +
         std::to_string(line) + "||MAIN\n";
}

// The median time of a full refresh of `count` variables, per variable.
double RefreshPerVariable(BenchHost& host, int count, int rounds) {
  std::string script;
  for (int i = 0; i < count; ++i) script += "var TOTAL" + std::to_string(i) + " I " + std::to_string(i) + "\n";
  for (int round = 0; round <= rounds; ++round) {
    script += Stop(round + 1);
    const int changed = (round * 7919) % count;
    script += "var TOTAL" + std::to_string(changed) + " I " + std::to_string(-round - 1) + "\n";
  }
  host.open = false;  // the stops fetch nothing; the refresh is timed alone
  if (!StartSession(host, script)) return -1;
  host.rows.Clear();
  if (!Debug_Cmd_GET_ELEMENTS(host.rows, nullptr, -1)) return -1;
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    if (!Step(DEBUG_MODE_STEP_OVER)) return -1;
    const auto t0 = Clock::now();
    if (!Debug_Cmd_GET_ELEMENTS(host.rows, nullptr, -1)) return -1;
    times.push_back(Seconds(t0));
    if (host.rows.GetItemCount() != count) return -1;
  }
  EndSession();
  return Median(times) / count;
}

// The median time of one step-over over `count` steps.
double StepTime(BenchHost& host, int count, bool open) {
  std::string script;
  for (int i = 0; i < kStepVariables; ++i) script += "var V" + std::to_string(i) + " I " + std::to_string(i) + "\n";
  for (int i = 0; i <= count; ++i) {
    script += Stop(i + 1);
    script += "var V" + std::to_string(i % kStepVariables) + " I " + std::to_string(-i) + "\n";
  }
  host.open = open;
  if (!StartSession(host, script)) return -1;
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const auto t0 = Clock::now();
    if (!Step(DEBUG_MODE_STEP_OVER)) return -1;
    times.push_back(Seconds(t0));
  }
  EndSession();
  return Median(times);
}

// ---- the bare reference: framed request and reply over loopback ----

bool SendAll(int fd, const std::string& b) {
  for (size_t at = 0; at < b.size();) {
    ssize_t n = send(fd, b.data() + at, b.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
  }
  return true;
}

bool RecvAll(int fd, size_t n) {
  char buf[4096];
  while (n > 0) {
    ssize_t got = recv(fd, buf, std::min(n, sizeof buf), 0);
    if (got <= 0) return false;
    n -= static_cast<size_t>(got);
  }
  return true;
}

std::string Frame(size_t payload) {
  std::string b(4 + payload, 'x');
  b[0] = static_cast<char>(payload >> 24 & 0xFF);
  b[1] = static_cast<char>(payload >> 16 & 0xFF);
  b[2] = static_cast<char>(payload >> 8 & 0xFF);
  b[3] = static_cast<char>(payload & 0xFF);
  return b;
}

// The median time of `exchanges` request/reply pairs of the given payload
// sizes, one after the other, as one step of the session makes them.
double BareRoundTrips(const std::vector<std::pair<size_t, size_t>>& exchanges, int rounds) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    return -1;
  std::thread peer([&] {
    int fd = accept(listener, nullptr, nullptr);
    for (int r = 0; r < rounds; ++r)
      for (const auto& [request, reply] : exchanges)
        if (!RecvAll(fd, 4 + request) || !SendAll(fd, Frame(reply))) break;
    close(fd);
  });
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return -1;
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const auto t0 = Clock::now();
    for (const auto& [request, reply] : exchanges)
      if (!SendAll(fd, Frame(request)) || !RecvAll(fd, 4 + reply)) return -1;
    times.push_back(Seconds(t0));
  }
  close(fd);
  peer.join();
  close(listener);
  return Median(times);
}

// Payload sizes of one step's exchanges, as the stand-in and the core frame
// them: CONT and its stop; with the windows open also CALLSTACK and
// GET_ELEMENTS of the top level.
std::vector<std::pair<size_t, size_t>> StepFrames(bool open) {
  const size_t location = 2 + 10 + 4 + (2 + 22) + 3 + (2 + 5);  // file, segment, line, three texts
  std::vector<std::pair<size_t, size_t>> frames{{6, 2 + location}};
  if (open) {
    frames.push_back({2, 2 + 2 + location});
    const size_t element = 2 + (2 + 4) + 1 + (2 + 4);
    frames.push_back({2 + 6, 2 + 4 + 2 + kStepVariables * element});
  }
  return frames;
}

int RunRefresh(BenchHost& host, long n) {
  const long sizes[2] = {n, 4 * n};
  const int rounds = 50;
  double per[2];
  for (int i = 0; i < 2; ++i) {
    per[i] = RefreshPerVariable(host, static_cast<int>(sizes[i]), rounds);
    if (per[i] < 0) {
      std::fprintf(stderr, "bench_debugsession: the refresh of %ld variables failed\n", sizes[i]);
      return 1;
    }
    std::printf("refresh %6ld variables: %8.1f ns per variable\n", sizes[i], per[i] * 1e9);
  }
  std::printf("refresh 4N/N per variable: %.2f\n", per[1] / per[0]);
  return 0;
}

int RunSteps(BenchHost& host, long n) {
  for (bool open : {false, true}) {
    const char* windows = open ? "open" : "closed";
    const double bare = BareRoundTrips(StepFrames(open), static_cast<int>(n));
    const double at_n = StepTime(host, static_cast<int>(n), open);
    const double at_2n = StepTime(host, static_cast<int>(2 * n), open);
    if (bare <= 0 || at_n < 0 || at_2n < 0) {
      std::fprintf(stderr, "bench_debugsession: the step-overs with the windows %s failed\n", windows);
      return 1;
    }
    std::printf("steps, windows %-6s: %8.1f us per step-over (N=%ld), bare round trips %6.1f us, ratio %.1f\n", windows,
                at_n * 1e6, n, bare * 1e6, at_n / bare);
    std::printf("steps, windows %-6s: 2N/N per step-over: %.2f\n", windows, at_2n / at_n);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "all";
  const long n = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000;
  if ((what != "all" && what != "refresh" && what != "steps") || n <= 0 || n > kMaxCount) {
    std::fprintf(stderr, "usage: bench_debugsession [refresh|steps|all] [N up to %ld]\n", kMaxCount);
    return 2;
  }
  SrvHost qt(argc, argv);
  char templ[] = "/tmp/bench-debugsession-XXXXXX";
  if (!mkdtemp(templ)) return 1;
  g_dir = templ;
  setenv(REG_ENV_DIRECTORY, g_dir.c_str(), 1);
  reg_reset_default_store();
  Cfg_SetProfile(nullptr);
  PrintSink sink;
  Shell_SetSink(&sink);
  SrvConn::Initialize();
  Sys_RegSet("Directories", "bin", BinDirectory().c_str());
  int code = 0;
  {
    BenchHost host;
    Debug_SetHost(&host);
    if (what != "steps") code = RunRefresh(host, n);
    if (code == 0 && what != "refresh") code = RunSteps(host, n);
    EndSession();
    Debug_SetHost(nullptr);
  }
  SrvConn::CloseAll();
  Shell_SetSink(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(g_dir, ignored);
  return code;
}
