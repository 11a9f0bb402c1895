// System utilities: main window, directories, help settings, code pages.
#include "workbench/base/sysutil.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "language/charset.h"
#include "platform/installdir.h"
#include "platform/registry.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

enum { SYS_DIR_BUFFER = 1024 };

char g_dir_buffer[SYS_DIR_BUFFER];

struct Codepages {
  bool built = false;
  unsigned char roman_to_iso[256];
  unsigned char iso_to_roman[256];
};
Codepages g_codepages;

const char* in_buffer(int length) { return length >= 0 ? g_dir_buffer : nullptr; }

std::string install_key(const char* subkey) {
  std::string key = INSTALL_KEY;
  if (subkey) {
    key += "\\";
    key += subkey;
  }
  return key;
}

}  // namespace

void Sys_SetMainWindow(void* window) {
  void* hwndMain = Shell_OwnerWindow();
  SYS_ASSERT(!hwndMain);
  Shell_SetOwnerWindow(window);
}

void* Sys_GetMainWindow() { return Shell_OwnerWindow(); }

void Sys_ClearMainWindow() { Shell_SetOwnerWindow(nullptr); }

void Sys_SetDefaultAppName(const char* name) { Shell_SetAppName(name); }

const char* Sys_GetDefaultAppName() { return Shell_AppName(); }

int Sys_ShowWin32Error(unsigned long code, const char* text, const char* caption, unsigned style) {
  char head[32];
  snprintf(head, sizeof head, "[#%lu] ", code);
  std::string message = text ? text : "";
  message += "\n";
  message += head;
  message += strerror(static_cast<int>(code));
  return Shell_Sink().message_box(Shell_OwnerWindow(), caption ? caption : "", message.c_str(), style);
}

int Sys_RegQuery(const char* subkey, const char* name, char* buffer, size_t size) {
  return read_install_value(nullptr, subkey, name, buffer, size);
}

int Sys_RegSet(const char* subkey, const char* name, const char* text) {
  if (text == nullptr) return -1;
  RegStore* store = reg_default_store();
  std::string key = install_key(subkey);
  int status = reg_set_string(store, REG_HIVE_MACHINE, key.c_str(), name, text);
  if (status == REG_OK) {
    // A user copy exists only because an earlier write found the machine's
    // hive read-only. Reads take the user's hive first, so that copy would
    // hide this and every later machine write (the Help page's Apply would
    // succeed and change nothing): it goes.
    reg_delete_value(store, REG_HIVE_USER, key.c_str(), name);
  } else if (status == REG_ACCESS) {
    status = reg_set_string(store, REG_HIVE_USER, key.c_str(), name, text);
  }
  return status == REG_OK ? static_cast<int>(strlen(text)) : -1;
}

int Sys_GetBaseDirectory(char* buffer, size_t size) {
  return Sys_RegQuery(INSTALL_DIRECTORIES, "BaseDirectory", buffer, size);
}

int Sys_GetDirectory(const char* name, char* buffer, size_t size) {
  return install_lookup_dir(nullptr, name, buffer, size, INSTALL_PARENT_OF_CWD);
}

const char* Sys_GetLibDirectory() { return in_buffer(Sys_GetDirectory("lib", g_dir_buffer, sizeof g_dir_buffer)); }

const char* Sys_GetBinDirectory() { return in_buffer(Sys_GetDirectory("bin", g_dir_buffer, sizeof g_dir_buffer)); }

const char* Sys_GetEtcDirectory() { return in_buffer(Sys_GetDirectory("etc", g_dir_buffer, sizeof g_dir_buffer)); }

const char* Sys_GetHelpConfigFile() {
  int length = Sys_RegQuery("Manuals", "ConfigFile", g_dir_buffer, sizeof g_dir_buffer);
  if (length > 0) return g_dir_buffer;
  static const char file[] = "/yqhelp.cfg";
  length = Sys_GetDirectory("html", g_dir_buffer, sizeof g_dir_buffer);
  if (length < 0 || static_cast<size_t>(length) + sizeof file > sizeof g_dir_buffer) return nullptr;
  memcpy(g_dir_buffer + length, file, sizeof file);
  return g_dir_buffer;
}

const char* Sys_GetHelpUrl() { return in_buffer(Sys_RegQuery("Manuals", "URL", g_dir_buffer, sizeof g_dir_buffer)); }

void Sys_SetHelpConfigFile(const char* text) { Sys_RegSet("Manuals", "ConfigFile", text); }

void Sys_SetHelpUrl(const char* text) { Sys_RegSet("Manuals", "URL", text); }

void Sys_InitCodepages() {
  Codepages& cp = g_codepages;
  for (int code = 0; code < 256; ++code) {
    unsigned char same = code < 128 ? static_cast<unsigned char>(code) : ' ';
    cp.roman_to_iso[code] = same;
    cp.iso_to_roman[code] = same;
  }
  const uint8_t* language = charset_table(CHARSET_ROMAN8, CHARSET_ISO8859_1);
  for (int roman = 160; roman < 256; ++roman) {
    unsigned char iso = language[roman];
    cp.roman_to_iso[roman] = iso;
    if (iso >= 128) cp.iso_to_roman[iso] = static_cast<unsigned char>(roman);
  }
  cp.built = true;
}

const unsigned char* Sys_CodepageTable(int from, int to) {
  if (!g_codepages.built) Sys_InitCodepages();
  if (from == 0 && to == 1) return g_codepages.roman_to_iso;
  if (from == 1 && to == 0) return g_codepages.iso_to_roman;
  return nullptr;
}

int Sys_ConvertCodepage(int from, int to, void* buffer, size_t length) {
  if (from == to) return 0;
  const unsigned char* table = Sys_CodepageTable(from, to);
  if (table == nullptr) return -1;
  unsigned char* p = static_cast<unsigned char*>(buffer);
  for (size_t i = 0; i < length; ++i) p[i] = table[p[i]];
  return 0;
}
