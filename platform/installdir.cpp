// Installation-directory lookup.
#include "platform/installdir.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/registry.h"

namespace {

enum { INSTALL_CWD_MAX = 4096 };

int put_text(const std::string& text, char* buffer, size_t size) {
  if (buffer == nullptr || text.size() + 1 > size) return -1;
  memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

// The parent of the current directory, or empty when there is none: a
// directory without a separator, or one whose last separator is its first.
std::string parent_of_cwd() {
  char cwd[INSTALL_CWD_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return std::string();
  std::string dir = cwd;
  char sep = dir.find('/') != std::string::npos ? '/' : '\\';
  size_t first = dir.find(sep);
  size_t last = dir.rfind(sep);
  if (first == std::string::npos || first == last) return std::string();
  return dir.substr(0, last);
}

}  // namespace

int read_install_value(RegStore* store, const char* subkey, const char* name, char* buffer, size_t size) {
  if (store == nullptr) store = reg_default_store();
  std::string key = INSTALL_KEY;
  if (subkey != nullptr) {
    key += "\\";
    key += subkey;
  }
  for (RegHive hive : {REG_HIVE_USER, REG_HIVE_MACHINE}) {
    std::string text;
    if (reg_get_string(store, hive, key.c_str(), name, &text) != REG_OK) continue;
    int length = put_text(text, buffer, size);
    if (length >= 0) return length;
  }
  return -1;
}

int install_lookup_dir(RegStore* store, const char* name, char* buffer, size_t size, InstallFallback fallback) {
  if (name == nullptr || buffer == nullptr || size == 0) return -1;
  int length = read_install_value(store, INSTALL_DIRECTORIES, name, buffer, size);
  if (length >= 0) return length;
  std::string dir;
  std::string base(size, '\0');
  length = read_install_value(store, INSTALL_DIRECTORIES, "BaseDirectory", base.data(), size);
  if (length >= 0) {
    dir.assign(base.data(), static_cast<size_t>(length));
  } else if (fallback == INSTALL_PARENT_OF_CWD) {
    dir = parent_of_cwd();
    if (dir.empty()) return -1;
  } else {
    return -1;
  }
  dir += "/";
  dir += name;
  return put_text(dir, buffer, size);
}

namespace {

[[noreturn]] void base_missing() {
  fprintf(stderr, "%s\n%s\n", INSTALL_BASE_MISSING, INSTALL_BASE_MISSING_HINT);
  exit(2);
}

}  // namespace

int get_install_base_dir(char* buffer, size_t size) {
  int length = read_install_value(nullptr, INSTALL_DIRECTORIES, "BaseDirectory", buffer, size);
  if (length < 0) base_missing();
  return length;
}

int get_install_dir(const char* name, char* buffer, size_t size) {
  int length = read_install_value(nullptr, INSTALL_DIRECTORIES, name, buffer, size);
  if (length >= 0) return length;
  std::string base(size > 0 ? size : 1, '\0');
  length = get_install_base_dir(base.data(), base.size());
  std::string dir(base.data(), static_cast<size_t>(length));
  dir += "/";
  dir += name ? name : "";
  return put_text(dir, buffer, size);
}

const char* get_install_lib_dir() {
  static char buffer[1024];
  get_install_dir("lib", buffer, sizeof buffer);
  return buffer;
}
