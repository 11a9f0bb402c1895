// Loading and saving generated VUZ dialog sources through the plug-in
// "ide-plugpane". Objects per second must stay flat as the file grows (no
// quadratic path look-ups or walks over the kept lines).
//
// Usage: bench_dialogs [objects]   (default 8000; also runs a quarter of it and
// prints objects per second of both and their ratio, large to small)
//
// The host here is the small in-test host of the plug-in tests, which keeps
// objects by path in a map; it stands in for the designer's document.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/plugins/classmodel/tests/pluginhost.h"

namespace {

using Clock = std::chrono::steady_clock;

// N objects: windows of groups of buttons and texts, three levels deep, with
// attributes and comments of every form between them.
std::string Generate(int objects) {
  std::string s = "!! generated dialog\n\ncolor Red \"#FF0000\";\n\n";
  int made = 0;
  for (int w = 0; made < objects; ++w) {
    s += "// window " + std::to_string(w) + "\nwindow W" + std::to_string(w) +
         "\n{\n  .xleft 1;\n  .title \"Window\";\n";
    ++made;
    for (int g = 0; g < 10 && made < objects; ++g) {
      s += "  /* group */\n  child groupbox G" + std::to_string(g) + "\n  {\n    .text \"Group\";\n";
      ++made;
      for (int b = 0; b < 8 && made < objects; ++b, ++made)
        s += "    child pushbutton B" + std::to_string(b) + " // button\n    {\n      .xleft " + std::to_string(b) +
             ";\n      .text \"OK\";\n      .fgc Red;\n    }\n";
      s += "  }\n";
    }
    s += "}\n\n";
  }
  return s;
}

double Run(PluginDesc* desc, int objects) {
  std::string text = Generate(objects);
  testhost::Host host(desc);
  host.files["gen.idm"] = text;
  auto t0 = Clock::now();
  if (host.load("gen.idm") != 0) {
    std::fprintf(stderr, "bench_dialogs: load failed: %s\n", host.last_error().c_str());
    std::exit(1);
  }
  std::string out = host.save();
  double secs = std::chrono::duration<double>(Clock::now() - t0).count();
  if (out.size() < text.size() / 2) {
    std::fprintf(stderr, "bench_dialogs: save lost text\n");
    std::exit(1);
  }
  return objects / secs;
}

}  // namespace

int main(int argc, char** argv) {
  int objects = argc > 1 ? std::atoi(argv[1]) : 8000;
  if (objects < 8) objects = 8;
  void* module = dlopen(PLUGPANE_MODULE, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::fprintf(stderr, "bench_dialogs: %s\n", dlerror());
    return 1;
  }
  std::string why;
  std::unique_ptr<testhost::Host> host = testhost::start(
      module, "", [](testhost::Host&) {}, &why);
  if (host == nullptr) {
    std::fprintf(stderr, "bench_dialogs: %s\n", why.c_str());
    return 1;
  }
  PluginDesc* desc = host->desc();
  // best of three runs of each size, alternating, after one warm-up run
  Run(desc, objects);
  double small = 0, large = 0;
  for (int i = 0; i < 3; ++i) {
    double s = Run(desc, objects / 4), l = Run(desc, objects);
    small = s > small ? s : small;
    large = l > large ? l : large;
  }
  std::printf("load+save %7d objects: %10.0f objects/s\n", objects / 4, small);
  std::printf("load+save %7d objects: %10.0f objects/s\n", objects, large);
  std::printf("ratio large/small: %.2f (near 1: no growth per object)\n", large / small);
  return 0;
}
