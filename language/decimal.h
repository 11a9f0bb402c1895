// Decimal numbers: the language's 12-byte number of up to 16 significant
// decimal digits, its conversions from text and integers, rounding, digit
// strings and display text, and the packed form kept in code words and symbol
// tables.
//
// Two layers. The dec_ layer computes and returns its own negative codes
// (DEC_E*). The math_ layer is what the rest of the library calls: it maps
// conversion failures to language error numbers (MATH_ERR_*) with a defined
// value in the number, and treats any other dec code, or a NULL where a value
// is required, as an internal error that ends the process (math_fatal).
//
// Nothing here allocates or keeps state between calls.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- the number ---------------------------------------------------------

enum {
  DEC_DIGITS = 8,    // base-100 digit bytes
  DEC_EXP_MAX = 63,  // exponent range of a normalised non-zero number
  DEC_EXP_MIN = -64,
  DEC_SIGN_NEG = 0,  // sign byte values
  DEC_SIGN_POS = 1,
  DEC_SIGN_NULL = 0xFF,  // the language's missing value
};

// head: bits 0-15 exponent (signed, base-100 positions), bits 16-23 sign byte,
// bits 24-31 digit count (0..8). digit[]: base-100 digits 0..99, most
// significant first, 0 beyond the count. The value is
// sign x 0.D1 D2 ... Dn (base 100) x 100^exponent.
struct dec_number {
  uint32_t head;
  uint8_t digit[DEC_DIGITS];
};
static_assert(sizeof(dec_number) == 12, "dec_number is 12 bytes");

// Head of zero: count 0, sign positive, exponent 0.
constexpr uint32_t DEC_HEAD_ZERO = 0x00010000u;
// Head of the largest value: 7 digits 99, positive, exponent 63.
constexpr uint32_t DEC_HEAD_LARGEST = 0x0701003Fu;

inline uint32_t dec_make_head(int exponent, int sign, int count) {
  return (static_cast<uint32_t>(count & 0xFF) << 24) | (static_cast<uint32_t>(sign & 0xFF) << 16) |
         (static_cast<uint32_t>(exponent) & 0xFFFFu);
}
inline int dec_exponent(const dec_number* n) { return static_cast<int16_t>(n->head & 0xFFFFu); }
inline int dec_sign(const dec_number* n) { return static_cast<int>((n->head >> 16) & 0xFFu); }
inline int dec_count(const dec_number* n) { return static_cast<int>(n->head >> 24); }
inline bool dec_is_null(const dec_number* n) { return dec_sign(n) == DEC_SIGN_NULL; }
inline bool dec_is_zero(const dec_number* n) { return !dec_is_null(n) && dec_count(n) == 0; }

// ---- dec layer codes and language error numbers ------------------------

enum {
  DEC_OK = 0,
  DEC_EOVERFLOW = -1200,   // exponent above 63 (set to 63)
  DEC_EUNDERFLOW = -1201,  // exponent below -64 (set to -64)
  DEC_ENOTNUM = -1213,     // text is not a number
  DEC_EBADEXP = -1216,     // exponent of 1000 or more in a text
  DEC_ENULL = -2,          // NULL where a value is required (math_fatal code)
};

enum {
  MATH_ERR_OVERFLOW = 23,     // "Intermediate-precision overflow"
  MATH_ERR_BADNUMBER = 32,    // "String does not represent a valid number, or bad input"
  MATH_ERR_CONVERSION = 204,  // "Conversion error"
};

// The text of MATH_ERR_OVERFLOW, MATH_ERR_BADNUMBER or MATH_ERR_CONVERSION;
// null for any other number.
const char* math_error_text(int error);

// ---- sizes of caller buffers ------------------------------------------------

enum {
  DEC_CVT_MAX = 151,                // most digits a digit string holds
  DEC_TEXT_SIZE = 160,              // always enough for math_to_text, NUL included
  DEC_PACKED_SIZE = 8,              // the packed form in code words and symbol tables
  DEC_PACKED_MAX = DEC_DIGITS + 1,  // bytes that carry information
};

// A digit string: up to DEC_CVT_MAX decimal digits and a NUL.
struct dec_digits {
  char text[DEC_CVT_MAX + 1];
};

// ---- dec layer -------------------------------------------------------------

void dec_set_zero(dec_number* n);
void dec_set_null(dec_number* n);
void dec_set_largest(dec_number* n);

// Reads a number from `length` bytes of `text` (a NUL also ends the text).
// Leading blanks, an optional sign, digits with at most one '.', an optional
// exponent ('E' or 'e', optional sign, digits), then the end of the text or a
// blank. Blanks only: NULL and DEC_OK. Codes: DEC_ENOTNUM, DEC_EBADEXP,
// DEC_EOVERFLOW (exponent 63), DEC_EUNDERFLOW (exponent -64).
int dec_from_ascii(const char* text, size_t length, dec_number* out);

void dec_from_int(int32_t value, dec_number* out);

// out = a + b, rounded half up to 8 base-100 digits. NULL operands give NULL.
// out may be a or b. DEC_EOVERFLOW / DEC_EUNDERFLOW as for normalising.
int dec_add(const dec_number* a, const dec_number* b, dec_number* out);

// Rounds half up (dec_round) or cuts (dec_trunc) to `places` decimal places
// (negative places round to tens, hundreds, ...). DEC_EOVERFLOW when a carry
// leaves the exponent range. NULL stays NULL.
int dec_round(dec_number* n, int places);
int dec_trunc(dec_number* n, int places);

// Digit string of `ndigit` significant digits (clamped to 0..DEC_CVT_MAX),
// rounded half up and padded with '0'. *decpt receives E with the value
// 0.d1 d2 ... x 10^E, *sign 1 for negative values. Zero gives zeros, E 0 and
// sign 0; NULL an empty string, E 0 and sign 0. Returns out->text.
const char* dec_cvt(const dec_number* n, int ndigit, int* decpt, int* sign, dec_digits* out);

// Packs into `size` bytes (the information is in the first DEC_PACKED_MAX;
// further bytes are 0). Digits that do not fit round half up; a number that
// would round past the largest exponent keeps its largest packable value.
void dec_to_packed(const dec_number* n, uint8_t* buffer, size_t size);

// Unpacks `size` bytes. All bytes 0: NULL and DEC_OK. A byte that is not a
// base-100 digit: zero and DEC_ENOTNUM.
int dec_from_packed(const uint8_t* buffer, size_t size, dec_number* out);

// ---- math layer ----------------------------------------------------------

int math_zero(dec_number* n);
int math_largest(dec_number* n);
// 0 for zero, 1 positive, -1 negative; NULL is fatal.
int math_sgn(const dec_number* n);
// dst = -src (dst may be src); NULL is fatal.
int math_neg(const dec_number* src, dec_number* dst);
// 0; MATH_ERR_BADNUMBER (zero) for a text that is not a number or has an
// exponent of 1000 or more; MATH_ERR_OVERFLOW with zero on underflow and with
// the largest value of the text's sign on overflow. Blanks only give NULL and 0.
int math_from_text(const char* text, size_t length, dec_number* n);
int math_from_int(int32_t value, dec_number* n);
// Rounds to `digits` significant decimal digits: 0, or MATH_ERR_OVERFLOW when
// the rounding carries past the largest exponent (the number becomes the
// largest value cut to that many places, with its sign).
int math_round_sig(dec_number* n, int digits);
// dec_cvt for a value that must not be NULL (fatal otherwise).
const char* math_ecvt(const dec_number* n, int ndigit, int* decpt, int* sign, dec_digits* out);
// Display text with `digits` significant digits into buffer (DEC_TEXT_SIZE is
// always enough). Returns the text length, or -1 with an empty text when the
// buffer is too small. digits below 1 give "", zero "0"; NULL is fatal.
int math_to_text(const dec_number* n, int digits, char* buffer, size_t size);
void math_pack(const dec_number* n, uint8_t* buffer, size_t size);
// 0, or MATH_ERR_CONVERSION with zero for a NULL or malformed packed value.
int math_unpack(const uint8_t* buffer, size_t size, dec_number* n);

// Prints "fatal math error cc #<code>" and "file = <module>, line = <line>"
// on standard error and ends the process with status 3.
[[noreturn]] void math_fatal(int code, const char* module, int line);
