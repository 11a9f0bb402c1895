// Lists kept in the application profile, and the three lists of the
// application that use the pattern directly: recent files, breakpoints and
// the explorer settings.
//
// A profile list in section S holds the integer "Total" and the values "1",
// "2", ... "Total", each an entry name. An entry's own values live in the
// sub-section S + "\" + name. Entries are numbered from 0 in the operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/base/settings/cfgrecent.h"

// ------------------------------------------------------------ profile lists

int Cfg_ListTotal(const char* section);
// Appends an entry and returns its sub-section.
std::string Cfg_ListAppend(const char* section, const char* name);
// Appends an entry that owns values of its own. Sub-sections are keys, and
// keys ignore case, so a name equal to a listed one but for case would share
// (and overwrite) its values: such a name is refused with an empty result.
std::string Cfg_ListAppendUnique(const char* section, const char* name);
// The sub-section of entry i (0 <= i < Total), else empty.
std::string Cfg_ListGet(const char* section, int i);
// The sub-section of the first entry named `name` (ignoring case), else empty.
std::string Cfg_ListFind(const char* section, const char* name);
// The text after the first "\" of a sub-section path, else empty.
std::string Cfg_EntryName(const char* path);
// Removes every entry, its sub-section and its value; Total becomes 0.
void Cfg_ListClear(const char* section);
// The entry names, in order; entries without a name are left out.
std::vector<std::string> Cfg_ListNames(const char* section);

// ------------------------------------------------------------ recent files

class CfgMruFiles {
 public:
  enum { DefaultMaximum = 4, MaximumLimit = 8 };

  // The files in the internal path form, the most recent first.
  CfgRecentList files{DefaultMaximum};

  // Adds a file as the most recent. False when it already is, or when the
  // list keeps no files (maximum 0).
  bool AddFile(const char* file_name);
  // File idx (0 the most recent); idx out of range is a failed check.
  const std::string& GetFile(int idx) const { return files.At(idx); }
  // File idx as the File menu shows it.
  std::string GetDisplayName(int idx) const;
  void Clear() { files.Clear(); }
  void Load();
  void Save();

  // How a display name is shortened to fit the File menu; the windowed
  // environment installs one that measures the main window's font.
  using Shortener = std::string (*)(const std::string& path);
  static void SetShortener(Shortener shortener);
};

// ------------------------------------------------------------ breakpoints

class CfgBreakpoints;

class CfgBreakpoint {
 public:
  // Copies the name and inserts the breakpoint at its sorted place.
  CfgBreakpoint(CfgBreakpoints* link, const char* new_file_name, uint16_t segment, uint16_t line);
  ~CfgBreakpoint();  // unlinks itself
  CfgBreakpoint(const CfgBreakpoint&) = delete;
  CfgBreakpoint& operator=(const CfgBreakpoint&) = delete;

  void SetTargetName(const char* text);
  // A label shown instead of the segment. A ";" in a label would be read
  // back as a separator, so it is stored as ",".
  void SetText(const char* text);
  bool HasTargetName() const { return has_target; }
  bool HasText() const { return has_text; }

  CfgBreakpoint* prev = nullptr;
  CfgBreakpoint* next = nullptr;
  CfgBreakpoints* anchor_link = nullptr;
  std::string FileName;
  std::string TargetName;
  std::string Text;
  uint16_t Segment = 0;
  uint16_t Line = 0;
  // Run to Cursor's breakpoint: sent to the target once, never stored in
  // the profile nor marked on its line.
  bool temporary = false;

  // The profile entry: FileName, ";", Text and ";" (when there is a text,
  // or when the name holds a ";"), then "0x<segment>,0x<line>".
  std::string EntryText() const;

 private:
  bool has_target = false;
  bool has_text = false;
};

class CfgBreakpoints {
 public:
  CfgBreakpoint* head = nullptr;
  CfgBreakpoint* tail = nullptr;
  int32_t num_items = 0;
  uint32_t changed = 0;
  uint32_t pending = 0;

  CfgBreakpoints() = default;
  ~CfgBreakpoints();
  CfgBreakpoints(const CfgBreakpoints&) = delete;
  CfgBreakpoints& operator=(const CfgBreakpoints&) = delete;

  void SetModified(bool flag);
  void Clear();
  void Load();
  void Save();
};

// ------------------------------------------------------------ explorer

class CfgExplore {
 public:
  std::string OpenDirectory;
  std::string SaveDirectory;
  int32_t TreeWidth = 192;
  uint32_t ListStyle = 1;
  int32_t FileFilter = 0;
  int32_t FileMode = 0;
  uint32_t modified = 0;

  void SetOpenDirectory(const char* path, bool path_is_file);
  // SaveDirectory, or the current directory in the internal form.
  std::string GetSaveDirectory() const;
  void SetSaveDirectory(const char* path, bool path_is_file);
  void SetTreeWidth(int32_t value);
  void SetListStyle(uint32_t value);
  void SetFileFilter(int32_t value);
  void SetFileMode(int32_t value);
  void Load();
  void Save();
};
