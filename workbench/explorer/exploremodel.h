// The explore window's model without windows: the folder tree (the computer,
// its places and volumes, the configured program servers, folders expanded
// on demand), the mapping between tree nodes and paths, the file list's rows
// with their texts, images and order, and what the file-name field's OK asks
// the window to do. The views only paint this and turn events into calls.
//
// Names are kept as bytes throughout; only their display is converted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/programs/dirutil.h"

// ------------------------------------------------------------ tree nodes

enum class ExploreNodeKind {
  computer,      // "My Computer", the root: the empty path
  place,         // "/", home or a mounted volume: its mount point
  server_entry,  // a configured program server: "name://"
  folder,        // a folder below a place or a server entry
};

// Images of the 16-pixel list shared by tree and list.
enum : int {
  EXPLORE_IMAGE_FIXED = 0,      // "/", home and fixed volumes
  EXPLORE_IMAGE_REMOVABLE = 1,  // removable volume
  EXPLORE_IMAGE_OPTICAL = 2,    // iso9660 and udf volumes
  EXPLORE_IMAGE_FOLDER = 3,
  EXPLORE_IMAGE_FOLDER_OPEN = 4,  // a selected folder
  EXPLORE_IMAGE_REMOTE = 5,       // network volumes and program servers
  EXPLORE_IMAGE_COMPUTER = 6,
  EXPLORE_IMAGE_EXECUTABLE = 9,
  EXPLORE_IMAGE_FILE = 10,
  EXPLORE_IMAGE_TEXT = 11,
  EXPLORE_IMAGE_PROGRAM = 12,
};

struct ExploreNode {
  ExploreNodeKind kind = ExploreNodeKind::folder;
  std::string text;         // name shown (a folder's own name, bytes)
  std::string second_text;  // a server's title
  std::string path;         // a place's mount point, a server entry's "name://"
  int image = EXPLORE_IMAGE_FOLDER;
  // The node still holds a placeholder child: it shows an expand button and
  // its children are listed on first expansion.
  bool has_dummy_folder = false;
  ExploreNode* parent = nullptr;
  std::vector<std::unique_ptr<ExploreNode>> children;

  // Text of the tree item: a server's title when it has one.
  const std::string& DisplayText() const { return second_text.empty() ? text : second_text; }
};

// A configured program server: its entry name of list "Server" and its title.
struct ExploreServer {
  std::string name, title;
};

// A mounted volume as the tree shows it.
struct ExploreVolume {
  std::string mount_point;
  int image = EXPLORE_IMAGE_FIXED;
};

// The volumes worth showing from a mountinfo text (the format of
// /proc/self/mountinfo): those backed by a "/dev/" device and the remote
// ones (nfs, nfs4, cifs, fuse.sshfs); pseudo file systems are left out, as
// are "/" and repeated mount points. `is_removable` is asked with the line's
// "major:minor". Malformed lines are skipped.
std::vector<ExploreVolume> Explore_ParseMountInfo(std::string_view text,
                                                  const std::function<bool(std::string_view)>& is_removable);
// True when /sys says the block device "major:minor" is removable.
bool Explore_IsRemovableDevice(std::string_view major_minor);

// Lists a folder (a local path or "name://path"): the listing modes of
// dirutil.h. Null when it cannot be listed.
using ExploreLister = std::function<std::unique_ptr<DirList>(const std::string& path, int mode)>;

struct ExploreRow;
// The rows the file list shows for a folder (a path as `GetPathFromNode`
// gives it), or null when the list shows another folder.
using ExploreShownRows = std::function<const std::vector<ExploreRow>*(const std::string& path)>;

// Texts and caption of what the tree cannot map (shown with an exclamation).
inline constexpr const char* EXPLORE_NODE_NOT_HANDLED = "Node type not handled.";
inline constexpr const char* EXPLORE_PREFIX_NOT_HANDLED = "Path prefix not handled:\n";
inline constexpr const char* EXPLORE_DRIVE_NOT_HANDLED = "Drive path not handled:\n";
inline constexpr const char* EXPLORE_CAPTION_NODE_FROM_PATH = "GetNodeFromPath()";
inline constexpr const char* EXPLORE_CAPTION_PATH_FROM_NODE = "GetPathFromNode()";

class ExploreTree {
 public:
  explicit ExploreTree(ExploreLister lister);

  // Where the file list's rows come from: a folder the list shows takes its
  // subfolders from those rows, without a listing of its own.
  void SetShownRows(ExploreShownRows shown) { shown_ = std::move(shown); }

  // Builds "My Computer" with "/" and `home` (when not empty and not "/"),
  // the volumes, then one node per server, replacing what was there.
  void Build(const std::string& home, const std::vector<ExploreVolume>& volumes,
             const std::vector<ExploreServer>& servers);

  ExploreNode& Root() { return *root_; }

  // Replaces a container's placeholder by its folders: the folder rows of
  // the file list when it shows the same folder, else a listing of mode 2.
  // A folder that has subfolders gets a placeholder in turn. Children
  // already there stay.
  void AddChildren(ExploreNode& node);
  // Takes the children off again, leaving a placeholder.
  static void RemoveChildren(ExploreNode& node);

  // A folder node's ancestors joined with "/" below its place or server
  // entry; a place gives its mount point, a server entry "name://", the
  // computer the empty path. `error` gets the text for a node it cannot map.
  static std::string GetPathFromNode(const ExploreNode& node, std::string* error = nullptr);
  // The node of a path, expanding folders on the way; null when there is
  // none. A local path belongs to the deepest place holding it. `error` gets
  // the text (prefix or drive not handled) of a path of a form it cannot map;
  // it stays empty when the form is fine but a folder is missing.
  ExploreNode* GetNodeFromPath(const std::string& path, std::string* error = nullptr);

 private:
  ExploreLister lister_;
  ExploreShownRows shown_;
  std::unique_ptr<ExploreNode> root_;
};

// ------------------------------------------------------------ file list

enum : int {
  EXPLORE_COLUMN_NAME = 0,
  EXPLORE_COLUMN_SIZE = 1,
  EXPLORE_COLUMN_TIME = 2,
  EXPLORE_COLUMN_MODE = 3,
  EXPLORE_COLUMN_OWNER = 4,
  EXPLORE_COLUMN_GROUP = 5,
  EXPLORE_COLUMN_COUNT = 6,
};

struct ExploreColumn {
  const char* heading;
  int default_width;
};
// Headings and default widths by column index.
extern const ExploreColumn explore_columns[EXPLORE_COLUMN_COUNT];

// Profile section of the column widths; the key is the column index.
inline constexpr const char* EXPLORE_COLUMNS_SECTION = "Explore\\Columns\\";
// The width to use for a stored value: the column's default when there is
// none or it is zero, negative or beyond any screen.
int Explore_ColumnWidth(int column, std::optional<long long> stored);

// The tree's width and the list style (0 to 3) to use for stored values:
// the defaults when they are missing, zero, negative or beyond any screen.
int Explore_TreeWidth(std::optional<long long> stored);
uint32_t Explore_ListStyle(std::optional<long long> stored);

struct ExploreRow {
  std::string name, owner, group;
  uint32_t size = 0, time = 0, mode = 0;
  bool IsFolder() const { return (mode & DIRENTRY_FOLDER) != 0; }
};

ExploreRow Explore_RowFromEntry(const DirEntry& entry);
int Explore_RowImage(const ExploreRow& row);
// "d" or "-", then "r", "w" and "x" when any of those bits is set, else "-".
std::string Explore_ModeText(uint32_t mode);
// The text of a cell: "%lu" size for files only; local short date and time
// without seconds (empty when unknown).
std::string Explore_CellText(const ExploreRow& row, int column);

// Rows of a listing: every folder, the files `matches` accepts (all when it
// is empty), in the order of `column`.
std::vector<ExploreRow> Explore_FillRows(DirList& list, const std::function<bool(const std::string&)>& matches,
                                         int column);
// Folders first, then by the column: names, owners and groups without regard
// to case, size and time as numbers; equal keys by name.
void Explore_SortRows(std::vector<ExploreRow>& rows, int column);

// ------------------------------------------------------------ file-name field

// The field's names: split on blanks outside double quotes, quotes removed.
std::vector<std::string> Explore_SplitNames(std::string_view field);
// A name taken from the current folder: absolute names stay; "." and ".."
// components are resolved, never above "/" or a server entry's root.
std::string Explore_ResolveName(const std::string& folder, const std::string& name);

enum class ExploreMode { open = 0, save_as = 1 };

inline constexpr const char* EXPLORE_SEVERAL_NAMES =
    "You specified more than one file name.\nA file cannot be saved with multiple names.\nPlease specify exactly "
    "one file name.";
inline constexpr const char* EXPLORE_ASK_REPLACE =
    "\nThis file already exists.\nDo you want to replace the existing file?";
inline constexpr const char* EXPLORE_ASK_CREATE = "\nThis file does not exist.\nDo you want to create a new file?";

// What the window knows when OK is pressed.
struct ExploreActionInput {
  ExploreMode mode = ExploreMode::open;
  std::string field;  // the file-name field
  // The names when they came from the list's selection (kept as bytes, not
  // split again); empty: the field is split.
  std::vector<std::string> names;
  std::string folder;  // the current folder's path
  // The completion of a missing name: the plug-in file type's default
  // extension ("x" or ".x"); else ".PROG" when `binary_program` is set.
  // Save As: ".PROG" for a program saved under a name without extension.
  std::string default_extension;
  bool binary_program = false;
  std::function<bool(const std::string& name)> is_subfolder;  // a folder item under the selection
  std::function<bool(const std::string& path)> is_folder;     // a folder path typed in full
  std::function<bool(const std::string& path)> file_exists;
  std::function<bool(const std::string& path)> is_open;  // a document of that path is open
};

enum class ExploreStep {
  none,      // nothing to do
  up,        // select the parent folder
  navigate,  // select the subfolder `path`, clear the field
  refuse,    // show `message` (caption "Save As"), save nothing
  save,      // save under `path`; ask `message` first (Yes/No, No default) when set
  activate,  // bring the open document of `path` forward
  open,      // open `path`
  create,    // ask `message` (caption "Open"); Yes makes a new document of `path`
};

struct ExploreAction {
  ExploreStep step = ExploreStep::none;
  std::string path;
  std::string message;
};

// The steps for the field, in order (one per name in Open mode).
std::vector<ExploreAction> Explore_DocAction(const ExploreActionInput& input);
