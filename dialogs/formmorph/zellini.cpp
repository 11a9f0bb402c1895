#include "dialogs/formmorph/zellini.h"

#include <cstdio>
#include <cstring>

#include "dialogs/formmorph/fmtrace.h"
#include "platform/installdir.h"

namespace {

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool same_nocase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Reads one line of any length; false at the end of the file.
bool read_line(FILE* f, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    if (c == '\n') return true;
    line += static_cast<char>(c);
  }
  return !line.empty();
}

}  // namespace

std::string zell_ini_path() {
  char dir[1024];
  if (install_lookup_dir(nullptr, "etc", dir, sizeof dir, INSTALL_PARENT_OF_CWD) < 0) return std::string();
  return std::string(dir) + "/zell.ini";
}

std::string zell_ini_get(const std::string& path, const char* section, const char* key, const char* fallback) {
  FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "r");
  if (!f) {
    fm_trace(2, "No such section [%s]", section);
    return fallback ? fallback : "";
  }
  std::string line;
  bool in_section = false, section_seen = false;
  std::string value;
  bool found = false;
  while (!found && read_line(f, line)) {
    std::string t = trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    if (t[0] == '[') {
      size_t close = t.find(']');
      std::string name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      in_section = same_nocase(name, section);
      section_seen = section_seen || in_section;
      continue;
    }
    if (!in_section) continue;
    size_t eq = t.find('=');
    if (eq == std::string::npos || !same_nocase(trim(t.substr(0, eq)), key)) continue;
    value = t.substr(eq + 1);
    size_t cut = value.find_first_of(";#");
    if (cut != std::string::npos) value.erase(cut);
    value = trim(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    found = true;
  }
  std::fclose(f);
  if (!found) {
    if (section_seen)
      fm_trace(2, "No such key [%s]", key);
    else
      fm_trace(2, "No such section [%s]", section);
    return fallback ? fallback : "";
  }
  fm_trace(2, "[%s] %s = '%s'", section, key, value.c_str());
  return value;
}
