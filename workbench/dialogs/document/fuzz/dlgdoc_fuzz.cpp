// Feeds arbitrary bytes to the dialog document as a VUZ dialog file read
// through ide-plugpane.so; imports ("x.if", "x.mod", links to the input)
// open the same bytes again, and a load that succeeds is saved.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/base/shellsink.h"

namespace {

class QuietSink : public ShellSink {
 public:
  int message_box(void*, const char*, const char*, unsigned style) override {
    return (style & 0x0F) == SHELL_MB_OK ? SHELL_IDOK : SHELL_IDNO;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int) override { __builtin_trap(); }
};

struct Setup {
  std::string dir;
  PluginID* plugin = nullptr;
  Setup() {
    static QuietSink sink;
    Shell_SetSink(&sink);
    // Every input is written and every load that succeeds saved (with its
    // fsync): in memory where the system has a tmpfs, so that the disk does
    // not set the pace.
    struct stat st {};
    std::string tmpl = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
    tmpl += "/dlgdoc-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) __builtin_trap();
    dir = tmpl;
    // The imports read the input again through links, so one write a run.
    for (const char* name : {"/x.if", "/x.mod"})
      if (symlink("in.idm", (dir + name).c_str()) != 0) __builtin_trap();
    PluginID::InitializeFrom("");
    plugin = PluginID::LoadModule(PLUGPANE_MODULE);
    if (!plugin) __builtin_trap();
  }
  ~Setup() {
    for (const char* name : {"/in.idm", "/x.if", "/x.mod", "/out.idm"}) unlink((dir + name).c_str());
    rmdir(dir.c_str());
  }
};

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  const std::string in = setup.dir + "/in.idm";
  WriteFile(in, data, size);
  PluginID::SetPending(setup.plugin, setup.plugin->FirstType());
  if (CDlgEditDoc* doc = CDlgEditDoc::OpenFile(in.c_str())) {
    doc->OnSaveDocument((setup.dir + "/out.idm").c_str());
    delete doc;
  }
  return 0;
}
