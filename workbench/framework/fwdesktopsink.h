// The shell's sink on the desktop: message boxes with the captions given,
// beeps through the windowing system, text files opened by the desktop.
#pragma once

#include "workbench/base/shellsink.h"

class FwDesktopSink : public ShellSink {
 public:
  int message_box(void* owner, const char* caption, const char* text, unsigned style) override;
  void debug_output(const char* text) override;
  bool open_text_file(const char* path) override;
  void end_process(int code) override;
  void beep(unsigned kind) override;
};
