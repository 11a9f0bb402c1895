#include "workbench/explorer/exploremodel.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>

#include "platform/dirpath.h"

namespace {

// Widths beyond this come from a damaged profile.
constexpr long long max_column_width = 4096;
constexpr int default_tree_width = 192;
// The list styles: large icons, details, small icons, list.
constexpr long long max_list_style = 3;
constexpr uint32_t default_list_style = 1;

// File systems of remote volumes.
constexpr std::string_view remote_types[] = {"nfs", "nfs4", "cifs", "fuse.sshfs"};
// File systems of optical media.
constexpr std::string_view optical_types[] = {"iso9660", "udf"};

bool OneOf(std::string_view value, const auto& list) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// Splits a line on blanks.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    size_t end = pos;
    while (end < line.size() && line[end] != ' ') ++end;
    if (end > pos) fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

// Undoes mountinfo's octal escapes ("\040" for a blank).
std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const char a = text[i + 1], b = text[i + 2], c = text[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out.push_back(static_cast<char>(((a - '0') << 6) | ((b - '0') << 3) | (c - '0')));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::unique_ptr<ExploreNode> MakeNode(ExploreNodeKind kind, std::string text, std::string path, int image) {
  auto node = std::make_unique<ExploreNode>();
  node->kind = kind;
  node->text = std::move(text);
  node->path = std::move(path);
  node->image = image;
  return node;
}

ExploreNode& Adopt(ExploreNode& parent, std::unique_ptr<ExploreNode> child) {
  child->parent = &parent;
  parent.children.push_back(std::move(child));
  return *parent.children.back();
}

// True when `path` is `prefix` or lies below it.
bool Holds(const std::string& prefix, const std::string& path) {
  if (prefix == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, prefix.size(), prefix) == 0 && (path.size() == prefix.size() || path[prefix.size()] == '/');
}

}  // namespace

// ------------------------------------------------------------ places

std::vector<ExploreVolume> Explore_ParseMountInfo(std::string_view text,
                                                  const std::function<bool(std::string_view)>& is_removable) {
  std::vector<ExploreVolume> volumes;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    const std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);

    // id parent major:minor root mount-point options [optional...] - type source super-options
    const std::vector<std::string_view> f = Fields(line);
    const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
    if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) continue;
    const std::string_view type = dash[1], source = dash[2];
    const bool remote = OneOf(type, remote_types);
    if (!remote && source.substr(0, 5) != "/dev/") continue;

    ExploreVolume volume;
    volume.mount_point = Unescape(f[4]);
    if (volume.mount_point.empty() || volume.mount_point[0] != '/' || volume.mount_point == "/") continue;
    const bool seen = std::any_of(volumes.begin(), volumes.end(),
                                  [&](const ExploreVolume& v) { return v.mount_point == volume.mount_point; });
    if (seen) continue;
    if (remote)
      volume.image = EXPLORE_IMAGE_REMOTE;
    else if (OneOf(type, optical_types))
      volume.image = EXPLORE_IMAGE_OPTICAL;
    else if (is_removable && is_removable(f[2]))
      volume.image = EXPLORE_IMAGE_REMOVABLE;
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

bool Explore_IsRemovableDevice(std::string_view major_minor) {
  if (major_minor.empty() || major_minor.find('/') != std::string_view::npos) return false;
  std::ifstream in("/sys/dev/block/" + std::string(major_minor) + "/removable");
  char c = 0;
  return in.get(c) && c == '1';
}

// ------------------------------------------------------------ tree

ExploreTree::ExploreTree(ExploreLister lister)
    : lister_(std::move(lister)),
      root_(MakeNode(ExploreNodeKind::computer, "My Computer", "", EXPLORE_IMAGE_COMPUTER)) {}

void ExploreTree::Build(const std::string& home, const std::vector<ExploreVolume>& volumes,
                        const std::vector<ExploreServer>& servers) {
  root_ = MakeNode(ExploreNodeKind::computer, "My Computer", "", EXPLORE_IMAGE_COMPUTER);
  auto add_place = [this](const std::string& mount_point, int image) {
    ExploreNode& node = Adopt(*root_, MakeNode(ExploreNodeKind::place, mount_point, mount_point, image));
    node.has_dummy_folder = true;
  };
  add_place("/", EXPLORE_IMAGE_FIXED);
  if (!home.empty() && home != "/") add_place(home, EXPLORE_IMAGE_FIXED);
  for (const ExploreVolume& volume : volumes)
    if (volume.mount_point != home) add_place(volume.mount_point, volume.image);
  for (const ExploreServer& server : servers) {
    ExploreNode& node =
        Adopt(*root_, MakeNode(ExploreNodeKind::server_entry, server.name, server.name + "://", EXPLORE_IMAGE_REMOTE));
    node.second_text = server.title;
    node.has_dummy_folder = true;
  }
}

void ExploreTree::AddChildren(ExploreNode& node) {
  if (!node.has_dummy_folder) return;
  node.has_dummy_folder = false;
  std::vector<std::unique_ptr<ExploreNode>> folders;
  auto add = [&folders](const std::string& name, uint32_t mode) {
    if ((mode & DIRENTRY_FOLDER) == 0) return;
    auto child = MakeNode(ExploreNodeKind::folder, name, "", EXPLORE_IMAGE_FOLDER);
    child->has_dummy_folder = (mode & DIRENTRY_HAS_SUBFOLDERS) != 0;
    folders.push_back(std::move(child));
  };
  const std::string path = GetPathFromNode(node);
  if (const std::vector<ExploreRow>* rows = shown_ ? shown_(path) : nullptr) {
    for (const ExploreRow& row : *rows) add(row.name, row.mode);
  } else {
    if (!lister_) return;
    std::unique_ptr<DirList> list = lister_(path, DIRLIST_FOLDERS);
    if (!list) return;
    while (std::unique_ptr<DirEntry> entry = list->Next()) add(entry->name, entry->mode);
  }
  std::stable_sort(folders.begin(), folders.end(),
                   [](const auto& a, const auto& b) { return CompareNoCase(a->text, b->text) < 0; });
  for (auto& folder : folders) Adopt(node, std::move(folder));
}

void ExploreTree::RemoveChildren(ExploreNode& node) {
  if (node.kind == ExploreNodeKind::computer) return;
  node.children.clear();
  node.has_dummy_folder = true;
}

std::string ExploreTree::GetPathFromNode(const ExploreNode& node, std::string* error) {
  switch (node.kind) {
    case ExploreNodeKind::computer: return {};
    case ExploreNodeKind::place:
    case ExploreNodeKind::server_entry: return node.path;
    case ExploreNodeKind::folder:
      if (node.parent != nullptr) {
        std::string path = GetPathFromNode(*node.parent, error);
        if (!path.empty()) {
          DirUtil_AppendPath(path, node.text.c_str());
          return path;
        }
      }
      break;
  }
  if (error != nullptr) *error = EXPLORE_NODE_NOT_HANDLED;
  return {};
}

ExploreNode* ExploreTree::GetNodeFromPath(const std::string& path, std::string* error) {
  if (path.empty()) return root_.get();
  ExploreNode* base = nullptr;
  std::string rest;
  if (const char* on_server = DirUtil_SkipServerPrefix(path.c_str())) {
    const std::string name = path.substr(0, path.find("://"));
    for (auto& child : root_->children)
      if (child->kind == ExploreNodeKind::server_entry && child->text == name) base = child.get();
    if (base == nullptr) {
      if (error != nullptr) *error = std::string(EXPLORE_PREFIX_NOT_HANDLED) + path;
      return nullptr;
    }
    rest = on_server;
  } else if (path[0] == '/') {
    for (auto& child : root_->children)
      if (child->kind == ExploreNodeKind::place && Holds(child->path, path) &&
          (base == nullptr || child->path.size() > base->path.size()))
        base = child.get();
    if (base == nullptr) {
      if (error != nullptr) *error = std::string(EXPLORE_DRIVE_NOT_HANDLED) + path;
      return nullptr;
    }
    rest = base->path == "/" ? path.substr(1) : path.substr(base->path.size());
  } else {
    if (error != nullptr) *error = std::string(EXPLORE_PREFIX_NOT_HANDLED) + path;
    return nullptr;
  }

  ExploreNode* node = base;
  size_t pos = 0;
  while (pos < rest.size()) {
    size_t end = rest.find('/', pos);
    if (end == std::string::npos) end = rest.size();
    const std::string component = rest.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    AddChildren(*node);
    ExploreNode* next = nullptr;
    for (auto& child : node->children)
      if (child->text == component) next = child.get();
    if (next == nullptr) return nullptr;
    node = next;
  }
  return node;
}

// ------------------------------------------------------------ file list

const ExploreColumn explore_columns[EXPLORE_COLUMN_COUNT] = {
    {"File Name", 192}, {"Size", 64}, {"Last Modified", 96}, {"Mode", 48}, {"Owner", 64}, {"Group", 64},
};

int Explore_ColumnWidth(int column, std::optional<long long> stored) {
  if (column < 0 || column >= EXPLORE_COLUMN_COUNT) return 0;
  const int fallback = explore_columns[column].default_width;
  if (!stored || *stored <= 0 || *stored > max_column_width) return fallback;
  return static_cast<int>(*stored);
}

int Explore_TreeWidth(std::optional<long long> stored) {
  if (!stored || *stored <= 0 || *stored > max_column_width) return default_tree_width;
  return static_cast<int>(*stored);
}

uint32_t Explore_ListStyle(std::optional<long long> stored) {
  if (!stored || *stored < 0 || *stored > max_list_style) return default_list_style;
  return static_cast<uint32_t>(*stored);
}

ExploreRow Explore_RowFromEntry(const DirEntry& entry) {
  ExploreRow row;
  row.name = entry.name;
  row.owner = entry.owner;
  row.group = entry.group;
  row.size = entry.size;
  row.time = entry.time;
  row.mode = entry.mode;
  return row;
}

int Explore_RowImage(const ExploreRow& row) {
  if (row.IsFolder()) return EXPLORE_IMAGE_FOLDER;
  if (DirUtil_IsProgFile(row.name.c_str())) return EXPLORE_IMAGE_PROGRAM;
  if (DirUtil_IsTextFile(row.name.c_str())) return EXPLORE_IMAGE_TEXT;
  return (row.mode & DIRENTRY_EXECUTABLE) != 0 ? EXPLORE_IMAGE_EXECUTABLE : EXPLORE_IMAGE_FILE;
}

std::string Explore_ModeText(uint32_t mode) {
  std::string text;
  text += (mode & DIRENTRY_FOLDER) != 0 ? 'd' : '-';
  text += (mode & DIRENTRY_READABLE) != 0 ? 'r' : '-';
  text += (mode & DIRENTRY_WRITABLE) != 0 ? 'w' : '-';
  text += (mode & DIRENTRY_EXECUTABLE) != 0 ? 'x' : '-';
  return text;
}

std::string Explore_CellText(const ExploreRow& row, int column) {
  switch (column) {
    case EXPLORE_COLUMN_NAME: return row.name;
    case EXPLORE_COLUMN_SIZE:
      return row.IsFolder() ? std::string() : std::to_string(static_cast<unsigned long>(row.size));
    case EXPLORE_COLUMN_TIME: {
      if (row.time == 0) return {};
      const std::time_t t = static_cast<std::time_t>(row.time);
      std::tm local{};
      if (localtime_r(&t, &local) == nullptr) return {};
      char text[64];
      const size_t n = std::strftime(text, sizeof text, "%x %H:%M", &local);
      return std::string(text, n);
    }
    case EXPLORE_COLUMN_MODE: return Explore_ModeText(row.mode);
    case EXPLORE_COLUMN_OWNER: return row.owner;
    case EXPLORE_COLUMN_GROUP: return row.group;
    default: return {};
  }
}

std::vector<ExploreRow> Explore_FillRows(DirList& list, const std::function<bool(const std::string&)>& matches,
                                         int column) {
  std::vector<ExploreRow> rows;
  while (std::unique_ptr<DirEntry> entry = list.Next()) {
    ExploreRow row = Explore_RowFromEntry(*entry);
    if (row.IsFolder() || !matches || matches(row.name)) rows.push_back(std::move(row));
  }
  Explore_SortRows(rows, column);
  return rows;
}

void Explore_SortRows(std::vector<ExploreRow>& rows, int column) {
  auto key = [column](const ExploreRow& a, const ExploreRow& b) -> int {
    switch (column) {
      case EXPLORE_COLUMN_SIZE: return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
      case EXPLORE_COLUMN_TIME: return a.time < b.time ? -1 : (a.time > b.time ? 1 : 0);
      case EXPLORE_COLUMN_MODE: return a.mode < b.mode ? -1 : (a.mode > b.mode ? 1 : 0);
      case EXPLORE_COLUMN_OWNER: return CompareNoCase(a.owner, b.owner);
      case EXPLORE_COLUMN_GROUP: return CompareNoCase(a.group, b.group);
      default: return 0;
    }
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const ExploreRow& a, const ExploreRow& b) {
    if (a.IsFolder() != b.IsFolder()) return a.IsFolder();
    if (const int k = key(a, b); k != 0) return k < 0;
    if (const int n = CompareNoCase(a.name, b.name); n != 0) return n < 0;
    return a.name < b.name;
  });
}

// ------------------------------------------------------------ file-name field

std::vector<std::string> Explore_SplitNames(std::string_view field) {
  std::vector<std::string> names;
  std::string name;
  bool quoted = false;
  for (const char c : field) {
    if (c == '"') {
      quoted = !quoted;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
    } else {
      name.push_back(c);
    }
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

std::string Explore_ResolveName(const std::string& folder, const std::string& name) {
  if (DirUtil_IsAbsolute(name.c_str())) return name;
  // The root that ".." stops at, and the components below it.
  std::string root;
  std::string below;
  if (const char* on_server = DirUtil_SkipServerPrefix(folder.c_str())) {
    root = folder.substr(0, static_cast<size_t>(on_server - folder.c_str()));
    below = on_server;
  } else if (!folder.empty() && folder[0] == '/') {
    root = "/";
    below = folder.substr(1);
  } else {
    below = folder;
  }
  std::vector<std::string> parts;
  auto walk = [&parts](const std::string& text) {
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t end = text.find('/', pos);
      if (end == std::string::npos) end = text.size();
      const std::string part = text.substr(pos, end - pos);
      pos = end + 1;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
        continue;
      }
      parts.push_back(part);
    }
  };
  walk(below);
  walk(name);
  std::string path = root;
  for (const std::string& part : parts) {
    if (!path.empty() && path.back() != '/') path += '/';
    path += part;
  }
  return path;
}

std::vector<ExploreAction> Explore_DocAction(const ExploreActionInput& input) {
  const std::vector<std::string> names = input.names.empty() ? Explore_SplitNames(input.field) : input.names;
  if (names.empty()) return {};
  if (names.size() == 1) {
    const std::string& name = names[0];
    if (name == ".") return {};
    if (name == "..") return {{ExploreStep::up, {}, {}}};
    // A name ending in "/" names a folder, there or not: the tree goes to
    // it or says that it cannot. It is never a file to open, create or
    // save ("dir/" completed to "dir/.PROG").
    if (name.back() == '/') return {{ExploreStep::navigate, Explore_ResolveName(input.folder, name), {}}};
    if (name.find('/') == std::string::npos && input.is_subfolder && input.is_subfolder(name))
      return {{ExploreStep::navigate, Explore_ResolveName(input.folder, name), {}}};
    if (name.find('/') != std::string::npos && input.is_folder) {
      const std::string path = Explore_ResolveName(input.folder, name);
      if (input.is_folder(path)) return {{ExploreStep::navigate, path, {}}};
    }
  }
  auto exists = [&input](const std::string& path) { return input.file_exists && input.file_exists(path); };

  if (input.mode == ExploreMode::save_as) {
    if (names.size() > 1) return {{ExploreStep::refuse, {}, EXPLORE_SEVERAL_NAMES}};
    std::string path = Explore_ResolveName(input.folder, names[0]);
    // A program saved under a name without an extension is given ".PROG":
    // the Open window and the tools know a program file by it.
    const size_t last = path.rfind('/');
    if (input.binary_program && path.find('.', last == std::string::npos ? 0 : last + 1) == std::string::npos)
      DirUtil_AddProgExt(path);
    return {{ExploreStep::save, path, exists(path) ? path + EXPLORE_ASK_REPLACE : std::string()}};
  }

  std::vector<ExploreAction> steps;
  for (const std::string& name : names) {
    if (name.back() == '/') continue;  // a folder among several names opens nothing
    std::string path = Explore_ResolveName(input.folder, name);
    if (exists(path)) {
      steps.push_back({ExploreStep::open, path, {}});
      continue;
    }
    if (!input.default_extension.empty()) {
      const std::string ext =
          input.default_extension[0] == '.' ? input.default_extension : "." + input.default_extension;
      const bool has = path.size() >= ext.size() && CompareNoCase(path.substr(path.size() - ext.size()), ext) == 0;
      if (!has) path += ext;
    } else if (input.binary_program) {
      DirUtil_AddProgExt(path);
    }
    if (input.is_open && input.is_open(path))
      steps.push_back({ExploreStep::activate, path, {}});
    else if (exists(path))
      steps.push_back({ExploreStep::open, path, {}});
    else
      steps.push_back({ExploreStep::create, path, path + EXPLORE_ASK_CREATE});
  }
  return steps;
}
