// The scanner: line start, keyword recognition through the keyword tables,
// and the token recogniser of the parser.
#include "language/scanner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "language/codegen.h"
#include "language/context.h"
#include "language/decimal.h"
#include "language/internal_check.h"

using namespace ptok;

namespace {

#define SCAN_ASSERT(cond)                                            \
  do {                                                               \
    if (!(cond)) internal_assert_failed("scanner", #cond, __LINE__); \
  } while (0)

// Words of the scanner's own tables, tried in this order.
struct ScanWord {
  const char* text;
  int token;
};

constexpr ScanWord operator_words[] = {
    {">=", GE},     {">", GT},    {"<>", NE},   {"<=", LE},   {"<", LT},    {"**", '^'},
    {"+", '+'},     {"-", '-'},   {"*", '*'},   {"/", '/'},   {"^", '^'},   {"OR", OR},
    {"EXOR", EXOR}, {"AND", AND}, {"NOT", NOT}, {"DIV", DIV}, {"MOD", MOD},
};

constexpr ScanWord type_words[] = {
    {"REAL", REAL},         {"INTEGER", INTEGER}, {"SHORT", SHORT},
    {"DINTEGER", DINTEGER}, {"NUMERIC", NUMERIC}, {"STRUCT", STRUCT},
};

constexpr ScanWord delimiter_words[] = {
    {"END", END},   {"TO", TO},       {"OF", OF},     {"ON", ON}, {"THEN", THEN}, {"STEP", STEP},
    {"GOTO", GOTO}, {"GOSUB", GOSUB}, {"CALL", CALL}, {"AS", AS}, {"IS A", IS_A},
};

// A scanner word list by first character, as the keyword tables are
// (keywords.h): the words of each first character in list order, each with
// its text without blanks.
template <size_t N>
constexpr keywd_lead_index<N> word_leads(const ScanWord (&words)[N]) {
  keywd_lead_index<N> index;
  int n = 0;
  for (unsigned lead = 0; lead < 256; ++lead) {
    index.first[lead] = static_cast<uint16_t>(n);
    for (size_t i = 0; i < N; ++i) {
      if (static_cast<unsigned char>(words[i].text[0]) != lead) continue;
      if (lead == ' ' || lead == 0) throw "a scanner word starts with a blank";
      keywd_lead_entry& e = index.entries[n++];
      e.row = static_cast<uint16_t>(i);
      int length = 0;
      for (const char* c = words[i].text; *c; ++c)
        if (*c != ' ') e.text[length++] = *c;
      e.length = static_cast<uint8_t>(length);
      index.note_second(static_cast<unsigned char>(lead), e);
    }
  }
  index.first[256] = static_cast<uint16_t>(n);
  if (n != static_cast<int>(N)) throw "a scanner word is not listed";
  return index;
}

constexpr auto operator_leads = word_leads(operator_words);
constexpr auto type_leads = word_leads(type_words);
constexpr auto delimiter_leads = word_leads(delimiter_words);

void release_state(void* p) { delete static_cast<ScanState*>(p); }

// The context's scanner state; made by scan_state on first use.
inline ScanState* state_of(CompileContext* cc) { return cc->scan ? static_cast<ScanState*>(cc->scan) : scan_state(cc); }

constexpr bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool is_letter(char c) { return is_upper(c) || is_lower(c); }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* line_end(const ScanState* s) { return s->cur + s->remaining; }

void set_cursor(ScanState* s, const char* p) {
  s->remaining -= static_cast<int>(p - s->cur);
  SCAN_ASSERT(s->remaining >= 0);
  s->cur = p;
}

void skip_blanks(ScanState* s) {
  const char* p = s->cur;
  const char* end = line_end(s);
  while (p < end && *p == ' ') ++p;
  set_cursor(s, p);
}

bool at_end(const ScanState* s) { return s->remaining <= 0; }

int column_of(const ScanState* s, const char* p) { return static_cast<int>(p - s->line); }

// The current token starts at the cursor; errors that the code generator
// raises on its own are reported at its column too.
void start_token(CompileContext* cc, ScanState* s) {
  s->token_start = s->cur;
  cc->token_column = column_of(s, s->cur);
}

// Position after a run of blanks that is followed by a character for which
// `more` holds; null when the blanks are not followed by one.
template <typename Pred>
const char* blanks_then(const char* p, const char* end, Pred more) {
  const char* q = p;
  while (q < end && *q == ' ') ++q;
  return q < end && more(*q) ? q : nullptr;
}

// Reads the digits of an integer at p, passing over blanks between digits,
// and gives the position after them. The value stops growing at 99999, which
// is past every integer the language takes.
const char* scan_spaced_integer(const char* p, const char* end, long* value) {
  long v = 0;
  const char* q = p;
  while (q < end) {
    if (is_digit(*q)) {
      v = v * 10 + (*q - '0');
      if (v > 99999) v = 99999;
      ++q;
    } else if (*q == ' ') {
      const char* r = blanks_then(q, end, is_digit);
      if (!r) break;
      q = r;
    } else {
      break;
    }
  }
  *value = v;
  return q;
}

constexpr char to_upper(char c) { return is_lower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char to_lower(char c) { return is_upper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

// A character after a name's first letter: in the space-dependent spelling a
// letter of either case, else a lower-case letter; or a digit or "_".
template <bool SpaceDependent>
constexpr bool name_char(char c) {
  return (SpaceDependent ? is_letter(c) : is_lower(c)) || is_digit(c) || c == '_';
}

// name_char as a table: each character after a name's first letter in the
// form the name keeps it (lower case), 0 for one that ends the name.
struct NameChars {
  char kept[256] = {};
};
template <bool SpaceDependent>
constexpr NameChars name_chars() {
  NameChars t;
  for (int c = 1; c < 256; ++c)
    if (name_char<SpaceDependent>(static_cast<char>(c))) t.kept[c] = to_lower(static_cast<char>(c));
  return t;
}
template <bool SpaceDependent>
constexpr NameChars kNameChars = name_chars<SpaceDependent>();

// scan_name_at for one spelling.
template <bool SpaceDependent>
bool scan_name_in(const char* p, const char* end, const char** stop, int* count, char* out) {
  if (p >= end || !(SpaceDependent ? is_letter(*p) : is_upper(*p))) return false;
  char scratch[SCAN_NAME_MAX + 1];
  char* name = out ? out : scratch;
  name[0] = to_upper(*p);
  int n = 1;
  const char* q = p + 1;
  for (;;) {
    for (; q < end; ++q, ++n) {
      const char kept = kNameChars<SpaceDependent>.kept[static_cast<unsigned char>(*q)];
      if (kept == 0) break;
      if (n < SCAN_NAME_MAX) name[n] = kept;
    }
    // In space-independent mode blanks inside a name are passed over.
    if (SpaceDependent || q >= end || *q != ' ') break;
    const char* r = blanks_then(q, end, name_char<false>);
    if (!r) break;
    q = r;
  }
  name[n < SCAN_NAME_MAX ? n : SCAN_NAME_MAX] = '\0';
  *stop = q;
  *count = n;
  return true;
}

// Scans a name at p. Gives false when no name starts there. Otherwise *stop
// is the position after the name's last character and *count its number of
// characters; up to SCAN_NAME_MAX of them go to out (when given), the first
// letter in upper case and the others in lower case.
bool scan_name_at(bool sd, const char* p, const char* end, const char** stop, int* count, char* out) {
  return sd ? scan_name_in<true>(p, end, stop, count, out) : scan_name_in<false>(p, end, stop, count, out);
}

void debug(CompileContext* cc, const char* fmt, const char* a) {
  if (cc->debug) cc_debug(cc, fmt, a);
}

void debug_keyword(CompileContext* cc, const char* what, uint32_t code, const char* name, bool implied) {
  if (!cc->debug) return;
  std::string text = what;
  char buf[64];
  if (code & CW_EXTENSION_BIT) {
    std::snprintf(buf, sizeof buf, "<DROM #%d> ", kw_module(code));
    text += buf;
  }
  if (implied) {
    text += "(IMPLIED LET)\n";
  } else {
    std::snprintf(buf, sizeof buf, "%04x ", static_cast<unsigned>(code));
    text += buf;
    text += name;
    text += "\n";
  }
  cc_debug(cc, "%s", text.c_str());
}

// The value of the token in work, every field cleared; the scanner fills it
// in place.
ScanValue& new_value(ScanState* s) {
  ScanValue& v = s->values.add();
  s->value = &v;
  return v;
}

void set_statement_value(ScanState* s, const pkeywd_row* row) {
  ScanValue& v = new_value(s);
  v.number = static_cast<long>(row->code);
  v.text = row->name;
  v.length = static_cast<int>(std::strlen(row->name));
  v.flags = row->flags;
  v.module = (row->code & CW_EXTENSION_BIT) ? kw_module(row->code) : 0;
  v.statement = row;
}

void set_secondary_value(ScanState* s, const skeywd_row* row) {
  ScanValue& v = new_value(s);
  v.number = static_cast<long>(row->code);
  v.text = row->name;
  v.length = static_cast<int>(std::strlen(row->name));
  v.module = (row->code & CW_EXTENSION_BIT) ? kw_module(row->code) : 0;
  v.secondary = row;
}

// In space-dependent mode: where a name starting at the cursor would end, or
// null when "FN" stands at the cursor (FN and its name are one word there).
const char* name_ahead(CompileContext* cc, const ScanState* s) {
  if (!cc->space_dependent) return nullptr;
  const char* p = s->cur;
  int rem = s->remaining;
  if (scan_match_keyword("FN", &p, &rem, true)) {
    debug(cc, "%s", "FN recognized\n");
    return nullptr;
  }
  const char* stop = nullptr;
  int count = 0;
  if (!scan_name_at(true, s->cur, line_end(s), &stop, &count, nullptr)) return nullptr;
  return stop;
}

// Matches a row of a first-character list at the cursor, which holds a
// word that starts with that character (blanks passed, in upper case in the
// space-dependent spelling). The space-independent spelling compares the
// row's name without blanks, one letter at a time over the input's blanks.
bool match_listed(const CompileContext* cc, const ScanState* s, const keywd_lead_entry& e, const char* name,
                  const char** stop) {
  const char* p = s->cur;
  if (cc->space_dependent) {
    int rem = s->remaining;
    if (!scan_match_keyword(name, &p, &rem, true)) return false;
    *stop = p;
    return true;
  }
  const char* end = line_end(s);
  while (p < end && *p == ' ') ++p;
  ++p;  // the first letter, equal to the lead
  for (int i = 1; i < e.length; ++i) {
    while (p < end && *p == ' ') ++p;
    if (p >= end || *p != e.text[i]) return false;
    ++p;
  }
  *stop = p;
  return true;
}

constexpr int kNoLead = 256;
constexpr int kAnySecond = -1;

// The first two characters of a word at the cursor, as the keyword lists
// compare them. The lead is the character that the word's first letter
// must be, as scan_match_keyword compares it (blanks skipped, or upper case
// in the space-dependent spelling); kNoLead when no word can stand there.
// The second is the input's character after the lead, blanks passed, as the
// space-independent spelling compares it with a listed row's second letter
// (kNoLead at the end); in the space-dependent spelling, and without a lead,
// kAnySecond: every row goes to match_listed.
struct WordStart {
  int lead = kNoLead;
  int second = kAnySecond;
};
WordStart word_start(const CompileContext* cc, const ScanState* s) {
  const char* p = s->cur;
  const char* end = p + (s->remaining > 0 ? s->remaining : 0);
  WordStart w;
  if (cc->space_dependent) {
    if (p < end && *p != ' ') w.lead = static_cast<unsigned char>(to_upper(*p));
    return w;
  }
  while (p < end && *p == ' ') ++p;
  if (p >= end) return w;
  w.lead = static_cast<unsigned char>(*p++);
  while (p < end && *p == ' ') ++p;
  w.second = p < end ? static_cast<unsigned char>(*p) : kNoLead;
  return w;
}

// False when no entry of the lead's list can match: without a lead, or when
// the input's second letter is none of the list's.
template <typename Index>
bool list_may_match(const Index& index, int lead, int second) {
  if (lead == kNoLead) return false;
  return second == kAnySecond || index.may_match(static_cast<unsigned char>(lead), static_cast<unsigned>(second));
}

// The first entry of the lead's list, in list order, that `matches` takes;
// entries whose second letter is not the input's are passed by untried.
// Null when none matches.
template <typename Index, typename Matches>
const keywd_lead_entry* first_listed(const Index& index, int lead, int second, Matches matches) {
  if (!list_may_match(index, lead, second)) return nullptr;
  const auto l = static_cast<unsigned char>(lead);
  for (unsigned i = index.first[l]; i < index.first[l + 1]; ++i) {
    const int letter = index.second_letter[i];
    if (second != kAnySecond && letter != 0 && letter != second) continue;
    if (matches(index.entries[i])) return &index.entries[i];
  }
  return nullptr;
}

// Statement keyword at the cursor; the cursor moves past it. The implied
// assignment, tried after every named row, matches without moving the
// cursor.
const pkeywd_row* recognise_statement(CompileContext* cc, ScanState* s) {
  const char* ahead = name_ahead(cc, s);
  const pkeywd_row* row = nullptr;
  const char* p = s->cur;
  const WordStart start = word_start(cc, s);
  const int lead = start.lead, second = start.second;
  if (const keywd_lead_entry* e = first_listed(pkeywd_lead, lead, second, [&](const keywd_lead_entry& entry) {
        return match_listed(cc, s, entry, pkeywd_table[entry.row].name, &p);
      }))
    row = &pkeywd_table[e->row];
  // A keyword that is only the beginning of a longer name is a name.
  if (!row || (ahead && p < ahead && p > s->cur)) {
    row = pkeywd_lookup(CW_IMPLIED_LET);
    p = s->cur;
  }
  SCAN_ASSERT(row != nullptr);
  set_cursor(s, p);
  debug_keyword(cc, "Primary token = ", row->code, row->name, row->code == CW_IMPLIED_LET);
  return row;
}

void check_unsupported(CompileContext* cc, const pkeywd_row* row) {
  if ((row->flags & PK_FLAG_UNSUPPORTED) == PK_FLAG_UNSUPPORTED) scan_unsupported(cc, row->name);
}

void trim_trailing(const char* text, int* length) {
  while (*length > 0 && text[*length - 1] == ' ') --*length;
}

// The end of raw text from the cursor: the next "!" outside double quotes,
// or the end of the line; an open quote is "MISSING QUOTE".
const char* raw_text_end(CompileContext* cc, ScanState* s, const char* stops) {
  const char* p = s->cur;
  const char* end = line_end(s);
  bool quoted = false;
  for (; p < end; ++p) {
    if (*p == '"')
      quoted = !quoted;
    else if (!quoted && std::strchr(stops, *p))
      break;
  }
  if (quoted) scan_error(cc, nullptr, "MISSING QUOTE");
  return p;
}

// Takes the rest of the line, without trailing blanks, as the token's text
// (its column counted from 1) and moves the cursor to the line end.
void take_rest_of_line(ScanState* s) {
  ScanValue& v = new_value(s);
  v.text = s->cur;
  v.number = column_of(s, s->cur) + 1;
  v.length = s->remaining;
  trim_trailing(v.text, &v.length);
  set_cursor(s, line_end(s));
}

int lex_comment(CompileContext* cc, ScanState* s) {
  take_rest_of_line(s);
  const ScanValue& v = *s->value;
  if (cc->debug) cc_debug(cc, "comment: '%.*s'\n", v.length, v.text);
  return '!';
}

// Numeric and integer constants at the cursor; false when no number starts
// here (a "." without a digit).
bool lex_number(CompileContext* cc, ScanState* s, int* token) {
  const char* end = line_end(s);
  const char* p = s->cur;

  if (is_digit(*p)) {
    long value = 0;
    const char* q = scan_spaced_integer(p, end, &value);
    char next = q < end ? *q : '\0';
    if (value <= 32767 && next != '.' && next != 'E' && next != 'e') {
      set_cursor(s, q);
      ScanValue& v = new_value(s);
      v.number = value;
      v.text = p;
      v.length = static_cast<int>(q - p);
      if (cc->debug) cc_debug(cc, "iconst: %ld\n", value);
      *token = T_ICONST;
      return true;
    }
  }

  // Digits, an optional "." and digits, at least one digit; blanks between
  // digits are passed as for integers.
  char buf[SCAN_NUMBER_MAX + 1];
  int n = 0;
  int digits = 0;
  auto put = [&](char c) {
    if (n >= SCAN_NUMBER_MAX) scan_error(cc, nullptr, "IMPROPER NUMBER");
    buf[n++] = c;
  };
  const char* q = p;
  auto take_digits = [&]() {
    while (q < end) {
      if (is_digit(*q)) {
        put(*q++);
        ++digits;
      } else if (*q == ' ' && digits > 0) {
        const char* r = blanks_then(q, end, is_digit);
        if (!r) break;
        q = r;
      } else {
        break;
      }
    }
  };
  take_digits();
  if (q < end && *q == '.') {
    put(*q++);
    take_digits();
  }
  if (digits == 0) return false;
  if (q < end && (*q == 'E' || *q == 'e')) {
    const char* r = q + 1;
    if (r < end && (*r == '+' || *r == '-')) ++r;
    if (r < end && is_digit(*r)) {
      put('E');
      if (q[1] == '-') put('-');
      q = r;
      while (q < end && is_digit(*q)) put(*q++);
    }
  }
  buf[n] = '\0';

  dec_number number;
  if (math_from_text(buf, static_cast<size_t>(n), &number) != 0 || dec_is_null(&number) ||
      math_round_sig(&number, 12) != 0)
    scan_error(cc, nullptr, "IMPROPER NUMBER");
  ScanValue& v = new_value(s);
  math_pack(&number, v.packed, sizeof v.packed);
  v.text = p;
  v.length = static_cast<int>(q - p);
  set_cursor(s, q);
  if (cc->debug) cc_debug(cc, "const: %s\n", buf);
  *token = T_CONST;
  return true;
}

// Raw DATA items: "," or one item up to the next "!" or "," outside quotes.
int lex_list_item(CompileContext* cc, ScanState* s) {
  if (*s->cur == ',') {
    set_cursor(s, s->cur + 1);
    return ',';
  }
  const char* stop = raw_text_end(cc, s, "!,");
  ScanValue& v = new_value(s);
  v.text = s->cur;
  v.length = static_cast<int>(stop - s->cur);
  trim_trailing(v.text, &v.length);
  set_cursor(s, stop);
  if (cc->debug) cc_debug(cc, "any: (%d) '%.*s'\n", v.length, v.length, v.text);
  return T_ANY;
}

// IMAGE format text.
int lex_format(CompileContext* cc, ScanState* s) {
  for (;;) {
    skip_blanks(s);
    start_token(cc, s);
    if (at_end(s)) return T_EOL;
    const char* end = line_end(s);
    unsigned char c = static_cast<unsigned char>(*s->cur);
    if (c == '!') return lex_comment(cc, s);
    if (c < 32 || c > 127) scan_error(cc, nullptr, "IMPROPER CHARACTER");
    if (c == '"') {
      const char* q = static_cast<const char*>(std::memchr(s->cur + 1, '"', static_cast<size_t>(end - s->cur - 1)));
      if (!q) scan_error(cc, nullptr, "MISSING QUOTE");
      set_cursor(s, q + 1);
      continue;
    }
    if (is_digit(static_cast<char>(c))) {
      const char* q = s->cur;
      long value = 0;
      while (q < end && is_digit(*q)) {
        value = value * 10 + (*q - '0');
        if (value > 99999) value = 99999;
        ++q;
      }
      char next = q < end ? *q : '\0';
      if (is_lower(next)) next = static_cast<char>(next - 'a' + 'A');
      if (next != '\0' && std::strchr("(*/ADXZ", next)) {
        // A repeat count: the character after it is the token.
        set_cursor(s, q);
        continue;
      }
      ScanValue& v = new_value(s);
      v.number = value;
      v.text = s->cur;
      v.length = static_cast<int>(q - s->cur);
      set_cursor(s, q);
      return T_ICONST;
    }
    set_cursor(s, s->cur + 1);
    if (is_lower(static_cast<char>(c))) c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c == 'X') continue;
    return c;
  }
}

// Tries one word at the cursor; on a match gives the position after it. A
// word whose first letter is not the lead fails at once.
bool try_word(CompileContext* cc, const ScanState* s, int lead, const char* text, const char** stop) {
  if (text[0] != ' ' && text[0] != '\0' && static_cast<unsigned char>(text[0]) != lead) return false;
  const char* p = s->cur;
  int rem = s->remaining;
  if (!scan_match_keyword(text, &p, &rem, cc->space_dependent)) return false;
  *stop = p;
  return true;
}

int lex_name(CompileContext* cc, ScanState* s) {
  const char* stop = nullptr;
  int count = 0;
  ScanValue& v = new_value(s);
  scan_name_at(cc->space_dependent, s->cur, line_end(s), &stop, &count, v.name);
  if (count > SCAN_NAME_MAX) scan_error(cc, nullptr, "SYMBOL TOO LONG");
  v.text = s->cur;
  v.length = static_cast<int>(stop - s->cur);
  set_cursor(s, stop);
  if (cc->debug) cc_debug(cc, "symbol: '%s'\n", v.name);
  return T_SYM;
}

// The first two characters of any word of the scanner's lists and of any
// function, as keywd_lead_index keeps them for one list: a word at the
// cursor that this passes by is none of them, and the lists are not tried.
struct WordFilter {
  uint64_t seconds[256][4] = {};
  bool single[256] = {};
  template <typename Index>
  void add(const Index& index) {
    for (int lead = 0; lead < 256; ++lead) {
      single[lead] = single[lead] || index.single[lead];
      for (int part = 0; part < 4; ++part) seconds[lead][part] |= index.seconds[lead][part];
    }
  }
  bool may_match(unsigned char lead, unsigned second) const {
    if (single[lead]) return true;
    return second < 256 && (seconds[lead][second >> 6] >> (second & 63) & 1) != 0;
  }
};

const WordFilter& word_filter() {
  static const WordFilter filter = [] {
    WordFilter f;
    f.add(operator_leads);
    f.add(type_leads);
    f.add(skeywd_lead);
    f.add(delimiter_leads);
    return f;
  }();
  return filter;
}

// Words, names and single characters in scan mode 0.
int lex_word(CompileContext* cc, ScanState* s) {
  const char* ahead = name_ahead(cc, s);
  const char* stop = nullptr;
  // A word that ends inside the name scanned ahead is taken back: the
  // whole name is the token.
  auto inside_name = [&]() { return ahead && stop < ahead; };
  const WordStart start = word_start(cc, s);
  const int lead = start.lead, second = start.second;
  const bool listed = list_may_match(word_filter(), lead, second);
  // The word of a scanner list that stands at the cursor, or null.
  auto listed_word = [&](const auto& leads, const ScanWord* words) -> const ScanWord* {
    if (!listed) return nullptr;
    const keywd_lead_entry* e = first_listed(leads, lead, second, [&](const keywd_lead_entry& entry) {
      return match_listed(cc, s, entry, words[entry.row].text, &stop);
    });
    return e ? &words[e->row] : nullptr;
  };

  if (const ScanWord* w = listed_word(operator_leads, operator_words); w || (w = listed_word(type_leads, type_words))) {
    if (inside_name()) return lex_name(cc, s);
    set_cursor(s, stop);
    return w->token;
  }
  if (s->context_table) {
    for (int pass = 0; pass < 2; ++pass)
      for (const skeywd_row* r = s->context_table; r->code; ++r) {
        if (((r->code & CW_EXTENSION_BIT) != 0) != (pass == 0)) continue;
        if (!try_word(cc, s, lead, r->name, &stop)) continue;
        if (inside_name()) return lex_name(cc, s);
        set_secondary_value(s, r);
        set_cursor(s, stop);
        debug_keyword(cc, "Secondary token = ", r->code, r->name, false);
        return r->token;
      }
  }
  const keywd_lead_entry* function =
      listed ? first_listed(skeywd_lead, lead, second,
                            [&](const keywd_lead_entry& entry) {
                              return match_listed(cc, s, entry, skeywd_functions[entry.row].name, &stop);
                            })
             : nullptr;
  if (function) {
    const skeywd_row* r = &skeywd_functions[function->row];
    if (inside_name()) return lex_name(cc, s);
    if (r->token == -1) scan_unsupported(cc, r->name);
    set_secondary_value(s, r);
    set_cursor(s, stop);
    debug_keyword(cc, "Secondary token = ", r->code, r->name, false);
    scan_pushback(cc, r->token);
    return T_SEC;
  }
  if (const ScanWord* w = listed_word(delimiter_leads, delimiter_words)) {
    if (inside_name()) return lex_name(cc, s);
    set_cursor(s, stop);
    return w->token;
  }
  char c = *s->cur;
  if (cc->space_dependent ? is_letter(c) : is_upper(c)) return lex_name(cc, s);
  set_cursor(s, s->cur + 1);
  if (cc->debug) cc_debug(cc, "char: '%c'\n", c);
  return static_cast<unsigned char>(c);
}

}  // namespace

ScanValue* ScanValues::more_slot(size_t index) {
  const size_t block = index / kBlock;
  while (more_.size() <= block) more_.emplace_back(new ScanValue[kBlock]);
  return &more_[block][index % kBlock];
}

ScanState* scan_state(CompileContext* cc) {
  if (!cc->scan) {
    cc->scan = new ScanState();
    cc->scan_release = release_state;
  }
  return static_cast<ScanState*>(cc->scan);
}

const ScanValue* scan_value(CompileContext* cc) { return state_of(cc)->value; }

bool scan_match_keyword(const char* keyword, const char** cursor, int* remaining, bool space_dependent) {
  const char* p = *cursor;
  const char* end = p + (*remaining > 0 ? *remaining : 0);
  for (const char* k = keyword; *k; ++k) {
    if (*k == ' ') {
      if (k[1] == '\0') break;  // the keyword ends before its last blank
      if (space_dependent)
        while (p < end && *p == ' ') ++p;
      continue;
    }
    if (space_dependent) {
      if (p >= end || *p == ' ') return false;
      char c = is_lower(*p) ? static_cast<char>(*p - 'a' + 'A') : *p;
      if (c != *k) return false;
    } else {
      while (p < end && *p == ' ') ++p;
      if (p >= end || *p != *k) return false;
    }
    ++p;
  }
  *remaining -= static_cast<int>(p - *cursor);
  *cursor = p;
  return true;
}

void scan_error(CompileContext* cc, const char* position, const char* message) {
  ScanState* s = state_of(cc);
  const char* at = position ? position : s->token_start;
  cg_error(cc, at ? column_of(s, at) : 0, message);
}

void scan_not_allowed(CompileContext* cc, const char* keyword) {
  std::string m = keyword;
  m += " NOT ALLOWED HERE";
  scan_error(cc, nullptr, m.c_str());
}

void scan_unsupported(CompileContext* cc, const char* keyword) {
  int n = static_cast<int>(std::strlen(keyword));
  trim_trailing(keyword, &n);
  std::string m(keyword, static_cast<size_t>(n));
  m += ": UNSUPPORTED KEYWORD";
  scan_error(cc, nullptr, m.c_str());
}

void scan_pushback(CompileContext* cc, int token) {
  ScanState* s = state_of(cc);
  if (s->pb_count >= SCAN_PUSHBACK_MAX) scan_error(cc, nullptr, "PB-Stack overflow");
  s->pb_token[s->pb_count] = token;
  s->pb_value[s->pb_count] = s->value;
  ++s->pb_count;
}

void scan_select_table(CompileContext* cc, int table_id) {
  state_of(cc)->context_table = table_id < 0 ? nullptr : skeywd_table(table_id);
}

int scan_line_start(CompileContext* cc, int mode, const char* text, int length) {
  ScanState* s = state_of(cc);
  s->line = text;
  s->cur = text;
  s->remaining = length > 0 ? length : 0;
  start_token(cc, s);
  s->pb_count = 0;
  s->mode = SCAN_NORMAL;
  s->context_table = nullptr;
  s->values.clear();
  s->value = &s->values.add();
  cg_set_error(cc, 0, "PARSER STACK OVERFLOW");

  skip_blanks(s);
  if (at_end(s)) return SCAN_LINE_EMPTY;

  if (mode == SCAN_MODE_EXPRESSION || mode == SCAN_MODE_VARLIST) {
    scan_pushback(cc, mode == SCAN_MODE_EXPRESSION ? T_EXPR : T_XPVAR);
    return SCAN_LINE_UNNUMBERED;
  }

  const char* end = line_end(s);
  bool numbered = false;
  long lineno = 0;
  if ((mode == SCAN_MODE_IMMEDIATE || mode == SCAN_MODE_PROGRAM) && is_digit(*s->cur)) {
    start_token(cc, s);
    const char* q = scan_spaced_integer(s->cur, end, &lineno);
    set_cursor(s, q);
    skip_blanks(s);
    if (lineno == 0 || lineno > 32767 || (!at_end(s) && *s->cur == '.'))
      scan_error(cc, nullptr, "IMPROPER LINE NUMBER");
    numbered = true;
    if (at_end(s)) {
      cg_emit(cc, static_cast<uint32_t>(lineno));
      return SCAN_LINE_NUMBER_ONLY;
    }
  }

  bool labelled = false;
  uint32_t label_word = 0;
  if (numbered || mode == SCAN_MODE_PROGRAM) {
    const char* stop = nullptr;
    int count = 0;
    char name[SCAN_NAME_MAX + 1];
    if (scan_name_at(cc->space_dependent, s->cur, end, &stop, &count, name)) {
      const char* q = stop;
      while (q < end && *q == ' ') ++q;
      if (q < end && *q == ':') {
        start_token(cc, s);
        if (count > SCAN_NAME_MAX) scan_error(cc, nullptr, "SYMBOL TOO LONG");
        label_word = cg_tmpsym_label(cc, name);
        labelled = true;
        set_cursor(s, q + 1);
        skip_blanks(s);
        if (at_end(s)) scan_error(cc, nullptr, "IMPROPER STATEMENT");
      }
    }
  }

  start_token(cc, s);
  unsigned char c = static_cast<unsigned char>(*s->cur);
  if (c < 32 || c > 127 || (!cc->space_dependent && is_lower(static_cast<char>(c))))
    scan_error(cc, nullptr, "IMPROPER CHARACTER");

  const pkeywd_row* row = recognise_statement(cc, s);
  check_unsupported(cc, row);
  uint8_t refused = 0;
  switch (mode) {
    case SCAN_MODE_IMMEDIATE:
      refused = numbered ? PK_FLAG_COMMAND : (PK_FLAG_NEEDS_LINE | PK_FLAG_NOT_AFTER_THEN);
      break;
    case SCAN_MODE_PROGRAM: refused = PK_FLAG_COMMAND; break;
    default: refused = PK_FLAG_COMMAND | PK_FLAG_NOT_AFTER_THEN; break;
  }
  if (row->flags & refused) scan_not_allowed(cc, row->name);

  set_statement_value(s, row);
  scan_pushback(cc, row->token);
  scan_pushback(cc, T_STMT);

  int column = column_of(s, s->token_start) + 1;
  if (column > 255) column = 255;
  cg_emit(cc, numbered ? static_cast<uint32_t>(lineno) : 0);
  cg_emit(cc, static_cast<uint32_t>(column) << 8);
  if (labelled) cg_emit(cc, label_word);
  cg_keyword(cc, false, static_cast<uint16_t>(row->code));
  return numbered ? SCAN_LINE_NUMBERED : SCAN_LINE_UNNUMBERED;
}

int scan_lex(CompileContext* cc) {
  ScanState* s = state_of(cc);
  if (s->pb_count > 0) {
    --s->pb_count;
    s->value = s->pb_value[s->pb_count];
    return s->pb_token[s->pb_count];
  }
  if (s->mode == SCAN_FORMAT) return lex_format(cc, s);

  skip_blanks(s);
  start_token(cc, s);
  if (at_end(s)) return T_EOL;
  if (*s->cur == '!') return lex_comment(cc, s);
  if (s->mode == SCAN_LIST_ITEMS) return lex_list_item(cc, s);

  unsigned char c = static_cast<unsigned char>(*s->cur);
  if (c < 32 || c > 127 || (!cc->space_dependent && is_lower(static_cast<char>(c))))
    scan_error(cc, nullptr, "IMPROPER CHARACTER");

  if (c == '"') {
    const char* end = line_end(s);
    const char* q = static_cast<const char*>(std::memchr(s->cur + 1, '"', static_cast<size_t>(end - s->cur - 1)));
    if (!q) scan_error(cc, nullptr, "MISSING QUOTE");
    ScanValue& v = new_value(s);
    v.text = s->cur + 1;
    v.length = static_cast<int>(q - s->cur - 1);
    set_cursor(s, q + 1);
    if (cc->debug) cc_debug(cc, "string: (%d) '%.*s'\n", v.length, v.length, v.text);
    return T_STRING;
  }
  int token = 0;
  if ((is_digit(static_cast<char>(c)) || c == '.') && lex_number(cc, s, &token)) return token;
  return lex_word(cc, s);
}

int scan_rest(CompileContext* cc, int mode) {
  SCAN_ASSERT(mode == SCAN_LIST_ITEMS || mode == SCAN_FORMAT);
  ScanState* s = state_of(cc);
  skip_blanks(s);
  start_token(cc, s);
  if (at_end(s) || *s->cur == '!') return 0;
  const char* stop = raw_text_end(cc, s, "!");
  ScanValue& v = new_value(s);
  v.text = s->cur;
  v.number = column_of(s, s->cur) + 1;
  v.length = static_cast<int>(stop - s->cur);
  trim_trailing(v.text, &v.length);
  s->mode = mode;
  return 1;
}

int scan_then_statement(CompileContext* cc) {
  ScanState* s = state_of(cc);
  skip_blanks(s);
  start_token(cc, s);
  if (at_end(s) || *s->cur == '!') return 0;
  const pkeywd_row* row = recognise_statement(cc, s);
  if (row->code == CW_IMPLIED_LET) return 0;
  check_unsupported(cc, row);
  if (row->flags & (PK_FLAG_COMMAND | PK_FLAG_NOT_AFTER_THEN)) scan_not_allowed(cc, row->name);
  set_statement_value(s, row);
  scan_pushback(cc, row->token);
  scan_pushback(cc, T_STMT);
  return 1;
}

void scan_comment(CompileContext* cc) {
  ScanState* s = state_of(cc);
  skip_blanks(s);
  start_token(cc, s);
  take_rest_of_line(s);
}
