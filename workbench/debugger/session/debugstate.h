// The session state shared by the core's own files (not for other rooms).
#pragma once

#include <cstdint>
#include <string>

struct DebugStopState {
  std::string unshown_file;  // file of the last stop no document could show
  std::string last_file;     // file of the last stop shown
  uint16_t last_segment = 0;
};

DebugStopState& Debug_StopState();
// Queues a line of program output for the Debug tab and notes that the tab
// holds text.
void Debug_QueueOutputLine(const std::string& line);
// Notes that text went to the Debug tab (any thread).
void Debug_MarkTabText();
