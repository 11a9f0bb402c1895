// The program document without windows: program files open as their
// listing and save back byte for byte, compiles report every error and a
// summary, passwords are tried and asked for, text files keep their line
// ends, the auto-save copy, titles and breakpoint marks.
#include "workbench/programs/progdoc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/editor/txtsuspend.h"

namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0, nl; at < text.size(); at = nl + 1) {
    nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    out.push_back(text.substr(at, nl - at));
  }
  return out;
}

class RecordingHost : public ProgDocHost {
 public:
  void StatusText(const std::string& text) override { status.push_back(text); }
  void StatusError(const std::string& text) override { status.push_back("error: " + text); }
  void BuildClear(const std::string&) override { build.clear(); }
  void BuildAppend(const std::string& text, uint32_t ident) override {
    build.push_back(text);
    idents.push_back(ident);
  }
  void BuildShow() override { shown = true; }
  bool AskPassword(const std::string& file_name, std::string* digest, bool* remember) override {
    ++asked;
    asked_for = file_name;
    if (passwords.empty()) return false;
    *digest = YqApi_PasswordDigest(passwords.front().c_str());
    passwords.pop_front();
    *remember = remember_next;
    return true;
  }
  void RememberPassword(const std::string& digest) override { remembered.push_back(digest); }
  std::string TranslatePath(const std::string& path) override { return "target:" + path; }

  std::vector<std::string> status, build, remembered;
  std::vector<uint32_t> idents;
  std::deque<std::string> passwords;
  bool remember_next = false;
  bool shown = false;
  int asked = 0;
  std::string asked_for;
};

class ProgDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv(REG_ENV_DIRECTORY, profile.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    config.General.AutoSaveLocation = autosave.path();
    // The texts below stand as typed; the indentation test turns this on.
    config.Program.options &= ~CfgProgram::ReIndent;
  }
  void TearDown() override {
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  // Stores a source text with the store tool; the program file's path.
  std::string store(const std::string& name, const std::string& source, const std::vector<std::string>& options = {}) {
    vtest::write_file(dir.file(name + ".txt"), source);
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-o", dir.file(name), dir.file(name + ".txt")});  // store adds ".PROG"
    vtest::RunResult r = vtest::run("store", args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file(name + ".PROG");
  }

  // An edit as a user makes it: the text changes and is modified.
  template <typename F>
  static void edit(ProgDoc& doc, F change) {
    {
      TextSuspend suspend(&doc.Text());
      change();
    }
    doc.Text().ClearUndo();
    doc.Text().SetModified(true);
  }

  static std::vector<std::string> lines_of(ProgDoc& doc) {
    std::vector<std::string> out;
    for (TextLine* l = doc.Text().head; l; l = l->next) {
      std::string plain;  // without the colour switches
      for (size_t i = 0; i < l->data.size(); ++i)
        if (l->data[i] == 27)
          ++i;
        else
          plain += l->data[i];
      out.push_back(plain);
    }
    return out;
  }

  std::unique_ptr<ProgDoc> make() { return std::make_unique<ProgDoc>(&host, config); }

  vtest::TempDir profile, dir, autosave;
  CfgSettings config;
  RecordingHost host;
  RecordingSink sink;

 private:
  SysAssertHandler previous_ = nullptr;
};

const char kSource[] =
    "PRINT \"Hello\"\n"
    "FOR I=1 TO 3\n"
    "PRINT I\n"
    "NEXT I\n"
    "SUB Twice(X)\n"
    "PRINT X*2\n"
    "SUBEND\n";

TEST_F(ProgDocTest, AStoredProgramOpensAsItsListingAndSavesBackByteForByte) {
  // samples that jump to labels only (the environment refuses line references)
  const std::pair<const char*, const char*> samples[] = {{"hello", "0"}, {"hello", "1"}, {"hello", "2"}};
  for (const auto& [name, revision] : samples) {
    SCOPED_TRACE(name);
    const std::string sample = vtest::source_dir() + "/examples/programs/" + name + ".txt";
    // numbered as the environment numbers: its own control lines ("$LINE") go
    std::string source;
    for (const std::string& l : split_lines(vtest::read_file(sample)))
      if (l.rfind("$", 0) != 0) source += l + "\n";
    std::string prog = store(std::string(name) + revision, source, {"-r", revision});
    auto doc = make();
    ASSERT_TRUE(doc->Open(prog.c_str(), CfgFileMode_Auto)) << sink.boxes.size();
    EXPECT_EQ(doc->FileMode(), CfgFileMode_BinaryPROG + std::atoi(revision));
    EXPECT_FALSE(doc->IsModified());

    // the text is what `list` prints, without its line numbers (blanks
    // aside: the environment lines labels up and spaces keywords its own way)
    vtest::RunResult listed = vtest::run("list", {prog});
    std::vector<std::string> want;
    size_t at = listed.out.find_first_of("0123456789");
    for (size_t nl; at < listed.out.size(); at = nl + 1) {
      nl = listed.out.find('\n', at);
      std::string line = listed.out.substr(at, nl - at);
      want.push_back(line.substr(line.find(' ') + 1));
    }
    std::vector<std::string> got = lines_of(*doc);
    for (auto* v : {&got, &want})
      for (std::string& l : *v) std::erase(l, ' ');
    auto joined = [](const std::vector<std::string>& v) {
      std::string all;
      for (const std::string& l : v) all += l + "\n";
      return all;
    };
    EXPECT_EQ(joined(got), joined(want));

    ASSERT_TRUE(doc->Save(dir.file("copy.PROG"))) << joined(host.build);
    EXPECT_EQ(vtest::read_file(dir.file("copy.PROG")), vtest::read_file(prog));
    EXPECT_EQ(doc->PathName(), dir.file("copy.PROG"));
    EXPECT_EQ(host.status.back(), "\"" + dir.file("copy.PROG") + "\" saved.");
  }
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProgDocTest, CompileReportsEachErrorWithItsLineAndASummary) {
  auto doc = make();
  std::string prog = store("three", "PRINT 1\nLET A=2\nPRINT A\n");
  ASSERT_TRUE(doc->Open(prog.c_str(), CfgFileMode_Auto));
  TextLine* second = doc->Text().Line(1);
  edit(*doc, [&] { second->InsertNative(0, "((("); });
  EXPECT_EQ(doc->Compile(), 1);
  ASSERT_EQ(host.build.size(), 2u);
  EXPECT_EQ(host.build[0].rfind("line 2: ", 0), 0u) << host.build[0];
  EXPECT_EQ(host.idents[0], second->ident);
  EXPECT_TRUE(second->line_flags & TextLine_ERROR_MARK);
  EXPECT_EQ(host.build[1], "2 lines, 1 error, 0 warnings.");
  EXPECT_TRUE(host.shown);
  EXPECT_EQ(host.status.back(), "Compiled \"three.PROG\": 2 lines, 1 error, 0 warnings.");

  // mended, the mark goes and the save goes through; unmended, the save fails
  edit(*doc, [&] { second->RemoveBytes(0, 3); });
  host.shown = false;
  EXPECT_EQ(doc->Compile(), 0);
  EXPECT_FALSE(second->line_flags & TextLine_ERROR_MARK);
  EXPECT_EQ(host.build.back(), "3 lines, 0 errors, 0 warnings.");
  EXPECT_FALSE(host.shown);
  edit(*doc, [&] { second->InsertNative(0, "((("); });
  EXPECT_FALSE(doc->Save(prog));
  EXPECT_EQ(host.build.back(), "\nUnable to save file.");

  // an empty document
  auto empty = make();
  empty->NewDocument(CfgFileMode_BinaryPROG);
  EXPECT_EQ(empty->Compile(), 1);
  EXPECT_EQ(host.build, (std::vector<std::string>{"Error: Program is empty.", "0 lines, 1 error, 0 warnings."}));
  EXPECT_TRUE(sink.boxes.empty());
}

// With "Re-indent lines" on, a compile puts each statement on the program
// files' indent stops (the first at column IndentSize - 1, then every
// TabSize); a loaded program is laid out the same way, so compiling it
// again changes nothing. Off, the columns stay as typed.
TEST_F(ProgDocTest, IndentationFollowsTheSettingsOnLoadAndCompile) {
  const char typed[] =
      "PRINT \"Hello\"\n"
      "  FOR I=1 TO 3\n"
      "PRINT I\n"
      "NEXT I\n"
      "SUB Twice(X)\n"
      "PRINT X*2\n"
      "SUBEND\n";
  const std::string prog = store("typed", typed);
  struct Case {
    bool reindent;
    uint32_t tab, indent;
    std::vector<std::string> lines;
  } cases[] = {
      {true,
       3,
       10,
       {"         PRINT \"Hello\"", "         FOR I=1 TO 3", "            PRINT I", "         NEXT I",
        "         SUB Twice(X)", "            PRINT X*2", "         SUBEND", ""}},
      {true,
       2,
       0,
       {"PRINT \"Hello\"", "FOR I=1 TO 3", "  PRINT I", "NEXT I", "SUB Twice(X)", "  PRINT X*2", "SUBEND", ""}},
      {false,
       3,
       10,
       {"PRINT \"Hello\"", "  FOR I=1 TO 3", "PRINT I", "NEXT I", "SUB Twice(X)", "PRINT X*2", "SUBEND", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.reindent << " " << c.tab << " " << c.indent);
    config.Program.options =
        c.reindent ? (config.Program.options | CfgProgram::ReIndent) : (config.Program.options & ~CfgProgram::ReIndent);
    config.Edit.GetItem(0)->TabSize = c.tab;
    config.Edit.GetItem(0)->IndentSize = c.indent;
    // typed in a new document and compiled
    auto doc = make();
    doc->NewDocument(CfgFileMode_BinaryPROG);
    doc->SetText(typed);
    ASSERT_EQ(doc->Compile(), 0) << host.build.front();
    EXPECT_EQ(lines_of(*doc), c.lines);
    // the stored program opens laid out alike, and its compile changes nothing
    auto loaded = make();
    ASSERT_TRUE(loaded->Open(prog.c_str(), CfgFileMode_Auto));
    EXPECT_EQ(lines_of(*loaded), std::vector<std::string>(c.lines.begin(), c.lines.end() - 1));
    ASSERT_EQ(loaded->Compile(), 0);
    EXPECT_FALSE(loaded->IsModified());
  }
  EXPECT_TRUE(sink.boxes.empty());
}

// A document in ISO 8859-1 compiles its text as QX Roman-8 and shows the
// listed line in its own code page; the program is stored in Roman-8.
TEST_F(ProgDocTest, ALatin1DocumentCompilesInRoman8AndKeepsItsOwnText) {
  config.General.Codepage = 1;
  auto doc = make();
  doc->NewDocument(CfgFileMode_BinaryPROG);
  doc->SetText("PRINT \"caf\xe9\"");
  ASSERT_EQ(doc->Compile(), 0) << host.build.front();
  EXPECT_EQ(lines_of(*doc).front(), "PRINT \"caf\xe9\"");
  ASSERT_TRUE(doc->Save(dir.file("cafe.PROG")));

  config.General.Codepage = 0;
  auto again = make();
  ASSERT_TRUE(again->Open(dir.file("cafe.PROG").c_str(), CfgFileMode_Auto));
  EXPECT_EQ(again->Config().File.Codepage, 0);
  EXPECT_EQ(lines_of(*again).front(), "PRINT \"caf\xc5\"");  // e acute in Roman-8
}

TEST_F(ProgDocTest, PasswordsAreTriedFromTheListThenAskedThreeTimes) {
  std::string prog = store("secret", kSource, {"-r", "2", "-p", "opensesame"});
  const std::string digest = YqApi_PasswordDigest("opensesame");

  // two wrong, then right: two boxes, the document opens and keeps the digest
  host.passwords = {"wrong", "worse", "opensesame"};
  host.remember_next = true;
  auto doc = make();
  ASSERT_TRUE(doc->Open(prog.c_str(), CfgFileMode_Auto));
  EXPECT_EQ(host.asked, 3);
  EXPECT_EQ(host.asked_for, prog);
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].caption, "Invalid Password");
  EXPECT_EQ(sink.boxes[0].text, "The password you entered is invalid.\nPlease try again.");
  EXPECT_EQ(host.remembered, std::vector<std::string>{digest});
  EXPECT_EQ(doc->Config().File.PasswordDigest, digest);
  ASSERT_TRUE(doc->Save(dir.file("again.PROG")));
  EXPECT_EQ(vtest::read_file(dir.file("again.PROG")), vtest::read_file(prog));  // the protection stays

  // three wrong: the third refusal ends the load
  sink.boxes.clear();
  host.asked = 0;
  host.passwords = {"a", "b", "c", "opensesame"};
  doc = make();
  EXPECT_FALSE(doc->Open(prog.c_str(), CfgFileMode_Auto));
  EXPECT_EQ(host.asked, 3);
  ASSERT_EQ(sink.boxes.size(), 3u);
  EXPECT_EQ(sink.boxes[2].caption, "Password Validation Failed");
  EXPECT_EQ(sink.boxes[2].text, "The password could not be verified.");
  EXPECT_EQ(host.status.back(), "error: \"" + prog + "\" could not be opened.");

  // a stored digest opens it without asking; a cancel ends it silently
  std::string entry = Cfg_ListAppendUnique("Passwords", "shop");
  Cfg_PutString(entry.c_str(), "PswdMD5", digest.c_str());
  host.asked = 0;
  sink.boxes.clear();
  EXPECT_TRUE(make()->Open(prog.c_str(), CfgFileMode_Auto));
  EXPECT_EQ(host.asked, 0);
  Cfg_ListClear("Passwords");
  host.passwords.clear();
  EXPECT_FALSE(make()->Open(prog.c_str(), CfgFileMode_Auto));
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProgDocTest, TextFilesKeepTheirLineEnds) {
  struct Case {
    const char* bytes;
    int mode;
    const char* saved;
  };
  const Case cases[] = {
      {"a\nb\tc\n\n  \n", CfgFileMode_Text_LF, "a\nb       c\n"},  // tab to the next stop, blank tail dropped
      {"a\rb  \r", CfgFileMode_Text_CR, "a\rb\r"},                 // trailing blanks trimmed
      {"a\r\nb", CfgFileMode_Text_CRLF, "a\r\nb\r\n"},
      {"one line", CfgFileMode_Text_CRLF, "one line\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    vtest::write_file(dir.file("t.txt"), c.bytes);
    auto doc = make();
    ASSERT_TRUE(doc->Open(dir.file("t.txt").c_str(), CfgFileMode_Auto));
    EXPECT_EQ(doc->FileMode(), c.mode);
    EXPECT_EQ(doc->Text().LastLine()->data, "");  // one empty line ends the text
    ASSERT_TRUE(doc->Save(dir.file("t.txt")));
    EXPECT_EQ(vtest::read_file(dir.file("t.txt")), c.saved);
  }

  // a text saved under a .PROG name asks first; No saves nothing
  auto doc = make();
  ASSERT_TRUE(doc->Open(dir.file("t.txt").c_str(), CfgFileMode_Auto));
  sink.answer = SHELL_IDNO;
  EXPECT_FALSE(doc->Save(dir.file("t.PROG")));
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text,
            "Are you sure you want to save a text file\nwith a file name having a .PROG extension?");
  struct stat st {};
  EXPECT_NE(stat(dir.file("t.PROG").c_str(), &st), 0);
}

TEST_F(ProgDocTest, TitlesAutoSaveAndModifiedMark) {
  auto prog = make();
  prog->NewDocument(CfgFileMode_BinaryPROG);
  auto text = make();
  text->NewDocument(CfgFileMode_Text_LF);
  const int n = std::atoi(prog->Title().c_str() + 4);
  EXPECT_EQ(prog->Title(), "Prog" + std::to_string(n));
  EXPECT_EQ(text->Title(), "Text" + std::to_string(n + 1));  // one count for both kinds
  EXPECT_EQ(prog->FrameTitle(), prog->Title());
  edit(*prog, [&] { prog->Text().head->InsertNative(0, "PRINT 1"); });
  EXPECT_EQ(prog->FrameTitle(), prog->Title() + " *");
  EXPECT_EQ(prog->FrameTitle(), prog->Title() + " *");  // however often it is asked

  // the auto-save copy holds every line with CR LF and goes with the save
  edit(*text, [&] {
    text->Text().head->InsertNative(0, "first");
    new TextLine(&text->Text());
    text->Text().LastLine()->InsertNative(0, "second");
  });
  text->OnAutoSave();
  ASSERT_FALSE(text->AutoSaveName().empty());
  const std::string copy = text->AutoSaveName();
  EXPECT_EQ(copy.rfind(autosave.path() + "/NewFile.", 0), 0u) << copy;
  EXPECT_EQ(vtest::read_file(copy), "first\r\nsecond\r\n");
  ASSERT_TRUE(text->Save(dir.file("notes.txt")));
  EXPECT_EQ(vtest::read_file(dir.file("notes.txt")), "first\nsecond\n");
  struct stat st {};
  EXPECT_NE(stat(copy.c_str(), &st), 0);
  EXPECT_TRUE(text->AutoSaveName().empty());
}

TEST_F(ProgDocTest, BreakpointsAreMarkedAgainOnReopenAndVanishedLinesDropped) {
  std::string prog = store("bp", kSource);
  auto doc = make();
  ASSERT_TRUE(doc->Open(prog.c_str(), CfgFileMode_Auto));
  ASSERT_EQ(doc->Segments().size(), 2u);
  EXPECT_EQ(doc->Segments()[1].start_line, 4u);
  CfgBreakpoints stored;
  EXPECT_TRUE(doc->ToggleBreakpoint(2, &stored));  // PRINT I, main
  EXPECT_TRUE(doc->ToggleBreakpoint(5, &stored));  // PRINT X*2, the SUB
  doc->CollectBreakpoints(&stored);
  ASSERT_EQ(stored.num_items, 2);
  EXPECT_EQ(stored.head->FileName, prog);
  EXPECT_EQ(stored.head->TargetName, "target:" + prog);
  EXPECT_EQ(stored.tail->Segment, 1u);
  EXPECT_NE(stored.tail->Text.find("Twice"), std::string::npos) << stored.tail->Text;

  // a stale breakpoint of a line that is gone leaves the list on reopen
  new CfgBreakpoint(&stored, prog.c_str(), 0, 999);
  auto again = make();
  ASSERT_TRUE(again->Open(prog.c_str(), CfgFileMode_Auto));
  again->MarkBreakpoints(&stored);
  EXPECT_EQ(stored.num_items, 2);
  std::vector<uint32_t> marked;
  uint32_t idx = 0;
  for (TextLine* l = again->Text().head; l; l = l->next, ++idx)
    if (l->line_flags & TextLine_BREAKPOINT) marked.push_back(idx);
  EXPECT_EQ(marked, (std::vector<uint32_t>{2, 5}));
  EXPECT_FALSE(again->CanToggleBreakpoint(99));
  auto text = make();
  text->NewDocument(CfgFileMode_Text_LF);
  EXPECT_FALSE(text->ToggleBreakpoint(0, &stored));
}

// Run to Cursor's place for every kind of line: a stored line is its own
// place; a line typed since runs to the next stored line of its segment;
// between two segments and behind the last line there is none.
TEST_F(ProgDocTest, RunToCursorFindsAStoredPlaceForLinesTypedSince) {
  std::string prog = store("run", kSource);
  auto doc = make();
  ASSERT_TRUE(doc->Open(prog.c_str(), CfgFileMode_Auto));
  edit(*doc, [&] {
    TextObj& t = doc->Text();
    new TextLine(t.Line(6), TextLine_AFTER);   // behind SUBEND
    new TextLine(t.Line(3), TextLine_AFTER);   // between NEXT I and the SUB
    new TextLine(t.Line(0), TextLine_AFTER);   // inside the main program
    new TextLine(t.Line(0), TextLine_BEFORE);  // before everything
  });
  // 0 new, 1 PRINT "Hello", 2 new, 3 FOR, 4 PRINT I, 5 NEXT I, 6 new,
  // 7 SUB Twice(X), 8 PRINT X*2, 9 SUBEND, 10 new
  struct Case {
    uint32_t line;
    int place;  // the index of the line it runs to; -1: none
  } cases[] = {{0, 1}, {1, 1}, {2, 3}, {4, 4}, {6, -1}, {8, 8}, {10, -1}, {99, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TextLine* place = doc->RunToLine(c.line);
    EXPECT_EQ(place, c.place < 0 ? nullptr : doc->Text().Line(static_cast<uint32_t>(c.place)));
  }
  // A line marked for Run to Cursor alone gives a temporary breakpoint,
  // which is neither stored nor marked again on a line.
  CfgBreakpoints stored;
  doc->RunToLine(2)->line_flags |= TextLine_RUN_TO;
  doc->CollectBreakpoints(&stored);
  ASSERT_EQ(stored.num_items, 1);
  EXPECT_TRUE(stored.head->temporary);
  EXPECT_EQ(stored.head->Line, 2u);
  doc->MarkBreakpoints(&stored);
  EXPECT_FALSE(doc->Text().Line(3)->line_flags & TextLine_BREAKPOINT);
  auto text = make();
  text->NewDocument(CfgFileMode_Text_LF);
  EXPECT_EQ(text->RunToLine(0), nullptr);
}

TEST_F(ProgDocTest, AnEditedLineIsCheckedAloneAndTheInformationFollowsTheState) {
  auto doc = make();
  doc->NewDocument(CfgFileMode_BinaryPROG);
  edit(*doc, [&] { doc->Text().head->InsertNative(0, "PRINT   1 + 2"); });
  ASSERT_TRUE(doc->CheckLine(0)) << host.status.back();
  EXPECT_EQ(lines_of(*doc)[0], "PRINT 1+2");  // its listed form
  uint32_t line = 0, col = 0;
  doc->Text().Undo(&line, &col);  // one undoable change
  EXPECT_EQ(doc->Text().head->data, "PRINT   1 + 2");
  edit(*doc, [&] { doc->Text().head->InsertNative(0, "((("); });
  EXPECT_FALSE(doc->CheckLine(0));
  EXPECT_EQ(host.status.back().rfind("error: line 1: ", 0), 0u) << host.status.back();
  EXPECT_TRUE(doc->Text().head->line_flags & TextLine_ERROR_MARK);
  doc->Config().Program.options &= ~CfgProgram::SyntaxCheck;
  EXPECT_TRUE(doc->CheckLine(0));  // the check is off

  // the document information: new, modified, saved
  auto text = make();
  text->NewDocument(CfgFileMode_Text_LF);
  text->FillFileRecord();
  EXPECT_EQ(text->Config().File.FileName, "(New File)");
  EXPECT_EQ(text->Config().File.FileSize, "0 Bytes (1 Lines)");
  EXPECT_EQ(text->Config().File.FileStatus, "Initial");
  edit(*text, [&] { text->Text().head->InsertNative(0, "hello"); });
  text->FillFileRecord();
  EXPECT_EQ(text->Config().File.FileStatus, "Modified");
  EXPECT_EQ(text->Config().File.FileSize, "5 Bytes (1 Lines)");
  text->OnAutoSave();
  text->FillFileRecord();
  EXPECT_EQ(text->Config().File.FileStatus.rfind("Modified, Auto-Saved: 20", 0), 0u) << text->Config().File.FileStatus;
  ASSERT_TRUE(text->Save(dir.file("info.txt")));
  text->FillFileRecord();
  EXPECT_EQ(text->Config().File.FileName, dir.file("info.txt"));
  EXPECT_EQ(text->Config().File.FileStatus.rfind("Saved: 20", 0), 0u) << text->Config().File.FileStatus;
}

// Return on a line that lists differently: the check relists the line
// while the key's action is open, and the split that follows still belongs
// to that action, so one undo takes back both.
TEST_F(ProgDocTest, ALineRelistedInsideAKeysActionLeavesTheActionOpen) {
  auto doc = make();
  doc->NewDocument(CfgFileMode_BinaryPROG);
  edit(*doc, [&] { doc->Text().head->InsertNative(0, "PRINT   2"); });
  TextObj& text = doc->Text();
  ASSERT_TRUE(text.BeginAction(0, 9));
  ASSERT_TRUE(doc->CheckLine(0)) << host.status.back();
  EXPECT_EQ(lines_of(*doc)[0], "PRINT 2");
  EXPECT_TRUE(text.undo.TestFlag(TextStack_IN_ACTION));
  new TextLine(text.head, TextLine_AFTER);  // records itself in the open action
  text.EndAction();
  ASSERT_EQ(text.num_lines, 2u);
  uint32_t line = 0, col = 0;
  text.Undo(&line, &col);
  EXPECT_EQ(lines_of(*doc), (std::vector<std::string>{"PRINT   2"}));
}

// A line the check relisted begins with a colour switch; the compile lists
// it again in the program's columns, switches and all.
TEST_F(ProgDocTest, ACheckedLineThatBeginsWithAColourSwitchCompiles) {
  auto doc = make();
  doc->NewDocument(CfgFileMode_BinaryPROG);
  edit(*doc, [&] { doc->Text().head->InsertNative(0, "PRINT   2"); });
  ASSERT_TRUE(doc->CheckLine(0)) << host.status.back();
  ASSERT_EQ(doc->Text().head->data.at(0), '\x1b');
  EXPECT_EQ(doc->Compile(), 0);
  const std::string shown = lines_of(*doc).at(0);
  EXPECT_EQ(shown.substr(shown.find_first_not_of(' ')), "PRINT 2");
  EXPECT_EQ(doc->Text().head->data.find("\x1b\x1b"), std::string::npos);  // no switch left behind
}

}  // namespace
