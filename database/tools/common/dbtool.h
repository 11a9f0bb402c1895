// The frame every database tool stands on: banner, "-help" and "-version",
// the default user, the usage text, the common error lines, the fatal-error
// report after a failed database call, and the two ways of ending.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The program name as given on the command line, the prefix of error lines.
extern const char* dbtool_program;

// Remembers the program name, shows the banner (with a blank line after it
// unless `banner_alone`), then answers "-help" (usage, exit 2) and "-version"
// (version line, exit 0) when either is the exact first argument.
void dbtool_start(int argc, char** argv, const char* banner_name, bool banner_alone, const char* const* usage);

// The version line of "-version".
const char* dbtool_version_line();

// LOGNAME, else USER, else "".
const char* dbtool_default_user();

// Prints the usage table up to its "<$END>" line on standard error, the
// program name filled into the lines that ask for it, then an empty line, and
// ends with 2.
[[noreturn]] void dbtool_usage(const char* const* usage);

// "<program>: <text>" on standard error.
void dbtool_error(const char* text);

// The operand at argv[optind]; a missing one is "No database specified"
// with the usage (exit 2).
const char* dbtool_operand(int argc, char** argv, const char* const* usage);

// The frame of the tools that name files after their database (fillbase,
// drainbase): an option getopt rejected is "illegal arguments", a missing
// operand "no database specified"; both end with 2 without the usage.
[[noreturn]] void dbtool_illegal_arguments();
const char* dbtool_required_operand(int argc, char** argv);

// The database operand as dbtool_operand takes it; an empty one is
// "illegal database name" and nullptr.
const char* dbtool_database(int argc, char** argv, const char* const* usage);

// Starts the client session: the debug flags, the library's initialisation
// ("Unable to initiate session" and false), the code set when `charset` is 0
// or more (see dbtool_apply_charset), then the logon, whose refusal is
// "idb_logon failed" and ends through tool_exit with 1.
bool dbtool_session(const char* flags, const char* user, const char* password, int charset = -1,
                    FILE* verbose = nullptr);

// The host and service of a database operand ("[host[:service]/]name"), as
// the client library reads them: "localhost" and "vevivu" where the operand
// leaves them out.
struct DbtoolServerName {
  std::string host;
  std::string service;
};
DbtoolServerName dbtool_operand_server(const char* database);

// A server that could not be reached: "Unable to connect server
// HOST:SERVICE" when `server` is negative, "Sorry - server HOST:SERVICE has
// insufficient capabilities" when it is 0, then the last status text; ends
// through tool_exit with 1.
[[noreturn]] void dbtool_connect_failure(int server, const char* host, const char* service);

// Opens `database` to read its description: shared, or for management (mode
// 13) when the shared open finds sets without storage (-92, -94), after
// logging on again (the failed open dropped its connection). A failure ends
// through fatal_error with `step` and "opening database". The database id.
int dbtool_open_description(const char* database, const char* user, const char* password, long step);

// Looks a code-set name up; an unknown one prints "Invalid code set" and ends
// with 2.
int dbtool_charset(const char* name);
// The field separator of -f ("," when empty); one that can be part of a
// number prints "Bad field separator" and ends with 2.
char dbtool_separator(const char* text);
// Makes `id` the client's code set after initialisation, first printing its
// name on `verbose` unless that is null (drainbase passes standard error: its
// standard output may carry an export); a refusal ends through tool_exit
// with 1.
void dbtool_apply_charset(int id, FILE* verbose);

// Closes the client library and ends the process; a success whose standard
// output could not be written ends with 1 instead.
[[noreturn]] void tool_exit(int code);

// Returns when status word 0 is 0; otherwise reports the failed step with its
// status and ends through tool_exit with 1. The step number only tells call
// sites apart.
void fatal_error(const int32_t* status, long step, const char* what);
