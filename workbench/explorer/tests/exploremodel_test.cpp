#include "workbench/explorer/exploremodel.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// ------------------------------------------------------------ fixtures

// A listing of prepared entries.
class FakeList : public DirList {
 public:
  struct Item {
    std::string name;
    uint32_t mode;
    uint32_t size = 0, time = 0;
    std::string owner = {}, group = {};
  };
  explicit FakeList(std::vector<Item> items) : items_(std::move(items)) {}
  std::unique_ptr<DirEntry> Next() override {
    if (next_ >= items_.size()) return nullptr;
    const Item& item = items_[next_++];
    auto entry = std::make_unique<DirEntry_Named>(item.name);
    entry->mode = item.mode;
    entry->size = item.size;
    entry->time = item.time;
    entry->owner = item.owner;
    entry->group = item.group;
    return entry;
  }

 private:
  std::vector<Item> items_;
  size_t next_ = 0;
};

constexpr uint32_t kFolder = DIRENTRY_FOLDER | 0755;
constexpr uint32_t kFolderDeep = kFolder | DIRENTRY_HAS_SUBFOLDERS;

// A folder tree by path; the lister counts its calls.
struct FakeDisk {
  std::map<std::string, std::vector<FakeList::Item>> folders;
  int listings = 0;
  ExploreLister Lister() {
    return [this](const std::string& path, int mode) -> std::unique_ptr<DirList> {
      EXPECT_EQ(mode, DIRLIST_FOLDERS);
      ++listings;
      auto it = folders.find(path);
      if (it == folders.end()) return nullptr;
      return std::make_unique<FakeList>(it->second);
    };
  }
};

// Lines as /proc/self/mountinfo has them, with the pseudo file systems a
// real system shows.
constexpr const char* kMountInfo =
    "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
    "25 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "26 25 0:5 / /dev rw - devtmpfs udev rw\n"
    "30 25 0:25 / /run rw - tmpfs tmpfs rw\n"
    "40 25 8:3 / /data rw - ext4 /dev/sda3 rw\n"
    "41 25 8:17 / /media/usb\\040stick rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
    "42 25 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
    "43 25 0:50 / /net/share rw - nfs4 srv:/export rw\n"
    "44 25 0:51 / /mnt/ssh rw - fuse.sshfs user@host:/ rw\n"
    "45 25 0:52 / /mnt/win rw - cifs //host/share rw\n"
    "46 25 8:4 / /data rw - ext4 /dev/sda4 rw\n"
    "47 25 11:1 / /media/dvd ro - udf /dev/sr1 ro\n"
    "broken line without a separator\n"
    "48 25 8:5 / /short -\n";

std::vector<ExploreVolume> ParsedVolumes() {
  return Explore_ParseMountInfo(kMountInfo, [](std::string_view dev) { return dev == "8:17"; });
}

// ------------------------------------------------------------ places

TEST(ExploreMountInfo, KeepsDeviceAndRemoteVolumesWithTheirImages) {
  const std::vector<ExploreVolume> volumes = ParsedVolumes();
  const std::vector<std::pair<std::string, int>> expected = {
      {"/data", EXPLORE_IMAGE_FIXED},        {"/media/usb stick", EXPLORE_IMAGE_REMOVABLE},
      {"/media/cd", EXPLORE_IMAGE_OPTICAL},  {"/net/share", EXPLORE_IMAGE_REMOTE},
      {"/mnt/ssh", EXPLORE_IMAGE_REMOTE},    {"/mnt/win", EXPLORE_IMAGE_REMOTE},
      {"/media/dvd", EXPLORE_IMAGE_OPTICAL},
  };
  ASSERT_EQ(volumes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(volumes[i].mount_point, expected[i].first) << i;
    EXPECT_EQ(volumes[i].image, expected[i].second) << i;
  }
}

TEST(ExploreMountInfo, SurvivesTruncatedAndEmptyText) {
  EXPECT_TRUE(Explore_ParseMountInfo("", nullptr).empty());
  const std::string text = kMountInfo;
  for (size_t n = 0; n < text.size(); n += 7) Explore_ParseMountInfo(std::string_view(text).substr(0, n), nullptr);
  EXPECT_TRUE(Explore_ParseMountInfo("1 2 3 4 /x\\0 - ext4 /dev/a b\n", nullptr).empty());
}

class ExploreTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.folders["/"] = {{"home", kFolderDeep}, {"etc", kFolder}, {"notes.txt", DIRENTRY_FILE | 0644}};
    disk.folders["/home"] = {{"ann", kFolderDeep}};
    disk.folders["/home/ann"] = {{"src", kFolder}};
    disk.folders["/home/ann/src"] = {};
    disk.folders["/media/cd"] = {{"docs", kFolder}};
    disk.folders["srv://"] = {{"dir", kFolderDeep}};
    disk.folders["srv://dir"] = {{"sub", kFolder}};
    tree.Build("/home/ann", ParsedVolumes(), {{"srv", "Main server"}, {"plain", ""}});
  }
  FakeDisk disk;
  ExploreTree tree{disk.Lister()};
};

TEST_F(ExploreTreeTest, PlacesComeInOrderWithTheirImages) {
  ExploreNode& root = tree.Root();
  EXPECT_EQ(root.text, "My Computer");
  EXPECT_EQ(root.image, EXPLORE_IMAGE_COMPUTER);
  std::vector<std::string> texts;
  for (const auto& child : root.children) texts.push_back(child->DisplayText());
  const std::vector<std::string> expected = {"/",          "/home/ann",   "/data",    "/media/usb stick",
                                             "/media/cd",  "/net/share",  "/mnt/ssh", "/mnt/win",
                                             "/media/dvd", "Main server", "plain"};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(root.children[0]->image, EXPLORE_IMAGE_FIXED);
  EXPECT_EQ(root.children[1]->image, EXPLORE_IMAGE_FIXED);
  EXPECT_EQ(root.children[9]->image, EXPLORE_IMAGE_REMOTE);
  EXPECT_EQ(root.children[9]->kind, ExploreNodeKind::server_entry);
  EXPECT_EQ(disk.listings, 0) << "places are listed only when expanded";
}

TEST_F(ExploreTreeTest, PathsMapBothWays) {
  struct Case {
    std::string path;
    ExploreNodeKind kind;
    std::string text;
  };
  const Case cases[] = {
      {"", ExploreNodeKind::computer, "My Computer"},
      {"/", ExploreNodeKind::place, "/"},
      {"/etc", ExploreNodeKind::folder, "etc"},
      {"/home/ann", ExploreNodeKind::place, "/home/ann"},  // the deepest place wins over "/"
      {"/home/ann/src", ExploreNodeKind::folder, "src"},
      {"/media/cd", ExploreNodeKind::place, "/media/cd"},
      {"/media/cd/docs", ExploreNodeKind::folder, "docs"},
      {"srv://", ExploreNodeKind::server_entry, "srv"},
      {"srv://dir", ExploreNodeKind::folder, "dir"},
      {"srv://dir/sub", ExploreNodeKind::folder, "sub"},
  };
  for (const Case& c : cases) {
    std::string error;
    ExploreNode* node = tree.GetNodeFromPath(c.path, &error);
    ASSERT_NE(node, nullptr) << c.path;
    EXPECT_EQ(error, "") << c.path;
    EXPECT_EQ(node->kind, c.kind) << c.path;
    EXPECT_EQ(node->text, c.text) << c.path;
    EXPECT_EQ(ExploreTree::GetPathFromNode(*node), c.path) << c.path;
  }
  // "/home" is reached through "/" although home is a place of its own.
  ExploreNode* home = tree.GetNodeFromPath("/home");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->parent, tree.Root().children[0].get());
  EXPECT_EQ(ExploreTree::GetPathFromNode(*home), "/home");
}

TEST_F(ExploreTreeTest, UnmappablePathsAndNodesGiveTheirTexts) {
  struct Case {
    std::string path, error;
  };
  const Case cases[] = {
      {"relative/dir", "Path prefix not handled:\nrelative/dir"},
      {"nosuch://dir", "Path prefix not handled:\nnosuch://dir"},
      {"/etc/missing", ""},  // a well-formed path of a missing folder: no text, no node
      {"srv://nope", ""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(tree.GetNodeFromPath(c.path, &error), nullptr) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }

  ExploreNode orphan;  // a folder that hangs below nothing
  orphan.text = "lost";
  std::string error;
  EXPECT_EQ(ExploreTree::GetPathFromNode(orphan, &error), "");
  EXPECT_EQ(error, EXPLORE_NODE_NOT_HANDLED);

  ExploreTree bare{nullptr};  // no places at all
  EXPECT_EQ(bare.GetNodeFromPath("/x", &error), nullptr);
  EXPECT_EQ(error, "Drive path not handled:\n/x");
}

TEST_F(ExploreTreeTest, ChildrenAreListedOnceAndOnlyFoldersWithSubfoldersExpand) {
  ExploreNode& slash = *tree.Root().children[0];
  EXPECT_TRUE(slash.has_dummy_folder);
  tree.AddChildren(slash);
  tree.AddChildren(slash);
  EXPECT_EQ(disk.listings, 1);
  ASSERT_EQ(slash.children.size(), 2u);  // the file is left out, folders sorted
  EXPECT_EQ(slash.children[0]->text, "etc");
  EXPECT_FALSE(slash.children[0]->has_dummy_folder);
  EXPECT_EQ(slash.children[1]->text, "home");
  EXPECT_TRUE(slash.children[1]->has_dummy_folder);

  ExploreTree::RemoveChildren(slash);
  EXPECT_TRUE(slash.children.empty());
  EXPECT_TRUE(slash.has_dummy_folder);
  tree.AddChildren(slash);
  EXPECT_EQ(disk.listings, 2);

  ExploreNode& plain = *tree.Root().children[10];  // listing fails: no children, no crash
  tree.AddChildren(plain);
  EXPECT_TRUE(plain.children.empty());
  EXPECT_FALSE(plain.has_dummy_folder);
}

TEST_F(ExploreTreeTest, AFolderTheListShowsTakesItsSubfoldersFromTheListsRows) {
  // The list shows "srv://dir" with a filter that left only some files; its
  // folders are there whatever the filter.
  std::vector<ExploreRow> rows(4);
  rows[0] = {"Zeta", "", "", 0, 0, kFolderDeep};
  rows[1] = {"alpha", "", "", 0, 0, kFolder};
  rows[2] = {"main.PROG", "", "", 10, 0, DIRENTRY_FILE | 0644};
  rows[3] = {"beta", "", "", 0, 0, kFolder};
  std::vector<std::string> asked;
  tree.SetShownRows([&](const std::string& path) -> const std::vector<ExploreRow>* {
    asked.push_back(path);
    return path == "srv://dir" ? &rows : nullptr;
  });
  ExploreNode* dir = tree.GetNodeFromPath("srv://dir");
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(disk.listings, 1);  // "srv://" itself, which the list does not show
  tree.AddChildren(*dir);
  EXPECT_EQ(disk.listings, 1) << "the list's rows are the one listing";
  EXPECT_EQ(asked, (std::vector<std::string>{"srv://", "srv://dir"}));
  std::vector<std::string> names;
  for (const auto& child : dir->children) names.push_back(child->text + (child->has_dummy_folder ? "+" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta", "Zeta+"}));  // the file is left out
  EXPECT_EQ(ExploreTree::GetPathFromNode(*dir->children[2]), "srv://dir/Zeta");

  // Once the list shows another folder the tree lists for itself again.
  ExploreTree::RemoveChildren(*dir);
  rows.clear();
  tree.SetShownRows([](const std::string&) { return nullptr; });
  tree.AddChildren(*dir);
  EXPECT_EQ(disk.listings, 2);
  ASSERT_EQ(dir->children.size(), 1u);
  EXPECT_EQ(dir->children[0]->text, "sub");
}

// ------------------------------------------------------------ file list

TEST(ExploreRows, ImagesAndModeTexts) {
  struct Case {
    std::string name;
    uint32_t mode;
    int image;
    std::string mode_text;
  };
  const Case cases[] = {
      {"dir", DIRENTRY_FOLDER, EXPLORE_IMAGE_FOLDER, "d---"},
      {"dir", DIRENTRY_FOLDER | 0700, EXPLORE_IMAGE_FOLDER, "drwx"},
      {"dir.PROG", DIRENTRY_FOLDER | 0500, EXPLORE_IMAGE_FOLDER, "dr-x"},
      {"main.PROG", DIRENTRY_FILE | 0644, EXPLORE_IMAGE_PROGRAM, "-rw-"},
      {"main.prog", DIRENTRY_FILE | 0755, EXPLORE_IMAGE_PROGRAM, "-rwx"},
      {"a.txt", DIRENTRY_FILE | 0600, EXPLORE_IMAGE_TEXT, "-rw-"},
      {"a.LIST", DIRENTRY_FILE | 0400, EXPLORE_IMAGE_TEXT, "-r--"},
      {"run.sh", DIRENTRY_FILE | 0644, EXPLORE_IMAGE_FILE, "-rw-"},
      {"run.sh", DIRENTRY_FILE | 0641, EXPLORE_IMAGE_EXECUTABLE, "-rwx"},  // any execute bit
      {"data", DIRENTRY_FILE | 0004, EXPLORE_IMAGE_FILE, "-r--"},
  };
  for (const Case& c : cases) {
    ExploreRow row;
    row.name = c.name;
    row.mode = c.mode;
    EXPECT_EQ(Explore_RowImage(row), c.image) << c.name << " " << c.mode;
    EXPECT_EQ(Explore_ModeText(c.mode), c.mode_text) << c.name << " " << c.mode;
    EXPECT_EQ(Explore_CellText(row, EXPLORE_COLUMN_MODE), c.mode_text);
  }
}

TEST(ExploreRows, CellTexts) {
  DirEntry_Named entry("we\"ird\nname\xff");
  entry.mode = DIRENTRY_FILE | 0644;
  entry.size = 4000000000u;
  entry.time = 1700000000;
  entry.owner = "ann";
  entry.group = "staff";
  const ExploreRow row = Explore_RowFromEntry(entry);
  EXPECT_EQ(Explore_CellText(row, EXPLORE_COLUMN_NAME), "we\"ird\nname\xff");  // bytes kept
  EXPECT_EQ(Explore_CellText(row, EXPLORE_COLUMN_SIZE), "4000000000");
  EXPECT_EQ(Explore_CellText(row, EXPLORE_COLUMN_OWNER), "ann");
  EXPECT_EQ(Explore_CellText(row, EXPLORE_COLUMN_GROUP), "staff");
  const std::string when = Explore_CellText(row, EXPLORE_COLUMN_TIME);
  ASSERT_GE(when.size(), 5u);
  EXPECT_EQ(when[when.size() - 3], ':') << when << " ends in hours and minutes, no seconds";
  EXPECT_EQ(std::count(when.begin(), when.end(), ':'), 1) << when;

  ExploreRow folder = row;
  folder.mode = DIRENTRY_FOLDER;
  folder.time = 0;
  EXPECT_EQ(Explore_CellText(folder, EXPLORE_COLUMN_SIZE), "");
  EXPECT_EQ(Explore_CellText(folder, EXPLORE_COLUMN_TIME), "");
}

std::vector<FakeList::Item> SortFixture() {
  return {
      {"b.txt", DIRENTRY_FILE | 0644, 30, 300, "zed", "Wheel"},
      {"Zdir", kFolder, 0, 100, "bob", "staff"},
      {"A.PROG", DIRENTRY_FILE | 0644, 200, 100, "Ann", "users"},
      {"c.bin", DIRENTRY_FILE | 0755, 5, 200, "bob", "adm"},
      {"adir", kFolder, 0, 500, "Cy", "Adm"},
      {"hidden.log", DIRENTRY_FILE | 0644, 1, 1, "x", "y"},
  };
}

TEST(ExploreRows, FoldersFirstThenEachColumnsOrder) {
  const std::pair<int, std::vector<std::string>> cases[] = {
      {EXPLORE_COLUMN_NAME, {"adir", "Zdir", "A.PROG", "b.txt", "c.bin"}},
      {EXPLORE_COLUMN_SIZE, {"adir", "Zdir", "c.bin", "b.txt", "A.PROG"}},  // 5 < 30 < 200 as numbers
      {EXPLORE_COLUMN_TIME, {"Zdir", "adir", "A.PROG", "c.bin", "b.txt"}},
      {EXPLORE_COLUMN_OWNER, {"Zdir", "adir", "A.PROG", "c.bin", "b.txt"}},  // without case: Ann, bob, zed
      {EXPLORE_COLUMN_GROUP, {"adir", "Zdir", "c.bin", "A.PROG", "b.txt"}},  // adm, users, Wheel
  };
  for (const auto& [column, expected] : cases) {
    FakeList list(SortFixture());
    // The filter drops the log file but never a folder.
    const auto rows = Explore_FillRows(
        list, [](const std::string& name) { return name != "hidden.log"; }, column);
    std::vector<std::string> names;
    for (const ExploreRow& row : rows) names.push_back(row.name);
    EXPECT_EQ(names, expected) << "column " << column;
  }
}

TEST(ExploreColumns, StoredWidthsFallBackWhenDamaged) {
  EXPECT_STREQ(explore_columns[EXPLORE_COLUMN_TIME].heading, "Last Modified");
  const std::tuple<int, std::optional<long long>, int> cases[] = {
      {EXPLORE_COLUMN_NAME, std::nullopt, 192},
      {EXPLORE_COLUMN_NAME, 250, 250},
      {EXPLORE_COLUMN_SIZE, 0, 64},
      {EXPLORE_COLUMN_TIME, -5, 96},
      {EXPLORE_COLUMN_MODE, 1LL << 40, 48},
      {EXPLORE_COLUMN_GROUP, 1, 1},
  };
  for (const auto& [column, stored, width] : cases) EXPECT_EQ(Explore_ColumnWidth(column, stored), width) << column;
}

TEST(ExploreColumns, TreeWidthAndListStyleFallBackWhenDamaged) {
  const std::tuple<std::optional<long long>, int, uint32_t> cases[] = {
      {std::nullopt, 192, 1}, {0, 192, 0}, {-1, 192, 1}, {3, 3, 3}, {4, 4, 1}, {300, 300, 1}, {1LL << 33, 192, 1},
  };
  for (const auto& [stored, width, style] : cases) {
    EXPECT_EQ(Explore_TreeWidth(stored), width) << stored.value_or(-99);
    EXPECT_EQ(Explore_ListStyle(stored), style) << stored.value_or(-99);
  }
}

// ------------------------------------------------------------ file-name field

TEST(ExploreNames, SplitOnBlanksOutsideQuotes) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"a b", {"a", "b"}},
      {"  a   b  ", {"a", "b"}},
      {"\"my file.PROG\" other", {"my file.PROG", "other"}},
      {"\"\" x", {"x"}},
      {"back\\slash", {"back\\slash"}},
      {"\"unclosed name", {"unclosed name"}},
      {"", {}},
  };
  for (const auto& [field, names] : cases) EXPECT_EQ(Explore_SplitNames(field), names) << field;
}

TEST(ExploreNames, RelativeNamesResolveWithinTheirRoot) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"/home/ann", "x.PROG", "/home/ann/x.PROG"},
      {"/home/ann", "src/x", "/home/ann/src/x"},
      {"/home/ann", "../bob/x", "/home/bob/x"},
      {"/home", "../../../x", "/x"},
      {"/tmp", "/etc/abs", "/etc/abs"},
      {"srv://dir", "sub/x", "srv://dir/sub/x"},
      {"srv://dir", "../../../etc/x", "srv://etc/x"},  // never above the server's root
      {"srv://", "./x", "srv://x"},
      {"srv://dir", "other://y", "other://y"},
  };
  for (const auto& [folder, name, path] : cases)
    EXPECT_EQ(Explore_ResolveName(folder, name), path) << folder << " + " << name;
}

struct ActionCase {
  const char* label;
  ExploreMode mode;
  std::string field;
  std::string extension;
  bool binary;
  std::vector<ExploreAction> expected;
};

TEST(ExploreDocAction, Decisions) {
  const std::string here = "/w";
  const ActionCase cases[] = {
      {"dot", ExploreMode::open, ".", "", false, {}},
      {"blank", ExploreMode::open, "   ", "", false, {}},
      {"up", ExploreMode::save_as, "..", "", false, {{ExploreStep::up, "", ""}}},
      {"folder", ExploreMode::open, "sub", "", false, {{ExploreStep::navigate, "/w/sub", ""}}},
      {"folder in save", ExploreMode::save_as, "sub", "", false, {{ExploreStep::navigate, "/w/sub", ""}}},
      {"several in save", ExploreMode::save_as, "a b", "", false, {{ExploreStep::refuse, "", EXPLORE_SEVERAL_NAMES}}},
      {"quoted one in save", ExploreMode::save_as, "\"new file\"", "", false, {{ExploreStep::save, "/w/new file", ""}}},
      {"replace",
       ExploreMode::save_as,
       "old.PROG",
       "",
       false,
       {{ExploreStep::save, "/w/old.PROG",
         "/w/old.PROG\nThis file already exists.\nDo you want to replace the existing file?"}}},
      {"program saved without extension",
       ExploreMode::save_as,
       "prog1",
       "",
       true,
       {{ExploreStep::save, "/w/prog1.PROG", ""}}},
      {"program saved onto its completed name",
       ExploreMode::save_as,
       "old",
       "",
       true,
       {{ExploreStep::save, "/w/old.PROG",
         "/w/old.PROG\nThis file already exists.\nDo you want to replace the existing file?"}}},
      {"program keeps another extension",
       ExploreMode::save_as,
       "prog1.bak",
       "",
       true,
       {{ExploreStep::save, "/w/prog1.bak", ""}}},
      {"program under a dotted folder",
       ExploreMode::save_as,
       "../v.2/prog1",
       "",
       true,
       {{ExploreStep::save, "/v.2/prog1.PROG", ""}}},
      {"open existing", ExploreMode::open, "old.PROG", "", true, {{ExploreStep::open, "/w/old.PROG", ""}}},
      {"completed to existing", ExploreMode::open, "old", "", true, {{ExploreStep::open, "/w/old.PROG", ""}}},
      {"completed to open", ExploreMode::open, "busy", "", true, {{ExploreStep::activate, "/w/busy.PROG", ""}}},
      {"text mode keeps name",
       ExploreMode::open,
       "old",
       "",
       false,
       {{ExploreStep::create, "/w/old", "/w/old\nThis file does not exist.\nDo you want to create a new file?"}}},
      {"plug-in extension",
       ExploreMode::open,
       "form",
       "dlg",
       true,
       {{ExploreStep::create, "/w/form.dlg",
         "/w/form.dlg\nThis file does not exist.\nDo you want to create a new file?"}}},
      {"extension not doubled",
       ExploreMode::open,
       "form.DLG",
       ".dlg",
       false,
       {{ExploreStep::create, "/w/form.DLG",
         "/w/form.DLG\nThis file does not exist.\nDo you want to create a new file?"}}},
      {"missing folder with its slash",
       ExploreMode::open,
       "nosuch/",
       "",
       true,
       {{ExploreStep::navigate, "/w/nosuch", ""}}},
      {"missing folder in full",
       ExploreMode::open,
       "/x/nosuch/",
       ".dlg",
       false,
       {{ExploreStep::navigate, "/x/nosuch/", ""}}},
      {"missing folder in save",
       ExploreMode::save_as,
       "../nosuch/",
       "",
       true,
       {{ExploreStep::navigate, "/nosuch", ""}}},
      {"server folder", ExploreMode::open, "srv://progs/", "", true, {{ExploreStep::navigate, "srv://progs/", ""}}},
      {"folder among several names",
       ExploreMode::open,
       "nosuch/ old.PROG",
       "",
       true,
       {{ExploreStep::open, "/w/old.PROG", ""}}},
      {"several in open",
       ExploreMode::open,
       "old.PROG \"sub\" busy",
       "",
       true,
       {{ExploreStep::open, "/w/old.PROG", ""},
        {ExploreStep::create, "/w/sub.PROG",
         "/w/sub.PROG\nThis file does not exist.\nDo you want to create a new file?"},
        {ExploreStep::activate, "/w/busy.PROG", ""}}},
  };
  for (const ActionCase& c : cases) {
    ExploreActionInput input;
    input.mode = c.mode;
    input.field = c.field;
    input.folder = here;
    input.default_extension = c.extension;
    input.binary_program = c.binary;
    input.is_subfolder = [](const std::string& name) { return name == "sub"; };
    input.file_exists = [](const std::string& path) { return path == "/w/old.PROG"; };
    input.is_open = [](const std::string& path) { return path == "/w/busy.PROG"; };
    const std::vector<ExploreAction> got = Explore_DocAction(input);
    ASSERT_EQ(got.size(), c.expected.size()) << c.label;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].step, c.expected[i].step) << c.label << " " << i;
      EXPECT_EQ(got[i].path, c.expected[i].path) << c.label << " " << i;
      EXPECT_EQ(got[i].message, c.expected[i].message) << c.label << " " << i;
    }
  }
}

}  // namespace
