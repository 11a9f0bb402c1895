// Reader object building: the load prologue, object creation from a dotted
// path and attribute assignment with native attributes.
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "dialogs/plugins/classmodel/classmodel.h"

namespace {

const size_t kMaxParentPath = 1024;

bool name_char(char c) { return isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

const VarEntryList* list_of(const void* section) {
  return section != nullptr ? &static_cast<const VarSection*>(section)->entries : nullptr;
}

int32_t section_int(const VarEntryList* l, const char* key) {
  const VarEntry* e = var_cfg_find_entry(l, key);
  return e != nullptr ? static_cast<int32_t>(atol(e->value.c_str())) : 0;
}

}  // namespace

int var_load_prologue(pload* ctx, int mode, VarObjectMade made) {
  const VarSection* consts = var_config().find("Constants");
  if (consts != nullptr)
    for (const VarEntry& e : consts->entries) {
      const char* sec = consts->name.c_str();
      size_t c1 = e.value.find(':');
      if (c1 == std::string::npos) {
        ctx->Error(ctx, "Configuration error:\nData type is not terminated,\nSection [%s], entry \"%s=\"", sec,
                   e.key.c_str());
        return -1;
      }
      std::string type = e.value.substr(0, c1);
      bool is_string = strcasecmp(type.c_str(), "string") == 0;
      if (!is_string && strcasecmp(type.c_str(), "int") != 0) {
        ctx->Error(ctx, "Configuration error:\nUnknown data type,\nSection [%s], entry \"%s=\"", sec, e.key.c_str());
        return -1;
      }
      size_t c2 = e.value.find(':', c1 + 1);
      if (c2 == std::string::npos) {
        ctx->Error(ctx, "Configuration error:\nConstant identifier is not terminated,\nSection [%s], entry \"%s=\"",
                   sec, e.key.c_str());
        return -1;
      }
      int32_t group = static_cast<int32_t>(atol(e.value.substr(c1 + 1, c2 - c1 - 1).c_str()));
      std::string text = e.value.substr(c2 + 1);
      prop_val v{};
      if (is_string) {
        v.type = VAL_TEXT;
        v.data.text = text.data();
      } else {
        v.type = VAL_INT;
        v.data.num = static_cast<int32_t>(atol(text.c_str()));
      }
      if (ctx->DefConst(ctx, group, e.key.c_str(), &v, -1, 0) != 0) {
        ctx->Error(ctx, "Unable to define initial symbolic value:\n%s", e.key.c_str());
        return -1;
      }
    }
  for (classrec* r = var_next_class(true); r != nullptr; r = var_next_class(false)) {
    std::string path = std::string("~") + r->name;
    obj_hndl obj{};
    if (var_create_object(ctx, path.c_str(), r->name, VAR_CREATE_CLASSDEFAULT | mode, &obj) != 0) return -1;
    if (made != nullptr && obj.data != nullptr && made(ctx, obj, r, path.c_str()) != 0) return -1;
    ctx->EndObject(ctx, path.c_str());
    if (ctx->FindChild(ctx, path.c_str(), nullptr).data == nullptr) {
      ctx->Error(ctx, "Unable to locate object:\n%s", path.c_str());
      return -1;
    }
  }
  return 0;
}

int var_create_object(pload* ctx, const char* path, const char* cls, int mode, obj_hndl* made) {
  const bool is_default = (mode & VAR_CREATE_CLASSDEFAULT) != 0;
  const bool text_file = (mode & VAR_CREATE_TEXT) != 0;
  if (made != nullptr) *made = obj_hndl{};
  obj_create info{};
  classrec* r = var_find_class(cls);
  if (r == nullptr) {
    obj_hndl t = ctx->FindChild(ctx, cls, nullptr);
    if (t.data == nullptr) return 1;
    r = var_object_class(ctx, t, cls);
    if (r == nullptr) return -1;
    info.tmpl = t;
  } else if (!is_default) {
    std::string dpath = std::string("~") + r->name;
    info.clone = ctx->FindChild(ctx, dpath.c_str(), nullptr);
    if (info.clone.data == nullptr) {
      var_path_error(ctx, "Unable to locate object", path);
      return -1;
    }
  }
  std::string p = path;
  size_t dot = p.rfind('.');
  std::string name = dot == std::string::npos ? p : p.substr(dot + 1);
  bool ok = !name.empty();
  for (size_t i = 0; ok && i < name.size(); ++i) ok = name_char(name[i]) || (i == 0 && is_default && name[i] == '~');
  if (!ok) {
    var_path_error(ctx, "Invalid object path", path);
    return -1;
  }
  obj_hndl parent{};
  obj_hndl existing{};
  if (dot != std::string::npos) {
    std::string ppath = p.substr(0, dot);
    if (ppath.size() >= kMaxParentPath + 1) {
      var_path_error(ctx, "Object path is too long", path);
      return -1;
    }
    parent = ctx->FindChild(ctx, ppath.c_str(), nullptr);
    if (parent.data == nullptr) {
      var_path_error(ctx, "Unable to locate parent object", path);
      return -1;
    }
    existing = ctx->FindChild(ctx, name.c_str(), &parent);
  } else {
    existing = ctx->FindChild(ctx, name.c_str(), nullptr);
  }
  if (existing.data != nullptr) {
    if (ctx->IncludeDepth != 0 && !text_file) {
      ctx->Nesting += 1;
      return 0;
    }
    var_path_error(ctx, "Object with same name does already exist", path);
    return -1;
  }
  const VarEntryList* cs = list_of(r->class_section);
  int32_t flags = 0;
  if (section_int(cs, "container") != 0) flags |= OBJ_CREATE_CONTAINER;
  if (section_int(cs, "root") != 0) flags |= OBJ_CREATE_ROOT;
  if (section_int(cs, "root_req") != 0) {
    flags |= OBJ_CREATE_ROOT_REQ;
    if (parent.data != nullptr) {
      var_path_error(ctx, "Object must be root", path);
      return -1;
    }
    flags |= OBJ_CREATE_ROOT | OBJ_CREATE_ROOT_REQ;
  }
  if (parent.data == nullptr && !text_file &&
      var_cfg_find_entry(list_of(var_config().find("SecondaryRootObjects")), name.c_str()))
    flags |= OBJ_CREATE_SECONDARY;
  if (is_default)
    flags |= OBJ_CREATE_NOWND_F21;
  else if ((mode & VAR_CREATE_MODEL) != 0)
    flags |= OBJ_CREATE_NOWND_F19;
  if ((mode & VAR_CREATE_PRIVATE) != 0) flags |= OBJ_CREATE_TEMPORARY;
  if (text_file && !is_default) flags |= OBJ_CREATE_F19;
  if (parent.data == nullptr && !is_default && (flags & OBJ_CREATE_ROOT) == 0 && (mode & VAR_CREATE_MODEL) == 0) {
    var_path_error(ctx, "Invalid root object", path);
    return -1;
  }
  int setws = 0, setws_ex = 0, setflags = 0;
  const VarEntry* wc = nullptr;
  if (info.tmpl.data == nullptr && info.clone.data == nullptr) {
    wc = var_cfg_find_entry(cs, "gui_wc");
    if (wc != nullptr) {
      info.gui.wc = wc->value.c_str();
      if (const VarEntry* e = var_cfg_find_entry(cs, "gui_setws")) {
        setws = atoi(e->value.c_str());
        info.gui.setws = &setws;
      }
      if (const VarEntry* e = var_cfg_find_entry(cs, "gui_setws_ex")) {
        setws_ex = atoi(e->value.c_str());
        info.gui.setws_ex = &setws_ex;
      }
    }
    if (const VarEntry* e = var_cfg_find_entry(cs, "gui_setflags")) {
      setflags = atoi(e->value.c_str());
      info.gui.setflags = &setflags;
    }
  }
  info.name = name.c_str();
  info.path = p.c_str();
  info.parent = parent;
  info.cls = r;
  info.flags = flags;
  obj_hndl obj = ctx->BeginObject(ctx, &info);
  if (made != nullptr) *made = obj;
  return obj.data != nullptr ? 0 : -1;
}

namespace {

uint32_t g_natives = 0x7fffe;  // natives 1 to 18

int native_set(pload* ctx, obj_hndl obj, const char* path, prop_def* def, prop_val* val, int index) {
  prop_set ps{};
  int serial = index;
  ps.index = index >= 0 ? &serial : nullptr;
  ps.obj = obj;
  ps.path = path;
  ps.def = def;
  ps.val = val;
  int num = val->type == VAL_INT ? val->data.num : 0;
  int n = def->native;
  bool want_int = !(n == 14 || n == 15 || n == 18);
  if (n < 1 || n > 18 || (g_natives & (1u << n)) == 0) {
    ctx->Error(ctx,
               "Native attribute \"%s\" could not be recognized:\nThe configuration file seems to be "
               "inconsistent.\nPath=\"%.80s\"",
               def->name, path);
    return -1;
  }
  if ((want_int && val->type != VAL_INT) || (!want_int && val->type != VAL_TEXT)) {
    ctx->Error(ctx,
               "Data type mismatch in native attribute \"%s\":\nThe configuration file seems to be "
               "inconsistent.\nPath=\"%.80s\"",
               def->name, path);
    return -1;
  }
  switch (n) {
    case 1: ps.flag27 = &num; break;
    case 2: ps.flag28 = &num; break;
    case 3: ps.font = num; break;
    case 4: ps.rasterX = &num; break;
    case 5: ps.rasterY = &num; break;
    case 6: ps.xleft = &num; break;
    case 7: ps.ytop = &num; break;
    case 8: ps.xright = &num; break;
    case 9: ps.ybottom = &num; break;
    case 10: ps.width = &num; break;
    case 11: ps.height = &num; break;
    case 12: ps.hattach = &num; break;
    case 13: ps.vattach = &num; break;
    case 14: ps.name = val->data.text; break;
    case 15: ps.text = val->data.text; break;
    case 16: {
      gui_info g{};
      g.data = reinterpret_cast<void*>(static_cast<intptr_t>(num));
      PluginDesc* desc = var_desc();
      if (desc == nullptr || desc->Host.SetGuiInfo == nullptr || desc->Host.SetGuiInfo(obj, &g) != 0) {
        ctx->Error(ctx, "Unable to set font,\nPath=\"%.80s\"", path);
        return -1;
      }
      break;
    }
    case 17: ps.visible = &num; break;
    case 18:
      ps.reclass = ctx->FindChild(ctx, val->data.text, nullptr);
      if (ps.reclass.data == nullptr) {
        ctx->Error(ctx, "Unable to locate object \"%s\".\nPath=\"%.80s\"", val->data.text, path);
        return -1;
      }
      break;
  }
  return ctx->SetProp(ctx, &ps) != 0 ? -1 : 0;
}

}  // namespace

void var_set_natives(uint32_t mask) { g_natives = mask; }

extern "C" int var_SetAttrValue(pload* ctx, obj_hndl obj, const char* path, prop_def* def, prop_val* val, int index) {
  bool fits = false;
  switch (val != nullptr ? val->type : VAL_NONE) {
    case VAL_NONE: fits = (def->flags & PROP_F_DECLARED) != 0; break;
    case VAL_TEXT: fits = def->type != PROP_TYPE_INT; break;
    case VAL_INT: fits = def->type == PROP_TYPE_ANY || def->type == PROP_TYPE_INT; break;
    default: break;
  }
  if (!fits) {
    ctx->Error(ctx, "Attribute data type mismatch:\nPath=\"%.80s\"", path);
    return -1;
  }
  if (def->kind == PROP_KIND_NATIVE) return native_set(ctx, obj, path, def, val, index);
  if (def->gui != nullptr && var_apply_gui_modifiers(ctx, obj, path, def, val) != 0) return -1;
  prop_set ps{};
  ps.obj = obj;
  ps.path = path;
  ps.def = def;
  ps.val = val;
  int serial = index;
  ps.index = index >= 0 ? &serial : nullptr;
  return ctx->SetProp(ctx, &ps) != 0 ? -1 : 0;
}

int var_assign_attr(pload* ctx, const char* path, const prop_val* value, bool symbolic, int element, int mode,
                    int serial) {
  std::string p = path;
  size_t dot = p.rfind('.');
  std::string attr = dot == std::string::npos ? p : p.substr(dot + 1);
  bool ok = dot != std::string::npos && !attr.empty();
  for (char c : attr) ok = ok && (name_char(c) || c == '[' || c == ']');
  if (!ok) {
    var_path_error(ctx, "Invalid object path", path);
    return -1;
  }
  std::string opath = p.substr(0, dot);
  if (opath.size() >= kMaxParentPath + 1) {
    var_path_error(ctx, "Object path is too long", path);
    return -1;
  }
  obj_hndl obj = ctx->FindChild(ctx, opath.c_str(), nullptr);
  if (obj.data == nullptr) {
    var_path_error(ctx, "Unable to locate object", path);
    return -1;
  }
  std::string key = attr.substr(0, attr.find('['));
  prop_def def{};
  bool made_up = false;
  const VarEntry* e = var_find_attr(ctx, obj, opath.c_str(), key.c_str());
  if (e != nullptr) {
    if (var_parse_attr_def(&def, e->key.c_str(), e->value.c_str()) != 0) {
      ctx->Error(ctx,
                 "Unable to obtain attribute definition:\nThe configuration file seems to be inconsistent\n(entry "
                 "\"%s=\" has illegal format).\nPath=\"%.80s\"",
                 e->key.c_str(), path);
      return -1;
    }
  } else if (ctx->GetClassRec != nullptr && ctx->GetClassRec(ctx, obj) == nullptr) {
    return -1;  // var_find_attr reported the missing class data
  } else if ((mode & VAR_ASSIGN_CONFIG_ONLY) != 0) {
    var_path_error(ctx, "Attribute not recognized", path);
    return -1;
  } else if (ctx->FindPropDef != nullptr && ctx->FindPropDef(ctx, obj, key.c_str(), &def) == 0) {
    def.flags &= ~static_cast<uint32_t>(PROP_F_DECLARED);
  } else {
    def = prop_def{};
    def.name = nullptr;
    def.category = "Unknown";
    def.type = PROP_TYPE_ANY;
    def.flags = PROP_F_PLUS | PROP_F_DECLARED;
    def.index = -1;
    made_up = true;
  }
  if ((mode & VAR_ASSIGN_INDEX_IN_ARRAY) != 0 && (def.flags & PROP_F_ARRAY) != 0 && def.count > 0 &&
      element >= def.count)
    return VAR_ASSIGN_BAD_INDEX;
  std::string name_copy = key;
  if (made_up) def.name = name_copy.c_str();
  def.index = element;
  prop_val v = *value;
  std::string text_copy = (value->type == VAL_TEXT && value->data.text != nullptr) ? value->data.text : "";
  if (v.type == VAL_TEXT) v.data.text = text_copy.data();
  if (symbolic) serial = -1;
  if (symbolic && !made_up && !(def.kind == PROP_KIND_NATIVE && def.native == PROP_NATIVE_RECLASS)) {
    prop_val resolved{};
    serial = ctx->NamedValue(ctx, def.group, text_copy.c_str(), &resolved);
    if (serial < 0) {
      ctx->Error(ctx, "Symbolic value not found:\n%s", text_copy.c_str());
      return -1;
    }
    v = resolved;
  }
  return var_SetAttrValue(ctx, obj, path, &def, &v, serial);
}
