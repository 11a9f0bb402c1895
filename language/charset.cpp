// Character sets: see charset.h.
#include "language/charset.h"

#include <array>
#include <cerrno>

namespace {

using Table = std::array<uint8_t, 256>;

// ISO 8859-1 code of each Roman-8 code from A0 to FF.
constexpr uint8_t kRoman8High[96] = {
    0x20, 0xC0, 0xC2, 0xC8, 0xCA, 0xCB, 0xCE, 0xCF, 0x27, 0x60, 0x88, 0xA8, 0x98, 0xD9, 0xDB, 0xA3,  // A0
    0xAF, 0xDD, 0xFD, 0xB0, 0xC7, 0xE7, 0xD1, 0xF1, 0xA1, 0xBF, 0xA4, 0xA3, 0xA5, 0xA7, 0x83, 0xA2,  // B0
    0xE2, 0xEA, 0xF4, 0xFB, 0xE1, 0xE9, 0xF3, 0xFA, 0xE0, 0xE8, 0xF2, 0xF9, 0xE4, 0xEB, 0xF6, 0xFC,  // C0
    0xC5, 0xEE, 0xD8, 0xC6, 0xE5, 0xED, 0xF8, 0xE6, 0xC4, 0xEC, 0xD6, 0xDC, 0xC9, 0xEF, 0xDF, 0xD4,  // D0
    0xC1, 0xC3, 0xE3, 0xD0, 0xF0, 0xCD, 0xCC, 0xD3, 0xD2, 0xD5, 0xF5, 0x8A, 0x9A, 0xDA, 0x9F, 0xFF,  // E0
    0xDE, 0xFE, 0xB7, 0xB5, 0xB6, 0xBE, 0x2D, 0xBC, 0xBD, 0xAA, 0xBA, 0xAB, 0x20, 0xBB, 0xB1, 0x20,  // F0
};

struct Tables {
  Table forward;  // Roman-8 to ISO 8859-1
  Table reverse;  // ISO 8859-1 to Roman-8
};

// Codes below A0 map to themselves and higher ones to a space; then every
// Roman-8 code from A0 upwards sets its forward entry and, for ISO codes of
// 80 and above, the reverse entry. A later Roman-8 code wins in reverse, so
// ISO A3 (from both AF and BB) maps back to BB.
constexpr Tables build_tables() {
  Tables t{};
  for (int x = 0; x < 256; ++x) {
    uint8_t v = x < 0xA0 ? static_cast<uint8_t>(x) : uint8_t{0x20};
    t.forward[static_cast<size_t>(x)] = v;
    t.reverse[static_cast<size_t>(x)] = v;
  }
  for (int r = 0xA0; r <= 0xFF; ++r) {
    uint8_t i = kRoman8High[r - 0xA0];
    t.forward[static_cast<size_t>(r)] = i;
    if (i >= 0x80) t.reverse[i] = static_cast<uint8_t>(r);
  }
  return t;
}

constexpr Tables kTables = build_tables();

static_assert(kTables.reverse[0xA3] == 0xBB);
static_assert(kTables.reverse[0x83] == 0xBE);
static_assert(kTables.forward[0xF6] == 0x2D);

}  // namespace

void charset_init() {}

void charset_ensure() {}

const uint8_t* charset_table(int from, int to) {
  if (from == CHARSET_ROMAN8 && to == CHARSET_ISO8859_1) return kTables.forward.data();
  if (from == CHARSET_ISO8859_1 && to == CHARSET_ROMAN8) return kTables.reverse.data();
  return nullptr;
}

int yq__charset_map(int from, int to, void* buffer, size_t length) {
  if (from == to) return 0;
  const uint8_t* table = charset_table(from, to);
  if (table == nullptr) {
    errno = EINVAL;
    return -1;
  }
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < length; ++i) bytes[i] = table[bytes[i]];
  return 0;
}
