// The statement actions of the command language, carried out at once
// against the working copies, and the end of the run's transaction.
#include <cstdio>
#include <cstring>
#include <string>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/transaction.h"
#include "database/tools/catadmin/catadmin.h"
#include "database/tools/catadmin/copies.h"

namespace {

const char* const kDefaultHost = "localhost";
const char* const kDefaultService = "vevivu";

struct Session {
  bool have_server = false;  // CONNECT named one
  std::string host;
  std::string service;
  bool connected = false;  // LOGON reached the server
  bool in_transaction = false;
  bool have_database = false;
  CatCopies copies;
};

Session s;

const char* shown(const char* password) { return password ? "****" : "NULL"; }

void trace_list(const char* label, const CatList& list, const char* all, bool quoted) {
  cat_trace("%s[%d] =", label, static_cast<int>(list.names.size()));
  if (list.all) cat_trace(" %s", all);
  for (const std::string& name : list.names) cat_trace(quoted ? " \"%s\"" : " %s", name.c_str());
  cat_trace("\n");
}

// Users and groups need a connection; groups and tables also a database.
void need_connection() {
  if (s.connected) return;
  cat_error("Not connected a to server or logon failed");
  cat_fatal("Fatal problem - can't continue.");
}

void need_database() {
  need_connection();
  if (s.have_database) return;
  cat_error("No database context");
  cat_fatal("Fatal problem - can't continue.");
}

uint32_t privilege_bits(const CatList& privs) {
  if (privs.all) return CAT_READ | CAT_WRITE | CAT_ERASE;
  struct Word {
    const char* name;
    uint32_t bits;
  };
  // User, group and table privileges never share a statement.
  static const Word kWords[] = {{"dba", CAT_DBA},       {"connect", CAT_CONNECT}, {"uadmin", CAT_UADMIN},
                                {"dadmin", CAT_DADMIN}, {"dbpriv", CAT_DBPRIV},   {"read", CAT_READ},
                                {"write", CAT_WRITE},   {"erase", CAT_ERASE}};
  uint32_t bits = 0;
  for (const std::string& p : privs.names)
    for (const Word& w : kWords)
      if (p == w.name) bits |= w.bits;
  return bits;
}

// Indexes of the named users (warning for each unknown one), or of every
// user for PUBLIC.
std::vector<size_t> resolve_users(const CatList& users) {
  std::vector<size_t> found;
  if (users.all) {
    for (size_t i = 0; i < s.copies.users.size(); ++i) found.push_back(i);
    return found;
  }
  for (const std::string& name : users.names) {
    int at = s.copies.find_user(name);
    if (at < 0)
      cat_warning("User \"%s\" does not exist - request ignored.", name.c_str());
    else
      found.push_back(static_cast<size_t>(at));
  }
  return found;
}

// Ids of the named groups; a warning for each unknown one.
std::vector<uint32_t> resolve_groups(const CatList& groups) {
  std::vector<uint32_t> found;
  for (const std::string& name : groups.names) {
    int at = s.copies.find_group(name);
    if (at < 0)
      cat_warning("Group \"%s\" does not exist - request ignored.", name.c_str());
    else
      found.push_back(s.copies.groups[static_cast<size_t>(at)].gid);
  }
  return found;
}

void trace_grant(bool grant, const char* what) { cat_trace("act_%s_%s()\n", grant ? "grant" : "revoke", what); }

}  // namespace

void act_connect(const char* server) {
  cat_trace("act_connect(server=\"%s\")\n", server);
  if (s.connected) {
    cat_error("Server connection already established.");
    return;
  }
  std::string text = server;
  size_t colon = text.find(':');
  s.host = colon == std::string::npos ? text : text.substr(0, colon);
  s.service = colon == std::string::npos ? kDefaultService : text.substr(colon + 1);
  if (s.host.empty()) s.host = kDefaultHost;
  if (s.service.empty()) s.service = kDefaultService;
  s.have_server = true;
  cat_trace(" host = %s, service = %s\n", s.host.c_str(), s.service.c_str());
}

void act_logon(const char* user, const char* password) {
  cat_trace("act_logon(user=\"%s\", pswd=\"%s\")\n", user ? user : "NULL", shown(password));
  if (s.connected) {
    cat_warning("Server connection already established.");
    return;
  }
  if (user && idb_logon(user, password ? password : "") != 0) {
    char text[IDB_STATUS_TEXT_MAX];
    text[0] = '\0';
    idb__last_status_text(text, sizeof text, nullptr);
    cat_error("idb_logon() failed. %s", text);
    return;
  }
  if (!s.have_server) {
    s.host = kDefaultHost;
    s.service = kDefaultService;
  }
  int server_id = SysCat_open(s.host.c_str(), s.service.c_str());
  if (server_id < 0) {
    cat_error("Unable to connect server %s:%s", s.host.c_str(), s.service.c_str());
    cat_status_error();
    return;
  }
  if (server_id == 0) {
    cat_error("Unable to connect server %s:%s", s.host.c_str(), s.service.c_str());
    cat_error("Server does not provide catalog capabilities.");
    cat_status_error();
    return;
  }
  s.copies.server_id = server_id;
  s.copies.dump = cat_opt.trace;
  int32_t status[10] = {};
  if (idb_begin("CATADMIN", 1, status) != 0) {
    cat_error("Unable to begin server transaction.");
    SysCat_close(server_id);
    return;
  }
  s.in_transaction = true;
  if (!s.copies.load_users()) {
    // Without the user list nothing can be checked: the logon failed.
    cat_error("Unable to obtain user list from server.");
    cat_finish_rollback();
    SysCat_close(server_id);
    return;
  }
  s.connected = true;
}

void act_add_user(const char* user, const char* password) {
  cat_trace("act_add_user(user=\"%s\", pswd=\"%s\")\n", user, shown(password));
  need_connection();
  if (s.copies.find_user(user) >= 0) {
    cat_warning("User \"%s\" already exists - request ignored.", user);
    return;
  }
  if (s.copies.add_user(user, password ? password : ""))
    cat_trace(" uid = %d\n", static_cast<int>(s.copies.users.back().uid));
}

void act_del_user(const CatList& users) {
  cat_trace("act_del_user()\n");
  trace_list("ulist", users, "PUBLIC", true);
  need_connection();
  for (const std::string& name : users.names) {
    int at = s.copies.find_user(name);
    if (at < 0)
      cat_warning("User \"%s\" does not exist - request ignored.", name.c_str());
    else
      s.copies.del_user(static_cast<size_t>(at));
  }
}

void act_user_pswd(const char* user, const char* password) {
  cat_trace("act_user_pswd(user=\"%s\", pswd=\"%s\")\n", user, shown(password));
  need_connection();
  int at = s.copies.find_user(user);
  if (at < 0) {
    cat_warning("User \"%s\" does not exist - request ignored.", user);
    return;
  }
  s.copies.set_password(static_cast<size_t>(at), password ? password : "");
}

void act_database(const char* db) {
  cat_trace("act_database(db=\"%s\")\n", db);
  need_connection();
  if (s.have_database) {
    SysCat_close_db(s.copies.server_id, s.copies.db_hndl);
    s.have_database = false;
    s.copies.db_hndl = 0;
    s.copies.clear_database();
  }
  int h = SysCat_open_db_by_name(s.copies.server_id, db, 0, 0);
  if (h <= 0) {
    cat_error("Unable to open database catalog \"%s\"", db);
    cat_status_error();
    cat_fatal("Fatal problem - can't continue.");
  }
  s.copies.db_hndl = h;
  s.have_database = true;
  if (!s.copies.load_groups()) {
    cat_error("Unable to obtain group list from server.");
    cat_fatal("Fatal problem - can't continue.");
  }
  if (!s.copies.load_members()) {
    cat_error("Unable to obtain group member list from server.");
    cat_fatal("Fatal problem - can't continue.");
  }
  if (!s.copies.load_tables()) {
    cat_error("Unable to obtain table list from server.");
    cat_fatal("Fatal problem - can't continue.");
  }
}

void act_add_group(const char* group) {
  cat_trace("act_add_group(grp_name=\"%s\")\n", group);
  need_database();
  if (s.copies.find_group(group) >= 0) {
    cat_warning("Group \"%s\" already exists - request ignored.", group);
    return;
  }
  if (s.copies.add_group(group)) cat_trace(" gid = %d\n", static_cast<int>(s.copies.groups.back().gid));
}

void act_del_group(const CatList& groups) {
  cat_trace("act_del_group()\n");
  trace_list("glist", groups, "", true);
  need_database();
  for (const std::string& name : groups.names) {
    int at = s.copies.find_group(name);
    if (at < 0)
      cat_warning("Group \"%s\" does not exist - request ignored.", name.c_str());
    else
      s.copies.del_group(static_cast<size_t>(at));
  }
}

void act_user_priv(bool grant, const CatList& privs, const CatList& users) {
  trace_grant(grant, "user");
  trace_list("privs", privs, "ALL PRIVILEGES", false);
  trace_list("ulist", users, "PUBLIC", true);
  need_connection();
  const uint32_t bits = privilege_bits(privs);
  for (size_t at : resolve_users(users)) s.copies.user_priv(at, bits, grant);
}

void act_group_priv(bool grant, const CatList& privs, const CatList& groups) {
  trace_grant(grant, "group");
  trace_list("privs", privs, "ALL PRIVILEGES", false);
  trace_list("glist", groups, "", true);
  need_database();
  const uint32_t bits = privilege_bits(privs);
  for (const std::string& name : groups.names) {
    int at = s.copies.find_group(name);
    if (at < 0)
      cat_warning("Group \"%s\" does not exist - request ignored.", name.c_str());
    else
      s.copies.group_priv(static_cast<size_t>(at), bits, grant);
  }
}

void act_member(bool grant, const CatList& groups, const CatList& users) {
  trace_grant(grant, "member");
  trace_list("glist", groups, "", true);
  trace_list("ulist", users, "PUBLIC", true);
  need_database();
  const std::vector<uint32_t> gids = resolve_groups(groups);
  const std::vector<size_t> targets = resolve_users(users);
  for (size_t u : targets) {
    const uint32_t uid = s.copies.users[u].uid;
    const std::string name = s.copies.users[u].name;
    for (uint32_t gid : gids) {
      int at = s.copies.find_member(uid, gid);
      std::string group;
      for (const CatGroup& g : s.copies.groups)
        if (g.gid == gid) group = g.name;
      if (grant) {
        if (at < 0)
          s.copies.add_member(uid, gid);
        else if (!users.all)
          cat_warning("User \"%s\" is already member of group \"%s\" - ignored", name.c_str(), group.c_str());
      } else {
        if (at >= 0)
          s.copies.del_member(static_cast<size_t>(at));
        else if (!users.all)
          cat_warning("USer \"%s\" is no member of group \"%s\" - ignored", name.c_str(), group.c_str());
      }
    }
  }
}

void act_table_priv(bool grant, const CatList& privs, const CatList& tables, const CatList& groups) {
  trace_grant(grant, "table");
  trace_list("privs", privs, "ALL PRIVILEGES", false);
  trace_list("tlist", tables, "ALL", true);
  trace_list("glist", groups, "", true);
  need_database();
  const uint32_t bits = privilege_bits(privs);
  const std::vector<uint32_t> gids = resolve_groups(groups);
  std::vector<uint32_t> ids;
  if (tables.all) {
    for (const CatTable& t : s.copies.tables)
      if (t.type != 0) ids.push_back(t.tableid);
  }
  for (const std::string& name : tables.names) {
    int at = s.copies.find_table(name);
    if (at < 0)
      cat_warning("Table \"%s\" does not exist - request ignored.", name.c_str());
    else if (s.copies.tables[static_cast<size_t>(at)].type == 0)
      cat_warning("Table \"%s\" is wrong type - request ignored.", name.c_str());
    else
      ids.push_back(s.copies.tables[static_cast<size_t>(at)].tableid);
  }
  for (uint32_t gid : gids)
    for (uint32_t tableid : ids) s.copies.table_priv(gid, tableid, bits, grant);
}

bool cat_finish_commit() {
  if (!s.in_transaction) return true;
  int32_t status[10] = {};
  s.in_transaction = false;
  return idb_commit(IDB_COMMIT_ALL, status) == 0;
}

void cat_finish_rollback() {
  if (!s.in_transaction) return;
  int32_t status[10] = {};
  s.in_transaction = false;
  idb_rollback(0, IDB_ROLLBACK_ALL, status);
}

void cat_close_session() {
  static bool closed = false;
  if (closed) return;
  closed = true;
  if (s.have_database) SysCat_close_db(s.copies.server_id, s.copies.db_hndl);
  s.have_database = false;
  if (s.connected) SysCat_close(s.copies.server_id);
  s.connected = false;
  idb__exit();
}
