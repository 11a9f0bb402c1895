// The stand-in program server: listens on loopback, prints the port it took
// first, and serves each connection in a session of its own: the greeting,
// the login (checked against a users file), listing, reading and saving
// files under its root folder. It reads and writes frames with its own code,
// apart from the client's. See README.md.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <getopt.h>
#include <grp.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "refcrypto.h"

namespace {

using Bytes = std::vector<uint8_t>;

const uint32_t kMaxRequest = 64u * 1024u * 1024u;
// The descriptor of the connection in a run-time started by request 51.
const int kRunTimeFd = 3;

struct Config {
  std::string root;  // real path, no trailing "/"
  bool users_required = false;
  std::map<std::string, std::string> users;  // name -> md5 hex
  FILE* log = nullptr;
  std::map<std::string, std::string> faults;  // name -> argument
};

Config g;
std::mutex g_mutex;

void log_line(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g.log) return;
  std::fprintf(g.log, "%s\n", line.c_str());
  std::fflush(g.log);
}

// Takes a fault once: its argument, or false when it is not set (or spent).
bool take_fault(const std::string& name, std::string* arg = nullptr) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g.faults.find(name);
  if (it == g.faults.end()) return false;
  if (arg) *arg = it->second;
  g.faults.erase(it);
  return true;
}

std::string hex(const uint8_t* p, size_t n) { return refcrypto::hex(p, n); }

bool write_all(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool read_all(int fd, uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t r = recv(fd, p, n, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

// ------------------------------------------------------------ our codec

struct Reader {
  const Bytes& b;
  size_t at = 0;
  bool ok = true;

  bool need(size_t n) {
    if (!ok || b.size() - at < n) ok = false;
    return ok;
  }
  unsigned byte() {
    if (!need(1)) return 0;
    return b[at++];
  }
  int16_t i16() {
    if (!need(2)) return 0;
    int16_t v = static_cast<int16_t>(b[at] << 8 | b[at + 1]);
    at += 2;
    return v;
  }
  uint32_t u32() {
    if (!need(4)) return 0;
    uint32_t v = static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
                 static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
    at += 4;
    return v;
  }
  std::string str() {
    size_t n = static_cast<uint16_t>(i16());
    if (!ok || n == 0 || !need(n) || b[at + n - 1] != 0) {
      ok = false;
      return "";
    }
    std::string s(reinterpret_cast<const char*>(b.data() + at), n - 1);
    at += n;
    return s;
  }
  Bytes raw(size_t n) {
    if (!need(n)) return {};
    Bytes out(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
    at += n;
    return out;
  }
};

struct Writer {
  Bytes b;
  void byte(unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
  void i16(int v) {
    byte(static_cast<unsigned>(v) >> 8 & 0xFF);
    byte(static_cast<unsigned>(v) & 0xFF);
  }
  void u32(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) byte(v >> s & 0xFF);
  }
  void str(const std::string& s) {
    i16(static_cast<int>(s.size() + 1));
    b.insert(b.end(), s.begin(), s.end());
    byte(0);
  }
  void object(const std::string& data) {
    u32(static_cast<uint32_t>(data.size() + 1));
    b.insert(b.end(), data.begin(), data.end());
    byte(0);
  }
};

Bytes frame_of(const Bytes& payload) {
  Writer w;
  w.b.reserve(payload.size() + 4);
  w.u32(static_cast<uint32_t>(payload.size()));
  for (uint8_t c : payload) w.b.push_back(c);
  return w.b;
}

// ------------------------------------------------------------ the tree

// The real path of a path under the root, or "" when it leaves the root.
// `must_exist` false allows a missing last component (a file to create).
std::string resolve(const std::string& path, bool must_exist) {
  std::string rel = path;
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  for (size_t start = 0; start <= rel.size();) {
    size_t slash = rel.find('/', start);
    std::string part = rel.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part == "..") return "";
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string full = rel.empty() ? g.root : g.root + "/" + rel;
  char buf[PATH_MAX];
  std::string base = full, tail;
  if (!must_exist) {
    size_t slash = full.rfind('/');
    base = full.substr(0, slash);
    tail = full.substr(slash);
  }
  if (!realpath(base.c_str(), buf)) return must_exist ? std::string() : std::string("\x01");
  std::string real = buf;
  if (real != g.root && real.compare(0, g.root.size() + 1, g.root + "/") != 0) return "";
  return real + tail;
}

std::string user_name(uid_t uid) {
  struct passwd* pw = getpwuid(uid);
  return pw ? pw->pw_name : std::to_string(uid);
}

std::string group_name(gid_t gid) {
  struct group* gr = getgrgid(gid);
  return gr ? gr->gr_name : std::to_string(gid);
}

bool has_subfolder(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  bool found = false;
  while (struct dirent* e = readdir(d)) {
    if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
    struct stat st;
    if (stat((dir + "/" + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      found = true;
      break;
    }
  }
  closedir(d);
  return found;
}

// Writes the entries of a folder: kind 1 for files and folders, kind 2 for
// symbolic links (with their target), then kind 0.
void list_dir(const std::string& dir, const std::string& pattern, int mode, Writer& w) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (struct dirent* e = readdir(d)) names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  int folders = 0;
  for (const std::string& name : names) {
    if (name == "." || name == ".." || name[0] == '.') continue;
    if (!pattern.empty() && fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
    std::string full = dir + "/" + name;
    struct stat lst, st;
    if (lstat(full.c_str(), &lst) != 0) continue;
    bool link = S_ISLNK(lst.st_mode);
    if (stat(full.c_str(), &st) != 0) st = lst;
    bool folder = S_ISDIR(st.st_mode);
    if (mode == 1 && folder) continue;
    if ((mode == 2 || mode == 3) && !folder) continue;
    if (mode == 3 && folders == 1) break;
    if (folder) ++folders;
    uint32_t bits = static_cast<uint32_t>(st.st_mode & 0777) | (folder ? 0x4000u : 0x8000u);
    if (folder && has_subfolder(full)) bits |= 0x1000000u;
    if (link) {
      char target[PATH_MAX];
      ssize_t n = readlink(full.c_str(), target, sizeof target - 1);
      w.byte(2);
      w.str(name);
      w.str(std::string(target, n > 0 ? static_cast<size_t>(n) : 0));
      w.str(user_name(lst.st_uid));
      w.str(group_name(lst.st_gid));
      w.u32(static_cast<uint32_t>(lst.st_mtime));
      w.u32(bits);
    } else {
      w.byte(1);
      w.str(name);
      w.str(user_name(st.st_uid));
      w.str(group_name(st.st_gid));
      w.u32(folder ? 0 : static_cast<uint32_t>(st.st_size));
      w.u32(static_cast<uint32_t>(st.st_mtime));
      w.u32(bits);
    }
  }
  w.byte(0);
}

// ------------------------------------------------------------ a session

class Session {
 public:
  explicit Session(int fd) : fd_(fd) {}

  void run() {
    log_line("# session open");
    if (!greeting() || !login()) {
      log_line("# closed");
      return;
    }
    for (;;) {
      Bytes body;
      if (!read_frame(body)) break;
      if (!request(body)) break;
    }
    log_line("# closed");
  }

 private:
  bool read_frame(Bytes& body) {
    uint8_t head[4];
    if (!read_all(fd_, head, 4)) return false;
    uint32_t n = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                 static_cast<uint32_t>(head[2]) << 8 | head[3];
    if (n > kMaxRequest) {
      log_line("# frame too large: " + std::to_string(n));
      return false;
    }
    body.resize(n);
    if (!read_all(fd_, body.data(), n)) return false;
    Bytes whole(head, head + 4);
    whole.insert(whole.end(), body.begin(), body.end());
    log_line("recv " + hex(whole.data(), whole.size()));
    return true;
  }

  bool reply(const Writer& w) {
    Bytes f = frame_of(w.b);
    return write_all(fd_, f.data(), f.size());
  }

  bool status(int code, const std::string& message) {
    Writer w;
    w.i16(code);
    w.str(message);
    return reply(w);
  }

  bool greeting() {
    Bytes body;
    if (!read_frame(body)) return false;
    Reader r{body};
    Bytes magic = r.raw(8);
    int revision = r.i16();
    int bom = r.i16();
    std::string platform = r.str();
    std::string codeset = r.str();
    if (!r.ok || std::string(magic.begin(), magic.end()) != "YQ.ZELLD" || revision != 5) {
      log_line("# greeting refused: not a client of revision 5");
      status(1, "Unknown client or protocol revision");
      return false;
    }
    log_line("# greeting revision=" + std::to_string(revision) + " order=" + std::to_string(bom) + " platform=\"" +
             platform + "\" codeset=\"" + codeset + "\"");
    std::string arg;
    if (take_fault("refuse-greeting")) {
      log_line("# fault refuse-greeting");
      status(3, "Server is not accepting connections");
      return false;
    }
    std::random_device rd;
    char key[17];
    std::snprintf(key, sizeof key, "%08x%08x", rd(), rd());
    key_ = key;
    if (take_fault("greeting-size", &arg)) {
      // A reply of exactly N payload bytes: the status and a longer key.
      long n = std::strtol(arg.c_str(), nullptr, 10);
      if (n < 5) n = 5;
      key_.assign(static_cast<size_t>(n - 5), 'k');
      log_line("# fault greeting-size=" + std::to_string(n));
    }
    log_line("# key " + key_);
    Writer w;
    w.i16(0);
    w.str(key_);
    return reply(w);
  }

  bool login() {
    Bytes body;
    if (!read_frame(body)) return false;
    Reader r{body};
    int code = r.i16();
    std::string name = r.str();
    std::string cipher = r.str();
    if (!r.ok || code != 10) {
      log_line("# login malformed");
      status(1, "Login expected");
      return false;
    }
    std::string plain;
    bool deciphered = refcrypto::decrypt_hex(refcrypto::make_key(key_), cipher, &plain);
    log_line("# login " + name + (deciphered ? " deciphered \"" + plain + "\"" : " undecipherable"));
    if (take_fault("wrong-login")) {
      log_line("# fault wrong-login");
      status(77, "Login refused by fault switch");
      return false;
    }
    bool ok = deciphered;
    if (ok && g.users_required) {
      auto it = g.users.find(name);
      ok = it != g.users.end() && it->second == refcrypto::md5_hex(plain);
    }
    if (!ok) {
      status(2, "Login incorrect for user \"" + name + "\"");
      return false;
    }
    Writer w;
    w.i16(0);
    return reply(w);
  }

  // Sends a reply, bent by the faults that aim at the next request. False
  // ends the session.
  bool answer(const Writer& w) {
    std::string arg;
    if (take_fault("delay", &arg)) {
      long ms = arg.empty() ? 1000 : std::strtol(arg.c_str(), nullptr, 10);
      log_line("# fault delay=" + std::to_string(ms));
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    Bytes f = frame_of(w.b);
    if (take_fault("cut")) {
      log_line("# fault cut");
      write_all(fd_, f.data(), std::min<size_t>(f.size(), 4 + (f.size() - 4) / 2));
      return false;
    }
    if (take_fault("stall", &arg)) {
      long ms = arg.empty() ? 3000 : std::strtol(arg.c_str(), nullptr, 10);
      log_line("# fault stall=" + std::to_string(ms));
      if (!write_all(fd_, f.data(), 4)) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return write_all(fd_, f.data() + 4, f.size() - 4);
    }
    if (take_fault("huge-length")) {
      log_line("# fault huge-length");
      const uint8_t head[8] = {0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
      write_all(fd_, head, sizeof head);
      return true;
    }
    if (take_fault("no-nul")) {
      log_line("# fault no-nul");
      Writer bad;
      bad.i16(1);
      bad.i16(4);
      for (char c : std::string("oops")) bad.byte(static_cast<unsigned char>(c));
      Bytes g2 = frame_of(bad.b);
      return write_all(fd_, g2.data(), g2.size());
    }
    return write_all(fd_, f.data(), f.size());
  }

  bool request(const Bytes& body) {
    Reader r{body};
    int code = r.i16();
    Writer w;
    switch (code) {
      case 60:
      case 61: {
        std::string dir, pattern;
        int mode = 0;
        if (code == 61) {
          dir = r.str();
          pattern = r.str();
          mode = r.i16();
        }
        if (!r.ok) return answer(error(9, "Malformed request"));
        log_line("# list \"" + dir + "\" \"" + pattern + "\" " + std::to_string(mode));
        std::string real = resolve(dir, true);
        struct stat st;
        if (real.empty()) return answer(error(2, "Path \"" + dir + "\" is outside the server's tree"));
        if (stat(real.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
          return answer(error(1, "Folder \"" + dir + "\" not found"));
        w.i16(0);
        if (take_fault("bad-kind")) {
          log_line("# fault bad-kind");
          w.byte(3);
          w.str("bad");
        }
        if (take_fault("odd-names")) {
          log_line("# fault odd-names");
          for (const char* odd : {".", "..", "a/b"}) {
            w.byte(1);
            w.str(odd);
            w.str("root");
            w.str("root");
            w.u32(0);
            w.u32(0);
            w.u32(0x8000u | 0644u);
          }
        }
        list_dir(real, pattern, mode, w);
        return answer(w);
      }
      case 6:
      case 70: {
        std::string path = r.str();
        if (!r.ok) return answer(error(9, "Malformed request"));
        log_line((code == 6 ? "# debug-read \"" : "# read \"") + path + "\"");
        std::string real = resolve(path, true);
        if (real.empty()) return answer(error(2, "Path \"" + path + "\" is outside the server's tree"));
        std::ifstream in(real, std::ios::binary);
        struct stat st;
        if (!in || stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
          return answer(error(1, "File \"" + path + "\" not found"));
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        w.i16(0);
        w.object(data);
        return answer(w);
      }
      case 71: {
        std::string path = r.str();
        unsigned flag = r.byte();
        uint32_t n = r.u32();
        Bytes data = r.raw(n);
        if (!r.ok || n == 0 || data.back() != 0 || r.at != body.size()) return answer(error(9, "Malformed request"));
        log_line("# save \"" + path + "\" flag=" + std::to_string(flag) + " bytes=" + std::to_string(n - 1));
        std::string real = resolve(path, false);
        if (real.empty()) return answer(error(2, "Path \"" + path + "\" is outside the server's tree"));
        if (real == "\x01") return answer(error(1, "Folder of \"" + path + "\" not found"));
        std::string tmp = real + ".tmp-progserver";
        FILE* f = std::fopen(tmp.c_str(), "wb");
        bool ok = f && std::fwrite(data.data(), 1, n - 1, f) == n - 1;
        if (f && std::fclose(f) != 0) ok = false;
        if (!ok || std::rename(tmp.c_str(), real.c_str()) != 0) {
          std::string why = std::strerror(errno);
          std::remove(tmp.c_str());
          return answer(error(1, "File \"" + path + "\" could not be written: " + why));
        }
        w.i16(0);
        return answer(w);
      }
      case 51: return remote_debug(r);
      case 63:
      case 64: {
        // Locate a stop's file, or translate a path on this server into the
        // name the run-time knows: both are the path under the root.
        std::string path = r.str();
        if (!r.ok) return answer(error(9, "Malformed request"));
        log_line((code == 63 ? "# locate \"" : "# translate \"") + path + "\"");
        std::string real = resolve(path, true);
        struct stat st;
        if (real.empty() || stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
          return answer(error(1, "File \"" + path + "\" not found"));
        w.i16(0);
        w.str(real.size() > g.root.size() ? real.substr(g.root.size() + 1) : std::string());
        return answer(w);
      }
      default: return answer(error(9, "Unknown request " + std::to_string(code)));
    }
  }

  // Request 51: the stand-in run-time (zazovadi beside this program) takes
  // the connection over, in the start directory under the root, with the
  // command's words as its arguments and the environment's words added to
  // its environment. Its first stop is the reply. False: this session ends.
  bool remote_debug(Reader& r) {
    std::string dir = r.str();
    std::string tty = r.str();
    std::vector<std::string> words, env;
    for (int i = 0, n = r.i16(); r.ok && i < n; ++i) words.push_back(r.str());
    for (int i = 0, n = r.i16(); r.ok && i < n; ++i) env.push_back(r.str());
    if (!r.ok) return answer(error(9, "Malformed request"));
    std::string line = "# remote-debug dir=\"" + dir + "\" tty=\"" + tty + "\" command=";
    for (const auto& word : words) line += "[" + word + "]";
    line += " environment=";
    for (const auto& word : env) line += "[" + word + "]";
    log_line(line);
    std::string cwd = resolve(dir, true);
    if (cwd.empty()) return answer(error(2, "Start directory \"" + dir + "\" not found"));
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string exe = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
    exe = exe.substr(0, exe.rfind('/') + 1) + "zazovadi";
    // Everything the child needs is built before the fork.
    const std::string fd_text = std::to_string(kRunTimeFd);
    std::vector<char*> argv{const_cast<char*>(exe.c_str()), const_cast<char*>("-rfd"),
                            const_cast<char*>(fd_text.c_str())};
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    for (auto& word : env) envp.push_back(word.data());
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
      if (dup2(fd_, kRunTimeFd) < 0 || chdir(cwd.c_str()) != 0) _exit(127);
      execve(exe.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    if (pid < 0) return answer(error(2, std::string("The run-time cannot be started: ") + std::strerror(errno)));
    log_line("# run-time started");
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      log_line("# run-time ended " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128));
    }).detach();
    return false;
  }

  static Writer error(int code, const std::string& message) {
    Writer w;
    w.i16(code);
    w.str(message);
    return w;
  }

  int fd_;
  std::string key_;
};

const char kUsage[] =
    "usage: progserver --root DIR [options]\n"
    "  --root DIR     the tree it serves\n"
    "  --port N       listen on N (0, the default: any free port)\n"
    "  --users FILE   accepted logins, lines name:md5hex (without: any login)\n"
    "  --log FILE     appends every received frame in hex and events\n"
    "  --fault NAME   refuse-greeting, greeting-size=N, wrong-login, delay=MS,\n"
    "                 cut, stall=MS, huge-length, no-nul, bad-kind, odd-names\n"
    "                 (each once)\n"
    "  --stdin        end when standard input ends\n"
    "Request 51 hands the connection to the stand-in run-time zazovadi of this\n"
    "program's folder.\n";

bool load_users(const char* path) {
  std::ifstream in(path);
  if (!in) return false;
  g.users_required = true;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos || line.size() - colon - 1 != 32) return false;
    std::string digest = line.substr(colon + 1);
    for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    g.users[line.substr(0, colon)] = digest;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  signal(SIGPIPE, SIG_IGN);
  long port = 0;
  bool watch_stdin = false;
  std::string root;
  enum { O_ROOT = 1, O_PORT, O_USERS, O_LOG, O_FAULT, O_STDIN };
  static const struct option options[] = {
      {"root", required_argument, nullptr, O_ROOT},
      {"port", required_argument, nullptr, O_PORT},
      {"users", required_argument, nullptr, O_USERS},
      {"log", required_argument, nullptr, O_LOG},
      {"fault", required_argument, nullptr, O_FAULT},
      {"stdin", no_argument, nullptr, O_STDIN},
      {nullptr, 0, nullptr, 0},
  };
  int opt;
  while ((opt = getopt_long(argc, argv, "", options, nullptr)) != -1) {
    switch (opt) {
      case O_ROOT: root = optarg; break;
      case O_PORT: port = std::strtol(optarg, nullptr, 10); break;
      case O_USERS:
        if (!load_users(optarg)) {
          std::fprintf(stderr, "progserver: cannot read users file %s (lines name:md5hex)\n", optarg);
          return 1;
        }
        break;
      case O_LOG:
        g.log = std::fopen(optarg, "a");
        if (!g.log) {
          std::fprintf(stderr, "progserver: cannot write log %s\n", optarg);
          return 1;
        }
        break;
      case O_FAULT: {
        std::string f = optarg;
        size_t eq = f.find('=');
        g.faults[f.substr(0, eq)] = eq == std::string::npos ? "" : f.substr(eq + 1);
        break;
      }
      case O_STDIN: watch_stdin = true; break;
      default: std::fputs(kUsage, stderr); return 2;
    }
  }
  char real[PATH_MAX];
  if (root.empty() || !realpath(root.c_str(), real)) {
    std::fputs(root.empty() ? kUsage : "progserver: the root folder does not exist\n", stderr);
    return 2;
  }
  g.root = real;

  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 8) != 0) {
    std::fprintf(stderr, "progserver: cannot listen: %s\n", std::strerror(errno));
    return 1;
  }
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  std::printf("%u\n", ntohs(addr.sin_port));
  std::fflush(stdout);

  for (;;) {
    pollfd p[2] = {{listener, POLLIN, 0}, {0, POLLIN, 0}};
    int rc = poll(p, watch_stdin ? 2 : 1, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) return 1;
    if (watch_stdin && p[1].revents) {
      char c;
      if (read(0, &c, 1) <= 0) {
        // Sessions may still be running on their threads: end without
        // waiting for them (the log is flushed after every line).
        _exit(0);
      }
    }
    if (!p[0].revents) continue;
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::thread([fd] {
      Session(fd).run();
      close(fd);
      OPENSSL_thread_stop();  // the thread's own cipher state
    }).detach();
  }
}
