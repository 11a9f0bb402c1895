#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "refcrypto.h"
#include "server.h"

namespace dbserver {

namespace {

// Largest request frame a client may send.
constexpr uint32_t kMaxRequest = 16u << 20;

const char kHelp[] =
    "Available commands:\n"
    "  help [command]    - show this list or the usage of one command\n"
    "  status [all]      - show the state of the server (all: with its sessions)\n"
    "  users             - list the user names of the users file\n"
    "  echo [word ...]   - return the words, one per line\n"
    "  fail code [text]  - answer with a management failure\n";

struct Usage {
  const char* name;
  const char* text;
};

const Usage kUsages[] = {
    {"help", "usage: help [command]\n  show the list of commands, or the usage of one command\n"},
    {"status", "usage: status [all]\n  show the state of the server; all adds one line per session\n"},
    {"users", "usage: users\n  list the user names of the users file\n"},
    {"echo", "usage: echo [word ...]\n  return the words, one per line\n"},
    {"fail", "usage: fail code [text]\n  answer with the management status code and the text\n"},
};

}  // namespace

void State::note(int session, const char* format, ...) {
  if (!log) return;
  std::fprintf(log, "session %d: ", session);
  va_list args;
  va_start(args, format);
  std::vfprintf(log, format, args);
  va_end(args);
  std::fputc('\n', log);
  std::fflush(log);
}

Session::Session(State& state, int fd, int number) : state_(state), fd_(fd), number_(number) {
  ++state_.sessions_total;
  ++state_.sessions_open;
  challenge_ = state_.config.challenge.empty() ? "challenge-" + std::to_string(number) : state_.config.challenge;
  big_ = state_.config.byte_order == 4321;
  record_body_ = Writer(big_);
  state_.note(number_, "open");
}

Session::~Session() { close_now("end"); }

void Session::close_now(const char* why) {
  if (fd_ < 0) return;
  // A connection that ends inside a transaction takes back what it changed.
  if (!levels_.empty() || !pending_.empty()) {
    for (Level& l : pending_) levels_.push_back(std::move(l));
    pending_.clear();
    state_.note(number_, "rollback of %u open levels at close", static_cast<unsigned>(levels_.size()));
    undo_to(0);
  }
  release_locks();
  ::close(fd_);
  fd_ = -1;
  --state_.sessions_open;
  state_.note(number_, "closed (%s)", why);
}

void Session::serve(std::mutex& lock) {
  constexpr size_t kInbox = 64 * 1024;
  inbox_.resize(kInbox);
  for (;;) {
    int fd = fd_;  // only this thread closes it
    if (fd < 0) return;
    if (inbox_end_ == inbox_.size()) inbox_.resize(inbox_.size() * 2);
    ssize_t n = ::recv(fd, inbox_.data() + inbox_end_, inbox_.size() - inbox_end_, 0);
    if (n < 0 && errno == EINTR) continue;
    std::lock_guard<std::mutex> hold(lock);
    if (n <= 0) {
      close_now(ending_ ? "end" : n == 0 ? "client closed" : "receive failed");
      return;
    }
    inbox_end_ += static_cast<size_t>(n);
    size_t at = 0;
    while (fd_ >= 0 && inbox_end_ - at >= 4) {
      const unsigned char* head = inbox_.data() + at;
      uint32_t length = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                        static_cast<uint32_t>(head[2]) << 8 | head[3];
      if (length > kMaxRequest) {
        close_now("request frame too long");
        return;
      }
      if (inbox_end_ - at < 4 + static_cast<size_t>(length)) {
        // Room for the whole frame, so that the next receives complete it.
        if (4 + static_cast<size_t>(length) > inbox_.size()) inbox_.resize(4 + static_cast<size_t>(length));
        break;
      }
      if (state_.log) state_.note(number_, "recv %s", refcrypto::hex(head + 4, length).c_str());
      handle_frame(head + 4, length);
      at += 4 + static_cast<size_t>(length);
    }
    if (at > 0) {
      std::memmove(inbox_.data(), inbox_.data() + at, inbox_end_ - at);
      inbox_end_ -= at;
    }
  }
}

void Session::wake() {
  ending_ = true;
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void Session::handle_frame(const unsigned char* body, size_t size) {
  if (!greeted_)
    greeting(body, size);
  else
    request(body, size);
}

void Session::send_frame(const Bytes& frame) {
  size_t sent = 0;
  while (fd_ >= 0 && sent < frame.size()) {
    ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close_now("send failed");
      return;
    }
    sent += static_cast<size_t>(n);
  }
}

void Session::greeting(const unsigned char* body, size_t size) {
  const Config& cfg = state_.config;
  Reader in(body, size, true);
  std::string magic = in.raw(8);
  uint16_t revision = in.u16();
  uint16_t order = in.u16();
  std::string platform = in.str();
  std::string charset = in.str();
  std::string user = in.str();
  if (!in.ok() || magic != "YQ.DBSRV" || in.remaining() != 0) {
    close_now("malformed greeting");
    return;
  }
  state_.note(number_, "greeting revision=%u order=%u platform=\"%s\" charset=\"%s\" user=\"%s\"", revision, order,
              platform.c_str(), charset.c_str(), user.c_str());
  greeted_ = true;
  if (cfg.has("silent-greeting")) {
    state_.note(number_, "fault silent-greeting");
    return;
  }

  Writer out(true);
  out.u16(0);
  out.u16(0);
  out.u16(cfg.has("bad-revision") ? 0x0100 : cfg.revision);
  out.u16(static_cast<uint16_t>(cfg.byte_order));
  // Padding goes into the platform name: past the greeting limit for the
  // fault, or up to an exact size.
  std::string reply_charset = cfg.has("unknown-charset") ? "EBCDIC" : cfg.charset;
  std::string reply_platform = cfg.platform;
  if (cfg.has("greeting-too-long")) reply_platform += std::string(300, '.');
  size_t fixed = out.bytes().size() + 3 + (reply_charset.size() + 3) + 12 + (challenge_.size() + 3);
  if (cfg.greeting_size > fixed + reply_platform.size())
    reply_platform += std::string(cfg.greeting_size - fixed - reply_platform.size(), '.');
  out.str(reply_platform);
  out.str(reply_charset);
  out.u32(cfg.capabilities);
  out.u32(cfg.suggested_bufsz);
  out.u32(cfg.max_bufsz);
  out.str(challenge_);
  send_frame(out.frame());
}

void Session::request(const unsigned char* body, size_t size) {
  const Config& cfg = state_.config;
  Reader in(body, size, big_);
  uint16_t id = in.u16();
  uint16_t cls = in.u16();
  uint16_t op = in.u16();
  if (!in.ok()) {
    close_now("malformed request header");
    return;
  }
  if (cfg.has("close-on-request")) {
    close_now("fault close-on-request");
    return;
  }
  if (cfg.has("close-mid-frame")) {
    // A length word promising more than follows, then the end.
    Bytes partial = {
        0, 0, 0, 64, static_cast<unsigned char>(big_ ? id >> 8 : id), static_cast<unsigned char>(big_ ? id : id >> 8),
        0, 0};
    send_frame(partial);
    close_now("fault close-mid-frame");
    return;
  }
  int32_t refusal = 0;
  if (state_.refused(cls, op, &refusal)) {
    refuse(id, cls, refusal);
    return;
  }
  if (!(cls == 3 && op == 16)) settle();
  if (cls == 3 && op == 14)
    logon(id, in);
  else if (cls == 3 && (op == 1 || op == 2 || op == 3 || op == 11 || op == 12 || op == 13))
    database_request(id, op, in);
  else if (cls == 3 && op >= 4 && op <= 8)
    record_request(id, op, in);
  else if (cls == 3 && op >= 15 && op <= 18)
    transaction(id, op, in);
  else if (cls == 4)
    catalog_request(id, op, in);
  else if (cls == 6 && op == 1)
    management(id, in);
  else
    unsupported(id, cls);
}

void Session::reply(uint16_t id, const Writer& body) {
  const Config& cfg = state_.config;
  uint16_t reply_id = cfg.has("wrong-reply-id") ? static_cast<uint16_t>(id - 1) : id;
  if (cfg.has("message")) {
    Writer note(big_);
    note.u16(reply_id);
    note.u16(1);
    note.str("stand-in notice for request " + std::to_string(id));
    send_frame(note.frame());
  }
  // The frame: length word, reply header, body, built where the last reply was.
  outbox_.assign(4, 0);
  auto put16 = [this](uint16_t v) {
    outbox_.push_back(static_cast<unsigned char>(big_ ? v >> 8 : v));
    outbox_.push_back(static_cast<unsigned char>(big_ ? v : v >> 8));
  };
  put16(reply_id);
  if (cfg.has("bad-message-flag")) {
    put16(2);
    Writer text(big_);
    text.str("a flag this protocol does not know");
    outbox_.insert(outbox_.end(), text.bytes().begin(), text.bytes().end());
  } else {
    put16(0);
  }
  outbox_.insert(outbox_.end(), body.bytes().begin(), body.bytes().end());
  const uint32_t length = static_cast<uint32_t>(outbox_.size() - 4);
  for (int i = 0; i < 4; ++i) outbox_[static_cast<size_t>(i)] = static_cast<unsigned char>(length >> (24 - 8 * i));
  if (cfg.has("oversize-reply")) {
    // Announce a length beyond any limit, then stop.
    outbox_.resize(4);
    outbox_[0] = 0x7f;
  }
  send_frame(outbox_);
}

void Session::logon(uint16_t id, Reader& in) {
  std::string user = in.str();
  std::string password_hex = in.str();
  int32_t status = 0;
  std::string plain;
  if (!in.ok()) {
    status = -21;
  } else if (state_.config.has("refuse-logon")) {
    status = -5;
  } else if (!decrypt_password(challenge_, password_hex, plain)) {
    status = -4;
  } else if (state_.users_required) {
    Table& users = state_.catalog->node().at(30);
    const Row* found = users.find_name(user);
    if (!found) {
      status = -3;
    } else {
      const Value& digest = found->values[2];
      bool match = digest.null ? plain.empty()
                               : refcrypto::hex(reinterpret_cast<const unsigned char*>(digest.bytes.data()),
                                                digest.bytes.size()) == refcrypto::md5_hex(plain);
      if (!match)
        status = -4;
      else if (!(state_.catalog->bits_value(found->values[3].bytes) & PRIV_CONNECT))
        status = -5;
    }
  }
  if (status == 0) {
    logged_on_ = true;
    user_ = user;
  }
  state_.note(number_, "logon user=\"%s\" status=%d", user.c_str(), status);
  if (state_.config.has("stall-mid-frame")) {
    // A length word promising more than follows, then nothing: the
    // connection stays open.
    Bytes partial = {
        0, 0, 0, 64, static_cast<unsigned char>(big_ ? id >> 8 : id), static_cast<unsigned char>(big_ ? id : id >> 8)};
    send_frame(partial);
    state_.note(number_, "fault stall-mid-frame");
    return;
  }
  Writer body(big_);
  body.u16(0x0001);  // status word 0 only
  for (int i = 0; i < 10; ++i) body.i32(i == 0 ? status : 0);
  reply(id, body);
}

void Session::management(uint16_t id, Reader& in) {
  uint16_t count = in.u16();
  std::vector<std::string> words;
  for (uint16_t i = 0; i < count && in.ok(); ++i) words.push_back(in.str());
  int32_t status = 0;
  std::string text;
  if (!in.ok() || words.empty()) {
    status = -1;
    text = "malformed management request";
  } else if ((state_.config.capabilities & 0x08) && !logged_on_) {
    status = -5;
    text = "not logged on";
  } else {
    text = command(words, status);
  }
  if (state_.log) {
    std::string joined;
    for (const std::string& w : words) joined += (joined.empty() ? "" : " ") + w;
    state_.note(number_, "mgmt \"%s\" status=%d", joined.c_str(), status);
  }
  Writer body(big_);
  body.i32(status);
  if (state_.config.has("no-nul")) {
    // A string whose counted bytes lack their NUL.
    body.u16(static_cast<uint16_t>(text.size()));
    body.raw(text);
  } else {
    body.str(text);
  }
  reply(id, body);
}

std::string Session::command(const std::vector<std::string>& words, int32_t& status) {
  const std::string& verb = words[0];
  if (verb == "help") {
    if (words.size() == 1) return kHelp;
    for (const Usage& u : kUsages)
      if (words[1] == u.name) return u.text;
    status = -2;
    return "Unknown command: " + words[1];
  }
  if (verb == "status") {
    const Config& cfg = state_.config;
    char caps[16];
    std::snprintf(caps, sizeof caps, "0x%02x", cfg.capabilities);
    std::string text = "server: varnica stand-in\n";
    text += "byte order: " + std::to_string(cfg.byte_order) + "\n";
    text += "charset: " + cfg.charset + "\n";
    text += std::string("capabilities: ") + caps + "\n";
    text += "sessions: " + std::to_string(state_.sessions_open) + " open, " + std::to_string(state_.sessions_total) +
            " since start\n";
    if (words.size() > 1 && words[1] == "all")
      text += "session " + std::to_string(number_) + ": user \"" + user_ + "\"\n";
    return text;
  }
  if (verb == "users") {
    std::string text;
    for (const Row& r : state_.catalog->node().at(30).rows) text += r.values[1].bytes + "\n";
    return text;
  }
  if (verb == "echo") {
    std::string text;
    for (size_t i = 1; i < words.size(); ++i) text += words[i] + "\n";
    return text;
  }
  if (verb == "fail") {
    status = words.size() > 1 ? std::atoi(words[1].c_str()) : -1;
    if (status == 0) status = -1;
    return words.size() > 2 ? words[2] : "requested failure";
  }
  status = -2;
  return "Unknown command: " + verb;
}

void Session::unsupported(uint16_t id, uint16_t cls) {
  Writer body(big_);
  if (cls == 3) {
    body.u16(0x0001);
    for (int i = 0; i < 10; ++i) body.i32(i == 0 ? -31 : 0);
  } else {
    body.i32(-1);
    body.str("request not supported by this server");
  }
  reply(id, body);
}

}  // namespace dbserver
