#include "workbench/dialogs/document/dlgeditdoc.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/document/dlgreader.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/programs/dirutil.h"
#include "workbench/base/diag.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"
#include "workbench/server/cuserexception.h"
#include "workbench/shell/neighbours.h"

CDlgEditDoc* CDlgEditDoc::m_currDoc = nullptr;
bool CDlgEditDoc::m_bIsLoading = false;

namespace {

std::vector<CDlgEditDoc*> g_documents;
int g_untitled = 0;
CfgGeneral g_general;
CfgFile g_file;
const CfgSettings* g_settings = nullptr;
const CfgExplore* g_explore = nullptr;
std::string g_new_path;
bool g_new_read_only = false;
// The line counter of a save (-1: leave the status bar alone).
int g_save_lines = 0;

bool EndsWithNoCase(const std::string& s, const char* tail) {
  size_t n = std::strlen(tail);
  return n <= s.size() && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

std::string TimeText(time_t t) {
  char buf[32];
  struct tm tmv {};
  localtime_r(&t, &tmv);
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tmv);
  return buf;
}

std::string Printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* fmt, ...) {
  char buf[DIAG_MESSAGE_MAX];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

}  // namespace

// The writer context's callbacks.
struct DlgWriter {
  static int WriteLine(psave* ctx, const char* line) {
    if (!CDlgEditDoc::m_currDoc) SYS_ASSERT(!"CDlgEditDoc::m_currDoc");
    if (!CDlgEditDoc::m_currDoc->m_pSaveFile) SYS_ASSERT(!"CDlgEditDoc::m_currDoc->m_pSaveFile");
    if (!ctx) SYS_ASSERT(!"psave");
    if (!line) SYS_ASSERT(!"line");
    CDlgEditDoc::m_currDoc->m_pSaveFile->PutString(line);
    if (g_save_lines >= 0) DlgDoc_Notify().ProgressSet(++g_save_lines);
    return 0;
  }
  static void Error(psave*, const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    SYS_ASSERT(fmt);
    char buf[DIAG_MESSAGE_MAX];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    Diag_ErrorBox("Dialog Plug-In", "%s", buf);
  }
};

CDlgEditDoc::CDlgEditDoc()
    : m_Plugin(PluginID::Pending()),
      m_FileType(PluginID::PendingType()),
      m_pRoot(std::make_unique<DlgRootAnchor>()),
      m_General(g_settings ? g_settings->General : g_general),
      m_File(g_file),
      m_Identity(CfgGeneral::NewDocumentIdentity()) {
  SYS_ASSERT(m_Plugin);
  if (g_settings) {
    // As every new document of the environment: auto-saved when the
    // environment auto-saves.
    m_File = CfgFile();
    if (m_General.flags & CfgGeneral::AutoSave) m_File.flags |= CfgFile::AutoSave;
  }
  if (!m_FileType || !m_Plugin->OwnsType(m_FileType)) m_FileType = m_Plugin->FirstType();
  m_pRoot->SetDocument(this);
  PluginID::DocumentCreated();
  g_documents.push_back(this);
  DlgDoc_Notify().DocumentAdded(this);
  ApplySettings();
}

CDlgEditDoc::~CDlgEditDoc() {
  DeleteAutosaveFile();
  if (m_currDoc == this) m_currDoc = nullptr;
  g_documents.erase(std::remove(g_documents.begin(), g_documents.end(), this), g_documents.end());
  DlgDoc_Notify().DocumentRemoved(this);
  // The model holds class records and texts of the plug-in: it goes first.
  m_pRoot.reset();
  PluginID::DocumentDestroyed();
}

void CDlgEditDoc::SetEnvironmentConfig(const CfgGeneral& general, const CfgFile& file) {
  g_general = general;
  g_file = file;
}

void CDlgEditDoc::SetEnvironment(const CfgSettings* settings, const CfgExplore* explore) {
  g_settings = settings;
  g_explore = explore;
}

void CDlgEditDoc::FileProperties() {
  CfgSettings copy = g_settings ? *g_settings : CfgSettings();
  copy.General = m_General;
  copy.File = FilePropertiesRecord();
  Shell_Neighbours().settings->RunSheet(m_strTitle, &copy, SettingsPage_OtherFile);
  SetFileRecord(copy.File);
}

void CDlgEditDoc::ApplySettings() {
  DlgDoc_Notify().WaitCursor(true);
  uint32_t flags = m_pRoot->Flags();
  m_pRoot->SetFlags((m_File.flags & CfgFile::ReadOnly) ? (flags | F_READ_ONLY) : (flags & ~F_READ_ONLY));
  bool auto_save = (m_General.flags & CfgGeneral::AutoSave) && (m_File.flags & CfgFile::AutoSave);
  DlgDoc_Notify().AutoSaveInterval(this, auto_save ? m_General.AutoSaveTimeout : 0);
  DlgDoc_Notify().UpdateViews(this);
  DlgDoc_Notify().WaitCursor(false);
}

CfgFile CDlgEditDoc::FilePropertiesRecord() const {
  CfgFile file = m_File;
  file.FileName = m_strPathName.empty() ? std::string("(New File)") : m_strPathName;
  file.FileSize = Printf("%d Objects", m_pRoot->CountSavedObjects());
  if (m_bModified) {
    file.FileStatus = "Modified";
    if (m_State & STATE_AUTOSAVED) file.FileStatus += ", Auto-Saved: " + TimeText(m_SaveTime);
  } else if (m_State & STATE_SAVE_TIME) {
    file.FileStatus = "Saved: " + TimeText(m_SaveTime);
  } else {
    file.FileStatus = (m_pRoot->Flags() & F_READ_ONLY) ? "Read-only" : "Initial";
  }
  if (m_pRoot->Flags() & F_READ_ONLY)
    file.flags |= CfgFile::ReadOnly;
  else
    file.flags &= ~CfgFile::ReadOnly;
  return file;
}

void CDlgEditDoc::SetFileRecord(const CfgFile& file) {
  m_File = file;
  ApplySettings();
}

const PluginCallbacks* CDlgEditDoc::Plugin() { return &m_Plugin->Desc()->Plugin; }

const std::vector<CDlgEditDoc*>& CDlgEditDoc::Documents() { return g_documents; }

void CDlgEditDoc::ResetUntitledCounter() { g_untitled = 0; }

void CDlgEditDoc::RequestNewPath(const char* path, bool read_only) {
  g_new_path = path ? path : "";
  g_new_read_only = read_only;
}

CDlgEditDoc* CDlgEditDoc::OpenFile(const char* path) {
  auto* doc = new CDlgEditDoc();
  if (!doc->OnOpenDocument(path)) {
    delete doc;
    return nullptr;
  }
  return doc;
}

CDlgEditDoc* CDlgEditDoc::NewFile(PluginID* plugin) {
  PluginID::SetPending(plugin, plugin ? plugin->FirstType() : nullptr);
  auto* doc = new CDlgEditDoc();
  if (!doc->OnNewDocument()) {
    delete doc;
    return nullptr;
  }
  return doc;
}

// ------------------------------------------------------------ paths, titles

void CDlgEditDoc::SetPathName(const char* path) {
  if (!(m_State & STATE_SETS_PATH)) return;
  m_strPathName = path ? path : "";
}

void CDlgEditDoc::SetTitle(const char* title) {
  if (!(m_State & STATE_SETS_PATH)) return;
  m_strTitle = title ? title : "";
}

void CDlgEditDoc::SetPathAndTitle(const char* path, const char* title) {
  m_State |= STATE_SETS_PATH;
  if (path) SetPathName(path);
  if (title) {
    SetTitle(title);
  } else if (path) {
    const char* slash = std::strrchr(path, '/');
    SetTitle(slash ? slash + 1 : path);
  }
  m_State &= ~STATE_SETS_PATH;
  DlgDoc_Notify().TitleChanged(this);
}

std::string CDlgEditDoc::GetFrameTitle() const { return m_bModified ? m_strTitle + " *" : m_strTitle; }

std::string CDlgEditDoc::GetDisplayName() const { return m_strPathName.empty() ? m_strTitle : m_strPathName; }

void CDlgEditDoc::SetModifiedFlag(bool modified) {
  if (m_State & STATE_FROZEN) return;
  m_State &= ~STATE_AUTOSAVED;
  bool changed = modified != m_bModified;
  m_bModified = modified;
  DlgDoc_Notify().TitleChanged(this);
  if (changed) DlgDoc_Notify().XrefModified(this);
}

void CDlgEditDoc::SetFileType(PluginFileType* type) {
  m_FileType = m_Plugin->OwnsType(type) ? type : m_Plugin->FirstType();
}

bool CDlgEditDoc::IsOpen(const char* path, bool activate, const CDlgEditDoc* except) {
  if (!path) return false;
  for (CDlgEditDoc* doc : g_documents) {
    if (doc == except) continue;
    if (!doc->m_strPathName.empty() && DirUtil_SamePath(doc->m_strPathName.c_str(), path)) {
      if (activate) {
        DlgDoc_Notify().ActivateDocument(doc);
        DlgDoc_Notify().AddRecentFile(path);
      }
      return true;
    }
  }
  return false;
}

bool CDlgEditDoc::HasRootObject() const { return FirstRootObject() != nullptr; }

DlgObject* CDlgEditDoc::FirstRootObject() const {
  for (DlgAnchor* a = m_pRoot->head; a; a = a->next)
    if (a->RootObject() && a->RootObject()->HasFlag(DLG_F_SELECTABLE)) return a->RootObject();
  return nullptr;
}

DlgObject* CDlgEditDoc::FindObject(const char* path) const {
  if (!path) return nullptr;
  return m_pRoot->FindRootObject(path);
}

std::string CDlgEditDoc::AdjustedName(const std::string& path) const {
  const char* ext = m_FileType->Ext ? m_FileType->Ext : "";
  if (EndsWithNoCase(path, ext)) return path;
  std::string name = path;
  bool cut = false;
  for (PluginID* p = PluginID::GetHead(); p && !cut; p = p->next) {
    for (int32_t i = 0; i < p->Desc()->NumFileTypes && !cut; ++i) {
      const PluginFileType* t = &p->Desc()->FileTypes[i];
      if (t == m_FileType || !t->Ext || !*t->Ext) continue;
      if (EndsWithNoCase(name, t->Ext)) {
        name.resize(name.size() - std::strlen(t->Ext));
        cut = true;
      }
    }
  }
  if (name.empty() || name.back() != '.') name += '.';
  name += ext[0] == '.' ? ext + 1 : ext;
  return name;
}

// ------------------------------------------------------------ opening

int CDlgEditDoc::LoadFile(const char* lpszPathName, int set_path) {
  SYS_ASSERT(lpszPathName);
  SYS_ASSERT(m_FileType);
  PluginFileType* load_type = m_FileType;
  if (!m_FileType->BeginObj) {
    m_FileType = m_Plugin->FirstType();
    SYS_ASSERT(m_FileType->BeginObj);
  }
  m_bIsLoading = true;
  std::string path = lpszPathName;
  if (!DirUtil_IsServerPath(path.c_str())) DirUtil_ExactName(path);
  std::string name = AdjustedName(path);
  if (IsOpen(name.c_str(), true, this)) {
    m_bIsLoading = false;
    return 0;
  }
  if (set_path) SetPathAndTitle(name.c_str(), nullptr);
  DlgLoad_Begin(path);
  pload ctx;
  InitReader(&ctx);
  m_currDoc = this;
  int rc = load_type->Load(&ctx, path.c_str());
  DlgLoad_ResetKept();  // blank lines at the end
  m_currDoc = nullptr;
  delete[] ctx.Text;  // a plug-in that did not close its last file
  ctx.Text = nullptr;
  DlgDoc_Notify().WaitCursor(false);
  bool ok = rc == 0;
  if (ok && !HasRootObject()) {
    std::string q = Printf(
        "This dialog file does not contain any objects:\n\"%s\"\n\nDo you want to edit the source code?", path.c_str());
    if (Shell_Sink().message_box(Shell_OwnerWindow(), "Dialog Plug-In", q.c_str(),
                                 SHELL_MB_YESNO | SHELL_MB_ICONSTOP | SHELL_MB_DEFBUTTON2) == SHELL_IDYES)
      DlgLoad_SetSource(path, 0);
    ok = false;
  }
  if (ok) {
    if (set_path) {
      DlgDoc_Notify().TitleChanged(this);
      // The file read (an imported one under its own name) is the one to
      // open again from the recent files.
      DlgDoc_Notify().AddRecentFile(path.c_str());
    }
    DlgDoc_Notify().ProgressSet(100);
    if (name != path) SetModifiedFlag(true);
    if (m_File.flags & CfgFile::ReadOnly) m_pRoot->SetFlags(m_pRoot->Flags() | F_READ_ONLY);
    DlgDoc_Notify().XrefSelect(this, FirstRootObject());
    DlgDoc_Notify().ProgressHide();
    m_bIsLoading = false;
    return 1;
  }
  DlgDoc_Notify().ProgressHide();
  if (!SourceToEdit().empty()) {
    DlgDoc_Notify().OpenSource(SourceToEdit().c_str(), SourceLine());
  } else {
    DlgDoc_Notify().StatusError(Printf("\"%s\" could not be opened.", path.c_str()).c_str());
  }
  m_bIsLoading = false;
  return 0;
}

int CDlgEditDoc::OnNewDocument() {
  std::string requested = g_new_path;
  bool read_only = g_new_read_only;
  g_new_path.clear();
  if (!requested.empty()) {
    SetPathAndTitle(requested.c_str(), nullptr);
    if (IsOpen(requested.c_str(), true, this)) return 0;
    if (read_only) m_pRoot->SetFlags(m_pRoot->Flags() | F_READ_ONLY);
  } else {
    m_State |= STATE_SETS_PATH;
    SetPathName("");
    m_State &= ~STATE_SETS_PATH;
    SetPathAndTitle(nullptr, Printf("Dialog%d", ++g_untitled).c_str());
  }
  m_FileType = m_Plugin->FirstType();
  const char* etc = Sys_GetEtcDirectory();
  std::string tmpl = etc ? etc : "";
  DirUtil_NormalizePath(tmpl);
  const char* ext = m_FileType && m_FileType->Ext ? m_FileType->Ext : "";
  tmpl += "/";
  tmpl += m_Plugin->Desc()->Ident;
  if (ext[0] != '.') tmpl += ".";
  tmpl += ext;
  return LoadFile(tmpl.c_str(), 0);
}

// ------------------------------------------------------------ saving

PluginFileType* CDlgEditDoc::WritableType() {
  if (!m_FileType->BeginObj) {
    m_FileType = m_Plugin->FirstType();
    SYS_ASSERT(m_FileType->BeginObj);
  }
  return m_FileType;
}

int CDlgEditDoc::WriteThrough(const PluginFileType* type, DirSaveFile* file) {
  psave ctx{};
  ctx.WriteLine = &DlgWriter::WriteLine;
  ctx.Error = &DlgWriter::Error;
  m_pSaveFile = file;
  m_currDoc = this;
  int ok = m_pRoot->Save(type, &ctx);
  m_currDoc = nullptr;
  if (ok) {
    try {
      file->Commit();
    } catch (const CUserException&) {
      ok = 0;
    }
  }
  m_pSaveFile = nullptr;
  return ok;
}

int CDlgEditDoc::SaveModified(bool cancel_allowed) {
  if (!m_bModified) return 1;
  if (!HasRootObject()) {
    DlgDoc_Notify().StatusError(
        Printf("%s does not contain any dialog objects, unable to save file.", GetDisplayName().c_str()).c_str());
    SetModifiedFlag(false);
    return 1;
  }
  std::string q = "Save changes to " + GetDisplayName() + "?";
  int answer =
      Shell_Sink().message_box(Shell_OwnerWindow(), Shell_AppName(), q.c_str(),
                               (cancel_allowed ? SHELL_MB_YESNOCANCEL : SHELL_MB_YESNO) | SHELL_MB_ICONQUESTION);
  if (answer == SHELL_IDCANCEL) return 0;
  if (answer == SHELL_IDYES) return OnSaveDocument(m_strPathName.c_str());
  SetModifiedFlag(false);
  return 1;
}

int CDlgEditDoc::OnSaveDocument(const char* lpszPathName) {
  int max_w = 0, max_h = 0;
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  if (cb.MaxRootSize && cb.MaxRootSize(&max_w, &max_h) != 0) {
    for (DlgAnchor* a = m_pRoot->head; a; a = a->next) {
      DlgObject* r = a->RootObject();
      if (!r || !r->HasFlag(DLG_F_SELECTABLE)) continue;
      if (r->GetWidth() > max_w || r->GetHeight() > max_h) {
        std::string q = Printf(
            "The size of root object \"%s\"\nexceeds the maximum dimension of %dx%d.\nThis could result in run-time "
            "problems.\n\nDo you wish to continue saving this file?",
            r->Name(), max_w, max_h);
        if (Shell_Sink().message_box(Shell_OwnerWindow(), Shell_AppName(), q.c_str(),
                                     SHELL_MB_YESNO | SHELL_MB_ICONEXCLAMATION) != SHELL_IDYES)
          return 0;
        break;
      }
    }
  }
  PluginFileType* type = WritableType();
  if (!lpszPathName || !*lpszPathName) {
    std::string proposed = m_strPathName;
    if (proposed.empty()) {
      proposed = g_explore ? g_explore->GetSaveDirectory() : CfgExplore().GetSaveDirectory();
      DirUtil_AppendPath(proposed, (m_strTitle + (type->Ext ? type->Ext : "")).c_str());
    }
    return DlgDoc_Notify().SaveAs(this, proposed.c_str()) ? 1 : 0;
  }
  std::string path = lpszPathName;
  DirUtil_NormalizePath(path);
  DlgDoc_Notify().StatusText(("Saving " + path).c_str());
  DlgDoc_Notify().ProgressShow(m_pRoot->CountOutputLines());
  g_save_lines = 0;
  DlgDoc_Notify().WaitCursor(true);
  SYS_ASSERT(!m_pSaveFile);
  std::unique_ptr<DirSaveFile> file = DirUtil_BeginSave(path.c_str());
  if (!file) {
    DlgDoc_Notify().ProgressHide();
    DlgDoc_Notify().WaitCursor(false);
    return 0;
  }
  int ok = WriteThrough(type, file.get());
  file.reset();
  DlgDoc_Notify().WaitCursor(false);
  DlgDoc_Notify().ProgressHide();
  if (!ok) {
    DlgDoc_Notify().StatusError(Printf("\"%s\": Failed to save file.", path.c_str()).c_str());
    return 0;
  }
  SetModifiedFlag(false);
  m_pRoot->SetFlags(m_pRoot->Flags() & ~F_READ_ONLY);
  m_SaveTime = time(nullptr);
  m_State |= STATE_SAVE_TIME;
  SetPathAndTitle(path.c_str(), nullptr);
  DlgDoc_Notify().AddRecentFile(path.c_str());
  DlgDoc_Notify().XrefSelect(this, nullptr);
  DeleteAutosaveFile();
  DlgDoc_Notify().StatusText(Printf("\"%s\" saved.", path.c_str()).c_str());
  return 1;
}

int CDlgEditDoc::SaveIfModified() {
  if (!m_bModified) return 1;
  return OnSaveDocument(m_strPathName.c_str());
}

int CDlgEditDoc::Save(bool save_as) { return OnSaveDocument(save_as ? "" : m_strPathName.c_str()); }

int CDlgEditDoc::SaveAll() {
  std::vector<CDlgEditDoc*> docs = g_documents;
  for (CDlgEditDoc* doc : docs)
    if (!doc->SaveIfModified()) return 0;
  return 1;
}

bool CDlgEditDoc::NeedsAutoSave() { return m_bModified && !(m_State & STATE_AUTOSAVED); }

void CDlgEditDoc::OnAutoSave() {
  std::string name = m_General.GetAutoSaveFile(m_strPathName.c_str(), m_Identity);
  if (name.empty()) return;
  if (Diag_TraceEnabled('D', 2)) {
    Diag_Trace('D', 2, "CDlgEditDoc::OnAutoSave() %s", TimeText(time(nullptr)).c_str());
    if (!m_strPathName.empty()) Diag_Trace('D', 2, " genuine file name: %s", m_strPathName.c_str());
    Diag_Trace('D', 2, " auto-save file name: %s", name.c_str());
  }
  SYS_ASSERT(!m_pSaveFile);
  std::unique_ptr<DirSaveFile> file = DirUtil_BeginSave(name.c_str());
  if (!file) return;
  g_save_lines = -1;
  PluginFileType* type = m_FileType;
  if (!type->BeginObj) {
    type = m_Plugin->FirstType();
    PluginFileType* pType = type;
    SYS_ASSERT(pType->BeginObj);
  }
  int ok = WriteThrough(type, file.get());
  file.reset();
  g_save_lines = 0;
  if (!ok) return;
  m_State |= STATE_AUTOSAVED | STATE_SAVE_TIME;
  m_SaveTime = time(nullptr);
  if (!m_strAutoSave.empty() && strcasecmp(m_strAutoSave.c_str(), name.c_str()) != 0) {
    if (unlink(m_strAutoSave.c_str()) != 0)
      Diag_Trace('D', 0, "CDlgEditDoc::OnAutoSave() failed to delete previous auto-save file: %s, file: %s",
                 std::strerror(errno), m_strAutoSave.c_str());
  }
  m_strAutoSave = name;
}

void CDlgEditDoc::DeleteAutosaveFile() {
  if (m_strAutoSave.empty()) return;
  Diag_Trace('D', 2, "CDlgEditDoc::DeleteAutosaveFile() deleting file: %s", m_strAutoSave.c_str());
  if (unlink(m_strAutoSave.c_str()) != 0)
    Diag_Trace('D', 0, "CDlgEditDoc::DeleteAutosaveFile() failed: %s, file: %s", std::strerror(errno),
               m_strAutoSave.c_str());
  m_strAutoSave.clear();
}
