// A scripted dialog plug-in for the host's tests. Its dialog files are line
// scripts that map one to one onto the reader callbacks:
//
//   begin NAME CLASS [FLAGS]   BeginObject under the innermost open object
//   begin NAME CLASS from PATH the same, made from the template object PATH
//   end                        EndObject of the innermost open object
//   prop NAME = VALUE          SetProp on the innermost open object; VALUE is
//                              "text", an integer or a constant's name
//   const GROUP NAME = VALUE   DefConst (the line is kept as text too)
//   font TEXT                  DefFont (kept as text too)
//   raster W H                 RefFont with a width and a height
//   include FILE               Open, read the file as included, Close
//   include ?FILE              the same, a quiet Open; a file that cannot
//                              be opened is skipped
//   error TEXT                 Error, and the load fails
//   drop                       DropTemporary
//   reclass PATH               SetProp: the object PATH gives way to the open one
//   anything else              TextLine (an empty line is a blank one)
//
// Leading blanks are ignored; " #" starts a comment kept on the same line.
// The writers write the same script back, indented two blanks per Depth,
// and log every call with its Depth (TestPlug_Log).
//
// Compile switches make the faulty modules of the manager's tests:
// TESTPLUG_NO_GETPLUGIN, TESTPLUG_NULL_DESC, TESTPLUG_VERSION=n,
// TESTPLUG_IDENT="...", TESTPLUG_NUMBER=n, TESTPLUG_CATEGORY="...",
// TESTPLUG_INIT_FAILS, TESTPLUG_NO_INIT, TESTPLUG_NULL_IDENT,
// TESTPLUG_NO_LOAD.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"

#ifndef TESTPLUG_VERSION
#define TESTPLUG_VERSION PLUGIN_VERSION
#endif
#ifndef TESTPLUG_IDENT
#define TESTPLUG_IDENT "ide-testplug"
#endif
#ifndef TESTPLUG_NUMBER
#define TESTPLUG_NUMBER 300
#endif
#ifndef TESTPLUG_CATEGORY
#define TESTPLUG_CATEGORY PLUGIN_CATEGORY_DLG
#endif

#define TP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string g_log;

// Attribute definitions: title and caption are strings, style an integer
// naming constants of group 1, width and height the native sizes.
const prop_def kDefs[] = {
    {"title", "Text", PROP_KIND_ATTR, PROP_TYPE_STRING, 0, 0, 0, nullptr, 0, -1, nullptr},
    {"caption", "Text", PROP_KIND_ATTR, PROP_TYPE_STRING, 0, 0, 0, nullptr, 0, -1, "Caption"},
    {"style", "Look", PROP_KIND_ATTR, PROP_TYPE_INT, PROP_F_STAR_GROUP, 1, 0, nullptr, 0, -1, "0"},
    {"width", "Geometry", PROP_KIND_NATIVE, PROP_TYPE_INT, 0, 0, PROP_NATIVE_WIDTH, nullptr, 0, -1, nullptr},
    {"height", "Geometry", PROP_KIND_NATIVE, PROP_TYPE_INT, 0, 0, PROP_NATIVE_HEIGHT, nullptr, 0, -1, nullptr},
    {"name", "Object", PROP_KIND_NATIVE, PROP_TYPE_IDENT, 0, 0, PROP_NATIVE_NAME, nullptr, 0, -1, nullptr},
};
constexpr int kNumDefs = sizeof kDefs / sizeof kDefs[0];

classrec kClasses[] = {
    {"Dialog", 0, 0, 0, nullptr, nullptr},
    {"Button", CLASS_F_AMPERSAND, 1, 2, nullptr, nullptr},
    {"Text", 0, 0, 0, nullptr, nullptr},
};

classrec* FindClass(const char* name) {
  for (classrec& c : kClasses)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

const prop_def* FindDef(const char* name) {
  for (const prop_def& d : kDefs)
    if (std::strcmp(d.name, name) == 0) return &d;
  return nullptr;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

struct Parser {
  pload* ctx;
  std::vector<std::pair<obj_hndl, std::string>> open;  // handle, path

  // Kept text comes only from the file being edited, not from included ones.
  void Text(const char* text, int blank) {
    if (ctx->IncludeDepth == 0) ctx->TextLine(ctx, text, blank);
  }

  int Fail(const char* what, const std::string& line) {
    ctx->Error(ctx, "%s: %.60s", what, line.c_str());
    return -1;
  }

  // Parses a value text; 0, or -1 when it is none of the three forms.
  int Value(const prop_def* def, const std::string& text, prop_val* val, std::string* store, int* index) {
    *index = -1;
    if (!text.empty() && text[0] == '"') {
      size_t close = text.rfind('"');
      if (close == 0) return -1;
      *store = text.substr(1, close - 1);
      val->type = VAL_TEXT;
      val->data.text = store->data();
      return 0;
    }
    if (!text.empty() && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) {
      char* end = nullptr;
      long n = std::strtol(text.c_str(), &end, 10);
      if (*end != '\0') return -1;
      val->type = VAL_INT;
      val->data.num = static_cast<int32_t>(n);
      return 0;
    }
    int h = ctx->NamedValue(ctx, def ? def->group : 0, text.c_str(), val);
    if (h < 0) return -1;
    *index = h;
    return 0;
  }

  int Run(const std::string& text) {
    size_t pos = 0;
    int line_no = 0;
    while (pos <= text.size()) {
      size_t nl = text.find('\n', pos);
      if (nl == std::string::npos) nl = text.size();
      std::string raw = text.substr(pos, nl - pos);
      bool last = nl >= text.size();
      pos = nl + 1;
      if (last && raw.empty()) break;
      ctx->Line = ++line_no;
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      std::string same;
      size_t hash = raw.find(" #");
      std::string body = raw;
      if (hash != std::string::npos && Trim(raw.substr(0, hash)).size() > 0) {
        same = raw.substr(hash);
        body = raw.substr(0, hash);
      }
      std::string line = Trim(body);
      std::string word = line.substr(0, line.find(' '));
      std::string rest = line.size() > word.size() ? Trim(line.substr(word.size())) : "";
      int rc = 0;
      if (line.empty()) {
        Text("", 1);
        continue;
      } else if (word == "begin") {
        rc = Begin(rest, line);
      } else if (word == "end") {
        if (open.empty()) return Fail("end without begin", line);
        rc = ctx->EndObject(ctx, open.back().second.c_str());
        open.pop_back();
        if (rc != 0) return Fail("unknown object", line);
      } else if (word == "prop") {
        rc = Prop(rest, line);
      } else if (word == "const") {
        Text(raw.c_str(), 0);
        same.clear();
        rc = Const(rest, line);
      } else if (word == "font") {
        Text(raw.c_str(), 0);
        same.clear();
        font_info f{};
        f.text = rest.c_str();
        f.size = -1;
        rc = ctx->DefFont(ctx, &f, 0);
        if (rc != 0) return Fail("bad font", line);
      } else if (word == "raster") {
        int w = 0, h = 0;
        if (std::sscanf(rest.c_str(), "%d %d", &w, &h) != 2) return Fail("bad raster", line);
        Text(raw.c_str(), 0);
        same.clear();
        if (ctx->RefFont(ctx, 0, &w, &h) != 0) return -1;
      } else if (word == "include") {
        Text(raw.c_str(), 0);
        same.clear();
        rc = Include(rest);
      } else if (word == "error") {
        ctx->Error(ctx, "%s", rest.c_str());
        return -1;
      } else if (word == "reclass") {
        if (open.empty()) return Fail("reclass outside an object", line);
        prop_set ps{};
        ps.obj = open.back().first;
        ps.path = open.back().second.c_str();
        ps.reclass = ctx->FindChild(ctx, rest.c_str(), nullptr);
        if (!ps.reclass.data) return Fail("unknown object", line);
        rc = ctx->SetProp(ctx, &ps);
      } else if (word == "drop") {
        Text(raw.c_str(), 0);
        same.clear();
        ctx->DropTemporary(ctx);
      } else {
        Text(raw.c_str(), 0);
        same.clear();
      }
      if (rc != 0) return -1;
      if (!same.empty()) Text(same.c_str(), 0);
    }
    return 0;
  }

  int Begin(const std::string& rest, const std::string& line) {
    char name[128], cls[64], from[128];
    int flags = -1;
    obj_create info{};
    int n = 0;
    if (std::sscanf(rest.c_str(), "%127s %63s from %127s", name, cls, from) == 3) {
      info.tmpl = ctx->FindChild(ctx, from, nullptr);
      if (!info.tmpl.data) return Fail("unknown template", line);
      n = 2;
    } else {
      n = std::sscanf(rest.c_str(), "%127s %63s %d", name, cls, &flags);
    }
    if (n < 2) return Fail("bad begin", line);
    classrec* c = FindClass(cls);
    if (!c) return Fail("unknown class", line);
    std::string path = open.empty() ? std::string(name) : open.back().second + "." + name;
    info.name = name;
    info.path = path.c_str();
    info.parent = open.empty() ? obj_hndl{nullptr} : open.back().first;
    info.cls = c;
    info.flags = n >= 3 ? flags : (std::strcmp(cls, "Dialog") == 0 ? OBJ_CREATE_CONTAINER | OBJ_CREATE_ROOT : 0);
    obj_hndl h = ctx->BeginObject(ctx, &info);
    if (!h.data) return -1;
    open.emplace_back(h, path);
    return 0;
  }

  int Prop(const std::string& rest, const std::string& line) {
    size_t eq = rest.find('=');
    if (eq == std::string::npos || open.empty()) return Fail("bad prop", line);
    std::string name = Trim(rest.substr(0, eq));
    std::string text = Trim(rest.substr(eq + 1));
    const prop_def* def = FindDef(name.c_str());
    prop_def made{};
    if (!def) {
      // an attribute of no class: kept under a definition made for it
      made = {nullptr, "Other", PROP_KIND_ATTR, PROP_TYPE_ANY, PROP_F_DECLARED, 0, 0, nullptr, 0, -1, nullptr};
      def = &made;
    }
    prop_def d = *def;
    if (!FindDef(name.c_str())) d.name = name.c_str();
    prop_val val{};
    std::string store;
    int index = -1;
    if (Value(&d, text, &val, &store, &index) != 0) return Fail("bad value", line);
    prop_set ps{};
    ps.obj = open.back().first;
    ps.path = open.back().second.c_str();
    ps.def = &d;
    ps.val = &val;
    ps.index = index >= 0 ? &index : nullptr;
    int size = val.type == VAL_INT ? val.data.num : 0;
    if (d.native == PROP_NATIVE_WIDTH) ps.width = &size;
    if (d.native == PROP_NATIVE_HEIGHT) ps.height = &size;
    return ctx->SetProp(ctx, &ps);
  }

  int Const(const std::string& rest, const std::string& line) {
    int group = 0;
    char name[128];
    int used = 0;
    if (std::sscanf(rest.c_str(), "%d %127s =%n", &group, name, &used) < 2 || used == 0) return Fail("bad const", line);
    prop_val val{};
    std::string store;
    int index = -1;
    if (Value(nullptr, Trim(rest.substr(static_cast<size_t>(used))), &val, &store, &index) != 0 || index >= 0)
      return Fail("bad const value", line);
    return ctx->DefConst(ctx, group, name, &val, -1, 1) == 0 ? 0 : Fail("constant refused", line);
  }

  int Include(const std::string& name) {
    const bool optional = !name.empty() && name[0] == '?';
    const std::string file = optional ? name.substr(1) : name;
    if (ctx->IncludeDepth >= 8) return Fail("includes nested too deep", file);
    std::string saved_name = ctx->FileName;
    int saved_line = ctx->Line;
    const uint8_t options = ctx->Options;
    if (optional) ctx->Options = static_cast<uint8_t>(options | PLOAD_OPTION_QUIET_OPEN);
    const int opened = ctx->Open(ctx, file.c_str());
    ctx->Options = options;
    if (opened != 0) return optional ? 0 : -1;
    std::string text(ctx->Text, static_cast<size_t>(ctx->Size));
    ++ctx->IncludeDepth;
    Parser inner{ctx, open};
    int rc = inner.Run(text);
    --ctx->IncludeDepth;
    ctx->Close(ctx);
    std::snprintf(ctx->FileName, sizeof ctx->FileName, "%s", saved_name.c_str());
    ctx->Line = saved_line;
    return rc;
  }
};

int Load(pload* ctx, const char* filename) {
  ctx->Options = 0;
  ctx->Levels = 1;
  if (ctx->Open(ctx, filename) != 0) return -1;
  std::string text(ctx->Text, static_cast<size_t>(ctx->Size));
  Parser p{ctx, {}};
  int rc = p.Run(text);
  ctx->Close(ctx);
  if (rc == 0 && !p.open.empty()) {
    ctx->Error(ctx, "missing end of %s", p.open.back().second.c_str());
    return -1;
  }
  return rc;
}

std::string Indent(const psave* ctx) { return std::string(static_cast<size_t>(ctx->Depth) * 2, ' '); }

void Log(const psave* ctx, const std::string& what) { g_log += std::to_string(ctx->Depth) + " " + what + "\n"; }

int BeginObj(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl, const char* same) {
  Log(ctx, std::string("BeginObj ") + path + (tmpl ? std::string(" from ") + tmpl : ""));
  std::string s = Indent(ctx) + "begin " + name + " " + cls + (tmpl ? std::string(" from ") + tmpl : "") +
                  (same ? same : "") + "\n";
  return ctx->WriteLine(ctx, s.c_str());
}

int EndObj(psave* ctx, const char* path, const char* trailer) {
  Log(ctx, std::string("EndObj ") + path);
  std::string s = Indent(ctx) + "end" + (trailer ? trailer : "") + "\n";
  return ctx->WriteLine(ctx, s.c_str());
}

int WriteAttr(psave* ctx, const char* attr, const prop_def*, const prop_val*, const char* text, const char* same) {
  Log(ctx, std::string("WriteAttr ") + attr + " " + text);
  if (std::getenv("TESTPLUG_FAIL_WRITE") != nullptr) return -1;
  std::string s = Indent(ctx) + "prop " + attr + " = " + text + (same ? same : "") + "\n";
  return ctx->WriteLine(ctx, s.c_str());
}

int WriteLine(psave* ctx, const char* line) {
  Log(ctx, std::string("WriteLine ") + line);
  std::string s = std::string(line) + "\n";
  return ctx->WriteLine(ctx, s.c_str());
}

PluginFileType g_types[] = {
#ifdef TESTPLUG_NO_LOAD
    {"Test Script Dialog", ".tsd", PLUGIN_FT_SOURCE, nullptr, &BeginObj, &EndObj, &WriteAttr, &WriteLine},
#else
    {"Test Script Dialog", ".tsd", PLUGIN_FT_SOURCE, &Load, &BeginObj, &EndObj, &WriteAttr, &WriteLine},
#endif
    {"Test Script Import", ".tsi", PLUGIN_FT_IMPORT, &Load, nullptr, nullptr, nullptr, nullptr},
};

int CheckPath(char*, int) { return 0; }
int CheckIdentifier(char*, int) { return 0; }
int SetAttrValue(pload* ctx, obj_hndl obj, const char* path, prop_def* def, prop_val* val, int index) {
  prop_set ps{};
  ps.obj = obj;
  ps.path = path;
  ps.def = def;
  ps.val = val;
  ps.index = &index;
  return ctx->SetProp(ctx, &ps);
}
const char* ValueText(obj_hndl, prop_def* def) { return std::strcmp(def->name, "caption") == 0 ? "Plug" : nullptr; }
int MaxRootSize(int* w, int* h) {
  if (std::getenv("TESTPLUG_MAX_ROOT") == nullptr) return 0;
  *w = 80;
  *h = 24;
  return 1;
}
void DefaultSize(const char*, int* w, int* h) {
  *w = 10;
  *h = 1;
}
void* FirstAttrDef(const char*, prop_def* def) {
  *def = kDefs[0];
  return const_cast<prop_def*>(&kDefs[0]);
}
void* NextAttrDef(const char*, void* cursor, prop_def* def) {
  const prop_def* d = static_cast<const prop_def*>(cursor) + 1;
  if (d >= kDefs + kNumDefs) return nullptr;
  *def = *d;
  return const_cast<prop_def*>(d);
}

PluginDesc g_desc = {
    TESTPLUG_VERSION,
    TESTPLUG_NUMBER,
    TESTPLUG_CATEGORY,
    nullptr,
    "Test Script Plug-In",
    "1.0.0.1",
    "Dec 10 2026",
    nullptr,
    "Test Script Files",
    "Test Script Dialog",
    g_types,
    2,
    {&CheckPath, &CheckIdentifier, &SetAttrValue, &ValueText, &MaxRootSize, &DefaultSize, &FirstAttrDef, &NextAttrDef},
    {},
};

std::string g_module;

}  // namespace

#ifndef TESTPLUG_NO_GETPLUGIN
TP_EXPORT PluginDesc* GetPlugin(void) {
#ifdef TESTPLUG_NULL_DESC
  return nullptr;
#endif
#ifndef TESTPLUG_NULL_IDENT
  g_desc.Ident = TESTPLUG_IDENT;
#endif
  g_module = "testplug";
  g_desc.Module = g_module.c_str();
  return &g_desc;
}
#endif

#ifndef TESTPLUG_NO_INIT
TP_EXPORT int InitPlugin(void) {
#ifdef TESTPLUG_INIT_FAILS
  return 1;
#else
  // The host's callbacks are in place by now.
  return g_desc.Host.GetProfileInt != nullptr && g_desc.Host.Failure != nullptr ? 0 : 1;
#endif
}
#endif

TP_EXPORT const char* TestPlug_Log(void) { return g_log.c_str(); }
TP_EXPORT void TestPlug_ClearLog(void) { g_log.clear(); }
