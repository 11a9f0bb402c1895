#include "database/client/des.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/hexdigit.h"

namespace {

// The tables of the standard, bit positions counted from 1 at the most
// significant end.
const uint8_t kIP[64] = {58, 50, 42, 34, 26, 18, 10, 2,  60, 52, 44, 36, 28, 20, 12, 4,  62, 54, 46, 38, 30, 22,
                         14, 6,  64, 56, 48, 40, 32, 24, 16, 8,  57, 49, 41, 33, 25, 17, 9,  1,  59, 51, 43, 35,
                         27, 19, 11, 3,  61, 53, 45, 37, 29, 21, 13, 5,  63, 55, 47, 39, 31, 23, 15, 7};

const uint8_t kFP[64] = {40, 8,  48, 16, 56, 24, 64, 32, 39, 7,  47, 15, 55, 23, 63, 31, 38, 6,  46, 14, 54, 22,
                         62, 30, 37, 5,  45, 13, 53, 21, 61, 29, 36, 4,  44, 12, 52, 20, 60, 28, 35, 3,  43, 11,
                         51, 19, 59, 27, 34, 2,  42, 10, 50, 18, 58, 26, 33, 1,  41, 9,  49, 17, 57, 25};

const uint8_t kE[48] = {32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11, 12, 13, 12, 13, 14, 15, 16, 17,
                        16, 17, 18, 19, 20, 21, 20, 21, 22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

const uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                        2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

const uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
                          35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
                          46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

const uint8_t kPC2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                          26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                          51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

const uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const uint8_t kSBox[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8, 14, 6,  11, 3,  4, 9, 7, 2,  13, 12, 0, 5, 10, 3,  13, 4,  7, 15, 2,  8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0,  14, 7, 11, 10, 4,  13, 1, 5, 8, 12, 6,  9,  3, 2, 15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6, 7, 12, 0, 5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0, 8, 13, 3,  12, 9, 7, 5, 10, 6, 1, 13, 0,  11, 7, 4, 9, 1,  10, 14, 3, 5, 12, 2,  15, 8, 6,
     1, 4,  11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5,  9, 2, 6,  11, 13, 8, 1, 4, 10, 7,  9,  5, 0, 15, 14, 2,  3, 12},
    {13, 2, 8, 4, 6,  15, 11, 1, 10, 9,  3,  14, 5, 0, 12, 7, 1, 15, 13, 8, 10, 3, 7,  4,  12, 5, 6, 11, 0, 14, 9, 2, 7,
     11, 4, 1, 9, 12, 14, 2,  0, 6,  10, 13, 15, 3, 5, 8,  2, 1, 14, 7,  4, 10, 8, 13, 15, 12, 9, 0, 3,  5, 6,  11}};

// The start key of the key derivation.
const unsigned char kStartKey[16] = {0x3e, 0x91, 0xc4, 0x5b, 0x07, 0xda, 0x68, 0xf2,
                                     0xa5, 0x1c, 0x7e, 0x40, 0xb9, 0xd3, 0x26, 0x8f};

using Schedule = DesKeySchedule;

// Picks `count` bits of `in` (a value `width` bits wide) by the table.
uint64_t permute(uint64_t in, int width, const uint8_t* table, int count) {
  uint64_t out = 0;
  for (int i = 0; i < count; ++i) out = (out << 1) | ((in >> (width - table[i])) & 1u);
  return out;
}

uint64_t load64(const unsigned char* b) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | b[i];
  return v;
}

void store64(uint64_t v, unsigned char* b) {
  for (int i = 7; i >= 0; --i) {
    b[i] = static_cast<unsigned char>(v & 0xff);
    v >>= 8;
  }
}

void make_schedule(const unsigned char* key8, int direction, Schedule* s) {
  uint64_t cd = permute(load64(key8), 64, kPC1, 56);
  uint32_t c = static_cast<uint32_t>(cd >> 28) & 0x0fffffff;
  uint32_t d = static_cast<uint32_t>(cd) & 0x0fffffff;
  uint64_t round_keys[16];
  for (int r = 0; r < 16; ++r) {
    for (int k = 0; k < kShifts[r]; ++k) {
      c = ((c << 1) | (c >> 27)) & 0x0fffffff;
      d = ((d << 1) | (d >> 27)) & 0x0fffffff;
    }
    round_keys[r] = permute((static_cast<uint64_t>(c) << 28) | d, 56, kPC2, 48);
  }
  for (int r = 0; r < 16; ++r) {
    uint64_t k = round_keys[direction == DES_KEY_DECRYPT ? 15 - r : r];
    s->words[2 * r] = static_cast<uint32_t>(k >> 24) & 0xffffff;
    s->words[2 * r + 1] = static_cast<uint32_t>(k) & 0xffffff;
  }
}

uint32_t feistel(uint32_t r, const uint32_t* key2) {
  uint64_t e = permute(r, 32, kE, 48);
  e ^= (static_cast<uint64_t>(key2[0]) << 24) | key2[1];
  uint32_t out = 0;
  for (int box = 0; box < 8; ++box) {
    unsigned six = static_cast<unsigned>(e >> (42 - 6 * box)) & 0x3f;
    unsigned row = ((six & 0x20) >> 4) | (six & 1);
    unsigned col = (six >> 1) & 0x0f;
    out = (out << 4) | kSBox[box][row * 16 + col];
  }
  return static_cast<uint32_t>(permute(out, 32, kP, 32));
}

void run_block(const Schedule& s, const unsigned char* in8, unsigned char* out8) {
  uint64_t block = permute(load64(in8), 64, kIP, 64);
  uint32_t l = static_cast<uint32_t>(block >> 32);
  uint32_t r = static_cast<uint32_t>(block);
  for (int round = 0; round < 16; ++round) {
    uint32_t next = l ^ feistel(r, &s.words[2 * round]);
    l = r;
    r = next;
  }
  uint64_t pre = (static_cast<uint64_t>(r) << 32) | l;
  store64(permute(pre, 64, kFP, 64), out8);
}

}  // namespace

void des_set_key(const unsigned char* key8, int direction, DesKeySchedule* schedule) {
  make_schedule(key8, direction, schedule);
}

void des_encrypt_block(const DesKeySchedule& schedule, const unsigned char* in8, unsigned char* out8) {
  run_block(schedule, in8, out8);
}

void des_set_key2(const unsigned char* key16, int direction, DesKeySchedule3* schedule) {
  make_schedule(key16 + 8, direction == DES_KEY_ENCRYPT ? DES_KEY_DECRYPT : DES_KEY_ENCRYPT, &schedule->right);
  make_schedule(key16, direction, &schedule->left);
  schedule->third = schedule->left;
}

void des_encrypt_block3(const DesKeySchedule3& schedule, const unsigned char* in8, unsigned char* out8) {
  unsigned char work[8];
  run_block(schedule.left, in8, work);
  run_block(schedule.right, work, work);
  run_block(schedule.third, work, out8);
}

void des_make_key(char* text, unsigned char* key8) {
  DesKeySchedule3 schedule;
  des_set_key2(kStartKey, DES_KEY_ENCRYPT, &schedule);
  std::memcpy(key8, kStartKey, 8);
  do {
    for (int i = 0; i < 8 && *text; ++i) {
      key8[i] ^= static_cast<unsigned char>(*text & 0x7f);
      *text++ = '\0';
    }
    des_encrypt_block3(schedule, key8, key8);
  } while (*text);
}

unsigned char* des_key_from_text(char* text) {
  unsigned char* record = static_cast<unsigned char*>(std::malloc(DES_KEY_RECORD_SIZE));
  if (!record) return nullptr;
  record[0] = 8;
  des_make_key(text, record + 1);
  return record;
}

int des_encrypt_hex(const unsigned char* record, const unsigned char* bytes, size_t n, char** out) {
  static const char kDigits[] = "0123456789abcdef";
  if (!record || record[0] != 8 || !out || (n > 0 && !bytes)) return -1;
  size_t blocks = n / 8 + 1;
  if (blocks > (static_cast<size_t>(INT32_MAX) - 17) / 16) return -1;
  size_t size = (n / 8) * 16 + 17;
  char* text = static_cast<char*>(std::malloc(size));
  if (!text) return -1;
  DesKeySchedule schedule;
  des_set_key(record + 1, DES_KEY_ENCRYPT, &schedule);
  char* put = text;
  for (size_t b = 0; b < blocks; ++b) {
    unsigned char block[8];
    size_t left = n - b * 8;
    if (left >= 8) {
      std::memcpy(block, bytes + b * 8, 8);
    } else {
      std::memset(block, 0, 8);
      if (left) std::memcpy(block, bytes + b * 8, left);
      block[7] = static_cast<unsigned char>(8 - left);
    }
    des_encrypt_block(schedule, block, block);
    for (unsigned char byte : block) {
      *put++ = kDigits[byte >> 4];
      *put++ = kDigits[byte & 0x0f];
    }
  }
  *put = '\0';
  *out = text;
  return static_cast<int>(size);
}

int des_decrypt_hex(const unsigned char* record, const char* hex, size_t hex_length, unsigned char** out) {
  if (!record || record[0] != 8 || !hex || !out) return -1;
  if (hex_length == 0 || hex_length % 16 != 0 || hex_length / 2 > static_cast<size_t>(INT32_MAX)) return -1;
  size_t size = hex_length / 2;
  unsigned char* plain = static_cast<unsigned char*>(std::malloc(size));
  if (!plain) return -1;
  DesKeySchedule schedule;
  des_set_key(record + 1, DES_KEY_DECRYPT, &schedule);
  for (size_t b = 0; b < size / 8; ++b) {
    unsigned char block[8];
    for (int i = 0; i < 8; ++i) {
      int hi = hex_digit_value(hex[b * 16 + 2 * i]);
      int lo = hex_digit_value(hex[b * 16 + 2 * i + 1]);
      if (hi < 0 || lo < 0) {
        std::free(plain);
        return -1;
      }
      block[i] = static_cast<unsigned char>(hi << 4 | lo);
    }
    des_encrypt_block(schedule, block, plain + b * 8);
  }
  unsigned pad = plain[size - 1];
  if (pad < 1 || pad > 8) {
    std::free(plain);
    return -1;
  }
  plain[size - 1] = 0;
  plain[size - pad] = 0;
  *out = plain;
  return static_cast<int>(size - pad);
}
