// Working copies of the catalog tables that catadmin changes: the users of
// the node catalog and, for the current database, its groups, memberships
// and tables. Statements look names up here (without regard to case); each
// change goes to the server through the catalog calls first and reaches the
// copy only when the server accepted it, so a failure leaves the copy as it
// was. Failures are error lines of the run (cat_error) that end in
// "Status = <code>/<secondary>" of the catalog's last status.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Privilege bits of users, groups and table privileges.
enum : uint32_t { CAT_DBA = 1, CAT_UADMIN = 2, CAT_CONNECT = 4 };
enum : uint32_t { CAT_DADMIN = 1, CAT_DBPRIV = 2 };
enum : uint32_t { CAT_READ = 1, CAT_WRITE = 2, CAT_ERASE = 4 };

struct CatUser {
  uint32_t uid = 0;
  std::string name;
  bool has_password = false;
  std::string password;  // the MD5 digest (16 bytes) when there is one
  uint32_t priv = 0;
};

struct CatGroup {
  uint32_t gid = 0;
  std::string name;
  uint32_t priv = 0;
};

struct CatMember {
  uint32_t uid = 0;
  uint32_t gid = 0;
};

struct CatTable {
  uint32_t tableid = 0;
  std::string name;
  int32_t type = 0;
};

// The 16-byte MD5 digest of a password; empty for an empty one.
std::string cat_password_digest(const std::string& text);

// A 4-byte privilege map read in either byte order: its first byte when that
// is not 0, else its last.
uint32_t cat_map_value(const unsigned char* bytes, uint32_t length);

class CatCopies {
 public:
  // Connection and database handle the copies stand on; -1 and 0 when none.
  int server_id = -1;
  int db_hndl = 0;
  bool dump = false;  // "-d": each load is dumped on standard error

  std::vector<CatUser> users;
  std::vector<CatGroup> groups;
  std::vector<CatMember> members;
  std::vector<CatTable> tables;

  // Each load replaces its copy; false (with error lines) when the select
  // failed, the columns do not match, or a row could not be read.
  bool load_users();
  bool load_groups();
  bool load_members();
  bool load_tables();
  void clear_database();

  // Index of a name in its copy, or -1.
  int find_user(const std::string& name) const;
  int find_group(const std::string& name) const;
  int find_table(const std::string& name) const;
  int find_member(uint32_t uid, uint32_t gid) const;

  // The change operations: true when the server accepted the change.
  bool add_user(const std::string& name, const std::string& password);
  bool del_user(size_t index);
  bool set_password(size_t index, const std::string& password);
  // Sets (grant) or clears the bits; nothing is written when nothing changes.
  bool user_priv(size_t index, uint32_t bits, bool grant);
  bool add_group(const std::string& name);
  bool del_group(size_t index);
  bool group_priv(size_t index, uint32_t bits, bool grant);
  bool add_member(uint32_t uid, uint32_t gid);
  bool del_member(size_t index);
  bool table_priv(uint32_t gid, uint32_t tableid, uint32_t bits, bool grant);

 private:
  // Positions in a copy by key (a name folded to lower case, or uid and gid
  // of a membership), the first of equal keys. Built on the first look-up
  // after a load, kept by appends and removals; a copy whose size differs
  // from what the index saw is indexed again. Keys lead to the ordinal of
  // their row (in the order rows came); a Fenwick tree counts the rows still
  // there, so that a removal costs no walk over the later rows.
  template <typename Key>
  struct Index {
    bool valid = false;
    bool duplicates = false;  // some key stands on more than one row
    size_t count = 0;         // rows there
    size_t ordinals = 0;      // ordinals given
    std::unordered_map<Key, size_t> at;
    std::vector<int> tree;  // 1-based; size - 1 ordinals at most
    void add(size_t ordinal, int delta);
    size_t position(size_t ordinal) const;  // rows there before `ordinal`
  };
  template <typename Key, typename Row, typename KeyOf>
  static int find_in(Index<Key>& index, const std::vector<Row>& rows, const Key& key, KeyOf key_of);
  template <typename Key, typename Row, typename KeyOf>
  static void note_append(Index<Key>& index, const std::vector<Row>& rows, KeyOf key_of);
  template <typename Key>
  static void note_erase(Index<Key>& index, const Key& key, size_t position);

  mutable Index<std::string> user_at_;
  mutable Index<std::string> group_at_;
  mutable Index<std::string> table_at_;
  mutable Index<uint64_t> member_at_;
};
