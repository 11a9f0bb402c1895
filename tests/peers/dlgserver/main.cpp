// The stand-in dialog server: holds an object tree per session, answers the
// dialog-server protocol, logs every request it decoded, and writes the
// tree with the rule "YqSaveDialog". See README.md.
#include <arpa/inet.h>
#include <getopt.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "codec.h"

namespace {

using dlgserver::Body;
using dlgserver::Reply;

enum Code {
  STOP = 2,
  DEBUG = 3,
  NEW = 4,
  DEL = 5,
  SET = 6,
  GET = 7,
  LOAD = 8,
  DRAW = 9,
  DO = 10,
  STATUS = 12,
  POPUP = 13,
  RULE = 14,
  FUNC = 15,
  ASYNC = 16,
  HELP = 17,
};

// Statuses of this server.
enum {
  ST_UNKNOWN_PARENT = 1,
  ST_DUPLICATE = 2,
  ST_UNKNOWN_OBJECT = 3,
  ST_UNKNOWN_ATTRIBUTE = 4,
  ST_UNKNOWN_CLASS = 5,
  ST_NO_VALUE = 6,
  ST_LATE_ERROR = 7,
  ST_UNKNOWN_RULE = 8,
  ST_WRITE_FAILED = 9,
  ST_BAD_REQUEST = 10,
};

const char* code_name(uint32_t code) {
  switch (code) {
    case STOP: return "STOP";
    case DEBUG: return "DEBUG";
    case NEW: return "NEW";
    case DEL: return "DEL";
    case SET: return "SET";
    case GET: return "GET";
    case LOAD: return "LOAD";
    case DRAW: return "DRAW";
    case DO: return "DO";
    case POPUP: return "POPUP";
    case RULE: return "RULE";
    case FUNC: return "FUNC";
    case ASYNC: return "ASYNC";
    case HELP: return "HELP";
    default: return "?";
  }
}

struct Value {
  uint32_t type = 0;  // 0 void, 1 int, 2 string
  int32_t number = 0;
  std::string text;
};

struct Node {
  std::string path, cls;
  int parent = -1;
  bool alive = true;
  std::vector<std::pair<std::string, Value>> attributes;  // in order of first setting
};

struct Config {
  FILE* log = nullptr;
  std::map<std::string, std::set<std::string>> classes;  // empty: every class and attribute
  bool sync_only = false;
  std::map<std::string, std::string> faults;  // name -> argument ("" for none)
  std::vector<std::string> args;
};

Config g_config;

void log_line(const std::string& line) {
  if (!g_config.log) return;
  std::fprintf(g_config.log, "%s\n", line.c_str());
  std::fflush(g_config.log);
}

std::string quote(const std::string& s) { return "\"" + s + "\""; }

std::string show(const Value& v) {
  switch (v.type) {
    case 0: return "VOID";
    case 1: return "INT " + std::to_string(v.number);
    case 2: return "STRING " + quote(v.text);
    default: return "TYPE " + std::to_string(v.type);
  }
}

// The text form of a value in the written file.
std::string written(const Value& v) {
  if (v.type == 1) return std::to_string(v.number);
  if (v.type == 0) return "void";
  std::string out = "\"";
  for (unsigned char c : v.text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char oct[8];
      std::snprintf(oct, sizeof oct, "\\%03o", c);
      out += oct;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A fault that bends the answer to one request, then is spent.
bool take_fault(const std::string& name, uint32_t code) {
  auto it = g_config.faults.find(name);
  if (it == g_config.faults.end()) return false;
  if (!it->second.empty() && it->second != code_name(code)) return false;
  g_config.faults.erase(it);
  return true;
}

class Session {
 public:
  explicit Session(int fd) : fd_(fd) {}

  void run() {
    int served = 0;
    long close_after = -1;
    auto fault = g_config.faults.find("close-after");
    if (fault != g_config.faults.end()) close_after = std::strtol(fault->second.c_str(), nullptr, 10);
    for (;;) {
      if (close_after >= 0 && served >= close_after) {
        log_line("# closed (close-after)");
        return;
      }
      Body body;
      int rc = dlgserver::read_frame(fd_, body);
      if (rc == 0) {
        log_line("# closed");
        return;
      }
      if (rc < 0) {
        log_line("# closed (bad frame)");
        return;
      }
      ++served;
      if (!handle(body)) {
        log_line("# closed");
        return;
      }
    }
  }

 private:
  // Sends a reply, bent by a fault aimed at this request. False when the
  // connection is gone.
  bool send(uint32_t request, Reply reply) {
    if (take_fault("empty-response", request)) {
      uint8_t head[4];
      dlgserver::put32(head, 4);
      return dlgserver::write_all(fd_, head, 4);
    }
    if (take_fault("bad-code", request)) reply.word(2, 99);
    if (take_fault("bad-offset", request)) {
      reply.word(4, 2);
      reply.word(5, 0x10000);
    }
    std::vector<uint8_t> frame = reply.frame();
    return dlgserver::write_all(fd_, frame.data(), frame.size());
  }

  // A status answer: in asynchronous mode only a non-zero one is sent,
  // unless a fault is aimed at the request.
  bool status(uint32_t request, int32_t value) {
    bool aimed = false;
    for (const char* f : {"empty-response", "bad-code", "bad-offset"}) {
      auto it = g_config.faults.find(f);
      if (it != g_config.faults.end() && (it->second.empty() || it->second == code_name(request))) aimed = true;
    }
    if (async_ && value == 0 && !aimed) return true;
    Reply r(STATUS);
    r.word(3, static_cast<uint32_t>(value));
    return send(request, r);
  }

  bool value_at(const Body& b, int index, Value& v, std::string& error) {
    v.type = b.word(index);
    if (v.type == 1) v.number = static_cast<int32_t>(b.word(index + 1));
    if (v.type == 2 && !b.text(index + 1, v.text)) error = "bad string";
    if (v.type > 2) error = "bad value type";
    return error.empty();
  }

  int find(const std::string& path) const {
    auto it = index_.find(path);
    return it == index_.end() || !nodes_[it->second].alive ? -1 : it->second;
  }

  int do_new(const std::string& path, const std::string& cls) {
    if (find(path) >= 0) return ST_DUPLICATE;
    if (!g_config.classes.empty() && !g_config.classes.count(cls)) return ST_UNKNOWN_CLASS;
    int parent = -1;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos) {
      parent = find(path.substr(0, dot));
      if (parent < 0) return ST_UNKNOWN_PARENT;
    }
    Node n;
    n.path = path;
    n.cls = cls;
    n.parent = parent;
    index_[path] = static_cast<int>(nodes_.size());
    nodes_.push_back(n);
    return 0;
  }

  // The object of an attribute path: the longest prefix before a "." that
  // names a live object.
  int split_attribute(const std::string& path, std::string& attribute) const {
    for (size_t dot = path.rfind('.'); dot != std::string::npos && dot > 0; dot = path.rfind('.', dot - 1)) {
      int node = find(path.substr(0, dot));
      if (node >= 0) {
        attribute = path.substr(dot + 1);
        return node;
      }
    }
    return -1;
  }

  int do_set(const std::string& path, const Value& v) {
    std::string attribute;
    int node = split_attribute(path, attribute);
    if (node < 0) return ST_UNKNOWN_OBJECT;
    if (!g_config.classes.empty()) {
      std::string plain = attribute.substr(0, attribute.find('['));
      if (!g_config.classes[nodes_[node].cls].count(plain)) return ST_UNKNOWN_ATTRIBUTE;
    }
    for (auto& a : nodes_[node].attributes)
      if (a.first == attribute) {
        a.second = v;
        return 0;
      }
    nodes_[node].attributes.emplace_back(attribute, v);
    return 0;
  }

  int do_del(const std::string& path) {
    int node = find(path);
    if (node < 0) return ST_UNKNOWN_OBJECT;
    for (size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].path == path || nodes_[i].path.compare(0, path.size() + 1, path + ".") == 0) {
        if (nodes_[i].alive) index_.erase(nodes_[i].path);
        nodes_[i].alive = false;
      }
    return 0;
  }

  void write_node(std::ostringstream& out, int node, int depth) const {
    const Node& n = nodes_[static_cast<size_t>(node)];
    std::string indent(static_cast<size_t>(2 * depth), ' ');
    std::string name = n.parent < 0 ? n.path : n.path.substr(nodes_[static_cast<size_t>(n.parent)].path.size() + 1);
    out << indent << n.cls << " " << name << "\n" << indent << "{\n";
    for (const auto& a : n.attributes) out << indent << "  ." << a.first << " " << written(a.second) << ";\n";
    for (size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].alive && nodes_[i].parent == node) write_node(out, static_cast<int>(i), depth + 1);
    out << indent << "}\n";
  }

  int save(const std::string& file) const {
    std::ostringstream out;
    out << "!! written by dlgserver\n";
    for (size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].alive && nodes_[i].parent < 0) write_node(out, static_cast<int>(i), 0);
    std::string temp = file + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return ST_WRITE_FAILED;
    std::string text = out.str();
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), file.c_str()) != 0) {
      std::remove(temp.c_str());
      return ST_WRITE_FAILED;
    }
    return 0;
  }

  // False when the session ends.
  bool handle(const Body& b) {
    uint32_t code = b.word(2);
    std::string s3, s4, error;
    std::string line = code_name(code);
    switch (code) {
      case STOP: log_line(line); return async_ ? false : (status(code, 0), false);
      case DEBUG: log_line(line + " " + std::to_string(static_cast<int32_t>(b.word(3)))); return status(code, 0);
      case ASYNC: {
        int32_t mode = static_cast<int32_t>(b.word(3));
        log_line(line + " " + std::to_string(mode));
        if (g_config.sync_only) mode = 0;
        async_ = mode != 0;
        Reply r(ASYNC);
        r.word(3, static_cast<uint32_t>(mode));
        return send(code, r);
      }
      case NEW:
        if (!b.text(3, s3) || !b.text(4, s4)) break;
        log_line(line + " " + quote(s3) + " " + quote(s4));
        return status(code, do_new(s3, s4));
      case DEL:
        if (!b.text(3, s3)) break;
        log_line(line + " " + quote(s3));
        return status(code, do_del(s3));
      case DRAW:
      case HELP:
        if (!b.text(3, s3)) break;
        log_line(line + " " + quote(s3));
        return status(code, 0);
      case SET: {
        Value v;
        if (!b.text(3, s3) || !value_at(b, 4, v, error)) break;
        log_line(line + " " + quote(s3) + " " + show(v));
        return status(code, do_set(s3, v));
      }
      case GET: {
        if (!b.text(3, s3)) break;
        log_line(line + " " + quote(s3));
        Reply r(GET);
        std::string attribute;
        int node = split_attribute(s3, attribute);
        const Value* found = nullptr;
        if (node >= 0)
          for (const auto& a : nodes_[static_cast<size_t>(node)].attributes)
            if (a.first == attribute) found = &a.second;
        r.word(3, found ? 0 : ST_NO_VALUE);
        if (found) {
          r.word(4, found->type);
          if (found->type == 1) r.word(5, static_cast<uint32_t>(found->number));
          if (found->type == 2) r.text(5, found->text);
        }
        return send(code, r);
      }
      case LOAD: {
        if (!b.text(3, s3)) break;
        log_line(line + " " + quote(s3));
        Reply r(LOAD);
        return send(code, r);
      }
      case DO: {
        if (!b.text(3, s3)) break;
        log_line(line + " " + quote(s3));
        Reply r(DO);
        r.text(5, "");
        return send(code, r);
      }
      case POPUP: {
        std::string title, text;
        if (!b.text(5, s3) || !b.text(8, title) || !b.text(9, text)) break;
        log_line(line + " " + quote(s3) + " " + quote(title) + " " + quote(text));
        Reply r(POPUP);
        r.word(3, b.word(16));
        return send(code, r);
      }
      case RULE:
      case FUNC: {
        bool rule = code == RULE;
        int at = 4;
        if (!b.text(3, s3) || (rule && !b.text(at++, s4))) break;
        int32_t argc = static_cast<int32_t>(b.word(at++));
        if (argc < 0 || argc > 8) break;
        std::vector<Value> args;
        line += " " + quote(s3);
        if (rule) line += " " + quote(s4);
        line += " " + std::to_string(argc);
        for (int i = 0; i < argc; ++i, at += 2) {
          Value v;
          if (!value_at(b, at, v, error)) break;
          args.push_back(v);
          line += " " + show(v);
        }
        if (!error.empty()) break;
        log_line(line);
        if (rule && take_fault("late-error", code)) {
          Reply late(STATUS);
          late.word(3, ST_LATE_ERROR);
          if (!send(STATUS, late)) return false;
        }
        Reply r(code);
        int32_t st = ST_UNKNOWN_RULE;
        if (rule && s3 == "YqSaveDialog") {
          st = !args.empty() && args[0].type == 2 ? save(args[0].text) : ST_BAD_REQUEST;
        }
        r.word(3, static_cast<uint32_t>(st));
        return send(code, r);
      }
      default: log_line("? " + std::to_string(code)); return status(code, ST_BAD_REQUEST);
    }
    log_line(line + " (malformed)");
    return status(code, ST_BAD_REQUEST);
  }

  int fd_;
  bool async_ = false;
  std::vector<Node> nodes_;
  std::map<std::string, int> index_;
};

bool greet(int fd) {
  uint8_t in[12];
  size_t got = 0;
  while (got < sizeof in) {
    ssize_t rc = read(fd, in + got, sizeof in - got);
    if (rc <= 0) return false;
    got += static_cast<size_t>(rc);
  }
  if (dlgserver::get32(in) != 8 || std::memcmp(in + 4, "YQ.DLG", 6) != 0) {
    log_line("# greeting refused");
    return false;
  }
  std::vector<uint8_t> out(12, 0);
  uint32_t size = 8;
  if (g_config.faults.count("greeting-300")) size = 300;
  dlgserver::put32(out.data(), size);
  std::memcpy(out.data() + 4, g_config.faults.count("bad-magic") ? "YQ.DLX" : "YQ.DLG", 6);
  out[10] = 1;
  out[11] = 0;
  out.resize(4 + size, 0);
  return dlgserver::write_all(fd, out.data(), out.size());
}

bool load_classes(const char* path) {
  FILE* f = std::fopen(path, "r");
  if (!f) return false;
  char line[4096];
  while (std::fgets(line, sizeof line, f)) {
    std::istringstream words(line);
    std::string cls, attribute;
    if (!(words >> cls) || cls[0] == '#') continue;
    auto& set = g_config.classes[cls];
    while (words >> attribute) set.insert(attribute[0] == '.' ? attribute.substr(1) : attribute);
  }
  std::fclose(f);
  return true;
}

const char kUsage[] =
    "usage: dlgserver [options] [-- args...]\n"
    "  --port N            listen on 127.0.0.1:N (0, the default: any free port)\n"
    "  --connect HOST:PORT connect there instead and serve one session, no greeting\n"
    "  --log FILE          one line per decoded request, '# ' lines for events\n"
    "  --classes FILE      lines 'Class attr...': other classes and attributes are refused\n"
    "  --sync              answer ASYNC with mode 0\n"
    "  --fault NAME[=ARG]  bend the protocol (see README.md); may repeat\n"
    "  --stdin             end when standard input ends\n";

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  signal(SIGPIPE, SIG_IGN);
  long port = 0;
  std::string connect_to;
  bool watch_stdin = false;
  enum { O_PORT = 1, O_CONNECT, O_LOG, O_CLASSES, O_SYNC, O_FAULT, O_STDIN };
  static const struct option options[] = {
      {"port", required_argument, nullptr, O_PORT}, {"connect", required_argument, nullptr, O_CONNECT},
      {"log", required_argument, nullptr, O_LOG},   {"classes", required_argument, nullptr, O_CLASSES},
      {"sync", no_argument, nullptr, O_SYNC},       {"fault", required_argument, nullptr, O_FAULT},
      {"stdin", no_argument, nullptr, O_STDIN},     {nullptr, 0, nullptr, 0},
  };
  int opt;
  while ((opt = getopt_long(argc, argv, "", options, nullptr)) != -1) {
    switch (opt) {
      case O_PORT: port = std::strtol(optarg, nullptr, 10); break;
      case O_CONNECT: connect_to = optarg; break;
      case O_LOG:
        g_config.log = std::fopen(optarg, "a");
        if (!g_config.log) {
          std::fprintf(stderr, "dlgserver: cannot write log %s\n", optarg);
          return 1;
        }
        break;
      case O_CLASSES:
        if (!load_classes(optarg)) {
          std::fprintf(stderr, "dlgserver: cannot read classes %s\n", optarg);
          return 1;
        }
        break;
      case O_SYNC: g_config.sync_only = true; break;
      case O_FAULT: {
        std::string f = optarg;
        size_t eq = f.find('=');
        g_config.faults[f.substr(0, eq)] = eq == std::string::npos ? "" : f.substr(eq + 1);
        break;
      }
      case O_STDIN: watch_stdin = true; break;
      default: std::fputs(kUsage, stderr); return 2;
    }
  }
  for (int i = optind; i < argc; ++i) g_config.args.push_back(argv[i]);
  if (!g_config.args.empty()) {
    std::string line = "# args";
    for (const auto& a : g_config.args) line += " " + a;
    log_line(line);
  }

  if (!connect_to.empty()) {
    size_t colon = connect_to.rfind(':');
    if (colon == std::string::npos) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    struct sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(std::strtol(connect_to.c_str() + colon + 1, nullptr, 10)));
    if (inet_pton(AF_INET, connect_to.substr(0, colon).c_str(), &addr.sin_addr) != 1) {
      std::fprintf(stderr, "dlgserver: bad address %s\n", connect_to.c_str());
      return 1;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0) {
      std::fprintf(stderr, "dlgserver: cannot connect %s\n", connect_to.c_str());
      log_line("# connect failed");
      return 1;
    }
    log_line("# session open (reverse)");
    Session(fd).run();
    close(fd);
    return 0;
  }

  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t size = sizeof addr;
  if (bind(listener, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 5) != 0 ||
      getsockname(listener, reinterpret_cast<struct sockaddr*>(&addr), &size) != 0) {
    std::fprintf(stderr, "dlgserver: cannot listen: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("%d\n", ntohs(addr.sin_port));
  std::fflush(stdout);

  for (;;) {
    struct pollfd p[2] = {{listener, POLLIN, 0}, {0, POLLIN, 0}};
    int rc = poll(p, watch_stdin ? 2 : 1, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) return 1;
    if (watch_stdin && p[1].revents) {
      char c;
      if (read(0, &c, 1) <= 0) return 0;
    }
    if (!p[0].revents) continue;
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    log_line("# session open");
    if (greet(fd)) Session(fd).run();
    close(fd);
  }
}
