// The attribute state of a text line: the colour, enhancement and character
// mode that the codes inside a line's bytes switch (see txtobj.h for the
// encoding), and the walks over a line that apply them.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/base/settings/config.h"

class TextObj;

constexpr unsigned char TXT_ESC = 27;
// Bytes WriteState may write, including its NUL.
constexpr uint32_t TEXTATTR_STATE_MAX = 8;

// Enhancement bits.
constexpr uint8_t TextAttr_INVERSE = 1;
constexpr uint8_t TextAttr_BLINK = 2;
constexpr uint8_t TextAttr_UNDERLINE = 4;
constexpr uint8_t TextAttr_HALFBRIGHT = 8;

// Attribute state met while walking a line.
class TextAttr {
 public:
  const TextObj* tobj;
  int32_t color_state = 0;
  uint32_t char_mode = 0;
  uint8_t enhancement = 0x80;

  explicit TextAttr(const TextObj* t);
  void Reset();
  bool SameAs(const TextAttr& o) const {
    return color_state == o.color_state && char_mode == o.char_mode && enhancement == o.enhancement;
  }
  bool Enhanced() const;  // the text object treats 0x80..0x9F as switches

  bool Inverse() const;
  bool Blink() const;
  bool Underline() const;
  bool Halfbright() const;
  void ChangeEnhancement(uint8_t set_attr, uint8_t reset_attr);

  // Applies the code at p when p starts one. Returns the bytes of the code,
  // 0 when p is a character, -1 at the end of the string or a malformed code.
  int Step(const unsigned char* p);

  // Applies the codes of `str` up to `end` (null: its NUL or a malformed
  // code) to this state; returns the characters passed.
  uint32_t Walk(const char* str, const char* end);
  uint32_t Columns(const char* str, uint32_t max_bytes = 0) const;
  uint32_t ColumnToOffset(const char* str, uint32_t col) const;
  uint32_t CharOffset(const char* str, uint32_t col) const;
  uint32_t TrailingBlankColumn(const char* str) const;
  const char* SeekBefore(const char* str, uint32_t n);
  const char* SeekAfter(const char* str, uint32_t n);
  const char* NextRun(const char* str, uint32_t* num_cols);
  uint32_t WriteState(char* to, const TextAttr* prev) const;
  uint32_t WriteEnhancements(char* to, const TextAttr* prev) const;
  static uint32_t StripEscapes(char* to, const char* from, uint32_t max_bytes = 0);
  uint32_t CopyForDisplay(char* to, const char* from, uint32_t max_bytes = 0);
  static char* NormalizeEscapes(char* to, const char* from);

  // Convenience forms for C++ callers.
  std::string StateCodes(const TextAttr* prev) const;
  // The characters of str as the display shows them: ESC pairs and, while
  // enhancements are on, attribute switches left out; index = column.
  std::string DisplayChars(const char* str) const;

 private:
  uint32_t WriteParts(char* to, const TextAttr* prev, bool colour) const;
};

bool IsWordChar(int ch);
