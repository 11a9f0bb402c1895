// dlghost: loads the dialog plug-ins of a folder and reads, dumps or copies
// one dialog file through them, without windows.
//
//   dlghost [-p PLUGINDIR] list
//   dlghost [-p PLUGINDIR] dump FILE
//   dlghost [-p PLUGINDIR] copy FILE OUT
//
// FILE goes through the first plug-in (in list order) that has a file type
// whose extension ends its name. Boxes go to standard error as
// "caption: text"; every question is answered No. Exit 0, 1 when loading or
// saving failed, 2 on a usage error.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "workbench/dialogs/dlghost/dlgdump.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysutil.h"

namespace {

class HostSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned style) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    unsigned buttons = style & SHELL_MB_BUTTONS;
    if (buttons == SHELL_MB_YESNO || buttons == SHELL_MB_YESNOCANCEL) return SHELL_IDNO;
    return SHELL_IDOK;
  }
  // The log lines that repeat the boxes are left out.
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
};

int Usage() {
  std::fprintf(stderr,
               "usage: dlghost [-p PLUGINDIR] list\n"
               "       dlghost [-p PLUGINDIR] dump FILE\n"
               "       dlghost [-p PLUGINDIR] copy FILE OUT\n");
  return 2;
}

bool EndsWithNoCase(const char* s, const char* tail) {
  size_t n = std::strlen(s), m = std::strlen(tail);
  return m > 0 && m <= n && strcasecmp(s + n - m, tail) == 0;
}

const char* KindText(int kind) { return kind == PLUGIN_FT_IMPORT ? "import" : "source"; }

int List() {
  for (PluginID* p = PluginID::GetHead(); p; p = p->next) {
    PluginDesc* d = p->Desc();
    std::printf("%s %d \"%s\" %s %s\n", d->Ident, d->Number, d->Description ? d->Description : "",
                d->Revision ? d->Revision : "", d->Module ? d->Module : "");
    for (PluginFileType* t = p->FirstFileType(); t; t = p->NextFileType())
      std::printf("  %s \"%s\" %s%s\n", t->Ext, t->Name, KindText(t->Kind), t->BeginObj ? " writable" : "");
  }
  return 0;
}

CDlgEditDoc* Open(const char* file) {
  for (PluginID* p = PluginID::GetHead(); p; p = p->next) {
    for (PluginFileType* t = p->FirstFileType(); t; t = p->NextFileType()) {
      if (!EndsWithNoCase(file, t->Ext)) continue;
      PluginID::SetPending(p, t);
      return CDlgEditDoc::OpenFile(file);
    }
  }
  std::fprintf(stderr, "dlghost: no plug-in reads %s\n", file);
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  HostSink sink;
  Shell_SetSink(&sink);
  std::string dir;
  bool have_dir = false;
  int i = 1;
  if (i < argc && std::strcmp(argv[i], "-help") == 0) {
    Usage();
    return 0;
  }
  if (i < argc && std::strcmp(argv[i], "-version") == 0) {
    std::printf("dlghost (Varnica tool set) 6.31\n");
    return 0;
  }
  if (i < argc && std::strcmp(argv[i], "-p") == 0) {
    if (i + 1 >= argc) return Usage();
    dir = argv[i + 1];
    have_dir = true;
    i += 2;
  }
  if (i >= argc) return Usage();
  std::string cmd = argv[i++];
  int rest = argc - i;
  if (!((cmd == "list" && rest == 0) || (cmd == "dump" && rest == 1) || (cmd == "copy" && rest == 2))) return Usage();
  if (!have_dir) {
    const char* lib = Sys_GetLibDirectory();
    dir = lib ? lib : "";
  }
  PluginID::InitializeFrom(dir.c_str());
  if (!PluginID::Sync()) return 1;
  int rc = 0;
  if (cmd == "list") {
    rc = List();
  } else {
    CDlgEditDoc* doc = Open(argv[i]);
    if (!doc) {
      rc = 1;
    } else if (cmd == "dump") {
      std::fputs(DlgDump_Document(*doc).c_str(), stdout);
    } else if (!doc->OnSaveDocument(argv[i + 1])) {
      rc = 1;
    }
    delete doc;
  }
  PluginID::Shutdown();
  Shell_SetSink(nullptr);
  return rc;
}
