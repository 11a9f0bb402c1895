// A shell sink for tests: records every box and debugger output, answers
// boxes with a chosen button, and throws instead of ending the process.
#pragma once

#include <string>
#include <vector>

#include "workbench/base/shellsink.h"

struct RecordedBox {
  std::string caption;
  std::string text;
  unsigned style;
};

struct ProcessEnded {
  int code;
};

class RecordingSink : public ShellSink {
 public:
  RecordingSink() { previous_ = Shell_SetSink(this); }
  ~RecordingSink() override { Shell_SetSink(previous_); }

  int message_box(void*, const char* caption, const char* text, unsigned style) override {
    boxes.push_back({caption ? caption : "", text ? text : "", style});
    return answer;
  }
  void debug_output(const char* text) override { debug += text; }
  bool open_text_file(const char* path) override {
    opened.push_back(path);
    return open_result;
  }
  void end_process(int code) override { throw ProcessEnded{code}; }
  void beep(unsigned kind) override { beeps.push_back(kind); }

  std::vector<RecordedBox> boxes;
  std::string debug;
  std::vector<std::string> opened;
  std::vector<unsigned> beeps;
  int answer = SHELL_IDOK;
  bool open_result = true;

 private:
  ShellSink* previous_ = nullptr;
};
