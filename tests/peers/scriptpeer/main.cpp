// The scripted peer: serves a script of reads, sends, drips, floods and
// silences to its clients, byte for byte. See README.md.
#include <arpa/inet.h>
#include <fcntl.h>
#include <getopt.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// How long a flood keeps sending into a client that stopped reading.
constexpr int kFloodStallMs = 10000;
// The most a `frame` command takes.
constexpr uint32_t kMaxFrame = 64u * 1024u * 1024u;

FILE* g_log = nullptr;
bool g_watch_stdin = false;

void log_line(const std::string& line) {
  if (!g_log) return;
  std::fprintf(g_log, "%s\n", line.c_str());
  std::fflush(g_log);
}

std::string hex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

bool parse_hex(const std::string& text, Bytes& out) {
  std::string digits;
  for (char ch : text)
    if (ch != ' ' && ch != '\t') digits += ch;
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    char* end = nullptr;
    std::string pair = digits.substr(i, 2);
    long v = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0') return false;
    out.push_back(static_cast<unsigned char>(v));
  }
  return true;
}

// Ends the process when standard input closes (the test is gone).
void stdin_watch() {
  char ch;
  while (read(0, &ch, 1) > 0) {
  }
  _exit(0);
}

bool recv_all(int fd, unsigned char* p, size_t n) {
  while (n > 0) {
    ssize_t r = recv(fd, p, n, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

bool send_all(int fd, const unsigned char* p, size_t n) {
  while (n > 0) {
    ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Sends until the client closes, or its window stays full for a while.
void flood(int fd, const Bytes& bytes) {
  Bytes block;
  while (block.size() < 4096) block.insert(block.end(), bytes.begin(), bytes.end());
  for (;;) {
    pollfd p = {fd, POLLOUT, 0};
    int rc = poll(&p, 1, kFloodStallMs);
    if (rc <= 0 || (p.revents & (POLLERR | POLLHUP))) return;
    ssize_t w = send(fd, block.data(), block.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (w < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (w <= 0) return;
  }
}

void wait_for_close(int fd) {
  unsigned char scratch[4096];
  while (recv(fd, scratch, sizeof scratch, 0) > 0) {
  }
}

int accept_one(int listener) {
  int fd;
  do fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd >= 0) log_line("# session open");
  return fd;
}

// Runs the script on connections from `listener`; false on a bad line.
bool run(int listener, const std::vector<std::string>& script) {
  int fd = accept_one(listener);
  if (fd < 0) return false;
  for (const std::string& line : script) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::string rest;
    std::getline(in, rest);
    log_line("# " + line);
    Bytes bytes;
    if (command == "read" || command == "frame" || command == "frame-self") {
      uint32_t n = 0;
      if (command == "read") {
        n = static_cast<uint32_t>(std::strtoul(rest.c_str(), nullptr, 10));
      } else {
        unsigned char word[4];
        if (!recv_all(fd, word, 4)) {
          log_line("# eof");
          break;
        }
        n = static_cast<uint32_t>(word[0]) << 24 | static_cast<uint32_t>(word[1]) << 16 |
            static_cast<uint32_t>(word[2]) << 8 | word[3];
        if (command == "frame-self") n = n >= 4 ? n - 4 : 0;
        if (n > kMaxFrame) {
          log_line("# frame too long");
          break;
        }
      }
      bytes.resize(n);
      if (!recv_all(fd, bytes.data(), n)) {
        log_line("# eof");
        break;
      }
      log_line("recv " + hex(bytes));
    } else if (command == "send") {
      if (!parse_hex(rest, bytes)) return false;
      if (!send_all(fd, bytes.data(), bytes.size())) log_line("# send failed");
    } else if (command == "drip") {
      std::istringstream args(rest);
      int ms = 0;
      args >> ms;
      std::string data;
      std::getline(args, data);
      if (!parse_hex(data, bytes)) return false;
      for (unsigned char b : bytes) {
        if (!send_all(fd, &b, 1)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      }
    } else if (command == "flood") {
      if (!parse_hex(rest, bytes) || bytes.empty()) return false;
      flood(fd, bytes);
    } else if (command == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(rest.c_str())));
    } else if (command == "silence") {
      wait_for_close(fd);
    } else if (command == "close") {
      close(fd);
      fd = -1;
    } else if (command == "accept") {
      if (fd >= 0) close(fd);
      fd = accept_one(listener);
      if (fd < 0) return false;
    } else {
      std::fprintf(stderr, "scriptpeer: unknown command: %s\n", line.c_str());
      return false;
    }
  }
  if (fd >= 0) {
    wait_for_close(fd);
    close(fd);
  }
  log_line("# closed");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  signal(SIGPIPE, SIG_IGN);
  std::string script_path, log_path;
  int port = 0;
  enum { O_SCRIPT = 1, O_PORT, O_LOG, O_STDIN };
  static const option kOptions[] = {{"script", required_argument, nullptr, O_SCRIPT},
                                    {"port", required_argument, nullptr, O_PORT},
                                    {"log", required_argument, nullptr, O_LOG},
                                    {"stdin", no_argument, nullptr, O_STDIN},
                                    {nullptr, 0, nullptr, 0}};
  int opt;
  while ((opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
    switch (opt) {
      case O_SCRIPT: script_path = optarg; break;
      case O_PORT: port = std::atoi(optarg); break;
      case O_LOG: log_path = optarg; break;
      case O_STDIN: g_watch_stdin = true; break;
      default: std::fprintf(stderr, "usage: scriptpeer --script FILE [--port N] [--log FILE] [--stdin]\n"); return 2;
    }
  }
  std::ifstream file(script_path);
  if (!file) {
    std::fprintf(stderr, "scriptpeer: cannot read the script %s\n", script_path.c_str());
    return 2;
  }
  std::vector<std::string> script;
  for (std::string line; std::getline(file, line);) {
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    size_t start = line.find_first_not_of(' ');
    if (start != std::string::npos) script.push_back(line.substr(start));
  }
  if (!log_path.empty()) g_log = std::fopen(log_path.c_str(), "a");

  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 8) != 0) {
    std::fprintf(stderr, "scriptpeer: cannot listen: %s\n", std::strerror(errno));
    return 1;
  }
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  std::printf("%d\n", ntohs(addr.sin_port));
  std::fflush(stdout);
  if (g_watch_stdin) std::thread(stdin_watch).detach();
  return run(listener, script) ? 0 : 1;
}
