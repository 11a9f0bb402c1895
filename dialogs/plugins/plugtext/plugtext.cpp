// The ASCII dialog plug-in "ide-plugtext": its descriptor, its settings, the
// template file list, and the plug-in callbacks that are not part of the
// class model.
#include "dialogs/plugins/plugtext/plugtext.h"

#include <cstdlib>
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/setup/plugsetup.h"

int text_indent = 1;
int text_blank_lines = 1;
int text_ref_font_token = 0;
int32_t text_ref_font_id = 0;

namespace {

const char kTemplateSection[] = "TemplateFiles";
constexpr const char* kIndentKey = "Indent";
constexpr const char* kBlankLinesKey = "BlankLines";
constexpr int kDefaultSaveOption = 1;

std::string g_module;
std::string g_ident;

PluginFileType g_types[] = {
    {"ASCII DLG File", ".dlg", PLUGIN_FT_SOURCE, text_load, text_begin_obj, text_end_obj, text_write_attr,
     text_write_line},
    {"QX Varnica FORM File", ".form", PLUGIN_FT_IMPORT, form_load, nullptr, nullptr, nullptr, nullptr},
};

extern "C" int text_max_root_size(int* width, int* height) {
  if (width != nullptr) *width = 80;
  if (height != nullptr) *height = 24;
  return 1;
}

// Only the height and the visibility have a value without one being set.
extern "C" const char* text_value_text(obj_hndl /*obj*/, prop_def* def) {
  if (def != nullptr && def->kind == PROP_KIND_NATIVE && (def->native == 11 || def->native == 17)) return "1";
  return nullptr;
}

const PluginCallbacks kCallbacks = {var_CheckPath,      var_CheckIdentifier, var_SetAttrValue, text_value_text,
                                    text_max_root_size, var_DefaultSize,     var_FirstAttrDef, var_NextAttrDef};

PluginDesc g_desc = {
    PLUGIN_VERSION,
    200,
    PLUGIN_CATEGORY_DLG,
    "",
    "ASCII DLG Plug-In",
    "3.0.5.1",
    "Jul  7 2001",
    "",
    "ASCII DLG Files",
    "ASCII DLG File",
    g_types,
    2,
    kCallbacks,
    {},
};

void find_module() {
  var_module_names(g_module, g_ident);
  g_desc.Ident = g_ident.c_str();
  g_desc.Date = "Jul  7 2001";
}

// Module start and end: the Ident, the Date and the reference font are taken
// when the module is loaded, the class model is released when it is unloaded.
struct ModuleLife {
  ModuleLife() {
    var_exit();  // makes the class model's state first, so that it is released last
    find_module();
    text_ref_font_token = FONT_STOCK_ANSI_FIXED;
  }
  ~ModuleLife() { var_exit(); }
} g_life;

// The natives that text dialog files use: geometry, attachments, name, text
// and visibility.
const uint32_t kNatives =
    (1u << 6) | (1u << 7) | (1u << 10) | (1u << 11) | (1u << 12) | (1u << 13) | (1u << 14) | (1u << 15) | (1u << 17);

}  // namespace

void text_read_settings() {
  text_indent = var_profile_int(kIndentKey, kDefaultSaveOption);
  text_blank_lines = var_profile_int(kBlankLinesKey, kDefaultSaveOption);
}

int text_template_count() {
  if (g_desc.Host.GetProfileInt == nullptr) return 0;
  int n = g_desc.Host.GetProfileInt(&g_desc, kTemplateSection, "Total", 0);
  return n < 0 ? 0 : n;
}

std::string text_template_name(int i) {
  if (g_desc.Host.GetProfileString == nullptr) return std::string();
  char buffer[1024];
  buffer[0] = '\0';
  std::string item = std::to_string(i + 1);
  g_desc.Host.GetProfileString(&g_desc, kTemplateSection, item.c_str(), "", buffer, static_cast<int>(sizeof buffer));
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

void text_template_append(const char* name) {
  if (g_desc.Host.WriteProfileString == nullptr || g_desc.Host.WriteProfileInt == nullptr) return;
  int n = text_template_count() + 1;
  std::string item = std::to_string(n);
  g_desc.Host.WriteProfileString(&g_desc, kTemplateSection, item.c_str(), name != nullptr ? name : "");
  g_desc.Host.WriteProfileInt(&g_desc, kTemplateSection, "Total", n);
}

void text_template_replace(const std::vector<std::string>& names) {
  if (g_desc.Host.WriteProfileString == nullptr || g_desc.Host.WriteProfileInt == nullptr) return;
  const int old_count = text_template_count();
  const int count = static_cast<int>(names.size());
  // The new entries and their count first, the stale entries after: a write
  // that fails on the way leaves a list that can still be read.
  for (int i = 0; i < count; ++i)
    g_desc.Host.WriteProfileString(&g_desc, kTemplateSection, std::to_string(i + 1).c_str(),
                                   names[static_cast<size_t>(i)].c_str());
  g_desc.Host.WriteProfileInt(&g_desc, kTemplateSection, "Total", count);
  for (int i = count + 1; i <= old_count; ++i)
    g_desc.Host.WriteProfileString(&g_desc, kTemplateSection, std::to_string(i).c_str(), nullptr);
}

void text_template_clear() {
  if (g_desc.Host.WriteProfileString == nullptr || g_desc.Host.WriteProfileInt == nullptr) return;
  int n = text_template_count();
  for (int i = 1; i <= n; ++i)
    g_desc.Host.WriteProfileString(&g_desc, kTemplateSection, std::to_string(i).c_str(), nullptr);
  g_desc.Host.WriteProfileInt(&g_desc, kTemplateSection, "Total", 0);
}

extern "C" __attribute__((visibility("default"))) PluginDesc* GetPlugin(void) {
  find_module();
  g_desc.Module = g_module.c_str();
  g_desc.Plugin = kCallbacks;
  return &g_desc;
}

extern "C" __attribute__((visibility("default"))) int InitPlugin(void) {
  if (var_init(&g_desc) != 0) return -1;
  var_set_natives(kNatives);
  text_read_settings();
  return 0;
}

// Shows the setup dialog over the application's window (nothing in a host
// without one); OK stores the template list, then Indent and BlankLines, and
// the next save uses them.
extern "C" __attribute__((visibility("default"))) void SetupPlugin(void) {
  if (!PlugSetup_HasApplication()) return;
  TextSetupDlg dlg(PlugSetup_Parent());
  dlg.m_Indent = var_profile_int(kIndentKey, kDefaultSaveOption);
  dlg.m_BlankLines = var_profile_int(kBlankLinesKey, kDefaultSaveOption);
  const int count = text_template_count();
  for (int i = 0; i < count; ++i) dlg.m_Templates.push_back(text_template_name(i));
  if (dlg.DoModal() != QDialog::Accepted) return;
  text_template_replace(dlg.m_Templates);
  var_profile_write_int(kIndentKey, dlg.m_Indent);
  var_profile_write_int(kBlankLinesKey, dlg.m_BlankLines);
  text_read_settings();
}
