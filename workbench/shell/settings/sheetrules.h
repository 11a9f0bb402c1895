// The rules of the Application Properties sheet, without windows: which
// pages a mask shows and in what order, the page the sheet opens at, the
// texts of the mode and code-page combos, the Edit page's category, the
// File page's flags and password button, and the checks of the Server and
// Debug entry dialogs. The pages (apppages.h) only show and take these.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workbench/base/settings/config.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/settings/settingsrules.h"

enum : unsigned {
  SettingsPage_Count = 12,
  SettingsPage_All = (1u << SettingsPage_Count) - 1,
  // The application's own sheet: every page but the two of a document's file.
  SettingsPages_Application = SettingsPage_All & ~(SettingsPage_File | SettingsPage_OtherFile),
  // A program document: its file and edit settings, and the program
  // settings when it is a program file.
  SettingsPages_TextDocument = SettingsPage_File | SettingsPage_Edit,
  SettingsPages_ProgramDocument = SettingsPages_TextDocument | SettingsPage_Program,
  // A dialog document: its file only.
  SettingsPages_DialogDocument = SettingsPage_OtherFile,
};

// The pages in tab order: General, Server, File, File, Edit, Program, Debug,
// Passwords, Environment, Colors, Plug-In, Help.
extern const SettingsPage AppSheet_TabOrder[SettingsPage_Count];
// The pages of a mask, in tab order.
std::vector<SettingsPage> AppSheet_Pages(unsigned mask);
// The page number (1 to 12) of a page's bit, 0 for anything else.
int AppSheet_PageNumber(unsigned page);
// The page titles ("General", "Server", ..., "File" for both file pages).
const char* AppSheet_PageTitle(SettingsPage page);
// The pages of a document's sheet by its file mode.
unsigned AppSheet_DocumentPages(int file_mode);

// The page made active last, for the whole process (0: none yet).
unsigned AppSheet_LastActive();
void AppSheet_SetLastActive(unsigned page);
// The index, among the pages of `mask`, of the page to open at: the last
// active one when shown, else the first.
int AppSheet_StartIndex(unsigned mask);

// The file modes of the mode combos, index = mode - 1.
extern const char* const AppSheet_ModeTexts[CfgFileMode_Text_CR];
extern const char* const AppSheet_CodepageTexts[2];
extern const char* const AppSheet_CursorTexts[3];
// The combo index of a mode, -1 for a mode the combo does not list.
int AppSheet_ModeIndex(int mode);

// The Edit page's categories: program files (0) and text files (1).
enum { EditCategory_Program = 0, EditCategory_Text = 1 };
extern const char* const AppSheet_EditCategoryTexts[2];
// The category shown: the file mode's when the sheet holds a program
// document's File page, else the one chosen last (process-wide).
int AppSheet_EditCategory(bool has_file_page, int file_mode);
void AppSheet_SetEditCategory(int category);

// The File page. The record's Changed flag tells the document to convert
// the file on its next save: it is set when the mode or the code page
// differs from the document's record or a new password was set, and kept
// when the document's record had it.
void AppSheet_UpdateFileChanged(CfgFile* working, const CfgFile& document, bool password_changed);
// "Change &Password..." with a digest, "Set &Password..." without.
std::string AppSheet_PasswordButtonText(const CfgFile& file);
// A password can be set only in the A.06.00 program mode of a file that
// is not locked.
bool AppSheet_PasswordAllowed(const CfgFile& file);

// The Server page's entry dialog.
struct ServerFields {
  std::string title;  // "Description"
  std::string server;
  std::string service;
  std::string login;
  std::string password;
  std::string confirm;
};
// The checks on OK, in order: the name not used by another entry (case
// ignored, as the profile's keys ignore it), the required fields, the
// confirmation. `names` are the list's server names, `except` the entry
// being edited (-1 for a new one).
std::optional<SettingsBox> Server_CheckEntry(const ServerFields& fields, const std::vector<std::string>& names,
                                             int except);
// The question before removing an entry of a list page.
SettingsBox Server_RemoveQuestion(const std::string& server);
SettingsBox Debug_RemoveQuestion(const std::string& title);
SettingsBox Passwd_RemoveQuestion(const std::string& description);
SettingsBox Env_RemoveQuestion(const std::string& name);
// The Debug page's entry dialog: a description, used by no other session.
std::optional<SettingsBox> Debug_CheckEntry(const std::string& description, const std::vector<std::string>& titles,
                                            int except);
// The service a new server entry starts with.
extern const char* const Server_DefaultService;
