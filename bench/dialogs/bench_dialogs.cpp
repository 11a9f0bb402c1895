// Loading and saving one dialog with many objects through the designer's own
// document (CDlgEditDoc), its loader and the plug-ins' writers, for the VUZ
// sources of "ide-plugpane" and the ASCII sources of "ide-plugtext", every
// object with a comment of its own. The time at 2N over the time at N must
// stay near 2 (no look-up or walk over all siblings, objects or kept lines
// per object).
//
// Usage: bench_dialogs [objects]   (default 64000: runs an eighth, a quarter,
// a half and all of it, and prints the load and save time of each size and
// its ratio to the size below)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/base/shellsink.h"

namespace {

using Clock = std::chrono::steady_clock;

class QuietSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::fprintf(stderr, "bench_dialogs: %s: %s\n", caption ? caption : "", text ? text : "");
    return SHELL_IDNO;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
};

// One window of `objects` objects: groups of ten buttons directly below it,
// each object with a comment on the line before it and one after its name.
std::string GenerateVuz(int objects) {
  std::string s = "!! generated dialog\ncolor Red \"#FF0000\";\n\nwindow W\n{\n  .xleft 1;\n  .title \"Window\";\n";
  for (int made = 1, g = 0; made < objects; ++g) {
    s += "  // group " + std::to_string(g) + "\n  child groupbox G" + std::to_string(g) +
         "\n  {\n    .text \"Group\";\n";
    ++made;
    for (int b = 0; b < 10 && made < objects; ++b, ++made)
      s += "    /* button */\n    child pushbutton B" + std::to_string(b) + " // button\n    {\n      .xleft " +
           std::to_string(b) + ";\n      .text \"OK\";\n      .fgc Red;\n    }\n";
    s += "  }\n";
  }
  return s + "}\n";
}

// The ASCII language has one container, the dialog: every object sits
// directly below it.
std::string GenerateDlg(int objects) {
  std::string s = "# generated dialog\nRED = 12\n\nDialog W {\n  .title = \"Window\"\n";
  for (int b = 1; b < objects; ++b)
    s += "  # button " + std::to_string(b) + "\n  PushButton B" + std::to_string(b) +
         " {   # button\n    .x = " + std::to_string(b % 30) + "\n    .text = \"OK\"\n    .fgc = RED\n  }\n";
  return s + "}\n";
}

struct Times {
  double load = 0;
  double save = 0;
};

Times Run(const std::string& dir, const char* ext, const std::string& text) {
  const std::string in = dir + "/in" + ext, out = dir + "/out" + ext;
  std::ofstream(in, std::ios::binary) << text;
  PluginID* plugin = nullptr;
  PluginFileType* type = nullptr;
  for (PluginID* p = PluginID::GetHead(); p && !type; p = p->next) {
    for (PluginFileType* t = p->FirstFileType(); t && !type; t = p->NextFileType()) {
      if (t->Ext && std::string(t->Ext) == ext) {
        plugin = p;
        type = t;
      }
    }
  }
  if (!type) {
    std::fprintf(stderr, "bench_dialogs: no plug-in reads %s\n", ext);
    std::exit(1);
  }
  PluginID::SetPending(plugin, type);
  auto t0 = Clock::now();
  CDlgEditDoc* doc = CDlgEditDoc::OpenFile(in.c_str());
  auto t1 = Clock::now();
  if (!doc) {
    std::fprintf(stderr, "bench_dialogs: loading %s failed\n", in.c_str());
    std::exit(1);
  }
  const int saved = doc->OnSaveDocument(out.c_str());
  auto t2 = Clock::now();
  delete doc;
  std::ifstream check(out, std::ios::binary | std::ios::ate);
  if (!saved || static_cast<size_t>(check.tellg()) < text.size() / 2) {
    std::fprintf(stderr, "bench_dialogs: saving %s failed or lost text\n", out.c_str());
    std::exit(1);
  }
  return {std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count()};
}

}  // namespace

int main(int argc, char** argv) {
  int objects = argc > 1 ? std::atoi(argv[1]) : 64000;
  if (objects < 64) objects = 64;
  QuietSink sink;
  Shell_SetSink(&sink);
  PluginID::InitializeFrom(PLUGIN_DIR);
  if (!PluginID::Sync()) return 1;
  char dir[] = "/tmp/bench_dialogs.XXXXXX";
  if (!mkdtemp(dir)) return 1;
  struct Kind {
    const char* ext;
    std::string (*generate)(int);
  };
  for (const Kind& k : {Kind{".idm", GenerateVuz}, Kind{".dlg", GenerateDlg}}) {
    std::printf("%s, one dialog, a comment per object (best of 3):\n", k.ext);
    std::printf("%9s %10s %10s %8s %8s\n", "objects", "load s", "save s", "load 2N/N", "save 2N/N");
    Times prev;
    for (int n = objects / 8; n <= objects; n *= 2) {
      const std::string text = k.generate(n);
      Times best{1e9, 1e9};
      for (int r = 0; r < 3; ++r) {
        Times t = Run(dir, k.ext, text);
        best.load = std::min(best.load, t.load);
        best.save = std::min(best.save, t.save);
      }
      if (prev.load > 0)
        std::printf("%9d %10.4f %10.4f %8.2f %8.2f\n", n, best.load, best.save, best.load / prev.load,
                    best.save / prev.save);
      else
        std::printf("%9d %10.4f %10.4f %8s %8s\n", n, best.load, best.save, "-", "-");
      prev = best;
    }
  }
  for (const char* f : {"/in.idm", "/out.idm", "/in.dlg", "/out.dlg"}) unlink((std::string(dir) + f).c_str());
  rmdir(dir);
  PluginID::Shutdown();
  Shell_SetSink(nullptr);
  return 0;
}
