// The debug requests, the reply loop, stop locations and their display,
// variable paths and elements.
#include <cstring>

#include "workbench/base/diag.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debugstate.h"
#include "workbench/debugger/variables/variable.h"
#include "workbench/debugger/variables/variablelink.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/server/srvrequests.h"

namespace {

// The session's exchange, checked at each round of the reply loop.
SrvQueue& queue_or_throw() {
  if (!DebugQueue) throw CUserException();
  return *DebugQueue;
}

// A request's start: the trace line, the session check, a clean exchange.
SrvQueue& begin_request(const char* trace_line) {
  Diag_Trace('Q', 2, "%s", trace_line);
  SYS_ASSERT(DebugQueue);
  DebugQueue->Reset();
  return *DebugQueue;
}

// A short-lived second exchange on the remote session's server, for the
// requests that must not disturb the stopped target; null for a local
// session or when none can be opened.
SrvQueue* open_second_exchange() {
  if (!DebugQueue || !DebugQueue->conn_link) return nullptr;
  SrvConn* c = DebugQueue->conn_link;
  if (c->login.empty()) return nullptr;
  return SrvConn::Connect(c->host.c_str(), c->service.c_str(), c->login.c_str(), c->password.c_str());
}

bool is_remote_session() { return DebugQueue && DebugQueue->conn_link && !DebugQueue->conn_link->login.empty(); }

// Request 63 or 64 on a second exchange: the answer, or false.
bool ask_server(int request, const std::string& text, bool raw_answer, std::string* answer) {
  SrvQueue* q = open_second_exchange();
  if (!q) return false;
  bool ok = false;
  try {
    q->PutShort(request);
    if (request == SRV_REQ_LOCATION)
      q->PutStringRaw(text.c_str());
    else
      q->PutString(text.c_str());
    q->Go();
    if (q->GetShort() == 0) {
      *answer = raw_answer ? q->GetStringRaw() : q->GetString();
      ok = true;
    }
  } catch (const CUserException&) {
  }
  delete q;
  return ok;
}

}  // namespace

// ------------------------------------------------------------ reply loop

int Debug_Response() {
  for (;;) {
    SrvQueue& q = queue_or_throw();
    int32_t code = q.GetShort();
    switch (code) {
      case DEBUG_REPLY_DONE: return 0;
      case DEBUG_REPLY_OUTPUT: {
        for (;;) {
          std::string line = q.GetString();
          unsigned more = q.GetByte();
          Debug_QueueOutputLine(line);
          if (more == 0) break;
        }
        if (!(q.flags & DEBUG_QUEUE_TAB_SHOWN)) {
          q.flags |= DEBUG_QUEUE_TAB_SHOWN;
          if (DebugHost* h = Debug_Host()) h->ShowDebugTabOnIdle();
        }
        q.Continue();
        break;
      }
      case DEBUG_REPLY_ERROR: {
        std::string text = q.GetString();
        Shell_Sink().message_box(Shell_OwnerWindow(), "Run/Continue", text.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
        throw CUserException();
      }
      default:
        // A peer that sends what no target sends fails the request; it never
        // ends the environment.
        Diag_GeneralFailure("Debug_Response() invalid reply code %d.\n%s", static_cast<int>(code),
                            q.Describe().c_str());
        throw CUserException();
    }
  }
}

bool Debug_GetLocation(DebugLocation* location) {
  if (!DebugQueue) return false;
  try {
    SrvQueue& q = *DebugQueue;
    location->file = q.GetStringRaw();
    location->segment = static_cast<uint16_t>(q.GetUShort());
    location->line = static_cast<uint16_t>(q.GetUShort());
    location->text1 = q.GetString();
    location->text2 = q.GetString();
    location->text3 = q.GetString();
  } catch (const CUserException&) {
    return false;
  }
  Diag_Trace('Q', 2, "Debug_GetLocation() file=\"%s\", segment=%u, line=%u", location->file.c_str(),
             static_cast<unsigned>(location->segment), static_cast<unsigned>(location->line));
  return true;
}

void Debug_WaitStop() {
  Debug_Response();
  DebugLocation location;
  if (!Debug_GetLocation(&location)) throw CUserException();
  if (!Debug_ShowLocation(location, true, false)) throw CUserException();
  if (!Debug_Cmd_CALLSTACK()) throw CUserException();
  DebugHost* h = Debug_Host();
  VariablesPane* pane = h ? h->Variables() : nullptr;
  if (pane && pane->IsOpen() && !Debug_Cmd_GET_ELEMENTS(nullptr, -1)) throw CUserException();
}

// ------------------------------------------------------------ stop display

bool Debug_ShowLocation(const DebugLocation& location, bool activate, bool force) {
  DebugHost* h = Debug_Host();
  DebugStopState& s = Debug_StopState();
  std::string open_name;
  const bool look_up = location.file != s.unshown_file;
  if (look_up) {
    s.unshown_file.clear();
    if (is_remote_session()) {
      std::string path;
      if (ask_server(SRV_REQ_LOCATION, location.file, false, &path))
        open_name = DebugQueue->conn_link->host + "://" + path;
    } else {
      open_name = location.file;
    }
  }
  bool file_changed = location.file != s.last_file;
  bool segment_changed = location.segment != s.last_segment;
  if (activate && h) h->ClearStatementMarks();
  if ((file_changed || segment_changed) && h)
    if (VariablesPane* pane = h->Variables()) pane->ResetContents();
  DebugShown shown =
      h ? h->ShowStop(location, look_up, open_name, activate, file_changed || force) : DebugShown::NO_DOCUMENT;
  if (shown == DebugShown::NO_SEGMENT) return false;
  if (shown == DebugShown::SHOWN) {
    s.unshown_file.clear();
  } else {
    s.unshown_file = location.file;
    if (activate && h) h->ShowCallStack();
  }
  s.last_file = location.file;
  s.last_segment = location.segment;
  return true;
}

bool Debug_TranslatePath(const std::string& path, std::string* out) {
  if (!DebugQueue) return false;
  size_t sep = path.find("://");
  if (is_remote_session()) {
    if (sep == std::string::npos) return false;
    return ask_server(SRV_REQ_TRANSLATE_PATH, path.substr(sep + 3), true, out);
  }
  if (sep != std::string::npos) return false;
  *out = path;
  return true;
}

// ------------------------------------------------------------ requests

bool Debug_Cmd_CONT(int mode, bool trace) {
  SrvQueue& q = begin_request("Debug_Cmd_CONT()");
  if (!Debug_FlushBreakpoints()) return false;
  try {
    q.Reset();
    q.PutShort(SRV_REQ_CONTINUE);
    q.PutShort(mode);
    q.PutShort(trace ? 1 : 0);
    q.Go();
    Debug_WaitStop();
  } catch (const CUserException&) {
    return false;
  }
  return true;
}

bool Debug_Cmd_BREAK() {
  // The program runs: the pending exchange stays as it is.
  Diag_Trace('Q', 2, "Debug_Cmd_BREAK()");
  SYS_ASSERT(DebugQueue);
  SrvQueue& q = *DebugQueue;
  q.send_buf.Clear();
  q.PutShort(SRV_REQ_BREAK);
  return q.SendOneWay();
}

bool Debug_Cmd_CALLSTACK() {
  SrvQueue& q = begin_request("Debug_Cmd_CALLSTACK()");
  DebugHost* h = Debug_Host();
  if (!h) return true;
  h->ClearCallStack();
  if (!h->CallStackOpen()) return true;
  try {
    q.PutShort(SRV_REQ_CALL_STACK);
    q.Go();
    Debug_Response();
    uint32_t n = q.GetUShort();
    for (uint32_t i = 0; i < n; ++i) {
      DebugLocation entry;
      if (!Debug_GetLocation(&entry)) return false;
      h->AddCallStackEntry(entry);
    }
  } catch (const CUserException&) {
    return false;
  }
  return true;
}

void Debug_PutVariablePath(SrvQueue& queue, const Variable* var) {
  VariablePath path = Variable_GetPath(var);
  queue.PutLong(static_cast<uint32_t>(path.handle));
  queue.PutShort(static_cast<int>(path.indices.size()));
  for (uint16_t index : path.indices) queue.PutShort(index);
}

std::unique_ptr<Variable> Debug_GetElement(SrvQueue& queue, int32_t handle) {
  uint16_t index = static_cast<uint16_t>(queue.GetUShort());
  std::string name = queue.GetString();
  uint8_t kind = static_cast<uint8_t>(queue.GetByte());
  std::string value = queue.GetString();
  if (!Variable_KindName(kind)) {
    Diag_GeneralFailure("Debug_GetElement() invalid kind code %u of \"%s\".\n%s", static_cast<unsigned>(kind),
                        name.c_str(), queue.Describe().c_str());
    throw CUserException();
  }
  return Variable_Create(kind, name.c_str(), value, handle, index);
}

bool Debug_Cmd_GET_ELEMENTS(Variable* parent, int idx) {
  DebugHost* h = Debug_Host();
  VariablesPane* pane = h ? h->Variables() : nullptr;
  VariableRows* rows = pane ? pane->Rows() : nullptr;
  if (!rows) {
    Diag_Trace('Q', 2, "Debug_Cmd_GET_ELEMENTS()");
    return true;
  }
  return Debug_Cmd_GET_ELEMENTS(*rows, parent, idx);
}

bool Debug_Cmd_GET_ELEMENTS(VariableRows& rows, Variable* parent, int idx) {
  if (!parent)
    Diag_Trace('Q', 2, "Debug_Cmd_GET_ELEMENTS()");
  else if (idx < 0)
    Diag_Trace('Q', 2, "Debug_Cmd_GET_ELEMENTS(parent=%s)", parent->GetName().c_str());
  else
    Diag_Trace('Q', 2, "Debug_Cmd_GET_ELEMENTS(parent=%s, idx=%d)", parent->GetName().c_str(), idx);
  SYS_ASSERT(DebugQueue);
  VariableHandOver hand_over(rows, parent, idx);
  try {
    SrvQueue& q = *DebugQueue;
    q.Reset();
    q.PutShort(SRV_REQ_GET_ELEMENTS);
    Debug_PutVariablePath(q, parent);
    q.Go();
    Debug_Response();
    int32_t handle = static_cast<int32_t>(q.GetLong());
    uint32_t n = q.GetUShort();
    // Every element is decoded before any reaches the rows: the rows may
    // send requests of their own, which reuse the exchange's buffer.
    std::vector<std::unique_ptr<Variable>> elements;
    for (uint32_t i = 0; i < n; ++i) elements.push_back(Debug_GetElement(q, handle));
    for (auto& element : elements)
      if (element) hand_over.Take(std::move(element));
  } catch (const CUserException&) {
    return false;
  }
  return hand_over.Finish();
}

bool Debug_Cmd_SET_ELEMENT(const Variable* var) {
  SrvQueue& q = begin_request("Debug_Cmd_SET_ELEMENT()");
  SYS_ASSERT(var);
  try {
    q.PutShort(SRV_REQ_SET_ELEMENT);
    Debug_PutVariablePath(q, var);
    q.PutString(var->GetValueText().c_str());
    q.Go();
    Debug_Response();
  } catch (const CUserException&) {
    return false;
  }
  return true;
}

bool Debug_Cmd_SET_BREAKPT() {
  SrvQueue& q = begin_request("Debug_Cmd_SET_BREAKPT()");
  DebugHost* h = Debug_Host();
  SYS_ASSERT(h);
  q.PutShort(SRV_REQ_SET_BREAKPOINTS);
  h->UpdateBreakpointList();
  CfgBreakpoints& list = h->Breakpoints();
  // One translation per file: the list is ordered by file name.
  std::string last_file, last_target;
  bool last_ok = false, have_last = false;
  int count = 0;
  for (CfgBreakpoint* b = list.head; b; b = b->next) {
    if (!b->HasTargetName()) {
      if (!have_last || b->FileName != last_file) {
        last_file = b->FileName;
        last_target.clear();
        last_ok = Debug_TranslatePath(b->FileName, &last_target);
        have_last = true;
      }
      if (!last_ok) continue;
      b->SetTargetName(last_target.c_str());
    }
    ++count;
  }
  q.PutShort(count);
  for (CfgBreakpoint* b = list.head; b; b = b->next) {
    if (!b->HasTargetName()) continue;
    q.PutStringRaw(b->TargetName.c_str());
    q.PutShort(b->Segment);
    q.PutShort(b->Line);
  }
  h->RefreshBreakpointMarks();
  try {
    q.Go();
    Debug_Response();
  } catch (const CUserException&) {
    h->RefreshBreakpointMarks();
    return false;
  }
  return true;
}

std::string Debug_StackLine(const DebugLocation& entry) {
  std::string line = entry.text3;
  if (!entry.text2.empty()) line += " (" + entry.text2 + ")";
  return line + ": " + entry.text1;
}
