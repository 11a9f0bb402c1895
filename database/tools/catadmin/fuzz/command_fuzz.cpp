// Fuzzing target of catadmin's command language: any text is scanned and
// parsed with the line keeping of the input routine and the message lines;
// the statement actions are stand-ins that only look at their lists, so no
// server is needed. Run with -close_fd_mask=1 (the message lines go to
// standard output). Seeds: examples/catadmin/*.cat.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "database/tools/catadmin/catadmin.h"

namespace {

size_t touched = 0;

void look(const char* text) {
  if (text) touched += std::string(text).size();
}

void look(const CatList& list) {
  for (const std::string& n : list.names) touched += n.size();
}

}  // namespace

void act_connect(const char* server) { look(server); }
void act_logon(const char* user, const char* password) {
  look(user);
  look(password);
}
void act_add_user(const char* user, const char* password) {
  look(user);
  look(password);
}
void act_del_user(const CatList& users) { look(users); }
void act_user_pswd(const char* user, const char* password) {
  look(user);
  look(password);
}
void act_database(const char* db) { look(db); }
void act_add_group(const char* group) { look(group); }
void act_del_group(const CatList& groups) { look(groups); }
void act_user_priv(bool, const CatList& privs, const CatList& users) {
  look(privs);
  look(users);
}
void act_group_priv(bool, const CatList& privs, const CatList& groups) {
  look(privs);
  look(groups);
}
void act_member(bool, const CatList& groups, const CatList& users) {
  look(groups);
  look(users);
}
void act_table_priv(bool, const CatList& privs, const CatList& tables, const CatList& groups) {
  look(privs);
  look(tables);
  look(groups);
}
bool cat_finish_commit() { return true; }
void cat_finish_rollback() {}
void cat_close_session() {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  FILE* in = fmemopen(text.data(), text.size(), "r");
  if (!in) return 0;
  cat_opt = CatOptions{};
  cat_opt.error_limit = 0;  // the limit ends the process by design
  cat_opt.verbose = static_cast<int>(size % 3);
  cat_input_open(in);
  cat_parse(false);
  std::fclose(in);
  return 0;
}
