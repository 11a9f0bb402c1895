// The one road from the environment's shell modules to the user and to the
// process: message boxes, the debugger output, opening a text file in a
// viewer and ending the process. The windowed environment installs a sink
// that shows real boxes; tests install one that records and answers.
#pragma once

// Box styles, with the numbers of the classic message-box API so that the
// windowed sink can map them one to one.
enum : unsigned {
  SHELL_MB_OK = 0x00,
  SHELL_MB_OKCANCEL = 0x01,
  SHELL_MB_YESNOCANCEL = 0x03,
  SHELL_MB_YESNO = 0x04,
  SHELL_MB_RETRYCANCEL = 0x05,
  SHELL_MB_BUTTONS = 0x0F,  // the bits of the button set
  SHELL_MB_ICONSTOP = 0x10,
  SHELL_MB_ICONQUESTION = 0x20,
  SHELL_MB_ICONEXCLAMATION = 0x30,
  SHELL_MB_ICONINFORMATION = 0x40,
  SHELL_MB_ICONS = 0xF0,  // the bits of the icon
  SHELL_MB_DEFBUTTON2 = 0x100,
  SHELL_MB_DEFBUTTON3 = 0x200,
};

// Box results.
enum : int { SHELL_IDOK = 1, SHELL_IDCANCEL = 2, SHELL_IDRETRY = 4, SHELL_IDYES = 6, SHELL_IDNO = 7 };

class ShellSink {
 public:
  virtual ~ShellSink() = default;
  // Shows a modal box owned by `owner` (the main window, or null) and
  // returns the button pressed.
  virtual int message_box(void* owner, const char* caption, const char* text, unsigned style) = 0;
  // Text for the debugger output (no line feed added).
  virtual void debug_output(const char* text) = 0;
  // Opens a text file for the user to read; false when that failed.
  virtual bool open_text_file(const char* path) = 0;
  // Ends the process. A test sink may throw instead; if it returns, the
  // caller ends the process itself.
  virtual void end_process(int code) = 0;
  // A beep of the given kind (one of the box icons, SHELL_MB_OK for the
  // plain beep). Sinks without a speaker ignore it.
  virtual void beep(unsigned kind) { (void)kind; }
};

// The owner of every box: the main frame's window, recorded once when the
// frame is up. Shell_SetOwnerWindow gives false (and changes nothing) when a
// window is already recorded; null forgets it.
bool Shell_SetOwnerWindow(void* window);
void* Shell_OwnerWindow();

// The caption of framework boxes such as the failed-check box ("tessarine"
// until set; an empty or null name restores it).
void Shell_SetAppName(const char* name);
const char* Shell_AppName();

// The sink in force (a console sink that writes to standard error until
// another is installed).
ShellSink& Shell_Sink();
// Installs a sink (null restores the console sink); returns the previous one.
ShellSink* Shell_SetSink(ShellSink* sink);
