// The file access layer for local paths: the normal form and the path
// helpers, reading whole files and saving whole files.
#include "workbench/programs/dirutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "testsupport.h"
#include "workbench/base/shellsink.h"

namespace {

class BoxSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    boxes.push_back(std::string(caption) + ": " + text);
    return SHELL_IDOK;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int) override {}
  std::vector<std::string> boxes;
};

class DirUtil : public ::testing::Test {
 protected:
  void SetUp() override { Shell_SetSink(&sink); }
  void TearDown() override { Shell_SetSink(nullptr); }
  BoxSink sink;
  vtest::TempDir tmp;
};

TEST_F(DirUtil, NormalForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"c:", "C:/"},
      {"c:dir\\x\\", "C:/dir/x"},
      {"//srv/share", "\\\\srv/share"},
      {"\\\\srv\\share\\", "\\\\srv/share"},
      {"/a/b/", "/a/b"},
      {"/", "/"},
      {"ab/", "ab/"},
      {"a\\b", "a/b"},
      {"host://x/y/", "host://x/y"},
  };
  for (const auto& [in, want] : cases) {
    std::string p = in;
    DirUtil_NormalizePath(p);
    EXPECT_EQ(p, want) << in;
  }
}

TEST_F(DirUtil, PathHelpers) {
  EXPECT_TRUE(DirUtil_IsAbsolute("/x"));
  EXPECT_TRUE(DirUtil_IsAbsolute("C:x"));
  EXPECT_TRUE(DirUtil_IsAbsolute("\\\\srv/x"));
  EXPECT_TRUE(DirUtil_IsAbsolute("host://x"));
  EXPECT_FALSE(DirUtil_IsAbsolute("sub/x.dlg"));
  EXPECT_FALSE(DirUtil_IsAbsolute(""));
  std::string d = "/a/b/";
  DirUtil_AppendPath(d, "/c");
  EXPECT_EQ(d, "/a/b/c");
  EXPECT_EQ(DirUtil_Directory("/a/b/main.dlg"), "/a/b");
  EXPECT_EQ(DirUtil_Directory("main.dlg"), "");
  EXPECT_TRUE(DirUtil_SamePath("/a/x", "/a/x"));
  EXPECT_FALSE(DirUtil_SamePath("/a/x", "/a/X"));
  vtest::write_file(tmp.file("Mixed.Dlg"), "x");
  std::string exact = tmp.file("mixed.dlg");
  DirUtil_ExactName(exact);
  EXPECT_EQ(exact, tmp.file("Mixed.Dlg"));
  EXPECT_TRUE(DirUtil_FileExists(tmp.file("Mixed.Dlg").c_str()));
  EXPECT_FALSE(DirUtil_FileExists(tmp.path().c_str()));  // a folder is no file
  EXPECT_FALSE(DirUtil_FileExists("host://x"));
}

TEST_F(DirUtil, ReadingAWholeFile) {
  vtest::write_file(tmp.file("f"), std::string("a\0b\n", 4));
  std::unique_ptr<FileBuffer> f = DirUtil_OpenFile(tmp.file("f").c_str());
  ASSERT_NE(f, nullptr);
  const char* data = nullptr;
  size_t size = 0;
  f->GetData(&data, &size);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(std::string(data, size), std::string("a\0b\n", 4));
  EXPECT_EQ(data[4], '\0');
  EXPECT_TRUE(sink.boxes.empty());
  EXPECT_EQ(DirUtil_OpenFile(tmp.file("missing").c_str()), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0],
            "Open File [1]: File \"" + tmp.file("missing") + "\" could not be opened:\nNo such file or directory");
  EXPECT_EQ(DirUtil_OpenFile(tmp.path().c_str()), nullptr);
  EXPECT_EQ(DirUtil_OpenFile("host://x/y").get(), nullptr);
}

TEST_F(DirUtil, SavingReplacesTheFileOnlyWhenAllIsWritten) {
  std::string target = tmp.file("out.txt");
  vtest::write_file(target, "old\n");
  std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave(target.c_str());
  ASSERT_NE(save, nullptr);
  save->PutString("new ");
  save->PutString("text\n");
  EXPECT_EQ(vtest::read_file(target), "old\n");  // nothing written before the commit
  EXPECT_TRUE(save->Commit());
  EXPECT_EQ(vtest::read_file(target), "new text\n");
  // a folder that does not exist: a message, and nothing is left behind
  std::string missing = tmp.file("none/out.txt");
  save = DirUtil_BeginSave(missing.c_str());
  ASSERT_NE(save, nullptr);
  save->PutString("x");
  EXPECT_FALSE(save->Commit());
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].rfind("Save File [1]: File \"" + missing + "\" could not be saved:\n", 0), 0u);
  EXPECT_EQ(DirUtil_BeginSave(""), nullptr);
  EXPECT_EQ(DirUtil_BeginSave("host://x"), nullptr);
}

TEST(DirUtilShorten, KeepsTheFirstComponentAndAsMuchOfTheEndAsFits) {
  // One pixel per character.
  auto measure = [](const std::string& text) { return static_cast<int>(text.size()); };
  struct Case {
    const char* path;
    int width;
    const char* shown;
  };
  const Case cases[] = {
      {"/home/ann/projects/shop/orders.PROG", 100, "/home/ann/projects/shop/orders.PROG"},  // fits
      {"/home/ann/projects/shop/orders.PROG", 31, "/home/ann/projects/shop/orders.PROG"},   // too narrow to try
      {"/home/ann/projects/shop/orders.PROG", 34, "/home.../projects/shop/orders.PROG"},
      {"/home/ann/projects/shop/orders.PROG", 32, "/home.../shop/orders.PROG"},
      {"/home/ann/projects/shop/averyveryverylongname.PROG", 32, "/home.../averyveryverylongname.PROG"},
      {"//server/share/deeper/still/file.PROG", 32, "//server.../still/file.PROG"},
      {"relative/a/b/c/d/e/f/g/h/i/j/k/l/file.PROG", 32, "relative.../h/i/j/k/l/file.PROG"},
      {"/onlytwo/averyveryveryveryverylongname.PROG", 32, "/onlytwo/averyveryveryveryverylongname.PROG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.width));
    EXPECT_EQ(DirUtil_ShortenPath(c.path, c.width, measure), c.shown);
  }
}

}  // namespace
