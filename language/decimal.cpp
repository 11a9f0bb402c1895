// Decimal numbers: see decimal.h.
//
// Every computation ends in dec_normalise, which takes a run of base-100
// digits of any length (carries already resolved), drops leading zeros,
// rounds half up at the ninth significant digit, drops trailing zeros and
// checks the exponent range.
#include "language/decimal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/internal_check.h"

namespace {

constexpr const char* kModule = "decimal.cpp";

// Most significant decimal digits a text keeps; later digits only move the
// decimal point.
constexpr int kTextDigits = 18;
// An exponent in a text must stay below this.
constexpr int kTextExponentLimit = 1000;
// Decimal places (or significant digits) beyond which rounding changes
// nothing (or everything): well outside the 2 x 128 decimal exponents.
constexpr int kPlacesLimit = 1000;

#define MATH_FATAL(code) math_fatal((code), kModule, __LINE__)

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// value = sign x 0.w[0] w[1] ... w[len-1] x 100^exponent
int dec_normalise(const int* w, int len, long long exponent, int sign, dec_number* out) {
  int first = 0;
  while (first < len && w[first] == 0) ++first;
  if (first == len) {
    dec_set_zero(out);
    return DEC_OK;
  }
  exponent -= first;

  int d[DEC_DIGITS];
  int avail = len - first;
  for (int i = 0; i < DEC_DIGITS; ++i) d[i] = i < avail ? w[first + i] : 0;
  int ninth = avail > DEC_DIGITS ? w[first + DEC_DIGITS] : 0;
  if (ninth >= 50) {
    int i = DEC_DIGITS - 1;
    while (i >= 0) {
      if (++d[i] < 100) break;
      d[i] = 0;
      --i;
    }
    if (i < 0) {  // carry out of the first digit
      d[0] = 1;
      ++exponent;
    }
  }
  int count = DEC_DIGITS;
  while (count > 0 && d[count - 1] == 0) --count;

  int code = DEC_OK;
  if (exponent > DEC_EXP_MAX) {
    exponent = DEC_EXP_MAX;
    code = DEC_EOVERFLOW;
  } else if (exponent < DEC_EXP_MIN) {
    exponent = DEC_EXP_MIN;
    code = DEC_EUNDERFLOW;
  }
  out->head = dec_make_head(static_cast<int>(exponent), sign, count);
  for (int i = 0; i < DEC_DIGITS; ++i) out->digit[i] = static_cast<uint8_t>(d[i]);
  return code;
}

// Magnitude comparison of two normalised non-zero numbers.
int compare_magnitude(const dec_number* a, const dec_number* b) {
  int ea = dec_exponent(a), eb = dec_exponent(b);
  if (ea != eb) return ea < eb ? -1 : 1;
  for (int i = 0; i < DEC_DIGITS; ++i)
    if (a->digit[i] != b->digit[i]) return a->digit[i] < b->digit[i] ? -1 : 1;
  return 0;
}

// Significant decimal digits of a non-zero number ("1234" for 0.12 34), with
// E such that the value is 0.digits x 10^E. Returns the digit count.
int decimal_digits(const dec_number* n, char* s, int* decpt) {
  int count = dec_count(n);
  int len = 0;
  for (int i = 0; i < count; ++i) {
    s[len++] = static_cast<char>('0' + n->digit[i] / 10);
    s[len++] = static_cast<char>('0' + n->digit[i] % 10);
  }
  int e = 2 * dec_exponent(n);
  if (count > 0 && n->digit[0] < 10) {
    std::memmove(s, s + 1, static_cast<size_t>(len - 1));
    --len;
    --e;
  }
  *decpt = e;
  return len;
}

int round_places(dec_number* n, int places, bool round_up_allowed) {
  if (dec_is_null(n) || dec_count(n) == 0) return DEC_OK;
  // Far beyond the exponent range every place count acts alike.
  if (places > kPlacesLimit) return DEC_OK;
  if (places < -kPlacesLimit) {
    dec_set_zero(n);
    return DEC_OK;
  }
  int e = dec_exponent(n);
  int count = dec_count(n);
  // w[0] takes a carry into a new leading digit; w[1..8] are the digits.
  int w[DEC_DIGITS + 1] = {0};
  for (int i = 0; i < count; ++i) w[1 + i] = n->digit[i];

  bool odd = (places % 2) != 0;
  // Number of base-100 digits (from D1) that hold the kept places.
  long long kept = static_cast<long long>(e) + (odd ? (places + 1) / 2 : places / 2);
  if (kept >= count + (odd ? 1 : 0)) return DEC_OK;  // nothing is dropped
  if (kept < 0 || (odd && kept == 0)) {
    dec_set_zero(n);  // below half a unit of the kept place
    return DEC_OK;
  }
  int k = static_cast<int>(kept);
  bool up;
  if (odd) {
    up = w[k] % 10 >= 5;
    w[k] -= w[k] % 10;
  } else {
    up = k + 1 <= count && w[k + 1] >= 50;
  }
  for (int i = k + 1; i <= DEC_DIGITS; ++i) w[i] = 0;
  if (up && round_up_allowed) {
    int i = k;
    w[i] += odd ? 10 : 1;
    while (i > 0 && w[i] >= 100) {
      w[i] -= 100;
      ++w[--i];
    }
  }
  return dec_normalise(w, DEC_DIGITS + 1, static_cast<long long>(e) + 1, dec_sign(n), n);
}

}  // namespace

// ---- dec layer -------------------------------------------------------------

void dec_set_zero(dec_number* n) {
  n->head = DEC_HEAD_ZERO;
  std::memset(n->digit, 0, sizeof n->digit);
}

void dec_set_null(dec_number* n) {
  n->head = dec_make_head(0, DEC_SIGN_NULL, 0);
  std::memset(n->digit, 0, sizeof n->digit);
}

void dec_set_largest(dec_number* n) {
  n->head = DEC_HEAD_LARGEST;
  std::memset(n->digit, 0, sizeof n->digit);
  for (int i = 0; i < 7; ++i) n->digit[i] = 99;
}

int dec_from_ascii(const char* text, size_t length, dec_number* out) {
  dec_set_null(out);
  size_t pos = 0;
  auto at_end = [&] { return pos >= length || text[pos] == '\0'; };

  while (!at_end() && is_blank(text[pos])) ++pos;
  if (at_end()) return DEC_OK;

  int sign = DEC_SIGN_POS;
  if (text[pos] == '-') {
    sign = DEC_SIGN_NEG;
    ++pos;
  } else if (text[pos] == '+') {
    ++pos;
  }

  // value = 0.sig[0] sig[1] ... x 10^decpt
  char sig[kTextDigits];
  int nsig = 0;
  long long decpt = 0;
  bool point = false, any_digit = false;
  for (; !at_end(); ++pos) {
    char c = text[pos];
    if (c == '.') {
      if (point) return DEC_ENOTNUM;
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    any_digit = true;
    if (c == '0' && nsig == 0) {
      if (point) --decpt;
      continue;
    }
    if (nsig < kTextDigits) sig[nsig++] = static_cast<char>(c - '0');
    if (!point) ++decpt;
  }
  if (!any_digit) return DEC_ENOTNUM;

  if (!at_end() && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    bool negative = false;
    if (!at_end() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int value = 0;
    bool too_big = false;
    for (; !at_end() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      value = value * 10 + (text[pos] - '0');
      if (value >= kTextExponentLimit) {
        too_big = true;
        value = kTextExponentLimit;
      }
    }
    if (too_big) return DEC_EBADEXP;
    decpt += negative ? -value : value;
  }
  // Only blanks may follow the number.
  for (; !at_end(); ++pos)
    if (!is_blank(text[pos])) return DEC_ENOTNUM;

  if (nsig == 0) {
    dec_set_zero(out);
    return DEC_OK;
  }
  // Pair the decimal digits into base-100 digits; an odd decimal exponent
  // puts a zero in front so that the pairs line up with the point.
  int shift = (decpt % 2 != 0) ? 1 : 0;
  int w[(kTextDigits + 2) / 2] = {0};
  int wlen = (nsig + shift + 1) / 2;
  for (int i = 0; i < nsig; ++i) {
    int at = i + shift;
    w[at / 2] += (at % 2 == 0) ? sig[i] * 10 : sig[i];
  }
  // Keep the exponent in a range normalising can still report on.
  long long exponent = (decpt + shift) / 2;
  if (exponent > 100000) exponent = 100000;
  if (exponent < -100000) exponent = -100000;
  return dec_normalise(w, wlen, exponent, sign, out);
}

void dec_from_int(int32_t value, dec_number* out) {
  long long v = value;
  int sign = v < 0 ? DEC_SIGN_NEG : DEC_SIGN_POS;
  if (v < 0) v = -v;
  int rev[6];
  int len = 0;
  while (v > 0) {
    rev[len++] = static_cast<int>(v % 100);
    v /= 100;
  }
  int w[6];
  for (int i = 0; i < len; ++i) w[i] = rev[len - 1 - i];
  dec_normalise(w, len, len, sign, out);
}

int dec_add(const dec_number* a, const dec_number* b, dec_number* out) {
  if (dec_is_null(a) || dec_is_null(b)) {
    dec_set_null(out);
    return DEC_OK;
  }
  if (dec_count(b) == 0) {
    *out = *a;
    return DEC_OK;
  }
  if (dec_count(a) == 0) {
    *out = *b;
    return DEC_OK;
  }
  const dec_number* big = a;
  const dec_number* small = b;
  if (compare_magnitude(a, b) < 0) {
    big = b;
    small = a;
  }
  int diff = dec_exponent(big) - dec_exponent(small);
  if (diff > DEC_DIGITS) {  // small lies wholly below the rounding digit
    *out = *big;
    return DEC_OK;
  }
  // w[0] takes a carry; big at w[1..8], small at w[1+diff..8+diff]. The whole
  // exact sum fits, so the result is rounded once, from the exact value.
  constexpr int kLen = 1 + 2 * DEC_DIGITS + 1;
  int w[kLen] = {0};
  for (int i = 0; i < DEC_DIGITS; ++i) w[1 + i] = big->digit[i];
  bool subtract = dec_sign(big) != dec_sign(small);
  for (int i = 0; i < DEC_DIGITS; ++i) w[1 + diff + i] += subtract ? -small->digit[i] : small->digit[i];
  for (int i = kLen - 1; i > 0; --i) {
    if (w[i] >= 100) {
      w[i] -= 100;
      ++w[i - 1];
    } else if (w[i] < 0) {
      w[i] += 100;
      --w[i - 1];
    }
  }
  int sign = dec_sign(big);
  int code = dec_normalise(w, kLen, static_cast<long long>(dec_exponent(big)) + 1, sign, out);
  return code;
}

int dec_round(dec_number* n, int places) { return round_places(n, places, true); }

int dec_trunc(dec_number* n, int places) { return round_places(n, places, false); }

const char* dec_cvt(const dec_number* n, int ndigit, int* decpt, int* sign, dec_digits* out) {
  if (ndigit < 0) ndigit = 0;
  if (ndigit > DEC_CVT_MAX) ndigit = DEC_CVT_MAX;
  *decpt = 0;
  *sign = 0;
  out->text[0] = '\0';
  if (dec_is_null(n)) return out->text;
  if (dec_count(n) == 0) {
    std::memset(out->text, '0', static_cast<size_t>(ndigit));
    out->text[ndigit] = '\0';
    return out->text;
  }
  char s[2 * DEC_DIGITS + 1];
  int e = 0;
  int len = decimal_digits(n, s, &e);
  *sign = dec_sign(n) == DEC_SIGN_NEG ? 1 : 0;
  if (len > ndigit) {
    // Round half up at the ndigit-th digit; the digit string has no range
    // limit, so a carry past the largest exponent only raises E.
    bool up = s[ndigit] >= '5';
    len = ndigit;
    if (up) {
      int i = len - 1;
      while (i >= 0 && s[i] == '9') s[i--] = '0';
      if (i >= 0) {
        ++s[i];
      } else {
        if (len > 0) s[0] = '1';
        ++e;
      }
    }
  }
  std::memcpy(out->text, s, static_cast<size_t>(len));
  std::memset(out->text + len, '0', static_cast<size_t>(ndigit - len));
  out->text[ndigit] = '\0';
  *decpt = e;
  return out->text;
}

void dec_to_packed(const dec_number* n, uint8_t* buffer, size_t size) {
  if (size == 0) return;
  std::memset(buffer, 0, size);
  if (dec_is_null(n)) return;
  int e = dec_exponent(n);
  int count = dec_count(n);
  size_t kept_digits = size - 1 < size_t{DEC_DIGITS} ? size - 1 : size_t{DEC_DIGITS};
  int kept = static_cast<int>(kept_digits);
  int d[DEC_DIGITS] = {0};
  for (int i = 0; i < kept && i < count; ++i) d[i] = n->digit[i];
  if (kept > 0 && count > kept && n->digit[kept] >= 50) {
    int i = kept - 1;
    while (i >= 0 && d[i] == 99) --i;
    if (i >= 0) {
      ++d[i];
      for (int j = i + 1; j < kept; ++j) d[j] = 0;
    } else if (e < DEC_EXP_MAX) {
      for (int j = 0; j < kept; ++j) d[j] = 0;
      d[0] = 1;
      ++e;
    }
    // else: all 99 at the largest exponent; rounding up would leave the
    // exponent byte's range, so the number keeps its largest packable value.
  }
  uint8_t head = static_cast<uint8_t>((e + 192) & 0xFF);
  if (dec_sign(n) == DEC_SIGN_NEG && count > 0) {
    head = static_cast<uint8_t>(~head);
    int last = kept - 1;
    while (last >= 0 && d[last] == 0) --last;
    if (last >= 0) {
      d[last] = 100 - d[last];
      for (int i = 0; i < last; ++i) d[i] = 99 - d[i];
    }
  }
  buffer[0] = head;
  for (int i = 0; i < kept; ++i) buffer[1 + i] = static_cast<uint8_t>(d[i]);
}

int dec_from_packed(const uint8_t* buffer, size_t size, dec_number* out) {
  bool all_zero = true;
  for (size_t i = 0; i < size; ++i)
    if (buffer[i] != 0) {
      all_zero = false;
      break;
    }
  if (all_zero) {
    dec_set_null(out);
    return DEC_OK;
  }
  uint8_t head = buffer[0];
  bool positive = (head & 0x80) != 0;
  int e = positive ? head - 192 : 63 - head;
  int kept = static_cast<int>(size > size_t{DEC_DIGITS} ? size_t{DEC_DIGITS} : size - 1);
  int d[DEC_DIGITS] = {0};
  for (int i = 0; i < kept; ++i) {
    if (buffer[1 + i] > 99) {
      dec_set_zero(out);
      return DEC_ENOTNUM;
    }
    d[i] = buffer[1 + i];
  }
  if (!positive) {
    int last = kept - 1;
    while (last >= 0 && d[last] == 0) --last;
    if (last >= 0) {
      d[last] = 100 - d[last];
      for (int i = 0; i < last; ++i) d[i] = 99 - d[i];
    }
  }
  int code = dec_normalise(d, kept, e, positive ? DEC_SIGN_POS : DEC_SIGN_NEG, out);
  if (code != DEC_OK) {  // leading zero digits pushed it below the range
    dec_set_zero(out);
    return DEC_ENOTNUM;
  }
  return DEC_OK;
}

// ---- math layer ----------------------------------------------------------

const char* math_error_text(int error) {
  switch (error) {
    case MATH_ERR_OVERFLOW: return "Intermediate-precision overflow";
    case MATH_ERR_BADNUMBER: return "String does not represent a valid number, or bad input";
    case MATH_ERR_CONVERSION: return "Conversion error";
    default: return nullptr;
  }
}

int math_zero(dec_number* n) {
  dec_set_zero(n);
  return 0;
}

int math_largest(dec_number* n) {
  dec_set_largest(n);
  return 0;
}

int math_sgn(const dec_number* n) {
  if (dec_is_null(n)) MATH_FATAL(DEC_ENULL);
  if (dec_count(n) == 0) return 0;
  return dec_sign(n) == DEC_SIGN_NEG ? -1 : 1;
}

int math_neg(const dec_number* src, dec_number* dst) {
  if (dec_is_null(src)) MATH_FATAL(DEC_ENULL);
  *dst = *src;
  if (dec_count(src) == 0) {
    dec_set_zero(dst);
    return 0;
  }
  int sign = dec_sign(src) == DEC_SIGN_NEG ? DEC_SIGN_POS : DEC_SIGN_NEG;
  dst->head = dec_make_head(dec_exponent(src), sign, dec_count(src));
  return 0;
}

int math_from_text(const char* text, size_t length, dec_number* n) {
  int code = dec_from_ascii(text, length, n);
  switch (code) {
    case DEC_OK: return 0;
    case DEC_ENOTNUM:
    case DEC_EBADEXP: dec_set_zero(n); return MATH_ERR_BADNUMBER;
    case DEC_EUNDERFLOW: dec_set_zero(n); return MATH_ERR_OVERFLOW;
    case DEC_EOVERFLOW: {
      bool negative = dec_sign(n) == DEC_SIGN_NEG;
      dec_set_largest(n);
      if (negative) n->head = dec_make_head(DEC_EXP_MAX, DEC_SIGN_NEG, dec_count(n));
      return MATH_ERR_OVERFLOW;
    }
    default: MATH_FATAL(code);
  }
}

int math_from_int(int32_t value, dec_number* n) {
  dec_from_int(value, n);
  return 0;
}

int math_round_sig(dec_number* n, int digits) {
  if (dec_is_null(n)) MATH_FATAL(DEC_ENULL);
  if (dec_count(n) == 0) return 0;
  int saved_exponent = dec_exponent(n);
  int saved_sign = dec_sign(n);
  int places = digits > kPlacesLimit ? kPlacesLimit : digits;
  if (n->digit[0] < 10) ++places;
  n->head = dec_make_head(0, DEC_SIGN_POS, dec_count(n));
  int code = dec_round(n, places);
  if (code != DEC_OK) MATH_FATAL(code);
  if (dec_count(n) == 0) {
    dec_set_zero(n);
    return 0;
  }
  int exponent = dec_exponent(n) + saved_exponent;
  if (exponent > DEC_EXP_MAX) {
    dec_set_largest(n);
    n->head = dec_make_head(0, DEC_SIGN_POS, dec_count(n));
    code = dec_trunc(n, places);
    if (code != DEC_OK) MATH_FATAL(code);
    n->head = dec_make_head(saved_exponent, saved_sign, dec_count(n));
    return MATH_ERR_OVERFLOW;
  }
  n->head = dec_make_head(exponent, saved_sign, dec_count(n));
  return 0;
}

const char* math_ecvt(const dec_number* n, int ndigit, int* decpt, int* sign, dec_digits* out) {
  if (dec_is_null(n)) MATH_FATAL(DEC_ENULL);
  return dec_cvt(n, ndigit, decpt, sign, out);
}

int math_to_text(const dec_number* n, int digits, char* buffer, size_t size) {
  if (dec_is_null(n)) MATH_FATAL(DEC_ENULL);
  char text[DEC_TEXT_SIZE];
  int len = 0;
  auto put = [&](char c) { text[len++] = c; };
  if (digits >= 1 && dec_count(n) == 0) {
    put('0');
  } else if (digits >= 1) {
    if (digits > DEC_CVT_MAX) digits = DEC_CVT_MAX;
    dec_digits d;
    int e = 0, negative = 0;
    dec_cvt(n, digits, &e, &negative, &d);
    int nd = digits;
    while (nd > 1 && d.text[nd - 1] == '0') --nd;
    int width = e >= 0 ? e : nd - e;
    if (negative) put('-');
    if (digits < width) {
      put(d.text[0]);
      if (nd > 1) {
        put('.');
        for (int i = 1; i < nd; ++i) put(d.text[i]);
      }
      len += std::snprintf(text + len, sizeof text - static_cast<size_t>(len), "E%+03d", e - 1);
    } else if (e > 0) {
      for (int i = 0; i < e; ++i) put(i < nd ? d.text[i] : '0');
      if (nd > e) {
        put('.');
        for (int i = e; i < nd; ++i) put(d.text[i]);
      }
    } else {
      put('0');
      put('.');
      for (int i = 0; i < -e; ++i) put('0');
      for (int i = 0; i < nd; ++i) put(d.text[i]);
    }
  }
  if (size == 0) return -1;
  if (static_cast<size_t>(len) >= size) {
    buffer[0] = '\0';
    return -1;
  }
  std::memcpy(buffer, text, static_cast<size_t>(len));
  buffer[len] = '\0';
  return len;
}

void math_pack(const dec_number* n, uint8_t* buffer, size_t size) { dec_to_packed(n, buffer, size); }

int math_unpack(const uint8_t* buffer, size_t size, dec_number* n) {
  int code = dec_from_packed(buffer, size, n);
  if (code != DEC_OK || dec_is_null(n)) {
    dec_set_zero(n);
    return MATH_ERR_CONVERSION;
  }
  return 0;
}

void math_fatal(int code, const char* module, int line) {
  char report[256];
  std::snprintf(report, sizeof report, "fatal math error cc #%d\nfile = %s, line = %d\n", code, module ? module : "?",
                line);
  internal_fatal(report, 3);
}
