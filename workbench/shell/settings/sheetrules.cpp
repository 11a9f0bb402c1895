#include "workbench/shell/settings/sheetrules.h"

#include <bit>

namespace {

unsigned g_last_active = 0;
int g_edit_category = EditCategory_Program;

struct PageTitle {
  SettingsPage page;
  const char* title;
};

constexpr PageTitle kTitles[] = {
    {SettingsPage_General, "General"},     {SettingsPage_Server, "Server"},
    {SettingsPage_Debug, "Debug"},         {SettingsPage_Edit, "Edit"},
    {SettingsPage_Colors, "Colors"},       {SettingsPage_File, "File"},
    {SettingsPage_Help, "Help"},           {SettingsPage_Program, "Program"},
    {SettingsPage_Passwords, "Passwords"}, {SettingsPage_Environment, "Environment"},
    {SettingsPage_PlugIn, "Plug-In"},      {SettingsPage_OtherFile, "File"},
};

SettingsBox remove_question(const char* caption, const char* lead, const std::string& name) {
  return {caption, lead + name + "\"?"};
}

}  // namespace

const SettingsPage AppSheet_TabOrder[SettingsPage_Count] = {
    SettingsPage_General,     SettingsPage_Server,  SettingsPage_File,   SettingsPage_OtherFile,
    SettingsPage_Edit,        SettingsPage_Program, SettingsPage_Debug,  SettingsPage_Passwords,
    SettingsPage_Environment, SettingsPage_Colors,  SettingsPage_PlugIn, SettingsPage_Help,
};

std::vector<SettingsPage> AppSheet_Pages(unsigned mask) {
  std::vector<SettingsPage> pages;
  for (SettingsPage page : AppSheet_TabOrder)
    if (mask & page) pages.push_back(page);
  return pages;
}

int AppSheet_PageNumber(unsigned page) {
  if (page == 0 || (page & SettingsPage_All) != page || !std::has_single_bit(page)) return 0;
  return std::countr_zero(page) + 1;
}

const char* AppSheet_PageTitle(SettingsPage page) {
  for (const PageTitle& t : kTitles)
    if (t.page == page) return t.title;
  return "";
}

unsigned AppSheet_DocumentPages(int file_mode) {
  if (file_mode == CfgFileMode_PlugIn) return SettingsPages_DialogDocument;
  return Cfg_IsBinaryFileMode(file_mode) ? SettingsPages_ProgramDocument : SettingsPages_TextDocument;
}

unsigned AppSheet_LastActive() { return g_last_active; }
void AppSheet_SetLastActive(unsigned page) { g_last_active = page; }

int AppSheet_StartIndex(unsigned mask) {
  std::vector<SettingsPage> pages = AppSheet_Pages(mask);
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i] == g_last_active) return static_cast<int>(i);
  return 0;
}

const char* const AppSheet_ModeTexts[CfgFileMode_Text_CR] = {
    "Varnica Compatible Program File",   "Varnica A.05.01 Program File",   "Varnica A.06.00 Program File",
    "Text File (CR-LF line separators)", "Text File (LF line separators)", "Text File (CR line separators)",
};
const char* const AppSheet_CodepageTexts[2] = {"QX Roman-8", "ISO 8859-1"};
const char* const AppSheet_CursorTexts[3] = {"Caret", "Block", "Underline"};
const char* const AppSheet_EditCategoryTexts[2] = {"Varnica Program Files", "Text Files"};

int AppSheet_ModeIndex(int mode) {
  return mode >= CfgFileMode_BinaryPROG && mode <= CfgFileMode_Text_CR ? mode - CfgFileMode_BinaryPROG : -1;
}

int AppSheet_EditCategory(bool has_file_page, int file_mode) {
  if (has_file_page) return Cfg_IsBinaryFileMode(file_mode) ? EditCategory_Program : EditCategory_Text;
  return g_edit_category;
}

void AppSheet_SetEditCategory(int category) {
  g_edit_category = category == EditCategory_Text ? EditCategory_Text : EditCategory_Program;
}

void AppSheet_UpdateFileChanged(CfgFile* working, const CfgFile& document, bool password_changed) {
  bool changed = (document.flags & CfgFile::Changed) || password_changed || working->FileMode != document.FileMode ||
                 working->Codepage != document.Codepage;
  working->flags = changed ? working->flags | CfgFile::Changed : working->flags & ~CfgFile::Changed;
}

std::string AppSheet_PasswordButtonText(const CfgFile& file) {
  return std::string(file.PasswordDigest.empty() ? "Set" : "Change") + " &Password...";
}

bool AppSheet_PasswordAllowed(const CfgFile& file) {
  return file.FileMode == CfgFileMode_BinaryPROGv6 && !(file.flags & CfgFile::Locked);
}

std::optional<SettingsBox> Server_CheckEntry(const ServerFields& f, const std::vector<std::string>& names, int except) {
  if (Settings_NameTaken(names, f.server, except))
    return SettingsBox{"Duplicate Server Name", "The server name \"" + f.server +
                                                    "\" is already in use.\nPlease choose a different server name."};
  const std::pair<const char*, const std::string*> required[] = {
      {"Description", &f.title}, {"Server Name", &f.server}, {"Service", &f.service},
      {"Login ID", &f.login},    {"Password", &f.password},
  };
  for (const auto& [field, value] : required)
    if (value->empty()) return Settings_MissingEntry(field);
  if (f.password != f.confirm) return Settings_Unverified("Password", "Confirm Password");
  return std::nullopt;
}

SettingsBox Server_RemoveQuestion(const std::string& server) {
  return remove_question("Remove Server", "Are you sure you want to remove the server named \"", server);
}
SettingsBox Debug_RemoveQuestion(const std::string& title) {
  return remove_question("Remove Session", "Are you sure you want to remove the session named \"", title);
}
SettingsBox Passwd_RemoveQuestion(const std::string& description) {
  return remove_question("Remove Password", "Are you sure you want to remove the password titled \"", description);
}
SettingsBox Env_RemoveQuestion(const std::string& name) {
  return remove_question("Remove Environment Variable", "Are you sure you want to remove variable \"", name);
}

std::optional<SettingsBox> Debug_CheckEntry(const std::string& description, const std::vector<std::string>& titles,
                                            int except) {
  if (description.empty()) return Settings_MissingEntry("Description");
  if (Settings_NameTaken(titles, description, except))
    return SettingsBox{
        "Duplicate Session Title",
        "The session titled \"" + description + "\" is already in use.\nPlease choose a different session title."};
  return std::nullopt;
}

const char* const Server_DefaultService = "rodada";
