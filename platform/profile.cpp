// The application profile on the registry store.
#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/registry.h"

namespace {

RegStore* store_of(const AppProfile* profile) { return profile->store ? profile->store : reg_default_store(); }

}  // namespace

void profile_init(AppProfile* profile, RegStore* store, const char* registry_key, const char* profile_name) {
  profile->store = store;
  profile->root = "Software\\";
  profile->root += registry_key ? registry_key : "";
  profile->root += "\\";
  profile->root += profile_name ? profile_name : "";
}

std::string profile_section_key(const AppProfile* profile, const char* section) {
  std::string key = profile->root;
  if (section && *section) {
    key += "\\";
    key += section;
  }
  return key;
}

std::string profile_get_string(AppProfile* profile, const char* section, const char* entry, const char* fallback) {
  std::string text;
  std::string key = profile_section_key(profile, section);
  if (entry == nullptr || reg_get_string(store_of(profile), REG_HIVE_USER, key.c_str(), entry, &text) != REG_OK)
    return fallback ? fallback : "";
  return text;
}

bool profile_write_string(AppProfile* profile, const char* section, const char* entry, const char* value) {
  std::string key = profile_section_key(profile, section);
  RegStore* store = store_of(profile);
  if (entry == nullptr) {
    int status = reg_delete_key(store, REG_HIVE_USER, key.c_str());
    return status == REG_OK || status == REG_NOT_FOUND;
  }
  if (value == nullptr) {
    int status = reg_delete_value(store, REG_HIVE_USER, key.c_str(), entry);
    return status == REG_OK || status == REG_NOT_FOUND;
  }
  return reg_set_string(store, REG_HIVE_USER, key.c_str(), entry, value) == REG_OK;
}

int profile_get_int(AppProfile* profile, const char* section, const char* entry, int fallback) {
  if (entry == nullptr) return fallback;
  std::string key = profile_section_key(profile, section);
  RegValueInfo value;
  if (reg_query_value(store_of(profile), REG_HIVE_USER, key.c_str(), entry, &value) != REG_OK) return fallback;
  if (uint32_t number; reg_dword_of(value.type, value.data, &number)) return static_cast<int>(number);
  if (value.type == REG_TYPE_SZ && !value.data.empty()) {
    const char* text = value.data.c_str();
    char* end = nullptr;
    errno = 0;
    long number = strtol(text, &end, 10);
    if (errno == 0 && end && *end == '\0' && number >= INT_MIN && number <= INT_MAX) return static_cast<int>(number);
  }
  return fallback;
}

bool profile_write_int(AppProfile* profile, const char* section, const char* entry, int value) {
  if (entry == nullptr) return false;
  std::string key = profile_section_key(profile, section);
  return reg_set_dword(store_of(profile), REG_HIVE_USER, key.c_str(), entry, static_cast<uint32_t>(value)) == REG_OK;
}

bool profile_get_binary(AppProfile* profile, const char* section, const char* entry, std::string* out) {
  if (entry == nullptr) return false;
  std::string key = profile_section_key(profile, section);
  return reg_get_binary(store_of(profile), REG_HIVE_USER, key.c_str(), entry, out) == REG_OK;
}

bool profile_write_binary(AppProfile* profile, const char* section, const char* entry, const void* data, size_t size) {
  if (entry == nullptr) return false;
  std::string key = profile_section_key(profile, section);
  return reg_set_binary(store_of(profile), REG_HIVE_USER, key.c_str(), entry, data, size) == REG_OK;
}

void profile_begin(AppProfile* profile) { reg_begin(store_of(profile), REG_HIVE_USER); }

bool profile_end(AppProfile* profile) { return reg_end(store_of(profile), REG_HIVE_USER) == REG_OK; }
