// The file access layer on local files: lines and their separators, saving
// with each separator, the read and save failures with their captions, and
// local listings.
#include "workbench/programs/dirutil.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "testsupport.h"
#include "workbench/server/cuserexception.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class DirUtil : public ::testing::Test {
 protected:
  std::string box(size_t i) const {
    return i < sink.boxes.size() ? sink.boxes[i].caption + ": " + sink.boxes[i].text : std::string("(none)");
  }
  // Every line of a file and the separator kind it recorded.
  std::vector<std::string> lines_of(const std::string& bytes, int* kind) {
    vtest::write_file(tmp.file("lines"), bytes);
    std::unique_ptr<FileBuffer> f = DirUtil_OpenFile(tmp.file("lines").c_str());
    EXPECT_NE(f, nullptr) << box(0);
    std::vector<std::string> out;
    if (!f) return out;
    uint32_t n = 0;
    while (const char* line = f->GetLine(&n)) {
      EXPECT_EQ(std::strlen(line), n);
      out.emplace_back(line, n);
    }
    *kind = f->Separator();
    return out;
  }

  RecordingSink sink;
  vtest::TempDir tmp;
};

TEST_F(DirUtil, LinesEndAtEachSeparatorAndTheFirstSetsTheKind) {
  using Lines = std::vector<std::string>;
  struct Case {
    std::string bytes;
    Lines lines;
    int kind;
  };
  const Case cases[] = {
      {std::string("a\0b\0\nc", 6), {"a", "b", "c"}, DIRSEP_NUL},  // a NUL's LF belongs to it
      {"a\rb\r", {"a", "b"}, DIRSEP_CR},
      {"a\nb\n\nc", {"a", "b", "", "c"}, DIRSEP_LF},
      {"a\r\nb\r\n", {"a", "b"}, DIRSEP_CRLF},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, DIRSEP_CRLF},  // only the first sets the kind
      {"no end", {"no end"}, DIRSEP_NONE},
      {"", {}, DIRSEP_NONE},
      {"\r\r\n", {"", ""}, DIRSEP_CR},
  };
  for (const Case& c : cases) {
    int kind = -1;
    EXPECT_EQ(lines_of(c.bytes, &kind), c.lines) << c.bytes;
    EXPECT_EQ(kind, c.kind) << c.bytes;
  }
  EXPECT_TRUE(sink.boxes.empty()) << box(0);
}

TEST_F(DirUtil, WriteLineEndsEachLineWithTheKindsSeparatorAndReadsBack) {
  const std::pair<int, const char*> cases[] = {
      {DIRSEP_NONE, "one\ntwo\n\n"}, {DIRSEP_NUL, "one\ntwo\n\n"},        {DIRSEP_CR, "one\rtwo\r\r"},
      {DIRSEP_LF, "one\ntwo\n\n"},   {DIRSEP_CRLF, "one\r\ntwo\r\n\r\n"},
  };
  std::string target = tmp.file("out.txt");
  for (const auto& [kind, want] : cases) {
    std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave(target.c_str());
    ASSERT_NE(save, nullptr);
    save->separator = kind;
    save->WriteLine("one", 3);
    save->WriteLine("two and more", 3);
    save->WriteLine("", 0);
    save->Commit();
    EXPECT_EQ(vtest::read_file(target), want) << kind;
  }
  // a block written in place, beside text
  std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave(target.c_str());
  save->PutString("head:");
  std::memcpy(save->WriteBlock(3), "\0\1\2", 3);
  save->Commit();
  EXPECT_EQ(vtest::read_file(target), std::string("head:\0\1\2", 8));
}

TEST_F(DirUtil, ReadFailuresNameTheirStep) {
  std::string missing = tmp.file("missing");
  EXPECT_EQ(DirUtil_OpenFile(missing.c_str()), nullptr);
  EXPECT_EQ(box(0), "Open File [1]: File \"" + missing + "\" could not be opened:\nNo such file or directory");

  std::string fifo = tmp.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(DirUtil_OpenFile(fifo.c_str()), nullptr);  // never blocks on the pipe
  EXPECT_EQ(box(1), "Open File [2]: File \"" + fifo + "\" could not be opened:\nNot a regular file.");

  EXPECT_EQ(DirUtil_OpenFile(tmp.path().c_str()), nullptr);
  EXPECT_EQ(box(2), "Open File [2]: File \"" + tmp.path() + "\" could not be opened:\nIs a directory");

  std::string shrinking = tmp.file("shrinking");
  vtest::write_file(shrinking, "0123456789");
  DirUtil_SetReadHook([](const char* path) { ASSERT_EQ(truncate(path, 4), 0); });
  EXPECT_EQ(DirUtil_OpenFile(shrinking.c_str()), nullptr);
  DirUtil_SetReadHook(nullptr);
  EXPECT_EQ(box(3), "Open File [3]: File \"" + shrinking + "\" could not be opened:\nFile seems to be corrupt.");
  EXPECT_EQ(sink.boxes.size(), 4u);
}

TEST_F(DirUtil, SaveFailuresLeaveTheOldFile) {
  std::string target = tmp.file("kept.txt");
  vtest::write_file(target, "old contents\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);

  // a write cut by the file-size limit: "[2]", and the old file stays whole
  std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave(target.c_str());
  save->PutString(std::string(4096, 'x').c_str());
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  struct sigaction ignore {
  }, old_action{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old_action);
  struct rlimit small = old_limit;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(save->Commit(), CUserException);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  sigaction(SIGXFSZ, &old_action, nullptr);
  EXPECT_EQ(box(0), "Save File [2]: File \"" + target +
                        "\" could not be saved:\nThere is probably not enough disc space left.");
  EXPECT_EQ(vtest::read_file(target), "old contents\n");

  // a folder that does not exist: "[1]", nothing left behind
  std::string missing = tmp.file("none/out.txt");
  save = DirUtil_BeginSave(missing.c_str());
  save->PutString("x");
  EXPECT_THROW(save->Commit(), CUserException);
  EXPECT_EQ(box(1), "Save File [1]: File \"" + missing + "\" could not be saved:\nNo such file or directory");

  // a good save keeps the file's permissions; a new file honours the umask
  save = DirUtil_BeginSave(target.c_str());
  save->PutString("new");
  save->Commit();
  EXPECT_EQ(vtest::read_file(target), "new");
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  mode_t mask = umask(027);
  save = DirUtil_BeginSave(tmp.file("fresh").c_str());
  save->Commit();
  umask(mask);
  ASSERT_EQ(stat(tmp.file("fresh").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::vector<std::string> left;
  for (auto list = DirList_Open(tmp.path().c_str(), "", DIRLIST_ALL, 0); auto e = list->Next();)
    left.push_back(e->name);
  EXPECT_EQ(left, (std::vector<std::string>{"fresh", "kept.txt"}));  // no temporary files
}

TEST_F(DirUtil, LocalListingByMode) {
  mkdir(tmp.file("sub").c_str(), 0755);
  mkdir(tmp.file("sub/inner").c_str(), 0755);
  mkdir(tmp.file("leaf").c_str(), 0700);
  mkdir(tmp.file(".hidden").c_str(), 0755);
  vtest::write_file(tmp.file("b.PROG"), "12345");
  vtest::write_file(tmp.file("a.txt"), "1");
  vtest::write_file(tmp.file(".dot"), "1");
  ASSERT_EQ(symlink("b.PROG", tmp.file("link.PROG").c_str()), 0);
  ASSERT_EQ(mkfifo(tmp.file("pipe").c_str(), 0600), 0);
  ASSERT_EQ(chmod(tmp.file("a.txt").c_str(), 0600), 0);

  auto list = [&](const char* pattern, int mode) {
    std::vector<std::string> out;
    std::unique_ptr<DirList> l = DirList_Open(tmp.path().c_str(), pattern, mode, 0);
    while (std::unique_ptr<DirEntry> e = l->Next()) {
      char text[64];
      std::snprintf(text, sizeof text, " %u %x", e->size, e->mode);
      out.push_back(e->name + text);
      EXPECT_FALSE(e->IsPseudo());
      EXPECT_EQ(e->GetTarget(), nullptr);
    }
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(list("", DIRLIST_ALL),
            (V{"a.txt 1 8180", "b.PROG 5 81a4", "leaf 0 41c0", "link.PROG 5 81a4", "sub 0 10041ed"}));
  EXPECT_EQ(list("", DIRLIST_FILES), (V{"a.txt 1 8180", "b.PROG 5 81a4", "link.PROG 5 81a4"}));
  EXPECT_EQ(list("", DIRLIST_FOLDERS), (V{"leaf 0 41c0", "sub 0 10041ed"}));
  EXPECT_EQ(list("", DIRLIST_ONE_FOLDER), (V{"leaf 0 41c0"}));
  EXPECT_EQ(list("*.PROG", DIRLIST_ALL), (V{"b.PROG 5 81a4", "link.PROG 5 81a4"}));
  EXPECT_EQ(list("", 7), list("", DIRLIST_ALL));  // any other mode lists everything

  EXPECT_TRUE(DirUtil_FileExists(tmp.file("b.PROG").c_str()));
  EXPECT_FALSE(DirUtil_FileExists(tmp.file("B.PROG").c_str()));  // names differ by case
  EXPECT_FALSE(DirUtil_FileExists(tmp.file("sub").c_str()));     // a folder is no file
  EXPECT_FALSE(DirUtil_FileExists(tmp.file("pipe").c_str()));
  std::string exact = tmp.file("B.prog");
  DirUtil_ExactName(exact);
  EXPECT_EQ(exact, tmp.file("B.prog"));

  // an unreadable folder is reported; a missing one is just empty
  EXPECT_EQ(DirList_Open(tmp.file("gone").c_str(), "", DIRLIST_ALL, 0)->Next(), nullptr);
  EXPECT_TRUE(sink.boxes.empty());
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(tmp.file("leaf").c_str(), 0), 0);
    EXPECT_EQ(DirList_Open(tmp.file("leaf").c_str(), "", DIRLIST_ALL, 0)->Next(), nullptr);
    EXPECT_EQ(box(0), tmp.file("leaf") + ": " + tmp.file("leaf") + " is not accessible:\nPermission denied");
    chmod(tmp.file("leaf").c_str(), 0700);
  }
}

TEST(DirEntryNamed, IsAPseudoEntryOfNameAlone) {
  DirEntry_Named e("Servers");
  EXPECT_TRUE(e.IsPseudo());
  EXPECT_EQ(e.name, "Servers");
  EXPECT_EQ(e.size | e.time | e.mode, 0u);
}

}  // namespace
