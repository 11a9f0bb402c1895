#include "database/client/lockcheck.h"

#include <cstring>

namespace {

// Bytes of the set and item fields and of the operator.
constexpr int32_t kField = 16;
constexpr int32_t kOperator = 2;
constexpr int kMaxSet = 199;
constexpr int kMaxItem = 1024;

bool swapping(const Buffer* bufp) { return bufp->local_byte_order != bufp->remote_byte_order; }

void reverse(unsigned char* p, size_t n) {
  for (size_t i = 0; i < n / 2; ++i) {
    unsigned char t = p[i];
    p[i] = p[n - 1 - i];
    p[n - 1 - i] = t;
  }
}

int32_t read_word(const unsigned char* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void convert(const Buffer* bufp, unsigned char* p, size_t n) {
  if (swapping(bufp)) reverse(p, n);
}

// Rewrites a set or item field as 16 blanks holding the number in its first
// word (server order), or '@' in its first byte when `number` is 0.
void rewrite_field(const Buffer* bufp, unsigned char* field, int number) {
  std::memset(field, ' ', kField);
  if (number == 0) {
    field[0] = '@';
    return;
  }
  int32_t v = number;
  std::memcpy(field, &v, sizeof v);
  convert(bufp, field, sizeof v);
}

// The number in a field: a number 1..max (at most `count`), 0 for '@', else
// the name's number through `by_name`; -1 when unknown. Numbers beyond max
// are taken as names.
template <typename ByName>
int resolve(const unsigned char* field, int max_number, int count, ByName by_name) {
  int32_t v = read_word(field);
  if (v >= 1 && v <= max_number) return v <= count ? v : -1;
  if (field[0] == '@') return 0;
  int found = by_name(field);
  return found > 0 ? found : -1;
}

bool operator_ok(const unsigned char* op) {
  static const char* const forms[] = {"= ", " =", "<=", ">=", "EQ", "eq", "LE", "le", "GE", "ge"};
  for (const char* f : forms)
    if (op[0] == static_cast<unsigned char>(f[0]) && op[1] == static_cast<unsigned char>(f[1])) return true;
  return false;
}

}  // namespace

int idb__check_lock_descriptor(unsigned char* d, int32_t length, LockLayout& layout, Buffer* bufp) {
  int32_t content = length - 4;
  if (content < kField) return IDB_LOCK_TOO_SHORT;
  unsigned char* set_field = d + 4;
  int set =
      resolve(set_field, kMaxSet, layout.set_count(), [&](const unsigned char* f) { return layout.set_by_name(f); });
  if (set < 0) return IDB_LOCK_BAD_SET;
  rewrite_field(bufp, set_field, set);
  if (content == kField) return 0;

  if (content < 2 * kField) return IDB_LOCK_BAD_LIST;
  unsigned char* item_field = set_field + kField;
  int item = resolve(item_field, kMaxItem, layout.item_count(),
                     [&](const unsigned char* f) { return layout.item_by_name(f); });
  if (item < 0) return IDB_LOCK_BAD_ITEM;
  rewrite_field(bufp, item_field, item);
  if (item == 0) return content == 2 * kField ? 0 : IDB_LOCK_BAD_LIST;
  if (layout.item_elements(item) != 1) return IDB_LOCK_COMPOUND;
  if (set > 0 && !layout.set_has_item(set, item)) return IDB_LOCK_BAD_ITEM;

  if (content < 2 * kField + kOperator) return IDB_LOCK_BAD_OPERATOR;
  unsigned char* op = item_field + kField;
  if (!operator_ok(op)) return IDB_LOCK_BAD_OPERATOR;
  int32_t n = content - 2 * kField;  // operator and value
  unsigned char* value = op + kOperator;
  switch (layout.item_type(item)) {
    case 'D':
    case 'I':
      if (n == 4)
        convert(bufp, value, 2);
      else if (n == 6)
        convert(bufp, value, 4);
      else
        return IDB_LOCK_BAD_LENGTH;
      return 0;
    case 'B': return 0;
    case 'L':
    case 'S':
      if (n == 6)
        convert(bufp, value, 4);
      else if (n == 10)
        convert(bufp, value, 8);
      else
        return IDB_LOCK_BAD_LENGTH;
      return 0;
    case 'X':
      if (Buffer_MapLocalCharset(bufp, value, static_cast<size_t>(n - kOperator)) != 0) return IDB_LOCK_BAD_LIST;
      return 0;
    default: return IDB_LOCK_BAD_LENGTH;
  }
}

int idb__check_lock_list(unsigned char* list, size_t size, LockLayout& layout, Buffer* bufp) {
  if (size < 4) return IDB_LOCK_BAD_LIST;
  int32_t total = read_word(list);
  if (total < 0 || static_cast<size_t>(total) > size - 4) return IDB_LOCK_BAD_LIST;
  convert(bufp, list, 4);
  unsigned char* p = list + 4;
  int64_t remaining = total;
  while (remaining > 0) {
    if (remaining < 4) return IDB_LOCK_BAD_LIST;
    int32_t length = read_word(p);
    if (length < 0 || length > remaining) return IDB_LOCK_BAD_LIST;
    if (length == 0) break;
    int rc = idb__check_lock_descriptor(p, length, layout, bufp);
    if (rc != 0) return rc;
    convert(bufp, p, 4);
    int64_t step = (static_cast<int64_t>(length) + 3) & ~int64_t{3};
    p += step;
    remaining -= step;
  }
  return 0;
}
