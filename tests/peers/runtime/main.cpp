// zazovadi: a stand-in run-time for the debugger's tests and demo. It
// connects back to the environment, reports its first stop and runs a line
// script under the environment's requests.
//
//   zazovadi [-f] -rconnect HOST:PORT [--script F] [--log F] [--fault NAME] [PROGRAM...]
//   zazovadi -rfd FD ...        the same on a connection that is open already
//                               (the stand-in program server's remote start)
//
// Script (one directive a line, '#' starts a comment):
//   stop FILE SEG LINE DEPTH TEXT1|TEXT2|TEXT3   a statement where the program may stop
//   output TEXT                                  one output message ('|' separates lines)
//   print TEXT                                   a line on standard output only
//   var PATH KIND VALUE                          sets a variable (PATH a.b.c; KIND a
//                                                letter I D S L X T, or a number)
//   error TEXT                                   the next reply is this error
//   spin MS                                      runs MS ms, stopping early on BREAK
//   sleep MS                                     runs MS ms, deaf to everything
//   exit N                                       the exit code at the end (default 0)
// A CONT runs from the current statement to the next one where its mode
// stops (run: breakpoints only; into: the next; over: depth not deeper; out:
// shallower), sending the output met on the way as code-1 messages (and on
// standard output). At the end of the script the run-time exits.
//
// Faults: reply9 (the first CONT is answered with reply code 9), badkind (a
// variable of kind 'Z'), cutloc (a stop location cut short), nonul (a file
// name without its NUL), hugelen (a message length of 0x7FFFFFFF), noconnect
// (exits 0 without connecting), exit3 (exits 3 before connecting), stall (no
// reply to the first CONT), ignoreterm (ignores SIGTERM), setrefused (SET_ELEMENT
// answered with an error), lateexit (at the end the connection closes well
// before the process exits), latesock (the process exits well before the
// connection closes).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// ------------------------------------------------------------ codec

struct Out {
  std::string b;
  void u8(unsigned v) { b += static_cast<char>(v); }
  void u16(unsigned v) {
    u8(v >> 8 & 0xFF);
    u8(v & 0xFF);
  }
  void u32(uint32_t v) {
    u16(v >> 16);
    u16(v & 0xFFFF);
  }
  void str(const std::string& s) {
    u16(static_cast<unsigned>(s.size() + 1));
    b += s;
    b += '\0';
  }
};

struct In {
  std::string b;
  size_t at = 0;
  bool ok = true;
  unsigned u8() {
    if (at + 1 > b.size()) return ok = false, 0;
    return static_cast<unsigned char>(b[at++]);
  }
  unsigned u16() {
    unsigned hi = u8();
    return hi << 8 | u8();
  }
  uint32_t u32() {
    uint32_t hi = u16();
    return hi << 16 | u16();
  }
  int s16() { return static_cast<int16_t>(u16()); }
  std::string str() {
    unsigned n = u16();
    if (!ok || n == 0 || at + n > b.size() || b[at + n - 1] != '\0') return ok = false, std::string();
    std::string s = b.substr(at, n - 1);
    at += n;
    return s;
  }
};

FILE* g_log = nullptr;
int g_sock = -1;
std::set<std::string> g_faults;

void logf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logf(const char* format, ...) {
  if (!g_log) return;
  va_list ap;
  va_start(ap, format);
  std::vfprintf(g_log, format, ap);
  va_end(ap);
  std::fputc('\n', g_log);
  std::fflush(g_log);
}

bool send_frame(const std::string& payload) {
  Out f;
  f.u32(g_faults.count("hugelen") ? 0x7FFFFFFFu : static_cast<uint32_t>(payload.size()));
  f.b += payload;
  size_t sent = 0;
  while (sent < f.b.size()) {
    ssize_t n = send(g_sock, f.b.data() + sent, f.b.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool recv_all(char* p, size_t n) {
  while (n > 0) {
    ssize_t got = recv(g_sock, p, n, 0);
    if (got <= 0) return false;
    p += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

bool recv_frame(In* in) {
  char head[4];
  if (!recv_all(head, 4)) return false;
  uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(head[0])) << 24 |
               static_cast<uint32_t>(static_cast<unsigned char>(head[1])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(head[2])) << 8 | static_cast<unsigned char>(head[3]);
  if (n > (1u << 24)) return false;
  in->b.assign(n, '\0');
  in->at = 0;
  in->ok = true;
  return n == 0 || recv_all(in->b.data(), n);
}

// ------------------------------------------------------------ script

struct Stmt {
  std::string kind, file, text1, text2, text3, arg;
  unsigned segment = 0, line = 0;
  int depth = 0;
};

struct Var {
  std::string name;
  unsigned kind = 'I';
  std::string value;
  std::vector<std::unique_ptr<Var>> children;
};

std::vector<Stmt> g_script;
std::vector<std::unique_ptr<Var>> g_vars;
int g_exit_code = 0;
std::vector<std::tuple<std::string, unsigned, unsigned>> g_breakpoints;
std::string g_script_dir = ".";

unsigned kind_code(const std::string& k) {
  if (k.size() == 1 && !std::isdigit(static_cast<unsigned char>(k[0]))) return static_cast<unsigned char>(k[0]);
  return static_cast<unsigned>(std::strtoul(k.c_str(), nullptr, 0));
}

Var* find_or_make(const std::string& path) {
  std::vector<std::unique_ptr<Var>>* level = &g_vars;
  Var* v = nullptr;
  std::stringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '.')) {
    v = nullptr;
    for (auto& c : *level)
      if (c->name == part) v = c.get();
    if (!v) {
      level->push_back(std::make_unique<Var>());
      v = level->back().get();
      v->name = part;
    }
    level = &v->children;
  }
  return v;
}

void load_script(const std::string& path) {
  std::ifstream in(path);
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) g_script_dir = path.substr(0, slash);
  std::string text;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream words(text);
    Stmt s;
    words >> s.kind;
    if (s.kind == "stop") {
      words >> s.file >> s.segment >> s.line >> s.depth;
      std::string rest;
      std::getline(words, rest);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      std::string* fields[] = {&s.text1, &s.text2, &s.text3};
      size_t i = 0, at = 0;
      for (; i < 3; ++i) {
        size_t bar = rest.find('|', at);
        *fields[i] = rest.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        if (bar == std::string::npos) break;
        at = bar + 1;
      }
    } else {
      std::getline(words, s.arg);
      if (!s.arg.empty() && s.arg[0] == ' ') s.arg.erase(0, 1);
    }
    g_script.push_back(s);
  }
}

void apply_var(const std::string& arg) {
  std::istringstream words(arg);
  std::string path, kind, value;
  words >> path >> kind;
  std::getline(words, value);
  if (!value.empty() && value[0] == ' ') value.erase(0, 1);
  Var* v = find_or_make(path);
  v->kind = kind_code(kind);
  v->value = value;
}

void put_location(Out& o, const Stmt& s) {
  if (g_faults.count("nonul")) {
    o.u16(static_cast<unsigned>(s.file.size() + 1));
    o.b += s.file;
    o.b += 'x';
  } else {
    o.str(s.file);
  }
  o.u16(s.segment);
  o.u16(s.line);
  if (g_faults.count("cutloc")) return;
  o.str(s.text1);
  o.str(s.text2);
  o.str(s.text3);
}

// ------------------------------------------------------------ running

size_t g_pc = 0;  // the current statement (a stop)
std::string g_pending_error;
bool g_break = false;
// How long the faults latesock and lateexit keep the connection's close and
// the process's end apart.
constexpr int kEndGapMs = 700;

bool is_breakpoint(const Stmt& s) {
  for (auto& b : g_breakpoints)
    if (std::get<0>(b) == s.file && std::get<1>(b) == s.segment && std::get<2>(b) == s.line) return true;
  return false;
}

// Looks for a BREAK for up to ms milliseconds.
void poll_break(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
    if (left < 0) left = 0;
    pollfd p{g_sock, POLLIN, 0};
    if (poll(&p, 1, left) <= 0) return;
    In in;
    if (!recv_frame(&in)) std::exit(g_exit_code);
    int code = in.s16();
    logf("request %d (while running)", code);
    if (code == 7) {
      g_break = true;
      return;
    }
  }
}

// The end of the program. Normally the connection closes as the process
// exits; two faults pull the two apart, so that a test decides which the
// environment hears of first.
void finish_run() {
  logf("exit %d", g_exit_code);
  std::fflush(stdout);
  if (g_faults.count("latesock")) {
    // A child holds the connection (and only the connection) open a while
    // after the process ended.
    pid_t child = fork();
    if (child == 0) {
      close(STDOUT_FILENO);
      close(STDERR_FILENO);
      std::this_thread::sleep_for(std::chrono::milliseconds(kEndGapMs));
      _exit(0);
    }
  }
  close(g_sock);
  if (g_faults.count("lateexit")) std::this_thread::sleep_for(std::chrono::milliseconds(kEndGapMs));
  std::exit(g_exit_code);
}

// Runs from the statement after g_pc; false at the end of the script.
void run(int mode) {
  int depth0 = g_script[g_pc].depth;
  for (size_t i = g_pc + 1; i < g_script.size(); ++i) {
    const Stmt& s = g_script[i];
    if (s.kind == "output") {
      // One message; '|' separates its lines.
      Out o;
      o.u16(1);
      size_t at = 0;
      for (;;) {
        size_t bar = s.arg.find('|', at);
        std::string line = s.arg.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        std::printf("%s\n", line.c_str());
        o.str(line);
        o.u8(bar == std::string::npos ? 0 : 1);
        if (bar == std::string::npos) break;
        at = bar + 1;
      }
      std::fflush(stdout);
      send_frame(o.b);
    } else if (s.kind == "print") {
      std::printf("%s\n", s.arg.c_str());
      std::fflush(stdout);
    } else if (s.kind == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(s.arg.c_str())));
    } else if (s.kind == "var") {
      apply_var(s.arg);
    } else if (s.kind == "error") {
      g_pending_error = s.arg;
    } else if (s.kind == "spin") {
      poll_break(std::atoi(s.arg.c_str()));
    } else if (s.kind == "exit") {
      g_exit_code = std::atoi(s.arg.c_str());
    } else if (s.kind == "stop") {
      bool stop = g_break || is_breakpoint(s) || mode == 1 || (mode == 2 && s.depth <= depth0) ||
                  (mode == 3 && s.depth < depth0);
      if (stop) {
        g_break = false;
        g_pc = i;
        return;
      }
    }
  }
  finish_run();
}

void reply_stop() {
  Out o;
  if (!g_pending_error.empty()) {
    o.u16(2);
    o.str(g_pending_error);
    g_pending_error.clear();
    send_frame(o.b);
    return;
  }
  o.u16(0);
  put_location(o, g_script[g_pc]);
  send_frame(o.b);
}

Var* resolve(In& in, std::vector<std::unique_ptr<Var>>** level) {
  in.u32();
  int n = in.s16();
  *level = &g_vars;
  Var* v = nullptr;
  for (int i = 0; i < n; ++i) {
    unsigned idx = in.u16();
    if (idx >= (*level)->size()) return nullptr;
    v = (**level)[idx].get();
    *level = &v->children;
  }
  return v;
}

void serve(const std::string& program) {
  bool first_cont = true;
  In in;
  while (recv_frame(&in)) {
    int code = in.s16();
    Out o;
    switch (code) {
      case 2: {
        int mode = in.s16();
        int trace = in.s16();
        logf("CONT mode=%d trace=%d", mode, trace);
        if (first_cont && g_faults.count("stall")) {
          first_cont = false;
          break;
        }
        if (first_cont && g_faults.count("reply9")) {
          first_cont = false;
          o.u16(9);
          send_frame(o.b);
          break;
        }
        first_cont = false;
        run(mode);
        reply_stop();
        break;
      }
      case 5: {
        logf("CALLSTACK");
        std::vector<const Stmt*> stack{&g_script[g_pc]};
        int depth = g_script[g_pc].depth;
        for (size_t i = g_pc; i-- > 0 && depth > 0;)
          if (g_script[i].kind == "stop" && g_script[i].depth < depth) {
            stack.push_back(&g_script[i]);
            depth = g_script[i].depth;
          }
        o.u16(0);
        o.u16(static_cast<unsigned>(stack.size()));
        for (const Stmt* s : stack) put_location(o, *s);
        send_frame(o.b);
        break;
      }
      case 6: {
        std::string path = in.str();
        logf("DEBUG_SOURCE %s", path.c_str());
        std::ifstream f(g_script_dir + "/" + path, std::ios::binary);
        if (!f) {
          o.u16(1);
          o.str("No such source file: " + path);
        } else {
          std::string body((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
          o.u16(0);
          o.u32(static_cast<uint32_t>(body.size() + 1));
          o.b += body;
          o.b += '\0';
        }
        send_frame(o.b);
        break;
      }
      case 8: {
        std::vector<std::unique_ptr<Var>>* level = nullptr;
        Var* v = resolve(in, &level);
        logf("GET_ELEMENTS %s", v ? v->name.c_str() : "(top)");
        o.u16(0);
        o.u32(7);
        o.u16(static_cast<unsigned>(level->size()));
        for (size_t i = 0; i < level->size(); ++i) {
          const Var& c = *(*level)[i];
          o.u16(static_cast<unsigned>(i));
          o.str(c.name);
          o.u8(g_faults.count("badkind") ? 'Z' : c.kind);
          o.str(c.value);
        }
        send_frame(o.b);
        break;
      }
      case 9: {
        std::vector<std::unique_ptr<Var>>* level = nullptr;
        Var* v = resolve(in, &level);
        std::string value = in.str();
        logf("SET_ELEMENT %s = %s", v ? v->name.c_str() : "?", value.c_str());
        if (g_faults.count("setrefused")) {
          o.u16(2);
          o.str("Variable " + (v ? v->name : std::string("?")) + " is read-only");
          send_frame(o.b);
          break;
        }
        if (v) v->value = value;
        o.u16(0);
        send_frame(o.b);
        break;
      }
      case 11: {
        int n = in.s16();
        g_breakpoints.clear();
        std::string body;
        for (int i = 0; i < n && in.ok; ++i) {
          std::string file = in.str();
          unsigned seg = in.u16(), line = in.u16();
          g_breakpoints.emplace_back(file, seg, line);
          body += " " + file + ":" + std::to_string(seg) + ":" + std::to_string(line);
        }
        logf("SET_BREAKPT %d%s", n, body.c_str());
        o.u16(0);
        send_frame(o.b);
        break;
      }
      default:
        logf("request %d", code);
        o.u16(2);
        o.str("Unknown request " + std::to_string(code));
        send_frame(o.b);
        break;
    }
  }
  (void)program;
  logf("connection closed");
  finish_run();
}

// Connects to HOST:PORT; false after a message.
bool connect_back(const std::string& target) {
  size_t colon = target.rfind(':');
  if (colon == std::string::npos) {
    std::fprintf(stderr, "zazovadi: -rconnect HOST:PORT expected\n");
    return false;
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(std::atoi(target.c_str() + colon + 1)));
  if (inet_pton(AF_INET, target.substr(0, colon).c_str(), &a.sin_addr) != 1) return false;
  g_sock = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(g_sock, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    std::fprintf(stderr, "zazovadi: cannot connect to %s\n", target.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string target, script, log_path, program;
  int open_fd = -1;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-f") continue;
    if (a == "-rconnect" && i + 1 < argc)
      target = argv[++i];
    else if (a == "-rfd" && i + 1 < argc)
      open_fd = std::atoi(argv[++i]);
    else if (a == "--script" && i + 1 < argc)
      script = argv[++i];
    else if (a == "--log" && i + 1 < argc)
      log_path = argv[++i];
    else if (a == "--fault" && i + 1 < argc)
      g_faults.insert(argv[++i]);
    else
      program = a;
  }
  if (!log_path.empty()) g_log = std::fopen(log_path.c_str(), "a");
  logf("started: connect %s, script %s, program %s", open_fd >= 0 ? "(open)" : target.c_str(), script.c_str(),
       program.c_str());
  if (g_faults.count("ignoreterm")) signal(SIGTERM, SIG_IGN);
  if (g_faults.count("exit3")) return 3;
  if (g_faults.count("noconnect")) return 0;
  if (!script.empty()) load_script(script);
  if (open_fd >= 0) {
    g_sock = open_fd;
  } else if (!connect_back(target)) {
    return 2;
  }
  logf("connected");
  // The first stop: the first statement of the script.
  size_t first = 0;
  while (first < g_script.size() && g_script[first].kind != "stop") {
    if (g_script[first].kind == "var") apply_var(g_script[first].arg);
    ++first;
  }
  if (first == g_script.size()) {
    Stmt s;
    s.kind = "stop";
    s.file = program;
    s.text3 = "main";
    g_script.push_back(s);
  }
  g_pc = first;
  Out o;
  o.u16(0);
  put_location(o, g_script[g_pc]);
  send_frame(o.b);
  serve(program);
  return g_exit_code;
}
