// formmorph's command line: usage, the driver's source, debug levels.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

const char kUsageRest[] =
    " [options] outfile infile [...]\n"
    "options:\n"
    " -help               - show usage (this list)\n"
    " -debug[n]           - set debug level\n"
    " -driver driver      - set driver (and arguments)\n"
    "\n"
    "Optional arguments must be specified in the order\n"
    "as listed above.\n"
    "If the environment variable DRIVER is defined, it\n"
    "is used to define the driver and optional arguments.\n"
    "The driver argument may specify additional arguments\n"
    "that are passed to the driver.\n"
    "\n"
    "For example:\n"
    " formmorph -driver \"@pc ConfigSection\" out.idm in.dlg\n"
    "\n";

const char kBanner[] = "\nQ7702K FORMMORPH ";

class FormmorphTool : public ::testing::Test {
 protected:
  // Runs formmorph (named "formmorph" in its messages) in a folder whose
  // parent holds no "etc", with an empty registry.
  vtest::RunResult run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
    vtest::RunOptions o = vtest::in_folder(dir.path());
    o.env = env;
    o.env["VARNICA_REGISTRY"] = dir.path();
    if (!env.count("DRIVER")) o.unset_env.push_back("DRIVER");
    o.timeout_seconds = 30;
    vtest::RunResult r = vtest::run(program, args, o);
    // The banner stands first, without an empty line after it.
    EXPECT_EQ(r.err.compare(0, sizeof kBanner - 1, kBanner), 0) << r.err;
    size_t end = r.err.find('\n', 1);
    r.err = end == std::string::npos ? r.err : r.err.substr(end + 1);
    return r;
  }
  std::string usage() const { return "usage: " + program + kUsageRest; }
  vtest::TempDir dir;
  std::string program = vtest::tool_path("formmorph");
};

TEST_F(FormmorphTool, UsageEndsWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"-help"},
      {"-help", "out.idm", "in.dlg"},
      {"-driver", "dlg://host", "out.idm"},
      {"-debug", "-driver", "dlg://host", "out.idm"},
      {"-driver"},
  };
  for (const auto& args : cases) {
    vtest::RunResult r = run(args);
    EXPECT_EQ(r.exit_code, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.err, usage()) << testing::PrintToString(args);
  }
}

TEST_F(FormmorphTool, VersionIsTheBanner) {
  vtest::RunResult r = run({"-version"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
}

TEST_F(FormmorphTool, WithoutADriverNothingRuns) {
  vtest::RunResult r = run({"out.idm", "in.dlg"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, program + ": no driver specified\n");
  r = run({"out.idm", "in.dlg"}, {{"DRIVER", ""}});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, program + ": no driver specified\n");
}

// The trace lines of a level: "D<n>: " lines up to the level only.
TEST_F(FormmorphTool, DebugLevelsSelectTraceLines) {
  struct Case {
    std::vector<std::string> options;
    bool d1, d2;
  };
  const Case cases[] = {
      {{}, false, false},
      {{"-debug"}, true, false},
      {{"-debug0"}, true, false},
      {{"-debug3"}, true, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    // No "zell.ini" and no service: the default service 8011. Port 1 on
    // loopback refuses, so the start fails either way.
    args.insert(args.end(), {"-driver", "dlg://127.0.0.1:1", "out.idm", "in.dlg"});
    vtest::RunResult r = run(args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("formmorph: driver startup failed, cc = 31\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("D1: zelldlg: connecting host 127.0.0.1:1\n") != std::string::npos, c.d1) << r.err;
    EXPECT_EQ(r.err.find("D2: ") != std::string::npos, c.d2) << r.err;
  }
}

TEST_F(FormmorphTool, AHostAloneTakesServiceEightyEleven) {
  vtest::RunResult r = run({"-debug", "-driver", "dlg://127.0.0.1", "out.idm", "in.dlg"});
  EXPECT_NE(r.err.find("D1: zelldlg: connecting host 127.0.0.1:8011\n"), std::string::npos) << r.err;
}

TEST_F(FormmorphTool, OverLongAddressesFailTheStart) {
  vtest::RunResult r = run({"-driver", "dlg://" + std::string(256, 'h') + ":1", "out.idm", "in.dlg"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("formmorph: Hostname exceeds maximum\n"), std::string::npos) << r.err;
  r = run({"-driver", "dlg://host:" + std::string(32, '1'), "out.idm", "in.dlg"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("formmorph: Service name or port number exceeds maximum\n"), std::string::npos) << r.err;
  r = run({"-driver", "@", "out.idm", "in.dlg"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("driver startup failed, cc = 31"), std::string::npos) << r.err;
}

}  // namespace
