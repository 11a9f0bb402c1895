// Working copies of the catalog tables that catadmin changes: the users of
// the node catalog and, for the current database, its groups, memberships
// and tables. Statements look names up here (without regard to case); each
// change goes to the server through the catalog calls first and reaches the
// copy only when the server accepted it, so a failure leaves the copy as it
// was. Failures are error lines of the run (cat_error) that end in
// "Status = <code>/<secondary>" of the catalog's last status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <type_traits>
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

// The rows of a copy in their order. A removal marks its row instead of
// moving the rows after it; a Fenwick tree over the rows still there turns a
// position (among those rows) into the row's ordinal (its place in the order
// rows came) and back, each in a number of steps that grows with the
// logarithm of the rows. Once more rows are marked than kept, the marked
// ones are dropped and the ordinals given again (`layout` changes).
template <typename Row>
class CatRows {
 public:
  template <bool Const>
  class basic_iterator {
   public:
    using Rows = std::conditional_t<Const, const CatRows, CatRows>;
    using iterator_category = std::forward_iterator_tag;
    using value_type = Row;
    using difference_type = std::ptrdiff_t;
    using pointer = std::conditional_t<Const, const Row*, Row*>;
    using reference = std::conditional_t<Const, const Row&, Row&>;
    basic_iterator(Rows* rows, size_t ordinal) : rows_(rows), ordinal_(ordinal) { skip(); }
    reference operator*() const { return rows_->rows_[ordinal_]; }
    pointer operator->() const { return &rows_->rows_[ordinal_]; }
    basic_iterator& operator++() {
      ++ordinal_;
      skip();
      return *this;
    }
    bool operator==(const basic_iterator& other) const { return ordinal_ == other.ordinal_; }

   private:
    void skip() {
      while (ordinal_ < rows_->rows_.size() && rows_->removed_[ordinal_]) ++ordinal_;
    }
    Rows* rows_;
    size_t ordinal_;
  };
  using iterator = basic_iterator<false>;
  using const_iterator = basic_iterator<true>;

  size_t size() const { return live_; }
  bool empty() const { return live_ == 0; }
  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, rows_.size()); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, rows_.size()); }
  Row& operator[](size_t position) { return rows_[ordinal_at(position)]; }
  const Row& operator[](size_t position) const { return rows_[ordinal_at(position)]; }
  Row& back() { return (*this)[live_ - 1]; }
  void push_back(Row row);
  void erase(size_t position);
  void clear() { assign({}); }
  void assign(std::vector<Row>&& rows);

  // Ordinals: rows_[ordinal] holds each row that came, marked or not.
  size_t ordinals() const { return rows_.size(); }
  bool is_live(size_t ordinal) const { return ordinal < rows_.size() && !removed_[ordinal]; }
  const Row& at_ordinal(size_t ordinal) const { return rows_[ordinal]; }
  size_t position_of(size_t ordinal) const;  // rows there before it
  size_t ordinal_at(size_t position) const;
  uint64_t layout() const { return layout_; }

 private:
  void add(size_t ordinal, int delta);
  void rebuild_tree();
  std::vector<Row> rows_;
  std::vector<uint8_t> removed_;
  std::vector<int> tree_;  // 1-based, a power of two long (plus one)
  size_t live_ = 0;
  uint64_t layout_ = 0;
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

  CatRows<CatUser> users;
  CatRows<CatGroup> groups;
  CatRows<CatMember> members;
  CatRows<CatTable> tables;

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
  // Ordinals of the rows of a copy by key (a name folded to lower case, or
  // uid and gid of a membership), the first of equal keys. Built on the first
  // look-up after a load, kept by this class's appends and removals; a copy
  // changed otherwise (or laid out again) is indexed again.
  template <typename Key>
  struct Index {
    bool valid = false;
    bool duplicates = false;  // some key stands on more than one row
    size_t count = 0;         // rows there
    size_t ordinals = 0;      // ordinals given
    uint64_t layout = 0;
    std::unordered_map<Key, size_t> at;
  };
  template <typename Key, typename Row, typename KeyOf>
  static int find_in(Index<Key>& index, const CatRows<Row>& rows, const Key& key, KeyOf key_of);
  template <typename Key, typename Row, typename KeyOf>
  static void note_append(Index<Key>& index, const CatRows<Row>& rows, KeyOf key_of);
  // Removes the row at `position` from the copy and from its index.
  template <typename Key, typename Row>
  static void erase_row(Index<Key>& index, CatRows<Row>& rows, const Key& key, size_t position);

  mutable Index<std::string> user_at_;
  mutable Index<std::string> group_at_;
  mutable Index<std::string> table_at_;
  mutable Index<uint64_t> member_at_;
};
