#include "workbench/shell/filenew.h"

#include "workbench/base/sysassert.h"

const FileNewMode FileNewModes[6] = {
    {1, "Varnica Compatible Program File"}, {2, "Varnica A.05.01 Program File"},
    {3, "Varnica A.06.00 Program File"},    {4, "Text File (CR-LF line separators)"},
    {5, "Text File (LF line separators)"},  {6, "Text File (CR line separators)"},
};

std::vector<FileNewItem> FileNew_MenuItems(int default_mode, const std::vector<std::string>& plugins) {
  int idx = 0;
  while (idx < 6 && FileNewModes[idx].mode != default_mode) ++idx;
  const char* found = idx < 6 ? FileNewModes[idx].name : nullptr;
  if (found == nullptr) SYS_ASSERT(!"FileNewModes[idx].name");
  std::vector<FileNewItem> items;
  int id = ID_FILE_NEW_FIRST;
  items.push_back({id++, FileNewModes[idx].mode, -1, FileNewModes[idx].name});
  items.push_back({0, 0, -1, ""});
  for (int i = 0; i < 6; ++i)
    if (i != idx) items.push_back({id++, FileNewModes[i].mode, -1, FileNewModes[i].name});
  if (!plugins.empty()) {
    items.push_back({0, 0, -1, ""});
    for (size_t p = 0; p < plugins.size() && id <= ID_FILE_NEW_LAST; ++p)
      items.push_back({id++, 0, static_cast<int>(p), plugins[p]});
  }
  return items;
}

std::string FileMru_MenuText(int number, const std::string& name) {
  std::string text = "&" + std::to_string(number) + " ";
  for (char c : name) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}
