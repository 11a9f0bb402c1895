// Test helper: a database compiled with `schema` into a stand-in database
// server, so that open, info and the set tools have a catalog to work on.
#pragma once

#include <string>
#include <vector>

#include "launch.h"

namespace dbserver_test {

// Runs schema on `schema_file` against the stand-in as `user`; the run's
// result (exit code 0 when the catalog was written).
inline vtest::RunResult compile_schema(const StandIn& server, const std::string& schema_file,
                                       const std::string& user = "tester",
                                       const std::vector<std::string>& env_registry = {}) {
  vtest::RunOptions options;
  options.timeout_seconds = 30;
  if (!env_registry.empty()) options.env["VARNICA_REGISTRY"] = env_registry[0];
  return vtest::run("schema", {"-h", "127.0.0.1", "-s", server.service(), "-u", user, schema_file}, options);
}

// "127.0.0.1:<port>/<name>": the database operand of the tools and idb_open.
inline std::string db_operand(const StandIn& server, const std::string& name) {
  return "127.0.0.1:" + server.service() + "/" + name;
}

}  // namespace dbserver_test
