// Module state of the class model: the configuration, the class table, the
// host's questions about classes and attributes, and the GUI modifiers.
#include "dialogs/plugins/classmodel/classmodel.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "workbench/dialogs/model/expr.h"

void var_pool_clear();

namespace {

struct State {
  PluginDesc* desc = nullptr;
  VarConfig cfg;
  std::vector<classrec> classes;
  size_t class_pos = 0;
  const VarEntryList* iter_list = nullptr;
  size_t iter_pos = 0;
  std::string value_text;
};

State& st() {
  static State s;
  return s;
}

const VarEntryList* list_of(const void* section) {
  return section != nullptr ? &static_cast<const VarSection*>(section)->entries : nullptr;
}

int32_t plain_int(const VarEntry* e) { return e != nullptr ? static_cast<int32_t>(atol(e->value.c_str())) : 0; }

void failure(const std::string& text) {
  PluginDesc* d = st().desc;
  if (d != nullptr && d->Host.Failure != nullptr) d->Host.Failure("%s", text.c_str());
}

std::string inconsistent(const std::string& path, const std::string& section) {
  return "Configuration file is inconsistent:\n" + path + "\nSection [" + section + "] does not exist or is empty.";
}

int build_table(State& s) {
  const std::string& path = s.cfg.path;
  const VarSection* classes = s.cfg.find("classes");
  if (classes == nullptr || classes->entries.empty()) {
    failure(inconsistent(path, "classes"));
    return -1;
  }
  s.classes.assign(classes->entries.size(), classrec{});
  for (size_t i = 0; i < classes->entries.size(); ++i) {
    const VarEntry& e = classes->entries[i];
    size_t colon = e.value.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 79 || colon + 1 >= e.value.size()) {
      failure("Configuration file is inconsistent:\n" + path + "\nEntry \"" + e.key +
              "=\" in section [classes] has illegal format.");
      return -1;
    }
    std::string csec = e.value.substr(0, colon);
    std::string asec = e.value.substr(colon + 1);
    const VarSection* cs = s.cfg.find(csec);
    if (cs == nullptr || cs->entries.empty()) {
      failure(inconsistent(path, csec));
      return -1;
    }
    classrec& r = s.classes[i];
    r.name = e.key.c_str();
    r.class_section = cs;
    if (plain_int(var_cfg_find_entry(&cs->entries, "f_ampersand")) != 0) r.flags |= CLASS_F_AMPERSAND;
    r.w_char_offset = plain_int(var_cfg_find_entry(&cs->entries, "w_char_offset"));
    r.w_edge_offset = plain_int(var_cfg_find_entry(&cs->entries, "w_edge_offset"));
    const VarSection* as = s.cfg.find(asec);
    if (as == nullptr || as->entries.empty()) {
      failure(inconsistent(path, asec));
      return -1;
    }
    r.attr_section = as;
  }
  const VarSection* attrs = s.cfg.find("attributes");
  if (attrs == nullptr || attrs->entries.empty()) {
    failure(inconsistent(path, "attributes"));
    return -1;
  }
  return 0;
}

}  // namespace

PluginDesc* var_desc() { return st().desc; }
const VarConfig& var_config() { return st().cfg; }

int var_init_text(PluginDesc* desc, const std::string& text, const std::string& path) {
  var_exit();
  State& s = st();
  s.desc = desc;
  std::string error;
  if (var_cfg_parse(text, path, s.cfg, error) != 0) {
    failure(error);
    var_exit();
    s.desc = desc;
    return -1;
  }
  if (build_table(s) != 0) {
    var_exit();
    s.desc = desc;
    return -1;
  }
  return 0;
}

int var_init(PluginDesc* desc) {
  st().desc = desc;
  std::string path = var_cfg_path(desc != nullptr && desc->Module != nullptr ? desc->Module : "");
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    failure("Plug-In configuration file not found:\n" + path);
    return -1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return var_init_text(desc, text.str(), path);
}

void var_exit() {
  State& s = st();
  s.classes.clear();
  s.cfg.sections.clear();
  s.cfg.path.clear();
  s.class_pos = 0;
  s.iter_list = nullptr;
  s.iter_pos = 0;
  var_pool_clear();
}

classrec* var_find_class(const char* name) {
  if (name == nullptr) return nullptr;
  for (classrec& r : st().classes)
    if (strcasecmp(r.name, name) == 0) return &r;
  return nullptr;
}

classrec* var_next_class(bool reset) {
  State& s = st();
  if (reset) s.class_pos = 0;
  if (s.class_pos >= s.classes.size()) return nullptr;
  return &s.classes[s.class_pos++];
}

size_t var_class_count() { return st().classes.size(); }

const VarEntry* var_cfg_find(const char* section, const char* key) {
  State& s = st();
  s.iter_list = nullptr;
  const VarSection* sec = s.cfg.find(section != nullptr ? section : "");
  if (sec == nullptr) return nullptr;
  for (size_t i = 0; i < sec->entries.size(); ++i)
    if (key == nullptr || strcasecmp(sec->entries[i].key.c_str(), key) == 0) {
      s.iter_list = &sec->entries;
      s.iter_pos = i + 1;
      return &sec->entries[i];
    }
  return nullptr;
}

const VarEntry* var_cfg_next_entry() {
  State& s = st();
  if (s.iter_list == nullptr || s.iter_pos >= s.iter_list->size()) return nullptr;
  return &(*s.iter_list)[s.iter_pos++];
}

const VarEntry* var_cfg_find_entry(const VarEntryList* list, const char* key) {
  if (list == nullptr || key == nullptr) return nullptr;
  for (const VarEntry& e : *list)
    if (strcasecmp(e.key.c_str(), key) == 0) return &e;
  return nullptr;
}

void var_path_error(pload* ctx, const char* text, const char* path) {
  ctx->Error(ctx, "%s:\nPath=\"%.80s\"", text, path != nullptr ? path : "");
}

classrec* var_object_class(pload* ctx, obj_hndl obj, const char* path) {
  classrec* r = ctx->GetClassRec != nullptr ? ctx->GetClassRec(ctx, obj) : nullptr;
  if (r == nullptr)
    ctx->Error(ctx, "Internal failure, object does not have class data associated:\nPath=\"%.80s\"",
               path != nullptr ? path : "");
  return r;
}

const VarEntry* var_find_attr(pload* ctx, obj_hndl obj, const char* path, const char* name) {
  const VarEntry* e = var_cfg_find_entry(list_of(st().cfg.find("attributes")), name);
  if (e != nullptr) return e;
  classrec* r = var_object_class(ctx, obj, path);
  if (r == nullptr) return nullptr;
  return var_cfg_find_entry(list_of(r->attr_section), name);
}

// ---- host callbacks ----

extern "C" void var_DefaultSize(const char* cls, int* width, int* height) {
  int w = 10, h = 1;
  if (classrec* r = var_find_class(cls)) {
    const VarEntryList* l = list_of(r->class_section);
    int32_t wd = plain_int(var_cfg_find_entry(l, "w_default"));
    int32_t hd = plain_int(var_cfg_find_entry(l, "h_default"));
    if (wd > 0) w = wd;
    if (hd > 0) h = hd;
  }
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
}

namespace {

// A definition cursor carries its own position: the stage (1 the section
// "attributes", 2 the class's attribute section) in the high half and the
// entry number in the low half, so nested enumerations never disturb it.
void* cursor_of(uintptr_t stage, size_t index) { return reinterpret_cast<void*>((stage << 32) | index); }

void* attr_def_from(const char* cls, uintptr_t stage, size_t index, prop_def* def) {
  classrec* r = var_find_class(cls);
  if (r == nullptr) return nullptr;
  const VarEntryList* lists[3] = {nullptr, list_of(st().cfg.find("attributes")), list_of(r->attr_section)};
  for (; stage <= 2; ++stage, index = 0) {
    const VarEntryList* l = lists[stage];
    if (l == nullptr) continue;
    for (; index < l->size(); ++index) {
      const VarEntry& e = (*l)[index];
      prop_def d{};
      if (var_parse_attr_def(&d, e.key.c_str(), e.value.c_str()) != 0) {
        failure("Unable to obtain attribute definition:\nThe configuration file seems to be inconsistent\n(entry \"" +
                e.key + "=\" for class \"" + r->name + "\" has illegal format).");
        return nullptr;
      }
      if ((d.flags & PROP_F_ALIAS) != 0) continue;
      if (def != nullptr) *def = d;
      return cursor_of(stage, index);
    }
  }
  return nullptr;
}

}  // namespace

extern "C" void* var_FirstAttrDef(const char* cls, prop_def* def) { return attr_def_from(cls, 1, 0, def); }

extern "C" void* var_NextAttrDef(const char* cls, void* cursor, prop_def* def) {
  uintptr_t c = reinterpret_cast<uintptr_t>(cursor);
  uintptr_t stage = c >> 32;
  if (stage < 1 || stage > 2) return nullptr;
  return attr_def_from(cls, stage, static_cast<size_t>(c & 0xffffffffu) + 1, def);
}

extern "C" const char* var_ValueText(obj_hndl obj, prop_def* def) {
  State& s = st();
  prop_val* v =
      (s.desc != nullptr && s.desc->Host.FindClassProp != nullptr) ? s.desc->Host.FindClassProp(obj, def) : nullptr;
  if (v == nullptr) {
    if (def != nullptr && def->kind == PROP_KIND_NATIVE && (def->native == 11 || def->native == 17)) return "1";
    return nullptr;
  }
  if (v->type == VAL_TEXT) {
    s.value_text = v->data.text != nullptr ? v->data.text : "";
    return s.value_text.c_str();
  }
  if (v->type == VAL_INT) {
    s.value_text = std::to_string(v->data.num);
    return s.value_text.c_str();
  }
  return nullptr;
}

// ---- GUI modifiers ----

namespace {

struct Lookup {
  pload* ctx;
  obj_hndl obj;
  const char* path;
  const prop_def* def;
  const prop_val* value;
};

int lookup_symbol(const char* name, double* out, void* context) {
  Lookup* l = static_cast<Lookup*>(context);
  if (l->def->name != nullptr && strcasecmp(name, l->def->name) == 0) {
    if (l->value == nullptr || l->value->type != VAL_INT) return -1;
    *out = l->value->data.num;
    return 0;
  }
  const VarEntry* e = var_find_attr(l->ctx, l->obj, l->path, name);
  if (e == nullptr) return -1;
  prop_def d{};
  if (var_parse_attr_def(&d, e->key.c_str(), e->value.c_str()) != 0 || d.type != PROP_TYPE_INT) return -1;
  PluginDesc* desc = st().desc;
  const char* text = (desc != nullptr && desc->Host.GetProp != nullptr) ? desc->Host.GetProp(l->obj, &d) : nullptr;
  if (text == nullptr) text = d.defval;
  *out = text != nullptr ? static_cast<double>(strtol(text, nullptr, 10)) : 0.0;
  return 0;
}

}  // namespace

int var_apply_gui_modifiers(pload* ctx, obj_hndl obj, const char* path, const prop_def* def, const prop_val* value) {
  if (def == nullptr || def->gui == nullptr) return 0;
  const VarSection* sec = st().cfg.find(def->gui);
  if (sec == nullptr) return 0;
  std::string gui_name = def->gui;  // the definition's texts stay, but keep a copy anyway
  for (const VarEntry& e : sec->entries) {
    Lookup l{ctx, obj, path, def, value};
    double result = 0;
    const char* err = expr_eval(e.value.c_str(), &result, lookup_symbol, &l);
    if (err != nullptr) {
      ctx->Error(ctx, "Unable to evaluate expression:\n%s\n\nConfiguration section [%s], entry \"%s=\"", err,
                 gui_name.c_str(), e.key.c_str());
      return -1;
    }
    int32_t n32 = 0;
    if (expr_to_int32(result, &n32) != 0) {
      ctx->Error(ctx, "Unable to evaluate expression:\n%s\n\nConfiguration section [%s], entry \"%s=\"",
                 "Value does not fit 32 bits.", gui_name.c_str(), e.key.c_str());
      return -1;
    }
    int n = n32;
    gui_info g{};
    const char* k = e.key.c_str();
    if (strcasecmp(k, "gui_setws") == 0)
      g.setws = &n;
    else if (strcasecmp(k, "gui_clrws") == 0)
      g.clrws = &n;
    else if (strcasecmp(k, "gui_setws_ex") == 0)
      g.setws_ex = &n;
    else if (strcasecmp(k, "gui_clrws_ex") == 0)
      g.clrws_ex = &n;
    else if (strcasecmp(k, "gui_setflags") == 0)
      g.setflags = &n;
    else if (strcasecmp(k, "gui_clrflags") == 0)
      g.clrflags = &n;
    else {
      ctx->Error(ctx, "Illegal entry\"%s=\"\nin configuration section [%s]", k, gui_name.c_str());
      return -1;
    }
    PluginDesc* desc = st().desc;
    if (desc == nullptr || desc->Host.SetGuiInfo == nullptr || desc->Host.SetGuiInfo(obj, &g) != 0) {
      ctx->Error(ctx, "Unable to set GUI modifier \"%s\"\nfor property \"%s\":\nPath=\"%.80s\"", k, def->name,
                 path != nullptr ? path : "");
      return -1;
    }
  }
  return 0;
}

int var_set_default_attrs(pload* ctx, const char* path) {
  obj_hndl obj = ctx->FindChild(ctx, path, nullptr);
  if (obj.data == nullptr) {
    ctx->Error(ctx, "Unable to locate object:\n%s", path);
    return -1;
  }
  classrec* r = var_object_class(ctx, obj, path);
  if (r == nullptr) return -1;
  PluginDesc* desc = st().desc;
  prop_def d{};
  for (void* c = var_FirstAttrDef(r->name, &d); c != nullptr; c = var_NextAttrDef(r->name, c, &d)) {
    if (d.gui == nullptr) continue;
    if (desc != nullptr && desc->Host.FindObjProp != nullptr && desc->Host.FindObjProp(obj, &d) != nullptr) continue;
    prop_val v{};
    v.type = VAL_INT;
    v.data.num = d.defval != nullptr ? static_cast<int32_t>(strtol(d.defval, nullptr, 10)) : 0;
    if (var_apply_gui_modifiers(ctx, obj, path, &d, &v) != 0) return -1;
  }
  return 0;
}

// ---- checks, module names and settings shared by the plug-ins ----

extern "C" int var_CheckPath(char* text, int length) {
  if (text == nullptr || length <= 0 || !isalpha(static_cast<unsigned char>(text[0]))) return -1;
  text[0] = static_cast<char>(toupper(static_cast<unsigned char>(text[0])));
  for (int i = 1; i < length && text[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (!isalnum(c) && c != '_' && c != '.') return -1;
  }
  return 0;
}

extern "C" int var_CheckIdentifier(char* text, int length) {
  if (text == nullptr || length <= 0 || !isalpha(static_cast<unsigned char>(text[0]))) return -1;
  text[0] = static_cast<char>(toupper(static_cast<unsigned char>(text[0])));
  for (int i = 1; i < length && text[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (isspace(c))
      text[i] = '_';
    else if (!isalnum(c) && c != '_')
      return -1;
  }
  return 0;
}

void var_module_names(std::string& module, std::string& ident) {
  Dl_info info{};
  module.clear();
  if (dladdr(reinterpret_cast<void*>(&var_module_names), &info) != 0 && info.dli_fname != nullptr) {
    module = info.dli_fname;
    if (module.size() > 1024) module.resize(1024);
  }
  size_t slash = module.rfind('/');
  std::string base = module.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = base.rfind('.');
  ident = dot == std::string::npos ? base : base.substr(0, dot);
}

void var_profile_write_int(const char* key, int value) {
  PluginDesc* d = st().desc;
  if (d != nullptr && d->Host.WriteProfileInt != nullptr) d->Host.WriteProfileInt(d, "", key, value);
}

int var_profile_int(const char* key, int def) {
  PluginDesc* d = st().desc;
  if (d == nullptr || d->Host.GetProfileInt == nullptr) return def;
  int v = d->Host.GetProfileInt(d, "", key, def);
  return v < 0 ? def : v;
}
