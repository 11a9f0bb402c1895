// The stand-in database server: listens on loopback, prints the port it took
// on its first line, and serves every connection as one session until it is
// killed, its parent ends, or (with --stdin) its standard input ends.
#include <arpa/inet.h>
#include <getopt.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "server.h"

namespace {

const char kUsage[] =
    "usage: dbserver [options]\n"
    "  --port N             listen on N (0, the default: any free port)\n"
    "  --byte-order 1234|4321\n"
    "  --charset NAME       code-set name announced (ISO8859/1, ROMAN8, ...)\n"
    "  --capabilities HEX   capability bits (default 2e)\n"
    "  --revision HEX       protocol revision announced (default 1)\n"
    "  --suggested-bufsz N  --max-bufsz N\n"
    "  --challenge TEXT     logon challenge (default: one per session)\n"
    "  --greeting-size N    pad the greeting reply to N bytes\n"
    "  --users FILE         lines name:md5-of-password; without it any logon passes\n"
    "  --log FILE           what the server received, one line per event\n"
    "  --fault NAME         bend the protocol (see README.md); may repeat\n"
    "  --refuse CLASS/OP[@N][=STATUS]\n"
    "                       refuse the N-th request (default the first) with STATUS (default -1)\n"
    "  --root-file FILE     every open answers with the bytes of FILE as its root object\n"
    "  --stdin              end when standard input ends\n";

bool parse_number(const char* text, int base, unsigned long max, unsigned long& out) {
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(text, &end, base);
  if (errno || !*text || *end || v > max) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using dbserver::State;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  signal(SIGPIPE, SIG_IGN);

  State state;
  unsigned long port = 0;
  bool watch_stdin = false;
  std::string users_path, log_path;
  enum {
    O_PORT = 1,
    O_ORDER,
    O_CHARSET,
    O_CAPS,
    O_REV,
    O_SUGG,
    O_MAX,
    O_CHAL,
    O_USERS,
    O_LOG,
    O_FAULT,
    O_STDIN,
    O_GSIZE,
    O_REFUSE,
    O_ROOT_FILE
  };
  static const struct option options[] = {
      {"port", required_argument, nullptr, O_PORT},           {"byte-order", required_argument, nullptr, O_ORDER},
      {"charset", required_argument, nullptr, O_CHARSET},     {"capabilities", required_argument, nullptr, O_CAPS},
      {"revision", required_argument, nullptr, O_REV},        {"suggested-bufsz", required_argument, nullptr, O_SUGG},
      {"max-bufsz", required_argument, nullptr, O_MAX},       {"challenge", required_argument, nullptr, O_CHAL},
      {"users", required_argument, nullptr, O_USERS},         {"log", required_argument, nullptr, O_LOG},
      {"fault", required_argument, nullptr, O_FAULT},         {"stdin", no_argument, nullptr, O_STDIN},
      {"greeting-size", required_argument, nullptr, O_GSIZE}, {"refuse", required_argument, nullptr, O_REFUSE},
      {"root-file", required_argument, nullptr, O_ROOT_FILE}, {nullptr, 0, nullptr, 0},
  };
  int opt;
  unsigned long v;
  while ((opt = getopt_long(argc, argv, "", options, nullptr)) != -1) {
    bool ok = true;
    switch (opt) {
      case O_PORT: ok = parse_number(optarg, 10, 65535, port); break;
      case O_ORDER:
        ok = parse_number(optarg, 10, 65535, v) && (v == 1234 || v == 4321);
        state.config.byte_order = static_cast<int>(v);
        break;
      case O_CHARSET: state.config.charset = optarg; break;
      case O_CAPS:
        ok = parse_number(optarg, 16, 0xffffffffUL, v);
        state.config.capabilities = static_cast<uint32_t>(v);
        break;
      case O_REV:
        ok = parse_number(optarg, 16, 0xffff, v);
        state.config.revision = static_cast<uint16_t>(v);
        break;
      case O_SUGG:
        ok = parse_number(optarg, 10, 0xffffffffUL, v);
        state.config.suggested_bufsz = static_cast<uint32_t>(v);
        break;
      case O_MAX:
        ok = parse_number(optarg, 10, 0xffffffffUL, v);
        state.config.max_bufsz = static_cast<uint32_t>(v);
        break;
      case O_CHAL: state.config.challenge = optarg; break;
      case O_USERS: users_path = optarg; break;
      case O_ROOT_FILE: state.root_file = optarg; break;
      case O_LOG: log_path = optarg; break;
      case O_FAULT: state.config.faults.insert(optarg); break;
      case O_STDIN: watch_stdin = true; break;
      case O_GSIZE:
        ok = parse_number(optarg, 10, 4096, v);
        state.config.greeting_size = static_cast<unsigned>(v);
        break;
      case O_REFUSE: {
        dbserver::Refusal r;
        ok = dbserver::parse_refusal(optarg, r);
        state.refusals.push_back(r);
        break;
      }
      default: ok = false; break;
    }
    if (!ok) {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (optind != argc) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  state.catalog = std::make_unique<dbserver::Catalog>(state.config.byte_order == 4321);
  {
    // The node's own description.
    dbserver::Table& node = state.catalog->node().at(22);
    dbserver::Undo ignored;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"platform", state.config.platform},
                                     {"charset", state.config.charset},
                                     {"byteorder", std::to_string(state.config.byte_order)}})
      state.catalog->insert(node, {dbserver::Value::text(key), dbserver::Value::text(value)}, nullptr, &ignored);
  }
  if (!users_path.empty()) {
    std::string error;
    if (!dbserver::load_users(users_path, state, error)) {
      std::fprintf(stderr, "dbserver: %s\n", error.c_str());
      return 1;
    }
  }
  if (!log_path.empty()) {
    state.log = std::fopen(log_path.c_str(), "a");
    if (!state.log) {
      std::fprintf(stderr, "dbserver: cannot write log %s\n", log_path.c_str());
      return 1;
    }
  }

  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t len = sizeof addr;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    std::fprintf(stderr, "dbserver: cannot listen: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("%d\n", ntohs(addr.sin_port));
  std::fflush(stdout);

  // One thread per session, blocked in its own receive; the state is shared
  // under one lock. This loop only accepts connections and watches stdin.
  struct Live {
    std::unique_ptr<dbserver::Session> session;
    std::thread thread;
    std::atomic<bool> done{false};
  };
  std::mutex lock;
  std::vector<std::unique_ptr<Live>> sessions;
  auto reap = [&](bool all) {
    for (auto& live : sessions)
      if (all || live->done) {
        live->thread.join();
        std::lock_guard<std::mutex> hold(lock);
        live->session.reset();
      }
    std::erase_if(sessions, [](const auto& live) { return !live->session; });
  };
  int next_number = 1;
  for (;;) {
    struct pollfd fds[2] = {{listener, POLLIN, 0}, {0, POLLIN, 0}};
    int rc = poll(fds, watch_stdin ? 2 : 1, -1);
    if (rc < 0) {
      if (errno == EINTR) continue;
      return 1;
    }
    if (watch_stdin && fds[1].revents) {
      char sink[256];
      if (read(0, sink, sizeof sink) <= 0) break;
    }
    reap(false);
    if (fds[0].revents & POLLIN) {
      int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      // Replies go out when sent, as a real server's do.
      int nodelay = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &nodelay, sizeof nodelay);
      auto live = std::make_unique<Live>();
      {
        std::lock_guard<std::mutex> hold(lock);
        live->session = std::make_unique<dbserver::Session>(state, fd, next_number++);
      }
      Live* raw = live.get();
      live->thread = std::thread([raw, &lock] {
        raw->session->serve(lock);
        raw->done = true;
      });
      sessions.push_back(std::move(live));
    }
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    for (auto& live : sessions) live->session->wake();
  }
  reap(true);
  if (state.log) std::fclose(state.log);
  return 0;
}
