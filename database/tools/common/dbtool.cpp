#include "database/tools/common/dbtool.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/client/buffer.h"
#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/common/export.h"
#include "language/toolframe.h"

const char* dbtool_program = "";

namespace {

const char kEnd[] = "<$END>";

// Ends the process once the output is out. What a tool printed is its
// result: output that could not be written is a failure, never a success.
[[noreturn]] void exit_flushed(int code) {
  errno = 0;
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && code == EXIT_TOOL_OK) {
    std::fprintf(stderr, "%s: Write error on standard output: %s\n", dbtool_program,
                 std::strerror(errno ? errno : EIO));
    code = EXIT_TOOL_FAILURE;
  }
  std::fflush(stderr);
  std::exit(code);
}

}  // namespace

const char* dbtool_version_line() {
  static char line[128];
  std::snprintf(line, sizeof line, "@(#)QX-%s %s       QX VARNICA / WIN32 (build Jul  7 2001)\n", product_number(),
                product_version());
  return line;
}

void dbtool_start(int argc, char** argv, const char* banner_name, bool banner_alone, const char* const* usage) {
  dbtool_program = argc > 0 && argv[0] ? argv[0] : "";
  if (banner_alone)
    banner_print(banner_name);
  else
    banner_show(banner_name);
  if (argc > 1 && std::strcmp(argv[1], "-help") == 0) dbtool_usage(usage);
  if (argc > 1 && std::strcmp(argv[1], "-version") == 0) {
    std::fputs(dbtool_version_line(), stdout);
    exit_flushed(EXIT_TOOL_OK);
  }
}

const char* dbtool_default_user() {
  const char* user = std::getenv("LOGNAME");
  if (!user) user = std::getenv("USER");
  return user ? user : "";
}

void dbtool_usage(const char* const* usage) {
  for (const char* const* line = usage; *line && std::strcmp(*line, kEnd) != 0; ++line) {
    const char* mark = std::strstr(*line, "%s");
    if (mark)
      std::fprintf(stderr, "%.*s%s%s\n", static_cast<int>(mark - *line), *line, dbtool_program, mark + 2);
    else
      std::fprintf(stderr, "%s\n", *line);
  }
  std::fputs("\n", stderr);
  std::fflush(stderr);
  std::exit(EXIT_TOOL_USAGE);
}

void dbtool_error(const char* text) { std::fprintf(stderr, "%s: %s\n", dbtool_program, text); }

const char* dbtool_operand(int argc, char** argv, const char* const* usage) {
  if (optind >= argc) {
    dbtool_error("No database specified");
    dbtool_usage(usage);
  }
  return argv[optind];
}

void dbtool_illegal_arguments() {
  dbtool_error("illegal arguments");
  std::fflush(stderr);
  std::exit(EXIT_TOOL_USAGE);
}

const char* dbtool_required_operand(int argc, char** argv) {
  if (optind >= argc) {
    dbtool_error("no database specified");
    std::fflush(stderr);
    std::exit(EXIT_TOOL_USAGE);
  }
  return argv[optind];
}

const char* dbtool_database(int argc, char** argv, const char* const* usage) {
  const char* database = dbtool_operand(argc, argv, usage);
  if (!*database) {
    dbtool_error("illegal database name");
    return nullptr;
  }
  // The form and the lengths that the client library and the wire take,
  // checked before a session exists.
  const char* slash = std::strchr(database, '/');
  const char* name = slash ? slash + 1 : database;
  char problem[80] = "";
  if (slash && static_cast<size_t>(slash - database) > IDB_MAX_HOST_PART)
    std::snprintf(problem, sizeof problem, "illegal database name: server part longer than %d characters",
                  static_cast<int>(IDB_MAX_HOST_PART));
  else if (!*name)
    std::snprintf(problem, sizeof problem, "illegal database name: no name after \"/\"");
  else if (std::strlen(name) > BUFFER_MAX_STR)
    std::snprintf(problem, sizeof problem, "illegal database name: longer than %d characters",
                  static_cast<int>(BUFFER_MAX_STR));
  if (*problem) {
    dbtool_error(problem);
    return nullptr;
  }
  return database;
}

DbtoolServerName dbtool_operand_server(const char* database) {
  DbtoolServerName name{IDB_DEFAULT_HOST, IDB_DEFAULT_SERVICE};
  const char* slash = std::strchr(database, '/');
  if (!slash) return name;
  const std::string part(database, static_cast<size_t>(slash - database));
  const size_t colon = part.find(':');
  const std::string host = part.substr(0, colon);
  if (!host.empty()) name.host = host;
  if (colon != std::string::npos && colon + 1 < part.size()) name.service = part.substr(colon + 1);
  return name;
}

void dbtool_connect_failure(int server, const char* host, const char* service) {
  if (server < 0)
    std::fprintf(stderr, "%s: Unable to connect server %s:%s\n", dbtool_program, host, service);
  else
    std::fprintf(stderr, "%s: Sorry - server %s:%s has insufficient capabilities\n", dbtool_program, host, service);
  char text[IDB_STATUS_TEXT_MAX];
  text[0] = '\0';
  idb__last_status_text(text, sizeof text, nullptr);
  dbtool_error(text);
  tool_exit(EXIT_TOOL_FAILURE);
}

int dbtool_open_description(const char* database, const char* user, const char* password, long step) {
  StatusArray status = {};
  int dbid = idb_open(database, password, IDB_OPEN_SHARED, status);
  if (dbid < 0 && (status[0] == -92 || status[0] == -94)) {
    idb_logon(user, password);
    dbid = idb_open(database, password, IDB_OPEN_MANAGE, status);
  }
  fatal_error(status, step, "opening database");
  return dbid;
}

bool dbtool_session(const char* flags, const char* user, const char* password, int charset, FILE* verbose) {
  debug_init(flags, stderr);
  if (idb__init() != 0) {
    dbtool_error("Unable to initiate session");
    return false;
  }
  if (charset >= 0) dbtool_apply_charset(charset, verbose);
  if (idb_logon(user, password) != 0) {
    dbtool_error("idb_logon failed");
    tool_exit(EXIT_TOOL_FAILURE);
  }
  return true;
}

int dbtool_charset(const char* name) {
  int id = yq__charset_id(name);
  if (id < 0) {
    std::fprintf(stderr, "%s: Invalid code set \"%s\"\n", dbtool_program, name);
    std::exit(EXIT_TOOL_USAGE);
  }
  return id;
}

char dbtool_separator(const char* text) {
  char sep = *text ? *text : ',';
  if (!exp_separator_ok(sep)) {
    std::fprintf(stderr, "%s: Bad field separator \"%s\"\n", dbtool_program, text);
    std::exit(EXIT_TOOL_USAGE);
  }
  return sep;
}

void dbtool_apply_charset(int id, FILE* verbose) {
  if (verbose) {
    const char* name = yq__charset_name(id);
    std::fprintf(verbose, "%s : %s\n", "Code set           ", name ? name : "Unknown");
  }
  if (idb_ctl(ISRVKNOB_SCSETID, id) != 0) {
    dbtool_error("idb_ctl(SRVKNOB_SCSETID) failed");
    tool_exit(EXIT_TOOL_FAILURE);
  }
}

void tool_exit(int code) {
  idb__exit();
  exit_flushed(code);
}

void fatal_error(const int32_t* status, long step, const char* what) {
  (void)step;
  if (status[0] == 0) return;
  char text[80];
  std::snprintf(text, sizeof text, "%s", what ? what : "");
  std::fprintf(stderr, "Fatal error #%ld while %s", static_cast<long>(status[0]), text);
  std::fputs("\n", stderr);
  if (status[0] < -500) std::fprintf(stderr, "%s %ld\n", "Secondary status =", static_cast<long>(status[9]));
  char line[IDB_STATUS_TEXT_MAX];
  if (idb_status_text(status, line, nullptr) == 0 && line[0]) std::fprintf(stderr, "%s\n", line);
  tool_exit(EXIT_TOOL_FAILURE);
}
