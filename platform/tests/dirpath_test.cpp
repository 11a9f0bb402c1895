// The path helpers: this system's rules for local paths, the program
// server's after "://", splitting, joining, shortening and file kinds.
#include "platform/dirpath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DirPath, NormalForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a//b///c/", "/a/b/c"},
      {"/", "/"},
      {"//", "/"},
      {"a/", "a"},
      {"", ""},
      {"c:", "c:"},                  // a plain name here
      {"c:dir\\x\\", "c:dir\\x\\"},  // a backslash is a name character
      {"\\\\srv\\share", "\\\\srv\\share"},
      {"//srv/share", "/srv/share"},
      {"srv://dir\\sub\\", "srv://dir/sub"},
      {"srv://x/", "srv://x"},
      {"srv://", "srv://"},
      {"srv:///", "srv:///"},  // the server's root stays
  };
  for (const auto& [in, want] : cases) {
    std::string p = in;
    DirUtil_NormalizePath(p);
    EXPECT_EQ(p, want) << in;
  }
}

TEST(DirPath, Parts) {
  struct Case {
    const char* path;
    const char* dir;
    const char* name;
    const char* stripped;
  };
  const Case cases[] = {
      {"/home/u/x.PROG", "/home/u", "x.PROG", "/home/u/x"},
      {"/x", "/", "x", "/x"},
      {"x.txt", "", "", "x"},
      {"a.b/c", "a.b", "c", "a.b/c"},  // the dot lies before the last "/"
      {"srv://p/q.dlg", "srv://p", "q.dlg", "srv://p/q"},
      {"srv://q", "srv://", "q", "srv://q"},
      {"srv://", "", "", "srv://"},
      {"/a/b.c\\d", "/a", "b.c\\d", "/a/b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DirUtil_GetDir(c.path), c.dir) << c.path;
    EXPECT_EQ(DirUtil_GetName(c.path), c.name) << c.path;
    EXPECT_EQ(DirUtil_StripExt(c.path), c.stripped) << c.path;
  }
}

TEST(DirPath, JoinSplitCompare) {
  const std::tuple<const char*, const char*, const char*> joins[] = {
      {"", "x", "x"}, {"/", "x", "/x"}, {"/a", "/b", "/a/b"}, {"/a/", "b", "/a/b"}, {"srv://", "p", "srv://p"},
  };
  for (const auto& [dir, name, want] : joins) {
    std::string d = dir;
    DirUtil_AppendPath(d, name);
    EXPECT_EQ(d, want) << dir << " + " << name;
  }

  const std::tuple<const char*, const char*, const char*> splits[] = {
      {"srv://a/b", "srv", "a/b"},
      {"a/b/c", "a", "b/c"},
      {"name", "name", ""},
      {"/a", "", "a"},
  };
  for (const auto& [in, first, rest] : splits) {
    std::string p = in, f;
    ASSERT_TRUE(DirUtil_SplitFirst(p, f)) << in;
    EXPECT_EQ(f, first) << in;
    EXPECT_EQ(p, rest) << in;
  }
  std::string empty, f;
  EXPECT_FALSE(DirUtil_SplitFirst(empty, f));

  EXPECT_TRUE(DirUtil_IsAbsolute("/x"));
  EXPECT_TRUE(DirUtil_IsAbsolute("srv://x"));
  EXPECT_FALSE(DirUtil_IsAbsolute("C:x"));
  EXPECT_FALSE(DirUtil_IsAbsolute("\\\\srv/x"));
  EXPECT_FALSE(DirUtil_IsAbsolute("sub/x"));
  EXPECT_EQ(std::string(DirUtil_SkipServerPrefix("srv://a/b")), "a/b");
  EXPECT_EQ(DirUtil_SkipServerPrefix("/a/b"), nullptr);
  EXPECT_TRUE(DirUtil_SamePath("/a/x", "/a/x"));
  EXPECT_FALSE(DirUtil_SamePath("/a/x", "/a/X"));
  EXPECT_FALSE(DirUtil_SamePath("srv://x", "SRV://x"));
}

TEST(DirPath, ShortenKeepsTheFirstComponentAndAsMuchOfTheEndAsFits) {
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
      {"srv://top/a/bb/cc/dd/ee/ff/file.txt", 32, "srv://top.../dd/ee/ff/file.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.width));
    EXPECT_EQ(DirUtil_ShortenPath(c.path, c.width, measure), c.shown);
  }
}

TEST(DirPath, FileKinds) {
  EXPECT_TRUE(DirUtil_IsProgFile("/a/x.prog"));
  EXPECT_FALSE(DirUtil_IsProgFile("/a/xPROG"));
  for (const char* text : {"a.INI", "a.log", "a.lst", "a.txt", "a.list"}) EXPECT_TRUE(DirUtil_IsTextFile(text)) << text;
  EXPECT_FALSE(DirUtil_IsTextFile("a.PROG"));
  const std::pair<const char*, const char*> adds[] = {
      {"x", "x.PROG"}, {"x.", "x.PROG"}, {"x.Prog", "x.Prog"}, {"", ".PROG"}};
  for (const auto& [in, want] : adds) {
    std::string p = in;
    DirUtil_AddProgExt(p);
    EXPECT_EQ(p, want);
  }
}

}  // namespace
