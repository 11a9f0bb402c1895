// What the program library's tests share: a shell sink that records the
// boxes the facade shows, and helpers to build and read program images.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/programs/yqapi.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace progtest {

struct Box {
  std::string text;
  unsigned style = 0;
};

class RecordingSink : public ShellSink {
 public:
  std::vector<Box> boxes;
  int message_box(void*, const char*, const char* text, unsigned style) override {
    boxes.push_back({text != nullptr ? text : "", style});
    return SHELL_IDOK;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int) override { throw std::runtime_error("end_process"); }
};

// Installs the recording sink and the throwing check handler for a test.
struct ProgramsTest : ::testing::Test {
  RecordingSink sink;
  ShellSink* old_sink = nullptr;
  SysAssertHandler old_handler = nullptr;
  void SetUp() override {
    old_sink = Shell_SetSink(&sink);
    old_handler = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  }
  void TearDown() override {
    Shell_SetSink(old_sink);
    Sys_SetAssertHandler(old_handler);
  }
};

// Compiles every line; fails the test at the first line that does not store.
inline void compile_all(YqApiProgram* prog, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    ASSERT_EQ(prog->CompileLine(l.c_str(), nullptr, nullptr), 1) << l << ": " << prog->ErrorText();
  }
}

// The image of a program (empty after a failure).
inline std::vector<uint8_t> image_of(YqApiProgram* prog) {
  size_t size = 0;
  if (prog->PrepareStore(&size) != 0) return {};
  std::vector<uint8_t> out(size);
  if (prog->Store(out.data()) != 0) return {};
  return out;
}

// Every line of a program as the facade lists it, one per text line.
inline std::string listing_of(const YqApiProgram& prog) {
  std::string out;
  YqApiIter it;
  if (!it.First(prog)) return out;
  while (it.NextLine()) {
    out += prog.ListLine(it, 5);
    out += "\n";
  }
  return out;
}

}  // namespace progtest
