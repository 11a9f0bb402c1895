// Reader of the ASCII dialog language: lines, tokens and the statement loop.
#include "dialogs/language/dlgread.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

bool ascii_letter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

bool equal_nocase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// One open file with the line being read in it.
struct OpenFile {
  DlgSource source;
  size_t next = 0;       // offset of the next line in source.text
  int line_number = 0;   // number of the line being read
  std::string raw;       // that line as written
  std::string content;   // what of it is read as tokens
  size_t column = 0;     // next byte of content
  size_t token_end = 0;  // end of the last token read from content
  bool designer_only = false;
};

// Thrown to end the read at the first error.
struct ReadError {
  int code;
};

class Reader {
 public:
  Reader(DlgReaderUser& user, const DlgReadOptions& options)
      : user_(user), options_(options), messages_(*options.messages) {}

  void run(const DlgSource& main) {
    files_.push_back(OpenFile{});
    files_.back().source = main;
    for (;;) {
      int token = next_token();
      bool ide = token_ide_;
      if (token == '.') {
        if (depth_ == 0) fail(DLG_ERR_SYNTAX, messages_.not_inside_object);
        attribute_statement(ide);
      } else if (token == '}') {
        if (depth_ == 0) fail(DLG_ERR_SYNTAX, messages_.extra_brace);
        --depth_;
        std::string message;
        check(user_.object_end(objects_[depth_], message), message);
      } else if (token == DLG_TOK_IDENT) {
        if (equal_nocase(text_, "include")) {
          include_statement();
          continue;
        }
        std::string first = text_;
        int second = next_token();
        if (second == '=') {
          define_statement(first);
        } else if (second == DLG_TOK_IDENT) {
          object_statement(first, text_, ide);
        } else {
          fail(DLG_ERR_SYNTAX, dlg_format(messages_.object_name_expected, second));
        }
      } else if (token == DLG_TOK_END) {
        if (files_.size() > 1) {
          files_.pop_back();
          continue;
        }
        if (depth_ > 0) fail(DLG_ERR_SYNTAX, dlg_format(messages_.missing_brace, depth_));
        return;
      } else {
        fail(DLG_ERR_SYNTAX, dlg_format(messages_.identifier_expected, token));
      }
    }
  }

  int line() const { return files_.empty() ? 0 : files_.back().line_number; }
  std::string file() const { return files_.empty() ? std::string() : files_.back().source.name; }
  const std::string& message() const { return message_; }

 private:
  [[noreturn]] void fail(int code, const std::string& message) {
    message_ = message;
    throw ReadError{code};
  }

  void check(int code, const std::string& message) {
    if (code != 0) fail(code, message);
  }

  // Moves to the next line with content in the current file; false at its end.
  bool next_line() {
    OpenFile& f = files_.back();
    const std::string& text = f.source.text;
    while (f.next < text.size()) {
      size_t end = text.find('\n', f.next);
      size_t stop = end == std::string::npos ? text.size() : end;
      ++f.line_number;
      if (stop - f.next > options_.max_line) {
        f.raw.clear();
        f.content.clear();
        fail(DLG_ERR_SYNTAX, dlg_format(messages_.line_too_long, options_.max_line));
      }
      f.raw.assign(text, f.next, stop - f.next);
      f.next = end == std::string::npos ? text.size() : end + 1;
      if (!f.raw.empty() && f.raw.back() == '\r') f.raw.pop_back();
      int level = static_cast<int>(files_.size()) - 1;
      user_.line_read(f.line_number, f.raw, level);

      size_t start = 0;
      while (start < f.raw.size() && is_blank(static_cast<unsigned char>(f.raw[start]))) ++start;
      f.designer_only = false;
      if (start == f.raw.size()) {
        keep(DLG_TEXT_BLANK, f.raw, level);
        continue;
      }
      if (f.raw[start] == '#') {
        const size_t prefix = sizeof DLG_IDE_PREFIX - 1;
        if (options_.ide_lines == DLG_IDE_AS_CONTENT && f.raw.size() - start > prefix &&
            f.raw.compare(start, prefix, DLG_IDE_PREFIX) == 0) {
          start += prefix;
          while (start < f.raw.size() && is_blank(static_cast<unsigned char>(f.raw[start]))) ++start;
          f.designer_only = true;
        } else {
          keep(DLG_TEXT_COMMENT, f.raw, level);
          continue;
        }
      }
      f.content.assign(f.raw, start, std::string::npos);
      f.column = 0;
      f.token_end = 0;
      return true;
    }
    f.content.clear();
    f.column = 0;
    return false;
  }

  void keep(DlgTextKind kind, const std::string& line, int level) {
    std::string message;
    check(user_.text_line(kind, line, level, message), message);
  }

  // With keep_source, hands over the rest of the current line when it is a
  // comment, and skips it.
  void trailing_comment() {
    OpenFile& f = files_.back();
    size_t at = f.column;
    while (at < f.content.size() && is_blank(static_cast<unsigned char>(f.content[at]))) ++at;
    if (at >= f.content.size() || f.content[at] != '#') return;
    f.column = f.content.size();
    if (options_.keep_source)
      keep(DLG_TEXT_TRAILING, f.content.substr(f.token_end), static_cast<int>(files_.size()) - 1);
  }

  int next_token() {
    int token = scan_token();
    OpenFile& f = files_.back();
    if (token != DLG_TOK_END) f.token_end = f.column;
    return token;
  }

  bool letter(unsigned char c) const { return options_.is_letter ? options_.is_letter(c) : ascii_letter(c); }

  int scan_token() {
    for (;;) {
      OpenFile& f = files_.back();
      if (f.column >= f.content.size()) {
        if (!next_line()) {
          token_ide_ = false;
          return DLG_TOK_END;
        }
        continue;
      }
      const std::string& s = f.content;
      while (f.column < s.size() && is_blank(static_cast<unsigned char>(s[f.column]))) ++f.column;
      if (f.column >= s.size()) continue;
      token_ide_ = f.designer_only;
      unsigned char c = static_cast<unsigned char>(s[f.column]);
      if (c == '#') {
        trailing_comment();
        continue;
      }
      if (c == '"') {
        size_t close = s.find('"', f.column + 1);
        if (close == std::string::npos) fail(DLG_ERR_SYNTAX, messages_.missing_quote);
        text_.assign(s, f.column + 1, close - f.column - 1);
        written_.assign(s, f.column, close + 1 - f.column);
        f.column = close + 1;
        return DLG_TOK_STRING;
      }
      if (is_digit(c) || c == '-') {
        const char* begin = s.c_str() + f.column;
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(begin, &end, 0);
        if (end == begin) {  // a "-" without digits is a token of its own
          ++f.column;
          return c;
        }
        std::string written(begin, static_cast<size_t>(end - begin));
        f.column += written.size();
        if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
          fail(DLG_ERR_SYNTAX, dlg_format(messages_.number_range, written.c_str()));
        number_ = static_cast<int32_t>(v);
        text_ = written;
        written_ = written;
        return DLG_TOK_NUMBER;
      }
      if (letter(c)) {
        size_t end = f.column + 1;
        while (end < s.size()) {
          unsigned char d = static_cast<unsigned char>(s[end]);
          if (!letter(d) && !is_digit(d) && d != '_' && d != '.') break;
          ++end;
        }
        text_.assign(s, f.column, end - f.column);
        written_ = text_;
        f.column = end;
        return DLG_TOK_IDENT;
      }
      ++f.column;
      return c;
    }
  }

  // The current token as a value: a constant or an identifier's value.
  // False when the token is neither.
  bool token_value(int token, DlgValue& value) {
    if (token == DLG_TOK_NUMBER) {
      value = DlgValue{};
      value.kind = DLG_VALUE_INTEGER;
      value.number = number_;
      return true;
    }
    if (token == DLG_TOK_STRING) {
      value = DlgValue{};
      value.kind = DLG_VALUE_TEXT;
      value.text = text_;
      return true;
    }
    if (token == DLG_TOK_IDENT) {
      std::string name = text_, message;
      value = DlgValue{};
      check(user_.lookup(name, value, message), message);
      value.symbol = name;
      return true;
    }
    return false;
  }

  void attribute_statement(bool ide) {
    DlgAttribute a;
    a.object = &objects_[depth_ - 1];
    a.designer_only = ide;
    if (next_token() != DLG_TOK_IDENT) fail(DLG_ERR_SYNTAX, messages_.attribute_expected);
    a.name = text_;
    int token = next_token();
    if (token == '[') {
      if (next_token() != DLG_TOK_NUMBER) fail(DLG_ERR_SYNTAX, messages_.index_expected);
      a.has_index = true;
      a.index = number_;
      if (next_token() != ']') fail(DLG_ERR_SYNTAX, messages_.close_bracket_expected);
      token = next_token();
    }
    if (token != '=') fail(DLG_ERR_SYNTAX, messages_.equals_expected);
    if (!token_value(next_token(), a.value)) fail(DLG_ERR_SYNTAX, messages_.value_expected);
    std::string message;
    check(user_.attribute(a, message), message);
  }

  void define_statement(const std::string& name) {
    DlgValue value;
    if (!token_value(next_token(), value)) fail(DLG_ERR_SYNTAX, messages_.define_value_expected);
    if (options_.keep_source) keep(DLG_TEXT_DEFINE, name + " = " + written_, static_cast<int>(files_.size()) - 1);
    std::string message;
    check(user_.define(name, value, message), message);
  }

  void object_statement(const std::string& cls, const std::string& name, bool ide) {
    if (depth_ == DLG_MAX_DEPTH) fail(DLG_ERR_DEPTH, dlg_format(messages_.nesting_too_deep, DLG_MAX_DEPTH));
    DlgObject& o = objects_[depth_];
    o.path = depth_ == 0 ? name : objects_[depth_ - 1].path + "." + name;
    o.cls = cls;
    o.name = name;
    o.depth = depth_ + 1;
    o.designer_only = ide;
    if (next_token() != '{') fail(DLG_ERR_SYNTAX, messages_.open_brace_expected);
    std::string message;
    check(user_.object(o, message), message);
    ++depth_;
  }

  void include_statement() {
    if (next_token() != DLG_TOK_STRING) fail(DLG_ERR_SYNTAX, messages_.include_name_expected);
    std::string name = text_, written = written_;
    bool optional = !name.empty() && name[0] == '?';
    if (optional) name.erase(0, 1);
    int level = static_cast<int>(files_.size()) - 1;
    if (level >= DLG_MAX_INCLUDE) fail(DLG_ERR_DEPTH, messages_.include_too_deep);
    keep(DLG_TEXT_INCLUDE, options_.keep_source ? "include " + written : files_.back().raw, level);
    DlgSource source;
    std::string message;
    int rc = user_.include_open(name, optional, files_.back().source, source, message);
    if (rc != 0 && rc != 1) fail(rc, message);
    if (options_.keep_source) trailing_comment();
    if (rc == 1) return;
    files_.push_back(OpenFile{});
    files_.back().source = std::move(source);
  }

  DlgReaderUser& user_;
  const DlgReadOptions& options_;
  const DlgMessages& messages_;
  std::vector<OpenFile> files_;
  DlgObject objects_[DLG_MAX_DEPTH];
  int depth_ = 0;
  std::string text_;
  std::string written_;  // the last token as written
  int32_t number_ = 0;
  bool token_ide_ = false;
  std::string message_;
};

}  // namespace

std::string dlg_format(const char* format, ...) {
  if (!format) return std::string();
  char buffer[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

int dlg_read(DlgReaderUser& user, const DlgReadOptions& options, const DlgSource& main, DlgReadResult* result) {
  DlgReadResult local;
  DlgReadResult& r = result ? *result : local;
  r = DlgReadResult{};
  if (options.messages == nullptr) {
    r.code = DLG_ERR_SYNTAX;
    return r.code;
  }
  Reader reader(user, options);
  try {
    reader.run(main);
  } catch (const ReadError& e) {
    r.code = e.code;
    r.message = reader.message();
  } catch (const std::bad_alloc&) {
    r.code = DLG_ERR_MEMORY;
    r.message = options.messages->out_of_memory;
  }
  r.line = reader.line();
  r.file = reader.file();
  return r.code;
}
