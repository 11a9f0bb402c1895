// A small in-test host for dialog plug-ins: it serves the reader context and
// the host callbacks with a plain object tree, keeps the text lines of a load
// and writes the tree back through a file type's writers.
#ifndef VARNICA_PLUGINS_TESTS_PLUGINHOST_H
#define VARNICA_PLUGINS_TESTS_PLUGINHOST_H

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"

namespace testhost {

struct Obj;

struct Attr {
  std::string name;
  prop_def def{};
  std::string def_name, def_cat;
  prop_val val{};
  std::string text;   // value text handed to the writer
  std::string store;  // the value of a text
  int line = 0;
  std::string sameline;
};

struct Item {
  enum Kind { TEXT, OBJ, ATTR } kind;
  std::string text;
  int line = 0;
  Obj* obj = nullptr;
  size_t attr = 0;
};

struct Obj {
  std::string name, path;
  classrec* cls = nullptr;
  Obj* parent = nullptr;
  Obj* tmpl = nullptr;
  int flags = 0;
  int line = 0;
  int end_line = -1;
  bool written = true;
  std::string sameline, trailer;
  std::vector<Item> items;
  std::vector<Attr> attrs;
  std::vector<gui_info> gui;
  std::vector<int> gui_values;
  int flag27 = -1, flag28 = -1;    // designer flags set without a definition
  int32_t font = 0;                // reference font given without a definition
  int raster_x = 0, raster_y = 0;  // a container's raster, 0 until given
};

struct Const {
  int32_t group;
  std::string name;
  std::string text;
  prop_val val;
};

struct Font {
  std::string face, wexpr, hexpr;
  int32_t size, style;
};

class Host {
 public:
  explicit Host(PluginDesc* desc) : desc_(desc) {
    current() = this;
    desc_->Host.Failure = &Host::failure;
    desc_->Host.Trace = nullptr;
    desc_->Host.FindObjProp = &Host::find_obj_prop;
    desc_->Host.FindClassProp = &Host::find_class_prop;
    desc_->Host.GetProp = &Host::get_prop;
    desc_->Host.SetGuiInfo = &Host::set_gui_info;
    desc_->Host.GetProfileInt = &Host::profile_int;
    desc_->Host.GetProfileString = &Host::profile_string;
    desc_->Host.WriteProfileString = &Host::write_profile_string;
    desc_->Host.WriteProfileInt = &Host::write_profile_int;
    reset();
  }
  ~Host() {
    if (current() == this) current() = nullptr;
  }

  static Host*& current() {
    static Host* h = nullptr;
    return h;
  }

  // Everything known from the last load.
  std::map<std::string, std::unique_ptr<Obj>> objects;
  std::vector<Item> top;
  std::vector<Obj*> open;
  std::vector<Const> consts;
  std::vector<Font> fonts;
  std::vector<std::string> errors;
  std::vector<int> error_lines;
  std::vector<std::string> failures;
  // Settings by item in the plug-in's own section, or by "section\\item".
  std::map<std::string, int> profile;
  std::map<std::string, std::string> profile_text;
  // Blank lines as the environment keeps them: counted, and written before
  // the next kept line only (an object, its end or a define drops them).
  bool pending_blanks = false;
  int ref_width = 0, ref_height = 0;
  bool fail_gui = false;
  std::string base_dir;
  std::map<std::string, std::string> files;            // in-memory files by name (tried first)
  std::vector<std::pair<std::string, uint8_t>> opens;  // each Open: the name and the Options
  int include_objects = 0;
  std::string last_error() const { return errors.empty() ? std::string() : errors.back(); }
  int last_error_line() const { return error_lines.empty() ? 0 : error_lines.back(); }

  void reset() {
    objects.clear();
    top.clear();
    open.clear();
    consts.clear();
    fonts.clear();
    errors.clear();
    error_lines.clear();
    ref_width = ref_height = 0;
    ctx_ = pload{};
    ctx_.Open = &Host::open_file;
    ctx_.Close = &Host::close_file;
    ctx_.Error = &Host::error;
    ctx_.RefFont = &Host::ref_font;
    ctx_.TextLine = &Host::text_line;
    ctx_.BeginObject = &Host::begin_object;
    ctx_.EndObject = &Host::end_object;
    ctx_.FindChild = &Host::find_child;
    ctx_.GetClassRec = &Host::get_class_rec;
    ctx_.SetClassRec = &Host::set_class_rec;
    ctx_.SetProp = &Host::set_prop;
    ctx_.FindPropDef = &Host::find_prop_def;
    ctx_.DefConst = &Host::def_const;
    ctx_.NamedValue = &Host::named_value;
    ctx_.DefFont = &Host::def_font;
    last_kind_ = Item::TEXT;
    last_line_ = -1;
    last_obj_ = nullptr;
    last_attr_ = 0;
    pending_ = 0;
  }

  pload* ctx() { return &ctx_; }
  PluginDesc* desc() const { return desc_; }

  int load(const std::string& file, int type = 0) {
    reset();
    std::snprintf(ctx_.FileName, sizeof ctx_.FileName, "%s", file.c_str());
    return desc_->FileTypes[type].Load(&ctx_, file.c_str());
  }

  // Writes every object not marked as template, model, private or included.
  std::string save() {
    out_.clear();
    psave s{};
    s.WriteLine = &Host::write_line;
    s.Error = &Host::save_error;
    const PluginFileType& ft = desc_->FileTypes[0];
    if (write_items(ft, &s, top) != 0) return "<save failed>";
    return out_;
  }

  Obj* find(const std::string& path) {
    auto it = objects.find(path);
    return it == objects.end() ? nullptr : it->second.get();
  }
  const Attr* attr(const std::string& path, const std::string& name) {
    Obj* o = find(path);
    if (o == nullptr) return nullptr;
    for (const Attr& a : o->attrs)
      if (a.name == name) return &a;
    return nullptr;
  }

 private:
  PluginDesc* desc_;
  pload ctx_{};
  std::string out_;
  Item::Kind last_kind_ = Item::TEXT;
  int last_line_ = -1;
  Obj* last_obj_ = nullptr;
  size_t last_attr_ = 0;
  bool last_end_ = false;
  int pending_ = 0;
  std::vector<std::unique_ptr<std::string>> texts_;

  std::vector<Item>& container() { return open.empty() ? top : open.back()->items; }

  int write_items(const PluginFileType& ft, psave* s, const std::vector<Item>& items) {
    for (const Item& it : items) {
      if (it.kind == Item::TEXT) {
        if (ft.WriteLine(s, it.text.c_str()) != 0) return -1;
      } else if (it.kind == Item::ATTR) {
        const Attr& a = it.obj->attrs[it.attr];
        if (ft.WriteAttr(s, a.name.c_str(), &a.def, &a.val, a.text.c_str(),
                         a.sameline.empty() ? nullptr : a.sameline.c_str()) != 0)
          return -1;
      } else {
        Obj* o = it.obj;
        if (!o->written) continue;
        if (ft.BeginObj(s, o->path.c_str(), o->name.c_str(), o->cls->name, o->tmpl ? o->tmpl->path.c_str() : nullptr,
                        o->sameline.empty() ? nullptr : o->sameline.c_str()) != 0)
          return -1;
        ++s->Depth;
        if (write_items(ft, s, o->items) != 0) return -1;
        --s->Depth;
        if (ft.EndObj(s, o->path.c_str(), o->trailer.empty() ? nullptr : o->trailer.c_str()) != 0) return -1;
      }
    }
    return 0;
  }

  static Host& h() { return *current(); }

  static void failure(const char* fmt, ...) {
    char buf[8192];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    h().failures.push_back(buf);
  }
  static void error(pload* ctx, const char* fmt, ...) {
    char buf[8192];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    h().errors.push_back(buf);
    h().error_lines.push_back(ctx->Line);
  }
  static void save_error(psave*, const char* fmt, ...) {
    char buf[8192];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    h().errors.push_back(buf);
  }
  static int write_line(psave*, const char* text) {
    h().out_ += text;
    return 0;
  }
  static int open_file(pload* ctx, const char* name) {
    h().opens.emplace_back(name, ctx->Options);
    std::string data;
    auto it = h().files.find(name);
    if (it != h().files.end()) {
      data = it->second;
    } else {
      std::string path = name;
      if (!path.empty() && path[0] != '/' && !h().base_dir.empty()) path = h().base_dir + "/" + path;
      std::ifstream in(path, std::ios::binary);
      if (!in) return -1;
      std::ostringstream ss;
      ss << in.rdbuf();
      data = ss.str();
    }
    char* buf = new char[data.size() + 1];
    std::memcpy(buf, data.data(), data.size());
    buf[data.size()] = '\0';
    ctx->Text = buf;
    ctx->Size = static_cast<int32_t>(data.size());
    return 0;
  }
  static void close_file(pload* ctx) {
    delete[] ctx->Text;
    ctx->Text = nullptr;
    ctx->Size = 0;
  }
  static int ref_font(pload*, int32_t, int* w, int* hh) {
    if (w != nullptr) h().ref_width = *w;
    if (hh != nullptr) h().ref_height = *hh;
    return 0;
  }
  static int text_line(pload* ctx, const char* text, int blank) {
    Host& x = h();
    if (x.pending_blanks && blank) {
      if (!(x.last_kind_ == Item::TEXT && x.last_line_ == ctx->Line)) ++x.pending_;
      return 0;
    }
    if (x.pending_blanks && !(ctx->Line == x.last_line_)) {
      for (; x.pending_ > 0; --x.pending_) x.container().push_back({Item::TEXT, "", -1, nullptr, 0});
    }
    x.pending_ = 0;
    std::string t = blank ? std::string() : std::string(text);
    bool shown = x.last_obj_ != nullptr && x.last_obj_->written;
    if (ctx->Line == x.last_line_ && (x.last_kind_ == Item::TEXT || shown)) {
      if (x.last_kind_ == Item::OBJ && x.last_obj_ != nullptr) {
        (x.last_end_ ? x.last_obj_->trailer : x.last_obj_->sameline) += t;
        return 0;
      }
      if (x.last_kind_ == Item::ATTR && x.last_obj_ != nullptr) {
        x.last_obj_->attrs[x.last_attr_].sameline += t;
        return 0;
      }
      std::vector<Item>& c = x.container();
      if (!c.empty() && c.back().kind == Item::TEXT && c.back().line == ctx->Line) {
        c.back().text += t;
        return 0;
      }
    }
    x.container().push_back({Item::TEXT, t, ctx->Line, nullptr, 0});
    x.last_kind_ = Item::TEXT;
    x.last_line_ = ctx->Line;
    return 0;
  }
  static obj_hndl begin_object(pload* ctx, obj_create* info) {
    Host& x = h();
    auto o = std::make_unique<Obj>();
    o->name = info->name;
    o->path = info->path;
    o->cls = info->cls;
    o->parent = static_cast<Obj*>(info->parent.data);
    o->tmpl = static_cast<Obj*>(info->tmpl.data);
    o->flags = info->flags;
    o->line = ctx->Line;
    o->written = (info->flags & (OBJ_CREATE_NOWND_F19 | OBJ_CREATE_NOWND_F21 | OBJ_CREATE_TEMPORARY)) == 0 &&
                 ctx->IncludeDepth == 0;
    if (ctx->IncludeDepth != 0) ++x.include_objects;
    if (info->gui.setflags != nullptr) o->gui_values.push_back(*info->gui.setflags);
    if (info->clone.data != nullptr) {
      Obj* c = static_cast<Obj*>(info->clone.data);
      o->attrs = c->attrs;  // class defaults are copied, not written
      for (Attr& a : o->attrs) a.line = -1;
    }
    Obj* raw = o.get();
    x.objects[o->path] = std::move(o);
    x.container().push_back({Item::OBJ, "", ctx->Line, raw, 0});
    x.open.push_back(raw);
    ++ctx->Nesting;
    x.last_kind_ = Item::OBJ;
    x.last_line_ = ctx->Line;
    x.last_obj_ = raw;
    x.last_end_ = false;
    if (ctx->IncludeDepth == 0) x.pending_ = 0;
    return obj_hndl{raw};
  }
  static int end_object(pload* ctx, const char* path) {
    Host& x = h();
    Obj* o = x.find(path);
    if (o == nullptr) return -1;
    if (!x.open.empty() && x.open.back() == o) x.open.pop_back();
    if (ctx->Nesting > 0) --ctx->Nesting;
    x.last_kind_ = Item::OBJ;
    x.last_line_ = ctx->Line;
    x.last_obj_ = o;
    x.last_end_ = true;
    if (ctx->IncludeDepth == 0) x.pending_ = 0;
    return 0;
  }
  static obj_hndl find_child(pload*, const char* path, obj_hndl* parent) {
    Host& x = h();
    std::string p = path;
    if (parent != nullptr && parent->data != nullptr) p = static_cast<Obj*>(parent->data)->path + "." + p;
    return obj_hndl{x.find(p)};
  }
  static classrec* get_class_rec(pload*, obj_hndl o) {
    return o.data != nullptr ? static_cast<Obj*>(o.data)->cls : nullptr;
  }
  static void set_class_rec(pload*, obj_hndl o, classrec* c) { static_cast<Obj*>(o.data)->cls = c; }
  static int set_prop(pload* ctx, prop_set* ps) {
    Host& x = h();
    Obj* o = static_cast<Obj*>(ps->obj.data);
    if (ps->def == nullptr) {
      if (ps->flag27 != nullptr) o->flag27 = *ps->flag27;
      if (ps->flag28 != nullptr) o->flag28 = *ps->flag28;
      if (ps->font != 0) o->font = ps->font;
      if (ps->rasterX != nullptr) o->raster_x = *ps->rasterX;
      if (ps->rasterY != nullptr) o->raster_y = *ps->rasterY;
      return 0;
    }
    std::string name = ps->def->name;
    if ((ps->def->flags & PROP_F_ARRAY) != 0 && ps->def->index >= 0) name += "[" + std::to_string(ps->def->index) + "]";
    Attr* a = nullptr;
    for (Attr& e : o->attrs)
      if (e.name == name) a = &e;
    bool fresh = a == nullptr || a->line < 0;
    if (a == nullptr) {
      o->attrs.push_back(Attr{});
      a = &o->attrs.back();
    }
    a->name = name;
    a->def = *ps->def;
    a->def_name = ps->def->name;
    a->def_cat = ps->def->category != nullptr ? ps->def->category : "";
    a->val = ps->val != nullptr ? *ps->val : prop_val{};
    a->store = (a->val.type == VAL_TEXT && a->val.data.text != nullptr) ? a->val.data.text : "";
    if (ps->index != nullptr && *ps->index >= 0)
      a->text = x.consts[static_cast<size_t>(*ps->index)].name;
    else if (a->val.type == VAL_TEXT)
      a->text = "\"" + a->store + "\"";
    else if (a->val.type == VAL_INT)
      a->text = std::to_string(a->val.data.num);
    a->line = ctx->Line;
    size_t idx = static_cast<size_t>(a - o->attrs.data());
    // texts of the definition point into the attribute itself
    for (Attr& e : o->attrs) {
      e.def.name = e.def_name.c_str();
      e.def.category = e.def_cat.c_str();
      e.def.gui = nullptr;
      e.def.defval = nullptr;
      if (e.val.type == VAL_TEXT) e.val.data.text = e.store.data();
    }
    if (fresh && ctx->IncludeDepth == 0) {
      // an attribute of a reused or class default object stays with it
      o->items.push_back({Item::ATTR, "", ctx->Line, o, idx});
    }
    x.last_kind_ = Item::ATTR;
    x.last_line_ = ctx->Line;
    x.last_obj_ = o;
    x.last_attr_ = idx;
    return 0;
  }
  static int find_prop_def(pload*, obj_hndl, const char*, prop_def*) { return -1; }
  static int def_const(pload* ctx, int32_t group, const char* name, prop_val* value, int32_t, int) {
    Host& x = h();
    if (ctx->IncludeDepth == 0) x.pending_ = 0;
    Const c{group, name, "", *value};
    if (value->type == VAL_TEXT) c.text = value->data.text;
    x.consts.push_back(c);
    return 0;
  }
  static int named_value(pload*, int32_t group, const char* name, prop_val* value) {
    Host& x = h();
    for (size_t i = 0; i < x.consts.size(); ++i)
      if ((group == 0 || x.consts[i].group == group) && x.consts[i].name == name) {
        *value = x.consts[i].val;
        if (value->type == VAL_TEXT) value->data.text = x.consts[i].text.data();
        return static_cast<int>(i);
      }
    return -1;
  }
  static int def_font(pload*, font_info* f, int) {
    Host& x = h();
    x.fonts.push_back({f->text ? f->text : "", f->wexpr ? f->wexpr : "", f->hexpr ? f->hexpr : "", f->size, f->style});
    f->id = static_cast<int32_t>(x.fonts.size());
    return 0;
  }
  static prop_val* find_obj_prop(obj_hndl o, const prop_def* def) {
    Obj* obj = static_cast<Obj*>(o.data);
    for (Attr& a : obj->attrs)
      if (a.def_name == def->name && a.line >= 0) return &a.val;
    return nullptr;
  }
  static prop_val* find_class_prop(obj_hndl o, const prop_def* def) {
    Obj* obj = static_cast<Obj*>(o.data);
    for (Attr& a : obj->attrs)
      if (a.def_name == def->name) return &a.val;
    return nullptr;
  }
  static const char* get_prop(obj_hndl o, const prop_def* def) {
    prop_val* v = find_class_prop(o, def);
    if (v == nullptr) return nullptr;
    static std::string text;
    text = v->type == VAL_INT ? std::to_string(v->data.num) : (v->type == VAL_TEXT ? v->data.text : "");
    return text.c_str();
  }
  static int set_gui_info(obj_hndl o, const gui_info* g) {
    if (h().fail_gui) return -1;
    Obj* obj = static_cast<Obj*>(o.data);
    obj->gui.push_back(*g);
    for (int* p : {g->setws, g->clrws, g->setws_ex, g->clrws_ex, g->setflags, g->clrflags})
      if (p != nullptr) obj->gui_values.push_back(*p);
    return 0;
  }
  static std::string profile_key(const char* section, const char* item) {
    return section == nullptr || *section == '\0' ? std::string(item) : std::string(section) + "\\" + item;
  }
  static int profile_int(PluginDesc*, const char* section, const char* item, int def) {
    std::string key = profile_key(section, item);
    auto it = h().profile.find(key);
    if (it != h().profile.end()) return it->second;
    auto t = h().profile_text.find(key);
    return t == h().profile_text.end() ? def : std::atoi(t->second.c_str());
  }
  static char* profile_string(PluginDesc*, const char* section, const char* item, const char* def, char* buffer,
                              int size) {
    if (size < 2) return buffer;
    auto t = h().profile_text.find(profile_key(section, item));
    std::snprintf(buffer, static_cast<size_t>(size), "%s", t == h().profile_text.end() ? def : t->second.c_str());
    return buffer;
  }
  // A null text deletes the entry.
  static void write_profile_string(PluginDesc*, const char* section, const char* item, const char* text) {
    if (text == nullptr)
      h().profile_text.erase(profile_key(section, item));
    else
      h().profile_text[profile_key(section, item)] = text;
  }
  static void write_profile_int(PluginDesc*, const char* section, const char* item, int value) {
    h().profile.erase(profile_key(section, item));
    h().profile_text[profile_key(section, item)] = std::to_string(value);
  }
};

// Starts a plug-in module as the environment does: GetPlugin, a fresh host
// for its descriptor (files under `base_dir`, then `setup` fills in the
// rest), then InitPlugin. Null when it did not start, with `why` saying why.
template <typename Setup>
std::unique_ptr<Host> start(void* module, const std::string& base_dir, Setup setup, std::string* why) {
  auto get = reinterpret_cast<GetPluginFn>(dlsym(module, "GetPlugin"));
  auto init = reinterpret_cast<InitPluginFn>(dlsym(module, "InitPlugin"));
  if (get == nullptr || init == nullptr) {
    *why = "GetPlugin or InitPlugin is not exported";
    return nullptr;
  }
  auto host = std::make_unique<Host>(get());
  host->base_dir = base_dir;
  setup(*host);
  if (init() != 0) {
    *why = host->failures.empty() ? "InitPlugin failed" : host->failures.back();
    return nullptr;
  }
  return host;
}

}  // namespace testhost

#endif
