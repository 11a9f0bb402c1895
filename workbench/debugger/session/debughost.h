// What the debugger core asks of the environment's windows: the Debug tab of
// the output pane, the program documents' current-statement marks, the
// call-stack window, the Variables window and the breakpoint list. The
// windowed environment plugs in one object; tests plug in a recorder. Every
// call but PostOutput and PostEnded comes from the GUI thread.
#pragma once

#include <cstdint>
#include <string>

class CfgBreakpoints;
class CfgDebug;
class VariablesPane;

// One stop location as the target reports it.
struct DebugLocation {
  std::string file;  // the program file as the target knows it
  uint16_t segment = 0;
  uint16_t line = 0;
  std::string text1, text2, text3;  // display texts
};

// How ShowStop went.
enum class DebugShown { NO_DOCUMENT, SHOWN, NO_SEGMENT };

// The foreground program document for "Execute current window".
enum class DebugForeground { NONE, SAVE_FAILED, NOT_PROGRAM, READY };

class DebugHost {
 public:
  virtual ~DebugHost() = default;

  // ---- from any thread: posts to the main frame ----
  // An output text for the Debug tab (0x71f); the text travels with the
  // message and the receiver owns it. Thread-safe.
  virtual void PostOutput(std::string text) = 0;
  // The local run-time ended (0x71a). Thread-safe.
  virtual void PostEnded() = 0;

  // ---- the Debug tab (tab 1) of the output pane ----
  // Queues one line of program output (the pane adds the line feed).
  virtual void QueueOutputLine(const std::string& line) { (void)line; }
  // Brings the Debug tab forward at the next idle time.
  virtual void ShowDebugTabOnIdle() {}
  virtual void ClearDebugTab() {}

  // ---- program documents ----
  // Removes the current-statement mark from every program document.
  virtual void ClearStatementMarks() {}
  // Brings the main frame to the foreground.
  virtual void BringMainFrameForward() {}
  // Shows a stop in the document whose debug name is the location's file.
  // When none has it and `look_up` is set (the file was not given up on
  // before), a document is found for it: by `open_name` when that is an
  // absolute path (found open, or opened), otherwise a new document read
  // through the debug connection; the document takes the file as its debug
  // name. `file_changed` says whether the view jumps to another file.
  virtual DebugShown ShowStop(const DebugLocation& location, bool look_up, const std::string& open_name, bool activate,
                              bool file_changed) {
    (void)location;
    (void)look_up;
    (void)open_name;
    (void)activate;
    (void)file_changed;
    return DebugShown::NO_DOCUMENT;
  }
  // True while the output pane's Debug tab shows enhancement characters:
  // program output then loses the bytes 0x80-0x9F as well.
  virtual bool DebugTabUsesEnhancements() const { return false; }
  // The foreground program document's path for "Execute current window",
  // saved first when modified.
  virtual DebugForeground ForegroundProgram(std::string* path) {
    (void)path;
    return DebugForeground::NONE;
  }
  // The stored breakpoint list takes the documents' marks; the documents
  // mark their lines again from the list.
  virtual void UpdateBreakpointList() {}
  virtual void RefreshBreakpointMarks() {}

  // ---- the call-stack window ----
  virtual bool CallStackOpen() const { return false; }
  virtual void ClearCallStack() {}
  virtual void AddCallStackEntry(const DebugLocation& entry) { (void)entry; }
  virtual void ShowCallStack() {}

  // ---- the Variables window (null: none exists) ----
  virtual VariablesPane* Variables() { return nullptr; }

  // ---- settings and the status bar ----
  virtual CfgDebug& DebugSettings() = 0;
  virtual CfgBreakpoints& Breakpoints() = 0;
  virtual void StatusWarning(const char* text) { (void)text; }
  // A status-bar message of one of the status kinds (SK_PLAIN, SK_ERROR).
  virtual void Status(int kind, const std::string& text) {
    (void)kind;
    (void)text;
  }
  // The main frame's busy flag (a debug command in progress).
  virtual void SetBusy(bool busy) { (void)busy; }
};
