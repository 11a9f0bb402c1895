// relmap against databases compiled into the stand-in: the short listing in
// full, the page breaks of -l 20 (each page its head and at most 13 report
// lines), no breaks with -l 0, the global section with the collating
// sequences of the order-entry database, and the usage with its errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::after_banner;
using dbserver_test::run_tool;
using dbserver_test::StandIn;

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t end; (end = text.find(sep, at)) != std::string::npos; at = end + 1)
    parts.push_back(text.substr(at, end - at));
  parts.push_back(text.substr(at));
  return parts;
}

using Relmap = dbserver_test::ShopDatabase;

TEST_F(Relmap, ShortListingWithoutPagingOfAFreshDatabase) {
  // Not created yet: the open falls back to mode 13.
  vtest::RunResult r = run_tool("relmap", {"-s", "-l", "0", db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(after_banner(r.err, "RELMAP"), "");
  const std::string page = "  " + db_ + "\n\n";
  EXPECT_EQ(r.out, "PAGE 1 " + page +
                       "                         D A T A   S E T   P A T H E S\n\n"
                       "Data Set Name    Item Name         Data Set Name    Set  Item Name        Item\n"
                       "                                                    Num                   Num\n\n"
                       "CUSTOMERS        CUST-NO           ORDERS             2  CUST-NO             1\n\n"
                       "PAGE 2 " +
                       page +
                       "                         D A T A   S E T   F I E L D S\n\n"
                       "Data Set Name    Set  Item Name        Item  Item  Start  Item  Item  Item\n"
                       "                 Num                   Num   Type  Byte   Cnt   Len   Role\n\n"
                       "CUSTOMERS          1  CUST-NO             1  X         0     1     8  Srch\n"
                       "                      NAME                2  X         8     1    20  \n"
                       "                      CITY                3  X        28     1    10  \n"
                       "                      NAME-IX             7  ( 0)            2    24  Indx\n"
                       "                      NAME                2  X         0          20  Seg\n"
                       "                      CITY                3  X        20           4  Seg\n\n"
                       "ORDERS             2  ORDER-NO            4  D         0     1     4  \n"
                       "                      CUST-NO             1  X         4     1     8  Srch\n"
                       "                      QTY                 5  I        12     1     2  \n"
                       "                      PRICE               6  L        14     1     8  \n\n"
                       "NOTES              3  NAME                2  X         0     1    20  \n\n");
}

TEST_F(Relmap, FullListingSections) {
  vtest::RunResult r = run_tool("relmap", {"-l", "0", db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find('\f'), std::string::npos);
  for (const char* line :
       {"CUST-NO             1  X        8     1      8  0\n", "PRICE               6  L        8     1      8  0\n",
        "NAME-IX             7     24    2  NAME                2    20\n"
        "                                   CITY                3     4\n\n",
        "CUSTOMERS          1  M       3     1    1     38     56         0\n",
        "ORDERS             2  D       4     1    0     22     32         0\n",
        "NOTES              3  D       1     0    0     20     20         0\n\n"
        "Data Set Count:  3\nItem Count:      7\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

TEST_F(Relmap, PagesOfTwentyLinesHoldTheHeadAndThirteenLines) {
  vtest::RunResult r = run_tool("relmap", {"-l", "20", db_});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> pages = split(r.out, '\f');
  // Items, index items, sets, paths, then the fields on two pages: NOTES
  // (2 lines) does not fit after CUSTOMERS (7) and ORDERS (5).
  ASSERT_EQ(pages.size(), 6u);
  for (size_t i = 0; i < pages.size(); ++i) {
    std::vector<std::string> lines = split(pages[i], '\n');
    lines.pop_back();  // after the last "\n"
    EXPECT_LE(lines.size(), 20u) << i;
    EXPECT_EQ(lines[0], "PAGE " + std::to_string(i + 1) + (i + 1 < 10 ? " " : "") + "  " + db_);
  }
  EXPECT_NE(pages[5].find("\n\n                         D A T A   S E T   F I E L D S\n\n"), std::string::npos);
  EXPECT_NE(pages[5].find("\n\nNOTES              3  NAME"), std::string::npos) << pages[5];
  EXPECT_EQ(pages[5].find("CUSTOMERS"), std::string::npos);

  // -l 0 and -l 20 report the same lines.
  vtest::RunResult flat = run_tool("relmap", {"-l", "0", db_});
  std::string joined;
  for (const std::string& p : pages) joined += p;
  EXPECT_EQ(split(joined, '\n').size(), split(flat.out, '\n').size() + 7);
}

TEST_F(Relmap, UsageAndOptionErrors) {
  const std::string prog = vtest::tool_path("relmap");
  const std::string usage = "usage: " + prog +
                            " [options] database\n"
                            "options:\n"
                            " -u user   - set user name\n"
                            " -p pswd   - set user password\n"
                            " -v        - verbose\n"
                            " -l lines  - set page length (66)\n"
                            " -s        - short listing\n"
                            " -d flags  - debug flags\n\n";
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const Case cases[] = {
      {{"-help"}, 2, usage},
      {{"-l", "19", "DB"}, 2, prog + ": Illegal page length\n" + usage},
      {{"-l", "-20", "DB"}, 2, prog + ": Illegal page length\n" + usage},
      {{"-l", "twenty", "DB"}, 2, prog + ": Illegal page length\n" + usage},
      {{"DB", "-l"}, 2, "Option -l requires an argument\n" + usage},
      {{"-x", "DB"}, 2, "Unrecognized option: - x\n" + usage},
      {{}, 2, prog + ": No database specified\n" + usage},
      {{"A", "B"}, 2, prog + ": Unexpected arguments\n" + usage},
      {{""}, 1, prog + ": Illegal data base name\n"},
  };
  for (const Case& c : cases) {
    vtest::RunResult r = run_tool("relmap", c.args);
    EXPECT_EQ(r.exit_code, c.code) << c.err;
    EXPECT_EQ(after_banner(r.err, "RELMAP"), c.err);
    EXPECT_EQ(r.out, "");
  }
}

TEST(RelmapOrders, GlobalSectionNamesTheCollatingSequences) {
  vtest::TempDir dir;
  const std::string schemas = vtest::source_dir() + "/examples/schemas";
  vtest::run("/bin/mkdir", {"-p", dir.file("reg")});
  vtest::write_file(dir.file("reg/user.reg"),
                    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                        schemas + "/lib\"\n");
  StandIn server;
  vtest::RunResult r = dbserver_test::compile_schema(server, schemas + "/orders.schema", "tester", dir.file("reg"));
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  const std::string db = dbserver_test::db_operand(server, "ORDERS");
  r = run_tool("relmap", {"-v", "-s", db});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\f')),
            "Connecting server ...\n"
            "PAGE 1   " +
                db +
                "\n\n"
                "                                  G L O B A L\n\n\n\n\n"
                "Database   : " +
                db +
                "\n"
                "Version    : 0500\n"
                "# of items : 12\n"
                "# of iitems: 2\n"
                "# of sets  : 5\n"
                "# of coll  : 2\n"
                "\nCollating sequence(s):\n"
                "  1 german\n"
                "  3 german@phone\n");
  // The fields section names the same number (the catalog id).
  EXPECT_NE(r.out.find("PROD-IX            14  ( 3)            1    30  Indx\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ORDER-KEYS       ORDER-NO          ORDERS             4  ORDER-NO            8\n"
                       "                                   ORDER-LINES        5  ORDER-NO            8\n"),
            std::string::npos);
}

TEST(RelmapCatalog, ServerWithoutCatalogCapability) {
  vtest::TempDir dir;
  StandIn server({"--capabilities", "2a", "--root-file", dbserver_test::small_root_file(dir)});
  const std::string prog = vtest::tool_path("relmap");
  vtest::RunResult r = run_tool("relmap", {dbserver_test::db_operand(server, "ANY")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err, "RELMAP"), prog + ": Sorry - server 127.0.0.1:" + server.service() +
                                               " has insufficient capabilities\n" + prog +
                                               ": REMOTE: Server does not have required capabilities [-700:-10]\n");
}

}  // namespace
