// Test helper: starts a stand-in peer (the database server, the dialog
// server, runsrv, ...) on port 0 with its log in a temporary folder, reads
// the port from its first line, and ends it when the object goes. The peer
// also ends by itself when its standard input closes or the test process
// dies.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace vtest {

class StandIn {
 public:
  // Runs `program` (a program of the build's bin folder) with "--stdin",
  // "--log FILE" and `options`; throws when it does not print a port.
  explicit StandIn(const std::string& program, const std::vector<std::string>& options = {});
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  int port() const { return port_; }
  std::string service() const { return std::to_string(port_); }
  const std::string& log_path() const { return log_path_; }
  // What the peer has logged so far ("" before its first line).
  std::string log() const;
  // Waits until the log holds `text` (a peer notes what happens on its own
  // threads, after the client has moved on); false after `timeout_ms`.
  bool wait_for_log(const std::string& text, int timeout_ms = 5000) const;
  const TempDir& dir() const { return dir_; }

 private:
  void stop();  // closes its input and waits for it (kills it after 2 s)

  TempDir dir_;
  std::string log_path_;
  pid_t pid_ = -1;
  int stdin_fd_ = -1;
  int port_ = 0;
};

}  // namespace vtest
