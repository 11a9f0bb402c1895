// Test helper: the stand-in database server on port 0 (see
// tests/support/standin.h), with the frames it received.
#pragma once

#include <string>
#include <vector>

#include "standin.h"

namespace dbserver_test {

class StandIn : public vtest::StandIn {
 public:
  explicit StandIn(const std::vector<std::string>& options = {}) : vtest::StandIn("dbserver", options) {}

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
};

}  // namespace dbserver_test
