// Test helper for the database tools: runs one against a stand-in and cuts
// the start-up banner (and the blank line after it) off standard error.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace dbserver_test {

// Standard error after the banner "\nQ7702K NAME ...\n" and its blank line.
inline std::string after_banner(const std::string& err, const std::string& banner) {
  const std::string head = "\nQ7702K " + banner + " ";
  EXPECT_EQ(err.rfind(head, 0), 0u) << err;
  size_t end = err.find("\n\n", 1);
  return end == std::string::npos ? err : err.substr(end + 2);
}

// The text without getopt's own complaints ("prog: invalid option -- 'x'").
inline std::string without_getopt_lines(std::string err, const std::string& prog) {
  while (err.rfind(prog + ": invalid option", 0) == 0 || err.rfind(prog + ": option requires", 0) == 0 ||
         err.rfind(prog + ": unrecognized option", 0) == 0)
    err = err.substr(err.find('\n') + 1);
  return err;
}

inline vtest::RunResult run_tool(const std::string& tool, const std::vector<std::string>& args) {
  vtest::RunOptions options;
  options.timeout_seconds = 30;
  options.env["LOGNAME"] = "tester";
  return vtest::run(tool, args, options);
}

}  // namespace dbserver_test
