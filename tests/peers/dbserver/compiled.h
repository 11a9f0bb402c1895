// Test helper: a database compiled with `schema` into a stand-in database
// server, so that open, info and the set tools have a catalog to work on.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "launch.h"

namespace dbserver_test {

// Runs schema on `schema_file` against the stand-in as `user`, with the
// registry store `registry` when not empty (for collating sequence files);
// the run's result (exit code 0 when the catalog was written).
inline vtest::RunResult compile_schema(const StandIn& server, const std::string& schema_file,
                                       const std::string& user = "tester", const std::string& registry = "") {
  vtest::RunOptions options;
  options.timeout_seconds = 30;
  if (!registry.empty()) options.env["VARNICA_REGISTRY"] = registry;
  return vtest::run("schema", {"-h", "127.0.0.1", "-s", server.service(), "-u", user, schema_file}, options);
}

// "127.0.0.1:<port>/<name>": the database operand of the tools and idb_open.
inline std::string db_operand(const StandIn& server, const std::string& name) {
  return "127.0.0.1:" + server.service() + "/" + name;
}

// A file of the database client's test fixtures (database/client/tests/
// fixtures/), which hold the shop database's schema.
inline std::string client_fixture(const std::string& name) {
  return vtest::source_dir() + "/database/client/tests/fixtures/" + name;
}

// A name qualifier for idb_open and the information calls, with room for
// the library's 4-byte read.
struct Name {
  char text[32] = {};
  explicit Name(const char* n) { std::snprintf(text, sizeof text, "%s", n); }
};

// A stand-in holding the shop database (database/client/tests/fixtures/
// shop.schema) compiled by schema, without storage for its sets; db_ is
// its operand.
class ShopDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::RunResult r = compile_schema(server_, client_fixture("shop.schema"));
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    db_ = db_operand(server_, "SHOP");
  }
  StandIn server_;
  std::string db_;
};

// A server without the catalog capability whose every open answers with the
// root of a small database (the root decoder's fuzzing seed without its
// first byte).
inline std::string small_root_file(const vtest::TempDir& dir) {
  const std::string seed =
      vtest::read_file(vtest::source_dir() + "/database/client/fuzz/seeds/root_decode_fuzz/shop_le");
  const std::string file = dir.file("root");
  vtest::write_file(file, seed.substr(1));
  return file;
}

}  // namespace dbserver_test
