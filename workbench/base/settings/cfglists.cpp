// Profile lists, recent files, breakpoints and explorer settings.
#include "workbench/base/settings/cfglists.h"

#include <cstdio>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "platform/dirpath.h"
#include "workbench/base/settings/cfgchain.h"
#include "workbench/base/settings/cfgfields.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"

namespace {

std::string number_key(int n) { return std::to_string(n); }

std::string sub_section(const char* section, const std::string& name) { return std::string(section) + "\\" + name; }

// A path in the normal form of the file access layer.
std::string internal_path(const char* path) {
  std::string text = path ? path : "";
  DirUtil_NormalizePath(text);
  return text;
}

// The directory part of a file path.
std::string directory_of(const char* path) { return DirUtil_GetDir(internal_path(path)); }

}  // namespace

// ------------------------------------------------------------ profile lists

int Cfg_ListTotal(const char* section) { return Cfg_GetInt(section, "Total"); }

std::string Cfg_ListAppend(const char* section, const char* name) {
  SYS_ASSERT(name);
  CfgProfileBatch batch;
  int n = Cfg_ListTotal(section) + 1;
  Cfg_PutString(section, number_key(n).c_str(), name);
  Cfg_PutInt(section, "Total", n);
  return sub_section(section, name);
}

std::string Cfg_ListAppendUnique(const char* section, const char* name) {
  SYS_ASSERT(name);
  CfgProfileBatch batch;
  if (!Cfg_ListFind(section, name).empty()) return std::string();
  return Cfg_ListAppend(section, name);
}

std::string Cfg_ListGet(const char* section, int i) {
  if (i < 0 || i >= Cfg_ListTotal(section)) return std::string();
  return sub_section(section, Cfg_GetString(section, number_key(i + 1).c_str()));
}

std::string Cfg_ListFind(const char* section, const char* name) {
  if (name == nullptr) return std::string();
  int total = Cfg_ListTotal(section);
  for (int n = 1; n <= total; ++n) {
    std::string entry = Cfg_GetString(section, number_key(n).c_str());
    if (strcasecmp(entry.c_str(), name) == 0) return sub_section(section, entry);
  }
  return std::string();
}

std::string Cfg_EntryName(const char* path) {
  const char* slash = path ? strchr(path, '\\') : nullptr;
  return slash ? std::string(slash + 1) : std::string();
}

void Cfg_ListClear(const char* section) {
  CfgProfileBatch batch;
  int total = Cfg_ListTotal(section);
  for (int n = 1; n <= total; ++n) {
    std::string key = number_key(n);
    std::string entry = Cfg_GetString(section, key.c_str());
    if (!entry.empty()) Cfg_DeleteSection(sub_section(section, entry).c_str());
    Cfg_DeleteValue(section, key.c_str());
  }
  Cfg_PutInt(section, "Total", 0);
}

std::vector<std::string> Cfg_ListNames(const char* section) {
  std::vector<std::string> names;
  int total = Cfg_ListTotal(section);
  for (int i = 0; i < total; ++i) {
    std::string name = Cfg_EntryName(Cfg_ListGet(section, i).c_str());
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// ------------------------------------------------------------ recent files

namespace {

const char* const kRecentFiles = "Recent File List";

std::string shorten_default(const std::string& path) {
  const size_t limit = 40;
  if (path.size() <= limit) return path;
  size_t last = path.rfind('/');
  std::string name = last == std::string::npos ? path : path.substr(last + 1);
  size_t second = path.find('/', 1);
  if (second != std::string::npos && second < last) {
    std::string shortened = path.substr(0, second) + "/..." + "/" + name;
    if (shortened.size() <= limit) return shortened;
  }
  return "..." + path.substr(path.size() - (limit - 3));
}

CfgMruFiles::Shortener g_shortener = shorten_default;

}  // namespace

bool CfgMruFiles::AddFile(const char* file_name) {
  SYS_ASSERT(file_name);
  return files.Add(internal_path(file_name));
}

std::string CfgMruFiles::GetDisplayName(int idx) const { return g_shortener(files.At(idx)); }

void CfgMruFiles::SetShortener(Shortener shortener) { g_shortener = shortener ? shortener : shorten_default; }

void CfgMruFiles::Load() {
  CfgProfileBatch batch;
  Cfg_GetInt(kRecentFiles, "FileCount", &files.maximum);
  if (files.maximum > MaximumLimit) files.maximum = MaximumLimit;
  files.Clear();
  for (const std::string& name : Cfg_ListNames(kRecentFiles)) files.Add(internal_path(name.c_str()), true);
  files.changed = 0;
}

void CfgMruFiles::Save() {
  if (!files.changed) return;
  CfgProfileBatch batch;
  files.Save(kRecentFiles);
  Cfg_PutInt(kRecentFiles, "FileCount", files.maximum);
}

// ------------------------------------------------------------ breakpoints

namespace {

const char* const kBreakpoints = "Breakpoints";

// True when `a` sorts before `b`: by file name (byte-wise), segment, line.
bool sorts_before(const CfgBreakpoint* a, const CfgBreakpoint* b) {
  int c = strcmp(a->FileName.c_str(), b->FileName.c_str());
  if (c != 0) return c < 0;
  if (a->Segment != b->Segment) return a->Segment < b->Segment;
  return a->Line < b->Line;
}

}  // namespace

CfgBreakpoint::CfgBreakpoint(CfgBreakpoints* link, const char* new_file_name, uint16_t segment, uint16_t line)
    : Segment(segment), Line(line) {
  SYS_ASSERT(link);
  SYS_ASSERT(new_file_name);
  FileName = new_file_name;
  anchor_link = link;
  CfgBreakpoint* after = link->tail;
  while (after && !sorts_before(after, this)) after = after->prev;
  cfg_chain_insert_after(link, after, this);
}

CfgBreakpoint::~CfgBreakpoint() {
  if (!anchor_link) return;
  cfg_chain_unlink(anchor_link, this);
  anchor_link = nullptr;
}

void CfgBreakpoint::SetTargetName(const char* text) {
  has_target = text != nullptr;
  TargetName = text ? text : "";
}

void CfgBreakpoint::SetText(const char* text) {
  has_text = text != nullptr;
  Text = text ? text : "";
  for (char& c : Text)
    if (c == ';') c = ',';
}

std::string CfgBreakpoint::EntryText() const {
  std::string entry = FileName;
  if (has_text || FileName.find(';') != std::string::npos) {
    entry += ";";
    entry += Text;
  }
  uint32_t numbers[2] = {Segment, Line};
  entry += ";";
  entry += Cfg_FormatHexList(numbers, 2);
  return entry;
}

CfgBreakpoints::~CfgBreakpoints() {
  while (head) delete head;
}

void CfgBreakpoints::SetModified(bool flag) {
  if (flag) {
    changed = 1;
    pending = 1;
  } else {
    changed = 0;
  }
}

void CfgBreakpoints::Clear() {
  while (head) delete head;
  SYS_ASSERT(num_items == 0);
  changed = 0;
}

void CfgBreakpoints::Load() {
  CfgProfileBatch batch;
  Clear();
  for (const std::string& name : Cfg_ListNames(kBreakpoints)) {
    size_t semi = name.rfind(';');
    if (semi == std::string::npos) continue;
    std::string left = name.substr(0, semi);
    std::string text;
    size_t split = left.rfind(';');
    if (split != std::string::npos) {
      text = left.substr(split + 1);
      left.erase(split);
    }
    uint32_t numbers[2];
    if (!Cfg_ParseHexList(name.c_str() + semi + 1, numbers, 2)) continue;
    if (numbers[0] > 0xFFFF || numbers[1] > 0xFFFF) continue;
    CfgBreakpoint* bp =
        new CfgBreakpoint(this, left.c_str(), static_cast<uint16_t>(numbers[0]), static_cast<uint16_t>(numbers[1]));
    if (!text.empty()) bp->SetText(text.c_str());
  }
  changed = 0;
}

void CfgBreakpoints::Save() {
  if (!changed) return;
  CfgProfileBatch batch;
  Cfg_ListClear(kBreakpoints);
  for (CfgBreakpoint* bp = head; bp; bp = bp->next)
    if (!bp->temporary) Cfg_ListAppend(kBreakpoints, bp->EntryText().c_str());
  changed = 0;
}

// ------------------------------------------------------------ explorer

namespace {

const char* const kExplore = "Explore";

}  // namespace

void CfgExplore::SetOpenDirectory(const char* path, bool path_is_file) {
  std::string dir = path_is_file ? directory_of(path) : std::string(path ? path : "");
  if (dir != OpenDirectory) {
    OpenDirectory = dir;
    modified = 1;
  }
}

std::string CfgExplore::GetSaveDirectory() const {
  if (!SaveDirectory.empty()) return SaveDirectory;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return std::string();
  return internal_path(cwd);
}

void CfgExplore::SetSaveDirectory(const char* path, bool path_is_file) {
  std::string dir = path_is_file ? directory_of(path) : std::string(path ? path : "");
  if (dir != GetSaveDirectory()) {
    SaveDirectory = dir;
    modified = 1;
  }
}

void CfgExplore::SetTreeWidth(int32_t value) {
  if (value != TreeWidth) {
    TreeWidth = value;
    modified = 1;
  }
}

void CfgExplore::SetListStyle(uint32_t value) {
  if (value != ListStyle) {
    ListStyle = value;
    modified = 1;
  }
}

void CfgExplore::SetFileFilter(int32_t value) {
  if (value != FileFilter) {
    FileFilter = value;
    modified = 1;
  }
}

void CfgExplore::SetFileMode(int32_t value) {
  if (value != FileMode) {
    FileMode = value;
    modified = 1;
  }
}

namespace {

const CfgField<CfgExplore> kExploreFields[] = {
    cfg_path("OpenDirectory", &CfgExplore::OpenDirectory), cfg_path("SaveDirectory", &CfgExplore::SaveDirectory),
    cfg_int("TreeWidth", &CfgExplore::TreeWidth),          cfg_hex("ListStyle", &CfgExplore::ListStyle),
    cfg_int("FileFilter", &CfgExplore::FileFilter),        cfg_int("FileMode", &CfgExplore::FileMode),
};

}  // namespace

void CfgExplore::Load() {
  CfgProfileBatch batch;
  cfg_load_fields(kExplore, this, kExploreFields);
  modified = 0;
}

void CfgExplore::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  cfg_save_fields(kExplore, *this, kExploreFields);
  modified = 0;
}
