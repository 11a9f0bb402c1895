// The rules of the settings lists and program passwords, without windows:
// the records of the "Environment" and "Passwords" lists, how they load and
// save, the checks an entry dialog's OK passes through, and the digests of
// program passwords.
//
// Entry names of profile lists are keys of their own, and keys ignore case:
// two names differing only in case would share one entry. Every duplicate
// check therefore ignores case, and a list is saved in one batch only after
// its names passed, so a refused or failed save leaves the stored list.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One variable of the "Environment" list.
struct EnvINFO {
  std::string Name;
  std::string Value;
};

// One known program password: its description and the digest text.
struct PasswdINFO {
  std::string Description;
  std::string Digest;
};

// A box to show: caption and text.
struct SettingsBox {
  std::string caption;
  std::string text;
};

// "An entry in the field named "<field>" is required." in "Missing Entry".
SettingsBox Settings_MissingEntry(const char* field);
// The box of two passwords that differ; the field names differ between the
// server and password pages ("Password"/"Confirm Password") and the change
// dialog ("New Password"/"Confirm New Password").
SettingsBox Settings_Unverified(const char* first_field, const char* second_field);
// True when `name` equals one of `names` but for case, the entry at
// `except` (the one being edited, or -1) left out.
bool Settings_NameTaken(const std::vector<std::string>& names, const std::string& name, int except);

// The list "Environment": entry names with their "Value".
std::vector<EnvINFO> Env_LoadList();
// Rewrites the list from the records, in order, in one batch. False (and
// nothing written) when a record is null or two names clash.
bool Env_SaveList(const std::vector<const EnvINFO*>& records);
// The check of the Environment page's dialog: the name is required and must
// not be taken by another entry.
std::optional<SettingsBox> Env_CheckEntry(const EnvINFO& entry, const std::vector<std::string>& names, int except);

// The list "Passwords": entry names with their "PswdMD5".
std::vector<PasswdINFO> Passwd_LoadList();
bool Passwd_SaveList(const std::vector<const PasswdINFO*>& records);

// The digest text of a password: the MD5 digest in lower-case hex.
std::string Passwd_Digest(const std::string& password);

// The Passwords page's dialog: description and password are required, the
// password must equal its confirmation, and the description must not be
// taken. The dialog opens on an entry with the stored digest in both
// password fields; the digest changes only when the text was changed.
struct PasswdEntryFields {
  std::string description;
  std::string password;
  std::string confirm;
};
std::optional<SettingsBox> Passwd_CheckEntry(const PasswdEntryFields& fields, const std::vector<std::string>& names,
                                             int except);
std::string Passwd_EntryDigest(const std::string& stored_digest, const std::string& typed);

// Adding a program's password to the list under a description.
enum class PasswdAddResult { Added, Duplicate, Empty };
PasswdAddResult Passwd_AddToList(const std::string& description, const std::string& digest);
SettingsBox Passwd_DuplicateBox(const std::string& description);

// Setting or changing a program's password. With an old digest the old
// password must match it; the new password must equal its confirmation;
// two empty fields remove the protection (the digest is emptied).
enum class PasswdChangeResult { Set, WrongOld, Unverified };
PasswdChangeResult Passwd_Change(std::string* digest, const std::string& old_password, const std::string& new_password,
                                 const std::string& confirm);
SettingsBox Passwd_WrongOldBox();
