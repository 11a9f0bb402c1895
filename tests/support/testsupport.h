// Helpers shared by the tests of every room: run a built program and capture
// what it printed, make a private temporary folder, read and write whole files.
#pragma once

#include <map>
#include <cstdio>
#include <string>
#include <vector>

namespace vtest {

struct RunResult {
  int exit_code = -1;  // exit status, or 128 + signal number
  std::string out;     // standard output
  std::string err;     // standard error
};

struct RunOptions {
  std::string input;                       // written to standard input, then closed
  std::string cwd;                         // working folder; empty keeps ours
  std::map<std::string, std::string> env;  // added to (or replacing) our environment
  std::vector<std::string> unset_env;      // removed from the environment
  int timeout_seconds = 60;                // the child is killed after this
};

// Folder of the built programs (VARNICA_BIN_DIR, else the build's own).
std::string bin_dir();
// The source tree's top folder (VARNICA_SOURCE_DIR, else the configured one).
std::string source_dir();
// Full path of a built program.
std::string tool_path(const std::string& name);

// Options that run a program in the folder `cwd`.
RunOptions in_folder(const std::string& cwd);

// Runs `program` (a path, or a name in bin_dir()) with `args`.
RunResult run(const std::string& program, const std::vector<std::string>& args, const RunOptions& options = {});

// A fresh folder under $TMPDIR that is removed with everything in it when the
// object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Standard error of a tool with its start-up banner taken off the front:
// "\n<product> <TOOL> <notice> (<version>)\n\n". A missing banner fails the
// current test and gives back the text unchanged.
std::string strip_banner(const std::string& err, const std::string& tool);

// Names (not paths) of the files in `folder` that end in `suffix`, sorted;
// none when the folder cannot be read.
std::vector<std::string> files_with_suffix(const std::string& folder, const std::string& suffix);

// Captures what this process writes to standard output or standard error
// (both the C stream and the descriptor under it) from construction until
// text(), which gives it back and restores the stream. At most one capture
// per stream at a time.
class CaptureOutput {
 public:
  explicit CaptureOutput(FILE* stream);  // stdout or stderr
  ~CaptureOutput();
  CaptureOutput(const CaptureOutput&) = delete;
  CaptureOutput& operator=(const CaptureOutput&) = delete;
  // Ends the capture (once) and gives what was written.
  std::string text();

 private:
  FILE* stream_;
  int saved_fd_ = -1;
  std::string path_;
  bool done_ = false;
  std::string text_;
};

std::string read_file(const std::string& path);  // whole file; throws when unreadable
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

}  // namespace vtest
