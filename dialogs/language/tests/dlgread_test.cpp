// The dialog language reader: statements as a user sees them, designer-only
// lines, includes and every error with its line.
#include "dialogs/language/dlgread.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const DlgMessages kMessages = {
    "Not inside object",
    "Extra '}'",
    "Object name expected: unexpected token 0x%02x",
    "Missing '}', level = %d",
    "Identifier expected: unexpected token 0x%02x",
    "Nesting to deep, MAX_DEPTH is %d",
    "'{' Expected",
    "Attribute expected",
    "Attribute index expected",
    "']' Expected",
    "'=' Expected",
    "Attribute value expected",
    "define: attribute value expected",
    "include: File name expected",
    "Include: File nesting too deep",
    "Missing quote",
    "%s: Number does not fit 32 bits",
    "Line longer than %zu characters",
    "Out of memory",
};

std::string show(const DlgValue& v) {
  return v.kind == DLG_VALUE_TEXT ? "\"" + v.text + "\"" : std::to_string(v.number);
}

// Records every call as one line and serves include files from a map.
class Recorder : public DlgReaderUser {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, DlgValue> defines;
  std::vector<std::string> calls;
  std::vector<std::string> texts;
  std::string fail_object;  // an object path whose creation fails with 7

  int object(const DlgObject& o, std::string& message) override {
    calls.push_back("object " + o.path + " " + o.cls + " depth " + std::to_string(o.depth) +
                    (o.designer_only ? " ide" : ""));
    if (o.path == fail_object) {
      message = "refused";
      return 7;
    }
    return 0;
  }
  int attribute(const DlgAttribute& a, std::string&) override {
    calls.push_back("attr " + a.object->path + " ." + a.name +
                    (a.has_index ? "[" + std::to_string(a.index) + "]" : "") + " = " + show(a.value) +
                    (a.designer_only ? " ide" : ""));
    return 0;
  }
  int define(const std::string& name, const DlgValue& value, std::string&) override {
    calls.push_back("define " + name + " = " + show(value));
    defines[name] = value;
    return 0;
  }
  int lookup(const std::string& name, DlgValue& value, std::string& message) override {
    auto it = defines.find(name);
    if (it == defines.end()) {
      message = name + ": Attribute value not defined";
      return DLG_ERR_SYNTAX;
    }
    value = it->second;
    return 0;
  }
  int include_open(const std::string& name, bool optional, const DlgSource& from, DlgSource& source,
                   std::string& message) override {
    calls.push_back("include " + name + (optional ? " optional" : "") + " from " + from.name);
    auto it = files.find(name);
    if (it == files.end()) {
      if (optional) return 1;
      message = name + ": Unable to open include file";
      return DLG_ERR_OPEN;
    }
    source.name = name;
    source.text = it->second;
    return 0;
  }
  int object_end(const DlgObject& o, std::string&) override {
    calls.push_back("end " + o.path);
    return 0;
  }
  int text_line(DlgTextKind kind, const std::string& line, int level, std::string& message) override {
    static const char* const kinds[] = {"blank", "comment", "include", "trailing", "define"};
    texts.push_back(std::string(kinds[kind]) + " " + std::to_string(level) + " [" + line + "]");
    if (line == fail_text) {
      message = "no room";
      return 9;
    }
    return 0;
  }
  std::string fail_text = "\x01";  // a text line whose keeping fails
};

DlgReadResult read(Recorder& user, const std::string& text, DlgIdeLines ide = DLG_IDE_AS_COMMENT,
                   bool keep_source = false) {
  DlgReadOptions options;
  options.messages = &kMessages;
  options.ide_lines = ide;
  options.keep_source = keep_source;
  options.max_line = 200;
  DlgReadResult result;
  dlg_read(user, options, DlgSource{"main.dlg", text}, &result);
  return result;
}

TEST(DlgRead, StatementsReachTheUserInOrder) {
  Recorder r;
  r.files["common.dlg"] = "BORDER = 2\n";
  DlgReadResult result = read(r,
                              "# a dialog\n"
                              "\n"
                              "include \"common.dlg\"\n"
                              "WIDTH = 0x10\n"
                              "LIKE = WIDTH   # a define of a define\n"
                              "Dialog main {\n"
                              "  .width = WIDTH\n"
                              "  .title = \"a#b\"  # the # inside the string stays\n"
                              "  .mode = 010\n"
                              "  .items[2] = -5\n"
                              "  .font.size = BORDER\n"
                              "  Button main.ok { .x = LIKE }\n"
                              "}\n");
  ASSERT_EQ(result.code, DLG_OK) << result.message;
  std::vector<std::string> expected = {
      "include common.dlg from main.dlg",
      "define BORDER = 2",
      "define WIDTH = 16",
      "define LIKE = 16",
      "object main Dialog depth 1",
      "attr main .width = 16",
      "attr main .title = \"a#b\"",
      "attr main .mode = 8",
      "attr main .items[2] = -5",
      "attr main .font.size = 2",
      "object main.main.ok Button depth 2",
      "attr main.main.ok .x = 16",
      "end main.main.ok",
      "end main",
  };
  EXPECT_EQ(r.calls, expected);
  std::vector<std::string> texts = {"comment 0 [# a dialog]", "blank 0 []", "include 0 [include \"common.dlg\"]"};
  EXPECT_EQ(r.texts, texts);
}

// What a writer needs to give the file back: trailing comments from the end
// of the last token, defines as written, and plain include lines whose
// comment comes before the included file.
TEST(DlgRead, KeptSourceTextsForAWriter) {
  Recorder r;
  r.files["common.dlg"] = "# inside\nBORDER = 2 # inside too\n";
  DlgReadResult result = read(r,
                              "  include \"?common.dlg\"   # shared\n"
                              "include \"?none.dlg\" # skipped\n"
                              "W = 0x10    # hex\n"
                              "T = \"a#b\"\n"
                              "L = W\n"
                              "Dialog d {  # opening\n"
                              "  #__IDE__# .x = L # designer\n"
                              "} # closing\n",
                              DLG_IDE_AS_CONTENT, true);
  ASSERT_EQ(result.code, DLG_OK) << result.message;
  std::vector<std::string> texts = {"include 0 [include \"?common.dlg\"]",
                                    "trailing 0 [   # shared]",
                                    "comment 1 [# inside]",
                                    "define 1 [BORDER = 2]",
                                    "trailing 1 [ # inside too]",
                                    "include 0 [include \"?none.dlg\"]",
                                    "trailing 0 [ # skipped]",
                                    "define 0 [W = 0x10]",
                                    "trailing 0 [    # hex]",
                                    "define 0 [T = \"a#b\"]",
                                    "define 0 [L = W]",
                                    "trailing 0 [  # opening]",
                                    "trailing 0 [ # designer]",
                                    "trailing 0 [ # closing]"};
  EXPECT_EQ(r.texts, texts);
  EXPECT_EQ(r.calls.back(), "end d");

  Recorder failing;
  failing.fail_text = "W = 1";
  result = read(failing, "\nW = 1\n", DLG_IDE_AS_COMMENT, true);
  EXPECT_EQ(result.code, 9);
  EXPECT_EQ(result.message, "no room");
  EXPECT_EQ(result.line, 2);
}

TEST(DlgRead, DesignerOnlyLinesAreContentOrComment) {
  const std::string text =
      "Dialog d {\n"
      "  #__IDE__# .x = 1\n"
      "  #__IDE__# \n"
      "  .y = 2\n"
      "}\n";
  Recorder plug;
  ASSERT_EQ(read(plug, text, DLG_IDE_AS_CONTENT).code, DLG_OK);
  EXPECT_EQ(plug.calls,
            (std::vector<std::string>{"object d Dialog depth 1", "attr d .x = 1 ide", "attr d .y = 2", "end d"}));
  Recorder tool;
  ASSERT_EQ(read(tool, text, DLG_IDE_AS_COMMENT).code, DLG_OK);
  EXPECT_EQ(tool.calls, (std::vector<std::string>{"object d Dialog depth 1", "attr d .y = 2", "end d"}));
  EXPECT_EQ(tool.texts, (std::vector<std::string>{"comment 0 [  #__IDE__# .x = 1]", "comment 0 [  #__IDE__# ]"}));
}

TEST(DlgRead, IncludesNestTwoLevelsAndOptionalFilesAreSkipped) {
  Recorder r;
  r.files["one.dlg"] = "include \"two.dlg\"\nA = 1\n";
  r.files["two.dlg"] = "B = 2\n";
  // The rest of an include line is read after the included file.
  DlgReadResult result = read(r, "include \"?missing.dlg\"\ninclude \"one.dlg\" C = B\n");
  ASSERT_EQ(result.code, DLG_OK) << result.message;
  EXPECT_EQ(r.calls,
            (std::vector<std::string>{"include missing.dlg optional from main.dlg", "include one.dlg from main.dlg",
                                      "include two.dlg from one.dlg", "define B = 2", "define A = 1", "define C = 2"}));

  Recorder deep;
  deep.files["one.dlg"] = "include \"two.dlg\"\n";
  deep.files["two.dlg"] = "\n\ninclude \"three.dlg\"\n";
  deep.files["three.dlg"] = "X = 1\n";
  result = read(deep, "include \"one.dlg\"\n");
  EXPECT_EQ(result.code, DLG_ERR_DEPTH);
  EXPECT_EQ(result.message, "Include: File nesting too deep");
  EXPECT_EQ(result.file, "two.dlg");
  EXPECT_EQ(result.line, 3);
}

struct ErrorCase {
  const char* text;
  int code;
  int line;
  const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.message; }

class DlgReadErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(DlgReadErrors, EndTheReadAtTheirLine) {
  const ErrorCase& c = GetParam();
  Recorder r;
  DlgReadResult result = read(r, c.text);
  EXPECT_EQ(result.code, c.code);
  EXPECT_EQ(result.line, c.line);
  EXPECT_EQ(result.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DlgReadErrors,
    ::testing::Values(ErrorCase{"\n.x = 1\n", 3, 2, "Not inside object"}, ErrorCase{"}\n", 3, 1, "Extra '}'"},
                      ErrorCase{"Dialog {\n", 3, 1, "Object name expected: unexpected token 0x7b"},
                      ErrorCase{"Dialog d {\n Button b {\n", 3, 2, "Missing '}', level = 2"},
                      ErrorCase{"\"text\"\n", 3, 1, "Identifier expected: unexpected token 0x22"},
                      ErrorCase{"= 1\n", 3, 1, "Identifier expected: unexpected token 0x3d"},
                      ErrorCase{"A a { B b { C c { D d { E e { F f { G g { H h { I i {\n", 4, 1,
                                "Nesting to deep, MAX_DEPTH is 8"},
                      ErrorCase{"Dialog d\n.x = 1\n", 3, 2, "'{' Expected"},
                      ErrorCase{"Dialog d {\n . = 1\n}\n", 3, 2, "Attribute expected"},
                      ErrorCase{"Dialog d {\n .a[x] = 1\n}\n", 3, 2, "Attribute index expected"},
                      ErrorCase{"Dialog d {\n .a[1 = 1\n}\n", 3, 2, "']' Expected"},
                      ErrorCase{"Dialog d {\n .a 1\n}\n", 3, 2, "'=' Expected"},
                      ErrorCase{"Dialog d {\n .a = {\n}\n", 3, 2, "Attribute value expected"},
                      ErrorCase{"Dialog d {\n .a = UNKNOWN\n}\n", 3, 2, "UNKNOWN: Attribute value not defined"},
                      ErrorCase{"A = }\n", 3, 1, "define: attribute value expected"},
                      ErrorCase{"include missing\n", 3, 1, "include: File name expected"},
                      ErrorCase{"include \"nowhere.dlg\"\n", 2, 1, "nowhere.dlg: Unable to open include file"},
                      ErrorCase{"Dialog d {\n .t = \"open\n}\n", 3, 2, "Missing quote"},
                      ErrorCase{"A = 2147483648\n", 3, 1, "2147483648: Number does not fit 32 bits"},
                      ErrorCase{"A = 0x100000000\n", 3, 1, "0x100000000: Number does not fit 32 bits"},
                      ErrorCase{"A = -\n", 3, 1, "define: attribute value expected"}));

TEST(DlgRead, NumberLimitsAreKept) {
  Recorder r;
  ASSERT_EQ(read(r, "A = 2147483647\nB = -2147483648\nC = 0x7fffffff\n").code, DLG_OK);
  EXPECT_EQ(r.calls,
            (std::vector<std::string>{"define A = 2147483647", "define B = -2147483648", "define C = 2147483647"}));
}

TEST(DlgRead, ALongLineIsAnErrorAtItsLine) {
  Recorder r;
  DlgReadResult result = read(r, "A = 1\n# " + std::string(300, 'x') + "\nB = 2\n");
  EXPECT_EQ(result.code, DLG_ERR_SYNTAX);
  EXPECT_EQ(result.line, 2);
  EXPECT_EQ(result.message, "Line longer than 200 characters");
}

TEST(DlgRead, AFailedObjectIsNotClosedLater) {
  Recorder r;
  r.fail_object = "d.fails";
  DlgReadResult result = read(r, "Dialog d {\n  Button fails {\n  }\n}\n");
  EXPECT_EQ(result.code, 7);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"object d Dialog depth 1", "object d.fails Button depth 2"}));
}

TEST(DlgRead, CarriageReturnsAndAMissingLastLineEndAreRead) {
  Recorder r;
  ASSERT_EQ(read(r, "Dialog d {\r\n.t = \"x\"\r\n}").code, DLG_OK);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"object d Dialog depth 1", "attr d .t = \"x\"", "end d"}));
}

}  // namespace
