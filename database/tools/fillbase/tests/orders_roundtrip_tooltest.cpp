// The order-entry database with awkward strings (ordergen) through
// drainbase, blankset, fillbase and drainbase again: the two exports are
// identical per set, as one file on standard output with restructure
// information, and in Roman-8 (also verbose), with commits every -c records (an export in
// chained order is no fixed point: loading it changes the serial order of
// the automatic master and the arrival order of chains without sort items). 5,000 records here;
// VARNICA_ROUNDTRIP_RECORDS asks for another size (100,000 is the size the tools must carry, see README.md).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

long record_count() {
  const char* size = std::getenv("VARNICA_ROUNDTRIP_RECORDS");
  return size && std::atol(size) >= 20 ? std::atol(size) : 5000;
}

class RoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::RunResult r = run("ordergen", {dir_.path(), std::to_string(records_)});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    r = dbserver_test::compile_schema(server_, dir_.file("orders.schema"));
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    db_ = dbserver_test::db_operand(server_, "ORDERS");
    ASSERT_EQ(run("forgeset", {db_}).exit_code, 0);
    r = run("fillbase", {"-c", "1000", "-i", dir_.path(), db_});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
  vtest::RunResult run(const std::string& tool, std::vector<std::string> args) {
    vtest::RunOptions options;
    options.timeout_seconds = 600;
    options.env["LOGNAME"] = "tester";
    const auto start = std::chrono::steady_clock::now();
    vtest::RunResult r = vtest::run(tool, args, options);
    std::printf("%-10s %.2f s\n", tool.c_str(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return r;
  }
  // drainbase with `drain`, blankset, fillbase with `fill`, drainbase with
  // `drain` again: the first export's text, which the second must equal.
  // "FILE" in `fill` stands for the first export's file.
  void cycle(const std::vector<std::string>& drain, std::vector<std::string> fill, const std::string& what) {
    SCOPED_TRACE(what);
    vtest::TempDir out;
    std::vector<std::string> args = drain;
    args.push_back(db_);
    vtest::RunResult first = run("drainbase", args);
    ASSERT_EQ(first.exit_code, 0) << first.err;
    ASSERT_GT(first.out.size(), static_cast<size_t>(records_) * 10);
    vtest::write_file(out.file("first.exp"), first.out);
    ASSERT_EQ(run("blankset", {db_}).exit_code, 0);
    for (std::string& a : fill)
      if (a == "FILE") a = out.file("first.exp");
    fill.push_back(db_);
    vtest::RunResult r = run("fillbase", fill);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    vtest::RunResult second = run("drainbase", args);
    ASSERT_EQ(second.exit_code, 0) << second.err;
    EXPECT_TRUE(first.out == second.out) << "the second export differs from the first";
  }
  const long records_ = record_count();
  StandIn server_;
  vtest::TempDir dir_;
  std::string db_;
};

TEST_F(RoundTrip, PerSetFilesReadBackAsWritten) {
  // The files drainbase writes are the files ordergen wrote, and a second
  // cycle through them changes nothing.
  vtest::TempDir out, again;
  ASSERT_EQ(run("drainbase", {"-o", out.path(), db_}).exit_code, 0);
  const char* const kFiles[] = {"ORDERS.001.exp", "ORDERS.002.exp", "ORDERS.004.exp", "ORDERS.005.exp"};
  for (const char* f : kFiles) {
    const std::string text = vtest::read_file(out.file(f));
    EXPECT_FALSE(text.empty()) << f;
    EXPECT_TRUE(text == vtest::read_file(dir_.file(f))) << f;
  }
  EXPECT_FALSE(vtest::file_exists(out.file("ORDERS.003.exp")));  // the automatic master
  ASSERT_EQ(run("blankset", {db_}).exit_code, 0);
  ASSERT_EQ(run("fillbase", {"-c", "250", "-i", out.path(), db_}).exit_code, 0);
  ASSERT_EQ(run("drainbase", {"-o", again.path(), db_}).exit_code, 0);
  for (const char* f : kFiles) EXPECT_TRUE(vtest::read_file(again.file(f)) == vtest::read_file(out.file(f))) << f;
}

TEST_F(RoundTrip, SingleFileForms) {
  cycle({"-r", "-s", "-"}, {"-r", "-", "-c", "999", "-s", "FILE"}, "one file with restructure information");
  cycle({"-s", "-"}, {"-c", "0", "-s", "FILE"}, "one file, one transaction");
  cycle({"-r", "-z", "roman8", "-s", "-"}, {"-r", "-", "-z", "roman8", "-c", "5000", "-s", "FILE"}, "Roman-8");
  // Verbose lines and the code-set line stay off the export.
  cycle({"-v", "-r", "-z", "roman8", "-s", "-"}, {"-v", "-r", "-", "-z", "roman8", "-s", "FILE"}, "Roman-8, verbose");
}

}  // namespace
