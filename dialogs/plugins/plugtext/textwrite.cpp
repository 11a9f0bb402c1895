// The writer of ASCII dialog files: the host walks its objects and calls
// these entries. Each nesting level is indented by Indent blanks, each object
// follows BlankLines empty lines, designer-only attributes stand behind
// "#__IDE__# ", and text values go back to QX Roman-8.
//
// A ".dlg" string has no escapes, so a text with a double quote or a line
// end, or with a character that QX Roman-8 lacks, cannot be written as it is:
// such a value fails the save with the attribute's name rather than being
// written changed.
#include <cstring>
#include <string>

#include "dialogs/language/dlgread.h"
#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugtext/plugtext.h"

namespace {

std::string indent(const psave* ctx) {
  if (ctx->Depth <= 0 || text_indent <= 0) return std::string();
  return std::string(static_cast<size_t>(ctx->Depth) * static_cast<size_t>(text_indent), ' ');
}

int put(psave* ctx, const std::string& line) { return ctx->WriteLine(ctx, line.c_str()) != 0 ? -1 : 0; }

int convert(int from, int to, std::string& text) {
  PluginDesc* d = var_desc();
  if (text.empty() || d == nullptr || d->Host.ConvertCharset == nullptr) return 0;
  if (text.size() > 0x7fffffff) return -1;
  return d->Host.ConvertCharset(from, to, text.data(), static_cast<int>(text.size()));
}

// The value as the file has it: a quoted text in QX Roman-8, anything else
// as the host gave it. False after a message.
bool file_value(psave* ctx, const std::string& name, const prop_val* val, const char* text, std::string& out) {
  out = text != nullptr ? text : "";
  if (val == nullptr || val->type != VAL_TEXT || out.size() < 2 || out.front() != '"' || out.back() != '"') return true;
  std::string inner = out.substr(1, out.size() - 2);
  if (inner.find_first_of("\"\r\n") != std::string::npos) {
    ctx->Error(ctx,
               "The text of attribute \"%s\" cannot be written:\nit holds a double quote or a line end, which the "
               "dialog file cannot carry.",
               name.c_str());
    return false;
  }
  std::string roman = inner;
  if (convert(1, 0, roman) != 0) {
    ctx->Error(ctx, "Character set conversion failed");
    return false;
  }
  std::string back = roman;
  if (convert(0, 1, back) != 0) {
    ctx->Error(ctx, "Character set conversion failed");
    return false;
  }
  for (size_t i = 0; i < inner.size(); ++i)
    if (back[i] != inner[i]) {
      ctx->Error(ctx,
                 "The text of attribute \"%s\" cannot be written:\nthe character 0x%02x has no QX Roman-8 "
                 "counterpart.",
                 name.c_str(), static_cast<unsigned>(static_cast<unsigned char>(inner[i])));
      return false;
    }
  out = "\"" + roman + "\"";
  return true;
}

}  // namespace

int text_begin_obj(psave* ctx, const char* /*path*/, const char* name, const char* cls, const char* tmpl,
                   const char* sameline) {
  for (int i = 0; i < text_blank_lines; ++i)
    if (put(ctx, "\n") != 0) return -1;
  std::string line = indent(ctx);
  line += tmpl != nullptr ? tmpl : (cls != nullptr ? cls : "");
  line += " ";
  line += name != nullptr ? name : "";
  line += " {";
  if (sameline != nullptr) line += sameline;
  return put(ctx, line + "\n");
}

int text_end_obj(psave* ctx, const char* /*path*/, const char* trailer) {
  return put(ctx, indent(ctx) + "}" + (trailer != nullptr ? trailer : "") + "\n");
}

int text_write_attr(psave* ctx, const char* attr, const prop_def* def, const prop_val* val, const char* text,
                    const char* sameline) {
  if (def == nullptr) return -1;
  if (def->kind == PROP_KIND_NATIVE && def->native == PROP_NATIVE_NAME) return 0;
  std::string name = attr != nullptr ? attr : "";
  if ((def->flags & PROP_F_ARRAY) != 0) {
    name = name.substr(0, name.find('['));
    name += "[" + std::to_string(def->index >= 0 ? def->index : def->count) + "]";
  }
  std::string value;
  if (!file_value(ctx, name, val, text, value)) return -1;
  std::string line = indent(ctx);
  if ((def->flags & PROP_F_STAR_KIND) != 0) line += DLG_IDE_PREFIX;
  line += "." + name + " = " + value;
  if (sameline != nullptr) line += sameline;
  return put(ctx, line + "\n");
}

int text_write_line(psave* ctx, const char* line) { return put(ctx, std::string(line != nullptr ? line : "") + "\n"); }
