// drainbase and fillbase against servers that answer wrongly: set
// statistics whose record length disagrees with the set's items, and set
// numbers that name no set.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::run_tool;

// The shop database with storage, in a stand-in started with `options`.
struct Shop {
  explicit Shop(const std::vector<std::string>& options) : server(options) {
    vtest::RunResult r = dbserver_test::compile_schema(server, dbserver_test::client_fixture("shop.schema"));
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
    db = dbserver_test::db_operand(server, "SHOP");
    r = run_tool("forgeset", {db});
    EXPECT_EQ(r.exit_code, 0) << r.err;
  }
  dbserver_test::StandIn server;
  std::string db;
};

TEST(HostileReplies, RecordLengthThatDisagreesWithTheItemsIsRefused) {
  for (const char* fault : {"short-record-length", "long-record-length"}) {
    SCOPED_TRACE(fault);
    Shop shop({"--fault", fault});
    vtest::TempDir dir;
    vtest::write_file(dir.file("SHOP.001.exp"), "\"C0001\",\"N\",\"X\"\n");
    for (std::vector<std::string> args :
         {std::vector<std::string>{"fillbase", "-i", dir.path(), shop.db, "CUSTOMERS"},
          std::vector<std::string>{"drainbase", "-o", dir.path(), shop.db, "CUSTOMERS"}}) {
      std::string tool = args[0];
      args.erase(args.begin());
      vtest::RunResult r = run_tool(tool, args);
      EXPECT_EQ(r.exit_code, 1) << tool << r.err;
      EXPECT_NE(r.err.find("Inconsistent ROOT structures detected"), std::string::npos) << tool << r.err;
    }
  }
}

TEST(HostileReplies, SetNumbersOutOfRangeNameNoSet) {
  Shop shop({});
  vtest::TempDir dir;
  for (const char* number : {"16843009", "2147483647", "0", "99"}) {
    vtest::RunResult r = run_tool("drainbase", {"-o", dir.path(), shop.db, number});
    EXPECT_EQ(r.exit_code, 1) << number << r.err;
    EXPECT_NE(r.err.find("Bad parameter value [-21]"), std::string::npos) << number << r.err;
  }
}

}  // namespace

namespace {

// The shop database with two customers and two orders, in a stand-in
// started with `options`.
struct FilledShop : Shop {
  explicit FilledShop(const std::vector<std::string>& options = {}) : Shop(options) {
    vtest::write_file(in.file("SHOP.001.exp"), "\"C0001\",\"N\",\"X\"\n\"C0002\",\"M\",\"Y\"\n");
    vtest::write_file(in.file("SHOP.002.exp"), "1,\"C0001\",3,9.5\n2,\"C0002\",4,1.5\n");
    vtest::RunResult r = run_tool("fillbase", {"-i", in.path(), db});
    EXPECT_EQ(r.exit_code, 0) << r.err;
  }
  vtest::TempDir in;
};

std::vector<std::string> temporaries(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : vtest::files_with_suffix(folder, ""))
    if (name.find(".exp.") != std::string::npos) found.push_back(name);
  return found;
}

TEST(ExportFiles, EveryFailedOutputEndsInOneAndLeavesTheOldFiles) {
  FilledShop shop({"--refuse", "3/8@4"});
  vtest::TempDir out;
  // The fourth record read (the first of ORDERS) is refused by the server:
  // nothing of the run is renamed into place and no temporary file stays.
  vtest::write_file(out.file("SHOP.001.exp"), "old\n");
  vtest::RunResult r = run_tool("drainbase", {"-o", out.path(), shop.db});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_EQ(vtest::read_file(out.file("SHOP.001.exp")), "old\n");
  EXPECT_EQ(temporaries(out.path()), std::vector<std::string>{});
  // A folder that is not there, and a full device.
  r = run_tool("drainbase", {"-o", out.file("missing"), shop.db, "CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
  r = run_tool("drainbase", {"-s", "/dev/full", shop.db, "CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  // The second set's file cannot be made: the first set's new file is not
  // renamed into place either.
  ASSERT_EQ(symlink("/nonexistent-folder/x", out.file("SHOP.002.exp").c_str()), 0);
  r = run_tool("drainbase", {"-o", out.path(), shop.db, "CUSTOMERS", "ORDERS"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_EQ(vtest::read_file(out.file("SHOP.001.exp")), "old\n");
  EXPECT_EQ(temporaries(out.path()), std::vector<std::string>{});
}

TEST(ExportFiles, LinksFifosAndModesAreKept) {
  FilledShop shop;
  vtest::TempDir out;
  const std::string customers = "# DATABASE = SHOP\n\n# SET 1 = CUSTOMERS       \n\"C0001\",\"N\",\"X\"\n";
  // A link stays a link; its target gets the export, keeping its mode.
  vtest::write_file(out.file("target.exp"), "old\n");
  ASSERT_EQ(chmod(out.file("target.exp").c_str(), 0640), 0);
  ASSERT_EQ(symlink("target.exp", out.file("link.exp").c_str()), 0);
  vtest::RunResult r = run_tool("drainbase", {"-s", out.file("link.exp"), shop.db, "CUSTOMERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(lstat(out.file("link.exp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(vtest::read_file(out.file("target.exp")).rfind("# DATABASE = SHOP\n", 0), 0u);
  ASSERT_EQ(stat(out.file("target.exp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A FIFO is written to, not replaced.
  ASSERT_EQ(mkfifo(out.file("pipe").c_str(), 0600), 0);
  int reader = open(out.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  r = run_tool("drainbase", {"-s", out.file("pipe"), shop.db, "CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  char got[4096] = {};
  EXPECT_GT(read(reader, got, sizeof got - 1), 0);
  close(reader);
  EXPECT_EQ(std::string(got).rfind("# DATABASE = SHOP\n", 0), 0u) << got;
  ASSERT_EQ(lstat(out.file("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ExportFiles, SeparatorsThatCanBeInANumberAreRefused) {
  for (const char* tool : {"drainbase", "fillbase"})
    for (const char* sep : {"-", "+", ".", "e", "E", "0", "7"}) {
      vtest::RunResult r = run_tool(tool, {"-f", sep, "127.0.0.1:1/SHOP"});
      EXPECT_EQ(r.exit_code, 2) << tool << " " << sep << r.err;
      EXPECT_NE(r.err.find("Bad field separator"), std::string::npos) << r.err;
    }
}

}  // namespace

namespace {

TEST(ImportBatches, ARefusedPutLeavesTheCommittedBatchesAndNamesThem) {
  // Batches of 150; the 250th put is refused: batch 1 stays, the open
  // second batch is rolled back, and the message says so.
  Shop shop({"--refuse", "3/6@250"});
  vtest::TempDir in;
  std::string text;
  for (int i = 1; i <= 300; ++i) text += "\"C" + std::to_string(10000 + i) + "\",\"N\",\"X\"\n";
  vtest::write_file(in.file("SHOP.001.exp"), text);
  vtest::RunResult r = run_tool("fillbase", {"-v", "-c", "150", "-i", in.path(), shop.db, "CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_NE(r.err.find("CUSTOMERS       : 150 records committed, the last in batch 1; 99 records put were lost"),
            std::string::npos)
      << r.err;
  // -v shows committed records: 150 at the 200th record put, never 200.
  EXPECT_NE(r.out.find("     150\b"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("     200"), std::string::npos) << r.out;
  r = run_tool("drainbase", {"-s", "-", shop.db, "CUSTOMERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  size_t lines = 0;
  for (char ch : r.out) lines += ch == '\n';
  EXPECT_EQ(lines, 3u + 150u) << r.out.substr(0, 200);  // database line, blank line, set header
}

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// fillbase killed in the middle of a batch: the server rolls the open batch
// back, so the set holds exactly the batches committed before the kill.
TEST(ImportBatches, AKilledRunLeavesExactlyTheCommittedBatches) {
  const long kBatch = 100, kRecords = 200000;
  Shop shop({});
  vtest::TempDir in;
  std::string text;
  for (long i = 1; i <= kRecords; ++i) text += "\"C" + std::to_string(1000000 + i) + "\",\"N\",\"X\"\n";
  vtest::write_file(in.file("SHOP.001.exp"), text);
  const char kCommit[] = "pre-commit mode=12 levels=1 status=0";
  const size_t before = count_of(shop.server.log(), kCommit);  // the schema's own

  const std::string tool = vtest::tool_path("fillbase");
  const std::string batch = std::to_string(kBatch);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    setenv("LOGNAME", "tester", 1);
    execl(tool.c_str(), tool.c_str(), "-c", batch.c_str(), "-i", in.path().c_str(), shop.db.c_str(), "CUSTOMERS",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  // Kill it once three batches are in, while it puts the next.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (count_of(shop.server.log(), kCommit) - before < 3 && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "fillbase ended before it was killed";

  // The stand-in notices the closed connection on its own time.
  vtest::RunResult r;
  long entries = -1;
  for (int tries = 0; tries < 100; ++tries) {
    r = run_tool("probebase", {"-n", shop.db, "CUSTOMERS"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    entries = std::stol(r.out.substr(r.out.find_last_of(' ') + 1));
    if (entries % kBatch == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const size_t committed = count_of(shop.server.log(), kCommit) - before;
  EXPECT_GE(committed, 3u);
  EXPECT_EQ(entries, static_cast<long>(committed) * kBatch) << r.out;
}

}  // namespace
