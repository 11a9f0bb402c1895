// catadmin: administers the users, groups, group memberships and table
// privileges of a database server's catalog from a command file. Each
// statement is carried out at once against working copies of the catalog
// tables (copies.h); all changes of a run form one server transaction,
// committed at the end when no error was counted and rolled back otherwise.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A list of a statement: names (users, groups, tables) or privilege words
// ("dba", "connect", "uadmin", "dadmin", "dbpriv", "read", "write",
// "erase"). `all` stands for PUBLIC, ALL or ALL PRIVILEGES.
struct CatList {
  bool all = false;
  std::vector<std::string> names;
};

// Options of the run.
struct CatOptions {
  int verbose = 0;        // "-v", counted
  long error_limit = 10;  // "-e"; 0: no limit
  bool trace = false;     // any "-d": statement trace and copy dumps
};
extern CatOptions cat_opt;

// Input: the command file read a line at a time. The scanner's input routine
// keeps the current line (shown before its first message) and its number.
void cat_input_open(FILE* file);
size_t cat_input_read(char* buffer, size_t size);
int cat_input_line();
const std::string& cat_input_text();

// Parses and carries out the statements up to the end or EXIT; 0, or not 0
// when the parser gave up (a syntax error at the end of the input).
int cat_parse(bool debug);

// Message lines on standard output. Warnings and errors name the input line
// once; an error counts, and the error beyond the "-e" limit ends the run.
void cat_warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void cat_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// An error line with the text of the client library's last status.
void cat_status_error();
// "FATAL: <text>" (a null text: "Fatal error encountered - can't continue")
// and the end of the run with 1, nothing committed.
[[noreturn]] void cat_fatal(const char* text);
int cat_error_count();
// Ends the run after a failed allocation: the exit handler, then "Memory
// panic" on standard error, code 1.
[[noreturn]] void cat_memory_panic();

// Statement trace on standard error (with "-d").
void cat_trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The statement actions, in the order of the statement table.
void act_connect(const char* server);
void act_logon(const char* user, const char* password);
void act_add_user(const char* user, const char* password);
void act_del_user(const CatList& users);
void act_user_pswd(const char* user, const char* password);
void act_database(const char* db);
void act_add_group(const char* group);
void act_del_group(const CatList& groups);
void act_user_priv(bool grant, const CatList& privs, const CatList& users);
void act_group_priv(bool grant, const CatList& privs, const CatList& groups);
void act_member(bool grant, const CatList& groups, const CatList& users);
void act_table_priv(bool grant, const CatList& privs, const CatList& tables, const CatList& groups);

// The end of the run: commits the transaction when no error was counted
// (false when the commit failed), or rolls it back.
bool cat_finish_commit();
void cat_finish_rollback();
// Closes the database catalog and the catalog connection (exit handler).
void cat_close_session();
