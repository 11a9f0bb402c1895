// The stand-in database server: configuration, shared state and the
// sessions, one per connection.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "codec.h"

namespace dbserver {

struct Config {
  uint16_t revision = 1;
  int byte_order = 1234;  // 1234 or 4321, announced in the greeting
  std::string platform = "LINUX";
  std::string charset = "ISO8859/1";  // code-set name announced
  uint32_t capabilities = 0x2e;       // transactions, catalog, logon, management
  uint32_t suggested_bufsz = 32768;
  uint32_t max_bufsz = 0;
  std::string challenge;         // empty: one made per session
  unsigned greeting_size = 0;    // pad the greeting reply to this many bytes (0: no padding)
  std::set<std::string> faults;  // see README.md
  bool has(const char* fault) const { return faults.count(fault) != 0; }
};

// What every session sees. The later database state (catalog, sets,
// records) belongs here too, behind the same object.
struct State {
  Config config;
  bool users_required = false;               // a users file was given
  std::map<std::string, std::string> users;  // name -> MD5 of the password, hex
  int sessions_total = 0;
  int sessions_open = 0;
  FILE* log = nullptr;
  void note(int session, const char* format, ...) __attribute__((format(printf, 3, 4)));
};

bool load_users(const std::string& path, State& state, std::string& error);
// The password hex of a logon decrypted under the key made from the challenge;
// false when it is not a valid cipher text.
bool decrypt_password(const std::string& challenge, const std::string& hex, std::string& plain);

class Session {
 public:
  Session(State& state, int fd, int number);
  ~Session();
  int fd() const { return fd_; }
  bool closed() const { return fd_ < 0; }
  // Reads what the socket has and answers every whole frame.
  void on_readable();

 private:
  void handle_frame(const Bytes& body);
  void greeting(const Bytes& body);
  void request(const Bytes& body);
  void logon(uint16_t id, Reader& in);
  void management(uint16_t id, Reader& in);
  void unsupported(uint16_t id, uint16_t cls);
  // Sends the reply header and body; faults may bend it.
  void reply(uint16_t id, const Writer& body);
  void send_frame(const Bytes& frame);
  std::string command(const std::vector<std::string>& words, int32_t& status);
  void close_now(const char* why);

  State& state_;
  int fd_;
  int number_;
  Bytes inbox_;
  bool greeted_ = false;
  bool logged_on_ = false;
  bool big_ = false;
  std::string user_;
  std::string challenge_;
};

}  // namespace dbserver
