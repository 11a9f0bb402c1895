// The reader of VUZ dialog sources: a lexer over the context's text and a
// statement loop that builds objects through the class model and hands every
// other piece of source to the host as text lines.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugpane/plugpane.h"

int pane_font_variant = 1;
int pane_color_variant = 1;

namespace {

enum Tok {
  T_EOF,
  T_ERROR,
  T_WORD,
  T_SEMI,
  T_LBRACE,
  T_RBRACE,
  T_COLON,
  T_ASSIGN,
  T_PUNCT,
  T_IDENT,
  T_DOTIDENT,
  T_CLASS,
  T_KEYWORD,
  T_DATATYPE,
  T_ATTR,
  T_CONST
};

enum Keyword {
  K_ACCELERATOR = 0,
  K_APPLICATION = 1,
  K_BOLD = 2,
  K_CALLBACK = 3,
  K_CHILD = 4,
  K_COLOR = 5,
  K_CONSTANT = 6,
  K_CURSOR = 7,
  K_FORMAT = 8,
  K_FORMATFUNC = 9,
  K_DEFAULT = 10,
  K_DIALOG = 11,
  K_EXPORT = 12,
  K_FONT = 13,
  K_FUNCTION = 14,
  K_IMPORT = 15,
  K_INTERFACE = 16,
  K_ITALIC = 17,
  K_MODEL = 18,
  K_MODULE = 19,
  K_OF = 20,
  K_TILE = 21,
  D_INTEGER = 1009,
  D_STRING = 1013
};

struct Word {
  const char* text;
  Tok tok;
  int code;
};

const Word kWords[] = {
    {"accelerator", T_KEYWORD, 0},  {"application", T_KEYWORD, 1},   {"bold", T_KEYWORD, 2},
    {"callback", T_KEYWORD, 3},     {"child", T_KEYWORD, 4},         {"color", T_KEYWORD, 5},
    {"cursor", T_KEYWORD, 7},       {"format", T_KEYWORD, 8},        {"formatfunc", T_KEYWORD, 9},
    {"default", T_KEYWORD, 10},     {"dialog", T_KEYWORD, 11},       {"export", T_KEYWORD, 12},
    {"font", T_KEYWORD, 13},        {"function", T_KEYWORD, 14},     {"import", T_KEYWORD, 15},
    {"interface", T_KEYWORD, 16},   {"italic", T_KEYWORD, 17},       {"model", T_KEYWORD, 18},
    {"module", T_KEYWORD, 19},      {"of", T_KEYWORD, 20},           {"tile", T_KEYWORD, 21},
    {"anyvalue", T_DATATYPE, 1001}, {"attribute", T_DATATYPE, 1002}, {"boolean", T_DATATYPE, 1003},
    {"datatype", T_DATATYPE, 1004}, {"class", T_DATATYPE, 1005},     {"enum", T_DATATYPE, 1006},
    {"event", T_DATATYPE, 1007},    {"index", T_DATATYPE, 1008},     {"integer", T_DATATYPE, 1009},
    {"method", T_DATATYPE, 1010},   {"object", T_DATATYPE, 1011},    {"pointer", T_DATATYPE, 1012},
    {"string", T_DATATYPE, 1013},   {"void", T_DATATYPE, 1014},
};

const int kMaxDepth = 8;
const size_t kMaxImports = 8;
const size_t kMaxString = 1023;
const size_t kMaxIdent = 32;

struct Token {
  Tok t = T_EOF;
  std::string text;
  int code = 0;
  int32_t num = 0;
  int vtype = VAL_NONE;
  bool has_index = false;
  int32_t index = 0;
  int line = 1;
  size_t start = 0;
  size_t end = 0;
};

bool delimiter(const char* p, size_t left) {
  char c = *p;
  if (isspace(static_cast<unsigned char>(c)) || strchr("\";,:=(){}[]", c) != nullptr) return true;
  if (left >= 2 && ((c == '!' && p[1] == '!') || (c == '/' && (p[1] == '/' || p[1] == '*')))) return true;
  return false;
}

struct Lexer {
  pload* ctx = nullptr;
  const char* text = nullptr;
  size_t size = 0;
  size_t pos = 0;
  int line = 1;
  std::vector<size_t> comments;  // start of every comment passed over (top-level file only)
  bool keep_comments = false;

  Tok fail(const char* fmt, int arg) {
    ctx->Line = line;
    ctx->Error(ctx, fmt, arg);
    return T_ERROR;
  }
  Tok fail(const char* msg) {
    ctx->Line = line;
    ctx->Error(ctx, "%s", msg);
    return T_ERROR;
  }
  bool more() const { return pos < size; }
  char at(size_t i) const { return i < size ? text[i] : '\0'; }

  // Skips white space and comments; false after a reported error.
  bool skip() {
    while (pos < size) {
      char c = text[pos];
      if (c == '\n') {
        ++line;
        ++pos;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos;
      } else if ((c == '!' && at(pos + 1) == '!') || (c == '/' && at(pos + 1) == '/')) {
        if (keep_comments) comments.push_back(pos);
        while (pos < size && text[pos] != '\n') ++pos;
      } else if (c == '/' && at(pos + 1) == '*') {
        int first = line;
        if (keep_comments) comments.push_back(pos);
        pos += 2;
        for (;;) {
          if (pos + 1 >= size) {
            line = first;
            fail("Comment is not terminated");
            return false;
          }
          if (text[pos] == '*' && text[pos + 1] == '/') {
            pos += 2;
            break;
          }
          if (text[pos] == '\n') ++line;
          ++pos;
        }
      } else {
        return true;
      }
    }
    return true;
  }

  // An index "[digits]" directly after a word.
  Tok index(Token& t) {
    if (at(pos) != '[') return T_EOF;
    ++pos;
    int64_t v = 0;
    size_t digits = 0;
    while (pos < size && isdigit(static_cast<unsigned char>(text[pos]))) {
      v = v * 10 + (text[pos] - '0');
      if (v > INT32_MAX)
        return fail("Unexpected character 0x%02x in array index", static_cast<unsigned char>(text[pos]));
      ++pos;
      ++digits;
    }
    if (digits == 0 || at(pos) != ']' || pos >= size)
      return fail("Unexpected character 0x%02x in array index", static_cast<unsigned char>(at(pos)));
    ++pos;
    t.has_index = true;
    t.index = static_cast<int32_t>(v);
    return T_EOF;
  }

  Tok next(Token& t) {
    t = Token();
    if (!skip()) return t.t = T_ERROR;
    t.line = line;
    t.start = pos;
    if (pos >= size) {
      t.end = pos;
      return t.t = T_EOF;
    }
    unsigned char c = static_cast<unsigned char>(text[pos]);
    Tok r = scan(t, c);
    t.t = r;
    t.end = pos;
    return r;
  }

  Tok scan(Token& t, unsigned char c) {
    switch (c) {
      case ';': ++pos; return T_SEMI;
      case '{': ++pos; return T_LBRACE;
      case '}': ++pos; return T_RBRACE;
      case ':':
        ++pos;
        if (at(pos) == '=' && pos < size) {
          ++pos;
          return T_ASSIGN;
        }
        return T_COLON;
      default: break;
    }
    if (c == '"') return string(t);
    if (isdigit(c) || (c == '-' && pos + 1 < size && isdigit(static_cast<unsigned char>(text[pos + 1]))))
      return number(t);
    // "(", ")", "=", "[" and "]" only occur in statements kept as text (the
    // parameter lists of functions, for one); they read as punctuation.
    if (strchr(",+-*/%()=[]", c) != nullptr && c != '\0') {
      ++pos;
      t.text = std::string(1, static_cast<char>(c));
      return T_PUNCT;
    }
    if (c == '.') return attribute(t);
    if (isupper(c) || c == '_') return identifier(t);
    if (islower(c)) return word(t);
    return fail("Unexpected token 0x%02x", c);
  }

  Tok string(Token& t) {
    int first = line;
    ++pos;
    std::string s;
    for (;;) {
      if (pos >= size) {
        line = first;
        return fail("String constant is not terminated");
      }
      char c = text[pos];
      if (c == '"') {
        ++pos;
        break;
      }
      // The host keeps lines and values as C strings: a NUL would cut them.
      if (c == '\0') return fail("Unexpected token 0x%02x", 0);
      if (c == '\\' && pos + 3 < size + 0 && isdigit(static_cast<unsigned char>(at(pos + 1))) &&
          isdigit(static_cast<unsigned char>(at(pos + 2))) && isdigit(static_cast<unsigned char>(at(pos + 3)))) {
        int v = (at(pos + 1) - '0') * 64 + (at(pos + 2) - '0') * 8 + (at(pos + 3) - '0');
        s += static_cast<char>(v % 256);
        pos += 4;
      } else if (c == '\\' && at(pos + 1) == '"' && pos + 1 < size) {
        s += '"';
        pos += 2;
      } else {
        if (c == '\n') ++line;
        s += c;
        ++pos;
      }
      if (s.size() > kMaxString) return fail("String is too long");
    }
    t.text = s;
    t.vtype = VAL_TEXT;
    return T_CONST;
  }

  Tok number(Token& t) {
    size_t b = pos;
    if (text[pos] == '-') ++pos;
    int64_t v = 0;
    while (pos < size && isdigit(static_cast<unsigned char>(text[pos]))) {
      v = v * 10 + (text[pos] - '0');
      if (v > 2147483648LL) return fail("Numeric constant is too large");
      ++pos;
    }
    if (pos < size && !delimiter(text + pos, size - pos) && strchr("+-*/%", text[pos]) == nullptr)
      return fail("Unexpected token 0x%02x", static_cast<unsigned char>(text[pos]));
    if (text[b] == '-') v = -v;
    if (v > INT32_MAX) return fail("Numeric constant is too large");
    t.text.assign(text + b, pos - b);
    t.num = static_cast<int32_t>(v);
    t.vtype = VAL_INT;
    return T_CONST;
  }

  Tok attribute(Token& t) {
    size_t b = pos++;
    while (pos < size && !delimiter(text + pos, size - pos)) {
      char c = text[pos];
      if (!isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.')
        return fail("Attribute identifier contains invalid character '%c'", c);
      ++pos;
    }
    t.text.assign(text + b, pos - b);
    if (t.text == ".options") return T_WORD;
    if (t.text.size() < 2) return fail("Attribute identifier contains invalid character '%c'", at(pos));
    if (index(t) == T_ERROR) return T_ERROR;
    return T_ATTR;
  }

  Tok identifier(Token& t) {
    size_t b = pos;
    bool dotted = false;
    while (pos < size && !delimiter(text + pos, size - pos)) {
      char c = text[pos];
      if (c == '.')
        dotted = true;
      else if (!isalnum(static_cast<unsigned char>(c)) && c != '_')
        return fail("Identifier contains invalid character '%c'", c);
      ++pos;
    }
    t.text.assign(text + b, pos - b);
    if (!dotted && t.text.size() > kMaxIdent) return fail("Identifier is too long");
    if (index(t) == T_ERROR) return T_ERROR;
    return dotted ? T_DOTIDENT : T_IDENT;
  }

  Tok word(Token& t) {
    size_t b = pos;
    while (pos < size && !delimiter(text + pos, size - pos)) {
      char c = text[pos];
      if (!isalnum(static_cast<unsigned char>(c)) && c != '_')
        return fail("Keyword contains invalid character '%c'", c);
      ++pos;
    }
    t.text.assign(text + b, pos - b);
    for (const Word& w : kWords)
      if (t.text == w.text) {
        t.code = w.code;
        return w.tok;
      }
    if (var_find_class(t.text.c_str()) != nullptr) return T_CLASS;
    if (var_cfg_find_entry(var_config().find("Constants") ? &var_config().find("Constants")->entries : nullptr,
                           t.text.c_str()) != nullptr) {
      t.code = K_CONSTANT;
      return T_KEYWORD;
    }
    return T_WORD;
  }
};

struct Level {
  pload ctx;
  Lexer lx;
};

enum FrameKind { F_OBJECT, F_DEFAULT };

struct Frame {
  size_t path_len;
  FrameKind kind;
  bool model;
  bool priv;
  bool capture;  // the block's source goes to the host as text when it closes
};

class Reader {
 public:
  explicit Reader(pload* top) : top_(top), cur_(top) {}

  int run(const char* filename) {
    top_->Options = 59;
    top_->Levels = 1;
    top_->Lexer = &toplx_;
    if (top_->Open(top_, filename) != 0) return -1;
    toplx_.ctx = top_;
    toplx_.keep_comments = true;
    toplx_.text = top_->Text;
    toplx_.size = top_->Size > 0 ? static_cast<size_t>(top_->Size) : 0;
    lx_ = &toplx_;
    current_ = this;
    int rc = var_load_prologue(top_, 0, &Reader::prologue_made);
    current_ = nullptr;
    if (rc == 0) rc = loop();
    while (!levels_.empty()) pop();
    top_->Close(top_);
    top_->Lexer = nullptr;
    return rc;
  }

 private:
  pload* top_;
  pload* cur_;
  Lexer toplx_;
  Lexer* lx_ = nullptr;
  std::vector<std::unique_ptr<Level>> levels_;
  Token look_;
  bool has_look_ = false;
  std::string path_;
  std::vector<Frame> frames_;
  size_t emitted_ = 0;
  int emitted_line_ = 1;
  int capture_ = 0;
  int unnamed_ = 0;
  // Positions and sizes count in the dialog's raster (its character cell):
  // every object takes them in units, and every container made so far
  // takes the raster that the dialog block sets.
  struct Container {
    obj_hndl obj;
    std::string path;
  };
  std::vector<Container> containers_;
  int raster_x_ = 0;  // 0: not set by the file
  int raster_y_ = 0;
  inline static Reader* current_ = nullptr;  // while the prologue makes the class defaults

  static int prologue_made(pload* ctx, obj_hndl obj, classrec* cls, const char* path) {
    return current_->object_made(ctx, obj, cls, path);
  }

  static bool container_class(const classrec* cls) {
    if (cls == nullptr || cls->class_section == nullptr) return false;
    const VarEntry* e = var_cfg_find_entry(&static_cast<const VarSection*>(cls->class_section)->entries, "container");
    return e != nullptr && std::atol(e->value.c_str()) != 0;
  }

  // Units for a new object; a container also takes the raster when the
  // file has set one.
  int object_made(pload* ctx, obj_hndl obj, const classrec* cls, const char* path) {
    if (obj.data == nullptr) return 0;
    int one = 1;
    prop_set ps{};
    ps.obj = obj;
    ps.path = path;
    ps.flag27 = &one;
    ps.flag28 = &one;
    if (container_class(cls)) {
      containers_.push_back({obj, path});
      if (raster_x_ > 0) ps.rasterX = &raster_x_;
      if (raster_y_ > 0) ps.rasterY = &raster_y_;
    }
    return ctx->SetProp(ctx, &ps) == 0 ? 0 : -1;
  }

  // The dialog block set the raster: every container made so far takes it.
  int raster_changed(pload* ctx, const int* x, const int* y) {
    if (x != nullptr) raster_x_ = *x;
    if (y != nullptr) raster_y_ = *y;
    for (const Container& c : containers_) {
      int rx = raster_x_, ry = raster_y_;
      prop_set ps{};
      ps.obj = c.obj;
      ps.path = c.path.c_str();
      if (x != nullptr && rx > 0) ps.rasterX = &rx;
      if (y != nullptr && ry > 0) ps.rasterY = &ry;
      if ((ps.rasterX != nullptr || ps.rasterY != nullptr) && ctx->SetProp(ctx, &ps) != 0) return -1;
    }
    return 0;
  }

  // ---- tokens ----
  Tok next(Token& t) {
    if (has_look_) {
      has_look_ = false;
      t = look_;
      return t.t;
    }
    return lx_->next(t);
  }
  Tok peek() {
    if (!has_look_) {
      lx_->next(look_);
      has_look_ = true;
    }
    return look_.t;
  }
  void unget(const Token& t) {
    look_ = t;
    has_look_ = true;
  }
  int error(const Token& t, const char* fmt, const char* arg = nullptr) {
    cur_->Line = t.line;
    if (arg != nullptr)
      cur_->Error(cur_, fmt, arg);
    else
      cur_->Error(cur_, "%s", fmt);
    return -1;
  }
  int errorn(const Token& t, const char* fmt, int n) {
    cur_->Line = t.line;
    cur_->Error(cur_, fmt, n);
    return -1;
  }
  bool top_level_file() const { return levels_.empty(); }

  // ---- text lines ----
  // Hands the source from the last handed position up to `off` to the host,
  // line by line; a piece that starts inside a line and is blank is skipped,
  // one that is not blank continues the host's line of that number.
  int emit_to(size_t off) {
    if (!top_level_file() || off <= emitted_) return 0;
    const char* text = toplx_.text;
    size_t p = emitted_;
    bool line_start = p == 0 || text[p - 1] == '\n';
    while (p < off) {
      size_t e = p;
      while (e < off && text[e] != '\n') ++e;
      size_t t = e;
      while (t > p && isspace(static_cast<unsigned char>(text[t - 1]))) --t;
      bool blank = t == p;
      bool at_end = e == toplx_.size && e == off;
      if (!(blank && (!line_start || at_end))) {
        std::string piece(text + p, t - p);
        top_->Line = emitted_line_;
        if (top_->TextLine(top_, piece.c_str(), blank ? 1 : 0) != 0) {
          top_->Error(top_, "%s", "Unable to create text line");
          return -1;
        }
      }
      if (e < off) {
        ++emitted_line_;
        line_start = true;
        p = e + 1;
      } else {
        p = e;
      }
    }
    emitted_ = off;
    return 0;
  }
  size_t line_begin(size_t off) const {
    while (off > 0 && toplx_.text[off - 1] != '\n') --off;
    return off;
  }
  size_t line_after(size_t off) const {
    while (off < toplx_.size && toplx_.text[off] != '\n') ++off;
    return off < toplx_.size ? off + 1 : off;
  }
  // Before a statement: comments and blank lines above it.
  int flush(const Token& t) {
    if (capture_ > 0 || !top_level_file()) return 0;
    size_t b = line_begin(t.start);
    return b > emitted_ ? emit_to(b) : 0;
  }
  // After a statement that became objects or attributes.
  // A comment at the end of one of the statement's lines is handed over with
  // that line's number (the host keeps it as the line's same-line text).
  void consumed(size_t end) {
    if (capture_ > 0 || !top_level_file()) return;
    const char* text = toplx_.text;
    std::vector<size_t>& cs = toplx_.comments;
    size_t ci = 0;
    while (ci < cs.size() && cs[ci] < emitted_) ++ci;
    for (size_t p = emitted_; p < end; ++p) {
      if (ci < cs.size() && cs[ci] == p) {
        size_t b = p;
        while (b > emitted_ && (text[b - 1] == ' ' || text[b - 1] == '\t')) --b;
        size_t e = line_after(p);
        size_t t = e;
        while (t > p && isspace(static_cast<unsigned char>(text[t - 1]))) --t;
        if (e <= end && b > line_begin(p)) {
          std::string piece(text + b, t - b);
          top_->Line = emitted_line_;
          top_->TextLine(top_, piece.c_str(), 0);
        }
        ++ci;
      }
      if (text[p] == '\n') ++emitted_line_;
    }
    if (end > emitted_) emitted_ = end;
    cs.erase(cs.begin(), cs.begin() + static_cast<long>(ci));
  }
  int passed(size_t end) { return capture_ > 0 ? 0 : emit_to(end); }

  // Skips to the end of a statement that is kept only as text: its ";" (outside
  // nested braces), the "}" closing a brace it opened, or before a "}" that
  // closes the level around it. Returns the end offset or -1.
  long skip_statement(const Token& first) {
    size_t end = first.end;
    int depth = first.t == T_LBRACE ? 1 : 0;
    if (first.t == T_SEMI) return static_cast<long>(end);
    for (;;) {
      Token t;
      if (next(t) == T_ERROR) return -1;
      if (t.t == T_EOF) {
        unget(t);
        return static_cast<long>(end);
      }
      if (t.t == T_LBRACE) {
        ++depth;
      } else if (t.t == T_RBRACE) {
        if (depth == 0) {
          unget(t);
          return static_cast<long>(end);
        }
        if (--depth == 0) return static_cast<long>(t.end);
      } else if (t.t == T_SEMI && depth == 0) {
        return static_cast<long>(t.end);
      }
      end = t.end;
    }
  }
  int pass_through(const Token& first) {
    long end = skip_statement(first);
    if (end < 0) return -1;
    return passed(static_cast<size_t>(end));
  }

  // ---- input levels ----
  int push(const Token& at, const std::string& file, const char* open_msg) {
    if (levels_.size() >= kMaxImports) return error(at, "import: File nesting too deep");
    auto lv = std::make_unique<Level>();
    lv->ctx = *cur_;
    lv->ctx.IncludeDepth = cur_->IncludeDepth + 1;
    lv->ctx.Text = nullptr;
    lv->ctx.Size = 0;
    lv->ctx.Line = 1;
    if (lv->ctx.Open(&lv->ctx, file.c_str()) != 0) return error(at, open_msg, file.c_str());
    lv->lx.ctx = &lv->ctx;
    lv->lx.text = lv->ctx.Text;
    lv->lx.size = lv->ctx.Size > 0 ? static_cast<size_t>(lv->ctx.Size) : 0;
    lv->ctx.Lexer = &lv->lx;
    if (has_look_) has_look_ = false;  // the statement before was read whole
    levels_.push_back(std::move(lv));
    cur_ = &levels_.back()->ctx;
    lx_ = &levels_.back()->lx;
    return 0;
  }
  void pop() {
    std::unique_ptr<Level> lv = std::move(levels_.back());
    levels_.pop_back();
    lv->ctx.Close(&lv->ctx);
    cur_ = levels_.empty() ? top_ : &levels_.back()->ctx;
    lx_ = levels_.empty() ? &toplx_ : &levels_.back()->lx;
    cur_->Nesting = lv->ctx.Nesting;
    has_look_ = false;
  }

  // ---- statement loop ----
  int loop() {
    bool export_next = false;
    bool model_next = false;
    for (;;) {
      Token t;
      if (next(t) == T_ERROR) return -1;
      if (t.t != T_EOF && flush(t) != 0) return -1;
      bool exported = export_next;
      bool model = model_next;
      export_next = model_next = false;
      if ((exported || model) && t.t != T_IDENT && t.t != T_CLASS && t.t != T_DOTIDENT && t.t != T_EOF) {
        if (t.t == T_KEYWORD) return error(t, "Keyword '%s' not expected in this context", t.text.c_str());
        return error(t, "Class name, identifier or keyword expected");
      }
      int rc = 0;
      switch (t.t) {
        case T_EOF:
          if (!levels_.empty()) {
            pop();
            continue;
          }
          if (!frames_.empty()) return errorn(t, "'}' expected, level = %d", static_cast<int>(frames_.size()));
          return emit_to(toplx_.size);
        case T_WORD: rc = pass_through(t); break;
        case T_IDENT:
        case T_DOTIDENT:
        case T_CLASS: rc = object(t, t, exported, model); break;
        case T_RBRACE: rc = close(t); break;
        case T_KEYWORD: rc = keyword(t, export_next, model_next); break;
        case T_DATATYPE:
          if (frames_.empty()) return error(t, "Data type not expected outside object");
          rc = variable(t);
          break;
        case T_ATTR:
          if (frames_.empty()) return error(t, "Attribute not expected outside object");
          rc = attribute(t);
          break;
        default:
          return error(t, frames_.empty() ? "Class name, identifier or keyword expected"
                                          : "Keyword, attribute, data type or '}' expected");
      }
      if (rc != 0) return -1;
    }
  }

  int keyword(const Token& t, bool& export_next, bool& model_next) {
    switch (t.code) {
      case K_EXPORT:
        if (top_level_file()) return error(t, "Keyword 'export' outside module not expected");
        export_next = true;
        return 0;
      case K_MODEL:
        if (!frames_.empty()) return error(t, "Keyword 'model' not expected inside object");
        model_next = true;
        return 0;
      case K_MODULE: return pass_through(t);
      case K_CHILD: {
        if (frames_.empty()) return error(t, "Keyword 'child' not expected outside object");
        Token c;
        if (next(c) == T_ERROR) return -1;
        if (c.t == T_WORD) return pass_through(c);  // a class unknown to the configuration
        if (c.t != T_CLASS && c.t != T_IDENT && c.t != T_DOTIDENT) return error(c, "Class name or identifier expected");
        return object(t, c, false, false);
      }
      case K_DEFAULT: return class_default(t);
      case K_DIALOG: return dialog(t);
      case K_APPLICATION: return application(t);
      case K_ACCELERATOR:
      case K_COLOR:
      case K_CURSOR:
      case K_TILE:
      case K_FORMAT:
      case K_FUNCTION: return symbolic(t);
      case K_FONT: return font(t);
      case K_IMPORT: return import(t);
      default: return error(t, "Unexpected keyword '%s'", t.text.c_str());
    }
  }

  // ---- objects ----
  int object(const Token& first, const Token& cls, bool exported, bool model) {
    const size_t saved_pos = lx_->pos, saved_comments = lx_->comments.size();
    const int saved_line = lx_->line;
    Token name;
    if (next(name) == T_ERROR) return -1;
    std::string oname;
    if (name.t == T_IDENT && !name.has_index) {
      oname = name.text;
    } else if (name.t == T_LBRACE) {
      unget(name);
      oname = "_Unnamed_" + std::to_string(++unnamed_);
    } else if (model && frames_.empty() && name.t == T_SEMI) {
      unget(name);
      oname = "_Unnamed_" + std::to_string(++unnamed_);
    } else {
      unget(name);
      oname.clear();
    }
    if (static_cast<int>(frames_.size()) >= kMaxDepth)
      return errorn(cls, "Nesting to deep, MAX_DEPTH is %d", kMaxDepth);
    bool in_model = model || (!frames_.empty() && frames_.back().model);
    bool priv = !frames_.empty() ? frames_.back().priv : (!top_level_file() && !exported);
    std::string opath = path_.empty() ? oname : path_ + "." + oname;
    int mode = (in_model ? VAR_CREATE_MODEL : 0) | (priv ? VAR_CREATE_PRIVATE : 0);
    int rc = 1;
    if (!oname.empty()) {
      cur_->Line = cls.line;
      obj_hndl made{};
      rc = var_create_object(cur_, opath.c_str(), cls.text.c_str(), mode, &made);
      if (rc < 0) return -1;
      if (rc == 0 && made.data != nullptr && object_made(cur_, made, cur_->GetClassRec(cur_, made), opath.c_str()) != 0)
        return -1;
    } else if (var_find_class(cls.text.c_str()) != nullptr) {
      return error(name, "'{' expected");
    }
    if (rc == 1) {
      // unknown class: the statement stays text
      lx_->pos = saved_pos;
      lx_->line = saved_line;
      lx_->comments.resize(saved_comments);
      has_look_ = false;
      if (!oname.empty() && oname.compare(0, 9, "_Unnamed_") == 0) --unnamed_;
      return pass_through(cls.t == first.t && cls.start == first.start ? cls : cls);
    }
    Token brace;
    if (next(brace) == T_ERROR) return -1;
    bool model_top = model && frames_.empty();
    if (brace.t == T_SEMI && model_top) {
      if (end_object(brace, opath) != 0) return -1;
      return passed(brace.end);
    }
    if (brace.t != T_LBRACE) return error(brace, "'{' expected");
    frames_.push_back({path_.size(), F_OBJECT, in_model, priv, model_top && capture_ == 0});
    if (frames_.back().capture) ++capture_;
    path_ = opath;
    consumed(brace.end);
    (void)first;
    return 0;
  }

  int end_object(const Token& at, const std::string& opath) {
    cur_->Line = at.line;
    if (cur_->EndObject(cur_, opath.c_str()) != 0) return error(at, "Unable to locate object:\n%s", opath.c_str());
    return var_set_default_attrs(cur_, opath.c_str());
  }

  int close(const Token& t) {
    if (frames_.empty()) return error(t, "'}' not expected");
    Frame f = frames_.back();
    if (end_object(t, path_) != 0) return -1;
    frames_.pop_back();
    path_.resize(f.path_len);
    if (f.capture) {
      --capture_;
      return passed(t.end);
    }
    consumed(t.end);
    return 0;
  }

  int class_default(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword 'default' not expected inside object");
    Token c;
    if (next(c) == T_ERROR) return -1;
    classrec* r = (c.t == T_CLASS || c.t == T_IDENT) ? var_find_class(c.text.c_str()) : nullptr;
    if (r == nullptr) return error(c, "Class name expected");
    std::string dpath = std::string("~") + r->name;
    if (cur_->FindChild(cur_, dpath.c_str(), nullptr).data == nullptr)
      return error(c, "Unable to locate object:\n%s", dpath.c_str());
    Token b;
    if (next(b) == T_ERROR) return -1;
    if (b.t != T_LBRACE) return error(b, "'{' expected");
    frames_.push_back({path_.size(), F_DEFAULT, false, false, capture_ == 0});
    if (frames_.back().capture) ++capture_;
    path_ = dpath;
    return 0;
  }

  // ---- values ----
  // Reads a value: 1 symbolic (text), 0 constant, -1 after a message.
  int value(Token& v) {
    if (next(v) == T_ERROR) return -1;
    if (v.t == T_IDENT || v.t == T_DOTIDENT) return 1;
    if (v.t == T_KEYWORD && v.code == K_CONSTANT) return 1;
    if (v.t == T_KEYWORD) return error(v, "Unexpected keyword '%s'", v.text.c_str());
    if (v.t == T_CONST) return 0;
    return error(v, "Constant or symbolic value expected");
  }
  static prop_val as_value(Token& v, int symbolic) {
    prop_val pv{};
    if (symbolic != 0 || v.vtype == VAL_TEXT) {
      pv.type = VAL_TEXT;
      pv.data.text = v.text.data();
    } else {
      pv.type = VAL_INT;
      pv.data.num = v.num;
    }
    return pv;
  }
  int expect_semi() {
    Token s;
    if (next(s) == T_ERROR) return -1;
    if (s.t != T_SEMI) return error(s, "';' expected");
    consumed(s.end);
    return 0;
  }

  int attribute(const Token& a) {
    Token v;
    if (peek() == T_ERROR) return -1;
    if (look_.t == T_ASSIGN) next(v);
    int sym = value(v);
    if (sym < 0) return -1;
    size_t b = a.text.find('[');
    std::string name = a.text.substr(1, b == std::string::npos ? std::string::npos : b - 1);
    std::string full = path_ + "." + name + (a.has_index ? "[]" : "");
    prop_val pv = as_value(v, sym);
    cur_->Line = a.line;
    if (var_assign_attr(cur_, full.c_str(), &pv, sym == 1, a.has_index ? a.index : -1) != 0) return -1;
    return expect_semi();
  }

  int variable(const Token& d) {
    if (d.code != D_INTEGER && d.code != D_STRING) return pass_through(d);
    Token n;
    if (next(n) == T_ERROR) return -1;
    if (n.t != T_IDENT) return error(n, "Identifier expected: variable name");
    prop_def def{};
    std::string name = n.text;
    def.name = name.c_str();
    def.category = "Variables";
    def.type = d.code == D_INTEGER ? PROP_TYPE_INT : PROP_TYPE_STRING;
    def.flags = PROP_F_PLUS | PROP_F_DECLARED | PROP_F_ASSIGN;
    def.index = -1;
    if (n.has_index) {
      def.flags |= PROP_F_ARRAY;
      def.count = n.index;
    }
    prop_val pv{};
    Token v;
    int serial = -1;
    if (peek() == T_ERROR) return -1;
    if (look_.t == T_ASSIGN) {
      next(v);
      if (n.has_index) return error(v, "Array subscript not expected in this context");
      int sym = value(v);
      if (sym < 0) return -1;
      pv = as_value(v, sym);
      if (sym == 1) {
        prop_val resolved{};
        serial = cur_->NamedValue(cur_, def.group, v.text.c_str(), &resolved);
        if (serial < 0) return error(v, "Symbolic value not found:\n%s", v.text.c_str());
        pv = resolved;
      }
    }
    std::string full = path_ + "." + name;
    obj_hndl obj = cur_->FindChild(cur_, path_.c_str(), nullptr);
    if (obj.data == nullptr) return error(n, "Unable to locate object:\n%s", path_.c_str());
    cur_->Line = d.line;
    if (var_SetAttrValue(cur_, obj, full.c_str(), &def, &pv, serial) != 0) return -1;
    return expect_semi();
  }

  // ---- blocks kept as text ----
  int dialog(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword 'dialog' not expected inside object");
    Token n;
    if (next(n) == T_ERROR) return -1;
    bool named = n.t == T_IDENT;
    if (named && next(n) == T_ERROR) return -1;
    if (n.t != T_LBRACE) return error(n, named ? "'{' expected" : "Identifier expected: dialog name");
    for (;;) {
      Token a;
      if (next(a) == T_ERROR) return -1;
      if (a.t == T_RBRACE) return passed(a.end);
      if (a.t != T_ATTR) return error(a, "Attribute or '}' expected");
      Token v;
      if (peek() == T_ERROR) return -1;
      if (look_.t == T_ASSIGN) next(v);
      int sym = value(v);
      if (sym < 0) return -1;
      Token s;
      if (next(s) == T_ERROR) return -1;
      if (s.t != T_SEMI) return error(s, "';' expected");
      std::string key =
          a.text.substr(1, a.text.find('[') == std::string::npos ? std::string::npos : a.text.find('[') - 1);
      const VarEntry* e = var_cfg_find("RootAttributes", key.c_str());
      if (e == nullptr) continue;
      prop_def def{};
      if (var_parse_attr_def(&def, e->key.c_str(), e->value.c_str()) != 0) {
        cur_->Line = a.line;
        cur_->Error(cur_,
                    "Unable to obtain attribute definition:\nThe configuration file seems to be inconsistent\n(entry "
                    "\"%s=\" in section [%s] has illegal format).\n",
                    e->key.c_str(), "RootAttributes");
        return -1;
      }
      if (def.kind != PROP_KIND_NATIVE || (def.native != 4 && def.native != 5)) continue;
      int32_t num = v.num;
      if (sym == 1) {
        prop_val r{};
        if (cur_->NamedValue(cur_, def.group, v.text.c_str(), &r) < 0)
          return error(v, "Symbolic value not found:\n%s", v.text.c_str());
        if (r.type != VAL_INT) return error(v, "Data type mismatch");
        num = r.data.num;
      } else if (v.vtype != VAL_INT) {
        return error(v, "Data type mismatch");
      }
      int n32 = num;
      cur_->Line = a.line;
      const int* rx = def.native == 4 ? &n32 : nullptr;
      const int* ry = def.native == 5 ? &n32 : nullptr;
      if (cur_->RefFont(cur_, 0, const_cast<int*>(rx), const_cast<int*>(ry)) != 0)
        return error(a, "Unable to set reference raster");
      if (raster_changed(cur_, rx, ry) != 0) return -1;
    }
  }

  int application(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword 'application' not expected inside object");
    Token n;
    if (next(n) == T_ERROR) return -1;
    if (n.t == T_IDENT && next(n) == T_ERROR) return -1;
    if (n.t != T_LBRACE) return error(n, "Identifier expected: application name");
    ++capture_;
    int rc = application_body();
    --capture_;
    return rc;
  }
  int application_body() {
    for (;;) {
      Token a;
      if (next(a) == T_ERROR) return -1;
      int rc = 0;
      switch (a.t) {
        case T_RBRACE:
          --capture_;
          rc = passed(a.end);
          ++capture_;
          return rc;
        case T_KEYWORD:
          switch (a.code) {
            case K_ACCELERATOR:
            case K_COLOR:
            case K_CURSOR:
            case K_TILE:
            case K_FORMAT:
            case K_FUNCTION: rc = symbolic(a); break;
            case K_FONT: rc = font(a); break;
            case K_EXPORT:
            case K_APPLICATION:
            case K_DEFAULT:
            case K_MODEL:
            case K_DIALOG:
            case K_IMPORT: return error(a, "Keyword '%s' not expected in this context", a.text.c_str());
            default: rc = skip_statement(a) < 0 ? -1 : 0; break;
          }
          break;
        case T_ATTR:
        case T_WORD:
        case T_CLASS:
        case T_IDENT:
        case T_DOTIDENT:
        case T_DATATYPE: rc = skip_statement(a) < 0 ? -1 : 0; break;
        default: return error(a, "Attribute, keyword or '}' expected");
      }
      if (rc != 0) return -1;
    }
  }

  int define(const Token& at, int group, const std::string& name, const std::string& text) {
    prop_val v{};
    std::string copy = text;
    v.type = VAL_TEXT;
    v.data.text = copy.data();
    cur_->Line = at.line;
    if (cur_->DefConst(cur_, group, name.c_str(), &v, -1, 0) != 0)
      return error(at, "Unable to define symbolic value:\n%s", name.c_str());
    return 0;
  }

  std::string source(size_t b, size_t e) const {
    std::string s(lx_->text + b, e > b ? e - b : 0);
    size_t i = s.find_first_not_of(" \t\r\n"), j = s.find_last_not_of(" \t\r\n;");
    return i == std::string::npos ? std::string() : s.substr(i, j - i + 1);
  }

  int symbolic(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword '%s' not expected inside object", t.text.c_str());
    Token n;
    if (next(n) == T_ERROR) return -1;
    int group = 0;
    switch (t.code) {
      case K_ACCELERATOR: group = 1; break;
      case K_COLOR: group = 3; break;
      case K_CURSOR: group = 4; break;
      case K_TILE: group = 10; break;
      case K_FORMAT: group = 6; break;
      default: break;
    }
    if (t.code == K_FUNCTION) {
      if (n.t != T_KEYWORD || (n.code != K_CALLBACK && n.code != K_FORMATFUNC)) return pass_through(n);
      group = n.code == K_CALLBACK ? 7 : 8;
      if (next(n) == T_ERROR) return -1;
      if (n.t != T_IDENT) return error(n, "Identifier expected: function name");
    } else if (t.code == K_FORMAT) {
      if (n.t != T_IDENT && !(n.t == T_CONST && n.vtype == VAL_TEXT))
        return error(n, "Identifier or string constant expected: format name or format string");
    } else if (n.t != T_IDENT) {
      cur_->Line = n.line;
      cur_->Error(cur_, "Identifier expected: %s name", t.text.c_str());
      return -1;
    }
    long end = skip_statement(n);
    if (end < 0) return -1;
    if (define(n, group, n.text, source(n.end, static_cast<size_t>(end))) != 0) return -1;
    return passed(static_cast<size_t>(end));
  }

  // ---- fonts ----
  struct FontSpec {
    std::string face;
    int32_t size = -1;
    int32_t style = 0;
    std::string wexpr, hexpr;
  };

  int style_word(const Token& w, int32_t& style) {
    if (w.t == T_KEYWORD && w.code == K_BOLD)
      style |= FONT_BOLD;
    else if (w.t == T_KEYWORD && w.code == K_ITALIC)
      style |= FONT_ITALIC;
    else
      return error(w, "Keyword expected: 'bold' or 'italic'");
    return 0;
  }

  int size_part(FontSpec& f, const Token& axis) {
    Token t;
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_ASSIGN) return error(t, "':=' expected");
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_PUNCT || t.text != "*") return error(t, "'*' expected");
    Token fac;
    if (next(fac) == T_ERROR) return -1;
    if (fac.t != T_CONST || fac.vtype != VAL_INT) return error(fac, "Numeric constant expected: font size factor");
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_PUNCT || t.text != "%") return error(t, "'%' expected");
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_PUNCT || t.text != "+") return error(t, "'+' expected");
    Token off;
    if (next(off) == T_ERROR) return -1;
    if (off.t != T_CONST || off.vtype != VAL_INT) return error(off, "Numeric constant expected: font size offset");
    std::string var = axis.text == "x" ? "w" : "h";
    std::string e = "(" + var + "*" + std::to_string(fac.num) + ")/100+" + std::to_string(off.num);
    (axis.text == "x" ? f.wexpr : f.hexpr) = e;
    return 0;
  }

  // face [, size [, style [+ style]] [, x := * f % + o] [, y := * f % + o]] ;
  int spec(FontSpec& f) {
    Token t;
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_CONST || t.vtype != VAL_TEXT) return error(t, "String constant expected");
    f.face = t.text;
    if (next(t) == T_ERROR) return -1;
    if (t.t == T_SEMI) return 0;
    if (t.t != T_PUNCT || t.text != ",") return error(t, "',' or ';' expected");
    if (next(t) == T_ERROR) return -1;
    if (t.t != T_CONST || t.vtype != VAL_INT) return error(t, "Numeric constant expected: font size");
    f.size = t.num;
    int stage = 0;  // 0 after size, 1 after style, 2 after x, 3 after y
    for (;;) {
      if (next(t) == T_ERROR) return -1;
      if (t.t == T_SEMI) return 0;
      if (stage == 1 && t.t == T_PUNCT && t.text == "+") {
        Token w;
        if (next(w) == T_ERROR || style_word(w, f.style) != 0) return -1;
        if (next(t) == T_ERROR) return -1;
        if (t.t == T_SEMI) return 0;
      }
      if (t.t != T_PUNCT || t.text != ",") return error(t, stage == 1 ? "'+' or ';' expected" : "',' or ';' expected");
      Token w;
      if (next(w) == T_ERROR) return -1;
      if (w.t == T_WORD && (w.text == "x" || w.text == "y") && !(stage >= 2 && w.text == "x") && stage < 3) {
        if (size_part(f, w) != 0) return -1;
        stage = w.text == "x" ? 2 : 3;
      } else if (stage == 0 && w.t == T_KEYWORD) {
        if (style_word(w, f.style) != 0) return -1;
        stage = 1;
      } else if (stage == 0) {
        return error(w, "Keyword expected: 'bold' or 'italic'");
      } else {
        return error(w, "'x' or 'y' expected");
      }
    }
  }

  int font(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword 'font' not expected inside object");
    Token n;
    if (next(n) == T_ERROR) return -1;
    if (n.t != T_IDENT) return error(n, "Identifier expected: font name");
    FontSpec chosen;
    bool matched = false;
    Token b;
    if (peek() == T_ERROR) return -1;
    size_t end = 0;
    if (look_.t == T_LBRACE) {
      next(b);
      for (;;) {
        Token num;
        if (next(num) == T_ERROR) return -1;
        if (num.t == T_RBRACE) {
          end = num.end;
          break;
        }
        if (num.t != T_CONST || num.vtype != VAL_INT) return error(num, "Numeric constant expected");
        Token c;
        if (next(c) == T_ERROR) return -1;
        if (c.t != T_COLON) return error(c, "':' expected");
        FontSpec f;
        if (spec(f) != 0) return -1;
        if (!matched && num.num == pane_font_variant) {
          chosen = f;
          matched = true;
        }
      }
    } else {
      FontSpec f;
      if (spec(f) != 0) return -1;
      end = lx_->pos;
      if (has_look_) end = look_.start;
      if (pane_font_variant == 0) {
        chosen = f;
        matched = true;
      }
    }
    font_info fi{};
    fi.size = -1;
    if (matched) {
      fi.text = chosen.face.c_str();
      fi.size = chosen.size;
      fi.style = chosen.style;
      fi.wexpr = chosen.wexpr.empty() ? nullptr : chosen.wexpr.c_str();
      fi.hexpr = chosen.hexpr.empty() ? nullptr : chosen.hexpr.c_str();
    } else {
      fi.text = "";
    }
    cur_->Line = n.line;
    if (cur_->DefFont(cur_, &fi, 0) != 0) {
      if (matched) return error(n, "Unable to create font:\n%s", n.text.c_str());
      return error(n, "Unable to create font:\nIdentifier=\"%s\"", n.text.c_str());
    }
    prop_val v{};
    v.type = VAL_INT;
    v.data.num = fi.id;
    if (cur_->DefConst(cur_, 5, n.text.c_str(), &v, -1, 0) != 0)
      return error(n, "Unable to define symbolic value:\n%s", n.text.c_str());
    return passed(end);
  }

  // ---- import ----
  int import(const Token& t) {
    if (!frames_.empty()) return error(t, "Keyword 'import' not expected inside object");
    Token m, f, s;
    if (next(m) == T_ERROR) return -1;
    if (m.t != T_IDENT) return error(m, "Identifier expected: module name");
    if (next(f) == T_ERROR) return -1;
    if (f.t != T_CONST || f.vtype != VAL_TEXT) return error(f, "String constant expected:\nmodule interface file name");
    if (next(s) == T_ERROR) return -1;
    if (s.t != T_SEMI) return error(s, "';' expected");
    if (passed(s.end) != 0) return -1;
    if (push(t, f.text, "Unable to open interface file:\n%s") != 0) return -1;
    Token w[5];
    bool ok = true;
    for (Token& x : w)
      if (next(x) == T_ERROR) return -1;
    ok = w[0].t == T_KEYWORD && w[0].code == K_INTERFACE && w[1].t == T_KEYWORD && w[1].code == K_OF &&
         w[2].t == T_KEYWORD && w[2].code == K_MODULE && w[3].t == T_IDENT && w[4].t == T_CONST &&
         w[4].vtype == VAL_TEXT;
    std::string module = w[4].text;
    pop();
    if (!ok) {
      cur_->Line = t.line;
      cur_->Error(cur_, "Unable to open module file:\n%s\nSyntax error in interface file.", f.text.c_str());
      return -1;
    }
    return push(t, module, "Unable to open module file:\n%s");
  }
};

}  // namespace

int pane_load(pload* ctx, const char* filename) {
  Reader r(ctx);
  return r.run(filename);
}
