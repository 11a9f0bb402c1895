// Test helpers for the stand-in dialog server and runsrv (started through
// tests/support/standin.h) and their logs.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "standin.h"

namespace dlgserver_test {

// A dialog server or runsrv: StandIn("dlgserver") or StandIn("runsrv").
using StandIn = vtest::StandIn;

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
