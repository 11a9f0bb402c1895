#include "workbench/debugger/debuginfo.h"

#include <cctype>
#include <set>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"

namespace {

const char* const kDebugList = "Debug";

// Profile keys ignore case (ASCII).
std::string key_form(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

std::vector<DebugINFO> DebugInfo_Load() {
  CfgProfileBatch batch;
  std::vector<DebugINFO> sessions;
  const int total = Cfg_ListTotal(kDebugList);
  for (int i = 0; i < total; ++i) {
    const std::string entry = Cfg_ListGet(kDebugList, i);
    if (entry.empty()) continue;
    DebugINFO info;
    info.Description = Cfg_EntryName(entry.c_str());
    info.Command = Cfg_GetString(entry.c_str(), "Command");
    info.Environment = Cfg_GetString(entry.c_str(), "Environment");
    info.StartDirectory = Cfg_GetString(entry.c_str(), "StartDirectory");
    info.TtyDevice = Cfg_GetString(entry.c_str(), "TtyDevice");
    int32_t server = 0;
    if (Cfg_GetInt(entry.c_str(), "ServerIndex", &server)) info.ServerIndex = server;
    Cfg_GetBool(entry.c_str(), "AppendCurrentFile", &info.AppendCurrentFile);
    Cfg_GetBool(entry.c_str(), "HideLocalZazoVADI", &info.HideLocalZazoVADI);
    sessions.push_back(std::move(info));
  }
  return sessions;
}

bool DebugInfo_Save(const std::vector<const DebugINFO*>& sessions) {
  // Everything is checked before the old list goes.
  std::set<std::string> names;
  for (const DebugINFO* info : sessions) {
    if (!info || info->Description.empty()) return false;
    if (!names.insert(key_form(info->Description)).second) return false;
  }
  CfgProfileBatch batch;
  Cfg_ListClear(kDebugList);
  for (const DebugINFO* info : sessions) {
    const std::string entry = Cfg_ListAppendUnique(kDebugList, info->Description.c_str());
    if (entry.empty()) return false;
    Cfg_PutString(entry.c_str(), "Command", info->Command.c_str());
    Cfg_PutString(entry.c_str(), "Environment", info->Environment.c_str());
    Cfg_PutString(entry.c_str(), "StartDirectory", info->StartDirectory.c_str());
    Cfg_PutString(entry.c_str(), "TtyDevice", info->TtyDevice.c_str());
    Cfg_PutInt(entry.c_str(), "ServerIndex", info->ServerIndex);
    Cfg_PutBool(entry.c_str(), "AppendCurrentFile", info->AppendCurrentFile);
    Cfg_PutBool(entry.c_str(), "HideLocalZazoVADI", info->HideLocalZazoVADI);
  }
  return true;
}

std::vector<std::string> DebugInfo_ServerItems() {
  CfgProfileBatch batch;
  std::vector<std::string> items = {"Local System"};
  const int total = Cfg_ListTotal("Server");
  for (int i = 0; i < total; ++i) {
    const std::string entry = Cfg_ListGet("Server", i);
    if (entry.empty()) continue;
    items.push_back(Cfg_EntryName(entry.c_str()) + " (" + Cfg_GetString(entry.c_str(), "Title") + ")");
  }
  return items;
}
