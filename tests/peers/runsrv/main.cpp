// The stand-in runsrv service: answers one request frame per connection
// and, for the type "DLG", starts a stand-in dialog server that connects
// back to the address in the request. See README.md.
#include <arpa/inet.h>
#include <getopt.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Config {
  FILE* log = nullptr;
  std::string dlgserver;                 // program to start
  std::vector<std::string> server_args;  // options given to every started server
  int status = 0;
  bool start = true;
  std::string fault;
};
Config g_config;

void log_line(const std::string& line) {
  if (!g_config.log) return;
  std::fprintf(g_config.log, "%s\n", line.c_str());
  std::fflush(g_config.log);
}

void put32(unsigned char* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

bool read_all(int fd, void* bytes, size_t n) {
  unsigned char* p = static_cast<unsigned char*>(bytes);
  while (n > 0) {
    ssize_t rc = read(fd, p, n);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return false;
    p += rc;
    n -= static_cast<size_t>(rc);
  }
  return true;
}

void write_all(int fd, const std::string& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    ssize_t rc = write(fd, bytes.data() + at, bytes.size() - at);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return;
    at += static_cast<size_t>(rc);
  }
}

void reply(int fd, const std::string& text) {
  std::string frame(4, '\0');
  frame += text;
  frame += '\0';
  put32(reinterpret_cast<unsigned char*>(frame.data()), static_cast<uint32_t>(frame.size()));
  write_all(fd, frame);
}

// Starts the dialog server for "address:port arg...".
bool start_server(const std::string& data) {
  std::istringstream words(data);
  std::string address, word;
  words >> address;
  std::vector<std::string> args = {g_config.dlgserver, "--connect", address};
  args.insert(args.end(), g_config.server_args.begin(), g_config.server_args.end());
  args.push_back("--");
  while (words >> word) args.push_back(word);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return true;
}

void serve(int fd) {
  unsigned char head[4];
  if (!read_all(fd, head, 4)) return;
  uint32_t length = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                    static_cast<uint32_t>(head[2]) << 8 | head[3];
  if (length < 9 || length > 1024) {
    log_line("# bad request length " + std::to_string(length));
    reply(fd, "1 bad request");
    return;
  }
  std::string body(length - 4, '\0');
  if (!read_all(fd, body.data(), body.size())) return;
  std::string type(body.c_str(), strnlen(body.c_str(), 4));
  std::string data(body.c_str() + 4, strnlen(body.c_str() + 4, body.size() - 4));
  log_line("request " + type + " \"" + data + "\"");
  if (g_config.fault == "no-number") return reply(fd, "started");
  if (g_config.fault == "long-reply") return reply(fd, "0 " + std::string(2000, 'x'));
  if (type != "DLG") return reply(fd, "2 unknown type " + type);
  if (g_config.status != 0) return reply(fd, std::to_string(g_config.status) + " refused by configuration");
  if (g_config.start && !start_server(data)) return reply(fd, "3 cannot start dlgserver");
  reply(fd, g_config.start ? "0 dlgserver started" : "0 nothing started");
}

const char kUsage[] =
    "usage: runsrv [options]\n"
    "  --log FILE           one line per request\n"
    "  --dlgserver PATH     the dialog server to start (default: dlgserver beside runsrv)\n"
    "  --server-option OPT  an option for every started dialog server; may repeat\n"
    "  --status N           answer every request with status N\n"
    "  --no-connect         answer 0 and start nothing\n"
    "  --fault NAME         no-number, long-reply\n"
    "  --stdin              end when standard input ends\n";

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_IGN);  // started servers are reaped by the system
  bool watch_stdin = false;
  {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    g_config.dlgserver = dir.substr(0, dir.rfind('/') + 1) + "dlgserver";
  }
  enum { O_LOG = 1, O_DLG, O_OPT, O_STATUS, O_NOCONN, O_FAULT, O_STDIN };
  static const struct option options[] = {
      {"log", required_argument, nullptr, O_LOG},
      {"dlgserver", required_argument, nullptr, O_DLG},
      {"server-option", required_argument, nullptr, O_OPT},
      {"status", required_argument, nullptr, O_STATUS},
      {"no-connect", no_argument, nullptr, O_NOCONN},
      {"fault", required_argument, nullptr, O_FAULT},
      {"stdin", no_argument, nullptr, O_STDIN},
      {nullptr, 0, nullptr, 0},
  };
  int opt;
  while ((opt = getopt_long(argc, argv, "", options, nullptr)) != -1) {
    switch (opt) {
      case O_LOG: g_config.log = std::fopen(optarg, "a"); break;
      case O_DLG: g_config.dlgserver = optarg; break;
      case O_OPT: g_config.server_args.push_back(optarg); break;
      case O_STATUS: g_config.status = std::atoi(optarg); break;
      case O_NOCONN: g_config.start = false; break;
      case O_FAULT: g_config.fault = optarg; break;
      case O_STDIN: watch_stdin = true; break;
      default: std::fputs(kUsage, stderr); return 2;
    }
  }
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  if (bind(listener, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 5) != 0 ||
      getsockname(listener, reinterpret_cast<struct sockaddr*>(&addr), &size) != 0) {
    std::fprintf(stderr, "runsrv: cannot listen: %s\n", std::strerror(errno));
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
    serve(fd);
    close(fd);
  }
}
