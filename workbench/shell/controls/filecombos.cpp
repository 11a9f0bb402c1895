#include "workbench/shell/controls/filecombos.h"

#include <cctype>
#include <iterator>
#include <vector>

#include "platform/dirpath.h"
#include "workbench/base/settings/config.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/saveas.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/sysassert.h"

namespace {

// The entries of the filter before the plug-ins', and of "open as".
enum : int { FILTER_PROGRAMS = 0, FILTER_TEXTS = 1, FILTER_FIRST_PLUGIN = 2 };
enum : int { OPEN_AS_AUTO = 0, OPEN_AS_PROGRAM = 1, OPEN_AS_TEXT = 2, OPEN_AS_FIRST_PLUGIN = 3 };

// The six fixed save formats, by file mode - 1.
const char* const save_formats[] = {
    "Varnica Compatible Program File",   "Varnica A.05.01 Program File",   "Varnica A.06.00 Program File",
    "Text File (CR-LF line separators)", "Text File (LF line separators)", "Text File (CR line separators)",
};
constexpr int save_format_count = static_cast<int>(std::size(save_formats));

bool EndsWithNoCase(const std::string& text, const char* tail) {
  if (tail == nullptr) return false;
  const std::string t = tail;
  if (t.empty() || t.size() > text.size()) return false;
  for (size_t i = 0; i < t.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - t.size() + i])) !=
        std::tolower(static_cast<unsigned char>(t[i])))
      return false;
  return true;
}

std::vector<DesignerPlugin> Plugins() { return Shell_Neighbours().designer->Plugins(); }

// The file type of `plugin` whose extension ends `path`, or null.
const DesignerFileType* MatchingType(const DesignerPlugin& plugin, const std::string& path) {
  for (const DesignerFileType& t : plugin.file_types)
    if (EndsWithNoCase(path, t.extension.c_str())) return &t;
  return nullptr;
}

bool g_read_only = false;

}  // namespace

int FileCombo_Clamp(int remembered, int count) {
  if (count <= 0) return -1;
  if (remembered < 0) return 0;
  return remembered >= count ? count - 1 : remembered;
}

CFileTypeCB::CFileTypeCB(CfgExplore* explore, bool remember, QWidget* parent) : QComboBox(parent), explore_(explore) {
  GUI_SetStandardFont(this);
  addItem("Varnica Program Files");
  addItem("Text Files");
  for (const DesignerPlugin& p : Plugins()) addItem(QString::fromStdString(p.filter));
  addItem("All Files");
  setCurrentIndex(FileCombo_Clamp(explore_->FileFilter, count()));
  if (remember) connect(this, &QComboBox::activated, this, [this](int index) { explore_->SetFileFilter(index); });
}

void CFileTypeCB::SetType(int index) {
  if (index == 2 || index >= count() || index < 0)
    setCurrentIndex(count() - 1);
  else
    setCurrentIndex(index);
}

bool CFileTypeCB::Matches(const std::string& path) const {
  const int index = currentIndex();
  if (index < 0) return false;
  if (index == count() - 1) return true;
  if (index == FILTER_PROGRAMS) return DirUtil_IsProgFile(path.c_str());
  if (index == FILTER_TEXTS) return DirUtil_IsTextFile(path.c_str());
  const std::vector<DesignerPlugin> plugins = Plugins();
  const size_t plugin = static_cast<size_t>(index - FILTER_FIRST_PLUGIN);
  return plugin < plugins.size() && MatchingType(plugins[plugin], path) != nullptr;
}

CFileOpenAsCB::CFileOpenAsCB(CfgExplore* explore, QWidget* parent) : QComboBox(parent), explore_(explore) {
  GUI_SetStandardFont(this);
  addItem("Auto");
  addItem("Varnica Program File");
  addItem("Text File");
  for (const DesignerPlugin& p : Plugins()) addItem(QString::fromStdString(p.open_as));
  setCurrentIndex(FileCombo_Clamp(explore_->FileMode, count()));
  connect(this, &QComboBox::activated, this, [this](int index) { explore_->SetFileMode(index); });
}

int CFileOpenAsCB::GetMode() const {
  int index = currentIndex();
  SYS_ASSERT(index >= 0 && index < count());
  switch (index) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 4;
    default: return 100;
  }
}

int CFileOpenAsCB::GetPluginFileType(std::string* path, DesignerFileType* type, bool add_extension) const {
  const int index = currentIndex();
  if (index < OPEN_AS_FIRST_PLUGIN) return -1;
  const std::vector<DesignerPlugin> plugins = Plugins();
  const int plugin = index - OPEN_AS_FIRST_PLUGIN;
  if (static_cast<size_t>(plugin) >= plugins.size()) return -1;
  const DesignerPlugin& p = plugins[static_cast<size_t>(plugin)];
  if (const DesignerFileType* t = MatchingType(p, *path)) {
    *type = *t;
    return plugin;
  }
  if (p.file_types.empty()) return plugin;
  *type = p.file_types.front();
  if (add_extension && !type->extension.empty()) {
    const char* ext = type->extension.c_str();
    if (*ext == '.') ++ext;
    if (path->empty() || path->back() != '.') *path += '.';
    *path += ext;
  }
  return plugin;
}

int CFileOpenAsCB::FindPluginFileType(const std::string& path, DesignerFileType* type) {
  const std::vector<DesignerPlugin> plugins = Plugins();
  for (size_t i = 0; i < plugins.size(); ++i)
    if (const DesignerFileType* t = MatchingType(plugins[i], path)) {
      *type = *t;
      return static_cast<int>(i);
    }
  return -1;
}

// ------------------------------------------------------------ save format

CFileSaveAsCB::CFileSaveAsCB(const SaveAsPlugin* plugin, int file_mode, QWidget* parent)
    : QComboBox(parent), has_plugin_(plugin != nullptr) {
  GUI_SetStandardFont(this);
  if (plugin == nullptr) {
    for (const char* text : save_formats) addItem(text);
    SetMode(file_mode);
    return;
  }
  for (const SaveAsFileType& type : plugin->types) addItem(QString::fromStdString(type.description));
  setCurrentIndex(FileCombo_Clamp(plugin->selected, count()));
}

int CFileSaveAsCB::GetMode() const {
  if (has_plugin_) Sys_AssertFailed("!m_pCurrPlugin", __FILE__, __LINE__);
  const int index = currentIndex();
  SYS_ASSERT(index >= 0 && index < save_format_count);
  return index + CfgFileMode_BinaryPROG;
}

void CFileSaveAsCB::SetMode(int mode) {
  const int index = mode - CfgFileMode_BinaryPROG;
  if (has_plugin_ || index < 0 || index >= save_format_count)
    Sys_AssertFailed("!\"CFileSaveAsCB::SetMode() invalid mode\"", __FILE__, __LINE__);
  setCurrentIndex(index);
}

int CFileSaveAsCB::GetPluginFileType() const {
  if (!has_plugin_) Sys_AssertFailed("m_pCurrPlugin", __FILE__, __LINE__);
  const int index = currentIndex();
  SYS_ASSERT(index >= 0 && index < count());
  return index;
}

// ------------------------------------------------------------ buttons

CIndicatorButton::CIndicatorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  GUI_SetStandardFont(this);
}

CReadOnlyBN::CReadOnlyBN(QWidget* parent) : QCheckBox("Read-only", parent) {
  GUI_SetStandardFont(this);
  setChecked(g_read_only);
  connect(this, &QPushButton::clicked, this, [](bool checked) { g_read_only = checked; });
}

bool CReadOnlyBN::Remembered() { return g_read_only; }
void CReadOnlyBN::SetRemembered(bool checked) { g_read_only = checked; }
