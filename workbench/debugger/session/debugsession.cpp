// Starting and ending debug sessions, the stop-display state and the
// environment's macro expansion.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "workbench/base/diag.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/session/debugstate.h"
#include "workbench/debugger/variables/variablelink.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/server/srvrequests.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/shell/statusmodel.h"

SrvQueue* DebugQueue = nullptr;

DebugContext& Debug_Context() {
  static auto* context = new DebugContext;
  return *context;
}

namespace {

void box(const char* caption, const char* text, unsigned icon) {
  Shell_Sink().message_box(Shell_OwnerWindow(), caption, text, SHELL_MB_OK | icon);
}

DebugHost& host() {
  SYS_ASSERT(Debug_Context().host);
  return *Debug_Context().host;
}

// Receives the start's first message and waits for the first stop, or only
// for the reply loop when the program runs on.
void finish_start(bool wait_stop) {
  DebugQueue->flags |= SrvQueue::SrvQueue_CONVERT;
  if (wait_stop)
    Debug_WaitStop();
  else
    Debug_Response();
}

}  // namespace

void Debug_SetHost(DebugHost* h) { Debug_Context().host = h; }
DebugHost* Debug_Host() { return Debug_Context().host; }
DebugStopState& Debug_StopState() { return Debug_Context().stop; }
const std::string& Debug_UnshownFile() { return Debug_Context().stop.unshown_file; }
const std::string& Debug_LastFile() { return Debug_Context().stop.last_file; }
uint16_t Debug_LastSegment() { return Debug_Context().stop.last_segment; }
bool Debug_TabHasText() { return Debug_Context().tab_has_text.load(); }
void Debug_MarkTabText() { Debug_Context().tab_has_text = true; }
bool Debug_Busy() { return Debug_Context().busy; }
void Debug_SetBusy(bool busy) {
  Debug_Context().busy = busy;
  if (DebugHost* h = Debug_Host()) h->SetBusy(busy);
}

void Debug_QueueOutputLine(const std::string& line) {
  DebugContext& c = Debug_Context();
  c.tab_has_text = true;
  if (c.host) c.host->QueueOutputLine(Debug_CleanOutputLine(line, c.host->DebugTabUsesEnhancements()));
}

void Debug_OnOutputText(const std::string& text) {
  DebugContext& c = Debug_Context();
  c.tab_has_text = true;
  if (!c.host) return;
  c.host->ShowDebugTabOnIdle();
  c.host->QueueOutputLine(text);
}

std::string Debug_CleanOutputLine(const std::string& line, bool drop_c1) {
  std::string out;
  out.reserve(line.size());
  for (char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0 || c == DEBUG_BYTE_ESC || (drop_c1 && c >= DEBUG_C1_FIRST && c <= DEBUG_C1_LAST)) continue;
    out += ch;
  }
  return out;
}

// ------------------------------------------------------------ session control

void Debug_ReportNoSetup() {
  box("Debug Session [1]",
      "Please setup your Debug Session Parameters\nin the Application Properties\nbefore you start a Debug Session.",
      SHELL_MB_ICONEXCLAMATION);
}

bool Debug_ResetState() {
  DebugContext& c = Debug_Context();
  if (c.host) {
    c.host->ClearDebugTab();
    if (VariablesPane* pane = c.host->Variables()) pane->ResetContents();
    c.host->ClearCallStack();
  }
  c.tab_has_text = false;
  c.stop = DebugStopState();
  return true;
}

bool Debug_ClearStopDisplay() {
  if (DebugHost* h = Debug_Host()) {
    h->ClearStatementMarks();
    h->BringMainFrameForward();
  }
  return true;
}

void Debug_DropQueue() {
  SrvQueue* old = DebugQueue;
  DebugQueue = nullptr;
  delete old;
  DebugLocal_SessionEnded();
}

void Debug_EndSession() {
  Debug_DropQueue();
  Debug_ClearStopDisplay();
}

bool Debug_SessionWaiting() { return DebugQueue && (DebugQueue->flags & SrvQueue::SrvQueue_BUSY); }

void Debug_CancelPending() {
  if (Debug_SessionWaiting()) DebugQueue->Cancel();
}

void Debug_CheckSession() {
  if (!DebugQueue) return;
  bool cancelled = (DebugQueue->flags & SrvQueue::SrvQueue_CANCELLED) != 0;
  bool active = DebugQueue->conn_link && (DebugQueue->conn_link->flags & SrvConn::SrvConn_ACTIVE);
  if (!cancelled && active) return;
  Debug_EndSession();
  if (DebugHost* h = Debug_Host()) h->StatusWarning("The current debug session has been terminated.");
}

bool Debug_FlushBreakpoints() {
  CfgBreakpoints& list = host().Breakpoints();
  if (list.pending) {
    list.pending = 0;
    return Debug_Cmd_SET_BREAKPT();
  }
  host().ClearStatementMarks();
  return true;
}

SrvQueue* Debug_StartSession(bool wait_stop) {
  SYS_ASSERT(!DebugQueue);
  Debug_ResetState();
  // The status bar's word on the last session's end is old news now.
  host().Status(SK_PLAIN, "");
  int32_t current = host().DebugSettings().CurrentSession;
  if (current < 0) {
    Debug_ReportNoSetup();
    return nullptr;
  }
  std::string entry = Cfg_ListGet("Debug", current);
  if (entry.empty()) {
    box("Debug Session [2]",
        "Please check your Debug Session Parameters\nin the Application Properties,\nthe selected debug session "
        "seems to be invalid.",
        SHELL_MB_ICONEXCLAMATION);
    return nullptr;
  }
  int server_index = Cfg_GetInt(entry.c_str(), "ServerIndex");
  if (server_index >= 1)
    Debug_StartRemote(entry, server_index - 1, wait_stop);
  else
    Debug_StartLocal(entry, wait_stop);
  if (!DebugQueue) return nullptr;
  host().Breakpoints().pending = 0;
  if (Debug_Cmd_SET_BREAKPT()) return DebugQueue;
  Debug_EndSession();
  return nullptr;
}

SrvQueue* Debug_StartRemote(const std::string& entry, int server_index, bool wait_stop) {
  SYS_ASSERT(!DebugQueue);
  const char* path = entry.c_str();
  std::string command = Cfg_GetString(path, "Command");
  if (command.empty()) {
    Debug_ReportNoSetup();
    return nullptr;
  }
  bool append = false;
  Cfg_GetBool(path, "AppendCurrentFile", &append);
  if (append) {
    box("Remote Debug Session [20]",
        "The \"Execute current window\" option is currently\nnot supported with remote debug sessions.\nPlease check "
        "your Debug Session Parameters\nin the Application Properties.\n",
        SHELL_MB_ICONEXCLAMATION);
    return nullptr;
  }
  std::string environment = Cfg_GetString(path, "Environment");
  std::string start_dir = Cfg_GetString(path, "StartDirectory");
  std::string tty = Cfg_GetString(path, "TtyDevice");
  std::string server = Cfg_ListGet("Server", server_index);
  if (server.empty()) {
    box("Remote Debug Session [21]",
        "Please check your Debug Session Parameters\nin the Application Properties,\nthe selected remote server seems "
        "to be invalid.",
        SHELL_MB_ICONEXCLAMATION);
    return nullptr;
  }
  std::string host_name = Cfg_EntryName(server.c_str());
  std::string service = Cfg_GetString(server.c_str(), "Service");
  std::string login = Cfg_GetString(server.c_str(), "Login");
  std::string secure = Cfg_GetString(server.c_str(), "SecurePswd");
  std::string password = secure.empty() ? std::string() : DecryptString(secure.c_str(), host_name.c_str());
  Debug_DropQueue();
  DebugQueue = SrvConn::DebugConnect(host_name.c_str(), service.c_str(), login.c_str(), password.c_str());
  if (!DebugQueue) return nullptr;
  try {
    CfgDebug& words = host().DebugSettings();
    SrvQueue& q = *DebugQueue;
    q.PutShort(SRV_REQ_REMOTE_DEBUG);
    q.PutString(start_dir.c_str());
    q.PutString(tty.c_str());
    words.SplitWords(command.c_str());
    q.PutShort(words.WordCount());
    for (int i = 0; i < words.WordCount(); ++i) q.PutString(words.GetWord(i)->c_str());
    std::string expanded = Debug_ExpandMacros(environment.c_str(), host_name.c_str(), login.c_str());
    words.SplitWords(expanded.c_str());
    q.PutShort(words.WordCount());
    for (int i = 0; i < words.WordCount(); ++i) q.PutString(words.GetWord(i)->c_str());
    words.FreeWords();
    q.Go();
    finish_start(wait_stop);
  } catch (const CUserException&) {
    Debug_DropQueue();
    box("Remote Debug Session [22]",
        "The current remote debug session cannot be started.\nPlease check your Debug Session Parameters\nin the "
        "Application Properties.\n",
        SHELL_MB_ICONEXCLAMATION);
    return nullptr;
  }
  return DebugQueue;
}

SrvQueue* Debug_StartLocal(const std::string& entry, bool wait_stop) {
  SYS_ASSERT(!DebugQueue);
  const char* bin = Sys_GetBinDirectory();
  if (!bin) {
    Diag_GeneralFailure(
        "The QX Varnica runtime has not been properly setup.\nPlease execute the QX Varnica runtime setup program.");
    return nullptr;
  }
  std::string executable = std::string(bin) + "/zazovadi";
  const char* path = entry.c_str();
  std::string command = Cfg_GetString(path, "Command");
  bool append = false;
  Cfg_GetBool(path, "AppendCurrentFile", &append);
  if (append) {
    std::string program;
    DebugForeground fg = host().ForegroundProgram(&program);
    if (fg == DebugForeground::NONE) {
      box("Local Debug Session [10]",
          "This command requires a program window in the foreground.\nThis is neccessary since the \"Execute current "
          "window\"\noption is active for the current debug session.\n",
          SHELL_MB_ICONINFORMATION);
      return nullptr;
    }
    if (fg == DebugForeground::SAVE_FAILED) return nullptr;
    if (fg == DebugForeground::NOT_PROGRAM) {
      box("Local Debug Session [11]",
          "The foreground window dows not contain a program file.\nThis is neccessary since the \"Execute current "
          "window\"\noption is active for the current debug session.\n",
          SHELL_MB_ICONINFORMATION);
      return nullptr;
    }
    if (program.find("://") != std::string::npos) {
      box("Local Debug Session [12]",
          "The program file in the foreground window\nis located at a remote server.\nThe \"Execute current window\" "
          "option currently\ncannot deal with remote servers.\nPlease save the file with a local file name.\n",
          SHELL_MB_ICONINFORMATION);
      return nullptr;
    }
    if (program.size() < 5 || program.compare(program.size() - 5, 5, ".PROG") != 0) {
      box("Local Debug Session [13]",
          "The file name of the program in the foreground window\ndoes not have a .PROG file extension.\nTo use the "
          "\"Execute current window\" option with this\nprogram, please save the file with a .PROG file extension.\n",
          SHELL_MB_ICONINFORMATION);
      return nullptr;
    }
    command = Debug_AppendProgram(command, program);
  }
  if (command.empty()) {
    Debug_ReportNoSetup();
    return nullptr;
  }
  std::string environment = Cfg_GetString(path, "Environment");
  std::string start_dir = Cfg_GetString(path, "StartDirectory");
  bool hide = true;
  Cfg_GetBool(path, "HideLocalZazoVADI", &hide);
  Debug_DropQueue();
  DebugQueue = SrvConn::DebugListen(false);
  if (!DebugQueue) return nullptr;
  CfgDebug& words = host().DebugSettings();
  words.SplitWords(command.c_str());
  std::vector<std::string> args =
      Debug_LocalArguments(executable, !hide, DebugQueue->conn_link->host, DebugQueue->conn_link->service, words.words);
  words.BuildEnvironment(Debug_ExpandMacros(environment.c_str(), nullptr, nullptr).c_str());
  std::string block = words.words.empty() ? std::string(2, '\0') : words.words[0];
  words.FreeWords();
  if (!DebugLocal_Start(executable, args, block, start_dir, host().DebugTabUsesEnhancements())) {
    Debug_DropQueue();
    return nullptr;
  }
  try {
    DebugQueue->Accept();
    DebugQueue->Continue();
    finish_start(wait_stop);
  } catch (const CUserException&) {
    Debug_DropQueue();
    box("Local Debug Session [16]",
        "The current local debug session cannot be started:\nFailed to establish inter-process communication.\n",
        SHELL_MB_ICONEXCLAMATION);
    return nullptr;
  }
  return DebugQueue;
}

// ------------------------------------------------------------ pieces

std::vector<std::string> Debug_LocalArguments(const std::string& executable, bool show_window, const std::string& host,
                                              const std::string& port, const std::vector<std::string>& words) {
  std::vector<std::string> args{executable};
  if (show_window) args.emplace_back("-f");
  args.emplace_back("-rconnect");
  args.push_back(host + ":" + port);
  args.insert(args.end(), words.begin(), words.end());
  return args;
}

std::string Debug_AppendProgram(const std::string& command, const std::string& path) {
  std::string stem = path;
  size_t dot = stem.rfind('.');
  size_t slash = stem.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.erase(dot);
  // One word for the splitter: quotes and backslashes in the path are
  // escaped, so blanks, quotes and backslashes survive.
  std::string quoted = "\"";
  for (char c : stem) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return command.empty() ? quoted : command + " " + quoted;
}

std::vector<std::string> DebugLineSplitter::Feed(const char* data, size_t n) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (c == '\r' || c == 0 || c == DEBUG_BYTE_ESC || (drop_c1_ && c >= DEBUG_C1_FIRST && c <= DEBUG_C1_LAST)) continue;
    if (c == '\n') {
      lines.push_back(std::move(line_));
      line_.clear();
      continue;
    }
    line_ += static_cast<char>(c);
    if (line_.size() >= piece_max_) {
      lines.push_back(std::move(line_));
      line_.clear();
    }
  }
  return lines;
}

std::string DebugLineSplitter::Finish() {
  std::string rest = std::move(line_);
  line_.clear();
  return rest;
}

std::string Debug_ExitLine(long code, bool tab_has_text) {
  if (code == 0 && !tab_has_text) return std::string();
  char text[128];
  std::snprintf(text, sizeof text, "%sProcess terminated with exit code %ld (0x%lx).", tab_has_text ? "\n" : "", code,
                static_cast<unsigned long>(code));
  return text;
}

// ------------------------------------------------------------ macros

namespace {

bool is_loopback_name(const char* host) {
  return !host || std::string(host) == "localhost" || std::string(host) == "127.0.0.1";
}

void host_box(const char* text) {
  Shell_Sink().message_box(nullptr, "QX Varnica", text, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
}

std::string local_host_name() {
  char name[256];
  if (gethostname(name, sizeof name) != 0) {
    host_box("Unable to obtain local host name");
    return std::string();
  }
  name[sizeof name - 1] = '\0';
  return name;
}

std::string local_address() {
  std::string name = local_host_name();
  if (name.empty()) return name;
  addrinfo hints{}, *found = nullptr;
  hints.ai_family = AF_INET;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) {
    host_box("Unable to resolve local host name");
    return std::string();
  }
  const uint8_t* a = reinterpret_cast<const uint8_t*>(&reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr);
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
  freeaddrinfo(found);
  return text;
}

std::string login_name() {
  char buffer[80];
  if (getlogin_r(buffer, sizeof buffer) == 0) return buffer;
  if (passwd* pw = getpwuid(getuid())) {
    std::string name = pw->pw_name;
    if (name.size() < sizeof buffer) return name;
  }
  return std::string();
}

}  // namespace

std::string Debug_ExpandMacros(const char* text, const char* host, const char* login) {
  std::string out;
  if (!text) return out;
  for (const char* p = text; *p;) {
    if (*p != '$') {
      out += *p++;
      continue;
    }
    char next = p[1];
    if (next == '\0') {
      out += *p++;
      continue;
    }
    if (next == '(') {
      const char* close = std::strchr(p + 2, ')');
      size_t length = close ? static_cast<size_t>(close - (p + 2)) : 0;
      if (!close || length >= 80) {
        out += "$(";
        p += 2;
        continue;
      }
      std::string name(p + 2, length);
      if (const char* value = std::getenv(name.c_str())) {
        for (const char* v = value; *v; ++v) {
          out += *v;
          if (*v == '\\') out += '\\';
        }
      }
      p = close + 1;
      continue;
    }
    switch (next) {
      case 'H':
      case 'h': out += is_loopback_name(host) ? std::string("localhost") : local_host_name(); break;
      case 'I':
      case 'i': out += is_loopback_name(host) ? std::string("127.0.0.1") : local_address(); break;
      case 'L':
      case 'l': out += login ? std::string(login) : login_name(); break;
      default:
        out += '$';
        out += next;
        break;
    }
    p += 2;
  }
  return out;
}
