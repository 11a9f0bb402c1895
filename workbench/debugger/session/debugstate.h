// The session state shared by the core's own files (not for other rooms).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DebugHost;
struct DebugLocalRun;

struct DebugStopState {
  std::string unshown_file;  // file of the last stop no document could show
  std::string last_file;     // file of the last stop shown
  uint16_t last_segment = 0;
};

// Everything the debugger core keeps between calls, in one place.
struct DebugContext {
  DebugContext();
  ~DebugContext();
  DebugHost* host = nullptr;
  DebugStopState stop;
  std::atomic<bool> tab_has_text{false};  // written by the worker threads too
  bool busy = false;                      // a debug command in progress
  // Local run-times whose process or threads are not finished yet (GUI
  // thread only); a finished one is joined and dropped at the next start.
  std::vector<std::unique_ptr<DebugLocalRun>> runs;
  // The run-time of the session in progress (its number among the runs
  // started), 0 when the session has none.
  uint64_t runs_started = 0;
  uint64_t current_run = 0;
};

// The one context; it lives until the process ends, so that worker threads
// never outlive what they use.
DebugContext& Debug_Context();
DebugStopState& Debug_StopState();
// Drops the bytes the Debug tab must not get from a line of program
// output: NUL and ESC, and 0x80-0x9F when `drop_c1` is set.
std::string Debug_CleanOutputLine(const std::string& line, bool drop_c1);
// Queues a line of program output for the Debug tab and notes that the tab
// holds text.
void Debug_QueueOutputLine(const std::string& line);
// Notes that text went to the Debug tab (any thread).
void Debug_MarkTabText();
