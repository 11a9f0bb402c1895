#include "workbench/dialogs/document/pluginid.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "platform/profile.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/programs/dirutil.h"
#include "workbench/base/diag.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

namespace {

const char kCaption[] = "Plug-In Manager";

// The completion of loading: created by Initialize, signalled when the
// scan is done.
bool g_complete_exists = false;
bool g_complete = false;
PluginID* g_head = nullptr;
PluginID* g_pending = nullptr;
PluginFileType* g_pending_type = nullptr;
int g_documents = 0;
bool g_unload_waiting = false;
bool g_exit_handler = false;

void UnloadAll() {
  PluginID* head = g_head;
  g_head = nullptr;
  delete head;  // takes its successors along
  g_complete_exists = false;
  g_complete = false;
  g_pending = nullptr;
  g_pending_type = nullptr;
  g_unload_waiting = false;
}

void AtExit() {
  // Documents still alive at exit keep their plug-ins.
  if (g_documents == 0) UnloadAll();
}

std::string Format(const char* fmt, va_list ap) {
  char buf[DIAG_MESSAGE_MAX];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  return buf;
}

// Host callbacks.

void HostFailure(const char* fmt, ...) {
  SYS_ASSERT(fmt);
  va_list ap;
  va_start(ap, fmt);
  std::string text = Format(fmt, ap);
  va_end(ap);
  Diag_ErrorBox("Plug-In Failure", "%s", text.c_str());
}

void HostTrace(int level, const char* fmt, ...) {
  SYS_ASSERT(fmt);
  if (!Diag_TraceEnabled('P', level)) return;
  va_list ap;
  va_start(ap, fmt);
  std::string text = Format(fmt, ap);
  va_end(ap);
  Diag_Trace('P', level, "%s", text.c_str());
}

prop_val* HostFindObjProp(obj_hndl obj, const prop_def* def) {
  if (!obj.data) SYS_ASSERT(!"hndl.data");
  SYS_ASSERT(def);
  DlgObject* o = DlgObject_FromHandle(obj);
  DlgPropValue* v = o->Props().FindByName(def->name, def->index);
  return v ? v->ValPtr() : nullptr;
}

prop_val* HostFindClassProp(obj_hndl obj, const prop_def* def) {
  if (!obj.data) SYS_ASSERT(!"hndl.data");
  SYS_ASSERT(def);
  DlgObject* o = DlgObject_FromHandle(obj);
  DlgRootAnchor* root = o->RootAnchor();
  if (!root || !o->ClassRec() || !o->ClassRec()->name) return nullptr;
  std::string name = std::string("~") + o->ClassRec()->name;
  DlgObject* cls = root->FindRootObject(name.c_str());
  if (!cls) return nullptr;
  DlgPropValue* v = cls->Props().FindByName(def->name, def->index);
  return v ? v->ValPtr() : nullptr;
}

const char* HostGetProp(obj_hndl obj, const prop_def* def) {
  if (!obj.data) SYS_ASSERT(!"hndl.data");
  SYS_ASSERT(def);
  int mark = 1;
  return CDlgEditDoc::GetPropText(DlgObject_FromHandle(obj), def, &mark);
}

int HostSetGuiInfo(obj_hndl obj, const gui_info* info) {
  if (!obj.data) SYS_ASSERT(!"hndl.data");
  if (!info) SYS_ASSERT(!"gui_info");
  DlgObject_FromHandle(obj)->SetGuiInfo(info);
  return 0;
}

int HostConvertCharset(int from, int to, char* buffer, int length) {
  if (length < 0) return -1;
  if (from == to) return (from == 0 || from == 1) ? 0 : -1;
  if (!buffer && length > 0) return -1;
  return Sys_ConvertCodepage(from, to, buffer, static_cast<size_t>(length)) == 0 ? 0 : -1;
}

int HostFileExists(const char* filename) {
  if (!filename) SYS_ASSERT(!"filename");
  return DirUtil_FileExists(filename) ? 1 : 0;
}

void CheckProfileArgs(PluginDesc* plugin, const char* section, const char* item) {
  if (!plugin) SYS_ASSERT(!"plugin");
  if (!section) SYS_ASSERT(!"section");
  if (!item) SYS_ASSERT(!"item");
}

char* HostGetProfileString(PluginDesc* plugin, const char* section, const char* item, const char* def, char* buffer,
                           int size) {
  CheckProfileArgs(plugin, section, item);
  if (size < 2) return buffer;
  if (!buffer) SYS_ASSERT(!"buffer");
  std::string text = profile_get_string(Cfg_Profile(), PluginID::ProfileSection(plugin, section).c_str(), item, def);
  std::snprintf(buffer, static_cast<size_t>(size), "%s", text.c_str());
  return buffer;
}

int HostGetProfileInt(PluginDesc* plugin, const char* section, const char* item, int def) {
  CheckProfileArgs(plugin, section, item);
  return profile_get_int(Cfg_Profile(), PluginID::ProfileSection(plugin, section).c_str(), item, def);
}

void HostWriteProfileString(PluginDesc* plugin, const char* section, const char* item, const char* text) {
  CheckProfileArgs(plugin, section, item);
  profile_write_string(Cfg_Profile(), PluginID::ProfileSection(plugin, section).c_str(), item, text);
}

void HostWriteProfileInt(PluginDesc* plugin, const char* section, const char* item, int value) {
  CheckProfileArgs(plugin, section, item);
  profile_write_int(Cfg_Profile(), PluginID::ProfileSection(plugin, section).c_str(), item, value);
}

// A descriptor whose texts or file types cannot be used as they are.
bool DescriptorUnusable(const PluginDesc* d) {
  if (!d->Ident || d->NumFileTypes < 0 || (d->NumFileTypes > 0 && !d->FileTypes)) return true;
  for (int32_t i = 0; i < d->NumFileTypes; ++i) {
    const PluginFileType& t = d->FileTypes[i];
    if (!t.Name || !t.Ext || !t.Load) return true;
  }
  return false;
}

const char* OrEmpty(const char* s) { return s ? s : ""; }

}  // namespace

bool PluginID_IsCandidate(const char* name) {
  size_t n = std::strlen(name);
  return n >= 7 && strncasecmp(name, "ide-", 4) == 0 && strcasecmp(name + n - 3, ".so") == 0;
}

void PluginID_FillHostCallbacks(PluginHostCallbacks* host) {
  host->Failure = &HostFailure;
  host->Trace = &HostTrace;
  host->FindObjProp = &HostFindObjProp;
  host->FindClassProp = &HostFindClassProp;
  host->GetProp = &HostGetProp;
  host->SetGuiInfo = &HostSetGuiInfo;
  host->ConvertCharset = &HostConvertCharset;
  host->FileExists = &HostFileExists;
  host->GetProfileString = &HostGetProfileString;
  host->GetProfileInt = &HostGetProfileInt;
  host->WriteProfileString = &HostWriteProfileString;
  host->WriteProfileInt = &HostWriteProfileInt;
}

PluginID::PluginID(DynLib module, PluginDesc* desc) : module_(module), desc_(desc) {}

PluginID::~PluginID() {
  if (prev) prev->next = next;
  if (next) next->prev = prev;
  if (g_head == this) g_head = next;
  PluginID* rest = next;
  prev = next = nullptr;
  dynlib_close(module_);
  delete rest;
}

void PluginID::LinkByNumber() {
  PluginID* after = nullptr;
  for (PluginID* p = g_head; p && p->desc_->Number <= desc_->Number; p = p->next) after = p;
  prev = after;
  next = after ? after->next : g_head;
  if (next) next->prev = this;
  if (after)
    after->next = this;
  else
    g_head = this;
}

int PluginID::IsOpen(const char* path, int activate) { return CDlgEditDoc::IsOpen(path, activate != 0) ? 1 : 0; }

int PluginID::OpenDocument(const char* path, PluginFileType* type) {
  if (!type) SYS_ASSERT(!"type");
  SetPending(this, type);
  CDlgEditDoc* doc = DlgDoc_Notify().OpenDocument(path);
  return doc ? 1 : 0;
}

int PluginID::Initialize() {
  const char* lib = Sys_GetLibDirectory();
  std::string dir = lib ? lib : "";
  return InitializeFrom(dir.c_str());
}

int PluginID::InitializeFrom(const char* directory) {
  SYS_ASSERT(!g_complete_exists);
  g_complete_exists = true;
  g_complete = false;
  if (!g_exit_handler) {
    g_exit_handler = true;
    std::atexit(&AtExit);
  }
  if (directory && *directory) ScanDirectory(directory);
  g_complete = true;
  return 0;
}

int PluginID::Sync() {
  SYS_ASSERT(g_complete_exists);
  if (g_complete) return 1;
  Diag_Trace('P', 1, "PluginID::Sync() Blocking on PluginID::hPluginComplete");
  Diag_ErrorBox(kCaption, "WaitForSingleObject() failed:");
  return 0;
}

PluginID* PluginID::GetHead() { return g_complete_exists && g_complete ? g_head : nullptr; }

PluginID* PluginID::Find(const char* ident) {
  if (!ident) return nullptr;
  for (PluginID* p = g_head; p; p = p->next)
    if (std::strcmp(p->desc_->Ident, ident) == 0) return p;
  return nullptr;
}

void PluginID::Shutdown() {
  if (g_documents > 0) {
    g_unload_waiting = true;
    return;
  }
  UnloadAll();
}

void PluginID::DocumentCreated() { ++g_documents; }

void PluginID::DocumentDestroyed() {
  if (g_documents > 0) --g_documents;
  if (g_documents == 0 && g_unload_waiting) UnloadAll();
}

PluginFileType* PluginID::FirstFileType() {
  filetype_idx_ = -1;
  return NextFileType();
}

PluginFileType* PluginID::NextFileType() {
  int idx = filetype_idx_ + 1;
  if (idx >= desc_->NumFileTypes) return nullptr;
  filetype_idx_ = idx;
  SYS_ASSERT(filetype_idx_ >= 0);
  return desc_->FileTypes + idx;
}

PluginFileType* PluginID::FirstType() const { return desc_->NumFileTypes > 0 ? desc_->FileTypes : nullptr; }

bool PluginID::OwnsType(const PluginFileType* type) const {
  return type && desc_->NumFileTypes > 0 && type >= desc_->FileTypes && type < desc_->FileTypes + desc_->NumFileTypes;
}

void PluginID::SetPending(PluginID* plugin, PluginFileType* type) {
  g_pending = plugin;
  g_pending_type = type;
}
PluginID* PluginID::Pending() { return g_pending; }
PluginFileType* PluginID::PendingType() { return g_pending_type; }

std::string PluginID::ProfileSection(const PluginDesc* plugin, const char* section) {
  std::string s = std::string("Plug-In\\") + OrEmpty(plugin->Ident);
  if (section && *section) s += std::string("\\") + section;
  return s;
}

PluginID* PluginID::LoadModule(const char* path) {
  DynLib lib = dynlib_open(path);
  if (!lib) {
    Diag_ErrorBox(kCaption, "%s\n%s", path, dynlib_error().c_str());
    return nullptr;
  }
  auto reject = [lib](auto... args) -> PluginID* {
    Diag_ErrorBox(kCaption, args...);
    dynlib_close(lib);
    return nullptr;
  };
  auto get_plugin = reinterpret_cast<GetPluginFn>(dynlib_symbol(lib, "GetPlugin"));
  if (!get_plugin) return reject("%s\nis not recognized as QX Varnica Plug-In module.", path);
  PluginDesc* desc = get_plugin();
  if (!desc) return reject("Unable to load Plug-In module:\n%s", path);
  if (desc->Version != PLUGIN_VERSION)
    return reject("Version mismatch in Plug-In module:\n%s\nCurrent version is %d, module has %d", path, PLUGIN_VERSION,
                  desc->Version);
  if (DescriptorUnusable(desc)) return reject("Unable to load Plug-In module:\n%s", path);
  if (Find(desc->Ident))
    return reject("Unable to load Plug-In module:\n%s\nModule with same ID \"%s\" does already exist.", path,
                  desc->Ident);
  PluginID_FillHostCallbacks(&desc->Host);
  auto init_plugin = reinterpret_cast<InitPluginFn>(dynlib_symbol(lib, "InitPlugin"));
  if (init_plugin && init_plugin() != 0) return reject("Plug-In module failed during initialization:\n%s", path);
  if (!desc->Category) return reject("Unable to load Plug-In module:\n%s", path);
  if (std::strcmp(desc->Category, PLUGIN_CATEGORY_DLG) != 0)
    return reject("Unable to load Plug-In module:\n%s\nUnknown Plug-In category [%s]", path, desc->Category);
  auto* plugin = new PluginID(lib, desc);
  plugin->LinkByNumber();
  if (Diag_TraceEnabled('P', 1)) {
    Diag_Trace('P', 1, "Plug-In loaded: \"%s\"", OrEmpty(desc->Module));
    Diag_Trace('P', 1, " category=[%s], ident=[%s], description=\"%s\"", desc->Category, desc->Ident,
               OrEmpty(desc->Description));
    Diag_Trace('P', 1, " revision=[%s], date=[%s]", OrEmpty(desc->Revision), OrEmpty(desc->Date));
  }
  return plugin;
}

namespace {

void Scan(const std::string& dir, std::set<std::pair<dev_t, ino_t>>& seen) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) {
    if (errno != ENOENT) Diag_ErrorBox(kCaption, "%s is not accessible:\n%s", dir.c_str(), std::strerror(errno));
    return;
  }
  if (!S_ISDIR(st.st_mode)) {
    Diag_ErrorBox(kCaption, "%s is not accessible:\n%s", dir.c_str(), std::strerror(ENOTDIR));
    return;
  }
  if (!seen.insert({st.st_dev, st.st_ino}).second) return;  // a link back into a folder already scanned
  DIR* d = opendir(dir.c_str());
  if (!d) {
    Diag_ErrorBox(kCaption, "%s is not accessible:\n%s", dir.c_str(), std::strerror(errno));
    return;
  }
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
  }
  closedir(d);
  // The listing order: by name, without regard to case.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
  });
  for (const std::string& name : names) {
    std::string path = dir + "/" + name;
    struct stat es {};
    if (stat(path.c_str(), &es) != 0) continue;  // a dangling link
    if (S_ISDIR(es.st_mode))
      Scan(path, seen);
    else if (S_ISREG(es.st_mode) && PluginID_IsCandidate(name.c_str()))
      PluginID::LoadModule(path.c_str());
  }
}

}  // namespace

void PluginID::ScanDirectory(const char* directory) {
  std::set<std::pair<dev_t, ino_t>> seen;
  std::string dir = directory;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  Scan(dir, seen);
}
