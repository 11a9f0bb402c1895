// The stand-in database server: configuration, shared state and the
// sessions, one per connection.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "catalog.h"
#include "codec.h"
#include "locks.h"
#include "records.h"

namespace dbserver {

struct Config {
  uint16_t revision = 1;
  int byte_order = 1234;  // 1234 or 4321, announced in the greeting
  std::string platform = "LINUX";
  std::string charset = "ISO8859/1";  // code-set name announced
  uint32_t capabilities = 0x2e;       // transactions, catalog, logon, management
  uint32_t suggested_bufsz = 32768;
  uint32_t max_bufsz = 0;
  std::string challenge;                      // empty: one made per session
  unsigned greeting_size = 0;                 // pad the greeting reply to this many bytes (0: no padding)
  std::set<std::string, std::less<>> faults;  // see README.md
  bool has(const char* fault) const { return faults.count(fault) != 0; }
};

// `--refuse CLASS/OP[@N][=STATUS]`: the N-th request of a class and
// operation is refused with STATUS.
struct Refusal {
  uint16_t cls = 0;
  uint16_t op = 0;
  int nth = 1;
  int32_t status = -1;
  int seen = 0;
};
bool parse_refusal(const std::string& text, Refusal& out);

// Capacity the stand-in reports for a set with storage: the catalog keeps
// no capacity.
constexpr uint32_t kSetCapacity = 1000;

// Storage state of one database's sets.
struct Storage {
  bool needs_creation = true;  // a fresh database opens only in mode 13
  std::set<uint32_t> created;  // tableids of the sets with storage
};

// What every session sees: the configuration, the catalog and the counters.
struct State {
  Config config;
  bool users_required = false;  // a users file was given: logons are checked against table 30
  std::unique_ptr<Catalog> catalog;
  std::vector<Refusal> refusals;
  std::map<uint32_t, Storage> storage;  // by catalog dbid
  // Records and locks of each database, by catalog dbid.
  std::map<uint32_t, RecordStore> records;
  std::map<uint32_t, LockTable> locks;
  std::string root_file;  // --root-file: the root object every open sends
  int sessions_total = 0;
  int sessions_open = 0;
  FILE* log = nullptr;
  void note(int session, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Counts the request; true (and the status) when it is to be refused.
  bool refused(uint16_t cls, uint16_t op, int32_t* status);
};

// Seeds table 30 from lines name:md5hex, each user with every privilege.
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
  // Serves the connection until it ends. Each receive blocks on the socket
  // (nothing polls before it) and takes all the bytes it holds; then every
  // whole frame in the inbox is answered with `lock` held, as the state is
  // shared with the other sessions.
  void serve(std::mutex& lock);
  // Ends a serve() waiting in its receive; called with the lock held.
  void wake();

 private:
  void handle_frame(const unsigned char* body, size_t size);
  void greeting(const unsigned char* body, size_t size);
  void request(const unsigned char* body, size_t size);
  void logon(uint16_t id, Reader& in);
  void management(uint16_t id, Reader& in);
  void unsupported(uint16_t id, uint16_t cls);
  void refuse(uint16_t id, uint16_t cls, int32_t status);
  // Database requests (class 3: open, close, info, create, erase, purge).
  struct OpenSet {
    std::string name;  // 16 bytes, blank-padded
    char letter;
    int32_t record_length;
    uint32_t tableid;
    StoreSet layout;  // items and paths, as the record store keeps them
  };
  struct OpenDb {
    uint32_t dbid = 0;
    int mode = 0;
    std::vector<OpenSet> sets;
  };
  void database_request(uint16_t id, uint16_t op, Reader& in);
  void database_reply(uint16_t id, int32_t status, int32_t word9, const Writer* extra, const std::string* object);
  int32_t build_root(Database& db, OpenDb& open, std::string& object);
  int32_t set_access(Database& db, const std::vector<int64_t>& tables, std::vector<int32_t>& access);
  // Catalog requests (class 4).
  void catalog_request(uint16_t id, uint16_t op, Reader& in);
  // Transaction requests (class 3, operations 15 to 18).
  void transaction(uint16_t id, uint16_t op, Reader& in);
  void status_reply(uint16_t id, int32_t status, int32_t word1, int32_t word2);
  // Keeps the undo of a catalog change in the innermost open level.
  void keep(Undo undo);
  // A pre-commit's levels become final when any request but a rollback of
  // them follows.
  void settle();
  // Takes back every level above the first `keep` ones.
  void undo_to(size_t keep);
  // Sends the reply header and body; faults may bend it.
  void reply(uint16_t id, const Writer& body);
  void send_frame(const Bytes& frame);
  std::string command(const std::vector<std::string>& words, int32_t& status);
  void close_now(const char* why);

  State& state_;
  int fd_;
  int number_;
  // Received bytes not yet answered: inbox_[0, inbox_end_). Grows only for
  // a frame larger than it; frames are answered where they lie.
  Bytes inbox_;
  size_t inbox_end_ = 0;
  // The reply frame being sent, reused from one reply to the next.
  Bytes outbox_;
  bool ending_ = false;  // set by wake()
  bool greeted_ = false;
  bool logged_on_ = false;
  bool big_ = false;
  std::string user_;
  std::string challenge_;

  struct Level {
    uint32_t id = 0;
    std::vector<Undo> undo;
  };
  std::vector<Level> levels_;
  std::vector<Level> pending_;        // closed by a pre-commit, still undoable
  std::map<uint16_t, uint32_t> dbs_;  // database handle -> dbid
  uint16_t next_db_ = 1;
  struct Query {
    Table snapshot;
    size_t next = 0;
  };
  std::map<uint16_t, Query> queries_;
  std::map<uint16_t, OpenDb> opened_;  // remote dbid -> open database
  // Record requests (class 3: lock, unlock, put, find, get).
  void record_request(uint16_t id, uint16_t op, Reader& in);
  RecordStore& store_of(const OpenDb& open);
  void record_reply(uint16_t id, int32_t status, const std::string* record);
  // Reused by every record request: the reply's body, the record read or
  // put, the put's list and the find's key, so that a request allocates
  // nothing once they have grown to a record's size.
  Writer record_body_{false};
  std::string record_, list_, key_;
  // Current positions per open database and set.
  std::map<std::pair<uint16_t, int>, Cursor> cursors_;
  // Drops the locks the session holds in every database.
  void release_locks();
  int32_t next_open_ = 1;
  uint16_t next_query_ = 1;
};

}  // namespace dbserver
