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
#include "tests/peers/dbserver/rowtext.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

const char* const kAdminPassword = "admin-pw";

using dbserver_test::row_text;

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

// Standard error without the banner, which catadmin prints alone (no blank
// line after it).
std::string without_banner(const std::string& err) {
  const std::string head = "\nQ7702K CATADMIN ";
  EXPECT_EQ(err.rfind(head, 0), 0u) << err;
  size_t end = err.find('\n', head.size());
  return end == std::string::npos ? err : err.substr(end + 1);
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
     "*** (WARNING) Table \"nothing\" does not exist - request ignored.\n",
     0,
     "ORDERS",
     6,
     {"3|1|01000000", "4|1|03000000", "5|1|01000000", "2|2|01000000", "4|2|03000000", "5|2|01000000", "3|3|01000000",
      "4|3|03000000", "3|4|03000000", "4|4|03000000", "3|5|03000000", "4|5|03000000", "6|1|03000000", "6|4|03000000",
      "7|1|07000000", "7|2|07000000", "7|3|07000000", "7|4|07000000", "7|5|07000000"}},
    {"RefusedPrivilegeRollsBack",
     "{DB}CREATE GROUP \"sales\";\nGRANT READ ON \"CUSTOMERS\" TO \"sales\";\n"
     "REVOKE ERASE ON \"ORDER-KEYS\" FROM \"sales\";\nGRANT READ ON \"CUSTOMERS\" TO \"sales\";\n"
     "REVOKE ERASE ON \"ORDERS\" FROM \"CLERK\";\n",
     "REVOKE ERASE ON \"ORDER-KEYS\" FROM \"sales\";\n"
     "*** Unable to remove privilege for group 6 on table 3. Status = -805/2050 in line 6\n"
     "GRANT READ ON \"CUSTOMERS\" TO \"sales\";\n"
     "*** Unable to set privilege for group 6 on table 1. Status = -805/2049 in line 7\n"
     "REVOKE ERASE ON \"ORDERS\" FROM \"CLERK\";\n"
     "*** Unable to remove privilege for group 3 on table 4. Status = -805/2050 in line 8\n"
     "FATAL: 3 Errors detected\n",
     1, "ORDERS", 6, kSchemaPrivileges},
    // A grant adds its bits to the group's row on the table, a revoke clears
    // only its own, and the row goes with its last bit.
    {"PartialGrantsAndRevokes",
     "{DB}CREATE GROUP \"sales\";\nGRANT READ ON \"CUSTOMERS\" TO \"sales\";\n"
     "GRANT WRITE ON \"CUSTOMERS\" TO \"sales\";\nGRANT ERASE ON \"ORDERS\" TO \"CLERK\";\n"
     "REVOKE WRITE ON \"ORDERS\" FROM \"MANAGER\";\nREVOKE READ, ERASE ON \"PRODUCTS\" FROM \"CLERK\";\n"
     "REVOKE READ ON \"PRODUCTS\" FROM \"MANAGER\";\n",
     "",
     0,
     "ORDERS",
     6,
     {"3|1|01000000", "4|1|03000000", "5|1|01000000", "2|2|01000000", "4|2|02000000", "5|2|01000000", "3|3|01000000",
      "4|3|03000000", "3|4|07000000", "4|4|01000000", "3|5|03000000", "4|5|03000000", "6|1|03000000"}},
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

// Eleven errors end the run at the eleventh with the default limit; with
// "-e 0" every one is reported and counted.
TEST_F(Catadmin, ErrorLimit) {
  start();
  std::string commands = head();
  for (int i = 0; i < 12; ++i) commands += "CREATE USER x;\n";
  vtest::RunResult r = run(commands);
  EXPECT_EQ(r.exit_code, 1);
  size_t lines = 0;
  for (size_t at = r.out.find("*** syntax error"); at != std::string::npos; at = r.out.find("*** syntax error", at + 1))
    ++lines;
  EXPECT_EQ(lines, 11u) << r.out;
  EXPECT_NE(r.out.find("*** syntax error in line 13\nFATAL: Number of errors exceeds maximum\n"), std::string::npos)
      << r.out;

  r = run(commands, {"-e", "0"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("*** syntax error in line 14\nFATAL: 12 Errors detected\n"), std::string::npos) << r.out;

  r = run(commands, {"-e", "2"});
  EXPECT_NE(r.out.find("*** syntax error in line 5\nFATAL: Number of errors exceeds maximum\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(catalog_rows(*server_, "", 30), std::vector<std::string>{kAdminRow});
}

// The lists are not cut at 100 names: all 150 users get the privilege.
TEST_F(Catadmin, LongListsAreTakenWhole) {
  start();
  std::string commands = head(), list;
  for (int i = 0; i < 150; ++i) {
    commands += "CREATE USER \"u" + std::to_string(i) + "\";\n";
    list += (i ? ", \"u" : "\"u") + std::to_string(i) + "\"";
  }
  commands += "GRANT DBA TO " + list + ";\n";
  vtest::RunResult r = run(commands);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  std::vector<std::string> rows = catalog_rows(*server_, "", 30);
  ASSERT_EQ(rows.size(), 151u);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i].substr(rows[i].size() - 8), "05000000") << rows[i];
}

// Statement trace and copy dumps with "-d": a given password shows as
// "****", a missing one as "NULL", and the digest never appears.
TEST_F(Catadmin, TraceLinesAndDumps) {
  start();
  vtest::RunResult r = run(head() +
                               "CREATE USER \"a\" PASSWORD \"secret\";\nCREATE USER \"b\";\nDATABASE \"ORDERS\";\n"
                               "GRANT CONNECT, DBA TO PUBLIC;\nREVOKE ALL PRIVILEGES ON ALL FROM \"CLERK\";\n"
                               "GRANT \"CLERK\" TO \"a\";\nDROP USER \"b\";\n",
                           {"-d", "P0"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  const std::string err = r.err;
  for (const std::string& line : {
           "act_connect(server=\"127.0.0.1:" + server_->service() +
               "\")\n host = 127.0.0.1, service = " + server_->service() + "\n",
           std::string("act_logon(user=\"admin\", pswd=\"****\")\n-- user --\n[0] 1 admin 00000007 16:") +
               digest_hex(kAdminPassword) + "\n",
           std::string("act_add_user(user=\"a\", pswd=\"****\")\n uid = 2\n"),
           std::string("act_add_user(user=\"b\", pswd=\"NULL\")\n uid = 3\n"),
           std::string("act_database(db=\"ORDERS\")\n-- group --\n[0] 2 public 00000000\n[1] 3 CLERK 00000000\n"),
           std::string("-- member --\n-- tables --\n[0] 1 CUSTOMERS 1\n"),
           std::string("act_grant_user()\nprivs[2] = connect dba\nulist[0] = PUBLIC\n"),
           std::string("act_revoke_table()\nprivs[0] = ALL PRIVILEGES\ntlist[0] = ALL\nglist[1] = \"CLERK\"\n"),
           std::string("act_grant_member()\nglist[1] = \"CLERK\"\nulist[1] = \"a\"\n"),
           std::string("act_del_user()\nulist[1] = \"b\"\n"),
       })
    EXPECT_NE(err.find(line), std::string::npos) << line << "\n--- in ---\n" << err;
  EXPECT_EQ(err.find(digest_hex("secret")), std::string::npos);
  EXPECT_EQ(r.out.find(digest_hex("secret")), std::string::npos);
}

// "-v" frames the run; twice it leaves the input lines out of the messages.
TEST_F(Catadmin, VerboseLines) {
  start();
  const std::string commands = head() + "CREATE USER \"admin\";\n";
  vtest::RunResult r = run(commands, {"-v"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out,
            "Processing specification ...\n\n"
            "CREATE USER \"admin\";\n"
            "*** (WARNING) User \"admin\" already exists - request ignored. in line 3\n"
            "\nProcessing completed.\n");
  r = run(commands, {"-v", "-v"});
  EXPECT_EQ(r.out,
            "Processing specification ...\n\n"
            "*** (WARNING) User \"admin\" already exists - request ignored. in line 3\n"
            "\nProcessing completed.\n");
}

// The parser's own debug lines with "-y", each starting with "yy".
TEST_F(Catadmin, ParserDebugLines) {
  start();
  vtest::RunResult r = run(head(), {"-y"});
  EXPECT_EQ(r.exit_code, 0);
  const std::string err = without_banner(r.err);
  ASSERT_FALSE(err.empty());
  size_t at = 0;
  while (at < err.size()) {
    EXPECT_EQ(err.compare(at, 2, "yy"), 0) << err.substr(at, 60);
    size_t end = err.find('\n', at);
    at = end == std::string::npos ? err.size() : end + 1;
  }
}

// The command file from standard input ("-").
TEST_F(Catadmin, StandardInput) {
  start();
  vtest::RunOptions options;
  options.input = head() + "CREATE USER \"a\";\n";
  vtest::RunResult r = vtest::run("catadmin", {"-"}, options);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(catalog_rows(*server_, "", 30).size(), 2u);
}

// An unknown database is fatal.
TEST_F(Catadmin, UnknownDatabase) {
  start();
  vtest::RunResult r = run(head() + "DATABASE \"NOWHERE\";\nCREATE USER \"a\";\n");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find("\n*** ", r.out.find("in line 3")) + 1),
            "DATABASE \"NOWHERE\";\n*** Unable to open database catalog \"NOWHERE\" in line 3\n");
  EXPECT_NE(r.out.find("FATAL: Fatal problem - can't continue.\n"), std::string::npos) << r.out;
}

// The user table's columns are checked by name, type and size.
TEST_F(Catadmin, UserPrivColumnOfAnotherSize) {
  start({"--fault", "user-priv-size-8"});
  vtest::RunResult r = run(head() + "CREATE USER \"a\";\n");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out,
            "LOGON \"admin\" PASSWORD \"admin-pw\";\n"
            "*** Column \"priv\" has unexpected size in line 2\n"
            "*** Unable to obtain user list from server.\n"
            "CREATE USER \"a\";\n"
            "*** Not connected a to server or logon failed in line 3\n"
            "FATAL: Fatal problem - can't continue.\n");
}

// The privilege map reads the same in either byte order.
TEST_F(Catadmin, BigEndianServer) {
  start({"--byte-order", "4321"});
  vtest::RunResult r =
      run(head() + "CREATE USER \"a\";\nGRANT UADMIN TO \"a\";\nGRANT CONNECT TO PUBLIC;\n", {"-d", "P0"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.err.find("[0] 1 admin 00000007 16:"), std::string::npos) << r.err;
  EXPECT_EQ(catalog_rows(*server_, "", 30),
            (std::vector<std::string>{"1|admin|" + digest_hex(kAdminPassword) + "|00000007", "2|a|NULL|00000006"}));
}

// Usage, options and the input file.
TEST(CatadminCommandLine, UsageOptionsAndInput) {
  vtest::TempDir dir;
  vtest::RunResult r = vtest::run("catadmin", {});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(without_banner(r.err).find("usage: catadmin [options] file\noptions:\n -help   = show "
                                       "usage (this list)\n"),
            0u)
      << r.err;
  EXPECT_NE(r.err.find(" -d flg  = debug flags\n\n"), std::string::npos);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-i", "f"}, {"-x", "f"}, {"f", "g"}, {"-e", "many", "f"}, {"-help", "f"}}) {
    r = vtest::run("catadmin", args);
    EXPECT_EQ(r.exit_code, 2) << args[0];
    if (args[0] != "-help") {
      EXPECT_EQ(without_banner(r.err), "catadmin: Illegal arguments\n");
    }
  }
  const std::string missing = dir.file("missing.cmd");
  r = vtest::run("catadmin", {"-n", "-t", "/nowhere", missing});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, missing + ": No such file or directory\nFATAL: Unable to open input file\n");
  vtest::write_file(dir.file("empty.cmd"), "# nothing\n");
  r = vtest::run("catadmin", {"-n", dir.file("empty.cmd")});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");
}

// The example command files: users, group, members and privileges
// committed; the clerk logs on until CONNECT is revoked; the broken file
// changes nothing.
TEST_F(Catadmin, ExampleCommandFiles) {
  start();
  auto example = [&](const char* name) {
    std::string text = vtest::read_file(vtest::source_dir() + "/examples/catadmin/" + name);
    return expand(text, "vevivu", server_->service());
  };
  auto srvknob = [&]() {
    return vtest::run("srvknob",
                      {"-h", "127.0.0.1", "-s", server_->service(), "-u", "clerk", "-p", "clerk-pw2", "users"});
  };
  vtest::RunResult r = run(example("orders-users.cat"));
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");
  const std::vector<std::string> users = {kAdminRow, "2|clerk|" + digest_hex("clerk-pw2") + "|04000000",
                                          "3|auditor|" + digest_hex("audit-pw") + "|06000000"};
  EXPECT_EQ(catalog_rows(*server_, "", 30), users);
  EXPECT_EQ(catalog_rows(*server_, "ORDERS", 2).back(), "6|order-desk|00000000");
  EXPECT_EQ(catalog_rows(*server_, "ORDERS", 5), (std::vector<std::string>{"2|6", "3|6"}));
  std::vector<std::string> privileges = catalog_rows(*server_, "ORDERS", 6);
  ASSERT_GE(privileges.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(privileges.end() - 3, privileges.end()),
            (std::vector<std::string>{"6|1|03000000", "6|2|03000000", "6|3|03000000"}));
  r = srvknob();
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "admin\nclerk\nauditor\n");

  r = run(example("broken.cat"));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "DROP USERS \"auditor\";\n*** syntax error in line 6\nFATAL: 1 Errors detected\n");
  EXPECT_EQ(catalog_rows(*server_, "", 30), users);

  r = run(example("revoke.cat"));
  EXPECT_EQ(r.exit_code, 0) << r.out;
  r = srvknob();
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Permission denied [-5]"), std::string::npos) << r.err;
}

// GRANT to PUBLIC writes only the users that lack a bit; REVOKE only those
// that have one.
TEST_F(Catadmin, PublicGrantWritesOnlyWhatChanges) {
  start();
  // Requests of class 4, operation 44 (update user), in the stand-in's
  // default byte order.
  auto updates = [&]() {
    int n = 0;
    for (const std::string& frame : server_->received())
      if (frame.size() >= 12 && frame.compare(4, 8, "04002c00") == 0) ++n;
    return n;
  };
  ASSERT_EQ(run(head() + "CREATE USER \"a\";\nCREATE USER \"b\";\nGRANT CONNECT TO PUBLIC;\n").exit_code, 0);
  EXPECT_EQ(updates(), 0);
  ASSERT_EQ(run(head() + "REVOKE CONNECT FROM \"b\";\nGRANT CONNECT TO PUBLIC;\nREVOKE DBA FROM PUBLIC;\n").exit_code,
            0);
  EXPECT_EQ(updates(), 3);  // b twice, admin once
  EXPECT_EQ(catalog_rows(*server_, "", 30),
            (std::vector<std::string>{"1|admin|" + digest_hex(kAdminPassword) + "|06000000", "2|a|NULL|04000000",
                                      "3|b|NULL|04000000"}));
}

}  // namespace
