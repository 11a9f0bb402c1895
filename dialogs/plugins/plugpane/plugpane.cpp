// The VUZ dialog plug-in "ide-plugpane": its descriptor, its entries and the
// plug-in callbacks that are not part of the class model.
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugpane/plugpane.h"
#include "dialogs/plugins/setup/plugsetup.h"

namespace {

constexpr const char* kFontVariantKey = "FontVariant";
constexpr const char* kColorVariantKey = "ColorVariant";
constexpr int kDefaultVariant = 1;

std::string g_module;
std::string g_ident;

PluginFileType g_types[] = {
    {"VUZ Dialog File", ".idm", PLUGIN_FT_SOURCE, pane_load, pane_begin_obj, pane_end_obj, pane_write_attr,
     pane_write_line},
};

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
    {var_CheckPath, var_CheckIdentifier, var_SetAttrValue, var_ValueText, pane_max_root_size, var_DefaultSize,
     var_FirstAttrDef, var_NextAttrDef},
    {},
};

// The module's own path and name, from the loader.
void find_module() {
  var_module_names(g_module, g_ident);
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

}  // namespace

extern "C" __attribute__((visibility("default"))) PluginDesc* GetPlugin(void) {
  find_module();
  g_desc.Module = g_module.c_str();
  g_desc.Plugin = PluginCallbacks{var_CheckPath,      var_CheckIdentifier, var_SetAttrValue, var_ValueText,
                                  pane_max_root_size, var_DefaultSize,     var_FirstAttrDef, var_NextAttrDef};
  return &g_desc;
}

extern "C" __attribute__((visibility("default"))) int InitPlugin(void) {
  if (var_init(&g_desc) != 0) return -1;
  var_cfg_find("SecondaryRootObjects", nullptr);
  pane_font_variant = var_profile_int(kFontVariantKey, kDefaultVariant);
  pane_color_variant = var_profile_int(kColorVariantKey, kDefaultVariant);
  return 0;
}

// Shows the setup dialog over the application's window (nothing in a host
// without one); OK stores both variants and the next load uses them.
extern "C" __attribute__((visibility("default"))) void SetupPlugin(void) {
  if (!PlugSetup_HasApplication()) return;
  PaneSetupDlg dlg(PlugSetup_Parent());
  dlg.m_FontVariant = var_profile_int(kFontVariantKey, kDefaultVariant);
  dlg.m_ColorVariant = var_profile_int(kColorVariantKey, kDefaultVariant);
  if (dlg.DoModal() != QDialog::Accepted) return;
  var_profile_write_int(kFontVariantKey, dlg.m_FontVariant);
  var_profile_write_int(kColorVariantKey, dlg.m_ColorVariant);
  pane_font_variant = dlg.m_FontVariant;
  pane_color_variant = dlg.m_ColorVariant;
}
