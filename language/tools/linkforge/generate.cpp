// Writes the C call glue: a header comment, the prototypes as a comment, the
// function table, the argument table and the dispatcher YqCall.
#include "language/tools/linkforge/linkforge.h"

#include <cstdarg>
#include <cstdio>

namespace {

struct KindRow {
  const char* enum_name;   // the YqArgList kind
  const char* proto_type;  // type in the prototype comment
  const char* call;        // call expression for slot %d
};

const KindRow kKinds[LF_KIND_COUNT] = {
    {"YqArg_VarArg", "...", nullptr},
    {"YqArg_IntByValue", "long ", "*(YqInt *)(av[%d])"},
    {"YqArg_IntByReference", "long *", "(YqInt *)(av[%d])"},
    {"YqArg_IntArray", "long *", "(YqInt *)(av[%d])"},
    {"YqArg_RealByValue", "double ", "*(YqReal *)(av[%d])"},
    {"YqArg_RealByReference", "double *", "(YqReal *)(av[%d])"},
    {"YqArg_RealArray", "double *", "(YqReal *)(av[%d])"},
    {"YqArg_zString", "char *", "(YqChar *)(av[%d])"},
    {"YqArg_String", "YqString *", "(YqString *)(av[%d])"},
    {"YqArg_StringArray", "YqString *", "(YqString *)(av[%d])"},
};

void append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void append(std::string* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    const size_t start = out->size();
    out->resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(&(*out)[start], static_cast<size_t>(length) + 1, format, again);
    out->resize(start + static_cast<size_t>(length));
  }
  va_end(again);
}

// A name inside a comment must not end the comment.
void append_comment_text(std::string* out, const char* text) {
  for (const char* p = text; *p; ++p) {
    out->push_back(*p);
    if (p[0] == '*' && p[1] == '/') out->push_back(' ');
  }
}

bool valid_kinds(const LfModule* module) {
  for (const LfFunction* f = module->first; f; f = f->next)
    for (const LfArgument* a = f->first_arg; a; a = a->next)
      if (a->kind < 0 || a->kind >= LF_KIND_COUNT) return false;
  return true;
}

}  // namespace

bool lf_generate(const LfModule* module, const char* output_name, std::string* out) {
  if (!valid_kinds(module)) return false;

  *out += "/*\n   ";
  append_comment_text(out, output_name);
  *out += "\n   THIS FILE IS GENERATED AUTOMATICALLY BY LINKFORGE\n";
  *out += "   DON'T CHANGE MANUALLY\n*/\n\n#include <dllif.h>\n\n";

  *out += "/*\n";
  for (const LfFunction* f = module->first; f; f = f->next) {
    append(out, " %s( ", f->name);
    if (!f->first_arg) *out += "void";
    for (const LfArgument* a = f->first_arg; a; a = a->next) {
      if (a != f->first_arg) *out += ", ";
      *out += kKinds[a->kind].proto_type;
      if (a->name) *out += a->name;
    }
    *out += " )\n";
  }
  *out += "*/\n\n";

  *out += "struct YqFuncList YqFuncList[] = {\n";
  int first = 0;
  bool any_arguments = false;
  for (const LfFunction* f = module->first; f; f = f->next) {
    append(out, " { \"%s\",\t%d, %d },\n", f->name, first, f->arg_count);
    first += f->arg_count;
    any_arguments = any_arguments || f->arg_count > 0;
  }
  *out += " { 0L }\n};\n\n";

  if (any_arguments) {
    *out += "struct YqArgList YqArgList[] = {\n";
    for (const LfFunction* f = module->first; f; f = f->next)
      for (const LfArgument* a = f->first_arg; a; a = a->next)
        append(out, " { \"%s\",\t%s\t, %ld },\n", a->name ? a->name : "...", kKinds[a->kind].enum_name, a->size);
    *out += "};\n\n";
  } else {
    *out += "struct YqArgList *YqArgList;\n\n";
  }

  *out += "int YqCall(fn, av)\nint fn; void *av[];\n{\n switch(fn) {\n";
  int index = 0;
  for (const LfFunction* f = module->first; f; f = f->next, ++index) {
    append(out, " case %d:\n  return %s(", index, f->name);
    int slot = 0;
    for (const LfArgument* a = f->first_arg; a; a = a->next, ++slot) {
      if (a != f->first_arg) *out += ", ";
      if (a->kind == LF_VAR_ARG) {
        for (int s = slot; s < LF_MAX_ARGS - 1; ++s) append(out, "av[%d],", s);
        append(out, "av[%d]", LF_MAX_ARGS - 1);
      } else {
        append(out, kKinds[a->kind].call, slot);
      }
    }
    *out += ");\n";
  }
  *out += " default:\n  return -1;\n }\n}\n";
  return true;
}
