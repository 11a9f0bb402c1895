// Catalog calls: read and change the database server's system catalog
// (users, groups, members, privileges, databases, collating sequences and the
// description of a database's tables) and run generic queries over any
// catalog table. Request class 4 of the database protocol.
//
// Contract:
// - Every call takes a server id from SysCat_open (or SysCat_attach) first;
//   calls on a database's own catalog also take a handle from
//   SysCat_open_db_by_name.
// - Calls return 0 (or a record, a result set, a row, a positive id or
//   handle) on success, -1 (or null) on failure, with the reason in the last
//   status (status.h: S_REMOTE, S_SYSCAT, S_SYSTEM, S_BAD, S_BADID).
//   They never print; they trace under category P.
// - Add calls store the id the server assigned into the caller's record.
// - A record returned by a get call, a result set and a row are each one heap
//   block holding their strings and blocks: free() the record and the row, and
//   give the result set back through SysCat_close_query.
// - Every size in a reply is checked against the bytes that remain before
//   anything is allocated or copied; a reply that does not add up fails with
//   S_REMOTE -8 and nothing is returned.
#pragma once

#include <cstdint>

// A counted byte block: a password digest or a collating map.
struct SysCatBlock {
  uint32_t length;
  const unsigned char* bytes;  // `length` bytes
};

// Node-level records (no database handle).
struct SysCatUser {
  uint32_t uid;  // assigned
  const char* name;
  const SysCatBlock* password;  // MD5 digest (16 bytes); null: no password
  int32_t flags;                // catadmin writes 4 for a new user
};

struct SysCatDb {
  uint32_t dbid;  // assigned
  const char* name;
  int32_t flags;      // the schema compiler writes 4
  int32_t reserved1;  // 0
  int32_t reserved2;  // 0
};

// Collating sequence types.
enum { SysCollate_BYTEMAP = 0 };

struct SysCatCollate {
  uint32_t id;  // assigned
  const char* name;
  uint32_t type;       // only SysCollate_BYTEMAP
  int32_t reserved1;   // 0
  uint32_t reserved2;  // 0
  const SysCatBlock* map;
};

// Records of a database's catalog.
struct SysCatGroup {
  uint32_t gid;  // assigned
  const char* name;
  int32_t flags;  // 0
};

struct SysCatMember {
  uint32_t uid;
  uint32_t gid;
};

// Privilege bits.
enum { SysPriv_READ = 1, SysPriv_WRITE = 2 };

struct SysCatPrivilege {
  uint32_t gid;
  uint32_t tableid;
  int32_t priv;  // SysPriv_ bits
};

struct SysCatColumn {
  uint32_t colid;      // assigned
  uint32_t reserved1;  // 0
  const char* name;
  uint8_t type;       // SysCol_ type
  uint32_t size;      // element size for binary and character columns, else 0
  uint32_t count;     // sub-items, 1 for a simple item
  int32_t reserved2;  // 0
  uint32_t format;    // item format number
};

struct SysCatIndex {
  uint32_t idxid;    // assigned
  uint32_t tableid;  // 0 for an index item, the owning table for a key index
  const char* name;
  uint32_t reserved1;  // 0
  int32_t kind;        // 2 index item, 6 key index of a master set
  uint8_t segments;
  uint32_t reserved2;  // 0
};

struct SysCatIndexSeg {
  uint32_t idxid;
  uint8_t idx;  // segment number from 1
  uint32_t colid;
  uint32_t length;   // bytes of the column the segment covers
  int32_t reserved;  // 0
};

// Table flags.
enum { SysTable_MASTER = 1, SysTable_AUTOMATIC = 2 };

struct SysCatTable {
  uint32_t tableid;    // assigned
  uint32_t reserved1;  // 0
  const char* name;
  uint32_t reserved2;  // 1
  int32_t flags;       // SysTable_ bits; 0 for a detail set
  int16_t columns;
  int16_t paths;
  int16_t indexes;
  int32_t reserved3;  // 0
};

struct SysCatTableColumn {
  uint32_t tableid;
  uint32_t colid;
  uint32_t idx;  // position in the entry, from 1
  int32_t key;   // 1 for a search item
};

struct SysCatTablePath {
  uint32_t tableid;
  uint32_t idx;  // path number from 1
  uint32_t colid;
  uint32_t reltableid;
  uint32_t relidx;
  uint32_t relcolid;
  uint32_t sortcolid;  // 0: none
};

struct SysCatTableIndex {
  uint32_t tableid;
  uint32_t idxid;
  uint32_t collid;    // 0: none
  uint32_t reserved;  // 0
};

// Column types of catalog tables.
enum {
  SysCol_CHAR = 1,
  SysCol_VARCHAR = 2,
  SysCol_STRING = 3,
  SysCol_INT8 = 5,
  SysCol_INT16 = 6,
  SysCol_INTEGER = 7,
  SysCol_BINARY = 17,
  SysCol_COUNTED = 18,
  SysCol_COUNTED2 = 19,
};

// Catalog table ids: node level (database handle 0) ...
enum {
  SysDb_NODEID = 20,
  SysCollate_NODEID = 21,
  SysNode_NODEID = 22,
  SysUser_NODEID = 30,
};
// ... and in a database's catalog.
enum {
  SysTable_ID = 1,
  SysGroup_ID = 2,
  SysColumn_ID = 3,
  SysIndex_ID = 4,
  SysMember_ID = 5,
  SysPrivilege_ID = 6,
  SysIndexSeg_ID = 7,
  SysTableColumn_ID = 8,
  SysTablePath_ID = 9,
  SysTableIndex_ID = 10,
};

// Select filters.
enum { SysSelect_ALL = 0 };

struct SysCatColDesc {
  const char* col_name;
  uint8_t col_type;
  int32_t col_word;
  uint32_t col_size;
};

struct SysCatResultSet {
  const char* table_name;
  int32_t word;
  uint32_t col_count;
  uint32_t row_count;
  SysCatColDesc* cols;  // col_count descriptors
  int server_id;
  uint16_t qry_hndl;
};

// One value of a row: a NULL value has a null pointer and length 0.
struct SysCatValue {
  const unsigned char* value;
  uint32_t length;
};

struct SysCatRow {
  uint32_t col_count;
  SysCatValue* values;
};

// Connection calls.
// The server id, 0 when the server has no catalog capability (S_REMOTE -10,
// the entry released), -1 when it could not be attached.
int SysCat_open(const char* host, const char* service);
// The server id of the server that holds a database opened with idb_open
// (client dbid), without a reference of its own: -1 for an unknown dbid
// (S_BADID), 0 when the server has no catalog capability (S_REMOTE -10).
int SysCat_attach(int dbid);
// Releases one reference; 0, or -1 (unknown id S_REMOTE -9, no catalog
// capability S_REMOTE -10).
int SysCat_close(int server_id);

// Node level.
int SysCat_add_user(int server_id, SysCatUser* user);
SysCatUser* SysCat_get_user_by_name(int server_id, const char* name);
SysCatUser* SysCat_get_user_by_id(int server_id, int32_t id);
int SysCat_upd_user(int server_id, const SysCatUser* user);
int SysCat_del_user(int server_id, const SysCatUser* user);
int SysCat_add_db(int server_id, SysCatDb* db);
// The database handle (positive), or -1.
int SysCat_open_db_by_name(int server_id, const char* name, int32_t mask, int32_t flags);
int SysCat_close_db(int server_id, int db_hndl);
int SysCat_add_collate(int server_id, SysCatCollate* coll);
SysCatCollate* SysCat_get_collate_by_name(int server_id, const char* name);
// While on (not 0), a call that the catalog refuses with a status is not
// traced as "System catalog failure": for a look-up whose "not found" is an
// expected answer. Failures on the way to the catalog are traced as always.
void SysCat_quiet_refusals(int on);
SysCatCollate* SysCat_get_collate_by_id(int server_id, uint32_t id);
SysCatCollate* SysCat_get_client_collate_by_id(int server_id, uint32_t id);

// A database's catalog.
int SysCat_add_group(int server_id, int db_hndl, SysCatGroup* grp);
SysCatGroup* SysCat_get_group_by_id(int server_id, int db_hndl, int32_t id);
int SysCat_upd_group(int server_id, int db_hndl, const SysCatGroup* grp);
int SysCat_del_group(int server_id, int db_hndl, const SysCatGroup* grp);
int SysCat_add_member(int server_id, int db_hndl, const SysCatMember* memb);
int SysCat_del_member(int server_id, int db_hndl, const SysCatMember* memb);
int SysCat_add_privilege(int server_id, int db_hndl, const SysCatPrivilege* priv);
int SysCat_del_privilege(int server_id, int db_hndl, const SysCatPrivilege* priv);
int SysCat_add_column(int server_id, int db_hndl, SysCatColumn* col);
int SysCat_add_index(int server_id, int db_hndl, SysCatIndex* ind);
int SysCat_add_indexseg(int server_id, int db_hndl, const SysCatIndexSeg* seg);
int SysCat_add_table(int server_id, int db_hndl, SysCatTable* tbl);
int SysCat_add_tablecolumn(int server_id, int db_hndl, const SysCatTableColumn* tblcol);
int SysCat_add_tablepath(int server_id, int db_hndl, const SysCatTablePath* tblpath);
int SysCat_add_tableindex(int server_id, int db_hndl, const SysCatTableIndex* tblidx);

// Generic queries: db_hndl 0 addresses the node-level catalog.
SysCatResultSet* SysCat_select(int server_id, int db_hndl, uint32_t sys_id, uint16_t filter_id);
// The next row (free() it), or null.
SysCatRow* SysCat_fetch(SysCatResultSet* resultset);
// 0 and the result set freed, or -1 and the result set kept.
int SysCat_close_query(SysCatResultSet* resultset);
