// Typed accessors of the application profile and their text forms.
#include "workbench/base/settings/cfgprofile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/profile.h"
#include "platform/registry.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

namespace {

using WINDOWPLACEMENT = CfgPlacement;

AppProfile* g_profile = nullptr;

AppProfile& default_profile() {
  static AppProfile profile;
  static bool ready = false;
  if (!ready) {
    profile_init(&profile, nullptr, "Orvantis", "QX Varnica Development Environment");
    ready = true;
  }
  return profile;
}

// A setting that could not be written is logged; the settings interface has
// no way to hand the failure back.
void report_write(bool ok) {
  if (ok) return;
  AppProfile* profile = Cfg_Profile();
  RegStore* store = profile->store ? profile->store : reg_default_store();
  std::string line = "*** Settings could not be saved: ";
  line += reg_last_error(store);
  Diag_WriteLog(line.c_str());
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

AppProfile* Cfg_Profile() { return g_profile ? g_profile : &default_profile(); }

void Cfg_SetProfile(AppProfile* profile) { g_profile = profile; }

CfgProfileBatch::CfgProfileBatch() { profile_begin(Cfg_Profile()); }

CfgProfileBatch::~CfgProfileBatch() { report_write(profile_end(Cfg_Profile())); }

// ------------------------------------------------------------ strings, ints

std::string Cfg_GetString(const char* section, const char* key, std::string* out) {
  std::string text = profile_get_string(Cfg_Profile(), section, key, "");
  if (out && !text.empty()) *out = text;
  return text;
}

void Cfg_PutString(const char* section, const char* key, const char* value) {
  SYS_ASSERT(key);
  report_write(profile_write_string(Cfg_Profile(), section, key, value ? value : ""));
}

void Cfg_DeleteValue(const char* section, const char* key) {
  SYS_ASSERT(key);
  report_write(profile_write_string(Cfg_Profile(), section, key, nullptr));
}

void Cfg_DeleteSection(const char* section) {
  SYS_ASSERT(section);
  report_write(profile_write_string(Cfg_Profile(), section, nullptr, nullptr));
}

int Cfg_GetInt(const char* section, const char* key) { return profile_get_int(Cfg_Profile(), section, key, 0); }

int Cfg_GetInt(const char* section, const char* key, int32_t* out) {
  SYS_ASSERT(out);
  int value = profile_get_int(Cfg_Profile(), section, key, -1);
  if (value < 0) return 0;
  *out = value;
  return value;
}

int Cfg_GetInt(const char* section, const char* key, uint32_t* out) {
  SYS_ASSERT(out);
  int value = profile_get_int(Cfg_Profile(), section, key, -1);
  if (value < 0) return 0;
  *out = static_cast<uint32_t>(value);
  return value;
}

int Cfg_GetInt(const char* section, const char* key, uint16_t* out) {
  SYS_ASSERT(out);
  int value = profile_get_int(Cfg_Profile(), section, key, -1);
  if (value < 0) return 0;
  *out = static_cast<uint16_t>(value);
  return value;
}

void Cfg_PutInt(const char* section, const char* key, int value) {
  SYS_ASSERT(key);
  report_write(profile_write_int(Cfg_Profile(), section, key, value));
}

// ------------------------------------------------------------ booleans

bool Cfg_ParseBool(const char* text, bool* out) {
  if (text == nullptr) return false;
  while (is_blank(*text)) ++text;
  const char* end = strchr(text, ',');
  if (!end) end = text + strlen(text);
  while (end > text && is_blank(end[-1])) --end;
  std::string word(text, end);
  if (strcasecmp(word.c_str(), "True") == 0 || strcasecmp(word.c_str(), "On") == 0) {
    *out = true;
    return true;
  }
  if (strcasecmp(word.c_str(), "False") == 0 || strcasecmp(word.c_str(), "Off") == 0) {
    *out = false;
    return true;
  }
  return false;
}

bool Cfg_GetBool(const char* section, const char* key, bool* out) {
  SYS_ASSERT(out);
  std::string text = Cfg_GetString(section, key);
  return Cfg_ParseBool(text.c_str(), out);
}

bool Cfg_GetFlag(const char* section, const char* key, uint32_t* flags, uint32_t bit) {
  SYS_ASSERT(flags);
  bool on = false;
  if (!Cfg_GetBool(section, key, &on)) return false;
  if (on)
    *flags |= bit;
  else
    *flags &= ~bit;
  return true;
}

void Cfg_PutBool(const char* section, const char* key, bool value) {
  Cfg_PutString(section, key, value ? "True" : "False");
}

void Cfg_PutOnOff(const char* section, const char* key, bool value) {
  Cfg_PutString(section, key, value ? "On" : "Off");
}

// ------------------------------------------------------------ colours

bool Cfg_ParseColor(const char* text, CfgColor* out) {
  if (text == nullptr || *text == '\0') return false;
  const char* first = strchr(text, ',');
  if (!first) return false;
  const char* second = strchr(first + 1, ',');
  if (!second) return false;
  unsigned red = static_cast<unsigned>(atoi(text));
  unsigned green = static_cast<unsigned>(atoi(first + 1));
  unsigned blue = static_cast<unsigned>(atoi(second + 1));
  *out = Cfg_RGB(red, green, blue);
  return true;
}

bool Cfg_GetColor(const char* section, const char* key, CfgColor* out) {
  SYS_ASSERT(out);
  std::string text = Cfg_GetString(section, key);
  return Cfg_ParseColor(text.c_str(), out);
}

void Cfg_PutColor(const char* section, const char* key, CfgColor color) {
  char text[48];
  snprintf(text, sizeof text, "%u,%u,%u", Cfg_Red(color), Cfg_Green(color), Cfg_Blue(color));
  Cfg_PutString(section, key, text);
}

// ------------------------------------------------------------ enumerations

const char* Cfg_EnumName(const CfgEnumEntry* table, int value) {
  SYS_ASSERT(table);
  for (const CfgEnumEntry* e = table; e->value != -1; ++e)
    if (e->value == value) return e->name;
  return nullptr;
}

bool Cfg_GetEnum(const char* section, const char* key, const CfgEnumEntry* table, int* out) {
  SYS_ASSERT(table);
  SYS_ASSERT(out);
  std::string text = Cfg_GetString(section, key);
  if (text.empty()) return false;
  for (const CfgEnumEntry* e = table; e->value != -1; ++e) {
    if (strcasecmp(e->name, text.c_str()) == 0) {
      *out = e->value;
      return true;
    }
  }
  *out = table[0].value != -1 ? table[0].value : 0;
  return true;
}

void Cfg_PutEnum(const char* section, const char* key, const CfgEnumEntry* table, int value) {
  SYS_ASSERT(table);
  const char* name = Cfg_EnumName(table, value);
  SYS_ASSERT(name);
  Cfg_PutString(section, key, name);
}

// ------------------------------------------------------------ number lists

bool Cfg_ParseHexList(const char* text, uint32_t* out, size_t count) {
  if (text == nullptr || count == 0) return false;
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  const char* p = lower.c_str();
  if (*p == '\0') return false;
  size_t n = 0;
  uint32_t values[16];
  if (count > 16) return false;
  for (;;) {
    while (is_blank(*p)) ++p;
    if (p[0] == '0' && p[1] == 'x') p += 2;
    int digits = 0;
    uint64_t value = 0;
    while (isxdigit(static_cast<unsigned char>(*p))) {
      if (++digits > 16) return false;
      int d = isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : *p - 'a' + 10;
      value = (value << 4) | static_cast<uint64_t>(d);
      ++p;
    }
    if (digits == 0) return false;
    while (is_blank(*p)) ++p;
    if (n >= count) return false;
    values[n++] = static_cast<uint32_t>(value & 0xFFFFFFFFu);
    if (*p == ',') {
      ++p;
      while (is_blank(*p)) ++p;
      if (*p == '\0') break;
      continue;
    }
    if (*p != '\0') return false;
    break;
  }
  if (n != count) return false;
  memcpy(out, values, count * sizeof(uint32_t));
  return true;
}

std::string Cfg_FormatHexList(const uint32_t* values, size_t count) {
  std::string text;
  char number[24];
  for (size_t i = 0; i < count; ++i) {
    snprintf(number, sizeof number, "0x%lx", static_cast<unsigned long>(values[i]));
    if (i) text += ",";
    text += number;
  }
  return text;
}

bool Cfg_GetHex(const char* section, const char* key, uint32_t* out) {
  SYS_ASSERT(out);
  std::string text = Cfg_GetString(section, key);
  return Cfg_ParseHexList(text.c_str(), out, 1);
}

void Cfg_PutHex(const char* section, const char* key, uint32_t value) {
  Cfg_PutString(section, key, Cfg_FormatHexList(&value, 1).c_str());
}

bool Cfg_GetPair(const char* section, const char* key, int32_t* first, int32_t* second) {
  SYS_ASSERT(first);
  SYS_ASSERT(second);
  uint32_t values[2];
  std::string text = Cfg_GetString(section, key);
  if (!Cfg_ParseHexList(text.c_str(), values, 2)) return false;
  *first = static_cast<int32_t>(values[0]);
  *second = static_cast<int32_t>(values[1]);
  return true;
}

void Cfg_PutPair(const char* section, const char* key, int32_t first, int32_t second) {
  uint32_t values[2] = {static_cast<uint32_t>(first), static_cast<uint32_t>(second)};
  Cfg_PutString(section, key, Cfg_FormatHexList(values, 2).c_str());
}

bool Cfg_GetPlacement(const char* section, const char* key, CfgPlacement* out) {
  SYS_ASSERT(out);
  uint32_t v[10];
  std::string text = Cfg_GetString(section, key);
  if (!Cfg_ParseHexList(text.c_str(), v, 10)) return false;
  out->length = sizeof(WINDOWPLACEMENT);
  out->flags = v[0];
  out->showCmd = v[1];
  out->ptMinPosition = {static_cast<int32_t>(v[2]), static_cast<int32_t>(v[3])};
  out->ptMaxPosition = {static_cast<int32_t>(v[4]), static_cast<int32_t>(v[5])};
  out->rcNormalPosition = {static_cast<int32_t>(v[6]), static_cast<int32_t>(v[7]), static_cast<int32_t>(v[8]),
                           static_cast<int32_t>(v[9])};
  return true;
}

void Cfg_PutPlacement(const char* section, const char* key, const CfgPlacement& placement) {
  SYS_ASSERT(placement.length >= sizeof(WINDOWPLACEMENT));
  const CfgPlacement& p = placement;
  uint32_t v[10] = {
      p.flags,
      p.showCmd,
      static_cast<uint32_t>(p.ptMinPosition.x),
      static_cast<uint32_t>(p.ptMinPosition.y),
      static_cast<uint32_t>(p.ptMaxPosition.x),
      static_cast<uint32_t>(p.ptMaxPosition.y),
      static_cast<uint32_t>(p.rcNormalPosition.left),
      static_cast<uint32_t>(p.rcNormalPosition.top),
      static_cast<uint32_t>(p.rcNormalPosition.right),
      static_cast<uint32_t>(p.rcNormalPosition.bottom),
  };
  Cfg_PutString(section, key, Cfg_FormatHexList(v, 10).c_str());
}

// ------------------------------------------------------------ code pages

void Cfg_Roman8ToIso(void* buffer, size_t length) { Sys_ConvertCodepage(0, 1, buffer, length); }

void Cfg_IsoToRoman8(void* buffer, size_t length) { Sys_ConvertCodepage(1, 0, buffer, length); }
