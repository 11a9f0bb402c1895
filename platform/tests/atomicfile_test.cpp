// Saves under the one rule: a new file gets its mode less the umask, an
// existing one keeps its mode, a symbolic link stays a link while its
// target is replaced, and a FIFO is written to, never renamed over.
#include "platform/atomicfile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/testsupport.h"

namespace {

mode_t mode_of(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : old_(umask(mask)) {}
  ~UmaskScope() { umask(old_); }

 private:
  mode_t old_;
};

TEST(AtomicSave, NewFilesHonourTheUmaskAndOldOnesKeepTheirMode) {
  struct Case {
    mode_t mask, requested;
    int existing;  // -1: no file yet
    mode_t expected;
  } cases[] = {
      {022, 0666, -1, 0644},   {077, 0666, -1, 0600},   {002, 0600, -1, 0600},
      {022, 0666, 0640, 0640}, {077, 0600, 0664, 0664},
  };
  for (const Case& c : cases) {
    vtest::TempDir dir;
    std::string path = dir.file("f");
    if (c.existing >= 0) {
      vtest::write_file(path, "old");
      ASSERT_EQ(chmod(path.c_str(), static_cast<mode_t>(c.existing)), 0);
    }
    UmaskScope scope(c.mask);
    ASSERT_EQ(atomic_save_file(path.c_str(), "new", 3, c.requested), 0);
    EXPECT_EQ(mode_of(path), c.expected) << std::oct << c.mask << " " << c.requested << " " << c.existing;
    EXPECT_EQ(vtest::read_file(path), "new");
  }
}

TEST(AtomicSave, ALinkStaysALinkAndItsTargetIsReplaced) {
  vtest::TempDir dir;
  ASSERT_EQ(mkdir(dir.file("real").c_str(), 0700), 0);
  vtest::write_file(dir.file("real/f"), "old");
  ASSERT_EQ(chmod(dir.file("real/f").c_str(), 0604), 0);
  ASSERT_EQ(symlink("real/f", dir.file("hop").c_str()), 0);
  ASSERT_EQ(symlink("hop", dir.file("link").c_str()), 0);
  ASSERT_EQ(atomic_save_file(dir.file("link").c_str(), "new", 3, 0600), 0);
  struct stat st {};
  ASSERT_EQ(lstat(dir.file("link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(vtest::read_file(dir.file("real/f")), "new");
  EXPECT_EQ(mode_of(dir.file("real/f")), 0604u);
  // A dangling link gets its target made.
  ASSERT_EQ(symlink("made", dir.file("dangling").c_str()), 0);
  ASSERT_EQ(atomic_save_file(dir.file("dangling").c_str(), "x", 1, 0600), 0);
  EXPECT_EQ(vtest::read_file(dir.file("made")), "x");
}

TEST(AtomicSave, AFifoIsWrittenToInPlace) {
  vtest::TempDir dir;
  std::string path = dir.file("pipe");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(atomic_save_file(path.c_str(), "bytes", 5, 0600), 0);
  char got[8] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 5);
  close(reader);
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
