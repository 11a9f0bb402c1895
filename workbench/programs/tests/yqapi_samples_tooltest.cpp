// The facade against the console tools: every sample program compiled line
// by line through CompileLine stores the same image as `store` makes of the
// same lines and lists as `list` lists that file; files that `store` makes in
// every format read through the facade and store back byte-identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "programs_fixture.h"
#include "language/lister.h"
#include "testsupport.h"
#include "workbench/programs/idecompile.h"

namespace {

using progtest::image_of;
using progtest::ProgramsTest;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

std::string without_escapes(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\x1b') {
      ++i;
      continue;
    }
    out += s[i];
  }
  return out;
}

std::string without_blanks(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

struct Samples : ProgramsTest {
  vtest::TempDir dir;

  std::string store(const std::string& source, const std::vector<std::string>& options) {
    std::string out = dir.file("out");
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-o", out, source});
    vtest::RunResult r = vtest::run("store", args);
    EXPECT_EQ(r.exit_code, 0) << source << ":\n" << r.err;
    return out + ".PROG";
  }
};

std::vector<std::string> samples() {
  std::vector<std::string> out;
  for (const std::string& name : vtest::files_with_suffix(vtest::source_dir() + "/examples/programs", ".txt"))
    if (name.find("-sd.") == std::string::npos) out.push_back(name);
  return out;
}

TEST_F(Samples, CompileLineStoresAndListsAsTheToolsDo) {
  std::vector<std::string> names = samples();
  ASSERT_GE(names.size(), 5u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::string text = vtest::read_file(vtest::source_dir() + "/examples/programs/" + name);
    YqApiProgram prog;
    ASSERT_TRUE(prog.NewProgram());
    // The lines the environment takes; those that refer to a line by its
    // number are refused there and left out for store as well.
    std::string kept;
    int refused = 0;
    unsigned numbering_step = 1;
    for (const std::string& line : lines_of(text)) {
      if (line.rfind("$LINE", 0) == 0) {
        unsigned first = 0;
        unsigned step = 10;
        ASSERT_GE(std::sscanf(line.c_str() + 5, "%u,%u", &first, &step), 1) << line;
        prog.SetNumbering(first, step);
        numbering_step = step;
        kept += line + "\n";
        continue;
      }
      // A line that carries its own number: the document numbers from there,
      // as store does.
      unsigned own = 0;
      if (std::sscanf(line.c_str(), "%u", &own) == 1) prog.SetNumbering(own, numbering_step);
      ASSERT_NE(line[0], '#') << line;
      int rc = prog.CompileLine(line.c_str(), nullptr, nullptr);
      if (rc < 0) {
        EXPECT_EQ(prog.ErrorText(), kIdeLineRefMessage) << line;
        ++refused;
        continue;
      }
      kept += line + "\n";
    }
    vtest::write_file(dir.file("kept.txt"), kept);
    std::string file = store(dir.file("kept.txt"), {});
    std::vector<uint8_t> ours = image_of(&prog);
    std::string theirs = vtest::read_file(file);
    EXPECT_TRUE(std::string(ours.begin(), ours.end()) == theirs)
        << ours.size() << " bytes against " << theirs.size() << ", first difference at "
        << std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end()).first - ours.begin();
    EXPECT_GT(refused, -1);

    vtest::RunResult listed = vtest::run("list", {file});
    ASSERT_EQ(listed.exit_code, 0) << listed.err;
    std::vector<std::string> tool_lines = lines_of(listed.out);
    YqApiIter it;
    ASSERT_TRUE(it.First(prog));
    size_t i = 0;
    ListContext plain;
    while (it.NextLine()) {
      ASSERT_LT(i, tool_lines.size());
      std::string number = std::to_string(it.LineNumber());
      const std::string& t = tool_lines[i++];
      // The program lists exactly as the tool lists its file; the
      // environment's own listing differs only by the colours and the
      // number it leaves to the editor, which also moves the padding of the
      // keyword column.
      EXPECT_EQ(list_line_ctx(&plain, it.seg, it.lp, 0), t);
      ASSERT_EQ(t.rfind(number, 0), 0u) << t;
      EXPECT_EQ(without_blanks(t.substr(number.size())), without_blanks(without_escapes(prog.ListLine(it, 5)))) << t;
    }
    EXPECT_EQ(i, tool_lines.size());
  }
}

TEST_F(Samples, StoreMadeFilesReadAndStoreBackByteIdentical) {
  std::string digest = YqApi_PasswordDigest("Secret 1");
  struct Format {
    std::vector<std::string> options;
    bool password;
  } formats[] = {
      {{"-r", "0"}, false},
      {{"-r", "1"}, false},
      {{"-r", "2"}, false},
      {{"-r", "2", "-b"}, false},
      {{"-r", "2", "-p", "Secret 1"}, true},
      {{"-r", "2", "-b", "-p", "Secret 1"}, true},
  };
  for (const std::string& name : {std::string("basics.txt"), std::string("database.txt")}) {
    for (const Format& f : formats) {
      std::string opts;
      for (const std::string& o : f.options) opts += o + " ";
      SCOPED_TRACE(name + " " + opts);
      std::string file = store(vtest::source_dir() + "/examples/programs/" + name, f.options);
      std::string bytes = vtest::read_file(file);
      YqApiProgram prog;
      ASSERT_EQ(prog.ReadHeader(bytes.data(), bytes.size()), 0);
      EXPECT_EQ(prog.IsSecured(), f.password);
      if (f.password) {
        EXPECT_EQ(prog.CheckPassword(YqApi_PasswordDigest("secret 1").c_str()), 0);
        EXPECT_EQ(prog.CheckPassword(digest.c_str()), 1);
      }
      ASSERT_EQ(prog.ReadSegments(), 0);
      std::vector<uint8_t> back = image_of(&prog);
      EXPECT_TRUE(std::string(back.begin(), back.end()) == bytes);
    }
  }
  EXPECT_TRUE(sink.boxes.empty());
}

}  // namespace
