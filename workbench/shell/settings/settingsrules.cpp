#include "workbench/shell/settings/settingsrules.h"

#include <strings.h>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/programs/yqapi.h"

namespace {

constexpr const char* kEnvironment = "Environment";
constexpr const char* kPasswords = "Passwords";

// Two names one profile entry would hold.
bool same_entry(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// No null record and no two names alike.
template <typename Record, typename Name>
bool names_clear(const std::vector<const Record*>& records, Name name_of) {
  std::vector<std::string> names;
  for (const Record* r : records) {
    if (r == nullptr) return false;
    if (Settings_NameTaken(names, name_of(*r), -1)) return false;
    names.push_back(name_of(*r));
  }
  return true;
}

}  // namespace

SettingsBox Settings_MissingEntry(const char* field) {
  return {"Missing Entry", std::string("An entry in the field named \"") + field + "\" is required."};
}

SettingsBox Settings_Unverified(const char* first_field, const char* second_field) {
  return {"Invalid Password", std::string("Your password could not be verified.\nPlease enter your password twice,\n"
                                          "first in the field named \"") +
                                  first_field + "\"\nand second in the field named \"" + second_field + "\"."};
}

bool Settings_NameTaken(const std::vector<std::string>& names, const std::string& name, int except) {
  for (size_t i = 0; i < names.size(); ++i)
    if (static_cast<int>(i) != except && same_entry(names[i], name)) return true;
  return false;
}

// ------------------------------------------------------------ Environment

std::vector<EnvINFO> Env_LoadList() {
  CfgProfileBatch batch;
  std::vector<EnvINFO> list;
  int total = Cfg_ListTotal(kEnvironment);
  for (int i = 0; i < total; ++i) {
    std::string entry = Cfg_ListGet(kEnvironment, i);
    if (entry.empty()) continue;
    list.push_back({Cfg_EntryName(entry.c_str()), Cfg_GetString(entry.c_str(), "Value")});
  }
  return list;
}

bool Env_SaveList(const std::vector<const EnvINFO*>& records) {
  if (!names_clear(records, [](const EnvINFO& e) { return e.Name; })) return false;
  CfgProfileBatch batch;
  Cfg_ListClear(kEnvironment);
  for (const EnvINFO* e : records) {
    std::string entry = Cfg_ListAppend(kEnvironment, e->Name.c_str());
    Cfg_PutString(entry.c_str(), "Value", e->Value.c_str());
  }
  return true;
}

std::optional<SettingsBox> Env_CheckEntry(const EnvINFO& entry, const std::vector<std::string>& names, int except) {
  if (entry.Name.empty()) return Settings_MissingEntry("Variable");
  if (Settings_NameTaken(names, entry.Name, except))
    return SettingsBox{"Duplicate Variable Name",
                       "Variable \"" + entry.Name + "\" is already in use.\nPlease choose a different variable name."};
  return std::nullopt;
}

// ------------------------------------------------------------ Passwords

std::vector<PasswdINFO> Passwd_LoadList() {
  CfgProfileBatch batch;
  std::vector<PasswdINFO> list;
  int total = Cfg_ListTotal(kPasswords);
  for (int i = 0; i < total; ++i) {
    std::string entry = Cfg_ListGet(kPasswords, i);
    if (entry.empty()) continue;
    list.push_back({Cfg_EntryName(entry.c_str()), Cfg_GetString(entry.c_str(), "PswdMD5")});
  }
  return list;
}

bool Passwd_SaveList(const std::vector<const PasswdINFO*>& records) {
  if (!names_clear(records, [](const PasswdINFO& p) { return p.Description; })) return false;
  CfgProfileBatch batch;
  Cfg_ListClear(kPasswords);
  for (const PasswdINFO* p : records) {
    std::string entry = Cfg_ListAppend(kPasswords, p->Description.c_str());
    Cfg_PutString(entry.c_str(), "PswdMD5", p->Digest.c_str());
  }
  return true;
}

std::string Passwd_Digest(const std::string& password) { return YqApi_PasswordDigest(password.c_str()); }

SettingsBox Passwd_DuplicateBox(const std::string& description) {
  return {"Duplicate Password Description",
          "The password titled \"" + description +
              "\" is already in use.\nPlease choose a different password description."};
}

std::optional<SettingsBox> Passwd_CheckEntry(const PasswdEntryFields& fields, const std::vector<std::string>& names,
                                             int except) {
  if (Settings_NameTaken(names, fields.description, except)) return Passwd_DuplicateBox(fields.description);
  if (fields.description.empty()) return Settings_MissingEntry("Description");
  if (fields.password.empty()) return Settings_MissingEntry("Password");
  if (fields.password != fields.confirm) return Settings_Unverified("Password", "Confirm Password");
  return std::nullopt;
}

std::string Passwd_EntryDigest(const std::string& stored_digest, const std::string& typed) {
  if (!stored_digest.empty() && typed == stored_digest) return stored_digest;
  return Passwd_Digest(typed);
}

PasswdAddResult Passwd_AddToList(const std::string& description, const std::string& digest) {
  if (description.empty()) return PasswdAddResult::Empty;
  CfgProfileBatch batch;
  std::string entry = Cfg_ListAppendUnique(kPasswords, description.c_str());
  if (entry.empty()) return PasswdAddResult::Duplicate;
  Cfg_PutString(entry.c_str(), "PswdMD5", digest.c_str());
  return PasswdAddResult::Added;
}

PasswdChangeResult Passwd_Change(std::string* digest, const std::string& old_password, const std::string& new_password,
                                 const std::string& confirm) {
  if (!digest->empty() && Passwd_Digest(old_password) != *digest) return PasswdChangeResult::WrongOld;
  if (new_password != confirm) return PasswdChangeResult::Unverified;
  *digest = new_password.empty() ? std::string() : Passwd_Digest(new_password);
  return PasswdChangeResult::Set;
}

SettingsBox Passwd_WrongOldBox() {
  return {"Invalid Password", "The password you entered in the field\nnamed \"Old Password\" is invalid."};
}
