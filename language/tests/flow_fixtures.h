// Small programs and flow files for the tests of the statement-flow files.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "language/progseg.h"
#include "language/sfa.h"

namespace flowfix {

// Statement words of the lines the fixtures build.
constexpr uint16_t kEnd = 0x035F;
constexpr uint16_t kSub = 0x0690;
constexpr uint16_t kSubEnd = 0x0680;

// Appends a line of only its statement word.
inline void add_plain_line(ProgSegment* seg, int lineno, uint16_t stmt) {
  const uint16_t words[] = {static_cast<uint16_t>(lineno), 0x0003, stmt};
  progseg_insert_line(seg, static_cast<uint32_t>(seg->code.size()), words, 3);
}

// Appends the SUB line that opens a subprogram, with the name's class-1
// symbol entry; `labelled` puts a label reference before the statement word
// (its label entry goes into the table too).
inline void add_sub_line(ProgSegment* seg, int lineno, const char* name, bool labelled = false) {
  std::vector<uint16_t> sym;
  uint32_t label_ref = 0;
  if (labelled) {
    label_ref = 0x8000u | static_cast<uint32_t>(seg->symbols.size());
    ProgSymbolRef label;
    label.cls = SYM_CLASS_LINE;
    label.subtype = SYM_SUB_LABEL;
    label.name = "L";
    label.name_len = 1;
    prog_symbol_entry(label, &sym);
  }
  uint32_t sub_ref = 0x8000u | static_cast<uint32_t>(seg->symbols.size() + sym.size());
  ProgSymbolRef ref;
  ref.cls = SYM_CLASS_LINE;
  ref.subtype = SYM_SUB_SUB;
  ref.name = name;
  ref.name_len = static_cast<int>(std::strlen(name));
  prog_symbol_entry(ref, &sym);
  progseg_add_symbols(seg, sym.data(), sym.size());

  std::vector<uint16_t> words = {static_cast<uint16_t>(lineno), 0};
  if (labelled) words.push_back(static_cast<uint16_t>(label_ref));
  words.push_back(kSub);
  words.push_back(static_cast<uint16_t>(sub_ref));
  words[1] = static_cast<uint16_t>(words.size());
  progseg_insert_line(seg, static_cast<uint32_t>(seg->code.size()), words.data(), words.size());
}

// The sample program: main with lines 10, 20, 30; SUB CALC (labelled) with
// 100, 110, 120; SUB NOTE with 200, 210.
inline void sample_program(ProgList* prog) {
  ProgSegment* main_seg = progseg_new(prog);
  add_plain_line(main_seg, 10, kEnd);
  add_plain_line(main_seg, 20, kEnd);
  add_plain_line(main_seg, 30, kEnd);
  ProgSegment* calc = progseg_new(prog);
  add_sub_line(calc, 100, "CALC", true);
  add_plain_line(calc, 110, kEnd);
  add_plain_line(calc, 120, kSubEnd);
  ProgSegment* note = progseg_new(prog);
  add_sub_line(note, 200, "NOTE");
  add_plain_line(note, 210, kSubEnd);
}

// A program whose main segment holds no code at all, then SUB ONLY.
inline void program_with_empty_main(ProgList* prog) {
  progseg_new(prog);
  ProgSegment* only = progseg_new(prog);
  add_sub_line(only, 5000, "ONLY");
  add_plain_line(only, 5010, kSubEnd);
}

// A line of a flow file.
inline sfa_line line(int32_t lineno, uint32_t count, uint32_t time) { return sfa_line{lineno, count, time}; }

inline sfa_segment segment(const char* name, int32_t loads, std::vector<sfa_line> lines) {
  sfa_segment seg;
  sfa_set_name(&seg, name);
  seg.loads = loads;
  seg.lines = std::move(lines);
  return seg;
}

// The bytes of a flow file with these segments.
inline std::string image(std::vector<sfa_segment> segments) {
  sfa_file f;
  f.segments = std::move(segments);
  std::vector<uint8_t> bytes;
  if (sfa_encode(&f, &bytes) != SFA_OK) return "";
  return std::string(bytes.begin(), bytes.end());
}

// Little-endian 32-bit word as bytes, for hand-made damage.
inline std::string le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

}  // namespace flowfix
