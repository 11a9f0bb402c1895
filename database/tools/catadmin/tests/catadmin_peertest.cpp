// catadmin against the stand-in database server, on a catalog that the
// schema compiler wrote from the order-entry schema: command files with
// their exact standard output and exit code, and the catalog afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

const char* const kAdminPassword = "admin-pw";

// One row as "value|value|...": integers in decimal, strings as they are,
// binary and counted values in hex.
std::string row_text(const SysCatResultSet* rs, const SysCatRow* row) {
  std::string text;
  for (uint32_t c = 0; c < row->col_count && c < rs->col_count; ++c) {
    if (c) text += "|";
    const SysCatValue& v = row->values[c];
    if (!v.value) {
      text += "NULL";
      continue;
    }
    switch (rs->cols[c].col_type) {
      case SysCol_INTEGER: {
        int32_t n;
        std::memcpy(&n, v.value, sizeof n);
        text += std::to_string(n);
        break;
      }
      case SysCol_VARCHAR:
        text += std::string(reinterpret_cast<const char*>(v.value),
                            strnlen(reinterpret_cast<const char*>(v.value), v.length));
        break;
      default:
        for (uint32_t i = 0; i < v.length; ++i) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02x", v.value[i]);
          text += hex;
        }
    }
  }
  return text;
}

// The rows of a catalog table (database "" : the node's tables), read as the
// administrator through the client library.
std::vector<std::string> catalog_rows(const StandIn& server, const char* database, uint32_t table) {
  std::vector<std::string> result;
  idb_init(0, 0, 0, 0);
  idb_logon("admin", kAdminPassword);
  int server_id = SysCat_open("127.0.0.1", server.service().c_str());
  int db = *database ? SysCat_open_db_by_name(server_id, database, 0, 0) : 0;
  SysCatResultSet* rs = server_id > 0 && db >= 0 ? SysCat_select(server_id, db, table, SysSelect_ALL) : nullptr;
  if (!rs) result.push_back("(select failed)");
  while (rs) {
    SysCatRow* row = SysCat_fetch(rs);
    if (!row) break;
    result.push_back(row_text(rs, row));
    std::free(row);
  }
  if (rs) SysCat_close_query(rs);
  if (db > 0) SysCat_close_db(server_id, db);
  if (server_id > 0) SysCat_close(server_id);
  idb__exit();
  return result;
}

std::string digest_hex(const std::string& password) { return refcrypto::md5_hex(password); }

class Catadmin : public ::testing::Test {
 protected:
  void SetUp() override { vtest::write_file(dir_.file("users"), "admin:" + digest_hex(kAdminPassword) + "\n"); }

  // A stand-in whose user table holds the administrator, with the
  // order-entry database compiled into its catalog.
  void start(std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--users", dir_.file("users")});
    server_.reset(new StandIn(options));
    vtest::run("/bin/mkdir", {"-p", dir_.file("reg")});
    vtest::write_file(dir_.file("reg/user.reg"),
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                          vtest::source_dir() + "/examples/schemas/lib\"\n");
    vtest::RunOptions run_options;
    run_options.env["VARNICA_REGISTRY"] = dir_.file("reg");
    run_options.timeout_seconds = 30;
    vtest::RunResult r = vtest::run("schema",
                                    {"-h", "127.0.0.1", "-s", server_->service(), "-u", "admin", "-p", kAdminPassword,
                                     vtest::source_dir() + "/examples/schemas/orders.schema"},
                                    run_options);
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  }

  // The opening every command file of these tests shares: connect, logon.
  std::string head() const {
    return "CONNECT \"127.0.0.1:" + server_->service() + "\";\nLOGON \"admin\" PASSWORD \"" + kAdminPassword + "\";\n";
  }

  vtest::RunResult run(const std::string& commands, std::vector<std::string> args = {}) {
    vtest::write_file(dir_.file("commands"), commands);
    args.push_back(dir_.file("commands"));
    vtest::RunOptions options;
    options.timeout_seconds = 30;
    return vtest::run("catadmin", args, options);
  }

  vtest::TempDir dir_;
  std::unique_ptr<StandIn> server_;
};

TEST_F(Catadmin, UsersCreatedChangedAndDropped) {
  start();
  vtest::RunResult r = run(head() +
                           "CREATE USER \"clerk\" PASSWORD \"pw1\";\n"
                           "CREATE USER \"auditor\";\n"
                           "CREATE USER \"temp\" PASSWORD \"\";\n"
                           "ALTER PASSWORD FOR USER \"clerk\" TO \"pw2\";\n"
                           "ALTER PASSWORD FOR USER \"auditor\" TO \"pw3\";\n"
                           "DROP USER \"temp\";\n");
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(catalog_rows(*server_, "", 30),
            (std::vector<std::string>{"1|admin|" + digest_hex(kAdminPassword) + "|07000000",
                                      "2|clerk|" + digest_hex("pw2") + "|04000000",
                                      "3|auditor|" + digest_hex("pw3") + "|04000000"}));
}

// A command file ("{HEAD}" stands for the connect and logon lines, "{DB}"
// for those and the database line), what it prints, its exit code, and a
// catalog table afterwards ("" : not checked; database "" : the node).
struct RunCase {
  const char* name;
  std::string commands;
  std::string out;
  int exit_code;
  const char* database;
  uint32_t table;
  std::vector<std::string> rows;
};

const std::string kAdminRow = "1|admin|" + digest_hex(kAdminPassword) + "|07000000";
// The privilege rows the schema compiler wrote.
const std::vector<std::string> kSchemaPrivileges = {
    "3|1|01000000", "4|1|03000000", "5|1|01000000", "2|2|01000000", "3|2|01000000", "4|2|03000000", "5|2|01000000",
    "3|3|01000000", "4|3|03000000", "3|4|03000000", "4|4|03000000", "3|5|03000000", "4|5|03000000"};

const RunCase kRunCases[] = {
    {"UserWarnings",
     "{HEAD}CREATE USER \"clerk\";\ncreate user \"CLERK\" password \"x\";\nDROP USER \"nobody\", \"clerk\";\n"
     "ALTER PASSWORD FOR USER \"ghost\" TO \"x\";\n",
     "create user \"CLERK\" password \"x\";\n"
     "*** (WARNING) User \"CLERK\" already exists - request ignored. in line 4\n"
     "DROP USER \"nobody\", \"clerk\";\n"
     "*** (WARNING) User \"nobody\" does not exist - request ignored. in line 5\n"
     "ALTER PASSWORD FOR USER \"ghost\" TO \"x\";\n"
     "*** (WARNING) User \"ghost\" does not exist - request ignored. in line 6\n",
     0,
     "",
     30,
     {kAdminRow}},
    {"UserPrivilegesGrantedAndRevoked",
     "{HEAD}CREATE USER \"a\";\nCREATE USER \"b\";\nGRANT DBA, UADMIN TO \"a\";\nREVOKE CONNECT FROM \"b\";\n"
     "GRANT CONNECT TO PUBLIC;\nREVOKE DBA FROM \"admin\", \"nobody\";\n",
     "REVOKE DBA FROM \"admin\", \"nobody\";\n"
     "*** (WARNING) User \"nobody\" does not exist - request ignored. in line 8\n",
     0,
     "",
     30,
     {"1|admin|" + digest_hex(kAdminPassword) + "|06000000", "2|a|NULL|07000000", "3|b|NULL|04000000"}},
    {"GroupsAndGroupPrivileges",
     "{DB}CREATE GROUP \"sales\";\nCREATE GROUP \"audit\";\nCREATE GROUP \"SALES\";\nDROP GROUP \"audit\", \"none\";\n"
     "GRANT DADMIN, DBPRIV TO \"sales\", \"clerk\";\nREVOKE DBPRIV FROM \"sales\";\n",
     "CREATE GROUP \"SALES\";\n"
     "*** (WARNING) Group \"SALES\" already exists - request ignored. in line 6\n"
     "DROP GROUP \"audit\", \"none\";\n"
     "*** (WARNING) Group \"none\" does not exist - request ignored. in line 7\n",
     0,
     "ORDERS",
     2,
     {"2|public|00000000", "3|CLERK|03000000", "4|MANAGER|00000000", "5|Group5|00000000", "6|sales|01000000"}},
    {"MembershipsGrantedAndRevoked",
     "{DB}CREATE USER \"a\";\nCREATE USER \"b\";\nGRANT \"CLERK\", \"nogroup\" TO \"a\", \"nobody\";\n"
     "GRANT \"CLERK\" TO \"a\";\nGRANT \"MANAGER\" TO PUBLIC;\nGRANT \"MANAGER\" TO PUBLIC;\n"
     "REVOKE \"MANAGER\" FROM \"b\";\nREVOKE \"MANAGER\" FROM \"b\";\nREVOKE \"CLERK\" FROM PUBLIC;\n",
     "GRANT \"CLERK\", \"nogroup\" TO \"a\", \"nobody\";\n"
     "*** (WARNING) Group \"nogroup\" does not exist - request ignored. in line 6\n"
     "*** (WARNING) User \"nobody\" does not exist - request ignored.\n"
     "GRANT \"CLERK\" TO \"a\";\n"
     "*** (WARNING) User \"a\" is already member of group \"CLERK\" - ignored in line 7\n"
     "REVOKE \"MANAGER\" FROM \"b\";\n"
     "*** (WARNING) USer \"b\" is no member of group \"MANAGER\" - ignored in line 11\n",
     0,
     "ORDERS",
     5,
     {"1|4", "2|4"}},
    {"TablePrivileges",
     "{DB}CREATE GROUP \"sales\";\nCREATE GROUP \"audit\";\n"
     "GRANT READ, WRITE ON \"customers\", \"ORDERS\", \"nothing\" TO \"sales\", \"nogroup\";\n"
     "GRANT ALL PRIVILEGES ON ALL TO \"audit\";\nREVOKE READ ON \"PRODUCTS\" FROM \"CLERK\";\n",
     "GRANT READ, WRITE ON \"customers\", \"ORDERS\", \"nothing\" TO \"sales\", \"nogroup\";\n"
     "*** (WARNING) Group \"nogroup\" does not exist - request ignored. in line 6\n"
     "*** (WARNING) Table \"ORDERS\" is wrong type - request ignored.\n"
     "*** (WARNING) Table \"nothing\" does not exist - request ignored.\n",
     0,
     "ORDERS",
     6,
     {"3|1|01000000", "4|1|03000000", "5|1|01000000", "2|2|01000000", "4|2|03000000", "5|2|01000000", "3|3|01000000",
      "4|3|03000000", "3|4|03000000", "4|4|03000000", "3|5|03000000", "4|5|03000000", "6|1|03000000", "7|1|07000000",
      "7|2|07000000", "7|3|07000000"}},
    {"RefusedPrivilegeRollsBack",
     "{DB}CREATE GROUP \"sales\";\nGRANT READ ON \"CUSTOMERS\" TO \"sales\";\n"
     "REVOKE ERASE ON \"ORDER-KEYS\" FROM \"sales\";\nGRANT WRITE ON \"CUSTOMERS\" TO \"sales\";\n",
     "REVOKE ERASE ON \"ORDER-KEYS\" FROM \"sales\";\n"
     "*** Unable to remove privilege for group 6 on table 3. Status = -805/2050 in line 6\n"
     "GRANT WRITE ON \"CUSTOMERS\" TO \"sales\";\n"
     "*** Unable to set privilege for group 6 on table 1. Status = -805/2049 in line 7\n"
     "FATAL: 2 Errors detected\n",
     1, "ORDERS", 6, kSchemaPrivileges},
    {"StatementBeforeLogonIsFatal",
     "CREATE USER \"x\";\nCREATE USER \"y\";\n",
     "CREATE USER \"x\";\n*** Not connected a to server or logon failed in line 1\n"
     "FATAL: Fatal problem - can't continue.\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"GroupStatementWithoutDatabaseIsFatal",
     "{HEAD}CREATE USER \"x\";\nCREATE GROUP \"g\";\n",
     "CREATE GROUP \"g\";\n*** No database context in line 4\nFATAL: Fatal problem - can't continue.\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"SecondLogonWarnsSecondConnectCounts",
     "{HEAD}LOGON \"admin\";\nCONNECT \"elsewhere\";\nCREATE USER \"x\";\n",
     "LOGON \"admin\";\n*** (WARNING) Server connection already established. in line 3\n"
     "CONNECT \"elsewhere\";\n*** Server connection already established. in line 4\n"
     "FATAL: 1 Errors detected\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"KeywordsInEitherCaseButNotMixed",
     "{HEAD}create user \"a\";\nCREATE USER \"b\";\nCreate User \"c\";\ngrant dba to \"a\";\n",
     "Create User \"c\";\n*** syntax error in line 5\nFATAL: 1 Errors detected\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"EscapedQuoteStaysInTheName",
     "{HEAD}CREATE USER \"say \\\"hi\\\"\" PASSWORD \"p\\\"w\"; # a comment \"not a name\"\n",
     "",
     0,
     "",
     30,
     {kAdminRow, "2|say \\\"hi\\\"|" + digest_hex("p\\\"w") + "|04000000"}},
    {"ExitEndsTheReading",
     "{HEAD}CREATE USER \"a\";\nEXIT; this is not read\nCREATE USER \"b\";\n",
     "",
     0,
     "",
     30,
     {kAdminRow, "2|a|NULL|04000000"}},
    {"SyntaxErrorSkipsToTheSemicolon",
     "{HEAD}CREATE USER clerk;\nCREATE \"x\" USER\n  \"y\"; CREATE USER \"z\";\nGRANT 5 TO \"z\";\n",
     "CREATE USER clerk;\n*** syntax error in line 3\n"
     "CREATE \"x\" USER\n*** syntax error in line 4\n"
     "GRANT 5 TO \"z\";\n*** syntax error in line 6\n"
     "FATAL: 3 Errors detected\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"UnendedStatementAtTheEnd",
     "{HEAD}CREATE USER \"a\"",
     "CREATE USER \"a\"\n*** syntax error in line 3\n"
     "FATAL: 1 Errors detected\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"LogonRefused",
     "CONNECT \"127.0.0.1:{PORT}\";\nLOGON \"admin\" PASSWORD \"wrong\";\nCREATE USER \"x\";\n",
     "LOGON \"admin\" PASSWORD \"wrong\";\n*** Unable to connect server 127.0.0.1:{PORT} in line 2\n"
     "*** Password does not match [-4]\nCREATE USER \"x\";\n*** Not connected a to server or logon failed in line 3\n"
     "FATAL: Fatal problem - can't continue.\n",
     1,
     "",
     30,
     {kAdminRow}},
    {"OnlyConnectAndLogon", "{HEAD}", "", 0, "", 30, {kAdminRow}},
};

class CatadminRuns : public Catadmin, public ::testing::WithParamInterface<RunCase> {};

std::string expand(std::string text, const std::string& what, const std::string& by) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
    text.replace(at, what.size(), by);
  return text;
}

TEST_P(CatadminRuns, PrintsAndLeavesTheCatalog) {
  const RunCase& c = GetParam();
  start();
  std::string commands = expand(c.commands, "{DB}", "{HEAD}DATABASE \"ORDERS\";\n");
  commands = expand(commands, "{HEAD}", head());
  commands = expand(commands, "{PORT}", server_->service());
  vtest::RunResult r = run(commands);
  EXPECT_EQ(r.out, expand(c.out, "{PORT}", server_->service()));
  EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
  if (c.table) {
    EXPECT_EQ(catalog_rows(*server_, c.database, c.table), c.rows);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, CatadminRuns, ::testing::ValuesIn(kRunCases),
                         [](const ::testing::TestParamInfo<RunCase>& param) { return std::string(param.param.name); });

}  // namespace
