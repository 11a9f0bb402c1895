// The File menu's texts: the new-file kinds of File/New in their menu
// order, and the recent-file items.
#pragma once

#include <string>
#include <vector>

struct FileNewMode {
  int mode;
  const char* name;
};
extern const FileNewMode FileNewModes[6];

enum { ID_FILE_NEW_FIRST = 57696, ID_FILE_NEW_LAST = 57727, ID_FILE_MRU_FILE1 = 57616, ID_FILE_MRU_LAST = 57631 };

struct FileNewItem {
  int id;      // 0 for a separator
  int mode;    // new-file kind, or 0 for a plug-in item
  int plugin;  // index of the plug-in, or -1
  std::string text;
};

// The default kind with 57696 and a separator, the other kinds from 57697,
// then a separator and one item per plug-in. A default not in the table is
// a failed check.
std::vector<FileNewItem> FileNew_MenuItems(int default_mode, const std::vector<std::string>& plugins);

// "&<n> <name>" with every "&" of the name doubled.
std::string FileMru_MenuText(int number, const std::string& name);
