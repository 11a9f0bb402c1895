// srvknob: passes one management command to a database server and prints the
// server's answer as it stands.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/client/client.h"
#include "database/client/mgmt.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/tools/common/dbtool.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: %s [options] command [arg ...]",
    "options:",
    " -u name      - user name",
    " -p pswd      - password",
    " -h host      - host name or address",
    " -s service   - service name or port number",
    " -d flags     - debug flags",
    "commands:",
    " help         - show list of available commands",
    " help command - show usage of specific command",
    "<$END>",
};

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "SRVKNOB", false, usage_table);

  std::string user = dbtool_default_user();
  std::string password;
  std::string host = "localhost";
  std::string service = "vevivu";
  std::string flags = "*0";
  bool option_error = false;

  opterr = 0;
  int opt;
  while ((opt = getopt(argc, argv, ":u:p:h:s:vd:")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'h': host = optarg; break;
      case 's': service = optarg; break;
      case 'v': break;
      case 'd': flags = optarg; break;
      case ':':
        std::fprintf(stderr, "Option -%c requires an argument\n", optopt);
        option_error = true;
        break;
      default:
        std::fprintf(stderr, "Unrecognized option: - %c\n", optopt);
        option_error = true;
        break;
    }
  }
  if (option_error) dbtool_usage(usage_table);
  if (optind >= argc) {
    std::fprintf(stderr, "%s: Missing command\n", dbtool_program);
    dbtool_usage(usage_table);
  }

  if (!dbtool_session(flags.c_str(), user.c_str(), password.c_str())) return EXIT_TOOL_FAILURE;

  char text[IDB_STATUS_TEXT_MAX];
  int server = Mgmt_open(host.c_str(), service.c_str());
  if (server <= 0) dbtool_connect_failure(server, host.c_str(), service.c_str());

  char* reply = Mgmt_command(server, argc - optind, argv + optind);
  int code = EXIT_TOOL_OK;
  if (reply) {
    std::fputs(reply, stdout);
    std::free(reply);
  } else {
    // The server refused the command or the exchange failed: say so and
    // end with 1 rather than report success.
    idb__last_status_text(text, sizeof text, nullptr);
    dbtool_error(text);
    code = EXIT_TOOL_FAILURE;
  }
  Mgmt_close(server);
  tool_exit(code);
}
