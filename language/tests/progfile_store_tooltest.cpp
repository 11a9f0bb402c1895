// store writes program files in every layout; the reader reads each back to
// the same segments; a failed store leaves the old file as it was.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "language/tests/progfile_fixture.h"
#include "testsupport.h"

using namespace pftest;

namespace {

// Subprograms, functions and constants of every exponent range.
const char kMulti[] =
    "10 A=1.5\n"
    "20 B=-250\n"
    "30 C=0.000001234\n"
    "40 D=1E20\n"
    "50 PRINT A+B+C+D\n"
    "60 CALL Show(A)\n"
    "70 DEF FNTwice(X)=2*X\n"
    "80 GOSUB 200\n"
    "90 STOP\n"
    "200 PRINT \"sub\"\n"
    "210 RETURN\n"
    "300 SUB Show(Y)\n"
    "310 PRINT Y;123456789012\n"
    "320 SUBEND\n"
    "400 DEF FNBig(Z)\n"
    "410 RETURN Z*1000\n"
    "420 FNEND\n";

// The sample programs, plus "multi" for kMulti above. The space-dependent
// twins compile to the same words; one spelling is enough here.
std::vector<std::string> example_sources() {
  std::vector<std::string> out;
  for (const std::string& name : vtest::files_with_suffix(vtest::source_dir() + "/examples/programs", ".txt")) {
    bool twin = name.size() > 7 && name.compare(name.size() - 7, 7, "-sd.txt") == 0;
    if (!twin) out.push_back(name.substr(0, name.size() - 4));
  }
  out.push_back("multi");
  return out;
}

Bytes bytes_of(const std::string& path) {
  std::string s = vtest::read_file(path);
  return Bytes(s.begin(), s.end());
}

struct Segs {
  std::vector<Words> code, symbols;
};

Segs read_back(const Bytes& image, const char* password, int* revision) {
  Program p;
  ReadResult r = read_mem(image, &p.list, password);
  EXPECT_TRUE(r.ok()) << r.message();
  *revision = r.info.revision;
  Segs s;
  for (ProgSegment* seg : p.segments()) {
    s.code.push_back(seg->code);
    s.symbols.push_back(seg->symbols);
  }
  return s;
}

struct ProgfileStoreExample : ::testing::TestWithParam<std::string> {};

TEST_P(ProgfileStoreExample, EveryLayoutReadsBackAlike) {
  vtest::TempDir dir;
  std::string src = vtest::source_dir() + "/examples/programs/" + GetParam() + ".txt";
  if (GetParam() == "multi") {
    src = dir.file("multi.txt");
    vtest::write_file(src, kMulti);
  }
  struct Layout {
    std::vector<std::string> args;
    int revision;
  };
  const Layout layouts[] = {
      {{"-r0"}, 0}, {{"-r1"}, 1}, {{"-r2"}, 2}, {{"-r2", "-b"}, 2}, {{"-r2", "--pswd", "pass"}, 2},
  };
  Segs first;
  bool have_first = false;
  for (const Layout& l : layouts) {
    std::vector<std::string> args = l.args;
    args.insert(args.end(), {"-o", dir.file("out"), src});
    vtest::RunResult r = vtest::run("store", args);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    Bytes image = bytes_of(dir.file("out.PROG"));
    // The same program stored again gives the same bytes (checked on the
    // layout with the most parts).
    if (l.args.size() == 3) {
      ASSERT_EQ(vtest::run("store", args).exit_code, 0);
      EXPECT_EQ(bytes_of(dir.file("out.PROG")), image);
    }

    int revision = -1;
    Segs s = read_back(image, "pass", &revision);
    EXPECT_EQ(revision, l.revision);
    ASSERT_FALSE(s.code.empty());
    if (!have_first) {
      first = s;
      have_first = true;
    } else {
      EXPECT_EQ(s.code, first.code);
      EXPECT_EQ(s.symbols, first.symbols);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ProgfileStoreExample, ::testing::ValuesIn(example_sources()),
                         [](const ::testing::TestParamInfo<std::string>& param_info) { return param_info.param; });

TEST(ProgfileStore, TaggedFileCarriesReleaseAndPassword) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("p.txt"), kMulti);
  ASSERT_EQ(vtest::run("store", {"-r2", "-p", "pass", dir.file("p.txt")}).exit_code, 0);
  Bytes image = bytes_of(dir.file("p.PROG"));
  Program p;
  ReadResult r = read_mem(image, &p.list);
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_STREQ(r.info.release, "A.06.00");
  EXPECT_EQ(r.info.password, 1);
  EXPECT_EQ(0, std::memcmp(r.info.digest, prog_pswd_digest("pass", 4), 16));
  EXPECT_EQ(p.segments().size(), 3u);  // main, SUB Show, FN Big
  for (ProgSegment* s : p.segments()) EXPECT_EQ(s->protection, PROGSEG_PROTECTED);
}

TEST(ProgfileStore, RefusalsKeepTheOldFile) {
  vtest::TempDir dir;
  const std::string out = dir.file("keep");
  const std::string old = "old program bytes";
  vtest::write_file(dir.file("good.txt"), kMulti);
  vtest::write_file(dir.file("empty.txt"), "\n\n");

  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {"empty program", {"-o", out, dir.file("empty.txt")}, "You cannot store an empty program\nErr details: "},
      {"classic little-endian",
       {"-r1", "-b", "-o", out, dir.file("good.txt")},
       "Given byte order not supported for this format\nErr details: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::write_file(out + ".PROG", old);
    vtest::RunResult r = vtest::run("store", c.args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("store: Unable to store program\n"), std::string::npos) << r.err;
    EXPECT_EQ(vtest::read_file(out + ".PROG"), old);
  }

  // A write that fails half-way (no file may grow) leaves the old file whole
  // and no temporary file beside it.
  vtest::write_file(out + ".PROG", old);
  vtest::RunResult r = vtest::run("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"",
                                              vtest::tool_path("store"), "-o", out, dir.file("good.txt")});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_NE(r.err.find("store: Unable to store program"), std::string::npos) << r.err;
  EXPECT_EQ(vtest::read_file(out + ".PROG"), old);
  int entries = 0;
  if (DIR* d = opendir(dir.path().c_str())) {
    while (dirent* e = readdir(d)) entries += e->d_name[0] != '.';
    closedir(d);
  }
  EXPECT_EQ(entries, 3);  // good.txt, empty.txt, keep.PROG

  // A successful store replaces it.
  ASSERT_EQ(vtest::run("store", {"-o", out, dir.file("good.txt")}).exit_code, 0);
  EXPECT_NE(vtest::read_file(out + ".PROG"), old);
}

}  // namespace
