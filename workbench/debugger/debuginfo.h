// One debug session of the configuration: an entry of the profile list
// "Debug" named by its description, with the values below. The Debug page's
// list (CDebugList) holds one per row; the session dialog edits one.
#pragma once

#include <string>
#include <vector>

struct DebugINFO {
  std::string Description;         // the entry's name, unique among the sessions
  std::string Command;             // "Command"
  std::string Environment;         // "Environment": NAME=value words
  std::string StartDirectory;      // "StartDirectory"
  std::string TtyDevice;           // "TtyDevice"
  int ServerIndex = 0;             // "ServerIndex": 0 the local system, else 1 + the server's list index
  bool AppendCurrentFile = false;  // "AppendCurrentFile"
  bool HideLocalZazoVADI = true;   // "HideLocalZazoVADI": no console window for the local run-time
};

// Reads the entries of the profile list "Debug" in list order.
std::vector<DebugINFO> DebugInfo_Load();
// Rewrites the profile list "Debug" with `sessions` in order, in one batch.
// False, with the stored list left as it was, when a description is empty
// or used twice (entries are keys, which ignore case).
bool DebugInfo_Save(const std::vector<const DebugINFO*>& sessions);

// The items of the session dialog's server combo: "Local System", then one
// per entry of the profile list "Server": its name, " (", its "Title", ")".
std::vector<std::string> DebugInfo_ServerItems();
