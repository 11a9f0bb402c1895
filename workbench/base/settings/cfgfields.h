// Settings records described once: each record lists its profile values in
// one table of fields, and loading and saving both walk that table, so a value
// cannot be loaded under one key and saved under another, or saved and never
// loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "workbench/base/settings/cfgprofile.h"

enum class CfgFieldKind {
  OnOff,   // a flag bit, saved as "On"/"Off"
  Bool,    // a flag bit, saved as a boolean value
  Enum,    // a number saved under its name in a table
  String,  // a text
  Path,    // a text whose value is deleted while it is empty
  Hex,     // a number saved in hexadecimal
  Int32,   // a number
  UInt32,  // a number
  UInt16,  // a number
};

// One profile value of a record R.
template <class R>
struct CfgField {
  const char* key;
  CfgFieldKind kind;
  uint32_t R::*flags = nullptr;  // OnOff, Bool: the flag word ...
  uint32_t bit = 0;              // ... and its bit
  int32_t R::*i32 = nullptr;     // Enum, Int32
  const CfgEnumEntry* table = nullptr;
  std::string R::*text = nullptr;
  uint32_t R::*u32 = nullptr;
  uint16_t R::*u16 = nullptr;
};

template <class R>
constexpr CfgField<R> cfg_on_off(const char* key, uint32_t R::*flags, uint32_t bit) {
  return {key, CfgFieldKind::OnOff, flags, bit};
}
template <class R>
constexpr CfgField<R> cfg_bool(const char* key, uint32_t R::*flags, uint32_t bit) {
  return {key, CfgFieldKind::Bool, flags, bit};
}
template <class R>
constexpr CfgField<R> cfg_enum(const char* key, int32_t R::*value, const CfgEnumEntry* table) {
  return {key, CfgFieldKind::Enum, nullptr, 0, value, table};
}
template <class R>
constexpr CfgField<R> cfg_string(const char* key, std::string R::*text) {
  return {key, CfgFieldKind::String, nullptr, 0, nullptr, nullptr, text};
}
template <class R>
constexpr CfgField<R> cfg_path(const char* key, std::string R::*text) {
  return {key, CfgFieldKind::Path, nullptr, 0, nullptr, nullptr, text};
}
template <class R>
constexpr CfgField<R> cfg_hex(const char* key, uint32_t R::*value) {
  return {key, CfgFieldKind::Hex, nullptr, 0, nullptr, nullptr, nullptr, value};
}
template <class R>
constexpr CfgField<R> cfg_int(const char* key, int32_t R::*value) {
  return {key, CfgFieldKind::Int32, nullptr, 0, value};
}
template <class R>
constexpr CfgField<R> cfg_int(const char* key, uint32_t R::*value) {
  return {key, CfgFieldKind::UInt32, nullptr, 0, nullptr, nullptr, nullptr, value};
}
template <class R>
constexpr CfgField<R> cfg_int(const char* key, uint16_t R::*value) {
  return {key, CfgFieldKind::UInt16, nullptr, 0, nullptr, nullptr, nullptr, nullptr, value};
}

// Reads every field of `record` from `section`; a missing value leaves the
// field as it was.
template <class R, size_t N>
void cfg_load_fields(const char* section, R* record, const CfgField<R> (&fields)[N]) {
  for (const CfgField<R>& f : fields) {
    switch (f.kind) {
      case CfgFieldKind::OnOff:
      case CfgFieldKind::Bool: Cfg_GetFlag(section, f.key, &(record->*f.flags), f.bit); break;
      case CfgFieldKind::Enum: Cfg_GetEnum(section, f.key, f.table, &(record->*f.i32)); break;
      case CfgFieldKind::String:
      case CfgFieldKind::Path: Cfg_GetString(section, f.key, &(record->*f.text)); break;
      case CfgFieldKind::Hex: Cfg_GetHex(section, f.key, &(record->*f.u32)); break;
      case CfgFieldKind::Int32: Cfg_GetInt(section, f.key, &(record->*f.i32)); break;
      case CfgFieldKind::UInt32: Cfg_GetInt(section, f.key, &(record->*f.u32)); break;
      case CfgFieldKind::UInt16: Cfg_GetInt(section, f.key, &(record->*f.u16)); break;
    }
  }
}

// Writes every field of `record` to `section`.
template <class R, size_t N>
void cfg_save_fields(const char* section, const R& record, const CfgField<R> (&fields)[N]) {
  for (const CfgField<R>& f : fields) {
    switch (f.kind) {
      case CfgFieldKind::OnOff: Cfg_PutOnOff(section, f.key, (record.*f.flags & f.bit) != 0); break;
      case CfgFieldKind::Bool: Cfg_PutBool(section, f.key, (record.*f.flags & f.bit) != 0); break;
      case CfgFieldKind::Enum: Cfg_PutEnum(section, f.key, f.table, record.*f.i32); break;
      case CfgFieldKind::String: Cfg_PutString(section, f.key, (record.*f.text).c_str()); break;
      case CfgFieldKind::Path:
        if ((record.*f.text).empty())
          Cfg_DeleteValue(section, f.key);
        else
          Cfg_PutString(section, f.key, (record.*f.text).c_str());
        break;
      case CfgFieldKind::Hex: Cfg_PutHex(section, f.key, record.*f.u32); break;
      case CfgFieldKind::Int32: Cfg_PutInt(section, f.key, record.*f.i32); break;
      case CfgFieldKind::UInt32: Cfg_PutInt(section, f.key, static_cast<int>(record.*f.u32)); break;
      case CfgFieldKind::UInt16: Cfg_PutInt(section, f.key, record.*f.u16); break;
    }
  }
}
