// Helpers for the text object tests: build a text from lines, read it back,
// and make failed consistency checks throw.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "workbench/editor/txtobj.h"
#include "workbench/base/sysassert.h"

namespace txttest {

constexpr char ESC = 27;

// A line from its bytes, codes and characters alike.
inline std::string S(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// Fills an empty text object without recording, then marks it saved.
inline void Load(TextObj& t, const std::vector<std::string>& lines) {
  t.SetFlag(TextObj_SUSPENDED);
  for (const std::string& l : lines) {
    TextLine* line = new TextLine(&t);
    line->InsertNative(0, l.c_str());
  }
  t.ClearFlag(TextObj_SUSPENDED);
  t.ClearUndo();
  t.SetModified(false);
}

inline std::vector<std::string> Lines(const TextObj& t) {
  std::vector<std::string> out;
  for (TextLine* l = t.head; l; l = l->next) out.push_back(l->data);
  return out;
}

inline std::vector<uint32_t> Idents(const TextObj& t) {
  std::vector<uint32_t> out;
  for (TextLine* l = t.head; l; l = l->next) out.push_back(l->ident);
  return out;
}

// What the display shows of a line: per column the character, then its
// colour state and enhancement bits when they are not neutral, e.g. "a" or
// "b{c2,e1}".
inline std::string Render(const TextLine* line) {
  TextAttr a(line->tobj_link);
  std::string out;
  const char* p = line->Data();
  uint32_t n;
  while ((p = a.NextRun(p, &n)) != nullptr) {
    for (uint32_t i = 0; i < n; ++i) {
      out.push_back(p[i]);
      if (a.color_state || a.enhancement != 0x80 || a.char_mode) {
        out += "{c" + std::to_string(a.color_state);
        if (a.enhancement != 0x80) out += ",e" + std::to_string(a.enhancement & 0x0f);
        if (a.char_mode) out += ",m" + std::to_string(a.char_mode);
        out += "}";
      }
    }
    p += n;
  }
  return out;
}

inline std::vector<std::string> RenderAll(const TextObj& t) {
  std::vector<std::string> out;
  for (TextLine* l = t.head; l; l = l->next) out.push_back(Render(l));
  return out;
}

// Failed checks throw SysAssertError while a test of this fixture runs.
class ThrowingChecks : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler); }
  void TearDown() override { Sys_SetAssertHandler(previous_); }

 private:
  SysAssertHandler previous_ = nullptr;
};

}  // namespace txttest
