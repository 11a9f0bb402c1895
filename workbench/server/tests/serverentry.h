// Test helper: a program server (a stand-in) entered in the environment's
// server list, logging on as alice with the password "secret".
#pragma once

#include <string>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/shell/pswdcrypt.h"

// Enters `host` at `service` and returns its entry.
inline std::string Test_ListServer(const std::string& host, const std::string& service) {
  std::string entry = Cfg_ListAppendUnique("Server", host.c_str());
  Cfg_PutString(entry.c_str(), "Service", service.c_str());
  Cfg_PutString(entry.c_str(), "Login", "alice");
  Cfg_PutString(entry.c_str(), "SecurePswd", EncryptString("secret", host.c_str()).c_str());
  return entry;
}
