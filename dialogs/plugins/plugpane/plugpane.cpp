// The VUZ dialog plug-in "ide-plugpane": its descriptor, its entries and the
// plug-in callbacks that are not part of the class model.
#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugpane/plugpane.h"

namespace {

std::string g_module;
std::string g_ident;

PluginFileType g_types[] = {
    {"VUZ Dialog File", ".idm", PLUGIN_FT_SOURCE, pane_load, pane_begin_obj, pane_end_obj, pane_write_attr,
     pane_write_line},
};

extern "C" int pane_check_path(char* text, int length) {
  if (text == nullptr || length <= 0 || !isalpha(static_cast<unsigned char>(text[0]))) return -1;
  text[0] = static_cast<char>(toupper(static_cast<unsigned char>(text[0])));
  for (int i = 1; i < length && text[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (!isalnum(c) && c != '_' && c != '.') return -1;
  }
  return 0;
}

extern "C" int pane_check_identifier(char* text, int length) {
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

extern "C" int pane_max_root_size(int* /*width*/, int* /*height*/) { return 0; }

PluginDesc g_desc = {
    PLUGIN_VERSION,
    100,
    PLUGIN_CATEGORY_DLG,
    "",
    "VUZ Dialog Plug-In",
    "3.0.5.1",
    "Jul  7 2001",
    "",
    "VUZ Dialog Files",
    "VUZ Dialog File",
    g_types,
    1,
    {pane_check_path, pane_check_identifier, var_SetAttrValue, var_ValueText, pane_max_root_size, var_DefaultSize,
     var_FirstAttrDef, var_NextAttrDef},
    {},
};

// The module's own path, from the loader.
void find_module() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&find_module), &info) != 0 && info.dli_fname != nullptr) {
    g_module = info.dli_fname;
    if (g_module.size() > 1024) g_module.resize(1024);
  }
  std::string base = g_module.substr(g_module.rfind('/') == std::string::npos ? 0 : g_module.rfind('/') + 1);
  size_t dot = base.rfind('.');
  g_ident = dot == std::string::npos ? base : base.substr(0, dot);
  g_desc.Ident = g_ident.c_str();
  g_desc.Date = "Jul  7 2001";
}

// Module start and end: the Ident and Date are set when the module is loaded,
// the class model is released when it is unloaded.
struct ModuleLife {
  ModuleLife() {
    var_exit();  // makes the class model's state first, so that it is released last
    find_module();
  }
  ~ModuleLife() { var_exit(); }
} g_life;

int profile_int(const char* key) {
  if (g_desc.Host.GetProfileInt == nullptr) return 1;
  int v = g_desc.Host.GetProfileInt(&g_desc, g_desc.Ident, key, 1);
  return v < 0 ? 1 : v;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) PluginDesc* GetPlugin(void) {
  find_module();
  g_desc.Module = g_module.c_str();
  g_desc.Plugin = PluginCallbacks{pane_check_path,    pane_check_identifier, var_SetAttrValue, var_ValueText,
                                  pane_max_root_size, var_DefaultSize,       var_FirstAttrDef, var_NextAttrDef};
  return &g_desc;
}

extern "C" __attribute__((visibility("default"))) int InitPlugin(void) {
  if (var_init(&g_desc) != 0) return -1;
  var_cfg_find("SecondaryRootObjects", nullptr);
  pane_font_variant = profile_int("FontVariant");
  pane_color_variant = profile_int("ColorVariant");
  return 0;
}
