// Program files: options, password digests and the file form of constants.

#include <charconv>
#include <cstring>

#include "language/decimal.h"
#include "language/progfile.h"
#include "platform/md5.h"

const unsigned char prog_signature[PROG_SIGNATURE_SIZE] = {'Y', 'Q', '.', 'P', 'R', 'O', 'G', 0x00, 0x0D, 0x0A};

int prog_set_error(prog_error* error, int code, const char* message, const char* module, int line) {
  error->code = code;
  error->message = message;
  error->module = module;
  error->line = line;
  return -1;
}

void yq__prog_init_options(prog_options* opt) {
  std::memset(opt, 0, sizeof *opt);
  opt->revision = PROG_REV_COMPATIBLE;
  opt->byte_order = PROG_BYTE_ORDER_BIG;
  opt->charset = 0;
}

void yq__prog_set_password(prog_options* opt, const uint8_t* digest) {
  if (digest == nullptr) {
    opt->password = 0;
    std::memset(opt->digest, 0, sizeof opt->digest);
    return;
  }
  opt->password = 1;
  std::memcpy(opt->digest, digest, sizeof opt->digest);
}

void yq__prog_set_release(prog_options* opt, const char* text) {
  std::memset(opt->release, 0, sizeof opt->release);
  if (text == nullptr) return;
  for (size_t i = 0; i < PROG_RELEASE_SIZE - 1 && text[i] != '\0'; ++i) opt->release[i] = text[i];
}

const uint8_t* prog_pswd_digest(const char* text, size_t length) {
  static_assert(static_cast<int>(PROG_DIGEST_SIZE) == static_cast<int>(MD5_DIGEST_SIZE));
  static uint8_t digest[PROG_DIGEST_SIZE];
  md5_digest(text, length, digest);
  return digest;
}

// ---- constants ------------------------------------------------------------
//
// File form: word A holds the sign in bits 0-5 and E - 1 as a signed 10-bit
// number in bits 6-15, where the value is 0.d1 ... d12 x 10^E; words B, C
// and D hold the twelve digits as BCD, four to a word, d1 in the top nibble.

namespace {

// Fills the file words from the first 12 characters of a digit string with
// its exponent and sign; gives the type-word bits.
uint16_t file_form(const char* text, int decpt, int sign, uint16_t type, uint16_t* file_words) {
  uint16_t bcd[3] = {0, 0, 0};
  int k = 1;  // significant digits: position of the last non-zero digit
  bool zero = true;
  for (int i = 0; i < 12; ++i) {
    int d = text[i] - '0';
    if (d < 0 || d > 9) d = 0;
    if (d != 0) {
      zero = false;
      k = i + 1;
    }
    bcd[i / 4] = static_cast<uint16_t>(bcd[i / 4] | d << (12 - 4 * (i % 4)));
  }

  int e = 0;
  uint16_t word_a = 0;
  if (!zero) {
    e = decpt - 1;
    word_a = static_cast<uint16_t>((static_cast<unsigned>(e) & 0x3FFu) << 6 | (sign ? 1u : 0u));
  }
  file_words[0] = word_a;
  file_words[1] = bcd[0];
  file_words[2] = bcd[1];
  file_words[3] = bcd[2];

  unsigned bits;
  bool wide;
  if (e >= 0) {
    bits = static_cast<unsigned>(k);
    wide = e >= 11 || e - (k - 1) > 4;
  } else {
    bits = 1;
    wide = e < -12 || -(e + (k - 1)) > 4;
  }
  return static_cast<uint16_t>((type & 0xF00Fu) | bits << 5 | (wide ? 0x10u : 0u));
}

}  // namespace

uint16_t prog_constant_to_file(uint16_t type, const uint16_t* packed_words, uint16_t* file_words) {
  uint8_t packed[DEC_PACKED_SIZE];
  for (int i = 0; i < 4; ++i) {
    packed[2 * i] = static_cast<uint8_t>(packed_words[i] >> 8);
    packed[2 * i + 1] = static_cast<uint8_t>(packed_words[i]);
  }
  dec_number n;
  if (dec_from_packed(packed, sizeof packed, &n) != DEC_OK || dec_is_null(&n)) dec_set_zero(&n);

  int decpt = 0;
  int sign = 0;
  dec_digits digits;
  dec_cvt(&n, 12, &decpt, &sign, &digits);
  uint16_t result = file_form(digits.text, decpt, sign, type, file_words);

  // Rounded to 12 digits, a number next to the largest one carries past the
  // range of numbers, and no reader could take it back: such a number is cut
  // to 12 digits instead. 16 digits hold every number exactly.
  uint16_t check[4];
  if (!prog_constant_from_file(file_words, check)) {
    dec_cvt(&n, 16, &decpt, &sign, &digits);
    result = file_form(digits.text, decpt, sign, type, file_words);
  }
  return result;
}

bool prog_constant_from_file(const uint16_t* file_words, uint16_t* packed_words) {
  for (int w = 1; w <= 3; ++w)
    for (int shift = 0; shift < 16; shift += 4)
      if (((file_words[w] >> shift) & 0xF) > 9) return false;
  int exponent = (static_cast<int16_t>(file_words[0]) >> 6) + 1;
  // The text "-0.dddddddddddd" (a blank for plus) and "E" with the exponent;
  // each digit is a nibble of the three digit words, checked above.
  char text[48];
  int len = 0;
  text[len++] = (file_words[0] & 1) ? '-' : ' ';
  text[len++] = '0';
  text[len++] = '.';
  for (int w = 1; w <= 3; ++w)
    for (int shift = 12; shift >= 0; shift -= 4)
      text[len++] = static_cast<char>('0' + ((file_words[w] >> shift) & 0xF));
  text[len++] = 'E';
  len = static_cast<int>(std::to_chars(text + len, text + sizeof text, exponent).ptr - text);
  dec_number n;
  if (dec_from_ascii(text, static_cast<size_t>(len), &n) != DEC_OK || dec_is_null(&n)) return false;
  uint8_t packed[DEC_PACKED_SIZE];
  dec_to_packed(&n, packed, sizeof packed);
  for (int i = 0; i < 4; ++i) packed_words[i] = static_cast<uint16_t>(packed[2 * i] << 8 | packed[2 * i + 1]);
  return true;
}
