// The application profile: sections of texts and integers under the
// application's key of the current user's hive,
// "Software\<registry key>\<profile name>\<section>". A section name with
// "\" is a sub-key. This is what the environment's settings are kept in.
#pragma once

#include <string>

struct RegStore;

struct AppProfile {
  RegStore* store = nullptr;  // null: the process's default store
  std::string root;           // key of the application, below the hive
};

// Sets the application's key: "Software\<registry_key>\<profile_name>".
void profile_init(AppProfile* profile, RegStore* store, const char* registry_key, const char* profile_name);

// The text of a value, or `fallback` (null: empty) when it is missing or not
// a text.
std::string profile_get_string(AppProfile* profile, const char* section, const char* entry, const char* fallback);
// Writes a text. A null entry deletes the whole section (with its
// sub-sections); a null value deletes the entry. False when the store
// refused.
bool profile_write_string(AppProfile* profile, const char* section, const char* entry, const char* value);
// An integer value (a dword, or a text of a decimal number), else `fallback`.
int profile_get_int(AppProfile* profile, const char* section, const char* entry, int fallback);
bool profile_write_int(AppProfile* profile, const char* section, const char* entry, int value);
// Raw bytes; false when missing.
bool profile_get_binary(AppProfile* profile, const char* section, const char* entry, std::string* out);
bool profile_write_binary(AppProfile* profile, const char* section, const char* entry, const void* data, size_t size);

// A batch over the profile: the hive is locked and read once and written
// once at the end. Batches nest.
void profile_begin(AppProfile* profile);
bool profile_end(AppProfile* profile);

// The full key of a section below the hive.
std::string profile_section_key(const AppProfile* profile, const char* section);
