// Attribute state and the byte-string walks of the line encoding.
#include <cstring>

#include "workbench/base/sysassert.h"
#include "workbench/editor/txtobj.h"

namespace {

using uchar = unsigned char;

bool IsBlank(uchar c) { return c == ' ' || c == '\t'; }

// True for a byte that starts a code under the given enhancement setting.
bool IsCode(uchar c, bool enhanced) { return c == TXT_ESC || (enhanced && c >= 0x80 && c <= 0x9f); }

}  // namespace

TextAttr::TextAttr(const TextObj* t) : tobj(t) { SYS_ASSERT(tobj); }

void TextAttr::Reset() {
  color_state = 0;
  char_mode = 0;
  enhancement = 0x80;
}

bool TextAttr::Enhanced() const { return tobj && tobj->use_enhancements; }

bool TextAttr::Inverse() const {
  SYS_ASSERT((enhancement & 0xf0) == 0x80);
  return Enhanced() && (enhancement & TextAttr_INVERSE);
}
bool TextAttr::Blink() const {
  SYS_ASSERT((enhancement & 0xf0) == 0x80);
  return Enhanced() && (enhancement & TextAttr_BLINK);
}
bool TextAttr::Underline() const {
  SYS_ASSERT((enhancement & 0xf0) == 0x80);
  return Enhanced() && (enhancement & TextAttr_UNDERLINE);
}
bool TextAttr::Halfbright() const {
  SYS_ASSERT((enhancement & 0xf0) == 0x80);
  return Enhanced() && (enhancement & TextAttr_HALFBRIGHT);
}

void TextAttr::ChangeEnhancement(uint8_t set_attr, uint8_t reset_attr) {
  SYS_ASSERT(!(set_attr & 0xf0));
  SYS_ASSERT(!(reset_attr & 0xf0));
  enhancement = static_cast<uint8_t>((enhancement & ~reset_attr) | set_attr);
}

int TextAttr::Step(const unsigned char* p) {
  uchar c = *p;
  if (c == 0) return -1;
  if (c == TXT_ESC) {
    uchar n = p[1];
    if (n == 0) return -1;  // malformed: the walk ends here
    if (n == 1)
      color_state = 0;
    else if (n <= CfgTotalColors)
      color_state = n - 1;
    return 2;
  }
  if (c >= 0x80 && c <= 0x9f && Enhanced()) {
    if (c <= 0x8f)
      enhancement = c;
    else if (c == 0x92)
      char_mode = 2;
    else if (c == 0x93)
      char_mode = 1;
    else
      char_mode = 0;
    return 1;
  }
  return 0;
}

uint32_t TextAttr::Walk(const char* str, const char* end) {
  SYS_ASSERT(str);
  const uchar* p = reinterpret_cast<const uchar*>(str);
  const uchar* e = reinterpret_cast<const uchar*>(end);
  uint32_t cols = 0;
  while (!e || p < e) {
    int r = Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    ++cols;
    ++p;
  }
  return cols;
}

uint32_t TextAttr::Columns(const char* str, uint32_t max_bytes) const {
  SYS_ASSERT(str);
  TextAttr a = *this;
  return a.Walk(str, max_bytes ? str + max_bytes : nullptr);
}

uint32_t TextAttr::ColumnToOffset(const char* str, uint32_t col) const {
  SYS_ASSERT(str);
  if (col == 0) return 0;
  TextAttr a = *this;
  const uchar* s = reinterpret_cast<const uchar*>(str);
  const uchar* p = s;
  for (;;) {
    int r = a.Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    ++p;
    if (--col == 0) return static_cast<uint32_t>(p - s);
  }
  SYS_ASSERT(!col);
  return static_cast<uint32_t>(p - s);
}

uint32_t TextAttr::CharOffset(const char* str, uint32_t col) const {
  SYS_ASSERT(str);
  TextAttr a = *this;
  const uchar* s = reinterpret_cast<const uchar*>(str);
  const uchar* p = s;
  for (;;) {
    int r = a.Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    if (col == 0) return static_cast<uint32_t>(p - s);
    --col;
    ++p;
  }
  SYS_ASSERT(!col);
  return static_cast<uint32_t>(p - s);
}

uint32_t TextAttr::TrailingBlankColumn(const char* str) const {
  SYS_ASSERT(str);
  TextAttr a = *this;
  const uchar* p = reinterpret_cast<const uchar*>(str);
  uint32_t cols = 0, trail = 0;
  for (;;) {
    int r = a.Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    ++cols;
    if (!IsBlank(*p)) trail = cols;
    ++p;
  }
  return trail;
}

const char* TextAttr::SeekAfter(const char* str, uint32_t n) {
  SYS_ASSERT(str);
  const uchar* p = reinterpret_cast<const uchar*>(str);
  while (n) {
    int r = Step(p);
    if (r < 0) return nullptr;
    if (r > 0) {
      p += r;
      continue;
    }
    ++p;
    --n;
  }
  return reinterpret_cast<const char*>(p);
}

const char* TextAttr::SeekBefore(const char* str, uint32_t n) {
  const char* q = SeekAfter(str, n);
  if (!q) return nullptr;
  const uchar* p = reinterpret_cast<const uchar*>(q);
  int r;
  while ((r = Step(p)) > 0) p += r;
  return reinterpret_cast<const char*>(p);
}

const char* TextAttr::NextRun(const char* str, uint32_t* num_cols) {
  SYS_ASSERT(str);
  SYS_ASSERT(num_cols);
  *num_cols = 0;
  const uchar* p = reinterpret_cast<const uchar*>(str);
  int r;
  while ((r = Step(p)) > 0) p += r;
  if (r < 0) return nullptr;
  const bool enh = Enhanced();
  const uchar* q = p;
  while (*q && !IsCode(*q, enh)) ++q;
  *num_cols = static_cast<uint32_t>(q - p);
  return reinterpret_cast<const char*>(p);
}

uint32_t TextAttr::WriteParts(char* to, const TextAttr* prev, bool colour) const {
  SYS_ASSERT(to);  // fmt
  TextAttr fresh(tobj);
  const TextAttr& base = prev ? *prev : fresh;
  char* p = to;
  if (colour && color_state != base.color_state) {
    *p++ = static_cast<char>(TXT_ESC);
    *p++ = static_cast<char>(color_state == 0 ? 1 : color_state + 1);
  }
  // Enhancement bytes are characters while enhancements are off; never write
  // them then.
  if (Enhanced()) {
    if (char_mode != base.char_mode) *p++ = static_cast<char>(char_mode == 2 ? 0x92 : char_mode == 1 ? 0x93 : 0x94);
    if (enhancement != base.enhancement) *p++ = static_cast<char>(enhancement);
  }
  *p = 0;
  return static_cast<uint32_t>(p - to);
}

uint32_t TextAttr::WriteState(char* to, const TextAttr* prev) const { return WriteParts(to, prev, true); }

uint32_t TextAttr::WriteEnhancements(char* to, const TextAttr* prev) const { return WriteParts(to, prev, false); }

std::string TextAttr::StateCodes(const TextAttr* prev) const {
  char buf[TEXTATTR_STATE_MAX];
  uint32_t n = WriteState(buf, prev);
  return std::string(buf, n);
}

uint32_t TextAttr::StripEscapes(char* to, const char* from, uint32_t max_bytes) {
  SYS_ASSERT(from);
  const uchar* p = reinterpret_cast<const uchar*>(from);
  const uchar* end = max_bytes ? p + max_bytes : nullptr;
  uint32_t n = 0;
  while ((!end || p < end) && *p) {
    if (*p == TXT_ESC) {
      if (!p[1]) break;
      p += 2;
      continue;
    }
    if (to) to[n] = static_cast<char>(*p);
    ++n;
    ++p;
  }
  if (to) to[n] = 0;
  return n;
}

uint32_t TextAttr::CopyForDisplay(char* to, const char* from, uint32_t max_bytes) {
  SYS_ASSERT(from);
  SYS_ASSERT(to);
  const uchar* p = reinterpret_cast<const uchar*>(from);
  const uchar* end = max_bytes ? p + max_bytes : nullptr;
  uint32_t n = 0;
  while (!end || p < end) {
    int r = Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    uchar c = *p++;
    if (c < 32)
      c = ' ';
    else if (char_mode == 2 && c >= 0x80)
      c = '~';
    to[n++] = static_cast<char>(c);
  }
  to[n] = 0;
  return n;
}

char* TextAttr::NormalizeEscapes(char* to, const char* from) {
  SYS_ASSERT(to);
  SYS_ASSERT(from);
  TextObj scratch;  // enhancements off: only colour switches are codes
  TextAttr cur(&scratch), prev(&scratch);
  std::string out;
  const char* p = from;
  uint32_t n;
  while ((p = cur.NextRun(p, &n)) != nullptr) {
    out += cur.StateCodes(&prev);
    out.append(p, n);
    prev = cur;
    p += n;
  }
  std::memcpy(to, out.c_str(), out.size() + 1);
  return to;
}

std::string TextAttr::DisplayChars(const char* str) const {
  SYS_ASSERT(str);
  TextAttr a = *this;
  std::string out;
  const uchar* p = reinterpret_cast<const uchar*>(str);
  for (;;) {
    int r = a.Step(p);
    if (r < 0) break;
    if (r > 0) {
      p += r;
      continue;
    }
    out.push_back(static_cast<char>(*p++));
  }
  return out;
}

bool IsWordChar(int ch) {
  uchar c = static_cast<uchar>(ch);
  if (c == 0) return false;
  if (c == '_' || c == '$') return true;
  if (c == ' ' || (c >= '\t' && c <= '\r')) return false;
  if ((c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126)) return false;
  return true;
}
