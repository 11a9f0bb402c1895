// Typed accessors of the application profile. They fix the text forms of
// booleans ("On"/"Off", "True"/"False"), enumerations (names from a table),
// colours ("%u,%u,%u"), hexadecimal number lists ("0x%lx", comma-separated)
// and window placements, so that every setting is stored alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct AppProfile;

// The profile that every accessor uses. Until one is set, the application's
// key "Software\Orvantis\QX Varnica Development Environment" in the default
// store.
AppProfile* Cfg_Profile();
void Cfg_SetProfile(AppProfile* profile);  // null: back to the default

// Holds the profile in one batch (locked and read once, written once at the
// end) while a record or list loads or saves.
class CfgProfileBatch {
 public:
  CfgProfileBatch();
  ~CfgProfileBatch();
  CfgProfileBatch(const CfgProfileBatch&) = delete;
  CfgProfileBatch& operator=(const CfgProfileBatch&) = delete;
};

// A (value, name) table ended by the value -1.
struct CfgEnumEntry {
  int value;
  const char* name;
};

// A colour: red + green * 256 + blue * 65536.
using CfgColor = uint32_t;
inline CfgColor Cfg_RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
inline unsigned Cfg_Red(CfgColor c) { return c & 0xFF; }
inline unsigned Cfg_Green(CfgColor c) { return (c >> 8) & 0xFF; }
inline unsigned Cfg_Blue(CfgColor c) { return (c >> 16) & 0xFF; }

struct CfgPoint {
  int32_t x = 0;
  int32_t y = 0;
};
struct CfgRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A window placement, laid out like the classic one (eleven 32-bit words).
struct CfgPlacement {
  uint32_t length = 0;
  uint32_t flags = 0;
  uint32_t showCmd = 0;
  CfgPoint ptMinPosition;
  CfgPoint ptMaxPosition;
  CfgRect rcNormalPosition;
};
enum : uint32_t { CFG_SW_HIDE = 0, CFG_SW_SHOWMAXIMIZED = 3, CFG_SW_SHOW = 5 };
enum : uint32_t { CFG_WPF_RESTORETOMAXIMIZED = 2 };

std::string Cfg_GetString(const char* section, const char* key, std::string* out = nullptr);
void Cfg_PutString(const char* section, const char* key, const char* value);
void Cfg_DeleteValue(const char* section, const char* key);
void Cfg_DeleteSection(const char* section);

// Without `out`: the integer, 0 when missing. With `out`: a missing or
// negative value returns 0 and leaves *out alone; else *out is set and the
// value returned.
int Cfg_GetInt(const char* section, const char* key);
int Cfg_GetInt(const char* section, const char* key, int32_t* out);
int Cfg_GetInt(const char* section, const char* key, uint32_t* out);
int Cfg_GetInt(const char* section, const char* key, uint16_t* out);
void Cfg_PutInt(const char* section, const char* key, int value);

// True when the text was recognised (then *out is set).
bool Cfg_GetBool(const char* section, const char* key, bool* out);
// The same for one bit of a flags word.
bool Cfg_GetFlag(const char* section, const char* key, uint32_t* flags, uint32_t bit);
void Cfg_PutBool(const char* section, const char* key, bool value);
void Cfg_PutOnOff(const char* section, const char* key, bool value);

bool Cfg_GetColor(const char* section, const char* key, CfgColor* out);
void Cfg_PutColor(const char* section, const char* key, CfgColor color);

// An empty or missing value leaves *out alone (false); a name not in the
// table gives the table's first value.
bool Cfg_GetEnum(const char* section, const char* key, const CfgEnumEntry* table, int* out);
void Cfg_PutEnum(const char* section, const char* key, const CfgEnumEntry* table, int value);
// The name of a value in a table, or null.
const char* Cfg_EnumName(const CfgEnumEntry* table, int value);

bool Cfg_GetHex(const char* section, const char* key, uint32_t* out);
void Cfg_PutHex(const char* section, const char* key, uint32_t value);
bool Cfg_GetPair(const char* section, const char* key, int32_t* first, int32_t* second);
void Cfg_PutPair(const char* section, const char* key, int32_t first, int32_t second);
bool Cfg_GetPlacement(const char* section, const char* key, CfgPlacement* out);
void Cfg_PutPlacement(const char* section, const char* key, const CfgPlacement& placement);

// The text forms, for callers that parse values of their own.
bool Cfg_ParseBool(const char* text, bool* out);
bool Cfg_ParseColor(const char* text, CfgColor* out);
// Reads exactly `count` numbers of a "0x%lx" list; false (and *out left
// alone) when the text does not hold exactly that many.
bool Cfg_ParseHexList(const char* text, uint32_t* out, size_t count);
std::string Cfg_FormatHexList(const uint32_t* values, size_t count);

// Code-page conversion between QX Roman-8 and ISO 8859-1, in place.
void Cfg_Roman8ToIso(void* buffer, size_t length);
void Cfg_IsoToRoman8(void* buffer, size_t length);
