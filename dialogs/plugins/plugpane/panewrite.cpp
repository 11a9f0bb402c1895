// The writer of VUZ dialog sources: the host walks its objects and calls
// these entries; every line is indented by two blanks per nesting level.
#include <cctype>
#include <cstring>
#include <string>

#include "dialogs/plugins/plugpane/plugpane.h"

namespace {

std::string indent(const psave* ctx) {
  return std::string(static_cast<size_t>(ctx->Depth > 0 ? ctx->Depth : 0) * 2, ' ');
}

int put(psave* ctx, const std::string& line) { return ctx->WriteLine(ctx, line.c_str()) != 0 ? -1 : 0; }

bool unnamed(const char* name) {
  static const char kPrefix[] = "_Unnamed_";
  size_t n = sizeof kPrefix - 1;
  if (strncmp(name, kPrefix, n) != 0 || name[n] == '\0') return false;
  for (const char* p = name + n; *p != '\0'; ++p)
    if (!isdigit(static_cast<unsigned char>(*p))) return false;
  return true;
}

void octal(std::string& out, unsigned char c) {
  out += '\\';
  out += static_cast<char>('0' + ((c >> 6) & 7));
  out += static_cast<char>('0' + ((c >> 3) & 7));
  out += static_cast<char>('0' + (c & 7));
}

// A value text. Inside a string in double quotes, a quote is written as \"
// and a backslash that would read back as an escape (before a digit, a quote
// or the closing quote) as \134, so the text reads back as it was.
std::string value_text(const prop_val* val, const char* text) {
  std::string in = text != nullptr ? text : "";
  std::string out;
  bool quoted = val->type == VAL_TEXT && in.size() >= 2 && in.front() == '"' && in.back() == '"';
  size_t b = quoted ? 1 : 0, e = quoted ? in.size() - 1 : in.size();
  if (quoted) out += '"';
  for (size_t i = b; i < e; ++i) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    if (quoted && c == '"') {
      out += "\\\"";
    } else if (quoted && c == '\\' &&
               (i + 1 == e || in[i + 1] == '"' || isdigit(static_cast<unsigned char>(in[i + 1])))) {
      out += "\\134";
    } else if (c >= 0x80 && val->type == VAL_TEXT) {
      octal(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  if (quoted) out += '"';
  return out;
}

}  // namespace

int pane_begin_obj(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl,
                   const char* sameline) {
  std::string line = indent(ctx);
  if (path != nullptr && strchr(path, '.') != nullptr) line += "child ";
  line += tmpl != nullptr ? tmpl : (cls != nullptr ? cls : "");
  if (name != nullptr && !unnamed(name)) line += std::string(" ") + name;
  if (sameline != nullptr) line += sameline;
  if (put(ctx, line + "\n") != 0) return -1;
  return put(ctx, indent(ctx) + "{\n");
}

int pane_end_obj(psave* ctx, const char* /*path*/, const char* trailer) {
  return put(ctx, indent(ctx) + "}" + (trailer != nullptr ? trailer : "") + "\n");
}

int pane_write_attr(psave* ctx, const char* attr, const prop_def* def, const prop_val* val, const char* text,
                    const char* sameline) {
  if (def->kind == PROP_KIND_NATIVE && def->native == PROP_NATIVE_NAME) return 0;
  std::string line = indent(ctx);
  bool declared = (def->flags & PROP_F_DECLARED) != 0 && (def->flags & PROP_F_ORDINARY) == 0;
  if (declared && def->type == PROP_TYPE_STRING)
    line += "string ";
  else if (declared && def->type == PROP_TYPE_INT)
    line += "integer ";
  else
    line += ".";
  std::string name = attr != nullptr ? attr : "";
  if ((def->flags & PROP_F_ARRAY) != 0) {
    name = name.substr(0, name.find('['));
    name += "[" + std::to_string(def->index >= 0 ? def->index : def->count) + "]";
  }
  line += name;
  if (val != nullptr && val->type != VAL_NONE) {
    line += (def->flags & PROP_F_ASSIGN) != 0 ? " := " : " ";
    line += value_text(val, text);
  }
  line += ";";
  if (sameline != nullptr) line += sameline;
  return put(ctx, line + "\n");
}

int pane_write_line(psave* ctx, const char* line) { return put(ctx, std::string(line != nullptr ? line : "") + "\n"); }
