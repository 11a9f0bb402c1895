// The File menu's texts: the new-file kinds of File/New in their menu
// order, and the recent-file items.
#pragma once

#include <string>
#include <vector>

#include "workbench/framework/fwcommandids.h"

struct FileNewMode {
  int mode;
  const char* name;
};
extern const FileNewMode FileNewModes[6];

struct FileNewItem {
  int id;      // 0 for a separator
  int mode;    // new-file kind, or 0 for a plug-in item
  int plugin;  // index of the plug-in, or -1
  std::string text;
};

// The default kind with ID_FILE_NEW_FIRST and a separator, the other kinds after it,
// then a separator and one item per plug-in. A default not in the table is
// a failed check.
std::vector<FileNewItem> FileNew_MenuItems(int default_mode, const std::vector<std::string>& plugins);

// "&<n> <name>" with every "&" of the name doubled.
std::string FileMru_MenuText(int number, const std::string& name);
