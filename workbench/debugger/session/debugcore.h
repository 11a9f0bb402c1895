// The debugger core: at most one debug session, held as the exchange
// `DebugQueue` of the server link, started locally (the run-time connects
// back to us) or remotely (through a program server); the debug requests,
// the reply loop that every request ends in, stop locations, variable paths
// and the environment's macro expansion.
//
// States: no session (DebugQueue null) -> starting -> stopped (no exchange
// pending, the current statement marked) <-> running (an exchange pending,
// the GUI thread in the server link's nested wait) -> no session. Halt sends
// BREAK one-way; Terminate or the run-time's end cancel the pending exchange,
// whose failure ends the session through Debug_CheckSession.
//
// Everything here runs on the GUI thread, except the two worker threads of a
// local session, which only post 0x71f (an output text) and 0x71a (the
// run-time ended) through DebugHost::PostOutput and PostEnded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbench/debugger/session/debughost.h"

class SrvQueue;
class Variable;
class VariableRows;

// The exchange of the running session; null when there is none.
extern SrvQueue* DebugQueue;

// Reply codes of the reply loop.
enum : int {
  DEBUG_REPLY_DONE = 0,    // the target waits; the request's own data follow
  DEBUG_REPLY_OUTPUT = 1,  // program output lines
  DEBUG_REPLY_ERROR = 2,   // a message for the user; the request failed
};

// Run modes of CONT.
enum : int { DEBUG_MODE_RUN = 0, DEBUG_MODE_STEP_INTO = 1, DEBUG_MODE_STEP_OVER = 2, DEBUG_MODE_STEP_OUT = 3 };

// The exchange flag recording that the Debug tab was brought forward in this
// session.
enum : uint16_t { DEBUG_QUEUE_TAB_SHOWN = 0x40 };

// How long an ended local run-time may live on before SIGTERM, and again
// before SIGKILL (ms).
enum : int { DEBUG_REAP_GRACE_MS = 2000 };

// Bytes that program output may not bring into the Debug tab: ESC starts
// the text object's colour switches, and 0x80-0x9F are its attribute
// switches while the tab shows enhancement characters.
enum : unsigned char { DEBUG_BYTE_ESC = 0x1B, DEBUG_C1_FIRST = 0x80, DEBUG_C1_LAST = 0x9F };

// The largest piece of a line without line feed that the output reader posts
// at once.
enum : size_t { DEBUG_OUTPUT_PIECE_MAX = 64 * 1024 };

// ---- plugging --------------------------------------------------------------

// The environment's side; must be set before a session starts (null
// unplugs).
void Debug_SetHost(DebugHost* host);
DebugHost* Debug_Host();

// ---- session control ---------------------------------------------------------

// Starts the current session entry and uploads the breakpoints; wait_stop:
// the start ends at the first stop (a step), else the program runs on.
SrvQueue* Debug_StartSession(bool wait_stop);
SrvQueue* Debug_StartLocal(const std::string& entry, bool wait_stop);
SrvQueue* Debug_StartRemote(const std::string& entry, int server_index, bool wait_stop);
void Debug_EndSession();
// After a failed command: ends the session unless its exchange was not
// cancelled and its connection is still active.
void Debug_CheckSession();
void Debug_DropQueue();
bool Debug_ClearStopDisplay();
bool Debug_ResetState();
bool Debug_FlushBreakpoints();
void Debug_ReportNoSetup();
// True while the session's exchange waits for the target.
bool Debug_SessionWaiting();
// Cancels the exchange the session waits for (Terminate while running, the
// run-time's end).
void Debug_CancelPending();
// A debug command is in progress (the main frame's busy flag).
bool Debug_Busy();
void Debug_SetBusy(bool busy);
// 0x71f: the text of one output block for the Debug tab.
void Debug_OnOutputText(const std::string& text);
// True when the Debug tab received text since it was last cleared.
bool Debug_TabHasText();

// ---- requests ----------------------------------------------------------------

int Debug_Response();
void Debug_WaitStop();
bool Debug_GetLocation(DebugLocation* location);
bool Debug_ShowLocation(const DebugLocation& location, bool activate, bool force);
bool Debug_TranslatePath(const std::string& path, std::string* out);
bool Debug_Cmd_CONT(int mode, bool trace);
bool Debug_Cmd_BREAK();
bool Debug_Cmd_CALLSTACK();
// parent null: the top level of the current scope (rows from the Variables
// pane); idx: the parent's row, -1 for none.
bool Debug_Cmd_GET_ELEMENTS(Variable* parent, int idx);
bool Debug_Cmd_GET_ELEMENTS(VariableRows& rows, Variable* parent, int idx);
bool Debug_Cmd_SET_ELEMENT(const Variable* var);
bool Debug_Cmd_SET_BREAKPT();

// The stop-display state of the session.
const std::string& Debug_UnshownFile();
const std::string& Debug_LastFile();
uint16_t Debug_LastSegment();

// ---- pieces without a session -------------------------------------------------

// Writes the path of a variable (null: the top level) to the exchange.
void Debug_PutVariablePath(SrvQueue& queue, const Variable* var);
// Reads one element of a GET_ELEMENTS reply; throws CUserException (after a
// report) on a kind code that names no kind.
std::unique_ptr<Variable> Debug_GetElement(SrvQueue& queue, int32_t handle);

// Expands "$(NAME)", "$H", "$I" and "$L" (see the .cpp); host and login may
// be null.
std::string Debug_ExpandMacros(const char* text, const char* host, const char* login);

// The call-stack window's line of an entry.
std::string Debug_StackLine(const DebugLocation& entry);

// The argument vector of a local run-time: the executable, "-f" when the
// run-time shows its window, "-rconnect", "host:port", then the command's
// words.
std::vector<std::string> Debug_LocalArguments(const std::string& executable, bool show_window, const std::string& host,
                                              const std::string& port, const std::vector<std::string>& words);
// The command with the foreground program appended (one quoted word, its
// extension cut when the dot follows the last slash or backslash).
std::string Debug_AppendProgram(const std::string& command, const std::string& path);

// Splits the run-time's output into lines as the output reader does:
// carriage returns are dropped, each line feed ends a line (empty lines
// too), NUL and ESC bytes are dropped, and 0x80-0x9F as well when
// `drop_c1` is set. A line that grows to `piece_max` bytes without a line
// feed is given out as a piece.
class DebugLineSplitter {
 public:
  explicit DebugLineSplitter(bool drop_c1 = false, size_t piece_max = DEBUG_OUTPUT_PIECE_MAX)
      : drop_c1_(drop_c1), piece_max_(piece_max) {}
  // The lines completed by these bytes.
  std::vector<std::string> Feed(const char* data, size_t n);
  // The last line when it did not end with a line feed (empty: none).
  std::string Finish();

 private:
  bool drop_c1_;
  size_t piece_max_;
  std::string line_;
};

// The text the exit watcher posts for a run-time's exit code (empty: none):
// with a non-zero code, or when the Debug tab holds text, "Process
// terminated with exit code %ld (0x%lx).", after a line feed when the tab
// holds text.
std::string Debug_ExitLine(long code, bool tab_has_text);
